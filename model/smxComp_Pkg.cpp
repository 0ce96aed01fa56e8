// smxComp_Pkg: see the header.
#include "model/smxComp_Pkg.h"

#include "model/smxCompSteps.h"
#include "platform/smxStrUtils.h"

namespace smx {

namespace {

using enum TDatabaseType;

bool IsFirebird3(const TDbObj& Obj) {
    return Obj.GetDatabaseType() == dbInterBase;
}

} // namespace

TPkgData::TPkgData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboPackage);
}

void TPkgData::SetHeaderSource(std::string_view Value) {
    HeaderSource_ = Trim(AdjustLineBreaks(Value));
}

bool TPkgData::IsSupported() const {
    if (GetDatabaseType() != dbInterBase) return true;
    const TIBServerOptions* ib = GetIBServerOptions();
    return ib && ib->GetSQLServerVersion() >= TIBSQLServerVersionType::st_Firebird_30;
}

std::string TPkgData::GetHeaderText() const {
    const std::string name = QuoteName(GetName());
    if (!IsSupported()) return FormatComment("Package " + name + " needs Firebird 3.0 or later");
    if (IsFirebird3(*this))
        return "CREATE OR ALTER PACKAGE " + name + "\r\n" + "    AS" + "\r\n" + HeaderSource_;
    return "CREATE OR REPLACE PACKAGE " + name + "\r\n" + HeaderSource_;
}

std::string TPkgData::GetBodyText() const {
    if (GetSource().empty() || !IsSupported()) return {};
    const std::string name = QuoteName(GetName());
    if (IsFirebird3(*this)) return "RECREATE PACKAGE BODY " + name + "\r\n" + "    AS" + "\r\n" + GetSource();
    return "CREATE OR REPLACE PACKAGE BODY " + name + "\r\n" + GetSource();
}

std::string TPkgData::GetCreateSQL() const {
    std::string s = GetHeaderText();
    const std::string body = GetBodyText();
    if (!body.empty())
        s += std::string("\r\n") + (GetDatabaseType() == dbInterBase ? "^" : "/") + "\r\n\r\n" + body;
    return s;
}

std::string TPkgData::GetDropSQL() const {
    return "DROP PACKAGE " + QuoteName(GetName());
}

// ===================================================================================================
// Compare steps

namespace {

TPkgData* PackageAt(TStringList& list, int i) {
    return dynamic_cast<TPkgData*>(list.Objects(i));
}

void AddPackageStatement(const TStepContext& c, const TPkgData& p, const std::string& Text, TDbOperation Op) {
    c.Exec->AddStatement(Text, TStatType::stPackage, p.GetName(), TDbObject::dboPackage, Op, "", "");
}

// Writes the header of a new package once; a dialect without packages gets the note as a comment.
void CreateHeader(const TStepContext& c, TPkgData* m) {
    if (m->IsSupported())
        AddPackageStatement(c, *m, m->GetHeaderText(), TDbOperation::odbCreate);
    else
        c.Exec->AddComment(m->GetHeaderText() + "\r\n");
    m->SetExists(true);
}

} // namespace

void CreatePackageHeaders(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    TStepComment header(c.Exec, "Create package...");
    TStringList& list = c.Master->Packages();
    for (int i = 0; i < list.Count(); ++i) {
        TPkgData* m = PackageAt(list, i);
        if (!m || m->GetExists() || FindByKey(c.Target, TObjsList::olPackages, list[i])) continue;
        header.Write(*m);
        CreateHeader(c, m);
    }
}

void DropPackages(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    TStepComment header(c.Exec, "Drop package...");
    TStringList& list = c.Target->Packages();
    for (int i = 0; i < list.Count(); ++i) {
        TPkgData* t = PackageAt(list, i);
        if (!t || !t->GetExists() || FindByKey(c.Master, TObjsList::olPackages, list[i])) continue;
        header.Write(*t);
        t->DropWithDependents();
    }
}

void AlterPackages(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    TStepComment header(c.Exec, "Alter package...");
    TStringList& list = c.Master->Packages();
    for (int i = 0; i < list.Count(); ++i) {
        TPkgData* m = PackageAt(list, i);
        auto* t = m ? dynamic_cast<TPkgData*>(FindByKey(c.Target, TObjsList::olPackages, list[i])) : nullptr;
        if (!t || !m->IsSupported()) continue;
        const bool headerDiffers = m->GetHeaderText() != t->GetHeaderText();
        const bool bodyDiffers = m->GetBodyText() != t->GetBodyText();
        if (!headerDiffers && !bodyDiffers) continue;
        header.Write(*m);
        if (headerDiffers) AddPackageStatement(c, *m, m->GetHeaderText(), TDbOperation::odbAlter);
        // Firebird marks the stored body invalid when the header changes: it is written again.
        const bool writeBody = bodyDiffers || (headerDiffers && IsFirebird3(*m));
        if (!writeBody) continue;
        if (!m->GetBodyText().empty())
            AddPackageStatement(c, *m, m->GetBodyText(), TDbOperation::odbAlter);
        else if (!t->GetSource().empty())
            c.Exec->AddStatement("DROP PACKAGE BODY " + m->QuoteName(m->GetName()), TStatType::stStatement,
                                 m->GetName(), TDbObject::dboPackage, TDbOperation::odbDrop, "", "");
    }
}

void CreatePackages(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    TStepComment header(c.Exec, "Create package body...");
    TStringList& list = c.Master->Packages();
    for (int i = 0; i < list.Count(); ++i) {
        TPkgData* m = PackageAt(list, i);
        if (!m || FindByKey(c.Target, TObjsList::olPackages, list[i])) continue;
        const bool needsHeader = !m->GetExists();
        const std::string body = m->GetBodyText();
        if (!needsHeader && body.empty()) continue;
        header.Write(*m);
        if (needsHeader) CreateHeader(c, m);
        if (!body.empty()) AddPackageStatement(c, *m, body, TDbOperation::odbCreate);
    }
}

} // namespace smx
