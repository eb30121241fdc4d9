// Fenmark.dll against malformed calls and events (fenmark_com_tests DLL malformed): every _Connect
// member the type library declares, through IDispatch as method, get, put and putref, and every
// event the add-in sinks, each with its arguments missing, surplus, mistyped, empty, Nothing, a
// null BSTR, by reference through a null pointer, and an object that is no Outlook object. Every
// call comes back with an HRESULT and leaves no reference behind; a sink whose source will not let
// go passes nothing on; a host releasing the add-in during a message box does not pull it from
// under the handler.

#include <ocidl.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "addin/com/office_interfaces.h"
#include "fenmark_h.h"
#include "sim/com/message_boxes.h"
#include "sim/com/served_object.h"
#include "tests/win/check.h"

namespace fenmark::wintest {
namespace {

using com::com_ptr;

long g_calls = 0;
std::function<void()> g_on_box;

int WINAPI MessageBoxHook(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
  if (auto hook = std::exchange(g_on_box, nullptr)) hook();
  return RecordMessageBox(owner, text, caption, style);
}

VARIANT Var(VARTYPE vt, void* pointer = nullptr, LONG value = 0) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = vt;
  V_BYREF(&v) = pointer;
  if (vt == VT_I4 || vt == VT_ERROR) V_I4(&v) = value;
  return v;
}

// A member that takes anything and answers a copy of `value`.
served::Member Answer(const wchar_t* name, VARIANT value) {
  return {name, 0, {}, {}, [value](WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*) mutable {
            return result ? VariantCopy(result, &value) : S_OK;
          }};
}

// A scripted object; given an event interface, its sinks are here for the test to raise events on.
struct Fake {
  std::map<int, com_ptr<IDispatch>> sinks;
  int next = 0;
  com_ptr<served::Served<IDispatch>> object;
  explicit Fake(std::vector<served::Member> members, const IID* events = nullptr)
      : object(com_ptr<served::Served<IDispatch>>::adopt(new served::Served<IDispatch>(
            std::move(members), events, [this](com_ptr<IDispatch> sink) {
              sinks.emplace(++next, std::move(sink));
              return host::Subscription([this, id = next] { sinks.erase(id); });
            }))) {}
  IDispatch* get() const { return object.get(); }
  VARIANT Arg() const { return Var(VT_DISPATCH, get()); }
  ULONG references() const { return object->AddRef(), object->Release(); }
  // Raises an event on every sink; the first failure.
  HRESULT Raise(DISPID id, DISPPARAMS* params) {
    for (auto& [cookie, sink] : std::map(sinks))
      if (const HRESULT hr =
              sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, params, nullptr, nullptr, nullptr);
          FAILED(hr))
        return hr;
    return S_OK;
  }
  HRESULT Raise(DISPID id, std::vector<VARIANT> args_last_first) {
    DISPPARAMS params{args_last_first.data(), nullptr, UINT(args_last_first.size()), 0};
    return Raise(id, &params);
  }
};

// Every kind of argument the sweep passes; the by-reference ones through a null pointer last.
struct Kinds {
  BSTR text = SysAllocString(L"Budget");
  VARIANT_BOOL flag = VARIANT_FALSE;
  IDispatch* stranger;  // an object with no member at all
  std::vector<VARIANT> all;
  size_t missing = 0, null_refs = 0;
  explicit Kinds(IDispatch* no_outlook_object) : stranger(no_outlook_object) {
    const VARTYPE kByValue[] = {VT_EMPTY, VT_NULL,   VT_DISPATCH,     VT_BSTR,
                                VT_BOOL,  VT_RECORD, VT_ARRAY | VT_I4};
    for (VARTYPE vt : kByValue) all.push_back(Var(vt));
    for (auto [vt, pointer] : {std::pair<VARTYPE, void*>{VT_BSTR, text},
                               {VT_DISPATCH, stranger},
                               {VT_UNKNOWN, stranger},
                               {VT_BSTR | VT_BYREF, &text},
                               {VT_BOOL | VT_BYREF, &flag},
                               {VT_DISPATCH | VT_BYREF, &stranger}})
      all.push_back(Var(vt, pointer));
    all.push_back(Var(VT_I4, nullptr, 7));
    all.push_back(Var(VT_ERROR, nullptr, DISP_E_PARAMNOTFOUND));
    missing = all.size() - 1;
    null_refs = all.size();
    for (VARTYPE vt : {VT_DISPATCH, VT_UNKNOWN, VT_BSTR, VT_BOOL, VT_VARIANT})
      all.push_back(Var(vt | VT_BYREF));
  }
  ~Kinds() { SysFreeString(text); }
};

