// The simulated file system as Windows keeps it for the add-in: files, folders and junctions,
// each with an owner, a time it was made and an identity; handles that deny deletion to everyone
// else; and the platform's file calls on them.

#include <algorithm>
#include <cwctype>

#include "sim/facade_call.h"
#include "sim/platform_impl.h"

namespace fenmark::sim::detail {
namespace {

// The system's texts for the file calls' failures.
constexpr wchar_t kAlreadyExistsText[] = L"Cannot create a file when that file already exists.";
constexpr wchar_t kSharingViolationText[] =
    L"The process cannot access the file because it is being used by another process.";
constexpr wchar_t kNotEmptyText[] = L"The directory is not empty.";
constexpr std::int32_t kWin32FileNotFound = static_cast<std::int32_t>(0x80070002);
constexpr std::int32_t kWin32PathNotFound = static_cast<std::int32_t>(0x80070003);
constexpr std::int32_t kWin32BadName = static_cast<std::int32_t>(0x8007007B);
constexpr wchar_t kFileNotFoundText[] = L"The system cannot find the file specified.";
constexpr wchar_t kPathNotFoundText[] = L"The system cannot find the path specified.";
constexpr wchar_t kBadNameText[] =
    L"The filename, directory name, or volume label syntax is incorrect.";
// Links followed in one path before Windows gives up on it.
constexpr int kMaxLinkHops = 32;

// '*' any run of characters, '?' one character, letter case ignored.
bool Matches(std::wstring_view name, std::wstring_view pattern) {
  if (pattern.empty()) return name.empty();
  if (pattern[0] == L'*')
    return Matches(name, pattern.substr(1)) || (!name.empty() && Matches(name.substr(1), pattern));
  if (name.empty()) return false;
  if (pattern[0] != L'?' && std::towlower(pattern[0]) != std::towlower(name[0])) return false;
  return Matches(name.substr(1), pattern.substr(1));
}

// The entries of the folder `key` whose names match `pattern`.
std::vector<host::FolderEntry> Listing(const Core& core, const std::wstring& key,
                                       const std::wstring& pattern) {
  std::vector<host::FolderEntry> entries;
  auto add = [&](const std::wstring& entry_key, const std::wstring& path, bool is_folder) {
    if (Core::Parent(entry_key) != key) return;
    const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    if (Matches(name, pattern)) entries.push_back({name, is_folder});
  };
  for (const auto& [dir_key, dir] : core.dirs) add(dir_key, dir, true);
  for (const auto& [file_key, entry] : core.files) add(file_key, entry.path, false);
  for (const auto& [link_key, link] : core.links) add(link_key, link.path, true);
  return entries;
}

void CheckNewEntry(Core& core, const std::wstring& path) {
  if (core.Exists(Core::Key(path))) throw host::Failure(host::kAlreadyExists, kAlreadyExistsText);
  core.CheckFilePath(path, kWin32PathNotFound, kPathNotFoundText, kWin32BadName, kBadNameText);
}

// A handle of the add-in's on one entry. What it holds is the entry it opened: should the path
// come to name something else (where holds are not kept), the handle's entry is elsewhere.
class HeldEntryImpl final : public host::HeldEntry, Facade {
 public:
  HeldEntryImpl(std::weak_ptr<Core> core, std::wstring key, std::wstring path)
      : Facade(std::move(core), L"HeldEntry"), key_(std::move(key)), path_(std::move(path)) {
    auto core_now = Lock(core_);
    ++core_now->add_in_holds[key_];
    facts_ = Read(*core_now);
  }
  ~HeldEntryImpl() override {
    if (auto core = core_.lock(); core && !removed_) Release(*core);
  }

  host::EntryFacts Facts() override {
    auto core = Enter(L"Facts", Quote(path_)).core;
    if (Here(*core)) facts_ = Read(*core);
    return facts_;
  }

  std::vector<host::FolderEntry> Entries() override {
    auto core = Enter(L"Entries", Quote(path_)).core;
    if (!Here(*core) || core->links.count(key_)) return {};
    return Listing(*core, key_, L"*");
  }

  void Remove() override {
    auto core = Enter(L"Remove", Quote(path_)).core;
    if (removed_) return;
    if (Here(*core)) {
      if (!core->links.count(key_) && core->HasEntriesBelow(key_))
        throw host::Failure(host::kDirectoryNotEmpty, kNotEmptyText);
      core->Erase(key_);
    }
    removed_ = true;
    Release(*core);
  }

 private:
  bool Here(Core& core) const {
    return core.Exists(key_) && core.Meta(key_).identity == facts_.identity.index;
  }
  host::EntryFacts Read(Core& core) const {
    const auto& meta = core.Meta(key_);
    host::EntryFacts facts;
    facts.identity = {1, meta.identity};
    facts.link = core.links.count(key_) > 0;
    facts.folder = facts.link || core.dirs.count(key_) > 0;
    facts.users_own = meta.owner == core.user;
    const auto age_ms = static_cast<std::int64_t>(core.milliseconds) - meta.made_ms;
    facts.age_seconds = age_ms > 0 ? static_cast<std::uint64_t>(age_ms / 1000) : 0;
    return facts;
  }
  void Release(Core& core) {
    auto it = core.add_in_holds.find(key_);
    if (it != core.add_in_holds.end() && --it->second <= 0) core.add_in_holds.erase(it);
  }

