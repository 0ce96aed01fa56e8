// smxComp_Tbl: tables and columns, their texts, dependency walkers and compare steps. See the header.
#include "model/smxComp_Tbl.h"

#include "model/smxComp_Ctr.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Pbl.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "model/smxCompSteps.h"
#include "platform/smxStrUtils.h"

#include <cstdint>
#include <typeinfo>

namespace smx {

namespace {

using enum TDatabaseType;

TFldData* AsField(TObject* o) {
    // Columns are nearly always plain TFldData: the exact type test spares the compare steps a
    // dynamic_cast through TFldData's two bases for every column they visit.
    if (o && typeid(*o) == typeid(TFldData)) return static_cast<TFldData*>(o);
    return dynamic_cast<TFldData*>(o);
}

// Tables likewise: the steps cast every master table and its partner.
TTblData* AsTable(TObject* o) {
    if (o && typeid(*o) == typeid(TTblData)) return static_cast<TTblData*>(o);
    return dynamic_cast<TTblData*>(o);
}

// The column of T named Name: first the one at Hint (the partner's position, where a column of an
// unchanged table is), else the first of that name in T's list. Names are unique within a table.
TFldData* FindFieldNear(const TTblData* T, std::string_view Name, int Hint) {
    if (Hint >= 0 && Hint < T->FieldCount()) {
        const std::string& key = T->Fields[Hint];
        if (T->Fields.GetCaseSensitive() ? key == Name : SameText(key, Name)) return T->Field(Hint);
    }
    return T->FindField(Name);
}

// True when the texts of A and B are built under one InterBase context as far as a stored column
// that is not domain-typed reads it: the same effective options, the same kind of parent, neither
// column computed, an identity column (whose options its generator holds) nor holding a table type
// (whose text is built with the context).
bool SameIBTextContext(const TFldData& A, const TFldData& B) {
    if (A.TableType || B.TableType || A.IsComputed() || B.IsComputed()) return false;
    if (A.Identity || B.Identity) return false;
    if (A.GetDatabaseType() != dbInterBase || B.GetDatabaseType() != dbInterBase) return false;
    const TIBServerOptions* options = A.GetIBServerOptions();
    return options && options == B.GetIBServerOptions() && A.GetParentKind() == B.GetParentKind();
}

// GetColumnTypeText() of both equal; built only when the inputs do not already show it.
bool SameTypeText(const TFldData& A, const TFldData& B) {
    if (SameIBTextContext(A, B) && SameTypeTextInputs(A, B)) return true;
    return A.GetColumnTypeText() == B.GetColumnTypeText();
}

// True when GetCreateSQL writes the same text for A and B before their definitions and the same
// after them: the CREATE texts are then equal exactly when the definitions are. That holds for two
// plain table columns of one name under one quoting rule.
bool SameCreateFrame(const TFldData& A, const TFldData& B) {
    if (typeid(A) != typeid(TFldData) || typeid(B) != typeid(TFldData)) return false;
    if (A.GetParentKind() != TColumnParentKind::cpTable || B.GetParentKind() != TColumnParentKind::cpTable)
        return false;
    if (A.GetName() != B.GetName() || A.ParamDirection != B.ParamDirection) return false;
    if (!A.GetOwner() || !B.GetOwner()) return !A.GetOwner() && !B.GetOwner();
    const TDatabaseType t = A.GetDatabaseType();
    if (t != B.GetDatabaseType()) return false;
    if (t == dbCustomOLEDB) return A.GetOwner()->QuoteStyle == B.GetOwner()->QuoteStyle;
    return A.GetIBServerOptions() == B.GetIBServerOptions();
}

// GetCreateSQL() of both differs; the texts are built only as far as needed.
bool CreateTextsDiffer(const TFldData& A, const TFldData& B) {
    if (!SameCreateFrame(A, B)) return A.GetCreateSQL() != B.GetCreateSQL();
    if (SameIBTextContext(A, B) && SameIBDefinitionInputs(A, B)) return false;
    return A.GetDefinitionSQL() != B.GetDefinitionSQL();
}

// The mode word of a routine parameter ("in", "out", "inout"); empty for mode 0.
std::string ModeWord(std::uint8_t Direction) {
    switch (Direction) {
    case 1:
        return "in";
    case 2:
        return "out";
    case 3:
        return "inout";
    default:
        return {};
    }
}

void Trace(const TDbObj& obj, const std::string& text) {
    if (TCustomObjs* objs = obj.GetOwner()) objs->DoLogNextLine(text);
}

TTblData* TableAt(TStringList& list, int i) {
    return AsTable(list.Objects(i));
}

// Loads ahead what a pass over the tables reads next, in stages so that no look-ahead waits for
// memory itself: the table three places on; the head of the column list of the table two places on
// and its partner's first lines and list head; the column lists of the next table and its partner.
void PrefetchAhead(const TStringList& Tables, int Index) {
    const int n = Tables.Count();
    Tables.PrefetchObject(Index + 3);
    if (Index + 2 < n)
        if (const TTblData* t = AsTable(Tables.Objects(Index + 2))) {
            __builtin_prefetch(&t->Fields);
            if (const TDbObj* p = t->GetPartner()) {
                // The partner is a table too; only addresses are formed here, nothing is read.
                const auto base = reinterpret_cast<std::uintptr_t>(p);
                const auto list = reinterpret_cast<std::uintptr_t>(&t->Fields) - reinterpret_cast<std::uintptr_t>(t);
                for (std::uintptr_t at : {std::uintptr_t{0}, std::uintptr_t{64}, list})
                    __builtin_prefetch(reinterpret_cast<const void*>(base + at));
            }
        }
    if (Index + 1 < n)
        if (const TTblData* next = AsTable(Tables.Objects(Index + 1))) {
            next->Fields.PrefetchItems();
            if (const TTblData* p = AsTable(next->GetPartner())) p->Fields.PrefetchItems();
        }
}

} // namespace

// ===================================================================================================
// TColumnGenerator

TColumnGenerator::~TColumnGenerator() = default;

TGnrData* TColumnGenerator::Make() const {
    Made_ = std::make_unique<TGnrData>(Column_->GetOwner(), Column_);
    return Made_.get();
}

void TColumnGenerator::Defer(TFldData* Column) {
    Made_.reset();
    Column_ = Column;
}

TColumnGenerator& TColumnGenerator::operator=(std::unique_ptr<TGnrData> Generator) {
    reset(Generator.release());
    return *this;
}

void TColumnGenerator::reset(TGnrData* Generator) {
    Column_ = nullptr;
    Made_.reset(Generator);
}

// ===================================================================================================
// TFldData

TFldData::TFldData(TCustomObjs* AOwner, TDbObj* AParent) : TDbObj(AOwner), Parent(AParent) {
    SetKind(TDbObject::dboField);
    if (AParent && AParent->GetKind() == TDbObject::dboTable) Generator.Defer(this);
}

TFldData::~TFldData() = default;

TColumnParentKind TFldData::GetParentKind() const {
    if (!Parent) return TColumnParentKind::cpNone;
    switch (Parent->GetKind()) {
    case TDbObject::dboTable:
        return TColumnParentKind::cpTable;
    case TDbObject::dboView:
        return TColumnParentKind::cpView;
    case TDbObject::dboProcedure:
        return TColumnParentKind::cpRoutine;
    case TDbObject::dboFunction:
        return TColumnParentKind::cpExternalFunction;
    case TDbObject::dboDomain:
        return TColumnParentKind::cpDomain;
    default:
        return TColumnParentKind::cpNone;
    }
}

TDbObj* TFldData::FindColumnDomain() const {
    if (DataType != DomainDataType || !GetOwner() || DomainName.empty()) return nullptr;
    return GetOwner()->FindObject(TObjsList::olDomains, DomainName);
}

const TColumnAttrs* TFldData::DomainType() const {
    TDbObj* d = FindColumnDomain();
    return d ? d->GetDomainType() : nullptr;
}

TColumnTextContext TFldData::GetTextContext() const {
    TColumnTextContext x;
    x.DatabaseType = GetDatabaseType();
    if (const TIBServerOptions* ib = GetIBServerOptions()) {
        x.ServerVersion = ib->GetSQLServerVersion();
        x.SQLDialect = ib->GetSQLDialect();
        x.DBCharSet = ib->GetDBCharSet();
        x.FldCharsetCompare = ib->GetIBCompareOptions().GetFldCharsetCompare();
    }
    x.ParentKind = GetParentKind();
    x.Source = GetSource();
    if (FindColumnDomain()) {
        x.DomainFound = true;
        if (const TColumnAttrs* d = DomainType()) x.DomainDefault = DefaultValueText(d->DefaultValue);
    }
    // A PostgreSQL domain is filed under its schema: looked up in the column's own schema too.
    if (x.DatabaseType == dbPostgreSQL && DataType == DomainDataType && GetOwner() && !DomainName.empty()) {
        TDbObj* d = FindColumnDomain();
        if (!d && Parent && !Parent->GetParentName().empty())
            d = GetOwner()->FindObject(TObjsList::olDomains, Parent->GetParentName() + "." + DomainName);
        if (d) x.DomainSchema = d->GetParentName();
    }
    if (TableType) {
        x.HasTableType = true;
        std::string body = TableType->GetCreateSQL();
        if (StartsStr("CREATE ", body)) body.erase(0, 7);
        x.TableTypeBody = body;
    }
    // The DB2 definition writes the identity options, Firebird 3 those of an identity column.
    if ((x.DatabaseType == dbDB2 || (x.DatabaseType == dbInterBase && Identity)) && Generator)
        x.IdentityOptions = Generator->GetIdentityOptions();
    x.Quote = [this](std::string_view Name) { return QuoteName(Name); };
    return x;
}

std::string TFldData::GetDefinitionSQL() const {
    return ColumnDefinitionSQL(*this, GetTextContext());
}

std::string TFldData::GetColumnTypeText() const {
    return ColumnTypeText(*this, GetTextContext());
}

std::string TFldData::GetCreateSQL() const {
    const TDatabaseType t = GetDatabaseType();
    const bool routine = GetParentKind() == TColumnParentKind::cpRoutine;
    // MySQL and DB2 parameter lists put the mode before the name.
    const bool modeFirst = routine && (t == dbMySQL || t == dbDB2) && ParamDirection != 0;
    std::string s;
    if (modeFirst) s = ModeWord(ParamDirection) + " ";
    if (!GetName().empty()) s += (routine && t == dbMSSQL ? GetName() : QuoteName(GetName())) + " ";
    s += GetDefinitionSQL();
    if (t == dbSybaseASE && !modeFirst && ParamDirection != 0) s += " " + ModeWord(ParamDirection);
    return s;
}

std::string TFldData::GetCreateScript() const {
    if (TCustomSQLExec* exec = GetSQLExec()) exec->SetCurrentSchema(GetParentName());
    if (Ignore) return {};
    const TDatabaseType t = GetDatabaseType();
    std::string table;
    if (!Parent)
        table = QuoteName(TableName);
    else if ((t == dbOracle || t == dbMSSQL || t == dbPostgreSQL) && !Parent->GetParentName().empty())
        table = QuoteName(Parent->GetParentName()) + "." + QuoteName(Parent->GetPartnerName());
    else if (t == dbSybaseASA)
        table = QuoteName(Parent->Owner2) + "." + QuoteName(Parent->GetPartnerName());
    else
        table = QuoteName(Parent->GetPartnerName());
    std::string s = "ALTER TABLE " + table + " ADD " + GetCreateSQL();
    // A NOT NULL column cannot be added to a filled MS SQL table without its default: the default
    // constraint on this column alone goes inline, and is then in place.
    if (t == dbMSSQL && !Nullable)
        for (int i = 0; i < GetUsedBy().Count(); ++i) {
            TDependObj* e = UsedByItem(i);
            auto* c = e ? dynamic_cast<TCtrData*>(e->GetReferenced()) : nullptr;
            if (!c || c->GetConstraintType() != ctDefault || c->Columns.Count() != 1 ||
                !SameText(c->Columns[0], GetName()))
                continue;
            s += " " + c->GetDefinitionSQL(true);
            c->SetExists(true);
        }
    return s;
}

std::string TFldData::GetDropSQL() const {
    const TDatabaseType t = GetDatabaseType();
    const std::string name = QuoteName(GetName());
    if (t == dbMSSQL)
        return "ALTER TABLE " + (Parent ? Parent->GetQualifiedObjectName() : QuoteName(TableName)) +
               " DROP COLUMN " + name;
    // Qualified as ADD COLUMN and DROP TABLE are: a table outside the search path is found.
    if (t == dbPostgreSQL && Parent)
        return "ALTER TABLE " + Parent->GetQualifiedObjectName() + " DROP " + name;
    if (t == dbOracle) return "ALTER TABLE " + QuoteName(TableName) + " DROP (" + name + ")";
    if (t == dbSybaseASA && GetParentKind() == TColumnParentKind::cpTable)
        return "ALTER TABLE " + QuoteName(Parent->Owner2) + "." + QuoteName(TableName) + " DROP " + name;
    return "ALTER TABLE " + QuoteName(TableName) + " DROP " + name;
}

void TFldData::MarkDependents() {
    TCustomSQLExec* exec = GetSQLExec();
    auto comment = [&](const std::string& text) {
        if (exec) exec->AddComment(FormatComment(text));
    };
    for (int i = 0; i < GetUsedBy().Count(); ++i) {
        TDependObj* e = UsedByItem(i);
        TDbObj* d = e ? e->GetReferenced() : nullptr;
        if (!d || !e->Recreate) continue;
        if (d->GetKind() == TDbObject::dboProcedure) {
            // Emptying the routine's body releases the column.
            if (d->GetExists() && d->GetSource() != d->GetEmptyBody()) {
                comment("Empty " + d->GetName() + " for drop " + TableName + "(" + GetName() + ")");
                d->EmptyBody(true);
            }
            e->Recreate = 0;
        } else if (auto* f = AsField(d); f && f->IsComputed()) {
            comment("Drop " + f->TableName + "(" + f->GetName() + ") for drop " + TableName + "(" +
                    GetName() + ")");
            f->DropWithDependents();
            e->Recreate = 0;
        } else if (dynamic_cast<TIdxData*>(d) || dynamic_cast<TCtrData*>(d) || dynamic_cast<TPblData*>(d)) {
            d->DropWithDependents();
            e->Recreate = 0;
        }
    }
    if (TCustomObjs* target = GetOwner() ? GetOwner()->GetTarget() : nullptr) {
        TStringList& views = target->Views();
        for (int i = 0; i < views.Count(); ++i) {
            auto* v = dynamic_cast<TDbObj*>(views.Objects(i));
            if (!v) continue;
            for (int j = 0; j < v->GetDependsOn().Count(); ++j) {
                TDependObj* e = v->DependsOnItem(j);
                if (e && e->Recreate && e->GetName() == TableName) {
                    e->Recreate = 0;
                    v->DropWithDependents();
                    break;
                }
            }
        }
    }
    TDbObj::MarkDependents();
}

void TFldData::MarkDropped() {
    TDbObj::MarkDropped();
    if (TTblData* t = AsTable(Parent)) t->SetChanged(true);
}

void TFldData::ProcessDependents() {
    const std::string where = std::string(ClassName()) + ": " + TableName + " / " + GetName();
    if (DependencyTrace) Trace(*this, "DoBedoreCreate1 / " + where);
    TDbObj::ProcessDependents();
    if (DependencyTrace) Trace(*this, "DoBedoreCreate2 / " + where);
    if (DataType == DomainDataType && !DomainName.empty() && GetOwner())
        if (TCustomObjs* master = GetOwner()->GetMaster())
            if (TDbObj* d = master->FindObject(TObjsList::olDomains, DomainName); d && !d->GetExists())
                d->CreateDependDef();
    if (IsComputed())
        for (int i = 0; i < GetDependsOn().Count(); ++i) {
            TDependObj* e = DependsOnItem(i);
            TDbObj* n = e ? e->GetReferenced() : nullptr;
            if (n && e->Recreate && n->GetKind() == TDbObject::dboFunction) {
                n->CreateDependDef();
                e->Recreate = 0;
            }
        }
}

std::uint8_t TFldData::IBTypeToDataType(int FieldType, int FieldSubType) {
    const TIBServerOptions* ib = GetIBServerOptions();
    DataType = smx::IBTypeToDataType(FieldType, FieldSubType, ib ? ib->GetSQLDialect() : 3, WithTimeZone);
    return DataType;
}

void TFldData::SetCharSetAndCollation(int CharSetID, std::string_view CharSetName,
                                      std::string_view CollationName, int CollationID) {
    TCharSetReading r;
    r.CharSetID = CharSetID;
    r.CharSetName = CharSetName;
    r.CollationName = CollationName;
    r.CollationID = CollationID;
    r.Computed = IsComputed();
    r.DomainType = DomainType();
    if (const TIBServerOptions* ib = GetIBServerOptions()) {
        r.DBCharSet = ib->GetDBCharSet();
        r.Database = &ib->GetIBDatabaseOptions();
    }
    r.InterBase = GetDatabaseType() == dbInterBase;
    smx::SetCharSetAndCollation(*this, r);
}

bool TFldData::IsCharacterType() const {
    return smx::IsCharacterType(*this, DomainType());
}

std::string TFldData::GetEffectiveCharSet() const {
    const TIBServerOptions* ib = GetIBServerOptions();
    return smx::GetEffectiveCharSet(*this, DomainType(), ib ? ib->GetDBCharSet() : std::string(),
                                    GetDatabaseType() == dbInterBase);
}

int ColumnIndex(const TStringList& Fields, std::string_view Name) {
    if (Fields.GetSorted()) return Fields.IndexOf(Name);
    // IndexOf's scan, with the names of another length passed over without a comparison.
    const bool Sensitive = Fields.GetCaseSensitive();
    for (int k = 0, n = Fields.Count(); k < n; ++k) {
        const std::string& S = Fields[k];
        if (S.size() == Name.size() && (Sensitive ? S == Name : SameText(S, Name))) return k;
    }
    return -1;
}

TDbObj* ColumnObjectAt(const TStringList& Fields, int Index) {
    TObject* column = Fields.Objects(Index);
    // Columns are nearly always plain TFldData: the exact type test spares the cast's walk.
    return column && typeid(*column) == typeid(TFldData) ? static_cast<TFldData*>(column)
                                                         : dynamic_cast<TDbObj*>(column);
}

TDbObj* ColumnNamed(TStringList& Fields, std::string_view Name) {
    const int i = ColumnIndex(Fields, Name);
    return i < 0 ? nullptr : ColumnObjectAt(Fields, i);
}

void AssignColumn(TFldData& Target, const TFldData& Source) {
    static_cast<TColumnAttrs&>(Target) = static_cast<const TColumnAttrs&>(Source);
    Target.DefaultValue = Source.GetDefaultValue();
    Target.SetName(Source.GetName());
    Target.Position = Source.Position;
    Target.PartnerPosition = Source.PartnerPosition;
    Target.Matched = Source.Matched;
    Target.Equal = Source.Equal;
    Target.SetSource(Source.GetSource());
    Target.SetDescription(Source.GetDescription());
    Target.SetKind(TDbObject::dboField);
}

bool DimensionsDiffer(const TFldData& A, const TFldData& B) {
    return A.Dimensions != B.Dimensions;
}

// ===================================================================================================
// TTblData

TTblData::TTblData(TCustomObjs* AOwner) : TDbObj(AOwner) {
    SetKind(TDbObject::dboTable);
    Fields.SetCaseSensitive(!(AOwner && AOwner->GetDatabaseType() == dbMSSQL));
}

TTblData::~TTblData() = default;

TDbObj* TTblData::FieldObject(std::string_view Name) {
    return ColumnNamed(Fields, Name);
}

TFldData* TTblData::AddField(std::string_view Name) {
    auto* f = new TFldData(GetOwner(), this);
    f->SetName(Name);
    f->TableName = GetName();
    f->Position = Fields.Count();
    Fields.AddObject(f->GetName(), f);
    return f;
}

TFldData* TTblData::Field(int Index) const {
    return AsField(Fields.Objects(Index));
}

TFldData* TTblData::FindField(std::string_view Name) const {
    const int i = Fields.IndexOf(Name);
    return i >= 0 ? Field(i) : nullptr;
}

void TTblData::SetChanged(bool Value) {
    Changed = Value;
    if (TTblData* p = AsTable(GetPartner())) p->Changed = true;
}

bool TTblData::HasIdentityColumn() const {
    for (int i = 0; i < Fields.Count(); ++i)
        if (TFldData* f = Field(i); f && f->Identity) return true;
    return false;
}

void TTblData::FlagDependentViews() {
    for (int i = 0; i < GetUsedBy().Count(); ++i)
        if (TDependObj* e = UsedByItem(i);
            e && e->GetReferenced() && e->GetReferenced()->GetKind() == TDbObject::dboView)
            e->Recreate = 1;
}

std::string TTblData::GetCreateSQL() const {
    if (Ignore) return {};
    const TDatabaseType t = GetDatabaseType();
    if (t == dbMySQL) {
        std::string s = "CREATE TABLE " + QuoteName(GetPartnerName());
        if (Fields.Count() > 0) {
            s += "(";
            for (int i = 0; i < Fields.Count(); ++i)
                if (TFldData* f = Field(i)) s += f->GetCreateSQL() + ",\r\n";
            s += MySQLInlineKeys();
            s.erase(s.size() - 3);
            s += ")";
        }
        return s + MySQLOptions.GetSQLText();
    }

    std::string s = "CREATE ";
    if (GlobalTemporary) s += "GLOBAL TEMPORARY ";
    s += "TABLE " + GetQualifiedObjectName();
    if (t == dbInterBase && !ExternalFile.empty())
        s += "\r\nEXTERNAL FILE " + QuotedStr(ExternalFile) + "\r\n";
    if (t == dbOracle) {
        if (!OfType.empty()) s += " OF " + OfType;
        if (!NestedTable.empty()) s += "\r\nNESTED TABLE " + NestedTable;
    }
    std::string columns;
    for (int i = 0; i < Fields.Count(); ++i) {
        TFldData* f = Field(i);
        if (!f || (SkipComputed && f->IsComputed())) continue;
        if (!columns.empty()) columns += ",\r\n";
        columns += f->GetCreateSQL();
    }
    if (!columns.empty()) s += "(" + columns + ")";
    if (!AsQuery.empty()) s += "\r\nAS " + AsQuery;
    // PostgreSQL 12 removed WITH OIDS.
    if (WithOids && !(t == dbPostgreSQL && GetOwner() &&
                      GetOwner()->GetPGSQLServerOptions().GetSQLServerVersion() >=
                          TPGSQLServerVersionType::st_PostgreSQL_12x))
        s += " WITH OIDS";
    if (OnCommit == 1 && t != dbSybaseASA) s += "\r\n ON COMMIT DELETE ROWS";
    if (OnCommit == 2) s += "\r\n ON COMMIT PRESERVE ROWS";
    if (t == dbOracle) {
        auto line = [&s](const std::string& text) {
            if (!text.empty()) s += "\r\n" + text;
        };
        line(TableSpace.GetSQLText());
        if (!TablespaceName.empty()) line("TABLESPACE " + TablespaceName);
        if (Compress) line("COMPRESS");
        if (NoLogging) line("NOLOGGING");
        if (!Storage.empty()) line("STORAGE" + Storage);
        if (!ClusterName.empty()) line("CLUSTER " + ClusterName + ClusterColumns);
        if (!LobText.empty()) line("LOB" + LobText);
        if (!StoreAs.empty()) line("STORE AS " + StoreAs);
        line(ExtraText);
        if (!PartitionColumns.empty() || !PartitionText.empty())
            line("PARTITION BY RANGE " + PartitionColumns + " " + PartitionText);
    }
    return s;
}

std::string TTblData::MySQLInlineKeys() const {
    TCustomObjs* objs = GetOwner();
    if (!objs) return {};
    std::string s;
    // The first column of every key written: an AUTO_INCREMENT column must lead one.
    TStringList leading;
    auto lead = [&leading](const TStringList& Columns) {
        if (Columns.Count() > 0) leading.Add(Columns[0]);
    };
    TStringList& constraints = objs->Constraints();
    for (std::uint8_t type : {ctPrimaryKey, ctUnique})
        for (int i = 0; i < constraints.Count(); ++i) {
            auto* c = dynamic_cast<TCtrData*>(constraints.Objects(i));
            if (!c || c->GetConstraintType() != type || c->TableName != GetName()) continue;
            const char* word = type == ctPrimaryKey ? "PRIMARY KEY" : "UNIQUE";
            s += c->GetName().empty() ? std::string(word)
                                      : "CONSTRAINT " + QuoteName(c->GetName()) + " " + word;
            s += "(" + c->GetColumnsText() + ")" + ",\r\n";
            lead(c->Columns);
            c->SetExists(true);
        }
    TStringList& indices = objs->Indices();
    for (int i = 0; i < indices.Count(); ++i) {
        auto* x = dynamic_cast<TIdxData*>(indices.Objects(i));
        if (!x || x->TableName != GetName()) continue;
        if (x->Unique) s += "UNIQUE ";
        s += "KEY " + QuoteName(x->GetName());
        if (!x->IndexOptions.IndexType.empty()) s += " USING " + x->IndexOptions.IndexType;
        s += " (" + x->GetColumnsText() + ")" + ",\r\n";
        lead(x->Columns);
        x->SetExists(true);
    }
    // The server refuses an AUTO_INCREMENT column that leads no key: it gets a key of its own.
    for (int i = 0; i < Fields.Count(); ++i)
        if (TFldData* f = Field(i); f && f->AutoIncrement && leading.IndexOf(f->GetName()) < 0)
            s += "KEY(" + QuoteName(f->GetName()) + "),\r\n";
    return s;
}

std::string TTblData::GetDropSQL() const {
    return "DROP TABLE " + GetQualifiedObjectName();
}

void TTblData::CreateDependDef() {
    if (GetExists() && !SkipComputed) {
        for (int i = 0; i < Fields.Count(); ++i) {
            TFldData* f = Field(i);
            if (f && f->IsComputed() && !f->GetExists() && !f->HasMissingDependency()) {
                f->CreateDependDef();
                SetChanged(true);
            }
        }
        return;
    }
    if (GetExists()) return;
    ProcessDependents();
    if (GetExists()) return;
    if (TCustomSQLExec* exec = GetSQLExec()) {
        exec->AddStatement(GetCreateScript(), TStatType::stStatement, GetName(), TDbObject::dboTable,
                           TDbOperation::odbCreate, "", "");
        exec->AddComment("\r\n");
    }
    SetExists(true);
    MarkCreated();
}

void TTblData::MarkDependents() {
    if (TCustomObjs* target = GetOwner() ? GetOwner()->GetTarget() : nullptr) {
        TStringList& triggers = target->Triggers();
        for (int i = 0; i < triggers.Count(); ++i)
            if (auto* trg = dynamic_cast<TDbObj*>(triggers.Objects(i));
                trg && trg->GetTableName() == GetName() && trg->GetExists())
                trg->DropWithDependents();
        TStringList& indices = target->Indices();
        for (int i = 0; i < indices.Count(); ++i)
            if (auto* idx = dynamic_cast<TDbObj*>(indices.Objects(i));
                idx && idx->GetTableName() == GetName())
                idx->DropWithDependents();
    }
    for (int i = 0; i < GetUsedBy().Count(); ++i) {
        TDependObj* e = UsedByItem(i);
        TDbObj* d = e ? e->GetReferenced() : nullptr;
        if (!d) continue;
        if (d == this) {
            e->Recreate = 0;
        } else if (e->Recreate && (dynamic_cast<TCtrData*>(d) || dynamic_cast<TPblData*>(d))) {
            d->DropWithDependents();
            e->Recreate = 0;
        } else if (e->Recreate && AsField(d) && AsField(d)->IsComputed()) {
            d->DropWithDependents();
        }
    }
    for (int i = 0; i < Fields.Count(); ++i)
        if (TFldData* f = Field(i); f && f->IsComputed() && f->GetExists()) f->MarkDependents();
    TDbObj::MarkDependents();
}

void TTblData::ProcessDependents() {
    if (DependencyTrace) Trace(*this, std::string(ClassName()) + ": " + GetName());
    for (int i = 0; i < Fields.Count(); ++i) {
        TFldData* f = Field(i);
        if (!f) continue;
        if (!f->IsComputed() || !SkipComputed) f->SetExists(true);
        if (f->IsComputed() && !SkipComputed) f->ProcessDependents();
    }
}

// ===================================================================================================
// Compare steps

namespace {

void AddColumnDescriptions(TCustomSQLExec* exec, TTblData* t) {
    for (int i = 0; i < t->FieldCount(); ++i)
        if (TFldData* f = t->Field(i); f && !f->GetDescription().empty()) exec->AddDescription(f);
}

// Creates a table as a new one: stored columns in CREATE TABLE, computed ones added after it, then
// the descriptions.
void CreateAsNew(const TStepContext& c, TTblData* t) {
    t->SetSkipComputed(true);
    t->CreateDependDef();
    t->SetSkipComputed(false);
    t->CreateDependDef();
    if (c.Descriptions()) {
        if (!t->GetDescription().empty()) c.Exec->AddDescription(t);
        AddColumnDescriptions(c.Exec, t);
    }
}

// Drops the target table and creates the master's anew: what hangs on the target table is dropped
// first, and every existence flag of the table, its columns and its keys says "gone" afterwards, so
// that the later steps re-create indices, keys and triggers.
void Recreate(const TStepContext& c, TTblData* m, TTblData* p) {
    p->MarkDependents();
    c.Exec->AddStatement(p->GetDropSQL(), TStatType::stStatement, p->GetName(), TDbObject::dboTable,
                         TDbOperation::odbDrop, "", "");
    MarkGrantsOfDroppedObject(p);
    for (TTblData* t : {p, m}) {
        t->SetExists(false);
        for (int i = 0; i < t->FieldCount(); ++i)
            if (TFldData* f = t->Field(i)) f->SetExists(false);
    }
    for (TStringList* list : {&c.Target->Constraints(), &c.Target->Indices(), &c.Target->Triggers()})
        for (int i = 0; i < list->Count(); ++i)
            if (auto* o = dynamic_cast<TDbObj*>(list->Objects(i)); o && o->GetTableName() == p->GetName())
                o->SetExists(false);
    CreateAsNew(c, m);
}

// A paired table that AlterTables drops and creates anew (a switch to or from GLOBAL TEMPORARY, or
// of its ON COMMIT kind): the new table carries every master column and description, so no column
// or description statement of its own may come before it.
bool RecreatedByAlterTables(const TTblData* m) {
    const TTblData* p = AsTable(m->GetPartner());
    if (!p || !m->Matched || m->Unchanged) return false;
    return m->GlobalTemporary != p->GlobalTemporary ||
           (m->GlobalTemporary && p->GlobalTemporary && m->OnCommit != p->OnCommit) ||
           // An external table holds no rows of its own: it takes another file only as a new table.
           (!m->ExternalFile.empty() && !p->ExternalFile.empty() && m->ExternalFile != p->ExternalFile);
}

} // namespace

void RecreateTable(TCustomSchemalyst* Comparer, TTblData* Master, TTblData* Target) {
    const TStepContext c = StepContextOf(Comparer);
    if (c.ok() && Master && Target) Recreate(c, Master, Target);
}

namespace {

// The computed columns that the column alterations dropped with what they use, added again.
void AddDroppedComputedColumns(const TStepContext& c) {
    TStringList& tables = c.Master->Tables();
    for (int i = 0; i < tables.Count(); ++i) {
        PrefetchAhead(tables, i);
        TTblData* m = TableAt(tables, i);
        if (!m || m->Ignore || !m->GetExists()) continue;
        m->SetSkipComputed(false);
        for (int j = 0; j < m->FieldCount(); ++j) {
            TFldData* f = m->Field(j);
            if (!f || f->Ignore || !f->IsComputed() || f->GetExists()) continue;
            f->CreateDependDef();
            m->SetChanged(true);
        }
    }
}

} // namespace

void MatchTables(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.Master || !c.Target) return;
    const TDatabaseType tt = c.Target->GetDatabaseType();
    const TIBServerOptions& ib = c.Target->GetIBServerOptions();
    const TIBSQLServerVersionType version = ib.GetSQLServerVersion();
    // Character sets and collations count only under the compare option.
    const bool charsets = tt == dbInterBase && ib.GetIBCompareOptions().GetFldCharsetCompare();
    TStringList& tables = c.Master->Tables();
    for (int i = 0; i < tables.Count(); ++i) {
        PrefetchAhead(tables, i);
        TTblData* m = TableAt(tables, i);
        auto* p = m ? AsTable(m->GetPartner()) : nullptr;
        if (!p) continue;
        m->Matched = true;
        m->SetExists(true);
        p->SetExists(true);
        m->Unchanged = true;
        if (m->GetDescription() != p->GetDescription()) m->Unchanged = false;
        if (tt == dbMySQL && (m->MySQLOptions.GetCharSet() != p->MySQLOptions.GetCharSet() ||
                              m->MySQLOptions.GetEngine() != p->MySQLOptions.GetEngine()))
            m->Unchanged = false;
        if ((tt == dbInterBase || tt == dbSybaseASA || tt == dbMSSQL) &&
            (m->GlobalTemporary != p->GlobalTemporary || m->OnCommit != p->OnCommit))
            m->Unchanged = false;
        if (tt == dbInterBase && m->ExternalFile != p->ExternalFile) m->Unchanged = false;
        for (int j = 0; j < m->FieldCount(); ++j) {
            m->PrefetchField(j + 1);
            p->PrefetchField(j + 1);
            TFldData* mc = m->Field(j);
            if (!mc) continue;
            TFldData* pc = FindFieldNear(p, mc->GetName(), j);
            if (!pc) {
                m->Unchanged = false;
                continue;
            }
            mc->Matched = true;
            mc->SetExists(true);
            pc->SetExists(true);
            mc->PartnerPosition = pc->Position;
            pc->PartnerPosition = mc->Position;
            const bool computed = mc->IsComputed() || pc->IsComputed();
            const bool domains = mc->DataType == DomainDataType && pc->DataType == DomainDataType;
            bool equal;
            if ((computed || domains) && !mc->TableType && !pc->TableType) {
                // The type texts decide nothing here, and without a table type building them has
                // no effect.
                equal = domains ? mc->DomainName == pc->DomainName : !ComputedColumnsDiffer(*mc, *pc);
            } else {
                equal =
                    SameTypeText(*mc, *pc) && mc->Nullable == pc->Nullable &&
                    mc->DomainName == pc->DomainName &&
                    (mc->DefaultValue == pc->DefaultValue || mc->GetDefaultValue() == pc->GetDefaultValue());
                if (equal && tt == dbInterBase)
                    equal = !IBDefaultsDiffer(*mc, *pc, version) &&
                            !(charsets &&
                              (mc->CharSetName != pc->CharSetName || mc->CollationName != pc->CollationName));
                if (computed) equal = !ComputedColumnsDiffer(*mc, *pc);
                if (domains) equal = mc->DomainName == pc->DomainName;
            }
            mc->Equal = equal;
            if (!equal) m->Unchanged = false;
        }
    }
}

