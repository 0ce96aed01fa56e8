// smxClasses: statements and the executor interface, schema objects with their dependency walkers,
// the object container and the extractor, structure and comparer bases. See the header.
#include "model/smxClasses.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "foundation/smxMsg.h"
#include "model/smxKeywords.h"
#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"
#include "platform/smxTypeMemo.h"

namespace smx {

bool StopRequested = false;
bool DependencyTrace = false;

// ===================================================================================================
// TStatement

namespace {
// A LF not after a CR, or a CR not before a LF: a line break that Lines would turn into CR LF.
bool HasLoneLineBreak(std::string_view Text) {
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '\n' && (i == 0 || Text[i - 1] != '\r')) return true;
        if (Text[i] == '\r' && (i + 1 == Text.size() || Text[i + 1] != '\n')) return true;
    }
    return false;
}
} // namespace

bool TStatement::KeepsSourceText() const {
    if (SourceText.empty()) return false;
    // Lines edited since the statement was added win over the kept text.
    const std::vector<std::string> lines = SplitLines(SourceText);
    if (static_cast<int>(lines.size()) != Lines.Count()) return false;
    for (int i = 0; i < Lines.Count(); ++i)
        if (Lines[i] != lines[static_cast<std::size_t>(i)]) return false;
    return true;
}

std::string TStatement::GetCaption() const {
    using enum TDbOperation;
    std::string caption;
    if (ObjKind == TDbObject::dboField) {
        caption = ParentName + " (" + ObjName + ")" + ": alter";
    } else {
        std::string_view op;
        switch (Operation) {
        case odbCreate:
            op = ": create";
            break;
        case odbAlter:
            op = ": alter";
            break;
        case odbDrop:
            op = ": drop";
            break;
        case odbEmpty:
            op = ": empty body";
            break;
        case odbRestore:
            op = ": restore body";
            break;
        case odbEmptyCreate:
            op = ": create empty";
            break;
        case odbEmptyDrop:
            op = ": empty before drop";
            break;
        case odbDescription:
            op = ": description";
            break;
        case odbInsert:
            op = ": insert";
            break;
        case odbUpdate:
            op = ": update";
            break;
        case odbDelete:
            op = ": delete";
            break;
        default:
            break;
        }
        caption = ObjName + std::string(op);
    }
    if (caption.empty() && Lines.Count() > 0) caption = Lines[0];
    return caption;
}

// ===================================================================================================
// TCustomSQLExec

TCustomSQLExec::TCustomSQLExec(TComponent* AOwner) : TComponent(AOwner) {}

TCustomSQLExec::~TCustomSQLExec() {
    // Statements first, so watchers hear of them while we are still whole; then the containers.
    NotifyFreed(nullptr);
    Statements_.clear();
    watches_.clear();
    for (TCustomObjs* objs : linkedObjs_)
        objs->SQLExec_ = nullptr;
    linkedObjs_.clear();
}

void TCustomSQLExec::DoLogNextLine(const std::string& Text) {
    if (OnLogNextLine) OnLogNextLine(this, Text);
}

void TCustomSQLExec::DoProgressUpdate(int Value, int MaxValue) {
    if (OnProgressUpdate) OnProgressUpdate(this, Value, MaxValue);
}

void TCustomSQLExec::DoErrorMessage(const std::string& Text) {
    if (OnErrorMessage)
        OnErrorMessage(this, Text);
    else
        ShowMessageBox(Text);
    ++ErrorCount_;
}

void TCustomSQLExec::DoStatementAdd(TStatement* Statement, bool& Accept) {
    if (OnStatementAdd) OnStatementAdd(this, Statement, Accept);
}

void TCustomSQLExec::DoBeforeStatementExecute(int Index) {
    if (OnBeforeStatementExecute) OnBeforeStatementExecute(this, Index);
}

void TCustomSQLExec::DoAfterStatementExecute(int Index) {
    if (OnAfterStatementExecute) OnAfterStatementExecute(this, Index);
}

std::unique_ptr<TStatement> TCustomSQLExec::CreateStatement() {
    std::unique_ptr<TStatement> st;
    if (OnStatementCreate) OnStatementCreate(this, st);
    if (!st) st = std::make_unique<TStatement>(this);
    return st;
}

bool TCustomSQLExec::ExecuteStatement(TStatement* Statement) {
    (void)Statement;
    return false;
}

void TCustomSQLExec::LoadScriptFromFile(const std::string& FileName) {
    if (OnLoadScript) {
        ScriptFileName_ = FileName;
        TStringList list;
        bool loaded = false;
        OnLoadScript(this, FileName, list, loaded);
        LoadScript(list);
    } else if (FileExists(FileName)) {
        ScriptFileName_ = FileName;
        std::ifstream in(FileName, std::ios::binary);
        LoadScriptFromStream(&in);
    } else {
        ScriptFileName_.clear();
        DoErrorMessage("File not found: " + FileName);
    }
}

void TCustomSQLExec::LoadScriptFromStream(std::istream* Stream) {
    if (!Stream) return;
    std::string text{std::istreambuf_iterator<char>(*Stream), std::istreambuf_iterator<char>()};
    TStringList lines;
    lines.SetText(text);
    LoadScript(lines);
}

void TCustomSQLExec::LoadScript(const TStringList& Lines) {
    (void)Lines;
}

TStatement* TCustomSQLExec::AddStatement(std::string_view Text, TStatType StatType, std::string_view ObjName,
                                         TDbObject ObjKind, TDbOperation Operation,
                                         std::string_view ParentName, std::string_view Terminator) {
    using enum TStatType;
    if (Text.empty() && StatType != stComment) return nullptr;
    std::unique_ptr<TStatement> st = CreateStatement();
    st->Lines.SetText(Text);
    st->SourceText.clear();
    if (HasLoneLineBreak(Text)) st->SourceText = Text;
    st->StatType = StatType;
    st->ObjName = ObjName;
    st->ObjKind = ObjKind;
    st->Operation = Operation;
    st->ParentName = ParentName;
    st->LineCount = st->Lines.Count();
    if (!Terminator.empty())
        st->Terminator = Terminator;
    else if (StatType != stComment)
        st->Terminator = GetStatementTerminator(DatabaseType_);
    else
        st->Terminator.clear();
    bool accept = true;
    DoStatementAdd(st.get(), accept);
    if (!accept) return nullptr; // freed here; it never entered the list
    TStatement* result = st.get();
    Statements_.push_back(std::move(st));
    LineTotal_ += result->LineCount + 1;
    switch (StatType) {
    case stStatement:
    case stProcedure:
    case stTrigger:
    case stDescription:
    case stInsert:
    case stUpdate:
    case stDelete:
    case stPackage: // a package header or body changes the schema like any other DDL
    case stExecuteBlock:
        HasExecutableStatements_ = 1;
        break;
    default:
        break;
    }
    return result;
}

TStatement* TCustomSQLExec::AddComment(std::string_view Text) {
    (void)Text;
    return nullptr;
}

void TCustomSQLExec::ParseConnectSQL(std::string_view Text) {
    (void)Text;
}

void TCustomSQLExec::ClearStatements() {
    NotifyFreed(nullptr);
    Statements_.clear();
    LineTotal_ = 0;
    HasExecutableStatements_ = 0;
}

void TCustomSQLExec::DeleteStatement(int Index) {
    if (Index < 0 || Index >= GetStatementCount()) return;
    NotifyFreed(Statements_[static_cast<std::size_t>(Index)].get());
    Statements_.erase(Statements_.begin() + Index);
}

TStatement* TCustomSQLExec::AddDescription(TDbObj* Obj) {
    using enum TDbObject;
    if (!Obj) return nullptr;
    // A routine flagged as a function keeps its description (and its arguments theirs) with the
    // functions, not with the procedures: the statement names it as a function.
    auto kindOf = [](const TDbObj& o) {
        return o.GetKind() == dboProcedure && o.IsFunction() ? dboFunction : o.GetKind();
    };
    std::string parent;
    TDbObject parentKind = dboUnknown;
    if (Obj->GetKind() == dboField || Obj->GetKind() == dboParam)
        if (TDbObj* p = Obj->GetParentObject())
            if (p->GetKind() == dboTable || p->GetKind() == dboView || p->GetKind() == dboProcedure) {
                parent = p->GetName();
                parentKind = kindOf(*p);
            }
    TStatement* st = AddStatement(Obj->GetDescriptionSQL(), TStatType::stDescription, Obj->GetName(),
                                  kindOf(*Obj), TDbOperation::odbDescription, parent, "");
    if (st) {
        st->Description = Obj->GetDescription();
        st->ParentKind = parentKind;
    }
    return st;
}

void TCustomSQLExec::GetScriptLines(TStringList& Lines, bool MarkLines) {
    (void)Lines;
    (void)MarkLines;
}

bool TCustomSQLExec::ExecuteScript() {
    ErrorCount_ = 0;
    return true;
}

void TCustomSQLExec::WatchStatements(const void* Watcher, std::function<void(TStatement*)> OnFreed) {
    for (auto& w : watches_)
        if (w.watcher == Watcher) {
            w.onFreed = std::move(OnFreed);
            return;
        }
    watches_.push_back({Watcher, std::move(OnFreed)});
}

void TCustomSQLExec::UnwatchStatements(const void* Watcher) {
    std::erase_if(watches_, [Watcher](const Watch& w) { return w.watcher == Watcher; });
}

void TCustomSQLExec::StatementFreed(TStatement* Statement) {
    (void)Statement;
}

void TCustomSQLExec::NotifyFreed(TStatement* Statement) {
    StatementFreed(Statement);
    // A handler may unwatch; walk a copy.
    std::vector<Watch> copy = watches_;
    for (auto& w : copy)
        if (w.onFreed) w.onFreed(Statement);
}

// ===================================================================================================
// TDbObj

namespace {

bool IsOneOf(TDatabaseType t, std::initializer_list<TDatabaseType> set) {
    return std::find(set.begin(), set.end(), t) != set.end();
}

// Line breaks normalised to CR LF, outer blanks and control characters trimmed. CR and LF are
// among the trimmed bytes, so the ends are trimmed first and the text is copied once.
std::string NormaliseText(std::string_view Value) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t b = 0, e = Value.size();
    while (b < e && blank(Value[b]))
        ++b;
    while (e > b && blank(Value[e - 1]))
        --e;
    return AdjustLineBreaks(Value.substr(b, e - b));
}

} // namespace

TDbObj::TDbObj(TCustomObjs* AOwner) : Owner_(AOwner) {}

TDbObj::~TDbObj() {
    // 1. Records held by other objects (or by ourselves) that refer to us are taken out of their
    //    holders' lists and freed; a record that only leads through us as its second object keeps
    //    its place and forgets us. The chain is ours alone from here on; it is walked once and left
    //    behind (a link passed is not read again).
    RefLink* head = std::exchange(referencedBy_, nullptr);
    for (RefLink* l = head; l;) {
        TDependObj* rec = l->rec;
        RefLink* next = l->next;
        if (l != &rec->referencedLink_) { // a second link: the record stays
            l->prev = l->next = nullptr;
            rec->second_->Obj = nullptr;
            l = next;
            continue;
        }
        // A record that also leads through us further on has that link taken off the rest of the
        // chain before the record goes.
        if (rec->second_ && rec->second_->Obj == this) {
            UnlinkRef(head, rec->second_->Link);
            rec->second_->Obj = nullptr;
            next = l->next;
        }
        l->prev = l->next = nullptr;
        rec->Referenced_ = nullptr;
        // A record made on its own (no holder) is not ours to free; it no longer points at us.
        if (TDbObj* holder = rec->Holder_; holder && holder->links_) {
            (rec->inUsedBy_ ? holder->links_->UsedBy : holder->links_->DependsOn).TakeOut(rec);
            delete rec;
        }
        l = next;
    }
    // 2. Our own records go; each tells the object it refers to.
    if (links_) {
        links_->UsedBy.Clear();
        links_->DependsOn.Clear();
    }
    // 3. Partner links in both directions.
    if (Partner_ && Partner_->links_) std::erase(Partner_->links_->partneredBy, this);
    if (links_) {
        for (TDbObj* p : links_->partneredBy)
            p->Partner_ = nullptr;
        links_->partneredBy.clear();
    }
}

const TDependList& TDbObj::NoRecords() {
    static const TDependList none;
    return none;
}

void TDbObj::SetExists(bool Value) {
    Exists = Value ? 1 : 0;
    if (Partner_) Partner_->Exists = Exists;
}

