#include "addin/com/connect_object.h"

#include <optional>

#include "addin/com/adapters.h"
#include "addin/com/call_check.h"
#include "addin/com/com_object.h"
#include "addin/com/errors.h"
#include "addin/com/event_sink.h"
#include "addin/com/module.h"
#include "addin/com/office_interfaces.h"
#include "addin/com/platform.h"
#include "addin/connect.h"
#include "fenmark_h.h"
#include "links/send_to_task.h"
#include "ui/markup.h"
#include "ui/ribbon_callbacks.h"

namespace fenmark::com {
namespace {

// The type information of `_Connect`'s vtable side, which drives IDispatch.
com_ptr<ITypeInfo> LoadConnectTypeInfo() {
  com_ptr<ITypeLib> library;
  Check(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, library.put()));
  com_ptr<ITypeInfo> info;
  Check(library->GetTypeInfoOfGuid(IID__Connect, info.put()));
  HREFTYPE vtable_side = 0;
  if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable_side))) {
    com_ptr<ITypeInfo> dual;
    Check(info->GetRefTypeInfo(vtable_side, dual.put()));
    return dual;
  }
  return info;
}

BSTR NewBstr(const std::wstring& text) {
  return unique_bstr(text).release();
}

template <class T>
std::shared_ptr<T> WrapBorrowed(IDispatch* object) {
  return Wrap<T>(com_ptr<IDispatch>::retain(object));
}

class ConnectObject final : public ComObject<ConnectObject, _Connect, IDTExtensibility2,
                                             IRibbonExtensibility, ISupportErrorInfo> {
 public:
  ConnectObject() : type_info_(LoadConnectTypeInfo()) {}

  // IDispatch is `_Connect`'s: the other duals share its dispatch members.
  void* Find(REFIID riid) noexcept {
    return riid == IID_IDispatch ? static_cast<_Connect*>(this) : ComObject::Find(riid);
  }

  // ---- IDispatch, shared by all three dual interfaces ----
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    *info = com_ptr<ITypeInfo>(type_info_).detach();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) noexcept override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i)
      if (!names[i]) return E_INVALIDARG;
    return type_info_->GetIDsOfNames(names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info,
                                   UINT* bad_arg) noexcept override try {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    DISPPARAMS none{};
    CheckedCall call;
    if (const HRESULT hr =
            call.Check(type_info_.get(), id, flags, params ? *params : none, bad_arg);
        FAILED(hr))
      return hr;
    auto self = com_ptr<_Connect>::retain(this);
    failure_.reset();
    const HRESULT hr = type_info_->Invoke(static_cast<_Connect*>(this), id, flags, call.Params(),
                                          result, info, bad_arg);
    if (FAILED(hr) && failure_) {
      const host::Failure failure = *std::exchange(failure_, std::nullopt);
      if (!info) return HresultOf(failure);
      FillExcepInfo(info, failure);
      return DISP_E_EXCEPTION;
    }
    return hr;
  } catch (...) {
    return to_hresult();
  }

  // ---- _Connect ----
  HRESULT STDMETHODCALLTYPE get_glblObjRibbon(IDispatch** result) noexcept override {
    return Out(result, [&] { return DispatchOf(connect_.Ribbon()); });
  }
  HRESULT STDMETHODCALLTYPE putref_glblObjRibbon(IDispatch* value) noexcept override {
    return Boundary([&] { connect_.PutRibbon(WrapBorrowed<host::RibbonUI>(value)); });
  }
  HRESULT STDMETHODCALLTYPE get_olItems(IDispatch** result) noexcept override {
    return Out(result, [&] { return DispatchOf(connect_.CalendarItems()); });
  }
  HRESULT STDMETHODCALLTYPE putref_olItems(IDispatch* value) noexcept override {
    return Boundary([&] { connect_.PutCalendarItems(WrapBorrowed<host::ItemCollection>(value)); });
  }
  HRESULT STDMETHODCALLTYPE AttachOrigItem(IDispatch* source, IDispatch* target) noexcept override {
    return Boundary([&] {
      links::AttachOrigItem(platform_, WrapBorrowed<host::Item>(source),
                            WrapBorrowed<host::Item>(target));
    });
  }
  HRESULT STDMETHODCALLTYPE CleanFileName(BSTR* text, BSTR* result) noexcept override {
    if (!text || !result) return E_POINTER;
    *result = nullptr;
    // The caller's text stays the caller's: it is only read, never freed or replaced; no caller
    // reads it back.
    return Boundary([&] {
      *result = NewBstr(links::CleanFileName(Text(*text), [this] { return platform_.Now(); }));
    });
  }
  HRESULT STDMETHODCALLTYPE GetTaskStatus(IDispatch* item, BSTR* result) noexcept override {
    if (!result) return E_POINTER;
    *result = nullptr;
    return Boundary(
        [&] { *result = NewBstr(connect_.GetTaskStatus(WrapBorrowed<host::Item>(item))); });
  }
  HRESULT STDMETHODCALLTYPE LoadXML(BSTR id, BSTR* result) noexcept override {
    if (!result) return E_POINTER;
    *result = nullptr;
    return Boundary([&] { *result = NewBstr(ui::LoadXML(platform_, Text(id))); });
  }

  // The ribbon callbacks, each calling what its row calls.
