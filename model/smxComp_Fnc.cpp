// smxComp_Fnc: see the header.
#include "model/smxComp_Fnc.h"

namespace smx {

TUdfData::TUdfData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboFunction);
}

} // namespace smx
