#pragma once
// A scriptable stand-in for a host object: members by name, answered by lambdas, and optionally
// one connection point for an event interface. It counts its references so that a test can see
// the add-in let go of everything it was handed.

#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "addin/com/com_types.h"

namespace fenmark::wintest {

using com::com_ptr;

class FakeObject final : public IDispatch,
                         public IConnectionPointContainer,
                         public IConnectionPoint {
 public:
  // Arguments in their declared order; the result slot may be null.
  using Member =
      std::function<HRESULT(const std::vector<VARIANT*>& args, VARIANT* result, EXCEPINFO* info)>;

  static com_ptr<FakeObject> Make(const IID* events = nullptr) {
    return com_ptr<FakeObject>::adopt(new FakeObject(events));
  }

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
  size_t connections() const { return sinks_.size(); }
  // Raises an event on every connected sink; returns the first failure.
  HRESULT Raise(DISPID id, std::vector<VARIANT> args_last_first) {
    DISPPARAMS params{args_last_first.data(), nullptr, static_cast<UINT>(args_last_first.size()),
                      0};
    return RaiseWith(id, &params);
  }
  // The same with the parameters as given, malformed ones included.
  HRESULT RaiseWith(DISPID id, DISPPARAMS* params) {
    auto sinks = sinks_;
    for (auto& [cookie, sink] : sinks) {
      const HRESULT hr =
          sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, params, nullptr, nullptr, nullptr);
      if (FAILED(hr)) return hr;
    }
    return S_OK;
  }
  // A source that fails Unadvise and goes on raising events to the sink.
  bool refuse_unadvise = false;

  // ---- IUnknown ----
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch)
      *out = static_cast<IDispatch*>(this);
    else if (riid == IID_IConnectionPointContainer && events_ != IID_NULL)
      *out = static_cast<IConnectionPointContainer*>(this);
    else if (riid == IID_IConnectionPoint && events_ != IID_NULL)
      *out = static_cast<IConnectionPoint*>(this);
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
    auto member = members_[id - 1].second;  // a copy: the member may redefine members
    return member(args, result, info);
  }

  // ---- IConnectionPointContainer ----
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override {
    *out = nullptr;
    if (riid != events_) return CONNECT_E_NOCONNECTION;
    *out = this;
    AddRef();
    return S_OK;
  }

  // ---- IConnectionPoint: the one event interface ----
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    *iid = events_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
    *out = this;
    AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
    com_ptr<IDispatch> events;
    // The sink must answer the event interface itself.
    if (FAILED(sink->QueryInterface(events_, events.put_void()))) return CONNECT_E_CANNOTCONNECT;
    *cookie = next_cookie_++;
    sinks_.emplace_back(*cookie, std::move(events));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    if (refuse_unadvise) return E_FAIL;
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it)
      if (it->first == cookie) {
        sinks_.erase(it);
        return S_OK;
      }
    return CONNECT_E_NOCONNECTION;
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

 private:
  explicit FakeObject(const IID* events) : events_(events ? *events : IID_NULL) {}
  ~FakeObject() = default;

  ULONG refs_ = 1;
  IID events_;
  std::vector<std::pair<DWORD, com_ptr<IDispatch>>> sinks_;
  DWORD next_cookie_ = 1;
  std::vector<std::pair<std::wstring, Member>> members_;
  Call last_call_;
};

}  // namespace fenmark::wintest
