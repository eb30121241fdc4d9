// The pasted page's rewriting: whatever the page, it ends, and what it leaves holds nothing it
// would take out on a second reading: no reference beyond the page's folder survives where a
// reader fetches, however the markup is cut, quoted or spelt.

#include <cstdlib>

#include "fuzz/fuzz_text.h"
#include "links/remote_references.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring page = fenmark::fuzz::WideText(data, size);
  const std::wstring safe = fenmark::links::WithoutRemoteReferences(page);
  if (fenmark::links::WithoutRemoteReferences(safe) != safe) std::abort();
  const std::wstring css = fenmark::links::CssWithoutRemoteReferences(page);
  if (fenmark::links::CssWithoutRemoteReferences(css) != css) std::abort();
  return 0;
}
