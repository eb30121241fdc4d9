// Fenmark.dll as Windows and Office see it, run under Wine:
//   fenmark_com_tests <path of Fenmark.dll> registration|object <ribbon.xml> <context.xml>
// "registration" registers and unregisters with regsvr32 and reads the registry after each;
// "object" registers, drives one add-in object through the interfaces Office uses, and
// unregisters again.

#include <ocidl.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "addin/com/office_interfaces.h"
#include "fake_dispatch.h"
#include "fenmark_h.h"
#include "message_boxes.h"
#include "tests/win/check.h"

namespace fenmark::wintest {
namespace {

using com::IDTExtensibility2;
using com::IRibbonExtensibility;
using com::unique_bstr;
using com::unique_variant;

constexpr IID kApplicationEvents = {
    0x0006302C, 0, 0, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kInspectorsEvents = {
    0x00063079, 0, 0, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kItemsEvents = {0x00063077, 0, 0, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kItemEvents10 = {0x0006302B, 0, 0, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kOfficeInterfaces[] = {__uuidof(IDTExtensibility2), __uuidof(IRibbonExtensibility),
                                 __uuidof(com::IRibbonUI), __uuidof(com::IRibbonControl)};

const wchar_t* const kConnectNames[] = {
    L"glblObjRibbon",   L"olItems",       L"AttachOrigItem", L"CleanFileName",  L"GetTaskStatus",
    L"Ribbon_OnLoad",   L"VB_GetEnabled", L"VBX_GetEnabled", L"VBX_GetVisible", L"VB_OpenTask",
    L"VB_CompleteTask", L"VB_StartTask",  L"VB_StopTask",    L"VBX_OpenTask",   L"VBX_CompleteTask",
    L"VBX_StartTask",   L"VBX_StopTask",  L"VBX_CopyToTask", L"LoadXML"};

std::wstring Guid(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

std::wstring FullPath(const std::wstring& path) {
  wchar_t buffer[MAX_PATH * 2] = {};
  GetFullPathNameW(path.c_str(), MAX_PATH * 2, buffer, nullptr);
  return buffer;
}

std::wstring ReadAscii(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return std::wstring(bytes.begin(), bytes.end());
}

bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Every key and value under `path`, one line each, in a stable order.
void Dump(HKEY root, const std::wstring& path, std::vector<std::wstring>& lines) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  lines.push_back(path);
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD name_size = 256, type = 0, data_size = 0;
    BYTE data[2048];
    data_size = sizeof data;
    if (RegEnumValueW(key, i, name, &name_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS)
      break;
    std::wstring line = path + L" | " + (name_size ? name : L"(default)");
    if (type == REG_SZ)
      line += L" | REG_SZ | " + std::wstring(reinterpret_cast<wchar_t*>(data)).substr(0);
    else if (type == REG_DWORD)
      line += L" | REG_DWORD | " + std::to_wstring(*reinterpret_cast<DWORD*>(data));
    else
      line += L" | type " + std::to_wstring(type);
    lines.push_back(line);
  }
  std::vector<std::wstring> subkeys;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD name_size = 256;
    if (RegEnumKeyExW(key, i, name, &name_size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    subkeys.push_back(name);
  }
  RegCloseKey(key);
  for (const auto& subkey : subkeys) Dump(root, path + L"\\" + subkey, lines);
}

std::vector<std::wstring> Registration() {
  std::vector<std::wstring> lines;
  Dump(HKEY_CURRENT_USER, L"Software\\Classes\\CLSID\\" + Guid(CLSID_Connect), lines);
  Dump(HKEY_CURRENT_USER, L"Software\\Classes\\Fenmark.Connect", lines);
  Dump(HKEY_CURRENT_USER, L"Software\\Microsoft\\Office", lines);
  std::sort(lines.begin(), lines.end());
  return lines;
}

bool CheckLines(const std::vector<std::wstring>& expected,
                const std::vector<std::wstring>& actual) {
  bool ok = CHECK(expected.size() == actual.size());
  for (size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
    const std::wstring e = i < expected.size() ? expected[i] : L"(nothing)";
    const std::wstring a = i < actual.size() ? actual[i] : L"(nothing)";
    ok = CHECK_TEXT(e, a) && ok;
  }
  return ok;
}

void TestRegistration(const std::wstring& dll) {
  const std::wstring clsid = Guid(CLSID_Connect), libid = Guid(LIBID_Fenmark);
  const std::wstring class_key = L"Software\\Classes\\CLSID\\" + clsid;
  const std::wstring addin_key = L"Software\\Microsoft\\Office\\Outlook\\Addins\\Fenmark.Connect";
  std::vector<std::wstring> expected = {
      class_key,
      class_key + L" | (default) | REG_SZ | Connect",
      class_key + L"\\InprocServer32",
      class_key + L"\\InprocServer32 | (default) | REG_SZ | " + dll,
      class_key + L"\\InprocServer32 | ThreadingModel | REG_SZ | Apartment",
      class_key + L"\\ProgID",
      class_key + L"\\ProgID | (default) | REG_SZ | Fenmark.Connect",
      class_key + L"\\TypeLib",
      class_key + L"\\TypeLib | (default) | REG_SZ | " + libid,
      L"Software\\Classes\\Fenmark.Connect",
      L"Software\\Classes\\Fenmark.Connect | (default) | REG_SZ | Connect",
      L"Software\\Classes\\Fenmark.Connect\\CLSID",
      L"Software\\Classes\\Fenmark.Connect\\CLSID | (default) | REG_SZ | " + clsid,
      L"Software\\Microsoft\\Office",
      L"Software\\Microsoft\\Office\\Outlook",
      L"Software\\Microsoft\\Office\\Outlook\\Addins",
      addin_key,
      addin_key + L" | Description | REG_SZ | Copy mail item to task",
      addin_key + L" | FriendlyName | REG_SZ | Ostrand",
      addin_key + L" | LoadBehavior | REG_DWORD | 3",
  };
  std::sort(expected.begin(), expected.end());

  for (int round = 1; round <= 2; ++round) {
    CHECK(Regsvr32(L"/s \"" + dll + L"\"") == 0);
    CheckLines(expected, Registration());
  }

  // The type library, registered for the user and found as a client finds it.
  com_ptr<ITypeLib> library;
  if (CHECK_HR(S_OK, LoadRegTypeLib(LIBID_Fenmark, 1, 0, 0x0409, library.put()))) {
    unique_bstr name, help;
    library->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr);
    CHECK_TEXT(L"Fenmark", name.str());
    CHECK_TEXT(L"Outlook Add-in Send to Ostrand", help.str());
    TLIBATTR* attributes = nullptr;
    if (SUCCEEDED(library->GetLibAttr(&attributes))) {
      CHECK(attributes->lcid == 0x0409 && attributes->wMajorVerNum == 1 &&
            attributes->wMinorVerNum == 0 &&
            attributes->syskind == (sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32));
      library->ReleaseTLibAttr(attributes);
    }
    CHECK(library->GetTypeInfoCount() == 2);
    for (const IID& office : kOfficeInterfaces) {
      com_ptr<ITypeInfo> info;
      CHECK_HR(TYPE_E_ELEMENTNOTFOUND, library->GetTypeInfoOfGuid(office, info.put()));
    }
  }
  library.reset();
  CHECK(KeyExists(HKEY_CLASSES_ROOT, L"Interface\\" + Guid(IID__Connect)));
  // Office's interfaces stay Office's.
  for (const IID& office : kOfficeInterfaces) {
    CHECK(!KeyExists(HKEY_CLASSES_ROOT, L"Interface\\" + Guid(office)));
    CHECK(!KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\Interface\\" + Guid(office)));
  }

  CHECK(Regsvr32(L"/u /s \"" + dll + L"\"") == 0);
  CheckLines({}, Registration());
  CHECK_HR(TYPE_E_LIBNOTREGISTERED, LoadRegTypeLib(LIBID_Fenmark, 1, 0, 0x0409, library.put()));
  CHECK(!KeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + libid));
  CHECK(!KeyExists(HKEY_CLASSES_ROOT, L"Interface\\" + Guid(IID__Connect)));
  // Unregistering what is not registered is not a failure.
  CHECK(Regsvr32(L"/u /s \"" + dll + L"\"") == 0);
  if (HMODULE module = LoadLibraryW(dll.c_str())) {
    using Unregister = HRESULT(STDAPICALLTYPE*)();
    auto unregister = reinterpret_cast<Unregister>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllUnregisterServer")));
    if (CHECK(unregister != nullptr)) CHECK_HR(S_OK, unregister());
    FreeLibrary(module);
  }
  CheckLines({}, Registration());
}

void TestVersionResource(const std::wstring& dll) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(dll.c_str(), &handle);
  if (!CHECK(size > 0)) return;
  std::vector<BYTE> block(size);
  if (!CHECK(GetFileVersionInfoW(dll.c_str(), 0, size, block.data()))) return;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (CHECK(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length))) {
    CHECK(fixed->dwFileVersionMS == 0x00020001 && fixed->dwFileVersionLS == 0);
    CHECK(fixed->dwProductVersionMS == 0x00020001 && fixed->dwProductVersionLS == 0);
  }
  auto text = [&](const wchar_t* name) -> std::wstring {
    wchar_t* value = nullptr;
    UINT chars = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &chars))
      return L"(missing)";
    return chars && value ? std::wstring(value) : std::wstring();
  };
  CHECK_TEXT(L"2.01", text(L"FileVersion"));
  CHECK_TEXT(L"2.01", text(L"ProductVersion"));
  CHECK_TEXT(L"Fenmark", text(L"InternalName"));
  CHECK_TEXT(L"Fenmark.dll", text(L"OriginalFilename"));
  CHECK_TEXT(L"Ostrand", text(L"ProductName"));
  CHECK_TEXT(L"", text(L"OLESelfRegister"));
}

// ---- the add-in object ----

struct FakeOutlook {
  std::wstring version = L"14.0.4760.1000";
  std::wstring namespace_asked, folder_asked;
  com_ptr<FakeObject> app = FakeObject::Make(&kApplicationEvents);
  com_ptr<FakeObject> inspectors = FakeObject::Make(&kInspectorsEvents);
  com_ptr<FakeObject> ns = FakeObject::Make();
  com_ptr<FakeObject> folder = FakeObject::Make();
  com_ptr<FakeObject> items = FakeObject::Make(&kItemsEvents);

