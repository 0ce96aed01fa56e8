// The index and constraint compare steps inside whole comparisons: what they write and in which
// order, the gates of the sequence, the inactive flag on every road that creates an index, and a
// second comparison in the same comparer writing the same script.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/smxSchemalyst.h"
#include "tests/model/KeysTestSupport.h"

namespace smx {
namespace {

using namespace smx::keytest;
using enum TDatabaseType;
using enum TCmpObjType;
using Strings = std::vector<std::string>;

using Compare = TCompareRun;

// The master and the target hold the same tables.
void SameTables(Compare& c, std::string_view name, std::initializer_list<std::string_view> columns) {
    Table(c.M(), name, columns);
    Table(c.T(), name, columns);
}

TEST(IndexSteps, SurplusIndexIsDroppedAfterItsHeaderAndAReconnect) {
    Compare c;
    SameTables(c, "T", {"A"});
    Index(c.T(), "IX", "T", {"A"});
    LinkAll(c.M());
    LinkAll(c.T());
    c.Run();
    const int header = c.rec.Find("/* Drop Index... */");
    ASSERT_GE(header, 0);
    ASSERT_LT(header + 2, static_cast<int>(c.rec.seen.size()));
    EXPECT_EQ(c.rec.seen[header + 1].StatType, TStatType::stReconnect);
    const TSeen& drop = c.rec.seen[header + 2];
    EXPECT_EQ(drop.Text, "/* Drop: IX (TIdxData) */\r\nDROP INDEX IX");
    EXPECT_EQ(drop.Operation, TDbOperation::odbDrop);
    EXPECT_EQ(drop.ObjKind, TDbObject::dboIndex);
    EXPECT_EQ(drop.ObjName, "IX");
}

TEST(IndexSteps, ActiveFlagAloneGivesOneAlterAndSurvivesASecondComparison) {
    Compare c;
    SameTables(c, "T", {"A", "B"});
    Index(c.M(), "IX_ACT", "T", {"A"})->Active = false;
    TIdxData* target = Index(c.T(), "IX_ACT", "T", {"A"});
    Index(c.M(), "IX_ON", "T", {"B"});
    Index(c.T(), "IX_ON", "T", {"B"})->Active = false;
    c.Run();
    const std::string first = c.Script();
    const Strings alters = {"ALTER INDEX IX_ACT INACTIVE", "ALTER INDEX IX_ON ACTIVE"};
    for (const std::string& a : alters) {
        const int at = c.rec.Find(a);
        ASSERT_GE(at, 0) << first;
        EXPECT_EQ(c.rec.seen[at].Operation, TDbOperation::odbAlter);
        EXPECT_EQ(c.rec.seen[at].ObjKind, TDbObject::dboIndex);
    }
    EXPECT_EQ(c.rec.Contains("DROP INDEX"), -1) << first;
    EXPECT_EQ(c.rec.Find("CREATE INDEX"), -1) << first;
    EXPECT_EQ(c.rec.Find("/* Alter index (Drop, Create)... */"), c.rec.Find(alters[0]) - 1);
    // The target's flag is back as extracted, so the next comparison writes the same script.
    EXPECT_TRUE(target->Active);
    c.Run();
    EXPECT_EQ(c.Script(), first);
}

TEST(IndexSteps, InactiveIndexIsSwitchedOffOnEveryRoadThatCreatesIt) {
    Compare c;
    SameTables(c, "T", {"A", "B"});
    TIdxData* fresh = Index(c.M(), "IX_NEW", "T", {"-A"});
    fresh->Descending = true;
    fresh->Active = false;
    fresh->SetDescription("new one");
    TIdxData* changed = Index(c.M(), "IX_CHG", "T", {"A", "B"});
    changed->Active = false;
    Index(c.T(), "IX_CHG", "T", {"A"});
    c.Run();
    const Strings all = c.rec.All();
    // Created: CREATE, the switch-off once, then the description.
    const int create = c.rec.Find("CREATE DESC INDEX IX_NEW ON T(A DESC)");
    ASSERT_GE(create, 0);
    EXPECT_EQ(all[create + 1], "ALTER INDEX IX_NEW INACTIVE");
    EXPECT_EQ(all[create + 2], "COMMENT ON INDEX IX_NEW IS\r\n'new one'");
    // Changed: dropped, created, switched off.
    const int drop = c.rec.Contains("DROP INDEX IX_CHG");
    const int recreate = c.rec.Find("CREATE INDEX IX_CHG ON T(A, B)");
    ASSERT_GT(recreate, drop);
    EXPECT_EQ(all[recreate + 1], "ALTER INDEX IX_CHG INACTIVE");
    int switches = 0;
    for (const std::string& s : all)
        switches += s.find(" INACTIVE") != std::string::npos;
    EXPECT_EQ(switches, 2);
    // A dependency walk creates through the same call: the switch-off comes with the CREATE, once.
    c.exec.ClearStatements();
    c.rec.seen.clear();
    changed->Exists = 0;
    changed->CreateDependDef();
    changed->CreateDependDef();
    EXPECT_EQ(c.rec.All(), (Strings{"CREATE INDEX IX_CHG ON T(A, B)", "ALTER INDEX IX_CHG INACTIVE"}));
}

TEST(IndexSteps, MSSQLTextsDifferingInCaseAreEqual) {
    for (TDatabaseType type : {dbMSSQL, dbInterBase}) {
        Compare c(type);
        SameTables(c, "T", {"A"});
        Index(c.M(), "IX", "T", {"A"});
        Index(c.T(), "IX", "t", {"A"}); // the same index, its table written in lower case
        c.Run();
        if (type == dbMSSQL)
            EXPECT_EQ(c.rec.Contains("INDEX"), -1) << c.Script();
        else // every other dialect compares exactly
            EXPECT_GE(c.rec.Contains("DROP INDEX IX"), 0) << c.Script();
    }
}

TEST(IndexSteps, AnIndexAlreadyDroppedIsNotDroppedAgain) {
    Compare c;
    SameTables(c, "T", {"A"});
    TIdxData* gone = Index(c.T(), "IX", "T", {"A"});
    c.cmp.LinkStructures();
    c.M()->SetSQLExec(&c.exec);
    c.T()->SetSQLExec(&c.exec);
    gone->Exists = 0;
    DropIndices(&c.cmp);
    EXPECT_TRUE(c.rec.seen.empty());
    gone->Exists = 1;
    DropIndices(&c.cmp);
    EXPECT_EQ(c.rec.All(), (Strings{"/* Drop Index... */", "RECONNECT",
                                    "/* Drop: IX (TIdxData) */\r\nDROP INDEX IX", ""}));
}

// ---------------------------------------------------------------------------------------------------
// Constraints

// A master with a new table N whose keys, check and index are new, and a target with a surplus
// unique key and index on the shared table T.
void NewTableWithKeys(Compare& c) {
    SameTables(c, "T", {"ID!", "A"});
    Constraint(c.M(), ctPrimaryKey, "PK_T", "T", {"ID"});
    Constraint(c.T(), ctPrimaryKey, "PK_T", "T", {"ID"});
    Constraint(c.T(), ctUnique, "UQ_OLD", "T", {"A"});
    Index(c.T(), "IX_OLD", "T", {"A"});
    Table(c.M(), "N", {"ID!", "T_ID", "V!"});
    Constraint(c.M(), ctPrimaryKey, "PK_N", "N", {"ID"});
    Constraint(c.M(), ctUnique, "UQ_N", "N", {"V"});
    ForeignKey(c.M(), "FK_N", "N", {"T_ID"}, "T", {"ID"}, raCascade);
    Constraint(c.M(), ctCheck, "CK_N", "N", {}, [](TCtrData& k) { k.SetSource("(V > 0)"); });
    Index(c.M(), "IX_N", "N", {"V"});
    LinkAll(c.M());
    LinkAll(c.T());
}

TEST(ConstraintSteps, OrderOfTheSequence) {
    Compare c;
    NewTableWithKeys(c);
    c.Run();
    const TRecorder& r = c.rec;
    const int dropUnique = r.Find("ALTER TABLE T DROP CONSTRAINT UQ_OLD");
    const int dropIndex = r.Contains("DROP INDEX IX_OLD");
    const int createTable = r.Find("CREATE TABLE N");
    const int createIndex = r.Find("CREATE INDEX IX_N ON N(V)");
    const int pk = r.Find("ALTER TABLE N ADD CONSTRAINT PK_N PRIMARY KEY (ID)");
    const int uq = r.Find("ALTER TABLE N ADD CONSTRAINT UQ_N UNIQUE (V)");
    const int reconnect = r.Find("RECONNECT", uq);
    const int fk =
        r.Find("ALTER TABLE N ADD CONSTRAINT FK_N FOREIGN KEY (T_ID) REFERENCES T (ID) ON DELETE CASCADE");
    const int ck = r.Find("ALTER TABLE N ADD CONSTRAINT CK_N CHECK(V > 0)");
    const Strings all = r.All();
    const std::vector<int> order = {dropUnique, dropIndex, createTable, createIndex, pk,
                                    uq,         reconnect, fk,          ck};
    for (std::size_t i = 0; i < order.size(); ++i)
        ASSERT_GE(order[i], 0) << "step " << i << "\n" << c.Script();
    for (std::size_t i = 1; i < order.size(); ++i)
        EXPECT_LT(order[i - 1], order[i]) << "step " << i << "\n" << c.Script();
    // The foreign-key pass opens with its header and the reconnect; only the last pass (defaults,
    // none here) closes the block.
    EXPECT_EQ(all[reconnect - 1], "/* Create Foreign Key... */");
    EXPECT_EQ(all[ck - 1], "/* Create Check... */");
    EXPECT_EQ(ck + 1, static_cast<int>(all.size()));
    EXPECT_EQ(r.seen[pk].Operation, TDbOperation::odbCreate);
    EXPECT_EQ(r.seen[pk].ObjKind, TDbObject::dboPKey);
    EXPECT_EQ(r.seen[fk].ObjKind, TDbObject::dboFKey);
    EXPECT_EQ(r.seen[dropUnique].Operation, TDbOperation::odbDrop);
    EXPECT_EQ(r.seen[dropUnique].ObjKind, TDbObject::dboUnique);
    // The key that stayed is neither dropped nor created.
    EXPECT_EQ(r.Contains("PK_T"), -1) << c.Script();
}

TEST(ConstraintSteps, PrimaryKeysAloneAndNoDefaults) {
    Compare c;
    SameTables(c, "T", {"ID!", "A"});
    SameTables(c, "U", {"ID!", "T_A"});
    Constraint(c.M(), ctPrimaryKey, "PK_T", "T", {"ID"}, [](TCtrData& k) {
        k.IndexName = "IX_PK_T";
        k.IndexDescending = true;
    });
    Constraint(c.T(), ctPrimaryKey, "PK_T", "T", {"ID"});
    Constraint(c.M(), ctUnique, "UQ_T", "T", {"A"});
    ForeignKey(c.M(), "FK_U", "U", {"T_A"}, "T", {"A"});
    ForeignKey(c.T(), "FK_U", "U", {"T_A"}, "T", {"A"}, raCascade);
    Constraint(c.M(), ctCheck, "CK_U", "U", {}, [](TCtrData& k) { k.SetSource("(ID > 0)"); });
    TCtrData* def = Constraint(c.M(), ctDefault, "DF_A", "T", {"A"}, [](TCtrData& k) { k.SetSource("0"); });
    LinkAll(c.M());
    LinkAll(c.T());
    for (TCmpObjSetType only : {TCmpObjSetType{coPrimaryKey}, TCmpObjSetType{coPrimaryKey, coProcedure}}) {
        c.cmp.SetCompareObjects(only);
        c.Run();
        EXPECT_EQ(c.rec.Statements(),
                  (Strings{"RECONNECT", "ALTER TABLE T DROP CONSTRAINT PK_T",
                           "ALTER TABLE T ADD CONSTRAINT PK_T PRIMARY KEY (ID)\r\nUSING DESC INDEX IX_PK_T"}))
            << c.Script();
        EXPECT_FALSE(def->GetExists());
    }
    // Defaults alone with checks not compared: nothing.
    c.cmp.SetCompareObjects({coPrimaryKey, coUnique, coForeignKey});
    c.cmp.LinkStructures();
    c.M()->SetSQLExec(&c.exec);
    c.exec.ClearStatements();
    c.rec.seen.clear();
    def->Exists = 0;
    CreateConstraints(&c.cmp, 32);
    EXPECT_TRUE(c.rec.seen.empty());
    // With checks compared the default is created in the last pass.
    c.cmp.SetCompareObjects({coCheck});
    CreateConstraints(&c.cmp, 32);
    EXPECT_EQ(c.rec.Find("/* Create Default... */"), 0);
    EXPECT_TRUE(def->GetExists());
}

TEST(ConstraintSteps, EqualKeyStaysAChangedOneGoesWithItsForeignKeys) {
    Compare c;
    SameTables(c, "T", {"ID!", "A!", "B!"});
    SameTables(c, "U", {"ID!", "T_A", "T_B"});
    Constraint(c.M(), ctUnique, "UQ_A", "T", {"A"});
    Constraint(c.T(), ctUnique, "UQ_A", "T", {"A"});
    Constraint(c.M(), ctUnique, "UQ_B", "T", {"B"}, [](TCtrData& k) { k.IndexName = "IX_UQ_B"; });
    Constraint(c.T(), ctUnique, "UQ_B", "T", {"B"});
    for (TObjs* o : {c.M(), c.T()}) {
        ForeignKey(o, "FK_UA", "U", {"T_A"}, "T", {"A"});
        ForeignKey(o, "FK_UB", "U", {"T_B"}, "T", {"B"});
        LinkAll(o);
    }
    c.Run();
    const TRecorder& r = c.rec;
    EXPECT_EQ(r.Contains("UQ_A"), -1) << c.Script();
    EXPECT_EQ(r.Contains("FK_UA"), -1) << c.Script();
    const int reconnect = r.Find("RECONNECT", r.Find("SET AUTODDL ON"));
    const int dropFk = r.Find("ALTER TABLE U DROP CONSTRAINT FK_UB");
    const int dropUq = r.Find("ALTER TABLE T DROP CONSTRAINT UQ_B");
    const int addUq = r.Find("ALTER TABLE T ADD CONSTRAINT UQ_B UNIQUE (B)\r\nUSING INDEX IX_UQ_B");
    const int addFk = r.Find("ALTER TABLE U ADD CONSTRAINT FK_UB FOREIGN KEY (T_B) REFERENCES T (B)");
    ASSERT_GE(reconnect, 0) << c.Script();
    EXPECT_LT(reconnect, dropFk);
    EXPECT_LT(dropFk, dropUq);
    EXPECT_LT(dropUq, addUq);
    EXPECT_LT(addUq, addFk);
    // Each appears once: the foreign key the walk dropped is not dropped again.
    EXPECT_EQ(r.Find("ALTER TABLE U DROP CONSTRAINT FK_UB", dropFk + 1), -1);
}

TEST(ConstraintSteps, ForeignKeyWithoutReferencedColumnsGoesBeforeThePrimaryKey) {
    Compare c;
    SameTables(c, "DEPT", {"ID!"});
    SameTables(c, "T2", {"A", "DEPT_ID"});
    Constraint(c.M(), ctPrimaryKey, "PK_DEPT", "DEPT", {"ID"}, [](TCtrData& k) {
        k.IndexName = "IX_DEPT_PK";
        k.IndexDescending = true;
    });
    Constraint(c.T(), ctPrimaryKey, "PK_DEPT", "DEPT", {"ID"});
    ForeignKey(c.M(), "FK_T2_DEPT", "T2", {"DEPT_ID"}, "DEPT", {"ID"});
    TCtrData* bare = ForeignKey(c.T(), "FK_T2_DEPT", "T2", {"DEPT_ID"}, "DEPT", {});
    LinkAll(c.M());
    LinkAll(c.T());
    ASSERT_NE(bare->FindDependsOn(c.T()->FindObject(TObjsList::olConstraints, "PK_DEPT")), nullptr);
    c.Run();
    const int dropFk = c.rec.Find("ALTER TABLE T2 DROP CONSTRAINT FK_T2_DEPT");
    const int dropPk = c.rec.Find("ALTER TABLE DEPT DROP CONSTRAINT PK_DEPT");
    ASSERT_GE(dropFk, 0) << c.Script();
    EXPECT_LT(dropFk, dropPk);
}

TEST(ConstraintSteps, KeysWrittenWithTheirTableOrColumnAreNotAddedAgain) {
    // MySQL: a new table carries its keys and indices; only its foreign key follows.
    {
        Compare c(dbMySQL);
        SameTables(c, "U", {"ID!"});
        Table(c.M(), "T", {"ID!", "U_ID", "NAME"});
        Constraint(c.M(), ctPrimaryKey, "", "T", {"ID"});
        Index(c.M(), "IX_NAME", "T", {"NAME"});
        ForeignKey(c.M(), "FK_T_U", "T", {"U_ID"}, "U", {"ID"});
        LinkAll(c.M());
        c.Run();
        EXPECT_EQ(
            c.rec.Executable(),
            (Strings{
                "CREATE TABLE T(ID INTEGER NOT NULL,\r\nU_ID INTEGER,\r\nNAME INTEGER,\r\nPRIMARY KEY(ID),"
                "\r\nKEY IX_NAME (NAME))",
                "ALTER TABLE T ADD CONSTRAINT FK_T_U FOREIGN KEY (U_ID) REFERENCES U (ID)"}))
            << c.Script();
    }
    // MS SQL: a new NOT NULL column carries its default; the default pass has nothing left to add.
    {
        Compare c(dbMSSQL);
        Table(c.M(), "T", {"ID!", "X!"});
        Table(c.T(), "T", {"ID!"});
        Constraint(c.M(), ctDefault, "DF_X", "T", {"X"}, [](TCtrData& k) { k.SetSource("(0)"); });
        LinkAll(c.M());
        c.Run();
        EXPECT_EQ(c.rec.Executable(),
                  Strings{"ALTER TABLE T ADD X INTEGER NOT NULL CONSTRAINT DF_X DEFAULT (0)"})
            << c.Script();
    }
}

TEST(ConstraintSteps, DropGateAndPerTypeRules) {
    Compare c;
    SameTables(c, "T", {"ID!", "A"});
    TCtrData* ref =
        Constraint(c.T(), ctReferences, "", "T", {"A"}, [](TCtrData& k) { k.SetRefTableName("U"); });
    TCtrData* ck = Constraint(c.T(), ctCheck, "CK", "T", {}, [](TCtrData& k) { k.SetSource("(A > 0)"); });
    TCtrData* pk = Constraint(c.T(), ctPrimaryKey, "PK", "T", {"ID"});
    c.cmp.LinkStructures();
    c.T()->SetSQLExec(&c.exec);
    auto dropWith = [&](TCmpObjSetType kinds) {
        for (TCtrData* k : {ref, ck, pk})
            k->Exists = 1;
        c.rec.seen.clear();
        c.cmp.SetCompareObjects(kinds);
        DropConstraints(&c.cmp);
        Strings names;
        for (const TSeen& s : c.rec.seen)
            if (s.Operation == TDbOperation::odbDrop) names.push_back(s.ObjName);
        return names;
    };
    EXPECT_EQ(dropWith({coIndex}), Strings{});        // no constraint kind: the step does nothing
    EXPECT_EQ(dropWith({coCtrDefault}), Strings{""}); // the column reference always goes
    EXPECT_EQ(dropWith({coCheck}), (Strings{"CK", ""}));
    // From the last entry to the first: the list is PK, CK, then the unnamed reference.
    EXPECT_EQ(dropWith({coCheck, coPrimaryKey}), (Strings{"PK", "CK", ""}));
}

} // namespace
} // namespace smx
