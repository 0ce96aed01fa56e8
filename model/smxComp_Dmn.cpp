// smxComp_Dmn: domain and user-type texts per dialect, the domain's walkers, and the domain compare
// steps with the in-place alteration of InterBase/Firebird domains. See the header.
#include "model/smxComp_Dmn.h"

#include <initializer_list>

#include "model/smxComp_Prc.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Viw.h"
#include "model/smxCompSteps.h"
#include "model/smxDBStructure.h"
#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"

namespace smx {

namespace {

using enum TDatabaseType;
using V = TIBSQLServerVersionType;

constexpr std::uint8_t CodeVarchar = 14, CodeChar = 15, CodeCString = 56, CodeBlob = 41;
constexpr std::uint8_t CodeDate = 18, CodeTime = 19, CodeTimestamp = 20, CodeNumeric = 46, CodeDecimal = 47;
constexpr std::string_view XmlSchemaCollection = "XML SCHEMA COLLECTION";
constexpr std::string_view TempDomain = "QVR$TEMP";

TFldData* Field(const TStringList& List, int Index) {
    return dynamic_cast<TFldData*>(List.Objects(Index));
}

TDmnData* AsDomain(TObject* Obj) {
    return dynamic_cast<TDmnData*>(Obj);
}

bool In(std::uint8_t Code, std::initializer_list<std::uint8_t> Codes) {
    for (std::uint8_t c : Codes)
        if (c == Code) return true;
    return false;
}

} // namespace

// ===================================================================================================
// TPGTypeOptions

TPGTypeOptions::TPGTypeOptions(TDmnData* ADomain) : Domain(ADomain) {}

TPGTypeOptions::~TPGTypeOptions() = default;

std::string TPGTypeOptions::PGTypeOptionsText() const {
    if (CompositeAttributes.Count() > 0) {
        std::string s;
        for (int i = 0; i < CompositeAttributes.Count(); ++i)
            if (TFldData* a = Field(CompositeAttributes, i))
                s += (s.empty() ? "" : ",\r\n") + a->GetCreateSQL();
        return " AS (\r\n" + s + ")";
    }
    std::string s;
    auto item = [&s](std::string_view Label, const std::string& Value) {
        if (!Value.empty()) s += std::string(Label) + Value + ",\r\n";
    };
    item("INPUT = ", Input);
    item("OUTPUT = ", Output);
    item("RECEIVE = ", Receive);
    item("SEND = ", Send);
    item("ANALYZE = ", Analyze);
    if (InternalLength >= 0) item("INTERNALLENGTH = ", IntToStr(InternalLength));
    if (ExternalLength >= 0) item("EXTERNALLENGTH = ", IntToStr(ExternalLength));
    if (PassedByValue) s += "PASSEDBYVALUE,\r\n";
    if (Alignment != 0) item("ALIGNMENT = ", LowerCase(GetDataTypeName(Alignment)));
    item("STORAGE = ", Storage);
    item("DEFAULT = ", Default);
    if (Element) item("ELEMENT = ", Element->GetCreateSQL());
    if (!Delimiter.empty()) item("DELIMITER = ", GetSQLStringLiteral(Delimiter, dbPostgreSQL));
    if (EndsStr(",\r\n", s)) s.erase(s.size() - 3);
    return "(\r\n" + s + ")";
}

// ===================================================================================================
// TDmnData

TDmnData::TDmnData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboDomain);
    TypeRecord = std::make_unique<TFldData>(AOwner, this);
    PGOptions = std::make_unique<TPGTypeOptions>(this);
}

TDmnData::~TDmnData() {
    PGOptions.reset();
    Members.Clear();
    Attributes.Clear();
    AddedAttributes.Clear();
    TypeRecord.reset();
}

const TColumnAttrs* TDmnData::GetDomainType() const {
    return TypeRecord.get();
}

bool TDmnData::IsXmlSchemaCollection() const {
    return TypeText == XmlSchemaCollection;
}

