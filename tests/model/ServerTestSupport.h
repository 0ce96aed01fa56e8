// Helpers of the server tests: a session on the private server of one dialect that runs the
// suite's texts and fails the test with the server's message and the text it refused, structures
// of the PostgreSQL and MySQL kinds, and the executable statements of an executor.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/smxComp_Ctr.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Tbl.h"
#include "model/smxDBStructure.h"
#include "model/smxSQL_Exec.h"
#include "model/smxSchemalyst.h"
#include "tests/support/smxTestServers.h"

namespace smx::test {

/// What the test program ran on the server of one dialect (reported at its end).
struct RunCounts {
    int Statements = 0; ///< single statements
    int Scripts = 0;    ///< whole scripts run through the command-line client
};
inline RunCounts& CountsOf(TDatabaseType t) {
    static RunCounts pg, my;
    return t == TDatabaseType::dbPostgreSQL ? pg : my;
}

/// Prints the counts when the test program ends.
class CountReport : public ::testing::Environment {
public:
    void TearDown() override {
        for (auto [t, name] :
             {std::pair{TDatabaseType::dbPostgreSQL, "PostgreSQL"}, {TDatabaseType::dbMySQL, "MySQL"}})
            std::cout << name << ": " << CountsOf(t).Statements << " statements and " << CountsOf(t).Scripts
                      << " scripts run\n";
    }
};

/// A session of one dialect whose Run fails the test on a refused text.
template <typename Session> class Server {
public:
    explicit Server(TDatabaseType t) : type_(t) {}
    Session S;

    /// Runs one statement; false (and a test failure) when the server refuses it.
    bool Run(const std::string& Sql, const std::string& What = "") {
        ++CountsOf(type_).Statements;
        const std::string err = S.Exec(Sql);
        if (err.empty()) return true;
        ADD_FAILURE() << (What.empty() ? "" : What + ": ") << "the server refused\n"
                      << Sql << "\n-- server: " << err;
        return false;
    }
    /// Runs a script through the dialect's command-line client.
    bool RunClientScript(const std::string& Sql, const std::string& What) {
        ++CountsOf(type_).Scripts;
        const std::string err = S.RunClient(Sql);
        if (err.empty()) return true;
        ADD_FAILURE() << What << ": the client refused the script\n" << Sql << "\n-- client: " << err;
        return false;
    }
    /// The first value of a query, "<none>" without rows.
    std::string Value(const std::string& Sql) {
        Rows r = S.Query(Sql);
        return r.empty() || r[0].empty() ? "<none>" : r[0][0];
    }

private:
    TDatabaseType type_;
};

/// Skips the test when the dialect's server is not installed; fails it when the server is not
/// reachable.
#define SMX_NEED_SERVER(srv)                                                                                 \
    do {                                                                                                     \
        if (!(srv).S.Missing.empty()) GTEST_SKIP() << (srv).S.Missing;                                       \
        ASSERT_TRUE((srv).S.Ready()) << (srv).S.Error;                                                       \
    } while (0)

/// A structure of PostgreSQL 14 or later, or of MySQL.
inline void SetUpStructure(TDBStructure& s, TDatabaseType t) {
    s.SetDatabaseType(t);
    s.Objs()->GetPGSQLServerOptions().SetSQLServerVersion(TPGSQLServerVersionType::st_PostgreSQL_14x);
    s.GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
}

/// The executable statements of an executor (comments and script settings left out), each with
/// its lines joined by line feeds.
inline std::vector<std::string> ExecutableTexts(const TCustomSQLExec& exec) {
    std::vector<std::string> r;
    for (int i = 0; i < exec.GetStatementCount(); ++i) {
        const TStatement* st = exec.GetStatement(i);
        using enum TStatType;
        if (st->StatType != stStatement && st->StatType != stProcedure && st->StatType != stTrigger &&
            st->StatType != stPackage && st->StatType != stDescription)
            continue;
        std::string text;
        for (int j = 0; j < st->Lines.Count(); ++j)
            text += (j ? "\n" : "") + st->Lines[j];
        r.push_back(text);
    }
    return r;
}

/// The structure's DDL script as one text.
inline std::string ScriptText(TObjs& objs) {
    TStringList lines;
    objs.CopyScriptTo(lines);
    std::string s;
    for (int i = 0; i < lines.Count(); ++i)
        s += lines[i] + "\n";
    return s;
}

/// A column of the given type.
inline TFldData* Column(TTblData* t, const std::string& name, std::uint8_t code, int length = 0,
                        int precision = 0, int scale = 0) {
    TFldData* f = t->AddField(name);
    f->DataType = code;
    f->Length = length;
    f->Precision = precision;
    f->Scale = scale;
    return f;
}

/// Names o (and its schema), files it in the structure and returns it.
template <typename T>
T* FileIn(TDBStructure& s, T* o, const std::string& name, const std::string& schema = "") {
    o->SetName(name);
    if (!schema.empty()) o->SetParentName(schema);
    // A refused object is freed by the container: the test must not go on with it.
    if (s.Objs()->AddObject(o, true) < 0) throw std::logic_error("not filed: " + name);
    return o;
}

inline TCtrData* Key(TDBStructure& s, const std::string& name, std::uint8_t type, const std::string& table,
                     const std::vector<std::string>& columns, const std::string& schema = "") {
    auto* c = FileIn(s, new TCtrData(s.Objs()), name, schema);
    c->SetConstraintType(type);
    c->SetTableName(table);
    for (const std::string& col : columns)
        c->AddColumn(col);
    return c;
}

inline TFldData* Param(TPrcData* p, const std::string& name, std::uint8_t code, bool output = false,
                       int length = 0) {
    TFldData* f = p->AddParam(name, output);
    f->DataType = code;
    f->Length = length;
    return f;
}

// ---- Update scripts on the servers ------------------------------------------------------------------

/// The catalogue of PostgreSQL schema Schema (with the schemas besides public), one text a line.
inline std::string PgShapeQuery(const std::string& Schema) {
    std::string q = R"(
SELECT 'schema ' || nspname || coalesce(' -- ' || obj_description(oid, 'pg_namespace'), '') FROM pg_namespace
 WHERE nspname NOT LIKE 'pg\_%' AND nspname NOT IN ('information_schema', 'public')
UNION ALL
SELECT 'rel ' || c.relkind::text || ' ' || c.relname || coalesce(' -- ' || obj_description(c.oid, 'pg_class'), '')
  FROM pg_class c WHERE c.relnamespace = '"@S"'::regnamespace
UNION ALL
SELECT 'col ' || c.relname || '.' || a.attname || ' ' || format_type(a.atttypid, a.atttypmod) ||
       CASE WHEN a.attnotnull THEN ' not null' ELSE '' END ||
       coalesce(' default ' || pg_get_expr(d.adbin, d.adrelid), '') ||
       coalesce(' -- ' || col_description(c.oid, a.attnum), '')
  FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid
  LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum
 WHERE c.relnamespace = '"@S"'::regnamespace AND c.relkind IN ('r', 'v') AND a.attnum > 0
   AND NOT a.attisdropped
UNION ALL
SELECT 'con ' || conname || ' ' || pg_get_constraintdef(oid) FROM pg_constraint
 WHERE connamespace = '"@S"'::regnamespace
UNION ALL
SELECT 'idx ' || pg_get_indexdef(i.indexrelid) FROM pg_index i JOIN pg_class c ON c.oid = i.indrelid
 WHERE c.relnamespace = '"@S"'::regnamespace
UNION ALL
SELECT 'view ' || c.relname || ' ' || pg_get_viewdef(c.oid) FROM pg_class c
 WHERE c.relkind = 'v' AND c.relnamespace = '"@S"'::regnamespace
UNION ALL
SELECT 'fn ' || p.proname || '(' || pg_get_function_identity_arguments(p.oid) || ') ' || p.prosrc
  FROM pg_proc p WHERE p.pronamespace = '"@S"'::regnamespace
UNION ALL
SELECT 'trg ' || pg_get_triggerdef(t.oid) FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid
 WHERE NOT t.tgisinternal AND c.relnamespace = '"@S"'::regnamespace
UNION ALL
SELECT 'seq ' || c.relname || ' ' || s.seqincrement || ' ' || s.seqstart
  FROM pg_sequence s JOIN pg_class c ON c.oid = s.seqrelid WHERE c.relnamespace = '"@S"'::regnamespace
UNION ALL
SELECT 'domain ' || t.typname || ' ' || pg_get_constraintdef(c.oid) || coalesce(' -- ' || obj_description(t.oid, 'pg_type'), '')
  FROM pg_type t JOIN pg_constraint c ON c.contypid = t.oid WHERE t.typnamespace = '"@S"'::regnamespace
UNION ALL
SELECT 'rule ' || rulename || ' ' || definition FROM pg_rules WHERE schemaname = '@S'
UNION ALL
SELECT 'op ' || oprname || ' ' || oprleft::regtype::text || ' ' || oprright::regtype::text || ' ' || oprcode::text
  FROM pg_operator WHERE oprnamespace = '"@S"'::regnamespace
ORDER BY 1)";
    for (std::size_t i; (i = q.find("@S")) != std::string::npos;)
        q.replace(i, 2, Schema);
    return q;
}

