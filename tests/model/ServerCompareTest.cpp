// Update scripts of compare cases run on real servers: the master's and the target's DDL scripts
// make two databases, the comparison's statements update the target's, and afterwards the
// catalogue of the updated target shows what the master's shows. Cases per dialect: every kind
// new (empty target), every kind dropped (empty master), and changed tables, columns, keys,
// indices, views, routines, triggers, sequences and descriptions, with a column dropped that a
// view, a routine and a trigger of the target read. PostgreSQL objects live in a schema other
// than public.
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

// Order's foreign key on Customer, recorded as a reader records one: on both its tables and on the
// key it references. The changed side cascades deletes, so the key is dropped and made again.
void OrderCustomerKey(TDBStructure& s, TTblData* order, TTblData* customer, TCtrData* pk, bool changed,
                      const std::string& schema = "") {
    TCtrData* fk = Key(s, "FK_Order_Customer", ctForeignKey, "Order", {"Customer"}, schema);
    fk->SetRefTableName("Customer");
    fk->AddRefColumn("Id");
    AddDependency(s.Objs(), fk, order);
    AddDependency(s.Objs(), fk, customer);
    AddDependency(s.Objs(), fk, pk);
    fk->DeleteRule = changed ? raCascade : raNone;
}

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
    TCtrData* pk = Key(s, "PK_Customer", ctPrimaryKey, "Customer", {"Id"}, S);
    Key(s, "PK_Order", ctPrimaryKey, "Order", {"Id"}, S);
    Key(s, changed ? "PK_New" : "PK_Old", ctPrimaryKey, other->GetName(), {"Id"}, S);
    // The foreign key changes its action: dropped and made again.
    OrderCustomerKey(s, order, customer, pk, changed, S);
    if (changed) {
        Key(s, "UQ_Customer_Name", ctUnique, "Customer", {"Name"}, S);
    } else {
        Key(s, "CK_Score", ctCheck, "Customer", {}, S)->SetSource("(\"Score\" >= 0)");
    }
    auto* index = FileIn(s, new TIdxData(s.Objs()), changed ? "IX_Order_Customer" : "IX_Old", S);
    index->TableName = changed ? "Order" : "Customer";
    index->AddColumn(changed ? "Customer" : "Score");

    auto* view = FileIn(s, new TViwData(s.Objs()), "Customer View", S);
    view->SetSource(changed ? "SELECT \"Id\", \"Name\" FROM \"Sales\".\"Customer\""
                            : "SELECT \"Id\", \"Old Col\" FROM \"Sales\".\"Customer\"");
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
    touch->SetSource(changed ? "BEGIN RETURN NEW; END;" : "BEGIN NEW.\"Old Col\" := now(); RETURN NEW; END;");
    auto* trigger = FileIn(s, new TTrgData(s.Objs()), "Touch Customer", S);
    trigger->SetTableName("Customer");
    trigger->Time = 1;
    trigger->Events = changed ? 2 | 4 : 2;
    trigger->ForEachRow = 1;
    trigger->SetSource("EXECUTE PROCEDURE \"Sales\".touch()");
    // The target's own trigger is on its own view.
    auto* trigger2 = FileIn(s, new TTrgData(s.Objs()), changed ? "New Trigger" : "Old Trigger", S);
    trigger2->SetTableName(changed ? "Order" : "Old View");
    trigger2->Time = 1;
    trigger2->Events = 2;
    trigger2->ForEachRow = changed;
    trigger2->ForEachStatement = !changed;
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
    // The target's view, function and trigger read the column the master drops.
    if (!changed)
        for (TDbObj* d : std::initializer_list<TDbObj*>{view, touch, trigger})
            AddDependency(s.Objs(), d, customer, 0, 0, "Old Col");
}

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
    order->MySQLOptions.SetCharSet(changed ? "utf8mb4" : "latin1");
    auto* log = FileIn(s, new TTblData(s.Objs()), "Log");
    log->MySQLOptions.SetEngine(changed ? "InnoDB" : "Aria");
    Column(log, "At", 23);
    // An AUTO_INCREMENT column that no key holds.
    TFldData* entry = Column(log, "Entry", 2);
    entry->Nullable = false;
    entry->AutoIncrement = true;
    Column(order, "Id", 2, 0, 20)->Nullable = false;
    Column(order, "Customer", 1, 0, 11);
    auto* other = FileIn(s, new TTblData(s.Objs()), changed ? "New Table" : "Old Table");
    Column(other, "Id", 1, 0, 11)->Nullable = false;
    Column(other, "select", 50, 20);
    // MySQL names every primary key PRIMARY, whatever the text says.
    TCtrData* pk = Key(s, "PK_Customer", ctPrimaryKey, "Customer", {"Id"});
    Key(s, "PK_Order", ctPrimaryKey, "Order", {"Id"});
    Key(s, "PK_Other", ctPrimaryKey, other->GetName(), {"Id"});
    OrderCustomerKey(s, order, customer, pk, changed);
    if (changed) Key(s, "UQ_Customer_Name", ctUnique, "Customer", {"Name"});
    auto* index = FileIn(s, new TIdxData(s.Objs()), changed ? "IX_Order_Customer" : "IX_Old");
    index->TableName = changed ? "Order" : "Customer";
    index->AddColumn(changed ? "Customer" : "Score");

    auto* view = FileIn(s, new TViwData(s.Objs()), "Customer View");
    view->SetSource(changed ? "SELECT `Id`, `Name` FROM `Customer`"
                            : "SELECT `Id`, `Old Col` FROM `Customer`");
    FileIn(s, new TViwData(s.Objs()), changed ? "New View" : "Old View")
        ->SetSource("SELECT `Id` FROM `Order`");

    auto* twice = FileIn(s, new TPrcData(s.Objs()), "Twice");
    twice->IsFunctionFlag = 1;
    Param(twice, "x", 1);
    Param(twice, "", 1, true);
    twice->MySQLCharacteristics = 1 << 1;
    twice->SetSource(changed ? "RETURN x * 2" : "RETURN x + (SELECT COUNT(`Old Col`) FROM `Customer`)");
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
    // A trigger that reads the column the master drops, as the view and the function do.
    auto* stamp = FileIn(s, new TTrgData(s.Objs()), "Stamp Customer");
    stamp->SetTableName("Customer");
    stamp->Time = 1;
    stamp->Events = 2;
    stamp->SetSource(std::string("BEGIN SET NEW.") + (changed ? "`Score`" : "`Old Col`") + " = 0; END");
    if (!changed)
        for (TDbObj* d : std::initializer_list<TDbObj*>{view, twice, stamp})
            AddDependency(s.Objs(), d, customer, 0, 0, "Old Col");
}

