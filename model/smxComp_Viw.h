// Views: the view object with its columns, per-dialect options and CREATE/DROP texts, its
// dependency handling, and the view compare steps. A view uses tables, columns, other views,
// generators and routines, and procedures, triggers and constraints use views; so a view creates
// what it needs before it is created, and drops or empties what uses it before it is dropped.
// Views are compared on their compare text, which the steps keep current as views are dropped and
// created again.
#pragma once

#include <string>
#include <string_view>

#include "model/smxClasses.h"

namespace smx {

class TFldData;

/// A view. Kind dboView. Owns its columns (Fields), keyed by column name.
class TViwData : public TDbObj {
public:
    explicit TViwData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TViwData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olViews; }

    TStringList* GetFields() override { return &Fields; }
    TDbObj* FieldObject(std::string_view Name) override;
    /// Appends a column named Name (its table name and parent set) and returns it.
    TFldData* AddField(std::string_view Name);

    /// Only when the view does not exist: what it needs, then the view, then the master grants
    /// on it that the script dropped.
    void CreateDependDef() override;
    /// A view that reads itself through other views (Firebird refuses to drop any view of such a
    /// cycle) is first altered to read nothing; then the inherited drop.
    void DropWithDependents() override;
    /// Before the view is dropped: triggers and routines that use it are emptied (dropped on
    /// Sybase ASE), constraints dropped, its triggers dropped; then the inherited walk.
    void MarkDependents() override;
    /// Not existing; the master grants on the view count as gone with it.
    void MarkDropped() override;
    /// The inherited walk; then needed views are created (or dropped and created again when their
    /// text changed), missing needed columns and generators are created.
    void ProcessDependents() override;
    /// Existing; the views and domains that use this view are flagged for re-creation.
    void MarkCreated() override;
    /// The CREATE text of the effective dialect.
    std::string GetCreateSQL() const override;
    /// "DROP VIEW " + the qualified name; empty for an ignored view.
    std::string GetDropSQL() const override;

    /// Sets the re-create flag, and the partner's when it differs.
    void SetRecreate(bool Value);
    bool GetRecreate() const { return Recreate_; }

    TStringList Fields{true};
    std::string OracleTypeName;      ///< Oracle: the type after " OF "
    std::string OracleOIDWord;       ///< Oracle: after "WITH OBJECT "; empty means IDENTIFIER
    TStringList OracleOIDAttributes; ///< Oracle: the object-identifier attributes
    std::string MySQLAlgorithm;      ///< MySQL ALGORITHM=
    std::string MySQLSecurity;       ///< MySQL SQL SECURITY
    bool WithEncryption = false;     ///< MS SQL
    bool WithSchemaBinding = false;  ///< MS SQL
    bool WithViewMetadata = false;   ///< MS SQL
    /// MS SQL: the whole definition, the CREATE text of a view without source.
    std::string Definition;

private:
    std::string ColumnList() const;
    /// True when the view reads itself through the existing views it reads.
    bool InCycle() const;

    bool Recreate_ = false;
    bool creating_ = false;    // guards CreateDependDef against dependency cycles
    bool cycleBroken_ = false; // altered to read nothing while it is dropped: closes no cycle
};

/// A dependency Obj meets while its dependents are processed: when the master's and the target's
/// views differ, the target's is dropped with its dependents and the master's created again, under
/// comments of Obj naming Tail ("<view> for <kind>: <name>").
void RecreateChangedView(const TDbObj& Obj, TDbObj* MasterView, TDbObj* TargetView, const std::string& Tail);

// Compare steps of views.

/// Creates the master views the target lacks (or that the script dropped), in dependency order.
/// Run twice in a comparison.
void CreateViews(TCustomSchemalyst* Comparer);
/// Drops and creates again the views whose text changed or that are flagged for re-creation;
/// otherwise writes changed descriptions.
void AlterViews(TCustomObjs* MasterObjs, TCustomObjs* TargetObjs, TCustomSQLExec* Exec,
                TCmpObjSetType CompareObjects);
/// Drops the target-only views with what depends on them.
void DropViews(TCustomObjs* MasterObjs, TCustomObjs* TargetObjs, TCustomSQLExec* Exec,
               TCmpObjSetType CompareObjects);

} // namespace smx
