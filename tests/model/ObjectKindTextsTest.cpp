// Golden texts of the collation, default, rule, generator, exception, event, external-function,
// role, grant and package kinds: one row per kind, dialect and form the kinds write.
#include <gtest/gtest.h>

#include "tests/model/ObjectKindsTestSupport.h"

namespace smx::test {
namespace {

using enum TDatabaseType;
using V = TIBSQLServerVersionType;
using enum TDbObject;

struct Golden {
    std::string label;
    std::string actual;
    std::string expected;
};

void Check(const std::vector<Golden>& rows) {
    for (const Golden& r : rows)
        EXPECT_EQ(r.actual, r.expected) << r.label;
}

TCltData* Collation(TCustomObjs& objs, std::string name, std::string charset, std::string base) {
    auto* c = Make<TCltData>(&objs, name);
    c->CharSet = std::move(charset);
    c->BaseCollation = std::move(base);
    return c;
}

TEST(ObjectKindTexts, Collations) {
    KindObjs ib, ms(dbMSSQL);
    TCltData* ci = File(ib, Collation(ib, "C_CI", "UTF8", "UNICODE"));
    ci->CaseSensitive = false;
    TCltData* num = File(ib, Collation(ib, "C_NUM", "UTF8", "UNICODE"));
    num->CaseSensitive = false;
    num->SpecificAttributes = "NUMERIC-SORT=1";
    TCltData* ext = File(ib, Collation(ib, "C_EXT", "WIN1252", ""));
    ext->ExternalName = "PXW_INTL";
    TCltData* bare = File(ib, Collation(ib, "C_PAD", "WIN1252", ""));
    bare->PadSpace = true;
    bare->AccentSensitive = false;
    TCltData* other = File(ms, Collation(ms, "C_CI", "UTF8", "UNICODE"));
    Check({
        {"base collation", ci->GetCreateSQL(),
         "CREATE COLLATION C_CI\r\nFOR UTF8\r\nFROM UNICODE\r\nNO PAD\r\nCASE INSENSITIVE\r\nACCENT "
         "SENSITIVE\r\n"},
        {"specific attributes", num->GetCreateSQL(),
         "CREATE COLLATION C_NUM\r\nFOR UTF8\r\nFROM UNICODE\r\nNO PAD\r\nCASE INSENSITIVE\r\nACCENT "
         "SENSITIVE\r\n"
         "'NUMERIC-SORT=1'\r\n"},
        {"external", ext->GetCreateSQL(),
         "CREATE COLLATION C_EXT\r\nFOR WIN1252\r\nFROM EXTERNAL('PXW_INTL')\r\nNO PAD\r\nCASE SENSITIVE\r\n"
         "ACCENT SENSITIVE\r\n"},
        {"no FROM line", bare->GetCreateSQL(),
         "CREATE COLLATION C_PAD\r\nFOR WIN1252\r\nPAD SPACE\r\nCASE SENSITIVE\r\nACCENT INSENSITIVE\r\n"},
        {"script text is the CREATE text", ci->GetCreateScript(), ci->GetCreateSQL()},
        {"drop", ci->GetDropSQL(), "/* Drop: C_CI (TCltData) */\r\nDROP COLLATION C_CI"},
        {"other dialects write nothing", other->GetCreateSQL(), ""},
    });
}

TEST(ObjectKindTexts, DefaultsAndRules) {
    KindObjs ms(dbMSSQL), ase(dbSybaseASE), pg(dbPostgreSQL);
    auto defaultOf = [](TCustomObjs& objs, std::string expr) {
        auto* d = File(objs, Make<TDefData>(&objs, "D_ZERO"));
        d->Expression = std::move(expr);
        return d;
    };
    TDefData* msDef = defaultOf(ms, "0");
    auto* msStored = File(ms, Make<TDefData>(&ms, "D_STORED"));
    msStored->CachedSQL = "create default D_STORED as 1";
    TDefData* aseDef = defaultOf(ase, "0");
    TDefData* pgDef = defaultOf(pg, "0");

    auto ruleOf = [](TCustomObjs& objs, std::string name, std::string text) {
        auto* r = File(objs, Make<TRulData>(&objs, name));
        r->Text = std::move(text);
        return r;
    };
    TRulData* msRule = ruleOf(ms, "R_POS", "@v > 0");
    TRulData* msStoredRule = ruleOf(ms, "R_STORED", "");
    msStoredRule->CachedSQL = "create rule R_STORED as @v < 0";
    TRulData* aseRule = ruleOf(ase, "R_POS", "@v > 0");
    TRulData* pgNothing = ruleOf(pg, "r", "");
    pgNothing->Event = 1;
    pgNothing->TableSchema = "public";
    pgNothing->TableName = "t";
    pgNothing->DoWord = "INSTEAD";
    pgNothing->Nothing = true;
    TRulData* pgAction = ruleOf(pg, "r_log", "INSERT INTO log VALUES (old.id)");
    pgAction->Event = 3;
    pgAction->TableName = "t";
    pgAction->DoWord = "ALSO";
    Check({
        {"MS SQL default", msDef->GetCreateSQL(), "CREATE DEFAULT [D_ZERO] AS 0"},
        {"MS SQL default without expression", msStored->GetCreateSQL(), "create default D_STORED as 1"},
        {"ASE default", aseDef->GetCreateSQL(), "CREATE DEFAULT D_ZERO AS 0"},
        {"PostgreSQL default", pgDef->GetCreateSQL(), "CREATE DEFAULT \"D_ZERO\" AS 0"},
        {"default drop", aseDef->GetDropSQL(), "/* Drop: D_ZERO (TDefData) */\r\nDROP DEFAULT D_ZERO"},
        {"MS SQL rule", msRule->GetCreateSQL(), "CREATE RULE [R_POS] AS @v > 0"},
        {"MS SQL rule without text", msStoredRule->GetCreateSQL(), "create rule R_STORED as @v < 0"},
        {"ASE rule", aseRule->GetCreateSQL(), "CREATE RULE R_POS AS @v > 0"},
        {"ASE rule drop", aseRule->GetDropSQL(), "/* Drop: R_POS (TRulData) */\r\nDROP RULE R_POS"},
        {"PostgreSQL rule, nothing", pgNothing->GetCreateSQL(),
         "CREATE RULE r AS ON INSERT TO public.t DO INSTEAD NOTHING"},
        {"PostgreSQL rule with action", pgAction->GetCreateSQL(),
         "CREATE RULE r_log AS ON DELETE TO t DO ALSO\r\n INSERT INTO log VALUES (old.id)"},
        {"PostgreSQL rule drop", pgNothing->GetDropSQL(), "DROP RULE IF EXISTS r ON public.t"},
        {"create script", pgNothing->GetCreateScript(), pgNothing->GetCreateSQL()},
    });
}

TEST(ObjectKindTexts, GeneratorSettersKeepTheirRules) {
    KindObjs ora(dbOracle);
    auto* g = Make<TGnrData>(&ora, "S");
    EXPECT_EQ(g->GetCacheSize(), "20");
    EXPECT_TRUE(g->GetNoMaxValue());
    EXPECT_TRUE(g->Preset);
    EXPECT_NE(g->GetDataTypeColumn(), nullptr);
    g->SetMaxValue("999999999999999999999999999");
    EXPECT_EQ(g->GetMaxValue(), "");
    EXPECT_TRUE(g->GetNoMaxValue());
    g->SetMaxValue("1000");
    EXPECT_EQ(g->GetMaxValue(), "1000");
    g->SetCacheSize("0");
    EXPECT_EQ(g->GetCacheSize(), "");
    EXPECT_TRUE(g->GetNoCache());
    g->SetCacheSize("50");
    g->SetNoCache(true);
    EXPECT_EQ(g->GetCacheSize(), "");
    delete g;

    // A table column's generator has no data-type column (which would make a generator in turn).
    auto* t = Make<TTblData>(&ora, "T");
    TFldData* id = t->AddField("ID");
    ASSERT_NE(id->Generator, nullptr);
    EXPECT_EQ(id->Generator->GetOwningColumn(), id);
    EXPECT_EQ(id->Generator->GetDataTypeColumn(), nullptr);
    delete t;
}

TEST(ObjectKindTexts, GeneratorsAndSequences) {
    KindObjs ora(dbOracle), ms(dbMSSQL), pg(dbPostgreSQL), ib, ib6(dbInterBase, V::st_InterBase_6x),
        fb25(dbInterBase, V::st_Firebird_25), db2(dbDB2);
    TGnrData* oraDefault = File(ora, Make<TGnrData>(&ora, "S"));
    TGnrData* oraFull = File(ora, Make<TGnrData>(&ora, "S2"));
    oraFull->SetParentName("APP");
    oraFull->MinValue = "5";
    oraFull->SetMaxValue("1000");
    oraFull->Increment = "2";
    oraFull->SetCacheSize("0");
    oraFull->Order = true;
    oraFull->Cycle = true;
    TGnrData* oraPlain = File(ora, Make<TGnrData>(&ora, "S3"));
    oraPlain->MinValue = "1";
    oraPlain->Increment = "1";
    oraPlain->SetMaxValue("999999999999999999999999999");

    TGnrData* msSeq = File(ms, Make<TGnrData>(&ms, "S"));
    msSeq->GetDataTypeColumn()->DataType = 2;
    msSeq->StartValue = "1";
    msSeq->Increment = "5";
    msSeq->MinValue = "0";
    msSeq->SetMaxValue("100");
    msSeq->Cycle = true;
    TGnrData* msNoCache = File(ms, Make<TGnrData>(&ms, "S0"));
    msNoCache->SetCacheSize("0");

    TGnrData* pgDefault = File(pg, Make<TGnrData>(&pg, "s"));
    TGnrData* pgFull = File(pg, Make<TGnrData>(&pg, "s2"));
    pgFull->SetParentName("public");
    pgFull->Temporary = true;
    pgFull->Increment = "2";
    pgFull->MinValue = "1";
    pgFull->SetMaxValue("99");
    pgFull->StartValue = "10";
    pgFull->SetCacheSize("5");
    pgFull->Cycle = true;
    pgFull->OwnedBy = "t.id";

    TGnrData* gen = File(ib, Make<TGnrData>(&ib, "G1"));
    gen->Increment = "5"; // Firebird 3 writes it as a sequence; older servers know only the name
    TGnrData* gen6 = File(ib6, Make<TGnrData>(&ib6, "G1"));
    TGnrData* gen25 = File(fb25, Make<TGnrData>(&fb25, "G1"));
    gen25->Increment = "5";
    TGnrData* plain = File(ib, Make<TGnrData>(&ib, "G2"));
    plain->StartValue = "0";
    plain->Increment = "1";
    TGnrData* started = File(ib, Make<TGnrData>(&ib, "G3"));
    started->StartValue = "-20";
    started->Increment = "2";

    TGnrData* db2Seq = File(db2, Make<TGnrData>(&db2, "S"));
    db2Seq->StartValue = "100";
    db2Seq->Increment = "1";
    auto* db2Table = File(db2, Make<TTblData>(&db2, "T"));
    TFldData* ident = db2Table->AddField("ID");
    ident->DataType = 1;
    ident->Nullable = false;
    ident->Identity = true;
    ident->GeneratedKind = 'A';
    ident->Generator->StartValue = "10";
    ident->Generator->Increment = "2";
    Check({
        {"Oracle defaults", oraDefault->GetCreateSQL(), "CREATE SEQUENCE S\r\ncache 20"},
        {"Oracle options", oraFull->GetCreateSQL(),
         "CREATE SEQUENCE APP.S2\r\nminvalue 5\r\nmaxvalue 1000\r\nincrement by "
         "2\r\nnocache\r\norder\r\ncycle"},
        {"Oracle 1 and no maximum are not written", oraPlain->GetCreateSQL(),
         "CREATE SEQUENCE S3\r\ncache 20"},
        {"Oracle drop", oraFull->GetDropSQL(), "DROP SEQUENCE APP.S2"},
        {"MS SQL", msSeq->GetCreateSQL(),
         "CREATE SEQUENCE S\r\n    AS BIGINT\r\n    START WITH 1\r\n    INCREMENT BY 5\r\n    MINVALUE 0\r\n"
         "    MAXVALUE 100\r\n    CYCLE\r\n    CACHE 20"},
        {"MS SQL cache 0", msNoCache->GetCreateSQL(), "CREATE SEQUENCE S0\r\n    NOCACHE"},
        {"MS SQL drop", msSeq->GetDropSQL(), ""},
        {"PostgreSQL defaults", pgDefault->GetCreateSQL(), "CREATE SEQUENCE s CACHE 20"},
        {"PostgreSQL options", pgFull->GetCreateSQL(),
         "CREATE TEMPORARY SEQUENCE public.s2 INCREMENT BY 2 MINVALUE 1 MAXVALUE 99 START WITH 10 CACHE 5 "
         "CYCLE "
         "OWNED BY t.id"},
        {"PostgreSQL drop", pgFull->GetDropSQL(), "DROP SEQUENCE public.s2"},
        {"generator", gen->GetCreateSQL(), "CREATE SEQUENCE G1 INCREMENT BY 5"},
        {"generator, Firebird 2.5", gen25->GetCreateSQL(), "CREATE GENERATOR G1"},
        {"generator with the server's start and increment", plain->GetCreateSQL(), "CREATE GENERATOR G2"},
        {"sequence", started->GetCreateSQL(), "CREATE SEQUENCE G3 START WITH -20 INCREMENT BY 2"},
        {"generator drop, Firebird 3", gen->GetDropSQL(), "DROP GENERATOR G1"},
        {"generator drop, Firebird 2.5", gen25->GetDropSQL(), "DROP GENERATOR G1"},
        {"generator drop, InterBase 6", gen6->GetDropSQL(),
         "/* Drop generator: G1 */\r\nDELETE FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = 'G1'"},
        {"DB2 identity options", db2Seq->GetIdentityOptions(), "(START WITH 100, INCREMENT BY 1, CACHE 20)"},
        {"DB2 identity column", ident->GetDefinitionSQL(),
         "INTEGER NOT NULL GENERATED ALWAYS AS IDENTITY(START WITH 10, INCREMENT BY 2, CACHE 20)"},
        {"identity options elsewhere", gen->GetIdentityOptions(), ""},
    });
    // Values that are not set are left out of the DB2 options.
    ident->Generator->StartValue.clear();
    ident->Generator->Increment.clear();
    EXPECT_EQ(ident->Generator->GetIdentityOptions(), "(CACHE 20)");
    ident->Generator->SetNoCache(true);
    EXPECT_EQ(ident->Generator->GetIdentityOptions(), "");
}

TEST(ObjectKindTexts, ExceptionsAndEvents) {
    KindObjs ib, asa(dbSybaseASA);
    TExcData* e1 = File(ib, Exception(ib, "E1", "it's bad"));
    TExcData* e2 = File(ib, Exception(ib, "E2", "new msg"));

    auto* ev = File(asa, Make<TEvtData>(&asa, "EV"));
    ev->Enabled = true;
    TEvtSdlData* window = ev->AddSchedule();
    window->StartTime = "08:00";
    window->EndTime = "17:00";
    window->EveryMinutes = 30;

    auto* full = File(asa, Make<TEvtData>(&asa, "EV2", "BEGIN MESSAGE 'x'; END"));
    full->EventType = "Connect";
    full->Condition = "event_condition('IdleTime') > 60";
    full->Location = "ALL";
    TEvtSdlData* first = full->AddSchedule();
    first->Name = "nightly";
    first->StartTime = "01:00";
    first->EveryHours = 24;
    first->EveryMinutes = 5; // the first interval set wins
    TEvtSdlData* second = full->AddSchedule();
    second->Days = (1u << 0) | (1u << 14) | 0x80000000u;
    second->EverySeconds = 10;
    second->StartDate = "2024-01-01";
    Check({
        {"exception", e1->GetCreateSQL(), "CREATE EXCEPTION E1 'it''s bad'"},
        {"exception alter", e2->GetAlterSQL(), "ALTER EXCEPTION E2 'new msg'"},
        {"exception drop", e1->GetDropSQL(), "/* Drop: E1 (TExcData) */\r\nDROP EXCEPTION E1"},
        {"event with a window", ev->GetCreateSQL(),
         "CREATE EVENT EV\r\n SCHEDULE BETWEEN '08:00' AND '17:00' EVERY 30 MINUTES\r\n ENABLE"},
        {"day set with day 0", second->GetText(),
         "SCHEDULE EVERY 10 SECONDS ON(0, 1, 15) START DATE '2024-01-01'"},
        {"event with two schedules", full->GetCreateSQL(),
         "CREATE EVENT EV2\r\n TYPE Connect\r\n WHERE event_condition('IdleTime') > 60\r\n"
         " SCHEDULE nightly START TIME '01:00' EVERY 24 HOURS,\r\n"
         " SCHEDULE EVERY 10 SECONDS ON(0, 1, 15) START DATE '2024-01-01'\r\n DISABLE AT ALL\r\n"
         "HANDLER\r\nBEGIN MESSAGE 'x'; END"},
        {"event drop", ev->GetDropSQL(), "DROP EVENT EV"},
    });
}

TEST(ObjectKindTexts, ExternalFunctions) {
    KindObjs ib;
    TUdfData* f = File(ib, Udf(ib, "F_UDF", {1, 56}, 1, true, "x_entry", "ib_udf"));
    TUdfData* none = File(ib, Udf(ib, "F0", {}, 56, false, "e", "m"));
    none->GetReturnValue()->Length = 10;
    none->FreeIt = true;
    TUdfData* byArg = File(ib, Udf(ib, "F_ARG", {4, 56}, 0, false, "fn", "lib"));
    byArg->GetReturnValue()->ReturnsParameter = 2;
    Check({
        {"parameters and BY VALUE", f->GetCreateSQL(),
         "DECLARE EXTERNAL FUNCTION F_UDF\r\nINTEGER, CSTRING(20)\r\nRETURNS INTEGER BY VALUE\r\n"
         "ENTRY_POINT 'x_entry' MODULE_NAME 'ib_udf'"},
        {"no parameters, FREE_IT", none->GetCreateSQL(),
         "DECLARE EXTERNAL FUNCTION F0\r\nRETURNS CSTRING(10) FREE_IT\r\nENTRY_POINT 'e' MODULE_NAME 'm'"},
        {"returns a parameter", byArg->GetCreateSQL(),
         "DECLARE EXTERNAL FUNCTION F_ARG\r\nDOUBLE PRECISION, CSTRING(20)\r\nRETURNS PARAMETER 2\r\n"
         "ENTRY_POINT 'fn' MODULE_NAME 'lib'"},
        {"drop", f->GetDropSQL(), "/* Drop: F_UDF (TUdfData) */\r\nDROP EXTERNAL FUNCTION F_UDF"},
    });
}

TEST(ObjectKindTexts, Roles) {
    KindObjs ib, ms(dbMSSQL), ms2000(dbMSSQL), ase(dbSybaseASE);
    ms.GetMSSQLServerOptions().SetSQLServerVersion(TMSSQLServerVersionType::st_MSSQL2005);
    ase.GetConnectionOptions().SetDatabaseName("sales");
    TRolData* r1 = File(ib, Role(ib, "R1", 0, "SYSDBA"));
    TRolData* r2 = File(ib, Role(ib, "R2"));
    TRolData* msUser = File(ms, Role(ms, "BOB", 2));
    TRolData* msLoginUser = File(ms, Role(ms, "BOBBY", 2));
    msLoginUser->LoginName = "bob_login";
    TRolData* msApp = File(ms, Role(ms, "APP", 0));
    msApp->ApplicationRole = true;
    TRolData* msRole = File(ms, Role(ms, "READERS", 0));
    TRolData* guest = File(ms, Role(ms, "guest", 2));
    TRolData* guest2000 = File(ms2000, Role(ms2000, "guest", 2));
    TRolData* aseLogin = File(ase, Role(ase, "bob", 1));
    TRolData* aseUser = File(ase, Role(ase, "bob", 2));
    aseUser->LoginName = "bob";
    TRolData* aseRole = File(ase, Role(ase, "readers", 0));
    Check({
        {"InterBase role with owner", r1->GetCreateSQL(), "/* Role: R1, Owner: SYSDBA */\r\nCREATE ROLE R1"},
        {"InterBase role", r2->GetCreateSQL(), "CREATE ROLE R2"},
        {"InterBase drop", r1->GetDropSQL(), "DROP ROLE R1"},
        {"MS SQL user", msUser->GetCreateSQL(), "exec sp_addlogin @loginame = N'BOB'"},
        {"MS SQL user with login", msLoginUser->GetCreateSQL(), "exec sp_addlogin @loginame = N'bob_login'"},
        {"MS SQL application role", msApp->GetCreateSQL(), "exec sp_addapprole N'APP', N''"},
        {"MS SQL role", msRole->GetCreateSQL(), "exec sp_addrole N'READERS'"},
        {"MS SQL user drop", msUser->GetDropSQL(), "exec sp_revokedbaccess @name_in_db = N'BOB'"},
        {"MS SQL 2005 keeps guest", guest->GetDropSQL(), ""},
        {"MS SQL 2000 drops guest", guest2000->GetDropSQL(), "exec sp_revokedbaccess @name_in_db = N'GUEST'"},
        {"MS SQL application role drop", msApp->GetDropSQL(), "exec sp_dropapprole @rolename = N'APP'"},
        {"MS SQL role drop", msRole->GetDropSQL(), "exec sp_droprole @rolename = N'READERS'"},
        {"ASE login", aseLogin->GetCreateSQL(),
         "if (not exists(select name from master.dbo.syslogins where name = 'bob'))\r\n  begin\r\n    use "
         "master\r\n"
         "    exec sp_addlogin bob, 'secret'\r\n  end"},
        {"ASE login script", aseLogin->GetCreateScript(),
         "if (not exists(select name from master.dbo.syslogins where name = 'bob'))\r\n  begin\r\n    use "
         "master\r\n"
         "    exec sp_addlogin bob, 'secret'\r\n    use sales\r\n  end"},
        {"ASE user", aseUser->GetCreateScript(),
         "if (not exists(select name from dbo.sysusers where name = 'bob'))\r\n  exec sp_adduser bob, bob"},
        {"ASE role script", aseRole->GetCreateScript(),
         "if (not exists(select name from master.dbo.syssrvroles where name = 'readers'))\r\n  begin\r\n"
         "    use master\r\n    create role readers\r\n    use sales\r\n  end"},
        {"InterBase script", r2->GetCreateScript(), "CREATE ROLE R2"},
    });
    // A role, a login and a user of one name are three entries.
    KindObjs three;
    File(three, Role(three, "X", 0));
    File(three, Role(three, "X", 1));
    File(three, Role(three, "X", 2));
    ASSERT_EQ(three.Roles().Count(), 3);
    EXPECT_EQ(three.Roles()[0], "Login: X");
    EXPECT_EQ(three.Roles()[1], "Role: X");
    EXPECT_EQ(three.Roles()[2], "User: X");
}

TEST(ObjectKindTexts, InterBaseGrants) {
    using namespace priv;
    KindObjs ib, ase(dbSybaseASE);
    TGntData* withOption = File(ib, Grant(ib, Select | Update, "T", dboTable, "U", dboUser, 1));
    TGntData* all = File(ib, Grant(ib, Insert | Update | Delete | Select | References, "T", dboTable, "U2"));
    TGntData* aseAll =
        File(ase, Grant(ase, Insert | Update | Delete | Select | References, "T", dboTable, "U2"));
    TGntData* exec = File(ib, Grant(ib, Execute, "P", dboProcedure, "Q", dboProcedure));
    TGntData* cols = File(ib, Grant(ib, Update, "T", dboTable, "U3"));
    cols->Columns.Add("ID");
    cols->Columns.Add("NAME");
    TGntData* toRole = File(ib, Grant(ib, Select, "T", dboTable, "R1", dboRole));
    TGntData* toView = File(ib, Grant(ib, Select, "T", dboTable, "V", dboView));
    TGntData* toTrigger = File(ib, Grant(ib, Select, "T", dboTable, "TRG", dboTrigger));
    TGntData* onSequence = File(ib, Grant(ib, Usage, "G1", dboGenerator, "U1"));
    TGntData* onException = File(ib, Grant(ib, Usage, "E1", dboException, "U1"));
    TGntData* onPackage = File(ib, Grant(ib, Execute, "PK1", dboPackage, "U1"));
    TGntData* onFunction = File(ib, Grant(ib, Execute, "F", dboFunction, "P", dboPackage));
    TGntData* onView = File(ib, Grant(ib, Select, "V", dboView, "U1"));
    TGntData* member = File(ib, Membership(ib, "R2", "U2", 2));
    TGntData* plainMember = File(ib, Membership(ib, "R_READ", "U3"));
    TGntData* reserved = File(ib, Grant(ib, Select, "ORDER", dboTable, "U"));
    TGntData* ddl =
        Grant(ib, (1ull << GrantBitAlterAny) | (1ull << GrantBitDropAny), "", dboUnknown, "U4", dboUser, 1);
    ddl->MetadataClass = "DATABASE";
    File(ib, ddl);
    Check({
        {"grant option", withOption->GetCreateSQL(), "GRANT SELECT, UPDATE ON T TO U WITH GRANT OPTION"},
        {"grant option revoke", withOption->GetDropSQL(),
         "REVOKE GRANT OPTION FOR SELECT, UPDATE ON T FROM U"},
        {"whole revoke", withOption->RevokeText(3, false), "REVOKE SELECT, UPDATE ON T FROM U"},
        {"full table set", all->GetCreateSQL(), "GRANT ALL ON T TO U2"},
        {"full table set on ASE", aseAll->GetCreateSQL(),
         "GRANT DELETE, INSERT, SELECT, UPDATE, REFERENCES ON T TO U2"},
        {"procedure to procedure", exec->GetCreateSQL(), "GRANT EXECUTE ON PROCEDURE P TO PROCEDURE Q"},
        {"columns", cols->GetCreateSQL(), "GRANT UPDATE (ID, NAME) ON T TO U3"},
        {"to role", toRole->GetCreateSQL(), "GRANT SELECT ON T TO ROLE R1"},
        {"to view", toView->GetCreateSQL(), "GRANT SELECT ON T TO VIEW V"},
        {"to trigger", toTrigger->GetCreateSQL(), "GRANT SELECT ON T TO TRIGGER TRG"},
        {"to trigger revoke", toTrigger->GetDropSQL(), "REVOKE SELECT ON T FROM TRIGGER TRG"},
        {"on sequence", onSequence->GetCreateSQL(), "GRANT USAGE ON SEQUENCE G1 TO U1"},
        {"on exception", onException->GetCreateSQL(), "GRANT USAGE ON EXCEPTION E1 TO U1"},
        {"on package", onPackage->GetCreateSQL(), "GRANT EXECUTE ON PACKAGE PK1 TO U1"},
        {"function to package", onFunction->GetCreateSQL(), "GRANT EXECUTE ON FUNCTION F TO PACKAGE P"},
        {"on view: no object word", onView->GetCreateSQL(), "GRANT SELECT ON V TO U1"},
        {"on view revoke", onView->GetDropSQL(), "REVOKE SELECT ON V FROM U1"},
        {"membership, option 2", member->GetCreateSQL(), "GRANT R2 TO U2 WITH ADMIN OPTION"},
        {"membership revoke", member->GetDropSQL(), "REVOKE ADMIN OPTION FOR R2 FROM U2"},
        {"membership revoke without option", plainMember->GetDropSQL(), "REVOKE R_READ FROM U3"},
        {"reserved word at dialect 3", reserved->GetCreateSQL(), "GRANT SELECT ON \"ORDER\" TO U"},
        {"key at dialect 1", reserved->GetFullName(), "GRANT SELECT ON ORDER TO U"},
        {"DDL rights (no ANY for the database)", ddl->GetCreateSQL(),
         "GRANT ALTER, DROP DATABASE TO U4 WITH GRANT OPTION"},
        {"DDL rights revoke", ddl->GetDropSQL(), "REVOKE GRANT OPTION FOR ALTER, DROP DATABASE FROM U4"},
        {"whole DDL revoke", ddl->RevokeText(3, false), "REVOKE ALTER, DROP DATABASE FROM U4"},
    });
    EXPECT_TRUE(ddl->IsWritable());
    KindObjs fb25(dbInterBase, V::st_Firebird_25);
    TGntData* old = File(fb25, Grant(fb25, 1ull << GrantBitCreate, "", dboUnknown, "U4"));
    old->MetadataClass = "TABLE";
    EXPECT_FALSE(old->IsWritable()) << "DDL rights come with Firebird 3";
    // The same grant on V read from the database (object type 0, a table) pairs with the view grant.
    TGntData* asTable = Grant(ib, Select, "V", dboTable, "U1");
    EXPECT_EQ(asTable->GetFullName(), onView->GetFullName());
    delete asTable;
}

TEST(ObjectKindTexts, OtherDialectGrants) {
    using namespace priv;
    KindObjs ora(dbOracle), ms(dbMSSQL), ase(dbSybaseASE);
    constexpr std::uint64_t CreateSession = 1ull << 11, CreateTable = 1ull << 19, CreateDatabase = 1ull << 25;
    TGntData* oraWhole = File(ora, Grant(ora, 0, "", dboUnknown, "U"));
    oraWhole->StatementText = "CREATE ANY TABLE TO U";
    TGntData* oraRole = File(ora, Grant(ora, 0, "R1", dboRole, "U"));
    TGntData* oraPriv = File(ora, Grant(ora, Select | Delete | Execute, "T", dboTable, "U"));
    TGntData* oraSystem = File(ora, Grant(ora, CreateTable | CreateSession, "", dboUnknown, "U"));
    TGntData* msWhole = File(ms, Grant(ms, 0, "", dboUnknown, "U"));
    msWhole->StatementText = "GRANT SHOWPLAN TO U";
    TGntData* msConnect = File(ms, Grant(ms, Connect, "DB1", dboDatabase, "U"));
    TGntData* msStatement =
        File(ms, Grant(ms, CreateDatabase | CreateTable, "", dboUnknown, "U", dboUser, 1));
    TGntData* msMember = File(ms, Membership(ms, "R", "U", 1));
    TGntData* msPriv = File(ms, Grant(ms, Select, "T", dboTable, "U", dboUser, 1));
    TGntData* aseMember = File(ase, Membership(ase, "R", "U"));
    Check({
        {"Oracle whole text", oraWhole->GetCreateSQL(), "GRANT CREATE ANY TABLE TO U"},
        {"Oracle role", oraRole->GetCreateSQL(), "GRANT R1 TO U"},
        {"Oracle privileges", oraPriv->GetCreateSQL(), "GRANT DELETE, SELECT, EXECUTE ON T TO U"},
        {"Oracle privileges revoke", oraPriv->GetDropSQL(), "REVOKE DELETE, SELECT, EXECUTE ON T FROM U"},
        {"Oracle system privileges", oraSystem->GetCreateSQL(), "GRANT CREATE SESSION, CREATE TABLE TO U"},
        {"MS SQL whole text", msWhole->GetCreateSQL(), "GRANT SHOWPLAN TO U"},
        {"MS SQL CONNECT", msConnect->GetCreateSQL(), "GRANT CONNECT TO DB1 AS U"},
        {"MS SQL statement permissions", msStatement->GetCreateSQL(),
         "GRANT CREATE DATABASE, CREATE TABLE TO U WITH GRANT OPTION"},
        {"MS SQL statement revoke", msStatement->GetDropSQL(), "REVOKE CREATE DATABASE, CREATE TABLE FROM U"},
        {"MS SQL membership", msMember->GetCreateSQL(), "GRANT R TO U WITH ADMIN OPTION"},
        {"MS SQL privileges", msPriv->GetCreateSQL(), "GRANT SELECT ON T TO U WITH GRANT OPTION"},
        {"MS SQL revoke", msPriv->GetDropSQL(), "REVOKE GRANT OPTION FOR SELECT ON T FROM U"},
        {"ASE membership", aseMember->GetCreateSQL(), "GRANT ROLE R TO U"},
        {"ASE membership revoke", aseMember->GetDropSQL(), "REVOKE ROLE R FROM U"},
    });
    // Oracle's text shows neither option nor columns; the keys still tell the grants apart.
    TGntData* oraOption = Grant(ora, Select | Delete | Execute, "T", dboTable, "U", dboUser, 1);
    EXPECT_EQ(oraOption->GetCreateSQL(), oraPriv->GetCreateSQL());
    EXPECT_NE(oraOption->GetFullName(), oraPriv->GetFullName());
    EXPECT_GE(ora.AddObject(oraOption, true), 0);
}

TEST(ObjectKindTexts, Packages) {
    KindObjs fb30, fb40(dbInterBase, V::st_Firebird_40), fb25(dbInterBase, V::st_Firebird_25), ora(dbOracle);
    const std::string header = "BEGIN\r\n  FUNCTION F RETURNS INTEGER;\r\nEND";
    const std::string body = "BEGIN\r\n  FUNCTION F RETURNS INTEGER AS BEGIN RETURN 1; END\r\nEND";
    TPkgData* pk = File(fb30, Package(fb30, "PK1", header, body));
    TPkgData* pk40 = File(fb40, Package(fb40, "PK1", header, body));
    TPkgData* pk25 = File(fb25, Package(fb25, "PK1", header, body));
    TPkgData* headerOnly = File(fb30, Package(fb30, "PK2", header, ""));
    TPkgData* reserved = File(fb30, Package(fb30, "ORDER", header, ""));
    TPkgData* oraPk = File(ora, Package(ora, "PK1", "AS\r\n  FUNCTION F RETURN NUMBER;\r\nEND;",
                                        "AS\r\n  FUNCTION F RETURN NUMBER IS BEGIN RETURN 1; END;\r\nEND;"));
    const std::string fbHeader = "CREATE OR ALTER PACKAGE PK1\r\n    AS\r\n" + header;
    const std::string fbBody = "RECREATE PACKAGE BODY PK1\r\n    AS\r\n" + body;
    Check({
        {"Firebird 3 header", pk->GetHeaderText(), fbHeader},
        {"Firebird 3 body", pk->GetBodyText(), fbBody},
        {"Firebird 3 create", pk->GetCreateSQL(), fbHeader + "\r\n^\r\n\r\n" + fbBody},
        {"Firebird 4 create", pk40->GetCreateSQL(), fbHeader + "\r\n^\r\n\r\n" + fbBody},
        {"Firebird 2.5: a comment only", pk25->GetCreateSQL(),
         "/* Package PK1 needs Firebird 3.0 or later */"},
        {"Firebird 2.5 body", pk25->GetBodyText(), ""},
        {"without body", headerOnly->GetCreateSQL(), "CREATE OR ALTER PACKAGE PK2\r\n    AS\r\n" + header},
        {"reserved name", reserved->GetHeaderText(),
         "CREATE OR ALTER PACKAGE \"ORDER\"\r\n    AS\r\n" + header},
        {"drop", pk->GetDropSQL(), "DROP PACKAGE PK1"},
        {"reserved name drop", reserved->GetDropSQL(), "DROP PACKAGE \"ORDER\""},
        {"Oracle", oraPk->GetCreateSQL(),
         "CREATE OR REPLACE PACKAGE PK1\r\nAS\r\n  FUNCTION F RETURN NUMBER;\r\nEND;\r\n/\r\n\r\n"
         "CREATE OR REPLACE PACKAGE BODY PK1\r\nAS\r\n  FUNCTION F RETURN NUMBER IS BEGIN RETURN 1; "
         "END;\r\nEND;"},
    });
    EXPECT_FALSE(pk25->IsSupported());
    EXPECT_TRUE(pk->IsSupported());
    EXPECT_TRUE(oraPk->IsSupported());
}

} // namespace
} // namespace smx::test
