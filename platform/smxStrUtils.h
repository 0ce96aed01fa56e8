// String helpers with the meanings the suite relies on: trimming of everything up to the blank,
// ASCII-only case rules (bytes above 127 are never changed, whatever the locale), 1-based Pos and a
// clamping Copy, SQL-style quoting and locale-independent number conversion.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace smx {

/// ASCII upper case of one byte; other bytes unchanged (safe for negative char).
constexpr char UpCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char LoCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);

/// Removes leading and trailing bytes up to and including the blank (control characters too).
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

/// Byte-wise comparison: <0, 0, >0.
int CompareStr(std::string_view a, std::string_view b);
/// ASCII case-insensitive comparison (case-folded bytes): <0, 0, >0.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

bool StartsStr(std::string_view prefix, std::string_view s);
bool EndsStr(std::string_view suffix, std::string_view s);
bool StartsText(std::string_view prefix, std::string_view s);
bool EndsText(std::string_view suffix, std::string_view s);

/// 1-based position of sub in s (searching from Offset, 1-based); 0 when absent or sub is empty.
int Pos(std::string_view sub, std::string_view s, int offset = 1);
/// Count bytes of s from the 1-based Index, clamped to the string; an index below 1 counts as 1.
std::string Copy(std::string_view s, int index, int count);

/// s in quote characters, inner quote characters doubled.
std::string QuotedStr(std::string_view s, char quote = '\'');
/// The inverse of QuotedStr when s starts with quote; else s unchanged.
std::string DequotedStr(std::string_view s, char quote = '\'');

enum class ReplaceFlags : unsigned { None = 0, ReplaceAll = 1, IgnoreCase = 2 };
constexpr ReplaceFlags operator|(ReplaceFlags a, ReplaceFlags b) {
    return static_cast<ReplaceFlags>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
std::string StringReplace(std::string_view s, std::string_view from, std::string_view to,
                          ReplaceFlags flags = ReplaceFlags::ReplaceAll);

/// Line breaks (CR LF, lone CR, lone LF) all become CR LF.
std::string AdjustLineBreaks(std::string_view s);

/// Splits at CR LF, CR or LF; a final line break does not start another line.
std::vector<std::string> SplitLines(std::string_view s);

std::string IntToStr(std::int64_t v);
std::string IntToHex(std::uint64_t v, int digits);
/// Whole-text conversion to a 32-bit integer: optional blanks, sign, decimal or "$"/"0x" hexadecimal.
bool TryStrToInt(std::string_view s, int& value);
bool TryStrToInt64(std::string_view s, std::int64_t& value);
int StrToIntDef(std::string_view s, int def);

/// "True"/"False".
std::string BoolToStr(bool b);

bool FileExists(const std::string& path);
/// The part after the last path delimiter.
std::string ExtractFileName(std::string_view path);
/// The part up to and including the last path delimiter.
std::string ExtractFilePath(std::string_view path);
std::string IncludeTrailingPathDelimiter(std::string_view path);

} // namespace smx