/// The catalogue of the session's MySQL database, one text a line.
inline const char* const MyShapeQuery = R"(
SELECT CONCAT('tab ', TABLE_NAME, ' ', TABLE_TYPE, ' ', IFNULL(ENGINE, '-'), ' ', IFNULL(TABLE_COLLATION, '-'),
              ' -- ', TABLE_COMMENT) FROM information_schema.TABLES
 WHERE TABLE_SCHEMA = DATABASE()
UNION ALL
SELECT CONCAT('col ', TABLE_NAME, '.', COLUMN_NAME, ' ', COLUMN_TYPE, ' ', IS_NULLABLE, ' ',
              IFNULL(COLUMN_DEFAULT, '-'), ' ', EXTRA, ' -- ', COLUMN_COMMENT)
  FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE()
UNION ALL
SELECT CONCAT('key ', TABLE_NAME, ' ', CONSTRAINT_NAME, ' ', CONSTRAINT_TYPE)
  FROM information_schema.TABLE_CONSTRAINTS WHERE TABLE_SCHEMA = DATABASE()
UNION ALL
SELECT CONCAT('check ', CONSTRAINT_NAME, ' ', CHECK_CLAUSE)
  FROM information_schema.CHECK_CONSTRAINTS WHERE CONSTRAINT_SCHEMA = DATABASE()
