// The demo's component classes: see the header.
#include "demo/DemoComponents.h"

#include "database/smxIBSQLExec.h"
#include "foundation/smxDBEngine.h"

namespace smx {

TUnavailableExtract::TUnavailableExtract(std::string ClassName, TComponent* AOwner)
    : TCustomExtract(AOwner), className_(std::move(ClassName)) {}

bool TUnavailableExtract::ExtractDatabase() {
    GetMsgManager().Clear();
    DoErrorMessage(className_ + "(" + GetName() + "): not available in this build.");
    return false;
}

std::unique_ptr<TCustomExtract> CreateDBExtract(TSMXCustomConnection*, TCustomDBStructure* Structure) {
    auto extract = std::make_unique<TUnavailableExtract>("TIBDBExtract");
    extract->SetDBStructure(Structure);
    return extract;
}

std::unique_ptr<TCustomExtract> CreateScriptExtract(TCustomDBStructure* Structure) {
    auto extract = std::make_unique<TUnavailableExtract>("TIBScriptExtract");
    extract->SetDBStructure(Structure);
    return extract;
}

void SetScriptFileName(TCustomExtract&, const std::string&) {}

std::unique_ptr<TSQLExec> CreateSQLExec(TSMXCustomConnection* Connection) {
    auto exec = std::make_unique<TIBSQLExec>();
    exec->SetSMXConnection(Connection);
    return exec;
}

} // namespace smx
