// smxComp_Rol: see the header.
#include "model/smxComp_Rol.h"

#include <array>
#include <initializer_list>
#include <vector>

#include "model/smxCompSteps.h"
#include "model/smxComp_Tbl.h"
#include "platform/smxStrUtils.h"

namespace smx {

namespace {

using enum TDatabaseType;
using enum TDbObject;

// ASE logins are created with this initial password (six characters, the server's minimum).
constexpr std::string_view AseInitialPassword = "secret";

// The privilege word of each bit of a grant's privilege set; bit 8 has none.
constexpr std::array<std::string_view, 44> PrivilegeWords = {
    "ALL",                   // 0
    "INSERT",                // 1
    "UPDATE",                // 2
    "DELETE",                // 3
    "SELECT",                // 4
    "EXECUTE",               // 5
    "REFERENCES",            // 6
    "CONNECT",               // 7
    "",                      // 8
    "CREATE DATABASE LINK",  // 9
    "CREATE SEQUENCE",       // 10
    "CREATE SESSION",        // 11
    "CREATE TRIGGER",        // 12
    "CREATE PROCEDURE",      // 13
    "CREATE TYPE",           // 14
    "CREATE SYNONYM",        // 15
    "CREATE PUBLIC SYNONYM", // 16
    "DROP SYNONYM",          // 17
    "DROP PUBLIC SYNONYM",   // 18
    "CREATE TABLE",          // 19
    "CREATE VIEW",           // 20
    "CREATE INDEXTYPE",      // 21
    "CREATE RULE",           // 22
    "CREATE DEFAULT",        // 23
    "CREATE FUNCTION",       // 24
    "CREATE DATABASE",       // 25
    "BACKUP DATABASE",       // 26
    "BACKUP LOG",            // 27
    "DUMP DATABASE",         // 28
    "DUMP TRANSACTION",      // 29
    "VIEW ANY DATABASE",     // 30
    "TRUNCATE TABLE",        // 31
    "UPDATE STATISTICS",     // 32
    "DELETE STATISTICS",     // 33
    "UNLIMITED TABLESPACE",  // 34
    "DROP TABLE",            // 35
    "DROP VIEW",             // 36
    "DROP TRIGGER",          // 37
    "DROP PROCEDURE",        // 38
    "DROP SEQUENCE",         // 39
    "DROP TYPE",             // 40
    "DROP INDEXTYPE",        // 41
    "FORCE ANY TRANSACTION", // 42
    "USAGE",                 // 43
};

constexpr int BitAll = 0, BitInsert = 1, BitUpdate = 2, BitDelete = 3, BitSelect = 4, BitExecute = 5,
              BitReferences = 6, BitConnect = 7, BitUsage = 43;
// INSERT, UPDATE, DELETE, SELECT and REFERENCES: what ALL grants on a table.
constexpr std::uint64_t FullTableSet =
    (1u << BitInsert) | (1u << BitUpdate) | (1u << BitDelete) | (1u << BitSelect) | (1u << BitReferences);

// Statement permissions of MS SQL and ASE, and the system privileges of Oracle, in writing order.
constexpr std::initializer_list<int> StatementPermissionBits = {25, 23, 24, 13, 22, 19, 20,
                                                                26, 27, 28, 29, 30, 31, 32};
constexpr std::initializer_list<int> OracleSystemBits = {9,  11, 16, 15, 14, 19, 20, 12, 13, 10, 21,
                                                         18, 17, 40, 35, 36, 37, 38, 39, 41, 34, 42};

bool IsKindIn(TDbObject Kind, std::initializer_list<TDbObject> Kinds) {
    for (TDbObject k : Kinds)
        if (k == Kind) return true;
    return false;
}

// Whether a grant naming its object with kind GrantKind means an object of kind Kind.
bool GrantIsOn(TDbObject Kind, TDbObject GrantKind) {
    switch (Kind) {
    case dboTable:
    case dboView: // the server records privileges on views as on tables
        return GrantKind == dboTable || GrantKind == dboView;
    case dboProcedure: // a routine declared as a function is granted as a function
        return GrantKind == dboProcedure || GrantKind == dboFunction;
    case dboFunction:
    case dboException:
    case dboGenerator:
    case dboPackage:
    case dboRole:
        return GrantKind == Kind;
    default:
        return false;
    }
}

// Whether a grant naming its grantee with kind GranteeKind means an object of kind Kind.
bool GrantIsHeldBy(TDbObject Kind, TDbObject GranteeKind) {
    switch (Kind) {
    case dboProcedure:
        return GranteeKind == dboProcedure || GranteeKind == dboFunction;
    case dboFunction:
    case dboTrigger:
    case dboView:
    case dboPackage:
    case dboRole:
        return GranteeKind == Kind;
    default:
        return false;
    }
}

// The metadata classes of Firebird 3's DDL rights by RDB$OBJECT_TYPE, from 20 on.
constexpr std::array<std::string_view, 13> MetadataClasses = {
    "DATABASE",      // 20
    "TABLE",         // 21
    "VIEW",          // 22
    "PROCEDURE",     // 23
    "FUNCTION",      // 24
    "PACKAGE",       // 25
    "GENERATOR",     // 26
    "DOMAIN",        // 27
    "EXCEPTION",     // 28
    "ROLE",          // 29
    "CHARACTER SET", // 30
    "COLLATION",     // 31
    "FILTER",        // 32
};

} // namespace

std::string_view MetadataClassOfObjectType(int Code) {
    const int i = Code - 20;
    return i >= 0 && i < static_cast<int>(MetadataClasses.size())
               ? MetadataClasses[static_cast<std::size_t>(i)]
               : std::string_view();
}

// ===================================================================================================
// TRolData

TRolData::TRolData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(dboRole);
}

