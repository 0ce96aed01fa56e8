// The generic script executor: script rendering per dialect, the statement-by-statement run with
// its transaction rule and log lines, and the large-object file that data statements read from.
#include "model/smxSQL_Exec.h"

#include <exception>
#include <fstream>

#include "foundation/smxMsg.h"
#include "platform/smxExceptions.h"
#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"

namespace smx {

namespace {

using enum TStatType;

// Kinds that need a connection and count as executable statements.
bool IsExecutableKind(TStatType t) {
    return t == stStatement || t == stProcedure || t == stTrigger || t == stDescription || t == stInsert ||
           t == stUpdate || t == stDelete || t == stPackage || t == stExecuteBlock;
}

// Routines get "^" on InterBase and live inside a SET TERM block. The parser files a package as a
// plain statement on a package object; it is a routine all the same, and so is EXECUTE BLOCK.
bool IsRoutine(const TStatement& st) {
    if (st.StatType == stProcedure || st.StatType == stTrigger || st.StatType == stPackage ||
        st.StatType == stExecuteBlock)
        return true;
    return st.StatType == stStatement && st.ObjKind == TDbObject::dboPackage &&
           st.Operation == TDbOperation::odbCreate;
}

// Appends Text to Lines, one line per piece between CR LF pairs; the piece after the last CR LF
// is a line too, so a text ending in CR LF leaves an empty line.
void AddText(TStringList& Lines, std::string_view Text) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t p = Text.find("\r\n", start);
        if (p == std::string_view::npos) {
            Lines.Add(Text.substr(start));
            return;
        }
        Lines.Add(Text.substr(start, p - start));
        start = p + 2;
    }
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Reads Digits as an unsigned hexadecimal number; false when a character is not a hex digit or
// the value does not fit into 64 bits.
bool ReadHex(std::string_view Digits, std::uint64_t& Value) {
    Value = 0;
    if (Digits.empty()) return false;
    for (char c : Digits) {
        if (!IsHexDigit(c)) return false;
        const std::uint64_t d =
            c <= '9' ? static_cast<std::uint64_t>(c - '0') : static_cast<std::uint64_t>(UpCase(c) - 'A' + 10);
        if (Value > (UINT64_MAX >> 4)) return false;
        Value = (Value << 4) | d;
    }
    return true;
}

enum class BlobRef { None, Valid, Malformed };

// A large-object reference is "h" (or "H"), the offset in hex, "_", the length in hex. The
// classic form has 8 digits on each side (18 characters, "_" tenth). Files of 4 GiB and more need
// longer numbers: those names count as references only when every digit is hexadecimal.
BlobRef ParseBlobRef(std::string_view Name, std::uint64_t& Offset, std::uint64_t& Length) {
    if (Name.size() < 18 || (Name[0] != 'h' && Name[0] != 'H')) return BlobRef::None;
    if (Name.size() == 18) {
        if (Name[9] != '_') return BlobRef::None;
        return ReadHex(Name.substr(1, 8), Offset) && ReadHex(Name.substr(10, 8), Length) ? BlobRef::Valid
                                                                                         : BlobRef::Malformed;
    }
    const std::size_t u = Name.find('_');
    if (u == std::string_view::npos || u < 9 || Name.size() - u - 1 < 8) return BlobRef::None;
    for (std::size_t i = 1; i < Name.size(); ++i)
        if (i != u && !IsHexDigit(Name[i])) return BlobRef::None;
    return ReadHex(Name.substr(1, u - 1), Offset) && ReadHex(Name.substr(u + 1), Length) ? BlobRef::Valid
                                                                                         : BlobRef::Malformed;
}

std::string Quoted(std::string_view Text) {
    return "\"" + std::string(Text) + "\"";
}

} // namespace

// The large-object file and its transfer buffer live and die together, so no value is ever read
// into a buffer that does not exist.
struct TSQLExec::BlobFile {
    std::ifstream Stream;
    std::uint64_t Size = 0;
    std::string Buffer;
};

TSQLExec::TSQLExec(TComponent* AOwner) : TCustomSQLExec(AOwner) {}

