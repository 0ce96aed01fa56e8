// The collation, generator, exception, external-function, role, grant and package texts and
// compare steps on real Firebird 3 databases: every InterBase text runs in isql-fb, an update
// script between code-built structures turns a target made with isql-fb into the master's shape,
// and a structure script with these kinds runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/smxComp_Prc.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "tests/database/IBXTestSupport.h"
#include "tests/model/KeysTestSupport.h"
#include "tests/model/ObjectKindsTestSupport.h"

namespace smx::test {
namespace {

using enum TDbObject;
using Strings = std::vector<std::string>;


// isql-fb -x of the database without its CREATE DATABASE comment line and without CR.
std::string Extract(const std::string& path, const std::string& env = {}) {
    std::string out = RunCommand(env + "isql-fb -x " + ShellQuote(path));
    std::string r;
    for (const std::string& line : SplitLines(out))
        if (line.rfind("/* CREATE DATABASE", 0) != 0) r += line + "\n";
    r.erase(std::remove(r.begin(), r.end(), '\r'), r.end());
    return r;
}

std::string Joined(const Strings& lines, const char* sep = "\n") {
    std::string s;
    for (const std::string& l : lines)
        s += l + sep;
    return s;
}

// The InterBase CREATE, ALTER, description and DROP texts of collations, generators, exceptions,
// external functions, roles, a package and grants, run in that order in one isql-fb session.
TEST(ObjectKindsOnFirebird, EveryInterBaseTextRuns) {
    using namespace priv;
    TTestDatabase db(
        CreateDatabaseSql("CREATE TABLE T (ID INTEGER NOT NULL, NAME VARCHAR(10));\n"
                          "CREATE VIEW V (ID, NAME) AS SELECT ID, NAME FROM T;\n"
                          "SET TERM ^ ;\n"
                          "CREATE TRIGGER TRG FOR T ACTIVE BEFORE INSERT POSITION 0 AS BEGIN END^\n"
                          "CREATE PROCEDURE Q AS BEGIN EXIT; END^\n"
                          "SET TERM ; ^\n",
                          "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8"),
        "t.fdb");
    KindObjs o;
    o.GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
    auto collation = [&](const std::string& name, const std::string& charset, const std::string& base) {
        auto* c = File(o, Make<TCltData>(&o, name));
        c->CharSet = charset;
        c->BaseCollation = base;
        c->SetDescription("collation " + name);
        return c;
    };
    TCltData* ci = collation("C_CI", "UTF8", "UNICODE");
    ci->CaseSensitive = false;
    TCltData* num = collation("C_NUM", "UTF8", "UNICODE");
    num->CaseSensitive = false;
    num->SpecificAttributes = "NUMERIC-SORT=1";
    TCltData* ext = collation("C_EXT", "WIN1252", "");
    ext->ExternalName = "PXW_INTL";
    TGnrData* g1 = File(o, Make<TGnrData>(&o, "G1"));
    g1->SetDescription("the generator");
    TExcData* e1 = File(o, Exception(o, "E1", "it's bad"));
    e1->SetDescription("the exception");
    TExcData* e1new = Exception(o, "E1", "new msg");
    TUdfData* f = File(o, Udf(o, "F_UDF", {1, 56}, 1, true, "x_entry", "ib_udf"));
    f->SetDescription("the function");
    TRolData* r1 = File(o, Role(o, "R1", 0, "SYSDBA"));
    r1->SetDescription("the role");
    TRolData* r2 = File(o, Role(o, "R2"));
    const std::string header = "BEGIN\r\n  FUNCTION F(X INTEGER) RETURNS INTEGER;\r\nEND";
    const std::string body =
        "BEGIN\r\n  FUNCTION F(X INTEGER) RETURNS INTEGER AS BEGIN RETURN X + 1; END\r\nEND";
    TPkgData* pk = File(o, Package(o, "PK1", header, body));
    TGntData* cols = Grant(o, Update, "T", dboTable, "U3");
    cols->Columns.Add("ID");
    cols->Columns.Add("NAME");
    const std::vector<TGntData*> grants = {
        File(o, cols),
        File(o, Grant(o, Select, "T", dboTable, "R1", dboRole)),
        File(o, Grant(o, Select, "T", dboTable, "V", dboView)),
        File(o, Grant(o, Select, "T", dboTable, "TRG", dboTrigger)),
        File(o, Grant(o, Usage, "G1", dboGenerator, "U1")),
        File(o, Grant(o, Usage, "E1", dboException, "U1")),
        File(o, Grant(o, Select, "V", dboView, "U1")),
        File(o, Grant(o, Execute, "Q", dboProcedure, "U1", dboUser, 1)),
        File(o, Grant(o, Execute, "PK1", dboPackage, "U1")),
        File(o, Membership(o, "R2", "U2", 2)),
    };

    Strings script;
    for (TDbObj* obj : std::vector<TDbObj*>{ci, num, ext, g1, e1, f, r1, r2})
        script.push_back(obj->GetCreateSQL() + ";");
    script.push_back(e1new->GetAlterSQL() + ";");
    delete e1new;
    for (TDbObj* obj : std::vector<TDbObj*>{ci, g1, e1, f, r1})
        script.push_back(obj->GetDescriptionSQL() + ";");
    script.push_back("SET TERM ^ ;");
    script.push_back(pk->GetCreateSQL() + "\r\n^");
    script.push_back("SET TERM ; ^");
    for (TGntData* g : grants)
        script.push_back(g->GetCreateSQL() + ";");
    for (TGntData* g : grants)
        script.push_back(g->GetDropSQL() + ";");
    // What only the option's revoke leaves behind.
    script.push_back(grants[7]->RevokeText(3, false) + ";");
    script.push_back(grants[9]->RevokeText(3, false) + ";");
    for (TDbObj* obj : std::vector<TDbObj*>{pk, r1, r2, f, e1, g1, ci, num, ext})
        script.push_back(obj->GetDropSQL() + ";");
    const std::string text = Joined(script, "\r\n");
    const TIsqlResult run = db.Run(text);
    ASSERT_TRUE(run.Ok()) << run.Output << "\n" << text;
    EXPECT_EQ(run.Output.find("Statement failed"), std::string::npos) << run.Output;
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select count(*) from rdb$user_privileges where rdb$user in "
                                             "('U1', 'U2', 'U3', 'R1', 'V', 'TRG')"),
              Strings{"0"});
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select count(*) from rdb$collations where rdb$collation_name "
                                             "starting with 'C_'"),
              Strings{"0"});
}

