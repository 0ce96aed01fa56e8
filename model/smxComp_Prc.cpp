// smxComp_Prc: routine texts per dialect, the routine's dependency walkers and the routine compare
// steps. See the header.
#include "model/smxComp_Prc.h"

#include <vector>

#include "model/smxComp_Ctr.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "model/smxDBStructure.h"
#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"

namespace smx {

namespace {

using enum TDatabaseType;

constexpr std::uint8_t TypeCodeTable = 84; // data-type code of TABLE
constexpr std::uint8_t TypeCode79 = 79;    // a result that returns NULL as its empty body

TFldData* Param(const TStringList& List, int Index) {
    return dynamic_cast<TFldData*>(List.Objects(Index));
}

TPrcData* AsRoutine(TObject* Obj) {
    return dynamic_cast<TPrcData*>(Obj);
}

// The text after a leading "CREATE " (the whole text when it does not start so).
std::string AfterCreate(const std::string& Text) {
    return StartsStr("CREATE ", Text) ? Text.substr(7) : Text;
}

// Removes a trailing separator of the given length when the text ends with it.
void DropTail(std::string& Text, std::string_view Tail) {
    if (EndsStr(Tail, Text)) Text.erase(Text.size() - Tail.size());
}

// The routine's CREATE text with its empty body: what the target copy reads like once the routine's
// new parameter list has been declared ahead of its body.
std::string EmptyDeclarationText(TPrcData& P) {
    const std::string body = P.GetSource();
    ScopeExit restore([&] { P.SetSource(body); });
    P.SetSource(P.EmptyRoutineBody());
    return P.GetCreateSQL();
}

// Empties the target routines and triggers that use T, whose parameter list is about to change:
// their bodies were written for the old list. Their entries are used up.
void EmptyCallers(TCustomSQLExec& Exec, TPrcData& T) {
    for (int j = 0; j < T.GetUsedBy().Count(); ++j) {
        TDependObj* e = T.UsedByItem(j);
        TDbObj* d = e->GetReferenced();
        if (!e->Recreate || !d) continue;
        if (auto* dr = AsRoutine(d)) {
            if (dr->GetSource() == Trim(dr->EmptyRoutineBody())) continue;
            Exec.AddComment(dr->FormatComment(" Empty " + dr->GetDisplayName() + " for " +
                                              T.GetDisplayName() + "(param list change) "));
            dr->EmptyBody(true);
            dr->CompareText = dr->GetCreateSQL();
            e->Recreate = 0;
        } else if (auto* trg = dynamic_cast<TTrgData*>(d)) {
            trg->EmptyBody(true);
            trg->CompareText = trg->GetCreateSQL();
            e->Recreate = 0;
        }
    }
}

std::string ModeWord(std::uint8_t Mode, bool Variadic) {
    switch (Mode) {
    case 1:
        return "IN ";
    case 2:
        return "OUT ";
    case 3:
        return "INOUT ";
    case 4:
        return Variadic ? "VARIADIC " : "";
    default:
        return {};
    }
}

} // namespace

// ===================================================================================================
// TPrcData

TPrcData::TPrcData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboProcedure);
}

TFldData* TPrcData::AddParam(std::string_view Name, bool Output) {
    auto* f = new TFldData(GetOwner(), this);
    f->SetName(Name);
    f->TableName = GetName();
    TStringList& list = Output ? OutputParams : InputParams;
    f->Position = list.Count();
    list.AddObject(f->GetName(), f);
    return f;
}

bool TPrcData::ReturnsTable() const {
    if (ReturnsTableFlag) return true;
    if (OutputParams.Count() == 0) return false;
    TFldData* first = Param(OutputParams, 0);
    return first && first->DataType == TypeCodeTable;
}

void TPrcData::SetBodyEmptied(bool Value) {
    BodyEmptied = Value ? 1 : 0;
    if (auto* p = dynamic_cast<TPrcData*>(GetPartner())) p->BodyEmptied = BodyEmptied;
}

std::string TPrcData::GetFullName() const {
    const TDatabaseType t = GetDatabaseType();
    if (t == dbPostgreSQL) {
        std::string s = GetParentName().empty() ? std::string() : GetParentName() + ".";
        s += GetName() + "(";
        for (int i = 0; i < InputParams.Count(); ++i)
            if (TFldData* p = Param(InputParams, i)) s += (i ? ", " : "") + LowerCase(p->GetColumnTypeText());
        return s + ")";
    }
    std::string s = TDbObj::GetFullName();
    if (t == dbMSSQL && ProcNumber != 0) s += ";" + IntToStr(ProcNumber);
    return s;
}

