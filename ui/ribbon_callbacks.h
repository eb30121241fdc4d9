#pragma once
// The ribbon callbacks that the markup names: decisions for the appointment window's tab and the
// Outlook 14 context menus, and the clicks that hand an item over to an operation. Nothing is
// caught here: a failure of the host goes back to the host, which calls these by name.

#include "ui/add_in.h"

namespace fenmark::ui {

// VB_GetEnabled: the tab of the control's window (the active inspector when the host names
// none), whose current item must be an appointment.
bool TabGetEnabled(AddIn& addin, const Ref<host::RibbonControl>& control);
// VBX_GetEnabled and VBX_GetVisible: the single item of the control's selection (the active
// explorer's when the host names none). Both store that item's entry ID for the click that may
// follow. VBX_GetVisible answers without a control too.
bool MenuGetEnabled(AddIn& addin, const Ref<host::RibbonControl>& control);
bool MenuGetVisible(AddIn& addin, const Ref<host::RibbonControl>& control);

// VB_*Task: acts on the current item of the control's window (as above), then refreshes the tabs;
// completing also saves and closes that item's window, once the task is complete: a failure or
// the user's Cancel leaves the window open and unsaved.
void TabClick(AddIn& addin, const Ref<host::RibbonControl>& control, host::Operation operation);
// VBX_*: acts on the single item of the control's selection, or, when the host names none, on
// the item stored while the menu was being built; a selection that is not one accepted item is
// acted on not at all. Task changes refresh the tabs.
void MenuClick(AddIn& addin, const Ref<host::RibbonControl>& control, host::Operation operation);

}  // namespace fenmark::ui
