// Domains and user types: the schema object class of the kind.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// A domain or user type. Kind dboDomain.
class TDmnData : public TDbObj {
public:
    explicit TDmnData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TDmnData)
};

} // namespace smx