void TDbObj::SetPartner(TDbObj* Partner) {
    if (Partner_ == Partner) return;
    if (Partner_ && Partner_->links_) std::erase(Partner_->links_->partneredBy, this);
    Partner_ = Partner;
    if (Partner_) Partner_->EnsureLinks().partneredBy.push_back(this);
}

namespace {
// MS SQL names compare without case unless the options say otherwise: they are kept upper-cased.
bool KeepsNamesUpper(TCustomObjs* Owner) {
    return Owner && Owner->GetDatabaseType() == TDatabaseType::dbMSSQL &&
           !Owner->GetMSSQLServerOptions().GetMSSQLCompareOptions().GetCaseSensitiveIdentifiers();
}

std::string NameAsKept(TCustomObjs* Owner, std::string_view Value) {
    return KeepsNamesUpper(Owner) ? UpperCase(Value) : std::string(Value);
}
} // namespace

void TDbObj::SetName(std::string_view Value) {
    // Stored in place (no interim copy): a large structure names hundreds of thousands of columns.
    if (KeepsNamesUpper(Owner_))
        Name_ = UpperCase(Value);
    else
        Name_.assign(Value);
}

void TDbObj::SetParentName(std::string_view Value) {
    if (KeepsNamesUpper(Owner_))
        ParentName_ = UpperCase(Value);
    else
        ParentName_ = Value;
}

void TDbObj::SetDescription(std::string_view Value) {
    Description_ = NormaliseText(Value);
}

namespace {
std::atomic<std::uint64_t> ColumnSourceWriteCount{0};
} // namespace

void TDbObj::SetSource(std::string_view Value) {
    if (Kind_ == TDbObject::dboField) ColumnSourceWriteCount.fetch_add(1, std::memory_order_relaxed);
    Source_ = NormaliseText(Value);
    if (!Source_.empty()) mayHaveState_ = true;
}

std::uint64_t TDbObj::ColumnSourceWrites() {
    return ColumnSourceWriteCount.load(std::memory_order_relaxed);
}

std::string TDbObj::GetNamePrefix() const {
    return Owner_ ? Owner_->GetNamePrefix() : std::string();
}

std::string TDbObj::GetShortName() const {
    // The structure's prefix is read in place: pairing asks this of every object and column.
    const TCustomDBStructure* structure = Owner_ ? Owner_->GetStructure() : nullptr;
    if (structure) {
        const std::string& prefix = structure->GetNamePrefix();
        if (!prefix.empty() && StartsStr(prefix, Name_)) return Name_.substr(prefix.size());
    }
    return Name_;
}

std::string TDbObj::GetPartnerName() const {
    std::string prefix;
    if (Owner_ && Owner_->GetPartnerObjs()) prefix = Owner_->GetPartnerObjs()->GetNamePrefix();
    return prefix + GetShortName();
}

TDatabaseType TDbObj::GetDatabaseType() const {
    if (!Owner_) return TDatabaseType::dbAbstract;
    if (Owner_->Comparing && Owner_->GetPartnerObjs()) return Owner_->GetPartnerObjs()->GetDatabaseType();
    return Owner_->GetDatabaseType();
}

const TIBServerOptions* TDbObj::GetIBServerOptions() const {
    if (!Owner_) return nullptr;
    if (Owner_->Comparing && Owner_->GetPartnerObjs()) return &Owner_->GetPartnerObjs()->GetIBServerOptions();
    return &Owner_->GetIBServerOptions();
}

TCmpObjSetType TDbObj::GetCompareObjects() const {
    return Owner_ ? Owner_->GetCompareObjects() : AllCmpObjTypes;
}

TCustomSQLExec* TDbObj::GetSQLExec() const {
    return Owner_ ? Owner_->GetSQLExec() : nullptr;
}

TUpdateDescriptionType TDbObj::GetUpdateDescriptionMode() const {
    if (GetDatabaseType() == TDatabaseType::dbInterBase)
        if (const TIBServerOptions* ib = GetIBServerOptions())
            return ib->GetIBCompareOptions().GetUpdateDescriptionMode();
    return TUpdateDescriptionType::udDescribe;
}

bool TDbObj::HasMissingDependency() const {
    for (int i = 0; i < GetDependsOn().Count(); ++i) {
        const TDependObj* e = DependsOnItem(i);
        TDbObj* n = e->GetReferenced();
        if (e->Recreate && n && n != this && !n->GetExists()) return true;
    }
    return false;
}

TDependObj* TDbObj::UsedByItem(int Index) const {
    return GetUsedBy().Objects(Index);
}

TDependObj* TDbObj::DependsOnItem(int Index) const {
    return GetDependsOn().Objects(Index);
}

TDependObj* TDbObj::FindDependsOn(const TDbObj* Needed) const {
    for (int i = 0; i < GetDependsOn().Count(); ++i)
        if (DependsOnItem(i)->GetReferenced() == Needed) return DependsOnItem(i);
    return nullptr;
}

void TDbObj::ClearDependencies() {
    if (!links_) return;
    links_->UsedBy.Clear();
    links_->DependsOn.Clear();
}

void TDbObj::ClearDependsOn() {
    if (!links_) return;
    TDependList& dependsOn = links_->DependsOn;
    for (int i = 0; i < dependsOn.Count(); ++i) {
        TDbObj* needed = dependsOn.Objects(i)->GetReferenced();
        if (!needed || !needed->links_) continue;
        TDependList& usedBy = needed->links_->UsedBy;
        for (int j = usedBy.Count() - 1; j >= 0; --j)
            if (usedBy.Objects(j)->GetReferenced() == this) usedBy.Delete(j);
    }
    dependsOn.Clear();
}

std::string TDbObj::GetQualifiedObjectName() const {
    using enum TDatabaseType;
    const TDatabaseType t = GetDatabaseType();
    const TDbObject k = Kind_;
    if (t == dbSybaseASA &&
        (k == TDbObject::dboTable || k == TDbObject::dboProcedure || k == TDbObject::dboView)) {
        if (Owner2.empty()) return "DBA." + QuoteName(Name_);
        return QuoteName(Owner2) + "." + QuoteName(Name_);
    }
    if (IsOneOf(t, {dbOracle, dbMSSQL, dbPostgreSQL, dbDB2}) && !ParentName_.empty() &&
        k != TDbObject::dboField)
        return QuoteName(ParentName_) + "." + QuoteName(Name_);
    return QuoteName(Name_);
}

std::string TDbObj::GetFullName() const {
    using enum TDatabaseType;
    const TDatabaseType t = GetDatabaseType();
    if (t == dbMSSQL || t == dbPostgreSQL) {
        std::string s = Name_;
        const std::string table = GetTableName();
        if (Kind_ == TDbObject::dboIndex && !table.empty()) s = table + "." + s;
        if (!ParentName_.empty()) s = ParentName_ + "." + s;
        return s;
    }
    if (t == dbSybaseASA || t == dbOracle || t == dbDB2) return GetQualifiedName(ParentName_, Name_);
    return GetShortName();
}

std::string TDbObj::GetDisplayName() const {
    using enum TDatabaseType;
    std::string shortName = GetShortName();
    if (shortName.empty()) shortName = !OverrideName.empty() ? OverrideName.str() : GetCreateSQL();
    const TDatabaseType t = GetDatabaseType();
    if (t == dbSybaseASA) return Owner2.empty() ? shortName : Owner2 + "." + shortName;
    if (t == dbMSSQL || t == dbPostgreSQL || t == dbDB2)
        return Kind_ == TDbObject::dboField ? Name_ : GetQualifiedObjectName();
    return shortName;
}

std::string TDbObj::GetCompareSQL() const {
    std::string s = GetCreateSQL();
    if (Kind_ == TDbObject::dboView && GetDatabaseType() == TDatabaseType::dbPostgreSQL) {
        s = StringReplace(s, "\r\n", " ");
        s = StringReplace(s, "\n", " ");
        s = StringReplace(s, "\r", " ");
        while (s.find("  ") != std::string::npos)
            s = StringReplace(s, "  ", " ");
    }
    return s;
}

std::string TDbObj::GetCreateScript() const {
    if (TCustomSQLExec* exec = GetSQLExec()) exec->SetCurrentSchema(ParentName_);
    if (Ignore) return {};
    return GetCreateSQL();
}

std::string TDbObj::GetDropSQL() const {
    using enum TDbObject;
    std::string s = "/* Drop: " + Name_ + " (" + std::string(ClassName()) + ") */" + "\r\n";
    switch (Kind_) {
    case dboFunction:
        return s + "DROP EXTERNAL FUNCTION " + QuoteName(Name_);
    case dboException:
        return s + "DROP EXCEPTION " + QuoteName(Name_);
    case dboIndex:
        return s + "DROP INDEX " + QuoteName(Name_);
    case dboDomain:
        return s + "DROP DOMAIN " + QuoteName(Name_);
    case dboField:
        return s + "ALTER TABLE " + QuoteName(GetTableName()) + " DROP " + QuoteName(Name_);
    case dboCollation:
        return s + "DROP COLLATION " + QuoteName(Name_);
    case dboRule:
        return s + "DROP RULE " + QuoteName(Name_);
    case dboDefault:
        return s + "DROP DEFAULT " + QuoteName(Name_);
    default:
        return s;
    }
}

std::string TDbObj::GetAlterSQL() const {
    return "/* Alter " + GetDisplayName() + " */";
}

std::string TDbObj::GetCachedSQL() const {
    return !CachedSQL.empty() ? CachedSQL.str() : GetCreateSQL();
}

std::string TDbObj::FormatComment(std::string_view Text) const {
    if (GetDatabaseType() == TDatabaseType::dbSybaseASA) return "% " + std::string(Text);
    return "/* " + std::string(Text) + " */";
}

void TDbObj::AppendQuotedName(std::string& Text, std::string_view Name) const {
    // The InterBase rule of QuoteName, in place: the texts of a large script's keys and indices
    // quote hundreds of thousands of names for the log.
    if (Owner_ && GetDatabaseType() == TDatabaseType::dbInterBase) {
        const TIBServerOptions* ib = GetIBServerOptions();
        if (ib->GetSQLDialect() != 3 || !IsReservedWord(Name, ib->GetSQLServerVersion())) {
            Text += Name;
            return;
        }
    }
    Text += QuoteName(Name);
}

std::string TDbObj::QuoteName(std::string_view Name) const {
    if (!Owner_) return std::string(Name);
    const TDatabaseType t = GetDatabaseType();
    if (t != TDatabaseType::dbCustomOLEDB) {
        const TIBServerOptions* ib = GetIBServerOptions();
        return TCustomObjs::QuoteIdentifier(Name, t, ib->GetSQLServerVersion(), ib->GetSQLDialect());
    }
    switch (Owner_->QuoteStyle) {
    case 2:
        return QuotedStr(Name, '\'');
    case 3:
        return QuotedStr(Name, '"');
    case 4:
        return "[" + StringReplace(Name, "]", "]]") + "]";
    default:
        return std::string(Name);
    }
}

// ---- Descriptions ---------------------------------------------------------------------------------

namespace {

// The owner of a column or parameter, classified.
enum class ColumnOwner { None, Table, View, Routine };

ColumnOwner ColumnOwnerOf(const TDbObj& obj) {
    using enum TDbObject;
    if (obj.GetKind() != dboField && obj.GetKind() != dboParam) return ColumnOwner::None;
    TDbObj* p = obj.GetParentObject();
    if (p && p->GetKind() == dboProcedure) return ColumnOwner::Routine;
    if (obj.GetKind() == dboParam) return ColumnOwner::Routine;
    if (p && p->GetKind() == dboView) return ColumnOwner::View;
    return ColumnOwner::Table;
}

// The name of the table, view or routine a column belongs to.
std::string ColumnOwnerName(const TDbObj& obj) {
    if (TDbObj* p = obj.GetParentObject()) return p->GetName();
    return obj.GetTableName();
}

} // namespace

std::string TDbObj::GetDescriptionSQL() const {
    if (Ignore || !GetCompareObjects().contains(TCmpObjType::coDescription)) return {};
    const TDatabaseType t = GetDatabaseType();
    if (t == TDatabaseType::dbInterBase) return DescriptionSQLInterBase();
    return DescriptionSQLOther(t);
}

