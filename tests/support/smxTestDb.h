// Test support for suites that need a real Firebird database: a fresh temporary folder that is
// removed afterwards, isql-fb runs on script files, and a database created in the folder from
// given SQL. isql-fb runs the embedded engine (a path without host opens the file in-process).
#pragma once

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include <sys/wait.h>

namespace smx::test {

/// A new, empty folder under the system's temporary directory; removed with everything in it.
class TTempDir {
public:
    /// Creates the folder; its name starts with prefix (which may hold any byte but '/').
    explicit TTempDir(std::string_view prefix = "smx") {
        const char* base = std::getenv("TMPDIR");
        std::string templ = std::string(base && *base ? base : "/tmp") + "/" + std::string(prefix) + "XXXXXX";
        if (!mkdtemp(templ.data())) throw std::runtime_error("cannot create a temporary folder: " + templ);
        path_ = templ;
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }

    const std::string& Path() const { return path_; }
    /// The path of a file in the folder.
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

/// The text with single quotes doubled, for a path inside an SQL string literal.
inline std::string SqlQuoteDoubled(std::string_view s) {
    std::string r;
    for (char c : s) {
        r += c;
        if (c == '\'') r += '\'';
    }
    return r;
}

/// The text with every "{name}" replaced by value.
inline std::string ReplaceAll(std::string s, std::string_view name, std::string_view value) {
    const std::string key = "{" + std::string(name) + "}";
    for (std::size_t pos = s.find(key); pos != std::string::npos; pos = s.find(key, pos + value.size()))
        s.replace(pos, key.size(), value);
    return s;
}

/// The result of one isql-fb run: its exit status and its output (stdout and stderr).
struct TIsqlResult {
    int ExitCode = -1;
    std::string Output;
    bool Ok() const { return ExitCode == 0; }
};

/// The text in single quotes for the shell.
inline std::string ShellQuote(const std::string& s) {
    std::string r = "'";
    for (char c : s)
        r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

/// The output of a shell command (stdout and stderr).
inline std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0)
        out.append(buf.data(), n);
    pclose(pipe);
    return out;
}

/// isql-fb's metadata extract (-x) of the database, as isql-fb writes it.
inline std::string IsqlExtract(const std::string& path) {
    return RunCommand("isql-fb -x " + ShellQuote(path));
}

/// Runs isql-fb on the script file, stopping at the first error (bail); extra arguments are
/// passed before the input option, e.g. a database path.
inline TIsqlResult RunIsqlFile(const std::string& scriptFile, const std::string& extraArgs = {}) {
    const std::string cmd = "isql-fb -q -b " + extraArgs + " -i " + ShellQuote(scriptFile) + " 2>&1";
    TIsqlResult result;
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0)
        result.Output.append(buf.data(), n);
    const int status = pclose(pipe);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

/// Writes the script into the folder and runs isql-fb on it.
inline TIsqlResult RunIsqlScript(const TTempDir& dir, const std::string& sql,
                                 const std::string& extraArgs = {}) {
    static int counter = 0;
    const std::string file = dir.File("script" + std::to_string(++counter) + ".sql");
    std::ofstream(file, std::ios::binary) << sql;
    return RunIsqlFile(file, extraArgs);
}

/// A database created by isql-fb in a fresh temporary folder, removed with the folder. In the
/// SQL, {db} stands for the database path and {dir} for the folder, both with single quotes
/// doubled for use inside a string literal.
class TTestDatabase {
public:
    /// Runs sql (which starts with CREATE DATABASE '{db}' ...); throws std::runtime_error with
    /// isql-fb's output when it fails.
    explicit TTestDatabase(const std::string& sql, std::string_view fileName = "test.fdb",
                           std::string_view folderPrefix = "smxdb")
        : dir_(folderPrefix), path_(dir_.File(fileName)) {
        std::string script = ReplaceAll(sql, "db", SqlQuoteDoubled(path_));
        script = ReplaceAll(script, "dir", SqlQuoteDoubled(dir_.Path()));
        const TIsqlResult r = RunIsqlScript(dir_, script);
        if (!r.Ok()) throw std::runtime_error("isql-fb failed: " + r.Output);
    }

    /// The database file.
    const std::string& Path() const { return path_; }
    const TTempDir& Dir() const { return dir_; }
    /// Runs more SQL on the database (connected by isql-fb as the script's first statement).
    TIsqlResult Run(const std::string& sql) const {
        return RunIsqlScript(dir_, "CONNECT '" + SqlQuoteDoubled(path_) + "';\n" + sql);
    }

private:
    TTempDir dir_;
    std::string path_;
};

/// The usual test database: dialect 3, page size 4096, character set WIN1252, plus the given DDL.
inline std::string
CreateDatabaseSql(std::string_view ddl = {},
                  std::string_view clauses = "PAGE_SIZE 4096 DEFAULT CHARACTER SET WIN1252") {
    return "CREATE DATABASE '{db}' USER 'SYSDBA' " + std::string(clauses) + ";\n" + std::string(ddl);
}

} // namespace smx::test
