// The object routines of the InterBase script parser: what they build in the container (grants,
// roles, generators, exceptions, collations, triggers, views, routines, packages), how a second
// definition of a filed object updates it, and the messages of malformed statements.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "model/smxComp_Clt.h"
#include "model/smxComp_Ctr.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Exc.h"
#include "model/smxComp_Fnc.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Pkg.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "parsing/smxIBExParser.h"
#include "tests/parsing/ParserTestSupport.h"

namespace smx::test {
namespace {

using enum TIBSQLServerVersionType;
using enum TDbOperation;
using enum TDbObject;

/// A parser run over one script text in a fresh Firebird 3, dialect 3 container.
struct TRun {
    explicit TRun(const std::string& Text, TIBSQLServerVersionType Version = st_Firebird_30)
        : Setup(Version), Rec(P) {
        P.ReadFileHook = [Text](const std::string&, std::string& Out) {
            Out = Text;
            return TFileReadStatus::frOk;
        };
        P.ParseFile("s.sql", &Setup.Objs());
    }
    TObjs& Objs() { return Setup.Objs(); }
    std::vector<TGntData*> Grants() {
        std::vector<TGntData*> R;
        for (int i = 0; i < Objs().Grants().Count(); ++i)
            R.push_back(dynamic_cast<TGntData*>(Objs().Grants().Objects(i)));
        return R;
    }