TSQLExec::~TSQLExec() {
    Blob_.reset();
    Query_.reset();
    CurrentStatement_ = nullptr;
    SetSMXConnection(nullptr);
}

void TSQLExec::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove && AComponent == SMXConnection_) SMXConnection_ = nullptr;
    TCustomSQLExec::Notification(AComponent, Operation);
}

std::string TSQLExec::Prefix() const {
    return std::string(ClassName()) + "(" + GetName() + "): ";
}

bool TSQLExec::RefuseWhileRunning(std::string_view Operation) {
    if (!Running_) return false;
    DoErrorMessage(Prefix() + std::string(Operation) + " refused while a script is running.");
    return true;
}

void TSQLExec::ClearStatements() {
    if (RefuseWhileRunning("ClearStatements")) return;
    ConnectionOptions_.SetDefaults();
    IBServerOptions_.SetDefaults();
    MSSQLServerOptions_.SetDefaults();
    MySQLServerOptions_.SetDefaults();
    ASAServerOptions_.SetDefaults();
    ASEServerOptions_.SetDefaults();
    OracleServerOptions_.SetDefaults();
    PGSQLServerOptions_.SetDefaults();
    DB2ServerOptions_.SetDefaults();
    TCustomSQLExec::ClearStatements();
}

void TSQLExec::DeleteStatement(int Index) {
    if (RefuseWhileRunning("DeleteStatement")) return;
    TCustomSQLExec::DeleteStatement(Index);
}

void TSQLExec::LoadScriptFromFile(const std::string& FileName) {
    if (RefuseWhileRunning("LoadScript")) return;
    TCustomSQLExec::LoadScriptFromFile(FileName);
}

void TSQLExec::LoadScript(const TStringList& Lines) {
    if (RefuseWhileRunning("LoadScript")) return;
    TCustomSQLExec::LoadScript(Lines);
}

void TSQLExec::StatementFreed(TStatement* Statement) {
    if (!Statement || Statement == CurrentStatement_) CurrentStatement_ = nullptr;
    TCustomSQLExec::StatementFreed(Statement);
}

void TSQLExec::DoErrorMessage(const std::string& Text) {
    if (CurrentStatement_) CurrentStatement_->ErrorText = Text;
    TCustomSQLExec::DoErrorMessage(Text);
}

void TSQLExec::AddCommit() {
    if (DatabaseType_ == TDatabaseType::dbSybaseASA)
        AddStatement("Commit Work\r\ngo", st_Commit, "Commit Work", TDbObject::dboUnknown,
                     TDbOperation::odbCommit);
    else
        AddStatement("COMMIT WORK;", st_Commit, "COMMIT WORK", TDbObject::dboUnknown,
                     TDbOperation::odbCommit);
}

TStatement* TSQLExec::AddComment(std::string_view Text) {
    return AddStatement(Text, stComment, "/*  */", TDbObject::dboUnknown, TDbOperation::odbComment);
}

void TSQLExec::AddReconnect() {
    if (DatabaseType_ != TDatabaseType::dbInterBase) return;
    if (IBServerOptions_.GetIBCompareOptions().GetUseRECONNECT()) {
        AddStatement("RECONNECT", stReconnect);
    } else {
        const std::string text = IBServerOptions_.GetConnectSQL(ConnectionOptions_);
        if (!text.empty()) AddStatement(text, stConnect);
    }
}

std::string TSQLExec::QuoteName(std::string_view Name) const {
    return TCustomObjs::QuoteIdentifier(Name, DatabaseType_, IBServerOptions_.GetSQLServerVersion(), 3);
}

void TSQLExec::SetSMXConnection(TSMXCustomConnection* Connection) {
    if (SMXConnection_ == Connection) return;
    if (SMXConnection_) RemoveFreeNotification(SMXConnection_);
    SMXConnection_ = Connection;
    if (SMXConnection_) FreeNotification(SMXConnection_);
}

