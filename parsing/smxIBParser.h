// The InterBase/Firebird script parser: its scanner additions (character-set introducers, hexadecimal
// literals, ":=", double-quoted identifiers in dialect 3), the keyword vocabulary filtered by server
// version, and the statement loop that recognises each statement by its first tokens, applies SET,
// CONNECT, CREATE DATABASE, DESCRIBE and COMMENT ON to the container, pulls in INPUT files and reports
// every statement through OnStatement. Each CREATE statement builds its object in the container:
// tables with their columns, data types and constraints, indices, procedures and functions, packages,
// triggers, views, grants, external functions, generators, roles, exceptions, domains and collations.
// A second definition of a filed routine, package, trigger, view or exception updates that object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "parsing/smxParser.h"

namespace smx {

class TCtrData;
class TExcData;
class TFldData;
class TGntData;
class TPkgData;
class TPrcData;
class TTblData;
class TTrgData;
class TViwData;

// --- InterBase keyword codes the statement routines test --------------------------------------------
// The codes of the InterBase keyword table (model/smxKeywords); a test checks them against it.

inline constexpr int tkACTION = 30;
inline constexpr int tkACTIVE = 31;
inline constexpr int tkADD = 32;
inline constexpr int tkALTER = 36;
inline constexpr int tkAS = 39;
inline constexpr int tkASC = 40;     ///< also ASCENDING
inline constexpr int tkCHARSET = 44; ///< the character-set introducer "_name"
inline constexpr int tkBLOB = 48;
inline constexpr int tkBY = 49;
inline constexpr int tkCASCADE = 51;
inline constexpr int tkCHARACTER = 53; ///< also CHAR
inline constexpr int tkCHECK = 54;
inline constexpr int tkCOLLATE = 56;
inline constexpr int tkCOLUMN = 57;
inline constexpr int tkCOMMIT = 58;
inline constexpr int tkCOMPUTED = 59;
inline constexpr int tkCONSTRAINT = 61;
inline constexpr int tkCREATE = 64;
inline constexpr int tkCSTRING = 65;
inline constexpr int tkCURRENT_DATE = 67;
inline constexpr int tkCURRENT_TIME = 68;
inline constexpr int tkCURRENT_TIMESTAMP = 69;
inline constexpr int tkDATABASE = 71;
inline constexpr int tkDATE = 72;
inline constexpr int tkBINARY = 74;
inline constexpr int tkDECIMAL = 75; ///< also DEC
inline constexpr int tkDECLARE = 76;
inline constexpr int tkDEFAULT = 77;
inline constexpr int tkDELETE = 78;
inline constexpr int tkDESC = 79; ///< also DESCENDING
inline constexpr int tkDOMAIN = 82;
inline constexpr int tkDOUBLE = 83;
inline constexpr int tkDROP = 84;
inline constexpr int tkEXCEPTION = 89;
inline constexpr int tkEXECUTE = 90;
inline constexpr int tkEXTERNAL = 93;
inline constexpr int tkFILE = 95;
inline constexpr int tkFILTER = 96;
inline constexpr int tkFLOAT = 97;
inline constexpr int tkFOREIGN = 99;
inline constexpr int tkFROM = 101;
inline constexpr int tkFUNCTION = 103;
inline constexpr int tkGENERATOR = 106;
inline constexpr int tkGRANT = 107;
inline constexpr int tkVARBINARY = 110;
inline constexpr int tkINACTIVE = 113;
inline constexpr int tkINDEX = 114;
inline constexpr int tkASSIGN = 116; ///< ":="
inline constexpr int tkINSERT = 117;
inline constexpr int tkINTEGER = 118; ///< also INT
inline constexpr int tkINTO = 119;
inline constexpr int tkIS = 120;
inline constexpr int tkKEY = 123;
inline constexpr int tkNAMES = 140;
inline constexpr int tkNATIONAL = 141;
inline constexpr int tkNO = 143;
inline constexpr int tkNOT = 144;
inline constexpr int tkNULL = 145;
inline constexpr int tkNUMERIC = 147;
inline constexpr int tkOF = 148;
inline constexpr int tkON = 149;
inline constexpr int tkOR = 152;
inline constexpr int tkPAGE_SIZE = 158;
inline constexpr int tkPARAMETER = 160;
inline constexpr int tkPASSWORD = 161;
inline constexpr int tkPRECISION = 165;
inline constexpr int tkPRIMARY = 166;
inline constexpr int tkPROCEDURE = 168;
inline constexpr int tkREAL = 173;
inline constexpr int tkREFERENCES = 175;
inline constexpr int tkREVOKE = 182;
inline constexpr int tkROLE = 184;
inline constexpr int tkSEGMENT = 188;
inline constexpr int tkSELECT = 189;
inline constexpr int tkSET = 190;
inline constexpr int tkSIZE = 194;
inline constexpr int tkSMALLINT = 195;
inline constexpr int tkSTATISTICS = 203;
inline constexpr int tkSUB_TYPE = 204;
inline constexpr int tkTABLE = 207;
inline constexpr int tkTIME = 209;
inline constexpr int tkTIMESTAMP = 210;
inline constexpr int tkTO = 211;
inline constexpr int tkTRIGGER = 213;
inline constexpr int tkTYPE = 214;
inline constexpr int tkUNIQUE = 216;
inline constexpr int tkUPDATE = 217;
inline constexpr int tkUSER = 219;
inline constexpr int tkVALUE = 220;
inline constexpr int tkVARCHAR = 222;
inline constexpr int tkVARYING = 224;
inline constexpr int tkVIEW = 225;
inline constexpr int tkNCHAR = 226;
inline constexpr int tkWITH = 231;
inline constexpr int tkWORK = 232;
inline constexpr int tkRECREATE = 236;
inline constexpr int tkBIGINT = 237;
inline constexpr int tkGLOBAL = 239;
inline constexpr int tkPRESERVE = 241;
inline constexpr int tkROWS = 242;
inline constexpr int tkTEMPORARY = 243;
inline constexpr int tkUSING = 246;
inline constexpr int tkBOOLEAN = 250;
inline constexpr int tkDESCRIBE = 251;
inline constexpr int tkDESCRIPTOR = 252;

// Keyword codes of the routine, trigger, grant and object routines.
inline constexpr int tkADMIN = 33;
inline constexpr int tkAFTER = 34;
inline constexpr int tkALL = 35;
inline constexpr int tkBEFORE = 45;
inline constexpr int tkENTRY_POINT = 87;
inline constexpr int tkFOR = 98;
inline constexpr int tkFREE_IT = 100;
inline constexpr int tkMODULE_NAME = 138;
inline constexpr int tkOPTION = 151;
inline constexpr int tkPOSITION = 163;
inline constexpr int tkPRIVILEGES = 167;
inline constexpr int tkRETURNS = 181;
inline constexpr int tkCASE = 254;

/// How deep INPUT files may include one another.
inline constexpr int MaxInputDepth = 32;
/// The longest name the server takes: bytes up to Firebird 3, characters from Firebird 4 on.
inline constexpr std::size_t MaxNameBytes = 31;
inline constexpr std::size_t MaxNameCharacters = 63;

/// What a data type is read for, which decides the options that may follow it.
enum class TTypeUse : std::uint8_t {
    tuColumn,  ///< a table's column: defaults, NOT NULL, COLLATE, COMPUTED BY, CHECK and keys
    tuDomain,  ///< a domain: a CHECK is its check text, a constraint name is skipped, no keys
    tuVariable ///< a parameter, argument, result, local variable or CAST target: no constraint and
               ///< no COMPUTED BY (they belong to a table), the other options as for a column
};

/// Reads InterBase/Firebird scripts. The server version and SQL dialect are those of the container's
/// InterBase options (a parser without container keeps options of its own).
class TIbParser : public TCustomSQLParser {
public:
    /// Registers the 30 base tokens and the InterBase keywords; database type dbInterBase.
    explicit TIbParser(TCustomExtract* AOwner = nullptr);
    ~TIbParser() override;
    SMX_CLASSNAME(TIbParser)

