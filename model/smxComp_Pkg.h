// Packages of Firebird 3 and later and of Oracle: the schema object class of the kind with its
// header and body texts, and the compare steps that create the headers of new packages early (so
// that routines created later may call them), drop surplus packages, alter changed ones and create
// the bodies of new ones.
#pragma once

#include <string>
#include <string_view>

#include "model/smxClasses.h"

namespace smx {

/// A package: a header (its declarations) and a body (the source text). Kind dboPackage.
class TPkgData : public TDbObj {
public:
    explicit TPkgData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TPkgData)

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

private:
    std::string HeaderSource_;
};

/// Writes the headers of the master packages the target lacks (the bodies follow in CreatePackages).
void CreatePackageHeaders(TCustomSchemalyst* Comparer);
/// Drops the existing target packages whose key the master lacks.
void DropPackages(TCustomSchemalyst* Comparer);
/// Alters the packages both sides hold whose header or body texts differ.
void AlterPackages(TCustomSchemalyst* Comparer);
/// Writes the bodies of the master packages the target lacks (and the header of any not yet written).
void CreatePackages(TCustomSchemalyst* Comparer);

} // namespace smx