#define FENMARK_ON_LOAD(name, dispid)                                                      \
  HRESULT STDMETHODCALLTYPE name(IDispatch* ribbon) noexcept override {                    \
    return Boundary([&] { connect_.OnRibbonLoad(WrapBorrowed<host::RibbonUI>(ribbon)); }); \
  }
#define FENMARK_DECISION(name, dispid, decide)                                      \
  HRESULT STDMETHODCALLTYPE name(IDispatch* c, VARIANT_BOOL* r) noexcept override { \
    return Flag(r, [&] { return ui::decide(connect_, Control(c)); });               \
  }
#define FENMARK_ACTION(name, dispid, click, operation)                                     \
  HRESULT STDMETHODCALLTYPE name(IDispatch* c) noexcept override {                         \
    return Boundary([&] { ui::click(connect_, Control(c), host::Operation::operation); }); \
  }
#define FENMARK_MEMBER(name, dispid)
#include "addin/ribbon_callback_list.h"

  // ---- IDTExtensibility2 ----
  HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, int, IDispatch*,
                                         SAFEARRAY**) noexcept override {
    return Boundary([&] { connect_.OnConnection(WrapBorrowed<host::Application>(application)); });
  }
  HRESULT STDMETHODCALLTYPE OnDisconnection(int, SAFEARRAY**) noexcept override {
    return Boundary([&] { connect_.OnDisconnection(); });
  }
  HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY**) noexcept override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY**) noexcept override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY**) noexcept override {
    return S_OK;
  }

  // ---- IRibbonExtensibility ----
  HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR ribbon_id, BSTR* xml) noexcept override {
    if (!xml) return E_POINTER;
    *xml = nullptr;
    return Boundary([&] { *xml = NewBstr(connect_.GetCustomUI(Text(ribbon_id))); });
  }

  // ---- ISupportErrorInfo ----
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) noexcept override {
    return riid == IID__Connect || riid == __uuidof(IDTExtensibility2) ? S_OK : S_FALSE;
  }

 private:
  static std::wstring Text(BSTR b) {
    return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
  }
  static host::Ref<host::RibbonControl> Control(IDispatch* c) {
    return WrapBorrowed<host::RibbonControl>(c);
  }

  // The one way in and out of every method: the object stays alive while it runs (a modal
  // message box lets the host release it), the sinks it connects keep it alive through their
  // events, no exception leaves, and the method's own outcome is kept for Invoke's EXCEPINFO, so
  // that a failure of a nested call never stands for this one. A failure is traced under the
  // name of the method.
  template <class Body>
  HRESULT Boundary(Body&& body, const char* where = __builtin_FUNCTION()) noexcept {
    auto self = com_ptr<_Connect>::retain(this);
    EventOwner owner(static_cast<_Connect*>(this));
    try {
      body();
      failure_.reset();
      return S_OK;
    } catch (const host::Failure& failure) {
      failure_.reset();
      try {
        failure_ = failure;
      } catch (...) {
      }
      return to_hresult(where);
    } catch (...) {
      failure_.reset();
      return to_hresult(where);
    }
  }
  template <class Get>
  HRESULT Out(IDispatch** result, Get&& get, const char* where = __builtin_FUNCTION()) noexcept {
    if (!result) return E_POINTER;
    *result = nullptr;
    return Boundary([&] { *result = com_ptr<IDispatch>::retain(get()).detach(); }, where);
  }
  template <class Get>
  HRESULT Flag(VARIANT_BOOL* result, Get&& get, const char* where = __builtin_FUNCTION()) noexcept {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    return Boundary([&] { *result = get() ? VARIANT_TRUE : VARIANT_FALSE; }, where);
  }

  com_ptr<ITypeInfo> type_info_;
  WindowsPlatform platform_;
  Connect connect_{platform_};
  std::optional<host::Failure> failure_;
};

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid,
                                           void** out) noexcept override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreateConnectObject(riid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override {
    LockModule(lock != FALSE);
    return S_OK;
  }
};

}  // namespace

HRESULT CreateConnectObject(REFIID riid, void** out) noexcept try {
  auto object = com_ptr<_Connect>::adopt(new ConnectObject());
  return object->QueryInterface(riid, out);
} catch (...) {
  return to_hresult();
}

}  // namespace fenmark::com

using fenmark::com::to_hresult;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) try {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != CLSID_Connect) return CLASS_E_CLASSNOTAVAILABLE;
  auto factory = fenmark::com::com_ptr<IClassFactory>::adopt(new fenmark::com::ClassFactory());
  return factory->QueryInterface(riid, out);
} catch (...) {
  return to_hresult();
}

STDAPI DllCanUnloadNow() {
  return fenmark::com::ModuleIdle() ? S_OK : S_FALSE;
}
