#include "addin/com/event_sink.h"

#include <ocidl.h>

#include <algorithm>
#include <atomic>

#include "addin/com/dispatch.h"
#include "addin/com/errors.h"
#include "addin/com/module.h"

namespace fenmark::com {

const VARIANT& EventArgs::At(UINT index) const {
  if (index >= params_.cArgs) throw host::errors::InvalidArgument();
  return params_.rgvarg[params_.cArgs - 1 - index];
}

com_ptr<IDispatch> EventArgs::Object(UINT index) const {
  return ToObject(At(index));
}

VARIANT_BOOL* EventArgs::BoolRef(UINT index) const {
  const VARIANT& v = At(index);
  if (V_VT(&v) == (VT_BOOL | VT_BYREF) && V_BOOLREF(&v)) return V_BOOLREF(&v);
  if (V_VT(&v) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(&v) && V_VT(V_VARIANTREF(&v)) == VT_BOOL)
    return &V_BOOL(V_VARIANTREF(&v));
  throw host::errors::TypeMismatch();
}

namespace {

class Sink final : public IDispatch {
 public:
  Sink(const IID& diid, EventTable handlers) : diid_(diid), handlers_(std::move(handlers)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) noexcept override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == diid_) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID,
                                          DISPID*) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO* info, UINT*) noexcept override try {
    auto it = std::find_if(handlers_.begin(), handlers_.end(),
                           [id](const auto& entry) { return entry.first == id; });
    // The host raises many events the add-in does not handle.
    if (it == handlers_.end()) return S_OK;
    if (!params) return E_POINTER;
    // A handler may drop this very connection: keep the sink and its handler alive until done.
    auto self = com_ptr<IDispatch>::retain(this);
    EventHandler handler = it->second;
    handler(EventArgs(*params));
    return S_OK;
  } catch (const host::Failure& failure) {
    FillExcepInfo(info, failure);
    return DISP_E_EXCEPTION;
  } catch (...) {
    return to_hresult();
  }

 private:
  ~Sink() = default;
  std::atomic<ULONG> refs_{1};
  ObjectCount count_;
  IID diid_;
  EventTable handlers_;
};

}  // namespace

host::Subscription Advise(IDispatch* source, const IID& diid, EventTable handlers) {
  if (!source) throw host::errors::ObjectNotSet();
  com_ptr<IConnectionPointContainer> container;
  Check(source->QueryInterface(IID_IConnectionPointContainer, container.put_void()));
  com_ptr<IConnectionPoint> point;
  Check(container->FindConnectionPoint(diid, point.put()));
  auto sink = com_ptr<IDispatch>::adopt(new Sink(diid, std::move(handlers)));
  DWORD cookie = 0;
  Check(point->Advise(sink.get(), &cookie));
  return host::Subscription([point, cookie] { point->Unadvise(cookie); });
}

}  // namespace fenmark::com
