// Schemas: the schema object class of the kind.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// A schema. Kind dboSchema.
class TSchData : public TDbObj {
public:
    explicit TSchData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TSchData)
};

} // namespace smx
