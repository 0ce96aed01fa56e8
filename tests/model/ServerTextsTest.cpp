// The PostgreSQL and MySQL texts of the object kinds on real servers (PostgreSQL 15, MariaDB):
// every column type of each dialect's data-type table through CREATE TABLE, ADD, the type a changed
// column is given, the descriptions and both DROP texts, with the type the server then holds; and
// the DDL script of a structure holding every kind of the dialect, followed by the kinds' ALTER,
// description and DROP texts. The PostgreSQL objects live in a schema other than public (and, once,
// in public without a schema), the MySQL ones in a second database.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "model/smxComp_Cnv.h"
#include "model/smxComp_Ctr.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Opr.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Rul.h"
#include "model/smxComp_Sch.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "tests/model/ServerTestSupport.h"

namespace smx::test {
namespace {

using enum TDatabaseType;

const auto* const Report = ::testing::AddGlobalTestEnvironment(new CountReport);

/// One column type: the column's record, and the type the server reports for it.
struct TypeRow {
    std::uint8_t code;
    int length, precision, scale;
    std::function<void(TFldData&)> extra;
    std::string expected;
};

// Names the server needs quoted or keeps as they are: reserved words and mixed case.
const char* const ColumnNames[] = {"Order", "select", "MixedCase", "user", "from", "plain_name", "Table"};

// ---- PostgreSQL ----------------------------------------------------------------------------------------

std::string PgType(Server<PgSession>& pg, const std::string& schema, const std::string& table,
                   const std::string& column) {
    return pg.Value("SELECT format_type(a.atttypid, a.atttypmod) FROM pg_attribute a JOIN pg_class c ON "
                    "c.oid = a.attrelid JOIN pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname = '" +
                    schema + "' AND c.relname = '" + table + "' AND a.attname = '" + column + "'");
}

TEST(ServerTexts, PostgreSQLColumnTypes) {
    Server<PgSession> pg(dbPostgreSQL);
    SMX_NEED_SERVER(pg);
    ASSERT_TRUE(pg.Run("CREATE SCHEMA \"Sales\""));
    const std::vector<TypeRow> rows = {
        {1, 0, 0, 0,
         [](TFldData& f) {
             f.Nullable = false;
             f.DefaultValue = "7";
         },
         "integer"},
        {2, 0, 0, 0, {}, "bigint"},
        {3, 0, 0, 0, {}, "double precision"},
        {4, 0, 0, 0, {}, "double precision"},
        {5, 0, 0, 0, {}, "real"},
        {6, 0, 0, 0, {}, "double precision"},
        {9, 0, 0, 0, {}, "real"},
        {14, 20, 0, 0, [](TFldData& f) { f.DefaultValue = "'it''s'"; }, "character varying(20)"},
        {14, 10, 0, 0, [](TFldData& f) { f.CollationName = "C"; }, "character varying(10)"},
        {14, 10, 0, 0, [](TFldData& f) { f.CharSetName = "UTF8"; }, "character varying(10)"},
        {15, 5, 0, 0, {}, "character(5)"},
        {18, 0, 0, 0, [](TFldData& f) { f.DefaultValue = "current_date"; }, "date"},
        {19, 0, 3, 0, {}, "time(3) without time zone"},
        {20, 0, 3, 0, {}, "timestamp(3) without time zone"},
        {20, 0, 0, 0, {}, "timestamp without time zone"},
        {21, 0, 0, 0, {}, "time with time zone"},
        {22, 0, 6, 0, {}, "timestamp(6) with time zone"},
        {30, 0, 0, 0, {}, "point"},
        {34, 0, 0, 0, {}, "polygon"},
        {46, 0, 18, 2, [](TFldData& f) { f.DefaultValue = "1.5"; }, "numeric(18,2)"},
        {47, 0, 10, 0, {}, "numeric(10,0)"},
        {48, 0, 0, 0, {}, "text"},
        {54, 0, 0, 0, {}, "smallint"},
        {57, 5, 0, 0, {}, "character(5)"},
        {71, 8, 0, 0, {}, "bit(8)"},
        {72, 16, 0, 0, {}, "bit varying(16)"},
        {73, 0, 0, 0, {}, "money"},
        {85, 0, 0, 0, {}, "xml"},
        {88, 0, 0, 0, {}, "integer"},
        {89, 0, 0, 0, {}, "bigint"},
        {90, 0, 0, 0, {}, "bytea"},
        {91, 0, 0, 0, {}, "interval"},
        {92, 0, 0, 0, {}, "smallint"},
        {93, 0, 0, 0, {}, "integer"},
        {94, 0, 0, 0, {}, "bigint"},
        {95, 0, 0, 0, {}, "oid"},
        {96, 0, 0, 0, [](TFldData& f) { f.DefaultValue = "true"; }, "boolean"},
        {1, 0, 0, 0,
         [](TFldData& f) {
             f.Dimensions = {{1, 0}};
         },
         "integer[]"},
        {46, 0, 9, 3,
         [](TFldData& f) {
             f.Dimensions = {{1, 4}};
         },
         "numeric(9,3)[]"},
    };
    TDBStructure s;
    SetUpStructure(s, dbPostgreSQL);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TypeRow& r = rows[i];
        auto* t = new TTblData(s.Objs());
        t->SetName("T" + std::to_string(i));
        t->SetParentName("Sales");
        s.Objs()->AddObject(t, true);
        const std::string name = ColumnNames[i % std::size(ColumnNames)];
        TFldData* f = Column(t, name, r.code, r.length, r.precision, r.scale);
        if (r.extra) r.extra(*f);
        const std::string what = "type " + std::to_string(r.code) + " (" + f->GetDefinitionSQL() + ")";
        if (!pg.Run(t->GetCreateSQL(), what)) continue;
        EXPECT_EQ(PgType(pg, "Sales", t->GetName(), name), r.expected) << what;
        // The column again, added to the table, described and dropped.
        TFldData* g = Column(t, "Added " + name, r.code, r.length, r.precision, r.scale);
        if (r.extra) r.extra(*g);
        g->Nullable = true;
        pg.Run(g->GetCreateScript(), what);
        EXPECT_EQ(PgType(pg, "Sales", t->GetName(), g->GetName()), r.expected) << what << " added";
        // The type text a changed column is altered to (PostgreSQL takes no serial there).
        if (r.code != 88 && r.code != 89)
            pg.Run("ALTER TABLE " + t->GetQualifiedObjectName() + " ALTER COLUMN " +
                       t->QuoteName(g->GetName()) + " TYPE " + g->GetColumnTypeText(),
                   what + " altered");
        g->SetDescription("it's the added one");
        t->SetDescription("a table");
        pg.Run(g->GetDescriptionSQL(), what);
        pg.Run(t->GetDescriptionSQL(), what);
        pg.Run(g->GetDropSQL(), what);
        pg.Run(t->GetDropSQL(), what);
    }
    EXPECT_EQ(pg.Value("SELECT count(*) FROM pg_tables WHERE schemaname = 'Sales'"), "0");
}

// ---- MySQL ---------------------------------------------------------------------------------------------

std::string MyType(Server<MySession>& my, const std::string& db, const std::string& table,
                   const std::string& column) {
    return my.Value("SELECT COLUMN_TYPE FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = '" + db +
                    "' AND TABLE_NAME = '" + table + "' AND COLUMN_NAME = '" + column + "'");
}

TEST(ServerTexts, MySQLColumnTypes) {
    Server<MySession> my(dbMySQL);
    SMX_NEED_SERVER(my);
    const auto quoted = [](std::vector<std::string> v) {
        return [v](TFldData& f) {
            for (const std::string& m : v)
                f.EnumValues.Add(m);
        };
    };
    const std::vector<TypeRow> rows = {
        {1, 0, 11, 0,
         [](TFldData& f) {
             f.Unsigned = true;
             f.Nullable = false;
             f.DefaultValue = "7";
         },
         "int(11) unsigned"},
        {2, 0, 0, 0, {}, "bigint(20)"},
        {3, 0, 7, 2, {}, "float(7,2)"},
        {3, 0, 0, 0, {}, "float"},
        {4, 0, 15, 0, {}, "double(15,0)"},
        {4, 0, 0, 0, {}, "double"},
        {8, 0, 3, 0, [](TFldData& f) { f.Zerofill = true; }, "tinyint(3) unsigned zerofill"},
        {9, 0, 10, 2, {}, "double(10,2)"},
        {10, 0, 12, 0, {}, "double(12,0)"},
        {10, 0, 0, 0, {}, "double"},
        {14, 40, 0, 0,
         [](TFldData& f) {
             f.CharSetName = "utf8mb4";
             f.CollationName = "utf8mb4_bin";
         },
         "varchar(40)"},
        {14, 20, 0, 0, [](TFldData& f) { f.DefaultValue = "'it''s'"; }, "varchar(20)"},
        {15, 3, 0, 0, [](TFldData& f) { f.Binary = true; }, "char(3)"},
        {18, 0, 0, 0, {}, "date"},
        {19, 0, 0, 0, {}, "time"},
        {20, 0, 0, 0,
         [](TFldData& f) {
             f.Nullable = false;
             f.DefaultValue = "CURRENT_TIMESTAMP";
         },
         "timestamp"},
        {23, 0, 0, 0, {}, "datetime"},
        {29, 0, 0, 0, {}, "geometry"},
        {30, 0, 0, 0, {}, "point"},
        {32, 0, 0, 0, {}, "linestring"},
        {34, 0, 0, 0, {}, "polygon"},
        {35, 0, 0, 0, {}, "geometrycollection"},
        {36, 0, 0, 0, {}, "multipoint"},
        {38, 0, 0, 0, {}, "multilinestring"},
        {40, 0, 0, 0, {}, "multipolygon"},
        {41, 0, 0, 0, {}, "blob"},
        {44, 4, 0, 0, {}, "binary(4)"},
        {46, 0, 10, 2, {}, "decimal(10,2)"},
        {47, 0, 8, 3, [](TFldData& f) { f.DefaultValue = "'1.50'"; }, "decimal(8,3)"},
        {48, 0, 0, 0, {}, "text"},
        {49, 4, 0, 0, {}, "char(4)"},
        {50, 30, 0, 0, {}, "varchar(30)"},
        {50, 0, 0, 0, {}, "varchar(255)"},
        {54, 0, 0, 0, {}, "smallint(6)"},
        {57, 2, 0, 0, {}, "char(2)"},
        {61, 0, 0, 0, {}, "mediumint(9)"},
        {62, 0, 0, 0, {}, "year(4)"},
        {63, 0, 0, 0, {}, "tinyblob"},
        {64, 0, 0, 0, {}, "mediumblob"},
        {65, 0, 0, 0, {}, "longblob"},
        {66, 0, 0, 0, {}, "tinytext"},
        {67, 0, 0, 0, {}, "mediumtext"},
        {68, 0, 0, 0, {}, "longtext"},
        {69, 0, 0, 0, quoted({"'a'", "'b''c'"}), "enum('a','b''c')"},
        {70, 0, 0, 0, quoted({"'x'", "'y'"}), "set('x','y')"},
        {71, 0, 8, 0, {}, "bit(8)"},
        {76, 16, 0, 0, {}, "varbinary(16)"},
        {96, 0, 0, 0, {}, "tinyint(1)"},
    };
    // The tables go to a second database; the session stays in its own.
    const std::string db2 = my.S.Database + "_b";
    ASSERT_EQ(my.S.MakeDatabase(db2), "");
    TDBStructure s;
    SetUpStructure(s, dbMySQL);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TypeRow& r = rows[i];
        auto* t = new TTblData(s.Objs());
        t->SetName("T" + std::to_string(i));
        s.Objs()->AddObject(t, true);
        const std::string name = ColumnNames[i % std::size(ColumnNames)];
        TFldData* f = Column(t, name, r.code, r.length, r.precision, r.scale);
        if (r.extra) r.extra(*f);
        const std::string what = "type " + std::to_string(r.code) + " (" + f->GetDefinitionSQL() + ")";
        my.Run("USE " + db2);
        if (!my.Run(t->GetCreateSQL(), what)) continue;
        EXPECT_EQ(MyType(my, db2, t->GetName(), name), r.expected) << what;
        TFldData* g = Column(t, "Added " + name, r.code, r.length, r.precision, r.scale);
        if (r.extra) r.extra(*g);
        my.Run(g->GetCreateScript(), what);
        EXPECT_EQ(MyType(my, db2, t->GetName(), g->GetName()), r.expected) << what << " added";
        // A MySQL column description modifies the column with its whole definition, as a changed
        // column is modified.
        g->SetDescription("it's the added one");
        my.Run(g->GetDescriptionSQL(), what);
        EXPECT_EQ(MyType(my, db2, t->GetName(), g->GetName()), r.expected) << what << " described";
        if (i == 0) {
            t->SetDescription("a table");
            my.Run(t->GetDescriptionSQL(), what);
        }
        my.Run(g->GetDropSQL(), what);
        my.Run(t->GetDropSQL(), what);
        my.Run("USE " + my.S.Database);
    }
    EXPECT_EQ(my.Value("SELECT count(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = '" + db2 + "'"),
              "0");
}

