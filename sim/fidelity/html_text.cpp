// The text Word makes of an HTML file it inserts: tags dropped, entities decoded, block elements
// ending paragraphs.

#include <cwctype>
#include <map>
#include <set>

#include "sim/fidelity/parts.h"

namespace fenmark::sim::detail {

namespace {

std::wstring DecodeEntity(const std::wstring& name) {
  if (name.empty()) return L"&;";
  if (name[0] == L'#') {
    try {
      unsigned long code = (name.size() > 1 && (name[1] == L'x' || name[1] == L'X'))
                               ? std::stoul(name.substr(2), nullptr, 16)
                               : std::stoul(name.substr(1));
      if (code > 0 && code < 0x110000) return std::wstring(1, static_cast<wchar_t>(code));
    } catch (...) {
    }
    return L"&" + name + L";";
  }
  static const std::map<std::wstring, wchar_t> kNamed = {
      {L"amp", L'&'},       {L"lt", L'<'},         {L"gt", L'>'},         {L"quot", L'"'},
      {L"apos", L'\''},     {L"nbsp", L'\u00A0'},  {L"copy", L'\u00A9'},  {L"reg", L'\u00AE'},
      {L"euro", L'\u20AC'}, {L"ndash", L'\u2013'}, {L"mdash", L'\u2014'}, {L"hellip", L'\u2026'}};
  auto it = kNamed.find(Lower(name));
  if (it != kNamed.end()) return std::wstring(1, it->second);
  return L"&" + name + L";";
}

bool IsBlock(const std::wstring& tag) {
  static const std::set<std::wstring> kBlocks = {L"p",     L"div",        L"h1",  L"h2", L"h3",
                                                 L"h4",    L"h5",         L"h6",  L"li", L"tr",
                                                 L"table", L"blockquote", L"pre", L"ul", L"ol"};
  return kBlocks.count(tag) > 0;
}

}  // namespace

std::wstring HtmlToText(const std::wstring& html) {
  std::wstring out;
  bool pending_space = false;
  std::wstring skip_until;  // closing tag name of a skipped element (head, script, style, title)
  auto end_paragraph = [&] {
    pending_space = false;
    if (!out.empty() && !(out.size() >= 2 && out.compare(out.size() - 2, 2, L"\r\n") == 0))
      out += L"\r\n";
  };
  std::size_t i = 0;
  while (i < html.size()) {
    wchar_t c = html[i];
    if (c == L'<') {
      std::size_t close = html.find(L'>', i);
      if (close == std::wstring::npos) break;
      std::wstring tag = html.substr(i + 1, close - i - 1);
      i = close + 1;
      if (tag.rfind(L"!--", 0) == 0) {
        std::size_t end = html.find(L"-->", i - 1);
        i = end == std::wstring::npos ? html.size() : end + 3;
        continue;
      }
      bool closing = !tag.empty() && tag[0] == L'/';
      std::wstring name;
      for (std::size_t k = closing ? 1 : 0; k < tag.size(); ++k) {
        if (std::iswspace(tag[k]) || tag[k] == L'/') break;
        name += static_cast<wchar_t>(std::towlower(tag[k]));
      }
      if (!skip_until.empty()) {
        if (closing && name == skip_until) skip_until.clear();
        continue;
      }
      if (!closing &&
          (name == L"head" || name == L"script" || name == L"style" || name == L"title")) {
        skip_until = name;
        continue;
      }
      if (name == L"br") {
        out += L"\r\n";
        pending_space = false;
      } else if (IsBlock(name)) {
        if (closing || name == L"p" || name == L"div" || name == L"li" || name == L"tr")
          end_paragraph();
      } else if (name == L"td" || name == L"th") {
        if (closing) pending_space = true;
      }
      continue;
    }
    if (!skip_until.empty()) {
      ++i;
      continue;
    }
    std::wstring piece;
    if (c == L'&') {
      std::size_t semi = html.find(L';', i);
      if (semi != std::wstring::npos && semi - i <= 10) {
        piece = DecodeEntity(html.substr(i + 1, semi - i - 1));
        i = semi + 1;
      } else {
        piece = L"&";
        ++i;
      }
    } else if (std::iswspace(c)) {
      pending_space = true;
      ++i;
      continue;
    } else {
      piece = std::wstring(1, c);
      ++i;
    }
    if (pending_space && !out.empty() && out.back() != L'\n') out += L' ';
    pending_space = false;
    out += piece;
  }
  if (!out.empty() && out.back() != L'\n') out += L"\r\n";
  return out;
}

}  // namespace fenmark::sim::detail
