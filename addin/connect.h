#pragma once
// The add-in object: its connection with Outlook and every entry point that Outlook calls
// (lifecycle, item events, markup, the linked-task members), and, for the user-interface
// surfaces, the state they hand an operation over in. The COM class of the DLL wraps one of
// these; the tests drive one directly against the simulated Outlook.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/operation.h"
#include "host/scope_exit.h"
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
  void AddinInstance_OnConnection(const Ref<host::Application>& Application);
  void AddinInstance_OnDisconnection();

  // ---- the properties of the dispatch interface ----
  Ref<host::RibbonUI> get_glblObjRibbon() const { return glblObjRibbon; }
  // A ribbon put by name is refreshed with those handed to Ribbon_OnLoad.
  void PutRef_glblObjRibbon(const Ref<host::RibbonUI>& ribbon) { glblObjRibbon = ribbon; }
  Ref<host::ItemCollection> get_olItems() const { return olItems.Get(); }
  void PutRef_olItems(const Ref<host::ItemCollection>& items);

  // ---- markup ----
  // Never fails towards the host.
  std::wstring IRibbonExtensibility_GetCustomUI(const std::wstring& RibbonID) noexcept;
  void Ribbon_OnLoad(const Ref<host::RibbonUI>& objRibbon);
  // The text of the "CUSTOM" resource of that name, or "" on any failure.
  std::wstring LoadXML(const std::wstring& strResourceID) noexcept;

  // ---- linked tasks ----
  std::wstring GetTaskStatus(const Ref<host::Item>& calItem);
  void AttachOrigItem(const Ref<host::Item>& objSourceItem, const Ref<host::Item>& objTargetItem);
  std::wstring CleanFileName(std::wstring& strText);
  // Hands the item over and runs the operation on it, as a click does.
  void RunOn(host::ItemRef item, host::Operation operation);

  // ---- event handlers; failures go back to the event source ----
  void objInsp_NewInspector(const Ref<host::Inspector>& Inspector);
  void olItems_ItemAdd(const Ref<host::Item>& item);
  // Tasks made without a window; failures stay here, since a task not stamped changes nothing.
  void olTaskItems_ItemAdd(const Ref<host::Item>& item) noexcept;
  void objOLApp_ItemContextMenuDisplay(const Ref<host::CommandBar>& CommandBar,
                                       const Ref<host::ItemSelection>& Selection);

 private:
  friend class testing::ConnectView;

  // An open item window, watched until it closes: a task's stamps itself when the user saves it;
  // an appointment that Schedule made refreshes the tabs when the user saves it.
  struct ItemWindow {
    host::Connected<host::Item> item;
    host::Connected<host::Inspector> inspector;
  };
  using ItemWindows = std::vector<std::unique_ptr<ItemWindow>>;
  using Button = Ref<host::CommandBarControl>;

  // ---- what the surfaces need ----
  host::Platform& Platform() override { return platform_; }
  Ref<host::Application> Application() override { return objOLApp.Get(); }
  host::ItemRef& HandedOver() override { return handed_over_; }
  std::wstring ReadTaskStatus(const Ref<host::Item>& appointment) override;
  ui::DrawingStatus& Statuses() override { return drawing_status_; }
  void Run(host::Operation operation) override;
  host::CommandBarControl& Store(host::Operation operation, Button button) override;

  void oTask_Write(ItemWindow& window, bool& Cancel);
  void oAppointment_Write(ItemWindow& window, bool& Cancel);
  // Either kind of watched window closes: its watcher goes.
  void oInspector_Close(ItemWindows& windows, const ItemWindow& window);
  void objButton_Click(host::Operation operation, const Button& Ctrl);

  // Watches the item's saves through `on_write`, and its window's closing where that can be had
  // (`get_inspector` may fail: the item is then watched until the disconnection).
  template <class GetInspector>
  void Watch(ItemWindows& windows, Ref<host::Item> item, GetInspector&& get_inspector,
             void (Connect::*on_write)(ItemWindow&, bool&));
  // Runs `work` as the add-in's own: the write and add events of the saves it makes are not the
  // user's, whichever window or folder watches the item.
  template <class Work>
  void AsOwnSaves(Work&& work);
  // Makes every ribbon the add-in holds ask its callbacks again: a link or a task changed under
  // an open tab. One that fails is passed over.
  void RefreshTabs() noexcept;
  // The items of the default folder of that kind.
  Ref<host::ItemCollection> DefaultFolderItems(int folder);

  host::Platform& platform_;
  // The last ribbon handed over or put by name.
  Ref<host::RibbonUI> glblObjRibbon;
  // Every ribbon object handed to Ribbon_OnLoad, one per ribbon the host loaded: a task change
  // invalidates them all, since which of them shows the appointment tab is not told.
  std::vector<Ref<host::RibbonUI>> objRibbons;
  // Those that receive events are connected while they hold an object.
  host::Connected<host::ItemCollection> olItems;
  host::Connected<host::Application> objOLApp;
  host::Connected<host::InspectorCollection> objInsp;
  // The items of the default Tasks folder.
  host::Connected<host::ItemCollection> olTaskItems;
  // Every open task window, oldest first.
  ItemWindows oTasks;
  // The windows of appointments that Schedule made, until they close.
  ItemWindows oAppointments;
  // The Outlook 12 menu's buttons (objButton, objButtonCalTask*, objButtonScheduleTask): the one
  // last added for each operation.
  std::array<host::Connected<host::CommandBarControl>, host::kOperationCount> objButtons;
  std::wstring strRibbonXML;
  std::wstring strContextXML;
  std::wstring strTaskRibbonXML;
  // strItemEntryID and strItemStoreID.
  host::ItemRef handed_over_;
  ui::DrawingStatus drawing_status_;
  // The store that found each linked task, asked first the next time.
  links::TaskStores task_stores_;
  // False after the disconnection: events that still arrive then change nothing.
  bool connected_ = true;
  bool own_saves_ = false;
};

template <class Work>
void Connect::AsOwnSaves(Work&& work) {
  const auto restore = host::scope_exit([this, outer = own_saves_] { own_saves_ = outer; });
  own_saves_ = true;
  work();
}

}  // namespace fenmark
