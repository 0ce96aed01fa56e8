// Tables and their columns. A column object also serves as a routine parameter, an external-function
// argument and a domain's type; a table owns its columns, in position order, keyed by column name.
// Both write their CREATE, ADD COLUMN and DROP texts per dialect, walk what hangs on them before
// they are dropped or re-created, and the compare steps pair, create, extend, alter and drop tables.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/smxDBOptions.h"
#include "model/smxBlockPool.h"
#include "model/smxClasses.h"
#include "model/smxCompColumn.h"

namespace smx {

class TFldData;
class TGnrData;
class TTblData;

/// The identity generator a table column owns. It is made on first access: few columns ever read
/// it, and a generator object beside every column would nearly double the memory of a large
/// structure. It reads as the owning pointer it stands for: non-null from the start for a column
/// that has one, the generator itself on ->, * and get().
class TColumnGenerator {
public:
    TColumnGenerator() = default;
    TColumnGenerator(const TColumnGenerator&) = delete;
    TColumnGenerator& operator=(const TColumnGenerator&) = delete;
    ~TColumnGenerator();

    /// From now on the holder stands for the generator of Column in the column's container (what
    /// TGnrData(Column's container, Column) makes), created when first reached.
    void Defer(TFldData* Column);
    /// The generator (made now when still deferred); nullptr when the holder is empty.
    TGnrData* get() const { return Made_ || !Column_ ? Made_.get() : Make(); }
    TGnrData* operator->() const { return get(); }
    TGnrData& operator*() const { return *get(); }
    explicit operator bool() const { return Made_ || Column_; }
    bool operator==(std::nullptr_t) const { return !*this; }
    /// Holds Generator instead (nothing for nullptr).
    void reset(TGnrData* Generator = nullptr);
    TColumnGenerator& operator=(std::unique_ptr<TGnrData> Generator);
    TColumnGenerator& operator=(std::nullptr_t) {
        reset();
        return *this;
    }
    /// Gives up the generator (made first when deferred) to the caller.
    TGnrData* release() {
        get();
        Column_ = nullptr;
        return Made_.release();
    }

private:
    TGnrData* Make() const;

    mutable std::unique_ptr<TGnrData> Made_;
    TFldData* Column_ = nullptr; // the owning column while the generator is deferred
};

/// A column of a table or view, a routine parameter, an external-function argument or a domain
/// type. Kind dboField. The inherited source text is the computed-column expression, the inherited
/// description the column comment. A table column owns its identity generator.
class TFldData : public TDbObj, public TColumnAttrs {
public:
    /// A column of AParent (a table column gets its generator, of the same container).
    explicit TFldData(TCustomObjs* AOwner = nullptr, TDbObj* AParent = nullptr);
    ~TFldData() override;
    SMX_CLASSNAME(TFldData)
    SMX_POOLED_CLASS(TFldData)

    std::string GetTableName() const override { return TableName; }
    TDbObj* GetParentObject() const override { return Parent; }
    std::string GetColumnDefinition() const override { return GetDefinitionSQL(); }
    /// The plain column name.
    std::string GetDisplayName() const override { return GetName(); }
    /// The column inside CREATE TABLE or a parameter list: (mode) name definition.
    std::string GetCreateSQL() const override;
    /// "ALTER TABLE " + table + " ADD " + GetCreateSQL; empty when ignored.
    std::string GetCreateScript() const override;
    std::string GetDropSQL() const override;
    /// Empties routines, drops computed columns, indices, constraints and views that use the column.
    void MarkDependents() override;
    /// Not existing, and the parent table is flagged changed.
    void MarkDropped() override;
    /// Creates a missing domain of the column and the external functions a computed column needs.
    void ProcessDependents() override;

