// The InterBase executor on real Firebird 3 databases through the InterBase connection component:
// descriptions of every object kind in the three modes, a run with a failure in the middle, one
// statement at once, progress and stop, a script file with SET TERM blocks compared with isql-fb,
// and update scripts of the comparer run and loaded back.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "database/smxIBSQLExec.h"
#include "model/smxComp_Clt.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Exc.h"
#include "model/smxComp_Fnc.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "tests/database/IBXTestSupport.h"
#include "tests/model/ModelTestSupport.h"
#include "tests/model/SchemalystTestSupport.h"

namespace smx::test {
namespace {

using enum TStatType;
using enum TDbObject;
using enum TDbOperation;
using Strings = std::vector<std::string>;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string Utf8Db(std::string_view ddl = {}) {
    return CreateDatabaseSql(ddl, "PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8");
}

/// The executor with its working query in view.
class TProbeExec : public TIBSQLExec {
public:
    using TSQLExec::GetQuery;
};

/// A TIBSQLExec over a disconnected TSMXConnectionIBX on the database at a path: Firebird 3.0,
/// COMMENT ON descriptions, log and errors recorded.
struct TExecOn {
    explicit TExecOn(const std::string& path) : ibdb(MakeIBDatabase(path, "UTF8")) {
        conn.SetName("Target");
        conn.SetDatabase(ibdb.get());
        conn.OnErrorMessage = [this](TObject*, const std::string& t) { connErrors.push_back(t); };
        conn.OnLogNextLine = [](TObject*, const std::string&) {};
        exec.SetName("IBSQLExec");
        exec.SetSMXConnection(&conn);
        exec.GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
        Mode(TUpdateDescriptionType::udComment);
        exec.OnLogNextLine = [this](TObject*, const std::string& t) { log.push_back(t); };
        exec.OnErrorMessage = [this](TObject*, const std::string& t) { errors.push_back(t); };
    }
    void Mode(TUpdateDescriptionType m) {
        exec.GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(m);
    }
    bool HasLog(const std::string& line) const {
        for (const std::string& l : log)
            if (l == line) return true;
        return false;
    }
    std::string FirstError() const { return errors.empty() ? std::string() : errors.front(); }