TEST(ObjectKindsOnFirebird, ExternalFunctionIsDeclaredDroppedAndDeclaredAgain) {
    TTestDatabase db(CreateDatabaseSql({}, "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8"), "t.fdb");
    KindObjs o;
    TUdfData* f = File(o, Udf(o, "F_UDF", {1, 56}, 1, true, "x_entry", "ib_udf"));
    const TIsqlResult run = db.Run(f->GetCreateSQL() + ";\r\nCOMMIT;\r\n" + f->GetDropSQL() +
                                   ";\r\nCOMMIT;\r\n" + f->GetCreateSQL() + ";\r\n");
    ASSERT_TRUE(run.Ok()) << run.Output;
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$module_name from rdb$functions where "
                                             "rdb$function_name = 'F_UDF'"),
              Strings{"ib_udf"});
}

// ---------------------------------------------------------------------------------------------------
// The compare scenario: a target made with isql-fb, the master built in code, the update script
// run by isql-fb; the target then extracts like a database made from the master's script.

const char* const TargetDDL = R"(CREATE TABLE T (ID INTEGER NOT NULL, NAME VARCHAR(10));
CREATE TABLE T_OLD (ID INTEGER);
CREATE VIEW V (ID, NAME) AS SELECT ID, NAME FROM T;
CREATE GENERATOR G_KEEP;
SET GENERATOR G_KEEP TO 7;
CREATE GENERATOR G_OLD;
CREATE EXCEPTION E_MSG 'old message';
CREATE ROLE R_READ;
CREATE ROLE R_OLD;
SET TERM ^ ;
CREATE PACKAGE PK_A AS
BEGIN FUNCTION F RETURNS INTEGER; END^
CREATE PACKAGE BODY PK_A AS
BEGIN FUNCTION F RETURNS INTEGER AS BEGIN RETURN 1; END END^
CREATE PACKAGE PK_B AS
BEGIN PROCEDURE Q; END^
CREATE PACKAGE BODY PK_B AS
BEGIN PROCEDURE Q AS BEGIN EXIT; END END^
CREATE TRIGGER TRG FOR T ACTIVE BEFORE INSERT POSITION 0 AS BEGIN END^
SET TERM ; ^
GRANT SELECT ON T TO ROLE R_READ;
GRANT R_READ TO U1;
GRANT R_READ TO U3;
GRANT SELECT ON V TO U1;
GRANT SELECT ON T TO TRIGGER TRG;
GRANT SELECT ON T_OLD TO U1;
GRANT DELETE ON T TO U4;
GRANT USAGE ON EXCEPTION E_MSG TO U1;
GRANT EXECUTE ON PACKAGE PK_A TO U1;
)";

