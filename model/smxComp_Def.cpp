// smxComp_Def: see the header.
#include "model/smxComp_Def.h"

namespace smx {

TDefData::TDefData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboDefault);
}

} // namespace smx
