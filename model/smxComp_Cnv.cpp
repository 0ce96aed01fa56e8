// smxComp_Cnv: see the header.
#include "model/smxComp_Cnv.h"

namespace smx {

TCnvData::TCnvData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboConversion);
}

} // namespace smx
