// The stores' folders as the add-in sees them: the items of a folder, restricted by a filter as
// a server restricts them, and each folder's subfolders.

#include <algorithm>
#include <cwctype>

#include "sim/facade_call.h"

namespace fenmark::sim::detail {
namespace {

constexpr std::wstring_view kDaslPrefix =
    L"http://schemas.microsoft.com/mapi/string/{00020329-0000-0000-C000-000000000046}/";

std::wstring Upper(std::wstring_view text) {
  return detail::Upper(std::wstring(text));
}

// One `name = 'value'` of a filter, the name as the filter gives it.
struct Condition {
  std::wstring name;
  std::wstring value;
};

host::Failure NotValid(const std::wstring& what) {
  return {kFailed, L"Cannot parse condition. Error at \"" + what + L"\"."};
}

// `"<DASL name>" = 'value'` conditions joined by OR, after "@SQL=". The form `[name] = 'value'`
// names a property as the folder defines it: the folders here define none of the add-in's.
std::vector<Condition> ParseFilter(const std::wstring& filter) {
  if (Upper(filter.substr(0, 5)) != L"@SQL=") {
    const auto open = filter.find(L'[');
    const auto close = filter.find(L']');
    if (open == std::wstring::npos || close == std::wstring::npos || close < open)
      throw NotValid(filter);
    throw host::Failure(kFailed, L"The property \"" + filter.substr(open + 1, close - open - 1) +
                                     L"\" in the condition is not valid.");
  }
  std::vector<Condition> conditions;
  std::wstring_view rest = std::wstring_view(filter).substr(5);
  for (;;) {
    // "<prefix><name>" = '<value>'
    if (rest.empty() || rest.front() != L'"') throw NotValid(std::wstring(rest));
    const auto name_end = rest.find(L'"', 1);
    if (name_end == std::wstring_view::npos) throw NotValid(std::wstring(rest));
    std::wstring_view name = rest.substr(1, name_end - 1);
    if (Upper(name.substr(0, kDaslPrefix.size())) != Upper(kDaslPrefix))
      throw NotValid(std::wstring(name));
    name.remove_prefix(kDaslPrefix.size());
    rest.remove_prefix(name_end + 1);
    constexpr std::wstring_view kEquals = L" = '";
    if (rest.substr(0, kEquals.size()) != kEquals) throw NotValid(std::wstring(rest));
    rest.remove_prefix(kEquals.size());
    const auto value_end = rest.find(L'\'');
    if (value_end == std::wstring_view::npos) throw NotValid(std::wstring(rest));
    conditions.push_back({std::wstring(name), std::wstring(rest.substr(0, value_end))});
    rest.remove_prefix(value_end + 1);
    if (rest.empty()) return conditions;
    constexpr std::wstring_view kOr = L" OR ";
    if (Upper(rest.substr(0, kOr.size())) != kOr) throw NotValid(std::wstring(rest));
    rest.remove_prefix(kOr.size());
  }
}

// What the server holds: the item's last save.
bool Matches(const ItemState& item, const std::vector<Condition>& conditions) {
  if (!item.persisted) return false;
  return std::any_of(conditions.begin(), conditions.end(), [&](const Condition& condition) {
    const auto& props = item.persisted->user_properties;
    return std::any_of(props.begin(), props.end(), [&](const UserPropertyValue& prop) {
      return EqualsNoCase(prop.name, condition.name) && EqualsNoCase(prop.value, condition.value);
    });
  });
}

// A folder's items, or those a Restrict kept.
class ItemsImpl : public host::ItemCollection, Facade {
 public:
  ItemsImpl(std::weak_ptr<Core> core, FolderKind folder,
            std::optional<std::vector<std::weak_ptr<ItemState>>> kept = std::nullopt)
      : Facade(std::move(core), L"ItemCollection"), folder_(folder), kept_(std::move(kept)) {}

