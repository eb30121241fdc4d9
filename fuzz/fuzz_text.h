#pragma once
// Turns fuzzer bytes into wide text: one character per byte, with the top bytes standing for the
// characters that case-insensitive matching and file names tend to trip over.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fenmark::fuzz {

inline wchar_t WideFromByte(std::uint8_t byte) {
  // Kelvin sign, I with dot, dotless i, long s, full-width A and colon, A with diaeresis, lone
  // surrogates, line separator, next line, byte order mark, no-break and ideographic space, NUL.
  static constexpr wchar_t kSpecial[16] = {0x212A, 0x0130, 0x0131, 0x017F, 0xFF21, 0xFF1A,
                                           0x00C4, 0xD800, 0xDC00, 0x2028, 0x0085, 0xFEFF,
                                           0x00A0, 0x3000, 0x0000, 0xFFFF};
  return byte >= 0xF0 ? kSpecial[byte - 0xF0] : static_cast<wchar_t>(byte);
}

inline std::wstring WideText(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  text.reserve(size);
  for (std::size_t i = 0; i < size; ++i) text.push_back(WideFromByte(data[i]));
  return text;
}

}  // namespace fenmark::fuzz
