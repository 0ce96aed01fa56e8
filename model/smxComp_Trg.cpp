// smxComp_Trg: trigger headers per dialect, the trigger's walkers and the trigger compare steps.
// See the header.
#include "model/smxComp_Trg.h"

#include "platform/smxStrUtils.h"

namespace smx {

namespace {

using enum TDatabaseType;

constexpr std::uint8_t EventInsert = 2;
constexpr std::uint8_t EventUpdate = 4;
constexpr std::uint8_t EventDelete = 8;

TTrgData* AsTrigger(TObject* Obj) {
    return dynamic_cast<TTrgData*>(Obj);
}

// PostgreSQL and MySQL have no statement that gives an existing trigger another body: a trigger
// that must let go of what it uses is dropped, and made again later.
bool EmptiedByDrop(TDatabaseType Type) {
    return Type == dbPostgreSQL || Type == dbMySQL;
}

// The event words of the event bits, in the order INSERT, UPDATE, DELETE.
std::vector<std::string> EventWords(std::uint8_t Events) {
    std::vector<std::string> words;
    if (Events & EventInsert) words.emplace_back("INSERT");
    if (Events & EventUpdate) words.emplace_back("UPDATE");
    if (Events & EventDelete) words.emplace_back("DELETE");
    return words;
}

std::string Join(const std::vector<std::string>& Items, std::string_view Separator) {
    std::string s;
    for (std::size_t i = 0; i < Items.size(); ++i)
        s += (i ? std::string(Separator) : std::string()) + Items[i];
    return s;
}

// "INSERT OR UPDATE OR DELETE " (each present event + " OR ", the last "OR " removed); an update
// column list goes after UPDATE when Columns is given.
std::string OrEvents(std::uint8_t Events, const std::string& Columns = {}) {
    std::string s;
    if (Events & EventInsert) s += "INSERT OR ";
    if (Events & EventUpdate)
        s += "UPDATE " + (Columns.empty() ? std::string() : "OF " + Columns + " ") + "OR ";
    if (Events & EventDelete) s += "DELETE OR ";
    if (EndsStr("OR ", s)) s.erase(s.size() - 3);
    return s;
}

} // namespace

std::string IBTriggerTypeText(std::int32_t Code) {
    const std::int32_t t = Code + 1;
    std::string s = (t & 1) ? "AFTER " : "BEFORE ";
    int present = 0;
    for (int shift : {1, 3, 5}) {
        const int e = (t >> shift) & 3;
        if (e == 0) continue;
        if (present++ > 0) s += " OR ";
        s += e == 1 ? "INSERT" : e == 2 ? "UPDATE" : "DELETE";
    }
    return s;
}

std::string DDLTriggerEventText(std::uint64_t Type) {
    std::string s = (Type & 1) ? "AFTER " : "BEFORE ";
    if ((Type & ~std::uint64_t{1}) == DDLTriggerAnyEvents) return s + "ANY DDL STATEMENT";
    bool first = true;
    for (std::size_t bit = 1; bit < DDLTriggerEvents.size(); ++bit)
        if (((Type >> bit) & 1) && !DDLTriggerEvents[bit].empty()) {
            s += (first ? "" : " OR ") + std::string(DDLTriggerEvents[bit]);
            first = false;
        }
    return s;
}

// ===================================================================================================
// TTrgData

TTrgData::TTrgData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboTrigger);
}

TDbObj* TTrgData::GetLinkedObject() const {
    TCustomObjs* objs = GetOwner();
    if (!objs || TableName.empty()) return nullptr;
    std::string key = TableName;
    if (objs->GetDatabaseType() == dbSybaseASA && !Owner2.empty()) key = Owner2 + "." + TableName;
    // PostgreSQL files relations under schema.name; a trigger lives in the schema of its table.
    if (objs->GetDatabaseType() == dbPostgreSQL && !GetParentName().empty())
        key = GetParentName() + "." + TableName;
    if (TDbObj* t = objs->FindObject(TObjsList::olTables, key)) return t;
    return objs->FindObject(TObjsList::olViews, key);
}

