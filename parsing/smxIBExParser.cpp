// The body and expression grammar of InterBase/Firebird. Keyword tests go through Is(), which also
// accepts a keyword's identifier form: Firebird 3 and 4 read DO, USING, STARTING, GEN_ID and others
// as identifiers, and a grammar that tested only the keyword token would refuse every
// "WHILE (...) DO". Every loop advances at least one token per pass, and nesting is bounded, so no
// input makes the parser hang or run out of stack.
#include "parsing/smxIBExParser.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <typeinfo>
#include <utility>
#include <vector>

#include "model/smxComp_Ctr.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Pkg.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "model/smxDBStructure.h"
#include "platform/smxStrUtils.h"

namespace smx {

using enum TDbObject;
using enum TIBSQLServerVersionType;

namespace {

// Keyword codes of the InterBase table (model/smxKeywords) used only by the body grammar.
constexpr int kwALL = 35, kwAND = 37, kwANY = 38, kwAS = 39, kwAVG = 43, kwBEGIN = 46, kwBETWEEN = 47,
              kwBY = 49, kwCAST = 52, kwCHECK = 54, kwCOLLATE = 56, kwCONTAINING = 62, kwCOUNT = 63,
              kwCURRENT = 66, kwCURRENT_DATE = 67, kwCURRENT_TIME = 68, kwCURRENT_TIMESTAMP = 69,
              kwCURSOR = 70, kwDATE = 72, kwDISTINCT = 80, kwDO = 81, kwELSE = 85, kwEND = 86, kwESCAPE = 88,
              kwEXISTS = 91, kwEXIT = 92, kwEXTRACT = 94, kwFOR = 98, kwFULL = 102, kwGDSCODE = 104,
              kwGEN_ID = 105, kwGROUP = 108, kwHAVING = 109, kwIF = 111, kwIN = 112, kwINNER = 115,
              kwJOIN = 122, kwLEFT = 124, kwLIKE = 127, kwMAX = 132, kwMERGE = 134, kwMIN = 136,
              kwNATURAL = 142, kwNOT = 144, kwOF = 148, kwOPTION = 151, kwORDER = 153, kwOUTER = 154,
              kwPLAN = 162, kwPOSITION = 163, kwPOST_EVENT = 164, kwRDB_DB_KEY = 171,
              kwRETURNING_VALUES = 180, kwRIGHT = 183, kwSIMILAR = 192, kwSINGULAR = 193, kwSOME = 197,
              kwSORT = 198, kwSQLCODE = 199, kwSTARTING = 201, kwSTARTS = 202, kwSUM = 205, kwSUSPEND = 206,
              kwTHEN = 208, kwTIME = 209, kwTIMESTAMP = 210, kwUNION = 215, kwUPPER = 218, kwVALUE = 220,
              kwVALUES = 221, kwVARIABLE = 223, kwWHEN = 228, kwWHERE = 229, kwWHILE = 230, kwYEAR = 234,
              kwYEARDAY = 235, kwROWS = 242, kwFETCH = 245, kwUSING = 246, kwCLOSE = 247, kwCROSS = 248,
              kwOPEN = 249, kwCASE = 254;

const TDbObjectKinds& RelationKinds() {
    static const TDbObjectKinds K = MakeDbObjectKinds({dboTable, dboProcedure, dboView});
    return K;
}
// What a call f(...) reaches: an external function or a stored function.
const TDbObjectKinds& FunctionKinds() {
    static const TDbObjectKinds K = MakeDbObjectKinds({dboFunction, dboProcedure});
    return K;
}
const TDbObjectKinds& KindOnly(TDbObject Kind) {
    static const std::vector<TDbObjectKinds> All = [] {
        std::vector<TDbObjectKinds> V(DbObjectCount);
        for (std::size_t i = 0; i < V.size(); ++i)
            V[i].set(i);
        return V;
    }();
    return All[static_cast<std::size_t>(Kind)];
}

// Obj as a T (nullptr when it is none): the classes whose bodies and texts are read most are told
// by their exact type, which spares a failing cast its walk; any other class (one derived from
// them) by the cast. Each of those classes derives from TDbObj alone (a column from its attributes
// as well), so an object of one of them is a T only when T is its class.
template <class T> T* BodyObjectAs(TDbObj* Obj) {
    if (!Obj) return nullptr;
    const std::type_info& Type = typeid(*Obj);
    if (Type == typeid(T)) return static_cast<T*>(Obj);
    if (Type == typeid(TViwData) || Type == typeid(TPrcData) || Type == typeid(TTrgData) ||
        Type == typeid(TPkgData) || Type == typeid(TFldData) || Type == typeid(TTblData))
        return nullptr;
    return dynamic_cast<T*>(Obj);
}

// A FROM context is nearly always exactly the body's kind: the type test spares the cast's walk.
template <class T> T* ExactlyOr(TParseContext* P) {
    return P && typeid(*P) == typeid(T) ? static_cast<T*>(P) : dynamic_cast<T*>(P);
}

/// True when the relation has that column (for a procedure: that output parameter).
bool HasColumn(TDbObj* R, std::string_view Column) {
    if (auto* P = BodyObjectAs<TPrcData>(R)) return P->OutputParams.IndexOf(Column) >= 0;
    TStringList* F = R->GetFields();
    return F && F->IndexOf(Column) >= 0;
}

bool OneOfWords(const TIbParser& P, std::initializer_list<std::string_view> Words) {
    for (std::string_view W : Words)
        if (P.IsWord(W)) return true;
    return false;
}

} // namespace

/// A FROM context of the body parser: its tables and aliases, whether the clause is complete, and
/// the column references read before it was (a select list), which wait here until it is.
class TIbExParser::TBodyContext : public TParseContext {
public:
    explicit TBodyContext(TCustomParser& P) : TParseContext(P) { IsFrom = true; }
    struct TPending {
        TDbObj* Obj;
        std::string Alias, Column;
    };
    bool Known = false;
    std::vector<TPending> Pending;
};

/// A FROM context owned by one grammar call: pushed when made and popped, with any context a nested
/// call left above it, when the call ends (or at Close). A call never pops a context below its own,
/// so a context stays alive for as long as the call that made it.
class TIbExParser::TFromScope {
public:
    explicit TFromScope(TIbExParser& P) : P_(P), Level_(P.FromContexts_.size()), Ctx_(P.PushFrom()) {}
    ~TFromScope() { Close(); }
    TFromScope(const TFromScope&) = delete;
    TFromScope& operator=(const TFromScope&) = delete;
    TBodyContext& Ctx() { return Ctx_; }
    /// Pops the context now (a SELECT before its UNION part); Ctx() must not be used afterwards.
    void Close() {
        while (P_.FromContexts_.size() > Level_)
            P_.PopFrom();
    }

private:
    TIbExParser& P_;
    const std::size_t Level_;
    TBodyContext& Ctx_;
};

/// Counts one level of nesting; past the limit the body is refused once and skipped.
class TIbExParser::TNesting {
public:
    explicit TNesting(TIbExParser& P) : P_(P) {
        // Entered at every level of every body: the rare refusal stays out of line.
        if (++P_.Depth_ > MaxBodyNesting || P_.Aborted_) [[unlikely]]
            Refuse();
    }
    ~TNesting() { --P_.Depth_; }
    bool Ok() const { return !P_.Aborted_; }
    TNesting(const TNesting&) = delete;
    TNesting& operator=(const TNesting&) = delete;

private:
    [[gnu::cold, gnu::noinline]] void Refuse() {
        if (P_.Depth_ > MaxBodyNesting && !P_.Aborted_) {
            P_.Error("Nesting too deep (more than " + std::to_string(MaxBodyNesting) + " levels)");
            P_.Aborted_ = true;
        }
        if (P_.Aborted_) {
            // Everything up to the end of the body is skipped; every level unwinds on it.
            while (P_.Token_ != tkEOF && P_.Token_ != tkTerminator)
                P_.NextToken();
        }
    }

