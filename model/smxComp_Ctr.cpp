// smxComp_Ctr: constraints, their texts and their compare steps. See the header.
#include "model/smxComp_Ctr.h"

#include <algorithm>
#include <array>
#include <span>

#include "model/smxComp_Tbl.h"
#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"

namespace smx {

namespace {

using enum TDatabaseType;

TCtrData* ConstraintAt(const TStringList& List, int Index) {
    return ObjectAs<TCtrData>(List.Objects(Index));
}

TFldData* AppendColumn(const TCtrData& Constraint, TStringList& List, std::string_view Name) {
    auto* f = new TFldData(Constraint.GetOwner());
    f->SetName(Name);
    f->TableName = Constraint.TableName;
    List.AddObject(f->GetName(), f);
    return f;
}

std::string_view ActionWord(std::uint8_t Action) {
    switch (Action) {
    case raRestrict:
        return "RESTRICT";
    case raCascade:
        return "CASCADE";
    case raSetDefault:
        return "SET DEFAULT";
    case raSetNull:
        return "SET NULL";
    case raNoAction:
        return "NO ACTION";
    default:
        return {};
    }
}

// The MS SQL case rule of the setters: upper-cased unless identifiers are case-sensitive.
std::string StoredName(const TCtrData& Constraint, std::string_view Value) {
    const TCustomObjs* owner = Constraint.GetOwner();
    if (owner && owner->GetDatabaseType() == dbMSSQL &&
        !owner->GetMSSQLServerOptions().GetMSSQLCompareOptions().GetCaseSensitiveIdentifiers())
        return UpperCase(Value);
    return std::string(Value);
}

} // namespace

TCtrData::TCtrData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboConstraint);
}

TCtrData::~TCtrData() = default;

void TCtrData::SetConstraintType(std::uint8_t Value) {
    ConstraintType_ = Value;
    switch (Value) {
    case ctPrimaryKey:
        SetKind(TDbObject::dboPKey);
        break;
    case ctUnique:
        SetKind(TDbObject::dboUnique);
        break;
    case ctForeignKey:
        SetKind(TDbObject::dboFKey);
        break;
    case ctCheck:
        SetKind(TDbObject::dboCheck);
        break;
    case ctDefault:
        SetKind(TDbObject::dboDefault);
        break;
    case ctReferences:
        SetKind(TDbObject::dboReferences);
        break;
    default: // a not-null check keeps its kind
        break;
    }
}

void TCtrData::SetTableName(std::string_view Value) {
    TableName = StoredName(*this, Value);
}

void TCtrData::SetRefTableName(std::string_view Value) {
    RefTableName = StoredName(*this, Value);
}

void TCtrData::SetRefTableOwner(std::string_view Value) {
    RefTableOwner = StoredName(*this, Value);
}

TFldData* TCtrData::AddColumn(std::string_view Name) {
    return AppendColumn(*this, Columns, Name);
}

TFldData* TCtrData::AddRefColumn(std::string_view Name) {
    return AppendColumn(*this, RefColumns, Name);
}

std::string TCtrData::Q(std::string_view Name) const {
    if (dialect1Quoting_ && GetDatabaseType() == dbInterBase)
        if (const TIBServerOptions* ib = GetIBServerOptions())
            return TCustomObjs::QuoteIdentifier(Name, dbInterBase, ib->GetSQLServerVersion(), 1);
    return QuoteName(Name);
}

void TCtrData::AppendQ(std::string& s, std::string_view Name) const {
    if (dialect1Quoting_)
        s += Q(Name);
    else
        AppendQuotedName(s, Name);
}

void TCtrData::AppendQuotedList(std::string& s, const TStringList& Names) const {
    for (int i = 0; i < Names.Count(); ++i) {
        if (i > 0) s += ", ";
        AppendQ(s, Names[i]);
    }
}

std::string TCtrData::GetColumnsText() const {
    std::string s;
    AppendQuotedList(s, Columns);
    return s;
}

std::string TCtrData::GetRefColumnsText() const {
    std::string s;
    AppendQuotedList(s, RefColumns);
    return s;
}

