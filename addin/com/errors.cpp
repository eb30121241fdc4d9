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

std::wstring MessageOf(HRESULT hr) {
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
  throw host::Failure(hr, MessageOf(hr));
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
  if (number == 0 && info.wCode != 0)
    number = info.wCode >= 1000 ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, info.wCode)
                                : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, info.wCode);
  if (number == 0) number = hr;
  auto text = description.str();
  throw host::Failure(number, text.empty() ? MessageOf(number) : std::move(text));
}

void ThrowLastError() {
  ThrowFailure(HRESULT_FROM_WIN32(GetLastError()));
}

}  // namespace fenmark::com
