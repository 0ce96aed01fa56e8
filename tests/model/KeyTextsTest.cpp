// Index and constraint texts per dialect: CREATE and DROP texts, filing keys and display names,
// the MySQL CREATE TABLE with its keys inline, the MS SQL ADD COLUMN with its default inline, the
// structure script's inactive index, and the key a foreign key hangs on.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/model/KeysTestSupport.h"

namespace smx {
namespace {

using namespace smx::keytest;
using enum TDatabaseType;

// ---------------------------------------------------------------------------------------------------
// Indices

struct IndexRow {
    const char* what;
    TDatabaseType type;
    std::function<void(TIdxData&)> fill;
    std::string create;
    std::string drop;
};

TEST(IndexTexts, CreateAndDropByDialect) {
    const IndexRow rows[] = {
        {"unique descending inactive", dbInterBase,
         [](TIdxData& x) {
             x.Unique = true;
             x.Descending = true;
             x.Active = false;
         },
         "CREATE UNIQUE DESC INDEX IX ON T(A)", "/* Drop: IX (TIdxData) */\r\nDROP INDEX IX"},
        {"expression", dbInterBase,
         [](TIdxData& x) {
             x.Columns.Clear();
             x.SetSource("(UPPER(NAME))");
         },
         "CREATE INDEX IX ON T COMPUTED BY(UPPER(NAME))", "/* Drop: IX (TIdxData) */\r\nDROP INDEX IX"},
        {"descending column and a reserved word", dbInterBase,
         [](TIdxData& x) {
             x.AddColumn("VALUE");
             static_cast<TFldData*>(x.Columns.Objects(0))->ParamDirection = IndexColumnDescending;
         },
         "CREATE INDEX IX ON T(A DESC, \"VALUE\")", "/* Drop: IX (TIdxData) */\r\nDROP INDEX IX"},
        {"MySQL method and prefix length", dbMySQL,
         [](TIdxData& x) {
             x.IndexOptions.IndexType = "BTREE";
             static_cast<TFldData*>(x.Columns.Objects(0))->Length = 10;
         },
         "CREATE INDEX IX USING BTREE ON T(A(10))", "DROP INDEX IX ON T"},
        {"MS SQL kinds and clauses", dbMSSQL,
         [](TIdxData& x) {
             x.SetParentName("dbo");
             x.Unique = true;
             x.Clustered = true;
             x.AddIncludeColumn("B");
             x.AddIncludeColumn("C");
             x.FilterText = "A > 0";
             x.MSSQLExtra = "WITH (PAD_INDEX = ON)";
             x.FileGroup = "FG1";
         },
         "CREATE UNIQUE CLUSTERED INDEX IX ON DBO.T(A)\r\n  INCLUDE (B, C)\r\nWHERE A > 0\r\n   WITH "
         "(PAD_INDEX = "
         "ON)\r\nON FG1",
         "DROP INDEX DBO.T.IX"},
        {"Oracle with a schema and clauses", dbOracle,
         [](TIdxData& x) {
             x.SetParentName("S");
             x.Bitmap = true;
             x.IndexType = "CTXSYS.CONTEXT";
             x.Parameters = "('SYNC (ON COMMIT)')";
             x.Compress = true;
             x.NoLogging = true;
             x.TablespaceName = "USERS";
         },
         "CREATE BITMAP INDEX S.IX ON S.T(A)\r\n   INDEXTYPE IS CTXSYS.CONTEXT\r\n   PARAMETERS ('SYNC (ON "
         "COMMIT)')\r\nCOMPRESS\r\nNOLOGGING\r\nTABLESPACE USERS",
         "/* Drop: IX (TIdxData) */\r\nDROP INDEX IX"},
        {"Oracle expression", dbOracle, [](TIdxData& x) { x.SetSource("(UPPER(A))"); },
         "CREATE INDEX IX ON T(UPPER(A))", "/* Drop: IX (TIdxData) */\r\nDROP INDEX IX"},
        {"SQL Anywhere owner", dbSybaseASA, [](TIdxData& x) { x.Owner2 = "DBA"; },
         "CREATE INDEX IX ON DBA.T(A)", "DROP INDEX DBA.T.IX"},
        {"Sybase ASE", dbSybaseASE, [](TIdxData&) {}, "CREATE INDEX IX ON T(A)", "DROP INDEX T.IX"},
        {"PostgreSQL schema", dbPostgreSQL, [](TIdxData& x) { x.SetParentName("s"); },
         "CREATE INDEX ix ON s.t(a)", "DROP INDEX s.ix"},
        {"DB2 reverse scans and physical attributes", dbDB2,
         [](TIdxData& x) {
             x.AllowReverseScans = true;
             x.TableSpace.pctfree = 10;
         },
         "CREATE INDEX IX ON T(A)\r\npctfree 10\r\n  ALLOW REVERSE SCANS",
         "/* Drop: IX (TIdxData) */\r\nDROP INDEX IX"},
    };
    for (const IndexRow& r : rows) {
        TDBStructure s;
        Prepare(s, r.type);
        const bool lower = r.type == dbPostgreSQL;
        TIdxData* x = Index(s.Objs(), lower ? "ix" : "IX", lower ? "t" : "T", {lower ? "a" : "A"}, false);
        r.fill(*x);
        EXPECT_EQ(x->GetCreateSQL(), r.create) << r.what;
        EXPECT_EQ(x->GetDropSQL(), r.drop) << r.what;
        delete x;
    }
}

TEST(IndexTexts, InactiveStatementAndIgnore) {
    TDBStructure s;
    Prepare(s);
    TIdxData* x = Index(s.Objs(), "IX", "T", {"A"});
    EXPECT_EQ(x->GetInactiveSQL(), "");
    x->Active = false;
    EXPECT_EQ(x->GetInactiveSQL(), "ALTER INDEX IX INACTIVE");
    x->Ignore = 1;
    EXPECT_EQ(x->GetCreateSQL(), "");
}

TEST(IndexTexts, MySQLIndicesOfTwoTablesAreFiledApart) {
    TDBStructure s;
    Prepare(s, dbMySQL);
    TIdxData* a = Index(s.Objs(), "I", "A", {"C"});
    TIdxData* b = Index(s.Objs(), "I", "B", {"C"});
    TStringList& list = s.Objs()->Indices();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0], "A.I");
    EXPECT_EQ(list[1], "B.I");
    EXPECT_EQ(list.Objects(0), a);
    EXPECT_EQ(list.Objects(1), b);
    a->IndexOptions.IndexType = "BTREE";
    static_cast<TFldData*>(a->Columns.Objects(0))->Length = 10;
    EXPECT_EQ(a->GetCreateSQL(), "CREATE INDEX I USING BTREE ON A(C(10))");
    // The same two indices in an InterBase container: the second is refused.
    TDBStructure ib;
    Prepare(ib);
    Index(ib.Objs(), "I", "A", {"C"});
    auto* dup = new TIdxData(ib.Objs());
    dup->SetName("I");
    dup->TableName = "B";
    EXPECT_EQ(ib.Objs()->AddObject(dup, true), -1);
    EXPECT_EQ(ib.Objs()->Indices().Count(), 1);
}

