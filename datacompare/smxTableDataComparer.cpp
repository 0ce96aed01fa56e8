// The table data comparer: column lists from properties, events or the catalogue, the key-ordered
// merge of the two tables, the texts of statements and values, the data script with its
// large-object file, immediate execution on the target, and the stop rule that removes the result
// of a run that cannot finish soundly.
#include "datacompare/smxTableDataComparer.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#include "database/smxConnection_ADO.h"
#include "foundation/smxMsg.h"
#include "model/smxKeywords.h"
#include "model/smxSQL_Exec.h"
#include "platform/smxFormatSettings.h"
#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"

namespace smx {

namespace {

const std::string CRLF = "\r\n";

// The large-object types of the data comparer (ftOraBlob is not one of them).
bool IsLargeObject(TFieldType t) {
    using enum TFieldType;
    return t == ftBlob || t == ftMemo || t == ftGraphic || t == ftFmtMemo || t == ftOraClob ||
           t == ftWideMemo;
}

// Kinds of values that compare with each other.
enum class TFamily { Number, Text, Bytes, DateTime, Boolean, LargeObject, Other };

TFamily FamilyOf(TFieldType t) {
    using enum TFieldType;
    if (IsLargeObject(t)) return TFamily::LargeObject;
    switch (t) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
        return TFamily::Number;
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
    case ftGuid:
        return TFamily::Text;
    case ftBytes:
    case ftVarBytes:
        return TFamily::Bytes;
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
        return TFamily::DateTime;
    case ftBoolean:
        return TFamily::Boolean;
    default:
        return TFamily::Other;
    }
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

// Byte order (unsigned), a proper prefix first.
int CompareBytes(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    if (n > 0)
        if (int c = std::memcmp(a.data(), b.data(), n); c != 0) return Sign(c);
    return (a.size() > b.size()) - (a.size() < b.size());
}

// Byte order with the shorter value padded by Pad, the way Firebird compares text (blank) and
// OCTETS (zero byte): 'ab' equals 'ab  ', and 'x' TAB sorts before 'x'.
int ComparePadded(std::string_view a, std::string_view b, unsigned char Pad) {
    const std::size_t n = std::min(a.size(), b.size());
    if (n > 0)
        if (int c = std::memcmp(a.data(), b.data(), n); c != 0) return Sign(c);
    for (std::size_t i = n; i < a.size(); ++i)
        if (static_cast<unsigned char>(a[i]) != Pad) return static_cast<unsigned char>(a[i]) < Pad ? -1 : 1;
    for (std::size_t i = n; i < b.size(); ++i)
        if (static_cast<unsigned char>(b[i]) != Pad) return static_cast<unsigned char>(b[i]) < Pad ? 1 : -1;
    return 0;
}

// Firebird's text equality: trailing blanks are not significant.
std::string_view TrimBlanksRight(std::string_view s) {
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

std::string_view TrimView(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

// The text or bytes of a value without copying when the value holds them; Buffer keeps a converted text.
std::string_view TextOf(const TField& Field, std::string& Buffer) {
    const TVariant& v = Field.Value();
    if (v.Kind() == TVarKind::vkString || v.Kind() == TVarKind::vkBytes) return v.RawText();
    Buffer = Field.AsString();
    return Buffer;
}

// ---- Exact numbers ----

// An exact decimal value: Unscaled / 10^Scale.
struct TExact {
    __int128 Unscaled = 0;
    int Scale = 0;
};

// A plain decimal text ("-12.50", "3", ".5"); false for anything else or more than 36 digits.
bool ParseExact(std::string_view s, TExact& r) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    __int128 v = 0;
    int digits = 0, scale = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') return false;
        if (++digits > 36) return false;
        v = v * 10 + (c - '0');
        if (point) ++scale;
    }
    if (digits == 0) return false;
    r.Unscaled = negative ? -v : v;
    r.Scale = scale;
    return true;
}

__int128 Pow10I128(int n) {
    __int128 r = 1;
    while (n-- > 0)
        r *= 10;
    return r;
}

int CompareExact(const TExact& a, const TExact& b) {
    __int128 x = a.Unscaled, y = b.Unscaled;
    if (a.Scale < b.Scale)
        x *= Pow10I128(b.Scale - a.Scale);
    else if (b.Scale < a.Scale)
        y *= Pow10I128(a.Scale - b.Scale);
    return (x > y) - (x < y);
}

int CompareDoubles(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) == std::isnan(b) ? 0 : (std::isnan(a) ? -1 : 1);
    return (a > b) - (a < b);
}

// A number as the field holds it: exact (integers and decimal texts) or floating point.
struct TNumber {
    bool IsExact = true;
    TExact Exact;
    double Float = 0.0;
    std::string Text; // the decimal text of an exact value read from text
};

TNumber NumberOf(const TField& Field) {
    TNumber n;
    const TVariant& v = Field.Value();
    switch (v.Kind()) {
    case TVarKind::vkInteger:
    case TVarKind::vkBoolean:
        n.Exact.Unscaled = v.AsInteger();
        return n;
    case TVarKind::vkString:
    case TVarKind::vkBytes:
        if (ParseExact(TrimView(v.RawText()), n.Exact)) {
            n.Text = std::string(TrimView(v.RawText()));
            return n;
        }
        break;
    default:
        break;
    }
    n.IsExact = false;
    n.Float = v.AsFloat();
    return n;
}

// An exact value rounded to the nearest double, the value a floating-point column would hold.
double ToDouble(const TNumber& n) {
    if (!n.IsExact) return n.Float;
    if (n.Text.empty()) return static_cast<double>(static_cast<std::int64_t>(n.Exact.Unscaled));
    double d = 0;
    const char* b = n.Text.data() + (n.Text[0] == '+' ? 1 : 0);
    std::from_chars(b, n.Text.data() + n.Text.size(), d);
    return d;
}

// Numbers of different types compare by value: exact against exact exactly, a floating-point
// value against the exact one rounded to double (so a value written into the column converges).
int CompareNumbers(const TField& M, const TField& T) {
    const TNumber a = NumberOf(M), b = NumberOf(T);
    if (a.IsExact && b.IsExact) return CompareExact(a.Exact, b.Exact);
    return CompareDoubles(ToDouble(a), ToDouble(b));
}

// Date-times compare by day and tick (1/10000 s), never by rounded floating-point differences.
std::int64_t TicksOf(TDateTime dt) {
    return static_cast<std::int64_t>(DateToDays(dt)) * TicksPerDay + TimeToTicks(dt);
}

// ---- Texts ----

std::string Unquoted(std::string_view Name) {
    if (!Name.empty() && Name.front() == '"') return DequotedStr(Name, '"');
    return std::string(Name);
}

std::string ChangeFileExt(std::string_view Name, std::string_view Ext) {
    if (Name.empty()) return {};
    const std::size_t slash = Name.find_last_of('/');
    const std::size_t dot = Name.find_last_of('.');
    if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash))
        return std::string(Name.substr(0, dot)) + std::string(Ext);
    return std::string(Name) + std::string(Ext);
}

std::string ProgramDirectory() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return {};
    return IncludeTrailingPathDelimiter(exe.parent_path().string());
}

std::string PadNumber(std::int64_t v, int width) {
    std::string s = IntToStr(v);
    while (static_cast<int>(s.size()) < width)
        s.insert(s.begin(), '0');
    return s;
}

// Scientific text in the runtime's layout: a blank or "-", one digit, ".", Digits-1 digits, "E",
// the exponent's sign and four exponent digits.
std::string SciText(double v, int Digits) {
    char buf[64];
    const auto r =
        std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, Digits - 1);
    const std::string t(buf, r.ptr);
    const std::size_t e = t.find('e');
    std::string mantissa = t.substr(0, e);
    int exponent = 0;
    std::from_chars(t.data() + e + 1 + (t[e + 1] == '+' ? 1 : 0), t.data() + t.size(), exponent);
    return std::string(v < 0 || std::signbit(v) ? "-" : " ") + mantissa + "E" + (exponent < 0 ? "-" : "+") +
           PadNumber(exponent < 0 ? -exponent : exponent, 4);
}

// The short scientific form: no "+" or leading zeros in the exponent, no "E" without exponent
// digits, no zeros right before the exponent.
std::string ShortSciText(std::string s) {
    std::size_t e = s.find('E');
    if (e == std::string::npos) return s;
    std::size_t p = e + 1;
    if (p < s.size() && s[p] == '+')
        s.erase(p, 1);
    else if (p < s.size() && s[p] == '-')
        ++p;
    while (p < s.size() && s[p] == '0')
        s.erase(p, 1);
    if (p == s.size() && (s.back() == 'E' || s.back() == '-')) {
        // No exponent digit left: drop the "E" (and a lone sign with it).
        s.erase(e);
    }
    std::size_t z = e;
    while (z > 0 && s[z - 1] == '0')
        --z;
    s.erase(z, e - z);
    return s;
}

// Reads a literal the way Firebird 3 does: every digit accumulated into a double, then one
// division (or multiplication) by the power of ten. That is exact only while the power of ten is
// (scale within 22); beyond it the server's result is not predictable, and false is returned.
bool FirebirdReadsBack(std::string_view s, double v) {
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    s = TrimView(s);
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    double value = 0.0;
    int scale = 0;
    bool fraction = false, digits = false;
    std::size_t i = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            const double shifted = value * 10.0; // two steps: no fused multiply-add
            value = shifted + (c - '0');
            digits = true;
            if (fraction) ++scale;
        } else if (c == '.' && !fraction) {
            fraction = true;
        } else {
            break;
        }
    }
    if (!digits) return false;
    if (i < s.size()) {
        if (s[i] != 'E' && s[i] != 'e') return false;
        int exponent = 0;
        std::string_view e = s.substr(i + 1);
        if (!e.empty() && e[0] == '+') e.remove_prefix(1);
        const auto r = std::from_chars(e.data(), e.data() + e.size(), exponent);
        if (r.ec != std::errc() || r.ptr != e.data() + e.size()) return false;
        scale -= exponent;
    }
    if (scale > 22 || scale < -22) return false;
    value = scale >= 0 ? value / kPow10[scale] : value * kPow10[-scale];
    return (negative ? -value : value) == v;
}

// The exact value as m * 2^e with an odd integer m below 2^53: Firebird reads the integer exactly
// and multiplies by an exact power of two, so the product is the very double.
std::string ExactPowerText(double v) {
    int e = 0;
    const double m = std::frexp(std::fabs(v), &e);
    auto mantissa = static_cast<std::uint64_t>(std::ldexp(m, 53));
    e -= 53;
    while (mantissa != 0 && (mantissa & 1) == 0) {
        mantissa >>= 1;
        ++e;
    }
    return std::string(v < 0 ? "-" : " ") + IntToStr(static_cast<std::int64_t>(mantissa)) +
           "E0 * POWER(2E0, " + IntToStr(e) + ")";
}

// The 17-digit scientific text with its last digit moved by Delta (empty when the digit count changes).
std::string NudgedSciText(const std::string& Sci17, int Delta) {
    const std::size_t e = Sci17.find('E');
    std::string digits = Sci17.substr(1, 1) + Sci17.substr(3, e - 3);
    std::int64_t n = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), n);
    n += Delta;
    const std::string moved = IntToStr(n);
    if (moved.size() != digits.size()) return {};
    return Sci17.substr(0, 1) + moved.substr(0, 1) + "." + moved.substr(1) + Sci17.substr(e);
}

bool ReadsBack(std::string_view s, double v) {
    s = TrimView(s);
    double d = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), d);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && d == v;
}

// The class library's number formatting for the forms the suite uses: "0" and "#" digit
// placeholders, one "." for the decimal separator, "," for thousands, and literal text around them.
std::string FormatFloat(std::string_view Format, double Value) {
    const std::size_t semi = Format.find(';');
    if (semi != std::string_view::npos) Format = Format.substr(0, semi);
    const std::size_t first = Format.find_first_of("0#.,");
    if (first == std::string_view::npos) return std::string(Format);
    const std::size_t last = Format.find_last_of("0#.,");
    const std::string_view prefix = Format.substr(0, first);
    const std::string_view body = Format.substr(first, last - first + 1);
    const std::string_view suffix = Format.substr(last + 1);
    const std::size_t point = body.find('.');
    const std::string_view intPart = body.substr(0, point);
    const std::string_view fracPart =
        point == std::string_view::npos ? std::string_view() : body.substr(point + 1);
    const int minInt = static_cast<int>(std::count(intPart.begin(), intPart.end(), '0'));
    const bool thousands = intPart.find(',') != std::string_view::npos;
    const int minDec = static_cast<int>(std::count(fracPart.begin(), fracPart.end(), '0'));
    const int maxDec = minDec + static_cast<int>(std::count(fracPart.begin(), fracPart.end(), '#'));

    // The shortest text that reads back, rounded half away from zero as the class library does.
    char buf[512];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(Value), std::chars_format::fixed);
    std::string digits(buf, r.ptr);
    std::string ip = digits, fp;
    if (const std::size_t p = digits.find('.'); p != std::string::npos) {
        ip = digits.substr(0, p);
        fp = digits.substr(p + 1);
    }
    if (static_cast<int>(fp.size()) > maxDec) {
        const bool up = fp[static_cast<std::size_t>(maxDec)] >= '5';
        fp.resize(static_cast<std::size_t>(maxDec));
        if (up) {
            std::string all = ip + fp;
            int i = static_cast<int>(all.size()) - 1;
            for (; i >= 0 && all[static_cast<std::size_t>(i)] == '9'; --i)
                all[static_cast<std::size_t>(i)] = '0';
            if (i >= 0)
                ++all[static_cast<std::size_t>(i)];
            else
                all.insert(all.begin(), '1');
            ip = all.substr(0, all.size() - fp.size());
            fp = all.substr(all.size() - fp.size());
        }
    }
    digits = ip + fp;
    while (static_cast<int>(fp.size()) > minDec && !fp.empty() && fp.back() == '0')
        fp.pop_back();
    while (static_cast<int>(fp.size()) < minDec)
        fp += '0';
    while (ip.size() > 1 && ip[0] == '0')
        ip.erase(0, 1);
    if (ip == "0" && minInt == 0) ip.clear();
    while (static_cast<int>(ip.size()) < minInt)
        ip.insert(ip.begin(), '0');
    if (thousands)
        for (int i = static_cast<int>(ip.size()) - 3; i > 0; i -= 3)
            ip.insert(static_cast<std::size_t>(i), 1, FormatSettings().ThousandSeparator);
    std::string out = ip;
    if (!fp.empty()) out += FormatSettings().DecimalSeparator + fp;
    const bool zero = std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0' || c == '.'; });
    if (Value < 0 && !zero) out.insert(out.begin(), '-');
    return std::string(prefix) + out + std::string(suffix);
}

