#pragma once
// The add-in's commands as every surface names them to the code that carries them out, and the
// item a surface hands over to the command that follows.

#include <string>
#include <string_view>

namespace fenmark::host {

enum class Operation {
  kCopyToTask,
  kCompleteTask,
  kOpenTask,
  kStartTask,
  kStopTask,
  kScheduleTask,
};
inline constexpr int kOperationCount = 6;

// The operation's own name: the title of its reports ("Ostrand - <name>") and, after the ProgID,
// its command-bar button's tag.
constexpr std::wstring_view NameOf(Operation operation) {
  constexpr std::wstring_view kNames[kOperationCount] = {
      L"CopyToTask", L"CompleteTask", L"OpenTask", L"StartTask", L"StopTask", L"ScheduleTask"};
  return kNames[static_cast<int>(operation)];
}

// The item the next operation acts on, as a surface named it.
struct ItemRef {
  std::wstring entry_id = {};
  // The item's store when the surface could tell, else "": it always belongs to `entry_id`.
  std::wstring store_id = {};

  // The entry ID alone, as a command-bar button carries it: the store stays only if it came with
  // this very entry ID.
  void SetEntryID(const std::wstring& id) {
    if (id != entry_id) store_id.clear();
    entry_id = id;
  }
};

}  // namespace fenmark::host
