// Collations of InterBase/Firebird: the schema object class of the kind with its CREATE text, and
// the three compare steps that create, alter (drop and create again) and drop collations, matched
// by their list keys. Every other dialect writes no collation text.
#pragma once

#include <string>

#include "model/smxClasses.h"

namespace smx {

/// A collation. Kind dboCollation. Its DROP text is the base one ("DROP COLLATION").
class TCltData : public TDbObj {
public:
    explicit TCltData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TCltData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olCollations; }

    /// InterBase: CREATE COLLATION with its FOR, FROM, PAD, CASE, ACCENT lines and the specific
    /// attributes, each line ending in CR LF; empty for every other type.
    std::string GetCreateSQL() const override;
    /// The CREATE text itself (no schema step, no ignore test).
    std::string GetCreateScript() const override { return GetCreateSQL(); }

    std::string CharSet;
    std::string BaseCollation;
    std::string ExternalName;
    bool PadSpace = false;
    bool CaseSensitive = true;
    bool AccentSensitive = true;
    std::string SpecificAttributes;
};

/// Creates the master collations whose key the target lacks.
void CreateCollations(TCustomSchemalyst* Comparer);
/// Drops and creates again the collations whose CREATE texts differ.
void AlterCollations(TCustomSchemalyst* Comparer);
/// Drops the target collations whose key the master lacks.
void DropCollations(TCustomSchemalyst* Comparer);

} // namespace smx