// Every kind in every position, from no argument to two beyond `declared`, then parameters that
// are malformed themselves. `expect(count, null_ref, missing)` is what a call must give, or S_OK
// where any answer will do.
template <class Call, class Expect>
void Sweep(UINT declared, bool put, Kinds& kinds, Call call, Expect expect) {
  for (size_t k = 0; k < kinds.all.size(); ++k) {
    for (UINT count = 0; count <= declared + 2; ++count, ++g_calls) {
      std::vector<VARIANT> args(count, kinds.all[k]);
      DISPID named = DISPID_PROPERTYPUT;
      DISPPARAMS params{args.data(), put && count ? &named : nullptr, count,
                        put && count ? 1u : 0u};
      const HRESULT hr = call(&params);
      const HRESULT expected = expect(count, k >= kinds.null_refs, k == kinds.missing);
      if (expected != S_OK) CHECK_HR(expected, hr);
    }
  }
  DISPPARAMS hollow{nullptr, nullptr, 1, 0};
  CHECK(FAILED(call(&hollow)));
  call(nullptr);
  g_calls += 2;
}

void SweepMembers(IDispatch* dispatch, Kinds& kinds) {
  com_ptr<ITypeInfo> info;
  if (!CHECK_HR(S_OK, dispatch->GetTypeInfo(0, 0, info.put()))) return;
  TYPEATTR* attributes = nullptr;
  info->GetTypeAttr(&attributes);
  std::vector<FUNCDESC*> funcs(attributes->cFuncs);
  info->ReleaseTypeAttr(attributes);
  for (UINT i = 0; i < funcs.size(); ++i) info->GetFuncDesc(i, &funcs[i]);
  const std::pair<WORD, INVOKEKIND> kAccess[] = {{DISPATCH_METHOD, INVOKE_FUNC},
                                                 {DISPATCH_PROPERTYGET, INVOKE_PROPERTYGET},
                                                 {DISPATCH_PROPERTYPUT, INVOKE_PROPERTYPUT},
                                                 {DISPATCH_PROPERTYPUTREF, INVOKE_PROPERTYPUTREF}};
  for (const FUNCDESC* declared : funcs) {
    for (auto [flags, kind] : kAccess) {
      const FUNCDESC* f = nullptr;  // the member this access reaches, if any
      for (const FUNCDESC* g : funcs)
        if (g->memid == declared->memid && g->invkind == kind) f = g;
      if (declared->invkind != INVOKE_FUNC && f != declared) continue;  // each property once
      const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
      UINT n = 0;
      while (f && n < UINT(f->cParams) &&
             !(f->lprgelemdescParam[n].paramdesc.wParamFlags & PARAMFLAG_FRETVAL))
        ++n;
      auto call = [&](DISPPARAMS* params) {
        com::unique_variant result;
        // An [out] argument as a caller may pass it: uninitialised, nothing in it to free.
        EXCEPINFO error;
        std::memset(&error, 0xA5, sizeof error);
        const HRESULT hr = dispatch->Invoke(declared->memid, IID_NULL, 0, flags, params,
                                            result.get(), &error, nullptr);
        if (hr != DISP_E_EXCEPTION) return hr;
        CHECK(FAILED(error.scode) && SysStringLen(error.bstrDescription));
        for (BSTR b : {error.bstrSource, error.bstrDescription, error.bstrHelpFile})
          SysFreeString(b);
        return hr;
      };
      Sweep(n, put, kinds, call, [&](UINT count, bool null_ref, bool missing) -> HRESULT {
        if (!f) return DISP_E_MEMBERNOTFOUND;
        if (count != n) return put && !count ? DISP_E_PARAMNOTFOUND : DISP_E_BADPARAMCOUNT;
        if (n && null_ref) return DISP_E_TYPEMISMATCH;
        return n && missing ? DISP_E_PARAMNOTOPTIONAL : S_OK;
      });
    }
  }
  for (FUNCDESC* f : funcs) info->ReleaseFuncDesc(f);
}

