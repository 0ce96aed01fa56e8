// smxComp_Pkg: see the header.
#include "model/smxComp_Pkg.h"

namespace smx {

TPkgData::TPkgData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboPackage);
}

} // namespace smx