    /// The container's SQL dialect becomes 1, then the lines are parsed (ParseFile keeps the dialect).
    void ParseScript(const TStringList& Lines, TObjs* Container) override;
    /// Grant categories, then the SQL passes, then the domains of domain-typed columns.
    void LinkObjects() override;
    /// The current identifier as it is stored: double-quoted (inner quotes doubled) in dialect 3 when
    /// the server version needs it.
    std::string GetIdentName() const override { return GetIdentName(TokenText()); }
    std::string GetIdentName(std::string_view Name) const;
    /// <Ident> ["." <Ident>]: the name and, when dotted, its qualifier.
    void ReadQualifiedName();

    /// True when the token is Code, or an identifier that is Code's keyword in a server version
    /// where it is not reserved (WORK, DOMAIN, GENERATOR, ... in Firebird 3).
    bool Is(int Code) const { return Token_ == Code || (Token_ == tkIdent && RawKeyword_ == Code); }

    /// The InterBase options in effect: the container's, else the parser's own.
    TIBServerOptions& IBOptions();
    const TIBServerOptions& IBOptions() const;
    TIBSQLServerVersionType ServerVersion() const { return IBOptions().GetSQLServerVersion(); }
    int SQLDialect() const { return IBOptions().GetSQLDialect(); }