std::string HexText(std::string_view Bytes) {
    static const char* hex = "0123456789ABCDEF";
    std::string r;
    r.reserve(Bytes.size() * 2);
    for (char c : Bytes) {
        const auto b = static_cast<unsigned char>(c);
        r += hex[b >> 4];
        r += hex[b & 15];
    }
    return r;
}

bool IsNumberText(std::string_view s) {
    TExact e;
    return ParseExact(s, e);
}

bool SameDirectory(const std::string& a, const std::string& b) {
    std::error_code ec;
    const auto pa = std::filesystem::absolute(ExtractFilePath(a).empty() ? "." : ExtractFilePath(a), ec);
    const auto pb = std::filesystem::absolute(ExtractFilePath(b).empty() ? "." : ExtractFilePath(b), ec);
    return pa.lexically_normal() == pb.lexically_normal();
}

std::string JoinNames(const std::vector<std::string>& Names, std::string_view Separator) {
    std::string r;
    for (const std::string& n : Names) {
        if (!r.empty()) r += Separator;
        r += n;
    }
    return r;
}

// The position of Name in List: an exact match first, then one in any case when allowed.
int FindName(const TStringList& List, std::string_view Name, bool AnyCase) {
    for (int i = 0; i < List.Count(); ++i)
        if (List[i] == Name) return i;
    if (AnyCase)
        for (int i = 0; i < List.Count(); ++i)
            if (SameText(List[i], Name)) return i;
    return -1;
}

void SetLines(TSMXQuery& Query, std::initializer_list<std::string> Lines) {
    TStringList* sql = Query.GetSQL();
    if (!sql) throw EDatabaseError("The connection's query has no SQL text.");
    sql->Clear();
    for (const std::string& l : Lines)
        sql->Add(l);
}

void CloseAndClear(TSMXQuery& Query) {
    Query.Close();
    if (TStringList* sql = Query.GetSQL()) sql->Clear();
}

const TField& FieldOf(TSMXQuery& Query, std::string_view Name) {
    TField* f = Query.FieldByName(Name);
    if (!f) throw EDatabaseError("Field '" + std::string(Name) + "' not found");
    return *f;
}

const TField& FirstField(TSMXQuery& Query) {
    TFields* f = Query.GetFields();
    if (!f || f->Count() == 0) throw EDatabaseError("The query has no columns.");
    return (*f)[0];
}

// ---- Column types of the catalogue ----

enum class TTypeKind { Exact, Float, Text, Octets, Date, Time, Timestamp, Boolean, Blob, Other };

TTypeKind KindOf(const TColumnType& t) {
    switch (t.FieldType) {
    case 7:
    case 8:
    case 16:
    case 26:
        return TTypeKind::Exact;
    case 10:
    case 11:
    case 27:
        return TTypeKind::Float;
    case 14:
    case 37:
    case 40:
        return t.CharSetId == 1 ? TTypeKind::Octets : TTypeKind::Text;
    case 12:
        return TTypeKind::Date;
    case 13:
        return TTypeKind::Time;
    case 35:
        return TTypeKind::Timestamp;
    case 23:
        return TTypeKind::Boolean;
    case 261:
        return TTypeKind::Blob;
    default:
        return TTypeKind::Other;
    }
}

// Bits of an exact number's storage; bits of a floating-point mantissa.
int StorageBits(int FieldType) {
    return FieldType == 7 ? 16 : FieldType == 8 ? 32 : FieldType == 16 ? 64 : 128;
}
int MantissaBits(int FieldType) {
    return FieldType == 10 ? 24 : 53;
}

// True when the target column stores every value of the master column unchanged and compares the
// two the same way: the same kind, at least the range, scale and length, the same character set
// and collation. SMALLINT into INTEGER and VARCHAR(10) into VARCHAR(20) qualify.
bool HoldsEveryValue(const TColumnType& M, const TColumnType& T) {
    const TTypeKind km = KindOf(M), kt = KindOf(T);
    switch (km) {
    case TTypeKind::Exact:
        if (kt == TTypeKind::Float)
            return M.Scale == 0 && StorageBits(M.FieldType) - 1 <= MantissaBits(T.FieldType);
        // Each extra decimal of the target costs log2(10) bits of its range.
        return kt == TTypeKind::Exact && M.Scale <= T.Scale &&
               StorageBits(M.FieldType) - 1 + (T.Scale - M.Scale) * 3.3219280948873622 <=
                   StorageBits(T.FieldType) - 1 + 1e-9;
    case TTypeKind::Float:
        return kt == TTypeKind::Float && MantissaBits(M.FieldType) <= MantissaBits(T.FieldType);
    case TTypeKind::Text:
        return kt == TTypeKind::Text && M.CharSetId == T.CharSetId && M.CollationId == T.CollationId &&
               M.CharLength <= T.CharLength;
    case TTypeKind::Octets:
        return kt == TTypeKind::Octets && M.ByteLength <= T.ByteLength;
    case TTypeKind::Date:
        return kt == TTypeKind::Date || kt == TTypeKind::Timestamp;
    case TTypeKind::Blob:
        return kt == TTypeKind::Blob && M.SubType == T.SubType &&
               (M.SubType != 1 || M.CharSetId == T.CharSetId);
    case TTypeKind::Other:
        return M.FieldType == T.FieldType && M.SubType == T.SubType && M.ByteLength == T.ByteLength &&
               M.Scale == T.Scale;
    default:
        return km == kt;
    }
}

// The type as it is declared, with its character set and collation when asked for.
std::string TypeText(const TColumnType& t, bool WithCharSet) {
    const std::string length = "(" + IntToStr(t.CharLength > 0 ? t.CharLength : t.ByteLength) + ")";
    std::string r;
    switch (t.FieldType) {
    case 7:
    case 8:
    case 16:
    case 26:
        if (t.Scale > 0 || t.SubType == 1 || t.SubType == 2) {
            const int digits = t.Precision > 0    ? t.Precision
                               : t.FieldType == 7 ? 4
                               : t.FieldType == 8 ? 9
                                                  : 18;
            return std::string(t.SubType == 2 ? "DECIMAL(" : "NUMERIC(") + IntToStr(digits) + "," +
                   IntToStr(t.Scale) + ")";
        }
        return t.FieldType == 7    ? "SMALLINT"
               : t.FieldType == 8  ? "INTEGER"
               : t.FieldType == 16 ? "BIGINT"
                                   : "INT128";
    case 10:
        return "FLOAT";
    case 11:
    case 27:
        return "DOUBLE PRECISION";
    case 12:
        return "DATE";
    case 13:
        return "TIME";
    case 35:
        return "TIMESTAMP";
    case 23:
        return "BOOLEAN";
    case 14:
        r = "CHAR" + length;
        break;
    case 37:
        r = "VARCHAR" + length;
        break;
    case 40:
        r = "CSTRING" + length;
        break;
    case 261:
        r = t.SubType == 1   ? "BLOB SUB_TYPE TEXT"
            : t.SubType == 0 ? "BLOB SUB_TYPE BINARY"
                             : "BLOB SUB_TYPE " + IntToStr(t.SubType);
        break;
    default:
        return "type " + IntToStr(t.FieldType);
    }
    if (WithCharSet && !t.CharSetName.empty()) r += " CHARACTER SET " + t.CharSetName;
    if (WithCharSet && !t.CollationName.empty() && t.CollationName != t.CharSetName)
        r += " COLLATE " + t.CollationName;
    return r;
}

// One column of a type difference: its name (both names when they differ) and both types.
std::string ColumnPairText(const std::string& NameM, const std::string& NameT, const std::string& TypeM,
                           const std::string& TypeT) {
    return (NameM == NameT ? NameM : NameM + "/" + NameT) + " (master " + TypeM + ", target " + TypeT + ")";
}

std::string TypesDifferText(const std::string& TableM, const std::string& TableT,
                            const std::vector<std::string>& Columns) {
    return "Column types of master table " + TableM + " and target table " + TableT +
           " differ: " + JoinNames(Columns, ", ") + ". Exclude them with ExcludeDataFields.";
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Output files

// A file that a run writes: created (replacing) at once, every write flushed and checked, so a
// full disk or a vanished folder is noticed at the statement or value that met it.
class TTableDataComparer::TOutFile {
public:
    ~TOutFile() {
        if (file_) std::fclose(file_);
    }
    /// The file, or nullptr with the system's reason.
    static std::unique_ptr<TOutFile> Create(const std::string& Path, std::string& Reason) {
        std::FILE* f = std::fopen(Path.c_str(), "wb");
        if (!f) {
            Reason = std::generic_category().message(errno);
            return nullptr;
        }
        auto r = std::unique_ptr<TOutFile>(new TOutFile);
        r->file_ = f;
        r->path_ = Path;
        return r;
    }
    bool Write(std::string_view Data, std::string& Reason) {
        errno = 0;
        const std::size_t n = Data.empty() ? 0 : std::fwrite(Data.data(), 1, Data.size(), file_);
        if (n != Data.size() || std::fflush(file_) != 0 || std::ferror(file_)) {
            Reason = std::generic_category().message(errno != 0 ? errno : EIO);
            return false;
        }
        size_ += Data.size();
        return true;
    }
    bool Close(std::string& Reason) {
        std::FILE* f = file_;
        file_ = nullptr;
        errno = 0;
        if (f && std::fclose(f) != 0) {
            Reason = std::generic_category().message(errno != 0 ? errno : EIO);
            return false;
        }
        return true;
    }
    const std::string& Path() const { return path_; }
    std::uint64_t Size() const { return size_; }

private:
    TOutFile() = default;
    std::FILE* file_ = nullptr;
    std::string path_;
    std::uint64_t size_ = 0;
};

// Master rows whose INSERT waits: the values of each row, one after the other, in a temporary file
// that the system removes when it is closed, so memory stays flat however many rows wait.
class TTableDataComparer::TRowSpill {
public:
    ~TRowSpill() {
        if (file_) std::fclose(file_);
    }
    int Count() const { return count_; }

    /// Appends the current values of the fields; false with the system's reason.
    bool Write(const std::vector<TField*>& Fields, std::string& Reason) {
        errno = 0;
        if (!file_ && !(file_ = std::tmpfile())) return Failed(Reason);
        std::string record;
        for (const TField* f : Fields) {
            const TVariant& v = f->Value();
            record += static_cast<char>(v.Kind());
            switch (v.Kind()) {
            case TVarKind::vkInteger:
                AppendRaw(record, v.AsInteger());
                break;
            case TVarKind::vkFloat:
            case TVarKind::vkDateTime:
                AppendRaw(record, v.AsFloat());
                break;
            case TVarKind::vkBoolean:
                record += v.AsBoolean() ? '\1' : '\0';
                break;
            case TVarKind::vkString:
            case TVarKind::vkBytes:
                AppendRaw(record, static_cast<std::uint64_t>(v.RawText().size()));
                record += v.RawText();
                break;
            case TVarKind::vkNull:
                break;
            }
        }
        if (std::fwrite(record.data(), 1, record.size(), file_) != record.size()) return Failed(Reason);
        ++count_;
        return true;
    }
    /// Reading starts again at the first row.
    bool Rewind(std::string& Reason) {
        if (file_ && (std::fflush(file_) != 0 || std::fseek(file_, 0, SEEK_SET) != 0)) return Failed(Reason);
        return true;
    }
    /// The next row's values into the fields, which have the layout the rows were written with.
    bool Read(const std::vector<std::unique_ptr<TField>>& Fields, std::string& Reason) {
        errno = 0;
        for (const auto& f : Fields) {
            char kind = 0;
            if (!ReadRaw(kind)) return Failed(Reason);
            switch (static_cast<TVarKind>(kind)) {
            case TVarKind::vkInteger: {
                std::int64_t i = 0;
                if (!ReadRaw(i)) return Failed(Reason);
                f->SetValue(TVariant::FromInteger(i));
                break;
            }
            case TVarKind::vkFloat:
            case TVarKind::vkDateTime: {
                double d = 0;
                if (!ReadRaw(d)) return Failed(Reason);
                f->SetValue(static_cast<TVarKind>(kind) == TVarKind::vkFloat ? TVariant::FromFloat(d)
                                                                             : TVariant::FromDateTime(d));
                break;
            }
            case TVarKind::vkBoolean: {
                char b = 0;
                if (!ReadRaw(b)) return Failed(Reason);
                f->SetValue(TVariant::FromBoolean(b != 0));
                break;
            }
            case TVarKind::vkString:
            case TVarKind::vkBytes: {
                std::uint64_t n = 0;
                if (!ReadRaw(n)) return Failed(Reason);
                std::string bytes(n, '\0');
                if (n > 0 && std::fread(bytes.data(), 1, n, file_) != n) return Failed(Reason);
                f->SetValue(static_cast<TVarKind>(kind) == TVarKind::vkString
                                ? TVariant::FromString(std::move(bytes))
                                : TVariant::FromBytes(std::move(bytes)));
                break;
            }
            default:
                f->SetValue(TVariant());
                break;
            }
        }
        return true;
    }

private:
    template <class T> static void AppendRaw(std::string& Out, T Value) {
        Out.append(reinterpret_cast<const char*>(&Value), sizeof Value);
    }
    template <class T> bool ReadRaw(T& Value) { return std::fread(&Value, sizeof Value, 1, file_) == 1; }
    bool Failed(std::string& Reason) const {
        Reason = errno != 0 ? std::generic_category().message(errno) : "unexpected end of file";
        return false;
    }

    std::FILE* file_ = nullptr;
    int count_ = 0;
};

// Field positions of a run, resolved once after the selects are open, and the previous key values
// of each side for the order check.
struct TTableDataComparer::TRunFields {
    std::vector<TField*> KeyM, KeyT;   // by key list, KeyFieldCount entries
    std::vector<TCompareAs> KeyModes;  // how each key pair compares
    std::vector<TField*> DataM, DataT; // by data list, DataFieldCount entries
    std::vector<TField*> AllM, AllT;   // every column of each select, by position
    std::vector<std::unique_ptr<TField>> PrevM, PrevT;
    bool HavePrevM = false, HavePrevT = false;
    std::unique_ptr<TRowSpill> Spill; // INSERTs that wait for the target's DELETEs
};

// ---------------------------------------------------------------------------------------------
// TCmpTableOptions

void TCmpTableOptions::Assign(const TCmpTableOptions& Source) {
    if (&Source == this) return;
    tableName_ = Source.tableName_;
    allFields_.Assign(Source.allFields_);
    dataList_.Assign(Source.dataList_);
    keyList_.Assign(Source.keyList_);
    keyFields_.Assign(Source.keyFields_);
    dataFields_.Assign(Source.dataFields_);
    excludeFields_.Assign(Source.excludeFields_);
}

TColumnClass TCmpTableOptions::GetColumnClass(std::string_view Name) const {
    const auto it = classes_.find(std::string(Name));
    return it == classes_.end() ? TColumnClass::ccPlain : it->second;
}

const TColumnType* TCmpTableOptions::FindColumnType(std::string_view Name) const {
    const auto it = types_.find(std::string(Name));
    return it == types_.end() ? nullptr : &it->second;
}

// ---------------------------------------------------------------------------------------------
// TTableDataComparer: construction and wiring

TTableDataComparer::TTableDataComparer(TComponent* AOwner) : TComponent(AOwner) {
    SetScriptFileName(ProgramDirectory() + "Result.SQL");
}

TTableDataComparer::~TTableDataComparer() {
    fields_.reset();
    queryImmediate_.reset();
    queryTarget_.reset();
    queryMaster_.reset();
    scriptFile_.reset();
    blobFile_.reset();
    SetSMXConnectionMaster(nullptr);
    SetSMXConnectionTarget(nullptr);
    SetSQLExec(nullptr);
}

void TTableDataComparer::SetSMXConnectionMaster(TSMXCustomConnection* Value) {
    if (connectionMaster_ && connectionMaster_ != connectionTarget_)
        connectionMaster_->RemoveFreeNotification(this);
    connectionMaster_ = Value;
    if (Value) Value->FreeNotification(this);
    tableOptionsMaster_.SetConnection(Value);
}

void TTableDataComparer::SetSMXConnectionTarget(TSMXCustomConnection* Value) {
    if (connectionTarget_ && connectionTarget_ != connectionMaster_)
        connectionTarget_->RemoveFreeNotification(this);
    connectionTarget_ = Value;
    if (Value) Value->FreeNotification(this);
    tableOptionsTarget_.SetConnection(Value);
}

void TTableDataComparer::SetSQLExec(TCustomSQLExec* Value) {
    if (sqlExec_) sqlExec_->RemoveFreeNotification(this);
    sqlExec_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TTableDataComparer::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove) {
        if (AComponent == connectionMaster_) {
            connectionMaster_ = nullptr;
            tableOptionsMaster_.SetConnection(nullptr);
        }
        if (AComponent == connectionTarget_) {
            connectionTarget_ = nullptr;
            tableOptionsTarget_.SetConnection(nullptr);
        }
        if (AComponent == sqlExec_) sqlExec_ = nullptr;
    }
    TComponent::Notification(AComponent, Operation);
}

