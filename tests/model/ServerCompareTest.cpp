// Update scripts of compare cases run on real servers: the master's and the target's DDL scripts
// make two databases, the comparison's statements update the target's, and afterwards the
// catalogue of the updated target shows what the master's shows. Cases per dialect: every kind
// new (empty target), every kind dropped (empty master), and changed tables, columns, keys,
// indices, views, routines, triggers, sequences and descriptions. PostgreSQL objects live in a
// schema other than public.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "model/smxComp_Dmn.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Opr.h"
#include "model/smxComp_Rul.h"
#include "model/smxComp_Sch.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "model/smxSchemalyst.h"
#include "tests/model/ServerTestSupport.h"

namespace smx::test {
namespace {

using enum TDatabaseType;

/// What one side of a case holds: the full set of objects, or the changed set.
enum class Shape { Empty, Base, Changed };

// ---- PostgreSQL ----------------------------------------------------------------------------------------

const std::string S = "Sales";

void FillPg(TDBStructure& s, Shape shape) {
    FileIn(s, new TSchData(s.Objs()), S);
    if (shape == Shape::Empty) return;
    const bool changed = shape == Shape::Changed;
    FileIn(s, new TSchData(s.Objs()), changed ? "Reports" : "Archive");
    auto* domain = FileIn(s, new TDmnData(s.Objs()), "Positive", S);
    domain->Type().DataType = 1;
    domain->Type().CheckText = changed ? "(VALUE >= 0)" : "(VALUE > 0)";
    domain->SetDescription(changed ? "not negative" : "");
    auto* seq = FileIn(s, new TGnrData(s.Objs()), "Numbers", S);
    seq->Increment = changed ? "5" : "1";
    FileIn(s, new TGnrData(s.Objs()), changed ? "New Numbers" : "Old Numbers", S);

    auto* customer = FileIn(s, new TTblData(s.Objs()), "Customer", S);
    Column(customer, "Id", 1)->Nullable = false;
    Column(customer, "Name", 14, changed ? 60 : 40);
    Column(customer, "Score", 1)->DefaultValue = changed ? "0" : "";
    Column(customer, "Rank", DomainDataType)->DomainName = "Positive";
    Column(customer, "Note", 48)->Nullable = changed;
    Column(customer, changed ? "New Col" : "Old Col", 20, 0, 3);
    customer->SetDescription(changed ? "who buys" : "old text");
    customer->Field(1)->SetDescription(changed ? "the name" : "");
    auto* order = FileIn(s, new TTblData(s.Objs()), "Order", S);
    Column(order, "Id", 2)->Nullable = false;
    Column(order, "Customer", 1);
    auto* other = FileIn(s, new TTblData(s.Objs()), changed ? "New Table" : "Old Table", S);
    Column(other, "Id", 1)->Nullable = false;
    Column(other, "select", 46, 0, 10, 2);
    Key(s, "PK_Customer", ctPrimaryKey, "Customer", {"Id"}, S);
    Key(s, "PK_Order", ctPrimaryKey, "Order", {"Id"}, S);
    Key(s, changed ? "PK_New" : "PK_Old", ctPrimaryKey, other->GetName(), {"Id"}, S);
    if (changed) {
        Key(s, "UQ_Customer_Name", ctUnique, "Customer", {"Name"}, S);
        TCtrData* fk = Key(s, "FK_Order_Customer", ctForeignKey, "Order", {"Customer"}, S);
        fk->SetRefTableName("Customer");
        fk->AddRefColumn("Id");
    } else {
        Key(s, "CK_Score", ctCheck, "Customer", {}, S)->SetSource("(\"Score\" >= 0)");
    }
    auto* index = FileIn(s, new TIdxData(s.Objs()), changed ? "IX_Order_Customer" : "IX_Old", S);
    index->TableName = changed ? "Order" : "Customer";
    index->AddColumn(changed ? "Customer" : "Score");

    auto* view = FileIn(s, new TViwData(s.Objs()), "Customer View", S);
    view->SetSource(changed ? "SELECT \"Id\", \"Name\" FROM \"Sales\".\"Customer\""
                            : "SELECT \"Id\" FROM \"Sales\".\"Customer\"");
    FileIn(s, new TViwData(s.Objs()), changed ? "New View" : "Old View", S)
        ->SetSource("SELECT \"Id\" FROM \"Sales\".\"Order\"");

    auto* addOne = FileIn(s, new TPrcData(s.Objs()), "add one", S);
    addOne->IsFunctionFlag = 1;
    Param(addOne, "a", 1);
    Param(addOne, "", 1, true);
    addOne->Language = "sql";
    addOne->SetSource(changed ? "SELECT a + 1;" : "SELECT a;");
    auto* other2 = FileIn(s, new TPrcData(s.Objs()), changed ? "new func" : "old func", S);
    other2->IsFunctionFlag = 1;
    Param(other2, "", 1, true);
    other2->Language = "sql";
    other2->SetSource("SELECT 1;");
    auto* touch = FileIn(s, new TPrcData(s.Objs()), "touch", S);
    touch->IsFunctionFlag = 1;
    touch->PGReturns = "trigger";
    touch->Language = "plpgsql";
    touch->SetSource("BEGIN RETURN NEW; END;");
    auto* trigger = FileIn(s, new TTrgData(s.Objs()), "Touch Customer", S);
    trigger->SetTableName("Customer");
    trigger->Time = 1;
    trigger->Events = changed ? 2 | 4 : 2;
    trigger->ForEachRow = 1;
    trigger->SetSource("EXECUTE PROCEDURE \"Sales\".touch()");
    auto* trigger2 = FileIn(s, new TTrgData(s.Objs()), changed ? "New Trigger" : "Old Trigger", S);
    trigger2->SetTableName("Order");
    trigger2->Time = 1;
    trigger2->Events = 2;
    trigger2->ForEachRow = 1;
    trigger2->SetSource("EXECUTE PROCEDURE \"Sales\".touch()");
    if (changed) {
        auto* rule = FileIn(s, new TRulData(s.Objs()), "keep orders", S);
        rule->Event = 3;
        rule->TableSchema = S;
        rule->TableName = "Order";
        rule->DoWord = "INSTEAD";
        rule->Nothing = true;
        auto* op = FileIn(s, new TOprData(s.Objs()), "===", S);
        op->ProcName = "int4eq";
        op->LeftArg = "integer";
        op->RightArg = "integer";
    }
    // What a reader records: the triggers call their function, the views read their tables.
    AddDependency(s.Objs(), trigger, touch);
    AddDependency(s.Objs(), trigger2, touch);
    AddDependency(s.Objs(), view, customer);
    AddDependency(s.Objs(), s.Objs()->FindView(changed ? "New View" : "Old View"), order);
}

const char* const PgShapeQuery = R"(
SELECT 'schema ' || nspname || coalesce(' -- ' || obj_description(oid, 'pg_namespace'), '') FROM pg_namespace
 WHERE nspname NOT LIKE 'pg\_%' AND nspname NOT IN ('information_schema', 'public')
UNION ALL
SELECT 'rel ' || c.relkind::text || ' ' || c.relname || coalesce(' -- ' || obj_description(c.oid, 'pg_class'), '')
  FROM pg_class c WHERE c.relnamespace = '"Sales"'::regnamespace
UNION ALL
SELECT 'col ' || c.relname || '.' || a.attname || ' ' || format_type(a.atttypid, a.atttypmod) ||
       CASE WHEN a.attnotnull THEN ' not null' ELSE '' END ||
       coalesce(' default ' || pg_get_expr(d.adbin, d.adrelid), '') ||
       coalesce(' -- ' || col_description(c.oid, a.attnum), '')
  FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid
  LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum
 WHERE c.relnamespace = '"Sales"'::regnamespace AND c.relkind IN ('r', 'v') AND a.attnum > 0
   AND NOT a.attisdropped
UNION ALL
SELECT 'con ' || conname || ' ' || pg_get_constraintdef(oid) FROM pg_constraint
 WHERE connamespace = '"Sales"'::regnamespace
UNION ALL
SELECT 'idx ' || pg_get_indexdef(i.indexrelid) FROM pg_index i JOIN pg_class c ON c.oid = i.indrelid
 WHERE c.relnamespace = '"Sales"'::regnamespace
UNION ALL
SELECT 'view ' || c.relname || ' ' || pg_get_viewdef(c.oid) FROM pg_class c
 WHERE c.relkind = 'v' AND c.relnamespace = '"Sales"'::regnamespace
UNION ALL
SELECT 'fn ' || p.proname || '(' || pg_get_function_identity_arguments(p.oid) || ') ' || p.prosrc
  FROM pg_proc p WHERE p.pronamespace = '"Sales"'::regnamespace
UNION ALL
SELECT 'trg ' || pg_get_triggerdef(t.oid) FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid
 WHERE NOT t.tgisinternal AND c.relnamespace = '"Sales"'::regnamespace
UNION ALL
SELECT 'seq ' || c.relname || ' ' || s.seqincrement || ' ' || s.seqstart
  FROM pg_sequence s JOIN pg_class c ON c.oid = s.seqrelid WHERE c.relnamespace = '"Sales"'::regnamespace
UNION ALL
SELECT 'domain ' || t.typname || ' ' || pg_get_constraintdef(c.oid) || coalesce(' -- ' || obj_description(t.oid, 'pg_type'), '')
  FROM pg_type t JOIN pg_constraint c ON c.contypid = t.oid WHERE t.typnamespace = '"Sales"'::regnamespace
UNION ALL
SELECT 'rule ' || rulename || ' ' || definition FROM pg_rules WHERE schemaname = 'Sales'
UNION ALL
SELECT 'op ' || oprname || ' ' || oprleft::regtype::text || ' ' || oprright::regtype::text || ' ' || oprcode::text
  FROM pg_operator WHERE oprnamespace = '"Sales"'::regnamespace
ORDER BY 1)";

// ---- MySQL ---------------------------------------------------------------------------------------------

void FillMy(TDBStructure& s, Shape shape) {
    if (shape == Shape::Empty) return;
    const bool changed = shape == Shape::Changed;
    auto* customer = FileIn(s, new TTblData(s.Objs()), "Customer");
    TFldData* id = Column(customer, "Id", 1, 0, 11);
    id->Nullable = false;
    id->AutoIncrement = true;
    Column(customer, "Name", 14, changed ? 60 : 40);
    Column(customer, "Score", 1, 0, 11)->DefaultValue = changed ? "0" : "";
    Column(customer, "Note", 48)->Nullable = changed;
    Column(customer, changed ? "New Col" : "Old Col", 4, 0, changed ? 15 : 0, changed ? 2 : 0);
    customer->SetDescription(changed ? "who buys" : "old text");
    customer->Field(1)->SetDescription(changed ? "the name" : "");
    auto* order = FileIn(s, new TTblData(s.Objs()), "Order");
    Column(order, "Id", 2, 0, 20)->Nullable = false;
    Column(order, "Customer", 1, 0, 11);
    auto* other = FileIn(s, new TTblData(s.Objs()), changed ? "New Table" : "Old Table");
    Column(other, "Id", 1, 0, 11)->Nullable = false;
    Column(other, "select", 50, 20);
    // MySQL names every primary key PRIMARY, whatever the text says.
    Key(s, "PK_Customer", ctPrimaryKey, "Customer", {"Id"});
    Key(s, "PK_Order", ctPrimaryKey, "Order", {"Id"});
    Key(s, "PK_Other", ctPrimaryKey, other->GetName(), {"Id"});
    if (changed) {
        Key(s, "UQ_Customer_Name", ctUnique, "Customer", {"Name"});
        TCtrData* fk = Key(s, "FK_Order_Customer", ctForeignKey, "Order", {"Customer"});
        fk->SetRefTableName("Customer");
        fk->AddRefColumn("Id");
    }
    auto* index = FileIn(s, new TIdxData(s.Objs()), changed ? "IX_Order_Customer" : "IX_Old");
    index->TableName = changed ? "Order" : "Customer";
    index->AddColumn(changed ? "Customer" : "Score");

    auto* view = FileIn(s, new TViwData(s.Objs()), "Customer View");
    view->SetSource(changed ? "SELECT `Id`, `Name` FROM `Customer`" : "SELECT `Id` FROM `Customer`");
    FileIn(s, new TViwData(s.Objs()), changed ? "New View" : "Old View")->SetSource("SELECT `Id` FROM `Order`");

    auto* twice = FileIn(s, new TPrcData(s.Objs()), "Twice");
    twice->IsFunctionFlag = 1;
    Param(twice, "x", 1);
    Param(twice, "", 1, true);
    twice->MySQLCharacteristics = 1 << 1;
    twice->SetSource(changed ? "RETURN x * 2" : "RETURN x + x");
    auto* proc = FileIn(s, new TPrcData(s.Objs()), changed ? "New Proc" : "Old Proc");
    Param(proc, "n", 1)->ParamDirection = 2;
    proc->SetSource("BEGIN SELECT COUNT(*) INTO n FROM `Order`; END");
    proc->SetDescription(changed ? "counts" : "");
    auto* trigger = FileIn(s, new TTrgData(s.Objs()), "Stamp Order");
    trigger->SetTableName("Order");
    trigger->Time = 1;
    trigger->Events = 2;
    trigger->SetSource(changed ? "BEGIN SET NEW.`Customer` = COALESCE(NEW.`Customer`, 0); END"
                               : "BEGIN SET NEW.`Customer` = NEW.`Customer`; END");
    auto* trigger2 = FileIn(s, new TTrgData(s.Objs()), changed ? "New Trigger" : "Old Trigger");
    trigger2->SetTableName("Customer");
    trigger2->Time = 2;
    trigger2->Events = 4;
    trigger2->SetSource("BEGIN SET @x = 1; END");
}

const char* const MyShapeQuery = R"(
SELECT CONCAT('tab ', TABLE_NAME, ' ', TABLE_TYPE, ' -- ', TABLE_COMMENT) FROM information_schema.TABLES
 WHERE TABLE_SCHEMA = DATABASE()
UNION ALL
SELECT CONCAT('col ', TABLE_NAME, '.', COLUMN_NAME, ' ', COLUMN_TYPE, ' ', IS_NULLABLE, ' ',
              IFNULL(COLUMN_DEFAULT, '-'), ' ', EXTRA, ' -- ', COLUMN_COMMENT)
  FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE()
UNION ALL
SELECT CONCAT('key ', TABLE_NAME, ' ', CONSTRAINT_NAME, ' ', CONSTRAINT_TYPE)
  FROM information_schema.TABLE_CONSTRAINTS WHERE TABLE_SCHEMA = DATABASE()
UNION ALL
SELECT CONCAT('idx ', TABLE_NAME, ' ', INDEX_NAME, ' ', SEQ_IN_INDEX, ' ', COLUMN_NAME, ' ', NON_UNIQUE)
  FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE()
UNION ALL
SELECT CONCAT('view ', TABLE_NAME, ' ', REPLACE(VIEW_DEFINITION, DATABASE(), '#'))
  FROM information_schema.VIEWS WHERE TABLE_SCHEMA = DATABASE()
UNION ALL
SELECT CONCAT('routine ', ROUTINE_TYPE, ' ', ROUTINE_NAME, ' ', ROUTINE_DEFINITION, ' -- ', ROUTINE_COMMENT)
  FROM information_schema.ROUTINES WHERE ROUTINE_SCHEMA = DATABASE()
UNION ALL
SELECT CONCAT('trg ', TRIGGER_NAME, ' ', ACTION_TIMING, ' ', EVENT_MANIPULATION, ' ', EVENT_OBJECT_TABLE, ' ',
              ACTION_STATEMENT)
  FROM information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = DATABASE()
ORDER BY 1)";