  explicit FakeOutlook(HRESULT namespace_failure = S_OK) {
    app->DefineText(L"Version", &version);
    app->DefineObject(L"Inspectors", inspectors.get());
    app->Define(L"GetNamespace", [this, namespace_failure](const std::vector<VARIANT*>& args,
                                                           VARIANT* result, EXCEPINFO* info) {
      namespace_asked = args.size() == 1 && V_VT(args[0]) == VT_BSTR ? V_BSTR(args[0]) : L"?";
      if (FAILED(namespace_failure)) {
        info->scode = namespace_failure;
        info->bstrDescription = SysAllocString(L"The profile is not available.");
        return DISP_E_EXCEPTION;
      }
      V_VT(result) = VT_DISPATCH;
      V_DISPATCH(result) = com_ptr<IDispatch>::retain(ns.get()).detach();
      return S_OK;
    });
    ns->Define(L"GetDefaultFolder", [this](const std::vector<VARIANT*>& args, VARIANT* result,
                                           EXCEPINFO*) {
      folder_asked =
          args.size() == 1 && V_VT(args[0]) == VT_I4 ? std::to_wstring(V_I4(args[0])) : L"?";
      V_VT(result) = VT_DISPATCH;
      V_DISPATCH(result) = com_ptr<IDispatch>::retain(folder.get()).detach();
      return S_OK;
    });
    folder->DefineObject(L"Items", items.get());
  }
  ~FakeOutlook() { Clear(); }
  void Clear() {
    for (auto* o : {app.get(), inspectors.get(), ns.get(), folder.get(), items.get()}) o->Clear();
  }
  // No references but this fake's own; the fakes stop handing each other out.
  bool Released() {
    Clear();
    return app->references() == 1 && inspectors->references() == 1 && ns->references() == 1 &&
           folder->references() == 1 && items->references() == 1;
  }
};

HRESULT CallByName(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args_last_first,
                   VARIANT* result, EXCEPINFO* info) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, 0x0409, &id);
  if (FAILED(hr)) return hr;
  DISPPARAMS params{args_last_first.data(), nullptr, static_cast<UINT>(args_last_first.size()), 0};
  UINT bad = 0;
  return object->Invoke(id, IID_NULL, 0x0409, DISPATCH_METHOD, &params, result, info, &bad);
}

