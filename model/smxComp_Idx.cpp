// smxComp_Idx: see the header.
#include "model/smxComp_Idx.h"

namespace smx {

TIdxData::TIdxData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboIndex);
}

} // namespace smx