void TCtrData::AppendTablePart(std::string& s) const {
    const TDatabaseType t = GetDatabaseType();
    if (t == dbSybaseASA) {
        AppendQ(s, Owner2);
        s += '.';
    } else if ((t == dbOracle || t == dbMSSQL || t == dbPostgreSQL) && !GetParentName().empty()) {
        AppendQ(s, GetParentName());
        s += '.';
    }
    AppendQ(s, TableName);
}

void TCtrData::AppendUsingIndexClause(std::string& s) const {
    if (IndexName.empty()) return;
    switch (GetDatabaseType()) {
    case dbInterBase:
        s += IndexDescending ? "\r\nUSING DESC INDEX " : "\r\nUSING INDEX ";
        AppendQ(s, IndexName);
        return;
    case dbMySQL:
        return;
    default:
        s += ' ';
        s += IndexName;
        return;
    }
}

std::string TCtrData::GetDefinitionSQL(bool OmitSingleDefaultColumn) const {
    std::string s;
    AppendDefinitionSQL(s, OmitSingleDefaultColumn);
    return s;
}

void TCtrData::AppendDefinitionSQL(std::string& s, bool OmitSingleDefaultColumn) const {
    // Appended in place: the log of a large script composes this text for every key.
    const TDatabaseType t = GetDatabaseType();
    const std::string& parent = GetParentName();
    if (!GetName().empty()) {
        s += "CONSTRAINT ";
        AppendQ(s, GetName());
        s += ' ';
    }
    switch (ConstraintType_) {
    case ctForeignKey: {
        s += "FOREIGN KEY ";
        if (t == dbSybaseASA && !RoleName.empty()) {
            AppendQ(s, RoleName);
            s += ' ';
        }
        s += '(';
        AppendQuotedList(s, Columns);
        s += ") REFERENCES ";
        if (t == dbSybaseASA) {
            AppendQ(s, RefOwner);
            s += '.';
        } else if (t == dbMSSQL) {
            if (!RefTableOwner.empty()) {
                AppendQ(s, RefTableOwner);
                s += '.';
            }
        } else if ((t == dbPostgreSQL || t == dbOracle) && !parent.empty()) {
            AppendQ(s, parent);
            s += '.';
        }
        AppendQ(s, RefTableName);
        if (RefColumns.Count() > 0) {
            s += " (";
            AppendQuotedList(s, RefColumns);
            s += ')';
        }
        if (t == dbPostgreSQL) {
            if (MatchType == 1) s += " MATCH FULL";
            if (MatchType == 2) s += " MATCH PARTIAL";
        }
        // Servers below ODS 9 know no referential actions.
        const int ods = t == dbInterBase && GetOwner() ? GetOwner()->GetTargetODSMajor() : 0;
        if (!(ods > 0 && ods < 9)) {
            if (const std::string_view w = ActionWord(UpdateRule); !w.empty()) {
                s += " ON UPDATE ";
                s += w;
            }
            if (const std::string_view w = ActionWord(DeleteRule); !w.empty()) {
                s += " ON DELETE ";
                s += w;
            }
        }
        if (NotForReplication) s += " NOT FOR REPLICATION";
        AppendUsingIndexClause(s);
        if (CheckOnCommit) s += " CHECK ON COMMIT";
        break;
    }
    case ctCheck:
        if (t == dbInterBase && !CheckSource.empty()) {
            const TIBServerOptions* ib = GetIBServerOptions();
            if (ib && WritesStoredClauses(ib->GetSQLServerVersion())) {
                s += CheckSource;
                break;
            }
        }
        s += "CHECK";
        if (NotForReplication) s += " NOT FOR REPLICATION";
        s += GetSource();
        break;
    case ctPrimaryKey:
        s += "PRIMARY KEY ";
        if (t == dbSybaseASA && Clustered) s += "CLUSTERED ";
        if (t == dbMSSQL && !Clustered) s += "NONCLUSTERED ";
        s += '(';
        AppendQuotedList(s, Columns);
        s += ')';
        AppendUsingIndexClause(s);
        break;
    case ctUnique:
        s += "UNIQUE ";
        if (t == dbMSSQL && Clustered) s += "CLUSTERED ";
        if (t == dbMySQL && !IndexName.empty()) {
            s += IndexName;
            s += ' ';
        }
        s += '(';
        AppendQuotedList(s, Columns);
        s += ')';
        AppendUsingIndexClause(s);
        break;
    case ctReferences:
        s += "REFERENCES ";
        AppendQ(s, RefTableName);
        if (RefColumns.Count() > 0) {
            s += '(';
            AppendQuotedList(s, RefColumns);
            s += ')';
        }
        break;
    default:
        break;
    }
    if (DeferrableInitiallyDeferred) s += "\r\nDEFERRABLE INITIALLY DEFERRED";
    if (ConstraintType_ == ctDefault && (t == dbMSSQL || t == dbSybaseASE)) {
        s += "DEFAULT ";
        s += GetSource();
        if (Columns.Count() > 0 && !(OmitSingleDefaultColumn && Columns.Count() == 1)) {
            s += " FOR ";
            AppendQuotedList(s, Columns);
        }
    }
    if (t == dbPostgreSQL) {
        if (Deferrable) s += " DEFERRABLE";
        if (InitiallyDeferred) s += " INITIALLY DEFERRED";
    }
    if (const std::string space = TableSpace.GetSQLText(); !space.empty()) {
        s += "\r\n";
        s += space;
    }
}

