#pragma once
// Runs a clean-up when the scope ends, however it ends: a return, a failure of the host or a
// failure of the clean-up's own caller.

#include <utility>

namespace fenmark::host {

template <class F>
class [[nodiscard]] ScopeExit {
 public:
  explicit ScopeExit(F f) noexcept(noexcept(F(std::move(f)))) : f_(std::move(f)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() { f_(); }

 private:
  F f_;
};

// auto restore = host::scope_exit([&] { flag = old; });
template <class F>
[[nodiscard]] ScopeExit<F> scope_exit(F f) {
  return ScopeExit<F>(std::move(f));
}

}  // namespace fenmark::host
