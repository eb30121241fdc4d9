#include "addin/connect.h"

#include "links/linked_task.h"
#include "ui/markup.h"

namespace fenmark {

Connect::Connect(host::Platform& platform) : platform_(platform) {}

Connect::~Connect() = default;

// The markup comes first and every event source is optional: Outlook turns an add-in whose
// connection fails off for good, and the tab, the menus and the commands need none of the events.
void Connect::AddinInstance_OnConnection(const Ref<host::Application>& Application) {
  connected_ = true;
  strRibbonXML = LoadXML(L"RIBBONXML");
  strContextXML = LoadXML(L"CONTEXTXML");
  strTaskRibbonXML = LoadXML(L"TASKRIBBONXML");
  // No application at all is a malformed call, not a source that cannot be had.
  if (!Application) throw host::errors::ObjectNotSet();
  objOLApp.AssignOptional(
      [&] { return Application; },
      [this](host::Application& app) {
        return app.OnItemContextMenuDisplay(
            [this](const Ref<host::CommandBar>& bar, const Ref<host::ItemSelection>& selection) {
              objOLApp_ItemContextMenuDisplay(bar, selection);
            });
      });
  objInsp.AssignOptional(
      [this] { return host::Require(objOLApp.Get()).Inspectors(); },
      [this](host::InspectorCollection& c) {
        return c.OnNewInspector([this](const Ref<host::Inspector>& i) { objInsp_NewInspector(i); });
      });
  olItems.AssignOptional(
      [this] { return DefaultFolderItems(host::kOlFolderCalendar); },
      [this](host::ItemCollection& c) {
        return c.OnItemAdd([this](const Ref<host::Item>& item) { olItems_ItemAdd(item); });
      });
  // Without it, tasks made without a window go unstamped until their first save in one.
  olTaskItems.AssignOptional(
      [this] { return DefaultFolderItems(host::kOlFolderTasks); },
      [this](host::ItemCollection& c) {
        return c.OnItemAdd([this](const Ref<host::Item>& item) { olTaskItems_ItemAdd(item); });
      });
}

// The namespace and folder references go at once; only the items stay referenced.
Ref<host::ItemCollection> Connect::DefaultFolderItems(int folder) {
  auto found =
      host::Require(host::Require(objOLApp.Get()).GetNamespace(L"MAPI")).GetDefaultFolder(folder);
  return host::Require(found).Items();
}

// Everything that receives events lets go, not only objOLApp: an add-in turned off under COM
// Add-ins may be held on to and must not go on stamping tasks or linking appointments.
void Connect::AddinInstance_OnDisconnection() {
  connected_ = false;
  objOLApp.Reset();
  objInsp.Reset();
  olItems.Reset();
  olTaskItems.Reset();
  oTasks.clear();
  for (auto& button : objButtons) button.Reset();
  oAppointments.clear();
  glblObjRibbon.reset();
  objRibbons.clear();
}

void Connect::PutRef_olItems(const Ref<host::ItemCollection>& items) {
  olItems.Assign(items, [this](host::ItemCollection& c) {
    return c.OnItemAdd([this](const Ref<host::Item>& item) { olItems_ItemAdd(item); });
  });
}

std::wstring Connect::IRibbonExtensibility_GetCustomUI(const std::wstring& RibbonID) noexcept {
  return ui::ChooseCustomUI(
      RibbonID, [this] { return host::Require(objOLApp.Get()).Version(); }, strRibbonXML,
      strContextXML, strTaskRibbonXML);
}

void Connect::Ribbon_OnLoad(const Ref<host::RibbonUI>& objRibbon) {
  glblObjRibbon = objRibbon;
  if (objRibbon) objRibbons.push_back(objRibbon);
}

std::wstring Connect::LoadXML(const std::wstring& strResourceID) noexcept {
  return ui::LoadXML(platform_, strResourceID);
}

std::wstring Connect::GetTaskStatus(const Ref<host::Item>& calItem) {
  return links::GetTaskStatus(platform_, objOLApp.Get(), calItem, &task_stores_);
}

std::wstring Connect::ReadTaskStatus(const Ref<host::Item>& appointment) {
  return links::ReadTaskStatus(objOLApp.Get(), appointment, &task_stores_);
}

}  // namespace fenmark
