// The test's view of the simulated Outlook's ribbon, files, message boxes, clock, call log and
// faults. Nothing here is logged as an add-in call or subject to injected faults.

#include <algorithm>
#include <stdexcept>

#include "sim/core.h"
#include "sim/facts.h"
#include "sim/outlook.h"
#include "sim/platform_impl.h"

namespace fenmark::sim {

using detail::Core;
using detail::ItemState;

// ---------------- ribbon ----------------

void Outlook::AttachRibbon(RibbonCallbacks* callbacks) {
  core_->ribbon_callbacks = callbacks;
}
bool Outlook::LoadRibbon(const std::wstring& ribbon_id) {
  return core_->LoadRibbon(ribbon_id);
}

ContextMenu Outlook::ShowContextMenu(const std::wstring& id_mso) {
  core_->Command();
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

// ---------------- files ----------------

std::wstring Outlook::TempFolder() const {
  return core_->temp_folder;
}

void Outlook::SetTempFolder(const std::wstring& path) {
  std::wstring folder = path;
  while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  core_->temp_folder = folder;
  core_->MakeDirs(folder);
}

void Outlook::CreateFolder(const std::wstring& path) {
  core_->MakeDirs(path);
}

bool Outlook::FileExists(const std::wstring& path) const {
  return core_->files.count(Core::Key(path)) > 0;
}

std::optional<std::vector<std::uint8_t>> Outlook::FileBytes(const std::wstring& path) const {
  auto it = core_->files.find(Core::Key(path));
  if (it == core_->files.end()) return std::nullopt;
  return it->second.bytes;
}

void Outlook::PutTextFile(const std::wstring& path, const std::wstring& text) {
  const std::string utf8 = detail::ToUtf8(text);
  core_->MakeDirs(Core::Parent(path));
  auto& entry = core_->files[Core::Key(path)];
  entry.path = Core::Named(path);
  entry.bytes.assign(utf8.begin(), utf8.end());
}

void Outlook::PutFile(const std::wstring& path, std::vector<std::uint8_t> bytes) {
  core_->MakeDirs(Core::Parent(path));
  auto& entry = core_->files[Core::Key(path)];
  entry.path = Core::Named(path);
  entry.bytes = std::move(bytes);
}

void Outlook::MakeLink(const std::wstring& path, const std::wstring& target,
                       const std::wstring& owner) {
  const std::wstring key = Core::Key(path);
  core_->links[key] = {Core::Named(path), Core::Named(target)};
  core_->Meta(key).owner = owner;
}

bool Outlook::SwapForLink(const std::wstring& path, const std::wstring& target) {
  const std::wstring key = Core::Key(path);
  if (core_->holds_kept) {
    for (const auto& [held, count] : core_->add_in_holds)
      if (held == key || held.rfind(key + L"\\", 0) == 0) return false;
  }
  // Moved aside whole, with what is known of each entry.
  const std::wstring aside = key + L".old";
  auto move = [&](auto& entries, auto rename) {
    std::vector<std::wstring> moved;
    for (const auto& entry : entries)
      if (entry.first == key || entry.first.rfind(key + L"\\", 0) == 0)
        moved.push_back(entry.first);
    for (const auto& old_key : moved) {
      const std::wstring new_key = aside + old_key.substr(key.size());
      auto value = entries.at(old_key);
      rename(value, Core::Named(path) + L".old" + old_key.substr(key.size()));
      entries.erase(old_key);
      entries[new_key] = value;
    }
  };
  move(core_->dirs, [](std::wstring& dir, const std::wstring& named) { dir = named; });
  move(core_->files, [](detail::FileEntry& file, const std::wstring& named) { file.path = named; });
  move(core_->links, [](Core::Link& link, const std::wstring& named) { link.path = named; });
  move(core_->entry_meta, [](Core::EntryMeta&, const std::wstring&) {});
  MakeLink(path, target);
  return true;
}

void Outlook::SetHoldsKept(bool kept) {
  core_->holds_kept = kept;
}

std::wstring Outlook::User() const {
  return core_->user;
}

void Outlook::SetOwner(const std::wstring& path, const std::wstring& owner) {
  core_->Meta(Core::Key(path)).owner = owner;
}

void Outlook::SetAge(const std::wstring& path, std::uint64_t seconds) {
  core_->Meta(Core::Key(path)).made_ms =
      static_cast<std::int64_t>(core_->milliseconds) - static_cast<std::int64_t>(seconds) * 1000;
}

std::uint64_t Outlook::NextRandomBits() const {
  std::uint64_t state = core_->random_state;
  return detail::NextRandom(state);
}

std::vector<std::wstring> Outlook::Fetched() const {
  return core_->fetched;
}

void Outlook::HoldFile(const std::wstring& path, std::uint64_t milliseconds) {
  const auto now = core_->milliseconds;
  core_->held_files[Core::Key(path)] =
      milliseconds > UINT64_MAX - now ? UINT64_MAX : now + milliseconds;
}

void Outlook::ReleaseFile(const std::wstring& path) {
  core_->held_files.erase(Core::Key(path));
}

bool Outlook::FileHeld(const std::wstring& path) const {
  auto it = core_->held_files.find(Core::Key(path));
  return it != core_->held_files.end() && core_->milliseconds < it->second;
}

std::vector<std::wstring> Outlook::FilesIn(const std::wstring& folder) const {
  std::vector<std::wstring> found;
  const std::wstring key = Core::Key(folder);
  for (auto& [file_key, entry] : core_->files)
    if (Core::Key(Core::Parent(file_key)) == key) found.push_back(entry.path);
  return found;
}

std::vector<std::wstring> Outlook::EntriesBelow(const std::wstring& folder) const {
  std::vector<std::wstring> found;
  const std::wstring prefix = Core::Key(folder) + L"\\";
  for (auto& [key, dir] : core_->dirs)
    if (key.rfind(prefix, 0) == 0) found.push_back(folder + dir.substr(prefix.size() - 1) + L"\\");
  for (auto& [key, entry] : core_->files)
    if (key.rfind(prefix, 0) == 0) found.push_back(entry.path);
  for (auto& [key, link] : core_->links)
    if (key.rfind(prefix, 0) == 0) found.push_back(link.path + L"\\");
  std::sort(found.begin(), found.end());
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

void Outlook::SetDefaultReminder(int minutes) {
  core_->default_reminder = minutes;
}

int Outlook::AnswerMessageBox(const MessageBoxRecord& box) {
  return core_->Answer(box);
}

void Outlook::AdvanceMilliseconds(std::uint64_t milliseconds) {
  core_->milliseconds += milliseconds;
}

namespace {
// Seconds since 1970-01-01 (proleptic Gregorian calendar), for the distance between two readings.
std::int64_t Seconds(const host::DateTime& t) {
  const int y = t.year - (t.month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (t.month + (t.month > 2 ? -3 : 9)) + 2) / 5 + t.day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const std::int64_t days = std::int64_t(era) * 146097 + doe - 719468;
  return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}
}  // namespace

void Outlook::SetNow(const host::DateTime& now, int step_seconds) {
  // The tick count never goes back; a clock set forward took that long.
  const std::int64_t ahead = Seconds(now) - Seconds(core_->now);
  if (ahead > 0) core_->milliseconds += static_cast<std::uint64_t>(ahead) * 1000;
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

void Outlook::SetRegion(Region region) {
  const auto& setting = detail::kRegionalSettings[static_cast<int>(region)];
  core_->short_date_pattern = setting.short_date_pattern;
  SetSeparators(setting.date_separator, L":");
}

// ---------------- the gate ----------------

std::vector<HostCall> Outlook::Calls() const {
  return core_->gate.log;
}
void Outlook::ClearCalls() {
  core_->gate.log.clear();
}
std::size_t Outlook::CallCount() const {
  return core_->gate.log.size();
}

int Outlook::CountCalls(const std::wstring& name) const {
  int count = 0;
  for (auto& call : core_->gate.log)
    if (detail::EqualsNoCase(call.Name(), name)) ++count;
  return count;
}

std::wstring Outlook::CallsText() const {
  std::wstring text;
  for (auto& call : core_->gate.log) text += call.ToString() + L"\n";
  return text;
}

void Outlook::Override(CallOverride override) {
  core_->gate.Add(std::move(override));
}

void Outlook::BeforeCall(const std::wstring& name, std::function<void()> action) {
  Override([name, action = std::move(action)](const HostCall& call, std::size_t) {
    if (!detail::EqualsNoCase(call.Name(), name)) return true;
    action();
    return false;
  });
}

void Outlook::FailNthCall(int n, std::int32_t number, const std::wstring& description) {
  if (n < 1) throw std::invalid_argument("FailNthCall counts from 1");
  const std::size_t at = core_->gate.Passed() + static_cast<std::size_t>(n);
  Override([=](const HostCall&, std::size_t passed) {
    if (passed == at) throw host::Failure(number, description);
    return passed < at;
  });
}

void Outlook::FailCallsTo(const std::wstring& name, std::int32_t number,
                          const std::wstring& description, int nth, bool only_once) {
  const int from = std::max(1, nth);
  Override([=, seen = 0](const HostCall& call, std::size_t) mutable {
    if (!detail::EqualsNoCase(call.Name(), name)) return true;
    ++seen;
    if (seen == from || (seen > from && !only_once)) throw host::Failure(number, description);
    return !only_once || seen < from;
  });
}

void Outlook::ClearFaults() {
  core_->gate.ClearOverrides();
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
int Outlook::EventConnections() const {
  std::size_t count = core_->new_inspector.Count() + core_->context_menu.Count();
  for (auto& [kind, folder] : core_->folders) count += folder->item_add.Count();
  for (auto& item : core_->items)
    count += item->write_event.Count() + item->inspector_close.Count();
  for (auto& weak : core_->buttons)
    if (auto button = weak.lock()) count += button->click.Count();
  return static_cast<int>(count);
}

long Outlook::OutstandingReferences() const {
  return core_->gate.Outstanding();
}

}  // namespace fenmark::sim
