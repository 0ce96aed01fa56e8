// Tables and columns: their CREATE, ADD and DROP texts per dialect, and the table compare steps
// (pairing, creation, new columns, alteration, drops) on structures built in code.
#include <gtest/gtest.h>

#include "model/smxComp_Dmn.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Trg.h"
#include "tests/model/TablesTestSupport.h"

namespace smx {
namespace {

using test::AddColumn;
using test::IndexOfText;
using test::TCompareFixture;
using enum TDatabaseType;

// T(ID INTEGER NOT NULL, NAME VARCHAR(10), C COMPUTED BY (ID*2)).
TTblData* SampleTable(TObjs* objs) {
    TTblData* t = TCompareFixture::Table(objs, "T");
    AddColumn(t, "ID", 1, 0, false);
    AddColumn(t, "NAME", 14, 10);
    AddColumn(t, "C", 1)->SetSource("(ID*2)");
    return t;
}

TEST(TableTexts, CreateTableInterBase) {
    TCompareFixture f;
    TTblData* t = SampleTable(f.M());
    EXPECT_EQ(t->GetCreateSQL(),
              "CREATE TABLE T(ID INTEGER NOT NULL,\r\nNAME VARCHAR(10),\r\nC COMPUTED BY (ID*2))");
    t->SetSkipComputed(true);
    EXPECT_EQ(t->GetCreateSQL(), "CREATE TABLE T(ID INTEGER NOT NULL,\r\nNAME VARCHAR(10))");
    t->SetSkipComputed(false);
    EXPECT_EQ(t->GetDropSQL(), "DROP TABLE T");
    EXPECT_EQ(t->Field(2)->GetCreateScript(), "ALTER TABLE T ADD C COMPUTED BY (ID*2)");
    EXPECT_EQ(t->Field(1)->GetDropSQL(), "ALTER TABLE T DROP NAME");
    t->ExternalFile = "/x/it's.dat";
    EXPECT_EQ(t->GetCreateSQL().substr(0, 44), "CREATE TABLE T\r\nEXTERNAL FILE '/x/it''s.dat'");
    t->Ignore = 1;
    EXPECT_EQ(t->GetCreateSQL(), "");
}

TEST(TableTexts, GlobalTemporaryTables) {
    TCompareFixture f;
    TTblData* t = TCompareFixture::Table(f.M(), "T");
    AddColumn(t, "ID", 1, 0, false);
    t->GlobalTemporary = true;
    t->OnCommit = 1;
    EXPECT_EQ(t->GetCreateSQL(),
              "CREATE GLOBAL TEMPORARY TABLE T(ID INTEGER NOT NULL)\r\n ON COMMIT DELETE ROWS");
    t->OnCommit = 2;
    EXPECT_EQ(t->GetCreateSQL(),
              "CREATE GLOBAL TEMPORARY TABLE T(ID INTEGER NOT NULL)\r\n ON COMMIT PRESERVE ROWS");
    f.M()->SetDatabaseType(dbSybaseASA);
    t->OnCommit = 1;
    EXPECT_EQ(t->GetCreateSQL().find("ON COMMIT"), std::string::npos);
}

TEST(TableTexts, ColumnDropAndAddPerDialect) {
    struct Row {
        TDatabaseType type;
        const char* drop;
    };
    const Row rows[] = {
        {dbInterBase, "ALTER TABLE T DROP X"},
        {dbOracle, "ALTER TABLE T DROP (X)"},
    };
    for (const Row& r : rows) {
        TCompareFixture f(r.type);
        TTblData* t = TCompareFixture::Table(f.M(), "T");
        TFldData* x = AddColumn(t, "X", 1);
        EXPECT_EQ(x->GetDropSQL(), r.drop) << int(r.type);
    }
    TCompareFixture ms(dbMSSQL);
    TTblData* t = TCompareFixture::Table(ms.M(), "T");
    t->SetParentName("dbo");
    TFldData* x = AddColumn(t, "X", 1);
    EXPECT_EQ(x->GetDropSQL(),
              "ALTER TABLE " + t->GetQualifiedObjectName() + " DROP COLUMN " + x->QuoteName("X"));
    EXPECT_EQ(x->GetCreateScript(), "ALTER TABLE " + t->QuoteName(t->GetParentName()) + "." +
                                        t->QuoteName("T") + " ADD " + x->QuoteName("X") + " INTEGER NULL");
}

TEST(TableTexts, RoutineParameterModes) {
    TCompareFixture f(dbMySQL);
    TPrcData p(f.M());
    p.SetName("P");
    TFldData a(f.M(), &p);
    a.SetName("A");
    a.DataType = 1;
    a.ParamDirection = 3;
    EXPECT_EQ(a.GetCreateSQL(), "inout " + a.QuoteName("A") + " INTEGER");
    TCompareFixture ase(dbSybaseASE);
    TPrcData q(ase.M());
    TFldData b(ase.M(), &q);
    b.SetName("B");
    b.DataType = 1;
    b.ParamDirection = 2;
    EXPECT_EQ(b.GetCreateSQL(), "B INTEGER out");
}

TEST(TableTexts, MySQLTableWithoutColumnsIsNameAndOptions) {
    TCompareFixture f(dbMySQL);
    TTblData* t = TCompareFixture::Table(f.M(), "T");
    t->MySQLOptions.SetEngine("InnoDB");
    EXPECT_EQ(t->GetCreateSQL(), "CREATE TABLE " + t->QuoteName("T") + t->MySQLOptions.GetSQLText());
    AddColumn(t, "A", 1);
    EXPECT_EQ(t->GetCreateSQL(), "CREATE TABLE " + t->QuoteName("T") + "(" + t->Field(0)->GetCreateSQL() +
                                     ")" + t->MySQLOptions.GetSQLText());
}

TEST(TableTexts, TableColumnsOwnTheirGenerator) {
    TCompareFixture f;
    TTblData* t = TCompareFixture::Table(f.M(), "T");
    EXPECT_NE(AddColumn(t, "ID", 1)->Generator, nullptr);
    TFldData free(f.M());
    EXPECT_EQ(free.Generator, nullptr);
    EXPECT_TRUE(free.Nullable);
    EXPECT_EQ(free.PartnerPosition, -1);
    EXPECT_EQ(free.Logged, -1);
    EXPECT_EQ(free.Compact, -1);
    EXPECT_EQ(free.GetKind(), TDbObject::dboField);
}

TEST(TableSteps, CreateTableThenComputedColumn) {
    TCompareFixture f;
    SampleTable(f.M());
    f.Link();
    CreateTables(&f.comparer);
    const auto st = f.Statements();
    ASSERT_EQ(st.size(), 5u);
    EXPECT_EQ(st[0].StatType, TStatType::stComment);
    EXPECT_EQ(st[0].Text, "/* Create Table... */");
    EXPECT_EQ(st[1].Text, "CREATE TABLE T(ID INTEGER NOT NULL,\r\nNAME VARCHAR(10))");
    EXPECT_EQ(st[1].StatType, TStatType::stStatement);
    EXPECT_EQ(st[1].Operation, TDbOperation::odbCreate);
    EXPECT_EQ(st[1].ObjKind, TDbObject::dboTable);
    EXPECT_EQ(st[1].ObjName, "T");
    EXPECT_EQ(st[2].StatType, TStatType::stComment);
    EXPECT_EQ(st[2].Text, "");
    EXPECT_EQ(st[3].Text, "ALTER TABLE T ADD C COMPUTED BY (ID*2)");
    EXPECT_EQ(st[4].StatType, TStatType::stComment);
    EXPECT_EQ(st[4].Text, "");
    TTblData* t = f.M()->FindTable("T");
    EXPECT_TRUE(t->GetExists());
    for (int i = 0; i < t->FieldCount(); ++i)
        EXPECT_TRUE(t->Field(i)->GetExists()) << i;
}

TEST(TableSteps, CreateTablesWritesDescriptions) {
    TCompareFixture f;
    TTblData* t = SampleTable(f.M());
    t->SetDescription("tbl");
    t->Field(0)->SetDescription("id");
    f.M()->GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
        TUpdateDescriptionType::udComment);
    f.T()->GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
        TUpdateDescriptionType::udComment);
    f.Link();
    CreateTables(&f.comparer);
    const auto texts = f.Texts();
    EXPECT_GE(IndexOfText(texts, "COMMENT ON TABLE T IS"), 0);
    EXPECT_GE(IndexOfText(texts, "COMMENT ON COLUMN T.ID IS"), 0);
}

