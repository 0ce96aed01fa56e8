// The dependency passes after a script: grant categories, grants on their objects and grantees,
// users on their logins, domain-typed columns and the views using them, and the lookups that the
// body parser will drive (by name among kinds, and column references through FROM contexts).
#include <gtest/gtest.h>

#include <string>

#include "model/smxComp_Dmn.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Viw.h"
#include "platform/smxParallel.h"
#include "tests/parsing/ParserTestSupport.h"

namespace smx::test {
namespace {

using enum TDbObject;

// This suite's link passes (its golden and script-compare cases too) look up in pieces on threads,
// as in a large structure; the other suites keep the single-thread path.
[[maybe_unused]] const bool SplitPasses = (SetParallelFrom(0), true);

/// A parser whose FROM contexts a test fills.
class LinkProbe : public TIbParser {
public:
    explicit LinkProbe(TObjs& Objs) {
        TStringList None;
        ParseScript(None, &Objs); // binds the container
    }
    TParseContext& PushFrom(std::initializer_list<std::pair<const char*, const char*>> Tables) {
        FromContexts_.push_back(std::make_unique<TParseContext>(*this));
        TParseContext& C = *FromContexts_.back();
        C.IsFrom = true;
        for (const auto& [Table, Alias] : Tables) {
            C.TableNames.Add(Table);
            C.Aliases.Add(Alias);
        }
        return C;
    }
};

template <class T> T* File(TObjs& Objs, const std::string& Name) {
    auto* O = new T(&Objs);
    O->SetName(Name);
    EXPECT_GE(Objs.AddObject(O, true), 0) << Name;
    return O;
}

/// True when Dependent has a record naming Needed (or a column of it) with that field name.
bool DependsOn(const TDbObj* Dependent, const TDbObj* Needed, const std::string& Field = "") {
    for (int i = 0; i < Dependent->GetDependsOn().Count(); ++i) {
        const TDependObj* R = Dependent->DependsOnItem(i);
        const TDbObj* Ref = R->GetReferenced();
        if (R->FieldName == Field && (Ref == Needed || (Ref && Ref->GetParentObject() == Needed)))
            return true;
    }
    return false;
}

TTblData* FileTable(TObjs& Objs, const std::string& Name,
                    std::initializer_list<std::pair<const char*, const char*>> Cols) {
    auto* T = new TTblData(&Objs);
    T->SetName(Name);
    for (const auto& [Col, Domain] : Cols) {
        TFldData* F = T->AddField(Col);
        F->DataType = *Domain ? DomainDataType : 1;
        F->DomainName = Domain;
    }
    EXPECT_GE(Objs.AddObject(T, true), 0);
    return T;
}

TEST(Links, GrantCategoriesObjectsAndGrantees) {
    TIbSetup Setup;
    TObjs& O = Setup.Objs();
    auto* Role = File<TRolData>(O, "R");
    auto* Table = FileTable(O, "T", {{"A", ""}});
    auto* Proc = File<TPrcData>(O, "P");
    auto MakeGrant = [&](const char* Key, TDbObject ObjKind, const char* Obj, TDbObject GranteeKind,
                         const char* Grantee, std::uint64_t Privileges = 1) {
        // Grants are filed under their statement text, so each one differs in what it grants.
        auto* G = new TGntData(&O);
        G->SetName(Key);
        G->Privileges = Privileges;
        G->ObjectKind = ObjKind;
        G->ObjectName = Obj;
        G->GranteeKind = GranteeKind;
        G->GranteeName = Grantee;
        EXPECT_GE(O.AddObject(G, true), 0);
        return G;
    };
    auto* ToRole = MakeGrant("G1", dboTable, "T", dboRole, "R");
    auto* ToProc = MakeGrant("G2", dboTable, "T", dboProcedure, "P");
    auto* ToUser = MakeGrant("G3", dboProcedure, "P", dboUser, "U");
    auto* Kept = MakeGrant("G4", dboTable, "T", dboRole, "R", 2);
    Kept->CompareKind = TCmpObjType::coUserGrant; // categorised already: left alone
    LinkProbe P(O);
    P.LinkObjects();
    EXPECT_EQ(ToRole->CompareKind, TCmpObjType::coRoleGrant);
    EXPECT_EQ(ToProc->CompareKind, TCmpObjType::coObjGrant);
    EXPECT_EQ(ToUser->CompareKind, TCmpObjType::coUserGrant);
    EXPECT_EQ(Kept->CompareKind, TCmpObjType::coUserGrant);
    EXPECT_TRUE(DependsOn(ToRole, Table));
    EXPECT_TRUE(DependsOn(ToRole, Role));
    EXPECT_TRUE(DependsOn(ToProc, Proc));
    EXPECT_TRUE(DependsOn(ToUser, Proc));
    EXPECT_EQ(ToUser->GetDependsOn().Count(), 1); // the user U is not in the container
    // Running the passes again adds nothing.
    P.LinkObjects();
    EXPECT_EQ(ToRole->GetDependsOn().Count(), 2);
}

TEST(Links, UsersDependOnTheirLogins) {
    TIbSetup Setup;
    TObjs& O = Setup.Objs();
    auto* Login = File<TRolData>(O, "L1");
    Login->RoleKind = 1;
    auto* User = new TRolData(&O);
    User->SetName("U1");
    User->RoleKind = 2;
    User->LoginName = "L1";
    O.AddObject(User, true);
    LinkProbe P(O);
    P.LinkObjects();
    EXPECT_TRUE(DependsOn(User, Login));
    EXPECT_EQ(Login->GetDependsOn().Count(), 0);
}

TEST(Links, DomainColumnsAndTheViewsUsingThem) {
    TIbSetup Setup;
    TObjs& O = Setup.Objs();
    auto* D = File<TDmnData>(O, "D");
    auto* T = FileTable(O, "T", {{"A", "D"}, {"B", ""}, {"C", "NOSUCH"}});
    auto* V = File<TViwData>(O, "V");
    auto* W = File<TViwData>(O, "W");
    AddDependency(&O, V, T, 0, 0, "A");
    AddDependency(&O, W, T, 0, 0, "B");
    LinkProbe P(O);
    P.LinkObjects();
    EXPECT_TRUE(DependsOn(T->FindField("A"), D));
    EXPECT_EQ(T->FindField("B")->GetDependsOn().Count(), 0);
    EXPECT_EQ(T->FindField("C")->GetDependsOn().Count(), 0);
    EXPECT_TRUE(DependsOn(V, D, "A"));
    EXPECT_FALSE(DependsOn(W, D, "B"));
}

TEST(Links, LookupByNameAmongKinds) {
    TIbSetup Setup;
    TObjs& O = Setup.Objs();
    auto* T = FileTable(O, "X", {});
    auto* G = File<TGnrData>(O, "X2");
    auto* Self = File<TPrcData>(O, "SELF");
    auto* Other = File<TPrcData>(O, "OTHER");
    LinkProbe P(O);
    P.LinkDepend(Other, "X", MakeDbObjectKinds({dboTable, dboView}));
    EXPECT_TRUE(DependsOn(Other, T));
    P.LinkDepend(Other, "X2", MakeDbObjectKinds({dboTable}));
    EXPECT_FALSE(DependsOn(Other, G)); // not among the kinds asked for
    P.LinkDepend(Other, "X2", MakeDbObjectKinds({dboTable, dboGenerator}));
    EXPECT_TRUE(DependsOn(Other, G));
    P.LinkDepend(Self, "SELF", MakeDbObjectKinds({dboProcedure})); // a routine calling itself
    EXPECT_EQ(Self->GetDependsOn().Count(), 0);
    P.LinkDepend(Other, "RDB$X", MakeDbObjectKinds({dboTable}));
    P.LinkDepend(Other, "rdb$database", MakeDbObjectKinds({dboTable}));
    EXPECT_EQ(Other->GetDependsOn().Count(), 2);
}

TEST(Links, ViewOnATableColumnAlsoNeedsTheTablesDomains) {
    TIbSetup Setup;
    TObjs& O = Setup.Objs();
    auto* D1 = File<TDmnData>(O, "D1");
    auto* D2 = File<TDmnData>(O, "D2");
    auto* T = FileTable(O, "T", {{"A", "D1"}, {"B", "D2"}, {"C", ""}});
    auto* V = File<TViwData>(O, "V");
    LinkProbe P(O);
    P.LinkDependObj(V, T, "C");
    EXPECT_TRUE(DependsOn(V, T, "C"));
    EXPECT_TRUE(DependsOn(V, D1));
    EXPECT_TRUE(DependsOn(V, D2));
    const int Count = V->GetDependsOn().Count();
    P.LinkDependObj(V, T, "C"); // once only
    EXPECT_EQ(V->GetDependsOn().Count(), Count);
}

TEST(Links, ColumnReferencesThroughFromContexts) {
    TIbSetup Setup;
    TObjs& O = Setup.Objs();
    auto* T = FileTable(O, "T", {{"A", ""}});
    auto* U = FileTable(O, "U", {{"B", ""}});
    auto* G = File<TGnrData>(O, "GEN");
    auto* Body = File<TPrcData>(O, "BODY");
    LinkProbe P(O);
    // No FROM context: a name that is no local name is taken for a generator.
    P.GetLocalNames().Add("LOCALVAR");
    P.LinkFieldDepend(Body, "", "LOCALVAR");
    EXPECT_EQ(Body->GetDependsOn().Count(), 0);
    P.LinkFieldDepend(Body, "", "GEN");
    EXPECT_TRUE(DependsOn(Body, G));
    // FROM T X, then an inner FROM U: an alias resolves through the outer context; an unqualified
    // column goes to the first table that has it; "*" takes every table of the top context.
    P.PushFrom({{"T", "X"}});
    P.PushFrom({{"U", "Y"}});
    P.LinkFieldDepend(Body, "X", "A");
    EXPECT_TRUE(DependsOn(Body, T, "A"));
    P.LinkFieldDepend(Body, "", "B");
    EXPECT_TRUE(DependsOn(Body, U, "B"));
    auto* Star = File<TPrcData>(O, "STAR");
    P.LinkFieldDepend(Star, "", "*");
    EXPECT_TRUE(DependsOn(Star, U));
    EXPECT_FALSE(DependsOn(Star, T));
    P.LinkFieldDepend(Star, "X", "*");
    EXPECT_TRUE(DependsOn(Star, T));
}

} // namespace
} // namespace smx::test
