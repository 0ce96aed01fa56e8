// The ADO-style client layer over unixODBC: connection-string parsing and translation, the
// connection with its transactions, and the forward-only query with positional parameters and
// values read in pieces. See the header.
#include "platform/smxADOClient.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "platform/smxStrUtils.h"

namespace smx {

static_assert(std::is_same_v<SQLLEN, std::int64_t>, "length indicators are kept as 64-bit integers");

namespace {

int connectCount = 0;

constexpr std::string_view HiddenPassword = "*******";

SQLHENV Env(void* h) {
    return static_cast<SQLHENV>(h);
}
SQLHDBC Dbc(void* h) {
    return static_cast<SQLHDBC>(h);
}
SQLHSTMT Stmt(void* h) {
    return static_cast<SQLHSTMT>(h);
}

// Every diagnostic record of the handle, one "[SQLSTATE] text" line each.
[[noreturn]] void ThrowDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view what) {
    std::string message;
    std::string firstState;
    if (handle != SQL_NULL_HANDLE) {
        for (SQLSMALLINT rec = 1;; ++rec) {
            SQLCHAR state[6] = {};
            SQLINTEGER native = 0;
            SQLSMALLINT len = 0;
            std::string text(1024, '\0');
            SQLRETURN r = SQLGetDiagRec(handleType, handle, rec, state, &native,
                                        reinterpret_cast<SQLCHAR*>(text.data()),
                                        static_cast<SQLSMALLINT>(text.size()), &len);
            if (r == SQL_SUCCESS_WITH_INFO && len >= static_cast<SQLSMALLINT>(text.size())) {
                text.assign(static_cast<std::size_t>(len) + 1, '\0');
                r = SQLGetDiagRec(handleType, handle, rec, state, &native,
                                  reinterpret_cast<SQLCHAR*>(text.data()),
                                  static_cast<SQLSMALLINT>(text.size()), &len);
            }
            if (!SQL_SUCCEEDED(r)) break;
            text.resize(std::min(static_cast<std::size_t>(std::max<SQLSMALLINT>(len, 0)), text.size()));
            const std::string st(reinterpret_cast<const char*>(state));
            if (firstState.empty()) firstState = st;
            if (!message.empty()) message += "\r\n";
            message += "[" + st + "] " + text;
        }
    }
    if (message.empty()) message = std::string(what) + " failed";
    throw EADOError(std::move(message), std::move(firstState));
}

void Check(SQLRETURN r, SQLSMALLINT handleType, SQLHANDLE handle, std::string_view what) {
    if (!SQL_SUCCEEDED(r)) ThrowDiagnostics(handleType, handle, what);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A value ODBC would misread unless it is written in braces.
bool NeedsBraces(std::string_view v) {
    if (v.empty()) return false;
    if (IsBlank(v.front()) || IsBlank(v.back())) return true;
    return v.find_first_of(";{}") != std::string_view::npos;
}

std::string BraceValue(std::string_view v) {
    if (!NeedsBraces(v)) return std::string(v);
    std::string r = "{";
    for (char c : v) {
        r += c;
        if (c == '}') r += '}';
    }
    return r + "}";
}

bool IsBridgeProvider(std::string_view value) {
    return SameText(value, "MSDASQL") || StartsText("MSDASQL.", value);
}

} // namespace

// ---- Connection strings ----

std::vector<TConnectionStringPart> ParseConnectionString(std::string_view Text, bool Strict) {
    std::vector<TConnectionStringPart> parts;
    const std::size_t n = Text.size();
    std::size_t i = 0;
    while (i < n) {
        const std::size_t keyStart = i;
        while (i < n && Text[i] != '=' && Text[i] != ';')
            ++i;
        if (i >= n || Text[i] == ';') { // a part without "=" carries nothing
            ++i;
            continue;
        }
        TConnectionStringPart part;
        part.Key = Trim(Text.substr(keyStart, i - keyStart));
        ++i; // past "="
        std::size_t v = i;
        while (v < n && IsBlank(Text[v]))
            ++v;
        const char open = v < n ? Text[v] : '\0';
        if (open == '"' || open == '\'' || open == '{') {
            const char close = open == '{' ? '}' : open;
            part.ValueStart = v;
            std::size_t j = v + 1;
            bool closed = false;
            while (j < n) {
                if (Text[j] == close) {
                    if (j + 1 < n && Text[j + 1] == close) { // doubled: one literal character
                        part.Value += close;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                part.Value += Text[j++];
            }
            if (!closed && Strict)
                throw EADOError(
                    "Unbalanced quote in the connection string at the value of \"" + part.Key + "\"", "");
            part.ValueEnd = j;
            while (j < n && IsBlank(Text[j]))
                ++j;
            if (j < n && Text[j] != ';') {
                if (Strict)
                    throw EADOError("Unexpected text after the quoted value of \"" + part.Key +
                                        "\" in the connection string",
                                    "");
                while (j < n && Text[j] != ';')
                    ++j;
                part.ValueEnd = j;
            }
            i = j + 1;
        } else {
            std::size_t j = i;
            while (j < n && Text[j] != ';')
                ++j;
            part.ValueStart = i;
            part.ValueEnd = j;
            part.Value = Trim(Text.substr(i, j - i));
            i = j + 1;
        }
        if (!part.Key.empty()) parts.push_back(std::move(part));
    }
    return parts;
}

std::string HideConnectionStringPasswords(std::string_view Text) {
    std::string result(Text);
    const std::vector<TConnectionStringPart> parts = ParseConnectionString(Text, false);
    // From the back, so that earlier ranges stay where they are.
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
        if (!SameText(it->Key, "Password") && !SameText(it->Key, "PWD")) continue;
        if (it->Value.empty()) continue;
        result.replace(it->ValueStart, it->ValueEnd - it->ValueStart, HiddenPassword);
    }
    return result;
}

std::string ODBCConnectionString(std::string_view Text) {
    std::string result;
    for (const TConnectionStringPart& p : ParseConnectionString(Text, true)) {
        if (SameText(p.Key, "Provider")) {
            if (IsBridgeProvider(p.Value)) continue;
            throw EADOError("OLE DB provider \"" + p.Value +
                                "\" is not available on this platform; use an ODBC connection string "
                                "(DRIVER=...; or DSN=...;)",
                            "");
        }
        if (!result.empty()) result += ';';
        result += p.Key + "=" + BraceValue(p.Value);
    }
    return result;
}

// ---- TADOConnection ----

TADOConnection::TADOConnection(TComponent* AOwner) : TComponent(AOwner) {}

TADOConnection::~TADOConnection() {
    try {
        Close();
    } catch (const std::exception&) {
        // The handles are gone either way; a destructor has nobody to tell.
    }
    for (TADOQuery* q : queries_)
        q->ConnectionGone();
    queries_.clear();
}

int TADOConnection::ConnectCount() {
    return connectCount;
}

void TADOConnection::SetConnectionString(std::string_view Value) {
    if (GetConnected()) throw EADOError("Operation is not allowed when the connection is open", "");
    connectionString_ = Value;
}

void TADOConnection::SetConnected(bool Value) {
    if (Value)
        Open();
    else
        Close();
}

void TADOConnection::FreeHandles() {
    if (dbc_) SQLFreeHandle(SQL_HANDLE_DBC, Dbc(dbc_));
    if (env_) SQLFreeHandle(SQL_HANDLE_ENV, Env(env_));
    dbc_ = nullptr;
    env_ = nullptr;
}

void TADOConnection::Open() {
    if (GetConnected()) return;
    // Refused providers and malformed strings never reach the driver manager.
    const std::string odbc = ODBCConnectionString(connectionString_);
    if (odbc.size() > 32767) throw EADOError("The connection string is too long", "");

    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        throw EADOError("The ODBC driver manager cannot be initialised", "");
    env_ = env;
    SQLHDBC dbc = SQL_NULL_HDBC;
    try {
        Check(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              SQL_HANDLE_ENV, env, "SQLSetEnvAttr");
        Check(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_HANDLE_ENV, env, "SQLAllocHandle");
        std::string out(1024, '\0');
        SQLSMALLINT outLen = 0;
        std::string in = odbc;
        const SQLRETURN r =
            SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(in.data()),
                             static_cast<SQLSMALLINT>(in.size()), reinterpret_cast<SQLCHAR*>(out.data()),
                             static_cast<SQLSMALLINT>(out.size()), &outLen, SQL_DRIVER_NOPROMPT);
        Check(r, SQL_HANDLE_DBC, dbc, "SQLDriverConnect");
    } catch (...) {
        if (dbc != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        FreeHandles();
        throw;
    }
    dbc_ = dbc;
    inTransaction_ = false;
    ++connectCount;
    ApplyConnectAttributes();
}

void TADOConnection::ApplyConnectAttributes() {
    // A driver that refuses an attribute keeps its default: these are wishes, not conditions.
    SQLULEN isolation = 0;
    switch (isolationLevel_) {
    case TIsolationLevel::ilUnspecified:
    case TIsolationLevel::ilChaos:
        break;
    case TIsolationLevel::ilReadUncommitted:
    case TIsolationLevel::ilBrowse:
        isolation = SQL_TXN_READ_UNCOMMITTED;
        break;
    case TIsolationLevel::ilCursorStability:
    case TIsolationLevel::ilReadCommitted:
        isolation = SQL_TXN_READ_COMMITTED;
        break;
    case TIsolationLevel::ilRepeatableRead:
        isolation = SQL_TXN_REPEATABLE_READ;
        break;
    case TIsolationLevel::ilSerializable:
    case TIsolationLevel::ilIsolated:
        isolation = SQL_TXN_SERIALIZABLE;
        break;
    }
    if (isolation != 0)
        SQLSetConnectAttr(Dbc(dbc_), SQL_ATTR_TXN_ISOLATION, reinterpret_cast<SQLPOINTER>(isolation), 0);
    if (mode_ == TConnectMode::cmRead)
        SQLSetConnectAttr(Dbc(dbc_), SQL_ATTR_ACCESS_MODE, reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY),
                          0);
    else if (mode_ == TConnectMode::cmWrite || mode_ == TConnectMode::cmReadWrite)
        SQLSetConnectAttr(Dbc(dbc_), SQL_ATTR_ACCESS_MODE, reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_WRITE),
                          0);
}

