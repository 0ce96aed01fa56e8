// smxComp_Cnv: conversion texts and steps. See the header.
#include "model/smxComp_Cnv.h"

#include "foundation/smxTypes.h"

namespace smx {

TCnvData::TCnvData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboConversion);
}

std::string TCnvData::GetCreateSQL() const {
    // The function lives in the conversion's schema; without one the search path finds both.
    const std::string schema = GetParentName().empty() ? std::string() : QuoteName(GetParentName()) + ".";
    return std::string("CREATE ") + (DefaultFlag ? "DEFAULT " : "") + "CONVERSION " + schema +
           QuoteName(GetName()) + " FOR " + GetSQLStringLiteral(SourceEncoding, TDatabaseType::dbPostgreSQL) +
           " TO " + GetSQLStringLiteral(TargetEncoding, TDatabaseType::dbPostgreSQL) + " FROM " + schema +
           QuoteName(FunctionName);
}

std::string TCnvData::GetDropSQL() const {
    return "DROP CONVERSION " + (GetParentName().empty() ? std::string() : QuoteName(GetParentName()) + ".") +
           QuoteName(GetName());
}

namespace {

TCnvData* AsConversion(TObject* Obj) {
    return dynamic_cast<TCnvData*>(Obj);
}

TStringList* ConversionList(TCustomObjs* Objs) {
    return Objs ? &Objs->Conversions() : nullptr;
}

} // namespace

void CreateConversions(TCustomSchemalyst* Comparer) {
    TStringList* list = ConversionList(Comparer ? Comparer->GetMasterObjs() : nullptr);
    if (!list) return;
    for (int i = 0; i < list->Count(); ++i)
        if (TCnvData* c = AsConversion(list->Objects(i)); c && !c->GetPartner() && !c->GetExists())
            c->CreateDependDef();
}

void AlterConversions(TCustomSchemalyst* Comparer) {
    TStringList* list = ConversionList(Comparer ? Comparer->GetMasterObjs() : nullptr);
    if (!list) return;
    for (int i = 0; i < list->Count(); ++i) {
        TCnvData* c = AsConversion(list->Objects(i));
        TDbObj* p = c ? c->GetPartner() : nullptr;
        if (!p || p->GetCreateSQL() == c->GetCreateSQL()) continue;
        p->DropWithDependents();
        c->CreateDependDef();
    }
}

void DropConversions(TCustomSchemalyst* Comparer) {
    TStringList* list = ConversionList(Comparer ? Comparer->GetTargetObjs() : nullptr);
    if (!list) return;
    for (int i = 0; i < list->Count(); ++i)
        if (TCnvData* c = AsConversion(list->Objects(i)); c && !c->GetPartner() && c->GetExists())
            c->DropWithDependents();
}

} // namespace smx
