// TCompactVector: a vector member that is empty in most objects (a column's array bounds), one
// pointer wide instead of the 24 bytes of a std::vector. The elements live on the heap once there
// are any. It reads as a const std::vector and is assigned from one or from a braced list.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace smx {

template <typename T> class TCompactVector {
public:
    using value_type = T;
    using const_iterator = typename std::vector<T>::const_iterator;

    TCompactVector() noexcept = default;
    TCompactVector(std::initializer_list<T> Items) { assign(std::vector<T>(Items)); }
    TCompactVector(const std::vector<T>& Items) { assign(Items); }
    TCompactVector(const TCompactVector& Other) { assign(Other.get()); }
    TCompactVector(TCompactVector&& Other) noexcept = default;
    TCompactVector& operator=(const TCompactVector& Other) {
        if (this != &Other) assign(Other.get());
        return *this;
    }
    TCompactVector& operator=(TCompactVector&& Other) noexcept = default;
    TCompactVector& operator=(std::initializer_list<T> Items) {
        assign(std::vector<T>(Items));
        return *this;
    }
    TCompactVector& operator=(const std::vector<T>& Items) {
        assign(Items);
        return *this;
    }

    /// The elements (a shared empty vector when there are none).
    const std::vector<T>& get() const noexcept {
        static const std::vector<T> none;
        return items_ ? *items_ : none;
    }
    operator const std::vector<T>&() const noexcept { return get(); }

    bool empty() const noexcept { return !items_ || items_->empty(); }
    std::size_t size() const noexcept { return items_ ? items_->size() : 0; }
    const T& operator[](std::size_t Index) const { return (*items_)[Index]; }
    const_iterator begin() const noexcept { return get().begin(); }
    const_iterator end() const noexcept { return get().end(); }
    template <typename... Args> T& emplace_back(Args&&... A) {
        return edit().emplace_back(std::forward<Args>(A)...);
    }
    void push_back(const T& Item) { edit().push_back(Item); }
    void clear() noexcept { items_.reset(); }
    /// The elements for changing in place (made when there are none).
    std::vector<T>& edit() {
        if (!items_) items_ = std::make_unique<std::vector<T>>();
        return *items_;
    }

    friend bool operator==(const TCompactVector& A, const TCompactVector& B) { return A.get() == B.get(); }
    friend bool operator==(const TCompactVector& A, const std::vector<T>& B) { return A.get() == B; }

private:
    void assign(const std::vector<T>& Items) {
        if (Items.empty())
            items_.reset();
        else if (items_)
            *items_ = Items;
        else
            items_ = std::make_unique<std::vector<T>>(Items);
    }

    std::unique_ptr<std::vector<T>> items_;
};

} // namespace smx
