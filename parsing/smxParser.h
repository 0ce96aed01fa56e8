// The hand-written scanner and recursive-descent base of every SQL script parser of the suite.
// TCustomParser turns a script (a file or string list) into tokens with exact positions, offers the
// small parsing primitives (expect a token or a word, read a size, copy a parenthesised expression),
// records every problem as a kind-2 message with script, line and column, and hands each recognised
// statement to OnStatement. TCustomSQLParser adds SQL comments, "||", skipping to a set of tokens,
// source excerpts and the dependency linking that runs after a whole script. Parsers never raise on
// bad input; callers judge a run by the absence of kind-2 messages.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/smxDBOptions.h"
#include "foundation/smxMsgMngr.h"
#include "foundation/smxTypes.h"
#include "model/smxClasses.h"
#include "model/smxKeywords.h"
#include "platform/smxStrUtils.h"
#include "platform/smxStringList.h"

namespace smx {

class TCustomParser;
class TFldData;
class TObjs;

// --- Base tokens ------------------------------------------------------------------------------------
// Codes 0..29 are shared by every parser; dialect keywords start at 30.

inline constexpr int tkEOF = 0;
inline constexpr int tkIdent = 1;
inline constexpr int tkFloat = 2;
inline constexpr int tkString = 3;
inline constexpr int tkInteger = 4;
inline constexpr int tkLParen = 5;
inline constexpr int tkRParen = 6;
inline constexpr int tkComma = 7;
inline constexpr int tkMinus = 8;
inline constexpr int tkPlus = 9;
inline constexpr int tkStar = 10;
inline constexpr int tkSlash = 11;
inline constexpr int tkTerminator = 12;
inline constexpr int tkSemicolon = 13; ///< ";" while it is not the terminator
inline constexpr int tkEqual = 14;
inline constexpr int tkDot = 15;
inline constexpr int tkColon = 16;
inline constexpr int tkConcat = 17;
inline constexpr int tkLess = 18;
inline constexpr int tkGreater = 19;
inline constexpr int tkLessEqual = 20;
inline constexpr int tkGreaterEqual = 21;
inline constexpr int tkNotEqual = 22; ///< "<>" and "!="
inline constexpr int tkEqualEqual = 23;
inline constexpr int tkLBracket = 24;
inline constexpr int tkRBracket = 25;
inline constexpr int tkAt = 26;
inline constexpr int tkBackslash = 27;
inline constexpr int tkPercent = 28;
inline constexpr int tkAmpersand = 29;
inline constexpr int BaseTokenCount = 30;

/// The base tokens with their display names, by code. The names never match an identifier.
inline constexpr std::array<TResWordSymb, BaseTokenCount> BaseTokens = {{{"<EOF>", 0},
                                                                         {"<Ident>", 1},
                                                                         {"<Float value>", 2},
                                                                         {"<String value>", 3},
                                                                         {"<Integer value>", 4},
                                                                         {"<(>", 5},
                                                                         {"<)>", 6},
                                                                         {"<,>", 7},
                                                                         {"<->", 8},
                                                                         {"<+>", 9},
                                                                         {"<*>", 10},
                                                                         {"</>", 11},
                                                                         {"<Terminator>", 12},
                                                                         {"<;>", 13},
                                                                         {"<=>", 14},
                                                                         {"<.>", 15},
                                                                         {"<:>", 16},
                                                                         {"<||>", 17},
                                                                         {"\"<\"", 18},
                                                                         {"\">\"", 19},
                                                                         {"\"<=\"", 20},
                                                                         {"\">=\"", 21},
                                                                         {"[<>]", 22},
                                                                         {"<==>", 23},
                                                                         {"<[>", 24},
                                                                         {"<]>", 25},
                                                                         {"<@>", 26},
                                                                         {"\\", 27},
                                                                         {"%", 28},
                                                                         {"<&>", 29}}};

/// A set of schema object kinds (bit n for ordinal n).
using TDbObjectKinds = std::bitset<DbObjectCount>;
/// The set holding the given kinds.
TDbObjectKinds MakeDbObjectKinds(std::initializer_list<TDbObject> Kinds);

/// The parser's statement event: the statement's exact text (trimmed, without its terminator), the
/// statement object the handler may hand back, and what the statement does to which object.
using TParserStatementEvent = std::function<void(
    TObject* Sender, const std::string& StatementText, TStatement*& Statement, const std::string& ParentName,
    TDbOperation Operation, TDbObject ObjKind, const std::string& ObjName, TStatType StatType)>;

// --- Script files -----------------------------------------------------------------------------------

/// How reading a script file ended.
enum class TFileReadStatus : std::uint8_t { frOk, frNotFound, frNotRegular, frUnreadable };

/// Reads a whole file into Bytes. Only regular files are read (a directory, FIFO or device is
/// refused before anything is read, so nothing blocks).
TFileReadStatus ReadScriptFile(const std::string& FileName, std::string& Bytes);

/// Replaces how parsers read script files (the fuzzer reads none); an empty hook reads the disk.
using TReadFileHook = std::function<TFileReadStatus(const std::string& FileName, std::string& Bytes)>;

/// The bytes of a script file as parser text (UTF-8): a UTF-8 byte-order mark is dropped; a file
/// starting FF FE is UTF-16 little-endian and converted (an odd last byte dropped, a lone surrogate
/// becoming U+FFFD); anything else is taken as it stands.
std::string DecodeScriptBytes(std::string_view Bytes);

// --- Keyword list -----------------------------------------------------------------------------------

/// The vocabulary of a parser: keyword texts with their token codes, sorted case-insensitively,
/// repeated words ignored (the first code stays). Lookups hash the upper-cased word. A list built
/// from constant tables only shares its prepared index with every list built from the same tables,
/// so making a parser costs no sorting.
class TResWordList {
public:
    /// Adds a word (the text is copied); a word already present (any case) is ignored.
    void AddWord(std::string_view Text, std::int32_t Token);
    /// Adds a table of words whose texts live as long as the program (constant tables).
    void AddWords(std::span<const TResWordSymb> Words);
    int Count() const;
    /// Entry Index in sorted order.
    std::string Strings(int Index) const;
    /// Token code of entry Index in sorted order.
    std::int32_t GetToken(int Index) const;
    /// The text of the last entry in sorted order carrying Code (so of two synonyms the
    /// alphabetically later one); "<???>" when no entry carries it.
    std::string TokenName(std::int32_t Code) const;
    /// Code of an upper-case word; -1 when it is no entry.
    std::int32_t Find(std::string_view UpperWord) const;

