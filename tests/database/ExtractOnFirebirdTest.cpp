// The metadata extractor on real Firebird 3 databases: the run with its probe, step events and
// progress, the readers of every kind over fixture F, the failures (wiring, a missing database, the
// stop flag), and the pure default-text cleaner.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "model/smxComp_Clt.h"
#include "model/smxComp_Ctr.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Exc.h"
#include "model/smxComp_Fnc.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Pkg.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "model/smxSchemalyst.h"
#include "tests/database/ExtractTestSupport.h"

namespace smx::test {
namespace {

using Strings = std::vector<std::string>;

Strings Keys(const TStringList& l) {
    Strings r;
    for (int i = 0; i < l.Count(); ++i)
        r.push_back(l[i]);
    return r;
}

template <typename T> T* Find(TStringList& list, const std::string& key) {
    const int i = list.IndexOf(key);
    return i < 0 ? nullptr : dynamic_cast<T*>(list.Objects(i));
}

// True when Obj depends on Needed (with that field, when given).
bool DependsOn(const TDbObj* Obj, const std::string& Needed, const std::string& Field = {}) {
    for (int i = 0; i < Obj->GetDependsOn().Count(); ++i) {
        const TDependObj* d = Obj->DependsOnItem(i);
        if (d->GetReferenced() && d->GetReferenced()->GetName() == Needed && d->FieldName == Field) return true;
    }
    return false;
}

std::vector<TCtrData*> Constraints(TObjs* o, std::uint8_t Type, const std::string& Table) {
    std::vector<TCtrData*> r;
    TStringList& l = o->Constraints();
    for (int i = 0; i < l.Count(); ++i) {
        auto* c = dynamic_cast<TCtrData*>(l.Objects(i));
        if (c && c->GetConstraintType() == Type && c->TableName == Table) r.push_back(c);
    }
    return r;
}

std::vector<TGntData*> GrantsTo(TObjs* o, const std::string& Grantee) {
    std::vector<TGntData*> r;
    TStringList& l = o->Grants();
    for (int i = 0; i < l.Count(); ++i) {
        auto* g = dynamic_cast<TGntData*>(l.Objects(i));
        if (g && g->GranteeName == Grantee) r.push_back(g);
    }
    return r;
}

std::uint64_t Bits(std::initializer_list<int> bits) {
    std::uint64_t r = 0;
    for (int b : bits)
        r |= std::uint64_t{1} << b;
    return r;
}

// Fixture F, extracted once for the reading checks.
class ExtractF : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Db = MakeFixture(true).release();
        Rig = new TExtractRig(Db->Path());
        Result = Rig->Run();
    }
    static void TearDownTestSuite() {
        delete Rig;
        delete Db;
        Rig = nullptr;
        Db = nullptr;
    }
    static TObjs* O() { return Rig->O(); }

    static inline TTestDatabase* Db = nullptr;
    static inline TExtractRig* Rig = nullptr;
    static inline bool Result = false;
};

