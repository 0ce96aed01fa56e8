// Tables and their columns. A column object also serves as a routine parameter; a table owns its
// columns, in position order, keyed by column name.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// A column of a table or view, or a routine parameter. Kind dboField.
class TFldData : public TDbObj {
public:
    explicit TFldData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TFldData)

    std::string GetTableName() const override { return TableName; }
    TDbObj* GetParentObject() const override { return Parent; }

    std::uint8_t DataType = 0; ///< data-type code; 97 = typed by the domain named in DomainName
    std::string DomainName;
    std::string TableName;    ///< the table (view, routine) the column belongs to
    TDbObj* Parent = nullptr; ///< the owning table, view or routine; not owned
};

/// A table. Kind dboTable. Owns its columns (Fields): case-insensitive names only when its
/// container is MS SQL at construction.
class TTblData : public TDbObj {
public:
    explicit TTblData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TTblData)

    TStringList* GetFields() override { return &Fields; }
    void SetSkipComputed(bool Value) override { SkipComputed = Value; }
    bool GetSkipComputed() const override { return SkipComputed; }
    /// Appends a column named Name (its table name and parent set) and returns it.
    TFldData* AddField(std::string_view Name);

    bool SkipComputed = false;
    bool Changed = false;
    TStringList Fields{true};
};

} // namespace smx