const char* const MasterDDL = R"(CREATE TABLE T (ID INTEGER NOT NULL, NAME VARCHAR(10));
CREATE VIEW V (ID, NAME) AS SELECT ID, NAME FROM T;
CREATE GENERATOR G_KEEP;
SET GENERATOR G_KEEP TO 100;
CREATE GENERATOR G_NEW;
CREATE EXCEPTION E_MSG 'new message';
CREATE ROLE R_READ;
CREATE ROLE R_NEW;
SET TERM ^ ;
CREATE PACKAGE PK_A AS
BEGIN FUNCTION F RETURNS INTEGER; FUNCTION G RETURNS INTEGER; END^
CREATE PACKAGE BODY PK_A AS
BEGIN FUNCTION F RETURNS INTEGER AS BEGIN RETURN 1; END FUNCTION G RETURNS INTEGER AS BEGIN RETURN 2; END END^
CREATE PACKAGE PK_B AS
BEGIN PROCEDURE Q; END^
CREATE PACKAGE BODY PK_B AS
BEGIN PROCEDURE Q AS DECLARE I INTEGER; BEGIN I = 1; END END^
CREATE TRIGGER TRG FOR T INACTIVE BEFORE INSERT POSITION 0 AS BEGIN END^
SET TERM ; ^
GRANT SELECT ON T TO ROLE R_READ;
GRANT R_READ TO U1;
GRANT R_READ TO U2 WITH ADMIN OPTION;
GRANT SELECT ON V TO U1;
GRANT SELECT ON T TO TRIGGER TRG;
GRANT INSERT ON T TO U4;
GRANT USAGE ON EXCEPTION E_MSG TO U1;
GRANT EXECUTE ON PACKAGE PK_A TO U1;
)";

// Fills objs with the structure of TargetDDL (master false) or MasterDDL (master true), as the
// metadata extractor would read it.
void BuildScenario(TCustomObjs& o, bool master) {
    using namespace priv;
    TTblData* t = File(o, Make<TTblData>(&o, "T"));
    TFldData* id = t->AddField("ID");
    id->DataType = 1;
    id->Nullable = false;
    TFldData* name = t->AddField("NAME");
    name->DataType = 14;
    name->Length = 10;
    if (!master) File(o, Make<TTblData>(&o, "T_OLD"))->AddField("ID")->DataType = 1;
    auto* v = File(o, Make<TViwData>(&o, "V", "SELECT ID, NAME FROM T"));
    v->AddField("ID");
    v->AddField("NAME");
    File(o, Make<TGnrData>(&o, "G_KEEP"))->CurrentValue = master ? 100 : 7;
    File(o, Make<TGnrData>(&o, master ? "G_NEW" : "G_OLD"));
    File(o, Exception(o, "E_MSG", master ? "new message" : "old message"));
    File(o, Role(o, "R_READ", 0, "SYSDBA"));
    File(o, Role(o, master ? "R_NEW" : "R_OLD", 0, "SYSDBA"));
    File(o, Package(o, "PK_A",
                    master ? "BEGIN FUNCTION F RETURNS INTEGER; FUNCTION G RETURNS INTEGER; END"
                           : "BEGIN FUNCTION F RETURNS INTEGER; END",
                    master ? "BEGIN FUNCTION F RETURNS INTEGER AS BEGIN RETURN 1; END FUNCTION G RETURNS "
                             "INTEGER AS BEGIN RETURN 2; END END"
                           : "BEGIN FUNCTION F RETURNS INTEGER AS BEGIN RETURN 1; END END"));
    File(o, Package(o, "PK_B", "BEGIN PROCEDURE Q; END",
                    master ? "BEGIN PROCEDURE Q AS DECLARE I INTEGER; BEGIN I = 1; END END"
                           : "BEGIN PROCEDURE Q AS BEGIN EXIT; END END"));
    auto* trg = File(o, Make<TTrgData>(&o, "TRG", "AS BEGIN END"));
    trg->SetTableName("T");
    trg->IBTypeCode = 1; // BEFORE INSERT
    trg->Active = master ? 0 : 1;
    // Grants as the database records them: views as tables, memberships with option 2.
    File(o, Grant(o, Select, "T", dboTable, "R_READ", dboRole));
    File(o, Membership(o, "R_READ", "U1"));
    if (master)
        File(o, Membership(o, "R_READ", "U2", 2));
    else
        File(o, Membership(o, "R_READ", "U3"));
    File(o, Grant(o, Select, "V", dboTable, "U1"));
    File(o, Grant(o, Select, "T", dboTable, "TRG", dboTrigger));
    if (!master) File(o, Grant(o, Select, "T_OLD", dboTable, "U1"));
    File(o, Grant(o, master ? Insert : Delete, "T", dboTable, "U4"));
    File(o, Grant(o, Usage, "E_MSG", dboException, "U1"));
    File(o, Grant(o, Execute, "PK_A", dboPackage, "U1"));
}