void TSQLExec::CopyOptionsToConnection() {
    TSMXCustomConnection* c = SMXConnection_;
    if (!c) return;
    c->SetConnectionOptions(ConnectionOptions_);
    c->SetIBServerOptions(IBServerOptions_);
    c->SetMSSQLServerOptions(MSSQLServerOptions_);
    c->SetMySQLServerOptions(MySQLServerOptions_);
    c->SetASAServerOptions(ASAServerOptions_);
    c->SetASEServerOptions(ASEServerOptions_);
    c->SetOracleServerOptions(OracleServerOptions_);
    c->SetPGSQLServerOptions(PGSQLServerOptions_);
    c->SetDB2ServerOptions(DB2ServerOptions_);
}

void TSQLExec::Connect() {
    TSMXCustomConnection* c = SMXConnection_;
    if (!c) return;
    try {
        if (c->GetConnected()) c->SetConnected(false);
        CopyOptionsToConnection();
        c->SetConnected(true);
        if (c->GetConnected()) DoLogNextLine("Connect: " + Quoted(ConnectionOptions_.GetDatabaseName()));
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
    }
}

void TSQLExec::Disconnect() {
    TSMXCustomConnection* c = SMXConnection_;
    if (!c) return;
    try {
        if (c->GetConnected()) {
            DoLogNextLine("Disconnect: " + Quoted(ConnectionOptions_.GetDatabaseName()));
            c->SetConnected(false);
        }
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
    }
}

// ---------------------------------------------------------------------------------------------------
// Rendering

void TSQLExec::GetScriptLines(TStringList& Lines, bool MarkLines) {
    using enum TDatabaseType;
    const bool ib = DatabaseType_ == dbInterBase;
    const std::string typeTerminator = GetStatementTerminator(DatabaseType_);
    bool open = false;
    for (const auto& p : Statements_) {
        TStatement& st = *p;
        if (MarkLines) st.FirstLine = Lines.Count();
        if (st.Skip) continue;
        const bool routine = IsRoutine(st);
        if (routine && !open) {
            if (ib) {
                AddText(Lines, "SET TERM ^ ;\r\n");
                if (MarkLines) st.FirstLine = Lines.Count();
            }
            open = true;
        } else if (!routine && st.StatType != stComment && open) {
            if (ib) {
                AddText(Lines, "SET TERM ; ^\r\n");
                if (MarkLines) st.FirstLine = Lines.Count();
            }
            open = false;
        }

        const std::string text = st.Lines.Text();
        const std::string trimmed = Trim(text);
        if (routine) {
            if (ib)
                AddText(Lines, text + "^\r\n");
            else if (DatabaseType_ == dbOracle)
                AddText(Lines, text + "/\r\n");
            else
                AddText(Lines, trimmed + typeTerminator);
        } else if (st.StatType == stDescription) {
            AddText(Lines, trimmed + ";\r\n");
        } else if (st.ObjKind == TDbObject::dboView) {
            if (ib && trimmed.find_first_of("\r\n") == std::string::npos) {
                AddText(Lines, trimmed + typeTerminator);
            } else {
                AddText(Lines, trimmed);
                AddText(Lines, typeTerminator);
            }
        } else {
            switch (st.StatType) {
            case stReconnect:
            case stSetBlobFile:
            case stInsert:
            case stUpdate:
            case stDelete:
                AddText(Lines, trimmed + typeTerminator);
                break;
            case stConnect:
            case stCreateDb:
            case stSet:
            case stStatement:
            case stSetNames:
            case stCharSet:
            case stSqlDialect:
                AddText(Lines, trimmed + st.Terminator);
                break;
            default: // commits, comments, selects, execute blocks
                AddText(Lines, trimmed);
                break;
            }
        }

        if (ib && IBServerOptions_.GetIBCompareOptions().GetGenerateCOMMIT()) {
            const TStatType t = st.StatType;
            if (t == stStatement || t == stProcedure || t == stTrigger || t == stDescription ||
                t == stPackage)
                Lines.Add(open ? "COMMIT WORK ^" : "COMMIT WORK;");
        }
    }
    if (ib && open) AddText(Lines, "SET TERM ; ^\r\n");
}

// ---------------------------------------------------------------------------------------------------
// Running

bool TSQLExec::HasUsableQuery() {
    if (Query_ && Query_->GetSQL()) return true;
    DoErrorMessage(Prefix() + "the connection offers no query.");
    return false;
}

