// smxComp_Tbl: see the header.
#include "model/smxComp_Tbl.h"

namespace smx {

TFldData::TFldData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboField);
}

TTblData::TTblData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboTable);
    Fields.SetCaseSensitive(!(AOwner && AOwner->GetDatabaseType() == TDatabaseType::dbMSSQL));
}

TFldData* TTblData::AddField(std::string_view Name) {
    auto* f = new TFldData(GetOwner());
    f->SetName(Name);
    f->TableName = GetName();
    f->Parent = this;
    Fields.AddObject(f->GetName(), f);
    return f;
}

} // namespace smx
