// The add-in object's user-interface entry points: ribbon callbacks, the Outlook 12 context menu
// and its button clicks, forwarded to ui/ through a view of the object's own members.
#include <algorithm>

#include "addin/connect.h"
#include "links/linked_task.h"
#include "ui/command_bar_menu.h"
#include "ui/ribbon_callbacks.h"

namespace fenmark {
namespace {

using Slot = host::Connected<host::CommandBarControl> Connect::*;
using ClickHandler = void (Connect::*)(const Connect::Button&, bool&);

struct SlotBinding {
  ui::Slot slot;
  Slot member;
  ClickHandler handler;
};

constexpr SlotBinding kSlots[] = {
    {ui::Slot::kButton, &Connect::objButton, &Connect::objButton_Click},
    {ui::Slot::kCalTaskComplete, &Connect::objButtonCalTaskComplete,
     &Connect::objButtonCalTaskComplete_Click},
    {ui::Slot::kCalTaskOpen, &Connect::objButtonCalTaskOpen, &Connect::objButtonCalTaskOpen_Click},
    {ui::Slot::kCalTaskStart, &Connect::objButtonCalTaskStart,
     &Connect::objButtonCalTaskStart_Click},
    {ui::Slot::kCalTaskStop, &Connect::objButtonCalTaskStop, &Connect::objButtonCalTaskStop_Click},
    {ui::Slot::kScheduleTask, &Connect::objButtonScheduleTask,
     &Connect::objButtonScheduleTask_Click},
};

class Surface final : public ui::AddIn {
 public:
  explicit Surface(Connect& connect) : connect_(connect) {}

  host::Platform& Platform() override { return connect_.platform(); }
  Ref<host::Application> Application() override { return connect_.objOLApp.Get(); }
  // A ribbon put into glblObjRibbon by name counts as handed over too.
  std::vector<Ref<host::RibbonUI>> Ribbons() override {
    auto ribbons = connect_.objRibbons;
    const auto& put = connect_.glblObjRibbon;
    if (put && std::find(ribbons.begin(), ribbons.end(), put) == ribbons.end())
      ribbons.push_back(put);
    return ribbons;
  }
  void SetItem(const std::wstring& entry_id, const std::wstring& store_id) override {
    connect_.strItemEntryID = entry_id;
    connect_.strItemStoreID = store_id;
  }
  void SetItemOf(host::Item& item, const std::wstring& entry_id) override {
    if (entry_id == connect_.strItemEntryID && !connect_.strItemStoreID.empty()) return;
    SetItem(entry_id, host::StoreIDOf(item));
  }
  void SetItemEntryID(const std::wstring& entry_id) override {
    if (entry_id != connect_.strItemEntryID) connect_.strItemStoreID.clear();
    connect_.strItemEntryID = entry_id;
  }
  std::wstring ReadTaskStatus(const Ref<host::Item>& appointment) override {
    return links::ReadTaskStatus(connect_.objOLApp.Get(), appointment, &connect_.task_stores());
  }
  ui::DrawingStatus& Statuses() override { return connect_.drawing_status(); }

  void Run(ui::Operation operation) override {
    connect_.drawing_status().Forget();
    switch (operation) {
      case ui::Operation::kCopyToTask:
        return connect_.CopyToTask();
      case ui::Operation::kCompleteTask:
        return connect_.CompleteTask();
      case ui::Operation::kOpenTask:
        return connect_.OpenTask();
      case ui::Operation::kStartTask:
        return connect_.StartTask();
      case ui::Operation::kStopTask:
        return connect_.StopTask();
      case ui::Operation::kScheduleTask:
        return connect_.ScheduleTask();
    }
  }

  host::CommandBarControl& Store(ui::Slot slot, Ref<host::CommandBarControl> button) override {
    for (const auto& binding : kSlots) {
      if (binding.slot != slot) continue;
      auto& member = connect_.*binding.member;
      Connect* connect = &connect_;
      const ClickHandler handler = binding.handler;
      member.Assign(std::move(button), [connect, handler](host::CommandBarControl& control) {
        return control.OnClick(
            [connect, handler](const Connect::Button& ctrl, bool& cancel_default) {
              (connect->*handler)(ctrl, cancel_default);
            });
      });
      return host::Require(member.Get());
    }
    throw host::errors::ObjectNotSet();
  }

