// The Firebird client layer over libfbclient's isc_* API: status vectors become EIBError in one
// place (RaiseStatus), parameter blocks are built from "name=value" lines, statements are
// described into XSQLDA buffers, values cross between XSQLVAR data and TVariant, large objects are
// read on access and written in segments. Text is passed as bytes in the connection's character
// set; nothing is converted here.
#include "platform/smxIBClient.h"

#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"

#include <firebird/Interface.h>
#include <ibase.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <exception>
#include <limits>
#include <type_traits>

namespace smx {

static_assert(std::is_same_v<isc_db_handle, TIBHandle>,
              "the opaque handle must be the library's handle type");
static_assert(std::is_same_v<isc_tr_handle, TIBHandle> && std::is_same_v<isc_stmt_handle, TIBHandle> &&
              std::is_same_v<isc_svc_handle, TIBHandle> && std::is_same_v<isc_blob_handle, TIBHandle>);

namespace {

using StatusVector = std::array<ISC_STATUS, ISC_STATUS_LENGTH>;

int gAttachCount = 0;

// The one place where a status vector becomes an exception: every fb_interpret line, joined by
// CR LF, with the SQLCODE and the first error code.
[[noreturn]] void RaiseStatus(const ISC_STATUS* status) {
    const int sqlCode = static_cast<int>(isc_sqlcode(status));
    std::string text;
    const ISC_STATUS* p = status;
    std::array<char, 1024> line{};
    while (fb_interpret(line.data(), static_cast<unsigned>(line.size()), &p) > 0) {
        if (!text.empty()) text += "\r\n";
        text += line.data();
    }
    if (text.empty()) text = "Unknown database error";
    throw EIBError(text, sqlCode, status[1]);
}

[[noreturn]] void RaiseStatus(const StatusVector& status) {
    RaiseStatus(status.data());
}

bool Failed(const StatusVector& status) {
    return status[0] == 1 && status[1] != 0;
}

void Check(const StatusVector& status) {
    if (Failed(status)) RaiseStatus(status);
}

// A parameter-block name without its "isc_dpb_"/"isc_tpb_" prefix, in lower case.
std::string BlockName(std::string_view name, std::string_view prefix) {
    std::string n = LowerCase(Trim(name));
    if (StartsText(prefix, n)) n.erase(0, prefix.size());
    return n;
}

void AppendItem(std::string& block, char code, std::string_view value) {
    if (value.size() > 255)
        throw EDatabaseError("Parameter value too long (" + IntToStr(value.size()) + " bytes)");
    block += code;
    block += static_cast<char>(value.size());
    block.append(value);
}

std::int64_t Pow10(int n) {
    std::int64_t r = 1;
    while (n-- > 0)
        r *= 10;
    return r;
}

// "-12.3400" for the scaled integer -123400 with 4 decimals.
std::string DecimalText(std::int64_t v, int decimals) {
    if (decimals <= 0) return IntToStr(v);
    const bool neg = v < 0;
    // Work on the magnitude as unsigned so that the smallest 64-bit value converts too.
    const std::uint64_t mag = neg ? ~static_cast<std::uint64_t>(v) + 1 : static_cast<std::uint64_t>(v);
    std::string digits = std::to_string(mag);
    if (static_cast<int>(digits.size()) <= decimals)
        digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
    digits.insert(digits.size() - static_cast<std::size_t>(decimals), ".");
    return neg ? "-" + digits : digits;
}

// Parses an exact decimal text into an integer scaled by 10^decimals; extra decimals must be 0.
bool ParseDecimal(std::string_view text, int decimals, std::int64_t& out) {
    const std::string t = Trim(text);
    std::size_t i = 0;
    bool neg = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) neg = t[i++] == '-';
    std::uint64_t mag = 0;
    int digits = 0, frac = 0;
    bool point = false;
    constexpr std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') return false;
        ++digits;
        if (point && frac >= decimals) {
            if (c != '0') return false; // would lose a digit
            continue;
        }
        if (point) ++frac;
        if (mag > (limit - static_cast<std::uint64_t>(c - '0')) / 10) return false;
        mag = mag * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (digits == 0) return false;
    for (; frac < decimals; ++frac) {
        if (mag > limit / 10) return false;
        mag *= 10;
    }
    if (mag > limit || (!neg && mag == limit)) return false;
    out = neg ? static_cast<std::int64_t>(~mag + 1) : static_cast<std::int64_t>(mag);
    return true;
}

std::tm ToTm(TDateTime dt) {
    std::tm t{};
    int y, m, d;
    DecodeDate(dt, y, m, d);
    const std::int64_t ticks = TimeToTicks(dt);
    const std::int64_t secs = ticks / TicksPerSecond;
    t.tm_year = y - 1900;
    t.tm_mon = m - 1;
    t.tm_mday = d;
    t.tm_hour = static_cast<int>(secs / 3600);
    t.tm_min = static_cast<int>(secs / 60 % 60);
    t.tm_sec = static_cast<int>(secs % 60);
    return t;
}

TDateTime FromTm(const std::tm& t, ISC_TIME time) {
    TDateTime date = 0;
    if (!TryEncodeDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, date))
        throw EDatabaseError("Date out of range");
    const std::int64_t ticks = (std::int64_t{t.tm_hour} * 3600 + t.tm_min * 60 + t.tm_sec) * TicksPerSecond +
                               static_cast<std::int64_t>(time % ISC_TIME_SECONDS_PRECISION);
    return DaysTicksToDateTime(static_cast<std::int32_t>(date), ticks);
}

ISC_TIME EncodeIscTime(TDateTime dt) {
    std::tm t = ToTm(dt);
    ISC_TIME time = 0;
    isc_encode_sql_time(&t, &time);
    return time + static_cast<ISC_TIME>(TimeToTicks(dt) % TicksPerSecond);
}

ISC_DATE EncodeIscDate(TDateTime dt) {
    std::tm t = ToTm(dt);
    ISC_DATE date = 0;
    isc_encode_sql_date(&t, &date);
    return date;
}

// The total length of an open large object, or 0 when the library does not tell.
std::size_t BlobTotalLength(isc_blob_handle& blob) {
    const char items[] = {isc_info_blob_total_length};
    char info[32] = {};
    StatusVector st{};
    if (isc_blob_info(st.data(), &blob, sizeof items, items, sizeof info, info) != 0 ||
        info[0] != isc_info_blob_total_length)
        return 0;
    const auto len = static_cast<short>(isc_vax_integer(info + 1, 2));
    if (len <= 0 || len > 8) return 0;
    const ISC_INT64 total = isc_portable_integer(reinterpret_cast<const ISC_UCHAR*>(info + 3), len);
    return total > 0 && static_cast<std::uint64_t>(total) < (std::uint64_t{1} << 40) ? static_cast<std::size_t>(total)
                                                                                       : 0;
}

// Reads a whole large object: open, segments until the end, close.
std::string ReadBlob(TIBHandle db, TIBHandle tr, ISC_QUAD id) {
    StatusVector st{};
    isc_blob_handle blob = 0;
    isc_open_blob2(st.data(), &db, &tr, &blob, &id, 0, nullptr);
    Check(st);
    std::string data;
    std::array<char, 32768> buf{};
    bool sized = false;
    for (;;) {
        unsigned short got = 0;
        const ISC_STATUS r =
            isc_get_segment(st.data(), &blob, &got, static_cast<unsigned short>(buf.size()), buf.data());
        if (r == 0 || st[1] == isc_segment) {
            // A value longer than one buffer: ask its whole length once and allocate it, so a large
            // value never holds twice its size while the string grows.
            if (!sized && got == buf.size()) {
                sized = true;
                data.reserve(BlobTotalLength(blob));
            }
            data.append(buf.data(), got);
            continue;
        }
        if (st[1] == isc_segstr_eof) break;
        StatusVector ignored{};
        isc_close_blob(ignored.data(), &blob);
        RaiseStatus(st);
    }
    isc_close_blob(st.data(), &blob);
    Check(st);
    return data;
}

ISC_QUAD WriteBlob(TIBHandle db, TIBHandle tr, std::string_view bytes) {
    StatusVector st{};
    isc_blob_handle blob = 0;
    ISC_QUAD id{};
    isc_create_blob2(st.data(), &db, &tr, &blob, &id, 0, nullptr);
    Check(st);
    constexpr std::size_t segment = 32768;
    for (std::size_t pos = 0; pos < bytes.size(); pos += segment) {
        const std::size_t n = std::min(segment, bytes.size() - pos);
        isc_put_segment(st.data(), &blob, static_cast<unsigned short>(n), bytes.data() + pos);
        if (Failed(st)) {
            StatusVector ignored{};
            isc_cancel_blob(ignored.data(), &blob);
            RaiseStatus(st);
        }
    }
    isc_close_blob(st.data(), &blob);
    Check(st);
    return id;
}

