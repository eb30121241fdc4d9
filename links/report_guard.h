#pragma once
// The frame of an operation that reports its own failures.

#include <string_view>
#include <type_traits>

#include "host/report.h"

namespace fenmark::links {

// Shows the failure report; a box that cannot be shown leaves nobody to tell.
inline void Report(host::Platform& platform, const host::Failure& failure,
                   std::wstring_view operation) noexcept {
  try {
    host::ReportFailure(platform, failure, operation);
  } catch (...) {
  }
}

// Runs `body`; whatever it throws is reported under "Ostrand - <operation>" and ends the operation.
// Whether it succeeded: what `body` returns (true when it returns nothing), false after a failure.
template <class Body>
bool RunReporting(host::Platform& platform, std::wstring_view operation, Body&& body) noexcept {
  try {
    if constexpr (std::is_void_v<decltype(body())>) {
      body();
      return true;
    } else {
      return body();
    }
  } catch (...) {
    Report(platform, host::CurrentFailure(), operation);
  }
  return false;
}

}  // namespace fenmark::links
