// Packages of Firebird 3 and later and of Oracle: the schema object class of the kind with its
// header and body texts, and the compare steps that create the headers of new packages early (so
// that routines created later may call them), drop surplus packages, alter changed ones and create
// the bodies of new ones.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/smxClasses.h"

namespace smx {

/// The description of a packaged routine or of one of its parameters, as COMMENT ON PROCEDURE
/// PKG.P or COMMENT ON FUNCTION PARAMETER PKG.F.X sets it.
struct TPkgMemberDescription {
    std::string Kind;    ///< "PROCEDURE" or "FUNCTION"
    std::string Routine; ///< the routine's name
    std::string Param;   ///< the parameter's name; empty for the routine itself
    std::string Text;    ///< stored as descriptions are: CR LF line breaks, outer blanks trimmed
};

/// A package: a header (its declarations) and a body (the source text). Kind dboPackage.
class TPkgData : public TDbObj {
public:
    explicit TPkgData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TPkgData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olPackages; }

    /// The header text; with a body, then the terminator line ("^" for InterBase, "/" for other
    /// types) and the body text.
    std::string GetCreateSQL() const override;
    /// "DROP PACKAGE " + quoted name.
    std::string GetDropSQL() const override;

    /// True unless the effective database is InterBase/Firebird below 3.0, which has no packages.
    bool IsSupported() const;
    /// Firebird 3: CREATE OR ALTER PACKAGE name AS + header; Oracle (and other types): CREATE OR
    /// REPLACE PACKAGE name + header; below Firebird 3: a comment that the package needs it.
    std::string GetHeaderText() const;
    /// Firebird 3: RECREATE PACKAGE BODY name AS + body; Oracle: CREATE OR REPLACE PACKAGE BODY;
    /// empty without a body and below Firebird 3.
    std::string GetBodyText() const;

    const std::string& GetHeaderSource() const { return HeaderSource_; }
    /// Stored like the source text: line breaks as CR LF, outer blanks trimmed.
    void SetHeaderSource(std::string_view Value);

    /// Sets the description of a packaged routine (Param empty) or of one of its parameters; an
    /// empty text removes it. Kept ordered by kind, routine and parameter.
    void SetMemberDescription(std::string_view Kind, std::string_view Routine, std::string_view Param,
                              std::string_view Text);
    const std::vector<TPkgMemberDescription>& GetMemberDescriptions() const { return MemberDescriptions_; }
    /// The text of the member of that kind, routine and parameter; empty when it has none.
    std::string MemberDescription(const TPkgMemberDescription& Member) const;
    /// COMMENT ON PROCEDURE|FUNCTION [PARAMETER] package.routine[.parameter] IS text (IS NULL for
    /// an empty text).
    std::string MemberDescriptionSQL(const TPkgMemberDescription& Member) const;

private:
    std::string HeaderSource_;
    std::vector<TPkgMemberDescription> MemberDescriptions_;
};

/// Writes the headers of the master packages the target lacks (the bodies follow in CreatePackages).
void CreatePackageHeaders(TCustomSchemalyst* Comparer);
/// Drops the existing target packages whose key the master lacks.
void DropPackages(TCustomSchemalyst* Comparer);
/// Alters the packages both sides hold whose header or body texts differ.
void AlterPackages(TCustomSchemalyst* Comparer);
/// Writes the bodies of the master packages the target lacks (and the header of any not yet written).
void CreatePackages(TCustomSchemalyst* Comparer);
/// With descriptions compared: the descriptions of the master packages and of their routines and
/// parameters that differ from the target's (those the target alone has are set to NULL).
void UpdatePackageDescriptions(TCustomSchemalyst* Comparer);

} // namespace smx
