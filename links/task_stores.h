#pragma once
// The store in which each linked task was found, for the session: a task in a shared or second
// calendar's store is asked for there first, so that it costs one lookup, not a failed one first.

#include <map>
#include <string>

namespace fenmark::links {

class TaskStores {
 public:
  // The store that last found the task with that entry ID; "" when none is known.
  std::wstring StoreOf(const std::wstring& task_entry_id) const {
    auto found = stores_.find(task_entry_id);
    return found == stores_.end() ? std::wstring() : found->second;
  }
  void Remember(const std::wstring& task_entry_id, const std::wstring& store_id) {
    stores_[task_entry_id] = store_id;
  }
  void Forget(const std::wstring& task_entry_id) { stores_.erase(task_entry_id); }

 private:
  std::map<std::wstring, std::wstring> stores_;
};

}  // namespace fenmark::links
