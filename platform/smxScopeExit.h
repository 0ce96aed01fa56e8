// A guard that runs a function when the scope ends, however it ends: the C++ form of try/finally
// ("disconnect only what we connected", "restore the separators").
#pragma once

#include <utility>

namespace smx {

template <typename F> class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() {
        if (active_) f_();
    }
    /// The guard does nothing when the scope ends.
    void release() { active_ = false; }

private:
    F f_;
    bool active_ = true;
};

} // namespace smx
