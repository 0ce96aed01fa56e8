// Column alteration on structures built in code: the type-safety verdicts, when the script may
// write system tables, the InterBase/Firebird alteration texts (ALTER COLUMN, refusals, the
// system-table paths of older servers), the other dialects, and the re-adding of the computed
// columns that an alteration drops.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/model/ColumnAlterTestSupport.h"
#include "tests/model/SchemalystTestSupport.h"

namespace smx {
namespace {

using test::AddColumn;
using test::AddDomain;
using test::AddNumeric;
using test::IndexOfText;
using test::TColumnPair;
using test::TCompareFixture;
using V = TIBSQLServerVersionType;
using enum TDatabaseType;
using Strings = std::vector<std::string>;

// The statement texts that are not comments.
Strings StatementTexts(const TColumnPair& f) {
    Strings r;
    for (const test::TStmt& s : f.Statements())
        if (s.StatType != TStatType::stComment) r.push_back(s.Text);
    return r;
}

int CountText(const Strings& texts, std::string_view part) {
    return static_cast<int>(std::count_if(
        texts.begin(), texts.end(), [&](const std::string& t) { return t.find(part) != std::string::npos; }));
}

// ---- Type-safety verdicts -------------------------------------------------------------------------

struct TypeSpec {
    std::uint8_t code;
    int length = 0, precision = 0, scale = 0;
    const char* domain = nullptr;
    std::vector<std::pair<int, int>> dims = {};
};

TEST(CompareColumnTypesTest, Verdicts) {
    struct Case {
        const char* label;
        TypeSpec n, o;
        int expected;
    };
    const std::vector<Case> cases = {
        {"longer varchar", {14, 30}, {14, 20}, 1},
        {"shorter varchar", {14, 10}, {14, 20}, -1},
        {"same varchar", {14, 20}, {14, 20}, 0},
        {"integer to bigint", {2}, {1}, 1},
        {"bigint to integer", {1}, {2}, -1},
        {"same numeric", {46, 0, 9, 2}, {46, 0, 9, 2}, 0},
        {"wider numeric", {46, 0, 18, 2}, {46, 0, 9, 2}, 1},
        {"integer to wide numeric", {46, 0, 18, 2}, {1}, 1},
        {"date to timestamp", {20}, {18}, 1},
        {"numeric loses scale", {46, 0, 9, 2}, {46, 0, 9, 4}, -1},
        {"integer loses digits as numeric", {46, 0, 9, 2}, {1}, -1},
        {"numeric loses scale as integer", {1}, {46, 0, 9, 2}, -1},
        {"timestamp to date", {18}, {20}, -1},
        {"timestamp to time", {19}, {20}, -1},
        {"integer from double", {1}, {4}, -1},
        {"varchar from double", {14, 30}, {4}, -1},
        {"smallint to integer", {1}, {54}, 1},
        {"integer to smallint", {54}, {1}, -1},
        {"smallint to narrow numeric", {46, 0, 4, 0}, {54}, -1},
        {"char to varchar", {14, 30}, {15, 20}, 1},
        {"varchar to integer", {1}, {14, 10}, -1},
        {"blob to varchar", {14, 10}, {41}, -1},
        {"other array bounds", {1, 0, 0, 0, nullptr, {{1, 5}}}, {1, 0, 0, 0, nullptr, {{1, 6}}}, -1},
        {"other type of an array", {2, 0, 0, 0, nullptr, {{1, 5}}}, {1, 0, 0, 0, nullptr, {{1, 5}}}, -1},
        {"integer to boolean", {96}, {1}, -1},
        {"boolean to varchar", {14, 10}, {96}, -1},
        {"time to timestamp", {20}, {19}, -1},
        {"date to time", {19}, {18}, -1},
        {"integer to varchar of its width", {14, 11}, {1}, 1},
        {"integer to shorter varchar", {14, 10}, {1}, -1},
        {"numeric to varchar without its point", {14, 11}, {46, 0, 9, 2}, -1},
        {"timestamp to varchar", {14, 24}, {20}, -1},
        {"missing domain", {DomainDataType, 0, 0, 0, "NOPE"}, {1}, 1},
        {"domains as their types",
         {DomainDataType, 0, 0, 0, "D_N92"},
         {DomainDataType, 0, 0, 0, "D_N94"},
         -1},
        {"domain over its own type", {DomainDataType, 0, 0, 0, "D_INT"}, {1}, 0},
    };
    TCompareFixture f;
    AddDomain(f.M(), "D_N92", 46, 9, 2);
    AddDomain(f.M(), "D_N94", 46, 9, 4);
    AddDomain(f.M(), "D_INT", 1);
    TTblData* t = TCompareFixture::Table(f.M(), "T");
    auto make = [&](const TypeSpec& s, const std::string& name) {
        TFldData* c = AddColumn(t, name, s.code, s.length);
        c->Precision = s.precision;
        c->Scale = s.scale;
        if (s.domain) c->DomainName = s.domain;
        c->Dimensions = s.dims;
        return c;
    };
    int n = 0;
    for (const Case& c : cases) {
        TFldData* a = make(c.n, "N" + std::to_string(n));
        TFldData* b = make(c.o, "O" + std::to_string(n++));
        EXPECT_EQ(CompareColumnTypes(*a, *b), c.expected) << c.label;
    }
}

TEST(CompareColumnTypesTest, StorageAsReadDecidesBetweenNumerics) {
    TCompareFixture f;
    TTblData* t = TCompareFixture::Table(f.M(), "T");
    TFldData* wide = AddNumeric(t, "W", 18, 2);
    TFldData* narrow = AddNumeric(t, "N", 9, 2);
    wide->StorageType = 2;
    narrow->StorageType = 1;
    EXPECT_EQ(CompareColumnTypes(*wide, *narrow), 1);
    EXPECT_EQ(CompareColumnTypes(*narrow, *wide), -1);
}

TEST(SystemTableUpdatesTest, AllowedOnlyWhereTheServerAllowsAndTheOptionIsOn) {
    const std::vector<std::pair<V, bool>> versions = {{V::st_InterBase_5x, true},
                                                      {V::st_Firebird_25, true},
                                                      {V::st_InterBase_2020, true},
                                                      {V::st_Firebird_30, false},
                                                      {V::st_Firebird_40, false}};
    for (auto [version, allowed] : versions) {
        TColumnPair f(dbInterBase, version);
        EXPECT_FALSE(SystemTableUpdatesAllowed(&f.comparer)) << static_cast<int>(version);
        f.AllowConversion(true);
        EXPECT_EQ(SystemTableUpdatesAllowed(&f.comparer), allowed) << static_cast<int>(version);
    }
    EXPECT_FALSE(SystemTableUpdatesAllowed(nullptr));
}

// ---- InterBase/Firebird alteration ------------------------------------------------------------------

TEST(AlterIBColumnTest, KeptDataScriptOnFirebird3) {
    cmptest::Rig r;
    r.InterBase();
    r.cmp.GetIBCompareOptions().SetUseRECONNECT(false);
    r.target.GetIBServerOptions().GetIBCompareOptions().SetUseRECONNECT(false);
    r.Wire();
    test::BuildKeptDataStructures(&r.master.Objs(), &r.target.Objs());
    r.cmp.CompareStructures();
    TCustomSQLExec& exec = *r.cmp.GetSQLExec();
    Strings texts;
    int first = -1; // the first statement after the header
    for (int i = 0; i < exec.GetStatementCount(); ++i) {
        const TStatement* st = exec.GetStatement(i);
        std::string text = st->Lines.Text();
        text.erase(text.size() - 2);
        if (first < 0 && st->StatType != TStatType::stConnect && st->StatType != TStatType::stSetNames &&
            st->StatType != TStatType::stSqlDialect && st->StatType != TStatType::stSet)
            first = i;
        if (first >= 0) texts.push_back(text);
    }
    const Strings expectedInOrder = {
        "/* Drop T(C) for drop T(A) */",
        "ALTER TABLE T DROP C",
        "DROP VIEW VT",
        "ALTER TABLE T ALTER COLUMN A TYPE BIGINT",
        "CONNECT '/data/x/t.fdb' USER 'SYSDBA' PASSWORD 'pw'", // the index's reconnect
        "/* Drop: IX_T_B (TIdxData) */\r\nDROP INDEX IX_T_B",
        "ALTER TABLE T ALTER COLUMN B TYPE VARCHAR(20)",
        "ALTER TABLE T ALTER COLUMN S TYPE INTEGER",
        "ALTER TABLE T ALTER COLUMN N TYPE NUMERIC(18,2)",
        "/* Alter Field (Null / Not Null)... */",
        "ALTER TABLE T ALTER NN SET NOT NULL",
        "/* Alter Field (Null / Not Null)... */",
        "ALTER TABLE T ALTER NNOFF DROP NOT NULL",
        "ALTER TABLE T ALTER COLUMN DEF SET DEFAULT 5",
        "ALTER TABLE T ALTER COLUMN DEF2 DROP DEFAULT",
        "ALTER TABLE T ALTER COLUMN DEF3 SET DEFAULT 'x'",
        "ALTER TABLE T ALTER COLUMN DOM TYPE D_INT2",
        "ALTER TABLE T ALTER COLUMN TODOM TYPE D_INT",
        "ALTER TABLE T ALTER COLUMN FROMDOM TYPE INTEGER",
        "ALTER TABLE T ALTER COLUMN FROMDOM TYPE INTEGER",
        "", // the end of the pass's header-like comments
        "ALTER TABLE T ADD C COMPUTED BY (A * 2)",
        "/* Create Views... */",
        "/* Create view: VT (ViwData.CreateDependDef) */",
        "CREATE VIEW VT(\r\nID,\r\nB,\r\nA)\r\n AS \r\nSELECT ID, B, A FROM T",
        "",
        "/* Create index... */",
        "CREATE INDEX IX_T_B ON T(B)",
        "",
        "ALTER TABLE T ALTER COLUMN ID POSITION 1",
        "ALTER TABLE T ALTER COLUMN A POSITION 2",
        "ALTER TABLE T ALTER COLUMN B POSITION 3",
        "ALTER TABLE T ALTER COLUMN S POSITION 4",
        "ALTER TABLE T ALTER COLUMN C POSITION 5",
        "ALTER TABLE T ALTER COLUMN N POSITION 6",
        "ALTER TABLE T ALTER COLUMN NN POSITION 7",
        "ALTER TABLE T ALTER COLUMN NNOFF POSITION 8",
        "ALTER TABLE T ALTER COLUMN DEF POSITION 9",
        "ALTER TABLE T ALTER COLUMN DEF2 POSITION 10",
        "ALTER TABLE T ALTER COLUMN DEF3 POSITION 11",
        "ALTER TABLE T ALTER COLUMN DOM POSITION 12",
        "ALTER TABLE T ALTER COLUMN TODOM POSITION 13",
        "ALTER TABLE T ALTER COLUMN FROMDOM POSITION 14",
    };
    EXPECT_EQ(texts, expectedInOrder);
    // A second comparison of the same pair writes the same script.
    TStringList once, twice;
    exec.GetScriptLines(once, false);
    r.cmp.CompareStructures();
    r.cmp.GetSQLExec()->GetScriptLines(twice, false);
    EXPECT_EQ(twice.Text(), once.Text());
    EXPECT_EQ(CountText(texts, "RDB$"), 0);

    // The type change names the column and its table; its conversion note explains it.
    const int alterA = IndexOfText(texts, "ALTER COLUMN A TYPE BIGINT");
    ASSERT_GE(alterA, 0);
    const TStatement* st = exec.GetStatement(first + alterA);
    EXPECT_EQ(st->StatType, TStatType::stStatement);
    EXPECT_EQ(st->Operation, TDbOperation::odbAlter);
    EXPECT_EQ(st->ObjKind, TDbObject::dboField);
    EXPECT_EQ(st->ObjName, "A");
    EXPECT_EQ(st->ParentName, "T");
    TStringList& log = r.cmp.GetLogList();
    const int line = log.IndexOf("DataType conversion: INTEGER -> BIGINT /T(A)/");
    ASSERT_GE(line, 0);
    EXPECT_EQ(log.Objects(line), st);
    for (const char* note : {"DataType conversion: VARCHAR(10) -> VARCHAR(20) /T(B)/",
                             "DataType conversion: SMALLINT -> INTEGER /T(S)/",
                             "DataType conversion: NUMERIC(9,2) -> NUMERIC(18,2) /T(N)/",
                             "DataType conversion: D_INT -> D_INT2 /T(DOM)/"})
        EXPECT_GE(log.IndexOf(note), 0) << note;
}

TEST(AlterIBColumnTest, RefusalsAreOnlyCommentsWhateverTheOptionOnFirebird3And4) {
    struct Run {
        V version;
        bool option;
    };
    for (Run run :
         {Run{V::st_Firebird_30, false}, Run{V::st_Firebird_30, true}, Run{V::st_Firebird_40, true}}) {
        TCompareFixture g;
        for (TDBStructure* s : {&g.master, &g.target})
            s->GetIBServerOptions().SetSQLServerVersion(run.version);
        g.comparer.GetIBCompareOptions().SetAllowDataTypeConversion(run.option);
        test::BuildRefusalStructures(g.M(), g.T());
        g.Link();
        MatchTables(&g.comparer);
        AlterTables(&g.comparer);
        UpdateColumnOrder(&g.comparer);
        EXPECT_EQ(g.Texts(), test::RefusalComments()) << static_cast<int>(run.version) << run.option;
        EXPECT_EQ(g.comparer.GetLogList().Count(), 0);
    }
}

TEST(AlterIBColumnTest, Firebird25TypeChanges) {
    // INTEGER to BIGINT is altered; BIGINT to INTEGER is refused while the option is off.
    TColumnPair f(dbInterBase, V::st_Firebird_25);
    f.Both("UP", 2, 1);
    f.Both("DOWN", 1, 2);
    f.Run();
    EXPECT_EQ(f.Texts(),
              (Strings{"ALTER TABLE T ALTER COLUMN UP TYPE BIGINT",
                       "/* WARNING:\r\nCannot perform safe conversion of T.DOWN datatype from BIGINT to "
                       "INTEGER */"}));
}

TEST(AlterIBColumnTest, ShorterVarcharIsRefusedWithoutLogLine) {
    TColumnPair f;
    AddColumn(f.m, "C", 14, 10);
    AddColumn(f.t, "C", 14, 20);
    f.Run();
    EXPECT_EQ(f.Texts(), Strings{"/* WARNING:\r\nCannot perform safe conversion of T.C datatype from "
                                 "VARCHAR(20) to VARCHAR(10) */"});
    EXPECT_TRUE(f.LogLines().empty());
}

TEST(AlterIBColumnTest, Firebird3WritesNoSystemTableWhateverDiffers) {
    for (bool option : {false, true}) {
        TColumnPair f;
        f.AllowConversion(option);
        AddDomain(f.M(), "D_INT", 1);
        AddDomain(f.T(), "D_INT", 1);
        f.Both("BIG", 1, 2);                                // narrowed
        f.Both("SMALL", 54, 1);                             // integer to smallint
        f.Both("F", 20, 3);                                 // float to timestamp
        AddColumn(f.m, "CS", 14, 10)->CharSetName = "UTF8"; // character set
        AddColumn(f.t, "CS", 14, 10)->CharSetName = "WIN1252";
        TFldData* mb = AddColumn(f.m, "BL", 41); // blob sub-type
        mb->SubType = 1;
        AddColumn(f.t, "BL", 41);
        AddColumn(f.m, "NUL", 1, 0, false); // nullability
        AddColumn(f.t, "NUL", 1);
        TColumnPair::DomainColumn(f.m, "TODOM", "D_INT"); // domain added
        AddColumn(f.t, "TODOM", 2);
        f.comparer.GetIBCompareOptions().SetFldCharsetCompare(true);
        f.T()->GetIBServerOptions().GetIBCompareOptions().SetFldCharsetCompare(true);
        f.Run();
        const Strings texts = f.Texts();
        EXPECT_EQ(CountText(texts, "RDB$"), 0) << option;
        EXPECT_GE(
            IndexOfText(texts, "Cannot perform safe conversion of T.BIG datatype from BIGINT to INTEGER"), 0);
        EXPECT_GE(
            IndexOfText(texts, "Cannot perform safe conversion of T.SMALL datatype from INTEGER to SMALLINT"),
            0);
        EXPECT_GE(
            IndexOfText(texts, "Cannot perform safe conversion of T.F datatype from FLOAT to TIMESTAMP"), 0);
        EXPECT_GE(IndexOfText(texts, "ALTER TABLE T ALTER NUL SET NOT NULL"), 0);
        EXPECT_GE(
            IndexOfText(texts,
                        "DataType conversion not supported: \r\nALTER TABLE T ALTER COLUMN TODOM TYPE D_INT"),
            0);
        EXPECT_GE(IndexOfText(texts, "T.CS: CHARACTER SET WIN1252 -> CHARACTER SET UTF8 cannot be altered"), 0);
    }
}

TEST(AlterIBColumnTest, BlobArrayAndTruncationRefusals) {
    TColumnPair f(dbInterBase, V::st_Firebird_25);
    f.Both("BL", 14, 41);
    TFldData* ma = AddColumn(f.m, "ARR", 2);
    ma->Dimensions = {{1, 5}};
    TFldData* ta = AddColumn(f.t, "ARR", 1);
    ta->Dimensions = {{1, 5}};
    f.Link();
    MatchTables(&f.comparer);
    AlterIBColumnType(&f.comparer, f.m, f.m->Field(0), f.t->Field(0));
    AlterIBColumnType(&f.comparer, f.m, ma, ta);
    AddColumn(f.m, "CH", 15, 5);
    AddColumn(f.t, "CH", 14, 10);
    AlterIBColumnType(&f.comparer, f.m, f.m->Field(2), f.t->Field(2));
    EXPECT_EQ(f.Texts(),
              (Strings{"/* BLOB-datatype conversion not supported:\r\nALTER TABLE T ALTER COLUMN BL TYPE "
                       "VARCHAR */",
                       "/* Array conversion not supported:\r\nALTER TABLE T ALTER COLUMN ARR TYPE BIGINT [1:5] */",
                       "/* String-length truncation not supported:\r\nALTER TABLE T ALTER COLUMN CH TYPE "
                       "CHAR(5) */"}));
    // The log names the new type only where the ALTER text was built.
    EXPECT_EQ(f.LogLines(), (Strings{"DataType conversion: BLOB ->  /T(BL)/",
                                     "DataType conversion: INTEGER [1:5] -> BIGINT [1:5] /T(ARR)/",
                                     "DataType conversion: VARCHAR(10) ->  /T(CH)/"}));
}

// ---- System-table paths (servers that allow them, option on) ---------------------------------------

TEST(ConvertIBColumnTypeTest, CharToSmallintThroughTheFieldRecord) {
    TColumnPair f(dbInterBase, V::st_Firebird_25);
    f.AllowConversion(true);
    AddColumn(f.m, "C", 54);
    AddColumn(f.t, "C", 15, 10);
    f.Run();
    EXPECT_EQ(f.Texts(),
              (Strings{"/* Alter Field: T.C: (CHAR(10) -> SMALLINT) */",
                       "UPDATE RDB$FIELDS SET\r\n RDB$FIELD_LENGTH=2, RDB$FIELD_TYPE=7\r\n  WHERE "
                       "RDB$FIELD_NAME=(SELECT RDB$FIELD_SOURCE FROM RDB$RELATION_FIELDS\r\n  WHERE "
                       "RDB$FIELD_NAME='C' AND RDB$RELATION_NAME='T')"}));
    EXPECT_EQ(f.LogLines(), Strings{"Alter Field: T.C: (CHAR(10) -> SMALLINT)"});
    EXPECT_EQ(f.comparer.GetLogList().Objects(0), f.exec.GetStatement(1));
}

TEST(ConvertIBColumnTypeTest, TypeTableOfTheFieldRecord) {
    struct Case {
        const char* label;
        std::uint8_t code;
        int length, precision, scale;
        const char* expectedHead; // the update up to its WHERE part
    };
    const std::vector<Case> cases = {
        {"double", 4, 0, 0, 0, "UPDATE RDB$FIELDS SET\r\n RDB$FIELD_LENGTH=8, RDB$FIELD_TYPE=27\r\n  WHERE"},
        {"float", 3, 0, 0, 0, "UPDATE RDB$FIELDS SET\r\n RDB$FIELD_LENGTH=4, RDB$FIELD_TYPE=10\r\n  WHERE"},
        {"bigint", 2, 0, 0, 0, "UPDATE RDB$FIELDS SET\r\n RDB$FIELD_LENGTH=8, RDB$FIELD_TYPE=16\r\n  WHERE"},
        {"varchar", 14, 30, 0, 0,
         "UPDATE RDB$FIELDS SET\r\n RDB$FIELD_LENGTH=120, RDB$CHARACTER_LENGTH=30,\r\n RDB$FIELD_TYPE=37\r\n "
         " WHERE"},
        {"numeric", 46, 0, 4, 1,
         "UPDATE RDB$FIELDS SET RDB$FIELD_LENGTH=2, RDB$FIELD_TYPE=7,\r\nRDB$CHARACTER_LENGTH=0, "
         "RDB$FIELD_PRECISION=4, RDB$FIELD_SCALE=-1, RDB$FIELD_SUB_TYPE=1\r\n  WHERE"},
        {"decimal", 47, 0, 15, 2,
         "UPDATE RDB$FIELDS SET RDB$FIELD_LENGTH=8, RDB$FIELD_TYPE=16,\r\nRDB$CHARACTER_LENGTH=0, "
         "RDB$FIELD_PRECISION=15, RDB$FIELD_SCALE=-2, RDB$FIELD_SUB_TYPE=2\r\n  WHERE"},
        {"time", 19, 0, 0, 0,
         "UPDATE RDB$FIELDS\r\n SET RDB$FIELD_LENGTH=4,\r\n  RDB$FIELD_TYPE = 13\r\n  WHERE"},
    };
    for (const Case& c : cases) {
        TColumnPair f(dbInterBase, V::st_Firebird_25);
        f.AllowConversion(true);
        f.T()->GetIBServerOptions().SetDBCharSet("UTF8");
        TFldData* m = AddColumn(f.m, "C", c.code, c.length);
        m->Precision = c.precision;
        m->Scale = c.scale;
        AddColumn(f.t, "C", 41); // a BLOB is refused by every new type
        f.Link();
        MatchTables(&f.comparer);
        ConvertIBColumnType(&f.comparer, f.m, m, f.t->Field(0));
        const Strings texts = StatementTexts(f);
        ASSERT_EQ(texts.size(), 1u) << c.label;
        EXPECT_EQ(texts[0].substr(0, std::string(c.expectedHead).size()), c.expectedHead) << c.label;
    }
}

TEST(ConvertIBColumnTypeTest, NumericScaleAndArrayBounds) {
    TColumnPair f(dbInterBase, V::st_Firebird_25);
    f.AllowConversion(true);
    TFldData* m = AddNumeric(f.m, "N", 9, 2);
    AddNumeric(f.t, "N", 9, 4);
    TFldData* ma = AddColumn(f.m, "A", 2);
    ma->Dimensions = {{1, 5}, {0, 3}};
    TFldData* ta = AddColumn(f.t, "A", 1);
    ta->Dimensions = {{1, 5}, {0, 2}};
    TFldData* mb = AddColumn(f.m, "B", 2);
    mb->Dimensions = {{1, 5}};
    AddColumn(f.t, "B", 1)->Dimensions = {{1, 5}, {1, 2}};
    f.Link();
    MatchTables(&f.comparer);
    ConvertIBColumnType(&f.comparer, f.m, m, f.t->Field(0));
    ConvertIBColumnType(&f.comparer, f.m, ma, ta);
    ConvertIBColumnType(&f.comparer, f.m, mb, f.t->Field(2));
    const Strings texts = f.Texts();
    EXPECT_GE(
        IndexOfText(texts, "UPDATE RDB$FIELDS SET RDB$FIELD_SCALE = -2\r\n  WHERE RDB$FIELD_NAME = (SELECT"),
        0);
    EXPECT_EQ(IndexOfText(texts, "RDB$FIELD_PRECISION = "), -1); // the precision did not change
    EXPECT_GE(IndexOfText(texts,
                          "update rdb$field_dimensions set rdb$lower_bound = 0, rdb$upper_bound = 3\r\n"
                          "where rdb$field_name = (select rdb$field_source from rdb$relation_fields\r\n"
                          "where rdb$relation_name = 'T' and rdb$field_name = 'A')\r\nand rdb$dimension = 1"),
              0);
    EXPECT_GE(IndexOfText(texts, "/* Array conversion - not supported: T(B) */"), 0);
}

TEST(ConvertIBColumnTypeTest, DomainRemovedAndAddedThroughTheRelationField) {
    TColumnPair f(dbInterBase, V::st_Firebird_25);
    f.AllowConversion(true);
    AddDomain(f.M(), "D_INT", 1);
    AddDomain(f.T(), "D_INT", 1);
    AddColumn(f.m, "C", 54);
    TColumnPair::DomainColumn(f.t, "C", "D_INT");
    f.Run();
    const Strings texts = f.Texts();
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts[0], "Alter Table T ADD QVRTEMP SMALLINT");
    EXPECT_EQ(texts[1], "Update Rdb$Relation_Fields Set Rdb$Field_Source=\r\n(Select R.Rdb$Field_Source from "
                        "Rdb$Relation_Fields R\r\nwhere R.Rdb$Relation_Name = 'T' and "
                        "R.Rdb$Field_Name='QVRTEMP')\r\nWHERE RDB$FIELD_NAME='C' AND RDB$RELATION_NAME='T'");
    EXPECT_EQ(texts[2], "Alter Table T DROP QVRTEMP");
    // The type step and the domain step both run: the three statements come twice.
    EXPECT_EQ(texts.size(), 6u);
    EXPECT_EQ(f.LogLines(), (Strings{"Domain > SimpleType conversion", "Domain > SimpleType conversion"}));