// ---- Database file names ----

bool IsAsciiOnly(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no surrogates, nothing past
// U+10FFFF.
bool IsUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t len = 0;
        std::uint32_t cp = 0;
        if (b < 0x80) {
            ++i;
            continue;
        }
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1Fu;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            cp = b & 0x0Fu;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07u;
        } else {
            return false;
        }
        if (i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0u) != 0x80u) return false;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += len;
    }
    return true;
}

// The codeset of the plain C (POSIX) locale, under glibc "ANSI_X3.4-1968".
bool CodesetIsAscii(const char* codeset) {
    return codeset && (SameText(codeset, "ANSI_X3.4-1968") || SameText(codeset, "ASCII") ||
                       SameText(codeset, "US-ASCII"));
}

// The client library and the engine convert database file names between the character type
// (LC_CTYPE codeset) of the process and UTF-8. Each builds its converter once, on the first file
// name it meets, from the codeset of the calling thread at that moment, and keeps it. Under the
// plain C locale, which every process has until it calls setlocale, that codeset is ASCII and any
// other byte then fails for good with "Cannot transliterate character between character sets".
// So while the calling thread runs under that locale, every call that passes a file name runs
// with the thread alone switched to the C.UTF-8 character type (uselocale: the process's locale
// is left as it is): the converters are built for UTF-8, and ASCII names read the same in both.
// Names are then taken as UTF-8 (a name that is not fails, see RaiseFileNameStatus).
class TFileNameCharType {
public:
    TFileNameCharType() {
        if (!CodesetIsAscii(nl_langinfo(CODESET))) return;
        static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (utf8 == static_cast<locale_t>(nullptr)) return;
        previous_ = uselocale(utf8);
        switched_ = previous_ != static_cast<locale_t>(nullptr);
    }
    TFileNameCharType(const TFileNameCharType&) = delete;
    TFileNameCharType& operator=(const TFileNameCharType&) = delete;
    ~TFileNameCharType() {
        if (switched_) uselocale(previous_);
    }
    /// True while the thread runs under the UTF-8 character type.
    bool Switched() const { return switched_; }

private:
    locale_t previous_ = static_cast<locale_t>(nullptr);
    bool switched_ = false;
};

bool HasErrorCode(const StatusVector& status, ISC_STATUS code) {
    // Clusters of (argument type, value); an error code follows isc_arg_gds.
    for (std::size_t i = 0; i + 1 < status.size() && status[i] != isc_arg_end; i += 2)
        if (status[i] == isc_arg_gds && status[i + 1] == code) return true;
    return false;
}

// A failed attach or create: the library's text, except when the file name could not be
// converted, which the library reports without saying why.
[[noreturn]] void RaiseFileNameStatus(const StatusVector& status, std::string_view name) {
    if (!IsAsciiOnly(name) && HasErrorCode(status, isc_transliteration_failed)) {
        const char* codeset = nl_langinfo(CODESET);
        std::string text = "The database file name \"" + std::string(name) +
                           "\" holds characters that the client library cannot convert from the "
                           "process's character type (" +
                           std::string(codeset ? codeset : "?") + ")";
        text += IsUtf8(name) ? ": run the program under a UTF-8 locale." : ": the name is not valid UTF-8.";
        throw EIBError(text, static_cast<int>(isc_sqlcode(status.data())), isc_transliteration_failed);
    }
    RaiseStatus(status);
}