std::string TDbObj::DescriptionSQLInterBase() const {
    using enum TDbObject;
    const std::string D = QuotedStr(Description_);
    const std::string N = QuotedStr(Name_);
    const std::string Q = QuoteName(Name_);
    const ColumnOwner colOwner = ColumnOwnerOf(*this);
    const std::string owner = ColumnOwnerName(*this);
    const TIBServerOptions* ib = GetIBServerOptions();
    const bool ib2020 = ib && ib->GetSQLServerVersion() == TIBSQLServerVersionType::st_InterBase_2020;

    // The kind word of COMMENT ON and ALTER DESCRIPTION FOR.
    auto commentWord = [&]() -> std::string {
        switch (Kind_) {
        case dboDomain:
            return "DOMAIN";
        case dboTable:
            return "TABLE";
        case dboView:
            return "VIEW";
        case dboProcedure:
            return IsFunction() ? "FUNCTION" : "PROCEDURE";
        case dboTrigger:
            return "TRIGGER";
        case dboFunction:
            return "EXTERNAL FUNCTION";
        case dboException:
            return "EXCEPTION";
        case dboGenerator:
            return "GENERATOR";
        case dboIndex:
            return "INDEX";
        case dboRole:
            return "ROLE";
        case dboCollation:
            return "COLLATION";
        case dboPackage:
            return "PACKAGE";
        default:
            return {};
        }
    };

    if (ib2020) {
        if (Kind_ == dboDatabase) return "ALTER DESCRIPTION FOR DATABASE SET\r\n" + D;
        if (colOwner == ColumnOwner::Routine)
            return "ALTER DESCRIPTION FOR PARAMETER " + QuoteName(owner) + "." + Q + " SET" + "\r\n" + D;
        if (colOwner != ColumnOwner::None)
            return "ALTER DESCRIPTION FOR COLUMN " + QuoteName(owner) + "." + Q + " SET" + "\r\n" + D;
        const std::string word = commentWord();
        if (word.empty()) return {};
        return "ALTER DESCRIPTION FOR " + word + " " + Q + " SET" + "\r\n" + D;
    }

    switch (GetUpdateDescriptionMode()) {
    case TUpdateDescriptionType::udSysTables: {
        // A function's own row and its arguments are kept with the functions.
        const TDbObj* routine = GetParentObject();
        if (colOwner == ColumnOwner::Routine && routine && routine->IsFunction())
            return "UPDATE RDB$FUNCTION_ARGUMENTS SET RDB$DESCRIPTION = \r\n" + D + "\r\n" +
                   "WHERE RDB$FUNCTION_NAME = " + QuotedStr(owner) + " AND RDB$ARGUMENT_NAME = " + N;
        if (colOwner == ColumnOwner::Routine)
            return "UPDATE RDB$PROCEDURE_PARAMETERS SET RDB$DESCRIPTION = \r\n" + D + "\r\n" +
                   "WHERE RDB$PROCEDURE_NAME = " + QuotedStr(owner) + " AND RDB$PARAMETER_NAME = " + N;
        if (colOwner != ColumnOwner::None)
            return "UPDATE RDB$RELATION_FIELDS SET RDB$DESCRIPTION = \r\n" + D + "\r\n" +
                   "WHERE RDB$RELATION_NAME = " + QuotedStr(owner) + " AND RDB$FIELD_NAME = " + N;
        std::string table, column;
        switch (Kind_) {
        case dboDomain:
            table = "RDB$FIELDS", column = "RDB$FIELD_NAME";
            break;
        case dboTable:
        case dboView:
            table = "RDB$RELATIONS", column = "RDB$RELATION_NAME";
            break;
        case dboProcedure:
            if (IsFunction())
                table = "RDB$FUNCTIONS", column = "RDB$FUNCTION_NAME";
            else
                table = "RDB$PROCEDURES", column = "RDB$PROCEDURE_NAME";
            break;
        case dboTrigger:
            table = "RDB$TRIGGERS", column = "RDB$TRIGGER_NAME";
            break;
        case dboException:
            table = "RDB$EXCEPTIONS", column = "RDB$EXCEPTION_NAME";
            break;
        case dboIndex:
            table = "RDB$INDICES", column = "RDB$INDEX_NAME";
            break;
        case dboFunction:
            table = "RDB$FUNCTIONS", column = "RDB$FUNCTION_NAME";
            break;
        case dboGenerator:
            table = "RDB$GENERATORS", column = "RDB$GENERATOR_NAME";
            break;
        case dboRole:
            table = "RDB$ROLES", column = "RDB$ROLE_NAME";
            break;
        case dboPackage:
            table = "RDB$PACKAGES", column = "RDB$PACKAGE_NAME";
            break;
        default:
            return {};
        }
        return "UPDATE " + table + " SET RDB$DESCRIPTION = \r\n" + D + "\r\n" + "WHERE " + column + " = " + N;
    }
    case TUpdateDescriptionType::udDescribe: {
        if (colOwner == ColumnOwner::Routine)
            return "DESCRIBE PARAMETER " + Q + " PROCEDURE " + QuoteName(owner) + "\r\n" + D;
        if (colOwner != ColumnOwner::None)
            return "DESCRIBE FIELD " + Q + (colOwner == ColumnOwner::View ? " VIEW " : " TABLE ") +
                   QuoteName(owner) + "\r\n" + D;
        std::string word;
        switch (Kind_) {
        case dboDomain:
            word = "DOMAIN";
            break;
        case dboTable:
            word = "TABLE";
            break;
        case dboProcedure:
            word = IsFunction() ? "FUNCTION" : "PROCEDURE";
            break;
        case dboTrigger:
            word = "TRIGGER";
            break;
        case dboException:
            word = "EXCEPTION";
            break;
        case dboIndex:
            word = "INDEX";
            break;
        case dboFunction:
            word = "FUNCTION";
            break;
        case dboView:
            word = "VIEW";
            break;
        case dboGenerator:
            word = "GENERATOR";
            break;
        case dboRole:
            word = "ROLE";
            break;
        default:
            return {};
        }
        return "DESCRIBE " + word + " " + Q + "\r\n" + D;
    }
    case TUpdateDescriptionType::udComment: {
        if (Kind_ == dboDatabase) return "COMMENT ON DATABASE IS\r\n" + D;
        if (colOwner == ColumnOwner::Routine)
            return "COMMENT ON PARAMETER " + QuoteName(owner) + "." + Q + " IS" + "\r\n" + D;
        if (colOwner != ColumnOwner::None)
            return "COMMENT ON COLUMN " + QuoteName(owner) + "." + Q + " IS" + "\r\n" + D;
        const std::string word = commentWord();
        if (word.empty()) return {};
        return "COMMENT ON " + word + " " + Q + " IS" + "\r\n" + D;
    }
    }
    return {};
}

std::string TDbObj::DescriptionSQLOther(TDatabaseType Type) const {
    using enum TDbObject;
    using enum TDatabaseType;
    const std::string D = GetSQLStringLiteral(Description_, Type);
    const std::string Q = QuoteName(Name_);
    const ColumnOwner colOwner = ColumnOwnerOf(*this);
    const std::string owner = ColumnOwnerName(*this);
    const std::string routineWord = IsFunction() ? "FUNCTION" : "PROCEDURE";

    switch (Type) {
    case dbSybaseASA: {
        if (colOwner == ColumnOwner::Table)
            return "COMMENT ON COLUMN " + QuoteName(owner) + "." + Q + " IS" + "\r\n" + D;
        std::string word;
        switch (Kind_) {
        case dboTable:
            word = "TABLE";
            break;
        case dboProcedure:
            word = routineWord;
            break;
        case dboTrigger:
            word = "TRIGGER";
            break;
        case dboIndex:
            word = "INDEX";
            break;
        case dboView:
            word = "VIEW";
            break;
        case dboGenerator:
            word = "SEQUENCE";
            break;
        case dboRole:
            word = "ROLE";
            break;
        case dboPackage:
            word = "PACKAGE";
            break;
        case dboDomain:
            word = "DOMAIN";
            break;
        default:
            return {};
        }
        return "COMMENT ON " + word + " " + Q + " IS" + "\r\n" + D;
    }
    case dbOracle: {
        if (colOwner == ColumnOwner::Table || colOwner == ColumnOwner::View)
            return "COMMENT ON COLUMN " + QuoteName(owner) + "." + Q + " IS " + D;
        std::string word;
        switch (Kind_) {
        case dboTable:
            word = "TABLE";
            break;
        case dboProcedure:
            word = routineWord;
            break;
        case dboTrigger:
            word = "TRIGGER";
            break;
        case dboIndex:
            word = "INDEX";
            break;
        case dboDomain:
            word = "TYPE";
            break;
        case dboView:
            word = "VIEW";
            break;
        case dboGenerator:
            word = "SEQUENCE";
            break;
        case dboRole:
            word = "ROLE";
            break;
        case dboPackage:
            word = "PACKAGE";
            break;
        default:
            return "/* COMMENT ON... */";
        }
        return "COMMENT ON " + word + " " + GetQualifiedObjectName() + " IS " + D;
    }
    case dbMSSQL: {
        auto lit = [](std::string_view s) { return GetSQLStringLiteral(s, dbMSSQL); };
        const TMSSQLServerOptions* ms = Owner_ ? &(Owner_->Comparing && Owner_->GetPartnerObjs()
                                                       ? Owner_->GetPartnerObjs()->GetMSSQLServerOptions()
                                                       : Owner_->GetMSSQLServerOptions())
                                               : nullptr;
        const int level = ms ? ms->GetMSSQLDatabaseOptions().GetCompatibilityLevel() : 0;
        const bool sys = ms && ms->GetSQLServerVersion() > TMSSQLServerVersionType::st_MSSQL2000 &&
                         (level == 0 || level > 90);
        std::string s = sys ? "exec sys.sp_addextendedproperty " : "exec dbo.sp_addextendedproperty ";
        // Level 1 is the table, view, routine or type; level 2 a column, parameter, trigger or index.
        std::string schema = ParentName_, level1Type, level1Name, level2Type, level2Name;
        TDbObj* parent = GetParentObject();
        if (colOwner != ColumnOwner::None) {
            if (parent) schema = parent->GetParentName();
            level1Type = colOwner == ColumnOwner::Routine
                             ? (parent && parent->IsFunction() ? "FUNCTION" : "PROCEDURE")
                             : (colOwner == ColumnOwner::View ? "VIEW" : "TABLE");
            level1Name = owner;
            level2Type = colOwner == ColumnOwner::Routine ? "PARAMETER" : "COLUMN";
            level2Name = Name_;
        } else if (Kind_ == dboTrigger || Kind_ == dboIndex) {
            level1Type = "TABLE";
            level1Name = GetTableName();
            level2Type = Kind_ == dboTrigger ? "TRIGGER" : "INDEX";
            level2Name = Name_;
        } else {
            switch (Kind_) {
            case dboTable:
                level1Type = "TABLE";
                break;
            case dboView:
                level1Type = "VIEW";
                break;
            case dboProcedure:
                level1Type = routineWord;
                break;
            case dboDomain:
                level1Type = "TYPE";
                break;
            default:
                break;
            }
            if (!level1Type.empty()) level1Name = Name_;
        }
        s += "@name=N" + lit("MS_Description") + ", @value=N" + D + ", @level0type=N" + lit("SCHEMA") +
             ", @level0name=N" + lit(schema);
        if (!level1Type.empty())
            s += ", @level1type=N" + lit(level1Type) + ", @level1name=N" + lit(level1Name);
        if (!level2Type.empty())
            s += ", @level2type=N" + lit(level2Type) + ", @level2name=N" + lit(level2Name);
        return s;
    }
    case dbPostgreSQL: {
        if (colOwner == ColumnOwner::Table) {
            const TDbObj* parent = GetParentObject();
            const std::string table = parent ? parent->GetQualifiedObjectName() : QuoteName(owner);
            return "COMMENT ON COLUMN " + table + "." + Q + " IS " + D;
        }
        std::string word;
        switch (Kind_) {
        case dboDomain:
            word = "DOMAIN";
            break;
        case dboTable:
            word = "TABLE";
            break;
        case dboView:
            word = "VIEW";
            break;
        case dboConstraint:
        case dboPKey:
        case dboFKey:
        case dboUnique:
        case dboCheck:
            word = "CONSTRAINT";
            break;
        case dboIndex:
            word = "INDEX";
            break;
        case dboProcedure:
            word = "FUNCTION";
            break;
        case dboGenerator:
            word = "SEQUENCE";
            break;
        case dboSchema:
            word = "SCHEMA";
            break;
        case dboTrigger:
            word = "TRIGGER";
            break;
        default:
            return {};
        }
        if (word == "CONSTRAINT" || word == "TRIGGER") {
            std::string table = QuoteName(GetTableName());
            if (!ParentName_.empty()) table = QuoteName(ParentName_) + "." + table;
            return "COMMENT ON " + word + " " + Q + " ON " + table + " IS " + D;
        }
        if (Kind_ == dboSchema) return "COMMENT ON SCHEMA " + Q + " IS " + D;
        return "COMMENT ON " + word + " " + GetQualifiedObjectName() + " IS " + D;
    }
    case dbMySQL: {
        if (Kind_ == dboTable) return "ALTER TABLE " + Q + " COMMENT = " + D;
        if (colOwner == ColumnOwner::Table)
            return "ALTER TABLE " + QuoteName(owner) + " MODIFY COLUMN " + Q + " " + GetColumnDefinition() +
                   " COMMENT " + D;
        return {};
    }
    default:
        return {};
    }
}

