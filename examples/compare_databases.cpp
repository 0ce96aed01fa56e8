// Compares two Firebird databases and runs the update on the target, statement by statement, so
// that its schema becomes the master's:
//
//     compare_databases MASTER.fdb TARGET.fdb [USER [PASSWORD]]
//
// A path without a host opens the file in-process (embedded Firebird); USER defaults to SYSDBA.
// The log goes to standard output, errors to standard error; the exit status is 1 when reading a
// database failed or a statement was refused.
#include <iostream>
#include <string>

#include "database/smxConnection_IBX.h"
#include "database/smxIBDatabaseExtract.h"
#include "database/smxIBSQLExec.h"
#include "model/smxDBStructure.h"
#include "model/smxSchemalyst.h"
#include "platform/smxIBClient.h"

using namespace smx;

namespace {

constexpr auto Version = TIBSQLServerVersionType::st_Firebird_30;

/// A database, the connection component over it, its structure and the extractor that reads it.
struct Side {
    TIBDatabase database;
    TSMXConnectionIBX connection;
    TDBStructure structure;
    TIBDBExtract extract;

    Side(const std::string& Path, const std::string& User, const std::string& Password,
         const TErrorMessageEvent& Report) {
        database.SetDatabaseName(Path);
        database.Params().Add("user_name=" + User);
        database.Params().Add("password=" + Password);
        database.SetLoginPrompt(false);
        connection.SetDatabase(&database);
        connection.GetIBServerOptions().SetSQLServerVersion(Version);
        connection.OnErrorMessage = Report;
        structure.SetDatabaseType(TDatabaseType::dbInterBase);
        structure.GetIBServerOptions().SetSQLServerVersion(Version);
        extract.SetSMXConnection(&connection);
        extract.SetDBStructure(&structure);
        extract.SetOnErrorMessage(Report);
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5) {
        std::cerr << "usage: compare_databases MASTER.fdb TARGET.fdb [USER [PASSWORD]]\n";
        return 2;
    }
    const std::string user = argc > 3 ? argv[3] : "SYSDBA";
    const std::string password = argc > 4 ? argv[4] : "masterkey";
    bool failed = false;
    const TErrorMessageEvent report = [&failed](TObject*, const std::string& Text) {
        std::cerr << Text << "\n";
        failed = true;
    };
    Side master(argv[1], user, password, report), target(argv[2], user, password, report);

    // The executor runs the update on the target's connection, committing after each statement.
    TIBSQLExec exec;
    exec.SetSMXConnection(&target.connection);
    exec.GetIBServerOptions().SetSQLServerVersion(Version);
    exec.OnLogNextLine = [](TObject*, const std::string& Text) { std::cout << Text << "\n"; };
    exec.OnErrorMessage = report;
    TSchemalyst comparer;
    comparer.SetDBStructureMaster(&master.structure);
    comparer.SetDBStructureTarget(&target.structure);
    comparer.SetExtractorMaster(&master.extract);
    comparer.SetExtractorTarget(&target.extract);
    comparer.SetSQLExec(&exec);
    comparer.OnErrorMessage = report;
    // Firebird 3 keeps descriptions through COMMENT ON only.
    comparer.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);

    if (!comparer.ExtractStructures() || failed) return 1;
    comparer.CompareStructures();
    const bool ran = exec.ExecuteScript();
    return ran && !failed ? 0 : 1;
}
