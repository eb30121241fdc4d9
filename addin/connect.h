#pragma once
// The add-in object: its members, its connection with Outlook, and every entry point that Outlook
// calls (lifecycle, item events, ribbon requests and callbacks, button clicks). The COM class of
// the DLL wraps one of these; the tests drive one directly against the simulated Outlook.

#include <memory>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/scope_exit.h"
#include "links/task_actions.h"
#include "links/task_stores.h"
#include "ui/drawing_status.h"

namespace fenmark {

using host::Ref;

class Connect {
 public:
  explicit Connect(host::Platform& platform);
  ~Connect();
  Connect(const Connect&) = delete;
  Connect& operator=(const Connect&) = delete;

  // ---- lifecycle (IDTExtensibility2); failures go back to the host ----
  void AddinInstance_OnConnection(const Ref<host::Application>& Application);
  void AddinInstance_OnDisconnection();
  // Puts a reference into `olItems` (the property put of the dispatch interface as well).
  void PutRef_olItems(const Ref<host::ItemCollection>& items);
  void PutRef_olTaskItems(const Ref<host::ItemCollection>& items);

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

  // The five operations; each acts on strItemEntryID and reports its own failures.
  void CopyToTask();
  void CompleteTask();
  void OpenTask();
  void StartTask();
  void StopTask();
  // A new appointment for the task, linked before it is ever saved, shown for the user to place.
  void ScheduleTask();

  // ---- ribbon callbacks; failures go back to the host ----
  bool VB_GetEnabled(const Ref<host::RibbonControl>& control);
  bool VBX_GetEnabled(const Ref<host::RibbonControl>& control);
  bool VBX_GetVisible(const Ref<host::RibbonControl>& control);
  void VB_OpenTask(const Ref<host::RibbonControl>& control);
  void VB_CompleteTask(const Ref<host::RibbonControl>& control);
  void VB_StartTask(const Ref<host::RibbonControl>& control);
  void VB_StopTask(const Ref<host::RibbonControl>& control);
  void VBX_OpenTask(const Ref<host::RibbonControl>& control);
  void VBX_CompleteTask(const Ref<host::RibbonControl>& control);
  void VBX_StartTask(const Ref<host::RibbonControl>& control);
  void VBX_StopTask(const Ref<host::RibbonControl>& control);
  void VBX_CopyToTask(const Ref<host::RibbonControl>& control);
  void VB_ScheduleTask(const Ref<host::RibbonControl>& control);
  void VBX_ScheduleTask(const Ref<host::RibbonControl>& control);

  // ---- event handlers; failures go back to the event source ----
  // An open item window, watched until it closes: a task's stamps itself when the user saves it;
  // an appointment that Schedule made refreshes the tabs when the user saves it.
  struct ItemWindow {
    host::Connected<host::Item> item;
    host::Connected<host::Inspector> inspector;
  };
  using ItemWindows = std::vector<std::unique_ptr<ItemWindow>>;
  void objInsp_NewInspector(const Ref<host::Inspector>& Inspector);
  void oTask_Write(ItemWindow& window, bool& Cancel);
  void oAppointment_Write(ItemWindow& window, bool& Cancel);
  // Either kind of watched window closes: its watcher goes.
  void oInspector_Close(ItemWindows& windows, const ItemWindow& window);
  void olItems_ItemAdd(const Ref<host::Item>& item);
  // Tasks made without a window; failures stay here, since a task not stamped changes nothing.
  void olTaskItems_ItemAdd(const Ref<host::Item>& item) noexcept;
  void objOLApp_ItemContextMenuDisplay(const Ref<host::CommandBar>& CommandBar,
                                       const Ref<host::ItemSelection>& Selection);
  using Button = Ref<host::CommandBarControl>;
  void objButton_Click(const Button& Ctrl, bool& CancelDefault);
  void objButtonCalTaskComplete_Click(const Button& Ctrl, bool& CancelDefault);
  void objButtonCalTaskOpen_Click(const Button& Ctrl, bool& CancelDefault);
  void objButtonCalTaskStart_Click(const Button& Ctrl, bool& CancelDefault);
  void objButtonCalTaskStop_Click(const Button& Ctrl, bool& CancelDefault);
  void objButtonScheduleTask_Click(const Button& Ctrl, bool& CancelDefault);

  // ---- members; those that receive events are connected while they hold an object ----
  Ref<host::RibbonUI> glblObjRibbon;
  // Every ribbon object handed to Ribbon_OnLoad, one per ribbon the host loaded: a task change
  // invalidates them all, since which of them shows the appointment tab is not told.
  std::vector<Ref<host::RibbonUI>> objRibbons;
  host::Connected<host::ItemCollection> olItems;
  host::Connected<host::Application> objOLApp;
  host::Connected<host::InspectorCollection> objInsp;
  // The items of the default Tasks folder.
  host::Connected<host::ItemCollection> olTaskItems;
  // Every open task window, oldest first.
  ItemWindows oTasks;
  // The windows of appointments that Schedule made, until they close.
  ItemWindows oAppointments;
  host::Connected<host::CommandBarControl> objButton;
  host::Connected<host::CommandBarControl> objButtonCalTaskComplete;
  host::Connected<host::CommandBarControl> objButtonCalTaskOpen;
  host::Connected<host::CommandBarControl> objButtonCalTaskStart;
  host::Connected<host::CommandBarControl> objButtonCalTaskStop;
  host::Connected<host::CommandBarControl> objButtonScheduleTask;
  std::wstring strRibbonXML;
  std::wstring strContextXML;
  std::wstring strTaskRibbonXML;
  std::wstring strItemEntryID;
  // The store of that item when the surface that named it could tell, else "". It always belongs
  // to the entry ID beside it.
  std::wstring strItemStoreID;

  host::Platform& platform() const noexcept { return platform_; }
  // The status the drawing callbacks share; forgotten by everything that may change it.
  ui::DrawingStatus& drawing_status() noexcept { return drawing_status_; }
  // The store that found each linked task, asked first the next time.
  links::TaskStores& task_stores() noexcept { return task_stores_; }

  // False after the disconnection: events that still arrive then change nothing.
  bool connected() const noexcept { return connected_; }

 private:
  // Watches the item's saves through `on_write`, and its window's closing where that can be had
  // (`get_inspector` may fail: the item is then watched until the disconnection).
  template <class GetInspector>
  void Watch(ItemWindows& windows, Ref<host::Item> item, GetInspector&& get_inspector,
             void (Connect::*on_write)(ItemWindow&, bool&));
  // The four task commands, as the add-in's own saves.
  void RunTaskAction(links::TaskAction action);
  // Runs `work` as the add-in's own: the write and add events of the saves it makes are not the
  // user's, whichever window or folder watches the item.
  template <class Work>
  void AsOwnSaves(Work&& work);
  // Makes every kept ribbon ask its callbacks again: a link or a task changed under an open tab.
  void RefreshTabs() noexcept;
  // The items of the default folder of that kind.
  Ref<host::ItemCollection> DefaultFolderItems(int folder);

  host::Platform& platform_;
  ui::DrawingStatus drawing_status_;
  links::TaskStores task_stores_;
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
