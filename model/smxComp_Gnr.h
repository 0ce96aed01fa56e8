// Generators of InterBase/Firebird and sequences of Oracle, MS SQL and PostgreSQL: the schema object
// class of the kind with its CREATE and DROP texts and the identity options a DB2 column takes, and
// the compare steps that create, alter and drop them. A free-standing generator owns a column that
// carries its data type; the generator every table column owns for its identity options has none.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/smxClasses.h"

namespace smx {

class TFldData;

/// A generator or sequence. Kind dboGenerator. Option values are held as text, as read or parsed.
class TGnrData : public TDbObj {
public:
    /// A generator of Objects; without OwningColumn it has a data-type column of its own.
    explicit TGnrData(TCustomObjs* AOwner = nullptr, TFldData* OwningColumn = nullptr);
    ~TGnrData() override;
    SMX_CLASSNAME(TGnrData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olGenerators; }

    /// CREATE SEQUENCE (Oracle, MS SQL, PostgreSQL; Firebird 3 and 4 with a start value or an
    /// increment: CREATE SEQUENCE name START WITH s INCREMENT BY i) or CREATE GENERATOR.
    std::string GetCreateSQL() const override;
    /// DROP GENERATOR (Firebird 1 and later; older servers delete the system-table row), DROP
    /// SEQUENCE (Oracle, PostgreSQL); empty for other types.
    std::string GetDropSQL() const override;

    /// DB2: the options after "AS IDENTITY", "(START WITH s, INCREMENT BY i, CACHE c)" with the
    /// values that are set; Firebird 3: "(START WITH s)" (Firebird 4 adds " INCREMENT BY i");
    /// empty for other types and when none is set.
    std::string GetIdentityOptions() const;
    /// The name, schema-qualified when a schema (parent name) is set.
    std::string QualifiedName() const;

    const std::string& GetMaxValue() const { return MaxValue_; }
    /// 27 nines store no maximum and set the no-maximum flag; any other text is stored.
    void SetMaxValue(std::string_view Value);
    const std::string& GetCacheSize() const { return CacheSize_; }
    /// "0" stores no cache size and sets the no-cache flag; any other text is stored.
    void SetCacheSize(std::string_view Value);
    bool GetNoCache() const { return NoCache_; }
    /// Setting the flag also empties the cache size.
    void SetNoCache(bool Value);
    bool GetNoMaxValue() const { return NoMaxValue_; }
    /// The column that carries the sequence's data type (made on first use, so that the many
    /// generators that never state a type stay small); nullptr for a column-owned generator.
    TFldData* GetDataTypeColumn();
    /// The column that owns the generator (its identity options); nullptr for a free generator.
    TFldData* GetOwningColumn() const { return OwningColumn_; }

    /// A start value other than the server's 0, an increment other than 1.
    bool HasStartValue() const { return !StartValue.empty() && StartValue != "0"; }
    bool HasIncrement() const { return !Increment.empty() && Increment != "1"; }
    /// The start value and the increment as the server states them ("0" and "1" when not set).
    std::string StartValueText() const { return HasStartValue() ? StartValue : "0"; }
    std::string IncrementText() const { return HasIncrement() ? Increment : "1"; }

    std::string MinValue;
    std::string StartValue;
    std::string Increment;
    std::string OwnedBy; ///< PostgreSQL OWNED BY
    bool Preset = true;  ///< set by the constructor; no text reads it
    bool Order = false;
    bool Cycle = false;
    bool Temporary = false;
    /// The value the generator holds in the database (SET GENERATOR); no statement is written for it.
    std::int64_t CurrentValue = 0;

private:
    std::string MaxValue_;
    std::string CacheSize_ = "20";
    bool NoCache_ = false;
    std::unique_ptr<TFldData> DataTypeColumn_;
    TFldData* OwningColumn_ = nullptr;
    bool NoMaxValue_ = true;
};

/// Creates the master generators that have no partner and do not exist.
void CreateGenerators(TCustomSchemalyst* Comparer);
/// Oracle and PostgreSQL targets: ALTER SEQUENCE for the options that differ; Firebird 3 and 4:
/// ALTER SEQUENCE ... RESTART WITH / INCREMENT BY for a start value or increment that differs;
/// descriptions.
void AlterGenerators(TCustomSchemalyst* Comparer);
/// Drops the existing target generators without a partner.
void DropGenerators(TCustomSchemalyst* Comparer);

} // namespace smx