// ---- The run -------------------------------------------------------------------------------------------

std::string Lines(const Rows& rows) {
    std::string s;
    for (const auto& r : rows)
        s += (r.empty() ? std::string() : r[0]) + "\n";
    return s;
}

/// Makes the master's and the target's databases from their scripts, runs the comparison's
/// statements on the target's and compares the two catalogues.
template <typename Session>
void RunCase(TDatabaseType type, Shape masterShape, Shape targetShape,
             const std::function<void(TDBStructure&, Shape)>& fill, const char* shapeQuery) {
    Server<Session> onMaster(type), onTarget(type);
    SMX_NEED_SERVER(onMaster);
    ASSERT_TRUE(onTarget.S.Ready()) << onTarget.S.Error;
    TDBStructure master, target;
    for (TDBStructure* s : {&master, &target})
        SetUpStructure(*s, type);
    fill(master, masterShape);
    fill(target, targetShape);
    for (auto [server, structure, what] :
         {std::tuple{&onMaster, &master, "master script"}, {&onTarget, &target, "target script"}}) {
        const std::string script = ScriptText(*structure->Objs());
        ASSERT_TRUE(server->RunClientScript(script, what));
        // The script leaves out rules and operators: they follow it one by one.
        for (TObjsList list : {TObjsList::olRules, TObjsList::olOperators})
            for (int i = 0; i < structure->Objs()->List(list).Count(); ++i)
                if (auto* o = dynamic_cast<TDbObj*>(structure->Objs()->List(list).Objects(i)))
                    server->Run(o->GetCreateSQL(), what);
    }

    TSchemalyst cmp;
    TSQLExec exec;
    exec.SetDatabaseType(type);
    cmp.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
    cmp.SetDBStructureMaster(&master);
    cmp.SetDBStructureTarget(&target);
    cmp.SetSQLExec(&exec);
    cmp.CompareStructures();
    cmp.SetSQLExec(nullptr);
    const std::vector<std::string> texts = ExecutableTexts(exec);
    EXPECT_FALSE(texts.empty());
    for (const std::string& text : texts)
        onTarget.Run(text, "update statement");
    const std::string want = Lines(onMaster.S.Query(shapeQuery));
    EXPECT_EQ(want.find("error: "), std::string::npos) << want;
    EXPECT_EQ(Lines(onTarget.S.Query(shapeQuery)), want);
    if (std::getenv("SMX_SERVER_TRACE")) std::cout << want;
    if (::testing::Test::HasFailure() || std::getenv("SMX_SERVER_TRACE")) {
        std::string all;
        for (const std::string& text : texts)
            all += text + ";\n";
        ADD_FAILURE() << "the update statements were:\n" << all;
    }
}

TEST(ServerCompare, PostgreSQLEverythingNew) {
    RunCase<PgSession>(dbPostgreSQL, Shape::Changed, Shape::Empty, FillPg, PgShapeQuery);
}
TEST(ServerCompare, PostgreSQLEverythingDropped) {
    RunCase<PgSession>(dbPostgreSQL, Shape::Empty, Shape::Base, FillPg, PgShapeQuery);
}
TEST(ServerCompare, PostgreSQLEverythingChanged) {
    RunCase<PgSession>(dbPostgreSQL, Shape::Changed, Shape::Base, FillPg, PgShapeQuery);
}
TEST(ServerCompare, MySQLEverythingNew) {
    RunCase<MySession>(dbMySQL, Shape::Changed, Shape::Empty, FillMy, MyShapeQuery);
}
TEST(ServerCompare, MySQLEverythingDropped) {
    RunCase<MySession>(dbMySQL, Shape::Empty, Shape::Base, FillMy, MyShapeQuery);
}
TEST(ServerCompare, MySQLEverythingChanged) {
    RunCase<MySession>(dbMySQL, Shape::Changed, Shape::Base, FillMy, MyShapeQuery);
}

} // namespace
} // namespace smx::test