// ---------------------------------------------------------------------------------------------------
// Constraints

struct ConstraintRow {
    const char* what;
    TDatabaseType type;
    std::function<TCtrData*(TCustomObjs*)> make;
    std::string create;
    std::string drop;
};

TEST(ConstraintTexts, CreateAndDropByDialect) {
    const std::string unnamedPk = "ALTER TABLE T ADD PRIMARY KEY (ID)";
    const ConstraintRow rows[] = {
        {"primary key with a descending index", dbInterBase,
         [](TCustomObjs* o) {
             return Constraint(o, ctPrimaryKey, "PK_T", "T", {"ID"}, [](TCtrData& c) {
                 c.IndexName = "PK_T_IDX";
                 c.IndexDescending = true;
             });
         },
         "ALTER TABLE T ADD CONSTRAINT PK_T PRIMARY KEY (ID)\r\nUSING DESC INDEX PK_T_IDX",
         "ALTER TABLE T DROP CONSTRAINT PK_T"},
        {"unique with an ascending index", dbInterBase,
         [](TCustomObjs* o) {
             return Constraint(o, ctUnique, "UQ", "T", {"A", "B"},
                               [](TCtrData& c) { c.IndexName = "IX_UQ"; });
         },
         "ALTER TABLE T ADD CONSTRAINT UQ UNIQUE (A, B)\r\nUSING INDEX IX_UQ",
         "ALTER TABLE T DROP CONSTRAINT UQ"},
        {"foreign key, both rules", dbInterBase,
         [](TCustomObjs* o) { return ForeignKey(o, "FK", "A", {"B_ID"}, "B", {"ID"}, raCascade, raSetNull); },
         "ALTER TABLE A ADD CONSTRAINT FK FOREIGN KEY (B_ID) REFERENCES B (ID) ON UPDATE SET NULL ON DELETE "
         "CASCADE",
         "ALTER TABLE A DROP CONSTRAINT FK"},
        {"foreign key without referenced columns", dbInterBase,
         [](TCustomObjs* o) { return ForeignKey(o, "FK", "A", {"B_ID"}, "B", {}, raSetDefault, raRestrict); },
         "ALTER TABLE A ADD CONSTRAINT FK FOREIGN KEY (B_ID) REFERENCES B ON UPDATE RESTRICT ON DELETE SET "
         "DEFAULT",
         "ALTER TABLE A DROP CONSTRAINT FK"},
        {"named check", dbInterBase,
         [](TCustomObjs* o) {
             return Constraint(o, ctCheck, "CK", "T", {}, [](TCtrData& c) { c.SetSource("(A <> ')')"); });
         },
         "ALTER TABLE T ADD CONSTRAINT CK CHECK(A <> ')')", "ALTER TABLE T DROP CONSTRAINT CK"},
        {"unnamed check, Firebird 2.5", dbInterBase,
         [](TCustomObjs* o) {
             o->GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_25);
             return Constraint(o, ctCheck, "", "T", {}, [](TCtrData& c) { c.SetSource("(A > 0)"); });
         },
         "ALTER TABLE T ADD CHECK(A > 0)", "/* drop constraint: ALTER TABLE T ADD CHECK(A > 0) */\r\n"},
        {"unnamed primary key, Firebird 2.5", dbInterBase,
         [](TCustomObjs* o) {
             o->GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_25);
             return Constraint(o, ctPrimaryKey, "", "T", {"ID"});
         },
         unnamedPk,
         "/* drop constraint: " + unnamedPk +
             " */\r\nDelete from Rdb$Relation_Constraints\r\nwhere Rdb$Relation_Name = 'T'\r\nand "
             "Rdb$Constraint_Type = 'PRIMARY KEY'"},
        {"server-named key (read from a database)", dbInterBase,
         [](TCustomObjs* o) {
             return Constraint(o, ctPrimaryKey, "", "T", {"ID"},
                               [](TCtrData& c) { c.OverrideName = "INTEG_12"; });
         },
         unnamedPk, "ALTER TABLE T DROP CONSTRAINT INTEG_12"},
        {"column reference", dbInterBase,
         [](TCustomObjs* o) {
             return Constraint(o, ctReferences, "", "T", {"U_ID"}, [](TCtrData& c) {
                 c.SetRefTableName("U");
                 c.AddRefColumn("ID");
             });
         },
         "ALTER TABLE T ADD REFERENCES U(ID)",
         "/* drop constraint: ALTER TABLE T ADD REFERENCES U(ID) */\r\n"},
        {"MySQL primary key", dbMySQL,
         [](TCustomObjs* o) { return Constraint(o, ctPrimaryKey, "", "T", {"ID"}); },
         "ALTER TABLE T ADD PRIMARY KEY (ID)", "ALTER TABLE T DROP PRIMARY KEY"},
        {"MySQL unnamed unique key with its index", dbMySQL,
         [](TCustomObjs* o) {
             return Constraint(o, ctUnique, "", "T", {"A"}, [](TCtrData& c) { c.IndexName = "K1"; });
         },
         "ALTER TABLE T ADD UNIQUE K1 (A)", "ALTER TABLE T DROP KEY K1"},
        {"MySQL named unique key", dbMySQL,
         [](TCustomObjs* o) { return Constraint(o, ctUnique, "UQ", "T", {"A"}); },
         "ALTER TABLE T ADD CONSTRAINT UQ UNIQUE (A)", "ALTER TABLE T DROP CONSTRAINT UQ"},
        {"MySQL unnamed unique key", dbMySQL,
         [](TCustomObjs* o) { return Constraint(o, ctUnique, "", "T", {"A"}); },
         "ALTER TABLE T ADD UNIQUE (A)", "ALTER TABLE T DROP UNIQUE"},
        {"MySQL foreign key", dbMySQL,
         [](TCustomObjs* o) { return ForeignKey(o, "FK", "T", {"U_ID"}, "U", {"ID"}); },
         "ALTER TABLE T ADD CONSTRAINT FK FOREIGN KEY (U_ID) REFERENCES U (ID)",
         "ALTER TABLE T DROP FOREIGN KEY FK"},
        {"MS SQL nonclustered key of a schema", dbMSSQL,
         [](TCustomObjs* o) {
             return Constraint(o, ctPrimaryKey, "PK", "T", {"ID"},
                               [](TCtrData& c) { c.SetParentName("dbo"); });
         },
         "ALTER TABLE DBO.T ADD CONSTRAINT PK PRIMARY KEY NONCLUSTERED (ID)",
         "ALTER TABLE DBO.T DROP CONSTRAINT PK"},
        {"MS SQL clustered unique key", dbMSSQL,
         [](TCustomObjs* o) {
             return Constraint(o, ctUnique, "UQ", "T", {"A"}, [](TCtrData& c) { c.Clustered = true; });
         },
         "ALTER TABLE T ADD CONSTRAINT UQ UNIQUE CLUSTERED (A)", "ALTER TABLE T DROP CONSTRAINT UQ"},
        {"MS SQL default for a column", dbMSSQL,
         [](TCustomObjs* o) {
             return Constraint(o, ctDefault, "DF", "T", {"A"}, [](TCtrData& c) { c.SetSource("(0)"); });
         },
         "ALTER TABLE T ADD CONSTRAINT DF DEFAULT (0) FOR A", "ALTER TABLE T DROP CONSTRAINT DF"},
        {"MS SQL foreign key not for replication", dbMSSQL,
         [](TCustomObjs* o) {
             TCtrData* c = ForeignKey(o, "FK", "T", {"U_ID"}, "U", {"ID"}, raCascade);
             c->SetRefTableOwner("dbo");
             c->NotForReplication = true;
             return c;
         },
         "ALTER TABLE T ADD CONSTRAINT FK FOREIGN KEY (U_ID) REFERENCES DBO.U (ID) ON DELETE CASCADE NOT FOR "
         "REPLICATION",
         "ALTER TABLE T DROP CONSTRAINT FK"},
        {"SQL Anywhere unnamed foreign key with a role", dbSybaseASA,
         [](TCustomObjs* o) {
             TCtrData* c = ForeignKey(o, "", "T", {"U_ID"}, "U", {"ID"});
             c->Owner2 = "DBA";
             c->RefOwner = "DBA";
             c->RoleName = "R";
             c->CheckOnCommit = true;
             return c;
         },
         "ALTER TABLE DBA.T ADD FOREIGN KEY R (U_ID) REFERENCES DBA.U (ID) CHECK ON COMMIT",
         "/* drop constraint: ALTER TABLE DBA.T ADD FOREIGN KEY R (U_ID) REFERENCES DBA.U (ID) CHECK ON "
         "COMMIT "
         "*/\r\nALTER TABLE T DROP FOREIGN KEY R"},
        {"SQL Anywhere unnamed clustered key", dbSybaseASA,
         [](TCustomObjs* o) {
             return Constraint(o, ctPrimaryKey, "", "T", {"ID"}, [](TCtrData& c) {
                 c.Owner2 = "DBA";
                 c.Clustered = true;
             });
         },
         "ALTER TABLE DBA.T ADD PRIMARY KEY CLUSTERED (ID)",
         "/* drop constraint: ALTER TABLE DBA.T ADD PRIMARY KEY CLUSTERED (ID) */\r\nALTER TABLE T DROP "
         "PRIMARY KEY"},
        {"SQL Anywhere unnamed unique key", dbSybaseASA,
         [](TCustomObjs* o) {
             return Constraint(o, ctUnique, "", "T", {"A", "B"}, [](TCtrData& c) { c.Owner2 = "DBA"; });
         },
         "ALTER TABLE DBA.T ADD UNIQUE (A, B)",
         "/* drop constraint: ALTER TABLE DBA.T ADD UNIQUE (A, B) */\r\nALTER TABLE T DROP UNIQUE(A, B)"},
        {"PostgreSQL foreign key", dbPostgreSQL,
         [](TCustomObjs* o) {
             TCtrData* c = ForeignKey(o, "fk", "t", {"u_id"}, "u", {"id"}, raCascade);
             c->SetParentName("s");
             c->MatchType = 1;
             c->Deferrable = true;
             c->InitiallyDeferred = true;
             return c;
         },
         "ALTER TABLE s.t ADD CONSTRAINT fk FOREIGN KEY (u_id) REFERENCES s.u (id) MATCH FULL ON DELETE "
         "CASCADE "
         "DEFERRABLE INITIALLY DEFERRED",
         "ALTER TABLE s.t DROP CONSTRAINT fk"},
        {"Oracle not-null check", dbOracle,
         [](TCustomObjs* o) {
             return Constraint(o, ctNotNull, "NN", "T", {"A"}, [](TCtrData& c) { c.SetParentName("S"); });
         },
         "ALTER TABLE S.T MODIFY (A CONSTRAINT NN NOT NULL)", "ALTER TABLE S.T DROP CONSTRAINT NN"},
        {"Oracle key with its index and deferral", dbOracle,
         [](TCustomObjs* o) {
             return Constraint(o, ctUnique, "UQ", "T", {"A"}, [](TCtrData& c) {
                 c.IndexName = "USING INDEX TABLESPACE USERS";
                 c.DeferrableInitiallyDeferred = true;
             });
         },
         "ALTER TABLE T ADD CONSTRAINT UQ UNIQUE (A) USING INDEX TABLESPACE USERS\r\nDEFERRABLE INITIALLY "
         "DEFERRED",
         "ALTER TABLE T DROP CONSTRAINT UQ"},
    };
    for (const ConstraintRow& r : rows) {
        TDBStructure s;
        Prepare(s, r.type);
        TCtrData* c = r.make(s.Objs());
        EXPECT_EQ(c->GetCreateSQL(), r.create) << r.what;
        EXPECT_EQ(c->GetDropSQL(), r.drop) << r.what;
    }
}

