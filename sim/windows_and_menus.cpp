// How Office asks the add-in about what the user sees: each item window's tab, kept until an
// Invalidate makes it stale and asked again for every open window; and the context menu of a
// right-click, asked afresh each time for the items it is about.

#include <algorithm>
#include <stdexcept>

#include "sim/core.h"

namespace fenmark::sim {
namespace detail {
namespace {

// The ribbon whose tab the item's window shows: appointment and task windows have one each.
const wchar_t* RibbonOf(const ItemState& item) {
  if (item.item_class == host::kOlAppointment) return kAppointmentRibbon;
  if (item.item_class == host::kOlTask) return kTaskRibbon;
  return nullptr;
}

bool HasTab(const ItemState& item) {
  return RibbonOf(item) != nullptr;
}

std::wstring MenuOf(const std::vector<std::shared_ptr<ItemState>>& items) {
  if (items.size() != 1) return kMultipleItemsMenu;
  switch (items.front()->item_class) {
    case host::kOlMail:
    case host::kOlPost:
    case host::kOlMeetingRequest:
      return kMailItemMenu;
    case host::kOlAppointment:
      return kCalendarItemMenu;
    case host::kOlTask:
      return kTaskItemMenu;
    default:
      return kOtherItemMenu;
  }
}

}  // namespace

void Core::DrawTab(const std::shared_ptr<ItemState>& window) {
  if (!HasTab(*window) || !ribbon_callbacks) return;
  auto ribbon = Ribbon(RibbonOf(*window), true);
  if (!ribbon) return;
  ControlContext context;
  context.window = window;
  std::vector<RibbonButton> tab;
  for (auto& control : ribbon->tab_buttons) tab.push_back(Drawn<RibbonButton>(control, context));
  window->tab = std::move(tab);
  window->tab_stale = false;
}

void Core::Repaint() {
  auto front = ActiveWindow();
  std::vector<std::shared_ptr<ItemState>> order;
  if (front) order.push_back(front);
  for (auto& item : items)
    if (item != front) order.push_back(item);
  for (auto& item : order)
    if (item->window_open && !item->deleted && item->tab_stale && HasTab(*item)) DrawTab(item);
}

void Core::InvalidateTabs(const std::wstring& ribbon_id) {
  for (auto& item : items)
    if (HasTab(*item) && EqualsNoCase(ribbon_id, RibbonOf(*item))) item->tab_stale = true;
}

std::shared_ptr<MenuState> Core::RightClick(const std::vector<std::shared_ptr<ItemState>>& items) {
  Command();
  const std::wstring id_mso = MenuOf(items);
  const bool outlook14 = VersionMajor(version) >= 14;
  auto menu = NewMenu(id_mso, outlook14);
  menu->context.menu = true;
  menu->context.items.assign(items.begin(), items.end());
  {
    auto bar = HandCommandBar(*this, menu);
    auto chosen = HandSelection(*this, menu->context.items);
    context_menu.Raise(*this, L"Application.ItemContextMenuDisplay", bar, chosen);
  }
  if (outlook14 && ribbon_callbacks) menu->ribbon_entries = BuildMenuEntries(id_mso, menu->context);
  return menu;
}

}  // namespace detail

std::vector<RibbonButton> Outlook::ShowTab() {
  core_->Repaint();
  auto front = core_->ActiveWindow();
  return front ? ShowTab(SimItem(front)) : std::vector<RibbonButton>{};
}

std::vector<RibbonButton> Outlook::ShowTab(const SimItem& window) {
  if (!window) throw std::invalid_argument("empty SimItem");
  auto& state = *window.State();
  if (!state.window_open || state.deleted || !detail::HasTab(state)) return {};
  core_->Repaint();
  return state.tab;
}

bool Outlook::ClickTabButton(const std::wstring& id) {
  auto front = core_->ActiveWindow();
  return front && ClickTabButton(id, SimItem(front));
}

bool Outlook::ClickTabButton(const std::wstring& id, const SimItem& window) {
  if (!window) throw std::invalid_argument("empty SimItem");
  auto state = window.State();
  if (!state->window_open || state->deleted) return false;
  core_->Command();
  state->activated = ++core_->activation_clock;
  core_->Repaint();
  for (auto& button : state->tab) {
    if (!detail::EqualsNoCase(button.id, id)) continue;
    if (!button.visible || !button.enabled || button.on_action.empty()) return false;
    detail::ControlContext context;
    context.window = state;
    core_->CallAction(button.on_action, button.id, context);
    core_->Repaint();
    return true;
  }
  return false;
}

}  // namespace fenmark::sim
