// The test's side of the simulated Outlook: user actions and inspection. Nothing here is logged
// as an add-in call or subject to injected faults.

#include "sim/outlook.h"

#include <algorithm>
#include <stdexcept>

#include "sim/core.h"
#include "sim/platform_impl.h"

namespace fenmark::sim {

using detail::Core;
using detail::ItemState;

namespace {

ItemState& Need(const SimItem& item) {
  if (!item) throw std::invalid_argument("empty SimItem");
  return *item.State();
}

}  // namespace

// ---------------- SimItem ----------------

int SimItem::Class() const {
  return Need(*this).item_class;
}
std::wstring SimItem::EntryID() const {
  return Need(*this).entry_id;
}
std::wstring SimItem::Subject() const {
  return Need(*this).subject;
}
std::wstring SimItem::Body() const {
  return Need(*this).body;
}

std::vector<UserPropertyValue> SimItem::UserProperties() const {
  std::vector<UserPropertyValue> values;
  for (auto& prop : Need(*this).props) values.push_back({prop.name, prop.value});
  return values;
}

std::optional<std::wstring> SimItem::UserProperty(const std::wstring& name) const {
  auto* prop = Need(*this).FindProp(name);
  if (!prop) return std::nullopt;
  return prop->value;
}

bool SimItem::HasUserProperty(const std::wstring& name) const {
  return Need(*this).FindProp(name) != nullptr;
}

std::vector<Attachment> SimItem::Attachments() const {
  return Need(*this).attachments;
}
bool SimItem::Complete() const {
  return Need(*this).complete;
}
int SimItem::Status() const {
  return Need(*this).status;
}
int SimItem::ActualWork() const {
  return Need(*this).actual_work;
}
int SimItem::SaveCount() const {
  return Need(*this).save_count;
}
bool SimItem::Saved() const {
  return Need(*this).save_count > 0;
}
std::optional<PersistedState> SimItem::Persisted() const {
  return Need(*this).persisted;
}
bool SimItem::Dirty() const {
  return Need(*this).dirty;
}
std::optional<FolderKind> SimItem::Folder() const {
  return Need(*this).folder;
}
bool SimItem::Deleted() const {
  return Need(*this).deleted;
}
std::vector<std::wstring> SimItem::Writes() const {
  return Need(*this).writes;
}
std::size_t SimItem::WriteCount() const {
  return Need(*this).writes.size();
}
bool SimItem::HasInspector() const {
  return Need(*this).has_inspector;
}
bool SimItem::WindowOpen() const {
  return Need(*this).window_open;
}
std::size_t SimItem::InsertionPoint() const {
  return Need(*this).insertion_point;
}
bool SimItem::WordAvailable() const {
  return Need(*this).word_available;
}
int SimItem::Serial() const {
  return Need(*this).serial;
}

void SimItem::SetSubject(const std::wstring& subject) {
  Need(*this).subject = subject;
  state_->Write(L"Subject=" + subject);
}

void SimItem::SetBody(const std::wstring& body) {
  auto& item = Need(*this);
  item.body = body;
  item.insertion_point = std::min(item.insertion_point, item.body.size());
  item.Write(L"Body=" + detail::Quote(body));
}

void SimItem::SetUserProperty(const std::wstring& name, const std::wstring& value) {
  auto& item = Need(*this);
  if (auto* prop = item.FindProp(name))
    prop->value = value;
  else
    item.props.push_back({name, 1, value});
  item.Write(L"UserProperty " + name + L"=" + value);
}

void SimItem::RemoveUserProperty(const std::wstring& name) {
  auto& item = Need(*this);
  auto it = std::find_if(item.props.begin(), item.props.end(), [&](const detail::UserProp& p) {
    return detail::EqualsNoCase(p.name, name);
  });
  if (it == item.props.end()) return;
  item.props.erase(it);
  item.Write(L"UserProperty- " + name);
}

void SimItem::SetComplete(bool complete) {
  auto& item = Need(*this);
  item.complete = complete;
  if (complete) item.status = 2;
  item.Write(complete ? L"Complete=True" : L"Complete=False");
}

void SimItem::SetStatus(int status) {
  auto& item = Need(*this);
  item.status = status;
  item.complete = status == 2;
  item.Write(L"Status=" + std::to_wstring(status));
}

void SimItem::SetActualWork(int minutes) {
  auto& item = Need(*this);
  item.actual_work = minutes;
  item.Write(L"ActualWork=" + std::to_wstring(minutes));
}

void SimItem::SetInsertionPoint(std::size_t position) {
  auto& item = Need(*this);
  item.insertion_point = std::min(position, item.body.size());
}

// ---------------- Outlook ----------------

Outlook::Outlook() : core_(std::make_shared<Core>()) {}
Outlook::~Outlook() = default;

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

SimItem Outlook::ScheduleTask(const SimItem& task, std::optional<std::wstring> free_text) {
  auto& source = Need(task);
  std::wstring body;
  if (auto* link = source.FindProp(L"TaskLinkEntryID"))
    body = link->name + L": " + link->value + L"\r\n";
  body += free_text.value_or(source.body);
  return AddItem(host::kOlAppointment, source.subject, body, FolderKind::kCalendar);
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
  std::wstring typed = detail::ParagraphBreaks(text);
  auto pos = std::min(state.insertion_point, state.body.size());
  state.body.insert(pos, typed);
  state.insertion_point = pos + typed.size();
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
void Outlook::SetVersion(const std::wstring& version) {
  core_->version = version;
}
std::wstring Outlook::Version() const {
  return core_->version;
}

// ---------------- ribbon ----------------

void Outlook::AttachRibbon(RibbonCallbacks* callbacks) {
  core_->ribbon_callbacks = callbacks;
}
bool Outlook::LoadRibbon(const std::wstring& ribbon_id) {
  return core_->LoadRibbon(ribbon_id);
}

bool Outlook::RibbonLoaded(const std::wstring& ribbon_id) const {
  return core_->ribbons.count(detail::Lower(ribbon_id)) > 0;
}

std::wstring Outlook::RibbonMarkup(const std::wstring& ribbon_id) const {
  auto it = core_->ribbons.find(detail::Lower(ribbon_id));
  return it == core_->ribbons.end() ? L"" : it->second->markup;
}

std::vector<std::wstring> Outlook::RibbonErrors() const {
  return core_->ribbon_errors;
}

ContextMenu Outlook::ShowContextMenu(const std::wstring& id_mso) {
  auto menu = std::make_shared<detail::MenuState>();
  menu->id_mso = id_mso;
  menu->context.menu = true;
  menu->context.items.assign(core_->selection.begin(), core_->selection.end());
  menu->ribbon_entries = core_->BuildMenuEntries(id_mso, menu->context);
  return ContextMenu(menu, core_);
}

int Outlook::InvalidateCount(const std::wstring& ribbon_id) const {
  int count = 0;
  for (auto& ui : core_->ribbon_uis)
    if (detail::EqualsNoCase(ui->ribbon_id, ribbon_id)) count += ui->invalidates;
  return count;
}

int Outlook::InvalidateCount() const {
  int count = 0;
  for (auto& ui : core_->ribbon_uis) count += ui->invalidates;
  return count;
}

// ---------------- files ----------------

std::wstring Outlook::TempFolder() const {
  return core_->temp_folder;
}

void Outlook::SetTempFolder(const std::wstring& path) {
  std::wstring folder = path;
  while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  core_->temp_folder = folder;
  core_->temp_path_override.reset();
  core_->MakeDirs(folder);
}

void Outlook::SetTempPath(const std::wstring& path) {
  core_->temp_path_override = path;
}
void Outlook::CreateFolder(const std::wstring& path) {
  core_->MakeDirs(path);
}

bool Outlook::FolderExists(const std::wstring& path) const {
  return core_->dirs.count(Core::Key(path)) > 0;
}

bool Outlook::FileExists(const std::wstring& path) const {
  return core_->files.count(Core::Key(path)) > 0;
}

std::optional<std::vector<std::uint8_t>> Outlook::FileBytes(const std::wstring& path) const {
  auto it = core_->files.find(Core::Key(path));
  if (it == core_->files.end()) return std::nullopt;
  return it->second.bytes;
}

std::wstring Outlook::FileText(const std::wstring& path) const {
  auto bytes = FileBytes(path);
  return bytes ? detail::FromUtf8(*bytes) : L"";
}

void Outlook::PutFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  core_->MakeDirs(Core::Parent(path));
  auto& entry = core_->files[Core::Key(path)];
  entry.path = Core::Named(path);
  entry.bytes = bytes;
}

void Outlook::PutTextFile(const std::wstring& path, const std::wstring& text) {
  std::string utf8 = detail::ToUtf8(text);
  PutFile(path, std::vector<std::uint8_t>(utf8.begin(), utf8.end()));
}

void Outlook::RemoveFile(const std::wstring& path) {
  core_->files.erase(Core::Key(path));
}

std::vector<std::wstring> Outlook::FilesIn(const std::wstring& folder) const {
  std::vector<std::wstring> found;
  const std::wstring key = Core::Key(folder);
  for (auto& [file_key, entry] : core_->files)
    if (Core::Key(Core::Parent(file_key)) == key) found.push_back(entry.path);
  return found;
}

std::vector<std::wstring> Outlook::AllFiles() const {
  std::vector<std::wstring> found;
  for (auto& [key, entry] : core_->files) found.push_back(entry.path);
  return found;
}

void Outlook::SetResource(const std::wstring& name, const std::wstring& type,
                          std::vector<std::uint8_t> bytes) {
  core_->resources[detail::Upper(name) + L"|" + detail::Upper(type)] = std::move(bytes);
}

void Outlook::RemoveResource(const std::wstring& name, const std::wstring& type) {
  core_->resources[detail::Upper(name) + L"|" + detail::Upper(type)] = std::nullopt;
}

// ---------------- message boxes, clock ----------------

std::vector<MessageBoxRecord> Outlook::MessageBoxes() const {
  return core_->message_boxes;
}
void Outlook::ClearMessageBoxes() {
  core_->message_boxes.clear();
}

void Outlook::SetMessageBoxHandler(std::function<int(const MessageBoxRecord&)> handler) {
  core_->message_box_handler = std::move(handler);
}

void Outlook::SetNow(const host::DateTime& now, int step_seconds) {
  core_->now = now;
  core_->clock_step = step_seconds;
}

host::DateTime Outlook::Now() const {
  return core_->now;
}

void Outlook::SetUtcOffset(int minutes) {
  core_->utc_offset_minutes = minutes;
}

void Outlook::SetSeparators(const std::wstring& date_separator,
                            const std::wstring& time_separator) {
  core_->date_separator = date_separator;
  core_->time_separator = time_separator;
}

// ---------------- call log and faults ----------------

std::vector<HostCall> Outlook::Calls() const {
  return core_->calls;
}
void Outlook::ClearCalls() {
  core_->calls.clear();
}
std::size_t Outlook::CallCount() const {
  return core_->calls.size();
}

int Outlook::CountCalls(const std::wstring& name) const {
  int count = 0;
  for (auto& call : core_->calls)
    if (detail::EqualsNoCase(call.Name(), name)) ++count;
  return count;
}

std::wstring Outlook::CallsText() const {
  std::wstring text;
  for (auto& call : core_->calls) text += call.ToString() + L"\n";
  return text;
}

void Outlook::FailNthCall(int n, std::int32_t number, const std::wstring& description) {
  if (n < 1) throw std::invalid_argument("FailNthCall counts from 1");
  detail::Fault fault;
  fault.by_position = true;
  fault.position = core_->call_number + static_cast<std::size_t>(n);
  fault.number = number;
  fault.description = description;
  core_->faults.push_back(fault);
}

void Outlook::FailCallsTo(const std::wstring& name, std::int32_t number,
                          const std::wstring& description, int nth, bool only_once) {
  detail::Fault fault;
  fault.name = detail::Lower(name);
  fault.nth = std::max(1, nth);
  fault.only_once = only_once;
  fault.number = number;
  fault.description = description;
  core_->faults.push_back(fault);
}

void Outlook::ClearFaults() {
  core_->faults.clear();
}

std::vector<ReturnedFailure> Outlook::ReturnedFailures() const {
  return core_->returned;
}
void Outlook::ClearReturnedFailures() {
  core_->returned.clear();
}
bool Outlook::WriteRecursionOverflowed() const {
  return core_->write_overflow;
}
long Outlook::OutstandingReferences() const {
  return *core_->outstanding;
}

}  // namespace fenmark::sim