TEST(ConstraintTexts, ReferentialActionsByTargetODS) {
    // The rules are written when the target's ODS is unknown or 9 and later, left out below 9.
    const std::string withRule =
        "ALTER TABLE A ADD CONSTRAINT FK_A FOREIGN KEY (B_ID) REFERENCES B (ID) ON DELETE CASCADE";
    const std::string without = "ALTER TABLE A ADD CONSTRAINT FK_A FOREIGN KEY (B_ID) REFERENCES B (ID)";
    for (auto [ods, expected] : {std::pair{0, withRule}, {9, withRule}, {11, withRule}, {8, without}}) {
        TDBStructure master, target;
        Prepare(master);
        Prepare(target);
        target.GetIBServerOptions().GetIBDatabaseOptions().SetODSMajorVersion(ods);
        master.Objs()->SetRole(1);
        target.Objs()->SetRole(2);
        master.Objs()->SetPartnerObjs(target.Objs());
        target.Objs()->SetPartnerObjs(master.Objs());
        TCtrData* fk = ForeignKey(master.Objs(), "FK_A", "A", {"B_ID"}, "B", {"ID"}, raCascade);
        EXPECT_EQ(fk->GetCreateSQL(), expected) << "ODS " << ods;
        TCtrData* tk = ForeignKey(target.Objs(), "FK_A", "A", {"B_ID"}, "B", {"ID"}, raCascade);
        EXPECT_EQ(tk->GetCreateSQL(), expected) << "target side, ODS " << ods;
    }
}

