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
void LinkAddedItem(host::Item& item);

}  // namespace fenmark::links
