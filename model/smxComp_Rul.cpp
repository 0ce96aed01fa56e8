// smxComp_Rul: see the header.
#include "model/smxComp_Rul.h"

#include "model/smxCompSteps.h"

namespace smx {

namespace {

std::string EventWord(std::uint8_t Event) {
    switch (Event) {
    case 1:
        return "INSERT ";
    case 2:
        return "UPDATE ";
    case 3:
        return "DELETE ";
    case 5:
        return "SELECT ";
    default:
        return {};
    }
}

} // namespace

TRulData::TRulData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboRule);
}

std::string TRulData::QualifiedTable() const {
    if (TableSchema.empty()) return QuoteName(TableName);
    return QuoteName(TableSchema) + "." + QuoteName(TableName);
}

std::string TRulData::GetCreateSQL() const {
    switch (GetDatabaseType()) {
    case TDatabaseType::dbMSSQL:
        if (Text.empty()) return CachedSQL;
        return "CREATE RULE [" + GetName() + "]" + " AS " + Text;
    case TDatabaseType::dbPostgreSQL: {
        std::string s = "CREATE RULE " + QuoteName(GetName()) + " AS ON " + EventWord(Event) + "TO " +
                        QualifiedTable() + " DO";
        if (!DoWord.empty()) s += " " + DoWord;
        if (Nothing) s += " NOTHING";
        if (!Text.empty()) s += "\r\n " + Text;
        return s;
    }
    default:
        return "CREATE RULE " + GetQualifiedObjectName() + " AS " + Text;
    }
}

std::string TRulData::GetDropSQL() const {
    if (GetDatabaseType() == TDatabaseType::dbPostgreSQL)
        return "DROP RULE IF EXISTS " + QuoteName(GetName()) + " ON " + QualifiedTable();
    return TDbObj::GetDropSQL();
}

void CreateRules(TCustomSchemalyst* Comparer) {
    CreateMissingByKey(StepContextOf(Comparer), TObjsList::olRules, "Create Rule...");
}

void AlterRules(TCustomSchemalyst* Comparer) {
    RecreateChangedByKey(StepContextOf(Comparer), TObjsList::olRules, "Alter Rule...");
}

void DropRules(TCustomSchemalyst* Comparer) {
    DropSurplusByKey(StepContextOf(Comparer), TObjsList::olRules, "Drop Rule...");
}

} // namespace smx
