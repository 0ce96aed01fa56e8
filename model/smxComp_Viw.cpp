// smxComp_Viw: see the header.
#include "model/smxComp_Viw.h"

#include "model/smxComp_Tbl.h"

namespace smx {

TViwData::TViwData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboView);
    Fields.SetCaseSensitive(!(AOwner && AOwner->GetDatabaseType() == TDatabaseType::dbMSSQL));
}

TFldData* TViwData::AddField(std::string_view Name) {
    auto* f = new TFldData(GetOwner());
    f->SetName(Name);
    f->TableName = GetName();
    f->Parent = this;
    Fields.AddObject(f->GetName(), f);
    return f;
}

} // namespace smx