void EraseFrom(std::vector<TIBQuery*>& v, TIBQuery* q) {
    std::erase(v, q);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TIBDatabase

TIBDatabase::TIBDatabase(TComponent* AOwner) : TComponent(AOwner) {}

TIBDatabase::~TIBDatabase() {
    try {
        Close();
    } catch (const std::exception&) {
        // A destructor cannot report; drop what is left below.
    }
    if (handle_ != 0) {
        for (TIBTransaction* t : transactions_) {
            StatusVector st{};
            if (t->handle_ != 0) isc_rollback_transaction(st.data(), &t->handle_);
        }
        StatusVector st{};
        isc_detach_database(st.data(), &handle_);
        handle_ = 0;
    }
    for (TIBQuery* q : std::vector<TIBQuery*>(queries_))
        q->DatabaseGone();
    for (TIBTransaction* t : std::vector<TIBTransaction*>(transactions_))
        t->DatabaseGone();
    for (TIBDatabaseInfo* i : std::vector<TIBDatabaseInfo*>(infos_))
        i->database_ = nullptr;
}

void TIBDatabase::SetDatabaseName(std::string value) {
    if (value == databaseName_) return;
    if (GetConnected()) throw EDatabaseError("Cannot change the database name while connected");
    databaseName_ = std::move(value);
}

std::string TIBDatabase::ParamValue(std::string_view name) const {
    return params_.Values(name);
}

void TIBDatabase::SetParamValue(std::string_view name, std::string_view value) {
    for (int i = params_.Count() - 1; i >= 0; --i)
        if (SameText(Trim(params_.Names(i)), Trim(name))) params_.Delete(i);
    if (!value.empty()) params_.Add(std::string(name) + "=" + std::string(value));
}

void TIBDatabase::SetConnected(bool value) {
    if (value)
        Open();
    else
        Close();
}

std::string TIBDatabase::BuildDPB(const TStringList& params) const {
    std::string dpb(1, static_cast<char>(isc_dpb_version1));
    for (int i = 0; i < params.Count(); ++i) {
        const std::string name = BlockName(params.Names(i), "isc_dpb_");
        const std::string value = params.ValueFromIndex(i);
        if (name == "user_name")
            AppendItem(dpb, isc_dpb_user_name, value);
        else if (name == "password")
            AppendItem(dpb, isc_dpb_password, value);
        else if (name == "sql_role_name")
            AppendItem(dpb, isc_dpb_sql_role_name, value);
        else if (name == "lc_ctype")
            AppendItem(dpb, isc_dpb_lc_ctype, value);
        // Other lines are not attach parameters of this layer.
    }
    return dpb;
}

void TIBDatabase::Open() {
    if (GetConnected()) return;
    if (databaseName_.empty()) throw EDatabaseError("Database name is missing");
    TStringList loginParams = params_;
    if (loginPrompt_ && OnLogin) OnLogin(*this, loginParams);
    std::string dpb = BuildDPB(loginParams);
    StatusVector st{};
    isc_db_handle h = 0;
    {
        const TFileNameCharType charType;
        if (charType.Switched()) {
            dpb += static_cast<char>(isc_dpb_utf8_filename);
            dpb += '\0';
        }
        isc_attach_database(st.data(), 0, databaseName_.c_str(), &h, static_cast<short>(dpb.size()),
                            dpb.data());
    }
    if (Failed(st)) RaiseFileNameStatus(st, databaseName_);
    handle_ = h;
    attachDPB_ = std::move(dpb);
    ++attachSerial_;
    ++gAttachCount;
}

void TIBDatabase::Close() {
    if (!GetConnected()) return;
    std::exception_ptr commitError;
    for (TIBTransaction* t : std::vector<TIBTransaction*>(transactions_)) {
        if (!t->GetActive()) continue;
        try {
            t->Commit();
        } catch (const std::exception&) {
            if (!commitError) commitError = std::current_exception();
            try {
                t->Rollback();
            } catch (const std::exception&) {
            }
        }
    }
    for (TIBQuery* q : std::vector<TIBQuery*>(queries_))
        q->FreeStatement();
    StatusVector st{};
    isc_detach_database(st.data(), &handle_);
    Check(st);
    handle_ = 0;
    if (commitError) std::rethrow_exception(commitError);
}

std::string TIBDatabase::CreateDatabaseStatement() const {
    std::string s = "CREATE DATABASE " + QuotedStr(databaseName_);
    for (int i = 0; i < params_.Count(); ++i)
        s += " " + params_[i];
    return s;
}

void TIBDatabase::CreateDatabase() {
    if (GetConnected()) throw EDatabaseError("Cannot create a database while connected");
    const std::string stmt = CreateDatabaseStatement();
    StatusVector st{};
    isc_db_handle db = 0;
    isc_tr_handle tr = 0;
    {
        const TFileNameCharType charType;
        isc_dsql_execute_immediate(st.data(), &db, &tr, 0, stmt.c_str(),
                                   static_cast<unsigned short>(sqlDialect_), nullptr);
    }
    if (Failed(st)) RaiseFileNameStatus(st, databaseName_);
    // The statement leaves the new database attached; detach so that the caller's connect runs
    // the full sequence.
    isc_detach_database(st.data(), &db);
    Check(st);
}

void TIBDatabase::SetDefaultTransaction(TIBTransaction* value) {
    if (value == defaultTransaction_) return;
    defaultTransaction_ = value;
    if (value) value->SetDefaultDatabase(this);
}

int TIBDatabase::AttachCount() {
    return gAttachCount;
}

// ---------------------------------------------------------------------------------------------
// TIBTransaction

TIBTransaction::TIBTransaction(TComponent* AOwner) : TComponent(AOwner) {}

TIBTransaction::~TIBTransaction() {
    if (GetActive()) {
        try {
            Commit();
        } catch (const std::exception&) {
            try {
                Rollback();
            } catch (const std::exception&) {
            }
        }
        handle_ = 0;
    }
    for (TIBQuery* q : std::vector<TIBQuery*>(queries_))
        q->TransactionGone(this);
    SetDefaultDatabase(nullptr);
}

void TIBTransaction::SetDefaultDatabase(TIBDatabase* value) {
    if (value == database_) return;
    if (GetActive()) Commit();
    if (database_) {
        std::erase(database_->transactions_, this);
        if (database_->defaultTransaction_ == this) database_->defaultTransaction_ = nullptr;
    }
    database_ = value;
    if (database_) database_->transactions_.push_back(this);
}

void TIBTransaction::SetActive(bool value) {
    if (value)
        StartTransaction();
    else
        Commit();
}

std::string TIBTransaction::BuildTPB() const {
    struct Item {
        std::string_view name;
        char code;
    };
    static constexpr std::array<Item, 11> items = {{
        {"consistency", isc_tpb_consistency},
        {"concurrency", isc_tpb_concurrency},
        {"shared", isc_tpb_shared},
        {"protected", isc_tpb_protected},
        {"exclusive", isc_tpb_exclusive},
        {"wait", isc_tpb_wait},
        {"nowait", isc_tpb_nowait},
        {"read", isc_tpb_read},
        {"write", isc_tpb_write},
        {"read_committed", isc_tpb_read_committed},
        {"rec_version", isc_tpb_rec_version},
    }};
    std::string tpb(1, static_cast<char>(isc_tpb_version3));
    if (params_.Count() == 0) {
        tpb += static_cast<char>(isc_tpb_concurrency);
        tpb += static_cast<char>(isc_tpb_nowait);
        return tpb;
    }
    for (int i = 0; i < params_.Count(); ++i) {
        const std::string name = BlockName(params_[i], "isc_tpb_");
        if (name.empty()) continue;
        if (name == "no_rec_version") {
            tpb += static_cast<char>(isc_tpb_no_rec_version);
            continue;
        }
        const auto it =
            std::find_if(items.begin(), items.end(), [&](const Item& x) { return x.name == name; });
        if (it == items.end()) throw EDatabaseError("Unknown transaction parameter: " + params_[i]);
        tpb += it->code;
    }
    return tpb;
}

void TIBTransaction::StartTransaction() {
    if (GetActive()) return;
    if (!database_) throw EDatabaseError("Database not assigned");
    if (!database_->GetConnected()) throw EDatabaseError("Database not connected");
    const std::string tpb = BuildTPB();
    StatusVector st{};
    isc_db_handle db = database_->handle_;
    isc_tr_handle tr = 0;
    isc_start_transaction(st.data(), &tr, 1, &db, static_cast<unsigned short>(tpb.size()), tpb.data());
    Check(st);
    handle_ = tr;
}

void TIBTransaction::End(bool commit) {
    if (!GetActive()) return;
    // Cursors do not outlive their transaction: close them while the statement is still valid.
    std::vector<TIBQuery*> users(queries_);
    if (database_)
        for (TIBQuery* q : database_->queries_)
            if (q->GetTransaction() == this && std::find(users.begin(), users.end(), q) == users.end())
                users.push_back(q);
    for (TIBQuery* q : users)
        q->CloseCursor(true);
    StatusVector st{};
    if (commit)
        isc_commit_transaction(st.data(), &handle_);
    else
        isc_rollback_transaction(st.data(), &handle_);
    Check(st);
    handle_ = 0;
}

void TIBTransaction::Commit() {
    End(true);
}

namespace {

// The transaction number and the oldest active one of an isc_transaction_info answer.
std::pair<std::int64_t, std::int64_t> ReadNumberAndOldestActive(const char* info, std::size_t size) {
    std::int64_t number = -1, oldest = -1;
    std::size_t at = 0;
    while (at + 3 <= size && info[at] != isc_info_end) {
        const char item = info[at];
        const auto len = static_cast<std::size_t>(isc_vax_integer(info + at + 1, 2));
        if (at + 3 + len > size) break;
        const std::int64_t v =
            isc_portable_integer(reinterpret_cast<const ISC_UCHAR*>(info + at + 3), static_cast<short>(len));
        if (item == isc_info_tra_id) number = v;
        if (item == isc_info_tra_oldest_active) oldest = v;
        at += 3 + len;
    }
    if (number < 0 || oldest < 0) throw EDatabaseError("The transaction's number could not be read");
    return {number, oldest};
}

constexpr char kNumberItems[] = {isc_info_tra_id, isc_info_tra_oldest_active, isc_info_end};

} // namespace

std::pair<std::int64_t, std::int64_t> TIBTransaction::NumberAndOldestActive() const {
    if (!GetActive()) throw EDatabaseError("Transaction not active");
    StatusVector st{};
    isc_tr_handle tr = handle_;
    std::array<char, 64> info{};
    isc_transaction_info(st.data(), &tr, static_cast<short>(sizeof kNumberItems), kNumberItems,
                         static_cast<short>(info.size()), info.data());
    Check(st);
    return ReadNumberAndOldestActive(info.data(), info.size());
}

void TIBTransaction::Rollback() {
    End(false);
}

void TIBTransaction::DatabaseGone() {
    handle_ = 0;
    database_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// TIBSnapshotReader

static_assert(std::is_same_v<ISC_STATUS, std::intptr_t>,
              "the object interface's status vector is the isc_* one");

namespace {

// A status of the object interface: raised as an isc_* status would be.
class TOOStatus {
public:
    TOOStatus() : status_(Firebird::fb_get_master_interface()->getStatus()), wrapper_(status_) {}
    ~TOOStatus() { status_->dispose(); }
    TOOStatus(const TOOStatus&) = delete;
    TOOStatus& operator=(const TOOStatus&) = delete;
    Firebird::CheckStatusWrapper* operator&() { return &wrapper_; }
    bool Failed() const { return (wrapper_.getState() & Firebird::IStatus::STATE_ERRORS) != 0; }
    void Check() {
        if (Failed()) RaiseStatus(wrapper_.getErrors());
    }

private:
    Firebird::IStatus* status_;
    Firebird::CheckStatusWrapper wrapper_;
};

// A column of a result message: where its value and null flag lie, its type and length.
struct TMessageColumn {
    unsigned Offset = 0, NullOffset = 0, Length = 0, Type = 0;
};

// Reads a whole BLOB through the object interface: open, segments until the end, close.
std::string ReadWholeBlob(Firebird::IAttachment* Attachment, Firebird::ITransaction* Transaction,
                          ISC_QUAD Id) {
    TOOStatus st;
    Firebird::IBlob* blob = Attachment->openBlob(&st, Transaction, &Id, 0, nullptr);
    st.Check();
    ScopeExit release([&blob] {
        if (!blob) return;
        TOOStatus ignored;
        blob->close(&ignored);
        if (ignored.Failed()) blob->release();
    });
    std::string data;
    std::array<char, 32768> buf{};
    for (;;) {
        unsigned got = 0;
        const int r = blob->getSegment(&st, static_cast<unsigned>(buf.size()), buf.data(), &got);
        if (r == Firebird::IStatus::RESULT_OK || r == Firebird::IStatus::RESULT_SEGMENT) {
            data.append(buf.data(), got);
            continue;
        }
        if (r == Firebird::IStatus::RESULT_NO_DATA) break;
        st.Check();
        break;
    }
    blob->close(&st);
    if (!st.Failed()) blob = nullptr;
    st.Check();
    return data;
}

class TMessageRow final : public TIBRow {
public:
    TMessageRow(const std::vector<TMessageColumn>& Columns, const std::vector<unsigned char>& Buffer,
                Firebird::IAttachment* Attachment, Firebird::ITransaction* Transaction)
        : columns_(Columns), buffer_(Buffer), attachment_(Attachment), transaction_(Transaction) {}
    bool IsNull(int Column) const override {
        ISC_SHORT flag = 0;
        std::memcpy(&flag, buffer_.data() + columns_[static_cast<std::size_t>(Column)].NullOffset,
                    sizeof flag);
        return flag != 0;
    }
    std::int64_t Integer(int Column) const override {
        if (IsNull(Column)) return 0;
        const TMessageColumn& c = columns_[static_cast<std::size_t>(Column)];
        const unsigned char* d = buffer_.data() + c.Offset;
        switch (c.Type) {
        case SQL_SHORT: {
            ISC_SHORT x;
            std::memcpy(&x, d, sizeof x);
            return x;
        }
        case SQL_LONG: {
            ISC_LONG x;
            std::memcpy(&x, d, sizeof x);
            return x;
        }
        case SQL_INT64: {
            ISC_INT64 x;
            std::memcpy(&x, d, sizeof x);
            return x;
        }
        default:
            return 0;
        }
    }
    std::string_view Text(int Column) const override {
        if (IsNull(Column)) return {};
        const TMessageColumn& c = columns_[static_cast<std::size_t>(Column)];
        const auto* d = reinterpret_cast<const char*>(buffer_.data() + c.Offset);
        switch (c.Type) {
        case SQL_TEXT:
            return {d, c.Length};
        case SQL_VARYING: {
            ISC_USHORT len = 0;
            std::memcpy(&len, d, sizeof len);
            return {d + 2, std::min<std::size_t>(len, c.Length)};
        }
        default:
            return {};
        }
    }
    double Float(int Column) const override {
        if (IsNull(Column)) return 0;
        const TMessageColumn& c = columns_[static_cast<std::size_t>(Column)];
        const unsigned char* d = buffer_.data() + c.Offset;
        switch (c.Type) {
        case SQL_FLOAT: {
            float x;
            std::memcpy(&x, d, sizeof x);
            return x;
        }
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            double x;
            std::memcpy(&x, d, sizeof x);
            return x;
        }
        default:
            return 0;
        }
    }
    std::string Blob(int Column) const override {
        if (IsNull(Column)) return {};
        const TMessageColumn& c = columns_[static_cast<std::size_t>(Column)];
        if (c.Type != SQL_BLOB) return {};
        ISC_QUAD id;
        std::memcpy(&id, buffer_.data() + c.Offset, sizeof id);
        return ReadWholeBlob(attachment_, transaction_, id);
    }

private:
    const std::vector<TMessageColumn>& columns_;
    const std::vector<unsigned char>& buffer_;
    Firebird::IAttachment* attachment_;
    Firebird::ITransaction* transaction_;
};

} // namespace

bool TIBColumn::IsText() const {
    return Type == SQL_TEXT || Type == SQL_VARYING;
}

bool TIBColumn::IsWholeNumber() const {
    return (Type == SQL_SHORT || Type == SQL_LONG || Type == SQL_INT64) && Scale == 0;
}

bool TIBColumn::IsFloat() const {
    return Type == SQL_FLOAT || Type == SQL_DOUBLE || Type == SQL_D_FLOAT;
}

bool TIBColumn::IsBlob() const {
    return Type == SQL_BLOB;
}

// As TIBQuery::Prepare types its fields.
TFieldType TIBColumn::FieldType() const {
    const bool bytes = (SubType & 0xFF) == 1;
    switch (Type) {
    case SQL_TEXT:
        return bytes ? TFieldType::ftBytes : TFieldType::ftFixedChar;
    case SQL_VARYING:
        return bytes ? TFieldType::ftVarBytes : TFieldType::ftString;
    case SQL_SHORT:
        return Scale == 0 ? TFieldType::ftSmallint : TFieldType::ftUnknown;
    case SQL_LONG:
        return Scale == 0 ? TFieldType::ftInteger : TFieldType::ftUnknown;
    case SQL_INT64:
        return Scale == 0 ? TFieldType::ftLargeint : TFieldType::ftUnknown;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return TFieldType::ftFloat;
    case SQL_BLOB:
        return SubType == 1 ? TFieldType::ftMemo : TFieldType::ftBlob;
    default:
        return TFieldType::ftUnknown;
    }
}

int TIBColumn::Precision() const {
    return Type == SQL_SHORT ? 4 : Type == SQL_LONG ? 9 : Type == SQL_INT64 ? 18 : 0;
}

struct TIBSnapshotReader::TImpl {
    Firebird::IAttachment* Attachment = nullptr;
    Firebird::ITransaction* Transaction = nullptr;
    unsigned Dialect = 3;
};

TIBSnapshotReader::TIBSnapshotReader() : impl_(std::make_unique<TImpl>()) {}

// An interface is released by a successful close, rollback or detach; after a failed one it is
// released here.
TIBSnapshotReader::~TIBSnapshotReader() {
    if (impl_->Transaction) {
        TOOStatus st;
        impl_->Transaction->rollback(&st);
        if (st.Failed()) impl_->Transaction->release();
    }
    if (impl_->Attachment) {
        TOOStatus st;
        impl_->Attachment->detach(&st);
        if (st.Failed()) impl_->Attachment->release();
    }
}

void TIBSnapshotReader::Attach(const TIBDatabase& Like) {
    if (!Like.GetConnected()) throw EDatabaseError("Database not connected");
    if (impl_->Attachment) throw EDatabaseError("Already attached");
    TOOStatus st;
    Firebird::IProvider* provider = Firebird::fb_get_master_interface()->getDispatcher();
    Firebird::IAttachment* attachment = nullptr;
    {
        // The file name is read as the database component's attach read it.
        const TFileNameCharType charType;
        attachment = provider->attachDatabase(&st, Like.databaseName_.c_str(),
                                              static_cast<unsigned>(Like.attachDPB_.size()),
                                              reinterpret_cast<const unsigned char*>(Like.attachDPB_.data()));
    }
    provider->release();
    st.Check();
    impl_->Attachment = attachment;
    impl_->Dialect = static_cast<unsigned>(Like.GetSQLDialect());
}

void TIBSnapshotReader::Start() {
    if (!impl_->Attachment) throw EDatabaseError("Database not connected");
    if (impl_->Transaction) return;
    static constexpr unsigned char tpb[] = {isc_tpb_version3, isc_tpb_concurrency, isc_tpb_nowait,
                                            isc_tpb_read};
    TOOStatus st;
    Firebird::ITransaction* t = impl_->Attachment->startTransaction(&st, sizeof tpb, tpb);
    st.Check();
    impl_->Transaction = t;
}

std::pair<std::int64_t, std::int64_t> TIBSnapshotReader::NumberAndOldestActive() const {
    if (!impl_->Transaction) throw EDatabaseError("Transaction not active");
    TOOStatus st;
    std::array<unsigned char, 64> info{};
    impl_->Transaction->getInfo(&st, sizeof kNumberItems,
                                reinterpret_cast<const unsigned char*>(kNumberItems),
                                static_cast<unsigned>(info.size()), info.data());
    st.Check();
    return ReadNumberAndOldestActive(reinterpret_cast<const char*>(info.data()), info.size());
}

void TIBSnapshotReader::Read(const std::string& SQL, const std::function<bool(const TIBRow&)>& Row,
                             std::vector<TIBColumn>* Columns) {
    if (!impl_->Transaction) throw EDatabaseError("Transaction not active");
    TOOStatus st;
    Firebird::IStatement* statement =
        impl_->Attachment->prepare(&st, impl_->Transaction, 0, SQL.c_str(), impl_->Dialect,
                                   Firebird::IStatement::PREPARE_PREFETCH_METADATA);
    st.Check();
    Firebird::IMessageMetadata* meta = nullptr;
    Firebird::IResultSet* cursor = nullptr;
    ScopeExit release([&] {
        if (cursor) {
            TOOStatus ignored;
            cursor->close(&ignored);
            if (ignored.Failed()) cursor->release();
        }
        if (meta) meta->release();
        TOOStatus ignored;
        statement->free(&ignored);
        if (ignored.Failed()) statement->release();
    });
    meta = statement->getOutputMetadata(&st);
    st.Check();
    const unsigned count = meta->getCount(&st);
    st.Check();
    std::vector<TMessageColumn> columns(count);
    for (unsigned i = 0; i < count; ++i) {
        TMessageColumn& c = columns[i];
        c.Offset = meta->getOffset(&st, i);
        c.NullOffset = meta->getNullOffset(&st, i);
        c.Length = meta->getLength(&st, i);
        c.Type = meta->getType(&st, i) & ~1u;
        st.Check();
        if (Columns) {
            TIBColumn& d = Columns->emplace_back();
            const char* alias = meta->getAlias(&st, i);
            const char* field = meta->getField(&st, i);
            st.Check();
            d.Name = alias && *alias ? alias : field ? field : "";
            d.Type = c.Type;
            d.SubType = meta->getSubType(&st, i);
            d.Scale = meta->getScale(&st, i);
            d.Length = c.Length;
            st.Check();
        }
    }
    std::vector<unsigned char> buffer(meta->getMessageLength(&st));
    st.Check();
    cursor = statement->openCursor(&st, impl_->Transaction, nullptr, nullptr, meta, 0);
    st.Check();
    const TMessageRow row(columns, buffer, impl_->Attachment, impl_->Transaction);
    for (;;) {
        const int r = cursor->fetchNext(&st, buffer.data());
        st.Check();
        if (r != Firebird::IStatus::RESULT_OK || !Row(row)) break;
    }
    cursor->close(&st);
    if (!st.Failed()) cursor = nullptr;
    st.Check();
}

// ---------------------------------------------------------------------------------------------
// TIBQuery

// An XSQLDA with its data and indicator buffers. Buffers are 8-byte aligned words, so that
// integers, doubles and ISC_QUADs can be written in place.
struct TIBQuery::TSQLDA {
    std::vector<std::max_align_t> raw;
    std::vector<std::vector<std::int64_t>> data;
    std::vector<short> ind;
    // The types as described, restored before each bind (binding may change them).
    std::vector<XSQLVAR> described;

    XSQLDA* da() { return reinterpret_cast<XSQLDA*>(raw.data()); }
    XSQLVAR& var(int i) { return da()->sqlvar[i]; }
    int count() { return raw.empty() ? 0 : da()->sqld; }

    void Resize(int n) {
        n = std::max(n, 1);
        const std::size_t bytes = XSQLDA_LENGTH(n);
        raw.assign((bytes + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t), std::max_align_t{});
        da()->version = SQLDA_VERSION1;
        da()->sqln = static_cast<ISC_SHORT>(n);
        da()->sqld = 0;
    }

    char* Buffer(int i, std::size_t bytes) {
        auto& b = data[static_cast<std::size_t>(i)];
        b.assign(bytes / sizeof(std::int64_t) + 1, 0);
        return reinterpret_cast<char*>(b.data());
    }

    // Output buffers as described: the data area (with the length word of a VARCHAR) and the
    // indicator of every column.
    void AllocateOutput() {
        const int n = count();
        data.assign(static_cast<std::size_t>(n), {});
        ind.assign(static_cast<std::size_t>(n), 0);
        for (int i = 0; i < n; ++i) {
            XSQLVAR& v = var(i);
            std::size_t bytes = static_cast<std::size_t>(std::max<ISC_SHORT>(v.sqllen, 0));
            if ((v.sqltype & ~1) == SQL_VARYING) bytes += 2;
            v.sqldata = Buffer(i, bytes);
            v.sqlind = &ind[static_cast<std::size_t>(i)];
        }
    }

    void SaveDescription() {
        described.assign(da()->sqlvar, da()->sqlvar + count());
        data.assign(static_cast<std::size_t>(count()), {});
        ind.assign(static_cast<std::size_t>(count()), 0);
    }
};

TIBQuery::TIBQuery(TComponent* AOwner)
    : TComponent(AOwner), out_(std::make_unique<TSQLDA>()), in_(std::make_unique<TSQLDA>()) {}

TIBQuery::~TIBQuery() {
    FreeStatement();
    SetTransaction(nullptr);
    SetDatabase(nullptr);
}

void TIBQuery::SetDatabase(TIBDatabase* value) {
    if (value == database_) return;
    FreeStatement();
    if (database_) EraseFrom(database_->queries_, this);
    database_ = value;
    if (database_) database_->queries_.push_back(this);
}

TIBTransaction* TIBQuery::GetTransaction() const {
    if (transaction_) return transaction_;
    return database_ ? database_->GetDefaultTransaction() : nullptr;
}

void TIBQuery::SetTransaction(TIBTransaction* value) {
    if (value == transaction_) return;
    Close();
    if (transaction_) EraseFrom(transaction_->queries_, this);
    transaction_ = value;
    if (transaction_) transaction_->queries_.push_back(this);
}

void TIBQuery::SetSQLText(std::string_view text) {
    const bool sameBytes = text == sqlVerbatim_ && sql_.Text() == sqlVerbatimList_;
    sql_.SetText(text);
    sqlVerbatim_ = text;
    sqlVerbatimList_ = sql_.Text();
    if (sameBytes) return;
    sqlSeen_ = sqlVerbatimList_;
    SQLChanged();
}

std::string TIBQuery::CurrentSQL() const {
    // The list turns every line break into CR LF; a text set as a whole is passed on unchanged.
    if (!sqlVerbatimList_.empty() && sqlSeen_ == sqlVerbatimList_) return sqlVerbatim_;
    std::string text = sqlSeen_;
    if (EndsStr("\r\n", text)) text.resize(text.size() - 2);
    return text;
}

void TIBQuery::SyncSQL() {
    // Called for every row: a list not changed since its text was last compared is passed over,
    // and the list is compared with the text last seen without building its text.
    if (sql_.Changes() == sqlSeenChanges_) return;
    sqlSeenChanges_ = sql_.Changes();
    std::string_view seen = sqlSeen_;
    bool same = true;
    for (int i = 0; i < sql_.Count() && same; ++i) {
        const std::string& line = sql_[i];
        same = seen.size() >= line.size() + 2 && seen.compare(0, line.size(), line) == 0 &&
               seen.compare(line.size(), 2, "\r\n") == 0;
        if (same) seen.remove_prefix(line.size() + 2);
    }
    if (same && seen.empty()) return;
    sqlSeen_ = sql_.Text();
    SQLChanged();
}

void TIBQuery::SQLChanged() {
    FreeStatement();
    fields_.Clear();
    rowsAffected_ = -1;
    const std::string sql = CurrentSQL();
    if (paramCheck_ && ParamRewriter) {
        TParams fresh;
        preparedText_ = ParamRewriter(sql, fresh);
        fresh.AssignValues(params_);
        params_.Assign(fresh);
    } else {
        preparedText_ = sql;
    }
}

void TIBQuery::SetParamCheck(bool value) {
    if (value == paramCheck_) return;
    paramCheck_ = value;
    sqlSeen_ = sql_.Text();
    SQLChanged();
}

TParams* TIBQuery::Params() {
    SyncSQL();
    return &params_;
}

TParam& TIBQuery::ParamByName(std::string_view name) {
    return Params()->ParamByName(name);
}

void TIBQuery::RequireDatabase() const {
    if (!database_) throw EDatabaseError("Database not assigned");
    if (!database_->GetConnected()) throw EDatabaseError("Database not connected");
}

void TIBQuery::StartIfInactive() {
    TIBTransaction* t = GetTransaction();
    if (!t) throw EDatabaseError("Transaction not assigned");
    if (!t->GetActive()) t->StartTransaction();
}

void TIBQuery::Prepare() {
    SyncSQL();
    if (GetPrepared()) return;
    RequireDatabase();
    if (Trim(preparedText_).empty()) throw EDatabaseError("Empty SQL statement");
    StartIfInactive();
    StatusVector st{};
    isc_db_handle db = database_->handle_;
    isc_tr_handle tr = GetTransaction()->handle_;
    if (stmt_ == 0) {
        isc_stmt_handle s = 0;
        isc_dsql_allocate_statement(st.data(), &db, &s);
        Check(st);
        stmt_ = s;
    }
    const auto dialect = static_cast<unsigned short>(database_->GetSQLDialect());
    out_->Resize(32);
    isc_dsql_prepare(st.data(), &tr, &stmt_, 0, preparedText_.c_str(), dialect, out_->da());
    Check(st);
    if (out_->da()->sqld > out_->da()->sqln) {
        out_->Resize(out_->da()->sqld);
        isc_dsql_describe(st.data(), &stmt_, dialect, out_->da());
        Check(st);
    }
    out_->AllocateOutput();

    const char item = isc_info_sql_stmt_type;
    std::array<char, 16> info{};
    isc_dsql_sql_info(st.data(), &stmt_, 1, &item, static_cast<short>(info.size()), info.data());
    Check(st);
    stmtType_ = 0;
    if (info[0] == isc_info_sql_stmt_type) {
        const short len = static_cast<short>(isc_vax_integer(info.data() + 1, 2));
        stmtType_ = static_cast<int>(isc_vax_integer(info.data() + 3, len));
    }

    in_->Resize(32);
    isc_dsql_describe_bind(st.data(), &stmt_, dialect, in_->da());
    Check(st);
    if (in_->da()->sqld > in_->da()->sqln) {
        in_->Resize(in_->da()->sqld);
        isc_dsql_describe_bind(st.data(), &stmt_, dialect, in_->da());
        Check(st);
    }
    in_->SaveDescription();

    // The same description keeps the same field objects, so references that callers hold stay
    // valid when a query is prepared again (after a reconnect, say).
    std::vector<std::unique_ptr<TField>> described;
    for (int i = 0; i < out_->count(); ++i) {
        const XSQLVAR& v = out_->var(i);
        std::string name = v.aliasname_length > 0
                               ? std::string(v.aliasname, static_cast<std::size_t>(v.aliasname_length))
                               : std::string(v.sqlname, static_cast<std::size_t>(v.sqlname_length));
        const int scale = -v.sqlscale;
        TFieldType ft = TFieldType::ftUnknown;
        int size = 0, precision = 0;
        switch (v.sqltype & ~1) {
        // Text in CHARACTER SET OCTETS (character set 1) is binary: byte strings, not text.
        case SQL_TEXT:
            ft = (v.sqlsubtype & 0xFF) == 1 ? TFieldType::ftBytes : TFieldType::ftFixedChar;
            size = v.sqllen;
            break;
        case SQL_VARYING:
            ft = (v.sqlsubtype & 0xFF) == 1 ? TFieldType::ftVarBytes : TFieldType::ftString;
            size = v.sqllen;
            break;
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64:
            precision = (v.sqltype & ~1) == SQL_SHORT ? 4 : (v.sqltype & ~1) == SQL_LONG ? 9 : 18;
            if (scale > 0)
                ft = scale <= 4 ? TFieldType::ftBCD : TFieldType::ftFMTBcd;
            else
                ft = (v.sqltype & ~1) == SQL_SHORT  ? TFieldType::ftSmallint
                     : (v.sqltype & ~1) == SQL_LONG ? TFieldType::ftInteger
                                                    : TFieldType::ftLargeint;
            break;
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            ft = TFieldType::ftFloat;
            break;
        case SQL_TIMESTAMP:
            ft = TFieldType::ftDateTime;
            break;
        case SQL_TYPE_DATE:
            ft = TFieldType::ftDate;
            break;
        case SQL_TYPE_TIME:
            ft = TFieldType::ftTime;
            break;
        case SQL_BOOLEAN:
            ft = TFieldType::ftBoolean;
            break;
        case SQL_BLOB:
            ft = v.sqlsubtype == 1 ? TFieldType::ftMemo : TFieldType::ftBlob;
            break;
        default:
            break;
        }
        described.push_back(
            std::make_unique<TField>(std::move(name), ft, size, precision, scale > 0 ? scale : 0));
    }
    bool same = fields_.Count() == static_cast<int>(described.size());
    for (int i = 0; same && i < fields_.Count(); ++i) {
        const TField& a = fields_[i];
        const TField& b = *described[static_cast<std::size_t>(i)];
        same = a.FieldName() == b.FieldName() && a.DataType() == b.DataType() && a.Size() == b.Size() &&
               a.Scale() == b.Scale();
    }
    if (!same) {
        fields_.Clear();
        for (auto& f : described)
            fields_.Add(std::move(f));
    }
    prepared_ = true;
}

void TIBQuery::Unprepare() {
    FreeStatement();
}

void TIBQuery::BindParams() {
    const int n = in_->count();
    if (n == 0) return;
    if (params_.Count() < n)
        throw EDatabaseError("The statement has " + IntToStr(n) + " parameters, " +
                             IntToStr(params_.Count()) + " are given");
    isc_db_handle db = database_->handle_;
    isc_tr_handle tr = GetTransaction()->handle_;
    for (int i = 0; i < n; ++i) {
        XSQLVAR& v = in_->var(i);
        v = in_->described[static_cast<std::size_t>(i)];
        short& ind = in_->ind[static_cast<std::size_t>(i)];
        v.sqlind = &ind;
        const TParam& p = params_[i];
        const int type = v.sqltype & ~1;
        if (p.IsNull()) {
            v.sqltype = static_cast<ISC_SHORT>(type | 1);
            ind = -1;
            v.sqldata = in_->Buffer(i, static_cast<std::size_t>(std::max<ISC_SHORT>(v.sqllen, 0)) + 2);
            continue;
        }
        ind = 0;
        const TVariant& val = p.Value();
        const bool textual = val.Kind() == TVarKind::vkString || val.Kind() == TVarKind::vkBytes;
        auto bindText = [&](const std::string& text, bool keepSubtype) {
            if (text.size() > 32767) throw EDatabaseError("Parameter " + p.Name() + " is too long");
            v.sqltype = SQL_TEXT | 1;
            v.sqllen = static_cast<ISC_SHORT>(text.size());
            if (!keepSubtype) v.sqlsubtype = 0;
            char* b = in_->Buffer(i, text.size());
            std::memcpy(b, text.data(), text.size());
            v.sqldata = b;
        };
        auto bindInt64 = [&](std::int64_t x) {
            v.sqltype = SQL_INT64 | 1;
            v.sqllen = sizeof(ISC_INT64);
            char* b = in_->Buffer(i, sizeof(ISC_INT64));
            std::memcpy(b, &x, sizeof x);
            v.sqldata = b;
        };
        auto bindDouble = [&](double x) {
            v.sqltype = SQL_DOUBLE | 1;
            v.sqllen = sizeof(double);
            char* b = in_->Buffer(i, sizeof(double));
            std::memcpy(b, &x, sizeof x);
            v.sqldata = b;
        };
        switch (type) {
        case SQL_TEXT:
        case SQL_VARYING:
            bindText(val.AsString(), true);
            break;
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: {
            const int decimals = -v.sqlscale;
            std::int64_t x = 0;
            if (textual) {
                if (ParseDecimal(val.AsString(), decimals, x))
                    bindInt64(x);
                else
                    bindText(val.AsString(), false); // the server converts or reports
            } else if (val.Kind() == TVarKind::vkFloat || val.Kind() == TVarKind::vkDateTime) {
                const double scaled = val.AsFloat() * static_cast<double>(Pow10(decimals));
                if (!(std::fabs(scaled) < 9.2e18))
                    throw EDatabaseError("Parameter " + p.Name() + " is out of range");
                bindInt64(std::llround(scaled));
            } else {
                const std::int64_t raw = val.AsInteger();
                const std::int64_t f = Pow10(decimals);
                if (decimals > 0 && (raw > std::numeric_limits<std::int64_t>::max() / f ||
                                     raw < std::numeric_limits<std::int64_t>::min() / f))
                    throw EDatabaseError("Parameter " + p.Name() + " is out of range");
                bindInt64(raw * f);
            }
            v.sqlscale = static_cast<ISC_SHORT>(-decimals);
            break;
        }
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            double x = 0;
            if (textual && !TryTextToFloat(val.AsString(), x))
                bindText(val.AsString(), false);
            else
                bindDouble(textual ? x : val.AsFloat());
            v.sqlscale = 0;
            break;
        }
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIME:
        case SQL_TIMESTAMP: {
            TDateTime dt = 0;
            if (textual && !TryTextToDateTime(val.AsString(), dt)) {
                bindText(val.AsString(), false); // e.g. 'NOW' or another server-side form
                break;
            }
            if (!textual) dt = val.AsDateTime();
            if (type == SQL_TYPE_DATE) {
                const ISC_DATE d = EncodeIscDate(dt);
                char* b = in_->Buffer(i, sizeof d);
                std::memcpy(b, &d, sizeof d);
                v.sqldata = b;
            } else if (type == SQL_TYPE_TIME) {
                const ISC_TIME t = EncodeIscTime(dt);
                char* b = in_->Buffer(i, sizeof t);
                std::memcpy(b, &t, sizeof t);
                v.sqldata = b;
            } else {
                std::tm t = ToTm(dt);
                ISC_TIMESTAMP ts{};
                isc_encode_timestamp(&t, &ts);
                ts.timestamp_time += static_cast<ISC_TIME>(TimeToTicks(dt) % TicksPerSecond);
                char* b = in_->Buffer(i, sizeof ts);
                std::memcpy(b, &ts, sizeof ts);
                v.sqldata = b;
            }
            v.sqltype = static_cast<ISC_SHORT>(type | 1);
            break;
        }
        case SQL_BOOLEAN: {
            bool x = false;
            try {
                x = val.AsBoolean();
            } catch (const EConvertError&) {
                bindText(val.AsString(), false);
                break;
            }
            const FB_BOOLEAN b8 = x ? FB_TRUE : FB_FALSE;
            char* b = in_->Buffer(i, sizeof b8);
            std::memcpy(b, &b8, sizeof b8);
            v.sqldata = b;
            v.sqltype = SQL_BOOLEAN | 1;
            break;
        }
        case SQL_BLOB: {
            const ISC_QUAD id = WriteBlob(db, tr, val.AsBytes());
            char* b = in_->Buffer(i, sizeof id);
            std::memcpy(b, &id, sizeof id);
            v.sqldata = b;
            v.sqltype = SQL_BLOB | 1;
            break;
        }
        case SQL_ARRAY:
            throw EDatabaseError("Array parameters are not supported (" + p.Name() + ")");
        default:
            bindText(val.AsString(), false);
            break;
        }
    }
}

