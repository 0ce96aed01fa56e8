// The InterBase executor without a server: CONNECT reading, SET NAMES, the description statements
// as the recording connection sees them, and scripts loaded through the parser (statement kinds and
// order, warnings for statements that are not run, load errors that count in the next run, and bad
// input: missing files, syntax errors, unterminated texts, byte-order marks, garbage, INPUT loops).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "database/smxIBSQLExec.h"
#include "tests/model/RecordingConnection.h"
#include "tests/support/smxTestDb.h"

namespace smx::test {
namespace {

using enum TStatType;
using enum TDbObject;
using enum TDbOperation;

/// A TIBSQLExec on a recording connection, with its log and errors kept.
class IBSQLExecPure : public ::testing::Test {
protected:
    void SetUp() override {
        StopRequested = false;
        conn.OnErrorMessage = [](TObject*, const std::string&) {};
        conn.GetConnectionOptions().SetDatabaseName("target.fdb");
        exec.SetName("Exec");
        exec.SetSMXConnection(&conn);
        exec.OnLogNextLine = [this](TObject*, const std::string& t) { log.push_back(t); };
        exec.OnErrorMessage = [this](TObject*, const std::string& t) { errors.push_back(t); };
        exec.GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
    }
    void TearDown() override { StopRequested = false; }

    void Load(const std::string& script) {
        TStringList lines;
        lines.SetText(script);
        exec.LoadScript(lines);
    }
    int Executed() const {
        int n = 0;
        for (const std::string& j : conn.Journal)
            n += j.rfind("exec ", 0) == 0 ? 1 : 0;
        return n;
    }
    bool HasLog(const std::string& line) const {
        for (const std::string& l : log)
            if (l == line) return true;
        return false;
    }
    std::vector<const TMsgData*> Messages(int kind) {
        std::vector<const TMsgData*> r;
        for (int i = 0; i < exec.GetMsgManager().Count(); ++i)
            if (exec.GetMsgManager()[i].Kind == kind) r.push_back(&exec.GetMsgManager()[i]);
        return r;
    }