std::string TDmnData::AttributeList(const TStringList& List) const {
    if (List.Count() == 0) return {};
    const bool open = &List != &AddedAttributes && Members.Count() > 0;
    std::string s = "  (";
    for (int i = 0; i < List.Count(); ++i) {
        TFldData* a = Field(List, i);
        if (i > 0) s += "   ";
        s += a ? a->GetCreateSQL() : std::string();
        if (i + 1 < List.Count()) s += ",\r\n";
    }
    // The member list closes the parenthesis when it follows.
    return s + (open ? ",\r\n" : ")");
}

std::string TDmnData::OracleTypeSQL() const {
    std::string s = "CREATE OR REPLACE TYPE " + GetName();
    if (!Timestamp.empty() || !OID.empty()) {
        s += "\r\n";
        if (!Timestamp.empty()) s += "   TIMESTAMP " + QuotedStr(Timestamp);
        if (!OID.empty()) s += " OID " + QuotedStr(OID);
        s += "\r\n";
    }
    std::string members;
    for (int i = 0; i < Members.Count(); ++i)
        if (auto* m = dynamic_cast<TDbObj*>(Members.Objects(i)))
            members += (members.empty() ? "" : ",\r\n") + m->GetCreateSQL();
    if (!members.empty()) members += ")";
    if (!Supertype.empty()) {
        s += " UNDER " + Supertype + "\r\n" + AttributeList(Attributes) + members;
    } else {
        s += OracleKind == 5 ? " IS " : " AS ";
        switch (OracleKind) {
        case 2:
            s += "OBJECT\r\n" + AttributeList(Attributes) + members;
            break;
        case 3:
            s += "VARRAY(" + IntToStr(VarrayLimit) + ") OF " + TypeRecord->GetCreateSQL();
            break;
        case 4:
        case 5:
            s += "TABLE OF " + TypeRecord->GetCreateSQL();
            break;
        default:
            break;
        }
    }
    const std::string directive = Directive.GetSQLText();
    if (!directive.empty()) s += "\r\n   " + directive;
    if (AddedAttributes.Count() > 0) {
        s += ";\r\n\r\nALTER TYPE " + GetName() + " ADD ATTRIBUTE\r\n" + AttributeList(AddedAttributes);
        if (Cascade) s += "\r\n   CASCADE";
    }
    return s;
}

std::string TDmnData::GetCreateSQL() const {
    switch (GetDatabaseType()) {
    case dbInterBase:
        return "CREATE DOMAIN " + QuoteName(GetName()) + " AS " + TypeRecord->GetCreateSQL();
    case dbPostgreSQL:
        if (!PGOptions->IsBaseType)
            return "CREATE DOMAIN " + GetQualifiedObjectName() + " " + TypeRecord->GetCreateSQL();
        return "CREATE TYPE " + GetQualifiedObjectName() + PGOptions->PGTypeOptionsText();
    case dbOracle:
        return OracleTypeSQL();
    case dbMSSQL:
    case dbSybaseASE:
        if (MSSQLFromType) {
            std::string s = "CREATE TYPE ";
            if (!GetParentName().empty()) s += QuoteName(GetParentName()) + ".";
            return s + QuoteName(GetName()) + " FROM " + TypeRecord->GetDefinitionSQL();
        }
        if (!IsXmlSchemaCollection())
            return "EXEC sp_addtype N" + QuotedStr(GetName()) + ", N" + QuotedStr(TypeText) + ", N" +
                   QuotedStr(TypeRecord->Nullable ? "NULL" : "NOT NULL");
        return "CREATE " + TypeText + " " + GetQualifiedObjectName() + " AS N" +
               GetSQLStringLiteral(GetSource(), dbMSSQL);
    default:
        return "CREATE DOMAIN " + QuoteName(GetName()) + " " + TypeRecord->GetCreateSQL();
    }
}

