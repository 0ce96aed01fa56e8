// smxComp_Clt: see the header.
#include "model/smxComp_Clt.h"

namespace smx {

TCltData::TCltData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboCollation);
}

} // namespace smx
