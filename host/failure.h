#pragma once
// The one way a host operation fails: a number and a description, as the host reports them.

#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <utility>

namespace fenmark::host {

class Failure : public std::exception {
 public:
  Failure(std::int32_t number, std::wstring description)
      : number_(number), description_(std::move(description)) {}

  // For a failed COM call, its HRESULT; for the add-in's own failures, one of the codes below.
  std::int32_t Number() const noexcept { return number_; }
  const std::wstring& Description() const noexcept { return description_; }
  const char* what() const noexcept override { return "host failure"; }

 private:
  std::int32_t number_;
  std::wstring description_;
};

// Failures that do not come from a host call. They carry the numbers and texts of the
// automation runtime's own errors, so that a user reads the same report whichever side failed.
namespace errors {
inline constexpr std::int32_t kInvalidArgument = 5;  // a text cut with a negative length
inline constexpr std::int32_t kOverflow = 6;         // a count beyond 16 bits
inline constexpr std::int32_t kTypeMismatch = 13;    // an item of the wrong kind
inline constexpr std::int32_t kObjectNotSet = 91;    // a reference that holds no object

inline Failure InvalidArgument() {
  return {kInvalidArgument, L"Invalid procedure call or argument"};
}
inline Failure Overflow() {
  return {kOverflow, L"Overflow"};
}
inline Failure TypeMismatch() {
  return {kTypeMismatch, L"Type mismatch"};
}
inline Failure ObjectNotSet() {
  return {kObjectNotSet, L"Object variable or With block variable not set"};
}
}  // namespace errors

// The failure in flight, inside a catch block: a host failure as it is, anything else under the
// runtime's nearest code, so that every caught failure can be reported in the same form.
inline Failure CurrentFailure() {
  try {
    throw;
  } catch (const Failure& failure) {
    return failure;
  } catch (const std::bad_alloc&) {
    return {7, L"Out of memory"};
  } catch (...) {
    return {51, L"Internal error"};
  }
}

// Dereferences a host reference that must hold an object; an empty one fails as the runtime does.
template <class Ref>
auto& Require(const Ref& ref) {
  if (!ref) throw errors::ObjectNotSet();
  return *ref;
}

}  // namespace fenmark::host
