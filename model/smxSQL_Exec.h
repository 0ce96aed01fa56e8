// The generic script executor. It renders a statement list as script text in the executor's dialect
// (terminators, "SET TERM" blocks around InterBase routines, "/" after Oracle routines, optional
// COMMIT WORK lines) and runs it statement by statement on a connection component: each DDL
// statement is committed at once and rolled back alone, data statements are committed together at
// the end of the run. Data statements may take large-object values from the file that a
// SET BLOBFILE statement names. Failures are reported and counted, never raised out of a run.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/smxDBEngine.h"
#include "foundation/smxDBOptions.h"
#include "model/smxClasses.h"
#include "platform/smxDB.h"

namespace smx {

class TCustomSQLParser;

/// Frees a parser made by the installed factory: the model knows the parser class only by name, so
/// the factory supplies how to free what it made.
struct TSQLParserDeleter {
    void (*Destroy)(TCustomSQLParser*) = nullptr;
    void operator()(TCustomSQLParser* Parser) const {
        if (Parser && Destroy) Destroy(Parser);
    }
};
using TSQLParserPtr = std::unique_ptr<TCustomSQLParser, TSQLParserDeleter>;
/// Makes a generic SQL parser without owner. The parsing library installs it (the model cannot
/// depend on the parsers); none until then.
using TSQLParserFactory = TSQLParserPtr (*)();
/// Installs the factory behind TSQLExec::CreateParser; returns the previous one.
TSQLParserFactory SetSQLParserFactory(TSQLParserFactory Factory);

/// Supplies the value of a statement parameter that is not read from the large-object file.
using TGetParamValueEvent = std::function<void(TObject* Sender, TParam& Param)>;

/// Renders and runs a statement list on a connection. While a run (ExecuteScript or
/// ExecuteStatement) is in progress, a second run and every change of the statement list are
/// refused with an error message.
class TSQLExec : public TCustomSQLExec {
public:
    explicit TSQLExec(TComponent* AOwner = nullptr);
    ~TSQLExec() override;
    SMX_CLASSNAME(TSQLExec)

    /// Forgets the connection when that component goes.
    void Notification(TComponent* AComponent, TOperation Operation) override;
    /// Resets the nine option objects to their defaults, then frees the statements. Refused during a run.
    void ClearStatements() override;
    /// Frees one statement. Refused during a run.
    void DeleteStatement(int Index) override;
    /// Refused during a run (the script file name stays); else as inherited.
    void LoadScriptFromFile(const std::string& FileName) override;
    /// Refused during a run; the generic executor reads no scripts.
    void LoadScript(const TStringList& Lines) override;
    /// Stores Text as the current statement's ErrorText, then reports and counts it.
    void DoErrorMessage(const std::string& Text) override;
    /// Files "COMMIT WORK;" ("Commit Work" and "go" for ASA) as a commit statement.
    void AddCommit() override;
    /// Files Text as a comment statement (object name "/*  */").
    TStatement* AddComment(std::string_view Text) override;
    /// InterBase only: a RECONNECT statement when UseRECONNECT is set, else the CONNECT text of
    /// the executor's connection options (nothing when that is empty).
    void AddReconnect() override;
    /// Reconnects the connection with the executor's options and logs "Connect: "db"". Failures
    /// are reported, not raised.
    void Connect() override;
    /// When connected: logs "Disconnect: "db"" and disconnects. Failures are reported, not raised.
    void Disconnect() override;
    /// Runs one statement at once, connecting first (and disconnecting afterwards) when needed.
    /// Returns false for nullptr, without a connection, during a run, or when the statement failed.
    bool ExecuteStatement(TStatement* Statement) override;
    /// Appends the script text of the list to Lines; with MarkLines every statement's FirstLine
    /// receives the index of its first line.
    void GetScriptLines(TStringList& Lines, bool MarkLines) override;
    /// Runs the list on the connection. True when every statement succeeded; "Update script is
    /// empty." for an empty list; false without a connection, after any error, or when stopped.
    /// Errors recorded while the list was loaded (GetLoadErrorCount) start the count: such a run
    /// never succeeds, and with BreakOnError it stops before the first statement.
    bool ExecuteScript() override;

    /// A new generic SQL parser without owner, from the installed factory; nullptr without one.
    TSQLParserPtr CreateParser() const;
    /// Name quoted for the executor's database type and InterBase version (dialect 3).
    std::string QuoteName(std::string_view Name) const;
    TSMXCustomConnection* GetSMXConnection() const { return SMXConnection_; }
    /// Stores the connection; it is forgotten when that component is freed.
    void SetSMXConnection(TSMXCustomConnection* Connection);
    /// The connection's nine option objects take the executor's (connection options first).
    void CopyOptionsToConnection();
    /// The statement being executed, or nullptr outside a run.
    TStatement* GetCurrentStatement() const { return CurrentStatement_; }
    /// True while ExecuteScript or ExecuteStatement runs.
    bool IsRunning() const { return Running_; }
    /// The large-object file named by the last SET BLOBFILE statement.
    const std::string& GetBlobFileName() const { return BlobFileName_; }

