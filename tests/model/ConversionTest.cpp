// Conversion of a master of another database type, on structures filled in code through the
// comparer's extractors: which converter runs and what it narrows, the InterBase default and name
// rules, renamed tables and columns followed by the keys and indices that name them, and the whole
// MySQL and PostgreSQL scripts of an InterBase master, kept as golden files (tests/model/golden).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "model/smxComp_Ctr.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Idx.h"
#include "tests/model/ColumnAlterTestSupport.h"
#include "tests/model/SchemalystTestSupport.h"

namespace smx::cmptest {
namespace {

using Strings = std::vector<std::string>;
using V = TIBSQLServerVersionType;
using enum TDatabaseType;
using enum TCmpObjType;

// A comparer whose master is of type MasterType and whose target is of type TargetType; Fill
// fills the master at extraction.
struct ConvertRig : Rig {
    ConvertRig(TDatabaseType MasterType, TDatabaseType TargetType, V Version = V::st_Firebird_30) {
        master.SetDatabaseType(MasterType);
        target.SetDatabaseType(TargetType);
        for (Structure* s : {&master, &target})
            s->GetIBServerOptions().SetSQLServerVersion(Version);
        cmp.OnLogNextLine = [this](TObject*, const std::string& t) { log.push_back(t); };
        Wire();
    }
    bool Extract() { return cmp.ExtractStructures(); }
    Strings log;
};

TCmpObjSetType Removed(const TSchemalyst& c) {
    return AllCmpObjTypes - c.GetCompareObjects();
}

TEST(ConversionTest, WhichConverterRunsAndWhatItNarrows) {
    struct Case {
        TDatabaseType master, target;
        const char* line; // nullptr: no conversion
        TCmpObjSetType removed;
    };
    const std::vector<Case> cases = {
        {dbMSSQL,
         dbInterBase,
         "Convert master-database to IB/FB-database...",
         {coFunction, coView, coProcedure, coTrigger, coGrant, coDefault, coCtrDefault}},
        {dbInterBase,
         dbMySQL,
         "Convert master-database to MySQL-database...",
         {coDomain, coFunction, coGenerator, coException, coView, coProcedure, coTrigger, coRole, coGrant}},
        {dbInterBase,
         dbMSSQL,
         "Convert master-database to MSSQL-database...",
         {coFunction, coGenerator, coException, coProcedure, coTrigger, coGrant, coRoleGrant, coUserGrant,
          coObjGrant}},
        {dbInterBase,
         dbSybaseASA,
         "Convert master-database to Sybase-database...",
         {coFunction, coGenerator, coException, coView, coProcedure, coTrigger, coGrant}},
        {dbInterBase,
         dbPostgreSQL,
         "Convert master-database to PostgreSQL-database...",
         {coFunction, coGenerator, coException, coView, coProcedure, coTrigger, coRole, coGrant, coRoleGrant,
          coUserGrant, coObjGrant}},
        {dbInterBase, dbInterBase, nullptr, {}},
        {dbInterBase, dbOracle, nullptr, {}},
        {dbInterBase, dbDB2, nullptr, {}},
        {dbInterBase, dbSybaseASE, nullptr, {}},
        {dbInterBase, dbCustomOLEDB, nullptr, {}},
    };
    for (const Case& c : cases) {
        ConvertRig r(c.master, c.target);
        AddTable(r.master.Objs(), "T", {"ID"});
        ASSERT_TRUE(r.Extract());
        const bool converted =
            std::find(r.log.begin(), r.log.end(), std::string(c.line ? c.line : "")) != r.log.end();
        EXPECT_EQ(converted, c.line != nullptr) << int(c.target);
        EXPECT_EQ(Removed(r.cmp), c.removed) << int(c.target);
        EXPECT_EQ(r.master.Objs().GetDatabaseType(), c.line ? c.target : c.master) << int(c.target);
    }
}

TEST(ConversionTest, NarrowingLastsOneRun) {
    ConvertRig r(dbMSSQL, dbInterBase);
    ASSERT_TRUE(r.Extract());
    EXPECT_FALSE(r.cmp.GetCompareObjects().contains(coView));
    // The master is read again as InterBase: views are compared again.
    r.master.SetDatabaseType(dbInterBase);
    ASSERT_TRUE(r.Extract());
    EXPECT_TRUE(r.cmp.GetCompareObjects().contains(coView));
    EXPECT_EQ(r.cmp.GetCompareObjects(), AllCmpObjTypes);
}

TEST(ConversionTest, DefaultsAndNamesForInterBase) {
    struct Case {
        const char* in;
        V version;
        const char* out;
    };
    const std::vector<Case> cases = {
        {"((getdate()))", V::st_Firebird_30, "CURRENT_DATE"},
        {"((getdate()))", V::st_InterBase_5x, "'TODAY'"},
        {"GETDATE()", V::st_InterBase_4x, "'TODAY'"},
        {"(newid())", V::st_Firebird_30, ""},
        {"((0))", V::st_Firebird_30, "0"},
        {"((1)+(2))", V::st_Firebird_30, "(1)+(2)"},
        {"('(a')", V::st_Firebird_30, "'(a'"},
        {"(", V::st_Firebird_30, "("},
        {"()", V::st_Firebird_30, ""},
        {"'x'", V::st_Firebird_30, "'x'"},
    };
    for (const Case& c : cases) {
        ConvertRig r(dbMSSQL, dbInterBase, c.version);
        EXPECT_EQ(r.cmp.ConvertDefaultToIB(c.in), c.out) << c.in;
    }
    const std::string n31(31, 'A');
    EXPECT_EQ(TSchemalyst::TruncateName(n31), n31);
    EXPECT_EQ(TSchemalyst::TruncateName(n31 + "B"), n31);
    EXPECT_EQ(TSchemalyst::TruncateName(""), "");
}

TEST(ConversionTest, MSSQLTablesBecomeInterBase) {
    ConvertRig r(dbMSSQL, dbInterBase, V::st_Firebird_25);
    r.cmp.GetIBCompareOptions().SetFldCharsetCompare(true);
    r.exMaster.Fill = [](CodeExtract& x) {
        TCustomObjs& o = *x.GetDBStructure()->GetObjs();
        const std::string longName(40, 'L');
        TTblData* t = AddTable(o, longName, {});
        t->SetParentName("dbo");
        auto col = [&](const std::string& n, std::uint8_t code, int len = 0) {
            TFldData* f = AddColumn(t, n, code, len);
            return f;
        };
        col("NV", 50, 20);
        col("NVMAX", 50, -1);
        col("VMAX", 14, -1);
        col("NC", 49, 3);
        col("TX", 48);
        col("NTX", 52);
        col("MONEY_", 73);
        col("SMALLMONEY_", 74);
        col("B1", 71)->DefaultValue = "((1))";
        col("B2", 71)->DefaultValue = "('yes')";
        col("DT", 23)->DefaultValue = "(getdate())";
        col("TI", 8);
        col("R", 9);
        col("D", 10);
        col("VB", 76, 16);
        col("IMG", 77);
        col("GUID", 79)->DefaultValue = "(newid())";
        col("X", 85);
        TFldData* s = col("SN", 80);
        s->CollationName = "Latin1_General_CI_AS";
        col(std::string(35, 'C'), 1);
        // A default constraint moves into its column.
        auto* c = new TCtrData(&o);
        c->SetName("DF_" + longName);
        c->SetConstraintType(ctDefault);
        c->SetTableName(longName);
        c->AddColumn("TI");
        c->SetSource("((7))");
        o.AddObject(c, true);
    };
    ASSERT_TRUE(r.Extract());
    TTblData* t = r.master.Objs().FindTable(std::string(31, 'L'));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->GetParentName(), "");
    std::vector<std::string> defs;
    for (int i = 0; i < t->FieldCount(); ++i)
        defs.push_back(t->Field(i)->GetCreateSQL());
    EXPECT_EQ(defs, (Strings{"NV VARCHAR(20) CHARACTER SET UTF8",
                             "NVMAX BLOB SUB_TYPE 1 CHARACTER SET UTF8",
                             "VMAX BLOB SUB_TYPE 1",
                             "NC CHAR(3) CHARACTER SET UTF8",
                             "TX BLOB SUB_TYPE 1",
                             "NTX BLOB SUB_TYPE 1 CHARACTER SET UTF8",
                             "MONEY_ NUMERIC(18,4)",
                             "SMALLMONEY_ NUMERIC(9,4)",
                             "B1 SMALLINT DEFAULT 1",
                             "B2 SMALLINT",
                             "DT TIMESTAMP DEFAULT CURRENT_DATE",
                             "TI SMALLINT DEFAULT 7",
                             "R FLOAT",
                             "D DOUBLE PRECISION",
                             "VB BLOB",
                             "IMG BLOB",
                             "GUID VARCHAR(38)",
                             "X BLOB SUB_TYPE 1 CHARACTER SET UTF8",
                             "SN VARCHAR(256) CHARACTER SET UTF8",
                             std::string(31, 'C') + " INTEGER"}));
    // The default constraint is never written.
    r.cmp.CompareStructures();
    for (const std::string& line : ScriptLines(*r.cmp.GetSQLExec()))
        EXPECT_EQ(line.find("DF_"), std::string::npos) << line;
}

TEST(ConversionTest, InterBaseTablesBecomeMSSQL) {
    ConvertRig r(dbInterBase, dbMSSQL);
    r.exMaster.Fill = [](CodeExtract& x) {
        TCustomObjs& o = *x.GetDBStructure()->GetObjs();
        o.GetIBServerOptions().SetDBCharSet("UTF8");
        TTblData* t = AddTable(o, "T", {});
        t->SetDescription("gone");
        AddColumn(t, "ID", 1)->Nullable = false;
        AddColumn(t, "TS", 20)->DefaultValue = "CURRENT_TIMESTAMP";
        AddColumn(t, "NEG", 1)->DefaultValue = "-1";
        AddColumn(t, "P", 1)->DefaultValue = "(5)";
        AddColumn(t, "S", 14, 10)->DefaultValue = "'x'";
        AddColumn(t, "W", 14, 10)->CharSetName = "WIN1252";
        AddColumn(t, "F", 4);
        AddColumn(t, "TXT", 41)->SubType = 1;
        AddColumn(t, "BIN", 41);
        auto* pk = new TCtrData(&o);
        pk->SetName("PK_T");
        pk->SetConstraintType(ctPrimaryKey);
        pk->SetTableName("T");
        pk->AddColumn("ID");
        o.AddObject(pk, true);
        auto* fk = new TCtrData(&o);
        fk->SetName("FK_T");
        fk->SetConstraintType(ctForeignKey);
        fk->SetTableName("T");
        fk->AddColumn("P");
        fk->SetRefTableName("T");
        fk->AddRefColumn("ID");
        fk->DeleteRule = raSetNull;
        fk->UpdateRule = raCascade;
        o.AddObject(fk, true);
        auto* ix = new TIdxData(&o);
        ix->SetName("IX_T");
        ix->TableName = "T";
        ix->Descending = true;
        ix->AddColumn("S");
        o.AddObject(ix, true);
    };
    ASSERT_TRUE(r.Extract());
    TObjs& m = r.master.Objs();
    TTblData* t = m.FindTable("T");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->GetDescription(), "");
    Strings defs;
    for (int i = 0; i < t->FieldCount(); ++i)
        defs.push_back(t->Field(i)->GetCreateSQL());
    EXPECT_EQ(defs, (Strings{"ID INTEGER NOT NULL", "TS DATETIME NULL", "NEG INTEGER NULL", "P INTEGER NULL",
                             "S NVARCHAR(10) NULL", "W VARCHAR(10) NULL", "F FLOAT NULL", "TXT TEXT NULL",
                             "BIN IMAGE NULL"}));
    // Each default became a default constraint on its column.
    Strings defaults;
    TStringList& constraints = m.Constraints();
    for (int i = 0; i < constraints.Count(); ++i)
        if (auto* c = dynamic_cast<TCtrData*>(constraints.Objects(i));
            c && c->GetConstraintType() == ctDefault)
            defaults.push_back(c->Columns[0] + " " + c->GetSource());
    std::sort(defaults.begin(), defaults.end());
    EXPECT_EQ(defaults, (Strings{"NEG ((-1))", "P 5", "S ('x')", "TS (getdate())"}));
    auto* pk = dynamic_cast<TCtrData*>(m.FindObject(TObjsList::olConstraints, "PK_T"));
    auto* fk = dynamic_cast<TCtrData*>(m.FindObject(TObjsList::olConstraints, "FK_T"));
    ASSERT_TRUE(pk && fk);
    EXPECT_TRUE(pk->Clustered);
    EXPECT_EQ(fk->DeleteRule, raNone);
    EXPECT_EQ(fk->UpdateRule, raNone);
    EXPECT_FALSE(dynamic_cast<TIdxData*>(m.FindObject(TObjsList::olIndices, "IX_T"))->Descending);
}

