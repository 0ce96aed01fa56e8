// smxCompSteps: see the header.
#include "model/smxCompSteps.h"

namespace smx {

TStepContext StepContextOf(TCustomSchemalyst* Comparer) {
    TStepContext c;
    if (!Comparer) return c;
    c.Master = Comparer->GetMasterObjs();
    c.Target = Comparer->GetTargetObjs();
    c.Exec = Comparer->GetSQLExec();
    c.CompareObjects = Comparer->GetCompareObjects();
    return c;
}

void TStepComment::Write(const TDbObj& Obj) {
    if (written_ || !exec_) return;
    exec_->AddComment(Obj.FormatComment(text_));
    written_ = true;
}

void TStepComment::Close() {
    if (!written_ || closed_) return;
    closed_ = true;
    exec_->AddComment("\r\n");
}

TDbObj* FindByKey(TCustomObjs* Objs, TObjsList Which, std::string_view Key) {
    return Objs ? Objs->FindObject(Which, Key) : nullptr;
}

void CreateMissingByKey(const TStepContext& Context, TObjsList Which, const std::string& Comment) {
    if (!Context.ok()) return;
    TStepComment header(Context.Exec, Comment);
    TStringList& list = Context.Master->List(Which);
    for (int i = 0; i < list.Count(); ++i) {
        auto* m = static_cast<TDbObj*>(list.Objects(i));
        if (!m || FindByKey(Context.Target, Which, list[i])) continue;
        header.Write(*m);
        m->CreateDependDef();
    }
}

void RecreateChangedByKey(const TStepContext& Context, TObjsList Which, const std::string& Comment) {
    if (!Context.ok()) return;
    TStepComment header(Context.Exec, Comment);
    TStringList& list = Context.Master->List(Which);
    for (int i = 0; i < list.Count(); ++i) {
        auto* m = static_cast<TDbObj*>(list.Objects(i));
        TDbObj* t = m ? FindByKey(Context.Target, Which, list[i]) : nullptr;
        if (!t || m->GetCreateSQL() == t->GetCreateSQL()) continue;
        header.Write(*m);
        t->DropWithDependents();
        m->CreateDependDef();
    }
}

void DropSurplusByKey(const TStepContext& Context, TObjsList Which, const std::string& Comment) {
    if (!Context.ok()) return;
    TStepComment header(Context.Exec, Comment);
    TStringList& list = Context.Target->List(Which);
    for (int i = 0; i < list.Count(); ++i) {
        auto* t = static_cast<TDbObj*>(list.Objects(i));
        if (!t || FindByKey(Context.Master, Which, list[i])) continue;
        header.Write(*t);
        t->DropWithDependents();
    }
}

} // namespace smx