std::string TPrcData::EmptyRoutineBody() const {
    const TDatabaseType t = GetDatabaseType();
    if (t == dbMSSQL || t == dbSybaseASE) {
        if (ReturnsTableFlag) return "Return (select 0 as Result)";
        if (OutputParams.Count() == 1) {
            TFldData* only = Param(OutputParams, 0);
            if (only && only->DataType == TypeCodeTable) return "begin Return end";
            if (only && only->DataType == TypeCode79) return "begin Return Null end";
        }
        return "begin Return 0 end";
    }
    if (t == dbSybaseASA) return " begin Return end";
    if (t == dbMySQL) return " BEGIN END";
    if (t == dbPostgreSQL) {
        // A routine without a body (C) has nothing to empty.
        if (GetSource().empty()) return {};
        // The server checks a body against its language and the result the routine declares.
        const bool plpgsql = SameText(Language, "plpgsql");
        if (plpgsql || SameText(Language, "sql")) {
            TFldData* result = OutputParams.Count() > 0 ? Param(OutputParams, 0) : nullptr;
            const std::string type = !PGReturns.empty() ? PGReturns
                                     : result           ? result->GetColumnTypeText()
                                                        : std::string();
            // OUT and INOUT parameters make the result a row of their types.
            std::string row;
            for (int i = 0; i < InputParams.Count(); ++i)
                if (TFldData* p = Param(InputParams, i);
                    p && (p->ParamDirection == 2 || p->ParamDirection == 3))
                    row += (row.empty() ? "NULL::" : ", NULL::") + p->GetColumnTypeText();
            const bool value = IsFunction() && row.empty() && !type.empty() && !SameText(type, "void") &&
                               !SameText(type, "event_trigger");
            const std::string none = SetOf ? " WHERE false" : "";
            if (plpgsql) return value && !SetOf ? " BEGIN RETURN NULL; END;" : " BEGIN RETURN; END;";
            if (!row.empty()) return " SELECT " + row + none;
            return value ? " SELECT NULL::" + type + none : " SELECT NULL";
        }
    }
    std::string body;
    if (IsFunction())
        body = " BEGIN RETURN NULL; END";
    else if (OutputParams.Count() > 0)
        body = " BEGIN SUSPEND; END";
    else
        body = " BEGIN EXIT; END";
    if (t == dbOracle) body += ";";
    return body;
}

std::string TPrcData::BodyText() const {
    // Sources are stored trimmed; an emptied routine is written with its empty body as the dialect
    // has it, so that its CREATE text equals its empty CREATE text.
    const std::string empty = EmptyRoutineBody();
    return GetSource() == Trim(empty) ? empty : GetSource();
}

std::string RoutineParamsText(const TPrcData& Routine, bool WithResult) {
    const TDatabaseType t = Routine.GetDatabaseType();
    const TStringList& in = Routine.InputParams;
    const TStringList& out = Routine.OutputParams;
    std::string s;
    switch (t) {
    case dbSybaseASA: {
        s = "(";
        for (int i = 0; i < in.Count(); ++i) {
            TFldData* p = Param(in, i);
            if (!p) continue;
            static constexpr std::string_view words[] = {"", "In ", "Out ", "InOut "};
            if (p->ParamDirection >= 1 && p->ParamDirection <= 3) s += words[p->ParamDirection];
            s += Routine.QuoteName(p->GetName()) + " " + p->GetColumnTypeText() + ",\r\n";
        }
        DropTail(s, ",\r\n");
        s += ")\r\n";
        if (out.Count() > 0) {
            if (Routine.IsFunction()) {
                if (TFldData* r = Param(out, 0)) s += "RETURNS " + r->GetColumnTypeText();
            } else {
                s += " Result(";
                for (int i = 0; i < out.Count(); ++i)
                    if (TFldData* p = Param(out, i))
                        s += Routine.QuoteName(p->GetName()) + " " + p->GetColumnTypeText() + ",\r\n";
                DropTail(s, ",\r\n");
                s += ")\r\n";
            }
        }
        return s;
    }
    case dbPostgreSQL:
    case dbMySQL: {
        const bool pg = t == dbPostgreSQL;
        for (int i = 0; i < in.Count(); ++i) {
            TFldData* p = Param(in, i);
            if (!p) continue;
            s += ModeWord(p->ParamDirection, pg);
            if (!p->GetName().empty()) s += Routine.QuoteName(p->GetName()) + " ";
            s += p->GetColumnTypeText() + ",\r\n";
        }
        DropTail(s, ",\r\n");
        s = "(" + s + ")";
        if (!WithResult) return s;
        TFldData* result = out.Count() > 0 ? Param(out, 0) : nullptr;
        if (pg) {
            const std::string type = !Routine.PGReturns.empty() ? Routine.PGReturns
                                     : result                   ? result->GetColumnTypeText()
                                                                : std::string();
            if (!type.empty()) s += "\r\nRETURNS " + std::string(Routine.SetOf ? "SETOF " : "") + type;
        } else if (result) {
            s += "\r\nRETURNS " + result->GetColumnTypeText();
        }
        return s;
    }
    case dbMSSQL:
    case dbSybaseASE: {
        const bool parens = Routine.IsFunction() || !Routine.Language.empty();
        s = " ";
        if (parens) s += "(";
        std::string list;
        for (int i = 0; i < in.Count(); ++i)
            if (TFldData* p = Param(in, i)) list += p->GetCreateSQL() + ",\r\n";
        DropTail(list, ",\r\n");
        s += list;
        if (parens) s += ")";
        s += "\r\n";
        if (Routine.ReturnsTableFlag)
            s += " RETURNS TABLE\r\n";
        else if (out.Count() == 1)
            if (TFldData* r = Param(out, 0)) s += " RETURNS " + r->GetCreateSQL() + "\r\n";
        return s;
    }
    default: {
        if (in.Count() > 0) {
            std::string list;
            for (int i = 0; i < in.Count(); ++i)
                if (TFldData* p = Param(in, i)) list += (list.empty() ? "" : ",\r\n") + p->GetCreateSQL();
            s += "(" + list + ")\r\n";
        }
        if (out.Count() > 0) {
            const bool fn = Routine.IsFunction();
            std::string list;
            for (int i = 0; i < out.Count(); ++i) {
                TFldData* p = Param(out, i);
                if (!p) continue;
                list += (list.empty() ? "" : ",\r\n") + p->GetCreateSQL();
                if (p->Deterministic) list += " DETERMINISTIC";
            }
            s += std::string(" RETURNS") + (fn ? " " : "(") + list + (fn ? "" : ")") + "\r\n";
        }
        return s;
    }
    }
}