std::string TTrgData::EmptyTriggerBody() const {
    switch (GetDatabaseType()) {
    case dbMSSQL:
        return " declare @i integer;\r\nbegin set @i = 0; end";
    case dbMySQL:
        return " BEGIN END";
    default:
        return " AS Declare variable I integer;\r\nBEGIN I = 0; END";
    }
}

bool TTrgData::IsDDLTrigger() const {
    return IsDatabaseTrigger() && (StartsStr("BEFORE ", DatabaseEvent) || StartsStr("AFTER ", DatabaseEvent));
}

std::string TTrgData::GetBodyText() const {
    // Sources are stored trimmed; an emptied trigger is written with the empty body as the dialect
    // has it, so that its CREATE text equals its empty-body text.
    const std::string empty = EmptyTriggerBody();
    if (GetSource() == Trim(empty)) return empty;
    if (!EngineName.empty() && GetSource().empty()) {
        const std::string clause =
            "EXTERNAL NAME " + QuotedStr(ExternalName) + "\r\n" + "ENGINE " + EngineName;
        const TIBServerOptions* ib = GetIBServerOptions();
        const bool firebird3 = GetDatabaseType() == dbInterBase && ib &&
                               (ib->GetSQLServerVersion() == TIBSQLServerVersionType::st_Firebird_30 ||
                                ib->GetSQLServerVersion() == TIBSQLServerVersionType::st_Firebird_40);
        if (firebird3) return clause;
        // Older servers run no external code: the trigger is written with the empty body.
        return FormatComment(clause + ": needs Firebird 3.0 or later") + "\r\n" + empty;
    }
    return GetSource();
}

