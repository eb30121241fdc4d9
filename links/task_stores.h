#pragma once
// What the session knows of linked tasks: the store in which each was found, so that a task in a
// shared or second calendar's store is asked for there first (one lookup, not a failed one
// first); the appointments whose task was not found, so that drawing them asks no more; and the
// links that Open mended but could not save.

#include <map>
#include <set>
#include <string>
#include <utility>

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

  // Appointments (by entry ID) whose task was not found while drawing. A link or a command may
  // change that: it forgets them all.
  bool Missed(const std::wstring& appointment_entry_id) const {
    return missed_.count(appointment_entry_id) != 0;
  }
  void RememberMiss(const std::wstring& appointment_entry_id) {
    missed_.insert(appointment_entry_id);
  }
  void ForgetMisses() noexcept { missed_.clear(); }

  // The task (entry ID, store ID) found for an appointment with unsaved changes, which keeps its
  // old link until the user saves it.
  using Relink = std::pair<std::wstring, std::wstring>;
  const Relink* RelinkOf(const std::wstring& appointment_entry_id) const {
    auto found = relinks_.find(appointment_entry_id);
    return found == relinks_.end() ? nullptr : &found->second;
  }
  void Relinked(const std::wstring& appointment_entry_id, Relink task) {
    relinks_[appointment_entry_id] = std::move(task);
  }

 private:
  std::map<std::wstring, std::wstring> stores_;
  std::set<std::wstring> missed_;
  std::map<std::wstring, Relink> relinks_;
};

}  // namespace fenmark::links