TEST(ServerTexts, MySQLAutoIncrementWithItsKeyInline) {
    Server<MySession> my(dbMySQL);
    SMX_NEED_SERVER(my);
    TDBStructure s;
    SetUpStructure(s, dbMySQL);
    auto* t = new TTblData(s.Objs());
    t->SetName("Counter");
    s.Objs()->AddObject(t, true);
    TFldData* id = Column(t, "Id", 1);
    id->Nullable = false;
    id->AutoIncrement = true;
    Column(t, "Name", 14, 20);
    auto* pk = new TCtrData(s.Objs());
    pk->SetName("PK_COUNTER");
    pk->SetConstraintType(ctPrimaryKey);
    pk->SetTableName("Counter");
    pk->AddColumn("Id");
    s.Objs()->AddObject(pk, true);
    ASSERT_TRUE(my.Run(t->GetCreateSQL()));
    EXPECT_EQ(my.Value("SELECT EXTRA FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE() AND "
                       "TABLE_NAME = 'Counter' AND COLUMN_NAME = 'Id'"),
              "auto_increment");
    EXPECT_EQ(
        my.Value("SELECT CONSTRAINT_TYPE FROM information_schema.TABLE_CONSTRAINTS WHERE TABLE_SCHEMA = "
                 "DATABASE() AND TABLE_NAME = 'Counter'"),
        "PRIMARY KEY");
}

