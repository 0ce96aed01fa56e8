// The dependency walkers: dropping with dependants, emptying routines and triggers, re-creating
// what an object needs in one pass, and a drop-and-re-create run over two linked structures.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "model/smxComp_Exc.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Rol.h"

namespace smx {
namespace {

using namespace test;

// A master and a target InterBase container that write into one executor.
class Walkers : public ::testing::Test {
protected:
    void SetUp() override {
        for (OwningObjs* o : {&master, &target}) {
            o->SetDatabaseType(TDatabaseType::dbInterBase);
            o->SetSQLExec(&exec);
        }
        exec.SetDatabaseType(TDatabaseType::dbInterBase);
        master.SetRole(1);
        target.SetRole(2);
        master.SetPartnerObjs(&target);
        target.SetPartnerObjs(&master);
    }
    template <typename T> T* Add(OwningObjs& objs, const std::string& name, const std::string& source = "") {
        T* o = Make<T>(&objs, name, source);
        EXPECT_GE(objs.AddObject(o, true), 0);
        return o;
    }
    std::vector<TDbOperation> Operations() const {
        std::vector<TDbOperation> ops;
        for (int i = 0; i < exec.GetStatementCount(); ++i)
            ops.push_back(exec.GetStatement(i)->Operation);
        return ops;
    }
    TCustomSQLExec exec;
    OwningObjs master, target;
};

TEST_F(Walkers, DropTableWithViewAndProcedure) {
    auto* t = Add<TextTable>(target, "T");
    t->AddField("ID");
    auto* v = Add<TextView>(target, "V", "SELECT ID FROM T");
    auto* p = Add<TextProc>(target, "P", "BEGIN FOR SELECT ID FROM T INTO :X DO SUSPEND; END");
    AddDependency(&target, v, t);
    AddDependency(&target, p, t);

    t->DropWithDependents();
    EXPECT_EQ(Captions(exec), (std::vector<std::string>{"V: drop", "P: empty body", "T: drop"}));
    EXPECT_EQ(Operations(), (std::vector<TDbOperation>{TDbOperation::odbDrop, TDbOperation::odbEmpty,
                                                       TDbOperation::odbDrop}));
    EXPECT_EQ(exec.GetStatement(1)->StatType, TStatType::stProcedure);
    EXPECT_EQ(exec.GetStatement(1)->Lines.Text(), "ALTER PROCEDURE P AS\r\nBEGIN EXIT; END\r\n");
    EXPECT_EQ(exec.GetStatement(2)->Lines.Text(), "/* Drop: T (TTblData) */\r\nDROP TABLE T\r\n");
    EXPECT_EQ(v->Exists, 0);
    EXPECT_EQ(t->Exists, 0);
    EXPECT_EQ(t->Fields.Objects(0) ? static_cast<TDbObj*>(t->Fields.Objects(0))->Exists : 1, 0);
    EXPECT_EQ(p->Exists, 1);
    EXPECT_EQ(p->GetSource(), "BEGIN EXIT; END");
    EXPECT_EQ(p->CompareText, "CREATE PROCEDURE P AS\r\nBEGIN EXIT; END");

    // No longer existing: nothing more.
    t->DropWithDependents();
    EXPECT_EQ(exec.GetStatementCount(), 3);
}

TEST_F(Walkers, TableOrGeneratorStillInTheMasterIsNotDropped) {
    auto* t = Add<TextTable>(target, "T");
    auto* v = Add<TextView>(target, "V", "SELECT 1 FROM T");
    AddDependency(&target, v, t);
    Add<TextTable>(master, "T");
    t->DropWithDependents();
    EXPECT_EQ(exec.GetStatementCount(), 0);
    EXPECT_EQ(v->Exists, 1);
    auto* g = Add<TGnrData>(target, "G");
    Add<TGnrData>(master, "G");
    g->DropWithDependents();
    EXPECT_EQ(exec.GetStatementCount(), 0);
    auto* g2 = Add<TGnrData>(target, "G2");
    g2->DropWithDependents();
    EXPECT_EQ(Captions(exec), std::vector<std::string>{"G2: drop"});
}

TEST_F(Walkers, ProcedureEmptiedOnlyOnceAndNotOnASE) {
    auto* t = Add<TextTable>(target, "T");
    auto* p = Add<TextProc>(target, "P", " BEGIN EXIT; END"); // already the empty body
    AddDependency(&target, p, t);
    t->DropWithDependents();
    EXPECT_EQ(Captions(exec), std::vector<std::string>{"T: drop"});

    exec.ClearStatements();
    target.SetDatabaseType(TDatabaseType::dbSybaseASE);
    auto* t2 = Add<TextTable>(target, "T2");
    auto* p2 = Add<TextProc>(target, "P2", "begin select 1 end");
    AddDependency(&target, p2, t2);
    t2->DropWithDependents();
    EXPECT_EQ(Captions(exec), std::vector<std::string>{"T2: drop"});
    EXPECT_EQ(p2->GetSource(), "begin select 1 end");
}

TEST_F(Walkers, TriggersAreEmptiedOrDropped) {
    auto* t = Add<TextTable>(target, "T");
    auto* tr = Add<TextTrigger>(target, "TR", "AS BEGIN NEW.ID = 1; END");
    tr->TableName = "T";
    AddDependency(&target, tr, t);
    // A dependant trigger on another table, emptied rather than dropped.
    auto* g = Add<TGnrData>(target, "G");
    AddDependency(&target, tr, g);
    g->DropWithDependents();
    ASSERT_EQ(exec.GetStatementCount(), 2);
    EXPECT_EQ(exec.GetStatement(0)->StatType, TStatType::stTrigger);
    EXPECT_EQ(exec.GetStatement(0)->Operation, TDbOperation::odbEmpty);
    EXPECT_EQ(exec.GetStatement(0)->Lines.Text(),
              "ALTER TRIGGER TR\r\nAS Declare variable I integer;\r\nBEGIN I = 0; END\r\n");
    EXPECT_EQ(tr->Exists, 1);

    exec.ClearStatements();
    target.SetDatabaseType(TDatabaseType::dbPostgreSQL);
    auto* g2 = Add<TGnrData>(target, "G2");
    auto* tr2 = Add<TextTrigger>(target, "TR2", "x");
    AddDependency(&target, tr2, g2);
    g2->DropWithDependents();
    EXPECT_EQ(Captions(exec), (std::vector<std::string>{"TR2: drop", "G2: drop"}));
}

TEST_F(Walkers, GrantsAreMarkedAndColumnsNeverDropTheirTable) {
    auto* t = Add<TextTable>(target, "T");
    TFldData* id = t->AddField("ID");
    auto* gr = Add<TGntData>(target, "GR");
    AddDependency(&target, gr, t);
    AddDependency(&target, t, t, 0, 0, "ID"); // the table's own column
    id->MarkDependents();
    EXPECT_EQ(exec.GetStatementCount(), 0);
    EXPECT_EQ(t->Exists, 1);
    t->DropWithDependents();
    EXPECT_EQ(gr->Exists, 0);
    EXPECT_EQ(Captions(exec), std::vector<std::string>{"T: drop"});
}

TEST_F(Walkers, ProcessDependentsEndsWhenNoRuleApplies) {
    // The needed exception does not exist and nothing can re-create it.
    auto* e = Add<TExcData>(master, "E");
    e->Exists = 0;
    auto* p = Add<TextProc>(master, "P", "BEGIN EXCEPTION E; END");
    p->Exists = 0;
    AddDependency(&master, p, e);
    p->CreateDependDef();
    EXPECT_EQ(Captions(exec), std::vector<std::string>{"P: create"});
    EXPECT_EQ(p->DependsOnItem(0)->Recreate, 1);
    EXPECT_EQ(p->Exists, 1);
    p->CreateDependDef(); // exists now: nothing
    EXPECT_EQ(exec.GetStatementCount(), 1);
}

TEST_F(Walkers, TriggerNeedingAMissingViewCreatesItOnce) {
    auto* v = Add<TextView>(master, "V", "SELECT 1 FROM RDB$DATABASE");
    v->Exists = 0;
    auto* tr = Add<TextTrigger>(master, "TR", "AS BEGIN END");
    tr->TableName = "V";
    tr->Exists = 0;
    AddDependency(&master, tr, v);
    tr->CreateDependDef();
    EXPECT_EQ(Captions(exec), (std::vector<std::string>{"V: create", "TR: create"}));
    EXPECT_EQ(exec.GetStatement(1)->StatType, TStatType::stTrigger);
    EXPECT_EQ(tr->CachedSQL, "CREATE TRIGGER TR FOR V\r\nAS BEGIN END");
    EXPECT_EQ(tr->DependsOnItem(0)->Recreate, 0);
}

TEST_F(Walkers, MissingProcedureIsCreatedEmptyFirst) {
    auto* callee = Add<TextProc>(master, "CALLEE", "BEGIN EXIT; END");
    callee->Exists = 0;
    auto* caller = Add<TextProc>(master, "CALLER", "BEGIN EXECUTE PROCEDURE CALLEE; END");
    caller->Exists = 0;
    AddDependency(&master, caller, callee);
    caller->CreateDependDef();
    EXPECT_EQ(Captions(exec), (std::vector<std::string>{"CALLEE: create empty", "CALLER: create"}));
    EXPECT_EQ(exec.GetStatement(0)->Lines.Text(), "CREATE PROCEDURE CALLEE AS\r\n BEGIN EXIT; END\r\n");
    EXPECT_EQ(callee->BodyEmptied, 1);
    EXPECT_EQ(callee->Exists, 1);
}

TEST_F(Walkers, NeededTableIsCreatedWithoutItsComputedColumns) {
    // A computed column of T2 reads table T, which the target lacks.
    auto* t = Add<TextTable>(master, "T");
    t->Exists = 0;
    auto* t2 = Add<TextTable>(master, "T2");
    TFldData* c = t2->AddField("C");
    c->SetSource("(SELECT COUNT(*) FROM T)");
    c->Exists = 0;
    bool skipSeen = false;
    exec.OnStatementAdd = [&](TObject*, TStatement* st, bool&) {
        if (st->ObjName == "T") skipSeen = t->SkipComputed;
    };
    AddDependency(&master, c, t);
    c->ProcessDependents();
    EXPECT_EQ(Captions(exec), std::vector<std::string>{"T: create"});
    EXPECT_TRUE(skipSeen);
    EXPECT_FALSE(t->SkipComputed);
}

TEST_F(Walkers, DependencyCyclesEnd) {
    auto* a = Add<TextView>(target, "A", "x");
    auto* b = Add<TextView>(target, "B", "y");
    AddDependency(&target, a, b);
    AddDependency(&target, b, a);
    a->DropWithDependents();
    EXPECT_EQ(Captions(exec), (std::vector<std::string>{"B: drop", "A: drop"}));
    exec.ClearStatements();
    a->Exists = b->Exists = 0;
    a->CreateDependDef();
    EXPECT_EQ(Captions(exec), (std::vector<std::string>{"B: create", "A: create"}));
}

TEST_F(Walkers, DescriptionsFollowCreatedColumnsAndRoutines) {
    master.GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
        TUpdateDescriptionType::udComment);
    auto* p = Add<TextProc>(master, "P", "BEGIN END");
    p->Exists = 0;
    p->SetDescription("proc");
    auto* a = new TFldData(&master);
    a->SetName("A");
    a->Parent = p;
    a->SetDescription("param");
    p->InputParams.AddObject("A", a);
    p->CreateDependDef();
    EXPECT_EQ(Captions(exec), (std::vector<std::string>{"P: create", "P: description", "P (A): alter"}));
    EXPECT_EQ(exec.GetStatement(1)->Description, "proc");
    EXPECT_EQ(exec.GetStatement(2)->ParentName, "P");

