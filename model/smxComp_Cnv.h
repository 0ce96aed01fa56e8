// PostgreSQL character-set conversions: the conversion object with its CREATE and DROP texts, and
// its compare steps (conversions are not altered in place: a changed one is dropped and created).
#pragma once

#include <cstdint>
#include <string>

#include "model/smxClasses.h"

namespace smx {

/// A character-set conversion. Kind dboConversion; the schema is the parent name.
class TCnvData : public TDbObj {
public:
    explicit TCnvData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TCnvData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olConversions; }

    /// "CREATE [DEFAULT ]CONVERSION schema.name FOR 'source' TO 'target' FROM schema.function".
    std::string GetCreateSQL() const override;
    /// "DROP CONVERSION schema.name".
    std::string GetDropSQL() const override;

    std::uint8_t DefaultFlag = 0;
    std::string SourceEncoding;
    std::string TargetEncoding;
    std::string FunctionName;
};

// Compare steps of conversions; each takes the comparer and writes into its executor.

/// Creates the master conversions the target lacks.
void CreateConversions(TCustomSchemalyst* Comparer);
/// Drops and creates again the conversions whose text changed.
void AlterConversions(TCustomSchemalyst* Comparer);
/// Drops the target-only conversions.
void DropConversions(TCustomSchemalyst* Comparer);

} // namespace smx
