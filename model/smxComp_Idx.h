// Indices: the index object of every dialect with its CREATE and DROP texts, and the three compare
// steps that drop surplus indices, create missing ones and re-create or (de)activate changed ones.
// An index is filed under its name (MySQL: table + "." + name, since names are unique per table
// only) and belongs to its table; its columns are column objects that carry their own direction
// and, for MySQL, a prefix length.
#pragma once

#include <string>
#include <string_view>

#include "foundation/smxTypes.h"
#include "model/smxClasses.h"

namespace smx {

class TFldData;

/// Direction value of an index column object (its ParamDirection) that makes the column descending.
inline constexpr std::uint8_t IndexColumnDescending = 2;

/// An index of a table. Kind dboIndex. Owns the column objects of both column lists.
class TIdxData : public TDbObj {
public:
    /// An active index with empty column lists.
    explicit TIdxData(TCustomObjs* AOwner = nullptr);
    ~TIdxData() override;
    SMX_CLASSNAME(TIdxData)
    SMX_POOLED_CLASS(TIdxData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olIndices; }

    std::string GetTableName() const override { return TableName; }
    /// MySQL: table + "." + name; every other type the inherited key.
    std::string GetFullName() const override;
    /// The CREATE INDEX text of the effective dialect; empty when ignored.
    std::string GetCreateSQL() const override;
    /// The DROP INDEX text of the effective dialect (InterBase: the inherited comment and statement).
    std::string GetDropSQL() const override;
    /// The inherited walk; for InterBase a reconnect follows (a dropped index stays in use until then).
    void MarkDependents() override;
    /// The inherited creation; an inactive index that this call creates is deactivated at once
    /// (GetInactiveSQL), so that every road that creates it leaves it inactive.
    void CreateDependDef() override;

    /// Appends a column object named Name to the key columns and returns it.
    TFldData* AddColumn(std::string_view Name);
    /// Appends a column object named Name to the include columns (MS SQL) and returns it.
    TFldData* AddIncludeColumn(std::string_view Name);
    /// The key columns, quoted, each with " DESC" when descending and, for MySQL, its prefix length
    /// in parentheses; joined by ", ".
    std::string GetColumnsText() const;
    /// The include columns, quoted, joined by ", ".
    std::string GetIncludeColumnsText() const;
    /// "ALTER INDEX " + quoted name + " INACTIVE" for an inactive index; empty for an active one.
    std::string GetInactiveSQL() const;

    bool Unique = false;
    bool Bitmap = false;
    bool Descending = false;   ///< the whole index is descending
    std::string TableName;     ///< the indexed table
    TStringList Columns{true}; ///< key columns in key order: name -> TFldData (direction, prefix length)
    bool Active = true;        ///< False: an InterBase inactive index
    TStringList IncludeColumns{true};                     ///< MS SQL INCLUDE columns: name -> TFldData
    bool Clustered = false, Primary = false, XML = false; ///< MS SQL index kinds
    TCompactString FilterText;                            ///< MS SQL WHERE clause
    TCompactString MSSQLExtra; ///< a further MS SQL clause, written on its own line
    TCompactString FileGroup;  ///< MS SQL ON file group
    TCompactString IndexType;  ///< Oracle INDEXTYPE IS
    TCompactString Parameters; ///< Oracle PARAMETERS
    bool Compress = false, NoCompress = false, NoLogging = false; ///< Oracle clauses
    TCompactString TablespaceName;                                ///< Oracle TABLESPACE
    bool FullText = false;
    bool Spatial = false;
    bool AllowReverseScans = false; ///< DB2
    TIndexOptions IndexOptions;     ///< IndexType holds the MySQL index method (USING)
    TIndexOptions IndexOptions2;    ///< further per-dialect options
    TTableSpace TableSpace;         ///< physical attributes
    TFullTextIndexOptions FullTextOptions;
};

// Compare steps of indices; each takes the comparer and writes into its executor.

/// Drops the target indices the master lacks (and what depends on them).
void DropIndices(TCustomSchemalyst* Comparer);
/// Creates the master indices the target lacks or that an earlier step dropped, deactivates the
/// inactive ones, and writes their descriptions.
void CreateIndices(TCustomSchemalyst* Comparer);
/// Re-creates the paired indices whose texts differ, (de)activates those whose active flag differs,
/// and writes changed descriptions.
void AlterIndices(TCustomSchemalyst* Comparer);

} // namespace smx
