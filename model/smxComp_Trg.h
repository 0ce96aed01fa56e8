// Triggers: table, view, database and server triggers with their CREATE, ALTER and DROP texts per
// dialect, the InterBase trigger-type table, and the trigger compare steps. Like routines, trigger
// bodies are emptied when something they use is about to change and restored late in a comparison.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/smxClasses.h"

namespace smx {

/// One InterBase trigger type: the RDB$TRIGGER_TYPE code, its mask (0x001 BEFORE, 0x002 AFTER,
/// 0x200 INSERT, 0x400 UPDATE, 0x800 DELETE) and its name.
struct TTrgType {
    std::int32_t Code;
    std::int32_t Mask;
    std::string_view Name;
};

/// The InterBase table-trigger types.
// clang-format off
inline constexpr std::array<TTrgType, 14> TrgTypes = {{
    {1,   0x201, "BEFORE INSERT"},
    {2,   0x202, "AFTER INSERT"},
    {3,   0x401, "BEFORE UPDATE"},
    {4,   0x402, "AFTER UPDATE"},
    {5,   0x801, "BEFORE DELETE"},
    {6,   0x802, "AFTER DELETE"},
    {17,  0x601, "BEFORE INSERT OR UPDATE"},
    {18,  0x602, "AFTER INSERT OR UPDATE"},
    {25,  0xa01, "BEFORE INSERT OR DELETE"},
    {26,  0xa02, "AFTER INSERT OR DELETE"},
    {27,  0xc01, "BEFORE UPDATE OR DELETE"},
    {28,  0xc02, "AFTER UPDATE OR DELETE"},
    {113, 0xe01, "BEFORE INSERT OR UPDATE OR DELETE"},
    {114, 0xe02, "AFTER INSERT OR UPDATE OR DELETE"},
}};
// clang-format on

/// The time and events of an InterBase table-trigger type code ("AFTER INSERT OR UPDATE", ...).
std::string IBTriggerTypeText(std::int32_t Code);

/// Firebird 3 DDL triggers: bit 14 of RDB$TRIGGER_TYPE marks one, bit 0 is AFTER, and each event
/// has a bit of its own (bits 13 to 15 carry none).
inline constexpr std::uint64_t DDLTriggerFlag = 0x4000;
/// The event bits of ANY DDL STATEMENT (every bit but 0, 13 and 63).
inline constexpr std::uint64_t DDLTriggerAnyEvents = 0x7FFFFFFFFFFFDFFE;
/// The DDL event of each bit of a DDL trigger's type, as the server names it; empty for none.
// clang-format off
inline constexpr std::array<std::string_view, 48> DDLTriggerEvents = {
    "",                                                         // 0: AFTER
    "CREATE TABLE", "ALTER TABLE", "DROP TABLE",                // 1..3
    "CREATE PROCEDURE", "ALTER PROCEDURE", "DROP PROCEDURE",    // 4..6
    "CREATE FUNCTION", "ALTER FUNCTION", "DROP FUNCTION",       // 7..9
    "CREATE TRIGGER", "ALTER TRIGGER", "DROP TRIGGER",          // 10..12
    "", "", "",                                                 // 13..15
    "CREATE EXCEPTION", "ALTER EXCEPTION", "DROP EXCEPTION",    // 16..18
    "CREATE VIEW", "ALTER VIEW", "DROP VIEW",                   // 19..21
    "CREATE DOMAIN", "ALTER DOMAIN", "DROP DOMAIN",             // 22..24
    "CREATE ROLE", "ALTER ROLE", "DROP ROLE",                   // 25..27
    "CREATE INDEX", "ALTER INDEX", "DROP INDEX",                // 28..30
    "CREATE SEQUENCE", "ALTER SEQUENCE", "DROP SEQUENCE",       // 31..33
    "CREATE USER", "ALTER USER", "DROP USER",                   // 34..36
    "CREATE COLLATION", "DROP COLLATION", "ALTER CHARACTER SET", // 37..39
    "CREATE PACKAGE", "ALTER PACKAGE", "DROP PACKAGE",          // 40..42
    "CREATE PACKAGE BODY", "DROP PACKAGE BODY",                 // 43, 44
    "CREATE MAPPING", "ALTER MAPPING", "DROP MAPPING",          // 45..47
};
// clang-format on

/// The event clause of a DDL trigger's type, as the server writes it: "BEFORE CREATE TABLE OR
/// ALTER TABLE", "AFTER ANY DDL STATEMENT".
std::string DDLTriggerEventText(std::uint64_t Type);

/// A table, view, database or server trigger. Kind dboTrigger. The body is the inherited source.
class TTrgData : public TDbObj {
public:
    explicit TTrgData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TTrgData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olTriggers; }

