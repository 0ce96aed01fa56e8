// The scanner, the parsing primitives and the SQL layer of the parser framework. The scanner works on
// the whole text in memory, one pass: runs of identifier characters, literals, comments and blanks
// are consumed in tight loops, line breaks are counted as they are passed, and keywords are found by
// hashing. Nothing here raises on bad input: every problem becomes a kind-2 message with a position.
#include "parsing/smxParser.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/smxComp_Ctr.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Viw.h"
#include "model/smxDBStructure.h"
#include "model/smxSQL_Exec.h"
#include "platform/smxParallel.h"
#include "platform/smxStrUtils.h"
#include "platform/smxUIHooks.h"

namespace smx {

namespace {

// Character classes of the scanner, one table look-up per character.
enum : std::uint8_t { ccBlank = 1, ccDigit = 2, ccLetter = 4, ccIdent = 8 };

constexpr std::array<std::uint8_t, 256> MakeCharClasses() {
    std::array<std::uint8_t, 256> T{};
    for (const char C : {' ', '\t', '\n', '\r', '\x1A'})
        T[static_cast<unsigned char>(C)] = ccBlank;
    for (int C = '0'; C <= '9'; ++C)
        T[static_cast<std::size_t>(C)] = ccDigit | ccIdent;
    for (int C = 'A'; C <= 'Z'; ++C) {
        T[static_cast<std::size_t>(C)] = ccLetter | ccIdent;
        T[static_cast<std::size_t>(C - 'A' + 'a')] = ccLetter | ccIdent;
    }
    T['_'] = T['$'] = ccIdent;
    return T;
}
constexpr std::array<std::uint8_t, 256> CharClasses = MakeCharClasses();

/// Flags of the characters a skip starts from: the blanks, and for the SQL layer the comment starts.
constexpr std::array<bool, 256> MakeSkipStarts(bool Comments) {
    std::array<bool, 256> T{};
    for (std::size_t C = 0; C < T.size(); ++C)
        T[C] = (CharClasses[C] & ccBlank) != 0;
    if (Comments) T['-'] = T['/'] = true;
    return T;
}
constexpr std::array<bool, 256> BlankStarts = MakeSkipStarts(false);
constexpr std::array<bool, 256> SQLSkipStarts = MakeSkipStarts(true);

constexpr std::uint8_t ClassOf(char C) {
    return CharClasses[static_cast<unsigned char>(C)];
}
constexpr bool IsBlankChar(char C) {
    return (ClassOf(C) & ccBlank) != 0;
}
constexpr bool IsDigitChar(char C) {
    return (ClassOf(C) & ccDigit) != 0;
}
constexpr bool IsIdentChar(char C) {
    return (ClassOf(C) & ccIdent) != 0;
}
/// 0x1A (the old end-of-file mark) reads as a blank.
constexpr char MapChar(char C) {
    return C == '\x1A' ? ' ' : C;
}

/// A character for a message: printable ASCII as it is, anything else as "#" + its code.
std::string CharForMessage(char C) {
    const auto U = static_cast<unsigned char>(C);
    if (U > 32 && U < 127) return std::string(1, C);
    return "#" + std::to_string(U);
}

constexpr std::uint64_t Ones8 = 0x0101010101010101ull;

/// The eight bytes at P in memory order (any alignment).
std::uint64_t Load8(const char* P) {
    std::uint64_t W;
    std::memcpy(&W, P, sizeof W);
    return W;
}

/// The index after the runs of eight spaces at P in the text S of Size bytes (a line's indentation,
/// taken a word at a time); P when none starts there.
std::size_t SkipIndent(const char* S, std::size_t P, std::size_t Size) {
    while (P + 8 <= Size && Load8(S + P) == ' ' * Ones8)
        P += 8;
    return P;
}

/// True when one of the eight bytes of X is below 14 (taken as unsigned).
constexpr bool HasByteBelow14(std::uint64_t X) {
    return ((X - 14 * Ones8) & ~X & (0x80 * Ones8)) != 0;
}
static_assert(HasByteBelow14(0x20200D2020202020ull) && !HasByteBelow14(0x2020FF0E20202020ull));

/// Upper-cases the ASCII letters among eight bytes at once; other bytes stay as they are.
constexpr std::uint64_t UpCase8(std::uint64_t X) {
    const std::uint64_t Low = X & (0x7F * Ones8);               // every byte below 0x80: no carries
    const std::uint64_t FromA = Low + (0x80 - 'a') * Ones8;     // bit 7: byte >= 'a'
    const std::uint64_t PastZ = Low + (0x80 - 'z' - 1) * Ones8; // bit 7: byte > 'z'
    const std::uint64_t Lower = FromA & ~PastZ & ~X & (0x80 * Ones8);
    return X - (Lower >> 2); // 0x80 >> 2 is the case bit
}
static_assert(UpCase8(0x7B7A61604139305Full) == 0x7B5A41604139305Full);

void AppendUtf8(std::string& Out, std::uint32_t Cp) {
    if (Cp < 0x80) {
        Out += static_cast<char>(Cp);
    } else if (Cp < 0x800) {
        Out += static_cast<char>(0xC0 | (Cp >> 6));
        Out += static_cast<char>(0x80 | (Cp & 0x3F));
    } else if (Cp < 0x10000) {
        Out += static_cast<char>(0xE0 | (Cp >> 12));
        Out += static_cast<char>(0x80 | ((Cp >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (Cp & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | (Cp >> 18));
        Out += static_cast<char>(0x80 | ((Cp >> 12) & 0x3F));
        Out += static_cast<char>(0x80 | ((Cp >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (Cp & 0x3F));
    }
}

/// The LF bytes of a text, sixteen bytes at a time (a script has one every few dozen bytes, too
/// many for a memchr call each).
std::size_t CountLineFeeds(std::string_view Text) {
    using TBytes = unsigned char __attribute__((vector_size(16)));
    const TBytes LF = TBytes{} + '\n';
    const char* const S = Text.data();
    const std::size_t Size = Text.size();
    std::size_t N = 0, i = 0;
    while (Size - i >= 16) {
        // Each lane counts up to 255 matches before the lanes are added up.
        const std::size_t Blocks = std::min<std::size_t>((Size - i) / 16, 255);
        TBytes Lanes{};
        for (std::size_t b = 0; b < Blocks; ++b, i += 16) {
            TBytes X;
            std::memcpy(&X, S + i, sizeof X);
            Lanes -= reinterpret_cast<TBytes>(X == LF); // a match is all ones: one more
        }
        for (int k = 0; k < 16; ++k)
            N += static_cast<unsigned char>(Lanes[k]);
    }
    for (; i < Size; ++i)
        N += S[i] == '\n';
    return N;
}

/// Line breaks of a text: CR LF, LF and a lone CR count one each (every LF, and every CR that no
/// LF follows; memchr finds the few CRs much faster than a look at each byte).
int CountLineBreaks(std::string_view Text) {
    const char* const B = Text.data();
    const char* const E = B + Text.size();
    int N = static_cast<int>(CountLineFeeds(Text));
    for (const char* P = B; P < E; ++P) {
        P = static_cast<const char*>(std::memchr(P, '\r', static_cast<std::size_t>(E - P)));
        if (!P) break;
        if (P + 1 == E || P[1] != '\n') ++N;
    }
    return N;
}

} // namespace

TDbObjectKinds MakeDbObjectKinds(std::initializer_list<TDbObject> Kinds) {
    TDbObjectKinds S;
    for (TDbObject K : Kinds)
        S.set(static_cast<std::size_t>(K));
    return S;
}

// =====================================================================================================
// Script files

namespace {

/// Asks for huge pages behind the whole 2 MiB pages of a large buffer not yet written: a large
/// script's bytes then take a few hundred times fewer page faults (only advice; nothing changes
/// where it is not followed).
void AdviseHugePages(const char* Data, std::size_t Bytes) {
#if defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t Huge = std::uintptr_t{2} << 20;
    const auto From = (reinterpret_cast<std::uintptr_t>(Data) + Huge - 1) & ~(Huge - 1);
    const auto To = (reinterpret_cast<std::uintptr_t>(Data) + Bytes) & ~(Huge - 1);
    if (To > From) ::madvise(reinterpret_cast<void*>(From), To - From, MADV_HUGEPAGE);
#else
    (void)Data;
    (void)Bytes;
#endif
}

} // namespace

TFileReadStatus ReadScriptFile(const std::string& FileName, std::string& Bytes) {
    Bytes.clear();
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below anyway.
    const int Fd = ::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (Fd < 0) {
        if (errno == EACCES || errno == EPERM) return TFileReadStatus::frUnreadable;
        return TFileReadStatus::frNotFound;
    }
    struct stat St {};
    if (::fstat(Fd, &St) != 0) {
        ::close(Fd);
        return TFileReadStatus::frUnreadable;
    }
    if (!S_ISREG(St.st_mode)) {
        ::close(Fd);
        return TFileReadStatus::frNotRegular;
    }
    if (St.st_size > 0) {
        Bytes.reserve(static_cast<std::size_t>(St.st_size));
        AdviseHugePages(Bytes.data(), Bytes.capacity());
    }
    char Buf[65536];
    for (;;) {
        const ssize_t N = ::read(Fd, Buf, sizeof Buf);
        if (N == 0) break;
        if (N < 0) {
            if (errno == EINTR) continue;
            ::close(Fd);
            Bytes.clear();
            return TFileReadStatus::frUnreadable;
        }
        Bytes.append(Buf, static_cast<std::size_t>(N));
    }
    ::close(Fd);
    return TFileReadStatus::frOk;
}

std::string DecodeScriptBytes(std::string_view Bytes) {
    if (Bytes.size() >= 3 && Bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(Bytes.substr(3));
    if (Bytes.size() < 2 || Bytes.substr(0, 2) != "\xFF\xFE") return std::string(Bytes);
    // UTF-16 little-endian after the mark; an odd last byte is dropped.
    std::string Out;
    Out.reserve(Bytes.size());
    const std::size_t Units = (Bytes.size() - 2) / 2;
    auto Unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(Bytes[2 + 2 * i])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(Bytes[3 + 2 * i])) << 8;
    };
    for (std::size_t i = 0; i < Units; ++i) {
        const std::uint32_t U = Unit(i);
        if (U >= 0xD800 && U <= 0xDBFF && i + 1 < Units) {
            const std::uint32_t L = Unit(i + 1);
            if (L >= 0xDC00 && L <= 0xDFFF) {
                AppendUtf8(Out, 0x10000 + ((U - 0xD800) << 10) + (L - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(Out, U >= 0xD800 && U <= 0xDFFF ? 0xFFFD : U);
    }
    return Out;
}

// =====================================================================================================
// TResWordList

namespace {

/// TResWordList::MakeKey into K (inlined into the scanner); RawHead and RawTail receive the first
/// and last eight bytes as written (the tail 0 for a word of under eight).
[[gnu::always_inline]] inline void FillKey(TResWordList::TWordKey& K, const char* Text, std::size_t Length,
                                           std::size_t Readable, std::uint64_t& RawHead,
                                           std::uint64_t& RawTail) {
    K.Text = Text;
    K.Length = Length;
    std::uint64_t Mix = Length;
    if (Length >= 8) {
        RawHead = Load8(Text);
        RawTail = Load8(Text + Length - 8);
        K.Head = UpCase8(RawHead);
        K.Tail = UpCase8(RawTail);
        Mix ^= K.Tail << 29 | K.Tail >> 35;
    } else {
        K.Tail = RawTail = 0;
        if (Readable >= 8 && std::endian::native == std::endian::little) {
            // The bytes after the word are read but masked off.
            RawHead = Load8(Text) & ((std::uint64_t{1} << (8 * Length)) - 1);
        } else {
            RawHead = 0;
            if (Length > 0) std::memcpy(&RawHead, Text, Length);
        }
        K.Head = UpCase8(RawHead);
    }
    Mix = (Mix ^ K.Head) * 0x9E3779B97F4A7C15ull;
    K.Hash = static_cast<std::uint32_t>(Mix >> 32);
}

} // namespace

TResWordList::TWordKey TResWordList::MakeKey(const char* Text, std::size_t Length, std::size_t Readable) {
    TWordKey K;
    std::uint64_t RawHead = 0, RawTail = 0;
    FillKey(K, Text, Length, Readable, RawHead, RawTail);
    return K;
}

namespace {

std::uint32_t HashKey(std::string_view Key) {
    return TResWordList::MakeKey(Key.data(), Key.size(), Key.size()).Hash;
}

} // namespace

struct TResWordList::Index {
    std::vector<TResWordSymb> Sorted; // texts point into the list's tables or own texts
    std::vector<std::string> Keys;    // upper-cased texts, by sorted position
    std::vector<TWordKey> KeyOf;      // look-up keys of Keys (Text points into Keys)
    struct Slot {
        std::uint32_t Hash = 0; // key hash of the entry
        std::int32_t Entry = 0; // sorted position + 1, 0 free
    };
    std::vector<Slot> Slots;          // open addressing on the key hash
    std::size_t Mask = 0;             // Slots.size() - 1
    std::vector<std::int32_t> NameOf; // code -> sorted position of its display name, -1
    std::size_t MaxKeyLength = 0;     // no longer word can be an entry
};

namespace {

std::shared_ptr<const TResWordList::Index>
BuildIndex(const std::vector<std::span<const TResWordSymb>>& Chunks) {
    auto I = std::make_shared<TResWordList::Index>();
    struct Item {
        TResWordSymb Word;
        std::string Key;
        std::size_t Order;
    };
    std::vector<Item> Items;
    for (const auto& C : Chunks)
        for (const TResWordSymb& W : C)
            Items.push_back({W, UpperCase(W.Text), Items.size()});
    // The first entry of every word stays: sort by key and order, keep the first of each key.
    std::sort(Items.begin(), Items.end(), [](const Item& A, const Item& B) {
        return A.Key != B.Key ? A.Key < B.Key : A.Order < B.Order;
    });
    Items.erase(
        std::unique(Items.begin(), Items.end(), [](const Item& A, const Item& B) { return A.Key == B.Key; }),
        Items.end());
    std::stable_sort(Items.begin(), Items.end(),
                     [](const Item& A, const Item& B) { return CompareText(A.Word.Text, B.Word.Text) < 0; });
    std::size_t Size = 64;
    while (Size < Items.size() * 4)
        Size *= 2;
    I->Slots.assign(Size, {});
    I->Mask = Size - 1;
    std::int32_t MaxCode = 0;
    for (std::size_t i = 0; i < Items.size(); ++i) {
        I->Sorted.push_back(Items[i].Word);
        I->Keys.push_back(std::move(Items[i].Key));
        I->MaxKeyLength = std::max(I->MaxKeyLength, I->Keys.back().size());
        const std::uint32_t H = HashKey(I->Keys.back());
        I->KeyOf.emplace_back(); // set below, once Keys stops moving
        std::size_t S = H & (Size - 1);
        while (I->Slots[S].Entry != 0)
            S = (S + 1) & (Size - 1);
        I->Slots[S] = {H, static_cast<std::int32_t>(i + 1)};
        MaxCode = std::max(MaxCode, Items[i].Word.Token);
    }
    for (std::size_t i = 0; i < I->Keys.size(); ++i)
        I->KeyOf[i] = TResWordList::MakeKey(I->Keys[i].data(), I->Keys[i].size(), I->Keys[i].size());
    I->NameOf.assign(static_cast<std::size_t>(MaxCode) + 1, -1);
    for (std::size_t i = 0; i < I->Sorted.size(); ++i)
        if (I->Sorted[i].Token >= 0)
            I->NameOf[static_cast<std::size_t>(I->Sorted[i].Token)] = static_cast<std::int32_t>(i);
    return I;
}

/// Indices of lists made of constant tables only, keyed by the tables (address and size).
struct SharedIndices {
    std::mutex Lock;
    std::map<std::vector<std::pair<const void*, std::size_t>>, std::shared_ptr<const TResWordList::Index>>
        Map;
};
SharedIndices& Shared() {
    static SharedIndices S;
    return S;
}

} // namespace

void TResWordList::AddWord(std::string_view Text, std::int32_t Token) {
    ownTexts_.emplace_back(Text);
    ownWords_.push_back({ownTexts_.back(), Token});
    chunks_.emplace_back(&ownWords_.back(), 1);
    index_.reset();
}

void TResWordList::AddWords(std::span<const TResWordSymb> Words) {
    chunks_.push_back(Words);
    index_.reset();
}

const TResWordList::Index& TResWordList::Prepared() const {
    if (index_) return *index_;
    if (!ownWords_.empty()) {
        index_ = BuildIndex(chunks_);
        return *index_;
    }
    std::vector<std::pair<const void*, std::size_t>> Key;
    for (const auto& C : chunks_)
        Key.emplace_back(C.data(), C.size());
    SharedIndices& S = Shared();
    std::lock_guard<std::mutex> Guard(S.Lock);
    auto& Slot = S.Map[Key];
    if (!Slot) Slot = BuildIndex(chunks_);
    index_ = Slot;
    return *index_;
}

int TResWordList::Count() const {
    return static_cast<int>(Prepared().Sorted.size());
}

std::string TResWordList::Strings(int Index) const {
    return std::string(Prepared().Sorted.at(static_cast<std::size_t>(Index)).Text);
}

std::int32_t TResWordList::GetToken(int Index) const {
    return Prepared().Sorted.at(static_cast<std::size_t>(Index)).Token;
}

std::string TResWordList::TokenName(std::int32_t Code) const {
    const Index& I = Prepared();
    if (Code < 0 || static_cast<std::size_t>(Code) >= I.NameOf.size() ||
        I.NameOf[static_cast<std::size_t>(Code)] < 0)
        return "<??"
               "?>"; // split: "??>" would read as a trigraph
    return std::string(I.Sorted[static_cast<std::size_t>(I.NameOf[static_cast<std::size_t>(Code)])].Text);
}

std::int32_t TResWordList::Find(std::string_view UpperWord) const {
    // The keys are upper-cased: a word with a lower-case letter is none of them, and for any other
    // word the case-blind comparison of the key look-up is the exact one.
    for (const char C : UpperWord)
        if (C >= 'a' && C <= 'z') return -1;
    return Find(MakeKey(UpperWord.data(), UpperWord.size(), UpperWord.size()));
}

namespace {

/// The code of the word of Key in I; -1 when it is no entry.
[[gnu::always_inline]] inline std::int32_t FindKey(const TResWordList::Index& I,
                                                   const TResWordList::TWordKey& Key) {
    if (Key.Length > I.MaxKeyLength) return -1;
    const std::size_t Mask = I.Mask;
    for (std::size_t S = Key.Hash & Mask;; S = (S + 1) & Mask) {
        const TResWordList::Index::Slot& Slot = I.Slots[S];
        if (Slot.Entry == 0) return -1;
        if (Slot.Hash != Key.Hash) continue;
        const auto P = static_cast<std::size_t>(Slot.Entry - 1);
        const TResWordList::TWordKey& E = I.KeyOf[P];
        if (E.Length != Key.Length || E.Head != Key.Head || E.Tail != Key.Tail) continue;
        // Head and Tail cover words up to 16 bytes; longer ones compare their middle.
        bool Same = true;
        for (std::size_t i = 8; Same && i + 8 < Key.Length; ++i)
            Same = UpCase(Key.Text[i]) == E.Text[i];
        if (Same) return I.Sorted[P].Token;
    }
}

} // namespace

std::int32_t TResWordList::Find(const TWordKey& Key) const {
    return FindKey(index_ ? *index_ : Prepared(), Key);
}

void TResWordList::Clear() {
    chunks_.clear();
    ownWords_.clear();
    ownTexts_.clear();
    index_.reset();
}

// =====================================================================================================
// TParseContext

TParseContext::TParseContext(TCustomParser& Parser) : Parser_(Parser), Saved_(Parser.SavePosition()) {}

void TParseContext::Restore() {
    Parser_.RestorePosition(Saved_);
}

// =====================================================================================================
// TCustomParser: construction, events

TCustomParser::TCustomParser(TCustomExtract* AOwner) : Owner_(AOwner) {
    SkipStarts_ = BlankStarts.data();
    TCustomParser::RegisterKeywords();
    if (Owner_ && Owner_->GetDBStructure())
        Container_ = dynamic_cast<TObjs*>(Owner_->GetDBStructure()->GetObjs());
}

TCustomParser::~TCustomParser() = default;

void TCustomParser::RegisterKeywords() {
    Keywords_.AddWords(BaseTokens);
}

void TCustomParser::SetDatabaseType(TDatabaseType Value) {
    DatabaseType_ = Value;
    if (Container_) Container_->SetDatabaseType(Value);
}

namespace {
TCustomExtract* ContainerExtractor(TObjs* Container) {
    if (!Container || !Container->GetStructure()) return nullptr;
    return Container->GetStructure()->GetExtractor();
}
} // namespace

void TCustomParser::DoProgressUpdate(int Value, int MaxValue) {
    if (!Progress_) return;
    if (OnProgressUpdate) {
        OnProgressUpdate(this, Value, MaxValue);
    } else if (TCustomExtract* E = ContainerExtractor(Container_); E && E->GetOnProgressUpdate()) {
        E->GetOnProgressUpdate()(this, Value, MaxValue);
    }
}

void TCustomParser::DoLogNextLine(const std::string& Text) {
    if (OnLogNextLine) {
        OnLogNextLine(this, Text);
    } else if (TCustomExtract* E = ContainerExtractor(Container_); E && E->GetOnLogNextLine()) {
        E->GetOnLogNextLine()(this, Text);
    }
}

bool TCustomParser::LogWanted() const {
    if (OnLogNextLine) return true;
    const TCustomExtract* E = ContainerExtractor(Container_);
    return E && E->GetOnLogNextLine();
}

void TCustomParser::DoErrorMessage(const std::string& Text) {
    if (OnErrorMessage)
        OnErrorMessage(this, Text);
    else
        PlatformShowMessage("Error: " + Text);
}

void TCustomParser::DoDebugMessage(const std::string& Text) {
    if (OnDebugMessage) OnDebugMessage(this, Text);
}

void TCustomParser::DoStatement(const std::string& Text, TStatement*& Statement,
                                const std::string& ParentName, TDbOperation Operation, TDbObject ObjKind,
                                const std::string& ObjName, TStatType StatType) {
    if (OnStatement) OnStatement(this, Text, Statement, ParentName, Operation, ObjKind, ObjName, StatType);
}

void TCustomParser::EmitStatement(TStatType StatType, const std::string& ObjName, TStatement*& Statement,
                                  const std::string& ParentName, TDbOperation Operation, TDbObject ObjKind) {
    Statement = nullptr;
    // A statement cut by an invalid character is not passed on; the error says why.
    if (Halted_ || !OnStatement) return;
    const std::size_t End = std::min(TokenStart_, Source_.size());
    const std::string Text =
        End > StatementStart_ ? Trim(std::string_view(Source_).substr(StatementStart_, End - StatementStart_))
                              : std::string();
    DoStatement(Text, Statement, ParentName, Operation, ObjKind, ObjName, StatType);
}

bool TCustomParser::AddParsedObject(TDbObj* Obj, bool FreeIfRefused) {
    if (!Obj) return false;
    if (Owner_) return Owner_->FileObjectIfAccepted(Obj);
    if (Container_) return Container_->FileObject(Obj, FreeIfRefused);
    if (FreeIfRefused) delete Obj;
    return false;
}

std::string TCustomParser::GetTokenName(int Code) const {
    return Keywords_.TokenName(Code);
}

std::string TCustomParser::MakeComment(std::string_view Text) const {
    return "/* " + std::string(Text) + " */";
}

// =====================================================================================================
// Errors

std::string TCustomParser::PositionText(int Line, int Column) const {
    return "\r\nScript: " + ScriptName_ + " Line:" + std::to_string(Line) + " Pos:" + std::to_string(Column) +
           "\r\n";
}

std::pair<int, int> TCustomParser::GetTokenPosition() const {
    const char* const S = Source_.data();
    const std::size_t Start = std::min(TokenStart_, Source_.size());
    if (Start >= LineStart_) return {Line_, static_cast<int>(Start - LineStart_) + 1};
    // The token began on an earlier line (a literal or a terminator running over line breaks): the
    // lines are counted back from the scanner's; this runs only for a message.
    auto IsBreak = [S](std::size_t i) { return S[i] == '\n' || (S[i] == '\r' && S[i + 1] != '\n'); };
    int Line = Line_;
    for (std::size_t i = Start; i < LineStart_; ++i)
        if (IsBreak(i)) --Line;
    std::size_t First = Start;
    while (First > 0 && !IsBreak(First - 1))
        --First;
    return {Line, static_cast<int>(Start - First) + 1};
}

void TCustomParser::Error(const std::string& Text) {
    const auto [Line, Column] = GetTokenPosition();
    ErrorAt(Text, Line, Column);
}

void TCustomParser::ErrorAt(const std::string& Text, int Line, int Column) {
    if (Quiet_ > 0) return;
    if (!SuppressFirstErrorEvent_ && !MsgManager_.HasErrors())
        DoErrorMessage(Text + PositionText(Line, Column));
    MsgManager_.AddScriptMessage(Text, ScriptName_, 2, Line, Column);
}

void TCustomParser::Warning(const std::string& Text) {
    if (Quiet_ > 0) return;
    MsgManager_.AddScriptMessage(Text, ScriptName_, 1, Line_, GetColumnNo());
}

// =====================================================================================================
// Characters

void TCustomParser::NewLine() {
    ++Line_;
    LineStart_ = Pos_;
    if (ProgressActive_) DoProgressUpdate(Line_, TotalLines_);
}

void TCustomParser::Step() {
    if (Pos_ >= Source_.size()) return;
    const char C = Source_[Pos_++];
    // data()[size()] is NUL, so the look at the next byte is safe at the end too.
    if (C == '\n' || (C == '\r' && Source_[Pos_] != '\n')) NewLine();
    Ch_ = MapChar(Source_[Pos_]);
}

void TCustomParser::MoveTo(std::size_t Target) {
    Target = std::min(Target, Source_.size());
    const char* S = Source_.data();
    for (std::size_t i = Pos_; i < Target; ++i) {
        // Eight bytes at a time up to one below 14, as LF (10) and CR (13) are: the bytes of a
        // comment or literal seldom hold a line break.
        while (Target - i >= 8 && !HasByteBelow14(Load8(S + i)))
            i += 8;
        if (i == Target) break;
        const char C = S[i];
        if (C == '\n' || (C == '\r' && S[i + 1] != '\n')) {
            Pos_ = i + 1;
            NewLine();
        }
    }
    if (Target > Pos_) Pos_ = Target;
    Ch_ = MapChar(Source_[Pos_]);
}

char TCustomParser::NextChar() {
    Step();
    return Ch_;
}

void TCustomParser::SkipLine() {
    std::size_t E = Pos_;
    while (E < Source_.size() && Source_[E] != '\n' && Source_[E] != '\r')
        ++E;
    if (E < Source_.size()) E += (Source_[E] == '\r' && At(E + 1) == '\n') ? 2 : 1;
    MoveTo(E);
}

void TCustomParser::LoadText(std::string Text) {
    Source_ = std::move(Text);
    Pos_ = 0;
    Line_ = 1;
    LineStart_ = 0;
    Ch_ = MapChar(Source_[0]);
    TotalLines_ = CountLineBreaks(Source_);
    Token_ = tkEOF;
    TokenStart_ = 0;
    StatementStart_ = 0;
    TokenText_.clear();
    TokenInSource_ = false;
    StringValue_.clear();
    RawKeyword_ = 0;
    Halted_ = false;
    ReachedEnd_ = false;
    KeywordFilter_ = {};
    ProgressActive_ =
        Progress_ && (OnProgressUpdate || (ContainerExtractor(Container_) &&
                                           ContainerExtractor(Container_)->GetOnProgressUpdate()));
}

void TCustomParser::ReleaseText() {
    ReachedEnd_ = AtEnd() && !Halted_;
    TokenText(); // the last token's text outlives the source
    std::string().swap(Source_);
    Pos_ = 0;
    LineStart_ = 0;
    Ch_ = 0;
    TokenStart_ = 0;
    StatementStart_ = 0;
    FromContexts_.clear();
}

TScanPosition TCustomParser::SavePosition() const {
    return {Pos_,           Ch_,          Line_,        LineStart_,   Token_,     TokenStart_, TokenText_,
            TokenInSource_, TokenOffset_, TokenLength_, StringValue_, QuoteChar_, IntValue_,   IntOverflow_,
            FloatValue_,    RawKeyword_,  Halted_};
}

void TCustomParser::RestorePosition(const TScanPosition& P) {
    Pos_ = std::min(P.Pos, Source_.size());
    Ch_ = P.Ch;
    Line_ = P.Line;
    LineStart_ = P.LineStart;
    Token_ = P.Token;
    TokenStart_ = P.TokenStart;
    TokenText_ = P.TokenText;
    TokenInSource_ = P.TokenInSource;
    TokenOffset_ = P.TokenOffset;
    TokenLength_ = P.TokenLength;
    StringValue_ = P.StringValue;
    QuoteChar_ = P.QuoteChar;
    IntValue_ = P.IntValue;
    IntOverflow_ = P.IntOverflow;
    FloatValue_ = P.FloatValue;
    RawKeyword_ = P.RawKeyword;
    Halted_ = P.Halted;
}

// =====================================================================================================
// Loading scripts

bool TCustomParser::ReadFileText(const std::string& FileName, std::string& Text, std::string& Problem) {
    std::string Bytes;
    const TFileReadStatus Status =
        ReadFileHook ? ReadFileHook(FileName, Bytes) : ReadScriptFile(FileName, Bytes);
    switch (Status) {
    case TFileReadStatus::frOk:
        // DecodeScriptBytes without copying the bytes when they need no conversion.
        if (Bytes.size() >= 2 && Bytes.compare(0, 2, "\xFF\xFE") == 0) {
            Text = DecodeScriptBytes(Bytes);
        } else {
            if (Bytes.size() >= 3 && Bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) Bytes.erase(0, 3);
            Text = std::move(Bytes);
        }
        return true;
    case TFileReadStatus::frNotFound:
        Problem = "File not found: " + FileName;
        return false;
    case TFileReadStatus::frNotRegular:
        Problem = "Not a regular file: " + FileName;
        return false;
    case TFileReadStatus::frUnreadable:
    default:
        Problem = "Cannot read file: " + FileName;
        return false;
    }
}

std::string TCustomParser::CanonicalFileName(const std::string& FileName) const {
    if (ReadFileHook) return FileName;
    std::error_code Ec;
    const std::filesystem::path P =
        std::filesystem::weakly_canonical(std::filesystem::absolute(FileName, Ec), Ec);
    return Ec ? FileName : P.string();
}

void TCustomParser::ParseFile(const std::string& FileName, TObjs* Container) {
    Container_ = Container;
    ScriptName_ = FileName;
    StatementCount_ = 0;
    std::string Text, Problem;
    if (!ReadFileText(FileName, Text, Problem)) {
        ReachedEnd_ = false;
        ErrorAt(Problem, 0, 0);
        return;
    }
    ParseLoadedFile(FileName, std::move(Text));
}

void TCustomParser::ParseLoadedFile(const std::string& FileName, std::string Text) {
    ScriptName_ = FileName;
    LoadText(std::move(Text));
    DoProgressUpdate(0, TotalLines_);
    DoLogNextLine("Parse file: " + FileName);
    ParseStatements();
    ReleaseText();
}

void TCustomParser::ParseScript(const TStringList& Lines, TObjs* Container) {
    Container_ = Container;
    StatementCount_ = 0;
    LoadText(Lines.Text());
    TotalLines_ = Lines.Count();
    DoProgressUpdate(0, TotalLines_);
    DoLogNextLine("Parse Script: " + ScriptName_);
    ParseStatements();
    ReleaseText();
}

void TCustomParser::ParseStatements() {
    NextToken();
    while (Token_ != tkEOF) {
        ++StatementCount_;
        NextToken();
    }
}

// =====================================================================================================
// Tokens

void TCustomParser::StartToken() {
    TokenText_.clear();
    TokenInSource_ = false;
    if (IsBlankChar(Source_[Pos_])) TCustomParser::SkipBlanks();
}

std::size_t TCustomParser::SkipBlankRun(std::size_t P) {
    // The text is NUL-terminated and NUL is no blank, so the run stops at the end by itself.
    const char* const S = Source_.data();
    while (IsBlankChar(S[P])) {
        const char C = S[P++];
        if (C == '\n' || (C == '\r' && S[P] != '\n')) {
            Pos_ = P; // the line starts here
            NewLine();
            P = SkipIndent(S, P, Source_.size());
        }
    }
    return P;
}

bool TCustomParser::SkipBlanks() {
    const std::size_t P = SkipBlankRun(Pos_);
    if (P == Pos_) return false;
    Pos_ = P;
    Ch_ = MapChar(Source_[P]);
    return true;
}

bool TCustomParser::CheckTerminator() {
    const std::size_t N = Terminator_.size();
    if (N == 0 || AtEnd() || Source_[Pos_] != Terminator_[0]) return false;
    if (N > 1 && Source_.compare(Pos_, N, Terminator_) != 0) return false;
    Token_ = tkTerminator;
    if (N == 1 && Terminator_[0] != '\n' && Terminator_[0] != '\r') {
        ++Pos_;
        Ch_ = MapChar(Source_[Pos_]);
    } else {
        MoveTo(Pos_ + N);
    }
    return true;
}

void TCustomParser::NextToken() {
    Token_ = tkEOF;
    RawKeyword_ = 0;
    TokenStart_ = Pos_;
    if (Halted_) return;
    if (AtEnd()) {
        TokenStart_ = Source_.size();
        return;
    }
    const char* const S = Source_.data();
    if (SkipStarts_[static_cast<unsigned char>(S[Pos_])]) {
        // One space before a character that starts no skip is all SkipBlanks would take.
        if (S[Pos_] == ' ' && !SkipStarts_[static_cast<unsigned char>(S[Pos_ + 1])])
            SkipChar();
        else
            SkipBlanks(); // skips every blank (and comment) up to the token
    }
    if (AtEnd()) {
        TokenStart_ = Source_.size();
        return;
    }
    if (PlainStarts_) {
        // The plain tokens of the dialect, read here as its ScanToken would read them.
        const std::uint8_t Plain = PlainStarts_[static_cast<unsigned char>(S[Pos_])];
        if (Plain != 0 && !AtTerminatorStart()) {
            TokenStart_ = Pos_;
            if (Plain == psWord) {
                ScanWord(); // its text is that of the source (or one it stores)
                if (Token_ == tkIdent && Pos_ - TokenStart_ > NameCheckFrom_) [[unlikely]]
                    CheckNameLength();
            } else {
                TokenText_.clear(); // as StartToken, with no blank to pass over here
                TokenInSource_ = false;
                if (Plain == psNumber) {
                    ReadNumber();
                } else {
                    Token_ = Plain;
                    SkipChar();
                }
            }
            if (LogFlags_ & 1) [[unlikely]]
                LogToken();
            return;
        }
    }
    const std::size_t Before = Pos_;
    StartToken();
    ScanToken();
    if (Pos_ == Before && !AtEnd() && !Halted_) [[unlikely]]
        StepOverStall();
    if (LogFlags_ & 1) [[unlikely]]
        LogToken();
}

void TCustomParser::StepOverStall() {
    DoErrorMessage("Parser " + std::string(ClassName()) + " deadlock.");
    Step();
}

void TCustomParser::LogToken() {
    std::string T = "(" + std::to_string(Line_) + "," + std::to_string(GetColumnNo()) + ") " +
                    GetTokenName(Token_) + ": " + std::to_string(Token_);
    if (Token_ == tkIdent)
        T += " =" + TokenText();
    else if (Token_ == tkInteger)
        T += " =" + std::to_string(IntValue_);
    else if (Token_ == tkString)
        T += " =" + std::string(1, QuoteChar_) + StringValue_ + QuoteChar_;
    DoLogNextLine(T);
}

void TCustomParser::ReadIdent() {
    const char* const S = Source_.data();
    std::size_t E = Pos_;
    while (IsIdentChar(S[E])) // stops at the terminating NUL
        ++E;
    SetTokenText(std::string_view(S + Pos_, E - Pos_));
    Pos_ = E;
    Ch_ = MapChar(S[E]);
}

[[gnu::always_inline]] inline void TCustomParser::ScanWord() {
    const char* const S = Source_.data();
    const std::size_t Start = Pos_;
    std::size_t E = Start + 1;
    while (IsIdentChar(S[E])) // stops at the terminating NUL
        ++E;
    const std::size_t N = E - Start;
    Pos_ = E;
    Ch_ = MapChar(S[E]);
    // The text is NUL-terminated: Source_.size() + 1 bytes are readable.
    TResWordList::TWordKey Key;
    std::uint64_t Head = 0, Tail = 0;
    FillKey(Key, S + Start, N, Source_.size() + 1 - Start, Head, Tail);
    const TResWordList::Index& Words = Keywords_.index_ ? *Keywords_.index_ : Keywords_.Prepared();
    const std::int32_t Code = FindKey(Words, Key);
    // A keyword keeps its text as written, an identifier is stored upper-cased: both are left in the
    // source (copied when asked for) where that is their text. The key holds the upper-cased first
    // and last eight bytes, which make up any word of up to 16.
    TokenOffset_ = Start;
    TokenLength_ = N;
    TokenInSource_ = true;
    if (Code >= 0) {
        RawKeyword_ = Code;
        const TKeywordFilter& F = KeywordFilter_;
        if (F.Options && F.Container == Container_ && F.Options->GetSQLServerVersion() == F.Version)
            Token_ = F.Kept->contains(Code) ? Code : tkIdent;
        else
            Token_ = KeywordToken(Code);
        if (Token_ != tkIdent) return;
    } else {
        RawKeyword_ = Token_ = tkIdent;
    }
    // Written in upper case when the bytes as written are those of the key.
    if (N > 16 || Head != Key.Head || (N > 8 && Tail != Key.Tail)) [[unlikely]]
        StoreUpperIdent(Key.Head, Key.Tail);
}

void TCustomParser::ReadWord() {
    ScanWord();
}

void TCustomParser::StoreUpperIdent(std::uint64_t UpperHead, std::uint64_t UpperTail) {
    const std::size_t N = TokenLength_;
    if (N <= 16) {
        char Upper[16];
        std::memcpy(Upper, &UpperHead, 8);
        if (N > 8) std::memcpy(Upper + N - 8, &UpperTail, 8);
        SetTokenText(std::string_view(Upper, N));
    } else {
        TokenInSource_ = false;
        TokenText_.assign(Source_, TokenOffset_, N);
        for (char& C : TokenText_)
            C = UpCase(C);
    }
}

void TCustomParser::CopyTokenText() const {
    TokenText_.assign(Source_, TokenOffset_, TokenLength_);
    TokenInSource_ = false;
}

void TCustomParser::ScanToken() {
    TokenStart_ = Pos_;
    const char C = Ch_;
    const bool BlankOps =
        DatabaseType_ == TDatabaseType::dbMSSQL || DatabaseType_ == TDatabaseType::dbSybaseASE;
    // MS SQL and ASE allow blanks inside "!=" and "<=": the index of the next non-blank.
    auto NextSolid = [&]() {
        std::size_t I = Pos_ + 1;
        if (BlankOps)
            while (I < Source_.size() && IsBlankChar(Source_[I]))
                ++I;
        return I;
    };
    const std::uint8_t Class = ClassOf(C);
    if (Class & ccLetter) {
        ReadWord();
        return;
    }
    if ((Class & ccDigit) || (C == '.' && IsDigitChar(PeekChar()))) {
        ReadNumber();
        return;
    }
    int Single = -1;
    switch (C) {
    case '\'':
    case '"':
    case '`':
        Token_ = tkString;
        QuoteChar_ = C;
        ReadString(StringValue_);
        return;
    case '.':
        Single = tkDot;
        break;
    case '!': {
        const std::size_t I = NextSolid();
        if (At(I) == '=') {
            Token_ = tkNotEqual;
            MoveTo(I + 1);
            return;
        }
        break;
    }
    case '<': {
        const std::size_t I = NextSolid();
        if (At(I) == '=' || At(I) == '>') {
            Token_ = At(I) == '=' ? tkLessEqual : tkNotEqual;
            MoveTo(I + 1);
            return;
        }
        Single = tkLess;
        break;
    }
    case '=':
        if (PeekChar() == '=') {
            Token_ = tkEqualEqual;
            MoveTo(Pos_ + 2);
            return;
        }
        Single = tkEqual;
        break;
    case '>':
        if (PeekChar() == '=') {
            Token_ = tkGreaterEqual;
            MoveTo(Pos_ + 2);
            return;
        }
        Single = tkGreater;
        break;
    case '%':
        Single = tkPercent;
        break;
    case '&':
        Single = tkAmpersand;
        break;
    case '(':
        Single = tkLParen;
        break;
    case ')':
        Single = tkRParen;
        break;
    case '*':
        Single = tkStar;
        break;
    case '+':
        Single = tkPlus;
        break;
    case ',':
        Single = tkComma;
        break;
    case '-':
        Single = tkMinus;
        break;
    case '/':
        Single = tkSlash;
        break;
    case ':':
        Single = tkColon;
        break;
    case ';':
        Single = tkSemicolon;
        break;
    case '@':
        Single = tkAt;
        break;
    case '[':
        Single = tkLBracket;
        break;
    case '\\':
        Single = tkBackslash;
        break;
    case ']':
        Single = tkRBracket;
        break;
    default:
        break;
    }
    if (Single >= 0) {
        Token_ = Single;
        ++Pos_; // none of these characters is a line break
        Ch_ = MapChar(Source_[Pos_]);
        return;
    }
    // Anything else ends the scan where it stands: the token stays <EOF> from here on, so a
    // statement loop stops at it.
    Error("Invalid char in source text: \"" + CharForMessage(Source_[Pos_]) + "\".");
    Halted_ = true;
}

void TCustomParser::ReadNumber() {
    TokenStart_ = Pos_;
    const std::size_t Start = Pos_;
    if (Ch_ != '.') {
        // Plain digits (no point, no exponent after them) take a short way to the same result.
        const char* const S = Source_.data();
        std::size_t E = Start + 1;
        while (IsDigitChar(S[E])) // stops at the terminating NUL
            ++E;
        if (S[E] != '.' && S[E] != 'E' && S[E] != 'e') {
            StringValue_.assign(S + Start, E - Start);
            Pos_ = E;
            Ch_ = MapChar(S[E]);
            Token_ = tkInteger;
            FloatValue_ = 0;
            std::uint64_t M = 0;
            bool Over = false;
            for (std::size_t i = Start; i < E && !Over; ++i) // past 64 bits the value is dropped
                Over = __builtin_mul_overflow(M, 10, &M) ||
                       __builtin_add_overflow(M, static_cast<std::uint64_t>(S[i] - '0'), &M);
            IntOverflow_ = Over;
            IntValue_ = Over ? 0 : M;
            return;
        }
    }
    bool Dot = Ch_ != '.'; // a literal that starts with its point has no second one
    bool Exp = true;
    bool Sign = false;
    std::size_t ExpAt = std::string::npos;
    std::size_t E = Pos_;
    for (;;) {
        const char Next = UpCase(At(E + 1));
        const bool Allowed = IsDigitChar(Next) || (Next == '.' && Dot) || (Next == 'E' && Exp) ||
                             ((Next == '+' || Next == '-') && Sign);
        if (!Allowed || (Next == '.' && At(E + 2) == '.')) break;
        Sign = false; // a sign stands only right after the E
        if (Next == '.') Dot = false;
        if (Next == 'E') {
            Sign = true;
            Dot = false;
            Exp = false;
            ExpAt = E + 1;
        }
        ++E;
    }
    ++E;
    StringValue_.assign(Source_, Start, E - Start);
    MoveTo(E);
    const std::string& Text = StringValue_;
    IntValue_ = 0;
    IntOverflow_ = false;
    FloatValue_ = 0;
    const bool IsFloat = Text.find('.') != std::string::npos;
    Token_ = IsFloat ? tkFloat : tkInteger;
    if (ExpAt != std::string::npos) {
        const std::size_t Rel = ExpAt - Start;
        std::size_t D = Rel + 1;
        if (D < Text.size() && (Text[D] == '+' || Text[D] == '-')) ++D;
        if (D >= Text.size()) {
            Error("Invalid number: " + Text);
            return;
        }
    }
    if (IsFloat) {
        const char* B = Text.data();
        const char* End = B + Text.size();
        double V = 0;
        // from_chars reads "5." and ".5" like the literal means them, whatever the C locale says.
        auto [P, Ec] = std::from_chars(B, End, V);
        if (Ec == std::errc::result_out_of_range) V = std::numeric_limits<double>::infinity();
        (void)P;
        FloatValue_ = V;
        return;
    }
    // Integer: the digits before any exponent, scaled by it.
    const std::size_t MantEnd = ExpAt == std::string::npos ? Text.size() : ExpAt - Start;
    std::uint64_t M = 0;
    bool Over = false;
    for (std::size_t i = 0; i < MantEnd; ++i) {
        const std::uint64_t Digit = static_cast<std::uint64_t>(Text[i] - '0');
        if (M > (std::numeric_limits<std::uint64_t>::max() - Digit) / 10)
            Over = true;
        else
            M = M * 10 + Digit;
    }
    if (!Over && ExpAt != std::string::npos) {
        std::size_t D = MantEnd + 1;
        const bool Neg = Text[D] == '-';
        if (Text[D] == '+' || Text[D] == '-') ++D;
        std::uint64_t X = 0;
        for (; D < Text.size(); ++D)
            X = std::min<std::uint64_t>(X * 10 + static_cast<std::uint64_t>(Text[D] - '0'), 1000);
        for (std::uint64_t k = 0; k < X && (M != 0 || Neg); ++k) {
            if (Neg) {
                M /= 10;
                if (M == 0) break;
            } else if (M > std::numeric_limits<std::uint64_t>::max() / 10) {
                Over = true;
                break;
            } else {
                M *= 10;
            }
        }
    }
    IntOverflow_ = Over;
    IntValue_ = Over ? 0 : M;
}

void TCustomParser::ReadString(std::string& Value) {
    const char Quote = Source_[Pos_];
    const int Line = Line_;
    const int Column = GetColumnNo();
    Value.clear();
    Step();
    const bool MySQL = DatabaseType_ == TDatabaseType::dbMySQL;
    const std::size_t N = Source_.size();
    for (;;) {
        std::size_t E = Pos_;
        while (E < N && Source_[E] != Quote && !(MySQL && Source_[E] == '\\'))
            ++E;
        if (E > Pos_) {
            const std::size_t From = Value.size();
            Value.append(Source_, Pos_, E - Pos_);
            std::replace(Value.begin() + static_cast<std::ptrdiff_t>(From), Value.end(), '\x1A', ' ');
            MoveTo(E);
        }
        if (AtEnd()) {
            ErrorAt("Unterminated string", Line, Column);
            return;
        }
        if (Source_[Pos_] == Quote) {
            if (At(Pos_ + 1) == Quote) {
                Value += Quote;
                MoveTo(Pos_ + 2);
                continue;
            }
            Step();
            return;
        }
        // MySQL backslash escape.
        const char X = At(Pos_ + 1);
        if (Pos_ + 1 >= N) {
            Step();
            continue;
        }
        switch (X) {
        case 'r':
            Value += '\r';
            break;
        case 'n':
            Value += '\n';
            break;
        case 't':
            Value += '\t';
            break;
        case 'b':
            Value += '\b';
            break;
        case 'z':
            Value += '\x1A';
            break;
        case '0':
            Value += '\0';
            break;
        default:
            Value += X;
            break;
        }
        MoveTo(Pos_ + 2);
    }
}

void TCustomParser::ReadExpression(std::string& Text) {
    Text.clear();
    if (Halted_) return;
    while (!AtEnd() && IsBlankChar(Source_[Pos_]))
        Step();
    if (AtEnd()) return;
    const std::size_t Start = Pos_;
    int Depth = 0;
    std::string Scratch;
    while (!AtEnd()) {
        const char C = Source_[Pos_];
        if (C == '\'' || C == '"' || C == '`') {
            ReadString(Scratch); // copied whole below; its parentheses do not count
            continue;
        }
        if (C == '-' && PeekChar() == '-') {
            std::size_t E = Pos_;
            while (E < Source_.size() && Source_[E] != '\n' && Source_[E] != '\r')
                ++E;
            MoveTo(E);
            continue;
        }
        if (C == '/' && PeekChar() == '*') {
            const std::size_t E = Source_.find("*/", Pos_ + 2);
            if (E == std::string::npos) {
                const int Line = Line_, Column = GetColumnNo();
                MoveTo(Source_.size());
                ErrorAt("Unterminated comment", Line, Column);
            } else {
                MoveTo(E + 2);
            }
            continue;
        }
        if (C == '(')
            ++Depth;
        else if (C == ')')
            --Depth;
        Step();
        if (Depth <= 0) break;
    }
    Text.assign(Source_, Start, Pos_ - Start);
    if (LogFlags_ & 4) DoLogNextLine("Expression: " + Text);
}

// =====================================================================================================
// Parsing primitives

bool TCustomParser::ExpectOther(int Code) {
    if ((Code == tkInteger || Code == tkFloat) && (Token_ == tkPlus || Token_ == tkMinus)) {
        const char Sign = Token_ == tkMinus ? '-' : '+';
        bool Number = false;
        {
            TParseContext Ctx(*this);
            ++Quiet_;
            NextToken();
            --Quiet_;
            Number = Token_ == Code;
            Ctx.Restore();
        }
        if (Number) {
            NextToken(); // again, this time recording what the number itself may report
            StringValue_.insert(StringValue_.begin(), Sign);
            return true;
        }
    }
    std::string Found = GetTokenName(Token_);
    if (Token_ == tkIdent) Found += ": " + TokenText();
    Error("Missing: " + (Code == tkTerminator ? std::string("<TERM>") : GetTokenName(Code)) + " (" + Found +
          ")");
    return false;
}

bool TCustomParser::ExpectWord(std::string_view Word) {
    if (IsWord(Word)) return true;
    Error("Must be: " + UpperCase(Word));
    return false;
}

bool TCustomParser::GetCheckedInt(std::int64_t Min, std::int64_t Max, bool Negative, std::int64_t& Value) {
    constexpr std::uint64_t Limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    bool Ok = !IntOverflow_ && IntValue_ <= Limit + (Negative ? 1 : 0);
    std::int64_t V = 0;
    if (Ok) {
        if (Negative)
            V = IntValue_ == Limit + 1 ? std::numeric_limits<std::int64_t>::min()
                                       : -static_cast<std::int64_t>(IntValue_);
        else
            V = static_cast<std::int64_t>(IntValue_);
        Ok = V >= Min && V <= Max;
    }
    if (!Ok) {
        std::string Text = StringValue_;
        if (Negative && (Text.empty() || Text[0] != '-')) Text.insert(Text.begin(), '-');
        Error("Integer value out of range: " + Text);
        return false;
    }
    Value = V;
    return true;
}

bool TCustomParser::ReadPlainSize(std::int32_t& First, std::int32_t* Second) {
    // Column sizes make up a good share of a large script's tokens; the plain form has neither line
    // breaks nor comments nor anything to report, so the scanner's state after it is known.
    if (Token_ != tkLParen || Halted_ || (LogFlags_ & 1)) return false;
    const char Term = Terminator_.empty() ? '\0' : Terminator_[0];
    if (Term == ' ' || Term == ',' || Term == ')' || (Term >= '0' && Term <= '9')) return false;
    const char* const S = Source_.data(); // NUL-terminated: every look below stops at the end
    std::size_t P = Pos_;
    std::size_t DigitsAt = 0, DigitsEnd = 0;
    std::int32_t Values[2] = {0, 0};
    int Count = 0;
    for (;;) {
        while (S[P] == ' ')
            ++P;
        if (S[P] < '1' || S[P] > '9') return false;
        DigitsAt = P;
        std::int32_t V = 0;
        for (; S[P] >= '0' && S[P] <= '9'; ++P) {
            if (P - DigitsAt == 9) return false;
            V = V * 10 + (S[P] - '0');
        }
        DigitsEnd = P;
        Values[Count++] = V;
        while (S[P] == ' ')
            ++P;
        if (S[P] == ')') break;
        if (S[P] != ',' || Count == 2 || !Second) return false;
        ++P;
    }
    First = Values[0];
    if (Second) *Second = Values[1];
    // The state the ")" token leaves, the last number's values included.
    StringValue_.assign(S + DigitsAt, DigitsEnd - DigitsAt);
    IntValue_ = static_cast<std::uint64_t>(Values[Count - 1]);
    IntOverflow_ = false;
    FloatValue_ = 0;
    TokenText_.clear();
    TokenInSource_ = false;
    Token_ = tkRParen;
    RawKeyword_ = 0;
    TokenStart_ = P;
    Pos_ = P + 1;
    Ch_ = MapChar(S[Pos_]);
    NextToken();
    return true;
}

void TCustomParser::ParseTypeSize(TFldData* Column) {
    std::int32_t Length = 9, Scale = 0;
    if (Token_ == tkLParen && !ReadPlainSize(Length, &Scale)) {
        ExpectAndNext(tkLParen);
        std::int64_t V = 0;
        if (Expect(tkInteger) && GetCheckedInt(0, std::numeric_limits<std::int32_t>::max(), false, V))
            Length = static_cast<std::int32_t>(V);
        NextToken();
        if (Token_ == tkComma) {
            NextToken();
            if (Expect(tkInteger) && GetCheckedInt(0, std::numeric_limits<std::int32_t>::max(), false, V))
                Scale = static_cast<std::int32_t>(V);
            NextToken();
        }
        ExpectAndNext(tkRParen);
    }
    if (Column) {
        Column->Length = Length;
        Column->Precision = Length;
        Column->Scale = Scale;
    }
}

// =====================================================================================================
// Dependencies

TDependObj* TCustomParser::LinkDependObj(TDbObj* Dependent, TDbObj* Needed, std::string_view FieldName) {
    if (!Dependent || !Needed) return nullptr;
    // What AddDependency would record: with a field name, the record goes on that column of a
    // table or view (none when the table lacks it).
    TDbObj* Target = Needed;
    if (!FieldName.empty() &&
        (Needed->GetKind() == TDbObject::dboTable || Needed->GetKind() == TDbObject::dboView))
        Target = Needed->FieldObject(FieldName);
    return LinkDependObjTo(Dependent, Needed, Target, FieldName);
}

TDependObj* TCustomParser::LinkDependObjTo(TDbObj* Dependent, TDbObj* Needed, TDbObj* Target,
                                           std::string_view FieldName) {
    if (!Dependent || !Needed) return nullptr;
    // Not recorded a second time for the same object.
    bool Recorded = Target == nullptr;
    // One walk over the records asks both: is the link there already (same field, the object or a
    // column of it), and does a record refer to the target.
    for (const TDependObj* R : Dependent->GetDependsOn()) {
        const TDbObj* Ref = R->GetReferenced();
        if (Ref == Target) Recorded = true;
        if (R->FieldName != FieldName) continue;
        if (Ref == Needed || (Ref && !FieldName.empty() && Ref->GetParentObject() == Needed)) return nullptr;
    }
    TDependObj* Made =
        Recorded ? nullptr
                 : AddDependencyPair(Container_, Dependent, Target, GetColumnNo(), Line_, FieldName);
    if (Dependent->GetKind() != TDbObject::dboView || Needed->GetKind() != TDbObject::dboTable ||
        FieldName.empty())
        return Made;
    auto* Table = dynamic_cast<TTblData*>(Needed);
    if (!Table || !Container_) return Made;
    for (int i = 0; i < Table->FieldCount(); ++i) {
        TFldData* F = Table->Field(i);
        if (!F || F->DomainName.empty()) continue;
        if (TDbObj* D = Container_->FindDomain(F->DomainName))
            AddDependency(Container_, Dependent, D, GetColumnNo(), Line_, "");
    }
    return Made;
}

void TCustomParser::LinkDepend(TDbObj* Dependent, std::string_view Name, TDbObjectKinds Kinds) {
    using enum TDbObject;
    if (!Container_ || !Dependent || Name.empty()) return;
    if (DatabaseType_ == TDatabaseType::dbInterBase && Name.size() >= 4 &&
        SameText(Name.substr(0, 4), "RDB$"))
        return;
    const auto Own = static_cast<std::size_t>(Dependent->GetKind());
    if (Own < Kinds.size() && Kinds.test(Own) && Dependent->GetName() == Name) Kinds.reset(Own);
    auto Has = [&](TDbObject K) { return Kinds.test(static_cast<std::size_t>(K)); };
    TObjs& C = *Container_;
    TDbObj* Hit = nullptr;
    const std::pair<TDbObject, TObjsList> Order[] = {
        {dboTable, TObjsList::olTables},         {dboView, TObjsList::olViews},
        {dboProcedure, TObjsList::olProcedures}, {dboTrigger, TObjsList::olTriggers},
        {dboGenerator, TObjsList::olGenerators}, {dboIndex, TObjsList::olIndices},
        {dboException, TObjsList::olExceptions}, {dboDomain, TObjsList::olDomains},
        {dboFunction, TObjsList::olFunctions},   {dboPackage, TObjsList::olPackages}};
    for (const auto& [Kind, List] : Order) {
        if (!Has(Kind)) continue;
        if ((Hit = C.FindObject(List, Name)) != nullptr) break;
    }
    if (Has(dboRule))
        if (TDbObj* R = C.FindObject(TObjsList::olRules, Name)) Hit = R;
    if (Has(dboDefault))
        if (TDbObj* D = C.FindObject(TObjsList::olDefaults, Name)) Hit = D;
    if (Hit) LinkDependObj(Dependent, Hit, "");
}

// =====================================================================================================
// TCustomSQLParser

TCustomSQLParser::TCustomSQLParser(TCustomExtract* AOwner) : TCustomParser(AOwner) {
    SkipStarts_ = SQLSkipStarts.data();
}

TCustomSQLParser::~TCustomSQLParser() = default;

void TCustomSQLParser::ParseScript(const TStringList& Lines, TObjs* Container) {
    TCustomParser::ParseScript(Lines, Container);
    if (Container_) Container_->GetConnectionOptions() = ConnectionOptions_;
}

bool TCustomSQLParser::SkipBlanks() {
    // The usual case, a run of blanks and no comment after it, takes a loop that calls nothing but
    // the progress event of each line break; a comment goes on in SkipBlanksAndComments.
    const char* const S = Source_.data();
    const std::size_t From = Pos_;
    std::size_t P = From;
    int Line = Line_;
    std::size_t LineStart = LineStart_;
    while (IsBlankChar(S[P])) { // stops at the terminating NUL
        const char C = S[P++];
        if (C == '\n' || (C == '\r' && S[P] != '\n')) {
            ++Line;
            LineStart = P;
            if (ProgressActive_) {
                // The handler sees the scanner as NewLine leaves it.
                Pos_ = P;
                Line_ = Line;
                LineStart_ = P;
                DoProgressUpdate(Line, TotalLines_);
            }
            P = SkipIndent(S, P, Source_.size());
        }
    }
    Line_ = Line;
    LineStart_ = LineStart;
    const char C = S[P];
    if ((C == '-' && S[P + 1] == '-') || (C == '/' && S[P + 1] == '*')) return SkipBlanksAndComments(From, P);
    if (P == From) return false;
    Pos_ = P;
    Ch_ = MapChar(C);
    return true;
}

bool TCustomSQLParser::SkipBlanksAndComments(std::size_t From, std::size_t P) {
    // Blanks and comments in any order, up to the next token. Source_[P + 1] is at most the
    // terminating NUL whenever Source_[P] is "-" or "/".
    for (;;) {
        P = SkipBlankRun(P);
        const char C = Source_[P];
        if (!((C == '-' && Source_[P + 1] == '-') || (C == '/' && Source_[P + 1] == '*'))) break;
        Pos_ = P;
        Ch_ = C;
        ReadComment();
        P = Pos_;
    }
    if (P == From) return false;
    Pos_ = P;
    Ch_ = MapChar(Source_[P]);
    return true;
}

void TCustomSQLParser::ReadComment() {
    std::string Text;
    if (Ch_ == '/') {
        const std::size_t E = Source_.find("*/", Pos_ + 2);
        if (E == std::string::npos) {
            const int Line = Line_, Column = GetColumnNo();
            LastComment_.assign(Source_, Pos_ + 2, std::string::npos);
            MoveTo(Source_.size());
            ErrorAt("Unterminated comment", Line, Column);
        } else {
            LastComment_.assign(Source_, Pos_ + 2, E - Pos_ - 2);
            MoveTo(E + 2);
        }
        if (LogFlags_ & 2) DoLogNextLine("Comment: " + LastComment_);
        return;
    }
    // "--" up to the line break, which stays the current character.
    std::size_t E = Pos_ + 2;
    while (E < Source_.size() && Source_[E] != '\n' && Source_[E] != '\r')
        ++E;
    if (LogFlags_ & 2) DoLogNextLine("Comment: " + Source_.substr(Pos_ + 2, E - Pos_ - 2));
    MoveTo(E);
}

void TCustomSQLParser::ScanToken() {
    TokenStart_ = Pos_;
    if (AtTerminatorStart() && CheckTerminator()) return;
    if (Ch_ == '|' && PeekChar() == '|') {
        Token_ = tkConcat;
        MoveTo(Pos_ + 2);
        return;
    }
    TCustomParser::ScanToken();
}

void TCustomSQLParser::SkipToTokens(const TTokenSet& Tokens) {
    while (!Tokens.contains(Token_) && Token_ != tkEOF)
        NextToken();
}

std::string TCustomSQLParser::GetSourceText(std::size_t Start) const {
    const std::size_t End = std::min(TokenStart_, Source_.size());
    if (Start >= End) return {};
    return Trim(std::string_view(Source_).substr(Start, End - Start));
}

namespace {
/// The object a grant names, by its kind.
TDbObj* FindGrantTarget(TObjs& C, TDbObject Kind, const std::string& Name) {
    using enum TDbObject;
    switch (Kind) {
    case dboTable:
        return C.FindObject(TObjsList::olTables, Name);
    case dboProcedure:
        return C.FindObject(TObjsList::olProcedures, Name);
    case dboTrigger:
        return C.FindObject(TObjsList::olTriggers, Name);
    case dboView:
        return C.FindObject(TObjsList::olViews, Name);
    case dboRole:
        return C.FindRole(Name);
    case dboUser:
        return C.FindUser(Name);
    default:
        return nullptr;
    }
}
} // namespace

namespace {
/// The table an index or constraint of Obj names: schema-qualified where the dialect files tables
/// so (Oracle, MS SQL and PostgreSQL by schema, SQL Anywhere by owner).
TDbObj* FindOwnTable(TObjs& C, const TDbObj* Obj, const std::string& Table) {
    using enum TDatabaseType;
    const TDatabaseType T = C.GetDatabaseType();
    if ((T == dbOracle || T == dbMSSQL || T == dbPostgreSQL) && !Obj->GetParentName().empty())
        return C.FindObject(TObjsList::olTables, Obj->GetParentName() + "." + Table);
    if (T == dbSybaseASA && !Obj->Owner2.empty())
        return C.FindObject(TObjsList::olTables, Obj->Owner2 + "." + Table);
    return C.FindObject(TObjsList::olTables, Table);
}

/// Obj depends on Table and on each listed column that the table holds.
void LinkTableColumns(TCustomParser& P, TDbObj* Obj, TDbObj* Table, const TStringList& Columns) {
    if (!Table) return;
    P.LinkDependObj(Obj, Table, "");
    TStringList* Fields = Table->GetFields();
    if (!Fields) return;
    // The record of a table's or view's column is made on the column object, found by name, so a
    // column the table lacks records nothing there without a look of its own.
    const bool ByColumn = Table->GetKind() == TDbObject::dboTable || Table->GetKind() == TDbObject::dboView;
    for (int i = 0; i < Columns.Count(); ++i)
        if (ByColumn || Fields->IndexOf(Columns[i]) >= 0) P.LinkDependObj(Obj, Table, Columns[i]);
}

} // namespace

namespace {

/// The column list of a table whose columns are looked up in it directly: a plain table or view
/// class (its FieldObject is that look-up) of the table or view kind; nullptr otherwise.
const TStringList* DirectColumns(const TDbObj* Table) {
    if (!Table || (Table->GetKind() != TDbObject::dboTable && Table->GetKind() != TDbObject::dboView))
        return nullptr;
    if (typeid(*Table) == typeid(TTblData)) return &static_cast<const TTblData*>(Table)->Fields;
    if (typeid(*Table) == typeid(TViwData)) return &static_cast<const TViwData*>(Table)->Fields;
    return nullptr;
}

/// Asks for the first Lines cache lines of a list's entries (the first names a look-up reads).
void PrefetchEntries(const TStringList& List, int Lines) {
    if (List.Empty()) return;
    const char* First = reinterpret_cast<const char*>(&List[0]);
    for (int l = 0; l < Lines; ++l)
        __builtin_prefetch(First + 64 * l);
}

/// One LinkTableColumns call of a link pass, with its place in the pass's own order.
struct TColumnLink {
    TColumnLink(TDbObj* AObj, TDbObj* ATable, const TStringList* AColumns, std::uint64_t AKey)
        : Obj(AObj), Table(ATable), Columns(AColumns), Fields(DirectColumns(ATable)), Key(AKey) {}
    TDbObj* Obj;
    TDbObj* Table;
    const TStringList* Columns;
    const TStringList* Fields; // DirectColumns(Table)
    std::uint64_t Key;
    // With Fields: the table's column objects in the order of Columns' names (nullptr for a name
    // it lacks), from First on in the finding's list of columns, then at Found.
    std::size_t First = 0;
    TDbObj* const* Found = nullptr;
};

/// The jobs of a link pass over one piece of its list, with the columns they name.
struct TLinkPiece {
    std::vector<TColumnLink> Jobs;
    std::vector<TDbObj*> Columns;
    struct TKeyLink {
        TCtrData* Foreign;
        TCtrData* Key;    // the key it hangs on
        std::uint64_t At; // its place in the list
    };
    std::vector<TKeyLink> Keys; // the foreign-key pass's
};

/// Looks up, for each job of a piece, the table's columns that it names. What a look-up reads
/// is asked for some jobs ahead: the table's and the name list's parts, then their first entries.
void FindJobColumns(TLinkPiece& Piece) {
    const std::size_t N = Piece.Jobs.size();
    for (std::size_t i = 0; i < N; ++i) {
        if (i + 6 < N) {
            __builtin_prefetch(Piece.Jobs[i + 6].Fields);
            __builtin_prefetch(Piece.Jobs[i + 6].Columns);
        }
        if (i + 3 < N) {
            const TColumnLink& Ahead = Piece.Jobs[i + 3];
            if (Ahead.Fields) PrefetchEntries(*Ahead.Fields, 2);
            PrefetchEntries(*Ahead.Columns, 1);
        }
        TColumnLink& J = Piece.Jobs[i];
        J.First = Piece.Columns.size();
        if (J.Fields)
            for (int c = 0; c < J.Columns->Count(); ++c) {
                const int k = ColumnIndex(*J.Fields, (*J.Columns)[c]);
                Piece.Columns.push_back(k < 0 ? nullptr : ColumnObjectAt(*J.Fields, k));
            }
    }
}
} // namespace

/// What the index, constraint and foreign-key links look up, found before any is made: the jobs
/// (with their columns) or the referenced keys, in the order the pass takes its list (that in
/// which its objects lie in memory). The list is cut in pieces that, in a large structure, other
/// threads look at from construction on (for the constraints and foreign keys while the indices
/// link); every piece only reads.
struct TCustomSQLParser::TLinkFinding {
    enum TKind { lfIndices, lfConstraints, lfForeignKeys };

    TLinkFinding(TObjs& C, TKind AKind)
        : Objs(C), Kind(AKind), List(AKind == lfIndices ? C.Indices() : C.Constraints()) {
        C.PrepareLookups(TObjsList::olTables);
        const auto Count = static_cast<std::size_t>(List.Count());
        Pieces.resize(ChunkCount(Count));
        // Other threads take pieces from here on; Wait takes those left.
        Work = std::make_unique<TPieceWork>(
            Count, Pieces.size(),
            [this] {
                Order = InMemoryOrder(List);
                if (Kind == lfForeignKeys) Keys.emplace(&Objs);
            },
            [this](std::size_t Chunk, std::size_t Begin, std::size_t End) {
                Find(Pieces[Chunk], Begin, End);
            });
    }
    /// The pieces, in the order of the pass.
    std::vector<TLinkPiece>& Wait() {
        Work->Wait();
        return Pieces;
    }
    /// The jobs of every piece in one list, in the order of the pass.
    std::vector<TColumnLink> Jobs() {
        std::vector<TColumnLink> All;
        std::size_t N = 0;
        for (const TLinkPiece& P : Wait())
            N += P.Jobs.size();
        All.reserve(N);
        for (TLinkPiece& P : Pieces)
            for (TColumnLink& J : P.Jobs) {
                J.Found = P.Columns.data() + J.First;
                All.push_back(J);
            }
        return All;
    }

private:
    void Find(TLinkPiece& Piece, std::size_t Begin, std::size_t End) {
        Piece.Jobs.reserve((End - Begin) * (Kind == lfConstraints ? 2 : 1));
        for (std::size_t p = Begin; p < End; ++p) {
            if (p + 8 < End) List.PrefetchObject(Order[p + 8]);
            const int i = Order[p];
            if (Kind == lfIndices) {
                if (auto* X = ObjectAs<TIdxData>(List.Objects(i)))
                    Piece.Jobs.emplace_back(X, FindOwnTable(Objs, X, X->TableName), &X->Columns,
                                            static_cast<std::uint64_t>(i));
                continue;
            }
            auto* C = ObjectAs<TCtrData>(List.Objects(i));
            if (!C) continue;
            if (Kind == lfForeignKeys) {
                // A foreign key without referenced columns hangs on the referenced table's primary key.
                if (C->GetConstraintType() == ctForeignKey)
                    if (TCtrData* Key = Keys->Find(C))
                        Piece.Keys.push_back({C, Key, static_cast<std::uint64_t>(i)});
                continue;
            }
            const auto Key = static_cast<std::uint64_t>(i) * 2;
            Piece.Jobs.emplace_back(C, FindOwnTable(Objs, C, C->TableName), &C->Columns, Key);
            if (C->GetConstraintType() == ctForeignKey || C->GetConstraintType() == ctReferences)
                Piece.Jobs.emplace_back(C, FindOwnTable(Objs, C, C->RefTableName), &C->RefColumns, Key + 1);
        }
        FindJobColumns(Piece);
    }

    TObjs& Objs;
    const TKind Kind;
    const TStringList& List;
    std::vector<int> Order;
    std::optional<TReferencedKeyIndex> Keys;
    std::vector<TLinkPiece> Pieces;
    std::unique_ptr<TPieceWork> Work; // last: its threads end before the rest goes
};

namespace {
/// LinkTableColumns for each job, with the result of running them in the order of their keys.
/// The jobs come in the order their objects lie in memory; the UsedBy records they make are put in
/// key order afterwards. (Jobs whose records that could not account for, a view's or those of a
/// table of another class, are run in key order.) What a job reads elsewhere is asked for in steps
/// some jobs ahead: the dependent's and the table's parts, then their lists; the columns' parts,
/// then their lists.
void LinkTableColumnsAhead(TCustomParser& P, std::vector<TColumnLink>& Jobs) {
    const bool AnyOrder = std::all_of(Jobs.begin(), Jobs.end(), [](const TColumnLink& J) {
        return J.Obj->GetKind() != TDbObject::dboView && (!J.Table || J.Fields);
    });
    if (!AnyOrder)
        std::stable_sort(Jobs.begin(), Jobs.end(),
                         [](const TColumnLink& A, const TColumnLink& B) { return A.Key < B.Key; });
    std::vector<std::pair<TDependObj*, std::uint64_t>> Made;
    Made.reserve(Jobs.size() * 2);
    const auto N = static_cast<std::ptrdiff_t>(Jobs.size());
    auto Job = [&](std::ptrdiff_t i) {
        return i >= 0 && i < N ? &Jobs[static_cast<std::size_t>(i)] : nullptr;
    };
    for (std::ptrdiff_t i = 0; i < N; ++i) {
        if (const TColumnLink* J = Job(i + 10)) {
            J->Obj->PrefetchDependencyState();
            if (J->Table) J->Table->PrefetchDependencyState();
            __builtin_prefetch(J->Columns);
        }
        if (const TColumnLink* J = Job(i + 7)) {
            J->Obj->PrefetchDependencyLists();
            if (J->Table) J->Table->PrefetchDependencyLists();
            PrefetchEntries(*J->Columns, 2);
        }
        if (const TColumnLink* J = Job(i + 5)) {
            // The first of the dependent's records, which each of its links walks, and the table's
            // last UsedBy record, which a new record follows.
            TDependList::PrefetchRecord(*J->Obj->GetDependsOn().begin());
            if (J->Table) J->Table->GetUsedBy().PrefetchLast();
        }
        if (const TColumnLink* J = Job(i + 4); J && J->Fields)
            for (int c = 0; c < J->Columns->Count(); ++c)
                if (const TDbObj* Column = J->Found[c]) Column->PrefetchDependencyState();
        if (const TColumnLink* J = Job(i + 3))
            TDependList::PrefetchRecord(TDependList::Next(*J->Obj->GetDependsOn().begin()));
        if (const TColumnLink* J = Job(i + 2); J && J->Fields)
            for (int c = 0; c < J->Columns->Count(); ++c)
                if (const TDbObj* Column = J->Found[c]) Column->PrefetchDependencyLists();
        if (const TColumnLink* J = Job(i + 1)) {
            const TDependObj* Second = TDependList::Next(*J->Obj->GetDependsOn().begin());
            TDependList::PrefetchRecord(TDependList::Next(Second));
            if (J->Fields)
                for (int c = 0; c < J->Columns->Count(); ++c)
                    if (const TDbObj* Column = J->Found[c]) Column->GetUsedBy().PrefetchLast();
        }
        const TColumnLink* J = Job(i);
        if (!J->Fields) {
            LinkTableColumns(P, J->Obj, J->Table, *J->Columns);
            continue;
        }
        // LinkTableColumns of a table or view: every listed column, on the column object.
        if (TDependObj* R = P.LinkDependObj(J->Obj, J->Table, "")) Made.emplace_back(R, J->Key);
        for (int c = 0; c < J->Columns->Count(); ++c)
            if (TDependObj* R = P.LinkDependObjTo(J->Obj, J->Table, J->Found[c], (*J->Columns)[c]))
                Made.emplace_back(R, J->Key);
    }
    if (AnyOrder) OrderUsedByRecords(Made);
}
} // namespace

void TCustomSQLParser::LinkObjects() {
    if (!Container_) return;
    Container_->SortGrants();
    // The look-ups of the constraint and foreign-key links read nothing that the passes before
    // them write (the lists, the keys' table and column names, the tables' column lists): in a
    // large structure they run on other threads from here on.
    TLinkFinding Constraints(*Container_, TLinkFinding::lfConstraints);
    TLinkFinding ForeignKeys(*Container_, TLinkFinding::lfForeignKeys);
    LinkIndexes();
    LinkConstraintsFound(Constraints);
    LinkForeignKeysFound(ForeignKeys);
    LinkGrants();
    LinkUserRoles();
}

void TCustomSQLParser::LinkIndexes() {
    TLinkFinding Finding(*Container_, TLinkFinding::lfIndices);
    std::vector<TColumnLink> Jobs = Finding.Jobs();
    LinkTableColumnsAhead(*this, Jobs);
}

void TCustomSQLParser::LinkConstraints() {
    TLinkFinding Finding(*Container_, TLinkFinding::lfConstraints);
    LinkConstraintsFound(Finding);
}

void TCustomSQLParser::LinkConstraintsFound(TLinkFinding& Finding) {
    std::vector<TColumnLink> Jobs = Finding.Jobs();
    LinkTableColumnsAhead(*this, Jobs);
}

void TCustomSQLParser::LinkForeignKeys() {
    TLinkFinding Finding(*Container_, TLinkFinding::lfForeignKeys);
    LinkForeignKeysFound(Finding);
}

void TCustomSQLParser::LinkForeignKeysFound(TLinkFinding& Finding) {
    std::vector<std::pair<TDependObj*, std::uint64_t>> Made;
    for (const TLinkPiece& Piece : Finding.Wait())
        for (const TLinkPiece::TKeyLink& K : Piece.Keys)
            if (TDependObj* R = LinkDependObj(K.Foreign, K.Key, "")) Made.emplace_back(R, K.At);
    OrderUsedByRecords(Made);
}

void TCustomSQLParser::LinkGrants() {
    TStringList& Grants = Container_->Grants();
    for (int i = 0; i < Grants.Count(); ++i) {
        auto* G = dynamic_cast<TGntData*>(Grants.Objects(i));
        if (!G) continue;
        LinkDependObj(G, FindGrantTarget(*Container_, G->ObjectKind, G->ObjectName), "");
        LinkDependObj(G, FindGrantTarget(*Container_, G->GranteeKind, G->GranteeName), "");
    }
}

void TCustomSQLParser::LinkUserRoles() {
    TStringList& Roles = Container_->Roles();
    for (int i = 0; i < Roles.Count(); ++i) {
        auto* U = dynamic_cast<TRolData*>(Roles.Objects(i));
        if (!U || U->RoleKind != 2 || U->LoginName.empty()) continue;
        LinkDependObj(U, Container_->FindLogin(U->LoginName), "");
    }
}

namespace {
/// The table, view or procedure of that name.
TDbObj* FindRelation(TObjs& C, std::string_view Name) {
    if (TDbObj* T = C.FindObject(TObjsList::olTables, Name)) return T;
    if (TDbObj* V = C.FindObject(TObjsList::olViews, Name)) return V;
    return C.FindObject(TObjsList::olProcedures, Name);
}
/// True when the relation has that column (output parameter for a procedure).
bool RelationHasColumn(TDbObj* R, std::string_view Column) {
    if (auto* P = dynamic_cast<TPrcData*>(R)) return P->OutputParams.IndexOf(Column) >= 0;
    TStringList* F = R->GetFields();
    return F && F->IndexOf(Column) >= 0;
}
} // namespace

void TCustomSQLParser::LinkFieldDepend(TDbObj* Obj, std::string_view Alias, std::string_view Column) {
    if (!Container_ || !Obj) return;
    TParseContext* Top = FromContexts_.empty() ? nullptr : FromContexts_.back().get();
    if (!Top || (Top->IsFrom && Top->TableNames.Count() == 0)) {
        if (!Column.empty() && LocalNames_.IndexOf(Column) < 0)
            LinkDepend(Obj, Column, MakeDbObjectKinds({TDbObject::dboGenerator}));
        return;
    }
    if (!Top->IsFrom || Column.empty()) return;
    auto Resolve = [&](std::string_view A) -> TDbObj* {
        for (auto It = FromContexts_.rbegin(); It != FromContexts_.rend(); ++It) {
            const TParseContext& Ctx = **It;
            const int i = Ctx.Aliases.IndexOf(A);
            if (i >= 0 && i < Ctx.TableNames.Count()) return FindRelation(*Container_, Ctx.TableNames[i]);
            if (Ctx.TableNames.IndexOf(A) >= 0) return FindRelation(*Container_, A);
        }
        return nullptr;
    };
    if (Column != "*") {
        if (!Alias.empty()) {
            if (TDbObj* R = Resolve(Alias)) LinkDependObj(Obj, R, Column);
            return;
        }
        for (auto It = FromContexts_.rbegin(); It != FromContexts_.rend(); ++It)
            for (int i = 0; i < (*It)->TableNames.Count(); ++i)
                if (TDbObj* R = FindRelation(*Container_, (*It)->TableNames[i]);
                    R && RelationHasColumn(R, Column)) {
                    LinkDependObj(Obj, R, Column);
                    return;
                }
        return;
    }
    if (!Alias.empty()) {
        if (TDbObj* R = Resolve(Alias)) LinkDependObj(Obj, R, "");
        return;
    }
    for (int i = 0; i < Top->TableNames.Count(); ++i)
        if (TDbObj* R = FindRelation(*Container_, Top->TableNames[i])) LinkDependObj(Obj, R, "");
}

// =====================================================================================================
// The executor's parser factory

void InstallSQLParserFactory() {
    SetSQLParserFactory([]() {
        return TSQLParserPtr(new TCustomSQLParser(),
                             TSQLParserDeleter{[](TCustomSQLParser* P) { delete P; }});
    });
}

namespace {
[[maybe_unused]] const bool FactoryInstalled = (InstallSQLParserFactory(), true);
} // namespace

} // namespace smx
