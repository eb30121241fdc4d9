// The README tells a user every property Fenmark writes into their items: any user property that
// an end-to-end scenario leaves on an item is named in its section "What Fenmark writes into your
// items". The checked-in transcripts are what the code writes (the parity test holds them to it).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "tests/parity/transcript_file.h"

namespace fenmark::testing {
namespace {

std::string ReadmeSection() {
  std::ifstream in(FENMARK_SOURCE_DIR "/README.md", std::ios::binary);
  const std::string readme((std::istreambuf_iterator<char>(in)), {});
  const auto start = readme.find("## What Fenmark writes into your items");
  if (start == std::string::npos) return {};
  return readme.substr(start, readme.find("\n## ", start + 1) - start);
}

TEST(Readme, NamesEveryPropertyTheAddInWrites) {
  std::set<std::string> written;
  for (const auto& [name, lines] :
       parity::ReadTranscripts(FENMARK_SOURCE_DIR "/tests/parity/transcripts")) {
    for (const auto& line : lines) {
      const std::wstring prefix = L"  property ";
      if (line.rfind(prefix, 0) != 0) continue;
      const std::wstring property =
          line.substr(prefix.size(), line.find(L' ', prefix.size()) - prefix.size());
      written.insert(std::string(property.begin(), property.end()));
    }
  }
  ASSERT_GE(written.size(), 6u);
  const std::string section = ReadmeSection();
  ASSERT_FALSE(section.empty());
  for (const auto& property : written)
    EXPECT_NE(section.find("`" + property + "`"), std::string::npos) << property;
}

}  // namespace
}  // namespace fenmark::testing
