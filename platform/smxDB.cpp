// The data-access types: date arithmetic on the civil calendar, variant conversions through
// std::to_chars/from_chars (never the C locale), and the field and parameter lists.
#include "platform/smxDB.h"

#include "platform/smxFormatSettings.h"
#include "platform/smxStrUtils.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace smx {

namespace {

constexpr std::array<std::string_view, 29> kFieldTypeNames = {
    "ftUnknown", "ftString",        "ftSmallint",   "ftInteger",  "ftWord",    "ftBoolean",
    "ftFloat",   "ftCurrency",      "ftBCD",        "ftDate",     "ftTime",    "ftDateTime",
    "ftBytes",   "ftVarBytes",      "ftAutoInc",    "ftBlob",     "ftMemo",    "ftGraphic",
    "ftFmtMemo", "ftFixedChar",     "ftWideString", "ftLargeint", "ftGuid",    "ftTimeStamp",
    "ftFMTBcd",  "ftFixedWideChar", "ftWideMemo",   "ftOraBlob",  "ftOraClob",
};
static_assert(kFieldTypeNames.size() == static_cast<std::size_t>(TFieldType::ftOraClob) + 1);

// Days from 1970-01-01 to a civil date (proleptic Gregorian), and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

// 1899-12-30 counted from 1970-01-01.
const std::int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);

std::string Pad(std::int64_t v, int width) {
    std::string s = IntToStr(v);
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
    return s;
}

constexpr std::array<std::string_view, 12> kShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<std::string_view, 12> kLongMonths = {"January",   "February", "March",    "April",
                                                          "May",       "June",     "July",     "August",
                                                          "September", "October",  "November", "December"};
constexpr std::array<std::string_view, 7> kShortDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 7> kLongDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};

// "hh:mm:ss" plus ".ffff" when the time has a fraction of a second.
std::string TimeText(TDateTime dt) {
    const std::int64_t ticks = TimeToTicks(dt);
    const std::int64_t secs = ticks / TicksPerSecond;
    std::string s = Pad(secs / 3600, 2) + ":" + Pad(secs / 60 % 60, 2) + ":" + Pad(secs % 60, 2);
    if (ticks % TicksPerSecond != 0) s += "." + Pad(ticks % TicksPerSecond, 4);
    return s;
}

std::string DateText(TDateTime dt) {
    int y, m, d;
    DecodeDate(dt, y, m, d);
    return Pad(y, 4) + "-" + Pad(m, 2) + "-" + Pad(d, 2);
}

std::string DateTimeText(TDateTime dt) {
    const bool hasTime = TimeToTicks(dt) != 0;
    const bool hasDate = DateToDays(dt) != 0;
    if (!hasTime) return DateText(dt);
    if (!hasDate) return TimeText(dt);
    return DateText(dt) + " " + TimeText(dt);
}

// Reads minDigits to maxDigits decimal digits at pos into value; false when too few.
bool ReadNumber(std::string_view s, std::size_t& pos, int minDigits, int maxDigits, int& value) {
    int n = 0;
    value = 0;
    while (pos < s.size() && n < maxDigits && s[pos] >= '0' && s[pos] <= '9') {
        value = value * 10 + (s[pos] - '0');
        ++pos;
        ++n;
    }
    return n >= minDigits;
}

bool ParseTimePart(std::string_view s, std::size_t& pos, std::int64_t& ticks) {
    int h, n, sec = 0;
    if (!ReadNumber(s, pos, 1, 2, h) || pos >= s.size() || s[pos] != ':') return false;
    ++pos;
    if (!ReadNumber(s, pos, 2, 2, n)) return false;
    std::int64_t frac = 0;
    if (pos < s.size() && s[pos] == ':') {
        ++pos;
        if (!ReadNumber(s, pos, 2, 2, sec)) return false;
        if (pos < s.size() && s[pos] == '.') {
            ++pos;
            int scale = TicksPerSecond;
            const std::size_t start = pos;
            while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
                scale /= 10;
                frac += (s[pos] - '0') * scale; // digits beyond 1/10000 s add 0
                ++pos;
            }
            if (pos == start) return false;
        }
    }
    if (h > 23 || n > 59 || sec > 59) return false;
    ticks = ((std::int64_t{h} * 60 + n) * 60 + sec) * TicksPerSecond + frac;
    return true;
}