  host::Subscription OnItemAdd(std::function<void(const Ref<host::Item>&)> handler) override {
    auto core = Enter(L"OnItemAdd");
    if (kept_) throw NotSupported();
    return core->folders.at(folder_)->item_add.Subscribe(std::move(handler));
  }
  Ref<host::ItemCollection> Restrict(const std::wstring& filter) override {
    auto core = Enter(L"Restrict", Quote(filter));
    const auto conditions = ParseFilter(filter);
    std::vector<std::weak_ptr<ItemState>> kept;
    for (auto& item : Members(*core))
      if (Matches(*item, conditions)) kept.push_back(item);
    return core->gate.Hand<host::ItemCollection>(
        std::make_shared<ItemsImpl>(core_, folder_, std::move(kept)));
  }
  int Count() override {
    auto core = Enter(L"Count");
    return static_cast<int>(Members(*core).size());
  }
  Ref<host::Item> Item(int index) override {
    auto core = Enter(L"Item", std::to_wstring(index));
    const auto members = Members(*core);
    if (index < 1 || index > static_cast<int>(members.size()))
      throw host::Failure(kBadIndex, L"Array index out of bounds.");
    return core->HandItem(members[index - 1]);
  }

 private:
  std::shared_ptr<Core> Enter(const wchar_t* member, std::wstring arguments = {}) {
    auto core = Lock(core_);
    return Facade::Enter(member, std::move(arguments), core->folders.at(folder_)->name).core;
  }
  // In the order they came into the folder; a restricted set as it was made.
  std::vector<std::shared_ptr<ItemState>> Members(Core& core) const {
    std::vector<std::shared_ptr<ItemState>> members;
    if (kept_) {
      for (auto& weak : *kept_)
        if (auto item = weak.lock(); item && !item->deleted) members.push_back(item);
      return members;
    }
    for (auto& item : core.items)
      if (!item->deleted && item->folder == folder_) members.push_back(item);
    return members;
  }

  FolderKind folder_;
  std::optional<std::vector<std::weak_ptr<ItemState>>> kept_;
};

class FoldersImpl : public host::FolderCollection, Facade {
 public:
  FoldersImpl(std::weak_ptr<Core> core, std::vector<FolderKind> folders, std::wstring owner)
      : Facade(std::move(core), L"FolderCollection"),
        folders_(std::move(folders)),
        owner_(std::move(owner)) {}
  int Count() override {
    Enter(L"Count", L"", owner_);
    return static_cast<int>(folders_.size());
  }
  Ref<host::Folder> Item(int index) override {
    auto call = Enter(L"Item", std::to_wstring(index), owner_);
    if (index < 1 || index > static_cast<int>(folders_.size()))
      throw host::Failure(kBadIndex, L"Array index out of bounds.");
    return HandFolder(*call, folders_[index - 1]);
  }

 private:
  std::vector<FolderKind> folders_;
  std::wstring owner_;
};

class FolderImpl : public host::Folder, Facade {
  FolderKind folder_;

 public:
  FolderImpl(std::weak_ptr<Core> core, FolderKind folder)
      : Facade(std::move(core), L"Folder"), folder_(folder) {}
  Ref<host::ItemCollection> Items() override {
    auto core = Enter(L"Items");
    return core->gate.Hand<host::ItemCollection>(std::make_shared<ItemsImpl>(core_, folder_));
  }
  std::wstring StoreID() override {
    Enter(L"StoreID");
    return StoreIDOf(StoreOf(folder_));
  }
  Ref<host::FolderCollection> Folders() override {
    auto core = Enter(L"Folders");
    std::vector<FolderKind> children;
    for (auto& [kind, state] : core->folders)
      if (state->parent == folder_) children.push_back(kind);
    return core->gate.Hand<host::FolderCollection>(
        std::make_shared<FoldersImpl>(core_, std::move(children), core->folders.at(folder_)->name));
  }
  int DefaultItemType() override {
    return Enter(L"DefaultItemType")->folders.at(folder_)->item_type;
  }

 private:
  std::shared_ptr<Core> Enter(const wchar_t* member) {
    auto core = Lock(core_);
    return Facade::Enter(member, L"", core->folders.at(folder_)->name).core;
  }
};

}  // namespace

Ref<host::Folder> HandFolder(Core& core, FolderKind folder) {
  return core.gate.Hand<host::Folder>(std::make_shared<FolderImpl>(core.weak_from_this(), folder));
}

Ref<host::FolderCollection> HandStoreRoots(Core& core) {
  std::vector<FolderKind> roots;
  for (auto& [kind, state] : core.folders)
    if (!state->parent && StoreOf(kind) != kPublicStore) roots.push_back(kind);
  return core.gate.Hand<host::FolderCollection>(
      std::make_shared<FoldersImpl>(core.weak_from_this(), std::move(roots), L""));
}

}  // namespace fenmark::sim::detail
