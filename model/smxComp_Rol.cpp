// smxComp_Rol: see the header.
#include "model/smxComp_Rol.h"

namespace smx {

TRolData::TRolData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboRole);
}

TGntData::TGntData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboGrant);
    Columns.SetCaseSensitive(true);
}

} // namespace smx