    std::unique_ptr<TIBDatabase> ibdb;
    TSMXConnectionIBX conn;
    TProbeExec exec;
    Strings log, errors, connErrors;
};

// ---- Descriptions of every object kind ----

const char* const kDescribedDdl = R"(CREATE DOMAIN D INTEGER;
CREATE TABLE T (C D);
CREATE VIEW V (C) AS SELECT C FROM T;
SET TERM ^ ;
CREATE PROCEDURE P (A INTEGER) RETURNS (R INTEGER) AS BEGIN R = A; SUSPEND; END^
CREATE FUNCTION F (X INTEGER) RETURNS INTEGER AS BEGIN RETURN X; END^
CREATE TRIGGER TR FOR T BEFORE INSERT AS BEGIN END^
SET TERM ; ^
DECLARE EXTERNAL FUNCTION UDF INTEGER RETURNS INTEGER BY VALUE ENTRY_POINT 'abs' MODULE_NAME 'ib_udf';
CREATE EXCEPTION E 'e';
CREATE GENERATOR G;
CREATE INDEX IX ON T (C);
CREATE ROLE R;
CREATE COLLATION CO FOR UTF8 FROM UNICODE CASE INSENSITIVE;
)";

const char* const kDescription = "it's :x\r\nline 2";

/// Where each description of the fixture is stored.
const Strings kDescriptionQueries = {
    "select rdb$description from rdb$fields where rdb$field_name = 'D'",
    "select rdb$description from rdb$relations where rdb$relation_name = 'T'",
    "select rdb$description from rdb$relation_fields where rdb$relation_name = 'T' and rdb$field_name = 'C'",
    "select rdb$description from rdb$relations where rdb$relation_name = 'V'",
    "select rdb$description from rdb$relation_fields where rdb$relation_name = 'V' and rdb$field_name = 'C'",
    "select rdb$description from rdb$procedures where rdb$procedure_name = 'P'",
    "select rdb$description from rdb$procedure_parameters where rdb$procedure_name = 'P' and "
    "rdb$parameter_name = 'A'",
    "select rdb$description from rdb$procedure_parameters where rdb$procedure_name = 'P' and "
    "rdb$parameter_name = 'R'",
    "select rdb$description from rdb$functions where rdb$function_name = 'F'",
    "select rdb$description from rdb$function_arguments where rdb$function_name = 'F' and "
    "rdb$argument_name = 'X'",
    "select rdb$description from rdb$triggers where rdb$trigger_name = 'TR'",
    "select rdb$description from rdb$functions where rdb$function_name = 'UDF'",
    "select rdb$description from rdb$exceptions where rdb$exception_name = 'E'",
    "select rdb$description from rdb$generators where rdb$generator_name = 'G'",
    "select rdb$description from rdb$indices where rdb$index_name = 'IX'",
    "select rdb$description from rdb$roles where rdb$role_name = 'R'",
    "select rdb$description from rdb$collations where rdb$collation_name = 'CO'",
    "select rdb$description from rdb$database",
};

/// The fixture's objects built in code, each described; their description statements filed.
void FileDescriptions(OwningObjs& objs, TIBSQLExec& exec, TUpdateDescriptionType mode) {
    objs.SetDatabaseType(TDatabaseType::dbInterBase);
    objs.GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
    objs.GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(mode);
    exec.GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(mode);
    std::vector<TDbObj*> described;
    auto file = [&](TDbObj* o) {
        objs.AddObject(o, true);
        described.push_back(o);
        return o;
    };
    file(Make<TDmnData>(&objs, "D"));
    auto* t = static_cast<TTblData*>(file(Make<TTblData>(&objs, "T")));
    described.push_back(t->AddField("C"));
    auto* v = static_cast<TViwData*>(file(Make<TViwData>(&objs, "V", "SELECT C FROM T")));
    described.push_back(v->AddField("C"));
    auto* p = static_cast<TPrcData*>(file(Make<TPrcData>(&objs, "P", "BEGIN R = A; SUSPEND; END")));
    described.push_back(p->AddParam("A", false));
    described.push_back(p->AddParam("R", true));
    auto* f = static_cast<TPrcData*>(file(Make<TPrcData>(&objs, "F", "BEGIN RETURN X; END")));
    f->IsFunctionFlag = 1;
    described.push_back(f->AddParam("X", false));
    auto* tr = static_cast<TTrgData*>(file(Make<TTrgData>(&objs, "TR", "AS BEGIN END")));
    tr->SetTableName("T");
    file(Make<TUdfData>(&objs, "UDF"));
    file(Make<TExcData>(&objs, "E"));
    file(Make<TGnrData>(&objs, "G"));
    auto* ix = static_cast<TIdxData*>(file(Make<TIdxData>(&objs, "IX")));
    ix->TableName = "T";
    file(Make<TRolData>(&objs, "R"));
    file(Make<TCltData>(&objs, "CO"));
    TDbObj db(&objs);
    db.SetKind(dboDatabase);
    described.push_back(&db);
    for (TDbObj* o : described) {
        o->SetDescription(kDescription);
        // Parameters are filed as the parser files them.
        if (o->GetKind() == dboField && o->GetParentObject() &&
            o->GetParentObject()->GetKind() == dboProcedure)
            o->SetKind(dboParam);
    }
    for (TDbObj* o : described)
        exec.AddDescription(o);
}

TEST(IBSQLExecDescriptions, CommentModeWritesEveryDescription) {
    TTestDatabase db(Utf8Db(kDescribedDdl));
    TExecOn x(db.Path());
    OwningObjs objs;
    FileDescriptions(objs, x.exec, TUpdateDescriptionType::udComment);
    ASSERT_EQ(x.exec.GetStatementCount(), static_cast<int>(kDescriptionQueries.size()));
    EXPECT_TRUE(x.exec.ExecuteScript()) << x.FirstError();
    EXPECT_EQ(x.log.back(), "< Script executed succesfully! >");
    for (const std::string& q : kDescriptionQueries)
        EXPECT_EQ(ReadColumnElsewhere(db.Path(), q), Strings{kDescription}) << q;
}

TEST(IBSQLExecDescriptions, SystemTableModesFailLoudlyOnFirebird3) {
    for (TUpdateDescriptionType mode :
         {TUpdateDescriptionType::udSysTables, TUpdateDescriptionType::udDescribe}) {
        SCOPED_TRACE(mode == TUpdateDescriptionType::udSysTables ? "udSysTables" : "udDescribe");
        TTestDatabase db(Utf8Db(kDescribedDdl));
        TExecOn x(db.Path());
        OwningObjs objs;
        FileDescriptions(objs, x.exec, mode);
        const int n = x.exec.GetStatementCount();
        ASSERT_GT(n, 10);
        EXPECT_FALSE(x.exec.ExecuteScript());
        for (int i = 0; i < n; ++i) {
            const TStatement& st = *x.exec.GetStatement(i);
            EXPECT_NE(st.ObjKind, dboCollation);
            EXPECT_TRUE(Contains(st.ErrorText, "UPDATE operation is not allowed for system table RDB$"))
                << i << ": " << st.ErrorText;
        }
        // The PSQL function F and its argument X are filed as a function and a function argument,
        // so their updates reach the function tables (and are refused there, like every other).
        auto statementOf = [&](const std::string& name, const std::string& parent) -> const TStatement* {
            for (int i = 0; i < n; ++i)
                if (x.exec.GetStatement(i)->ObjName == name && x.exec.GetStatement(i)->ParentName == parent)
                    return x.exec.GetStatement(i);
            return nullptr;
        };
        const TStatement* f = statementOf("F", "");
        const TStatement* arg = statementOf("X", "F");
        ASSERT_TRUE(f && arg);
        EXPECT_EQ(f->ObjKind, dboFunction);
        EXPECT_EQ(arg->ObjKind, dboParam);
        EXPECT_EQ(arg->ParentKind, dboFunction);
        EXPECT_TRUE(Contains(f->ErrorText, "system table RDB$FUNCTIONS")) << f->ErrorText;
        EXPECT_TRUE(Contains(arg->ErrorText, "system table RDB$FUNCTION_ARGUMENTS")) << arg->ErrorText;
        const TStatement* a = statementOf("A", "P");
        ASSERT_TRUE(a);
        EXPECT_EQ(a->ParentKind, dboProcedure);
        EXPECT_TRUE(Contains(a->ErrorText, "system table RDB$PROCEDURE_PARAMETERS")) << a->ErrorText;
        EXPECT_EQ(x.exec.GetErrorCount(), n);
        EXPECT_EQ(x.log.back(), "< Script executed: " + std::to_string(n) + " errors... >");
        for (const std::string& q : kDescriptionQueries)
            EXPECT_EQ(ReadColumnElsewhere(db.Path(), q), Strings{""}) << q;
    }
}

// An update that finds no row stores nothing: it is counted as an error, as COMMENT ON on a missing
// object is, and the run does not report success. A script's DESCRIBE PARAMETER ... PROCEDURE names
// a procedure, so on a function's argument it is such an update.
TEST(IBSQLExecDescriptions, UpdateThatFindsNoRowIsReported) {
    TTestDatabase db(Utf8Db(kDescribedDdl));
    TExecOn x(db.Path());
    x.Mode(TUpdateDescriptionType::udDescribe);
    x.exec.AddStatement("DESCRIBE TABLE NOSUCH 'd'", stDescription, "NOSUCH", dboTable, odbDescription)
        ->Description = "d";
    x.exec
        .AddStatement("DESCRIBE PARAMETER X PROCEDURE F 'd'", stDescription, "X", dboParam, odbDescription,
                      "F")
        ->Description = "d";
    EXPECT_FALSE(x.exec.ExecuteScript());
    EXPECT_EQ(x.exec.GetErrorCount(), 2);
    EXPECT_EQ(x.exec.GetStatement(0)->ErrorText,
              "Description not stored: no row in rdb$relations for NOSUCH.");
    EXPECT_EQ(x.exec.GetStatement(1)->ErrorText,
              "Description not stored: no row in rdb$procedure_parameters for F.X.");
    EXPECT_EQ(x.log.back(), "< Script executed: 2 errors... >");
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), kDescriptionQueries[9]), Strings{""});
}

