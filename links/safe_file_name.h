#pragma once
// Makes a clean name fit for a folder on Windows: the file it names is the file that gets
// written, whatever the subject was.

#include <cstddef>
#include <string>
#include <string_view>

#include "links/send_to_task.h"

namespace fenmark::links {

// MAX_PATH less its terminating NUL and one more: the longest path that the file calls of Outlook
// and the scripting file system all accept (some runtimes' DeleteFile and DeleteFolder refuse a
// path that fills MAX_PATH, and the file would stay behind).
inline constexpr std::size_t kMaxPathLength = 258;
// The longest name one folder entry can have.
inline constexpr std::size_t kMaxNameLength = 255;
// What an HTML save writes beyond its file's name: the folder of its pictures ("_files", which a
// localized Office may translate) and that folder's longest file, such as colorschememapping.xml.
inline constexpr std::size_t kPictureFolderReserve = 32;

// The length of `text` in UTF-16 code units, as Windows counts a path on every build.
std::size_t Utf16Length(std::wstring_view text);

// The subject as the attachment's file name, before it is fitted to a folder: the outer blanks
// go, and of the rest the characters of CleanFileName's set and the letters, digits and marks of
// every script stay. A name left empty becomes the fallback subject (reading `now`).
std::wstring SubjectFileName(std::wstring_view subject, const Clock& now);

// Whether Windows takes `name` for a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$
// in any case, also with an extension or blanks after them).
bool IsDeviceName(std::wstring_view name);

// `name` followed by `extension`, as a file of `folder` (given with its trailing separator) can
// be called: characters Windows refuses dropped, cut from the end so that the whole path and
// `reserve` more characters stay under MAX_PATH, no trailing dots or blanks at the end of the
// whole name (Windows keeps those before an extension), and never a device. A name that needs
// none of this comes back as it is, with the extension.
std::wstring SafeFileName(std::wstring_view folder, std::wstring_view name,
                          std::wstring_view extension, std::size_t reserve = 0);

}  // namespace fenmark::links
