// smxComp_Idx: indices, their texts and their compare steps. See the header.
#include "model/smxComp_Idx.h"

#include "model/smxComp_Tbl.h"
#include "platform/smxStrUtils.h"

namespace smx {

namespace {

using enum TDatabaseType;

TIdxData* IndexAt(const TStringList& List, int Index) {
    return dynamic_cast<TIdxData*>(List.Objects(Index));
}

TFldData* ColumnAt(const TStringList& List, int Index) {
    return dynamic_cast<TFldData*>(List.Objects(Index));
}

TFldData* AppendColumn(TIdxData& Index, TStringList& List, std::string_view Name) {
    auto* f = new TFldData(Index.GetOwner());
    f->SetName(Name);
    f->TableName = Index.TableName;
    List.AddObject(f->GetName(), f);
    return f;
}

// Writes the step's header comment before its first statement and the closing line after its last.
class StepHeader {
public:
    StepHeader(TCustomSQLExec* Exec, std::string_view Text) : exec_(Exec), text_(Text) {}
    StepHeader(const StepHeader&) = delete;
    StepHeader& operator=(const StepHeader&) = delete;
    ~StepHeader() {
        if (written_) exec_->AddComment("\r\n");
    }
    void Write() {
        if (written_) return;
        exec_->AddComment(text_);
        written_ = true;
    }

private:
    TCustomSQLExec* exec_;
    std::string text_;
    bool written_ = false;
};

} // namespace

TIdxData::TIdxData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboIndex);
}

TIdxData::~TIdxData() = default;

TFldData* TIdxData::AddColumn(std::string_view Name) {
    return AppendColumn(*this, Columns, Name);
}

TFldData* TIdxData::AddIncludeColumn(std::string_view Name) {
    return AppendColumn(*this, IncludeColumns, Name);
}

std::string TIdxData::GetFullName() const {
    if (GetDatabaseType() == dbMySQL) return TableName + "." + GetName();
    return TDbObj::GetFullName();
}

std::string TIdxData::GetColumnsText() const {
    const bool mySQL = GetDatabaseType() == dbMySQL;
    std::string s;
    for (int i = 0; i < Columns.Count(); ++i) {
        if (i > 0) s += ", ";
        AppendQuotedName(s, Columns[i]);
        if (const TFldData* f = ColumnAt(Columns, i)) {
            if (f->ParamDirection == IndexColumnDescending) s += " DESC";
            if (mySQL && f->Length >= 1) s += "(" + IntToStr(f->Length) + ")";
        }
    }
    return s;
}

std::string TIdxData::GetIncludeColumnsText() const {
    std::string s;
    for (int i = 0; i < IncludeColumns.Count(); ++i) {
        if (i > 0) s += ", ";
        s += QuoteName(IncludeColumns[i]);
    }
    return s;
}

std::string TIdxData::GetInactiveSQL() const {
    if (Active) return {};
    return "ALTER INDEX " + QuoteName(GetName()) + " INACTIVE";
}

std::string TIdxData::GetCreateSQL() const {
    if (Ignore) return {};
    const TDatabaseType t = GetDatabaseType();
    const std::string& parent = GetParentName();
    auto q = [this](std::string_view Name) { return QuoteName(Name); };
    auto qualified = [&](std::string_view Name) {
        return parent.empty() ? q(Name) : q(parent) + "." + q(Name);
    };

    std::string s;
    s.reserve(96); // the usual text fits: the log of a large script composes it for every index
    s += "CREATE ";
    if (Unique) s += "UNIQUE ";
    if (Bitmap) s += "BITMAP ";
    if (t == dbMSSQL) {
        if (Clustered) s += "CLUSTERED ";
        if (Primary) s += "PRIMARY ";
        if (XML) s += "XML ";
    }
    if (FullText) s += "FULLTEXT ";
    if (Spatial) s += "SPATIAL ";
    if (Descending) s += "DESC ";

    switch (t) {
    case dbMSSQL:
    case dbPostgreSQL:
        s += "INDEX " + q(GetName()) + " ON " + qualified(TableName);
        break;
    case dbSybaseASA:
        s += "INDEX " + q(GetName()) + " ON " + q(Owner2) + "." + q(TableName);
        break;
    case dbOracle:
        s += "INDEX " + qualified(GetName()) + " ON " + qualified(TableName);
        break;
    case dbMySQL:
        s += "INDEX " + q(GetName());
        if (!IndexOptions.IndexType.empty()) s += " USING " + IndexOptions.IndexType;
        s += " ON " + q(TableName);
        break;
    default:
        s += "INDEX ";
        AppendQuotedName(s, GetName());
        s += " ON ";
        AppendQuotedName(s, TableName);
        break;
    }

    if (GetSource().empty()) {
        s += '(';
        s += GetColumnsText();
        s += ')';
    } else if (t == dbOracle) {
        s += GetSource();
    } else {
        s += " COMPUTED BY" + GetSource();
    }

    if (IncludeColumns.Count() > 0) s += "\r\n  INCLUDE (" + GetIncludeColumnsText() + ")";
    if (t == dbMSSQL) {
        if (!FilterText.empty()) s += "\r\nWHERE " + FilterText;
        if (!MSSQLExtra.empty()) s += "\r\n   " + MSSQLExtra;
        if (!FileGroup.empty()) s += "\r\nON " + q(FileGroup);
    }
    if (t == dbOracle) {
        if (!IndexType.empty()) s += "\r\n   INDEXTYPE IS " + IndexType;
        if (!Parameters.empty()) s += "\r\n   PARAMETERS " + Parameters;
        if (Compress) s += "\r\nCOMPRESS";
        if (NoCompress) s += "\r\nNOCOMPRESS";
        if (NoLogging) s += "\r\nNOLOGGING";
        if (!TablespaceName.empty()) s += "\r\nTABLESPACE " + TablespaceName;
    }
    const std::string space = TableSpace.GetSQLText();
    if (!space.empty()) s += "\r\n" + space;
    if (t == dbDB2 && AllowReverseScans) s += "\r\n  ALLOW REVERSE SCANS";
    return s;
}

