// Rules: the bound rules of MS SQL and Sybase ASE and the query-rewrite rules of PostgreSQL. The
// schema object class of the kind writes their CREATE and DROP texts; the three compare steps
// create, alter (drop and create again) and drop rules, matched by their list keys.
#pragma once

#include <cstdint>
#include <string>

#include "model/smxClasses.h"

namespace smx {

/// A rule object. Kind dboRule.
class TRulData : public TDbObj {
public:
    explicit TRulData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TRulData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olRules; }

    /// MS SQL: "CREATE RULE [name] AS text" (the stored DDL text, CachedSQL, without a text);
    /// PostgreSQL: "CREATE RULE name AS ON event TO schema.table DO ..."; other types: "CREATE RULE "
    /// + qualified name + " AS " + text.
    std::string GetCreateSQL() const override;
    /// The CREATE text itself (no schema step, no ignore test).
    std::string GetCreateScript() const override { return GetCreateSQL(); }
    /// PostgreSQL: "DROP RULE IF EXISTS name ON schema.table"; other types: the base text.
    std::string GetDropSQL() const override;

    /// The table the rule belongs to, schema-qualified when a schema is set (PostgreSQL).
    std::string QualifiedTable() const;

    std::string Text;        ///< the action (PostgreSQL) or the condition (MS SQL, ASE)
    std::uint8_t Event = 0;  ///< 1 INSERT, 2 UPDATE, 3 DELETE, 5 SELECT
    std::string TableSchema; ///< PostgreSQL
    std::string TableName;   ///< PostgreSQL
    std::string DoWord;      ///< written after " DO" (INSTEAD, ALSO)
    bool Nothing = false;    ///< DO ... NOTHING
};

/// Creates the master rules whose key the target lacks.
void CreateRules(TCustomSchemalyst* Comparer);
/// Drops and creates again the rules whose CREATE texts differ.
void AlterRules(TCustomSchemalyst* Comparer);
/// Drops the target rules whose key the master lacks.
void DropRules(TCustomSchemalyst* Comparer);

} // namespace smx
