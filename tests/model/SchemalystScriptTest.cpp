// Whole update scripts of pairs of structures built in code, rendered by the generic executor for
// an InterBase target at Firebird 3.0: exact texts for new, dropped and extended tables, dropped
// columns and a changed character set; equal structures give only the header; a repeated
// comparison gives the same text.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "tests/model/SchemalystTestSupport.h"

namespace smx::cmptest {
namespace {

using Strings = std::vector<std::string>;

const Strings Header = {"SET NAMES UTF8;",
                        "",
                        "SET SQL DIALECT 3;",
                        "",
                        "CONNECT '/data/x/t.fdb' USER 'SYSDBA' PASSWORD 'pw';",
                        "",
                        "SET AUTODDL ON;",
                        ""};

Strings WithHeader(const Strings& body) {
    Strings r = Header;
    r.insert(r.end(), body.begin(), body.end());
    return r;
}

// Master tables A and B(ID, X); target tables B(ID, Y) and C.
void FillCheckTables(Rig& r) {
    AddTable(r.master.Objs(), "A", {"ID"});
    AddTable(r.master.Objs(), "B", {"ID", "X"});
    AddTable(r.target.Objs(), "B", {"ID", "Y"});
    AddTable(r.target.Objs(), "C", {"ID"});
}

// The texts of the executable statements, in order.
Strings Executable(const TCustomSQLExec& exec) {
    Strings r;
    for (int i = 0; i < exec.GetStatementCount(); ++i) {
        const TStatement* st = exec.GetStatement(i);
        if (st->StatType != TStatType::stStatement) continue;
        std::string text = st->Lines.Text();
        r.push_back(text.substr(0, text.size() - 2));
    }
    return r;
}

struct GoldenCase {
    const char* name;
    std::function<void(Rig&)> fill;
    Strings expected; // after the header
};

TEST(SchemalystScript, GoldenScripts) {
    const std::vector<GoldenCase> cases = {
        {"equal structures",
         [](Rig& r) {
             AddTable(r.master.Objs(), "T", {"ID"});
             AddTable(r.target.Objs(), "T", {"ID"});
         },
         {}},
        {"new table",
         [](Rig& r) {
             TTblData* t = AddTable(r.master.Objs(), "T", {"ID"});
             AddColumn(t, "NAME", VarcharType, 10);
         },
         {"/* Create Table... */", "CREATE TABLE T(ID INTEGER,", "NAME VARCHAR(10));", "", "", ""}},
        {"dropped table",
         [](Rig& r) { AddTable(r.target.Objs(), "OLD", {"ID"}); },
         {"/* Drop tables... */", "DROP TABLE OLD;", "", ""}},
        {"added column",
         [](Rig& r) {
             TTblData* t = AddTable(r.master.Objs(), "T", {"ID"});
             AddColumn(t, "NAME", VarcharType, 20);
             AddTable(r.target.Objs(), "T", {"ID"});
         },
         // A table whose columns changed gets the master's column positions at the end.
         {"ALTER TABLE T ADD NAME VARCHAR(20);", "", "ALTER TABLE T ALTER COLUMN ID POSITION 1;", "",
          "ALTER TABLE T ALTER COLUMN NAME POSITION 2;", ""}},
        {"dropped column",
         [](Rig& r) {
             AddTable(r.master.Objs(), "T", {"ID"});
             AddTable(r.target.Objs(), "T", {"ID", "X"});
         },
         {"/* Drop table-fields... */", "ALTER TABLE T DROP X;", "", "", "ALTER TABLE T ALTER COLUMN ID POSITION 1;",
          ""}},
    };
    for (const GoldenCase& c : cases) {
        Rig r;
        r.InterBase();
        r.Wire();
        c.fill(r);
        r.cmp.CompareStructures();
        const Strings first = ScriptLines(*r.cmp.GetSQLExec());
        EXPECT_EQ(first, WithHeader(c.expected)) << c.name;
        r.cmp.CompareStructures();
        EXPECT_EQ(ScriptLines(*r.cmp.GetSQLExec()), first) << c.name << " (second comparison)";
    }
}

TEST(SchemalystScript, ChangedCharacterSet) {
    Rig r;
    r.InterBase("UTF8");
    r.target.GetIBServerOptions().SetDBCharSet("WIN1252");
    r.cmp.GetIBCompareOptions().SetDbCharsetCompare(true);
    r.Wire();
    r.cmp.CompareStructures();
    EXPECT_EQ(ScriptLines(*r.cmp.GetSQLExec()),
              (Strings{"SET NAMES WIN1252;", "", "SET SQL DIALECT 3;", "",
                       "CONNECT '/data/x/t.fdb' USER 'SYSDBA' PASSWORD 'pw';", "", "SET AUTODDL ON;", "",
                       "ALTER DATABASE SET DEFAULT CHARACTER SET UTF8;", "", "/* Database charset: UTF8 */",
                       "SET NAMES UTF8;", "", "RECONNECT;", ""}));
}

TEST(SchemalystScript, TablesOfBothSidesInStepOrder) {
    Rig r;
    r.InterBase();
    r.Wire();
    FillCheckTables(r);
    r.cmp.CompareStructures();
    const Strings got = Executable(*r.cmp.GetSQLExec());
    EXPECT_EQ(got, (Strings{"CREATE TABLE A(ID INTEGER)", "ALTER TABLE B ADD X INTEGER", "ALTER TABLE B DROP Y",
                            "DROP TABLE C", "ALTER TABLE B ALTER COLUMN ID POSITION 1",
                            "ALTER TABLE B ALTER COLUMN X POSITION 2"}));
    EXPECT_EQ(r.cmp.GetSQLExec()->GetHasExecutableStatements(), 1);

    // Clearing and refilling the master leaves no partner into freed objects; B is dropped now.
    r.master.Clear();
    AddTable(r.master.Objs(), "A", {"ID"});
    r.cmp.CompareStructures();
    EXPECT_EQ(r.target.Objs().FindObject(TObjsList::olTables, "B")->GetPartner(), nullptr);
    EXPECT_EQ(Executable(*r.cmp.GetSQLExec()),
              (Strings{"CREATE TABLE A(ID INTEGER)", "DROP TABLE B", "DROP TABLE C"}));
}

TEST(SchemalystScript, NoKindsComparedGivesOnlyTheHeader) {
    Rig r;
    r.InterBase();
    r.Wire();
    FillCheckTables(r);
    r.cmp.SetCompareObjects(TCmpObjSetType{});
    r.cmp.CompareStructures();
    EXPECT_EQ(ScriptLines(*r.cmp.GetSQLExec()), Header);
}

TEST(SchemalystScript, GenerateCommitOnTheComparerRulesTheFirstScript) {
    Rig r;
    r.InterBase();
    r.Wire();
    FillCheckTables(r);
    r.cmp.GetIBCompareOptions().SetGenerateCOMMIT(true);
    r.cmp.CompareStructures();
    const Strings lines = ScriptLines(*r.cmp.GetSQLExec());
    int ddl = 0, commits = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_NE(lines[i], "SET AUTODDL ON;");
        if (lines[i].rfind("CREATE TABLE", 0) == 0 || lines[i].rfind("ALTER TABLE", 0) == 0 ||
            lines[i].rfind("DROP TABLE", 0) == 0) {
            ++ddl;
            // The statement may span lines: its COMMIT follows the line that ends it.
            std::size_t end = i;
            while (end < lines.size() && (lines[end].empty() || lines[end].back() != ';'))
                ++end;
            ASSERT_LT(end + 2, lines.size());
            EXPECT_EQ(lines[end + 1], "") << lines[i];
            EXPECT_EQ(lines[end + 2], "COMMIT WORK;") << lines[i];
        }
        if (lines[i] == "COMMIT WORK;") ++commits;
    }
    EXPECT_EQ(ddl, 6); // four table statements and B's two column positions
    EXPECT_GE(commits, ddl);
}

TEST(SchemalystScript, ThrowInTableStepPropagatesAndKeepsWhatWasAdded) {
    Rig r;
    r.InterBase();
    r.Wire();
    FillCheckTables(r);
    TSQLExec exec;
    exec.SetDatabaseType(TDatabaseType::dbInterBase);
    exec.OnStatementAdd = [](TObject*, TStatement* st, bool&) {
        if (st->Lines.Count() > 0 && st->Lines[0].rfind("ALTER TABLE B DROP", 0) == 0)
            throw std::runtime_error("refused");
    };
    r.cmp.SetSQLExec(&exec);
    EXPECT_THROW(r.cmp.CompareStructures(), std::runtime_error);
    EXPECT_EQ(Executable(exec), (Strings{"CREATE TABLE A(ID INTEGER)", "ALTER TABLE B ADD X INTEGER"}));
    EXPECT_EQ(r.master.Objs().Comparing, 0);
    r.cmp.SetSQLExec(nullptr);
}

} // namespace
} // namespace smx::cmptest
