// The InterBase/Firebird body and expression parser. It reads the procedural and expression parts of
// objects (procedure, function and trigger bodies, EXECUTE BLOCK, the SELECT of a view, computed
// columns, expression indices, check constraints, domain checks and defaults), checks that they are
// well formed and records every object they need, down to the column, as dependency records that
// the comparer's walkers use to order drops and re-creations. Column references are resolved against
// the FROM clauses in effect; a reference read before its FROM clause (a select list) waits in that
// clause's context until the clause is known, so every text is read once, in linear time.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "parsing/smxIBParser.h"

namespace smx {

class TPrcData;

/// How many grammar levels (a query, a block, a statement, an expression, a factor) may nest in a
/// body before it is refused: a parenthesis costs two, a nested SELECT three.
inline constexpr int MaxBodyNesting = 1000;

/// The parser users create for InterBase/Firebird: the script parser plus bodies and expressions.
class TIbExParser : public TIbParser {
public:
    /// The script parser with progress reporting on.
    explicit TIbExParser(TCustomExtract* AOwner = nullptr);
    ~TIbExParser() override;
    SMX_CLASSNAME(TIbExParser)

    /// With a current object the text is prefixed with its kind and name ("Procedure P: ");
    /// only the first error of the list reaches the error event. Every error is recorded.
    void Error(const std::string& Text) override;
    /// Records what Obj needs for the column reference Alias.Column (see the unit comment). NEW and
    /// OLD name the trigger's table wherever they stand; a qualified name is never a generator.
    void LinkFieldDepend(TDbObj* Obj, std::string_view Alias, std::string_view Column) override;
    /// Re-parses the stored text of a procedure, trigger, view, index, computed column, check
    /// constraint or domain (check, then default), from line 1, column 1, with "^" as terminator;
    /// the scanner, its text and its terminator are as before afterwards. Other objects get
    /// "Body parsing for DB-Obj: (<class>) not implemented."; no object gets
    /// "Expression / body parsing not implemented.".
    void ParseBody(TDbObj* Obj) override;
    /// Parses the body of Obj at the current token (declarations and block, a SELECT, or a
    /// parenthesised expression over the object's table). A body read inside another (a package's
    /// routines) leaves the outer body's object, local names and FROM contexts as they were.
    void ParseObjectBody(TDbObj* Obj) override;

    /// The object whose body is being parsed, or nullptr.
    TDbObj* GetCurrentObject() const { return Current_; }

protected:
    /// Parses the body met in a script and stores its source: a trigger's from AS, a routine's or
    /// view's from the token after AS (the current token is AS), a package's from the current token,
    /// a column's, index's or check's from its "(" (the current token is "(" or the word before it).
    /// A ";" terminator reads as "^" inside the body; the parser ends on the token after the body (a
    /// ";" there becomes the terminator).
    void ReadBody(TDbObj* Obj) override;
    /// The routine's parameters, whose defaults may be any expression.
    void ParseRoutineHeader(TPrcData* Routine) override;
    /// EXECUTE BLOCK: checked like a procedure body, with no dependencies recorded (the block is
    /// no object of the structure).
    void ParseExecuteBlock() override;
    /// The parenthesised expression after the current token (CHECK, COMPUTED [BY]) parsed over the
    /// object's table, its dependencies recorded; its text from "(" to ")" is returned.
    std::string ReadExpressionSource(TDbObj* Obj) override;
    /// A default that starts with "(" (and, for variables and parameters, any default) is parsed as
    /// an expression and kept as written; any other default is read as the script parser reads it.
    void ReadDefaultValue(TDbObj* Obj, std::string& Text) override;
    /// The column of the table being built: its expressions resolve against that table.
    std::unique_ptr<TFldData> ParseColumn(TTblData* Table, TTypeUse Use) override;
    void ParseConstraintBody(TCtrData* Constraint, TTblData* Table, TFldData* Column = nullptr) override;
    std::unique_ptr<TIbParser> CreateInputParser() override { return std::make_unique<TIbExParser>(Owner_); }

private:
    class TBodyContext;
    class TFromScope;
    class TNesting;

    // Declarations and statements.
    void ParseDeclarations();
    void ParseSubRoutine();
    void ParseBlock();
    void ParseBodyStatement();
    void ParseBodyWordStatement();
    void ParseAssignment();
    void ParseExecuteStatement();
    void ParseExecuteStatementText();
    void ParseForStatement();
    void ParseWhen();
    void ParseSetStatement();
    /// The target table [[AS] alias] of a data-changing statement into Ctx, which is then known.
    void ReadTarget(TBodyContext& Ctx);
    /// "(" expression {"," expression} ")".
    void ParseParenList();
    void ParseInsert(bool UpdateOrInsert);
    void ParseUpdate(bool WithSet);
    void ParseDelete();
    void ParseMerge();
    void ParseReturning();
    void ParseIntoTargets();
    void ParseTarget();