std::string TTrgData::Header(bool Alter) const {
    const TDatabaseType t = GetDatabaseType();
    const std::string name = QuoteName(GetName());
    const std::string table = QuoteName(TableName);
    const std::string schema = GetParentName().empty() ? std::string() : QuoteName(GetParentName()) + ".";
    switch (t) {
    case dbMySQL: {
        std::string event;
        for (const std::string& w : EventWords(Events))
            event = w; // the last one
        return "CREATE TRIGGER " + name + " " +
               (Time == 1   ? "BEFORE "
                : Time == 2 ? "AFTER "
                            : "") +
               event + " ON " + table + "\r\n" + "     FOR EACH ROW" + "\r\n";
    }
    case dbSybaseASA: {
        const std::string owner = Owner2.empty() ? std::string() : Owner2 + ".";
        std::vector<std::string> words = EventWords(Events);
        if (TSQLForm)
            return "CREATE TRIGGER \r\n" + GetName() + " ON " + owner + table + "\r\n" + "  FOR " +
                   Join(words, ", ") + "\r\n" + "  AS" + "\r\n";
        for (std::string& w : words)
            if (w == "UPDATE" && UpdateColumns.Count() > 0) {
                w += " OF";
                for (int i = 0; i < UpdateColumns.Count(); ++i)
                    w += (i ? "," : "") + std::string(" ") + QuoteName(UpdateColumns[i]);
            }
        std::string s = "CREATE TRIGGER \r\n" + GetName() + " " +
                        (Time == 1   ? "BEFORE "
                         : Time == 2 ? "AFTER "
                                     : "") +
                        Join(words, ", ");
        if (Position != 0) s += " ORDER " + IntToStr(Position);
        s += " ON\r\n" + owner + TableName + "\r\n";
        if (!OldAlias.empty() || !NewAlias.empty() || !RemoteAlias.empty()) {
            s += "REFERENCING";
            if (!OldAlias.empty()) s += " OLD AS " + QuoteName(OldAlias);
            if (!NewAlias.empty()) s += " NEW AS " + QuoteName(NewAlias);
            if (!RemoteAlias.empty()) s += " REMOTE AS " + QuoteName(RemoteAlias);
            s += "\r\n";
        }
        if (ForEachRow) s += "FOR EACH ROW\r\n";
        if (ForEachStatement) s += "FOR EACH STATEMENT\r\n";
        return s;
    }
    case dbMSSQL:
    case dbSybaseASE: {
        std::string s = std::string(Alter ? "ALTER " : "CREATE ") + "TRIGGER ";
        std::string events;
        if (IsDatabaseTrigger()) {
            s += name + " ON " + TableName;
            events = DatabaseEvent;
        } else {
            s += GetQualifiedObjectName() + " ON " + schema + table;
            events = Join(EventWords(Events), ", ");
        }
        s += "\r\n";
        s += Time == 2 ? " AFTER " : Time == 4 ? " FOR " : Time == 5 ? " INSTEAD OF " : "";
        s += events + "\r\n";
        if (WithAppend) s += " WITH APPEND\r\n";
        if (NotForReplication) s += " NOT FOR REPLICATION\r\n";
        return s + " AS\r\n";
    }
    case dbOracle: {
        std::string columns;
        for (int i = 0; i < UpdateColumns.Count(); ++i)
            columns += (i ? ", " : "") + QuoteName(UpdateColumns[i]);
        std::string s = "CREATE OR REPLACE TRIGGER " + schema + name + "\r\n";
        s += Time == 1 ? "  BEFORE " : Time == 2 ? "  AFTER " : Time == 5 ? "  INSTEAD OF " : "  ";
        s += OrEvents(Events, columns) + " ON " + schema + table + "\r\n";
        if (!NewAlias.empty() || !OldAlias.empty() || !ParentAlias.empty()) {
            s += "  REFERENCING";
            if (!NewAlias.empty()) s += " NEW AS " + NewAlias;
            if (!OldAlias.empty()) s += " OLD AS " + OldAlias;
            if (!ParentAlias.empty()) s += " PARENT AS " + ParentAlias;
            s += "\r\n";
        }
        if (ForEachRow) s += "  FOR EACH ROW\r\n";
        if (ForEachStatement) s += "  FOR EACH STATEMENT\r\n";
        if (!WhenCondition.empty()) s += "  WHEN " + WhenCondition + "\r\n";
        return s;
    }
    case dbPostgreSQL: {
        std::string columns;
        for (int i = 0; i < UpdateColumns.Count(); ++i)
            columns += (i ? ", " : "") + QuoteName(UpdateColumns[i]);
        std::string s = "CREATE TRIGGER " + name + "\r\n" +
                        (Time == 1   ? "  BEFORE"
                         : Time == 5 ? "  INSTEAD OF"
                                     : "  AFTER") +
                        " " + OrEvents(Events, columns) + "\r\n" + "  ON " + schema + table + "\r\n";
        if (ForEachRow) s += "  FOR EACH ROW\r\n";
        if (ForEachStatement) s += "  FOR EACH STATEMENT\r\n";
        // The condition must stand in parentheses; a pair it already has does no harm.
        if (!WhenCondition.empty()) s += "  WHEN (" + WhenCondition + ")\r\n";
        return s;
    }
    case dbDB2: {
        std::string columns;
        for (int i = 0; i < UpdateColumns.Count(); ++i)
            columns += (i ? ", " : "") + UpdateColumns[i];
        std::string s = "CREATE TRIGGER " + name + "\r\n" + (Time == 1 ? "  NO CASCADE BEFORE" : "  AFTER") +
                        " " + OrEvents(Events);
        if (!columns.empty()) s += " OF " + columns;
        s += " ON " + table + "\r\n";
        if (!NewAlias.empty() || !OldAlias.empty() || !NewTableAlias.empty() || !OldTableAlias.empty()) {
            s += "  REFERENCING\r\n";
            if (!NewAlias.empty()) s += "  NEW AS " + NewAlias + "\r\n";
            if (!OldAlias.empty()) s += "  OLD AS " + OldAlias + "\r\n";
            if (!NewTableAlias.empty()) s += "  NEW_TABLE AS " + NewTableAlias + "\r\n";
            if (!OldTableAlias.empty()) s += "  OLD_TABLE AS " + OldTableAlias + "\r\n";
        }
        if (ForEachRow) s += "  FOR EACH ROW";
        if (ForEachStatement) s += "  FOR EACH STATEMENT";
        s += " MODE " + DB2Mode + "\r\n";
        if (!WhenCondition.empty()) s += "  WHEN " + WhenCondition + "\r\n";
        return s;
    }
    default: {
        // InterBase/Firebird, and every dialect without a form of its own.
        std::string s = "CREATE TRIGGER " + name;
        s += TableName == "DATABASE" ? std::string("\r\n") : " FOR " + table + "\r\n";
        s += Active ? "ACTIVE " : "INACTIVE ";
        if (IsDDLTrigger())
            s += DatabaseEvent; // BEFORE CREATE TABLE, AFTER ANY DDL STATEMENT, ...
        else
            s += IsDatabaseTrigger() ? "ON " + DatabaseEvent + "\r\n" : IBTriggerTypeText(IBTypeCode);
        return s + " POSITION " + IntToStr(Position) + " " + "\r\n";
    }
    }
}

