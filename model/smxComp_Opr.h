// Operators and operator classes: the schema object classes of the two kinds.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// An operator. Kind dboOperator.
class TOprData : public TDbObj {
public:
    explicit TOprData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TOprData)
};

/// An operator class. Kind dboOperatorClass.
class TOpcData : public TDbObj {
public:
    explicit TOpcData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TOpcData)
};

} // namespace smx
