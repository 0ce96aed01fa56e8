// The structure component and its container: the DDL script writer per dialect (header, blocks,
// SET TERM, MS SQL settings, descriptions), find-by-name, and the per-object files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/smxComp_Ctr.h"
#include "model/smxComp_Pkg.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Sch.h"
#include "model/smxComp_Viw.h"
#include "platform/smxStrUtils.h"
#include "tests/model/TablesTestSupport.h"
#include "tests/support/smxTestDb.h"

namespace smx {
namespace {

using test::AddColumn;
using test::TCompareFixture;
using enum TDatabaseType;

// A procedure with a fixed text, standing in for the procedure kind's own texts.
class TTextProc : public TPrcData {
public:
    TTextProc(TCustomObjs* owner, std::string text) : TPrcData(owner), text_(std::move(text)) {}
    std::string GetCreateSQL() const override { return text_; }
    std::string GetEmptyCreateSQL() const override {
        return "CREATE PROCEDURE " + GetName() + " AS BEGIN END";
    }

private:
    std::string text_;
};

// A constraint of a given kind with a fixed text.
class TTextConstraint : public TCtrData {
public:
    TTextConstraint(TCustomObjs* owner, TDbObject kind, std::string text)
        : TCtrData(owner), text_(std::move(text)) {
        SetKind(kind);
    }
    std::string GetCreateSQL() const override { return text_; }

private:
    std::string text_;
};

std::vector<std::string> Lines(TObjs* objs) {
    std::vector<std::string> r;
    for (int i = 0; i < objs->GetScriptLines().Count(); ++i)
        r.push_back(objs->GetScriptLines()[i]);
    return r;
}

int IndexOf(const std::vector<std::string>& lines, std::string_view line) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == line) return static_cast<int>(i);
    return -1;
}

// An InterBase structure at Firebird 3 with database /data/x/r.fdb, SYSDBA/p, UTF8, page size 8192.
struct IBStructure {
    IBStructure() {
        s.SetDatabaseType(dbInterBase);
        TIBServerOptions& ib = s.GetIBServerOptions();
        ib.SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
        ib.SetDBCharSet("UTF8");
        ib.GetIBDatabaseOptions().SetPageSize(8192);
        TConnectionOptions& c = s.Objs()->GetConnectionOptions();
        c.SetDatabaseName("/data/x/r.fdb");
        c.SetUserName("SYSDBA");
        c.SetPassword("p");
    }
    TObjs* O() { return s.Objs(); }
    TTblData* Table(std::string_view name) {
        TTblData* t = TCompareFixture::Table(O(), name);
        AddColumn(t, "ID", 1, 0, false);
        return t;
    }
    std::vector<std::string> Script() {
        O()->GetScript();
        return Lines(O());
    }
    TDBStructure s;
};

TEST(StructureScript, InterBaseHeader) {
    IBStructure f;
    const auto lines = f.Script();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "SET NAMES UTF8;\r\n");
    EXPECT_EQ(lines[1], "SET SQL DIALECT 3;\r\n");
    EXPECT_EQ(lines[2], "CREATE DATABASE '/data/x/r.fdb'\r\n USER 'SYSDBA' PASSWORD 'p'\r\nPAGE_SIZE 8192  "
                        "DEFAULT CHARACTER SET UTF8;\r\n");
    EXPECT_EQ(f.O()->GetTerminator(), ";");
}

TEST(StructureScript, InterBaseHeaderSwitchesAndDatabaseFacts) {
    IBStructure f;
    f.O()->GetScriptOptions().SetDBCharSet(false);
    f.O()->GetScriptOptions().SetConnect(false);
    f.s.GetIBServerOptions().SetSQLDialect(2);
    TIBDatabaseOptions& dbo = f.s.GetIBServerOptions().GetIBDatabaseOptions();
    dbo.SetODSMajorVersion(12);
    dbo.SetODSMinorVersion(0);
    dbo.SetServerVersion("WI-V3.0.10");
    const auto lines = f.Script();
    EXPECT_EQ(lines[0], "SET SQL DIALECT 3;\r\n");
    EXPECT_EQ(lines[1], "/* Server Version: WI-V3.0.10.  ODS Version: 12.0. */\r\n");
    f.s.GetIBServerOptions().SetSQLDialect(1);
    EXPECT_EQ(f.Script()[0], "/* Server Version: WI-V3.0.10.  ODS Version: 12.0. */\r\n");
}

