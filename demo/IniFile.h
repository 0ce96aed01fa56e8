// The demo's settings file: a small INI reader and writer. Sections and keys match ignoring
// ASCII case; every line the program does not write (unknown keys, other sections, comments,
// even garbage) is kept as it was, so a hand-edited file loses nothing. Values are stored
// verbatim: "ID, NAME" stays one text, and booleans are written 1 and 0.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace smx {

/// One INI file in memory: read at construction, written by UpdateFile.
class TIniFile {
public:
    /// Reads the file when it exists; a missing or unreadable file starts empty.
    explicit TIniFile(std::string FileName);

    const std::string& FileName() const { return fileName_; }

    /// The value of Key in Section (spaces around it trimmed), or Default when the key is absent.
    std::string ReadString(std::string_view Section, std::string_view Key, std::string_view Default) const;
    /// An integer value; Default when the key is absent or its value is not a whole number.
    int ReadInteger(std::string_view Section, std::string_view Key, int Default) const;
    /// A boolean value: a whole number (0 false, any other true) or true/false in any case;
    /// Default for anything else.
    bool ReadBool(std::string_view Section, std::string_view Key, bool Default) const;

    /// Sets Key in Section, replacing the first line of that key or appending it to the section
    /// (a missing section is appended at the end of the file).
    void WriteString(std::string_view Section, std::string_view Key, std::string_view Value);
    void WriteInteger(std::string_view Section, std::string_view Key, int Value);
    /// Writes "1" or "0".
    void WriteBool(std::string_view Section, std::string_view Key, bool Value);

    /// Writes every line to the file (LF line ends). Throws std::runtime_error naming the file
    /// when it cannot be written.
    void UpdateFile() const;

private:
    /// Index of the line holding Key in Section, -1 when absent.
    int FindKey(std::string_view Section, std::string_view Key) const;
    /// Index of the section header line, -1 when absent.
    int FindSection(std::string_view Section) const;

    std::string fileName_;
    std::vector<std::string> lines_;
};

} // namespace smx