std::string TPrcData::GetCreateSQL() const {
    const TDatabaseType t = GetDatabaseType();
    const std::string kind = IsFunction() ? "FUNCTION " : "PROCEDURE ";
    const std::string body = BodyText();
    switch (t) {
    case dbInterBase:
        return "CREATE " + kind + QuoteName(GetName()) + RoutineParamsText(*this, true) + " AS\r\n" + body;
    case dbSybaseASA:
        return "CREATE " + kind + GetQualifiedObjectName() + RoutineParamsText(*this, true) + body;
    case dbMySQL: {
        std::string s = "CREATE " + kind + GetQualifiedObjectName() + RoutineParamsText(*this, true) + "\r\n";
        if (!GetDescription().empty())
            s += "     COMMENT " + GetSQLStringLiteral(GetDescription(), dbMySQL) + "\r\n";
        static constexpr std::pair<int, std::string_view> lines[] = {
            {0, "     LANGUAGE SQL"},         {1, "     DETERMINISTIC"},
            {2, "     NOT DETERMINISTIC"},    {4, "     NO SQL"},
            {5, "     READS SQL DATA"},       {6, "     MODIFIES SQL DATA"},
            {7, "     SQL SECURITY DEFINER"}, {8, "     SQL SECURITY INVOKER"},
        };
        for (const auto& [bit, line] : lines)
            if (MySQLCharacteristics & (1U << bit)) s += std::string(line) + "\r\n";
        return s + body;
    }
    case dbMSSQL:
    case dbSybaseASE: {
        if (GetSource().empty() && Language.empty()) return Definition;
        std::string s = "CREATE " + kind + GetQualifiedObjectName();
        if (ProcNumber != 0) s += ";" + IntToStr(ProcNumber);
        s += RoutineParamsText(*this, true);
        if (!Language.empty()) {
            if (ModifiesSQLData) s += "  modifies sql data\r\n";
            if (Strict) s += "  returns null on null input\r\n";
            if (DynamicResultSets > 0) s += "  dynamic result sets " + IntToStr(DynamicResultSets) + "\r\n";
            if (Deterministic) s += "  deterministic\r\n";
            if (Exportable) s += "  exportable\r\n";
            return s + "  language " + Language + "\r\n" + "  parameter style " + ParameterStyle + "\r\n" +
                   "  external name " + QuotedStr(ExternalName);
        }
        if (!WithOptions.empty()) s += " WITH " + WithOptions + "\r\n";
        if (GetSource() == Trim(EmptyRoutineBody())) return s + " AS " + Trim(body);
        return s + " " + body;
    }
    case dbOracle:
        return "CREATE OR REPLACE " + kind + GetName() + "\r\n" + body;
    case dbPostgreSQL: {
        std::string s = "CREATE " + kind;
        if (!GetParentName().empty()) s += QuoteName(GetParentName()) + ".";
        s += QuoteName(GetName()) + RoutineParamsText(*this, true) + "\r\n";
        if (!GetSource().empty())
            s += "AS $$" + body + "$$";
        else
            s += "AS " + GetSQLStringLiteral(PGObjectFile, dbPostgreSQL) + ", " +
                 GetSQLStringLiteral(PGLinkSymbol, dbPostgreSQL);
        std::string tail;
        if (!Language.empty()) tail += "LANGUAGE " + QuoteName(Language);
        if (!Volatility.empty()) tail += " " + Volatility;
        if (Strict) tail += " STRICT";
        if (!tail.empty()) s += "\r\n" + tail;
        return s;
    }
    default:
        return {};
    }
}

