// Text as the sim compares, logs and renders it: letter case, quoting for the call log, UTF-8,
// paragraph breaks.

#include "host/text.h"

#include <cwctype>

#include "sim/core.h"
#include "sim/utf8.h"

namespace fenmark::sim::detail {

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring Upper(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
  return host::SameText(a, b);
}

std::wstring Quote(const std::wstring& text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    if (c == L'\r')
      out += L"\\r";
    else if (c == L'\n')
      out += L"\\n";
    else
      out += c;
  }
  return out + L"\"";
}

std::string ToUtf8(const std::wstring& text) {
  return sim::ToUtf8(text);
}

std::wstring FromUtf8(const std::vector<std::uint8_t>& bytes) {
  return sim::FromUtf8({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

std::wstring ParagraphBreaks(const std::wstring& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == L'\r') {
      out += L"\r\n";
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else if (c == L'\n') {
      out += L"\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace fenmark::sim::detail