    TRecordingConnection conn;
    TIBSQLExec exec;
    std::vector<std::string> log, errors;
};

// ---- CONNECT and character set ----

TEST(IBConnectValues, ReadByPositionAsLiterals) {
    struct Case {
        const char* text;
        std::vector<std::string> values;
    } cases[] = {
        {"connect 'db.fdb' user 'u' password 'p' role 'r'", {"db.fdb", "u", "p", "r"}},
        {"CONNECT 'x.fdb'", {"x.fdb"}},
        {"CONNECT '/tmp/o''brien/t.fdb' USER 'o''neil' PASSWORD 'it''s'",
         {"/tmp/o'brien/t.fdb", "o'neil", "it's"}},
        {"CONNECT\r\n  'a.fdb' PASSWORD 'p'", {"a.fdb", "p"}},
        {"CONNECT 'a.fdb' USER 'u' PASSWORD 'p' ROLE 'r' 'extra'", {"a.fdb", "u", "p", "r"}},
        {"CONNECT 'a.fdb' USER 'unclosed", {"a.fdb"}},
        {"CONNECT DATABASE 'd.fdb' USER 'u'", {"d.fdb", "u"}},
        {"CONNECT DATABASE", {}},
        {"CONNECT x.fdb USER 'u'", {}},
        {"CONNECT 'unclosed", {}},
        {"SET NAMES UTF8", {}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadConnectValues(c.text), c.values) << c.text;
}

TEST_F(IBSQLExecPure, ConnectStatementFillsAndEmptiesTheFourFields) {
    TConnectionOptions& o = exec.GetConnectionOptions();
    exec.ParseConnectSQL("connect 'db.fdb' user 'u' password 'p' role 'r'");
    EXPECT_EQ(o.GetDatabaseName(), "db.fdb");
    EXPECT_EQ(o.GetUserName(), "u");
    EXPECT_EQ(o.GetPassword(), "p");
    EXPECT_EQ(o.GetRoleName(), "r");
    exec.ParseConnectSQL("CONNECT 'x.fdb'");
    EXPECT_EQ(o.GetDatabaseName(), "x.fdb");
    EXPECT_EQ(o.GetUserName(), "");
    EXPECT_EQ(o.GetPassword(), "");
    EXPECT_EQ(o.GetRoleName(), "");

    // What the executor writes, it reads back exactly.
    TConnectionOptions written;
    written.SetDatabaseName("/tmp/o'brien/t.fdb");
    written.SetUserName("o'neil");
    written.SetPassword("it's");
    exec.ParseConnectSQL(exec.GetIBServerOptions().GetConnectSQL(written));
    EXPECT_EQ(o.GetDatabaseName(), "/tmp/o'brien/t.fdb");
    EXPECT_EQ(o.GetUserName(), "o'neil");
    EXPECT_EQ(o.GetPassword(), "it's");
    EXPECT_EQ(o.GetRoleName(), "");
}

TEST_F(IBSQLExecPure, ConnectWithoutQuotedDatabaseIsRefused) {
    exec.GetConnectionOptions().SetDatabaseName("old.fdb");
    exec.GetConnectionOptions().SetUserName("old");
    exec.AddStatement("CONNECT target.fdb USER 'SYSDBA'", stConnect);
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(exec.GetErrorCount(), 1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("Connect refused"), std::string::npos) << errors[0];
    EXPECT_EQ(exec.GetStatement(0)->ErrorText, errors[0]);
    EXPECT_EQ(exec.GetConnectionOptions().GetDatabaseName(), "");
    EXPECT_EQ(exec.GetConnectionOptions().GetUserName(), "");
    EXPECT_FALSE(HasLog("< Script executed succesfully! >"));
}

/// A recording connection whose own settings decide the database it attaches.
struct TAttachingConnection : TRecordingConnection {
    void SetConnected(bool Value) override {
        if (Value) GetConnectionOptions().SetDatabaseName("attached.fdb");
        TRecordingConnection::SetConnected(Value);
    }
};

TEST(IBSQLExecConnect, LogNamesTheAttachedDatabase) {
    TAttachingConnection conn;
    conn.OnErrorMessage = [](TObject*, const std::string&) {};
    TIBSQLExec exec;
    exec.SetSMXConnection(&conn);
    std::vector<std::string> log, errors;
    exec.OnLogNextLine = [&](TObject*, const std::string& t) { log.push_back(t); };
    exec.OnErrorMessage = [&](TObject*, const std::string& t) { errors.push_back(t); };
    exec.AddStatement("CONNECT 'asked.fdb' USER 'u'", stConnect);
    EXPECT_TRUE(exec.ExecuteScript());
    EXPECT_NE(std::find(log.begin(), log.end(), "Connect: \"attached.fdb\""), log.end());
    ASSERT_EQ(exec.GetMsgManager().Count(), 1);
    EXPECT_EQ(exec.GetMsgManager()[0].Kind, 1);
    EXPECT_NE(exec.GetMsgManager()[0].Text.find("\"asked.fdb\""), std::string::npos);

    conn.FailConnect = true;
    EXPECT_FALSE(exec.ExecuteScript());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Cannot connect to \"attached.fdb\".");
    EXPECT_TRUE(conn.Executed.empty());
}

TEST_F(IBSQLExecPure, SetNamesTakesTheCharacterSetAndSendsNothing) {
    exec.AddStatement("SET NAMES win1252", stSetNames, "win1252");
    EXPECT_TRUE(exec.ExecuteScript());
    EXPECT_EQ(exec.GetIBServerOptions().GetDBCharSet(), "WIN1252");
    EXPECT_EQ(Executed(), 0);

    for (TStatType kind : {stSetNames, stCharSet}) {
        exec.ClearStatements();
        exec.GetIBServerOptions().SetDBCharSet("NONE");
        exec.AddStatement("SET NAMES UTF8", kind);
        EXPECT_TRUE(exec.ExecuteScript());
        EXPECT_EQ(exec.GetIBServerOptions().GetDBCharSet(), "UTF8") << GetStatTypeName(kind);
    }
    EXPECT_EQ(Executed(), 0);
}

// ---- Description texts ----

class IBDescriptions : public IBSQLExecPure {
protected:
    void SetUp() override {
        IBSQLExecPure::SetUp();
        exec.GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
            TUpdateDescriptionType::udSysTables);
    }
    TStatement* Describe(TDbObject kind, const std::string& name, const std::string& parent,
                         const std::string& text = "a description") {
        TStatement* st = exec.AddStatement("DESCRIBE ...", stDescription, name, kind, odbDescription, parent);
        st->Description = text;
        return st;
    }
    static std::string Param(const RecordedExec& e, const std::string& name) {
        for (const RecordedParam& p : e.Params)
            if (p.Name == name) {
                EXPECT_EQ(p.DataType, TFieldType::ftString) << name;
                return p.Bytes;
            }
        return "<none>";
    }
};

TEST_F(IBDescriptions, SystemTableUpdatesByKind) {
    Describe(dboField, "C", "T", "it's :x");
    Describe(dboParam, "A", "P");
    Describe(dboDatabase, "", "");
    Describe(dboGenerator, "G", "");
    EXPECT_TRUE(exec.ExecuteScript()) << (errors.empty() ? "" : errors[0]);
    ASSERT_EQ(conn.Executed.size(), 4u);

    const RecordedExec& f = conn.Executed[0];
    EXPECT_EQ(f.Text, "update rdb$relation_fields\r\nset rdb$description = :DESCRIPTION\r\n"
                      "where Rdb$relation_name = :TBLNAME\r\nand Rdb$field_name = :FLDNAME\r\n");
    EXPECT_EQ(Param(f, "TBLNAME"), "T");
    EXPECT_EQ(Param(f, "FLDNAME"), "C");
    EXPECT_EQ(Param(f, "DESCRIPTION"), "it's :x");

    const RecordedExec& p = conn.Executed[1];
    EXPECT_EQ(p.Text.substr(0, p.Text.find("\r\n")), "update rdb$procedure_parameters");
    EXPECT_EQ(Param(p, "OBJNAME"), "P");
    EXPECT_EQ(Param(p, "FLDNAME"), "A");

    const RecordedExec& d = conn.Executed[2];
    EXPECT_EQ(d.Text, "update rdb$database\r\nset rdb$description = :DESCRIPTION\r\n");
    ASSERT_EQ(d.Params.size(), 1u);
    EXPECT_EQ(Param(d, "DESCRIPTION"), "a description");

    EXPECT_EQ(conn.Executed[3].Text, "update Rdb$Generators\r\nset rdb$description = :DESCRIPTION\r\nwhere "
                                     "Rdb$Generator_name = :OBJNAME\r\n");
    EXPECT_EQ(Param(conn.Executed[3], "OBJNAME"), "G");
}

TEST_F(IBDescriptions, FunctionsAndTheirArgumentsUseTheFunctionTables) {
    Describe(dboFunction, "F", "");
    Describe(dboParam, "X", "F")->ParentKind = dboFunction;
    EXPECT_TRUE(exec.ExecuteScript()) << (errors.empty() ? "" : errors[0]);
    ASSERT_EQ(conn.Executed.size(), 2u);
    EXPECT_EQ(conn.Executed[0].Text, "update rdb$functions\r\nset rdb$description = :DESCRIPTION\r\n"
                                     "where Rdb$function_name = :OBJNAME\r\n");
    EXPECT_EQ(Param(conn.Executed[0], "OBJNAME"), "F");
    const RecordedExec& a = conn.Executed[1];
    EXPECT_EQ(a.Text, "update rdb$function_arguments\r\nset rdb$description = :DESCRIPTION\r\n"
                      "where Rdb$function_name = :OBJNAME\r\nand Rdb$argument_name = :FLDNAME\r\n");
    EXPECT_EQ(Param(a, "OBJNAME"), "F");
    EXPECT_EQ(Param(a, "FLDNAME"), "X");
    EXPECT_EQ(Param(a, "DESCRIPTION"), "a description");
}

TEST_F(IBDescriptions, KindWithoutUpdateSendsNothing) {
    Describe(dboCollation, "CO", "");
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(Executed(), 0);
    EXPECT_EQ(exec.GetErrorCount(), 1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "No description statement for object kind dboCollation.");
    EXPECT_EQ(exec.GetStatement(0)->ErrorText, errors[0]);
}

TEST_F(IBDescriptions, CommentModeSendsTheStatementText) {
    exec.GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
        TUpdateDescriptionType::udComment);
    exec.AddStatement("COMMENT ON TABLE T IS\r\n'it''s :x at 12:30'", stDescription, "T", dboTable,
                      odbDescription);
    EXPECT_TRUE(exec.ExecuteScript());
    ASSERT_EQ(conn.Executed.size(), 1u);
    EXPECT_EQ(conn.Executed[0].Text, "COMMENT ON TABLE T IS\r\n'it''s :x at 12:30'\r\n");
    EXPECT_TRUE(conn.Executed[0].Params.empty());
}

