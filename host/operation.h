#pragma once
// The add-in's commands as every surface names them to the code that carries them out, and the
// item a surface hands over to the command that follows.

#include <iterator>
#include <string>
#include <string_view>

namespace fenmark::host {

// Every operation, once: the enum, its count and its names come from this list.
#define FENMARK_OPERATIONS(X) \
  X(CopyToTask)               \
  X(CompleteTask)             \
  X(OpenTask)                 \
  X(StartTask)                \
  X(StopTask)                 \
  X(ScheduleTask)

enum class Operation {
#define FENMARK_ENUMERATOR(name) k##name,
  FENMARK_OPERATIONS(FENMARK_ENUMERATOR)
#undef FENMARK_ENUMERATOR
};

// The operation's own name: the title of its reports ("Ostrand - <name>") and, after the ProgID,
// its command-bar button's tag.
inline constexpr std::wstring_view kOperationNames[] = {
#define FENMARK_NAME(name) L"" #name,
    FENMARK_OPERATIONS(FENMARK_NAME)
#undef FENMARK_NAME
};
inline constexpr int kOperationCount = static_cast<int>(std::size(kOperationNames));

constexpr std::wstring_view NameOf(Operation operation) {
  return kOperationNames[static_cast<int>(operation)];
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
