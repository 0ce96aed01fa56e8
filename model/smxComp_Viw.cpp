// smxComp_Viw: view texts per dialect, the view's dependency walkers and the view compare steps.
// See the header.
#include "model/smxComp_Viw.h"

#include <algorithm>
#include <vector>

#include "model/smxComp_Ctr.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"

namespace smx {

namespace {

using enum TDatabaseType;

TViwData* AsView(TObject* Obj) {
    return dynamic_cast<TViwData*>(Obj);
}

bool IsMasterSide(const TDbObj& Obj) {
    TCustomObjs* owner = Obj.GetOwner();
    return owner && owner->GetRole() == 1;
}

// The master grants on the named object (the master container is found through Obj's container).
std::vector<TGntData*> MasterGrantsOn(const TDbObj& Obj) {
    std::vector<TGntData*> grants;
    TCustomObjs* master = Obj.GetOwner() ? Obj.GetOwner()->GetMaster() : nullptr;
    if (!master) return grants;
    TStringList& list = master->Grants();
    for (int i = 0; i < list.Count(); ++i)
        if (auto* g = dynamic_cast<TGntData*>(list.Objects(i)); g && g->ObjectName == Obj.GetName())
            grants.push_back(g);
    return grants;
}

} // namespace

// ===================================================================================================
// TViwData

TViwData::TViwData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboView);
    Fields.SetCaseSensitive(!(AOwner && AOwner->GetDatabaseType() == dbMSSQL));
}

TFldData* TViwData::AddField(std::string_view Name) {
    auto* f = new TFldData(GetOwner());
    f->SetName(Name);
    f->TableName = GetName();
    f->Parent = this;
    Fields.AddObject(f->GetName(), f);
    return f;
}

void TViwData::SetRecreate(bool Value) {
    Recreate_ = Value;
    if (auto* p = AsView(GetPartner()); p && p->Recreate_ != Value) p->Recreate_ = Value;
}

std::string TViwData::ColumnList() const {
    if (Fields.Count() == 0) return {};
    std::string s = "(";
    for (int i = 0; i < Fields.Count(); ++i)
        s += "\r\n" + QuoteName(Fields[i]) + (i + 1 < Fields.Count() ? "," : "");
    return s + ")";
}

std::string TViwData::GetCreateSQL() const {
    const std::string& source = GetSource();
    switch (GetDatabaseType()) {
    case dbOracle: {
        std::string s = "CREATE OR REPLACE VIEW " + GetQualifiedObjectName();
        if (!OracleTypeName.empty()) s += " OF " + OracleTypeName;
        if (OracleOIDAttributes.Count() > 0) {
            s += "\r\n   WITH OBJECT " + (OracleOIDWord.empty() ? std::string("IDENTIFIER") : OracleOIDWord) +
                 "(";
            for (int i = 0; i < OracleOIDAttributes.Count(); ++i)
                s += (i ? ", " : "") + OracleOIDAttributes[i];
            s += ")";
        }
        return s + ColumnList() + "\r\n   AS \r\n" + source;
    }
    case dbMSSQL: {
        if (source.empty()) return Definition;
        std::string s = "CREATE VIEW " + GetQualifiedObjectName() + ColumnList() + "\r\n";
        std::string options;
        if (WithEncryption) options = "  WITH ENCRYPTION";
        if (WithSchemaBinding) options += (options.empty() ? "  WITH " : ", ") + std::string("SCHEMABINDING");
        if (WithViewMetadata) options += (options.empty() ? "  WITH " : ", ") + std::string("VIEW_METADATA");
        if (!options.empty()) s += options + "\r\n";
        return s + " AS \r\n" + source;
    }
    case dbMySQL: {
        std::string s = "CREATE";
        if (!MySQLAlgorithm.empty()) s += " ALGORITHM=" + MySQLAlgorithm;
        if (!MySQLSecurity.empty()) s += " SQL SECURITY " + MySQLSecurity;
        return s + " VIEW " + QuoteName(GetName()) + ColumnList() + "\r\n AS \r\n" + source;
    }
    case dbPostgreSQL:
    case dbDB2:
        return "CREATE VIEW " + GetQualifiedObjectName() + ColumnList() + "\r\n AS \r\n" + source;
    default:
        return "CREATE VIEW " + QuoteName(GetName()) + ColumnList() + "\r\n AS \r\n" + source;
    }
}

