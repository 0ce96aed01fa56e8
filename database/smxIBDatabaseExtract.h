// The InterBase/Firebird metadata extractor: it reads the system tables of a live database through
// a connection component, one reader per object kind in a fixed step order, creates one object of
// the matching kind class per database object and files it in the structure's container through
// the accept rules. A capability probe first tells which catalogue columns and tables the server
// has, so that every query asks only for what exists. The run always ends with the connection
// disconnected; failures are reported through DoErrorMessage and make the run return false.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "foundation/smxDBEngine.h"
#include "foundation/smxTypes.h"
#include "model/smxClasses.h"

namespace smx {

class TFldData;
class TCtrData;
class TPrcData;

/// Which catalogue columns and tables the connected server has; each flag is set by the probe only.
struct TIBCapabilities {
    bool HasRoles = false;                ///< table RDB$ROLES
    bool HasFieldPrecision = false;       ///< RDB$FIELDS.RDB$FIELD_PRECISION
    bool HasArgumentPrecision = false;    ///< RDB$FUNCTION_ARGUMENTS.RDB$FIELD_PRECISION
    bool HasGeneratorDescription = false; ///< RDB$GENERATORS.RDB$DESCRIPTION
    bool HasRoleDescription = false;      ///< RDB$ROLES.RDB$DESCRIPTION
    bool HasRoleSystemFlag = false;       ///< RDB$ROLES.RDB$SYSTEM_FLAG
    bool HasRelationType = false;         ///< RDB$RELATIONS.RDB$RELATION_TYPE
    bool HasUpdateRule = false;           ///< RDB$REF_CONSTRAINTS.RDB$UPDATE_RULE
    bool HasDeleteRule = false;           ///< RDB$REF_CONSTRAINTS.RDB$DELETE_RULE
    bool HasParameterMechanism = false;   ///< RDB$PROCEDURE_PARAMETERS.RDB$PARAMETER_MECHANISM
    bool HasParameterDefault = false;     ///< RDB$PROCEDURE_PARAMETERS.RDB$DEFAULT_SOURCE
    bool HasParameterCollation = false;   ///< RDB$PROCEDURE_PARAMETERS.RDB$COLLATION_ID
    bool HasParameterNullFlag = false;    ///< RDB$PROCEDURE_PARAMETERS.RDB$NULL_FLAG
    bool HasIdentityGenerator = false;    ///< RDB$RELATION_FIELDS.RDB$GENERATOR_NAME
    bool HasIdentityType = false;         ///< RDB$RELATION_FIELDS.RDB$IDENTITY_TYPE
    bool HasParameterRelation = false;    ///< RDB$PROCEDURE_PARAMETERS.RDB$RELATION_NAME
    bool HasGeneratorIncrement = false;   ///< RDB$GENERATORS.RDB$GENERATOR_INCREMENT
    bool HasFunctionSource = false;       ///< RDB$FUNCTIONS.RDB$FUNCTION_SOURCE
    bool HasArgumentName = false;         ///< RDB$FUNCTION_ARGUMENTS.RDB$ARGUMENT_NAME
    bool HasArgumentDescription = false;  ///< RDB$FUNCTION_ARGUMENTS.RDB$DESCRIPTION
    bool HasPackages = false;             ///< table RDB$PACKAGES
    bool HasProcedurePackage = false;     ///< RDB$PROCEDURES.RDB$PACKAGE_NAME
    bool HasBaseCollation = false;        ///< RDB$COLLATIONS.RDB$BASE_COLLATION_NAME
    bool HasFunctionOwner = false;        ///< RDB$FUNCTIONS.RDB$OWNER_NAME
    bool HasLinger = false;               ///< RDB$DATABASE.RDB$LINGER
    bool HasMappings = false;             ///< table RDB$AUTH_MAPPING
};

/// Every capability flag, for code that walks all of them (the probe clears them this way).
inline constexpr std::array<bool TIBCapabilities::*, 26> IBCapabilityFlags = {
    &TIBCapabilities::HasRoles,
    &TIBCapabilities::HasFieldPrecision,
    &TIBCapabilities::HasArgumentPrecision,
    &TIBCapabilities::HasGeneratorDescription,
    &TIBCapabilities::HasRoleDescription,
    &TIBCapabilities::HasRoleSystemFlag,
    &TIBCapabilities::HasRelationType,
    &TIBCapabilities::HasUpdateRule,
    &TIBCapabilities::HasDeleteRule,
    &TIBCapabilities::HasParameterMechanism,
    &TIBCapabilities::HasParameterDefault,
    &TIBCapabilities::HasParameterCollation,
    &TIBCapabilities::HasParameterNullFlag,
    &TIBCapabilities::HasIdentityGenerator,
    &TIBCapabilities::HasIdentityType,
    &TIBCapabilities::HasParameterRelation,
    &TIBCapabilities::HasGeneratorIncrement,
    &TIBCapabilities::HasFunctionSource,
    &TIBCapabilities::HasArgumentName,
    &TIBCapabilities::HasArgumentDescription,
    &TIBCapabilities::HasPackages,
    &TIBCapabilities::HasProcedurePackage,
    &TIBCapabilities::HasBaseCollation,
    &TIBCapabilities::HasFunctionOwner,
    &TIBCapabilities::HasLinger,
    &TIBCapabilities::HasMappings,
};
static_assert(std::all_of(IBCapabilityFlags.begin(), IBCapabilityFlags.end(),
                          [](auto f) { return f != nullptr; }),
              "every capability flag is listed");

/// The stored default source without block comments, without a leading "DEFAULT " (any case) or
/// "=", trimmed. Quoted literals are copied whole (doubled quotes included); line comments stay.
std::string CleanDefaultSource(std::string_view Source);

/// The object kind of an InterBase object-type code (RDB$USER_TYPE, RDB$OBJECT_TYPE).
TDbObject IBObjectTypeToDbObject(int Code);

/// The metadata extractor over a connection component (referenced, not owned). DDL triggers are
/// not read (the model has no text for them): a warning (kind 1) and a log line name each one.
/// Over an InterBase connection component the two scans of the columns run on two more
/// attachments on threads of their own, on the same snapshot as the main transaction; then those
/// threads read the later steps' SELECTs ahead there, which the steps take instead of reading.
/// Grants keep the compare kind coGrant, which every grant step admits.
class TIBDBExtract : public TCustomExtract {
public:
    /// Step maximum 16, step position 0, database type InterBase.
    explicit TIBDBExtract(TComponent* AOwner = nullptr);
    ~TIBDBExtract() override;
    SMX_CLASSNAME(TIBDBExtract)

