// Column order on structures built in code: which tables count as reordered, the positions written
// for InterBase, the MS SQL re-creation through a temporary copy, and a table that the script drops
// and creates anew getting no column statements of its own before that.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "model/smxComp_Ctr.h"
#include "model/smxComp_Idx.h"

#include "tests/model/ColumnAlterTestSupport.h"

namespace smx {
namespace {

using test::AddColumn;
using test::IndexOfText;
using test::TColumnPair;
using enum TDatabaseType;
using Strings = std::vector<std::string>;

TEST(ColumnOrderTest, DetectsReorderedTablesOnly) {
    TColumnPair f;
    AddColumn(f.m, "A", 1);
    AddColumn(f.m, "B", 1);
    AddColumn(f.t, "B", 1);
    AddColumn(f.t, "A", 1);
    // Same order: not flagged.
    TTblData* same = TColumnPair::Table(f.M(), "S");
    TTblData* sameT = TColumnPair::Table(f.T(), "S");
    for (TTblData* t : {same, sameT}) {
        AddColumn(t, "A", 1);
        AddColumn(t, "B", 1);
    }
    // A column count that differs: left to the add and drop steps.
    TTblData* more = TColumnPair::Table(f.M(), "U");
    TTblData* moreT = TColumnPair::Table(f.T(), "U");
    AddColumn(more, "B", 1);
    AddColumn(more, "A", 1);
    AddColumn(moreT, "A", 1);
    // A master column without partner ends the check before the moved ones.
    TTblData* renamed = TColumnPair::Table(f.M(), "V");
    TTblData* renamedT = TColumnPair::Table(f.T(), "V");
    AddColumn(renamed, "X", 1);
    AddColumn(renamed, "B", 1);
    AddColumn(renamed, "A", 1);
    AddColumn(renamedT, "Y", 1);
    AddColumn(renamedT, "A", 1);
    AddColumn(renamedT, "B", 1);
    f.Link();
    MatchTables(&f.comparer);
    DetectColumnOrderChanges(&f.comparer);
    EXPECT_TRUE(f.m->Changed);
    EXPECT_TRUE(f.t->Changed);
    EXPECT_FALSE(same->Changed);
    EXPECT_FALSE(more->Changed);
    EXPECT_FALSE(renamed->Changed);
}

TEST(ColumnOrderTest, PositionsFollowTheMasterAndNeedTheOption) {
    for (bool on : {true, false}) {
        TColumnPair f;
        f.comparer.GetIBCompareOptions().SetUpdateFieldPosition(on);
        AddColumn(f.m, "A", 1);
        AddColumn(f.m, "B", 1);
        AddColumn(f.t, "B", 1);
        AddColumn(f.t, "A", 1);
        f.Run();
        if (on)
            EXPECT_EQ(f.Texts(), (Strings{"ALTER TABLE T ALTER COLUMN A POSITION 1",
                                          "ALTER TABLE T ALTER COLUMN B POSITION 2"}));
        else
            EXPECT_TRUE(f.Texts().empty());
        EXPECT_EQ(f.m->Changed, !on); // the step consumes the flag
    }
    // An ignored table keeps its order.
    TColumnPair g;
    AddColumn(g.m, "A", 1);
    AddColumn(g.m, "B", 1);
    AddColumn(g.t, "B", 1);
    AddColumn(g.t, "A", 1);
    g.m->Ignore = 1;
    g.Run();
    EXPECT_EQ(IndexOfText(g.Texts(), "POSITION"), -1);
}

// MS SQL T(ID identity, A, B) whose target holds A and B the other way round.
struct MSSQLReorder : TColumnPair {
    explicit MSSQLReorder(bool identity) : TColumnPair(dbMSSQL) {
        for (TObjs* o : {M(), T()})
            o->GetMSSQLServerOptions().GetMSSQLCompareOptions().SetCaseSensitiveIdentifiers(true);
        comparer.GetMSSQLCompareOptions().SetUpdateColumnPosition(true);
        for (TTblData* t : {m, t}) {
            TFldData* id = AddColumn(t, "ID", 1, 0, false);
            id->Identity = identity;
            id->IdentitySeed = 1;
            id->IdentityIncrement = 1;
        }
        AddColumn(m, "A", 1);
        AddColumn(m, "B", 14, 10);
        AddColumn(t, "B", 14, 10);
        AddColumn(t, "A", 1);
    }
};

TEST(ColumnOrderTest, MSSQLRecreatesTheTableThroughACopy) {
    MSSQLReorder f(true);
    Strings log;
    f.comparer.OnLogNextLine = [&](TObject*, const std::string& t) { log.push_back(t); };
    f.Run();
    const std::string columns =
        "ID INTEGER IDENTITY (1, 1) NOT NULL,\r\nA INTEGER NULL,\r\nB VARCHAR(10) NULL)";
    EXPECT_EQ(f.Texts(),
              (Strings{"CREATE TABLE smx$T(" + columns, "SET IDENTITY_INSERT smx$T ON",
                       "insert into smx$T(ID, A, B)\r\nselect ID, A, B from T",
                       "SET IDENTITY_INSERT smx$T OFF", "DROP TABLE T", "CREATE TABLE T(" + columns, "",
                       "SET IDENTITY_INSERT T ON", "insert into T(ID, A, B)\r\nselect ID, A, B from smx$T",
                       "SET IDENTITY_INSERT T OFF", "DROP TABLE smx$T"}));
    const std::vector<test::TStmt> st = f.Statements();
    EXPECT_EQ(st[0].Operation, TDbOperation::odbCreate);
    EXPECT_EQ(st[0].ObjKind, TDbObject::dboTable);
    EXPECT_EQ(st[1].Operation, TDbOperation::odbUnknown);
    EXPECT_EQ(st[2].StatType, TStatType::stInsert);
    EXPECT_EQ(st[2].Operation, TDbOperation::odbInsert);
    EXPECT_EQ(st[10].Operation, TDbOperation::odbDrop);
    EXPECT_EQ(log, Strings{"ReCreate table (upd. column position): T"});
    EXPECT_EQ(f.m->GetName(), "T");
    EXPECT_FALSE(f.m->Changed);
}

// The table's key and index, and a foreign key of another table that points at it, are in both
// structures: the foreign key goes before the drop, and all three come back after the copy.
TEST(ColumnOrderTest, MSSQLRecreationBringsBackKeysIndicesAndForeignKeys) {
    MSSQLReorder f(true);
    std::vector<TDbObj*> made[2];
    for (TObjs* o : {f.M(), f.T()}) {
        std::vector<TDbObj*>& side = made[o == f.M() ? 0 : 1];
        TTblData* t = o == f.M() ? f.m : f.t;
        auto* pk = new TCtrData(o);
        pk->SetName("PK_T");
        pk->SetConstraintType(ctPrimaryKey);
        pk->SetTableName("T");
        pk->AddColumn("ID");
        o->AddObject(pk, true);
        AddDependency(o, pk, t);
        side.push_back(pk);
        auto* ix = new TIdxData(o);
        ix->SetName("IX_T_B");
        ix->TableName = "T";
        ix->AddColumn("B");
        o->AddObject(ix, true);
        side.push_back(ix);
        TTblData* u = TColumnPair::Table(o, "U");
        AddColumn(u, "TID", 1);
        auto* fk = new TCtrData(o);
        fk->SetName("FK_U_T");
        fk->SetConstraintType(ctForeignKey);
        fk->SetTableName("U");
        fk->SetRefTableName("T");
        fk->AddColumn("TID");
        fk->AddRefColumn("ID");
        o->AddObject(fk, true);
        AddDependency(o, fk, u);
        side.push_back(fk);
    }
    f.Link();
    for (std::size_t i = 0; i < made[0].size(); ++i) {
        made[0][i]->SetPartner(made[1][i]);
        made[1][i]->SetPartner(made[0][i]);
    }
    MatchTables(&f.comparer);
    AlterTables(&f.comparer);
    UpdateColumnOrder(&f.comparer);
    const Strings texts = f.Texts();
    // The key and the index go once, before the copy is made.
    EXPECT_EQ(IndexOfText(texts, "DROP INDEX T.IX_T_B"), 0);
    EXPECT_EQ(IndexOfText(texts, "ALTER TABLE T DROP CONSTRAINT PK_T"), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "ALTER TABLE T DROP CONSTRAINT PK_T"), 1);
    const int dropFk = IndexOfText(texts, "ALTER TABLE U DROP CONSTRAINT FK_U_T");
    const int dropT = IndexOfText(texts, "DROP TABLE T");
    const int dropCopy = IndexOfText(texts, "DROP TABLE smx$T");
    const int pk = IndexOfText(texts, "ALTER TABLE T ADD CONSTRAINT PK_T PRIMARY KEY");
    const int ix = IndexOfText(texts, "CREATE INDEX IX_T_B ON T");
    const int fk =
        IndexOfText(texts, "ALTER TABLE U ADD CONSTRAINT FK_U_T FOREIGN KEY (TID) REFERENCES T (ID)");
    ASSERT_GE(dropFk, 0);
    EXPECT_LT(dropFk, dropT);
    EXPECT_LT(dropCopy, pk);
    EXPECT_LT(pk, ix);
    EXPECT_LT(ix, fk);
}

TEST(ColumnOrderTest, MSSQLWithoutIdentityCopiesWithoutIdentityInsert) {
    MSSQLReorder f(false);
    f.Run();
    const Strings texts = f.Texts();
    EXPECT_EQ(IndexOfText(texts, "IDENTITY_INSERT"), -1);
    EXPECT_GE(IndexOfText(texts, "insert into T(ID, A, B)"), 0);
}

TEST(ColumnOrderTest, MSSQLTableKeepsItsNameWhenAStatementIsRefusedByAnException) {
    MSSQLReorder f(true);
    f.exec.OnStatementAdd = [](TObject*, TStatement* st, bool&) {
        if (st->StatType == TStatType::stInsert) throw std::runtime_error("refused");
    };
    f.Link();
    MatchTables(&f.comparer);
    EXPECT_THROW(RecreateTableForColumnOrder(&f.comparer, f.m), std::runtime_error);
    EXPECT_EQ(f.m->GetName(), "T");
    EXPECT_EQ(f.M()->FindTable("T"), f.m);
}

TEST(ColumnOrderTest, OtherTargetsKeepTheirOrder) {
    for (TDatabaseType type : {dbOracle, dbPostgreSQL, dbDB2}) {
        TColumnPair f(type);
        AddColumn(f.m, "A", 1);
        AddColumn(f.m, "B", 1);
        AddColumn(f.t, "B", 1);
        AddColumn(f.t, "A", 1);
        f.Run();
        EXPECT_TRUE(f.Texts().empty()) << static_cast<int>(type);
    }
}

// A target table that the script re-creates (a switch to GLOBAL TEMPORARY) while the master gains a
// NOT NULL column: no ADD reaches the old table, and the table's comment is written once.
TEST(RecreatedTableTest, NoColumnOrDescriptionStatementsBeforeTheNewTable) {
    TColumnPair f;
    f.T()->GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
        TUpdateDescriptionType::udComment);
    AddColumn(f.m, "ID", 1, 0, false);
    AddColumn(f.m, "X", 1, 0, false)->SetDescription("new column");
    AddColumn(f.m, "C", 1)->SetSource("(ID + 1)");
    AddColumn(f.t, "ID", 1, 0, false);
    AddColumn(f.t, "OLD", 1);
    f.m->GlobalTemporary = true;
    f.m->OnCommit = 2;
    f.m->SetDescription("a temporary table");
    f.Run();
    const Strings texts = f.Texts();
    EXPECT_EQ(IndexOfText(texts, "ALTER TABLE T ADD X"), -1);
    EXPECT_EQ(IndexOfText(texts, "ALTER TABLE T DROP OLD"), -1);
    const int drop = IndexOfText(texts, "DROP TABLE T");
    const int create =
        IndexOfText(texts, "CREATE GLOBAL TEMPORARY TABLE T(ID INTEGER NOT NULL,\r\nX INTEGER NOT NULL)");
    ASSERT_GE(drop, 0);
    EXPECT_GT(create, drop);
    EXPECT_GT(IndexOfText(texts, "ALTER TABLE T ADD C COMPUTED BY (ID + 1)"), create);
    int comments = 0;
    for (const std::string& t : texts)
        comments += t.rfind("COMMENT ON TABLE T IS", 0) == 0 ? 1 : 0;
    EXPECT_EQ(comments, 1);
    EXPECT_GT(IndexOfText(texts, "COMMENT ON COLUMN T.X IS"), create);
}

} // namespace
} // namespace smx
