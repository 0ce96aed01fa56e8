// The ADO adapter's database object and query, and the OLE DB connection-string builder. The
// builder writes the provider string of every database kind exactly; on this platform such a
// string is logged but opens only when it is an ODBC string (the client layer refuses other
// providers), so real connections come as the options' ConnectionString or, for MS Access and
// custom OLE DB, as the whole string in DatabaseName.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "foundation/smxDBEngine.h"
#include "foundation/smxTypes.h"
#include "platform/smxADOClient.h"
#include "platform/smxDB.h"
#include "platform/smxStringList.h"

namespace smx {

/// An OLE DB connection-string value as written: unchanged, or, when it holds ";" or starts with a
/// quote character, in double quotes with inner double quotes doubled.
std::string QuoteADOValue(std::string_view Value);

/// The OLE DB connection string of the database kind into Result: the provider part, then (except
/// for MS Access and custom OLE DB, whose Database is the whole string) the MS SQL security part,
/// "User ID=" and "Password=" (seven asterisks with HidePassword). Values are quoted as
/// QuoteADOValue says.
void BuildADOConnectionString(TDatabaseType DatabaseType, std::string_view Server, std::string_view Database,
                              std::string& Result, TSMXProtocol Protocol, int Port, bool HidePassword,
                              bool UseWindowsAuthentication, std::string_view Password,
                              std::string_view UserName);

/// True for the kinds the ADO database object connects: ASA, Oracle to MS Access, custom OLE DB.
bool IsADOConnectableDatabase(TDatabaseType DatabaseType);

/// The client query inside a TSMXADOQuery. Callers write its own SQL list with ":name" markers and
/// set its own parameters; with ParamCheck on, the engine's parameter parser turns the text into the
/// "?" text the driver gets and rebuilds the own parameters in order, so own parameter i is driver
/// parameter i + 1. With ParamCheck off the text goes unchanged and the own parameters stay.
class TADO_Query : public TADOQuery {
public:
    explicit TADO_Query(TComponent* AOwner = nullptr);
    SMX_CLASSNAME(TADO_Query)

    /// The SQL list callers write.
    TStringList* GetOwnSQL() { return &ownSQL_; }
    /// The parameters of the own SQL text, current with it.
    TParams* GetOwnParams();
    /// Parses the own text again on the next use.
    void SetParamCheck(bool Value) override;
    /// Copies the value of own parameter i into driver parameter i, for every own parameter.
    void CopyParamValues();

protected:
    void SyncSQL() override;

private:
    TStringList ownSQL_;
    TParams ownParams_;
    std::string ownSeen_;
    bool reparse_ = true;
};

class TSMXADODatabase;

/// The query of the ADO adapter: its SQL list and parameters are the inner query's own, every
/// other operation goes to the inner query. Created by a connection, owned by the caller.
class TSMXADOQuery : public TSMXQuery {
public:
    explicit TSMXADOQuery(TComponent* AOwner = nullptr);
    SMX_CLASSNAME(TSMXADOQuery)

    TStringList* GetSQL() override;
    bool GetEof() override;
    void SetParamCheck(bool Value) override;
    bool GetParamCheck() override;
    TParams* GetParams() override;
    bool GetActive() override;
    /// Opens or closes the inner query; opening throws as Open does.
    void SetActive(bool Value);
    TFields* GetFields() override;
    /// Stores the database object and binds the inner query to its client connection; nullptr (or
    /// another library's object) unbinds it.
    void SetDatabase(TSMXDatabase* Value) override;
    void First() override;
    void Last() override;
    void Next() override;
    /// Throws EDatabaseError "Field 'X' not found" when the result has no such column.
    TField* FieldByName(std::string_view Name) override;
    /// Copies the parameter values, then opens. Throws EDatabaseError with the driver's text; the
    /// query stays closed and usable.
    void Open() override;
    void Close() override;
    /// Copies the parameter values, then executes. Throws EDatabaseError with the driver's text.
    void ExecSQL() override;
    /// Throws EDatabaseError "Parameter 'X' not found" when the text has no such parameter.
    TParam* ParamByName(std::string_view Name) override;
    /// Nothing: the inner query prepares when it runs.
    void Prepare() override {}

    /// The client query every operation goes to.
    TADO_Query& GetQuery() { return *query_; }

private:
    std::unique_ptr<TADO_Query> query_;
};

/// The database object of the ADO access library: it owns a client connection (read committed,
/// read/write, no command timeout) and takes the connection string from the owning connection's
/// options. Unlike the connection component it lets the client's exceptions reach the caller.
class TSMXADODatabase : public TSMXDatabase {
public:
    explicit TSMXADODatabase(TComponent* AOwner = nullptr);
    SMX_CLASSNAME(TSMXADODatabase)

    bool GetConnected() const override;
    /// Connect: a kind the object cannot connect is reported once through the owning connection's
    /// ErrorMessage ("Not supported DatabaseType select.") and nothing is connected; otherwise the
    /// options' ConnectionString, or the built OLE DB string, is set, logged through the owning
    /// connection with its password hidden, and opened. Disconnect: commits an open transaction
    /// first. Throws EDatabaseError with the client's text; without an owning connection too.
    void SetConnected(bool Value) override;
    void StartTransaction() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() const override;

    /// The owned client connection (its schema rowsets, its transactions).
    TADOConnection& GetADOConnection() { return *connection_; }

private:
    std::unique_ptr<TADOConnection> connection_;
};

} // namespace smx
