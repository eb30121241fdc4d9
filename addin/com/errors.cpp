#include "addin/com/errors.h"

#include <new>

#include "addin/com/com_types.h"

namespace fenmark::com {

HRESULT HresultOf(const host::Failure& failure) noexcept {
  const auto number = failure.Number();
  if (number < 0) return static_cast<HRESULT>(number);
  if (number > 0 && number <= 0xFFFF) return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
  return E_FAIL;
}

namespace {

void PostErrorInfo(const std::wstring& description) noexcept {
  com_ptr<ICreateErrorInfo> create;
  if (FAILED(CreateErrorInfo(create.put()))) return;
  create->SetGUID(GUID_NULL);
  create->SetSource(const_cast<LPOLESTR>(L"Fenmark.Connect"));
  create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
  if (auto info = create.as<IErrorInfo>()) SetErrorInfo(0, info.get());
}

}  // namespace

HRESULT to_hresult() noexcept {
  try {
    throw;
  } catch (const host::Failure& failure) {
    PostErrorInfo(failure.Description());
    return HresultOf(failure);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

void FillExcepInfo(EXCEPINFO* info, const host::Failure& failure) noexcept {
  if (!info) return;
  // Whatever the EXCEPINFO held before is released with these owners.
  unique_bstr::adopt(info->bstrSource);
  unique_bstr::adopt(info->bstrDescription);
  unique_bstr::adopt(info->bstrHelpFile);
  *info = EXCEPINFO{};
  info->scode = HresultOf(failure);
  info->bstrSource = SysAllocString(L"Fenmark.Connect");
  info->bstrDescription = SysAllocStringLen(failure.Description().data(),
                                            static_cast<UINT>(failure.Description().size()));
}

namespace {

// The automation runtime's own texts for its control-facility errors, which the system's message
// table does not know (the scripting runtime, for one, fails with them and no description).
const wchar_t* RuntimeText(std::int32_t code) noexcept {
  switch (code) {
    case 5:
      return L"Invalid procedure call or argument";
    case 6:
      return L"Overflow";
    case 7:
      return L"Out of memory";
    case 9:
      return L"Subscript out of range";
    case 13:
      return L"Type mismatch";
    case 52:
      return L"Bad file name or number";
    case 53:
      return L"File not found";
    case 54:
      return L"Bad file mode";
    case 57:
      return L"Device I/O error";
    case 58:
      return L"File already exists";
    case 61:
      return L"Disk full";
    case 70:
      return L"Permission denied";
    case 71:
      return L"Disk not ready";
    case 75:
      return L"Path/File access error";
    case 76:
      return L"Path not found";
    case 91:
      return L"Object variable or With block variable not set";
    case 424:
      return L"Object required";
    case 438:
      return L"Object doesn't support this property or method";
    default:
      return nullptr;
  }
}

constexpr std::int32_t kNoSuchMember = 438;

// A control-facility HRESULT is the runtime's small error number, as callers of the runtime
// see it (0x800A0035 is error 53), and so is a member the object does not have (438); any other
// HRESULT is its own number.
std::int32_t NumberOf(HRESULT hr) noexcept {
  if (HRESULT_SEVERITY(hr) == SEVERITY_ERROR && HRESULT_FACILITY(hr) == FACILITY_CONTROL)
    return HRESULT_CODE(hr);
  if (hr == DISP_E_UNKNOWNNAME || hr == DISP_E_MEMBERNOTFOUND) return kNoSuchMember;
  return hr;
}

}  // namespace

std::wstring MessageOf(HRESULT hr) {
  // The runtime's own errors carry its texts; the system's message table does not know them.
  if (const std::int32_t number = NumberOf(hr); number != hr) {
    if (const wchar_t* text = RuntimeText(number)) return text;
  }
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (n && buffer) {
    try {
      text.assign(buffer, n);
    } catch (...) {
      LocalFree(buffer);
      throw;
    }
  }
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  return text.empty() ? std::wstring(L"Automation error") : text;
}

void ThrowFailure(HRESULT hr) {
  throw host::Failure(NumberOf(hr), MessageOf(hr));
}

void ThrowFailure(HRESULT hr, EXCEPINFO& info) {
  // The EXCEPINFO's strings are ours to free whatever happens.
  auto source = unique_bstr::adopt(info.bstrSource);
  auto description = unique_bstr::adopt(info.bstrDescription);
  auto help = unique_bstr::adopt(info.bstrHelpFile);
  info.bstrSource = info.bstrDescription = info.bstrHelpFile = nullptr;
  if (hr != DISP_E_EXCEPTION) ThrowFailure(hr);
  if (info.pfnDeferredFillIn) {
    info.pfnDeferredFillIn(&info);
    source = unique_bstr::adopt(info.bstrSource);
    description = unique_bstr::adopt(info.bstrDescription);
    help = unique_bstr::adopt(info.bstrHelpFile);
    info.bstrSource = info.bstrDescription = info.bstrHelpFile = nullptr;
  }
  HRESULT number = info.scode;
  // A bare wCode is the callee's own error number, as the runtime reports it.
  if (number == 0 && info.wCode != 0)
    number = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, info.wCode);
  if (number == 0) number = hr;
  auto text = description.str();
  throw host::Failure(NumberOf(number), text.empty() ? MessageOf(number) : std::move(text));
}

void ThrowLastError() {
  ThrowFailure(HRESULT_FROM_WIN32(GetLastError()));
}

}  // namespace fenmark::com
