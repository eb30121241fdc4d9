#include "links/page_encoding.h"

#include <algorithm>

namespace fenmark::links {
namespace {

// Far enough into a page for its declaration, as browsers look.
constexpr std::size_t kSniffBytes = 4096;

char LowerByte(std::uint8_t b) {
  return b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : static_cast<char>(b);
}

bool IsNameByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' ||
         c == ':';
}

// The name after `key` ("charset", "encoding") and '=' in `head`, quotes and blanks skipped.
std::string NameAfter(const std::string& head, const std::string& key, std::size_t from,
                      std::size_t to) {
  for (std::size_t at = head.find(key, from); at != std::string::npos && at < to;
       at = head.find(key, at + 1)) {
    std::size_t i = at + key.size();
    while (i < to && (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n')) ++i;
    if (i >= to || head[i] != '=') continue;
    ++i;
    while (i < to && (head[i] == ' ' || head[i] == '"' || head[i] == '\'')) ++i;
    std::size_t end = i;
    while (end < to && IsNameByte(head[end])) ++end;
    if (end > i) return head.substr(i, end - i);
  }
  return {};
}

std::wstring Widened(const std::string& name) {
  return {name.begin(), name.end()};
}

std::optional<std::wstring> Utf16Text(const std::vector<std::uint8_t>& page, std::size_t start,
                                      bool big_endian) {
  if ((page.size() - start) % 2 != 0) return std::nullopt;
  std::wstring text;
  for (std::size_t i = start; i + 1 < page.size(); i += 2) {
    const std::uint32_t unit =
        big_endian ? (page[i] << 8) | page[i + 1] : page[i] | (page[i + 1] << 8);
    if constexpr (sizeof(wchar_t) == 2) {
      text += static_cast<wchar_t>(unit);
    } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < page.size()) {
      const std::uint32_t low =
          big_endian ? (page[i + 2] << 8) | page[i + 3] : page[i + 2] | (page[i + 3] << 8);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      text += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
      i += 2;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      return std::nullopt;
    } else {
      text += static_cast<wchar_t>(unit);
    }
  }
  return text;
}

void AppendUtf8(std::vector<std::uint8_t>& out, std::uint32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<std::uint8_t>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<std::uint8_t>(0xC0 | (code >> 6)));
    out.push_back(static_cast<std::uint8_t>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<std::uint8_t>(0xE0 | (code >> 12)));
    out.push_back(static_cast<std::uint8_t>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<std::uint8_t>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<std::uint8_t>(0xF0 | (code >> 18)));
    out.push_back(static_cast<std::uint8_t>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<std::uint8_t>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<std::uint8_t>(0x80 | (code & 0x3F)));
  }
}

}  // namespace

DeclaredEncoding DeclaredEncodingOf(const std::vector<std::uint8_t>& page) {
  if (page.size() >= 3 && page[0] == 0xEF && page[1] == 0xBB && page[2] == 0xBF)
    return {L"utf-8", 3};
  if (page.size() >= 2 && page[0] == 0xFF && page[1] == 0xFE) return {L"utf-16le", 2};
  if (page.size() >= 2 && page[0] == 0xFE && page[1] == 0xFF) return {L"utf-16be", 2};
  std::string head;
  for (std::size_t i = 0; i < page.size() && i < kSniffBytes; ++i) head += LowerByte(page[i]);
  for (std::size_t meta = head.find("<meta"); meta != std::string::npos;
       meta = head.find("<meta", meta + 5)) {
    const std::size_t end = std::min(head.find('>', meta), head.size());
    const std::string name = NameAfter(head, "charset", meta, end);
    if (!name.empty()) return {Widened(name), 0};
  }
  if (head.rfind("<?xml", 0) == 0) {
    const std::string name = NameAfter(head, "encoding", 0, std::min(head.find('>'), head.size()));
    if (!name.empty()) return {Widened(name), 0};
  }
  // Two-byte text without its mark: ASCII markup shows as every other byte zero.
  if (head.size() >= 4 && head[1] == '\0' && head[3] == '\0') return {L"utf-16le", 0};
  if (head.size() >= 4 && head[0] == '\0' && head[2] == '\0') return {L"utf-16be", 0};
  return {};
}

std::optional<std::wstring> PageText(host::Platform& platform,
                                     const std::vector<std::uint8_t>& page) {
  const DeclaredEncoding encoding = DeclaredEncodingOf(page);
  // UTF-16 is no code page to the platform: read here.
  if (encoding.charset == L"utf-16le" || encoding.charset == L"utf-16" ||
      encoding.charset == L"unicode")
    return Utf16Text(page, encoding.mark_size, false);
  if (encoding.charset == L"utf-16be" || encoding.charset == L"unicodefffe")
    return Utf16Text(page, encoding.mark_size, true);
  return platform.DecodeText(
      std::vector<std::uint8_t>(page.begin() + static_cast<std::ptrdiff_t>(encoding.mark_size),
                                page.end()),
      encoding.charset);
}

std::vector<std::uint8_t> Utf8Page(std::wstring_view html) {
  static constexpr std::wstring_view kDeclaration =
      L"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">";
  std::wstring page(html);
  std::size_t at = 0;
  std::wstring lower(page.size(), L' ');
  std::transform(page.begin(), page.end(), lower.begin(),
                 [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; });
  for (std::size_t head = lower.find(L"<head"); head != std::wstring::npos;
       head = lower.find(L"<head", head + 5)) {
    const wchar_t next = head + 5 < lower.size() ? lower[head + 5] : L'>';
    if (next != L'>' && next != L' ' && next != L'\t' && next != L'\r' && next != L'\n') continue;
    const std::size_t close = lower.find(L'>', head);
    if (close != std::wstring::npos) at = close + 1;
    break;
  }
  page.insert(at, kDeclaration);
  std::vector<std::uint8_t> bytes = {0xEF, 0xBB, 0xBF};
  bytes.reserve(page.size() + 3);
  for (std::size_t i = 0; i < page.size(); ++i) {
    std::uint32_t code = static_cast<std::uint32_t>(page[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      if (code >= 0xD800 && code <= 0xDBFF && i + 1 < page.size() && page[i + 1] >= 0xDC00 &&
          page[i + 1] <= 0xDFFF) {
        code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<std::uint32_t>(page[++i]) - 0xDC00);
      }
    }
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = 0xFFFD;
    AppendUtf8(bytes, code);
  }
  return bytes;
}

}  // namespace fenmark::links