VARIANT Text(const wchar_t* text) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = const_cast<BSTR>(text);  // borrowed; only read by the callee
  return v;
}
VARIANT NoObject() {
  VARIANT v;
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = nullptr;
  return v;
}

std::wstring CustomUI(IRibbonExtensibility* ribbon, const wchar_t* id) {
  unique_bstr request(id), xml;
  const HRESULT hr = ribbon->GetCustomUI(request.get(), xml.put());
  return SUCCEEDED(hr) ? xml.str() : L"(failed " + std::to_wstring(hr) + L")";
}

std::wstring Upper(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

void CheckNames(IDispatch* dispatch, const char* path) {
  std::printf("  dispatch names through %s\n", path);
  for (const wchar_t* name : kConnectNames) {
    DISPID id = 0, upper_id = 0, lower_id = 0;
    std::wstring upper = Upper(name), lower = name;
    for (auto& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    LPOLESTR uppers[] = {upper.data()};
    LPOLESTR lowers[] = {lower.data()};
    CHECK_HR(S_OK, dispatch->GetIDsOfNames(IID_NULL, names, 1, 0x0409, &id));
    CHECK_HR(S_OK, dispatch->GetIDsOfNames(IID_NULL, uppers, 1, 0x0409, &upper_id));
    CHECK_HR(S_OK, dispatch->GetIDsOfNames(IID_NULL, lowers, 1, 0x0409, &lower_id));
    CHECK(id == upper_id && id == lower_id);
  }
  LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"VB_NoSuchCallback")};
  DISPID id = 0;
  CHECK_HR(DISP_E_UNKNOWNNAME, dispatch->GetIDsOfNames(IID_NULL, unknown, 1, 0x0409, &id));
}