std::string TDmnData::GetDropSQL() const {
    switch (GetDatabaseType()) {
    case dbOracle:
        return "DROP TYPE " + GetName();
    case dbSybaseASE:
        return "exec sp_droptype " + QuotedStr(GetName());
    case dbPostgreSQL:
        return (PGOptions->IsBaseType ? "DROP TYPE " : "DROP DOMAIN ") + GetQualifiedObjectName();
    case dbMSSQL: {
        // The server version of the container whose dialect the object answers in.
        TCustomObjs* objs = GetOwner();
        if (objs && objs->Comparing && objs->GetPartnerObjs()) objs = objs->GetPartnerObjs();
        if (objs &&
            objs->GetMSSQLServerOptions().GetSQLServerVersion() == TMSSQLServerVersionType::st_MSSQL2000)
            return "exec sp_droptype " + QuotedStr(GetName());
        if (IsXmlSchemaCollection()) return "DROP " + TypeText + " " + GetQualifiedObjectName();
        return "DROP TYPE " + GetQualifiedObjectName();
    }
    default:
        return TDbObj::GetDropSQL();
    }
}

void TDmnData::MarkDependents() {
    TDbObj::MarkDependents();
    for (int i = 0; i < GetUsedBy().Count(); ++i) {
        TDependObj* e = UsedByItem(i);
        TDbObj* d = e->GetReferenced();
        if (!e->Recreate || !d) continue;
        const TDbObject k = d->GetKind();
        if (k == TDbObject::dboDomain || k == TDbObject::dboView) {
            d->DropWithDependents();
            e->Recreate = 0;
        } else if (k == TDbObject::dboTable && !e->FieldName.empty()) {
            auto* target = dynamic_cast<TObjs*>(GetOwner() ? GetOwner()->GetTarget() : nullptr);
            if (TFldData* f = target ? target->FindTableField(d->GetName(), e->FieldName) : nullptr)
                f->MarkDependents();
        } else if (k == TDbObject::dboField) {
            d->MarkDependents();
        }
    }
}

void TDmnData::ProcessDependents() {
    TDbObj::ProcessDependents();
    for (int i = 0; i < GetDependsOn().Count(); ++i) {
        TDependObj* e = DependsOnItem(i);
        TDbObj* n = e->GetReferenced();
        if (!e->Recreate || !n || n->GetKind() != TDbObject::dboDomain) continue;
        n->CreateDependDef();
        e->Recreate = 0;
    }
}

// ===================================================================================================
// Compare steps

namespace {

// The comparer's side of one domain alteration: where statements and notes go, and what the target
// server can take.
class DomainAlter {
public:
    DomainAlter(TCustomSchemalyst* Comparer, TDmnData* M, TDmnData* T)
        : cmp_(Comparer), exec_(Comparer->GetSQLExec()), M_(M), T_(T), m_(M->Type()), t_(T->Type()) {
        const TIBServerOptions& ib = Comparer->GetTargetObjs()->GetIBServerOptions();
        version_ = ib.GetSQLServerVersion();
        dialect_ = ib.GetSQLDialect();
        // The comparer copied its compare options into both containers before the steps.
        charsets_ = ib.GetIBCompareOptions().GetFldCharsetCompare();
        conversion_ = ib.GetIBCompareOptions().GetAllowDataTypeConversion();
        name_ = T->GetName();
        q_ = Comparer->QuoteName(name_);
    }

    void Run() {
        // 1. Character length of a character type, 2. any other definition difference.
        if (m_.Length != t_.Length && In(m_.DataType, {CodeVarchar, CodeChar, CodeCString}) &&
            t_.DataType == m_.DataType) {
            T_->MarkDependents();
            if (version_ < V::st_InterBase_6x)
                Length();
            else if (m_.Length >= t_.Length || !conversion_)
                Type();
            else
                Length();
        } else if (m_.GetDefinitionSQL() != t_.GetDefinitionSQL()) {
            T_->MarkDependents();
            if (version_ >= V::st_InterBase_6x)
                Type();
            else
                Convert();
        }
        // 3. Character set and collation.
        if (charsets_) {
            if (m_.CharSetName != t_.CharSetName) Charset();
            if (m_.CollationName != t_.CollationName) Collation();
        }
        // 4. Blob.
        if (m_.DataType == CodeBlob && t_.DataType == CodeBlob) Blob();
        // 5. Check, 6. default, 7. nullability.
        if (IBCheckClause(m_, version_) != IBCheckClause(t_, version_))
            version_ >= V::st_InterBase_6x ? Check() : RewriteCheck();
        if (IBDefaultsDiffer(m_, t_, version_)) version_ >= V::st_InterBase_6x ? Default() : RewriteDefault();
        if (m_.Nullable != t_.Nullable) Nullable();
    }

private:
    TStatement* Add(const std::string& Text) {
        return exec_->AddStatement(Text, TStatType::stStatement, name_, TDbObject::dboDomain,
                                   TDbOperation::odbAlter, "", "");
    }
    void Note(const std::string& Text, TStatement* Statement) {
        cmp_->GetLogList().AddObject(Text, Statement);
    }
    void Comment(const std::string& Text) { exec_->AddComment(M_->FormatComment(Text)); }
    std::string Where() const { return "\r\nwhere Rdb$Field_Name=" + QuotedStr(name_); }

