// The OLE DB connection-string builder, one row per database kind and option: the exact strings,
// the values that must be quoted so that they cannot end early or add keys of their own, and the
// hidden password. Also which kinds the ADO database object connects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/smxDB_ADO.h"

namespace smx {
namespace {

struct TBuildRow {
    TDatabaseType type;
    std::string server;
    std::string database;
    TSMXProtocol protocol;
    int port;
    bool hidePassword;
    bool windowsAuthentication;
    std::string password;
    std::string user;
    std::string expected;
};

std::string Build(const TBuildRow& r) {
    std::string result = "stale";
    BuildADOConnectionString(r.type, r.server, r.database, result, r.protocol, r.port, r.hidePassword,
                             r.windowsAuthentication, r.password, r.user);
    return result;
}

TEST(BuildADOConnectionString, ExactStringOfEveryKind) {
    using enum TDatabaseType;
    using enum TSMXProtocol;
    const std::string ase =
        "Provider=Sybase.ASEOLEDBProvider;Server Name=S,5000;Initial Catalog=D;"
        "Optimize Prepare=Partial;Select Method=Direct;Raise Error Behavior=MS Compatible;"
        "Print Statement Behavior=MS Compatible;Extended ErrorInfo=FALSE;"
        "Stored Proc Row Count=Last Statement Only;";
    const std::vector<TBuildRow> rows = {
        {dbMSSQL, "S", "D", ptTCP, 0, false, false, "", "U",
         "Provider=SQLOLEDB;Initial Catalog=D;Data Source=S;Network Library=DBMSSOCN;Persist Security "
         "Info=True;"
         "User ID=U;"},
        {dbMSSQL, "S", "D", ptNamedPipe, 0, false, true, "P", "U",
         "Provider=SQLOLEDB;Initial Catalog=D;Data Source=S;Integrated Security=SSPI;Persist Security "
         "Info=False;"},
        {dbMSSQL, "", "", ptLocal, 0, false, false, "P", "",
         "Provider=SQLOLEDB;Initial Catalog=;Data Source=;Persist Security Info=True;Password=P;"},
        {dbSybaseASA, "", "demo", ptTCP, 0, false, false, "", "U", "Provider=ASAProv;DBN=demo;User ID=U;"},
        {dbSybaseASA, "S", "/data/demo.db", ptTCP, 0, false, false, "", "U",
         "Provider=ASAProv;Extended Properties=\"ServerName=S\";DBF=/data/demo.db;User ID=U;"},
        {dbSybaseASA, "", "demo.db", ptTCP, 0, false, false, "", "U",
         "Provider=ASAProv;DBF=demo.db;User ID=U;"},
        {dbSybaseASA, "", "data\\demo", ptTCP, 0, false, false, "", "", "Provider=ASAProv;DBF=data\\demo;"},
        {dbSybaseASA, "", "C:demo", ptTCP, 0, false, false, "", "", "Provider=ASAProv;DBF=C:demo;"},
        {dbSybaseASA, "", "", ptTCP, 0, false, true, "", "", "Provider=ASAProv;"},
        {dbOracle, "ORCL", "X", ptTCP, 0, false, false, "", "U",
         "Provider=OraOLEDB.Oracle;Data Source=ORCL;User ID=U;"},
        {dbOracle, "", "X", ptTCP, 0, false, false, "", "U",
         "Provider=OraOLEDB.Oracle;Data Source=X;User ID=U;"},
        {dbOracle, "", "", ptTCP, 0, false, false, "", "", "Provider=OraOLEDB.Oracle;Data Source=;"},
        {dbPostgreSQL, "H", "D", ptTCP, 0, false, false, "P", "U",
         "Provider=PostgreSQL;Data Source=H;Location=D;User ID=U;Password=P;"},
        {dbPostgreSQL, "", "", ptTCP, 5432, false, false, "", "", "Provider=PostgreSQL;"},
        {dbDB2, "H", "X", ptTCP, 0, false, false, "", "U",
         "Provider=IBMDADB2;Location=H:50000;Persist Security Info=True;Data Source=X;User ID=U;"},
        {dbDB2, "H", "X", ptTCP, 50001, false, false, "", "U",
         "Provider=IBMDADB2;Location=H:50001;Persist Security Info=True;Data Source=X;User ID=U;"},
        {dbDB2, "", "", ptTCP, 0, false, false, "", "", "Provider=IBMDADB2;Persist Security Info=True;"},
        {dbSybaseASE, "S", "D", ptTCP, 5000, false, false, "", "U", ase + "User ID=U;Password=\"\";"},
        {dbSybaseASE, "S", "D", ptTCP, 5000, true, false, "", "U", ase + "User ID=U;Password=\"\";"},
        {dbSybaseASE, "S", "", ptTCP, 0, false, false, "P", "",
         "Provider=Sybase.ASEOLEDBProvider;Server Name=S;Optimize Prepare=Partial;Select Method=Direct;"
         "Raise Error Behavior=MS Compatible;Print Statement Behavior=MS Compatible;Extended ErrorInfo=FALSE;"
         "Stored Proc Row Count=Last Statement Only;Password=P;"},
        {dbPervasiveSQL, "S", "D", ptTCP, 0, false, false, "", "U",
         "Provider=PervasiveOLEDB;Location=S;Data Source=D;Persist Security Info=False;User ID=U;"},
        {dbMSAccess, "S", "DRIVER=x;PWD=p;", ptTCP, 0, true, true, "P", "U", "DRIVER=x;PWD=p;"},
        {dbCustomOLEDB, "S", "Provider=MSDASQL;DSN=a;b", ptTCP, 9, false, false, "P", "U",
         "Provider=MSDASQL;DSN=a;b"},
        {dbMySQL, "H", "D", ptTCP, 3306, false, false, "P", "U", "User ID=U;Password=P;"},
        {dbInterBase, "H", "D", ptTCP, 0, false, false, "", "", ""},
        {dbParadox, "", "", ptTCP, 0, true, false, "P", "U", "User ID=U;Password=*******;"},
        {dbAbstract, "", "", ptTCP, 0, false, false, "P", "", "Password=P;"},
    };
    for (const TBuildRow& r : rows)
        EXPECT_EQ(Build(r), r.expected) << static_cast<int>(r.type) << " " << r.server << " " << r.database;
}

TEST(BuildADOConnectionString, ValuesThatCouldEndEarlyAreQuotedWhole) {
    using enum TDatabaseType;
    using enum TSMXProtocol;
    const std::vector<TBuildRow> rows = {
        {dbPostgreSQL, "H", "D", ptTCP, 0, false, false, "pa;ss", "U",
         "Provider=PostgreSQL;Data Source=H;Location=D;User ID=U;Password=\"pa;ss\";"},
        {dbPostgreSQL, "H", "D", ptTCP, 0, false, false, "\"q", "U",
         "Provider=PostgreSQL;Data Source=H;Location=D;User ID=U;Password=\"\"\"q\";"},
        {dbPostgreSQL, "H", "D", ptTCP, 0, true, false, "pa;ss", "U",
         "Provider=PostgreSQL;Data Source=H;Location=D;User ID=U;Password=*******;"},
        {dbMySQL, "", "", ptTCP, 0, false, false, "'x", "x;Provider=Other",
         "User ID=\"x;Provider=Other\";Password=\"'x\";"},
        {dbMSSQL, "S;x", "a\"b", ptLocal, 0, false, false, "", "",
         "Provider=SQLOLEDB;Initial Catalog=a\"b;Data Source=\"S;x\";Persist Security Info=True;"},
        {dbSybaseASA, "a\"b", "", ptTCP, 0, false, false, "", "",
         "Provider=ASAProv;Extended Properties=\"ServerName=a\"\"b\";"},
        {dbDB2, "h;1", "", ptTCP, 0, false, false, "", "",
         "Provider=IBMDADB2;Location=\"h;1:50000\";Persist Security Info=True;"},
    };
    for (const TBuildRow& r : rows)
        EXPECT_EQ(Build(r), r.expected) << r.password << " " << r.user;

    // Read back, every value is whole and no key was injected.
    std::string s;
    BuildADOConnectionString(TDatabaseType::dbPostgreSQL, "H", "D", s, TSMXProtocol::ptTCP, 0, false, false,
                             "pa;ss\";Provider=Other", "x;Provider=Other");
    const std::vector<TConnectionStringPart> parts = ParseConnectionString(s, true);
    ASSERT_EQ(parts.size(), 5u);
    EXPECT_EQ(parts[0].Value, "PostgreSQL");
    EXPECT_EQ(parts[3].Key, "User ID");
    EXPECT_EQ(parts[3].Value, "x;Provider=Other");
    EXPECT_EQ(parts[4].Key, "Password");
    EXPECT_EQ(parts[4].Value, "pa;ss\";Provider=Other");
    EXPECT_EQ(HideConnectionStringPasswords(s), "Provider=PostgreSQL;Data Source=H;Location=D;"
                                                "User ID=\"x;Provider=Other\";Password=*******;");
}

TEST(BuildADOConnectionString, KindsTheDatabaseObjectConnects) {
    using enum TDatabaseType;
    for (TDatabaseType t : {dbSybaseASA, dbOracle, dbMSSQL, dbPostgreSQL, dbDB2, dbSybaseASE, dbPervasiveSQL,
                            dbMSAccess, dbCustomOLEDB})
        EXPECT_TRUE(IsADOConnectableDatabase(t)) << static_cast<int>(t);
    for (TDatabaseType t : {dbAbstract, dbInterBase, dbMySQL, dbParadox, dbDBASE})
        EXPECT_FALSE(IsADOConnectableDatabase(t)) << static_cast<int>(t);
}

} // namespace
} // namespace smx