    // Queries.
    void ParseSelect(bool AllowInto);
    void ParseWithClause();
    void ParseTableRefs(TBodyContext& Ctx);
    void ParseTableRef(TBodyContext& Ctx);
    /// One item of a select list as it names a view column: its alias or column name, or a "*"
    /// (StarOf: the qualifier of "x.*"); Name and Star both unset for an unnamed expression.
    struct TSelectItem {
        std::string Name, StarOf;
        bool Star = false;
    };
    /// Items receives what each item names (a view's select list read without a column list).
    void ParseItemList(bool Aliases, bool Ordering, std::vector<TSelectItem>* Items = nullptr);
    /// The view's columns from its select list, as the server names them: the alias, else the
    /// column's name, and for "*" the columns of the FROM relations in order. Nothing when an item
    /// names no column or a "*" reaches a relation whose columns are unknown.
    void DeriveViewColumns(TViwData& View, TBodyContext& Ctx, const std::vector<TSelectItem>& Items);
    /// What an item written as Text names when it has no alias: a column reference its column's
    /// name (a double-quoted part unquoted, a bare one upper-cased, as the server reads them), "*"
    /// and "x.*" the columns of the relations they reach; any other expression nothing.
    static TSelectItem SelectItemOf(std::string_view Text);
    void ParsePlan();
    void ParseWindow();
    void ParseRowsClause();

    // Expressions.
    void ParseExpression();
    void ParseConjunct();
    void ParsePredicate();
    void ParseBooleanPrimary();
    void ParseAdditive();
    void ParseTerm();
    void ParseFactor();
    void ParseIdentFactor();
    /// The arguments of function Name; with OwnName, a function of the container is a dependency
    /// (a packaged function's package is recorded by the caller).
    void ParseFunctionArgs(const std::string& Name, bool OwnName = true);
    void ParseExpressionList();
    /// A data type (the script parser's, into a column of its own, then dropped) whose defaults are
    /// expressions.
    void ParseLocalType();

    // Helpers.
    /// The token is Code (keyword, or its identifier form); else records "Missing: ...".
    bool ExpectKw(int Code);
    bool ExpectKwAndNext(int Code);
    /// The index of the first non-blank character after the current token.
    std::size_t NextNonBlank() const;
    /// The character after the current token (blanks skipped) is "(".
    bool NextIsLParen() const;
    /// The token ends a statement or a body (";", the terminator, END or the end of the text).
    bool AtStatementEnd() const;
    /// The token is a word that may stand as an alias (an identifier that is no keyword).
    bool AtAlias() const;
    /// Pushes a FROM context; only TFromScope calls it, so every push has its pop.
    TBodyContext& PushFrom();
    /// Pops the top context, resolving the references that wait in it.
    void PopFrom();
    /// The FROM clause of Ctx is complete: the references waiting in it are resolved.
    void FromKnown(TBodyContext& Ctx);
    /// Records a dependency of the current object on Name among Kinds.
    void Depend(std::string_view Name, TDbObjectKinds Kinds);
    /// The name at the current token (reported when missing) is a dependency of kind Kind; moves past it.
    void DependOnName(TDbObject Kind);
    /// A routine name, or package.routine whose package is the dependency; moves past it.
    void DependOnRoutine(TDbObject Kind);
    /// Records Obj's need of Relation's Column (of a procedure: of its output parameter).
    void LinkColumn(TDbObj* Obj, TDbObj* Relation, std::string_view Column);
    /// The column reference Alias.Column of the current object.
    void ColumnRef(std::string_view Alias, std::string_view Column);
    bool IsTrigger() const;
    bool Firebird3() const;
    bool Firebird4() const;

    /// The table, view or procedure of that name (the table being built first).
    TDbObj* Relation(std::string_view Name) const;

    TDbObj* Current_ = nullptr;
    TTblData* BuildingTable_ = nullptr; // the table whose CREATE/ALTER is being read (not yet filed)
    bool Recording_ = true;             // dependencies are recorded (off for EXECUTE BLOCK)
    bool Aborted_ = false;              // the body nested too deeply; the rest of it is skipped
    bool ExpressionDefaults_ = false;   // variables and parameters: a default is any expression
    int Depth_ = 0;
    TViwData* DeriveColumns_ = nullptr; // a view read without a column list: its top select names them
};

} // namespace smx