TEST(ConstraintTexts, MSSQLDefaultInlineFormAndCaseRule) {
    TDBStructure s;
    Prepare(s, dbMSSQL);
    TCtrData* one = Constraint(s.Objs(), ctDefault, "DF", "t", {"a"}, [](TCtrData& c) { c.SetSource("0"); });
    EXPECT_EQ(one->GetDefinitionSQL(true), "CONSTRAINT DF DEFAULT 0");
    EXPECT_EQ(one->GetDefinitionSQL(false), "CONSTRAINT DF DEFAULT 0 FOR A");
    TCtrData* two =
        Constraint(s.Objs(), ctDefault, "DF2", "t", {"a", "b"}, [](TCtrData& c) { c.SetSource("0"); });
    EXPECT_EQ(two->GetDefinitionSQL(true), "CONSTRAINT DF2 DEFAULT 0 FOR A, B");
    // Without case-sensitive identifiers the setters upper-case; with them they store as given.
    EXPECT_EQ(one->TableName, "T");
    one->SetRefTableName("u");
    one->SetRefTableOwner("dbo");
    EXPECT_EQ(one->RefTableName, "U");
    EXPECT_EQ(one->RefTableOwner, "DBO");
    TDBStructure cs;
    Prepare(cs, dbMSSQL);
    cs.GetMSSQLServerOptions().GetMSSQLCompareOptions().SetCaseSensitiveIdentifiers(true);
    TCtrData c(cs.Objs());
    c.SetTableName("t");
    c.SetRefTableName("u");
    c.SetRefTableOwner("dbo");
    EXPECT_EQ(c.TableName, "t");
    EXPECT_EQ(c.RefTableName, "u");
    EXPECT_EQ(c.RefTableOwner, "dbo");
    // Other dialects store as given.
    TDBStructure ib;
    Prepare(ib);
    TCtrData d(ib.Objs());
    d.SetTableName("t");
    EXPECT_EQ(d.TableName, "t");
}