    void Type() {
        if (m_.DataType == CodeBlob && t_.DataType == CodeBlob) return;
        T_->MarkDependents();
        if (m_.GetDefinitionSQL() != t_.GetDefinitionSQL()) {
            const std::string type = m_.GetColumnTypeText();
            // A TYPE statement resets the collation to the character set's default: it is written
            // only for a changed type or character set, never for a default, check or NOT NULL.
            const bool changed =
                charsets_ && (m_.CharSetName != t_.CharSetName || m_.CollationName != t_.CollationName);
            // Firebird 3 and later reset the character set too: the master's is always stated.
            const bool keep = WritesStoredClauses(version_);
            const bool tail = !m_.CharSetName.empty() && (changed || keep);
            if (type != t_.GetColumnTypeText() && CompareColumnTypes(m_, t_) < 0) {
                // A type the server would refuse (narrower, or an array) is named, not written.
                const std::string text = "WARNING:\r\nCannot perform safe conversion of domain " + q_ +
                                         " datatype from " + t_.GetColumnTypeText() + " to " + type;
                Comment(text);
                Note(text, nullptr);
            } else if (type != t_.GetColumnTypeText() || changed) {
                TStatement* st = Add("ALTER DOMAIN " + q_ + " TYPE " + type +
                                     (tail ? " CHARACTER SET " + m_.CharSetName : std::string()));
                Note("Domain " + q_ + ": DataType conversion " + t_.GetDefinitionSQL() + " -> " + type, st);
                // ALTER DOMAIN takes no COLLATE: the collation cannot be restored on this server.
                if (keep && !m_.CollationName.empty()) {
                    const std::string text = "Domain " + q_ + ": collation " + m_.CollationName +
                                             " cannot be set again by ALTER DOMAIN on this server";
                    Comment(text);
                    Note(text, st);
                }
            }
        }
        if (charsets_) {
            if (m_.CharSetName != t_.CharSetName) Charset();
            if (m_.CollationName != t_.CollationName) Collation();
        }
    }

    void Length() {
        if (version_ >= V::st_Firebird_30 || !conversion_) return;
        TStatement* st = Add("UPDATE RDB$FIELDS SET RDB$FIELD_LENGTH=" + IntToStr(m_.ByteLength) + ", " +
                             "RDB$CHARACTER_LENGTH=" + IntToStr(m_.Length) + "\r\n" +
                             "  WHERE RDB$FIELD_NAME=" + QuotedStr(name_));
        Note("Domain " + q_ + ": character length alter", st);
    }

