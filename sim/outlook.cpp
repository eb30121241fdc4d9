// The test's side of the simulated Outlook: the store and the user's actions. Nothing here is
// logged as an add-in call or subject to injected faults.

#include "sim/outlook.h"

#include <algorithm>
#include <stdexcept>

#include "sim/core.h"
#include "sim/platform_impl.h"

namespace fenmark::sim {

using detail::Core;
using detail::ItemState;
using detail::Need;

// ---------------- Outlook ----------------

Outlook::Outlook() : core_(std::make_shared<Core>()) {}
Outlook::~Outlook() = default;

Core& detail::CoreOf(Outlook& outlook) {
  return *outlook.core_;
}

Ref<host::Application> Outlook::Application() {
  return detail::HandApplication(*core_);
}
host::Platform& Outlook::Platform() {
  return *core_->platform;
}

Ref<host::Item> Outlook::AddinRef(const SimItem& item) {
  Need(item);
  return core_->HandItem(item.State());
}

SimItem Outlook::Find(const Ref<host::Item>& item) const {
  return SimItem(detail::StateOf(item));
}

std::vector<SimItem> Outlook::ItemsIn(FolderKind folder) const {
  std::vector<SimItem> found;
  for (auto& item : core_->items)
    if (!item->deleted && item->folder == folder) found.emplace_back(item);
  return found;
}

std::vector<SimItem> Outlook::AllItems() const {
  return std::vector<SimItem>(core_->items.begin(), core_->items.end());
}

SimItem Outlook::FindByEntryID(const std::wstring& entry_id) const {
  return SimItem(core_->ByEntryID(entry_id));
}

std::wstring Outlook::StoreID(FolderKind folder) const {
  return detail::StoreIDOf(detail::StoreOf(folder));
}

FolderKind Outlook::AddFolder(FolderKind parent, const std::wstring& name, int item_type) {
  auto& folders = core_->folders;
  if (!folders.count(parent) || core_->added_folders >= 899)
    throw std::invalid_argument("AddFolder: no such parent, or too many folders");
  // Numbered within the parent's store: its thousands, from 100 on.
  const auto kind =
      static_cast<FolderKind>(detail::StoreOf(parent) * 1000 + 100 + core_->added_folders++);
  auto folder = std::make_shared<detail::FolderState>();
  folder->name = name;
  folder->parent = parent;
  folder->item_type = item_type;
  folders[kind] = std::move(folder);
  return kind;
}

SimItem Outlook::AddItem(int item_class, const std::wstring& subject, const std::wstring& body,
                         FolderKind folder) {
  auto item = core_->NewItem(item_class);
  item->subject = subject;
  item->body = body;
  item->pending_folder = folder;
  item->creating = true;
  core_->Save(*item);
  return SimItem(item);
}

SimItem Outlook::ReceiveMail(const std::wstring& subject, const std::wstring& body) {
  return AddItem(host::kOlMail, subject, body, FolderKind::kInbox);
}

SimItem Outlook::ReceivePost(const std::wstring& subject, const std::wstring& body) {
  return AddItem(host::kOlPost, subject, body, FolderKind::kInbox);
}

SimItem Outlook::CreateAppointment(const std::wstring& subject, const std::wstring& body,
                                   FolderKind folder) {
  return AddItem(host::kOlAppointment, subject, body, folder);
}

SimItem Outlook::CreateTask(const std::wstring& subject, const std::wstring& body) {
  return AddItem(host::kOlTask, subject, body, FolderKind::kTasks);
}

SimItem Outlook::ScheduleTask(const SimItem& task, std::optional<std::wstring> free_text,
                              FolderKind folder) {
  auto& source = Need(task);
  std::wstring body;
  if (auto* link = source.FindProp(std::wstring(detail::kDraggedTaskProperty)))
    body = link->name + L": " + link->value + L"\r\n";
  body += free_text.value_or(source.body);
  return AddItem(host::kOlAppointment, source.subject, body, folder);
}

void Outlook::SetAddEventsDropped(FolderKind folder, bool dropped) {
  core_->folders.at(folder)->add_events_dropped = dropped;
}

void Outlook::AddToCalendar(const SimItem& item) {
  auto& state = Need(item);
  if (state.deleted) throw std::invalid_argument("AddToCalendar of a deleted item");
  if (!state.folder) {
    state.pending_folder = FolderKind::kCalendar;
    core_->Save(state);
    return;
  }
  core_->JoinFolder(item.State(), FolderKind::kCalendar);
}

SimItem Outlook::ReceiveMeeting(const std::wstring& subject, const std::wstring& body,
                                FolderKind folder) {
  auto item = core_->NewItem(host::kOlAppointment);
  item->subject = subject;
  item->body = body;
  item->meeting_status = host::kOlMeetingReceived;
  item->pending_folder = folder;
  item->creating = true;
  core_->Save(*item);
  return SimItem(item);
}

void Outlook::MoveItem(const SimItem& item, FolderKind folder) {
  auto& state = Need(item);
  if (state.deleted || !state.folder) throw std::invalid_argument("MoveItem of an unsaved item");
  state.former_ids.push_back(state.entry_id);
  state.entry_id = core_->NewEntryID();
  core_->JoinFolder(item.State(), folder);
}

SimItem Outlook::CopyItem(const SimItem& item, FolderKind folder) {
  auto& source = Need(item);
  if (source.deleted || !source.folder) throw std::invalid_argument("CopyItem of an unsaved item");
  return SimItem(core_->Copy(source, folder));
}

void Outlook::SetSavesRefused(FolderKind folder, bool refused) {
  core_->folders.at(folder)->refuses_saves = refused;
}

void Outlook::DeleteItem(const SimItem& item) {
  auto& state = Need(item);
  core_->CloseWindow(state);
  state.deleted = true;
  state.folder.reset();
  auto& selection = core_->selection;
  selection.erase(std::remove(selection.begin(), selection.end(), item.State()), selection.end());
}

void Outlook::Select(std::initializer_list<SimItem> items) {
  Select(std::vector<SimItem>(items));
}

void Outlook::Select(const std::vector<SimItem>& items) {
  core_->explorer_open = true;
  core_->selection.clear();
  for (auto& item : items) {
    Need(item);
    core_->selection.push_back(item.State());
  }
}

std::vector<SimItem> Outlook::Selection() const {
  return std::vector<SimItem>(core_->selection.begin(), core_->selection.end());
}

void Outlook::SetExplorerOpen(bool open) {
  core_->explorer_open = open;
}

ContextMenu Outlook::RightClick(std::initializer_list<SimItem> items) {
  Select(items);
  return RightClick();
}

ContextMenu Outlook::RightClick() {
  return ContextMenu(core_->RightClick(core_->selection), core_);
}

ContextMenu Outlook::RightClickOutside(const std::vector<SimItem>& items) {
  std::vector<std::shared_ptr<ItemState>> states;
  for (auto& item : items) {
    Need(item);
    states.push_back(item.State());
  }
  return ContextMenu(core_->RightClick(states), core_);
}

void Outlook::OpenItem(const SimItem& item) {
  Need(item);
  core_->Command();
  core_->OpenWindow(item.State());
  core_->Repaint();
}

void Outlook::ActivateWindow(const SimItem& item) {
  auto& state = Need(item);
  if (!state.window_open) throw std::logic_error("ActivateWindow: the item's window is not open");
  state.activated = ++core_->activation_clock;
}

void Outlook::CloseWindow(const SimItem& item, bool save) {
  auto& state = Need(item);
  if (save)
    core_->Save(state);
  else if (state.persisted)
    state.Restore(*state.persisted);
  core_->CloseWindow(state);
}

void Outlook::UserSave(const SimItem& item) {
  core_->Save(Need(item));
}

void Outlook::UserTypes(const SimItem& item, const std::wstring& text) {
  auto& state = Need(item);
  state.ReplaceSelection(detail::ParagraphBreaks(text));
  state.Write(L"TypeText(" + detail::Quote(text) + L")");
}

SimItem Outlook::ActiveWindowItem() const {
  return SimItem(core_->ActiveWindow());
}

std::vector<SimItem> Outlook::OpenWindows() const {
  std::vector<std::shared_ptr<ItemState>> open;
  for (auto& item : core_->items)
    if (item->window_open && !item->deleted) open.push_back(item);
  std::sort(open.begin(), open.end(),
            [](const auto& a, const auto& b) { return a->activated > b->activated; });
  return std::vector<SimItem>(open.begin(), open.end());
}

void Outlook::SetWordAvailable(const SimItem& item, bool available) {
  Need(item).word_available = available;
}

void Outlook::SetItemFromIDAnswersNothing(bool nothing) {
  core_->item_from_id_nothing = nothing;
}

void Outlook::SetWordAvailableByDefault(bool available) {
  core_->word_default = available;
}
void Outlook::SetOvertype(bool on) {
  core_->overtype = on;
}
bool Outlook::WaitCursorShown() const {
  return core_->wait_cursor > 0;
}

bool Outlook::Overtype() const {
  return core_->overtype;
}
void Outlook::SetVersion(const std::wstring& version) {
  core_->version = version;
}
std::wstring Outlook::Version() const {
  return core_->version;
}

}  // namespace fenmark::sim