void TIBQuery::Execute() {
    rowsAffected_ = -1;
    BindParams();
    StatusVector st{};
    isc_tr_handle tr = GetTransaction()->handle_;
    const auto dialect = static_cast<unsigned short>(database_->GetSQLDialect());
    XSQLDA* in = in_->count() > 0 ? in_->da() : nullptr;
    if (stmtType_ == isc_info_sql_stmt_exec_procedure && out_->count() > 0) {
        isc_dsql_execute2(st.data(), &tr, &stmt_, dialect, in, out_->da());
        Check(st);
        ReadRow();
        return;
    }
    isc_dsql_execute(st.data(), &tr, &stmt_, dialect, in);
    Check(st);
    if (stmtType_ == isc_info_sql_stmt_select || stmtType_ == isc_info_sql_stmt_select_for_upd)
        cursorOpen_ = true;
    ReadRowsAffected();
}

void TIBQuery::ReadRowsAffected() {
    rowsAffected_ = -1;
    int item = 0;
    switch (stmtType_) {
    case isc_info_sql_stmt_insert:
        item = isc_info_req_insert_count;
        break;
    case isc_info_sql_stmt_update:
        item = isc_info_req_update_count;
        break;
    case isc_info_sql_stmt_delete:
        item = isc_info_req_delete_count;
        break;
    default:
        return;
    }
    // The answer: isc_info_sql_records, its length, then (count kind, length, value) entries.
    const char request = isc_info_sql_records;
    std::array<char, 64> info{};
    StatusVector st{};
    isc_dsql_sql_info(st.data(), &stmt_, 1, &request, static_cast<short>(info.size()), info.data());
    if (st[0] == 1 && st[1] != 0) return;
    if (info[0] != isc_info_sql_records) return;
    const int total = static_cast<int>(isc_vax_integer(info.data() + 1, 2));
    int at = 3;
    const int end = std::min(3 + total, static_cast<int>(info.size()));
    while (at + 3 <= end && info[static_cast<std::size_t>(at)] != isc_info_end) {
        const int kind = static_cast<unsigned char>(info[static_cast<std::size_t>(at)]);
        const int len = static_cast<int>(isc_vax_integer(info.data() + at + 1, 2));
        if (len < 0 || at + 3 + len > end) return;
        if (kind == item) {
            rowsAffected_ = isc_vax_integer(info.data() + at + 3, static_cast<short>(len));
            return;
        }
        at += 3 + len;
    }
    rowsAffected_ = 0;
}

