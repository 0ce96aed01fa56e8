// The ADO-style client layer over the unixODBC driver manager: a connection opened from a
// key=value connection string, with autocommit, manual transactions, isolation and access-mode
// attributes and the columns catalogue, and a forward-only query with positional "?" parameters.
// This platform has no COM, ADO or OLE DB: a connection string without a Provider key is an ODBC
// string, "Provider=MSDASQL" (OLE DB's ODBC bridge) is dropped, and any other provider is refused
// before the driver manager is called. Handles stay opaque here; only the source file sees the ODBC
// headers. Every failing call becomes an EADOError holding each diagnostic record of the call.
#pragma once

#include "platform/smxComponent.h"
#include "platform/smxDB.h"
#include "platform/smxExceptions.h"
#include "platform/smxStringList.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace smx {

/// A failed driver-manager or driver call: one line per diagnostic record, "[SQLSTATE] text",
/// joined by CR LF (or the client's own text, with an empty SQLSTATE).
class EADOError : public EDatabaseError {
public:
    EADOError(std::string message, std::string sqlState)
        : EDatabaseError(std::move(message)), sqlState_(std::move(sqlState)) {}
    /// The SQLSTATE of the first diagnostic record (e.g. "IM002"); empty for the client's own errors.
    const std::string& SQLState() const { return sqlState_; }

private:
    std::string sqlState_;
};

// ---- Connection strings ----

/// One key=value part of a connection string: the key trimmed, the value unquoted, and the byte
/// range of the value as written (quotes or braces included) in the parsed text.
struct TConnectionStringPart {
    std::string Key;
    std::string Value;
    std::size_t ValueStart = 0;
    std::size_t ValueEnd = 0;
};

/// Splits a connection string at ";" into parts. A value written in double or single quotes
/// (the quote doubled inside) or in braces ("}}" inside) may hold ";". Parts without "=" and empty
/// parts are skipped. With Strict, an unbalanced quote or brace throws EADOError; otherwise such a
/// value runs to the end of the text.
std::vector<TConnectionStringPart> ParseConnectionString(std::string_view Text, bool Strict);

/// The text with the value of every Password or PWD key (any case) replaced by seven asterisks;
/// everything else stays byte for byte. For log lines: never throws.
std::string HideConnectionStringPasswords(std::string_view Text);

/// The ODBC connection string for a client connection string: a Provider=MSDASQL part is dropped,
/// every value is written plainly or, when it holds a character ODBC treats specially, in braces.
/// Throws EADOError naming the provider for any other provider, and for an unbalanced quote.
std::string ODBCConnectionString(std::string_view Text);

// ---- Connection ----

/// Cursor location of the connection; stored only (ODBC cursors are the driver's).
enum class TCursorLocation : std::uint8_t { clUseServer, clUseClient };
/// Isolation level of the transactions; set on the driver after connecting.
enum class TIsolationLevel : std::uint8_t {
    ilUnspecified,
    ilChaos,
    ilReadUncommitted,
    ilBrowse,
    ilCursorStability,
    ilReadCommitted,
    ilRepeatableRead,
    ilSerializable,
    ilIsolated,
};
/// Access mode of the connection; read or read/write is set on the driver after connecting.
enum class TConnectMode : std::uint8_t { cmUnknown, cmRead, cmWrite, cmReadWrite };
/// The catalogue rowsets OpenSchema offers.
enum class TSchemaInfo : std::uint8_t { siColumns };

class TADOQuery;

/// A connection through the driver manager. Outside BeginTrans .. CommitTrans/RollbackTrans every
/// statement commits itself. A query bound to the connection is told when it closes or goes, so no
/// statement outlives its connection.
class TADOConnection : public TComponent {
public:
    explicit TADOConnection(TComponent* AOwner = nullptr);
    /// Closes (rolling back an open transaction, errors swallowed) and unbinds every query.
    ~TADOConnection() override;
    SMX_CLASSNAME(TADOConnection)

    /// The text as it was set.
    const std::string& GetConnectionString() const { return connectionString_; }
    /// Sets the text for the next Open; throws EADOError while connected.
    void SetConnectionString(std::string_view Value);
    /// Stored only: no prompt is ever shown.
    bool GetLoginPrompt() const { return loginPrompt_; }
    void SetLoginPrompt(bool Value) { loginPrompt_ = Value; }
    /// Stored only.
    TCursorLocation GetCursorLocation() const { return cursorLocation_; }
    void SetCursorLocation(TCursorLocation Value) { cursorLocation_ = Value; }
    TIsolationLevel GetIsolationLevel() const { return isolationLevel_; }
    /// Takes effect at the next Open (an attribute the driver refuses keeps the driver's default).
    void SetIsolationLevel(TIsolationLevel Value) { isolationLevel_ = Value; }
    TConnectMode GetMode() const { return mode_; }
    /// Takes effect at the next Open (an attribute the driver refuses keeps the driver's default).
    void SetMode(TConnectMode Value) { mode_ = Value; }
    /// Seconds a statement of Execute may run; 0 is no limit.
    int GetCommandTimeout() const { return commandTimeout_; }
    void SetCommandTimeout(int Value) { commandTimeout_ = Value; }

