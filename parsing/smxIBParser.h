// The InterBase/Firebird script parser: its scanner additions (character-set introducers, hexadecimal
// literals, ":=", double-quoted identifiers in dialect 3), the keyword vocabulary filtered by server
// version, and the statement loop that recognises each statement by its first tokens, applies SET,
// CONNECT, CREATE DATABASE, DESCRIBE and COMMENT ON to the container, pulls in INPUT files and reports
// every statement through OnStatement. The creating routines of tables, indices, routines, triggers,
// views and the other object kinds are hooks that, for now, report their statement and build nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "parsing/smxParser.h"

namespace smx {

class TExcData;
class TGntData;
class TPkgData;
class TPrcData;

// --- InterBase keyword codes the statement routines test --------------------------------------------
// The codes of the InterBase keyword table (model/smxKeywords); a test checks them against it.

inline constexpr int tkALTER = 36;
inline constexpr int tkASC = 40;     ///< also ASCENDING
inline constexpr int tkCHARSET = 44; ///< the character-set introducer "_name"
inline constexpr int tkCHARACTER = 53;
inline constexpr int tkCOLUMN = 57;
inline constexpr int tkCOMMIT = 58;
inline constexpr int tkCREATE = 64;
inline constexpr int tkDATABASE = 71;
inline constexpr int tkDECLARE = 76;
inline constexpr int tkDEFAULT = 77;
inline constexpr int tkDELETE = 78;
inline constexpr int tkDESC = 79; ///< also DESCENDING
inline constexpr int tkDOMAIN = 82;
inline constexpr int tkDROP = 84;
inline constexpr int tkEXCEPTION = 89;
inline constexpr int tkEXECUTE = 90;
inline constexpr int tkEXTERNAL = 93;
inline constexpr int tkFROM = 101;
inline constexpr int tkFUNCTION = 103;
inline constexpr int tkGENERATOR = 106;
inline constexpr int tkGRANT = 107;
inline constexpr int tkINDEX = 114;
inline constexpr int tkASSIGN = 116; ///< ":="
inline constexpr int tkINSERT = 117;
inline constexpr int tkINTO = 119;
inline constexpr int tkIS = 120;
inline constexpr int tkNAMES = 140;
inline constexpr int tkNULL = 145;
inline constexpr int tkON = 149;
inline constexpr int tkOR = 152;
inline constexpr int tkPAGE_SIZE = 158;
inline constexpr int tkPARAMETER = 160;
inline constexpr int tkPASSWORD = 161;
inline constexpr int tkPROCEDURE = 168;
inline constexpr int tkREVOKE = 182;
inline constexpr int tkROLE = 184;
inline constexpr int tkSELECT = 189;
inline constexpr int tkSET = 190;
inline constexpr int tkSTATISTICS = 203;
inline constexpr int tkTABLE = 207;
inline constexpr int tkTO = 211;
inline constexpr int tkTRIGGER = 213;
inline constexpr int tkUNIQUE = 216;
inline constexpr int tkUPDATE = 217;
inline constexpr int tkUSER = 219;
inline constexpr int tkVIEW = 225;
inline constexpr int tkWITH = 231;
inline constexpr int tkWORK = 232;
inline constexpr int tkRECREATE = 236;
inline constexpr int tkGLOBAL = 239;
inline constexpr int tkTEMPORARY = 243;
inline constexpr int tkDESCRIBE = 251;

// Keyword codes of the routine, trigger, grant and object routines.
inline constexpr int tkACTIVE = 31;
inline constexpr int tkADMIN = 33;
inline constexpr int tkAFTER = 34;
inline constexpr int tkALL = 35;
inline constexpr int tkAS = 39;
inline constexpr int tkBEFORE = 45;
inline constexpr int tkBY = 49;
inline constexpr int tkENTRY_POINT = 87;
inline constexpr int tkFOR = 98;
inline constexpr int tkFREE_IT = 100;
inline constexpr int tkINACTIVE = 113;
inline constexpr int tkMODULE_NAME = 138;
inline constexpr int tkNO = 143;
inline constexpr int tkOPTION = 151;
inline constexpr int tkPOSITION = 163;
inline constexpr int tkPRIVILEGES = 167;
inline constexpr int tkREFERENCES = 175;
inline constexpr int tkRETURNS = 181;
inline constexpr int tkCASE = 254;

/// How deep INPUT files may include one another.
inline constexpr int MaxInputDepth = 32;

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
    std::string GetIdentName() const override { return GetIdentName(TokenText_); }
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
    int LookupKeyword() override;
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
    virtual void ParseDrop();
    virtual void ParseRevoke();
    virtual void ParseExecute();
    virtual void ParseExecuteBlock();

    // Object routines; each reports its statement and builds nothing yet.
    virtual void ParseCreateTable(int Verb, bool GlobalTemporary);
    virtual void ParseCreateIndex();
    virtual void ParseAlterTable();
    virtual void ParseAlterIndex();
    virtual void ParseRoutine(int Verb, bool IsFunction, bool NoReport = false, TPkgData* Package = nullptr);
    virtual void ParseRoutineHeader(TPrcData* Routine);
    virtual void ReadBody(TDbObj* Obj);
    virtual void ParsePackage(int Verb);
    virtual void ParseTrigger(int Verb);
    virtual void ParseView(int Verb);
    virtual void ParseGrant();
    virtual void ParseDeclareFunction();
    virtual void ParseGenerator();
    virtual void ParseCreateRole();
    virtual void ParseException(TExcData* Existing);
    virtual void ParseAlterException();
    virtual void ParseCreateDomain();
    virtual void ParseAlterDomain();
    virtual void ParseAlterSequence();
    virtual void ParseCollation();

    // Link passes.
    /// A grant still in the open category becomes a role, object or user grant by its grantee.
    virtual void LinkGrantObjects();
    /// Nothing to remove until index and constraint objects carry their columns.
    virtual void RemoveConstraintIndexes() {}
    /// Columns typed by a domain (and views using them) depend on the domain.
    virtual void LinkDomainColumns();

    /// Skips to the terminator and reports (stStatement, Name, "", Operation, ObjKind): the shape of
    /// an object routine that builds nothing.
    void ReportSkipped(const std::string& Name, TDbOperation Operation, TDbObject ObjKind);
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
    /// Reads the included file into the container through the inner parser.
    void IncludeFile(const std::string& Name, int Line, int Column);

    std::unique_ptr<TIbParser> InputParser_; // parses INPUT files; made at the first INPUT
    std::string CurrentTable_, CurrentColumn_;
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
