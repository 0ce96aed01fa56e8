// The InterBase/Firebird script extractor.
#include "parsing/smxIBScriptExtract.h"

#include "parsing/smxIBExParser.h"

namespace smx {

TIBScriptExtract::TIBScriptExtract(TComponent* AOwner) : TCustomScriptExtract(AOwner) {
    SetDatabaseType(TDatabaseType::dbInterBase);
}

std::unique_ptr<TCustomParser> TIBScriptExtract::CreateParser() {
    return std::make_unique<TIbExParser>(this);
}

void TIBScriptExtract::PrepareParser() {
    TCustomScriptExtract::PrepareParser();
}

} // namespace smx
