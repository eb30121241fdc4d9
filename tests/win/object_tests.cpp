// The add-in object of Fenmark.dll as Office drives it, against the simulated Outlook served over
// COM: the class factory, the interfaces by their real IIDs, the dispatch names, and what the
// end-to-end scenarios do not reach (a connection failing part-way, the dual interface's vtable,
// the markup loader called by name).

#include <ocidl.h>
#include <windows.h>

#include <cwctype>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "addin/com/office_interfaces.h"
#include "addin/ribbon_dispatch.h"
#include "fenmark_h.h"
#include "sim/com/message_boxes.h"
#include "sim/com/served.h"
#include "sim/fidelity/fidelity.h"
#include "tests/win/check.h"

namespace fenmark::wintest {

using com::com_ptr;
using com::IDTExtensibility2;
using com::IRibbonExtensibility;
using com::unique_bstr;
using com::unique_variant;

namespace {

std::wstring Cased(std::wstring text, wint_t (*change)(wint_t)) {
  for (auto& c : text) c = static_cast<wchar_t>(change(c));
  return text;
}

DISPID IdOf(IDispatch* dispatch, const std::wstring& name) {
  std::wstring copy = name;
  LPOLESTR names[] = {copy.data()};
  DISPID id = DISPID_UNKNOWN;
  return SUCCEEDED(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0x0409, &id)) ? id : DISPID_UNKNOWN;
}

// A member's ribbon-callback shape in the type library: "decision" for (control) returning a
// Boolean, "action" for (control) returning nothing (onLoad has that shape too), else "".
std::wstring ShapeOf(const FUNCDESC& func) {
  if (func.invkind != INVOKE_FUNC) return L"";
  int in = 0;
  bool dispatch_in = false, boolean_out = false, other_out = false;
  for (SHORT i = 0; i < func.cParams; ++i) {
    const ELEMDESC& param = func.lprgelemdescParam[i];
    if (param.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) {
      const TYPEDESC* type = &param.tdesc;
      if (type->vt == VT_PTR) type = type->lptdesc;
      (type->vt == VT_BOOL ? boolean_out : other_out) = true;
    } else {
      ++in;
      dispatch_in = param.tdesc.vt == VT_DISPATCH;
    }
  }
  if (in != 1 || !dispatch_in || other_out) return L"";
  return boolean_out ? L"decision" : L"action";
}

// The native table of ribbon callbacks and the type library that Office resolves names through
// cannot disagree: the callback-shaped members of the one, resolved through the object's
// IDispatch, are the entries of the other, of the same shape and DISPID.
// Every member, and what scripts call by name, resolves in any case through each interface.
void CheckCallbackTable(IDispatch* dispatch, std::initializer_list<IDispatch*> interfaces) {
  com_ptr<ITypeInfo> info;
  TYPEATTR* attributes = nullptr;
  if (!CHECK_HR(S_OK, dispatch->GetTypeInfo(0, 0x0409, info.put())) ||
      !CHECK_HR(S_OK, info->GetTypeAttr(&attributes)))
    return;
  std::map<std::wstring, std::wstring> library, table;
  for (UINT i = 0; i < attributes->cFuncs; ++i) {
    FUNCDESC* func = nullptr;
    if (FAILED(info->GetFuncDesc(i, &func))) continue;
    unique_bstr name;
    info->GetDocumentation(func->memid, name.put(), nullptr, nullptr, nullptr);
    for (IDispatch* through : interfaces)
      for (auto change : {std::towupper, std::towlower})
        CHECK(IdOf(through, Cased(name.str(), change)) == func->memid);
    const std::wstring shape = ShapeOf(*func);
    if (!shape.empty())
      library[Cased(name.str(), std::towlower)] =
          name.str() + L": " + shape + L" " + std::to_wstring(func->memid) +
          (IdOf(dispatch, name.str()) == func->memid ? L"" : L" (?)");
    info->ReleaseFuncDesc(func);
  }
  info->ReleaseTypeAttr(attributes);
  for (const auto& callback : AllRibbonCallbacks())
    table[Cased(std::wstring(callback.name), std::towlower)] =
        std::wstring(callback.name) + L": " +
        (callback.kind == RibbonCallback::Kind::kDecision ? L"decision " : L"action ") +
        std::to_wstring(callback.dispid);
  for (const auto& [key, line] : library) table.try_emplace(key, L"(not in the table)");
  for (const auto& [key, line] : table)
    CHECK_TEXT(line, library.count(key) ? library[key] : L"(not in the type library)");
  for (const wchar_t* name : {L"glblObjRibbon", L"olItems", L"AttachOrigItem", L"CleanFileName",
                              L"GetTaskStatus", L"LoadXML"})
    CHECK(IdOf(dispatch, name) != DISPID_UNKNOWN);
  CHECK(IdOf(dispatch, L"VB_NoSuchCallback") == DISPID_UNKNOWN);
}

HRESULT CallByName(IDispatch* object, const wchar_t* name, VARIANT argument, VARIANT* result,
                   EXCEPINFO* info) {
  DISPPARAMS params{&argument, nullptr, 1, 0};
  UINT bad = 0;
  return object->Invoke(IdOf(object, name), IID_NULL, 0x0409, DISPATCH_METHOD, &params, result,
                        info, &bad);
}

VARIANT Object(IDispatch* object) {
  VARIANT v;
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = object;  // borrowed for the call
  return v;
}

// The DLL's debug output, caught at its import of OutputDebugStringW.
std::wstring traced;
void WINAPI RecordTrace(LPCWSTR line) {
  traced += line;
}

}  // namespace

