// The InterBase/Firebird statement loop and its statement routines. Every keyword test goes through
// Is(), which also accepts the keyword's identifier form: Firebird 3 and 4 read WORK, DOMAIN,
// GENERATOR, DATABASE, NAMES and others as identifiers, and a loop that tested only the keyword token
// would reject "COMMIT WORK" or miss "SET GENERATOR". Statements are reported with their exact source
// text. Tables with their columns and keys, indices and ALTER TABLE / ALTER INDEX build their objects
// (a key written inside a column or CREATE TABLE is part of that statement and not reported on its
// own); the object routines build their objects in the container and file them.
#include "parsing/smxIBParser.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "model/smxComp_Clt.h"
#include "model/smxComp_Ctr.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Exc.h"
#include "model/smxComp_Fnc.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Pkg.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "model/smxDBStructure.h"
#include "platform/smxParallel.h"
#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"
#include "platform/smxUIHooks.h"

namespace smx {

using enum TDbObject;
using enum TDbOperation;
using enum TStatType;
using enum TIBSQLServerVersionType;

namespace {

/// The terminator or the end of the text: where a skipped statement stops.
const TTokenSet& TerminatorOrEnd() {
    static const TTokenSet S = [] {
        TTokenSet T;
        T += tkEOF;
        T += tkTerminator;
        return T;
    }();
    return S;
}

int HexDigit(char C) {
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    return -1;
}

bool HasHexLiterals(TIBSQLServerVersionType V) {
    return V == st_Firebird_25 || V == st_Firebird_30 || V == st_Firebird_40;
}

bool IsFirebird3Or4(TIBSQLServerVersionType V) {
    return V == st_Firebird_30 || V == st_Firebird_40;
}

/// The tokens ScanToken reads with nothing of its own (see PlainStarts_): words other than the X of
/// X'..', numbers from 1 to 9 (0 may start a hexadecimal literal) and the one-character tokens that
/// start no longer token and no dialect literal.
constexpr std::array<std::uint8_t, 256> MakeIbPlainStarts() {
    std::array<std::uint8_t, 256> T{};
    for (int C = 'A'; C <= 'Z'; ++C)
        T[static_cast<std::size_t>(C)] = T[static_cast<std::size_t>(C - 'A' + 'a')] = TCustomParser::psWord;
    T['X'] = T['x'] = 0;
    for (int C = '1'; C <= '9'; ++C)
        T[static_cast<std::size_t>(C)] = TCustomParser::psNumber;
    const std::pair<char, int> Singles[] = {
        {'(', tkLParen}, {')', tkRParen},   {',', tkComma},    {';', tkSemicolon}, {'*', tkStar},
        {'+', tkPlus},   {'-', tkMinus},    {'/', tkSlash},    {'%', tkPercent},   {'&', tkAmpersand},
        {'@', tkAt},     {'[', tkLBracket}, {']', tkRBracket}, {'\\', tkBackslash}};
    for (const auto& [C, Token] : Singles)
        T[static_cast<unsigned char>(C)] = static_cast<std::uint8_t>(Token);
    return T;
}
constexpr std::array<std::uint8_t, 256> IbPlainStarts = MakeIbPlainStarts();

// Keyword codes of the words of Firebird 3's DDL rights and DDL triggers.
constexpr int kwANY = 38, kwFILTER = 96;

/// The filed object (a redefinition updates it in place), else a new one named Name, held in Made
/// until it is filed.
template <class T>
T* FiledOrNew(T* Filed, std::unique_ptr<T>& Made, TObjs* Container, const std::string& Name) {
    if (Filed) return Filed;
    Made = std::make_unique<T>(Container);
    Made->SetName(Name);
    return Made.get();
}

} // namespace

// =====================================================================================================
// Construction, options, scanner

TIbParser::TIbParser(TCustomExtract* AOwner) : TCustomSQLParser(AOwner) {
    TIbParser::RegisterKeywords();
    SetDatabaseType(TDatabaseType::dbInterBase);
    PlainStarts_ = IbPlainStarts.data();
    NameCheckFrom_ = MaxNameBytes;
}

TIbParser::~TIbParser() = default;

void TIbParser::RegisterKeywords() {
    TCustomSQLParser::RegisterKeywords();
    Keywords_.AddWords(GetIBKeywords());
}

TIBServerOptions& TIbParser::IBOptions() {
    return Container_ ? Container_->GetIBServerOptions() : OwnOptions_;
}

const TIBServerOptions& TIbParser::IBOptions() const {
    return Container_ ? Container_->GetIBServerOptions() : OwnOptions_;
}

int TIbParser::KeywordToken(int Code) {
    if (Code == tkIdent) return Code;
    // Versions up to Firebird 4 read the keywords they do not reserve as identifiers; InterBase 2020
    // and later keep every keyword.
    const TIBServerOptions& Options = IBOptions();
    const TIBSQLServerVersionType V = Options.GetSQLServerVersion();
    if (static_cast<int>(V) > static_cast<int>(st_Firebird_40)) return Code;
    // The words after this one take the same filter without a call while the options stay.
    const TTokenSet& Kept = GetIBTokenSet(V);
    KeywordFilter_ = {Container_, &Options, V, &Kept};
    return Kept.contains(Code) ? Code : tkIdent;
}

void TIbParser::ScanToken() {
    TokenStart_ = Pos_;
    if (AtTerminatorStart() && CheckTerminator()) return;
    const char C = Ch_;
    // A word (other than the X of X'..') needs nothing of the layers below but the word reader.
    if (IsWordStart(C) && C != 'x' && C != 'X') {
        ReadWord();
        if (TokenView().size() > MaxNameBytes && Token_ == tkIdent) [[unlikely]]
            CheckNameLength();
        return;
    }
    if (C == ',' || C == '(' || C == ')') { // the commonest punctuation, taken here as well
        Token_ = C == ',' ? tkComma : C == '(' ? tkLParen : tkRParen;
        SkipChar();
        return;
    }
    if (C >= '1' && C <= '9') { // a number needs nothing of the layers below but the number reader
        ReadNumber();
        return;
    }
    if ((C == '_' || C == '0' || C == 'x' || C == 'X' || C == ':') && ScanIbLiteral(C)) return;
    TCustomSQLParser::ScanToken();
    // Dialect 3: a double-quoted text is an identifier, its case kept ("" stays an empty string).
    if (Token_ == tkString && QuoteChar_ == '"' && !StringValue_.empty() && SQLDialect() == 3) {
        Token_ = tkIdent;
        SetTokenText(StringValue_);
        RawKeyword_ = tkIdent;
    }
    if (TokenView().size() > MaxNameBytes && Token_ == tkIdent) [[unlikely]]
        CheckNameLength();
}

void TIbParser::CheckNameLength() {
    // Up to Firebird 3 a name is at most 31 bytes; Firebird 4 counts 63 characters (UTF-8).
    const bool Characters = static_cast<int>(ServerVersion()) >= static_cast<int>(st_Firebird_40);
    const std::size_t Limit = Characters ? MaxNameCharacters : MaxNameBytes;
    std::size_t Length = 0, Cut = 0;
    for (std::size_t i = 0; i < TokenText().size(); ++i) {
        if (Characters && (static_cast<unsigned char>(TokenText()[i]) & 0xC0) == 0x80) continue;
        if (++Length == Limit + 1) Cut = i;
    }
    if (Length <= Limit) return;
    // The part shown ends before a character cut in two (a name's bytes are UTF-8).
    while (Cut > 0 && (static_cast<unsigned char>(TokenText()[Cut]) & 0xC0) == 0x80)
        --Cut;
    const std::string Text = "Name longer than " + std::to_string(Limit) +
                             (Characters ? " characters: " : " bytes: ") + TokenText().substr(0, Cut) + "...";
    // A name read again after a look-back is reported once.
    const auto [Line, Column] = GetTokenPosition();
    if (const int N = MsgManager_.Count(); N > 0) {
        const TMsgData& Last = MsgManager_[N - 1];
        if (Last.LineNo == Line && Last.ColumnNo == Column && Last.Text.ends_with(Text)) return;
    }
    Error(Text);
}

bool TIbParser::ScanIbLiteral(char C) {
    if (C == '_') { // character-set introducer
        Token_ = tkCHARSET;
        Step();
        ReadIdent();
        TokenText_.insert(TokenText_.begin(), '_');
        return true;
    }
    if (HasHexLiterals(ServerVersion())) {
        if (C == '0' && (PeekChar() == 'x' || PeekChar() == 'X')) {
            MoveTo(Pos_ + 2);
            std::size_t E = Pos_;
            while (E < Source_.size() && HexDigit(Source_[E]) >= 0)
                ++E;
            StringValue_.assign(Source_, Pos_, E - Pos_);
            MoveTo(E);
            Token_ = tkInteger;
            IntValue_ = 0;
            IntOverflow_ = false;
            std::size_t Significant = 0;
            for (char D : StringValue_) {
                if (Significant == 0 && D == '0') continue;
                if (++Significant > 16) IntOverflow_ = true;
                IntValue_ = IntValue_ << 4 | static_cast<std::uint64_t>(HexDigit(D));
            }
            if (IntOverflow_) IntValue_ = 0;
            if (StringValue_.empty()) Error("Invalid number: " + Source_.substr(TokenStart_, 2));
            return true;
        }
        // X'..': the quoted hexadecimal digits as bytes. Only the single quote: in dialect 3 a
        // double quote after X starts a quoted identifier.
        if ((C == 'x' || C == 'X') && PeekChar() == '\'') {
            Step();
            std::string Digits;
            ReadString(Digits);
            const std::size_t N = Digits.size();
            StringValue_.assign((N + 1) / 2, '\0');
            for (std::size_t i = 0; i < StringValue_.size(); ++i) {
                const int Hi = HexDigit(Digits[2 * i]);
                const int Lo = 2 * i + 1 < N ? HexDigit(Digits[2 * i + 1]) : 0;
                StringValue_[i] = static_cast<char>((Hi < 0 ? 0 : Hi) << 4 | (Lo < 0 ? 0 : Lo));
            }
            Token_ = tkString;
            QuoteChar_ = '\'';
            return true;
        }
        if (C == ':' && PeekChar() == '=') {
            Token_ = tkASSIGN;
            MoveTo(Pos_ + 2);
            return true;
        }
    }
    return false;
}

std::string TIbParser::GetIdentName(std::string_view Name) const {
    return QuoteIdentifier(Name, TDatabaseType::dbInterBase, ServerVersion(), SQLDialect());
}

std::string TIbParser::PositionText(int Line, int Column) const {
    std::string S = TCustomSQLParser::PositionText(Line, Column);
    if (!CurrentTable_.empty() && !CurrentColumn_.empty())
        S += " Table:" + CurrentTable_ + " Field:" + CurrentColumn_ + " ";
    return S;
}

void TIbParser::ReadQualifiedName() {
    Qualifier_.clear();
    QualifiedName_.clear();
    QualifiedExtra_.clear();
    if (!Expect(tkIdent)) return;
    QualifiedName_ = TokenText();
    NextToken();
    if (Token_ == tkDot) {
        NextToken();
        if (!Expect(tkIdent)) return;
        Qualifier_ = QualifiedName_;
        QualifiedName_ = TokenText();
        NextToken();
    }
}

// =====================================================================================================
// Runs

void TIbParser::ParseScript(const TStringList& Lines, TObjs* Container) {
    Container_ = Container;
    IBOptions().SetSQLDialect(1);
    StopReported_ = false;
    TCustomSQLParser::ParseScript(Lines, Container);
}

void TIbParser::ParseLoadedFile(const std::string& FileName, std::string Text) {
    StopReported_ = false;
    OpenFilesChain_->push_back(CanonicalFileName(FileName));
    TCustomSQLParser::ParseLoadedFile(FileName, std::move(Text));
    OpenFilesChain_->pop_back();
}

void TIbParser::ParseStatements() {
    NextToken();
    while (Token_ != tkEOF) {
        if (StopRequested) {
            // A run cut short must not pass for a complete one.
            if (!StopReported_) Error("Parsing stopped.");
            StopReported_ = true;
            break;
        }
        PlatformProcessMessages();
        StatementStart_ = TokenStart_;
        const std::size_t Before = TokenStart_;
        if (Token_ != tkTerminator && !AtIsqlCommand()) ++StatementCount_;
        ParseStatement();
        if (Token_ != tkEOF && TokenStart_ == Before) { // a routine that consumed nothing
            ++StalledPasses_;
            NextToken();
        }
    }
}

bool TIbParser::AtIsqlCommand() {
    if (IsWord("INPUT")) return true;
    if (Token_ != tkSET) return false;
    const TScanPosition At = SavePosition();
    NextToken();
    const bool Statement = Is(tkGENERATOR) || Is(tkSTATISTICS);
    RestorePosition(At);
    return !Statement;
}

void TIbParser::SkipTerminator() {
    if (Token_ == tkTerminator)
        NextToken();
    else if (Token_ == tkEOF)
        Expect(tkTerminator);
}

std::string TIbParser::NextName() {
    return NextAndExpect(tkIdent) ? TokenText() : std::string();
}

void TIbParser::ReportSkipped(TStatType StatType, const std::string& Name, TDbOperation Operation,
                              TDbObject ObjKind) {
    SkipToTokens(TerminatorOrEnd());
    EmitStatement(StatType, Name, Statement_, "", Operation, ObjKind);
    SkipTerminator();
}

// =====================================================================================================
// The statement loop

void TIbParser::ParseStatement() {
    switch (Token_) {
    case tkGRANT:
        ParseGrant();
        return;
    case tkCREATE:
    case tkRECREATE:
        ParseCreate();
        return;
    case tkIdent:
        ParseWordStatement();
        return;
    case tkTerminator: // an empty statement
        NextToken();
        return;
    case tkALTER:
        ParseAlter();
        return;
    case tkCOMMIT:
        NextToken();
        if (Is(tkWORK)) NextToken();
        Expect(tkTerminator);
        NextToken();
        return;
    case tkDECLARE:
        NextToken();
        if (Is(tkFILTER)) {
            SkipNotCompared();
            return;
        }
        Expect(tkEXTERNAL);
        NextAndExpect(tkFUNCTION);
        ParseDeclareFunction();
        return;
    case tkDELETE:
        NextAndExpect(tkFROM);
        ReportSkipped(stDelete, NextName(), odbDelete, dboTable);
        return;
    case tkDROP:
        ParseDrop();
        return;
    case tkEXECUTE:
        ParseExecute();
        return;
    case tkUPDATE:
        ReportSkipped(stUpdate, NextName(), odbUpdate, dboTable);
        return;
    case tkINSERT:
        NextAndExpect(tkINTO);
        ReportSkipped(stInsert, NextName(), odbInsert, dboTable);
        return;
    case tkREVOKE:
        ParseRevoke();
        return;
    case tkSELECT:
    case tkWITH:
        ReportSkipped(stSelect, "", odbUnknown, dboUnknown);
        return;
    case tkSET:
        ParseSet();
        return;
    case tkDESCRIBE:
        ParseDescribe();
        ExpectAndNext(tkTerminator);
        return;
    default:
        Error("Missing/unknown: DDL-statement: " + GetTokenName(Token_));
        NextToken();
        return;
    }
}

void TIbParser::ParseWordStatement() {
    if (IsWord("CONNECT")) {
        NextToken();
        if (Is(tkDATABASE)) NextToken();
        ParseConnect(false);
    } else if (IsWord("RECONNECT")) {
        NextToken();
        EmitStatement(stReconnect, "", Statement_, "", odbUnknown, dboUnknown);
        ExpectAndNext(tkTerminator);
    } else if (IsWord("DESCRIBE")) {
        ParseDescribe();
        ExpectAndNext(tkTerminator);
    } else if (IsWord("COMMENT")) {
        ParseComment();
        ExpectAndNext(tkTerminator);
    } else if (IsWord("REINSERT")) {
        SkipToTokens(TerminatorOrEnd());
        ExpectAndNext(tkTerminator);
    } else if (IsWord("INPUT")) {
        ParseInput();
    } else if (IsWord("ROLLBACK")) {
        NextToken();
        if (Is(tkWORK)) NextToken();
        ExpectAndNext(tkTerminator);
    } else {
        Error("Unknown statement: " + GetTokenName(Token_));
        NextToken();
    }
}

void TIbParser::ParseCreate() {
    const TIBSQLServerVersionType V = ServerVersion();
    const int Verb = Token_;
    NextToken();
    if (Token_ == tkTABLE || Token_ == tkGLOBAL) {
        const bool Global = Token_ == tkGLOBAL;
        if (Global) {
            NextToken();
            if (!Is(tkTEMPORARY)) ExpectWord("TEMPORARY");
            NextAndExpect(tkTABLE);
        }
        ParseCreateTable(Verb, Global);
    } else if (Is(tkASC) || Is(tkDESC) || Is(tkINDEX) || Is(tkUNIQUE)) {
        ParseCreateIndex();
    } else if (Is(tkPROCEDURE)) {
        ParseRoutine(Verb, false);
    } else if (Is(tkTRIGGER)) {
        ParseTrigger(tkCREATE);
    } else if (Is(tkVIEW)) {
        ParseView(Verb);
    } else if (IsWord("PACKAGE")) {
        ParsePackage(tkCREATE);
    } else if (Is(tkROLE)) {
        ParseCreateRole();
        ExpectAndNext(tkTerminator);
    } else if (Token_ == tkOR) {
        NextAndExpect(tkALTER);
        NextToken();
        if (Is(tkPROCEDURE))
            ParseRoutine(tkALTER, false);
        else if (Is(tkFUNCTION))
            ParseRoutine(tkALTER, true);
        else if (Is(tkTRIGGER))
            ParseTrigger(tkALTER);
        else if (Is(tkVIEW))
            ParseView(tkALTER);
        else if (IsWord("PACKAGE") && IsFirebird3Or4(V))
            ParsePackage(tkALTER);
        else if (Is(tkEXCEPTION)) {
            NextToken();
            ParseException(nullptr);
        } else if (Is(tkUSER) || IsWord("MAPPING"))
            SkipNotCompared();
        else if ((Is(tkGENERATOR) || IsWord("SEQUENCE")) && IsFirebird3Or4(V)) {
            ParseGenerator(true);
            SkipTerminator();
        } else {
            Error("Unknown ALTER-statement");
            NextToken();
        }
    } else if (Is(tkGENERATOR) || IsWord("SEQUENCE")) {
        ParseGenerator();
        SkipTerminator();
    } else if (Is(tkDOMAIN)) {
        ParseCreateDomain();
    } else if (Is(tkFUNCTION) && IsFirebird3Or4(V)) {
        ParseRoutine(Verb, true);
        SkipTerminator();
    } else if (Is(tkDATABASE)) {
        NextToken();
        ParseConnect(true);
    } else if (Is(tkEXCEPTION)) {
        NextToken();
        ParseException(nullptr);
    } else if (IsWord("GLOBAL") && V >= st_Firebird_20 && V <= st_Firebird_40) {
        NextToken();
        if (!IsWord("TEMPORARY")) Error("TEMPORARY expected, but " + UpperCase(TokenText()) + " found.");
        NextAndExpect(tkTABLE);
        ParseCreateTable(Verb, true);
    } else if (IsWord("COLLATION") && V >= st_Firebird_21) {
        ParseCollation();
    } else if (Is(tkUSER) || IsWord("MAPPING") || IsWord("SHADOW")) {
        SkipNotCompared();
    } else {
        // The token stays: the next pass of the loop reports it as a statement start.
        Error("Unknown CREATE-statement");
    }
}

void TIbParser::ParseAlter() {
    NextToken();
    if (Is(tkTABLE))
        ParseAlterTable();
    else if (Is(tkPROCEDURE))
        ParseRoutine(tkALTER, false);
    else if (Is(tkFUNCTION))
        ParseRoutine(tkALTER, true);
    else if (IsWord("PACKAGE"))
        ParsePackage(tkALTER);
    else if (Is(tkINDEX))
        ParseAlterIndex();
    else if (Is(tkTRIGGER))
        ParseTrigger(tkALTER);
    else if (Is(tkVIEW))
        ParseView(tkALTER);
    else if (Is(tkDOMAIN))
        ParseAlterDomain();
    else if (IsWord("SEQUENCE"))
        ParseAlterSequence();
    else if (Is(tkEXCEPTION))
        ParseAlterException();
    else if (Is(tkEXTERNAL))
        ParseAlterExternalFunction();
    else if (Is(tkUSER) || IsWord("MAPPING") || Is(tkROLE))
        SkipNotCompared();
    else if (Is(tkDATABASE))
        ParseAlterDatabase();
    else if (Is(tkCHARACTER))
        ParseAlterCharacterSet();
    else if (ServerVersion() == st_Firebird_40 && IsWord("SESSION")) {
        NextToken();
        ExpectWord("RESET");
        NextToken();
    } else {
        Error("Unknown ALTER statement.");
    }
}

// =====================================================================================================
// CONNECT, CREATE DATABASE, INPUT

void TIbParser::ParseConnect(bool Create) {
    if (Expect(tkString)) {
        ConnectionOptions_.SetDatabaseName(StringValue_);
        DoLogNextLine("Database connect: " + StringValue_);
    }
    for (;;) {
        NextToken();
        if (Is(tkPAGE_SIZE)) {
            NextToken();
            if (Token_ == tkEqual) NextToken();
            std::int64_t V = 0;
            if (Expect(tkInteger) && GetCheckedInt(0, std::numeric_limits<std::int32_t>::max(), false, V))
                IBOptions().GetIBDatabaseOptions().SetPageSize(static_cast<int>(V));
        } else if (Token_ == tkDEFAULT) {
            NextAndExpect(tkCHARACTER);
            NextAndExpect(tkSET);
            if (NextAndExpect(tkIdent)) IBOptions().SetDBCharSet(UpperCase(TokenText()));
        } else if (IsWord("COLLATION")) {
            NextAndExpect(tkIdent);
        } else if (Is(tkUSER)) {
            if (NextAndExpect(tkString)) ConnectionOptions_.SetUserName(StringValue_);
        } else if (Is(tkPASSWORD)) {
            if (NextAndExpect(tkString)) ConnectionOptions_.SetPassword(StringValue_);
        } else if (Is(tkROLE)) {
            if (NextAndExpect(tkString)) ConnectionOptions_.SetRoleName(StringValue_);
        } else {
            break;
        }
    }
    if (Token_ == tkTerminator || Token_ == tkEOF) {
        EmitStatement(Create ? stCreateDb : stConnect, "", Statement_, "", odbSet, dboUnknown);
        SkipTerminator();
        return;
    }
    Error("Unknown token in DB-declaration.");
    NextToken();
}

void TIbParser::ParseInput() {
    ExpectWord("INPUT");
    const bool HasName = NextAndExpect(tkString);
    const std::string Name = HasName ? StringValue_ : std::string();
    const auto [Line, Column] = GetTokenPosition(); // a problem with the file points at its name
    NextToken();
    // The file is read while the scanner stands on the terminator, so that a SET TERM inside it
    // applies to everything after this statement.
    if (!Name.empty()) IncludeFile(Name, Line, Column);
    SkipTerminator();
}

void TIbParser::IncludeFile(const std::string& Name, int Line, int Column) {
    std::string Path = Name;
    if (Path.find('/') == std::string::npos) Path = ExtractFilePath(ScriptName_) + Name;
    if (InputDepth_ + 1 > MaxInputDepth) {
        ErrorAt("INPUT nested too deeply: " + Path, Line, Column);
        return;
    }
    const std::string Canonical = CanonicalFileName(Path);
    if (std::find(OpenFilesChain_->begin(), OpenFilesChain_->end(), Canonical) != OpenFilesChain_->end()) {
        ErrorAt("Recursive INPUT: " + Path, Line, Column);
        return;
    }
    std::string Text, Problem;
    if (!ReadFileText(Path, Text, Problem)) {
        ErrorAt(Problem, Line, Column);
        return;
    }
    if (!InputParser_) InputParser_ = CreateInputParser();
    TIbParser& In = *InputParser_;
    In.OnErrorMessage = OnErrorMessage;
    In.OnLogNextLine = OnLogNextLine;
    In.OnDebugMessage = OnDebugMessage;
    In.OnProgressUpdate = nullptr;
    In.SetProgress(false);
    In.ReadFileHook = ReadFileHook;
    In.LogFlags_ = LogFlags_;
    // The included statements reach this parser's handler as if they were its own.
    In.OnStatement = [this](TObject*, const std::string& Text, TStatement*& St, const std::string& Parent,
                            TDbOperation Op, TDbObject Kind, const std::string& ObjName,
                            TStatType Type) { DoStatement(Text, St, Parent, Op, Kind, ObjName, Type); };
    In.Terminator_ = Terminator_;
    In.InputDepth_ = InputDepth_ + 1;
    In.OpenFilesChain_ = OpenFilesChain_;
    In.OwnOptions_ = OwnOptions_;
    In.Container_ = Container_;
    In.MsgManager_.Clear();
    In.StatementCount_ = 0;
    In.SuppressFirstErrorEvent_ = SuppressFirstErrorEvent_ || MsgManager_.HasErrors();
    In.ParseLoadedFile(Path, std::move(Text));
    MsgManager_.AddMessages(&In.MsgManager_);
    Terminator_ = In.Terminator_;
    OwnOptions_ = In.OwnOptions_;
    if (In.StopReported_) StopReported_ = true;
    StatementCount_ += In.StatementCount_;
    StalledPasses_ += In.StalledPasses_;
    In.StalledPasses_ = 0;
}

// =====================================================================================================
// SET

void TIbParser::ParseSet() {
    NextToken();
    if (IsWord("AUTODDL")) {
        NextToken();
        if (!Is(tkON) && !IsWord("OFF")) Error("Missing: ON/OFF in \"SET AUTODDL...\"");
        if (Token_ != tkTerminator && Token_ != tkEOF) NextToken();
        EmitStatement(stSet, "", Statement_, "", odbSet, dboUnknown);
        ExpectAndNext(tkTerminator);
    } else if (IsWord("SQL")) {
        NextToken();
        ExpectWord("DIALECT");
        NextToken();
        if (Token_ == tkEqual) NextToken();
        std::string Dialect;
        std::int64_t V = 0;
        if (Expect(tkInteger) && GetCheckedInt(0, std::numeric_limits<std::int32_t>::max(), false, V)) {
            IBOptions().SetSQLDialect(static_cast<int>(V));
            Dialect = std::to_string(V);
        }
        NextToken();
        EmitStatement(stSqlDialect, Dialect, Statement_, "", odbSet, dboUnknown);
        Expect(tkTerminator);
        NextToken();
    } else if (IsWord("BLOBFILE")) {
        const std::string File = NextAndExpect(tkString) ? StringValue_ : std::string();
        NextToken();
        EmitStatement(stSetBlobFile, File, Statement_, "", odbSet, dboUnknown);
        ExpectAndNext(tkTerminator);
    } else if (IsWord("TERM")) {
        ParseSetTerm();
    } else if (Is(tkGENERATOR)) {
        ParseSetGenerator();
    } else if (Is(tkNAMES)) {
        if (NextAndExpect(tkIdent)) IBOptions().SetDBCharSet(TokenText());
        NextToken();
        EmitStatement(stSetNames, "", Statement_, "", odbSet, dboUnknown);
        Expect(tkTerminator);
        NextToken();
    } else if (Is(tkSTATISTICS)) {
        NextAndExpect(tkINDEX);
        const std::string Index = NextName();
        NextToken();
        EmitStatement(stStatement, Index, Statement_, "", odbSet, dboIndex);
        Expect(tkTerminator);
        NextToken();
    } else {
        ReportSkipped(stSet, "", odbSet, dboUnknown);
    }
}

void TIbParser::ParseSetTerm() {
    // The scanner stands right after TERM: the new terminator is read character by character.
    while (SkipBlanks()) {
    }
    const int Line = Line_, Column = GetColumnNo();
    const char OldFirst = Terminator_.empty() ? '\0' : Terminator_[0];
    std::size_t E = Pos_;
    while (E < Source_.size()) {
        const char C = Source_[E];
        if (C == ' ' || C == '\t' || C == '\n' || C == '\r' || C == '\x1A' || C == OldFirst) break;
        ++E;
    }
    const std::string Term = Source_.substr(Pos_, E - Pos_);
    MoveTo(E);
    // An empty terminator, or one the scanner reads as a literal or a comment, could never end a
    // statement again: it is refused and the old one stays.
    const bool Valid = !Term.empty() && Term[0] != '\'' && Term[0] != '"' && Term[0] != '`' &&
                       !StartsStr("--", Term) && !StartsStr("/*", Term);
    NextAndExpect(tkTerminator); // the old terminator ends SET TERM
    if (Valid)
        SetTerminator(Term);
    else
        ErrorAt("Invalid terminator in SET TERM", Line, Column);
    NextToken();
}

void TIbParser::ParseSetGenerator() {
    const std::string Name = NextName();
    DoLogNextLine("Generator: " + Name);
    NextAndExpect(tkTO);
    NextToken();
    bool Negative = false;
    if (Token_ == tkMinus || Token_ == tkPlus) {
        Negative = Token_ == tkMinus;
        NextToken();
    }
    std::int64_t V = 0;
    constexpr auto Min = std::numeric_limits<std::int64_t>::min();
    constexpr auto Max = std::numeric_limits<std::int64_t>::max();
    if (Expect(tkInteger) && GetCheckedInt(Min, Max, Negative, V)) {
        TGnrData* G = Container_ ? Container_->FindGenerator(Name) : nullptr;
        if (G) G->CurrentValue = V;
    }
    NextToken(); // the report covers the value
    EmitStatement(stStatement, Name, Statement_, "", odbAlter, dboGenerator);
    Expect(tkTerminator);
    NextToken();
}

// =====================================================================================================
// DESCRIBE, COMMENT ON

namespace {

// The object kinds that DESCRIBE and COMMENT ON name by one keyword (or a second spelling read as an
// identifier) and a plain name: the kind the statement reports and the container list its object is
// found in. COMMENT ON FUNCTION and PROCEDURE name routines and are read apart, as are parameters,
// fields and columns; COMMENT ON EXTERNAL FUNCTION names the FUNCTION entry.
struct DescribedKind {
    int Token; // 0: the word alone
    std::string_view Word;
    TDbObject Kind;
    TObjsList List;
    bool InDescribe;
    bool InComment;
};
constexpr std::array<DescribedKind, 11> DescribedKinds = {{
    {tkTRIGGER, "", dboTrigger, TObjsList::olTriggers, true, true},
    {tkVIEW, "", dboView, TObjsList::olViews, true, true},
    {tkTABLE, "", dboTable, TObjsList::olTables, true, true},
    {tkPROCEDURE, "", dboProcedure, TObjsList::olProcedures, true, false},
    {tkROLE, "", dboRole, TObjsList::olRoles, true, true},
    {tkGENERATOR, "SEQUENCE", dboGenerator, TObjsList::olGenerators, true, true},
    {tkINDEX, "", dboIndex, TObjsList::olIndices, true, true},
    {tkFUNCTION, "", dboFunction, TObjsList::olFunctions, true, false},
    {tkDOMAIN, "", dboDomain, TObjsList::olDomains, true, true},
    {tkEXCEPTION, "", dboException, TObjsList::olExceptions, true, true},
    {0, "PACKAGE", dboPackage, TObjsList::olPackages, false, true},
}};
constexpr int ExternalFunctionEntry = 7;
static_assert(DescribedKinds[ExternalFunctionEntry].Token == tkFUNCTION);

// The object a DESCRIBE or COMMENT ON names: for a role, the role (not a login or user) of exactly
// that name; else the object filed under the name.
TDbObj* FindDescribed(TObjs& C, TObjsList List, std::string_view Name) {
    if (List == TObjsList::olRoles) return C.FindRole(Name);
    return C.FindObject(List, Name);
}

} // namespace

int TIbParser::DescribedKindAt(bool InComment) const {
    for (std::size_t i = 0; i < DescribedKinds.size(); ++i) {
        const DescribedKind& d = DescribedKinds[i];
        if (!(InComment ? d.InComment : d.InDescribe)) continue;
        if ((d.Token && Is(d.Token)) || (!d.Word.empty() && IsWord(d.Word))) return static_cast<int>(i);
    }
    return -1;
}

void TIbParser::ParseDescribe() {
    NextToken();
    TDbObject Kind = dboUnknown;
    std::string Name, Parent;
    TDbObj* Obj = nullptr;
    TObjs* C = Container_;
    auto Named = [&](TDbObject K) {
        Kind = K;
        Name = NextName();
    };
    if (const int k = DescribedKindAt(false); k >= 0) {
        const DescribedKind& d = DescribedKinds[static_cast<std::size_t>(k)];
        Named(d.Kind);
        if (C) Obj = FindDescribed(*C, d.List, Name);
    } else if (Is(tkPARAMETER)) {
        Named(dboParam);
        NextAndExpect(tkPROCEDURE);
        Parent = NextName();
        if (C) Obj = C->FindProcedureParam(Parent, Name);
    } else if (IsWord("FIELD")) {
        Named(dboField);
        NextToken();
        if (Is(tkTABLE)) {
            Parent = NextName();
            if (C) Obj = C->FindTableField(Parent, Name);
        } else if (Is(tkVIEW)) {
            Parent = NextName();
            if (C) Obj = C->FindViewField(Parent, Name);
        } else {
            Error("Unknown DESCRIBE statement.");
        }
    } else if (Token_ == tkIdent) {
        Error("Unknown DESCRIBE statement.");
    }
    std::string Text;
    if (NextAndExpect(tkString)) Text = StringValue_;
    if (Obj) Obj->SetDescription(Text);
    NextToken();
    EmitStatement(stDescription, Name, Statement_, Parent, odbDescription, Kind);
    // The statement carries the description as stored (line breaks and outer blanks normalised),
    // also when the object is not in the container (an executor loads scripts into an empty one).
    if (Statement_) Statement_->Description = Obj ? Obj->GetDescription() : Trim(AdjustLineBreaks(Text));
}

void TIbParser::ParseComment() {
    ExpectWord("COMMENT");
    NextAndExpect(tkON);
    NextToken();
    TDbObject Kind = dboUnknown;
    std::string Name, Parent;
    TObjs* C = Container_;
    TDbObj* Obj = nullptr;
    TPkgData* Package = nullptr; // the package of a packaged routine's description
    TPkgMemberDescription Member;
    bool AtIs = false; // the names were read up to the token after them
    auto Named = [&](TDbObject K) {
        Kind = K;
        Name = NextName();
    };
    auto Dotted = [&](TDbObject K) {
        Kind = K;
        Parent = NextName();
        NextAndExpect(tkDot);
        Name = NextName();
    };
    int k = -1;
    if (Is(tkEXTERNAL)) {
        NextAndExpect(tkFUNCTION);
        k = ExternalFunctionEntry;
    } else {
        k = DescribedKindAt(true);
    }
    if (k >= 0) {
        const DescribedKind& d = DescribedKinds[static_cast<std::size_t>(k)];
        Named(d.Kind);
        if (C) Obj = FindDescribed(*C, d.List, Name);
    } else if (Is(tkPROCEDURE) || Is(tkFUNCTION) || Is(tkPARAMETER)) {
        // [PROCEDURE | FUNCTION] [PARAMETER] [package.]routine[.parameter]: a packaged routine's
        // description belongs to its package; a function is a routine of the procedure list or
        // an external function; PARAMETER alone names a procedure's parameter.
        const std::string Word = Is(tkFUNCTION) ? "FUNCTION" : "PROCEDURE";
        bool Param = Is(tkPARAMETER);
        NextToken();
        if (!Param && Is(tkPARAMETER)) {
            Param = true;
            NextToken();
        }
        std::vector<std::string> N;
        N.push_back(Expect(tkIdent) ? TokenText() : std::string());
        NextToken();
        while (Token_ == tkDot && N.size() < 3) {
            N.push_back(NextName());
            NextToken();
        }
        AtIs = true;
        const std::size_t Own = Param ? 2 : 1; // names of the routine itself (and its parameter)
        if (N.size() > Own) {                  // packaged
            Kind = dboPackage;
            Name = N[0];
            Member = {Word, N[1], Param ? N[2] : std::string(), {}};
            if (C) Package = C->FindPackage(Name);
        } else if (Param && N.size() == 2) {
            Kind = dboParam;
            Parent = N[0];
            Name = N[1];
            if (C) Obj = C->FindProcedureParam(Parent, Name);
        } else if (!Param && N.size() == 1) {
            Kind = dboProcedure;
            Name = N[0];
            if (C) Obj = C->FindProcedure(Name);
            if (C && !Obj && Word == "FUNCTION") Obj = C->FindObject(TObjsList::olFunctions, Name);
        } else {
            Error("Unknown Comment-statement");
        }
    } else if (Is(tkCOLUMN) || IsWord("COLUMN")) {
        Dotted(dboField);
        if (C) {
            Obj = C->FindTableField(Parent, Name);
            if (!Obj) Obj = C->FindViewField(Parent, Name);
        }
    } else if (Is(tkDATABASE) || Is(tkCHARACTER) || Is(tkFILTER) || IsWord("COLLATION")) {
        // Descriptions of the database, a character set, a collation or a blob filter are not
        // compared.
        const std::size_t Start = StatementStart_;
        if (Is(tkCHARACTER)) NextAndExpect(tkSET);
        if (!Is(tkDATABASE)) NextName();
        DoLogNextLine("Not compared: " + Trim(std::string_view(Source_).substr(Start, Pos_ - Start)));
        AtIs = Is(tkDATABASE);
        if (AtIs) NextToken();
    } else {
        Error("Unknown Comment-statement");
    }
    if (AtIs)
        Expect(tkIS);
    else
        NextAndExpect(tkIS);
    NextToken();
    const bool Valid = Token_ == tkString || Token_ == tkNULL;
    const std::string Text = Token_ == tkString ? StringValue_ : std::string();
    if (!Valid) Error("Invalid comment text");
    NextToken();
    if (Obj && Valid) Obj->SetDescription(Text);
    if (Package && Valid) Package->SetMemberDescription(Member.Kind, Member.Routine, Member.Param, Text);
    EmitStatement(stStatement, Name, Statement_, Parent, odbDescription, Kind);
}

// =====================================================================================================
// DROP, REVOKE, EXECUTE

void TIbParser::ParseDrop() {
    ExpectAndNext(tkDROP);
    TDbObject Kind = dboUnknown;
    if (Is(tkDOMAIN))
        Kind = dboDomain;
    else if (Is(tkEXTERNAL)) {
        NextAndExpect(tkFUNCTION);
        Kind = dboFunction;
    } else if (Is(tkEXCEPTION))
        Kind = dboException;
    else if (Is(tkINDEX))
        Kind = dboIndex;
    else if (Is(tkPROCEDURE))
        Kind = dboProcedure;
    else if (Is(tkROLE))
        Kind = dboRole;
    else if (Is(tkTABLE))
        Kind = dboTable;
    else if (Is(tkTRIGGER))
        Kind = dboTrigger;
    else if (Is(tkVIEW))
        Kind = dboView;
    else if (Is(tkGENERATOR) || IsWord("SEQUENCE"))
        Kind = dboGenerator;
    else if (Is(tkFUNCTION))
        Kind = dboProcedure; // a stored function is a routine of the procedure list
    else if (IsWord("PACKAGE"))
        Kind = dboPackage;
    else if (Is(tkUSER) || IsWord("MAPPING") || IsWord("SHADOW") || Is(tkFILTER)) {
        SkipNotCompared();
        return;
    } else
        Error("Unknown DROP statement");
    std::string Name;
    bool Body = false;
    if (Kind == dboPackage) {
        // DROP PACKAGE [BODY] name: without its body the package keeps its header.
        NextToken();
        Body = IsWord("BODY");
        if (Body) NextToken();
        if (Expect(tkIdent)) Name = TokenText();
        if (Body && Container_)
            if (TPkgData* K = Container_->FindPackage(Name)) K->SetSource("");
    } else {
        Name = NextName();
    }
    NextToken();
    EmitStatement(stStatement, Name, Statement_, "", odbDrop, Kind);
    if (!Body) ForgetDropped(Kind, Name);
    ExpectAndNext(tkTerminator);
}

void TIbParser::ForgetDropped(TDbObject Kind, const std::string& Name) {
    if (!Container_ || Name.empty()) return;
    TObjs& C = *Container_;
    TObjsList Which{};
    switch (Kind) {
    case dboDomain:
        Which = TObjsList::olDomains;
        break;
    case dboFunction:
        Which = TObjsList::olFunctions;
        break;
    case dboException:
        Which = TObjsList::olExceptions;
        break;
    case dboIndex:
        Which = TObjsList::olIndices;
        break;
    case dboProcedure:
        Which = TObjsList::olProcedures;
        break;
    case dboRole:
        Which = TObjsList::olRoles;
        break;
    case dboTable:
        Which = TObjsList::olTables;
        break;
    case dboTrigger:
        Which = TObjsList::olTriggers;
        break;
    case dboView:
        Which = TObjsList::olViews;
        break;
    case dboGenerator:
        Which = TObjsList::olGenerators;
        break;
    case dboPackage:
        Which = TObjsList::olPackages;
        break;
    default:
        return;
    }
    // Roles are filed under "Role: " and their name.
    TDbObj* Obj = C.FindObject(Which, Kind == dboRole ? "Role: " + Name : Name);
    if (!Obj) return;
    // What the server drops with the object: the keys, indices and triggers of a table, the
    // triggers of a view, and the privileges on and of the object.
    auto Forget = [&](TObjsList List, auto GoesWith) {
        TStringList& L = C.List(List);
        for (int i = L.Count() - 1; i >= 0; --i)
            if (auto* O = dynamic_cast<TDbObj*>(L.Objects(i)); O && O != Obj && GoesWith(*O)) {
                L.Delete(i);
                delete O;
            }
        C.ForgetListIndex(List);
    };
    if (Kind == dboTable || Kind == dboView) {
        auto OnIt = [&](const TDbObj& O) { return O.GetTableName() == Name; };
        Forget(TObjsList::olConstraints, OnIt);
        Forget(TObjsList::olIndices, OnIt);
        Forget(TObjsList::olTriggers, OnIt);
    }
    ForgetGrants(Name);
    TStringList& L = C.List(Which);
    if (const int At = L.IndexOfObject(Obj); At >= 0) L.Delete(At);
    C.ForgetListIndex(Which); // what is filed next may restore the count before a look-up
    delete Obj;
}

void TIbParser::ForgetColumnPrivileges(const std::string& Table, const std::string& Column) {
    // The server drops a column's privileges with the column; a grant left without columns goes.
    if (!Container_) return;
    TStringList& L = Container_->Grants();
    std::vector<TGntData*> Changed;
    for (int i = L.Count() - 1; i >= 0; --i)
        if (auto* G = dynamic_cast<TGntData*>(L.Objects(i));
            G && G->ObjectName == Table && G->Columns.IndexOf(Column) >= 0) {
            L.Extract(i);
            Changed.push_back(G);
        }
    Container_->ForgetGrantIndex();
    Container_->ForgetListIndex(TObjsList::olGrants);
    for (TGntData* G : Changed) {
        G->Columns.Delete(G->Columns.IndexOf(Column));
        if (G->Columns.Count() == 0 || Container_->MergeGrants(G) != G) delete G;
    }
}

void TIbParser::ForgetGrants(const std::string& Name) {
    if (!Container_) return;
    TStringList& L = Container_->Grants();
    for (int i = L.Count() - 1; i >= 0; --i)
        if (auto* G = dynamic_cast<TGntData*>(L.Objects(i));
            G && (G->ObjectName == Name || G->GranteeName == Name)) {
            L.Delete(i);
            delete G;
        }
    Container_->ForgetGrantIndex();
    Container_->ForgetListIndex(TObjsList::olGrants);
}

void TIbParser::ForgetRecreated(TDbObj& Obj, std::initializer_list<TStringList*> Columns) {
    // RECREATE drops the object before it defines it anew: its privileges and descriptions go.
    ForgetGrants(Obj.GetName());
    Obj.SetDescription("");
    for (TStringList* L : Columns)
        for (int i = 0; i < L->Count(); ++i)
            if (auto* F = dynamic_cast<TDbObj*>(L->Objects(i))) F->SetDescription("");
}

void TIbParser::SkipNotCompared() {
    // The statement's words up to the name: "CREATE USER U1", "DROP SHADOW 1".
    const std::size_t Start = StatementStart_;
    NextToken();
    const std::string What = Trim(std::string_view(Source_).substr(Start, Pos_ - Start));
    DoLogNextLine("Not compared: " + What);
    ReportSkipped(stStatement, "", odbUnknown, dboUnknown);
}

void TIbParser::ParseAlterExternalFunction() {
    NextAndExpect(tkFUNCTION);
    const std::string Name = NextName();
    auto* U =
        Container_ ? dynamic_cast<TUdfData*>(Container_->FindObject(TObjsList::olFunctions, Name)) : nullptr;
    NextToken();
    while (Is(tkENTRY_POINT) || Is(tkMODULE_NAME)) {
        const bool Entry = Is(tkENTRY_POINT);
        if (NextAndExpect(tkString) && U) (Entry ? U->EntryPoint : U->ModuleName) = StringValue_;
        NextToken();
    }
    EmitStatement(stStatement, Name, Statement_, "", odbAlter, dboFunction);
    ExpectAndNext(tkTerminator);
}

void TIbParser::ParseExecute() {
    NextToken();
    if (IsWord("BLOCK")) {
        ParseExecuteBlock();
    } else if (IsWord("STATEMENT")) {
        ReportSkipped(stStatement, "", odbUnknown, dboUnknown);
    } else if (Is(tkPROCEDURE)) {
        ReportSkipped(stStatement, NextName(), odbUnknown, dboProcedure);
    }
    // Any other token is left for the next pass of the loop.
}

void TIbParser::ParseExecuteBlock() {
    ExpectWord("BLOCK");
    NextToken();
    // A scratch routine that is never filed; it records no dependencies.
    auto Scratch = std::make_unique<TPrcData>(Container_);
    ParseRoutineHeader(Scratch.get());
    ReadBody(Scratch.get());
    EmitStatement(stExecuteBlock, "", Statement_, "", odbUnknown, dboUnknown);
    SkipTerminator();
}

// =====================================================================================================
// Data types and columns

namespace {

/// DECFLOAT is no keyword of the table; TypeToken gives it this code (outside every token set).
constexpr int tkDECFLOATWord = 1000;

/// Yaffil reads these type words as identifiers; they still start a data type there.
bool IsYaffilTypeKeyword(int Code) {
    switch (Code) {
    case tkBIGINT:
    case tkREAL:
    case tkFLOAT:
    case tkNUMERIC:
    case tkDECIMAL:
    case tkBLOB:
    case tkCHARACTER:
    case tkINTEGER:
    case tkSMALLINT:
    case tkCSTRING:
    case tkTIME:
    case tkDATE:
    case tkTIMESTAMP:
    case tkNCHAR:
        return true;
    default:
        return false;
    }
}

/// The data-type code a type token stands for (0: the token starts no built-in type).
std::uint8_t DataTypeOfToken(int Code) {
    switch (Code) {
    case tkINTEGER:
        return 1;
    case tkBIGINT:
        return 2;
    case tkFLOAT:
        return 3;
    case tkDOUBLE:
        return 4;
    case tkDECFLOATWord:
        return 7;
    case tkREAL:
        return 9;
    case tkCHARACTER:
    case tkNCHAR:
        return 15;
    case tkVARCHAR:
        return 14;
    case tkCSTRING:
        return 56;
    case tkBINARY:
        return 44;
    case tkVARBINARY:
        return 76;
    case tkDATE:
        return 18;
    case tkTIME:
        return 19;
    case tkTIMESTAMP:
        return 20;
    case tkNUMERIC:
        return 46;
    case tkDECIMAL:
        return 47;
    case tkSMALLINT:
        return 54;
    case tkBOOLEAN:
        return 96;
    case tkBLOB:
        return 41;
    default:
        return 0;
    }
}

constexpr std::int64_t Int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t Int32Max = std::numeric_limits<std::int32_t>::max();

} // namespace

bool TIbParser::ExpectInt32(std::int32_t& Value, bool Signed) {
    if (!Expect(tkInteger)) return false;
    // Expect put a sign before the number into its literal text.
    const bool Negative = Signed && !StringValue_.empty() && StringValue_[0] == '-';
    std::int64_t V = 0;
    if (!GetCheckedInt(Signed ? Int32Min : 0, Int32Max, Negative, V)) return false;
    Value = static_cast<std::int32_t>(V);
    return true;
}

int TIbParser::TypeToken() const {
    if (Token_ != tkIdent || At(TokenStart_) == '"') return Token_; // a quoted name is never a type
    const TIBSQLServerVersionType V = ServerVersion();
    if (V == st_Yaffil_1x) {
        if (IsYaffilTypeKeyword(RawKeyword_)) return RawKeyword_;
        if (IsWord("NUM")) return tkNUMERIC;
    }
    if (IsFirebird3Or4(V)) {
        // Firebird 3 reserves BOOLEAN but the version table lists it among the plain words; a
        // BOOLEAN column must not become a column of a domain called BOOLEAN.
        if (RawKeyword_ == tkCSTRING || RawKeyword_ == tkTYPE || RawKeyword_ == tkBOOLEAN) return RawKeyword_;
        if (V == st_Firebird_40 && IsWord("DECFLOAT")) return tkDECFLOATWord;
    }
    return Token_;
}

bool TIbParser::IsTypeStart() const {
    const int T = TypeToken();
    return DataTypeOfToken(T) != 0 || T == tkTYPE;
}

std::unique_ptr<TFldData> TIbParser::ParseColumn(TTblData* Table, TTypeUse Use) {
    Expect(tkIdent); // a double-quoted name in dialect 3 arrives as an identifier
    auto Column = std::make_unique<TFldData>(Container_, Table);
    Column->SetName(Token_ == tkString ? std::string_view(StringValue_) : TokenView());
    if (Table)
        Column->TableName = Table->GetName();
    else
        Column->TableName = CurrentTable_;
    CurrentColumn_ = Column->GetName();
    NextToken();
    ParseDataType(Column.get(), Use);
    return Column;
}

void TIbParser::ParseCharLength(TFldData* Column) {
    std::int32_t Length = 1;
    if (Token_ == tkLParen && !ReadPlainSize(Length, nullptr)) {
        NextToken();
        ExpectInt32(Length, false);
        NextAndExpect(tkRParen);
        NextToken();
    }
    Column->Length = Length;
}

void TIbParser::ParseArrayBounds(TFldData* Column) {
    if (Token_ != tkLBracket) return;
    do {
        NextToken();
        std::int32_t Lower = 0, Upper = 0;
        ExpectInt32(Lower, true);
        NextToken();
        if (Token_ == tkColon) {
            NextToken();
            ExpectInt32(Upper, true);
            NextToken();
        } else {
            // A bare bound n is the range 1..n, as the server reads it.
            Upper = Lower;
            Lower = 1;
        }
        Column->Dimensions.emplace_back(Lower, Upper);
    } while (Token_ == tkComma);
    ExpectAndNext(tkRBracket);
}

std::string TIbParser::StoredClause(std::size_t Start) const {
    return AdjustLineBreaks(GetSourceText(Start));
}

std::string TIbParser::ReadExpressionSource(TDbObj* /*Obj*/) {
    std::string Text;
    ReadExpression(Text);
    NextToken();
    return Text;
}

void TIbParser::ParseDataType(TFldData* Column, TTypeUse Use) {
    // COMPUTED [BY] (expr) or GENERATED ALWAYS AS (expr) into the column's source; the current token
    // is COMPUTED or GENERATED.
    auto Computed = [this, Column, Use] {
        if (Use == TTypeUse::tuVariable) {
            RefuseTableClause();
            return;
        }
        if (IsWord("GENERATED")) { // GENERATED ALWAYS AS (expr)
            NextToken();
            NextAndExpect(tkAS);
            Column->SetSource(ReadExpressionSource(Column));
            return;
        }
        const TScanPosition AtComputed = SavePosition();
        NextToken();
        if (Token_ == tkBY)
            Column->SetSource(ReadExpressionSource(Column));
        else {
            RestorePosition(AtComputed); // the expression starts right after COMPUTED
            Column->SetSource(ReadExpressionSource(Column));
        }
    };
    int T = TypeToken();
    if (Is(tkNATIONAL)) { // NATIONAL CHAR[ACTER] [VARYING] is NCHAR [VARYING]: the next word goes
        NextToken();
        T = tkNCHAR;
    }
    const std::uint8_t Code = DataTypeOfToken(T);
    if (Code != 0) Column->DataType = Code;
    switch (T) {
    case tkDOUBLE:
        NextAndExpect(tkPRECISION);
        NextToken();
        break;
    case tkDECFLOATWord:
        NextToken();
        if (Token_ == tkLParen) {
            ParseTypeSize(Column);
        } else {
            Column->Length = 34;
            Column->Precision = 34;
        }
        break;
    case tkCHARACTER:
    case tkNCHAR:
    case tkBINARY:
        if (T == tkNCHAR) Column->CharSetName = "ISO8859_1";
        NextToken();
        if (Token_ == tkVARYING) {
            Column->DataType = T == tkBINARY ? 76 : 14;
            NextToken();
        }
        ParseCharLength(Column);
        break;
    case tkVARCHAR:
    case tkCSTRING:
    case tkVARBINARY:
        NextToken();
        ParseCharLength(Column);
        break;
    case tkNUMERIC:
    case tkDECIMAL:
        NextToken();
        ParseTypeSize(Column);
        break;
    case tkBLOB:
        Column->SegmentSize = 80;
        NextToken();
        for (;;) {
            if (Is(tkSUB_TYPE)) {
                NextToken();
                if (Token_ == tkBINARY || IsWord("BINARY"))
                    Column->SubType = 0;
                else if (IsWord("TEXT"))
                    Column->SubType = 1;
                else if (IsWord("BLR"))
                    Column->SubType = 2;
                else if (Token_ == tkInteger || Token_ == tkMinus || Token_ == tkPlus)
                    ExpectInt32(Column->SubType, true);
                else {
                    Error("Unknown blob-subtype.");
                    // A word or literal is taken for the sub-type; a mark stays for what follows.
                    if (Token_ != tkIdent && Token_ != tkString && Token_ != tkFloat) continue;
                }
                NextToken();
            } else if (Is(tkSEGMENT)) {
                NextToken();
                if (Is(tkSIZE)) NextToken();
                ExpectInt32(Column->SegmentSize, false);
                NextToken();
            } else if (Token_ == tkLParen) {
                NextToken();
                ExpectInt32(Column->SegmentSize, false);
                NextToken();
                if (Token_ == tkComma) {
                    NextToken();
                    ExpectInt32(Column->SubType, true);
                    NextToken();
                }
                ExpectAndNext(tkRParen);
            } else {
                break;
            }
        }
        break;
    case tkTYPE:
        Column->TypeOf = true;
        Column->DataType = DomainDataType;
        NextAndExpect(tkOF);
        NextToken();
        if (Is(tkCOLUMN)) {
            NextToken();
            ReadQualifiedName();
            Column->TypeOfTable = Qualifier_;
            Column->TypeOfColumn = QualifiedName_;
            if (Qualifier_.empty()) Expect(tkDot); // table "." column
            if (TTblData* Owner = Container_ ? Container_->FindTable(Qualifier_) : nullptr)
                if (!Column->Parent) Column->Parent = Owner;
        } else {
            if (Expect(tkIdent) || Token_ == tkString)
                Column->DomainName = Token_ == tkString ? std::string_view(StringValue_) : TokenView();
            NextToken();
        }
        break;
    default:
        if (Is(tkCOMPUTED) || AtGeneratedAlways()) {
            Computed();
            return ParseColumnOptions(Use, Column);
        }
        if (Token_ == tkIdent || Token_ == tkString) { // a domain
            Column->DataType = DomainDataType;
            Column->DomainName = Token_ == tkString ? std::string_view(StringValue_) : TokenView();
            NextToken();
        } else {
            Expect(tkIdent); // no type at all
        }
        break;
    case tkINTEGER:
    case tkBIGINT:
    case tkFLOAT:
    case tkREAL:
    case tkDATE:
    case tkTIME:
    case tkTIMESTAMP:
    case tkSMALLINT:
    case tkBOOLEAN:
        NextToken();
        break;
    }
    // A column's type is mostly followed by the comma or parenthesis after its definition: nothing
    // below would take either.
    if (Token_ == tkComma || Token_ == tkRParen) return;
    ParseArrayBounds(Column);
    if (Is(tkCHARACTER)) {
        NextAndExpect(tkSET);
        if (NextAndExpect(tkIdent)) {
            Column->CharSetName = TokenView();
            if (SameText(Column->CharSetName, IBOptions().GetDBCharSet())) Column->CharSetName.clear();
        }
        NextToken();
    }
    if ((Column->DataType == 19 || Column->DataType == 20) && ServerVersion() == st_Firebird_40 &&
        (Token_ == tkWITH || IsWord("WITHOUT"))) {
        Column->WithTimeZone = Token_ == tkWITH;
        NextAndExpect(tkTIME);
        NextToken();
        ExpectWord("ZONE");
        NextToken();
    }
    ParseColumnOptions(Use, Column);
    if (Is(tkCOMPUTED) || AtGeneratedAlways()) {
        Computed();
        if (Use != TTypeUse::tuVariable) Column->ComputedWithType = Column->DataType != 0;
        ParseColumnOptions(Use, Column);
    }
}

bool TIbParser::AtGeneratedAlways() {
    if (!IsWord("GENERATED")) return false;
    const TScanPosition At = SavePosition();
    NextToken();
    const bool Always = IsWord("ALWAYS");
    RestorePosition(At);
    return Always;
}

void TIbParser::RefuseTableClause() {
    Error("Not allowed in a parameter, variable or CAST type: " + UpperCase(TokenText()));
    // Passed over up to what ends the type (",", ")", ";" outside parentheses), so the statement
    // reads on as if the clause were not there.
    for (int Depth = 0; Token_ != tkEOF && Token_ != tkTerminator;) {
        if (Depth == 0 && (Token_ == tkComma || Token_ == tkRParen || Token_ == tkSemicolon)) break;
        if (Token_ == tkLParen) ++Depth;
        if (Token_ == tkRParen) --Depth;
        NextToken();
    }
}

void TIbParser::ParseColumnOptions(TTypeUse Use, TFldData* Column) {
    const bool DomainMode = Use == TTypeUse::tuDomain;
    if (IsWord("GENERATED") && !AtGeneratedAlways()) {
        NextAndExpect(tkBY);
        NextAndExpect(tkDEFAULT);
        NextAndExpect(tkAS);
        NextToken();
        if (ExpectWord("IDENTITY")) {
            Column->Identity = true;
            Column->Nullable = false; // the server makes an identity column NOT NULL
        }
        NextToken();
        // (START WITH n) and, from Firebird 4 on, INCREMENT [BY] n: kept by the column's generator.
        if (Token_ == tkLParen) {
            TGnrData* G = Column->Generator ? Column->Generator.get() : nullptr;
            NextToken();
            while (Token_ != tkRParen && Token_ != tkEOF && Token_ != tkTerminator) {
                const std::size_t Before = TokenStart_;
                if (IsWord("START")) {
                    NextAndExpect(tkWITH);
                    NextToken();
                    const std::string V = ReadSignedInteger();
                    if (G) G->StartValue = V == "0" ? std::string() : V;
                } else if (IsWord("INCREMENT")) {
                    NextToken();
                    if (Is(tkBY)) NextToken();
                    const std::string V = ReadSignedInteger();
                    if (G) G->Increment = V == "1" ? std::string() : V;
                } else {
                    Error("Must be: START WITH / INCREMENT BY");
                }
                if (TokenStart_ == Before) NextToken();
            }
            ExpectAndNext(tkRParen);
        }
    }
    for (;;) {
        if (Token_ == tkDEFAULT || Token_ == tkEqual) {
            const std::size_t ClauseStart = TokenStart_;
            NextToken();
            std::string Default = Column->DefaultValue;
            ReadDefaultValue(Column, Default);
            Column->DefaultValue = std::move(Default);
            if (!Column->DefaultValue.empty()) Column->DefaultSource = StoredClause(ClauseStart);
        } else if (Token_ == tkNOT) {
            // A function result may be followed by NOT DETERMINISTIC: that belongs to the header.
            const TScanPosition AtNot = SavePosition();
            NextToken();
            if (IsWord("DETERMINISTIC")) {
                RestorePosition(AtNot);
                return;
            }
            Expect(tkNULL);
            Column->Nullable = false;
            NextToken();
        } else if (Token_ == tkNULL) {
            // After an external function's argument NULL is the way the argument is passed.
            if (Column && Column->Parent && Column->Parent->GetKind() == TDbObject::dboFunction)
                Column->ByNull = true;
            NextToken();
        } else if (Token_ == tkCOLLATE) {
            if (NextAndExpect(tkIdent)) Column->CollationName = TokenView();
            NextToken();
        } else if (Token_ == tkBY) {
            NextToken();
            if (Is(tkDESCRIPTOR))
                Column->ByDescriptor = true;
            else if (Is(tkVALUE))
                Column->ByValue = true;
            else
                Error("Must be: BY DESCRIPTOR / BY VALUE");
            NextToken();
        } else if (Use == TTypeUse::tuVariable &&
                   (Token_ == tkCONSTRAINT || Token_ == tkCHECK || Token_ == tkFOREIGN ||
                    Token_ == tkPRIMARY || Token_ == tkUNIQUE || Token_ == tkREFERENCES)) {
            // A constraint needs a table: one filed from here would name none.
            RefuseTableClause();
            return;
        } else if (Token_ == tkCONSTRAINT) {
            const TScanPosition AtConstraint = SavePosition();
            const std::string Name = NextName();
            NextToken();
            // The name of a domain's check, or of a NOT NULL, is not kept: NOT NULL is read below.
            if (!DomainMode && Token_ != tkNOT) {
                RestorePosition(AtConstraint);
                ParseNamedConstraint(nullptr, Column);
            } else if (!DomainMode) {
                DoLogNextLine("Not compared: the name " + Name + " of NOT NULL on " + Column->TableName +
                              "." + Column->GetName());
            }
        } else if (Token_ == tkCHECK) {
            if (DomainMode) {
                const std::size_t ClauseStart = TokenStart_;
                Column->CheckText = ReadExpressionSource(Column);
                Column->CheckSource = StoredClause(ClauseStart);
            } else {
                ParseConstraintBody(nullptr, nullptr, Column);
            }
        } else if (!DomainMode && (Token_ == tkFOREIGN || Token_ == tkPRIMARY || Token_ == tkUNIQUE ||
                                   Token_ == tkREFERENCES)) {
            ParseConstraintBody(nullptr, nullptr, Column);
        } else {
            return;
        }
    }
}

void TIbParser::ReadDefaultValue(TDbObj* /*Obj*/, std::string& Text) {
    const std::size_t Start = TokenStart_;
    std::size_t End = Pos_;
    switch (Token_) {
    case tkIdent:
    case tkFloat:
    case tkString:
    case tkInteger:
    case tkCURRENT_DATE:
    case tkNULL:
    case tkUSER:
        break;
    case tkPlus:
    case tkMinus: {
        const char Sign = Token_ == tkMinus ? '-' : '+';
        NextToken();
        if (Token_ != tkInteger && Token_ != tkFloat) {
            Error("DEFAUT <value> error...");
            return;
        }
        // The sign is written next to the number, whatever stood between them.
        Text = Sign + Source_.substr(TokenStart_, Pos_ - TokenStart_);
        NextToken();
        return;
    }
    case tkCURRENT_TIME:
    case tkCURRENT_TIMESTAMP: {
        const TScanPosition After = SavePosition();
        NextToken();
        if (Token_ != tkLParen) {
            RestorePosition(After);
            break;
        }
        NextAndExpect(tkInteger);
        NextAndExpect(tkRParen);
        End = Pos_;
        break;
    }
    case tkCHARSET:
        NextAndExpect(tkString);
        End = Pos_;
        break;
    case tkDATE:
    case tkTIME:
    case tkTIMESTAMP: // a typed literal: DATE '2020-01-01'
        NextAndExpect(tkString);
        End = Pos_;
        break;
    default:
        Error("DEFAUT <value> error...");
        // An expression is the body parser's; here it is passed over, up to its ")" or the terminator.
        for (int Depth = 0; Token_ != tkEOF && Token_ != tkTerminator;) {
            if (Token_ == tkLParen) ++Depth;
            if (Token_ == tkRParen) --Depth;
            NextToken();
            if (Depth <= 0) break;
        }
        return;
    }
    Text = Source_.substr(Start, End - Start);
    NextToken();
}

// =====================================================================================================
// Constraints

void TIbParser::ParseColumnList(TStringList& List) {
    Expect(tkLParen);
    do {
        // A key's or an index's column in a script is a bare name: a column object would hold
        // nothing but the defaults (descending is the index's, not a column's, in InterBase).
        if (NextAndExpect(tkIdent)) List.Add(TokenView());
        NextToken();
    } while (Token_ == tkComma);
    ExpectAndNext(tkRParen);
}

void TIbParser::ParseUsingIndex(TCtrData* Constraint) {
    if (!Is(tkUSING)) return;
    NextToken();
    if (Is(tkASC)) {
        NextToken();
    } else if (Is(tkDESC)) {
        Constraint->IndexDescending = true;
        NextToken();
    }
    if (Is(tkINDEX))
        NextToken();
    else
        Expect(tkINDEX);
    if (Expect(tkIdent)) Constraint->IndexName = TokenView();
    NextToken();
}

void TIbParser::ParseNamedConstraint(TTblData* Table, TFldData* Column) {
    Expect(tkCONSTRAINT);
    auto Constraint = std::make_unique<TCtrData>(Container_);
    if (NextAndExpect(tkIdent)) Constraint->SetName(TokenView());
    NextToken();
    ParseConstraintBody(Constraint.release(), Table, Column);
}

std::string TIbParser::ParseReferences(TCtrData* Constraint, TTblData* Table, TFldData* Column) {
    Constraint->SetConstraintType(ctForeignKey);
    if (Token_ == tkREFERENCES && Column) { // a column's own REFERENCES clause
        Constraint->AddColumn(Column->GetName());
    } else {
        NextToken(); // FOREIGN
        if (Is(tkKEY)) NextToken();
        if (Token_ == tkLParen)
            ParseColumnList(Constraint->Columns);
        else if (Column)
            Constraint->AddColumn(Column->GetName());
        else
            Expect(tkLParen);
    }
    if (Table) LinkDependObj(Constraint, Table, "");
    Expect(tkREFERENCES);
    if (NextAndExpect(tkIdent)) {
        Constraint->SetRefTableName(TokenView());
        if (TTblData* Ref = Container_ ? Container_->FindTable(TokenView()) : nullptr)
            LinkDependObj(Constraint, Ref, "");
    }
    NextToken();
    if (Token_ == tkLParen)
        ParseColumnList(Constraint->RefColumns);
    else
        RefColumnsOfPrimaryKey(*Constraint);
    while (Token_ == tkON) {
        NextToken();
        std::uint8_t* Rule = nullptr;
        if (Token_ == tkUPDATE)
            Rule = &Constraint->UpdateRule;
        else if (Token_ == tkDELETE)
            Rule = &Constraint->DeleteRule;
        else {
            Error("Missing: UPDATE/DELETE");
            continue; // the token is looked at again
        }
        NextToken();
        if (Token_ == tkNO) {
            NextToken();
            if (!Is(tkACTION)) Error("Must be: ACTION");
            *Rule = raNoAction;
        } else if (Is(tkCASCADE)) {
            *Rule = raCascade;
        } else if (Token_ == tkSET) {
            NextToken();
            if (Token_ == tkDEFAULT)
                *Rule = raSetDefault;
            else if (Token_ == tkNULL)
                *Rule = raSetNull;
            else
                Error("Missing: DEFAULT/NULL");
        } else {
            Error("Unknown action into UPDATE/DELETE rule.");
        }
        NextToken();
    }
    ParseUsingIndex(Constraint);
    if (!LogWanted()) return {};
    std::string CreateSQL = Constraint->GetCreateSQL();
    DoLogNextLine("Foreign key 1: " + CreateSQL);
    return CreateSQL;
}

namespace {
std::uint64_t PrimaryKeyHash(const TObjs* Objs, std::string_view Table) {
    // FNV-1a over the table name's bytes, mixed with the container's address.
    std::uint64_t H = 14695981039346656037ull ^ reinterpret_cast<std::uintptr_t>(Objs);
    for (const char C : Table) {
        H ^= static_cast<unsigned char>(C);
        H *= 1099511628211ull;
    }
    return H;
}
} // namespace

int TIbParser::PrimaryKeyAt(const TObjs* Objs, std::string_view Table) const {
    return PrimaryKeyAt(Objs, Table, PrimaryKeyHash(Objs, Table), nullptr);
}

int TIbParser::PrimaryKeyAt(const TObjs* Objs, std::string_view Table, std::uint64_t H,
                            std::size_t* Free) const {
    if (PrimaryKeySlots_.empty()) return -1;
    const std::uint64_t Tag = H & 0xFFFFFFFF00000000ull;
    const std::size_t Mask = PrimaryKeySlots_.size() - 1;
    for (std::size_t i = H & Mask;; i = (i + 1) & Mask) {
        const std::uint64_t Slot = PrimaryKeySlots_[i];
        if (Slot == 0) {
            if (Free) *Free = i;
            return -1;
        }
        if ((Slot & 0xFFFFFFFF00000000ull) != Tag) continue;
        const int At = static_cast<int>(static_cast<std::uint32_t>(Slot) - 1);
        const TPrimaryKey& E = PrimaryKeys_[static_cast<std::size_t>(At)];
        if (E.Objs == Objs && E.Table == Table) return At;
    }
}

void TIbParser::PrefetchPrimaryKeySlot(const TObjs* Objs, std::string_view Table) const {
    if (!PrimaryKeySlots_.empty())
        __builtin_prefetch(&PrimaryKeySlots_[PrimaryKeyHash(Objs, Table) & (PrimaryKeySlots_.size() - 1)]);
}

void TIbParser::SetPrimaryKey(const TObjs* Objs, std::string_view Table, std::string_view Key) {
    // One probe finds the entry or the free slot a new entry takes.
    const std::uint64_t H = PrimaryKeyHash(Objs, Table);
    std::size_t Free = 0;
    if (const int At = PrimaryKeyAt(Objs, Table, H, &Free); At >= 0) {
        PrimaryKeys_[static_cast<std::size_t>(At)].Key = Key;
        return;
    }
    PrimaryKeys_.push_back({Objs, std::string(Table), std::string(Key)});
    // Kept at most half full; doubled (and refilled, the new entry too) as it grows.
    if (PrimaryKeys_.size() * 2 > PrimaryKeySlots_.size()) {
        PrimaryKeySlots_.assign(std::max<std::size_t>(64, PrimaryKeySlots_.size() * 2), 0);
        for (std::size_t e = 0; e < PrimaryKeys_.size(); ++e) {
            const std::uint64_t EH = PrimaryKeyHash(PrimaryKeys_[e].Objs, PrimaryKeys_[e].Table);
            std::size_t i = EH & (PrimaryKeySlots_.size() - 1);
            while (PrimaryKeySlots_[i] != 0)
                i = (i + 1) & (PrimaryKeySlots_.size() - 1);
            PrimaryKeySlots_[i] = (EH & 0xFFFFFFFF00000000ull) | (e + 1);
        }
        return;
    }
    PrimaryKeySlots_[Free] = (H & 0xFFFFFFFF00000000ull) | PrimaryKeys_.size();
}

void TIbParser::RefColumnsOfPrimaryKey(TCtrData& ForeignKey) {
    const TPrimaryKey* Known = FindPrimaryKey(Container_, ForeignKey.RefTableName);
    const auto* Key =
        !Known || !Container_
            ? nullptr
            : dynamic_cast<TCtrData*>(Container_->FindObject(TObjsList::olConstraints, Known->Key));
    if (!Key || Key->GetConstraintType() != ctPrimaryKey || Key->TableName != ForeignKey.RefTableName) return;
    for (int i = 0; i < Key->Columns.Count(); ++i)
        ForeignKey.AddRefColumn(Key->Columns[i]);
}

void TIbParser::ParseConstraintBody(TCtrData* Given, TTblData* Table, TFldData* Column) {
    std::unique_ptr<TCtrData> Constraint(Given ? Given : new TCtrData(Container_));
    if (!Table && Column) Table = dynamic_cast<TTblData*>(Column->Parent);
    Constraint->SetTableName(Table ? Table->GetName() : Column ? Column->TableName : CurrentTable_);
    const bool Report = ReportConstraints_ && !Column;
    TDbObject Kind = dboUnknown;
    if (Token_ == tkCHECK) {
        Constraint->SetConstraintType(ctCheck);
        const std::size_t ClauseStart = TokenStart_;
        Constraint->SetSource(ReadExpressionSource(Constraint.get()));
        Constraint->CheckSource = StoredClause(ClauseStart);
        if (Table) LinkDependObj(Constraint.get(), Table, "");
        if (LogWanted()) DoLogNextLine("Check: " + Constraint->GetCreateSQL());
        Kind = dboCheck;
    } else if (Token_ == tkFOREIGN || (Column && Token_ == tkREFERENCES)) {
        // The text logged by ParseReferences serves the messages below: nothing changes in between.
        std::string Logged = ParseReferences(Constraint.get(), Table, Column);
        auto CreateSQL = [&] { return Logged.empty() ? Constraint->GetCreateSQL() : Logged; };
        if (Container_) {
            auto* Existing = dynamic_cast<TCtrData*>(
                Container_->FindObject(TObjsList::olConstraints, Constraint->GetFullName()));
            if (Existing)
                Warning("Duplicate Foreign Key:\r\n" + Existing->GetCreateSQL() + "\r\n" + CreateSQL());
        }
        if (LogWanted()) DoLogNextLine("Foreign key 2: " + CreateSQL());
        Kind = dboFKey;
    } else if (Token_ == tkPRIMARY || Token_ == tkUNIQUE) {
        const bool Primary = Token_ == tkPRIMARY;
        Constraint->SetConstraintType(Primary ? ctPrimaryKey : ctUnique);
        NextToken();
        if (Primary && Is(tkKEY)) NextToken();
        if (Token_ == tkLParen)
            ParseColumnList(Constraint->Columns);
        else if (Column)
            Constraint->AddColumn(Column->GetName());
        ParseUsingIndex(Constraint.get());
        if (Table) LinkDependObj(Constraint.get(), Table, "");
        if (Primary) MarkKeyColumnsNotNull(*Constraint, Table, Column);
        if (Primary) {
            const TPrimaryKey* Known = FindPrimaryKey(Container_, Constraint->TableName);
            auto* Existing =
                !Known || !Container_
                    ? nullptr
                    : dynamic_cast<TCtrData*>(Container_->FindObject(TObjsList::olConstraints, Known->Key));
            if (Existing && Existing->GetConstraintType() == ctPrimaryKey &&
                Existing->TableName == Constraint->TableName) {
                Warning("Duplicate Primary Key, Table: " + Constraint->TableName + " (convert to Unique)");
                Warning(Existing->GetCreateSQL());
                Warning(Constraint->GetCreateSQL());
                Constraint->SetConstraintType(ctUnique);
                Warning(Constraint->GetCreateSQL());
                Warning("");
            }
        }
        const bool StillPrimary = Constraint->GetConstraintType() == ctPrimaryKey;
        if (LogWanted())
            DoLogNextLine((StillPrimary ? "Primary key: " : "Unique: ") + Constraint->GetCreateSQL());
        Kind = StillPrimary ? dboPKey : dboUnique;
    } else {
        Error("Missing: PRIMARY... or UNIQUE...");
        return;
    }
    if (Report) EmitStatement(stStatement, Constraint->GetName(), Statement_, "", odbCreate, Kind);
    FileConstraint(std::move(Constraint));
}

void TIbParser::MarkKeyColumnsNotNull(const TCtrData& Key, TTblData* Table, TFldData* Column) {
    const TIBSQLServerVersionType V = ServerVersion();
    if (V != st_Firebird_30 && V != st_Firebird_40) return;
    for (int i = 0; i < Key.Columns.Count(); ++i) {
        if (Column && Key.Columns[i] == Column->GetName()) Column->Nullable = false;
        if (TFldData* F = Table ? Table->FindField(Key.Columns[i]) : nullptr) F->Nullable = false;
    }
}

void TIbParser::FileConstraint(std::unique_ptr<TCtrData> Constraint) {
    if (IBOptions().GetIBCompareOptions().GetIgnoreIBEObjects() &&
        (StartsText("IBE$", Constraint->GetName()) || StartsText("IBE$", Constraint->TableName)))
        return;
    if (Constraint->GetConstraintType() != ctPrimaryKey) {
        FileParsed(Constraint.release(), TObjsList::olConstraints);
        return;
    }
    const std::string Table = Constraint->TableName, Key = Constraint->GetFullName();
    if (FileParsed(Constraint.release(), TObjsList::olConstraints))
        SetPrimaryKey(Container_, Table, Key); // a key made anew replaces a dropped one
}

bool TIbParser::FileParsed(TDbObj* Obj, TObjsList Which) {
    if (Owner_ || !Container_) return AddParsedObject(Obj, true);
    return Container_->FileObject(Obj, true, Which);
}

// =====================================================================================================
// Tables, indices, ALTER TABLE and ALTER INDEX

void TIbParser::ParseCreateTable(int Verb, bool GlobalTemporary) {
    Expect(tkTABLE);
    auto Table = std::make_unique<TTblData>(Container_);
    // Room for as many columns as the last table had (at least 16): tables of a script tend to be
    // alike, and the list is then neither moved while it grows nor shrunk at the end.
    Table->Fields.Reserve(std::max(16, LastTableColumns_));
    if (NextAndExpect(tkIdent)) Table->SetName(TokenView());
    const std::string Name = Table->GetName();
    // RECREATE drops a filed table first, with what goes with it, before its keys are read anew.
    if (Verb == tkRECREATE) ForgetDropped(dboTable, Name);
    Table->GlobalTemporary = GlobalTemporary;
    if (LogWanted()) DoLogNextLine("Table: " + Name);
    CurrentTable_ = Name;
    NextToken();
    if (Is(tkEXTERNAL)) {
        NextToken();
        if (Is(tkFILE)) NextToken();
        if (Expect(tkString)) Table->ExternalFile = StringValue_;
        NextToken();
    }
    ExpectAndNext(tkLParen);
    int Position = 0;
    for (;;) {
        if (Token_ == tkIdent || Token_ == tkString) {
            std::unique_ptr<TFldData> Column = ParseColumn(Table.get(), TTypeUse::tuColumn);
            Column->Position = Position++;
            if (Column->DataType == DomainDataType && Container_)
                if (TDmnData* Domain = Container_->FindDomain(Column->DomainName))
                    LinkDependObj(Column.get(), Domain, "");
            TFldData* F = Column.release();
            Table->Fields.AddObject(F->GetName(), F);
        } else if (Token_ == tkPRIMARY || Token_ == tkUNIQUE || Token_ == tkCONSTRAINT) {
            ParseTableKey(Table.get());
        } else if (Token_ == tkFOREIGN || Token_ == tkCHECK) {
            // An unnamed foreign key or check of the table (Firebird's own example scripts use
            // them); like the named keys it is part of the table's statement.
            ParseConstraintBody(nullptr, Table.get());
        } else {
            break;
        }
        if (Token_ != tkComma) break;
        NextToken();
    }
    CurrentColumn_.clear();
    LastTableColumns_ = Table->FieldCount();
    Table->Fields.ShrinkToFit(); // a large structure holds many tables: no room for columns to come
    ExpectAndNext(tkRParen);
    if (Token_ == tkON) {
        NextAndExpect(tkCOMMIT);
        NextToken();
        if (Token_ == tkDELETE)
            Table->OnCommit = 1;
        else if (Is(tkPRESERVE))
            Table->OnCommit = 2;
        else
            Error("Must be: DELETE ROWS / PRESERVE ROWS.");
        NextToken();
        if (Is(tkROWS)) NextToken();
    } else if (Table->GlobalTemporary) {
        Table->OnCommit = 1; // the server's default: rows deleted at commit
    }
    EmitStatement(stStatement, Name, Statement_, "", odbCreate, dboTable);
    FileParsed(Table.release(), TObjsList::olTables);
    CurrentTable_.clear();
    ExpectAndNext(tkTerminator);
}

void TIbParser::ParseTableKey(TTblData* Table) {
    auto Constraint = std::make_unique<TCtrData>(Container_);
    Constraint->SetTableName(Table->GetName());
    std::string Log = "Constraint: ";
    if (Token_ == tkCONSTRAINT) {
        if (NextAndExpect(tkIdent)) Constraint->SetName(TokenView());
        NextToken();
        if (Token_ == tkCHECK) { // a named check of the table: read as the unnamed ones are
            ParseConstraintBody(Constraint.release(), Table);
            return;
        }
        if (Token_ != tkPRIMARY && Token_ != tkUNIQUE && Token_ != tkFOREIGN) {
            Error("Missing: PRIMARY... or UNIQUE...");
            return;
        }
    } else {
        Log = Token_ == tkPRIMARY ? "Primary Key: " : "Unique: ";
    }
    std::string CreateSQL; // the text ParseReferences composed for the log
    if (Token_ == tkFOREIGN) {
        CreateSQL = ParseReferences(Constraint.get(), Table);
    } else {
        const bool Primary = Token_ == tkPRIMARY;
        // The key's filing looks up the table's primary key: its slot is asked for while the rest is read.
        if (Primary) PrefetchPrimaryKeySlot(Container_, Constraint->TableName);
        Constraint->SetConstraintType(Primary ? ctPrimaryKey : ctUnique);
        NextToken();
        if (Primary && Is(tkKEY)) NextToken();
        ParseColumnList(Constraint->Columns);
        ParseUsingIndex(Constraint.get());
        if (Primary) MarkKeyColumnsNotNull(*Constraint, Table, nullptr);
    }
    LinkDependObj(Constraint.get(), Table, "");
    if (LogWanted()) DoLogNextLine(Log + (CreateSQL.empty() ? Constraint->GetCreateSQL() : CreateSQL));
    FileConstraint(std::move(Constraint));
}

bool TIbParser::TopLevelCommaAhead() const {
    // A look at the characters, not the tokens: literals, quoted names and comments are passed over.
    static constexpr auto Marks = [] {
        std::array<bool, 256> M{};
        for (const char C : std::string_view("'\"/-(),"))
            M[static_cast<unsigned char>(C)] = true;
        return M;
    }();
    const std::string& S = Source_;
    const char End = Terminator_.empty() ? ',' : Terminator_[0];
    // The characters to stop at, the terminator's first and the NUL after the text among them.
    std::array<bool, 256> Stops = Marks;
    Stops[static_cast<unsigned char>(End)] = Stops[0] = true;
    int Depth = 0;
    for (std::size_t i = Pos_; i < S.size(); ++i) {
        while (!Stops[static_cast<unsigned char>(S[i])])
            ++i;
        if (i >= S.size()) break;
        const char C = S[i];
        if (C == '\0' && End != '\0') continue; // a NUL inside the text
        if (C == '\'' || C == '"') {
            for (++i; i < S.size() && !(S[i] == C && (i + 1 >= S.size() || S[i + 1] != C)); ++i)
                if (S[i] == C) ++i; // a doubled quote
        } else if (C == '/' && i + 1 < S.size() && S[i + 1] == '*') {
            const std::size_t Close = S.find("*/", i + 2);
            i = Close == std::string::npos ? S.size() : Close + 1;
        } else if (C == '-' && i + 1 < S.size() && S[i + 1] == '-') {
            const std::size_t Close = S.find('\n', i);
            i = Close == std::string::npos ? S.size() : Close;
        } else if (C == '(') {
            ++Depth;
        } else if (C == ')') {
            --Depth;
        } else if (Depth == 0 && C == ',') {
            return true;
        } else if (Depth == 0 && C == End && S.compare(i, Terminator_.size(), Terminator_) == 0) {
            return false;
        }
    }
    return false;
}

void TIbParser::AlterColumn(TTblData& Table, TFldData& F) {
    if (Token_ == tkTO) { // a new name, which the table's indices and keys follow
        if (const int At = Table.Fields.IndexOfObject(&F); At >= 0 && NextAndExpect(tkIdent)) {
            const std::string Old = F.GetName();
            F.SetName(TokenView());
            Table.Fields.SetString(At, TokenText());
            if (Container_) RenameKeyColumns(Table.GetName(), Old, TokenText());
            NextToken();
        }
    } else if (Is(tkPOSITION)) { // 1-based; the columns are numbered anew in their new order
        std::int32_t Place = 0;
        if (NextAndExpect(tkInteger) && ExpectInt32(Place, false) && Place > 0) {
            const int From = Table.Fields.IndexOfObject(&F);
            Table.Fields.Move(From, std::min(Place, Table.FieldCount()) - 1);
            for (int i = 0; i < Table.FieldCount(); ++i)
                Table.Field(i)->Position = i;
        }
        NextToken();
    } else if (Is(tkTYPE) || Is(tkCOMPUTED) || AtGeneratedAlways()) { // a new type or expression
        RestateType(F, TTypeUse::tuColumn);
    } else if (Token_ == tkSET || Token_ == tkDROP) {
        SetOrDropDefaultOrNotNull(F);
    }
}

void TIbParser::RestateType(TFldData& F, TTypeUse Use) {
    const bool Nullable = F.Nullable;
    const std::string Default = F.DefaultValue, DefaultSource = F.DefaultSource;
    const std::string Check = F.CheckText, CheckSource = F.CheckSource;
    if (Is(tkTYPE)) {
        NextToken();
        static_cast<TColumnAttrs&>(F) = TColumnAttrs();
    }
    ParseDataType(&F, Use);
    F.Nullable = Nullable;
    F.DefaultValue = Default;
    F.DefaultSource = DefaultSource;
    F.CheckText = Check;
    F.CheckSource = CheckSource;
}

bool TIbParser::SetOrDropDefaultOrNotNull(TFldData& F) {
    const bool Set = Token_ == tkSET;
    NextToken();
    if (Token_ == tkDEFAULT) {
        const std::size_t ClauseStart = TokenStart_;
        NextToken();
        F.DefaultValue.clear();
        F.DefaultSource.clear();
        if (Set) {
            std::string Default;
            ReadDefaultValue(&F, Default);
            F.DefaultValue = std::move(Default);
            if (!F.DefaultValue.empty()) F.DefaultSource = StoredClause(ClauseStart);
        }
        return true;
    }
    if (Token_ == tkNOT) {
        NextAndExpect(tkNULL);
        F.Nullable = !Set;
        NextToken();
        return true;
    }
    return false;
}

void TIbParser::RenameKeyColumns(const std::string& Table, const std::string& Old, const std::string& New) {
    auto Rename = [&](TStringList& Columns) {
        for (int i = 0; i < Columns.Count(); ++i)
            if (Columns[i] == Old) {
                Columns.SetString(i, New);
                if (auto* C = dynamic_cast<TDbObj*>(Columns.Objects(i))) C->SetName(New);
            }
    };
    TStringList& Indices = Container_->Indices();
    for (int i = 0; i < Indices.Count(); ++i)
        if (auto* X = dynamic_cast<TIdxData*>(Indices.Objects(i)); X && X->TableName == Table)
            Rename(X->Columns);
    TStringList& Keys = Container_->Constraints();
    for (int i = 0; i < Keys.Count(); ++i)
        if (auto* K = dynamic_cast<TCtrData*>(Keys.Objects(i))) {
            if (K->TableName == Table) Rename(K->Columns);
            if (K->RefTableName == Table) Rename(K->RefColumns);
        }
}

void TIbParser::ParseCreateIndex() {
    if (!(Is(tkINDEX) || Is(tkUNIQUE) || Is(tkASC) || Is(tkDESC))) Error("Bad INDEX definition");
    auto Index = std::make_unique<TIdxData>(Container_);
    while (!Is(tkINDEX) && (Is(tkUNIQUE) || Is(tkASC) || Is(tkDESC))) {
        if (Is(tkUNIQUE))
            Index->Unique = true;
        else if (Is(tkDESC))
            Index->Descending = true;
        NextToken();
    }
    Expect(tkINDEX);
    if (NextAndExpect(tkIdent)) Index->SetName(TokenView());
    const std::string Name = Index->GetName();
    NextAndExpect(tkON);
    if (NextAndExpect(tkIdent)) {
        Index->TableName = TokenView();
        if (TTblData* Table = Container_ ? Container_->FindTable(TokenView()) : nullptr)
            LinkDependObj(Index.get(), Table, "");
    }
    NextToken();
    if (Is(tkCOMPUTED)) {
        const TScanPosition AtComputed = SavePosition();
        NextToken();
        if (Token_ != tkBY) RestorePosition(AtComputed);
        Index->SetSource(ReadExpressionSource(Index.get()));
    } else {
        ParseColumnList(Index->Columns);
    }
    if (LogWanted()) DoLogNextLine("Index: " + Index->GetCreateSQL());
    EmitStatement(stStatement, Name, Statement_, "", odbCreate, dboIndex);
    FileParsed(Index.release(), TObjsList::olIndices);
    ExpectAndNext(tkTerminator);
}

void TIbParser::ParseAlterIndex() {
    Expect(tkINDEX);
    const std::string Name = NextName();
    TIdxData* Index = Container_ && !Name.empty() ? Container_->FindIndex(Name) : nullptr;
    NextToken();
    if (Is(tkACTIVE) || Is(tkINACTIVE)) {
        if (Index) Index->Active = Is(tkACTIVE);
    } else {
        Error("Must be: ACTIVE/INACTIVE (ALTER INDEX... declaration)");
    }
    if (Index && LogWanted()) DoLogNextLine("Alter index: " + Index->GetCreateSQL());
    NextAndExpect(tkTerminator);
    // Reported in the form the comparer writes it, so that a loaded script keeps the statement.
    EmitStatement(stStatement, Name, Statement_, "", odbAlter, dboIndex);
    NextToken();
}

void TIbParser::ParseAlterTable() {
    Expect(tkTABLE);
    const std::string Name = NextName();
    TTblData* Table = Container_ && !Name.empty() ? Container_->FindTable(Name) : nullptr;
    CurrentTable_ = Name;
    NextToken();
    // Actions separated by commas make one statement, reported once as an alteration of the table.
    const bool Several = TopLevelCommaAhead();
    // The end of one action: the terminator, or the comma before the next.
    auto EndOfAction = [&] {
        if (Token_ != tkComma || !Several) Expect(tkTerminator);
    };
    while (Token_ != tkTerminator && Token_ != tkEOF) {
        if (Token_ == tkADD) {
            NextToken();
            if (Token_ == tkFOREIGN || Token_ == tkCHECK || Token_ == tkPRIMARY || Token_ == tkUNIQUE) {
                ReportConstraints_ = !Several;
                ParseConstraintBody(nullptr, Table);
                ReportConstraints_ = false;
            } else if (Token_ == tkCONSTRAINT) {
                ReportConstraints_ = !Several;
                ParseNamedConstraint(Table);
                ReportConstraints_ = false;
            } else {
                // A column of a table the container lacks is filed nowhere and freed here.
                std::unique_ptr<TFldData> Column = ParseColumn(Table, TTypeUse::tuColumn);
                const std::string ColumnName = Column->GetName();
                if (Table) {
                    Column->Position = Table->FieldCount();
                    TFldData* F = Column.release();
                    Table->Fields.AddObject(F->GetName(), F);
                }
                if (!Several) EmitStatement(stStatement, ColumnName, Statement_, "", odbCreate, dboField);
                EndOfAction();
            }
        } else if (Token_ == tkALTER) {
            NextToken();
            if (Is(tkCOLUMN)) NextToken();
            const std::string Column = Expect(tkIdent) ? TokenText() : std::string();
            NextToken();
            if (TFldData* F = Table ? Table->FindField(Column) : nullptr) AlterColumn(*Table, *F);
            for (int Depth = 0;
                 Token_ != tkTerminator && Token_ != tkEOF && !(Token_ == tkComma && Depth == 0); NextToken())
                Depth += Token_ == tkLParen ? 1 : Token_ == tkRParen ? -1 : 0;
            if (!Several) EmitStatement(stStatement, Column, Statement_, "", odbAlter, dboField);
            EndOfAction();
        } else if (Token_ == tkDROP) {
            NextToken();
            TDbObject Kind = dboField;
            if (Token_ == tkCONSTRAINT) {
                Kind = dboConstraint;
                NextToken();
            }
            if (Token_ == tkIdent) {
                const std::string Dropped = TokenText();
                NextToken();
                if (!Several) EmitStatement(stStatement, Dropped, Statement_, "", odbDrop, Kind);
                if (Kind == dboConstraint && Container_) {
                    TStringList& L = Container_->Constraints();
                    if (const int At = L.IndexOf(Dropped); At >= 0) {
                        TObject* Key = L.Objects(At);
                        L.Delete(At);
                        delete Key;
                        Container_->ForgetListIndex(TObjsList::olConstraints);
                    }
                } else if (const int At = Table ? Table->Fields.IndexOf(Dropped) : -1; At >= 0) {
                    Table->Fields.Delete(At); // the list owns its columns
                    ForgetColumnPrivileges(Name, Dropped);
                }
            } else {
                Error("Unknown ALTER TABLE <table-name> DROP statement");
            }
            EndOfAction();
        } else {
            Error("Unknown symbol");
        }
        if (Token_ != tkTerminator && Token_ != tkEOF) NextToken();
    }
    if (Several) EmitStatement(stStatement, Name, Statement_, "", odbAlter, dboTable);
    CurrentTable_.clear();
    CurrentColumn_.clear();
    SkipTerminator();
}

// =====================================================================================================
// Routines, packages, triggers, views

void TIbParser::ParseRoutine(int Verb, bool IsFunction, bool NoReport, TPkgData* Package) {
    // CREATE, ALTER and CREATE OR ALTER all define the whole routine; RECREATE drops it first.
    Expect(IsFunction ? tkFUNCTION : tkPROCEDURE);
    const std::string Name = NextName();
    // A package member belongs to the package's text: it is never looked up, filed or reported.
    TPrcData* Existing = !Package && Container_ ? Container_->FindProcedure(Name) : nullptr;
    if (Existing && Verb == tkRECREATE)
        ForgetRecreated(*Existing, {&Existing->InputParams, &Existing->OutputParams});
    std::unique_ptr<TPrcData> Made;
    TPrcData* P = FiledOrNew(Existing, Made, Container_, Name);
    P->IsFunctionFlag = IsFunction ? 1 : 0;
    if (!Package && LogWanted()) DoLogNextLine((IsFunction ? "Function: " : "Procedure: ") + Name);
    NextToken();
    // Descriptions set by DESCRIBE or COMMENT ON survive a redefinition under the same parameter names.
    auto KeepDescriptions = [](TStringList& List) {
        std::vector<std::pair<std::string, std::string>> Kept;
        for (int i = 0; i < List.Count(); ++i)
            if (auto* F = ColumnObjectAt(List, i); F && !F->GetDescription().empty())
                Kept.emplace_back(F->GetName(), F->GetDescription());
        List.Clear();
        return Kept;
    };
    auto RestoreDescriptions = [](TStringList& List,
                                  const std::vector<std::pair<std::string, std::string>>& Kept) {
        if (Kept.empty()) return; // nothing kept: the parameters need not be visited
        for (int i = 0; i < List.Count(); ++i)
            if (auto* F = ColumnObjectAt(List, i))
                for (const auto& [N, D] : Kept)
                    if (N == F->GetName()) F->SetDescription(D);
    };
    if (Existing) Existing->ClearDependsOn(); // the new definition records what it needs
    const auto KeptIn = KeepDescriptions(P->InputParams);
    const auto KeptOut = KeepDescriptions(P->OutputParams);
    ParseRoutineHeader(P);
    const bool HeaderDeclaration = Package && !PackageBody_;
    if (!HeaderDeclaration && Token_ != tkSemicolon) ReadBody(P);
    RestoreDescriptions(P->InputParams, KeptIn);
    RestoreDescriptions(P->OutputParams, KeptOut);
    if (!NoReport && !Package)
        EmitStatement(stStatement, Name, Statement_, "", Existing ? odbAlter : odbCreate, dboProcedure);
    if (Made && !Package) FileParsed(Made.release(), TObjsList::olProcedures);
    if (Token_ == tkSemicolon) NextToken();
    if (!Package) SkipTerminator();
}

void TIbParser::ParseRoutineHeader(TPrcData* Routine) {
    // Each parameter is read like a column and belongs to the routine.
    auto Add = [Routine](std::unique_ptr<TFldData> Param, bool Output) {
        Param->Parent = Routine;
        Param->TableName = Routine->GetName();
        Param->SetKind(dboParam);
        TStringList& List = Output ? Routine->OutputParams : Routine->InputParams;
        Param->Position = List.Count();
        const std::string Name = Param->GetName();
        List.AddObject(Name, Param.release());
    };
    auto Params = [&](bool Output) {
        ExpectAndNext(tkLParen);
        while (Token_ != tkEOF && Token_ != tkTerminator && Token_ != tkRParen) {
            const std::size_t Before = TokenStart_;
            Add(ParseColumn(nullptr, TTypeUse::tuVariable), Output);
            if (Token_ != tkComma) {
                if (TokenStart_ == Before) NextToken();
                break;
            }
            NextToken();
        }
        ExpectAndNext(tkRParen);
    };
    if (Token_ == tkLParen) Params(false);
    constexpr int kwRETURNS = 181; // the keyword code of RETURNS
    if (Token_ != kwRETURNS) return;
    NextToken();
    if (!Routine->IsFunctionFlag) {
        Params(true);
        return;
    }
    auto Result = std::make_unique<TFldData>(Container_, Routine);
    ParseDataType(Result.get(), TTypeUse::tuVariable);
    const auto V = ServerVersion();
    if (V == st_Firebird_30 || V == st_Firebird_40 || V == st_InterBase_2020) {
        if (Token_ == tkNOT) { // NOT DETERMINISTIC: the default, stated
            NextToken();
            if (ExpectWord("DETERMINISTIC")) NextToken();
        } else if (IsWord("DETERMINISTIC")) {
            Result->Deterministic = true;
            NextToken();
        }
    }
    Add(std::move(Result), true);
}

void TIbParser::ReadBody(TDbObj* /*Obj*/) {
    SkipToTokens(TerminatorOrEnd());
}

void TIbParser::ParsePackage(int /*Verb*/) {
    ExpectWord("PACKAGE");
    NextToken();
    const bool Body = IsWord("BODY");
    if (Body) NextToken();
    const std::string Name = Expect(tkIdent) ? TokenText() : std::string();
    TPkgData* Existing = Container_ ? Container_->FindPackage(Name) : nullptr;
    std::unique_ptr<TPkgData> Made;
    TPkgData* K = FiledOrNew(Existing, Made, Container_, Name);
    if (LogWanted()) DoLogNextLine((Body ? "Package body: " : "Package: ") + Name);
    NextToken();
    // The stored texts start after AS, as the server keeps them and the package texts write them.
    if (Is(tkAS)) NextToken();
    // The header's text goes to the header source; the object's own source is the body's.
    const std::string BodySource = K->GetSource();
    const bool WasBody = std::exchange(PackageBody_, Body);
    ReadBody(K);
    PackageBody_ = WasBody;
    if (!Body) {
        K->SetHeaderSource(K->GetSource());
        K->SetSource(BodySource);
    }
    EmitStatement(stStatement, Name, Statement_, "", Existing ? odbAlter : odbCreate, dboPackage);
    if (Made) FileParsed(Made.release(), TObjsList::olPackages);
    SkipTerminator();
}

void TIbParser::ParseTrigger(int Verb) {
    Expect(tkTRIGGER);
    const std::string Name = NextName();
    // A trigger defined again (RECREATE, CREATE OR ALTER, ALTER) is updated in place: a second
    // object of the name would be refused by the container and the later definition lost.
    TTrgData* Existing = Container_ ? Container_->FindTrigger(Name) : nullptr;
    std::unique_ptr<TTrgData> Made;
    TTrgData* T = FiledOrNew(Existing, Made, Container_, Name);
    const bool Whole = Verb == tkCREATE;
    if (Existing && Whole) { // a complete new definition: what the old one said goes
        T->Active = 1;
        T->Time = 0;
        T->Events = 0;
        T->Position = 0;
        T->IBTypeCode = 0;
        T->DatabaseEvent.clear();
        T->ExternalName.clear();
        T->EngineName.clear();
        T->SetSource("");
    }
    NextToken();
    auto OnTable = [&] { // FOR table (the legacy form) or ON table (the SQL form) names the table
        const std::string Table = NextName();
        T->SetTableName(Table);
        if (Container_)
            if (TDbObj* Tbl = Container_->FindTable(Table)) LinkDependObj(T, Tbl, "");
        NextToken();
    };
    const bool ForTable = Is(tkFOR);
    if (ForTable) OnTable();
    if (Is(tkACTIVE) || Is(tkINACTIVE)) {
        T->Active = Is(tkACTIVE) ? 1 : 0;
        NextToken();
    }
    if (Token_ == tkON) {
        NextToken();
        std::string Event;
        if (IsWord("CONNECT") || IsWord("DISCONNECT")) {
            Event = UpperCase(TokenText());
        } else if (IsWord("TRANSACTION")) {
            NextToken();
            if (IsWord("START") || Is(tkCOMMIT) || IsWord("ROLLBACK"))
                Event = "TRANSACTION " + UpperCase(TokenText());
        }
        if (Event.empty()) {
            Error("Unknown event for database trigger");
        } else {
            T->SetTableName("DATABASE");
            T->DatabaseEvent = Event;
        }
        if (!Is(tkAS)) NextToken();
    } else if (Whole || Is(tkBEFORE) || Is(tkAFTER)) {
        int Type = 0;
        if (Is(tkBEFORE) || Is(tkAFTER)) {
            T->Time = Is(tkBEFORE) ? 1 : 2;
            Type = T->Time - 1;
            NextToken();
        } else {
            Error("Must be: BEFORE / AFTER");
        }
        std::uint8_t Events = 0;
        int N = 0;
        // Without FOR table, CREATE / ALTER / DROP / ANY start the events of a DDL trigger.
        if (!ForTable && T->Time != 0 &&
            (Token_ == tkCREATE || Token_ == tkALTER || Token_ == tkDROP || Is(kwANY))) {
            ReadDDLTriggerEvents(T);
            N = -1; // no table events to read
        }
        for (; N >= 0;) {
            int Code = 0;
            if (Token_ == tkINSERT)
                Code = 1;
            else if (Token_ == tkUPDATE)
                Code = 2;
            else if (Token_ == tkDELETE)
                Code = 3;
            if (Code == 0) break;
            Events |= static_cast<std::uint8_t>(2 << (Code - 1));
            ++N;
            if (N <= 3) Type += Code << (2 * N - 1);
            NextToken();
            if (Token_ != tkOR) break;
            NextToken();
        }
        if (N == 0) Error("Missing: INSERT / UPDATE / DELETE");
        if (N >= 0) {
            T->Events = Events;
            T->IBTypeCode = N ? Type - 1 : 0;
        }
    }
    if (Is(tkPOSITION)) {
        NextToken();
        std::int64_t V = 0;
        if (Expect(tkInteger) && GetCheckedInt(std::numeric_limits<std::int32_t>::min(),
                                               std::numeric_limits<std::int32_t>::max(), false, V))
            T->Position = static_cast<std::int32_t>(V);
        NextToken();
    }
    if (Token_ == tkON && T->Time != 0 && !T->IsDDLTrigger()) OnTable();
    if (LogWanted()) DoLogNextLine("Trigger: " + Name);
    // Without AS (ALTER TRIGGER T INACTIVE) the body stays as it was; a new body records anew what
    // it needs, the trigger's table included.
    if (Is(tkAS)) {
        if (Existing) {
            Existing->ClearDependsOn();
            if (TDbObj* Tbl = Container_->FindTable(T->TableName)) LinkDependObj(T, Tbl, "");
        }
        T->ExternalName.clear();
        T->EngineName.clear();
        ReadBody(T);
    } else if (Is(tkEXTERNAL)) {
        // EXTERNAL [NAME] 'name' ENGINE engine [AS 'body']: the code lives outside the database.
        NextToken();
        if (IsWord("NAME")) NextToken();
        if (Expect(tkString)) T->ExternalName = StringValue_;
        NextToken();
        if (ExpectWord("ENGINE") && NextAndExpect(tkIdent)) T->EngineName = UpperCase(TokenText());
        NextToken();
        if (Is(tkAS)) { // a body text handed to the engine: kept nowhere, the server keeps none either
            NextToken();
            Expect(tkString);
            NextToken();
        }
        if (Existing) Existing->ClearDependsOn();
        T->SetSource("");
    }
    EmitStatement(stStatement, Name, Statement_, "", Existing ? odbAlter : odbCreate, dboTrigger);
    if (Made) FileParsed(Made.release(), TObjsList::olTriggers);
    ExpectAndNext(tkTerminator);
}

void TIbParser::ReadDDLTriggerEvents(TTrgData* T) {
    // The trigger's time was read: Time 2 is AFTER. The events are collected as type bits, so that
    // the event clause is written in the server's order whatever the script's.
    std::uint64_t Type = DDLTriggerFlag | (T->Time == 2 ? 1u : 0u);
    if (Is(kwANY)) {
        NextToken();
        if (ExpectWord("DDL")) NextToken();
        if (ExpectWord("STATEMENT")) NextToken();
        Type |= DDLTriggerAnyEvents;
    } else {
        for (;;) {
            // A verb and one or two words: CREATE TABLE, DROP PACKAGE BODY, ALTER CHARACTER SET.
            std::string Event = UpperCase(TokenText());
            NextToken();
            while (Token_ != tkOR && Token_ != tkEOF && Token_ != tkTerminator && !Is(tkPOSITION) &&
                   !Is(tkAS) && !Is(tkEXTERNAL) && Event.size() < 32) {
                Event += " " + UpperCase(TokenText());
                NextToken();
            }
            const auto* It = std::find(DDLTriggerEvents.begin() + 1, DDLTriggerEvents.end(), Event);
            if (It == DDLTriggerEvents.end())
                Error("Unknown DDL event: " + Event);
            else
                Type |= std::uint64_t{1} << (It - DDLTriggerEvents.begin());
            if (Token_ != tkOR) break;
            NextToken();
        }
    }
    T->Time = 0;
    T->IBTypeCode = 0;
    T->SetTableName("DATABASE");
    T->DatabaseEvent = DDLTriggerEventText(Type);
}

void TIbParser::ParseView(int Verb) {
    Expect(tkVIEW);
    const std::string Name = NextName();
    // RECREATE VIEW, ALTER VIEW and CREATE OR ALTER VIEW of a filed view replace its definition in
    // place.
    TViwData* Existing = Container_ ? Container_->FindView(Name) : nullptr;
    if (Existing && Verb == tkRECREATE) ForgetRecreated(*Existing, {&Existing->Fields});
    std::unique_ptr<TViwData> Made;
    TViwData* V = FiledOrNew(Existing, Made, Container_, Name);
    // A redefined view forgets what its old text read; columns that keep their names stay the same
    // objects, so what reads them stays recorded.
    TStringList OldFields(true);
    if (Existing) {
        Existing->ClearDependsOn();
        Existing->SetSource("");
        Existing->Fields.SetOwnsObjects(false);
        for (int i = 0; i < Existing->Fields.Count(); ++i)
            OldFields.AddObject(Existing->Fields[i], Existing->Fields.Objects(i));
        Existing->Fields.Clear();
        Existing->Fields.SetOwnsObjects(true);
    }
    RedefinedViewFields_ = &OldFields;
    ScopeExit Forget([this] { RedefinedViewFields_ = nullptr; });
    NextToken();
    if (Token_ == tkLParen) {
        for (;;) {
            if (!NextAndExpect(tkIdent)) break;
            AddViewColumn(V, TokenText());
            NextToken();
            if (Token_ != tkComma) break;
        }
        ExpectAndNext(tkRParen);
    }
    if (LogWanted()) DoLogNextLine("View: " + Name);
    // Without a column list the body parser names the columns from the select list.
    if (Expect(tkAS)) ReadBody(V);
    EmitStatement(stStatement, Name, Statement_, "", Existing ? odbAlter : odbCreate, dboView);
    if (Made) FileParsed(Made.release(), TObjsList::olViews);
    ExpectAndNext(tkTerminator);
}

void TIbParser::AddViewColumn(TViwData* View, const std::string& Name) {
    TStringList* Old = RedefinedViewFields_;
    if (const int At = Old ? Old->IndexOf(Name) : -1; At >= 0) {
        TObject* F = Old->Objects(At);
        Old->SetOwnsObjects(false);
        Old->Delete(At);
        Old->SetOwnsObjects(true);
        View->Fields.AddObject(Name, F);
    } else {
        View->AddField(Name);
    }
}

// =====================================================================================================
// Grants, roles, generators, exceptions, domains, collations

std::string TIbParser::ReadSignedInteger() {
    std::string Text;
    const bool Negative = Token_ == tkMinus;
    if (Expect(tkInteger)) {
        std::int64_t V = 0;
        if (GetCheckedInt(std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(),
                          Negative, V))
            Text = std::to_string(V);
    }
    NextToken();
    return Text;
}

bool TIbParser::ReadGrantPrivilege(TGntData* G) {
    // Bits of the grant's privilege set (the grant words of the model).
    constexpr int BitAll = 0, BitInsert = 1, BitUpdate = 2, BitDelete = 3, BitSelect = 4, BitExecute = 5,
                  BitReferences = 6, BitUsage = 43;
    auto Set = [G](int Bit) { G->Privileges |= std::uint64_t{1} << Bit; };
    if (Token_ == tkALL) {
        for (int Bit : {BitInsert, BitUpdate, BitDelete, BitSelect, BitReferences})
            Set(Bit);
        NextToken();
        if (Is(tkPRIVILEGES)) NextToken();
        return true;
    }
    int Bit = -1;
    if (Token_ == tkSELECT)
        Bit = BitSelect;
    else if (Token_ == tkINSERT)
        Bit = BitInsert;
    else if (Token_ == tkUPDATE)
        Bit = BitUpdate;
    else if (Token_ == tkDELETE)
        Bit = BitDelete;
    else if (Is(tkREFERENCES))
        Bit = BitReferences;
    else if (Token_ == tkEXECUTE)
        Bit = BitExecute;
    else if (IsWord("USAGE")) // of a sequence or an exception
        Bit = BitUsage;
    if (Bit < 0) return false;
    (void)BitAll;
    Set(Bit);
    NextToken();
    if ((Bit == BitUpdate || Bit == BitReferences) && Token_ == tkLParen) {
        for (;;) {
            if (!NextAndExpect(tkIdent)) break;
            if (G->Columns.IndexOf(TokenText()) < 0) G->Columns.Add(TokenText());
            NextToken();
            if (Token_ != tkComma) break;
        }
        ExpectAndNext(tkRParen);
    }
    return true;
}

bool TIbParser::ReadMetadataClass(std::string& Class) {
    Class.clear();
    if (Is(tkCHARACTER)) {
        NextToken();
        if (Is(tkSET)) Class = "CHARACTER SET";
    } else if (Is(tkGENERATOR) || IsWord("SEQUENCE")) {
        Class = "GENERATOR"; // the server keeps one class for both words
    } else if (Is(kwFILTER)) {
        Class = "FILTER";
    } else {
        for (const auto& [Code, Word] :
             {std::pair{tkTABLE, "TABLE"}, std::pair{tkVIEW, "VIEW"}, std::pair{tkPROCEDURE, "PROCEDURE"},
              std::pair{tkFUNCTION, "FUNCTION"}, std::pair{tkDOMAIN, "DOMAIN"},
              std::pair{tkEXCEPTION, "EXCEPTION"}, std::pair{tkROLE, "ROLE"},
              std::pair{tkDATABASE, "DATABASE"}})
            if (Is(Code)) Class = Word;
        if (Class.empty() && (IsWord("PACKAGE") || IsWord("COLLATION"))) Class = UpperCase(TokenText());
    }
    if (Class.empty()) {
        Error("Missing: metadata class (" + GetTokenName(Token_) + ")");
        return false;
    }
    NextToken();
    return true;
}

bool TIbParser::ReadDDLRights(TGntData* G, bool All) {
    auto Set = [G](int Bit) { G->Privileges |= std::uint64_t{1} << Bit; };
    if (All) { // ALL [PRIVILEGES] class: every right the class has
        if (!ReadMetadataClass(G->MetadataClass)) return false;
        // CREATE DATABASE is no right of a database: ALL DATABASE grants ALTER and DROP.
        if (G->MetadataClass != "DATABASE") Set(GrantBitCreate);
        Set(GrantBitAlterAny);
        Set(GrantBitDropAny);
        return true;
    }
    for (;;) {
        if (Token_ == tkCREATE) {
            Set(GrantBitCreate);
            NextToken();
        } else if (Token_ == tkALTER || Token_ == tkDROP) {
            Set(Token_ == tkALTER ? GrantBitAlterAny : GrantBitDropAny);
            NextToken();
            if (Is(kwANY)) NextToken(); // absent before DATABASE
        } else {
            Error("Missing: CREATE / ALTER ANY / DROP ANY (" + GetTokenName(Token_) + ")");
            return false;
        }
        if (Token_ != tkComma) break;
        NextToken();
    }
    return ReadMetadataClass(G->MetadataClass);
}

namespace {

/// A grant like G for another grantee or with other privileges: the object, rights and option.
std::unique_ptr<TGntData> CopyGrant(const TGntData& G) {
    auto C = std::make_unique<TGntData>(G.GetOwner());
    C->Number = G.Number;
    C->Privileges = G.Privileges;
    C->ObjectName = G.ObjectName;
    C->ObjectKind = G.ObjectKind;
    C->GrantOption = G.GrantOption;
    C->MetadataClass = G.MetadataClass;
    C->GranteeName = G.GranteeName;
    C->GranteeKind = G.GranteeKind;
    C->CompareKind = G.CompareKind;
    for (int i = 0; i < G.Columns.Count(); ++i)
        C->Columns.Add(G.Columns[i]);
    return C;
}

} // namespace

void TIbParser::ReadGrantObject(TGntData* G, std::vector<std::unique_ptr<TGntData>>& ColumnRights) {
    // A DDL right starts with CREATE, ALTER or DROP, or is ALL [PRIVILEGES] followed by a class
    // instead of ON.
    bool DDLRight = Token_ == tkCREATE || Token_ == tkALTER || Token_ == tkDROP;
    bool All = false;
    if (Token_ == tkALL) {
        NextToken();
        if (Is(tkPRIVILEGES)) NextToken();
        All = true;
        DDLRight = Token_ != tkON;
        if (!DDLRight) // every privilege on a table
            for (int Bit : {1, 2, 3, 4, 6})
                G->Privileges |= std::uint64_t{1} << Bit;
    }
    // A privilege with a column list is a grant of its own, as the server records it.
    auto Read = [&] {
        const std::uint64_t Before = G->Privileges;
        if (!ReadGrantPrivilege(G)) return false;
        if (G->Columns.Count() > 0) {
            auto C = CopyGrant(*G);
            C->Privileges = G->Privileges & ~Before;
            ColumnRights.push_back(std::move(C));
            G->Privileges = Before;
            G->Columns.Clear();
        }
        return true;
    };
    if (DDLRight) {
        ReadDDLRights(G, All);
    } else if (All || Read()) {
        while (Token_ == tkComma) {
            NextToken();
            if (!Read()) {
                Error("Missing: privilege (" + GetTokenName(Token_) + ")");
                break;
            }
        }
        ExpectAndNext(tkON);
        TDbObject Kind = dboUnknown;
        if (Is(tkTABLE))
            Kind = dboTable;
        else if (Is(tkVIEW))
            Kind = dboView;
        else if (Is(tkPROCEDURE))
            Kind = dboProcedure;
        else if (Is(tkTRIGGER))
            Kind = dboTrigger;
        else if (IsWord("PACKAGE"))
            Kind = dboPackage;
        else if (Is(tkFUNCTION))
            Kind = dboFunction;
        else if (Is(tkGENERATOR) || IsWord("SEQUENCE"))
            Kind = dboGenerator;
        else if (Is(tkEXCEPTION))
            Kind = dboException;
        if (Kind != dboUnknown) NextToken();
        if (Expect(tkIdent)) G->ObjectName = TokenText();
        if (Kind == dboUnknown && Container_) {
            if (Container_->FindTable(G->ObjectName))
                Kind = dboTable;
            else if (Container_->FindView(G->ObjectName))
                Kind = dboView;
        }
        const bool Reads =
            G->HasPrivilege(4) || std::any_of(ColumnRights.begin(), ColumnRights.end(),
                                              [](const auto& C) { return C->HasPrivilege(4); });
        if (Kind == dboUnknown && StartsText("RDB$", G->ObjectName) && Reads) Kind = dboTable;
        G->ObjectKind = Kind;
        for (auto& C : ColumnRights) {
            C->ObjectName = G->ObjectName;
            C->ObjectKind = Kind;
        }
        NextToken();
    } else {
        // Membership in a role.
        if (Expect(tkIdent)) G->ObjectName = TokenText();
        G->ObjectKind = dboRole;
        NextToken();
    }
}

std::vector<std::unique_ptr<TGntData>> TIbParser::ReadGrantees(const std::vector<TGntData*>& Grants) {
    std::vector<std::unique_ptr<TGntData>> Result;
    for (;;) {
        auto G = CopyGrant(*Grants.front());
        if (Is(tkPROCEDURE) || Is(tkTRIGGER) || Is(tkVIEW) || IsWord("PACKAGE") || Is(tkFUNCTION)) {
            G->GranteeKind = Is(tkPROCEDURE)  ? dboProcedure
                             : Is(tkTRIGGER)  ? dboTrigger
                             : Is(tkVIEW)     ? dboView
                             : Is(tkFUNCTION) ? dboFunction
                                              : dboPackage;
            G->CompareKind = TCmpObjType::coObjGrant;
            NextToken();
        } else if (Token_ == tkUSER) {
            G->CompareKind = TCmpObjType::coUserGrant;
            NextToken();
        } else if (Is(tkROLE)) {
            G->GranteeKind = dboRole;
            G->CompareKind = TCmpObjType::coRoleGrant;
            NextToken();
        }
        if (Expect(tkIdent)) G->GranteeName = TokenText();
        if (G->GranteeKind == dboUnknown && G->CompareKind == TCmpObjType::coGrant && Container_ &&
            Container_->FindRole(G->GranteeName))
            G->GranteeKind = dboRole;
        NextToken();
        // Each grant of the statement goes to this grantee.
        for (TGntData* Each : Grants) {
            auto C = CopyGrant(*Each);
            C->GranteeName = G->GranteeName;
            C->GranteeKind = G->GranteeKind;
            C->CompareKind = G->CompareKind;
            Result.push_back(std::move(C));
        }
        if (Token_ != tkComma) break;
        NextToken();
    }
    return Result;
}

void TIbParser::ParseGrant() {
    auto G = std::make_unique<TGntData>(Container_);
    G->Number = Line_;
    NextToken();
    std::vector<std::unique_ptr<TGntData>> ColumnRights;
    ReadGrantObject(G.get(), ColumnRights);
    std::vector<TGntData*> Parts;
    if (G->Privileges != 0 || ColumnRights.empty()) Parts.push_back(G.get());
    for (auto& C : ColumnRights)
        Parts.push_back(C.get());
    ExpectAndNext(tkTO);
    std::vector<std::unique_ptr<TGntData>> Grants = ReadGrantees(Parts);
    std::uint8_t Option = 0;
    if (Token_ == tkWITH) {
        NextToken();
        if (Token_ == tkGRANT || Is(tkADMIN)) {
            NextToken();
            if (Is(tkOPTION)) {
                Option = 1;
                NextToken();
            } else {
                Error("Must be: with GRANT/ADMIN option");
            }
        } else {
            Error("Must be: with GRANT/ADMIN option");
        }
    }
    if (IsWord("GRANTED")) { // the grantor is the server's record of who granted: not compared
        NextAndExpect(tkBY);
        NextToken();
        if (Token_ == tkUSER) NextToken();
        if (Expect(tkIdent)) DoLogNextLine("Not compared: GRANTED BY " + TokenText());
        NextToken();
    }
    // The statement is reported although it creates no object of its own: an executor that loads a
    // script builds its statement list from the reports and would otherwise lose every GRANT.
    Expect(tkTerminator);
    EmitStatement(stStatement, "", Statement_, "", odbCreate, dboGrant);
    NextToken();
    for (auto& Each : Grants) {
        Each->GrantOption = Option;
        if (LogWanted()) DoLogNextLine("Grant: " + Each->GetCreateSQL());
        if (!Container_) continue;
        if (Each->IsDDLRight() && Each->MetadataClass == "DATABASE" && Each->HasPrivilege(GrantBitCreate)) {
            // The right to create databases lives in the security database, not in this one.
            const std::string Text = "GRANT CREATE DATABASE is kept in the security database: not compared.";
            GetMsgManager().AddMessage(Text, 1);
            DoLogNextLine(Text);
            continue;
        }
        if (IBOptions().GetIBCompareOptions().GetIgnoreIBEObjects() && StartsStr("IBE$", Each->ObjectName))
            continue;
        if (Container_->MergeGrants(Each.get()) == Each.get()) Each.release(); // the container owns it now
    }
}

void TIbParser::ParseRevoke() {
    Expect(tkREVOKE);
    NextToken();
    // REVOKE GRANT OPTION FOR / ADMIN OPTION FOR takes the option only.
    bool OptionOnly = false;
    if ((Token_ == tkGRANT || Is(tkADMIN)) && !Is(tkOPTION)) {
        const TScanPosition At = SavePosition();
        NextToken();
        if (Is(tkOPTION)) {
            NextToken();
            if (Token_ == tkFOR) {
                OptionOnly = true;
                NextToken();
            }
        }
        if (!OptionOnly) RestorePosition(At);
    }
    // REVOKE ALL ON ALL FROM: every privilege and role the grantees hold.
    bool Everything = false;
    if (Token_ == tkALL && !OptionOnly) {
        const TScanPosition At = SavePosition();
        NextToken();
        if (Is(tkPRIVILEGES)) NextToken();
        if (Token_ == tkON) NextToken();
        Everything = Token_ == tkALL;
        if (Everything)
            NextToken();
        else
            RestorePosition(At);
    }
    auto G = std::make_unique<TGntData>(Container_);
    std::vector<std::unique_ptr<TGntData>> ColumnRights;
    if (!Everything) ReadGrantObject(G.get(), ColumnRights);
    std::vector<TGntData*> Parts;
    if (G->Privileges != 0 || ColumnRights.empty()) Parts.push_back(G.get());
    for (auto& C : ColumnRights)
        Parts.push_back(C.get());
    std::vector<std::unique_ptr<TGntData>> Revoked;
    if (Token_ == tkFROM) {
        NextToken();
        Revoked = ReadGrantees(Parts);
    }
    if (!Container_ || Revoked.empty()) {
        ReportSkipped(stStatement, "", odbDrop, dboGrant);
        return;
    }
    SkipToTokens(TerminatorOrEnd());
    EmitStatement(stStatement, "", Statement_, "", odbDrop, dboGrant);
    SkipTerminator();
    TStringList& List = Container_->Grants();
    if (Everything) {
        for (const auto& R : Revoked)
            for (int i = List.Count() - 1; i >= 0; --i)
                if (auto* E = dynamic_cast<TGntData*>(List.Objects(i));
                    E && E->GranteeName == R->GranteeName) {
                    List.Delete(i);
                    delete E;
                }
        Container_->ForgetGrantIndex();
        Container_->ForgetListIndex(TObjsList::olGrants);
        return;
    }
    // The privileges leave the grants that hold them (a column list takes only its columns); what
    // a grant keeps is filed again under its new key.
    for (const auto& R : Revoked) {
        std::vector<TGntData*> Hit;
        for (int i = 0; i < List.Count(); ++i)
            if (auto* E = dynamic_cast<TGntData*>(List.Objects(i));
                E && E->ObjectName == R->ObjectName && E->GranteeName == R->GranteeName &&
                E->MetadataClass == R->MetadataClass && E->IsRoleMembership() == R->IsRoleMembership() &&
                (R->IsRoleMembership() || (E->Privileges & R->Privileges) != 0) &&
                (!OptionOnly || E->GrantOption != 0) && (R->Columns.Count() == 0 || E->Columns.Count() > 0))
                Hit.push_back(E);
        for (TGntData* E : Hit) {
            List.Extract(List.IndexOfObject(E));
            Container_->ForgetGrantIndex();
            Container_->ForgetListIndex(TObjsList::olGrants);
            std::unique_ptr<TGntData> Kept(E);
            const std::uint64_t Common = R->IsRoleMembership() ? 0 : E->Privileges & R->Privileges;
            std::vector<std::unique_ptr<TGntData>> Refile;
            if (OptionOnly) {
                auto Plain = CopyGrant(*E);
                Plain->GrantOption = 0;
                if (!R->IsRoleMembership()) {
                    Plain->Privileges = Common;
                    E->Privileges &= ~Common;
                } else {
                    E->Privileges = 0;
                }
                Refile.push_back(std::move(Plain));
            } else if (R->Columns.Count() > 0) {
                auto Rest = CopyGrant(*E);
                Rest->Privileges = E->Privileges & ~Common;
                Rest->Columns.Clear();
                for (int c = 0; c < E->Columns.Count(); ++c)
                    if (R->Columns.IndexOf(E->Columns[c]) < 0) Rest->Columns.Add(E->Columns[c]);
                if (Rest->Columns.Count() > 0) { // the other columns keep the revoked privileges
                    auto Others = CopyGrant(*Rest);
                    Others->Privileges = Common;
                    Refile.push_back(std::move(Others));
                }
                E->Privileges &= ~Common;
            } else {
                E->Privileges = R->IsRoleMembership() ? 0 : E->Privileges & ~Common;
            }
            if (E->Privileges != 0) Refile.push_back(std::move(Kept));
            for (auto& F : Refile)
                if ((F->Privileges != 0 || F->IsRoleMembership()) &&
                    Container_->MergeGrants(F.get()) == F.get())
                    F.release();
        }
    }
}

void TIbParser::ParseGenerator(bool Alter) {
    const std::string Name = NextName();
    // RECREATE defines a filed generator anew; CREATE OR ALTER changes what it states.
    TGnrData* Existing = Container_ ? Container_->FindGenerator(Name) : nullptr;
    std::unique_ptr<TGnrData> Made;
    TGnrData* G = FiledOrNew(Existing, Made, Container_, Name);
    if (!Alter) {
        G->StartValue.clear();
        G->Increment.clear();
    }
    NextToken();
    if (IsFirebird3Or4(ServerVersion())) {
        if (IsWord("RESTART")) NextToken();
        if (IsWord("START")) {
            NextAndExpect(tkWITH);
            NextToken();
            const std::string V = ReadSignedInteger();
            if (V != "0") G->StartValue = V;
        }
        if (IsWord("INCREMENT")) {
            NextToken();
            if (Is(tkBY)) NextToken();
            const std::string V = ReadSignedInteger();
            if (V != "1") G->Increment = V;
        }
    }
    if (LogWanted()) DoLogNextLine("Generator: " + Name);
    EmitStatement(stStatement, Name, Statement_, "", Existing ? odbAlter : odbCreate, dboGenerator);
    if (Made) FileParsed(Made.release(), TObjsList::olGenerators);
}

void TIbParser::ParseCreateRole() {
    const std::string Name = NextName();
    auto R = std::make_unique<TRolData>(Container_);
    R->SetName(Name);
    NextToken();
    EmitStatement(stStatement, Name, Statement_, "", odbCreate, dboRole);
    FileParsed(R.release(), TObjsList::olRoles);
}

void TIbParser::ParseException(TExcData* Existing) {
    const std::string Name = Expect(tkIdent) ? TokenText() : std::string();
    // RECREATE EXCEPTION of a filed exception replaces its message in place.
    if (!Existing && Container_) Existing = Container_->FindException(Name);
    std::unique_ptr<TExcData> Made;
    TExcData* E = FiledOrNew(Existing, Made, Container_, Name);
    if (NextAndExpect(tkString)) E->Message = StringValue_;
    NextToken();
    if (LogWanted()) DoLogNextLine("Exception: " + Name);
    EmitStatement(stStatement, Name, Statement_, "", Existing ? odbAlter : odbCreate, dboException);
    if (Made) FileParsed(Made.release(), TObjsList::olExceptions);
    ExpectAndNext(tkTerminator);
}

void TIbParser::ParseAlterException() {
    const std::string Name = NextName();
    ParseException(Container_ ? Container_->FindException(Name) : nullptr);
}

void TIbParser::ParseDeclareFunction() {
    auto U = std::make_unique<TUdfData>(Container_);
    const std::string Name = NextName();
    U->SetName(Name);
    NextToken();
    while (IsTypeStart()) {
        ParseDataType(U->AddParam(), TTypeUse::tuVariable);
        if (Token_ != tkComma) break;
        NextToken();
    }
    ExpectAndNext(tkRETURNS);
    if (Is(tkPARAMETER)) {
        NextToken();
        std::int64_t N = 0;
        if (Expect(tkInteger) && GetCheckedInt(1, std::numeric_limits<std::int32_t>::max(), false, N))
            U->GetReturnValue()->ReturnsParameter = static_cast<std::int32_t>(N);
        NextToken();
    } else if (IsTypeStart()) {
        ParseDataType(U->GetReturnValue(), TTypeUse::tuVariable);
    }
    if (Is(tkFREE_IT)) {
        U->FreeIt = true;
        NextToken();
    }
    // Up to Firebird 2.5 the words are not examined; from Firebird 3 on they read as identifiers and
    // are accepted in either form.
    const bool Checked = ServerVersion() >= st_Firebird_30;
    auto Clause = [&](int Code, std::string& Value) {
        if (Checked && !Is(Code)) Expect(Code);
        NextToken();
        if (Expect(tkString)) Value = StringValue_;
        NextToken();
    };
    Clause(tkENTRY_POINT, U->EntryPoint);
    Clause(tkMODULE_NAME, U->ModuleName);
    if (LogWanted()) DoLogNextLine("External function: " + Name);
    EmitStatement(stStatement, Name, Statement_, "", odbCreate, dboFunction);
    FileParsed(U.release(), TObjsList::olFunctions);
    ExpectAndNext(tkTerminator);
}

void TIbParser::ParseCreateDomain() {
    const std::string Name = NextName();
    auto D = std::make_unique<TDmnData>(Container_);
    D->SetName(Name);
    NextToken();
    if (Is(tkAS)) NextToken();
    ParseDataType(&D->Type(), TTypeUse::tuDomain);
    if (LogWanted()) DoLogNextLine("Domain: " + Name);
    EmitStatement(stStatement, Name, Statement_, "", odbCreate, dboDomain);
    FileParsed(D.release(), TObjsList::olDomains);
    ExpectAndNext(tkTerminator);
}

void TIbParser::ParseAlterDomain() {
    const std::string Name = NextName();
    TDmnData* D = Container_ && !Name.empty() ? Container_->FindDomain(Name) : nullptr;
    NextToken();
    // The clauses change the domain as the server does; they follow each other without commas.
    while (D && Token_ != tkTerminator && Token_ != tkEOF) {
        TFldData& F = D->Type();
        const std::size_t Before = TokenStart_;
        if (Token_ == tkADD) { // ADD [CONSTRAINT] CHECK (...), the form isql -x writes a check in
            NextToken();
            if (Token_ == tkCONSTRAINT) NextToken();
            if (Token_ != tkCHECK) break;
            const std::size_t ClauseStart = TokenStart_;
            F.CheckText = ReadExpressionSource(&F);
            F.CheckSource = StoredClause(ClauseStart);
        } else if (Token_ == tkTO) { // a new name
            if (!NextAndExpect(tkIdent)) break;
            // The server refuses a name another domain has; the list would drop the renamed one.
            if (TDmnData* Other = Container_->FindDomain(TokenText()); Other && Other != D) {
                Error("Domain already exists: " + TokenText());
                break;
            }
            TStringList& L = Container_->Domains();
            if (const int At = L.IndexOfObject(D); At >= 0) {
                L.Extract(At);
                D->SetName(TokenView());
                L.AddObject(TokenText(), D);
                Container_->ForgetListIndex(TObjsList::olDomains);
            }
            NextToken();
        } else if (Is(tkTYPE)) { // a new type; default, NOT NULL and check stay
            RestateType(F, TTypeUse::tuDomain);
        } else if (Token_ == tkSET || Token_ == tkDROP) {
            const bool Drop = Token_ == tkDROP;
            if (!SetOrDropDefaultOrNotNull(F) && Drop && Token_ == tkCONSTRAINT) { // the check
                F.CheckText.clear();
                F.CheckSource.clear();
                NextToken();
            }
        }
        if (TokenStart_ == Before) break; // a clause not known here: the rest is passed over
    }
    ReportSkipped(stStatement, Name, odbAlter, dboDomain);
}

void TIbParser::ParseAlterDatabase() {
    // SET LINGER TO n and DROP LINGER are kept; SET DEFAULT CHARACTER SET is the database's
    // character set as in CREATE DATABASE; the other forms (files, backup, encryption) describe
    // no object and are passed over with a log line.
    TIBDatabaseOptions& Settings = IBOptions().GetIBDatabaseOptions();
    NextToken();
    const int Verb = Token_;
    if (Verb == tkSET || Verb == tkDROP) NextToken();
    if (Verb == tkSET && IsWord("LINGER")) {
        NextAndExpect(tkTO);
        NextToken();
        std::int64_t V = 0;
        if (Expect(tkInteger) && GetCheckedInt(0, std::numeric_limits<std::int32_t>::max(), false, V))
            Settings.SetLinger(static_cast<int>(V));
    } else if (Verb == tkSET && Token_ == tkDEFAULT) {
        NextAndExpect(tkCHARACTER);
        NextAndExpect(tkSET);
        if (NextAndExpect(tkIdent)) IBOptions().SetDBCharSet(UpperCase(TokenText()));
    } else if (Verb == tkDROP && IsWord("LINGER")) {
        Settings.SetLinger(0);
    } else {
        if (LogWanted()) DoLogNextLine("ALTER DATABASE statement skipped: it describes no object.");
    }
    ReportSkipped(stStatement, "", odbAlter, dboDatabase);
}

void TIbParser::ParseAlterCharacterSet() {
    // CHARACTER SET cs SET DEFAULT COLLATION c: the collation columns of cs take by default.
    NextAndExpect(tkSET);
    const std::string CharSet = NextName();
    NextAndExpect(tkSET);
    NextAndExpect(tkDEFAULT);
    NextToken();
    ExpectWord("COLLATION");
    const std::string Collation = NextName();
    if (!CharSet.empty() && !Collation.empty())
        IBOptions().GetIBDatabaseOptions().SetCharSetCollation(CharSet, Collation);
    NextToken();
    ReportSkipped(stStatement, CharSet, odbAlter, dboDatabase);
}

void TIbParser::ParseAlterSequence() {
    // RESTART WITH n sets the start value the server keeps (a RESTART without WITH keeps it) and
    // INCREMENT [BY] n the step; what the server accepts beyond them is skipped as before.
    const std::string Name = NextName();
    TGnrData* G = Container_ ? Container_->FindGenerator(Name) : nullptr;
    NextToken();
    if (IsWord("RESTART")) {
        NextToken();
        if (Is(tkWITH)) {
            NextToken();
            const std::string V = ReadSignedInteger();
            if (G) G->StartValue = V == "0" ? std::string() : V;
        }
    }
    if (IsWord("INCREMENT")) {
        NextToken();
        if (Is(tkBY)) NextToken();
        const std::string V = ReadSignedInteger();
        if (G) G->Increment = V == "1" ? std::string() : V;
    }
    ReportSkipped(stStatement, Name, odbAlter, dboGenerator);
}

void TIbParser::ParseCollation() {
    ExpectWord("COLLATION");
    const std::string Name = NextName();
    auto C = std::make_unique<TCltData>(Container_);
    C->SetName(Name);
    NextAndExpect(tkFOR);
    if (NextAndExpect(tkIdent)) C->CharSet = TokenText();
    NextToken();
    if (Token_ == tkFROM) {
        NextToken();
        // Read as the server records it: a collation FROM EXTERNAL names that base and takes no
        // attributes of it, one FROM a base takes the base's attributes (and its recorded base).
        if (Is(tkEXTERNAL)) {
            NextAndExpect(tkLParen);
            if (NextAndExpect(tkString)) C->ExternalName = C->BaseCollation = StringValue_;
            NextAndExpect(tkRParen);
            NextToken();
        } else if (Token_ == tkIdent) {
            TDbObj* Base =
                Container_ ? Container_->FindObject(TObjsList::olCollations, TokenText()) : nullptr;
            C->InheritFrom(TokenText(), dynamic_cast<TCltData*>(Base));
            NextToken();
        } else {
            Error("Must be: FROM basecoll | FROM EXTERNAL ('extname')");
        }
        if (Is(tkNO)) {
            NextToken();
            ExpectWord("PAD");
            C->PadSpace = false;
            NextToken();
        } else if (IsWord("PAD")) {
            NextToken();
            ExpectWord("SPACE");
            C->PadSpace = true;
            NextToken();
        }
        auto Sensitivity = [this](bool& Sensitive) {
            NextToken();
            if (IsWord("SENSITIVE") || IsWord("INSENSITIVE")) {
                Sensitive = IsWord("SENSITIVE");
                NextToken();
            } else {
                Error("Must be: SENSITIVE / INSENSITIVE");
            }
        };
        if (Is(tkCASE)) Sensitivity(C->CaseSensitive);
        if (IsWord("ACCENT")) Sensitivity(C->AccentSensitive);
        std::string Own;
        if (Token_ == tkString) {
            Own = StringValue_;
            NextToken();
        }
        C->SpecificAttributes = TCltData::AttributesBeyond(
            C->BaseCollation, TCltData::NormalizedAttributes(C->SpecificAttributes, Own));
    }
    if (LogWanted()) DoLogNextLine("Collation: " + Name);
    EmitStatement(stStatement, Name, Statement_, "", odbCreate, dboCollation);
    FileParsed(C.release(), TObjsList::olCollations);
    SkipTerminator();
}

// =====================================================================================================
// Link passes

/// The table columns that name a domain there is, and (with Normalise) those whose character set
/// is to be normalised, each with its place in the order of the tables' names. The columns are
/// looked at in pieces of the tables, on threads of their own in a large structure (from
/// construction on, while the caller goes on with what writes nothing that they read); every
/// piece only reads.
struct TIbParser::TDomainColumnScan {
    struct TTask {
        TFldData* Column;
        TDmnData* Domain; // the domain to link, if any
        std::uint64_t Key;
        bool Normalise;
    };

