#pragma once
// How the add-in tells the user about a failure it caught, and the messages of its normal flow.

#include <string>
#include <string_view>

#include "host/failure.h"
#include "host/platform.h"

namespace fenmark::host {

inline constexpr std::wstring_view kNoEntryIdMessage =
    L"An entry ID could not be retrieved from the selected menu item.";
inline constexpr std::wstring_view kNoItemMessage =
    L"A reference for the Outlook item could not be retrieved.";
inline constexpr std::wstring_view kNoWordDocumentMessage = L"Could not get Word.Document for ";
// Open, when the linked task is found nowhere, or found in Deleted Items, or not looked for
// everywhere: the number of folders follows.
inline constexpr std::wstring_view kTaskGoneMessage =
    L"The task of this appointment was deleted, or moved where Fenmark cannot reach it.";
inline constexpr std::wstring_view kTaskInDeletedItemsMessage =
    L"The task of this appointment is in Deleted Items. Move it back to Tasks to keep it.";
inline constexpr std::wstring_view kSearchBoundMessage =
    L"Fenmark stopped looking for the task of this appointment after this many folders: ";

// "<number> - <description>", critical-stop icon, titled "Ostrand - <operation>".
inline void ReportFailure(Platform& platform, const Failure& failure, std::wstring_view operation) {
  platform.MsgBox(std::to_wstring(failure.Number()) + L" - " + failure.Description(), kMbIconStop,
                  L"Ostrand - " + std::wstring(operation));
}

// A message of the normal flow: OK only, no icon, the application's own title.
inline void ShowMessage(Platform& platform, std::wstring_view text) {
  platform.MsgBox(std::wstring(text), kMbOk);
}

}  // namespace fenmark::host
