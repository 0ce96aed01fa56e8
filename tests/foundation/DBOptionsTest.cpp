// Option classes: constructed values against SetDefaults, deep copies, and the exact texts of the
// script-header builders, the database summary comment and the MySQL table-option clause.
#include <gtest/gtest.h>

#include "foundation/smxDBOptions.h"

namespace smx {
namespace {

using enum TIBSQLServerVersionType;

TEST(ConnectionOptions, ConstructedTcpResetLocal) {
    TConnectionOptions o;
    EXPECT_EQ(o.GetProtocol(), TSMXProtocol::ptTCP);
    o.SetDatabaseName("d");
    o.SetUserName("u");
    o.SetPassword("p");
    o.SetRoleName("r");
    o.SetServerName("s");
    o.SetProviderName("v");
    o.SetExtraParams("x");
    o.SetHostName("h");
    o.SetConnectionString("c");
    o.SetClientLibrary("l");
    o.SetPort(3050);
    o.SetUseWindowsAuthentication(true);
    o.SetDefaults();
    EXPECT_EQ(o.GetProtocol(), TSMXProtocol::ptLocal);
    // A reset object differs from its stored default and so would be streamed.
    EXPECT_NE(o.GetProtocol(), TConnectionOptions::DefaultProtocol);
    EXPECT_EQ(o.GetPort(), 0);
    EXPECT_FALSE(o.GetUseWindowsAuthentication());
    for (const std::string* s : {&o.GetDatabaseName(), &o.GetUserName(), &o.GetPassword(), &o.GetRoleName(),
                                 &o.GetServerName(), &o.GetProviderName(), &o.GetExtraParams(),
                                 &o.GetHostName(), &o.GetConnectionString(), &o.GetClientLibrary()})
        EXPECT_TRUE(s->empty());
}

TEST(IBCompareOptions, SetDefaultsKeepsThreeSwitches) {
    TIBCompareOptions o;
    const TIBCompareOptions fresh;
    o.SetDbCharsetCompare(!o.GetDbCharsetCompare());
    o.SetFldCharsetCompare(!o.GetFldCharsetCompare());
    o.SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
    o.SetModifySystemTables(!o.GetModifySystemTables());
    o.SetGenerateCOMMIT(!o.GetGenerateCOMMIT());
    o.SetUseRECONNECT(!o.GetUseRECONNECT());
    o.SetAllowDataTypeConversion(!o.GetAllowDataTypeConversion());
    o.SetUpdateFieldPosition(!o.GetUpdateFieldPosition());
    o.SetExtractOnlyComparedObjects(!o.GetExtractOnlyComparedObjects());
    o.SetIgnoreIBEObjects(!o.GetIgnoreIBEObjects());
    o.SetDefaults();
    EXPECT_TRUE(o.GetModifySystemTables());
    EXPECT_TRUE(o.GetGenerateCOMMIT());
    EXPECT_TRUE(o.GetAllowDataTypeConversion());
    EXPECT_EQ(o.GetDbCharsetCompare(), fresh.GetDbCharsetCompare());
    EXPECT_EQ(o.GetFldCharsetCompare(), fresh.GetFldCharsetCompare());
    EXPECT_EQ(o.GetUpdateDescriptionMode(), TUpdateDescriptionType::udSysTables);
    EXPECT_TRUE(o.GetUseRECONNECT());
    EXPECT_TRUE(o.GetUpdateFieldPosition());
    EXPECT_TRUE(o.GetExtractOnlyComparedObjects());
    EXPECT_TRUE(o.GetIgnoreIBEObjects());
}

TEST(ServerOptions, SetDefaultsLeavesVersionAndCompatibility) {
    TIBServerOptions ib;
    EXPECT_EQ(ib.GetSQLServerVersion(), st_Firebird_25);
    EXPECT_EQ(ib.GetSQLDialect(), 3);
    ib.SetSQLServerVersion(st_Firebird_30);
    ib.SetSQLDialect(1);
    ib.SetDBCharSet("utf8");
    ib.GetIBDatabaseOptions().SetPageSize(8192);
    ib.SetDefaults();
    EXPECT_EQ(ib.GetSQLServerVersion(), st_Firebird_30);
    EXPECT_EQ(ib.GetSQLDialect(), 3);
    EXPECT_EQ(ib.GetDBCharSet(), "");
    EXPECT_EQ(ib.GetIBDatabaseOptions().GetPageSize(), 0);

    TMSSQLServerOptions ms;
    ms.SetSQLServerVersion(TMSSQLServerVersionType::st_MSSQL2019);
    ms.GetMSSQLCompareOptions().SetUpdateColumnPosition(true);
    ms.GetMSSQLCompareOptions().SetIgnoreSysName(false);
    ms.GetMSSQLDatabaseOptions().SetCompatibilityLevel(150);
    ms.GetMSSQLDatabaseOptions().SetAnsiNulls(true);
    ms.SetDefaults();
    EXPECT_EQ(ms.GetSQLServerVersion(), TMSSQLServerVersionType::st_MSSQL2000);
    EXPECT_TRUE(ms.GetMSSQLCompareOptions().GetUpdateColumnPosition());
    EXPECT_TRUE(ms.GetMSSQLCompareOptions().GetIgnoreSysName());
    EXPECT_EQ(ms.GetMSSQLDatabaseOptions().GetCompatibilityLevel(), 150);
    EXPECT_FALSE(ms.GetMSSQLDatabaseOptions().GetAnsiNulls());

    TASAServerOptions asa;
    EXPECT_TRUE(asa.GetASADatabaseOptions().GetQuotedIdentifier());
    EXPECT_TRUE(asa.GetASADatabaseOptions().GetAllowNullsByDefault());
    asa.SetSQLServerVersion(TASAServerVersionType::st_ASA5);
    asa.GetASADatabaseOptions().SetQuotedIdentifier(false);
    asa.GetASADatabaseOptions().SetAllowNullsByDefault(false);
    asa.GetASADatabaseOptions().SetPageSize(4096);
    asa.SetDefaults();
    EXPECT_EQ(asa.GetSQLServerVersion(), TASAServerVersionType::st_ASA9);
    EXPECT_TRUE(asa.GetASADatabaseOptions().GetQuotedIdentifier());
    EXPECT_TRUE(asa.GetASADatabaseOptions().GetAllowNullsByDefault());
    EXPECT_EQ(asa.GetASADatabaseOptions().GetPageSize(), 0);
}

TEST(ServerOptions, ConstructedVersions) {
    EXPECT_EQ(TMySQLServerOptions().GetSQLServerVersion(), TMySQLServerVersionType::st_MySQL_5x);
    EXPECT_TRUE(TMySQLServerOptions().GetMySQLCompareOptions().GetCaseSensitiveIdentifiers());
    EXPECT_EQ(TOracleServerOptions().GetSQLServerVersion(), TOracleServerVersionType::st_Oracle_10x);
    EXPECT_EQ(TPGSQLServerOptions().GetSQLServerVersion(), TPGSQLServerVersionType::st_PostgreSQL_8x);
    EXPECT_EQ(TDB2ServerOptions().GetSQLServerVersion(), TDB2ServerVersionType::st_DB2_8x);
    EXPECT_EQ(TASEServerOptions().GetSQLServerVersion(), TASEServerVersionType::st_ASE12);
    EXPECT_TRUE(TASEServerOptions().GetASECompareOptions().GetCompareDBOptions());
    const TScriptOptions so;
    EXPECT_TRUE(so.GetGenerateScript() && so.GetConnect() && so.GetSQLDialect() && so.GetDBCharSet());
    EXPECT_FALSE(so.GetLocalSQL());
}

TEST(ServerOptions, CopyIsDeep) {
    TIBServerOptions a;
    a.GetIBCompareOptions().SetGenerateCOMMIT(false);
    TIBServerOptions b;
    b = a;
    b.GetIBCompareOptions().SetGenerateCOMMIT(true);
    b.GetIBDatabaseOptions().SetODSMajorVersion(12);
    EXPECT_FALSE(a.GetIBCompareOptions().GetGenerateCOMMIT());
    EXPECT_EQ(a.GetIBDatabaseOptions().GetODSMajorVersion(), 0);

    TMSSQLServerOptions m1, m2;
    m2 = m1;
    m2.GetMSSQLCompareOptions().SetIgnoreFileGroup(true);
    EXPECT_FALSE(m1.GetMSSQLCompareOptions().GetIgnoreFileGroup());
}

TEST(ServerOptions, EngineTakesSiblingOptions) {
    TIBSQLExecOptions src;
    src.SetSQLServerVersion(st_Firebird_40);
    src.SetSQLDialect(1);
    src.SetDBCharSet("win1252");
    src.GetIBCompareOptions().SetGenerateCOMMIT(true);
    TIBDatabaseOptions& f = src.GetIBDatabaseOptions();
    f.SetServerVersion("WI-V3.0.11 Firebird 3.0");
    f.SetServerImplementation("Firebird/Linux");
    f.SetODSMajorVersion(12);
    f.SetODSMinorVersion(1);
    f.SetPageSize(16384);
    f.SetForcedWrites(true);
    f.SetSweepInterval(20000);
    f.SetReadOnly(true);
    f.SetNumBuffers(2048);
    f.SetImplementationNo(2);
    f.SetImplementationClass(1);
    f.SetSQLDialect(3);

    TIBEngineOptions e;
    e.Assign(src);
    EXPECT_EQ(e.GetSQLServerVersion(), st_Firebird_40);
    EXPECT_EQ(e.GetSQLDialect(), 1);
    EXPECT_EQ(e.GetDBCharSet(), "WIN1252");
    EXPECT_TRUE(e.GetIBCompareOptions().GetGenerateCOMMIT());
    const TIBDatabaseOptions& g = e.GetIBDatabaseOptions();
    EXPECT_EQ(g.GetServerVersion(), "WI-V3.0.11 Firebird 3.0");
    EXPECT_EQ(g.GetServerImplementation(), "Firebird/Linux");
    EXPECT_EQ(g.GetODSMajorVersion(), 12);
    EXPECT_EQ(g.GetODSMinorVersion(), 1);
    EXPECT_EQ(g.GetPageSize(), 16384);
    EXPECT_TRUE(g.GetForcedWrites());
    EXPECT_EQ(g.GetSweepInterval(), 20000);
    EXPECT_TRUE(g.GetReadOnly());
    EXPECT_EQ(g.GetNumBuffers(), 2048);
    EXPECT_EQ(g.GetImplementationNo(), 2);
    EXPECT_EQ(g.GetImplementationClass(), 1);
    EXPECT_EQ(g.GetSQLDialect(), 3);
    EXPECT_EQ(e.ClassName(), "TIBEngineOptions");
}

TEST(IBHeaderTexts, SetNames) {
    TIBServerOptions o;
    o.SetDBCharSet("win1252");
    EXPECT_EQ(o.GetDBCharSet(), "WIN1252");
    EXPECT_EQ(o.GetSetNamesSQL(), "SET NAMES WIN1252");
    o.SetDBCharSet("none");
    EXPECT_EQ(o.GetSetNamesSQL(), "");
    o.SetDBCharSet("");
    EXPECT_EQ(o.GetSetNamesSQL(), "");
}

TEST(IBHeaderTexts, SetSQLDialect) {
    TIBServerOptions o;
    for (auto [dialect, text] : {std::pair{3, "SET SQL DIALECT 3"}, {2, ""}, {1, ""}}) {
        o.SetSQLDialect(dialect);
        EXPECT_EQ(o.GetSetSQLDialectSQL(), text) << dialect;
    }
}

TEST(IBHeaderTexts, Connect) {
    struct Row {
        const char *db, *user, *pass, *role, *expected;
    };
    const Row rows[] = {
        {"/data/t.fdb", "SYSDBA", "mast'er", "R",
         "CONNECT '/data/t.fdb' USER 'SYSDBA' PASSWORD 'mast''er' ROLE 'R'"},
        {"d", "", "p", "", "CONNECT 'd' PASSWORD 'p'"},
        {"d", "", "", "", "CONNECT 'd'"},
        {"", "SYSDBA", "p", "R", ""},
    };
    const TIBServerOptions o;
    for (const Row& r : rows) {
        TConnectionOptions c;
        c.SetDatabaseName(r.db);
        c.SetUserName(r.user);
        c.SetPassword(r.pass);
        c.SetRoleName(r.role);
        EXPECT_EQ(o.GetConnectSQL(c), r.expected);
    }
}

TEST(IBHeaderTexts, IsODS10OrLater) {
    struct Row {
        int ods;
        TIBSQLServerVersionType version;
        bool expected;
    };
    const Row rows[] = {{11, st_InterBase_5x, true},
                        {9, st_Firebird_25, true},
                        {0, st_InterBase_5x, false},
                        {0, st_InterBase_6x, true},
                        {9, st_InterBase_4x, false}};
    for (const Row& r : rows) {
        TIBServerOptions o;
        o.SetSQLServerVersion(r.version);
        o.GetIBDatabaseOptions().SetODSMajorVersion(r.ods);
        EXPECT_EQ(o.IsODS10OrLater(), r.expected) << r.ods << " " << static_cast<int>(r.version);
    }
}

TEST(VersionNames, Table) {
    using enum TDatabaseType;
    struct Row {
        TDatabaseType db;
        int index;
        const char* expected;
    };
    const Row rows[] = {
        {dbInterBase, 0, "InterBase 4.x"},
        {dbInterBase, 11, "FireBird 3.0"},
        {dbInterBase, 13, "InterBase 2020"},
        {dbInterBase, 14, ""},
        {dbMySQL, 0, "My SQL 3.x"},
        {dbMySQL, 4, "MariaDB 10.x"},
        {dbOracle, 6, "Oracle 18.x"},
        {dbOracle, 8, "Oracle 21.x"},
        {dbOracle, 9, ""},
        {dbMSSQL, 7, "MS SQL 2019"},
        {dbPostgreSQL, 7, "PostgreSQL 14.x"},
        {dbSybaseASA, 4, "ASA 9"},
        {dbDB2, 3, "DB2 11.x"},
        {dbDB2, -1, ""},
        {dbMSAccess, 0, ""},
        {dbSybaseASE, 0, "ASE 12"},
        {dbSybaseASE, 1, ""},
        {dbAbstract, 0, ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(GetServerVersionName(r.db, r.index), r.expected)
            << static_cast<int>(r.db) << "/" << r.index;
}

TEST(VersionNames, ASEOptionNames) {
    EXPECT_EQ(TASEDatabaseOptions::GetOptionName(0), "abort tran on log full");
    EXPECT_EQ(TASEDatabaseOptions::GetOptionName(11), "select into/bulkcopy/pllsort");
    EXPECT_EQ(TASEDatabaseOptions::GetOptionName(14), "unique auto_identity index");
    EXPECT_EQ(TASEDatabaseOptions::GetOptionName(15), "");
    EXPECT_EQ(TASEDatabaseOptions::GetOptionName(-1), "");
}

TIBServerOptions FactsOptions() {
    TIBServerOptions o;
    TIBDatabaseOptions& f = o.GetIBDatabaseOptions();
    f.SetServerVersion("WI-V3.0.11 Firebird 3.0");
    f.SetODSMajorVersion(12);
    f.SetODSMinorVersion(0);
    f.SetSQLDialect(3);
    f.SetForcedWrites(true);
    f.SetSweepInterval(20000);
    f.SetPageSize(8192);
    f.SetNumBuffers(2048);
    f.SetReadOnly(false);
    return o;
}

TEST(DatabaseInfoText, FullSummary) {
    EXPECT_EQ(FactsOptions().GetDatabaseInfoText(),
              "/* Server version: WI-V3.0.11 Firebird 3.0 \r\n"
              "   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.\r\n"
              "   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */");
}

TEST(DatabaseInfoText, EmptyAndPartial) {
    EXPECT_EQ(TIBServerOptions().GetDatabaseInfoText(), "");
    TIBServerOptions o;
    o.GetIBDatabaseOptions().SetServerVersion("LI-V3.0");
    EXPECT_EQ(o.GetDatabaseInfoText(), "/* Server version: LI-V3.0 \r\n*/");
}

TEST(DatabaseInfoText, LargeCacheDoesNotOverflow) {
    TIBServerOptions o = FactsOptions();
    o.GetIBDatabaseOptions().SetNumBuffers(300000);
    o.GetIBDatabaseOptions().SetPageSize(16384);
    EXPECT_NE(o.GetDatabaseInfoText().find("Cache pages: 300000 (4800000 Kb)"), std::string::npos);
    o.GetIBDatabaseOptions().SetNumBuffers(131072);
    EXPECT_NE(o.GetDatabaseInfoText().find("(2097152 Kb)"), std::string::npos);
    // The comment truncates where the connection's information text rounds: 3 x 1000 bytes.
    o.GetIBDatabaseOptions().SetNumBuffers(3);
    o.GetIBDatabaseOptions().SetPageSize(1000);
    EXPECT_NE(o.GetDatabaseInfoText().find("Cache pages: 3 (2 Kb)"), std::string::npos);
}

TEST(MySQLTableOptions, Clause) {
    TMySQLTableOptions t;
    EXPECT_EQ(t.GetSQLText(), "");
    t.SetEngine("InnoDB");
    t.SetCharSet("utf8");
    t.SetAvgRowLength(-5);
    t.SetChecksum(0);
    t.SetComment("x");
    t.SetRowFormat("DYNAMIC");
    EXPECT_EQ(t.GetSQLText(), "\r\nENGINE=InnoDB\r\nAVG_ROW_LENGTH=-5\r\nDEFAULT "
                              "CHARSET=utf8\r\nCOMMENT='x'\r\nROW_FORMAT=DYNAMIC");
}

TEST(MySQLTableOptions, EveryOptionInOrder) {
    TMySQLTableOptions t;
    t.SetEngine("MyISAM");
    t.SetAvgRowLength(10);
    t.SetCharSet("latin1");
    t.SetChecksum(1);
    t.SetCollation("latin1_bin");
    t.SetComment("c");
    t.SetConnection("mysql://h/db/t");
    t.SetDataDirectory("/d");
    t.SetDelayKeyWrite(1);
    t.SetIndexDirectory("/i");
    t.SetInsertMethod("LAST");
    t.SetKeyBlockSize(8);
    t.SetMaxRows(5000000000);
    t.SetMinRows(1);
    t.SetPackKeys("DEFAULT");
    t.SetPassword("pw");
    t.SetRowFormat("FIXED");
    t.SetTableType("ignored");
    t.SetAutoIncrement(7);
    EXPECT_EQ(t.GetSQLText(),
              "\r\nENGINE=MyISAM\r\nAVG_ROW_LENGTH=10\r\nDEFAULT CHARSET=latin1\r\nCHECKSUM=1"
              "\r\nDEFAULT COLLATE=latin1_bin\r\nCOMMENT='c'\r\nCONNECTION='mysql://h/db/t'"
              "\r\nDATA DIRECTORY='/d'\r\nDELAY_KEY_WRITE=1\r\nINDEX DIRECTORY='/i'"
              "\r\nINSERT_METHOD=LAST\r\nKEY_BLOCK_SIZE=8\r\nMAX_ROWS=5000000000\r\nMIN_ROWS=1"
              "\r\nPACK_KEYS=DEFAULT\r\nPASSWORD='pw'\r\nROW_FORMAT=FIXED");
}

TEST(MySQLTableOptions, QuotedValuesUseMySQLEscapes) {
    TMySQLTableOptions t;
    t.SetComment("C:\\data");
    EXPECT_EQ(t.GetSQLText(), "\r\nCOMMENT='C:\\\\data'");
    TMySQLTableOptions u;
    u.SetDataDirectory("it's");
    u.SetPassword("a\\b");
    EXPECT_EQ(u.GetSQLText(), "\r\nDATA DIRECTORY='it\\'s'\r\nPASSWORD='a\\\\b'");
    TMySQLTableOptions v;
    v.SetCharSet("utf8mb4");
    EXPECT_EQ(v.GetCharSet(), "utf8mb4");
}

TEST(Converters, OnOffTrueFalse) {
    EXPECT_EQ(BoolToOnOff(true), "On");
    EXPECT_EQ(BoolToOnOff(false), "Off");
    EXPECT_EQ(BoolToTrueFalse(true), "True");
    EXPECT_EQ(BoolToTrueFalse(false), "False");
}

} // namespace
} // namespace smx

namespace smx {
namespace {

TEST(ConstructedValues, CompareOptionsFollowTheTables) {
    const TIBCompareOptions ib;
    EXPECT_FALSE(ib.GetDbCharsetCompare() || ib.GetFldCharsetCompare() || ib.GetModifySystemTables() ||
                 ib.GetGenerateCOMMIT() || ib.GetAllowDataTypeConversion());
    EXPECT_EQ(ib.GetUpdateDescriptionMode(), TUpdateDescriptionType::udSysTables);
    EXPECT_TRUE(ib.GetUseRECONNECT() && ib.GetUpdateFieldPosition() && ib.GetExtractOnlyComparedObjects() &&
                ib.GetIgnoreIBEObjects());
    const TMSSQLCompareOptions ms;
    EXPECT_FALSE(ms.GetIgnoreFileGroup() || ms.GetCaseSensitiveIdentifiers() || ms.GetUpdateColumnPosition());
    EXPECT_TRUE(ms.GetIgnoreSysName());
    const TASECompareOptions ase;
    EXPECT_FALSE(ase.GetIgnoreFileGroup() || ase.GetCaseSensitiveIdentifiers());
    EXPECT_TRUE(ase.GetIgnoreSysName() && ase.GetCompareDBOptions());
    EXPECT_FALSE(TASACompareOptions().GetCaseSensitiveIdentifiers());
}

TEST(ConstructedValues, ServerSetDefaultsResetsOwnedCompareOptions) {
    TIBServerOptions o;
    o.GetIBCompareOptions().SetUseRECONNECT(false);
    o.GetIBCompareOptions().SetGenerateCOMMIT(true);
    o.SetDefaults();
    EXPECT_TRUE(o.GetIBCompareOptions().GetUseRECONNECT());
    EXPECT_TRUE(o.GetIBCompareOptions().GetGenerateCOMMIT());
}

} // namespace
} // namespace smx
