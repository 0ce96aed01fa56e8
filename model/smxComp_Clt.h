// Collations of InterBase/Firebird: the schema object class of the kind with its CREATE text, and
// the three compare steps that create, alter (drop and create again) and drop collations, matched
// by their list keys. Every other dialect writes no collation text.
#pragma once

#include <string>
#include <string_view>

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

    /// Fills what a collation made FROM Base takes from it where its statement is silent, as the
    /// server records it: the base the server names (a built-in CI/AI collation names its root,
    /// a user collation its own base), the PAD, CASE and ACCENT flags and the specific attributes.
    /// Base is a user collation when given as BaseObj, else a built-in one.
    void InheritFrom(std::string_view Base, const TCltData* BaseObj);
    /// Specific attributes as the server keeps them: the items of Inherited overridden by those of
    /// Own, ordered by key, without the COLL-VERSION item the server adds by itself.
    static std::string NormalizedAttributes(std::string_view Inherited, std::string_view Own);
    /// The specific attributes that differ from those of the root base Root (a built-in
    /// collation), as both readers keep them: empty when equal.
    static std::string AttributesBeyond(std::string_view Root, const std::string& Attributes);
};

/// Creates the master collations whose key the target lacks.
void CreateCollations(TCustomSchemalyst* Comparer);
/// Drops and creates again the collations whose CREATE texts differ.
void AlterCollations(TCustomSchemalyst* Comparer);
/// Drops the target collations whose key the master lacks.
void DropCollations(TCustomSchemalyst* Comparer);

} // namespace smx
