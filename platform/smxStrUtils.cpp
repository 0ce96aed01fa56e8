// String helpers: see the header for the rules.
#include "platform/smxStrUtils.h"

#include <charconv>
#include <filesystem>
#include <limits>

namespace smx {

std::string UpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = UpCase(c);
    return r;
}

std::string LowerCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = LoCase(c);
    return r;
}

static bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string TrimLeft(std::string_view s) {
    std::size_t b = 0;
    while (b < s.size() && IsBlank(s[b])) ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
    std::size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(0, e));
}

int CompareStr(std::string_view a, std::string_view b) {
    int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareText(std::string_view a, std::string_view b) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(UpCase(a[i]));
        auto cb = static_cast<unsigned char>(UpCase(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

bool StartsStr(std::string_view prefix, std::string_view s) { return s.substr(0, prefix.size()) == prefix; }
bool EndsStr(std::string_view suffix, std::string_view s) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}
bool StartsText(std::string_view prefix, std::string_view s) {
    return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}
bool EndsText(std::string_view suffix, std::string_view s) {
    return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

int Pos(std::string_view sub, std::string_view s, int offset) {
    if (sub.empty() || offset < 1) return 0;
    auto p = s.find(sub, static_cast<std::size_t>(offset - 1));
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

std::string Copy(std::string_view s, int index, int count) {
    if (index < 1) index = 1;
    if (count <= 0 || static_cast<std::size_t>(index) > s.size()) return {};
    return std::string(s.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count)));
}

std::string QuotedStr(std::string_view s, char quote) {
    std::string r;
    r.reserve(s.size() + 2);
    r += quote;
    for (char c : s) {
        if (c == quote) r += quote;
        r += c;
    }
    r += quote;
    return r;
}

std::string DequotedStr(std::string_view s, char quote) {
    if (s.empty() || s.front() != quote) return std::string(s);
    std::string r;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                r += quote;
                ++i;
            } else {
                break;
            }
        } else {
            r += s[i];
        }
    }
    return r;
}

std::string StringReplace(std::string_view s, std::string_view from, std::string_view to, ReplaceFlags flags) {
    if (from.empty()) return std::string(s);
    const bool all = (static_cast<unsigned>(flags) & static_cast<unsigned>(ReplaceFlags::ReplaceAll)) != 0;
    const bool icase = (static_cast<unsigned>(flags) & static_cast<unsigned>(ReplaceFlags::IgnoreCase)) != 0;
    std::string r;
    std::size_t i = 0;
    bool done = false;
    while (i < s.size()) {
        bool hit = !done && i + from.size() <= s.size() &&
                   (icase ? SameText(s.substr(i, from.size()), from) : s.substr(i, from.size()) == from);
        if (hit) {
            r += to;
            i += from.size();
            if (!all) done = true;
        } else {
            r += s[i++];
        }
    }
    return r;
}

std::string AdjustLineBreaks(std::string_view s) {
    // A text without a lone CR or LF (most short ones) is copied as it is, without a reserve that
    // would put a short text on the heap.
    const std::size_t n = s.size();
    std::size_t i = 0;
    for (; i < n; ++i) {
        const char c = s[i];
        if (c == '\n') break;
        if (c == '\r') {
            if (i + 1 < n && s[i + 1] == '\n') {
                ++i;
                continue;
            }
            break;
        }
    }
    if (i >= n) return std::string(s);
    std::string r;
    r.reserve(n + 8);
    // Runs without a lone CR or LF are copied whole; a CR LF pair stays inside its run.
    std::size_t from = 0;
    for (; i < n; ++i) {
        const char c = s[i];
        if (c != '\r' && c != '\n') continue;
        if (c == '\r' && i + 1 < n && s[i + 1] == '\n') {
            ++i;
            continue;
        }
        r.append(s.data() + from, i - from);
        r += "\r\n";
        from = i + 1;
    }
    r.append(s.data() + from, n - from);
    return r;
}

std::vector<std::string> SplitLines(std::string_view s) {
    std::vector<std::string> lines;
    std::size_t start = 0, i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(s.substr(start, i - start));
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < s.size()) lines.emplace_back(s.substr(start));
    return lines;
}

std::string IntToStr(std::int64_t v) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

std::string IntToHex(std::uint64_t v, int digits) {
    static const char* hex = "0123456789ABCDEF";
    std::string r;
    do {
        r.insert(r.begin(), hex[v & 15]);
        v >>= 4;
    } while (v != 0);
    while (static_cast<int>(r.size()) < digits) r.insert(r.begin(), '0');
    return r;
}

// Parses the whole text: optional blanks, a sign, then decimal digits or "$"/"0x" and hex digits.
static bool ParseInteger(std::string_view s, std::uint64_t& magnitude, bool& negative, bool& hex) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    hex = false;
    if (i < s.size() && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return false;
    auto res = std::from_chars(s.data() + i, s.data() + s.size(), magnitude, hex ? 16 : 10);
    return res.ec == std::errc() && res.ptr == s.data() + s.size();
}

bool TryStrToInt64(std::string_view s, std::int64_t& value) {
    std::uint64_t u = 0;
    bool neg = false, hex = false;
    if (!ParseInteger(s, u, neg, hex)) return false;
    if (hex) {
        // Hexadecimal texts give the bit pattern, as the platform's conversion does.
        auto v = static_cast<std::int64_t>(u);
        value = neg ? static_cast<std::int64_t>(0 - u) : v;
        return true;
    }
    constexpr auto maxv = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (u > maxv + (neg ? 1 : 0)) return false;
    value = neg ? static_cast<std::int64_t>(0 - u) : static_cast<std::int64_t>(u);
    return true;
}

bool TryStrToInt(std::string_view s, int& value) {
    std::uint64_t u = 0;
    bool neg = false, hex = false;
    if (!ParseInteger(s, u, neg, hex)) return false;
    if (hex) {
        // Up to 32 hex bits map onto the 32-bit pattern ($FFFFFFFF = -1).
        if (u > 0xFFFFFFFFULL) return false;
        auto v = static_cast<int>(static_cast<std::uint32_t>(u));
        value = neg ? static_cast<int>(0U - static_cast<std::uint32_t>(v)) : v;
        return true;
    }
    if (u > static_cast<std::uint64_t>(std::numeric_limits<int>::max()) + (neg ? 1 : 0)) return false;
    value = neg ? static_cast<int>(-static_cast<std::int64_t>(u)) : static_cast<int>(u);
    return true;
}

int StrToIntDef(std::string_view s, int def) {
    int v = 0;
    return TryStrToInt(s, v) ? v : def;
}

std::string BoolToStr(bool b) { return b ? "True" : "False"; }

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

static std::size_t LastDelimiter(std::string_view path) {
    auto p = path.find_last_of("/\\");
    return p;
}

std::string ExtractFileName(std::string_view path) {
    auto p = LastDelimiter(path);
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string ExtractFilePath(std::string_view path) {
    auto p = LastDelimiter(path);
    return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
    std::string r(path);
    if (r.empty() || (r.back() != '/' && r.back() != '\\')) r += '/';
    return r;
}

} // namespace smx