    exec.ClearStatements();
    master.SetCompareObjects(AllCmpObjTypes - TCmpObjType::coDescription);
    auto* q = Add<TextProc>(master, "Q", "BEGIN END");
    q->Exists = 0;
    q->SetDescription("q");
    q->CreateDependDef();
    EXPECT_EQ(Captions(exec), std::vector<std::string>{"Q: create"});
}

// Pairs master and target objects of each list by full name, as the comparer does, and sets the
// existence flags: a master object exists when it has a partner.
void LinkByFullName(TCustomObjs& master, TCustomObjs& target) {
    for (int l = 0; l < ObjsListCount; ++l) {
        const auto which = static_cast<TObjsList>(l);
        TStringList& ml = master.List(which);
        for (int i = 0; i < ml.Count(); ++i) {
            auto* m = static_cast<TDbObj*>(ml.Objects(i));
            TDbObj* t = target.FindObject(which, m->GetFullName());
            if (t) {
                m->SetPartner(t);
                t->SetPartner(m);
            }
            m->Exists = t ? 1 : 0;
        }
    }
}

TEST_F(Walkers, TwoStructuresDropAndRecreate) {
    // Target: T(ID), view V on T, procedure P reading V. Master: T renamed to T2, V on T2, P on V.
    auto* tt = Add<TextTable>(target, "T");
    tt->AddField("ID");
    auto* tv = Add<TextView>(target, "V", "SELECT ID FROM T");
    auto* tp = Add<TextProc>(target, "P", "BEGIN FOR SELECT ID FROM V INTO :X DO SUSPEND; END");
    AddDependency(&target, tv, tt, 0, 0, "ID");
    AddDependency(&target, tv, tt);
    AddDependency(&target, tp, tv);
    auto* mt = Add<TextTable>(master, "T2");
    mt->AddField("ID");
    auto* mv = Add<TextView>(master, "V", "SELECT ID FROM T2");
    auto* mp = Add<TextProc>(master, "P", "BEGIN FOR SELECT ID FROM V INTO :X DO SUSPEND; END");
    AddDependency(&master, mv, mt);
    AddDependency(&master, mp, mv);
    LinkByFullName(master, target);
    EXPECT_EQ(mv->GetPartner(), tv);
    EXPECT_EQ(tp->GetPartner(), mp);
    EXPECT_EQ(mt->Exists, 0);

    // Drop the surplus table: the procedure reading its view is emptied, the view dropped, then the
    // table.
    tt->DropWithDependents();
    // Re-create: the view needs the new table, which is created before it.
    mv->CreateDependDef();
    EXPECT_EQ(Captions(exec),
              (std::vector<std::string>{"P: empty body", "V: drop", "T: drop", "T2: create", "V: create"}));
    EXPECT_EQ(exec.GetStatement(4)->Lines.Text(), "CREATE VIEW V AS SELECT ID FROM T2\r\n");
    EXPECT_EQ(tv->Exists, 1); // the master's creation is the target's state too
    EXPECT_EQ(mp->BodyEmptied, 1);
    EXPECT_EQ(tp->BodyEmptied, 1);
    EXPECT_EQ(mt->Exists, 1);
}

} // namespace
} // namespace smx
