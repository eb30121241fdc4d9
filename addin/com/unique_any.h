#pragma once
// One owner for every kind of Win32 handle: a find handle, local memory, a registry key, a kernel
// object. It closes its handle once, with the function of the handle's kind, however the scope
// ends; it moves and never copies.

#include <windows.h>

#include <cstdint>
#include <utility>

namespace fenmark::com {

// `kInvalid` is the value that holds nothing: 0 for most kinds, -1 for find handles.
template <class Pointer, auto Close, std::intptr_t kInvalid = 0>
class unique_any {
 public:
  unique_any() noexcept = default;
  explicit unique_any(Pointer p) noexcept : p_(p) {}
  unique_any(unique_any&& other) noexcept : p_(other.release()) {}
  unique_any& operator=(unique_any&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  ~unique_any() { reset(); }

  Pointer get() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != Invalid(); }
  // For out-parameters: closes the current handle and lends the slot.
  Pointer* put() noexcept {
    reset();
    return &p_;
  }
  [[nodiscard]] Pointer release() noexcept { return std::exchange(p_, Invalid()); }
  void reset(Pointer p = Invalid()) noexcept {
    if (const Pointer old = std::exchange(p_, p); old != Invalid()) Close(old);
  }

 private:
  static Pointer Invalid() noexcept { return reinterpret_cast<Pointer>(kInvalid); }
  Pointer p_ = Invalid();
};

using unique_find = unique_any<HANDLE, &::FindClose, -1>;
using unique_hkey = unique_any<HKEY, &::RegCloseKey>;
using unique_handle = unique_any<HANDLE, &::CloseHandle>;
// CreateFile's, which fails with -1 rather than 0.
using unique_file = unique_any<HANDLE, &::CloseHandle, -1>;
// Memory the system allocated with LocalAlloc for the caller (FormatMessage's buffer).
template <class T>
using unique_local = unique_any<T*, &::LocalFree>;

}  // namespace fenmark::com