    TColumnPair g(dbInterBase, V::st_Firebird_25);
    g.AllowConversion(true);
    AddDomain(g.M(), "D_INT", 1);
    AddDomain(g.T(), "D_INT", 1);
    TColumnPair::DomainColumn(g.m, "C", "D_INT");
    AddColumn(g.t, "C", 2); // narrowed: through the system table
    g.Run();
    EXPECT_EQ(g.Texts(), Strings{"Update rdb$Relation_Fields set Rdb$Field_Source = 'D_INT'\r\nWHERE "
                                 "RDB$FIELD_NAME='C' AND RDB$RELATION_NAME='T'"});
}

TEST(AlterIBColumnTest, OlderServersUseTheSystemTables) {
    // Default at Firebird 2.0: through a scratch domain that carries the new default.
    TColumnPair f(dbInterBase, V::st_Firebird_20);
    f.AllowConversion(true);
    AddColumn(f.m, "DEF", 1)->DefaultValue = "5";
    AddColumn(f.t, "DEF", 1)->DefaultValue = "0";
    AddColumn(f.m, "NN", 1, 0, false);
    AddColumn(f.t, "NN", 1);
    AddDomain(f.M(), "D_A", 1);
    AddDomain(f.M(), "D_B", 1);
    TColumnPair::DomainColumn(f.m, "DOM", "D_B");
    TColumnPair::DomainColumn(f.t, "DOM", "D_A");
    f.Run();
    const Strings texts = f.Texts();
    EXPECT_EQ(
        texts,
        (Strings{"CREATE DOMAIN QVRXXX INTEGER DEFAULT 5",
                 "UPDATE RDB$RELATION_FIELDS SET RDB$DEFAULT_SOURCE=\r\n(SELECT RDB$DEFAULT_SOURCE FROM "
                 "RDB$FIELDS where RDB$FIELD_NAME='QVRXXX'),\r\nRDB$DEFAULT_VALUE=\r\n(SELECT "
                 "RDB$DEFAULT_VALUE FROM RDB$FIELDS where RDB$FIELD_NAME='QVRXXX')\r\nWHERE "
                 "RDB$FIELD_NAME='DEF' AND RDB$RELATION_NAME='T'",
                 "DROP DOMAIN QVRXXX",
                 "UPDATE RDB$FIELDS SET RDB$DEFAULT_VALUE = NULL,\r\nRDB$DEFAULT_SOURCE = '' WHERE "
                 "RDB$FIELD_NAME =\r\n(SELECT RDB$FIELD_SOURCE FROM RDB$RELATION_FIELDS\r\nWHERE "
                 "RDB$FIELD_NAME = 'DEF' AND RDB$RELATION_NAME = 'T')",
                 "/* Alter Field (Null / Not Null)... */",
                 "UPDATE RDB$RELATION_FIELDS SET RDB$NULL_FLAG = 1 WHERE RDB$FIELD_NAME='NN' AND "
                 "RDB$RELATION_NAME='T'",
                 "UPDATE RDB$RELATION_FIELDS SET RDB$FIELD_SOURCE='D_B' WHERE RDB$FIELD_NAME='DOM' AND "
                 "RDB$RELATION_NAME='T'",
                 ""}));
    EXPECT_EQ(f.LogLines(), (Strings{"DataType conversion: DEFAULT difference /T(DEF)/",
                                     "DataType conversion: Nullable difference /T(NN)/",
                                     "DataType conversion: replace DOMAIN /T (DOM)/"}));

    // InterBase 5: positions through the system table as well.
    TColumnPair g(dbInterBase, V::st_InterBase_5x);
    AddColumn(g.m, "A", 1);
    AddColumn(g.m, "B", 1);
    AddColumn(g.t, "B", 1);
    AddColumn(g.t, "A", 1);
    g.Run();
    EXPECT_EQ(g.Texts(), (Strings{"UPDATE RDB$RELATION_FIELDS SET RDB$FIELD_POSITION = 1\r\n WHERE "
                                  "RDB$RELATION_NAME = 'T' AND RDB$FIELD_NAME = 'A'",
                                  "UPDATE RDB$RELATION_FIELDS SET RDB$FIELD_POSITION = 2\r\n WHERE "
                                  "RDB$RELATION_NAME = 'T' AND RDB$FIELD_NAME = 'B'"}));
}

TEST(AlterIBColumnTest, CharacterSetCollationAndBlobAttributes) {
    TColumnPair f(dbInterBase, V::st_Firebird_25);
    f.AllowConversion(true);
    f.comparer.GetIBCompareOptions().SetFldCharsetCompare(true);
    f.T()->GetIBServerOptions().GetIBCompareOptions().SetFldCharsetCompare(true);
    TFldData* m = AddColumn(f.m, "C", 14, 10);
    m->CharSetName = "UTF8";
    m->CollationName = "UNICODE_CI";
    AddColumn(f.t, "C", 14, 10)->CharSetName = "WIN1252";
    TFldData* mb = AddColumn(f.m, "B", 41);
    mb->SubType = 1;
    mb->SegmentSize = 100;
    AddColumn(f.t, "B", 41);
    f.Run();
    EXPECT_EQ(
        f.Texts(),
        (Strings{"UPDATE RDB$FIELDS SET RDB$Character_Set_ID =\r\n(Select C.Rdb$Character_Set_ID from "
                 "Rdb$Character_Sets C\r\nwhere C.Rdb$Character_Set_Name='UTF8')\r\n  WHERE "
                 "RDB$FIELD_NAME=(SELECT RDB$FIELD_SOURCE FROM RDB$RELATION_FIELDS\r\n  WHERE "
                 "RDB$FIELD_NAME='C' AND RDB$RELATION_NAME='T')",
                 "UPDATE RDB$RELATION_FIELDS SET RDB$Collation_ID =\r\n(Select C.Rdb$Collation_ID from "
                 "Rdb$Collations C\r\nwhere C.Rdb$Collation_Name='UNICODE_CI' and C.Rdb$Character_Set_ID = "
                 "(select Rdb$Character_Set_ID from Rdb$character_Sets where Rdb$character_set_name = "
                 "'UTF8'))\r\n  WHERE RDB$FIELD_NAME='C' AND RDB$RELATION_NAME='T'",
                 // The sub-type is part of the type text: the type step refuses, the
                 // system-table steps convert.
                 "/* BLOB-datatype conversion not supported:\r\nALTER TABLE T ALTER COLUMN B TYPE BLOB "
                 "SUB_TYPE 1 SEGMENT SIZE 100 */",
                 "UPDATE RDB$FIELDS SET RDB$FIELD_SUB_TYPE = 1\r\n  WHERE RDB$FIELD_NAME=(SELECT "
                 "RDB$FIELD_SOURCE FROM RDB$RELATION_FIELDS\r\n  WHERE RDB$FIELD_NAME='B' AND "
                 "RDB$RELATION_NAME='T')",
                 "UPDATE RDB$FIELDS SET RDB$SEGMENT_LENGTH = 100\r\n  WHERE RDB$FIELD_NAME=(SELECT "
                 "RDB$FIELD_SOURCE FROM RDB$RELATION_FIELDS\r\n  WHERE RDB$FIELD_NAME='B' AND "
                 "RDB$RELATION_NAME='T')"}));
}

TEST(AlterIBColumnTest, ComputedSourceChangeDropsAndAddsTheColumn) {
    TColumnPair f;
    AddColumn(f.m, "A", 1);
    AddColumn(f.t, "A", 1);
    AddColumn(f.m, "C", 1)->SetSource("(A * 3)");
    AddColumn(f.t, "C", 1)->SetSource("(A * 2)");
    f.Run();
    EXPECT_EQ(f.Texts(), (Strings{"/* Alter Field (Computed)... */", "ALTER TABLE T DROP C",
                                  "ALTER TABLE T ADD C COMPUTED BY (A * 3)", "",
                                  "ALTER TABLE T ALTER COLUMN A POSITION 1",
                                  "ALTER TABLE T ALTER COLUMN C POSITION 2"}));
}

TEST(AlterColumnsTest, ComputedColumnsDroppedByAnAlterationComeBack) {
    TColumnPair f;
    AddColumn(f.m, "A", 2);
    AddColumn(f.t, "A", 1);
    TFldData* mc = AddColumn(f.m, "C", 2);
    mc->SetSource("(A * 2)");
    mc->SetDescription("twice A");
    TFldData* tc = AddColumn(f.t, "C", 2);
    tc->SetSource("(A * 2)");
    tc->SetDescription("twice A");
    AddDependency(f.T(), tc, f.t, 0, 0, "A");
    f.T()->GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
        TUpdateDescriptionType::udComment);
    f.M()->GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
        TUpdateDescriptionType::udComment);
    f.Run();
    const Strings texts = f.Texts();
    const int drop = IndexOfText(texts, "ALTER TABLE T DROP C");
    const int alter = IndexOfText(texts, "ALTER TABLE T ALTER COLUMN A TYPE BIGINT");
    const int add = IndexOfText(texts, "ALTER TABLE T ADD C COMPUTED BY (A * 2)");
    const int comment = IndexOfText(texts, "COMMENT ON COLUMN T.C IS");
    const int position = IndexOfText(texts, "ALTER TABLE T ALTER COLUMN C POSITION 2");
    ASSERT_GE(drop, 0);
    EXPECT_LT(drop, alter);
    EXPECT_LT(alter, add);
    EXPECT_LT(add, comment);
    EXPECT_LT(comment, position);
    EXPECT_TRUE(mc->GetExists());
}

