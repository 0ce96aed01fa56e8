// The body and expression parser: the exact dependencies each kind of body records, the errors it
// reports (prefix, first-error event, positions), the Firebird 3/4 word forms, nesting limits and
// linear time, and that a stored body re-parsed in between leaves a script run untouched.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <tuple>

#include "model/smxComp_Ctr.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Exc.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Pkg.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "parsing/smxIBExParser.h"
#include "tests/parsing/ParserTestSupport.h"

namespace smx::test {
namespace {

using enum TDbObject;
using enum TIBSQLServerVersionType;

template <class T> T* File(TObjs& Objs, const std::string& Name) {
    auto* O = new T(&Objs);
    O->SetName(Name);
    EXPECT_GE(Objs.AddObject(O, true), 0) << Name;
    return O;
}

TTblData* FileTable(TObjs& Objs, const std::string& Name, std::initializer_list<const char*> Cols) {
    auto* T = new TTblData(&Objs);
    T->SetName(Name);
    for (const char* Col : Cols)
        T->AddField(Col)->DataType = 1;
    EXPECT_GE(Objs.AddObject(T, true), 0);
    return T;
}

/// What Obj depends on: "T" for an object, "T.COL" for a column of it.
std::set<std::string> Deps(const TDbObj* Obj) {
    std::set<std::string> R;
    for (int i = 0; i < Obj->GetDependsOn().Count(); ++i) {
        const TDependObj* D = Obj->DependsOnItem(i);
        const TDbObj* Ref = D->GetReferenced();
        if (!Ref) continue;
        const TDbObj* Owner = D->FieldName.empty() || !Ref->GetParentObject() ? Ref : Ref->GetParentObject();
        R.insert(Owner->GetName() + (D->FieldName.empty() ? "" : "." + D->FieldName));
    }
    return R;
}

/// The container of the dependency checks: T(ID, PRICE, QTY), U(ID, T_ID, NOTE), generators G and
/// QTY, exception E, procedure P2 (X) returning (Y), package PK.
struct BodySetup : TIbSetup {
    explicit BodySetup(TIBSQLServerVersionType V = st_Firebird_30) : TIbSetup(V) {
        T = FileTable(Objs(), "T", {"ID", "PRICE", "QTY"});
        U = FileTable(Objs(), "U", {"ID", "T_ID", "NOTE"});
        File<TPkgData>(Objs(), "PK");
        File<TGnrData>(Objs(), "G");
        File<TGnrData>(Objs(), "QTY");
        File<TExcData>(Objs(), "E");
        P2 = File<TPrcData>(Objs(), "P2");
        P2->AddParam("X", false);
        P2->AddParam("Y", true);
        Parser.OnErrorMessage = [this](TObject*, const std::string& Text) { Events.push_back(Text); };
        TStringList None;
        Parser.ParseScript(None, &Objs()); // binds the container
        Objs().GetIBServerOptions().SetSQLDialect(3);
    }
    std::vector<std::string> Errors() const {
        std::vector<std::string> R;
        for (int i = 0; i < Parser.GetMsgManager().Count(); ++i)
            if (Parser.GetMsgManager()[i].Kind == 2) R.push_back(Parser.GetMsgManager()[i].Text);
        return R;
    }
    template <class K> K* Body(const std::string& Name, const std::string& Source) {
        auto* O = File<K>(Objs(), Name);
        O->SetSource(Source);
        Parser.ParseBody(O);
        return O;
    }
    TTrgData* Trigger(const std::string& Name, const std::string& Source, const std::string& Table = "T") {
        auto* Tr = new TTrgData(&Objs());
        Tr->SetName(Name);
        Tr->SetTableName(Table);
        Tr->SetSource(Source);
        EXPECT_GE(Objs().AddObject(Tr, true), 0);
        Parser.ParseBody(Tr);
        return Tr;
    }
    TTblData* T = nullptr;
    TTblData* U = nullptr;
    TPrcData* P2 = nullptr;
    TIbExParser Parser;
    std::vector<std::string> Events;
};

using S = std::set<std::string>;

TEST(BodyParser, DependenciesOfEachKindOfBody) {
    BodySetup B;
    auto* Tr = B.Trigger("TR", "AS DECLARE VARIABLE N INTEGER; BEGIN IF (NEW.PRICE > 0) THEN NEW.QTY = "
                               "GEN_ID(G, 1); N = 0; WHILE (N < 3) DO N = N + 1; IF (OLD.ID IS NULL) THEN "
                               "EXCEPTION E; END");
    EXPECT_EQ(Deps(Tr), (S{"T.PRICE", "T.QTY", "T.ID", "G", "E"}));

    auto* V =
        B.Body<TViwData>("V", "SELECT A.ID, QTY, (SELECT MAX(U.NOTE) FROM U WHERE U.T_ID = A.ID) FROM T A");
    EXPECT_EQ(Deps(V), (S{"T", "T.ID", "T.QTY", "U", "U.NOTE", "U.T_ID"}));

    auto* P = B.Body<TPrcData>("P", "DECLARE VARIABLE V INTEGER; BEGIN FOR SELECT Y FROM P2(1) INTO :V DO "
                                    "SUSPEND; EXECUTE PROCEDURE P3; END");
    EXPECT_EQ(Deps(P), (S{"P2", "P2.Y"}));
    // Packaged routines, called, used in an expression or selected from, need their package.
    auto* Q = B.Body<TPrcData>("Q", "DECLARE V INTEGER; BEGIN EXECUTE PROCEDURE PK.P(1); V = PK.F(V) + 1; "
                                    "SELECT X FROM PK.S(2) INTO :V; END");
    EXPECT_EQ(Deps(Q), (S{"PK"}));
    EXPECT_TRUE(B.Errors().empty()) << B.Errors().front();

    TFldData* C = B.T->AddField("C");
    C->SetSource("(PRICE * QTY)");
    B.Parser.ParseBody(C);
    EXPECT_EQ(Deps(C), (S{"T.PRICE", "T.QTY"}));

    // A check's source as a script writes it, and as the server keeps it (starting with CHECK).
    const std::tuple<const char*, const char*, S> Checks[] = {{"CHK", "(QTY >= 0)", {"T.QTY"}},
                                                              {"CHK2", "CHECK (PRICE > 0)", {"T.PRICE"}}};
    for (const auto& [Name, Source, Expected] : Checks) {
        auto* Chk = new TCtrData(&B.Objs());
        Chk->SetName(Name);
        Chk->SetConstraintType(ctCheck);
        Chk->SetTableName("T");
        Chk->SetSource(Source);
        ASSERT_GE(B.Objs().AddObject(Chk, true), 0);
        B.Parser.ParseBody(Chk);
        EXPECT_EQ(Deps(Chk), Expected) << Name;
    }

    auto* Ix = new TIdxData(&B.Objs());
    Ix->SetName("IX");
    Ix->TableName = "U";
    Ix->SetSource("(UPPER(NOTE))");
    ASSERT_GE(B.Objs().AddObject(Ix, true), 0);
    B.Parser.ParseBody(Ix);
    EXPECT_EQ(Deps(Ix), (S{"U.NOTE"}));

    auto* D = File<TDmnData>(B.Objs(), "DPOS");
    D->Type().CheckText = "(VALUE > 0)";
    B.Parser.ParseBody(D);
    EXPECT_TRUE(Deps(D).empty());
    auto* D2 = File<TDmnData>(B.Objs(), "DV");
    D2->Type().CheckText = "(VALUE STARTING WITH 'V')";
    B.Parser.ParseBody(D2);

    EXPECT_TRUE(B.Errors().empty()) << B.Errors().front();
}

TEST(BodyParser, SubqueriesAliasesAndOtherStatements) {
    BodySetup B;
    // An unqualified column of a subquery resolves against its own FROM first, then the outer one.
    auto* V = B.Body<TViwData>("V1", "SELECT ID FROM T WHERE EXISTS (SELECT 1 FROM U WHERE NOTE = PRICE)");
    EXPECT_EQ(Deps(V), (S{"T", "T.ID", "U", "U.NOTE", "T.PRICE"}));
    // Joins, GROUP BY, ORDER BY, UNION, CASE, CAST, NEXT VALUE FOR, star.
    auto* V2 = B.Body<TViwData>(
        "V2", "SELECT X.ID, COUNT(*), CASE WHEN Y.NOTE IS NULL THEN 'a' ELSE 'b' END, "
              "CAST(X.PRICE AS NUMERIC(15, 2)) FROM T X LEFT OUTER JOIN U Y ON Y.T_ID = "
              "X.ID GROUP BY 1, 3, 4 UNION ALL SELECT U.ID, 0, NULL, NULL FROM U ORDER BY 1");
    EXPECT_EQ(Deps(V2), (S{"T", "T.ID", "T.PRICE", "U", "U.NOTE", "U.T_ID", "U.ID"}));
    auto* V3 = B.Body<TViwData>("V3", "SELECT * FROM U");
    EXPECT_EQ(Deps(V3), (S{"U"}));
    // FIRST and SKIP take a value; a column may still be called FIRST.
    auto* V4 = B.Body<TViwData>("V4", "SELECT FIRST 1 SKIP (1 + 1) DISTINCT NOTE FROM U");
    EXPECT_EQ(Deps(V4), (S{"U", "U.NOTE"}));
    File<TTblData>(B.Objs(), "F")->AddField("FIRST");
    auto* V5 = B.Body<TViwData>("V5", "SELECT FIRST FROM F");
    EXPECT_EQ(Deps(V5), (S{"F", "F.FIRST"}));
    auto* P = B.Body<TPrcData>("P", "AS BEGIN END");
    (void)P;
    B.Parser.GetMsgManager().Clear();
    auto* Q = B.Body<TPrcData>("Q", "DECLARE A INTEGER = 0; DECLARE C CURSOR FOR (SELECT NOTE FROM U); BEGIN "
                                    "INSERT INTO T (ID, PRICE) VALUES (NEXT VALUE FOR G, 1); "
                                    "UPDATE U SET NOTE = 'x' WHERE ID = :A; DELETE FROM T WHERE QTY < 0; "
                                    "A = (SELECT COUNT(*) FROM U); POST_EVENT 'E' || A; "
                                    "EXECUTE STATEMENT 'SELECT 1 FROM RDB$DATABASE' INTO :A; "
                                    "WHEN ANY DO A = 0; END");
    EXPECT_EQ(Deps(Q), (S{"T", "T.ID", "T.PRICE", "T.QTY", "G", "U", "U.NOTE", "U.ID"}));
    EXPECT_TRUE(B.Errors().empty()) << B.Errors().front();
}

TEST(BodyParser, ErrorsNameTheObjectAndOnlyTheFirstReachesTheEvent) {
    BodySetup B;
    B.Body<TPrcData>("P", "BEGIN X = ; Y = ; END");
    ASSERT_EQ(B.Errors().size(), 2u);
    ASSERT_EQ(B.Events.size(), 1u);
    EXPECT_EQ(B.Events[0].rfind("Procedure P: ", 0), 0u) << B.Events[0];
    EXPECT_NE(B.Events[0].find("Line:1"), std::string::npos) << B.Events[0];

    B.Parser.GetMsgManager().Clear();
    auto* Fk = new TCtrData(&B.Objs());
    Fk->SetName("FK");
    Fk->SetConstraintType(ctForeignKey);
    B.Parser.ParseBody(Fk);
    delete Fk;
    EXPECT_EQ(B.Errors(), (std::vector<std::string>{"Body parsing for DB-Obj: (TCtrData) not implemented."}));

    B.Parser.GetMsgManager().Clear();
    B.Parser.ParseBody(nullptr);
    EXPECT_EQ(B.Errors(), (std::vector<std::string>{"Expression / body parsing not implemented."}));

    // A token no statement starts with is reported and skipped; NEW. outside a trigger too.
    B.Parser.GetMsgManager().Clear();
    B.Body<TPrcData>("P3", "BEGIN , , SUSPEND; NEW.ID = 1; END");
    const auto E = B.Errors();
    ASSERT_EQ(E.size(), 3u);
    EXPECT_EQ(E[0], "Procedure P3: Invalid statement: <,>");
    EXPECT_EQ(E[2], "Procedure P3: NEW./OLD. context variable is not into trigger body.");
}

TEST(BodyParser, MessagesOfTheGrammar) {
    struct Case {
        const char* Body; // a procedure body
        const char* Error;
    };
    const Case Cases[] = {
        {"BEGIN EXECUTE X; END", "Must be: PROCEDURE / STATEMENT."},
        {"BEGIN FOR X DO EXIT; END", "Must be: SELECT / EXECUTE / WITH"},
        {"BEGIN X; END", "Invalid statement (? assignment)"},
        {"BEGIN ALTER TABLE T; END", "Unknown ALTER-statement"},
        {"BEGIN SET X; END", "Unknown SET-statement"},
        {"BEGIN SET DECFLOAT X; END", "Unknown SET-statement for DECFLOAT"},
        {"BEGIN IN X TRANSACTION DO EXIT; END", "AUTONOMOUS expected, but X found."},
        {"BEGIN IN AUTONOMOUS Y DO EXIT; END", "TRANSACTION expected, but Y found."},
        {"BEGIN IF (1 IS 2) THEN EXIT; END", "Must be: NULL/DISTINCT FROM."},
        {"BEGIN IF (1 NOT 2) THEN EXIT; END",
         "Must be: IS/IN/EXISTS/SINGULAR/LIKE/BETWEEN/STARTING/CONTAINING."},
        {"BEGIN X = ); END", "Invalid factor in expression (<)>)"},
        {"BEGIN X = EXTRACT(FOO FROM CURRENT_DATE); END",
         "Invalid <part> in EXTRACT(part FROM value) function."},
        {"BEGIN X = DATEDIFF(FOO FROM 1 TO 2); END", "Invalid timestamp part in DATEDIFF function."},
        {"BEGIN SELECT ID FROM T ORDER BY ID NULLS X INTO :X; END",
         "Must be: NULLS FIRST / NULLS LAST (order by clause)."},
        {"BEGIN SELECT ID FROM T PLAN (T 5) INTO :X; END",
         "Invalid symbol in PLAN-expression: <Integer value>"},
        {"BEGIN SELECT ID FROM T WITH X INTO :X; END", "Must be: WITH LOCK / WITH CHECK OPTION"},
        {"BEGIN MERGE INTO T USING U ON T.ID = U.ID WHEN MATCHED THEN INSERT VALUES (1); END",
         "Must be: UPDATE"},
    };
    for (const Case& C : Cases) {
        BodySetup B;
        B.Body<TPrcData>("P", C.Body);
        ASSERT_FALSE(B.Errors().empty()) << C.Body;
        EXPECT_EQ(B.Errors().front(), std::string("Procedure P: ") + C.Error) << C.Body;
    }
}

TEST(BodyParser, Firebird3WordFormsOfKeywords) {
    // Firebird 3 reads DO, USING, DESC, STARTING, STARTS, CONTAINING, SINGULAR, SORT, GEN_ID,
    // YEARDAY, ROLE, PASSWORD, STATISTICS and GENERATOR as identifiers; the grammar takes them
    // where it expects them.
    BodySetup B;
    auto* Ix = File<TIdxData>(B.Objs(), "IX_U");
    Ix->TableName = "U";
    auto* P = B.Body<TPrcData>(
        "P",
        "DECLARE N INTEGER; DECLARE S VARCHAR(20); BEGIN "
        "WHILE (N < 3) DO N = N + 1; "
        "FOR SELECT T.ID FROM T JOIN U USING (ID) WHERE U.NOTE STARTING WITH 'A' OR U.NOTE STARTS 'B' "
        "OR U.NOTE CONTAINING 'C' OR SINGULAR (SELECT 1 FROM U) PLAN SORT (JOIN (T NATURAL, U INDEX (IX_U))) "
        "ORDER BY T.ID DESC NULLS LAST INTO :N DO N = GEN_ID(G, 1); "
        "N = EXTRACT(YEARDAY FROM CURRENT_DATE); "
        "EXECUTE STATEMENT 'SELECT 1 FROM RDB$DATABASE' ROLE 'R' PASSWORD 'p' INTO :N; "
        "SET STATISTICS INDEX IX_U; SET GENERATOR G TO 5; "
        "IF (N IS NOT DISTINCT FROM 1) THEN EXIT; LEAVE; END");
    EXPECT_TRUE(B.Errors().empty()) << B.Errors().front();
    EXPECT_EQ(Deps(P), (S{"T", "T.ID", "U", "U.NOTE", "U.ID", "G", "IX_U"}));
}

TEST(BodyParser, NewStarOnlyForFirebird4) {
    for (auto V : {st_Firebird_30, st_Firebird_40}) {
        BodySetup B(V);
        auto* Tr = B.Trigger("TR", "AS BEGIN INSERT INTO U SELECT NEW.* FROM RDB$DATABASE; END");
        (void)Tr;
        EXPECT_EQ(B.Errors().empty(), V == st_Firebird_40) << (B.Errors().empty() ? "" : B.Errors().front());
    }
}

TEST(BodyParser, SubRoutinesStayInTheirBody) {
    BodySetup B;
    const std::string Before = B.P2->GetSource();
    auto* P = B.Body<TPrcData>("P", "DECLARE PROCEDURE P2 (A INTEGER) RETURNS (B INTEGER) AS BEGIN B = A; "
                                    "SUSPEND; END DECLARE FUNCTION F1 RETURNS INTEGER AS BEGIN RETURN 1; END "
                                    "BEGIN EXECUTE PROCEDURE P2(1); END");
    EXPECT_TRUE(B.Errors().empty()) << B.Errors().front();
    EXPECT_EQ(B.Objs().Procedures().Count(), 2); // P2 and P
    EXPECT_EQ(B.P2->InputParams.Count(), 1);
    EXPECT_EQ(B.P2->GetSource(), Before);
    EXPECT_TRUE(Deps(P).empty()); // the call goes to the nested P2
}

TEST(BodyParser, NestingIsBoundedAndDeepSelectsAreLinear) {
    BodySetup B;
    // 10,000 parentheses and 10,000 BEGINs: one "nesting too deep" message, no stack overflow.
    B.Body<TViwData>("V", "SELECT " + std::string(10000, '(') + "1" + std::string(10000, ')') + " FROM T");
    auto E = B.Errors();
    ASSERT_EQ(E.size(), 1u);
    EXPECT_NE(E[0].find("Nesting too deep"), std::string::npos);
    B.Parser.GetMsgManager().Clear();
    std::string Deep = "BEGIN ";
    for (int i = 0; i < 10000; ++i)
        Deep += "BEGIN ";
    B.Body<TPrcData>("P", Deep);
    E = B.Errors();
    ASSERT_EQ(E.size(), 1u);
    EXPECT_NE(E[0].find("Nesting too deep"), std::string::npos);

    // Select lists nested 40 deep: no message, well under a second.
    B.Parser.GetMsgManager().Clear();
    std::string Sel = "SELECT ID FROM T";
    for (int i = 0; i < 40; ++i)
        Sel = "SELECT (" + Sel + ") FROM T";
    const auto Start = std::chrono::steady_clock::now();
    auto* V = B.Body<TViwData>("V40", Sel);
    const auto Ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - Start);
    EXPECT_TRUE(B.Errors().empty());
    EXPECT_EQ(Deps(V), (S{"T", "T.ID"}));
    EXPECT_LT(Ms.count(), 1000);
}

TEST(BodyParser, ParseBodyLeavesTheRunningScriptAlone) {
    BodySetup B;
    auto* V = File<TViwData>(B.Objs(), "V");
    V->SetSource("SELECT ID FROM T");
    B.Parser.SetTerminator(";");
    B.Parser.ParseBody(V);
    EXPECT_EQ(B.Parser.GetTerminator(), ";");
    // A broken body reports positions from line 1, column 1 of its own text.
    auto* P = File<TPrcData>(B.Objs(), "PX");
    P->SetSource("BEGIN\n  X = ;\nEND");
    B.Parser.ParseBody(P);
    ASSERT_EQ(B.Parser.GetMsgManager().Count(), 1);
    EXPECT_EQ(B.Parser.GetMsgManager()[0].LineNo, 2);
}

TEST(BodyParser, ExecuteBlockInASemicolonScriptRecordsNothing) {
    BodySetup B;
    TRecorder R(B.Parser);
    B.Parser.ParseScript(LinesOf("EXECUTE BLOCK AS DECLARE X INTEGER; BEGIN SELECT COUNT(*) FROM T INTO :X; "
                                 "END;\nSELECT 1 FROM T;"),
                         &B.Objs());
    B.Objs().GetIBServerOptions().SetSQLDialect(3);
    R.FlushMessages();
    EXPECT_TRUE(R.Errors().empty()) << R.Transcript;
    ASSERT_EQ(R.Reports.size(), 2u) << R.Transcript;
    EXPECT_EQ(R.Reports[0].Type, TStatType::stExecuteBlock);
    EXPECT_EQ(R.Reports[1].Type, TStatType::stSelect);
    EXPECT_EQ(B.T->GetUsedBy().Count(), 0);
    B.T->MarkDependents();
}

} // namespace
} // namespace smx::test
