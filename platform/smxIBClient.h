// The Firebird client layer: database attachment, transaction, forward-only query, database
// information and service-manager access over libfbclient's isc_* API. Handles are kept opaque
// here; only the source file sees <ibase.h>. Every failing library call becomes an EIBError with
// the library's own status text. A database tells its transactions, queries and information
// objects when it goes, so none of them keeps a pointer to a freed database.
#pragma once

#include "platform/smxComponent.h"
#include "platform/smxDB.h"
#include "platform/smxExceptions.h"
#include "platform/smxStringList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace smx {

/// The client library's handle value (an attachment, transaction, statement or service).
using TIBHandle = std::uint32_t;

/// A failed client-library call: the status text (lines joined by CR LF) and its SQLCODE.
class EIBError : public EDatabaseError {
public:
    EIBError(std::string message, int sqlCode, std::int64_t errorCode)
        : EDatabaseError(std::move(message)), sqlCode_(sqlCode), errorCode_(errorCode) {}
    /// The SQLCODE the library derives from the status (e.g. -902).
    int SQLCode() const { return sqlCode_; }
    /// The first error code of the status vector (e.g. 335544344).
    std::int64_t IBErrorCode() const { return errorCode_; }

private:
    int sqlCode_;
    std::int64_t errorCode_;
};

class TIBTransaction;
class TIBQuery;
class TIBDatabaseInfo;
class TIBSnapshotReader;

/// One attachment to a Firebird database. Params holds "name=value" lines; user_name, password,
/// sql_role_name and lc_ctype (names in any case) go into the attach parameters.
///
/// Database file names are bytes in the process's character type; under the plain C locale
/// (a process that never called setlocale) they are taken as UTF-8. The client library converts
/// file names with a converter it builds once, from the calling thread's character type (LC_CTYPE)
/// at its first file name, and that is ASCII under the C locale. So while the calling thread runs
/// under the C locale, every attach, create and service attach of this layer switches that thread
/// alone to the C.UTF-8 character type for the library call (uselocale; the process's locale is
/// not changed) and marks the attach parameters with the UTF-8 file-name flag. A name the library
/// still cannot convert (not UTF-8, or a converter built elsewhere before) fails with a message
/// that names the cause instead of the library's transliteration error.
class TIBDatabase : public TComponent {
public:
    explicit TIBDatabase(TComponent* AOwner = nullptr);
    /// Detaches (errors are swallowed) and tells every bound object to forget this database.
    ~TIBDatabase() override;
    SMX_CLASSNAME(TIBDatabase)

    /// The file path, or host:path / host/port:path through a server.
    const std::string& GetDatabaseName() const { return databaseName_; }
    /// Sets the name; throws EDatabaseError while connected.
    void SetDatabaseName(std::string value);
    TStringList& Params() { return params_; }
    const TStringList& Params() const { return params_; }
    /// The value of the parameter line of that name (any case), "" when absent.
    std::string ParamValue(std::string_view name) const;
    /// Sets the line name=value, replacing a line of that name in any case; "" removes it.
    void SetParamValue(std::string_view name, std::string_view value);

    /// The dialect the statements are prepared and run in (default 3).
    int GetSQLDialect() const { return sqlDialect_; }
    void SetSQLDialect(int value) { sqlDialect_ = value; }
    bool GetLoginPrompt() const { return loginPrompt_; }
    void SetLoginPrompt(bool value) { loginPrompt_ = value; }
    /// With LoginPrompt on, called before the attach with a copy of Params that it may change;
    /// the attach uses that copy. Without a handler the attach proceeds as given.
    std::function<void(TIBDatabase& Database, TStringList& LoginParams)> OnLogin;

    /// True while attached.
    bool GetConnected() const { return handle_ != 0; }
    /// Open or Close.
    void SetConnected(bool value);
    /// Attaches; throws EIBError with the library's text and stays disconnected on failure.
    void Open();
    /// Commits the bound active transactions, drops the statements, detaches. Nothing when closed.
    void Close();

    /// The statement CreateDatabase sends: "CREATE DATABASE '<name, quotes doubled>'" and then
    /// every parameter line after a blank.
    std::string CreateDatabaseStatement() const;
    /// Creates the database file with CreateDatabaseStatement() in SQLDialect and detaches again,
    /// so that a following Open runs the full attach. Throws EIBError on failure.
    void CreateDatabase();

    /// The transaction used by queries that have none of their own.
    TIBTransaction* GetDefaultTransaction() const { return defaultTransaction_; }
    void SetDefaultTransaction(TIBTransaction* value);

    /// Successful attaches made by this program so far (all databases).
    static int AttachCount();