class ObjectKindScenario : public ::testing::Test {
protected:
    ObjectKindScenario()
        : target(CreateDatabaseSql(TargetDDL, "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8"), "t.fdb"),
          shaped(CreateDatabaseSql(MasterDDL, "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8"), "m.fdb") {
        TConnectionOptions& c = rig.T().GetConnectionOptions();
        c.SetDatabaseName(target.Path());
        c.SetUserName("SYSDBA");
        c.SetPassword("masterkey");
        rig.cmp.GetIBCompareOptions().SetUseRECONNECT(false);
        BuildScenario(rig.M(), true);
        BuildScenario(rig.T(), false);
    }
    TTestDatabase target, shaped;
    KindRig rig;
};

TEST_F(ObjectKindScenario, TheUpdateScriptShapesTheTargetLikeTheMaster) {
    rig.Compare();
    const Strings texts = rig.Texts();
    const std::vector<Stmt> st = rig.Statements();
    auto at = [&](const std::string& t) { return Find(texts, t); };
    EXPECT_EQ(Find(texts, "G_KEEP", true), -1);
    EXPECT_GE(at("ALTER EXCEPTION E_MSG 'new message'"), 0);
    EXPECT_GE(at("CREATE GENERATOR G_NEW"), 0);
    EXPECT_GE(at("DROP GENERATOR G_OLD"), 0);
    const int pkaHeader =
        at("CREATE OR ALTER PACKAGE PK_A\r\n    AS\r\nBEGIN FUNCTION F RETURNS INTEGER; FUNCTION G "
           "RETURNS INTEGER; END");
    const int pkaBody = Find(texts, "RECREATE PACKAGE BODY PK_A", true);
    ASSERT_GE(pkaHeader, 0);
    EXPECT_GT(pkaBody, pkaHeader);
    EXPECT_GE(Find(texts, "RECREATE PACKAGE BODY PK_B", true), 0);
    EXPECT_EQ(Find(texts, "CREATE OR ALTER PACKAGE PK_B", true), -1);
    EXPECT_GE(at("/* Role: R_NEW, Owner: SYSDBA */\r\nCREATE ROLE R_NEW"), 0);
    EXPECT_GE(at("REVOKE R_READ FROM U3"), 0);
    EXPECT_GE(at("REVOKE DELETE ON T FROM U4"), 0);
    for (const std::string& t : texts) {
        if (t.find("REVOKE") != std::string::npos) {
            EXPECT_EQ(t.find("T_OLD"), std::string::npos) << t;
        }
    }
    EXPECT_GE(at("GRANT R_READ TO U2 WITH ADMIN OPTION"), 0);
    EXPECT_GE(at("GRANT INSERT ON T TO U4"), 0);
    // TRG is dropped and created again for its activity; its privilege comes back in the grant step.
    const int trgCreated = Find(texts, "CREATE TRIGGER TRG FOR T\r\nINACTIVE", true);
    EXPECT_GT(trgCreated, at("DROP TRIGGER TRG"));
    EXPECT_GT(at("GRANT SELECT ON T TO TRIGGER TRG"), at("/* Create(Add) Crant */"));
    EXPECT_GT(at("/* Create(Add) Crant */"), trgCreated);
    int lastExecutable = -1;
    for (std::size_t i = 0; i < st.size(); ++i)
        if (st[i].StatType != TStatType::stComment) lastExecutable = static_cast<int>(i);
    EXPECT_EQ(lastExecutable, at("DROP ROLE R_OLD"));

    TStringList lines;
    rig.exec.GetScriptLines(lines, false);
    const std::string script = lines.Text();
    EXPECT_EQ(script.find("RDB$"), std::string::npos) << script;
    const std::string file = target.Dir().File("update.sql");
    std::ofstream(file, std::ios::binary) << script;
    const TIsqlResult run = RunIsqlFile(file);
    ASSERT_TRUE(run.Ok()) << run.Output << "\n" << script;
    EXPECT_EQ(run.Output.find("Statement failed"), std::string::npos) << run.Output;

    const std::string extracted = Extract(target.Path());
    for (const char* part :
         {"CREATE PACKAGE PK_A", "CREATE TRIGGER TRG FOR T", "GRANT R_READ TO U2 WITH ADMIN OPTION"})
        EXPECT_NE(extracted.find(part), std::string::npos) << part << "\n" << extracted;
    EXPECT_EQ(extracted, Extract(shaped.Path()));
    EXPECT_EQ(ReadColumnElsewhere(target.Path(), "select gen_id(G_KEEP, 0) from rdb$database"), Strings{"7"});

    // The same pair compared again gives the same script.
    rig.Compare();
    TStringList again;
    rig.exec.GetScriptLines(again, false);
    EXPECT_EQ(again.Text(), script);
}

