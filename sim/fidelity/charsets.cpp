// Character sets as Windows converts them: glibc's iconv stands in for the code pages natively;
// under Wine the sim asks Windows itself, for the few sets the Windows suites use.

#include <cstring>

#include "sim/fidelity/fidelity.h"
#include "sim/fidelity/parts.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#endif

namespace fenmark::sim::detail {
namespace {

std::string Narrow(const std::wstring& charset) {
  return charset.empty() ? "windows-1252" : std::string(charset.begin(), charset.end());
}

#ifdef _WIN32
UINT CodePage(const std::wstring& charset) {
  const std::string name = Narrow(charset);
  if (name == "utf-8") return CP_UTF8;
  if (name == "windows-1252" || name == "iso-8859-1") return 1252;
  if (name == "us-ascii") return 20127;
  return 0;
}
#else
// One conversion through iconv; nothing when either set is unknown or the input is not valid.
std::optional<std::string> Convert(const char* to, const char* from, const char* input,
                                   std::size_t size) {
  iconv_t conversion = iconv_open(to, from);
  if (conversion == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string output(size * 4 + 16, '\0');
  char* in = const_cast<char*>(input);
  char* out = output.data();
  std::size_t in_left = size, out_left = output.size();
  bool ok = iconv(conversion, &in, &in_left, &out, &out_left) != static_cast<std::size_t>(-1) &&
            iconv(conversion, nullptr, nullptr, &out, &out_left) != static_cast<std::size_t>(-1);
  iconv_close(conversion);
  if (!ok) return std::nullopt;
  output.resize(output.size() - out_left);
  return output;
}
#endif

}  // namespace

std::optional<std::wstring> Decoded(const std::vector<std::uint8_t>& bytes,
                                    const std::wstring& charset) {
#ifdef _WIN32
  const UINT code_page = CodePage(charset);
  if (code_page == 0) return std::nullopt;
  if (bytes.empty()) return std::wstring();
  const auto* input = reinterpret_cast<const char*>(bytes.data());
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, input, size, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring text(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, input, size, text.data(), n);
  return text;
#else
  const auto utf32 = Convert("UTF-32LE", Narrow(charset).c_str(),
                             reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (!utf32) return std::nullopt;
  std::wstring text(utf32->size() / 4, L'\0');
  std::memcpy(text.data(), utf32->data(), text.size() * 4);
  return text;
#endif
}

std::optional<std::vector<std::uint8_t>> Encoded(const std::wstring& text,
                                                 const std::wstring& charset) {
#ifdef _WIN32
  if (CodePage(charset) != CP_UTF8) return std::nullopt;
  const std::string utf8 = ToUtf8(text);
  return std::vector<std::uint8_t>(utf8.begin(), utf8.end());
#else
  const auto bytes = Convert(Narrow(charset).c_str(), "UTF-32LE",
                             reinterpret_cast<const char*>(text.data()), text.size() * 4);
  if (!bytes) return std::nullopt;
  return std::vector<std::uint8_t>(bytes->begin(), bytes->end());
#endif
}

}  // namespace fenmark::sim::detail

void fenmark::sim::UseCharsets(Outlook& outlook) {
  detail::CoreOf(outlook).charsets = detail::Decoded;
}