    const std::string& GetQualifier() const { return Qualifier_; }
    const std::string& GetQualifiedName() const { return QualifiedName_; }
    /// The statement the last OnStatement handler handed back, or nullptr.
    TStatement* GetStatement() const { return Statement_; }
    void SetCurrentTable(std::string_view Value) { CurrentTable_ = Value; }
    void SetCurrentColumn(std::string_view Value) { CurrentColumn_ = Value; }

protected:
    void ScanToken() override;
    /// The character-set introducer, hexadecimal literals and ":=" at the current character C;
    /// false when none stands there.
    bool ScanIbLiteral(char C);
    /// Records "Name longer than 31 bytes: " (Firebird 4 and later: "... 63 characters: ") with the
    /// name's allowed part when the identifier just read is longer than the server version takes.
    void CheckNameLength() override;
    int KeywordToken(int Code) override;
    void RegisterKeywords() override;
    void ParseStatements() override;
    void ParseLoadedFile(const std::string& FileName, std::string Text) override;
    std::string PositionText(int Line, int Column) const override;

    // Statement loop.
    /// One statement, dispatched on its first token.
    virtual void ParseStatement();
    virtual void ParseCreate();
    virtual void ParseAlter();
    /// A statement starting with an identifier: CONNECT, RECONNECT, DESCRIBE, COMMENT, REINSERT, INPUT.
    virtual void ParseWordStatement();
    virtual void ParseConnect(bool Create);
    virtual void ParseInput();
    virtual void ParseSet();
    virtual void ParseSetTerm();
    virtual void ParseSetGenerator();
    virtual void ParseDescribe();
    virtual void ParseComment();
    /// The entry of the DESCRIBE / COMMENT ON kind table that the current token names in that
    /// statement; -1 for none.
    int DescribedKindAt(bool InComment) const;
    virtual void ParseDrop();
    virtual void ParseRevoke();
    virtual void ParseExecute();
    virtual void ParseExecuteBlock();