void CreateTables(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    TStepComment header(c.Exec, "Create Table...");
    TStringList& tables = c.Master->Tables();
    for (int i = 0; i < tables.Count(); ++i) {
        tables.PrefetchObject(i + 2);
        TTblData* m = TableAt(tables, i);
        if (!m || m->Ignore || m->GetExists()) continue;
        header.Write(*m);
        CreateAsNew(c, m);
    }
}

void AddNewColumns(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    TStringList& tables = c.Master->Tables();
    for (int pass = 1; pass <= 2; ++pass) {
        for (int i = 0; i < tables.Count(); ++i) {
            PrefetchAhead(tables, i);
            TTblData* m = TableAt(tables, i);
            if (!m || m->Ignore || RecreatedByAlterTables(m)) continue;
            if (pass == 1 && !m->GetPartner()) continue;
            // Stored columns first, so that computed ones may use them.
            m->SetSkipComputed(pass == 1);
            for (int j = 0; j < m->FieldCount(); ++j) {
                // The pass reads the first bytes of a column only (and its source when computed).
                if (j + 6 < m->FieldCount()) __builtin_prefetch(m->Fields.Objects(j + 6));
                TFldData* f = m->Field(j);
                if (!f || f->Ignore || f->GetExists() || (pass == 1 && f->IsComputed())) continue;
                f->CreateDependDef();
                m->SetChanged(true);
            }
        }
    }
}

