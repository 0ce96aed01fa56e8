// The comparer's set-up: wiring checks and events of an extraction, what it hands to the extractors
// and containers, partners and existence flags (also after one side was cleared or replaced), and
// the check-option tail of InterBase views.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/model/SchemalystTestSupport.h"

namespace smx::cmptest {
namespace {

using Strings = std::vector<std::string>;

TEST(SchemalystWiring, MissingPartsAreReportedNotRaised) {
    struct Case {
        const char* name;
        bool extractorTarget, structureTarget, extractorMaster, structureMaster;
        Strings messages;
    };
    const std::string p = "TSchemalyst(Schemalyst1): property ";
    const std::vector<Case> cases = {
        {"no target extractor", false, true, true, true, {p + "ExtractorTarget not assigned."}},
        {"no target structure", true, false, true, true, {p + "DBStructureTarget not assigned."}},
        {"nothing on the target",
         false,
         false,
         true,
         true,
         {p + "ExtractorTarget not assigned.", p + "DBStructureTarget not assigned."}},
        {"no master extractor", true, true, false, true, {p + "ExtractorMaster not assigned."}},
        {"no master structure", true, true, true, false, {p + "DBStructureMaster not assigned."}},
    };
    for (const Case& c : cases) {
        Rig r;
        r.Wire();
        if (!c.extractorTarget) r.cmp.SetExtractorTarget(nullptr);
        if (!c.structureTarget) r.cmp.SetDBStructureTarget(nullptr);
        if (!c.extractorMaster) r.cmp.SetExtractorMaster(nullptr);
        if (!c.structureMaster) r.cmp.SetDBStructureMaster(nullptr);
        EXPECT_FALSE(r.cmp.ExtractStructures()) << c.name;
        EXPECT_EQ(r.errors, c.messages) << c.name;
        EXPECT_EQ(std::count(r.events.begin(), r.events.end(), "AfterExtract"), 0) << c.name;
    }
}

TEST(SchemalystWiring, CompareWithoutStructureReportsAndDoesNothing) {
    Rig r;
    r.Wire();
    r.cmp.SetDBStructureTarget(nullptr);
    r.cmp.SetDBStructureMaster(nullptr);
    r.cmp.CompareStructures();
    EXPECT_EQ(r.errors, Strings{"TSchemalyst(Schemalyst1): property DBStructureTarget not assigned."});
    EXPECT_TRUE(r.events.empty());
    EXPECT_EQ(r.cmp.GetSQLExec(), nullptr);
    r.errors.clear();
    r.cmp.SetDBStructureTarget(&r.target);
    r.cmp.CompareStructures();
    EXPECT_EQ(r.errors, Strings{"TSchemalyst(Schemalyst1): property DBStructureMaster not assigned."});
}

TEST(SchemalystExtract, TargetErrorSkipsMasterAndDisablesCompare) {
    Rig r;
    r.Wire();
    r.exTarget.Fill = [](CodeExtract& e) { e.DoErrorMessage("cannot read the target"); };
    r.exTarget.SetOnErrorMessage([](TObject*, const std::string&) {});
    EXPECT_FALSE(r.cmp.ExtractStructures());
    EXPECT_EQ(r.events, (Strings{"BeforeExtract", "BeforeExtractTarget", "AfterExtractTarget",
                                 "BeforeExtractMaster", "AfterExtract"}));
    EXPECT_EQ(r.exTarget.Calls, 1);
    EXPECT_EQ(r.exMaster.Calls, 0);
    EXPECT_EQ(r.exMaster.GetDBStructure(), &r.master); // set up, never run
    EXPECT_TRUE(r.cmp.GetMsgManager().HasErrors());
    EXPECT_FALSE(r.cmp.GetExtractionOK());

    // A following comparison leaves the executor's list alone and fires nothing.
    TSQLExec exec;
    exec.AddStatement("SELECT 1 FROM RDB$DATABASE", TStatType::stSelect);
    r.cmp.SetSQLExec(&exec);
    r.events.clear();
    r.cmp.CompareStructures();
    EXPECT_EQ(exec.GetStatementCount(), 1);
    EXPECT_TRUE(r.events.empty());
    r.cmp.ExtractAndCompare();
    EXPECT_EQ(std::count(r.events.begin(), r.events.end(), "BeforeCompare"), 0);
    EXPECT_EQ(exec.GetStatementCount(), 1);

    // A clean extraction enables it again.
    r.exTarget.Fill = nullptr;
    EXPECT_TRUE(r.cmp.ExtractStructures());
    EXPECT_TRUE(r.cmp.GetExtractionOK());
    EXPECT_EQ(r.exMaster.Calls, 1);
    r.cmp.SetSQLExec(nullptr);
}

TEST(SchemalystExtract, ExtractorsGetTheKindsToRead) {
    const TCmpObjSetType tables{TCmpObjType::coTable};
    for (bool onlyCompared : {true, false}) {
        Rig r;
        r.Wire();
        r.cmp.SetCompareObjects(tables);
        r.cmp.GetIBCompareOptions().SetExtractOnlyComparedObjects(onlyCompared);
        r.cmp.SetShowFullLog(false);
        ASSERT_TRUE(r.cmp.ExtractStructures());
        const TCmpObjSetType expected = onlyCompared ? tables : AllCmpObjTypes;
        EXPECT_EQ(r.exTarget.SeenObjects.mask(), expected.mask());
        EXPECT_EQ(r.exMaster.SeenObjects.mask(), expected.mask());
        EXPECT_EQ(r.master.Objs().GetCompareObjects(), tables);
        EXPECT_EQ(r.target.Objs().GetCompareObjects(), tables);
        EXPECT_FALSE(r.exMaster.GetShowFullLog());
        // The comparer's compare options reach both containers.
        EXPECT_EQ(r.target.Objs().GetIBServerOptions().GetIBCompareOptions().GetExtractOnlyComparedObjects(),
                  onlyCompared);
    }
}

TEST(SchemalystExtract, EveryExtractionStartsFromTheCallersKinds) {
    Rig r;
    r.Wire();
    r.cmp.SetCompareObjects(AllCmpObjTypes);
    r.cmp.NarrowCompareObjects(TCmpObjSetType{TCmpObjType::coTable}); // as a converter does
    ASSERT_TRUE(r.cmp.ExtractStructures());
    EXPECT_EQ(r.cmp.GetCompareObjects(), AllCmpObjTypes);
    EXPECT_EQ(r.exTarget.SeenObjects, AllCmpObjTypes);
}

TEST(SchemalystExtract, ConnectionOptionsComeFromTheTarget) {
    Rig r;
    r.Wire();
    r.exTarget.Fill = [](CodeExtract& e) {
        e.GetDBStructure()->GetObjs()->GetConnectionOptions().SetDatabaseName("/db/target.fdb");
    };
    r.exMaster.Fill = [](CodeExtract& e) {
        e.GetDBStructure()->GetObjs()->GetConnectionOptions().SetDatabaseName("/db/master.fdb");
    };
    ASSERT_TRUE(r.cmp.ExtractStructures());
    EXPECT_EQ(r.cmp.GetConnectionOptions().GetDatabaseName(), "/db/target.fdb");
}

// Master tables A and B(ID, X); target tables B(ID, Y) and C.
void FillCheckTables(Rig& r) {
    AddTable(r.master.Objs(), "A", {"ID"});
    AddTable(r.master.Objs(), "B", {"ID", "X"});
    AddTable(r.target.Objs(), "B", {"ID", "Y"});
    AddTable(r.target.Objs(), "C", {"ID"});
}

TDbObj* Table(Structure& s, const char* name) {
    return s.Objs().FindObject(TObjsList::olTables, name);
}
TDbObj* Field(Structure& s, const char* table, const char* field) {
    auto* t = dynamic_cast<TTblData*>(Table(s, table));
    int i = t ? t->Fields.IndexOf(field) : -1;
    return i < 0 ? nullptr : dynamic_cast<TDbObj*>(t->Fields.Objects(i));
}

TEST(SchemalystPartners, PairsAndExistenceBeforeCompare) {
    Rig r;
    r.InterBase();
    r.Wire();
    FillCheckTables(r);
    bool seen = false;
    r.cmp.OnBeforeCompare = [&](TObject*) {
        seen = true;
        TDbObj* a = Table(r.master, "A");
        TDbObj* mb = Table(r.master, "B");
        TDbObj* tb = Table(r.target, "B");
        EXPECT_EQ(a->Exists, 0);
        EXPECT_EQ(a->GetPartner(), nullptr);
        EXPECT_EQ(mb->GetPartner(), tb);
        EXPECT_EQ(tb->GetPartner(), mb);
        EXPECT_EQ(mb->Exists, 1);
        EXPECT_EQ(Field(r.master, "B", "ID")->GetPartner(), Field(r.target, "B", "ID"));
        EXPECT_EQ(Field(r.target, "B", "ID")->GetPartner(), Field(r.master, "B", "ID"));
        EXPECT_EQ(Field(r.master, "B", "X")->Exists, 0);
        EXPECT_EQ(Field(r.master, "B", "X")->GetPartner(), nullptr);
        for (TDbObj* o : {Field(r.target, "B", "Y"), Table(r.target, "C")}) {
            EXPECT_EQ(o->Exists, 1);
            EXPECT_EQ(o->GetPartner(), nullptr);
        }
    };
    r.cmp.CompareStructures();
    EXPECT_TRUE(seen);
}

TEST(SchemalystPartners, ClearedMasterLeavesNoPartnerBehind) {
    Rig r;
    r.InterBase();
    r.Wire();
    FillCheckTables(r);
    r.cmp.CompareStructures();
    ASSERT_NE(Table(r.target, "B")->GetPartner(), nullptr);
    r.master.Clear();
    AddTable(r.master.Objs(), "A", {"ID"});
    r.cmp.OnBeforeCompare = [&](TObject*) {
        EXPECT_EQ(Table(r.target, "B")->GetPartner(), nullptr);
        EXPECT_EQ(Table(r.target, "B")->Exists, 1);
        EXPECT_EQ(Field(r.target, "B", "ID")->GetPartner(), nullptr);
    };
    r.cmp.CompareStructures(); // AddressSanitizer watches every partner access here
    EXPECT_EQ(Table(r.target, "B")->GetPartner(), nullptr);
    // B is gone from the master, so the script drops it.
    const std::vector<std::string> lines = ScriptLines(*r.cmp.GetSQLExec());
    bool dropsB = false;
    for (const std::string& l : lines)
        dropsB = dropsB || l.rfind("DROP TABLE B", 0) == 0;
    EXPECT_TRUE(dropsB);
}

TEST(SchemalystPartners, ReplacedTargetDropsOldPartners) {
    // The old target lives on, so nothing frees the links into it: pairing must drop them.
    Rig r;
    r.InterBase();
    r.Wire();
    AddTable(r.master.Objs(), "A", {"ID"});
    AddTable(r.target.Objs(), "A", {"ID"});
    r.cmp.CompareStructures();
    ASSERT_NE(Table(r.master, "A")->GetPartner(), nullptr);

    Structure other;
    other.SetDatabaseType(TDatabaseType::dbInterBase);
    r.cmp.SetDBStructureTarget(&other);
    TDbObj* a = Table(r.master, "A");
    r.cmp.OnBeforeCompare = [&](TObject*) {
        EXPECT_EQ(a->GetPartner(), nullptr);
        EXPECT_EQ(Field(r.master, "A", "ID")->GetPartner(), nullptr);
        EXPECT_EQ(a->Exists, 0); // to be created in the new target
    };
    r.cmp.CompareStructures();
    EXPECT_EQ(Table(r.target, "A")->GetPartner(), nullptr);
    r.cmp.SetDBStructureTarget(nullptr);
}

TEST(SchemalystPartners, TargetErrorStillLinksFreshTargetObjects) {
    Rig r;
    r.Wire();
    AddTable(r.master.Objs(), "B", {"ID"});
    r.exTarget.Fill = [](CodeExtract& e) { AddTable(*e.GetDBStructure()->GetObjs(), "B", {"ID"}); };
    ASSERT_TRUE(r.cmp.ExtractStructures());
    // The target is cleared and read again, with an error: the master keeps its objects.
    r.exTarget.Fill = [](CodeExtract& e) {
        e.GetDBStructure()->Clear();
        AddTable(*e.GetDBStructure()->GetObjs(), "C");
        e.DoErrorMessage("lost connection");
    };
    r.exTarget.SetOnErrorMessage([](TObject*, const std::string&) {});
    EXPECT_FALSE(r.cmp.ExtractStructures());
    EXPECT_EQ(Table(r.master, "B")->GetPartner(), nullptr);
    EXPECT_EQ(Table(r.master, "B")->Exists, 0);
    EXPECT_EQ(Table(r.target, "C")->GetPartner(), nullptr);
}

TEST(SchemalystPartners, FieldNamesFollowTheListsCaseRule) {
    Rig r;
    r.Wire();
    auto* m = AddTable(r.master.Objs(), "T", {"Id", "NAME"});
    auto* t = AddTable(r.target.Objs(), "T", {"ID", "NAME"});
    r.cmp.PrepareStructures(); // field lists of a non-MS SQL container are case-sensitive
    EXPECT_EQ(Field(r.master, "T", "Id")->GetPartner(), nullptr);
    EXPECT_NE(Field(r.master, "T", "NAME")->GetPartner(), nullptr);
    m->Fields.SetCaseSensitive(false);
    t->Fields.SetCaseSensitive(false);
    r.cmp.PrepareStructures();
    EXPECT_EQ(Field(r.master, "T", "Id")->GetPartner(), Field(r.target, "T", "ID"));
}

TEST(SchemalystPartners, CheckOptionTailOfInterBaseViews) {
    struct Case {
        const char* name;
        TDatabaseType type;
        std::string master, target, expected;
    };
    const std::string body = "CREATE VIEW V AS SELECT * FROM T\r\n";
    const std::vector<Case> cases = {
        {"case differs", TDatabaseType::dbInterBase, body + "with check option", body + "WITH CHECK OPTION",
         body + "with check option"},
        {"mixed case", TDatabaseType::dbInterBase, body + "With Check Option", body + "WITH CHECK OPTION",
         body + "With Check Option"},
        {"only the master has it", TDatabaseType::dbInterBase, body + "with check option",
         body + "WHERE 1 = 1", body + "WHERE 1 = 1"},
        {"short sources", TDatabaseType::dbInterBase, "check option", "CHECK OPTION", "CHECK OPTION"},
        {"not InterBase", TDatabaseType::dbOracle, body + "with check option", body + "WITH CHECK OPTION",
         body + "WITH CHECK OPTION"},
    };
    for (const Case& c : cases) {
        Rig r;
        r.master.SetDatabaseType(c.type);
        r.target.SetDatabaseType(c.type);
        r.Wire();
        AddView(r.master.Objs(), "V", c.master);
        TViwData* tv = AddView(r.target.Objs(), "V", c.target);
        r.cmp.PrepareStructures();
        EXPECT_EQ(tv->GetSource(), c.expected) << c.name;
    }
}

} // namespace
} // namespace smx::cmptest