    // Tables, columns, data types, constraints and indices.
    /// CREATE [GLOBAL TEMPORARY] TABLE at the TABLE token: the table, its columns and the keys of its
    /// element list are built and filed; the table is reported.
    virtual void ParseCreateTable(int Verb, bool GlobalTemporary);
    /// A column name at the current token and its type (ParseDataType for Use): a new column of Table
    /// (its table name and owner; no table for a parameter, or for a table the container lacks), not
    /// yet filed anywhere.
    virtual std::unique_ptr<TFldData> ParseColumn(TTblData* Table, TTypeUse Use);
    /// The data type at the current token with its array bounds, character set, time zone, options
    /// and a trailing COMPUTED BY; Use decides the options (see ParseColumnOptions).
    virtual void ParseDataType(TFldData* Column, TTypeUse Use);
    /// DEFAULT / "=", NOT NULL, NULL, COLLATE, BY DESCRIPTOR / BY VALUE, CHECK and column constraints.
    /// A column-level key or check belongs to the column's table and, without a column list, to the
    /// column. For a domain a CHECK becomes the column's check text and a constraint name is skipped.
    /// For a variable a constraint is refused (RefuseTableClause), so nothing is built for a table
    /// that is not there.
    virtual void ParseColumnOptions(TTypeUse Use, TFldData* Column);
    /// Records "Not allowed in a parameter, variable or CAST type: " + the word at the current token
    /// (a constraint or COMPUTED) and passes over the clause.
    void RefuseTableClause();
    /// The default value at the current token as written (a signed number keeps its sign); the token
    /// after it becomes current. Anything that is no plain value records "DEFAUT <value> error...".
    virtual void ReadDefaultValue(TDbObj* Obj, std::string& Text);
    /// The parenthesised expression after the current token (CHECK, COMPUTED [BY]) as written, from
    /// its "(" to the matching ")"; the token after it becomes current. Literals and comments are
    /// copied whole and unbalanced text runs to the end. Obj is the object the expression belongs to.
    virtual std::string ReadExpressionSource(TDbObj* Obj);
    /// The text from Start up to the current token, trimmed, with CR LF line breaks: a DEFAULT or
    /// CHECK clause as the server stores it once its last token has been read.
    std::string StoredClause(std::size_t Start) const;
    /// Length and character length 1, or the "(" n ")" at the current token.
    void ParseCharLength(TFldData* Column);
    /// "[" n [":" m] {"," n [":" m]} "]" at the current token into the column's dimensions.
    void ParseArrayBounds(TFldData* Column);
    /// True when the current token starts a data type (a type keyword or a type word).
    bool IsTypeStart() const;
    /// CONSTRAINT name and its body (ParseConstraintBody); Column for a column-level constraint.
    virtual void ParseNamedConstraint(TTblData* Table, TFldData* Column = nullptr);
    /// CHECK, FOREIGN KEY, PRIMARY KEY or UNIQUE at the current token, into Constraint (a new one when
    /// none is given), then filed. The table is Table, else the statement's table; a column-level
    /// constraint (Column set) without a column list takes the column. Only a table-level constraint
    /// of ALTER TABLE is reported: inside a column or CREATE TABLE it is part of that statement.
    virtual void ParseConstraintBody(TCtrData* Constraint, TTblData* Table, TFldData* Column = nullptr);
    /// FOREIGN [KEY] [(columns)] REFERENCES table [(columns)], its ON UPDATE / ON DELETE rules and a
    /// USING clause; the constraint depends on its table and the referenced table. Returns the
    /// constraint's CREATE text when it was composed for the log (else empty), for the callers that
    /// log it again.
    virtual std::string ParseReferences(TCtrData* Constraint, TTblData* Table, TFldData* Column = nullptr);
    /// USING [ASC | ASCENDING | DESC | DESCENDING] INDEX name into the constraint.
    virtual void ParseUsingIndex(TCtrData* Constraint);
    /// "(" name {"," name} ")" at the current token: each name added to List with a new column object.
    void ParseColumnList(TStringList& List);
    /// PRIMARY KEY, UNIQUE or CONSTRAINT name PRIMARY KEY / UNIQUE / FOREIGN KEY in the element list
    /// of CREATE TABLE: a key of the table, filed (not reported: it is part of the table's statement).
    void ParseTableKey(TTblData* Table);
    virtual void ParseCreateIndex();
    virtual void ParseAlterTable();
    virtual void ParseAlterIndex();

