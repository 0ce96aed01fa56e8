// smxComp_Clt: see the header.
#include "model/smxComp_Clt.h"

#include "model/smxCompSteps.h"
#include "platform/smxStrUtils.h"

namespace smx {

TCltData::TCltData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboCollation);
}

std::string TCltData::GetCreateSQL() const {
    if (GetDatabaseType() != TDatabaseType::dbInterBase) return {};
    const std::string br = "\r\n";
    std::string s = "CREATE COLLATION " + QuoteName(GetName()) + br;
    s += "FOR " + CharSet + br;
    if (!BaseCollation.empty())
        s += "FROM " + BaseCollation + br;
    else if (!ExternalName.empty())
        s += "FROM EXTERNAL(" + QuotedStr(ExternalName) + ")" + br;
    s += std::string(PadSpace ? "PAD SPACE" : "NO PAD") + br;
    s += std::string(CaseSensitive ? "CASE SENSITIVE" : "CASE INSENSITIVE") + br;
    s += std::string(AccentSensitive ? "ACCENT SENSITIVE" : "ACCENT INSENSITIVE") + br;
    if (!SpecificAttributes.empty()) s += QuotedStr(SpecificAttributes) + br;
    return s;
}

void CreateCollations(TCustomSchemalyst* Comparer) {
    CreateMissingByKey(StepContextOf(Comparer), TObjsList::olCollations, "Create Collation...");
}

void AlterCollations(TCustomSchemalyst* Comparer) {
    RecreateChangedByKey(StepContextOf(Comparer), TObjsList::olCollations, "Alter Collation...");
}

void DropCollations(TCustomSchemalyst* Comparer) {
    DropSurplusByKey(StepContextOf(Comparer), TObjsList::olCollations, "Drop Collation...");
}

} // namespace smx
