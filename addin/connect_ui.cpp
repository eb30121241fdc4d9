// The add-in object's user-interface entry points that are not called by name: the Outlook 12
// context menu and its buttons' clicks.
#include "addin/connect.h"
#include "ui/command_bar_menu.h"

namespace fenmark {

host::CommandBarControl& Connect::Store(host::Operation operation,
                                        Ref<host::CommandBarControl> button) {
  auto& slot = buttons_[static_cast<std::size_t>(operation)];
  slot.Assign(std::move(button), [this, operation](host::CommandBarControl& control) {
    return control.OnClick([this, operation](const Ref<host::CommandBarControl>& clicked, bool&) {
      OnButtonClick(operation, clicked);
    });
  });
  return host::Require(slot.Get());
}

void Connect::OnItemContextMenuDisplay(const Ref<host::CommandBar>& command_bar,
                                       const Ref<host::ItemSelection>& selection) {
  if (!connected_) return;
  ui::ShowContextMenu(*this, command_bar, selection);
}

// CancelDefault is left as the host passed it.
void Connect::OnButtonClick(host::Operation operation, const Ref<host::CommandBarControl>& button) {
  if (!connected_) return;
  ui::ButtonClick(*this, operation, button);
}

}  // namespace fenmark
