// The table data comparer: it reads the rows of a master table and a target table in key order
// through two connections, merges them in one pass and writes the INSERT, UPDATE and DELETE
// statements that make the target's rows equal to the master's, into the data script (with its
// large-object file) and the executor's list, or runs them on the target at once. Column lists come
// from the properties, the events or the database's catalogue. A run that cannot finish soundly
// (rows out of key order, a large-object value that cannot be stored, a failed write, a database
// error in the merge) stops and leaves no script behind, so a half-written script never runs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/smxDBEngine.h"
#include "foundation/smxDBOptions.h"
#include "foundation/smxMsgMngr.h"
#include "foundation/smxTypes.h"
#include "model/smxClasses.h"
#include "platform/smxComponent.h"
#include "platform/smxDB.h"
#include "platform/smxEnumSet.h"
#include "platform/smxExceptions.h"
#include "platform/smxStringList.h"

namespace smx {

class TTableDataComparer;

/// The statements a comparison may produce.
enum class TDataCompareOperation : std::uint8_t { dcopInsert, dcopUpdate, dcopDelete };
/// Set of operations (insert 1, update 2, delete 4).
using TDataCompareOperations = EnumSet<TDataCompareOperation, std::uint8_t>;
inline constexpr TDataCompareOperations AllDataCompareOperations{
    TDataCompareOperation::dcopInsert, TDataCompareOperation::dcopUpdate, TDataCompareOperation::dcopDelete};
static_assert(AllDataCompareOperations.mask() == 7);

/// Replaces the comparison of two values: negative when the master value sorts first.
using TCompareFieldsEvent = std::function<int(TObject* Sender, const TField& FieldM, const TField& FieldT)>;
/// Fills the master's and the target's key, data or exclude list.
using TGetFieldsEvent = std::function<void(TObject* Sender, TStringList& FieldsM, TStringList& FieldsT)>;
/// May replace the SQL text of a master field's value.
using TGetDataValueEvent = std::function<void(TObject* Sender, const TField& Field, std::string& aValue)>;
/// Fills two empty lists with the master's and the target's statement text.
using TGetSQLEvent = std::function<void(TObject* Sender, TStringList& SQLM, TStringList& SQLT)>;
/// Sees every statement before it leaves the comparer; setting Accept to false drops it.
using TAddResultSQLEvent =
    std::function<void(TObject* Sender, bool& Accept, const std::string& aSQL, TStatType aStatType,
                       const std::string& aObjName, TDbObject aObjType, TDbOperation opType)>;
/// Receives the immediate-execution query right before it runs.
using TDataSetNotifyEvent = std::function<void(TSMXQuery* DataSet)>;

/// Raised after the reason was reported: the run stops, and its script and large-object file go.
class EDataCompareStopped : public Exception {
public:
    using Exception::Exception;
};

/// What the catalogue tells about a column beyond its name.
enum class TColumnClass : std::uint8_t { ccPlain, ccBlob, ccArray };

/// A column's type as Firebird's catalogue declares it: enough to tell whether the two sides store
/// and compare the column alike, and how its text can be ordered byte by byte.
struct TColumnType {
    int FieldType = 0;  ///< RDB$FIELD_TYPE (7 SMALLINT, 8 INTEGER, 14 CHAR, 37 VARCHAR, 261 BLOB, ...)
    int SubType = 0;    ///< numeric kind (1 NUMERIC, 2 DECIMAL) or BLOB sub-type
    int Scale = 0;      ///< digits after the decimal point
    int Precision = 0;  ///< declared digits of NUMERIC and DECIMAL
    int CharLength = 0; ///< characters of CHAR and VARCHAR
    int ByteLength = 0; ///< bytes of the stored value (CHAR, VARCHAR)
    int CharSetId = 0;  ///< 0 NONE, 1 OCTETS, ...
    int CollationId = 0;
    std::string CharSetName;
    std::string CollationName;
};

/// The column lists of one side: the table's columns, the columns compared and written, the key
/// columns and the excluded ones, with the side's table name and connection.
class TCmpTableOptions : public TObject {
public:
    explicit TCmpTableOptions(TTableDataComparer* AOwner = nullptr) : owner_(AOwner) {}
    SMX_CLASSNAME(TCmpTableOptions)