    void Convert() {
        const std::string where = "\r\n  WHERE RDB$FIELD_NAME = " + QuotedStr(name_);
        if (In(m_.DataType, {CodeDate, CodeTime, CodeTimestamp}) &&
            In(t_.DataType, {CodeDate, CodeTime, CodeTimestamp}) && dialect_ == 3) {
            const char* code = m_.DataType == CodeDate ? "12" : m_.DataType == CodeTime ? "13" : "35";
            TStatement* st = Add(std::string("UPDATE RDB$FIELDS SET RDB$FIELD_TYPE=") + code + where);
            Note("Domain " + q_ + ": Date/Time/TimeStamp conversion", st);
        } else if (In(m_.DataType, {CodeNumeric, CodeDecimal}) &&
                   In(t_.DataType, {CodeNumeric, CodeDecimal})) {
            if (m_.Scale != t_.Scale) {
                Comment("Alter Domain: " + q_ + " - scale conversion");
                TStatement* st =
                    Add("UPDATE RDB$FIELDS SET RDB$FIELD_SCALE = " + IntToStr(-m_.Scale) + where);
                Note("Domain " + q_ + ": Scale conversion", st);
            }
            if (m_.Precision != t_.Precision) {
                Comment("Alter Domain: " + q_ + " - precision conversion");
                TStatement* st =
                    Add("UPDATE RDB$FIELDS SET RDB$FIELD_PRECISION = " + IntToStr(m_.Precision) + where);
                Note("Domain " + q_ + ": Precision conversion", st);
            }
        }
    }

    void Charset() {
        if (version_ >= V::st_Firebird_30) return;
        TStatement* st = nullptr;
        if (m_.CharSetName.empty() && t_.CharSetName != "NONE")
            st = Add("Update Rdb$Fields set Rdb$Character_Set_ID = NULL" + Where());
        else if (!m_.CharSetName.empty() && m_.CharSetName != "NONE")
            st = Add("Update Rdb$Fields set Rdb$Character_Set_ID =\r\n(Select C.Rdb$Character_Set_ID from "
                     "Rdb$Character_Sets C\r\nwhere C.Rdb$Character_Set_Name=" +
                     QuotedStr(m_.CharSetName) + ")" + Where());
        Note("Domain " + q_ + ": CharSet difference", st);
    }

    void Collation() {
        if (version_ >= V::st_Firebird_30) return;
        TStatement* st = nullptr;
        if (!m_.CollationName.empty())
            st = Add(
                "Update Rdb$Fields set Rdb$Collation_ID =\r\n(Select C.Rdb$Collation_ID from Rdb$Collations "
                "C\r\nwhere C.Rdb$Collation_Name=" +
                QuotedStr(m_.CollationName) + ")" + Where());
        else
            st = Add("Update Rdb$Fields set Rdb$Collation_ID = NULL\r\nwhere Rdb$Field_Name = " +
                     QuotedStr(name_));
        Note("Domain " + q_ + ": Collation difference", st);
    }

    void Blob() {
        const bool subType = m_.SubType != t_.SubType;
        const bool segment = m_.SegmentSize != t_.SegmentSize;
        if (version_ >= V::st_Firebird_30) {
            // Firebird 3 neither updates its system tables nor changes a BLOB domain's type.
            if (subType)
                Comment("Domain " + q_ + ": Blob SUB_TYPE difference " + IntToStr(t_.SubType) + " -> " +
                        IntToStr(m_.SubType) + " cannot be altered on this server");
            if (segment)
                Comment("Domain " + q_ + ": Blob SEGMENT SIZE difference " + IntToStr(t_.SegmentSize) +
                        " -> " + IntToStr(m_.SegmentSize) + " cannot be altered on this server");
            return;
        }
        if (subType) {
            TStatement* st =
                Add("Update Rdb$Fields set RDB$FIELD_SUB_TYPE = " + IntToStr(m_.SubType) + Where());
            Note("Domain " + q_ + ": Blob SUB_TYPE difference", st);
        }
        if (segment) {
            TStatement* st =
                Add("Update Rdb$Fields set RDB$SEGMENT_LENGTH = " + IntToStr(m_.SegmentSize) + Where());
            Note("Domain " + q_ + ": Blob SEGMENT SIZE difference", st);
        }
    }

    void Check() {
        M_->ProcessDependents(); // the new check's routines exist, with their new parameter lists
        Comment("Alter Domain: " + q_ + " - Check(...)");
        if (!t_.CheckText.empty()) Add("ALTER DOMAIN " + q_ + " DROP CONSTRAINT");
        if (!m_.CheckText.empty()) Add("ALTER DOMAIN " + q_ + " ADD " + IBCheckClause(m_, version_));
    }

