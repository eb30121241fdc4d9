#pragma once
// "Send to Ostrand": a mail or post item becomes a new task with the item attached and its
// content pasted below a separator line, shown for the user to finish and save.

#include <functional>
#include <string>
#include <string_view>

#include "host/host.h"
#include "links/operations.h"

namespace fenmark::links {

using host::Ref;

// Every character a clean file name may hold, matched without regard to letter case. The digit 0
// stands in it twice; that changes nothing.
inline constexpr std::wstring_view kFileNameCharacters =
    L" 01234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ!.()$%-+_'&@{}[],=#~";
// A text this long no longer fits the 16-bit count of the clean-up.
inline constexpr std::size_t kFileNameOverflowLength = 32767;
// Typed into the task's body above the pasted message: two empty paragraphs and the separator.
inline constexpr std::wstring_view kBodySeparator = L"\r\r____________\r";

using Clock = std::function<host::DateTime()>;

// "No subject - YYYYMMDDhhmmss" followed by the letters "ff", which the format leaves as they are.
std::wstring FallbackSubject(const host::DateTime& now);

// Whether `c` may stand in a clean file name. Only ASCII characters can match the set, so a
// clean name never depends on the locale.
bool IsFileNameCharacter(wchar_t c);

// The subject as a file name: a blank subject becomes the fallback (reading `now`), leading and
// trailing blanks go, and every character outside the set is dropped. A text of 32,767
// characters or more fails with "overflow".
std::wstring CleanFileName(std::wstring_view text, const Clock& now);

// Attaches `source` to `target` as a Unicode message file and pastes its HTML rendering into the
// target's body, through two files in a working folder of the run's own, made in the temporary
// folder and removed again with all it holds (what earlier runs left goes first). Reports its
// first failure itself; the clean-up reports nothing. Never fails towards the caller.
void AttachOrigItem(host::Platform& platform, const Ref<host::Item>& source,
                    const Ref<host::Item>& target);

// Makes a task of the item handed over and shows it; shows nothing left to watch.
Ran CopyToTask(const Session& session, const host::ItemRef& mail, const OperationRow&) noexcept;

}  // namespace fenmark::links