TEST(TableSteps, DoubleQuotedDefaultIsWrittenAndComparedAsLiteral) {
    TCompareFixture f;
    TTblData* m = TCompareFixture::Table(f.M(), "T");
    AddColumn(m, "A", 14, 5)->DefaultValue = "\"abc\"";
    TTblData* t = TCompareFixture::Table(f.T(), "T");
    AddColumn(t, "A", 14, 5)->DefaultValue = "'abc'";
    EXPECT_EQ(m->Field(0)->GetCreateSQL(), "A VARCHAR(5) DEFAULT 'abc'");
    f.Link();
    MatchTables(&f.comparer);
    EXPECT_TRUE(m->Matched);
    EXPECT_TRUE(m->Field(0)->Matched);
    EXPECT_TRUE(m->Field(0)->Equal);
    EXPECT_TRUE(m->Unchanged);
}

TEST(TableSteps, MatchTablesNotesDifferences) {
    TCompareFixture f;
    TTblData* m = TCompareFixture::Table(f.M(), "T");
    AddColumn(m, "A", 1);
    AddColumn(m, "B", 14, 10);
    AddColumn(m, "NEW", 1);
    TTblData* t = TCompareFixture::Table(f.T(), "T");
    AddColumn(t, "B", 14, 20);
    AddColumn(t, "A", 1);
    f.Link();
    MatchTables(&f.comparer);
    EXPECT_FALSE(m->Unchanged);
    EXPECT_TRUE(m->Field(0)->Equal);
    EXPECT_FALSE(m->Field(1)->Equal);
    EXPECT_FALSE(m->Field(2)->Matched);
    EXPECT_EQ(m->Field(0)->PartnerPosition, 1);
    EXPECT_EQ(t->Field(1)->PartnerPosition, 0);
}

