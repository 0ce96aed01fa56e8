// The InterBase/Firebird script extractor: the script extractor with database type dbInterBase and
// the body parser TIbExParser, so that two script files can be compared without a server.
#pragma once

#include <memory>

#include "parsing/smxCustomScriptExtract.h"

namespace smx {

/// Fills a structure from InterBase/Firebird scripts (server version and dialect as the
/// structure's InterBase options say; SET SQL DIALECT in a script changes the dialect).
class TIBScriptExtract : public TCustomScriptExtract {
public:
    explicit TIBScriptExtract(TComponent* AOwner = nullptr);
    SMX_CLASSNAME(TIBScriptExtract)

protected:
    /// A TIbExParser owned by the extractor.
    std::unique_ptr<TCustomParser> CreateParser() override;
    /// The base preparation; the parser reads the container's InterBase options itself.
    void PrepareParser() override;
};

} // namespace smx
