// Triggers: the schema object class of the kind, with the empty trigger body of each dialect that
// the dependency walkers put in place of a body that uses an object being dropped.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// A table, view or database trigger. Kind dboTrigger.
class TTrgData : public TDbObj {
public:
    explicit TTrgData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TTrgData)

    std::string GetTableName() const override { return TableName; }
    std::string GetEmptyBody() const override { return EmptyTriggerBody(); }
    /// The body that does nothing, in the effective dialect.
    std::string EmptyTriggerBody() const;

    std::string TableName; ///< the table or view the trigger belongs to
};

} // namespace smx
