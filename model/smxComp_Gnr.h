// Generators and sequences: the schema object class of the kind.
#pragma once

#include <cstdint>

#include "model/smxClasses.h"

namespace smx {

/// A generator or sequence. Kind dboGenerator.
class TGnrData : public TDbObj {
public:
    explicit TGnrData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TGnrData)

    std::int64_t CurrentValue = 0; ///< the value a script's SET GENERATOR gave it
};

} // namespace smx