// ---- A failure in the middle ----

void FillMiddleFailure(TIBSQLExec& exec) {
    exec.AddStatement("CREATE TABLE T1 (ID INTEGER)", stStatement, "T1", dboTable, odbCreate);
    exec.AddStatement("INSERT INTO T1 VALUES (1)", stInsert, "T1", dboTable, odbInsert);
    exec.AddStatement("CREATE TABLE T1 (A INTEGER)", stStatement, "T1", dboTable, odbCreate);
    exec.AddStatement("CREATE PROCEDURE P3 AS BEGIN EXIT; END", stProcedure, "P3", dboProcedure, odbCreate);
    exec.AddStatement("COMMENT ON TABLE T1 IS 'd'", stDescription, "T1", dboTable, odbDescription);
    exec.AddStatement("CREATE GENERATOR G5", stStatement, "G5", dboGenerator, odbCreate);
}

Strings Procedures(const std::string& path) {
    return ReadColumnElsewhere(path, "select rdb$procedure_name from rdb$procedures");
}
Strings Generators(const std::string& path) {
    return ReadColumnElsewhere(path,
                               "select rdb$generator_name from rdb$generators where rdb$system_flag = 0");
}

TEST(IBSQLExecRun, FailureInTheMiddleRunsTheRest) {
    TTestDatabase db(Utf8Db());
    TExecOn x(db.Path());
    FillMiddleFailure(x.exec);
    ASSERT_FALSE(x.conn.GetConnected());
    EXPECT_FALSE(x.exec.ExecuteScript());
    EXPECT_EQ(x.exec.GetErrorCount(), 1);
    EXPECT_TRUE(Contains(x.exec.GetStatement(2)->ErrorText, "Table T1 already exists"))
        << x.exec.GetStatement(2)->ErrorText;
    ASSERT_FALSE(x.log.empty());
    EXPECT_EQ(x.log.front(), "Updating target database...");
    EXPECT_TRUE(x.HasLog("< Exec SQL >: T1: create"));
    EXPECT_EQ(x.log.back(), "< Script executed: 1 errors... >");
    EXPECT_FALSE(x.conn.GetConnected());
    EXPECT_FALSE(x.conn.InTransaction());
    // What a second attachment sees.
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select id from t1"), Strings{"1"});
    EXPECT_EQ(Procedures(db.Path()), Strings{"P3"});
    EXPECT_EQ(Generators(db.Path()), Strings{"G5"});
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$description from rdb$relations where "
                                             "rdb$relation_name = 'T1'"),
              Strings{"d"});
}