    TIbExParser& P_;
};

// =====================================================================================================
// Construction, errors, dependency recording

TIbExParser::TIbExParser(TCustomExtract* AOwner) : TIbParser(AOwner) {
    SetProgress(true);
}

TIbExParser::~TIbExParser() = default;

bool TIbExParser::Firebird3() const {
    const auto V = ServerVersion();
    return V == st_Firebird_30 || V == st_Firebird_40 || V == st_InterBase_2020;
}

bool TIbExParser::Firebird4() const {
    return ServerVersion() == st_Firebird_40;
}

bool TIbExParser::IsTrigger() const {
    return BodyObjectAs<TTrgData>(Current_) != nullptr;
}

void TIbExParser::Error(const std::string& Text) {
    if (Quiet_ > 0 || Aborted_) return;
    if (!Current_) {
        TIbParser::Error(Text);
        return;
    }
    std::string Prefix = Current_->GetName() + ": ";
    if (dynamic_cast<TPrcData*>(Current_))
        Prefix = "Procedure " + Prefix;
    else if (dynamic_cast<TTrgData*>(Current_))
        Prefix = "Trigger " + Prefix;
    else if (dynamic_cast<TViwData*>(Current_))
        Prefix = "View " + Prefix;
    else if (dynamic_cast<TIdxData*>(Current_))
        Prefix = "Index " + Prefix;
    else if (dynamic_cast<TCtrData*>(Current_))
        Prefix = "Check-constraint " + Prefix;
    else if (auto* F = dynamic_cast<TFldData*>(Current_); F && dynamic_cast<TTblData*>(F->Parent))
        Prefix = "Field " + F->TableName + "/" + Prefix;
    const auto [Line, Column] = GetTokenPosition();
    if (!SuppressFirstErrorEvent_ && !MsgManager_.HasErrors())
        DoErrorMessage(Prefix + Text + PositionText(Line, Column));
    if (ScriptName_.empty())
        MsgManager_.AddObjectMessage(Prefix + Text, Current_, 2, Line, Column);
    else
        MsgManager_.AddScriptMessage(Prefix + Text, ScriptName_, 2, Line, Column);
}

void TIbExParser::Depend(std::string_view Name, TDbObjectKinds Kinds) {
    if (!Recording_ || !Current_ || Name.empty()) return;
    // A sub-routine or a local name shadows the container's object of that name.
    if (LocalNames_.IndexOf(Name) >= 0) return;
    LinkDepend(Current_, Name, Kinds);
}

void TIbExParser::DependOnName(TDbObject Kind) {
    if (!Expect(tkIdent)) return;
    Depend(TokenView(), KindOnly(Kind));
    NextToken();
}

void TIbExParser::DependOnRoutine(TDbObject Kind) {
    if (!Expect(tkIdent)) return;
    const std::string Name = TokenText();
    NextToken();
    if (Token_ != tkDot) {
        Depend(Name, KindOnly(Kind));
        return;
    }
    // package.routine: the package is what the object needs.
    Depend(Name, KindOnly(dboPackage));
    NextToken();
    if (Expect(tkIdent)) NextToken();
}

void TIbExParser::ColumnRef(std::string_view Alias, std::string_view Column) {
    if (Current_) LinkFieldDepend(Current_, Alias, Column);
}

void TIbExParser::LinkFieldDepend(TDbObj* Obj, std::string_view Alias, std::string_view Column) {
    if (!Container_ || !Obj || !Recording_ || Column.empty()) return;
    if (!Alias.empty() && (SameText(Alias, "NEW") || SameText(Alias, "OLD"))) {
        if (auto* T = BodyObjectAs<TTrgData>(Current_ ? Current_ : Obj)) {
            if (TDbObj* R = Relation(T->TableName)) LinkColumn(Obj, R, Column == "*" ? "" : Column);
            return;
        }
    }
    bool AnyTables = false;
    for (auto It = FromContexts_.rbegin(); It != FromContexts_.rend(); ++It) {
        auto* Ctx = ExactlyOr<TBodyContext>(It->get());
        if (!Ctx) continue;
        if (!Ctx->Known) { // read before its FROM clause: resolved when the clause is complete
            Ctx->Pending.push_back({Obj, std::string(Alias), std::string(Column)});
            return;
        }
        const int N = Ctx->TableNames.Count();
        if (N == 0) continue;
        AnyTables = true;
        if (!Alias.empty()) {
            int i = Ctx->Aliases.IndexOf(Alias);
            if (i < 0) i = Ctx->TableNames.IndexOf(Alias);
            if (i < 0 || i >= N) continue;
            if (TDbObj* R = Relation(Ctx->TableNames[i])) LinkColumn(Obj, R, Column == "*" ? "" : Column);
            return;
        }
        if (Column == "*") {
            for (int i = 0; i < N; ++i)
                if (TDbObj* R = Relation(Ctx->TableNames[i])) LinkDependObj(Obj, R, "");
            return;
        }
        for (int i = 0; i < N; ++i) {
            TDbObj* R = Relation(Ctx->TableNames[i]);
            if (R && (typeid(*R) == typeid(TTblData) || typeid(*R) == typeid(TViwData))) {
                // A table's or view's column list is read once: the index found is the record's
                // column, as LinkDependObj would look it up again.
                TStringList& Fields = *R->GetFields();
                const int At = ColumnIndex(Fields, Column);
                if (At < 0) continue;
                const bool OnColumn = R->GetKind() == dboTable || R->GetKind() == dboView;
                LinkDependObjTo(Obj, R, OnColumn ? ColumnObjectAt(Fields, At) : R, Column);
                return;
            }
            if (R && HasColumn(R, Column)) {
                LinkColumn(Obj, R, Column);
                return;
            }
        }
    }
    // Outside any FROM clause a bare name that is no local name may be a generator; a qualified
    // name never is.
    if (Alias.empty() && !AnyTables && Column != "*" && LocalNames_.IndexOf(Column) < 0)
        LinkDepend(Obj, Column, KindOnly(dboGenerator));
}

TDbObj* TIbExParser::Relation(std::string_view Name) const {
    if (BuildingTable_ && BuildingTable_->GetName() == Name) return BuildingTable_;
    if (!Container_) return nullptr;
    if (TDbObj* T = Container_->FindTable(Name)) return T;
    if (TDbObj* V = Container_->FindView(Name)) return V;
    return Container_->FindProcedure(Name);
}

void TIbExParser::LinkColumn(TDbObj* Obj, TDbObj* Relation, std::string_view Column) {
    if (Column.empty() || !BodyObjectAs<TPrcData>(Relation)) {
        LinkDependObj(Obj, Relation, Column);
        return;
    }
    // A procedure's output column: the model keeps one record per needed object, so the record
    // with the column is made here, once, beside the procedure's own.
    for (int i = 0; i < Obj->GetDependsOn().Count(); ++i) {
        const TDependObj* R = Obj->DependsOnItem(i);
        if (R && R->GetReferenced() == Relation && R->FieldName == Column) return;
    }
    AddDependencyPair(Container_, Obj, Relation, GetColumnNo(), Line_, Column);
}

TIbExParser::TBodyContext& TIbExParser::PushFrom() {
    FromContexts_.push_back(std::make_unique<TBodyContext>(*this));
    return static_cast<TBodyContext&>(*FromContexts_.back());
}

void TIbExParser::PopFrom() {
    if (FromContexts_.empty()) return;
    if (auto* Ctx = ExactlyOr<TBodyContext>(FromContexts_.back().get()); Ctx && !Ctx->Known) FromKnown(*Ctx);
    FromContexts_.pop_back();
}

void TIbExParser::FromKnown(TBodyContext& Ctx) {
    Ctx.Known = true;
    std::vector<TBodyContext::TPending> Waiting;
    Waiting.swap(Ctx.Pending);
    for (const auto& P : Waiting)
        LinkFieldDepend(P.Obj, P.Alias, P.Column);
}

// =====================================================================================================
// Small helpers

bool TIbExParser::ExpectKw(int Code) {
    return Is(Code) || Expect(Code);
}

bool TIbExParser::ExpectKwAndNext(int Code) {
    const bool Ok = ExpectKw(Code);
    if (Ok) NextToken();
    return Ok;
}

std::size_t TIbExParser::NextNonBlank() const {
    std::size_t i = Pos_;
    while (i < Source_.size() &&
           (Source_[i] == ' ' || Source_[i] == '\t' || Source_[i] == '\r' || Source_[i] == '\n'))
        ++i;
    return i;
}

bool TIbExParser::NextIsLParen() const {
    return At(NextNonBlank()) == '(';
}

bool TIbExParser::AtStatementEnd() const {
    return Token_ == tkSemicolon || Token_ == tkTerminator || Token_ == tkEOF || Is(kwEND);
}

bool TIbExParser::AtAlias() const {
    return Token_ == tkIdent && RawKeyword_ <= tkIdent && !OneOfWords(*this, {"OFFSET", "ROW", "ONLY"});
}

// =====================================================================================================
// Entry points

void TIbExParser::ParseBody(TDbObj* Obj) {
    if (!Obj) {
        Error("Expression / body parsing not implemented.");
        return;
    }
    std::string Text, Default;
    if (auto* D = dynamic_cast<TDmnData*>(Obj)) {
        Text = D->Type().CheckText;
        Default = D->Type().GetDefaultValue();
    } else if (auto* Ctr = dynamic_cast<TCtrData*>(Obj)) {
        if (Ctr->GetConstraintType() != ctCheck) {
            Error("Body parsing for DB-Obj: (" + std::string(Obj->ClassName()) + ") not implemented.");
            return;
        }
        Text = Obj->GetSource();
    } else if (dynamic_cast<TPrcData*>(Obj) || dynamic_cast<TTrgData*>(Obj) || dynamic_cast<TViwData*>(Obj) ||
               dynamic_cast<TIdxData*>(Obj) || dynamic_cast<TFldData*>(Obj)) {
        Text = Obj->GetSource();
    } else {
        Error("Body parsing for DB-Obj: (" + std::string(Obj->ClassName()) + ") not implemented.");
        return;
    }
    // The scanner's state is put aside and restored, so a run in progress, or the next run, reads on
    // with its own text, position and terminator.
    std::string SavedSource;
    SavedSource.swap(Source_);
    const TScanPosition SavedPos = SavePosition();
    const std::string SavedTerminator = Terminator_, SavedScript = ScriptName_;
    const int SavedTotal = TotalLines_;
    const std::size_t SavedStatement = StatementStart_;
    const bool SavedProgress = Progress_;
    TObjs* SavedContainer = Container_;
    auto SavedContexts = std::move(FromContexts_);
    FromContexts_.clear();
    if (!Container_) Container_ = dynamic_cast<TObjs*>(Obj->GetOwner());
    Progress_ = false;
    ScriptName_.clear();
    for (const std::string* Part : {&Text, &Default}) {
        if (Trim(*Part).empty()) continue;
        Terminator_ = "^";
        LoadText(*Part);
        NextToken();
        ParseObjectBody(Obj);
        if (Token_ == tkSemicolon || Token_ == tkTerminator) NextToken();
        if (Token_ != tkEOF) {
            TDbObj* Keep = Current_;
            Current_ = Obj;
            Error("Unexpected text after the body: " + GetTokenName(Token_));
            Current_ = Keep;
        }
        if (!dynamic_cast<TDmnData*>(Obj)) break;
    }
    FromContexts_ = std::move(SavedContexts);
    Source_.swap(SavedSource);
    RestorePosition(SavedPos);
    Terminator_ = SavedTerminator;
    ScriptName_ = SavedScript;
    TotalLines_ = SavedTotal;
    StatementStart_ = SavedStatement;
    Progress_ = SavedProgress;
    Container_ = SavedContainer;
}

void TIbExParser::ReadBody(TDbObj* Obj) {
    if (!Obj) return;
    const std::string SavedTerminator = Terminator_;
    const bool Switched = Terminator_ == ";";
    if (Switched) Terminator_ = "^";
    std::size_t Start = TokenStart_;
    const bool FromHere = BodyObjectAs<TTrgData>(Obj) || BodyObjectAs<TPkgData>(Obj) || Token_ == tkLParen;
    if (!FromHere) {
        NextToken();
        Start = TokenStart_;
    }
    ParseObjectBody(Obj);
    if (Switched) {
        if (Token_ == tkSemicolon) Token_ = tkTerminator;
        Terminator_ = SavedTerminator;
    }
    // SetSource trims the text itself: the body is handed over in place.
    const std::size_t End = std::min(TokenStart_, Source_.size());
    Obj->SetSource(Start < End ? std::string_view(Source_).substr(Start, End - Start) : std::string_view());
}

void TIbExParser::ParseObjectBody(TDbObj* Obj) {
    // A body may be read inside another one (a package's routines): the outer body's object, local
    // names and abort state are put aside and come back; its FROM contexts are never touched.
    TDbObj* const Outer = Current_;
    const TStringList OuterNames = Outer ? LocalNames_ : TStringList();
    const bool OuterAborted = Aborted_;
    LocalNames_.Clear();
    Current_ = Obj;
    Aborted_ = false;
    if (BodyObjectAs<TTrgData>(Obj)) {
        if (Is(kwAS)) NextToken();
        ParseDeclarations();
        ParseBlock();
    } else if (auto* P = BodyObjectAs<TPrcData>(Obj)) {
        for (const TStringList* L : {&P->InputParams, &P->OutputParams})
            for (int i = 0; i < L->Count(); ++i)
                LocalNames_.Add((*L)[i]);
        ParseDeclarations();
        ParseBlock();
    } else if (auto* K = BodyObjectAs<TPkgData>(Obj)) {
        // A run of routines between BEGIN and END, each read by the routine parser with the package
        // as owner: the members belong to the package's text and are never filed on their own.
        if (Is(kwAS)) NextToken();
        ExpectKwAndNext(kwBEGIN);
        while ((Is(tkFUNCTION) || Is(tkPROCEDURE)) && !Aborted_)
            ParseRoutine(tkCREATE, Is(tkFUNCTION), true, K);
        ExpectKwAndNext(kwEND);
    } else if (auto* V = BodyObjectAs<TViwData>(Obj)) {
        if (V->Fields.Count() == 0) DeriveColumns_ = V;
        ParseSelect(false);
        DeriveColumns_ = nullptr;
    } else if (BodyObjectAs<TFldData>(Obj) || BodyObjectAs<TIdxData>(Obj) || BodyObjectAs<TCtrData>(Obj)) {
        TFromScope Scope(*this);
        TBodyContext& Ctx = Scope.Ctx();
        Ctx.TableNames.Add(Obj->GetTableName());
        Ctx.Aliases.Add("");
        Ctx.Known = true;
        // A stored text may keep the words before its "(" (a check's trigger source).
        if (Token_ == tkCHECK || Is(tkCOMPUTED)) NextToken();
        if (Token_ == kwBY) NextToken();
        ExpectAndNext(tkLParen);
        ParseExpression();
        ExpectAndNext(tkRParen);
    } else if (BodyObjectAs<TDmnData>(Obj)) {
        ParseExpression();
    }
    Current_ = Outer;
    // A nested body cut short by the nesting limit has skipped the outer body's rest as well.
    Aborted_ = Outer && (OuterAborted || Aborted_);
    if (Outer)
        LocalNames_ = OuterNames;
    else
        LocalNames_.Clear();
}

std::string TIbExParser::ReadExpressionSource(TDbObj* Obj) {
    auto* F = BodyObjectAs<TFldData>(Obj);
    // A domain's check is analysed with its domain (VALUE stands for the value); a parameter or an
    // argument has no table to resolve against.
    if (!Obj || (F && (F->TableName.empty() || BodyObjectAs<TDmnData>(F->Parent))))
        return TIbParser::ReadExpressionSource(Obj);
    NextToken();
    const std::size_t Start = TokenStart_;
    ParseObjectBody(Obj);
    return GetSourceText(Start);
}

void TIbExParser::ReadDefaultValue(TDbObj* Obj, std::string& Text) {
    if (Token_ != tkLParen && !ExpressionDefaults_) {
        TIbParser::ReadDefaultValue(Obj, Text);
        return;
    }
    const std::size_t Start = TokenStart_;
    ParseExpression();
    Text = GetSourceText(Start);
}

std::unique_ptr<TFldData> TIbExParser::ParseColumn(TTblData* Table, TTypeUse Use) {
    TTblData* const Saved = BuildingTable_;
    if (Table) BuildingTable_ = Table;
    auto Column = TIbParser::ParseColumn(Table, Use);
    BuildingTable_ = Saved;
    return Column;
}

void TIbExParser::ParseConstraintBody(TCtrData* Constraint, TTblData* Table, TFldData* Column) {
    TTblData* const Saved = BuildingTable_;
    if (Table) BuildingTable_ = Table;
    TIbParser::ParseConstraintBody(Constraint, Table, Column);
    BuildingTable_ = Saved;
}

void TIbExParser::ParseExecuteBlock() {
    const bool Saved = Recording_;
    Recording_ = false;
    TIbParser::ParseExecuteBlock();
    Recording_ = Saved;
}

void TIbExParser::ParseRoutineHeader(TPrcData* Routine) {
    const bool Saved = ExpressionDefaults_;
    ExpressionDefaults_ = true;
    TIbParser::ParseRoutineHeader(Routine);
    ExpressionDefaults_ = Saved;
}

// =====================================================================================================
// Declarations and blocks

void TIbExParser::ParseDeclarations() {
    while (Is(tkDECLARE) && !Aborted_) {
        NextToken();
        if (Firebird3() && (Is(tkPROCEDURE) || Is(tkFUNCTION))) {
            ParseSubRoutine();
            continue;
        }
        if (Is(kwVARIABLE)) NextToken();
        if (Expect(tkIdent)) {
            LocalNames_.Add(TokenText());
            NextToken();
        }
        if (Is(kwCURSOR)) {
            NextToken();
            ExpectKwAndNext(kwFOR);
            ExpectAndNext(tkLParen);
            ParseSelect(false);
            ExpectAndNext(tkRParen);
        } else {
            ParseLocalType(); // with its "=" or DEFAULT expression
        }
        if (Token_ == tkSemicolon)
            NextToken();
        else if (!Is(kwBEGIN) && !Is(tkDECLARE))
            Expect(tkSemicolon);
    }
}

void TIbExParser::ParseSubRoutine() {
    // A nested routine lives only in this parse: it is checked, and its name shadows any container
    // object of that name, but nothing is filed, updated or reported.
    auto Sub = std::make_unique<TPrcData>(nullptr);
    Sub->IsFunctionFlag = Is(tkFUNCTION) ? 1 : 0;
    NextToken();
    if (Expect(tkIdent)) {
        Sub->SetName(TokenText());
        LocalNames_.Add(TokenText());
        NextToken();
    }
    ParseRoutineHeader(Sub.get());
    for (const TStringList* L : {&Sub->InputParams, &Sub->OutputParams})
        for (int i = 0; i < L->Count(); ++i)
            if (!(*L)[i].empty()) LocalNames_.Add((*L)[i]);
    if (Is(kwAS)) {
        NextToken();
        ParseDeclarations();
        ParseBlock();
    }
    if (Token_ == tkSemicolon) NextToken();
}

void TIbExParser::ParseBlock() {
    TNesting N(*this);
    if (!N.Ok()) return;
    ExpectKwAndNext(kwBEGIN);
    while (!Is(kwEND) && Token_ != tkEOF && Token_ != tkTerminator && !Aborted_) {
        const std::size_t Before = TokenStart_;
        ParseBodyStatement();
        if (TokenStart_ == Before && Token_ != tkEOF && Token_ != tkTerminator) NextToken();
    }
    ExpectKwAndNext(kwEND);
}

// =====================================================================================================
// Statements

void TIbExParser::ParseBodyStatement() {
    TNesting N(*this);
    if (!N.Ok()) return;
    if (Is(kwBEGIN)) {
        // A block needs no ";" after its END (one standing there is an empty statement).
        ParseBlock();
        if (Token_ == tkSemicolon) NextToken();
        return;
    } else if (Is(tkEXCEPTION)) {
        NextToken();
        if (Token_ == tkIdent) {
            Depend(TokenView(), KindOnly(dboException));
            NextToken();
            if (Is(kwUSING)) {
                NextToken();
                ParseParenList();
            } else if (!AtStatementEnd()) {
                ParseExpression();
            }
        }
    } else if (Is(kwIF)) {
        NextToken();
        ExpectAndNext(tkLParen);
        ParseExpression();
        ExpectAndNext(tkRParen);
        ExpectKwAndNext(kwTHEN);
        ParseBodyStatement();
        if (Is(kwELSE)) {
            NextToken();
            ParseBodyStatement();
        }
        return; // the statements inside took their ";"
    } else if (Is(tkEXECUTE)) {
        NextToken();
        if (Is(tkPROCEDURE)) {
            NextToken();
            DependOnRoutine(dboProcedure);
            if (Token_ == tkLParen) {
                NextToken();
                if (Token_ != tkRParen) ParseExpressionList();
                ExpectAndNext(tkRParen);
            } else if (!AtStatementEnd() && !Is(kwRETURNING_VALUES)) {
                ParseExpressionList();
            }
            if (Is(kwRETURNING_VALUES)) {
                NextToken();
                const bool Paren = Token_ == tkLParen;
                if (Paren) NextToken();
                ParseIntoTargets();
                if (Paren) ExpectAndNext(tkRParen);
            }
        } else if (IsWord("STATEMENT")) {
            NextToken();
            ParseExecuteStatement();
        } else if (IsWord("BLOCK")) {
            NextToken();
            auto Block = std::make_unique<TPrcData>(nullptr);
            ParseRoutineHeader(Block.get());
            ExpectKwAndNext(kwAS);
            ParseDeclarations();
            ParseBlock();
        } else {
            Error("Must be: PROCEDURE / STATEMENT.");
        }
    } else if (Is(kwFOR)) {
        ParseForStatement();
        return;
    } else if (Is(kwPOST_EVENT)) {
        NextToken();
        ParseExpression();
    } else if (Is(tkSELECT) || Is(tkWITH)) {
        ParseSelect(true);
    } else if (Is(tkINSERT)) {
        ParseInsert(false);
    } else if (Is(tkUPDATE)) {
        NextToken();
        if (Token_ == tkOR) {
            NextToken();
            ExpectKw(tkINSERT);
            ParseInsert(true);
        } else {
            ParseUpdate(true);
        }
    } else if (Is(tkDELETE)) {
        ParseDelete();
    } else if (Is(kwMERGE)) {
        ParseMerge();
    } else if (Is(kwWHEN)) {
        ParseWhen();
        return;
    } else if (Is(kwWHILE)) {
        NextToken();
        ExpectAndNext(tkLParen);
        ParseExpression();
        ExpectAndNext(tkRParen);
        ExpectKwAndNext(kwDO);
        ParseBodyStatement();
        return;
    } else if (Is(tkALTER)) {
        NextToken();
        if (IsWord("SEQUENCE")) {
            NextToken();
            if (Expect(tkIdent)) Depend(TokenView(), KindOnly(dboGenerator));
            while (!AtStatementEnd())
                NextToken();
        } else if (Firebird4() && IsWord("SESSION")) {
            NextToken();
            ExpectWord("RESET");
            NextToken();
        } else {
            Error("Unknown ALTER-statement");
        }
    } else if (Is(tkSET)) {
        ParseSetStatement();
    } else if (Is(kwEXIT) || Is(kwSUSPEND) || IsWord("BREAK") || IsWord("LEAVE") || IsWord("CONTINUE")) {
        NextToken();
        if (Token_ == tkIdent) NextToken(); // a label
    } else if (Token_ == kwIN) {
        NextToken();
        if (!IsWord("AUTONOMOUS")) Error("AUTONOMOUS expected, but " + UpperCase(TokenText()) + " found.");
        NextToken();
        if (!IsWord("TRANSACTION")) Error("TRANSACTION expected, but " + UpperCase(TokenText()) + " found.");
        NextToken();
        ExpectKwAndNext(kwDO);
        ParseBodyStatement();
        return;
    } else if (IsWord("RETURN")) {
        NextToken();
        ParseExpression();
    } else if (Is(kwOPEN) || Is(kwCLOSE)) {
        NextToken();
        if (Expect(tkIdent)) NextToken();
    } else if (Is(kwFETCH)) {
        NextToken();
        if (OneOfWords(*this, {"NEXT", "PRIOR", "FIRST", "LAST"}))
            NextToken();
        else if (OneOfWords(*this, {"ABSOLUTE", "RELATIVE"})) {
            NextToken();
            ParseAdditive();
        }
        if (Token_ == tkFROM) NextToken();
        if (Expect(tkIdent)) NextToken();
        if (Token_ == tkINTO) {
            NextToken();
            ParseIntoTargets();
        }
    } else if (Token_ == tkIdent || Token_ == tkColon) {
        ParseBodyWordStatement();
    } else if (Token_ == tkSemicolon) {
        // an empty statement
    } else {
        Error("Invalid statement: " + GetTokenName(Token_));
        if (Token_ != tkEOF && Token_ != tkTerminator) NextToken();
        return;
    }
    if (Token_ == tkSemicolon)
        NextToken();
    else if (!Is(kwEND) && !Is(kwELSE) && !Is(kwWHEN) && Token_ != tkEOF && Token_ != tkTerminator &&
             !Aborted_)
        Expect(tkSemicolon);
}

void TIbExParser::ParseBodyWordStatement() {
    if (Token_ == tkIdent && !NextIsLParen()) {
        // A label "name:" before a loop.
        const std::size_t i = NextNonBlank();
        if (At(i) == ':' && At(i + 1) != '=') {
            NextToken();
            NextToken();
            ParseBodyStatement();
            return;
        }
    }
    if (Token_ == tkIdent && NextIsLParen()) { // a function called as a statement
        const std::string Name = TokenText();
        Depend(Name, FunctionKinds());
        NextToken();
        ParseFunctionArgs(Name);
        return;
    }
    ParseAssignment();
}

void TIbExParser::ParseAssignment() {
    if (Token_ == tkColon) NextToken();
    if (!Expect(tkIdent)) {
        NextToken();
        return;
    }
    ParseTarget();
    if (Token_ == tkEqual || Token_ == tkASSIGN) {
        NextToken();
        ParseExpression();
    } else {
        Error("Invalid statement (? assignment)");
    }
}

void TIbExParser::ParseTarget() {
    if (Token_ == tkColon) NextToken();
    if (!Expect(tkIdent)) return;
    const std::string Name = TokenText();
    NextToken();
    if (Token_ != tkDot) return;
    NextToken();
    const bool Context = SameText(Name, "NEW") || SameText(Name, "OLD");
    if (Context && !IsTrigger()) Error("NEW./OLD. context variable is not into trigger body.");
    if (Token_ == tkStar && Context && Firebird4()) {
        ColumnRef(Name, "*");
        NextToken();
        return;
    }
    if (Token_ != tkIdent && Token_ < BaseTokenCount) {
        Expect(tkIdent);
        if (Token_ != tkEOF && Token_ != tkTerminator) NextToken();
        return;
    }
    ColumnRef(Name, Token_ == tkIdent ? TokenText() : UpperCase(TokenText()));
    NextToken();
}

void TIbExParser::ParseIntoTargets() {
    while (Token_ != tkEOF && Token_ != tkTerminator) {
        ParseTarget();
        if (Token_ != tkComma) break;
        NextToken();
    }
}

void TIbExParser::ParseExecuteStatementText() {
    // The statement text, then an optional parameter list: expr [":=" expr], ...
    ParseExpression();
    if (Token_ == tkLParen) {
        NextToken();
        while (Token_ != tkEOF && Token_ != tkTerminator && Token_ != tkRParen) {
            ParseExpression();
            if (Token_ == tkASSIGN) {
                NextToken();
                ParseExpression();
            }
            if (Token_ != tkComma) break;
            NextToken();
        }
        ExpectAndNext(tkRParen);
    }
}

void TIbExParser::ParseExecuteStatement() {
    ParseExecuteStatementText();
    for (;;) {
        if (Is(tkWITH)) {
            NextToken();
            if (IsWord("AUTONOMOUS") || IsWord("COMMON")) {
                NextToken();
                if (!IsWord("TRANSACTION")) ExpectWord("TRANSACTION");
                NextToken();
            } else if (IsWord("CALLER")) {
                NextToken();
                if (!IsWord("PRIVILEGES")) ExpectWord("PRIVILEGES");
                NextToken();
            } else {
                Error("Must be: AUTONOMOUS / COMMON TRANSACTION / CALLER PRIVILEGES");
            }
        } else if (Is(kwAS)) {
            NextToken();
            ExpectKwAndNext(tkUSER);
            ParseAdditive();
        } else if ((Firebird3() && Is(tkPASSWORD)) || Is(tkROLE)) {
            NextToken();
            ParseAdditive();
        } else if (Is(tkON)) {
            NextToken();
            ExpectKwAndNext(tkEXTERNAL);
            if (IsWord("DATA")) {
                NextToken();
                ExpectWord("SOURCE");
                NextToken();
            }
            ParseAdditive();
        } else {
            break;
        }
    }
    if (Token_ == tkINTO) {
        NextToken();
        ParseIntoTargets();
    }
}

void TIbExParser::ParseForStatement() {
    NextToken();
    if (Is(tkSELECT) || Is(tkWITH)) {
        ParseSelect(true);
    } else if (Is(tkEXECUTE)) {
        NextToken();
        ExpectWord("STATEMENT");
        NextToken();
        ParseExecuteStatement();
    } else {
        Error("Must be: SELECT / EXECUTE / WITH");
    }
    if (Is(kwAS)) { // AS CURSOR name
        NextToken();
        ExpectKwAndNext(kwCURSOR);
        if (Expect(tkIdent)) {
            LocalNames_.Add(TokenText());
            NextToken();
        }
    }
    ExpectKwAndNext(kwDO);
    ParseBodyStatement();
}

void TIbExParser::ParseWhen() {
    NextToken();
    while (Token_ != tkEOF && Token_ != tkTerminator) {
        if (Is(tkEXCEPTION)) {
            NextToken();
            DependOnName(dboException);
        } else if (Is(kwSQLCODE)) {
            NextToken();
            if (Token_ == tkMinus || Token_ == tkPlus) NextToken();
            Expect(tkInteger);
            NextToken();
        } else if (Is(kwGDSCODE)) {
            NextToken();
            Expect(tkIdent);
            NextToken();
        } else if (Is(kwANY)) {
            NextToken();
        } else {
            Error("Must be: EXCEPTION / SQLCODE / GDSCODE / ANY");
            break;
        }
        if (Token_ != tkComma) break;
        NextToken();
    }
    ExpectKwAndNext(kwDO);
    ParseBodyStatement();
}

void TIbExParser::ParseSetStatement() {
    NextToken();
    if (Is(tkGENERATOR)) {
        NextToken();
        DependOnName(dboGenerator);
        ExpectKwAndNext(tkTO);
        ParseExpression();
    } else if (Is(tkSTATISTICS)) {
        NextToken();
        ExpectKwAndNext(tkINDEX);
        DependOnName(dboIndex);
    } else if (IsWord("DECFLOAT") || IsWord("INT128")) {
        NextToken();
        if (!(IsWord("BIND") || IsWord("ROUND") || IsWord("TRAPS")))
            Error("Unknown SET-statement for DECFLOAT");
        while (!AtStatementEnd())
            NextToken();
    } else if (IsWord("SESSION") || IsWord("STATEMENT") || Is(tkROLE) ||
               (Firebird4() && (IsWord("LOCAL_TIMEOUT") || IsWord("TRUSTED") || Is(kwTIME)))) {
        while (!AtStatementEnd())
            NextToken();
    } else {
        Error("Unknown SET-statement");
        while (!AtStatementEnd())
            NextToken();
    }
}

// --- Data-changing statements -----------------------------------------------------------------------

void TIbExParser::ReadTarget(TBodyContext& Ctx) {
    if (Expect(tkIdent)) {
        Depend(TokenView(), RelationKinds());
        Ctx.TableNames.Add(TokenText());
        NextToken();
        std::string Alias;
        if (Is(kwAS)) NextToken();
        if (AtAlias()) {
            Alias = TokenText();
            NextToken();
        }
        Ctx.Aliases.Add(Alias);
    }
    FromKnown(Ctx);
}

void TIbExParser::ParseParenList() {
    ExpectAndNext(tkLParen);
    ParseExpressionList();
    ExpectAndNext(tkRParen);
}

void TIbExParser::ParseInsert(bool UpdateOrInsert) {
    NextToken();
    ExpectKwAndNext(tkINTO);
    TFromScope Scope(*this);
    ReadTarget(Scope.Ctx());
    if (Token_ == tkLParen) {
        NextToken();
        ParseExpressionList();
        ExpectAndNext(tkRParen);
    }
    if (Is(kwVALUES)) {
        NextToken();
        ParseParenList();
    } else if (Is(tkSELECT) || Is(tkWITH)) {
        ParseSelect(false);
    } else if (Is(tkDEFAULT)) {
        NextToken();
        ExpectKwAndNext(kwVALUES);
    } else {
        Error("Must be: VALUES / SELECT / DEFAULT VALUES");
    }
    if (UpdateOrInsert && IsWord("MATCHING")) {
        NextToken();
        ParseParenList();
    }
    ParseReturning();
}

void TIbExParser::ParseUpdate(bool WithSet) {
    TFromScope Scope(*this);
    ReadTarget(Scope.Ctx());
    if (WithSet) ExpectKwAndNext(tkSET);
    while (WithSet && Token_ != tkEOF && Token_ != tkTerminator) {
        if (!Expect(tkIdent)) break;
        std::string Q, Col = TokenText();
        NextToken();
        if (Token_ == tkDot) {
            NextToken();
            Q = Col;
            Col = Token_ == tkIdent ? TokenText() : UpperCase(TokenText());
            NextToken();
        }
        ColumnRef(Q, Col);
        ExpectAndNext(tkEqual);
        ParseExpression();
        if (Token_ != tkComma) break;
        NextToken();
    }
    if (Token_ == kwWHERE) {
        NextToken();
        if (Is(kwCURRENT)) {
            NextToken();
            ExpectKwAndNext(kwOF);
            if (Expect(tkIdent)) NextToken();
        } else {
            ParseExpression();
        }
    }
    if (Is(kwPLAN)) ParsePlan();
    if (Is(kwORDER)) {
        NextToken();
        ExpectKwAndNext(kwBY);
        ParseItemList(false, true);
    }
    if (Is(kwROWS)) ParseRowsClause();
    ParseReturning();
}

void TIbExParser::ParseDelete() {
    NextToken();
    ExpectKwAndNext(tkFROM);
    ParseUpdate(false); // the same tail without SET
}

void TIbExParser::ParseMerge() {
    NextToken();
    ExpectKwAndNext(tkINTO);
    TFromScope Scope(*this);
    TBodyContext& Ctx = Scope.Ctx();
    ParseTableRef(Ctx);
    ExpectKwAndNext(kwUSING);
    ParseTableRef(Ctx);
    FromKnown(Ctx);
    ExpectKwAndNext(tkON);
    ParseExpression();
    while (Is(kwWHEN)) {
        NextToken();
        const bool Not = Is(kwNOT);
        if (Not) NextToken();
        ExpectWord("MATCHED");
        NextToken();
        if (Token_ == kwAND) {
            NextToken();
            ParseExpression();
        }
        ExpectKwAndNext(kwTHEN);
        if (Is(tkUPDATE) && !Not) {
            NextToken();
            ExpectKwAndNext(tkSET);
            while (Token_ != tkEOF && Token_ != tkTerminator) {
                ParseTarget();
                ExpectAndNext(tkEqual);
                ParseExpression();
                if (Token_ != tkComma) break;
                NextToken();
            }
        } else if (Is(tkDELETE) && !Not) {
            NextToken();
        } else if (Is(tkINSERT) && Not) {
            NextToken();
            if (Token_ == tkLParen) {
                NextToken();
                ParseExpressionList();
                ExpectAndNext(tkRParen);
            }
            ExpectKwAndNext(kwVALUES);
            ParseParenList();
        } else {
            Error(Not ? "Must be: INSERT" : "Must be: UPDATE");
            break;
        }
    }
    ParseReturning();
}

void TIbExParser::ParseReturning() {
    if (!IsWord("RETURNING")) return;
    NextToken();
    ParseItemList(true, false);
    if (Token_ == tkINTO) {
        NextToken();
        ParseIntoTargets();
    }
}

// =====================================================================================================
// Queries

void TIbExParser::ParseWithClause() {
    NextToken();
    if (IsWord("RECURSIVE")) NextToken();
    while (Token_ != tkEOF && Token_ != tkTerminator) {
        if (!Expect(tkIdent)) break;
        NextToken();
        if (Token_ == tkLParen) { // column names
            NextToken();
            while (Token_ == tkIdent || Token_ == tkComma)
                NextToken();
            ExpectAndNext(tkRParen);
        }
        ExpectKwAndNext(kwAS);
        ExpectAndNext(tkLParen);
        ParseSelect(false);
        ExpectAndNext(tkRParen);
        if (Token_ != tkComma) break;
        NextToken();
    }
}

void TIbExParser::ParseSelect(bool AllowInto) {
    TNesting N(*this);
    if (!N.Ok()) return;
    // Only the view's outermost select names its columns (not a common table's, not a UNION's).
    TViwData* const Derive = std::exchange(DeriveColumns_, nullptr);
    std::vector<TSelectItem> Items;
    if (Is(tkWITH)) ParseWithClause();
    if (!ExpectKw(tkSELECT)) return;
    NextToken();
    TFromScope Scope(*this);
    TBodyContext& Ctx = Scope.Ctx();
    // FIRST n / SKIP n (a number, a parameter or a parenthesised expression; a column named FIRST
    // is followed by none of these).
    for (const char* Word : {"FIRST", "SKIP"}) {
        if (!IsWord(Word)) continue;
        const char Next = At(NextNonBlank());
        if ((Next >= '0' && Next <= '9') || Next == '(' || Next == ':') {
            NextToken();
            ParseFactor();
        }
    }
    if (Is(kwDISTINCT) || Is(kwALL)) NextToken();
    ParseItemList(true, false, Derive ? &Items : nullptr);
    if (AllowInto && Token_ == tkINTO) {
        NextToken();
        ParseIntoTargets();
    }
    if (Token_ == tkFROM) {
        NextToken();
        ParseTableRefs(Ctx);
    }
    FromKnown(Ctx);
    if (Derive) DeriveViewColumns(*Derive, Ctx, Items);
    if (Token_ == kwWHERE) {
        NextToken();
        ParseExpression();
    }
    if (Is(kwGROUP)) {
        NextToken();
        ExpectKwAndNext(kwBY);
        ParseItemList(false, false);
    }
    if (Is(kwHAVING)) {
        NextToken();
        ParseExpression();
    }
    if (Is(kwPLAN)) ParsePlan();
    if (Is(kwUNION)) {
        NextToken();
        if (Is(kwALL) || Is(kwDISTINCT)) NextToken();
        // The next SELECT resolves against its own FROM clause, not this one.
        Scope.Close();
        ParseSelect(AllowInto);
        return;
    }
    if (Is(kwORDER)) {
        NextToken();
        ExpectKwAndNext(kwBY);
        ParseItemList(false, true);
    }
    if (Is(kwROWS)) ParseRowsClause();
    if (IsWord("OFFSET")) {
        NextToken();
        ParseAdditive();
        if (Is(kwROWS) || IsWord("ROW")) NextToken();
    }
    if (Is(kwFETCH)) {
        NextToken();
        if (IsWord("FIRST") || IsWord("NEXT")) NextToken();
        if (!Is(kwROWS) && !IsWord("ROW")) ParseAdditive();
        if (Is(kwROWS) || IsWord("ROW")) NextToken();
        ExpectWord("ONLY");
        NextToken();
    }
    if (Is(kwFOR)) {
        NextToken();
        ExpectKwAndNext(tkUPDATE);
        if (Is(kwOF)) {
            NextToken();
            ParseExpressionList();
        }
    }
    if (Is(tkWITH)) {
        NextToken();
        if (IsWord("LOCK") || Is(kwCHECK)) {
            const bool Check = Is(kwCHECK);
            NextToken();
            if (Check) {
                ExpectKw(kwOPTION);
                NextToken();
            }
        } else {
            Error("Must be: WITH LOCK / WITH CHECK OPTION");
        }
    }
    if (AllowInto && Token_ == tkINTO) {
        NextToken();
        ParseIntoTargets();
    }
}

void TIbExParser::ParseTableRefs(TBodyContext& Ctx) {
    while (Token_ != tkEOF && Token_ != tkTerminator && !Aborted_) {
        ParseTableRef(Ctx);
        for (;;) {
            bool Join = false;
            while (Is(kwNATURAL) || Is(kwINNER) || Is(kwLEFT) || Is(kwRIGHT) || Is(kwFULL) || Is(kwOUTER) ||
                   Is(kwCROSS)) {
                NextToken();
                Join = true;
            }
            if (!Is(kwJOIN)) {
                if (Join) Expect(kwJOIN);
                break;
            }
            NextToken();
            ParseTableRef(Ctx);
            if (Is(tkON)) {
                NextToken();
                ParseExpression();
            } else if (Is(kwUSING)) {
                // A USING column is a column of each joined table that has it.
                NextToken();
                ExpectAndNext(tkLParen);
                while (Token_ == tkIdent) {
                    for (int i = 0; Recording_ && Current_ && i < Ctx.TableNames.Count(); ++i) {
                        TDbObj* R = Relation(Ctx.TableNames[i]);
                        if (R && HasColumn(R, TokenView())) LinkColumn(Current_, R, TokenView());
                    }
                    NextToken();
                    if (Token_ != tkComma) break;
                    NextToken();
                }
                ExpectAndNext(tkRParen);
            }
        }
        if (Token_ != tkComma) break;
        NextToken();
    }
}

void TIbExParser::ParseTableRef(TBodyContext& Ctx) {
    TNesting N(*this);
    if (!N.Ok()) return;
    std::string Name;
    if (Token_ == tkLParen) { // a derived table or a parenthesised join
        NextToken();
        if (Is(tkSELECT) || Is(tkWITH))
            ParseSelect(false);
        else
            ParseTableRefs(Ctx);
        ExpectAndNext(tkRParen);
    } else if (Expect(tkIdent)) {
        Name = TokenText();
        NextToken();
        if (Token_ == tkDot) { // package.procedure: the package is what the object needs
            Depend(Name, KindOnly(dboPackage));
            NextToken();
            if (Expect(tkIdent)) {
                Name += "." + TokenText();
                NextToken();
            }
        } else {
            Depend(Name, RelationKinds());
        }
        if (Token_ == tkLParen) { // a selectable procedure's arguments
            NextToken();
            if (Token_ != tkRParen) ParseExpressionList();
            ExpectAndNext(tkRParen);
        }
    } else {
        if (Token_ != tkEOF && Token_ != tkTerminator) NextToken();
        return;
    }
    std::string Alias;
    if (Is(kwAS)) {
        NextToken();
        if (Expect(tkIdent)) {
            Alias = TokenText();
            NextToken();
        }
    } else if (AtAlias()) {
        Alias = TokenText();
        NextToken();
    }
    if (Name.empty()) Name = Alias; // a derived table is known by its alias only
    if (!Name.empty()) {
        Ctx.TableNames.Add(Name);
        Ctx.Aliases.Add(Alias);
    }
}

void TIbExParser::ParseItemList(bool Aliases, bool Ordering, std::vector<TSelectItem>* Items) {
    while (Token_ != tkEOF && Token_ != tkTerminator && !Aborted_) {
        const std::size_t Start = TokenStart_;
        ParseExpression();
        TSelectItem Item;
        if (Items) Item = SelectItemOf(GetSourceText(Start));
        if (Aliases) {
            if (Is(kwAS)) {
                NextToken();
                if (Expect(tkIdent)) {
                    Item = {TokenText(), "", false};
                    NextToken();
                }
            } else if (AtAlias()) {
                Item = {TokenText(), "", false};
                NextToken();
            }
        }
        if (Items) Items->push_back(std::move(Item));
        if (Ordering) {
            if (Is(tkASC) || Is(tkDESC)) NextToken();
            if (IsWord("NULLS")) {
                NextToken();
                if (!(IsWord("FIRST") || IsWord("LAST")))
                    Error("Must be: NULLS FIRST / NULLS LAST (order by clause).");
                NextToken();
            }
        }
        if (Token_ != tkComma) break;
        NextToken();
    }
}

void TIbExParser::DeriveViewColumns(TViwData& View, TBodyContext& Ctx,
                                    const std::vector<TSelectItem>& Items) {
    std::vector<std::string> Names;
    for (const TSelectItem& Item : Items) {
        if (!Item.Star) {
            if (Item.Name.empty()) return;
            Names.push_back(Item.Name);
            continue;
        }
        for (int i = 0; i < Ctx.TableNames.Count(); ++i) {
            if (!Item.StarOf.empty() && Ctx.Aliases[i] != Item.StarOf &&
                !(Ctx.Aliases[i].empty() && Ctx.TableNames[i] == Item.StarOf))
                continue;
            TDbObj* R = Relation(Ctx.TableNames[i]);
            const TStringList* Columns = nullptr;
            if (auto* P = BodyObjectAs<TPrcData>(R))
                Columns = &P->OutputParams;
            else if (R)
                Columns = R->GetFields();
            if (!Columns || Columns->Count() == 0) return;
            for (int c = 0; c < Columns->Count(); ++c)
                Names.push_back((*Columns)[c]);
        }
    }
    if (Names.empty()) return;
    for (const std::string& Name : Names)
        AddViewColumn(&View, Name);
}

TIbExParser::TSelectItem TIbExParser::SelectItemOf(std::string_view Text) {
    TSelectItem Item;
    std::vector<std::string> Parts;
    for (std::size_t i = 0; i < Text.size();) {
        std::string Part;
        if (Text[i] == '"') {
            for (++i; i < Text.size(); ++i) {
                if (Text[i] == '"' && (i + 1 >= Text.size() || Text[i + 1] != '"')) break;
                if (Text[i] == '"') ++i;
                Part += Text[i];
            }
            if (i >= Text.size()) return {};
            ++i;
        } else if (Text[i] == '*') {
            Part = "*";
            ++i;
        } else {
            while (i < Text.size() &&
                   (std::isalnum(static_cast<unsigned char>(Text[i])) || Text[i] == '_' || Text[i] == '$'))
                Part += UpCase(Text[i++]);
            if (Part.empty() || std::isdigit(static_cast<unsigned char>(Part[0]))) return {};
        }
        Parts.push_back(Part);
        if (i < Text.size() && Text[i++] != '.') return {};
        if (i == Text.size() && Text.back() == '.') return {};
    }
    if (Parts.empty() || Parts.size() > 2) return {};
    if (Parts.back() == "*") {
        Item.Star = true;
        if (Parts.size() == 2) Item.StarOf = Parts[0];
    } else if (std::find(Parts.begin(), Parts.end(), "*") == Parts.end()) {
        Item.Name = Parts.back();
    }
    return Item;
}

void TIbExParser::ParsePlan() {
    NextToken();
    // PLAN [JOIN|MERGE|SORT|HASH] ( item, ... ); an item is a nested plan or names followed by
    // NATURAL, INDEX (indices) or ORDER index [INDEX (indices)].
    auto Indices = [&] {
        ExpectAndNext(tkLParen);
        while (Token_ == tkIdent) {
            Depend(TokenView(), KindOnly(dboIndex));
            NextToken();
            if (Token_ != tkComma) break;
            NextToken();
        }
        ExpectAndNext(tkRParen);
    };
    int Depth = 0;
    while (Token_ != tkEOF && Token_ != tkTerminator) {
        if (Is(kwJOIN) || Is(kwMERGE) || Is(kwSORT) || IsWord("HASH")) {
            NextToken();
        } else if (Token_ == tkLParen) {
            if (++Depth > MaxBodyNesting) {
                Error("Nesting too deep (more than " + std::to_string(MaxBodyNesting) + " levels)");
                return;
            }
            NextToken();
        } else if (Token_ == tkRParen) {
            if (Depth == 0) return;
            NextToken();
            if (--Depth == 0) return;
        } else if (Token_ == tkComma && Depth > 0) {
            NextToken();
        } else if (Token_ == tkIdent) {
            while (Token_ == tkIdent && !Is(kwNATURAL) && !Is(tkINDEX) && !Is(kwORDER))
                NextToken();
            if (Is(kwNATURAL)) {
                NextToken();
            } else if (Is(tkINDEX)) {
                NextToken();
                Indices();
            } else if (Is(kwORDER)) {
                NextToken();
                if (Token_ == tkIdent) {
                    Depend(TokenView(), KindOnly(dboIndex));
                    NextToken();
                }
                if (Is(tkINDEX)) {
                    NextToken();
                    Indices();
                }
            }
            if (Depth == 0) return;
        } else {
            Error("Invalid symbol in PLAN-expression: " +
                  (TokenText().empty() ? GetTokenName(Token_) : TokenText()));
            if (Token_ != tkEOF && Token_ != tkTerminator) NextToken();
            return;
        }
    }
}

void TIbExParser::ParseWindow() {
    // OVER ( [PARTITION BY list] [ORDER BY list] [frame] ) or OVER window-name
    NextToken();
    if (Token_ == tkIdent && !NextIsLParen() && Token_ != tkLParen) {
        NextToken();
        return;
    }
    ExpectAndNext(tkLParen);
    while (Token_ != tkRParen && Token_ != tkEOF && Token_ != tkTerminator && !Aborted_) {
        const std::size_t Before = TokenStart_;
        if (IsWord("PARTITION")) {
            NextToken();
            ExpectKwAndNext(kwBY);
            ParseItemList(false, false);
        } else if (Is(kwORDER)) {
            NextToken();
            ExpectKwAndNext(kwBY);
            ParseItemList(false, true);
        } else if (Is(kwROWS) || IsWord("RANGE") || IsWord("BETWEEN") || Is(kwBETWEEN) || Token_ == kwAND ||
                   IsWord("UNBOUNDED") || IsWord("PRECEDING") || IsWord("FOLLOWING") || Is(kwCURRENT) ||
                   IsWord("ROW")) {
            NextToken();
        } else {
            ParseAdditive();
        }
        if (TokenStart_ == Before) NextToken();
    }
    ExpectAndNext(tkRParen);
}

void TIbExParser::ParseRowsClause() {
    NextToken();
    ParseAdditive();
    if (Is(tkTO)) {
        NextToken();
        ParseAdditive();
    }
}

// =====================================================================================================
// Expressions

void TIbExParser::ParseExpressionList() {
    while (Token_ != tkEOF && Token_ != tkTerminator && !Aborted_) {
        ParseExpression();
        if (Token_ != tkComma) break;
        NextToken();
    }
}

void TIbExParser::ParseExpression() {
    TNesting N(*this);
    if (!N.Ok()) return;
    for (;;) {
        while (Is(kwNOT))
            NextToken();
        ParseConjunct();
        if (Token_ != kwAND && Token_ != tkOR) break;
        NextToken();
    }
}

void TIbExParser::ParseConjunct() {
    ParseBooleanPrimary();
    for (;;) {
        switch (Token_) {
        case tkEqual:
        case tkEqualEqual:
        case tkNotEqual:
        case tkLess:
        case tkGreater:
        case tkLessEqual:
        case tkGreaterEqual:
            NextToken();
            ParseBooleanPrimary();
            continue;
        default:
            break;
        }
        if (Token_ == tkIS) {
            NextToken();
            if (Is(kwNOT)) NextToken();
            if (Token_ == tkNULL || IsWord("TRUE") || IsWord("FALSE") || IsWord("UNKNOWN")) {
                NextToken();
            } else if (Is(kwDISTINCT)) {
                NextToken();
                ExpectKwAndNext(tkFROM);
                ParseBooleanPrimary();
            } else {
                Error("Must be: NULL/DISTINCT FROM.");
            }
            continue;
        }
        if (Is(kwNOT)) {
            NextToken();
            if (!(Token_ == kwIN || Is(kwBETWEEN) || Is(kwLIKE) || Is(kwSIMILAR) || Is(kwSTARTING) ||
                  Is(kwSTARTS) || Is(kwCONTAINING))) {
                Error("Must be: IS/IN/EXISTS/SINGULAR/LIKE/BETWEEN/STARTING/CONTAINING.");
                return;
            }
            ParsePredicate();
            continue;
        }
        if (Token_ == kwIN || Is(kwBETWEEN) || Is(kwLIKE) || Is(kwSIMILAR) || Is(kwSTARTING) ||
            Is(kwSTARTS) || Is(kwCONTAINING)) {
            ParsePredicate();
            continue;
        }
        return;
    }
}

void TIbExParser::ParsePredicate() {
    if (Token_ == kwIN) {
        NextToken();
        ExpectAndNext(tkLParen);
        if (Is(tkSELECT) || Is(tkWITH))
            ParseSelect(false);
        else
            ParseExpressionList();
        ExpectAndNext(tkRParen);
    } else if (Is(kwBETWEEN)) {
        NextToken();
        ParseAdditive();
        ExpectKwAndNext(kwAND);
        ParseAdditive();
    } else if (Is(kwLIKE) || Is(kwSIMILAR)) {
        if (Is(kwSIMILAR)) {
            NextToken();
            ExpectKw(tkTO);
        }
        NextToken();
        ParseAdditive();
        if (Is(kwESCAPE)) {
            NextToken();
            ParseAdditive();
        }
    } else { // STARTING [WITH], STARTS [WITH], CONTAINING
        NextToken();
        if (Is(tkWITH)) NextToken();
        ParseAdditive();
    }
}

void TIbExParser::ParseBooleanPrimary() {
    if (IsWord("INSERTING") || IsWord("UPDATING") || IsWord("DELETING")) {
        NextToken();
    } else if (Is(kwNOT)) {
        NextToken();
        ParseConjunct();
    } else if ((Is(kwALL) || Is(kwANY) || Is(kwSOME) || Is(kwEXISTS) || Is(kwSINGULAR)) &&
               (Token_ != tkIdent || NextIsLParen())) {
        NextToken();
        TNesting N(*this);
        if (!N.Ok()) return;
        ExpectAndNext(tkLParen);
        if (Is(tkSELECT) || Is(tkWITH))
            ParseSelect(false);
        else
            ParseExpressionList();
        ExpectAndNext(tkRParen);
    } else {
        ParseAdditive();
    }
}

void TIbExParser::ParseAdditive() {
    if (Token_ == tkMinus || Token_ == tkPlus) NextToken();
    ParseTerm();
    while (Token_ == tkPlus || Token_ == tkMinus || Token_ == tkConcat) {
        NextToken();
        ParseTerm();
    }
}

void TIbExParser::ParseTerm() {
    ParseFactor();
    while (Token_ == tkStar || Token_ == tkSlash) {
        NextToken();
        ParseFactor();
    }
}

void TIbExParser::ParseLocalType() {
    const bool Saved = ExpressionDefaults_;
    ExpressionDefaults_ = true;
    // A column of its own per call: a CAST inside a variable's default reads a type of its own
    // while the variable's is being read, and nothing of one type may carry over to the next.
    TFldData Type(Container_);
    ParseDataType(&Type, TTypeUse::tuVariable);
    ExpressionDefaults_ = Saved;
}

void TIbExParser::ParseFactor() {
    TNesting N(*this);
    if (!N.Ok()) return;
    if (Token_ == tkColon) { // a parameter or variable: no column of any table
        NextToken();
        if (Expect(tkIdent)) NextToken();
        return;
    }
    // An identifier that spells a keyword some version does not reserve counts as that keyword
    // where the grammar expects it: before "(" for a function, or as a value word.
    const bool Word = Token_ == tkIdent;
    const int K = Word ? RawKeyword_ : Token_;
    const bool Call = !Word || NextIsLParen();
    switch (K) {
    case tkLParen:
        NextToken();
        if (Is(tkSELECT) || Is(tkWITH))
            ParseSelect(false);
        else
            ParseExpressionList(); // a value or a row of values
        ExpectAndNext(tkRParen);
        break;
    case tkInteger:
    case tkFloat:
    case tkString:
    case tkNULL:
    case tkUSER:
    case kwCURRENT_DATE:
    case kwGDSCODE:
    case kwSQLCODE:
    case kwRDB_DB_KEY:
        NextToken();
        break;
    case kwVALUE:
        if (Word && !BodyObjectAs<TDmnData>(Current_)) {
            ParseIdentFactor();
            return;
        }
        NextToken();
        break;
    case kwCURRENT_TIME:
    case kwCURRENT_TIMESTAMP:
        NextToken();
        if (Token_ == tkLParen) {
            NextToken();
            Expect(tkInteger);
            NextToken();
            ExpectAndNext(tkRParen);
        }
        break;
    case kwDATE:
    case kwTIME:
    case kwTIMESTAMP: {
        // A typed literal: DATE '2020-01-01'; else (a column named TIME) an identifier.
        if (At(NextNonBlank()) == '\'') {
            NextToken();
            NextToken();
        } else if (Word) {
            ParseIdentFactor();
            return;
        } else {
            Error("Invalid factor in expression (" + GetTokenName(Token_) + ")");
            NextToken();
        }
        break;
    }
    case kwCAST:
        if (!Call) {
            ParseIdentFactor();
            return;
        }
        NextToken();
        ExpectAndNext(tkLParen);
        ParseExpression();
        ExpectKwAndNext(kwAS);
        ParseLocalType();
        ExpectAndNext(tkRParen);
        break;
    case kwGEN_ID:
        if (!Call) {
            ParseIdentFactor();
            return;
        }
        NextToken();
        ExpectAndNext(tkLParen);
        DependOnName(dboGenerator);
        if (Token_ == tkComma) {
            NextToken();
            ParseExpression();
        }
        ExpectAndNext(tkRParen);
        break;
    case kwCASE:
        if (Word && !Call && !IsWord("CASE")) {
            ParseIdentFactor();
            return;
        }
        NextToken();
        if (!Is(kwWHEN)) ParseExpression();
        while (Is(kwWHEN)) {
            NextToken();
            ParseExpression();
            ExpectKwAndNext(kwTHEN);
            ParseExpression();
        }
        if (Is(kwELSE)) {
            NextToken();
            ParseExpression();
        }
        ExpectKwAndNext(kwEND);
        break;
    case tkSELECT:
    case tkWITH:
        if (Word) {
            ParseIdentFactor();
            return;
        }
        ParseSelect(false);
        break;
    case tkMinus:
    case tkPlus:
        ParseAdditive();
        break;
    case tkStar:
        ColumnRef("", "*");
        NextToken();
        break;
    case tkCHARSET: // an introducer: _UTF8 'text'
        NextToken();
        ParseFactor();
        break;
    case kwDISTINCT:
        NextToken();
        ParseExpression();
        break;
    case tkDEFAULT:
        if (!Firebird4()) {
            Error("Invalid factor in expression (" + GetTokenName(Token_) + ")");
        }
        NextToken();
        break;
    case tkIdent:
    case kwUPPER:
    case kwLEFT:
    case kwRIGHT:
    case kwPOSITION:
    case kwAVG:
    case kwCOUNT:
    case kwMAX:
    case kwMIN:
    case kwSUM:
    case kwEXTRACT:
    default:
        if (Token_ == tkIdent || (Token_ >= BaseTokenCount && Call && Token_ != tkCHARSET)) {
            ParseIdentFactor();
            return;
        }
        Error("Invalid factor in expression (" + GetTokenName(Token_) + ")");
        if (Token_ != tkEOF && Token_ != tkTerminator && Token_ != tkRParen && Token_ != tkSemicolon)
            NextToken();
        return;
    }
    if (Is(kwCOLLATE)) {
        NextToken();
        if (Expect(tkIdent)) NextToken();
    }
}

void TIbExParser::ParseIdentFactor() {
    const std::string Name = Token_ == tkIdent ? TokenText() : UpperCase(TokenText());
    if (NextIsLParen()) { // a function: built in, or one of the container's
        NextToken();
        ParseFunctionArgs(Name);
        if (IsWord("OVER")) ParseWindow();
    } else {
        NextToken();
        if (Token_ == tkDot) {
            NextToken();
            const bool Context = SameText(Name, "NEW") || SameText(Name, "OLD");
            if (Context && !IsTrigger()) Error("NEW./OLD. context variable is not into trigger body.");
            if (Token_ == tkStar) {
                if (Context && !Firebird4())
                    Expect(tkIdent);
                else
                    ColumnRef(Name, "*");
                NextToken();
            } else if (Is(kwRDB_DB_KEY)) {
                NextToken();
            } else if (!Context && Token_ == tkIdent && NextIsLParen()) {
                // package.function(...): the package is what the object needs.
                Depend(Name, KindOnly(dboPackage));
                const std::string Function = TokenText();
                NextToken();
                ParseFunctionArgs(Function, false);
            } else if (Token_ == tkIdent || Token_ >= BaseTokenCount) {
                ColumnRef(Name, Token_ == tkIdent ? TokenText() : UpperCase(TokenText()));
                NextToken();
            } else {
                Expect(tkIdent);
            }
        } else if (Token_ == tkLBracket) {
            ColumnRef("", Name);
            NextToken();
            while (Token_ != tkRBracket && Token_ != tkEOF && Token_ != tkTerminator && !Aborted_) {
                const std::size_t Before = TokenStart_;
                ParseExpression();
                if (Token_ == tkComma || Token_ == tkColon) NextToken();
                if (TokenStart_ == Before) NextToken();
            }
            ExpectAndNext(tkRBracket);
        } else if (SameText(Name, "NEXT") && Is(kwVALUE)) { // NEXT VALUE FOR generator
            NextToken();
            ExpectKwAndNext(kwFOR);
            DependOnName(dboGenerator);
        } else {
            ColumnRef("", Name);
        }
    }
    if (Is(kwCOLLATE)) {
        NextToken();
        if (Expect(tkIdent)) NextToken();
    }
}

void TIbExParser::ParseFunctionArgs(const std::string& Name, bool OwnName) {
    // Built-in functions read their special forms (FROM, FOR, TO, USING, PLACING, AS type, IN,
    // LEADING/TRAILING/BOTH, EXTRACT and date parts) as separators between expressions; any other
    // name is a function of the container.
    static const char* const Builtins[] = {"ABS",
                                           "ACOS",
                                           "ASCII_CHAR",
                                           "ASCII_VAL",
                                           "ASIN",
                                           "ATAN",
                                           "ATAN2",
                                           "AVG",
                                           "BIN_AND",
                                           "BIN_NOT",
                                           "BIN_OR",
                                           "BIN_SHL",
                                           "BIN_SHR",
                                           "BIN_XOR",
                                           "BIT_LENGTH",
                                           "CAST",
                                           "CEIL",
                                           "CEILING",
                                           "CHAR_LENGTH",
                                           "CHARACTER_LENGTH",
                                           "CHAR_TO_UUID",
                                           "COALESCE",
                                           "COS",
                                           "COSH",
                                           "COT",
                                           "COUNT",
                                           "DATEADD",
                                           "DATEDIFF",
                                           "DECODE",
                                           "DECRYPT",
                                           "DENSE_RANK",
                                           "ENCRYPT",
                                           "EXP",
                                           "EXTRACT",
                                           "FIRST_DAY",
                                           "FIRST_VALUE",
                                           "FLOOR",
                                           "GEN_ID",
                                           "GEN_UUID",
                                           "HASH",
                                           "IIF",
                                           "LAG",
                                           "LAST_DAY",
                                           "LAST_VALUE",
                                           "LEAD",
                                           "LEFT",
                                           "LIST",
                                           "LN",
                                           "LOG",
                                           "LOG10",
                                           "LOWER",
                                           "LPAD",
                                           "MAX",
                                           "MAXVALUE",
                                           "MIN",
                                           "MINVALUE",
                                           "MOD",
                                           "NTH_VALUE",
                                           "NULLIF",
                                           "OCTET_LENGTH",
                                           "OVERLAY",
                                           "PI",
                                           "POSITION",
                                           "POWER",
                                           "RAND",
                                           "RANK",
                                           "RDB$GET_CONTEXT",
                                           "RDB$SET_CONTEXT",
                                           "REPLACE",
                                           "REVERSE",
                                           "RIGHT",
                                           "ROUND",
                                           "ROW_NUMBER",
                                           "RPAD",
                                           "RSA_DECRYPT",
                                           "RSA_ENCRYPT",
                                           "RSA_PRIVATE",
                                           "RSA_PUBLIC",
                                           "RSA_SIGN",
                                           "RSA_VERIFY",
                                           "SIGN",
                                           "SIN",
                                           "SINH",
                                           "SQRT",
                                           "SUBSTRING",
                                           "SUM",
                                           "TAN",
                                           "TANH",
                                           "TRIM",
                                           "TRUNC",
                                           "UPPER",
                                           "UUID_TO_CHAR",
                                           "CRYPT_HASH",
                                           "PERCENT_RANK",
                                           "CUME_DIST",
                                           "NTILE",
                                           "BASE64_ENCODE",
                                           "BASE64_DECODE",
                                           "HEX_ENCODE",
                                           "HEX_DECODE"};
    bool Builtin = false;
    for (const char* B : Builtins)
        if (OwnName && SameText(Name, B)) {
            Builtin = true;
            break;
        }
    if (!Builtin && OwnName) Depend(Name, FunctionKinds());
    TNesting N(*this);
    if (!N.Ok()) return;
    ExpectAndNext(tkLParen);
    if (SameText(Name, "EXTRACT")) {
        if (!OneOfWords(*this, {"YEAR", "MONTH", "DAY", "HOUR", "MINUTE", "SECOND", "WEEKDAY", "YEARDAY",
                                "WEEK", "MILLISECOND", "TIMEZONE_HOUR", "TIMEZONE_MINUTE"}) &&
            !Is(kwYEAR) && !Is(kwYEARDAY))
            Error("Invalid <part> in EXTRACT(part FROM value) function.");
        NextToken();
        ExpectKwAndNext(tkFROM);
        ParseExpression();
        ExpectAndNext(tkRParen);
        return;
    }
    const bool DateFunc = SameText(Name, "DATEDIFF") || SameText(Name, "DATEADD");
    auto DatePart = [&] {
        return OneOfWords(*this, {"YEAR", "MONTH", "DAY", "HOUR", "MINUTE", "SECOND", "MILLISECOND", "WEEK",
                                  "WEEKDAY", "YEARDAY", "QUARTER"}) ||
               Is(kwYEAR) || Is(kwYEARDAY);
    };
    if (DateFunc && SameText(Name, "DATEDIFF") && !DatePart())
        Error("Invalid timestamp part in DATEDIFF function.");
    if (Is(kwALL) || Is(kwDISTINCT)) NextToken();
    if (Token_ == tkStar) { // COUNT(*)
        NextToken();
        ExpectAndNext(tkRParen);
        return;
    }
    while (Token_ != tkRParen && Token_ != tkEOF && Token_ != tkTerminator && !Aborted_) {
        const std::size_t Before = TokenStart_;
        if (Builtin &&
            (Token_ == tkFROM || Is(kwFOR) || Is(tkTO) || Is(kwUSING) || Token_ == kwIN ||
             IsWord("PLACING") || IsWord("LEADING") || IsWord("TRAILING") || IsWord("BOTH") ||
             IsWord("MODE") || IsWord("KEY") || IsWord("IV") || IsWord("COUNTER") ||
             IsWord("CTR_BIG_ENDIAN") || IsWord("CTR_LITTLE_ENDIAN") || IsWord("CTR_LENGTH") ||
             IsWord("LPARAM") || IsWord("SIGNATURE") || IsWord("SALT_LENGTH") || IsWord("PKCS_1_5"))) {
            NextToken();
        } else if (Builtin && Is(kwAS)) {
            NextToken();
            ParseLocalType();
        } else if (Token_ == tkComma) {
            NextToken();
        } else if (DateFunc && DatePart()) {
            NextToken();
        } else if (Builtin && SameText(Name, "HASH") && Token_ == tkIdent) {
            NextToken(); // the algorithm
        } else if (SameText(Name, "POSITION")) {
            ParseAdditive(); // POSITION(a IN b): the IN separates two values, it is no predicate
        } else {
            ParseExpression();
        }
        if (TokenStart_ == Before) {
            Error("Invalid factor in expression (" + GetTokenName(Token_) + ")");
            NextToken();
        }
    }
    ExpectAndNext(tkRParen);
}

} // namespace smx
