// INI reader and writer: see the header.
#include "demo/IniFile.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/smxStrUtils.h"

namespace smx {

namespace {

/// The section name when the line is a section header "[name]", else false.
bool SectionOf(std::string_view Line, std::string& Name) {
    const std::string t = Trim(Line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
    Name = Trim(std::string_view(t).substr(1, t.size() - 2));
    return true;
}

/// The key and value when the line is "key=value" (not a comment), else false.
bool KeyOf(std::string_view Line, std::string& Key, std::string& Value) {
    const std::string t = Trim(Line);
    if (t.empty() || t.front() == ';' || t.front() == '#' || t.front() == '[') return false;
    const std::size_t eq = t.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    Key = Trim(std::string_view(t).substr(0, eq));
    Value = Trim(std::string_view(t).substr(eq + 1));
    return !Key.empty();
}

} // namespace

TIniFile::TIniFile(std::string FileName) : fileName_(std::move(FileName)) {
    std::ifstream in(fileName_, std::ios::binary);
    if (!in) return;
    std::stringstream ss;
    ss << in.rdbuf();
    for (std::string& line : SplitLines(ss.str()))
        lines_.push_back(std::move(line));
}

int TIniFile::FindSection(std::string_view Section) const {
    std::string name;
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (SectionOf(lines_[i], name) && SameText(name, Section)) return static_cast<int>(i);
    return -1;
}

int TIniFile::FindKey(std::string_view Section, std::string_view Key) const {
    bool inSection = false;
    std::string name, key, value;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (SectionOf(lines_[i], name))
            inSection = SameText(name, Section);
        else if (inSection && KeyOf(lines_[i], key, value) && SameText(key, Key))
            return static_cast<int>(i);
    }
    return -1;
}

std::string TIniFile::ReadString(std::string_view Section, std::string_view Key,
                                 std::string_view Default) const {
    const int i = FindKey(Section, Key);
    if (i < 0) return std::string(Default);
    std::string key, value;
    KeyOf(lines_[static_cast<std::size_t>(i)], key, value);
    return value;
}

int TIniFile::ReadInteger(std::string_view Section, std::string_view Key, int Default) const {
    int value = 0;
    return TryStrToInt(ReadString(Section, Key, ""), value) ? value : Default;
}

bool TIniFile::ReadBool(std::string_view Section, std::string_view Key, bool Default) const {
    const std::string text = ReadString(Section, Key, "");
    int value = 0;
    if (TryStrToInt(text, value)) return value != 0;
    if (SameText(text, "true")) return true;
    if (SameText(text, "false")) return false;
    return Default;
}

void TIniFile::WriteString(std::string_view Section, std::string_view Key, std::string_view Value) {
    const int i = FindKey(Section, Key);
    if (i >= 0) {
        // The key keeps the spelling the file has.
        std::string key, old;
        KeyOf(lines_[static_cast<std::size_t>(i)], key, old);
        lines_[static_cast<std::size_t>(i)] = key + "=" + std::string(Value);
        return;
    }
    const std::string line = std::string(Key) + "=" + std::string(Value);
    const int s = FindSection(Section);
    if (s < 0) {
        lines_.push_back("[" + std::string(Section) + "]");
        lines_.push_back(line);
        return;
    }
    // After the section's last key line (blank lines and comments at its end stay behind it).
    std::size_t at = static_cast<std::size_t>(s) + 1;
    std::string name, key, value;
    for (std::size_t j = at; j < lines_.size() && !SectionOf(lines_[j], name); ++j)
        if (KeyOf(lines_[j], key, value)) at = j + 1;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), line);
}

void TIniFile::WriteInteger(std::string_view Section, std::string_view Key, int Value) {
    WriteString(Section, Key, IntToStr(Value));
}

void TIniFile::WriteBool(std::string_view Section, std::string_view Key, bool Value) {
    WriteString(Section, Key, Value ? "1" : "0");
}

void TIniFile::UpdateFile() const {
    std::ofstream out(fileName_, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines_)
        out << line << '\n';
    out.flush();
    if (!out) throw std::runtime_error("Cannot write the settings file " + fileName_);
}

} // namespace smx