    TIbSetup Setup;
    TIbExParser P;
    TRecorder Rec;
};

TEST(Objects, GeneratorStartAndIncrement) {
    struct Row {
        const char* Text;
        const char* Start;
        const char* Increment;
    };
    for (const Row& R :
         {Row{"CREATE SEQUENCE S START WITH -10 INCREMENT BY -1;", "-10", "-1"},
          Row{"CREATE SEQUENCE S START WITH 0 INCREMENT BY 1;", "", ""},
          Row{"CREATE SEQUENCE S START WITH 10 INCREMENT 5;", "10", "5"}, Row{"CREATE GENERATOR S;", "", ""},
          Row{"CREATE SEQUENCE S RESTART START WITH 3;", "3", ""},
          Row{"CREATE SEQUENCE S START WITH +7;", "7", ""}}) {
        TRun Run(R.Text);
        EXPECT_TRUE(Run.Rec.Errors().empty()) << R.Text;
        TGnrData* G = Run.Objs().FindGenerator("S");
        ASSERT_NE(G, nullptr) << R.Text;
        EXPECT_EQ(G->StartValue, R.Start) << R.Text;
        EXPECT_EQ(G->Increment, R.Increment) << R.Text;
        ASSERT_EQ(Run.Rec.Reports.size(), 1u);
        EXPECT_EQ(Run.Rec.Reports[0].Kind, dboGenerator);
        EXPECT_EQ(Run.Rec.Reports[0].Op, odbCreate);
    }
    // A start value beyond 64 bits is a message, never an exception; the statement after it is read.
    TRun Big("CREATE SEQUENCE S START WITH 99999999999999999999; CREATE SEQUENCE T;");
    EXPECT_EQ(Big.Rec.Errors(), std::vector<std::string>{"Integer value out of range: 99999999999999999999"});
    ASSERT_NE(Big.Objs().FindGenerator("S"), nullptr);
    EXPECT_EQ(Big.Objs().FindGenerator("S")->StartValue, "");
    EXPECT_NE(Big.Objs().FindGenerator("T"), nullptr);
}

TEST(Objects, ExceptionsCreatedAlteredAndRecreated) {
    TRun Run("CREATE EXCEPTION E 'old';\n"
             "ALTER EXCEPTION E 'new';\n"
             "RECREATE EXCEPTION F 'first';\n"
             "RECREATE EXCEPTION F 'second';\n"
             "CREATE OR ALTER EXCEPTION G 'x';\n"
             "CREATE EXCEPTION H 'after';\n");
    ASSERT_NE(Run.Objs().FindException("E"), nullptr);
    EXPECT_EQ(Run.Objs().FindException("E")->Message, "new");
    EXPECT_EQ(Run.Objs().FindException("F")->Message, "second");
    EXPECT_EQ(Run.Objs().Exceptions().Count(), 4); // E, F, G, H
    ASSERT_NE(Run.Objs().FindException("G"), nullptr);
    EXPECT_EQ(Run.Objs().FindException("G")->Message, "x");
    ASSERT_NE(Run.Objs().FindException("H"), nullptr);
    EXPECT_TRUE(Run.Rec.Errors().empty());
    std::vector<std::string> Ops;
    for (const TReport& R : Run.Rec.Reports)
        Ops.push_back(R.Name + ":" + NameOf(R.Op));
    EXPECT_EQ(Ops, (std::vector<std::string>{"E:odbCreate", "E:odbAlter", "F:odbCreate", "F:odbAlter",
                                             "G:odbCreate", "H:odbCreate"}));
}

TEST(Objects, GrantsParseMergeAndWriteTheirText) {
    TRun Run("CREATE ROLE R;\n"
             "CREATE TABLE T (A INTEGER, B INTEGER);\n"
             "GRANT SELECT ON T TO R;\n"
             "GRANT SELECT ON T TO R;\n"
             "GRANT UPDATE (A, B) ON T TO USER U WITH GRANT OPTION;\n"
             "GRANT UPDATE (B) ON T TO USER U WITH GRANT OPTION;\n"
             "GRANT SELECT ON T TO ROLE R2;\n"
             "GRANT ALL PRIVILEGES ON T TO PUBLIC;\n"
             "GRANT EXECUTE ON PROCEDURE P TO PROCEDURE Q;\n"
             "GRANT R TO U WITH ADMIN OPTION;\n"
             "GRANT SELECT ON IBE$LOG TO U;\n"
             "GRANT SELECT ON RDB$RELATIONS TO U;\n");
    EXPECT_TRUE(Run.Rec.Errors().empty()) << Run.Rec.Transcript;
    std::vector<std::string> Texts;
    for (TGntData* G : Run.Grants())
        Texts.push_back(G->GetCreateSQL());
    std::sort(Texts.begin(), Texts.end());
    EXPECT_EQ(Texts, (std::vector<std::string>{
                         "GRANT ALL ON T TO PUBLIC",
                         "GRANT EXECUTE ON PROCEDURE P TO PROCEDURE Q",
                         "GRANT R TO U WITH ADMIN OPTION",
                         "GRANT SELECT ON RDB$RELATIONS TO U",
                         "GRANT SELECT ON T TO ROLE R",
                         "GRANT SELECT ON T TO ROLE R2",
                         "GRANT UPDATE (A, B) ON T TO U WITH GRANT OPTION",
                     }));
    for (TGntData* G : Run.Grants()) {
        if (G->GranteeName == "R") {
            EXPECT_EQ(G->GranteeKind, dboRole);
        }
        if (G->GranteeName == "R2") {
            EXPECT_EQ(G->GranteeKind, dboRole);
            EXPECT_EQ(G->CompareKind, TCmpObjType::coRoleGrant);
        }
        if (G->ObjectName == "RDB$RELATIONS") {
            EXPECT_EQ(G->ObjectKind, dboTable);
        }
        if (G->ObjectName == "R") {
            EXPECT_EQ(G->ObjectKind, dboRole);
        }
    }
    // Every GRANT is reported, so that an executor loading the script keeps it.
    int GrantReports = 0;
    for (const TReport& R : Run.Rec.Reports)
        GrantReports += R.Kind == dboGrant;
    EXPECT_EQ(GrantReports, 10);
}

TEST(Objects, GrantOptionWordsAtFirebird3) {
    // Firebird 3 reads OPTION, ADMIN and PRIVILEGES as identifiers; they still end the grant.
    TRun Run("GRANT ALL PRIVILEGES ON T TO U WITH GRANT OPTION; GRANT R TO U WITH ADMIN OPTION;");
    EXPECT_TRUE(Run.Rec.Errors().empty()) << Run.Rec.Transcript;
    EXPECT_EQ(Run.Grants().size(), 2u);
    for (TGntData* G : Run.Grants())
        EXPECT_EQ(G->GrantOption, 1);
    TRun Bad("GRANT SELECT ON T TO U WITH FOO OPTION; CREATE ROLE R;");
    EXPECT_EQ(Bad.Rec.Errors().at(0), "Must be: with GRANT/ADMIN option");
    EXPECT_NE(Bad.Objs().FindRole("R"), nullptr);
}

TEST(Objects, Collations) {
    TRun Run("CREATE COLLATION C1 FOR UTF8 FROM UNICODE NO PAD CASE INSENSITIVE ACCENT INSENSITIVE "
             "'NUMERIC-SORT=1';\n"
             "CREATE COLLATION C2 FOR WIN1252 FROM EXTERNAL ('WIN_PTBR') PAD SPACE;\n"
             "CREATE COLLATION C3 FOR UTF8;\n");
    EXPECT_TRUE(Run.Rec.Errors().empty()) << Run.Rec.Transcript;
    auto* C1 = dynamic_cast<TCltData*>(Run.Objs().FindObject(TObjsList::olCollations, "C1"));
    auto* C2 = dynamic_cast<TCltData*>(Run.Objs().FindObject(TObjsList::olCollations, "C2"));
    ASSERT_TRUE(C1 && C2);
    EXPECT_EQ(C1->GetCreateSQL(),
              "CREATE COLLATION C1\r\nFOR UTF8\r\nFROM UNICODE\r\nNO PAD\r\nCASE INSENSITIVE\r\n"
              "ACCENT INSENSITIVE\r\n'NUMERIC-SORT=1'\r\n");
    EXPECT_EQ(C2->ExternalName, "WIN_PTBR");
    EXPECT_TRUE(C2->PadSpace);
    EXPECT_TRUE(C2->CaseSensitive);
    EXPECT_EQ(Run.Objs().Collations().Count(), 3);
    EXPECT_EQ(Run.Rec.Reports.at(0).Text,
              "CREATE COLLATION C1 FOR UTF8 FROM UNICODE NO PAD CASE INSENSITIVE ACCENT "
              "INSENSITIVE 'NUMERIC-SORT=1'");

    TRun Bad("CREATE COLLATION C FOR UTF8 FROM 'X';\nCREATE COLLATION D FOR UTF8 FROM U CASE MAYBE;");
    EXPECT_EQ(Bad.Rec.Errors().at(0), "Must be: FROM basecoll | FROM EXTERNAL ('extname')");
    EXPECT_EQ(Bad.Rec.Errors().at(1), "Must be: SENSITIVE / INSENSITIVE");
    EXPECT_NE(Bad.Objs().FindObject(TObjsList::olCollations, "D"), nullptr);
}

TEST(Objects, TriggerTypesAndEvents) {
    struct Row {
        const char* Clause;
        int Type;
        int Time;
        int Events;
    };
    for (const Row& R :
         {Row{"BEFORE INSERT", 1, 1, 2}, Row{"AFTER INSERT", 2, 2, 2}, Row{"BEFORE UPDATE", 3, 1, 4},
          Row{"AFTER DELETE", 6, 2, 8}, Row{"BEFORE INSERT OR UPDATE", 17, 1, 6},
          Row{"AFTER INSERT OR UPDATE OR DELETE", 114, 2, 14}}) {
        TRun Run(std::string("SET TERM ^;\nCREATE TRIGGER TR FOR T ACTIVE ") + R.Clause +
                 " POSITION 5 AS BEGIN END^");
        EXPECT_TRUE(Run.Rec.Errors().empty()) << R.Clause << Run.Rec.Transcript;
        TTrgData* T = Run.Objs().FindTrigger("TR");
        ASSERT_NE(T, nullptr) << R.Clause;
        EXPECT_EQ(T->IBTypeCode, R.Type) << R.Clause;
        EXPECT_EQ(T->Time, R.Time) << R.Clause;
        EXPECT_EQ(T->Events, R.Events) << R.Clause;
        EXPECT_EQ(T->Position, 5);
        EXPECT_EQ(T->TableName, "T");
        EXPECT_EQ(T->Active, 1);
    }
    TRun Db("SET TERM ^;\nCREATE TRIGGER D1 ACTIVE ON TRANSACTION COMMIT POSITION 0 AS BEGIN END^\n"
            "CREATE TRIGGER D2 INACTIVE ON CONNECT AS BEGIN END^");
    EXPECT_TRUE(Db.Rec.Errors().empty()) << Db.Rec.Transcript;
    ASSERT_TRUE(Db.Objs().FindTrigger("D1") && Db.Objs().FindTrigger("D2"));
    EXPECT_EQ(Db.Objs().FindTrigger("D1")->DatabaseEvent, "TRANSACTION COMMIT");
    EXPECT_TRUE(Db.Objs().FindTrigger("D1")->IsDatabaseTrigger());
    EXPECT_EQ(Db.Objs().FindTrigger("D2")->DatabaseEvent, "CONNECT");
    EXPECT_EQ(Db.Objs().FindTrigger("D2")->Active, 0);
}

TEST(Objects, TriggerMessages) {
    TRun Run("SET TERM ^;\nCREATE TRIGGER A ACTIVE ON FOO AS BEGIN END^\n"
             "CREATE TRIGGER B FOR T BEFORE AS BEGIN END^\n"
             "CREATE TRIGGER C FOR T INSERT AS BEGIN END^\n"
             "CREATE PROCEDURE P AS BEGIN END^");
    const std::vector<std::string> E = Run.Rec.Errors();
    EXPECT_EQ(E, (std::vector<std::string>{"Unknown event for database trigger",
                                           "Missing: INSERT / UPDATE / DELETE", "Must be: BEFORE / AFTER"}))
        << Run.Rec.Transcript;
    EXPECT_NE(Run.Objs().FindProcedure("P"), nullptr);
    const TMsgData& M = Run.P.GetMsgManager()[0];
    EXPECT_EQ(M.ScriptName, "s.sql");
    EXPECT_EQ(M.LineNo, 2);
}

TEST(Objects, SecondDefinitionUpdatesTheFiledObject) {
    TRun Run("SET TERM ^;\n"
             "CREATE VIEW V (A) AS SELECT A FROM T^\n"
             "CREATE OR ALTER VIEW V (A, B) AS SELECT A, B FROM T^\n"
             "CREATE TRIGGER TR FOR T ACTIVE BEFORE INSERT POSITION 3 AS BEGIN END^\n"
             "RECREATE TRIGGER TR FOR T ACTIVE AFTER UPDATE AS BEGIN END^\n"
             "ALTER TRIGGER TR INACTIVE^\n"
             "CREATE PROCEDURE P AS BEGIN END^\n"
             "CREATE OR ALTER PROCEDURE P AS BEGIN SUSPEND; END^\n");
    EXPECT_TRUE(Run.Rec.Errors().empty()) << Run.Rec.Transcript;
    EXPECT_EQ(Run.Objs().Views().Count(), 1);
    TViwData* V = Run.Objs().FindView("V");
    ASSERT_NE(V, nullptr);
    EXPECT_EQ(V->Fields.Count(), 2);
    EXPECT_EQ(Run.Objs().Triggers().Count(), 1);
    TTrgData* T = Run.Objs().FindTrigger("TR");
    ASSERT_NE(T, nullptr);
    EXPECT_EQ(T->IBTypeCode, 4); // AFTER UPDATE: the recreated definition, not a mix of both
    EXPECT_EQ(T->Position, 0);
    EXPECT_EQ(T->Active, 0);
    EXPECT_EQ(Run.Objs().Procedures().Count(), 1);
    std::vector<std::string> Ops;
    for (const TReport& R : Run.Rec.Reports)
        Ops.push_back(R.Name + ":" + NameOf(R.Op));
    EXPECT_EQ(Ops, (std::vector<std::string>{"V:odbCreate", "V:odbAlter", "TR:odbCreate", "TR:odbAlter",
                                             "TR:odbAlter", "P:odbCreate", "P:odbAlter"}));
}

TEST(Objects, RoutinesFunctionsAndPackages) {
    TRun Run("SET TERM ^;\n"
             "CREATE FUNCTION F RETURNS INTEGER AS BEGIN RETURN 1; END^\n"
             "CREATE PACKAGE PK AS BEGIN PROCEDURE X; END^\n"
             "RECREATE PACKAGE BODY PK AS BEGIN PROCEDURE X AS BEGIN END END^\n");
    EXPECT_TRUE(Run.Rec.Errors().empty()) << Run.Rec.Transcript;
    ASSERT_NE(Run.Objs().FindProcedure("F"), nullptr);
    EXPECT_TRUE(Run.Objs().FindProcedure("F")->IsFunction());
    EXPECT_EQ(Run.Objs().Packages().Count(), 1);
    EXPECT_EQ(Run.Objs().Procedures().Count(), 1); // the package member X is no procedure of its own
    // An older server knows no packages: CREATE OR ALTER PACKAGE is no statement there.
    TRun Old("CREATE OR ALTER PACKAGE PK AS BEGIN END;", st_Firebird_25);
    EXPECT_EQ(Old.Rec.Errors().at(0), "Unknown ALTER-statement");
    EXPECT_EQ(Old.Objs().Packages().Count(), 0);
}

} // namespace
} // namespace smx::test