TEST(ConstraintTexts, TypesSetTheKind) {
    TCtrData c;
    EXPECT_EQ(c.GetConstraintType(), ctForeignKey);
    EXPECT_EQ(c.GetKind(), TDbObject::dboConstraint);
    const std::pair<std::uint8_t, TDbObject> kinds[] = {
        {ctPrimaryKey, TDbObject::dboPKey}, {ctUnique, TDbObject::dboUnique},
        {ctForeignKey, TDbObject::dboFKey}, {ctCheck, TDbObject::dboCheck},
        {ctDefault, TDbObject::dboDefault}, {ctReferences, TDbObject::dboReferences},
    };
    for (auto [type, kind] : kinds) {
        c.SetConstraintType(type);
        EXPECT_EQ(c.GetKind(), kind) << int(type);
    }
    c.SetConstraintType(ctNotNull); // leaves the kind
    EXPECT_EQ(c.GetKind(), TDbObject::dboReferences);
    EXPECT_EQ(c.GetConstraintType(), ctNotNull);
}

TEST(ConstraintTexts, KeysAndDisplayNames) {
    TDBStructure s;
    Prepare(s);
    // An unnamed key is filed under its text written as in dialect 1: a reserved word stays bare.
    TCtrData* pk = Constraint(s.Objs(), ctPrimaryKey, "", "T", {"VALUE"});
    EXPECT_EQ(pk->GetCreateSQL(), "ALTER TABLE T ADD PRIMARY KEY (\"VALUE\")");
    EXPECT_EQ(pk->GetFullName(), "ALTER TABLE T ADD PRIMARY KEY (VALUE)");
    EXPECT_EQ(s.Objs()->Constraints()[0], "ALTER TABLE T ADD PRIMARY KEY (VALUE)");
    EXPECT_EQ(pk->GetCreateSQL(), "ALTER TABLE T ADD PRIMARY KEY (\"VALUE\")"); // quoting is back
    EXPECT_EQ(pk->GetDisplayName(), "ALTER TABLE T ADD PRIMARY KEY (\"VALUE\")");
    pk->OverrideName = "INTEG_7";
    EXPECT_EQ(pk->GetDisplayName(), "INTEG_7");
    TCtrData* named = Constraint(s.Objs(), ctUnique, "UQ_T", "T", {"A"});
    EXPECT_EQ(named->GetFullName(), "UQ_T");
    EXPECT_EQ(named->GetDisplayName(), "UQ_T");
    // Two unnamed checks with different conditions are both filed; a repeated one is filed as the
    // second of its text, as the server keeps both.
    Constraint(s.Objs(), ctCheck, "", "T", {}, [](TCtrData& c) { c.SetSource("(A > 0)"); });
    Constraint(s.Objs(), ctCheck, "", "T", {}, [](TCtrData& c) { c.SetSource("(A < 9)"); });
    auto* again = new TCtrData(s.Objs());
    again->SetConstraintType(ctCheck);
    again->SetTableName("T");
    again->SetSource("(A > 0)");
    EXPECT_GE(s.Objs()->AddObject(again, true), 0);
    EXPECT_EQ(again->GetFullName(), "ALTER TABLE T ADD CHECK(A > 0) #2");
    EXPECT_EQ(again->GetCreateSQL(), "ALTER TABLE T ADD CHECK(A > 0)");
    EXPECT_EQ(s.Objs()->Constraints().Count(), 5);
}

