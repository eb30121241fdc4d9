#pragma once
// A scriptable stand-in for a host object: members by name, answered by lambdas. It counts its
// references so that a test can see the add-in let go of everything it was handed.

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "addin/com/com_types.h"

namespace fenmark::wintest {

using com::com_ptr;

class FakeObject final : public IDispatch {
 public:
  // Arguments in their declared order; the result slot may be null.
  using Member =
      std::function<HRESULT(const std::vector<VARIANT*>& args, VARIANT* result, EXCEPINFO* info)>;

  static com_ptr<FakeObject> Make() { return com_ptr<FakeObject>::adopt(new FakeObject()); }

  void Define(std::wstring name, Member member) {
    members_.emplace_back(std::move(name), std::move(member));
  }
  // Drops the members' own references, so that only outside ones remain to be counted.
  void Clear() { members_.clear(); }

  ULONG references() const { return refs_; }
  // How the latest Invoke was made, beyond its arguments.
  struct Call {
    WORD flags = 0;
    std::vector<DISPID> named;
    bool wants_result = false;
  };
  const Call& last_call() const { return last_call_; }
  // ---- IUnknown ----
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch)
      *out = static_cast<IDispatch*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // ---- IDispatch ----
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (size_t m = 0; m < members_.size(); ++m)
      if (_wcsicmp(members_[m].first.c_str(), names[0]) == 0) {
        ids[0] = static_cast<DISPID>(m + 1);
        return S_OK;
      }
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT*) override {
    if (id < 1 || static_cast<size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
    last_call_ = {flags,
                  {params->rgdispidNamedArgs, params->rgdispidNamedArgs + params->cNamedArgs},
                  result != nullptr};
    std::vector<VARIANT*> args;
    for (UINT i = params->cArgs; i > 0; --i) args.push_back(&params->rgvarg[i - 1]);
    auto member = members_[id - 1].second;
    return member(args, result, info);
  }

 private:
  FakeObject() = default;
  ~FakeObject() = default;

  ULONG refs_ = 1;
  std::vector<std::pair<std::wstring, Member>> members_;
  Call last_call_;
};

}  // namespace fenmark::wintest