void TSQLExec::ClearQuerySQL() {
    if (Query_)
        if (TStringList* sql = Query_->GetSQL()) sql->Clear();
}

// An exception escaped a statement: report it, and leave neither SQL text nor an open transaction.
void TSQLExec::RecoverFromException(const std::string& Message) {
    DoErrorMessage(Message);
    try {
        ClearQuerySQL();
        if (SMXConnection_ && SMXConnection_->InTransaction()) SMXConnection_->Rollback();
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
    }
}

// Closes the large-object file and ends the run's transaction; disconnects what the run connected.
// Runs on every way out of a run, so it reports instead of throwing.
void TSQLExec::EndRun(bool WasConnected) {
    Blob_.reset();
    if (!SMXConnection_) return;
    CommitPendingData();
    if (!WasConnected) Disconnect();
}

bool TSQLExec::ExecuteScript() {
    if (RefuseWhileRunning("ExecuteScript")) return false;
    // Errors of loading the list count as errors of the run: it cannot end as a success.
    ErrorCount_ = GetLoadErrorCount();
    CurrentStatement_ = nullptr;
    if (Statements_.empty()) {
        DoLogNextLine("Update script is empty.");
        return ErrorCount_ == 0;
    }
    if (!SMXConnection_) {
        DoErrorMessage(Prefix() + "Connection property not assigned.");
        return false;
    }

    Running_ = true;
    ConnectionOptions_ = SMXConnection_->GetConnectionOptions();
    const bool wasConnected = SMXConnection_->GetConnected();
    bool ended = false;
    ScopeExit cleanup([&] {
        CurrentStatement_ = nullptr;
        if (!ended) {
            try {
                EndRun(wasConnected);
            } catch (...) {
            }
        }
        Query_.reset();
        Running_ = false;
    });
    Query_.reset(SMXConnection_->CreateQuery(nullptr));
    DoLogNextLine("Updating target database...");
    const int count = GetStatementCount();
    DoProgressUpdate(0, count - 1);

    const bool usable = HasUsableQuery();
    bool result = usable && ErrorCount_ == 0;
    if (usable) {
        for (int i = 0; i < count; ++i) {
            if (!result && BreakOnError_) {
                DoLogNextLine("< Break on Error! >");
                break;
            }
            if (StopRequested) {
                DoLogNextLine("< Stopped on request! >");
                result = false;
                break;
            }
            DoBeforeStatementExecute(i);
            TStatement* st = GetStatement(i);
            if (!st->Skip) {
                // Run it whatever the earlier results were; only BreakOnError ends a run.
                const bool ok = ExecStatement(st);
                result = result && ok;
                CurrentStatement_ = nullptr;
            } else if (GetShowFullLog()) {
                DoLogNextLine("< Skipping statement >:");
                for (int l = 0; l < st->Lines.Count(); ++l)
                    DoLogNextLine("// " + st->Lines[l]);
            } else {
                DoLogNextLine("< Skipping statement >: " + st->GetCaption());
            }
            DoProgressUpdate(i, count - 1);
            DoAfterStatementExecute(i);
            ProcessMessages();
        }
    }
    CurrentStatement_ = nullptr;

    ended = true;
    EndRun(wasConnected);
    if (ErrorCount_ != 0) {
        DoLogNextLine("< Script executed: " + IntToStr(ErrorCount_) + " errors... >");
        result = false;
    } else if (result) {
        DoLogNextLine("< Script executed succesfully! >");
    }
    return result;
}

bool TSQLExec::ExecuteStatement(TStatement* Statement) {
    if (!Statement) return false;
    if (RefuseWhileRunning("ExecuteStatement")) return false;
    TSMXCustomConnection* c = SMXConnection_;
    if (!c) {
        DoErrorMessage(Prefix() + "Connection property not assigned.");
        return false;
    }

    Running_ = true;
    const bool wasConnected = c->GetConnected();
    const bool hadTransaction = wasConnected && c->InTransaction();
    ScopeExit cleanup([&] {
        CurrentStatement_ = nullptr;
        Blob_.reset();
        // Leave no transaction that this statement opened; leave the connection as found.
        try {
            if (SMXConnection_ && !hadTransaction && SMXConnection_->InTransaction())
                SMXConnection_->Commit();
        } catch (const std::exception& e) {
            DoErrorMessage(e.what());
        } catch (...) {
        }
        try {
            if (!wasConnected) Disconnect();
        } catch (...) {
        }
        Query_.reset();
        Running_ = false;
    });
    CreateWorkingQuery();
    if (!wasConnected) Connect();
    return ExecStatement(Statement);
}