void TADOConnection::Close() {
    if (!GetConnected()) return;
    for (TADOQuery* q : queries_)
        q->ConnectionClosing();
    if (inTransaction_) {
        SQLEndTran(SQL_HANDLE_DBC, Dbc(dbc_), SQL_ROLLBACK);
        inTransaction_ = false;
    }
    SQLRETURN r = SQLDisconnect(Dbc(dbc_));
    if (!SQL_SUCCEEDED(r)) {
        // A driver that still sees an open transaction refuses; end it and try once more.
        SQLEndTran(SQL_HANDLE_DBC, Dbc(dbc_), SQL_ROLLBACK);
        r = SQLDisconnect(Dbc(dbc_));
    }
    if (!SQL_SUCCEEDED(r)) {
        try {
            ThrowDiagnostics(SQL_HANDLE_DBC, Dbc(dbc_), "SQLDisconnect");
        } catch (...) {
            FreeHandles();
            throw;
        }
    }
    FreeHandles();
}

int TADOConnection::BeginTrans() {
    if (!GetConnected()) throw EADOError("Connection is not open", "");
    if (inTransaction_) return 1;
    Check(SQLSetConnectAttr(Dbc(dbc_), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                            0),
          SQL_HANDLE_DBC, Dbc(dbc_), "BeginTrans");
    inTransaction_ = true;
    return 1;
}