// ---- Dependency walkers ---------------------------------------------------------------------------

namespace {

bool IsKind(const TDbObj* o, TDbObject k) {
    return o && o->GetKind() == k;
}

// Adds a statement through the object's executor, when it has one.
void Emit(const TDbObj& obj, const std::string& Text, TStatType StatType, std::string_view ObjName,
          TDbObject ObjKind, TDbOperation Operation, std::string_view ParentName) {
    if (TCustomSQLExec* exec = obj.GetSQLExec())
        exec->AddStatement(Text, StatType, ObjName, ObjKind, Operation, ParentName, "");
}

} // namespace

void TDbObj::DropWithDependents() {
    using enum TDbObject;
    if (!GetExists() || walking_) return;
    if ((Kind_ == dboTable || Kind_ == dboGenerator) && Owner_)
        if (TCustomObjs* master = Owner_->GetMaster())
            if (master->FindObject(Kind_ == dboTable ? TObjsList::olTables : TObjsList::olGenerators,
                                   GetFullName()))
                return;
    walking_ = true;
    ScopeExit done([this] { walking_ = false; });
    MarkDependents();
    if (GetExists()) {
        if (Kind_ == dboTable || Kind_ == dboView)
            if (TStringList* fields = GetFields())
                for (int i = 0; i < fields->Count(); ++i)
                    if (auto* f = dynamic_cast<TDbObj*>(fields->Objects(i))) f->SetExists(false);
        const std::string name = Name_.empty() ? OverrideName.str() : Name_;
        const std::string parent = Kind_ == dboField ? GetTableName() : std::string();
        Emit(*this, GetDropSQL(), GetDropStatType(), name, Kind_, TDbOperation::odbDrop, parent);
        SetExists(false);
        MarkGrantsOfDroppedObject(this);
    }
    MarkDropped();
}

void TDbObj::MarkDependents() {
    using enum TDbObject;
    for (int i = 0; i < GetUsedBy().Count(); ++i) {
        TDependObj* e = UsedByItem(i);
        TDbObj* d = e->GetReferenced();
        // 1. A column change never drops its own table.
        if (Kind_ == dboField && e->GetName() == GetTableName()) e->Recreate = 0;
        // 2. Existing views are always re-created; what no longer exists needs nothing.
        if (!d) {
            e->Recreate = 0;
            continue;
        }
        if (IsKind(d, dboView) && d->GetExists()) e->Recreate = 1;
        if (!d->GetExists()) e->Recreate = 0;
        if (!e->Recreate) continue;
        // 3. The first rule that applies acts.
        if (IsKind(d, dboProcedure)) {
            if (d->GetDatabaseType() != TDatabaseType::dbSybaseASE) d->EmptyBody(true);
            e->Recreate = 0;
        } else if (Kind_ == dboView && IsKind(d, dboField) && !d->GetSource().empty()) {
            d->DropWithDependents();
            e->Recreate = 0;
        } else if (IsKind(d, dboView)) {
            // A view whose own drop is under way (a dependency cycle) is left to that walk.
            const bool underWay = d->walking_;
            d->DropWithDependents();
            if (!underWay) d->SetExists(false);
            e->Recreate = 0;
        } else if (Kind_ == dboProcedure && IsKind(d, dboField) && e->GetSecond()) {
            e->GetSecond()->DropWithDependents();
            e->Recreate = 0;
        } else if (IsKind(d, dboTrigger)) {
            // These dialects cannot give a trigger another body: it is dropped and made again.
            const TDatabaseType dt = d->GetDatabaseType();
            if (dt == TDatabaseType::dbPostgreSQL || dt == TDatabaseType::dbMySQL ||
                dt == TDatabaseType::dbSybaseASE) {
                d->DropWithDependents();
            } else {
                // Sources are stored trimmed; the empty bodies carry a leading blank.
                const std::string empty = d->GetEmptyBody();
                if (d->GetSource() != Trim(empty)) {
                    d->SetSource(empty);
                    Emit(*d, d->GetAlterSQL(), TStatType::stTrigger, d->GetName(), dboTrigger,
                         TDbOperation::odbEmpty, "");
                }
            }
            e->Recreate = 0;
        } else if (IsKind(d, dboGrant)) {
            d->SetExists(false);
            e->Recreate = 0;
        }
    }
    // 4. A routine empties its own body; what still depends on it is dropped.
    if (Kind_ == dboProcedure) {
        SetEmptySource();
        for (int i = 0; i < GetUsedBy().Count(); ++i) {
            TDependObj* e = UsedByItem(i);
            TDbObj* d = e->GetReferenced();
            if (!e->Recreate || !d || !d->GetExists()) continue;
            if (!IsKind(d, dboField))
                d->DropWithDependents();
            else if (e->GetSecond())
                e->GetSecond()->DropWithDependents();
            e->Recreate = 0;
        }
    }
}

bool TDbObj::SetEmptySource() {
    // Sources are stored trimmed; the empty bodies carry a leading blank.
    const std::string empty = GetEmptyBody();
    if (Source_ == Trim(empty)) return false;
    SetSource(empty);
    for (int i = 0; i < GetDependsOn().Count(); ++i)
        DependsOnItem(i)->Recreate = 0;
    return true;
}

void TDbObj::DeclareNeededSignatures() {
    for (int i = 0; i < GetDependsOn().Count(); ++i)
        if (TDbObj* n = DependsOnItem(i)->GetReferenced();
            IsKind(n, TDbObject::dboProcedure) && n->GetExists())
            n->DeclareNewSignature();
}

void TDbObj::ProcessDependents() {
    using enum TDbObject;
    using enum TDatabaseType;
    DeclareNeededSignatures();
    for (int i = 0; i < GetDependsOn().Count(); ++i) {
        TDependObj* e = DependsOnItem(i);
        TDbObj* n = e->GetReferenced();
        // 1. Trace.
        if (DependencyTrace && Owner_) {
            std::string line = std::string(ClassName()) + ": " + Name_;
            if (Kind_ == dboField) line += " / " + GetTableName();
            Owner_->DoLogNextLine(line);
        }
        // 2. A column never re-creates its own table.
        if (Kind_ == dboField && e->GetName() == GetTableName()) e->Recreate = 0;
        if (!n) {
            e->Recreate = 0;
            continue;
        }
        // 3. A needed table (not one of its columns) is re-created.
        if (e->Recreate && IsKind(n, dboTable) && e->FieldName.empty()) {
            if (n != this) {
                const bool computed = Kind_ == dboField && !Source_.empty();
                const bool before = n->GetSkipComputed();
                if (computed) n->SetSkipComputed(true);
                ScopeExit restore([&] {
                    if (computed) n->SetSkipComputed(before);
                });
                n->CreateDependDef();
            }
            e->Recreate = 0;
        }
        // 4. One pass over the rules, in order; a rule that clears the flag ends the pass. An entry
        //    no rule clears keeps its flag.
        if (!e->Recreate || n->GetExists()) continue;
        if (IsKind(n, dboField) && IsKind(n->GetParentObject(), dboTable)) {
            if (!n->GetExists()) n->CreateDependDef();
            e->Recreate = 0;
            continue;
        }
        if (Kind_ == dboTrigger && IsKind(n, dboView)) n->CreateDependDef();
        if (IsKind(n, dboField) && Kind_ == dboTable && Name_ == n->GetTableName()) {
            e->Recreate = 0;
            continue;
        }
        if (IsKind(n, dboProcedure)) {
            TCustomObjs* target = Owner_ ? Owner_->GetTarget() : nullptr;
            if (!target || !target->FindObject(TObjsList::olProcedures, n->GetFullName())) {
                const TDatabaseType t = GetDatabaseType();
                if (t == dbPostgreSQL || t == dbSybaseASE || (t == dbMSSQL && n->ReturnsTable())) {
                    n->CreateDependDef();
                } else {
                    Emit(*this, n->GetEmptyCreateSQL(), TStatType::stProcedure, n->GetName(), dboProcedure,
                         TDbOperation::odbEmptyCreate, "");
                    n->SetBodyEmptied(true);
                    n->SetExists(true);
                }
                e->Recreate = 0;
                continue;
            }
        }
        if (IsKind(n, dboView)) {
            if (!(Kind_ == dboView && Name_ == n->GetName()) && !n->GetExists()) n->CreateDependDef();
            e->Recreate = 0;
            continue;
        }
    }
}

void TDbObj::CreateDependDef() {
    using enum TDbObject;
    if (walking_) return;
    walking_ = true;
    ScopeExit done([this] { walking_ = false; });
    ProcessDependents();
    TCustomSQLExec* exec = GetSQLExec();
    if (GetDatabaseType() == TDatabaseType::dbPostgreSQL && exec) exec->SetCurrentSchema(ParentName_);
    if (!GetExists()) {
        if (Kind_ == dboProcedure) {
            Emit(*this, GetCreateScript(), TStatType::stProcedure, Name_, dboProcedure,
                 TDbOperation::odbCreate, "");
        } else if (Kind_ == dboTrigger) {
            const std::string text = GetCreateScript();
            Emit(*this, text, TStatType::stTrigger, Name_, dboTrigger, TDbOperation::odbCreate, "");
            CachedSQL = text;
            for (int i = 0; i < GetUsedBy().Count(); ++i)
                UsedByItem(i)->Recreate = 0;
        } else {
            const std::string parent = Kind_ == dboField ? GetTableName() : std::string();
            Emit(*this, GetCreateScript(), TStatType::stStatement, GetQualifiedObjectName(), Kind_,
                 TDbOperation::odbCreate, parent);
        }
        if (exec && GetCompareObjects().contains(TCmpObjType::coDescription)) AddCreatedDescriptions(*exec);
        SetExists(true);
    }
    MarkCreated();
}

void TDbObj::AddCreatedDescriptions(TCustomSQLExec& Exec) {
    if (Kind_ == TDbObject::dboField && !Description_.empty()) Exec.AddDescription(this);
}

// ===================================================================================================
// TDependObj and dependency records

void TDbObj::LinkRef(RefLink*& head, RefLink& link) {
    link.prev = nullptr;
    link.next = head;
    if (head) head->prev = &link;
    head = &link;
}

void TDbObj::UnlinkRef(RefLink*& head, RefLink& link) {
    if (link.prev)
        link.prev->next = link.next;
    else
        head = link.next;
    if (link.next) link.next->prev = link.prev;
    link.prev = link.next = nullptr;
}

TDependList::~TDependList() {
    Clear();
}

TDependObj* TDependList::Objects(int Index) const {
    if (Index < 0 || Index >= count_) throw std::out_of_range("dependency list index " + std::to_string(Index));
    // From the nearest of the first record, the last record and the one last read.
    TDependObj* rec = head_;
    int at = 0;
    if (count_ - 1 - Index < Index) {
        rec = tail_;
        at = count_ - 1;
    }
    if (read_ && std::abs(Index - readIndex_) < std::abs(Index - at)) {
        rec = read_;
        at = readIndex_;
    }
    for (; at < Index; ++at)
        rec = rec->listNext_;
    for (; at > Index; --at)
        rec = rec->listPrev_;
    read_ = rec;
    readIndex_ = Index;
    return rec;
}

const std::string& TDependList::operator[](int Index) const {
    return Objects(Index)->GetName();
}

void TDependList::Add(TDependObj* Rec) {
    Rec->listPrev_ = tail_;
    Rec->listNext_ = nullptr;
    if (tail_)
        tail_->listNext_ = Rec;
    else
        head_ = Rec;
    tail_ = Rec;
    ++count_;
}