std::string TTrgData::GetCreateSQL() const {
    const TDatabaseType t = GetDatabaseType();
    if ((t == dbMSSQL || t == dbSybaseASE) && GetSource().empty()) return Definition;
    return Header(false) + GetBodyText();
}

std::string TTrgData::GetCachedSQL() const {
    if (!cachedBodySet_) {
        cachedBody_ = GetBodyText();
        cachedBodySet_ = true;
    }
    return Header(false) + cachedBody_;
}

std::string TTrgData::GetEmptyBodySQL() const {
    return Header(false) + EmptyTriggerBody();
}

std::string TTrgData::GetAlterSQL() const {
    if (GetDatabaseType() == dbMSSQL) return Header(true) + GetBodyText();
    return "ALTER TRIGGER " + QuoteName(GetName()) + "\r\n" + GetBodyText();
}

std::string TTrgData::GetDropSQL() const {
    const TDatabaseType t = GetDatabaseType();
    const std::string name = QuoteName(GetName());
    const std::string schema = GetParentName().empty() ? std::string() : QuoteName(GetParentName()) + ".";
    switch (t) {
    case dbSybaseASA:
        return "DROP TRIGGER " + QuoteName(Owner2) + "." + QuoteName(TableName) + "." + name;
    case dbPostgreSQL:
        return "DROP TRIGGER " + name + " ON " + schema + QuoteName(TableName);
    case dbMSSQL:
        if (IsDatabaseTrigger()) return "DROP TRIGGER " + name + " ON " + TableName;
        return "DROP TRIGGER " + schema + name;
    case dbOracle:
        return "DROP TRIGGER " + schema + name;
    default:
        return "DROP TRIGGER " + name;
    }
}

void TTrgData::SetBodyEmptied(bool Value) {
    BodyEmptied = Value ? 1 : 0;
    if (auto* p = AsTrigger(GetPartner())) p->BodyEmptied = BodyEmptied;
}

void TTrgData::EmptyBody(bool Emit) {
    (void)Emit; // the trigger's ALTER is always filed
    if (!GetExists()) return;
    const bool drop = EmptiedByDrop(GetDatabaseType());
    if (!drop && !SetEmptySource()) return;
    if (GetOwner())
        if (TCustomObjs* master = GetOwner()->GetMaster())
            if (TDbObj* m = master->FindObject(TObjsList::olTriggers, GetFullName())) m->SetBodyEmptied(true);
    // The master's namesake, which shares the existence flag, is created again by CreateNewTriggers.
    if (drop) {
        DropWithDependents();
        return;
    }
    if (GetExists())
        if (TCustomSQLExec* exec = GetSQLExec())
            exec->AddStatement(GetAlterSQL(), TStatType::stTrigger, GetName(), TDbObject::dboTrigger,
                               TDbOperation::odbAlter, "", "");
}

void TTrgData::MarkDependents() {
    TCustomObjs* target = GetOwner() ? GetOwner()->GetTarget() : nullptr;
    TDbObj* view = target ? target->FindObject(TObjsList::olViews, TableName) : nullptr;
    if (view && view->GetExists()) {
        for (int i = 0; i < view->GetUsedBy().Count(); ++i) {
            TDependObj* e = view->UsedByItem(i);
            if (!e->Recreate || e->GetName() == GetName()) continue;
            TTrgData* other = AsTrigger(target->FindObject(TObjsList::olTriggers, e->GetName()));
            if (!other || !other->GetExists() || other->GetSource() == Trim(other->EmptyTriggerBody()))
                continue;
            other->EmptyBody(true);
            e->Recreate = 0;
        }
    }
    TDbObj::MarkDependents();
}