    std::string GetTableName() const override { return TableName; }
    /// Header of the effective dialect + body; MS SQL/ASE without a body: the stored definition.
    std::string GetCreateSQL() const override;
    /// MS SQL: the header in its ALTER form + body; others "ALTER TRIGGER name" + body.
    std::string GetAlterSQL() const override;
    std::string GetDropSQL() const override;
    /// The header with the body as it was when this was first asked.
    std::string GetCachedSQL() const override;
    /// The empty-body CREATE text (what the structure writer saves as the trigger's header file).
    std::string GetEmptyCreateSQL() const override { return GetEmptyBodySQL(); }
    /// Empties the bodies of the other triggers that use the view the trigger belongs to; then
    /// the inherited walk.
    void MarkDependents() override;
    /// The inherited creation; a trigger the script creates remembers the body it was created with,
    /// and one whose target namesake it replaces is flagged Recreated.
    void CreateDependDef() override;

    std::string GetEmptyBody() const override { return EmptyTriggerBody(); }
    /// Sets the body-emptied flag on the trigger and on its partner.
    void SetBodyEmptied(bool Value) override;
    /// Nothing when the trigger does not exist or already has its empty body. Otherwise the body
    /// becomes the empty body, DependsOn entries need no more processing, the master namesake is
    /// flagged body-emptied, and the ALTER text is filed (odbAlter). PostgreSQL and MySQL, which
    /// cannot alter a trigger's body, drop the existing trigger instead (DropWithDependents) after
    /// flagging the master namesake. Emit is not consulted.
    void EmptyBody(bool Emit) override;
    /// The body that does nothing, in the effective dialect.
    std::string EmptyTriggerBody() const;
    /// The CREATE text with the empty body.
    std::string GetEmptyBodySQL() const;
    /// Stores the name of the table or view (or "DATABASE", "ALL SERVER") the trigger belongs to.
    void SetTableName(std::string_view Value) { TableName = Value; }
    /// The table, else the view, of the table name in the trigger's container (for SQL Anywhere
    /// keyed by owner + "." + table, for PostgreSQL by the trigger's schema + "." + table); looked
    /// up on each call, so it never names a freed object.
    TDbObj* GetLinkedObject() const;
    /// A "DATABASE" or "ALL SERVER" trigger.
    bool IsDatabaseTrigger() const { return TableName == "DATABASE" || TableName == "ALL SERVER"; }
    /// A Firebird 3 DDL trigger: a database trigger whose event clause starts with BEFORE or AFTER.
    bool IsDDLTrigger() const;
    /// The body as the CREATE and ALTER texts write it: the source, the empty body of the dialect
    /// for an emptied trigger, or the EXTERNAL NAME ... ENGINE clause of an external trigger.
    std::string GetBodyText() const;

    std::string TableName; ///< the table or view the trigger belongs to, or "DATABASE"/"ALL SERVER"
    std::uint8_t BodyEmptied = 0;
    std::string CreatedBody; ///< the body the update script last created the trigger with
    /// The script made the master trigger again after dropping its target namesake: the target then
    /// holds the master's definition, header included. Cleared when the comparison ends.
    bool Recreated = false;
    std::uint8_t Active = 1;
    std::uint8_t Time = 0;   ///< 1 BEFORE, 2 AFTER, 4 FOR, 5 INSTEAD OF
    std::uint8_t Events = 0; ///< bits: 2 INSERT, 4 UPDATE, 8 DELETE
    std::int32_t Position = 0;
    std::int32_t IBTypeCode = 0; ///< RDB$TRIGGER_TYPE of a table trigger
    TStringList UpdateColumns{true};
    std::string NewAlias, OldAlias, RemoteAlias, NewTableAlias, OldTableAlias, ParentAlias;
    std::string WhenCondition;
    std::uint8_t ForEachRow = 0, ForEachStatement = 0;
    std::string DB2Mode;
    std::uint8_t TSQLForm = 0; ///< SQL Anywhere: the form ON table FOR events
    std::uint8_t WithAppend = 0, NotForReplication = 0;
    std::string DatabaseEvent; ///< the event clause of a database or DDL trigger
    /// Firebird 3 external trigger: the EXTERNAL NAME text and the ENGINE name (empty for PSQL).
    std::string ExternalName, EngineName;
    /// MS SQL/ASE: the whole definition, the CREATE text of a trigger without a body.
    std::string Definition;

private:
    std::string Header(bool Alter) const;

    mutable std::string cachedBody_;
    mutable bool cachedBodySet_ = false;
};

// Compare steps of triggers.

/// Empties the bodies of target-only triggers on views before the views are dropped; PostgreSQL
/// and MySQL drop those triggers here.
void EmptyTriggersBeforeDrop(TCustomObjs* MasterObjs, TCustomObjs* TargetObjs, TCustomSQLExec* Exec,
                             TCmpObjSetType CompareObjects);
/// Drops the target-only triggers.
void DropTriggers(TCustomObjs* MasterObjs, TCustomObjs* TargetObjs, TCustomSQLExec* Exec,
                  TCmpObjSetType CompareObjects);
/// Creates the master triggers the target lacks, including those whose target twin the script
/// dropped on its way (with a view or a re-created table).
void CreateNewTriggers(TCustomObjs* MasterObjs, TCustomObjs* TargetObjs, TCustomSQLExec* Exec,
                       TCmpObjSetType CompareObjects);
/// Alters changed triggers, or drops and creates them again when their header changed, and
/// restores emptied bodies.
void AlterTriggers(TCustomSchemalyst* Comparer);

} // namespace smx