TEST(StructureScript, SetTermOnlyAroundRoutines) {
    IBStructure f;
    f.Table("T");
    auto none = f.Script();
    EXPECT_EQ(IndexOf(none, "SET TERM ^ ;\r\n"), -1);
    f.O()->AddObject(new TTextProc(f.O(), "CREATE PROCEDURE P AS BEGIN EXIT; END"), true);
    dynamic_cast<TPrcData*>(f.O()->Procedures().Objects(0))->SetName("P");
    const auto lines = f.Script();
    const int open = IndexOf(lines, "SET TERM ^ ;\r\n");
    ASSERT_GE(open, 0);
    EXPECT_EQ(lines[open + 1], "CREATE PROCEDURE P AS BEGIN EXIT; END\r\n^");
    EXPECT_EQ(lines[open + 2], "");
    EXPECT_EQ(lines[open + 3], "SET TERM ; ^\r\n");
    EXPECT_EQ(f.O()->GetTerminator(), ";");
}

TEST(StructureScript, TablesAndDescriptionsAsComment) {
    IBStructure f;
    TTblData* t = f.Table("T");
    t->SetDescription("abc");
    t->Field(0)->SetDescription("id");
    const auto lines = f.Script();
    const int create = IndexOf(lines, "CREATE TABLE T(ID INTEGER NOT NULL);");
    ASSERT_GE(create, 0);
    EXPECT_EQ(lines[create + 1], "");
    EXPECT_EQ(lines[create + 2], "COMMENT ON TABLE T IS\r\n'abc';");
    EXPECT_EQ(lines[create + 4], "COMMENT ON COLUMN T.ID IS\r\n'id';");
    // The container's own mode is back after the run.
    EXPECT_EQ(f.O()->GetIBServerOptions().GetIBCompareOptions().GetUpdateDescriptionMode(),
              TUpdateDescriptionType::udSysTables);
}

TEST(StructureScript, DescriptionFormByServerVersion) {
    using V = TIBSQLServerVersionType;
    struct Row {
        V version;
        const char* start;
    };
    const Row rows[] = {
        {V::st_FireBird_15, "DESCRIBE TABLE T"},
        {V::st_InterBase_75, "DESCRIBE TABLE T"},
        {V::st_Firebird_20, "COMMENT ON TABLE T IS"},
        {V::st_Firebird_25, "COMMENT ON TABLE T IS"},
        {V::st_Firebird_30, "COMMENT ON TABLE T IS"},
        {V::st_Firebird_40, "COMMENT ON TABLE T IS"},
        {V::st_InterBase_2020, "ALTER DESCRIPTION FOR TABLE T SET"},
    };
    for (const Row& r : rows) {
        IBStructure f;
        f.s.GetIBServerOptions().SetSQLServerVersion(r.version);
        f.Table("T")->SetDescription("abc");
        const auto lines = f.Script();
        bool found = false;
        for (const auto& l : lines)
            found = found || l.rfind(r.start, 0) == 0;
        EXPECT_TRUE(found) << int(r.version);
        // The writer's choice lasts only while it writes: the container's own mode is restored.
        EXPECT_EQ(f.O()->GetIBServerOptions().GetIBCompareOptions().GetUpdateDescriptionMode(),
                  TUpdateDescriptionType::udSysTables)
            << int(r.version);
    }
    // A mode chosen by the user is kept.
    IBStructure f;
    f.O()->GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
        TUpdateDescriptionType::udDescribe);
    f.Table("T")->SetDescription("abc");
    const auto lines = f.Script();
    EXPECT_GE(IndexOf(lines, "DESCRIBE TABLE T\r\n'abc';"), 0);
}

TEST(StructureScript, ConstraintsByKind) {
    IBStructure f;
    auto add = [&](TDbObject kind, std::string_view name) {
        auto* c = new TTextConstraint(f.O(), kind, "ALTER TABLE T ADD CONSTRAINT " + std::string(name));
        c->SetName(name);
        f.O()->AddObject(c, true);
    };
    add(TDbObject::dboFKey, "A_FK");
    add(TDbObject::dboCheck, "B_CK");
    add(TDbObject::dboPKey, "C_PK");
    add(TDbObject::dboUnique, "D_UQ");
    const auto lines = f.Script();
    const int pk = IndexOf(lines, "ALTER TABLE T ADD CONSTRAINT C_PK;");
    const int uq = IndexOf(lines, "ALTER TABLE T ADD CONSTRAINT D_UQ;");
    const int fk = IndexOf(lines, "ALTER TABLE T ADD CONSTRAINT A_FK;");
    const int ck = IndexOf(lines, "ALTER TABLE T ADD CONSTRAINT B_CK;");
    ASSERT_GE(pk, 1);
    EXPECT_EQ(lines[pk - 1], "/* C_PK */");
    EXPECT_LT(pk, uq);
    EXPECT_LT(uq, fk);
    EXPECT_LT(fk, ck);
}