void TTrgData::CreateDependDef() {
    const bool existed = GetExists();
    TDbObj::CreateDependDef();
    // What AlterTriggers compares: a trigger made here needs no ALTER for the same body, and one
    // made in place of its dropped target namesake leaves the target with the master's header.
    if (!existed && GetExists()) {
        CreatedBody = GetSource();
        Recreated = GetPartner() != nullptr;
    }
}

// ===================================================================================================
// Compare steps

namespace {

void AddTrigger(TCustomSQLExec* Exec, const TTrgData& T, const std::string& Text, TDbOperation Op) {
    Exec->AddStatement(Text, TStatType::stTrigger, T.GetName(), TDbObject::dboTrigger, Op, "", "");
}

// After the target trigger T has been altered to its master's body, what T needed only in the target
// (an object without a master counterpart, which the master's body cannot use) no longer empties
// it when that object is dropped later.
void ReleaseSurplusNeeds(TTrgData& T) {
    for (int i = 0; i < T.GetDependsOn().Count(); ++i) {
        TDependObj* e = T.DependsOnItem(i);
        TDbObj* n = e->GetReferenced();
        if (!n || n->GetPartner() || n->GetKind() == TDbObject::dboField || !e->FieldName.empty()) continue;
        e->Recreate = 0;
        for (int j = 0; j < n->GetUsedBy().Count(); ++j)
            if (TDependObj* u = n->UsedByItem(j); u->GetReferenced() == &T) u->Recreate = 0;
    }
}

void AddDescription(TCustomSQLExec* Exec, TTrgData& T) {
    const TDatabaseType t = T.GetDatabaseType();
    if (t == dbSybaseASA)
        Exec->AddStatement("COMMENT ON TRIGGER " + T.GetName() + " IS " + QuotedStr(T.GetDescription()),
                           TStatType::stStatement, T.GetName(), TDbObject::dboTrigger,
                           TDbOperation::odbDescription, "", "");
    else if (t == dbInterBase)
        Exec->AddDescription(&T);
}

} // namespace

void EmptyTriggersBeforeDrop(TCustomObjs* MasterObjs, TCustomObjs* TargetObjs, TCustomSQLExec* Exec,
                             TCmpObjSetType CompareObjects) {
    (void)MasterObjs;
    (void)CompareObjects;
    if (!TargetObjs || !Exec) return;
    TStringList& list = TargetObjs->Triggers();
    for (int i = 0; i < list.Count(); ++i) {
        TTrgData* t = AsTrigger(list.Objects(i));
        if (!t || t->Ignore || t->GetPartner()) continue;
        TDbObj* linked = t->GetLinkedObject();
        if (!linked || linked->GetKind() != TDbObject::dboView) continue;
        if (EmptiedByDrop(t->GetDatabaseType())) {
            t->DropWithDependents();
            continue;
        }
        if (Trim(t->GetSource()) == Trim(t->EmptyTriggerBody())) continue;
        t->SetSource(t->EmptyTriggerBody());
        Exec->AddComment(t->FormatComment("Empty trigger body before drop..."));
        AddTrigger(Exec, *t, t->GetAlterSQL(), TDbOperation::odbEmptyDrop);
    }
}

void DropTriggers(TCustomObjs* MasterObjs, TCustomObjs* TargetObjs, TCustomSQLExec* Exec,
                  TCmpObjSetType CompareObjects) {
    (void)MasterObjs;
    (void)CompareObjects;
    if (!TargetObjs || !Exec) return;
    bool header = false;
    TStringList& list = TargetObjs->Triggers();
    for (int i = 0; i < list.Count(); ++i) {
        TTrgData* t = AsTrigger(list.Objects(i));
        if (!t || t->Ignore || t->GetPartner() || !t->GetExists()) continue;
        if (!header) Exec->AddComment(t->FormatComment("Drop Trigger..."));
        header = true;
        t->DropWithDependents();
    }
    if (header) Exec->AddComment("\r\n");
}

