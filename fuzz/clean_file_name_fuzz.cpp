// CleanFileName on any subject: it ends, fails only with the 16-bit overflow, and what it gives is
// safe in a path: only characters of the set, no separators, wildcards or control characters.
// SubjectFileName keeps those and the letters, digits and marks of every script, never empty.
// SafeFileName then, on the clean name, the subject's file name and the raw subject, in a folder
// of any length: a name Windows takes as it is, whose path fits with every path of an HTML save
// with pictures, keeping the start of what it was given.

#include <algorithm>
#include <cstdlib>

#include "fuzz/fuzz_text.h"
#include "links/safe_file_name.h"
#include "links/send_to_task.h"
#include "links/unicode_letters.h"

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

// The devices, told apart without the add-in's own test: the part before the first dot, less its
// trailing blanks, in upper case.
bool Device(std::wstring name) {
  name = name.substr(0, name.find(L'.'));
  while (!name.empty() && name.back() == L' ') name.pop_back();
  for (auto& c : name) c = (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c;
  for (const std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
    if (name == device) return true;
  return name.size() == 4 && (name.rfind(L"COM", 0) == 0 || name.rfind(L"LPT", 0) == 0) &&
         std::wstring_view(L"123456789\u00b9\u00b2\u00b3").find(name[3]) != std::wstring_view::npos;
}

using fenmark::links::Utf16Length;

// What an HTML save of a mail with pictures writes beside its file, under the longest folder
// suffix that an Office translates it to.
constexpr std::wstring_view kPictureFiles[] = {L"_files\\image001.png", L"_files\\filelist.xml",
                                               L"_files\\colorschememapping.xml",
                                               L"_fichiers\\colorschememapping.xml"};

void CheckSafe(const std::wstring& folder, const std::wstring& given, const std::wstring& ext) {
  const bool html = ext == L".htm";
  const std::size_t reserve = html ? fenmark::links::kPictureFolderReserve : 0;
  const std::wstring name = fenmark::links::SafeFileName(folder, given, ext, reserve);
  Check(name.size() >= ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0);
  const std::wstring stem = name.substr(0, name.size() - ext.size());
  Check(!Device(name));
  for (const wchar_t c : name)
    Check(c >= 0x20 && std::wstring_view(L"\\/:*?\"<>|").find(c) == std::wstring_view::npos);
  if (Utf16Length(folder) + ext.size() + reserve <= fenmark::links::kMaxPathLength) {
    Check(Utf16Length(folder + name) <= fenmark::links::kMaxPathLength);
    Check(Utf16Length(name) <= fenmark::links::kMaxNameLength);
    // Every path the save writes.
    for (const auto picture : kPictureFiles)
      Check(!html || Utf16Length(folder + stem) + picture.size() <= fenmark::links::kMaxPathLength);
  }
  // The start of the name stays: with the marks of a device ("_" put in, or in place of the last
  // letter) taken out, the stem begins what was given, less what Windows refuses.
  std::wstring allowed, unmarked;
  for (const wchar_t c : given)
    if (c >= 0x20 && std::wstring_view(L"\\/:*?\"<>|_").find(c) == std::wstring_view::npos)
      allowed.push_back(c);
  for (const wchar_t c : stem.substr(0, stem.size() - (stem.size() && stem.back() == L'_')))
    if (c != L'_') unmarked.push_back(c);
  Check(allowed.rfind(unmarked, 0) == 0);
  // A name that needs nothing is left as it is, dots and blanks before the extension too; a safe
  // name stays as it is.
  if (allowed.size() == given.size() && !Device(given + ext) &&
      Utf16Length(folder + given + ext) + reserve <= fenmark::links::kMaxPathLength &&
      Utf16Length(given + ext) <= fenmark::links::kMaxNameLength)
    Check(stem == given);
  Check(fenmark::links::SafeFileName(folder, stem, ext, reserve) == name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 7) return 0;
  // The clock comes from the input, wild values included; the first byte's top three bits all set
  // stretch the text to about the overflow length: one input in eight, as long texts are slow.
  const int year = static_cast<std::int8_t>(data[1]) * 40;
  const fenmark::host::DateTime now{year,         data[2] % 14, data[3] % 33,
                                    data[4] % 25, data[5] % 61, data[6] % 61};
  const bool stretch = (data[0] & 0xE0) == 0xE0;
  const std::size_t target = 32760 + (data[0] & 0x0f);
  std::wstring text = fenmark::fuzz::WideText(data + 7, size - 7);
  if (stretch && !text.empty()) {
    // The text repeated to the target length, doubling rather than adding one copy at a time.
    text.reserve(target);
    while (text.size() < target) text.append(text, 0, std::min(text.size(), target - text.size()));
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
  // A stretched text is there for the count's edge alone: the rest is checked on texts of the
  // length subjects have, so that the fuzzer's minute covers many of them.
  if (stretch) return 0;

  const std::wstring folder =
      L"C:\\" + std::wstring(((data[0] >> 4) & 7) * 36 + data[6] % 37, L'f') + L"\\";
  CheckSafe(folder, clean, (data[0] & 1) ? L".htm" : L".msg");
  if (text.size() < 1024) CheckSafe(folder, text, L".msg");

  // The text less its outer blanks; what CleanFileName keeps of it, and what SubjectFileName keeps:
  // those and the letters, digits and marks of every script, in order.
  const auto first = text.find_first_not_of(L' ');
  const std::wstring trimmed =
      Blank(text) ? L"" : text.substr(first, text.find_last_not_of(L' ') - first + 1);
  std::wstring kept, letters;
  for (const wchar_t c : trimmed) {
    if (IsFileNameCharacter(c)) kept.push_back(c);
    if (IsFileNameCharacter(c) ||
        (c > 0x7F && fenmark::links::IsLetterDigitOrMark(static_cast<char32_t>(c))))
      letters.push_back(c);
  }

  // The subject as the attachment's name; the fallback when nothing is left.
  clock_reads = 0;
  const std::wstring named = fenmark::links::SubjectFileName(text, clock);
  Check(named == (letters.empty() ? FallbackSubject(now) : letters));
  Check(clock_reads == (letters.empty() ? 1 : 0));
  if (named.size() < 1024) {
    CheckSafe(folder, named, L".htm");
    CheckSafe(folder, named, L".msg");
  }

  for (const wchar_t c : clean)
    Check(IsFileNameCharacter(c) && c >= 0x20 && c < 0x7f &&
          std::wstring_view(L"\\/:*?\"<>|;\t\r\n").find(c) == std::wstring_view::npos);
  if (Blank(text)) {
    Check(clean == FallbackSubject(now));
  } else {
    // The outer blanks go first; kept characters then stay in order and in their own case, so a
    // blank next to a dropped character at either end stays.
    Check(clean == kept);
    // Cleaning a clean name without outer blanks changes nothing.
    if (!clean.empty() && clean.front() != L' ' && clean.back() != L' ')
      Check(CleanFileName(clean, clock) == clean);
  }
  return 0;
}