TEST(StructureScript, MSSQLSettingLines) {
    TDBStructure s;
    s.SetDatabaseType(dbMSSQL);
    TObjs* o = s.Objs();
    o->GetConnectionOptions().SetDatabaseName("shop");
    TTblData* a = TCompareFixture::Table(o, "A");
    AddColumn(a, "ID", 1);
    TTblData* b = TCompareFixture::Table(o, "B");
    AddColumn(b, "ID", 1);
    b->AnsiNulls = false;
    o->GetScript();
    const auto lines = Lines(o);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "USE shop\r\ngo\r\n");
    EXPECT_EQ(lines[1], "SET QUOTED_IDENTIFIER OFF\r\ngo\r\n");
    EXPECT_EQ(lines[2], "SET ANSI_NULLS OFF\r\ngo\r\n");
    const int createA = IndexOf(lines, a->GetCreateSQL() + "\r\ngo");
    const int createB = IndexOf(lines, b->GetCreateSQL() + "\r\ngo");
    ASSERT_GE(createA, 2);
    EXPECT_EQ(lines[createA - 2], "SET QUOTED_IDENTIFIER ON\r\ngo\r\n");
    EXPECT_EQ(lines[createA - 1], "SET ANSI_NULLS ON\r\ngo\r\n");
    ASSERT_GE(createB, 1);
    EXPECT_EQ(lines[createB - 1], "SET ANSI_NULLS OFF\r\ngo\r\n");
    EXPECT_EQ(lines[createB - 2], "");
    EXPECT_FALSE(o->QuotedIdentifierState);
    EXPECT_FALSE(o->AnsiNullsState);
}

TEST(StructureScript, OtherDialectHeaders) {
    struct Row {
        TDatabaseType type;
        const char* first;
    };
    const Row rows[] = {
        {dbOracle, "-- CONNECT scott/*****@orcl;\r\n"},
        {dbMySQL, "USE orcl;\r\n"},
        {dbPostgreSQL, "/* Database: orcl */\r\n"},
    };
    for (const Row& r : rows) {
        TDBStructure s;
        s.SetDatabaseType(r.type);
        TConnectionOptions& c = s.Objs()->GetConnectionOptions();
        c.SetDatabaseName("orcl");
        c.SetUserName("scott");
        c.SetPassword("tiger");
        s.Objs()->GetScript();
        ASSERT_GT(s.Objs()->GetScriptLines().Count(), 0);
        EXPECT_EQ(s.Objs()->GetScriptLines()[0], r.first) << int(r.type);
    }
}

TEST(StructureScript, CopyScriptToLeavesOwnLinesEmpty) {
    IBStructure f;
    f.Table("T");
    TStringList out;
    out.Add("kept");
    f.O()->CopyScriptTo(out);
    EXPECT_EQ(f.O()->GetScriptLines().Count(), 0);
    EXPECT_EQ(out[0], "kept");
    EXPECT_GT(out.Count(), 4);
    EXPECT_GE(out.IndexOf("CREATE TABLE T(ID INTEGER NOT NULL);"), 0);
}

