#pragma once

#include <functional>
#include <utility>

namespace hx4x {

// Runs a clean-up on every way out of a block unless dismissed first.
class ScopeGuard {
  public:
    // A context and a function taking it, as plain callbacks are written.
    template <class Context>
    ScopeGuard(Context* context, void (*cleanup)(Context*))
        : cleanup_([context, cleanup] { cleanup(context); }) {}

    // Any callable.
    template <class Cleanup>
    explicit ScopeGuard(Cleanup&& cleanup) : cleanup_(std::forward<Cleanup>(cleanup)) {}

    ~ScopeGuard() {
        if (!armed_) {
            return;
        }
        try {
            cleanup_();
        } catch (...) {
            // A clean-up that throws is dropped: it runs while another failure unwinds.
        }
    }

    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;

    void dismiss() { armed_ = false; }
    bool armed() const { return armed_; }

  private:
    std::function<void()> cleanup_;
    bool armed_ = true;
};

// The second form: puts a saved value back into a variable on every way out of a block
// unless dismissed (a running flag that must be cleared however a step ends).
template <class T>
class ValueScopeGuard {
  public:
    ValueScopeGuard(T& variable, T saved) : variable_(variable), saved_(std::move(saved)) {}
    ~ValueScopeGuard() {
        if (armed_) {
            variable_ = saved_;
        }
    }
    ValueScopeGuard(const ValueScopeGuard&) = delete;
    ValueScopeGuard& operator=(const ValueScopeGuard&) = delete;

    void dismiss() { armed_ = false; }

  private:
    T& variable_;
    T saved_;
    bool armed_ = true;
};

}  // namespace hx4x
