#pragma once
// The checked-in transcripts: one file a scenario in tests/parity/transcripts/, named after it,
// ASCII lines, read and written the same way by both builds, so that a change of behaviour shows
// as the scenarios it touches.

#include <filesystem>
#include <fstream>
#include <map>
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

// The file of a scenario: its name in lower case, letters and digits, dashes between words.
inline std::string TranscriptFileName(const std::wstring& scenario) {
  std::string name;
  for (const wchar_t c : scenario) {
    const bool word = (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9');
    const bool upper = c >= L'A' && c <= L'Z';
    if (word || upper)
      name += static_cast<char>(upper ? c - L'A' + L'a' : c);
    else if (!name.empty() && name.back() != '-')
      name += '-';
  }
  while (!name.empty() && name.back() == '-') name.pop_back();
  return name + ".txt";
}

// Every checked-in transcript in `folder`, by scenario name (its first line, "== name").
inline std::map<std::wstring, std::vector<std::wstring>> ReadTranscripts(
    const std::filesystem::path& folder) {
  std::map<std::wstring, std::vector<std::wstring>> transcripts;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    auto lines = ReadTranscript(entry.path());
    if (!lines.empty() && lines[0].rfind(L"== ", 0) == 0)
      transcripts[lines[0].substr(3)] = std::move(lines);
  }
  return transcripts;
}

// Writes each scenario's transcript into `folder`, in place of what it held.
inline bool WriteTranscripts(const std::filesystem::path& folder,
                             const std::map<std::wstring, std::vector<std::wstring>>& transcripts) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    if (entry.path().extension() == ".txt") std::filesystem::remove(entry.path(), error);
  bool written = true;
  for (const auto& [name, lines] : transcripts)
    written = WriteTranscript(folder / TranscriptFileName(name), lines) && written;
  return written;
}

}  // namespace fenmark::parity