TEST(TableSteps, AddNewColumnsStoredBeforeComputed) {
    TCompareFixture f;
    TTblData* m = TCompareFixture::Table(f.M(), "T");
    AddColumn(m, "ID", 1);
    AddColumn(m, "C", 1)->SetSource("(ID+N)");
    AddColumn(m, "N", 1);
    TTblData* t = TCompareFixture::Table(f.T(), "T");
    AddColumn(t, "ID", 1);
    f.Link();
    MatchTables(&f.comparer);
    AddNewColumns(&f.comparer);
    const auto texts = f.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "ALTER TABLE T ADD N INTEGER");
    EXPECT_EQ(texts[1], "ALTER TABLE T ADD C COMPUTED BY (ID+N)");
    EXPECT_TRUE(m->Changed);
    EXPECT_TRUE(t->Changed);
}

TEST(TableSteps, MySQLEngines) {
    struct Row {
        const char* master;
        const char* target;
        bool statement;
    };
    const Row rows[] = {{"InnoDB", "", false}, {"InnoDB", "MyISAM", true}, {"InnoDB", "InnoDB", false}};
    for (const Row& r : rows) {
        TCompareFixture f(dbMySQL);
        TTblData* m = TCompareFixture::Table(f.M(), "T");
        m->MySQLOptions.SetEngine(r.master);
        TTblData* t = TCompareFixture::Table(f.T(), "T");
        t->MySQLOptions.SetEngine(r.target);
        f.Link();
        MatchTables(&f.comparer);
        AlterTables(&f.comparer);
        const auto texts = f.Texts();
        if (r.statement) {
            ASSERT_EQ(texts.size(), 1u) << r.target;
            EXPECT_EQ(texts[0], "ALTER TABLE " + m->QuoteName("T") + " ENGINE=InnoDB");
        } else {
            EXPECT_TRUE(texts.empty()) << r.target;
        }
    }
}