std::string TRolData::GetFullName() const {
    switch (RoleKind) {
    case 1:
        return "Login: " + GetName();
    case 2:
        return "User: " + GetName();
    default:
        return "Role: " + GetName();
    }
}

std::string TRolData::GetCreateSQL() const {
    const std::string& name = GetName();
    switch (GetDatabaseType()) {
    case dbMSSQL:
        if (RoleKind == 2)
            return "exec sp_addlogin @loginame = N" + QuotedStr(LoginName.empty() ? name : LoginName);
        if (ApplicationRole) return "exec sp_addapprole N" + QuotedStr(name) + ", N" + QuotedStr("");
        return "exec sp_addrole N" + QuotedStr(name);
    case dbSybaseASE: {
        const std::string br = "\r\n";
        if (RoleKind == 1)
            return "if (not exists(select name from master.dbo.syslogins where name = " + QuotedStr(name) +
                   "))" + br + "  begin" + br + "    use master" + br + "    exec sp_addlogin " +
                   QuoteName(name) + ", " + QuotedStr(AseInitialPassword) + br + "  end";
        if (RoleKind == 2)
            return "if (not exists(select name from dbo.sysusers where name = " + QuotedStr(name) + "))" +
                   br + "  exec sp_adduser " + QuoteName(LoginName) + ", " + QuoteName(name);
        return "if (not exists(select name from master.dbo.syssrvroles where name = " + QuotedStr(name) +
               "))" + br + "  begin" + br + "    use master" + br + "    create role " + QuoteName(name) +
               br + "  end";
    }
    default: {
        std::string s;
        if (!OwnerName.empty()) s = "/* Role: " + name + ", Owner: " + OwnerName + " */" + "\r\n";
        return s + "CREATE ROLE " + QuoteName(name);
    }
    }
}

std::string TRolData::GetCreateScript() const {
    if (Ignore) return {};
    std::string s = GetCreateSQL();
    if (GetDatabaseType() != dbSybaseASE || RoleKind == 2) return s;
    // "use master" switched databases: the block returns to the database the script runs on (the
    // target's while comparing).
    const TCustomObjs* objs = GetOwner();
    if (objs && objs->Comparing && objs->GetPartnerObjs()) objs = objs->GetPartnerObjs();
    const std::string database = objs ? objs->GetConnectionOptions().GetDatabaseName() : std::string();
    const std::string end = "\r\n  end";
    if (EndsStr(end, s)) s.insert(s.size() - end.size(), "\r\n    use " + database);
    return s;
}

