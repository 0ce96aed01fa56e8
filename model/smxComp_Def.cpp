// smxComp_Def: see the header.
#include "model/smxComp_Def.h"

#include "model/smxCompSteps.h"

namespace smx {

TDefData::TDefData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboDefault);
}

std::string TDefData::GetCreateSQL() const {
    if (GetDatabaseType() == TDatabaseType::dbMSSQL) {
        if (Expression.empty()) return CachedSQL;
        return "CREATE DEFAULT [" + GetName() + "]" + " AS " + Expression;
    }
    return "CREATE DEFAULT " + QuoteName(GetName()) + " AS " + Expression;
}

void CreateDefaults(TCustomSchemalyst* Comparer) {
    CreateMissingByKey(StepContextOf(Comparer), TObjsList::olDefaults, "Create Default...");
}

void AlterDefaults(TCustomSchemalyst* Comparer) {
    RecreateChangedByKey(StepContextOf(Comparer), TObjsList::olDefaults, "Alter Default...");
}

void DropDefaults(TCustomSchemalyst* Comparer) {
    DropSurplusByKey(StepContextOf(Comparer), TObjsList::olDefaults, "Drop Default...");
}

} // namespace smx