 private:
  Connect& connect_;
};

}  // namespace

bool Connect::VB_GetEnabled(const Ref<host::RibbonControl>& control) {
  Surface surface(*this);
  return ui::TabGetEnabled(surface, control);
}

bool Connect::VBX_GetEnabled(const Ref<host::RibbonControl>& control) {
  Surface surface(*this);
  return ui::MenuGetEnabled(surface, control);
}

bool Connect::VBX_GetVisible(const Ref<host::RibbonControl>& control) {
  Surface surface(*this);
  return ui::MenuGetVisible(surface, control);
}

void Connect::VB_OpenTask(const Ref<host::RibbonControl>& control) {
  Surface surface(*this);
  ui::TabClick(surface, control, ui::Operation::kOpenTask);
}

void Connect::VB_CompleteTask(const Ref<host::RibbonControl>& control) {
  Surface surface(*this);
  ui::TabClick(surface, control, ui::Operation::kCompleteTask);
}

void Connect::VB_StartTask(const Ref<host::RibbonControl>& control) {
  Surface surface(*this);
  ui::TabClick(surface, control, ui::Operation::kStartTask);
}

void Connect::VB_StopTask(const Ref<host::RibbonControl>& control) {
  Surface surface(*this);
  ui::TabClick(surface, control, ui::Operation::kStopTask);
}

void Connect::VBX_OpenTask(const Ref<host::RibbonControl>& control) {
  Surface surface(*this);
  ui::MenuClick(surface, control, ui::Operation::kOpenTask);
}

void Connect::VBX_CompleteTask(const Ref<host::RibbonControl>& control) {
  Surface surface(*this);
  ui::MenuClick(surface, control, ui::Operation::kCompleteTask);
}

void Connect::VBX_StartTask(const Ref<host::RibbonControl>& control) {
  Surface surface(*this);
  ui::MenuClick(surface, control, ui::Operation::kStartTask);
}

void Connect::VBX_StopTask(const Ref<host::RibbonControl>& control) {
  Surface surface(*this);
  ui::MenuClick(surface, control, ui::Operation::kStopTask);
}

void Connect::VBX_CopyToTask(const Ref<host::RibbonControl>& control) {
  Surface surface(*this);
  ui::MenuClick(surface, control, ui::Operation::kCopyToTask);
}

void Connect::VB_ScheduleTask(const Ref<host::RibbonControl>& control) {
  Surface surface(*this);
  ui::TabClick(surface, control, ui::Operation::kScheduleTask);
}

void Connect::VBX_ScheduleTask(const Ref<host::RibbonControl>& control) {
  Surface surface(*this);
  ui::MenuClick(surface, control, ui::Operation::kScheduleTask);
}

void Connect::objOLApp_ItemContextMenuDisplay(const Ref<host::CommandBar>& CommandBar,
                                              const Ref<host::ItemSelection>& Selection) {
  if (!connected_) return;
  Surface surface(*this);
  ui::ShowContextMenu(surface, CommandBar, Selection);
}

// CancelDefault is left as the host passed it.
void Connect::objButton_Click(const Button& Ctrl, bool&) {
  if (!connected_) return;
  Surface surface(*this);
  ui::ButtonClick(surface, ui::Slot::kButton, Ctrl);
}

void Connect::objButtonCalTaskComplete_Click(const Button& Ctrl, bool&) {
  if (!connected_) return;
  Surface surface(*this);
  ui::ButtonClick(surface, ui::Slot::kCalTaskComplete, Ctrl);
}

void Connect::objButtonCalTaskOpen_Click(const Button& Ctrl, bool&) {
  if (!connected_) return;
  Surface surface(*this);
  ui::ButtonClick(surface, ui::Slot::kCalTaskOpen, Ctrl);
}

void Connect::objButtonCalTaskStart_Click(const Button& Ctrl, bool&) {
  if (!connected_) return;
  Surface surface(*this);
  ui::ButtonClick(surface, ui::Slot::kCalTaskStart, Ctrl);
}

void Connect::objButtonCalTaskStop_Click(const Button& Ctrl, bool&) {
  if (!connected_) return;
  Surface surface(*this);
  ui::ButtonClick(surface, ui::Slot::kCalTaskStop, Ctrl);
}

void Connect::objButtonScheduleTask_Click(const Button& Ctrl, bool&) {
  if (!connected_) return;
  Surface surface(*this);
  ui::ButtonClick(surface, ui::Slot::kScheduleTask, Ctrl);
}

}  // namespace fenmark