namespace smx::test {
namespace {

TEST(Objects, ExternalFunctions) {
    for (auto V : {st_Firebird_30, st_Firebird_25}) {
        TRun Run(
            "DECLARE EXTERNAL FUNCTION F1 INTEGER, CSTRING(80), DOUBLE PRECISION BY DESCRIPTOR\n"
            "RETURNS INTEGER BY VALUE ENTRY_POINT 'f_entry' MODULE_NAME 'f_mod';\n"
            "DECLARE EXTERNAL FUNCTION F2 CSTRING(10) RETURNS PARAMETER 1 ENTRY_POINT 'e2' MODULE_NAME "
            "'m2';\n"
            "DECLARE EXTERNAL FUNCTION F3 RETURNS CSTRING(20) FREE_IT ENTRY_POINT 'e3' MODULE_NAME 'm3';\n",
            V);
        EXPECT_TRUE(Run.Rec.Errors().empty()) << Run.Rec.Transcript;
        TUdfData* F1 = Run.Objs().FindUdf("F1");
        ASSERT_NE(F1, nullptr);
        EXPECT_EQ(F1->EntryPoint, "f_entry");
        EXPECT_EQ(F1->ModuleName, "f_mod");
        ASSERT_EQ(F1->Params.Count(), 3);
        EXPECT_TRUE(dynamic_cast<TFldData*>(F1->Params.Objects(2))->ByDescriptor);
        EXPECT_TRUE(F1->GetReturnValue()->ByValue);
        TUdfData* F2 = Run.Objs().FindUdf("F2");
        ASSERT_NE(F2, nullptr);
        EXPECT_EQ(F2->GetReturnValue()->ReturnsParameter, 1);
        TUdfData* F3 = Run.Objs().FindUdf("F3");
        ASSERT_NE(F3, nullptr);
        EXPECT_TRUE(F3->FreeIt);
        EXPECT_EQ(F3->Params.Count(), 0);
        EXPECT_EQ(F3->ModuleName, "m3");
    }
    TRun Bad("DECLARE EXTERNAL FUNCTION F INTEGER RETURNS INTEGER BY VALUE ENTRY 'x' MODULE_NAME 'm';");
    EXPECT_EQ(Bad.Rec.Errors().at(0), "Missing: ENTRY_POINT (<Ident>: ENTRY)");
}

TEST(Objects, UnnamedTableKeysAndBareArrayBounds) {
    // The forms of Firebird's employee example script.
    TRun Run("CREATE TABLE C (C INTEGER NOT NULL PRIMARY KEY);\n"
             "CREATE TABLE T (A INTEGER NOT NULL, B INTEGER, L VARCHAR(15) [5],\n"
             "  PRIMARY KEY (A),\n"
             "  FOREIGN KEY (B) REFERENCES C (C),\n"
             "  CHECK (A < B)\n"
             ");\n");
    EXPECT_TRUE(Run.Rec.Errors().empty()) << Run.Rec.Transcript;
    int Foreign = 0, Checks = 0;
    for (int i = 0; i < Run.Objs().Constraints().Count(); ++i) {
        auto* K = dynamic_cast<TCtrData*>(Run.Objs().Constraints().Objects(i));
        ASSERT_NE(K, nullptr);
        if (K->TableName != "T") continue;
        Foreign += K->GetConstraintType() == ctForeignKey;
        Checks += K->GetConstraintType() == ctCheck;
    }
    EXPECT_EQ(Foreign, 1);
    EXPECT_EQ(Checks, 1);
    TFldData* L = Run.Objs().FindTableField("T", "L");
    ASSERT_NE(L, nullptr);
    ASSERT_EQ(L->Dimensions.size(), 1u);
    EXPECT_EQ(L->Dimensions[0], (std::pair<std::int32_t, std::int32_t>(1, 5)));
    EXPECT_EQ(Run.Rec.Reports.size(), 2u); // the keys are part of the table's statement
}

TEST(Objects, BodiesAreStoredAndRedefinitionsReplaceThem) {
    TRun Run("CREATE TABLE T (A INTEGER, B INTEGER);\n"
             "COMMENT ON TABLE T IS 'x';\n"
             "SET TERM ^;\n"
             "CREATE OR ALTER PROCEDURE P (X INTEGER) RETURNS (Y INTEGER) AS BEGIN SUSPEND; END^\n"
             "COMMENT ON PARAMETER P.X IS 'the input'^\n"
             "ALTER PROCEDURE P (X INTEGER, Z INTEGER) RETURNS (Y INTEGER) AS\nBEGIN\n  Y = X + Z;\n  "
             "SUSPEND;\nEND^\n"
             "CREATE TRIGGER TR FOR T ACTIVE BEFORE INSERT POSITION 0 AS BEGIN NEW.A = 1; END^\n"
             "ALTER TRIGGER TR INACTIVE^\n"
             "CREATE VIEW V AS SELECT A FROM T^\n"
             "RECREATE VIEW V (B) AS SELECT B FROM T WITH CHECK OPTION^\n"
             "SET TERM ;^\n");
    EXPECT_TRUE(Run.Rec.Errors().empty()) << Run.Rec.Transcript;
    TPrcData* P = Run.Objs().FindProcedure("P");
    ASSERT_NE(P, nullptr);
    EXPECT_EQ(Run.Objs().Procedures().Count(), 1);
    EXPECT_EQ(P->GetSource(), "BEGIN\r\n  Y = X + Z;\r\n  SUSPEND;\r\nEND");
    ASSERT_EQ(P->InputParams.Count(), 2);
    EXPECT_EQ(dynamic_cast<TDbObj*>(P->InputParams.Objects(0))->GetDescription(), "the input");
    EXPECT_EQ(dynamic_cast<TDbObj*>(P->InputParams.Objects(1))->GetDescription(), "");
    TTrgData* T = Run.Objs().FindTrigger("TR");
    ASSERT_NE(T, nullptr);
    EXPECT_EQ(T->Active, 0);
    EXPECT_EQ(T->GetSource(), "AS BEGIN NEW.A = 1; END"); // ALTER without AS keeps the body
    TViwData* V = Run.Objs().FindView("V");
    ASSERT_NE(V, nullptr);
    EXPECT_EQ(V->GetSource(), "SELECT B FROM T WITH CHECK OPTION");
    ASSERT_EQ(V->Fields.Count(), 1);
    EXPECT_EQ(V->Fields[0], "B");
}

TEST(Objects, PackageHeaderAndBody) {
    TRun Run("SET TERM ^;\n"
             "CREATE PROCEDURE ENABLE AS BEGIN EXIT; END^\n"
             "CREATE OR ALTER PACKAGE PK\nAS\nBEGIN\n  PROCEDURE ENABLE;\n  FUNCTION F (X INTEGER) RETURNS "
             "INTEGER;\nEND^\n"
             "RECREATE PACKAGE BODY PK\nAS\nBEGIN\n  PROCEDURE ENABLE\n  AS\n  BEGIN\n    SUSPEND;\n  END\n"
             "  FUNCTION F (X INTEGER) RETURNS INTEGER\n  AS\n  DECLARE V INTEGER;\n  BEGIN\n    V = X;\n"
             "    RETURN V;\n  END\nEND^\n"
             "SET TERM ;^\n");
    EXPECT_TRUE(Run.Rec.Errors().empty()) << Run.Rec.Transcript;
    TPkgData* K = Run.Objs().FindPackage("PK");
    ASSERT_NE(K, nullptr);
    EXPECT_EQ(K->GetHeaderSource(),
              "BEGIN\r\n  PROCEDURE ENABLE;\r\n  FUNCTION F (X INTEGER) RETURNS INTEGER;\r\nEND");
    EXPECT_EQ(K->GetSource().substr(0, 27), "BEGIN\r\n  PROCEDURE ENABLE\r\n");
    EXPECT_TRUE(K->GetSource().ends_with("RETURN V;\r\n  END\r\nEND")) << K->GetSource();
    // The members are the package's: the top-level ENABLE is unchanged, F is no procedure.
    EXPECT_EQ(Run.Objs().Procedures().Count(), 1);
    ASSERT_NE(Run.Objs().FindProcedure("ENABLE"), nullptr);
    EXPECT_EQ(Run.Objs().FindProcedure("ENABLE")->GetSource(), "BEGIN EXIT; END");
    std::vector<std::string> Reported;
    for (const TReport& R : Run.Rec.Reports)
        Reported.push_back(R.Name + ":" + NameOf(R.Kind) + ":" + NameOf(R.Op));
    EXPECT_EQ(Reported, (std::vector<std::string>{"ENABLE:dboProcedure:odbCreate", "PK:dboPackage:odbCreate",
                                                  "PK:dboPackage:odbAlter"}));
}

TEST(Objects, ProcedureBodyCutShortStaysFiled) {
    TRun Run("CREATE TABLE T (A INTEGER);\nSET TERM ^;\nCREATE PROCEDURE P RETURNS (R INTEGER) AS\nBEGIN\n"
             "  FOR SELECT A FROM T INTO :R DO\n    SUSPEND;\n");
    const std::vector<std::string> E = Run.Rec.Errors();
    ASSERT_FALSE(E.empty());
    EXPECT_EQ(E[0].rfind("Procedure P: ", 0), 0u) << E[0];
    TPrcData* P = Run.Objs().FindProcedure("P");
    ASSERT_NE(P, nullptr);
    EXPECT_NE(P->FindDependsOn(Run.Objs().FindTable("T")), nullptr);
    EXPECT_EQ(Run.P.GetMsgManager()[0].ScriptName, "s.sql");
}

TEST(Objects, SubRoutinesAndMembersLeaveNothingBehind) {
    // Parsed into a container that is freed at the end of the scope: under the sanitizers nothing
    // may point at the freed sub-routines and package members.
    auto Setup = std::make_unique<TIbSetup>();
    {
        TIbExParser P;
        TRecorder Rec(P);
        P.ReadFileHook = [](const std::string&, std::string& Out) {
            Out = "CREATE TABLE T (A INTEGER);\nSET TERM ^;\n"
                  "CREATE PROCEDURE Q AS BEGIN EXIT; END^\n"
                  "CREATE PROCEDURE P RETURNS (R INTEGER) AS\n"
                  "  DECLARE PROCEDURE Q RETURNS (Z INTEGER) AS BEGIN SELECT A FROM T INTO :Z; SUSPEND; END\n"
                  "BEGIN FOR SELECT Z FROM Q INTO :R DO SUSPEND; END^\n"
                  "CREATE PACKAGE K AS BEGIN PROCEDURE Q; END^\n"
                  "CREATE PACKAGE BODY K AS BEGIN PROCEDURE Q AS DECLARE X INTEGER; BEGIN SELECT A FROM T "
                  "INTO :X;"
                  " EXECUTE PROCEDURE P; END END^\n";
            return TFileReadStatus::frOk;
        };
        P.ParseFile("s.sql", &Setup->Objs());
        P.LinkObjects();
        EXPECT_TRUE(Rec.Errors().empty()) << Rec.Transcript;
        EXPECT_EQ(Setup->Objs().Procedures().Count(), 2);
        EXPECT_EQ(Setup->Objs().FindProcedure("Q")->GetSource(), "BEGIN EXIT; END");
    }
    TTblData* T = Setup->Objs().FindTable("T");
    ASSERT_NE(T, nullptr);
    for (int i = 0; i < T->GetUsedBy().Count(); ++i)
        EXPECT_NE(T->UsedByItem(i)->GetReferenced(), nullptr);
    Setup.reset();
}

TEST(Objects, RedefinitionForgetsWhatTheOldTextRead) {
    TRun Run("CREATE TABLE T (A INTEGER, B INTEGER);\n"
             "CREATE VIEW V (X) AS SELECT A FROM T;\n"
             "CREATE VIEW W (Y) AS SELECT X FROM V;\n"
             "RECREATE VIEW V (X) AS SELECT B FROM T;\n"
             "SET TERM ^;\n"
             "CREATE PROCEDURE P RETURNS (R INTEGER) AS BEGIN FOR SELECT A FROM T INTO :R DO SUSPEND; END^\n"
             "CREATE OR ALTER PROCEDURE P RETURNS (R INTEGER) AS BEGIN R = 1; SUSPEND; END^\n");
    EXPECT_TRUE(Run.Rec.Errors().empty()) << Run.Rec.Transcript;
    TFldData* A = Run.Objs().FindTableField("T", "A");
    TFldData* B = Run.Objs().FindTableField("T", "B");
    TViwData* V = Run.Objs().FindView("V");
    TPrcData* P = Run.Objs().FindProcedure("P");
    ASSERT_TRUE(A && B && V && P);
    EXPECT_EQ(V->FindDependsOn(A), nullptr);
    EXPECT_NE(V->FindDependsOn(B), nullptr);
    EXPECT_EQ(P->FindDependsOn(A), nullptr);
    EXPECT_EQ(P->GetDependsOn().Count(), 0);
    for (int i = 0; i < A->GetUsedBy().Count(); ++i)
        EXPECT_NE(A->UsedByItem(i)->GetReferenced(), V);
    // W still reads V's column X, which stayed the same object.
    TViwData* W = Run.Objs().FindView("W");
    ASSERT_NE(W, nullptr);
    TFldData* X = Run.Objs().FindViewField("V", "X");
    ASSERT_NE(X, nullptr);
    EXPECT_NE(W->FindDependsOn(X), nullptr);
}

TEST(Objects, EveryCutOfAScriptParsesWithoutStalling) {
    // Every prefix of a script holding each object kind: bad input gives messages, never a crash,
    // a hang or a pass of the loop that consumed nothing.
    const std::string Script =
        "CREATE TABLE T (A INTEGER, B VARCHAR(10));\n"
        "CREATE DOMAIN D AS VARCHAR(20) DEFAULT 'x' NOT NULL CHECK (VALUE <> '');\n"
        "CREATE SEQUENCE S START WITH -3 INCREMENT 2;\nCREATE EXCEPTION E 'e';\nCREATE ROLE R;\n"
        "GRANT UPDATE (A, B) ON T TO ROLE R WITH GRANT OPTION;\nGRANT R TO U WITH ADMIN OPTION;\n"
        "DECLARE EXTERNAL FUNCTION F INTEGER RETURNS PARAMETER 1 ENTRY_POINT 'e' MODULE_NAME 'm';\n"
        "CREATE COLLATION C FOR UTF8 FROM EXTERNAL ('UNICODE') PAD SPACE CASE INSENSITIVE 'X=1';\n"
        "CREATE VIEW V (A) AS SELECT A FROM T WITH CHECK OPTION;\n"
        "SET TERM ^;\n"
        "CREATE PROCEDURE P (X INTEGER) RETURNS (Y INTEGER) AS DECLARE Z INTEGER; BEGIN Y = X; SUSPEND; "
        "END^\n"
        "CREATE TRIGGER TR FOR T ACTIVE BEFORE INSERT OR UPDATE POSITION 1 AS BEGIN NEW.A = 1; END^\n"
        "CREATE TRIGGER TD ACTIVE ON TRANSACTION COMMIT AS BEGIN END^\n"
        "CREATE PACKAGE K AS BEGIN PROCEDURE Q; END^\n"
        "RECREATE PACKAGE BODY K AS BEGIN PROCEDURE Q AS BEGIN EXIT; END END^\n"
        "SET TERM ;^\nALTER TRIGGER TR INACTIVE;\nALTER EXCEPTION E 'f';\nALTER SEQUENCE S RESTART WITH 1;\n";
    for (std::size_t N = 0; N <= Script.size(); ++N) {
        TRun Run(Script.substr(0, N));
        ASSERT_EQ(Run.P.GetStalledPasses(), 0) << Script.substr(0, N);
    }
    TRun Whole(Script);
    EXPECT_TRUE(Whole.Rec.Errors().empty()) << Whole.Rec.Transcript;
}

TEST(Objects, Domains) {
    TRun Run("CREATE DOMAIN D1 AS VARCHAR(20) DEFAULT 'x' NOT NULL CHECK (VALUE <> '') COLLATE UNICODE;\n"
             "CREATE DOMAIN D2 INTEGER CONSTRAINT C1 CHECK (VALUE > 0);\n"
             "ALTER DOMAIN D2 SET DEFAULT 5;\n");
    EXPECT_TRUE(Run.Rec.Errors().empty()) << Run.Rec.Transcript;
    TDmnData* D1 = Run.Objs().FindDomain("D1");
    ASSERT_NE(D1, nullptr);
    EXPECT_EQ(D1->Type().DataType, 14);
    EXPECT_EQ(D1->Type().Length, 20);
    EXPECT_FALSE(D1->Type().Nullable);
    EXPECT_EQ(D1->Type().DefaultValue, "'x'");
    EXPECT_EQ(D1->Type().CheckText, "(VALUE <> '')");
    EXPECT_EQ(D1->Type().CollationName, "UNICODE");
    TDmnData* D2 = Run.Objs().FindDomain("D2");
    ASSERT_NE(D2, nullptr);
    EXPECT_EQ(D2->Type().CheckText, "(VALUE > 0)");
    EXPECT_EQ(D2->Type().DefaultValue, "5"); // ALTER DOMAIN changes the domain as the server does
    std::vector<std::string> Ops;
    for (const TReport& R : Run.Rec.Reports)
        Ops.push_back(R.Name + ":" + NameOf(R.Op) + ":" + NameOf(R.Kind));
    EXPECT_EQ(Ops, (std::vector<std::string>{"D1:odbCreate:dboDomain", "D2:odbCreate:dboDomain",
                                             "D2:odbAlter:dboDomain"}));
}

} // namespace
} // namespace smx::test
