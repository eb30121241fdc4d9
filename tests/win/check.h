#pragma once
// A minimal checker for programs that run under Wine: each failed check prints where and what,
// and the program ends with one "N passed, N failed" line.

#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

#include "addin/com/unique_any.h"

namespace fenmark::wintest {

struct Tally {
  int passed = 0;
  int failed = 0;
};
inline Tally& tally() {
  static Tally t;
  return t;
}

inline bool Record(bool ok, const char* file, int line, const std::string& what) {
  if (ok) {
    ++tally().passed;
  } else {
    ++tally().failed;
    std::printf("FAILED %s:%d: %s\n", file, line, what.c_str());
    std::fflush(stdout);
  }
  return ok;
}

inline std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += (c >= 32 && c < 127) ? static_cast<char>(c) : '?';
  return out;
}

inline std::string Hex(long value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(value));
  return buffer;
}

inline int Summary() {
  std::printf("%d passed, %d failed\n", tally().passed, tally().failed);
  return tally().failed == 0 ? 0 : 1;
}

inline std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH * 2] = {};
  GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
  return full;
}

// Runs regsvr32 with the arguments and returns its exit code (-1 if it could not start).
inline DWORD Regsvr32(const std::wstring& arguments) {
  std::wstring command = L"regsvr32.exe " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return static_cast<DWORD>(-1);
  const com::unique_handle thread(process.hThread), running(process.hProcess);
  WaitForSingleObject(running.get(), INFINITE);
  DWORD code = static_cast<DWORD>(-1);
  GetExitCodeProcess(running.get(), &code);
  return code;
}

// The registered class, created as Outlook creates it; if it cannot be, a failure said in one line.
// Under Wine that means a prefix without the set-up that cmake/wine-run gives it.
inline bool ClassFound(const wchar_t* prog_id) {
  CLSID clsid{};
  IUnknown* object = nullptr;
  HRESULT hr = CLSIDFromProgID(prog_id, &clsid);
  if (SUCCEEDED(hr))
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                          reinterpret_cast<void**>(&object));
  if (object) object->Release();
  if (SUCCEEDED(hr)) return true;
  ++tally().failed;
  std::printf(
      "%s is registered but cannot be created (%s): run it through cmake/wine-run, whose "
      "prefix shows the user's classes as Windows does\n",
      Narrow(prog_id).c_str(), Hex(hr).c_str());
  return false;
}

inline bool CheckHr(long e, long a, const char* file, int line, const char* what) {
  return Record(e == a, file, line, std::string(what) + " = " + Hex(a) + ", expected " + Hex(e));
}
inline bool CheckText(const std::wstring& e, const std::wstring& a, const char* file, int line,
                      const char* what) {
  return Record(e == a, file, line,
                std::string(what) + " = \"" + Narrow(a.substr(0, 120)) + "\", expected \"" +
                    Narrow(e.substr(0, 120)) + "\"");
}

// For the catch-all of main: one line, and a failing exit.
inline int Stopped() noexcept {
  try {
    throw;
  } catch (const std::exception& e) {
    std::printf("stopped by an exception: %s\n", e.what());
  } catch (...) {
    std::printf("stopped by an exception\n");
  }
  return 2;
}

}  // namespace fenmark::wintest

#define CHECK(cond) ::fenmark::wintest::Record((cond), __FILE__, __LINE__, #cond)
#define CHECK_HR(expected, actual) \
  ::fenmark::wintest::CheckHr((expected), (actual), __FILE__, __LINE__, #actual)
#define CHECK_TEXT(expected, actual) \
  ::fenmark::wintest::CheckText((expected), (actual), __FILE__, __LINE__, #actual)
