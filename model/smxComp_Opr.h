// PostgreSQL operators and operator classes: their CREATE and DROP texts, their list keys (an
// operator is overloaded by its argument types, a class by its access method, both within their
// schema) and the compare steps, which act only for a PostgreSQL target. A change is a drop and a
// creation, never an alteration.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/smxClasses.h"

namespace smx {

/// A user-defined operator. Kind dboOperator; the schema is the parent name. An empty argument
/// type means no argument on that side.
class TOprData : public TDbObj {
public:
    explicit TOprData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TOprData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olOperators; }

    /// The list key.
    std::string GetDisplayName() const override { return GetFullName(); }
    /// schema + "." + name + " " + the argument types, unquoted.
    std::string GetFullName() const override;
    std::string GetCreateSQL() const override;
    /// "DROP OPERATOR " + schema + "." + name + the argument types.
    std::string GetDropSQL() const override;
    /// "(" + left type (or NONE) + ", " + right type (or NONE) + ")".
    std::string GetArgTypesText() const;

    std::string ProcName, LeftArg, RightArg, Commutator, Negator, Restrict, Join;
    std::uint8_t Hashes = 0;
    std::uint8_t Merges = 0;
    std::string Sort1, Sort2, LtCmp, GtCmp;
};

/// An operator item of an operator class.
class TOpcOprData : public TObject {
public:
    SMX_CLASSNAME(TOpcOprData)
    std::int32_t Strategy = 0;
    std::string OperatorName;
    std::string LeftType, RightType;
};

class TOpcData;

/// A support-function item of an operator class.
class TOpcFncData : public TObject {
public:
    explicit TOpcFncData(TOpcData* AOwner = nullptr) : Owner(AOwner) {}
    SMX_CLASSNAME(TOpcFncData)
    TOpcData* Owner = nullptr; ///< the class whose identifier quoting the item uses; not owned
    std::int32_t Support = 0;
    std::string FunctionName;
    TStringList ArgTypes{true};
};

/// An operator class. Kind dboOperatorClass; the schema is the parent name.
class TOpcData : public TDbObj {
public:
    explicit TOpcData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TOpcData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olOperatorClasses; }

    /// The list key.
    std::string GetDisplayName() const override { return GetFullName(); }
    /// [schema + "."] + name + "(" + access method + ")": same-named classes of two schemas are
    /// two objects.
    std::string GetFullName() const override;
    std::string GetCreateSQL() const override;
    /// "DROP OPERATOR CLASS " + schema + "." + name + " USING " + access method.
    std::string GetDropSQL() const override;

    /// Appends an operator item (owned) and returns it.
    TOpcOprData* AddOperator(std::int32_t Strategy, std::string_view Name, std::string_view Left = {},
                             std::string_view Right = {});
    /// Appends a support-function item (owned) and returns it.
    TOpcFncData* AddFunction(std::int32_t Support, std::string_view Name);

    std::uint8_t Default = 0;
    std::string DataType;
    std::string AccessMethod;
    TStringList Operators{true}; ///< TOpcOprData, in order
    TStringList Functions{true}; ///< TOpcFncData, in order
    std::string StorageType;
};

// Compare steps (PostgreSQL targets only; no ignore flags, no comments).

/// Creates the master operators the target lacks.
void CreateOperators(TCustomSchemalyst* Comparer);
/// An operator whose text differs is dropped and created again.
void AlterOperators(TCustomSchemalyst* Comparer);
/// Drops the target operators the master lacks.
void DropOperators(TCustomSchemalyst* Comparer);
void CreateOperatorClasses(TCustomSchemalyst* Comparer);
void AlterOperatorClasses(TCustomSchemalyst* Comparer);
void DropOperatorClasses(TCustomSchemalyst* Comparer);

} // namespace smx