    TDomainColumnScan(TObjs& C, bool Normalise) : Objs(C), Tables(C.Tables()), Normalising(Normalise) {
        C.PrepareLookups(TObjsList::olDomains);
        const auto Count = static_cast<std::size_t>(Tables.Count());
        Tasks.resize(ChunkCount(Count));
        Pieces = std::make_unique<TPieceWork>(
            Count, Tasks.size(), [this] { Order = InMemoryOrder(Tables); },
            [this](std::size_t Chunk, std::size_t Begin, std::size_t End) { Scan(Chunk, Begin, End); });
    }
    /// The tasks of every piece, in the order of a single walk.
    const std::vector<std::vector<TTask>>& Wait() {
        Pieces->Wait();
        return Tasks;
    }

private:
    void Scan(std::size_t Chunk, std::size_t Begin, std::size_t End) {
        // The tables in the order they lie in memory. A column's few bytes read here lie on lines
        // of their own: each step below asks for what a later one reads (a table's column list, a
        // column's first line, then its type and name lines), so that the waits overlap.
        auto TableAt = [&](std::size_t p) {
            return p < End ? ObjectAs<TTblData>(Tables.Objects(Order[p])) : nullptr;
        };
        std::vector<std::pair<TObject*, std::uint64_t>> Walk;
        Walk.reserve((End - Begin) * 16);
        for (std::size_t p = Begin; p < End; ++p) {
            if (p + 8 < End) Tables.PrefetchObject(Order[p + 8]);
            if (const TTblData* Ahead = TableAt(p + 4)) __builtin_prefetch(&Ahead->Fields);
            if (const TTblData* Ahead = TableAt(p + 2)) Ahead->Fields.PrefetchItems();
            if (const TTblData* Table = TableAt(p))
                for (int f = 0; f < Table->FieldCount(); ++f)
                    Walk.emplace_back(Table->Fields.Objects(f), static_cast<std::uint64_t>(Order[p]) << 32 |
                                                                    static_cast<std::uint32_t>(f));
        }
        std::vector<TTask>& Found = Tasks[Chunk];
        const std::size_t N = Walk.size();
        for (std::size_t i = 0; i < N; ++i) {
            if (i + 16 < N) __builtin_prefetch(Walk[i + 16].first);
            if (i + 8 < N)
                if (const TFldData* Ahead = ObjectAs<TFldData>(Walk[i + 8].first)) {
                    __builtin_prefetch(&Ahead->DataType);
                    __builtin_prefetch(&Ahead->DomainName);
                    __builtin_prefetch(&Ahead->CollationName);
                }
            TFldData* F = ObjectAs<TFldData>(Walk[i].first);
            if (!F) continue;
            TDmnData* D = F->DataType == DomainDataType ? Objs.FindDomain(F->DomainName) : nullptr;
            // (NormaliseCharSet's own test: most columns name neither.)
            const bool Normalise = Normalising && (!F->CharSetName.empty() || !F->CollationName.empty());
            if (D || Normalise) Found.push_back({F, D, Walk[i].second, Normalise});
        }
    }