// Target T(ID, NAME) with an index and a trigger; master the same table as GLOBAL TEMPORARY.
struct TemporarySwitch : TCompareFixture {
    TemporarySwitch(bool targetTemporary, std::uint8_t targetOnCommit) {
        m = Table(M(), "T");
        AddColumn(m, "ID", 1, 0, false);
        AddColumn(m, "NAME", 14, 10);
        m->GlobalTemporary = true;
        m->OnCommit = 1;
        m->SetDescription("tmp");
        m->Field(1)->SetDescription("name");
        t = Table(T(), "T");
        AddColumn(t, "ID", 1, 0, false);
        AddColumn(t, "NAME", 14, 10);
        t->GlobalTemporary = targetTemporary;
        t->OnCommit = targetOnCommit;
        t->SetDescription("tmp");
        idx = new TIdxData(T());
        idx->SetName("IX_T_NAME");
        idx->TableName = "T";
        T()->AddObject(idx, true);
        trg = new TTrgData(T());
        trg->SetName("T_BI");
        trg->TableName = "T";
        T()->AddObject(trg, true);
        for (TObjs* o : {M(), T()})
            o->GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
                TUpdateDescriptionType::udComment);
        Link();
        MatchTables(&comparer);
        AlterTables(&comparer);
    }
    TTblData* m = nullptr;
    TTblData* t = nullptr;
    TIdxData* idx = nullptr;
    TTrgData* trg = nullptr;
};

TEST(TableSteps, GlobalTemporarySwitchDropsAndCreates) {
    TemporarySwitch f(false, 0);
    const auto texts = f.Texts();
    const int drop = IndexOfText(texts, "DROP TABLE T");
    const int create = IndexOfText(texts, "CREATE GLOBAL TEMPORARY TABLE T(");
    ASSERT_GE(drop, 0);
    ASSERT_GT(create, drop);
    EXPECT_EQ(texts[create], "CREATE GLOBAL TEMPORARY TABLE T(ID INTEGER NOT NULL,\r\nNAME VARCHAR(10))\r\n"
                             " ON COMMIT DELETE ROWS");
    // What hung on the old table goes first; the descriptions come back with the new one.
    EXPECT_GE(IndexOfText(texts, "DROP INDEX IX_T_NAME"), 0);
    EXPECT_LT(IndexOfText(texts, "DROP INDEX IX_T_NAME"), drop);
    EXPECT_GT(IndexOfText(texts, "COMMENT ON TABLE T IS"), create);
    EXPECT_GT(IndexOfText(texts, "COMMENT ON COLUMN T.NAME IS"), create);
    // Later steps must see the index and the trigger as gone, and the table and columns as present.
    EXPECT_FALSE(f.idx->GetExists());
    EXPECT_FALSE(f.trg->GetExists());
    EXPECT_TRUE(f.m->GetExists());
    EXPECT_TRUE(f.m->Field(0)->GetExists());
}

TEST(TableSteps, OnCommitOnlyDifferenceTakesTheSamePath) {
    TemporarySwitch f(true, 2);
    const auto texts = f.Texts();
    EXPECT_GE(IndexOfText(texts, "DROP TABLE T"), 0);
    EXPECT_GE(IndexOfText(texts, "ON COMMIT DELETE ROWS"), 0);
}

