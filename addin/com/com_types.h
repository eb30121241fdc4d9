#pragma once
// Owners for COM references, BSTRs and VARIANTs: the only places that AddRef, Release or free.

#include <windows.h>

#include <cstddef>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "addin/com/errors.h"

namespace fenmark::com {

template <class T>
class com_ptr {
 public:
  com_ptr() noexcept = default;
  com_ptr(std::nullptr_t) noexcept {}
  com_ptr(const com_ptr& other) noexcept : p_(other.p_) { AddRefIf(); }
  com_ptr(com_ptr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  com_ptr& operator=(com_ptr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~com_ptr() { reset(); }

  // Takes over a reference the caller already owns.
  [[nodiscard]] static com_ptr adopt(T* p) noexcept {
    com_ptr r;
    r.p_ = p;
    return r;
  }
  // Adds a reference of its own.
  [[nodiscard]] static com_ptr retain(T* p) noexcept {
    com_ptr r;
    r.p_ = p;
    r.AddRefIf();
    return r;
  }

  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

  // For out-parameters: drops the current reference and lends the slot.
  T** put() noexcept {
    reset();
    return &p_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
  // Hands the reference to the caller (an out-parameter of our own).
  [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }
  void reset() noexcept {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }

  // The same object under another interface, or empty.
  template <class U>
  [[nodiscard]] com_ptr<U> try_as() const noexcept {
    com_ptr<U> r;
    if (p_) p_->QueryInterface(__uuidof(U), r.put_void());
    return r;
  }
  // The same object under another interface, which it must have: a failure otherwise.
  template <class U>
  [[nodiscard]] com_ptr<U> as() const {
    if (!p_) throw host::errors::ObjectNotSet();
    com_ptr<U> r;
    Check(p_->QueryInterface(__uuidof(U), r.put_void()));
    return r;
  }
  template <class U>
  [[nodiscard]] HRESULT query(const IID& iid, com_ptr<U>& out) const noexcept {
    if (!p_) return E_POINTER;
    return p_->QueryInterface(iid, out.put_void());
  }

 private:
  void AddRefIf() noexcept {
    if (p_) p_->AddRef();
  }
  T* p_ = nullptr;
};

class unique_bstr {
 public:
  unique_bstr() noexcept = default;
  explicit unique_bstr(std::wstring_view text) : b_(SysAllocStringLen(text.data(), Len(text))) {
    if (!b_) throw std::bad_alloc();
  }
  unique_bstr(unique_bstr&& other) noexcept : b_(std::exchange(other.b_, nullptr)) {}
  unique_bstr& operator=(unique_bstr&& other) noexcept {
    if (this != &other) {
      reset();
      b_ = std::exchange(other.b_, nullptr);
    }
    return *this;
  }
  unique_bstr(const unique_bstr&) = delete;
  unique_bstr& operator=(const unique_bstr&) = delete;
  ~unique_bstr() { reset(); }

  [[nodiscard]] static unique_bstr adopt(BSTR b) noexcept {
    unique_bstr r;
    r.b_ = b;
    return r;
  }
  BSTR get() const noexcept { return b_; }
  BSTR* put() noexcept {
    reset();
    return &b_;
  }
  [[nodiscard]] BSTR release() noexcept { return std::exchange(b_, nullptr); }
  void reset() noexcept {
    if (BSTR b = std::exchange(b_, nullptr)) SysFreeString(b);
  }
  // A null BSTR is the empty string, as automation treats it.
  [[nodiscard]] std::wstring str() const {
    return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring();
  }

 private:
  static UINT Len(std::wstring_view text) {
    if (text.size() > 0x7FFFFFFF) throw std::bad_alloc();
    return static_cast<UINT>(text.size());
  }
  BSTR b_ = nullptr;
};

class unique_variant {
 public:
  unique_variant() noexcept { VariantInit(&v_); }
  unique_variant(unique_variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
  unique_variant& operator=(unique_variant&& other) noexcept {
    if (this != &other) {
      reset();
      v_ = other.v_;
      VariantInit(&other.v_);
    }
    return *this;
  }
  unique_variant(const unique_variant&) = delete;
  unique_variant& operator=(const unique_variant&) = delete;
  ~unique_variant() { reset(); }

  VARIANT* get() noexcept { return &v_; }
  const VARIANT* get() const noexcept { return &v_; }
  VARIANT* operator->() noexcept { return &v_; }
  const VARIANT* operator->() const noexcept { return &v_; }
  VARIANT* put() noexcept {
    reset();
    return &v_;
  }
  // Moves the value into a caller's VARIANT (an out-parameter), leaving this empty.
  void release_to(VARIANT* out) noexcept {
    *out = v_;
    VariantInit(&v_);
  }
  void reset() noexcept {
    VariantClear(&v_);
    VariantInit(&v_);
  }

 private:
  VARIANT v_;
};

}  // namespace fenmark::com
