// TStringList: a list of strings, each with an optional object. Case-insensitive by default.
// A sorted list keeps its order with one comparison (byte order when case-sensitive, ASCII
// case-folded byte order when not); Duplicates acts only when sorted. Text() ends every line with
// CR LF; SetText splits on CR LF, CR or LF. With OwnsObjects set the list deletes its objects.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/smxComponent.h"
#include "platform/smxStrUtils.h"

namespace smx {

enum class TDuplicates : std::uint8_t { dupIgnore, dupAccept, dupError };

class TStringList : public TObject {
public:
    TStringList() = default;
    explicit TStringList(bool ownsObjects) : ownsObjects_(ownsObjects) {}
    TStringList(const TStringList& other);
    TStringList& operator=(const TStringList& other);
    ~TStringList() override;
    SMX_CLASSNAME(TStringList)

    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    const std::string& operator[](int index) const { return items_.at(Idx(index)).str; }
    const std::string& Strings(int index) const { return items_.at(Idx(index)).str; }
    /// Replaces the text at index (an unsorted operation: the caller keeps the order right).
    void SetString(int index, std::string_view s) {
        items_.at(Idx(index)).str = s;
        ++changes_;
    }
    TObject* Objects(int index) const { return items_.at(Idx(index)).obj; }
    /// Asks the processor to load the first two cache lines of the object at index (nothing out of
    /// range or for an empty entry), for loops over long lists that read every object.
    void PrefetchObject(int index) const {
        if (index < 0 || Idx(index) >= items_.size()) return;
        const char* p = reinterpret_cast<const char*>(items_[Idx(index)].obj);
        if (!p) return;
        __builtin_prefetch(p);
        __builtin_prefetch(p + 64);
    }
    /// Asks the processor to load the list's entries (texts and object pointers).
    void PrefetchItems() const {
        const char* p = reinterpret_cast<const char*>(items_.data());
        const char* end = reinterpret_cast<const char*>(items_.data() + items_.size());
        for (; p < end; p += 64)
            __builtin_prefetch(p);
    }
    void SetObject(int index, TObject* obj) { items_.at(Idx(index)).obj = obj; }

    /// Appends (or inserts in order when sorted). Returns the index; when sorted with dupIgnore a
    /// present key files nothing and returns the present index; dupError throws EStringListError.
    int Add(std::string_view s) { return AddObject(s, nullptr); }
    int AddObject(std::string_view s, TObject* obj);
    /// Makes room for capacity entries, so that appending up to that many moves no entry.
    void Reserve(int capacity);
    /// Gives back the room beyond the entries (a list that is complete and stays as it is).
    void ShrinkToFit();
    /// Inserts at index; not allowed on a sorted list (throws).
    void Insert(int index, std::string_view s, TObject* obj = nullptr);
    /// Removes the entry (deleting its object when the list owns objects).
    void Delete(int index);
    /// Removes the entry without deleting its object; returns that object.
    TObject* Extract(int index);
    void Clear();
    void AddStrings(const TStringList& other);
    void Assign(const TStringList& other) { *this = other; }
    void Exchange(int a, int b);
    void Move(int from, int to);

    int IndexOf(std::string_view s) const;
    int IndexOfObject(const TObject* obj) const;
    /// Sorted lists: binary search; index receives the match or the insertion point.
    bool Find(std::string_view s, int& index) const;

    bool GetSorted() const { return sorted_; }
    void SetSorted(bool value);
    /// SetSorted(true) for a list whose entries before From and from From on are each in order:
    /// one merge of the two runs (equal keys keep their order, as the sort keeps them). Runs out of
    /// order are sorted as SetSorted sorts them.
    void MergeSorted(int From);
    bool GetCaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool value);
    TDuplicates GetDuplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates value) { duplicates_ = value; }
    bool GetOwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool value) { ownsObjects_ = value; }

    /// Stable sort with the list's comparison.
    void Sort();
    void CustomSort(const std::function<int(const TStringList&, int, int)>& compare);
    /// The list's comparison of two texts (-1, 0, 1).
    int CompareStrings(std::string_view a, std::string_view b) const {
        if (!caseSensitive_) return CompareText(a, b);
        const int c = a.compare(b); // as CompareStr, written here so that searches make no call
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }

    /// Every line followed by CR LF.
    std::string Text() const;
    void SetText(std::string_view text);
    /// A count of the changes to the texts and their order: equal counts, the same texts.
    std::uint32_t Changes() const { return changes_; }

    /// NAME=VALUE access.
    std::string Names(int index) const;
    std::string ValueFromIndex(int index) const;
    int IndexOfName(std::string_view name) const;
    std::string Values(std::string_view name) const;
    /// Sets or adds NAME=VALUE; an empty value removes the entry.
    void SetValue(std::string_view name, std::string_view value);

    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

    const std::string& First() const { return items_.front().str; }
    const std::string& Last() const { return items_.back().str; }

private:
    struct Item {
        Item() = default;
        // Built in place from the text, so that adding copies the text once.
        Item(std::string_view s, TObject* o) : str(s), obj(o) {}
        std::string str;
        TObject* obj = nullptr;
    };
    static std::size_t Idx(int index) { return static_cast<std::size_t>(index); }
    void DeleteObject(TObject* obj) const;

    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    bool ownsObjects_ = false;
    TDuplicates duplicates_ = TDuplicates::dupIgnore;
    std::uint32_t changes_ = 0;
};

/// A string list that most objects leave empty, one pointer wide: the list is made when it is first
/// changed. Copies copy the entries as TStringList's assignment does.
class TCompactStringList {
public:
    TCompactStringList() = default;
    TCompactStringList(const TCompactStringList& other);
    TCompactStringList(TCompactStringList&& other) noexcept = default;
    TCompactStringList& operator=(const TCompactStringList& other);
    TCompactStringList& operator=(TCompactStringList&& other) noexcept = default;
    ~TCompactStringList();

    int Count() const { return list_ ? list_->Count() : 0; }
    bool Empty() const { return Count() == 0; }
    const std::string& operator[](int index) const { return List()[index]; }
    /// The list (a shared empty one while none was made).
    const TStringList& List() const;
    /// The list for changing (made now when there is none).
    TStringList& Edit();
    int Add(std::string_view s) { return Edit().Add(s); }
    void Clear() { list_.reset(); }
    std::string Text() const { return List().Text(); }

private:
    std::unique_ptr<TStringList> list_;
};

} // namespace smx