TDbObj* TViwData::FieldObject(std::string_view Name) {
    return ColumnNamed(Fields, Name);
}

std::string TViwData::GetDropSQL() const {
    if (Ignore) return {};
    return "DROP VIEW " + GetQualifiedObjectName();
}

void TViwData::CreateDependDef() {
    if (GetExists() || creating_) return;
    creating_ = true;
    ScopeExit done([this] { creating_ = false; });
    ProcessDependents();
    if (GetExists()) return;
    TCustomSQLExec* exec = GetSQLExec();
    TCustomObjs* owner = GetOwner();
    if (GetDatabaseType() == dbDB2 && owner && !GetParentName().empty() &&
        GetParentName() != owner->StateTexts[0]) {
        owner->StateTexts[0] = GetParentName();
        if (exec)
            exec->AddStatement("SET CURRENT SCHEMA = " + QuoteName(GetParentName()), TStatType::stStatement,
                               GetParentName(), TDbObject::dboSchema, TDbOperation::odbSet, "", "");
    }
    if (exec) {
        exec->SetCurrentSchema(GetParentName());
        exec->AddComment(FormatComment("Create view: " + GetName() + " (ViwData.CreateDependDef)"));
        exec->AddStatement(GetCreateScript(), TStatType::stStatement, GetName(), TDbObject::dboView,
                           TDbOperation::odbCreate, "", "");
    }
    SetExists(true);
    // The target's copy now has the master's text.
    if (IsMasterSide(*this))
        if (TDbObj* p = GetPartner()) p->CompareText = CompareText;
    for (TGntData* g : MasterGrantsOn(*this)) {
        if (g->GetExists()) continue;
        if (exec)
            exec->AddStatement(g->GetCreateSQL(), TStatType::stStatement, g->GetName(), TDbObject::dboGrant,
                               TDbOperation::odbCreate, "", "");
        g->SetExists(true);
    }
    MarkCreated();
}

bool TViwData::InCycle() const {
    std::vector<const TViwData*> pending{this}, seen{this};
    while (!pending.empty()) {
        const TViwData* v = pending.back();
        pending.pop_back();
        if (v->cycleBroken_ || !v->GetExists()) continue;
        for (int i = 0; i < v->GetDependsOn().Count(); ++i) {
            const TDbObj* n = v->DependsOnItem(i)->GetReferenced();
            // A needed column stands for its view.
            if (n && n->GetKind() == TDbObject::dboField) n = n->GetParentObject();
            const TViwData* needed = dynamic_cast<const TViwData*>(n);
            if (needed == this && v != this) return true;
            if (!needed || std::find(seen.begin(), seen.end(), needed) != seen.end()) continue;
            seen.push_back(needed);
            pending.push_back(needed);
        }
    }
    return false;
}

void TViwData::DropWithDependents() {
    const TIBServerOptions* ib = GetIBServerOptions();
    const auto version = ib ? ib->GetSQLServerVersion() : TIBSQLServerVersionType::st_InterBase_6x;
    TCustomSQLExec* exec = GetSQLExec();
    if (exec && GetExists() && !cycleBroken_ && Fields.Count() > 0 && GetDatabaseType() == dbInterBase &&
        version >= TIBSQLServerVersionType::st_Firebird_25 &&
        version <= TIBSQLServerVersionType::st_Firebird_40 && InCycle()) {
        // Reading nothing, the view closes the cycle no more; its columns keep their names, so the
        // views that read them stay valid until they are dropped in turn.
        std::string nulls;
        for (int i = 0; i < Fields.Count(); ++i)
            nulls += i ? ", NULL" : "NULL";
        exec->AddComment(FormatComment("Break view cycle: " + GetName()));
        exec->AddStatement("ALTER VIEW " + QuoteName(GetName()) + ColumnList() + "\r\n AS \r\nSELECT " +
                               nulls + " FROM RDB$DATABASE",
                           TStatType::stStatement, GetName(), TDbObject::dboView, TDbOperation::odbAlter, "",
                           "");
        cycleBroken_ = true;
    }
    TDbObj::DropWithDependents(); // drops the rest of the cycle with the view
    cycleBroken_ = false;
}

