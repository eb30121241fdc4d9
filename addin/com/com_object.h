#pragma once
// IUnknown written once: a COM object deriving from ComObject<Self, Interfaces...> answers
// IUnknown and each interface's IID, counts its references, deletes itself on the last release
// and counts among the DLL's live objects while it lives. A class that answers more IIDs (IDispatch
// as one of its duals, an event DIID) or fewer hides Find and calls ComObject::Find for the rest.

#include <windows.h>

#include <atomic>

#include "addin/com/module.h"

namespace fenmark::com {

template <class Derived, class First, class... Rest>
class ComObject : public First, public Rest... {
 public:
  // QueryInterface and Release stay out of line: a compiler guessing the target of a call through
  // an interface would otherwise inline them, the object's whole teardown included, at every
  // release of every interface pointer (kilobytes in a DLL that must stay small).
  [[gnu::noinline]] HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid,
                                                             void** out) noexcept final {
    if (!out) return E_POINTER;
    *out = static_cast<Derived*>(this)->Find(riid);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept final { return ++refs_; }
  [[gnu::noinline]] ULONG STDMETHODCALLTYPE Release() noexcept final {
    const ULONG left = --refs_;
    if (left == 0) {
      // An event that reaches a sink while the members are let go holds the object once more;
      // its release must not delete it a second time.
      refs_ = 1;
      delete static_cast<Derived*>(this);
    }
    return left;
  }

  // The interface that answers `riid`, not counted; null when none does.
  void* Find(REFIID riid) noexcept {
    if (riid == IID_IUnknown) return static_cast<First*>(this);
    return FindIn<First, Rest...>(riid);
  }

 protected:
  ComObject() noexcept = default;
  ~ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

 private:
  template <class I, class... More>
  void* FindIn(REFIID riid) noexcept {
    if (riid == __uuidof(I)) return static_cast<I*>(this);
    if constexpr (sizeof...(More) > 0)
      return FindIn<More...>(riid);
    else
      return nullptr;
  }

  std::atomic<ULONG> refs_{1};
  ObjectCount count_;
};

}  // namespace fenmark::com