[[noreturn]] void ThrowConvert(std::string_view text, std::string_view what) {
    throw EConvertError("'" + std::string(text) + "' is not a valid " + std::string(what));
}

} // namespace

std::string_view FieldTypeName(TFieldType t) {
    return kFieldTypeNames.at(static_cast<std::size_t>(t));
}

// ---------------------------------------------------------------------------------------------
// Date and time

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return days[static_cast<std::size_t>(month - 1)] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    result = static_cast<double>(
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochOffset);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime r = 0;
    if (!TryEncodeDate(year, month, day, r)) throw EConvertError("Invalid argument to date encode");
    return r;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
        msec > 999)
        throw EConvertError("Invalid argument to time encode");
    const std::int64_t ticks =
        ((std::int64_t{hour} * 60 + minute) * 60 + second) * TicksPerSecond + msec * 10;
    return static_cast<double>(ticks) / static_cast<double>(TicksPerDay);
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
    return DaysTicksToDateTime(DateToDays(date), TimeToTicks(time));
}

std::int32_t DateToDays(TDateTime dt) {
    // Before the epoch the fraction counts forward from midnight of the day named by the integer
    // part, so the day is the integer part (truncation), not the floor.
    return static_cast<std::int32_t>(std::trunc(dt));
}

std::int64_t TimeToTicks(TDateTime dt) {
    const double frac = std::fabs(dt - std::trunc(dt));
    auto ticks = static_cast<std::int64_t>(std::llround(frac * static_cast<double>(TicksPerDay)));
    if (ticks >= TicksPerDay) ticks = TicksPerDay - 1;
    return ticks;
}

TDateTime DaysTicksToDateTime(std::int32_t days, std::int64_t ticks) {
    const double frac = static_cast<double>(ticks) / static_cast<double>(TicksPerDay);
    return days < 0 ? days - frac : days + frac;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
    CivilFromDays(DateToDays(dt) + kEpochOffset, year, month, day);
}

void DecodeTime(TDateTime dt, int& hour, int& minute, int& second, int& msec) {
    const double frac = std::fabs(dt - std::trunc(dt));
    std::int64_t ms = std::llround(frac * 86400000.0);
    if (ms >= 86400000) ms = 86400000 - 1;
    msec = static_cast<int>(ms % 1000);
    second = static_cast<int>(ms / 1000 % 60);
    minute = static_cast<int>(ms / 60000 % 60);
    hour = static_cast<int>(ms / 3600000);
}

