// Schemas: the name spaces of Oracle, MS SQL, PostgreSQL and DB2, with their CREATE and DROP texts
// and the compare steps that create, describe and drop them. The readers of this suite create no
// schema; the objects come from another reader or from the application.
#pragma once

#include <string>

#include "model/smxClasses.h"

namespace smx {

/// A schema. Kind dboSchema.
class TSchData : public TDbObj {
public:
    explicit TSchData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TSchData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olSchemas; }

    /// "CREATE SCHEMA " + name; MS SQL adds " AUTHORIZATION " + owner when the owner is set and is
    /// not the schema's own name.
    std::string GetCreateSQL() const override;
    /// "DROP SCHEMA " + name.
    std::string GetDropSQL() const override;

    std::string Owner; ///< the authorization of the schema
};

// Compare steps of schemas: they act only for Oracle, MS SQL, PostgreSQL and DB2 targets, and pass
// over PostgreSQL's "public" schema and an MS SQL schema named like its alternative name.

/// Creates the master schemas that the target lacks.
void CreateSchemas(TCustomSchemalyst* Comparer);
/// Writes the changed descriptions of paired schemas.
void AlterSchemas(TCustomSchemalyst* Comparer);
/// Drops the target schemas that the master lacks.
void DropSchemas(TCustomSchemalyst* Comparer);

} // namespace smx