bool TSQLExec::ExecStatement(TStatement* Statement) {
    if (!Statement) return false;
    CurrentStatement_ = Statement;
    const int errorsBefore = ErrorCount_;
    bool result = true;
    try {
        TSMXCustomConnection* c = SMXConnection_;
        if (!c) {
            DoErrorMessage(Prefix() + "Connection property not assigned.");
            return false;
        }
        if (!c->GetConnected() && IsExecutableKind(Statement->StatType)) Connect();

        if (GetShowFullLog()) {
            DoLogNextLine("< Exec SQL >:");
            DoLogNextLine(Trim(Statement->Lines.Text()));
        } else {
            DoLogNextLine("< Exec SQL >: " + Statement->GetCaption());
        }

        switch (Statement->StatType) {
        case stConnect:
            result = ExecConnect();
            break;
        case stReconnect:
            result = ExecReconnect();
            break;
        case stCreateDb:
            result = ExecCreateDatabase();
            break;
        case stSet:
            if (DatabaseType_ == TDatabaseType::dbOracle) result = ExecSQLStatement();
            break;
        case stSetBlobFile:
            result = ExecSetBlobFile();
            break;
        case stStatement:
        case stProcedure:
        case stTrigger:
        case stPackage:
        case stExecuteBlock:
            result = ExecSQLStatement();
            break;
        case stDescription:
            result = ExecDescription();
            break;
        case stInsert:
        case stUpdate:
        case stDelete:
            result = ExecDML();
            break;
        default: // commits follow the run's own rule; the other kinds are not sent
            break;
        }
    } catch (const std::exception& e) {
        RecoverFromException(e.what());
        result = false;
    } catch (...) {
        RecoverFromException(Prefix() + "unknown exception while executing " + Statement->GetCaption() + ".");
        result = false;
    }
    return result && ErrorCount_ == errorsBefore;
}

TSMXQuery* TSQLExec::CreateWorkingQuery() {
    if (!Query_ && SMXConnection_) Query_.reset(SMXConnection_->CreateQuery(nullptr));
    return Query_.get();
}

bool TSQLExec::ReadyToSend() {
    if (!SMXConnection_ || !SMXConnection_->GetConnected()) {
        DoErrorMessage("Disconnected from database...");
        return false;
    }
    return HasUsableQuery();
}

// Data statements of a run share one transaction that is committed at the end. A DDL, routine or
// description statement must not share it: its rollback on failure would take those rows with it.
// So the rows are committed before such a statement starts. A failed commit is reported (and
// counted) and its transaction rolled back, so the statement still starts clean.
void TSQLExec::CommitPendingData() {
    TSMXCustomConnection* c = SMXConnection_;
    if (!c || !c->InTransaction()) return;
    try {
        c->Commit();
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
        try {
            if (c->InTransaction()) c->Rollback();
        } catch (const std::exception& e2) {
            DoErrorMessage(e2.what());
        }
    }
}

bool TSQLExec::ExecSQLStatement() {
    using enum TDatabaseType;
    if (!ReadyToSend()) return false;
    TSMXCustomConnection* c = SMXConnection_;
    TSMXQuery& q = *Query_;
    ScopeExit restore([&] {
        ClearQuerySQL();
        q.SetParamCheck(true);
    });
    const TStatement* st = CurrentStatement_;
    CommitPendingData();
    try {
        if (!c->InTransaction() && DatabaseType_ != dbMSSQL && DatabaseType_ != dbSybaseASE)
            c->StartTransaction();
        q.SetParamCheck(false);
        if (TParams* params = q.GetParams()) params->Clear();
        if (DatabaseType_ == dbOracle && st && (st->StatType == stProcedure || st->StatType == stTrigger)) {
            // The Oracle client wants bare LF line breaks and the "/" that ends a PL/SQL block.
            q.GetSQL()->Clear();
            q.GetSQL()->Add(StringReplace(st->Lines.Text(), "\r\n", "\n") + "/");
        } else if (st) {
            SetStatementSQL(*q.GetSQL(), *st);
        } else {
            q.GetSQL()->Clear();
        }
        q.ExecSQL();
        q.GetSQL()->Clear();
        if (c->InTransaction()) c->Commit();
        return true;
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
        q.GetSQL()->Clear();
        if (c->InTransaction()) c->Rollback();
        return false;
    }
}

