// smxComp_Sch: schemas and their compare steps. See the header.
#include "model/smxComp_Sch.h"

namespace smx {

namespace {

using enum TDatabaseType;

bool SchemaTarget(TCustomSchemalyst* c) {
    if (!c || !c->GetMasterObjs() || !c->GetTargetObjs() || !c->GetSQLExec()) return false;
    const TDatabaseType t = c->GetTargetObjs()->GetDatabaseType();
    return t == dbOracle || t == dbMSSQL || t == dbPostgreSQL || t == dbDB2;
}

// A schema every database of the type has: never created, described or dropped.
bool BuiltIn(const TDbObj& s, TDatabaseType t) {
    return (t == dbPostgreSQL && s.GetName() == "public") || (t == dbMSSQL && s.GetName() == s.OverrideName);
}

TDbObj* At(TStringList& list, int i) {
    return dynamic_cast<TDbObj*>(list.Objects(i));
}

} // namespace

TSchData::TSchData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboSchema);
}

std::string TSchData::GetCreateSQL() const {
    std::string s = "CREATE SCHEMA " + QuoteName(GetName());
    if (GetDatabaseType() == dbMSSQL && !Owner.empty() && Owner != GetName())
        s += " AUTHORIZATION " + QuoteName(Owner);
    return s;
}

std::string TSchData::GetDropSQL() const {
    return "DROP SCHEMA " + QuoteName(GetName());
}

void CreateSchemas(TCustomSchemalyst* Comparer) {
    if (!SchemaTarget(Comparer)) return;
    const TDatabaseType t = Comparer->GetTargetObjs()->GetDatabaseType();
    TStringList& list = Comparer->GetMasterObjs()->Schemas();
    for (int i = 0; i < list.Count(); ++i) {
        TDbObj* s = At(list, i);
        if (!s || s->Ignore || BuiltIn(*s, t)) continue;
        if (!s->GetPartner() || !s->GetExists()) s->CreateDependDef();
    }
}

void AlterSchemas(TCustomSchemalyst* Comparer) {
    if (!SchemaTarget(Comparer)) return;
    const TDatabaseType t = Comparer->GetTargetObjs()->GetDatabaseType();
    TStringList& list = Comparer->GetMasterObjs()->Schemas();
    for (int i = 0; i < list.Count(); ++i) {
        TDbObj* s = At(list, i);
        if (!s || !s->GetPartner() || (t == dbPostgreSQL && s->GetName() == "public")) continue;
        if (s->GetDescription() != s->GetPartner()->GetDescription())
            Comparer->GetSQLExec()->AddDescription(s);
    }
}

void DropSchemas(TCustomSchemalyst* Comparer) {
    if (!SchemaTarget(Comparer)) return;
    const TDatabaseType t = Comparer->GetTargetObjs()->GetDatabaseType();
    TStringList& list = Comparer->GetTargetObjs()->Schemas();
    for (int i = 0; i < list.Count(); ++i) {
        TDbObj* s = At(list, i);
        if (!s || s->Ignore || BuiltIn(*s, t)) continue;
        if (!s->GetPartner() && s->GetExists()) s->DropWithDependents();
    }
}

} // namespace smx
