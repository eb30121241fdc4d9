#include "sim/core.h"

#include <algorithm>
#include <cstdio>

#include "sim/platform_impl.h"
#include "sim/utf8.h"

namespace fenmark::sim {

std::wstring HostCall::ToString() const {
  return interface_name + L"." + member + L"(" + arguments + L")" +
         (object.empty() ? L"" : L" on " + object) + (failed ? L" [failed]" : L"");
}

namespace detail {

std::shared_ptr<Core> Lock(const std::weak_ptr<Core>& weak) {
  auto core = weak.lock();
  if (!core)
    throw host::Failure(kDisconnected, L"The object invoked has disconnected from its clients.");
  return core;
}

void RecordReturned(Core& core, const std::wstring& source) {
  ReturnedFailure failure;
  failure.source = source;
  try {
    throw;
  } catch (const host::Failure& f) {
    failure.number = f.Number();
    failure.description = f.Description();
  } catch (const std::exception& e) {
    failure.foreign_exception = true;
    failure.number = -2147418113;  // E_UNEXPECTED
    failure.description = L"C++ exception reached the host: " +
                          FromUtf8(std::vector<std::uint8_t>(
                              e.what(), e.what() + std::char_traits<char>::length(e.what())));
  } catch (...) {
    failure.foreign_exception = true;
    failure.number = -2147418113;
    failure.description = L"unknown C++ exception reached the host";
  }
  core.returned.push_back(std::move(failure));
}

std::wstring ClassName(int item_class) {
  switch (item_class) {
    case host::kOlAppointment:
      return L"appointment";
    case host::kOlMail:
      return L"mail";
    case host::kOlPost:
      return L"post";
    case host::kOlTask:
      return L"task";
    case host::kOlMeetingRequest:
      return L"meeting request";
    case kOlContact:
      return L"contact";
    default:
      return L"item(" + std::to_wstring(item_class) + L")";
  }
}

std::wstring Label(const ItemState& item) {
  return ClassName(item.item_class) + L" " + Quote(item.subject);
}

int VersionMajor(const std::wstring& version) {
  int major = 0;
  for (wchar_t c : version) {
    if (c < L'0' || c > L'9') break;
    major = major * 10 + (c - L'0');
    if (major > 1000) break;
  }
  return major;
}

// ---------------- ItemState ----------------

UserProp* ItemState::FindProp(const std::wstring& name) {
  for (auto& prop : props)
    if (EqualsNoCase(prop.name, name)) return &prop;
  return nullptr;
}

void ItemState::Write(std::wstring what) {
  writes.push_back(std::move(what));
  dirty = true;
}

void ItemState::Place(std::size_t at) {
  insertion_point = std::min(at, body.size());
  selection_length = 0;
}

void ItemState::ReplaceSelection(const std::wstring& text) {
  const auto pos = std::min(insertion_point, body.size());
  body.replace(pos, std::min(selection_length, body.size() - pos), text);
  Place(pos + text.size());
}

std::optional<FolderKind> ItemState::Home() const {
  if (folder) return folder;
  if (pending_folder) return pending_folder;
  switch (item_class) {
    case host::kOlTask:
      return FolderKind::kTasks;
    case host::kOlAppointment:
      return FolderKind::kCalendar;
    case host::kOlMail:
      return FolderKind::kDrafts;
    case kOlContact:
      return FolderKind::kContacts;
    default:
      return FolderKind::kInbox;
  }
}

PersistedState ItemState::Snapshot() const {
  PersistedState state;
  state.subject = subject;
  state.body = body;
  for (auto& prop : props) state.user_properties.push_back({prop.name, prop.value});
  state.attachment_count = attachments.size();
  state.complete = complete;
  state.status = status;
  state.actual_work = actual_work;
  return state;
}

void ItemState::Restore(const PersistedState& state) {
  subject = state.subject;
  body = state.body;
  props.clear();
  for (auto& prop : state.user_properties) props.push_back({prop.name, 1, prop.value});
  attachments.resize(std::min(attachments.size(), state.attachment_count));
  complete = state.complete;
  status = state.status;
  actual_work = state.actual_work;
  Place(insertion_point);
}

// ---------------- Core ----------------

Core::Core() {
  struct Made {
    FolderKind kind;
    const wchar_t* name;
    std::optional<FolderKind> parent;
    int item_type = 0;
  };
  using enum FolderKind;
  const Made kFolders[] = {
      {kMailbox, L"Mailbox - Avery", {}},
      {kDeletedItems, L"Deleted Items", kMailbox},
      {kInbox, L"Inbox", kMailbox},
      {kCalendar, L"Calendar", kMailbox, host::kOlAppointmentItem},
      {kContacts, L"Contacts", kMailbox},
      {kTasks, L"Tasks", kMailbox, host::kOlTaskItem},
      {kDrafts, L"Drafts", kMailbox},
      {kOtherCalendar, L"Team Calendar", kCalendar, host::kOlAppointmentItem},
      {kOtherTasks, L"Projects", kTasks, host::kOlTaskItem},
      {kSharedMailbox, L"Mailbox - Team", {}},
      {kSharedInbox, L"Inbox - Team", kSharedMailbox},
      {kSharedCalendar, L"Calendar - Team", kSharedMailbox, host::kOlAppointmentItem},
      {kSharedTasks, L"Tasks - Team", kSharedMailbox, host::kOlTaskItem},
      {kArchive, L"Online Archive - Avery", {}},
      {kArchiveTasks, L"Tasks", kArchive, host::kOlTaskItem},
      {kPublicFolders, L"Public Folders - Avery", {}},
      {kPublicTasks, L"Team Tasks", kPublicFolders, host::kOlTaskItem}};
  for (const auto& made : kFolders) {
    auto folder = std::make_shared<FolderState>();
    folder->name = made.name;
    folder->parent = made.parent;
    folder->item_type = made.item_type;
    folders[made.kind] = folder;
  }
  store_uid = L"A1F3C0D27B9E4F6A8C5D2E1B0F9A7C63";
  temp_folder = L"C:\\Users\\Avery\\AppData\\Local\\Temp";
  MakeDirs(temp_folder);
  MakeDirs(L"C:\\Windows\\System32");
  MakeDirs(L"C:\\Users\\Avery\\Documents");
  platform = std::make_unique<PlatformImpl>(*this);
}

Core::~Core() = default;

void Gate::Pass(HostCall call) {
  const std::size_t number = ++passed_;
  log.push_back(call);
  const std::size_t logged = log.size() - 1;
  std::optional<host::Failure> failure;
  std::vector<CallOverride> staying, running = std::move(overrides_);
  overrides_.clear();  // an override may add others: they come after those that stay
  for (auto& override : running) {
    bool stays = true;
    try {
      stays = override(call, number);
    } catch (const host::Failure& thrown) {
      if (!failure) failure = thrown;
    }
    if (stays) staying.push_back(std::move(override));
  }
  staying.insert(staying.end(), overrides_.begin(), overrides_.end());
  overrides_ = std::move(staying);
  if (!failure) return;
  log[logged].failed = true;
  throw *failure;
}

int StoreOf(FolderKind folder) {
  return std::max(1, static_cast<int>(folder) / 1000);
}

std::wstring StoreIDOf(int store) {
  // Shaped like a store entry ID: flags, the MAPI provider UID, then the store's own part.
  static const wchar_t* const kOwnParts[] = {L"A1F3C0D27B9E4F6A", L"B7D2E4F1096C4A3E",
                                             L"C4E8A2F6193D5B7E", L"D9B1F5E3287A6C4F"};
  return L"0000000038A1BB1005E5101AA1BB08002B2A56C20000" +
         std::wstring(kOwnParts[std::clamp(store, 1, kStoreCount) - 1]);
}

int StoreByID(const std::wstring& store_id) {
  for (int store = 1; store <= kStoreCount; ++store)
    if (EqualsNoCase(store_id, StoreIDOf(store))) return store;
  return 0;
}

std::shared_ptr<ItemState> Core::NewItem(int item_class) {
  auto item = std::make_shared<ItemState>();
  item->serial = ++next_serial;
  item->item_class = item_class;
  item->word_available = word_default;
  if (item_class == host::kOlAppointment) item->reminder_minutes = default_reminder;
  items.push_back(item);
  return item;
}

std::shared_ptr<ItemState> Core::Copy(const ItemState& source, FolderKind folder,
                                      const std::function<void(ItemState&)>& change) {
  auto copy = NewItem(source.item_class);
  for (auto field : {&ItemState::subject, &ItemState::body, &ItemState::categories})
    copy.get()->*field = source.*field;
  for (auto field :
       {&ItemState::status, &ItemState::actual_work, &ItemState::total_work, &ItemState::duration,
        &ItemState::meeting_status, &ItemState::sensitivity, &ItemState::reminder_minutes})
    copy.get()->*field = source.*field;
  copy->props = source.props;
  copy->complete = source.complete;
  copy->start = source.start;
  if (change) change(*copy);
  copy->pending_folder = folder;
  copy->creating = true;
  Save(*copy);
  return copy;
}

void Core::CompleteOccurrence(const std::shared_ptr<ItemState>& task) {
  Copy(*task, *task->Home(), [](ItemState& copy) {
    copy.complete = true;
    copy.status = 2;  // olTaskComplete
  });
  task->writes.push_back(L"next occurrence");
}

std::wstring Core::NewEntryID() {
  // Shaped like a store's long-term entry ID: flags, the store's provider UID, a type, then an
  // item part. Only uniqueness matters to the add-in; it never parses one.
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring id = L"00000000" + store_uid + L"0700";
  for (int block = 0; block < 2; ++block) {
    entry_seed = entry_seed * 6364136223846793005ull + 1442695040888963407ull;
    std::uint64_t v = entry_seed;
    for (int k = 0; k < 16; ++k, v >>= 4) id += kHex[v & 0xF];
  }
  wchar_t serial[16];
  std::swprintf(serial, 16, L"%08X0000", static_cast<unsigned>(next_serial * 7919 + items.size()));
  id += serial;
  return id;
}

std::shared_ptr<ItemState> Core::ByEntryID(const std::wstring& entry_id) const {
  for (auto& item : items)
    if (!item->deleted && !item->entry_id.empty() && EqualsNoCase(item->entry_id, entry_id))
      return item;
  return nullptr;
}

void Core::Save(ItemState& item) {
  if (item.deleted) throw host::Failure(kDeleted, L"The item has been moved or deleted.");
  // Once the limit is hit, every save still nested in that outermost save fails at once too:
  // handlers that save more than once per event would otherwise branch out without end.
  if (item.write_depth >= kMaxWriteDepth || (item.write_depth > 0 && item.write_overflowed)) {
    item.write_overflowed = true;
    if (!write_overflow) std::fprintf(stderr, "%s\n", ToUtf8(kRecursionDescription).c_str());
    write_overflow = true;
    throw host::Failure(kFailed, kRecursionDescription);
  }
  bool cancel = false;
  ++item.write_depth;
  try {
    item.write_event.Raise(*this, L"Item.Write", cancel);
  } catch (...) {
    if (--item.write_depth == 0) item.write_overflowed = false;
    throw;
  }
  if (--item.write_depth == 0) item.write_overflowed = false;
  if (cancel || item.deleted) return;
  if (item.entry_id.empty()) item.entry_id = NewEntryID();
  ++item.save_count;
  item.persisted = item.Snapshot();
  if (!item.creating) item.writes.push_back(L"Save");
  item.creating = false;
  item.dirty = false;
  if (!item.folder) {
    const FolderKind target = *item.Home();
    for (auto& shared : items) {
      if (shared.get() == &item) {
        JoinFolder(shared, target);
        break;
      }
    }
  }
}

void Core::JoinFolder(const std::shared_ptr<ItemState>& item, FolderKind folder) {
  item->folder = folder;
  item->pending_folder.reset();
  auto& state = *folders.at(folder);
  if (state.add_events_dropped) return;
  auto ref = HandItem(item);
  state.item_add.Raise(*this, L"Items.ItemAdd", ref);
}

void Core::OpenWindow(const std::shared_ptr<ItemState>& item) {
  if (!item->window_open) {
    item->window_open = true;
    item->Place(0);
    item->tab.clear();
    item->tab_stale = true;
    {
      auto ref = HandInspector(item);
      new_inspector.Raise(*this, L"Inspectors.NewInspector", ref);
    }
    // Office builds the window's ribbon before the window comes to the front.
    if (item->window_open && !item->deleted) DrawTab(item);
  }
  if (item->window_open) item->activated = ++activation_clock;
}

void Core::CloseWindow(ItemState& item) {
  const bool was_open = item.window_open;
  item.window_open = false;
  item.Place(0);
  if (was_open) item.inspector_close.Raise(*this, L"Inspector.Close");
}

std::shared_ptr<ItemState> Core::ActiveWindow() const {
  std::shared_ptr<ItemState> front;
  for (auto& item : items)
    if (item->window_open && !item->deleted && (!front || item->activated > front->activated))
      front = item;
  return front;
}

}  // namespace detail
}  // namespace fenmark::sim