void TTableDataComparer::SetTableNameMaster(std::string_view Value) {
    tableNameMaster_ = Value;
    tableOptionsMaster_.SetTableName(Value);
}

void TTableDataComparer::SetTableNameTarget(std::string_view Value) {
    tableNameTarget_ = Value;
    tableOptionsTarget_.SetTableName(Value);
}

void TTableDataComparer::SetUpdateImmediately(bool Value) {
    updateImmediately_ = Value;
    scriptOptions_.SetGenerateScript(!Value);
}

void TTableDataComparer::SetScriptFileName(std::string_view Value) {
    scriptFileName_ = Value;
    blobFileName_ = ChangeFileExt(Value, ".LOB");
}

TDatabaseType TTableDataComparer::GetDatabaseType() const {
    if (connectionTarget_) return connectionTarget_->GetDatabaseType();
    if (connectionMaster_) return connectionMaster_->GetDatabaseType();
    return TDatabaseType::dbAbstract;
}

int TTableDataComparer::KeyFieldCount() {
    return std::min(tableOptionsMaster_.GetKeyList().Count(), tableOptionsTarget_.GetKeyList().Count());
}

int TTableDataComparer::DataFieldCount() {
    return std::min(tableOptionsMaster_.GetDataList().Count(), tableOptionsTarget_.GetDataList().Count());
}

// ---------------------------------------------------------------------------------------------
// Messages

void TTableDataComparer::LogLine(const std::string& Text) {
    if (OnLogNextLine) OnLogNextLine(this, Text);
    msgManager_.AddMessage(Text, 0);
}

void TTableDataComparer::ErrorMessage(const std::string& Text) {
    ++errorCount_;
    if (OnErrorMessage)
        OnErrorMessage(this, "Error: " + Text);
    else
        ShowMessageBox("Error: " + Text);
    msgManager_.AddMessage(Text, 2);
}

void TTableDataComparer::Stop(const std::string& Reason) {
    ErrorMessage(Reason);
    throw EDataCompareStopped(Reason);
}

std::string TTableDataComparer::DatabaseNameOf(const TCmpTableOptions& Options) const {
    const TSMXCustomConnection* c = Options.GetConnection();
    return c ? c->GetConnectionOptions().GetDatabaseName() : std::string();
}

// ---------------------------------------------------------------------------------------------
// Execute

bool TTableDataComparer::Execute() {
    equal_ = inserted_ = updated_ = deleted_ = 0;
    errorCount_ = 0;
    msgManager_.Clear();
    tableOptionsMaster_.GetAllFields().Clear();
    tableOptionsTarget_.GetAllFields().Clear();
    if (sqlExec_) sqlExec_->ClearStatements();
    // The result of an earlier run goes first, so a run that fails leaves no stale script behind.
    RemoveResultFiles();

    if (!connectionMaster_) {
        ErrorMessage("TTableDataComparer: Master connection not assigned...");
        return false;
    }
    if (!tableNameTarget_.empty() && !connectionTarget_) {
        ErrorMessage("TTableDataComparer: Target connection not assigned...");
        return false;
    }
    if (tableOptionsMaster_.GetDataFields().Count() != tableOptionsTarget_.GetDataFields().Count()) {
        ErrorMessage(
            "The number of data fields in Master and Target do not match." + CRLF +
            "Please correct: TableOptionsMaster.DataFields, TableOptionsTarget.DataFields properties.");
        return false;
    }
    if (tableOptionsMaster_.GetKeyFields().Count() != tableOptionsTarget_.GetKeyFields().Count()) {
        ErrorMessage(
            "The number of key fields in Master and Target do not match." + CRLF +
            "Please correct: TableOptionsMaster.KeyFields, TableOptionsTarget.KeyFields properties.");
        return false;
    }
    if (tableOptionsMaster_.GetExcludeFields().Count() != tableOptionsTarget_.GetExcludeFields().Count()) {
        ErrorMessage("The number of exclude fields in Master and Target do not match." + CRLF +
                     "Please correct: TableOptionsMaster.ExcludeFields, TableOptionsTarget.ExcludeFields "
                     "properties.");
        return false;
    }

    bool targetHere = false, masterHere = false;
    ScopeExit freeQueries([this] {
        fields_.reset();
        queryImmediate_.reset();
        queryTarget_.reset();
        queryMaster_.reset();
    });
    // A failed connect leaves the connections as they were found.
    auto giveUp = [&] {
        DisconnectSide(connectionMaster_, masterHere, "Disconnecting from master database: Ok.");
        DisconnectSide(connectionTarget_, targetHere, "Disconnecting from target database: Ok.");
        return false;
    };
    try {
        if (connectionTarget_) {
            if (!ConnectSide(connectionTarget_, "Connecting to target-database...: ", targetHere))
                return giveUp();
            queryTarget_.reset(connectionTarget_->CreateQuery(nullptr));
            queryImmediate_.reset(connectionTarget_->CreateQuery(nullptr));
            if (!queryTarget_ || !queryImmediate_) {
                ErrorMessage("TTableDataComparer: the target connection offers no query.");
                return giveUp();
            }
        }
        if (!ConnectSide(connectionMaster_, "Connecting to master-database...: ", masterHere))
            return giveUp();
        queryMaster_.reset(connectionMaster_->CreateQuery(nullptr));
        if (!queryMaster_) {
            ErrorMessage("TTableDataComparer: the master connection offers no query.");
            return giveUp();
        }
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return giveUp();
    }

    PrepareAndCompare();

    DisconnectSide(connectionTarget_, targetHere, "Disconnecting from target database: Ok.");
    DisconnectSide(connectionMaster_, masterHere, "Disconnecting from master database: Ok.");
    if (errorCount_ != 0) LogLine("Errors: " + IntToStr(errorCount_));
    return true;
}

// Connects a side unless it is connected. The connection reports a failure through its own
// error event; that text is taken over, so the failure is reported once, by the comparer.
bool TTableDataComparer::ConnectSide(TSMXCustomConnection* Connection, const std::string& Prefix,
                                     bool& ConnectedHere) {
    ConnectedHere = false;
    if (Connection->GetConnected()) return true;
    LogLine(Prefix + Connection->GetConnectionOptions().GetDatabaseName());
    std::vector<std::string> reported;
    TErrorMessageEvent saved = Connection->OnErrorMessage;
    Connection->OnErrorMessage = [&reported](TObject*, const std::string& Text) { reported.push_back(Text); };
    bool restored = false;
    auto restore = [&] {
        if (!restored) Connection->OnErrorMessage = saved;
        restored = true;
    };
    ScopeExit guard(restore);
    try {
        Connection->SetConnected(true);
    } catch (const std::exception& e) {
        reported.push_back(e.what());
    }
    restore();
    if (!Connection->GetConnected()) {
        std::string text = JoinNames(reported, CRLF);
        if (text.empty())
            text = "Cannot connect to database " + Connection->GetConnectionOptions().GetDatabaseName();
        ErrorMessage(text);
        return false;
    }
    // Reports of a connection that did connect (a failed set-up statement) go where they would have.
    for (const std::string& t : reported)
        Connection->ErrorMessage(t);
    ConnectedHere = true;
    LogLine("Connecting: Successfull...");
    return true;
}

void TTableDataComparer::DisconnectSide(TSMXCustomConnection* Connection, bool ConnectedHere,
                                        const std::string& Line) {
    if (!Connection || !ConnectedHere) return;
    try {
        Connection->SetConnected(false);
        LogLine(Line);
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
    }
}

// ---------------------------------------------------------------------------------------------
// Column lists