    /// The whole run: clears the structure, connects, probes, runs the 17 steps, disconnects.
    /// False when the wiring is missing (nothing is touched then), the connection could not be
    /// made, an exception ended a step, or the stop flag cut the run short; each is reported
    /// through DoErrorMessage. The objects read so far stay in the structure.
    bool ExtractDatabase() override;

    void Notification(TComponent* AComponent, TOperation Operation) override;

    TSMXCustomConnection* GetSMXConnection() const { return SMXConnection_; }
    /// Stores the connection and registers for its free-notification; nothing when unchanged.
    void SetSMXConnection(TSMXCustomConnection* Value);

    /// The flags of the last probe.
    const TIBCapabilities& GetCapabilities() const { return Caps_; }
    int GetStepPosition() const { return StepPosition_; }
    int GetStepMax() const { return StepMax_; }

    /// The argument SELECT of one function (the name pasted with its quotes doubled).
    std::string BuildArgumentSQL(std::string_view FunctionName) const;
    /// The foreign-key SELECT as one line.
    std::string BuildForeignKeySQL() const;

protected:
    /// The capability probe: clears every flag, then sets those the server's catalogue answers;
    /// then the database settings (LINGER, the default collations of character sets).
    virtual void ExtractCharSets();
    TIBCapabilities& Capabilities() { return Caps_; }

private:
    TCustomObjs* Objs() const;
    std::unique_ptr<TSMXQuery> NewQuery();
    bool IgnoreIBE() const;
    /// True when the attachment's character set is UTF8 or UNICODE_FSS: the catalogue's names and
    /// texts then need no conversion. Asked of the server once per run.
    bool KeepsCatalogueBytes();
    /// A name column of a SELECT, named Alias: with KeepsCatalogueBytes its stored bytes (no
    /// conversion), as the column's text otherwise.
    std::string NameColumn(std::string_view Column, std::string_view Alias);
    bool Stopped() const;
    /// Files Obj when its name passes the accept test of Kind, else frees it.
    void FileIfAccepted(TDbObj* Obj, const std::string& Name, TDbObject Kind);
    void LogObjectLine(const std::string& Text);
    /// Runs a count statement (pieces as lines) and fires the step event (1, Label, 0, count).
    int CountAndAnnounce(std::initializer_list<std::string_view> Pieces, const std::string& Label,
                         bool IBEPiece, std::string_view IBEText);

