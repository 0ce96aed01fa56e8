// Publications of SQL Anywhere replication: a publication lists articles, each a table with an
// optional column list. The objects write their CREATE and DROP texts, create the tables and
// columns they need first, and three compare steps create, replace and drop them.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "model/smxClasses.h"

namespace smx {

/// One article of a publication: a table and, optionally, some of its columns.
class TPblArtData : public TObject {
public:
    SMX_CLASSNAME(TPblArtData)

    /// "    TABLE " + owner + "." + table, then "(" + the columns + ")" when there are any; names
    /// through Quote.
    std::string GetText(const std::function<std::string(std::string_view)>& Quote) const;

    TStringList Columns{true}; ///< column names; objects, when present, are owned column objects
    std::string TableName;
    std::string TableOwner;
};

/// A publication. Kind dboPublication; its owner is Owner2.
class TPblData : public TDbObj {
public:
    explicit TPblData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TPblData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olPublications; }

    /// "CREATE PUBLICATION owner.name (" + one article per line + ")".
    std::string GetCreateSQL() const override;
    /// "DROP PUBLICATION owner.name".
    std::string GetDropSQL() const override;
    /// The inherited walk, then every table or column it lists that does not exist is created.
    void ProcessDependents() override;

    /// Appends an article for the table and returns it (owned by the publication).
    TPblArtData* AddArticle(std::string_view TableOwner, std::string_view TableName);

    TStringList Articles{true}; ///< TPblArtData, in order
};

// Compare steps of publications (every target type).

/// Creates the master publications that the target lacks.
void CreatePublications(TCustomSchemalyst* Comparer);
/// A publication whose text differs is dropped and created again.
void AlterPublications(TCustomSchemalyst* Comparer);
/// Drops the target publications that the master lacks.
void DropPublications(TCustomSchemalyst* Comparer);

} // namespace smx
