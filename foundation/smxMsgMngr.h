// Message records and the message list of a component. Components collect the problems they meet
// (0 information, 1 warning, 2 error) instead of raising; a list "has errors" when it holds a
// kind-2 record. Lists are copied from one component to another, never shared.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/smxComponent.h"

namespace smx {

class TMsgData {
public:
    std::string Text;
    std::uint8_t Kind = 0;
    std::string ScriptName;
    /// Column in the line: for parser messages the 1-based byte column of the scanner's current
    /// character (the one after the token just read); 0 for other messages.
    std::int32_t ColumnNo = 0;
    std::int32_t LineNo = 0;
    TObject* Obj = nullptr; ///< not owned

    void Assign(const TMsgData& Source) { *this = Source; }
};

class TMsgManager {
public:
    TMsgManager() = default;
    TMsgManager(const TMsgManager&) = delete;
    TMsgManager& operator=(const TMsgManager&) = delete;

    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    const TMsgData& operator[](int index) const { return *items_.at(static_cast<std::size_t>(index)); }
    TMsgData& Item(int index) { return *items_.at(static_cast<std::size_t>(index)); }

    /// Appends a record with no script name and positions 0.
    void AddMessage(std::string_view Text, std::uint8_t Kind, TObject* Obj = nullptr);
    /// Appends a record for a script position; LineNo and ColumnNo are stored as given.
    void AddScriptMessage(std::string_view Text, std::string_view ScriptName, std::uint8_t Kind,
                          std::int32_t LineNo, std::int32_t ColumnNo);
    /// Appends a record that refers to a schema object and a position.
    void AddObjectMessage(std::string_view Text, TObject* Obj, std::uint8_t Kind, std::int32_t LineNo,
                          std::int32_t ColumnNo);
    /// True when any record has that kind.
    bool HasKind(std::uint8_t Kind) const;
    bool HasErrors() const { return HasKind(2); }
    /// Appends copies of Source's records in order; nothing when Source is null.
    void AddMessages(const TMsgManager* Source);

    /// Clears the object reference of every record that names Obj (the object is going away).
    void ForgetObject(const TObject* Obj);

private:
    std::vector<std::unique_ptr<TMsgData>> items_;
};

} // namespace smx