    /// The library's attachment handle (0 when closed), for the client layer's own objects.
    TIBHandle Handle() const { return handle_; }
    /// Increases with every attach; objects that cache facts of an attachment compare it.
    std::uint64_t AttachSerial() const { return attachSerial_; }

private:
    friend class TIBTransaction;
    friend class TIBQuery;
    friend class TIBDatabaseInfo;
    friend class TIBSnapshotReader;

    std::string BuildDPB(const TStringList& params) const;

    std::string databaseName_;
    std::string attachDPB_; // the parameters of the current attachment, as sent
    TStringList params_;
    int sqlDialect_ = 3;
    bool loginPrompt_ = false;
    TIBHandle handle_ = 0;
    std::uint64_t attachSerial_ = 0;
    TIBTransaction* defaultTransaction_ = nullptr;
    std::vector<TIBTransaction*> transactions_;
    std::vector<TIBQuery*> queries_;
    std::vector<TIBDatabaseInfo*> infos_;
};

/// A transaction on its default database. Params names the transaction options ("concurrency",
/// "nowait", "read_committed", "rec_version", "read", "write", ...); with none, concurrency and nowait.
class TIBTransaction : public TComponent {
public:
    explicit TIBTransaction(TComponent* AOwner = nullptr);
    /// Commits an active transaction (errors are swallowed) and unbinds everything.
    ~TIBTransaction() override;
    SMX_CLASSNAME(TIBTransaction)

    TIBDatabase* GetDefaultDatabase() const { return database_; }
    /// Binds the database; an active transaction is committed first.
    void SetDefaultDatabase(TIBDatabase* value);
    TStringList& Params() { return params_; }

    /// True while started.
    bool GetActive() const { return handle_ != 0; }
    /// StartTransaction or Commit.
    void SetActive(bool value);
    bool InTransaction() const { return GetActive(); }
    /// Starts; nothing when active. Throws EDatabaseError without a connected database.
    void StartTransaction();
    /// Closes the cursors of its queries and commits; nothing when inactive.
    void Commit();
    /// Closes the cursors of its queries and rolls back; nothing when inactive.
    void Rollback();

    TIBHandle Handle() const { return handle_; }

    /// The number of the started transaction and of the oldest one active when it started
    /// (isc_info_tra_id, isc_info_tra_oldest_active). Throws EIBError; EDatabaseError when inactive.
    std::pair<std::int64_t, std::int64_t> NumberAndOldestActive() const;

private:
    friend class TIBDatabase;
    friend class TIBQuery;

    void End(bool commit);
    void DatabaseGone();
    std::string BuildTPB() const;

    TIBDatabase* database_ = nullptr;
    TStringList params_;
    TIBHandle handle_ = 0;
    std::vector<TIBQuery*> queries_;
};

/// A forward-only query. With ParamCheck on, the text prepared is the one ParamRewriter returns
/// (the SQL text itself without a rewriter) and Params are bound by position in list order; with
/// ParamCheck off the text goes verbatim with no parameters. A change of the SQL text (also a
/// direct edit of the SQL list, noticed by the next operation) closes the query and drops its
/// preparation and fields; install ParamRewriter before setting the text. A query opened or
/// executed on an inactive transaction starts it.
class TIBQuery : public TComponent {
public:
    explicit TIBQuery(TComponent* AOwner = nullptr);
    ~TIBQuery() override;
    SMX_CLASSNAME(TIBQuery)

    TIBDatabase* GetDatabase() const { return database_; }
    /// Binds the database (closing and unpreparing first).
    void SetDatabase(TIBDatabase* value);
    /// The transaction in use: the own one, else the database's default transaction.
    TIBTransaction* GetTransaction() const;
    void SetTransaction(TIBTransaction* value);

    TStringList* SQL() { return &sql_; }
    /// Replaces the whole SQL text.
    void SetSQLText(std::string_view text);
    bool GetParamCheck() const { return paramCheck_; }
    void SetParamCheck(bool value);
    /// Turns the SQL text into the text to prepare and fills the (empty) list with its parameters
    /// in order; values of parameters whose names stay are carried over afterwards.
    std::function<std::string(const std::string& sql, TParams& params)> ParamRewriter;
    /// Stored only: the query is always forward-only.
    bool GetUniDirectional() const { return uniDirectional_; }
    void SetUniDirectional(bool value) { uniDirectional_ = value; }

    /// The parameter list, current with the SQL text.
    TParams* Params();
    /// Throws EDatabaseError "Parameter 'X' not found".
    TParam& ParamByName(std::string_view name);
    /// The result columns of the prepared statement; values are those of the current row. A new
    /// SQL text drops them; preparing the same text again keeps them.
    TFields* Fields() { return &fields_; }
    /// Throws EDatabaseError "Field 'X' not found".
    TField& FieldByName(std::string_view name) const { return fields_.FieldByName(name); }
    TField* FindField(std::string_view name) const { return fields_.FindField(name); }