std::string TCtrData::GetCreateSQL() const {
    if (Ignore) return {};
    std::string s;
    s.reserve(128);
    s += "ALTER TABLE ";
    AppendTablePart(s);
    if (GetDatabaseType() == dbOracle && ConstraintType_ == ctNotNull) {
        s += " MODIFY (" + (Columns.Count() > 0 ? Q(Columns[0]) : std::string());
        if (!GetName().empty()) s += " CONSTRAINT " + Q(GetName());
        return s + " NOT NULL)";
    }
    s += " ADD ";
    AppendDefinitionSQL(s, false);
    return s;
}

std::string TCtrData::GetFullName() const {
    if (!GetName().empty()) return TDbObj::GetFullName();
    dialect1Quoting_ = true;
    ScopeExit restore([this] { dialect1Quoting_ = false; });
    return Occurrence > 1 ? GetCreateSQL() + " #" + IntToStr(Occurrence) : GetCreateSQL();
}

bool TCtrData::TakeNextDuplicateKey() {
    // The server keeps repeated unnamed checks and foreign keys; keys on one column set are unique.
    if (!GetName().empty() || (ConstraintType_ != ctCheck && ConstraintType_ != ctForeignKey)) return false;
    ++Occurrence;
    return true;
}

bool TCtrData::DropsBySystemName() const {
    if (!GetName().empty() || !OverrideName.empty() || GetDatabaseType() != dbInterBase) return false;
    const TIBServerOptions* ib = GetIBServerOptions();
    const auto v = ib ? ib->GetSQLServerVersion() : TIBSQLServerVersionType::st_InterBase_6x;
    return (v == TIBSQLServerVersionType::st_Firebird_30 || v == TIBSQLServerVersionType::st_Firebird_40) &&
           ConstraintType_ <= ctCheck;
}

