#include "links/moved_task.h"

#include <vector>

#include "host/scope_exit.h"

namespace fenmark::links {
namespace {

constexpr std::wstring_view kDaslUserProperty =
    L"http://schemas.microsoft.com/mapi/string/{00020329-0000-0000-C000-000000000046}/";

// A store's root, as the namespace lists it.
struct Store {
  std::wstring id;
  Ref<host::Folder> root;
};

class Search {
 public:
  explicit Search(std::wstring filter) : filter_(std::move(filter)) {}

  // Restricts the folder's items; false, searching nothing, once the bound is reached.
  bool Visit(host::Folder& folder, bool deleted_items = false) {
    if (visited_ == kMaxFoldersSearched) {
      stopped_ = true;
      return false;
    }
    ++visited_;
    auto items = folder.Items();
    auto found = host::Require(items).Restrict(filter_);
    const int count = host::Require(found).Count();
    for (int i = 1; i <= count; ++i) {
      auto item = found->Item(i);
      // Deleted Items holds the appointments linked to the task too.
      if (item && item->Class() == host::kOlTask)
        matches_.push_back({std::move(item), deleted_items});
    }
    return true;
  }

  // The folder and every folder below it.
  bool VisitTree(host::Folder& folder) {
    if (!Visit(folder)) return false;
    auto children = folder.Folders();
    const int count = host::Require(children).Count();
    for (int i = 1; i <= count; ++i)
      if (!VisitTree(host::Require(children->Item(i)))) return false;
    return true;
  }

  // The store's task folders, each with its subfolders.
  bool VisitTaskFolders(host::Folder& root) {
    auto children = root.Folders();
    const int count = host::Require(children).Count();
    for (int i = 1; i <= count; ++i) {
      auto folder = children->Item(i);
      if (host::Require(folder).DefaultItemType() == host::kOlTaskItem && !VisitTree(*folder))
        return false;
    }
    return true;
  }

  bool Found() const { return !matches_.empty(); }
  bool Stopped() const { return stopped_; }

  // Of several (a recurring task's completed occurrences beside the series), the one not
  // complete; else the last found.
  MovedTask Best() const {
    if (matches_.empty()) return {nullptr, false, stopped_};
    for (const auto& match : matches_)
      if (!match.task->Complete()) return {match.task, match.deleted_items, false, true};
    return {matches_.back().task, matches_.back().deleted_items, false, true};
  }

 private:
  struct Match {
    Ref<host::Item> task;
    bool deleted_items;
  };
  std::wstring filter_;
  int visited_ = 0;
  bool stopped_ = false;
  std::vector<Match> matches_;
};

std::vector<Store> StoresOf(host::Namespace& ns) {
  std::vector<Store> stores;
  auto roots = ns.Folders();
  const int count = host::Require(roots).Count();
  for (int i = 1; i <= count; ++i) {
    auto root = roots->Item(i);
    std::wstring id = host::Require(root).StoreID();
    stores.push_back({std::move(id), std::move(root)});
  }
  return stores;
}

}  // namespace

std::wstring TaskKeyFilter(const std::wstring& key) {
  std::wstring filter = L"@SQL=";
  for (const auto name : {kOstrandTaskKey, kTaskLinkEntryID}) {
    if (filter.size() > 5) filter += L" OR ";
    filter.append(L"\"").append(kDaslUserProperty).append(name).append(L"\" = '");
    filter.append(key).append(L"'");
  }
  return filter;
}

std::wstring SearchKeyOf(host::Item& appointment, const TaskLink& link) {
  if (!link.by_marker) {
    auto properties = appointment.UserProperties();
    if (auto key = host::Require(properties).Item(std::wstring(kTaskLinkKey))) {
      if (std::wstring value = key->Value(); IsEntryIdText(value)) return value;
    }
  }
  return link.task_entry_id;
}

MovedTask FindMovedTask(host::Platform& platform, host::Namespace& ns, const std::wstring& key,
                        host::Item& appointment) {
  // A key that is no entry ID would make a filter of anything.
  if (!IsEntryIdText(key)) return {};
  platform.BeginWaitCursor();
  const auto restore = host::scope_exit([&] { platform.EndWaitCursor(); });
  Search search(TaskKeyFilter(key));

  auto deleted_items = ns.GetDefaultFolder(host::kOlFolderDeletedItems);
  const std::wstring default_store = host::Require(deleted_items).StoreID();
  const std::wstring appointment_store = host::StoreIDOf(appointment);
  const std::vector<Store> stores = StoresOf(ns);
  auto search_store = [&](const std::wstring& id) {
    for (const auto& store : stores)
      if (SameText(store.id, id)) return search.VisitTaskFolders(*store.root);
    return true;
  };

  if (!search_store(default_store) || !search.Visit(*deleted_items, true) || search.Found())
    return search.Best();
  if (!appointment_store.empty() && !SameText(appointment_store, default_store)) {
    if (!search_store(appointment_store) || search.Found()) return search.Best();
  }
  for (const auto& store : stores) {
    if (SameText(store.id, default_store) || SameText(store.id, appointment_store)) continue;
    if (!search.VisitTaskFolders(*store.root) || search.Found()) return search.Best();
  }
  return search.Best();
}

}  // namespace fenmark::links
