#include "addin/connect.h"

#include "links/linked_task.h"
#include "ui/markup.h"

namespace fenmark {

Connect::Connect(host::Platform& platform) : platform_(platform) {}

Connect::~Connect() = default;

void Connect::AddinInstance_OnConnection(const Ref<host::Application>& Application) {
  connected_ = true;
  objOLApp.Assign(Application, [this](host::Application& app) {
    return app.OnItemContextMenuDisplay(
        [this](const Ref<host::CommandBar>& bar, const Ref<host::ItemSelection>& selection) {
          objOLApp_ItemContextMenuDisplay(bar, selection);
        });
  });
  objInsp.Assign(host::Require(objOLApp.Get()).Inspectors(), [this](host::InspectorCollection& c) {
    return c.OnNewInspector([this](const Ref<host::Inspector>& i) { objInsp_NewInspector(i); });
  });
  {
    auto calendar =
        host::Require(objOLApp->GetNamespace(L"MAPI")).GetDefaultFolder(host::kOlFolderCalendar);
    PutRef_olItems(host::Require(calendar).Items());
  }
  try {
    auto tasks =
        host::Require(objOLApp->GetNamespace(L"MAPI")).GetDefaultFolder(host::kOlFolderTasks);
    PutRef_olTaskItems(host::Require(tasks).Items());
  } catch (...) {
    // Tasks made without a window then go unstamped until their first save in one.
  }
  strRibbonXML = LoadXML(L"RIBBONXML");
  strContextXML = LoadXML(L"CONTEXTXML");
  strTaskRibbonXML = LoadXML(L"TASKRIBBONXML");
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
  objButton.Reset();
  objButtonCalTaskComplete.Reset();
  objButtonCalTaskOpen.Reset();
  objButtonCalTaskStart.Reset();
  objButtonCalTaskStop.Reset();
  objButtonScheduleTask.Reset();
  oAppointments.clear();
  glblObjRibbon.reset();
  objRibbons.clear();
}

void Connect::PutRef_olItems(const Ref<host::ItemCollection>& items) {
  olItems.Assign(items, [this](host::ItemCollection& c) {
    return c.OnItemAdd([this](const Ref<host::Item>& item) { olItems_ItemAdd(item); });
  });
}

void Connect::PutRef_olTaskItems(const Ref<host::ItemCollection>& items) {
  olTaskItems.Assign(items, [this](host::ItemCollection& c) {
    return c.OnItemAdd([this](const Ref<host::Item>& item) { olTaskItems_ItemAdd(item); });
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
  return links::GetTaskStatus(platform_, objOLApp.Get(), calItem);
}

}  // namespace fenmark
