#pragma once
// UTF-8 for the simulator's files and the demo's output. wchar_t is 32 bits on Linux and 16 on
// Windows, where characters beyond the BMP travel as surrogate pairs.

#include <cstdint>
#include <string>
#include <string_view>

namespace fenmark::sim {

// Appends one code point; the caller sees to it that it is a valid one.
void AppendUtf8(std::string& out, std::uint32_t code_point);
// Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::wstring_view text);
// Malformed sequences become U+FFFD, one per byte.
std::wstring FromUtf8(std::string_view utf8);

}  // namespace fenmark::sim