std::string TRolData::GetDropSQL() const {
    const std::string& name = GetName();
    if (GetDatabaseType() == dbMSSQL) {
        if (RoleKind == 2) {
            const TCustomObjs* objs = GetOwner();
            if (objs && objs->Comparing && objs->GetPartnerObjs()) objs = objs->GetPartnerObjs();
            const bool after2000 = objs && objs->GetMSSQLServerOptions().GetSQLServerVersion() >
                                               TMSSQLServerVersionType::st_MSSQL2000;
            const std::string upper = UpperCase(name);
            if (after2000 && (upper == "SYS" || upper == "GUEST" || upper == "INFORMATION_SCHEMA")) return {};
            return "exec sp_revokedbaccess @name_in_db = N" + QuotedStr(name);
        }
        if (ApplicationRole) return "exec sp_dropapprole @rolename = N" + QuotedStr(name);
        return "exec sp_droprole @rolename = N" + QuotedStr(name);
    }
    return "DROP ROLE " + QuoteName(name);
}

// ===================================================================================================
// TGntData

TGntData::TGntData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(dboGrant);
    Columns.SetCaseSensitive(true);
    // Kept in one order whatever order a script or the server's privilege rows give: the columns
    // are part of the grant's text and key.
    Columns.SetSorted(true);
}

std::string TGntData::Quote(std::string_view Name, TIBSQLDialectType Dialect) const {
    const TDatabaseType t = GetDatabaseType();
    if (!GetOwner() || t == dbCustomOLEDB) return QuoteName(Name);
    const TIBServerOptions* ib = GetIBServerOptions();
    return TCustomObjs::QuoteIdentifier(Name, t, ib->GetSQLServerVersion(), Dialect);
}

namespace {

std::string Words(std::uint64_t Privileges, std::initializer_list<int> Bits) {
    std::string s;
    for (int bit : Bits)
        if ((Privileges >> bit) & 1u) s += (s.empty() ? "" : ", ") + std::string(PrivilegeWords[bit]);
    return s;
}

} // namespace

std::string TGntData::PrivilegePart(TIBSQLDialectType Dialect) const {
    const TDatabaseType t = GetDatabaseType();
    if (IsDDLRight()) {
        // The database has no "ANY": ALTER DATABASE, DROP DATABASE.
        const bool database = MetadataClass == "DATABASE";
        std::string s;
        for (const auto& [bit, word] :
             {std::pair{GrantBitCreate, "CREATE"}, std::pair{GrantBitAlterAny, "ALTER"},
              std::pair{GrantBitDropAny, "DROP"}})
            if (HasPrivilege(bit))
                s += (s.empty() ? "" : ", ") + std::string(word) +
                     (database || bit == GrantBitCreate ? "" : " ANY");
        return s + " " + MetadataClass;
    }
    if (IsRoleMembership()) return (t == dbSybaseASE ? "ROLE " : "") + Quote(ObjectName, Dialect);
    std::string s;
    auto add = [&s](const std::string& w) {
        if (!w.empty()) s += (s.empty() ? "" : ", ") + w;
    };
    if (HasPrivilege(BitAll)) {
        add("ALL");
    } else if (IsKindIn(ObjectKind, {dboTable, dboView, dboUnknown})) {
        if ((Privileges & FullTableSet) == FullTableSet && t != dbSybaseASE)
            add("ALL");
        else
            add(Words(Privileges, {BitDelete, BitInsert, BitSelect, BitUpdate, BitReferences, 31, 32, 33}));
    }
    add(Words(Privileges, {BitConnect, BitExecute, BitUsage}));
    if (Columns.Count() > 0) {
        std::string cols;
        for (int i = 0; i < Columns.Count(); ++i)
            cols += (i ? ", " : "") + Quote(Columns[i], Dialect);
        s += " (" + cols + ")";
    }
    if (!ObjectName.empty()) {
        std::string word;
        // Firebird knows no object word for tables and views (and no privileges on triggers).
        if (t == dbInterBase) switch (ObjectKind) {
            case dboProcedure:
                word = "PROCEDURE ";
                break;
            case dboFunction:
                word = "FUNCTION ";
                break;
            case dboException:
                word = "EXCEPTION ";
                break;
            case dboGenerator:
                word = "SEQUENCE ";
                break;
            case dboPackage:
                word = "PACKAGE ";
                break;
            default:
                break;
            }
        s += " ON " + word + Quote(ObjectName, Dialect);
    }
    return s;
}