    bool GetPrepared() const { return stmt_ != 0 && prepared_; }
    /// Prepares the current text; throws EIBError with the library's text.
    void Prepare();
    /// Drops the preparation (the statement handle).
    void Unprepare();
    /// Executes and reads the first row; a statement without result rows leaves Eof True.
    void Open();
    /// Closes the cursor and keeps the preparation. Nothing when closed.
    void Close();
    bool GetActive() const { return active_; }
    void SetActive(bool value);
    /// Executes the statement (a SELECT's cursor is closed again at once).
    void ExecSQL();
    /// The rows the last executed INSERT, UPDATE or DELETE touched; -1 for other statements, before
    /// any execution and after a change of the SQL text.
    std::int64_t GetRowsAffected() const { return rowsAffected_; }

    /// True when there is no current row.
    bool GetEof() const { return eof_; }
    /// Goes to the next row; past the last one Eof turns True and the last row's values stay.
    void Next();
    /// Back to the first row: nothing when on it, else the statement runs again.
    void First();
    /// Reads to the last row.
    void Last();

private:
    friend class TIBDatabase;
    friend class TIBTransaction;
    struct TSQLDA;

    void SyncSQL();
    void SQLChanged();
    std::string CurrentSQL() const;
    void RequireDatabase() const;
    void StartIfInactive();
    void Execute();
    bool Fetch();
    void ReadRow();
    void ReadRowsAffected();
    void BindParams();
    void FreeStatement();
    void CloseCursor(bool callLibrary);
    void DatabaseGone();
    void TransactionGone(TIBTransaction* t);

    TIBDatabase* database_ = nullptr;
    TIBTransaction* transaction_ = nullptr;
    TStringList sql_;
    std::string sqlSeen_;         // the list's text when last looked at
    std::uint32_t sqlSeenChanges_ = 0; // the list's change count when its text was last compared
    std::string sqlVerbatim_;     // the text given to SetSQLText, kept byte for byte
    std::string sqlVerbatimList_; // the list's text right after SetSQLText
    std::string preparedText_;
    bool paramCheck_ = true;
    bool uniDirectional_ = false;
    TParams params_;
    TFields fields_;
    TIBHandle stmt_ = 0;
    bool prepared_ = false;
    int stmtType_ = 0;
    bool active_ = false;
    bool cursorOpen_ = false;
    bool eof_ = true;
    int rowNo_ = 0;
    std::int64_t rowsAffected_ = -1;
    std::unique_ptr<TSQLDA> out_;
    std::unique_ptr<TSQLDA> in_;
};

/// Facts of the attachment of its database, read with one information request per attachment.
class TIBDatabaseInfo : public TComponent {
public:
    explicit TIBDatabaseInfo(TComponent* AOwner = nullptr);
    ~TIBDatabaseInfo() override;
    SMX_CLASSNAME(TIBDatabaseInfo)

    TIBDatabase* GetDatabase() const { return database_; }
    void SetDatabase(TIBDatabase* value);

    /// Reads every fact again; throws EDatabaseError when the database is not connected.
    void Refresh();
    /// The server's version text, e.g. "LI-V6.3.11.33637 Firebird 3.0".
    std::string Version();
    int ODSMajorVersion();
    int ODSMinorVersion();
    int PageSize();
    /// 1 when writes are forced (synchronous).
    int ForcedWrites();
    int SweepInterval();
    /// 1 when the database is read-only.
    int ReadOnly();
    int NumBuffers();
    /// Byte 3 (0-based) of the raw implementation answer.
    int DBImplementationNo();
    /// Byte 4 (0-based) of the raw implementation answer.
    int DBImplementationClass();
    int DBSQLDialect();

private:
    friend class TIBDatabase;
    void Ensure();

    TIBDatabase* database_ = nullptr;
    std::uint64_t serial_ = 0;
    std::string version_;
    int odsMajor_ = 0, odsMinor_ = 0, pageSize_ = 0, forcedWrites_ = 0, sweep_ = 0, readOnly_ = 0,
        buffers_ = 0, implNo_ = 0, implClass_ = 0, dialect_ = 0;
};

/// A column of a result handed over by TIBSnapshotReader, as the server describes it (the
/// description an XSQLVAR gets): its alias (its name when it has none), SQL type without the null
/// flag, subtype, scale and length in bytes.
struct TIBColumn {
    std::string Name;
    unsigned Type = 0;
    int SubType = 0, Scale = 0;
    unsigned Length = 0;