TEST(ConversionTest, InterBaseTablesBecomeSQLAnywhere) {
    ConvertRig r(dbInterBase, dbSybaseASA);
    r.exMaster.Fill = [](CodeExtract& x) {
        TCustomObjs& o = *x.GetDBStructure()->GetObjs();
        TTblData* t = AddTable(o, "T", {});
        AddColumn(t, "A", 1);
        AddColumn(t, "B", 4);
        AddColumn(t, "C", 41)->SubType = 1;
        AddColumn(t, "D", 41);
        auto* uq = new TCtrData(&o);
        uq->SetName("UQ_T");
        uq->SetConstraintType(ctUnique);
        uq->SetTableName("T");
        uq->AddColumn("B");
        uq->AddColumn("A");
        o.AddObject(uq, true);
        auto* fk = new TCtrData(&o);
        fk->SetName("FK_T");
        fk->SetConstraintType(ctForeignKey);
        fk->SetTableName("T");
        fk->AddColumn("A");
        fk->SetRefTableName("T");
        fk->DeleteRule = raCascade;
        o.AddObject(fk, true);
    };
    ASSERT_TRUE(r.Extract());
    TObjs& m = r.master.Objs();
    TTblData* t = m.FindTable("T");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Owner2, "DBA");
    EXPECT_EQ(t->Field(1)->DataType, 10);
    EXPECT_EQ(t->Field(2)->DataType, 16);
    EXPECT_EQ(t->Field(3)->DataType, 45);
    EXPECT_FALSE(t->Field(0)->Nullable); // a unique key's columns
    EXPECT_FALSE(t->Field(1)->Nullable);
    TCtrData* uq = nullptr;
    TCtrData* fk = nullptr;
    TStringList& constraints = m.Constraints();
    for (int i = 0; i < constraints.Count(); ++i)
        if (auto* c = dynamic_cast<TCtrData*>(constraints.Objects(i)))
            (c->GetConstraintType() == ctUnique ? uq : fk) = c;
    ASSERT_TRUE(uq && fk);
    EXPECT_EQ(uq->GetColumnsText(), "A, B"); // in the table's column order
    EXPECT_EQ(fk->GetName(), "");
    EXPECT_EQ(fk->RoleName, "FK_T");
    EXPECT_EQ(fk->RefOwner, "DBA");
    EXPECT_EQ(fk->DeleteRule, raNone);
}

