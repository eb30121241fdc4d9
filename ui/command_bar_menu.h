#pragma once
// The Outlook 12 context menu: command-bar buttons added to a single mail, post or appointment
// item's menu, and the clicks of those buttons.

#include <string_view>

#include "ui/add_in.h"
#include "ui/status_rules.h"

namespace fenmark::ui {

inline constexpr int kButtonFaceId = 95;
// Office routes a button's action to the add-in that its programmatic identifier names.
inline constexpr std::wstring_view kButtonOnAction = L"!<Fenmark.Connect>";
// A button's tag is this and its operation's name. Office routes a click to every button with the
// clicked one's tag, whichever program made it: the ProgID keeps the add-in's tags its own.
inline constexpr std::wstring_view kButtonTagPrefix = L"Fenmark.Connect.";

enum class Menu { kMail, kAppointment, kTask };

struct MenuButton {
  Menu menu;
  std::wstring_view caption;
  int before;  // position: 1 is the top of the menu
  // One button slot for each; the button is disabled where the operation's rule does not allow it.
  host::Operation operation;
};

inline constexpr MenuButton kMenuButtons[] = {
    {Menu::kMail, L"Send to Ostrand", 1, host::Operation::kCopyToTask},
    {Menu::kAppointment, L"Fenmark", 1, host::Operation::kCompleteTask},
    {Menu::kAppointment, L"Open Ostrand Task", 2, host::Operation::kOpenTask},
    {Menu::kAppointment, L"Start Ostrand Task", 3, host::Operation::kStartTask},
    {Menu::kAppointment, L"Stop Ostrand Task", 4, host::Operation::kStopTask},
    {Menu::kTask, L"Schedule", 1, host::Operation::kScheduleTask},
};

// The application's ItemContextMenuDisplay event. Adds nothing from Outlook 14 on, where the
// context-menu markup offers the same entries. Shows no message: a host failure ends the handler,
// and one of handing the entry ID to a button goes back to the host.
void ShowContextMenu(AddIn& addin, const Ref<host::CommandBar>& command_bar,
                     const Ref<host::ItemSelection>& selection);

// The click of the operation's button: runs it on the entry ID that the button carries, whatever
// is selected now. A failure to read it goes back to the host.
void ButtonClick(AddIn& addin, host::Operation operation,
                 const Ref<host::CommandBarControl>& button);

}  // namespace fenmark::ui
