// Helpers of the server tests: a session on the private server of one dialect that runs the
// suite's texts and fails the test with the server's message and the text it refused, structures
// of the PostgreSQL and MySQL kinds, and the executable statements of an executor.
#pragma once

#include <gtest/gtest.h>

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/smxComp_Ctr.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Tbl.h"
#include "model/smxDBStructure.h"
#include "model/smxSQL_Exec.h"
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

} // namespace smx::test