    // Servers before InterBase 6 take a new check or default through a temporary domain whose
    // stored texts are copied into the domain's system-table row.
    TStatement* ThroughTempDomain(const std::string& Update) {
        {
            const std::string own = M_->GetName();
            ScopeExit restore([&] { M_->SetName(own); });
            M_->SetName(TempDomain);
            Add(M_->GetCreateSQL());
        }
        TStatement* st = Add(Update);
        Add("DROP DOMAIN " + std::string(TempDomain));
        return st;
    }

    void RewriteCheck() {
        Comment("Alter Domain: " + q_ + " - Check(...)");
        TStatement* st = ThroughTempDomain("Update RDB$Fields set Rdb$Validation_Source =\r\n(Select "
                                           "Rdb$Validation_Source from Rdb$Fields where "
                                           "Rdb$Field_Name='QVR$TEMP'),\r\nRdb$Validation_BLR =\r\n(Select "
                                           "Rdb$Validation_BLR from Rdb$Fields "
                                           "where Rdb$Field_Name='QVR$TEMP')\r\nwhere RDB$FIELD_NAME=" +
                                           QuotedStr(name_));
        Note("Domain " + q_ + ": check expression alter", st);
    }

    void Default() {
        if (cmp_->GetTargetObjs()->GetDatabaseType() != dbInterBase) return;
        const std::string def = m_.GetDefaultValue();
        Add("ALTER DOMAIN " + q_ + (def.empty() ? " DROP DEFAULT" : " SET " + IBDefaultClause(m_, version_)));
    }

    void RewriteDefault() {
        TStatement* st = ThroughTempDomain(
            "Update RDB$Fields set Rdb$Default_Source =\r\n(Select Rdb$Default_Source from Rdb$Fields where "
            "Rdb$Field_Name='QVR$TEMP'),\r\nRdb$Default_Value =\r\n(Select Rdb$Default_Value from Rdb$Fields "
            "where Rdb$Field_Name='QVR$TEMP')\r\nwhere RDB$FIELD_NAME=" +
            QuotedStr(name_));
        Note("Domain " + q_ + ": Default-value alter", st);
    }

    void Nullable() {
        if (version_ >= V::st_Firebird_30) {
            Add("ALTER DOMAIN " + q_ + (m_.Nullable ? " DROP NOT NULL" : " SET NOT NULL"));
            return;
        }
        if (!conversion_) return;
        TStatement* st = Add(std::string("Update Rdb$Fields set Rdb$Null_Flag = ") +
                             (m_.Nullable ? "NULL" : "1") + Where());
        Note("Convert: Domain " + q_ + ": Nullable difference", st);
    }

    TCustomSchemalyst* cmp_;
    TCustomSQLExec* exec_;
    TDmnData* M_;
    TDmnData* T_;
    TFldData& m_;
    TFldData& t_;
    V version_ = V::st_Firebird_30;
    int dialect_ = 3;
    bool charsets_ = false;
    bool conversion_ = false;
    std::string name_;
    std::string q_;
};

} // namespace

void AlterIBDomain(TCustomSchemalyst* Comparer, TDmnData* M, TDmnData* T) {
    if (!Comparer || !M || !T || !Comparer->GetSQLExec() || !Comparer->GetTargetObjs()) return;
    DomainAlter(Comparer, M, T).Run();
}

void AlterPGDomain(TCustomSchemalyst* Comparer, TDmnData* M, TDmnData* T) {
    TCustomSQLExec* exec = Comparer ? Comparer->GetSQLExec() : nullptr;
    if (!exec || !M || !T) return;
    const TFldData& m = M->Type();
    const TFldData& t = T->Type();
    if (m.CheckText == t.CheckText) return;
    const std::string name = M->GetQualifiedObjectName();
    // PostgreSQL drops a domain check by its name: the one read, else the name the server gives
    // an unnamed check ("<domain>_check"). The old check goes before the new one comes.
    TStatement* st = nullptr;
    auto add = [&](const std::string& text) {
        st = exec->AddStatement(text, TStatType::stStatement, T->GetName(), TDbObject::dboDomain,
                                TDbOperation::odbAlter, "", "");
    };
    if (!t.CheckText.empty())
        add("ALTER DOMAIN " + name + " DROP CONSTRAINT " +
            T->QuoteName(t.CheckName.empty() ? T->GetName() + "_check" : t.CheckName.str()));
    if (!m.CheckText.empty()) {
        const std::string named = m.CheckName.empty() ? "" : "CONSTRAINT " + M->QuoteName(m.CheckName) + " ";
        add("ALTER DOMAIN " + name + " ADD " + named + "CHECK" + m.CheckText);
    }
    Comparer->GetLogList().AddObject("Domain " + name + ": Alter constraint", st);
}

