// Defaults (bound default objects): the schema object class of the kind.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// A default object. Kind dboDefault.
class TDefData : public TDbObj {
public:
    explicit TDefData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TDefData)
};

} // namespace smx