void TADOConnection::EndTransaction(bool commit) {
    if (!inTransaction_ || !GetConnected()) return;
    // Cursors do not survive the end of their transaction on every driver: close them first.
    for (TADOQuery* q : queries_)
        q->CloseCursor();
    Check(SQLEndTran(SQL_HANDLE_DBC, Dbc(dbc_), commit ? SQL_COMMIT : SQL_ROLLBACK), SQL_HANDLE_DBC,
          Dbc(dbc_), commit ? "CommitTrans" : "RollbackTrans");
    inTransaction_ = false;
    Check(
        SQLSetConnectAttr(Dbc(dbc_), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0),
        SQL_HANDLE_DBC, Dbc(dbc_), "SQLSetConnectAttr");
}

void TADOConnection::CommitTrans() {
    EndTransaction(true);
}

void TADOConnection::RollbackTrans() {
    EndTransaction(false);
}

void TADOConnection::OpenSchema(TSchemaInfo Schema, TADOQuery& DataSet) {
    (void)Schema; // siColumns is the only rowset offered
    DataSet.SetConnection(this);
    DataSet.Close();
    DataSet.SQL()->Clear();
    DataSet.SyncSQL();
    if (DataSet.source_ != TADOQuery::TSource::columnsSchema) {
        DataSet.FreeStatement();
        DataSet.fields_.Clear();
        DataSet.columnTypes_.clear();
        DataSet.described_ = false;
        DataSet.source_ = TADOQuery::TSource::columnsSchema;
    }
    DataSet.Open();
}

