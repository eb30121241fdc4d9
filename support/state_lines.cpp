#include "support/state_lines.h"

namespace fenmark::support {

std::wstring EscapeText(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\r')
      out += L"\\r";
    else if (c == L'\n')
      out += L"\\n";
    else if (c == L'\t')
      out += L"\\t";
    else if (c < 32 || c > 126)
      out += L"\\u{" + std::to_wstring(static_cast<unsigned>(c)) + L"}";
    else
      out += c;
  }
  return out;
}

std::vector<std::wstring> ItemLines(const sim::Outlook& outlook) {
  std::vector<std::wstring> lines;
  for (const auto& item : outlook.AllItems()) {
    std::wstring line = L"item " + std::to_wstring(item.Serial()) + L" class " +
                        std::to_wstring(item.Class()) + L" \"" + EscapeText(item.Subject()) + L"\"";
    line += L" id " + (item.EntryID().empty() ? L"-" : item.EntryID());
    line += L" saves " + std::to_wstring(item.SaveCount());
    if (item.Deleted()) line += L" deleted";
    if (item.Dirty()) line += L" dirty";
    if (item.WindowOpen()) line += L" window";
    if (item.Complete()) line += L" complete";
    line += L" status " + std::to_wstring(item.Status());
    if (item.ActualWork() != 0) line += L" work " + std::to_wstring(item.ActualWork());
    const auto settings = item.Settings();
    if (settings.recurring) line += L" recurring";
    if (settings.sensitivity != 0) line += L" sensitivity " + std::to_wstring(settings.sensitivity);
    if (!settings.categories.empty())
      line += L" categories \"" + EscapeText(settings.categories) + L"\"";
    // 15 minutes: Outlook's own default
    if (item.Class() == host::kOlAppointment && settings.reminder_minutes != 15)
      line += L" reminder " + std::to_wstring(settings.reminder_minutes);
    lines.push_back(line);
    lines.push_back(L"  body \"" + EscapeText(item.Body()) + L"\"");
    for (const auto& property : item.UserProperties())
      lines.push_back(L"  property " + property.name + L" = \"" + EscapeText(property.value) +
                      L"\"");
    for (const auto& attachment : item.Attachments())
      lines.push_back(L"  attachment \"" + EscapeText(attachment.display_name) + L"\" from \"" +
                      EscapeText(attachment.source_path) + L"\" " +
                      std::to_wstring(attachment.content.size()) + L" bytes, type " +
                      std::to_wstring(attachment.save_type));
  }
  return lines;
}

std::vector<std::wstring> FailureLines(const sim::Outlook& outlook) {
  std::vector<std::wstring> lines;
  for (const auto& failure : outlook.ReturnedFailures())
    lines.push_back(L"returned to " + failure.source + L": " + std::to_wstring(failure.number) +
                    L" - " + failure.description +
                    (failure.foreign_exception ? L" (foreign)" : L""));
  return lines;
}

std::vector<std::wstring> CallLines(const sim::Outlook& outlook) {
  std::vector<std::wstring> lines;
  int calls = 0;
  for (const auto& call : outlook.Calls()) {
    if (call.interface_name == L"Platform" || call.interface_name == L"HeldEntry") continue;
    ++calls;
    lines.push_back(L"call " + EscapeText(call.ToString()) + (call.failed ? L" (failed)" : L""));
  }
  lines.push_back(L"calls: " + std::to_wstring(calls));
  return lines;
}

}  // namespace fenmark::support