// A structure script with these kinds runs on a new database.
TEST(ObjectKindsOnFirebird, StructureScriptWithTheKindsRuns) {
    using namespace priv;
    TTempDir dir("smxkinds");
    TDBStructure s;
    s.SetDatabaseType(TDatabaseType::dbInterBase);
    TIBServerOptions& ib = s.GetIBServerOptions();
    ib.SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
    ib.SetDBCharSet("UTF8");
    ib.GetIBDatabaseOptions().SetPageSize(8192);
    ib.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
    TObjs& o = *s.Objs();
    o.GetConnectionOptions().SetDatabaseName(dir.File("s.fdb"));
    o.GetConnectionOptions().SetPassword("masterkey");
    TTblData* t = File(o, Make<TTblData>(&o, "T"));
    TFldData* id = t->AddField("ID");
    id->DataType = 1;
    id->Nullable = false;
    auto* c = File(o, Make<TCltData>(&o, "C_CI"));
    c->CharSet = "UTF8";
    c->BaseCollation = "UNICODE";
    c->CaseSensitive = false;
    File(o, Make<TGnrData>(&o, "G1"))->SetDescription("numbers");
    File(o, Exception(o, "E1", "it's bad"))->SetDescription("raised");
    File(o, Udf(o, "F_UDF", {1}, 1, true, "x_entry", "ib_udf"));
    File(o, Role(o, "R1", 0, "SYSDBA"))->SetDescription("readers");
    File(o, Grant(o, Select | Insert, "T", dboTable, "R1", dboRole));
    File(o, Membership(o, "R1", "U1", 2));
    File(o, Grant(o, Usage, "G1", dboGenerator, "U1"));
    File(o, Grant(o, Usage, "E1", dboException, "U1"));
    o.GetScript();
    const std::string script = o.GetScriptLines().Text();
    const TIsqlResult run = RunIsqlScript(dir, script);
    ASSERT_TRUE(run.Ok()) << run.Output << "\n" << script;
    EXPECT_EQ(run.Output.find("Statement failed"), std::string::npos) << run.Output;
    const std::string x = Extract(dir.File("s.fdb"));
    for (const char* expected :
         {"CREATE GENERATOR G1;", "CREATE EXCEPTION E1 'it''s bad';", "CREATE ROLE R1;",
          "GRANT INSERT, SELECT ON T TO ROLE R1;", "GRANT R1 TO U1 WITH ADMIN OPTION;",
          "GRANT USAGE ON SEQUENCE G1 TO USER U1;", "GRANT USAGE ON EXCEPTION E1 TO USER U1;",
          "DECLARE EXTERNAL FUNCTION F_UDF", "CREATE COLLATION C_CI", "R1 IS 'readers';"})
        EXPECT_NE(x.find(expected), std::string::npos) << expected << "\n" << x;
}

// A new package and a new procedure that calls it: the package header stands before the
// procedure's body is given, so the script compiles.
TEST(ObjectKindsOnFirebird, ANewProcedureCallsANewPackage) {
    TTestDatabase db(CreateDatabaseSql({}, "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8"), "t.fdb");
    KindRig rig;
    TConnectionOptions& c = rig.T().GetConnectionOptions();
    c.SetDatabaseName(db.Path());
    c.SetPassword("masterkey");
    rig.cmp.GetIBCompareOptions().SetUseRECONNECT(false);
    File(rig.M(), Package(rig.M(), "PK9", "BEGIN FUNCTION F RETURNS INTEGER; END",
                          "BEGIN FUNCTION F RETURNS INTEGER AS BEGIN RETURN 9; END END"));
    auto* use = File(rig.M(), Make<TPrcData>(&rig.M(), "USEPK", "BEGIN R = PK9.F(); SUSPEND; END"));
    use->AddParam("R", true)->DataType = 1;
    rig.Compare();
    TStringList lines;
    rig.exec.GetScriptLines(lines, false);
    const std::string file = db.Dir().File("update.sql");
    std::ofstream(file, std::ios::binary) << lines.Text();
    const TIsqlResult run = RunIsqlFile(file);
    ASSERT_TRUE(run.Ok()) << run.Output << "\n" << lines.Text();
    EXPECT_EQ(run.Output.find("Statement failed"), std::string::npos) << run.Output;
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select R from USEPK"), Strings{"9"});
}

