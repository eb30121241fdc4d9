// A small XML reader: prolog, comments, processing instructions, elements, attributes in either
// quote, the five named entities and character references. Text and CDATA are skipped; the markup
// carries none that matters. Bad input is a ParseError, never more.

#include <cstdint>

#include "sim/fidelity/markup_xml.h"
#include "sim/utf8.h"

namespace fenmark::sim::xml {
namespace {

class Reader {
 public:
  explicit Reader(const std::string& text) : text_(text) {}

  std::optional<Element> Document(ParseError& error) {
    try {
      if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
      SkipMisc();
      if (!Peek('<')) Fail("no document element");
      Element root = ElementAt();
      SkipMisc();
      if (pos_ != text_.size()) Fail("text after the document element");
      return root;
    } catch (const ParseError& failure) {
      error = failure;
      return std::nullopt;
    }
  }

 private:
  [[noreturn]] void Fail(const char* what) { throw ParseError{what, pos_}; }
  bool Peek(char c) const { return pos_ < text_.size() && text_[pos_] == c; }
  bool At(std::string_view s) const { return text_.compare(pos_, s.size(), s) == 0; }
  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\r' || text_[pos_] == '\n'))
      ++pos_;
  }
  void SkipPast(std::string_view end) {
    const auto found = text_.find(end, pos_);
    if (found == std::string::npos) Fail("unterminated markup");
    pos_ = found + end.size();
  }
  // Comments, processing instructions, a doctype, and white space.
  void SkipMisc() {
    for (;;) {
      SkipSpace();
      if (At("<!--"))
        SkipPast("-->");
      else if (At("<?"))
        SkipPast("?>");
      else if (At("<!DOCTYPE"))
        SkipPast(">");
      else
        return;
    }
  }
  static bool NameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ':' || c == '-' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
  }
  std::string Name() {
    const auto start = pos_;
    while (pos_ < text_.size() && NameChar(text_[pos_])) ++pos_;
    if (pos_ == start) Fail("a name was expected");
    return text_.substr(start, pos_ - start);
  }
  void AppendCharacter(std::string& out, std::uint32_t c) {
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) Fail("bad character reference");
    AppendUtf8(out, c);
  }
  std::string Value() {
    if (!Peek('"') && !Peek('\'')) Fail("a quoted value was expected");
    const char quote = text_[pos_++];
    std::string value;
    for (;;) {
      if (pos_ >= text_.size()) Fail("unterminated attribute value");
      const char c = text_[pos_];
      if (c == quote) {
        ++pos_;
        return value;
      }
      if (c == '<') Fail("'<' in an attribute value");
      if (c == '\r' || c == '\n' || c == '\t') {  // white space in a value reads as blanks
        value += ' ';
        pos_ += c == '\r' && At("\r\n") ? 2 : 1;
        continue;
      }
      if (c != '&') {
        value += c;
        ++pos_;
        continue;
      }
      const auto end = text_.find(';', pos_);
      if (end == std::string::npos || end - pos_ > 10) Fail("bad entity");
      const std::string entity = text_.substr(pos_ + 1, end - pos_ - 1);
      if (entity == "lt")
        value += '<';
      else if (entity == "gt")
        value += '>';
      else if (entity == "amp")
        value += '&';
      else if (entity == "quot")
        value += '"';
      else if (entity == "apos")
        value += '\'';
      else if (entity.size() > 1 && entity[0] == '#') {
        const bool hex = entity[1] == 'x';
        const std::string digits = entity.substr(hex ? 2 : 1);
        if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF"
                                                           : "0123456789") != std::string::npos)
          Fail("bad character reference");
        AppendCharacter(value,
                        static_cast<std::uint32_t>(std::stoul(digits, nullptr, hex ? 16 : 10)));
      } else {
        Fail("unknown entity");
      }
      pos_ = end + 1;
    }
  }
  Element ElementAt() {
    if (++depth_ > 64) Fail("elements nested too deep");
    ++pos_;  // '<'
    Element element;
    element.name = Name();
    for (;;) {
      SkipSpace();
      if (At("/>")) {
        pos_ += 2;
        --depth_;
        return element;
      }
      if (Peek('>')) {
        ++pos_;
        break;
      }
      std::string name = Name();
      SkipSpace();
      if (!Peek('=')) Fail("'=' was expected");
      ++pos_;
      SkipSpace();
      if (element.Has(name)) Fail("duplicate attribute");
      element.attributes.emplace_back(std::move(name), Value());
    }
    for (;;) {
      if (pos_ >= text_.size()) Fail("unterminated element");
      if (At("</")) {
        pos_ += 2;
        if (Name() != element.name) Fail("end tag does not match");
        SkipSpace();
        if (!Peek('>')) Fail("'>' was expected");
        ++pos_;
        --depth_;
        return element;
      }
      if (At("<!--")) {
        SkipPast("-->");
      } else if (At("<![CDATA[")) {
        SkipPast("]]>");
      } else if (At("<?")) {
        SkipPast("?>");
      } else if (Peek('<')) {
        element.children.push_back(ElementAt());
      } else {
        ++pos_;  // text
      }
    }
  }

  const std::string& text_;
  std::size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace

std::optional<Element> Parse(const std::string& utf8, ParseError& error) {
  return Reader(utf8).Document(error);
}

}  // namespace fenmark::sim::xml
