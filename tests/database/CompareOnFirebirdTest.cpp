// Update scripts of the comparer run on real Firebird 3 databases: a script of new, extended and
// dropped tables with a description run by isql-fb; a master of three tables created in an empty
// database through the executor on the InterBase connection; the default character set changed.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/database/IBXTestSupport.h"
#include "tests/model/SchemalystTestSupport.h"

namespace smx::test {
namespace {

using namespace smx::cmptest;
using Strings = std::vector<std::string>;

Strings UserRelations(const std::string& path) {
    return ReadColumnElsewhere(path, "select rdb$relation_name from rdb$relations where rdb$system_flag = 0 "
                                     "order by rdb$relation_name");
}

Strings FieldsOf(const std::string& path, const std::string& table) {
    return ReadColumnElsewhere(path,
                               "select rdb$field_name from rdb$relation_fields where rdb$relation_name = '" +
                                   table + "' order by rdb$field_position");
}

TEST(CompareOnFirebird, TableScriptRunsOnIsql) {
    TTestDatabase db(CreateDatabaseSql("CREATE TABLE B (ID INTEGER NOT NULL, Y VARCHAR(10));\n"
                                       "CREATE TABLE C (ID INTEGER);\n",
                                       "PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8"),
                     "t.fdb");
    Rig r;
    r.TargetDatabase(db.Path());
    // isql knows no RECONNECT: both the comparer and the target ask for CONNECT.
    r.cmp.GetIBCompareOptions().SetUseRECONNECT(false);
    r.target.GetIBServerOptions().GetIBCompareOptions().SetUseRECONNECT(false);
    TTblData* a = AddTable(r.master.Objs(), "A", {"ID"});
    a->SetDescription("The new table");
    TTblData* mb = AddTable(r.master.Objs(), "B", {"ID", "X"});
    mb->Field(0)->Nullable = false;
    TTblData* tb = AddTable(r.target.Objs(), "B", {"ID"});
    tb->Field(0)->Nullable = false;
    AddColumn(tb, "Y", VarcharType, 10);
    AddTable(r.target.Objs(), "C", {"ID"});

    r.cmp.CompareStructures();
    TStringList lines;
    r.cmp.GetSQLExec()->GetScriptLines(lines, false);
    const std::string file = db.Dir().File("update.sql");
    std::ofstream(file, std::ios::binary) << lines.Text();
    const TIsqlResult run = RunIsqlFile(file);
    ASSERT_TRUE(run.Ok()) << run.Output << "\n" << lines.Text();
    EXPECT_EQ(run.Output.find("Statement failed"), std::string::npos) << run.Output;

    EXPECT_EQ(UserRelations(db.Path()), (Strings{"A", "B"}));
    EXPECT_EQ(FieldsOf(db.Path(), "B"), (Strings{"ID", "X"}));
    EXPECT_EQ(ReadColumnElsewhere(db.Path(),
                                  "select rdb$description from rdb$relations where rdb$relation_name = 'A'"),
              Strings{"The new table"});
}

TEST(CompareOnFirebird, ThreeTablesThroughTheExecutor) {
    TTestDatabase db(CreateDatabaseSql({}, "PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8"), "t.fdb");
    Rig r;
    r.TargetDatabase(db.Path());
    for (const char* name : {"T1", "T2", "T3"}) {
        TTblData* t = AddTable(r.master.Objs(), name, {"ID"});
        t->Field(0)->Nullable = false;
        AddColumn(t, "NAME", VarcharType, 30);
    }
    std::unique_ptr<TIBDatabase> ibdb = MakeIBDatabase(db.Path(), "UTF8");
    TSMXConnectionIBX conn;
    conn.SetDatabase(ibdb.get());
    TSQLExec exec;
    exec.SetDatabaseType(TDatabaseType::dbInterBase);
    exec.SetSMXConnection(&conn);
    Strings log;
    exec.OnLogNextLine = [&](TObject*, const std::string& t) { log.push_back(t); };
    exec.OnErrorMessage = [&](TObject*, const std::string& t) { r.errors.push_back(t); };
    r.cmp.SetSQLExec(&exec);

    r.cmp.CompareStructures();
    EXPECT_TRUE(exec.ExecuteScript()) << (r.errors.empty() ? "" : r.errors.front());
    EXPECT_EQ(exec.GetErrorCount(), 0);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "< Script executed succesfully! >");
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    EXPECT_EQ(UserRelations(db.Path()), (Strings{"T1", "T2", "T3"}));
    EXPECT_EQ(FieldsOf(db.Path(), "T2"), (Strings{"ID", "NAME"}));
    r.cmp.SetSQLExec(nullptr);
}

TEST(CompareOnFirebird, DefaultCharacterSetBecomesTheMasters) {
    TTestDatabase db(CreateDatabaseSql({}, "PAGE_SIZE 4096 DEFAULT CHARACTER SET NONE"), "t.fdb");
    Rig r;
    r.TargetDatabase(db.Path());
    r.target.GetIBServerOptions().SetDBCharSet("NONE");
    r.cmp.GetIBCompareOptions().SetDbCharsetCompare(true);
    r.cmp.GetIBCompareOptions().SetUseRECONNECT(false);
    r.cmp.CompareStructures();
    TStringList lines;
    r.cmp.GetSQLExec()->GetScriptLines(lines, false);
    const std::string file = db.Dir().File("charset.sql");
    std::ofstream(file, std::ios::binary) << lines.Text();
    const TIsqlResult run = RunIsqlFile(file);
    ASSERT_TRUE(run.Ok()) << run.Output << "\n" << lines.Text();
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$character_set_name from rdb$database"),
              Strings{"UTF8"});
}

} // namespace
} // namespace smx::test
