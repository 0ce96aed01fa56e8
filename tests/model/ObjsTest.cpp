// The object container: filing by kind and full name, duplicates, case rules, the IBE$ filter, the
// include/exclude patterns, roles and partners, helper texts, grant merging and re-keying, and the
// lifetimes of the links a container holds and is held by.
#include <gtest/gtest.h>

#include "model/smxBlockPool.h"
#include <algorithm>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ModelTestSupport.h"
#include "model/smxComp_Clt.h"
#include "model/smxComp_Cnv.h"
#include "model/smxComp_Ctr.h"
#include "model/smxComp_Def.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Exc.h"
#include "model/smxComp_Fnc.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Opr.h"
#include "model/smxComp_Pbl.h"
#include "model/smxComp_Pkg.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Rul.h"
#include "model/smxComp_Sch.h"

namespace smx {
namespace {

using namespace test;

TEST(Objs, NewContainer) {
    OwningObjs objs;
    EXPECT_EQ(objs.GetTerminator(), ";");
    EXPECT_EQ(objs.GetCompareObjects().mask(), 0x7FFFFFu);
    EXPECT_EQ(objs.GetConnectionOptions().GetUserName(), "SYSDBA");
    EXPECT_EQ(objs.GetConnectionOptions().GetPassword(), "plumbtide");
    EXPECT_EQ(objs.GetRole(), 0);
    EXPECT_EQ(objs.GetTargetODSMajor(), 0);
    EXPECT_EQ(objs.GetNamePrefix(), "");
}

TEST(Objs, EachClassGoesToItsList) {
    using enum TObjsList;
    OwningObjs objs;
    const std::pair<TDbObj*, TObjsList> rows[] = {
        {new TUdfData(&objs), olFunctions},       {new TDmnData(&objs), olDomains},
        {new TTblData(&objs), olTables},          {new TViwData(&objs), olViews},
        {new TPrcData(&objs), olProcedures},      {new TTrgData(&objs), olTriggers},
        {new TIdxData(&objs), olIndices},         {new TGnrData(&objs), olGenerators},
        {new TCtrData(&objs), olConstraints},     {new TExcData(&objs), olExceptions},
        {new TGntData(&objs), olGrants},          {new TDefData(&objs), olDefaults},
        {new TRulData(&objs), olRules},           {new TPkgData(&objs), olPackages},
        {new TRolData(&objs), olRoles},           {new TPblData(&objs), olPublications},
        {new TSchData(&objs), olSchemas},         {new TOprData(&objs), olOperators},
        {new TOpcData(&objs), olOperatorClasses}, {new TCnvData(&objs), olConversions},
        {new TEvtData(&objs), olEvents},          {new TCltData(&objs), olCollations},
    };
    for (const auto& [obj, which] : rows) {
        obj->SetName("N");
        EXPECT_GE(objs.AddObject(obj, true), 0) << obj->ClassName();
        ASSERT_EQ(objs.List(which).Count(), 1) << obj->ClassName();
        EXPECT_EQ(objs.List(which).Objects(0), obj);
        // Filed under its full name: the name, except for roles and grants (keyed by kind and text)
        // and operators and operator classes (keyed with their arguments and access method).
        EXPECT_EQ(objs.FindObject(which, obj->GetFullName()), obj);
    }
    EXPECT_EQ(objs.AddObject(nullptr, true), -1);
}

// The value AddObject returns is the object's index in its list as the list reads right after
// the call, whatever order the objects come in: checked against the sorted names filed so far
// (with no read in between, so the later ones are still pending), and by reading the list.
TEST(Objs, AddObjectReturnsTheListIndex) {
    const std::pair<const char*, std::vector<std::string>> rows[] = {
        {"reverse", {"C", "B", "A"}},
        {"in order", {"A", "B", "C"}},
        {"middle last", {"A", "C", "B"}},
        {"mixed", {"M", "Z", "B", "A", "Y", "N", "C", "ZZ", "AA"}},
        {"case-sensitive order", {"b", "B", "a", "A"}},
    };
    for (const auto& [name, filed] : rows) {
        SCOPED_TRACE(name);
        OwningObjs objs;
        objs.SetDatabaseType(TDatabaseType::dbInterBase);
        std::vector<std::string> sofar;
        for (const std::string& n : filed) {
            const int index = objs.AddObject(Make<TTblData>(&objs, n), true);
            sofar.push_back(n);
            std::sort(sofar.begin(), sofar.end());
            ASSERT_GE(index, 0) << n;
            EXPECT_EQ(sofar[static_cast<std::size_t>(index)], n) << n << " at " << index;
        }
        OwningObjs read;
        read.SetDatabaseType(TDatabaseType::dbInterBase);
        for (const std::string& n : filed) {
            TTblData* t = Make<TTblData>(&read, n);
            const int index = read.AddObject(t, true);
            ASSERT_GE(index, 0) << n;
            ASSERT_LT(index, read.Tables().Count()) << n;
            EXPECT_EQ(read.Tables().Objects(index), t) << n << " at " << index;
        }
    }

    // Many keys in a scrambled order, with a read in the middle, so that listed and pending keys
    // both come before new ones.
    OwningObjs many;
    many.SetDatabaseType(TDatabaseType::dbInterBase);
    std::vector<std::string> sorted;
    for (int i = 0; i < 3000; ++i) {
        const std::string n = "T" + std::to_string((i * 7919) % 3000);
        const int index = many.AddObject(Make<TTblData>(&many, n), true);
        sorted.insert(std::lower_bound(sorted.begin(), sorted.end(), n), n);
        ASSERT_GE(index, 0) << n;
        ASSERT_EQ(sorted[static_cast<std::size_t>(index)], n) << i;
        if (i == 1000) {
            EXPECT_EQ(many.Tables().Count(), 1001);
        }
    }
}

TEST(Objs, DuplicateKeyKeepsTheFirstAndFreesTheSecond) {
    OwningObjs objs;
    objs.SetDatabaseType(TDatabaseType::dbInterBase);
    auto* first = Make<TTblData>(&objs, "ORDERS");
    auto* second = Make<TTblData>(&objs, "ORDERS");
    auto* v = Make<TViwData>(&objs, "V");
    objs.AddObject(v, true);
    AddDependency(&objs, v, second); // recorded before the second table is refused
    EXPECT_GE(objs.AddObject(first, true), 0);
    EXPECT_EQ(objs.AddObject(second, true), -1); // freed (ASan would see a leak or a dangling record)
    EXPECT_EQ(objs.Tables().Count(), 1);
    EXPECT_EQ(objs.Tables().Objects(0), first);
    EXPECT_EQ(v->GetDependsOn().Count(), 0);

    // Without FreeIfRejected the caller keeps it.
    auto* third = Make<TTblData>(&objs, "ORDERS");
    EXPECT_EQ(objs.AddObject(third, false), -1);
    delete third;
}

TEST(Objs, CaseRulesByDatabaseType) {
    {
        OwningObjs ms;
        ms.SetDatabaseType(TDatabaseType::dbMSSQL);
        ms.GetMSSQLServerOptions().GetMSSQLCompareOptions().SetCaseSensitiveIdentifiers(true);
        EXPECT_GE(ms.AddObject(Make<TTblData>(&ms, "orders"), true), 0);
        EXPECT_EQ(ms.AddObject(Make<TTblData>(&ms, "ORDERS"), true), -1);
        EXPECT_EQ(ms.Tables().Count(), 1);
        EXPECT_NE(ms.FindObject(TObjsList::olTables, "Orders"), nullptr);
        // Schemas keep the case-sensitive rule.
        EXPECT_GE(ms.AddObject(Make<TSchData>(&ms, "s"), true), 0);
        EXPECT_GE(ms.AddObject(Make<TSchData>(&ms, "S"), true), 0);
        EXPECT_EQ(ms.Schemas().Count(), 2);
    }
    OwningObjs ib;
    ib.SetDatabaseType(TDatabaseType::dbInterBase);
    EXPECT_GE(ib.AddObject(Make<TTblData>(&ib, "orders"), true), 0);
    EXPECT_GE(ib.AddObject(Make<TTblData>(&ib, "ORDERS"), true), 0);
    EXPECT_EQ(ib.Tables().Count(), 2);
    EXPECT_EQ(ib.FindObject(TObjsList::olTables, "Orders"), nullptr);
    // Re-casing re-sorts: "ORDERS" sorts before "orders" by bytes, and stays first folded.
    ib.SetDatabaseType(TDatabaseType::dbSybaseASA);
    EXPECT_FALSE(ib.Tables().GetCaseSensitive());
    EXPECT_EQ(ib.Tables()[0], "ORDERS");
}

TEST(Objs, ListsReadSortedWhateverTheFilingOrder) {
    OwningObjs objs;
    for (const char* n : {"M", "C", "X", "A", "Q", "B"})
        objs.AddObject(Make<TGnrData>(&objs, n), true);
    EXPECT_EQ(objs.ObjectCount(TObjsList::olGenerators), 6);
    EXPECT_EQ(objs.FindObject(TObjsList::olGenerators, "Q")->GetName(), "Q"); // found before merging
    EXPECT_EQ(objs.AddObject(Make<TGnrData>(&objs, "Q"), true), -1);          // a pending duplicate
    EXPECT_EQ(objs.Generators().Text(), "A\r\nB\r\nC\r\nM\r\nQ\r\nX\r\n");
    objs.AddObject(Make<TGnrData>(&objs, "D"), true);
    EXPECT_EQ(objs.Generators().Text(), "A\r\nB\r\nC\r\nD\r\nM\r\nQ\r\nX\r\n");
    objs.Clear();
    EXPECT_EQ(objs.ObjectCount(TObjsList::olGenerators), 0);

    // Objects not yet merged obey the case rule too.
    OwningObjs ms;
    ms.SetDatabaseType(TDatabaseType::dbMSSQL);
    ms.GetMSSQLServerOptions().GetMSSQLCompareOptions().SetCaseSensitiveIdentifiers(true);
    for (const char* n : {"zeta", "beta", "alpha"})
        EXPECT_GE(ms.AddObject(Make<TGnrData>(&ms, n), true), 0);
    EXPECT_EQ(ms.AddObject(Make<TGnrData>(&ms, "ALPHA"), true), -1);
    EXPECT_EQ(ms.FindObject(TObjsList::olGenerators, "Beta")->GetName(), "beta");
    EXPECT_EQ(ms.Generators().Text(), "alpha\r\nbeta\r\nzeta\r\n");

    // Filed without asking for indices (as the script reader files): runs up and down, keys of
    // every length that share their first eight or sixteen bytes, in either case rule.
    for (const bool folded : {false, true}) {
        OwningObjs objs;
        objs.SetDatabaseType(folded ? TDatabaseType::dbMSSQL : TDatabaseType::dbInterBase);
        objs.GetMSSQLServerOptions().GetMSSQLCompareOptions().SetCaseSensitiveIdentifiers(true);
        std::vector<std::string> names;
        for (int i = 10; i < 50; ++i) // in order: listed at once, a list long enough for its index
            names.push_back("K" + std::to_string(i));
        std::istringstream words("B TB_1 TB_10_K1 TB_1_K1 TB_100_K1 tb_1000_K1 a Ab ac_ `a z{ Z\x7F @"
                                 " LONG_NAME_WITH_SUFFIX_2 long_name_with_suffix_10 LONG_NAME_WITH_SUFFIX_1"
                                 " LONG_NAME_WITH_SUFFIX_");
        for (std::string n; words >> n;)
            names.push_back(n);
        for (const std::string& n : names)
            EXPECT_TRUE(objs.FileObject(Make<TGnrData>(&objs, n), true)) << n;
        for (const std::string again : {"TB_10_K1", "K17"}) // one pending, one listed
            EXPECT_FALSE(objs.FileObject(Make<TGnrData>(&objs, folded ? LowerCase(again) : again), true))
                << again;
        for (const std::string& n : names)
            EXPECT_EQ(objs.FindObject(TObjsList::olGenerators, n)->GetName(), n) << n;
        std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
            return (folded ? CompareText(a, b) : a.compare(b)) < 0;
        });
        TStringList& list = objs.Generators();
        ASSERT_EQ(list.Count(), static_cast<int>(names.size()));
        for (int i = 0; i < list.Count(); ++i)
            EXPECT_EQ(list[i], names[static_cast<std::size_t>(i)]) << folded << " " << i;
    }
}