void TestObject(const std::wstring& dll, const std::wstring& ribbon_file,
                const std::wstring& context_file) {
  const std::wstring ribbon_xml = ReadAscii(ribbon_file) + L"\r\n";
  const std::wstring context_xml = ReadAscii(context_file) + L"\r\n";
  CHECK(ribbon_xml.size() == 1239 && context_xml.size() == 1513);

  CHECK(Regsvr32(L"/s \"" + dll + L"\"") == 0);
  if (!ClassFound(L"Fenmark.Connect")) return;
  // Loaded first, so that the object COM creates lives in this very module, whose message
  // boxes are recorded.
  HMODULE module = LoadLibraryW(dll.c_str());
  if (!CHECK(module != nullptr)) return;
  CHECK(
      PatchImport(module, "USER32.dll", "MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox)));
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto can_unload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  auto get_class = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  if (!CHECK(can_unload && get_class)) return;

  // The class factory: only its own class, and an honest lock count.
  {
    com_ptr<IClassFactory> factory;
    CHECK_HR(CLASS_E_CLASSNOTAVAILABLE,
             get_class(IID_IDispatch, IID_IClassFactory, factory.put_void()));
    CHECK_HR(S_OK, get_class(CLSID_Connect, IID_IClassFactory, factory.put_void()));
    CHECK_HR(S_FALSE, can_unload());
    if (factory) {
      factory->LockServer(TRUE);
      factory.reset();
      CHECK_HR(S_FALSE, can_unload());
      com_ptr<IClassFactory> again;
      get_class(CLSID_Connect, IID_IClassFactory, again.put_void());
      if (again) again->LockServer(FALSE);
    }
    CHECK_HR(S_OK, can_unload());
  }

  CLSID clsid{};
  CHECK_HR(S_OK, CLSIDFromProgID(L"Fenmark.Connect", &clsid));
  CHECK(clsid == CLSID_Connect);
  FakeOutlook outlook;
  {
    com_ptr<IUnknown> object;
    if (!CHECK_HR(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
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

    CheckNames(dispatch.get(), "QueryInterface(IID_IDispatch)");
    CheckNames(extensibility.get(), "IDTExtensibility2");
    CheckNames(ribbon.get(), "IRibbonExtensibility");

    // Connection, as Outlook makes it: through the vtable.
    CHECK_HR(S_OK, extensibility->OnConnection(outlook.app.get(), 0, nullptr, nullptr));
    CHECK_TEXT(L"MAPI", outlook.namespace_asked);
    CHECK_TEXT(L"9", outlook.folder_asked);
    CHECK(outlook.app->connections() == 1 && outlook.inspectors->connections() == 1 &&
          outlook.items->connections() == 1);
    // Events the add-in does not handle are answered and ignored.
    CHECK_HR(S_OK, outlook.items->Raise(0x0F00, {}));
    CHECK_HR(S_OK, outlook.app->Raise(0xF003, {}));

    // A task window opens: the task is watched, and its save is stamped through late-bound puts;
    // the by-reference Cancel goes back to the source.
    {
      auto task = FakeObject::Make(&kItemEvents10);
      auto inspector = FakeObject::Make();
      auto properties = FakeObject::Make();
      auto property = FakeObject::Make();
      std::wstring entry_id = L"TASK-ENTRY-1", stamped;
      int saves = 0;
      auto give = [](IDispatch* object) {
        return [held = com_ptr<IDispatch>::retain(object)](const std::vector<VARIANT*>&,
                                                           VARIANT* result, EXCEPINFO*) {
          V_VT(result) = VT_DISPATCH;
          V_DISPATCH(result) = com_ptr<IDispatch>(held).detach();
          return S_OK;
        };
      };
      inspector->Define(L"CurrentItem", give(task.get()));
      task->Define(L"Class", [](const std::vector<VARIANT*>&, VARIANT* result, EXCEPINFO*) {
        V_VT(result) = VT_I4;
        V_I4(result) = 48;
        return S_OK;
      });
      task->Define(L"Save", [&saves](const std::vector<VARIANT*>&, VARIANT*, EXCEPINFO*) {
        ++saves;
        return S_OK;
      });
      task->DefineText(L"EntryID", &entry_id);
      task->Define(L"UserProperties", give(properties.get()));
      properties->Define(L"Add", give(property.get()));
      properties->Define(L"Item", give(property.get()));
      property->Define(L"Value",
                       [&stamped](const std::vector<VARIANT*>& args, VARIANT* result, EXCEPINFO*) {
                         if (result || args.size() != 1 || V_VT(args[0]) != VT_BSTR)
                           return DISP_E_TYPEMISMATCH;
                         stamped = V_BSTR(args[0]);
                         return S_OK;
                       });

      VARIANT shown;
      V_VT(&shown) = VT_DISPATCH;
      V_DISPATCH(&shown) = inspector.get();
      CHECK_HR(S_OK, outlook.inspectors->Raise(0xF001, {shown}));
      CHECK(task->connections() == 1);
      VARIANT_BOOL cancel = 1;  // true, but not in the form the add-in writes back
      VARIANT cancel_ref;
      V_VT(&cancel_ref) = VT_BOOL | VT_BYREF;
      V_BOOLREF(&cancel_ref) = &cancel;
      CHECK_HR(S_OK, task->Raise(0xF002, {cancel_ref}));
      CHECK(cancel == VARIANT_TRUE);
      CHECK(saves == 2);
      CHECK_TEXT(entry_id, stamped);
      // A failing save goes back to the event source with the host's own error.
      task->Clear();
      CHECK_HR(DISP_E_EXCEPTION, task->Raise(0xF002, {cancel_ref}));
      for (auto* fake : {inspector.get(), properties.get(), property.get()}) fake->Clear();
      CHECK(inspector->references() == 1 && properties->references() == 1 &&
            property->references() == 1);
      // The watched task stays referenced until the object goes.
      CHECK(task->references() > 1);
    }

    // Markup choice.
    CHECK_TEXT(ribbon_xml, CustomUI(ribbon.get(), L"Microsoft.Outlook.Appointment"));
    CHECK_TEXT(ribbon_xml, CustomUI(ribbon.get(), L"MICROSOFT.outlook.APPOINTMENT"));
    CHECK_TEXT(L"", CustomUI(ribbon.get(), L"Microsoft.Outlook.Mail.Read"));
    CHECK_TEXT(context_xml, CustomUI(ribbon.get(), L"Microsoft.Outlook.Explorer"));
    outlook.version = L"15.0.4420.1017";
    CHECK_TEXT(context_xml, CustomUI(ribbon.get(), L"microsoft.outlook.explorer"));
    outlook.version = L"12.0.6423.1000";
    CHECK_TEXT(L"", CustomUI(ribbon.get(), L"Microsoft.Outlook.Explorer"));
    CHECK_HR(E_POINTER, ribbon->GetCustomUI(nullptr, nullptr));

    // The markup loader through IDispatch, reading the DLL's own resources.
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring working_file = std::wstring(temp) + L"resOstrandRibbon.xml";
    for (auto [name, expected] :
         {std::pair{L"RIBBONXML", ribbon_xml}, std::pair{L"contextxml", context_xml},
          std::pair{L"NOSUCHXML", std::wstring()}}) {
      unique_variant result;
      CHECK_HR(S_OK, CallByName(dispatch.get(), L"loadxml", {Text(name)}, result.get(), nullptr));
      CHECK(V_VT(result.get()) == VT_BSTR);
      CHECK_TEXT(expected, unique_bstr(V_BSTR(result.get())).str());
      CHECK(GetFileAttributesW(working_file.c_str()) == INVALID_FILE_ATTRIBUTES);
    }

    // A message of the normal flow, shown by the add-in's own message box.
    RecordedBoxes().clear();
    CHECK_HR(S_OK, CallByName(ribbon.get(), L"VBX_CopyToTask", {NoObject()}, nullptr, nullptr));
    if (CHECK(RecordedBoxes().size() == 1)) {
      const auto& box = RecordedBoxes()[0];
      CHECK_TEXT(L"An entry ID could not be retrieved from the selected menu item.", box.text);
      CHECK_TEXT(L"Fenmark", box.caption);
      CHECK(box.style == MB_OK && box.owner_is_active_window);
    }

    // Disconnection lets go of the application's events only.
    CHECK_HR(S_OK, extensibility->OnDisconnection(0, nullptr));
    CHECK(outlook.app->connections() == 0 && outlook.inspectors->connections() == 1 &&
          outlook.items->connections() == 1);

    // A callback's failure reaches the caller as the runtime's error, with its text.
    EXCEPINFO info{};
    VARIANT_BOOL enabled = VARIANT_TRUE;
    unique_variant flag;
    CHECK_HR(DISP_E_EXCEPTION,
             CallByName(extensibility.get(), L"VB_GetEnabled", {NoObject()}, flag.get(), &info));
    CHECK_HR(0x800A005B, info.scode);
    CHECK_TEXT(L"Object variable or With block variable not set",
               unique_bstr::adopt(info.bstrDescription).str());
    unique_bstr::adopt(info.bstrSource);
    unique_bstr::adopt(info.bstrHelpFile);
    CHECK_HR(0x800A005B, connect->VB_GetEnabled(nullptr, &enabled));
    CHECK(RecordedBoxes().size() == 1);
    CHECK_HR(S_FALSE, can_unload());
  }
  // Released: every reference and event connection ends with the object.
  CHECK(outlook.inspectors->connections() == 0 && outlook.items->connections() == 0);
  CHECK(outlook.Released());
  CHECK_HR(S_OK, can_unload());

  // A connection that fails part-way returns the host's own error and leaves no connection
  // behind once the object is released.
  {
    FakeOutlook broken(static_cast<HRESULT>(0x8004010F));
    com_ptr<IDTExtensibility2> extensibility;
    CHECK_HR(S_OK, CoCreateInstance(CLSID_Connect, nullptr, CLSCTX_INPROC_SERVER,
                                    __uuidof(IDTExtensibility2), extensibility.put_void()));
    if (extensibility) {
      CHECK_HR(0x8004010F, extensibility->OnConnection(broken.app.get(), 0, nullptr, nullptr));
      CHECK(broken.app->connections() == 1 && broken.inspectors->connections() == 1 &&
            broken.items->connections() == 0);
      CHECK_HR(0x800A005B, extensibility->OnConnection(nullptr, 0, nullptr, nullptr));
      extensibility.reset();
    }
    CHECK(broken.app->connections() == 0 && broken.inspectors->connections() == 0);
    CHECK(broken.Released());
  }
  CHECK_HR(S_OK, can_unload());
  CHECK(Regsvr32(L"/u /s \"" + dll + L"\"") == 0);
}

}  // namespace
}  // namespace fenmark::wintest

int wmain(int argc, wchar_t** argv) try {
  using namespace fenmark::wintest;
  if (argc != 5) {
    std::printf("usage: fenmark_com_tests DLL registration|object RIBBON_XML CONTEXT_XML\n");
    return 2;
  }
  const std::wstring dll = FullPath(argv[1]), group = argv[2];
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  if (group == L"registration") {
    TestRegistration(dll);
    TestVersionResource(dll);
  } else if (group == L"object") {
    TestObject(dll, FullPath(argv[3]), FullPath(argv[4]));
  } else {
    std::printf("unknown group\n");
    return 2;
  }
  CoUninitialize();
  return Summary();
} catch (...) {
  return fenmark::wintest::Stopped();
}