    TConnectionOptions& GetConnectionOptions() { return ConnectionOptions_; }
    void SetConnectionOptions(const TConnectionOptions& Value) { ConnectionOptions_ = Value; }
    TIBSQLExecOptions& GetIBServerOptions() { return IBServerOptions_; }
    const TIBSQLExecOptions& GetIBServerOptions() const { return IBServerOptions_; }
    /// Takes every field of any InterBase options.
    void SetIBServerOptions(const TIBServerOptions& Value) { IBServerOptions_.Assign(Value); }
    TMSSQLServerOptions& GetMSSQLServerOptions() { return MSSQLServerOptions_; }
    void SetMSSQLServerOptions(const TMSSQLServerOptions& Value) { MSSQLServerOptions_ = Value; }
    TMySQLServerOptions& GetMySQLServerOptions() { return MySQLServerOptions_; }
    void SetMySQLServerOptions(const TMySQLServerOptions& Value) { MySQLServerOptions_ = Value; }
    TASAServerOptions& GetASAServerOptions() { return ASAServerOptions_; }
    void SetASAServerOptions(const TASAServerOptions& Value) { ASAServerOptions_ = Value; }
    TASEServerOptions& GetASEServerOptions() { return ASEServerOptions_; }
    void SetASEServerOptions(const TASEServerOptions& Value) { ASEServerOptions_ = Value; }
    TOracleServerOptions& GetOracleServerOptions() { return OracleServerOptions_; }
    void SetOracleServerOptions(const TOracleServerOptions& Value) { OracleServerOptions_ = Value; }
    TPGSQLServerOptions& GetPGSQLServerOptions() { return PGSQLServerOptions_; }
    void SetPGSQLServerOptions(const TPGSQLServerOptions& Value) { PGSQLServerOptions_ = Value; }
    TDB2ServerOptions& GetDB2ServerOptions() { return DB2ServerOptions_; }
    void SetDB2ServerOptions(const TDB2ServerOptions& Value) { DB2ServerOptions_ = Value; }

    TGetParamValueEvent OnGetParamValue;

protected:
    /// Drops the current-statement pointer when that statement (or the whole list) is freed.
    void StatementFreed(TStatement* Statement) override;

    /// Runs one statement by its kind and makes it current. Any exception is caught: reported,
    /// the SQL cleared, an open transaction rolled back. False when an error was reported.
    virtual bool ExecStatement(TStatement* Statement);
    /// Writes the current description statement; the generic executor runs it as a single statement.
    virtual bool UpdateDescription();

    /// Gives every parameter of the working query its value: large-object references from the
    /// large-object file, the others through DoGetParamValue. Read errors are reported per parameter.
    void FillBlobParams();
    /// Reads a CONNECT statement into the options, then reconnects.
    virtual bool ExecConnect();
    bool ExecReconnect();
    bool ExecCreateDatabase();
    bool ExecDescription();
    /// Opens the large-object file the current statement names (beside the script file when the
    /// name has no folder), closing one left open.
    bool ExecSetBlobFile();
    /// Runs an INSERT, UPDATE or DELETE inside the run's transaction, without committing. A
    /// statement whose parameter values could not all be read is not run.
    bool ExecDML();
    /// Runs a DDL or other single statement and commits it; a failure rolls back only that
    /// statement (the data statements of the run are committed before it starts).
    bool ExecSQLStatement();
    /// Commits the transaction open on the connection (the run's pending data statements), so that
    /// the next statement runs in a transaction of its own. A failed commit is reported and rolled back.
    void CommitPendingData();
    /// Makes Param's value null, then lets OnGetParamValue supply it.
    void DoGetParamValue(TParam& Param);

    /// During a run: reports that Operation is refused and returns true.
    bool RefuseWhileRunning(std::string_view Operation);
    /// The working query of the run, or nullptr.
    TSMXQuery* GetQuery() const { return Query_.get(); }
    /// Creates the working query from the connection when there is none; nullptr when the
    /// connection offers no query (or there is no connection).
    TSMXQuery* CreateWorkingQuery();
    /// Frees the working query.
    void FreeWorkingQuery() { Query_.reset(); }
    /// Makes Statement the current one (nullptr: none).
    void SetCurrentStatement(TStatement* Statement) { CurrentStatement_ = Statement; }
    /// Marks a run (ExecuteStatement of a descendant) as started or ended.
    void SetRunning(bool Value) { Running_ = Value; }
    /// A statement can be sent: connected (else "Disconnected from database...") and a query exists.
    bool ReadyToSend();
    /// Puts the statement's text into a query's SQL list so that it reaches the server as added: a
    /// text kept with its own line breaks goes in as one entry, any other text line by line.
    static void SetStatementSQL(TStringList& SQL, const TStatement& Statement);
    /// Errors recorded while the list was loaded: a run starts with them counted (result False,
    /// ErrorCount at their number). None in the generic executor.
    virtual int GetLoadErrorCount() const { return 0; }
    /// "ClassName(Name): ", the start of the executor's wiring messages.
    std::string Prefix() const;

private:
    struct BlobFile; // the large-object file with its transfer buffer

    bool HasUsableQuery();
    void ClearQuerySQL();
    void RecoverFromException(const std::string& Message);
    void EndRun(bool WasConnected);

    TConnectionOptions ConnectionOptions_;
    TIBSQLExecOptions IBServerOptions_;
    TMSSQLServerOptions MSSQLServerOptions_;
    TMySQLServerOptions MySQLServerOptions_;
    TASAServerOptions ASAServerOptions_;
    TASEServerOptions ASEServerOptions_;
    TOracleServerOptions OracleServerOptions_;
    TPGSQLServerOptions PGSQLServerOptions_;
    TDB2ServerOptions DB2ServerOptions_;
    std::unique_ptr<TSMXQuery> Query_;
    std::string BlobFileName_;
    std::unique_ptr<BlobFile> Blob_;
    TSMXCustomConnection* SMXConnection_ = nullptr;
    TStatement* CurrentStatement_ = nullptr;
    bool Running_ = false;
};

} // namespace smx
