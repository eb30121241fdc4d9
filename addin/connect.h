#pragma once
// The add-in object: its connection with Outlook and every entry point that Outlook calls
// (lifecycle, item events, markup, the linked-task status), and, for the user-interface surfaces,
// the state they share and the way they run an operation. The COM class of the DLL wraps one of
// these; the tests drive one directly against the simulated Outlook.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/operation.h"
#include "host/scope_exit.h"
#include "links/own_saves.h"
#include "links/task_stores.h"
#include "ui/add_in.h"
#include "ui/drawing_status.h"

namespace fenmark {

using host::Ref;

namespace testing {
class ConnectView;
}

class Connect final : public ui::AddIn {
 public:
  explicit Connect(host::Platform& platform);
  ~Connect();
  Connect(const Connect&) = delete;
  Connect& operator=(const Connect&) = delete;

  // ---- lifecycle (IDTExtensibility2); failures go back to the host ----
  void OnConnection(const Ref<host::Application>& application);
  void OnDisconnection();

  // ---- the properties of the dispatch interface ----
  // The last ribbon handed to OnRibbonLoad or put by name; one put by name is refreshed with
  // those loaded.
  Ref<host::RibbonUI> Ribbon() const { return ribbon_; }
  void PutRibbon(const Ref<host::RibbonUI>& ribbon) { ribbon_ = ribbon; }
  // The default calendar's items, whose additions are linked.
  Ref<host::ItemCollection> CalendarItems() const { return calendar_items_.Get(); }
  void PutCalendarItems(const Ref<host::ItemCollection>& items);

  // ---- markup ----
  // The markup for the ribbon the host is building; never fails towards the host.
  std::wstring GetCustomUI(const std::wstring& ribbon_id) noexcept;
  void OnRibbonLoad(const Ref<host::RibbonUI>& ribbon);

  // ---- the linked task's status, as a caller asks it; reports its own failures ----
  std::wstring GetTaskStatus(const Ref<host::Item>& appointment);

  // ---- event handlers; failures go back to the event source ----
  void OnNewInspector(const Ref<host::Inspector>& inspector);
  void OnCalendarItemAdd(const Ref<host::Item>& item);
  // Tasks made without a window; failures stay here, since a task not stamped changes nothing.
  void OnTaskItemAdd(const Ref<host::Item>& item) noexcept;
  void OnItemContextMenuDisplay(const Ref<host::CommandBar>& command_bar,
                                const Ref<host::ItemSelection>& selection);

  // ---- what the surfaces need ----
  host::Platform& Platform() override { return platform_; }
  Ref<host::Application> Application() override { return application_.Get(); }
  const host::ItemRef& Remembered() const override { return remembered_; }
  void RememberDrawn(host::ItemRef item) override { remembered_ = std::move(item); }
  std::wstring ReadTaskStatus(const Ref<host::Item>& appointment,
                              const std::wstring& entry_id) override;
  ui::DrawingStatus& Statuses() override { return drawing_status_; }
  // Every operation of every surface comes through here, as the add-in's own saves.
  bool Run(host::Operation operation, host::ItemRef item) override;
  host::CommandBarControl& Store(host::Operation operation,
                                 Ref<host::CommandBarControl> button) override;

 private:
  friend class testing::ConnectView;

  // An open item window, watched until it closes: a task's stamps itself when the user saves it;
  // an appointment that Schedule made refreshes the tabs when the user saves it.
  struct ItemWindow {
    host::Connected<host::Item> item;
    host::Connected<host::Inspector> inspector;
  };
  using ItemWindows = std::vector<std::unique_ptr<ItemWindow>>;

  void OnTaskWrite(ItemWindow& window, bool& cancel);
  void OnAppointmentWrite(ItemWindow& window, bool& cancel);
  // Either kind of watched window closes: its watcher goes.
  void OnWindowClose(ItemWindows& windows, const ItemWindow& window);
  void OnButtonClick(host::Operation operation, const Ref<host::CommandBarControl>& button);

  // Watches the item's saves through `on_write`, and its window's closing where that can be had
  // (`get_inspector` may fail: the item is then watched until the disconnection).
  template <class GetInspector>
  void Watch(ItemWindows& windows, Ref<host::Item> item, GetInspector&& get_inspector,
             void (Connect::*on_write)(ItemWindow&, bool&));
  // Makes every ribbon the add-in holds ask its callbacks again: a link or a task changed under
  // an open tab. One that fails is passed over.
  void RefreshTabs() noexcept;
  // Whether the ribbon is one handed to OnRibbonLoad, whichever reference reaches it.
  bool IsLoaded(host::RibbonUI& ribbon) const noexcept;
  // The items of the default folder of that kind.
  Ref<host::ItemCollection> DefaultFolderItems(int folder);

  host::Platform& platform_;
  Ref<host::RibbonUI> ribbon_;
  // Every ribbon object handed to OnRibbonLoad, one per ribbon the host loaded: a task change
  // invalidates them all, since which of them shows the appointment tab is not told.
  std::vector<Ref<host::RibbonUI>> loaded_ribbons_;
  // Those that receive events are connected while they hold an object.
  host::Connected<host::ItemCollection> calendar_items_;
  host::Connected<host::Application> application_;
  host::Connected<host::InspectorCollection> inspectors_;
  // The items of the default Tasks folder.
  host::Connected<host::ItemCollection> task_items_;
  // Every open task window, oldest first.
  ItemWindows task_windows_;
  // Item windows opened since the connection: an operation tells the windows it opens itself.
  std::uint64_t windows_opened_ = 0;
  // The windows of appointments that Schedule made, until they close.
  ItemWindows scheduled_windows_;
  // The Outlook 12 menu's buttons: the one last added for each operation.
  std::array<host::Connected<host::CommandBarControl>, host::kOperationCount> buttons_;
  std::wstring ribbon_xml_;
  std::wstring context_xml_;
  std::wstring task_ribbon_xml_;
  host::ItemRef remembered_;
  ui::DrawingStatus drawing_status_;
  // The store that found each linked task, asked first the next time.
  links::TaskStores task_stores_;
  // False after the disconnection: events that still arrive then change nothing.
  bool connected_ = true;
  // The write and add events of these saves are not the user's, whichever window or folder
  // watches the item.
  links::OwnSaves own_saves_;
};

}  // namespace fenmark