TEST(IBSQLExecRun, ScriptThatStartsWithAPackageConnectsForIt) {
    TTestDatabase db(Utf8Db());
    TExecOn x(db.Path());
    x.exec.AddStatement("CREATE PACKAGE PK AS BEGIN PROCEDURE X; END", stPackage, "PK", dboPackage, odbCreate);
    EXPECT_EQ(x.exec.GetHasExecutableStatements(), 1);
    EXPECT_TRUE(x.exec.ExecuteScript()) << x.FirstError();
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$package_name from rdb$packages"), Strings{"PK"});
}

TEST(IBSQLExecRun, BreakOnErrorStopsAfterTheFailure) {
    TTestDatabase db(Utf8Db());
    TExecOn x(db.Path());
    FillMiddleFailure(x.exec);
    x.exec.SetBreakOnError(true);
    EXPECT_FALSE(x.exec.ExecuteScript());
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select id from t1"), Strings{"1"});
    EXPECT_TRUE(Procedures(db.Path()).empty());
    EXPECT_TRUE(Generators(db.Path()).empty());
    EXPECT_TRUE(x.HasLog("< Break on Error! >"));
    EXPECT_EQ(x.log.back(), "< Script executed: 1 errors... >");
    EXPECT_FALSE(x.HasLog("< Script executed succesfully! >"));
    EXPECT_FALSE(x.conn.GetConnected());
}

// ---- One statement at once ----

TEST(IBSQLExecStatement, FailureRolledBackThenNextRunsInANewTransaction) {
    TTestDatabase db(Utf8Db("CREATE TABLE T (A INTEGER);"));
    TExecOn x(db.Path());
    x.conn.SetConnected(true);
    ASSERT_TRUE(x.conn.GetConnected());
    TStatement* bad =
        x.exec.AddStatement("CREATE TABLE T (B INTEGER)", stStatement, "T", dboTable, odbCreate);
    TStatement* good =
        x.exec.AddStatement("CREATE TABLE T2 (B INTEGER)", stStatement, "T2", dboTable, odbCreate);
    EXPECT_FALSE(x.exec.ExecuteStatement(bad));
    EXPECT_TRUE(Contains(bad->ErrorText, "Table T already exists")) << bad->ErrorText;
    EXPECT_EQ(x.exec.GetErrorCount(), 1);
    EXPECT_EQ(bad->Skip, 0);
    EXPECT_TRUE(x.conn.GetConnected());
    EXPECT_TRUE(x.conn.InTransaction());
    EXPECT_EQ(x.exec.GetQuery(), nullptr);

    EXPECT_TRUE(x.exec.ExecuteStatement(good));
    EXPECT_EQ(x.exec.GetErrorCount(), 1);
    EXPECT_EQ(good->Skip, 1);
    EXPECT_TRUE(x.conn.InTransaction());
    // Committed: another attachment sees the table at once.
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$relation_name from rdb$relations where "
                                             "rdb$relation_name = 'T2'"),
              Strings{"T2"});

    // A later run passes the statement by.
    x.exec.DeleteStatement(0);
    x.log.clear();
    EXPECT_TRUE(x.exec.ExecuteScript()) << x.FirstError();
    EXPECT_TRUE(x.HasLog("< Skipping statement >: T2: create"));
    EXPECT_TRUE(x.conn.GetConnected());
    x.conn.SetConnected(false);
}

TEST(IBSQLExecStatement, CommentRunsNothing) {
    TTestDatabase db(Utf8Db());
    TExecOn x(db.Path());
    TStatement* c = x.exec.AddComment("/* nothing */");
    EXPECT_TRUE(x.exec.ExecuteStatement(c));
    EXPECT_EQ(x.exec.GetQuery(), nullptr);
    EXPECT_FALSE(x.conn.GetConnected());
    EXPECT_TRUE(x.log.empty());
}

TEST(IBSQLExecStatement, DisconnectedConnectionIsConnectedForTheStatement) {
    TTestDatabase db(Utf8Db());
    TExecOn x(db.Path());
    TStatement* pkg = x.exec.AddStatement("CREATE PACKAGE PK AS BEGIN PROCEDURE X; END", stPackage, "PK",
                                          dboPackage, odbCreate);
    ASSERT_FALSE(x.conn.GetConnected());
    bool ok = false;
    EXPECT_NO_THROW(ok = x.exec.ExecuteStatement(pkg));
    EXPECT_TRUE(ok) << x.FirstError();
    EXPECT_FALSE(x.conn.GetConnected());
    EXPECT_FALSE(x.conn.InTransaction());
    EXPECT_TRUE(x.HasLog("Connect: \"" + db.Path() + "\""));
    EXPECT_TRUE(x.HasLog("Disconnect: \"" + db.Path() + "\""));
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$package_name from rdb$packages"), Strings{"PK"});

    // A failure on a disconnected connection leaves it disconnected, and raises nothing either.
    TStatement* bad = x.exec.AddStatement("CREATE PACKAGE PK AS BEGIN PROCEDURE X; END", stPackage, "PK",
                                          dboPackage, odbCreate);
    EXPECT_NO_THROW(ok = x.exec.ExecuteStatement(bad));
    EXPECT_FALSE(ok);
    EXPECT_FALSE(bad->ErrorText.empty());
    EXPECT_FALSE(x.conn.GetConnected());
}

