#pragma once
// The links made without a command: the watched task stamps itself when saved, and an appointment
// that arrives in the calendar with the marker line names its task.

#include <string>
#include <string_view>

#include "host/host.h"

namespace fenmark::links {

using host::Ref;

// "TaskLinkEntryID:" as the host writes it into the body of an appointment made from a task.
inline constexpr std::wstring_view kMarker = L"TaskLinkEntryID:";
// The entry ID starts this many characters after the marker's first one: the marker and one
// separating character, whatever that character is.
inline constexpr std::size_t kEntryIdOffset = 17;

struct MarkerLine {
  enum class Kind {
    kAbsent,        // no marker in the body
    kUnterminated,  // a marker with no carriage return after the entry ID's start
    kFound,
  };
  Kind kind = Kind::kAbsent;
  std::wstring entry_id;  // kFound only; may be empty
};

// The first marker of `body`, found without regard to letter case, and the text from its entry ID
// start up to the next carriage return, character for character.
MarkerLine FindMarkerLine(std::wstring_view body);

// The task shown in the inspector, or no object when the window shows any other kind of item.
Ref<host::Item> TaskShownIn(host::Inspector& inspector);

// Saves the task, stamps it with its own entry ID and, when it has no status yet, with "Stopped",
// and saves it again. The caller keeps the write events of these saves from coming back here.
void StampWatchedTask(host::Item& task);

// A task gets its own entry ID; an appointment with the marker line gets the entry ID it names.
// Any other item, and an appointment without the marker, is left alone. A marker without a
// carriage return after it fails with "invalid argument", leaving the appointment unchanged.
// True when an appointment was linked.
bool LinkAddedItem(host::Item& item);

// A task that arrived in the Tasks folder without a window (the To-Do Bar, the task list, a mail
// dragged onto Tasks) is stamped as a save in its window would stamp it. One that carries its own
// entry ID and a status already is not saved again. True when it was stamped.
bool StampAddedTask(host::Item& task);

// Links an appointment that names its task only by the marker line, where that has no other
// effect: only an appointment without unsaved changes, saved at once. Any failure (a reviewer's
// rights on a shared calendar, a conflict) leaves it unlinked, silently. True when linked.
bool LinkFoundByMarker(host::Item& appointment, const std::wstring& task_entry_id) noexcept;

}  // namespace fenmark::links
