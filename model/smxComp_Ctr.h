// Constraints: primary keys, unique keys, foreign keys, checks, defaults, not-null checks and column
// references of every dialect, with their ADD and DROP texts and the two compare steps that drop
// changed constraints and create missing ones in dependency order (keys before the foreign keys
// that use them). A named constraint is filed under its name, an unnamed one under its ADD text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/smxTypes.h"
#include "model/smxClasses.h"

namespace smx {

class TFldData;

/// The constraint types (TCtrData::GetConstraintType); 4 is not used.
inline constexpr std::uint8_t ctPrimaryKey = 0;
inline constexpr std::uint8_t ctUnique = 1;
inline constexpr std::uint8_t ctForeignKey = 2;
inline constexpr std::uint8_t ctCheck = 3;
inline constexpr std::uint8_t ctDefault = 5;
inline constexpr std::uint8_t ctNotNull = 6;
inline constexpr std::uint8_t ctReferences = 7;

/// The referential actions of UpdateRule and DeleteRule.
inline constexpr std::uint8_t raNone = 0;
inline constexpr std::uint8_t raRestrict = 1;
inline constexpr std::uint8_t raCascade = 2;
inline constexpr std::uint8_t raSetDefault = 3;
inline constexpr std::uint8_t raSetNull = 4;
/// NO ACTION as stated: Firebird keeps it apart from the RESTRICT of a key without an action.
inline constexpr std::uint8_t raNoAction = 5;

/// A table constraint. Kind dboConstraint until its type is set (SetConstraintType). The inherited
/// source text is a check's condition (with its parentheses) or a default's value; OverrideName is
/// the alternative name (the name the server gave an unnamed constraint). Owns the column objects
/// of both column lists.
class TCtrData : public TDbObj {
public:
    /// A foreign key (type 2) of kind dboConstraint, with empty column lists.
    explicit TCtrData(TCustomObjs* AOwner = nullptr);
    ~TCtrData() override;
    SMX_CLASSNAME(TCtrData)
    SMX_POOLED_CLASS(TCtrData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olConstraints; }

    std::string GetTableName() const override { return TableName; }
    /// The name; else the alternative name; else the ADD text.
    std::string GetDisplayName() const override;
    /// Named: the inherited key. Unnamed: the ADD text, for InterBase quoted as in dialect 1 so that
    /// the key does not depend on the dialect, followed by " #n" for the n-th of one text (n > 1).
    std::string GetFullName() const override;
    /// An unnamed check or foreign key counts itself as the next of its text on its table.
    bool TakeNextDuplicateKey() override;
    /// "ALTER TABLE " + table + " ADD " + the definition (Oracle not-null checks: MODIFY); empty when
    /// ignored.
    std::string GetCreateSQL() const override;
    /// The DROP text of the effective dialect; an unnamed constraint that the dialect cannot drop by
    /// name gives a comment (InterBase primary keys: the comment and a system-table delete). On
    /// Firebird 3 and later, whose system tables are read-only, an unnamed key or check is dropped by
    /// a block that finds the name the server gave it.
    std::string GetDropSQL() const override;
    /// stProcedure for the Firebird block, else stStatement.
    TStatType GetDropStatType() const override;
    /// Primary and unique keys: a reconnect (InterBase), then every foreign key that uses the key is
    /// dropped. Other types do nothing.
    void MarkDependents() override;
    /// Re-creates the tables and table columns the constraint needs.
    void ProcessDependents() override;

    std::uint8_t GetConstraintType() const { return ConstraintType_; }
    /// Stores the type and sets the kind: 0 dboPKey, 1 dboUnique, 2 dboFKey, 3 dboCheck, 5 dboDefault,
    /// 7 dboReferences; 6 (and 4) leave the kind as it is.
    void SetConstraintType(std::uint8_t Value);
    /// Store the value upper-cased in an MS SQL container with case-insensitive identifiers.
    void SetTableName(std::string_view Value);
    void SetRefTableName(std::string_view Value);
    void SetRefTableOwner(std::string_view Value);

    /// Appends a column object named Name to the constrained columns and returns it.
    TFldData* AddColumn(std::string_view Name);
    /// Appends a column object named Name to the referenced columns and returns it.
    TFldData* AddRefColumn(std::string_view Name);
    /// The quoted constrained columns joined by ", ".
    std::string GetColumnsText() const;
    /// The quoted referenced columns joined by ", ".
    std::string GetRefColumnsText() const;
    /// The definition after "ADD " ("CONSTRAINT name ..."); with OmitSingleDefaultColumn a default on
    /// one column leaves out its " FOR column" (the form written inline in ADD COLUMN).
    std::string GetDefinitionSQL(bool OmitSingleDefaultColumn = false) const;