std::string TCtrData::DropBySystemName() const {
    // Names are compared as the system tables hold them; a check by its text with blanks and line
    // breaks left out and upper-cased, as the server keeps the text the way it was written.
    auto columnsMatch = [](const TStringList& Columns) {
        const std::string segments =
            "SELECT 1 FROM RDB$INDEX_SEGMENTS S WHERE S.RDB$INDEX_NAME = RC.RDB$INDEX_NAME";
        std::string w = "\r\n  AND (SELECT COUNT(*) FROM RDB$INDEX_SEGMENTS S WHERE S.RDB$INDEX_NAME = "
                        "RC.RDB$INDEX_NAME) = " +
                        IntToStr(Columns.Count());
        for (int i = 0; i < Columns.Count(); ++i)
            w += "\r\n  AND EXISTS (" + segments + " AND S.RDB$FIELD_POSITION = " + IntToStr(i) +
                 " AND S.RDB$FIELD_NAME = " + QuotedStr(Columns[i]) + ")";
        return w;
    };
    std::string from = "RDB$RELATION_CONSTRAINTS RC", where;
    switch (ConstraintType_) {
    case ctPrimaryKey:
        where = " AND RC.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY'";
        break;
    case ctUnique:
        where = " AND RC.RDB$CONSTRAINT_TYPE = 'UNIQUE'" + columnsMatch(Columns);
        break;
    case ctForeignKey:
        from += "\r\n  JOIN RDB$REF_CONSTRAINTS R ON R.RDB$CONSTRAINT_NAME = RC.RDB$CONSTRAINT_NAME"
                "\r\n  JOIN RDB$RELATION_CONSTRAINTS U ON U.RDB$CONSTRAINT_NAME = R.RDB$CONST_NAME_UQ";
        where = " AND RC.RDB$CONSTRAINT_TYPE = 'FOREIGN KEY' AND U.RDB$RELATION_NAME = " +
                QuotedStr(RefTableName) + columnsMatch(Columns);
        break;
    default: { // check
        std::string text;
        for (char c : GetDefinitionSQL(false))
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n') text += UpCase(c);
        where = " AND RC.RDB$CONSTRAINT_TYPE = 'CHECK'"
                "\r\n  AND EXISTS (SELECT 1 FROM RDB$CHECK_CONSTRAINTS C JOIN RDB$TRIGGERS TR"
                " ON TR.RDB$TRIGGER_NAME = C.RDB$TRIGGER_NAME"
                "\r\n    WHERE C.RDB$CONSTRAINT_NAME = RC.RDB$CONSTRAINT_NAME"
                " AND UPPER(REPLACE(REPLACE(REPLACE(REPLACE(TR.RDB$TRIGGER_SOURCE,"
                " ' ', ''), ASCII_CHAR(9), ''), ASCII_CHAR(10), ''), ASCII_CHAR(13), '')) = " +
                QuotedStr(text) + ")";
        break;
    }
    }
    // The statement run by name is a string literal: its quotes are doubled. It commits on its own:
    // isql runs DDL and other statements in two transactions, and the next DDL on the table would
    // wait for this block's. The run's own snapshot still sees a constraint an earlier block dropped
    // (two identical unnamed checks): each candidate is looked up again in a transaction of its own,
    // and the first that still exists is dropped.
    const std::string alter = "ALTER TABLE " + Q(TableName) + " DROP CONSTRAINT \"";
    const std::string head = "EXECUTE BLOCK AS\r\nDECLARE N VARCHAR(63);\r\nDECLARE F INTEGER;\r\nBEGIN\r\n"
                             "  FOR SELECT RC.RDB$CONSTRAINT_NAME FROM ";
    const std::string run =
        "\r\n  DO BEGIN\r\n"
        "    EXECUTE STATEMENT ('SELECT COUNT(*) FROM RDB$RELATION_CONSTRAINTS WHERE RDB$CONSTRAINT_NAME = ?') (N)"
        "\r\n    WITH AUTONOMOUS TRANSACTION INTO :F;\r\n"
        "    IF (F > 0) THEN\r\n    BEGIN\r\n      EXECUTE STATEMENT " +
        QuotedStr(alter) +
        " || REPLACE(TRIM(N), '\"', '\"\"') || '\"'\r\n      WITH AUTONOMOUS TRANSACTION;\r\n"
        "      LEAVE;\r\n    END\r\n  END\r\nEND";
    return head + from + "\r\n  WHERE RC.RDB$RELATION_NAME = " + QuotedStr(TableName) + where +
           "\r\n  ORDER BY RC.RDB$CONSTRAINT_NAME INTO :N" + run;
}

TStatType TCtrData::GetDropStatType() const {
    return DropsBySystemName() ? TStatType::stProcedure : TStatType::stStatement;
}