    /// Copies the table name and the six lists (not the owner, connection or column classes).
    void Assign(const TCmpTableOptions& Source);

    /// The table's columns as read from the catalogue.
    TStringList& GetAllFields() { return allFields_; }
    const TStringList& GetAllFields() const { return allFields_; }
    /// The columns compared and written, in select order.
    TStringList& GetDataList() { return dataList_; }
    const TStringList& GetDataList() const { return dataList_; }
    /// The columns that order and identify rows.
    TStringList& GetKeyList() { return keyList_; }
    const TStringList& GetKeyList() const { return keyList_; }
    /// The columns removed from the two lists above.
    TStringList& GetExcludeList() { return excludeList_; }
    const TStringList& GetExcludeList() const { return excludeList_; }

    const std::string& GetTableName() const { return tableName_; }
    void SetTableName(std::string_view Value) { tableName_ = Value; }
    const TStringList& GetKeyFields() const { return keyFields_; }
    void SetKeyFields(const TStringList& Value) { keyFields_.Assign(Value); }
    const TStringList& GetDataFields() const { return dataFields_; }
    void SetDataFields(const TStringList& Value) { dataFields_.Assign(Value); }
    const TStringList& GetExcludeFields() const { return excludeFields_; }
    void SetExcludeFields(const TStringList& Value) { excludeFields_.Assign(Value); }
    bool GetAllowSystemTables() const { return allowSystemTables_; }
    void SetAllowSystemTables(bool Value) { allowSystemTables_ = Value; }

    TTableDataComparer* GetOwner() const { return owner_; }
    /// The side's connection (set by the comparer's connection setters).
    TSMXCustomConnection* GetConnection() const { return connection_; }
    void SetConnection(TSMXCustomConnection* Value) { connection_ = Value; }

    /// The class the catalogue gave the column (ccPlain when unknown).
    TColumnClass GetColumnClass(std::string_view Name) const;
    void SetColumnClass(std::string_view Name, TColumnClass Class) { classes_[std::string(Name)] = Class; }
    /// The column's declared type, or nullptr when the catalogue did not tell it.
    const TColumnType* FindColumnType(std::string_view Name) const;
    void SetColumnType(std::string_view Name, const TColumnType& Type) { types_[std::string(Name)] = Type; }
    /// Forgets the classes and types of the columns.
    void ClearColumnClasses() {
        classes_.clear();
        types_.clear();
    }

private:
    TStringList allFields_;
    TStringList dataList_;
    TStringList keyList_;
    TStringList excludeList_;
    std::string tableName_;
    TStringList keyFields_;
    TStringList dataFields_;
    TStringList excludeFields_;
    TTableDataComparer* owner_ = nullptr;
    TSMXCustomConnection* connection_ = nullptr;
    bool allowSystemTables_ = false;
    std::map<std::string, TColumnClass> classes_;
    std::map<std::string, TColumnType> types_;
};

/// Compares the rows of one master table with one target table and produces the data statements.
class TTableDataComparer : public TComponent {
public:
    explicit TTableDataComparer(TComponent* AOwner = nullptr);
    ~TTableDataComparer() override;
    SMX_CLASSNAME(TTableDataComparer)

    /// Runs one comparison. False for missing wiring, mismatched list counts or a failed connect
    /// (nothing is compared then); True otherwise, also when errors were reported ("Errors: n").
    /// Connections are left as they were found.
    bool Execute();