void TTableDataComparer::PrepareAndCompare() {
    TSMXCustomConnection* source = connectionTarget_ ? connectionTarget_ : connectionMaster_;
    connectionOptions_ = source->GetConnectionOptions();
    ibServerOptions_.Assign(source->GetIBServerOptions());
    mssqlServerOptions_ = source->GetMSSQLServerOptions();
    mysqlServerOptions_ = source->GetMySQLServerOptions();
    if (auto* exec = dynamic_cast<TSQLExec*>(sqlExec_)) {
        exec->SetConnectionOptions(connectionOptions_);
        exec->SetIBServerOptions(ibServerOptions_);
        exec->SetMSSQLServerOptions(mssqlServerOptions_);
        exec->SetMySQLServerOptions(mysqlServerOptions_);
        // The large-object file travels as the SET BLOBFILE statement's object name.
        exec->SetScriptFileName(scriptFileName_);
    }

    auto clearLists = [this] {
        for (TCmpTableOptions* o : {&tableOptionsMaster_, &tableOptionsTarget_}) {
            o->GetDataList().Clear();
            o->GetKeyList().Clear();
            o->GetExcludeList().Clear();
        }
    };
    clearLists();
    tableOptionsMaster_.SetTableName(tableNameMaster_);
    tableOptionsTarget_.SetTableName(tableNameTarget_);
    ScopeExit clearAtEnd(clearLists);

    if (OnGetDataFields)
        OnGetDataFields(this, tableOptionsMaster_.GetDataList(), tableOptionsTarget_.GetDataList());
    if (OnGetKeyFields)
        OnGetKeyFields(this, tableOptionsMaster_.GetKeyList(), tableOptionsTarget_.GetKeyList());
    if (OnGetExcludeFields)
        OnGetExcludeFields(this, tableOptionsMaster_.GetExcludeList(), tableOptionsTarget_.GetExcludeList());

    bool ok = false;
    try {
        ok = ResolveCompareFields(tableOptionsTarget_, queryTarget_.get(), dataDefaultTarget_,
                                  keyDefaultTarget_) &&
             ResolveCompareFields(tableOptionsMaster_, queryMaster_.get(), dataDefaultMaster_,
                                  keyDefaultMaster_) &&
             PairDefaultColumns(dataDefaultMaster_ && dataDefaultTarget_ && queryTarget_,
                                keyDefaultMaster_ && keyDefaultTarget_ && queryTarget_) &&
             CheckColumnTypes();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        ok = false;
    }
    if (!ok) return;

    // Without a target, the statements go to the master's table, quoted as the master's database needs.
    ScopeExit restoreTarget([this] { tableOptionsTarget_.SetConnection(connectionTarget_); });
    if (!queryTarget_) {
        tableOptionsTarget_.SetTableName(tableOptionsMaster_.GetTableName());
        tableOptionsTarget_.GetDataList().Assign(tableOptionsMaster_.GetDataList());
        if (!connectionTarget_) tableOptionsTarget_.SetConnection(connectionMaster_);
    }
    const bool noErrors = !msgManager_.HasErrors();
    bool stopped = false;
    try {
        if (noErrors && !scriptFileName_.empty() && scriptOptions_.GetGenerateScript()) {
            std::string reason;
            scriptFile_ = TOutFile::Create(scriptFileName_, reason);
            if (!scriptFile_) ErrorMessage("Cannot create file " + scriptFileName_ + ": " + reason);
        }
        if (noErrors) CompareRows();
    } catch (const EDataCompareStopped&) {
        stopped = true;
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        stopped = true;
    }
    // A file that cannot be completed (a full disk noticed at closing) is no result either.
    for (auto* file : {&scriptFile_, &blobFile_}) {
        if (!*file) continue;
        std::string reason;
        const std::string path = (*file)->Path();
        if (!(*file)->Close(reason)) {
            ErrorMessage("Cannot write file " + path + ": " + reason);
            stopped = true;
        }
        file->reset();
    }
    if (stopped) StopCleanup();
}

bool TTableDataComparer::ResolveCompareFields(TCmpTableOptions& Options, TSMXQuery* Query, bool& DataDefault,
                                              bool& KeyDefault) {
    Options.GetAllFields().Clear();
    Options.ClearColumnClasses();
    DataDefault = KeyDefault = false;
    TStringList& data = Options.GetDataList();
    TStringList& keys = Options.GetKeyList();
    TStringList& excl = Options.GetExcludeList();
    if (data.Empty())
        data.Assign(Options.GetDataFields().Empty() ? customDataFields_ : Options.GetDataFields());
    if (keys.Empty()) keys.Assign(Options.GetKeyFields().Empty() ? customKeyFields_ : Options.GetKeyFields());
    if (excl.Empty())
        excl.Assign(Options.GetExcludeFields().Empty() ? excludeDataFields_ : Options.GetExcludeFields());
    for (TStringList* l : {&data, &keys, &excl})
        l->SetText(Trim(l->Text()));

    const std::string database = DatabaseNameOf(Options);
    const std::string& table = Options.GetTableName();
    const bool keysAtEntry = !keys.Empty();
    if (Query) {
        if (!GetTableColumns(Options, Query)) {
            if (data.Empty())
                ErrorMessage("There are no data-fields for comparison. Table: " + Options.GetTableName() +
                             " Database: " + database);
            return false;
        }
        // Named columns are checked before any file or select is opened.
        if (!CheckNamedColumns(Options, data, false) || !CheckNamedColumns(Options, keys, true)) return false;
    }

    const TStringList& all = Options.GetAllFields();
    auto excluded = [&](const std::string& name) { return FindName(excl, name, true) >= 0; };
    if (data.Empty()) {
        DataDefault = true;
        for (int i = 0; i < all.Count(); ++i)
            if (!excluded(all[i])) data.Add(all[i]);
    }
    if (keys.Empty()) {
        KeyDefault = true;
        // Firebird orders a BLOB by its id, not its content: never a key.
        std::vector<std::string> named;
        for (int i = 0; i < all.Count(); ++i)
            if (!excluded(all[i]) && Options.GetColumnClass(all[i]) == TColumnClass::ccPlain) {
                keys.Add(all[i]);
                named.push_back(all[i]);
            }
        if (!keysAtEntry && Query && !named.empty())
            LogLine("No key fields given for table " + Options.GetTableName() +
                    ": every column is a key: " + JoinNames(named, ", ") + ".");
    }
    if (Options.GetConnection() &&
        Options.GetConnection()->GetDatabaseType() == TDatabaseType::dbPostgreSQL) {
        for (TStringList* l : {&data, &keys})
            for (int i = 0; i < l->Count(); ++i)
                l->SetString(i, LowerCase((*l)[i]));
    }
    if (Query) {
        if (data.Empty()) {
            ErrorMessage("There are no data-fields for comparison. Table: " + table +
                         " Database: " + database);
            if (keys.Empty())
                ErrorMessage("There are no key-fields for comparison. Table: " + table +
                             " Database: " + database);
            return false;
        }
        if (keys.Empty()) {
            ErrorMessage("There are no key-fields for comparison. Table: " + table +
                         " Database: " + database);
            return false;
        }
    }
    return true;
}

// Every name of a given list must be a column of the table (when the catalogue named them), and a
// key can be neither a BLOB nor an array.
bool TTableDataComparer::CheckNamedColumns(TCmpTableOptions& Options, const TStringList& List, bool Keys) {
    const TStringList& all = Options.GetAllFields();
    const TSMXCustomConnection* c = Options.GetConnection();
    const bool interBase = c && c->GetDatabaseType() == TDatabaseType::dbInterBase;
    if (all.Empty() && !interBase) return true; // the catalogue gave no columns to check against
    const std::string what = Keys ? "Key field " : "Data field ";
    const std::string tail = ". Database: " + DatabaseNameOf(Options);
    for (int i = 0; i < List.Count(); ++i) {
        if (List[i].empty()) continue;
        const std::string name = Unquoted(List[i]);
        const TColumnClass cls = Options.GetColumnClass(name);
        const bool known = FindName(all, name, !interBase) >= 0 || cls != TColumnClass::ccPlain;
        if (!known) {
            ErrorMessage(what + name + " is not a column of table " + Options.GetTableName() + tail);
            return false;
        }
        if (cls == TColumnClass::ccArray) {
            ErrorMessage(what + name + " of table " + Options.GetTableName() + " is an array" +
                         (Keys ? " and cannot be a key" : " and cannot be compared") + tail);
            return false;
        }
        if (Keys && cls == TColumnClass::ccBlob) {
            ErrorMessage(what + name + " of table " + Options.GetTableName() +
                         " is a BLOB and cannot be a key" + tail);
            return false;
        }
    }
    return true;
}

// When both sides' lists come from the catalogue, the columns pair by name: the target's lists take
// the master's order, and a column that only one side has stops the run before any file is made.
bool TTableDataComparer::PairDefaultColumns(bool DataDefault, bool KeyDefault) {
    TCmpTableOptions& m = tableOptionsMaster_;
    TCmpTableOptions& t = tableOptionsTarget_;
    if (DataDefault) {
        std::vector<std::string> masterOnly, targetOnly;
        for (int i = 0; i < m.GetDataList().Count(); ++i)
            if (FindName(t.GetDataList(), m.GetDataList()[i], false) < 0)
                masterOnly.push_back(m.GetDataList()[i]);
        for (int i = 0; i < t.GetDataList().Count(); ++i)
            if (FindName(m.GetDataList(), t.GetDataList()[i], false) < 0)
                targetOnly.push_back(t.GetDataList()[i]);
        if (!masterOnly.empty() || !targetOnly.empty()) {
            std::string text = "Columns of master table " + m.GetTableName() + " and target table " +
                               t.GetTableName() + " differ.";
            if (!masterOnly.empty()) text += " Master only: " + JoinNames(masterOnly, ", ") + ".";
            if (!targetOnly.empty()) text += " Target only: " + JoinNames(targetOnly, ", ") + ".";
            ErrorMessage(text + " Exclude them with ExcludeDataFields.");
            return false;
        }
        t.GetDataList().Assign(m.GetDataList());
    }
    if (KeyDefault) {
        // A column that is a BLOB on one side only is a key on neither.
        TStringList keys;
        for (int i = 0; i < m.GetKeyList().Count(); ++i)
            if (FindName(t.GetKeyList(), m.GetKeyList()[i], false) >= 0) keys.Add(m.GetKeyList()[i]);
        m.GetKeyList().Assign(keys);
        t.GetKeyList().Assign(keys);
        if (keys.Empty()) {
            ErrorMessage("There are no key-fields for comparison. Table: " + t.GetTableName() +
                         " Database: " + DatabaseNameOf(t));
            return false;
        }
    }
    return true;
}

// A column that the two sides store or compare differently cannot be made equal by data statements:
// values of different kinds would compare as equal, a fraction would be rounded into an integer
// column, a longer text refused after its row was deleted. One error names every such column with
// both types, before any file is made or any statement runs.
bool TTableDataComparer::CheckColumnTypes() {
    const TCmpTableOptions& m = tableOptionsMaster_;
    const TCmpTableOptions& t = tableOptionsTarget_;
    std::vector<std::string> differing, seen;
    auto check = [&](const TStringList& ListM, const TStringList& ListT, int Count) {
        for (int i = 0; i < Count; ++i) {
            const std::string nameM = Unquoted(ListM[i]), nameT = Unquoted(ListT[i]);
            if (std::find(seen.begin(), seen.end(), nameM) != seen.end()) continue;
            seen.push_back(nameM);
            const TColumnType* a = m.FindColumnType(nameM);
            const TColumnType* b = t.FindColumnType(nameT);
            if (!a || !b || HoldsEveryValue(*a, *b)) continue;
            const bool charSets = KindOf(*a) == KindOf(*b) &&
                                  (a->CharSetId != b->CharSetId || a->CollationId != b->CollationId);
            differing.push_back(ColumnPairText(nameM, nameT, TypeText(*a, charSets), TypeText(*b, charSets)));
        }
    };
    check(m.GetKeyList(), t.GetKeyList(), KeyFieldCount());
    check(m.GetDataList(), t.GetDataList(), DataFieldCount());
    if (differing.empty()) return true;
    ErrorMessage(TypesDifferText(m.GetTableName(), t.GetTableName(), differing));
    return false;
}

std::string TTableDataComparer::NormalizeTableName(std::string_view Name, TDatabaseType Type) const {
    using enum TDatabaseType;
    switch (Type) {
    case dbInterBase: {
        // A name that reads as a reserved word once upper-cased keeps its case and is quoted.
        std::string upper = UpperCase(Name);
        if (!IsReservedWord(upper, ibServerOptions_.GetSQLServerVersion())) return upper;
        return std::string(Name);
    }
    case dbMySQL:
        return std::string(Name);
    case dbPostgreSQL:
        return LowerCase(Name);
    default:
        return UpperCase(Name);
    }
}

bool TTableDataComparer::GetTableColumns(TCmpTableOptions& Options, TSMXQuery* Query) {
    if (!Query) return true;
    using enum TDatabaseType;
    CloseAndClear(*Query);
    const TDatabaseType type =
        Options.GetConnection() ? Options.GetConnection()->GetDatabaseType() : dbAbstract;
    Options.SetTableName(NormalizeTableName(Options.GetTableName(), type));
    Options.GetAllFields().Clear();
    Options.ClearColumnClasses();
    bool result = true;
    switch (type) {
    case dbInterBase:
        result = GetInterBaseColumns(Options, *Query);
        break;
    case dbMSAccess:
    case dbCustomOLEDB:
        result = GetADOColumns(Options);
        break;
    default:
        result = GetOtherColumns(Options, *Query, type);
        break;
    }
    if (result && !includeBlobs_) result = DropBlobColumnsByPreparing(Options, *Query);
    if (result) {
        std::string line = Options.GetTableName() + ":";
        for (int i = 0; i < Options.GetAllFields().Count(); ++i)
            line += " " + Options.GetAllFields()[i];
        LogLine(line);
    }
    return result;
}

