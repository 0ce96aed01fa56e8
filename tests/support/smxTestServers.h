// Sessions on the private PostgreSQL and MariaDB servers that tests/servers/servers.sh starts for
// the test run (its state file is SMX_SERVERS_STATE_FILE, or the one SMX_SERVERS_ENV names). Each session
// works in a fresh database of its own, made on open and dropped on close. A server that is not installed
// makes the session report why, so the test can skip with that message.
#pragma once

#include <libpq-fe.h>
#include <mysql.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace smx::test {

using Rows = std::vector<std::vector<std::string>>;

/// The settings servers.sh wrote, or a reason why there are none.
struct ServerState {
    std::map<std::string, std::string> Values;
    std::string Missing; ///< why the server is not at hand; empty when it is

    static ServerState Read(const std::string& MissingKey) {
        ServerState s;
        // The fixture's state file; SMX_SERVERS_ENV names another one.
        const char* path = std::getenv("SMX_SERVERS_ENV");
        if (!path || !*path) path = SMX_SERVERS_STATE_FILE;
        std::ifstream in(path);
        if (!in) {
            s.Missing = std::string("no server state file ") + path + ": the servers fixture did not run";
            return s;
        }
        for (std::string line; std::getline(in, line);) {
            const auto eq = line.find('=');
            if (eq != std::string::npos) s.Values[line.substr(0, eq)] = line.substr(eq + 1);
        }
        if (s.Values.contains(MissingKey)) s.Missing = s.Values[MissingKey];
        return s;
    }
};

/// Runs a script file through a command-line client (Command gets the file name appended after
/// a blank, output and errors together); the output when the client fails, empty otherwise.
inline std::string RunClientOn(const std::string& Script, const std::string& Command) {
    char name[] = "/tmp/smx-script-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0) return "cannot write a temporary script file";
    ::close(fd);
    std::ofstream(name, std::ios::binary) << Script;
    const std::string cmd = Command + " " + name + " 2>&1";
    std::string out;
    int rc = -1;
    if (FILE* p = ::popen(cmd.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
            out.append(buf, n);
        rc = ::pclose(p);
    }
    std::remove(name);
    if (rc == 0) return {};
    return out.empty() ? "the client failed (" + cmd + ")" : out;
}

/// A unique database name for one test.
inline std::string FreshDatabaseName(const std::string& Prefix) {
    static int counter = 0;
    return Prefix + "_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
}

/// A PostgreSQL session in a fresh database.
class PgSession {
public:
    PgSession() {
        ServerState st = ServerState::Read("PG_MISSING");
        if (!st.Missing.empty()) {
            Missing = st.Missing;
            return;
        }
        host_ = st.Values["PG_HOST"];
        port_ = st.Values["PG_PORT"];
        PGconn* admin = Connect("postgres");
        if (!admin) return;
        Database = FreshDatabaseName("smx");
        PGresult* r = PQexec(admin, ("CREATE DATABASE " + Database).c_str());
        if (PQresultStatus(r) != PGRES_COMMAND_OK) Error = PQerrorMessage(admin);
        PQclear(r);
        PQfinish(admin);
        if (Error.empty()) conn_ = Connect(Database);
        if (conn_) Exec("SET client_min_messages = warning");
    }
    ~PgSession() {
        if (conn_) PQfinish(conn_);
        if (Database.empty()) return;
        if (PGconn* admin = Connect("postgres")) {
            PQclear(PQexec(admin, ("DROP DATABASE IF EXISTS " + Database + " WITH (FORCE)").c_str()));
            PQfinish(admin);
        }
    }
    PgSession(const PgSession&) = delete;
    PgSession& operator=(const PgSession&) = delete;

    bool Ready() const { return conn_ != nullptr; }

    /// Runs one statement; returns the server's message, empty when it was accepted.
    std::string Exec(const std::string& Sql) {
        PGresult* r = PQexec(conn_, Sql.c_str());
        const ExecStatusType s = PQresultStatus(r);
        std::string err;
        if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK && s != PGRES_EMPTY_QUERY)
            err = PQerrorMessage(conn_);
        PQclear(r);
        return err;
    }

    /// Runs a script through psql in the session's database, stopping at the first error; the
    /// client's output when it fails, empty when it succeeds.
    std::string RunClient(const std::string& Script) {
        return RunClientOn(Script, "psql -X -q -v ON_ERROR_STOP=1 -h " + host_ + " -p " + port_ +
                                       " -U postgres -d " + Database + " -f");
    }

    /// The rows of a query (NULL as "<null>"); a failed query gives one row holding its message.
    Rows Query(const std::string& Sql) {
        Rows out;
        PGresult* r = PQexec(conn_, Sql.c_str());
        if (PQresultStatus(r) != PGRES_TUPLES_OK) {
            out.push_back({"error: " + std::string(PQerrorMessage(conn_))});
        } else {
            for (int i = 0; i < PQntuples(r); ++i) {
                std::vector<std::string> row;
                for (int j = 0; j < PQnfields(r); ++j)
                    row.push_back(PQgetisnull(r, i, j) ? "<null>" : PQgetvalue(r, i, j));
                out.push_back(std::move(row));
            }
        }
        PQclear(r);
        return out;
    }

    std::string Missing, Error, Database;

private:
    PGconn* Connect(const std::string& Db) {
        const std::string info = "host=" + host_ + " port=" + port_ + " user=postgres dbname=" + Db;
        PGconn* c = PQconnectdb(info.c_str());
        if (PQstatus(c) != CONNECTION_OK) {
            Error = "cannot connect to PostgreSQL (" + info + "): " + PQerrorMessage(c);
            PQfinish(c);
            return nullptr;
        }
        return c;
    }
    std::string host_, port_;
    PGconn* conn_ = nullptr;
};

