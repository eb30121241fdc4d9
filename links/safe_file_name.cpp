#include "links/safe_file_name.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "links/unicode_letters.h"

namespace fenmark::links {

namespace {

wchar_t Upper(wchar_t c) {
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool SameLetters(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](wchar_t x, wchar_t y) { return Upper(x) == Upper(y); });
}

bool RefusedCharacter(wchar_t c) {
  return c < 32 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos;
}

bool TrailingTrimmed(wchar_t c) {
  return c == L'.' || c == L' ';
}

constexpr bool kUtf16 = sizeof(wchar_t) == 2;

bool HighSurrogate(wchar_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool LowSurrogate(wchar_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// The UTF-16 units of one wchar_t: two for a character beyond the BMP where wchar_t holds it whole.
template <std::size_t kWidth = sizeof(wchar_t)>
std::size_t UnitsOf(wchar_t c) {
  if constexpr (kWidth == 2)
    return 1;
  else
    return static_cast<std::uint32_t>(c) > 0xFFFF ? 2 : 1;
}

// Cuts `text` to at most `units` UTF-16 units, never through a surrogate pair.
void CutToUnits(std::wstring& text, std::size_t units) {
  std::size_t used = 0, keep = 0;
  while (keep < text.size() && used + UnitsOf(text[keep]) <= units) used += UnitsOf(text[keep++]);
  text.resize(keep);
  if (!text.empty() && HighSurrogate(text.back())) text.pop_back();
}

// The part of a name that Windows compares with the device names: up to its first dot, without the
// blanks before it.
std::wstring_view DeviceStem(std::wstring_view name) {
  name = name.substr(0, name.find(L'.'));
  while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
  return name;
}

}  // namespace

bool IsDeviceName(std::wstring_view name) {
  const std::wstring_view stem = DeviceStem(name);
  static constexpr std::array<std::wstring_view, 6> kPlain = {L"CON", L"PRN",    L"AUX",
                                                              L"NUL", L"CONIN$", L"CONOUT$"};
  for (const auto device : kPlain) {
    if (SameLetters(stem, device)) return true;
  }
  // COM1-9 and LPT1-9; Windows counts the superscript digits one to three as digits too.
  if (stem.size() != 4) return false;
  const wchar_t digit = stem[3];
  const bool numbered =
      (digit >= L'1' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  return numbered &&
         (SameLetters(stem.substr(0, 3), L"COM") || SameLetters(stem.substr(0, 3), L"LPT"));
}

std::size_t Utf16Length(std::wstring_view text) {
  std::size_t units = 0;
  for (const wchar_t c : text) units += UnitsOf(c);
  return units;
}

std::wstring SubjectFileName(std::wstring_view subject, const Clock& now) {
  const auto first = subject.find_first_not_of(L' ');
  subject = first == std::wstring_view::npos
                ? std::wstring_view()
                : subject.substr(first, subject.find_last_not_of(L' ') - first + 1);
  std::wstring name;
  for (std::size_t i = 0; i < subject.size(); ++i) {
    const std::size_t width = kUtf16 && HighSurrogate(subject[i]) && i + 1 < subject.size() &&
                                      LowSurrogate(subject[i + 1])
                                  ? 2
                                  : 1;
    const char32_t code = width == 2
                              ? 0x10000 + ((static_cast<char32_t>(subject[i]) - 0xD800) << 10) +
                                    (static_cast<char32_t>(subject[i + 1]) - 0xDC00)
                              : static_cast<char32_t>(subject[i]);
    if (IsFileNameCharacter(subject[i]) || (code > 0x7F && IsLetterDigitOrMark(code)))
      name.append(subject.substr(i, width));
    i += width - 1;
  }
  return name.empty() ? FallbackSubject(now()) : name;
}

std::wstring SafeFileName(std::wstring_view folder, std::wstring_view name,
                          std::wstring_view extension, std::size_t reserve) {
  std::wstring stem;
  std::copy_if(name.begin(), name.end(), std::back_inserter(stem),
               [](wchar_t c) { return !RefusedCharacter(c); });

  const std::size_t fixed = Utf16Length(folder) + Utf16Length(extension) + reserve;
  std::size_t room = fixed < kMaxPathLength ? kMaxPathLength - fixed : 0;
  room = std::min(room, kMaxNameLength > extension.size() ? kMaxNameLength - extension.size() : 0);

  // Cutting can leave trailing dots or blanks or make a device name of a longer one, and marking
  // a device can need a cut: settle both until nothing changes.
  for (;;) {
    if (Utf16Length(stem) > room) CutToUnits(stem, room);
    // Windows drops them only at the very end of the name.
    while (extension.empty() && !stem.empty() && TrailingTrimmed(stem.back())) stem.pop_back();
    if (!IsDeviceName(stem + std::wstring(extension))) break;
    // "CON" becomes "CON_", keeping the subject's start; with no room for that, "CO_".
    const std::size_t mark = DeviceStem(stem).size();
    if (mark < room) {
      stem.insert(mark, 1, L'_');
    } else if (mark > 0) {
      stem.resize(mark - 1);
      stem.push_back(L'_');
    } else {
      break;  // only an extension of no use to anyone names a device
    }
  }
  return stem + std::wstring(extension);
}

}  // namespace fenmark::links
