#pragma once
// Turns fuzzer bytes into wide text: one character per byte, with the top bytes standing for the
// characters that case-insensitive matching and file names tend to trip over.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fenmark::fuzz {

inline wchar_t WideFromByte(std::uint8_t byte) {
  static constexpr wchar_t kSpecial[16] = {
      0x212A,  // Kelvin sign, a "K" to some case foldings
      0x0130,  // capital I with dot above
      0x0131,  // dotless i
      0x017F,  // long s
      0xFF21,  // full-width A
      0xFF1A,  // full-width colon
      0x00C4,  // A with diaeresis
      0xD800,  // lone high surrogate
      0xDC00,  // lone low surrogate
      0x2028,  // line separator
      0x0085,  // next line
      0xFEFF,  // byte order mark
      0x00A0,  // no-break space
      0x3000,  // ideographic space
      0x0000,  // NUL inside the text
      0xFFFF,
  };
  return byte >= 0xF0 ? kSpecial[byte - 0xF0] : static_cast<wchar_t>(byte);
}

inline std::wstring WideText(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  text.reserve(size);
  for (std::size_t i = 0; i < size; ++i) text.push_back(WideFromByte(data[i]));
  return text;
}

}  // namespace fenmark::fuzz