TEST(IBSQLExecStatement, UnreachableDatabaseIsReportedNotRaised) {
    TTempDir dir;
    TExecOn x(dir.File("missing.fdb"));
    TStatement* st = x.exec.AddStatement("CREATE TABLE T (A INTEGER)", stStatement, "T", dboTable, odbCreate);
    bool ok = true;
    EXPECT_NO_THROW(ok = x.exec.ExecuteStatement(st));
    EXPECT_FALSE(ok);
    ASSERT_FALSE(x.errors.empty());
    EXPECT_EQ(x.errors.back(), "Cannot connect to \"" + dir.File("missing.fdb") + "\".");
    EXPECT_FALSE(x.conn.GetConnected());
}

// ---- Progress and stop ----

class IBSQLExecProgress : public ::testing::Test {
protected:
    void SetUp() override {
        StopRequested = false;
        for (int i = 1; i <= 5; ++i) {
            const std::string name = "T" + std::to_string(i);
            x.exec.AddStatement("CREATE TABLE " + name + " (A INTEGER)", stStatement, name, dboTable,
                                odbCreate);
        }
        x.exec.OnProgressUpdate = [this](TObject*, int v, int m) { progress.emplace_back(v, m); };
    }
    void TearDown() override { StopRequested = false; }

    TTestDatabase db{Utf8Db()};
    TExecOn x{db.Path()};
    std::vector<std::pair<int, int>> progress;
};

TEST_F(IBSQLExecProgress, ValuesNeverDecreaseAndEndAtTheMaximum) {
    EXPECT_TRUE(x.exec.ExecuteScript()) << x.FirstError();
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{0, 4}, {0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}}));
}

TEST_F(IBSQLExecProgress, StopAfterTheSecondStatement) {
    x.exec.OnAfterStatementExecute = [](TObject*, int i) {
        if (i == 1) StopRequested = true;
    };
    EXPECT_FALSE(x.exec.ExecuteScript());
    StopRequested = false;
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$relation_name from rdb$relations where "
                                             "rdb$system_flag = 0 order by 1"),
              (Strings{"T1", "T2"}));
    EXPECT_TRUE(x.HasLog("< Stopped on request! >"));
    EXPECT_FALSE(x.HasLog("< Script executed succesfully! >"));
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{0, 4}, {0, 4}, {1, 4}}));
}

// ---- A script file with SET TERM blocks ----

std::string Check7Script(const std::string& db, const char* eol) {
    const std::string text =
        "SET SQL DIALECT 3; SET NAMES UTF8; CONNECT '" + SqlQuoteDoubled(db) +
        "' USER 'SYSDBA' PASSWORD 'masterkey';\n"
        "CREATE TABLE T (ID INTEGER NOT NULL, N VARCHAR(10)); COMMENT ON TABLE T IS 'it''s T';\n"
        "SET TERM ^ ;\n"
        "CREATE PROCEDURE P (A INTEGER) AS BEGIN INSERT INTO T (ID) VALUES (:A); END^\n"
        "CREATE TRIGGER TR FOR T BEFORE INSERT AS BEGIN NEW.N = 'x'; END^\n"
        "EXECUTE BLOCK AS BEGIN INSERT INTO T (ID) VALUES (3); END^\n"
        "SET TERM ; ^\n"
        "GRANT SELECT ON T TO U1; INSERT INTO T (ID) VALUES (1); EXECUTE PROCEDURE P (2); "
        "COMMIT WORK;\n";
    return std::regex_replace(text, std::regex("\n"), eol);
}

/// isql-fb's DDL extract of a database, with its path replaced by a marker.
std::string Extract(const std::string& path) {
    const std::string cmd = "isql-fb -x '" + path + "' 2>&1";
    std::string out;
    if (FILE* pipe = popen(cmd.c_str(), "r")) {
        char buf[4096];
        std::size_t n = 0;
        while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
            out.append(buf, n);
        pclose(pipe);
    }
    for (std::size_t p = out.find(path); p != std::string::npos; p = out.find(path, p))
        out.replace(p, path.size(), "<db>");
    return out;
}

