// Fenmark.dll as Windows and Office see it, run under Wine:
//   fenmark_com_tests <path of Fenmark.dll> registration|object <ribbon.xml> <context.xml>
// "registration" registers and unregisters with regsvr32 and reads the registry after each;
// "object" registers, drives one add-in object through the interfaces Office uses, and
// unregisters again.

#include <ocidl.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "addin/com/com_types.h"
#include "addin/com/office_interfaces.h"
#include "fenmark_h.h"
#include "tests/win/check.h"

namespace fenmark::wintest {
namespace {

using com::com_ptr;
using com::unique_bstr;

const IID kOfficeInterfaces[] = {__uuidof(com::IDTExtensibility2),
                                 __uuidof(com::IRibbonExtensibility), __uuidof(com::IRibbonUI),
                                 __uuidof(com::IRibbonControl)};

std::wstring Guid(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

bool KeyExists(HKEY root, const std::wstring& path, REGSAM view = 0) {
  com::unique_hkey key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

// Every key and value under `path`, one line each, in a stable order.
void Dump(HKEY root, const std::wstring& path, std::vector<std::wstring>& lines) {
  com::unique_hkey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
  lines.push_back(path);
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    BYTE data[2048];
    DWORD name_size = 256, type = 0, data_size = sizeof data;
    if (RegEnumValueW(key.get(), i, name, &name_size, nullptr, &type, data, &data_size) !=
        ERROR_SUCCESS)
      break;
    std::wstring line = path + L" | " + (name_size ? name : L"(default)");
    if (type == REG_SZ)
      line += L" | REG_SZ | " + std::wstring(reinterpret_cast<wchar_t*>(data));
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
    if (RegEnumKeyExW(key.get(), i, name, &name_size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    subkeys.push_back(name);
  }
  key.reset();
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

  // The 32-bit DLL registered too (its class where 32-bit COM reads it) still needs the ProgID
  // and the add-in key: unregistering the 64-bit one keeps them, and the last takes them. (Wine
  // writes a 32-bit registration where the 64-bit one is, so the 32-bit suite cannot tell.)
  if (sizeof(void*) == 8) {
    const std::wstring other_server = class_key + L"\\InprocServer32";
    com::unique_hkey other;
    CHECK(RegCreateKeyExW(HKEY_CURRENT_USER, other_server.c_str(), 0, nullptr, 0,
                          KEY_WRITE | KEY_WOW64_32KEY, nullptr, other.put(),
                          nullptr) == ERROR_SUCCESS);
    other.reset();
    CHECK(Regsvr32(L"/s \"" + dll + L"\"") == 0);
    CHECK(Regsvr32(L"/u /s \"" + dll + L"\"") == 0);
    std::vector<std::wstring> shared;
    for (const auto& line : expected)
      if (line.rfind(class_key, 0) != 0) shared.push_back(line);
    CheckLines(shared, Registration());
    CHECK(KeyExists(HKEY_CURRENT_USER, other_server, KEY_WOW64_32KEY));
    RegDeleteKeyExW(HKEY_CURRENT_USER, other_server.c_str(), KEY_WOW64_32KEY, 0);
    RegDeleteKeyExW(HKEY_CURRENT_USER, class_key.c_str(), KEY_WOW64_32KEY, 0);
    CHECK(Regsvr32(L"/u /s \"" + dll + L"\"") == 0);
    CheckLines({}, Registration());
  }
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
  for (auto [name, value] : {std::pair{L"FileVersion", L"2.01"},
                             {L"ProductVersion", L"2.01"},
                             {L"InternalName", L"Fenmark"},
                             {L"OriginalFilename", L"Fenmark.dll"},
                             {L"ProductName", L"Ostrand"},
                             {L"OLESelfRegister", L""}})
    CHECK_TEXT(value, text(name));
}

}  // namespace

// The add-in object, in object_tests.cpp.
void TestObject(const std::wstring& dll, const std::wstring& ribbon_file);
void TestMalformedCalls(const std::wstring& dll);

}  // namespace fenmark::wintest

int wmain(int argc, wchar_t** argv) try {
  using namespace fenmark::wintest;
  if (argc != 5) {
    std::printf(
        "usage: fenmark_com_tests DLL registration|object|malformed RIBBON_XML CONTEXT_XML\n");
    return 2;
  }
  const std::wstring dll = FullPath(argv[1]), group = argv[2];
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  if (group == L"registration") {
    TestRegistration(dll);
    TestVersionResource(dll);
  } else if (group == L"object") {
    TestObject(dll, FullPath(argv[3]));
  } else if (group == L"malformed") {
    TestMalformedCalls(dll);
  } else {
    std::printf("unknown group\n");
    return 2;
  }
  CoUninitialize();
  return Summary();
} catch (...) {
  return fenmark::wintest::Stopped();
}
