// smxComp_Prc: see the header.
#include "model/smxComp_Prc.h"

#include "model/smxComp_Tbl.h"
#include "platform/smxStrUtils.h"

namespace smx {

namespace {
constexpr std::uint8_t TypeCodeTable = 84; // data-type code of TABLE
constexpr std::uint8_t TypeCode79 = 79;    // a result that returns NULL as its empty body
} // namespace

TPrcData::TPrcData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboProcedure);
}

bool TPrcData::ReturnsTable() const {
    if (ReturnsTableFlag) return true;
    if (OutputParams.Count() == 0) return false;
    auto* first = dynamic_cast<TFldData*>(OutputParams.Objects(0));
    return first && first->DataType == TypeCodeTable;
}

void TPrcData::SetBodyEmptied(bool Value) {
    BodyEmptied = Value ? 1 : 0;
    if (auto* p = dynamic_cast<TPrcData*>(GetPartner())) p->BodyEmptied = BodyEmptied;
}

std::string TPrcData::EmptyRoutineBody() const {
    using enum TDatabaseType;
    const TDatabaseType t = GetDatabaseType();
    if (t == dbMSSQL || t == dbSybaseASE) {
        if (ReturnsTableFlag) return "Return (select 0 as Result)";
        if (OutputParams.Count() == 1) {
            auto* only = dynamic_cast<TFldData*>(OutputParams.Objects(0));
            if (only && only->DataType == TypeCodeTable) return "begin Return end";
            if (only && only->DataType == TypeCode79) return "begin Return Null end";
        }
        return "begin Return 0 end";
    }
    if (t == dbSybaseASA) return " begin Return end";
    if (t == dbMySQL) return " BEGIN END";
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

void TPrcData::EmptyBody(bool Emit) {
    if (!GetExists()) return;
    // Sources are stored trimmed, so the comparison is on the trimmed empty body.
    const std::string empty = EmptyRoutineBody();
    if (GetSource() == Trim(empty)) return;
    SetSource(empty);
    for (int i = 0; i < GetDependsOn().Count(); ++i)
        DependsOnItem(i)->Recreate = 0;
    if (GetOwner())
        if (TCustomObjs* master = GetOwner()->GetMaster())
            if (TDbObj* m = master->FindObject(TObjsList::olProcedures, GetFullName()))
                m->SetBodyEmptied(true);
    if (Emit) {
        if (TCustomSQLExec* exec = GetSQLExec())
            exec->AddStatement(GetAlterSQL(), TStatType::stProcedure, GetName(), TDbObject::dboProcedure,
                               TDbOperation::odbEmpty, "", "");
        CompareText = GetCreateSQL();
    }
}

} // namespace smx