std::string TPrcData::GetAlterSQL() const {
    switch (GetDatabaseType()) {
    case dbInterBase:
    case dbSybaseASA:
    case dbMySQL:
        return "ALTER " + AfterCreate(GetCreateSQL());
    case dbMSSQL:
    case dbSybaseASE: {
        const std::string& body = GetSource();
        if (UpperCase(body.substr(0, 6)) != "CREATE") return "ALTER " + AfterCreate(GetCreateSQL());
        return "ALTER" + body.substr(6);
    }
    case dbOracle:
        // The Oracle CREATE text already replaces the routine.
        return GetCreateSQL();
    case dbPostgreSQL:
        if (TCustomSQLExec* exec = GetSQLExec()) exec->SetCurrentSchema(GetParentName());
        return "CREATE OR REPLACE " + AfterCreate(GetCreateSQL());
    default:
        return {};
    }
}

std::string TPrcData::GetDropSQL() const {
    if (Ignore) return {};
    const TDatabaseType t = GetDatabaseType();
    std::string s = IsFunction() ? "DROP FUNCTION " : "DROP PROCEDURE ";
    if (t == dbMySQL) s += " IF EXISTS ";
    switch (t) {
    case dbSybaseASA:
        return s + QuoteName(Owner2) + "." + QuoteName(GetName());
    case dbPostgreSQL:
        if (!GetParentName().empty()) s += QuoteName(GetParentName()) + ".";
        return s + QuoteName(GetName()) + RoutineParamsText(*this, false);
    case dbOracle:
    case dbMSSQL:
        if (!GetParentName().empty()) s += QuoteName(GetParentName()) + ".";
        return s + QuoteName(GetName());
    default:
        return s + QuoteName(GetName());
    }
}

std::string TPrcData::GetEmptyCreateSQL() const {
    if (Ignore) return {};
    const TDatabaseType t = GetDatabaseType();
    const std::string params = RoutineParamsText(*this, true);
    const std::string empty = EmptyRoutineBody();
    if (IsFunction()) {
        if (t == dbMSSQL || t == dbSybaseASE)
            return "CREATE FUNCTION " + GetQualifiedObjectName() + params + "as\r\n" + empty;
        // A function whose result is known already states its RETURNS clause in the parameter
        // text; only one without a result takes the placeholder type.
        if (t == dbSybaseASA)
            return "CREATE FUNCTION " + QuoteName(Owner2) + "." + QuoteName(GetName()) + params +
                   (OutputParams.Count() > 0 ? " as\r\n" : "returns integer as\r\n") + empty;
        // A MySQL function needs a RETURN: the empty one returns NULL.
        if (t == dbMySQL) return "CREATE FUNCTION " + GetQualifiedObjectName() + params + "\r\nRETURN NULL";
        return "CREATE FUNCTION " + QuoteName(GetName()) + params + " AS\r\n" + empty;
    }
    const std::string head = t == dbOracle ? "CREATE OR REPLACE PROCEDURE " : "CREATE PROCEDURE ";
    if (t == dbSybaseASA)
        return head + QuoteName(Owner2) + "." + QuoteName(GetName()) + params + "as\r\n" + empty;
    if (t == dbMySQL) return head + GetQualifiedObjectName() + params + "\r\n" + empty;
    return head + GetQualifiedObjectName() + params + " AS\r\n" + empty;
}

std::string TPrcData::GetEmptyAlterSQL() const {
    return std::string(IsFunction() ? "ALTER FUNCTION " : "ALTER PROCEDURE ") + GetQualifiedObjectName() +
           RoutineParamsText(*this, true) + " AS\r\n" + EmptyRoutineBody();
}

void TPrcData::AddCreatedDescriptions(TCustomSQLExec& Exec) {
    TDbObj::AddCreatedDescriptions(Exec);
    if (!GetDescription().empty()) Exec.AddDescription(this);
    for (const TStringList* params : {&InputParams, &OutputParams})
        for (int i = 0; i < params->Count(); ++i)
            if (auto* p = dynamic_cast<TDbObj*>(params->Objects(i)))
                if (!p->GetDescription().empty()) Exec.AddDescription(p);
}

void TPrcData::EmptyBody(bool Emit) {
    if (!GetExists()) return;
    // MySQL has no statement that gives an existing routine another body: the routine is dropped,
    // and AlterProcedures creates the master's namesake again.
    const bool drop = Emit && GetDatabaseType() == dbMySQL;
    if (!drop && !SetEmptySource()) return;
    if (GetOwner())
        if (TCustomObjs* master = GetOwner()->GetMaster())
            if (TDbObj* m = master->FindObject(TObjsList::olProcedures, GetFullName()))
                m->SetBodyEmptied(true);
    if (drop) {
        DropWithDependents();
        CompareText.clear();
        return;
    }
    if (Emit) {
        if (TCustomSQLExec* exec = GetSQLExec())
            exec->AddStatement(GetAlterSQL(), TStatType::stProcedure, GetName(), TDbObject::dboProcedure,
                               TDbOperation::odbEmpty, "", "");
        CompareText = GetCreateSQL();
    }
}