std::string TCtrData::GetDisplayName() const {
    if (!GetName().empty()) return GetName();
    if (!OverrideName.empty()) return OverrideName;
    return GetCreateSQL();
}

std::string TCtrData::GetDropSQL() const {
    const TDatabaseType t = GetDatabaseType();
    std::string table = Q(TableName);
    if ((t == dbOracle || t == dbMSSQL || t == dbPostgreSQL) && !GetParentName().empty())
        table = Q(GetParentName()) + "." + table;
    const std::string alter = "ALTER TABLE " + table;
    if (t == dbMySQL) {
        switch (ConstraintType_) {
        case ctPrimaryKey:
            return alter + " DROP PRIMARY KEY";
        case ctUnique:
            if (!GetName().empty()) return alter + " DROP CONSTRAINT " + Q(GetName());
            if (!IndexName.empty()) return alter + " DROP KEY " + Q(IndexName);
            return alter + " DROP UNIQUE";
        case ctForeignKey:
            return alter + " DROP FOREIGN KEY " + Q(GetName());
        default:
            return alter + " DROP CONSTRAINT " + Q(GetName());
        }
    }
    if (!GetName().empty() || !OverrideName.empty())
        return alter + " DROP CONSTRAINT " + Q(!GetName().empty() ? GetName() : OverrideName.str());
    std::string s = "/* drop constraint: " + GetDisplayName() + " */" + "\r\n";
    if (DropsBySystemName()) return s + DropBySystemName();
    if (t == dbSybaseASA) {
        switch (ConstraintType_) {
        case ctPrimaryKey:
            return s + alter + " DROP PRIMARY KEY";
        case ctUnique:
            return s + alter + " DROP UNIQUE(" + GetColumnsText() + ")";
        case ctForeignKey:
            return s + alter + " DROP FOREIGN KEY" + " " +
                   Q(!RoleName.empty() ? RoleName.str() : RefTableName);
        case ctCheck:
            return s + alter + " DROP CHECK";
        default:
            return s;
        }
    }
    if (t == dbInterBase && ConstraintType_ == ctPrimaryKey)
        return s +
               "Delete from Rdb$Relation_Constraints\r\nwhere Rdb$Relation_Name = " + QuotedStr(TableName) +
               "\r\n" + "and Rdb$Constraint_Type = " + "'PRIMARY KEY'";
    return s;
}

void TCtrData::MarkDependents() {
    if (ConstraintType_ != ctPrimaryKey && ConstraintType_ != ctUnique) return;
    if (GetDatabaseType() == dbInterBase)
        if (TCustomSQLExec* exec = GetSQLExec()) exec->AddReconnect();
    for (int i = 0; i < GetUsedBy().Count(); ++i) {
        TDependObj* e = UsedByItem(i);
        auto* fk = e ? dynamic_cast<TCtrData*>(e->GetReferenced()) : nullptr;
        if (fk && fk->ConstraintType_ == ctForeignKey) fk->DropWithDependents();
    }
}

void TCtrData::ProcessDependents() {
    DeclareNeededSignatures(); // a check that calls a routine needs its new parameter list
    for (int i = 0; i < GetDependsOn().Count(); ++i) {
        TDependObj* e = DependsOnItem(i);
        TDbObj* n = e ? e->GetReferenced() : nullptr;
        if (!n) continue;
        const bool table = n->GetKind() == TDbObject::dboTable;
        const TDbObj* parent = n->GetKind() == TDbObject::dboField ? n->GetParentObject() : nullptr;
        if (table || (parent && parent->GetKind() == TDbObject::dboTable)) n->CreateDependDef();
    }
}

