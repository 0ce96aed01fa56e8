// Constraints (primary, unique, foreign keys and checks): the schema object class of the kind; a constraint
// is filed and accepted by its table.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// A table constraint. Kind dboConstraint.
class TCtrData : public TDbObj {
public:
    explicit TCtrData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TCtrData)

    std::string GetTableName() const override { return TableName; }

    std::string TableName; ///< the table the object belongs to
};

} // namespace smx