bool TTableDataComparer::GetInterBaseColumns(TCmpTableOptions& Options, TSMXQuery& Query) {
    const std::string table = Options.GetTableName();
    const std::string quoted = QuotedStr(table);
    try {
        SetLines(Query,
                 {"Select rdb$relation_name", "from rdb$relations", "where rdb$relation_name = " + quoted});
        Query.Open();
        const bool exists =
            !Query.GetEof() &&
            UpperCase(Trim(FieldOf(Query, "RDB$RELATION_NAME").AsString())) == UpperCase(table);
        CloseAndClear(Query);
        if (!exists) {
            ErrorMessage("Table: " + table + " not exists." + CRLF + "Database: " + DatabaseNameOf(Options));
            return false;
        }
        TStringList* sql = Query.GetSQL();
        SetLines(Query, {"Select rf.rdb$field_position, rf.rdb$field_name", "from rdb$relation_fields rf",
                         "join rdb$fields f on f.rdb$field_name = rf.rdb$field_source",
                         "where rf.rdb$relation_name = " + quoted});
        if (ignoreComputedFields_) sql->Add("and f.rdb$computed_blr is Null");
        sql->Add("order by rf.rdb$field_position, rf.rdb$field_name");
        Query.Open();
        for (; !Query.GetEof(); Query.Next())
            Options.GetAllFields().Add(Trim(FieldOf(Query, "RDB$FIELD_NAME").AsString()));
        CloseAndClear(Query);

        // What the names alone do not tell: which columns are BLOBs (never keys) and arrays (never
        // compared), and each column's declared type with its character set and collation.
        SetLines(Query,
                 {"Select rf.rdb$field_name, f.rdb$field_type, f.rdb$dimensions, f.rdb$field_sub_type,",
                  "f.rdb$field_scale, f.rdb$field_precision, f.rdb$character_length, f.rdb$field_length,",
                  "f.rdb$character_set_id, coalesce(rf.rdb$collation_id, f.rdb$collation_id) collation_id,",
                  "cs.rdb$character_set_name, co.rdb$collation_name", "from rdb$relation_fields rf",
                  "join rdb$fields f on f.rdb$field_name = rf.rdb$field_source",
                  "left join rdb$character_sets cs on cs.rdb$character_set_id = f.rdb$character_set_id",
                  "left join rdb$collations co on co.rdb$character_set_id = f.rdb$character_set_id",
                  "and co.rdb$collation_id = coalesce(rf.rdb$collation_id, f.rdb$collation_id, 0)",
                  "where rf.rdb$relation_name = " + quoted});
        Query.Open();
        for (; !Query.GetEof(); Query.Next()) {
            const std::string name = Trim(FieldOf(Query, "RDB$FIELD_NAME").AsString());
            const TField& dims = FieldOf(Query, "RDB$DIMENSIONS");
            TColumnType type;
            type.FieldType = static_cast<int>(FieldOf(Query, "RDB$FIELD_TYPE").AsInteger());
            type.SubType = static_cast<int>(FieldOf(Query, "RDB$FIELD_SUB_TYPE").AsInteger());
            type.Scale = -static_cast<int>(FieldOf(Query, "RDB$FIELD_SCALE").AsInteger());
            type.Precision = static_cast<int>(FieldOf(Query, "RDB$FIELD_PRECISION").AsInteger());
            type.CharLength = static_cast<int>(FieldOf(Query, "RDB$CHARACTER_LENGTH").AsInteger());
            type.ByteLength = static_cast<int>(FieldOf(Query, "RDB$FIELD_LENGTH").AsInteger());
            type.CharSetId = static_cast<int>(FieldOf(Query, "RDB$CHARACTER_SET_ID").AsInteger());
            type.CollationId = static_cast<int>(FieldOf(Query, "COLLATION_ID").AsInteger());
            type.CharSetName = Trim(FieldOf(Query, "RDB$CHARACTER_SET_NAME").AsString());
            type.CollationName = Trim(FieldOf(Query, "RDB$COLLATION_NAME").AsString());
            Options.SetColumnType(name, type);
            if (!dims.IsNull() && dims.AsInteger() > 0)
                Options.SetColumnClass(name, TColumnClass::ccArray);
            else if (type.FieldType == 261)
                Options.SetColumnClass(name, TColumnClass::ccBlob);
        }
        CloseAndClear(Query);
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        try {
            CloseAndClear(Query);
        } catch (const std::exception&) {
        }
        return false;
    }
    TStringList& all = Options.GetAllFields();
    for (int i = all.Count() - 1; i >= 0; --i)
        if (Options.GetColumnClass(all[i]) == TColumnClass::ccArray) {
            LogLine("Column " + all[i] + " of table " + table + " (array) is not compared.");
            all.Delete(i);
        }
    return true;
}

bool TTableDataComparer::GetOtherColumns(TCmpTableOptions& Options, TSMXQuery& Query, TDatabaseType Type) {
    using enum TDatabaseType;
    const std::string table = Options.GetTableName();
    const std::string quoted = QuotedStr(table);
    TStringList& all = Options.GetAllFields();
    auto missing = [&] {
        ErrorMessage("Table: " + table + " not exists." + CRLF + "Database: " + DatabaseNameOf(Options));
        return false;
    };
    auto readColumn = [&](std::string_view column, bool trim) {
        Query.Open();
        for (; !Query.GetEof(); Query.Next()) {
            const std::string v = FieldOf(Query, column).AsString();
            all.Add(trim ? Trim(v) : v);
        }
        CloseAndClear(Query);
    };
    auto fieldNames = [&](bool upper) {
        Query.Open();
        if (TFields* f = Query.GetFields())
            for (int i = 0; i < f->Count(); ++i)
                all.Add(upper ? UpperCase((*f)[i].FieldName()) : (*f)[i].FieldName());
    };
    try {
        switch (Type) {
        case dbSybaseASA: {
            SetLines(Query,
                     {"Select table_name, table_id", "from SYS.SYSTABLE", "where table_name = " + quoted});
            Query.Open();
            const bool exists = !Query.GetEof() && !FieldOf(Query, "TABLE_NAME").AsString().empty();
            const std::int64_t id = exists ? FieldOf(Query, "TABLE_ID").AsInteger() : 0;
            CloseAndClear(Query);
            if (!exists) return missing();
            SetLines(Query, {"Select c.column_id, c.column_name", "from SYS.SYSCOLUMN c",
                             "where c.table_id = " + IntToStr(id), "order by c.column_id, c.column_name"});
            readColumn("COLUMN_NAME", true);
            break;
        }
        case dbMySQL: {
            SetLines(Query, {"SHOW TABLES"});
            Query.Open();
            bool exists = false;
            for (; !Query.GetEof() && !exists; Query.Next())
                exists = UpperCase(FirstField(Query).AsString()) == UpperCase(table);
            CloseAndClear(Query);
            if (!exists) return missing();
            SetLines(Query, {"Select * from " + table});
            fieldNames(false);
            CloseAndClear(Query);
            break;
        }
        case dbMSSQL:
        case dbSybaseASE: {
            if (Type == dbMSSQL)
                SetLines(Query, {"Select o.id, o.name,",
                                 "objectproperty(o.id, " + QuotedStr("ExecIsQuotedIdentOn") + ") QI,",
                                 "objectproperty(o.id, " + QuotedStr("ExecIsAnsiNullsOn") + ") AN",
                                 "from sysobjects o", "where o.xtype = " + QuotedStr("U "),
                                 "and isnull(objectproperty(o.id, " + QuotedStr("ISMSShipped") + "), 1) <> 1",
                                 "and o.name = " + quoted});
            else
                SetLines(Query, {"Select o.id, o.name", "from sysobjects o",
                                 "where o.type = " + QuotedStr("U "), "and o.name = " + quoted});
            Query.Open();
            const bool exists = !Query.GetEof() && !FieldOf(Query, "NAME").AsString().empty();
            const std::int64_t id = exists ? FieldOf(Query, "ID").AsInteger() : 0;
            CloseAndClear(Query);
            if (!exists) return missing();
            SetLines(Query, {"select c.name COLUMN_NAME", "from syscolumns c", "where c.id = " + IntToStr(id),
                             Type == dbMSSQL ? "order by c.colorder" : "order by c.colid"});
            readColumn("COLUMN_NAME", false);
            break;
        }
        case dbOracle: {
            SetLines(Query, {"Select t.table_name as name, t.tablespace_name", "from user_tables t",
                             "where t.table_name = " + quoted});
            Query.Open();
            const bool exists = !Query.GetEof() && !FieldOf(Query, "NAME").AsString().empty();
            CloseAndClear(Query);
            if (!exists) return missing();
            SetLines(Query,
                     {"select c.column_name, c.data_type, c.data_length,",
                      "c.data_precision, c.data_scale, c.column_id,",
                      "c.character_set_name, c.char_col_decl_length,", "c.char_length, c.Nullable",
                      "from user_tab_columns c", "where c.table_name = " + quoted, "order by c.column_id"});
            readColumn("COLUMN_NAME", false);
            break;
        }
        case dbPostgreSQL: {
            SetLines(Query,
                     {" SELECT n.nspname AS schemaname, c.relname AS tablename, pg_get_userbyid(c.relowner) "
                      "AS tableowner,",
                      "        t.spcname AS \"tablespace\", c.relhasindex AS hasindexes, c.relhasrules AS "
                      "hasrules,",
                      "        c.reltriggers > 0 AS hastriggers, c.oid", "   FROM pg_catalog.pg_class c",
                      "   LEFT JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace",
                      "   LEFT JOIN pg_catalog.pg_tablespace t ON t.oid = c.reltablespace",
                      "  WHERE c.relkind = 'r'",
                      "  AND n.nspname not in ('information_schema', 'pg_catalog', 'pg_toast', 'pg_temp_1')",
                      "  and c.relname not like 'pg_%'", "  and c.relname = " + quoted});
            Query.Open();
            const bool exists = !Query.GetEof() && !FieldOf(Query, "TABLENAME").AsString().empty();
            const std::int64_t oid = exists ? FieldOf(Query, "OID").AsInteger() : 0;
            CloseAndClear(Query);
            if (!exists) return missing();
            SetLines(Query,
                     {"select a.attname AS column_name, a.atttypid, a.atttypmod,",
                      "pg_catalog.format_type(a.atttypid, null) as data_type,",
                      "information_schema._pg_char_max_length(a.atttypid, a.atttypmod) as char_length,",
                      "information_schema._pg_numeric_precision(a.atttypid, a.atttypmod) as prec,",
                      "information_schema._pg_numeric_scale(a.atttypid, a.atttypmod) as scale,",
                      "ad.adsrc, a.attnotnull as is_notnull", "from pg_attribute a",
                      "join pg_type t on t.oid = a.atttypid",
                      "left join pg_attrdef ad on ad.adrelid = a.attrelid and ad.adnum = a.attnum",
                      "where a.attrelid = " + IntToStr(oid) + " and a.attnum >= 1", "and not a.attisdropped",
                      "order by a.attnum"});
            readColumn("COLUMN_NAME", false);
            break;
        }
        case dbPervasiveSQL:
            SetLines(Query, {"call psp_columns (null, " + quoted + ", null)"});
            readColumn("COLUMN_NAME", false);
            break;
        case dbParadox:
        case dbDBASE: {
            const bool keysEmpty = Options.GetKeyList().Empty();
            SetLines(Query, {"Select * from " + table});
            fieldNames(true);
            if (keysEmpty)
                if (TFields* f = Query.GetFields())
                    for (int i = 0; i < f->Count(); ++i)
                        if (!IsLargeObject((*f)[i].DataType()))
                            Options.GetKeyList().Add(UpperCase((*f)[i].FieldName()));
            CloseAndClear(Query);
            break;
        }
        default:
            break;
        }
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        try {
            CloseAndClear(Query);
        } catch (const std::exception&) {
        }
        return false;
    }
    return true;
}