// ---- TADOQuery ----

namespace {

TFieldType FieldTypeOf(SQLSMALLINT sqlType) {
    using enum TFieldType;
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_WCHAR:
        return ftFixedChar;
    case SQL_VARCHAR:
    case SQL_WVARCHAR:
        return ftString;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
        return ftMemo;
    case SQL_BINARY:
        return ftBytes;
    case SQL_VARBINARY:
        return ftVarBytes;
    case SQL_LONGVARBINARY:
        return ftBlob;
    case SQL_TINYINT:
    case SQL_SMALLINT:
        return ftSmallint;
    case SQL_INTEGER:
        return ftInteger;
    case SQL_BIGINT:
        return ftLargeint;
    case SQL_BIT:
        return ftBoolean;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return ftFloat;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        return ftBCD;
    case SQL_TYPE_DATE:
        return ftDate;
    case SQL_TYPE_TIME:
        return ftTime;
    case SQL_TYPE_TIMESTAMP:
        return ftDateTime;
    case SQL_GUID:
        return ftGuid;
    default:
        return ftString;
    }
}

bool IsBinaryType(SQLSMALLINT t) {
    return t == SQL_BINARY || t == SQL_VARBINARY || t == SQL_LONGVARBINARY;
}
bool IsIntegerType(SQLSMALLINT t) {
    return t == SQL_TINYINT || t == SQL_SMALLINT || t == SQL_INTEGER || t == SQL_BIGINT;
}
bool IsFloatType(SQLSMALLINT t) {
    return t == SQL_REAL || t == SQL_FLOAT || t == SQL_DOUBLE;
}
bool IsDateTimeType(SQLSMALLINT t) {
    return t == SQL_TYPE_DATE || t == SQL_TYPE_TIME || t == SQL_TYPE_TIMESTAMP;
}

bool IsBinaryParamType(TFieldType t) {
    using enum TFieldType;
    return t == ftBlob || t == ftBytes || t == ftVarBytes || t == ftGraphic || t == ftOraBlob;
}

bool IsTextParamType(TFieldType t) {
    using enum TFieldType;
    return t == ftString || t == ftFixedChar || t == ftWideString || t == ftFixedWideChar || t == ftMemo ||
           t == ftFmtMemo || t == ftWideMemo || t == ftOraClob;
}