TEST_F(IBDescriptions, PendingDataIsCommittedFirst) {
    exec.AddStatement("INSERT INTO T VALUES (1)", stInsert, "T", dboTable, odbInsert);
    Describe(dboTable, "T", "");
    EXPECT_TRUE(exec.ExecuteScript());
    // The insert's transaction is committed before the description's starts.
    const std::vector<std::string>& j = conn.Journal;
    auto at = [&](const std::string& e) { return std::find(j.begin(), j.end(), e) - j.begin(); };
    EXPECT_LT(at("exec INSERT INTO T VALUES (1)"), at("commit"));
    EXPECT_LT(at("commit"), at("exec update rdb$relations\r\nset rdb$description = :DESCRIPTION\r\n"
                               "where Rdb$relation_name = :TBLNAME"));
}

// ---- Loading scripts ----

TEST_F(IBSQLExecPure, EveryStatementReachesTheListInScriptOrder) {
    Load("SET SQL DIALECT 3;\n"
         "SET NAMES WIN1252;\n"
         "CREATE TABLE T (A INTEGER);\n"
         "COMMENT ON TABLE T IS 'x';\n"
         "GRANT SELECT ON T TO U1;\n"
         "ALTER INDEX IX INACTIVE;\n"
         "EXECUTE PROCEDURE P 1;\n"
         "EXECUTE STATEMENT 'select 1 from rdb$database';\n"
         "DESCRIBE TABLE NOT_HERE 'kept text';\n"
         "SET TERM ^ ;\n"
         "CREATE PROCEDURE P AS BEGIN EXIT; END^\n"
         "CREATE TRIGGER TR FOR T BEFORE INSERT AS BEGIN NEW.A = 1; END^\n"
         "SET TERM ; ^\n"
         "DROP TABLE T;\n");
    EXPECT_TRUE(HasLog("Loading script..."));
    EXPECT_EQ(log.back(), "Script loaded.");
    struct Want {
        TStatType type;
        std::string first;
        TDbOperation op;
    } want[] = {
        {stSqlDialect, "SET SQL DIALECT 3", odbSet},
        {stSetNames, "SET NAMES WIN1252", odbSet},
        {stStatement, "CREATE TABLE T (A INTEGER)", odbCreate},
        {stStatement, "COMMENT ON TABLE T IS 'x'", odbDescription},
        {stStatement, "GRANT SELECT ON T TO U1", odbCreate},
        {stStatement, "ALTER INDEX IX INACTIVE", odbAlter},
        {stStatement, "EXECUTE PROCEDURE P 1", odbUnknown},
        {stStatement, "EXECUTE STATEMENT 'select 1 from rdb$database'", odbUnknown},
        {stDescription, "DESCRIBE TABLE NOT_HERE 'kept text'", odbDescription},
        {stProcedure, "CREATE PROCEDURE P AS BEGIN EXIT; END", odbCreate},
        {stTrigger, "CREATE TRIGGER TR FOR T BEFORE INSERT AS BEGIN NEW.A = 1; END", odbCreate},
        {stStatement, "DROP TABLE T", odbDrop},
    };
    ASSERT_EQ(exec.GetStatementCount(), static_cast<int>(std::size(want)));
    for (int i = 0; i < exec.GetStatementCount(); ++i) {
        const TStatement& st = *exec.GetStatement(i);
        EXPECT_EQ(st.StatType, want[i].type) << i;
        EXPECT_EQ(Trim(st.Lines.Text()), want[i].first) << i;
        EXPECT_EQ(st.Operation, want[i].op) << i;
        EXPECT_EQ(st.Terminator, GetStatementTerminator(TDatabaseType::dbInterBase)) << i;
    }
    // A DESCRIBE of an object the script does not create keeps its own text.
    EXPECT_EQ(exec.GetStatement(8)->Description, "kept text");
    EXPECT_EQ(exec.GetIBServerOptions().GetDBCharSet(), "WIN1252");
    EXPECT_EQ(exec.GetIBServerOptions().GetSQLDialect(), 3);
    EXPECT_EQ(exec.GetIBServerOptions().GetSQLServerVersion(), TIBSQLServerVersionType::st_Firebird_30);
    EXPECT_TRUE(Messages(2).empty());
    EXPECT_EQ(exec.GetLoadErrorCount(), 0);
}