TEST(Objs, IBEObjectsAreIgnored) {
    OwningObjs objs;
    objs.SetDatabaseType(TDatabaseType::dbInterBase);
    objs.GetIBServerOptions().GetIBCompareOptions().SetIgnoreIBEObjects(true);
    EXPECT_EQ(objs.AddObject(Make<TTblData>(&objs, "IBE$LOG"), true), -1);
    EXPECT_GE(objs.AddObject(Make<TTblData>(&objs, "IBE_LOG"), true), 0);
    EXPECT_GE(objs.AddObject(Make<TTblData>(&objs, "ibe$log"), true), 0);
    objs.GetIBServerOptions().GetIBCompareOptions().SetIgnoreIBEObjects(false);
    EXPECT_GE(objs.AddObject(Make<TTblData>(&objs, "IBE$LOG"), true), 0);
}

TEST(Objs, Patterns) {
    struct Row {
        std::string pattern, name;
        bool match;
    };
    const Row rows[] = {
        {"ABC%", "ABCD", true}, {"ABC%", "XABC", false}, {"%ABC", "XABC", true}, {"%ABC", "ABCD", false},
        {"ABC*", "ABCD", true}, {"*ABC", "XABC", true},  {"ABC%", "ABC", true},  {"ABC%", "abcd", false},
        {"", "ABC", false},     {"ABC", "ABC", true},    {"ABC", "ABCD", false}, {"A%C", "ABBC", true},
        {"%B%", "ABC", true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(MatchObjNamePattern(r.pattern, r.name), r.match) << r.pattern << " " << r.name;
}

TEST(Objs, RolesPartnersAndODS) {
    OwningObjs master, target;
    EXPECT_EQ(master.GetMaster(), nullptr);
    master.SetRole(1);
    target.SetRole(2);
    master.SetPartnerObjs(&target);
    target.SetPartnerObjs(&master);
    EXPECT_EQ(master.GetMaster(), &master);
    EXPECT_EQ(target.GetMaster(), &master);
    EXPECT_EQ(master.GetTarget(), &target);
    EXPECT_EQ(target.GetTarget(), &target);
    target.GetIBServerOptions().GetIBDatabaseOptions().SetODSMajorVersion(12);
    EXPECT_EQ(master.GetTargetODSMajor(), 12);
    EXPECT_EQ(target.GetTargetODSMajor(), 12);
    target.SetRole(0);
    EXPECT_EQ(master.GetTargetODSMajor(), 0);
}

TEST(Objs, HelperTexts) {
    OwningObjs objs;
    objs.SetDatabaseType(TDatabaseType::dbInterBase);
    objs.GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_25);
    EXPECT_EQ(objs.GetServerVersionText(), "Server Version (user defined): FireBird 2.5");
    objs.SetDatabaseType(TDatabaseType::dbAbstract);
    EXPECT_EQ(objs.GetServerVersionText(), "");
    using V = TIBSQLServerVersionType;
    EXPECT_EQ(TCustomObjs::QuoteIdentifier("ORDER", TDatabaseType::dbInterBase, V::st_Firebird_25, 1),
              "ORDER");
    EXPECT_EQ(TCustomObjs::QuoteIdentifier("ORDER", TDatabaseType::dbInterBase, V::st_Firebird_25, 3),
              "\"ORDER\"");
    EXPECT_EQ(TCustomObjs::QuoteIdentifier("ORDER", TDatabaseType::dbSybaseASE, V::st_Firebird_25, 3),
              "ORDER");
}

TEST(Objs, LogLinesGoToTheFirstHandler) {
    TestStructure s;
    TCustomObjs& objs = *s.GetObjs();
    TCustomSQLExec exec;
    TCustomExtract ex;
    std::vector<std::string> got;
    objs.DoLogNextLine("nobody"); // no handler anywhere
    objs.SetSQLExec(&exec);
    exec.OnLogNextLine = [&](TObject* sender, const std::string& t) {
        EXPECT_EQ(sender, &objs);
        got.push_back("exec " + t);
    };
    objs.DoLogNextLine("a");
    ex.SetDBStructure(&s);
    ex.SetOnLogNextLine([&](TObject*, const std::string& t) { got.push_back("extract " + t); });
    objs.DoLogNextLine("b");
    objs.OnLogNextLine = [&](TObject*, const std::string& t) { got.push_back("own " + t); };
    objs.DoLogNextLine("c");
    EXPECT_EQ(got, (std::vector<std::string>{"exec a", "extract b", "own c"}));
}

// A grant whose full name spells out object, grantee, privileges, columns and option.
class KeyedGrant : public TGntData {
public:
    using TGntData::TGntData;
    std::string GetFullName() const override {
        std::string cols;
        for (int i = 0; i < Columns.Count(); ++i)
            cols += (i ? "," : "") + Columns[i];
        return "GRANT " + std::to_string(Privileges) + "(" + cols + ") ON " + ObjectName + " TO " +
               GranteeName + (GrantOption ? " WITH GRANT OPTION" : "");
    }
};

KeyedGrant* Grant(TCustomObjs* objs, std::uint64_t privileges, std::vector<std::string> columns = {},
                  std::string grantee = "U", std::uint8_t option = 0) {
    auto* g = new KeyedGrant(objs);
    g->ObjectName = "T";
    g->GranteeName = grantee;
    g->Privileges = privileges;
    g->GrantOption = option;
    for (auto& c : columns)
        g->Columns.Add(c);
    return g;
}

TEST(Objs, MergeGrants) {
    constexpr std::uint64_t Insert = 1u << 1, Select = 1u << 4, Update = 1u << 2;
    OwningObjs objs;
    KeyedGrant* sel = Grant(&objs, Select);
    EXPECT_EQ(objs.MergeGrants(sel), sel);
    KeyedGrant* ins = Grant(&objs, Insert);
    EXPECT_EQ(objs.MergeGrants(ins), nullptr); // merged; the caller frees it
    delete ins;
    EXPECT_EQ(sel->Privileges, Select | Insert);
    KeyedGrant* other = Grant(&objs, Insert, {}, "V");
    EXPECT_EQ(objs.MergeGrants(other), other); // another grantee
    KeyedGrant* withOption = Grant(&objs, Insert, {}, "U", 1);
    EXPECT_EQ(objs.MergeGrants(withOption), withOption); // another option

    KeyedGrant* colA = Grant(&objs, Update, {"A"});
    EXPECT_EQ(objs.MergeGrants(colA), colA);
    KeyedGrant* colAB = Grant(&objs, Update, {"A", "B"});
    EXPECT_EQ(objs.MergeGrants(colAB), nullptr);
    delete colAB;
    EXPECT_EQ(colA->Columns.Text(), "A\r\nB\r\n");
    KeyedGrant* colLower = Grant(&objs, Update, {"a"});
    EXPECT_EQ(objs.MergeGrants(colLower), nullptr); // case-sensitive: a is new
    delete colLower;
    EXPECT_EQ(colA->Columns.Text(), "A\r\nB\r\na\r\n");

    EXPECT_EQ(objs.FindObject(TObjsList::olGrants, sel->GetFullName()), nullptr); // stale key
    objs.SortGrants();
    EXPECT_EQ(objs.FindObject(TObjsList::olGrants, sel->GetFullName()), sel);
    EXPECT_EQ(objs.FindObject(TObjsList::olGrants, colA->GetFullName()), colA);
    EXPECT_EQ(objs.Grants().Count(), 4);
}

TEST(Objs, LinksAreClearedWhenTheirTargetGoes) {
    OwningObjs keep;
    {
        OwningObjs gone;
        keep.SetPartnerObjs(&gone);
        gone.SetPartnerObjs(&keep);
    }
    EXPECT_EQ(keep.GetPartnerObjs(), nullptr);
    {
        OwningObjs one, two;
        one.SetPartnerObjs(&keep); // one-sided link
        keep.SetPartnerObjs(&two);
    }
    EXPECT_EQ(keep.GetPartnerObjs(), nullptr);

    auto exec = std::make_unique<TCustomSQLExec>();
    OwningObjs other;
    keep.SetSQLExec(exec.get());
    other.SetSQLExec(exec.get());
    exec.reset();
    EXPECT_EQ(keep.GetSQLExec(), nullptr);
    EXPECT_EQ(other.GetSQLExec(), nullptr);
    {
        TCustomSQLExec outlives;
        OwningObjs brief;
        brief.SetSQLExec(&outlives);
    } // the container goes first: the executor forgets it
}

TEST(Objs, PartnersOfFreedObjectsAreCleared) {
    // A target re-extracted while master objects still name their partners.
    OwningObjs master, target;
    auto* m = Make<TTblData>(&master, "T");
    master.AddObject(m, true);
    auto* t = Make<TTblData>(&target, "T");
    target.AddObject(t, true);
    m->SetPartner(t);
    t->SetPartner(m);
    TFldData* mf = m->AddField("ID");
    TFldData* tf = t->AddField("ID");
    mf->SetPartner(tf);
    tf->SetPartner(mf);
    target.Clear(); // frees the target objects
    EXPECT_EQ(m->GetPartner(), nullptr);
    EXPECT_EQ(mf->GetPartner(), nullptr);
    m->SetExists(false); // writes through no partner
    EXPECT_EQ(m->Exists, 0);
}

} // namespace
} // namespace smx

// Blocks are cut in order and, once all are back, cut from the start again; a block freed on
// another thread goes back to the pool it came from, so that the pool still starts over.
TEST(BlockPool, BlocksComeBackFromAnyThread) {
    smx::TBlockPool Pool(64);
    std::vector<void*> Blocks;
    for (int i = 0; i < 1000; ++i)
        Blocks.push_back(Pool.Allocate());
    EXPECT_EQ(static_cast<char*>(Blocks[1]) - static_cast<char*>(Blocks[0]), 64);
    std::thread([&] {
        smx::TBlockPool Other(64);
        for (std::size_t i = 1; i < Blocks.size(); ++i)
            Other.Release(Blocks[i]);
    }).join();
    EXPECT_EQ(Pool.Allocate(), Blocks[1]); // taken back from the other thread's list
    Pool.Release(Blocks[1]);
    Pool.Release(Blocks[0]);
    EXPECT_EQ(Pool.Allocate(), Blocks[0]); // every block was back: cut from the start again
    Pool.Release(Blocks[0]);
}