TEST(ConstraintTexts, ReferencedKeyOfAForeignKey) {
    TDBStructure s;
    Prepare(s);
    TCtrData* pk = Constraint(s.Objs(), ctPrimaryKey, "PK_DEPT", "DEPT", {"ID"});
    TCtrData* uq = Constraint(s.Objs(), ctUnique, "UQ_DEPT", "DEPT", {"CODE"});
    Constraint(s.Objs(), ctPrimaryKey, "PK_EMP", "EMP", {"ID"});
    TCtrData* byPk = ForeignKey(s.Objs(), "FK1", "EMP", {"DEPT_ID"}, "DEPT", {"ID"});
    TCtrData* byUq = ForeignKey(s.Objs(), "FK2", "EMP", {"DEPT_CODE"}, "DEPT", {"CODE"});
    TCtrData* bare = ForeignKey(s.Objs(), "FK3", "T2", {"D"}, "DEPT", {});
    TCtrData* none = ForeignKey(s.Objs(), "FK4", "T2", {"D"}, "DEPT", {"NAME"});
    TCtrData* noTable = ForeignKey(s.Objs(), "FK5", "T2", {"D"}, "NOWHERE", {});
    EXPECT_EQ(FindReferencedKey(s.Objs(), byPk), pk);
    EXPECT_EQ(FindReferencedKey(s.Objs(), byUq), uq);
    EXPECT_EQ(FindReferencedKey(s.Objs(), bare), pk); // no columns: the primary key
    EXPECT_EQ(FindReferencedKey(s.Objs(), none), nullptr);
    EXPECT_EQ(FindReferencedKey(s.Objs(), noTable), nullptr);
    EXPECT_EQ(FindReferencedKey(s.Objs(), pk), nullptr); // not a foreign key
    EXPECT_EQ(FindReferencedKey(nullptr, byPk), nullptr);
}