void CreateNewTriggers(TCustomObjs* MasterObjs, TCustomObjs* TargetObjs, TCustomSQLExec* Exec,
                       TCmpObjSetType CompareObjects) {
    (void)TargetObjs;
    if (!MasterObjs || !Exec) return;
    bool header = false;
    TStringList& list = MasterObjs->Triggers();
    for (int i = 0; i < list.Count(); ++i) {
        TTrgData* m = AsTrigger(list.Objects(i));
        // A master trigger with a partner shares its existence flag: when it does not exist, the
        // script dropped the twin (with its view or its re-created table) and it is made again.
        if (!m || m->Ignore || m->GetExists()) continue;
        if (!header) Exec->AddComment(m->FormatComment("Create trigger..."));
        header = true;
        m->CreateDependDef();
        if (auto* twin = AsTrigger(m->GetPartner())) {
            m->SetBodyEmptied(false);
            twin->SetSource(m->GetSource());
            twin->ExternalName = m->ExternalName;
            twin->EngineName = m->EngineName;
        }
        if (CompareObjects.contains(TCmpObjType::coDescription) && !m->GetDescription().empty())
            AddDescription(Exec, *m);
    }
    if (header) Exec->AddComment("\r\n");
}

void AlterTriggers(TCustomSchemalyst* Comparer) {
    TCustomObjs* master = Comparer ? Comparer->GetMasterObjs() : nullptr;
    TCustomObjs* target = Comparer ? Comparer->GetTargetObjs() : nullptr;
    TCustomSQLExec* exec = Comparer ? Comparer->GetSQLExec() : nullptr;
    if (!master || !target || !exec) return;
    const bool descriptions = Comparer->GetCompareObjects().contains(TCmpObjType::coDescription);
    const bool alterable =
        target->GetDatabaseType() == dbInterBase &&
        target->GetIBServerOptions().GetSQLServerVersion() >= TIBSQLServerVersionType::st_InterBase_6x;
    TStringList& list = master->Triggers();
    for (int i = 0; i < list.Count(); ++i) {
        TTrgData* m = AsTrigger(list.Objects(i));
        if (!m || m->Ignore) continue;
        TTrgData* t = AsTrigger(m->GetPartner());
        bool changed = false;
        // A trigger the script has already made again from the master is the master's: comparing
        // the namesake's header with it would drop and create it once more.
        if (t && t->GetExists() && !m->Recreated && t->GetCreateSQL() != m->GetCreateSQL()) {
            exec->AddComment(m->FormatComment("Alter exist trigger..."));
            changed = true;
        } else if (m->BodyEmptied) {
            changed = true;
        } else if (!t && m->GetExists() && m->CreatedBody != m->GetSource()) {
            exec->AddComment(m->FormatComment("Alter created trigger..."));
            changed = true;
        }
        if (!changed) {
            if (t && descriptions && m->GetDescription() != t->GetDescription()) AddDescription(exec, *m);
            continue;
        }
        if (t && t->GetEmptyBodySQL() != m->GetEmptyBodySQL()) {
            // Header, table, type, position or activity changed: only a new trigger can say so.
            t->DropWithDependents();
            m->CreateDependDef();
        } else if (alterable) {
            if (!t || t->GetBodyText() != m->GetBodyText() || m->BodyEmptied) {
                m->ProcessDependents();
                AddTrigger(exec, *m, m->GetAlterSQL(), TDbOperation::odbAlter);
                m->MarkCreated();
                m->CreatedBody = m->GetSource();
                if (t) ReleaseSurplusNeeds(*t);
            }
        } else {
            if (t) t->DropWithDependents();
            m->ProcessDependents();
            if (!m->GetExists()) {
                AddTrigger(exec, *m, m->GetCreateSQL(), TDbOperation::odbCreate);
                m->MarkCreated();
            } else {
                AddTrigger(exec, *m, m->GetAlterSQL(), TDbOperation::odbCreate);
            }
        }
        m->SetBodyEmptied(false);
        if (descriptions && !m->GetDescription().empty()) AddDescription(exec, *m);
    }
}

} // namespace smx
