// The add-in object's user-interface entry points that are not called by name: the Outlook 12
// context menu and its buttons' clicks.
#include "addin/connect.h"
#include "ui/command_bar_menu.h"

namespace fenmark {

host::CommandBarControl& Connect::Store(host::Operation operation, Button button) {
  auto& slot = objButtons[static_cast<std::size_t>(operation)];
  slot.Assign(std::move(button), [this, operation](host::CommandBarControl& control) {
    return control.OnClick(
        [this, operation](const Button& ctrl, bool&) { objButton_Click(operation, ctrl); });
  });
  return host::Require(slot.Get());
}

void Connect::objOLApp_ItemContextMenuDisplay(const Ref<host::CommandBar>& CommandBar,
                                              const Ref<host::ItemSelection>& Selection) {
  if (!connected_) return;
  ui::ShowContextMenu(*this, CommandBar, Selection);
}

// CancelDefault is left as the host passed it.
void Connect::objButton_Click(host::Operation operation, const Button& Ctrl) {
  if (!connected_) return;
  ui::ButtonClick(*this, operation, Ctrl);
}

}  // namespace fenmark
