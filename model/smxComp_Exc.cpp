// smxComp_Exc: see the header.
#include "model/smxComp_Exc.h"

namespace smx {

TExcData::TExcData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboException);
}

TEvtData::TEvtData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboEvent);
}

} // namespace smx