    /// A word prepared for look-up in constant time: its first and last eight bytes upper-cased
    /// (ASCII; zero-filled when shorter) and the key hash made of them and the length.
    struct TWordKey {
        const char* Text = nullptr; ///< the word as written
        std::size_t Length = 0;
        std::uint64_t Head = 0;
        std::uint64_t Tail = 0;
        std::uint32_t Hash = 0;
    };
    /// The key of the Length bytes at Text; Readable (at least Length) bytes may be read from Text.
    static TWordKey MakeKey(const char* Text, std::size_t Length, std::size_t Readable);
    /// Code of the word of Key (ASCII, any case); -1 when it is no entry.
    std::int32_t Find(const TWordKey& Key) const;
    void Clear();

    struct Index; // the sorted entries with their hash slots and display names

private:
    friend class TCustomParser; // the scanner looks words up without a call
    const Index& Prepared() const;

    std::vector<std::span<const TResWordSymb>> chunks_; // in the order added
    std::deque<std::string> ownTexts_;                  // texts of AddWord (stable addresses)
    std::deque<TResWordSymb> ownWords_;
    mutable std::shared_ptr<const Index> index_;
};

// --- Parse context ----------------------------------------------------------------------------------

/// Everything the scanner is at: position, line, current character and the current token.
struct TScanPosition {
    std::size_t Pos = 0;
    char Ch = 0;
    int Line = 1;
    std::size_t LineStart = 0;
    int Token = tkEOF;
    std::size_t TokenStart = 0;
    std::string TokenText;
    bool TokenInSource = false;
    std::size_t TokenOffset = 0;
    std::size_t TokenLength = 0;
    std::string StringValue;
    char QuoteChar = 0;
    std::uint64_t IntValue = 0;
    bool IntOverflow = false;
    double FloatValue = 0;
    int RawKeyword = 0;
    bool Halted = false;
};

/// A saved scanner position of its parser (taken at construction; Restore goes back to it), plus
/// the table names and aliases of a FROM clause when the body parser pushes it as a FROM context.
class TParseContext : public TObject {
public:
    explicit TParseContext(TCustomParser& Parser);
    SMX_CLASSNAME(TParseContext)