TEST(TableSteps, ColumnDropsPrecedeTableDropsAndEmptyRoutinesFirst) {
    TCompareFixture f;
    TTblData* m = TCompareFixture::Table(f.M(), "T");
    AddColumn(m, "ID", 1);
    TTblData* t = TCompareFixture::Table(f.T(), "T");
    AddColumn(t, "ID", 1);
    TFldData* x = AddColumn(t, "X", 1);
    TCompareFixture::Table(f.T(), "OLD");
    auto* p = new TPrcData(f.T());
    p->SetName("P");
    p->SetSource("BEGIN\r\n  SELECT X FROM T INTO :R;\r\nEND");
    f.T()->AddObject(p, true);
    AddDependency(f.T(), p, t, 0, 0, "X");
    ASSERT_EQ(x->GetUsedBy().Count(), 1);
    f.Link();
    MatchTables(&f.comparer);
    DropTables(&f.comparer);
    const auto st = f.Statements();
    const auto texts = f.Texts();
    const int empty = IndexOfText(texts, "/* Empty P for drop T(X) */");
    const int dropX = IndexOfText(texts, "ALTER TABLE T DROP X");
    const int header = IndexOfText(texts, "/* Drop tables... */");
    const int dropOld = IndexOfText(texts, "DROP TABLE OLD");
    ASSERT_GE(empty, 0);
    int emptied = -1;
    for (std::size_t i = 0; i < st.size(); ++i)
        if (st[i].Operation == TDbOperation::odbEmpty) emptied = static_cast<int>(i);
    EXPECT_GT(emptied, empty);
    EXPECT_GT(dropX, emptied);
    EXPECT_GT(header, dropX);
    EXPECT_GT(dropOld, header);
    EXPECT_EQ(IndexOfText(texts, "/* Drop table-fields... */"), 0);
    EXPECT_FALSE(x->GetExists());
    EXPECT_TRUE(m->Changed);
    EXPECT_TRUE(t->Changed);
}

struct DomainFixture : TCompareFixture {
    DomainFixture() {
        M()->GetIBServerOptions().SetDBCharSet("UTF8");
        auto* d = new TDmnData(M());
        d->SetName("D_NAME");
        d->Type().DataType = 14;
        d->Type().Length = 10;
        d->Type().DefaultValue = "'x'";
        d->Type().CharSetName = "WIN1252";
        d->Type().CollationName = "PXW_INTL";
        M()->AddObject(d, true);
        t = Table(M(), "T");
        c = AddColumn(t, "C", DomainDataType);
        c->DomainName = "D_NAME";
    }
    TTblData* t = nullptr;
    TFldData* c = nullptr;
};

TEST(ColumnObject, DomainDefaultsAndCharacterSets) {
    DomainFixture f;
    f.c->DefaultValue = "'y'";
    EXPECT_EQ(f.c->GetCreateSQL(), "C D_NAME DEFAULT 'y'");
    f.c->DefaultValue = "'x'";
    EXPECT_EQ(f.c->GetCreateSQL(), "C D_NAME");
    EXPECT_EQ(f.c->GetCreateScript(), "ALTER TABLE T ADD C D_NAME");
    EXPECT_NE(f.c->FindColumnDomain(), nullptr);
    EXPECT_TRUE(f.c->IsCharacterType());
    EXPECT_EQ(f.c->GetEffectiveCharSet(), "WIN1252");
    f.c->SetCharSetAndCollation(0, "", "PXW_INTL", 1);
    EXPECT_EQ(f.c->CollationName, "");
    f.c->SetCharSetAndCollation(0, "", "WIN_PTBR", 2);
    EXPECT_EQ(f.c->CollationName, "WIN_PTBR");
    f.c->DomainName = "MISSING";
    EXPECT_EQ(f.c->FindColumnDomain(), nullptr);
    EXPECT_FALSE(f.c->IsCharacterType());
}