std::string TGntData::GranteePart(TIBSQLDialectType Dialect) const {
    std::string word;
    switch (GranteeKind) {
    case dboProcedure:
        word = "PROCEDURE ";
        break;
    case dboTrigger:
        word = "TRIGGER ";
        break;
    case dboFunction:
        word = "FUNCTION ";
        break;
    case dboView:
        word = "VIEW ";
        break;
    case dboRole:
        word = "ROLE ";
        break;
    case dboPackage:
        word = "PACKAGE ";
        break;
    default:
        break;
    }
    return word + Quote(GranteeName, Dialect);
}

std::string TGntData::BuildCreate(TIBSQLDialectType Dialect, std::uint8_t Option) const {
    const TDatabaseType t = GetDatabaseType();
    const std::string grantee = Quote(GranteeName, Dialect);
    switch (t) {
    case dbOracle:
        if (!StatementText.empty()) return "GRANT " + StatementText;
        if (GranteeName.empty()) return {};
        if (!ObjectName.empty() && Privileges == 0)
            return "GRANT " + Quote(ObjectName, Dialect) + " TO " + grantee;
        if (!ObjectName.empty())
            return "GRANT " +
                   Words(Privileges,
                         {BitDelete, BitInsert, BitSelect, BitUpdate, BitReferences, BitExecute}) +
                   " ON " + Quote(ObjectName, Dialect) + " TO " + grantee;
        return "GRANT " + Words(Privileges, OracleSystemBits) + " TO " + grantee;
    case dbMSSQL:
    case dbSybaseASE:
        if (!StatementText.empty()) return StatementText;
        if (Privileges == (1u << BitConnect))
            return "GRANT CONNECT TO " + Quote(ObjectName, Dialect) + " AS " + grantee;
        if (ObjectKind == dboUnknown && ObjectName.empty())
            return "GRANT " + Words(Privileges, StatementPermissionBits) + " TO " + grantee +
                   (Option ? " WITH GRANT OPTION" : "");
        if (IsRoleMembership())
            return (t == dbSybaseASE ? "GRANT ROLE " : "GRANT ") + Quote(ObjectName, Dialect) + " TO " +
                   grantee + (Option ? " WITH ADMIN OPTION" : "");
        return "GRANT " + PrivilegePart(Dialect) + " TO " + grantee + (Option ? " WITH GRANT OPTION" : "");
    default:
        if (ObjectKind == dboUnknown && !StatementText.empty()) return StatementText;
        return "GRANT " + PrivilegePart(Dialect) + " TO " + GranteePart(Dialect) +
               (Option ? (IsRoleMembership() ? " WITH ADMIN OPTION" : " WITH GRANT OPTION") : "");
    }
}

std::string TGntData::CreateText(TIBSQLDialectType Dialect) const {
    return BuildCreate(Dialect, GrantOption);
}

std::string TGntData::GetCreateSQL() const {
    const TIBServerOptions* ib = GetIBServerOptions();
    return CreateText(ib ? ib->GetSQLDialect() : 3);
}

std::string TGntData::BuildKey(std::uint8_t Option) const {
    std::string key = BuildCreate(1, Option);
    // Oracle's text leaves out the columns and the option; the key must still tell such grants apart.
    if (GetDatabaseType() == dbOracle && StatementText.empty()) {
        if (Columns.Count() > 0) {
            std::string cols;
            for (int i = 0; i < Columns.Count(); ++i)
                cols += (i ? ", " : "") + Columns[i];
            key += " (" + cols + ")";
        }
        if (Option) key += IsRoleMembership() ? " WITH ADMIN OPTION" : " WITH GRANT OPTION";
    }
    return key;
}

