// Fenmark.dll against malformed calls and events, under Wine:
//   fenmark_malformed_calls <Fenmark.dll>
// Every _Connect member the type library declares, through IDispatch as method, get, put and
// putref, and every event the add-in sinks, each with its arguments missing, surplus, mistyped,
// empty, Nothing, a null BSTR, by reference through a null pointer, and an object that is no
// Outlook object. Every call comes back with an HRESULT and leaves no reference behind; a sink
// whose source will not let go passes nothing on; a host releasing the add-in during a message
// box does not pull it from under the handler.

#include <ocidl.h>
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "addin/com/office_interfaces.h"
#include "fenmark_h.h"
#include "tests/win/check.h"
#include "tests/win/fake_dispatch.h"
#include "tests/win/message_boxes.h"

namespace fenmark::wintest {
namespace {

using com::unique_variant;

constexpr IID Outlook(unsigned long first) {
  return {first, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
}

long g_calls = 0;
std::function<void()> g_on_box;

int WINAPI MessageBoxHook(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
  if (auto hook = std::exchange(g_on_box, nullptr)) hook();
  return RecordMessageBox(owner, text, caption, style);
}

VARIANT Var(VARTYPE vt, void* pointer = nullptr) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = vt;
  V_BYREF(&v) = pointer;
  return v;
}

// A member that takes anything and answers `value` (copied) when asked for a result.
FakeObject::Member Answer(VARIANT value) {
  return [value](const std::vector<VARIANT*>&, VARIANT* result, EXCEPINFO*) mutable {
    return result ? VariantCopy(result, &value) : S_OK;
  };
}

struct Kinds {
  BSTR text = SysAllocString(L"Budget");
  VARIANT_BOOL flag = VARIANT_FALSE;
  IDispatch* stranger;
  std::vector<VARIANT> all;
  size_t missing, first_null_ref, end_null_ref;
  explicit Kinds(IDispatch* no_outlook_object) : stranger(no_outlook_object) {
    VARIANT missing_arg = Var(VT_ERROR), number = Var(VT_I4), yes = Var(VT_BOOL);
    V_ERROR(&missing_arg) = DISP_E_PARAMNOTFOUND;
    V_I4(&number) = 7;
    V_BOOL(&yes) = VARIANT_TRUE;
    all = {Var(VT_EMPTY),
           Var(VT_NULL),
           Var(VT_DISPATCH),
           Var(VT_BSTR),
           Var(VT_BSTR, text),
           number,
           yes,
           Var(VT_DISPATCH, stranger),
           Var(VT_UNKNOWN, stranger),
           Var(VT_BSTR | VT_BYREF, &text),
           Var(VT_BOOL | VT_BYREF, &flag),
           Var(VT_DISPATCH | VT_BYREF, &stranger),
           Var(VT_ARRAY | VT_I4),
           Var(VT_RECORD)};
    missing = all.size();
    all.push_back(missing_arg);
    first_null_ref = all.size();
    for (VARTYPE vt : {VT_DISPATCH, VT_UNKNOWN, VT_BSTR, VT_BOOL, VT_VARIANT})
      all.push_back(Var(vt | VT_BYREF));
    end_null_ref = all.size();
  }
  ~Kinds() { SysFreeString(text); }
};

// Every member by its DISPID under every access, with every kind of argument in every position,
// from none to two more than declared, and parameters that are malformed themselves.
void SweepMembers(IDispatch* dispatch, Kinds& kinds) {
  com_ptr<ITypeInfo> info;
  if (!CHECK_HR(S_OK, dispatch->GetTypeInfo(0, 0, info.put()))) return;
  TYPEATTR* attributes = nullptr;
  info->GetTypeAttr(&attributes);
  std::vector<FUNCDESC*> funcs(attributes->cFuncs);
  info->ReleaseTypeAttr(attributes);
  for (UINT i = 0; i < funcs.size(); ++i) info->GetFuncDesc(i, &funcs[i]);
  const WORD kAccess[] = {DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT,
                          DISPATCH_PROPERTYPUTREF};
  const INVOKEKIND kKind[] = {INVOKE_FUNC, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT,
                              INVOKE_PROPERTYPUTREF};
  for (const FUNCDESC* declared : funcs) {
    for (int a = 0; a < 4; ++a) {
      const FUNCDESC* f = nullptr;
      for (const FUNCDESC* g : funcs)
        if (g->memid == declared->memid && g->invkind == kKind[a]) f = g;
      if (declared->invkind != INVOKE_FUNC && f != declared) continue;  // each DISPID once
      const bool put = a >= 2;
      UINT n = 0;
      while (f && n < UINT(f->cParams) &&
             !(f->lprgelemdescParam[n].paramdesc.wParamFlags & PARAMFLAG_FRETVAL))
        ++n;
      for (size_t k = 0; k < kinds.all.size(); ++k) {
        for (UINT count = 0; count <= n + 2; ++count) {
          std::vector<VARIANT> args(count, kinds.all[k]);
          DISPID named = DISPID_PROPERTYPUT;
          DISPPARAMS params{args.data(), put && count ? &named : nullptr, count,
                            put && count ? 1u : 0u};
          unique_variant result;
          EXCEPINFO error{};
          UINT bad = 0;
          const HRESULT hr = dispatch->Invoke(declared->memid, IID_NULL, 0, kAccess[a], &params,
                                              result.get(), &error, &bad);
          ++g_calls;
          const bool null_ref = k >= kinds.first_null_ref && k < kinds.end_null_ref;
          if (!f)
            CHECK_HR(DISP_E_MEMBERNOTFOUND, hr);
          else if (count != n)
            CHECK_HR(put && !count ? DISP_E_PARAMNOTFOUND : DISP_E_BADPARAMCOUNT, hr);
          else if (n && (null_ref || k == kinds.missing))
            CHECK_HR(null_ref ? DISP_E_TYPEMISMATCH : DISP_E_PARAMNOTOPTIONAL, hr);
          if (hr == DISP_E_EXCEPTION)
            CHECK(FAILED(error.scode) && SysStringLen(error.bstrDescription));
          for (BSTR b : {error.bstrSource, error.bstrDescription, error.bstrHelpFile})
            SysFreeString(b);
        }
      }
      // No parameters at all, arguments said but not given, and names for a method.
      DISPID names[] = {1};
      DISPPARAMS hollow{nullptr, nullptr, 1, 0}, named{&kinds.all[0], names, 1, 1};
      CHECK_HR(E_INVALIDARG, dispatch->Invoke(declared->memid, IID_NULL, 0, kAccess[a], &hollow,
                                              nullptr, nullptr, nullptr));
      const HRESULT none = dispatch->Invoke(declared->memid, IID_NULL, 0, kAccess[a], nullptr,
                                            nullptr, nullptr, nullptr);
      CHECK(f && !put && !n ? none == S_OK || none == DISP_E_EXCEPTION : FAILED(none));
      CHECK(FAILED(dispatch->Invoke(declared->memid, IID_NULL, 0, kAccess[a], &named, nullptr,
                                    nullptr, nullptr)));
      g_calls += 3;
    }
  }
  for (FUNCDESC* f : funcs) info->ReleaseFuncDesc(f);
}

struct Event {
  FakeObject* source;
  DISPID id;
  UINT declared;
};

// Every event the add-in sinks, raised as the members are called above.
void SweepEvents(const std::vector<Event>& events, Kinds& kinds) {
  for (const Event& event : events) {
    if (!CHECK(event.source->connections() == 1)) continue;
    for (size_t k = 0; k < kinds.all.size(); ++k) {
      for (UINT count = 0; count <= event.declared + 2; ++count) {
        std::vector<VARIANT> args(count, kinds.all[k]);
        DISPPARAMS params{args.data(), nullptr, count, 0};
        const HRESULT hr = event.source->RaiseWith(event.id, &params);
        ++g_calls;
        const bool null_ref = k >= kinds.first_null_ref && k < kinds.end_null_ref;
        if (count < event.declared || (count == event.declared && null_ref)) CHECK(FAILED(hr));
      }
    }
    DISPPARAMS hollow{nullptr, nullptr, 1, 0};
    CHECK(FAILED(event.source->RaiseWith(event.id, &hollow)) &&
          FAILED(event.source->RaiseWith(event.id, nullptr)));
    g_calls += 2;
  }
}

void Run(const std::wstring& dll) {
  HMODULE module = LoadLibraryW(dll.c_str());
  if (!CHECK(module && PatchImport(module, "USER32.dll", "MessageBoxW",
                                   reinterpret_cast<void*>(&MessageBoxHook))))
    return;
  auto fake = [](const IID* events = nullptr) { return FakeObject::Make(events); };
  const IID kApp = Outlook(0x0006302C), kInspectors = Outlook(0x00063079),
            kItems = Outlook(0x00063077), kItem = Outlook(0x0006302B),
            kButton = Outlook(0x000C0351);
  auto app = fake(&kApp), inspectors = fake(&kInspectors), items = fake(&kItems), ns = fake(),
       folder = fake(), inspector = fake(), task = fake(&kItem), bar = fake(), controls = fake(),
       button = fake(&kButton), selection = fake(), mail = fake(), stranger = fake();
  auto object = [](IDispatch* o) { return Answer(Var(VT_DISPATCH, o)); };
  auto number = [](int n) {
    VARIANT v = Var(VT_I4);
    V_I4(&v) = n;
    return Answer(v);
  };
  BSTR version = SysAllocString(L"12.0.6423.1000"), empty = SysAllocString(L"");
  app->Define(L"Version", Answer(Var(VT_BSTR, version)));
  app->Define(L"Inspectors", object(inspectors.get()));
  app->Define(L"GetNamespace", object(ns.get()));
  ns->Define(L"GetDefaultFolder", object(folder.get()));
  folder->Define(L"Items", object(items.get()));
  inspector->Define(L"CurrentItem", object(task.get()));
  task->Define(L"Class", number(48));
  selection->Define(L"Count", number(1));
  selection->Define(L"Item", object(mail.get()));
  mail->Define(L"Class", number(43));
  mail->Define(L"EntryID", Answer(Var(VT_BSTR, empty)));
  bar->Define(L"Controls", object(controls.get()));
  controls->Define(L"Add", object(button.get()));
  controls->Define(L"Item", object(button.get()));
  for (const wchar_t* name : {L"Caption", L"Style", L"FaceId", L"Tag", L"Enabled", L"OnAction",
                              L"BeginGroup", L"Parameter"})
    button->Define(name, Answer(Var(VT_BSTR, empty)));

  Kinds kinds(stranger.get());
  {
    com_ptr<com::IDTExtensibility2> addin;
    CHECK_HR(S_OK, CoCreateInstance(CLSID_Connect, nullptr, CLSCTX_INPROC_SERVER,
                                    __uuidof(com::IDTExtensibility2), addin.put_void()));
    if (!addin) return;
    CHECK_HR(S_OK, addin->OnConnection(app.get(), 0, nullptr, nullptr));
    // A watched task window, and the Outlook 12 menu of a mail with the add-in's button.
    CHECK_HR(S_OK, inspectors->Raise(0xF001, {Var(VT_DISPATCH, inspector.get())}));
    CHECK_HR(S_OK,
             app->Raise(0xFB41, {Var(VT_DISPATCH, selection.get()), Var(VT_DISPATCH, bar.get())}));
    SweepEvents({{app.get(), 0xFB41, 2},
                 {inspectors.get(), 0xF001, 1},
                 {items.get(), 0xF001, 1},
                 {task.get(), 0xF002, 1},
                 {button.get(), 1, 2}},
                kinds);
    SweepMembers(addin.get(), kinds);

    // The application will not let go of its sink: once disconnected, the sink passes nothing on.
    app->refuse_unadvise = true;
    CHECK_HR(S_OK, addin->OnDisconnection(0, nullptr));
    bool asked = false;
    app->Define(L"Version", [&asked](const std::vector<VARIANT*>&, VARIANT*, EXCEPINFO*) {
      asked = true;
      return E_FAIL;
    });
    const std::vector<VARIANT> menu = {Var(VT_DISPATCH, selection.get()),
                                       Var(VT_DISPATCH, bar.get())};
    CHECK(app->connections() == 1 && SUCCEEDED(app->Raise(0xFB41, menu)) && !asked);

    // A button click whose message box sees the host release the add-in: the object stays until
    // the handler is done, then goes with every connection.
    long connected_in_box = -1;
    g_on_box = [&] {
      addin.reset();
      connected_in_box = static_cast<long>(inspectors->connections());
    };
    VARIANT_BOOL cancel = VARIANT_FALSE;
    CHECK_HR(S_OK,
             button->Raise(1, {Var(VT_BOOL | VT_BYREF, &cancel), Var(VT_DISPATCH, button.get())}));
    CHECK(connected_in_box == 1 && !addin && inspectors->connections() == 0 &&
          task->connections() == 0 && button->connections() == 0);
    CHECK(SUCCEEDED(app->Raise(0xFB41, menu)) && !asked);
    g_calls += 4;
  }
  // Nothing handed to the add-in is still held by it.
  for (auto* o : {app.get(), inspectors.get(), items.get(), ns.get(), folder.get(), inspector.get(),
                  task.get(), bar.get(), controls.get(), button.get(), selection.get(), mail.get(),
                  stranger.get()}) {
    o->Clear();
    CHECK(o->references() == 1u);
  }
  SysFreeString(version);
  SysFreeString(empty);
  std::printf("%ld malformed calls and events, each answered with an HRESULT\n", g_calls);
}

}  // namespace
}  // namespace fenmark::wintest

int wmain(int argc, wchar_t** argv) try {
  using namespace fenmark::wintest;
  if (argc != 2) {
    std::printf("usage: fenmark_malformed_calls DLL\n");
    return 2;
  }
  wchar_t dll[MAX_PATH * 2] = {};
  GetFullPathNameW(argv[1], MAX_PATH * 2, dll, nullptr);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  if (CHECK(Regsvr32(L"/s \"" + std::wstring(dll) + L"\"") == 0) && ClassFound(L"Fenmark.Connect"))
    Run(dll);
  CoFreeUnusedLibraries();
  CHECK(Regsvr32(L"/u /s \"" + std::wstring(dll) + L"\"") == 0);
  CoUninitialize();
  return Summary();
} catch (...) {
  return fenmark::wintest::Stopped();
}
