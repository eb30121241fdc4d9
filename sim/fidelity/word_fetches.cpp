// What Word fetches when it inserts an HTML file: every address beyond the file's own folder that
// the page names where Word loads it (pictures, backgrounds, frames, objects, style sheets, CSS
// url(), VML inside conditional comments, a refresh). Hyperlinks and text fetch nothing.

#include <algorithm>
#include <cwctype>

#include "sim/fidelity/parts.h"

namespace fenmark::sim::detail {
namespace {

bool IsBlank(wchar_t c) {
  return c <= L' ' || c == 0x7F;
}

// Numeric entities and the few names an address may hide behind, decoded.
std::wstring Decoded(const std::wstring& value) {
  std::wstring out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == L'&' && i + 1 < value.size() && value[i + 1] == L'#') {
      std::size_t j = i + 2;
      const bool hex = j < value.size() && (value[j] == L'x' || value[j] == L'X');
      if (hex) ++j;
      unsigned long code = 0;
      for (; j < value.size() && std::iswxdigit(value[j]) && (hex || std::iswdigit(value[j])); ++j)
        code = std::min(code * (hex ? 16 : 10) + std::stoul(std::wstring(1, value[j]), nullptr, 16),
                        0x10FFFFul);
      out += static_cast<wchar_t>(code);
      i = j < value.size() && value[j] == L';' ? j : j - 1;
    } else if (Lower(value.substr(i, 7)) == L"&colon;") {
      out += L':';
      i += 6;
    } else {
      out += value[i];
    }
  }
  return out;
}

bool Remote(const std::wstring& address) {
  std::wstring squeezed;
  for (wchar_t c : Decoded(address))
    if (!IsBlank(c)) squeezed += c;
  squeezed = Lower(squeezed);
  for (const wchar_t* start : {L"http:", L"https:", L"ftp:", L"file:", L"\\\\", L"//"})
    if (squeezed.rfind(start, 0) == 0) return true;
  return false;
}

// The address after `at` in CSS text: url(...) or a quoted string.
std::wstring CssAddress(const std::wstring& css, std::size_t at) {
  while (at < css.size() && IsBlank(css[at])) ++at;
  if (at < css.size() && (css[at] == L'"' || css[at] == L'\'')) {
    const auto close = css.find(css[at], at + 1);
    return css.substr(at + 1, close == std::wstring::npos ? std::wstring::npos : close - at - 1);
  }
  const auto close = css.find(L')', at);
  return css.substr(at, close == std::wstring::npos ? std::wstring::npos : close - at);
}

void FromCss(const std::wstring& text, std::vector<std::wstring>& fetched) {
  const std::wstring lower = Lower(text);
  for (std::size_t at = lower.find(L"url("); at != std::wstring::npos;
       at = lower.find(L"url(", at + 4))
    if (const auto address = CssAddress(text, at + 4); Remote(address)) fetched.push_back(address);
  for (std::size_t at = lower.find(L"@import"); at != std::wstring::npos;
       at = lower.find(L"@import", at + 7))
    if (const auto address = CssAddress(text, at + 7); Remote(address)) fetched.push_back(address);
}

}  // namespace

std::vector<std::wstring> FetchedBy(const std::wstring& html) {
  std::vector<std::wstring> fetched;
  FromCss(html, fetched);  // style elements and style attributes alike
  // Comments are not skipped: Word reads the markup of conditional ones.
  for (std::size_t at = html.find(L'<'); at != std::wstring::npos; at = html.find(L'<', at + 1)) {
    std::size_t i = at + 1;
    std::wstring tag;
    while (i < html.size() && !IsBlank(html[i]) && html[i] != L'>' && html[i] != L'/')
      tag += static_cast<wchar_t>(std::towlower(html[i++]));
    bool refresh = false;
    std::wstring content;
    while (i < html.size() && html[i] != L'>') {
      while (i < html.size() && (IsBlank(html[i]) || html[i] == L'/')) ++i;
      std::wstring name;
      while (i < html.size() && !IsBlank(html[i]) && html[i] != L'=' && html[i] != L'>')
        name += static_cast<wchar_t>(std::towlower(html[i++]));
      std::wstring value;
      if (i < html.size() && html[i] == L'=') {
        ++i;
        if (i < html.size() && (html[i] == L'"' || html[i] == L'\'')) {
          const auto close = html.find(html[i], i + 1);
          if (close == std::wstring::npos) break;
          value = html.substr(i + 1, close - i - 1);
          i = close + 1;
        } else {
          while (i < html.size() && !IsBlank(html[i]) && html[i] != L'>') value += html[i++];
        }
      }
      const std::wstring local =
          name.substr(name.rfind(L':') == std::wstring::npos ? 0 : name.rfind(L':') + 1);
      const bool hyperlink = (tag == L"a" || tag == L"area") && name == L"href";
      if (local == L"srcset") {
        for (std::size_t start = 0; start <= value.size();) {
          auto comma = value.find(L',', start);
          if (comma == std::wstring::npos) comma = value.size();
          std::wstring candidate = value.substr(start, comma - start);
          while (!candidate.empty() && IsBlank(candidate.front())) candidate.erase(0, 1);
          candidate = candidate.substr(0, candidate.find(L' '));
          if (Remote(candidate)) fetched.push_back(candidate);
          start = comma + 1;
        }
      } else if ((local == L"src" || local == L"background" || local == L"poster" ||
                  local == L"data" || local == L"lowsrc" || local == L"dynsrc" ||
                  local == L"codebase" || (local == L"href" && !hyperlink)) &&
                 Remote(value)) {
        fetched.push_back(value);
      }
      if (tag == L"meta" && local == L"http-equiv" && Lower(value) == L"refresh") refresh = true;
      if (tag == L"meta" && local == L"content") content = value;
    }
    if (refresh) {
      const auto url = Lower(content).find(L"url=");
      if (url != std::wstring::npos && Remote(content.substr(url + 4)))
        fetched.push_back(content.substr(url + 4));
    }
  }
  return fetched;
}

}  // namespace fenmark::sim::detail