    bool GetConnected() const { return dbc_ != nullptr; }
    /// Open or Close.
    void SetConnected(bool Value);
    /// Connects without prompting; nothing when connected. Throws EADOError with the client's,
    /// the driver manager's or the driver's text and stays disconnected on failure; a refused
    /// provider or a malformed string reaches no driver.
    void Open();
    /// Rolls back an open transaction, frees the statements of the bound queries and disconnects.
    /// Nothing when closed.
    void Close();

    /// Turns autocommit off; returns the transaction level (1). Nothing (1) when already in a
    /// transaction. Throws EADOError when not connected or refused.
    int BeginTrans();
    /// Commits and turns autocommit on again; nothing outside a transaction.
    void CommitTrans();
    /// Rolls back and turns autocommit on again; nothing outside a transaction.
    void RollbackTrans();
    bool InTransaction() const { return inTransaction_; }

    /// Opens the catalogue rowset into DataSet, which is bound to this connection. siColumns gives
    /// one row per column of every table: TABLE_CAT, TABLE_SCHEM, TABLE_NAME, COLUMN_NAME, ...
    /// in table and column order. Throws EADOError.
    void OpenSchema(TSchemaInfo Schema, TADOQuery& DataSet);

    /// Successful connects made by this program so far (all connections).
    static int ConnectCount();

private:
    friend class TADOQuery;

    void EndTransaction(bool commit);
    void ApplyConnectAttributes();
    void FreeHandles();

    std::string connectionString_;
    bool loginPrompt_ = true;
    TCursorLocation cursorLocation_ = TCursorLocation::clUseClient;
    TIsolationLevel isolationLevel_ = TIsolationLevel::ilCursorStability;
    TConnectMode mode_ = TConnectMode::cmUnknown;
    int commandTimeout_ = 30;
    bool inTransaction_ = false;
    void* env_ = nullptr;
    void* dbc_ = nullptr;
    std::vector<TADOQuery*> queries_;
};

/// A forward-only query. The SQL text goes to the driver as it is; its "?" markers are bound by
/// position from Parameters (parameter i to marker i + 1). A change of the SQL text (noticed by the
/// next operation) closes the query and drops its preparation and fields.
class TADOQuery : public TComponent {
public:
    explicit TADOQuery(TComponent* AOwner = nullptr);
    ~TADOQuery() override;
    SMX_CLASSNAME(TADOQuery)

    TADOConnection* GetConnection() const { return connection_; }
    /// Binds the connection (closing and dropping the preparation first).
    void SetConnection(TADOConnection* Value);

    TStringList* SQL() { return &sql_; }
    /// Stored for subclasses that parse parameter names; this query binds by position only.
    bool GetParamCheck() const { return paramCheck_; }
    virtual void SetParamCheck(bool Value) { paramCheck_ = Value; }
    /// Seconds a statement may run; 0 is no limit (the driver may refuse, keeping its default).
    int GetCommandTimeout() const { return commandTimeout_; }
    void SetCommandTimeout(int Value) { commandTimeout_ = Value; }

    /// The positional parameters: as many as the statement has "?" markers (more are ignored).
    TParams* Parameters() { return &parameters_; }
    /// The result columns; values are those of the current row.
    TFields* Fields();
    /// Throws EDatabaseError "Field 'X' not found".
    TField& FieldByName(std::string_view Name);

    /// Executes and reads the first row; nothing when open. Throws EADOError (with the driver's
    /// text) and stays closed on failure.
    void Open();
    /// Closes the cursor and keeps the preparation. Nothing when closed.
    void Close();
    /// False once the SQL text has changed.
    bool GetActive();
    void SetActive(bool Value);
    /// Executes the statement; a result is closed at once. Throws EADOError.
    void ExecSQL();
    /// Rows changed by the last ExecSQL (-1 when the driver cannot tell).
    std::int64_t RowsAffected() const { return rowsAffected_; }

    /// True when there is no current row.
    bool GetEof();
    /// Goes to the next row; past the last one Eof turns True. Throws when the query is closed.
    void Next();
    /// Back to the first row: nothing when on it, else the statement runs again.
    void First();
    /// Reads to the last row (its values stay; Eof turns True).
    void Last();

protected:
    /// Brings the statement in line with the SQL text; subclasses that keep a text of their own
    /// copy it in first.
    virtual void SyncSQL();

private:
    friend class TADOConnection;
    enum class TSource : std::uint8_t { sqlText, columnsSchema };

    std::string CurrentSQL() const;
    void RequireConnection() const;
    void AllocStatement();
    void FreeStatement();
    void CloseCursor();
    void Prepare();
    void BindParameters();
    void Execute();
    void Describe();
    bool Fetch();
    void ReadRow();
    void StartResult();
    void ConnectionClosing();
    void ConnectionGone();

    TADOConnection* connection_ = nullptr;
    TStringList sql_;
    std::string sqlSeen_;
    bool paramCheck_ = true;
    int commandTimeout_ = 30;
    TParams parameters_;
    TFields fields_;
    TSource source_ = TSource::sqlText;
    bool described_ = false;
    std::vector<int> columnTypes_; // the driver's SQL type of each field
    void* stmt_ = nullptr;
    bool prepared_ = false;
    bool active_ = false;
    bool cursorOpen_ = false;
    bool eof_ = true;
    int rowNo_ = 0;
    std::int64_t rowsAffected_ = -1;
    std::vector<std::string> bindBuffers_;
    std::vector<std::int64_t> bindLengths_;
};

} // namespace smx
