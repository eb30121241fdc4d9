#pragma once
// The character set a saved HTML page declares, and the page written back as UTF-8: a page is
// read in its own character set (Outlook saves in the mail's, ISO-2022-JP for one), never byte by
// byte.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/platform.h"

namespace fenmark::links {

// What a page's first bytes say of its characters: a byte-order mark, else the character set
// named in its <meta> or XML declaration; empty when it names none.
struct DeclaredEncoding {
  std::wstring charset;       // lower case: "utf-8", "utf-16le", "iso-2022-jp", ...
  std::size_t mark_size = 0;  // bytes of the byte-order mark
};
DeclaredEncoding DeclaredEncodingOf(const std::vector<std::uint8_t>& page);

// The page's text; nothing when its bytes are not valid in its character set, or the platform
// does not know that set.
std::optional<std::wstring> PageText(host::Platform& platform,
                                     const std::vector<std::uint8_t>& page);

// The page as UTF-8 with a byte-order mark, declaring so in a <meta> of its own (after <head> where
// it has one), for a reader that would otherwise go by a declaration the page no longer holds.
std::vector<std::uint8_t> Utf8Page(std::wstring_view html);

}  // namespace fenmark::links