    /// The default as written (a double-quoted text becomes a single-quoted literal).
    std::string GetDefaultValue() const { return DefaultValueText(DefaultValue); }
    /// The definition after the column name, in the effective dialect.
    std::string GetDefinitionSQL() const;
    /// The type part of the column, in the effective dialect.
    std::string GetColumnTypeText() const;
    /// The column's container, parent and domain, as its texts need them.
    TColumnTextContext GetTextContext() const;
    /// Stores the data-type code of an InterBase field type and sub-type (and the time-zone flag)
    /// and returns it; the dialect is that of the effective InterBase options.
    std::uint8_t IBTypeToDataType(int FieldType, int FieldSubType);
    /// Stores a character set and collation as read, leaving out what repeats a default.
    void SetCharSetAndCollation(int CharSetID, std::string_view CharSetName, std::string_view CollationName,
                                int CollationID);
    /// The domain a domain-typed column names, in the column's container; nullptr otherwise.
    TDbObj* FindColumnDomain() const;
    bool IsCharacterType() const;
    /// The character set in effect: own, else the domain's, else (InterBase) the database default.
    std::string GetEffectiveCharSet() const;
    TColumnParentKind GetParentKind() const;
    bool IsComputed() const { return MayHaveSourceOrDependencies() && !GetSource().empty(); }

    // What the compare passes read of every column comes first (the two flags fill the end of the
    // attributes' last word).
    bool Matched = false;                ///< a master column with a partner
    bool Equal = false;                  ///< equal to its partner
    std::int32_t Position = 0;           ///< ordinal position in the table
    std::int32_t PartnerPosition = -1;   ///< Position of the partner column; -1 while unpaired
    TDbObj* Parent = nullptr;            ///< the owning table, view, routine, function or domain; not owned
    std::unique_ptr<TTblData> TableType; ///< MS SQL/ASE table-valued type (code 84)
    std::string TableName;               ///< the table (view, routine) the column belongs to
    TColumnGenerator Generator;          ///< identity sequence of a table column

private:
    const TColumnAttrs* DomainType() const;
};

/// Copies every column property of Source to Target (the kind stays dboField).
void AssignColumn(TFldData& Target, const TFldData& Source);
/// The column named Name in a column list (by the list's own lookup); nullptr when absent.
TDbObj* ColumnNamed(TStringList& Fields, std::string_view Name);
/// ColumnNamed in two steps: the index of the name in the list (-1 when absent), then the column
/// object at an index (nullptr for an entry that is no schema object).
int ColumnIndex(const TStringList& Fields, std::string_view Name);
TDbObj* ColumnObjectAt(const TStringList& Fields, int Index);
/// True when the two columns' array bounds differ in count or in any bound.
bool DimensionsDiffer(const TFldData& A, const TFldData& B);

/// A table. Kind dboTable. Owns its columns (Fields): case-insensitive names only when its
/// container is MS SQL at construction.
class TTblData : public TDbObj {
public:
    explicit TTblData(TCustomObjs* AOwner = nullptr);
    ~TTblData() override;
    SMX_CLASSNAME(TTblData)
    SMX_POOLED_CLASS(TTblData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olTables; }

    TStringList* GetFields() override { return &Fields; }
    TDbObj* FieldObject(std::string_view Name) override;
    void SetSkipComputed(bool Value) override { SkipComputed = Value; }
    bool GetSkipComputed() const override { return SkipComputed; }
    /// The CREATE TABLE text of the effective dialect (also what GetCreateScript gives); empty
    /// when ignored.
    std::string GetCreateSQL() const override;
    /// "DROP TABLE " + the quoted qualified name.
    std::string GetDropSQL() const override;
    /// Adds the missing computed columns of an existing table, or creates a missing table.
    void CreateDependDef() override;
    /// Drops the triggers, indices, constraints and computed columns that hang on the table.
    void MarkDependents() override;
    /// Marks the columns that its CREATE will hold existing.
    void ProcessDependents() override;