TEST(StructureFind, ByNameAndKind) {
    TDBStructure s;
    s.SetDatabaseType(dbInterBase);
    TObjs* o = s.Objs();
    TTblData* t = TCompareFixture::Table(o, "T");
    AddColumn(t, "ID", 1);
    EXPECT_EQ(o->FindTable("T"), t);
    EXPECT_EQ(o->FindTable("t"), nullptr);
    EXPECT_EQ(o->FindTableField("T", "ID"), t->Field(0));
    EXPECT_EQ(o->FindTableField("T", "NO"), nullptr);
    EXPECT_EQ(o->FindTableField("NO", "ID"), nullptr);
    EXPECT_EQ(o->FindView("T"), nullptr);
    auto* p = new TPrcData(o);
    p->SetName("P");
    o->AddObject(p, true);
    auto* in = new TFldData(o, p);
    in->SetName("A");
    p->InputParams.AddObject("A", in);
    auto* out = new TFldData(o, p);
    out->SetName("B");
    p->OutputParams.AddObject("B", out);
    EXPECT_EQ(o->FindProcedureParam("P", "A"), in);
    EXPECT_EQ(o->FindProcedureParam("P", "B"), out);
    EXPECT_EQ(o->FindProcedureParam("P", "C"), nullptr);

    auto role = [&](std::string_view name, std::uint8_t kind) {
        auto* r = new TRolData(o);
        r->SetName(name);
        r->RoleKind = kind;
        return r;
    };
    TRolData* login = role("R", 1);
    o->AddObject(login, true);
    EXPECT_EQ(o->FindRole("R"), nullptr);
    EXPECT_EQ(o->FindLogin("R"), login);
    EXPECT_EQ(o->FindUser("R"), nullptr);
    TRolData* lower = role("r", 0);
    o->AddObject(lower, true);
    EXPECT_EQ(o->FindRole("R"), nullptr);
    EXPECT_EQ(o->FindRole("r"), lower);
}

TEST(StructureLifetime, ClearFreesObjectsAndCachesTexts) {
    TDBStructure s;
    s.SetDatabaseType(dbInterBase);
    TObjs* o = s.Objs();
    o->AddObject(new TTextProc(o, "CREATE PROCEDURE P AS BEGIN END"), true);
    o->CacheObjectScripts();
    auto* p = dynamic_cast<TDbObj*>(o->Procedures().Objects(0));
    EXPECT_EQ(p->CachedSQL, "CREATE PROCEDURE P AS BEGIN END");
    EXPECT_EQ(p->CompareText, p->CachedSQL);
    TCompareFixture::Table(o, "T");
    // Packages belong to the container like every other kind (the leak check watches this one).
    auto* pkg = new TPkgData(o);
    pkg->SetName("PK");
    o->AddObject(pkg, true);
    ASSERT_EQ(o->ObjectCount(TObjsList::olPackages), 1);
    s.Clear();
    EXPECT_EQ(o->ObjectCount(TObjsList::olTables), 0);
    EXPECT_EQ(o->ObjectCount(TObjsList::olProcedures), 0);
    EXPECT_EQ(o->ObjectCount(TObjsList::olPackages), 0);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(StructureFiles, OneFilePerObject) {
    test::TTempDir dir("smxfiles");
    IBStructure f;
    f.O()->SetScriptFilesFolder(dir.Path());
    TTblData* t = f.Table("T");
    auto* p = new TTextProc(f.O(), "CREATE PROCEDURE P AS BEGIN EXIT; END");
    p->SetName("P");
    f.O()->AddObject(p, true);
    TTblData* evil = f.Table("x/../../E");
    f.Script();
    EXPECT_EQ(ReadFile(dir.File("table_T_body.sql")), t->GetCreateSQL());
    EXPECT_FALSE(std::filesystem::exists(dir.File("table_T_header.sql")));
    EXPECT_EQ(ReadFile(dir.File("procedure_P_body.sql")), "CREATE PROCEDURE P AS BEGIN EXIT; END");
    EXPECT_EQ(ReadFile(dir.File("procedure_P_header.sql")), "CREATE PROCEDURE P AS BEGIN END");
    // A name with path separators stays inside the folder.
    EXPECT_EQ(ReadFile(dir.File("table_x_.._.._E_body.sql")), evil->GetCreateSQL());
    std::size_t count = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.Path()))
        count += e.is_regular_file();
    EXPECT_EQ(count, 4u);
}

TEST(StructureFiles, UnnamedObjectIsSavedUnderItsFullName) {
    test::TTempDir dir("smxfiles");
    TDBStructure s;
    s.SetDatabaseType(dbMSSQL);
    TObjs* o = s.Objs();
    o->SetScriptFilesFolder(dir.Path());
    auto* c = new TTextConstraint(o, TDbObject::dboPKey, "ALTER TABLE dbo.T ADD PRIMARY KEY (ID)");
    c->SetParentName("dbo");
    o->AddObject(c, true);
    ASSERT_TRUE(c->GetName().empty());
    // An unnamed constraint is keyed by its ADD text.
    const std::string key = "ALTER TABLE dbo.T ADD PRIMARY KEY (ID)";
    ASSERT_EQ(c->GetFullName(), key);
    o->GetScript();
    EXPECT_EQ(ReadFile(dir.File("constraint_" + key + "_body.sql")), key);
    EXPECT_FALSE(std::filesystem::exists(dir.File("constraint_" + key + "_header.sql")));
}

