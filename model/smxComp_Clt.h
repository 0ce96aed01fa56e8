// Collations: the schema object class of the kind.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// A collation. Kind dboCollation.
class TCltData : public TDbObj {
public:
    explicit TCltData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TCltData)
};

} // namespace smx