// ---- Every kind in one structure -----------------------------------------------------------------------

/// The PostgreSQL kinds in schema S ("Sales"; none, that is the search path's public, when
/// empty): schema, domain, composite type, sequence, two tables with keys, a check and an index, a
/// view, SQL, PL/pgSQL and C functions, a trigger, a rule, a conversion and an operator, each
/// described and some with an owner.
struct PgKinds {
    PgKinds(TDBStructure& s, const std::string& S) {
        // How the sources the model keeps as written name the schema.
        const std::string in = S.empty() ? "" : "\"" + S + "\".";
        if (!S.empty()) {
            auto* schema = FileIn(s, new TSchData(s.Objs()), S);
            schema->SetDescription("the sales schema");
            schema->Owner2 = "Smx Owner";
        }
        auto* domain = FileIn(s, new TDmnData(s.Objs()), "Positive", S);
        domain->Type().DataType = 1;
        domain->Type().Nullable = false;
        domain->Type().CheckText = "(VALUE > 0)";
        domain->SetDescription("a positive number");
        domain->Owner2 = "Smx Owner";
        type = FileIn(s, new TDmnData(s.Objs()), "Pair", S);
        type->PGOptions->IsBaseType = 1;
        for (auto [name, code] : {std::pair{"a", 1}, {"Order", 48}}) {
            auto* f = new TFldData(s.Objs(), type);
            f->SetName(name);
            f->DataType = static_cast<std::uint8_t>(code);
            type->PGOptions->CompositeAttributes.AddObject(name, f);
        }
        seq = FileIn(s, new TGnrData(s.Objs()), "Order Numbers", S);
        seq->Increment = "2";
        seq->StartValue = "10";
        seq->Cycle = true;
        seq->MinValue = "2";
        seq->SetMaxValue("1000000");
        seq->SetCacheSize("5");
        seq->SetDescription("numbers");

        customer = FileIn(s, new TTblData(s.Objs()), "Customer", S);
        Column(customer, "Id", 1)->Nullable = false;
        Column(customer, "Name", 14, 40)->CollationName = "C";
        Column(customer, "Rank", DomainDataType)->DomainName = "Positive";
        Column(customer, "Seen", 22, 0, 3);
        customer->SetDescription("who buys");
        customer->Field(1)->SetDescription("the name");
        customer->Owner2 = "Smx Owner";
        customer->WithOids = 1;
        order = FileIn(s, new TTblData(s.Objs()), "Order", S);
        Column(order, "Id", 2)->Nullable = false;
        Column(order, "Customer", 1);
        Column(order, "select", 46, 0, 12, 2);
        pk = Key(s, "PK_Customer", ctPrimaryKey, "Customer", {"Id"}, S);
        pk->SetDescription("the key");
        Key(s, "PK_Order", ctPrimaryKey, "Order", {"Id"}, S);
        unique = Key(s, "UQ_Customer_Name", ctUnique, "Customer", {"Name"}, S);
        fk = Key(s, "FK_Order_Customer", ctForeignKey, "Order", {"Customer"}, S);
        fk->SetRefTableName("Customer");
        fk->AddRefColumn("Id");
        fk->DeleteRule = raCascade;
        fk->UpdateRule = raSetNull;
        fk->MatchType = 1;
        fk->Deferrable = true;
        fk->InitiallyDeferred = true;
        check = Key(s, "CK_Order", ctCheck, "Order", {}, S);
        check->SetSource("(\"select\" >= 0)");
        index = FileIn(s, new TIdxData(s.Objs()), "IX_Order_Customer", S);
        index->TableName = "Order";
        index->AddColumn("Customer");
        index->SetDescription("by customer");

        view = FileIn(s, new TViwData(s.Objs()), "Customer View", S);
        view->SetSource("SELECT \"Id\", \"Name\" FROM " + in + "\"Customer\"");
        view->AddField("Key");
        view->AddField("Label");
        view->SetDescription("a view");
        view->Owner2 = "Smx Owner";

        addOne = FileIn(s, new TPrcData(s.Objs()), "add one", S);
        addOne->IsFunctionFlag = 1;
        Param(addOne, "a", 1);
        Param(addOne, "", 1, true);
        addOne->Language = "sql";
        addOne->Volatility = "IMMUTABLE";
        addOne->Strict = 1;
        addOne->SetSource("SELECT a + 1;");
        addOne->SetDescription("adds one");
        addOne->Owner2 = "Smx Owner";
        touch = FileIn(s, new TPrcData(s.Objs()), "touch", S);
        touch->IsFunctionFlag = 1;
        touch->PGReturns = "trigger";
        touch->Language = "plpgsql";
        touch->SetSource("BEGIN NEW.\"Seen\" := now(); RETURN NEW; END;");
        conv = FileIn(s, new TPrcData(s.Objs()), "utf8 to latin1", S);
        conv->IsFunctionFlag = 1;
        for (std::uint8_t code : {1, 1, 56})
            Param(conv, "", code);
        Param(conv, "", DomainDataType)->DomainName = "internal";
        Param(conv, "", 1);
        Param(conv, "", 96);
        Param(conv, "", 1, true);
        conv->PGObjectFile = "$libdir/utf8_and_iso8859_1";
        conv->PGLinkSymbol = "utf8_to_iso8859_1";
        conv->Language = "c";
        conv->Strict = 1;
        // Parameter modes and result forms: OUT parameters with a record, a set, a variadic list.
        pair = FileIn(s, new TPrcData(s.Objs()), "pair", S);
        pair->IsFunctionFlag = 1;
        Param(pair, "a", 1)->ParamDirection = 1;
        Param(pair, "b", 1)->ParamDirection = 2;
        Param(pair, "c", 48)->ParamDirection = 3;
        pair->PGReturns = "record";
        pair->Language = "sql";
        pair->SetSource("SELECT a * 2, c;");
        series = FileIn(s, new TPrcData(s.Objs()), "series", S);
        series->IsFunctionFlag = 1;
        Param(series, "n", 1);
        Param(series, "", 1, true);
        series->SetOf = 1;
        series->Language = "sql";
        series->Volatility = "STABLE";
        series->SetSource("SELECT generate_series(1, n);");
        total = FileIn(s, new TPrcData(s.Objs()), "total", S);
        total->IsFunctionFlag = 1;
        TFldData* list = Param(total, "nums", 1);
        list->ParamDirection = 4;
        list->Dimensions = {{1, 0}};
        total->PGReturns = "bigint";
        total->Language = "sql";
        total->SetSource("SELECT sum(x) FROM unnest(nums) AS t(x);");

        trigger = FileIn(s, new TTrgData(s.Objs()), "Touch Customer", S);
        trigger->SetTableName("Customer");
        trigger->Time = 1;
        trigger->Events = 2 | 4;
        trigger->ForEachRow = 1;
        trigger->SetSource("EXECUTE PROCEDURE " + in + "touch()");
        trigger->SetDescription("stamps the row");
        rule = FileIn(s, new TRulData(s.Objs()), "keep orders", S);
        rule->Event = 3;
        rule->TableSchema = S;
        rule->TableName = "Order";
        rule->DoWord = "INSTEAD";
        rule->Nothing = true;
        conversion = FileIn(s, new TCnvData(s.Objs()), "Latin Conversion", S);
        conversion->SourceEncoding = "UTF8";
        conversion->TargetEncoding = "LATIN1";
        conversion->FunctionName = "utf8 to latin1";
        op = FileIn(s, new TOprData(s.Objs()), "===", S);
        op->ProcName = "int4eq";
        op->LeftArg = "integer";
        op->RightArg = "integer";
        op->Commutator = "OPERATOR(" + (S.empty() ? std::string("public.") : in) + "===)";
        opClass = FileIn(s, new TOpcData(s.Objs()), "Int Order", S);
        opClass->DataType = "integer";
        opClass->AccessMethod = "btree";
        const char* const ops[] = {"<", "<=", "=", ">=", ">"};
        for (int i = 0; i < 5; ++i)
            opClass->AddOperator(i + 1, ops[i]);
        TOpcFncData* cmp = opClass->AddFunction(1, "btint4cmp");
        cmp->ArgTypes.Add("integer");
        cmp->ArgTypes.Add("integer");
    }
    TDmnData* type;
    TGnrData* seq;
    TTblData *customer, *order;
    TCtrData *pk, *unique, *fk, *check;
    TIdxData* index;
    TViwData* view;
    TPrcData *addOne, *touch, *conv, *pair, *series, *total;
    TTrgData* trigger;
    TRulData* rule;
    TCnvData* conversion;
    TOprData* op;
    TOpcData* opClass;
};