TEST(IBSQLExecScriptFile, SetTermScriptLoadsRendersAndRunsLikeIsql) {
    for (const char* eol : {"\r\n", "\n"}) {
        SCOPED_TRACE(std::string(eol) == "\n" ? "LF" : "CR LF");
        TTestDatabase mine(Utf8Db(), "mine.fdb"), isqls(Utf8Db(), "isql.fdb"), rendered(Utf8Db(), "r.fdb");
        const std::string file = mine.Dir().File("script.sql");
        std::ofstream(file, std::ios::binary) << Check7Script(mine.Path(), eol);

        TExecOn x(mine.Path());
        x.exec.LoadScriptFromFile(file);
        EXPECT_TRUE(x.HasLog("Loading script..."));
        EXPECT_TRUE(x.HasLog("Script loaded."));
        EXPECT_EQ(x.exec.GetLoadErrorCount(), 0);
        const std::vector<std::tuple<TStatType, std::string, TDbOperation>> want = {
            {stSqlDialect, "3", odbSet},   {stSetNames, "", odbSet},           {stConnect, "", odbSet},
            {stStatement, "T", odbCreate}, {stStatement, "T", odbDescription}, {stProcedure, "P", odbCreate},
            {stTrigger, "TR", odbCreate},  {stExecuteBlock, "", odbUnknown},   {stStatement, "", odbCreate},
            {stInsert, "T", odbInsert},    {stStatement, "P", odbUnknown}};
        ASSERT_EQ(x.exec.GetStatementCount(), static_cast<int>(want.size()));
        for (int i = 0; i < x.exec.GetStatementCount(); ++i) {
            const TStatement& st = *x.exec.GetStatement(i);
            EXPECT_EQ(st.StatType, std::get<0>(want[i])) << i;
            EXPECT_EQ(st.ObjName, std::get<1>(want[i])) << i;
            EXPECT_EQ(st.Operation, std::get<2>(want[i])) << i;
        }
        EXPECT_EQ(x.exec.GetStatement(8)->ObjKind, dboGrant);
        EXPECT_EQ(x.exec.GetConnectionOptions().GetDatabaseName(), mine.Path());
        EXPECT_EQ(x.exec.GetConnectionOptions().GetUserName(), "SYSDBA");
        EXPECT_EQ(x.exec.GetConnectionOptions().GetPassword(), "masterkey");
        EXPECT_EQ(x.exec.GetIBServerOptions().GetDBCharSet(), "UTF8");

        // The rendered list keeps the routines in one SET TERM block, and isql-fb runs it.
        TStringList lines;
        x.exec.GetScriptLines(lines, false);
        const std::string text = lines.Text();
        const std::size_t open = text.find("SET TERM ^ ;"), close = text.find("SET TERM ; ^");
        ASSERT_NE(open, std::string::npos) << text;
        ASSERT_NE(close, std::string::npos) << text;
        EXPECT_LT(open, text.find("CREATE PROCEDURE P"));
        EXPECT_LT(text.find("CREATE TRIGGER TR"), close);
        const std::string renderedFile = rendered.Dir().File("rendered.sql");
        std::ofstream(renderedFile, std::ios::binary)
            << ReplaceAll(StringReplace(text, mine.Path(), "{db}"), "db", rendered.Path());
        const TIsqlResult r = RunIsqlFile(renderedFile);
        EXPECT_TRUE(r.Ok()) << r.Output << "\n" << text;

        // The executor's run, and isql-fb's own run of the file, give the same database.
        EXPECT_TRUE(x.exec.ExecuteScript()) << x.FirstError();
        EXPECT_EQ(x.log.back(), "< Script executed succesfully! >");
        const std::string isqlFile = isqls.Dir().File("script.sql");
        std::ofstream(isqlFile, std::ios::binary) << Check7Script(isqls.Path(), eol);
        const TIsqlResult ir = RunIsqlFile(isqlFile);
        ASSERT_TRUE(ir.Ok()) << ir.Output;
        EXPECT_EQ(Extract(mine.Path()), Extract(isqls.Path()));
        for (const std::string& path : {mine.Path(), isqls.Path(), rendered.Path()})
            EXPECT_EQ(ReadColumnElsewhere(path, "select id || ',' || n from t order by id"),
                      (Strings{"1,x", "2,x", "3,x"}))
                << path;
    }
}

// ---- Line breaks inside string literals ----

/// A script whose lines end with Eol and whose string literals each hold the line break Lit: an
/// INSERT, a COMMENT ON and a procedure that inserts a row.
std::string LiteralScript(const std::string& db, const std::string& Eol, const std::string& Lit) {
    return "SET SQL DIALECT 3;" + Eol + "SET NAMES UTF8;" + Eol + "CONNECT '" + SqlQuoteDoubled(db) +
           "' USER 'SYSDBA' PASSWORD 'masterkey';" + Eol +
           "CREATE TABLE T (ID INTEGER NOT NULL, S VARCHAR(20));" + Eol + "COMMENT ON TABLE T IS 'c" + Lit +
           "d';" + Eol + "INSERT INTO T (ID, S) VALUES (1, 'a" + Lit + "b');" + Eol + "SET TERM ^ ;" + Eol +
           "CREATE PROCEDURE P AS BEGIN" + Eol + "  INSERT INTO T (ID, S) VALUES (2, 'p" + Lit + "q');" +
           Eol + "END^" + Eol + "SET TERM ; ^" + Eol + "EXECUTE PROCEDURE P;" + Eol;
}