namespace {
bool SameNames(const TStringList& A, const TStringList& B) {
    if (A.Count() != B.Count()) return false;
    for (int i = 0; i < A.Count(); ++i)
        if (A[i] != B[i]) return false;
    return true;
}

// The first of Keys (constraints of the foreign key's referenced table, in list order) that the
// foreign key hangs on.
template <typename Keys> TCtrData* FirstReferencedKey(const Keys& Candidates, const TCtrData* ForeignKey) {
    const bool anyColumns = ForeignKey->RefColumns.Count() > 0;
    std::string refColumns;
    bool refColumnsMade = false;
    for (TCtrData* key : Candidates) {
        if (!key || key == ForeignKey || key->TableName != ForeignKey->RefTableName) continue;
        const std::uint8_t type = key->GetConstraintType();
        if (!anyColumns) {
            if (type == ctPrimaryKey) return key;
            continue;
        }
        if (type != ctPrimaryKey && type != ctUnique) continue;
        // The same names in the same order give the same text; other lists compare by their texts.
        if (SameNames(key->Columns, ForeignKey->RefColumns)) return key;
        if (!refColumnsMade) {
            refColumns = ForeignKey->GetRefColumnsText();
            refColumnsMade = true;
        }
        if (key->GetColumnsText() == refColumns) return key;
    }
    return nullptr;
}

// The constraints of a list in list order, as FirstReferencedKey reads them.
struct ConstraintRange {
    const TStringList& List;
    struct iterator {
        const TStringList* List;
        int Index;
        TCtrData* operator*() const { return ConstraintAt(*List, Index); }
        iterator& operator++() {
            ++Index;
            return *this;
        }
        bool operator!=(const iterator& Other) const { return Index != Other.Index; }
    };
    iterator begin() const { return {&List, 0}; }
    iterator end() const { return {&List, List.Count()}; }
};
} // namespace

TCtrData* FindReferencedKey(TCustomObjs* Objs, const TCtrData* ForeignKey) {
    if (!Objs || !ForeignKey || ForeignKey->GetConstraintType() != ctForeignKey) return nullptr;
    return FirstReferencedKey(ConstraintRange{Objs->Constraints()}, ForeignKey);
}

TReferencedKeyIndex::TReferencedKeyIndex(TCustomObjs* Objs) {
    if (!Objs) return;
    TStringList& list = Objs->Constraints();
    // Each key's group, counted first (the constraints read in the order they lie in memory), then
    // the keys placed group by group in list order.
    std::vector<std::pair<TCtrData*, Group*>> found(static_cast<std::size_t>(list.Count()));
    const std::vector<int> order = InMemoryOrder(list);
    for (std::size_t p = 0; p < order.size(); ++p) {
        if (p + 8 < order.size()) list.PrefetchObject(order[p + 8]);
        TCtrData* key = ConstraintAt(list, order[p]);
        if (!key || (key->GetConstraintType() != ctPrimaryKey && key->GetConstraintType() != ctUnique))
            continue;
        Group& g = groups_[std::string_view(key->TableName)];
        ++g.Count;
        found[static_cast<std::size_t>(order[p])] = {key, &g};
    }
    std::uint32_t first = 0;
    for (auto& [name, g] : groups_) {
        g.First = first;
        first += g.Count;
        g.Count = 0;
    }
    keys_.resize(first);
    for (auto& [key, g] : found)
        if (key) keys_[g->First + g->Count++] = key;
}

TCtrData* TReferencedKeyIndex::Find(const TCtrData* ForeignKey) const {
    if (!ForeignKey || ForeignKey->GetConstraintType() != ctForeignKey) return nullptr;
    const auto g = groups_.find(std::string_view(ForeignKey->RefTableName));
    if (g == groups_.end()) return nullptr;
    return FirstReferencedKey(std::span<TCtrData* const>(keys_.data() + g->second.First, g->second.Count),
                              ForeignKey);
}

// ===================================================================================================
// Compare steps

