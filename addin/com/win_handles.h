#pragma once
// Owners for Win32 handles that close themselves: a file or folder handle, a find handle, local
// memory. One template, a traits type each.

#include <windows.h>

#include <utility>

namespace fenmark::com {

template <class Traits>
class unique_any {
 public:
  using type = typename Traits::type;
  unique_any() noexcept = default;
  explicit unique_any(type value) noexcept : value_(value) {}
  unique_any(unique_any&& other) noexcept
      : value_(std::exchange(other.value_, Traits::invalid())) {}
  unique_any& operator=(unique_any&& other) noexcept {
    reset(std::exchange(other.value_, Traits::invalid()));
    return *this;
  }
  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  ~unique_any() { reset(); }

  type get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::invalid(); }
  void reset(type value = Traits::invalid()) noexcept {
    if (*this) Traits::close(value_);
    value_ = value;
  }
  // For out-parameters.
  type* put() noexcept {
    reset();
    return &value_;
  }

 private:
  type value_ = Traits::invalid();
};

struct file_handle_traits {
  using type = HANDLE;
  static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(type handle) noexcept { CloseHandle(handle); }
};
struct find_handle_traits {
  using type = HANDLE;
  static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(type handle) noexcept { FindClose(handle); }
};
struct token_handle_traits {
  using type = HANDLE;
  static type invalid() noexcept { return nullptr; }
  static void close(type handle) noexcept { CloseHandle(handle); }
};
template <class T>
struct local_memory_traits {
  using type = T;
  static type invalid() noexcept { return nullptr; }
  static void close(type memory) noexcept { LocalFree(memory); }
};

using unique_handle = unique_any<file_handle_traits>;
using unique_find = unique_any<find_handle_traits>;
using unique_token = unique_any<token_handle_traits>;
template <class T>
using unique_local = unique_any<local_memory_traits<T>>;

}  // namespace fenmark::com