// ---------------------------------------------------------------------------------------------------
// Table clauses that carry keys

TEST(KeyClauses, MySQLCreateTableWritesKeysAndIndicesInline) {
    TDBStructure s;
    Prepare(s, dbMySQL);
    TTblData* t = Table(s.Objs(), "T", {"ID!", "NAME"});
    Table(s.Objs(), "U", {"ID!"});
    TCtrData* pk = Constraint(s.Objs(), ctPrimaryKey, "", "T", {"ID"});
    TCtrData* uq = Constraint(s.Objs(), ctUnique, "UQ_T", "T", {"NAME"});
    TCtrData* other = Constraint(s.Objs(), ctPrimaryKey, "", "U", {"ID"});
    TCtrData* fk = ForeignKey(s.Objs(), "FK", "T", {"ID"}, "U", {"ID"});
    TIdxData* ix = Index(s.Objs(), "IX", "T", {"NAME"});
    ix->Unique = true;
    ix->IndexOptions.IndexType = "BTREE";
    static_cast<TFldData*>(ix->Columns.Objects(0))->Length = 5;
    TIdxData* elsewhere = Index(s.Objs(), "IX", "U", {"ID"});
    for (TDbObj* o : std::initializer_list<TDbObj*>{pk, uq, other, fk, ix, elsewhere})
        o->Exists = 0;
    EXPECT_EQ(t->GetCreateSQL(),
              "CREATE TABLE T(ID INTEGER NOT NULL,\r\nNAME INTEGER,\r\nPRIMARY KEY(ID),\r\n"
              "CONSTRAINT UQ_T UNIQUE(NAME),\r\nUNIQUE KEY IX USING BTREE (NAME(5)))");
    EXPECT_TRUE(pk->GetExists());
    EXPECT_TRUE(uq->GetExists());
    EXPECT_TRUE(ix->GetExists());
    EXPECT_FALSE(other->GetExists());
    EXPECT_FALSE(fk->GetExists()); // foreign keys are added afterwards
    EXPECT_FALSE(elsewhere->GetExists());
    // A table without columns writes no key either.
    TTblData* empty = Table(s.Objs(), "E", {});
    Constraint(s.Objs(), ctPrimaryKey, "", "E", {"ID"});
    EXPECT_EQ(empty->GetCreateSQL(), "CREATE TABLE E");
}

