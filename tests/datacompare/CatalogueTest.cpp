// The dialects whose servers cannot run here, over a scripted connection: the catalogue queries and
// column lists of each database type with their table-name rules, and whole runs on MS SQL (script
// texts, header, large-object rules, immediate execution with parameters, the statement event).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "datacompare/smxTableDataComparer.h"
#include "model/smxSQL_Exec.h"
#include "tests/datacompare/ScriptedConnection.h"
#include "tests/support/smxTestDb.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace smx::test {
namespace {

using enum TFieldType;
using enum TDatabaseType;

TVariant S(const std::string& s) {
    return TVariant::FromString(s);
}
TVariant I(std::int64_t v) {
    return TVariant::FromInteger(v);
}

TCannedResult Column(const std::string& Name, std::initializer_list<const char*> Values) {
    TCannedResult r;
    r.Columns = {{Name, ftString}};
    for (const char* v : Values)
        r.Rows.push_back({S(v)});
    return r;
}

struct CatalogueCase {
    const char* name;
    TDatabaseType type;
    const char* given;
    const char* normalised;
    std::vector<std::pair<std::string, TCannedResult>> answers;
    std::vector<std::string> opened;
    const char* columns;
    const char* keys; // key list after the catalogue (Paradox and dBASE fill it)
};

std::vector<CatalogueCase> Cases() {
    TCannedResult asaTable{{{"TABLE_NAME", ftString}, {"TABLE_ID", ftInteger}}, {{S("ITEMS"), I(7)}}};
    TCannedResult msTable{{{"ID", ftInteger}, {"NAME", ftString}, {"QI", ftInteger}, {"AN", ftInteger}},
                          {{I(5), S("ITEMS"), I(1), I(1)}}};
    TCannedResult aseTable{{{"ID", ftInteger}, {"NAME", ftString}}, {{I(9), S("ITEMS")}}};
    TCannedResult oraTable{{{"NAME", ftString}, {"TABLESPACE_NAME", ftString}}, {{S("ITEMS"), S("USERS")}}};
    TCannedResult pgTable{{{"TABLENAME", ftString}, {"OID", ftInteger}}, {{S("items"), I(16384)}}};
    TCannedResult star{{{"ID", ftInteger}, {"DATE", ftDate}, {"PIC", ftBlob}, {"NAME", ftString}}, {}};
    TCannedResult myStar{{{"id", ftInteger}, {"Name", ftString}}, {}};
    return {
        {"SQL Anywhere",
         dbSybaseASA,
         "items",
         "ITEMS",
         {{"SYS.SYSTABLE", asaTable}, {"SYS.SYSCOLUMN", Column("COLUMN_NAME", {" ID ", "NAME"})}},
         {"open Select table_name, table_id\r\nfrom SYS.SYSTABLE\r\nwhere table_name = 'ITEMS'\r\n",
          "open Select c.column_id, c.column_name\r\nfrom SYS.SYSCOLUMN c\r\nwhere c.table_id = 7\r\n"
          "order by c.column_id, c.column_name\r\n"},
         "ID NAME",
         ""},
        {"MySQL",
         dbMySQL,
         "Items",
         "Items",
         {{"SHOW TABLES", Column("Tables_in_db", {"other", "ITEMS"})}, {"Select * from Items", myStar}},
         {"open SHOW TABLES\r\n", "open Select * from Items\r\n"},
         "id Name",
         ""},
        {"MS SQL",
         dbMSSQL,
         "items",
         "ITEMS",
         {{"from sysobjects o", msTable}, {"from syscolumns c", Column("COLUMN_NAME", {"ID", " NAME"})}},
         {"open Select o.id, o.name,\r\nobjectproperty(o.id, 'ExecIsQuotedIdentOn') QI,\r\n"
          "objectproperty(o.id, 'ExecIsAnsiNullsOn') AN\r\nfrom sysobjects o\r\nwhere o.xtype = 'U '\r\n"
          "and isnull(objectproperty(o.id, 'ISMSShipped'), 1) <> 1\r\nand o.name = 'ITEMS'\r\n",
          "open select c.name COLUMN_NAME\r\nfrom syscolumns c\r\nwhere c.id = 5\r\norder by c.colorder\r\n"},
         "ID  NAME",
         ""},
        {"Sybase ASE",
         dbSybaseASE,
         "Items",
         "ITEMS",
         {{"from sysobjects o", aseTable}, {"from syscolumns c", Column("COLUMN_NAME", {"ID"})}},
         {"open Select o.id, o.name\r\nfrom sysobjects o\r\nwhere o.type = 'U '\r\nand o.name = 'ITEMS'\r\n",
          "open select c.name COLUMN_NAME\r\nfrom syscolumns c\r\nwhere c.id = 9\r\norder by c.colid\r\n"},
         "ID",
         ""},
        {"Oracle",
         dbOracle,
         "items",
         "ITEMS",
         {{"from user_tables t", oraTable},
          {"from user_tab_columns c", Column("COLUMN_NAME", {"ID", "NAME"})}},
         {"open Select t.table_name as name, t.tablespace_name\r\nfrom user_tables t\r\nwhere t.table_name = "
          "'ITEMS'\r\n",
          "open select c.column_name, c.data_type, c.data_length,\r\nc.data_precision, c.data_scale, "
          "c.column_id,\r\n"
          "c.character_set_name, c.char_col_decl_length,\r\nc.char_length, c.Nullable\r\nfrom "
          "user_tab_columns c\r\n"
          "where c.table_name = 'ITEMS'\r\norder by c.column_id\r\n"},
         "ID NAME",
         ""},
        {"PostgreSQL",
         dbPostgreSQL,
         "ITEMS",
         "items",
         {{"FROM pg_catalog.pg_class c", pgTable},
          {"from pg_attribute a", Column("COLUMN_NAME", {"id", "name"})}},
         {"open  SELECT n.nspname AS schemaname, c.relname AS tablename, pg_get_userbyid(c.relowner) AS "
          "tableowner,\r\n"
          "        t.spcname AS \"tablespace\", c.relhasindex AS hasindexes, c.relhasrules AS hasrules,\r\n"
          "        c.reltriggers > 0 AS hastriggers, c.oid\r\n   FROM pg_catalog.pg_class c\r\n"
          "   LEFT JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace\r\n"
          "   LEFT JOIN pg_catalog.pg_tablespace t ON t.oid = c.reltablespace\r\n  WHERE c.relkind = 'r'\r\n"
          "  AND n.nspname not in ('information_schema', 'pg_catalog', 'pg_toast', 'pg_temp_1')\r\n"
          "  and c.relname not like 'pg_%'\r\n  and c.relname = 'items'\r\n",
          "open select a.attname AS column_name, a.atttypid, a.atttypmod,\r\n"
          "pg_catalog.format_type(a.atttypid, null) as data_type,\r\n"
          "information_schema._pg_char_max_length(a.atttypid, a.atttypmod) as char_length,\r\n"
          "information_schema._pg_numeric_precision(a.atttypid, a.atttypmod) as prec,\r\n"
          "information_schema._pg_numeric_scale(a.atttypid, a.atttypmod) as scale,\r\n"
          "ad.adsrc, a.attnotnull as is_notnull\r\nfrom pg_attribute a\r\njoin pg_type t on t.oid = "
          "a.atttypid\r\n"
          "left join pg_attrdef ad on ad.adrelid = a.attrelid and ad.adnum = a.attnum\r\n"
          "where a.attrelid = 16384 and a.attnum >= 1\r\nand not a.attisdropped\r\norder by a.attnum\r\n"},
         "id name",
         ""},
        {"Pervasive",
         dbPervasiveSQL,
         "items",
         "ITEMS",
         {{"psp_columns", Column("COLUMN_NAME", {"ID", "NAME"})}},
         {"open call psp_columns (null, 'ITEMS', null)\r\n"},
         "ID NAME",
         ""},
        {"Paradox",
         dbParadox,
         "items",
         "ITEMS",
         {{"Select * from ITEMS", star}},
         {"open Select * from ITEMS\r\n"},
         "ID DATE PIC NAME",
         "ID\r\nDATE\r\nNAME\r\n"},
        {"dBASE",
         dbDBASE,
         "items",
         "ITEMS",
         {{"Select * from ITEMS", star}},
         {"open Select * from ITEMS\r\n"},
         "ID DATE PIC NAME",
         "ID\r\nDATE\r\nNAME\r\n"},
    };
}

struct CatalogueRig {
    explicit CatalogueRig(TDatabaseType Type) : conn(Type) {
        cmp.SetSMXConnectionMaster(&conn);
        cmp.OnLogNextLine = [this](TObject*, const std::string& t) { log.push_back(t); };
        cmp.OnErrorMessage = [this](TObject*, const std::string& t) { errors.push_back(t); };
        query.reset(conn.CreateQuery(nullptr));
    }
    std::string Columns() {
        std::string r;
        const TStringList& all = cmp.GetTableOptionsMaster().GetAllFields();
        for (int i = 0; i < all.Count(); ++i)
            r += (i ? " " : "") + all[i];
        return r;
    }
    TScriptedConnection conn;
    TTableDataComparer cmp;
    std::unique_ptr<TSMXQuery> query;
    std::vector<std::string> log, errors;
};

TEST(Catalogue, QueriesAndColumnListsPerDialect) {
    for (const CatalogueCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        CatalogueRig rig(c.type);
        for (const auto& [fragment, result] : c.answers)
            rig.conn.Answer(fragment, result);
        TCmpTableOptions& o = rig.cmp.GetTableOptionsMaster();
        o.SetTableName(c.given);
        EXPECT_TRUE(rig.cmp.GetTableColumns(o, rig.query.get()));
        EXPECT_TRUE(rig.errors.empty()) << rig.errors.front();
        EXPECT_EQ(o.GetTableName(), c.normalised);
        EXPECT_EQ(rig.conn.Opened, c.opened);
        EXPECT_EQ(rig.Columns(), c.columns);
        EXPECT_EQ(o.GetKeyList().Text(), c.keys);
        ASSERT_FALSE(rig.log.empty());
        EXPECT_EQ(rig.log.back(), std::string(c.normalised) + ": " + c.columns);
    }
}

TEST(Catalogue, MissingTablesAndTheADOBranch) {
    for (const CatalogueCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        CatalogueRig rig(c.type);
        TCmpTableOptions& o = rig.cmp.GetTableOptionsMaster();
        o.SetTableName(c.given);
        const bool tested = c.type != dbPervasiveSQL && c.type != dbParadox && c.type != dbDBASE;
        EXPECT_EQ(rig.cmp.GetTableColumns(o, rig.query.get()), !tested);
        if (tested) {
            ASSERT_EQ(rig.errors.size(), 1u);
            EXPECT_EQ(rig.errors[0],
                      std::string("Error: Table: ") + c.normalised + " not exists.\r\nDatabase: db");
        } else {
            EXPECT_TRUE(rig.errors.empty()) << "no existence test: a missing table simply has no columns";
        }
        EXPECT_EQ(rig.Columns(), "");
    }
    for (TDatabaseType t : {dbMSAccess, dbCustomOLEDB}) {
        CatalogueRig rig(t);
        rig.cmp.GetTableOptionsMaster().SetTableName("T");
        EXPECT_FALSE(rig.cmp.GetTableColumns(rig.cmp.GetTableOptionsMaster(), rig.query.get()));
        ASSERT_EQ(rig.errors.size(), 1u);
        EXPECT_EQ(rig.errors[0],
                  "Error: Column lists of MS Access and custom OLE DB tables need the ADO adapter.");
    }
}

TEST(Catalogue, WithoutIncludeBlobsTheSelectIsPreparedNotOpened) {
    CatalogueRig rig(dbMSSQL);
    rig.conn.Answer("from sysobjects o", {{{"ID", ftInteger}, {"NAME", ftString}}, {{I(5), S("ITEMS")}}});
    rig.conn.Answer("from syscolumns c", Column("COLUMN_NAME", {"ID", "PIC", "NAME"}));
    rig.conn.Answer("from ITEMS", {{{"ID", ftInteger}, {"PIC", ftBlob}, {"NAME", ftString}}, {}});
    rig.cmp.SetIncludeBlobs(false);
    TCmpTableOptions& o = rig.cmp.GetTableOptionsMaster();
    o.SetTableName("ITEMS");
    EXPECT_TRUE(rig.cmp.GetTableColumns(o, rig.query.get()));
    EXPECT_EQ(rig.Columns(), "ID NAME");
    ASSERT_EQ(rig.conn.Opened.size(), 3u);
    EXPECT_EQ(rig.conn.Opened[2], "prepare select *\r\n from ITEMS\r\n");
}

// ---- Whole runs on MS SQL ----

/// Master and target MS SQL sides of table ITEMS: ID, KEY (a reserved word), D (date), B (BLOB),
/// OK (boolean), BIN (binary). Master rows 1 and 2, target rows 2, 3 and one with a NULL ID.
struct MSSQLRun {
    MSSQLRun() : master(dbMSSQL, "mdb"), target(dbMSSQL, "tdb") {
        for (TScriptedConnection* c : {&master, &target}) {
            c->Answer("from sysobjects o", {{{"ID", ftInteger}, {"NAME", ftString}}, {{I(5), S("ITEMS")}}});
            c->Answer("from syscolumns c", Column("COLUMN_NAME", {"ID", "KEY", "D", "B", "OK", "BIN"}));
        }
        const std::vector<std::pair<std::string, TFieldType>> cols = {{"ID", ftInteger}, {"KEY", ftString},
                                                                      {"D", ftDateTime}, {"B", ftBlob},
                                                                      {"OK", ftBoolean}, {"BIN", ftVarBytes}};
        const TVariant d = TVariant::FromDateTime(EncodeDate(2024, 12, 31));
        const TVariant yes = TVariant::FromBoolean(true);
        master.Answer("from ITEMS",
                      {cols,
                       {{I(1), S("a"), d, TVariant::FromBytes(""), yes, TVariant::FromBytes("\x01")},
                        {I(2), S("b"), d, TVariant(), yes, TVariant::FromBytes("\x02")}}});
        target.Answer("from ITEMS", {cols,
                                     {{I(2), S("c"), d, TVariant(), yes, TVariant::FromBytes("\x02")},
                                      {I(3), S("x"), d, TVariant(), yes, TVariant()},
                                      {TVariant(), S("y"), d, TVariant(), yes, TVariant()}}});
        cmp.SetSMXConnectionMaster(&master);
        cmp.SetSMXConnectionTarget(&target);
        cmp.SetTableNameMaster("ITEMS");
        cmp.SetTableNameTarget("ITEMS");
        TStringList keys;
        keys.Add("ID");
        cmp.SetCustomKeyFields(keys);
        cmp.SetScriptFileName(dir.File("Result.SQL"));
        cmp.OnLogNextLine = [this](TObject*, const std::string& t) { log.push_back(t); };
        cmp.OnErrorMessage = [this](TObject*, const std::string& t) { errors.push_back(t); };
    }
    TTempDir dir{"smxdcms"};
    TScriptedConnection master, target;
    TTableDataComparer cmp;
    std::vector<std::string> log, errors;
};

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(MSSQLRun, ScriptTextsHeaderAndLargeObjectRules) {
    MSSQLRun run;
    TSQLExec exec;
    exec.SetDatabaseType(dbMSSQL);
    run.cmp.SetSQLExec(&exec);
    ASSERT_TRUE(run.cmp.Execute());
    EXPECT_TRUE(run.errors.empty()) << run.errors.front();
    EXPECT_EQ(run.log.back(), "Disconnecting from master database: Ok.");
    EXPECT_NE(
        std::find(run.log.begin(), run.log.end(), "Equal: 0, Inserted: 1, Updated: 1, Deleted: 2, All: 4."),
        run.log.end());
    // The empty BLOB is NULL on MS SQL, so the large-object file stays empty.
    EXPECT_EQ(ReadAll(run.dir.File("Result.SQL")),
              "USE tdb;\r\n"
              "SET BLOBFILE 'Result.LOB';\r\n"
              "UPDATE ITEMS SET \r\n"
              "[KEY]='b'\r\n"
              "WHERE ID = 2;\r\n"
              "DELETE FROM ITEMS WHERE ID = 3;\r\n"
              "DELETE FROM ITEMS WHERE ID is Null;\r\n"
              "INSERT INTO ITEMS (ID, [KEY], D, B, OK, BIN)\r\n"
              "VALUES(1, 'a', '2024-12-31 00:00:00', Null, 1, 0x01);\r\n");
    EXPECT_EQ(ReadAll(run.dir.File("Result.LOB")), "");
    ASSERT_EQ(exec.GetStatementCount(), 6);
    EXPECT_EQ(exec.GetStatement(0)->StatType, TStatType::stConnect);
    EXPECT_EQ(exec.GetStatement(1)->StatType, TStatType::stSetBlobFile);
    EXPECT_EQ(exec.GetStatement(1)->ObjName, run.dir.File("Result.LOB"));
    EXPECT_EQ(exec.GetStatement(5)->StatType, TStatType::stInsert);
    EXPECT_EQ(exec.GetStatement(5)->ObjName, "ITEMS");
    EXPECT_EQ(exec.GetStatement(2)->Operation, TDbOperation::odbUpdate);
    EXPECT_EQ(exec.GetStatement(4)->ObjKind, TDbObject::dboTable);
    // The master's select went out once, in key order, after the catalogue queries.
    EXPECT_EQ(run.master.Opened.back(),
              "open select ID, [KEY], D, B, OK, BIN\r\nfrom ITEMS\r\n Order by ID\r\n");
}

TEST(MSSQLRun, ImmediateExecutionBindsKeysAndData) {
    MSSQLRun run;
    run.cmp.SetUpdateImmediately(true);
    int before = 0;
    run.cmp.BeforeOpen = [&](TSMXQuery* q) {
        EXPECT_NE(q, nullptr);
        ++before;
    };
    ASSERT_TRUE(run.cmp.Execute());
    EXPECT_TRUE(run.errors.empty()) << run.errors.front();
    EXPECT_FALSE(Exists(run.dir.File("Result.SQL")));
    ASSERT_EQ(run.target.Executed.size(), 4u);
    EXPECT_EQ(before, 4);
    const RecordedExec& ins = run.target.Executed[3];
    EXPECT_EQ(ins.Text, "INSERT INTO ITEMS (ID, [KEY], D, B, OK, BIN)\r\n"
                        "VALUES(:DATA0, :DATA1, :DATA2, :DATA3, :DATA4, :DATA5)\r\n");
    ASSERT_EQ(ins.Params.size(), 6u);
    EXPECT_EQ(ins.Params[0].Bytes, "1");
    EXPECT_EQ(ins.Params[1].Bytes, "a");
    EXPECT_EQ(ins.Params[3].DataType, ftBlob);
    EXPECT_FALSE(ins.Params[3].IsNull);
    const RecordedExec& upd = run.target.Executed[0];
    EXPECT_EQ(upd.Text, "UPDATE ITEMS SET \r\n[KEY]=:DATA1\r\nWHERE ID = :KEY0\r\n");
    ASSERT_EQ(upd.Params.size(), 2u);
    EXPECT_EQ(upd.Params[0].Bytes, "b");
    EXPECT_EQ(upd.Params[1].Bytes, "2");
    EXPECT_EQ(run.target.Executed[1].Text, "DELETE FROM ITEMS WHERE ID = :KEY0\r\n");
    EXPECT_EQ(run.target.Executed[2].Text, "DELETE FROM ITEMS WHERE ID is Null\r\n");
    EXPECT_TRUE(run.target.Executed[2].Params.empty());
    // Reads and writes end with one commit on each side.
    EXPECT_EQ(std::count(run.target.Journal.begin(), run.target.Journal.end(), "rollback"), 0);
}

TEST(MSSQLRun, EventOnlyRunsAndRejectedStatements) {
    MSSQLRun run;
    TSQLExec exec;
    run.cmp.SetSQLExec(&exec);
    run.cmp.GetScriptOptions().SetGenerateScript(false);
    std::vector<std::string> seen;
    run.cmp.OnAddResultSQL = [&](TObject*, bool& accept, const std::string& sql, TStatType,
                                 const std::string&, TDbObject, TDbOperation) {
        seen.push_back(sql);
        accept = false;
    };
    ASSERT_TRUE(run.cmp.Execute());
    EXPECT_EQ(exec.GetStatementCount(), 0);
    EXPECT_FALSE(Exists(run.dir.File("Result.SQL")));
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0], "USE tdb");
    EXPECT_EQ(seen[1], "SET BLOBFILE 'Result.LOB'");
    EXPECT_EQ(seen[5],
              "INSERT INTO ITEMS (ID, [KEY], D, B, OK, BIN)\r\nVALUES(:ID, :KEY, :D, :B, :OK, :BIN)");
    EXPECT_EQ(seen[2], "UPDATE ITEMS SET \r\n[KEY]=:KEY\r\nWHERE ID = :ID");
    EXPECT_FALSE(Exists(run.dir.File("Result.LOB")));
    EXPECT_EQ(run.cmp.GetInserted() + run.cmp.GetUpdated() + run.cmp.GetDeleted(), 4)
        << "rejected statements still count";

    // Only the allowed operations are produced and counted.
    seen.clear();
    run.cmp.SetAllowedOperations({TDataCompareOperation::dcopDelete});
    ASSERT_TRUE(run.cmp.Execute());
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_EQ(run.cmp.GetInserted() + run.cmp.GetUpdated(), 0);
    EXPECT_EQ(run.cmp.GetDeleted(), 2);
}

