// Compares two Firebird 3 script files, no server needed, and writes the update script that turns
// a database made from the target script into one like the master script's:
//
//     compare_scripts MASTER.sql TARGET.sql UPDATE.sql
//
// The update script names no database; run it with  isql-fb -q -b TARGET.fdb -i UPDATE.sql
// A missing file or a syntax error is reported with its file, line and column, and nothing is
// written (exit status 1).
#include <iostream>
#include <string>

#include "model/smxDBStructure.h"
#include "model/smxSQL_Exec.h"
#include "model/smxSchemalyst.h"
#include "parsing/smxIBScriptExtract.h"

using namespace smx;

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: compare_scripts MASTER.sql TARGET.sql UPDATE.sql\n";
        return 2;
    }
    auto report = [](TObject*, const std::string& Text) { std::cerr << Text << "\n"; };

    // One structure per side, for the server and SQL dialect the scripts are written for.
    TDBStructure master, target;
    for (TDBStructure* s : {&master, &target}) {
        s->SetDatabaseType(TDatabaseType::dbInterBase);
        s->GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
        s->GetIBServerOptions().SetSQLDialect(3);
    }
    TIBScriptExtract masterScript, targetScript;
    masterScript.SetScriptFileName(argv[1]);
    targetScript.SetScriptFileName(argv[2]);
    for (TIBScriptExtract* e : {&masterScript, &targetScript})
        e->SetOnErrorMessage(report);

    TSQLExec exec;
    exec.SetDatabaseType(TDatabaseType::dbInterBase);
    TSchemalyst comparer;
    comparer.SetDBStructureMaster(&master);
    comparer.SetDBStructureTarget(&target);
    comparer.SetExtractorMaster(&masterScript);
    comparer.SetExtractorTarget(&targetScript);
    comparer.SetSQLExec(&exec);
    comparer.OnErrorMessage = report;
    // isql-fb knows no RECONNECT, and Firebird 3 keeps descriptions through COMMENT ON only.
    comparer.GetIBCompareOptions().SetUseRECONNECT(false);
    comparer.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);

    if (!comparer.ExtractStructures()) return 1;
    comparer.CompareStructures();
    TStringList lines;
    exec.GetScriptLines(lines, false);
    try {
        lines.SaveToFile(argv[3]);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    std::cout << exec.GetStatementCount() << " statements written to " << argv[3] << "\n";
    return 0;
}
