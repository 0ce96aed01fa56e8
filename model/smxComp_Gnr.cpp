// smxComp_Gnr: see the header.
#include "model/smxComp_Gnr.h"

#include "model/smxCompSteps.h"
#include "model/smxComp_Tbl.h"
#include "platform/smxStrUtils.h"

namespace smx {

namespace {

using enum TDatabaseType;

// The maximum that stands for "no maximum".
constexpr std::string_view NoMaximum = "999999999999999999999999999";

// Whether the generator's texts are written for Firebird 3 or 4, which keep start and increment.
bool IsFirebird3Sequence(const TGnrData& G) {
    if (G.GetDatabaseType() != dbInterBase) return false;
    const TIBServerOptions* ib = G.GetIBServerOptions();
    return ib && (ib->GetSQLServerVersion() == TIBSQLServerVersionType::st_Firebird_30 ||
                  ib->GetSQLServerVersion() == TIBSQLServerVersionType::st_Firebird_40);
}

} // namespace

TGnrData::TGnrData(TCustomObjs* AOwner, TFldData* OwningColumn)
    : TDbObj(AOwner), OwningColumn_(OwningColumn) {
    SetKind(TDbObject::dboGenerator);
}

TGnrData::~TGnrData() = default;

TFldData* TGnrData::GetDataTypeColumn() {
    // A column-owned generator takes no column of its own: the column would create a generator in
    // turn. The data-type column's parent is the generator, which gives it none.
    if (!DataTypeColumn_ && !OwningColumn_) DataTypeColumn_ = std::make_unique<TFldData>(GetOwner(), this);
    return DataTypeColumn_.get();
}

void TGnrData::SetMaxValue(std::string_view Value) {
    if (Value == NoMaximum) {
        MaxValue_.clear();
        NoMaxValue_ = true;
    } else {
        MaxValue_ = Value;
    }
}

void TGnrData::SetCacheSize(std::string_view Value) {
    if (Value == "0") {
        CacheSize_.clear();
        NoCache_ = true;
    } else {
        CacheSize_ = Value;
    }
}

void TGnrData::SetNoCache(bool Value) {
    NoCache_ = Value;
    if (Value) CacheSize_.clear();
}

std::string TGnrData::QualifiedName() const {
    if (GetParentName().empty()) return QuoteName(GetName());
    return QuoteName(GetParentName()) + "." + QuoteName(GetName());
}

std::string TGnrData::GetCreateSQL() const {
    const std::string br = "\r\n";
    switch (GetDatabaseType()) {
    case dbOracle: {
        std::string s = "CREATE SEQUENCE " + QualifiedName();
        if (!MinValue.empty() && MinValue != "1") s += br + "minvalue " + MinValue;
        if (!MaxValue_.empty()) s += br + "maxvalue " + MaxValue_;
        if (!Increment.empty() && Increment != "1") s += br + "increment by " + Increment;
        if (!CacheSize_.empty())
            s += br + "cache " + CacheSize_;
        else if (NoCache_)
            s += br + "nocache";
        if (Order) s += br + "order";
        if (Cycle) s += br + "cycle";
        return s;
    }
    case dbMSSQL: {
        std::string s = "CREATE SEQUENCE " + GetQualifiedObjectName();
        if (DataTypeColumn_ && DataTypeColumn_->DataType != 0)
            s += br + "    AS " + DataTypeColumn_->GetColumnTypeText();
        if (!StartValue.empty()) s += br + "    START WITH " + StartValue;
        if (!Increment.empty() && Increment != "1") s += br + "    INCREMENT BY " + Increment;
        if (!MinValue.empty() && MinValue != "1") s += br + "    MINVALUE " + MinValue;
        if (!MaxValue_.empty()) s += br + "    MAXVALUE " + MaxValue_;
        if (Cycle) s += br + "    CYCLE";
        if (!CacheSize_.empty())
            s += br + "    CACHE " + CacheSize_;
        else if (NoCache_)
            s += br + "    NOCACHE";
        return s;
    }
    case dbPostgreSQL: {
        std::string s = "CREATE ";
        if (Temporary) s += "TEMPORARY ";
        s += "SEQUENCE " + GetQualifiedObjectName();
        if (!Increment.empty()) s += " INCREMENT BY " + Increment;
        if (!MinValue.empty()) s += " MINVALUE " + MinValue;
        if (!MaxValue_.empty()) s += " MAXVALUE " + MaxValue_;
        if (!StartValue.empty()) s += " START WITH " + StartValue;
        if (!CacheSize_.empty()) s += " CACHE " + CacheSize_;
        if (Cycle) s += " CYCLE";
        if (!OwnedBy.empty()) s += " OWNED BY " + OwnedBy;
        return s;
    }
    default: {
        // Firebird 3 keeps a start value and an increment; a generator with either is written as
        // the sequence it is.
        if (IsFirebird3Sequence(*this) && (HasStartValue() || HasIncrement())) {
            std::string s = "CREATE SEQUENCE " + QuoteName(GetName());
            if (HasStartValue()) s += " START WITH " + StartValue;
            if (HasIncrement()) s += " INCREMENT BY " + Increment;
            return s;
        }
        return "CREATE GENERATOR " + QuoteName(GetName());
    }
    }
}

std::string TGnrData::GetDropSQL() const {
    switch (GetDatabaseType()) {
    case dbInterBase: {
        const TIBServerOptions* ib = GetIBServerOptions();
        if (ib && ib->GetSQLServerVersion() >= TIBSQLServerVersionType::st_FireBird_1x)
            return "DROP GENERATOR " + QuoteName(GetName());
        // Servers before Firebird 1 know no DROP GENERATOR.
        return "/* Drop generator: " + QuoteName(GetName()) + " */" + "\r\n" +
               "DELETE FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = " + QuotedStr(GetName());
    }
    case dbPostgreSQL:
    case dbOracle:
        return "DROP SEQUENCE " + GetQualifiedObjectName();
    default:
        return {};
    }
}

std::string TGnrData::GetIdentityOptions() const {
    if (IsFirebird3Sequence(*this)) {
        // Firebird 3 takes the start value; the increment comes with Firebird 4.
        std::string s;
        if (HasStartValue()) s = "START WITH " + StartValue;
        const TIBServerOptions* ib = GetIBServerOptions();
        if (HasIncrement() && ib->GetSQLServerVersion() == TIBSQLServerVersionType::st_Firebird_40)
            s += (s.empty() ? "" : " ") + std::string("INCREMENT BY ") + Increment;
        return s.empty() ? s : "(" + s + ")";
    }
    if (GetDatabaseType() != dbDB2) return {};
    // A value that is not set is left out: "START WITH ," would not parse.
    std::string s;
    auto add = [&s](std::string_view Clause, const std::string& Value) {
        if (Value.empty()) return;
        if (!s.empty()) s += ", ";
        s += std::string(Clause) + Value;
    };
    add("START WITH ", StartValue);
    add("INCREMENT BY ", Increment);
    add("CACHE ", CacheSize_);
    return s.empty() ? s : "(" + s + ")";
}

// ===================================================================================================
// Compare steps

namespace {

TGnrData* GeneratorAt(TStringList& list, int i) {
    return dynamic_cast<TGnrData*>(list.Objects(i));
}

} // namespace

void CreateGenerators(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    const TDatabaseType t = c.Target->GetDatabaseType();
    std::string comment;
    if (t == dbInterBase) comment = "Create generator...";
    if (t == dbOracle || t == dbPostgreSQL) comment = "Create sequence...";
    TStepComment header(c.Exec, comment);
    bool wrote = false;
    TStringList& list = c.Master->Generators();
    for (int i = 0; i < list.Count(); ++i) {
        TGnrData* m = GeneratorAt(list, i);
        if (!m || m->GetPartner() || m->GetExists()) continue;
        if (!comment.empty()) header.Write(*m);
        c.Exec->AddStatement(m->GetCreateScript(), TStatType::stStatement, m->GetName(),
                             TDbObject::dboGenerator, TDbOperation::odbCreate, "", "");
        m->SetExists(true);
        wrote = true;
        if (c.Descriptions() && !m->GetDescription().empty()) c.Exec->AddDescription(m);
    }
    if (wrote && comment.empty()) c.Exec->AddComment("\r\n");
}

void AlterGenerators(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    const TDatabaseType t = c.Target->GetDatabaseType();
    const bool sequences = t == dbOracle || t == dbPostgreSQL;
    TStepComment header(c.Exec, "Alter sequence...");
    TStringList& list = c.Master->Generators();
    for (int i = 0; i < list.Count(); ++i) {
        TGnrData* m = GeneratorAt(list, i);
        auto* p = m ? dynamic_cast<TGnrData*>(m->GetPartner()) : nullptr;
        if (!p) continue;
        if (sequences) {
            auto alter = [&](const std::string& Clause) {
                c.Exec->AddStatement("ALTER SEQUENCE " + m->QualifiedName() + Clause, TStatType::stStatement,
                                     m->GetName(), TDbObject::dboGenerator, TDbOperation::odbAlter, "", "");
            };
            if (!m->Increment.empty() && m->Increment != p->Increment) alter(" increment by " + m->Increment);
            if (!m->GetMaxValue().empty() && m->GetMaxValue() != p->GetMaxValue())
                alter(" maxvalue " + m->GetMaxValue());
            if (m->Cycle != p->Cycle) alter(m->Cycle ? " cycle" : " nocycle");
            if (m->Order != p->Order) alter(m->Order ? " order" : " noorder");
            if (m->GetNoCache() && !p->GetNoCache())
                alter(" nocache");
            else if (!m->GetCacheSize().empty() && m->GetCacheSize() != p->GetCacheSize())
                alter(" cache " + m->GetCacheSize());
        }
        if (IsFirebird3Sequence(*m)) {
            // RESTART WITH also sets the value the sequence stands at: Firebird 3 keeps no start value
            // apart from it.
            std::string clause;
            if (m->StartValueText() != p->StartValueText()) clause += " RESTART WITH " + m->StartValueText();
            if (m->IncrementText() != p->IncrementText()) clause += " INCREMENT BY " + m->IncrementText();
            if (!clause.empty()) {
                header.Write(*m);
                c.Exec->AddStatement("ALTER SEQUENCE " + m->QuoteName(m->GetName()) + clause,
                                     TStatType::stStatement, m->GetName(), TDbObject::dboGenerator,
                                     TDbOperation::odbAlter, "", "");
            }
        }
        if (c.Descriptions() && m->GetDescription() != p->GetDescription()) c.Exec->AddDescription(m);
    }
}

void DropGenerators(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    if (!c.ok()) return;
    const TDatabaseType t = c.Target->GetDatabaseType();
    std::string comment;
    if (t == dbInterBase) comment = "Drop generator...";
    if (t == dbOracle || t == dbPostgreSQL) comment = "Drop sequence...";
    TStepComment header(c.Exec, comment);
    bool wrote = false;
    TStringList& list = c.Target->Generators();
    for (int i = 0; i < list.Count(); ++i) {
        TGnrData* g = GeneratorAt(list, i);
        if (!g || g->GetPartner() || !g->GetExists()) continue;
        if (!comment.empty()) header.Write(*g);
        g->DropWithDependents();
        wrote = true;
    }
    if (wrote && comment.empty()) c.Exec->AddComment("\r\n");
}

} // namespace smx