/// The DDL script of every PostgreSQL kind in schema S (public when empty), then the kinds' texts
/// one by one.
void RunPgEveryKind(const std::string& S) {
    Server<PgSession> pg(dbPostgreSQL);
    SMX_NEED_SERVER(pg);
    // Roles belong to the whole instance: made once. Tests running side by side may both try, so
    // the one that comes second lets the other's role stand.
    pg.Run("DO $$BEGIN CREATE ROLE \"Smx Owner\"; EXCEPTION WHEN duplicate_object OR unique_violation THEN "
           "NULL; END$$");
    TDBStructure s;
    SetUpStructure(s, dbPostgreSQL);
    PgKinds k(s, S);
    const std::string nsp = S.empty() ? "public" : S;
    const std::string in = S.empty() ? "" : "\"" + S + "\".";
    const std::string script = ScriptText(*s.Objs());
    ASSERT_TRUE(pg.RunClientScript(script, "DDL script"));
    // What the script made, as the catalogue shows it.
    EXPECT_EQ(pg.Value("SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE "
                       "n.nspname = '" +
                       nsp + "' AND c.relkind IN ('r', 'v', 'S', 'i')"),
              "8");
    EXPECT_EQ(pg.Value("SELECT pg_get_userbyid(relowner) FROM pg_class WHERE oid = '" + in +
                       "\"Customer\"'::regclass"),
              "Smx Owner");
    EXPECT_EQ(pg.Value("SELECT obj_description('" + in + "\"Customer\"'::regclass)"), "who buys");
    EXPECT_EQ(pg.Value("SELECT col_description('" + in + "\"Customer\"'::regclass, 2)"), "the name");
    EXPECT_EQ(pg.Value("SELECT collname FROM pg_attribute a JOIN pg_collation c ON c.oid = a.attcollation "
                       "WHERE attrelid = '" +
                       in + "\"Customer\"'::regclass AND attname = 'Name'"),
              "C");
    EXPECT_EQ(
        pg.Value("SELECT count(*) FROM pg_constraint WHERE connamespace = '\"" + nsp + "\"'::regnamespace"),
        "6");
    EXPECT_EQ(pg.Value("SELECT " + in + "\"add one\"(41)"), "42");
    EXPECT_EQ(pg.Value("SELECT b || ' ' || c FROM " + in + "pair(21, 'x')"), "42 x");
    EXPECT_EQ(pg.Value("SELECT count(*) FROM " + in + "series(4)"), "4");
    EXPECT_EQ(pg.Value("SELECT " + in + "total(1, 2, 3)"), "6");
    // The kinds the script does not write.
    pg.Run(k.rule->GetCreateSQL(), "rule");
    pg.Run(k.conversion->GetCreateSQL(), "conversion");
    pg.Run(k.op->GetCreateSQL(), "operator");
    pg.Run(k.opClass->GetCreateSQL(), "operator class");
    // The routines emptied in place, as a comparison empties them before what they read goes.
    for (TPrcData* f : {k.addOne, k.touch, k.pair, k.series, k.total}) {
        const std::string body = f->GetSource();
        f->SetSource(f->EmptyRoutineBody());
        pg.Run(f->GetAlterSQL(), f->GetName() + " emptied");
        f->SetSource(body);
    }
    // The texts one by one: the routines' ALTER texts, every description, then the drops.
    pg.Run(k.addOne->GetAlterSQL(), "function alter");
    pg.Run(k.touch->GetAlterSQL(), "trigger function alter");
    for (TPrcData* f : {k.pair, k.series, k.total})
        pg.Run(f->GetAlterSQL(), f->GetName() + " alter");
    for (TDbObj* o : std::initializer_list<TDbObj*>{k.seq, k.customer, k.customer->Field(1), k.pk, k.index,
                                                    k.view, k.addOne, k.trigger}) {
        if (o->GetDescription().empty()) o->SetDescription("described again");
        pg.Run(o->GetDescriptionSQL(), "description of " + o->GetName());
    }
    // Dependants before what they use.
    const std::vector<TDbObj*> drops = {k.trigger,
                                        k.rule,
                                        k.opClass,
                                        k.op,
                                        k.conversion,
                                        k.view,
                                        k.index,
                                        k.fk,
                                        k.check,
                                        k.unique,
                                        k.customer->Field(3),
                                        k.order,
                                        k.customer,
                                        k.seq,
                                        k.type,
                                        k.addOne,
                                        k.touch,
                                        k.conv,
                                        k.pair,
                                        k.series,
                                        k.total};
    for (TDbObj* o : drops)
        pg.Run(o->GetDropSQL(), "drop of " + o->GetName());
    EXPECT_EQ(pg.Value("SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE "
                       "n.nspname = '" +
                       nsp + "'"),
              "0");
}