    /// CHAR or VARCHAR.
    bool IsText() const;
    /// An integer without a scale.
    bool IsWholeNumber() const;
    /// FLOAT or DOUBLE PRECISION.
    bool IsFloat() const;
    bool IsBlob() const;
    /// The type of a TIBQuery field of this column, as TIBQuery gives it to a text, whole number,
    /// floating point number or BLOB (ftUnknown for others), with its precision.
    TFieldType FieldType() const;
    int Precision() const;
};

/// One row handed over by TIBSnapshotReader: its values by column position (0-based).
class TIBRow {
public:
    virtual bool IsNull(int Column) const = 0;
    /// An integer column's value as stored (no scale applied); 0 for a null or another type.
    virtual std::int64_t Integer(int Column) const = 0;
    /// A CHAR or VARCHAR column's bytes as fetched (CHAR with its padding); empty for a null or
    /// another type.
    virtual std::string_view Text(int Column) const = 0;
    /// A FLOAT or DOUBLE PRECISION column's value; 0 for a null or another type.
    virtual double Float(int Column) const = 0;
    /// A BLOB column's whole content, read now; empty for a null or another type.
    virtual std::string Blob(int Column) const = 0;

protected:
    ~TIBRow() = default;
};

/// A read-only snapshot of a database on an attachment of its own, for reading rows on another
/// thread while the database component goes on with its own statements. Attach and Start run on
/// the thread that owns the database component; Read may then run on one other thread at a time.
/// It goes through the client library's object interface: its fetches on separate attachments
/// run side by side, where those of the isc_* calls wait for one another.
class TIBSnapshotReader {
public:
    TIBSnapshotReader();
    /// Rolls back and detaches; errors are swallowed.
    ~TIBSnapshotReader();
    TIBSnapshotReader(const TIBSnapshotReader&) = delete;
    TIBSnapshotReader& operator=(const TIBSnapshotReader&) = delete;

    /// Attaches to the database of Like with the very parameters Like's attachment was made with
    /// (file name, user, password, role, character set) and reads in its dialect. Throws
    /// EDatabaseError when Like is not connected, EIBError with the library's text.
    void Attach(const TIBDatabase& Like);
    /// Starts a read-only snapshot (concurrency, nowait) transaction. Throws EIBError.
    void Start();
    /// As TIBTransaction::NumberAndOldestActive, of the started transaction.
    std::pair<std::int64_t, std::int64_t> NumberAndOldestActive() const;
    /// Runs the SELECT SQL and hands every row to Row until Row returns false; with Columns, the
    /// result's columns are described there first. Throws EIBError with the library's text.
    void Read(const std::string& SQL, const std::function<bool(const TIBRow&)>& Row,
              std::vector<TIBColumn>* Columns = nullptr);

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

/// The transport a service attach uses.
enum class TIBProtocol : std::uint8_t { TCP, SPX, NamedPipe, Local };

/// The server's version information from its service manager.
struct TIBVersionInfo {
    std::string ServerVersion;
    std::string ServerImplementation;
};

/// Access to the service manager for the server's version and implementation texts. Params
/// holds user_name and password lines (empty values are sent as they are).
class TIBServerProperties : public TComponent {
public:
    explicit TIBServerProperties(TComponent* AOwner = nullptr);
    ~TIBServerProperties() override;
    SMX_CLASSNAME(TIBServerProperties)

    /// Host, or host/port; empty for the local (embedded) service manager.
    const std::string& GetServerName() const { return serverName_; }
    void SetServerName(std::string value) { serverName_ = std::move(value); }
    TIBProtocol GetProtocol() const { return protocol_; }
    void SetProtocol(TIBProtocol value) { protocol_ = value; }
    TStringList& Params() { return params_; }
    bool GetLoginPrompt() const { return loginPrompt_; }
    void SetLoginPrompt(bool value) { loginPrompt_ = value; }

    /// The service name attached to: "service_mgr", or ServerName + ":service_mgr" over TCP.
    std::string ServiceName() const;
    bool GetActive() const { return handle_ != 0; }
    /// Attach or detach; attaching over SPX or NamedPipe throws EDatabaseError naming the protocol.
    void SetActive(bool value);
    /// Reads the version and implementation texts; throws EDatabaseError when not active.
    void FetchVersionInfo();
    const TIBVersionInfo& VersionInfo() const { return versionInfo_; }

private:
    std::string serverName_;
    TIBProtocol protocol_ = TIBProtocol::Local;
    TStringList params_;
    bool loginPrompt_ = false;
    TIBHandle handle_ = 0;
    TIBVersionInfo versionInfo_;
};

} // namespace smx
