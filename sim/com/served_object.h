#pragma once
// The machinery of the served objects: IDispatch over a table of members, with connection points
// for the members that raise events.

#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <map>
#include <new>
#include <optional>
#include <type_traits>
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
// Outlook's and Office's interfaces are {xxxxxxxx-0000-0000-C000-000000000046}.
constexpr IID OfficeIid(unsigned long first) {
  return {first, 0, 0, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}
constexpr IID kApplicationEvents11 = OfficeIid(0x0006302C);
constexpr IID kInspectorsEvents = OfficeIid(0x00063079);
constexpr IID kItemsEvents = OfficeIid(0x00063077);
constexpr IID kItemEvents10 = OfficeIid(0x0006302B);
constexpr IID kInspectorEvents10 = OfficeIid(0x0006302A);
constexpr IID kCommandBarButtonEvents = OfficeIid(0x000C0351);

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
    return i < args_.size() &&
           !(V_VT(args_[i]) == VT_ERROR && V_ERROR(args_[i]) == DISP_E_PARAMNOTFOUND);
  }
  std::wstring Text(std::size_t i) const {
    const auto converted = Converted(i, VT_BSTR);
    const BSTR b = V_BSTR(converted.get());
    return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
  }
  int Int(std::size_t i) const { return V_I4(Converted(i, VT_I4).get()); }
  bool Bool(std::size_t i) const { return V_BOOL(Converted(i, VT_BOOL).get()) != VARIANT_FALSE; }
  host::DateTime Date(std::size_t i) const {
    SYSTEMTIME time{};
    if (!VariantTimeToSystemTime(V_DATE(Converted(i, VT_DATE).get()), &time))
      throw DispError{E_INVALIDARG};
    return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
  }
  // The argument as a host method's parameter of type T takes it.
  template <class T>
  T As(std::size_t i) const {
    if constexpr (std::is_same_v<T, int>)
      return Int(i);
    else if constexpr (std::is_same_v<T, bool>)
      return Bool(i);
    else if constexpr (std::is_same_v<T, host::DateTime>)
      return Date(i);
    else
      return Text(i);
  }

 private:
  com::unique_variant Converted(std::size_t i, VARTYPE type) const {
    if (!Given(i)) throw DispError{DISP_E_PARAMNOTOPTIONAL};
    com::unique_variant out;
    if (FAILED(VariantChangeType(out.get(), args_[i], 0, type)))
      throw DispError{DISP_E_TYPEMISMATCH};
    return out;
  }
  std::vector<VARIANT*> args_;
};

// A call's answer, by the type of the value.
inline void Return(VARIANT* result, com_ptr<IDispatch> object) {
  if (!result) return;
  V_VT(result) = VT_DISPATCH;
  V_DISPATCH(result) = object.detach();  // a null reference is Outlook's "Nothing"
}
inline void Return(VARIANT* result, const std::wstring& text) {
  if (!result) return;
  V_VT(result) = VT_BSTR;
  V_BSTR(result) = unique_bstr(text).release();
}
inline void Return(VARIANT* result, int value) {
  if (!result) return;
  V_VT(result) = VT_I4;
  V_I4(result) = value;
}
inline void Return(VARIANT* result, bool value) {
  if (!result) return;
  V_VT(result) = VT_BOOL;
  V_BOOL(result) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

struct Member {
  std::wstring name;
  std::size_t max_args = 0;
  // A method or a property get; null for a put-only property.
  std::function<void(const Args&, VARIANT* result)> get;
  // A property put, with the value alone: no served property takes an index.
  std::function<void(const Args& value)> put = {};
  // When set, answers every call itself, as it came: a scripted object's way to see call shapes
  // the served members refuse.
  std::function<HRESULT(WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*)> raw = {};
};

// Connects a sink (already asked for the event interface) to the sim's event.
using AdviseFn = std::function<host::Subscription(com_ptr<IDispatch> sink)>;

// A failure of the sim as Outlook reports it: the runtime's small numbers as control-facility
// codes.
inline HRESULT HresultOfFailure(const host::Failure& failure) {
  const auto number = failure.Number();
  return number < 0 ? static_cast<HRESULT>(number)
                    : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number & 0xFFFF);
}

inline void FillExcepInfo(EXCEPINFO* info, const host::Failure& failure) {
  if (!info) return;
  *info = EXCEPINFO{};
  info->scode = HresultOfFailure(failure);
  info->bstrSource = SysAllocString(L"Microsoft Outlook");
  info->bstrDescription = unique_bstr(failure.Description()).release();
}

// IDispatch (and IConnectionPointContainer when it raises events) over a member table.
template <class Interface>
class Served : public com::ComObject<Served<Interface>, Interface, IConnectionPointContainer> {
  using Base = com::ComObject<Served<Interface>, Interface, IConnectionPointContainer>;

