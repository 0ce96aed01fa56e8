// The golden script-compare cases (tests/cases/scripts) rendered for PostgreSQL and MySQL and run
// on real servers: both scripts are read, both structures are given the dialect, their DDL scripts
// make a master and a target database, the update statements of the comparison run on the
// target's, and its catalogue must then show what the master's shows. The cases taken are those
// whose scripts use only what the dialects share (no computed columns, inactive or expression
// indices, global temporary tables), and those whose routines, triggers and views take the texts
// of each dialect from <side>.<dialect>.sql (what they read is what their InterBase texts read).
#include <gtest/gtest.h>

#include <sstream>

#include "tests/model/ServerTestSupport.h"
#include "tests/parsing/ScriptCompareSupport.h"

namespace smx::test {
namespace {

using enum TDatabaseType;

const auto* const Report = ::testing::AddGlobalTestEnvironment(new CountReport);

const char* const MySQLCases[] = {"changed_check",        "dropped_column", "dropped_tables_fk",
                                  "fk_on_delete_cascade", "index_changed",  "new_table_pk_index",
                                  "table_description"};
// Without changed_check: a check keeps its expression as written, and PostgreSQL folds the
// unquoted upper-case column names in it to lower case, which the quoted names of the table are
// not.
const char* const PostgreSQLCases[] = {"dropped_column", "dropped_tables_fk",  "fk_on_delete_cascade",
                                       "index_changed",  "new_table_pk_index", "table_description"};

// Gives the objects File names (when there is one) the bodies it holds: each follows a line
// "-- NAME", for a routine "-- NAME LANGUAGE", for a function "-- NAME LANGUAGE RESULT".
void UseTexts(TDBStructure& S, const std::filesystem::path& File) {
    std::istringstream in(std::filesystem::exists(File) ? ReadText(File) : std::string());
    TDbObj* o = nullptr;
    for (std::string line; std::getline(in, line);) {
        if (!StartsStr("-- ", line)) {
            o->SetSource(o->GetSource() + "\n" + line);
            continue;
        }
        std::string name, language, result;
        std::istringstream(line.substr(3)) >> name >> language >> result;
        for (TObjsList l : {TObjsList::olProcedures, TObjsList::olTriggers, TObjsList::olViews})
            if (TDbObj* x = S.Objs()->FindObject(l, name)) o = x;
        ASSERT_NE(o, nullptr) << name;
        o->SetSource("");
        if (auto* p = dynamic_cast<TPrcData*>(o)) {
            p->Language = language;
            p->IsFunctionFlag = !result.empty();
            p->PGReturns = result;
        }
    }
    // The routines are filed again under the dialect's key (PostgreSQL's holds the parameter types).
    TStringList& routines = S.Objs()->Procedures();
    for (int i = 0; i < routines.Count(); ++i)
        routines.SetString(i, dynamic_cast<TDbObj*>(routines.Objects(i))->GetFullName());
    routines.Sort();
}

template <typename Session> void RunScriptCase(TDatabaseType type, const std::string& name) {
    Server<Session> onMaster(type), onTarget(type);
    SMX_NEED_SERVER(onMaster);
    ASSERT_TRUE(onTarget.S.Ready()) << onTarget.S.Error;
    const std::filesystem::path dir = std::filesystem::path(SMX_SCRIPT_CASES_DIR) / name;
    TScriptComparison c((dir / "master.sql").string(), (dir / "target.sql").string());
    ASSERT_TRUE(c.Cmp.ExtractStructures()) << c.Messages;
    for (TDBStructure* s : {&c.Master, &c.Target})
        SetUpStructure(*s, type);
    const std::string dialect = type == dbPostgreSQL ? ".postgresql.sql" : ".mysql.sql";
    UseTexts(c.Master, dir / ("master" + dialect));
    UseTexts(c.Target, dir / ("target" + dialect));
    RunUpdate(type, c.Master, c.Target, onMaster, onTarget,
              type == dbPostgreSQL ? PgShapeQuery("public") : std::string(MyShapeQuery));
}

class PostgreSQLScriptCase : public ::testing::TestWithParam<const char*> {};
class MySQLScriptCase : public ::testing::TestWithParam<const char*> {};

TEST_P(PostgreSQLScriptCase, UpdatesTheTarget) {
    RunScriptCase<PgSession>(dbPostgreSQL, GetParam());
}

TEST_P(MySQLScriptCase, UpdatesTheTarget) {
    RunScriptCase<MySession>(dbMySQL, GetParam());
}

std::string CaseName(const ::testing::TestParamInfo<const char*>& Info) {
    return Info.param;
}

INSTANTIATE_TEST_SUITE_P(Cases, PostgreSQLScriptCase, ::testing::ValuesIn(PostgreSQLCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Cases, MySQLScriptCase, ::testing::ValuesIn(MySQLCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Dependants, PostgreSQLScriptCase,
                         ::testing::Values("column_dropped_under_dependants", "trigger_header_changed"),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(Dependants, MySQLScriptCase,
                         ::testing::Values("column_dropped_under_dependants", "trigger_header_changed"),
                         CaseName);

} // namespace
} // namespace smx::test
