// Domains and user types: an InterBase/Firebird, SQL Anywhere, MySQL or DB2 domain, a PostgreSQL
// domain, base or composite type, an MS SQL/ASE alias type or XML schema collection, an Oracle
// object, VARRAY or nested-table type. The underlying type is an inner column record. The compare
// steps create, alter and drop them; an InterBase/Firebird domain is altered in place, with what
// the target server version can express, and with its dependants dropped or emptied first.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/smxTypes.h"
#include "model/smxClasses.h"

namespace smx {

class TDmnData;
class TFldData;

/// The options of a PostgreSQL domain or type: a base type (CREATE TYPE with its functions and
/// storage) or a composite type (its attributes); neither, a PostgreSQL domain.
class TPGTypeOptions : public TObject {
public:
    explicit TPGTypeOptions(TDmnData* ADomain);
    ~TPGTypeOptions() override;
    SMX_CLASSNAME(TPGTypeOptions)

    /// "(\r\nINPUT = ...,\r\n...)" for a base type; " AS (\r\n" + attributes + ")" for a composite one.
    std::string PGTypeOptionsText() const;

    TDmnData* Domain = nullptr; ///< back link; not owned
    std::uint8_t IsBaseType = 0;
    std::string Input, Output, Receive, Send, Analyze;
    std::int32_t InternalLength = -1; ///< -1 = not given
    std::int32_t ExternalLength = -1; ///< -1 = not given
    std::uint8_t PassedByValue = 0;
    std::uint8_t Alignment = 93; ///< a data-type code (93: INT4)
    std::string Storage = "plain";
    std::string Default;
    std::unique_ptr<TFldData> Element;
    std::string Delimiter;
    TStringList CompositeAttributes{true}; ///< TFldData
};

/// A domain or user type. Kind dboDomain.
class TDmnData : public TDbObj {
public:
    explicit TDmnData(TCustomObjs* AOwner = nullptr);
    ~TDmnData() override;
    SMX_CLASSNAME(TDmnData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olDomains; }

    /// The plain name.
    std::string GetDisplayName() const override { return GetName(); }
    std::string GetCreateSQL() const override;
    std::string GetDropSQL() const override;
    /// The inherited walk; then domains and views using it are dropped and columns over it walk
    /// their own dependants.
    void MarkDependents() override;
    /// The inherited walk; then the domains it is based on are created.
    void ProcessDependents() override;
    /// The type record.
    const TColumnAttrs* GetDomainType() const override;

    /// The type record (column attributes of the domain).
    TFldData& Type() const { return *TypeRecord; }
    /// The type text is "XML SCHEMA COLLECTION".
    bool IsXmlSchemaCollection() const;

    std::unique_ptr<TFldData> TypeRecord;
    std::string TypeText;              ///< MS SQL/ASE base type of an alias type, or "XML SCHEMA COLLECTION"
    std::uint8_t OracleKind = 0;       ///< 2 object, 3 VARRAY, 4 nested table, 5 nested table with IS
    std::int32_t VarrayLimit = 0;      ///< Oracle VARRAY limit
    TStringList Attributes{true};      ///< TFldData: object-type attributes
    TStringList Members{true};         ///< TMemberPrcData: object-type methods
    TStringList AddedAttributes{true}; ///< TFldData added by a trailing ALTER TYPE
    std::uint8_t Cascade = 0;
    std::string Timestamp, OID, Supertype; ///< Oracle
    TTypeDirective Directive;
    std::unique_ptr<TPGTypeOptions> PGOptions;
    std::uint8_t MSSQLFromType = 0; ///< written as CREATE TYPE ... FROM

private:
    std::string OracleTypeSQL() const;
    std::string AttributeList(const TStringList& List) const;
};

// Compare steps of domains; each takes the comparer and writes into its executor.

/// Creates the master domains the target lacks.
void CreateDomains(TCustomSchemalyst* Comparer);
/// Alters paired domains that differ (InterBase/Firebird and PostgreSQL targets); descriptions.
void AlterDomains(TCustomSchemalyst* Comparer);
/// Drops the target-only domains and re-creates the master views that used them.
void DropDomains(TCustomSchemalyst* Comparer);
/// Alters target domain T into master domain M on an InterBase/Firebird target, by its server
/// version; nothing when either is missing.
void AlterIBDomain(TCustomSchemalyst* Comparer, TDmnData* M, TDmnData* T);
/// Alters the check of a PostgreSQL domain; nothing when either is missing.
void AlterPGDomain(TCustomSchemalyst* Comparer, TDmnData* M, TDmnData* T);

} // namespace smx