// One column of the current row as text or bytes, read in pieces so that no length is too long.
// Returns false for NULL.
bool GetLongData(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, std::string& out) {
    out.clear();
    std::string buf(65536, '\0');
    const std::size_t cap = cType == SQL_C_CHAR ? buf.size() - 1 : buf.size(); // text ends in NUL
    for (;;) {
        SQLLEN ind = 0;
        const SQLRETURN r =
            SQLGetData(stmt, column, cType, buf.data(), static_cast<SQLLEN>(buf.size()), &ind);
        if (r == SQL_NO_DATA) break; // every piece is read
        Check(r, SQL_HANDLE_STMT, stmt, "SQLGetData");
        if (ind == SQL_NULL_DATA) return false;
        const std::size_t got =
            ind == SQL_NO_TOTAL || static_cast<std::size_t>(ind) > cap ? cap : static_cast<std::size_t>(ind);
        out.append(buf.data(), got);
        if (r == SQL_SUCCESS) break; // the last piece
    }
    return true;
}

} // namespace

TADOQuery::TADOQuery(TComponent* AOwner) : TComponent(AOwner) {}

TADOQuery::~TADOQuery() {
    FreeStatement();
    if (connection_) std::erase(connection_->queries_, this);
}

void TADOQuery::SetConnection(TADOConnection* Value) {
    if (Value == connection_) return;
    FreeStatement();
    if (connection_) std::erase(connection_->queries_, this);
    connection_ = Value;
    if (connection_) connection_->queries_.push_back(this);
}

void TADOQuery::ConnectionClosing() {
    FreeStatement();
}

void TADOQuery::ConnectionGone() {
    FreeStatement();
    connection_ = nullptr;
}

void TADOQuery::SyncSQL() {
    std::string text = sql_.Text();
    if (text == sqlSeen_) return;
    sqlSeen_ = std::move(text);
    source_ = TSource::sqlText;
    FreeStatement();
    fields_.Clear();
    columnTypes_.clear();
    described_ = false;
}

std::string TADOQuery::CurrentSQL() const {
    std::string text = sqlSeen_;
    if (EndsStr("\r\n", text)) text.resize(text.size() - 2);
    return text;
}

void TADOQuery::RequireConnection() const {
    if (!connection_) throw EADOError("Connection not assigned", "");
    if (!connection_->GetConnected()) throw EADOError("Connection is not open", "");
}

void TADOQuery::AllocStatement() {
    if (stmt_) return;
    RequireConnection();
    SQLHSTMT s = SQL_NULL_HSTMT;
    Check(SQLAllocHandle(SQL_HANDLE_STMT, Dbc(connection_->dbc_), &s), SQL_HANDLE_DBC, Dbc(connection_->dbc_),
          "SQLAllocHandle");
    stmt_ = s;
    SQLSetStmtAttr(s, SQL_ATTR_QUERY_TIMEOUT,
                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(std::max(commandTimeout_, 0))), 0);
}

void TADOQuery::CloseCursor() {
    if (stmt_) SQLFreeStmt(Stmt(stmt_), SQL_CLOSE);
    cursorOpen_ = false;
    active_ = false;
    eof_ = true;
    rowNo_ = 0;
    for (int i = 0; i < fields_.Count(); ++i)
        fields_[i].SetValue(TVariant());
}

void TADOQuery::FreeStatement() {
    CloseCursor();
    if (stmt_) SQLFreeHandle(SQL_HANDLE_STMT, Stmt(stmt_));
    stmt_ = nullptr;
    prepared_ = false;
    bindBuffers_.clear();
    bindLengths_.clear();
}

void TADOQuery::Prepare() {
    if (prepared_) return;
    std::string text;
    if (source_ == TSource::sqlText) {
        text = CurrentSQL();
        if (Trim(text).empty()) throw EADOError("Empty SQL statement", "");
    }
    AllocStatement();
    if (source_ == TSource::sqlText)
        Check(SQLPrepare(Stmt(stmt_), reinterpret_cast<SQLCHAR*>(text.data()),
                         static_cast<SQLINTEGER>(text.size())),
              SQL_HANDLE_STMT, Stmt(stmt_), "SQLPrepare");
    prepared_ = true;
}

