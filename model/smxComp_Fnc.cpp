// smxComp_Fnc: see the header.
#include "model/smxComp_Fnc.h"

#include "model/smxCompSteps.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Viw.h"
#include "platform/smxStrUtils.h"

namespace smx {

namespace {

using enum TDbObject;

bool IsComputedColumn(const TDbObj* Obj) {
    return Obj && Obj->GetKind() == dboField && !Obj->GetSource().empty();
}

// The column Name of a table or view, or nullptr.
TDbObj* FieldOf(TDbObj* Owner, const std::string& Name) {
    TStringList* fields = Owner ? Owner->GetFields() : nullptr;
    if (!fields) return nullptr;
    const int i = fields->IndexOf(Name);
    return i < 0 ? nullptr : static_cast<TDbObj*>(fields->Objects(i));
}

TCustomObjs* TargetOf(const TDbObj& Obj) {
    return Obj.GetOwner() ? Obj.GetOwner()->GetTarget() : nullptr;
}

TCustomObjs* MasterOf(const TDbObj& Obj) {
    return Obj.GetOwner() ? Obj.GetOwner()->GetMaster() : nullptr;
}

// Drops a view that calls a function being declared anew; the view steps create it again.
void DropViewForRecreation(TDbObj* View) {
    View->DropWithDependents();
    if (auto* v = dynamic_cast<TViwData*>(View)) v->SetRecreate(true);
}

} // namespace

TUdfData::TUdfData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(dboFunction);
    ReturnValue_ = std::make_unique<TFldData>(AOwner, this);
}

TUdfData::~TUdfData() = default;

TFldData* TUdfData::AddParam() {
    auto* p = new TFldData(GetOwner(), this);
    p->TableName = GetName();
    Params.AddObject(IntToStr(Params.Count() + 1), p);
    return p;
}

std::string TUdfData::GetCreateSQL() const {
    const std::string br = "\r\n";
    std::string s = "DECLARE EXTERNAL FUNCTION " + QuoteName(GetName()) + br;
    std::string params;
    for (int i = 0; i < Params.Count(); ++i)
        if (auto* p = dynamic_cast<TFldData*>(Params.Objects(i)))
            params += (params.empty() ? "" : ", ") + p->GetCreateSQL();
    if (!params.empty()) s += params + br;
    s += "RETURNS " + ReturnValue_->GetCreateSQL();
    if (FreeIt) s += " FREE_IT";
    s += br + "ENTRY_POINT " + QuotedStr(EntryPoint) + " MODULE_NAME " + QuotedStr(ModuleName);
    return s;
}

void TUdfData::MarkDependents() {
    TDbObj::MarkDependents();
    TCustomObjs* target = TargetOf(*this);
    for (int i = 0; i < GetUsedBy().Count(); ++i) {
        TDependObj* e = UsedByItem(i);
        TDbObj* d = e->GetReferenced();
        if (!d) continue;
        if (d->GetKind() == dboField) {
            // A view column calls the function: the view goes; a computed column goes itself.
            if (TDbObj* view = target ? target->FindObject(TObjsList::olViews, d->GetTableName()) : nullptr) {
                view->DropWithDependents();
                e->Recreate = 0;
            } else if (IsComputedColumn(d) && d->GetExists()) {
                d->DropWithDependents();
                e->Recreate = 0;
            }
        } else if (d->GetKind() == dboTable && !e->FieldName.empty()) {
            TDbObj* f = FieldOf(d, e->FieldName);
            if (IsComputedColumn(f) && f->GetExists()) {
                f->DropWithDependents();
                e->Recreate = 0;
            }
        }
    }
}

void TUdfData::MarkDropped() {
    TDbObj::MarkDropped();
    TCustomObjs* master = MasterOf(*this);
    if (!master) return;
    for (int i = 0; i < GetUsedBy().Count(); ++i) {
        TDbObj* d = UsedByItem(i)->GetReferenced();
        if (!d || d->GetKind() != dboField) continue;
        // The master's versions no longer call the function: what the drop took away comes back.
        TDbObj* view = master->FindObject(TObjsList::olViews, d->GetTableName());
        if (view && !view->GetExists()) {
            view->CreateDependDef();
        } else if (IsComputedColumn(d)) {
            TDbObj* f = FieldOf(master->FindObject(TObjsList::olTables, d->GetTableName()), d->GetName());
            if (f && !f->GetExists()) f->CreateDependDef();
        }
    }
}