TEST(ColumnObject, ReadingHelpersUseTheContainer) {
    TCompareFixture f;
    f.M()->GetIBServerOptions().SetDBCharSet("UTF8");
    TTblData* t = TCompareFixture::Table(f.M(), "T");
    TFldData* c = AddColumn(t, "C", 0);
    EXPECT_EQ(c->IBTypeToDataType(35, 0), 20);
    EXPECT_EQ(c->DataType, 20);
    f.M()->GetIBServerOptions().SetSQLDialect(1);
    EXPECT_EQ(c->IBTypeToDataType(35, 0), 18);
    EXPECT_FALSE(c->WithTimeZone);
    EXPECT_EQ(c->IBTypeToDataType(29, 0), 20);
    EXPECT_TRUE(c->WithTimeZone);
    EXPECT_EQ(c->IBTypeToDataType(11, 0), 0);
    EXPECT_EQ(DataTypeNames[c->DataType], "? DataType");

    c->DataType = 14;
    c->SetCharSetAndCollation(4, "UTF8", "UTF8", 0);
    EXPECT_EQ(c->CharSetName, "");
    EXPECT_EQ(c->CollationName, "");
    c->SetCharSetAndCollation(4, "UTF8", "UNICODE_CI", 3);
    EXPECT_EQ(c->CharSetName, "");
    EXPECT_EQ(c->CollationName, "UNICODE_CI");
    c->SetCharSetAndCollation(1, "OCTETS", "OCTETS", 0);
    EXPECT_EQ(c->CharSetName, "OCTETS");
    EXPECT_EQ(c->CollationName, "");
    c->SetSource("(A || B)");
    c->SetCharSetAndCollation(1, "OCTETS", "OCTETS", 0);
    EXPECT_EQ(c->CharSetName, "");
}

TEST(ColumnObject, MasterTextsFollowTheTargetDialect) {
    TCompareFixture f;
    f.M()->SetDatabaseType(dbMySQL);
    TTblData* t = TCompareFixture::Table(f.M(), "T");
    TFldData* c = AddColumn(t, "C", 1);
    c->Identity = true;
    c->Nullable = false;
    EXPECT_EQ(c->GetDefinitionSQL(), "INTEGER NOT NULL");
    f.comparer.LinkStructures();
    f.M()->Comparing = 1;
    EXPECT_EQ(c->GetDefinitionSQL(), "INTEGER GENERATED BY DEFAULT AS IDENTITY");
    EXPECT_TRUE(t->HasIdentityColumn());
}

TEST(ColumnObject, AssignColumnAndDimensions) {
    TCompareFixture f;
    TTblData* t = TCompareFixture::Table(f.M(), "T");
    TFldData* a = AddColumn(t, "A", 14, 20);
    a->DefaultValue = "\"q\"";
    a->CharSetName = "OCTETS";
    a->Dimensions = {{1, 2}};
    a->SetDescription("d");
    a->Position = 7;
    TFldData b(f.M());
    AssignColumn(b, *a);
    EXPECT_EQ(b.GetName(), "A");
    EXPECT_EQ(b.DataType, 14);
    EXPECT_EQ(b.Length, 20);
    EXPECT_EQ(b.DefaultValue, "'q'");
    EXPECT_EQ(b.CharSetName, "OCTETS");
    EXPECT_EQ(b.Position, 7);
    EXPECT_EQ(b.GetDescription(), "d");
    EXPECT_EQ(b.GetKind(), TDbObject::dboField);
    EXPECT_FALSE(DimensionsDiffer(*a, b));
    b.Dimensions = {{1, 3}};
    EXPECT_TRUE(DimensionsDiffer(*a, b));
    b.Dimensions = {{1, 2}, {1, 2}};
    EXPECT_TRUE(DimensionsDiffer(*a, b));
}

} // namespace
} // namespace smx
