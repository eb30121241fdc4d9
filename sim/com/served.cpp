#include "sim/com/served.h"

#include <ocidl.h>
#include <olectl.h>

#include <fstream>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "addin/com/office_interfaces.h"

namespace fenmark::wintest {

using com::com_ptr;
using com::unique_bstr;
using host::Ref;

ServedCounters& Counters() {
  static ServedCounters counters;
  return counters;
}

namespace {

sim::Outlook* g_mirror = nullptr;

constexpr IID kApplicationEvents11 = {
    0x0006302C, 0, 0, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kInspectorsEvents = {
    0x00063079, 0, 0, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kItemsEvents = {0x00063077, 0, 0, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kItemEvents10 = {0x0006302B, 0, 0, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
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

void ReturnObject(VARIANT* result, com_ptr<IDispatch> object) {
  if (!result) return;
  V_VT(result) = VT_DISPATCH;
  V_DISPATCH(result) = object.detach();  // a null reference is Outlook's "Nothing"
}
void ReturnText(VARIANT* result, const std::wstring& text) {
  if (!result) return;
  V_VT(result) = VT_BSTR;
  V_BSTR(result) = unique_bstr(text).release();
}
void ReturnInt(VARIANT* result, int value) {
  if (!result) return;
  V_VT(result) = VT_I4;
  V_I4(result) = value;
}
void ReturnBool(VARIANT* result, bool value) {
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
};

// Connects a sink (already asked for the event interface) to the sim's event.
using AdviseFn = std::function<host::Subscription(com_ptr<IDispatch> sink)>;

void FillExcepInfo(EXCEPINFO* info, const host::Failure& failure) {
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
class Served : public Interface, public IConnectionPointContainer {
 public:
  Served(std::vector<Member> members, const IID* events, AdviseFn advise)
      : members_(std::move(members)), has_events_(events != nullptr), advise_(std::move(advise)) {
    if (events) events_ = *events;
    point_.owner = this;
    ++Counters().live;
    ++Counters().made;
  }
  virtual ~Served() {
    point_.sinks.clear();
    --Counters().live;
  }

  // ---- IUnknown ----
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(Interface))
      *out = static_cast<Interface*>(this);
    else if (riid == IID_IConnectionPointContainer && has_events_)
      *out = static_cast<IConnectionPointContainer*>(this);
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
    if (result) VariantInit(result);
    const Member member = members_[id - 1];
    auto self = com_ptr<IUnknown>::retain(static_cast<Interface*>(this));
    try {
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
    *out = &point_;
    point_.AddRef();
    return S_OK;
  }

 private:
  struct Point final : IConnectionPoint {
    Served* owner = nullptr;
    std::map<DWORD, host::Subscription> sinks;
    DWORD next_cookie = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
      if (!out) return E_POINTER;
      if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *out = this;
        AddRef();
        return S_OK;
      }
      *out = nullptr;
      return E_NOINTERFACE;
    }
    // The point lives inside its object and shares its count.
    ULONG STDMETHODCALLTYPE AddRef() override { return owner->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner->Release(); }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
      if (!iid) return E_POINTER;
      *iid = owner->events_;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** out) override {
      if (!out) return E_POINTER;
      *out = owner;
      owner->AddRef();
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
      if (!sink || !cookie) return E_POINTER;
      *cookie = 0;
      com_ptr<IDispatch> events;
      // Outlook asks the sink for the event interface itself.
      if (FAILED(sink->QueryInterface(owner->events_, events.put_void())))
        return CONNECT_E_CANNOTCONNECT;
      try {
        auto subscription = owner->advise_(std::move(events));
        *cookie = next_cookie++;
        sinks.emplace(*cookie, std::move(subscription));
        ++Counters().connections;
        return S_OK;
      } catch (const host::Failure&) {
        return CONNECT_E_ADVISELIMIT;
      } catch (...) {
        return E_UNEXPECTED;
      }
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
      auto found = sinks.find(cookie);
      if (found == sinks.end()) return CONNECT_E_NOCONNECTION;
      // Dropped after the erase: the disconnection may release the last outside reference.
      auto keep = com_ptr<IUnknown>::retain(static_cast<Interface*>(owner));
      host::Subscription subscription = std::move(found->second);
      sinks.erase(found);
      --Counters().connections;
      subscription.Reset();
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override {
      if (out) *out = nullptr;
      return E_NOTIMPL;
    }
  };

  ULONG refs_ = 1;
  std::vector<Member> members_;
  bool has_events_;
  IID events_{};
  AdviseFn advise_;
  Point point_;
};

template <class Interface = IDispatch>
com_ptr<IDispatch> Make(std::vector<Member> members, const IID* events = nullptr,
                        AdviseFn advise = {}) {
  return com_ptr<IDispatch>::adopt(
      new Served<Interface>(std::move(members), events, std::move(advise)));
}

// Raises one event on a sink; its failure goes back to the sim's event source.
void Raise(IDispatch* sink, DISPID id, std::vector<VARIANT> args_last_first) {
  ++Counters().events;
  DISPPARAMS params{args_last_first.data(), nullptr, static_cast<UINT>(args_last_first.size()), 0};
  EXCEPINFO info{};
  UINT bad = 0;
  const HRESULT hr = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                  nullptr, &info, &bad);
  if (FAILED(hr)) throw FailureOf(hr, &info);
}

VARIANT ObjectArg(IDispatch* object) {
  VARIANT v;
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = object;  // borrowed for the call
  return v;
}

// ---- one wrapper per host interface ----

com_ptr<IDispatch> Serve(const Ref<host::UserProperty>&);
com_ptr<IDispatch> Serve(const Ref<host::UserPropertyCollection>&);
com_ptr<IDispatch> Serve(const Ref<host::AttachmentCollection>&);
com_ptr<IDispatch> Serve(const Ref<host::WordSelection>&);
com_ptr<IDispatch> Serve(const Ref<host::WordWindow>&);
com_ptr<IDispatch> Serve(const Ref<host::WordDocument>&);
com_ptr<IDispatch> Serve(const Ref<host::Inspector>&);
com_ptr<IDispatch> Serve(const Ref<host::Item>&);
com_ptr<IDispatch> Serve(const Ref<host::InspectorCollection>&);
com_ptr<IDispatch> Serve(const Ref<host::ItemCollection>&);
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

com_ptr<IDispatch> Serve(const Ref<host::UserProperty>& property) {
  return Make(
      {{L"Value", 0, [property](const Args&, VARIANT* r) { ReturnText(r, property->Value()); },
        [property](const VARIANT& value, const Args&) {
          std::vector<VARIANT*> one{const_cast<VARIANT*>(&value)};
          property->SetValue(Args(std::move(one)).Text(0));
        }}});
}

com_ptr<IDispatch> Serve(const Ref<host::UserPropertyCollection>& properties) {
  return Make({
      // Add(Name, Type, AddToFolderFields, DisplayFormat)
      Object(L"Add", 4,
             [properties](const Args& a) {
               if (a.Given(2) || a.Given(3)) throw DispError{E_INVALIDARG};
               return ServeOrNothing(properties->Add(a.Text(0), a.Int(1)));
             }),
      Object(L"Item", 1,
             [properties](const Args& a) { return ServeOrNothing(properties->Item(a.Text(0))); }),
  });
}

com_ptr<IDispatch> Serve(const Ref<host::AttachmentCollection>& attachments) {
  // Add(Source, Type, Position, DisplayName)
  return Make({Object(L"Add", 4, [attachments](const Args& a) {
    if (a.Given(1) || a.Given(2)) throw DispError{E_INVALIDARG};
    attachments->Add(a.Text(0), a.Given(3) ? a.Text(3) : std::wstring());
    return com_ptr<IDispatch>();
  })});
}

com_ptr<IDispatch> Serve(const Ref<host::WordSelection>& selection) {
  return Make({
      Method(L"TypeText", 1, [selection](const Args& a) { selection->TypeText(a.Text(0)); }),
      // InsertFile(FileName, Range, ConfirmConversions, Link, Attachment)
      Method(L"InsertFile", 5,
             [selection](const Args& a) {
               if (a.Given(4) && a.Bool(4)) throw DispError{E_INVALIDARG};
               selection->InsertFile(a.Text(0));
             }),
      // HomeKey(Unit, Extend)
      Method(L"HomeKey", 2,
             [selection](const Args& a) { selection->HomeKey(a.Given(0) ? a.Int(0) : 5); }),
  });
}

com_ptr<IDispatch> Serve(const Ref<host::WordWindow>& window) {
  return Make({Object(L"Selection", 0,
                      [window](const Args&) { return ServeOrNothing(window->Selection()); })});
}

com_ptr<IDispatch> Serve(const Ref<host::WordDocument>& document) {
  // Document.Windows is a collection; its Item(index) is the window.
  auto windows = [document](const Args&) {
    return Make({Object(L"Item", 1, [document](const Args& a) {
      return ServeOrNothing(document->Windows(a.Int(0)));
    })});
  };
  return Make({{L"Windows",
                1,
                [document, windows](const Args& a, VARIANT* r) {
                  if (a.size() == 1)
                    ReturnObject(r, ServeOrNothing(document->Windows(a.Int(0))));
                  else
                    ReturnObject(r, windows(a));
                },
                {}}});
}

com_ptr<IDispatch> Serve(const Ref<host::Inspector>& inspector) {
  return Make({
      Object(L"CurrentItem", 0,
             [inspector](const Args&) { return ServeOrNothing(inspector->CurrentItem()); }),
      Object(L"WordEditor", 0,
             [inspector](const Args&) { return ServeOrNothing(inspector->WordEditor()); }),
      Method(L"Activate", 0, [inspector](const Args&) { inspector->Activate(); }),
  });
}

// The file the sim wrote, also where the real file system's callers look for it.
void MirrorFile(const std::wstring& path) {
  if (!g_mirror) return;
  auto bytes = g_mirror->FileBytes(path);
  if (!bytes) return;
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes->data()),
            static_cast<std::streamsize>(bytes->size()));
}

com_ptr<IDispatch> Serve(const Ref<host::Item>& item) {
  std::vector<Member> members = {
      {L"Class", 0, [item](const Args&, VARIANT* r) { ReturnInt(r, item->Class()); }, {}},
      TextGet(L"EntryID", [item] { return item->EntryID(); }),
      {L"Subject", 0, [item](const Args&, VARIANT* r) { ReturnText(r, item->Subject()); },
       [item](const VARIANT& value, const Args&) {
         std::vector<VARIANT*> one{const_cast<VARIANT*>(&value)};
         item->SetSubject(Args(std::move(one)).Text(0));
       }},
      TextGet(L"Body", [item] { return item->Body(); }),
      Object(L"UserProperties", 0,
             [item](const Args&) { return ServeOrNothing(item->UserProperties()); }),
      Method(L"Save", 0, [item](const Args&) { item->Save(); }),
      // SaveAs(Path, Type)
      Method(L"SaveAs", 2,
             [item](const Args& a) {
               const std::wstring path = a.Text(0);
               item->SaveAs(path, a.Given(1) ? a.Int(1) : host::kOlMsg);
               MirrorFile(path);
             }),
      Method(L"Close", 1, [item](const Args& a) { item->Close(a.Int(0)); }),
      Object(L"Attachments", 0,
             [item](const Args&) { return ServeOrNothing(item->Attachments()); }),
      Object(L"GetInspector", 0,
             [item](const Args&) { return ServeOrNothing(item->GetInspector()); }),
      // Display(Modal)
      Method(L"Display", 1,
             [item](const Args& a) {
               if (a.Given(0) && a.Bool(0)) throw DispError{E_INVALIDARG};
               item->Display();
             }),
      Method(L"MarkComplete", 0, [item](const Args&) { item->MarkComplete(); }),
      {L"Complete", 0, [item](const Args&, VARIANT* r) { ReturnBool(r, item->Complete()); }, {}},
      PutOnly(L"Status", [item](const Args& a) { item->SetStatus(a.Int(0)); }),
  };
  return Make(std::move(members), &kItemEvents10, [item](com_ptr<IDispatch> sink) {
    return item->OnWrite([sink](bool& cancel) {
      VARIANT_BOOL flag = cancel ? VARIANT_TRUE : VARIANT_FALSE;
      VARIANT arg;
      V_VT(&arg) = VT_BOOL | VT_BYREF;
      V_BOOLREF(&arg) = &flag;
      Raise(sink.get(), 0xF002, {arg});
      cancel = flag != VARIANT_FALSE;
    });
  });
}

com_ptr<IDispatch> Serve(const Ref<host::InspectorCollection>& inspectors) {
  return Make({}, &kInspectorsEvents, [inspectors](com_ptr<IDispatch> sink) {
    return inspectors->OnNewInspector([sink](const Ref<host::Inspector>& inspector) {
      auto served = ServeOrNothing(inspector);
      Raise(sink.get(), 0xF001, {ObjectArg(served.get())});
    });
  });
}

com_ptr<IDispatch> Serve(const Ref<host::ItemCollection>& items) {
  return Make({}, &kItemsEvents, [items](com_ptr<IDispatch> sink) {
    return items->OnItemAdd([sink](const Ref<host::Item>& item) {
      auto served = ServeOrNothing(item);
      Raise(sink.get(), 0xF001, {ObjectArg(served.get())});
    });
  });
}

com_ptr<IDispatch> Serve(const Ref<host::Folder>& folder) {
  return Make(
      {Object(L"Items", 0, [folder](const Args&) { return ServeOrNothing(folder->Items()); })});
}

com_ptr<IDispatch> Serve(const Ref<host::Namespace>& ns) {
  return Make({
      Object(L"GetDefaultFolder", 1,
             [ns](const Args& a) { return ServeOrNothing(ns->GetDefaultFolder(a.Int(0))); }),
      // GetItemFromID(EntryIDItem, EntryIDStore)
      Object(L"GetItemFromID", 2,
             [ns](const Args& a) {
               if (a.Given(1)) throw DispError{E_INVALIDARG};
               return ServeOrNothing(ns->GetItemFromID(a.Text(0)));
             }),
  });
}

com_ptr<IDispatch> Serve(const Ref<host::ItemSelection>& selection) {
  return Make({
      {L"Count", 0, [selection](const Args&, VARIANT* r) { ReturnInt(r, selection->Count()); }, {}},
      Object(L"Item", 1,
             [selection](const Args& a) { return ServeOrNothing(selection->Item(a.Int(0))); }),
  });
}

com_ptr<IDispatch> Serve(const Ref<host::Explorer>& explorer) {
  return Make({Object(L"Selection", 0,
                      [explorer](const Args&) { return ServeOrNothing(explorer->Selection()); })});
}

com_ptr<IDispatch> Serve(const Ref<host::CommandBarControl>& control) {
  auto text_put = [control](void (host::CommandBarControl::*set)(const std::wstring&)) {
    return [control, set](const Args& a) { ((*control).*set)(a.Text(0)); };
  };
  std::vector<Member> members = {
      PutOnly(L"Caption", text_put(&host::CommandBarControl::SetCaption)),
      PutOnly(L"Style", [control](const Args& a) { control->SetStyle(a.Int(0)); }),
      PutOnly(L"FaceId", [control](const Args& a) { control->SetFaceId(a.Int(0)); }),
      PutOnly(L"Tag", text_put(&host::CommandBarControl::SetTag)),
      {L"Parameter", 0, [control](const Args&, VARIANT* r) { ReturnText(r, control->Parameter()); },
       [control](const VARIANT& value, const Args&) {
         std::vector<VARIANT*> one{const_cast<VARIANT*>(&value)};
         control->SetParameter(Args(std::move(one)).Text(0));
       }},
      PutOnly(L"Enabled", [control](const Args& a) { control->SetEnabled(a.Bool(0)); }),
      PutOnly(L"OnAction", text_put(&host::CommandBarControl::SetOnAction)),
      PutOnly(L"BeginGroup", [control](const Args& a) { control->SetBeginGroup(a.Bool(0)); }),
  };
  return Make(std::move(members), &kCommandBarButtonEvents, [control](com_ptr<IDispatch> sink) {
    return control->OnClick([sink](const Ref<host::CommandBarControl>& ctrl, bool& cancel_default) {
      auto served = ServeOrNothing(ctrl);
      VARIANT_BOOL flag = cancel_default ? VARIANT_TRUE : VARIANT_FALSE;
      VARIANT cancel;
      V_VT(&cancel) = VT_BOOL | VT_BYREF;
      V_BOOLREF(&cancel) = &flag;
      Raise(sink.get(), 1, {cancel, ObjectArg(served.get())});
      cancel_default = flag != VARIANT_FALSE;
    });
  });
}

com_ptr<IDispatch> Serve(const Ref<host::CommandBarControlCollection>& controls) {
  return Make({
      // Add(Type, Id, Parameter, Before, Temporary)
      Object(L"Add", 5,
             [controls](const Args& a) {
               if (a.Given(1) || a.Given(2)) throw DispError{E_INVALIDARG};
               return ServeOrNothing(controls->Add(a.Given(0) ? a.Int(0) : host::kMsoControlButton,
                                                   a.Given(3) ? a.Int(3) : 0));
             }),
      Object(L"Item", 1,
             [controls](const Args& a) { return ServeOrNothing(controls->Item(a.Int(0))); }),
  });
}

com_ptr<IDispatch> Serve(const Ref<host::CommandBar>& bar) {
  return Make(
      {Object(L"Controls", 0, [bar](const Args&) { return ServeOrNothing(bar->Controls()); })});
}

// ---- the ribbon's objects, by Office's interfaces ----

template <class Body>
HRESULT Vtable(Body&& body) noexcept {
  ++Counters().vtable_calls;
  try {
    body();
    return S_OK;
  } catch (const host::Failure& failure) {
    const auto n = failure.Number();
    return n < 0 ? static_cast<HRESULT>(n)
                 : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, n & 0xFFFF);
  } catch (...) {
    return E_UNEXPECTED;
  }
}