bool TIBQuery::Fetch() {
    StatusVector st{};
    const ISC_STATUS r = isc_dsql_fetch(st.data(), &stmt_,
                                        static_cast<unsigned short>(database_->GetSQLDialect()), out_->da());
    if (r == 100) return false;
    Check(st);
    ReadRow();
    return true;
}

void TIBQuery::ReadRow() {
    const TIBHandle db = database_->handle_;
    const TIBHandle tr = GetTransaction()->handle_;
    for (int i = 0; i < out_->count(); ++i) {
        XSQLVAR& v = out_->var(i);
        TField& f = fields_[i];
        // Values are set in the field's own storage: a text no longer than the row before's needs
        // no allocation.
        if ((v.sqltype & 1) && *v.sqlind == -1) {
            f.SetNull();
            continue;
        }
        const char* d = v.sqldata;
        const int scale = -v.sqlscale;
        auto integer = [&](std::int64_t x) {
            if (scale > 0)
                f.SetText(DecimalText(x, scale), false);
            else
                f.SetInteger(x);
        };
        switch (v.sqltype & ~1) {
        case SQL_TEXT:
            f.SetText(std::string_view(d, static_cast<std::size_t>(v.sqllen)),
                      f.DataType() == TFieldType::ftBytes);
            break;
        case SQL_VARYING: {
            ISC_USHORT len = 0;
            std::memcpy(&len, d, sizeof len);
            f.SetText(std::string_view(d + 2, len), f.DataType() == TFieldType::ftVarBytes);
            break;
        }
        case SQL_SHORT: {
            ISC_SHORT x;
            std::memcpy(&x, d, sizeof x);
            integer(x);
            break;
        }
        case SQL_LONG: {
            ISC_LONG x;
            std::memcpy(&x, d, sizeof x);
            integer(x);
            break;
        }
        case SQL_INT64: {
            ISC_INT64 x;
            std::memcpy(&x, d, sizeof x);
            integer(x);
            break;
        }
        case SQL_FLOAT: {
            float x;
            std::memcpy(&x, d, sizeof x);
            f.SetValue(TVariant::FromFloat(x));
            break;
        }
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            double x;
            std::memcpy(&x, d, sizeof x);
            f.SetValue(TVariant::FromFloat(x));
            break;
        }
        case SQL_TIMESTAMP: {
            ISC_TIMESTAMP ts;
            std::memcpy(&ts, d, sizeof ts);
            std::tm t{};
            isc_decode_timestamp(&ts, &t);
            f.SetValue(TVariant::FromDateTime(FromTm(t, ts.timestamp_time)));
            break;
        }
        case SQL_TYPE_DATE: {
            ISC_DATE x;
            std::memcpy(&x, d, sizeof x);
            std::tm t{};
            isc_decode_sql_date(&x, &t);
            f.SetValue(TVariant::FromDateTime(FromTm(t, 0)));
            break;
        }
        case SQL_TYPE_TIME: {
            ISC_TIME x;
            std::memcpy(&x, d, sizeof x);
            std::tm t{};
            isc_decode_sql_time(&x, &t);
            const std::int64_t ticks =
                (std::int64_t{t.tm_hour} * 3600 + t.tm_min * 60 + t.tm_sec) * TicksPerSecond +
                static_cast<std::int64_t>(x % ISC_TIME_SECONDS_PRECISION);
            f.SetValue(TVariant::FromDateTime(DaysTicksToDateTime(0, ticks)));
            break;
        }
        case SQL_BOOLEAN: {
            FB_BOOLEAN x;
            std::memcpy(&x, d, sizeof x);
            f.SetValue(TVariant::FromBoolean(x != FB_FALSE));
            break;
        }
        case SQL_BLOB: {
            ISC_QUAD id;
            std::memcpy(&id, d, sizeof id);
            // Read on access, with the handles of this row's attachment and transaction.
            f.SetLoader([db, tr, id] { return TVariant::FromBytes(ReadBlob(db, tr, id)); });
            break;
        }
        default:
            f.SetValue(TVariant());
            break;
        }
    }
}