    // ---- Wiring ----
    TSMXCustomConnection* GetSMXConnectionMaster() const { return connectionMaster_; }
    void SetSMXConnectionMaster(TSMXCustomConnection* Value);
    TSMXCustomConnection* GetSMXConnectionTarget() const { return connectionTarget_; }
    void SetSMXConnectionTarget(TSMXCustomConnection* Value);
    TCustomSQLExec* GetSQLExec() const { return sqlExec_; }
    void SetSQLExec(TCustomSQLExec* Value);
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // ---- Tables and column lists ----
    const std::string& GetTableNameMaster() const { return tableNameMaster_; }
    /// Also stores the name in the master's options.
    void SetTableNameMaster(std::string_view Value);
    const std::string& GetTableNameTarget() const { return tableNameTarget_; }
    /// Also stores the name in the target's options.
    void SetTableNameTarget(std::string_view Value);
    const TStringList& GetCustomKeyFields() const { return customKeyFields_; }
    void SetCustomKeyFields(const TStringList& Value) { customKeyFields_.Assign(Value); }
    const TStringList& GetCustomDataFields() const { return customDataFields_; }
    void SetCustomDataFields(const TStringList& Value) { customDataFields_.Assign(Value); }
    const TStringList& GetExcludeDataFields() const { return excludeDataFields_; }
    void SetExcludeDataFields(const TStringList& Value) { excludeDataFields_.Assign(Value); }
    TCmpTableOptions& GetTableOptionsMaster() { return tableOptionsMaster_; }
    void SetTableOptionsMaster(const TCmpTableOptions& Value) { tableOptionsMaster_.Assign(Value); }
    TCmpTableOptions& GetTableOptionsTarget() { return tableOptionsTarget_; }
    void SetTableOptionsTarget(const TCmpTableOptions& Value) { tableOptionsTarget_.Assign(Value); }

    // ---- Switches ----
    TDataCompareOperations GetAllowedOperations() const { return allowedOperations_; }
    void SetAllowedOperations(TDataCompareOperations Value) { allowedOperations_ = Value; }
    bool GetUpdateImmediately() const { return updateImmediately_; }
    /// Also sets ScriptOptions.GenerateScript to the negation.
    void SetUpdateImmediately(bool Value);
    bool GetCompareBlobs() const { return compareBlobs_; }
    void SetCompareBlobs(bool Value) { compareBlobs_ = Value; }
    bool GetIncludeBlobs() const { return includeBlobs_; }
    void SetIncludeBlobs(bool Value) { includeBlobs_ = Value; }
    bool GetTrimCharFields() const { return trimCharFields_; }
    void SetTrimCharFields(bool Value) { trimCharFields_ = Value; }
    bool GetIgnoreComputedFields() const { return ignoreComputedFields_; }
    void SetIgnoreComputedFields(bool Value) { ignoreComputedFields_ = Value; }

    // ---- Output ----
    const std::string& GetScriptFileName() const { return scriptFileName_; }
    /// Also sets BlobFileName to the same name with the extension ".LOB".
    void SetScriptFileName(std::string_view Value);
    const std::string& GetBlobFileName() const { return blobFileName_; }
    void SetBlobFileName(std::string_view Value) { blobFileName_ = Value; }
    TScriptOptions& GetScriptOptions() { return scriptOptions_; }
    void SetScriptOptions(const TScriptOptions& Value) { scriptOptions_ = Value; }

    // ---- Options copied from the target (else master) connection for a run ----
    TConnectionOptions& GetConnectionOptions() { return connectionOptions_; }
    TIBTableDataComparerOptions& GetIBServerOptions() { return ibServerOptions_; }
    void SetIBServerOptions(const TIBServerOptions& Value) { ibServerOptions_.Assign(Value); }
    TMSSQLServerOptions& GetMSSQLServerOptions() { return mssqlServerOptions_; }
    TMySQLServerOptions& GetMySQLServerOptions() { return mysqlServerOptions_; }

    // ---- Results of the last run ----
    int GetEqual() const { return equal_; }
    int GetInserted() const { return inserted_; }
    int GetUpdated() const { return updated_; }
    int GetDeleted() const { return deleted_; }
    int GetErrorCount() const { return errorCount_; }
    TMsgManager& GetMsgManager() { return msgManager_; }
    /// The target connection's database type, else the master's, else dbAbstract.
    TDatabaseType GetDatabaseType() const;

    // ---- Messages ----
    /// OnLogNextLine when assigned; recorded as an information message.
    void LogLine(const std::string& Text);
    /// Counts the error, passes "Error: " + Text to OnErrorMessage (else the message box) and
    /// records Text as an error message.
    void ErrorMessage(const std::string& Text);

