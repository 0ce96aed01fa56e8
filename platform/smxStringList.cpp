// TStringList: see the header.
#include "platform/smxStringList.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/smxExceptions.h"
#include "platform/smxStrUtils.h"

namespace smx {

TStringList::TStringList(const TStringList& other)
    : TObject(other), items_(other.items_), sorted_(other.sorted_), caseSensitive_(other.caseSensitive_),
      ownsObjects_(false), duplicates_(other.duplicates_) {}

TStringList& TStringList::operator=(const TStringList& other) {
    // Copies texts and object references; the target's settings (sorted, case rule, ownership) stay.
    if (this == &other) return *this;
    Clear();
    for (const auto& it : other.items_) AddObject(it.str, it.obj);
    return *this;
}

TStringList::~TStringList() { Clear(); }

void TStringList::DeleteObject(TObject* obj) const {
    if (ownsObjects_) delete obj;
}

bool TStringList::Find(std::string_view s, int& index) const {
    // Lower bound: the first entry not less than s. The case-sensitive comparison is written out
    // here (byte order, as CompareStr) so that the search makes no call per step.
    int lo = 0, hi = Count();
    if (caseSensitive_) {
        while (lo < hi) {
            int mid = lo + (hi - lo) / 2;
            if (std::string_view(items_[Idx(mid)].str).compare(s) < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        index = lo;
        return lo < Count() && std::string_view(items_[Idx(lo)].str) == s;
    }
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        if (CompareStrings(items_[Idx(mid)].str, s) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    index = lo;
    return lo < Count() && CompareStrings(items_[Idx(lo)].str, s) == 0;
}

int TStringList::AddObject(std::string_view s, TObject* obj) {
    ++changes_;
    if (!sorted_) {
        items_.emplace_back(s, obj);
        return Count() - 1;
    }
    // A key that sorts after the last entry (as keys filed in order do) is appended without a search.
    if (items_.empty() || CompareStrings(items_.back().str, s) < 0) {
        items_.emplace_back(s, obj);
        return Count() - 1;
    }
    int index = 0;
    if (Find(s, index)) {
        switch (duplicates_) {
        case TDuplicates::dupIgnore:
            return index;
        case TDuplicates::dupError:
            throw Exception("String list does not allow duplicates");
        case TDuplicates::dupAccept:
            // After the equal entries, so that equal keys keep the order they were added in.
            while (index < Count() && CompareStrings(items_[Idx(index)].str, s) == 0) ++index;
            break;
        }
    }
    items_.emplace(items_.begin() + index, s, obj);
    return index;
}

void TStringList::Reserve(int capacity) {
    if (capacity > 0) items_.reserve(Idx(capacity));
}

void TStringList::ShrinkToFit() {
    items_.shrink_to_fit();
}

void TStringList::Insert(int index, std::string_view s, TObject* obj) {
    if (sorted_) throw Exception("Operation not allowed on sorted list");
    if (index < 0 || index > Count()) throw Exception("List index out of bounds (" + IntToStr(index) + ")");
    ++changes_;
    items_.emplace(items_.begin() + index, s, obj);
}

void TStringList::Delete(int index) {
    TObject* obj = Extract(index);
    DeleteObject(obj);
}

TObject* TStringList::Extract(int index) {
    if (index < 0 || index >= Count()) throw Exception("List index out of bounds (" + IntToStr(index) + ")");
    TObject* obj = items_[Idx(index)].obj;
    ++changes_;
    items_.erase(items_.begin() + index);
    return obj;
}

void TStringList::Clear() {
    // Objects are deleted after the list is emptied, so a destructor that looks at the list sees it empty.
    std::vector<Item> old;
    ++changes_;
    old.swap(items_);
    if (ownsObjects_)
        for (auto& it : old) delete it.obj;
}

void TStringList::AddStrings(const TStringList& other) {
    for (const auto& it : other.items_) AddObject(it.str, it.obj);
}

void TStringList::Exchange(int a, int b) {
    ++changes_;
    std::swap(items_.at(Idx(a)), items_.at(Idx(b)));
}

void TStringList::Move(int from, int to) {
    if (from == to) return;
    ++changes_;
    Item it = items_.at(Idx(from));
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(it));
}

int TStringList::IndexOf(std::string_view s) const {
    if (sorted_) {
        int index = 0;
        return Find(s, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(items_[Idx(i)].str, s) == 0) return i;
    return -1;
}

int TStringList::IndexOfObject(const TObject* obj) const {
    for (int i = 0; i < Count(); ++i)
        if (items_[Idx(i)].obj == obj) return i;
    return -1;
}

void TStringList::SetSorted(bool value) {
    if (value && !sorted_) Sort();
    sorted_ = value;
}

void TStringList::SetCaseSensitive(bool value) {
    if (value == caseSensitive_) return;
    caseSensitive_ = value;
    if (sorted_) Sort();
}

void TStringList::Sort() {
    ++changes_;
    std::stable_sort(items_.begin(), items_.end(),
                     [this](const Item& a, const Item& b) { return CompareStrings(a.str, b.str) < 0; });
}

void TStringList::MergeSorted(int From) {
    const auto less = [this](const Item& a, const Item& b) { return CompareStrings(a.str, b.str) < 0; };
    ++changes_;
    const auto mid = items_.begin() + Idx(std::clamp(From, 0, Count()));
    if (std::is_sorted(items_.begin(), mid, less) && std::is_sorted(mid, items_.end(), less))
        std::inplace_merge(items_.begin(), mid, items_.end(), less);
    else
        Sort();
    sorted_ = true;
}

void TStringList::CustomSort(const std::function<int(const TStringList&, int, int)>& compare) {
    // Sort an index permutation with the caller's comparison, then apply it.
    std::vector<int> order(items_.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
    std::vector<Item> sortedItems;
    sortedItems.reserve(items_.size());
    for (int i : order) sortedItems.push_back(std::move(items_[Idx(i)]));
    ++changes_;
    items_.swap(sortedItems);
}

std::string TStringList::Text() const {
    std::string r;
    for (const auto& it : items_) {
        r += it.str;
        r += "\r\n";
    }
    return r;
}

void TStringList::SetText(std::string_view text) {
    Clear();
    for (auto& line : SplitLines(text)) AddObject(line, nullptr);
}

std::string TStringList::Names(int index) const {
    const std::string& s = Strings(index);
    auto p = s.find('=');
    return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStringList::ValueFromIndex(int index) const {
    const std::string& s = Strings(index);
    auto p = s.find('=');
    return p == std::string::npos ? std::string() : s.substr(p + 1);
}

int TStringList::IndexOfName(std::string_view name) const {
    for (int i = 0; i < Count(); ++i) {
        const std::string& s = items_[Idx(i)].str;
        auto p = s.find('=');
        if (p != std::string::npos && CompareStrings(std::string_view(s).substr(0, p), name) == 0) return i;
    }
    return -1;
}

std::string TStringList::Values(std::string_view name) const {
    int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValue(std::string_view name, std::string_view value) {
    int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    std::string line = std::string(name) + "=" + std::string(value);
    if (i < 0)
        Add(line);
    else
        SetString(i, line);
}

void TStringList::LoadFromFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw EFileError("Cannot open file \"" + fileName + "\"");
    std::ostringstream ss;
    ss << in.rdbuf();
    SetText(ss.str());
}

void TStringList::SaveToFile(const std::string& fileName) const {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) throw EFileError("Cannot create file \"" + fileName + "\"");
    std::string t = Text();
    out.write(t.data(), static_cast<std::streamsize>(t.size()));
}

// ===================================================================================================
// TCompactStringList

TCompactStringList::TCompactStringList(const TCompactStringList& other) {
    if (other.Count() > 0) Edit() = *other.list_;
}

TCompactStringList& TCompactStringList::operator=(const TCompactStringList& other) {
    if (this == &other) return *this;
    if (other.Count() == 0) {
        Clear();
    } else {
        Edit() = *other.list_;
    }
    return *this;
}

TCompactStringList::~TCompactStringList() = default;

const TStringList& TCompactStringList::List() const {
    static const TStringList none;
    return list_ ? *list_ : none;
}

TStringList& TCompactStringList::Edit() {
    if (!list_) list_ = std::make_unique<TStringList>();
    return *list_;
}

} // namespace smx
