// The component classes the demo window wires on each side: the metadata extractor, the script
// extractor and the script executor. Kept in one place so the window does not care which of them
// this build provides; a class this build lacks is stood in for by an extractor that reports
// itself unavailable, so that a side using it counts as failed and Compare refuses to run.
#pragma once

#include <memory>
#include <string>

#include "model/smxClasses.h"
#include "model/smxSQL_Exec.h"

namespace smx {

class TSMXCustomConnection;

/// An extractor whose class this build does not have: ExtractDatabase reports
/// "<ClassName>(<Name>): not available in this build." as an error and extracts nothing.
class TUnavailableExtract : public TCustomExtract {
public:
    explicit TUnavailableExtract(std::string ClassName, TComponent* AOwner = nullptr);
    std::string_view ClassName() const override { return className_; }
    bool ExtractDatabase() override;

private:
    std::string className_;
};

/// The side's metadata extractor, reading through Connection into Structure.
std::unique_ptr<TCustomExtract> CreateDBExtract(TSMXCustomConnection* Connection,
                                                TCustomDBStructure* Structure);
/// The side's script extractor filling Structure.
std::unique_ptr<TCustomExtract> CreateScriptExtract(TCustomDBStructure* Structure);
/// Sets the script file the script extractor reads.
void SetScriptFileName(TCustomExtract& ScriptExtract, const std::string& FileName);
/// The executor on the target connection: the comparer and the data comparer write into it,
/// and Update runs it.
std::unique_ptr<TSQLExec> CreateSQLExec(TSMXCustomConnection* Connection);

} // namespace smx
