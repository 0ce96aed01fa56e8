// The object routines of the InterBase parser against a real Firebird 3 database: the texts the
// parsed objects write are statements the server runs.
#include <gtest/gtest.h>

#include <string>

#include "model/smxComp_Rol.h"
#include "tests/parsing/ParserTestSupport.h"
#include "tests/support/smxTestDb.h"

namespace smx::test {
namespace {

using enum TIBSQLServerVersionType;

TEST(ObjectsOnFirebird, ParsedGrantsWriteStatementsTheServerRuns) {
    TIbSetup Setup(st_Firebird_30, 3);
    TIbParser P;
    TRecorder Rec(P);
    P.ParseScript(LinesOf("SET SQL DIALECT 3;\n"
                          "CREATE ROLE R;\n"
                          "GRANT UPDATE (A, B) ON T TO USER U WITH GRANT OPTION;\n"
                          "GRANT UPDATE (B) ON T TO USER U WITH GRANT OPTION;\n"
                          "GRANT SELECT ON T TO ROLE R;\n"
                          "GRANT ALL PRIVILEGES ON T TO PUBLIC;\n"
                          "GRANT R TO U WITH ADMIN OPTION;\n"),
                  &Setup.Objs());
    ASSERT_TRUE(Rec.Errors().empty()) << Rec.Transcript;
    TStringList& Grants = Setup.Objs().Grants();
    ASSERT_EQ(Grants.Count(), 4); // the two column grants merged
    std::string Script = "CREATE TABLE T (A INTEGER, B INTEGER);\nCREATE ROLE R;\n";
    for (int i = 0; i < Grants.Count(); ++i)
        Script += dynamic_cast<TGntData*>(Grants.Objects(i))->GetCreateSQL() + ";\n";
    EXPECT_NE(Script.find("GRANT UPDATE (A, B) ON T TO U WITH GRANT OPTION;"), std::string::npos) << Script;
    TTestDatabase Db(CreateDatabaseSql(), "grants.fdb");
    const TIsqlResult R = Db.Run(Script + "COMMIT;\n");
    EXPECT_TRUE(R.Ok()) << Script << R.Output;
}

} // namespace
} // namespace smx::test
