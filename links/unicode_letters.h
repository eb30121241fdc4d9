#pragma once
// Which characters of any script are letters, digits or combining marks, the same on every build.

namespace fenmark::links {

// Whether the code point is of the Unicode general category L, N or M.
bool IsLetterDigitOrMark(char32_t c);

}  // namespace fenmark::links
