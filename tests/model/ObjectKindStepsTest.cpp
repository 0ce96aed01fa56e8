// Compare steps of collations, defaults, rules, generators, exceptions, events, external functions,
// roles, grants and packages, run through the comparer's whole step table on code-built structures.
#include <gtest/gtest.h>

#include "model/smxComp_Dmn.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "tests/model/KeysTestSupport.h"
#include "tests/model/ObjectKindsTestSupport.h"

namespace smx::test {
namespace {

using enum TDatabaseType;
using enum TDbObject;
using V = TIBSQLServerVersionType;
using Strings = std::vector<std::string>;

TTblData* Table(TCustomObjs& objs, const std::string& name, const Strings& columns = {"ID"}) {
    auto* t = File(objs, Make<TTblData>(&objs, name));
    for (const std::string& c : columns)
        t->AddField(c)->DataType = 1;
    return t;
}

TCltData* Collation(TCustomObjs& objs, const std::string& name, const std::string& charset) {
    auto* c = File(objs, Make<TCltData>(&objs, name));
    c->CharSet = charset;
    c->BaseCollation = "UNICODE";
    return c;
}

// Expects the texts to appear in this order (each the first text equal to it).
void ExpectOrder(const Strings& texts, const Strings& ordered) {
    std::string all;
    for (const std::string& t : texts)
        all += "[" + t + "]\n";
    SCOPED_TRACE(all);
    int last = -1;
    for (const std::string& t : ordered) {
        const int at = Find(texts, t);
        ASSERT_GE(at, 0) << "missing: " << t;
        EXPECT_GT(at, last) << "out of order: " << t;
        last = at;
    }
}

TEST(ObjectKindSteps, CollationsAreCreatedAlteredAndDroppedByKey) {
    KindRig r;
    Collation(r.M(), "C_NEW", "UTF8");
    Collation(r.M(), "C_CHG", "UTF8");
    Collation(r.T(), "C_CHG", "WIN1252");
    Collation(r.T(), "C_OLD", "UTF8");
    Collation(r.M(), "C_SAME", "UTF8");
    Collation(r.T(), "C_SAME", "UTF8");
    TTblData* t = Table(r.M(), "T_NEW"); // row 20 stands between rows 4 and 46
    (void)t;
    r.Compare();
    const Strings texts = r.Texts();
    ExpectOrder(texts, {"/* Create Collation... */",
                        "CREATE COLLATION C_NEW\r\nFOR UTF8\r\nFROM UNICODE\r\nNO PAD\r\nCASE SENSITIVE\r\n"
                        "ACCENT SENSITIVE",
                        "/* Alter Collation... */", "/* Drop: C_CHG (TCltData) */\r\nDROP COLLATION C_CHG",
                        "CREATE COLLATION C_CHG\r\nFOR UTF8\r\nFROM UNICODE\r\nNO PAD\r\nCASE SENSITIVE\r\n"
                        "ACCENT SENSITIVE",
                        "/* Create Table... */", "/* Drop Collation... */",
                        "/* Drop: C_OLD (TCltData) */\r\nDROP COLLATION C_OLD"});
    EXPECT_EQ(Find(texts, "C_SAME", true), -1);
}

TEST(ObjectKindSteps, CollationsNeverDifferOnOtherTargets) {
    KindRig r(dbMSSQL);
    Collation(r.M(), "C", "UTF8");
    Collation(r.T(), "C", "WIN1252");
    r.Compare();
    EXPECT_EQ(Find(r.Texts(), "Collation", true), -1);
}

TEST(ObjectKindSteps, DefaultsAndRulesOnMSSQLMatchByListKey) {
    KindRig r(dbMSSQL);
    auto add = [](TCustomObjs& objs, auto* obj, const std::string& schema, const std::string& text) {
        obj->SetParentName(schema);
        if constexpr (std::is_same_v<std::remove_pointer_t<decltype(obj)>, TDefData>)
            obj->Expression = text;
        else
            obj->Text = text;
        File(objs, obj);
    };
    add(r.M(), Make<TDefData>(&r.M(), "D_NEW"), "dbo", "0");
    add(r.M(), Make<TDefData>(&r.M(), "D_MOVED"), "dbo", "1");
    add(r.T(), Make<TDefData>(&r.T(), "D_MOVED"), "sales", "1"); // another key: schema and name
    add(r.M(), Make<TRulData>(&r.M(), "R_CHG"), "dbo", "@v > 1");
    add(r.T(), Make<TRulData>(&r.T(), "R_CHG"), "dbo", "@v > 0");
    add(r.T(), Make<TRulData>(&r.T(), "R_OLD"), "dbo", "@v < 0");
    r.Compare();
    const Strings texts = r.Texts();
    // Row 7 creates rules, then defaults, then alters rules and defaults; row 40 drops.
    ExpectOrder(texts, {"/* Create Default... */", "CREATE DEFAULT [D_MOVED] AS 1",
                        "CREATE DEFAULT [D_NEW] AS 0", "/* Alter Rule... */",
                        "/* Drop: R_CHG (TRulData) */\r\nDROP RULE R_CHG", "CREATE RULE [R_CHG] AS @v > 1",
                        "/* Drop Default... */", "/* Drop: D_MOVED (TDefData) */\r\nDROP DEFAULT D_MOVED",
                        "/* Drop Rule... */", "/* Drop: R_OLD (TRulData) */\r\nDROP RULE R_OLD"});
}

TEST(ObjectKindSteps, PostgreSQLRulesAreAlteredAndDroppedLate) {
    KindRig r(dbPostgreSQL);
    auto rule = [](TCustomObjs& objs, const std::string& name, const std::string& doWord) {
        auto* x = File(objs, Make<TRulData>(&objs, name));
        x->Event = 1;
        x->TableName = "t";
        x->DoWord = doWord;
        x->Nothing = true;
        return x;
    };
    rule(r.M(), "r_new", "INSTEAD");
    rule(r.M(), "r_chg", "INSTEAD");
    rule(r.T(), "r_chg", "ALSO");
    rule(r.T(), "r_old", "INSTEAD");
    auto* g = File(r.M(), Make<TGnrData>(&r.M(), "s_new")); // row 30 stands between rows 27 and 45
    (void)g;
    r.Compare();
    ExpectOrder(r.Texts(),
                {"/* Create Rule... */", "CREATE RULE r_new AS ON INSERT TO t DO INSTEAD NOTHING",
                 "CREATE SEQUENCE s_new CACHE 20", "/* Alter Rule... */", "DROP RULE IF EXISTS r_chg ON t",
                 "CREATE RULE r_chg AS ON INSERT TO t DO INSTEAD NOTHING", "/* Drop Rule... */",
                 "DROP RULE IF EXISTS r_old ON t"});
}

TEST(ObjectKindSteps, GeneratorsOnInterBase) {
    KindRig r;
    File(r.M(), Make<TGnrData>(&r.M(), "G_NEW"))->SetDescription("new one");
    TGnrData* keepM = File(r.M(), Make<TGnrData>(&r.M(), "G_KEEP"));
    keepM->CurrentValue = 100;
    keepM->Increment = "5";
    File(r.T(), Make<TGnrData>(&r.T(), "G_KEEP"))->CurrentValue = 7;
    File(r.T(), Make<TGnrData>(&r.T(), "G_OLD"));
    r.Compare();
    const Strings texts = r.Texts();
    ExpectOrder(texts,
                {"/* Create generator... */", "CREATE GENERATOR G_NEW",
                 "COMMENT ON GENERATOR G_NEW IS\r\n'new one'", "/* Alter sequence... */",
                 "ALTER SEQUENCE G_KEEP INCREMENT BY 5", "/* Drop generator... */", "DROP GENERATOR G_OLD"});
    // The value a generator stands at is no part of the schema.
    EXPECT_EQ(Find(texts, "100", true), -1);
}

TEST(ObjectKindSteps, SequenceDifferencesOnOracle) {
    KindRig r(dbOracle);
    auto seq = [](TCustomObjs& objs, const std::string& name) {
        return File(objs, Make<TGnrData>(&objs, name));
    };
    TGnrData* m = seq(r.M(), "S");
    TGnrData* t = seq(r.T(), "S");
    m->Increment = "2";
    m->SetMaxValue("500");
    m->Cycle = true;
    t->Order = true;
    m->SetCacheSize("0");
    t->SetCacheSize("50");
    TGnrData* m2 = seq(r.M(), "S2");
    TGnrData* t2 = seq(r.T(), "S2");
    m2->SetCacheSize("40");
    m2->StartValue = "10"; // neither start nor minimum is compared
    t2->MinValue = "3";
    seq(r.M(), "S3")->StartValue = "100";
    seq(r.T(), "S3")->StartValue = "1";
    r.Compare();
    const Strings texts = r.Texts();
    ExpectOrder(texts,
                {"ALTER SEQUENCE S increment by 2", "ALTER SEQUENCE S maxvalue 500", "ALTER SEQUENCE S cycle",
                 "ALTER SEQUENCE S noorder", "ALTER SEQUENCE S nocache", "ALTER SEQUENCE S2 cache 40"});
    EXPECT_EQ(Find(texts, "ALTER SEQUENCE S cache", true), -1); // nocache ends the comparison
    EXPECT_EQ(Find(texts, "S3", true), -1);
}

TEST(ObjectKindSteps, ExceptionsAndTheRoutinesThatRaiseThem) {
    KindRig r;
    File(r.M(), Exception(r.M(), "E_NEW", "brand new"))->SetDescription("about it");
    File(r.M(), Exception(r.M(), "E_MSG", "new message"));
    File(r.T(), Exception(r.T(), "E_MSG", "old message"));
    File(r.M(), Exception(r.M(), "E_DESC", "same"))->SetDescription("told");
    File(r.T(), Exception(r.T(), "E_DESC", "same"));
    TExcData* old = File(r.T(), Exception(r.T(), "E_OLD", "gone"));
    // P raises E_OLD in the target; the master keeps P, without it.
    auto* mp = File(r.M(), Make<TextProc>(&r.M(), "P", "BEGIN EXIT; END"));
    auto* tp = File(r.T(), Make<TextProc>(&r.T(), "P", "BEGIN EXCEPTION E_OLD; END"));
    (void)mp;
    AddDependency(&r.T(), tp, old);
    r.Compare();
    const std::vector<Stmt> st = r.Statements();
    const Strings texts = r.Texts();
    const int empty = [&] {
        for (std::size_t i = 0; i < st.size(); ++i)
            if (st[i].ObjName == "P" && st[i].Operation == TDbOperation::odbEmpty) return static_cast<int>(i);
        return -1;
    }();
    ASSERT_GE(empty, 0);
    ExpectOrder(texts, {"/* Drop Exception... */", "/* Drop: E_OLD (TExcData) */\r\nDROP EXCEPTION E_OLD",
                        "/* Create Exception... */", "CREATE EXCEPTION E_NEW 'brand new'",
                        "COMMENT ON EXCEPTION E_NEW IS\r\n'about it'", "/* Alter Exception... */",
                        "COMMENT ON EXCEPTION E_DESC IS\r\n'told'", "ALTER EXCEPTION E_MSG 'new message'"});
    EXPECT_LT(empty, Find(texts, "/* Drop: E_OLD (TExcData) */\r\nDROP EXCEPTION E_OLD"));
}

TEST(ObjectKindSteps, EventsAreCreatedAlteredAndDropped) {
    KindRig r(dbSybaseASA);
    auto event = [](TCustomObjs& objs, const std::string& name, bool enabled) {
        auto* e = File(objs, Make<TEvtData>(&objs, name));
        e->Enabled = enabled;
        e->AddSchedule()->EveryHours = 1;
        return e;
    };
    event(r.M(), "EV_NEW", true);
    event(r.M(), "EV_CHG", true);
    event(r.T(), "EV_CHG", false);
    event(r.T(), "EV_OLD", true);
    r.Compare();
    ExpectOrder(r.Texts(), {"% Create event...", "CREATE EVENT EV_NEW\r\n SCHEDULE EVERY 1 HOURS\r\n ENABLE",
                            "% Alter event...", "DROP EVENT EV_CHG",
                            "CREATE EVENT EV_CHG\r\n SCHEDULE EVERY 1 HOURS\r\n ENABLE", "% Drop event...",
                            "DROP EVENT EV_OLD"});
}

TEST(ObjectKindSteps, ExternalFunctionsDeclaredAlteredAndDropped) {
    KindRig r;
    File(r.M(), Udf(r.M(), "F_NEW", {1}, 1, true, "e", "ib_udf"));
    File(r.M(), Udf(r.M(), "F_MOD", {4}, 4, true, "IB_UDF_floor", "ib_udf"));
    TUdfData* tf = File(r.T(), Udf(r.T(), "F_MOD", {4}, 4, true, "IB_UDF_floor", "ib_udf2"));
    File(r.T(), Udf(r.T(), "F_OLD", {1}, 1, true, "e", "ib_udf"));
    // Users of F_MOD in the target: a procedure, one already emptied, and a view.
    auto* caller = File(r.T(), Make<TextProc>(&r.T(), "P_CALL", "BEGIN R = F_MOD(X); END"));
    auto* idle = File(r.T(), Make<TextProc>(&r.T(), "P_IDLE", "BEGIN EXIT; END"));
    File(r.M(), Make<TextProc>(&r.M(), "P_CALL", "BEGIN R = F_MOD(X); END"));
    File(r.M(), Make<TextProc>(&r.M(), "P_IDLE", "BEGIN EXIT; END"));
    auto* view = File(r.T(), Make<TextView>(&r.T(), "VU", "SELECT F_MOD(1) FROM RDB$DATABASE"));
    File(r.M(), Make<TextView>(&r.M(), "VU", "SELECT F_MOD(1) FROM RDB$DATABASE"));
    AddDependency(&r.T(), caller, tf);
    AddDependency(&r.T(), idle, tf);
    AddDependency(&r.T(), view, tf);
    r.Compare();
    const std::vector<Stmt> st = r.Statements();
    const Strings texts = r.Texts();
    ExpectOrder(
        texts, {"/* Declare UDF */",
                "DECLARE EXTERNAL FUNCTION F_NEW\r\nINTEGER\r\nRETURNS INTEGER BY VALUE\r\n"
                "ENTRY_POINT 'e' MODULE_NAME 'ib_udf'",
                "/* Alter UDF(Drop/Declare) */",
                "/* Empty dependent procedure body before Function Alter (Drop/Create) */",
                "ALTER PROCEDURE P_CALL AS\r\nBEGIN EXIT; END", "/* drop view for UDF alter */",
                "/* Drop: VU (TViwData) */\r\nDROP VIEW VU", "DROP EXTERNAL FUNCTION F_MOD",
                "DECLARE EXTERNAL FUNCTION F_MOD\r\nDOUBLE PRECISION\r\nRETURNS DOUBLE PRECISION BY VALUE\r\n"
                "ENTRY_POINT 'IB_UDF_floor' MODULE_NAME 'ib_udf'",
                "/* Drop UDF */", "/* Drop: F_OLD (TUdfData) */\r\nDROP EXTERNAL FUNCTION F_OLD"});
    // The view comes back in the view step, the emptied caller in the routine step.
    const int declared = Find(texts, "DECLARE EXTERNAL FUNCTION F_MOD", true);
    EXPECT_GT(Find(texts, "CREATE VIEW VU AS SELECT F_MOD(1) FROM RDB$DATABASE"), declared);
    EXPECT_GT(Find(texts, "ALTER PROCEDURE P_CALL AS\r\nBEGIN R = F_MOD(X); END"), declared);
    // An already empty body is not emptied again.
    EXPECT_EQ(Find(texts, "P_IDLE", true), -1);
    int emptied = 0;
    for (const Stmt& s : st)
        emptied += s.Operation == TDbOperation::odbEmpty ? 1 : 0;
    EXPECT_EQ(emptied, 1);
}

TEST(ObjectKindSteps, DroppedFunctionBringsBackTheMastersViews) {
    // F_OLD leaves; the target view VU calls it, the master's VU does not: VU is dropped before the
    // function and the master's created right after.
    KindRig r;
    TUdfData* f = File(r.T(), Udf(r.T(), "F_OLD", {1}, 1, true, "e", "ib_udf"));
    auto* tv = File(r.T(), Make<TextView>(&r.T(), "VU", "SELECT F_OLD(ID) FROM T"));
    File(r.M(), Make<TextView>(&r.M(), "VU", "SELECT ID FROM T"));
    AddDependency(&r.T(), tv->AddField("A"), f);
    r.Compare();
    ExpectOrder(r.Texts(), {"/* Drop UDF */", "/* Drop: VU (TViwData) */\r\nDROP VIEW VU",
                            "/* Drop: F_OLD (TUdfData) */\r\nDROP EXTERNAL FUNCTION F_OLD",
                            "CREATE VIEW VU AS SELECT ID FROM T"});
}

TEST(ObjectKindSteps, RolesLoginsAndUsers) {
    KindRig r;
    File(r.M(), Role(r.M(), "R_NEW", 0, "SYSDBA"))->SetDescription("readers");
    File(r.M(), Role(r.M(), "R_KEEP"))->SetDescription("changed");
    File(r.T(), Role(r.T(), "R_KEEP"));
    File(r.T(), Role(r.T(), "R_OLD"));
    File(r.T(), Role(r.T(), "L_OLD", 1));
    File(r.T(), Role(r.T(), "U_OLD", 2));
    r.Compare();
    const Strings texts = r.Texts();
    ExpectOrder(texts, {"/* Creating roles */", "/* Role: R_NEW, Owner: SYSDBA */\r\nCREATE ROLE R_NEW",
                        "COMMENT ON ROLE R_NEW IS\r\n'readers'", "COMMENT ON ROLE R_KEEP IS\r\n'changed'",
                        "/* Dropping users */", "DROP ROLE U_OLD", "/* Dropping logins */", "DROP ROLE L_OLD",
                        "/* Dropping roles */", "DROP ROLE R_OLD"});
    EXPECT_EQ(Find(texts, "R_KEEP", true), Find(texts, "COMMENT ON ROLE R_KEEP IS\r\n'changed'"));
}

TEST(ObjectKindSteps, MSSQLUsersAndTheBuiltInGuest) {
    KindRig r(dbMSSQL);
    r.master.GetMSSQLServerOptions().SetSQLServerVersion(TMSSQLServerVersionType::st_MSSQL2005);
    r.target.GetMSSQLServerOptions().SetSQLServerVersion(TMSSQLServerVersionType::st_MSSQL2005);
    File(r.M(), Role(r.M(), "BOB", 2))->LoginName = "bob_login";
    File(r.T(), Role(r.T(), "GUEST", 2));
    File(r.T(), Role(r.T(), "OLDUSER", 2));
    File(r.T(), Role(r.T(), "OLDROLE", 0)); // MS SQL roles and logins are never dropped
    r.Compare();
    const Strings texts = r.Texts();
    ExpectOrder(texts, {"/* Creating users */", "exec sp_addlogin @loginame = N'bob_login'",
                        "exec sp_grantdbaccess @loginame = N'bob_login', @name_in_db = N'BOB'",
                        "/* Dropping users */", "exec sp_revokedbaccess @name_in_db = N'OLDUSER'"});
    EXPECT_EQ(Find(texts, "GUEST", true), -1);
    EXPECT_EQ(Find(texts, "OLDROLE", true), -1);
}

TEST(ObjectKindSteps, DistinctGrantsOnOneTableAreFiledAndWritten) {
    using namespace priv;
    KindRig r;
    Table(r.M(), "T");
    Table(r.T(), "T");
    TGntData* a = Grant(r.M(), Select, "T", dboTable, "U1");
    TGntData* b = Grant(r.M(), Select, "T", dboTable, "U2");
    EXPECT_EQ(r.M().MergeGrants(a), a);
    EXPECT_EQ(r.M().MergeGrants(b), b);
    r.Compare();
    ExpectOrder(r.Texts(), {"/* Create(Add) Crant */", "GRANT SELECT ON T TO U1", "GRANT SELECT ON T TO U2"});
}

// A grant whose key leaves out the grantee: two grants to two users collide.
class GranteeBlindGrant : public TGntData {
public:
    using TGntData::TGntData;
    std::string GetFullName() const override { return "GRANT ON " + ObjectName; }
};

TEST(ObjectKindSteps, AGrantThatNeitherMergesNorFilesIsReported) {
    TDBStructure s;
    TCustomExtract ex;
    ex.SetDBStructure(&s);
    Strings log;
    s.Objs()->OnLogNextLine = [&](TObject*, const std::string& t) { log.push_back(t); };
    auto grant = [&](std::string grantee, std::uint64_t privileges) {
        auto* g = new GranteeBlindGrant(s.Objs());
        g->ObjectName = "T";
        g->ObjectKind = dboTable;
        g->GranteeName = std::move(grantee);
        g->Privileges = privileges;
        return g;
    };
    GranteeBlindGrant* first = grant("U1", priv::Select);
    EXPECT_EQ(s.Objs()->MergeGrants(first), first);
    GranteeBlindGrant* second = grant("U2", priv::Insert);
    EXPECT_EQ(s.Objs()->MergeGrants(second), nullptr);
    delete second; // the caller's to free
    EXPECT_EQ(first->Privileges, priv::Select);
    ASSERT_EQ(ex.GetMsgManager().Count(), 1);
    EXPECT_EQ(ex.GetMsgManager().Item(0).Kind, 1);
    EXPECT_EQ(log, Strings{"Grant not filed, its key is taken: GRANT ON T"});
}

TEST(ObjectKindSteps, GrantsGoWithTheObjectsTheScriptDrops) {
    using namespace priv;
    KindRig r;
    Table(r.M(), "T");
    Table(r.T(), "T");
    Table(r.T(), "T_OLD");
    File(r.T(), Grant(r.T(), Select, "T_OLD", dboTable, "U1"));
    File(r.T(), Grant(r.T(), Usage, "G_OLD", dboGenerator, "U1"));
    File(r.T(), Make<TGnrData>(&r.T(), "G_OLD"));
    File(r.T(), Grant(r.T(), Usage, "E_OLD", dboException, "U1"));
    File(r.T(), Exception(r.T(), "E_OLD", "x"));
    File(r.T(), Grant(r.T(), Execute, "PK_OLD", dboPackage, "U1"));
    File(r.T(), Package(r.T(), "PK_OLD", "BEGIN END", ""));
    // The package that goes held a grant on T: gone with it.
    File(r.T(), Grant(r.T(), Select, "T", dboTable, "PK_OLD", dboPackage));
    // A grant on T kept by both sides and one the master gives up.
    File(r.M(), Grant(r.M(), Select, "T", dboTable, "U2"));
    File(r.T(), Grant(r.T(), Select, "T", dboTable, "U2"));
    File(r.T(), Grant(r.T(), Delete, "T", dboTable, "U4"));
    r.Compare();
    const Strings texts = r.Texts();
    EXPECT_GE(Find(texts, "DROP TABLE T_OLD"), 0);
    EXPECT_GE(Find(texts, "DROP GENERATOR G_OLD"), 0);
    EXPECT_GE(Find(texts, "DROP EXCEPTION E_OLD", true), 0);
    EXPECT_GE(Find(texts, "DROP PACKAGE PK_OLD"), 0);
    for (const char* gone : {"T_OLD", "G_OLD", "E_OLD", "PK_OLD"})
        for (const std::string& t : texts) {
            if (t.find("REVOKE") != std::string::npos) {
                EXPECT_EQ(t.find(gone), std::string::npos) << t;
            }
        }
    EXPECT_GE(Find(texts, "REVOKE DELETE ON T FROM U4"), 0);
    EXPECT_EQ(Find(texts, "GRANT SELECT ON T TO U2"), -1);
    EXPECT_EQ(Find(texts, "REVOKE SELECT ON T FROM U2"), -1);
}

TEST(ObjectKindSteps, ARecreatedTableGetsItsGrantsAgain) {
    using namespace priv;
    KindRig r;
    Table(r.M(), "T")->GlobalTemporary = true;
    Table(r.T(), "T");
    File(r.M(), Grant(r.M(), Select, "T", dboTable, "U1"));
    File(r.T(), Grant(r.T(), Select, "T", dboTable, "U1"));
    r.Compare();
    const Strings texts = r.Texts();
    ExpectOrder(texts, {"DROP TABLE T", "/* Create(Add) Crant */", "GRANT SELECT ON T TO U1"});
    EXPECT_EQ(Find(texts, "REVOKE", true), -1);
}

TEST(ObjectKindSteps, ATriggerMadeAgainGetsItsGrantAgain) {
    using namespace priv;
    KindRig r;
    for (TObjs* o : {&r.M(), &r.T()}) {
        Table(*o, "T");
        auto* trg = File(*o, Make<TTrgData>(o, "TRG", "AS BEGIN END"));
        trg->SetTableName("T");
        trg->IBTypeCode = 1;
        trg->Active = o == &r.M() ? 0 : 1; // only the activity changes: dropped and created again
        File(*o, Grant(*o, Select, "T", dboTable, "TRG", dboTrigger));
    }
    r.Compare();
    const Strings texts = r.Texts();
    ExpectOrder(texts, {"DROP TRIGGER TRG",
                        "CREATE TRIGGER TRG FOR T\r\nINACTIVE BEFORE INSERT POSITION 0 \r\nAS BEGIN END",
                        "/* Create(Add) Crant */", "GRANT SELECT ON T TO TRIGGER TRG"});
    EXPECT_EQ(Find(texts, "REVOKE", true), -1);
}

TEST(ObjectKindSteps, ARoutineThatBecomesAFunctionTakesItsGrantsAlong) {
    using namespace priv;
    KindRig r;
    for (TObjs* o : {&r.M(), &r.T()}) {
        Table(*o, "T");
        const bool function = o == &r.M();
        auto* p =
            File(*o, Make<TPrcData>(o, "P", function ? "BEGIN RETURN 1; END" : "BEGIN R = 1; SUSPEND; END"));
        p->IsFunctionFlag = function ? 1 : 0;
        p->AddParam("R", true)->DataType = 1;
        const TDbObject kind = function ? dboFunction : dboProcedure;
        File(*o, Grant(*o, Execute, "P", kind, "U1"));
        File(*o, Grant(*o, Select, "T", dboTable, "P", kind));
    }
    r.Compare();
    const Strings texts = r.Texts();
    ExpectOrder(texts, {"DROP PROCEDURE P", "/* Create(Add) Crant */", "GRANT EXECUTE ON FUNCTION P TO U1",
                        "GRANT SELECT ON T TO FUNCTION P"});
    EXPECT_EQ(Find(texts, "REVOKE", true), -1);
}

TEST(ObjectKindSteps, ANewPackageHeaderComesBeforeTheRoutineThatCallsIt) {
    KindRig r;
    File(r.M(), Package(r.M(), "PK9", "BEGIN FUNCTION F RETURNS INTEGER; END",
                        "BEGIN FUNCTION F RETURNS INTEGER AS BEGIN RETURN 9; END END"));
    auto* use = File(r.M(), Make<TPrcData>(&r.M(), "USEPK", "BEGIN R = PK9.F(); SUSPEND; END"));
    use->AddParam("R", true)->DataType = 1;
    r.Compare();
    const std::vector<Stmt> st = r.Statements();
    const Strings texts = r.Texts();
    const int created = Find(texts, "CREATE PROCEDURE USEPK", true);
    const int header = Find(texts, "CREATE OR ALTER PACKAGE PK9", true);
    int restored = -1;
    for (std::size_t i = 0; i < st.size(); ++i)
        if (st[i].ObjName == "USEPK" && st[i].Text.find("PK9.F") != std::string::npos)
            restored = static_cast<int>(i);
    const int body = Find(texts, "RECREATE PACKAGE BODY PK9", true);
    ASSERT_GE(created, 0);
    ASSERT_GE(header, 0);
    EXPECT_EQ(st[static_cast<std::size_t>(header)].StatType, TStatType::stPackage);
    EXPECT_LT(created, header);
    EXPECT_LT(header, restored);
    EXPECT_LT(restored, body);
    EXPECT_EQ(texts[static_cast<std::size_t>(body) - 1], "/* Create package body... */");
}

TEST(ObjectKindSteps, GrantsComeAfterForeignKeys) {
    using namespace keytest;
    using namespace priv;
    KindRig r;
    TRecorder rec;
    rec.Attach(r.exec);
    auto domain = [](TObjs& o, const std::string& name, int length) {
        auto* d = File(o, Make<TDmnData>(&o, name));
        d->Type().DataType = 14;
        d->Type().Length = length;
    };
    for (TObjs* o : {&r.M(), &r.T()}) {
        keytest::Table(o, "T", {"ID!"});
        Constraint(o, ctPrimaryKey, "PK_T", "T", {"ID"});
        domain(*o, "D_NAME", o == &r.M() ? 20 : 10);
    }
    keytest::Table(&r.T(), "OLD_T", {"T_ID"});
    ForeignKey(&r.T(), "FK_OLD", "OLD_T", {"T_ID"}, "T", {"ID"});
    Index(&r.T(), "IX_OLD", "T", {"ID"});
    File(r.T(), Make<TViwData>(&r.T(), "V_OLD", "SELECT ID FROM T"));
    domain(r.M(), "D_NEW", 5);
    keytest::Table(&r.M(), "N", {"ID!", "T_ID"});
    Constraint(&r.M(), ctPrimaryKey, "PK_N", "N", {"ID"});
    ForeignKey(&r.M(), "FK_N", "N", {"T_ID"}, "T", {"ID"});
    Index(&r.M(), "IX_N", "N", {"T_ID"});
    File(r.M(), Make<TViwData>(&r.M(), "V_NEW", "SELECT ID FROM T"));
    File(r.M(), Grant(r.M(), Select | Insert, "N", dboTable, "U1"));
    File(r.M(), Grant(r.M(), Select, "V_NEW", dboTable, "U1"));
    LinkAll(&r.M());
    LinkAll(&r.T());
    r.Compare();
    const std::vector<int> order = {
        rec.Find("ALTER TABLE OLD_T DROP CONSTRAINT FK_OLD"), // DropConstraints
        rec.Find("CREATE DOMAIN D_NEW"),                      // CreateDomains
        rec.Contains("DROP INDEX IX_OLD"),                    // DropIndices
        rec.Contains("DROP VIEW V_OLD"),                      // DropViews
        rec.Find("CREATE TABLE N"),                           // CreateTables
        rec.Find("DROP TABLE OLD_T"),                         // DropTables
        rec.Find("CREATE VIEW V_NEW"),                        // CreateViews
        rec.Find("CREATE INDEX IX_N"),                        // CreateIndices
        rec.Find("ALTER TABLE N ADD CONSTRAINT PK_N PRIMARY KEY"),
        rec.Find("ALTER TABLE N ADD CONSTRAINT FK_N FOREIGN KEY"),
        rec.Find("GRANT INSERT, SELECT ON N TO U1"),
    };
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_GE(order[i], 0) << i << "\n" << ::testing::PrintToString(rec.All());
        if (i > 0) {
            EXPECT_LT(order[i - 1], order[i]) << i << "\n" << ::testing::PrintToString(rec.All());
        }
    }
    // A grant on a view is written with the view, and not again in the grant step.
    EXPECT_EQ(rec.Find("GRANT SELECT ON V_NEW TO U1"), rec.Find("CREATE VIEW V_NEW") + 1);
    EXPECT_EQ(rec.Find("GRANT SELECT ON V_NEW TO U1", rec.Find("CREATE VIEW V_NEW") + 2), -1)
        << ::testing::PrintToString(rec.All());
}

TEST(ObjectKindSteps, RevokingAnOptionAlsoRevokesThePrivilegeTheMasterLacks) {
    using namespace priv;
    KindRig r;
    Table(r.M(), "T");
    Table(r.T(), "T");
    File(r.T(), Grant(r.T(), Select, "T", dboTable, "U1", dboUser, 1)); // the master keeps SELECT only
    File(r.M(), Grant(r.M(), Select, "T", dboTable, "U1"));
    File(r.T(), Grant(r.T(), Select, "T", dboTable, "U2", dboUser, 1)); // the master has none
    File(r.T(), Membership(r.T(), "R", "U3", 2));
    File(r.T(), Role(r.T(), "R"));
    File(r.M(), Role(r.M(), "R"));
    r.Compare();
    const Strings texts = r.Texts();
    ExpectOrder(texts, {"/* DROP: -- GRANT R TO U3 WITH ADMIN OPTION */", "REVOKE ADMIN OPTION FOR R FROM U3",
                        "REVOKE R FROM U3", "/* DROP: -- GRANT SELECT ON T TO U1 WITH GRANT OPTION */",
                        "REVOKE GRANT OPTION FOR SELECT ON T FROM U1",
                        "/* DROP: -- GRANT SELECT ON T TO U2 WITH GRANT OPTION */",
                        "REVOKE GRANT OPTION FOR SELECT ON T FROM U2", "REVOKE SELECT ON T FROM U2",
                        "/* Create(Add) Crant */", "GRANT SELECT ON T TO U1"});
    EXPECT_EQ(Find(texts, "REVOKE SELECT ON T FROM U1"), -1);
}

TEST(ObjectKindSteps, GrantCategoriesAreGated) {
    using namespace priv;
    KindRig r;
    Table(r.M(), "T");
    Table(r.T(), "T");
    File(r.M(), Grant(r.M(), Select, "T", dboTable, "U1"))->CompareKind = TCmpObjType::coUserGrant;
    File(r.M(), Grant(r.M(), Select, "T", dboTable, "R1", dboRole))->CompareKind = TCmpObjType::coRoleGrant;
    File(r.M(), Grant(r.M(), Insert, "T", dboTable, "U9"));
    File(r.T(), Grant(r.T(), Delete, "T", dboTable, "U8"))->CompareKind = TCmpObjType::coUserGrant;
    r.cmp.SetCompareObjects(AllCmpObjTypes - TCmpObjSetType{TCmpObjType::coUserGrant});
    r.Compare();
    const Strings texts = r.Texts();
    EXPECT_GE(Find(texts, "GRANT SELECT ON T TO ROLE R1"), 0);
    EXPECT_GE(Find(texts, "GRANT INSERT ON T TO U9"), 0);
    EXPECT_EQ(Find(texts, "U1", true), -1);
    EXPECT_EQ(Find(texts, "U8", true), -1);
}

TEST(ObjectKindSteps, PackagesOnFirebird3) {
    KindRig r;
    const std::string h = "BEGIN FUNCTION F RETURNS INT; END";
    const std::string h2 = "BEGIN FUNCTION F RETURNS INT; FUNCTION G RETURNS INT; END";
    const std::string b = "BEGIN FUNCTION F RETURNS INT AS BEGIN RETURN 1; END END";
    const std::string b2 = "BEGIN FUNCTION F RETURNS INT AS BEGIN RETURN 2; END END";
    File(r.M(), Package(r.M(), "PK9", h, b));
    File(r.M(), Package(r.M(), "PK_A", h2, b));
    File(r.T(), Package(r.T(), "PK_A", h, b));
    File(r.M(), Package(r.M(), "PK_B", h, b2));
    File(r.T(), Package(r.T(), "PK_B", h, b));
    File(r.M(), Package(r.M(), "PK_C", h, b));
    File(r.T(), Package(r.T(), "PK_C", h, b));
    File(r.M(), Package(r.M(), "PK_D", h, ""));
    File(r.T(), Package(r.T(), "PK_D", h, b));
    File(r.T(), Package(r.T(), "PK_OLD", h, b));
    File(r.M(), Package(r.M(), "PK_H", h, ""));   // a new package without body: its header only
    File(r.M(), Make<TGnrData>(&r.M(), "G_NEW")); // row 30
    File(r.T(), Make<TGnrData>(&r.T(), "G_OLD")); // row 38
    r.Compare();
    const std::vector<Stmt> st = r.Statements();
    const Strings texts = r.Texts();
    const std::string header9 = "CREATE OR ALTER PACKAGE PK9\r\n    AS\r\n" + h;
    ExpectOrder(texts, {"/* Create package... */", header9, "CREATE GENERATOR G_NEW", "DROP GENERATOR G_OLD",
                        "/* Drop package... */", "DROP PACKAGE PK_OLD", "/* Alter package... */",
                        "CREATE OR ALTER PACKAGE PK_A\r\n    AS\r\n" + h2,
                        "RECREATE PACKAGE BODY PK_A\r\n    AS\r\n" + b,
                        "RECREATE PACKAGE BODY PK_B\r\n    AS\r\n" + b2, "DROP PACKAGE BODY PK_D",
                        "/* Create package body... */", "RECREATE PACKAGE BODY PK9\r\n    AS\r\n" + b});
    EXPECT_EQ(Find(texts, "PK_C", true), -1);
    const int headerOnly = Find(texts, "CREATE OR ALTER PACKAGE PK_H", true);
    EXPECT_GE(headerOnly, 0);
    EXPECT_LT(headerOnly, Find(texts, "CREATE GENERATOR G_NEW"));
    EXPECT_EQ(Find(texts, "PACKAGE BODY PK_H", true), -1);
    EXPECT_EQ(Find(texts, "PACKAGE PK_B\r\n", true), -1); // PK_B's header is unchanged
    EXPECT_EQ(st[static_cast<std::size_t>(Find(texts, header9))].StatType, TStatType::stPackage);
    EXPECT_EQ(st[static_cast<std::size_t>(Find(texts, "RECREATE PACKAGE BODY PK9", true))].StatType,
              TStatType::stPackage);
    // Rendered, both statements of the new package stand in a terminator block.
    TStringList lines;
    r.exec.GetScriptLines(lines, false);
    const std::string script = lines.Text();
    const std::size_t at = script.find(header9);
    ASSERT_NE(at, std::string::npos);
    EXPECT_LT(script.rfind("SET TERM ^ ;", at), at);
    EXPECT_EQ(script.substr(at + header9.size(), 5), "\r\n^\r\n");
}

TEST(ObjectKindSteps, PackagesOnOracleAndBeforeFirebird3) {
    {
        KindRig r(dbOracle);
        File(r.M(), Package(r.M(), "PK_A", "AS X NUMBER; END;", "AS END;"));
        File(r.T(), Package(r.T(), "PK_A", "AS Y NUMBER; END;", "AS END;"));
        r.Compare();
        const Strings texts = r.Texts();
        EXPECT_GE(Find(texts, "CREATE OR REPLACE PACKAGE PK_A\r\nAS X NUMBER; END;"), 0);
        EXPECT_EQ(Find(texts, "PACKAGE BODY", true), -1); // Oracle: only what differs
    }
    {
        KindRig r(dbInterBase, V::st_Firebird_25);
        File(r.M(), Package(r.M(), "PK1", "BEGIN END", "BEGIN END"));
        r.Compare();
        const std::vector<Stmt> st = r.Statements();
        EXPECT_GE(Find(r.Texts(), "/* Package PK1 needs Firebird 3.0 or later */"), 0);
        for (const Stmt& s : st)
            EXPECT_NE(s.StatType, TStatType::stPackage) << s.Text;
    }
}

TEST(ObjectKindSteps, ComparingTwiceGivesTheSameScript) {
    using namespace priv;
    KindRig r;
    Table(r.M(), "T");
    Table(r.T(), "T");
    Table(r.T(), "T_OLD");
    File(r.T(), Grant(r.T(), Select, "T_OLD", dboTable, "U1"));
    File(r.M(), Grant(r.M(), Insert, "T", dboTable, "U4"));
    File(r.M(), Exception(r.M(), "E", "new"));
    File(r.T(), Exception(r.T(), "E", "old"));
    File(r.M(), Package(r.M(), "PK", "BEGIN END", "BEGIN END"));
    r.Compare();
    const Strings first = r.Texts();
    r.Compare();
    EXPECT_EQ(r.Texts(), first);
}

} // namespace
} // namespace smx::test