void TADOQuery::BindParameters() {
    SQLHSTMT s = Stmt(stmt_);
    SQLFreeStmt(s, SQL_RESET_PARAMS);
    SQLSMALLINT n = 0;
    Check(SQLNumParams(s, &n), SQL_HANDLE_STMT, s, "SQLNumParams");
    if (parameters_.Count() < n)
        throw EADOError("The statement has " + IntToStr(n) + " parameters, " + IntToStr(parameters_.Count()) +
                            " are given",
                        "");
    // The buffers are sized once, so that no bound pointer moves before the statement runs.
    bindBuffers_.assign(static_cast<std::size_t>(n), std::string());
    bindLengths_.assign(static_cast<std::size_t>(n), 0);
    for (SQLSMALLINT i = 0; i < n; ++i) {
        const TParam& p = parameters_[i];
        const TVariant& v = p.Value();
        std::string& buf = bindBuffers_[static_cast<std::size_t>(i)];
        SQLLEN& len = bindLengths_[static_cast<std::size_t>(i)];
        SQLSMALLINT cType = SQL_C_CHAR;
        SQLSMALLINT sqlType = SQL_VARCHAR;
        SQLULEN columnSize = 1;
        SQLSMALLINT digits = 0;
        auto raw = [&buf, &len](const auto& value) {
            buf.assign(reinterpret_cast<const char*>(&value), sizeof value);
            len = static_cast<SQLLEN>(sizeof value);
        };
        const TFieldType dt = p.DataType();
        switch (v.Kind()) {
        case TVarKind::vkNull:
            buf.assign(1, '\0');
            len = SQL_NULL_DATA;
            if (IsBinaryParamType(dt)) {
                cType = SQL_C_BINARY;
                sqlType = SQL_LONGVARBINARY;
            }
            break;
        case TVarKind::vkInteger: {
            const SQLBIGINT x = v.AsInteger();
            raw(x);
            cType = SQL_C_SBIGINT;
            sqlType = SQL_BIGINT;
            columnSize = 19;
            break;
        }
        case TVarKind::vkFloat: {
            const double x = v.AsFloat();
            raw(x);
            cType = SQL_C_DOUBLE;
            sqlType = SQL_DOUBLE;
            columnSize = 15;
            break;
        }
        case TVarKind::vkBoolean: {
            const unsigned char x = v.AsBoolean() ? 1 : 0;
            raw(x);
            cType = SQL_C_BIT;
            sqlType = SQL_BIT;
            break;
        }
        case TVarKind::vkDateTime: {
            const TDateTime d = v.AsDateTime();
            int y = 0, mo = 0, dd = 0, h = 0, mi = 0, sec = 0, ms = 0;
            DecodeDate(d, y, mo, dd);
            DecodeTime(d, h, mi, sec, ms);
            if (dt == TFieldType::ftDate) {
                SQL_DATE_STRUCT x{static_cast<SQLSMALLINT>(y), static_cast<SQLUSMALLINT>(mo),
                                  static_cast<SQLUSMALLINT>(dd)};
                raw(x);
                cType = SQL_C_TYPE_DATE;
                sqlType = SQL_TYPE_DATE;
                columnSize = 10;
            } else if (dt == TFieldType::ftTime) {
                SQL_TIME_STRUCT x{static_cast<SQLUSMALLINT>(h), static_cast<SQLUSMALLINT>(mi),
                                  static_cast<SQLUSMALLINT>(sec)};
                raw(x);
                cType = SQL_C_TYPE_TIME;
                sqlType = SQL_TYPE_TIME;
                columnSize = 8;
            } else {
                SQL_TIMESTAMP_STRUCT x{static_cast<SQLSMALLINT>(y),
                                       static_cast<SQLUSMALLINT>(mo),
                                       static_cast<SQLUSMALLINT>(dd),
                                       static_cast<SQLUSMALLINT>(h),
                                       static_cast<SQLUSMALLINT>(mi),
                                       static_cast<SQLUSMALLINT>(sec),
                                       static_cast<SQLUINTEGER>(ms) * 1000000u};
                raw(x);
                cType = SQL_C_TYPE_TIMESTAMP;
                sqlType = SQL_TYPE_TIMESTAMP;
                columnSize = 23;
                digits = 3;
            }
            break;
        }
        case TVarKind::vkString:
        case TVarKind::vkBytes: {
            buf = v.AsBytes();
            len = static_cast<SQLLEN>(buf.size());
            columnSize = std::max<SQLULEN>(buf.size(), 1);
            // Bytes of a text type (a memo's) are text; other bytes and the large-object types binary.
            const bool binary =
                IsBinaryParamType(dt) || (v.Kind() == TVarKind::vkBytes && !IsTextParamType(dt));
            if (binary) {
                cType = SQL_C_BINARY;
                sqlType = dt == TFieldType::ftBytes || dt == TFieldType::ftVarBytes ? SQL_VARBINARY
                                                                                    : SQL_LONGVARBINARY;
            }
            // Text goes as VARCHAR whatever its length: some drivers (SQLite's) store a
            // LONGVARCHAR parameter as a blob.
            if (buf.empty()) buf.assign(1, '\0'); // a valid pointer; the length says 0
            break;
        }
        }
        Check(SQLBindParameter(s, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, cType, sqlType,
                               columnSize, digits, buf.data(), static_cast<SQLLEN>(buf.size()), &len),
              SQL_HANDLE_STMT, s, "SQLBindParameter");
    }
}

