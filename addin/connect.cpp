#include "addin/connect.h"

#include <algorithm>

#include "links/linked_task.h"
#include "ui/markup.h"

namespace fenmark {

Connect::Connect(host::Platform& platform) : platform_(platform) {}

Connect::~Connect() = default;

// The markup comes first and every event source is optional: Outlook turns an add-in whose
// connection fails off for good, and the tab, the menus and the commands need none of the events.
void Connect::OnConnection(const Ref<host::Application>& application) {
  connected_ = true;
  ribbon_xml_ = ui::LoadXML(platform_, L"RIBBONXML");
  context_xml_ = ui::LoadXML(platform_, L"CONTEXTXML");
  task_ribbon_xml_ = ui::LoadXML(platform_, L"TASKRIBBONXML");
  // No application at all is a malformed call, not a source that cannot be had.
  if (!application) throw host::errors::ObjectNotSet();
  application_.AssignOptional(
      [&] { return application; },
      [this](host::Application& app) {
        return app.OnItemContextMenuDisplay(
            [this](const Ref<host::CommandBar>& bar, const Ref<host::ItemSelection>& selection) {
              OnItemContextMenuDisplay(bar, selection);
            });
      });
  inspectors_.AssignOptional(
      [this] { return host::Require(application_.Get()).Inspectors(); },
      [this](host::InspectorCollection& c) {
        return c.OnNewInspector([this](const Ref<host::Inspector>& i) { OnNewInspector(i); });
      });
  calendar_items_.AssignOptional(
      [this] { return DefaultFolderItems(host::kOlFolderCalendar); },
      [this](host::ItemCollection& c) {
        return c.OnItemAdd([this](const Ref<host::Item>& item) { OnCalendarItemAdd(item); });
      });
  // Without it, tasks made without a window go unstamped until their first save in one.
  task_items_.AssignOptional(
      [this] { return DefaultFolderItems(host::kOlFolderTasks); },
      [this](host::ItemCollection& c) {
        return c.OnItemAdd([this](const Ref<host::Item>& item) { OnTaskItemAdd(item); });
      });
}

// The namespace and folder references go at once; only the items stay referenced.
Ref<host::ItemCollection> Connect::DefaultFolderItems(int folder) {
  auto found = host::Require(host::Require(application_.Get()).GetNamespace(L"MAPI"))
                   .GetDefaultFolder(folder);
  return host::Require(found).Items();
}

// Everything that receives events lets go, not only the application: an add-in turned off under
// COM Add-ins may be held on to and must not go on stamping tasks or linking appointments.
void Connect::OnDisconnection() {
  connected_ = false;
  application_.Reset();
  inspectors_.Reset();
  calendar_items_.Reset();
  task_items_.Reset();
  task_windows_.clear();
  for (auto& button : buttons_) button.Reset();
  scheduled_windows_.clear();
  ribbon_.reset();
  loaded_ribbons_.clear();
}

void Connect::PutCalendarItems(const Ref<host::ItemCollection>& items) {
  calendar_items_.Assign(items, [this](host::ItemCollection& c) {
    return c.OnItemAdd([this](const Ref<host::Item>& item) { OnCalendarItemAdd(item); });
  });
}

std::wstring Connect::GetCustomUI(const std::wstring& ribbon_id) noexcept {
  return ui::ChooseCustomUI(
      ribbon_id, [this] { return host::Require(application_.Get()).Version(); }, ribbon_xml_,
      context_xml_, task_ribbon_xml_);
}

bool Connect::IsLoaded(host::RibbonUI& ribbon) const noexcept {
  return std::any_of(loaded_ribbons_.begin(), loaded_ribbons_.end(),
                     [&](const auto& loaded) { return host::SameRibbon(*loaded, ribbon); });
}

void Connect::OnRibbonLoad(const Ref<host::RibbonUI>& ribbon) {
  ribbon_ = ribbon;
  if (ribbon) loaded_ribbons_.push_back(ribbon);
}

std::wstring Connect::GetTaskStatus(const Ref<host::Item>& appointment) {
  return links::GetTaskStatus(platform_, application_.Get(), appointment, &task_stores_);
}

std::wstring Connect::ReadTaskStatus(const Ref<host::Item>& appointment,
                                     const std::wstring& entry_id) {
  if (entry_id.empty()) return {};
  return links::ReadDrawnTaskStatus(application_.Get(), host::Require(appointment), entry_id,
                                    task_stores_);
}

}  // namespace fenmark