TEST(ServerTexts, PostgreSQLEveryKindInASchema) {
    RunPgEveryKind("Sales");
}

TEST(ServerTexts, PostgreSQLEveryKindInPublic) {
    RunPgEveryKind("");
}

/// The MySQL kinds: two tables with an auto-increment key, a unique key, an index, a foreign key,
/// a view, a procedure, a function and a trigger, with descriptions where MySQL keeps them.
struct MyKinds {
    explicit MyKinds(TDBStructure& s) {
        customer = FileIn(s, new TTblData(s.Objs()), "Customer");
        TFldData* id = Column(customer, "Id", 1, 0, 11);
        id->Nullable = false;
        id->AutoIncrement = true;
        Column(customer, "Name", 14, 40)->CharSetName = "utf8mb4";
        Column(customer, "Order", 3, 0, 10, 0);
        Column(customer, "Stamp", 20)->Nullable = false;
        customer->Field(3)->DefaultValue = "CURRENT_TIMESTAMP";
        customer->SetDescription("who buys");
        customer->Field(1)->SetDescription("the name");
        TMySQLTableOptions& o = customer->MySQLOptions;
        o.SetEngine("InnoDB");
        o.SetCharSet("utf8mb4");
        o.SetCollation("utf8mb4_unicode_ci");
        o.SetAvgRowLength(100);
        o.SetChecksum(1);
        o.SetMaxRows(1000);
        o.SetMinRows(1);
        o.SetPackKeys("1");
        o.SetRowFormat("DYNAMIC");
        order = FileIn(s, new TTblData(s.Objs()), "Order");
        Column(order, "Id", 2)->Nullable = false;
        Column(order, "Customer", 1, 0, 11);
        Column(order, "Total", 4, 0, 15, 2);
        Key(s, "", ctPrimaryKey, "Customer", {"Id"});
        Key(s, "PK_Order", ctPrimaryKey, "Order", {"Id"});
        unique = Key(s, "UQ_Name", ctUnique, "Customer", {"Name"});
        fk = Key(s, "FK_Order_Customer", ctForeignKey, "Order", {"Customer"});
        fk->SetRefTableName("Customer");
        fk->AddRefColumn("Id");
        fk->DeleteRule = raCascade;
        fk->UpdateRule = raRestrict;
        index = FileIn(s, new TIdxData(s.Objs()), "IX_Total");
        index->TableName = "Order";
        index->AddColumn("Total");
        prefix = FileIn(s, new TIdxData(s.Objs()), "IX_Name_Prefix");
        prefix->TableName = "Customer";
        prefix->Unique = true;
        prefix->IndexOptions.IndexType = "BTREE";
        prefix->AddColumn("Name")->Length = 10;
        prefix->AddColumn("Id");
        view = FileIn(s, new TViwData(s.Objs()), "Customer View");
        view->SetSource("SELECT `Id`, `Name` FROM `Customer`");
        view->AddField("Key");
        view->AddField("Label");
        view->MySQLAlgorithm = "MERGE";
        view->MySQLSecurity = "INVOKER";
        proc = FileIn(s, new TPrcData(s.Objs()), "Count Orders");
        Param(proc, "c", 1)->ParamDirection = 1;
        Param(proc, "n", 1)->ParamDirection = 2;
        proc->MySQLCharacteristics = (1 << 5) | (1 << 8);
        proc->SetDescription("it's counting");
        proc->SetSource("BEGIN SELECT COUNT(*) INTO n FROM `Order` WHERE `Customer` = c; END");
        func = FileIn(s, new TPrcData(s.Objs()), "Twice");
        func->IsFunctionFlag = 1;
        Param(func, "x", 1);
        Param(func, "", 1, true);
        func->MySQLCharacteristics = (1 << 1) | (1 << 4);
        func->SetSource("RETURN x * 2");
        trigger = FileIn(s, new TTrgData(s.Objs()), "Stamp Order");
        trigger->SetTableName("Order");
        trigger->Time = 1;
        trigger->Events = 2;
        trigger->SetSource("BEGIN SET NEW.`Total` = COALESCE(NEW.`Total`, 0); END");
    }
    TTblData *customer, *order;
    TCtrData *unique, *fk;
    TIdxData *index, *prefix;
    TViwData* view;
    TPrcData *proc, *func;
    TTrgData* trigger;
};