    /// Puts the parser back where it was when this context was made.
    void Restore();

    TStringList TableNames; ///< table names of a FROM context, index for index with Aliases
    TStringList Aliases;
    bool IsFrom = false;

private:
    TCustomParser& Parser_;
    TScanPosition Saved_;
};

// --- TCustomParser ----------------------------------------------------------------------------------

/// Scanner and parsing primitives. Positions: LineNo counts from 1 and ColumnNo is a 1-based byte
/// column. An error points at the first character of the token it is about (the current token),
/// in its record and after "Pos:" in its position text. Every line break (CR LF, LF, lone CR) ends
/// one line and belongs to the line it ends.
class TCustomParser : public TObject {
public:
    /// Registers the base tokens; progress on, log flags 0, terminator ";"; the container is that of
    /// the owner's structure, if any.
    explicit TCustomParser(TCustomExtract* AOwner = nullptr);
    TCustomParser(const TCustomParser&) = delete;
    TCustomParser& operator=(const TCustomParser&) = delete;
    ~TCustomParser() override;
    SMX_CLASSNAME(TCustomParser)

    /// Parses the whole file into Container. A file that cannot be read records "File not found: ",
    /// "Not a regular file: " or "Cannot read file: " + name (kind 2) and parses nothing. The
    /// script name becomes FileName.
    virtual void ParseFile(const std::string& FileName, TObjs* Container);
    /// Parses the lines (joined with CR LF) into Container.
    virtual void ParseScript(const TStringList& Lines, TObjs* Container);
    /// Stores the type and passes it to the container.
    virtual void SetDatabaseType(TDatabaseType Value);
    /// Files a parsed object: through the owner's accept rules, else into the container; with
    /// neither, or when refused, the object is freed if FreeIfRefused. True when filed.
    virtual bool AddParsedObject(TDbObj* Obj, bool FreeIfRefused);
    /// Runs the dependency passes after every file is parsed (nothing in the base).
    virtual void LinkObjects() {}

    /// Marks of PlainStarts_: a number or a word read alone.
    static constexpr std::uint8_t psNumber = 0xFE;
    static constexpr std::uint8_t psWord = 0xFF;

    /// Advances to the next token.
    void NextToken();
    /// True when the token is Code; else records "Missing: <expected> (<found>)". A "+" or "-"
    /// before an expected number is taken into the number's literal text.
    bool Expect(int Code) { return Token_ == Code || ExpectOther(Code); }
    bool ExpectAndNext(int Code) {
        const bool Ok = Expect(Code);
        NextToken();
        return Ok;
    }
    bool NextAndExpect(int Code) {
        NextToken();
        return Expect(Code);
    }
    /// True when the token is an identifier whose text equals Word (ASCII, any case).
    bool IsWord(std::string_view Word) const { return Token_ == tkIdent && SameText(TokenView(), Word); }
    /// IsWord, else records "Must be: " + Word upper-cased.
    bool ExpectWord(std::string_view Word);
    /// "(" length ["," scale] ")" into the column's length (and precision) and scale; without "("
    /// length 9 and scale 0.
    void ParseTypeSize(TFldData* Column);
    /// Copies the parenthesised expression that starts at the current character (literals and
    /// comments copied whole, their parentheses not counted) and moves past it.
    void ReadExpression(std::string& Text);
    /// Moves past the current line and its line break.
    void SkipLine();
    /// The current character after moving one character on (NUL at the end of the text).
    char NextChar();
    /// The character after the current one; PeekNextChar the one after that (NUL past the end).
    char PeekChar() const { return At(Pos_ + 1); }
    char PeekNextChar() const { return At(Pos_ + 2); }

    /// Records a kind-2 message at the current token's first character; the first error of the list
    /// also goes to DoErrorMessage with the position text.
    virtual void Error(const std::string& Text);
    /// Records a kind-1 message at the scanner's position (no event).
    void Warning(const std::string& Text);
    /// CR LF + "Script: " name " Line:" line " Pos:" column + CR LF, for the current token's first
    /// character.
    std::string GetPositionText() const {
        const auto [Line, Column] = GetTokenPosition();
        return PositionText(Line, Column);
    }
    virtual std::string GetTokenName(int Code) const;
    virtual std::string GetDefaultTerminator() const { return ";"; }
    virtual std::string MakeComment(std::string_view Text) const;