void TDependList::TakeOut(TDependObj* Rec) {
    if (Rec->listPrev_)
        Rec->listPrev_->listNext_ = Rec->listNext_;
    else
        head_ = Rec->listNext_;
    if (Rec->listNext_)
        Rec->listNext_->listPrev_ = Rec->listPrev_;
    else
        tail_ = Rec->listPrev_;
    Rec->listPrev_ = Rec->listNext_ = nullptr;
    --count_;
    read_ = nullptr;
    readIndex_ = -1;
}

void TDependList::Delete(int Index) {
    TDependObj* rec = Objects(Index);
    TDependObj* before = rec->listPrev_;
    TakeOut(rec);
    if (before) { // a loop that deletes from the end down reads the record before next
        read_ = before;
        readIndex_ = Index - 1;
    }
    delete rec;
}

void TDependList::Clear() {
    TDependObj* rec = std::exchange(head_, nullptr);
    tail_ = nullptr;
    count_ = 0;
    read_ = nullptr;
    readIndex_ = -1;
    while (rec) {
        TDependObj* next = rec->listNext_;
        delete rec;
        rec = next;
    }
}

TDependObj::TDependObj(TCustomObjs* AOwner) : Owner_(AOwner) {
    referencedLink_.rec = this;
}

TDependObj::TDependObj(TCustomObjs* AOwner, std::string_view Name, TDbObject Kind, std::string_view Field,
                       int AInt1, int AInt2, TDbObj* Holder, bool InUsedBy)
    : FieldName(Field), Kind_(Kind), inUsedBy_(InUsedBy), Int1(AInt1), Int2(AInt2), Name_(Name),
      Owner_(AOwner), Holder_(Holder) {
    referencedLink_.rec = this;
}

TDependObj::~TDependObj() {
    Unregister(Referenced_, referencedLink_);
    if (second_) Unregister(second_->Obj, second_->Link);
}

void TDependObj::SetName(std::string_view Value) {
    Name_ = NameAsKept(Owner_, Value);
}

void TDependObj::Unregister(TDbObj*& target, TDbObj::RefLink& link) {
    if (!target) return;
    TDbObj::UnlinkRef(target->referencedBy_, link);
    target = nullptr;
}

void TDependObj::SetReferenced(TDbObj* Value) {
    if (Referenced_ == Value) return;
    Unregister(Referenced_, referencedLink_);
    Referenced_ = Value;
    if (Value) TDbObj::LinkRef(Value->referencedBy_, referencedLink_);
}

void TDependObj::SetSecond(TDbObj* Value) {
    if (GetSecond() == Value) return;
    if (second_) Unregister(second_->Obj, second_->Link);
    if (!Value) return;
    if (!second_) {
        second_ = std::make_unique<SecondRef>();
        second_->Link.rec = this;
    }
    second_->Obj = Value;
    TDbObj::LinkRef(Value->referencedBy_, second_->Link);
}

std::string TDependObj::GetDisplayName() const {
    if (!FieldName.empty()) return GetName() + " (field: " + FieldName + ")";
    if (Toggle) return "(+/-) " + GetName();
    return Referenced_ ? Referenced_->GetDisplayName() : std::string();
}

TDependObj* AddDependencyPair(TCustomObjs* Container, TDbObj* Dependent, TDbObj* Needed, int Int1, int Int2,
                              std::string_view FieldName) {
    // A record's name is stored as SetName stores it.
    const bool upper = KeepsNamesUpper(Container);
    // Inlined at both calls: it runs for every record, and as a call of its own took a fifth longer.
    auto add = [&](TDbObj* holder, TDbObj* referenced, bool usedBy) __attribute__((always_inline)) {
        TDbObj::Links& links = holder->EnsureLinks();
        const std::string& name = referenced->GetName();
        std::unique_ptr<TDependObj> made(
            new TDependObj(Container, upper ? std::string_view(UpperCase(name)) : name, referenced->GetKind(),
                           FieldName, Int1, Int2, holder, usedBy));
        TDependObj* rec = made.get();
        rec->SetReferenced(referenced);
        (usedBy ? links.UsedBy : links.DependsOn).Add(made.release());
        holder->mayHaveState_ = true;
        return rec;
    };
    add(Dependent, Needed, false);
    return add(Needed, Dependent, true);
}

void OrderUsedByRecords(const std::vector<std::pair<TDependObj*, std::uint64_t>>& Made) {
    // A record's batch_ is left as it is afterwards: it names a record's place in this batch only
    // where that place holds the record.
    const auto inBatch = [&](const TDependObj* rec) {
        return rec->batch_ != 0 && rec->batch_ <= Made.size() && Made[rec->batch_ - 1].first == rec;
    };
    const auto key = [&](const TDependObj* rec) { return Made[rec->batch_ - 1].second; };
    // A list is out of order where a record of the batch follows one of a later key. The record
    // before one of the batch was made before it, so its place is set by then if it has one.
    std::vector<TDbObj*> unordered;
    for (std::size_t i = 0; i < Made.size(); ++i) {
        TDependObj* rec = Made[i].first;
        rec->batch_ = static_cast<std::uint32_t>(i + 1);
        const TDependObj* before = rec->listPrev_;
        if (before && inBatch(before) && key(before) > Made[i].second) unordered.push_back(rec->Holder_);
    }
    std::vector<TDependObj*> run;
    for (TDbObj* holder : unordered) {
        TDependList& list = holder->links_->UsedBy;
        run.clear();
        for (TDependObj* rec = list.tail_; rec && inBatch(rec); rec = rec->listPrev_)
            run.push_back(rec);
        std::reverse(run.begin(), run.end());
        if (std::is_sorted(run.begin(), run.end(),
                           [&](const TDependObj* a, const TDependObj* b) { return key(a) < key(b); }))
            continue; // put in order already (the holder came up twice)
        if (run.size() <= 32) {
            // Most runs are a few records (a table's keys): sorted by insertion, which keeps equal
            // keys in the order made and asks for no buffer.
            for (std::size_t i = 1; i < run.size(); ++i) {
                TDependObj* rec = run[i];
                std::size_t j = i;
                for (; j > 0 && key(rec) < key(run[j - 1]); --j)
                    run[j] = run[j - 1];
                run[j] = rec;
            }
        } else {
            std::stable_sort(run.begin(), run.end(),
                             [&](const TDependObj* a, const TDependObj* b) { return key(a) < key(b); });
        }
        for (TDependObj* rec : run)
            list.TakeOut(rec);
        for (TDependObj* rec : run)
            list.Add(rec);
    }
}

void AddDependency(TCustomObjs* Container, TDbObj* Dependent, TDbObj* Needed, int Int1, int Int2,
                   std::string_view FieldName) {
    if (!Dependent || !Needed) return;
    if (!FieldName.empty() &&
        (Needed->GetKind() == TDbObject::dboTable || Needed->GetKind() == TDbObject::dboView)) {
        Needed = Needed->FieldObject(FieldName);
        if (!Needed) return; // a column the table does not hold: nothing to record
    }
    if (Dependent->FindDependsOn(Needed)) return;
    AddDependencyPair(Container, Dependent, Needed, Int1, Int2, FieldName);
}

std::vector<int> InMemoryOrder(const TStringList& List) {
    // A radix sort of the addresses (from the lowest, 11 bits a round, as many rounds as the span
    // of the addresses needs; each round keeps the order of the one before).
    const auto N = static_cast<std::size_t>(List.Count());
    std::vector<std::pair<std::uintptr_t, int>> Places(N), Sorted(N);
    std::uintptr_t Low = UINTPTR_MAX, High = 0;
    for (std::size_t i = 0; i < N; ++i) {
        const auto Address = reinterpret_cast<std::uintptr_t>(List.Objects(static_cast<int>(i)));
        Places[i] = {Address, static_cast<int>(i)};
        Low = std::min(Low, Address);
        High = std::max(High, Address);
    }
    constexpr int Bits = 11;
    constexpr std::size_t Buckets = std::size_t{1} << Bits;
    // Objects are 8-byte aligned: the lowest three bits tell them apart from none.
    for (int Shift = 3; N > 1 && ((High - Low) >> Shift) != 0; Shift += Bits) {
        std::array<std::size_t, Buckets + 1> Start{};
        for (const auto& P : Places)
            ++Start[((P.first - Low) >> Shift & (Buckets - 1)) + 1];
        for (std::size_t b = 1; b <= Buckets; ++b)
            Start[b] += Start[b - 1];
        for (const auto& P : Places)
            Sorted[Start[(P.first - Low) >> Shift & (Buckets - 1)]++] = P;
        Places.swap(Sorted);
    }
    std::vector<int> Order(N);
    for (std::size_t i = 0; i < N; ++i)
        Order[i] = Places[i].second;
    return Order;
}

// ===================================================================================================
// TCustomObjs

bool MatchObjNamePattern(std::string_view Pattern, std::string_view Name) {
    if (Pattern.empty()) return false;
    std::string p(Pattern);
    std::replace(p.begin(), p.end(), '*', '%');
    // "%" stands for any text (also none); everything else matches itself, case-sensitively.
    std::size_t pi = 0, ni = 0, star = std::string::npos, mark = 0;
    while (ni < Name.size()) {
        if (pi < p.size() && p[pi] == '%') {
            star = pi++;
            mark = ni;
        } else if (pi < p.size() && p[pi] == Name[ni]) {
            ++pi;
            ++ni;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '%')
        ++pi;
    return pi == p.size();
}

TCustomObjs::TCustomObjs(TCustomDBStructure* AStructure) : Structure_(AStructure) {
    ConnectionOptions_.SetUserName("SYSDBA");
    ConnectionOptions_.SetPassword("plumbtide");
    for (auto& k : lists_) {
        k.list.SetSorted(true);
        k.list.SetCaseSensitive(true);
        k.list.SetDuplicates(TDuplicates::dupIgnore);
    }
}

TCustomObjs::~TCustomObjs() {
    Clear();
    SetSQLExec(nullptr);
    SetPartnerObjs(nullptr);
    for (TCustomObjs* other : partneredBy_)
        other->PartnerObjs_ = nullptr;
    partneredBy_.clear();
}

void TCustomObjs::Clear() {
    ForgetGrantIndex();
    ScriptLines_.Clear();
    for (auto& k : lists_) {
        k.list.Clear();
        ClearPending(k);
    }
    ServerOptions_.IB.GetIBDatabaseOptions().SetDefaults();
    ServerOptions_.MSSQL.GetMSSQLDatabaseOptions().SetDefaults();
    ServerOptions_.ASA.GetASADatabaseOptions().SetDefaults();
    Terminator_ = ";";
    for (auto& s : StateTexts)
        s.clear();
    FromDatabase = 0;
}

void TCustomObjs::FreeObjects() {
    ForgetGrantIndex();
    std::vector<TObject*> doomed;
    for (auto& k : lists_) {
        for (int i = 0; i < k.list.Count(); ++i)
            doomed.push_back(k.list.Objects(i));
        for (auto& p : k.pending)
            doomed.push_back(p.obj);
        k.list.Clear();
        ClearPending(k);
    }
    for (TObject* o : doomed)
        delete o;
}

bool TCustomObjs::ListOfObject(const TDbObj* Obj, TObjsList& Which) {
    const std::optional<TObjsList> list = Obj ? Obj->GetObjsList() : std::nullopt;
    if (list) Which = *list;
    return list.has_value();
}

// The pending positions in the list's key order, kept in short sorted blocks: filing finds its
// block and place by binary search and counts the keys before it, so an object filed out of order
// still learns the index it will have in the sorted list. Blocks split when they grow long.
struct TCustomObjs::PendingOrder {
    static constexpr std::size_t MaxBlock = 512;
    std::vector<std::vector<std::uint32_t>> blocks;
    // The pending positions placed so far (0 to covered - 1): filing that needs no index leaves
    // the later ones out, and the next filing that needs one places them first.
    std::uint32_t covered = 0;
    // The block sizes as a Fenwick tree (1-based), so that the keys before a block are counted in
    // a few steps however many blocks there are; made anew when a block splits.
    std::vector<std::size_t> counts;

    void Recount() {
        counts.assign(blocks.size() + 1, 0);
        for (std::size_t i = 1; i <= blocks.size(); ++i) {
            counts[i] += blocks[i - 1].size();
            if (const std::size_t up = i + (i & (~i + 1)); up <= blocks.size()) counts[up] += counts[i];
        }
    }
    void Grown(std::size_t Block) {
        for (std::size_t i = Block + 1; i < counts.size(); i += i & (~i + 1))
            ++counts[i];
    }
    /// The keys in the blocks before Block.
    std::size_t Before(std::size_t Block) const {
        std::size_t n = 0;
        for (std::size_t i = Block; i > 0; i -= i & (~i + 1))
            n += counts[i];
        return n;
    }

    /// Places pending position P (its key not present yet); returns how many pending keys sort
    /// before it.
    std::size_t Insert(const KindList& k, std::uint32_t P) {
        ++covered;
        const std::string& key = k.pending[P].key;
        auto before = [&k](std::uint32_t a, const std::string& b) {
            return k.list.CompareStrings(k.pending[a].key, b) < 0;
        };
        if (blocks.empty()) {
            blocks.push_back({P});
            Recount();
            return 0;
        }
        // The first block whose last key sorts after the new one, else the last block.
        std::size_t lo = 0, hi = blocks.size() - 1;
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (before(blocks[mid].back(), key))
                lo = mid + 1;
            else
                hi = mid;
        }
        std::vector<std::uint32_t>& b = blocks[lo];
        const auto at = std::lower_bound(b.begin(), b.end(), key, before);
        const std::size_t rank = static_cast<std::size_t>(at - b.begin()) + Before(lo);
        b.insert(at, P);
        if (b.size() > MaxBlock) {
            std::vector<std::uint32_t> upper(b.begin() + static_cast<std::ptrdiff_t>(MaxBlock / 2), b.end());
            b.resize(MaxBlock / 2);
            blocks.insert(blocks.begin() + static_cast<std::ptrdiff_t>(lo) + 1, std::move(upper));
            Recount();
        } else {
            Grown(lo);
        }
        return rank;
    }
};