TEST(StructureFiles, FailedWritesGoToTraceHookAndScriptStaysComplete) {
    test::TTempDir dir("smxfiles");
    const std::string notAFolder = dir.File("plain");
    std::ofstream(notAFolder) << "x";
    IBStructure f;
    f.Table("T");
    auto* p = new TTextProc(f.O(), "CREATE PROCEDURE P AS BEGIN EXIT; END");
    p->SetName("P");
    f.O()->AddObject(p, true);
    const auto expected = f.Script();

    std::vector<std::string> traced;
    TraceHook = [&traced](const std::string& text) { traced.push_back(text); };
    f.O()->SetScriptFilesFolder(notAFolder);
    const auto lines = f.Script();
    TraceHook = NoTrace;
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(traced.size(), 3u); // table body, procedure header and body
    for (const auto& t : traced)
        EXPECT_NE(t.find(notAFolder), std::string::npos) << t;
}

// A schema with a fixed text.
class TTextSchema : public TSchData {
public:
    using TSchData::TSchData;
    std::string GetCreateSQL() const override { return "CREATE SCHEMA " + GetName(); }
};

TEST(StructureScript, BuiltInSchemasAreNotWritten) {
    struct Row {
        TDatabaseType type;
        const char* builtIn;
        const char* alternative;
    };
    const Row rows[] = {{dbPostgreSQL, "public", ""}, {dbMSSQL, "dbo", "dbo"}};
    for (const Row& r : rows) {
        TDBStructure s;
        s.SetDatabaseType(r.type);
        TObjs* o = s.Objs();
        for (const char* name : {r.builtIn, "sales"}) {
            auto* sch = new TTextSchema(o);
            sch->SetName(name);
            if (std::string_view(name) == r.builtIn && *r.alternative) sch->OverrideName = sch->GetName();
            sch->SetDescription("d");
            o->AddObject(sch, true);
        }
        o->GetScript();
        const auto lines = Lines(o);
        int creates = 0, descriptions = 0;
        for (const auto& l : lines) {
            creates += l.rfind("CREATE SCHEMA ", 0) == 0;
            EXPECT_EQ(l.find("CREATE SCHEMA " + std::string(r.builtIn)), std::string::npos) << int(r.type);
            descriptions += l.find("COMMENT ON SCHEMA") != std::string::npos;
        }
        EXPECT_EQ(creates, 1) << int(r.type);
        // The built-in schema's description is still written.
        if (r.type == dbPostgreSQL) {
            EXPECT_EQ(descriptions, 2);
        }
    }
}

TEST(StructureScript, SybaseASEHeader) {
    TDBStructure s;
    s.SetDatabaseType(dbSybaseASE);
    TObjs* o = s.Objs();
    o->GetConnectionOptions().SetDatabaseName("pubs");
    TASEDatabaseOptions& ase = s.GetASEServerOptions().GetASEDatabaseOptions();
    ase.SetServerVersion("Adaptive Server 12.5");
    ase.SetOwner("sa");
    ase.SetOptionWord(1 << 2);
    o->GetScript();
    const auto lines = Lines(o);
    ASSERT_GE(lines.size(), 11u);
    EXPECT_EQ(lines[0], "-- Adaptive Server 12.5\r\n");
    EXPECT_EQ(lines[1], "-- Database: pubs\r\n");
    EXPECT_EQ(lines[2], "-- Owner   : sa\r\n");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "use pubs\r\ngo\r\n");
    EXPECT_EQ(lines[5], "use master\r\ngo\r\n");
    EXPECT_EQ(lines[6],
              "if exists( select 1 from master.dbo.sysdatabases where name = 'pubs')\r\n  drop database pubs"
              "\r\ngo\r\n");
    EXPECT_EQ(lines[7], "create database pubs\r\ngo\r\n");
    EXPECT_EQ(lines[8], "use pubs\r\ngo\r\n");
    EXPECT_EQ(lines[9], "exec master.dbo.sp_dboption pubs, " +
                            QuotedStr(TASEDatabaseOptions::GetOptionName(2)) + ", True\r\ngo\r\n");
    EXPECT_EQ(lines[10], "checkpoint\r\ngo\r\n");
}