 public:
  explicit Served(std::vector<Member> members, const IID* events = nullptr, AdviseFn advise = {})
      : members_(std::move(members)),
        events_(events ? std::optional<IID>(*events) : std::nullopt),
        advise_(std::move(advise)) {
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
    if (riid == IID_IConnectionPointContainer && !events_) return nullptr;
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
      if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (!member.put) return DISP_E_MEMBERNOTFOUND;
        if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
            params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT || params->cArgs < 1)
          return DISP_E_PARAMNOTOPTIONAL;
        member.put(Args({&params->rgvarg[0]}));
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
    if (!events_ || riid != *events_) return CONNECT_E_NOCONNECTION;
    *out = new (std::nothrow) Point(this);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

 private:
  // A point holds its source, whose sinks it connects.
  class Point final : public com::ComObject<Point, IConnectionPoint> {
   public:
    explicit Point(Served* source) noexcept : owner_(com_ptr<Served>::retain(source)) {}

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
      if (!iid) return E_POINTER;
      *iid = *owner_->events_;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** out) override {
      if (!out) return E_POINTER;
      *out = com_ptr<IConnectionPointContainer>::retain(owner_.get()).detach();
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
      if (!sink || !cookie) return E_POINTER;
      *cookie = 0;
      com_ptr<IDispatch> events;
      // Outlook asks the sink for the event interface itself.
      if (FAILED(sink->QueryInterface(*owner_->events_, events.put_void())))
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
    com_ptr<Served> owner_;  // held while the point lives
  };

  std::vector<Member> members_;
  std::optional<IID> events_;
  AdviseFn advise_;
  std::map<DWORD, host::Subscription> sinks_;
  DWORD next_cookie_ = 1;
};

inline com_ptr<IDispatch> Make(std::vector<Member> members, const IID* events = nullptr,
                               AdviseFn advise = {}) {
  return com_ptr<IDispatch>::adopt(
      new Served<IDispatch>(std::move(members), events, std::move(advise)));
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

template <class T>
void Return(VARIANT* result, const Ref<T>& object) {
  Return(result, ServeOrNothing(object));
}

// A method or a property get: `run` takes the call's arguments, and what it returns, if anything,
// is the answer.
template <class Run>
Member Method(std::wstring name, std::size_t max_args, Run run) {
  return {std::move(name), max_args, [run](const Args& args, VARIANT* result) {
            if constexpr (std::is_void_v<decltype(run(args))>)
              run(args);
            else
              Return(result, run(args));
          }};
}
// A member that calls the host object's method of the same meaning, which takes at most one
// argument, converted to the method's parameter.
template <class T, class R, class... P>
Member Call(std::wstring name, const Ref<T>& object, R (T::*method)(P...)) {
  static_assert(sizeof...(P) <= 1);
  return Method(std::move(name), sizeof...(P), [object, method](const Args& args) {
    return ((*object).*method)(args.As<std::decay_t<P>>(0)...);
  });
}
template <class T, class V>
Member PutOnly(std::wstring name, const Ref<T>& object, void (T::*set)(V)) {
  return {std::move(name), 0, nullptr,
          [object, set](const Args& value) { ((*object).*set)(value.As<std::decay_t<V>>(0)); }};
}
// A property read and written.
template <class T, class R, class V>
Member Property(std::wstring name, const Ref<T>& object, R (T::*get)(), void (T::*set)(V)) {
  Member member = Call(name, object, get);
  member.put = PutOnly(std::move(name), object, set).put;
  return member;
}

// An event's argument as the sink gets it: a host object served for the call, or a Boolean by
// reference, which takes back what the sink left in it once the call has succeeded.
class EventArg {
 public:
  template <class T>
  explicit EventArg(const Ref<T>& object) : object_(ServeOrNothing(object)) {}
  explicit EventArg(bool& value) : value_(&value), flag_(value ? VARIANT_TRUE : VARIANT_FALSE) {}
  VARIANT Variant() {
    VARIANT v;
    if (value_) {
      V_VT(&v) = VT_BOOL | VT_BYREF;
      V_BOOLREF(&v) = &flag_;
    } else {
      V_VT(&v) = VT_DISPATCH;
      V_DISPATCH(&v) = object_.get();  // borrowed for the call
    }
    return v;
  }
  void TakeBack() const {
    if (value_) *value_ = flag_ != VARIANT_FALSE;
  }

 private:
  com_ptr<IDispatch> object_;
  bool* value_ = nullptr;
  VARIANT_BOOL flag_ = VARIANT_FALSE;
};

// Raises one event on a sink, its arguments in their declared order; a failure goes back to the
// sim's event source.
inline void Raise(IDispatch* sink, DISPID id, std::vector<EventArg> args) {
  ++Counters().events;
  std::vector<VARIANT> last_first;
  for (auto arg = args.rbegin(); arg != args.rend(); ++arg) last_first.push_back(arg->Variant());
  CallMethod(sink, id, std::move(last_first), nullptr);
  for (const EventArg& arg : args) arg.TakeBack();
}

// Connects each sink to the sim's event `on` of `source`, raised on the sink as `id`.
template <class T, class... A>
AdviseFn RaiseOn(const Ref<T>& source, host::Subscription (T::*on)(std::function<void(A...)>),
                 DISPID id) {
  return [source, on, id](com_ptr<IDispatch> sink) {
    return ((*source).*on)([sink, id](A... args) { Raise(sink.get(), id, {EventArg(args)...}); });
  };
}

}  // namespace fenmark::wintest::served