    /// Appends a column named Name (its table name, parent and position set) and returns it.
    TFldData* AddField(std::string_view Name);
    int FieldCount() const { return Fields.Count(); }
    TFldData* Field(int Index) const;
    /// The column of that name (the list's case rule), or nullptr.
    TFldData* FindField(std::string_view Name) const;
    /// Asks the processor to load the column at Index (nothing out of range): the parts that the
    /// column texts and the compare passes read. A loop over the columns of many tables otherwise
    /// waits for memory at every column.
    void PrefetchField(int Index) const {
        if (Index < 0 || Index >= Fields.Count()) return;
        const char* p = reinterpret_cast<const char*>(Fields.Objects(Index));
        constexpr std::size_t own = sizeof(TDbObj) + sizeof(TColumnAttrs); // Position and what follows
        for (std::size_t at : {std::size_t{0}, std::size_t{64}, std::size_t{128}, sizeof(TDbObj),
                               sizeof(TDbObj) + 64, sizeof(TDbObj) + 128, sizeof(TDbObj) + 192, own, own + 31})
            __builtin_prefetch(p + at);
    }
    /// Stores the flag; the partner table's flag becomes True whatever the value.
    void SetChanged(bool Value);
    bool HasIdentityColumn() const;
    /// Flags every view that uses the table for re-creation.
    void FlagDependentViews();

    bool SkipComputed = false; ///< while set, CREATE leaves out computed columns
    bool Changed = false;      ///< the column set or order was changed by the update script
    TTableSpace TableSpace;
    TMySQLTableOptions MySQLOptions;
    TStringList Fields{true}; ///< column name -> TFldData, in position order
    bool Matched = false;     ///< a master table with a partner
    bool Unchanged = false;   ///< the table and all its columns equal the partner's
    // The texts below are empty in nearly every table: one pointer each.
    TCompactString ExternalFile;
    bool GlobalTemporary = false;
    std::uint8_t OnCommit = 0; ///< 0 none, 1 DELETE ROWS, 2 PRESERVE ROWS
    TCompactString OfType, AsQuery, NestedTable, ExtraText, StoreAs, Storage;
    TCompactString ClusterName, ClusterColumns, LobText;
    bool NoLogging = false;
    bool Compress = false;
    TCompactString TablespaceName;
    TCompactString PartitionColumns, PartitionText;
    bool WithOids = false;

private:
    /// MySQL CREATE TABLE: the container's primary and unique keys and indices of this table, each
    /// followed by "," and CR LF; each is marked existing. An AUTO_INCREMENT column that leads none
    /// of them gets a key of its own.
    std::string MySQLInlineKeys() const;
};

// Compare steps of tables; each takes the comparer and writes into its executor.

/// Pairs master and target tables and columns, marks them existing and notes what differs.
void MatchTables(TCustomSchemalyst* Comparer);
/// Creates the master tables the target lacks, computed columns after the table.
void CreateTables(TCustomSchemalyst* Comparer);
/// Adds the master columns the target tables lack (stored columns first, then computed ones).
void AddNewColumns(TCustomSchemalyst* Comparer);
/// Alters paired tables that differ: description, temporary-table kind, MySQL options, columns.
void AlterTables(TCustomSchemalyst* Comparer);
/// Drops the target columns the master lacks, then the target tables the master lacks.
void DropTables(TCustomSchemalyst* Comparer);
/// Turns every differing target column of a paired table into the master's (per dialect), writes
/// changed column descriptions, then adds again the computed columns that the alterations dropped.
void AlterColumns(TCustomSchemalyst* Comparer);
/// Flags as changed every paired table (same column count) whose columns stand in another order.
void DetectColumnOrderChanges(TCustomSchemalyst* Comparer);
/// Drops the target table Target and creates Master anew: what hangs on Target is dropped first,
/// and the existence flags of both tables, their columns and Target's keys, indices and triggers
/// say "gone" afterwards.
void RecreateTable(TCustomSchemalyst* Comparer, TTblData* Master, TTblData* Target);

} // namespace smx
