#include "addin/com/event_sink.h"

#include <ocidl.h>

#include <algorithm>

#include "addin/com/com_object.h"
#include "addin/com/dispatch.h"
#include "addin/com/errors.h"
#include "addin/com/module.h"

namespace fenmark::com {

const VARIANT& EventArgs::At(UINT index) const {
  if (index >= params_.cArgs || !params_.rgvarg) throw host::errors::InvalidArgument();
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

thread_local IUnknown* g_owner = nullptr;

class Sink final : public ComObject<Sink, IDispatch> {
 public:
  Sink(const IID& diid, EventTable handlers)
      : owner_(g_owner), diid_(diid), handlers_(std::move(handlers)) {}

  // The subscription has ended: nothing more reaches the handlers or the owner.
  void Disconnect() noexcept {
    owner_ = nullptr;
    EventTable gone;
    gone.swap(handlers_);
  }

  // Outlook asks the sink for the event interface itself.
  void* Find(REFIID riid) noexcept {
    return riid == diid_ ? static_cast<IDispatch*>(this) : ComObject::Find(riid);
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
    // A handler may drop this very connection, and a host may release the add-in while a
    // handler waits on a message box: keep the sink, its handler and the owner alive until done.
    auto self = com_ptr<IDispatch>::retain(this);
    auto owner = com_ptr<IUnknown>::retain(owner_);
    EventOwner connecting(owner_);  // what the handler connects belongs to the same owner
    EventHandler handler = it->second;
    handler(EventArgs(*params));
    return S_OK;
  } catch (const host::Failure& failure) {
    TraceFailure("event sink", HresultOf(failure), failure.Description().c_str());
    FillExcepInfo(info, failure);
    return DISP_E_EXCEPTION;
  } catch (...) {
    return to_hresult("event sink");
  }

 private:
  IUnknown* owner_;  // not counted: the owner ends the subscription before it goes
  IID diid_;
  EventTable handlers_;
};

}  // namespace

EventOwner::EventOwner(IUnknown* owner) noexcept : previous_(std::exchange(g_owner, owner)) {}
EventOwner::~EventOwner() {
  g_owner = previous_;
}

host::Subscription Advise(IDispatch* source, const IID& diid, EventTable handlers) {
  if (!source) throw host::errors::ObjectNotSet();
  const auto container = com_ptr<IDispatch>::retain(source).as<IConnectionPointContainer>();
  com_ptr<IConnectionPoint> point;
  Check(container->FindConnectionPoint(diid, point.put()));
  auto sink = com_ptr<Sink>::adopt(new Sink(diid, std::move(handlers)));
  DWORD cookie = 0;
  if (const HRESULT hr = point->Advise(sink.get(), &cookie); FAILED(hr)) {
    sink->Disconnect();
    ThrowFailure(hr);
  }
  return host::Subscription([point, sink, cookie] {
    sink->Disconnect();
    point->Unadvise(cookie);
  });
}

}  // namespace fenmark::com
