#include "foundation/smxMsgMngr.h"

namespace smx {

// One record with every field given; the three public adders fill in what they know.
static std::unique_ptr<TMsgData> MakeRecord(std::string_view Text, std::uint8_t Kind, std::string_view ScriptName,
                                            std::int32_t LineNo, std::int32_t ColumnNo, TObject* Obj) {
    auto m = std::make_unique<TMsgData>();
    m->Text = Text;
    m->Kind = Kind;
    m->ScriptName = ScriptName;
    m->LineNo = LineNo;
    m->ColumnNo = ColumnNo;
    m->Obj = Obj;
    return m;
}

void TMsgManager::AddMessage(std::string_view Text, std::uint8_t Kind, TObject* Obj) {
    items_.push_back(MakeRecord(Text, Kind, {}, 0, 0, Obj));
}

void TMsgManager::AddScriptMessage(std::string_view Text, std::string_view ScriptName, std::uint8_t Kind,
                                   std::int32_t LineNo, std::int32_t ColumnNo) {
    items_.push_back(MakeRecord(Text, Kind, ScriptName, LineNo, ColumnNo, nullptr));
}

void TMsgManager::AddObjectMessage(std::string_view Text, TObject* Obj, std::uint8_t Kind, std::int32_t LineNo,
                                   std::int32_t ColumnNo) {
    items_.push_back(MakeRecord(Text, Kind, {}, LineNo, ColumnNo, Obj));
}

bool TMsgManager::HasKind(std::uint8_t Kind) const {
    for (const auto& m : items_)
        if (m->Kind == Kind) return true;
    return false;
}

void TMsgManager::AddMessages(const TMsgManager* Source) {
    if (!Source || Source == this) {
        if (Source == this) {
            // Copying a list into itself doubles it, record by record.
            const std::size_t n = items_.size();
            for (std::size_t i = 0; i < n; ++i) items_.push_back(std::make_unique<TMsgData>(*items_[i]));
        }
        return;
    }
    for (const auto& m : Source->items_) items_.push_back(std::make_unique<TMsgData>(*m));
}

void TMsgManager::ForgetObject(const TObject* Obj) {
    for (auto& m : items_)
        if (m->Obj == Obj) m->Obj = nullptr;
}

} // namespace smx