    // ---- Texts ----
    /// Name quoted for the side's connection (its database type, dialect and server version);
    /// unchanged without a connection.
    std::string QuoteTableName(const TCmpTableOptions& Options, std::string_view Name) const;
    /// Paradox and dBASE: a local-SQL keyword becomes table + "." + the name in double quotes;
    /// every other type as QuoteTableName.
    std::string QuoteFieldName(const TCmpTableOptions& Options, std::string_view Name) const;
    /// The names joined by ", "; a name beginning with a double quote is used as it is.
    std::string JoinFieldList(const TCmpTableOptions& Options, const TStringList& List) const;
    /// The SQL text of a field's value for the run's database type. A large object is written to
    /// the large-object file and referenced; that raises EDataCompareStopped (after reporting)
    /// when the value cannot be stored.
    std::string FieldValueText(const TCmpTableOptions& Options, const TField& Field);
    /// A floating-point value as SQL text: the format option, a whole number, or the short
    /// scientific form (with the full 17-digit form when the short one does not read back exactly).
    std::string FloatLiteral(double Value) const;
    /// The date-time text of a date, time or timestamp value (without quotes).
    std::string DateTimeText(TFieldType Type, TDateTime Value) const;

    // ---- Comparison ----
    /// Negative when the master value sorts first, 0 when equal. Keys (AsKey) compare text with
    /// trailing blanks not significant, as Firebird orders it; data compare it byte for byte.
    int CompareFieldValues(const TField& FieldM, const TField& FieldT, bool AsKey = false);
    /// How a pair of values compares: as data, as a key in the server's padded text order, or as a
    /// key whose select orders its text by the bytes without trailing blanks.
    enum class TCompareAs : std::uint8_t { caData, caKey, caKeyBytes };
    /// Large objects: 1 when the target is shorter or differs, -1 when it is longer, 0 when equal.
    int CompareBlobFields(const TField& FieldM, const TField& FieldT) const;

    // ---- Statements ----
    /// The select of one side: its data list (or "*") from its table, in key order.
    std::string BuildSelectSQL(const TCmpTableOptions& Options) const;
    /// OnGetSelectSQL when assigned, else both sides' BuildSelectSQL.
    void GetSelectSQL(TStringList& SQLM, TStringList& SQLT);
    /// Fills the side's all-columns list from the catalogue of its database and checks that the
    /// table exists; reports and returns false when it does not or the catalogue fails.
    bool GetTableColumns(TCmpTableOptions& Options, TSMXQuery* Query);
    /// The road of every statement: the event, then immediate execution or the executor's list
    /// and the script file. A failed write of the script raises EDataCompareStopped.
    void AddResultSQL(const std::string& Text, TStatType StatType, const std::string& ObjName,
                      TDbOperation Operation, TDbObject ObjKind);

    // ---- Events ----
    TLogNextLineEvent OnLogNextLine;
    TErrorMessageEvent OnErrorMessage;
    TProgressUpdateEvent OnProgressUpdateMaster;
    TProgressUpdateEvent OnProgressUpdateTarget;
    TCompareFieldsEvent OnCompareFields;
    TGetFieldsEvent OnGetKeyFields;
    TGetFieldsEvent OnGetDataFields;
    TGetFieldsEvent OnGetExcludeFields;
    TGetDataValueEvent OnGetDataValue;
    TGetSQLEvent OnGetSelectSQL;
    TGetSQLEvent OnGetCountSQL;
    TAddResultSQLEvent OnAddResultSQL;
    TDataSetNotifyEvent BeforeOpen;

private:
    class TOutFile;  // a file written by a run, with its size and its write checks
    class TRowSpill; // master rows whose INSERT waits for the target's DELETEs, in a temporary file
    struct TRunFields;