    /// Records that Dependent needs Needed (on its column FieldName when given), once; a view that
    /// needs a table's column also needs the domains of that table's columns. The result is the
    /// record made in the needed object's UsedBy (nullptr when none was made; a view's records
    /// for domains are not counted).
    TDependObj* LinkDependObj(TDbObj* Dependent, TDbObj* Needed, std::string_view FieldName);
    /// LinkDependObj for a caller that has looked the column up already: Target is what
    /// AddDependency records on, Needed's column FieldName (nullptr when Needed lacks it) for a
    /// table or view with a field name, else Needed itself.
    TDependObj* LinkDependObjTo(TDbObj* Dependent, TDbObj* Needed, TDbObj* Target,
                                std::string_view FieldName);
    /// Looks Name up among the given kinds (table, view, procedure, trigger, generator, index,
    /// exception, domain, external function; a rule or default wins over these) and records the
    /// first hit. InterBase "RDB$" names and the dependent itself are skipped.
    void LinkDepend(TDbObj* Dependent, std::string_view Name, TDbObjectKinds Kinds);

    const std::string& GetTerminator() const { return Terminator_; }
    /// Sets the statement terminator (SET TERM checks its text before it gets here).
    void SetTerminator(std::string_view Value) { Terminator_ = Value; }
    TDatabaseType GetDatabaseType() const { return DatabaseType_; }
    TCustomExtract* GetOwner() const { return Owner_; }
    TObjs* GetContainer() const { return Container_; }
    TMsgManager& GetMsgManager() { return MsgManager_; }
    const TMsgManager& GetMsgManager() const { return MsgManager_; }
    TResWordList& GetKeywords() { return Keywords_; }
    const std::string& GetScriptName() const { return ScriptName_; }
    void SetScriptName(std::string_view Value) { ScriptName_ = Value; }
    bool GetProgress() const { return Progress_; }
    void SetProgress(bool Value) { Progress_ = Value; }
    /// 1 trace tokens, 2 log comments, 4 log expressions.
    int GetLogFlags() const { return LogFlags_; }
    void SetLogFlags(int Value) { LogFlags_ = Value; }

    int GetToken() const { return Token_; }
    const std::string& GetTokenText() const { return TokenText(); }
    const std::string& GetStringValue() const { return StringValue_; }
    char GetQuoteChar() const { return QuoteChar_; }
    /// Unsigned magnitude of the last number (exponent forms scaled); see GetIntOverflow.
    std::uint64_t GetIntValue() const { return IntValue_; }
    /// True when the last number's magnitude does not fit 64 bits (its text is kept).
    bool GetIntOverflow() const { return IntOverflow_; }
    double GetFloatValue() const { return FloatValue_; }
    std::size_t GetTokenStart() const { return TokenStart_; }
    int GetLineNo() const { return Line_; }
    /// 1-based byte column of the current character.
    int GetColumnNo() const { return static_cast<int>(Pos_ - LineStart_) + 1; }
    /// Line and 1-based byte column of the current token's first character (the end of the text
    /// for <EOF>).
    std::pair<int, int> GetTokenPosition() const;
    int GetTotalLines() const { return TotalLines_; }
    /// The text being parsed (empty outside a run).
    const std::string& GetSource() const { return Source_; }
    /// True when the last run's loop ended at the end of the text (not at an invalid character or
    /// a stop).
    bool GetReachedEnd() const { return ReachedEnd_; }
    /// Passes of the statement loop that consumed nothing (the loop then skips a token); always 0
    /// unless a statement routine is faulty.
    int GetStalledPasses() const { return StalledPasses_; }
    /// Statements the last ParseFile or ParseScript began, those of its INPUT files included (empty
    /// statements and isql settings such as SET TERM not counted; the base loop counts tokens): 0 for
    /// a text of blanks, comments and settings only.
    int GetStatementCount() const { return StatementCount_; }

    TErrorMessageEvent OnErrorMessage;
    TLogNextLineEvent OnLogNextLine;
    TLogNextLineEvent OnDebugMessage;
    TProgressUpdateEvent OnProgressUpdate;
    TParserStatementEvent OnStatement;
    /// How script files are read (ParseFile and INPUT); empty reads the disk.
    TReadFileHook ReadFileHook;

protected:
    friend class TParseContext;