void CreateDomains(TCustomSchemalyst* Comparer) {
    const TStepContext s = StepContextOf(Comparer);
    if (!s.ok()) return;
    const TDatabaseType type = s.Target->GetDatabaseType();
    const char* header = type == dbMSSQL    ? "/* Create User datatypes... */"
                         : type == dbOracle ? "/* Create types... */"
                                            : "/* Create Domains... */";
    bool written = false;
    TStringList& list = s.Master->Domains();
    for (int i = 0; i < list.Count(); ++i) {
        TDmnData* m = AsDomain(list.Objects(i));
        if (!m || m->Ignore || m->GetPartner() || m->GetExists()) continue;
        if (!written) s.Exec->AddComment(header);
        written = true;
        m->CreateDependDef();
        if (s.Descriptions() && !m->GetDescription().empty()) s.Exec->AddDescription(m);
    }
}

void AlterDomains(TCustomSchemalyst* Comparer) {
    const TStepContext s = StepContextOf(Comparer);
    if (!s.ok()) return;
    const TDatabaseType type = s.Target->GetDatabaseType();
    TStringList& list = s.Master->Domains();
    for (int i = 0; i < list.Count(); ++i) {
        TDmnData* m = AsDomain(list.Objects(i));
        TDmnData* t = m && !m->Ignore ? AsDomain(m->GetPartner()) : nullptr;
        if (!t) continue;
        if (type == dbInterBase)
            AlterIBDomain(Comparer, m, t);
        else if (type == dbPostgreSQL)
            AlterPGDomain(Comparer, m, t);
        if (s.Descriptions() && m->GetDescription() != t->GetDescription()) s.Exec->AddDescription(m);
    }
}

void DropDomains(TCustomSchemalyst* Comparer) {
    const TStepContext s = StepContextOf(Comparer);
    if (!s.ok()) return;
    const TDatabaseType type = s.Target->GetDatabaseType();
    std::vector<TDmnData*> gone;
    TStringList& list = s.Target->Domains();
    for (int i = 0; i < list.Count(); ++i)
        if (TDmnData* t = AsDomain(list.Objects(i)); t && !t->Ignore && !t->GetPartner() && t->GetExists())
            gone.push_back(t);
    // Views that used a dropped domain and that the master still holds are made again afterwards.
    for (TDmnData* t : gone)
        for (int j = 0; j < t->GetUsedBy().Count(); ++j) {
            auto* v = dynamic_cast<TViwData*>(t->UsedByItem(j)->GetReferenced());
            if (v && s.Master->FindObject(TObjsList::olViews, v->GetFullName())) v->SetRecreate(true);
        }
    const char* header = type == dbMSSQL    ? "/* Drop user datatypes... */"
                         : type == dbOracle ? "/* Drop types... */"
                                            : "/* Drop domains... */";
    for (std::size_t i = 0; i < gone.size(); ++i) {
        if (i == 0) s.Exec->AddComment(header);
        gone[i]->DropWithDependents();
    }
    TStringList& views = s.Target->Views();
    for (int i = 0; i < views.Count(); ++i) {
        auto* v = dynamic_cast<TViwData*>(views.Objects(i));
        if (!v || !v->GetRecreate()) continue;
        v->DropWithDependents();
        if (auto* m = dynamic_cast<TViwData*>(v->GetPartner())) {
            m->CreateDependDef();
            v->CompareText = m->CompareText;
            m->SetRecreate(false);
        }
        v->SetRecreate(false);
    }
}

} // namespace smx