namespace {
void AlterColumnsOf(TCustomSchemalyst* Comparer, bool DetectOrder);
} // namespace

void AlterTables(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    const TDatabaseType tt = c.Target->GetDatabaseType();
    TStringList& tables = c.Master->Tables();
    for (int i = 0; i < tables.Count(); ++i) {
        tables.PrefetchObject(i + 2);
        TTblData* m = TableAt(tables, i);
        auto* p = m ? AsTable(m->GetPartner()) : nullptr;
        if (!p || !m->Matched || m->Unchanged) continue;
        // A table cannot change between permanent and temporary, nor its ON COMMIT kind, in place;
        // the new table states its own description.
        const bool recreate = RecreatedByAlterTables(m);
        if (!recreate && c.Descriptions() && m->GetDescription() != p->GetDescription())
            c.Exec->AddDescription(m);
        if (recreate) Recreate(c, m, p);
        // A table that has rows of its own becomes external, or the reverse, only by losing them:
        // the difference is named, not made.
        if (tt == dbInterBase && m->ExternalFile.empty() != p->ExternalFile.empty()) {
            const std::string text = "Table " + m->QuoteName(m->GetName()) + ": EXTERNAL FILE " +
                                     (p->ExternalFile.empty() ? "(none)" : QuotedStr(p->ExternalFile)) + " -> " +
                                     (m->ExternalFile.empty() ? "(none)" : QuotedStr(m->ExternalFile)) +
                                     " cannot be altered in place";
            c.Exec->AddComment(m->FormatComment(text));
            Comparer->GetLogList().AddObject(text, nullptr);
        }
        if (tt == dbMySQL) {
            const std::string name = m->QuoteName(m->GetName());
            const std::string& me = m->MySQLOptions.GetEngine();
            const std::string& pe = p->MySQLOptions.GetEngine();
            if (!me.empty() && !pe.empty() && me != pe)
                c.Exec->AddStatement("ALTER TABLE " + name + " ENGINE=" + me, TStatType::stStatement,
                                     m->GetName(), TDbObject::dboTable, TDbOperation::odbAlter, "", "");
            const std::string& mc = m->MySQLOptions.GetCharSet();
            const std::string& pc = p->MySQLOptions.GetCharSet();
            if (!mc.empty() && !pc.empty() && mc != pc)
                c.Exec->AddStatement("ALTER TABLE " + name + " DEFAULT CHARSET=" + mc, TStatType::stStatement,
                                     m->GetName(), TDbObject::dboTable, TDbOperation::odbAlter, "", "");
        }
    }
    AlterColumnsOf(Comparer, true);
}