void TSQLExec::SetStatementSQL(TStringList& SQL, const TStatement& Statement) {
    if (Statement.KeepsSourceText()) {
        // One entry: the list would turn each lone LF or CR (string literal data) into CR LF.
        SQL.Clear();
        SQL.Add(Statement.SourceText);
    } else {
        SQL.SetText(Statement.Lines.Text());
    }
}

bool TSQLExec::ExecDML() {
    if (!ReadyToSend()) return false;
    TSMXCustomConnection* c = SMXConnection_;
    TSMXQuery& q = *Query_;
    ScopeExit restore([&] {
        ClearQuerySQL();
        q.SetParamCheck(true);
    });
    try {
        if (!c->InTransaction()) c->StartTransaction();
        q.SetParamCheck(true);
        if (TParams* params = q.GetParams()) params->Clear();
        if (CurrentStatement_)
            SetStatementSQL(*q.GetSQL(), *CurrentStatement_);
        else
            q.GetSQL()->Clear();
        const int errorsBefore = ErrorCount_;
        if (TParams* params = q.GetParams(); params && params->Count() > 0) FillBlobParams();
        // A value that could not be read must not reach the table as NULL or truncated.
        if (ErrorCount_ != errorsBefore) return false;
        q.ExecSQL();
        q.GetSQL()->Clear();
        return true;
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
        q.GetSQL()->Clear();
        return false;
    }
}

void TSQLExec::FillBlobParams() {
    TParams* params = Query_ ? Query_->GetParams() : nullptr;
    if (!params || params->Count() == 0) return;
    for (int i = 0; i < params->Count(); ++i) {
        TParam& param = (*params)[i];
        if (!Blob_) {
            DoGetParamValue(param);
            continue;
        }
        std::uint64_t offset = 0, length = 0;
        const BlobRef ref = ParseBlobRef(param.Name(), offset, length);
        if (ref == BlobRef::None) {
            DoGetParamValue(param);
            continue;
        }
        try {
            if (ref == BlobRef::Malformed)
                throw EConvertError("'" + param.Name() + "' is not a valid large-object reference");
            BlobFile& blob = *Blob_;
            blob.Buffer.clear();
            if (offset > blob.Size || length > blob.Size - offset)
                throw EFileError("Stream read error: " + IntToStr(static_cast<std::int64_t>(length)) +
                                 " bytes at offset " + IntToStr(static_cast<std::int64_t>(offset)) + " of " +
                                 BlobFileName_);
            if (length > 0) {
                blob.Stream.clear();
                blob.Stream.seekg(static_cast<std::streamoff>(offset));
                blob.Buffer.resize(static_cast<std::size_t>(length));
                blob.Stream.read(blob.Buffer.data(), static_cast<std::streamsize>(length));
                if (static_cast<std::uint64_t>(blob.Stream.gcount()) != length) {
                    blob.Buffer.clear();
                    throw EFileError("Stream read error: " + BlobFileName_);
                }
            }
            param.SetAsBlob(blob.Buffer);
            blob.Buffer.clear();
        } catch (const std::exception& e) {
            DoErrorMessage(e.what());
        }
    }
}

void TSQLExec::DoGetParamValue(TParam& Param) {
    Param.Clear();
    if (OnGetParamValue) OnGetParamValue(this, Param);
}

