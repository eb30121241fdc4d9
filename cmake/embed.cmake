# Writes OUT: a table of the markup documents' bytes by resource name.
set(body "")
foreach(name RIBBONXML CONTEXTXML TASKRIBBONXML)
  file(READ ${${name}} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "const std::uint8_t k${name}[] = {${bytes}};\n")
endforeach()
file(WRITE ${OUT} "// Generated from ui/resources; do not edit.
#include \"ui/embedded_markup.h\"

namespace fenmark::ui {
namespace {
${body}}  // namespace

std::optional<std::vector<std::uint8_t>> EmbeddedMarkup(const std::wstring& requested) {
  std::wstring name = requested;
  for (auto& c : name) if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  if (name == L\"RIBBONXML\") return std::vector<std::uint8_t>(std::begin(kRIBBONXML), std::end(kRIBBONXML));
  if (name == L\"CONTEXTXML\") return std::vector<std::uint8_t>(std::begin(kCONTEXTXML), std::end(kCONTEXTXML));
  if (name == L\"TASKRIBBONXML\") return std::vector<std::uint8_t>(std::begin(kTASKRIBBONXML), std::end(kTASKRIBBONXML));
  return std::nullopt;
}

}  // namespace fenmark::ui
")
