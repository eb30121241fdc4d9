#include "addin/com/errors.h"

#include <new>

#include "addin/com/com_types.h"
#include "addin/com/unique_any.h"

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
  if (auto info = create.try_as<IErrorInfo>()) SetErrorInfo(0, info.get());
}

}  // namespace

HRESULT to_hresult(const char* where) noexcept {
  HRESULT hr = E_UNEXPECTED;
  try {
    throw;
  } catch (const host::Failure& failure) {
    hr = HresultOf(failure);
    TraceFailure(where, hr, failure.Description().c_str());
    PostErrorInfo(failure.Description());
    return hr;
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  } catch (...) {
  }
  TraceFailure(where, hr);
  return hr;
}

void TraceFailure(const char* where, HRESULT hr, const wchar_t* description) noexcept {
  wchar_t line[1024];  // the most the formatting writes; a long description is cut short
  wsprintfW(line, L"Fenmark: %hs: 0x%08lX%ls%.900ls\n", where, static_cast<unsigned long>(hr),
            *description ? L" " : L"", description);
  OutputDebugStringW(line);
}

void FillExcepInfo(EXCEPINFO* info, const host::Failure& failure) noexcept {
  if (!info) return;
  // An [out] argument: what it held is the caller's, often uninitialised, never ours to free.
  *info = EXCEPINFO{};
  info->scode = HresultOf(failure);
  info->bstrSource = SysAllocString(L"Fenmark.Connect");
  info->bstrDescription = SysAllocStringLen(failure.Description().data(),
                                            static_cast<UINT>(failure.Description().size()));
}

namespace {

// The HRESULTs that the automation runtime reports as its own error numbers (their texts are
// host::errors::kRuntimeErrors').
struct ReportedAs {
  HRESULT hr;
  std::int32_t number;
};
constexpr ReportedAs kReportedAs[] = {
    {E_INVALIDARG, 5},
    {DISP_E_OVERFLOW, 6},
    {E_OUTOFMEMORY, 7},
    {DISP_E_BADINDEX, 9},
    {DISP_E_ARRAYISLOCKED, 10},
    {DISP_E_DIVBYZERO, 11},
    {DISP_E_TYPEMISMATCH, 13},
    {E_NOINTERFACE, 430},
    {DISP_E_MEMBERNOTFOUND, 438},
    {DISP_E_UNKNOWNNAME, 438},
    {DISP_E_NONAMEDARGS, 446},
    {DISP_E_UNKNOWNLCID, 447},
    {DISP_E_PARAMNOTFOUND, 448},
    {DISP_E_PARAMNOTOPTIONAL, 449},
    {DISP_E_BADPARAMCOUNT, 450},
    {DISP_E_NOTACOLLECTION, 451},
    {DISP_E_BADVARTYPE, 458},
};

// A control-facility HRESULT is the runtime's small error number, as callers of the runtime see
// it (0x800A0035 is error 53), and so is every HRESULT the runtime reports as one of its own
// (DISP_E_TYPEMISMATCH is 13); any other HRESULT is its own number.
std::int32_t NumberOf(HRESULT hr) noexcept {
  if (HRESULT_SEVERITY(hr) == SEVERITY_ERROR && HRESULT_FACILITY(hr) == FACILITY_CONTROL)
    return HRESULT_CODE(hr);
  for (const auto& reported : kReportedAs)
    if (reported.hr == hr) return reported.number;
  return hr;
}

}  // namespace

std::wstring MessageOf(HRESULT hr) {
  // The runtime's own errors carry its texts; the system's message table does not know them.
  if (const std::int32_t number = NumberOf(hr); number != hr) {
    if (const wchar_t* text = host::errors::RuntimeText(number)) return text;
  }
  unique_local<wchar_t> buffer;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
  std::wstring text;
  if (n && buffer) text.assign(buffer.get(), n);
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