// ---- Renamed names are followed by what refers to them ----------------------------------------------

// InterBase master: ORDERS("DATE", "ORDER NO", D_CODE-typed CODE) with PK_ORDERS("DATE"), index
// IX_ORDERS("DATE", "ORDER NO"), and LINES("ORDER DATE") whose FK_LINES points at ORDERS("DATE").
void FillOrders(CodeExtract& x) {
    TCustomObjs& o = *x.GetDBStructure()->GetObjs();
    test::AddDomain(&o, "D_CODE", 1);
    TTblData* t = AddTable(o, "ORDERS", {});
    AddColumn(t, "DATE", 18);
    AddColumn(t, "ORDER NO", 1);
    AddColumn(t, "CODE", DomainDataType)->DomainName = "D_CODE";
    TTblData* l = AddTable(o, "LINES", {});
    AddColumn(l, "ORDER DATE", 18);
    auto* pk = new TCtrData(&o);
    pk->SetName("PK_ORDERS");
    pk->SetConstraintType(ctPrimaryKey);
    pk->SetTableName("ORDERS");
    pk->AddColumn("DATE");
    o.AddObject(pk, true);
    auto* fk = new TCtrData(&o);
    fk->SetName("FK_LINES");
    fk->SetConstraintType(ctForeignKey);
    fk->SetTableName("LINES");
    fk->AddColumn("ORDER DATE");
    fk->SetRefTableName("ORDERS");
    fk->AddRefColumn("DATE");
    o.AddObject(fk, true);
    auto* ix = new TIdxData(&o);
    ix->SetName("IX_ORDERS");
    ix->TableName = "ORDERS";
    ix->AddColumn("DATE");
    ix->AddColumn("ORDER NO");
    o.AddObject(ix, true);
}