    // Events with fallbacks.
    /// OnProgressUpdate (else the container's extractor's) when the progress flag is on.
    virtual void DoProgressUpdate(int Value, int MaxValue);
    /// OnLogNextLine, else the container's extractor's.
    virtual void DoLogNextLine(const std::string& Text);
    /// True when DoLogNextLine has a handler to pass a line to: costly log texts are only composed then.
    bool LogWanted() const;
    /// OnErrorMessage, else a message box with "Error: " + Text.
    virtual void DoErrorMessage(const std::string& Text);
    virtual void DoDebugMessage(const std::string& Text);
    /// OnStatement with the statement's text and what it does (called while OnStatement is assigned).
    virtual void DoStatement(const std::string& Text, TStatement*& Statement, const std::string& ParentName,
                             TDbOperation Operation, TDbObject ObjKind, const std::string& ObjName,
                             TStatType StatType);
    /// Reports the statement running from the statement start to the current token (trimmed); the
    /// text is composed only when OnStatement is assigned (a script extraction has no use for it).
    virtual void EmitStatement(TStatType StatType, const std::string& ObjName, TStatement*& Statement,
                               const std::string& ParentName, TDbOperation Operation, TDbObject ObjKind);

    // Scanner hooks, one call per token.
    /// Registers the vocabulary (base: the 30 base tokens).
    virtual void RegisterKeywords();
    /// Scans one token at the current (non-blank) character.
    virtual void ScanToken();
    /// Skips every blank up to the next token (the SQL layer: blanks and comments); true when it
    /// skipped any. NextToken asks only where a character of SkipStarts_ stands.
    virtual bool SkipBlanks();
    /// The token of a word that the vocabulary holds as keyword Code (base: Code). A dialect returns
    /// tkIdent for a keyword its server version does not reserve.
    virtual int KeywordToken(int Code) { return Code; }
    /// Checks the identifier a word scan just read when it is longer than NameCheckFrom_ bytes
    /// (base: nothing).
    virtual void CheckNameLength() {}
    /// True (token: terminator) when the terminator stands at the current character. The scanners
    /// ask only where the terminator's first character stands (AtTerminatorStart).
    virtual bool CheckTerminator();
    bool AtTerminatorStart() const {
        // Source_[Source_.size()] and Terminator_[0] of an empty terminator are NUL.
        return Source_[Pos_] == Terminator_[0] && !Terminator_.empty() && Pos_ < Source_.size();
    }
    /// Clears the token text and passes over blanks (no comments) up to the token.
    void StartToken();
    /// The statement loop (base: reads tokens to the end).
    virtual void ParseStatements();
    /// Parses the text of a file that was read already (ParseFile after reading, INPUT).
    virtual void ParseLoadedFile(const std::string& FileName, std::string Text);
    /// The position text for a position (descendants add context).
    virtual std::string PositionText(int Line, int Column) const;

    /// Records a kind-2 message at a given position (an opening delimiter, an INPUT statement).
    void ErrorAt(const std::string& Text, int Line, int Column);
    /// Reads a number at the current character (a digit, or "." before a digit).
    void ReadNumber();
    /// Reads the quoted text at the current character into Value (doubled quotes collapsed).
    void ReadString(std::string& Value);
    /// Reads the identifier characters at the current character into the token text.
    void ReadIdent();
    /// Reads the word at the current character (a letter): an identifier, upper-cased, or a keyword
    /// as written.
    void ReadWord();
    /// ReadWord's body, inlined into NextToken's lane for plain tokens.
    void ScanWord();
    /// Stores the identifier just scanned upper-cased (UpperHead and UpperTail: its first and last
    /// eight bytes upper-cased), for one not written in upper case or longer than 16 bytes.
    void StoreUpperIdent(std::uint64_t UpperHead, std::uint64_t UpperTail);
    /// A scan that read nothing: reports the deadlock and moves one character on.
    void StepOverStall();
    /// Expect where the token is not Code: a signed number, else the message.
    bool ExpectOther(int Code);
    /// Copies the token's source bytes into TokenText_.
    void CopyTokenText() const;
    /// Traces the token just read (log flag 1).
    void LogToken();
    /// The value of the last integer literal (with Negative applied) when it lies within
    /// [Min, Max]; else records "Integer value out of range: " + its text and returns false.
    bool GetCheckedInt(std::int64_t Min, std::int64_t Max, bool Negative, std::int64_t& Value);
    /// At "(": reads "(n)", or with Second also "(n, m)", straight from the text when it has the plain
    /// form (unsigned numbers of at most nine digits without a leading zero, spaces only, no
    /// terminator character among them), and moves on to the token after ")" as reading it token by
    /// token would. False, nothing read, for any other form.
    bool ReadPlainSize(std::int32_t& First, std::int32_t* Second);
    /// Makes Text the source and puts the scanner on its first character.
    void LoadText(std::string Text);
    /// Drops the text after a run.
    void ReleaseText();
    /// Loads a file's bytes (through ReadFileHook when set); false with the message text when it
    /// cannot be read.
    bool ReadFileText(const std::string& FileName, std::string& Text, std::string& Problem);
    /// A name that identifies the file on disk whatever path reached it (the name itself with a
    /// read hook).
    std::string CanonicalFileName(const std::string& FileName) const;