// ---- Other dialects ------------------------------------------------------------------------------

TEST(AlterOtherDialectsTest, Texts) {
    {
        TCompareFixture g(dbPostgreSQL);
        TTblData* m = TCompareFixture::Table(g.M(), "t");
        TTblData* t = TCompareFixture::Table(g.T(), "t");
        m->SetParentName("public");
        t->SetParentName("public");
        AddColumn(m, "c", 2)->DefaultValue = "1";
        AddColumn(t, "c", 1, 0, false);
        g.Link();
        MatchTables(&g.comparer);
        AlterColumns(&g.comparer);
        EXPECT_EQ(g.Texts(), (Strings{"ALTER TABLE public.t ALTER COLUMN c TYPE bigint",
                                      "ALTER TABLE public.t ALTER COLUMN c SET DEFAULT 1",
                                      "ALTER TABLE public.t ALTER COLUMN c DROP NOT NULL"}));
    }
    {
        TColumnPair f(dbSybaseASE);
        AddColumn(f.m, "c", 1);
        AddColumn(f.t, "c", 1)->DefaultValue = "0";
        f.Link();
        MatchTables(&f.comparer);
        AlterColumns(&f.comparer);
        EXPECT_EQ(f.Texts(), Strings{"ALTER TABLE T REPLACE c DEFAULT NULL"});
    }
    {
        TColumnPair f(dbOracle);
        AddColumn(f.m, "C", 17, 20)->DefaultValue = "'a'";
        AddColumn(f.t, "C", 17, 10);
        f.Link();
        MatchTables(&f.comparer);
        AlterColumns(&f.comparer);
        EXPECT_EQ(f.Texts(),
                  (Strings{"ALTER TABLE T MODIFY(C VARCHAR2(20))", "ALTER TABLE T MODIFY(C DEFAULT 'a')"}));
    }
    {
        TColumnPair f(dbSybaseASA);
        f.m->Owner2 = "DBA";
        AddColumn(f.m, "C", 2, 0, false)->DefaultValue = "1";
        AddColumn(f.t, "C", 1);
        AddColumn(f.m, "D", 1);
        AddColumn(f.t, "D", 1)->DefaultValue = "2";
        AddColumn(f.m, "E", 1)->DefaultValue = "3";
        AddColumn(f.t, "E", 1)->DefaultValue = "4";
        f.Link();
        MatchTables(&f.comparer);
        AlterColumns(&f.comparer);
        EXPECT_EQ(
            f.Texts(),
            (Strings{"ALTER TABLE DBA.T MODIFY C BIGINT", "ALTER TABLE DBA.T MODIFY C NOT NULL",
                     "ALTER TABLE DBA.T ALTER C SET DEFAULT 1", "ALTER TABLE DBA.T ALTER D DROP DEFAULT",
                     "ALTER TABLE DBA.T MODIFY E DEFAULT 3"}));
    }
}

