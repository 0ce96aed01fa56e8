// Stored procedures and functions, and the compare steps that bring them up to date. A routine owns
// its input and output parameters (column objects), writes its CREATE, ALTER, DROP and empty-body
// texts per dialect, and knows how to empty its own body in the target: routines call each other
// and views, triggers and computed columns use them, so new routines are first created empty,
// routines whose callees change are emptied, and the real bodies come back once everything exists.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/smxTypes.h"
#include "model/smxClasses.h"

namespace smx {

class TFldData;

/// A stored procedure or function. Kind dboProcedure. The body is the inherited source text.
/// Parameters are column objects whose ParamDirection is the mode (0 none, 1 IN, 2 OUT, 3 INOUT,
/// 4 VARIADIC) and whose Deterministic flag marks a function result.
class TPrcData : public TDbObj {
public:
    explicit TPrcData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TPrcData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olProcedures; }

    /// The list key (PostgreSQL: schema.name(input types); MS SQL: name;number).
    std::string GetFullName() const override;
    std::string GetDisplayName() const override { return GetFullName(); }
    /// The CREATE text of the effective dialect; empty for dialects without one.
    std::string GetCreateSQL() const override;
    /// The ALTER (or CREATE OR REPLACE) text of the effective dialect; empty where there is none.
    std::string GetAlterSQL() const override;
    /// The DROP text; empty for an ignored routine.
    std::string GetDropSQL() const override;
    /// The CREATE text with the empty body; empty for an ignored routine.
    std::string GetEmptyCreateSQL() const override;
    /// The inherited walk, then the computed columns that use the routine are dropped.
    void MarkDependents() override;
    /// The inherited walk, then views the routine reads are created, or dropped and created again
    /// when their text changed.
    void ProcessDependents() override;

    /// On InterBase targets: when the target copy exists with another parameter list and has not
    /// been given this one yet, files the empty-body ALTER with the new list (callers that the change
    /// would break are emptied first) and flags the body for restoration.
    void DeclareNewSignature() override;
    std::string GetEmptyBody() const override { return EmptyRoutineBody(); }
    bool IsFunction() const override { return IsFunctionFlag != 0; }
    bool ReturnsTable() const override;
    /// Sets the body-emptied flag on the routine and on its partner.
    void SetBodyEmptied(bool Value) override;
    /// Nothing when the routine does not exist or already has its empty body. Otherwise the body
    /// becomes the empty body, DependsOn entries need no more processing, the master namesake is
    /// flagged body-emptied, and with Emit the ALTER text is filed (odbEmpty) and becomes the
    /// compare text's source. MySQL, which cannot alter a routine's body, drops the existing
    /// routine instead when Emit is set (DropWithDependents) and empties its compare text.
    void EmptyBody(bool Emit) override;
    /// The routine's own description and those of its parameters.
    void AddCreatedDescriptions(TCustomSQLExec& Exec) override;
    /// The body that does nothing, in the effective dialect. PostgreSQL: one its language (SQL,
    /// PL/pgSQL) accepts for the declared result; empty for a routine without a body.
    std::string EmptyRoutineBody() const;
    /// "ALTER PROCEDURE|FUNCTION name params AS" + the empty body.
    std::string GetEmptyAlterSQL() const;
    /// Appends a parameter named Name (its parent and routine name set) to the input or output list.
    TFldData* AddParam(std::string_view Name, bool Output);

    std::uint8_t BodyEmptied = 0;
    TStringList InputParams{true};  ///< TFldData, in declaration order
    TStringList OutputParams{true}; ///< TFldData (a function's result first)
    std::uint8_t ReturnsTableFlag = 0;
    std::int32_t ProcNumber = 0; ///< MS SQL numbered procedure; 0 = none
    std::uint8_t IsFunctionFlag = 0;
    std::string PGObjectFile, PGLinkSymbol; ///< a PostgreSQL C function without body
    std::string Language;                   ///< PostgreSQL language, or an ASE routine's external language
    std::string Volatility;                 ///< PostgreSQL volatility, appended as written
    std::uint8_t Strict = 0;                ///< PostgreSQL STRICT; ASE "returns null on null input"
    std::string PGReturns;                  ///< PostgreSQL result text (replaces the result type)
    std::uint8_t SetOf = 0;                 ///< PostgreSQL RETURNS SETOF
    std::string WithOptions;                ///< MS SQL WITH options
    std::uint8_t ModifiesSQLData = 0;       ///< ASE external routine
    std::int32_t DynamicResultSets = 0;     ///< ASE external routine
    std::uint8_t Deterministic = 0;         ///< ASE external routine
    std::uint8_t Exportable = 0;            ///< ASE external routine
    std::string ParameterStyle;             ///< ASE external routine
    std::string ExternalName;               ///< ASE external routine
    /// MySQL characteristics: bit 0 LANGUAGE SQL, 1 DETERMINISTIC, 2 NOT DETERMINISTIC, 4 NO SQL,
    /// 5 READS SQL DATA, 6 MODIFIES SQL DATA, 7 SQL SECURITY DEFINER, 8 SQL SECURITY INVOKER.
    std::uint16_t MySQLCharacteristics = 0;
    /// MS SQL/ASE: the whole definition, the CREATE text of a routine with neither body nor language.
    std::string Definition;

private:
    /// The body as written into texts: the empty body keeps its leading blank.
    std::string BodyText() const;
};

/// A method of an Oracle object type.
class TMemberPrcData : public TPrcData {
public:
    explicit TMemberPrcData(TCustomObjs* AOwner = nullptr) : TPrcData(AOwner) {}
    SMX_CLASSNAME(TMemberPrcData)

    /// "   " + directive + "MEMBER PROCEDURE|FUNCTION name" + parameter text (+ " RETURN " result).
    std::string GetCreateSQL() const override;

    std::string ParamText; ///< the parameter list, written as is
    TTypeDirective Directive;
};

/// The parameter list of the routine in its effective dialect; WithResult adds the result clause
/// where the dialect asks for it (PostgreSQL, MySQL).
std::string RoutineParamsText(const TPrcData& Routine, bool WithResult);

// Compare steps of routines; each takes the comparer and writes into its executor.

/// Creates the master routines the target lacks, with empty bodies (whole, where bodies cannot be
/// restored later), flagged for restoration.
void CreateProcedures(TCustomSchemalyst* Comparer);
/// Re-creates routines whose kind changed, empties what depends on changed parameter lists, alters
/// changed routines and restores emptied bodies. Run twice in a comparison.
void AlterProcedures(TCustomSchemalyst* Comparer);
/// Empties target-only routines that use something, then drops the target-only routines.
void DropProcedures(TCustomSchemalyst* Comparer);

} // namespace smx
