// smxComp_Opr: operators, operator classes and their compare steps. See the header.
#include "model/smxComp_Opr.h"

#include <vector>

namespace smx {

namespace {

// The schema part of a name: quoted schema and a dot, nothing for an object without schema.
std::string SchemaPrefix(const TDbObj& o) {
    return o.GetParentName().empty() ? std::string() : o.QuoteName(o.GetParentName()) + ".";
}

} // namespace

// ===================================================================================================
// TOprData

TOprData::TOprData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboOperator);
}

std::string TOprData::GetArgTypesText() const {
    return "(" + (LeftArg.empty() ? std::string("NONE") : LeftArg) + ", " +
           (RightArg.empty() ? std::string("NONE") : RightArg) + ")";
}

std::string TOprData::GetFullName() const {
    const std::string schema = GetParentName().empty() ? std::string() : GetParentName() + ".";
    return schema + GetName() + " " + GetArgTypesText();
}

std::string TOprData::GetCreateSQL() const {
    std::string s =
        "CREATE OPERATOR " + SchemaPrefix(*this) + GetName() + "(\r\nPROCEDURE = " + QuoteName(ProcName);
    auto option = [&s](std::string_view label, const std::string& value) {
        if (!value.empty()) s += ",\r\n" + std::string(label) + value;
    };
    option("LEFTARG = ", LeftArg);
    option("RIGHTARG = ", RightArg);
    option("COMMUTATOR = ", Commutator);
    option("NEGATOR = ", Negator);
    option("RESTRICT = ", Restrict);
    option("JOIN = ", Join);
    if (Hashes) s += ",\r\nHASHES";
    if (Merges) s += ",\r\nMERGES";
    option("SORT1 = ", Sort1);
    option("SORT2 = ", Sort2);
    option("LTCMP = ", LtCmp);
    option("GTCMP = ", GtCmp);
    return s + ")";
}

std::string TOprData::GetDropSQL() const {
    return "DROP OPERATOR " + SchemaPrefix(*this) + GetName() + GetArgTypesText();
}

// ===================================================================================================
// TOpcData

TOpcData::TOpcData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboOperatorClass);
}

std::string TOpcData::GetFullName() const {
    const std::string schema = GetParentName().empty() ? std::string() : GetParentName() + ".";
    return schema + GetName() + "(" + AccessMethod + ")";
}

TOpcOprData* TOpcData::AddOperator(std::int32_t Strategy, std::string_view Name, std::string_view Left,
                                   std::string_view Right) {
    auto* o = new TOpcOprData();
    o->Strategy = Strategy;
    o->OperatorName = Name;
    o->LeftType = Left;
    o->RightType = Right;
    Operators.AddObject(std::string(Name), o);
    return o;
}

TOpcFncData* TOpcData::AddFunction(std::int32_t Support, std::string_view Name) {
    auto* f = new TOpcFncData(this);
    f->Support = Support;
    f->FunctionName = Name;
    Functions.AddObject(std::string(Name), f);
    return f;
}

std::string TOpcData::GetCreateSQL() const {
    std::string s = "CREATE OPERATOR CLASS " + SchemaPrefix(*this) + QuoteName(GetName());
    if (Default) s += " DEFAULT";
    s += " FOR TYPE " + QuoteName(DataType) + " USING " + AccessMethod + " AS\r\n";
    std::vector<std::string> items;
    for (int i = 0; i < Operators.Count(); ++i) {
        auto* o = dynamic_cast<TOpcOprData*>(Operators.Objects(i));
        if (!o) continue;
        std::string item = "OPERATOR " + std::to_string(o->Strategy) + " " + o->OperatorName;
        if (!o->LeftType.empty() || !o->RightType.empty())
            item += " (" + (o->LeftType.empty() ? std::string("NONE") : o->LeftType) + ", " +
                    (o->RightType.empty() ? std::string("NONE") : o->RightType) + ")";
        items.push_back(item);
    }
    for (int i = 0; i < Functions.Count(); ++i) {
        auto* f = dynamic_cast<TOpcFncData*>(Functions.Objects(i));
        if (!f) continue;
        std::string args;
        for (int j = 0; j < f->ArgTypes.Count(); ++j)
            args += (j ? ", " : "") + f->ArgTypes[j];
        items.push_back("FUNCTION " + std::to_string(f->Support) + " " + QuoteName(f->FunctionName) + "(" +
                        args + ")");
    }
    if (!StorageType.empty()) items.push_back("STORAGE " + StorageType);
    for (std::size_t i = 0; i < items.size(); ++i)
        s += (i ? ",\r\n" : "") + items[i];
    return s;
}

std::string TOpcData::GetDropSQL() const {
    return "DROP OPERATOR CLASS " + SchemaPrefix(*this) + QuoteName(GetName()) + " USING " + AccessMethod;
}

// ===================================================================================================
// Compare steps

namespace {

bool PostgreSQLTarget(TCustomSchemalyst* c) {
    return c && c->GetMasterObjs() && c->GetTargetObjs() && c->GetSQLExec() &&
           c->GetTargetObjs()->GetDatabaseType() == TDatabaseType::dbPostgreSQL;
}

TDbObj* At(TStringList& list, int i) {
    return dynamic_cast<TDbObj*>(list.Objects(i));
}

void CreateStep(TCustomSchemalyst* c, TObjsList which) {
    if (!PostgreSQLTarget(c)) return;
    TStringList& list = c->GetMasterObjs()->List(which);
    for (int i = 0; i < list.Count(); ++i)
        if (TDbObj* o = At(list, i); o && !o->GetPartner() && !o->GetExists()) o->CreateDependDef();
}

void AlterStep(TCustomSchemalyst* c, TObjsList which) {
    if (!PostgreSQLTarget(c)) return;
    TStringList& list = c->GetMasterObjs()->List(which);
    for (int i = 0; i < list.Count(); ++i) {
        TDbObj* o = At(list, i);
        if (!o || !o->GetPartner() || o->GetCreateSQL() == o->GetPartner()->GetCreateSQL()) continue;
        o->GetPartner()->DropWithDependents();
        o->CreateDependDef();
    }
}

void DropStep(TCustomSchemalyst* c, TObjsList which) {
    if (!PostgreSQLTarget(c)) return;
    TStringList& list = c->GetTargetObjs()->List(which);
    for (int i = 0; i < list.Count(); ++i)
        if (TDbObj* o = At(list, i); o && !o->GetPartner() && o->GetExists()) o->DropWithDependents();
}

} // namespace

void CreateOperators(TCustomSchemalyst* Comparer) {
    CreateStep(Comparer, TObjsList::olOperators);
}
void AlterOperators(TCustomSchemalyst* Comparer) {
    AlterStep(Comparer, TObjsList::olOperators);
}
void DropOperators(TCustomSchemalyst* Comparer) {
    DropStep(Comparer, TObjsList::olOperators);
}
void CreateOperatorClasses(TCustomSchemalyst* Comparer) {
    CreateStep(Comparer, TObjsList::olOperatorClasses);
}
void AlterOperatorClasses(TCustomSchemalyst* Comparer) {
    AlterStep(Comparer, TObjsList::olOperatorClasses);
}
void DropOperatorClasses(TCustomSchemalyst* Comparer) {
    DropStep(Comparer, TObjsList::olOperatorClasses);
}

} // namespace smx