// MS Access and custom OLE DB tables: the COLUMNS schema rowset of the side's ADO connection, the
// rows whose TABLE_NAME is the table's name exactly. There is no existence test: a missing table
// has no columns.
bool TTableDataComparer::GetADOColumns(TCmpTableOptions& Options) {
    TADOConnection* ado = FindADOConnection(Options.GetConnection());
    if (!ado) {
        ErrorMessage("Column lists of MS Access and custom OLE DB tables need the ADO adapter.");
        return false;
    }
    try {
        TADOQuery rowset;
        ado->OpenSchema(TSchemaInfo::siColumns, rowset);
        for (rowset.First(); !rowset.GetEof(); rowset.Next())
            if (rowset.FieldByName("TABLE_NAME").AsString() == Options.GetTableName())
                Options.GetAllFields().Add(rowset.FieldByName("COLUMN_NAME").AsString());
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
    return true;
}

// Without IncludeBlobs the large-object columns leave the column list; their types come from
// preparing the side's select, which reads no row.
bool TTableDataComparer::DropBlobColumnsByPreparing(TCmpTableOptions& Options, TSMXQuery& Query) {
    TStringList sqlM, sqlT;
    std::string text;
    try {
        GetSelectSQL(sqlM, sqlT);
        const TStringList& mine = &Options == &tableOptionsMaster_ ? sqlM : sqlT;
        text = mine.Text();
        TStringList* sql = Query.GetSQL();
        if (!sql) throw EDatabaseError("The connection's query has no SQL text.");
        sql->Assign(mine);
        Query.Prepare();
        if (TFields* f = Query.GetFields())
            for (int i = 0; i < f->Count(); ++i)
                if (IsLargeObject((*f)[i].DataType())) {
                    Options.SetColumnClass((*f)[i].FieldName(), TColumnClass::ccBlob);
                    const int at = FindName(Options.GetAllFields(), (*f)[i].FieldName(), false);
                    if (at >= 0) Options.GetAllFields().Delete(at);
                }
        CloseAndClear(Query);
    } catch (const std::exception& e) {
        ErrorMessage(std::string(e.what()) + CRLF + Trim(text));
        try {
            CloseAndClear(Query);
        } catch (const std::exception&) {
        }
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Quoting and statement texts

std::string TTableDataComparer::QuoteTableName(const TCmpTableOptions& Options, std::string_view Name) const {
    const TSMXCustomConnection* c = Options.GetConnection();
    if (!c) return std::string(Name);
    return QuoteIdentifier(Name, c->GetDatabaseType(), c->GetIBServerOptions().GetSQLServerVersion(),
                           c->GetIBServerOptions().GetSQLDialect());
}

std::string TTableDataComparer::QuoteFieldName(const TCmpTableOptions& Options, std::string_view Name) const {
    using enum TDatabaseType;
    const TSMXCustomConnection* c = Options.GetConnection();
    const TDatabaseType type = c ? c->GetDatabaseType() : dbAbstract;
    if (type == dbParadox || type == dbDBASE) {
        if (FindLocalSQLKeyword(UpperCase(Name)) != 1)
            return Options.GetTableName() + ".\"" + std::string(Name) + "\"";
        return std::string(Name);
    }
    return QuoteTableName(Options, Name);
}

std::string TTableDataComparer::JoinFieldList(const TCmpTableOptions& Options,
                                              const TStringList& List) const {
    std::string r;
    for (int i = 0; i < List.Count(); ++i) {
        if (i > 0) r += ", ";
        const std::string& n = List[i];
        r += n.empty() || n.front() == '"' ? n : QuoteFieldName(Options, n);
    }
    return r;
}

bool TTableDataComparer::UsesNullsFirst(TDatabaseType Type) const {
    using enum TIBSQLServerVersionType;
    if (Type != TDatabaseType::dbInterBase) return false;
    const TIBSQLServerVersionType v = ibServerOptions_.GetSQLServerVersion();
    return v == st_FireBird_15 || (v >= st_Firebird_20 && v <= st_Firebird_40);
}

// A text column of a binary collation orders by its bytes as the client receives them, trailing
// blanks removed: the server's own order depends on the plan (an index skips trailing blanks, a
// sort pads with them, so 'v' and 'v' || ASCII_CHAR(10) swap places), and the merge needs one order
// it can follow exactly. Other collations keep the server's order.
bool TTableDataComparer::OrdersByBytes(const TCmpTableOptions& Options, std::string_view Name) const {
    const TSMXCustomConnection* c = Options.GetConnection();
    if (!c || c->GetDatabaseType() != TDatabaseType::dbInterBase) return false;
    const TColumnType* t = Options.FindColumnType(Unquoted(Name));
    return t && KindOf(*t) == TTypeKind::Text && (t->CollationId == 0 || t->CollationName == "UCS_BASIC");
}

std::string TTableDataComparer::OrderItem(const TCmpTableOptions& Options, const std::string& Name,
                                          bool NullsFirst) const {
    const std::string column = Name.empty() || Name.front() == '"' ? Name : QuoteFieldName(Options, Name);
    const std::string nulls = NullsFirst ? " NULLS FIRST" : "";
    if (!OrdersByBytes(Options, Name)) return column + nulls;
    const TColumnType& t = *Options.FindColumnType(Unquoted(Name));
    std::string text = "TRIM(TRAILING FROM " + column + ")";
    // A column of another character set than the connection's reaches the client transliterated:
    // its bytes are taken in the connection's character set (NONE passes bytes as they are).
    const std::string& charSet = Options.GetConnection()->GetIBServerOptions().GetDBCharSet();
    if (t.CharSetId != 0 && !charSet.empty() && !SameText(charSet, "NONE") &&
        !SameText(charSet, t.CharSetName))
        text = "CAST(" + text + " AS VARCHAR(" + IntToStr(std::max(t.CharLength, 1)) + ") CHARACTER SET " +
               charSet + ")";
    // Four bytes hold any character; OCTETS pads with zero bytes, so the length settles the order of
    // 'v' and 'v' || ASCII_CHAR(0).
    const int bytes = std::clamp(std::max(t.CharLength, 1) * 4, 1, 32765);
    return "CAST(" + text + " AS VARCHAR(" + IntToStr(bytes) + ") CHARACTER SET OCTETS)" + nulls +
           ", OCTET_LENGTH(" + text + ")";
}

std::string TTableDataComparer::BuildSelectSQL(const TCmpTableOptions& Options) const {
    const TStringList& keys = Options.GetKeyList();
    const TStringList& data = Options.GetDataList();
    const int keyCount =
        std::min(tableOptionsMaster_.GetKeyList().Count(), tableOptionsTarget_.GetKeyList().Count());
    const TStringList* orderList = nullptr;
    if (keyCount > 0 && !keys.Empty())
        orderList = &keys;
    else if (keyCount == 0 && !data.Empty())
        orderList = &data;
    std::string order;
    if (orderList) {
        // Firebird sorts NULL first in ascending order by default; saying so keeps the index plan
        // and makes the order the merge relies on explicit.
        const TSMXCustomConnection* c = Options.GetConnection();
        const bool nullsFirst = c && UsesNullsFirst(c->GetDatabaseType());
        order = " Order by ";
        for (int i = 0; i < orderList->Count(); ++i) {
            if (i > 0) order += ", ";
            order += OrderItem(Options, (*orderList)[i], nullsFirst);
        }
    }
    const std::string table = QuoteTableName(Options, Options.GetTableName());
    if (!data.Empty())
        return "select " + JoinFieldList(Options, data) + CRLF + "from " + table + CRLF + order;
    return "select *" + CRLF + " from " + table + CRLF + order;
}

void TTableDataComparer::GetSelectSQL(TStringList& SQLM, TStringList& SQLT) {
    if (OnGetSelectSQL) {
        OnGetSelectSQL(this, SQLM, SQLT);
        return;
    }
    SQLM.SetText(BuildSelectSQL(tableOptionsMaster_));
    SQLT.SetText(BuildSelectSQL(tableOptionsTarget_));
}

// ---------------------------------------------------------------------------------------------
// Values

std::string TTableDataComparer::FloatLiteral(double Value) const {
    if (!scriptOptions_.GetFloatFormat().empty()) return FormatFloat(scriptOptions_.GetFloatFormat(), Value);
    if (Value == std::trunc(Value) && Value < 2147483647.0 && Value >= -9223372036854775808.0)
        return IntToStr(static_cast<std::int64_t>(Value));
    if (scriptOptions_.GetLocalSQL()) return FormatFloat("0.###########", Value);
    const std::string shortForm = ShortSciText(SciText(Value, 15));
    const bool interBase = GetDatabaseType() == TDatabaseType::dbInterBase;
    if (ReadsBack(shortForm, Value) && (!interBase || FirebirdReadsBack(shortForm, Value))) return shortForm;
    // 17 significant digits read back as the very same double; the short form stays as a comment.
    const std::string full = SciText(Value, 17);
    const std::string comment = " /* " + shortForm + " */";
    if (!interBase || !std::isfinite(Value)) return full + comment;
    // Firebird does not round a literal correctly: take a form it reads back exactly, the 17-digit
    // one when it does, else 16 digits or a neighbour in the last digit, else the exact product.
    if (FirebirdReadsBack(full, Value)) return full + comment;
    if (const std::string sixteen = SciText(Value, 16);
        ReadsBack(sixteen, Value) && FirebirdReadsBack(sixteen, Value))
        return sixteen + comment;
    for (int delta = 1; delta <= 12; ++delta)
        for (int sign : {-1, 1}) {
            const std::string nudged = NudgedSciText(full, sign * delta);
            if (!nudged.empty() && FirebirdReadsBack(nudged, Value)) return nudged + comment;
        }
    return ExactPowerText(Value) + comment;
}

std::string TTableDataComparer::DateTimeText(TFieldType Type, TDateTime Value) const {
    using enum TFieldType;
    using enum TDatabaseType;
    const std::string& option = Type == ftDate   ? scriptOptions_.GetDateFormat()
                                : Type == ftTime ? scriptOptions_.GetTimeFormat()
                                                 : scriptOptions_.GetDateTimeFormat();
    if (!option.empty()) return FormatDateTime(option, Value);
    const TDatabaseType db = GetDatabaseType();
    const bool iso =
        db == dbSybaseASA || db == dbOracle || db == dbMSSQL || db == dbPostgreSQL || db == dbSybaseASE;
    if (Type == ftDate) return FormatDateTime(iso ? "yyyy-mm-dd" : "dd/mm/yyyy", Value);
    const char* format = Type == ftTime ? "hh:mm:ss" : (iso ? "yyyy-mm-dd hh:mm:ss" : "dd/mm/yyyy hh:mm:ss");
    // The whole seconds are formatted, the fraction is added exactly from the ticks.
    const std::int32_t days = DateToDays(Value);
    const std::int64_t ticks = TimeToTicks(Value);
    const std::int64_t fraction = ticks % TicksPerSecond;
    std::string text = FormatDateTime(format, DaysTicksToDateTime(days, ticks - fraction));
    if (fraction != 0)
        text += db == dbInterBase ? "." + PadNumber(fraction, 4) : "." + PadNumber(fraction / 10, 3);
    return text;
}

std::string TTableDataComparer::FieldValueText(const TCmpTableOptions& Options, const TField& Field) {
    using enum TFieldType;
    using enum TDatabaseType;
    if (Field.IsNull()) return "Null";
    const TFieldType type = Field.DataType();
    if (IsLargeObject(type)) return WriteBlobValue(Field);
    if (!scriptOptions_.GetGenerateScript()) return ":" + Field.FieldName();
    const TDatabaseType db = GetDatabaseType();
    std::string buffer;
    std::string r;
    switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
    case ftGuid: {
        std::string_view text = TextOf(Field, buffer);
        if (trimCharFields_ && type != ftGuid) text = TrimView(text);
        if (db == dbInterBase && text.find_first_of("\r\n") != std::string_view::npos) {
            // Line breaks travel as ASCII_CHAR: the executor's statement lines and the script's
            // readers split text at them, which would change a lone CR or LF inside a literal.
            std::string piece;
            auto flush = [&] {
                if (piece.empty()) return;
                r += (r.empty() ? "" : " || ") + GetSQLStringLiteral(piece, db);
                piece.clear();
            };
            for (char c : text) {
                if (c == '\r' || c == '\n') {
                    flush();
                    r += (r.empty() ? "" : " || ") +
                         std::string(c == '\r' ? "ASCII_CHAR(13)" : "ASCII_CHAR(10)");
                } else {
                    piece += c;
                }
            }
            flush();
        } else {
            r = GetSQLStringLiteral(text, db);
        }
        break;
    }
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint: {
        const std::string text = Field.AsString();
        std::int64_t v = 0;
        r = TryStrToInt64(text, v) ? text : IntToStr(Field.AsInteger());
        break;
    }
    case ftBCD:
    case ftFMTBcd: {
        // Exact numerics are written from the client's exact decimal text, never through a double.
        const TVariant& v = Field.Value();
        if ((v.Kind() == TVarKind::vkString || v.Kind() == TVarKind::vkBytes) &&
            IsNumberText(TrimView(v.RawText())))
            r = std::string(TrimView(v.RawText()));
        else if (v.Kind() == TVarKind::vkInteger)
            r = IntToStr(v.AsInteger());
        else
            r = FloatLiteral(Field.AsFloat());
        break;
    }
    case ftFloat:
    case ftCurrency:
        r = FloatLiteral(Field.AsFloat());
        break;
    case ftBoolean:
        // Firebird rejects "1" and "0" for BOOLEAN.
        if (db == dbInterBase)
            r = Field.AsBoolean() ? "TRUE" : "FALSE";
        else
            r = Field.AsBoolean() ? "1" : "0";
        break;
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
        r = QuotedStr(DateTimeText(type, Field.AsDateTime()));
        break;
    case ftBytes:
    case ftVarBytes: {
        // Binary strings as hexadecimal: a plain literal with such bytes is no valid text.
        const std::string hex = HexText(TextOf(Field, buffer));
        r = db == dbMSSQL || db == dbSybaseASE || db == dbSybaseASA ? "0x" + hex : "X'" + hex + "'";
        break;
    }
    default:
        break;
    }
    if (OnGetDataValue && &Options == &tableOptionsMaster_) OnGetDataValue(this, Field, r);
    return r;
}

std::string TTableDataComparer::WriteBlobValue(const TField& Field) {
    using enum TDatabaseType;
    if (Field.IsNull()) return "Null";
    if (!scriptOptions_.GetGenerateScript())
        return ":" + QuoteTableName(tableOptionsTarget_, Field.FieldName());
    if (!blobFile_) CreateBlobFile();
    const std::string& bytes = Field.Value().RawText();
    std::string buffer;
    std::string_view value = bytes;
    if (Field.Value().Kind() != TVarKind::vkBytes && Field.Value().Kind() != TVarKind::vkString) {
        buffer = Field.AsBytes();
        value = buffer;
    }
    const std::uint64_t offset = blobFile_->Size();
    std::string reason;
    if (!blobFile_->Write(value, reason)) Stop("Cannot write file " + blobFile_->Path() + ": " + reason);
    const std::uint64_t length = blobFile_->Size() - offset;
    const TDatabaseType db = GetDatabaseType();
    if (length == 0 && (db == dbSybaseASA || db == dbMSSQL || db == dbSybaseASE || db == dbParadox))
        return "Null";
    return ":h" + IntToHex(offset, 8) + "_" + IntToHex(length, 8);
}

void TTableDataComparer::CreateBlobFile() {
    // A large-object value that cannot be stored must not become NULL in the script: stop.
    if (blobFileName_.empty()) Stop("BlobFileName is not specified. Cann't save BLOBs.");
    std::string reason;
    blobFile_ = TOutFile::Create(blobFileName_, reason);
    if (!blobFile_) Stop("Cannot create file " + blobFileName_ + ": " + reason);
}

// ---------------------------------------------------------------------------------------------
// Comparison

int TTableDataComparer::CompareBlobFields(const TField& FieldM, const TField& FieldT) const {
    std::string bm, bt;
    const std::string_view m = FieldM.IsNull() ? std::string_view() : TextOf(FieldM, bm);
    const std::string_view t = FieldT.IsNull() ? std::string_view() : TextOf(FieldT, bt);
    if (t.size() < m.size()) return 1;
    if (t.size() > m.size()) return -1;
    return m == t ? 0 : 1;
}

int TTableDataComparer::CompareFieldValues(const TField& FieldM, const TField& FieldT, bool AsKey) {
    return CompareAs(FieldM, FieldT, AsKey ? TCompareAs::caKey : TCompareAs::caData);
}

int TTableDataComparer::CompareAs(const TField& FieldM, const TField& FieldT, TCompareAs Mode) {
    using enum TDatabaseType;
    using enum TFieldType;
    if (OnCompareFields) return OnCompareFields(this, FieldM, FieldT);
    const TDatabaseType db = GetDatabaseType();
    const TFieldType tm = FieldM.DataType(), tt = FieldT.DataType();
    if ((db == dbSybaseASA || db == dbMSSQL || db == dbSybaseASE || db == dbParadox) && IsLargeObject(tm))
        return CompareBlobFields(FieldM, FieldT);
    const bool nm = FieldM.IsNull(), nt = FieldT.IsNull();
    if (nm || nt) {
        // Firebird puts NULL first in ascending order; other databases are taken to put it last.
        const bool nullsFirst = UsesNullsFirst(db);
        if (nm && nt) return 0;
        if (nm) return nullsFirst ? -1 : 1;
        return nullsFirst ? 1 : -1;
    }
    const TFamily family = FamilyOf(tm);
    if (family != FamilyOf(tt)) return 0;
    std::string bm, bt;
    switch (family) {
    case TFamily::LargeObject:
        return CompareBlobFields(FieldM, FieldT);
    case TFamily::Text: {
        std::string_view a = TextOf(FieldM, bm), b = TextOf(FieldT, bt);
        const bool guid = tm == ftGuid || tt == ftGuid;
        if (trimCharFields_ && !guid) {
            a = TrimView(a);
            b = TrimView(b);
        }
        // Keys sort as their select orders them; data stay byte-exact unless a CHAR side pads anyway.
        if (!guid && Mode == TCompareAs::caKeyBytes)
            return CompareBytes(TrimBlanksRight(a), TrimBlanksRight(b));
        if (!guid && (Mode == TCompareAs::caKey || tm == ftFixedChar || tt == ftFixedChar))
            return ComparePadded(a, b, ' ');
        return CompareBytes(a, b);
    }
    case TFamily::Bytes: {
        const std::string_view a = TextOf(FieldM, bm), b = TextOf(FieldT, bt);
        if (Mode != TCompareAs::caData || tm == ftBytes || tt == ftBytes) return ComparePadded(a, b, 0);
        return CompareBytes(a, b);
    }
    case TFamily::Number:
        return CompareNumbers(FieldM, FieldT);
    case TFamily::DateTime: {
        const std::int64_t a = TicksOf(FieldM.AsDateTime()), b = TicksOf(FieldT.AsDateTime());
        return (a > b) - (a < b);
    }
    case TFamily::Boolean: {
        const int a = FieldM.AsBoolean() ? 1 : 0, b = FieldT.AsBoolean() ? 1 : 0;
        return a - b;
    }
    default:
        return 0;
    }
}

int TTableDataComparer::CompareFieldLists(const std::vector<TField*>& FieldsM,
                                          const std::vector<TField*>& FieldsT,
                                          const std::vector<TCompareAs>& Modes) {
    for (std::size_t i = 0; i < FieldsM.size(); ++i) {
        const TField& m = *FieldsM[i];
        if (!compareBlobs_ && IsLargeObject(m.DataType())) continue;
        const TCompareAs mode = i < Modes.size() ? Modes[i] : TCompareAs::caData;
        if (int r = CompareAs(m, *FieldsT[i], mode); r != 0) return r;
    }
    return 0;
}

int TTableDataComparer::CompareCurrentRows() {
    dataDiffer_ = false;
    if (!fields_->KeyM.empty()) {
        const int c = CompareFieldLists(fields_->KeyM, fields_->KeyT, fields_->KeyModes);
        if (c == 0) dataDiffer_ = CompareFieldLists(fields_->AllM, fields_->AllT, {}) != 0;
        return c;
    }
    return CompareFieldLists(fields_->AllM, fields_->AllT, {});
}

// ---------------------------------------------------------------------------------------------
// The merge

namespace {

// The field of a select named by a list entry (quotes removed): the exact name first, then any case.
TField* RunField(TSMXQuery& Query, std::string_view ListName) {
    const std::string name = Unquoted(ListName);
    TFields* f = Query.GetFields();
    if (f) {
        for (int i = 0; i < f->Count(); ++i)
            if ((*f)[i].FieldName() == name) return &(*f)[i];
        if (TField* any = f->FindField(name)) return any;
    }
    throw EDatabaseError("Field '" + name + "' not found");
}

} // namespace

void TTableDataComparer::ResolveRunFields() {
    fields_ = std::make_unique<TRunFields>();
    TRunFields& rf = *fields_;
    TCmpTableOptions& m = tableOptionsMaster_;
    TCmpTableOptions& t = tableOptionsTarget_;
    if (TFields* f = queryMaster_->GetFields())
        for (int i = 0; i < f->Count(); ++i)
            rf.AllM.push_back(&(*f)[i]);
    if (!queryTarget_) return;
    if (TFields* f = queryTarget_->GetFields())
        for (int i = 0; i < f->Count(); ++i)
            rf.AllT.push_back(&(*f)[i]);
    if (rf.AllT.size() < rf.AllM.size())
        throw EDatabaseError("The select of target table " + t.GetTableName() + " has " +
                             IntToStr(rf.AllT.size()) + " columns, the master's has " +
                             IntToStr(rf.AllM.size()) + ".");
    const int keyCount = KeyFieldCount();
    for (int i = 0; i < keyCount; ++i) {
        rf.KeyM.push_back(RunField(*queryMaster_, m.GetKeyList()[i]));
        rf.KeyT.push_back(RunField(*queryTarget_, t.GetKeyList()[i]));
        // The key compares as its select orders it; a select of the event orders as it likes.
        const bool bytes =
            !OnGetSelectSQL && OrdersByBytes(m, m.GetKeyList()[i]) && OrdersByBytes(t, t.GetKeyList()[i]);
        rf.KeyModes.push_back(bytes ? TCompareAs::caKeyBytes : TCompareAs::caKey);
    }
    const int dataCount = DataFieldCount();
    for (int i = 0; i < dataCount; ++i) {
        rf.DataM.push_back(RunField(*queryMaster_, m.GetDataList()[i]));
        rf.DataT.push_back(RunField(*queryTarget_, t.GetDataList()[i]));
    }
    for (int i = 0; i < keyCount; ++i) {
        for (auto [side, field] : {std::pair{&m, rf.KeyM[i]}, std::pair{&t, rf.KeyT[i]}})
            if (IsLargeObject(field->DataType()))
                Stop("Key field " + field->FieldName() + " of table " + side->GetTableName() +
                     " is a BLOB and cannot be a key. Database: " + DatabaseNameOf(*side));
        rf.PrevM.push_back(std::make_unique<TField>(rf.KeyM[i]->FieldName(), rf.KeyM[i]->DataType(),
                                                    rf.KeyM[i]->Size(), rf.KeyM[i]->Precision(),
                                                    rf.KeyM[i]->Scale()));
        rf.PrevT.push_back(std::make_unique<TField>(rf.KeyT[i]->FieldName(), rf.KeyT[i]->DataType(),
                                                    rf.KeyT[i]->Size(), rf.KeyT[i]->Precision(),
                                                    rf.KeyT[i]->Scale()));
    }
}

// Values of different kinds (a number against a text) would pair rows wrongly or compare as equal:
// stop before the merge. Catalogue types are checked before (CheckColumnTypes); this catches what
// no catalogue told, such as the columns of other databases or of the select event.
void TTableDataComparer::CheckKinds() {
    if (OnCompareFields) return; // the handler decides how such values compare
    const TRunFields& rf = *fields_;
    std::vector<std::string> differing;
    auto check = [&](const std::vector<TField*>& m, const std::vector<TField*>& t) {
        for (std::size_t i = 0; i < m.size() && i < t.size(); ++i)
            if (FamilyOf(m[i]->DataType()) != FamilyOf(t[i]->DataType()))
                differing.push_back(ColumnPairText(m[i]->FieldName(), t[i]->FieldName(),
                                                   std::string(FieldTypeName(m[i]->DataType())),
                                                   std::string(FieldTypeName(t[i]->DataType()))));
    };
    check(rf.KeyM, rf.KeyT);
    check(rf.DataM, rf.DataT);
    if (!differing.empty())
        Stop(TypesDifferText(tableOptionsMaster_.GetTableName(), tableOptionsTarget_.GetTableName(),
                             differing));
}

// The merge holds only when each side delivers its keys strictly increasing under the comparison
// it uses; a collation that sorts otherwise, or keys that do not identify rows, stop the run.
void TTableDataComparer::CheckRowOrder(bool Master) {
    TRunFields& rf = *fields_;
    const std::vector<TField*>& keys = Master ? rf.KeyM : rf.KeyT;
    if (keys.empty()) return;
    std::vector<std::unique_ptr<TField>>& prev = Master ? rf.PrevM : rf.PrevT;
    bool& have = Master ? rf.HavePrevM : rf.HavePrevT;
    if (have) {
        int c = 0;
        for (std::size_t i = 0; i < keys.size() && c == 0; ++i)
            c = CompareAs(*prev[i], *keys[i], rf.KeyModes[i]);
        if (c >= 0)
            Stop(std::string("Rows of the ") + (Master ? "master" : "target") + " table " +
                 (Master ? tableOptionsMaster_ : tableOptionsTarget_).GetTableName() +
                 " are not in key order or not unique over the key fields (row " +
                 IntToStr(Master ? currentMaster_ : currentTarget_) + ").");
    }
    for (std::size_t i = 0; i < keys.size(); ++i)
        prev[i]->SetValue(keys[i]->AsVariant());
    have = true;
}

void TTableDataComparer::FireProgress() {
    if (OnProgressUpdateMaster) OnProgressUpdateMaster(this, currentMaster_, rowTotalMaster_);
    if (OnProgressUpdateTarget) OnProgressUpdateTarget(this, currentTarget_, rowTotalTarget_);
}

void TTableDataComparer::RunCountStatements() {
    TStringList countM, countT;
    if (OnGetCountSQL) {
        OnGetCountSQL(this, countM, countT);
    } else {
        countM.SetText("Select count(*) from " +
                       QuoteTableName(tableOptionsMaster_, tableOptionsMaster_.GetTableName()));
        countT.SetText("Select count(*) from " +
                       QuoteTableName(tableOptionsTarget_, tableOptionsTarget_.GetTableName()));
    }
    auto count = [](TSMXQuery* q, const TStringList& sql, int& total) {
        if (!q || sql.Empty()) return;
        *q->GetSQL() = sql;
        q->Open();
        if (!q->GetEof()) total = static_cast<int>(FirstField(*q).AsInteger());
        CloseAndClear(*q);
    };
    count(queryMaster_.get(), countM, rowTotalMaster_);
    count(queryTarget_.get(), countT, rowTotalTarget_);
}

void TTableDataComparer::AddScriptHeader() {
    using enum TDatabaseType;
    using enum TStatType;
    auto add = [this](const std::string& text, TStatType kind) {
        if (!text.empty()) AddResultSQL(text, kind, "", TDbOperation::odbUnknown, TDbObject::dboUnknown);
    };
    switch (GetDatabaseType()) {
    case dbInterBase:
        if (scriptOptions_.GetDBCharSet()) add(ibServerOptions_.GetSetNamesSQL(), stCharSet);
        if (scriptOptions_.GetSQLDialect()) add(ibServerOptions_.GetSetSQLDialectSQL(), stSet);
        if (scriptOptions_.GetConnect()) add(ibServerOptions_.GetConnectSQL(connectionOptions_), stConnect);
        break;
    case dbMySQL:
        if (scriptOptions_.GetDBCharSet() && !mysqlServerOptions_.GetCharSet().empty())
            add("SET CHARACTER SET " + mysqlServerOptions_.GetCharSet(), stCharSet);
        if (scriptOptions_.GetDBCharSet() && !mysqlServerOptions_.GetNames().empty())
            add("SET NAMES " + mysqlServerOptions_.GetNames(), stSetNames);
        if (scriptOptions_.GetConnect() && !connectionOptions_.GetDatabaseName().empty())
            add("USE " + connectionOptions_.GetDatabaseName(), stConnect);
        break;
    case dbMSSQL:
        if (scriptOptions_.GetConnect() && !connectionOptions_.GetDatabaseName().empty())
            add("USE " + connectionOptions_.GetDatabaseName(), stConnect);
        break;
    default:
        break;
    }
    if (blobsPresent_ && !blobFileName_.empty()) {
        const std::string name =
            SameDirectory(scriptFileName_, blobFileName_) ? ExtractFileName(blobFileName_) : blobFileName_;
        AddResultSQL("SET BLOBFILE " + QuotedStr(name), stSetBlobFile, blobFileName_,
                     TDbOperation::odbUnknown, TDbObject::dboUnknown);
    }
}

void TTableDataComparer::CompareRows() {
    TFormatSettings& fs = FormatSettings();
    const char savedDecimal = fs.DecimalSeparator, savedDate = fs.DateSeparator;
    fs.DecimalSeparator = '.';
    fs.DateSeparator = '.';
    ScopeExit restore([&] {
        fs.DecimalSeparator = savedDecimal;
        fs.DateSeparator = savedDate;
    });
    rowTotalMaster_ = rowTotalTarget_ = 1;
    currentMaster_ = currentTarget_ = 0;
    FireProgress();
    CloseAndClear(*queryMaster_);
    if (queryTarget_) CloseAndClear(*queryTarget_);
    if (OnProgressUpdateMaster || OnProgressUpdateTarget) RunCountStatements();

    std::vector<std::string> keyNames;
    for (int i = 0; i < KeyFieldCount(); ++i)
        keyNames.push_back(Unquoted(tableOptionsMaster_.GetKeyList()[i]));
    LogLine("Key fields: " + (keyNames.empty() ? std::string("(none)") : JoinNames(keyNames, ", ")));

    TStringList selectM, selectT;
    GetSelectSQL(selectM, selectT);
    if (!OnGetSelectSQL) {
        LogLine("Select-SQL for master table:" + CRLF + TrimRight(selectM.Text()));
        if (queryTarget_) LogLine("Select-SQL for target table:" + CRLF + TrimRight(selectT.Text()));
    }
    *queryMaster_->GetSQL() = selectM;
    if (queryTarget_) *queryTarget_->GetSQL() = selectT;

    blobsPresent_ = false;
    queryMaster_->Open();
    if (!queryMaster_->GetEof()) currentMaster_ = 1;
    if (includeBlobs_)
        if (TFields* f = queryMaster_->GetFields())
            for (int i = 0; i < f->Count(); ++i)
                blobsPresent_ = blobsPresent_ || IsLargeObject((*f)[i].DataType());
    if (queryTarget_) {
        queryTarget_->Open();
        if (!queryTarget_->GetEof()) currentTarget_ = 1;
    }
    ResolveRunFields();
    CheckKinds();
    if (!queryMaster_->GetEof()) CheckRowOrder(true);
    if (queryTarget_ && !queryTarget_->GetEof()) CheckRowOrder(false);

    AddScriptHeader();

    auto nextMaster = [this] {
        queryMaster_->Next();
        ++currentMaster_;
        if (!queryMaster_->GetEof()) CheckRowOrder(true);
    };
    auto nextTarget = [this] {
        queryTarget_->Next();
        ++currentTarget_;
        if (!queryTarget_->GetEof()) CheckRowOrder(false);
    };
    // A table's DELETEs go before its INSERTs. With every column as the key a changed row is a new
    // row plus a missing one; were the new one inserted first, a primary or unique key of the target
    // would refuse it after its old version was deleted. INSERTs met while target rows are still to
    // come wait in a temporary file; the DELETEs and UPDATEs go out as they arise.
    const bool deferInserts = queryTarget_ &&
                              allowedOperations_.contains(TDataCompareOperation::dcopInsert) &&
                              allowedOperations_.contains(TDataCompareOperation::dcopDelete);
    for (;;) {
        FireProgress();
        if (!queryTarget_ || queryMaster_->GetEof() || queryTarget_->GetEof()) break;
        const int c = CompareCurrentRows();
        if (c < 0) {
            if (deferInserts)
                SpillInsert();
            else
                InsertRow();
            nextMaster();
        } else if (c == 0) {
            if (dataDiffer_)
                UpdateRow();
            else
                ++equal_;
            nextMaster();
            nextTarget();
        } else {
            DeleteRow();
            nextTarget();
        }
    }
    while (queryTarget_ && !queryTarget_->GetEof()) {
        if (OnProgressUpdateTarget) OnProgressUpdateTarget(this, currentTarget_, rowTotalTarget_);
        DeleteRow();
        nextTarget();
    }
    // No DELETE is left: the waiting INSERTs, then the master's remaining rows, in key order.
    InsertSpilledRows();
    while (!queryMaster_->GetEof()) {
        if (OnProgressUpdateMaster) OnProgressUpdateMaster(this, currentMaster_, rowTotalMaster_);
        InsertRow();
        nextMaster();
    }
    FireProgress();
    fields_.reset();
    CloseAndClear(*queryMaster_);
    if (queryTarget_) CloseAndClear(*queryTarget_);

    for (TSMXCustomConnection* c : {connectionMaster_, connectionTarget_})
        if (c && c->GetConnected() && c->InTransaction()) c->Commit();
    LogLine("Equal: " + IntToStr(equal_) + ", " + "Inserted: " + IntToStr(inserted_) + ", " +
            "Updated: " + IntToStr(updated_) + ", " + "Deleted: " + IntToStr(deleted_) + ", " +
            "All: " + IntToStr(equal_ + inserted_ + updated_ + deleted_) + ".");
}

// ---------------------------------------------------------------------------------------------
// Statements

std::string TTableDataComparer::InsertValueList() {
    std::string r;
    const std::vector<TField*>& all = fields_->AllM;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i > 0) r += ", ";
        r += updateImmediately_ ? ":DATA" + IntToStr(static_cast<std::int64_t>(i))
                                : FieldValueText(tableOptionsMaster_, *all[i]);
    }
    return r;
}

