// The InterBase/Firebird script executor: CONNECT reading, connect and disconnect lines, the
// description statements, SET NAMES, one statement at once, and script loading through the
// InterBase script parser. See the header.
#include "database/smxIBSQLExec.h"

#include <array>
#include <exception>
#include <istream>
#include <iterator>

#include "model/smxDBStructure.h"
#include "parsing/smxIBExParser.h"
#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"

namespace smx {

namespace {

/// The parser that loads scripts into the statement list.
using TScriptParser = TIbExParser;

/// The script parser, told which file the text came from: an INPUT of that file is then a loop.
/// It parses the text as it is, so the statements it reports keep the script's own line breaks
/// (a line break inside a string literal is data).
class TLoadParser final : public TScriptParser {
public:
    void ParseText(std::string Text, const std::string& FileName, TObjs* Container) {
        // As ParseScript does: dialect 1 until the script says otherwise, CONNECT values kept.
        Container_ = Container;
        IBOptions().SetSQLDialect(1);
        if (FileName.empty()) {
            LoadText(std::move(Text));
            DoProgressUpdate(0, TotalLines_);
            DoLogNextLine("Parse Script: " + GetScriptName());
            ParseStatements();
            ReleaseText();
        } else {
            ParseLoadedFile(FileName, std::move(Text));
        }
        Container->GetConnectionOptions() = GetConnectionOptions();
    }
};

using enum TStatType;
using enum TDbObject;
using enum TDbOperation;

// The object kind names, by ordinal, for messages.
// clang-format off
constexpr std::array<std::string_view, DbObjectCount> DbObjectNames = {
    "dboUnknown",
    "dboTable",
    "dboProcedure",
    "dboTrigger",
    "dboFunction",
    "dboException",
    "dboIndex",
    "dboDomain",
    "dboView",
    "dboGenerator",
    "dboEvent",
    "dboField",
    "dboParam",
    "dboDatabase",
    "dboBlobFilter",
    "dboCollation",
    "dboConstraint",
    "dboPKey",
    "dboFKey",
    "dboUnique",
    "dboCheck",
    "dboReferences",
    "dboCtrDefault",
    "dboRole",
    "dboGrant",
    "dboRule",
    "dboDefault",
    "dboPackage",
    "dboPackageBody",
    "dboPublication",
    "dboSchema",
    "dboOperator",
    "dboOperatorClass",
    "dboExtension",
    "dboConversion",
    "dboUser",
    "dboUserGroup",
    "dboValidation",
    "dboExprIndex",
    "dboCount",
    "dboComputed",
    "dboDepend",
    "dboPrkList",
    "dboFrkList",
    "dboUnqList",
    "dboChkList",
    "dboDefList",
    "dboRefList",
    "dboIdxList",
    "dboExcList",
    "dboRolList",
    "dboGntList",
    "dboCdfList",
    "dboPrcList",
    "dboTrgList",
    "dboFncList",
    "dboRulList",
    "dboGnrList",
    "dboPkgList",
    "dboDmnList",
    "dboViwList",
    "dboFldList",
    "dboTblLIst",
    "dboPblList",
    "dboOprList",
    "dboOpcList",
    "dboCnvList",
    "dboEvtList",
    "dboCltList",
    "dboUseInList",
    "dboUseOfList",
};
// clang-format on
static_assert(DbObjectNames[static_cast<std::size_t>(TDbObject::dboCollation)] == "dboCollation");
static_assert(DbObjectNames.back() == "dboUseOfList");

std::string Quoted(std::string_view Text) {
    return "\"" + std::string(Text) + "\"";
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The kinds ExecuteStatement sends to the server.
bool RunsAtOnce(TStatType t) {
    return t == stStatement || t == stProcedure || t == stTrigger || t == stDescription || t == stInsert ||
           t == stUpdate || t == stDelete || t == stPackage || t == stExecuteBlock;
}

// The parser reports routine DDL as plain statements on a procedure, trigger or package; the list
// files them as routines, as the comparer does, so that they render inside SET TERM blocks.
TStatType LoadedKind(TStatType StatType, TDbObject ObjKind, TDbOperation Operation) {
    if (StatType != stStatement || (Operation != odbCreate && Operation != odbAlter)) return StatType;
    switch (ObjKind) {
    case dboProcedure:
        return stProcedure;
    case dboTrigger:
        return stTrigger;
    case dboPackage:
    case dboPackageBody:
        return stPackage;
    default:
        return StatType;
    }
}

// The 1-based line at which Text, which ends before End in Source, starts; 0 when it is not there.
int LineOf(const std::string& Source, const std::string& Text, std::size_t End) {
    if (Text.empty() || End > Source.size()) return 0;
    const std::size_t at = Source.rfind(Text, End);
    if (at == std::string::npos) return 0;
    int line = 1;
    for (std::size_t i = 0; i < at; ++i)
        if (Source[i] == '\n' || (Source[i] == '\r' && (i + 1 >= Source.size() || Source[i + 1] != '\n')))
            ++line;
    return line;
}

/// The system-table update that stores a description, by object kind.
struct TDescriptionUpdate {
    std::string_view Table;
    std::string_view Where1, Where2;
};

bool DescriptionUpdateFor(const TStatement& St, TDescriptionUpdate& U) {
    switch (St.ObjKind) {
    case dboTable:
    case dboView:
        U = {"update rdb$relations", "where Rdb$relation_name = :TBLNAME", ""};
        return true;
    case dboField:
        U = {"update rdb$relation_fields", "where Rdb$relation_name = :TBLNAME",
             "and Rdb$field_name = :FLDNAME"};
        return true;
    case dboProcedure:
        U = {"update rdb$procedures", "where Rdb$procedure_name = :OBJNAME", ""};
        return true;
    case dboParam:
        if (St.ParentKind == dboFunction)
            U = {"update rdb$function_arguments", "where Rdb$function_name = :OBJNAME",
                 "and Rdb$argument_name = :FLDNAME"};
        else
            U = {"update rdb$procedure_parameters", "where Rdb$procedure_name = :OBJNAME",
                 "and Rdb$parameter_name = :FLDNAME"};
        return true;
    case dboTrigger:
        U = {"update rdb$triggers", "where Rdb$trigger_name = :OBJNAME", ""};
        return true;
    case dboIndex:
        U = {"update rdb$indices", "where Rdb$index_name = :OBJNAME", ""};
        return true;
    case dboException:
        U = {"update rdb$exceptions", "where Rdb$exception_name = :OBJNAME", ""};
        return true;
    case dboDomain:
        U = {"update rdb$fields", "where Rdb$field_name = :OBJNAME", ""};
        return true;
    case dboFunction:
        U = {"update rdb$functions", "where Rdb$function_name = :OBJNAME", ""};
        return true;
    case dboGenerator:
        U = {"update Rdb$Generators", "where Rdb$Generator_name = :OBJNAME", ""};
        return true;
    case dboRole:
        U = {"update rdb$Roles", "where Rdb$Role_name = :OBJNAME", ""};
        return true;
    case dboDatabase:
        U = {"update rdb$database", "", ""};
        return true;
    default:
        return false;
    }
}

} // namespace

std::vector<std::string> ReadConnectValues(std::string_view Text) {
    std::vector<std::string> values;
    const std::string upper = UpperCase(Text);
    const std::size_t word = upper.find("CONNECT");
    if (word == std::string::npos) return values;
    std::size_t i = word + 7;
    while (i < Text.size() && IsBlank(Text[i]))
        ++i;
    // The parser accepts "CONNECT DATABASE 'db'" too.
    if (upper.compare(i, 8, "DATABASE") == 0 && i + 8 < Text.size() && IsBlank(Text[i + 8])) {
        i += 8;
        while (i < Text.size() && IsBlank(Text[i]))
            ++i;
    }
    if (i >= Text.size() || Text[i] != '\'') return values;
    while (values.size() < 4 && i < Text.size()) {
        // Text[i] opens a literal; a doubled quote inside it is one quote.
        std::string value;
        bool closed = false;
        std::size_t j = i + 1;
        while (j < Text.size()) {
            if (Text[j] == '\'') {
                if (j + 1 < Text.size() && Text[j + 1] == '\'') {
                    value += '\'';
                    j += 2;
                    continue;
                }
                closed = true;
                ++j;
                break;
            }
            value += Text[j++];
        }
        if (!closed) break;
        values.push_back(std::move(value));
        i = Text.find('\'', j);
        if (i == std::string_view::npos) break;
    }
    return values;
}

std::string SetNamesCharSet(const TStatement& Statement) {
    if (!Trim(Statement.ObjName).empty()) return UpperCase(Trim(Statement.ObjName));
    const std::string text = Statement.Lines.Text();
    const std::string upper = UpperCase(text);
    for (std::size_t p = upper.find("NAMES"); p != std::string::npos; p = upper.find("NAMES", p + 5)) {
        const bool wordStart = p == 0 || IsBlank(upper[p - 1]);
        const bool wordEnd = p + 5 < upper.size() && IsBlank(upper[p + 5]);
        if (!wordStart || !wordEnd) continue;
        std::size_t b = p + 5;
        while (b < upper.size() && IsBlank(upper[b]))
            ++b;
        std::size_t e = b;
        while (e < upper.size() && !IsBlank(upper[e]) && upper[e] != ';')
            ++e;
        if (e > b) return upper.substr(b, e - b);
    }
    return {};
}

TIBSQLExec::TIBSQLExec(TComponent* AOwner) : TSQLExec(AOwner) {
    SetDatabaseType(TDatabaseType::dbInterBase);
}

// ---- Connecting ---------------------------------------------------------------------------------------

void TIBSQLExec::ParseConnectSQL(std::string_view Text) {
    TConnectionOptions& o = GetConnectionOptions();
    o.SetDatabaseName("");
    o.SetUserName("");
    o.SetPassword("");
    o.SetRoleName("");
    const std::vector<std::string> v = ReadConnectValues(Text);
    if (v.size() > 0) o.SetDatabaseName(v[0]);
    if (v.size() > 1) o.SetUserName(v[1]);
    if (v.size() > 2) o.SetPassword(v[2]);
    if (v.size() > 3) o.SetRoleName(v[3]);
}

void TIBSQLExec::Warn(const std::string& Text, int Line) {
    GetMsgManager().AddScriptMessage(Text, GetScriptFileName(), 1, Line, 0);
    DoLogNextLine(Text);
}

// The connection component decides what is attached (its client database component supplies the
// file and the credentials), so the log names the database it reports, not the one asked for.
bool TIBSQLExec::ConnectTarget() {
    TSMXCustomConnection* c = GetSMXConnection();
    if (!c) return false;
    if (c->GetConnected()) c->SetConnected(false);
    CopyOptionsToConnection();
    c->SetConnected(true);
    const std::string named = GetConnectionOptions().GetDatabaseName();
    const std::string attached = c->GetConnectionOptions().GetDatabaseName();
    if (!c->GetConnected()) {
        DoErrorMessage("Cannot connect to " + Quoted(attached.empty() ? named : attached) + ".");
        return false;
    }
    DoLogNextLine("Connect: " + Quoted(attached));
    if (!named.empty() && named != attached)
        Warn("The statement named " + Quoted(named) + "; the connection attached " + Quoted(attached) + ".");
    return true;
}

void TIBSQLExec::Connect() {
    if (!GetSMXConnection()) return;
    try {
        ConnectTarget();
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
    }
}

void TIBSQLExec::Disconnect() {
    TSMXCustomConnection* c = GetSMXConnection();
    if (!c) return;
    try {
        if (c->GetConnected()) {
            DoLogNextLine("Disconnect: " + Quoted(c->GetConnectionOptions().GetDatabaseName()));
            c->SetConnected(false);
        }
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
    }
}

bool TIBSQLExec::ExecConnect() {
    TSMXCustomConnection* c = GetSMXConnection();
    if (!c) return false;
    TStatement* st = GetCurrentStatement();
    try {
        if (c->GetConnected()) c->SetConnected(false);
        ParseConnectSQL(st ? st->Lines.Text() : std::string());
        if (GetConnectionOptions().GetDatabaseName().empty()) {
            DoErrorMessage("Connect refused: the CONNECT statement names no quoted database.");
            return false;
        }
        if (!ConnectTarget()) return false;
        std::string line = "Dialect: " + IntToStr(GetIBServerOptions().GetSQLDialect()) + ".";
        if (!GetIBServerOptions().GetDBCharSet().empty())
            line += " DBCharSet: " + GetIBServerOptions().GetDBCharSet() + ".";
        DoLogNextLine(line);
        return true;
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
        return false;
    }
}

// ---- Running ------------------------------------------------------------------------------------------

bool TIBSQLExec::ExecStatement(TStatement* Statement) {
    if (!Statement) return false;
    if (Statement->StatType == stSetNames || Statement->StatType == stCharSet) {
        SetCurrentStatement(Statement);
        const std::string charSet = SetNamesCharSet(*Statement);
        if (!charSet.empty()) GetIBServerOptions().SetDBCharSet(charSet);
        return true;
    }
    return TSQLExec::ExecStatement(Statement);
}

bool TIBSQLExec::ExecuteStatement(TStatement* Statement) {
    if (!Statement) return false;
    if (RefuseWhileRunning("ExecuteStatement")) return false;
    TSMXCustomConnection* c = GetSMXConnection();
    if (!c) {
        DoErrorMessage(Prefix() + "Connection property not assigned.");
        return false;
    }
    if (!RunsAtOnce(Statement->StatType)) {
        FreeWorkingQuery();
        return true;
    }

    SetRunning(true);
    const bool wasConnected = c->GetConnected();
    ScopeExit cleanup([&] {
        SetCurrentStatement(nullptr);
        FreeWorkingQuery();
        if (!wasConnected) Disconnect();
        SetRunning(false);
    });
    if (!wasConnected) {
        Connect();
        if (!c->GetConnected()) return false;
    }
    SetCurrentStatement(Statement);
    TSMXQuery* q = CreateWorkingQuery();
    if (!q || !q->GetSQL()) {
        DoErrorMessage(Prefix() + "the connection offers no query.");
        return false;
    }

    bool ok = true;
    try {
        if (!c->InTransaction()) c->StartTransaction();
        q->Close();
        q->GetSQL()->Clear();
        q->SetParamCheck(false);
        SetStatementSQL(*q->GetSQL(), *Statement);
        if (GetShowFullLog()) {
            DoLogNextLine("< Exec SQL >:");
            DoLogNextLine(Trim(Statement->Lines.Text()));
        } else {
            DoLogNextLine("< Exec SQL >: " + Statement->GetCaption());
        }
        q->ExecSQL();
        q->SetParamCheck(true);
        q->Close();
        q->GetSQL()->Clear();
        Statement->Skip = 1;
    } catch (const std::exception& e) {
        ok = false;
        DoErrorMessage(e.what());
        try {
            q->Close();
            q->GetSQL()->Clear();
            q->SetParamCheck(true);
        } catch (const std::exception&) {
        }
    }
    // Every statement ends its transaction; a connected connection gets a new one at once. One
    // that this call connected is disconnected afterwards and gets none.
    try {
        if (c->InTransaction()) {
            if (ok)
                c->Commit();
            else
                c->Rollback();
        }
    } catch (const std::exception& e) {
        ok = false;
        DoErrorMessage(e.what());
        try {
            if (c->InTransaction()) c->Rollback();
        } catch (const std::exception&) {
        }
    }
    if (wasConnected && c->GetConnected()) {
        try {
            if (!c->InTransaction()) c->StartTransaction();
        } catch (const std::exception& e) {
            ok = false;
            DoErrorMessage(e.what());
        }
    }
    return ok;
}

bool TIBSQLExec::UpdateDescription() {
    TStatement* st = GetCurrentStatement();
    if (!st || !ReadyToSend()) return false;
    const bool comment = GetIBServerOptions().GetIBCompareOptions().GetUpdateDescriptionMode() ==
                         TUpdateDescriptionType::udComment;
    TDescriptionUpdate update;
    if (!comment && !DescriptionUpdateFor(*st, update)) {
        DoErrorMessage("No description statement for object kind " +
                       std::string(DbObjectNames[static_cast<std::size_t>(st->ObjKind)]) + ".");
        return false;
    }
    TSMXCustomConnection* c = GetSMXConnection();
    TSMXQuery& q = *GetQuery();
    // The rows of the run's data statements must not share this statement's transaction.
    CommitPendingData();
    ScopeExit restore([&] {
        if (TStringList* sql = q.GetSQL()) sql->Clear();
        q.SetParamCheck(true);
    });
    q.SetParamCheck(true);
    if (!c->InTransaction()) c->StartTransaction();
    if (TParams* params = q.GetParams()) params->Clear();
    TStringList& sql = *q.GetSQL();
    if (comment) {
        SetStatementSQL(sql, *st);
    } else {
        sql.Clear();
        sql.Add(update.Table);
        sql.Add("set rdb$description = :DESCRIPTION");
        if (!update.Where1.empty()) sql.Add(update.Where1);
        if (!update.Where2.empty()) sql.Add(update.Where2);
        TParams& params = *q.GetParams();
        params.ParamByName("DESCRIPTION").SetAsString(st->Description);
        const bool child = st->ObjKind == dboField || st->ObjKind == dboParam;
        if (TParam* p = params.FindParam("TBLNAME")) p->SetAsString(child ? st->ParentName : st->ObjName);
        if (TParam* p = params.FindParam("OBJNAME")) p->SetAsString(child ? st->ParentName : st->ObjName);
        if (TParam* p = params.FindParam("FLDNAME")) p->SetAsString(st->ObjName);
    }
    q.ExecSQL();
    const std::int64_t rows = comment ? -1 : q.GetRowsAffected();
    c->Commit();
    // An update that finds no row stores nothing; it is reported as COMMENT ON reports an object
    // that is not there, not passed as done.
    if (rows == 0) {
        const bool child = st->ObjKind == dboField || st->ObjKind == dboParam;
        DoErrorMessage("Description not stored: no row in " + std::string(update.Table.substr(7)) + " for " +
                       (child ? st->ParentName + "." : std::string()) + st->ObjName + ".");
        return false;
    }
    return true;
}

// ---- Loading ------------------------------------------------------------------------------------------

void TIBSQLExec::ClearStatements() {
    if (RefuseWhileRunning("ClearStatements")) return;
    LoadErrors_ = 0;
    TSQLExec::ClearStatements();
}

void TIBSQLExec::LoadScriptFromFile(const std::string& FileName) {
    if (RefuseWhileRunning("LoadScript")) return;
    TCustomSQLExec::ClearStatements();
    GetMsgManager().Clear();
    LoadErrors_ = 0;
    const bool missing = !OnLoadScript && !FileExists(FileName);
    TSQLExec::LoadScriptFromFile(FileName);
    if (missing) {
        GetMsgManager().AddScriptMessage("File not found: " + FileName, FileName, 2, 0, 0);
        LoadErrors_ = 1;
    }
}

void TIBSQLExec::LoadScriptFromStream(std::istream* Stream) {
    if (!Stream) return;
    // The lines go to LoadScript as ever; LoadScript parses the text they came from, so that a
    // lone LF or CR inside a string literal is not turned into CR LF.
    std::string text{std::istreambuf_iterator<char>(*Stream), std::istreambuf_iterator<char>()};
    TStringList lines;
    lines.SetText(text);
    StreamText_ = std::move(text);
    StreamLines_ = &lines;
    ScopeExit forget([this] {
        StreamLines_ = nullptr;
        std::string().swap(StreamText_);
    });
    LoadScript(lines);
}

TStatement* TIBSQLExec::AddParsedStatement(const TCustomParser& Parser, const std::string& Text,
                                           TStatType StatType, const std::string& ObjName, TDbObject ObjKind,
                                           TDbOperation Operation, const std::string& ParentName) {
    TStatement* st = AddStatement(Text, LoadedKind(StatType, ObjKind, Operation), ObjName, ObjKind, Operation,
                                  ParentName, "");
    if (StatType == stSelect) {
        const int line = LineOf(Parser.GetSource(), Text, Parser.GetTokenStart());
        std::string first = Text.substr(0, Text.find_first_of("\r\n"));
        Warn("Statement not executed (" + std::string(GetStatTypeName(StatType)) + ", line " +
                 IntToStr(line) + "): " + first,
             line);
    }
    return st;
}

void TIBSQLExec::LoadScript(const TStringList& Lines) {
    if (RefuseWhileRunning("LoadScript")) return;
    // The list only: the options stay, so that the script's settings are applied over them.
    TCustomSQLExec::ClearStatements();
    GetMsgManager().Clear();
    LoadErrors_ = 0;

    TObjs objs;
    objs.SetDatabaseType(TDatabaseType::dbInterBase);
    objs.GetIBServerOptions().Assign(GetIBServerOptions());
    TLoadParser parser;
    parser.SetScriptName(GetScriptFileName());
    parser.OnErrorMessage = OnErrorMessage;
    parser.OnLogNextLine = OnLogNextLine;
    parser.OnProgressUpdate = OnProgressUpdate;
    parser.OnStatement = [this, &parser](TObject*, const std::string& Text, TStatement*& Statement,
                                         const std::string& ParentName, TDbOperation Operation,
                                         TDbObject ObjKind, const std::string& ObjName, TStatType StatType) {
        Statement = AddParsedStatement(parser, Text, StatType, ObjName, ObjKind, Operation, ParentName);
    };

    // The stream's own text when these are its lines; a list of lines has only CR LF breaks.
    std::string text = &Lines == StreamLines_ ? StreamText_ : Lines.Text();
    // A UTF-8 byte-order mark is no part of the script.
    if (StartsStr("\xEF\xBB\xBF", text)) text.erase(0, 3);

    DoLogNextLine("Loading script...");
    parser.ParseText(std::move(text), GetScriptFileName(), &objs);
    SetConnectionOptions(objs.GetConnectionOptions());
    GetIBServerOptions().Assign(objs.GetIBServerOptions());
    const TMsgManager& messages = parser.GetMsgManager();
    GetMsgManager().AddMessages(&messages);
    for (int i = 0; i < messages.Count(); ++i)
        if (messages[i].Kind == 2) ++LoadErrors_;
    DoLogNextLine("Script loaded.");
}

} // namespace smx