void TViwData::MarkDependents() {
    const bool ase = GetDatabaseType() == dbSybaseASE;
    for (int i = 0; i < GetUsedBy().Count(); ++i) {
        TDependObj* e = UsedByItem(i);
        TDbObj* d = e->GetReferenced();
        if (d == this) e->Recreate = 0;
        if (!e->Recreate || !d) continue;
        const TDbObject k = d->GetKind();
        if (k == TDbObject::dboTrigger || k == TDbObject::dboProcedure) {
            if (ase)
                d->DropWithDependents();
            else
                d->EmptyBody(true);
            e->Recreate = 0;
        } else if (dynamic_cast<TCtrData*>(d)) {
            d->DropWithDependents();
            e->Recreate = 0;
        }
    }
    if (TCustomObjs* target = GetOwner() ? GetOwner()->GetTarget() : nullptr) {
        TStringList& triggers = target->Triggers();
        for (int i = 0; i < triggers.Count(); ++i)
            if (auto* t = dynamic_cast<TDbObj*>(triggers.Objects(i));
                t && t->GetTableName() == GetName() && t->GetExists())
                t->DropWithDependents();
    }
    TDbObj::MarkDependents();
}

void TViwData::MarkDropped() {
    TDbObj::MarkDropped();
    for (TGntData* g : MasterGrantsOn(*this))
        g->SetExists(false);
}

void RecreateChangedView(const TDbObj& Obj, TDbObj* MasterView, TDbObj* TargetView, const std::string& Tail) {
    TCustomSQLExec* exec = Obj.GetSQLExec();
    auto comment = [&](const std::string& Text) {
        if (exec) exec->AddComment(Obj.FormatComment(Text));
    };
    comment("Alter view (drop/create): " + Tail);
    comment("Alter view (drop): " + Tail);
    TargetView->DropWithDependents();
    comment("Alter view (create): " + Tail);
    MasterView->CreateDependDef();
    TargetView->CompareText = MasterView->CompareText;
}

void TViwData::ProcessDependents() {
    TDbObj::ProcessDependents();
    TCustomSQLExec* exec = GetSQLExec();
    auto comment = [&](const std::string& Text) {
        if (exec) exec->AddComment(FormatComment(Text));
    };
    TCustomObjs* owner = GetOwner();
    TCustomObjs* master = owner ? owner->GetMaster() : nullptr;
    TCustomObjs* target = owner ? owner->GetTarget() : nullptr;
    for (int i = 0; i < GetDependsOn().Count(); ++i) {
        TDependObj* e = DependsOnItem(i);
        TDbObj* n = e->GetReferenced();
        if (!n) continue;
        const TDbObject k = n->GetKind();
        if (k == TDbObject::dboView) {
            const std::string tail = n->GetName() + " for view: " + GetName();
            if (!n->GetExists()) {
                comment("Create view: " + tail);
                n->CreateDependDef();
            }
            TDbObj* mv = master ? master->FindObject(TObjsList::olViews, n->GetFullName()) : nullptr;
            TDbObj* tv = target ? target->FindObject(TObjsList::olViews, n->GetFullName()) : nullptr;
            if (!mv || !tv || mv == tv || mv->CompareText == tv->CompareText) continue;
            RecreateChangedView(*this, mv, tv, tail);
        } else if (!e->FieldName.empty() && (k == TDbObject::dboTable || k == TDbObject::dboField)) {
            TDbObj* table = k == TDbObject::dboTable ? n : n->GetParentObject();
            if (!table || table->GetKind() != TDbObject::dboTable) continue;
            TStringList* fields = table->GetFields();
            const int j = fields ? fields->IndexOf(e->FieldName) : -1;
            auto* column = j >= 0 ? dynamic_cast<TDbObj*>(fields->Objects(j)) : nullptr;
            TDbObj* twin = column ? column->GetPartner() : nullptr;
            if (!twin || twin->GetExists() || !column->GetDependsOn().Empty()) continue;
            column->CreateDependDef();
            column->SetExists(true);
            twin->SetExists(true);
        } else if (k == TDbObject::dboGenerator) {
            n->CreateDependDef();
        }
    }
}

void TViwData::MarkCreated() {
    TDbObj::MarkCreated();
    for (int i = 0; i < GetUsedBy().Count(); ++i) {
        TDependObj* e = UsedByItem(i);
        TDbObj* d = e->GetReferenced();
        if (!d || (d->GetKind() != TDbObject::dboView && d->GetKind() != TDbObject::dboDomain)) continue;
        e->Recreate = 1;
        for (int j = 0; j < d->GetDependsOn().Count(); ++j)
            if (TDependObj* back = d->DependsOnItem(j); back->GetReferenced() == this) back->Recreate = 1;
    }
}