TEST(MSSQLRun, WiringAndListCountsAreCheckedFirst) {
    struct Case {
        const char* what;
        std::function<void(TTableDataComparer&)> setup;
        const char* error;
    };
    auto list = [](std::initializer_list<const char*> names) {
        TStringList l;
        for (const char* n : names)
            l.Add(n);
        return l;
    };
    const Case cases[] = {
        {"no master", [](TTableDataComparer& c) { c.SetSMXConnectionMaster(nullptr); },
         "Error: TTableDataComparer: Master connection not assigned..."},
        {"no target", [](TTableDataComparer& c) { c.SetSMXConnectionTarget(nullptr); },
         "Error: TTableDataComparer: Target connection not assigned..."},
        {"data fields",
         [&](TTableDataComparer& c) {
             c.GetTableOptionsMaster().SetDataFields(list({"A", "B"}));
             c.GetTableOptionsTarget().SetDataFields(list({"A", "B", "C"}));
         },
         "Error: The number of data fields in Master and Target do not match.\r\n"
         "Please correct: TableOptionsMaster.DataFields, TableOptionsTarget.DataFields properties."},
        {"key fields", [&](TTableDataComparer& c) { c.GetTableOptionsTarget().SetKeyFields(list({"A"})); },
         "Error: The number of key fields in Master and Target do not match.\r\n"
         "Please correct: TableOptionsMaster.KeyFields, TableOptionsTarget.KeyFields properties."},
        {"exclude fields",
         [&](TTableDataComparer& c) { c.GetTableOptionsMaster().SetExcludeFields(list({"A"})); },
         "Error: The number of exclude fields in Master and Target do not match.\r\n"
         "Please correct: TableOptionsMaster.ExcludeFields, TableOptionsTarget.ExcludeFields properties."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MSSQLRun run;
        c.setup(run.cmp);
        EXPECT_FALSE(run.cmp.Execute());
        ASSERT_EQ(run.errors.size(), 1u);
        EXPECT_EQ(run.errors[0], c.error);
        EXPECT_TRUE(run.master.Journal.empty()) << "nothing is connected";
        EXPECT_TRUE(run.target.Journal.empty());
    }
}

TEST(MSSQLRun, WithoutTargetEveryMasterRowIsInserted) {
    MSSQLRun run;
    run.cmp.SetSMXConnectionTarget(nullptr);
    run.cmp.SetTableNameTarget("");
    ASSERT_TRUE(run.cmp.Execute());
    EXPECT_TRUE(run.errors.empty()) << run.errors.front();
    EXPECT_EQ(run.cmp.GetInserted(), 2);
    const std::string script = ReadAll(run.dir.File("Result.SQL"));
    EXPECT_NE(script.find("USE mdb;\r\n"), std::string::npos);
    EXPECT_NE(script.find("INSERT INTO ITEMS (ID, [KEY], D, B, OK, BIN)\r\nVALUES(2, 'b',"),
              std::string::npos);
}

TEST(MSSQLRun, ListAndStatementEvents) {
    MSSQLRun run;
    run.cmp.OnGetDataFields = [](TObject*, TStringList& m, TStringList& t) {
        m.SetText("ID\r\nKEY");
        t.SetText("ID\r\nKEY");
    };
    run.cmp.OnGetKeyFields = [](TObject*, TStringList& m, TStringList& t) {
        m.Add("ID");
        t.Add("ID");
    };
    int excludeCalls = 0;
    run.cmp.OnGetExcludeFields = [&](TObject*, TStringList&, TStringList&) { ++excludeCalls; };
    run.cmp.OnGetSelectSQL = [](TObject*, TStringList& m, TStringList& t) {
        m.Add("select ID, KEY from ITEMS where 1 = 1 order by ID");
        t.Add("select ID, KEY from ITEMS where 2 = 2 order by ID");
    };
    std::vector<int> totals;
    run.cmp.OnGetCountSQL = [](TObject*, TStringList& m, TStringList& t) {
        m.Add("select 10 from COUNTS");
        t.Add("select 20 from COUNTS");
    };
    for (TScriptedConnection* c : {&run.master, &run.target})
        c->Answer("from COUNTS", {{{"N", ftInteger}}, {{I(c == &run.master ? 10 : 20)}}});
    const std::vector<std::pair<std::string, TFieldType>> two = {{"ID", ftInteger}, {"KEY", ftString}};
    run.master.Results.insert(run.master.Results.begin(),
                              {"where 1 = 1", TCannedResult{two, {{I(1), S("a")}, {I(2), S("b")}}}});
    run.target.Results.insert(run.target.Results.begin(),
                              {"where 2 = 2", TCannedResult{two, {{I(2), S("c")}, {I(3), S("x")}}}});
    run.cmp.OnProgressUpdateMaster = [&](TObject*, int, int max) { totals.push_back(max); };
    int comparisons = 0;
    run.cmp.OnCompareFields = [&](TObject*, const TField& m, const TField& t) {
        ++comparisons;
        return m.AsString() == t.AsString() ? 0 : (m.AsString() < t.AsString() ? -1 : 1);
    };
    ASSERT_TRUE(run.cmp.Execute());
    EXPECT_TRUE(run.errors.empty()) << run.errors.front();
    EXPECT_EQ(excludeCalls, 1);
    EXPECT_GT(comparisons, 0);
    EXPECT_EQ(std::count(run.log.begin(), run.log.end(), "Select-SQL for master table:"), 0);
    EXPECT_TRUE(std::none_of(run.log.begin(), run.log.end(), [](const std::string& l) {
        return l.rfind("Select-SQL", 0) == 0;
    })) << "selects of the event are not logged";
    EXPECT_NE(std::find(run.master.Opened.begin(), run.master.Opened.end(),
                        "open select ID, KEY from ITEMS where 1 = 1 order by ID\r\n"),
              run.master.Opened.end());
    EXPECT_NE(std::find(run.target.Opened.begin(), run.target.Opened.end(),
                        "open select ID, KEY from ITEMS where 2 = 2 order by ID\r\n"),
              run.target.Opened.end());
    ASSERT_FALSE(totals.empty());
    EXPECT_EQ(totals.back(), 10) << "the count statement of the event gives the master's total";
    const std::string script = ReadAll(run.dir.File("Result.SQL"));
    EXPECT_NE(script.find("INSERT INTO ITEMS (ID, [KEY])\r\nVALUES(1, 'a');"), std::string::npos) << script;
    EXPECT_EQ(script.find("SET BLOBFILE"), std::string::npos) << "the event's lists hold no BLOB";
    EXPECT_NE(
        std::find(run.log.begin(), run.log.end(), "Equal: 0, Inserted: 1, Updated: 1, Deleted: 1, All: 3."),
        run.log.end());
}

TEST(PostgreSQLRun, NamesAreLowerCased) {
    TScriptedConnection master(dbPostgreSQL), target(dbPostgreSQL);
    for (TScriptedConnection* c : {&master, &target}) {
        c->Answer("FROM pg_catalog.pg_class c",
                  {{{"TABLENAME", ftString}, {"OID", ftInteger}}, {{S("items"), I(1)}}});
        c->Answer("from pg_attribute a", Column("COLUMN_NAME", {"id", "name"}));
        c->Answer("from items", {{{"id", ftInteger}, {"name", ftString}}, {}});
    }
    TTableDataComparer cmp;
    cmp.SetSMXConnectionMaster(&master);
    cmp.SetSMXConnectionTarget(&target);
    cmp.SetTableNameMaster("ITEMS");
    cmp.SetTableNameTarget("Items");
    TStringList keys;
    keys.Add("ID");
    cmp.SetCustomKeyFields(keys);
    cmp.SetScriptFileName("");
    std::vector<std::string> errors;
    cmp.OnErrorMessage = [&](TObject*, const std::string& t) { errors.push_back(t); };
    cmp.OnLogNextLine = [](TObject*, const std::string&) {};
    ASSERT_TRUE(cmp.Execute());
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(master.Opened.back(), "open select id, name\r\nfrom items\r\n Order by id\r\n");
}

} // namespace
} // namespace smx::test