std::string TTableDataComparer::BuildKeyCondition() {
    std::string r;
    auto item = [&](const std::string& name, const TField& field, std::size_t i) {
        if (IsLargeObject(field.DataType())) return;
        if (!r.empty()) r += " and ";
        r += !name.empty() && name.front() == '"' ? name : QuoteFieldName(tableOptionsTarget_, name);
        if (field.IsNull())
            r += " is Null";
        else
            r += " = " + (updateImmediately_ ? ":KEY" + IntToStr(static_cast<std::int64_t>(i))
                                             : FieldValueText(tableOptionsTarget_, field));
    };
    const TRunFields& rf = *fields_;
    if (!rf.KeyT.empty()) {
        for (std::size_t i = 0; i < rf.KeyT.size(); ++i)
            item(tableOptionsTarget_.GetKeyList()[static_cast<int>(i)], *rf.KeyT[i], i);
    } else {
        for (std::size_t i = 0; i < rf.AllT.size(); ++i)
            item(rf.AllT[i]->FieldName(), *rf.AllT[i], i);
    }
    return r;
}

void TTableDataComparer::InsertRow() {
    if (!allowedOperations_.contains(TDataCompareOperation::dcopInsert)) return;
    TCmpTableOptions& t = tableOptionsTarget_;
    const std::string columns = JoinFieldList(t, t.GetDataList());
    if (columns.empty()) return;
    const std::string text = "INSERT INTO " + QuoteTableName(t, t.GetTableName()) + " (" + columns + ")" +
                             CRLF + "VALUES(" + InsertValueList() + ")";
    AddResultSQL(text, TStatType::stInsert, t.GetTableName(), TDbOperation::odbInsert, TDbObject::dboTable);
    ++inserted_;
}