void TPrcData::DeclareNewSignature() {
    TCustomObjs* owner = GetOwner();
    TPrcData* t = AsRoutine(GetPartner());
    TCustomSQLExec* exec = GetSQLExec();
    if (!owner || owner->GetRole() != 1 || !t || !exec || !GetExists() || !t->GetExists()) return;
    // Elsewhere a changed routine is re-created whole, or has no ALTER form.
    if (GetDatabaseType() != dbInterBase || IsFunction() != t->IsFunction()) return;
    if (RoutineParamsText(*this, true) == RoutineParamsText(*t, true) || CompareText == t->CompareText)
        return;
    const std::string declared = EmptyDeclarationText(*this);
    if (t->CompareText == declared || t->CompareText == GetCreateSQL()) return;
    EmptyCallers(*exec, *t);
    exec->AddComment(FormatComment("Alter empty procedure " + GetDisplayName() + " with new param-list"));
    exec->AddStatement(GetEmptyAlterSQL(), TStatType::stProcedure, GetName(), TDbObject::dboProcedure,
                       TDbOperation::odbEmpty, "", "");
    t->EmptyBody(false);
    t->CompareText = declared;
    SetBodyEmptied(true);
}

void TPrcData::MarkDependents() {
    // The inherited walk uses up the entries of columns it cannot drop itself (a computed column
    // reached without a table entry); they are taken note of first and dropped after it.
    std::vector<TDependObj*> computed;
    for (int i = 0; i < GetUsedBy().Count(); ++i) {
        TDependObj* e = UsedByItem(i);
        TDbObj* d = e->GetReferenced();
        if (!e->Recreate || !d || e->GetSecond()) continue;
        if (auto* f = dynamic_cast<TFldData*>(d); f && f->IsComputed())
            computed.push_back(e);
        else if (d->GetKind() == TDbObject::dboTable && !e->FieldName.empty())
            computed.push_back(e);
    }
    TDbObj::MarkDependents();
    for (TDependObj* e : computed) {
        TDbObj* d = e->GetReferenced();
        TFldData* column = dynamic_cast<TFldData*>(d);
        if (!column && d) {
            auto* objs = dynamic_cast<TObjs*>(GetOwner());
            column = objs ? objs->FindTableField(d->GetName(), e->FieldName) : nullptr;
        }
        if (column && column->IsComputed()) column->DropWithDependents();
        e->Recreate = 0;
    }
}

void TPrcData::ProcessDependents() {
    TDbObj::ProcessDependents();
    TCustomSQLExec* exec = GetSQLExec();
    auto comment = [&](const std::string& Text) {
        if (exec) exec->AddComment(FormatComment(Text));
    };
    for (int i = 0; i < GetDependsOn().Count(); ++i) {
        TDbObj* v = DependsOnItem(i)->GetReferenced();
        if (!v || v->GetKind() != TDbObject::dboView) continue;
        const std::string tail = v->GetName() + " for procedure: " + GetName();
        if (!v->GetExists()) {
            comment("Create view: " + tail);
            v->CreateDependDef();
        }
        TCustomObjs* owner = GetOwner();
        TCustomObjs* master = owner ? owner->GetMaster() : nullptr;
        TCustomObjs* target = owner ? owner->GetTarget() : nullptr;
        TDbObj* mv = master ? master->FindObject(TObjsList::olViews, v->GetFullName()) : nullptr;
        TDbObj* tv = target ? target->FindObject(TObjsList::olViews, v->GetFullName()) : nullptr;
        if (!mv || !tv || mv == tv || !mv->GetExists() || !tv->GetExists() ||
            mv->CompareText == tv->CompareText)
            continue;
        RecreateChangedView(*this, mv, tv, tail);
    }
}

// ===================================================================================================
// TMemberPrcData

std::string TMemberPrcData::GetCreateSQL() const {
    std::string s = "   " + Directive.GetSQLText() + "MEMBER " + (IsFunction() ? "FUNCTION " : "PROCEDURE ") +
                    GetName() + ParamText;
    if (IsFunction() && OutputParams.Count() > 0)
        if (TFldData* r = Param(OutputParams, 0)) s += " RETURN " + r->GetCreateSQL();
    return s;
}

// ===================================================================================================
// Compare steps

namespace {

struct Steps {
    TCustomSchemalyst* cmp = nullptr;
    TCustomObjs* master = nullptr;
    TCustomObjs* target = nullptr;
    TCustomSQLExec* exec = nullptr;
    TDatabaseType type = dbAbstract;
    bool descriptions = false;

