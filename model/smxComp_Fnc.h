// External functions (UDFs): the schema object class of the kind.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// An external function. Kind dboFunction.
class TUdfData : public TDbObj {
public:
    explicit TUdfData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TUdfData)
};

} // namespace smx