    /// The current token's text (a word's text is copied out of the source only when asked for).
    const std::string& TokenText() const {
        if (TokenInSource_) [[unlikely]]
            CopyTokenText();
        return TokenText_;
    }
    /// The current token's text without a copy; valid until the next token.
    std::string_view TokenView() const {
        return TokenInSource_ ? std::string_view(Source_.data() + TokenOffset_, TokenLength_)
                              : std::string_view(TokenText_);
    }
    /// Replaces the current token's text.
    void SetTokenText(std::string_view Text) {
        TokenInSource_ = false;
        TokenText_.assign(Text);
    }

    TScanPosition SavePosition() const;
    void RestorePosition(const TScanPosition& Position);

    // Character access.
    bool AtEnd() const { return Pos_ >= Source_.size(); }
    char At(std::size_t Index) const { return Index < Source_.size() ? Source_[Index] : '\0'; }
    /// Moves one character on, counting line breaks.
    void Step();
    /// Moves to Target (not before the current position), counting line breaks on the way.
    void MoveTo(std::size_t Target);
    /// A line break was passed.
    void NewLine();
    /// Moves past the current character, which is no line break.
    void SkipChar() {
        ++Pos_;
        Ch_ = Source_[Pos_] == '\x1A' ? ' ' : Source_[Pos_];
    }
    /// The index after the run of blanks at P (lines counted on the way); P when none is there.
    std::size_t SkipBlankRun(std::size_t P);
    /// True when C starts a word (an ASCII letter).
    static constexpr bool IsWordStart(char C) {
        return static_cast<unsigned char>((C | 0x20) - 'a') < 26;
    }

    TCustomExtract* Owner_ = nullptr;
    std::string Terminator_ = ";";
    TDatabaseType DatabaseType_ = TDatabaseType::dbAbstract;
    bool Progress_ = true;
    bool ProgressActive_ = false; // progress events go somewhere during this run
    std::string Source_;
    std::size_t Pos_ = 0; // index of the current character; Source_.size() at the end
    char Ch_ = 0;         // current character (NUL at the end; 0x1A reads as a blank)
    int TotalLines_ = 0;  // line breaks of the source
    int Line_ = 1;
    std::size_t LineStart_ = 0; // index of the first character of the current line
    std::vector<std::unique_ptr<TParseContext>> FromContexts_;
    int Token_ = tkEOF;
    std::size_t TokenStart_ = 0;
    std::size_t StatementStart_ = 0;
    const bool* SkipStarts_ = nullptr; // 256 flags: the characters SkipBlanks may skip from
    /// A dialect's plain token starts, 256 entries: for a character other than the terminator's first,
    /// the one-character token it always is, psNumber for a number ReadNumber reads alone, psWord
    /// for a word ReadWord reads alone (then CheckNameLength); 0 where ScanToken must look. NextToken
    /// reads plain tokens without calling ScanToken. nullptr: every token goes through ScanToken.
    const std::uint8_t* PlainStarts_ = nullptr;
    std::size_t NameCheckFrom_ = static_cast<std::size_t>(-1); // see CheckNameLength
    /// The keyword filter a dialect's KeywordToken leaves for the words after it, applied without a
    /// call: while the container is Container and Options holds Version, a keyword not in *Kept reads
    /// as an identifier, any other as itself. Unset (Options nullptr) for each text loaded.
    struct TKeywordFilter {
        const TObjs* Container = nullptr;
        const TIBServerOptions* Options = nullptr;
        TIBSQLServerVersionType Version{};
        const TTokenSet* Kept = nullptr;
    };
    TKeywordFilter KeywordFilter_;
    std::string ScriptName_;
    // The token's text: the TokenLength_ source bytes at TokenOffset_ while TokenInSource_ (a word
    // whose text is its source as written), else TokenText_.
    mutable std::string TokenText_;
    mutable bool TokenInSource_ = false;
    std::size_t TokenOffset_ = 0;
    std::size_t TokenLength_ = 0;
    std::uint64_t IntValue_ = 0;
    bool IntOverflow_ = false;
    std::string StringValue_;
    char QuoteChar_ = 0;
    double FloatValue_ = 0;
    int RawKeyword_ = 0;                   // an identifier's keyword code before any version filter
    bool Halted_ = false;                  // an invalid character ended the scan
    int Quiet_ = 0;                        // while > 0, errors of a look-ahead are not recorded
    bool SuppressFirstErrorEvent_ = false; // an including parser already showed its first error
    bool ReachedEnd_ = false;
    int StalledPasses_ = 0;
    int StatementCount_ = 0;
    TMsgManager MsgManager_;
    TResWordList Keywords_;
    int LogFlags_ = 0;
    TObjs* Container_ = nullptr;
};

// --- TCustomSQLParser -------------------------------------------------------------------------------

/// The SQL layer: "--" and "/* */" comments, "||", skipping to a set of tokens, source excerpts,
/// connection options read from CONNECT, and the dependency passes after a script.
class TCustomSQLParser : public TCustomParser {
public:
    explicit TCustomSQLParser(TCustomExtract* AOwner = nullptr);
    ~TCustomSQLParser() override;
    SMX_CLASSNAME(TCustomSQLParser)