    explicit Steps(TCustomSchemalyst* Comparer) : cmp(Comparer) {
        if (!Comparer) return;
        master = Comparer->GetMasterObjs();
        target = Comparer->GetTargetObjs();
        exec = Comparer->GetSQLExec();
        if (target) type = target->GetDatabaseType();
        descriptions = Comparer->GetCompareObjects().contains(TCmpObjType::coDescription);
    }
    bool ok() const { return master && target && exec; }

    void Comment(const TDbObj& Obj, const std::string& Text) const {
        exec->AddComment(Obj.FormatComment(Text));
    }
    void Add(const std::string& Text, const TPrcData& P, TDbOperation Op) const {
        exec->AddStatement(Text, TStatType::stProcedure, P.GetName(), TDbObject::dboProcedure, Op, "", "");
    }
    /// Descriptions of every parameter that has one.
    void ParamDescriptions(const TPrcData& P) const {
        if (!descriptions) return;
        for (const TStringList* list : {&P.InputParams, &P.OutputParams})
            for (int i = 0; i < list->Count(); ++i)
                if (TFldData* p = Param(*list, i); p && !p->GetDescription().empty()) exec->AddDescription(p);
    }
    TPrcData* MasterRoutine(const std::string& Key) const {
        return AsRoutine(master->FindObject(TObjsList::olProcedures, Key));
    }
    TPrcData* TargetRoutine(const std::string& Key) const {
        return AsRoutine(target->FindObject(TObjsList::olProcedures, Key));
    }
};

// Writes a header comment (through the first object's FormatComment) before the first statement.
class Header {
public:
    Header(const Steps& S, std::string Text, bool Closing)
        : s_(S), text_(std::move(Text)), closing_(Closing) {}
    ~Header() {
        if (written_ && closing_) s_.exec->AddComment("\r\n");
    }
    void Write(const TDbObj& Obj) {
        if (written_) return;
        s_.Comment(Obj, text_);
        written_ = true;
    }
    bool Written() const { return written_; }

private:
    const Steps& s_;
    std::string text_;
    bool closing_;
    bool written_ = false;
};

bool ParamsDiffer(const TPrcData& A, const TPrcData& B) {
    return RoutineParamsText(A, true) != RoutineParamsText(B, true);
}

// Pass 1: routines whose kind (or, where routines cannot be altered, text) changed are dropped and
// created again; callers of routines whose parameter list changed are emptied.
void ReplaceChangedKinds(const Steps& s) {
    TStringList& list = s.master->Procedures();
    for (int i = 0; i < list.Count(); ++i) {
        TPrcData* p = AsRoutine(list.Objects(i));
        TPrcData* t = p ? AsRoutine(p->GetPartner()) : nullptr;
        if (!t) continue;
        bool replace = false;
        // Against the text the script last gave the target's routine (empty once it was dropped),
        // so that a routine replaced in the first run is not replaced again in the second.
        if (s.type == dbMySQL || s.type == dbSybaseASE)
            replace = p->GetCreateSQL() != t->CompareText;
        else
            replace = p->IsFunction() != t->IsFunction();
        if (replace) {
            t->DropWithDependents();
            p->CreateDependDef();
            t->CompareText = p->GetCreateSQL();
            continue;
        }
        if (!ParamsDiffer(*p, *t) || p->CompareText == t->CompareText) continue;
        EmptyCallers(*s.exec, *t);
    }
}

// Pass 2: a routine whose parameter list changed and that other routines call is declared anew
// with its empty body first.
void RedeclareEmpty(const Steps& s) {
    TStringList& list = s.target->Procedures();
    for (int i = 0; i < list.Count(); ++i) {
        TPrcData* t = AsRoutine(list.Objects(i));
        TPrcData* p = t ? AsRoutine(t->GetPartner()) : nullptr;
        if (!p || !ParamsDiffer(*p, *t) || p->CompareText == t->CompareText) continue;
        // Declared already, ahead of an object created over the routine.
        if (t->CompareText == EmptyDeclarationText(*p)) continue;
        bool calledByRoutine = false;
        for (int j = 0; j < p->GetUsedBy().Count() && !calledByRoutine; ++j)
            calledByRoutine = AsRoutine(p->UsedByItem(j)->GetReferenced()) != nullptr;
        if (!calledByRoutine) continue;
        s.Comment(*p, "Alter empty procedure " + p->GetDisplayName() + " with new param-list");
        s.Add(p->GetEmptyAlterSQL(), *p, TDbOperation::odbEmpty);
        t->EmptyBody(false);
        t->CompareText = EmptyDeclarationText(*p);
        s.ParamDescriptions(*p);
    }
}

// Pass 3, steps 1 and 2: a changed routine's target copy is emptied when a routine it calls changes
// its parameters, and the target routines that call it are emptied.
void EmptyAroundChange(const Steps& s, TPrcData* p, TPrcData* t) {
    if (!t || !t->GetExists()) return;
    for (int j = 0; j < t->GetDependsOn().Count(); ++j) {
        TDbObj* r = t->DependsOnItem(j)->GetReferenced();
        if (!AsRoutine(r)) continue;
        TPrcData* mr = s.MasterRoutine(r->GetFullName());
        TPrcData* tr = s.TargetRoutine(r->GetFullName());
        if (!mr || !tr || !mr->GetExists() || !tr->GetExists() || !ParamsDiffer(*mr, *tr)) continue;
        if (t->GetSource() == Trim(t->EmptyRoutineBody())) continue;
        s.Comment(*mr, "Params list changed into " + mr->QuoteName(mr->GetName()) + "... ");
        s.Comment(*t, "Empty: " + t->GetDisplayName());
        t->EmptyBody(true);
        t->CompareText = t->GetCreateSQL();
    }
    for (int j = 0; j < t->GetUsedBy().Count(); ++j) {
        TDependObj* e = t->UsedByItem(j);
        TDbObj* d = e->GetReferenced();
        if (!d) continue;
        if (AsRoutine(d)) {
            TPrcData* tr = s.TargetRoutine(d->GetFullName());
            TPrcData* mr = tr ? s.MasterRoutine(tr->GetFullName()) : nullptr;
            if (!tr || !mr || !tr->GetExists() || !mr->GetExists()) continue;
            if (tr->GetSource() == Trim(tr->EmptyRoutineBody())) continue;
            const std::string clear = "Clear: " + tr->GetDisplayName() + " for: " + p->GetDisplayName();
            s.Comment(*tr, "empty dependent procedure body");
            s.Comment(*tr, clear);
            TraceHook(clear);
            tr->EmptyBody(true);
            tr->CompareText = tr->GetCreateSQL();
        } else if (s.type == dbMSSQL && dynamic_cast<TCtrData*>(d)) {
            d->DropWithDependents();
        }
    }
}

// Pass 3, step 3: what the changed routine needs and the target lacks.
void CreateNeeds(const Steps& s, TPrcData* p) {
    for (int j = 0; j < p->GetDependsOn().Count(); ++j) {
        TDependObj* e = p->DependsOnItem(j);
        TDbObj* n = e->GetReferenced();
        if (!e->Recreate || !n) continue;
        const TDbObject k = n->GetKind();
        if ((k == TDbObject::dboView || k == TDbObject::dboTable) && !n->GetExists()) {
            n->CreateDependDef();
        } else if (TPrcData* mr = AsRoutine(n)) {
            TPrcData* tr = s.TargetRoutine(mr->GetFullName());
            if (tr && tr->GetExists() && ParamsDiffer(*mr, *tr) && mr->CompareText != tr->CompareText) {
                s.Add(mr->GetAlterSQL(), *mr, TDbOperation::odbAlter);
                tr->CompareText = mr->CompareText;
            }
        }
    }
}

// Descriptions of a paired routine and its parameters that differ from the target's.
void ChangedDescriptions(const Steps& s, TPrcData* p, TPrcData* t) {
    if (!s.descriptions) return;
    if (p->GetDescription() != t->GetDescription()) {
        if (s.type == dbSybaseASA)
            s.exec->AddStatement("COMMENT ON PROCEDURE " + p->GetName() + " IS " +
                                     QuotedStr(p->GetDescription()),
                                 TStatType::stStatement, p->GetName(), TDbObject::dboProcedure,
                                 TDbOperation::odbDescription, "", "");
        else if (s.type == dbInterBase)
            s.exec->AddDescription(p);
    }
    if (s.type != dbInterBase) return;
    for (auto [mine, theirs] :
         {std::pair{&p->InputParams, &t->InputParams}, {&p->OutputParams, &t->OutputParams}})
        for (int i = 0; i < mine->Count(); ++i) {
            TFldData* mp = Param(*mine, i);
            const int k = mp ? theirs->IndexOf(mp->GetName()) : -1;
            TFldData* tp = k >= 0 ? Param(*theirs, k) : nullptr;
            if (tp && mp->GetDescription() != tp->GetDescription()) s.exec->AddDescription(mp);
        }
}

// Pass 3: changed routines are altered, with what they need created first and their callers emptied.
void AlterChanged(const Steps& s) {
    Header header(s, "Alter Procedure...", false);
    TStringList& list = s.master->Procedures();
    for (int i = 0; i < list.Count(); ++i) {
        TPrcData* p = AsRoutine(list.Objects(i));
        if (!p) continue;
        TPrcData* t = AsRoutine(p->GetPartner());
        if (!t || p->GetCreateSQL() != t->CompareText) {
            header.Write(*p);
            EmptyAroundChange(s, p, t);
            CreateNeeds(s, p);
            if (t && t->GetExists() && p->GetCreateSQL() != t->CompareText) {
                p->ProcessDependents();
                s.Comment(*p, "Alter (" + p->GetDisplayName() + ")");
                if (s.type == dbSybaseASE) {
                    t->DropWithDependents();
                    p->CreateDependDef();
                } else {
                    s.Add(p->GetAlterSQL(), *p, TDbOperation::odbAlter);
                }
                t->CompareText = p->GetCreateSQL();
                p->SetBodyEmptied(false);
                p->SetExists(true);
            }
            s.ParamDescriptions(*p);
        }
        if (t) ChangedDescriptions(s, p, t);
    }
}

// Pass 4: bodies left empty are restored.
void RestoreBodies(const Steps& s) {
    TStringList& list = s.master->Procedures();
    for (int i = 0; i < list.Count(); ++i) {
        TPrcData* p = AsRoutine(list.Objects(i));
        if (!p || !p->BodyEmptied) continue;
        TPrcData* t = AsRoutine(p->GetPartner());
        if (t && p->GetCreateSQL() == t->CompareText) continue;
        s.Comment(*p, "Restore proc. body: " + p->GetDisplayName());
        if (s.type == dbMySQL) {
            // A routine the script dropped is only created.
            if (p->GetExists()) s.Add(p->GetDropSQL(), *p, TDbOperation::odbDrop);
            s.Add(p->GetCreateScript(), *p, TDbOperation::odbRestore);
            p->SetExists(true);
        } else {
            s.Add(p->GetAlterSQL(), *p, TDbOperation::odbRestore);
        }
        // The target's copy now has the master's text: a later run finds nothing to do.
        if (t) t->CompareText = p->GetCreateSQL();
        p->SetBodyEmptied(false);
        s.ParamDescriptions(*p);
    }
}

} // namespace