void DropConstraints(TCustomSchemalyst* Comparer) {
    using enum TCmpObjType;
    TCustomObjs* target = Comparer ? Comparer->GetTargetObjs() : nullptr;
    if (!target || !Comparer->GetSQLExec()) return;
    const TCmpObjSetType compared = Comparer->GetCompareObjects();
    if ((compared * TCmpObjSetType{coPrimaryKey, coForeignKey, coUnique, coCheck, coCtrDefault}).empty())
        return;
    auto isCompared = [&](std::uint8_t type) {
        switch (type) {
        case ctPrimaryKey:
            return compared.contains(coPrimaryKey);
        case ctUnique:
            return compared.contains(coUnique);
        case ctForeignKey:
            return compared.contains(coForeignKey);
        case ctCheck:
        case ctDefault:
        case ctNotNull:
            return compared.contains(coCheck);
        default:
            return true;
        }
    };
    TStringList& list = target->Constraints();
    for (int i = list.Count() - 1; i >= 0; --i) {
        TCtrData* t = ConstraintAt(list, i);
        if (!t || t->Ignore || !isCompared(t->GetConstraintType())) continue;
        if (TDbObj* m = t->GetPartner(); m && m->GetCreateSQL() == t->GetCreateSQL()) continue;
        // A MySQL key of a table that is dropped goes with DROP TABLE: dropping it first is refused
        // when it holds the AUTO_INCREMENT column.
        if (target->GetDatabaseType() == TDatabaseType::dbMySQL &&
            (t->GetConstraintType() == ctPrimaryKey || t->GetConstraintType() == ctUnique))
            if (TDbObj* table = target->FindObject(TObjsList::olTables, t->TableName);
                table && !table->GetPartner())
                continue;
        if (t->GetExists()) t->DropWithDependents();
    }
}

void CreateConstraints(TCustomSchemalyst* Comparer, std::uint8_t Types) {
    using enum TCmpObjType;
    TCustomObjs* master = Comparer ? Comparer->GetMasterObjs() : nullptr;
    TCustomObjs* target = Comparer ? Comparer->GetTargetObjs() : nullptr;
    TCustomSQLExec* exec = Comparer ? Comparer->GetSQLExec() : nullptr;
    if (!master || !exec) return;
    struct Pass {
        TCmpObjType Gate;
        std::uint8_t Type, AlsoType; // AlsoType 0xFF: none
        bool MSSQLOnly;
        const char* Header;
    };
    constexpr std::uint8_t none = 0xFF;
    constexpr std::array<Pass, 7> passes = {{
        {coCheck, ctNotNull, none, false, "/* Create check(not null)... */"},
        {coCheck, ctDefault, none, true, "/* Create Default... */"},
        {coPrimaryKey, ctPrimaryKey, none, false, "/* Create Primary Key... */"},
        {coUnique, ctUnique, none, false, "/* Create Unique... */"},
        {coForeignKey, ctForeignKey, none, false, "/* Create Foreign Key... */"},
        {coCheck, ctCheck, ctNotNull, false, "/* Create Check... */"},
        {coCheck, ctDefault, none, false, "/* Create Default... */"},
    }};
    const TCmpObjSetType compared = Comparer->GetCompareObjects();
    const bool mssql = target && target->GetDatabaseType() == dbMSSQL;
    auto inSet = [Types](std::uint8_t type) { return type <= 7 && (Types & (1u << type)) != 0; };
    TStringList& list = master->Constraints();
    bool lastHeader = false;
    for (const Pass& pass : passes) {
        lastHeader = false;
        if (!compared.contains(pass.Gate) || (pass.MSSQLOnly && !mssql)) continue;
        for (int i = 0; i < list.Count(); ++i) {
            TCtrData* m = ConstraintAt(list, i);
            if (!m || m->Ignore || m->GetExists()) continue;
            const std::uint8_t type = m->GetConstraintType();
            if ((type != pass.Type && type != pass.AlsoType) || !inSet(type)) continue;
            if (!lastHeader) {
                exec->AddComment(pass.Header);
                if (pass.Type == ctForeignKey) exec->AddReconnect();
                lastHeader = true;
            }
            m->CreateDependDef();
        }
    }
    if (lastHeader) exec->AddComment("\r\n");
}

void CreateConstraintsButDefaults(TCustomSchemalyst* Comparer) {
    CreateConstraints(Comparer, 223);
}

void CreateDefaultConstraints(TCustomSchemalyst* Comparer) {
    if (Comparer && !(Comparer->GetCompareObjects() * ConstraintCmpObjTypes).empty())
        CreateConstraints(Comparer, 32);
}

} // namespace smx
