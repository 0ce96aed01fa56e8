// The DDL routines of the InterBase script parser: data types and column options (one row per
// column definition, the column's stored attributes compared as one line), domain mode, constraints,
// indices and ALTER statements, their reports, and bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/smxComp_Ctr.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Tbl.h"
#include "tests/parsing/ParserTestSupport.h"

namespace smx::test {
namespace {

using enum TIBSQLServerVersionType;

/// The attributes a column definition set, as one line (only what differs from a new column).
std::string Describe(const TFldData& F) {
    std::string S = "type=" + std::to_string(F.DataType);
    auto Num = [&S](const char* Name, std::int64_t V) {
        if (V != 0) S += std::string(" ") + Name + "=" + std::to_string(V);
    };
    auto Text = [&S](const char* Name, const std::string& V) {
        if (!V.empty()) S += std::string(" ") + Name + "=" + V;
    };
    Num("len", F.Length);
    Num("prec", F.Precision);
    Num("scale", F.Scale);
    Num("sub", F.SubType);
    Num("seg", F.SegmentSize);
    Text("cs", F.CharSetName);
    Text("coll", F.CollationName);
    Text("domain", F.DomainName);
    if (F.TypeOf) S += " typeof";
    Text("oftable", F.TypeOfTable);
    Text("ofcolumn", F.TypeOfColumn);
    for (const auto& [Lo, Hi] : F.Dimensions)
        S += " dim=" + std::to_string(Lo) + ":" + std::to_string(Hi);
    if (!F.Nullable) S += " notnull";
    Text("default", F.DefaultValue);
    Text("computed", F.GetSource());
    Text("check", F.CheckText);
    if (F.Identity) S += " identity";
    if (F.WithTimeZone) S += " tz";
    if (F.ByValue) S += " byvalue";
    if (F.ByDescriptor) S += " bydescriptor";
    return S;
}

/// Parses Script (ParseFile keeps dialect 3) through a read hook and records what happens.
class TRun {
public:
    explicit TRun(std::string Script, TIBSQLServerVersionType V = st_Firebird_30) : Setup(V), Rec(Parser) {
        Setup.Objs().GetIBServerOptions().SetDBCharSet("UTF8");
        Parser.ReadFileHook = [Script](const std::string&, std::string& Bytes) {
            Bytes = Script;
            return TFileReadStatus::frOk;
        };
        Parser.ParseFile("t.sql", &Setup.Objs());
        Rec.FlushMessages();
    }
    TObjs& Objs() { return Setup.Objs(); }
    TTblData* Table(const std::string& Name) { return Objs().FindTable(Name); }
    TFldData* Field(const std::string& Table, const std::string& Name) {
        return Objs().FindTableField(Table, Name);
    }
    TCtrData* Constraint(const std::string& Key) {
        return dynamic_cast<TCtrData*>(Objs().FindObject(TObjsList::olConstraints, Key));
    }
    TIdxData* Index(const std::string& Name) { return Objs().FindIndex(Name); }
    std::vector<std::string> Errors() const { return Rec.Errors(); }
    std::vector<std::string> Warnings() const {
        std::vector<std::string> R;
        const TMsgManager& M = Parser.GetMsgManager();
        for (int i = 0; i < M.Count(); ++i)
            if (M[i].Kind == 1) R.push_back(M[i].Text);
        return R;
    }