    // Routines, packages, triggers, views and the other object kinds.
    /// PROCEDURE or FUNCTION name, header and body. A filed routine of the name is updated (odbAlter;
    /// parameter descriptions survive under the same names); a package member (Package set) is read
    /// for its text only: never looked up, filed or reported. NoReport suppresses the report.
    virtual void ParseRoutine(int Verb, bool IsFunction, bool NoReport = false, TPkgData* Package = nullptr);
    virtual void ParseRoutineHeader(TPrcData* Routine);
    virtual void ReadBody(TDbObj* Obj);
    /// PACKAGE [BODY] name AS ...: the header text or the body text (both from the token after AS).
    virtual void ParsePackage(int Verb);
    /// TRIGGER name [FOR table] [ACTIVE|INACTIVE] [ON event | BEFORE/AFTER events] [POSITION n] [AS
    /// body]. CREATE replaces a filed trigger's definition; ALTER changes only what it states.
    virtual void ParseTrigger(int Verb);
    /// The events of a DDL trigger after BEFORE/AFTER (ANY DDL STATEMENT, or CREATE TABLE OR ...):
    /// the trigger becomes a database trigger with the event clause as the server writes it.
    void ReadDDLTriggerEvents(TTrgData* T);
    /// VIEW name [(columns)] AS select; a filed view of the name takes the new definition.
    virtual void ParseView(int Verb);
    /// GRANT privileges ON object | role TO grantee [WITH GRANT/ADMIN OPTION]: merged into a filed
    /// grant of the same object, grantee and option, or filed. Reported as a statement of its own.
    virtual void ParseGrant();
    /// DECLARE EXTERNAL FUNCTION (after FUNCTION): arguments, RETURNS, FREE_IT, entry point, module.
    virtual void ParseDeclareFunction();
    /// CREATE GENERATOR / SEQUENCE name [START WITH n] [INCREMENT [BY] n]; a filed generator of the
    /// name is defined anew, or with Alter (CREATE OR ALTER) changed as far as the statement says.
    virtual void ParseGenerator(bool Alter = false);
    virtual void ParseCreateRole();
    /// EXCEPTION name 'message' at the name; the filed exception of the name (Existing, or found)
    /// takes the message.
    virtual void ParseException(TExcData* Existing);
    virtual void ParseAlterException();
    /// DOMAIN name [AS] type with its default, NOT NULL, CHECK and COLLATE.
    virtual void ParseCreateDomain();
    /// ALTER DOMAIN: its clauses (ADD CHECK, TO, TYPE, SET/DROP DEFAULT, SET/DROP NOT NULL, DROP
    /// CONSTRAINT) change the filed domain as the server does.
    virtual void ParseAlterDomain();
    /// ALTER SEQUENCE is reported; RESTART WITH n and INCREMENT [BY] n change the filed generator.
    virtual void ParseAlterSequence();
    /// ALTER DATABASE: SET LINGER TO n / DROP LINGER into the database settings, SET DEFAULT
    /// CHARACTER SET into DBCharSet; other forms are reported and passed over.
    virtual void ParseAlterDatabase();
    /// ALTER CHARACTER SET cs SET DEFAULT COLLATION c into the database settings.
    virtual void ParseAlterCharacterSet();
    /// COLLATION name FOR charset [FROM base | FROM EXTERNAL ('name')] [NO PAD | PAD SPACE]
    /// [CASE ...] [ACCENT ...] ['attributes'].
    virtual void ParseCollation();

    // Link passes.
    /// A grant still in the open category becomes a role, object or user grant by its grantee.
    virtual void LinkGrantObjects();
    /// An index named like a primary, unique or foreign key of its table, on the key's columns, is
    /// the key's own index: it is logged, removed from the container and freed.
    virtual void RemoveConstraintIndexes();
    /// Columns typed by a domain (and views using them) depend on the domain. With Normalise, each
    /// table column visited also gets NormaliseCharSet (one walk over the columns of every table
    /// serves both passes).
    virtual void LinkDomainColumns(bool Normalise = false);
    /// The look-ups of LinkDomainColumns over the table columns, which may run on other threads.
    struct TDomainColumnScan;
    /// LinkDomainColumns with the table columns' look-ups of Scan.
    void LinkScannedDomainColumns(TDomainColumnScan& Scan);
    /// Character sets and collations of domains, table columns (unless TableColumns is false) and
    /// routine parameters cleared where they repeat a default, as the metadata extractor reads them
    /// (the database's default collations are known once the whole script is read). Domains come
    /// first: domain-typed columns and parameters compare with their domain's.
    void NormaliseCharSets(bool TableColumns = true);
    /// One column's character set and collation cleared where they repeat a default.
    static void NormaliseCharSet(TFldData* Column);