// ===================================================================================================
// Compare steps

void DeclareUdfs(TCustomObjs* MasterObjects, TCustomObjs* TargetObjects, TCustomSQLExec* Executor,
                 TCmpObjSetType CompareObjects) {
    if (!MasterObjects || !TargetObjects || !Executor) return;
    TStepComment header(Executor, "Declare UDF");
    TStringList& list = MasterObjects->Functions();
    for (int i = 0; i < list.Count(); ++i) {
        auto* m = static_cast<TDbObj*>(list.Objects(i));
        if (!m || m->GetPartner()) continue;
        header.Write(*m);
        m->CreateDependDef();
        if (CompareObjects.contains(TCmpObjType::coDescription) && !m->GetDescription().empty())
            Executor->AddDescription(m);
    }
}

void AlterUdfs(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    TStepComment header(c.Exec, "Alter UDF(Drop/Declare)");
    TStringList& list = c.Master->Functions();
    for (int i = 0; i < list.Count(); ++i) {
        auto* m = static_cast<TDbObj*>(list.Objects(i));
        TDbObj* t = m ? FindByKey(c.Target, TObjsList::olFunctions, list[i]) : nullptr;
        if (!t) continue;
        if (m->GetCreateSQL() == t->GetCreateSQL()) {
            if (c.Descriptions() && m->GetDescription() != t->GetDescription()) {
                header.Write(*m);
                c.Exec->AddDescription(m);
            }
            continue;
        }
        header.Write(*m);
        auto comment = [&](const std::string& Text) { c.Exec->AddComment(t->FormatComment(Text)); };
        for (int j = 0; j < t->GetUsedBy().Count(); ++j) {
            TDependObj* e = t->UsedByItem(j);
            TDbObj* d = e->GetReferenced();
            if (!d) continue;
            switch (d->GetKind()) {
            case dboProcedure:
            case dboTrigger:
                if (d->GetExists() && d->GetSource() != Trim(d->GetEmptyBody())) {
                    comment(d->GetKind() == dboProcedure
                                ? "Empty dependent procedure body before Function Alter (Drop/Create)"
                                : "Empty dependent trigger body before Function Alter (Drop/Create)");
                    d->EmptyBody(true);
                }
                e->Recreate = 0;
                break;
            case dboTable:
                if (TDbObj* f = e->FieldName.empty() ? nullptr : FieldOf(d, e->FieldName);
                    IsComputedColumn(f)) {
                    comment("Drop Computed field before Function Alter (Drop/Create)");
                    f->DropWithDependents();
                }
                break;
            case dboField:
                if (IsComputedColumn(d)) {
                    comment("drop calc-field for UDF alter");
                    d->DropWithDependents();
                } else if (TDbObj* view = c.Target->FindObject(TObjsList::olViews, d->GetTableName())) {
                    comment("drop view (field) for UDF alter");
                    DropViewForRecreation(view);
                }
                break;
            case dboView:
                comment("drop view for UDF alter");
                DropViewForRecreation(d);
                break;
            default:
                break;
            }
        }
        c.Exec->AddStatement("DROP EXTERNAL FUNCTION " + t->QuoteName(t->GetName()), TStatType::stStatement,
                             t->GetName(), dboFunction, TDbOperation::odbDrop, "", "");
        MarkGrantsOfDroppedObject(t);
        c.Exec->AddStatement(m->GetCreateSQL(), TStatType::stStatement, m->GetName(), dboFunction,
                             TDbOperation::odbCreate, "", "");
        // The declaration made anew carries no description: the master's is written whenever set.
        if (c.Descriptions() && !m->GetDescription().empty()) c.Exec->AddDescription(m);
    }
}

void DropUdfs(TCustomObjs* MasterObjects, TCustomObjs* TargetObjects, TCustomSQLExec* Executor,
              TCmpObjSetType CompareObjects) {
    (void)CompareObjects;
    if (!MasterObjects || !TargetObjects || !Executor) return;
    TStepComment header(Executor, "Drop UDF");
    TStringList& list = TargetObjects->Functions();
    for (int i = 0; i < list.Count(); ++i) {
        auto* t = static_cast<TDbObj*>(list.Objects(i));
        if (!t || t->GetPartner() || !t->GetExists()) continue;
        header.Write(*t);
        t->DropWithDependents();
    }
}

} // namespace smx
