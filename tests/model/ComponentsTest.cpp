// The extractor, structure and comparer components: binding structures to extractors, the accept
// rules, messages, the comparer's references and its own executor, and the lifetimes of every link
// when components are destroyed in the orders real use produces.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "model/smxComp_Ctr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Rol.h"

namespace smx {
namespace {

using namespace test;

TEST(Extract, Defaults) {
    TCustomExtract ex;
    EXPECT_TRUE(ex.GetShowFullLog());
    EXPECT_EQ(ex.GetExtractObjects().mask(), 0x7FFFFFu);
    EXPECT_EQ(ex.GetDatabaseType(), TDatabaseType::dbAbstract);
    ex.GetMsgManager().AddMessage("old", 1);
    EXPECT_FALSE(ex.ExtractDatabase());
    EXPECT_EQ(ex.GetMsgManager().Count(), 0);
}

TEST(Extract, ErrorsAreReportedAndRecorded) {
    BoxCapture box;
    TCustomExtract ex;
    ex.DoErrorMessage("x");
    EXPECT_EQ(box.texts, std::vector<std::string>{"x"});
    EXPECT_TRUE(ex.GetMsgManager().HasErrors());
    std::vector<std::string> got;
    ex.SetOnErrorMessage([&](TObject*, const std::string& t) { got.push_back(t); });
    ex.DoErrorMessage("y");
    EXPECT_EQ(got, std::vector<std::string>{"y"});
    EXPECT_EQ(box.texts.size(), 1u);
    EXPECT_EQ(ex.GetMsgManager().Count(), 2);
    EXPECT_EQ(ex.GetMsgManager()[1].Kind, 2);
}

TEST(Extract, SecondExtractorTakesTheStructure) {
    TestStructure s;
    TCustomExtract a, b;
    a.SetDBStructure(&s);
    EXPECT_EQ(s.GetExtractor(), &a);
    EXPECT_TRUE(static_cast<bool>(s.GetObjs()->OnAccept_Obj));
    b.SetDBStructure(&s);
    EXPECT_EQ(s.GetExtractor(), &b);
    EXPECT_EQ(a.GetDBStructure(), &s);
    // The container handler is b's: b's include list decides.
    TStringList inc;
    inc.Add("K%");
    b.SetIncludeObjsNames(inc);
    EXPECT_EQ(s.GetObjs()->AddObject(Make<TTblData>(s.GetObjs(), "X"), true), -1);
    EXPECT_GE(s.GetObjs()->AddObject(Make<TTblData>(s.GetObjs(), "KEEP"), true), 0);
    a.SetDBStructure(nullptr); // a no longer bound: s keeps b
    EXPECT_EQ(s.GetExtractor(), &b);
}

TEST(Extract, DestroyedExtractorUnbindsItsStructure) {
    TestStructure s;
    {
        TCustomExtract ex;
        ex.SetDBStructure(&s);
    }
    EXPECT_EQ(s.GetExtractor(), nullptr);
    EXPECT_FALSE(static_cast<bool>(s.GetObjs()->OnAccept_Obj));
    EXPECT_GE(s.GetObjs()->AddObject(Make<TTblData>(s.GetObjs(), "T"), true), 0);
    s.GetObjs()->ErrorMessage("nobody hears this");
    s.GetObjs()->DoLogNextLine("nor this");

    // And the other way round: the structure goes first.
    TCustomExtract ex;
    {
        TestStructure brief;
        ex.SetDBStructure(&brief);
    }
    EXPECT_EQ(ex.GetDBStructure(), nullptr);
    ex.LogServerVersion();
}

// A structure with an extractor, as an extraction sees it.
class Filing : public ::testing::Test {
protected:
    void SetUp() override {
        s.SetDatabaseType(TDatabaseType::dbInterBase);
        ex.SetDBStructure(&s);
        ex.SetOnErrorMessage([&](TObject*, const std::string& t) { errors.push_back(t); });
    }
    int File(TDbObj* o) { return s.GetObjs()->AddObject(o, true); }
    TestStructure s;
    TCustomExtract ex;
    std::vector<std::string> errors;
};

TEST_F(Filing, IncludeAndExcludeLists) {
    TStringList inc, exc;
    inc.Add("ABC%");
    inc.Add("TMP%");
    exc.Add("TMP%");
    ex.SetIncludeObjsNames(inc);
    ex.SetExcludeObjsNames(exc);
    EXPECT_TRUE(ex.IsObjectAccepted("ABCD", TDbObject::dboTable));
    EXPECT_FALSE(ex.IsObjectAccepted("XABC", TDbObject::dboTable));
    EXPECT_FALSE(ex.IsObjectAccepted("TMP1", TDbObject::dboTable)); // excluded though included
    inc.Clear();
    inc.Add("%ABC");
    ex.SetIncludeObjsNames(inc);
    EXPECT_TRUE(ex.IsObjectAccepted("XABC", TDbObject::dboTable));
    EXPECT_FALSE(ex.IsObjectAccepted("ABCD", TDbObject::dboTable));
    ex.SetIncludeObjsNames(TStringList());
    EXPECT_TRUE(ex.IsObjectAccepted("ANY", TDbObject::dboTable));
    // The handler has the last word.
    ex.OnAcceptObj = [](TObject*, const std::string& name, TDbObject, bool& accept) {
        if (name == "ANY") accept = false;
    };
    EXPECT_FALSE(ex.IsObjectAccepted("ANY", TDbObject::dboTable));
}

TEST_F(Filing, UnknownClassIsReported) {
    auto* f = new TFldData(s.GetObjs());
    f->SetName("F");
    EXPECT_EQ(File(f), -1);
    EXPECT_EQ(errors, std::vector<std::string>{"Unknown DbObject to add (TFldData)"});
    ASSERT_EQ(ex.GetMsgManager().Count(), 1);
    EXPECT_EQ(ex.GetMsgManager()[0].Kind, 2);
}

TEST_F(Filing, NamePrefixSetAfterClear) {
    s.SetNamePrefix("APP_");
    s.Clear();
    EXPECT_EQ(s.GetNamePrefix(), "");
    s.SetNamePrefix("APP_");
    EXPECT_EQ(File(Make<TTblData>(s.GetObjs(), "ORDERS")), -1);
    EXPECT_GE(File(Make<TTblData>(s.GetObjs(), "APP_ORDERS")), 0);
    auto* trg = Make<TTrgData>(s.GetObjs(), "ORDERS_BI");
    trg->TableName = "APP_ORDERS";
    EXPECT_GE(File(trg), 0);
    auto* idx = Make<TIdxData>(s.GetObjs(), "APP_IDX");
    idx->TableName = "ORDERS";
    EXPECT_EQ(File(idx), -1); // asked with its table's name
    auto* ctr = Make<TCtrData>(s.GetObjs(), "PK");
    ctr->TableName = "APP_ORDERS";
    EXPECT_GE(File(ctr), 0);
    auto* g = Make<TGntData>(s.GetObjs(), "G");
    EXPECT_GE(File(g), 0); // grants are not asked
    EXPECT_EQ(s.GetObjs()->Tables().Count(), 1);
    EXPECT_EQ(s.GetObjs()->Tables()[0], "ORDERS"); // keyed without the prefix
}

TEST_F(Filing, PerObjectHandlerOfTheExtractor) {
    std::vector<std::string> asked;
    ex.OnAccept_Obj = [&](TObject* sender, TDbObj* o, bool& accept) {
        EXPECT_EQ(sender, &ex);
        asked.push_back(o->GetName());
        if (o->GetName() == "NO") accept = false;
    };
    EXPECT_EQ(File(Make<TTblData>(s.GetObjs(), "NO")), -1);
    EXPECT_GE(File(Make<TTblData>(s.GetObjs(), "YES")), 0);
    EXPECT_EQ(asked, (std::vector<std::string>{"NO", "YES"}));
}

TEST_F(Filing, AddObjectIfAccepted) {
    TStringList exc;
    exc.Add("SKIP%");
    ex.SetExcludeObjsNames(exc);
    EXPECT_EQ(ex.AddObjectIfAccepted(Make<TTblData>(s.GetObjs(), "SKIPME")), -1); // freed
    EXPECT_GE(ex.AddObjectIfAccepted(Make<TTblData>(s.GetObjs(), "KEEP")), 0);
    EXPECT_EQ(ex.AddObjectIfAccepted(Make<TTblData>(s.GetObjs(), "KEEP")), -1); // duplicate, freed
    TCustomExtract unbound;
    EXPECT_EQ(unbound.AddObjectIfAccepted(Make<TTblData>(nullptr, "X")), -1);
}

TEST_F(Filing, ServerVersionIsLogged) {
    std::vector<std::string> lines;
    ex.SetOnLogNextLine([&](TObject*, const std::string& t) { lines.push_back(t); });
    s.GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_25);
    ex.LogServerVersion();
    EXPECT_EQ(lines, std::vector<std::string>{"Server Version (user defined): FireBird 2.5"});
}

TEST(Lifetimes, ObjectFreedAfterItsDependenciesWereRecorded) {
    TestStructure s;
    TCustomObjs* objs = s.GetObjs();
    auto* t = Make<TextTable>(objs, "T");
    objs->AddObject(t, true);
    // A constraint linked to T and freed outside the container (an IBE$ constraint, say).
    auto* c = Make<TCtrData>(objs, "PK");
    c->TableName = "T";
    AddDependency(objs, c, t);
    AddDependency(objs, t, c);
    EXPECT_EQ(t->GetUsedBy().Count(), 1);
    delete c;
    // A scratch routine reading T (the parser's EXECUTE BLOCK) freed the same way.
    auto* scratch = Make<TPrcData>(objs, "EXECUTE BLOCK");
    AddDependency(objs, scratch, t);
    delete scratch;
    EXPECT_EQ(t->GetUsedBy().Count(), 0);
    EXPECT_EQ(t->GetDependsOn().Count(), 0);
    TCustomSQLExec exec;
    objs->SetSQLExec(&exec);
    t->MarkDependents();
    t->DropWithDependents();
    EXPECT_EQ(exec.GetStatementCount(), 1);
}

TEST(Lifetimes, ContainerTeardownWithCrossLinks) {
    auto master = std::make_unique<OwningObjs>();
    auto target = std::make_unique<OwningObjs>();
    auto* mt = Make<TTblData>(master.get(), "T");
    master->AddObject(mt, true);
    auto* tt = Make<TTblData>(target.get(), "T");
    target->AddObject(tt, true);
    auto* tv = Make<TViwData>(target.get(), "V");
    target->AddObject(tv, true);
    AddDependency(target.get(), tv, tt);
    AddDependency(target.get(), tv, mt); // a record across containers
    mt->SetPartner(tt);
    tt->SetPartner(mt);
    target.reset();
    EXPECT_EQ(mt->GetPartner(), nullptr);
    EXPECT_EQ(mt->GetUsedBy().Count(), 0);
    master.reset();
}

TEST(Comparer, Defaults) {
    TCustomSchemalyst c;
    EXPECT_TRUE(c.GetShowFullLog());
    EXPECT_EQ(c.GetCompareObjects().mask(), 0x7FFFFFu);
    EXPECT_EQ(c.GetSQLExec(), nullptr);
    EXPECT_FALSE(c.ExtractStructures());
    EXPECT_EQ(c.QuoteName("ORDER"), "ORDER");
}

TEST(Comparer, StructuresAreLinked) {
    TestStructure m, t, t2;
    TCustomExtract em;
    em.SetShowFullLog(false);
    em.SetDBStructure(&m);
    TCustomSchemalyst c;
    c.SetDBStructureMaster(&m);
    EXPECT_EQ(m.GetObjs()->GetRole(), 1);
    EXPECT_TRUE(em.GetShowFullLog()); // the comparer's value
    EXPECT_EQ(m.GetObjs()->GetPartnerObjs(), nullptr);
    c.SetDBStructureTarget(&t);
    EXPECT_EQ(t.GetObjs()->GetRole(), 2);
    EXPECT_EQ(m.GetObjs()->GetPartnerObjs(), t.GetObjs());
    EXPECT_EQ(t.GetObjs()->GetPartnerObjs(), m.GetObjs());
    c.SetDBStructureTarget(&t2);
    EXPECT_EQ(t.GetObjs()->GetPartnerObjs(), nullptr);
    EXPECT_EQ(m.GetObjs()->GetPartnerObjs(), t2.GetObjs());
    c.SetShowFullLog(false);
    EXPECT_FALSE(em.GetShowFullLog());
    t2.SetDatabaseType(TDatabaseType::dbInterBase);
    EXPECT_EQ(c.QuoteName("ORDER"), "\"ORDER\"");
}

TEST(Comparer, DestroyedComponentsAreForgotten) {
    TCustomSchemalyst c;
    auto m = std::make_unique<TestStructure>();
    auto t = std::make_unique<TestStructure>();
    auto em = std::make_unique<TCustomExtract>();
    auto et = std::make_unique<TCustomExtract>();
    auto exec = std::make_unique<TCustomSQLExec>();
    c.SetDBStructureMaster(m.get());
    c.SetDBStructureTarget(t.get());
    c.SetExtractorMaster(em.get());
    c.SetExtractorTarget(et.get());
    c.SetSQLExec(exec.get());
    et.reset();
    EXPECT_EQ(c.GetExtractorTarget(), nullptr);
    EXPECT_EQ(c.GetExtractorMaster(), em.get());
    em.reset();
    EXPECT_EQ(c.GetExtractorMaster(), nullptr);
    m->GetObjs()->SetSQLExec(exec.get());
    exec.reset();
    EXPECT_EQ(c.GetSQLExec(), nullptr);
    EXPECT_EQ(m->GetObjs()->GetSQLExec(), nullptr);
    m.reset();
    EXPECT_EQ(c.GetDBStructureMaster(), nullptr);
    EXPECT_EQ(t->GetObjs()->GetPartnerObjs(), nullptr);
    t.reset();
    EXPECT_EQ(c.GetDBStructureTarget(), nullptr);
}

TEST(Comparer, ComponentsOwnedByAFormGoTogether) {
    TComponent form;
    auto* c = new TCustomSchemalyst(&form);
    auto* m = new TestStructure(&form);
    auto* ex = new TCustomExtract(&form);
    auto* exec = new TCustomSQLExec(&form);
    ex->SetDBStructure(m);
    c->SetDBStructureMaster(m);
    c->SetExtractorMaster(ex);
    c->SetSQLExec(exec);
    m->GetObjs()->SetSQLExec(exec);
    delete ex;
    EXPECT_EQ(c->GetExtractorMaster(), nullptr);
    EXPECT_EQ(m->GetExtractor(), nullptr);
}

// A comparer that fails or succeeds its extraction and creates its own executor to compare.
class ScriptedComparer : public TCustomSchemalyst {
public:
    bool extractResult = false;
    int compared = 0;
    bool ExtractStructures() override { return extractResult; }
    void CompareStructures() override {
        ++compared;
        if (!GetSQLExec()) SetOwnSQLExec(std::make_unique<TCustomSQLExec>());
        for (TCustomObjs* o : {GetMasterObjs(), GetTargetObjs()})
            if (o) o->SetSQLExec(GetSQLExec());
        GetLogList().AddObject(
            "first", GetSQLExec()->AddStatement("CREATE TABLE T (A INTEGER)", TStatType::stStatement, "T"));
    }
};

TEST(Comparer, NoCompareAfterAFailedExtraction) {
    ScriptedComparer c;
    c.ExtractAndCompare();
    EXPECT_EQ(c.compared, 0);
    c.extractResult = true;
    c.ExtractAndCompare();
    EXPECT_EQ(c.compared, 1);
}

TEST(Comparer, OwnExecutorHasOneOwner) {
    ScriptedComparer c;
    TestStructure m, t;
    c.SetDBStructureMaster(&m);
    c.SetDBStructureTarget(&t);
    auto* tbl = Make<TextTable>(m.GetObjs(), "T");
    m.GetObjs()->AddObject(tbl, true);
    c.CompareStructures();
    TCustomSQLExec* own = c.GetOwnSQLExec();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(c.GetSQLExec(), own);
    EXPECT_EQ(m.GetObjs()->GetSQLExec(), own);
    EXPECT_EQ(c.GetLogList().Objects(0), own->GetStatement(0));

    TCustomSQLExec other;
    c.SetSQLExec(&other); // the own executor is freed once; nothing names it any more
    EXPECT_EQ(c.GetOwnSQLExec(), nullptr);
    EXPECT_EQ(c.GetSQLExec(), &other);
    EXPECT_EQ(m.GetObjs()->GetSQLExec(), nullptr);
    EXPECT_EQ(t.GetObjs()->GetSQLExec(), nullptr);
    EXPECT_EQ(c.GetLogList().Objects(0), nullptr);
    EXPECT_EQ(tbl->GetCreateScript(), "CREATE TABLE T (ID INTEGER)");

    // The log list forgets statements the assigned executor frees.
    c.CompareStructures();
    EXPECT_EQ(c.GetLogList().Objects(1), other.GetStatement(0));
    other.ClearStatements();
    EXPECT_EQ(c.GetLogList().Objects(1), nullptr);
    c.CompareStructures();
    other.DeleteStatement(0);
    EXPECT_EQ(c.GetLogList().Objects(2), nullptr);
}

TEST(Comparer, OwnExecutorFreedWithTheComparer) {
    TestStructure m, t;
    {
        ScriptedComparer c;
        c.SetDBStructureMaster(&m);
        c.SetDBStructureTarget(&t);
        c.CompareStructures();
        ASSERT_NE(m.GetObjs()->GetSQLExec(), nullptr);
    }
    EXPECT_EQ(m.GetObjs()->GetSQLExec(), nullptr);
    EXPECT_EQ(t.GetObjs()->GetSQLExec(), nullptr);
    EXPECT_EQ(m.GetObjs()->GetPartnerObjs(), t.GetObjs()); // the containers stay linked
}

TEST(Comparer, AssignedExecutorDestroyedWhileTheLogListRefersToIt) {
    ScriptedComparer c;
    auto exec = std::make_unique<TCustomSQLExec>();
    c.SetSQLExec(exec.get());
    c.CompareStructures();
    exec.reset();
    EXPECT_EQ(c.GetSQLExec(), nullptr);
    EXPECT_EQ(c.GetLogList().Objects(0), nullptr);
    c.CompareStructures(); // falls back to an own executor
    EXPECT_NE(c.GetOwnSQLExec(), nullptr);
}

} // namespace
} // namespace smx