/// A MariaDB session in a fresh database (more databases can be made with Exec; all are dropped).
class MySession {
public:
    MySession() {
        ServerState st = ServerState::Read("MY_MISSING");
        if (!st.Missing.empty()) {
            Missing = st.Missing;
            return;
        }
        conn_ = mysql_init(nullptr);
        port_ = st.Values["MY_PORT"];
        const unsigned port = static_cast<unsigned>(std::stoul(st.Values["MY_PORT"]));
        if (!mysql_real_connect(conn_, "127.0.0.1", "root", "", nullptr, port, nullptr, 0)) {
            Error = "cannot connect to MariaDB on port " + st.Values["MY_PORT"] + ": " + mysql_error(conn_);
            mysql_close(conn_);
            conn_ = nullptr;
            return;
        }
        Database = FreshDatabaseName("smx");
        Error = MakeDatabase(Database);
        if (Error.empty()) Error = Exec("USE " + Database);
        if (!Error.empty()) {
            mysql_close(conn_);
            conn_ = nullptr;
        }
    }
    ~MySession() {
        if (!conn_) return;
        for (const std::string& d : databases_)
            mysql_query(conn_, ("DROP DATABASE IF EXISTS " + d).c_str());
        mysql_close(conn_);
    }
    MySession(const MySession&) = delete;
    MySession& operator=(const MySession&) = delete;

    bool Ready() const { return conn_ != nullptr; }

    /// Makes one more database, dropped with the session.
    std::string MakeDatabase(const std::string& Name) {
        databases_.push_back(Name);
        return Exec("CREATE DATABASE " + Name + " CHARACTER SET utf8mb4");
    }

    /// Runs one statement; returns the server's message, empty when it was accepted.
    std::string Exec(const std::string& Sql) {
        if (mysql_real_query(conn_, Sql.c_str(), Sql.size()) != 0)
            return std::to_string(mysql_errno(conn_)) + ": " + mysql_error(conn_);
        if (MYSQL_RES* r = mysql_store_result(conn_)) mysql_free_result(r);
        return {};
    }

    /// Runs a script through the mariadb command-line client (which knows DELIMITER), in the
    /// session's database; the client's output when it fails, empty when it succeeds.
    std::string RunClient(const std::string& Script) {
        return RunClientOn(Script, "mariadb --no-defaults --batch --silent -h127.0.0.1 -P" + port_ +
                                       " -uroot " + Database + " <");
    }

    /// The rows of a query (NULL as "<null>"); a failed query gives one row holding its message.
    Rows Query(const std::string& Sql) {
        Rows out;
        if (mysql_real_query(conn_, Sql.c_str(), Sql.size()) != 0) {
            out.push_back({"error: " + std::string(mysql_error(conn_))});
            return out;
        }
        MYSQL_RES* r = mysql_store_result(conn_);
        if (!r) return out;
        const unsigned n = mysql_num_fields(r);
        while (MYSQL_ROW row = mysql_fetch_row(r)) {
            std::vector<std::string> v;
            for (unsigned j = 0; j < n; ++j)
                v.push_back(row[j] ? row[j] : "<null>");
            out.push_back(std::move(v));
        }
        mysql_free_result(r);
        return out;
    }

    std::string Missing, Error, Database;

private:
    std::string port_;
    MYSQL* conn_ = nullptr;
    std::vector<std::string> databases_;
};

} // namespace smx::test
