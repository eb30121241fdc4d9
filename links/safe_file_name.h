#pragma once
// Makes a clean name fit for a folder on Windows: the file it names is the file that gets
// written, whatever the subject was.

#include <cstddef>
#include <string>
#include <string_view>

namespace fenmark::links {

// MAX_PATH less its terminating NUL and one more: the longest path that the file calls of Outlook
// and the scripting file system all accept (some runtimes' DeleteFile and DeleteFolder refuse a
// path that fills MAX_PATH, and the file would stay behind).
inline constexpr std::size_t kMaxPathLength = 258;
// The longest name one folder entry can have.
inline constexpr std::size_t kMaxNameLength = 255;

// Whether Windows takes `name` for a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$
// in any case, also with an extension or blanks after them).
bool IsDeviceName(std::wstring_view name);

// `name` followed by `extension`, as a file of `folder` (given with its trailing separator) can
// be called: characters Windows refuses dropped, cut from the end so the whole path stays under
// MAX_PATH, no trailing dots or blanks before the extension, and never a device. A name that needs
// none of this comes back as it is, with the extension.
std::wstring SafeFileName(std::wstring_view folder, std::wstring_view name,
                          std::wstring_view extension);

}  // namespace fenmark::links