UNION ALL
SELECT CONCAT('ref ', CONSTRAINT_NAME, ' ', UPDATE_RULE, ' ', DELETE_RULE, ' ', REFERENCED_TABLE_NAME)
  FROM information_schema.REFERENTIAL_CONSTRAINTS WHERE CONSTRAINT_SCHEMA = DATABASE()
UNION ALL
SELECT CONCAT('idx ', TABLE_NAME, ' ', INDEX_NAME, ' ', SEQ_IN_INDEX, ' ', COLUMN_NAME, ' ', NON_UNIQUE)
  FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE()
UNION ALL
SELECT CONCAT('view ', TABLE_NAME, ' ', REPLACE(VIEW_DEFINITION, DATABASE(), '#'))
  FROM information_schema.VIEWS WHERE TABLE_SCHEMA = DATABASE()
UNION ALL
SELECT CONCAT('routine ', ROUTINE_TYPE, ' ', ROUTINE_NAME, ' ', ROUTINE_DEFINITION, ' -- ', ROUTINE_COMMENT)
  FROM information_schema.ROUTINES WHERE ROUTINE_SCHEMA = DATABASE()
UNION ALL
SELECT CONCAT('trg ', TRIGGER_NAME, ' ', ACTION_TIMING, ' ', EVENT_MANIPULATION, ' ', EVENT_OBJECT_TABLE, ' ',
              ACTION_STATEMENT)
  FROM information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = DATABASE()
ORDER BY 1)";

/// The first column of every row, one a line.
inline std::string Lines(const Rows& rows) {
    std::string s;
    for (const auto& r : rows)
        s += (r.empty() ? std::string() : r[0]) + "\n";
    return s;
}

/// Makes the master's and the target's databases from their DDL scripts, compares master with
/// target in the dialect, runs the update statements on the target's database and expects its
/// catalogue to show what the master's shows (shapeQuery on both).
template <typename Session>
void RunUpdate(TDatabaseType type, TDBStructure& master, TDBStructure& target, Server<Session>& onMaster,
               Server<Session>& onTarget, const std::string& shapeQuery) {
    for (auto [server, structure, what] :
         {std::tuple{&onMaster, &master, "master script"}, {&onTarget, &target, "target script"}}) {
        const std::string script = ScriptText(*structure->Objs());
        ASSERT_TRUE(server->RunClientScript(script, what));
        // The script leaves out rules and operators: they follow it one by one.
        for (TObjsList list : {TObjsList::olRules, TObjsList::olOperators})
            for (int i = 0; i < structure->Objs()->List(list).Count(); ++i)
                if (auto* o = dynamic_cast<TDbObj*>(structure->Objs()->List(list).Objects(i)))
                    server->Run(o->GetCreateSQL(), what);
    }

    TSchemalyst cmp;
    TSQLExec exec;
    exec.SetDatabaseType(type);
    cmp.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
    cmp.SetDBStructureMaster(&master);
    cmp.SetDBStructureTarget(&target);
    cmp.SetSQLExec(&exec);
    cmp.CompareStructures();
    cmp.SetSQLExec(nullptr);
    const std::vector<std::string> texts = ExecutableTexts(exec);
    EXPECT_FALSE(texts.empty());
    for (const std::string& text : texts)
        onTarget.Run(text, "update statement");
    const std::string want = Lines(onMaster.S.Query(shapeQuery));
    EXPECT_EQ(want.find("error: "), std::string::npos) << want;
    EXPECT_EQ(Lines(onTarget.S.Query(shapeQuery)), want);
    if (std::getenv("SMX_SERVER_TRACE")) std::cout << want;
    if (::testing::Test::HasFailure() || std::getenv("SMX_SERVER_TRACE")) {
        std::string all;
        for (const std::string& text : texts)
            all += text + ";\n";
        ADD_FAILURE() << "the update statements were:\n" << all;
    }
}

} // namespace smx::test