TEST(ServerTexts, MySQLEveryKindInASecondDatabase) {
    Server<MySession> my(dbMySQL);
    SMX_NEED_SERVER(my);
    const std::string db2 = my.S.Database + "_k";
    ASSERT_EQ(my.S.MakeDatabase(db2), "");
    TDBStructure s;
    SetUpStructure(s, dbMySQL);
    s.Objs()->GetConnectionOptions().SetDatabaseName(db2);
    s.Objs()->GetScriptOptions().SetConnect(true);
    MyKinds k(s);
    const std::string script = ScriptText(*s.Objs());
    ASSERT_TRUE(my.RunClientScript(script, "DDL script"));
    // The script's USE put everything in the second database.
    const std::string in = " WHERE TABLE_SCHEMA = '" + db2 + "'";
    const std::string routines = "information_schema.ROUTINES WHERE ROUTINE_SCHEMA = '" + db2 + "'";
    const std::string customer = in + " AND TABLE_NAME = 'Customer'";
    const std::pair<std::string, std::string> found[] = {
        {"SELECT COUNT(*) FROM information_schema.TABLES" + in, "3"},
        // Two primary keys, the unique key, the unique index and the foreign key.
        {"SELECT COUNT(*) FROM information_schema.TABLE_CONSTRAINTS" + in, "5"},
        {"SELECT COUNT(*) FROM " + routines, "2"},
        {"SELECT COUNT(*) FROM information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = '" + db2 + "'", "1"},
        {"SELECT COUNT(*) FROM information_schema.STATISTICS" + in + " AND INDEX_NAME = 'IX_Total'", "1"},
        {"SELECT TABLE_COMMENT FROM information_schema.TABLES" + customer, "who buys"},
        {"SELECT CONCAT(ENGINE, ' ', TABLE_COLLATION, ' ', ROW_FORMAT) FROM information_schema.TABLES" +
             customer,
         "InnoDB utf8mb4_unicode_ci Dynamic"},
        {"SELECT COLUMN_COMMENT FROM information_schema.COLUMNS" + customer + " AND COLUMN_NAME = 'Name'",
         "the name"},
        {"SELECT ROUTINE_COMMENT FROM " + routines + " AND ROUTINE_NAME = 'Count Orders'", "it's counting"},
    };
    for (const auto& [query, value] : found)
        EXPECT_EQ(my.Value(query), value) << query;
    EXPECT_EQ(my.Value("SELECT `" + db2 + "`.`Twice`(21)"), "42");
    // The texts one by one, in the second database.
    my.Run("USE " + db2);
    for (TDbObj* o : std::initializer_list<TDbObj*>{k.customer, k.customer->Field(1)}) {
        o->SetDescription("described again");
        my.Run(o->GetDescriptionSQL(), "description of " + o->GetName());
    }
    for (TDbObj* o :
         std::initializer_list<TDbObj*>{k.trigger, k.proc, k.func, k.view, k.index, k.prefix, k.fk, k.unique})
        my.Run(o->GetDropSQL(), "drop of " + o->GetName());
    for (TDbObj* o : std::initializer_list<TDbObj*>{k.proc, k.func, k.view, k.trigger, k.index, k.prefix})
        my.Run(o->GetCreateSQL(), "create of " + o->GetName());
    EXPECT_EQ(my.Value("SELECT GROUP_CONCAT(CONCAT(COLUMN_NAME, ':', IFNULL(SUB_PART, '-'), ':', NON_UNIQUE) "
                       "ORDER BY SEQ_IN_INDEX) FROM information_schema.STATISTICS" +
                       in + " AND INDEX_NAME = 'IX_Name_Prefix'"),
              "Name:10:0,Id:-:0");
    for (TDbObj* o : std::initializer_list<TDbObj*>{k.unique, k.fk})
        my.Run(o->GetCreateScript(), "create of " + o->GetName());
    for (TDbObj* o :
         std::initializer_list<TDbObj*>{k.trigger, k.proc, k.func, k.view, k.index, k.prefix, k.fk, k.unique,
                                        k.customer->Field(2), k.order, k.customer})
        my.Run(o->GetDropSQL(), "drop of " + o->GetName());
    EXPECT_EQ(my.Value("SELECT COUNT(*) FROM information_schema.TABLES" + in), "0");
}

} // namespace
} // namespace smx::test