TCustomObjs::KindList::KindList() = default;
TCustomObjs::KindList::~KindList() = default;

void TCustomObjs::ClearPending(KindList& k) {
    k.pending.clear();
    k.slots.clear();
    k.order.reset();
    // The list changes (it is emptied or takes the pending objects): its index is made anew.
    k.listSlots.clear();
    k.listHashed = -1;
}

namespace {
// The ASCII lower-case letters of eight bytes made upper-case, as UpCase does byte by byte.
constexpr std::uint64_t UpCaseWord(std::uint64_t w) {
    constexpr std::uint64_t Ones = 0x0101010101010101ull;
    const std::uint64_t low7 = w & (0x7F * Ones);
    const std::uint64_t fromA = low7 + (0x80 - 'a') * Ones;     // top bit: at least 'a'
    const std::uint64_t pastZ = low7 + (0x80 - 'z' - 1) * Ones; // top bit: after 'z'
    return w ^ ((fromA & ~pastZ & ~w & (0x80 * Ones)) >> 2);
}
} // namespace

namespace {
// Eight bytes at a time (folded to upper case with Fold), each word mixed in with a multiplication,
// the length in the seed; a final mix makes both halves of the result depend on every byte.
template <bool Fold> std::uint64_t HashBytes(std::string_view Key) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ Key.size();
    const auto mix = [&h](std::uint64_t w) {
        h = (h ^ (Fold ? UpCaseWord(w) : w)) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    };
    const char* p = Key.data();
    const std::size_t n = Key.size();
    if (n >= 8) {
        std::uint64_t w;
        std::size_t i = 0;
        for (; i + 8 <= n; i += 8) {
            std::memcpy(&w, p + i, 8);
            mix(w);
        }
        if (i < n) { // the last eight bytes, overlapping the word before
            std::memcpy(&w, p + n - 8, 8);
            mix(w);
        }
    } else if (n >= 4) { // the first and the last four bytes
        std::uint32_t lo, hi;
        std::memcpy(&lo, p, 4);
        std::memcpy(&hi, p + n - 4, 4);
        mix(lo | std::uint64_t{hi} << 32);
    } else if (n > 0) { // the first, middle and last byte
        const auto byte = [p](std::size_t i) { return std::uint64_t{static_cast<unsigned char>(p[i])}; };
        mix(byte(0) | byte(n / 2) << 8 | byte(n - 1) << 16);
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return h;
}
} // namespace

std::size_t TCustomObjs::HashKey(const KindList& k, std::string_view Key) {
    // Folded when the list ignores case.
    return static_cast<std::size_t>(k.list.GetCaseSensitive() ? HashBytes<false>(Key) : HashBytes<true>(Key));
}

namespace {
// A pending slot: the position + 1 in the low half (0 = free), the key hash's upper half above it.
constexpr std::uint64_t SlotTag(std::size_t Hash) {
    return static_cast<std::uint64_t>(Hash) & 0xFFFFFFFF00000000ull;
}
} // namespace

int TCustomObjs::FindPending(const KindList& k, std::string_view Key, std::size_t Hash) {
    if (k.slots.empty()) return -1;
    const std::size_t mask = k.slots.size() - 1;
    const std::uint64_t tag = SlotTag(Hash);
    for (std::size_t i = Hash & mask;; i = (i + 1) & mask) {
        const std::uint64_t slot = k.slots[i];
        if (slot == 0) return -1;
        if ((slot & 0xFFFFFFFF00000000ull) != tag) continue;
        const auto position = static_cast<std::uint32_t>(slot) - 1;
        const Pending& p = k.pending[position];
        if (p.hash == Hash && k.list.CompareStrings(p.key, Key) == 0) return static_cast<int>(position);
    }
}

void TCustomObjs::IndexPending(KindList& k, std::uint32_t Position) {
    // Kept at most half full, so probing ends quickly; doubled (and refilled) as it grows.
    if ((k.pending.size()) * 2 > k.slots.size()) {
        std::vector<std::uint64_t> bigger(std::max<std::size_t>(16, k.slots.size() * 2), 0);
        k.slots.swap(bigger);
        for (std::uint32_t p = 0; p < Position; ++p)
            IndexPending(k, p);
    }
    const std::size_t mask = k.slots.size() - 1;
    const std::size_t hash = k.pending[Position].hash;
    std::size_t i = hash & mask;
    while (k.slots[i] != 0)
        i = (i + 1) & mask;
    k.slots[i] = SlotTag(hash) | (std::uint64_t{Position} + 1);
}

namespace {
// Lists shorter than this are searched in the list alone.
constexpr int ListIndexFrom = 32;
} // namespace

void TCustomObjs::IndexListed(KindList& k) {
    const int n = k.list.Count();
    std::size_t size = 16;
    while (size < static_cast<std::size_t>(n) * 2)
        size *= 2;
    k.listSlots.assign(size, {});
    k.listHashed = 0;
    k.listHashFolded = !k.list.GetCaseSensitive();
    for (int p = 0; p < n; ++p) {
        k.listHashed = p;
        AddListed(k);
    }
    k.listHashed = n;
}

void TCustomObjs::AddListed(KindList& k) {
    const int p = k.listHashed; // the entry to add: the first not yet indexed
    if (static_cast<std::size_t>(p + 1) * 2 > k.listSlots.size()) {
        k.listHashed = -1; // remade, with room, at the next look-up
        return;
    }
    const auto hash = static_cast<std::uint32_t>(HashKey(k, k.list[p]));
    const std::size_t mask = k.listSlots.size() - 1;
    std::size_t i = hash & mask;
    while (k.listSlots[i].Entry != 0)
        i = (i + 1) & mask;
    k.listSlots[i] = {static_cast<std::uint32_t>(p + 1), hash};
    k.listHashed = p + 1;
}

int TCustomObjs::FindListed(KindList& k, std::string_view Key) {
    return FindListed(k, Key, HashKey(k, Key));
}

int TCustomObjs::FindListed(KindList& k, std::string_view Key, std::size_t Hash) {
    if (k.listHashed != k.list.Count() || k.listHashFolded == k.list.GetCaseSensitive()) IndexListed(k);
    const auto hash = static_cast<std::uint32_t>(Hash);
    const std::size_t mask = k.listSlots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const KindList::ListSlot& slot = k.listSlots[i];
        if (slot.Entry == 0) return -1;
        const int p = static_cast<int>(slot.Entry) - 1;
        if (slot.Hash == hash && p < k.list.Count() && k.list.CompareStrings(k.list[p], Key) == 0) return p;
    }
}

namespace {
// A key's first sixteen bytes as two words in memory order, the bytes past its end zero.
std::array<std::uint64_t, 2> FirstWords(std::string_view Key) {
    const char* d = Key.data();
    const std::size_t n = Key.size();
    std::array<std::uint64_t, 2> w{0, 0};
    if (n >= 16) {
        std::memcpy(&w[0], d, 8);
        std::memcpy(&w[1], d + 8, 8);
    } else if (n >= 8) {
        std::memcpy(&w[0], d, 8);
        if (n > 8) {
            std::memcpy(&w[1], d + n - 8, 8); // ends with the key's last byte
            w[1] =
                std::endian::native == std::endian::little ? w[1] >> (8 * (16 - n)) : w[1] << (8 * (16 - n));
        }
    } else {
        unsigned char b[8] = {};
        for (std::size_t i = 0; i < n; ++i)
            b[i] = static_cast<unsigned char>(d[i]);
        std::memcpy(&w[0], b, 8);
    }
    return w;
}

// Eight bytes in memory order (folded to upper case with Fold) as a number that orders as the
// bytes do, the first the most significant.
std::uint64_t HeadNumber(std::uint64_t w, bool Fold) {
    if (Fold) w = UpCaseWord(w);
    if constexpr (std::endian::native == std::endian::little) w = __builtin_bswap64(w);
    return w;
}
} // namespace

std::vector<std::uint32_t> TCustomObjs::SortedPending(const KindList& k) {
    // Each key's first sixteen bytes (folded as the list folds them) as two numbers in their order,
    // so that most comparisons are of numbers: keys whose first bytes differ compare as these
    // numbers do (a key that ends sooner is padded with zero bytes, and sorts before any longer key
    // it starts).
    struct Entry {
        std::uint64_t head[2];
        std::uint32_t p;
    };
    const bool fold = !k.list.GetCaseSensitive();
    const auto n = static_cast<std::uint32_t>(k.pending.size());
    std::vector<Entry> sorted(n), other(n);
    for (std::uint32_t p = 0; p < n; ++p) {
        const std::string& key = k.pending[p].key;
        const std::array<std::uint64_t, 2> words = FirstWords(key);
        sorted[p] = {{HeadNumber(words[0], fold), HeadNumber(words[1], fold)}, p};
    }
    const auto less = [&k](const Entry& a, const Entry& b) {
        if (a.head[0] != b.head[0]) return a.head[0] < b.head[0];
        if (a.head[1] != b.head[1]) return a.head[1] < b.head[1];
        return k.list.CompareStrings(k.pending[a.p].key, k.pending[b.p].key) < 0;
    };
    // Keys mostly arrive in runs already in order, ascending or descending (scripts list objects by
    // name): the runs are found and merged pairwise, n log(runs) comparisons. Keys are distinct
    // under the list's rule, so any sound sort gives this one order.
    std::vector<std::uint32_t> ends; // the end of each run
    for (std::uint32_t from = 0; from < n;) {
        std::uint32_t to = from + 1;
        if (to < n && less(sorted[to], sorted[from])) {
            while (to + 1 < n && less(sorted[to + 1], sorted[to]))
                ++to;
            std::reverse(sorted.begin() + from, sorted.begin() + to + 1);
            ++to;
        } else {
            while (to < n && less(sorted[to - 1], sorted[to]))
                ++to;
        }
        ends.push_back(to);
        from = to;
    }
    // Pairs of neighbouring runs merged, pass by pass, until one is left.
    while (ends.size() > 1) {
        std::size_t kept = 0;
        std::uint32_t from = 0;
        for (std::size_t r = 0; r < ends.size(); r += 2) {
            const std::uint32_t mid = ends[r];
            const std::uint32_t to = r + 1 < ends.size() ? ends[r + 1] : mid;
            std::merge(sorted.begin() + from, sorted.begin() + mid, sorted.begin() + mid, sorted.begin() + to,
                       other.begin() + from, less);
            ends[kept++] = to;
            from = to;
        }
        ends.resize(kept);
        sorted.swap(other);
    }
    std::vector<std::uint32_t> order(n);
    for (std::uint32_t i = 0; i < n; ++i)
        order[i] = sorted[i].p;
    return order;
}

