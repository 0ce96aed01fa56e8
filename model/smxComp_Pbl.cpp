// smxComp_Pbl: see the header.
#include "model/smxComp_Pbl.h"

namespace smx {

TPblData::TPblData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboPublication);
}

} // namespace smx
