// The marker line of an appointment body: whatever the body, the search ends, never reads past
// the text, and its answer agrees with a plain reading of the rule.

#include <cstdlib>

#include "fuzz/fuzz_text.h"
#include "links/tracking.h"

namespace {

using fenmark::links::kEntryIdOffset;
using fenmark::links::kMarker;
using fenmark::links::MarkerLine;

wchar_t FoldAscii(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? c - L'A' + L'a' : c;
}

bool MarkerAt(const std::wstring& body, std::size_t at) {
  if (at + kMarker.size() > body.size()) return false;
  for (std::size_t k = 0; k < kMarker.size(); ++k)
    if (FoldAscii(body[at + k]) != FoldAscii(kMarker[k])) return false;
  return true;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring body = fenmark::fuzz::WideText(data, size);
  const MarkerLine line = fenmark::links::FindMarkerLine(body);

  std::size_t first = 0;
  while (first < body.size() && !MarkerAt(body, first)) ++first;
  if (first == body.size()) {
    Check(line.kind == MarkerLine::Kind::kAbsent && line.entry_id.empty());
    return 0;
  }
  const std::size_t start = first + kEntryIdOffset;
  const bool has_cr = start < body.size() && body.find(L'\r', start) != std::wstring::npos;
  if (!has_cr) {
    Check(line.kind == MarkerLine::Kind::kUnterminated && line.entry_id.empty());
    return 0;
  }
  Check(line.kind == MarkerLine::Kind::kFound);
  Check(line.entry_id.find(L'\r') == std::wstring::npos);
  Check(start + line.entry_id.size() < body.size());
  Check(body.compare(start, line.entry_id.size(), line.entry_id) == 0);
  Check(body[start + line.entry_id.size()] == L'\r');
  return 0;
}