void TCustomObjs::Merge(KindList& k) {
    if (k.pending.empty()) return;
    if (k.pending.size() * 16 < static_cast<std::size_t>(k.list.Count())) {
        // A few additions to a long list: insert each at its place.
        for (auto& p : k.pending)
            k.list.AddObject(p.key, p.obj);
    } else {
        // Append all in their order, then merge the two sorted runs. The keys are distinct under
        // the list's rule, so the order equals that of inserting one by one.
        const int listed = k.list.Count();
        k.list.SetSorted(false);
        if (k.order && k.order->covered == k.pending.size()) {
            for (const std::vector<std::uint32_t>& block : k.order->blocks)
                for (const std::uint32_t p : block)
                    k.list.AddObject(k.pending[p].key, k.pending[p].obj);
        } else {
            const std::vector<std::uint32_t> sorted = SortedPending(k);
            k.list.Reserve(listed + static_cast<int>(sorted.size()));
            for (const std::uint32_t p : sorted)
                k.list.AddObject(k.pending[p].key, k.pending[p].obj);
        }
        k.list.MergeSorted(listed);
    }
    ClearPending(k);
}

TStringList& TCustomObjs::List(TObjsList Which) {
    KindList& k = lists_[static_cast<std::size_t>(Which)];
    Merge(k);
    return k.list;
}

namespace {
// dynamic_cast<TDbObj*>, its answer remembered per type.
TDbObj* AsDbObj(TObject* Obj) {
    if (!Obj) return nullptr;
    static TTypeMemo<bool> IsDbObj;
    return IsDbObj.Get(*Obj, [Obj] { return dynamic_cast<TDbObj*>(Obj) != nullptr; })
               ? static_cast<TDbObj*>(Obj)
               : nullptr;
}
} // namespace

TDbObj* TCustomObjs::FindObject(TObjsList Which, std::string_view Key) const {
    KindList& k = lists_[static_cast<std::size_t>(Which)];
    std::optional<std::size_t> hash; // the key's hash once made, for both indices
    if (k.list.Count() >= ListIndexFrom) {
        // The index holds every listed key under the list's rule: a key it lacks is not listed.
        hash = HashKey(k, Key);
        // A key that is not listed is looked for among the waiting ones: their slot is asked for
        // now, so that the two look-ups' waits for memory overlap.
        if (!k.slots.empty()) __builtin_prefetch(&k.slots[*hash & (k.slots.size() - 1)]);
        if (const int i = FindListed(k, Key, *hash); i >= 0) return AsDbObj(k.list.Objects(i));
    } else if (int i = 0; k.list.Find(Key, i)) {
        return AsDbObj(k.list.Objects(i));
    }
    if (k.pending.empty()) return nullptr;
    const int p = FindPending(k, Key, hash ? *hash : HashKey(k, Key));
    return p < 0 ? nullptr : k.pending[static_cast<std::size_t>(p)].obj;
}

void TCustomObjs::PrepareLookups(TObjsList Which) {
    KindList& k = lists_[static_cast<std::size_t>(Which)];
    Merge(k);
    if (k.list.Count() >= ListIndexFrom &&
        (k.listHashed != k.list.Count() || k.listHashFolded == k.list.GetCaseSensitive()))
        IndexListed(k);
}

int TCustomObjs::ObjectCount(TObjsList Which) const {
    const KindList& k = lists_[static_cast<std::size_t>(Which)];
    return k.list.Count() + static_cast<int>(k.pending.size());
}

int TCustomObjs::File(TObjsList Which, std::string_view Key, TDbObj* Obj, bool WantIndex) {
    if (Which == TObjsList::olGrants) ForgetGrantIndex();
    KindList& k = lists_[static_cast<std::size_t>(Which)];
    // Keys that arrive in order (scripts list most objects by name) need no search: a key after the
    // list's last one is not in the list and goes to its end.
    if (k.pending.empty() && k.list.GetSorted() &&
        (k.list.Count() == 0 || k.list.CompareStrings(k.list.Last(), Key) < 0)) {
        k.list.AddObject(Key, Obj);
        if (k.listHashed == k.list.Count() - 1) AddListed(k);
        return k.list.Count() - 1;
    }
    int i = 0;
    const std::size_t hash = HashKey(k, Key);
    if (!WantIndex && !k.pending.empty() && k.list.Count() >= ListIndexFrom) {
        // Filing that needs no index while keys wait: whether the list holds the key is all it
        // asks, and the list index answers that in one look-up. The waiting keys' slot, looked at
        // next, is asked for first.
        __builtin_prefetch(&k.slots[hash & (k.slots.size() - 1)]);
        if (FindListed(k, Key, hash) >= 0) return -1;
    } else {
        if (k.list.Find(Key, i)) return -1;
        if (k.pending.empty() && i == k.list.Count()) {
            // Keys that arrive in order go straight to the end of the sorted list.
            k.list.AddObject(Key, Obj);
            if (k.listHashed == k.list.Count() - 1) AddListed(k);
            return i;
        }
    }
    if (FindPending(k, Key, hash) >= 0) return -1;
    const auto position = static_cast<std::uint32_t>(k.pending.size());
    k.pending.push_back({std::string(Key), Obj, hash});
    IndexPending(k, position);
    if (!WantIndex) return 0;
    if (!k.order) k.order = std::make_unique<PendingOrder>();
    for (std::uint32_t p = k.order->covered; p < position; ++p)
        k.order->Insert(k, p);
    // Its place once merged: the listed keys before it (i) and the pending ones before it.
    return i + static_cast<int>(k.order->Insert(k, position));
}

bool TCustomObjs::AcceptObject(TDbObj* Obj) {
    if (!Obj) return false;
    bool accepted = true;
    if (OnAccept_Obj) {
        // The handler (the extractor's per-object test) decides instead of the name test.
        OnAccept_Obj(this, Obj, accepted);
    } else if (Structure_ && Structure_->GetExtractor()) {
        accepted = Structure_->GetExtractor()->IsObjectAccepted(Obj->GetName(), Obj->GetKind());
    }
    return accepted;
}

int TCustomObjs::FileAccepted(std::optional<TObjsList> Which, TDbObj* Obj, bool FreeIfRejected,
                              bool WantIndex) {
    if (!Obj) return -1;
    auto reject = [&] {
        if (FreeIfRejected) delete Obj; // unlinks its dependency records and partners
        return -1;
    };
    if (!AcceptObject(Obj)) return reject();
    if (DatabaseType_ == TDatabaseType::dbInterBase &&
        ServerOptions_.IB.GetIBCompareOptions().GetIgnoreIBEObjects() && StartsStr("IBE$", Obj->GetName()))
        return reject();
    const std::string key = Obj->GetFullName();
    TObjsList which{};
    if (Which) {
        which = *Which;
    } else if (!ListOfObject(Obj, which)) {
        ErrorMessage("Unknown DbObject to add (" + std::string(Obj->ClassName()) + ")");
        return reject();
    }
    int index = File(which, key, Obj, WantIndex);
    while (index < 0 && Obj->TakeNextDuplicateKey())
        index = File(which, Obj->GetFullName(), Obj, WantIndex);
    if (index < 0) return reject(); // the first object of that key stays filed
    return index;
}

int TCustomObjs::AddObject(TDbObj* Obj, bool FreeIfRejected) {
    return FileAccepted(std::nullopt, Obj, FreeIfRejected, true);
}

int TCustomObjs::AddObjectTo(TObjsList Which, TDbObj* Obj, bool FreeIfRejected) {
    return FileAccepted(Which, Obj, FreeIfRejected, true);
}

bool TCustomObjs::FileObject(TDbObj* Obj, bool FreeIfRejected, std::optional<TObjsList> Which) {
    return FileAccepted(Which, Obj, FreeIfRejected, false) >= 0;
}

void TCustomObjs::SetDatabaseType(TDatabaseType Value) {
    DatabaseType_ = Value;
    ForgetGrantIndex(); // its keys follow the lists' case rule
    const bool insensitive = Value == TDatabaseType::dbSybaseASA || Value == TDatabaseType::dbMSSQL ||
                             Value == TDatabaseType::dbSybaseASE;
    for (int i = 0; i < ObjsListCount; ++i) {
        if (ObjsListInfo[static_cast<std::size_t>(i)].KeepsCase) continue;
        KindList& k = lists_[static_cast<std::size_t>(i)];
        Merge(k);
        k.list.SetCaseSensitive(!insensitive);
    }
}

TCustomObjs* TCustomObjs::GetMaster() {
    return Role_ == 1 ? this : PartnerObjs_;
}

TCustomObjs* TCustomObjs::GetTarget() {
    return Role_ == 2 ? this : PartnerObjs_;
}

int TCustomObjs::GetTargetODSMajor() const {
    const TCustomObjs* target = nullptr;
    if (Role_ == 2)
        target = this;
    else if (PartnerObjs_ && PartnerObjs_->Role_ == 2)
        target = PartnerObjs_;
    return target ? target->ServerOptions_.IB.GetIBDatabaseOptions().GetODSMajorVersion() : 0;
}

std::string TCustomObjs::GetNamePrefix() const {
    return Structure_ ? Structure_->GetNamePrefix() : std::string();
}

std::string TCustomObjs::GetServerVersionText() const {
    const int version = ServerOptions_.VersionOf(DatabaseType_);
    const std::string name = version < 0 ? std::string() : GetServerVersionName(DatabaseType_, version);
    if (name.empty()) return {};
    return "Server Version (user defined): " + name;
}

void TCustomObjs::DoLogNextLine(const std::string& Text) {
    if (OnLogNextLine) {
        OnLogNextLine(this, Text);
        return;
    }
    if (Structure_ && Structure_->GetExtractor() && Structure_->GetExtractor()->GetOnLogNextLine()) {
        Structure_->GetExtractor()->GetOnLogNextLine()(this, Text);
        return;
    }
    if (SQLExec_ && SQLExec_->OnLogNextLine) SQLExec_->OnLogNextLine(this, Text);
}

void TCustomObjs::ErrorMessage(const std::string& Text) {
    if (Structure_ && Structure_->GetExtractor()) Structure_->GetExtractor()->DoErrorMessage(Text);
}

void TCustomObjs::ForgetGrantIndex() {
    grantIndex_.reset();
}

void TCustomObjs::SortGrants() {
    ForgetGrantIndex();
    TStringList& grants = Grants();
    grants.SetSorted(false);
    for (int i = 0; i < grants.Count(); ++i)
        if (auto* g = dynamic_cast<TDbObj*>(grants.Objects(i))) grants.SetString(i, g->GetFullName());
    grants.SetSorted(true);
}

std::string TCustomObjs::QuoteIdentifier(std::string_view Name, TDatabaseType DatabaseType,
                                         TIBSQLServerVersionType ServerVersion, TIBSQLDialectType Dialect) {
    return smx::QuoteIdentifier(Name, DatabaseType, ServerVersion, Dialect);
}

void TCustomObjs::SetPartnerObjs(TCustomObjs* Value) {
    if (PartnerObjs_ == Value) return;
    if (PartnerObjs_) std::erase(PartnerObjs_->partneredBy_, this);
    PartnerObjs_ = Value;
    if (Value) Value->partneredBy_.push_back(this);
}

void TCustomObjs::SetSQLExec(TCustomSQLExec* Value) {
    if (SQLExec_ == Value) return;
    if (SQLExec_) std::erase(SQLExec_->linkedObjs_, this);
    SQLExec_ = Value;
    if (Value) Value->linkedObjs_.push_back(this);
}

// ===================================================================================================
// TCustomExtract

TCustomExtract::TCustomExtract(TComponent* AOwner) : TComponent(AOwner) {}

TCustomExtract::~TCustomExtract() {
    Unbind();
}

void TCustomExtract::Unbind() {
    if (DBStructure_ && DBStructure_->GetExtractor() == this) {
        DBStructure_->SetExtractor(nullptr);
        if (DBStructure_->GetObjs()) DBStructure_->GetObjs()->OnAccept_Obj = nullptr;
    }
}

void TCustomExtract::SetDBStructure(TCustomDBStructure* Structure) {
    if (DBStructure_ && DBStructure_ != Structure) Unbind();
    if (DBStructure_) RemoveFreeNotification(DBStructure_);
    DBStructure_ = Structure;
    if (!Structure) return;
    FreeNotification(Structure);
    Structure->SetExtractor(this);
    if (TCustomObjs* objs = Structure->GetObjs())
        objs->OnAccept_Obj = [this](TObject*, TDbObj* Obj, bool& Accept) { Accept = IsObjAccepted(Obj); };
}

