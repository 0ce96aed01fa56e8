// Test support for suites that reach SQLite through the ODBC driver manager: the SQLite ODBC
// driver is registered as "SQLite3" in a private driver list of this process (the system's list is
// neither read nor touched), and a database file is made in a fresh temporary folder.
#pragma once

#include <glob.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>

#include "tests/support/smxTestDb.h"

namespace smx::test {

/// The SQLite 3 ODBC driver library of this machine, or "" when none is installed.
inline std::string FindSQLiteODBCDriver() {
    std::string found;
    glob_t g{};
    if (glob("/usr/lib/*/odbc/libsqlite3odbc.so", 0, nullptr, &g) == 0 && g.gl_pathc > 0)
        found = g.gl_pathv[0];
    globfree(&g);
    if (found.empty() && std::filesystem::exists("/usr/lib/odbc/libsqlite3odbc.so"))
        found = "/usr/lib/odbc/libsqlite3odbc.so";
    return found;
}

/// Points the driver manager at a driver list of this process that names the SQLite driver
/// "SQLite3". Runs once, before the first connect (the driver manager reads the place once).
inline void UsePrivateODBCDriverList() {
    static std::once_flag once;
    static std::unique_ptr<TTempDir> dir;
    std::call_once(once, [] {
        const std::string driver = FindSQLiteODBCDriver();
        if (driver.empty()) return; // leave the system's list to answer
        dir = std::make_unique<TTempDir>("smxodbc");
        std::ofstream(dir->File("odbcinst.ini"))
            << "[SQLite3]\nDescription=SQLite 3 ODBC driver\nDriver=" << driver << "\n";
        setenv("ODBCSYSINI", dir->Path().c_str(), 1);
        setenv("ODBCINSTINI", "odbcinst.ini", 1);
    });
}

/// A SQLite database file name in a fresh temporary folder (the driver creates the file on the
/// first connect), removed with the folder.
class TSQLiteTestDatabase {
public:
    explicit TSQLiteTestDatabase(std::string_view fileName = "t.db")
        : dir_("smxsqlite"), path_(dir_.File(fileName)) {
        UsePrivateODBCDriverList();
    }
    const std::string& Path() const { return path_; }
    const TTempDir& Dir() const { return dir_; }
    /// "DRIVER=SQLite3;Database=<path>".
    std::string ConnectionString() const { return "DRIVER=SQLite3;Database=" + path_; }

private:
    TTempDir dir_;
    std::string path_;
};

} // namespace smx::test