void TestObject(const std::wstring& dll, const std::wstring& ribbon_file) {
  std::ifstream in(ribbon_file.c_str(), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::wstring ribbon_xml = std::wstring(bytes.begin(), bytes.end()) + L"\r\n";

  CHECK(Regsvr32(L"/s \"" + dll + L"\"") == 0);
  if (!ClassFound(L"Fenmark.Connect")) return;
  // Loaded first, so that the object COM creates lives in this very module, whose message
  // boxes are recorded.
  HMODULE module = LoadLibraryW(dll.c_str());
  if (!CHECK(module != nullptr)) return;
  CHECK(
      PatchImport(module, "USER32.dll", "MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox)));
  CHECK(PatchImport(module, "KERNEL32.dll", "OutputDebugStringW",
                    reinterpret_cast<void*>(&RecordTrace)));
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto can_unload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  auto get_class = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  if (!CHECK(can_unload && get_class)) return;

  // The class factory: only its own class, and an honest lock count that an unlock without a
  // lock before it leaves at zero.
  {
    com_ptr<IClassFactory> factory;
    CHECK_HR(CLASS_E_CLASSNOTAVAILABLE,
             get_class(IID_IDispatch, IID_IClassFactory, factory.put_void()));
    CHECK_HR(S_OK, get_class(CLSID_Connect, IID_IClassFactory, factory.put_void()));
    CHECK_HR(S_FALSE, can_unload());
    if (factory) {
      factory->LockServer(FALSE);
      factory->LockServer(TRUE);
      factory.reset();
      CHECK_HR(S_FALSE, can_unload());
      com_ptr<IClassFactory> again;
      get_class(CLSID_Connect, IID_IClassFactory, again.put_void());
      if (again) again->LockServer(FALSE);
    }
    CHECK_HR(S_OK, can_unload());
  }

  sim::Outlook outlook;
  sim::UseOffice(outlook);
  {
    com_ptr<IUnknown> object;
    if (!CHECK_HR(S_OK, CoCreateInstance(CLSID_Connect, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                         object.put_void())))
      return;
    CHECK_HR(S_FALSE, can_unload());
    com_ptr<_Connect> connect;
    com_ptr<IDTExtensibility2> extensibility;
    com_ptr<IRibbonExtensibility> ribbon;
    com_ptr<IDispatch> dispatch;
    com_ptr<IUnknown> other;
    CHECK_HR(S_OK, object.query(IID__Connect, connect));
    CHECK_HR(S_OK, object.query(__uuidof(IDTExtensibility2), extensibility));
    CHECK_HR(S_OK, object.query(__uuidof(IRibbonExtensibility), ribbon));
    CHECK_HR(S_OK, object.query(IID_IDispatch, dispatch));
    CHECK_HR(E_NOINTERFACE, object.query(__uuidof(com::IRibbonUI), other));
    if (!connect || !extensibility || !ribbon || !dispatch) return;
    CheckCallbackTable(dispatch.get(), {dispatch.get(), extensibility.get(), ribbon.get()});

    // Whatever the machine: a temporary folder of 262 characters, or one that cannot be written
    // (below a file), and a calendar that cannot be had. The connection succeeds, the markup comes
    // from the DLL's own resources, and only the calendar's events are left out.
    auto text = [](const VARIANT& v) {
      return V_VT(&v) == VT_BSTR ? std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v))) : L"?";
    };
    auto load_xml = [&](const wchar_t* resource) {
      unique_variant xml;
      unique_bstr id(resource);
      VARIANT name;
      V_VT(&name) = VT_BSTR;
      V_BSTR(&name) = id.get();
      CHECK_HR(S_OK, CallByName(dispatch.get(), L"LoadXML", name, xml.get(), nullptr));
      return text(*xml.get());
    };
    auto variable = [](const wchar_t* name) {
      wchar_t value[MAX_PATH + 1] = {};
      return std::wstring(value, GetEnvironmentVariableW(name, value, MAX_PATH + 1));
    };
    const std::wstring tmp = variable(L"TMP"), temp_before = variable(L"TEMP");
    outlook.FailCallsTo(L"Namespace.GetDefaultFolder", static_cast<std::int32_t>(0x80040115),
                        L"The connection to Microsoft Exchange is unavailable.");
    for (const std::wstring& temp : {L"C:\\" + std::wstring(258, L'd') + L"\\",
                                     std::wstring(L"C:\\windows\\win.ini\\Temp\\")}) {
      SetEnvironmentVariableW(L"TMP", temp.c_str());
      SetEnvironmentVariableW(L"TEMP", temp.c_str());
      CHECK(load_xml(L"ribbonxml") == ribbon_xml);
      CHECK(load_xml(L"CONTEXTXML").find(L"ContextMenuMailItem") != std::wstring::npos);
      CHECK(load_xml(L"NOSUCHXML").empty());
      auto application = ServeApplication(outlook.Application());
      CHECK_HR(S_OK, extensibility->OnConnection(application.get(), 0, nullptr, nullptr));
      CHECK(Counters().connections == 2);
      unique_bstr appointment(L"Microsoft.Outlook.Appointment"), markup;
      CHECK_HR(S_OK, ribbon->GetCustomUI(appointment.get(), markup.put()));
      CHECK(markup.str() == ribbon_xml);
    }
    SetEnvironmentVariableW(L"TMP", tmp.empty() ? nullptr : tmp.c_str());
    SetEnvironmentVariableW(L"TEMP", temp_before.empty() ? nullptr : temp_before.c_str());
    outlook.ClearFaults();
    {
      auto application = ServeApplication(outlook.Application());
      CHECK_HR(S_OK, extensibility->OnConnection(application.get(), 0, nullptr, nullptr));
    }
    // The application, its inspectors, the calendar's and the Tasks folder's items.
    CHECK(Counters().connections == 4);
    CHECK_HR(E_POINTER, ribbon->GetCustomUI(nullptr, nullptr));

    // A message of the normal flow, owned by the active window.
    RecordedBoxes().clear();
    CHECK_HR(S_OK,
             CallByName(dispatch.get(), L"VBX_CopyToTask", Object(nullptr), nullptr, nullptr));
    CHECK(RecordedBoxes().size() == 1 && RecordedBoxes()[0].style == MB_OK &&
          RecordedBoxes()[0].owner_is_active_window);

    // Disconnection unadvises every sink; a callback's failure reaches the caller through the
    // dual interface's vtable as through Invoke.
    CHECK_HR(S_OK, extensibility->OnDisconnection(0, nullptr));
    CHECK(Counters().connections == 0);
    VARIANT_BOOL enabled = VARIANT_TRUE;
    traced.clear();
    CHECK_HR(0x800A005B, connect->VB_GetEnabled(nullptr, &enabled));
    // One line on the debugger's output: which member failed, how and why.
    CHECK_TEXT(
        L"Fenmark: VB_GetEnabled: 0x800A005B Object variable or With block variable not set\n",
        traced);
    CHECK_HR(0x800A005B, extensibility->OnConnection(nullptr, 0, nullptr, nullptr));
    // The thread's error information says why, for the interface that says it gives it.
    com_ptr<ISupportErrorInfo> support;
    CHECK_HR(S_OK, object.query(IID_ISupportErrorInfo, support));
    if (support) CHECK_HR(S_OK, support->InterfaceSupportsErrorInfo(IID__Connect));
    {
      EXCEPINFO error{};
      unique_variant result;
      CHECK_HR(DISP_E_EXCEPTION,
               CallByName(dispatch.get(), L"VB_GetEnabled", Object(nullptr), result.get(), &error));
      CHECK(error.scode == static_cast<SCODE>(0x800A005B) && SysStringLen(error.bstrDescription));
      for (BSTR b : {error.bstrSource, error.bstrDescription, error.bstrHelpFile}) SysFreeString(b);
    }
    // CleanFileName through the vtable leaves the caller's string as it was.
    {
      unique_bstr subject(L"Re: Budget?"), cleaned;
      BSTR argument = subject.get();
      CHECK_HR(S_OK, connect->CleanFileName(&argument, cleaned.put()));
      CHECK(argument == subject.get() && std::wstring(argument) == L"Re: Budget?" &&
            cleaned.str() == L"Re Budget");
    }
    CHECK_HR(S_FALSE, can_unload());
  }
  // Released: every reference and event connection ends with the object.
  CHECK(Counters().connections == 0 && Counters().live == 0);
  CHECK(outlook.OutstandingReferences() == 0);
  CHECK_HR(S_OK, can_unload());
  CHECK(Regsvr32(L"/u /s \"" + dll + L"\"") == 0);
}

}  // namespace fenmark::wintest
