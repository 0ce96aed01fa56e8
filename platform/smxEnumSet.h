// Small bit sets over enumerations: bit n stands for the enumerator with ordinal n. The suite stores
// sets as bit masks (streamed by ordinal), so mask() and fromMask() are part of the contract.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace smx {

template <typename E, typename Word> class EnumSet {
    static_assert(std::is_enum_v<E>, "EnumSet needs an enumeration");
    static_assert(std::is_unsigned_v<Word>, "EnumSet needs an unsigned word");

public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> items) {
        for (E e : items) bits_ |= bit(e);
    }

    static constexpr EnumSet fromMask(Word mask) {
        EnumSet s;
        s.bits_ = mask;
        return s;
    }
    /// Every enumerator from first to last, both included.
    static constexpr EnumSet range(E first, E last) {
        EnumSet s;
        for (auto i = static_cast<unsigned>(first); i <= static_cast<unsigned>(last); ++i)
            s.bits_ |= static_cast<Word>(Word{1} << i);
        return s;
    }

    constexpr Word mask() const { return bits_; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr bool contains(E e) const { return (bits_ & bit(e)) != 0; }

    constexpr EnumSet& operator+=(E e) {
        bits_ |= bit(e);
        return *this;
    }
    constexpr EnumSet& operator-=(E e) {
        bits_ &= static_cast<Word>(~bit(e));
        return *this;
    }
    constexpr EnumSet& operator+=(EnumSet o) {
        bits_ |= o.bits_;
        return *this;
    }
    constexpr EnumSet& operator-=(EnumSet o) {
        bits_ &= static_cast<Word>(~o.bits_);
        return *this;
    }
    constexpr EnumSet& operator*=(EnumSet o) {
        bits_ &= o.bits_;
        return *this;
    }
    friend constexpr EnumSet operator+(EnumSet a, EnumSet b) { return a += b; }
    friend constexpr EnumSet operator+(EnumSet a, E e) { return a += e; }
    friend constexpr EnumSet operator-(EnumSet a, EnumSet b) { return a -= b; }
    friend constexpr EnumSet operator-(EnumSet a, E e) { return a -= e; }
    friend constexpr EnumSet operator*(EnumSet a, EnumSet b) { return a *= b; }
    /// Subset test.
    friend constexpr bool operator<=(EnumSet a, EnumSet b) { return (a.bits_ & ~b.bits_) == 0; }
    friend constexpr bool operator==(EnumSet a, EnumSet b) = default;

private:
    static constexpr Word bit(E e) { return static_cast<Word>(Word{1} << static_cast<unsigned>(e)); }
    Word bits_ = 0;
};

} // namespace smx