TEST_F(IBSQLExecPure, LoadingKeepsTheExecutorsSettings) {
    exec.GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
        TUpdateDescriptionType::udComment);
    Load("CONNECT 'db.fdb' USER 'u' PASSWORD 'p';\nCREATE TABLE T (A INTEGER);\n");
    EXPECT_EQ(exec.GetIBServerOptions().GetIBCompareOptions().GetUpdateDescriptionMode(),
              TUpdateDescriptionType::udComment);
    EXPECT_EQ(exec.GetConnectionOptions().GetDatabaseName(), "db.fdb");
    EXPECT_EQ(exec.GetConnectionOptions().GetUserName(), "u");
    EXPECT_EQ(exec.GetConnectionOptions().GetPassword(), "p");
    // Without SET SQL DIALECT the script is read in dialect 1.
    EXPECT_EQ(exec.GetIBServerOptions().GetSQLDialect(), 1);
}

TEST_F(IBSQLExecPure, StatementsThatAreNotRunGetAWarningWithTheirLine) {
    Load("CREATE TABLE T (A INTEGER);\n"
         "\n"
         "SELECT A FROM T;\n"
         "SET TERM ^ ;\n"
         "EXECUTE BLOCK AS BEGIN EXIT; END^\n"
         "SET TERM ; ^\n");
    ASSERT_EQ(exec.GetStatementCount(), 3);
    EXPECT_EQ(exec.GetStatement(1)->StatType, stSelect);
    EXPECT_EQ(exec.GetStatement(2)->StatType, stExecuteBlock);
    // The block runs; the SELECT, which would change nothing, is passed over with a warning.
    const std::vector<const TMsgData*> warnings = Messages(1);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0]->LineNo, 3);
    EXPECT_NE(warnings[0]->Text.find("SELECT A FROM T"), std::string::npos) << warnings[0]->Text;
    EXPECT_EQ(exec.GetLoadErrorCount(), 0);
}