class ServedRibbonUIObject final : public Served<com::IRibbonUI> {
 public:
  explicit ServedRibbonUIObject(Ref<host::RibbonUI> ui)
      : Served({Method(L"Invalidate", 0, [ui](const Args&) { ui->Invalidate(); })}, nullptr, {}),
        ui_(std::move(ui)) {}
  HRESULT STDMETHODCALLTYPE Invalidate() override {
    return Vtable([&] { ui_->Invalidate(); });
  }
  HRESULT STDMETHODCALLTYPE InvalidateControl(BSTR) override { return E_NOTIMPL; }

 private:
  Ref<host::RibbonUI> ui_;
};

class ServedRibbonControlObject final : public Served<com::IRibbonControl> {
 public:
  explicit ServedRibbonControlObject(Ref<host::RibbonControl> control)
      : Served({TextGet(L"Id", [control] { return control->Id(); }),
                Object(L"Context", 0, [](const Args&) { return com_ptr<IDispatch>(); }),
                TextGet(L"Tag", [] { return std::wstring(); })},
               nullptr, {}),
        control_(std::move(control)) {}
  HRESULT STDMETHODCALLTYPE get_Id(BSTR* id) override {
    if (!id) return E_POINTER;
    *id = nullptr;
    return Vtable([&] { *id = unique_bstr(control_->Id()).release(); });
  }
  HRESULT STDMETHODCALLTYPE get_Context(IDispatch** context) override {
    if (!context) return E_POINTER;
    *context = nullptr;
    return Vtable([] {});
  }
  HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) override {
    if (!tag) return E_POINTER;
    *tag = nullptr;
    return Vtable([&] { *tag = unique_bstr(L"").release(); });
  }

 private:
  Ref<host::RibbonControl> control_;
};

}  // namespace

