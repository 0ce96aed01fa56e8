// Roles, logins and users, and grants: the schema object classes of the two kinds. A grant carries
// its privileges, grantee, object, option and columns; the container merges grants that differ
// only in privileges or columns.
#pragma once

#include <cstdint>

#include "model/smxClasses.h"

namespace smx {

/// A role, a login or a user. Kind dboRole.
class TRolData : public TDbObj {
public:
    explicit TRolData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TRolData)

    std::string OwnerName;
    bool ApplicationRole = false;
    std::string LoginName;
    std::uint8_t RoleKind = 0; ///< 0 role, 1 login, 2 user
};

/// A grant: privileges on an object, a system permission or membership in a role. Kind dboGrant.
class TGntData : public TDbObj {
public:
    explicit TGntData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TGntData)

    std::uint64_t Privileges = 0; ///< 48 bits, bit n for privilege word n
    std::string GranteeName;
    TDbObject GranteeKind = TDbObject::dboUnknown;
    std::string ObjectName;
    TDbObject ObjectKind = TDbObject::dboUnknown;
    std::uint8_t GrantOption = 0; ///< 1 = WITH GRANT (or ADMIN) OPTION
    TStringList Columns;
    TCmpObjType CompareKind = TCmpObjType::coGrant;
    std::string StatementText; ///< when set, the grant's whole text
};

} // namespace smx
