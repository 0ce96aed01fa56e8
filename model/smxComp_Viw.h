// Views: the schema object class of the kind. A view owns its columns like a table.
#pragma once

#include "model/smxClasses.h"

namespace smx {

class TFldData;

/// A view. Kind dboView. Owns its columns (Fields), keyed by column name.
class TViwData : public TDbObj {
public:
    explicit TViwData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TViwData)

    TStringList* GetFields() override { return &Fields; }
    /// Appends a column named Name (its table name and parent set) and returns it.
    TFldData* AddField(std::string_view Name);

    TStringList Fields{true};
};

} // namespace smx
