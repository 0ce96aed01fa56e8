// Helpers of the object-kind tests: a container of one database type and server version that owns
// its objects, builders of the kinds' objects, and a master/target pair wired to a comparer whose
// steps write into a generic executor, with the filed statements as plain records.
#pragma once

#include <string>
#include <vector>

#include "model/smxComp_Clt.h"
#include "model/smxComp_Def.h"
#include "model/smxComp_Exc.h"
#include "model/smxComp_Fnc.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Pkg.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Rul.h"
#include "model/smxComp_Tbl.h"
#include "model/smxDBStructure.h"
#include "model/smxSQL_Exec.h"
#include "model/smxSchemalyst.h"
#include "tests/model/ModelTestSupport.h"

namespace smx::test {

/// A container of one database type (InterBase at Firebird 3.0, dialect 3 by default).
class KindObjs : public OwningObjs {
public:
    explicit KindObjs(TDatabaseType type = TDatabaseType::dbInterBase,
                      TIBSQLServerVersionType version = TIBSQLServerVersionType::st_Firebird_30) {
        SetDatabaseType(type);
        GetIBServerOptions().SetSQLServerVersion(version);
        GetIBServerOptions().SetSQLDialect(3);
    }
};

/// Files obj in objs and returns it.
template <typename T> T* File(TCustomObjs& objs, T* obj) {
    objs.AddObject(obj, true);
    return obj;
}

inline TGntData* Grant(TCustomObjs& objs, std::uint64_t privileges, std::string object, TDbObject objectKind,
                       std::string grantee, TDbObject granteeKind = TDbObject::dboUser,
                       std::uint8_t option = 0) {
    auto* g = new TGntData(&objs);
    g->Privileges = privileges;
    g->ObjectName = std::move(object);
    g->ObjectKind = objectKind;
    g->GranteeName = std::move(grantee);
    g->GranteeKind = granteeKind;
    g->GrantOption = option;
    return g;
}

/// Membership of grantee in role.
inline TGntData* Membership(TCustomObjs& objs, std::string role, std::string grantee,
                            std::uint8_t option = 0) {
    return Grant(objs, 0, std::move(role), TDbObject::dboRole, std::move(grantee), TDbObject::dboUser,
                 option);
}

/// Privilege bits.
namespace priv {
inline constexpr std::uint64_t All = 1u << 0, Insert = 1u << 1, Update = 1u << 2, Delete = 1u << 3,
                               Select = 1u << 4, Execute = 1u << 5, References = 1u << 6, Connect = 1u << 7,
                               Usage = 1ull << 43;
}

inline TRolData* Role(TCustomObjs& objs, std::string name, std::uint8_t kind = 0, std::string owner = "") {
    auto* r = Make<TRolData>(&objs, name);
    r->RoleKind = kind;
    r->OwnerName = std::move(owner);
    return r;
}

inline TExcData* Exception(TCustomObjs& objs, std::string name, std::string message) {
    auto* e = Make<TExcData>(&objs, name);
    e->Message = std::move(message);
    return e;
}

inline TPkgData* Package(TCustomObjs& objs, std::string name, std::string header, std::string body) {
    auto* p = Make<TPkgData>(&objs, name, body);
    p->SetHeaderSource(header);
    return p;
}

/// An external function: parameters of the given type codes (length 20 for CSTRING), a result.
inline TUdfData* Udf(TCustomObjs& objs, std::string name, std::vector<std::uint8_t> params,
                     std::uint8_t result, bool byValue, std::string entry, std::string module) {
    auto* f = Make<TUdfData>(&objs, name);
    for (std::uint8_t code : params) {
        TFldData* p = f->AddParam();
        p->DataType = code;
        if (code == 56) p->Length = 20;
    }
    f->GetReturnValue()->DataType = result;
    f->GetReturnValue()->ByValue = byValue;
    f->EntryPoint = std::move(entry);
    f->ModuleName = std::move(module);
    return f;
}

/// One filed statement.
struct Stmt {
    TStatType StatType;
    std::string Text;
    TDbOperation Operation;
    TDbObject ObjKind;
    std::string ObjName;
};

/// The statements of an executor, each with its lines joined by CR LF.
inline std::vector<Stmt> StatementsOf(const TCustomSQLExec& exec) {
    std::vector<Stmt> r;
    for (int i = 0; i < exec.GetStatementCount(); ++i) {
        const TStatement* s = exec.GetStatement(i);
        std::string text;
        for (int j = 0; j < s->Lines.Count(); ++j)
            text += (j ? "\r\n" : "") + s->Lines[j];
        r.push_back({s->StatType, text, s->Operation, s->ObjKind, s->ObjName});
    }
    return r;
}

/// The texts of the statements, comments included.
inline std::vector<std::string> TextsOf(const TCustomSQLExec& exec) {
    std::vector<std::string> r;
    for (const Stmt& s : StatementsOf(exec))
        r.push_back(s.Text);
    return r;
}

/// Position of the first text equal to text (or, with part, containing it); -1 when absent.
inline int Find(const std::vector<std::string>& texts, std::string_view text, bool part = false) {
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (part ? texts[i].find(text) != std::string::npos : texts[i] == text) return static_cast<int>(i);
    return -1;
}

/// Master and target structures of one type, a comparer over them and an executor of that type.
/// Compare() runs the whole step table.
struct KindRig {
    explicit KindRig(TDatabaseType type = TDatabaseType::dbInterBase,
                     TIBSQLServerVersionType version = TIBSQLServerVersionType::st_Firebird_30) {
        for (TDBStructure* s : {&master, &target}) {
            s->SetDatabaseType(type);
            s->GetIBServerOptions().SetSQLServerVersion(version);
            s->GetIBServerOptions().SetSQLDialect(3);
            s->GetIBServerOptions().SetDBCharSet("UTF8");
        }
        cmp.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
        exec.SetDatabaseType(type);
        cmp.SetDBStructureMaster(&master);
        cmp.SetDBStructureTarget(&target);
        cmp.SetSQLExec(&exec);
    }
    ~KindRig() { cmp.SetSQLExec(nullptr); }
    TObjs& M() { return *master.Objs(); }
    TObjs& T() { return *target.Objs(); }
    void Compare() { cmp.CompareStructures(); }
    std::vector<std::string> Texts() const { return TextsOf(exec); }
    std::vector<Stmt> Statements() const { return StatementsOf(exec); }

    TDBStructure master, target;
    TSchemalyst cmp;
    TSQLExec exec;
};

} // namespace smx::test