std::string TGntData::GetFullName() const {
    return BuildKey(GrantOption);
}

std::string TGntData::KeyWithoutOption() const {
    return BuildKey(0);
}

bool TGntData::IsWritable() const {
    if (!IsDDLRight()) return true;
    const TIBServerOptions* ib = GetIBServerOptions();
    const TIBSQLServerVersionType v =
        ib ? ib->GetSQLServerVersion() : TIBServerOptions::DefaultSQLServerVersion;
    return GetDatabaseType() == dbInterBase &&
           (v == TIBSQLServerVersionType::st_Firebird_30 || v == TIBSQLServerVersionType::st_Firebird_40);
}

std::string TGntData::RevokeText(TIBSQLDialectType Dialect, bool WithOption) const {
    if (ObjectKind == dboUnknown && !IsDDLRight())
        return "REVOKE " + Words(Privileges, StatementPermissionBits) + " FROM " +
               Quote(GranteeName, Dialect);
    std::string s = "REVOKE ";
    if (WithOption && GrantOption) s += IsRoleMembership() ? "ADMIN OPTION FOR " : "GRANT OPTION FOR ";
    return s + PrivilegePart(Dialect) + " FROM " + GranteePart(Dialect);
}

std::string TGntData::GetDropSQL() const {
    const TIBServerOptions* ib = GetIBServerOptions();
    return RevokeText(ib ? ib->GetSQLDialect() : 3, true);
}

// ===================================================================================================
// Grants of a dropped object

void MarkGrantsOfDroppedObject(TDbObj* Obj) {
    TCustomObjs* objs = Obj ? Obj->GetOwner() : nullptr;
    if (!objs || Obj->GetName().empty()) return;
    const TDbObject kind = Obj->GetKind();
    if (!IsKindIn(kind, {dboTable, dboView, dboProcedure, dboFunction, dboException, dboGenerator, dboPackage,
                         dboRole, dboTrigger}))
        return;
    std::vector<TGntData*> on, heldBy;
    objs->FindGrants(Obj->GetName(), on, heldBy);
    for (TGntData* g : on)
        if (GrantIsOn(kind, g->ObjectKind)) g->SetExists(false);
    for (TGntData* g : heldBy)
        if (GrantIsHeldBy(kind, g->GranteeKind)) g->SetExists(false);
}

// ===================================================================================================
// Compare steps

namespace {

TRolData* RoleAt(TStringList& list, int i) {
    return dynamic_cast<TRolData*>(list.Objects(i));
}

TGntData* GrantAt(TStringList& list, int i) {
    return dynamic_cast<TGntData*>(list.Objects(i));
}

// Grants of the category kinds take part only when their kind is compared; plain ones always.
bool Admitted(const TGntData& g, TCmpObjSetType CompareObjects) {
    return g.CompareKind == TCmpObjType::coGrant || CompareObjects.contains(g.CompareKind);
}

} // namespace

void CreateRoles(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    const bool mssql = c.Target->GetDatabaseType() == dbMSSQL;
    TStringList& list = c.Master->Roles();
    static constexpr std::array<std::string_view, 3> Titles = {"Creating roles", "Creating logins",
                                                               "Creating users"};
    for (std::uint8_t kind = 0; kind < 3; ++kind) {
        TStepComment header(c.Exec, std::string(Titles[kind]));
        for (int i = 0; i < list.Count(); ++i) {
            TRolData* m = RoleAt(list, i);
            if (!m || m->RoleKind != kind || (m->GetPartner() && m->GetPartner()->GetExists())) continue;
            header.Write(*m);
            if (kind == 2 && mssql) {
                const std::string login = m->LoginName.empty() ? m->GetName() : m->LoginName;
                c.Exec->AddStatement("exec sp_addlogin @loginame = N" + QuotedStr(login),
                                     TStatType::stStatement, m->GetName(), dboRole, TDbOperation::odbCreate,
                                     "", "");
                c.Exec->AddStatement("exec sp_grantdbaccess @loginame = N" + QuotedStr(login) +
                                         ", @name_in_db = N" + QuotedStr(m->GetName()),
                                     TStatType::stStatement, m->GetName(), dboRole, TDbOperation::odbCreate,
                                     "", "");
            } else {
                c.Exec->AddStatement(m->GetCreateScript(), TStatType::stStatement, m->GetName(), dboRole,
                                     TDbOperation::odbCreate, "", "");
            }
            m->SetExists(true);
            if (c.Descriptions() && !m->GetDescription().empty()) c.Exec->AddDescription(m);
        }
    }
}

