#pragma once
// Plain-text output of the demo: UTF-8 on the way out, words wrapped for a narrow terminal.

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace fenmark::demo {

std::string Utf8(std::wstring_view text);
std::wstring Wide(std::string_view utf8);

class Printer {
 public:
  explicit Printer(std::ostream& out, std::size_t width = 80) : out_(out), width_(width) {}

  // Writes `text` wrapped at word boundaries: the first line starts with `first`, every further
  // line with as many blanks as `indent` holds. Words longer than a line are cut.
  void Wrap(std::string_view first, std::string_view text, std::size_t indent);
  void Wrap(std::string_view text) { Wrap("", text, 0); }
  // A command as typed after "> ", so that it can be pasted back: a line too long ends in "\"
  // at a blank, and the next goes on after four blanks.
  void Command(std::string_view text);
  void Blank() { out_ << '\n'; }
  void Flush() { out_.flush(); }

 private:
  std::ostream& out_;
  std::size_t width_;
};

}  // namespace fenmark::demo