TEST_F(IBSQLExecPure, LoadErrorsCountInTheNextRun) {
    TTempDir dir;
    const std::string file = dir.File("syntax.sql");
    std::ofstream(file, std::ios::binary) << "CREATE TABLE A (X INTEGER);\n"
                                             "\n"
                                             "CREAT TABLE X (A INTEGER);\n"
                                             "CREATE TABLE B (X INTEGER);\n";
    exec.LoadScriptFromFile(file);
    const int loadErrors = exec.GetLoadErrorCount();
    ASSERT_GE(loadErrors, 1);
    ASSERT_FALSE(Messages(2).empty());
    EXPECT_EQ(Messages(2)[0]->ScriptName, file);
    EXPECT_EQ(Messages(2)[0]->LineNo, 3);
    EXPECT_GT(Messages(2)[0]->ColumnNo, 0);
    ASSERT_EQ(exec.GetStatementCount(), 2);
    EXPECT_EQ(exec.GetStatement(1)->ObjName, "B");

    // BreakOnError: nothing runs.
    exec.SetBreakOnError(true);
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(Executed(), 0);
    EXPECT_TRUE(HasLog("< Break on Error! >"));
    EXPECT_EQ(log.back(), "< Script executed: " + std::to_string(loadErrors) + " errors... >");

    // Without it the statements run, and the run still fails.
    exec.SetBreakOnError(false);
    log.clear();
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(Executed(), 2);
    EXPECT_EQ(exec.GetErrorCount(), loadErrors);
    EXPECT_FALSE(HasLog("< Script executed succesfully! >"));

    // Loading again, or clearing, forgets them.
    Load("CREATE TABLE C (X INTEGER);\n");
    EXPECT_EQ(exec.GetLoadErrorCount(), 0);
    EXPECT_TRUE(exec.ExecuteScript());
    Load("CREAT TABLE X (A INTEGER);\nCREATE TABLE D (X INTEGER);\n");
    EXPECT_GT(exec.GetLoadErrorCount(), 0);
    exec.ClearStatements();
    EXPECT_EQ(exec.GetLoadErrorCount(), 0);
}

