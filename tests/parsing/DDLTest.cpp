// The DDL routines of the InterBase script parser: data types and column options (one row per
// column definition, the column's stored attributes compared as one line), domain mode, constraints,
// indices and ALTER statements, their reports, and bad input.
#include <gtest/gtest.h>

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
        {"CHAR(2) [-5:5, 3]", "type=15 len=2 dim=-5:5 dim=3:0"},
        {"INTEGER DEFAULT NULL", "type=1 default=NULL"},
        {"VARCHAR(8) DEFAULT USER", "type=14 len=8 default=USER"},
        {"VARCHAR(8) DEFAULT _UTF8 'x'", "type=14 len=8 default=_UTF8 'x'"},
        {"VARCHAR(8) DEFAULT 'it''s'", "type=14 len=8 default='it''s'"},
        {"VARCHAR(8) DEFAULT 'a' NULL", "type=14 len=8 default='a'"},
        {"COMPUTED BY (A * 2)", "type=0 computed=(A * 2)"},
        {"INTEGER COMPUTED (A + 1)", "type=1 computed=(A + 1)"},
        {"VARCHAR(9) COMPUTED BY (UPPER(B) || ')')", "type=14 len=9 computed=(UPPER(B) || ')')"},
        {"INTEGER GENERATED BY DEFAULT AS IDENTITY", "type=1 identity"},
    };
    for (const TypeRow& R : Rows) {
        TRun Run(std::string("CREATE TABLE T (A ") + R.Definition + ");", GetParam());
        ASSERT_TRUE(Run.Errors().empty()) << R.Definition << ": " << Run.Errors()[0];
        TFldData* F = Run.Field("T", "A");
        ASSERT_NE(F, nullptr) << R.Definition;
        EXPECT_EQ(Describe(*F), R.Expected) << R.Definition;
    }
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
    for (const Row& R : Rows) {
        TRun Run(std::string("CREATE TABLE T (A ") + R.Definition + ");", R.V);
        ASSERT_TRUE(Run.Errors().empty()) << R.Definition << ": " << Run.Errors()[0];
        TFldData* F = Run.Field("T", "A");
        ASSERT_NE(F, nullptr) << R.Definition;
        EXPECT_EQ(Describe(*F), R.Expected) << R.Definition;
    }
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
    P.ParseDataType(&F, true);
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
    P.ParseDataType(&A);
    P.NextToken();
    EXPECT_TRUE(P.IsTypeStart());
    P.ParseDataType(&B);
    P.NextToken();
    P.ParseDataType(&C);
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

} // namespace
} // namespace smx::test
