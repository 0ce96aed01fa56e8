// smxComp_Pkg: see the header.
#include "model/smxComp_Pkg.h"

#include <algorithm>
#include <tuple>

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

namespace {

bool MemberLess(const TPkgMemberDescription& A, const TPkgMemberDescription& B) {
    return std::tie(A.Kind, A.Routine, A.Param) < std::tie(B.Kind, B.Routine, B.Param);
}

bool IsWordChar(char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '_' || C == '$';
}

// Whether the header text declares Kind Routine ("PROCEDURE P", "FUNCTION F"): the kind word, then
// the name, plain (any case) or double-quoted.
bool DeclaresRoutine(const std::string& Header, const std::string& Kind, const std::string& Routine) {
    const std::string upper = UpperCase(Header);
    for (std::size_t at = upper.find(Kind); at != std::string::npos; at = upper.find(Kind, at + 1)) {
        if ((at > 0 && IsWordChar(upper[at - 1])) || at + Kind.size() >= upper.size() ||
            IsWordChar(upper[at + Kind.size()]))
            continue;
        std::size_t p = at + Kind.size();
        while (p < Header.size() &&
               (Header[p] == ' ' || Header[p] == '\t' || Header[p] == '\r' || Header[p] == '\n'))
            ++p;
        std::size_t end = p;
        if (p < Header.size() && Header[p] == '"') {
            end = Header.find('"', p + 1);
            if (end != std::string::npos && Header.substr(p + 1, end - p - 1) == Routine) return true;
            continue;
        }
        while (end < Header.size() && IsWordChar(Header[end]))
            ++end;
        if (end > p && SameText(Header.substr(p, end - p), Routine)) return true;
    }
    return false;
}

} // namespace

void TPkgData::SetMemberDescription(std::string_view Kind, std::string_view Routine, std::string_view Param,
                                    std::string_view Text) {
    TPkgMemberDescription d{UpperCase(Kind), std::string(Routine), std::string(Param),
                            Trim(AdjustLineBreaks(Text))};
    auto it = std::lower_bound(MemberDescriptions_.begin(), MemberDescriptions_.end(), d, MemberLess);
    const bool found = it != MemberDescriptions_.end() && !MemberLess(d, *it);
    if (d.Text.empty()) {
        if (found) MemberDescriptions_.erase(it);
    } else if (found) {
        it->Text = std::move(d.Text);
    } else {
        MemberDescriptions_.insert(it, std::move(d));
    }
}

std::string TPkgData::MemberDescription(const TPkgMemberDescription& Member) const {
    auto it = std::lower_bound(MemberDescriptions_.begin(), MemberDescriptions_.end(), Member, MemberLess);
    return it != MemberDescriptions_.end() && !MemberLess(Member, *it) ? it->Text : std::string();
}

std::string TPkgData::MemberDescriptionSQL(const TPkgMemberDescription& Member) const {
    std::string s = "COMMENT ON " + Member.Kind + (Member.Param.empty() ? " " : " PARAMETER ") +
                    QuoteName(GetName()) + "." + QuoteName(Member.Routine);
    if (!Member.Param.empty()) s += "." + QuoteName(Member.Param);
    return s + " IS" + "\r\n" + (Member.Text.empty() ? std::string("NULL") : QuotedStr(Member.Text));
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

void UpdatePackageDescriptions(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok() || !c.Descriptions()) return;
    TStringList& list = c.Master->Packages();
    auto write = [&](const TPkgData& p, const TPkgMemberDescription& d) {
        if (TStatement* st =
                c.Exec->AddStatement(p.MemberDescriptionSQL(d), TStatType::stDescription, p.GetName(),
                                     TDbObject::dboPackage, TDbOperation::odbDescription, "", ""))
            st->Description = d.Text;
    };
    for (int i = 0; i < list.Count(); ++i) {
        TPkgData* m = PackageAt(list, i);
        if (!m || !m->IsSupported()) continue;
        auto* t = dynamic_cast<TPkgData*>(FindByKey(c.Target, TObjsList::olPackages, list[i]));
        if (t ? t->GetDescription() != m->GetDescription() : !m->GetDescription().empty())
            c.Exec->AddDescription(m);
        for (const TPkgMemberDescription& d : m->GetMemberDescriptions())
            if (!t || t->MemberDescription(d) != d.Text) write(*m, d);
        if (!t) continue;
        // What only the target describes loses its description, as far as the master still declares
        // it: after a changed header a parameter may be gone, and is left as it is.
        const bool sameHeader = m->GetHeaderText() == t->GetHeaderText();
        for (TPkgMemberDescription d : t->GetMemberDescriptions())
            if (m->MemberDescription(d).empty() &&
                (sameHeader ||
                 (d.Param.empty() && DeclaresRoutine(m->GetHeaderSource(), d.Kind, d.Routine)))) {
                d.Text.clear();
                write(*m, d);
            }
    }
}

} // namespace smx