void TIBQuery::Open() {
    SyncSQL();
    if (active_) return;
    Prepare();
    StartIfInactive();
    Execute();
    active_ = true;
    rowNo_ = 0;
    if (cursorOpen_) {
        eof_ = !Fetch();
        if (!eof_) rowNo_ = 1;
    } else if (stmtType_ == isc_info_sql_stmt_exec_procedure && out_->count() > 0) {
        eof_ = false;
        rowNo_ = 1;
    } else {
        eof_ = true;
    }
}

void TIBQuery::CloseCursor(bool callLibrary) {
    if (cursorOpen_ && callLibrary && stmt_ != 0) {
        StatusVector st{};
        isc_dsql_free_statement(st.data(), &stmt_, DSQL_close);
    }
    cursorOpen_ = false;
    active_ = false;
    eof_ = true;
    rowNo_ = 0;
    for (int i = 0; i < fields_.Count(); ++i)
        fields_[i].SetValue(TVariant());
}

void TIBQuery::Close() {
    CloseCursor(true);
}

void TIBQuery::SetActive(bool value) {
    if (value)
        Open();
    else
        Close();
}

void TIBQuery::ExecSQL() {
    SyncSQL();
    Close();
    Prepare();
    StartIfInactive();
    Execute();
    if (cursorOpen_) CloseCursor(true);
}