// The count the testing guide quotes is the one made here (FENMARK_COUNTS_DOC names the guide).
void CheckQuotedCount() {
  wchar_t doc[MAX_PATH * 2] = {};
  if (!GetEnvironmentVariableW(L"FENMARK_COUNTS_DOC", doc, MAX_PATH * 2)) return;
  std::ifstream in(FullPath(doc).c_str(), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  const std::string mark = "<!-- figure count.malformed -->";
  const auto at = text.find(mark);
  const long quoted = at == std::string::npos ? -1 : std::atol(text.c_str() + at + mark.size());
  if (!CHECK(quoted == g_calls))
    std::printf("the testing guide quotes %ld malformed calls; run scripts/figures\n", quoted);
}

void Run(const std::wstring& dll) {
  HMODULE module = LoadLibraryW(dll.c_str());
  if (!CHECK(module && PatchImport(module, "USER32.dll", "MessageBoxW",
                                   reinterpret_cast<void*>(&MessageBoxHook))))
    return;
  // An Outlook 12 with a task window open and the context menu of a mail shown.
  BSTR version = SysAllocString(L"12.0.6423.1000"), empty = SysAllocString(L"");
  std::vector<served::Member> button_members;
  for (const wchar_t* name : {L"Caption", L"Style", L"FaceId", L"Tag", L"Enabled", L"OnAction",
                              L"BeginGroup", L"Parameter"})
    button_members.push_back(Answer(name, Var(VT_BSTR, empty)));
  Fake button(button_members, &served::kCommandBarButtonEvents),
      controls({Answer(L"Add", button.Arg()), Answer(L"Item", button.Arg())}),
      bar({Answer(L"Controls", controls.Arg())}),
      mail({Answer(L"Class", Var(VT_I4, nullptr, 43)), Answer(L"EntryID", Var(VT_BSTR, empty))}),
      selection({Answer(L"Count", Var(VT_I4, nullptr, 1)), Answer(L"Item", mail.Arg())}),
      task({Answer(L"Class", Var(VT_I4, nullptr, 48))}, &served::kItemEvents10),
      inspector({Answer(L"CurrentItem", task.Arg())}), items({}, &served::kItemsEvents),
      folder({Answer(L"Items", items.Arg())}), ns({Answer(L"GetDefaultFolder", folder.Arg())}),
      inspectors({}, &served::kInspectorsEvents),
      app({Answer(L"Version", Var(VT_BSTR, version)), Answer(L"Inspectors", inspectors.Arg()),
           Answer(L"GetNamespace", ns.Arg())},
          &served::kApplicationEvents11),
      stranger({});

  Kinds kinds(stranger.get());
  {
    com_ptr<com::IDTExtensibility2> addin;
    CHECK_HR(S_OK, CoCreateInstance(CLSID_Connect, nullptr, CLSCTX_INPROC_SERVER,
                                    __uuidof(com::IDTExtensibility2), addin.put_void()));
    if (!addin) return;
    CHECK_HR(S_OK, addin->OnConnection(app.get(), 0, nullptr, nullptr));
    CHECK_HR(S_OK, inspectors.Raise(0xF001, {inspector.Arg()}));
    const std::vector<VARIANT> menu = {selection.Arg(), bar.Arg()};
    CHECK_HR(S_OK, app.Raise(0xFB41, menu));
    // The DISPIDs as published, apart from the add-in's own on purpose: a wrong one fails here.
    const std::tuple<Fake*, DISPID, UINT> kEvents[] = {{&app, 0xFB41, 2},
                                                       {&inspectors, 0xF001, 1},
                                                       {&items, 0xF001, 1},
                                                       {&task, 0xF002, 1},
                                                       {&button, 1, 2}};
    for (auto [source, id, n] : kEvents) {
      // One fake stands for both the calendar's and the Tasks folder's items.
      if (!CHECK(source->sinks.size() == (source == &items ? 2u : 1u))) continue;
      Sweep(
          n, false, kinds, [&](DISPPARAMS* params) { return source->Raise(id, params); },
          [n = n](UINT count, bool null_ref, bool) {
            return count < n || (count == n && null_ref) ? DISP_E_EXCEPTION : S_OK;
          });
    }
    SweepMembers(addin.get(), kinds);
    // CleanFileName (DISPID 4) as a script calls it: a literal, and a variable by reference.
    VARIANT literal = Var(VT_BSTR, kinds.text);
    for (VARIANT arg : {literal, Var(VT_VARIANT | VT_BYREF, &literal)}) {
      com::unique_variant clean;
      DISPPARAMS params{&arg, nullptr, 1, 0};
      CHECK_HR(S_OK, addin->Invoke(4, IID_NULL, 0, DISPATCH_METHOD, &params, clean.get(), nullptr,
                                   nullptr));
      CHECK(V_VT(clean.get()) == VT_BSTR && V_BSTR(clean.get()) == std::wstring(L"Budget"));
    }

    // A click whose message box sees the host release the add-in: the object stays until the
    // handler is done, then goes with every connection.
    long connected_in_box = -1;
    g_on_box = [&] {
      addin.reset();
      connected_in_box = static_cast<long>(inspectors.sinks.size());
    };
    VARIANT_BOOL cancel = VARIANT_FALSE;
    CHECK_HR(S_OK, button.Raise(1, {Var(VT_BOOL | VT_BYREF, &cancel), button.Arg()}));
    CHECK(connected_in_box == 1 && inspectors.sinks.empty() && task.sinks.empty() &&
          button.sinks.empty() && app.sinks.empty());

    // The application will not let go of its sink: once disconnected, the sink passes nothing
    // on (no call reaches any object), and every other source is let go.
    CHECK_HR(S_OK, CoCreateInstance(CLSID_Connect, nullptr, CLSCTX_INPROC_SERVER,
                                    __uuidof(com::IDTExtensibility2), addin.put_void()));
    if (!addin) return;
    CHECK_HR(S_OK, addin->OnConnection(app.get(), 0, nullptr, nullptr));
    app.object->refuse_unadvise = true;
    CHECK_HR(S_OK, addin->OnDisconnection(0, nullptr));
    const auto calls = [] { return Counters().invokes + Counters().names; };
    const long before = calls();
    CHECK(app.sinks.size() == 1 && inspectors.sinks.empty() && items.sinks.empty() &&
          SUCCEEDED(app.Raise(0xFB41, menu)) && calls() == before);
    addin.reset();
    CHECK(SUCCEEDED(app.Raise(0xFB41, menu)) && calls() == before);
    g_calls += 6;
  }
  // Nothing handed to the add-in is still held by it.
  for (const Fake* o : {&app, &inspectors, &items, &ns, &folder, &inspector, &task, &bar, &controls,
                        &button, &selection, &mail, &stranger})
    CHECK(o->references() == 1u);
  SysFreeString(version);
  SysFreeString(empty);
  std::printf("%ld malformed calls and events, each answered with an HRESULT\n", g_calls);
  CheckQuotedCount();
}

}  // namespace

void TestMalformedCalls(const std::wstring& dll) {
  if (CHECK(Regsvr32(L"/s \"" + dll + L"\"") == 0) && ClassFound(L"Fenmark.Connect")) Run(dll);
  CoFreeUnusedLibraries();
  CHECK(Regsvr32(L"/u /s \"" + dll + L"\"") == 0);
}

}  // namespace fenmark::wintest