// ---------------------------------------------------------------------------------------------------
// External functions with dependants: a private Firebird root that lets the engine load the
// shipped ib_udf module (the installed configuration forbids external functions).

const char* const InstalledRoot = "/usr/lib/x86_64-linux-gnu/firebird/3.0";

// A folder that links every entry of the installed root but firebird.conf, and a copy of that
// with external functions allowed from the root's UDF folder.
class PrivateRoot {
public:
    PrivateRoot() : dir_("smxfbroot") {
        namespace fs = std::filesystem;
        for (const fs::directory_entry& e : fs::directory_iterator(InstalledRoot)) {
            if (e.path().filename() == "firebird.conf") continue;
            fs::create_symlink(e.path(), fs::path(dir_.Path()) / e.path().filename());
        }
        std::ifstream in(std::string(InstalledRoot) + "/firebird.conf");
        std::ofstream out(dir_.File("firebird.conf"));
        std::string line;
        while (std::getline(in, line))
            out << (line.rfind("UdfAccess", 0) == 0 ? "#" + line : line) << "\n";
        out << "UdfAccess = Restrict UDF\n";
    }
    /// The command prefix that runs a program with this root.
    std::string Env() const { return "FIREBIRD=" + ShellQuote(dir_.Path()) + " "; }

private:
    TTempDir dir_;
};

// Runs the script with isql-fb under the root (stopping at the first error).
TIsqlResult RunWithRoot(const PrivateRoot& root, const TTempDir& dir, const std::string& name,
                        const std::string& sql) {
    const std::string file = dir.File(name);
    std::ofstream(file, std::ios::binary) << sql;
    TIsqlResult r;
    const std::string cmd = root.Env() + "isql-fb -q -b -i " + ShellQuote(file) + " 2>&1; echo \"rc=$?\"";
    r.Output = RunCommand(cmd);
    const std::size_t at = r.Output.rfind("rc=");
    r.ExitCode = at == std::string::npos ? -1 : std::stoi(r.Output.substr(at + 3));
    return r;
}

std::string UdfDatabaseSql(const std::string& path, const std::string& entry) {
    return "CREATE DATABASE '" + SqlQuoteDoubled(path) +
           "' USER 'SYSDBA' PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8;\n"
           "DECLARE EXTERNAL FUNCTION F_X\nDOUBLE PRECISION\nRETURNS DOUBLE PRECISION BY VALUE\n"
           "ENTRY_POINT '" +
           entry +
           "' MODULE_NAME 'ib_udf';\n"
           "CREATE TABLE TU (ID INTEGER, X DOUBLE PRECISION);\n"
           "COMMIT;\n"
           "CREATE VIEW VU (ID, A) AS\nSELECT ID, F_X(X) FROM TU;\n"
           "SET TERM ^ ;\n"
           "CREATE PROCEDURE PU (X DOUBLE PRECISION)\nRETURNS (R DOUBLE PRECISION)\nAS\n"
           "BEGIN R = F_X(X); SUSPEND; END^\n"
           "SET TERM ; ^\n";
}

// The structure of UdfDatabaseSql in code; the target's view and procedure are recorded on F_X.
void BuildUdfSide(TCustomObjs& o, const std::string& entry, bool target) {
    auto* tu = File(o, Make<TTblData>(&o, "TU"));
    tu->AddField("ID")->DataType = 1;
    tu->AddField("X")->DataType = 4;
    TUdfData* f = File(o, Udf(o, "F_X", {4}, 4, true, entry, "ib_udf"));
    auto* vu = File(o, Make<TViwData>(&o, "VU", "SELECT ID, F_X(X) FROM TU"));
    vu->AddField("ID");
    vu->AddField("A");
    auto* pu = File(o, Make<TPrcData>(&o, "PU", "BEGIN R = F_X(X); SUSPEND; END"));
    pu->AddParam("X", false)->DataType = 4;
    pu->AddParam("R", true)->DataType = 4;
    if (!target) return;
    AddDependency(&o, vu, tu);
    AddDependency(&o, vu, f);
    AddDependency(&o, pu, f);
}

