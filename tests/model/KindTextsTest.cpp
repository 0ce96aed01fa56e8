// Golden texts of routines, triggers, views, domains and conversions: one row per dialect and form
// (CREATE, ALTER, DROP, empty body, list key), on objects built in code in a structure of each
// database type; and the InterBase trigger-type table against its code formula.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/smxComp_Cnv.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "model/smxDBStructure.h"
#include "model/smxSQL_Exec.h"
#include "tests/model/KeysTestSupport.h"

namespace smx {
namespace {

using enum TDatabaseType;

constexpr std::uint8_t Integer = 1, Varchar = 14, Number = 11, Text = 48, TableCode = 84, Guid = 79;

/// A structure of one database type; InterBase sides are Firebird 3.0, dialect 3, UTF8, with
/// COMMENT ON descriptions and character sets written.
struct Side {
    explicit Side(TDatabaseType type) {
        keytest::Prepare(s, type);
        s.GetIBServerOptions().GetIBCompareOptions().SetFldCharsetCompare(true);
    }
    TObjs* O() const { return s.Objs(); }

    TPrcData* Proc(const std::string& name, const std::string& body, bool function = false) {
        auto* p = new TPrcData(O());
        p->SetName(name);
        p->SetSource(body);
        p->IsFunctionFlag = function ? 1 : 0;
        O()->AddObject(p, true);
        return p;
    }
    TTrgData* Trigger(const std::string& name, const std::string& table, const std::string& body) {
        auto* t = new TTrgData(O());
        t->SetName(name);
        t->SetTableName(table);
        t->SetSource(body);
        O()->AddObject(t, true);
        return t;
    }
    TViwData* View(const std::string& name, const std::string& source,
                   std::vector<std::string> columns = {}) {
        auto* v = new TViwData(O());
        v->SetName(name);
        v->SetSource(source);
        for (const std::string& c : columns)
            v->AddField(c);
        O()->AddObject(v, true);
        return v;
    }
    TDmnData* Domain(const std::string& name, std::uint8_t code, int length = 0) {
        auto* d = new TDmnData(O());
        d->SetName(name);
        d->Type().DataType = code;
        d->Type().Length = length;
        O()->AddObject(d, true);
        return d;
    }

