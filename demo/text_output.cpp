#include "demo/text_output.h"

#include <algorithm>
#include <cstdint>

#include "sim/utf8.h"

namespace fenmark::demo {
namespace {

std::size_t Columns(std::string_view utf8) {
  std::size_t n = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) != 0x80) ++n;
  }
  return n;
}

// The byte length of the first `columns` characters.
std::size_t BytesOf(std::string_view utf8, std::size_t columns) {
  std::size_t i = 0;
  for (std::size_t seen = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
      if (seen == columns) break;
      ++seen;
    }
  }
  return i;
}

}  // namespace

std::string Utf8(std::wstring_view text) {
  return sim::ToUtf8(text);
}

std::wstring Wide(std::string_view utf8) {
  return sim::FromUtf8(utf8);
}

void Printer::Wrap(std::string_view first, std::string_view text, std::size_t indent) {
  if (first.empty()) {
    // Leading blanks of the text indent it, and its further lines alike.
    const std::size_t blanks = std::min(text.find_first_not_of(' '), text.size());
    if (blanks > 0) return Wrap(text.substr(0, blanks), text.substr(blanks), blanks + indent);
  }
  if (indent > width_ / 2) indent = width_ / 2;
  const std::string pad(indent, ' ');
  std::string line(first);
  std::size_t used = Columns(line);
  bool line_has_word = false;
  auto flush = [&] {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out_ << line << '\n';
    line = pad;
    used = indent;
    line_has_word = false;
  };
  std::size_t pos = 0;
  bool any = false;
  while (pos < text.size()) {
    // Blanks between words are kept as they are, unless a line ends there.
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (pos >= text.size()) break;
    const std::string_view gap = text.substr(start, pos - start);
    std::size_t end = text.find(' ', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view word = text.substr(pos, end - pos);
    pos = end;
    any = true;
    while (true) {
      const std::size_t spacing = line_has_word ? std::max<std::size_t>(gap.size(), 1) : 0;
      const std::size_t need = Columns(word) + spacing;
      if (used + need <= width_) {
        if (line_has_word) line += std::string(spacing, ' ');
        line += word;
        used += need;
        line_has_word = true;
        break;
      }
      if (line_has_word) {
        flush();
        continue;
      }
      // A word wider than the line: cut it.
      const std::size_t room = width_ > used ? width_ - used : 1;
      const std::size_t bytes = BytesOf(word, room);
      line += word.substr(0, bytes);
      word.remove_prefix(bytes);
      line_has_word = true;
      flush();
      if (word.empty()) break;
    }
  }
  if (line_has_word || !any) flush();
}

void Printer::Command(std::string_view text) {
  std::string_view lead = "> ";
  while (Columns(lead) + Columns(text) > width_) {
    // The last word start at which the line, with its blanks and a backslash, still fits.
    std::size_t cut = 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
      if (text[i] != ' ' && text[i - 1] == ' ' &&
          Columns(lead) + Columns(text.substr(0, i)) + 1 <= width_)
        cut = i;
    }
    if (cut == 0) break;
    out_ << lead << text.substr(0, cut) << "\\\n";
    text.remove_prefix(cut);
    lead = "    ";
  }
  out_ << lead << text << '\n';
}

}  // namespace fenmark::demo
