// Conversions: the schema object class of the kind.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// A character-set conversion. Kind dboConversion.
class TCnvData : public TDbObj {
public:
    explicit TCnvData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TCnvData)
};

} // namespace smx