Strings StatementTexts(TCustomSQLExec& exec) {
    Strings r;
    for (int i = 0; i < exec.GetStatementCount(); ++i) {
        const TStatement* st = exec.GetStatement(i);
        if (st->StatType != TStatType::stStatement) continue;
        std::string text = st->Lines.Text();
        r.push_back(text.substr(0, text.size() - 2));
    }
    return r;
}

TEST(ConversionTest, MySQLKeysAndIndicesFollowRenamedColumns) {
    ConvertRig r(dbInterBase, dbMySQL);
    r.exMaster.Fill = FillOrders;
    ASSERT_TRUE(r.Extract());
    r.cmp.CompareStructures();
    const Strings texts = StatementTexts(*r.cmp.GetSQLExec());
    EXPECT_EQ(
        texts,
        (Strings{"CREATE TABLE `lines`(ORDER_DATE DATE)",
                 "CREATE TABLE `orders`(DATE_ DATE,\r\nORDER_NO INTEGER,\r\nCODE INTEGER,\r\n"
                 "PRIMARY KEY(DATE_),\r\nKEY IX_ORDERS (DATE_, ORDER_NO))",
                 "ALTER TABLE `lines` ADD CONSTRAINT FK_LINES FOREIGN KEY (ORDER_DATE) REFERENCES `orders` "
                 "(DATE_)"}));
}