std::string FormatDateTime(std::string_view format, TDateTime dt) {
    int y, mo, d, h, n, s, ms;
    DecodeDate(dt, y, mo, d);
    DecodeTime(dt, h, n, s, ms);
    const TFormatSettings& fs = FormatSettings();
    std::string out;
    bool afterHour = false;
    std::size_t i = 0;
    auto run = [&](char c) {
        std::size_t k = i;
        while (k < format.size() && LoCase(format[k]) == c)
            ++k;
        const auto count = k - i;
        i = k;
        return count;
    };
    while (i < format.size()) {
        const char c = format[i];
        const char lc = LoCase(c);
        switch (lc) {
        case 'y': {
            const auto cnt = run('y');
            out += cnt <= 2 ? Pad(y % 100, 2) : Pad(y, 4);
            break;
        }
        case 'm': {
            const auto cnt = run('m');
            if (afterHour && cnt <= 2) {
                out += cnt == 1 ? IntToStr(n) : Pad(n, 2);
            } else if (cnt == 1) {
                out += IntToStr(mo);
            } else if (cnt == 2) {
                out += Pad(mo, 2);
            } else {
                out += (cnt == 3 ? kShortMonths : kLongMonths)[static_cast<std::size_t>(mo - 1)];
            }
            afterHour = false;
            continue;
        }
        case 'd': {
            const auto cnt = run('d');
            if (cnt <= 2) {
                out += cnt == 1 ? IntToStr(d) : Pad(d, 2);
            } else {
                // 1899-12-30 was a Saturday.
                const auto wd = static_cast<std::size_t>(((DateToDays(dt) + 6) % 7 + 7) % 7);
                out += (cnt == 3 ? kShortDays : kLongDays)[wd];
            }
            break;
        }
        case 'h': {
            const auto cnt = run('h');
            out += cnt == 1 ? IntToStr(h) : Pad(h, 2);
            afterHour = true;
            continue;
        }
        case 'n': {
            const auto cnt = run('n');
            out += cnt == 1 ? IntToStr(n) : Pad(n, 2);
            break;
        }
        case 's': {
            const auto cnt = run('s');
            out += cnt == 1 ? IntToStr(s) : Pad(s, 2);
            break;
        }
        case 'z': {
            const auto cnt = run('z');
            out += cnt < 3 ? IntToStr(ms) : Pad(ms, 3);
            break;
        }
        case '/':
            out += fs.DateSeparator;
            ++i;
            break;
        case ':':
            out += fs.TimeSeparator;
            ++i;
            continue; // "hh:mm" keeps "mm" as minutes
        case '\'':
        case '"': {
            const std::size_t close = format.find(c, i + 1);
            const std::size_t end = close == std::string_view::npos ? format.size() : close;
            out.append(format.substr(i + 1, end - i - 1));
            i = close == std::string_view::npos ? format.size() : close + 1;
            break;
        }
        default:
            out += c;
            ++i;
            if (c == ' ') continue;
            break;
        }
        afterHour = false;
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Variant value

std::string FloatToText(double v) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return std::string(buf.data(), res.ptr);
}

bool TryTextToFloat(std::string_view s, double& v) {
    const std::string t = Trim(s);
    std::string_view sv = t;
    if (!sv.empty() && sv.front() == '+') sv.remove_prefix(1);
    if (sv.empty()) return false;
    const auto res = std::from_chars(sv.data(), sv.data() + sv.size(), v, std::chars_format::general);
    return res.ec == std::errc() && res.ptr == sv.data() + sv.size();
}

bool TryTextToDateTime(std::string_view s, TDateTime& v) {
    const std::string t = Trim(s);
    std::string_view sv = t;
    std::size_t pos = 0;
    std::int64_t ticks = 0;
    const std::size_t dash = sv.find('-', 1);
    if (dash != std::string_view::npos && sv.find(':') > dash) {
        int y, m, d;
        if (!ReadNumber(sv, pos, 4, 4, y) || pos >= sv.size() || sv[pos] != '-') return false;
        ++pos;
        if (!ReadNumber(sv, pos, 1, 2, m) || pos >= sv.size() || sv[pos] != '-') return false;
        ++pos;
        if (!ReadNumber(sv, pos, 1, 2, d)) return false;
        TDateTime date = 0;
        if (!TryEncodeDate(y, m, d, date)) return false;
        if (pos < sv.size()) {
            if (sv[pos] != ' ' && sv[pos] != 'T') return false;
            ++pos;
            if (!ParseTimePart(sv, pos, ticks)) return false;
        }
        if (pos != sv.size()) return false;
        v = DaysTicksToDateTime(static_cast<std::int32_t>(date), ticks);
        return true;
    }
    if (!ParseTimePart(sv, pos, ticks) || pos != sv.size()) return false;
    v = DaysTicksToDateTime(0, ticks);
    return true;
}

TVariant TVariant::FromInteger(std::int64_t v) {
    TVariant r;
    r.kind_ = TVarKind::vkInteger;
    r.int_ = v;
    return r;
}

TVariant TVariant::FromFloat(double v) {
    TVariant r;
    r.kind_ = TVarKind::vkFloat;
    r.float_ = v;
    return r;
}

TVariant TVariant::FromString(std::string v) {
    TVariant r;
    r.kind_ = TVarKind::vkString;
    r.str_ = std::move(v);
    return r;
}

TVariant TVariant::FromBoolean(bool v) {
    TVariant r;
    r.kind_ = TVarKind::vkBoolean;
    r.int_ = v ? 1 : 0;
    return r;
}

TVariant TVariant::FromDateTime(TDateTime v) {
    TVariant r;
    r.kind_ = TVarKind::vkDateTime;
    r.float_ = v;
    return r;
}

TVariant TVariant::FromBytes(std::string v) {
    TVariant r;
    r.kind_ = TVarKind::vkBytes;
    r.str_ = std::move(v);
    return r;
}

std::int64_t TVariant::AsInteger() const {
    switch (kind_) {
    case TVarKind::vkNull:
        return 0;
    case TVarKind::vkInteger:
    case TVarKind::vkBoolean:
        return int_;
    case TVarKind::vkFloat:
    case TVarKind::vkDateTime:
        if (!(std::fabs(float_) < 9.2e18)) ThrowConvert(FloatToText(float_), "integer value");
        return std::llround(float_);
    case TVarKind::vkString:
    case TVarKind::vkBytes: {
        std::int64_t i = 0;
        if (TryStrToInt64(str_, i)) return i;
        double d = 0;
        if (TryTextToFloat(str_, d) && std::fabs(d) < 9.2e18) return std::llround(d);
        ThrowConvert(str_, "integer value");
    }
    }
    return 0;
}

double TVariant::AsFloat() const {
    switch (kind_) {
    case TVarKind::vkNull:
        return 0.0;
    case TVarKind::vkInteger:
    case TVarKind::vkBoolean:
        return static_cast<double>(int_);
    case TVarKind::vkFloat:
    case TVarKind::vkDateTime:
        return float_;
    case TVarKind::vkString:
    case TVarKind::vkBytes: {
        double d = 0;
        if (TryTextToFloat(str_, d)) return d;
        ThrowConvert(str_, "floating point value");
    }
    }
    return 0.0;
}

std::string TVariant::AsString() const {
    switch (kind_) {
    case TVarKind::vkNull:
        return {};
    case TVarKind::vkInteger:
        return IntToStr(int_);
    case TVarKind::vkBoolean:
        return BoolToStr(int_ != 0);
    case TVarKind::vkFloat:
        return FloatToText(float_);
    case TVarKind::vkDateTime:
        return DateTimeText(float_);
    case TVarKind::vkString:
    case TVarKind::vkBytes:
        return str_;
    }
    return {};
}

bool TVariant::AsBoolean() const {
    switch (kind_) {
    case TVarKind::vkNull:
        return false;
    case TVarKind::vkInteger:
    case TVarKind::vkBoolean:
        return int_ != 0;
    case TVarKind::vkFloat:
    case TVarKind::vkDateTime:
        return float_ != 0.0;
    case TVarKind::vkString:
    case TVarKind::vkBytes: {
        const std::string t = Trim(str_);
        if (SameText(t, "True")) return true;
        if (SameText(t, "False")) return false;
        double d = 0;
        if (TryTextToFloat(t, d)) return d != 0.0;
        ThrowConvert(str_, "boolean value");
    }
    }
    return false;
}

TDateTime TVariant::AsDateTime() const {
    switch (kind_) {
    case TVarKind::vkNull:
        return 0.0;
    case TVarKind::vkInteger:
    case TVarKind::vkBoolean:
        return static_cast<double>(int_);
    case TVarKind::vkFloat:
    case TVarKind::vkDateTime:
        return float_;
    case TVarKind::vkString:
    case TVarKind::vkBytes: {
        TDateTime dt = 0;
        if (TryTextToDateTime(str_, dt)) return dt;
        ThrowConvert(str_, "date and time");
    }
    }
    return 0.0;
}

std::string TVariant::AsBytes() const {
    return AsString();
}

void TVariant::AssignNull() {
    kind_ = TVarKind::vkNull;
    int_ = 0;
    float_ = 0.0;
    str_.clear();
}

void TVariant::AssignInteger(std::int64_t v) {
    AssignNull();
    kind_ = TVarKind::vkInteger;
    int_ = v;
}

void TVariant::AssignText(std::string_view Text, bool Bytes) {
    AssignNull();
    kind_ = Bytes ? TVarKind::vkBytes : TVarKind::vkString;
    str_.assign(Text);
}

bool TVariant::operator==(const TVariant& other) const {
    if (kind_ != other.kind_) return false;
    switch (kind_) {
    case TVarKind::vkNull:
        return true;
    case TVarKind::vkInteger:
    case TVarKind::vkBoolean:
        return int_ == other.int_;
    case TVarKind::vkFloat:
    case TVarKind::vkDateTime:
        return float_ == other.float_;
    case TVarKind::vkString:
    case TVarKind::vkBytes:
        return str_ == other.str_;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Fields

TField::TField(std::string name, TFieldType type, int size, int precision, int scale)
    : name_(std::move(name)), type_(type), size_(size), precision_(precision), scale_(scale) {}

bool TField::IsBlob() const {
    using enum TFieldType;
    switch (type_) {
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftWideMemo:
    case ftOraBlob:
    case ftOraClob:
        return true;
    default:
        return false;
    }
}

const TVariant& TField::Value() const {
    if (loader_) {
        value_ = loader_(); // a throwing loader stays pending, so the failure repeats
        loader_ = nullptr;
    }
    return value_;
}

std::string TField::AsString() const {
    const TVariant& v = Value();
    if (v.Kind() != TVarKind::vkDateTime) return v.AsString();
    using enum TFieldType;
    const TDateTime dt = v.AsDateTime();
    switch (type_) {
    case ftDate:
        return DateText(dt);
    case ftTime:
        return TimeText(dt);
    case ftDateTime:
    case ftTimeStamp:
        return DateText(dt) + " " + TimeText(dt);
    default:
        return v.AsString();
    }
}

void TField::SetValue(TVariant v) {
    loader_ = nullptr;
    value_ = std::move(v);
}

void TField::SetNull() {
    loader_ = nullptr;
    value_.AssignNull();
}

void TField::SetInteger(std::int64_t v) {
    loader_ = nullptr;
    value_.AssignInteger(v);
}

void TField::SetText(std::string_view Text, bool Bytes) {
    loader_ = nullptr;
    value_.AssignText(Text, Bytes);
}

void TField::SetLoader(std::function<TVariant()> loader) {
    value_ = TVariant();
    loader_ = std::move(loader);
}

TField& TFields::operator[](int index) const {
    if (index < 0 || index >= Count())
        throw EDatabaseError("List index out of bounds (" + IntToStr(index) + ")");
    return *items_[static_cast<std::size_t>(index)];
}

TField& TFields::Add(std::unique_ptr<TField> field) {
    field->index_ = Count();
    items_.push_back(std::move(field));
    return *items_.back();
}

TField* TFields::FindField(std::string_view name) const {
    for (const auto& f : items_)
        if (SameText(f->FieldName(), name)) return f.get();
    return nullptr;
}

TField& TFields::FieldByName(std::string_view name) const {
    TField* f = FindField(name);
    if (!f) throw EDatabaseError("Field '" + std::string(name) + "' not found");
    return *f;
}

// ---------------------------------------------------------------------------------------------
// Parameters

TParam::TParam(std::string name, TFieldType type, TParamType paramType)
    : name_(std::move(name)), type_(type), paramType_(paramType) {}

void TParam::SetValue(TVariant v) {
    if (type_ == TFieldType::ftUnknown) {
        using enum TVarKind;
        switch (v.Kind()) {
        case vkInteger:
            type_ = TFieldType::ftLargeint;
            break;
        case vkFloat:
            type_ = TFieldType::ftFloat;
            break;
        case vkString:
            type_ = TFieldType::ftString;
            break;
        case vkBoolean:
            type_ = TFieldType::ftBoolean;
            break;
        case vkDateTime:
            type_ = TFieldType::ftDateTime;
            break;
        case vkBytes:
            type_ = TFieldType::ftBlob;
            break;
        case vkNull:
            break;
        }
    }
    value_ = std::move(v);
}

void TParam::SetAsString(std::string v) {
    type_ = TFieldType::ftString;
    value_ = TVariant::FromString(std::move(v));
}

void TParam::SetAsInteger(std::int64_t v) {
    type_ = TFieldType::ftLargeint;
    value_ = TVariant::FromInteger(v);
}

void TParam::SetAsFloat(double v) {
    type_ = TFieldType::ftFloat;
    value_ = TVariant::FromFloat(v);
}

void TParam::SetAsBoolean(bool v) {
    type_ = TFieldType::ftBoolean;
    value_ = TVariant::FromBoolean(v);
}

void TParam::SetAsDateTime(TDateTime v) {
    type_ = TFieldType::ftDateTime;
    value_ = TVariant::FromDateTime(v);
}

void TParam::SetAsDate(TDateTime v) {
    type_ = TFieldType::ftDate;
    value_ = TVariant::FromDateTime(v);
}

void TParam::SetAsTime(TDateTime v) {
    type_ = TFieldType::ftTime;
    value_ = TVariant::FromDateTime(v);
}

void TParam::SetAsBlob(std::string v) {
    type_ = TFieldType::ftBlob;
    value_ = TVariant::FromBytes(std::move(v));
}

void TParam::SetAsMemo(std::string v) {
    type_ = TFieldType::ftMemo;
    value_ = TVariant::FromBytes(std::move(v));
}

void TParam::AssignField(const TField& field) {
    type_ = field.DataType();
    value_ = field.Value();
}

void TParam::AssignValue(const TParam& other) {
    type_ = other.type_;
    paramType_ = other.paramType_;
    value_ = other.value_;
}

TParam& TParams::operator[](int index) const {
    if (index < 0 || index >= Count())
        throw EDatabaseError("List index out of bounds (" + IntToStr(index) + ")");
    return *items_[static_cast<std::size_t>(index)];
}

TParam& TParams::CreateParam(std::string name, TFieldType type, TParamType paramType) {
    items_.push_back(std::make_unique<TParam>(std::move(name), type, paramType));
    return *items_.back();
}

TParam* TParams::FindParam(std::string_view name) const {
    for (const auto& p : items_)
        if (SameText(p->Name(), name)) return p.get();
    return nullptr;
}

TParam& TParams::ParamByName(std::string_view name) const {
    TParam* p = FindParam(name);
    if (!p) throw EDatabaseError("Parameter '" + std::string(name) + "' not found");
    return *p;
}

void TParams::Assign(const TParams& other) {
    if (&other == this) return;
    std::vector<std::unique_ptr<TParam>> copy;
    copy.reserve(other.items_.size());
    for (const auto& p : other.items_) {
        auto n = std::make_unique<TParam>(p->Name());
        n->AssignValue(*p);
        copy.push_back(std::move(n));
    }
    items_ = std::move(copy);
}

void TParams::AssignValues(const TParams& other) {
    for (const auto& p : items_)
        if (const TParam* src = other.FindParam(p->Name())) p->AssignValue(*src);
}

} // namespace smx
