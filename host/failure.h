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
inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kTypeMismatch = 13;  // an item of the wrong kind
inline constexpr std::int32_t kInternalError = 51;
inline constexpr std::int32_t kObjectNotSet = 91;  // a reference that holds no object

// The runtime's errors by number, with its texts: the one table of them. The system's message
// table knows none of these (the scripting runtime, for one, fails with them and no description).
struct RuntimeError {
  std::int32_t number;
  const wchar_t* text;
};
inline constexpr RuntimeError kRuntimeErrors[] = {
    {5, L"Invalid procedure call or argument"},
    {6, L"Overflow"},
    {7, L"Out of memory"},
    {9, L"Subscript out of range"},
    {10, L"This array is fixed or temporarily locked"},
    {11, L"Division by zero"},
    {13, L"Type mismatch"},
    {51, L"Internal error"},
    {52, L"Bad file name or number"},
    {53, L"File not found"},
    {54, L"Bad file mode"},
    {57, L"Device I/O error"},
    {58, L"File already exists"},
    {61, L"Disk full"},
    {70, L"Permission denied"},
    {71, L"Disk not ready"},
    {75, L"Path/File access error"},
    {76, L"Path not found"},
    {91, L"Object variable or With block variable not set"},
    {424, L"Object required"},
    {430, L"Class does not support Automation or does not support expected interface"},
    {438, L"Object doesn't support this property or method"},
    {446, L"Object doesn't support named arguments"},
    {447, L"Object doesn't support current locale setting"},
    {448, L"Named argument not found"},
    {449, L"Argument not optional"},
    {450, L"Wrong number of arguments or invalid property assignment"},
    {451,
     L"Property let procedure not defined and property get procedure did not return an object"},
    {458, L"Variable uses an Automation type not supported in Visual Basic"},
};

// The runtime's text for its error number, or null for a number it has none for.
constexpr const wchar_t* RuntimeText(std::int32_t number) noexcept {
  for (const auto& error : kRuntimeErrors)
    if (error.number == number) return error.text;
  return nullptr;
}

// A failure as the runtime reports its own error of that number.
inline Failure Runtime(std::int32_t number) {
  return {number, RuntimeText(number)};
}
inline Failure InvalidArgument() {
  return Runtime(kInvalidArgument);
}
inline Failure Overflow() {
  return Runtime(kOverflow);
}
inline Failure TypeMismatch() {
  return Runtime(kTypeMismatch);
}
inline Failure ObjectNotSet() {
  return Runtime(kObjectNotSet);
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
    return errors::Runtime(errors::kOutOfMemory);
  } catch (...) {
    return errors::Runtime(errors::kInternalError);
  }
}

// Dereferences a host reference that must hold an object; an empty one fails as the runtime does.
template <class Ref>
auto& Require(const Ref& ref) {
  if (!ref) throw errors::ObjectNotSet();
  return *ref;
}

}  // namespace fenmark::host
