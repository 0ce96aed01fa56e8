// smxComp_Pbl: publications, their articles and compare steps. See the header.
#include "model/smxComp_Pbl.h"

namespace smx {

std::string TPblArtData::GetText(const std::function<std::string(std::string_view)>& Quote) const {
    std::string s = "    TABLE " + Quote(TableOwner) + "." + Quote(TableName);
    if (Columns.Count() == 0) return s;
    s += "(";
    for (int i = 0; i < Columns.Count(); ++i)
        s += (i ? ", " : "") + Quote(Columns[i]);
    return s + ")";
}

TPblData::TPblData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboPublication);
}

TPblArtData* TPblData::AddArticle(std::string_view TableOwner, std::string_view TableName) {
    auto* a = new TPblArtData();
    a->TableOwner = TableOwner;
    a->TableName = TableName;
    Articles.AddObject(std::string(TableName), a);
    return a;
}

std::string TPblData::GetCreateSQL() const {
    auto quote = [this](std::string_view n) { return QuoteName(n); };
    std::string s = "CREATE PUBLICATION " + QuoteName(Owner2) + "." + QuoteName(GetName()) + " (\r\n";
    for (int i = 0; i < Articles.Count(); ++i)
        if (auto* a = dynamic_cast<TPblArtData*>(Articles.Objects(i)))
            s += a->GetText(quote) + (i + 1 < Articles.Count() ? ", " : "") + "\r\n";
    return s + ")";
}

std::string TPblData::GetDropSQL() const {
    return "DROP PUBLICATION " + QuoteName(Owner2) + "." + QuoteName(GetName());
}

void TPblData::ProcessDependents() {
    TDbObj::ProcessDependents();
    for (int i = 0; i < GetDependsOn().Count(); ++i) {
        TDbObj* n = DependsOnItem(i)->GetReferenced();
        if (n && (n->GetKind() == TDbObject::dboTable || n->GetKind() == TDbObject::dboField) &&
            !n->GetExists())
            n->CreateDependDef();
    }
}

namespace {

bool Ready(TCustomSchemalyst* c) {
    return c && c->GetMasterObjs() && c->GetTargetObjs() && c->GetSQLExec();
}

TDbObj* At(TStringList& list, int i) {
    return dynamic_cast<TDbObj*>(list.Objects(i));
}

} // namespace

void CreatePublications(TCustomSchemalyst* Comparer) {
    if (!Ready(Comparer)) return;
    TStringList& list = Comparer->GetMasterObjs()->Publications();
    for (int i = 0; i < list.Count(); ++i)
        if (TDbObj* p = At(list, i); p && (!p->GetPartner() || !p->GetExists())) p->CreateDependDef();
}

void AlterPublications(TCustomSchemalyst* Comparer) {
    if (!Ready(Comparer)) return;
    TStringList& list = Comparer->GetMasterObjs()->Publications();
    for (int i = 0; i < list.Count(); ++i) {
        TDbObj* p = At(list, i);
        if (!p || !p->GetPartner() || p->GetCreateSQL() == p->GetPartner()->GetCreateSQL()) continue;
        p->GetPartner()->DropWithDependents();
        p->CreateDependDef();
    }
}

void DropPublications(TCustomSchemalyst* Comparer) {
    if (!Ready(Comparer)) return;
    TStringList& list = Comparer->GetTargetObjs()->Publications();
    for (int i = 0; i < list.Count(); ++i)
        if (TDbObj* p = At(list, i); p && !p->GetPartner() && p->GetExists()) p->DropWithDependents();
}

} // namespace smx
