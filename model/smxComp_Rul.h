// Rules: the schema object class of the kind.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// A rule object. Kind dboRule.
class TRulData : public TDbObj {
public:
    explicit TRulData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TRulData)
};

} // namespace smx
