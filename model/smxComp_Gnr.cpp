// smxComp_Gnr: see the header.
#include "model/smxComp_Gnr.h"

namespace smx {

TGnrData::TGnrData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboGenerator);
}

} // namespace smx