void DropTables(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    TStringList& tables = c.Target->Tables();
    {
        TStepComment header(c.Exec, "Drop table-fields...");
        for (int i = 0; i < tables.Count(); ++i) {
            PrefetchAhead(tables, i);
            TTblData* t = TableAt(tables, i);
            auto* m = t ? AsTable(t->GetPartner()) : nullptr;
            if (!t || t->Ignore || !m) continue;
            for (int j = 0; j < t->FieldCount(); ++j) {
                t->Fields.PrefetchObject(j + 2);
                TFldData* f = t->Field(j);
                if (!f || FindFieldNear(m, f->GetName(), j) || !f->GetExists()) continue;
                header.Write(*t);
                f->DropWithDependents();
                m->SetChanged(true);
            }
        }
    }
    TStepComment header(c.Exec, "Drop tables...");
    for (int i = 0; i < tables.Count(); ++i) {
        tables.PrefetchObject(i + 2);
        TTblData* t = TableAt(tables, i);
        if (!t || t->Ignore || t->GetPartner() || !t->GetExists()) continue;
        header.Write(*t);
        t->DropWithDependents();
    }
}

namespace {

// AlterColumns; with DetectOrder, DetectColumnOrderChanges in the same pass. The column order of a
// table is read from positions and names, which altering columns leaves alone, and the order step
// only sets Changed flags, which nothing reads before the column-order step: both steps then leave
// what they would leave one after the other.
void AlterColumnsOf(TCustomSchemalyst* Comparer, bool DetectOrder) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    const TDatabaseType tt = c.Target->GetDatabaseType();
    TStringList& tables = c.Master->Tables();
    for (int i = 0; i < tables.Count(); ++i) {
        PrefetchAhead(tables, i);
        TTblData* m = TableAt(tables, i);
        auto* p = m ? AsTable(m->GetPartner()) : nullptr;
        if (!p || RecreatedByAlterTables(m)) continue;
        bool header = false;
        // Whether the order is still to be told: same column counts, and no column yet found
        // without a partner or at another position.
        bool order = DetectOrder && m->FieldCount() == p->FieldCount();
        if (tt == dbMySQL && m->FieldCount() == p->FieldCount()) ReorderMySQLColumns(Comparer, m, p);
        for (int j = 0; j < m->FieldCount(); ++j) {
            m->PrefetchField(j + 1);
            p->PrefetchField(j + 1);
            TFldData* mc = m->Field(j);
            TFldData* pc = mc ? FindFieldNear(p, mc->GetName(), j) : nullptr;
            // Both lists are in column order; the numbers may have gaps where columns were dropped.
            if (order && (!pc || p->Field(j) != pc)) {
                order = false;
                if (pc) m->SetChanged(true);
            }
            if (!pc) continue;
            if (CreateTextsDiffer(*mc, *pc)) {
                switch (tt) {
                case dbInterBase:
                    AlterIBColumn(Comparer, m, mc, pc, header);
                    break;
                case dbSybaseASA:
                    AlterASAColumn(Comparer, m, mc, pc);
                    break;
                case dbMySQL:
                    AlterMySQLColumn(Comparer, m, mc, pc);
                    break;
                case dbOracle:
                    AlterOracleColumn(Comparer, m, mc, pc);
                    break;
                case dbMSSQL:
                    AlterMSSQLColumn(Comparer, m, mc, pc);
                    break;
                case dbPostgreSQL:
                    AlterPGColumn(Comparer, m, mc, pc);
                    break;
                case dbSybaseASE:
                    AlterASEColumn(Comparer, m, mc, pc);
                    break;
                default:
                    break;
                }
            }
            if (c.Descriptions() && mc->GetDescription() != pc->GetDescription()) c.Exec->AddDescription(mc);
        }
        if (header) c.Exec->AddComment("\r\n");
    }
    // A type, default or computed-source change drops the computed columns that use the column,
    // and no later step adds computed columns.
    AddDroppedComputedColumns(c);
}

} // namespace

void AlterColumns(TCustomSchemalyst* Comparer) {
    AlterColumnsOf(Comparer, false);
}

void DetectColumnOrderChanges(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.Master) return;
    TStringList& tables = c.Master->Tables();
    for (int i = 0; i < tables.Count(); ++i) {
        PrefetchAhead(tables, i);
        TTblData* m = TableAt(tables, i);
        auto* p = m ? AsTable(m->GetPartner()) : nullptr;
        if (!p || m->FieldCount() != p->FieldCount() || RecreatedByAlterTables(m)) continue;
        for (int j = 0; j < m->FieldCount(); ++j) {
            m->PrefetchField(j + 1);
            p->PrefetchField(j + 1);
            TFldData* mc = m->Field(j);
            TFldData* pc = mc ? FindFieldNear(p, mc->GetName(), j) : nullptr;
            if (!pc) break;
            if (mc->Position != pc->Position) {
                m->SetChanged(true);
                break;
            }
        }
    }
}

} // namespace smx
