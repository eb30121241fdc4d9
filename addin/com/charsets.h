#pragma once
// A saved page's character set, by its web name, as Windows converts it.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fenmark::com {

// The code page of a web name ("iso-2022-jp"); CP_ACP for none; nothing for a name not known.
std::optional<UINT> CodePageOf(std::wstring_view charset);

// The text, or nothing when the set is not known or the bytes are not valid in it.
std::optional<std::wstring> Decode(const std::vector<std::uint8_t>& bytes,
                                   std::wstring_view charset);

}  // namespace fenmark::com
