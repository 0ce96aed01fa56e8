// Indices: the schema object class of the kind; an index is filed and accepted by its table.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// An index of a table. Kind dboIndex.
class TIdxData : public TDbObj {
public:
    explicit TIdxData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TIdxData)

    std::string GetTableName() const override { return TableName; }

    std::string TableName; ///< the table the object belongs to
};

} // namespace smx
