// Structures read from scripts, compared: the order of the key and index statements and the gates
// of the sequence, with every dependency coming from the parser and its link passes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parsing/smxIBParser.h"
#include "tests/model/KeysTestSupport.h"

namespace smx {
namespace {

using namespace smx::keytest;
using enum TCmpObjType;
using Strings = std::vector<std::string>;

void ParseInto(TDBStructure& s, const std::string& script) {
    Prepare(s);
    TIbParser p;
    p.ReadFileHook = [script](const std::string&, std::string& bytes) {
        bytes = script;
        return TFileReadStatus::frOk;
    };
    p.OnErrorMessage = [](TObject*, const std::string&) {};
    p.ParseFile("s.sql", s.Objs());
    ASSERT_FALSE(p.GetMsgManager().HasErrors()) << p.GetMsgManager()[0].Text;
    p.LinkObjects();
}

// Master and target parsed from their scripts, compared into a recorded generic executor.
struct ParsedCompare : TCompareRun {
    ParsedCompare(const std::string& masterScript, const std::string& targetScript) {
        ParseInto(master, masterScript);
        ParseInto(target, targetScript);
    }
};

const char* const TargetScript =
    "CREATE TABLE T (ID INTEGER NOT NULL, A INTEGER NOT NULL, CONSTRAINT PK_T PRIMARY KEY (ID),\n"
    "  CONSTRAINT UQ_OLD UNIQUE (A));\n"
    "CREATE INDEX IX_OLD ON T (A);\n";
const char* const MasterScript =
    "CREATE TABLE T (ID INTEGER NOT NULL, A INTEGER NOT NULL, CONSTRAINT PK_T PRIMARY KEY (ID));\n"
    "CREATE TABLE N (ID INTEGER NOT NULL PRIMARY KEY, T_ID INTEGER, V INTEGER NOT NULL UNIQUE,\n"
    "  W INTEGER DEFAULT 0);\n"
    "ALTER TABLE N ADD CONSTRAINT FK_N FOREIGN KEY (T_ID) REFERENCES T ON DELETE CASCADE;\n"
    "ALTER TABLE N ADD CONSTRAINT CK_N CHECK (V > 0);\n"
    "CREATE INDEX IX_N ON N (V);\n";

TEST(ParsedKeySteps, OrderOfTheSequence) {
    ParsedCompare c(MasterScript, TargetScript);
    c.Run();
    const TRecorder& r = c.rec;
    const std::vector<int> order = {
        r.Find("ALTER TABLE T DROP CONSTRAINT UQ_OLD"),
        r.Contains("DROP INDEX IX_OLD"),
        r.Find("CREATE TABLE N"),
        r.Find("CREATE INDEX IX_N ON N(V)"),
        r.Find("ALTER TABLE N ADD PRIMARY KEY (ID)"),
        r.Find("ALTER TABLE N ADD UNIQUE (V)"),
        r.Find("RECONNECT", r.Find("ALTER TABLE N ADD UNIQUE (V)")),
        r.Find("ALTER TABLE N ADD CONSTRAINT FK_N FOREIGN KEY (T_ID) REFERENCES T (ID) ON DELETE CASCADE"),
        r.Find("ALTER TABLE N ADD CONSTRAINT CK_N CHECK (V > 0)"),
    };
    for (std::size_t i = 0; i < order.size(); ++i)
        ASSERT_GE(order[i], 0) << "step " << i << "\n" << c.Script();
    for (std::size_t i = 1; i < order.size(); ++i)
        EXPECT_LT(order[i - 1], order[i]) << "step " << i << "\n" << c.Script();
    // The key that stayed is neither dropped nor created.
    EXPECT_EQ(r.Contains("PK_T"), -1) << c.Script();
}

TEST(ParsedKeySteps, PrimaryKeysAloneAndNoDefaults) {
    ParsedCompare c(
        "CREATE TABLE T (ID INTEGER NOT NULL, A INTEGER NOT NULL);\n"
        "ALTER TABLE T ADD CONSTRAINT PK_T PRIMARY KEY (ID) USING DESC INDEX IX_PK_T;\n"
        "ALTER TABLE T ADD CONSTRAINT UQ_T UNIQUE (A);\n"
        "CREATE TABLE U (ID INTEGER NOT NULL, T_A INTEGER);\n"
        "ALTER TABLE U ADD CONSTRAINT FK_U FOREIGN KEY (T_A) REFERENCES T (A);\n"
        "ALTER TABLE U ADD CONSTRAINT CK_U CHECK (ID > 0);\n",
        "CREATE TABLE T (ID INTEGER NOT NULL, A INTEGER NOT NULL, CONSTRAINT PK_T PRIMARY KEY (ID));\n"
        "CREATE TABLE U (ID INTEGER NOT NULL, T_A INTEGER);\n");
    c.cmp.SetCompareObjects({coPrimaryKey});
    c.Run();
    EXPECT_EQ(c.rec.Statements(),
              (Strings{"RECONNECT", "ALTER TABLE T DROP CONSTRAINT PK_T",
                       "ALTER TABLE T ADD CONSTRAINT PK_T PRIMARY KEY (ID)\r\nUSING DESC INDEX IX_PK_T"}))
        << c.Script();
    // Defaults alone with checks not compared: nothing.
    c.cmp.SetCompareObjects({coPrimaryKey, coUnique, coForeignKey});
    c.cmp.LinkStructures();
    c.master.Objs()->SetSQLExec(&c.exec);
    c.exec.ClearStatements();
    c.rec.seen.clear();
    CreateConstraints(&c.cmp, 32);
    EXPECT_TRUE(c.rec.seen.empty());
}

} // namespace
} // namespace smx
