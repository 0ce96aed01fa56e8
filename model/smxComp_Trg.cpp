// smxComp_Trg: see the header.
#include "model/smxComp_Trg.h"

namespace smx {

TTrgData::TTrgData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboTrigger);
}

std::string TTrgData::EmptyTriggerBody() const {
    switch (GetDatabaseType()) {
    case TDatabaseType::dbMSSQL:
        return " declare @i integer;\r\nbegin set @i = 0; end";
    case TDatabaseType::dbMySQL:
        return " BEGIN END";
    default:
        return " AS Declare variable I integer;\r\nBEGIN I = 0; END";
    }
}

} // namespace smx
