// smxComp_Dmn: see the header.
#include "model/smxComp_Dmn.h"

namespace smx {

TDmnData::TDmnData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboDomain);
}

} // namespace smx