    void CopyServerInfo();
    /// LINGER (with HasLinger) and the character sets whose default collation was changed, into
    /// the container's database options.
    void ExtractDatabaseSettings();
    /// Logs "Not compared: ..." for what the database holds and the comparison has no place for:
    /// BLOB filters, mappings and the descriptions of the database, its character sets and its
    /// collations (a script reader logs the same statements so).
    void ReportNotCompared();
    void RunExtractionSteps();
    /// Attaches the column scans' own attachments and starts their snapshots back to back with a
    /// fresh one of the main transaction; when any of it fails, or the snapshots cannot be proved
    /// the same, the columns are read on the main attachment (same rows, only later).
    void BeginColumnScans();
    /// Runs the column scans on their attachments on worker threads, when BeginColumnScans could.
    void LaunchColumnScans();
    /// The SELECTs of the fields' types (Fields) and of the relation fields (Columns).
    void SetColumnScanSQL(TSMXQuery& Fields, TSMXQuery& Columns);
    /// The texts of the later steps' SELECTs that the column scans' workers read ahead, in step
    /// order: those of the steps that run, as their queries hold them.
    std::vector<std::string> AheadSQL();
    /// Q's rows: when the workers read Q's SELECT ahead, from Ahead, which then holds them;
    /// else Q opened.
    TSMXQuery& OpenRows(TSMXQuery& Q, std::unique_ptr<TSMXQuery>& Ahead);
    void ExtractCollations();
    void ExtractDomains();
    void ExtractTables();
    void ExtractFunctions();
    void ExtractPSQLFunction();
    void ExtractExternalFunction();
    void ExtractViews();
    void ExtractProcedures();
    void ExtractPackages();
    void ExtractTriggers();
    void ExtractExceptions();
    void ExtractGenerators();
    void ExtractIndices();
    void ExtractUniques();
    void ExtractPrimaryKeys();
    /// The SELECTs of the steps above (a count of the triggers or primary keys with Count).
    void ViewSQL(TSMXQuery& Q);
    void GeneratorSQL(TSMXQuery& Q);
    void ProcedureSQL(TSMXQuery& Procedures, TSMXQuery& Parameters);
    void TriggerSQL(TSMXQuery& Q, bool Count);
    void IndexSQL(TSMXQuery& Q);
    void UniqueSQL(TSMXQuery& Q);
    void PrimaryKeySQL(TSMXQuery& Q, bool Count);
    /// The SELECT of every index's segments, in position order.
    void IndexSegmentSQL(TSMXQuery& Q);
    void ExtractForeignKeys();
    void ExtractChecks();
    void ExtractRoles();
    void ExtractGrants();
    /// The grants' SELECT: every kind of grant the comparison keeps, sorted by kind.
    std::string GrantsSQL() const;
    void ReadGrants(const std::string& QueryText);
    void ParseBodiesAndLinkDependencies();

    /// The names of the character sets and collations, read once per run at the first call.
    void ReadCatalogueNames();
    /// Sets data-type code, precision and scale of Field from the catalogue values.
    void ReadPrecisionAndScale(int FieldType, int SubType, bool HasPrecision, TFldData& Field,
                               std::optional<std::int64_t> Scale, std::optional<std::int64_t> Precision);
    /// Reads the array bounds of the column whose field source is FieldSource.
    void ReadDimensions(TSMXQuery& Query, const std::string& FieldSource, TFldData& Field);
    /// Fills an argument of an external or PSQL function from an argument row.
    void ReadArgument(TSMXQuery& Row, TFldData& Field);
    /// What a PSQL function's argument row declares beyond its type: domain, TYPE OF [COLUMN],
    /// collation, default clause and NOT NULL (Firebird 3 on).
    void ReadDeclaredArgument(TSMXQuery& Row, TFldData& Field);
    /// The shared naming and index rules of the constraint readers.
    void ApplyConstraintName(TCtrData& Ctr, const std::string& ConstraintName);
    void ApplyConstraintIndex(TCtrData& Ctr, const std::string& IndexName, std::int64_t IndexType);
    /// The "---" line and the accept test of a key constraint, then filing.
    void FileConstraint(TCtrData* Ctr, TDbObject Kind);
    /// The columns (trimmed) of the index named IndexName (padding blanks aside), in position order;
    /// the segments of every index are read once per run, at the first call.
    const std::vector<std::string>& IndexColumns(std::string_view IndexName);

    struct TColumnScans;

    TSMXCustomConnection* SMXConnection_ = nullptr;
    std::unique_ptr<TSMXQuery> Query_; // the working query of a run
    std::unique_ptr<TColumnScans> columnScans_; // of a run
    TIBCapabilities Caps_;
    std::unique_ptr<std::unordered_map<std::string, std::vector<std::string>>> indexColumns_; // of a run
    struct TViewLookups;
    std::unique_ptr<TViewLookups> viewLookups_; // of a run, from the tables step
    std::optional<bool> keepsBytes_;                                                          // of a run
    std::optional<std::string> nameType_; // the type NameColumn casts names to, of a run
    std::map<int, std::string> charSetNames_;                   // by id, of a run
    std::map<std::pair<int, int>, std::string> collationNames_; // by character set and id, of a run
    bool catalogueNamesRead_ = false;
    int StepMax_ = 16;
    int StepPosition_ = 0;
};

} // namespace smx