TEST(ConversionTest, PostgreSQLIndicesAndDomainsFollowRenamedNames) {
    ConvertRig r(dbInterBase, dbPostgreSQL);
    r.exMaster.Fill = FillOrders;
    ASSERT_TRUE(r.Extract());
    TObjs& m = r.master.Objs();
    TTblData* t = m.FindTable("public.orders");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Field(1)->GetName(), "ORDER NO"); // needs quotes either way: kept
    EXPECT_EQ(t->Field(2)->DomainName, "d_code");
    auto* ix = dynamic_cast<TIdxData*>(m.FindObject(TObjsList::olIndices, "public.orders.ix_orders"));
    ASSERT_NE(ix, nullptr);
    EXPECT_EQ(ix->GetColumnsText(), "date, \"ORDER NO\"");
    auto* fk = dynamic_cast<TCtrData*>(m.FindObject(TObjsList::olConstraints, "public.fk_lines"));
    ASSERT_NE(fk, nullptr);
    EXPECT_EQ(fk->RefTableName, "orders");
    EXPECT_EQ(fk->GetColumnsText(), "\"ORDER DATE\"");
    EXPECT_EQ(fk->GetRefColumnsText(), "date");
}

// ---- Whole scripts of an InterBase master (golden files) ----------------------------------------------

