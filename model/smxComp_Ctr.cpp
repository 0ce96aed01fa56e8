// smxComp_Ctr: see the header.
#include "model/smxComp_Ctr.h"

namespace smx {

TCtrData::TCtrData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboConstraint);
}

} // namespace smx