    /// Skips to the terminator, reports (StatType, Name, "", Operation, ObjKind) and skips the
    /// terminator: statements that change nothing in the container (DML, REVOKE, ALTER DOMAIN, ...).
    void ReportSkipped(TStatType StatType, const std::string& Name, TDbOperation Operation,
                       TDbObject ObjKind);
    /// A terminator is skipped; at the end of the text its absence is reported.
    void SkipTerminator();
    /// The name of the identifier after the current token (NextAndExpect), empty when there is none.
    std::string NextName();
    /// An optionally signed integer at the current token: its literal text with the sign ("-10"),
    /// empty (with a message) when no integer stands there or it does not fit 64 bits. Moves past it.
    std::string ReadSignedInteger();
    /// One privilege of a GRANT (SELECT, INSERT, UPDATE, DELETE, REFERENCES, EXECUTE, ALL
    /// [PRIVILEGES]) at the current token into G, with the column list of UPDATE and REFERENCES;
    /// false when the token is no privilege.
    bool ReadGrantPrivilege(TGntData* G);
    /// The privileges and the object of a GRANT or REVOKE up to TO or FROM: the rights on the whole
    /// object into G, each right with a column list as a grant of its own into ColumnRights.
    void ReadGrantObject(TGntData* G, std::vector<std::unique_ptr<TGntData>>& ColumnRights);
    /// The grantee list after TO or FROM: a copy of each of Grants for every grantee.
    std::vector<std::unique_ptr<TGntData>> ReadGrantees(const std::vector<TGntData*>& Grants);
    /// Firebird 3's DDL rights at the current token (CREATE, ALTER ANY, DROP ANY, separated by
    /// commas; with All, ALL [PRIVILEGES] has been read) and their metadata class into G; false, with
    /// a message, when they are incomplete.
    bool ReadDDLRights(TGntData* G, bool All);
    /// The metadata class word of a DDL right at the current token ("CHARACTER SET", "TABLE", ...;
    /// SEQUENCE reads as "GENERATOR"); moves past it. False, with a message, when none stands there.
    bool ReadMetadataClass(std::string& Class);
    /// Reads the included file into the container through the inner parser; its statements count
    /// as this run's.
    void IncludeFile(const std::string& Name, int Line, int Column);
    /// The current token starts an isql setting (SET TERM, SET SQL DIALECT, SET NAMES, ...; not SET
    /// GENERATOR or SET STATISTICS) or INPUT: no statement of its own (the position is left unchanged).
    bool AtIsqlCommand();
    /// The current token starts GENERATED ALWAYS AS, Firebird's other spelling of COMPUTED BY (the
    /// position is left unchanged).
    bool AtGeneratedAlways();
    /// A comma outside parentheses comes before the statement's terminator (after the current token).
    bool TopLevelCommaAhead() const;
    /// The clause of ALTER TABLE ... ALTER [COLUMN] name at the current token, applied to the column:
    /// TO a new name, POSITION n, TYPE (and COMPUTED BY) anew, SET/DROP DEFAULT, SET/DROP NOT NULL.
    /// Any other clause changes nothing; the caller passes over what is left of it.
    void AlterColumn(TTblData& Table, TFldData& F);
    /// A type stated anew at TYPE (attributes reset) or a column's new COMPUTED/GENERATED form;
    /// nullability, default and check stay as they were.
    void RestateType(TFldData& F, TTypeUse Use);
    /// SET/DROP DEFAULT or SET/DROP NOT NULL at SET or DROP, applied to F. False when neither
    /// follows; the token after SET/DROP is then current.
    bool SetOrDropDefaultOrNotNull(TFldData& F);
    /// A DROP statement read: the object leaves the container, with what the server drops along
    /// with it (a table's keys, indices and triggers, a view's triggers, grants on and to it).
    void ForgetDropped(TDbObject Kind, const std::string& Name);
    /// Drops the grants on the named object and those it holds.
    void ForgetGrants(const std::string& Name);
    /// What RECREATE drops with an object before it is defined anew: its grants and the
    /// descriptions of the object and of its columns or parameters.
    void ForgetRecreated(TDbObj& Obj, std::initializer_list<TStringList*> Columns);
    /// The privileges of a dropped column: taken out of the grants on its table.
    void ForgetColumnPrivileges(const std::string& Table, const std::string& Column);
    /// A renamed column's new name in the indices and keys of its table and the foreign keys to it.
    void RenameKeyColumns(const std::string& Table, const std::string& Old, const std::string& New);
    /// A statement about something the structure has no place for (users, mappings, shadows, blob
    /// filters, role mappings): logged as "Not compared: " + its first words, reported and skipped.
    void SkipNotCompared();
    /// ALTER EXTERNAL FUNCTION name [ENTRY_POINT 'e'] [MODULE_NAME 'm'] into the filed function.
    void ParseAlterExternalFunction();
    /// A foreign key that names no referenced columns references those of its table's primary key,
    /// as the server records it; nothing when that key is not known (yet).
    void RefColumnsOfPrimaryKey(TCtrData& ForeignKey);
    /// Appends a column named Name to the view: the redefined view's old column of that name when
    /// there is one (what reads it stays recorded), else a new one.
    void AddViewColumn(TViwData* View, const std::string& Name);
    /// The parser of INPUT files (one of this parser's class, so bodies are read alike).
    virtual std::unique_ptr<TIbParser> CreateInputParser() { return std::make_unique<TIbParser>(Owner_); }