TEST_F(ExtractF, RunProbeAndProgress) {
    EXPECT_TRUE(Result);
    for (bool TIBCapabilities::*flag : IBCapabilityFlags)
        EXPECT_TRUE(Rig->Ex.GetCapabilities().*flag);
    EXPECT_EQ(O()->GetIBServerOptions().GetDBCharSet(), "UTF8");
    EXPECT_EQ(O()->FromDatabase, 1);

    const Strings labels = {"Collations", "Functions",  "Domains",      "Tables",       "Views",
                            "Generators", "Procedures", "Triggers",     "Indexes",      "Exceptions",
                            "Unique's",   "Primary keys", "Foreign keys", "Checks",     "Roles",
                            "Grants",     "Parsing bodies"};
    std::vector<TStepEvent> main;
    for (const TStepEvent& e : Rig->Steps)
        if (std::get<0>(e) == 0) main.push_back(e);
    ASSERT_EQ(main.size(), 19u);
    EXPECT_EQ(main.front(), TStepEvent(0, "Starting", 0, 16));
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(main[static_cast<std::size_t>(i) + 1], TStepEvent(0, labels[static_cast<std::size_t>(i)], i, 16));
    EXPECT_EQ(main.back(), TStepEvent(0, "Finished", 17, 16));

    std::vector<std::pair<int, int>> progress;
    for (int i = 0; i <= 17; ++i)
        progress.emplace_back(i, 16);
    progress.emplace_back(16, 16);
    EXPECT_EQ(Rig->Progress, progress);

    EXPECT_FALSE(Rig->Ex.GetMsgManager().HasErrors());
    EXPECT_TRUE(Rig->Errors.empty()) << Rig->Errors.front();
    EXPECT_FALSE(Rig->Conn.GetConnected());
    // Kind-1 progress inside the table reader: the count, then one event per table.
    EXPECT_NE(std::find(Rig->Steps.begin(), Rig->Steps.end(), TStepEvent(1, "Tables", 0, 4)), Rig->Steps.end());
    EXPECT_TRUE(Rig->HasLine("Extracting tables..."));
    EXPECT_TRUE(Rig->HasLine("---T1"));
    EXPECT_TRUE(Rig->HasLine("--- R1"));
}

TEST_F(ExtractF, TablesAndColumns) {
    auto* t1 = O()->FindTable("T1");
    ASSERT_NE(t1, nullptr);
    EXPECT_EQ(Keys(t1->Fields), (Strings{"ID", "NAME", "AMT", "A2", "ARR", "C", "S", "B"}));
    EXPECT_EQ(t1->GetDescription(), "Table one");
    TFldData* name = t1->FindField("NAME");
    EXPECT_EQ(name->DataType, DomainDataType);
    EXPECT_EQ(name->DomainName, "D_NAME");
    EXPECT_EQ(name->CheckText, "");
    EXPECT_EQ(name->DefaultValue, "");
    EXPECT_EQ(name->GetDescription(), "The name");
    TFldData* amt = t1->FindField("AMT");
    EXPECT_EQ(amt->DataType, 46);
    EXPECT_EQ(amt->Precision, 18);
    EXPECT_EQ(amt->Scale, 4);
    TFldData* a2 = t1->FindField("A2");
    EXPECT_EQ(a2->DataType, DomainDataType);
    EXPECT_EQ(a2->DomainName, "D_AMT");
    EXPECT_EQ(a2->DefaultValue, "1.5");
    using Bounds = std::vector<std::pair<std::int32_t, std::int32_t>>;
    EXPECT_EQ(t1->FindField("ARR")->Dimensions, (Bounds{{1, 3}, {0, 2}}));
    EXPECT_EQ(t1->FindField("C")->GetSource(), "(ID*2)");
    EXPECT_EQ(t1->FindField("S")->CollationName, "UNICODE_CI_AI_X");
    EXPECT_FALSE(t1->FindField("ID")->Nullable);
    EXPECT_TRUE(O()->FindTable("T2")->FindField("ID")->Identity);
    EXPECT_FALSE(O()->FindTable("T2")->FindField("T1ID")->Identity);
    EXPECT_TRUE(O()->FindTable("GTT1")->GlobalTemporary);
    EXPECT_EQ(O()->FindTable("GTT1")->OnCommit, 2);
    EXPECT_EQ(O()->FindTable("GTT2")->OnCommit, 1);
    EXPECT_FALSE(t1->GlobalTemporary);
    EXPECT_EQ(Keys(O()->Tables()), (Strings{"GTT1", "GTT2", "T1", "T2"}));
}

