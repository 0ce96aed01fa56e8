// smxComp_Exc: see the header.
#include "model/smxComp_Exc.h"

#include "model/smxCompSteps.h"
#include "platform/smxStrUtils.h"

namespace smx {

// ===================================================================================================
// Exceptions

TExcData::TExcData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboException);
}

std::string TExcData::GetCreateSQL() const {
    return "CREATE EXCEPTION " + QuoteName(GetName()) + " " + QuotedStr(Message);
}

std::string TExcData::GetAlterSQL() const {
    return "ALTER EXCEPTION " + QuoteName(GetName()) + " " + QuotedStr(Message);
}

namespace {

TDbObj* At(TStringList& list, int i) {
    return static_cast<TDbObj*>(list.Objects(i));
}

} // namespace

void CreateExceptions(TCustomObjs* MasterObjects, TCustomObjs* TargetObjects, TCustomSQLExec* Executor,
                      TCmpObjSetType CompareObjects) {
    if (!MasterObjects || !TargetObjects || !Executor) return;
    TStepComment header(Executor, "Create Exception...");
    TStringList& list = MasterObjects->Exceptions();
    for (int i = 0; i < list.Count(); ++i) {
        TDbObj* m = At(list, i);
        if (!m || FindByKey(TargetObjects, TObjsList::olExceptions, list[i])) continue;
        header.Write(*m);
        Executor->AddStatement(m->GetCreateSQL(), TStatType::stStatement, m->GetName(),
                               TDbObject::dboException, TDbOperation::odbCreate, "", "");
        m->SetExists(true);
        if (CompareObjects.contains(TCmpObjType::coDescription) && !m->GetDescription().empty())
            Executor->AddDescription(m);
    }
}

void AlterExceptions(TCustomObjs* MasterObjects, TCustomObjs* TargetObjects, TCustomSQLExec* Executor,
                     TCmpObjSetType CompareObjects) {
    if (!MasterObjects || !TargetObjects || !Executor) return;
    TStepComment header(Executor, "Alter Exception...");
    TStringList& list = MasterObjects->Exceptions();
    for (int i = 0; i < list.Count(); ++i) {
        TDbObj* m = At(list, i);
        TDbObj* t = m ? FindByKey(TargetObjects, TObjsList::olExceptions, list[i]) : nullptr;
        if (!t) continue;
        if (m->GetCreateSQL() != t->GetCreateSQL()) {
            header.Write(*m);
            Executor->AddStatement(m->GetAlterSQL(), TStatType::stStatement, m->GetName(),
                                   TDbObject::dboException, TDbOperation::odbAlter, "", "");
        }
        if (CompareObjects.contains(TCmpObjType::coDescription) &&
            m->GetDescription() != t->GetDescription()) {
            header.Write(*m);
            Executor->AddDescription(m);
        }
    }
}

void DropExceptions(TCustomObjs* MasterObjects, TCustomObjs* TargetObjects, TCustomSQLExec* Executor,
                    TCmpObjSetType CompareObjects) {
    (void)CompareObjects;
    if (!MasterObjects || !TargetObjects || !Executor) return;
    TStepComment header(Executor, "Drop Exception...");
    TStringList& list = TargetObjects->Exceptions();
    for (int i = 0; i < list.Count(); ++i) {
        TDbObj* t = At(list, i);
        if (!t || FindByKey(MasterObjects, TObjsList::olExceptions, list[i]) || !t->GetExists()) continue;
        header.Write(*t);
        t->DropWithDependents();
    }
}

// ===================================================================================================
// Events

std::string TEvtSdlData::GetText() const {
    std::string s = "SCHEDULE";
    if (!Name.empty()) s += " " + (Event ? Event->QuoteName(Name) : Name);
    if (!StartTime.empty() && !EndTime.empty())
        s += " BETWEEN " + QuotedStr(StartTime) + " AND " + QuotedStr(EndTime);
    else if (!StartTime.empty())
        s += " START TIME " + QuotedStr(StartTime);
    if (EveryHours != 0)
        s += " EVERY " + IntToStr(EveryHours) + " HOURS";
    else if (EveryMinutes != 0)
        s += " EVERY " + IntToStr(EveryMinutes) + " MINUTES";
    else if (EverySeconds != 0)
        s += " EVERY " + IntToStr(EverySeconds) + " SECONDS";
    if (Days != 0) {
        std::string days;
        if (Days & 0x80000000u) days = "0";
        for (int day = 1; day <= 31; ++day)
            if (Days & (1u << (day - 1))) days += (days.empty() ? "" : ", ") + IntToStr(day);
        s += " ON(" + days + ")";
    }
    if (!StartDate.empty()) s += " START DATE " + QuotedStr(StartDate);
    return s;
}

TEvtData::TEvtData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboEvent);
}

TEvtSdlData* TEvtData::AddSchedule() {
    Schedules.push_back(std::make_unique<TEvtSdlData>(this));
    return Schedules.back().get();
}

std::string TEvtData::GetCreateSQL() const {
    const std::string br = "\r\n";
    std::string s = "CREATE EVENT " + QuoteName(GetName());
    if (!EventType.empty()) s += br + " TYPE " + EventType;
    if (!Condition.empty()) s += br + " WHERE " + Condition;
    for (std::size_t i = 0; i < Schedules.size(); ++i)
        s += (i == 0 ? br + " " : "," + br + " ") + Schedules[i]->GetText();
    s += br + " " + (Enabled ? "ENABLE" : "DISABLE");
    if (!Location.empty()) s += " AT " + Location;
    if (!GetSource().empty()) s += br + "HANDLER" + br + GetSource();
    return s;
}

std::string TEvtData::GetDropSQL() const {
    return "DROP EVENT " + QuoteName(GetName());
}

void CreateEvents(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    TStepComment header(c.Exec, "Create event...");
    TStringList& list = c.Master->Events();
    for (int i = 0; i < list.Count(); ++i) {
        TDbObj* m = At(list, i);
        if (!m || (m->GetPartner() && m->GetPartner()->GetExists())) continue;
        header.Write(*m);
        m->CreateDependDef();
        if (c.Descriptions() && !m->GetDescription().empty()) c.Exec->AddDescription(m);
    }
}

void AlterEvents(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    TStepComment header(c.Exec, "Alter event...");
    TStringList& list = c.Master->Events();
    for (int i = 0; i < list.Count(); ++i) {
        TDbObj* m = At(list, i);
        TDbObj* t = m ? m->GetPartner() : nullptr;
        if (!t) continue;
        if (m->GetCreateSQL() != t->GetCreateSQL()) {
            header.Write(*m);
            t->DropWithDependents();
            m->CreateDependDef();
        }
        if (c.Descriptions() && m->GetDescription() != t->GetDescription()) {
            header.Write(*m);
            c.Exec->AddDescription(m);
        }
    }
}

void DropEvents(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    TStepComment header(c.Exec, "Drop event...");
    TStringList& list = c.Target->Events();
    for (int i = 0; i < list.Count(); ++i) {
        TDbObj* t = At(list, i);
        if (!t || t->GetPartner() || !t->GetExists()) continue;
        header.Write(*t);
        t->DropWithDependents();
    }
}

} // namespace smx