void UpdateRoleDescriptions(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok() || !c.Descriptions()) return;
    TStringList& list = c.Master->Roles();
    for (int i = 0; i < list.Count(); ++i) {
        TRolData* m = RoleAt(list, i);
        if (m && m->RoleKind == 0 && m->GetPartner() &&
            m->GetPartner()->GetDescription() != m->GetDescription())
            c.Exec->AddDescription(m);
    }
}

void DropRoles(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    const TDatabaseType t = c.Target->GetDatabaseType();
    TStringList& list = c.Target->Roles();
    auto drop = [&](std::uint8_t Kind, std::string Title) {
        TStepComment header(c.Exec, std::move(Title));
        for (int i = 0; i < list.Count(); ++i) {
            TRolData* r = RoleAt(list, i);
            if (!r || r->RoleKind != Kind || r->GetPartner() || !r->GetExists()) continue;
            header.Write(*r);
            r->DropWithDependents();
        }
    };
    drop(2, "Dropping users");
    if (t == dbMSSQL || t == dbSybaseASE) return;
    drop(1, "Dropping logins");
    drop(0, "Dropping roles");
}

void CreateGrants(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    TStepComment header(c.Exec, "Create(Add) Crant");
    TStringList& list = c.Master->Grants();
    for (int i = 0; i < list.Count(); ++i) {
        TGntData* m = GrantAt(list, i);
        if (!m || !Admitted(*m, c.CompareObjects)) continue;
        // A grant the script has written already (with the view it is on) is not written again.
        if (m->GetExists() || (m->GetPartner() && m->GetPartner()->GetExists())) continue;
        header.Write(*m);
        if (m->IsWritable())
            c.Exec->AddStatement(m->GetCreateScript(), TStatType::stStatement, m->GetCreateSQL(), dboGrant,
                                 TDbOperation::odbCreate, "", "");
        else
            c.Exec->AddComment(m->FormatComment(m->GetCreateSQL() + ": needs Firebird 3.0 or later") +
                               "\r\n");
        m->SetExists(true);
    }
}

void DropGrants(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    TStringList& list = c.Target->Grants();
    for (int i = 0; i < list.Count(); ++i) {
        TGntData* t = GrantAt(list, i);
        if (!t || !Admitted(*t, c.CompareObjects) || !t->GetExists()) continue;
        const std::string text = t->GetCreateSQL();
        if (t->GetPartner() && t->GetPartner()->GetCreateSQL() == text) continue;
        // A column dropped by this script took its privileges with it: the REVOKE names the others.
        TGntData kept(t->GetOwner());
        if (t->Columns.Count() > 0 && t->ObjectKind == dboTable) {
            auto* table = dynamic_cast<TTblData*>(c.Target->FindObject(TObjsList::olTables, t->ObjectName));
            for (int k = 0; k < t->Columns.Count(); ++k)
                if (const TFldData* f = table ? table->FindField(t->Columns[k]) : nullptr;
                    !f || f->GetExists())
                    kept.Columns.Add(t->Columns[k]);
            if (kept.Columns.Count() == 0) {
                t->SetExists(false);
                continue;
            }
            if (kept.Columns.Count() < t->Columns.Count()) {
                kept.Privileges = t->Privileges;
                kept.ObjectName = t->ObjectName;
                kept.ObjectKind = t->ObjectKind;
                kept.GranteeName = t->GranteeName;
                kept.GranteeKind = t->GranteeKind;
                kept.CompareKind = t->CompareKind;
                kept.GrantOption = t->GrantOption;
            }
        }
        c.Exec->AddComment(t->FormatComment("DROP: -- " + text));
        if (!t->IsWritable()) {
            c.Exec->AddComment(t->FormatComment(t->GetDropSQL() + ": needs Firebird 3.0 or later") + "\r\n");
            t->SetExists(false);
            continue;
        }
        const TGntData* revoked = kept.Privileges != 0 ? &kept : t;
        c.Exec->AddStatement(revoked->GetDropSQL(), TStatType::stStatement, text, dboGrant,
                             TDbOperation::odbDrop, "", "");
        // Revoking the option leaves the privilege; unless the master keeps the privilege without
        // the option, it is revoked as well.
        if (t->GrantOption && (t->ObjectKind != dboUnknown || t->IsDDLRight()) &&
            !FindByKey(c.Master, TObjsList::olGrants, t->KeyWithoutOption())) {
            const TIBServerOptions* ib = t->GetIBServerOptions();
            c.Exec->AddStatement(revoked->RevokeText(ib ? ib->GetSQLDialect() : 3, false),
                                 TStatType::stStatement, text, dboGrant, TDbOperation::odbDrop, "", "");
        }
        t->SetExists(false);
    }
}