    TIbSetup Setup;
    TIbParser Parser;
    TRecorder Rec;
};

// --- Data types and column options --------------------------------------------------------------

struct TypeRow {
    const char* Definition; // after the column name
    const char* Expected;
};

/// Column A of "CREATE TABLE T (A <Definition>)" parsed under version V has the Expected attributes.
void ExpectColumn(TIBSQLServerVersionType V, const char* Definition, const char* Expected) {
    TRun Run(std::string("CREATE TABLE T (A ") + Definition + ");", V);
    ASSERT_TRUE(Run.Errors().empty()) << Definition << ": " << Run.Errors()[0];
    TFldData* F = Run.Field("T", "A");
    ASSERT_NE(F, nullptr) << Definition;
    EXPECT_EQ(Describe(*F), Expected) << Definition;
}

class DataTypes : public ::testing::TestWithParam<TIBSQLServerVersionType> {};

TEST_P(DataTypes, EachDefinitionStoresItsAttributes) {
    const TypeRow Rows[] = {
        {"INTEGER", "type=1"},
        {"INT NOT NULL", "type=1 notnull"},
        {"BIGINT DEFAULT -1", "type=2 default=-1"},
        {"FLOAT", "type=3"},
        {"DOUBLE PRECISION", "type=4"},
        {"REAL", "type=9"},
        {"CHAR", "type=15 len=1"},
        {"CHARACTER(10)", "type=15 len=10"},
        {"CHAR VARYING(5)", "type=14 len=5"},
        {"VARCHAR", "type=14 len=1"},
        {"VARCHAR(0)", "type=14"},
        {"VARCHAR(20) CHARACTER SET UTF8", "type=14 len=20"},
        {"VARCHAR(20) CHARACTER SET utf8", "type=14 len=20"},
        {"VARCHAR(20) CHARACTER SET WIN1252 COLLATE PXW_CSY", "type=14 len=20 cs=WIN1252 coll=PXW_CSY"},
        {"NCHAR(3)", "type=15 len=3 cs=ISO8859_1"},
        {"NCHAR VARYING(4)", "type=14 len=4 cs=ISO8859_1"},
        {"CSTRING(8)", "type=56 len=8"},
        {"DATE", "type=18"},
        {"TIME", "type=19"},
        {"TIMESTAMP DEFAULT CURRENT_TIMESTAMP", "type=20 default=CURRENT_TIMESTAMP"},
        {"TIMESTAMP DEFAULT CURRENT_TIMESTAMP(3)", "type=20 default=CURRENT_TIMESTAMP(3)"},
        {"TIME DEFAULT CURRENT_TIME NOT NULL", "type=19 notnull default=CURRENT_TIME"},
        {"DATE DEFAULT CURRENT_DATE", "type=18 default=CURRENT_DATE"},
        {"NUMERIC", "type=46 len=9 prec=9"},
        {"NUMERIC(18, 4)", "type=46 len=18 prec=18 scale=4"},
        {"NUMERIC( 12 ,3 )NOT NULL", "type=46 len=12 prec=12 scale=3 notnull"},
        {"VARCHAR(999999999)", "type=14 len=999999999"},
        {"VARCHAR(2147483647)", "type=14 len=2147483647"},
        {"CHAR(007)", "type=15 len=7"},
        {"DECIMAL(9)", "type=47 len=9 prec=9"},
        {"DEC(5,2) DEFAULT 1.5", "type=47 len=5 prec=5 scale=2 default=1.5"},
        {"NUMERIC(- 5)", "type=46 len=5 prec=5"},
        {"SMALLINT DEFAULT + 7", "type=54 default=+7"},
        {"SMALLINT DEFAULT - 7", "type=54 default=-7"},
        {"BLOB", "type=41 seg=80"},
        {"BLOB SUB_TYPE TEXT SEGMENT SIZE 100", "type=41 sub=1 seg=100"},
        {"BLOB(100, 1)", "type=41 sub=1 seg=100"},
        {"BLOB SUB_TYPE BINARY", "type=41 seg=80"},
        {"BLOB SUB_TYPE BLR SEGMENT 512", "type=41 sub=2 seg=512"},
        {"BLOB SUB_TYPE -2", "type=41 sub=-2 seg=80"},
        {"BLOB SUB_TYPE 1 CHARACTER SET WIN1252", "type=41 sub=1 seg=80 cs=WIN1252"},
        {"D_NAME", "type=97 domain=D_NAME"},
        {"D_NAME DEFAULT 'none' NOT NULL", "type=97 domain=D_NAME notnull default='none'"},
        {"\"Mixed\"", "type=97 domain=Mixed"},
        {"TYPE OF D_NAME", "type=97 domain=D_NAME typeof"},
        {"TYPE OF COLUMN T.A", "type=97 typeof oftable=T ofcolumn=A"},
        {"INTEGER [1:10]", "type=1 dim=1:10"},
        {"CHAR(2) [-5:5, 3]", "type=15 len=2 dim=-5:5 dim=1:3"},
        {"INTEGER DEFAULT NULL", "type=1 default=NULL"},
        {"VARCHAR(8) DEFAULT USER", "type=14 len=8 default=USER"},
        {"VARCHAR(8) DEFAULT _UTF8 'x'", "type=14 len=8 default=_UTF8 'x'"},
        {"VARCHAR(8) DEFAULT 'it''s'", "type=14 len=8 default='it''s'"},
        {"VARCHAR(8) DEFAULT 'a' NULL", "type=14 len=8 default='a'"},
        {"COMPUTED BY (A * 2)", "type=0 computed=(A * 2)"},
        {"INTEGER COMPUTED (A + 1)", "type=1 computed=(A + 1)"},
        {"VARCHAR(9) COMPUTED BY (UPPER(B) || ')')", "type=14 len=9 computed=(UPPER(B) || ')')"},
        {"INTEGER GENERATED BY DEFAULT AS IDENTITY", "type=1 notnull identity"},
    };
    for (const TypeRow& R : Rows)
        ExpectColumn(GetParam(), R.Definition, R.Expected);
}

INSTANTIATE_TEST_SUITE_P(FB25AndFB30, DataTypes, ::testing::Values(st_Firebird_25, st_Firebird_30));

TEST(DataTypes, VersionWords) {
    struct Row {
        TIBSQLServerVersionType V;
        const char* Definition;
        const char* Expected;
    } Rows[] = {
        // Firebird 2.5 has no BOOLEAN type: a column of a domain called BOOLEAN keeps its domain.
        {st_Firebird_25, "BOOLEAN", "type=97 domain=BOOLEAN"},
        {st_Firebird_30, "BOOLEAN", "type=96"},
        {st_Firebird_40, "DECFLOAT", "type=7 len=34 prec=34"},
        {st_Firebird_40, "DECFLOAT(16)", "type=7 len=16 prec=16"},
        {st_Firebird_30, "DECFLOAT", "type=97 domain=DECFLOAT"},
        {st_Firebird_40, "TIME WITH TIME ZONE", "type=19 tz"},
        {st_Firebird_40, "TIMESTAMP WITHOUT TIME ZONE", "type=20"},
        {st_Firebird_40, "BINARY(8)", "type=44 len=8"},
        {st_Firebird_40, "BINARY VARYING(9)", "type=76 len=9"},
        {st_Firebird_40, "VARBINARY(10)", "type=76 len=10"},
        {st_Yaffil_1x, "NUM(10,2)", "type=46 len=10 prec=10 scale=2"},
        {st_Yaffil_1x, "BIGINT", "type=2"},
        {st_Yaffil_1x, "\"BIGINT\"", "type=97 domain=BIGINT"},
    };
    for (const Row& R : Rows)
        ExpectColumn(R.V, R.Definition, R.Expected);
}

/// A parser whose type routines a test calls directly.
class TTypeProbe : public TProbe<TIbParser> {
public:
    using TIbParser::IsTypeStart;
    using TIbParser::ParseDataType;
    TTypeProbe() {
        OnErrorMessage = [](TObject*, const std::string&) {};
    }
};

TEST(DataTypes, DomainModeKeepsTheCheckAsTextAndSkipsTheConstraintName) {
    TIbSetup Setup;
    TTypeProbe P;
    P.Load("VARCHAR(10) DEFAULT 'x' NOT NULL CONSTRAINT C1 CHECK (VALUE <> ')') COLLATE UNICODE;",
           &Setup.Objs());
    TFldData F(&Setup.Objs());
    P.ParseDataType(&F, TTypeUse::tuDomain);
    EXPECT_EQ(Describe(F), "type=14 len=10 coll=UNICODE notnull default='x' check=(VALUE <> ')')");
    EXPECT_EQ(P.GetToken(), tkTerminator);
    EXPECT_FALSE(P.GetMsgManager().HasErrors());
    EXPECT_EQ(Setup.Objs().Constraints().Count(), 0);
}

TEST(DataTypes, ArgumentOptionsAndTypeStart) {
    TIbSetup Setup;
    TTypeProbe P;
    P.Load("CSTRING(8) BY DESCRIPTOR, INTEGER BY VALUE, DOUBLE PRECISION BY FOO", &Setup.Objs());
    EXPECT_TRUE(P.IsTypeStart());
    TFldData A(&Setup.Objs()), B(&Setup.Objs()), C(&Setup.Objs());
    P.ParseDataType(&A, TTypeUse::tuVariable);
    P.NextToken();
    EXPECT_TRUE(P.IsTypeStart());
    P.ParseDataType(&B, TTypeUse::tuVariable);
    P.NextToken();
    P.ParseDataType(&C, TTypeUse::tuVariable);
    EXPECT_EQ(Describe(A), "type=56 len=8 bydescriptor");
    EXPECT_EQ(Describe(B), "type=1 byvalue");
    EXPECT_EQ(P.GetMsgManager()[0].Text, "Must be: BY DESCRIPTOR / BY VALUE");
    EXPECT_FALSE(P.IsTypeStart()); // at the end
    P.Load("D_NAME");
    EXPECT_FALSE(P.IsTypeStart());
}

// --- Bad input of the type routines ------------------------------------------------------------------

TEST(DataTypes, BadInputIsReportedAndParsingGoesOn) {
    struct Row {
        const char* Definition;
        const char* Error;
    } Rows[] = {
        {"VARCHAR(99999999999)", "Integer value out of range: 99999999999"},
        {"NUMERIC(2147483648)", "Integer value out of range: 2147483648"},
        {"INTEGER [1:99999999999]", "Integer value out of range: 99999999999"},
        {"BLOB SUB_TYPE FOO", "Unknown blob-subtype."},
        {"INTEGER DEFAULT (1 + 2)", "DEFAUT <value> error..."},
        {"INTEGER DEFAULT -", "DEFAUT <value> error..."},
    };
    for (const Row& R : Rows) {
        TRun Run(std::string("CREATE TABLE T (A ") + R.Definition + ");\nCREATE TABLE U (B INTEGER);");
        ASSERT_FALSE(Run.Errors().empty()) << R.Definition;
        EXPECT_EQ(Run.Errors()[0], R.Error) << R.Definition;
        EXPECT_NE(Run.Table("T"), nullptr) << R.Definition; // filed with what was read
        EXPECT_NE(Run.Table("U"), nullptr) << R.Definition; // the next statement is read
    }
    // Taken as written; the server is the judge.
    for (const char* Definition : {"VARCHAR(0)", "NUMERIC(- 5)", "INTEGER [10:1]"}) {
        TRun Run(std::string("CREATE TABLE T (A ") + Definition + ");");
        EXPECT_TRUE(Run.Errors().empty()) << Definition;
    }
}

TEST(DataTypes, PositionTextsNameTheTableAndColumnOnlyDuringTheStatement) {
    TRun Run("CREATE TABLE T (A VARCHAR(99999999999));\nSELECT ;\nFOO;");
    ASSERT_EQ(Run.Rec.ErrorEvents.size(), 1u);
    EXPECT_NE(Run.Rec.ErrorEvents[0].find(" Table:T Field:A "), std::string::npos);
    TRun Later("CREATE TABLE T (A INTEGER);\nFOO;");
    ASSERT_EQ(Later.Rec.ErrorEvents.size(), 1u);
    EXPECT_EQ(Later.Rec.ErrorEvents[0].find("Table:"), std::string::npos) << Later.Rec.ErrorEvents[0];
}

// --- Constraints ---------------------------------------------------------------------------------

class Keys : public ::testing::TestWithParam<TIBSQLServerVersionType> {};

TEST_P(Keys, ColumnLevelKeysBelongToTheTableAndTheColumn) {
    TRun Run("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, CODE VARCHAR(5) NOT NULL UNIQUE,\n"
             "  N INTEGER CONSTRAINT CHK_N CHECK (N > 0), R INTEGER CONSTRAINT FK_R FOREIGN KEY REFERENCES U "
             "(ID));",
             GetParam());
    EXPECT_TRUE(Run.Errors().empty()) << Run.Rec.Transcript;
    TCtrData* Pk = Run.Constraint("ALTER TABLE T ADD PRIMARY KEY (ID)");
    ASSERT_NE(Pk, nullptr) << Run.Rec.Transcript;
    EXPECT_EQ(Pk->GetConstraintType(), ctPrimaryKey);
    EXPECT_EQ(Pk->GetName(), "");
    EXPECT_NE(Run.Constraint("ALTER TABLE T ADD UNIQUE (CODE)"), nullptr);
    TCtrData* Check = Run.Constraint("CHK_N");
    ASSERT_NE(Check, nullptr);
    // Firebird 3 writes a check as the server stores it, from its keyword on.
    EXPECT_EQ(Check->GetCreateSQL(), GetParam() == st_Firebird_30
                                         ? "ALTER TABLE T ADD CONSTRAINT CHK_N CHECK (N > 0)"
                                         : "ALTER TABLE T ADD CONSTRAINT CHK_N CHECK(N > 0)");
    TCtrData* Fk = Run.Constraint("FK_R");
    ASSERT_NE(Fk, nullptr);
    EXPECT_EQ(Fk->GetCreateSQL(), "ALTER TABLE T ADD CONSTRAINT FK_R FOREIGN KEY (R) REFERENCES U (ID)");
    // Only the table is a statement; the keys inside it are not reported on their own.
    ASSERT_EQ(Run.Rec.Reports.size(), 1u);
    EXPECT_EQ(Run.Rec.Reports[0].Kind, TDbObject::dboTable);
}

TEST_P(Keys, AlterTableAddForeignKeyWithRulesAndUsingIndex) {
    TRun Run("CREATE TABLE U (B INTEGER NOT NULL PRIMARY KEY);\nCREATE TABLE T (A INTEGER);\n"
             "ALTER TABLE T ADD CONSTRAINT FK FOREIGN KEY (A) REFERENCES U (B) ON DELETE CASCADE ON UPDATE "
             "SET NULL "
             "USING DESC INDEX IX;",
             GetParam());
    EXPECT_TRUE(Run.Errors().empty()) << Run.Rec.Transcript;
    TCtrData* Fk = Run.Constraint("FK");
    ASSERT_NE(Fk, nullptr);
    EXPECT_EQ(Fk->DeleteRule, raCascade);
    EXPECT_EQ(Fk->UpdateRule, raSetNull);
    EXPECT_TRUE(Fk->IndexDescending);
    EXPECT_EQ(Fk->IndexName, "IX");
    EXPECT_EQ(Fk->GetCreateSQL(),
              "ALTER TABLE T ADD CONSTRAINT FK FOREIGN KEY (A) REFERENCES U (B) ON UPDATE SET NULL "
              "ON DELETE CASCADE\r\nUSING DESC INDEX IX");
    EXPECT_NE(Fk->FindDependsOn(Run.Table("T")), nullptr);
    EXPECT_NE(Fk->FindDependsOn(Run.Table("U")), nullptr);
    ASSERT_EQ(Run.Rec.Reports.size(), 3u);
    const TReport& R = Run.Rec.Reports[2];
    EXPECT_EQ(R.Type, TStatType::stStatement);
    EXPECT_EQ(R.Name, "FK");
    EXPECT_EQ(R.Op, TDbOperation::odbCreate);
    EXPECT_EQ(R.Kind, TDbObject::dboFKey);
    EXPECT_EQ(R.Text,
              "ALTER TABLE T ADD CONSTRAINT FK FOREIGN KEY (A) REFERENCES U (B) ON DELETE CASCADE ON UPDATE "
              "SET NULL USING DESC INDEX IX");
}

TEST_P(Keys, CheckSourceIsKeptAsWritten) {
    TRun Run("CREATE TABLE T (A VARCHAR(5));\nALTER TABLE T ADD CHECK (A <> ')');\n"
             "ALTER TABLE T ADD CONSTRAINT C2 CHECK(A /* ) */ <> '(' AND (A <> ''));",
             GetParam());
    EXPECT_TRUE(Run.Errors().empty()) << Run.Rec.Transcript;
    TCtrData* C = Run.Constraint(GetParam() == st_Firebird_30 ? "ALTER TABLE T ADD CHECK (A <> ')')"
                                                              : "ALTER TABLE T ADD CHECK(A <> ')')");
    ASSERT_NE(C, nullptr) << Run.Rec.Transcript;
    EXPECT_EQ(C->GetSource(), "(A <> ')')");
    ASSERT_NE(Run.Constraint("C2"), nullptr);
    EXPECT_EQ(Run.Constraint("C2")->GetSource(), "(A /* ) */ <> '(' AND (A <> ''))");
    EXPECT_EQ(Run.Constraint("C2")->CheckSource, "CHECK(A /* ) */ <> '(' AND (A <> ''))");
    ASSERT_EQ(Run.Rec.Reports.size(), 3u);
    EXPECT_EQ(Run.Rec.Reports[1].Kind, TDbObject::dboCheck);
    EXPECT_EQ(Run.Rec.Reports[2].Name, "C2");
}

TEST_P(Keys, IsqlExtractForms) {
    // What isql-fb -x writes: named keys with their index clauses, an external table.
    TRun Run("CREATE TABLE T2 (A INTEGER NOT NULL, B INTEGER NOT NULL, C VARCHAR(10),\n"
             "CONSTRAINT PK_T2 PRIMARY KEY (A, B) USING DESCENDING INDEX IX_PK_T2,\n"
             "CONSTRAINT UQ_C UNIQUE (C) USING ASCENDING INDEX IX_UQ_C);\n"
             "CREATE TABLE EXT EXTERNAL FILE 'ext.dat' (A CHAR(10));\n"
             "ALTER TABLE T2 ADD CONSTRAINT FK_T2 FOREIGN KEY (A) REFERENCES T2 (A) USING ASC INDEX IX_FK;",
             GetParam());
    EXPECT_TRUE(Run.Errors().empty()) << Run.Rec.Transcript;
    ASSERT_NE(Run.Constraint("PK_T2"), nullptr);
    EXPECT_EQ(Run.Constraint("PK_T2")->GetCreateSQL(),
              "ALTER TABLE T2 ADD CONSTRAINT PK_T2 PRIMARY KEY (A, B)\r\nUSING DESC INDEX IX_PK_T2");
    EXPECT_EQ(Run.Constraint("UQ_C")->GetCreateSQL(),
              "ALTER TABLE T2 ADD CONSTRAINT UQ_C UNIQUE (C)\r\nUSING INDEX IX_UQ_C");
    EXPECT_EQ(Run.Constraint("FK_T2")->IndexName, "IX_FK");
    ASSERT_NE(Run.Table("EXT"), nullptr);
    EXPECT_EQ(Run.Table("EXT")->ExternalFile, "ext.dat");
}

TEST_P(Keys, SecondPrimaryKeyBecomesUniqueAndDuplicatesAreFreed) {
    TRun Run("CREATE TABLE T (A INTEGER NOT NULL, B INTEGER NOT NULL);\n"
             "ALTER TABLE T ADD CONSTRAINT PK1 PRIMARY KEY (A);\n"
             "ALTER TABLE T ADD CONSTRAINT PK2 PRIMARY KEY (B);\n"
             "ALTER TABLE T ADD CONSTRAINT PK1 UNIQUE (B);\n"
             "ALTER TABLE T ADD CONSTRAINT FK1 FOREIGN KEY (A) REFERENCES T (A);\n"
             "ALTER TABLE T ADD CONSTRAINT FK1 FOREIGN KEY (B) REFERENCES T (B);",
             GetParam());
    EXPECT_TRUE(Run.Errors().empty()) << Run.Rec.Transcript;
    EXPECT_EQ(Run.Constraint("PK1")->GetConstraintType(), ctPrimaryKey); // the first one stays
    EXPECT_EQ(Run.Constraint("PK2")->GetConstraintType(), ctUnique);
    EXPECT_EQ(Run.Constraint("FK1")->Columns[0], "A");
    const std::vector<std::string> W = Run.Warnings();
    ASSERT_EQ(W.size(), 6u);
    EXPECT_EQ(W[0], "Duplicate Primary Key, Table: T (convert to Unique)");
    EXPECT_EQ(W[1], "ALTER TABLE T ADD CONSTRAINT PK1 PRIMARY KEY (A)");
    EXPECT_EQ(W[2], "ALTER TABLE T ADD CONSTRAINT PK2 PRIMARY KEY (B)");
    EXPECT_EQ(W[3], "ALTER TABLE T ADD CONSTRAINT PK2 UNIQUE (B)");
    EXPECT_EQ(W[4], "");
    EXPECT_EQ(W[5],
              "Duplicate Foreign Key:\r\nALTER TABLE T ADD CONSTRAINT FK1 FOREIGN KEY (A) REFERENCES T (A)"
              "\r\nALTER TABLE T ADD CONSTRAINT FK1 FOREIGN KEY (B) REFERENCES T (B)");
    EXPECT_EQ(Run.Objs().Constraints().Count(), 3);
}

INSTANTIATE_TEST_SUITE_P(FB25AndFB30, Keys, ::testing::Values(st_Firebird_25, st_Firebird_30));

TEST(Keys, IbeObjectsAreDroppedWhenIgnored) {
    TRun Run("CREATE TABLE IBE$LOG (A INTEGER NOT NULL PRIMARY KEY);\nCREATE TABLE T (A INTEGER);\n"
             "ALTER TABLE T ADD CONSTRAINT IBE$C UNIQUE (A);");
    EXPECT_EQ(Run.Objs().Constraints().Count(), 0);
}

TEST(Keys, BadInputMessages) {
    struct Row {
        const char* Script;
        const char* Error;
    } Rows[] = {
        {"ALTER TABLE T ADD FOREIGN KEY (A) REFERENCES U ON DELETE FOO;",
         "Unknown action into UPDATE/DELETE rule."},
        {"ALTER TABLE T ADD FOREIGN KEY (A) REFERENCES U ON FOO CASCADE;", "Missing: UPDATE/DELETE"},
        {"ALTER TABLE T ADD FOREIGN KEY (A) REFERENCES U ON DELETE SET FOO;", "Missing: DEFAULT/NULL"},
        {"ALTER TABLE T ADD FOREIGN KEY (A) REFERENCES U ON DELETE NO FOO;", "Must be: ACTION"},
        {"CREATE GLOBAL TEMPORARY TABLE T (A INTEGER) ON COMMIT KEEP ROWS;",
         "Must be: DELETE ROWS / PRESERVE ROWS."},
        {"CREATE TABLE T (A INTEGER, CONSTRAINT C COLUMN (A > 0));", "Missing: PRIMARY... or UNIQUE..."},
        {"CREATE TABLE T (A INTEGER, FOREIGN KEY (A) REFERENCES U FOO);", "Missing: <)> (<Ident>: FOO)"},
        {"CREATE TABLE T (A INTEGER, CONSTRAINT F FOREIGN KEY (A) REFERENCES U (B) ON DELETE CASCADE FOO);",
         "Missing: <)> (<Ident>: FOO)"},
        {"ALTER TABLE T DROP 5;", "Unknown ALTER TABLE <table-name> DROP statement"},
        {"ALTER TABLE T FOO;", "Unknown symbol"},
        {"ALTER INDEX IX FOO;", "Must be: ACTIVE/INACTIVE (ALTER INDEX... declaration)"},
        {"CREATE TABLE T (A INTEGER,", "Missing: <)> (<EOF>)"},
        {"CREATE TABLE T (A INTEGER", "Missing: <)> (<EOF>)"},
        {"CREATE TABLE T (A INTEGER CHECK (A > (0)", "Missing: <)> (<EOF>)"},
    };
    for (const Row& R : Rows) {
        TRun Run(R.Script);
        ASSERT_FALSE(Run.Errors().empty()) << R.Script;
        EXPECT_EQ(Run.Errors()[0], R.Error) << R.Script << "\n" << Run.Rec.Transcript;
        EXPECT_EQ(Run.Parser.GetStalledPasses(), 0) << R.Script;
    }
    // The table cut short is filed with the columns read so far.
    TRun Cut("CREATE TABLE T (A INTEGER, B VARCHAR(5)");
    ASSERT_NE(Cut.Table("T"), nullptr);
    EXPECT_EQ(Cut.Table("T")->FieldCount(), 2);
}

TEST(Keys, UnbalancedCheckRunsToTheEnd) {
    TRun Run("ALTER TABLE T ADD CHECK (A <> ')' AND (B > 0);\nCREATE TABLE U (A INTEGER);");
    ASSERT_EQ(Run.Errors().size(), 1u) << Run.Rec.Transcript;
    EXPECT_EQ(Run.Errors()[0], "Missing: <TERM> (<EOF>)");
    EXPECT_EQ(Run.Table("U"), nullptr); // swallowed by the open parenthesis
    for (const char* Script :
         {"CREATE TABLE T (A INTEGER, B COMPUTED BY (A + (1);", "CREATE INDEX IX ON T COMPUTED BY ((A);"}) {
        TRun Open(Script);
        ASSERT_FALSE(Open.Errors().empty()) << Script;
        EXPECT_EQ(Open.Errors().back(), "Missing: <TERM> (<EOF>)") << Script;
    }
}

TEST(Keys, DeepParenthesesAreReadWithoutRecursion) {
    const std::string Deep(100000, '(');
    TRun Run("ALTER TABLE T ADD CHECK " + Deep + "A" + std::string(100000, ')') + ";");
    EXPECT_TRUE(Run.Errors().empty());
    ASSERT_EQ(Run.Objs().Constraints().Count(), 1);
    TRun Open("ALTER TABLE T ADD CHECK " + Deep);
    ASSERT_EQ(Open.Errors().size(), 1u);
    EXPECT_EQ(Open.Errors()[0], "Missing: <TERM> (<EOF>)");
}

// --- Indices and ALTER statements ----------------------------------------------------------------------

TEST(Indices, CreateAndAlterIndex) {
    for (TIBSQLServerVersionType V : {st_Firebird_25, st_Firebird_30}) {
        TRun Run("CREATE TABLE T (A INTEGER, NAME VARCHAR(10));\n"
                 "CREATE UNIQUE DESC INDEX IX ON T (A); ALTER INDEX IX INACTIVE;\n"
                 "CREATE DESCENDING INDEX IXD ON T (A, NAME);\n"
                 "CREATE ASC INDEX IXA ON T (NAME);\n"
                 "CREATE INDEX IXU ON T COMPUTED BY (UPPER(NAME));\n"
                 "CREATE INDEX IXC ON T COMPUTED (NAME || ')');\n"
                 "ALTER INDEX IXA ACTIVE;\nALTER INDEX NOPE INACTIVE;",
                 V);
        EXPECT_TRUE(Run.Errors().empty()) << Run.Rec.Transcript;
        TIdxData* X = Run.Index("IX");
        ASSERT_NE(X, nullptr);
        EXPECT_TRUE(X->Unique);
        EXPECT_TRUE(X->Descending);
        EXPECT_FALSE(X->Active);
        EXPECT_EQ(X->GetCreateSQL(), "CREATE UNIQUE DESC INDEX IX ON T(A)");
        EXPECT_EQ(Run.Index("IXD")->GetCreateSQL(), "CREATE DESC INDEX IXD ON T(A, NAME)");
        EXPECT_EQ(Run.Index("IXA")->GetCreateSQL(), "CREATE INDEX IXA ON T(NAME)");
        EXPECT_TRUE(Run.Index("IXA")->Active);
        EXPECT_EQ(Run.Index("IXU")->GetCreateSQL(), "CREATE INDEX IXU ON T COMPUTED BY(UPPER(NAME))");
        EXPECT_EQ(Run.Index("IXC")->GetSource(), "(NAME || ')')");
        EXPECT_NE(X->FindDependsOn(Run.Table("T")), nullptr);
        // ALTER INDEX is reported as the comparer writes it, also for an index the container lacks.
        std::vector<std::string> Alters;
        for (const TReport& R : Run.Rec.Reports)
            if (R.Kind == TDbObject::dboIndex && R.Op == TDbOperation::odbAlter)
                Alters.push_back(R.Name + "|" + R.Text);
        EXPECT_EQ(Alters,
                  (std::vector<std::string>{"IX|ALTER INDEX IX INACTIVE", "IXA|ALTER INDEX IXA ACTIVE",
                                            "NOPE|ALTER INDEX NOPE INACTIVE"}));
    }
}

TEST(Indices, UnknownTableAndBadStart) {
    TRun Run("CREATE INDEX IX ON NOPE (A);\nCREATE UNIQUE FOO;");
    ASSERT_NE(Run.Index("IX"), nullptr);
    EXPECT_EQ(Run.Index("IX")->TableName, "NOPE");
    ASSERT_FALSE(Run.Errors().empty());
    EXPECT_EQ(Run.Errors()[0], "Missing: INDEX (<Ident>: FOO)");
}

TEST(AlterTable, ClausesAndReports) {
    TRun Run("CREATE TABLE T (A INTEGER);\n"
             "ALTER TABLE T ADD B VARCHAR(5) DEFAULT 'x' NOT NULL;\n"
             "ALTER TABLE T ADD C INTEGER NOT NULL CONSTRAINT PK_T PRIMARY KEY;\n"
             "ALTER TABLE T ALTER COLUMN A TYPE BIGINT;\n"
             "ALTER TABLE T ALTER B POSITION 1;\n"
             "ALTER TABLE T DROP A;\n"
             "ALTER TABLE T ADD CONSTRAINT UQ_T UNIQUE (B);\n"
             "ALTER TABLE T DROP CONSTRAINT UQ_T;\n"
             "ALTER TABLE NOPE ADD X INTEGER;\n"
             "ALTER TABLE NOPE ADD CONSTRAINT UQ_N UNIQUE (X);");
    EXPECT_TRUE(Run.Errors().empty()) << Run.Rec.Transcript;
    TTblData* T = Run.Table("T");
    ASSERT_EQ(T->FieldCount(), 2); // ADD and DROP change the container, ALTER COLUMN does not
    EXPECT_EQ(Describe(*T->Field(0)), "type=14 len=5 notnull default='x'");
    EXPECT_EQ(T->Field(1)->Position, 2);
    EXPECT_EQ(Run.Constraint("UQ_T"), nullptr);
    ASSERT_NE(Run.Constraint("PK_T"), nullptr);
    EXPECT_EQ(Run.Constraint("PK_T")->GetCreateSQL(), "ALTER TABLE T ADD CONSTRAINT PK_T PRIMARY KEY (C)");
    // A key added for a table the container lacks keeps the statement's table.
    ASSERT_NE(Run.Constraint("UQ_N"), nullptr);
    EXPECT_EQ(Run.Constraint("UQ_N")->TableName, "NOPE");
    std::vector<std::string> Seen;
    for (const TReport& R : Run.Rec.Reports)
        Seen.push_back(NameOf(R.Op) + " " + NameOf(R.Kind) + " " + R.Name + " | " + R.Text);
    EXPECT_EQ(Seen,
              (std::vector<std::string>{
                  "odbCreate dboTable T | CREATE TABLE T (A INTEGER)",
                  "odbCreate dboField B | ALTER TABLE T ADD B VARCHAR(5) DEFAULT 'x' NOT NULL",
                  "odbCreate dboField C | ALTER TABLE T ADD C INTEGER NOT NULL CONSTRAINT PK_T PRIMARY KEY",
                  "odbAlter dboField A | ALTER TABLE T ALTER COLUMN A TYPE BIGINT",
                  "odbAlter dboField B | ALTER TABLE T ALTER B POSITION 1",
                  "odbDrop dboField A | ALTER TABLE T DROP A",
                  "odbCreate dboUnique UQ_T | ALTER TABLE T ADD CONSTRAINT UQ_T UNIQUE (B)",
                  "odbDrop dboConstraint UQ_T | ALTER TABLE T DROP CONSTRAINT UQ_T",
                  "odbCreate dboField X | ALTER TABLE NOPE ADD X INTEGER",
                  "odbCreate dboUnique UQ_N | ALTER TABLE NOPE ADD CONSTRAINT UQ_N UNIQUE (X)",
              }));
}

// --- Link passes -----------------------------------------------------------------------------------------

TEST(LinkKeys, KeyIndicesAreRemovedAndForeignKeysHangOnTheirKey) {
    TRun Run("CREATE TABLE DEPT (ID INTEGER NOT NULL, CONSTRAINT PK_DEPT PRIMARY KEY (ID));\n"
             "CREATE TABLE T (A INTEGER NOT NULL, D INTEGER, CONSTRAINT PK_T PRIMARY KEY (A));\n"
             "CREATE UNIQUE INDEX PK_T ON T (A);\n"
             "CREATE INDEX IX_D ON T (D);\n"
             "ALTER TABLE T ADD CONSTRAINT FK_T FOREIGN KEY (D) REFERENCES DEPT;\n"
             "ALTER TABLE T ADD CONSTRAINT FK_T2 FOREIGN KEY (D) REFERENCES DEPT (ID);");
    // The index is filed under the key's name before the link passes.
    EXPECT_NE(Run.Index("PK_T"), nullptr);
    Run.Parser.LinkObjects();
    EXPECT_EQ(Run.Index("PK_T"), nullptr);
    EXPECT_NE(Run.Index("IX_D"), nullptr);
    EXPECT_NE(
        std::find(Run.Rec.Logs.begin(), Run.Rec.Logs.end(), "Remove index: PK_T\r\nfor constraint: PK_T"),
        Run.Rec.Logs.end());
    TCtrData* PkDept = Run.Constraint("PK_DEPT");
    // A foreign key without referenced columns depends on the referenced table's primary key.
    EXPECT_NE(Run.Constraint("FK_T")->FindDependsOn(PkDept), nullptr);
    EXPECT_NE(Run.Constraint("FK_T2")->FindDependsOn(PkDept), nullptr);
    // Indices and constraints need their tables and columns.
    TFldData* D = Run.Field("T", "D");
    EXPECT_NE(Run.Index("IX_D")->FindDependsOn(D), nullptr);
    EXPECT_NE(Run.Constraint("FK_T")->FindDependsOn(D), nullptr);
    EXPECT_NE(Run.Constraint("FK_T2")->FindDependsOn(Run.Field("DEPT", "ID")), nullptr);
}

// --- Logs ---------------------------------------------------------------------------------------------

TEST(Logs, TheExtractorHearsTablesKeysAndIndicesWhenTheParserHasNoHandler) {
    TIbSetup Setup;
    TCustomExtract Ext;
    Ext.SetDBStructure(&Setup.Structure);
    std::vector<std::string> Logs;
    Ext.SetOnLogNextLine([&](TObject*, const std::string& T) { Logs.push_back(T); });
    TIbParser P;
    P.ParseScript(LinesOf("CREATE TABLE T (A INTEGER NOT NULL, B INTEGER, CONSTRAINT PK_T PRIMARY KEY (A));\n"
                          "CREATE INDEX IX ON T (B);\n"
                          "ALTER TABLE T ADD CONSTRAINT FK_T FOREIGN KEY (B) REFERENCES T (A);"),
                  &Setup.Objs());
    EXPECT_EQ(
        Logs,
        (std::vector<std::string>{
            "Parse Script: ", "Table: T", "Constraint: ALTER TABLE T ADD CONSTRAINT PK_T PRIMARY KEY (A)",
            "Index: CREATE INDEX IX ON T(B)",
            "Foreign key 1: ALTER TABLE T ADD CONSTRAINT FK_T FOREIGN KEY (B) REFERENCES T (A)",
            "Foreign key 2: ALTER TABLE T ADD CONSTRAINT FK_T FOREIGN KEY (B) REFERENCES T (A)"}));
    // Nothing listens: the objects are built all the same.
    TIbSetup Quiet;
    TIbParser Q;
    Q.ParseScript(LinesOf("CREATE TABLE T (A INTEGER NOT NULL, CONSTRAINT PK_T PRIMARY KEY (A));"),
                  &Quiet.Objs());
    EXPECT_NE(Quiet.Objs().FindObject(TObjsList::olConstraints, "PK_T"), nullptr);
    EXPECT_NE(Quiet.Objs().FindTable("T"), nullptr);
}

// --- Size ---------------------------------------------------------------------------------------------

TEST(Size, HundredThousandColumnsAndALongName) {
    std::string Script = "CREATE TABLE WIDE (";
    for (int i = 0; i < 100000; ++i)
        Script += (i ? ",\nC" : "C") + std::to_string(i) + " INTEGER";
    Script += ");\nFOO;";
    TRun Run(Script);
    ASSERT_NE(Run.Table("WIDE"), nullptr);
    EXPECT_EQ(Run.Table("WIDE")->FieldCount(), 100000);
    EXPECT_EQ(Run.Table("WIDE")->Field(99999)->Position, 99999);
    const TMsgManager& M = Run.Parser.GetMsgManager();
    ASSERT_EQ(M.Count(), 1);
    EXPECT_EQ(M[0].LineNo, 100001);
    EXPECT_EQ(M[0].ColumnNo, 1);

    // A name longer than the server takes is refused at its first character, and the run reads on.
    const std::string Long(64 * 1024, 'N');
    const std::string Text = "CREATE TABLE T (" + Long + " INTEGER, B VARCHAR(99999999999));";
    TRun Named(Text);
    ASSERT_NE(Named.Field("T", Long), nullptr);
    const TMsgManager& N = Named.Parser.GetMsgManager();
    ASSERT_EQ(N.Count(), 2);
    EXPECT_EQ(N[0].Text, "Name longer than 31 bytes: " + Long.substr(0, 31) + "...");
    EXPECT_EQ(N[0].ColumnNo, 17);
    // At the number's first character, counted from 1.
    EXPECT_EQ(N[1].ColumnNo, static_cast<int>(Text.find("99999999999") + 1));
}

} // namespace
} // namespace smx::test
