#pragma once
// The gate every call of the add-in on the simulated host passes, whatever object it is made on:
// it is numbered and logged, a test's overrides see it before the model answers, and every
// reference handed back is counted. The model itself neither logs nor fails on request. Internal
// to sim/.

#include <cstddef>
#include <memory>
#include <vector>

#include "sim/outlook.h"

namespace fenmark::sim::detail {

class Gate {
 public:
  // Logs the call, then shows it to every override in turn; the first failure one throws fails
  // the call (logged as failed) once all have seen it.
  void Pass(HostCall call);
  void Add(CallOverride override) { overrides_.push_back(std::move(override)); }
  void ClearOverrides() { overrides_.clear(); }

  std::vector<HostCall> log;

  // A counted reference for the add-in; the object lives as long as any reference does.
  template <class T, class Impl>
  std::shared_ptr<T> Hand(std::shared_ptr<Impl> object) {
    if (!object) return nullptr;
    ++*outstanding_;
    T* raw = object.get();
    return std::shared_ptr<T>(raw, [keep = std::move(object), counter = outstanding_](T*) mutable {
      --*counter;
      keep.reset();
    });
  }
  long Outstanding() const { return *outstanding_; }
  std::size_t Passed() const { return passed_; }  // every call ever, not reset with the log

 private:
  std::vector<CallOverride> overrides_;
  std::size_t passed_ = 0;
  std::shared_ptr<long> outstanding_ = std::make_shared<long>(0);
};

}  // namespace fenmark::sim::detail
