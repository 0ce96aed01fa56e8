// Routines, triggers, views and domains on real Firebird 3 databases: every InterBase text of the
// kinds runs in one isql-fb script; the comparison scenario over all four kinds runs through the
// executor and leaves the target equal to a database built from the master's script; and the
// table checks that need routines and triggers: parameter clauses, a routine emptied before a
// column drop, a trigger kept over a temporary-table switch, the structure script with routines.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/smxComp_Dmn.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "tests/database/IBXTestSupport.h"
#include "tests/model/KeysTestSupport.h"
#include "tests/model/KindScenario.h"
#include "tests/model/SchemalystTestSupport.h"

namespace smx::test {
namespace {

using namespace smx::cmptest;
using Strings = std::vector<std::string>;
constexpr std::uint8_t Integer = 1, Varchar = 14;

std::string ReadText(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool HasText(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// isql-fb -x of the database, comparable between two files: without CR, without the commented
// CREATE DATABASE line, with the view paragraphs (listed in creation order) sorted.
std::string ComparableExtract(const std::string& path) {
    std::string out = IsqlExtract(path);
    out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
    Strings paragraphs;
    std::string current;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (HasText(line, "CREATE DATABASE")) continue;
        if (line.empty()) {
            if (!current.empty()) paragraphs.push_back(current);
            current.clear();
        } else {
            current += line + "\n";
        }
    }
    if (!current.empty()) paragraphs.push_back(current);
    Strings views;
    for (const std::string& p : paragraphs)
        if (p.rfind("/* View:", 0) == 0) views.push_back(p);
    std::sort(views.begin(), views.end());
    std::string r;
    std::size_t next = 0;
    for (const std::string& p : paragraphs)
        r += (p.rfind("/* View:", 0) == 0 ? views[next++] : p) + "\n";
    return r;
}

// An executor on a connection to the database at path.
struct ExecOn {
    explicit ExecOn(const std::string& path) : ibdb(MakeIBDatabase(path, "UTF8")) {
        conn.SetDatabase(ibdb.get());
        exec.SetDatabaseType(TDatabaseType::dbInterBase);
        exec.SetSMXConnection(&conn);
        exec.OnLogNextLine = [](TObject*, const std::string&) {};
        exec.OnErrorMessage = [this](TObject*, const std::string& t) { errors.push_back(t); };
    }
    std::string Script() {
        TStringList lines;
        exec.GetScriptLines(lines, false);
        return lines.Text();
    }
    std::unique_ptr<TIBDatabase> ibdb;
    TSMXConnectionIBX conn;
    TSQLExec exec;
    Strings errors;
};

// ---------------------------------------------------------------------------------------------------
// Every InterBase text

// The domain statements a comparison writes for the master and target domain types given.
Strings DomainAlterations(const std::function<void(TFldData&, TFldData&)>& Setup) {
    Rig r;
    r.InterBase();
    r.Wire();
    r.cmp.GetIBCompareOptions().SetFldCharsetCompare(true);
    TSQLExec exec;
    exec.SetDatabaseType(TDatabaseType::dbInterBase);
    r.cmp.SetSQLExec(&exec);
    TFldData* types[2] = {};
    for (Structure* s : {&r.master, &r.target}) {
        auto* d = new TDmnData(&s->Objs());
        d->SetName("D");
        types[s == &r.master ? 0 : 1] = &d->Type();
        s->Objs().AddObject(d, true);
    }
    Setup(*types[0], *types[1]);
    r.cmp.CompareStructures();
    Strings texts;
    for (int i = 0; i < exec.GetStatementCount(); ++i) {
        const TStatement* st = exec.GetStatement(i);
        if (st->ObjKind == TDbObject::dboDomain && st->Operation == TDbOperation::odbAlter)
            texts.push_back(st->Lines.Text());
    }
    r.cmp.SetSQLExec(nullptr);
    return texts;
}

TEST(KindsOnFirebird, EveryInterBaseTextRuns) {
    TTestDatabase db(CreateDatabaseSql({}, "PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8"), "k.fdb");
    TDBStructure s;
    keytest::Prepare(s);
    s.GetIBServerOptions().GetIBCompareOptions().SetFldCharsetCompare(true);
    TObjs* o = s.Objs();
    TSQLExec exec;
    exec.SetDatabaseType(TDatabaseType::dbInterBase);
    using enum TStatType;
    auto add = [&](const std::string& text, TStatType kind = stStatement) {
        ASSERT_NE(exec.AddStatement(text, kind), nullptr) << text;
    };
    auto file = [o](TDbObj* obj, const std::string& name, const std::string& source = {}) {
        obj->SetName(name);
        if (!source.empty()) obj->SetSource(source);
        o->AddObject(obj, true);
    };

    // Domains.
    auto* dInt = new TDmnData(o);
    dInt->Type().DataType = Integer;
    dInt->Type().DefaultValue = "0";
    dInt->Type().Nullable = false;
    dInt->Type().CheckText = "(VALUE > 0)";
    file(dInt, "D_INT");
    auto* dVc = new TDmnData(o);
    dVc->Type().DataType = Varchar;
    dVc->Type().Length = 20;
    file(dVc, "D_VC");
    add(dInt->GetCreateSQL());
    add(dVc->GetCreateSQL());
    EXPECT_EQ(dInt->GetCreateSQL(), "CREATE DOMAIN D_INT AS INTEGER DEFAULT 0 NOT NULL CHECK(VALUE > 0)");
    // Their alterations, as comparisons write them: type with character set; check, default and
    // nullability; then default dropped and NOT NULL set again.
    Strings alter = DomainAlterations([](TFldData& m, TFldData& t) {
        for (TFldData* f : {&m, &t})
            f->DataType = Varchar;
        m.Length = 40;
        m.CharSetName = "UTF8";
        m.CollationName = "UNICODE_CI";
        t.Length = 20;
    });
    EXPECT_EQ(alter, Strings{"ALTER DOMAIN D TYPE VARCHAR(40) CHARACTER SET UTF8\r\n"});
    for (const std::string& a : alter)
        add(StringReplace(a, "DOMAIN D ", "DOMAIN D_VC "));
    Strings changes = DomainAlterations([](TFldData& m, TFldData& t) {
        for (TFldData* f : {&m, &t})
            f->DataType = Integer;
        t.DefaultValue = "0";
        t.Nullable = false;
        t.CheckText = "(VALUE > 0)";
        m.DefaultValue = "5";
        m.CheckText = "(VALUE > 1)";
    });
    Strings back = DomainAlterations([](TFldData& m, TFldData& t) {
        for (TFldData* f : {&m, &t})
            f->DataType = Integer;
        t.DefaultValue = "5";
        t.CheckText = "(VALUE > 1)";
        m.Nullable = false;
        m.CheckText = "(VALUE > 1)";
    });
    changes.insert(changes.end(), back.begin(), back.end());
    EXPECT_EQ(changes,
              (Strings{"ALTER DOMAIN D DROP CONSTRAINT\r\n", "ALTER DOMAIN D ADD CHECK(VALUE > 1)\r\n",
                       "ALTER DOMAIN D SET DEFAULT 5\r\n", "ALTER DOMAIN D DROP NOT NULL\r\n",
                       "ALTER DOMAIN D DROP DEFAULT\r\n", "ALTER DOMAIN D SET NOT NULL\r\n"}));
    for (const std::string& c : changes)
        add(StringReplace(c, "DOMAIN D ", "DOMAIN D_INT "));

    // Tables and views.
    for (const char* name : {"TAB", "T"}) {
        auto* t = new TTblData(o);
        TFldData* id = t->AddField("ID");
        id->DataType = Integer;
        id->Nullable = false;
        t->AddField("NAME")->DataType = Varchar;
        t->Field(1)->Length = 10;
        file(t, name);
        add(t->GetCreateSQL());
    }
    auto* v = new TViwData(o);
    v->AddField("ID");
    v->AddField("NAME");
    file(v, "V", "SELECT ID, NAME FROM T");
    auto* w = new TViwData(o);
    file(w, "W", "SELECT ID FROM T");
    for (TViwData* view : {v, w})
        exec.AddStatement(view->GetCreateSQL(), stStatement, view->GetName(), TDbObject::dboView,
                          TDbOperation::odbCreate);

    // Routines, each with its empty body.
    auto* p = new TPrcData(o);
    file(p, "P", "BEGIN R = A; SUSPEND; END");
    p->AddParam("A", false)->DataType = Integer;
    p->AddParam("R", true)->DataType = Integer;
    auto* q = new TPrcData(o);
    file(q, "Q", "BEGIN END");
    auto* f = new TPrcData(o);
    f->IsFunctionFlag = 1;
    file(f, "F", "BEGIN RETURN A + 1; END");
    f->AddParam("A", false)->DataType = Integer;
    TFldData* result = f->AddParam("", true);
    result->DataType = Integer;
    result->Deterministic = true;
    auto* pl = new TPrcData(o);
    file(pl, "PL", "BEGIN END");
    TFldData* a = pl->AddParam("A", false);
    a->DataType = Integer;
    a->Nullable = false;
    a->DefaultValue = "0";
    TFldData* b = pl->AddParam("B", false);
    b->DataType = Varchar;
    b->Length = 10;
    b->CollationName = "UNICODE";
    b->DefaultValue = "'x'";
    for (const std::string& text :
         {p->GetEmptyCreateSQL(), p->GetAlterSQL(), p->GetEmptyAlterSQL(), p->GetAlterSQL(),
          q->GetEmptyCreateSQL(), f->GetEmptyCreateSQL(), f->GetAlterSQL(), pl->GetCreateSQL()})
        add(text, stProcedure);
    EXPECT_TRUE(
        HasText(pl->GetCreateSQL(), "(A INTEGER NOT NULL = 0,\r\nB VARCHAR(10) COLLATE UNICODE = 'x')"));

    // Triggers: table triggers, a DATABASE trigger, an emptied view trigger, an empty-body text.
    auto trigger = [&](const std::string& name, const std::string& table, int code) {
        auto* t = new TTrgData(o);
        t->SetTableName(table);
        t->IBTypeCode = code;
        file(t, name, "AS BEGIN END");
        return t;
    };
    TTrgData* bi = trigger("TRG_BI", "TAB", 1);
    TTrgData* all = trigger("TRG_ALL", "TAB", 114);
    all->Active = 0;
    all->Position = 5;
    TTrgData* tc = trigger("TRG_TC", "DATABASE", 0);
    tc->DatabaseEvent = "TRANSACTION COMMIT";
    tc->Position = 3;
    TTrgData* tv = trigger("TRG_V", "V", 1);
    tv->SetSource("AS BEGIN INSERT INTO T(ID, NAME) VALUES (NEW.ID, NEW.NAME); END");
    TTrgData* te = trigger("TRG_E", "T", 3);
    for (const std::string& text : {bi->GetCreateSQL(), all->GetCreateSQL(), tc->GetCreateSQL(),
                                    tv->GetCreateSQL(), te->GetEmptyBodySQL()})
        add(text, stTrigger);
    tv->SetSource(tv->EmptyTriggerBody());
    add(tv->GetAlterSQL(), stTrigger);

    // Descriptions.
    auto* paramA = static_cast<TDbObj*>(p->InputParams.Objects(0));
    for (TDbObj* obj : std::initializer_list<TDbObj*>{p, f, paramA, bi, v, dInt}) {
        obj->SetDescription("about " + obj->GetName());
        ASSERT_NE(exec.AddDescription(obj), nullptr) << obj->GetName();
    }

    // Every drop text.
    for (TDbObj* obj : std::initializer_list<TDbObj*>{bi, all, tc, tv, te, w, v, p, q, f, pl})
        add(obj->GetDropSQL());
    for (const char* name : {"TAB", "T"})
        add(o->FindTable(name)->GetDropSQL());
    add(dInt->GetDropSQL());
    add(dVc->GetDropSQL());
    EXPECT_TRUE(HasText(dInt->GetDropSQL(), "/* Drop: D_INT (TDmnData) */\r\n"));

    TStringList rendered;
    exec.GetScriptLines(rendered, false);
    const std::string script = rendered.Text();
    EXPECT_EQ(UpperCase(script).find("RDB$FIELDS"), std::string::npos);
    for (const char* kind :
         {"PROCEDURE P", "FUNCTION F", "PARAMETER P.A", "TRIGGER TRG_BI", "VIEW V", "DOMAIN D_INT"})
        EXPECT_TRUE(HasText(script, std::string("COMMENT ON ") + kind + " IS")) << kind;
    const TIsqlResult run = db.Run(script);
    EXPECT_TRUE(run.Ok()) << run.Output << "\n" << script;
    EXPECT_FALSE(HasText(run.Output, "Statement failed")) << run.Output;
    EXPECT_TRUE(ReadColumnElsewhere(db.Path(),
                                    "select rdb$relation_name from rdb$relations where rdb$system_flag = 0")
                    .empty());
}

// ---------------------------------------------------------------------------------------------------
// The comparison scenario

TEST(KindsOnFirebird, ScenarioLeavesTheTargetInTheMastersShape) {
    const std::string clauses = "PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8";
    TTestDatabase target(CreateDatabaseSql(KindScenarioDDL(false), clauses), "t.fdb");
    TTestDatabase master(CreateDatabaseSql(KindScenarioDDL(true), clauses), "m.fdb");
    Rig r;
    r.TargetDatabase(target.Path());
    BuildKindScenario(&r.master.Objs(), true);
    BuildKindScenario(&r.target.Objs(), false);
    ExecOn x(target.Path());
    r.cmp.SetSQLExec(&x.exec);

    r.cmp.CompareStructures();
    const std::string first = x.Script();
    r.cmp.CompareStructures();
    const std::string script = x.Script();
    EXPECT_EQ(first, script);
    EXPECT_EQ(UpperCase(script).find("RDB$FIELDS"), std::string::npos);
    EXPECT_TRUE(HasText(script, "ALTER DOMAIN D_NAME TYPE VARCHAR(20)")) << script;
    EXPECT_TRUE(HasText(script, "CREATE TRIGGER TRG_V FOR V")) << script;

    EXPECT_TRUE(x.exec.ExecuteScript()) << (x.errors.empty() ? "" : x.errors.front()) << "\n" << script;
    EXPECT_EQ(x.exec.GetErrorCount(), 0);
    EXPECT_TRUE(x.errors.empty()) << x.errors.front();
    x.conn.SetConnected(false);
    const std::string updated = ComparableExtract(target.Path());
    EXPECT_EQ(updated, ComparableExtract(master.Path())) << script;
    EXPECT_TRUE(HasText(updated, "CREATE TRIGGER TRG_V FOR V")) << updated;
    EXPECT_TRUE(HasText(updated, "CREATE TRIGGER TRG_A FOR T \nINACTIVE BEFORE INSERT POSITION 5 \n"))
        << updated;
    EXPECT_TRUE(HasText(updated, "AS BEGIN NEW.NAME = 'b'; END")) << updated;
    EXPECT_TRUE(HasText(updated, "BEGIN R = A * 2; SUSPEND; END")) << updated;
    r.cmp.SetSQLExec(nullptr);
}

// ---------------------------------------------------------------------------------------------------
// Tables and routines

TEST(KindsOnFirebird, RoutineParameterClausesRun) {
    TTestDatabase db(CreateDatabaseSql({}, "PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8"), "p.fdb");
    TDBStructure s;
    s.SetDatabaseType(TDatabaseType::dbInterBase);
    s.GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
    s.GetIBServerOptions().SetDBCharSet("UTF8");
    s.GetIBServerOptions().GetIBCompareOptions().SetFldCharsetCompare(true);
    auto* p = new TPrcData(s.Objs());
    p->SetName("P");
    p->SetSource("BEGIN R = B || A; SUSPEND; END");
    TFldData* a = p->AddParam("A", false);
    a->DataType = Integer;
    a->Nullable = false;
    a->DefaultValue = "0";
    TFldData* b = p->AddParam("B", false);
    b->DataType = Varchar;
    b->Length = 10;
    b->CharSetName = "UTF8";
    b->CollationName = "UNICODE";
    b->DefaultValue = "'x'";
    TFldData* r = p->AddParam("R", true);
    r->DataType = Varchar;
    r->Length = 20;
    r->DefaultValue = "'ignored'";
    r->ParamDirection = 2; // an output's default is never written
    s.Objs()->AddObject(p, true);
    const std::string sql =
        "SET TERM ^ ;\n" + p->GetCreateSQL() + "^\nSET TERM ; ^\nSET LIST ON;\nSELECT R FROM P;\n";
    const TIsqlResult run = db.Run(sql);
    ASSERT_TRUE(run.Ok()) << run.Output << "\n" << sql;
    // Callers may leave out both parameters: the defaults apply.
    EXPECT_TRUE(HasText(run.Output, "x0")) << run.Output;
}

TEST(KindsOnFirebird, RoutineIsEmptiedBeforeItsColumnIsDropped) {
    TTestDatabase db(CreateDatabaseSql("CREATE TABLE T (ID INTEGER, X INTEGER);\n"
                                       "SET TERM ^ ;\n"
                                       "CREATE PROCEDURE P AS DECLARE VARIABLE V INTEGER; "
                                       "BEGIN SELECT FIRST 1 X FROM T INTO :V; END^\n"
                                       "SET TERM ; ^\n",
                                       "PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8"),
                     "c.fdb");
    Rig r;
    r.TargetDatabase(db.Path());
    AddTable(r.master.Objs(), "T", {"ID"});
    TTblData* t = AddTable(r.target.Objs(), "T", {"ID", "X"});
    AddProc(r.master.Objs(), "P", "BEGIN EXIT; END");
    TPrcData* tp = AddProc(r.target.Objs(), "P",
                           "DECLARE VARIABLE V INTEGER; BEGIN SELECT FIRST 1 X FROM T INTO :V; END");
    AddDependency(&r.target.Objs(), tp, t, 0, 0, "X");
    ExecOn x(db.Path());
    r.cmp.SetSQLExec(&x.exec);
    r.cmp.CompareStructures();
    int emptied = -1, dropX = -1;
    for (int i = 0; i < x.exec.GetStatementCount(); ++i) {
        const TStatement* st = x.exec.GetStatement(i);
        if (st->Operation == TDbOperation::odbEmpty && st->ObjName == "P" && emptied < 0) emptied = i;
        if (HasText(st->Lines.Text(), "ALTER TABLE T DROP X")) dropX = i;
    }
    ASSERT_GE(emptied, 0) << x.Script();
    EXPECT_GT(dropX, emptied) << x.Script();
    EXPECT_TRUE(x.exec.ExecuteScript()) << (x.errors.empty() ? "" : x.errors.front());
    EXPECT_EQ(x.exec.GetErrorCount(), 0);
    const Strings source = ReadColumnElsewhere(
        db.Path(), "select rdb$procedure_source from rdb$procedures where rdb$procedure_name = 'P'");
    ASSERT_EQ(source.size(), 1u);
    EXPECT_EQ(Trim(source[0]), "BEGIN EXIT; END");
    r.cmp.SetSQLExec(nullptr);
}

TEST(KindsOnFirebird, TriggerComesBackAfterTheTemporaryTableSwitch) {
    TTestDatabase db(CreateDatabaseSql("CREATE TABLE T (ID INTEGER NOT NULL, NAME VARCHAR(10));\n"
                                       "SET TERM ^ ;\n"
                                       "CREATE TRIGGER T_BI FOR T ACTIVE BEFORE INSERT POSITION 0 "
                                       "AS BEGIN NEW.NAME = UPPER(NEW.NAME); END^\n"
                                       "SET TERM ; ^\n",
                                       "PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8"),
                     "g.fdb");
    Rig r;
    r.TargetDatabase(db.Path());
    for (Structure* s : {&r.master, &r.target}) {
        TTblData* t = AddTable(s->Objs(), "T", {"ID"});
        t->Field(0)->Nullable = false;
        AddColumn(t, "NAME", VarcharType, 10);
        if (s == &r.master) {
            t->GlobalTemporary = true;
            t->OnCommit = 1;
        }
        auto* trg = new TTrgData(&s->Objs());
        trg->SetName("T_BI");
        trg->SetTableName("T");
        trg->IBTypeCode = 1;
        trg->SetSource("AS BEGIN NEW.NAME = UPPER(NEW.NAME); END");
        s->Objs().AddObject(trg, true);
        AddDependency(&s->Objs(), trg, t);
    }
    ExecOn x(db.Path());
    r.cmp.SetSQLExec(&x.exec);
    r.cmp.CompareStructures();
    const std::string script = x.Script();
    EXPECT_TRUE(HasText(script, "CREATE GLOBAL TEMPORARY TABLE T")) << script;
    EXPECT_TRUE(HasText(script, "CREATE TRIGGER T_BI FOR T")) << script;
    EXPECT_TRUE(x.exec.ExecuteScript()) << (x.errors.empty() ? "" : x.errors.front()) << "\n" << script;
    EXPECT_EQ(ReadColumnElsewhere(
                  db.Path(), "select rdb$relation_type from rdb$relations where rdb$relation_name = 'T'"),
              Strings{"5"});
    EXPECT_EQ(ReadColumnElsewhere(
                  db.Path(), "select rdb$relation_name from rdb$triggers where rdb$trigger_name = 'T_BI'"),
              Strings{"T"});
    r.cmp.SetSQLExec(nullptr);
}

TEST(KindsOnFirebird, StructureScriptWithRoutinesRunsAndWritesHeaderFiles) {
    TTempDir dir("smxkinds");
    const std::string path = dir.File("s.fdb");
    TDBStructure s;
    s.SetDatabaseType(TDatabaseType::dbInterBase);
    TIBServerOptions& ib = s.GetIBServerOptions();
    ib.SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
    ib.SetDBCharSet("UTF8");
    ib.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
    s.Objs()->GetConnectionOptions().SetDatabaseName(path);
    s.Objs()->GetConnectionOptions().SetUserName("SYSDBA");
    s.Objs()->GetConnectionOptions().SetPassword("masterkey");
    s.Objs()->SetScriptFilesFolder(dir.Path());
    TObjs* o = s.Objs();
    TTblData* t = AddTable(*o, "T", {"ID"});
    auto* v = new TViwData(o);
    v->SetName("V");
    v->AddField("ID");
    v->SetSource("SELECT ID FROM T");
    o->AddObject(v, true);
    TPrcData* p = AddProc(*o, "P", "BEGIN FOR SELECT ID FROM V INTO :R DO SUSPEND; END");
    p->AddParam("R", true)->DataType = Integer;
    p->SetDescription("reads V");
    TPrcData* q = AddProc(*o, "Q", "BEGIN X = 1; END");
    q->AddParam("X", false)->DataType = Integer;
    auto* trg = new TTrgData(o);
    trg->SetName("T_BI");
    trg->SetTableName("T");
    trg->IBTypeCode = 1;
    trg->SetSource("AS BEGIN NEW.ID = COALESCE(NEW.ID, 0); END");
    o->AddObject(trg, true);
    (void)t;
    o->GetScript();
    const std::string script = o->GetScriptLines().Text();
    const std::string file = dir.File("structure.sql");
    std::ofstream(file, std::ios::binary) << script;
    const TIsqlResult run = RunIsqlFile(file);
    ASSERT_TRUE(run.Ok()) << run.Output << "\n" << script;
    EXPECT_FALSE(HasText(run.Output, "Statement failed")) << run.Output;
    EXPECT_EQ(ReadText(dir.File("procedure_P_header.sql")), p->GetEmptyCreateSQL());
    EXPECT_EQ(ReadText(dir.File("procedure_P_header.sql")),
              "CREATE PROCEDURE P RETURNS(R INTEGER)\r\n AS\r\n BEGIN SUSPEND; END");
    EXPECT_EQ(ReadText(dir.File("trigger_T_BI_header.sql")), trg->GetEmptyBodySQL());
    EXPECT_EQ(ReadColumnElsewhere(
                  path, "select rdb$description from rdb$procedures where rdb$procedure_name = 'P'"),
              Strings{"reads V"});
}

} // namespace
} // namespace smx::test