TEST(AlterOtherDialectsTest, MSSQLConversions) {
    TColumnPair f(dbMSSQL);
    f.m->SetParentName("dbo");
    f.t->SetParentName("dbo");
    f.Both("D2I", 1, 23); // DATETIME to INTEGER: refused
    AddColumn(f.m, "I2V", 14, 20);
    AddColumn(f.t, "I2V", 1);
    AddColumn(f.m, "G", 79)->RowGuidCol = true;
    AddColumn(f.t, "G", 79);
    f.Link();
    MatchTables(&f.comparer);
    AlterColumns(&f.comparer);
    EXPECT_EQ(f.Texts(), (Strings{"/* Datatype conversion is not allowed: DATETIME -> INTEGER\r\nALTER TABLE "
                                  "DBO.T ALTER COLUMN D2I INTEGER NULL */",
                                  "ALTER TABLE DBO.T ALTER COLUMN I2V VARCHAR(20) NULL",
                                  "ALTER TABLE T ALTER COLUMN G ADD ROWGUIDCOL"}));
    TFldData a, b;
    a.DataType = 1;
    b.DataType = 23;
    EXPECT_FALSE(IsMSSQLConversionAllowed(a, b));
    EXPECT_TRUE(IsMSSQLConversionAllowed(b, a));
    a.DataType = 77;
    EXPECT_FALSE(IsMSSQLConversionAllowed(a, b));
    b.DataType = 76;
    EXPECT_TRUE(IsMSSQLConversionAllowed(a, b));
    b.DataType = 200;
    EXPECT_FALSE(IsMSSQLConversionAllowed(a, b));
}

TEST(AlterOtherDialectsTest, MySQLSwappedColumnsOnlyMove) {
    TColumnPair f(dbMySQL);
    AddColumn(f.m, "A", 1);
    AddColumn(f.m, "B", 14, 10);
    AddColumn(f.m, "C", 1);
    AddColumn(f.t, "B", 14, 10);
    AddColumn(f.t, "A", 1);
    AddColumn(f.t, "C", 1);
    f.Run();
    EXPECT_EQ(f.Texts(), (Strings{"ALTER TABLE T MODIFY COLUMN A INTEGER FIRST",
                                  "ALTER TABLE T MODIFY COLUMN B VARCHAR(10) AFTER A"}));

    TColumnPair g(dbMySQL);
    AddColumn(g.m, "A", 2);
    AddColumn(g.t, "A", 1);
    g.Run();
    EXPECT_EQ(g.Texts(), Strings{"ALTER TABLE T MODIFY COLUMN A BIGINT"});
    EXPECT_EQ(g.LogLines(), Strings{"Modify column: T(A)/"});
}

} // namespace
} // namespace smx
