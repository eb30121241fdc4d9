#pragma once
// The markup documents: loading them from the add-in's resources, and choosing which one answers
// the host's request for a ribbon.

#include <functional>
#include <string>
#include <string_view>

#include "host/office.h"
#include "host/platform.h"

namespace fenmark::ui {

// The text of the "CUSTOM" resource of that name, read straight from the add-in's resources, with
// CR LF after every line (the last included), whatever line ends the resource has. "" for no such
// resource or any other failure.
std::wstring LoadXML(host::Platform& platform, const std::wstring& resource_id) noexcept;

// Whether a host version sorts before "14" as text, without regard to case. Outlook 12 does;
// 14 and later (and "14.0.4760.1000", of which "14" is a prefix) do not.
bool SortsBefore14(std::wstring_view version);

// The markup for the ribbon the host is building: the tabs for appointment and task windows; the
// context menus for the explorer from version 14 on; "" otherwise. `version` may fail: the context
// menus are then handed out, as a skipped test lets the next step run. Never fails.
std::wstring ChooseCustomUI(std::wstring_view ribbon_id,
                            const std::function<std::wstring()>& version,
                            const std::wstring& ribbon_xml, const std::wstring& context_xml,
                            const std::wstring& task_ribbon_xml) noexcept;

}  // namespace fenmark::ui