void ExpectLiteralBytes(const std::string& path, const std::string& Lit) {
    EXPECT_EQ(ReadColumnElsewhere(path, "select id || ':' || s from t order by id"),
              (Strings{"1:a" + Lit + "b", "2:p" + Lit + "q"}));
    EXPECT_EQ(
        ReadColumnElsewhere(path, "select rdb$description from rdb$relations where rdb$relation_name = 'T'"),
        Strings{"c" + Lit + "d"});
}

// A line break inside a literal is data: a script file with LF, CR LF or mixed line ends stores
// each literal byte for byte, whether the list runs as a script or statement by statement. The
// rendered script still ends its lines with CR LF.
TEST(IBSQLExecScriptFile, LiteralsKeepTheirLineBreaks) {
    struct Case {
        const char* name;
        std::string eol, lit;
    };
    const std::vector<Case> cases = {
        {"LF file", "\n", "\n"},
        {"CR LF file", "\r\n", "\r\n"},
        {"CR LF file, LF in the literals", "\r\n", "\n"},
        {"LF file, CR in the literals", "\n", "\r"},
        {"LF file, CR LF in the literals", "\n", "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTestDatabase script(Utf8Db(), "script.fdb"), single(Utf8Db(), "single.fdb");
        const std::string file = script.Dir().File("script.sql");
        std::ofstream(file, std::ios::binary) << LiteralScript(script.Path(), c.eol, c.lit);

        TExecOn x(script.Path());
        x.exec.LoadScriptFromFile(file);
        ASSERT_EQ(x.exec.GetLoadErrorCount(), 0);
        ASSERT_EQ(x.exec.GetStatementCount(), 8);
        TStringList lines;
        x.exec.GetScriptLines(lines, false);
        EXPECT_NE(lines.Text().find("VALUES (1, 'a\r\nb');\r\n"), std::string::npos) << lines.Text();
        EXPECT_TRUE(x.exec.ExecuteScript()) << x.FirstError();
        ExpectLiteralBytes(script.Path(), c.lit);

        // The same text from a stream without a file name, each statement run at once.
        TExecOn y(single.Path());
        std::istringstream in(LiteralScript(single.Path(), c.eol, c.lit));
        y.exec.LoadScriptFromStream(&in);
        ASSERT_EQ(y.exec.GetLoadErrorCount(), 0);
        ASSERT_EQ(y.exec.GetStatementCount(), 8);
        for (int i = 0; i < y.exec.GetStatementCount(); ++i)
            EXPECT_TRUE(y.exec.ExecuteStatement(y.exec.GetStatement(i))) << i << " " << y.FirstError();
        ExpectLiteralBytes(single.Path(), c.lit);
    }
}

// ---- Update scripts of the comparer ----

using namespace smx::cmptest;

/// Table T(ID) with procedure P and trigger TR on it, in the structure.
void AddRoutines(Structure& s, bool routines) {
    TTblData* t = AddTable(s.Objs(), "T", {"ID"});
    if (!routines) return;
    TPrcData* p = AddProc(s.Objs(), "P", "DECLARE VARIABLE X INTEGER;\r\nBEGIN\r\n  X = 1;\r\nEND");
    (void)p;
    auto* trg = new TTrgData(&s.Objs());
    trg->SetName("TR");
    trg->SetTableName("T");
    trg->IBTypeCode = 1;
    trg->SetSource("AS\r\nBEGIN\r\n  NEW.ID = COALESCE(NEW.ID, 0);\r\nEND");
    s.Objs().AddObject(trg, true);
    AddDependency(&s.Objs(), trg, t);
}

TEST(IBSQLExecUpdateScript, RoutinesWrittenLoadedBackAndRun) {
    TTestDatabase db(Utf8Db("CREATE TABLE T (ID INTEGER);"), "t.fdb");
    Rig r;
    r.TargetDatabase(db.Path());
    AddRoutines(r.master, true);
    AddRoutines(r.target, false);
    TExecOn written(db.Path());
    r.cmp.SetSQLExec(&written.exec);
    r.cmp.CompareStructures();
    r.cmp.SetSQLExec(nullptr);
    TStringList lines;
    written.exec.GetScriptLines(lines, false);
    const std::string file = db.Dir().File("update.sql");
    std::ofstream(file, std::ios::binary) << lines.Text();

    TExecOn loaded(db.Path());
    loaded.exec.LoadScriptFromFile(file);
    EXPECT_EQ(loaded.exec.GetLoadErrorCount(), 0);
    std::vector<TStatType> a, b;
    for (int i = 0; i < written.exec.GetStatementCount(); ++i)
        if (written.exec.GetStatement(i)->StatType != stComment)
            a.push_back(written.exec.GetStatement(i)->StatType);
    for (int i = 0; i < loaded.exec.GetStatementCount(); ++i)
        b.push_back(loaded.exec.GetStatement(i)->StatType);
    EXPECT_EQ(a, b);
    EXPECT_NE(std::find(b.begin(), b.end(), stProcedure), b.end());
    EXPECT_NE(std::find(b.begin(), b.end(), stTrigger), b.end());
    TStringList again;
    loaded.exec.GetScriptLines(again, false);
    // The comparer's comments are no statements of the loaded list.
    auto withoutComments = [](const TStringList& l) {
        std::string s;
        for (int i = 0; i < l.Count(); ++i)
            if (!StartsStr("/*", Trim(l[i])) && !Trim(l[i]).empty()) s += Trim(l[i]) + "\n";
        return s;
    };
    EXPECT_EQ(withoutComments(again), withoutComments(lines)) << lines.Text() << "\n----\n" << again.Text();

    EXPECT_TRUE(loaded.exec.ExecuteScript()) << loaded.FirstError() << "\n" << lines.Text();
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$procedure_name from rdb$procedures"), Strings{"P"});
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$trigger_name from rdb$triggers where "
                                             "coalesce(rdb$system_flag, 0) = 0"),
              Strings{"TR"});
}