// The script must equal the golden file; with SMX_UPDATE_GOLDEN set, the file is written instead.
void ExpectGolden(const std::string& Name, const std::string& Text) {
    const std::string path = std::string(SMX_GOLDEN_DIR) + "/" + Name;
    if (std::getenv("SMX_UPDATE_GOLDEN")) {
        std::ofstream(path, std::ios::binary) << Text;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    std::ostringstream golden;
    golden << in.rdbuf();
    EXPECT_EQ(Text, golden.str()) << path;
}

// Domain D_FLAG; CUSTOMER with key, two indices, every kind of column the converters rewrite; a
// view, a procedure and a generator that no conversion target compares.
void FillCustomer(CodeExtract& x) {
    TCustomObjs& o = *x.GetDBStructure()->GetObjs();
    test::AddDomain(&o, "D_FLAG", 54, 0, 0, "0");
    TTblData* t = AddTable(o, "CUSTOMER", {});
    AddColumn(t, "ID", 1)->Nullable = false;
    TFldData* name = AddColumn(t, "NAME", 14, 40);
    name->CharSetName = "UTF8";
    name->CollationName = "UNICODE_CI";
    AddColumn(t, "NOTE", 41)->SubType = 1;
    AddColumn(t, "PIC", 41);
    AddColumn(t, "CREATED", 20)->DefaultValue = "'NOW'";
    AddColumn(t, "UPDATED", 20)->DefaultValue = "'NOW'";
    test::AddNumeric(t, "AMOUNT", 18, 2)->DefaultValue = "1.5";
    AddColumn(t, "DATE", 18);
    AddColumn(t, "FLAG", DomainDataType)->DomainName = "D_FLAG";
    AddColumn(t, "ORDER NO", 1);
    auto* pk = new TCtrData(&o);
    pk->SetName("PK_CUSTOMER");
    pk->SetConstraintType(ctPrimaryKey);
    pk->SetTableName("CUSTOMER");
    pk->AddColumn("ID");
    o.AddObject(pk, true);
    for (auto [index, column] : {std::pair{"IX_CUSTOMER_NAME", "NAME"}, {"IX_CUSTOMER_DATE", "DATE"}}) {
        auto* ix = new TIdxData(&o);
        ix->SetName(index);
        ix->TableName = "CUSTOMER";
        ix->AddColumn(column);
        o.AddObject(ix, true);
    }
    AddView(o, "V_CUSTOMER", "SELECT ID FROM CUSTOMER");
    AddProc(o, "P_CUSTOMER", "BEGIN EXIT; END");
    auto* g = new TGnrData(&o);
    g->SetName("G_CUSTOMER");
    o.AddObject(g, true);
}

struct GoldenCase {
    TDatabaseType target;
    const char* file;
    const char* line;
    int removed;
};

TEST(ConversionTest, GoldenScriptsOfAnInterBaseMaster) {
    const GoldenCase cases[] = {
        {dbMySQL, "conversion/mysql.sql", "Convert master-database to MySQL-database...", 9},
        {dbPostgreSQL, "conversion/postgresql.sql", "Convert master-database to PostgreSQL-database...", 11},
    };
    for (const GoldenCase& c : cases) {
        ConvertRig r(dbInterBase, c.target);
        r.exMaster.Fill = FillCustomer;
        ASSERT_TRUE(r.Extract());
        EXPECT_NE(std::find(r.log.begin(), r.log.end(), c.line), r.log.end());
        int removed = 0;
        for (int k = 0; k < 23; ++k)
            removed += r.cmp.GetCompareObjects().contains(static_cast<TCmpObjType>(k)) ? 0 : 1;
        EXPECT_EQ(removed, c.removed);
        r.cmp.CompareStructures();
        TStringList lines;
        r.cmp.GetSQLExec()->GetScriptLines(lines, false);
        const std::string first = lines.Text();
        ExpectGolden(c.file, first);
        // A second comparison of the same pair writes the same text.
        r.cmp.CompareStructures();
        lines.Clear();
        r.cmp.GetSQLExec()->GetScriptLines(lines, false);
        EXPECT_EQ(lines.Text(), first);
    }
}

} // namespace
} // namespace smx::cmptest