TEST(ObjectKindsOnFirebird, ChangedExternalFunctionWithItsViewAndProcedure) {
    if (!std::filesystem::exists(std::string(InstalledRoot) + "/UDF/ib_udf.so"))
        GTEST_SKIP() << "ib_udf.so is not installed: the scenario needs the shipped external-function module";
    PrivateRoot root;
    TTempDir dir("smxudf");
    const std::string targetPath = dir.File("t.fdb");
    const std::string masterPath = dir.File("m.fdb");
    TIsqlResult made = RunWithRoot(root, dir, "t.sql", UdfDatabaseSql(targetPath, "IB_UDF_floor"));
    ASSERT_TRUE(made.Ok()) << made.Output;
    made = RunWithRoot(root, dir, "m.sql", UdfDatabaseSql(masterPath, "IB_UDF_ceiling"));
    ASSERT_TRUE(made.Ok()) << made.Output;

    KindRig rig;
    TConnectionOptions& c = rig.T().GetConnectionOptions();
    c.SetDatabaseName(targetPath);
    c.SetUserName("SYSDBA");
    c.SetPassword("masterkey");
    rig.cmp.GetIBCompareOptions().SetUseRECONNECT(false);
    BuildUdfSide(rig.M(), "IB_UDF_ceiling", false);
    BuildUdfSide(rig.T(), "IB_UDF_floor", true);
    rig.Compare();
    const std::vector<Stmt> st = rig.Statements();
    const Strings texts = rig.Texts();
    auto index = [&](const std::string& name, TDbOperation op) {
        for (std::size_t i = 0; i < st.size(); ++i)
            if (st[i].ObjName == name && st[i].Operation == op) return static_cast<int>(i);
        return -1;
    };
    const int emptied = index("PU", TDbOperation::odbEmpty);
    const int viewDropped = Find(texts, "DROP VIEW VU", true);
    const int dropped = Find(texts, "DROP EXTERNAL FUNCTION F_X");
    const int declared = Find(texts, "DECLARE EXTERNAL FUNCTION F_X", true);
    const int viewCreated = Find(texts, "CREATE VIEW VU", true);
    int restored = -1;
    for (std::size_t i = static_cast<std::size_t>(std::max(declared, 0)); i < st.size(); ++i)
        if (st[i].ObjName == "PU" && st[i].Text.find("F_X(X)") != std::string::npos)
            restored = static_cast<int>(i);
    // The users go first (in the order they are recorded), then the function, then the users again.
    EXPECT_GE(emptied, 0);
    EXPECT_LT(emptied, dropped);
    const std::vector<int> order = {viewDropped, dropped, declared, viewCreated, restored};
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_GE(order[i], 0) << i << "\n" << ::testing::PrintToString(texts);
        if (i > 0) {
            EXPECT_LT(order[i - 1], order[i]) << i << "\n" << ::testing::PrintToString(texts);
        }
    }
    EXPECT_NE(texts[static_cast<std::size_t>(declared)].find("'IB_UDF_ceiling'"), std::string::npos);

    TStringList lines;
    rig.exec.GetScriptLines(lines, false);
    const TIsqlResult run = RunWithRoot(root, dir, "update.sql", lines.Text());
    ASSERT_TRUE(run.Ok()) << run.Output << "\n" << lines.Text();
    EXPECT_EQ(run.Output.find("Statement failed"), std::string::npos) << run.Output;
    const TIsqlResult select = RunWithRoot(root, dir, "select.sql",
                                           "CONNECT '" + SqlQuoteDoubled(targetPath) +
                                               "';\n"
                                               "SELECT CAST(R AS INTEGER) AS RESULT FROM PU(1.5);\n");
    ASSERT_TRUE(select.Ok()) << select.Output;
    bool two = false;
    for (const std::string& line : SplitLines(select.Output))
        two = two || Trim(line) == "2";
    EXPECT_TRUE(two) << select.Output; // the ceiling of 1.5
    const std::string shaped = Extract(targetPath, root.Env());
    EXPECT_NE(shaped.find("ENTRY_POINT 'IB_UDF_ceiling'"), std::string::npos) << shaped;
    EXPECT_NE(shaped.find("CREATE VIEW VU"), std::string::npos) << shaped;
    EXPECT_EQ(shaped, Extract(masterPath, root.Env()));
}

