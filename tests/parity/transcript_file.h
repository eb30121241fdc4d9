#pragma once
// The checked-in transcript: ASCII lines, read and written the same way by both builds.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fenmark::parity {

inline std::vector<std::wstring> ReadTranscript(const std::filesystem::path& path) {
  std::vector<std::wstring> lines;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.emplace_back(line.begin(), line.end());
  }
  return lines;
}

inline bool WriteTranscript(const std::filesystem::path& path,
                            const std::vector<std::wstring>& lines) {
  std::ofstream out(path, std::ios::binary);
  for (const auto& line : lines) {
    for (wchar_t c : line) out.put(c < 128 ? static_cast<char>(c) : '?');
    out.put('\n');
  }
  return static_cast<bool>(out);
}

}  // namespace fenmark::parity
