#include "ui/markup.h"

#include <algorithm>
#include <cwctype>

#include "host/text.h"

namespace fenmark::ui {

namespace {

using host::CompareNoCase;
using host::kAppointmentRibbon;
using host::kExplorerRibbon;
using host::kTaskRibbon;

// A line ends at CR LF, LF or CR, whichever the file has; each line, the last included, gets
// CR LF. The markup is ASCII; other bytes are taken as Latin-1 rather than dropped.
std::wstring LinesWithCrLf(const std::vector<std::uint8_t>& bytes) {
  std::wstring text;
  text.reserve(bytes.size() + 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = bytes[i];
    if (c != '\r' && c != '\n') {
      text.push_back(static_cast<wchar_t>(c));
      if (i + 1 < bytes.size()) continue;
    } else if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      ++i;
    }
    text += L"\r\n";
  }
  return text;
}

}  // namespace

std::wstring LoadXML(host::Platform& platform, const std::wstring& resource_id) noexcept {
  try {
    const auto bytes = platform.ResourceBytes(resource_id, L"CUSTOM");
    return bytes ? LinesWithCrLf(*bytes) : std::wstring();
  } catch (...) {
    return {};
  }
}

bool SortsBefore14(std::wstring_view version) {
  return CompareNoCase(version, L"14") < 0;
}

std::wstring ChooseCustomUI(std::wstring_view ribbon_id,
                            const std::function<std::wstring()>& version,
                            const std::wstring& ribbon_xml, const std::wstring& context_xml,
                            const std::wstring& task_ribbon_xml) noexcept {
  try {
    if (CompareNoCase(ribbon_id, kAppointmentRibbon) == 0) return ribbon_xml;
    if (CompareNoCase(ribbon_id, kTaskRibbon) == 0) return task_ribbon_xml;
    if (CompareNoCase(ribbon_id, kExplorerRibbon) != 0) return {};
    bool before_14 = false;
    try {
      before_14 = SortsBefore14(version());
    } catch (...) {
    }
    return before_14 ? std::wstring() : context_xml;
  } catch (...) {
    return {};
  }
}

}  // namespace fenmark::ui