void TADOQuery::Describe() {
    SQLHSTMT s = Stmt(stmt_);
    SQLSMALLINT n = 0;
    Check(SQLNumResultCols(s, &n), SQL_HANDLE_STMT, s, "SQLNumResultCols");
    if (described_ && n == fields_.Count()) return;
    fields_.Clear();
    columnTypes_.clear();
    for (SQLSMALLINT c = 1; c <= n; ++c) {
        std::string name(256, '\0');
        SQLSMALLINT nameLen = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        Check(SQLDescribeCol(s, static_cast<SQLUSMALLINT>(c), reinterpret_cast<SQLCHAR*>(name.data()),
                             static_cast<SQLSMALLINT>(name.size()), &nameLen, &type, &size, &digits,
                             &nullable),
              SQL_HANDLE_STMT, s, "SQLDescribeCol");
        name.resize(std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(nameLen, 0)), 255));
        const TFieldType ft = FieldTypeOf(type);
        const bool text = ft == TFieldType::ftString || ft == TFieldType::ftFixedChar;
        const bool exact = ft == TFieldType::ftBCD;
        const int fieldSize = text ? static_cast<int>(std::min<SQLULEN>(size, 0x7fffffff)) : 0;
        fields_.Add(std::make_unique<TField>(std::move(name), ft, fieldSize,
                                             exact ? static_cast<int>(size) : 0, exact ? digits : 0));
        columnTypes_.push_back(type);
    }
    described_ = true;
}

void TADOQuery::Execute() {
    Prepare();
    SQLHSTMT s = Stmt(stmt_);
    SQLRETURN r;
    if (source_ == TSource::columnsSchema) {
        r = SQLColumns(s, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0);
    } else {
        BindParameters();
        r = SQLExecute(s);
    }
    if (r != SQL_NO_DATA)
        Check(r, SQL_HANDLE_STMT, s, source_ == TSource::columnsSchema ? "SQLColumns" : "SQLExecute");
    SQLLEN rows = -1;
    if (!SQL_SUCCEEDED(SQLRowCount(s, &rows))) rows = -1;
    rowsAffected_ = rows;
    Describe();
    cursorOpen_ = fields_.Count() > 0;
}

bool TADOQuery::Fetch() {
    SQLHSTMT s = Stmt(stmt_);
    const SQLRETURN r = SQLFetch(s);
    if (r == SQL_NO_DATA) return false;
    Check(r, SQL_HANDLE_STMT, s, "SQLFetch");
    ReadRow();
    return true;
}