void SetFileMirror(sim::Outlook* outlook) {
  g_mirror = outlook;
}

host::Failure FailureOf(HRESULT hr, EXCEPINFO* info) {
  unique_bstr source, description, help;
  HRESULT number = hr;
  if (info) {
    source = unique_bstr::adopt(info->bstrSource);
    description = unique_bstr::adopt(info->bstrDescription);
    help = unique_bstr::adopt(info->bstrHelpFile);
    info->bstrSource = info->bstrDescription = info->bstrHelpFile = nullptr;
    if (hr == DISP_E_EXCEPTION && info->scode != 0) number = info->scode;
  }
  std::int32_t code = number;
  if (HRESULT_FACILITY(number) == FACILITY_CONTROL) code = HRESULT_CODE(number);
  std::wstring text = description.str();
  if (text.empty()) {
    com_ptr<IErrorInfo> error;
    if (GetErrorInfo(0, error.put()) == S_OK && error) {
      unique_bstr posted;
      error->GetDescription(posted.put());
      text = posted.str();
    }
  }
  return host::Failure(code, text);
}

com_ptr<IDispatch> ServeApplication(const Ref<host::Application>& app) {
  std::vector<Member> members = {
      TextGet(L"Version", [app] { return app->Version(); }),
      Object(L"Inspectors", 0, [app](const Args&) { return ServeOrNothing(app->Inspectors()); }),
      Object(L"GetNamespace", 1,
             [app](const Args& a) { return ServeOrNothing(app->GetNamespace(a.Text(0))); }),
      Object(L"CreateItem", 1,
             [app](const Args& a) { return ServeOrNothing(app->CreateItem(a.Int(0))); }),
      // Outlook answers "no window" with Nothing; an empty variant here keeps the add-in honest
      // about both forms.
      {L"ActiveInspector",
       0,
       [app](const Args&, VARIANT* r) {
         auto inspector = app->ActiveInspector();
         if (inspector) ReturnObject(r, Serve(inspector));
       },
       {}},
      Object(L"ActiveExplorer", 0,
             [app](const Args&) { return ServeOrNothing(app->ActiveExplorer()); }),
  };
  return Make(std::move(members), &kApplicationEvents11, [app](com_ptr<IDispatch> sink) {
    return app->OnItemContextMenuDisplay([sink](const Ref<host::CommandBar>& bar,
                                                const Ref<host::ItemSelection>& selection) {
      auto served_bar = ServeOrNothing(bar);
      auto served_selection = ServeOrNothing(selection);
      Raise(sink.get(), 0xFB41, {ObjectArg(served_selection.get()), ObjectArg(served_bar.get())});
    });
  });
}

com_ptr<IDispatch> ServeRibbonUI(const Ref<host::RibbonUI>& ribbon) {
  if (!ribbon) return {};
  return com_ptr<IDispatch>::adopt(new ServedRibbonUIObject(ribbon));
}

com_ptr<IDispatch> ServeRibbonControl(const Ref<host::RibbonControl>& control) {
  if (!control) return {};
  return com_ptr<IDispatch>::adopt(new ServedRibbonControlObject(control));
}

}  // namespace fenmark::wintest
