// CleanFileName on any subject: it ends, fails only with the 16-bit overflow, and what it gives is
// safe in a path: only characters of the set, no separators, wildcards or control characters.

#include <cstdlib>

#include "fuzz/fuzz_text.h"
#include "links/send_to_task.h"

namespace {

using fenmark::links::CleanFileName;
using fenmark::links::FallbackSubject;
using fenmark::links::IsFileNameCharacter;

void Check(bool condition) {
  if (!condition) std::abort();
}

bool Blank(const std::wstring& text) {
  return text.find_first_not_of(L' ') == std::wstring::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 7) return 0;
  // The clock comes from the input, wild values included; a set top bit of the first byte
  // stretches the text to about the overflow length.
  fenmark::host::DateTime now{static_cast<std::int8_t>(data[1]) * 40,
                              data[2] % 14,
                              data[3] % 33,
                              data[4] % 25,
                              data[5] % 61,
                              data[6] % 61};
  const bool stretch = (data[0] & 0x80) != 0;
  const std::size_t target = 32760 + (data[0] & 0x0f);
  std::wstring text = fenmark::fuzz::WideText(data + 7, size - 7);
  if (stretch && !text.empty()) {
    const std::wstring unit = text;
    while (text.size() < target) text += unit;
    text.resize(target);
  }

  int clock_reads = 0;
  const auto clock = [&] {
    ++clock_reads;
    return now;
  };
  std::wstring clean;
  try {
    clean = CleanFileName(text, clock);
  } catch (const fenmark::host::Failure& failure) {
    Check(failure.Number() == fenmark::host::errors::kOverflow);
    Check(!Blank(text) && text.size() >= fenmark::links::kFileNameOverflowLength);
    return 0;
  }
  Check(Blank(text) || text.size() < fenmark::links::kFileNameOverflowLength);
  Check(clock_reads == (Blank(text) ? 1 : 0));

  for (const wchar_t c : clean) {
    Check(IsFileNameCharacter(c));
    Check(std::wstring_view(L"\\/:*?\"<>|;\t\r\n").find(c) == std::wstring_view::npos);
    Check(c >= 0x20 && c < 0x7f);
  }
  if (Blank(text)) {
    Check(clean == FallbackSubject(now));
  } else {
    // The outer blanks go first; kept characters then stay in order and in their own case, so a
    // blank next to a dropped character at either end stays.
    const auto first = text.find_first_not_of(L' ');
    const auto last = text.find_last_not_of(L' ');
    std::wstring kept;
    for (const wchar_t c : text.substr(first, last - first + 1)) {
      if (IsFileNameCharacter(c)) kept.push_back(c);
    }
    Check(clean == kept);
    // Cleaning a clean name without outer blanks changes nothing.
    if (!clean.empty() && clean.front() != L' ' && clean.back() != L' ') {
      Check(CleanFileName(clean, clock) == clean);
    }
  }
  return 0;
}