void TADOQuery::ReadRow() {
    SQLHSTMT s = Stmt(stmt_);
    std::string data;
    for (int i = 0; i < fields_.Count(); ++i) {
        const auto col = static_cast<SQLUSMALLINT>(i + 1);
        const auto type = static_cast<SQLSMALLINT>(columnTypes_[static_cast<std::size_t>(i)]);
        TField& f = fields_[i];
        SQLLEN ind = 0;
        if (IsIntegerType(type)) {
            SQLBIGINT x = 0;
            Check(SQLGetData(s, col, SQL_C_SBIGINT, &x, sizeof x, &ind), SQL_HANDLE_STMT, s, "SQLGetData");
            f.SetValue(ind == SQL_NULL_DATA ? TVariant() : TVariant::FromInteger(x));
        } else if (type == SQL_BIT) {
            unsigned char x = 0;
            Check(SQLGetData(s, col, SQL_C_BIT, &x, sizeof x, &ind), SQL_HANDLE_STMT, s, "SQLGetData");
            f.SetValue(ind == SQL_NULL_DATA ? TVariant() : TVariant::FromBoolean(x != 0));
        } else if (IsFloatType(type)) {
            double x = 0;
            Check(SQLGetData(s, col, SQL_C_DOUBLE, &x, sizeof x, &ind), SQL_HANDLE_STMT, s, "SQLGetData");
            f.SetValue(ind == SQL_NULL_DATA ? TVariant() : TVariant::FromFloat(x));
        } else if (IsBinaryType(type)) {
            f.SetValue(GetLongData(s, col, SQL_C_BINARY, data) ? TVariant::FromBytes(data) : TVariant());
        } else if (!GetLongData(s, col, SQL_C_CHAR, data)) {
            f.SetValue(TVariant());
        } else if (IsDateTimeType(type)) {
            // The driver's text; a value that is not a date or time stays as that text.
            TDateTime d = 0;
            f.SetValue(TryTextToDateTime(Trim(data), d) ? TVariant::FromDateTime(d)
                                                        : TVariant::FromString(data));
        } else {
            f.SetValue(TVariant::FromString(data));
        }
    }
}

void TADOQuery::Open() {
    SyncSQL();
    if (active_) return;
    try {
        Execute();
        active_ = true;
        eof_ = !cursorOpen_ || !Fetch();
        rowNo_ = eof_ ? 0 : 1;
    } catch (...) {
        CloseCursor();
        throw;
    }
}

void TADOQuery::Close() {
    CloseCursor();
}

void TADOQuery::SetActive(bool Value) {
    if (Value)
        Open();
    else
        Close();
}

void TADOQuery::ExecSQL() {
    SyncSQL();
    Close();
    try {
        Execute();
    } catch (...) {
        CloseCursor();
        throw;
    }
    if (cursorOpen_) CloseCursor();
}

TFields* TADOQuery::Fields() {
    SyncSQL();
    return &fields_;
}

TField& TADOQuery::FieldByName(std::string_view Name) {
    SyncSQL();
    return fields_.FieldByName(Name);
}

bool TADOQuery::GetActive() {
    SyncSQL();
    return active_;
}

bool TADOQuery::GetEof() {
    SyncSQL();
    return eof_;
}

void TADOQuery::Next() {
    SyncSQL();
    if (!active_) throw EADOError("Query is not open", "");
    if (eof_) return;
    try {
        if (cursorOpen_ && Fetch()) {
            ++rowNo_;
            return;
        }
    } catch (...) {
        CloseCursor();
        throw;
    }
    eof_ = true;
}

void TADOQuery::First() {
    SyncSQL();
    if (active_ && rowNo_ == 1 && !eof_) return;
    Close();
    Open();
}

void TADOQuery::Last() {
    SyncSQL();
    if (!active_) Open();
    try {
        while (cursorOpen_ && Fetch())
            ++rowNo_;
    } catch (...) {
        CloseCursor();
        throw;
    }
    eof_ = true;
}

} // namespace smx