void TCustomExtract::DoProgressUpdate(int Value, int MaxValue) {
    if (OnProgressUpdate_) OnProgressUpdate_(this, Value, MaxValue);
}

void TCustomExtract::DoLog(int Position, const std::string& Text, int A, int B) {
    if (OnLog) OnLog(this, Position, Text, A, B);
}

void TCustomExtract::DoDebugMessage(const std::string& Text) {
    if (OnDebugMessage) OnDebugMessage(this, Text);
}

void TCustomExtract::DoLogNextLine(const std::string& Text) {
    if (OnLogNextLine_) OnLogNextLine_(this, Text);
}

void TCustomExtract::LogServerVersion() {
    if (!DBStructure_ || !DBStructure_->GetObjs()) return;
    const std::string text = DBStructure_->GetObjs()->GetServerVersionText();
    if (!text.empty()) DoLogNextLine(text);
}

void TCustomExtract::DoErrorMessage(const std::string& Text) {
    if (OnErrorMessage_)
        OnErrorMessage_(this, Text);
    else
        ShowMessageBox(Text);
    MsgManager_.AddMessage(Text, 2);
}

bool TCustomExtract::ExtractDatabase() {
    MsgManager_.Clear();
    return false;
}

void TCustomExtract::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove && AComponent && AComponent == DBStructure_) DBStructure_ = nullptr;
    TComponent::Notification(AComponent, Operation);
}

bool TCustomExtract::IsIncluded(std::string_view Name) const {
    if (IncludeObjsNames_.Count() == 0) return true;
    for (int i = 0; i < IncludeObjsNames_.Count(); ++i)
        if (MatchObjNamePattern(IncludeObjsNames_[i], Name)) return true;
    return false;
}

bool TCustomExtract::IsExcluded(std::string_view Name) const {
    for (int i = 0; i < ExcludeObjsNames_.Count(); ++i)
        if (MatchObjNamePattern(ExcludeObjsNames_[i], Name)) return true;
    return false;
}

bool TCustomExtract::IsObjectAccepted(const std::string& Name, TDbObject Kind) {
    using enum TDbObject;
    bool accepted = !IsExcluded(Name) && IsIncluded(Name);
    if (accepted && DBStructure_ && !DBStructure_->GetNamePrefix().empty()) {
        switch (Kind) {
        case dboTable:
        case dboProcedure:
        case dboFunction:
        case dboException:
        case dboDomain:
        case dboView:
        case dboGenerator:
        case dboEvent:
            if (!StartsStr(DBStructure_->GetNamePrefix(), Name)) accepted = false;
            break;
        default:
            break;
        }
    }
    if (OnAcceptObj) OnAcceptObj(this, Name, Kind, accepted);
    return accepted;
}

bool TCustomExtract::IsObjAccepted(TDbObj* Obj) {
    if (!Obj) return false;
    bool accepted = true;
    TObjsList which{};
    if (TCustomObjs::ListOfObject(Obj, which)) {
        const TListAcceptRule& rule = ObjsListInfo[static_cast<std::size_t>(which)].Accept;
        if (rule.Asked)
            accepted = IsObjectAccepted(rule.ByTable ? Obj->GetTableName() : Obj->GetName(), rule.Kind);
    }
    if (OnAccept_Obj) OnAccept_Obj(this, Obj, accepted);
    return accepted;
}

int TCustomExtract::AddObjectIfAccepted(TDbObj* Obj) {
    if (!Obj) return -1;
    TCustomObjs* objs = DBStructure_ ? DBStructure_->GetObjs() : nullptr;
    if (objs && IsObjectAccepted(Obj->GetName(), Obj->GetKind())) return objs->AddObject(Obj, true);
    delete Obj;
    return -1;
}

bool TCustomExtract::FileObjectIfAccepted(TDbObj* Obj, std::optional<TObjsList> Which) {
    if (!Obj) return false;
    TCustomObjs* objs = DBStructure_ ? DBStructure_->GetObjs() : nullptr;
    if (objs && IsObjectAccepted(Obj->GetName(), Obj->GetKind())) return objs->FileObject(Obj, true, Which);
    delete Obj;
    return false;
}

// ===================================================================================================
// TCustomDBStructure

TCustomDBStructure::TCustomDBStructure(TComponent* AOwner) : TComponent(AOwner) {}

TCustomDBStructure::~TCustomDBStructure() {
    // The extractor that names us hears of it through free-notification; the container goes now,
    // clearing the links other containers and executors hold to it.
    Objs_.reset();
}

void TCustomDBStructure::Clear() {
    if (Objs_) Objs_->Clear();
    NamePrefix_.clear();
}

void TCustomDBStructure::SetDatabaseType(TDatabaseType Value) {
    if (Objs_) Objs_->SetDatabaseType(Value);
}

TDatabaseType TCustomDBStructure::GetDatabaseType() const {
    return Objs_ ? Objs_->GetDatabaseType() : TDatabaseType::dbAbstract;
}

// ===================================================================================================
// TCustomSchemalyst

TCustomSchemalyst::TCustomSchemalyst(TComponent* AOwner) : TComponent(AOwner) {}

TCustomSchemalyst::~TCustomSchemalyst() {
    if (watchedExec_) watchedExec_->UnwatchStatements(this);
    watchedExec_ = nullptr;
    FreeOwnSQLExec();
}

void TCustomSchemalyst::ExtractAndCompare() {
    if (ExtractStructures()) CompareStructures();
}

void TCustomSchemalyst::DoLogNextLine(const std::string& Text) {
    if (OnLogNextLine) OnLogNextLine(this, Text);
}

void TCustomSchemalyst::DoErrorMessage(const std::string& Text) {
    if (OnErrorMessage)
        OnErrorMessage(this, Text);
    else
        ShowMessageBox(Text);
}

void TCustomSchemalyst::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove && AComponent) {
        if (AComponent == DBStructureMaster_) DBStructureMaster_ = nullptr;
        if (AComponent == DBStructureTarget_) DBStructureTarget_ = nullptr;
        if (AComponent == SQLExec_) {
            // The executor is being destroyed: it has freed its statements and cleared the
            // containers' links already; only our references remain.
            if (watchedExec_ == SQLExec_) watchedExec_ = nullptr;
            SQLExec_ = nullptr;
            WatchExecutor();
        }
        if (AComponent == ExtractorMaster_) ExtractorMaster_ = nullptr;
        if (AComponent == ExtractorTarget_) ExtractorTarget_ = nullptr;
    }
    TComponent::Notification(AComponent, Operation);
}

void TCustomSchemalyst::SetDBStructureMaster(TCustomDBStructure* Structure) {
    if (DBStructureMaster_ && DBStructureMaster_ != Structure && DBStructureMaster_->GetObjs())
        DBStructureMaster_->GetObjs()->SetPartnerObjs(nullptr);
    if (DBStructureMaster_ && DBStructureMaster_ != DBStructureTarget_)
        RemoveFreeNotification(DBStructureMaster_);
    DBStructureMaster_ = Structure;
    if (Structure) {
        FreeNotification(Structure);
        if (Structure->GetExtractor()) Structure->GetExtractor()->SetShowFullLog(ShowFullLog_);
        if (Structure->GetObjs()) Structure->GetObjs()->SetRole(1);
    }
    LinkStructures();
}

void TCustomSchemalyst::SetDBStructureTarget(TCustomDBStructure* Structure) {
    if (DBStructureTarget_ && DBStructureTarget_ != Structure && DBStructureTarget_->GetObjs())
        DBStructureTarget_->GetObjs()->SetPartnerObjs(nullptr);
    if (DBStructureTarget_ && DBStructureTarget_ != DBStructureMaster_)
        RemoveFreeNotification(DBStructureTarget_);
    DBStructureTarget_ = Structure;
    if (Structure) {
        FreeNotification(Structure);
        if (Structure->GetExtractor()) Structure->GetExtractor()->SetShowFullLog(ShowFullLog_);
        if (Structure->GetObjs()) Structure->GetObjs()->SetRole(2);
    }
    LinkStructures();
}

void TCustomSchemalyst::LinkStructures() {
    TCustomObjs* master = GetMasterObjs();
    TCustomObjs* target = GetTargetObjs();
    if (!master || !target) return;
    master->SetRole(1);
    target->SetRole(2);
    master->SetPartnerObjs(target);
    target->SetPartnerObjs(master);
}

void TCustomSchemalyst::SetShowFullLog(bool Value) {
    ShowFullLog_ = Value;
    for (TCustomDBStructure* s : {DBStructureMaster_, DBStructureTarget_})
        if (s && s->GetExtractor()) s->GetExtractor()->SetShowFullLog(Value);
}

TCustomSQLExec* TCustomSchemalyst::GetSQLExec() const {
    return SQLExec_ ? SQLExec_ : OwnSQLExec_.get();
}

void TCustomSchemalyst::ForgetExecutor(TCustomSQLExec* Exec) {
    if (!Exec) return;
    for (TCustomObjs* objs : {GetMasterObjs(), GetTargetObjs()})
        if (objs && objs->GetSQLExec() == Exec) objs->SetSQLExec(nullptr);
}

void TCustomSchemalyst::FreeOwnSQLExec() {
    if (!OwnSQLExec_) return;
    if (watchedExec_ == OwnSQLExec_.get()) {
        watchedExec_->UnwatchStatements(this);
        watchedExec_ = nullptr;
        for (int i = 0; i < LogList_.Count(); ++i)
            LogList_.SetObject(i, nullptr);
    }
    ForgetExecutor(OwnSQLExec_.get());
    OwnSQLExec_.reset(); // its destructor clears any container link left
}

void TCustomSchemalyst::SetSQLExec(TCustomSQLExec* Exec) {
    TCustomSQLExec* old = GetSQLExec();
    if (SQLExec_) RemoveFreeNotification(SQLExec_);
    if (Exec) FreeNotification(Exec);
    if (OwnSQLExec_ && !SQLExec_ && Exec != OwnSQLExec_.get()) {
        old = nullptr; // freed below; its destructor clears every link
        FreeOwnSQLExec();
    }
    SQLExec_ = Exec;
    if (old && old != GetSQLExec()) ForgetExecutor(old);
    WatchExecutor();
}

void TCustomSchemalyst::SetOwnSQLExec(std::unique_ptr<TCustomSQLExec> Exec) {
    FreeOwnSQLExec();
    OwnSQLExec_ = std::move(Exec);
    WatchExecutor();
}

void TCustomSchemalyst::WatchExecutor() {
    TCustomSQLExec* now = GetSQLExec();
    if (watchedExec_ == now) return;
    if (watchedExec_) watchedExec_->UnwatchStatements(this);
    // Lines written for the statements of another executor no longer point at them.
    for (int i = 0; i < LogList_.Count(); ++i)
        LogList_.SetObject(i, nullptr);
    watchedExec_ = now;
    if (!now) return;
    now->WatchStatements(this, [this](TStatement* st) {
        for (int i = 0; i < LogList_.Count(); ++i)
            if (!st || LogList_.Objects(i) == st) LogList_.SetObject(i, nullptr);
    });
}

void TCustomSchemalyst::SetExtractorMaster(TCustomExtract* Value) {
    if (ExtractorMaster_ && ExtractorMaster_ != ExtractorTarget_) RemoveFreeNotification(ExtractorMaster_);
    ExtractorMaster_ = Value;
    if (Value) FreeNotification(Value);
}

void TCustomSchemalyst::SetExtractorTarget(TCustomExtract* Value) {
    if (ExtractorTarget_ && ExtractorTarget_ != ExtractorMaster_) RemoveFreeNotification(ExtractorTarget_);
    ExtractorTarget_ = Value;
    if (Value) FreeNotification(Value);
}

TCustomObjs* TCustomSchemalyst::GetMasterObjs() const {
    return DBStructureMaster_ ? DBStructureMaster_->GetObjs() : nullptr;
}

TCustomObjs* TCustomSchemalyst::GetTargetObjs() const {
    return DBStructureTarget_ ? DBStructureTarget_->GetObjs() : nullptr;
}

std::string TCustomSchemalyst::QuoteName(std::string_view Name) const {
    const TCustomObjs* target = GetTargetObjs();
    if (!target) return std::string(Name);
    return TCustomObjs::QuoteIdentifier(Name, target->GetDatabaseType(),
                                        target->GetIBServerOptions().GetSQLServerVersion(),
                                        target->GetIBServerOptions().GetSQLDialect());
}

} // namespace smx