void CreateProcedures(TCustomSchemalyst* Comparer) {
    const Steps s(Comparer);
    if (!s.ok()) return;
    Header header(s, "Create Procedure...", true);
    TStringList& list = s.master->Procedures();
    for (int i = 0; i < list.Count(); ++i) {
        TPrcData* p = AsRoutine(list.Objects(i));
        if (!p || p->GetPartner() || p->GetExists()) continue;
        // These targets cannot restore a body later: the routine is created whole.
        if (s.type == dbPostgreSQL || s.type == dbSybaseASE) {
            s.exec->AddStatement(p->GetCreateScript(), TStatType::stProcedure, p->GetQualifiedObjectName(),
                                 TDbObject::dboProcedure, TDbOperation::odbCreate, "", "");
            p->SetExists(true);
            continue;
        }
        if (s.type == dbMSSQL && p->ReturnsTable()) {
            s.Comment(*p, "Create Procedure (returns table)...");
            p->CreateDependDef();
            continue;
        }
        header.Write(*p);
        s.exec->AddStatement(p->GetEmptyCreateSQL(), TStatType::stProcedure, p->GetQualifiedObjectName(),
                             TDbObject::dboProcedure, TDbOperation::odbEmptyCreate, "", "");
        p->SetBodyEmptied(true);
        p->SetExists(true);
        if (s.descriptions) {
            if (!p->GetDescription().empty()) s.exec->AddDescription(p);
            s.ParamDescriptions(*p);
        }
    }
}

