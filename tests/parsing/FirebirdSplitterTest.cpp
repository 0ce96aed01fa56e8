// The InterBase parser as the splitter of real Firebird 3 scripts: isql-fb's extract of a fixture
// database (a checked domain, an exception, generators, a table with a primary key and a computed
// column, a view, a procedure and a trigger with ";" inside comments of their bodies, a role, grants
// and comments holding a quote) parses without an error; its statements, fed one by one to the
// generic executor over the InterBase connection, build a new database whose extract equals the
// first. And a name holding a double quote survives parsing and re-quoting.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/smxSQL_Exec.h"
#include "tests/database/IBXTestSupport.h"
#include "tests/parsing/ParserTestSupport.h"

namespace smx::test {
namespace {

using enum TIBSQLServerVersionType;

constexpr const char* FixtureDDL = R"SQL(
CREATE DOMAIN D_POS AS INTEGER CHECK (VALUE > 0);
CREATE EXCEPTION E_BAD 'It''s bad; really';
CREATE GENERATOR G1;
CREATE SEQUENCE S2;
SET GENERATOR G1 TO 42;
CREATE TABLE T (ID D_POS NOT NULL, A VARCHAR(20), B INTEGER, C COMPUTED BY (B * 2),
  CONSTRAINT PK_T PRIMARY KEY (ID));
CREATE VIEW V AS SELECT ID, A FROM T;
SET TERM ^ ;
CREATE PROCEDURE P (X INTEGER) RETURNS (Y INTEGER) AS
BEGIN
  /* a comment; with a semicolon */
  Y = X + 1; -- line comment; here
  SUSPEND;
END^
CREATE TRIGGER TR FOR T BEFORE INSERT AS
BEGIN
  -- ; in a comment
  IF (NEW.B IS NULL) THEN NEW.B = GEN_ID(G1, 1); /* ; */
END^
SET TERM ; ^
CREATE ROLE R1;
GRANT SELECT ON T TO R1;
GRANT EXECUTE ON PROCEDURE P TO USER U1;
GRANT R1 TO U2;
COMMENT ON TABLE T IS 'It''s a table';
COMMENT ON COLUMN T.A IS 'col ''a''';
COMMENT ON DOMAIN D_POS IS 'positive';
COMMIT;
)SQL";

/// isql-fb's metadata extract of the database.
std::string Extract(const std::string& Path) {
    return RunCommand("isql-fb -x " + ShellQuote(Path) + " -user SYSDBA");
}

/// The extract without its CREATE DATABASE comment (which names the file).
std::string WithoutCreateDatabase(const std::string& Text) {
    std::istringstream In(Text);
    std::string R;
    for (std::string Line; std::getline(In, Line);)
        if (Line.rfind("/* CREATE DATABASE ", 0) != 0) R += Line + "\n";
    return R;
}

/// An executor on a connection to the database, as the Firebird tests set them up.
struct ExecOn {
    explicit ExecOn(const std::string& Path) : IbDb(MakeIBDatabase(Path, "UTF8")) {
        Conn.SetDatabase(IbDb.get());
        Exec.SetDatabaseType(TDatabaseType::dbInterBase);
        Exec.GetIBServerOptions().SetSQLServerVersion(st_Firebird_30);
        Exec.GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
            TUpdateDescriptionType::udComment);
        Exec.SetSMXConnection(&Conn);
        Exec.OnErrorMessage = [this](TObject*, const std::string& T) { Errors.push_back(T); };
    }
    std::unique_ptr<TIBDatabase> IbDb;
    TSMXConnectionIBX Conn;
    TSQLExec Exec;
    std::vector<std::string> Errors;
};

TEST(FirebirdSplitter, ExtractParsesAndRebuildsTheSameDatabase) {
    TTestDatabase Fixture(CreateDatabaseSql(FixtureDDL, "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8"),
                          "fixture.fdb");
    const std::string X = Extract(Fixture.Path());
    ASSERT_NE(X.find("CREATE TRIGGER TR"), std::string::npos) << X;
    const std::string XFile = Fixture.Dir().File("x.sql");
    std::ofstream(XFile, std::ios::binary) << X;

    TIbSetup Setup(st_Firebird_30, 3);
    TIbParser Parser;
    TRecorder Rec(Parser);
    Parser.ParseFile(XFile, &Setup.Objs());
    ASSERT_TRUE(Rec.Errors().empty()) << Rec.Transcript;
    // The bodies came through whole, ";" in their comments included.
    bool SawTrigger = false;
    for (const TReport& R : Rec.Reports)
        if (R.Name == "TR") {
            SawTrigger = true;
            EXPECT_NE(R.Text.find("/* ; */\nEND"), std::string::npos) << R.Text;
        }
    EXPECT_TRUE(SawTrigger);

    TTestDatabase Target(CreateDatabaseSql("", "DEFAULT CHARACTER SET UTF8"), "target.fdb");
    ExecOn E(Target.Path());
    for (const TReport& R : Rec.Reports)
        E.Exec.AddStatement(R.Text, R.Type, R.Name, R.Kind, R.Op, R.Parent);
    EXPECT_TRUE(E.Exec.ExecuteScript());
    EXPECT_EQ(E.Exec.GetErrorCount(), 0);
    EXPECT_TRUE(E.Errors.empty()) << E.Errors.front();
    E.Conn.SetConnected(false);

    const std::string Y = Extract(Target.Path());
    ASSERT_NE(Y.find("COMMENT ON"), std::string::npos) << Y;
    EXPECT_EQ(WithoutCreateDatabase(Y), WithoutCreateDatabase(X));
}

TEST(FirebirdSplitter, NameWithADoubleQuoteIsDroppedByItsQuotedText) {
    TTestDatabase Db(CreateDatabaseSql("CREATE TABLE \"a\"\"b\" (X INTEGER);\nCOMMIT;\n"), "q.fdb");
    ASSERT_EQ(ReadColumnElsewhere(Db.Path(),
                                  "select rdb$relation_name from rdb$relations where rdb$system_flag = 0"),
              std::vector<std::string>{"a\"b"});
    TIbSetup Setup(st_Firebird_30, 3);
    TIbParser Parser;
    TRecorder Rec(Parser);
    Parser.ParseScript(LinesOf("SET SQL DIALECT 3;\nDROP TABLE \"a\"\"b\";"), &Setup.Objs());
    ASSERT_EQ(Rec.Reports.size(), 2u);
    const std::string Name = Rec.Reports[1].Name;
    EXPECT_EQ(Name, "a\"b");
    const std::string Quoted = QuoteIdentifier(Name, TDatabaseType::dbInterBase, st_Firebird_30, 3);
    EXPECT_EQ(Quoted, "\"a\"\"b\"");
    ExecOn E(Db.Path());
    E.Exec.AddStatement("DROP TABLE " + Quoted, TStatType::stStatement, Name, TDbObject::dboTable,
                        TDbOperation::odbDrop);
    EXPECT_TRUE(E.Exec.ExecuteScript());
    E.Conn.SetConnected(false);
    EXPECT_TRUE(ReadColumnElsewhere(Db.Path(),
                                    "select rdb$relation_name from rdb$relations where rdb$system_flag = 0")
                    .empty());
}

} // namespace
} // namespace smx::test
