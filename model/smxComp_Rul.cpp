// smxComp_Rul: see the header.
#include "model/smxComp_Rul.h"

namespace smx {

TRulData::TRulData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboRule);
}

} // namespace smx
