// Packages: the schema object class of the kind.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// A package (header and body). Kind dboPackage.
class TPkgData : public TDbObj {
public:
    explicit TPkgData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TPkgData)
};

} // namespace smx