// ===================================================================================================
// Compare steps

namespace {

void ColumnDescriptions(TCustomSQLExec* Exec, TViwData* View) {
    for (int i = 0; i < View->Fields.Count(); ++i)
        if (auto* f = dynamic_cast<TDbObj*>(View->Fields.Objects(i)); f && !f->GetDescription().empty())
            Exec->AddDescription(f);
}

} // namespace

void CreateViews(TCustomSchemalyst* Comparer) {
    TCustomObjs* master = Comparer ? Comparer->GetMasterObjs() : nullptr;
    TCustomSQLExec* exec = Comparer ? Comparer->GetSQLExec() : nullptr;
    if (!master || !exec) return;
    const bool descriptions = Comparer->GetCompareObjects().contains(TCmpObjType::coDescription);
    // The views missing when the step starts; one created on the way as another's need is still
    // finished here (flag, description, the target's compare text), but never twice.
    std::vector<TViwData*> missing;
    TStringList& list = master->Views();
    for (int i = 0; i < list.Count(); ++i)
        if (TViwData* m = AsView(list.Objects(i)); m && !m->Ignore && !m->GetExists()) missing.push_back(m);
    bool header = false;
    for (TViwData* m : missing) {
        if (!header) exec->AddComment(m->FormatComment("Create Views..."));
        header = true;
        m->CreateDependDef();
        m->SetRecreate(false);
        if (descriptions) {
            if (!m->GetDescription().empty()) exec->AddDescription(m);
            ColumnDescriptions(exec, m);
        }
        if (TDbObj* p = m->GetPartner()) p->CompareText = m->CompareText;
    }
    if (header) exec->AddComment("\r\n");
}

void AlterViews(TCustomObjs* MasterObjs, TCustomObjs* TargetObjs, TCustomSQLExec* Exec,
                TCmpObjSetType CompareObjects) {
    (void)TargetObjs;
    if (!MasterObjs || !Exec) return;
    const bool descriptions = CompareObjects.contains(TCmpObjType::coDescription);
    bool header = false;
    TStringList& list = MasterObjs->Views();
    for (int i = 0; i < list.Count(); ++i) {
        TViwData* m = AsView(list.Objects(i));
        TViwData* t = m && !m->Ignore ? AsView(m->GetPartner()) : nullptr;
        if (!t) continue;
        if (m->CompareText == t->CompareText && !m->GetRecreate()) {
            if (!descriptions) continue;
            if (m->GetDescription() != t->GetDescription()) {
                Exec->AddDescription(m);
                Exec->AddComment("\r\n");
            }
            for (int j = 0; j < m->Fields.Count(); ++j) {
                auto* mf = dynamic_cast<TDbObj*>(m->Fields.Objects(j));
                TDbObj* tf = mf ? mf->GetPartner() : nullptr;
                if (tf && mf->GetDescription() != tf->GetDescription()) Exec->AddDescription(mf);
            }
            continue;
        }
        if (!header) Exec->AddComment(m->FormatComment("Alter View (Drop, Create)..."));
        header = true;
        const std::string why = m->GetRecreate() ? " (recreate)" : "";
        Exec->AddComment(m->FormatComment("Drop altered view: " + m->GetName() + why));
        t->DropWithDependents();
        t->CompareText.clear();
        m->SetExists(false);
        Exec->AddComment(m->FormatComment("Create altered view: " + m->GetName() + why));
        m->CreateDependDef();
        t->CompareText = m->CompareText;
        m->SetRecreate(false);
        if (descriptions) {
            if (!m->GetDescription().empty()) Exec->AddDescription(m);
            ColumnDescriptions(Exec, m);
        }
    }
}

void DropViews(TCustomObjs* MasterObjs, TCustomObjs* TargetObjs, TCustomSQLExec* Exec,
               TCmpObjSetType CompareObjects) {
    (void)MasterObjs;
    (void)CompareObjects;
    if (!TargetObjs || !Exec) return;
    bool header = false;
    TStringList& list = TargetObjs->Views();
    for (int i = 0; i < list.Count(); ++i) {
        TViwData* t = AsView(list.Objects(i));
        if (!t || t->Ignore || t->GetPartner() || !t->GetExists()) continue;
        if (!header) Exec->AddComment(t->FormatComment("Drop View..."));
        header = true;
        t->DropWithDependents();
        t->CompareText.clear();
    }
    if (header) Exec->AddComment("\r\n");
}

} // namespace smx
