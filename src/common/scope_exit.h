#pragma once

#include <utility>

// Runs a function when the scope ends, on every path out of it, unless
// released first: for a one-off pair of calls that has no holder of its own.
//
//     const uint32_t previous = setMode(quiet);
//     const ScopeExit restore([&] { setMode(previous); });
template <typename Function>
class [[nodiscard]] ScopeExit {
public:
    explicit ScopeExit(Function function) noexcept : function_(std::move(function)) {}
    ~ScopeExit()
    {
        if (armed_) {
            function_();
        }
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

    // The function will not run.
    void release() noexcept { armed_ = false; }

private:
    Function function_;
    bool armed_ = true;
};
