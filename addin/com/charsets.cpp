#include "addin/com/charsets.h"

#include <algorithm>
#include <iterator>

namespace fenmark::com {
namespace {

struct Charset {
  std::wstring_view name;
  UINT code_page;
};

// The web names Outlook writes in a saved page, and the code pages Windows reads them with.
// ISO-8859-1 is read as Windows-1252, as browsers and Word read it.
constexpr Charset kCharsets[] = {
    {L"utf-8", CP_UTF8},     {L"us-ascii", 20127},    {L"windows-1250", 1250},
    {L"windows-1251", 1251}, {L"windows-1252", 1252}, {L"windows-1253", 1253},
    {L"windows-1254", 1254}, {L"windows-1255", 1255}, {L"windows-1256", 1256},
    {L"windows-1257", 1257}, {L"windows-1258", 1258}, {L"windows-874", 874},
    {L"iso-8859-1", 1252},   {L"iso-8859-2", 28592},  {L"iso-8859-3", 28593},
    {L"iso-8859-4", 28594},  {L"iso-8859-5", 28595},  {L"iso-8859-6", 28596},
    {L"iso-8859-7", 28597},  {L"iso-8859-8", 28598},  {L"iso-8859-8-i", 38598},
    {L"iso-8859-9", 28599},  {L"iso-8859-13", 28603}, {L"iso-8859-15", 28605},
    {L"koi8-r", 20866},      {L"koi8-u", 21866},      {L"shift_jis", 932},
    {L"iso-2022-jp", 50220}, {L"csiso2022jp", 50221}, {L"euc-jp", 20932},
    {L"gb2312", 936},        {L"gbk", 936},           {L"gb18030", 54936},
    {L"hz-gb-2312", 52936},  {L"big5", 950},          {L"ks_c_5601-1987", 949},
    {L"euc-kr", 949},        {L"iso-2022-kr", 50225}, {L"tis-620", 874},
    {L"macintosh", 10000},   {L"utf-7", 65000},
};

// Code pages whose conversion takes no flags: invalid bytes cannot be told from text there.
bool TakesNoFlags(UINT code_page) {
  return (code_page >= 50220 && code_page <= 50229) || code_page == 52936 || code_page == 65000 ||
         (code_page >= 57002 && code_page <= 57011);
}

}  // namespace

std::optional<UINT> CodePageOf(std::wstring_view charset) {
  if (charset.empty()) return CP_ACP;
  std::wstring lower(charset);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; });
  const auto found = std::find_if(std::begin(kCharsets), std::end(kCharsets),
                                  [&](const Charset& c) { return c.name == lower; });
  if (found == std::end(kCharsets)) return std::nullopt;
  return found->code_page;
}

std::optional<std::wstring> Decode(const std::vector<std::uint8_t>& bytes,
                                   std::wstring_view charset) {
  const auto code_page = CodePageOf(charset);
  if (!code_page || !IsValidCodePage(*code_page == CP_ACP ? GetACP() : *code_page))
    return std::nullopt;
  if (bytes.empty()) return std::wstring();
  if (bytes.size() > static_cast<std::size_t>(INT32_MAX / 2)) return std::nullopt;
  const DWORD flags = TakesNoFlags(*code_page) ? 0 : MB_ERR_INVALID_CHARS;
  const auto* input = reinterpret_cast<const char*>(bytes.data());
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(*code_page, flags, input, size, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring text(static_cast<std::size_t>(n), L'\0');
  if (MultiByteToWideChar(*code_page, flags, input, size, text.data(), n) != n) return std::nullopt;
  return text;
}

}  // namespace fenmark::com