// The structure of tables, keys, an index, a view, two procedures and a trigger with descriptions,
// and a generator, an exception, a role and grants on top, runs as one script.
TEST(ObjectKindsOnFirebird, StructureScriptOfEveryKindRuns) {
    using namespace priv;
    TTempDir dir("smxall");
    TDBStructure s;
    keytest::Prepare(s);
    s.GetIBServerOptions().GetIBDatabaseOptions().SetPageSize(8192);
    TObjs* o = s.Objs();
    o->GetConnectionOptions().SetDatabaseName(dir.File("all.fdb"));
    o->GetConnectionOptions().SetPassword("masterkey");
    keytest::Table(o, "T", {"ID!", "NAME"})->SetDescription("the table");
    keytest::Constraint(o, ctPrimaryKey, "PK_T", "T", {"ID"});
    keytest::Table(o, "D", {"ID!", "T_ID"});
    keytest::Constraint(o, ctPrimaryKey, "PK_D", "D", {"ID"});
    keytest::ForeignKey(o, "FK_D", "D", {"T_ID"}, "T", {"ID"});
    keytest::Index(o, "IX_T_NAME", "T", {"NAME"});
    auto* v = File(*o, Make<TViwData>(o, "V", "SELECT ID, NAME FROM T"));
    v->AddField("ID");
    v->AddField("NAME");
    auto* p = File(*o, Make<TPrcData>(o, "P", "BEGIN FOR SELECT ID FROM V INTO :R DO SUSPEND; END"));
    p->AddParam("R", true)->DataType = 1;
    p->SetDescription("reads V");
    auto* q = File(*o, Make<TPrcData>(o, "Q", "BEGIN X = GEN_ID(G1, 1); END"));
    q->AddParam("X", false)->DataType = 1;
    auto* trg = File(*o, Make<TTrgData>(o, "T_BI", "AS BEGIN IF (NEW.ID IS NULL) THEN EXCEPTION E1; END"));
    trg->SetTableName("T");
    trg->IBTypeCode = 1;
    keytest::LinkAll(o);
    auto* c = File(*o, Make<TCltData>(o, "C_CI"));
    c->CharSet = "UTF8";
    c->BaseCollation = "UNICODE";
    c->CaseSensitive = false;
    File(*o, Make<TGnrData>(o, "G1"))->SetDescription("numbers");
    File(*o, Exception(*o, "E1", "it's bad"))->SetDescription("raised");
    File(*o, Udf(*o, "F_UDF", {1}, 1, true, "x_entry", "ib_udf"));
    File(*o, Role(*o, "R1", 0, "SYSDBA"))->SetDescription("readers");
    File(*o, Grant(*o, Select | Insert, "T", dboTable, "R1", dboRole));
    File(*o, Grant(*o, Select, "V", dboView, "U1"));
    File(*o, Grant(*o, Execute, "P", dboProcedure, "U1"));
    File(*o, Grant(*o, Select, "T", dboTable, "P", dboProcedure));
    File(*o, Membership(*o, "R1", "U1", 2));
    File(*o, Grant(*o, Usage, "G1", dboGenerator, "U1"));
    File(*o, Grant(*o, Usage, "E1", dboException, "U1"));
    o->GetScript();
    const std::string script = o->GetScriptLines().Text();
    const TIsqlResult run = RunIsqlScript(dir, script);
    ASSERT_TRUE(run.Ok()) << run.Output << "\n" << script;
    EXPECT_EQ(run.Output.find("Statement failed"), std::string::npos) << run.Output;
    const std::string x = Extract(dir.File("all.fdb"));
    for (const char* expected :
         {"CREATE GENERATOR G1;", "CREATE EXCEPTION E1 'it''s bad';", "CREATE ROLE R1;",
          "GRANT INSERT, SELECT ON T TO ROLE R1;", "GRANT R1 TO U1 WITH ADMIN OPTION;",
          "GRANT SELECT ON V TO USER U1;", "GRANT EXECUTE ON PROCEDURE P TO USER U1;",
          "GRANT SELECT ON T TO PROCEDURE P;", "GRANT USAGE ON SEQUENCE G1 TO USER U1;",
          "GRANT USAGE ON EXCEPTION E1 TO USER U1;", "DECLARE EXTERNAL FUNCTION F_UDF",
          "CREATE COLLATION C_CI", "R1 IS 'readers';", "FOREIGN KEY (T_ID)"})
        EXPECT_NE(x.find(expected), std::string::npos) << expected << "\n" << x;
}

} // namespace
} // namespace smx::test
