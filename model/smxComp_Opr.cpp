// smxComp_Opr: see the header.
#include "model/smxComp_Opr.h"

namespace smx {

TOprData::TOprData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboOperator);
}

TOpcData::TOpcData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboOperatorClass);
}

} // namespace smx
