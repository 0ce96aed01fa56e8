// TTypeMemo: the answer of a class test remembered per dynamic type.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <mutex>
#include <typeinfo>

#include "platform/smxComponent.h"

namespace smx {

/// Answers of a class test (e.g. a chain of dynamic_casts) remembered per dynamic type: such a test
/// answers alike for every object of one type, so a loop over a large structure pays for the walk
/// through the class hierarchy once per type. One memo serves one test; any thread may ask. Reads
/// take no lock: an entry is complete before the count that shows it is raised.
template <typename V> class TTypeMemo {
public:
    /// Test's answer for Obj: Test() the first time Obj's type is met.
    template <typename Compute> V Get(const TObject& Obj, Compute&& Test) {
        const std::type_info* type = &typeid(Obj);
        const std::size_t known = count_.load(std::memory_order_acquire);
        for (std::size_t i = 0; i < known; ++i)
            if (types_[i] == type) return values_[i];
        const V value = Test();
        std::lock_guard lock(mutex_);
        if (const std::size_t n = count_.load(std::memory_order_relaxed); n < MaxTypes) {
            types_[n] = type;
            values_[n] = value;
            count_.store(n + 1, std::memory_order_release);
        }
        return value;
    }

private:
    static constexpr std::size_t MaxTypes = 64;
    std::array<const std::type_info*, MaxTypes> types_{};
    std::array<V, MaxTypes> values_{};
    std::atomic<std::size_t> count_{0};
    std::mutex mutex_;
};

} // namespace smx
