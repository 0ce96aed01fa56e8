// Roles, logins and users, and grants: the schema object classes of the two kinds with their texts
// for InterBase/Firebird, Oracle, MS SQL and Sybase ASE, and the compare steps that create and drop
// roles and revoke and grant privileges. A grant is filed and paired under its CREATE text written
// at SQL dialect 1, which names everything that tells two grants apart.
#pragma once

#include <cstdint>
#include <string>

#include "model/smxClasses.h"

namespace smx {

/// A role, a login or a user. Kind dboRole.
class TRolData : public TDbObj {
public:
    explicit TRolData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TRolData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olRoles; }

    /// "Role: ", "Login: " or "User: " + name: the three kinds never share a key.
    std::string GetFullName() const override;
    /// sp_addlogin/sp_addapprole/sp_addrole (MS SQL), the guarded blocks of Sybase ASE, else
    /// CREATE ROLE (after an owner comment when an owner is set).
    std::string GetCreateSQL() const override;
    /// Sybase ASE: the CREATE text whose login and role blocks go back to the script's database
    /// before their end; other types: GetCreateSQL. Empty when ignored.
    std::string GetCreateScript() const override;
    /// sp_revokedbaccess/sp_dropapprole/sp_droprole (MS SQL; nothing for the built-in users from
    /// MS SQL 2005 on), else DROP ROLE.
    std::string GetDropSQL() const override;

    std::string OwnerName;
    bool ApplicationRole = false;
    std::string LoginName;
    std::uint8_t RoleKind = 0; ///< 0 role, 1 login, 2 user
};

/// Privilege bits of Firebird 3's DDL rights (beyond the words of the other dialects): CREATE,
/// ALTER ANY and DROP ANY of a metadata class (ALTER and DROP of the database).
inline constexpr int GrantBitCreate = 44, GrantBitAlterAny = 45, GrantBitDropAny = 46;

/// The metadata class of a Firebird 3 RDB$OBJECT_TYPE (20 the database, 21 tables ... 32 filters) as
/// GRANT names it ("DATABASE", "TABLE", "CHARACTER SET", ...); empty for any other code.
std::string_view MetadataClassOfObjectType(int Code);

/// A grant: privileges on an object, a system or statement permission, a Firebird 3 DDL right on a
/// metadata class, or membership in a role. Kind dboGrant.
class TGntData : public TDbObj {
public:
    explicit TGntData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TGntData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olGrants; }

    /// The CREATE text at SQL dialect 1 (Oracle adds the columns and the option its text leaves out).
    std::string GetFullName() const override;
    /// The GRANT text of the effective dialect.
    std::string GetCreateSQL() const override;
    /// The REVOKE text of the effective dialect ("... OPTION FOR" when the grant carries an option).
    std::string GetDropSQL() const override;

    /// The GRANT text with names quoted for the given SQL dialect.
    std::string CreateText(TIBSQLDialectType Dialect) const;
    /// The REVOKE text; WithOption revokes only the grant or admin option of a grant that has one.
    std::string RevokeText(TIBSQLDialectType Dialect, bool WithOption) const;
    /// Membership in a role (object kind dboRole).
    bool IsRoleMembership() const { return ObjectKind == TDbObject::dboRole; }
    bool HasPrivilege(int Bit) const { return (Privileges >> Bit) & 1u; }
    /// A Firebird 3 DDL right (GRANT CREATE TABLE, ALTER ANY VIEW, DROP DATABASE ...).
    bool IsDDLRight() const { return !MetadataClass.empty(); }
    /// False for a DDL right while the effective server is no Firebird 3 or later: it has no such text.
    bool IsWritable() const;

    std::uint64_t Privileges = 0; ///< 48 bits, bit n for privilege word n
    std::string GranteeName;
    TDbObject GranteeKind = TDbObject::dboUnknown;
    std::string ObjectName;
    TDbObject ObjectKind = TDbObject::dboUnknown;
    std::uint8_t GrantOption = 0; ///< not 0: WITH GRANT (or ADMIN) OPTION; Firebird 3 records 2
    TStringList Columns;
    TCmpObjType CompareKind = TCmpObjType::coGrant;
    std::string StatementText; ///< when set, the grant's whole text
    /// The metadata class of a Firebird 3 DDL right ("TABLE", "CHARACTER SET", "DATABASE", ...;
    /// sequences are "GENERATOR"); empty for every other grant.
    std::string MetadataClass;

    /// The key the grant would have without its grant or admin option.
    std::string KeyWithoutOption() const;

private:
    std::string BuildCreate(TIBSQLDialectType Dialect, std::uint8_t Option) const;
    std::string BuildKey(std::uint8_t Option) const;
    std::string Quote(std::string_view Name, TIBSQLDialectType Dialect) const;
    std::string PrivilegePart(TIBSQLDialectType Dialect) const;
    std::string GranteePart(TIBSQLDialectType Dialect) const;
};

/// Creates the master roles, logins and users without an existing partner (three passes).
void CreateRoles(TCustomSchemalyst* Comparer);
/// Writes the descriptions of master roles whose partner's description differs.
void UpdateRoleDescriptions(TCustomSchemalyst* Comparer);
/// Drops the target users without a partner; then logins and roles (not for MS SQL and ASE).
void DropRoles(TCustomSchemalyst* Comparer);
/// Grants the master grants that have no existing partner.
void CreateGrants(TCustomSchemalyst* Comparer);
/// Revokes the existing target grants without a partner of the same text.
void DropGrants(TCustomSchemalyst* Comparer);

} // namespace smx
