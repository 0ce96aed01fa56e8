// smxComp_Clt: see the header.
#include "model/smxComp_Clt.h"

#include <algorithm>
#include <array>
#include <vector>

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

namespace {

// The built-in collations that are not plain PAD SPACE, case and accent sensitive, or that carry
// specific attributes (COLL-VERSION left out), with the base the server records for them.
struct TBuiltInCollation {
    std::string_view Name, Root;
    int Attributes; // 1 PAD SPACE, 2 CASE INSENSITIVE, 4 ACCENT INSENSITIVE
    std::string_view Specific;
};
constexpr std::array<TBuiltInCollation, 10> BuiltInCollations{{
    {"UNICODE_CI", "UNICODE", 3, ""},
    {"UNICODE_CI_AI", "UNICODE", 7, ""},
    {"ES_ES", "ES_ES", 1, "DISABLE-COMPRESSIONS=1;SPECIALS-FIRST=1"},
    {"ES_ES_CI_AI", "ES_ES_CI_AI", 7, "DISABLE-COMPRESSIONS=1;SPECIALS-FIRST=1"},
    {"PT_BR", "PT_BR", 7, ""},
    {"FR_FR_CI_AI", "FR_FR", 7, "SPECIALS-FIRST=1"},
    {"FR_CA_CI_AI", "FR_CA", 7, "SPECIALS-FIRST=1"},
    {"WIN_CZ", "WIN_CZ", 3, ""},
    {"WIN_CZ_CI_AI", "WIN_CZ_CI_AI", 7, ""},
    {"WIN_PTBR", "WIN_PTBR", 7, ""},
}};

TBuiltInCollation BuiltIn(std::string_view Name) {
    for (const TBuiltInCollation& c : BuiltInCollations)
        if (SameText(c.Name, Name)) return c;
    return {Name, Name, 1, ""};
}

} // namespace

std::string TCltData::NormalizedAttributes(std::string_view Inherited, std::string_view Own) {
    std::vector<std::pair<std::string, std::string>> items; // key, whole item
    for (std::string_view text : {Inherited, Own}) {
        while (!text.empty()) {
            const std::size_t end = std::min(text.find(';'), text.size());
            const std::string item = Trim(text.substr(0, end));
            text.remove_prefix(std::min(end + 1, text.size()));
            const std::string key = UpperCase(Trim(item.substr(0, std::min(item.find('='), item.size()))));
            if (item.empty() || key == "COLL-VERSION") continue;
            auto at = std::find_if(items.begin(), items.end(), [&](const auto& i) { return i.first == key; });
            if (at != items.end())
                at->second = item;
            else
                items.emplace_back(key, item);
        }
    }
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string s;
    for (const auto& i : items)
        s += (s.empty() ? "" : ";") + i.second;
    return s;
}

std::string TCltData::AttributesBeyond(std::string_view Root, const std::string& Attributes) {
    const std::string own = NormalizedAttributes("", Attributes);
    return own == NormalizedAttributes("", BuiltIn(Root).Specific) ? std::string() : own;
}

void TCltData::InheritFrom(std::string_view Base, const TCltData* BaseObj) {
    if (BaseObj) {
        BaseCollation = BaseObj->BaseCollation;
        PadSpace = BaseObj->PadSpace;
        CaseSensitive = BaseObj->CaseSensitive;
        AccentSensitive = BaseObj->AccentSensitive;
        SpecificAttributes = NormalizedAttributes(BuiltIn(BaseCollation).Specific, BaseObj->SpecificAttributes);
        return;
    }
    const TBuiltInCollation c = BuiltIn(Base);
    BaseCollation = std::string(c.Root);
    PadSpace = (c.Attributes & 1) != 0;
    CaseSensitive = (c.Attributes & 2) == 0;
    AccentSensitive = (c.Attributes & 4) == 0;
    SpecificAttributes = std::string(c.Specific);
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