void AlterProcedures(TCustomSchemalyst* Comparer) {
    const Steps s(Comparer);
    if (!s.ok()) return;
    ReplaceChangedKinds(s);
    RedeclareEmpty(s);
    AlterChanged(s);
    RestoreBodies(s);
}

void DropProcedures(TCustomSchemalyst* Comparer) {
    const Steps s(Comparer);
    if (!s.ok()) return;
    TStringList& list = s.target->Procedures();
    if (s.type != dbSybaseASE) {
        Header header(s, "Alter Procedure (Before Drop)...", true);
        for (int i = 0; i < list.Count(); ++i) {
            TPrcData* t = AsRoutine(list.Objects(i));
            if (!t || t->GetPartner()) continue;
            bool needs = false;
            for (int j = 0; j < t->GetDependsOn().Count() && !needs; ++j)
                needs = t->DependsOnItem(j)->Recreate != 0;
            if (!needs) continue;
            if (Trim(t->CompareText) != Trim(t->GetEmptyCreateSQL())) {
                header.Write(*t);
                t->EmptyBody(true);
            }
            for (int j = 0; j < t->GetDependsOn().Count(); ++j)
                t->DependsOnItem(j)->Recreate = 0;
        }
    }
    Header header(s, "Drop Procedure...", true);
    for (int i = 0; i < list.Count(); ++i) {
        TPrcData* t = AsRoutine(list.Objects(i));
        if (!t || t->Ignore || t->GetPartner()) continue;
        header.Write(*t);
        t->DropWithDependents();
    }
}

} // namespace smx