bool TSQLExec::ExecConnect() {
    TSMXCustomConnection* c = SMXConnection_;
    try {
        if (c->GetConnected()) c->SetConnected(false);
        ParseConnectSQL(CurrentStatement_ ? CurrentStatement_->Lines.Text() : std::string());
        CopyOptionsToConnection();
        c->SetConnected(true);
        if (!c->GetConnected()) {
            DoErrorMessage("Cannot connect to " + Quoted(ConnectionOptions_.GetDatabaseName()) + ".");
            return false;
        }
        DoLogNextLine("Connect: " + Quoted(ConnectionOptions_.GetDatabaseName()));
        if (DatabaseType_ == TDatabaseType::dbInterBase) {
            std::string line = "Dialect: " + IntToStr(IBServerOptions_.GetSQLDialect()) + ".";
            if (!IBServerOptions_.GetDBCharSet().empty())
                line += " DBCharSet: " + IBServerOptions_.GetDBCharSet() + ".";
            DoLogNextLine(line);
        }
        return true;
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
        return false;
    }
}

bool TSQLExec::ExecReconnect() {
    TSMXCustomConnection* c = SMXConnection_;
    DoLogNextLine("ReConnect...");
    try {
        c->SetConnected(false);
        CopyOptionsToConnection();
        c->SetConnected(true);
        if (!c->GetConnected()) {
            DoErrorMessage("Cannot connect to " + Quoted(ConnectionOptions_.GetDatabaseName()) + ".");
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
        return false;
    }
}

bool TSQLExec::ExecCreateDatabase() {
    TSMXCustomConnection* c = SMXConnection_;
    c->SetConnected(false);
    CopyOptionsToConnection();
    if (!c->CreateDatabase()) {
        DoErrorMessage("Cann't create database.");
        return false;
    }
    c->SetConnected(true);
    if (!c->GetConnected()) {
        DoErrorMessage("Cannot connect to " + Quoted(ConnectionOptions_.GetDatabaseName()) + ".");
        return false;
    }
    return true;
}

bool TSQLExec::ExecDescription() {
    if (GetShowFullLog())
        DoLogNextLine("< Update Description >:" +
                      (CurrentStatement_ ? Trim(CurrentStatement_->Lines.Text()) : ""));
    else
        DoLogNextLine("<Update Description>");
    return UpdateDescription();
}

bool TSQLExec::UpdateDescription() {
    return ExecSQLStatement();
}

bool TSQLExec::ExecSetBlobFile() {
    // A stream left open by an earlier SET BLOBFILE is closed first.
    Blob_.reset();
    BlobFileName_ = CurrentStatement_ ? CurrentStatement_->ObjName : std::string();
    if (ExtractFilePath(BlobFileName_).empty()) {
        if (ScriptFileName_.empty()) {
            DoErrorMessage("ScriptFileName not specified (for BlobFile).");
            return false;
        }
        BlobFileName_ = ExtractFilePath(ScriptFileName_) + BlobFileName_;
    }
    if (!FileExists(BlobFileName_)) {
        DoErrorMessage("BlobFile not found: " + BlobFileName_);
        return false;
    }
    auto blob = std::make_unique<BlobFile>();
    blob->Stream.open(BlobFileName_, std::ios::binary);
    if (blob->Stream) {
        blob->Stream.seekg(0, std::ios::end);
        const std::streamoff end = blob->Stream.tellg();
        blob->Stream.seekg(0, std::ios::beg);
        if (end >= 0) blob->Size = static_cast<std::uint64_t>(end);
    }
    if (!blob->Stream) {
        DoErrorMessage("BlobFile cannot be read: " + BlobFileName_);
        return false;
    }
    Blob_ = std::move(blob);
    return true;
}

// ---- Parser factory ---------------------------------------------------------------------------------

namespace {
TSQLParserFactory ParserFactory = nullptr; // constant-initialised: safe before any static constructor
} // namespace

TSQLParserFactory SetSQLParserFactory(TSQLParserFactory Factory) {
    const TSQLParserFactory Previous = ParserFactory;
    ParserFactory = Factory;
    return Previous;
}

TSQLParserPtr TSQLExec::CreateParser() const {
    if (!ParserFactory) return nullptr;
    return ParserFactory();
}

} // namespace smx
