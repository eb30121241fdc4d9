#pragma once
// What Windows documents of file names and regional settings, and what Outlook writes of its own
// accord, as data the simulator looks up: no rule of the add-in's is repeated here. Internal to
// sim/.

#include <string_view>

namespace fenmark::sim::detail {

// Names Windows opens as devices, whatever follows their first dot ("Naming Files, Paths, and
// Namespaces"): the superscript digits one to three count as digits.
inline constexpr std::wstring_view kReservedNames[] = {
    L"CON",  L"PRN",  L"AUX",  L"NUL",       L"CONIN$",    L"CONOUT$",
    L"COM1", L"COM2", L"COM3", L"COM4",      L"COM5",      L"COM6",
    L"COM7", L"COM8", L"COM9", L"COM\u00b9", L"COM\u00b2", L"COM\u00b3",
    L"LPT1", L"LPT2", L"LPT3", L"LPT4",      L"LPT5",      L"LPT6",
    L"LPT7", L"LPT8", L"LPT9", L"LPT\u00b9", L"LPT\u00b2", L"LPT\u00b3"};

// Characters no name may hold, besides the control characters.
inline constexpr std::wstring_view kRefusedCharacters = L"<>:\"|?*";

// MAX_PATH less the terminating NUL.
inline constexpr std::size_t kMaxPath = 259;

// The user property whose value Outlook writes at the head of an appointment made by dragging a
// task onto the calendar, as "<name>: <value>" and CR LF.
inline constexpr std::wstring_view kDraggedTaskProperty = L"TaskLinkEntryID";

// The short-date pattern and date separator of a country's default regional setting, in the
// order of Outlook::Region: the United States, the United Kingdom, Germany, Japan.
struct RegionalSetting {
  const wchar_t* short_date_pattern;
  const wchar_t* date_separator;
};
inline constexpr RegionalSetting kRegionalSettings[] = {
    {L"M/d/yyyy", L"/"}, {L"dd/MM/yyyy", L"/"}, {L"dd.MM.yyyy", L"."}, {L"yyyy/MM/dd", L"/"}};

}  // namespace fenmark::sim::detail