    TTableSpace TableSpace;       ///< physical attributes of the key's index
    std::string TableName;        ///< the constrained table; assign through SetTableName
    std::string RefTableName;     ///< foreign key: the referenced table; assign through SetRefTableName
    TCompactString RefTableOwner; ///< MS SQL owner of the referenced table; assign through SetRefTableOwner
    TStringList Columns{true};    ///< constrained columns: name -> TFldData
    TCompactString RoleName;      ///< SQL Anywhere foreign-key role
    TCompactString RefOwner;      ///< SQL Anywhere owner of the referenced table
    TStringList RefColumns{true}; ///< columns of the referenced key: name -> TFldData
    std::uint8_t MatchType = 0;   ///< PostgreSQL: 1 MATCH FULL, 2 MATCH PARTIAL
    std::uint8_t UpdateRule = raNone;
    std::uint8_t DeleteRule = raNone;
    bool IndexDescending = false;   ///< InterBase: the key's index is descending
    TCompactString IndexName;       ///< InterBase: the index named for the key; MySQL: a unique key's index
    /// InterBase check: the clause as the server stores it ("check (a > 0)"), written verbatim in
    /// place of "CHECK" + source for Firebird 3 and later.
    TCompactString CheckSource;
    bool CheckOnCommit = false;     ///< SQL Anywhere foreign keys
    bool Clustered = false;         ///< SQL Anywhere primary keys, MS SQL keys
    bool NotForReplication = false; ///< MS SQL foreign keys and checks
    bool Deferrable = false, InitiallyDeferred = false; ///< PostgreSQL
    bool DeferrableInitiallyDeferred = false;           ///< written as one clause
    TIndexOptions IndexOptions;
    /// 1 for the first unnamed constraint of a text on its table, 2 for a second one, ...
    int Occurrence = 1;

private:
    /// An unnamed key or check on Firebird 3 or later: dropped by DropBySystemName.
    bool DropsBySystemName() const;
    /// The block that looks up the server's name of this unnamed constraint and drops it.
    std::string DropBySystemName() const;
    std::string Q(std::string_view Name) const;
    /// Q(Name) appended to s.
    void AppendQ(std::string& s, std::string_view Name) const;
    /// The quoted names joined by ", ", appended to s.
    void AppendQuotedList(std::string& s, const TStringList& Names) const;
    /// The (qualified) quoted table name, appended to s.
    void AppendTablePart(std::string& s) const;
    /// The clause that names the key's index, appended to s (nothing without an index name).
    void AppendUsingIndexClause(std::string& s) const;
    /// GetDefinitionSQL appended to s.
    void AppendDefinitionSQL(std::string& s, bool OmitSingleDefaultColumn) const;

    std::uint8_t ConstraintType_ = ctForeignKey;
    mutable bool dialect1Quoting_ = false; // set while the filing key is built
};

/// The key a foreign key hangs on: the primary or unique key of its referenced table whose column
/// text equals the foreign key's referenced column text; for a foreign key that names no
/// referenced columns, the referenced table's primary key (the one the server pairs it with).
/// nullptr when Objs holds no such key or ForeignKey is not a foreign key.
TCtrData* FindReferencedKey(TCustomObjs* Objs, const TCtrData* ForeignKey);

/// The primary and unique keys of a container by table name, taken once, for finding the keys of
/// many foreign keys (FindReferencedKey alone reads every constraint of the container each time).
/// The container's constraints must not change while the index is in use.
class TReferencedKeyIndex {
public:
    explicit TReferencedKeyIndex(TCustomObjs* Objs);
    /// What FindReferencedKey(Objs, ForeignKey) gives.
    TCtrData* Find(const TCtrData* ForeignKey) const;

private:
    struct Group {
        std::uint32_t First = 0;
        std::uint32_t Count = 0;
    };
    std::vector<TCtrData*> keys_; // grouped by table name, each table's keys in list order
    // Table name (the text held by the group's keys) to its group of keys_: one look-up per foreign
    // key, where a search through the sorted keys read a key object at every step.
    std::unordered_map<std::string_view, Group> groups_;
};

// Compare steps of constraints; each takes the comparer and writes into its executor.

/// Drops, from the last target constraint to the first, those of a compared kind whose text
/// differs from their master partner's or that the master lacks.
void DropConstraints(TCustomSchemalyst* Comparer);
/// Creates the missing master constraints of the types in Types (bit n = type n), in seven passes:
/// not-null checks, MS SQL defaults, primary keys, unique keys, foreign keys, checks, defaults.
void CreateConstraints(TCustomSchemalyst* Comparer, std::uint8_t Types);
/// CreateConstraints with every type but defaults (223).
void CreateConstraintsButDefaults(TCustomSchemalyst* Comparer);
/// CreateConstraints with the default type alone (32), when any constraint kind is compared.
void CreateDefaultConstraints(TCustomSchemalyst* Comparer);

} // namespace smx