TEST(IBSQLExecUpdateScript, ThreeTablesRunAndASecondCompareFindsNothing) {
    TTestDatabase db(Utf8Db(), "t.fdb");
    Rig r;
    r.TargetDatabase(db.Path());
    for (const char* name : {"T1", "T2", "T3"}) {
        TTblData* t = AddTable(r.master.Objs(), name, {"ID"});
        t->Field(0)->Nullable = false;
        AddColumn(t, "NAME", VarcharType, 30);
    }
    TExecOn x(db.Path());
    r.cmp.SetSQLExec(&x.exec);
    r.cmp.CompareStructures();
    EXPECT_TRUE(x.exec.ExecuteScript()) << x.FirstError();
    EXPECT_EQ(x.exec.GetErrorCount(), 0);
    EXPECT_EQ(x.log.back(), "< Script executed succesfully! >");
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$relation_name from rdb$relations where "
                                             "rdb$system_flag = 0 order by 1"),
              (Strings{"T1", "T2", "T3"}));
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$field_name from rdb$relation_fields where "
                                             "rdb$relation_name = 'T2' order by rdb$field_position"),
              (Strings{"ID", "NAME"}));

    // The end state, built in code as the target, leaves nothing to do.
    Rig again;
    again.TargetDatabase(db.Path());
    for (Structure* s : {&again.master, &again.target})
        for (const char* name : {"T1", "T2", "T3"}) {
            TTblData* t = AddTable(s->Objs(), name, {"ID"});
            t->Field(0)->Nullable = false;
            AddColumn(t, "NAME", VarcharType, 30);
        }
    TExecOn second(db.Path());
    again.cmp.SetSQLExec(&second.exec);
    again.cmp.CompareStructures();
    EXPECT_EQ(second.exec.GetHasExecutableStatements(), 0);
    r.cmp.SetSQLExec(nullptr);
    again.cmp.SetSQLExec(nullptr);
}

TEST(IBSQLExecUpdateScript, CharacterSetStepWithReconnect) {
    TTestDatabase db(CreateDatabaseSql({}, "PAGE_SIZE 4096 DEFAULT CHARACTER SET NONE"), "t.fdb");
    Rig r;
    r.TargetDatabase(db.Path());
    r.target.GetIBServerOptions().SetDBCharSet("NONE");
    r.cmp.GetIBCompareOptions().SetDbCharsetCompare(true);
    r.cmp.GetIBCompareOptions().SetUseRECONNECT(true);
    TExecOn x(db.Path());
    r.cmp.SetSQLExec(&x.exec);
    r.cmp.CompareStructures();
    r.cmp.SetSQLExec(nullptr);
    bool hasReconnect = false;
    for (int i = 0; i < x.exec.GetStatementCount(); ++i)
        hasReconnect = hasReconnect || x.exec.GetStatement(i)->StatType == stReconnect;
    ASSERT_TRUE(hasReconnect);
    EXPECT_TRUE(x.exec.ExecuteScript()) << x.FirstError();
    EXPECT_TRUE(x.HasLog("ReConnect..."));
    EXPECT_EQ(x.log.back(), "< Script executed succesfully! >");
    EXPECT_EQ(x.exec.GetIBServerOptions().GetDBCharSet(), "UTF8");
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$character_set_name from rdb$database"),
              Strings{"UTF8"});
}

} // namespace
} // namespace smx::test
