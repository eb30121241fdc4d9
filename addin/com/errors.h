#pragma once
// Where C++ failures meet COM: every entry point ends in `catch (...) { return to_hresult(); }`,
// and every failed COM call made by the add-in becomes a host::Failure.

#include <windows.h>

#include <string>

#include "host/failure.h"

namespace fenmark::com {

// The HRESULT of a host failure: a COM failure keeps its own; the add-in's small runtime numbers
// become the automation runtime's control-facility codes (91 -> 0x800A005B).
[[nodiscard]] HRESULT HresultOf(const host::Failure& failure) noexcept;

// Inside a catch block: the failure in flight as an HRESULT. A host failure is also posted as the
// thread's error info, so automation callers see its description. Each is traced, under the name
// of the function that caught it.
[[nodiscard]] HRESULT to_hresult(const char* where = __builtin_FUNCTION()) noexcept;

// One line on the debugger's output for a failure caught at a COM boundary:
// "Fenmark: <where>: 0x80004005 <description>".
void TraceFailure(const char* where, HRESULT hr, const wchar_t* description = L"") noexcept;

// Fills an EXCEPINFO (which may be null) with a failure's number and description.
void FillExcepInfo(EXCEPINFO* info, const host::Failure& failure) noexcept;

// The system's text for an HRESULT, or "Automation error" when it has none.
[[nodiscard]] std::wstring MessageOf(HRESULT hr);

// A failed COM call as a host failure.
[[noreturn]] void ThrowFailure(HRESULT hr);
// A failed automation call: the EXCEPINFO's number and text where the callee gave them.
[[noreturn]] void ThrowFailure(HRESULT hr, EXCEPINFO& info);
inline void Check(HRESULT hr) {
  if (FAILED(hr)) ThrowFailure(hr);
}
// Empties the thread's error information. Done before each late-bound call: the automation
// runtime fills a failing callee's EXCEPINFO from it when the callee set none, and a description
// left there by an earlier, unrelated failure would then pass for the callee's own.
inline void ClearErrorInfo() noexcept {
  SetErrorInfo(0, nullptr);
}
// The calling thread's last Win32 error as a host failure.
[[noreturn]] void ThrowLastError();

}  // namespace fenmark::com