// ===================================================================================================
// The container's grant list: merging and the name index read the grant's own fields, so they live
// with the grant.

TGntData* TCustomObjs::MergeGrants(TGntData* G) {
    if (!G) return nullptr;
    TStringList& grants = Grants();
    for (int i = 0; i < grants.Count(); ++i) {
        auto* e = dynamic_cast<TGntData*>(grants.Objects(i));
        if (!e || e == G) continue;
        if (e->ObjectName != G->ObjectName || e->GranteeName != G->GranteeName ||
            e->GrantOption != G->GrantOption || e->MetadataClass != G->MetadataClass)
            continue;
        if (e->Columns.Count() == 0 && G->Columns.Count() == 0) {
            e->Privileges |= G->Privileges;
            return nullptr;
        }
        if (e->Privileges == G->Privileges && e->Columns.Count() > 0 && G->Columns.Count() > 0) {
            for (int c = 0; c < G->Columns.Count(); ++c) {
                bool present = false;
                for (int d = 0; d < e->Columns.Count() && !present; ++d)
                    present = e->Columns[d] == G->Columns[c];
                if (!present) e->Columns.Add(G->Columns[c]);
            }
            return nullptr;
        }
    }
    const std::string key = G->GetFullName();
    if (File(TObjsList::olGrants, key, G) < 0) {
        // A distinct grant under a taken key would vanish without a word.
        const std::string text = "Grant not filed, its key is taken: " + key;
        if (Structure_ && Structure_->GetExtractor())
            Structure_->GetExtractor()->GetMsgManager().AddMessage(text, 1);
        DoLogNextLine(text);
        return nullptr;
    }
    return G;
}

void TCustomObjs::FindGrants(std::string_view Name, std::vector<TGntData*>& OnObject,
                             std::vector<TGntData*>& HeldBy) {
    TStringList& grants = Grants();
    const bool fold = !grants.GetCaseSensitive();
    auto keyOf = [fold](std::string_view s) { return fold ? UpperCase(s) : std::string(s); };
    if (!grantIndex_) {
        grantIndex_ = std::make_unique<GrantIndex>();
        for (int i = 0; i < grants.Count(); ++i)
            if (auto* g = dynamic_cast<TGntData*>(grants.Objects(i))) {
                if (!g->ObjectName.empty()) grantIndex_->byObject.emplace(keyOf(g->ObjectName), g);
                if (!g->GranteeName.empty()) grantIndex_->byGrantee.emplace(keyOf(g->GranteeName), g);
            }
    }
    const std::string key = keyOf(Name);
    for (auto [it, end] = grantIndex_->byObject.equal_range(key); it != end; ++it)
        OnObject.push_back(it->second);
    for (auto [it, end] = grantIndex_->byGrantee.equal_range(key); it != end; ++it)
        HeldBy.push_back(it->second);
}

} // namespace smx