TEST_F(IBSQLExecPure, StopWhileLoadingCountsAsALoadError) {
    exec.OnStatementAdd = [](TObject*, TStatement*, bool&) { StopRequested = true; };
    Load("CREATE TABLE A (X INTEGER);\nCREATE TABLE B (X INTEGER);\nCREATE TABLE C (X INTEGER);\n");
    StopRequested = false;
    EXPECT_EQ(exec.GetStatementCount(), 1);
    EXPECT_EQ(exec.GetLoadErrorCount(), 1);
    exec.OnStatementAdd = nullptr;
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(log.back(), "< Script executed: 1 errors... >");
}

// ---- Bad input ----

TEST_F(IBSQLExecPure, MissingFile) {
    TTempDir dir;
    exec.AddStatement("CREATE TABLE OLD (A INTEGER)", stStatement, "OLD", dboTable, odbCreate);
    const std::string name = dir.File("nope.sql");
    exec.LoadScriptFromFile(name);
    EXPECT_EQ(exec.GetStatementCount(), 0);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors[0], "File not found: " + name);
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(log.back(), "Update script is empty.");
    EXPECT_EQ(Executed(), 0);
}

TEST_F(IBSQLExecPure, BadTextsGiveMessagesAndNeverAnEmptySilentList) {
    TTempDir dir;
    const std::string file = dir.File("bad.sql");
    struct Case {
        const char* name;
        std::string text;
        int line;       // line of the first kind-2 message (0: any)
        int column;     // its column
        int statements; // statements loaded (-1: as far as the parser gets)
    } cases[] = {
        {"unterminated string", "CREATE TABLE A (X INTEGER);\nINSERT INTO A VALUES ('abc);\n", 2, 23, -1},
        {"unterminated comment",
         "CREATE TABLE A (X INTEGER);\n/* never closed\nCREATE TABLE B (X INTEGER);\n", 2, 1, 1},
        {"empty terminator", "SET TERM ;\n;\nCREATE TABLE A (X INTEGER);\n", 1, 10, 1},
        {"NUL byte", std::string("CREATE TABLE A (X INTEGER);\nCREATE \0 TABLE B;\n", 45), 2, 8, 1},
        {"garbage", "CREATE TABLE A (X INTEGER);\n\x01\x02\xFE\xFF#!\n", 2, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(file, std::ios::binary) << c.text;
        exec.LoadScriptFromFile(file);
        ASSERT_FALSE(Messages(2).empty());
        EXPECT_EQ(Messages(2)[0]->ScriptName, file);
        EXPECT_EQ(Messages(2)[0]->ColumnNo, c.column);
        if (c.line) {
            EXPECT_EQ(Messages(2)[0]->LineNo, c.line);
        }
        if (c.statements >= 0) {
            EXPECT_EQ(exec.GetStatementCount(), c.statements);
        }
        EXPECT_GT(exec.GetLoadErrorCount(), 0);
        EXPECT_FALSE(exec.ExecuteScript());
    }
    // The old terminator is kept after an empty SET TERM.
    Load("SET TERM ;\n;\nCREATE TABLE A (X INTEGER);\nCREATE TABLE B (X INTEGER);\n");
    EXPECT_EQ(exec.GetStatementCount(), 2);
}

TEST_F(IBSQLExecPure, ByteOrderMarkIsSkipped) {
    TTempDir dir;
    const std::string file = dir.File("bom.sql");
    std::ofstream(file, std::ios::binary) << "\xEF\xBB\xBF"
                                          << "CREATE TABLE A (X INTEGER);\r\n";
    exec.LoadScriptFromFile(file);
    ASSERT_EQ(exec.GetStatementCount(), 1);
    EXPECT_EQ(exec.GetStatement(0)->ObjName, "A");
    EXPECT_EQ(exec.GetLoadErrorCount(), 0);
}

TEST_F(IBSQLExecPure, InputFiles) {
    TTempDir dir;
    const std::string main = dir.File("main.sql");
    std::ofstream(dir.File("inner.sql"), std::ios::binary) << "CREATE TABLE B (X INTEGER);\n";
    std::ofstream(main, std::ios::binary) << "CREATE TABLE A (X INTEGER);\nINPUT 'inner.sql';\n"
                                          << "CREATE TABLE C (X INTEGER);\n";
    exec.LoadScriptFromFile(main);
    ASSERT_EQ(exec.GetStatementCount(), 3);
    EXPECT_EQ(exec.GetStatement(0)->ObjName, "A");
    EXPECT_EQ(exec.GetStatement(1)->ObjName, "B");
    EXPECT_EQ(exec.GetStatement(2)->ObjName, "C");
    EXPECT_EQ(exec.GetLoadErrorCount(), 0);

    // A missing file, and a file that includes itself: messages with file and line, no hang.
    std::ofstream(main, std::ios::binary) << "CREATE TABLE A (X INTEGER);\nINPUT 'missing.sql';\n";
    exec.LoadScriptFromFile(main);
    ASSERT_EQ(Messages(2).size(), 1u);
    EXPECT_EQ(Messages(2)[0]->LineNo, 2);
    EXPECT_NE(Messages(2)[0]->Text.find("missing.sql"), std::string::npos) << Messages(2)[0]->Text;
    EXPECT_EQ(exec.GetStatementCount(), 1);

    std::ofstream(main, std::ios::binary) << "CREATE TABLE A (X INTEGER);\n\nINPUT 'main.sql';\n";
    exec.LoadScriptFromFile(main);
    ASSERT_EQ(Messages(2).size(), 1u);
    EXPECT_EQ(Messages(2)[0]->LineNo, 3);
    EXPECT_EQ(Messages(2)[0]->ScriptName, main);
    EXPECT_EQ(exec.GetStatementCount(), 1);
}

TEST_F(IBSQLExecPure, ExecuteStatementWithoutConnection) {
    TIBSQLExec alone;
    alone.SetName("Alone");
    std::vector<std::string> errs;
    alone.OnErrorMessage = [&](TObject*, const std::string& t) { errs.push_back(t); };
    TStatement* st = alone.AddStatement("CREATE TABLE T (A INTEGER)", stStatement, "T", dboTable, odbCreate);
    EXPECT_FALSE(alone.ExecuteStatement(st));
    ASSERT_EQ(errs.size(), 1u);
    EXPECT_EQ(errs[0], "TIBSQLExec(Alone): Connection property not assigned.");
    EXPECT_FALSE(alone.ExecuteStatement(nullptr));
}

} // namespace
} // namespace smx::test