    std::unique_ptr<TIbParser> InputParser_; // parses INPUT files; made at the first INPUT
    /// The token's type keyword: a word that names a type in this server version (BOOLEAN, CSTRING,
    /// TYPE in Firebird 3 and 4, the type words of Yaffil) reads as its keyword; else the token.
    int TypeToken() const;
    /// An integer at the current token into Value when it fits 32 bits (a sign before it counts only
    /// when Signed; lengths take the magnitude, as ParseTypeSize does); else the range message.
    bool ExpectInt32(std::int32_t& Value, bool Signed);
    /// Files a parsed constraint: IBE$ objects are dropped (IgnoreIBEObjects), the rest go to
    /// AddParsedObject (a second object under a filed key is freed there).
    void FileConstraint(std::unique_ptr<TCtrData> Constraint);
    /// Firebird 3 and later make the columns of a primary key NOT NULL: the key's columns of Table
    /// (and Column, a column whose own clause declares the key) lose their Nullable.
    void MarkKeyColumnsNotNull(const TCtrData& Key, TTblData* Table, TFldData* Column);
    /// AddParsedObject for an object whose list is known: filed straight into that list of the
    /// container (an extractor owner still decides through AddParsedObject).
    bool FileParsed(TDbObj* Obj, TObjsList Which);

    std::string CurrentTable_, CurrentColumn_;
    int LastTableColumns_ = 0;                   // the column count of the table last read by CREATE TABLE
    TStringList* RedefinedViewFields_ = nullptr; // the old columns of the view being redefined
    bool ReportConstraints_ = false; // a table-level constraint of ALTER TABLE is a statement
    // (container, table) -> filing key of the table's primary key, as this parser filed it; the key is
    // looked up again before use, since the container may have let the object go. A script files
    // one per table: entries in a vector with an open-addressing index (entry + 1 in the low half
    // of a slot, 0 = free, the hash's upper half above it), so that filing a key costs a probe
    // rather than a walk through scattered nodes.
    struct TPrimaryKey {
        const TObjs* Objs;
        std::string Table, Key;
    };
    std::vector<TPrimaryKey> PrimaryKeys_;
    std::vector<std::uint64_t> PrimaryKeySlots_;
    /// The entry of (Objs, Table); nullptr when there is none.
    const TPrimaryKey* FindPrimaryKey(const TObjs* Objs, std::string_view Table) const {
        const int At = PrimaryKeyAt(Objs, Table);
        return At < 0 ? nullptr : &PrimaryKeys_[static_cast<std::size_t>(At)];
    }
    /// The index of the entry of (Objs, Table) in PrimaryKeys_; -1 when there is none.
    int PrimaryKeyAt(const TObjs* Objs, std::string_view Table) const;
    /// PrimaryKeyAt for the hash H of (Objs, Table); Free, when given, receives the free slot that
    /// ends the probe (meaningless with no slots).
    int PrimaryKeyAt(const TObjs* Objs, std::string_view Table, std::uint64_t H, std::size_t* Free) const;
    /// Asks for the slot where a key of (Objs, Table) is looked up, ahead of its filing.
    void PrefetchPrimaryKeySlot(const TObjs* Objs, std::string_view Table) const;
    /// Records Key as the primary key of (Objs, Table), in place of an earlier one.
    void SetPrimaryKey(const TObjs* Objs, std::string_view Table, std::string_view Key);
    std::string Qualifier_, QualifiedName_, QualifiedExtra_;
    TStatement* Statement_ = nullptr;
    bool PackageBody_ = false; // the package statement being read is a PACKAGE BODY

private:
    TIBServerOptions OwnOptions_;        // used while the parser has no container
    std::vector<std::string> OpenFiles_; // files being parsed, outermost first (root parser)
    std::vector<std::string>* OpenFilesChain_ = &OpenFiles_;
    int InputDepth_ = 0;
    bool StopReported_ = false;
};

} // namespace smx