  std::wstring key_, path_;
  host::EntryFacts facts_;
  bool removed_ = false;
};

}  // namespace

// ---------------- the file system's entries ----------------

std::wstring Core::Resolved(const std::wstring& path, bool keep_last) const {
  if (links.empty()) return path;
  std::wstring named = Named(path);
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    bool followed = false;
    for (std::size_t end = named.find(L'\\'); !followed; end = named.find(L'\\', end + 1)) {
      const bool last = end == std::wstring::npos;
      if (last && keep_last) break;
      const std::wstring prefix = last ? named : named.substr(0, end);
      auto link = links.find(Key(prefix));
      if (link != links.end()) {
        named = Named(link->second.target) + (last ? L"" : named.substr(end));
        followed = true;
      }
      if (last) break;
    }
    if (!followed) return hop == 0 ? path : named;
  }
  throw host::Failure(kWin32PathNotFound, kPathNotFoundText);
}

bool Core::Exists(const std::wstring& key) const {
  return dirs.count(key) || files.count(key) || links.count(key);
}

bool Core::HasEntriesBelow(const std::wstring& key) const {
  const std::wstring below = key + L"\\";
  auto inside = [&](const auto& entry) { return entry.first.rfind(below, 0) == 0; };
  return std::any_of(dirs.begin(), dirs.end(), inside) ||
         std::any_of(files.begin(), files.end(), inside) ||
         std::any_of(links.begin(), links.end(), inside);
}

Core::EntryMeta& Core::Meta(const std::wstring& key) {
  auto [it, made] = entry_meta.try_emplace(key);
  if (made) it->second = {user, static_cast<std::int64_t>(milliseconds), next_identity++};
  return it->second;
}

void Core::Erase(const std::wstring& key) {
  dirs.erase(key);
  files.erase(key);
  links.erase(key);
  entry_meta.erase(key);
}

// ---------------- the platform's file calls ----------------

std::uint64_t NextRandom(std::uint64_t& state) {
  // splitmix64: the same sequence on every run, so that runs compare.
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint64_t PlatformImpl::RandomBits() {
  Enter(L"RandomBits");
  return NextRandom(core_.random_state);
}

std::unique_ptr<host::HeldEntry> PlatformImpl::MakeOwnFolder(const std::wstring& path) {
  Enter(L"MakeOwnFolder", Quote(path));
  const std::wstring resolved = core_.Resolved(path, true);
  CheckNewEntry(core_, resolved);
  const std::wstring key = Core::Key(resolved);
  core_.dirs.emplace(key, Core::Named(resolved));
  core_.Meta(key);
  return std::make_unique<HeldEntryImpl>(core_.weak_from_this(), key, path);
}

std::unique_ptr<host::HeldEntry> PlatformImpl::MakeHeldFile(const std::wstring& path) {
  Enter(L"MakeHeldFile", Quote(path));
  const std::wstring resolved = core_.Resolved(path, true);
  CheckNewEntry(core_, resolved);
  const std::wstring key = Core::Key(resolved);
  core_.files[key].path = Core::Named(resolved);
  core_.Meta(key);
  return std::make_unique<HeldEntryImpl>(core_.weak_from_this(), key, path);
}

std::unique_ptr<host::HeldEntry> PlatformImpl::OpenEntry(const std::wstring& path) {
  Enter(L"OpenEntry", Quote(path));
  const std::wstring key = Core::Key(core_.Resolved(path, true));
  if (!core_.dirs.count(Core::Parent(key)))
    throw host::Failure(kWin32PathNotFound, kPathNotFoundText);
  if (!core_.Exists(key)) throw host::Failure(kWin32FileNotFound, kFileNotFoundText);
  // A handle that denies deletion denies it to a second handle of the add-in's own as well.
  if (core_.holds_kept && core_.add_in_holds.count(key))
    throw host::Failure(host::kSharingViolation, kSharingViolationText);
  if (auto held = core_.held_files.find(key); held != core_.held_files.end()) {
    if (core_.milliseconds < held->second)
      throw host::Failure(host::kSharingViolation, kSharingViolationText);
    core_.held_files.erase(held);
  }
  return std::make_unique<HeldEntryImpl>(core_.weak_from_this(), key, path);
}

host::FileIdentity PlatformImpl::IdentityAt(const std::wstring& path) {
  Enter(L"IdentityAt", Quote(path));
  const std::wstring key = Core::Key(core_.Resolved(path, true));
  if (!core_.Exists(key)) return {};
  return {1, core_.Meta(key).identity};
}

std::vector<host::FolderEntry> PlatformImpl::FolderEntries(const std::wstring& folder,
                                                           const std::wstring& pattern) {
  Enter(L"FolderEntries", Quote(folder) + L", " + Quote(pattern));
  const std::wstring key = Core::Key(core_.Resolved(folder));
  if (!core_.dirs.count(key)) throw host::Failure(kWin32PathNotFound, kPathNotFoundText);
  return Listing(core_, key, pattern);
}

std::vector<std::uint8_t> PlatformImpl::ReadBytes(const std::wstring& path) {
  Enter(L"ReadBytes", Quote(path));
  auto it = core_.files.find(Core::Key(core_.Resolved(path)));
  if (it == core_.files.end()) throw host::Failure(kWin32FileNotFound, kFileNotFoundText);
  return it->second.bytes;
}

void PlatformImpl::WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  Enter(L"WriteBytes", Quote(path));
  const std::wstring resolved = core_.Resolved(path);
  core_.CheckFilePath(resolved, kWin32PathNotFound, kPathNotFoundText, kWin32BadName, kBadNameText);
  auto& entry = core_.files[Core::Key(resolved)];
  if (entry.path.empty()) entry.path = Core::Named(resolved);
  entry.bytes = bytes;
}

}  // namespace fenmark::sim::detail