    TDBStructure s;
};

TFldData* Param(TPrcData* p, const std::string& name, std::uint8_t code, bool output = false,
                int length = 0) {
    TFldData* f = p->AddParam(name, output);
    f->DataType = code;
    f->Length = length;
    return f;
}

TFldData* Attribute(TObjs* objs, TDbObj* parent, TStringList& list, const std::string& name,
                    std::uint8_t code) {
    auto* f = new TFldData(objs, parent);
    f->SetName(name);
    f->DataType = code;
    list.AddObject(name, f);
    return f;
}

struct Row {
    std::string label;
    std::string actual;
    std::string expected;
};

void Check(const std::vector<Row>& rows) {
    for (const Row& r : rows)
        EXPECT_EQ(r.actual, r.expected) << r.label;
}

// ---------------------------------------------------------------------------------------------------

TEST(KindTexts, Routines) {
    std::vector<Row> rows;

    Side ib(dbInterBase);
    TPrcData* p = ib.Proc("P", "BEGIN R = A; SUSPEND; END");
    Param(p, "A", Integer);
    Param(p, "R", Integer, true);
    TPrcData* q = ib.Proc("Q", "BEGIN END");
    TPrcData* f = ib.Proc("F", "BEGIN RETURN A; END", true);
    Param(f, "A", Integer);
    Param(f, "", Integer, true)->Deterministic = true;
    TPrcData* pl = ib.Proc("PL", "BEGIN END");
    TFldData* a = Param(pl, "A", Integer);
    a->Nullable = false;
    a->DefaultValue = "0";
    TFldData* b = Param(pl, "B", Varchar, false, 10);
    b->CollationName = "UNICODE";
    b->DefaultValue = "'x'";
    rows.insert(
        rows.end(),
        {
            {"ib create", p->GetCreateSQL(),
             "CREATE PROCEDURE P(A INTEGER)\r\n RETURNS(R INTEGER)\r\n AS\r\nBEGIN R = A; SUSPEND; END"},
            {"ib empty create", p->GetEmptyCreateSQL(),
             "CREATE PROCEDURE P(A INTEGER)\r\n RETURNS(R INTEGER)\r\n AS\r\n BEGIN SUSPEND; END"},
            {"ib alter", p->GetAlterSQL(),
             "ALTER PROCEDURE P(A INTEGER)\r\n RETURNS(R INTEGER)\r\n AS\r\nBEGIN R = A; SUSPEND; END"},
            {"ib empty alter", p->GetEmptyAlterSQL(),
             "ALTER PROCEDURE P(A INTEGER)\r\n RETURNS(R INTEGER)\r\n AS\r\n BEGIN SUSPEND; END"},
            {"ib drop", p->GetDropSQL(), "DROP PROCEDURE P"},
            {"ib key", p->GetFullName() + "|" + p->GetDisplayName(), "P|P"},
            {"ib no params", q->GetEmptyCreateSQL(), "CREATE PROCEDURE Q AS\r\n BEGIN EXIT; END"},
            {"ib function empty", f->GetEmptyCreateSQL(),
             "CREATE FUNCTION F(A INTEGER)\r\n RETURNS INTEGER DETERMINISTIC\r\n AS\r\n BEGIN RETURN NULL; "
             "END"},
            {"ib function", f->GetCreateSQL(),
             "CREATE FUNCTION F(A INTEGER)\r\n RETURNS INTEGER DETERMINISTIC\r\n AS\r\nBEGIN RETURN A; END"},
            {"ib function drop", f->GetDropSQL(), "DROP FUNCTION F"},
            {"ib params", RoutineParamsText(*pl, true),
             "(A INTEGER NOT NULL = 0,\r\nB VARCHAR(10) COLLATE UNICODE = 'x')\r\n"},
        });
    // An emptied routine is written with the empty body as its dialect has it: its CREATE text is
    // then its empty CREATE text.
    p->SetSource(p->EmptyRoutineBody());
    rows.push_back({"ib emptied create", p->GetCreateSQL(), p->GetEmptyCreateSQL()});
    p->Ignore = 1;
    rows.push_back({"ib ignored", p->GetDropSQL() + p->GetEmptyCreateSQL(), ""});

    Side asa(dbSybaseASA);
    TPrcData* ap = asa.Proc("P", "begin select 1 end");
    ap->Owner2 = "DBA";
    Param(ap, "A", Integer)->ParamDirection = 1;
    Param(ap, "R", Integer, true);
    TPrcData* af = asa.Proc("F", "begin return 1 end", true);
    af->Owner2 = "DBA";
    Param(af, "A", Integer);
    TPrcData* ag = asa.Proc("G", "begin return 1 end", true);
    ag->Owner2 = "DBA";
    Param(ag, "R", Integer, true);
    rows.insert(rows.end(),
                {
                    {"asa create", ap->GetCreateSQL(),
                     "CREATE PROCEDURE DBA.P(In A INTEGER)\r\n Result(R INTEGER)\r\nbegin select 1 end"},
                    {"asa empty create", ap->GetEmptyCreateSQL(),
                     "CREATE PROCEDURE DBA.P(In A INTEGER)\r\n Result(R INTEGER)\r\nas\r\n begin Return end"},
                    {"asa alter", ap->GetAlterSQL(),
                     "ALTER PROCEDURE DBA.P(In A INTEGER)\r\n Result(R INTEGER)\r\nbegin select 1 end"},
                    {"asa drop", ap->GetDropSQL(), "DROP PROCEDURE DBA.P"},
                    {"asa function empty", af->GetEmptyCreateSQL(),
                     "CREATE FUNCTION DBA.F(A INTEGER)\r\nreturns integer as\r\n begin Return end"},
                    {"asa function result", RoutineParamsText(*ag, false), "()\r\nRETURNS INTEGER"},
                    {"asa function with result, empty", ag->GetEmptyCreateSQL(),
                     "CREATE FUNCTION DBA.G()\r\nRETURNS INTEGER as\r\n begin Return end"},
                });

    Side my(dbMySQL);
    TPrcData* mp = my.Proc("P", "BEGIN SELECT A; END");
    Param(mp, "A", Integer)->ParamDirection = 1;
    mp->SetDescription("it's");
    mp->MySQLCharacteristics = (1 << 1) | (1 << 5) | (1 << 3);
    TPrcData* mf = my.Proc("F", "BEGIN RETURN A; END", true);
    Param(mf, "A", Integer);
    Param(mf, "", Integer, true);
    rows.insert(rows.end(), {
                                {"mysql create", mp->GetCreateSQL(),
                                 "CREATE PROCEDURE P(IN A INTEGER)\r\n     COMMENT 'it\\'s'\r\n     "
                                 "DETERMINISTIC\r\n     READS SQL DATA\r\nBEGIN SELECT A; END"},
                                {"mysql alter", mp->GetAlterSQL().substr(0, 22), "ALTER PROCEDURE P(IN A"},
                                {"mysql empty create", mp->GetEmptyCreateSQL(),
                                 "CREATE PROCEDURE P(IN A INTEGER)\r\n BEGIN END"},
                                {"mysql drop", mp->GetDropSQL(), "DROP PROCEDURE  IF EXISTS P"},
                                {"mysql function", mf->GetCreateSQL(),
                                 "CREATE FUNCTION F(A INTEGER)\r\nRETURNS INTEGER\r\nBEGIN RETURN A; END"},
                                {"mysql function drop", mf->GetDropSQL(), "DROP FUNCTION  IF EXISTS F"},
                            });

    Side ms(dbMSSQL);
    ms.s.GetMSSQLServerOptions().GetMSSQLCompareOptions().SetCaseSensitiveIdentifiers(true);
    TPrcData* sp = ms.Proc("P", "AS SELECT @A");
    sp->SetParentName("dbo");
    Param(sp, "@A", Integer);
    TPrcData* sn = ms.Proc("N", "AS SELECT 2");
    sn->ProcNumber = 2;
    sn->WithOptions = "RECOMPILE";
    TPrcData* sc = ms.Proc("C", "create procedure C as select 1");
    TPrcData* se = ms.Proc("E", "begin Return 0 end");
    TPrcData* sf = ms.Proc("F", "BEGIN RETURN @A END", true);
    Param(sf, "@A", Integer);
    Param(sf, "", Integer, true);
    TPrcData* st = ms.Proc("T", "RETURN SELECT 1 AS X", true);
    st->ReturnsTableFlag = 1;
    TPrcData* su = ms.Proc("U", "BEGIN RETURN NEWID() END", true);
    Param(su, "", Guid, true);
    TPrcData* sv = ms.Proc("V", "BEGIN RETURN END", true);
    Param(sv, "", TableCode, true);
    TPrcData* sd = ms.Proc("D", "");
    sd->Definition = "CREATE PROCEDURE D AS SELECT 3";
    rows.insert(
        rows.end(),
        {
            {"mssql create", sp->GetCreateSQL(), "CREATE PROCEDURE dbo.P @A INTEGER\r\n AS SELECT @A"},
            {"mssql alter", sp->GetAlterSQL(), "ALTER PROCEDURE dbo.P @A INTEGER\r\n AS SELECT @A"},
            {"mssql drop", sp->GetDropSQL(), "DROP PROCEDURE dbo.P"},
            {"mssql numbered", sn->GetCreateSQL(),
             "CREATE PROCEDURE N;2 \r\n WITH RECOMPILE\r\n AS SELECT 2"},
            {"mssql numbered key", sn->GetFullName(), "N;2"},
            {"mssql whole body alter", sc->GetAlterSQL(), "ALTER procedure C as select 1"},
            {"mssql empty body", se->GetCreateSQL(), "CREATE PROCEDURE E \r\n AS begin Return 0 end"},
            {"mssql empty create", sp->GetEmptyCreateSQL(),
             "CREATE PROCEDURE dbo.P @A INTEGER\r\n AS\r\nbegin Return 0 end"},
            {"mssql function empty", sf->GetEmptyCreateSQL(),
             "CREATE FUNCTION F (@A INTEGER)\r\n RETURNS INTEGER\r\nas\r\nbegin Return 0 end"},
            {"mssql table function", st->GetEmptyCreateSQL(),
             "CREATE FUNCTION T ()\r\n RETURNS TABLE\r\nas\r\nReturn (select 0 as Result)"},
            {"mssql guid result", su->EmptyRoutineBody(), "begin Return Null end"},
            {"mssql table result", sv->EmptyRoutineBody() + (sv->ReturnsTable() ? "|table" : ""),
             "begin Return end|table"},
            {"mssql definition", sd->GetCreateSQL(), "CREATE PROCEDURE D AS SELECT 3"},
        });

    Side ase(dbSybaseASE);
    TPrcData* xf = ase.Proc("F", "", true);
    Param(xf, "@A", Integer);
    Param(xf, "", Integer, true);
    xf->Language = "java";
    xf->ParameterStyle = "java";
    xf->ExternalName = "X.y";
    xf->ModifiesSQLData = xf->Strict = xf->Deterministic = xf->Exportable = 1;
    xf->DynamicResultSets = 1;
    TPrcData* xp = ase.Proc("P", "AS SELECT 1");
    rows.insert(rows.end(),
                {
                    {"ase language", xf->GetCreateSQL(),
                     "CREATE FUNCTION F (@A INTEGER)\r\n RETURNS INTEGER\r\n  modifies sql data\r\n  returns "
                     "null on null input\r\n  dynamic result sets 1\r\n  deterministic\r\n  exportable\r\n  "
                     "language java\r\n  parameter style java\r\n  external name 'X.y'"},
                    {"ase body", xp->GetCreateSQL(), "CREATE PROCEDURE P \r\n AS SELECT 1"},
                    {"ase drop", xp->GetDropSQL(), "DROP PROCEDURE P"},
                });

    Side ora(dbOracle);
    TPrcData* op = ora.Proc("P", "IS BEGIN NULL; END;");
    op->SetParentName("S");
    Param(op, "A", Integer);
    TPrcData* of = ora.Proc("F", "RETURN NUMBER IS BEGIN RETURN 1; END;", true);
    rows.insert(rows.end(), {
                                {"oracle create", op->GetCreateSQL(),
                                 "CREATE OR REPLACE PROCEDURE P\r\nIS BEGIN NULL; END;"},
                                {"oracle alter", op->GetAlterSQL(), op->GetCreateSQL()},
                                {"oracle empty create", op->GetEmptyCreateSQL(),
                                 "CREATE OR REPLACE PROCEDURE S.P(A INTEGER)\r\n AS\r\n BEGIN EXIT; END;"},
                                {"oracle function empty", of->EmptyRoutineBody(), " BEGIN RETURN NULL; END;"},
                                {"oracle drop", op->GetDropSQL(), "DROP PROCEDURE S.P"},
                            });

    Side pg(dbPostgreSQL);
    TPrcData* gf = pg.Proc("f", "select a;", true);
    gf->SetParentName("s1");
    Param(gf, "a", Integer);
    Param(gf, "", Integer, true);
    gf->Language = "sql";
    gf->Volatility = "IMMUTABLE";
    gf->Strict = 1;
    TPrcData* gv = pg.Proc("g", "", true);
    gv->SetParentName("s1");
    Param(gv, "a", Integer)->ParamDirection = 4;
    gv->PGReturns = "record";
    gv->SetOf = 1;
    gv->PGObjectFile = "$libdir/x";
    gv->PGLinkSymbol = "x_in";
    gv->Language = "c";
    rows.insert(rows.end(),
                {
                    {"pg create", gf->GetCreateSQL(),
                     "CREATE FUNCTION s1.f(a integer)\r\nRETURNS integer\r\nAS $$select a;$$\r\nLANGUAGE sql "
                     "IMMUTABLE STRICT"},
                    {"pg alter", gf->GetAlterSQL(),
                     "CREATE OR REPLACE FUNCTION s1.f(a integer)\r\nRETURNS integer\r\nAS $$select "
                     "a;$$\r\nLANGUAGE sql IMMUTABLE STRICT"},
                    {"pg key", gf->GetFullName(), "s1.f(integer)"},
                    {"pg drop", gf->GetDropSQL(), "DROP FUNCTION s1.f(a integer)"},
                    {"pg c function", gv->GetCreateSQL(),
                     "CREATE FUNCTION s1.g(VARIADIC a integer)\r\nRETURNS SETOF record\r\nAS '$libdir/x', "
                     "'x_in'\r\nLANGUAGE c"},
                    {"pg empty create", gf->GetEmptyCreateSQL(),
                     "CREATE FUNCTION f(a integer)\r\nRETURNS integer AS\r\n SELECT NULL::integer"},
                });

    TMemberPrcData member(ora.O());
    member.SetName("GET_X");
    member.IsFunctionFlag = 1;
    member.ParamText = "(P NUMBER)";
    member.Directive.NotFinal = 1;
    Param(&member, "", Number, true);
    rows.push_back({"oracle member", member.GetCreateSQL(),
                    "   NOT FINAL MEMBER FUNCTION GET_X(P NUMBER) RETURN NUMBER"});
    Check(rows);
}

TEST(KindTexts, PostgreSQLOverloadsAreDistinctObjects) {
    Side pg(dbPostgreSQL);
    TPrcData* a = pg.Proc("f", "select 1;", true);
    TPrcData* b = new TPrcData(pg.O());
    b->SetName("f");
    Param(b, "x", Integer);
    EXPECT_GE(pg.O()->AddObject(b, true), 0);
    EXPECT_EQ(pg.O()->Procedures().Count(), 2);
    EXPECT_EQ(pg.O()->FindObject(TObjsList::olProcedures, "f()"), a);
    EXPECT_EQ(pg.O()->FindObject(TObjsList::olProcedures, "f(integer)"), b);
}

// ---------------------------------------------------------------------------------------------------

TEST(KindTexts, Triggers) {
    std::vector<Row> rows;
    Side ib(dbInterBase);
    TTrgData* bi = ib.Trigger("TRG_BI", "TAB", "AS BEGIN END");
    bi->IBTypeCode = 1;
    TTrgData* all = ib.Trigger("TRG_ALL", "TAB", "AS BEGIN END");
    all->IBTypeCode = 114;
    all->Active = 0;
    all->Position = 5;
    TTrgData* tc = ib.Trigger("TRG_TC", "DATABASE", "AS BEGIN END");
    tc->DatabaseEvent = "TRANSACTION COMMIT";
    tc->Position = 3;
    TTrgData* v = ib.Trigger("TRG_V", "V", "AS BEGIN END");
    v->SetSource(v->EmptyTriggerBody());
    rows.insert(rows.end(),
                {
                    {"ib create", bi->GetCreateSQL(),
                     "CREATE TRIGGER TRG_BI FOR TAB\r\nACTIVE BEFORE INSERT POSITION 0 \r\nAS BEGIN END"},
                    {"ib type 114", all->GetCreateSQL(),
                     "CREATE TRIGGER TRG_ALL FOR TAB\r\nINACTIVE AFTER INSERT OR UPDATE OR DELETE POSITION 5 "
                     "\r\nAS BEGIN END"},
                    {"ib database", tc->GetCreateSQL(),
                     "CREATE TRIGGER TRG_TC\r\nACTIVE ON TRANSACTION COMMIT\r\n POSITION 3 \r\nAS BEGIN END"},
                    {"ib alter emptied", v->GetAlterSQL(),
                     "ALTER TRIGGER TRG_V\r\n AS Declare variable I integer;\r\nBEGIN I = 0; END"},
                    {"ib empty body", bi->GetEmptyBodySQL(),
                     "CREATE TRIGGER TRG_BI FOR TAB\r\nACTIVE BEFORE INSERT POSITION 0 \r\n AS Declare "
                     "variable I integer;\r\nBEGIN I = 0; END"},
                    {"ib header file", bi->GetEmptyCreateSQL(), bi->GetEmptyBodySQL()},
                    {"ib drop", bi->GetDropSQL(), "DROP TRIGGER TRG_BI"},
                });
    // The cached text keeps the body of its first use.
    const std::string cached = bi->GetCachedSQL();
    bi->SetSource("AS BEGIN EXIT; END");
    rows.push_back({"ib cached", bi->GetCachedSQL(), cached});

    Side my(dbMySQL);
    TTrgData* mt = my.Trigger("TRG", "TAB", "BEGIN SET @X = 1; END");
    mt->Time = 1;
    mt->Events = 2 | 4;
    rows.insert(rows.end(),
                {
                    {"mysql create", mt->GetCreateSQL(),
                     "CREATE TRIGGER TRG BEFORE UPDATE ON TAB\r\n     FOR EACH ROW\r\nBEGIN SET @X = 1; END"},
                    {"mysql empty", mt->EmptyTriggerBody(), " BEGIN END"},
                });

    Side asa(dbSybaseASA);
    TTrgData* at = asa.Trigger("TRG", "TAB", "BEGIN END");
    at->Owner2 = "DBA";
    at->Time = 2;
    at->Events = 2 | 4;
    at->UpdateColumns.Add("A");
    at->UpdateColumns.Add("B");
    at->Position = 1;
    at->OldAlias = "O";
    at->NewAlias = "N";
    at->ForEachRow = 1;
    TTrgData* ats = asa.Trigger("TRT", "TAB", "BEGIN END");
    ats->Owner2 = "DBA";
    ats->TSQLForm = 1;
    ats->Events = 2 | 8;
    rows.insert(rows.end(),
                {
                    {"asa create", at->GetCreateSQL(),
                     "CREATE TRIGGER \r\nTRG AFTER INSERT, UPDATE OF A, B ORDER 1 "
                     "ON\r\nDBA.TAB\r\nREFERENCING OLD AS O NEW AS N\r\nFOR EACH ROW\r\nBEGIN END"},
                    {"asa t-sql form", ats->GetCreateSQL(),
                     "CREATE TRIGGER \r\nTRT ON DBA.TAB\r\n  FOR INSERT, DELETE\r\n  AS\r\nBEGIN END"},
                    {"asa drop", at->GetDropSQL(), "DROP TRIGGER DBA.TAB.TRG"},
                });

    Side ms(dbMSSQL);
    ms.s.GetMSSQLServerOptions().GetMSSQLCompareOptions().SetCaseSensitiveIdentifiers(true);
    TTrgData* st = ms.Trigger("TRG", "TAB", "BEGIN SET NOCOUNT ON END");
    st->SetParentName("dbo");
    st->Time = 2;
    st->Events = 2 | 4;
    st->WithAppend = st->NotForReplication = 1;
    TTrgData* sd = ms.Trigger("DDL_T", "DATABASE", "BEGIN PRINT 1 END");
    sd->Time = 4;
    sd->DatabaseEvent = "CREATE_TABLE";
    TTrgData* sx = ms.Trigger("X", "TAB", "");
    sx->Definition = "CREATE TRIGGER X ON TAB FOR INSERT AS PRINT 1";
    rows.insert(rows.end(),
                {
                    {"mssql create", st->GetCreateSQL(),
                     "CREATE TRIGGER dbo.TRG ON dbo.TAB\r\n AFTER INSERT, UPDATE\r\n WITH APPEND\r\n NOT FOR "
                     "REPLICATION\r\n AS\r\nBEGIN SET NOCOUNT ON END"},
                    {"mssql alter", st->GetAlterSQL(),
                     "ALTER TRIGGER dbo.TRG ON dbo.TAB\r\n AFTER INSERT, UPDATE\r\n WITH APPEND\r\n NOT FOR "
                     "REPLICATION\r\n AS\r\nBEGIN SET NOCOUNT ON END"},
                    {"mssql drop", st->GetDropSQL(), "DROP TRIGGER dbo.TRG"},
                    {"mssql database", sd->GetCreateSQL(),
                     "CREATE TRIGGER DDL_T ON DATABASE\r\n FOR CREATE_TABLE\r\n AS\r\nBEGIN PRINT 1 END"},
                    {"mssql database drop", sd->GetDropSQL(), "DROP TRIGGER DDL_T ON DATABASE"},
                    {"mssql definition", sx->GetCreateSQL(), "CREATE TRIGGER X ON TAB FOR INSERT AS PRINT 1"},
                    {"mssql empty", sx->EmptyTriggerBody(), " declare @i integer;\r\nbegin set @i = 0; end"},
                });

    Side ora(dbOracle);
    TTrgData* ot = ora.Trigger("TRG", "TAB", "BEGIN NULL; END;");
    ot->SetParentName("S");
    ot->Time = 1;
    ot->Events = 2 | 4;
    ot->UpdateColumns.Add("A");
    ot->UpdateColumns.Add("B");
    ot->NewAlias = "NEW_ROW";
    ot->ForEachRow = 1;
    ot->WhenCondition = "(NEW_ROW.A > 0)";
    rows.insert(
        rows.end(),
        {
            {"oracle create", ot->GetCreateSQL(),
             "CREATE OR REPLACE TRIGGER S.TRG\r\n  BEFORE INSERT OR UPDATE OF A, B  ON S.TAB\r\n  "
             "REFERENCING NEW AS NEW_ROW\r\n  FOR EACH ROW\r\n  WHEN (NEW_ROW.A > 0)\r\nBEGIN NULL; END;"},
            {"oracle drop", ot->GetDropSQL(), "DROP TRIGGER S.TRG"},
        });

    Side pg(dbPostgreSQL);
    TTrgData* gt = pg.Trigger("trg", "tab", "EXECUTE PROCEDURE f()");
    gt->SetParentName("s1");
    gt->Time = 2;
    gt->Events = 2 | 8;
    gt->ForEachStatement = 1;
    rows.insert(rows.end(), {
                                {"pg create", gt->GetCreateSQL(),
                                 "CREATE TRIGGER trg\r\n  AFTER INSERT OR DELETE \r\n  ON s1.tab\r\n  FOR "
                                 "EACH STATEMENT\r\nEXECUTE PROCEDURE f()"},
                                {"pg drop", gt->GetDropSQL(), "DROP TRIGGER trg ON s1.tab"},
                            });
    // Every clause of the header survives the trigger being made again.
    gt->Time = 5;
    gt->Events = 2 | 4;
    gt->UpdateColumns.Add("a");
    gt->WhenCondition = "OLD.a IS DISTINCT FROM NEW.a";
    rows.push_back({"pg instead of", gt->GetCreateSQL(),
                    "CREATE TRIGGER trg\r\n  INSTEAD OF INSERT OR UPDATE OF a \r\n  ON s1.tab\r\n  FOR EACH "
                    "STATEMENT\r\n  WHEN (OLD.a IS DISTINCT FROM NEW.a)\r\nEXECUTE PROCEDURE f()"});

    Side db2(dbDB2);
    TTrgData* dt = db2.Trigger("TRG", "TAB", "BEGIN ATOMIC END");
    dt->Time = 1;
    dt->Events = 4;
    dt->UpdateColumns.Add("A");
    dt->NewAlias = "N";
    dt->ForEachRow = 1;
    dt->DB2Mode = "DB2SQL";
    dt->WhenCondition = "(N.A > 0)";
    rows.push_back({"db2 create", dt->GetCreateSQL(),
                    "CREATE TRIGGER TRG\r\n  NO CASCADE BEFORE UPDATE  OF A ON TAB\r\n  REFERENCING\r\n  NEW "
                    "AS N\r\n  FOR EACH ROW MODE DB2SQL\r\n  WHEN (N.A > 0)\r\nBEGIN ATOMIC END"});
    Check(rows);
}

TEST(KindTexts, TriggerTypeTableAgreesWithTheCodeFormula) {
    ASSERT_EQ(TrgTypes.size(), 14u);
    for (const TTrgType& t : TrgTypes) {
        EXPECT_EQ(IBTriggerTypeText(t.Code), t.Name) << t.Code;
        // The mask says the same: time bits, then one bit per event.
        std::string fromMask = (t.Mask & 0x002) ? "AFTER " : "BEFORE ";
        std::string events;
        for (auto [bit, word] : {std::pair{0x200, "INSERT"}, {0x400, "UPDATE"}, {0x800, "DELETE"}})
            if (t.Mask & bit) events += (events.empty() ? "" : " OR ") + std::string(word);
        EXPECT_EQ(fromMask + events, t.Name) << t.Code;
        EXPECT_NE((t.Mask & 0x001) != 0, (t.Mask & 0x002) != 0) << t.Code;
    }
    EXPECT_EQ(IBTriggerTypeText(17), "BEFORE INSERT OR UPDATE");
    // The linked object is found by name: table first, then view; nothing for an unknown name.
    Side ib(dbInterBase);
    TTrgData* t = ib.Trigger("TRG", "T", "AS BEGIN END");
    EXPECT_EQ(t->GetLinkedObject(), nullptr);
    TViwData* v = ib.View("T", "SELECT 1 FROM RDB$DATABASE");
    EXPECT_EQ(t->GetLinkedObject(), v);
    auto* table = new TTblData(ib.O());
    table->SetName("T");
    ib.O()->AddObject(table, true);
    EXPECT_EQ(t->GetLinkedObject(), table);
}

// ---------------------------------------------------------------------------------------------------

TEST(KindTexts, Views) {
    std::vector<Row> rows;
    Side ib(dbInterBase);
    TViwData* v = ib.View("V", "SELECT ID, NAME FROM T", {"ID", "NAME"});
    TViwData* w = ib.View("W", "SELECT 1 FROM RDB$DATABASE");
    TViwData* ab = ib.View("AB", "SELECT A, B FROM T", {"A", "B"});
    rows.insert(rows.end(), {
                                {"ib create", v->GetCreateSQL(),
                                 "CREATE VIEW V(\r\nID,\r\nNAME)\r\n AS \r\nSELECT ID, NAME FROM T"},
                                {"ib no columns", w->GetCreateSQL(),
                                 "CREATE VIEW W\r\n AS \r\nSELECT 1 FROM RDB$DATABASE"},
                                {"ib four lines", ab->GetCreateSQL(),
                                 "CREATE VIEW AB(\r\nA,\r\nB)\r\n AS \r\nSELECT A, B FROM T"},
                                {"ib drop", v->GetDropSQL(), "DROP VIEW V"},
                            });
    w->Ignore = 1;
    rows.push_back({"ib ignored drop", w->GetDropSQL(), ""});

    Side ora(dbOracle);
    TViwData* ov = ora.View("V", "SELECT ID FROM T", {"ID"});
    ov->SetParentName("S");
    ov->OracleTypeName = "TYPE_T";
    ov->OracleOIDAttributes.Add("ID");
    TViwData* ow = ora.View("W", "SELECT ID FROM T");
    ow->OracleOIDWord = "OID";
    ow->OracleOIDAttributes.Add("A");
    ow->OracleOIDAttributes.Add("B");
    rows.insert(rows.end(),
                {
                    {"oracle create", ov->GetCreateSQL(),
                     "CREATE OR REPLACE VIEW S.V OF TYPE_T\r\n   WITH OBJECT IDENTIFIER(ID)(\r\nID)\r\n   AS "
                     "\r\nSELECT ID FROM T"},
                    {"oracle word", ow->GetCreateSQL(),
                     "CREATE OR REPLACE VIEW W\r\n   WITH OBJECT OID(A, B)\r\n   AS \r\nSELECT ID FROM T"},
                    {"oracle drop", ov->GetDropSQL(), "DROP VIEW S.V"},
                });

    Side ms(dbMSSQL);
    ms.s.GetMSSQLServerOptions().GetMSSQLCompareOptions().SetCaseSensitiveIdentifiers(true);
    TViwData* sv = ms.View("V", "SELECT ID FROM dbo.T", {"ID"});
    sv->SetParentName("dbo");
    sv->WithSchemaBinding = true;
    TViwData* sw = ms.View("W", "SELECT 1 AS X");
    sw->WithEncryption = sw->WithViewMetadata = true;
    TViwData* sx = ms.View("X", "");
    sx->Definition = "CREATE VIEW X AS SELECT 2 AS Y";
    rows.insert(rows.end(),
                {
                    {"mssql schemabinding", sv->GetCreateSQL(),
                     "CREATE VIEW dbo.V(\r\nID)\r\n  WITH SCHEMABINDING\r\n AS \r\nSELECT ID FROM dbo.T"},
                    {"mssql options", sw->GetCreateSQL(),
                     "CREATE VIEW W\r\n  WITH ENCRYPTION, VIEW_METADATA\r\n AS \r\nSELECT 1 AS X"},
                    {"mssql definition", sx->GetCreateSQL(), "CREATE VIEW X AS SELECT 2 AS Y"},
                    {"mssql drop", sv->GetDropSQL(), "DROP VIEW dbo.V"},
                });

    Side my(dbMySQL);
    TViwData* mv = my.View("V", "SELECT 1");
    mv->MySQLAlgorithm = "MERGE";
    mv->MySQLSecurity = "DEFINER";
    rows.push_back({"mysql create", mv->GetCreateSQL(),
                    "CREATE ALGORITHM=MERGE SQL SECURITY DEFINER VIEW V\r\n AS \r\nSELECT 1"});

    Side pg(dbPostgreSQL);
    TViwData* gv = pg.View("v", "select 1", {"x"});
    gv->SetParentName("s1");
    rows.push_back({"pg create", gv->GetCreateSQL(), "CREATE VIEW s1.v(\r\nx)\r\n AS \r\nselect 1"});
    Side db2(dbDB2);
    TViwData* dv = db2.View("V", "SELECT 1 FROM SYSIBM.SYSDUMMY1");
    dv->SetParentName("S");
    rows.push_back(
        {"db2 create", dv->GetCreateSQL(), "CREATE VIEW S.V\r\n AS \r\nSELECT 1 FROM SYSIBM.SYSDUMMY1"});
    Check(rows);
}

// ---------------------------------------------------------------------------------------------------

TEST(KindTexts, Domains) {
    std::vector<Row> rows;
    Side ib(dbInterBase);
    TDmnData* di = ib.Domain("D_INT", Integer);
    di->Type().DefaultValue = "0";
    di->Type().Nullable = false;
    di->Type().CheckText = "(VALUE > 0)";
    TDmnData* dv = ib.Domain("D_VC", Varchar, 10);
    dv->Type().CharSetName = "UTF8";
    dv->Type().CollationName = "UNICODE_CI";
    rows.insert(rows.end(),
                {
                    {"ib create", di->GetCreateSQL(),
                     "CREATE DOMAIN D_INT AS INTEGER DEFAULT 0 NOT NULL CHECK(VALUE > 0)"},
                    {"ib collation", dv->GetCreateSQL(),
                     "CREATE DOMAIN D_VC AS VARCHAR(10) CHARACTER SET UTF8 COLLATE UNICODE_CI"},
                    {"ib drop", di->GetDropSQL(), "/* Drop: D_INT (TDmnData) */\r\nDROP DOMAIN D_INT"},
                    {"ib display", di->GetDisplayName(), "D_INT"},
                });
    // The domain's type record is what columns over it ask for.
    EXPECT_EQ(di->GetDomainType(), &di->Type());
    EXPECT_EQ(di->Type().GetParentObject(), di);
    EXPECT_EQ(di->Type().GetParentKind(), TColumnParentKind::cpDomain);

    Side pg(dbPostgreSQL);
    TDmnData* gd = pg.Domain("d", Integer);
    gd->SetParentName("s1");
    gd->Type().Nullable = false;
    gd->Type().CheckText = "(VALUE > 0)";
    TDmnData* gb = pg.Domain("t", 0);
    gb->SetParentName("s1");
    gb->PGOptions->IsBaseType = 1;
    TDmnData* gf = pg.Domain("u", 0);
    gf->SetParentName("s1");
    TPGTypeOptions& o = *gf->PGOptions;
    o.IsBaseType = 1;
    o.Input = "u_in";
    o.Output = "u_out";
    o.InternalLength = 16;
    o.PassedByValue = 1;
    o.Default = "0";
    o.Delimiter = ",";
    o.Element = std::make_unique<TFldData>(pg.O(), gf);
    o.Element->DataType = Integer;
    TDmnData* gc = pg.Domain("c", 0);
    gc->SetParentName("s1");
    gc->PGOptions->IsBaseType = 1;
    Attribute(pg.O(), gc, gc->PGOptions->CompositeAttributes, "a", Integer);
    Attribute(pg.O(), gc, gc->PGOptions->CompositeAttributes, "b", Text);
    rows.insert(rows.end(),
                {
                    {"pg domain", gd->GetCreateSQL(), "CREATE DOMAIN s1.d integer not null CHECK(VALUE > 0)"},
                    {"pg base type", gb->GetCreateSQL(),
                     "CREATE TYPE s1.t(\r\nALIGNMENT = int4,\r\nSTORAGE = plain)"},
                    {"pg base options", gf->GetCreateSQL(),
                     "CREATE TYPE s1.u(\r\nINPUT = u_in,\r\nOUTPUT = u_out,\r\nINTERNALLENGTH = "
                     "16,\r\nPASSEDBYVALUE,\r\nALIGNMENT = int4,\r\nSTORAGE = plain,\r\nDEFAULT = "
                     "0,\r\nELEMENT = integer,\r\nDELIMITER = ',')"},
                    {"pg composite", gc->GetCreateSQL(), "CREATE TYPE s1.c AS (\r\na integer,\r\nb text)"},
                    {"pg drop domain", gd->GetDropSQL(), "DROP DOMAIN s1.d"},
                    {"pg drop type", gb->GetDropSQL(), "DROP TYPE s1.t"},
                });

    Side ora(dbOracle);
    TDmnData* obj = ora.Domain("OBJ", 0);
    obj->OracleKind = 2;
    Attribute(ora.O(), obj, obj->Attributes, "X", Number);
    Attribute(ora.O(), obj, obj->Attributes, "Y", Number);
    auto* m = new TMemberPrcData(ora.O());
    m->SetName("GET_X");
    m->IsFunctionFlag = 1;
    Param(m, "", Number, true);
    obj->Members.AddObject("GET_X", m);
    TDmnData* arr = ora.Domain("ARR", Number);
    arr->OracleKind = 3;
    arr->VarrayLimit = 10;
    TDmnData* nt = ora.Domain("NT", Number);
    nt->OracleKind = 4;
    TDmnData* ni = ora.Domain("NI", Number);
    ni->OracleKind = 5;
    TDmnData* sub = ora.Domain("SUB", 0);
    sub->Supertype = "OBJ";
    sub->Timestamp = "2020-01-01:00:00:00";
    sub->OID = "ABC";
    sub->Directive.NotFinal = 1;
    Attribute(ora.O(), sub, sub->Attributes, "Z", Number);
    TDmnData* add = ora.Domain("OBJ2", 0);
    add->OracleKind = 2;
    Attribute(ora.O(), add, add->Attributes, "X", Number);
    Attribute(ora.O(), add, add->AddedAttributes, "W", Number);
    add->Cascade = 1;
    rows.insert(
        rows.end(),
        {
            {"oracle object", obj->GetCreateSQL(),
             "CREATE OR REPLACE TYPE OBJ AS OBJECT\r\n  (X NUMBER,\r\n   Y NUMBER,\r\n   MEMBER FUNCTION "
             "GET_X RETURN NUMBER)"},
            {"oracle varray", arr->GetCreateSQL(), "CREATE OR REPLACE TYPE ARR AS VARRAY(10) OF NUMBER"},
            {"oracle nested table", nt->GetCreateSQL(), "CREATE OR REPLACE TYPE NT AS TABLE OF NUMBER"},
            {"oracle nested table IS", ni->GetCreateSQL(), "CREATE OR REPLACE TYPE NI IS TABLE OF NUMBER"},
            {"oracle under", sub->GetCreateSQL(),
             "CREATE OR REPLACE TYPE SUB\r\n   TIMESTAMP '2020-01-01:00:00:00' OID 'ABC'\r\n UNDER OBJ\r\n  "
             "(Z NUMBER)\r\n   NOT FINAL "},
            {"oracle added attributes", add->GetCreateSQL(),
             "CREATE OR REPLACE TYPE OBJ2 AS OBJECT\r\n  (X NUMBER);\r\n\r\nALTER TYPE OBJ2 ADD "
             "ATTRIBUTE\r\n  (W NUMBER)\r\n   CASCADE"},
            {"oracle drop", obj->GetDropSQL(), "DROP TYPE OBJ"},
        });

    Side ms(dbMSSQL);
    ms.s.GetMSSQLServerOptions().GetMSSQLCompareOptions().SetCaseSensitiveIdentifiers(true);
    TDmnData* from = ms.Domain("ZIP", Varchar, 10);
    from->SetParentName("dbo");
    from->MSSQLFromType = 1;
    from->Type().Nullable = false;
    TDmnData* alias = ms.Domain("CODE", 0);
    alias->TypeText = "varchar(10)";
    TDmnData* xml = ms.Domain("X", 0);
    xml->SetParentName("dbo");
    xml->TypeText = "XML SCHEMA COLLECTION";
    xml->SetSource("<xsd:schema name='a'/>");
    rows.insert(
        rows.end(),
        {
            {"mssql from", from->GetCreateSQL(), "CREATE TYPE dbo.ZIP FROM VARCHAR(10) NOT NULL"},
            {"mssql sp_addtype", alias->GetCreateSQL(), "EXEC sp_addtype N'CODE', N'varchar(10)', N'NULL'"},
            {"mssql xml", xml->GetCreateSQL(),
             "CREATE XML SCHEMA COLLECTION dbo.X AS N'<xsd:schema name=''a''/>'"},
            {"mssql 2000 drop", alias->GetDropSQL(), "exec sp_droptype 'CODE'"},
        });
    EXPECT_TRUE(xml->IsXmlSchemaCollection());
    ms.s.GetMSSQLServerOptions().SetSQLServerVersion(TMSSQLServerVersionType::st_MSSQL2005);
    rows.insert(rows.end(), {
                                {"mssql drop", from->GetDropSQL(), "DROP TYPE dbo.ZIP"},
                                {"mssql xml drop", xml->GetDropSQL(), "DROP XML SCHEMA COLLECTION dbo.X"},
                            });
    Side ase(dbSybaseASE);
    TDmnData* ad = ase.Domain("CODE", 0);
    ad->TypeText = "varchar(10)";
    ad->Type().Nullable = false;
    rows.insert(rows.end(), {
                                {"ase create", ad->GetCreateSQL(),
                                 "EXEC sp_addtype N'CODE', N'varchar(10)', N'NOT NULL'"},
                                {"ase drop", ad->GetDropSQL(), "exec sp_droptype 'CODE'"},
                            });
    Side asa(dbSybaseASA);
    rows.push_back({"asa create", asa.Domain("D", Integer)->GetCreateSQL(), "CREATE DOMAIN D INTEGER NULL"});
    Check(rows);
}

TEST(KindTexts, Conversions) {
    Side pg(dbPostgreSQL);
    auto* c = new TCnvData(pg.O());
    c->SetName("c1");
    c->SetParentName("s1");
    c->DefaultFlag = 1;
    c->SourceEncoding = "LATIN1";
    c->TargetEncoding = "UTF8";
    c->FunctionName = "latin1_to_utf8";
    pg.O()->AddObject(c, true);
    EXPECT_EQ(c->GetCreateSQL(),
              "CREATE DEFAULT CONVERSION s1.c1 FOR 'LATIN1' TO 'UTF8' FROM s1.latin1_to_utf8");
    c->DefaultFlag = 0;
    EXPECT_EQ(c->GetCreateSQL(), "CREATE CONVERSION s1.c1 FOR 'LATIN1' TO 'UTF8' FROM s1.latin1_to_utf8");
    EXPECT_EQ(c->GetDropSQL(), "DROP CONVERSION s1.c1");
}

} // namespace
} // namespace smx
