// The adapters' late-bound calls against scripted objects: how each call reaches the object, what
// becomes of each kind of answer, and that nothing handed over either way is leaked.
//   fenmark_late_binding_tests

#include <objidl.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "addin/com/adapters.h"
#include "addin/com/com_object.h"
#include "addin/com/dispatch.h"
#include "addin/com/errors.h"
#include "sim/com/served_object.h"
#include "tests/win/check.h"

// Exported by oleaut32, not declared by mingw-w64; its 32-bit import is undecorated, and with no
// arguments the calling conventions agree.
extern "C" void SetOaNoCache();

namespace fenmark::wintest {
namespace {

// Counts the task allocator's live blocks, and so the BSTRs (with the BSTR cache off).
struct AllocationCount final : com::ComObject<AllocationCount, IMallocSpy> {
  long live = 0;
  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
  void* STDMETHODCALLTYPE PostAlloc(void* block) override {
    return live += block != nullptr, block;
  }
  void* STDMETHODCALLTYPE PreFree(void* block, BOOL spied) override { return live -= spied, block; }
  void STDMETHODCALLTYPE PostFree(BOOL) override {}
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T size, void** out, BOOL) override {
    return *out = block, size;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override { return block; }
  void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
  void STDMETHODCALLTYPE PostHeapMinimize() override {}
};
AllocationCount& allocations = *new AllocationCount;  // its own reference kept for the whole run

// What the scripted member answers. `object` hands out the second fake.
struct Answer {
  HRESULT hr = S_OK;
  VARTYPE vt = VT_EMPTY;
  bool object = false;
  SCODE scode = 0;
  WORD wcode = 0;
  const wchar_t* text = nullptr;  // a BSTR result, or the exception's description
  bool deferred = false;
};

HRESULT STDAPICALLTYPE FillInLater(EXCEPINFO* info) {
  info->scode = static_cast<SCODE>(0x800A0035);
  info->bstrDescription = SysAllocString(L"The file is in use.");
  info->bstrSource = SysAllocString(L"Scripting.FileSystemObject");
  return S_OK;
}

HRESULT Respond(const Answer& a, IDispatch* other, VARIANT* result, EXCEPINFO* info) {
  if (a.hr == DISP_E_EXCEPTION && a.deferred) {
    info->pfnDeferredFillIn = &FillInLater;
  } else if (a.hr == DISP_E_EXCEPTION) {
    info->scode = a.scode;
    info->wCode = a.wcode;
    info->bstrDescription = a.text ? SysAllocString(a.text) : nullptr;
    info->bstrSource = SysAllocString(L"Outlook");
    info->bstrHelpFile = SysAllocString(L"outlook.chm");
  } else if (SUCCEEDED(a.hr) && result) {
    V_VT(result) = a.vt;
    if (a.vt == VT_BSTR) V_BSTR(result) = SysAllocString(a.text);
    if (a.vt == VT_DISPATCH) V_DISPATCH(result) = a.object ? (other->AddRef(), other) : nullptr;
    if (a.vt == VT_UNKNOWN) V_UNKNOWN(result) = nullptr;
  }
  return a.hr;
}

// A call as the object saw it: "call" (a get or method, with a result slot) or "put" (with the
// named DISPID_PROPERTYPUT, no result slot), then the arguments.
std::wstring Shape(WORD flags, const DISPPARAMS& params, bool wants_result,
                   const std::wstring& member) {
  const bool put = flags == DISPATCH_PROPERTYPUT && !wants_result && params.cNamedArgs == 1 &&
                   params.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
  const bool get =
      flags == (DISPATCH_METHOD | DISPATCH_PROPERTYGET) && wants_result && !params.cNamedArgs;
  std::wstring text = put ? L"put " : get ? L"call " : L"(odd flags or named arguments) ";
  text += member + L"(";
  for (UINT i = params.cArgs; i > 0; --i) {
    const VARIANT* v = &params.rgvarg[i - 1];
    if (i != params.cArgs) text += L", ";
    if (V_VT(v) == VT_BSTR)
      text += L"'" + std::wstring(V_BSTR(v), SysStringLen(V_BSTR(v))) + L"'";
    else if (V_VT(v) == VT_I4)
      text += std::to_wstring(V_I4(v));
    else if (V_VT(v) == VT_BOOL)
      text += V_BOOL(v) == VARIANT_TRUE ? L"True" : V_BOOL(v) ? L"?" : L"False";
    else if (V_VT(v) == VT_ERROR && V_ERROR(v) == DISP_E_PARAMNOTFOUND)
      text += L"missing";
    else
      text += L"vt " + std::to_wstring(V_VT(v));
  }
  return text + L")";
}

ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

struct Fakes {
  IDispatch* target;
  IDispatch* other;
};
template <class T>
std::shared_ptr<T> As(const Fakes& f) {
  return com::Wrap<T>(com::com_ptr<IDispatch>::retain(f.target));
}
template <class T>
std::wstring Shown(const Fakes& f, const std::shared_ptr<T>& ref) {
  return !ref ? L"no object" : com::DispatchOf(ref) == f.other ? L"object" : L"another object";
}

// One call through an adapter, as the object saw it and as the adapter reported it:
// "<call or put> Member(arguments) -> <outcome>", or "-> <outcome>" when the object offers no
// member and the call never reaches it.
struct Row {
  Answer answer;
  std::function<std::wstring(const Fakes&)> call;
  const wchar_t* transcript;
};

const Row kRows[] = {
    // "No object" in each form it comes in. Strings and plain puts are the parity run's: its
    // served Outlook refuses a put without the named argument.
    {{.vt = VT_EMPTY},
     [](auto& f) { return Shown(f, As<host::Application>(f)->ActiveInspector()); },
     L"call ActiveInspector() -> no object"},
    {{.vt = VT_NULL},
     [](auto& f) { return Shown(f, As<host::Application>(f)->ActiveExplorer()); },
     L"call ActiveExplorer() -> no object"},
    {{.vt = VT_DISPATCH},
     [](auto& f) { return Shown(f, As<host::Item>(f)->GetInspector()); },
     L"call GetInspector() -> no object"},
    {{.vt = VT_UNKNOWN},
     [](auto& f) { return Shown(f, As<host::Namespace>(f)->GetItemFromID(L"00EF", L"")); },
     L"call GetItemFromID('00EF') -> no object"},
    {{.vt = VT_DISPATCH, .object = true},
     [](auto& f) { return Shown(f, As<host::Namespace>(f)->GetItemFromID(L"00EF", L"5T")); },
     L"call GetItemFromID('00EF', '5T') -> object"},
    // Optional arguments left out, and puts.
    {{},
     [](auto& f) { return As<host::AttachmentCollection>(f)->Add(L"C:\\a.msg", L"Mail"), L"done"; },
     L"call Add('C:\\a.msg', missing, missing, 'Mail') -> done"},
    {{},
     [](auto& f) { return As<host::WordSelection>(f)->InsertFile(L"C:\\n.txt"), L"done"; },
     L"call InsertFile('C:\\n.txt', missing, missing, missing, False) -> done"},
    {{.vt = VT_DISPATCH, .object = true},
     [](auto& f) { return Shown(f, As<host::CommandBarControlCollection>(f)->Add(1, 3)); },
     L"call Add(1, missing, missing, 3) -> object"},
    {{},
     [](auto& f) { return As<host::CommandBarControl>(f)->SetEnabled(true), L"done"; },
     L"put Enabled(True) -> done"},
    // Failures: the host's number and text, else the runtime's or the system's (as Wine's
    // message table has it).
    {{.hr = DISP_E_EXCEPTION, .scode = static_cast<SCODE>(0x8004010F), .text = L"Store busy."},
     [](auto& f) { return As<host::Item>(f)->SetStatus(4), L"done"; },
     L"put Status(4) -> failure 0x8004010F: Store busy."},
    {{.hr = DISP_E_EXCEPTION, .scode = static_cast<SCODE>(0x800A01A8), .text = L"Item moved."},
     [](auto& f) { return As<host::Item>(f)->Save(), L"done"; },
     L"call Save() -> failure 424: Item moved."},
    {{.hr = DISP_E_EXCEPTION, .scode = static_cast<SCODE>(0x800A0046)},
     [](auto& f) { return As<host::Item>(f)->Close(0), L"done"; },
     L"call Close(0) -> failure 70: Permission denied"},
    {{.hr = DISP_E_EXCEPTION, .wcode = 53},
     [](auto& f) { return As<host::WordSelection>(f)->TypeText(L"x"), L"done"; },
     L"call TypeText('x') -> failure 53: File not found"},
    {{.hr = DISP_E_EXCEPTION, .deferred = true},
     [](auto& f) { return As<host::Item>(f)->SaveAs(L"C:\\w", 3), L"done"; },
     L"call SaveAs('C:\\w', 3) -> failure 53: The file is in use."},
    {{.hr = E_NOTIMPL},
     [](auto& f) { return As<host::Item>(f)->Display(), L"done"; },
     L"call Display() -> failure 0x80004001: Not implemented."},
    // What the runtime reports as its own numbers.
    {{.hr = DISP_E_TYPEMISMATCH},
     [](auto& f) { return As<host::Item>(f)->SetStatus(4), L"done"; },
     L"put Status(4) -> failure 13: Type mismatch"},
    {{.hr = DISP_E_BADPARAMCOUNT},
     [](auto& f) { return As<host::Item>(f)->Display(), L"done"; },
     L"call Display() -> failure 450: Wrong number of arguments or invalid property assignment"},
    {{.hr = DISP_E_EXCEPTION, .scode = E_OUTOFMEMORY},
     [](auto& f) { return As<host::Item>(f)->Save(), L"done"; },
     L"call Save() -> failure 7: Out of memory"},
    {{.hr = static_cast<HRESULT>(0x8004F0F0)},
     [](auto& f) { return As<host::Item>(f)->Display(), L"done"; },
     L"call Display() -> failure 0x8004F0F0: Automation error"},
    {{},
     [](auto& f) { return As<host::Item>(f)->Display(), L"done"; },
     L"-> failure 438: Object doesn't support this property or method"},
    // A Context that cannot say what it is names nothing, as if Office had given none.
    {{.vt = VT_DISPATCH, .object = true},
     [](auto& f) {
       const auto context = As<host::RibbonControl>(f)->Context();
       return context.inspector || context.selection || context.explorer ? L"a context"
                                                                         : L"no context";
     },
     L"call Context() -> no context"},
};

void TestLateBinding() {
  // The counter counts.
  const long start = allocations.live;
  BSTR probe = SysAllocString(L"probe");
  CHECK(allocations.live == start + 1);
  SysFreeString(probe);
  CHECK(allocations.live == start);

  for (const Row& row : kRows) {
    const auto other = served::Make({});
    const std::wstring expected = row.transcript;
    const size_t space = expected.find(L' '), open = expected.find(L'(');
    std::wstring seen, outcome;
    std::vector<served::Member> members;
    if (open < expected.find(L"->")) {
      const std::wstring member = expected.substr(space + 1, open - space - 1);
      members.push_back(
          {member,
           0,
           {},
           {},
           [&, member](WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info) {
             seen = Shape(flags, *params, result != nullptr, member) + L" ";
             return Respond(row.answer, other.get(), result, info);
           }});
    }
    const auto target = served::Make(std::move(members));
    const long before = allocations.live;
    try {
      outcome = row.call({target.get(), other.get()});
    } catch (const host::Failure& failure) {
      const long n = failure.Number();
      const std::string hex = Hex(n);
      outcome = L"failure " + (n < 0 ? std::wstring(hex.begin(), hex.end()) : std::to_wstring(n)) +
                L": " + failure.Description();
    }
    const long bstrs = allocations.live - before;
    // Nothing handed over either way is left behind.
    CHECK_TEXT(expected + L"; left 0 BSTRs, references 1 1",
               seen + L"-> " + outcome + L"; left " + std::to_wstring(bstrs) +
                   L" BSTRs, references " + std::to_wstring(References(target.get())) + L" " +
                   std::to_wstring(References(other.get())));
  }
}

// A failure left on the thread by an earlier, unrelated one, as the DLL leaves it for its caller.
void LeaveAnEarlierFailure() {
  try {
    throw host::Failure(static_cast<std::int32_t>(0x80040115),
                        L"The calendar folder could not be opened.");
  } catch (...) {
    static_cast<void>(com::to_hresult());
  }
}

std::wstring FailureOf(const std::function<void()>& call) {
  try {
    call();
    return L"no failure";
  } catch (const host::Failure& failure) {
    return std::to_wstring(failure.Number()) + L" - " + failure.Description();
  }
}

// A callee that sets no error information of its own gets its EXCEPINFO filled by the automation
// runtime from the thread's: the failing call's own description is the system's text for its
// number, never the earlier failure's. Both with a member that answers as the runtime does and
// with the scripting runtime's own file object.
void TestNoStaleDescription() {
  const auto target =
      served::Make({{L"Save", 0, {}, {}, [](WORD, DISPPARAMS*, VARIANT*, EXCEPINFO* info) {
                       info->scode = static_cast<SCODE>(0x800A0035);
                       com::com_ptr<IErrorInfo> error;
                       if (GetErrorInfo(0, error.put()) == S_OK && error)
                         error->GetDescription(&info->bstrDescription);
                       return DISP_E_EXCEPTION;
                     }}});
  LeaveAnEarlierFailure();
  CHECK_TEXT(L"53 - File not found", FailureOf([&] {
               com::Wrap<host::Item>(com::com_ptr<IDispatch>::retain(target.get()))->Save();
             }));

  CLSID clsid{};
  com::com_ptr<IDispatch> files;
  CHECK(SUCCEEDED(CLSIDFromProgID(L"Scripting.FileSystemObject", &clsid)) &&
        SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   files.put_void())));
  if (!files) return;
  LeaveAnEarlierFailure();
  CHECK_TEXT(L"76 - Path not found", FailureOf([&] {
               com::Invoke(files.get(), L"DeleteFolder", com::Access::kCall,
                           {L"C:\\no such folder\\at all", true});
             }));
}

}  // namespace
}  // namespace fenmark::wintest

int wmain() try {
  using namespace fenmark::wintest;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  SetOaNoCache();
  if (FAILED(CoRegisterMallocSpy(&allocations))) return 2;
  TestLateBinding();
  TestNoStaleDescription();
  CoRevokeMallocSpy();
  CoUninitialize();
  return Summary();
} catch (...) {
  return fenmark::wintest::Stopped();
}