TEST_F(ExtractF, DomainsAndCollations) {
    TDmnData* d = O()->FindDomain("D_NAME");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->Type().DefaultValue, "'x'");
    EXPECT_FALSE(d->Type().Nullable);
    EXPECT_EQ(d->Type().CheckText, "(VALUE <> '')");
    EXPECT_EQ(d->Type().DataType, 14);
    EXPECT_EQ(d->Type().Length, 30);
    TDmnData* amt = O()->FindDomain("D_AMT");
    EXPECT_EQ(amt->Type().DataType, 46);
    EXPECT_EQ(amt->Type().Precision, 9);
    EXPECT_EQ(amt->Type().Scale, 2);
    auto* c = Find<TCltData>(O()->Collations(), "UNICODE_CI_AI_X");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->BaseCollation, "UNICODE");
    EXPECT_EQ(c->CharSet, "UTF8");
    EXPECT_FALSE(c->CaseSensitive);
    EXPECT_FALSE(c->AccentSensitive);
    EXPECT_EQ(c->SpecificAttributes, "");
}

TEST(CleanDefaultSource, Texts) {
    const std::pair<const char*, const char*> cases[] = {
        {"DEFAULT 5", "5"},
        {"= 5", "5"},
        {"DEFAULT /*c*/ 'it''s'", "'it''s'"},
        {"DEFAULT 'a/*b*/'", "'a/*b*/'"},
        {"DEFAULT 1 -- x", "1 -- x"},
        {"default 'x'", "'x'"},
        {"  DEFAULT\t7", "DEFAULT\t7"},
        {"DEFAULT \"q/*\" /* unterminated", "\"q/*\""},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(CleanDefaultSource(in), out) << in;
}

TEST(IBObjectTypes, Mapping) {
    EXPECT_EQ(IBObjectTypeToDbObject(0), TDbObject::dboTable);
    EXPECT_EQ(IBObjectTypeToDbObject(2), TDbObject::dboTrigger);
    EXPECT_EQ(IBObjectTypeToDbObject(8), TDbObject::dboUser);
    EXPECT_EQ(IBObjectTypeToDbObject(13), TDbObject::dboRole);
    EXPECT_EQ(IBObjectTypeToDbObject(16), TDbObject::dboUnknown);
    EXPECT_EQ(IBObjectTypeToDbObject(18), TDbObject::dboPackage);
    EXPECT_EQ(IBObjectTypeToDbObject(19), TDbObject::dboUnknown);
    EXPECT_EQ(IBObjectTypeToDbObject(-1), TDbObject::dboUnknown);
}

// ---- Failures

TEST(ExtractFailures, WiringErrorsTouchNothing) {
    TTestDatabase db(CreateDatabaseSql("CREATE TABLE T (A INTEGER);\n"));
    TExtractRig r(db.Path());
    auto* keep = new TTblData(r.O());
    keep->SetName("KEEP");
    r.O()->AddObject(keep, true);

    const int attaches = TIBDatabase::AttachCount();
    r.Ex.SetSMXConnection(nullptr);
    EXPECT_FALSE(r.Run());
    EXPECT_EQ(r.Errors, Strings{"TIBDBExtract.ExtractDatabase(): Connection property not assigned."});

    TSMXCustomConnection abstract;
    r.Ex.SetSMXConnection(&abstract);
    EXPECT_FALSE(r.Run());
    EXPECT_EQ(r.Errors, Strings{"TIBDBExtract.ExtractDatabase(): ConnectionType in Connection not specified."});

    r.Ex.SetSMXConnection(&r.Conn);
    r.Ex.SetDBStructure(nullptr);
    EXPECT_FALSE(r.Run());
    EXPECT_EQ(r.Errors, Strings{"TIBDBExtract.ExtractDatabase(): DBStructure not assigned."});
    EXPECT_EQ(r.Ex.GetMsgManager().Count(), 1);
    EXPECT_TRUE(r.Ex.GetMsgManager().HasErrors());
    EXPECT_NE(r.O()->FindTable("KEEP"), nullptr);
    EXPECT_FALSE(r.Conn.GetConnected());
    EXPECT_EQ(TIBDatabase::AttachCount(), attaches);
}

TEST(ExtractFailures, MissingDatabaseGivesOneError) {
    TTempDir dir("smxext");
    TExtractRig r(dir.File("missing.fdb"));
    EXPECT_FALSE(r.Run());
    EXPECT_EQ(r.Ex.GetMsgManager().Count(), 1);
    ASSERT_EQ(r.Errors.size(), 1u);
    EXPECT_EQ(r.Errors[0], "Cannot connect to \"" + dir.File("missing.fdb") + "\".");
    EXPECT_FALSE(r.ConnErrors.empty());
    EXPECT_EQ(r.O()->ObjectCount(TObjsList::olTables), 0);
    EXPECT_FALSE(r.Conn.GetConnected());
    EXPECT_EQ(r.MainSteps(), Strings{"Starting"});
}

TEST(ExtractFailures, StopFlagEndsTheRunAsFailed) {
    auto db = MakeFixture(false);
    TExtractRig r(db->Path());
    r.OnStep = [](int Kind, const std::string& Text) {
        if (Kind == 1 && Text == "T1") StopRequested = true;
    };
    const bool ok = r.Run();
    StopRequested = false;
    EXPECT_FALSE(ok);
    EXPECT_NE(r.O()->FindTable("T1"), nullptr);
    EXPECT_EQ(r.O()->FindTable("T2"), nullptr);
    const Strings main = r.MainSteps();
    EXPECT_EQ(main.back(), "Tables");
    EXPECT_EQ(std::find(main.begin(), main.end(), "Views"), main.end());
    EXPECT_EQ(r.Errors, Strings{"Extraction stopped."});
    EXPECT_TRUE(r.Ex.GetMsgManager().HasErrors());
    EXPECT_FALSE(r.Conn.GetConnected());

    // A comparer over that structure refuses to compare.
    TExtractRig other(db->Path());
    TSchemalyst cmp;
    cmp.SetDBStructureMaster(&r.St);
    cmp.SetDBStructureTarget(&other.St);
    cmp.SetExtractorMaster(&r.Ex);
    cmp.SetExtractorTarget(&other.Ex);
    cmp.OnErrorMessage = [](TObject*, const std::string&) {};
    r.OnStep = [](int Kind, const std::string& Text) {
        if (Kind == 1 && Text == "T1") StopRequested = true;
    };
    const bool extracted = cmp.ExtractStructures();
    StopRequested = false;
    EXPECT_FALSE(extracted);
}

TEST(ExtractFailures, ConnectedBeforeEndsDisconnected) {
    TTestDatabase db(CreateDatabaseSql("CREATE TABLE T (A INTEGER);\n", "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8"));
    TExtractRig r(db.Path());
    r.Conn.SetConnected(true);
    ASSERT_TRUE(r.Conn.GetConnected());
    EXPECT_TRUE(r.Run());
    EXPECT_FALSE(r.Conn.GetConnected());
    EXPECT_NE(r.O()->FindTable("T"), nullptr);
}

TEST(ExtractGates, WithoutTablesTheLabelStaysAndIBETablesAreSkipped) {
    TTestDatabase db(CreateDatabaseSql("CREATE TABLE T (A INTEGER);\nCREATE TABLE IBE$LOG (A INTEGER);\n",
                                       "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8"));
    TExtractRig r(db.Path());
    TCmpObjSetType kinds = AllCmpObjTypes;
    kinds -= TCmpObjType::coTable;
    r.Ex.SetExtractObjects(kinds);
    EXPECT_TRUE(r.Run());
    const Strings main = r.MainSteps();
    EXPECT_NE(std::find(main.begin(), main.end(), "Tables"), main.end());
    EXPECT_EQ(r.O()->ObjectCount(TObjsList::olTables), 0);
    EXPECT_EQ(r.Progress.back(), std::make_pair(16, 16));

    r.Ex.SetExtractObjects(AllCmpObjTypes);
    r.O()->GetIBServerOptions().GetIBCompareOptions().SetIgnoreIBEObjects(true);
    EXPECT_TRUE(r.Run());
    EXPECT_EQ(Keys(r.O()->Tables()), Strings{"T"});
    EXPECT_NE(std::find(r.Steps.begin(), r.Steps.end(), TStepEvent(1, "Tables", 0, 1)), r.Steps.end());
}

} // namespace
} // namespace smx::test