    bool ConnectSide(TSMXCustomConnection* Connection, const std::string& Prefix, bool& ConnectedHere);
    void DisconnectSide(TSMXCustomConnection* Connection, bool ConnectedHere, const std::string& Line);
    void PrepareAndCompare();
    bool ResolveCompareFields(TCmpTableOptions& Options, TSMXQuery* Query, bool& DataDefault,
                              bool& KeyDefault);
    bool CheckNamedColumns(TCmpTableOptions& Options, const TStringList& List, bool Keys);
    bool PairDefaultColumns(bool DataDefault, bool KeyDefault);
    bool CheckColumnTypes();
    bool OrdersByBytes(const TCmpTableOptions& Options, std::string_view Name) const;
    std::string OrderItem(const TCmpTableOptions& Options, const std::string& Name, bool NullsFirst) const;
    bool GetInterBaseColumns(TCmpTableOptions& Options, TSMXQuery& Query);
    bool GetOtherColumns(TCmpTableOptions& Options, TSMXQuery& Query, TDatabaseType Type);
    bool GetADOColumns(TCmpTableOptions& Options);
    bool DropBlobColumnsByPreparing(TCmpTableOptions& Options, TSMXQuery& Query);
    std::string NormalizeTableName(std::string_view Name, TDatabaseType Type) const;
    bool UsesNullsFirst(TDatabaseType Type) const;
    int KeyFieldCount();
    int DataFieldCount();
    std::string DatabaseNameOf(const TCmpTableOptions& Options) const;

    void CompareRows();
    void ResolveRunFields();
    void CheckKinds();
    void CheckRowOrder(bool Master);
    void FireProgress();
    void RunCountStatements();
    void AddScriptHeader();
    int CompareCurrentRows();
    /// Compares two lists of fields pairwise (large objects only when compareBlobs_); the first
    /// difference decides.
    int CompareFieldLists(const std::vector<TField*>& FieldsM, const std::vector<TField*>& FieldsT,
                          const std::vector<TCompareAs>& Modes);
    int CompareAs(const TField& FieldM, const TField& FieldT, TCompareAs Mode);
    void InsertRow();
    void SpillInsert();
    void InsertSpilledRows();
    void UpdateRow();
    void DeleteRow();
    std::string InsertValueList();
    std::string BuildKeyCondition();
    std::string WriteBlobValue(const TField& Field);
    void ExecuteImmediately(const std::string& Text);
    void CreateBlobFile();
    void StopCleanup();
    void RemoveResultFiles();
    [[noreturn]] void Stop(const std::string& Reason);

    // Published state.
    TCmpTableOptions tableOptionsMaster_{this};
    TCmpTableOptions tableOptionsTarget_{this};
    TStringList customKeyFields_;
    TStringList customDataFields_;
    TStringList excludeDataFields_;
    TDataCompareOperations allowedOperations_ = AllDataCompareOperations;
    bool updateImmediately_ = false;
    bool compareBlobs_ = true;
    bool includeBlobs_ = true;
    bool trimCharFields_ = false;
    bool ignoreComputedFields_ = true;
    std::string scriptFileName_;
    std::string blobFileName_;
    TScriptOptions scriptOptions_;
    TCustomSQLExec* sqlExec_ = nullptr;
    TSMXCustomConnection* connectionMaster_ = nullptr;
    TSMXCustomConnection* connectionTarget_ = nullptr;
    std::string tableNameMaster_;
    std::string tableNameTarget_;
    TMsgManager msgManager_;
    TConnectionOptions connectionOptions_;
    TIBTableDataComparerOptions ibServerOptions_;
    TMSSQLServerOptions mssqlServerOptions_;
    TMySQLServerOptions mysqlServerOptions_;

    // State of a run.
    std::unique_ptr<TSMXQuery> queryMaster_;
    std::unique_ptr<TSMXQuery> queryTarget_;
    std::unique_ptr<TSMXQuery> queryImmediate_;
    std::unique_ptr<TOutFile> scriptFile_;
    std::unique_ptr<TOutFile> blobFile_;
    std::unique_ptr<TRunFields> fields_;
    int rowTotalMaster_ = 0, rowTotalTarget_ = 0;
    int currentMaster_ = 0, currentTarget_ = 0;
    int equal_ = 0, inserted_ = 0, updated_ = 0, deleted_ = 0, errorCount_ = 0;
    bool dataDiffer_ = false;
    bool blobsPresent_ = false;
    bool dataDefaultMaster_ = false, keyDefaultMaster_ = false;
    bool dataDefaultTarget_ = false, keyDefaultTarget_ = false;
};

} // namespace smx
