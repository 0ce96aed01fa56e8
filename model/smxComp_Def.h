// Bound defaults of MS SQL and Sybase ASE: the schema object class of the kind with its CREATE text,
// and the three compare steps that create, alter (drop and create again) and drop defaults, matched
// by their list keys.
#pragma once

#include <string>

#include "model/smxClasses.h"

namespace smx {

/// A default object. Kind dboDefault. Its DROP text is the base one ("DROP DEFAULT").
class TDefData : public TDbObj {
public:
    explicit TDefData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TDefData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olDefaults; }

    /// MS SQL: "CREATE DEFAULT [name] AS expression", or the stored DDL text (CachedSQL) when the
    /// expression is empty; every other type: "CREATE DEFAULT " + quoted name + " AS " + expression.
    std::string GetCreateSQL() const override;
    /// The CREATE text itself (no schema step, no ignore test).
    std::string GetCreateScript() const override { return GetCreateSQL(); }

    std::string Expression;
};

/// Creates the master defaults whose key the target lacks.
void CreateDefaults(TCustomSchemalyst* Comparer);
/// Drops and creates again the defaults whose CREATE texts differ.
void AlterDefaults(TCustomSchemalyst* Comparer);
/// Drops the target defaults whose key the master lacks.
void DropDefaults(TCustomSchemalyst* Comparer);

} // namespace smx