// A view with a fixed text.
class TTextView : public TViwData {
public:
    TTextView(TCustomObjs* owner, std::string text) : TViwData(owner), text_(std::move(text)) {}
    std::string GetCreateSQL() const override { return text_; }

private:
    std::string text_;
};

TEST(StructureScript, RoutinesAndViewsThatReadLaterNamedOnes) {
    IBStructure f;
    TObjs* o = f.O();
    auto proc = [&](const char* name) {
        auto* p = new TTextProc(o, std::string("CREATE PROCEDURE ") + name + " AS BEGIN SUSPEND; END");
        p->SetName(name);
        o->AddObject(p, true);
        return p;
    };
    auto view = [&](const char* name) {
        auto* v = new TTextView(o, std::string("CREATE VIEW ") + name + " AS SELECT 1 FROM RDB$DATABASE");
        v->SetName(name);
        o->AddObject(v, true);
        return v;
    };
    TPrcData* a = proc("A_P");
    TPrcData* b = proc("B_P");
    TPrcData* c = proc("C_P");
    TViwData* va = view("A_V");
    TViwData* vb = view("B_V");
    TViwData* vc = view("C_V");
    AddDependency(o, a, b);   // A_P calls B_P
    AddDependency(o, va, c);  // A_V selects from C_P
    AddDependency(o, va, vb); // A_V reads B_V ...
    AddDependency(o, vb, vc); // ... which reads C_V
    const auto lines = f.Script();
    const int emptyB = IndexOf(lines, "CREATE PROCEDURE B_P AS BEGIN END\r\n^");
    const int emptyC = IndexOf(lines, "CREATE PROCEDURE C_P AS BEGIN END\r\n^");
    const int viewA = IndexOf(lines, "CREATE VIEW A_V AS SELECT 1 FROM RDB$DATABASE;");
    const int viewB = IndexOf(lines, "CREATE VIEW B_V AS SELECT 1 FROM RDB$DATABASE;");
    const int viewC = IndexOf(lines, "CREATE VIEW C_V AS SELECT 1 FROM RDB$DATABASE;");
    const int procA = IndexOf(lines, "CREATE PROCEDURE A_P AS BEGIN SUSPEND; END\r\n^");
    const int alterB = IndexOf(lines, "ALTER PROCEDURE B_P AS BEGIN SUSPEND; END\r\n^");
    const int alterC = IndexOf(lines, "ALTER PROCEDURE C_P AS BEGIN SUSPEND; END\r\n^");
    ASSERT_TRUE(emptyB >= 0 && emptyC >= 0 && viewA >= 0 && viewB >= 0 && viewC >= 0 && procA >= 0 &&
                alterB >= 0 && alterC >= 0);
    EXPECT_EQ(lines[emptyB - 1], "SET TERM ^ ;\r\n");
    EXPECT_LT(emptyB, emptyC);
    EXPECT_LT(emptyC, viewC);
    EXPECT_LT(viewC, viewB);
    EXPECT_LT(viewB, viewA);
    EXPECT_LT(viewA, procA);
    EXPECT_LT(procA, alterB);
    EXPECT_LT(alterB, alterC);
    EXPECT_EQ(IndexOf(lines, "CREATE PROCEDURE A_P AS BEGIN END\r\n^"), -1); // nobody reads A_P
    EXPECT_EQ(o->GetTerminator(), ";");

    // Without such dependencies the script keeps name order and plain CREATE texts.
    IBStructure g;
    TObjs* q = g.O();
    auto* p = new TTextProc(q, "CREATE PROCEDURE P AS BEGIN EXIT; END");
    p->SetName("P");
    q->AddObject(p, true);
    const auto plain = g.Script();
    const int open = IndexOf(plain, "SET TERM ^ ;\r\n");
    ASSERT_GE(open, 0);
    EXPECT_EQ(plain[open + 1], "CREATE PROCEDURE P AS BEGIN EXIT; END\r\n^");
    EXPECT_EQ(IndexOf(plain, "CREATE PROCEDURE P AS BEGIN END\r\n^"), -1);
}

} // namespace
} // namespace smx