    TObjs& Objs;
    const TStringList& Tables;
    const bool Normalising;
    std::vector<int> Order;
    std::vector<std::vector<TTask>> Tasks; // per piece
    std::unique_ptr<TPieceWork> Pieces;    // last: its threads end before the rest goes
};

void TIbParser::LinkObjects() {
    if (!Container_) return;
    // The look-ups of the domain links read only what the passes before them leave as it is (the
    // table and domain lists, the tables' column lists, the columns' type, domain and character-set
    // names): in a large structure they run on other threads alongside those passes.
    TDomainColumnScan Scan(*Container_, true);
    LinkGrantObjects();
    RemoveConstraintIndexes();
    TCustomSQLParser::LinkObjects();
    // The domain links record nothing that a character set decides, and normalising reads no
    // dependency record: the table columns are walked once for both, after the domains' own
    // character sets are normalised.
    NormaliseCharSets(false);
    LinkScannedDomainColumns(Scan);
}

void TIbParser::NormaliseCharSet(TFldData* F) {
    if (F && (!F->CharSetName.empty() || !F->CollationName.empty()))
        F->SetCharSetAndCollation(F->CharSetID, F->CharSetName, F->CollationName, F->CollationID);
}

void TIbParser::NormaliseCharSets(bool TableColumns) {
    TObjs& C = *Container_;
    TStringList& Domains = C.Domains();
    for (int i = 0; i < Domains.Count(); ++i)
        if (auto* D = dynamic_cast<TDmnData*>(Domains.Objects(i))) NormaliseCharSet(&D->Type());
    if (TableColumns) {
        TStringList& Tables = C.Tables();
        for (int t = 0; t < Tables.Count(); ++t)
            if (auto* Table = dynamic_cast<TTblData*>(Tables.Objects(t)))
                for (int f = 0; f < Table->FieldCount(); ++f)
                    NormaliseCharSet(Table->Field(f));
    }
    TStringList& Routines = C.Procedures();
    for (int r = 0; r < Routines.Count(); ++r)
        if (auto* P = dynamic_cast<TPrcData*>(Routines.Objects(r)))
            for (const TStringList* L : {&P->InputParams, &P->OutputParams})
                for (int i = 0; i < L->Count(); ++i)
                    NormaliseCharSet(dynamic_cast<TFldData*>(L->Objects(i)));
}

void TIbParser::LinkGrantObjects() {
    TObjs& C = *Container_;
    TStringList& Grants = C.Grants();
    for (int i = 0; i < Grants.Count(); ++i) {
        auto* G = dynamic_cast<TGntData*>(Grants.Objects(i));
        if (!G || G->CompareKind != TCmpObjType::coGrant) continue;
        const std::string& N = G->GranteeName;
        if (C.FindRole(N))
            G->CompareKind = TCmpObjType::coRoleGrant;
        else if (C.FindTable(N) || C.FindView(N) || C.FindProcedure(N) || C.FindTrigger(N))
            G->CompareKind = TCmpObjType::coObjGrant;
        else
            G->CompareKind = TCmpObjType::coUserGrant;
    }
}

void TIbParser::RemoveConstraintIndexes() {
    TObjs& C = *Container_;
    TStringList& Indices = C.Indices();
    // The indices are looked at in the order they lie in memory (a large structure's would each be
    // a wait of their own in name order), then those to go are removed from the last to the first.
    std::vector<TCtrData*> KeyOf(static_cast<std::size_t>(Indices.Count()));
    const std::vector<int> Order = InMemoryOrder(Indices);
    for (std::size_t p = 0; p < Order.size(); ++p) {
        if (p + 8 < Order.size()) Indices.PrefetchObject(Order[p + 8]);
        const int i = Order[p];
        auto* Index = ObjectAs<TIdxData>(Indices.Objects(i));
        if (!Index) continue;
        auto* Key = dynamic_cast<TCtrData*>(C.FindObject(TObjsList::olConstraints, Index->GetName()));
        if (!Key || Key->GetConstraintType() > ctForeignKey || Key->TableName != Index->TableName ||
            Key->Columns.Text() != Index->Columns.Text())
            continue;
        KeyOf[static_cast<std::size_t>(i)] = Key;
    }
    for (int i = Indices.Count() - 1; i >= 0; --i) {
        TCtrData* Key = KeyOf[static_cast<std::size_t>(i)];
        if (!Key) continue;
        auto* Index = ObjectAs<TIdxData>(Indices.Objects(i));
        if (LogWanted())
            DoLogNextLine("Remove index: " + Index->GetName() + "\r\nfor constraint: " + Key->GetName());
        Indices.Delete(i);
        delete Index;
    }
}

void TIbParser::LinkDomainColumns(bool Normalise) {
    TDomainColumnScan Scan(*Container_, Normalise);
    LinkScannedDomainColumns(Scan);
}

void TIbParser::LinkScannedDomainColumns(TDomainColumnScan& Scan) {
    TObjs& C = *Container_;
    // The links and the normalising of the table columns in the order of a single walk; the
    // domains' UsedBy records are put in the order of the tables' names afterwards.
    std::vector<std::pair<TDependObj*, std::uint64_t>> Made;
    for (const std::vector<TDomainColumnScan::TTask>& Found : Scan.Wait())
        for (const TDomainColumnScan::TTask& T : Found) {
            if (T.Domain)
                if (TDependObj* R = LinkDependObj(T.Column, T.Domain, "")) Made.emplace_back(R, T.Key);
            if (T.Normalise) NormaliseCharSet(T.Column);
        }
    OrderUsedByRecords(Made);
    // A view that uses a domain-typed table column uses the domain too (its record for the column
    // refers to the column object).
    TStringList& Views = C.Views();
    for (int v = 0; v < Views.Count(); ++v) {
        auto* View = dynamic_cast<TDbObj*>(Views.Objects(v));
        if (!View) continue;
        std::vector<TFldData*> Columns;
        for (int r = 0; r < View->GetDependsOn().Count(); ++r) {
            const TDependObj* Rec = View->DependsOnItem(r);
            auto* F = Rec ? ObjectAs<TFldData>(Rec->GetReferenced()) : nullptr;
            if (F && F->DataType == DomainDataType && dynamic_cast<TTblData*>(F->Parent))
                Columns.push_back(F);
        }
        for (TFldData* F : Columns)
            if (TDmnData* D = C.FindDomain(F->DomainName)) LinkDependObj(View, D, F->GetName());
    }
}

} // namespace smx