void TIBQuery::Next() {
    SyncSQL();
    if (!active_) throw EDatabaseError("Query is not open");
    if (eof_) return;
    if (cursorOpen_ && Fetch()) {
        ++rowNo_;
        return;
    }
    eof_ = true;
}

void TIBQuery::First() {
    SyncSQL();
    if (active_ && rowNo_ == 1 && !eof_) return;
    Close();
    Open();
}

void TIBQuery::Last() {
    SyncSQL();
    if (!active_) Open();
    while (cursorOpen_ && Fetch())
        ++rowNo_;
    eof_ = true;
}

void TIBQuery::FreeStatement() {
    CloseCursor(true);
    if (stmt_ != 0) {
        if (database_ && database_->GetConnected()) {
            StatusVector st{};
            isc_dsql_free_statement(st.data(), &stmt_, DSQL_drop);
        }
        stmt_ = 0;
    }
    prepared_ = false;
}

void TIBQuery::DatabaseGone() {
    CloseCursor(false);
    stmt_ = 0;
    prepared_ = false;
    database_ = nullptr;
}

void TIBQuery::TransactionGone(TIBTransaction* t) {
    if (transaction_ != t) return;
    CloseCursor(false);
    transaction_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// TIBDatabaseInfo

TIBDatabaseInfo::TIBDatabaseInfo(TComponent* AOwner) : TComponent(AOwner) {}

TIBDatabaseInfo::~TIBDatabaseInfo() {
    SetDatabase(nullptr);
}

void TIBDatabaseInfo::SetDatabase(TIBDatabase* value) {
    if (value == database_) return;
    if (database_) std::erase(database_->infos_, this);
    database_ = value;
    serial_ = 0;
    if (database_) database_->infos_.push_back(this);
}

void TIBDatabaseInfo::Refresh() {
    if (!database_) throw EDatabaseError("Database not assigned");
    if (!database_->GetConnected()) throw EDatabaseError("Database not connected");
    static constexpr std::array<char, 10> items = {
        isc_info_version,     isc_info_implementation, isc_info_ods_version,    isc_info_ods_minor_version,
        isc_info_page_size,   isc_info_forced_writes,  isc_info_sweep_interval, isc_info_db_read_only,
        isc_info_num_buffers, isc_info_db_sql_dialect,
    };
    std::vector<char> buf(1024);
    StatusVector st{};
    isc_db_handle db = database_->handle_;
    for (;;) {
        isc_database_info(st.data(), &db, static_cast<short>(items.size()), items.data(),
                          static_cast<short>(buf.size()), buf.data());
        Check(st);
        if (buf[0] != isc_info_truncated || buf.size() >= 32768) break;
        buf.assign(buf.size() * 4, 0);
    }
    const char* p = buf.data();
    const char* end = buf.data() + buf.size();
    while (p + 3 <= end && *p != isc_info_end && *p != isc_info_truncated) {
        const char item = *p;
        const int len = static_cast<int>(isc_vax_integer(p + 1, 2));
        const char* value = p + 3;
        if (value + len > end) break;
        auto number = [&] { return static_cast<int>(isc_vax_integer(value, static_cast<short>(len))); };
        switch (item) {
        case isc_info_version:
            // A count byte, then length-prefixed texts; the first is the version text.
            if (len >= 2) {
                const auto n = static_cast<unsigned char>(value[1]);
                version_.assign(value + 2, std::min<std::size_t>(n, static_cast<std::size_t>(len - 2)));
            }
            break;
        case isc_info_implementation:
            // Offsets 3 and 4 of the raw answer, counted from its item byte.
            implNo_ = len >= 1 ? static_cast<unsigned char>(p[3]) : 0;
            implClass_ = len >= 2 ? static_cast<unsigned char>(p[4]) : 0;
            break;
        case isc_info_ods_version:
            odsMajor_ = number();
            break;
        case isc_info_ods_minor_version:
            odsMinor_ = number();
            break;
        case isc_info_page_size:
            pageSize_ = number();
            break;
        case isc_info_forced_writes:
            forcedWrites_ = number();
            break;
        case isc_info_sweep_interval:
            sweep_ = number();
            break;
        case isc_info_db_read_only:
            readOnly_ = number();
            break;
        case isc_info_num_buffers:
            buffers_ = number();
            break;
        case isc_info_db_sql_dialect:
            dialect_ = number();
            break;
        default:
            break;
        }
        p = value + len;
    }
    serial_ = database_->AttachSerial();
}

void TIBDatabaseInfo::Ensure() {
    if (!database_ || !database_->GetConnected() || serial_ != database_->AttachSerial()) Refresh();
}

std::string TIBDatabaseInfo::Version() {
    Ensure();
    return version_;
}
int TIBDatabaseInfo::ODSMajorVersion() {
    Ensure();
    return odsMajor_;
}
int TIBDatabaseInfo::ODSMinorVersion() {
    Ensure();
    return odsMinor_;
}
int TIBDatabaseInfo::PageSize() {
    Ensure();
    return pageSize_;
}
int TIBDatabaseInfo::ForcedWrites() {
    Ensure();
    return forcedWrites_;
}
int TIBDatabaseInfo::SweepInterval() {
    Ensure();
    return sweep_;
}
int TIBDatabaseInfo::ReadOnly() {
    Ensure();
    return readOnly_;
}
int TIBDatabaseInfo::NumBuffers() {
    Ensure();
    return buffers_;
}
int TIBDatabaseInfo::DBImplementationNo() {
    Ensure();
    return implNo_;
}
int TIBDatabaseInfo::DBImplementationClass() {
    Ensure();
    return implClass_;
}
int TIBDatabaseInfo::DBSQLDialect() {
    Ensure();
    return dialect_;
}

// ---------------------------------------------------------------------------------------------
// TIBServerProperties

TIBServerProperties::TIBServerProperties(TComponent* AOwner) : TComponent(AOwner) {}

TIBServerProperties::~TIBServerProperties() {
    if (handle_ != 0) {
        StatusVector st{};
        isc_service_detach(st.data(), &handle_);
    }
}

std::string TIBServerProperties::ServiceName() const {
    if (serverName_.empty() || protocol_ == TIBProtocol::Local) return "service_mgr";
    return serverName_ + ":service_mgr";
}

void TIBServerProperties::SetActive(bool value) {
    StatusVector st{};
    if (!value) {
        if (handle_ == 0) return;
        isc_service_detach(st.data(), &handle_);
        handle_ = 0;
        Check(st);
        return;
    }
    if (handle_ != 0) return;
    if (protocol_ == TIBProtocol::SPX || protocol_ == TIBProtocol::NamedPipe)
        throw EDatabaseError(std::string(protocol_ == TIBProtocol::SPX ? "SPX" : "NamedPipe") +
                             " protocol is not available on this platform");
    std::string spb;
    spb += static_cast<char>(isc_spb_version);
    spb += static_cast<char>(isc_spb_current_version);
    AppendItem(spb, isc_spb_user_name, params_.Values("user_name"));
    AppendItem(spb, isc_spb_password, params_.Values("password"));
    const std::string name = ServiceName();
    isc_svc_handle h = 0;
    {
        const TFileNameCharType charType;
        isc_service_attach(st.data(), 0, name.c_str(), &h, static_cast<unsigned short>(spb.size()),
                           spb.data());
    }
    Check(st);
    handle_ = h;
}

void TIBServerProperties::FetchVersionInfo() {
    if (handle_ == 0) throw EDatabaseError("Service manager not attached");
    static constexpr std::array<char, 2> request = {isc_info_svc_server_version, isc_info_svc_implementation};
    std::array<char, 1024> buf{};
    StatusVector st{};
    isc_service_query(st.data(), &handle_, nullptr, 0, nullptr, static_cast<unsigned short>(request.size()),
                      request.data(), static_cast<unsigned short>(buf.size()), buf.data());
    Check(st);
    const char* p = buf.data();
    const char* end = buf.data() + buf.size();
    while (p + 3 <= end && *p != isc_info_end && *p != isc_info_truncated) {
        const char item = *p;
        const auto len = static_cast<std::size_t>(isc_vax_integer(p + 1, 2));
        if (p + 3 + len > end) break;
        const std::string text(p + 3, len);
        if (item == isc_info_svc_server_version)
            versionInfo_.ServerVersion = text;
        else if (item == isc_info_svc_implementation)
            versionInfo_.ServerImplementation = text;
        p += 3 + len;
    }
}

} // namespace smx
