#include "sim/core.h"

#include <cstdio>
#include <cwctype>

#include "sim/platform_impl.h"
#include "sim/utf8.h"

namespace fenmark::sim {

std::wstring HostCall::ToString() const {
  return interface_name + L"." + member + L"(" + arguments + L")" +
         (object.empty() ? L"" : L" on " + object) + (failed ? L" [failed]" : L"");
}

namespace detail {

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring Upper(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
  return Lower(a) == Lower(b);
}

std::wstring Quote(const std::wstring& text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    if (c == L'\r')
      out += L"\\r";
    else if (c == L'\n')
      out += L"\\n";
    else
      out += c;
  }
  return out + L"\"";
}

std::shared_ptr<Core> Lock(const std::weak_ptr<Core>& weak) {
  auto core = weak.lock();
  if (!core)
    throw host::Failure(kDisconnected, L"The object invoked has disconnected from its clients.");
  return core;
}

std::string ToUtf8(const std::wstring& text) {
  return sim::ToUtf8(text);
}

std::wstring FromUtf8(const std::vector<std::uint8_t>& bytes) {
  return sim::FromUtf8({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

std::wstring ParagraphBreaks(const std::wstring& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == L'\r') {
      out += L"\r\n";
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else if (c == L'\n') {
      out += L"\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

namespace {

std::wstring DecodeEntity(const std::wstring& name) {
  if (name.empty()) return L"&;";
  if (name[0] == L'#') {
    try {
      unsigned long code = (name.size() > 1 && (name[1] == L'x' || name[1] == L'X'))
                               ? std::stoul(name.substr(2), nullptr, 16)
                               : std::stoul(name.substr(1));
      if (code > 0 && code < 0x110000) return std::wstring(1, static_cast<wchar_t>(code));
    } catch (...) {
    }
    return L"&" + name + L";";
  }
  static const std::map<std::wstring, wchar_t> kNamed = {
      {L"amp", L'&'},       {L"lt", L'<'},         {L"gt", L'>'},         {L"quot", L'"'},
      {L"apos", L'\''},     {L"nbsp", L'\u00A0'},  {L"copy", L'\u00A9'},  {L"reg", L'\u00AE'},
      {L"euro", L'\u20AC'}, {L"ndash", L'\u2013'}, {L"mdash", L'\u2014'}, {L"hellip", L'\u2026'}};
  auto it = kNamed.find(Lower(name));
  if (it != kNamed.end()) return std::wstring(1, it->second);
  return L"&" + name + L";";
}

bool IsBlock(const std::wstring& tag) {
  static const std::set<std::wstring> kBlocks = {L"p",     L"div",        L"h1",  L"h2", L"h3",
                                                 L"h4",    L"h5",         L"h6",  L"li", L"tr",
                                                 L"table", L"blockquote", L"pre", L"ul", L"ol"};
  return kBlocks.count(tag) > 0;
}

}  // namespace

std::wstring HtmlToText(const std::wstring& html) {
  std::wstring out;
  bool pending_space = false;
  std::wstring skip_until;  // closing tag name of a skipped element (head, script, style, title)
  auto end_paragraph = [&] {
    pending_space = false;
    if (!out.empty() && !(out.size() >= 2 && out.compare(out.size() - 2, 2, L"\r\n") == 0))
      out += L"\r\n";
  };
  std::size_t i = 0;
  while (i < html.size()) {
    wchar_t c = html[i];
    if (c == L'<') {
      std::size_t close = html.find(L'>', i);
      if (close == std::wstring::npos) break;
      std::wstring tag = html.substr(i + 1, close - i - 1);
      i = close + 1;
      if (tag.rfind(L"!--", 0) == 0) {
        std::size_t end = html.find(L"-->", i - 1);
        i = end == std::wstring::npos ? html.size() : end + 3;
        continue;
      }
      bool closing = !tag.empty() && tag[0] == L'/';
      std::wstring name;
      for (std::size_t k = closing ? 1 : 0; k < tag.size(); ++k) {
        if (std::iswspace(tag[k]) || tag[k] == L'/') break;
        name += static_cast<wchar_t>(std::towlower(tag[k]));
      }
      if (!skip_until.empty()) {
        if (closing && name == skip_until) skip_until.clear();
        continue;
      }
      if (!closing &&
          (name == L"head" || name == L"script" || name == L"style" || name == L"title")) {
        skip_until = name;
        continue;
      }
      if (name == L"br") {
        out += L"\r\n";
        pending_space = false;
      } else if (IsBlock(name)) {
        if (closing || name == L"p" || name == L"div" || name == L"li" || name == L"tr")
          end_paragraph();
      } else if (name == L"td" || name == L"th") {
        if (closing) pending_space = true;
      }
      continue;
    }
    if (!skip_until.empty()) {
      ++i;
      continue;
    }
    std::wstring piece;
    if (c == L'&') {
      std::size_t semi = html.find(L';', i);
      if (semi != std::wstring::npos && semi - i <= 10) {
        piece = DecodeEntity(html.substr(i + 1, semi - i - 1));
        i = semi + 1;
      } else {
        piece = L"&";
        ++i;
      }
    } else if (std::iswspace(c)) {
      pending_space = true;
      ++i;
      continue;
    } else {
      piece = std::wstring(1, c);
      ++i;
    }
    if (pending_space && !out.empty() && out.back() != L'\n') out += L' ';
    pending_space = false;
    out += piece;
  }
  if (!out.empty() && out.back() != L'\n') out += L"\r\n";
  return out;
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
  if (insertion_point > body.size()) insertion_point = body.size();
}

// ---------------- Core ----------------

Core::Core() {
  const std::pair<FolderKind, const wchar_t*> kFolders[] = {
      {FolderKind::kDeletedItems, L"Deleted Items"},
      {FolderKind::kInbox, L"Inbox"},
      {FolderKind::kCalendar, L"Calendar"},
      {FolderKind::kContacts, L"Contacts"},
      {FolderKind::kTasks, L"Tasks"},
      {FolderKind::kDrafts, L"Drafts"},
      {FolderKind::kOtherCalendar, L"Team Calendar"}};
  for (auto& [kind, name] : kFolders) {
    auto folder = std::make_shared<FolderState>();
    folder->kind = kind;
    folder->name = name;
    folders[kind] = folder;
  }
  store_uid = L"A1F3C0D27B9E4F6A8C5D2E1B0F9A7C63";
  temp_folder = L"C:\\Users\\Avery\\AppData\\Local\\Temp";
  MakeDirs(temp_folder);
  MakeDirs(L"C:\\Windows\\System32");
  MakeDirs(L"C:\\Users\\Avery\\Documents");
  platform = std::make_unique<PlatformImpl>(*this);
}

Core::~Core() = default;

void Core::Enter(const wchar_t* interface_name, const wchar_t* member, std::wstring arguments,
                 std::wstring object) {
  HostCall call{interface_name, member, std::move(arguments), std::move(object), false};
  ++call_number;
  const std::wstring name = Lower(call.Name());
  const Fault* hit = nullptr;
  for (auto& fault : faults) {
    if (fault.by_position) {
      if (fault.position == call_number && !hit) hit = &fault;
    } else if (fault.name == name) {
      ++fault.seen;
      bool fires = fault.only_once ? fault.seen == fault.nth : fault.seen >= fault.nth;
      if (fires && !hit) hit = &fault;
    }
  }
  call.failed = hit != nullptr;
  calls.push_back(call);
  if (hit) throw host::Failure(hit->number, hit->description);
}

std::shared_ptr<ItemState> Core::NewItem(int item_class) {
  auto item = std::make_shared<ItemState>();
  item->serial = ++next_serial;
  item->item_class = item_class;
  item->word_available = word_default;
  items.push_back(item);
  return item;
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
    FolderKind target = item.pending_folder.value_or(FolderKind::kInbox);
    if (!item.pending_folder) {
      switch (item.item_class) {
        case host::kOlTask:
          target = FolderKind::kTasks;
          break;
        case host::kOlAppointment:
          target = FolderKind::kCalendar;
          break;
        case host::kOlMail:
          target = FolderKind::kDrafts;
          break;
        case kOlContact:
          target = FolderKind::kContacts;
          break;
        default:
          target = FolderKind::kInbox;
      }
    }
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
  auto ref = HandItem(item);
  folders.at(folder)->item_add.Raise(*this, L"Items.ItemAdd", ref);
}

void Core::OpenWindow(const std::shared_ptr<ItemState>& item) {
  item->has_inspector = true;
  if (!item->window_open) {
    item->window_open = true;
    item->insertion_point = 0;
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
  item.window_open = false;
  item.insertion_point = 0;
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
