// Publications: the schema object class of the kind.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// A publication. Kind dboPublication.
class TPblData : public TDbObj {
public:
    explicit TPblData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TPblData)
};

} // namespace smx