    /// Parses the lines, then the container's connection options take the parser's.
    void ParseScript(const TStringList& Lines, TObjs* Container) override;
    /// Re-sorts the grants, then links indices, constraints, foreign keys, grants and user roles.
    void LinkObjects() override;

    /// NextToken until the token is in Tokens (the current token is tested first).
    void SkipToTokens(const TTokenSet& Tokens);
    /// The trimmed source from Start up to the current token.
    std::string GetSourceText(std::size_t Start) const;
    /// The stored form of the current identifier (here its text).
    virtual std::string GetIdentName() const { return TokenText(); }
    /// Records what Obj's body needs for a column reference (through the FROM contexts).
    virtual void LinkFieldDepend(TDbObj* Obj, std::string_view Alias, std::string_view Column);
    /// Analyses a stored body; nothing here (the body parser fills it).
    virtual void ParseBody(TDbObj* Obj) { (void)Obj; }
    virtual void ParseObjectBody(TDbObj* Obj) { (void)Obj; }

    TConnectionOptions& GetConnectionOptions() { return ConnectionOptions_; }
    const std::string& GetLastComment() const { return LastComment_; }
    TStringList& GetLocalNames() { return LocalNames_; }

protected:
    void ScanToken() override;
    bool SkipBlanks() override;
    /// SkipBlanks from P on (the blanks from From to P skipped already); true when it ends after From.
    bool SkipBlanksAndComments(std::size_t From, std::size_t P);
    /// Reads the comment at the current character ("/*" to "*/", "--" to the line end);
    /// an unclosed "/*" records "Unterminated comment" at its start.
    virtual void ReadComment();

    // Dependency passes of LinkObjects.
    /// Each index depends on its table and on each of its columns that the table holds.
    virtual void LinkIndexes();
    /// Each constraint depends on its table and columns; a foreign key also on the referenced
    /// table and its columns.
    virtual void LinkConstraints();
    /// Each foreign key depends on the key it hangs on (FindReferencedKey): the referenced table's
    /// key with its referenced columns, or its primary key when it names no columns.
    virtual void LinkForeignKeys();
    /// What the index, constraint and foreign-key links look up, found ahead (see LinkObjects).
    struct TLinkFinding;
    /// LinkConstraints and LinkForeignKeys with the look-ups of a finding of their kind.
    void LinkConstraintsFound(TLinkFinding& Finding);
    void LinkForeignKeysFound(TLinkFinding& Finding);
    /// Each grant depends on its object and its grantee.
    virtual void LinkGrants();
    /// Each user depends on the login it is made for.
    virtual void LinkUserRoles();

    TConnectionOptions ConnectionOptions_;
    std::string LastComment_;
    TStringList LocalNames_;
};

/// Installs the factory behind TSQLExec::CreateParser (a TCustomSQLParser without owner). Runs at
/// start-up in every program that links this unit; calling it again does no harm.
void InstallSQLParserFactory();

} // namespace smx
