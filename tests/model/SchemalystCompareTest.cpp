// The comparison itself: the script header per database type, the character-set step, the own
// executor, which options the executor and the header follow, exceptions inside the sequence, and
// that a second comparison starts from the same model as the first.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/smxStrUtils.h"
#include "tests/model/SchemalystTestSupport.h"

namespace smx::cmptest {
namespace {

using enum TStatType;
using Strings = std::vector<std::string>;

// A statement as "kind|text" (text lines joined by CR LF).
std::string Entry(const TStatement& st) {
    std::string text = st.Lines.Text();
    if (text.size() >= 2) text.resize(text.size() - 2);
    return std::to_string(static_cast<int>(st.StatType)) + "|" + text;
}
std::string Entry(TStatType kind, const std::string& text) {
    return std::to_string(static_cast<int>(kind)) + "|" + text;
}
Strings Entries(const TCustomSQLExec& exec) {
    Strings r;
    for (int i = 0; i < exec.GetStatementCount(); ++i)
        r.push_back(Entry(*exec.GetStatement(i)));
    return r;
}

TEST(SchemalystHeader, EmptyInterBaseStructuresGiveOnlyTheHeader) {
    Rig r;
    r.InterBase();
    r.Wire();
    r.cmp.CompareStructures();
    TCustomSQLExec* exec = r.cmp.GetSQLExec();
    ASSERT_NE(exec, nullptr);
    EXPECT_EQ(ScriptLines(*exec),
              (Strings{"SET NAMES UTF8;", "", "SET SQL DIALECT 3;", "",
                       "CONNECT '/data/x/t.fdb' USER 'SYSDBA' PASSWORD 'pw';", "", "SET AUTODDL ON;", ""}));
    ASSERT_EQ(exec->GetStatementCount(), 4);
    EXPECT_EQ(exec->GetStatement(0)->StatType, stSetNames);
    EXPECT_EQ(exec->GetStatement(0)->ObjName, "UTF8");
    EXPECT_EQ(exec->GetStatement(1)->StatType, stSqlDialect);
    EXPECT_EQ(exec->GetStatement(1)->ObjName, "3");
    EXPECT_EQ(exec->GetStatement(2)->StatType, stConnect);
    EXPECT_EQ(exec->GetStatement(3)->StatType, stSet);
    EXPECT_EQ(exec->GetHasExecutableStatements(), 0);
}

TEST(SchemalystHeader, InterBaseVariants) {
    struct Case {
        const char* name;
        std::function<void(Rig&)> setUp;
        Strings expected;
    };
    const std::string connect = "CONNECT '/data/x/t.fdb' USER 'SYSDBA' PASSWORD 'pw'";
    const std::vector<Case> cases = {
        {"dialect 1",
         [](Rig& r) { r.target.GetIBServerOptions().SetSQLDialect(1); },
         {Entry(stSetNames, "SET NAMES UTF8"), Entry(stConnect, connect), Entry(stSet, "SET AUTODDL ON")}},
        {"dialect 2 has no dialect line",
         [](Rig& r) { r.target.GetIBServerOptions().SetSQLDialect(2); },
         {Entry(stSetNames, "SET NAMES UTF8"), Entry(stConnect, connect), Entry(stSet, "SET AUTODDL ON")}},
        {"no character set",
         [](Rig& r) { r.target.GetIBServerOptions().SetDBCharSet(""); },
         {Entry(stSqlDialect, "SET SQL DIALECT 3"), Entry(stConnect, connect),
          Entry(stSet, "SET AUTODDL ON")}},
        {"GenerateCOMMIT on the comparer",
         [](Rig& r) { r.cmp.GetIBCompareOptions().SetGenerateCOMMIT(true); },
         {Entry(stSetNames, "SET NAMES UTF8"), Entry(stSqlDialect, "SET SQL DIALECT 3"),
          Entry(stConnect, connect)}},
        {"GenerateCOMMIT on the target structure only",
         [](Rig& r) { r.target.GetIBServerOptions().GetIBCompareOptions().SetGenerateCOMMIT(true); },
         {Entry(stSetNames, "SET NAMES UTF8"), Entry(stSqlDialect, "SET SQL DIALECT 3"),
          Entry(stConnect, connect), Entry(stSet, "SET AUTODDL ON")}},
    };
    for (const Case& c : cases) {
        Rig r;
        r.InterBase();
        r.Wire();
        c.setUp(r);
        r.cmp.CompareStructures();
        EXPECT_EQ(Entries(*r.cmp.GetSQLExec()), c.expected) << c.name;
    }
}

TEST(SchemalystHeader, DatabaseInformationCommentComesFirst) {
    Rig r;
    r.InterBase();
    r.Wire();
    r.target.GetIBServerOptions().GetIBDatabaseOptions().SetServerVersion("WI-V3.0.11");
    r.cmp.CompareStructures();
    TCustomSQLExec* exec = r.cmp.GetSQLExec();
    ASSERT_GE(exec->GetStatementCount(), 5);
    EXPECT_EQ(exec->GetStatement(0)->StatType, stComment);
    EXPECT_EQ(exec->GetStatement(1)->StatType, stSetNames);
}

TEST(SchemalystHeader, OtherDatabaseTypes) {
    struct Case {
        const char* name;
        TDatabaseType type;
        std::function<void(Rig&)> setUp;
        Strings expected;
    };
    const std::vector<Case> cases = {
        {"MySQL",
         TDatabaseType::dbMySQL,
         [](Rig& r) {
             r.target.GetMySQLServerOptions().SetCharSet("utf8");
             r.target.GetMySQLServerOptions().SetNames("utf8mb4");
             r.target.Objs().GetConnectionOptions().SetDatabaseName("shop");
         },
         {Entry(stCharSet, "SET CHARACTER SET utf8"), Entry(stSetNames, "SET NAMES utf8mb4"),
          Entry(stConnect, "USE shop")}},
        {"MySQL without settings", TDatabaseType::dbMySQL, [](Rig&) {}, {}},
        {"MS SQL",
         TDatabaseType::dbMSSQL,
         [](Rig& r) {
             r.target.GetMSSQLServerOptions().SetDBCharSet("iso_1");
             r.target.GetMSSQLServerOptions().SetCollation("Latin1_General_CI_AS");
             r.target.Objs().GetConnectionOptions().SetDatabaseName("shop");
         },
         {Entry(stComment, "-- Default character set: iso_1"),
          Entry(stComment, "-- Default collation: Latin1_General_CI_AS"), Entry(stConnect, "USE shop")}},
        {"Oracle",
         TDatabaseType::dbOracle,
         [](Rig& r) {
             TConnectionOptions& c = r.target.Objs().GetConnectionOptions();
             c.SetUserName("scott");
             c.SetDatabaseName("SALES");
             c.SetHostName("orahost");
         },
         {Entry(stComment, "-- CONNECT scott/*****@SALES;"),
          Entry(stSet, "ALTER SESSION SET CURRENT_SCHEMA = SALES")}},
        {"Oracle, schema equals host",
         TDatabaseType::dbOracle,
         [](Rig& r) {
             TConnectionOptions& c = r.target.Objs().GetConnectionOptions();
             c.SetDatabaseName("orahost");
             c.SetHostName("orahost");
         },
         {Entry(stComment, "-- CONNECT SYSDBA/*****@orahost;")}}, // a new container's user
        {"ASE",
         TDatabaseType::dbSybaseASE,
         [](Rig& r) {
             TASEDatabaseOptions& t = r.target.GetASEServerOptions().GetASEDatabaseOptions();
             t.SetServerVersion("Adaptive Server Enterprise/12.5");
             t.SetSize("100 MB");
             t.SetOptionWord(0x0001);
             r.master.GetASEServerOptions().GetASEDatabaseOptions().SetOptionWord(0x0002);
             r.target.Objs().GetConnectionOptions().SetDatabaseName("shop");
         },
         {Entry(stComment, "-- Adaptive Server Enterprise/12.5"), Entry(stComment, "-- Database: shop"),
          Entry(stComment, "-- Size    : 100 MB"), Entry(stComment, ""), Entry(stConnect, "use shop"),
          Entry(stStatement, "exec master.dbo.sp_dboption shop, " +
                                 QuotedStr(TASEDatabaseOptions::GetOptionName(0)) + ", False"),
          Entry(stStatement, "exec master.dbo.sp_dboption shop, " +
                                 QuotedStr(TASEDatabaseOptions::GetOptionName(1)) + ", True"),
          Entry(stStatement, "checkpoint")}},
        {"PostgreSQL has no header",
         TDatabaseType::dbPostgreSQL,
         [](Rig& r) { r.target.Objs().GetConnectionOptions().SetDatabaseName("shop"); },
         {}},
    };
    for (const Case& c : cases) {
        Rig r;
        r.master.SetDatabaseType(c.type);
        r.target.SetDatabaseType(c.type);
        r.Wire();
        c.setUp(r);
        r.cmp.CompareStructures();
        EXPECT_EQ(Entries(*r.cmp.GetSQLExec()), c.expected) << c.name;
    }
}

TEST(SchemalystHeader, ASEOptionStatementsNameTheDatabase) {
    Rig r;
    r.master.SetDatabaseType(TDatabaseType::dbSybaseASE);
    r.target.SetDatabaseType(TDatabaseType::dbSybaseASE);
    r.Wire();
    r.target.Objs().GetConnectionOptions().SetDatabaseName("shop");
    r.master.GetASEServerOptions().GetASEDatabaseOptions().SetOptionWord(0x4000);
    r.cmp.GetASECompareOptions().SetCompareDBOptions(false);
    r.cmp.CompareStructures();
    EXPECT_EQ(Entries(*r.cmp.GetSQLExec()),
              (Strings{Entry(stComment, "-- Database: shop"), Entry(stConnect, "use shop")}));
    r.cmp.GetASECompareOptions().SetCompareDBOptions(true);
    r.cmp.CompareStructures();
    TCustomSQLExec* exec = r.cmp.GetSQLExec();
    ASSERT_EQ(exec->GetStatementCount(), 4);
    const TStatement* st = exec->GetStatement(2);
    EXPECT_EQ(st->ObjName, "shop");
    EXPECT_EQ(st->ObjKind, TDbObject::dboDatabase);
    EXPECT_EQ(st->Operation, TDbOperation::odbAlter);
    EXPECT_EQ(exec->GetStatement(3)->ObjKind, TDbObject::dboDatabase);
}

// ---------------------------------------------------------------------------------------------------

TEST(SchemalystCharset, StatementsByCharsetsAndVersion) {
    using enum TIBSQLServerVersionType;
    struct Case {
        const char* name;
        std::string master, target;
        TIBSQLServerVersionType version;
        bool enabled;
        Strings expected; // after the header
    };
    const Strings reconnect = {Entry(stReconnect, "RECONNECT")};
    const std::vector<Case> cases = {
        {"FB30 UTF8 over NONE",
         "UTF8",
         "NONE",
         st_Firebird_30,
         true,
         {Entry(stStatement, "ALTER DATABASE SET DEFAULT CHARACTER SET UTF8"),
          Entry(stComment, "/* Database charset: UTF8 */"), Entry(stCharSet, "SET NAMES UTF8"),
          Entry(stReconnect, "RECONNECT")}},
        {"FB30 empty master",
         "",
         "UTF8",
         st_Firebird_30,
         true,
         {Entry(stStatement, "ALTER DATABASE SET DEFAULT CHARACTER SET NONE"),
          Entry(stComment, "/* Database charset: <none> */"), Entry(stCharSet, "SET NAMES NONE"),
          Entry(stReconnect, "RECONNECT")}},
        {"FB40 empty master",
         "",
         "UTF8",
         st_Firebird_40,
         true,
         {Entry(stStatement, "UPDATE RDB$DATABASE SET RDB$CHARACTER_SET_NAME = Null"),
          Entry(stCharSet, "SET NAMES NONE"), Entry(stReconnect, "RECONNECT")}},
        {"FB40 UTF8",
         "UTF8",
         "WIN1252",
         st_Firebird_40,
         true,
         {Entry(stStatement, "ALTER DATABASE SET DEFAULT CHARACTER SET UTF8"),
          Entry(stComment, "/* Database charset: UTF8 */"), Entry(stCharSet, "SET NAMES UTF8"),
          Entry(stReconnect, "RECONNECT")}},
        {"IB2020 UTF8",
         "UTF8",
         "",
         st_InterBase_2020,
         true,
         {Entry(stStatement, "ALTER DATABASE SET DEFAULT CHARACTER SET UTF8"),
          Entry(stComment, "/* Database charset: UTF8 */"), Entry(stCharSet, "SET NAMES UTF8"),
          Entry(stReconnect, "RECONNECT")}},
        {"FB25 UTF8",
         "UTF8",
         "NONE",
         st_Firebird_25,
         true,
         {Entry(stStatement, "UPDATE RDB$DATABASE SET RDB$CHARACTER_SET_NAME = 'UTF8'"),
          Entry(stCharSet, "SET NAMES UTF8"), Entry(stReconnect, "RECONNECT")}},
        {"equal character sets", "UTF8", "UTF8", st_Firebird_30, true, {}},
        {"switched off", "UTF8", "NONE", st_Firebird_30, false, {}},
    };
    for (const Case& c : cases) {
        Rig r;
        r.InterBase();
        r.Wire();
        r.master.GetIBServerOptions().SetDBCharSet(c.master);
        r.target.GetIBServerOptions().SetDBCharSet(c.target);
        r.target.GetIBServerOptions().SetSQLServerVersion(c.version);
        r.cmp.GetIBCompareOptions().SetDbCharsetCompare(c.enabled);
        r.cmp.CompareStructures();
        Strings got = Entries(*r.cmp.GetSQLExec());
        // The header: SET NAMES only for a target character set other than NONE, then the
        // dialect, CONNECT and AUTODDL lines.
        const bool hasNames = !c.target.empty() && c.target != "NONE";
        ASSERT_GE(got.size(), hasNames ? 4u : 3u) << c.name;
        EXPECT_EQ(got[0] == Entry(stSetNames, "SET NAMES " + c.target), hasNames) << c.name;
        got.erase(got.begin(), got.begin() + (hasNames ? 4 : 3));
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST(SchemalystCharset, ReconnectFollowsTheComparersOptionsAtOnce) {
    // The executor takes the target's options after the comparer's were copied into them, so the
    // first script already writes CONNECT when the comparer says so.
    Rig r;
    r.InterBase();
    r.Wire();
    r.master.GetIBServerOptions().SetDBCharSet("UTF8");
    r.target.GetIBServerOptions().SetDBCharSet("NONE");
    r.cmp.GetIBCompareOptions().SetDbCharsetCompare(true);
    r.cmp.GetIBCompareOptions().SetUseRECONNECT(false);
    r.cmp.CompareStructures();
    const TCustomSQLExec* exec = r.cmp.GetSQLExec();
    const TStatement* last = exec->GetStatement(exec->GetStatementCount() - 1);
    EXPECT_EQ(Entry(*last), Entry(stConnect, "CONNECT '/data/x/t.fdb' USER 'SYSDBA' PASSWORD 'pw'"));
    auto* sqlExec = dynamic_cast<const TSQLExec*>(exec);
    ASSERT_NE(sqlExec, nullptr);
    EXPECT_FALSE(sqlExec->GetIBServerOptions().GetIBCompareOptions().GetUseRECONNECT());
    EXPECT_EQ(sqlExec->GetIBServerOptions().GetIBCompareOptions().GetUpdateDescriptionMode(),
              TUpdateDescriptionType::udComment);
}

// ---------------------------------------------------------------------------------------------------

TEST(SchemalystExecutor, OwnExecutorCarriesHandlersAndTheTargetsType) {
    Rig r;
    r.InterBase();
    r.Wire();
    std::vector<std::string> logs;
    r.cmp.OnLogNextLine = [&](TObject*, const std::string& t) { logs.push_back(t); };
    int progress = 0;
    r.cmp.OnProgressUpdate = [&](TObject*, int, int) { ++progress; };
    EXPECT_EQ(r.cmp.GetSQLExec(), nullptr);
    r.cmp.CompareStructures();
    auto* own = dynamic_cast<TSQLExec*>(r.cmp.GetSQLExec());
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own, r.cmp.GetOwnSQLExec());
    EXPECT_EQ(own->GetDatabaseType(), TDatabaseType::dbInterBase);
    ASSERT_TRUE(own->OnErrorMessage && own->OnLogNextLine && own->OnProgressUpdate);
    own->OnErrorMessage(own, "e");
    own->OnLogNextLine(own, "l");
    own->OnProgressUpdate(own, 1, 2);
    EXPECT_EQ(r.errors, Strings{"e"});
    EXPECT_EQ(logs, (Strings{"Comparing databases...", "l"}));
    EXPECT_EQ(progress, 1);
    EXPECT_EQ(r.master.Objs().GetSQLExec(), own);
    EXPECT_EQ(r.target.Objs().GetSQLExec(), own);

    // The next comparison keeps the executor, follows a changed target type and starts afresh.
    r.master.SetDatabaseType(TDatabaseType::dbMSSQL);
    r.target.SetDatabaseType(TDatabaseType::dbMSSQL);
    r.cmp.CompareStructures();
    EXPECT_EQ(r.cmp.GetSQLExec(), own);
    EXPECT_EQ(own->GetDatabaseType(), TDatabaseType::dbMSSQL);
    EXPECT_EQ(Entries(*own), Strings{Entry(stConnect, "USE /data/x/t.fdb")});
}

TEST(SchemalystExecutor, AssignedExecutorKeepsItsTypeAndTakesTheTargetsOptions) {
    Rig r;
    r.InterBase();
    r.Wire();
    TSQLExec exec;
    exec.SetDatabaseType(TDatabaseType::dbInterBase);
    r.cmp.SetSQLExec(&exec);
    r.cmp.CompareStructures();
    EXPECT_EQ(r.cmp.GetOwnSQLExec(), nullptr);
    EXPECT_EQ(exec.GetStatementCount(), 4);
    EXPECT_EQ(exec.GetConnectionOptions().GetDatabaseName(), "/data/x/t.fdb");
    EXPECT_EQ(exec.GetIBServerOptions().GetSQLServerVersion(), TIBSQLServerVersionType::st_Firebird_30);
    EXPECT_EQ(r.cmp.GetConnectionOptions().GetDatabaseName(), "/data/x/t.fdb");
    r.cmp.SetSQLExec(nullptr);
}

TEST(SchemalystExecutor, ComparingTwiceNeverHoldsTwoComparisons) {
    Rig r;
    r.InterBase();
    r.Wire();
    r.cmp.CompareStructures();
    const Strings first = ScriptLines(*r.cmp.GetSQLExec());
    r.cmp.CompareStructures();
    EXPECT_EQ(ScriptLines(*r.cmp.GetSQLExec()), first);
}

TEST(SchemalystExecutor, AThrowingStepEndsTheSequenceCleanly) {
    Rig r;
    r.InterBase();
    r.Wire();
    TSQLExec exec;
    exec.SetDatabaseType(TDatabaseType::dbInterBase);
    exec.OnStatementAdd = [](TObject*, TStatement* st, bool&) {
        if (st->StatType == stSet) throw std::runtime_error("refused");
    };
    r.cmp.SetSQLExec(&exec);
    bool comparingInside = false;
    r.cmp.OnBeforeCompare = [&](TObject*) { comparingInside = true; };
    EXPECT_THROW(r.cmp.CompareStructures(), std::runtime_error);
    EXPECT_TRUE(comparingInside);
    EXPECT_EQ(exec.GetStatementCount(), 3); // SET NAMES, dialect and CONNECT stay
    EXPECT_EQ(r.master.Objs().Comparing, 0);
    r.cmp.SetSQLExec(nullptr);
}

TEST(SchemalystExecutor, MasterAnswersInTheTargetsTypeOnlyWhileComparing) {
    Rig r;
    r.master.SetDatabaseType(TDatabaseType::dbOracle);
    r.target.SetDatabaseType(TDatabaseType::dbInterBase);
    r.Wire();
    TTblData* a = AddTable(r.master.Objs(), "A");
    TDatabaseType during = TDatabaseType::dbAbstract;
    r.cmp.OnAfterCompare = [&](TObject*) { during = a->GetDatabaseType(); };
    r.cmp.CompareStructures();
    EXPECT_EQ(during, TDatabaseType::dbInterBase);
    EXPECT_EQ(a->GetDatabaseType(), TDatabaseType::dbOracle);
}

// ---------------------------------------------------------------------------------------------------

TEST(SchemalystRepeat, EachComparisonStartsFromTheExtractedModel) {
    // A step that empties a routine, uses up a dependency's re-create flag and marks a table as
    // changed (here done by an event handler inside the sequence) must not shape the next run.
    Rig r;
    r.InterBase();
    r.Wire();
    TTblData* mt = AddTable(r.master.Objs(), "T", {"ID"});
    TTblData* tt = AddTable(r.target.Objs(), "T", {"ID", "X"});
    TPrcData* mp = AddProc(r.master.Objs(), "P", "BEGIN SUSPEND; END");
    TPrcData* tp = AddProc(r.target.Objs(), "P", "BEGIN SELECT X FROM T INTO :R; SUSPEND; END");
    AddDependency(&r.target.Objs(), tp, tt, 0, 0, "X");
    ASSERT_EQ(tp->GetDependsOn().Count(), 1);
    const std::string source = tp->GetSource();
    r.cmp.OnAfterCompare = [&](TObject*) {
        // The steps emptied and restored P on the way (X is dropped); empty it once more here.
        tp->SetSource(source);
        tp->EmptyBody(false);
        tp->DependsOnItem(0)->Recreate = 0;
        mt->Changed = true;
        EXPECT_NE(tp->GetSource(), source);
        EXPECT_EQ(mp->BodyEmptied, 1);
    };
    for (int run = 0; run < 2; ++run) {
        r.cmp.CompareStructures();
        EXPECT_EQ(tp->GetSource(), source) << run;
        EXPECT_EQ(tp->DependsOnItem(0)->Recreate, 1) << run;
        EXPECT_EQ(mp->BodyEmptied, 0) << run;
        EXPECT_EQ(tp->BodyEmptied, 0) << run;
        EXPECT_FALSE(mt->Changed) << run;
    }
}

TEST(SchemalystRepeat, StateIsRestoredAfterAThrowToo) {
    Rig r;
    r.InterBase();
    r.Wire();
    TPrcData* tp = AddProc(r.target.Objs(), "P", "BEGIN SUSPEND; END");
    r.cmp.OnAfterCompare = [&](TObject*) {
        tp->SetSource("changed");
        throw std::runtime_error("late failure");
    };
    EXPECT_THROW(r.cmp.CompareStructures(), std::runtime_error);
    EXPECT_EQ(tp->GetSource(), "BEGIN SUSPEND; END");
    EXPECT_EQ(r.master.Objs().Comparing, 0);
}

} // namespace
} // namespace smx::cmptest