void TTableDataComparer::SpillInsert() {
    TRunFields& rf = *fields_;
    if (!rf.Spill) rf.Spill = std::make_unique<TRowSpill>();
    std::string reason;
    if (!rf.Spill->Write(rf.AllM, reason)) Stop("Cannot write the temporary file of waiting rows: " + reason);
}

void TTableDataComparer::InsertSpilledRows() {
    TRunFields& rf = *fields_;
    if (!rf.Spill || rf.Spill->Count() == 0) return;
    std::string reason;
    if (!rf.Spill->Rewind(reason)) Stop("Cannot read the temporary file of waiting rows: " + reason);
    // Fields of the master's layout take each waiting row in turn and stand in for the select's.
    std::vector<std::unique_ptr<TField>> rows;
    for (const TField* f : rf.AllM)
        rows.push_back(
            std::make_unique<TField>(f->FieldName(), f->DataType(), f->Size(), f->Precision(), f->Scale()));
    const std::vector<TField*> savedAll = rf.AllM, savedData = rf.DataM;
    ScopeExit restore([&] {
        rf.AllM = savedAll;
        rf.DataM = savedData;
    });
    for (std::size_t i = 0; i < rows.size(); ++i)
        rf.AllM[i] = rows[i].get();
    for (TField*& d : rf.DataM) {
        const auto at = std::find(savedAll.begin(), savedAll.end(), d);
        if (at != savedAll.end()) d = rows[static_cast<std::size_t>(at - savedAll.begin())].get();
    }
    for (int n = rf.Spill->Count(); n > 0; --n) {
        if (!rf.Spill->Read(rows, reason)) Stop("Cannot read the temporary file of waiting rows: " + reason);
        InsertRow();
    }
    rf.Spill.reset();
}

void TTableDataComparer::UpdateRow() {
    if (!allowedOperations_.contains(TDataCompareOperation::dcopUpdate)) return;
    TCmpTableOptions& t = tableOptionsTarget_;
    const TRunFields& rf = *fields_;
    std::string set;
    for (std::size_t i = 0; i < rf.DataM.size(); ++i) {
        const TField& m = *rf.DataM[i];
        if (CompareFieldValues(m, *rf.DataT[i]) == 0) continue;
        if (!set.empty()) set += ",";
        const std::string& name = t.GetDataList()[static_cast<int>(i)];
        set += CRLF + (!name.empty() && name.front() == '"' ? name : QuoteTableName(t, name)) + "=" +
               (updateImmediately_ ? ":DATA" + IntToStr(static_cast<std::int64_t>(i))
                                   : FieldValueText(tableOptionsMaster_, m));
    }
    if (set.empty()) return;
    const std::string text = "UPDATE " + QuoteTableName(t, t.GetTableName()) + " SET " + set + CRLF +
                             "WHERE " + BuildKeyCondition();
    AddResultSQL(text, TStatType::stUpdate, t.GetTableName(), TDbOperation::odbUpdate, TDbObject::dboTable);
    ++updated_;
}

void TTableDataComparer::DeleteRow() {
    if (!allowedOperations_.contains(TDataCompareOperation::dcopDelete)) return;
    TCmpTableOptions& t = tableOptionsTarget_;
    const std::string text =
        "DELETE FROM " + QuoteTableName(t, t.GetTableName()) + " WHERE " + BuildKeyCondition();
    AddResultSQL(text, TStatType::stDelete, t.GetTableName(), TDbOperation::odbDelete, TDbObject::dboTable);
    ++deleted_;
}

void TTableDataComparer::ExecuteImmediately(const std::string& Text) {
    TSMXQuery* q = queryImmediate_.get();
    if (!q || !fields_) return;
    try {
        q->Close();
        q->SetParamCheck(true);
        q->GetSQL()->SetText(Text);
        if (TParams* params = q->GetParams())
            for (int i = 0; i < params->Count(); ++i) {
                TParam& p = (*params)[i];
                int n = -1;
                const TField* f = nullptr;
                if (StartsText("KEY", p.Name()) && TryStrToInt(p.Name().substr(3), n) && n >= 0 &&
                    n < static_cast<int>(fields_->KeyT.size()))
                    f = fields_->KeyT[static_cast<std::size_t>(n)];
                else if (StartsText("DATA", p.Name()) && TryStrToInt(p.Name().substr(4), n) && n >= 0)
                    f = n < static_cast<int>(fields_->DataM.size())
                            ? fields_->DataM[static_cast<std::size_t>(n)]
                        : n < static_cast<int>(fields_->AllM.size())
                            ? fields_->AllM[static_cast<std::size_t>(n)]
                            : nullptr;
                if (f) p.AssignField(*f);
            }
        if (BeforeOpen) BeforeOpen(q);
        q->ExecSQL();
        CloseAndClear(*q);
    } catch (const std::exception& e) {
        try {
            CloseAndClear(*q);
        } catch (const std::exception&) {
        }
        ErrorMessage(e.what());
    }
}

void TTableDataComparer::AddResultSQL(const std::string& Text, TStatType StatType, const std::string& ObjName,
                                      TDbOperation Operation, TDbObject ObjKind) {
    using enum TStatType;
    bool accept = true;
    if (OnAddResultSQL) OnAddResultSQL(this, accept, Text, StatType, ObjName, ObjKind, Operation);
    if (!accept) return;
    if (updateImmediately_ && (StatType == stInsert || StatType == stUpdate || StatType == stDelete))
        ExecuteImmediately(Text);
    if (!scriptOptions_.GetGenerateScript()) return;
    if (sqlExec_) sqlExec_->AddStatement(Text, StatType, ObjName, ObjKind, Operation, "", "");
    if (scriptFile_) {
        std::string reason;
        if (!scriptFile_->Write(Text + ";" + CRLF, reason))
            Stop("Cannot write file " + scriptFile_->Path() + ": " + reason);
    }
    // The script names the large-object file from here on: it exists, empty, even if no value follows.
    if (StatType == stSetBlobFile && !blobFile_) CreateBlobFile();
}

// ---------------------------------------------------------------------------------------------
// Stopping

void TTableDataComparer::RemoveResultFiles() {
    // Only regular files: a name may point at a device or a folder that is not ours to remove.
    for (const std::string* name : {&scriptFileName_, &blobFileName_}) {
        if (name->empty()) continue;
        std::error_code ec;
        if (std::filesystem::is_regular_file(std::filesystem::symlink_status(*name, ec)))
            std::filesystem::remove(*name, ec);
    }
}

// A stopped run leaves no result: no script, no large-object file, an empty executor list, and in
// immediate mode nothing changed on the target.
void TTableDataComparer::StopCleanup() {
    scriptFile_.reset();
    blobFile_.reset();
    RemoveResultFiles();
    if (sqlExec_) sqlExec_->ClearStatements();
    fields_.reset();
    for (TSMXQuery* q : {queryMaster_.get(), queryTarget_.get(), queryImmediate_.get()}) {
        if (!q) continue;
        try {
            CloseAndClear(*q);
        } catch (const std::exception&) {
        }
    }
    if (updateImmediately_ && connectionTarget_) {
        try {
            if (connectionTarget_->GetConnected() && connectionTarget_->InTransaction())
                connectionTarget_->Rollback();
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
        }
    }
}

} // namespace smx
