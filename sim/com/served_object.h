#pragma once
// The machinery of the served objects: IDispatch over a table of members, with connection points
// for the members that raise events.

#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "addin/com/com_object.h"
#include "sim/com/served.h"

namespace fenmark::wintest::served {

using com::com_ptr;
using com::unique_bstr;
using host::Ref;

// The event interfaces as Outlook and Office publish them, written here apart from the add-in's
// own on purpose (with the DISPIDs the served objects raise): the independent oracle, so that a
// wrong value in the add-in fails a test instead of agreeing with itself.
constexpr IID kApplicationEvents11 = {
    0x0006302C, 0, 0, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kInspectorsEvents = {
    0x00063079, 0, 0, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kItemsEvents = {0x00063077, 0, 0, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kItemEvents10 = {0x0006302B, 0, 0, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kInspectorEvents10 = {
    0x0006302A, 0, 0, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kCommandBarButtonEvents = {
    0x000C0351, 0, 0, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// A call the object model itself refuses (wrong argument count or type), before the sim sees it.
struct DispError {
  HRESULT hr;
};

// The arguments of one call, in their declared order; missing optional ones are VT_ERROR.
class Args {
 public:
  explicit Args(std::vector<VARIANT*> args) : args_(std::move(args)) {}
  std::size_t size() const { return args_.size(); }
  bool Given(std::size_t i) const {
    if (i >= args_.size()) return false;
    const VARIANT* v = args_[i];
    return !(V_VT(v) == VT_ERROR && V_ERROR(v) == DISP_E_PARAMNOTFOUND);
  }
  std::wstring Text(std::size_t i) const {
    com::unique_variant converted;
    Convert(i, VT_BSTR, converted);
    const BSTR b = V_BSTR(converted.get());
    return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
  }
  int Int(std::size_t i) const {
    com::unique_variant converted;
    Convert(i, VT_I4, converted);
    return V_I4(converted.get());
  }
  host::DateTime Date(std::size_t i) const {
    com::unique_variant converted;
    Convert(i, VT_DATE, converted);
    SYSTEMTIME time{};
    if (!VariantTimeToSystemTime(V_DATE(converted.get()), &time)) throw DispError{E_INVALIDARG};
    return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
  }
  bool Bool(std::size_t i) const {
    com::unique_variant converted;
    Convert(i, VT_BOOL, converted);
    return V_BOOL(converted.get()) != VARIANT_FALSE;
  }

 private:
  void Convert(std::size_t i, VARTYPE type, com::unique_variant& out) const {
    if (!Given(i)) throw DispError{DISP_E_PARAMNOTOPTIONAL};
    if (FAILED(VariantChangeType(out.get(), args_[i], 0, type)))
      throw DispError{DISP_E_TYPEMISMATCH};
  }
  std::vector<VARIANT*> args_;
};

inline void ReturnObject(VARIANT* result, com_ptr<IDispatch> object) {
  if (!result) return;
  V_VT(result) = VT_DISPATCH;
  V_DISPATCH(result) = object.detach();  // a null reference is Outlook's "Nothing"
}
inline void ReturnText(VARIANT* result, const std::wstring& text) {
  if (!result) return;
  V_VT(result) = VT_BSTR;
  V_BSTR(result) = unique_bstr(text).release();
}
inline void ReturnInt(VARIANT* result, int value) {
  if (!result) return;
  V_VT(result) = VT_I4;
  V_I4(result) = value;
}
inline void ReturnBool(VARIANT* result, bool value) {
  if (!result) return;
  V_VT(result) = VT_BOOL;
  V_BOOL(result) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

struct Member {
  std::wstring name;
  std::size_t max_args = 0;
  // A method or a property get; null for a put-only property.
  std::function<void(const Args&, VARIANT* result)> get;
  // A property put: the value and the other arguments.
  std::function<void(const VARIANT& value, const Args&)> put;
  // When set, answers every call itself, as it came: a scripted object's way to see call shapes
  // the served members refuse.
  std::function<HRESULT(WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*)> raw = {};
};

// Connects a sink (already asked for the event interface) to the sim's event.
using AdviseFn = std::function<host::Subscription(com_ptr<IDispatch> sink)>;

inline void FillExcepInfo(EXCEPINFO* info, const host::Failure& failure) {
  if (!info) return;
  *info = EXCEPINFO{};
  const auto number = failure.Number();
  info->scode = number < 0 ? static_cast<SCODE>(number)
                           : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number & 0xFFFF);
  info->bstrSource = SysAllocString(L"Microsoft Outlook");
  info->bstrDescription = unique_bstr(failure.Description()).release();
}

// IDispatch (and IConnectionPointContainer when it raises events) over a member table.
template <class Interface>
class Served : public com::ComObject<Served<Interface>, Interface, IConnectionPointContainer> {
  using Base = com::ComObject<Served<Interface>, Interface, IConnectionPointContainer>;

 public:
  Served(std::vector<Member> members, const IID* events, AdviseFn advise)
      : members_(std::move(members)), has_events_(events != nullptr), advise_(std::move(advise)) {
    if (events) events_ = *events;
    ++Counters().live;
    ++Counters().made;
  }
  virtual ~Served() {
    sinks_.clear();
    --Counters().live;
  }

  // A source that will not let go: Unadvise fails and the sink stays connected.
  bool refuse_unadvise = false;

  void* Find(REFIID riid) noexcept {
    if (riid == IID_IDispatch) return static_cast<Interface*>(this);
    if (riid == IID_IConnectionPointContainer && !has_events_) return nullptr;
    return Base::Find(riid);
  }

  // ---- IDispatch ----
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    ++Counters().names;
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (std::size_t m = 0; m < members_.size(); ++m)
      if (_wcsicmp(members_[m].name.c_str(), names[0]) == 0) {
        ids[0] = static_cast<DISPID>(m + 1);
        // Named arguments are not served.
        return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
      }
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT*) override {
    ++Counters().invokes;
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (id < 1 || static_cast<std::size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
    if (!params) return E_POINTER;
    const Member member = members_[id - 1];
    auto self = com_ptr<IUnknown>::retain(static_cast<Interface*>(this));
    try {
      if (member.raw) return member.raw(flags, params, result, info);
      if (result) VariantInit(result);
      const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
      if (put) {
        if (!member.put) return DISP_E_MEMBERNOTFOUND;
        if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
            params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT || params->cArgs < 1)
          return DISP_E_PARAMNOTOPTIONAL;
        std::vector<VARIANT*> rest;
        for (UINT i = params->cArgs; i > 1; --i) rest.push_back(&params->rgvarg[i - 1]);
        member.put(params->rgvarg[0], Args(std::move(rest)));
        return S_OK;
      }
      if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) || !member.get)
        return DISP_E_MEMBERNOTFOUND;
      if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
      if (params->cArgs > member.max_args) return DISP_E_BADPARAMCOUNT;
      std::vector<VARIANT*> args;
      for (UINT i = params->cArgs; i > 0; --i) args.push_back(&params->rgvarg[i - 1]);
      member.get(Args(std::move(args)), result);
      return S_OK;
    } catch (const DispError& error) {
      return error.hr;
    } catch (const host::Failure& failure) {
      if (result) VariantClear(result);
      FillExcepInfo(info, failure);
      return DISP_E_EXCEPTION;
    } catch (...) {
      return E_UNEXPECTED;
    }
  }

  // ---- IConnectionPointContainer ----
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!has_events_ || riid != events_) return CONNECT_E_NOCONNECTION;
    try {
      *out = new Point(this);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

 private:
  // A point holds its source, whose sinks it connects.
  class Point final : public com::ComObject<Point, IConnectionPoint> {
   public:
    explicit Point(Served* source) noexcept
        : owner_(source), source_(com_ptr<IConnectionPointContainer>::retain(source)) {}

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
      if (!iid) return E_POINTER;
      *iid = owner_->events_;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** out) override {
      if (!out) return E_POINTER;
      *out = com_ptr<IConnectionPointContainer>(source_).detach();
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
      if (!sink || !cookie) return E_POINTER;
      *cookie = 0;
      com_ptr<IDispatch> events;
      // Outlook asks the sink for the event interface itself.
      if (FAILED(sink->QueryInterface(owner_->events_, events.put_void())))
        return CONNECT_E_CANNOTCONNECT;
      try {
        auto subscription = owner_->advise_(std::move(events));
        *cookie = owner_->next_cookie_++;
        owner_->sinks_.emplace(*cookie, std::move(subscription));
        ++Counters().connections;
        return S_OK;
      } catch (const host::Failure&) {
        return CONNECT_E_ADVISELIMIT;
      } catch (...) {
        return E_UNEXPECTED;
      }
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
      if (owner_->refuse_unadvise) return E_FAIL;
      auto found = owner_->sinks_.find(cookie);
      if (found == owner_->sinks_.end()) return CONNECT_E_NOCONNECTION;
      host::Subscription subscription = std::move(found->second);
      owner_->sinks_.erase(found);
      --Counters().connections;
      subscription.Reset();
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override {
      if (out) *out = nullptr;
      return E_NOTIMPL;
    }

   private:
    Served* owner_;
    com_ptr<IConnectionPointContainer> source_;  // the owner, held while the point lives
  };

  std::vector<Member> members_;
  bool has_events_;
  IID events_{};
  AdviseFn advise_;
  std::map<DWORD, host::Subscription> sinks_;
  DWORD next_cookie_ = 1;
};

template <class Interface = IDispatch>
com_ptr<IDispatch> Make(std::vector<Member> members, const IID* events = nullptr,
                        AdviseFn advise = {}) {
  return com_ptr<IDispatch>::adopt(
      new Served<Interface>(std::move(members), events, std::move(advise)));
}

// Raises one event on a sink; its failure goes back to the sim's event source.
inline void Raise(IDispatch* sink, DISPID id, std::vector<VARIANT> args_last_first) {
  ++Counters().events;
  DISPPARAMS params{args_last_first.data(), nullptr, static_cast<UINT>(args_last_first.size()), 0};
  EXCEPINFO info{};
  UINT bad = 0;
  const HRESULT hr = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                  nullptr, &info, &bad);
  if (FAILED(hr)) throw FailureOf(hr, &info);
}

inline VARIANT ObjectArg(IDispatch* object) {
  VARIANT v;
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = object;  // borrowed for the call
  return v;
}

// One wrapper per host interface (served.cpp: Outlook and Word; served_office.cpp: Office's
// command bars), each an IDispatch with the object model's member names.
com_ptr<IDispatch> Serve(const Ref<host::UserProperty>&);
com_ptr<IDispatch> Serve(const Ref<host::UserPropertyCollection>&);
com_ptr<IDispatch> Serve(const Ref<host::AttachmentCollection>&);
com_ptr<IDispatch> Serve(const Ref<host::WordSelection>&);
com_ptr<IDispatch> Serve(const Ref<host::WordRange>&);
com_ptr<IDispatch> Serve(const Ref<host::WordWindow>&);
com_ptr<IDispatch> Serve(const Ref<host::WordDocument>&);
com_ptr<IDispatch> Serve(const Ref<host::Inspector>&);
com_ptr<IDispatch> Serve(const Ref<host::Item>&);
com_ptr<IDispatch> Serve(const Ref<host::InspectorCollection>&);
com_ptr<IDispatch> Serve(const Ref<host::ItemCollection>&);
com_ptr<IDispatch> Serve(const Ref<host::FolderCollection>&);
com_ptr<IDispatch> Serve(const Ref<host::Folder>&);
com_ptr<IDispatch> Serve(const Ref<host::Namespace>&);
com_ptr<IDispatch> Serve(const Ref<host::ItemSelection>&);
com_ptr<IDispatch> Serve(const Ref<host::Explorer>&);
com_ptr<IDispatch> Serve(const Ref<host::CommandBarControl>&);
com_ptr<IDispatch> Serve(const Ref<host::CommandBarControlCollection>&);
com_ptr<IDispatch> Serve(const Ref<host::CommandBar>&);

template <class T>
com_ptr<IDispatch> ServeOrNothing(const Ref<T>& ref) {
  return ref ? Serve(ref) : com_ptr<IDispatch>();
}

// A member answering a served object.
template <class Get>
Member Object(std::wstring name, std::size_t max_args, Get get) {
  return {std::move(name),
          max_args,
          [get](const Args& args, VARIANT* result) { ReturnObject(result, get(args)); },
          {}};
}
template <class Get>
Member TextGet(std::wstring name, Get get) {
  return {
      std::move(name), 0, [get](const Args&, VARIANT* result) { ReturnText(result, get()); }, {}};
}
// A property read and written: `answer` returns its value, `take` reads the one put.
template <auto answer, auto take, class Get, class Put>
Member Property(std::wstring name, Get get, Put put) {
  return {std::move(name), 0, [get](const Args&, VARIANT* result) { answer(result, get()); },
          [put](const VARIANT& value, const Args&) {
            std::vector<VARIANT*> one{const_cast<VARIANT*>(&value)};
            put((Args(std::move(one)).*take)(0));
          }};
}
template <class Get, class Put>
Member IntProperty(std::wstring name, Get get, Put put) {
  return Property<&ReturnInt, &Args::Int>(std::move(name), get, put);
}
template <class Get, class Put>
Member TextProperty(std::wstring name, Get get, Put put) {
  return Property<&ReturnText, &Args::Text>(std::move(name), get, put);
}
template <class Run>
Member Method(std::wstring name, std::size_t max_args, Run run) {
  return {std::move(name), max_args, [run](const Args& args, VARIANT*) { run(args); }, {}};
}
template <class Put>
Member PutOnly(std::wstring name, Put put) {
  return {std::move(name), 0, nullptr, [put](const VARIANT& value, const Args&) {
            std::vector<VARIANT*> one{const_cast<VARIANT*>(&value)};
            put(Args(std::move(one)));
          }};
}

}  // namespace fenmark::wintest::served