TEST(KeyClauses, MSSQLAddColumnCarriesItsDefault) {
    TDBStructure s;
    Prepare(s, dbMSSQL);
    TTblData* t = Table(s.Objs(), "T", {"ID!", "A!", "B", "C!"});
    TCtrData* dfA =
        Constraint(s.Objs(), ctDefault, "DF_A", "T", {"a"}, [](TCtrData& c) { c.SetSource("(0)"); });
    TCtrData* dfB =
        Constraint(s.Objs(), ctDefault, "DF_B", "T", {"B"}, [](TCtrData& c) { c.SetSource("(1)"); });
    TCtrData* dfC =
        Constraint(s.Objs(), ctDefault, "DF_C", "T", {"C", "ID"}, [](TCtrData& c) { c.SetSource("(2)"); });
    for (TCtrData* c : {dfA, dfB, dfC}) {
        c->Exists = 0;
        LinkConstraint(s.Objs(), c);
    }
    EXPECT_EQ(t->FindField("A")->GetCreateScript(),
              "ALTER TABLE T ADD A INTEGER NOT NULL CONSTRAINT DF_A DEFAULT (0)");
    EXPECT_TRUE(dfA->GetExists());
    // A nullable column, and a default on two columns, stay apart.
    EXPECT_EQ(t->FindField("B")->GetCreateScript(), "ALTER TABLE T ADD B INTEGER NULL");
    EXPECT_EQ(t->FindField("C")->GetCreateScript(), "ALTER TABLE T ADD C INTEGER NOT NULL");
    EXPECT_FALSE(dfB->GetExists());
    EXPECT_FALSE(dfC->GetExists());
}

TEST(KeyClauses, StructureScriptSwitchesAnInactiveIndexOff) {
    TDBStructure s;
    Prepare(s);
    Table(s.Objs(), "T", {"A"});
    TIdxData* off = Index(s.Objs(), "IX_OFF", "T", {"A"});
    off->Active = false;
    off->SetDescription("switched off");
    Index(s.Objs(), "IX_ON", "T", {"A"});
    TStringList lines;
    s.Objs()->CopyScriptTo(lines);
    const std::string text = lines.Text();
    EXPECT_NE(
        text.find(
            "CREATE INDEX IX_OFF ON T(A);\r\nALTER INDEX IX_OFF INACTIVE;\r\nCOMMENT ON INDEX IX_OFF IS"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("CREATE INDEX IX_ON ON T(A);\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("IX_ON INACTIVE"), std::string::npos) << text;
}

} // namespace
} // namespace smx