// ---- The run -------------------------------------------------------------------------------------------

/// Makes the master's and the target's databases from their scripts, runs the comparison's
/// statements on the target's and compares the two catalogues.
template <typename Session>
void RunCase(TDatabaseType type, Shape masterShape, Shape targetShape,
             const std::function<void(TDBStructure&, Shape)>& fill, const std::string& shapeQuery) {
    Server<Session> onMaster(type), onTarget(type);
    SMX_NEED_SERVER(onMaster);
    ASSERT_TRUE(onTarget.S.Ready()) << onTarget.S.Error;
    TDBStructure master, target;
    for (TDBStructure* s : {&master, &target})
        SetUpStructure(*s, type);
    fill(master, masterShape);
    fill(target, targetShape);
    RunUpdate(type, master, target, onMaster, onTarget, shapeQuery);
}

TEST(ServerCompare, PostgreSQLEverythingNew) {
    RunCase<PgSession>(dbPostgreSQL, Shape::Changed, Shape::Empty, FillPg, PgShapeQuery(S));
}
TEST(ServerCompare, PostgreSQLEverythingDropped) {
    RunCase<PgSession>(dbPostgreSQL, Shape::Empty, Shape::Base, FillPg, PgShapeQuery(S));
}
TEST(ServerCompare, PostgreSQLEverythingChanged) {
    RunCase<PgSession>(dbPostgreSQL, Shape::Changed, Shape::Base, FillPg, PgShapeQuery(S));
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
