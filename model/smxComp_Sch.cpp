// smxComp_Sch: see the header.
#include "model/smxComp_Sch.h"

namespace smx {

TSchData::TSchData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboSchema);
}

} // namespace smx