std::string TIdxData::GetDropSQL() const {
    const std::string name = QuoteName(GetName());
    const std::string table = QuoteName(TableName);
    const std::string& parent = GetParentName();
    switch (GetDatabaseType()) {
    case dbMSSQL:
        return "DROP INDEX " + (parent.empty() ? std::string() : QuoteName(parent) + ".") + table + "." +
               name;
    case dbSybaseASE:
        return "DROP INDEX " + table + "." + name;
    case dbSybaseASA:
        return "DROP INDEX " + QuoteName(Owner2) + "." + table + "." + name;
    case dbMySQL:
        return "DROP INDEX " + name + " ON " + table;
    case dbPostgreSQL:
        return "DROP INDEX " + (parent.empty() ? std::string() : QuoteName(parent) + ".") + name;
    default:
        return TDbObj::GetDropSQL();
    }
}

void TIdxData::MarkDependents() {
    TDbObj::MarkDependents();
    if (GetDatabaseType() == dbInterBase)
        if (TCustomSQLExec* exec = GetSQLExec()) exec->AddReconnect();
}

void TIdxData::CreateDependDef() {
    const bool existed = GetExists();
    TDbObj::CreateDependDef();
    if (existed || !GetExists()) return;
    const std::string inactive = GetInactiveSQL();
    if (inactive.empty() || Ignore) return;
    if (TCustomSQLExec* exec = GetSQLExec())
        exec->AddStatement(inactive, TStatType::stStatement, GetName(), TDbObject::dboIndex,
                           TDbOperation::odbAlter);
}

// ===================================================================================================
// Compare steps

void DropIndices(TCustomSchemalyst* Comparer) {
    TCustomObjs* target = Comparer ? Comparer->GetTargetObjs() : nullptr;
    TCustomSQLExec* exec = Comparer ? Comparer->GetSQLExec() : nullptr;
    if (!target || !exec) return;
    StepHeader header(exec, "/* Drop Index... */");
    TStringList& list = target->Indices();
    for (int i = 0; i < list.Count(); ++i) {
        TIdxData* t = IndexAt(list, i);
        if (!t || t->Ignore || t->GetPartner() || !t->GetExists()) continue;
        header.Write();
        t->DropWithDependents();
    }
}

void CreateIndices(TCustomSchemalyst* Comparer) {
    TCustomObjs* master = Comparer ? Comparer->GetMasterObjs() : nullptr;
    TCustomSQLExec* exec = Comparer ? Comparer->GetSQLExec() : nullptr;
    if (!master || !exec) return;
    const bool descriptions = Comparer->GetCompareObjects().contains(TCmpObjType::coDescription);
    StepHeader header(exec, "/* Create index... */");
    TStringList& list = master->Indices();
    for (int i = 0; i < list.Count(); ++i) {
        TIdxData* m = IndexAt(list, i);
        if (!m || m->Ignore || (m->GetPartner() && m->GetExists())) continue;
        header.Write();
        m->CreateDependDef(); // an inactive index is deactivated there
        if (descriptions && !m->GetDescription().empty()) exec->AddDescription(m);
    }
}

void AlterIndices(TCustomSchemalyst* Comparer) {
    TCustomObjs* master = Comparer ? Comparer->GetMasterObjs() : nullptr;
    TCustomSQLExec* exec = Comparer ? Comparer->GetSQLExec() : nullptr;
    if (!master || !exec) return;
    const bool descriptions = Comparer->GetCompareObjects().contains(TCmpObjType::coDescription);
    StepHeader header(exec, "/* Alter index (Drop, Create)... */");
    TStringList& list = master->Indices();
    for (int i = 0; i < list.Count(); ++i) {
        TIdxData* m = IndexAt(list, i);
        auto* p = m ? dynamic_cast<TIdxData*>(m->GetPartner()) : nullptr;
        if (!p || m->Ignore) continue;
        const std::string mine = m->GetCreateSQL();
        const std::string theirs = p->GetCreateSQL();
        const bool equal = p->GetDatabaseType() == dbMSSQL ? SameText(mine, theirs) : mine == theirs;
        if (!equal) {
            header.Write();
            p->DropWithDependents();
            m->CreateDependDef(); // an inactive index is deactivated there
        } else if (m->Active != p->Active) {
            header.Write();
            exec->AddStatement(
                "ALTER INDEX " + m->GetQualifiedObjectName() + (m->Active ? " ACTIVE" : " INACTIVE"),
                TStatType::stStatement, m->GetName(), TDbObject::dboIndex, TDbOperation::odbAlter);
            p->Active = m->Active;
        }
        // A recreated index has lost its description.
        if (descriptions && (m->GetDescription() != p->GetDescription() || (!equal && !m->GetDescription().empty())))
            exec->AddDescription(m);
    }
}

} // namespace smx
