#include "links/remote_references.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace fenmark::links {
namespace {

// The reader's own rules are those of an HTML tokenizer: where a tag, a comment or a raw text
// ends is decided here as the reader decides it, so that nothing it reads as markup passes for
// text or for an attribute's value.

constexpr auto npos = std::wstring_view::npos;

bool IsSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\f';
}
bool IsAsciiLetter(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}
bool IsAsciiDigit(wchar_t c) {
  return c >= L'0' && c <= L'9';
}
wchar_t LowerAscii(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}
std::wstring LowerAscii(std::wstring_view text) {
  std::wstring lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](wchar_t c) { return LowerAscii(c); });
  return lower;
}
// `lower_prefix` in lower case.
bool StartsNoCase(std::wstring_view text, std::wstring_view lower_prefix) {
  if (text.size() < lower_prefix.size()) return false;
  for (std::size_t i = 0; i < lower_prefix.size(); ++i)
    if (LowerAscii(text[i]) != lower_prefix[i]) return false;
  return true;
}
int HexValue(wchar_t c) {
  if (IsAsciiDigit(c)) return c - L'0';
  const wchar_t lower = LowerAscii(c);
  return lower >= L'a' && lower <= L'f' ? lower - L'a' + 10 : -1;
}
// A code point as wchar_t text; one beyond Unicode, or a surrogate alone, as U+FFFD.
void AppendCodePoint(std::wstring& out, std::uint32_t code) {
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
  if constexpr (sizeof(wchar_t) == 2) {
    if (code > 0xFFFF) {
      code -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (code >> 10));
      out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
      return;
    }
  }
  out += static_cast<wchar_t>(code);
}

// Entities a reference may be spelt with. A name not here may stand for anything, so a value
// holding one is not taken for local.
struct NamedEntity {
  std::wstring_view name;
  wchar_t c;
};
constexpr std::array<NamedEntity, 19> kEntities = {{
    {L"amp", L'&'},    {L"lt", L'<'},       {L"gt", L'>'},     {L"quot", L'"'},   {L"apos", L'\''},
    {L"nbsp", 0xA0},   {L"colon", L':'},    {L"sol", L'/'},    {L"bsol", L'\\'},  {L"period", L'.'},
    {L"tab", L'\t'},   {L"newline", L'\n'}, {L"num", L'#'},    {L"percnt", L'%'}, {L"quest", L'?'},
    {L"commat", L'@'}, {L"lowbar", L'_'},   {L"equals", L'='}, {L"excl", L'!'},
}};

std::optional<std::wstring> EntitiesDecoded(std::wstring_view value) {
  std::wstring out;
  for (std::size_t i = 0; i < value.size();) {
    if (value[i] != L'&') {
      out += value[i++];
      continue;
    }
    std::size_t j = i + 1;
    if (j < value.size() && value[j] == L'#') {
      const bool hex = j + 1 < value.size() && LowerAscii(value[j + 1]) == L'x';
      j += hex ? 2 : 1;
      std::uint32_t code = 0;
      const std::size_t digits = j;
      for (; j < value.size() && (hex ? HexValue(value[j]) >= 0 : IsAsciiDigit(value[j])); ++j)
        code = std::min<std::uint32_t>(code * (hex ? 16 : 10) + HexValue(value[j]), 0x110000);
      if (j == digits) {
        out += value.substr(i, j - i);
      } else {
        AppendCodePoint(out, code);
        if (j < value.size() && value[j] == L';') ++j;
      }
      i = j;
      continue;
    }
    while (j < value.size() && (IsAsciiLetter(value[j]) || IsAsciiDigit(value[j]))) ++j;
    if (j == i + 1) {
      out += value[i++];
      continue;
    }
    const std::wstring name = LowerAscii(value.substr(i + 1, j - i - 1));
    const auto known = std::find_if(kEntities.begin(), kEntities.end(),
                                    [&](const NamedEntity& e) { return e.name == name; });
    if (known == kEntities.end()) return std::nullopt;
    out += known->c;
    i = j < value.size() && value[j] == L';' ? j + 1 : j;
  }
  return out;
}

std::wstring PercentDecoded(std::wstring_view value) {
  std::wstring out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == L'%' && i + 2 < value.size() + 0 && HexValue(value[i + 1]) >= 0 &&
        HexValue(value[i + 2]) >= 0) {
      out += static_cast<wchar_t>(HexValue(value[i + 1]) * 16 + HexValue(value[i + 2]));
      i += 2;
    } else {
      out += value[i];
    }
  }
  return out;
}

// Blanks and control characters, which a reader skips inside an address.
std::wstring Squeezed(std::wstring_view value) {
  std::wstring out;
  for (const wchar_t c : value)
    if (c > L' ' && c != 0x7F && c != 0xA0) out += c;
  return out;
}

// Picture formats a reader shows from a data: reference without fetching anything else.
bool IsInlinePicture(std::wstring_view squeezed) {
  static constexpr std::wstring_view kTypes[] = {L"png",   L"gif",   L"jpeg", L"jpg",  L"bmp",
                                                 L"x-png", L"pjpeg", L"webp", L"tiff", L"x-icon"};
  constexpr std::wstring_view kPrefix = L"data:image/";
  if (!StartsNoCase(squeezed, kPrefix)) return false;
  const std::wstring_view rest = squeezed.substr(kPrefix.size());
  const std::wstring type = LowerAscii(rest.substr(0, rest.find_first_of(L";,")));
  return std::find(std::begin(kTypes), std::end(kTypes), type) != std::end(kTypes);
}

// A remote address as a string may name one outside url(): a scheme with slashes, or a server.
bool LooksRemote(std::wstring_view text) {
  const std::wstring squeezed = Squeezed(PercentDecoded(text));
  if (squeezed.rfind(L"\\\\", 0) == 0 || squeezed.rfind(L"//", 0) == 0 ||
      squeezed.rfind(L"/\\", 0) == 0 || squeezed.rfind(L"\\/", 0) == 0)
    return true;
  const auto colon = squeezed.find(L':');
  if (colon == std::wstring::npos || colon == 0) return false;
  for (std::size_t i = 0; i < colon; ++i)
    if (!IsAsciiLetter(squeezed[i]) && !IsAsciiDigit(squeezed[i]) && squeezed[i] != L'+' &&
        squeezed[i] != L'-' && squeezed[i] != L'.')
      return false;
  const std::wstring scheme = LowerAscii(std::wstring_view(squeezed).substr(0, colon));
  return scheme == L"http" || scheme == L"https" || scheme == L"ftp" || scheme == L"file" ||
         (colon + 1 < squeezed.size() &&
          (squeezed[colon + 1] == L'/' || squeezed[colon + 1] == L'\\'));
}

// ---------------- CSS ----------------

bool IsIdentCharacter(wchar_t c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == L'-' || c == L'_' || c >= 0x80;
}

// A CSS escape at `at` (the backslash), decoded; `at` moves past it.
void DecodeCssEscape(std::wstring_view css, std::size_t& at, std::wstring& out) {
  ++at;
  if (at >= css.size()) return;
  if (HexValue(css[at]) >= 0) {
    std::uint32_t code = 0;
    for (int n = 0; n < 6 && at < css.size() && HexValue(css[at]) >= 0; ++n, ++at)
      code = code * 16 + static_cast<std::uint32_t>(HexValue(css[at]));
    if (at < css.size() && IsSpace(css[at])) ++at;
    AppendCodePoint(out, code);
  } else if (css[at] == L'\n' || css[at] == L'\r' || css[at] == L'\f') {
    ++at;  // a line continued
  } else {
    out += css[at++];
  }
}

// A quoted CSS string from `at` (its quote): its decoded text; `at` moves past it. Unterminated,
// it ends at the line's end, as CSS ends it.
std::wstring ReadCssString(std::wstring_view css, std::size_t& at) {
  const wchar_t quote = css[at++];
  std::wstring text;
  while (at < css.size() && css[at] != quote && css[at] != L'\n') {
    if (css[at] == L'\\')
      DecodeCssEscape(css, at, text);
    else
      text += css[at++];
  }
  if (at < css.size() && css[at] == quote) ++at;
  return text;
}

std::wstring ReadCssIdent(std::wstring_view css, std::size_t& at) {
  std::wstring name;
  while (at < css.size()) {
    if (css[at] == L'\\' && at + 1 < css.size() && css[at + 1] != L'\n')
      DecodeCssEscape(css, at, name);
    else if (IsIdentCharacter(css[at]))
      name += css[at++];
    else
      break;
  }
  return name;
}

// The argument of url( at `at` (just past the parenthesis); `at` moves past the closing one,
// or to the end.
std::wstring ReadCssUrl(std::wstring_view css, std::size_t& at) {
  while (at < css.size() && IsSpace(css[at])) ++at;
  std::wstring reference;
  if (at < css.size() && (css[at] == L'"' || css[at] == L'\'')) {
    reference = ReadCssString(css, at);
    while (at < css.size() && css[at] != L')') ++at;
  } else {
    while (at < css.size() && css[at] != L')') {
      if (css[at] == L'\\')
        DecodeCssEscape(css, at, reference);
      else
        reference += css[at++];
    }
  }
  if (at < css.size()) ++at;
  return reference;
}

}  // namespace

bool IsLocalReference(std::wstring_view reference) {
  const std::wstring squeezed = Squeezed(PercentDecoded(Squeezed(reference)));
  if (squeezed.empty()) return true;
  if (IsInlinePicture(squeezed)) return true;
  if (squeezed.find(L':') != std::wstring::npos) return false;
  if (squeezed[0] == L'/' || squeezed[0] == L'\\') return false;
  // Windows takes a name of dots alone ("...") for a step up as well.
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = squeezed.find_first_of(L"/\\", start);
    const std::wstring_view part = std::wstring_view(squeezed).substr(
        start, end == std::wstring::npos ? std::wstring::npos : end - start);
    if (part.size() >= 2 && part.find_first_not_of(L'.') == std::wstring_view::npos) return false;
    if (end == std::wstring::npos) return true;
    start = end + 1;
  }
}

std::wstring CssWithoutRemoteReferences(std::wstring_view css) {
  std::wstring out;
  for (std::size_t i = 0; i < css.size();) {
    const wchar_t c = css[i];
    if (c == L'/' && i + 1 < css.size() && css[i + 1] == L'*') {
      const std::size_t end = css.find(L"*/", i + 2);
      const std::size_t stop = end == npos ? css.size() : end + 2;
      out += css.substr(i, stop - i);
      i = stop;
    } else if (c == L'"' || c == L'\'') {
      std::size_t at = i;
      const std::wstring text = ReadCssString(css, at);
      out += LooksRemote(text) ? std::wstring(2, c) : std::wstring(css.substr(i, at - i));
      i = at;
    } else if (c == L'@') {
      out += c;
      ++i;
      std::size_t at = i;
      const std::wstring name = LowerAscii(ReadCssIdent(css, at));
      out += css.substr(i, at - i);
      i = at;
      if (name != L"import") continue;
      // @import "sheet.css": the string is a reference, held to the same rule as url().
      while (i < css.size() && IsSpace(css[i])) out += css[i++];
      if (i < css.size() && (css[i] == L'"' || css[i] == L'\'')) {
        at = i;
        const std::wstring reference = ReadCssString(css, at);
        out += IsLocalReference(reference) ? std::wstring(css.substr(i, at - i))
                                           : std::wstring(2, css[i]);
        i = at;
      }
    } else if (IsIdentCharacter(c) || c == L'\\') {
      std::size_t at = i;
      const std::wstring name = LowerAscii(ReadCssIdent(css, at));
      if (at == i) {  // a backslash that escapes nothing
        out += css[i++];
        continue;
      }
      std::size_t open = at;
      while (open < css.size() && IsSpace(css[open])) ++open;
      if ((name == L"url" || name == L"src") && open < css.size() && css[open] == L'(') {
        at = ++open;
        const std::wstring reference = ReadCssUrl(css, at);
        if (IsLocalReference(reference))
          out += css.substr(i, at - i);
        else
          out += std::wstring(css.substr(i, open - i)) + L")";
      } else {
        out += css.substr(i, at - i);
      }
      i = at;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

namespace {

// ---------------- markup ----------------

struct Attribute {
  std::wstring_view name, value;
  std::size_t start = 0, end = 0;  // the whole attribute in the page
};

struct Tag {
  std::wstring_view name;
  std::vector<Attribute> attributes;
  std::size_t start = 0, name_end = 0;  // its '<', and past its name
  std::size_t end = 0;                  // past its '>'
};

// The start tag (or processing instruction) at `at`, its '<'; nothing when the page ends inside
// it, where a reader drops it too.
std::optional<Tag> ReadTag(std::wstring_view page, std::size_t at) {
  Tag tag;
  tag.start = at;
  std::size_t i = at + 1;
  const std::size_t name_start = i;
  while (i < page.size() && !IsSpace(page[i]) && page[i] != L'/' && page[i] != L'>') ++i;
  tag.name = page.substr(name_start, i - name_start);
  tag.name_end = i;
  for (;;) {
    while (i < page.size() && (IsSpace(page[i]) || page[i] == L'/')) ++i;
    if (i >= page.size()) return std::nullopt;
    if (page[i] == L'>') {
      tag.end = i + 1;
      return tag;
    }
    Attribute attribute;
    attribute.start = i;
    // A name may begin with '=', as the tokenizer reads it.
    ++i;
    while (i < page.size() && !IsSpace(page[i]) && page[i] != L'/' && page[i] != L'>' &&
           page[i] != L'=')
      ++i;
    attribute.name = page.substr(attribute.start, i - attribute.start);
    std::size_t after_name = i;
    while (i < page.size() && IsSpace(page[i])) ++i;
    if (i < page.size() && page[i] == L'=') {
      ++i;
      while (i < page.size() && IsSpace(page[i])) ++i;
      if (i >= page.size()) return std::nullopt;
      if (page[i] == L'"' || page[i] == L'\'') {
        const std::size_t close = page.find(page[i], i + 1);
        if (close == npos) return std::nullopt;
        attribute.value = page.substr(i + 1, close - i - 1);
        i = close + 1;
      } else {
        const std::size_t value_start = i;
        while (i < page.size() && !IsSpace(page[i]) && page[i] != L'>') ++i;
        attribute.value = page.substr(value_start, i - value_start);
      }
      attribute.end = i;
    } else {
      attribute.end = after_name;
      i = after_name;
    }
    tag.attributes.push_back(attribute);
  }
}

std::wstring_view LocalName(std::wstring_view name) {
  const auto colon = name.rfind(L':');
  return colon == npos ? name : name.substr(colon + 1);
}

bool IsOneOf(const std::wstring& name, std::initializer_list<std::wstring_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Whether the value, as the reader decodes it, stays in the page's folder.
bool IsLocalValue(std::wstring_view value) {
  const auto decoded = EntitiesDecoded(value);
  return decoded && IsLocalReference(*decoded);
}

bool IsLocalSourceSet(std::wstring_view value) {
  const auto decoded = EntitiesDecoded(value);
  if (!decoded) return false;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = decoded->find(L',', start);
    std::wstring_view candidate = std::wstring_view(*decoded).substr(
        start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
    while (!candidate.empty() && IsSpace(candidate.front())) candidate.remove_prefix(1);
    std::size_t url_end = 0;
    while (url_end < candidate.size() && !IsSpace(candidate[url_end])) ++url_end;
    if (!IsLocalReference(candidate.substr(0, url_end))) return false;
    if (comma == std::wstring::npos) return true;
    start = comma + 1;
  }
}

// In double quotes, as an attribute's value: '&' and '"' as entities.
std::wstring Quoted(std::wstring_view value) {
  std::wstring out = L"\"";
  for (const wchar_t c : value)
    out += c == L'&'   ? std::wstring(L"&amp;")
           : c == L'"' ? std::wstring(L"&quot;")
                       : std::wstring(1, c);
  return out + L"\"";
}

// Elements whose content a reader takes as text up to their end tag.
bool IsRawTextElement(const std::wstring& name) {
  return IsOneOf(name, {L"style", L"script", L"xmp", L"textarea", L"title", L"iframe", L"noembed",
                        L"noframes", L"plaintext"});
}

struct TagVerdict {
  bool drop = false;                      // the whole tag goes
  std::optional<std::wstring> rewritten;  // the tag as it stays, where it changed
};

// The tag rebuilt from its own text: each attribute keeps the separators it had, so that the
// reader cuts what stays exactly as it cut the page.
TagVerdict Judge(const Tag& tag, std::wstring_view page) {
  const std::wstring name = LowerAscii(tag.name);
  const std::wstring local_tag = LowerAscii(LocalName(tag.name));
  if (name == L"base") return {true, {}};
  std::wstring rebuilt(page.substr(tag.start, tag.name_end - tag.start));
  std::size_t cursor = tag.name_end;
  bool changed = false, after_dropped = false;
  for (const auto& attribute : tag.attributes) {
    const std::wstring attribute_name = LowerAscii(attribute.name);
    const std::wstring local = LowerAscii(LocalName(attribute.name));
    if (name == L"meta" && (local == L"http-equiv" || local == L"charset")) return {true, {}};
    bool keep = true;
    std::wstring replaced;
    if (local == L"srcdoc") {
      keep = false;
    } else if (IsOneOf(local, {L"src", L"lowsrc", L"dynsrc", L"background", L"poster", L"data",
                               L"codebase", L"archive", L"code", L"longdesc", L"profile",
                               L"manifest", L"implementation"}) ||
               (local == L"value" && name == L"param")) {
      keep = IsLocalValue(attribute.value);
    } else if (local == L"href") {
      const bool hyperlink =
          attribute_name == L"href" && (local_tag == L"a" || local_tag == L"area");
      keep = hyperlink || IsLocalValue(attribute.value);
    } else if (local == L"srcset") {
      keep = IsLocalSourceSet(attribute.value);
    } else if (local == L"style") {
      const auto decoded = EntitiesDecoded(attribute.value);
      if (!decoded) {
        keep = false;
      } else if (const std::wstring css = CssWithoutRemoteReferences(*decoded); css != *decoded) {
        replaced = std::wstring(attribute.name) + L"=" + Quoted(css);
      }
    }
    // A name that begins with '=' would become the value of what stands before a dropped one.
    if (after_dropped && !attribute.name.empty() && attribute.name[0] == L'=') keep = false;
    after_dropped = !keep;
    rebuilt += page.substr(cursor, attribute.start - cursor);
    cursor = attribute.end;
    if (!keep || !replaced.empty()) changed = true;
    if (!keep) continue;
    if (replaced.empty())
      rebuilt += page.substr(attribute.start, attribute.end - attribute.start);
    else
      rebuilt += replaced;
  }
  if (!changed) return {};
  rebuilt += page.substr(cursor, tag.end - cursor);
  return {false, rebuilt};
}

// Where the raw text of element `name` ends: its end tag, as the reader knows one (the name
// followed by a blank, '/' or '>'), or the page's end.
std::size_t RawTextEnd(std::wstring_view page, const std::wstring& name, std::size_t from) {
  if (name == L"plaintext") return page.size();
  for (std::size_t i = page.find(L"</", from); i != npos; i = page.find(L"</", i + 2)) {
    const std::size_t after = i + 2 + name.size();
    if (StartsNoCase(page.substr(i + 2), name) && (after == page.size() || IsSpace(page[after]) ||
                                                   page[after] == L'/' || page[after] == L'>'))
      return i;
  }
  return page.size();
}

// Past this depth of raw text inside raw text the reader sees only text: no more nesting.
constexpr int kMaxDepth = 8;

std::wstring Rewrite(std::wstring_view page, int depth);

// The markup from `at` (a '<') written to `out`; where the page goes on.
std::size_t RewriteMarkup(std::wstring_view page, std::size_t at, int depth, std::wstring& out) {
  const std::wstring_view rest = page.substr(at);
  for (const std::wstring_view empty : {L"<!-->", L"<!--->"}) {
    if (rest.rfind(empty, 0) == 0) {
      out += empty;
      return at + empty.size();
    }
  }
  if (rest.rfind(L"<!--", 0) == 0) {
    // Conditional comments hold markup that Word and Outlook read (VML pictures): what is inside
    // any comment is held to the same rules.
    // It ends at the first "-->" or "--!>"; one that never ends runs to the page's end.
    std::size_t end = page.find(L"-->", at + 4);
    const std::size_t bang = page.substr(0, end == npos ? npos : end + 3).find(L"--!>", at + 4);
    if (bang != npos) end = bang;
    if (end == npos) return page.size();
    const std::size_t close = page[end + 2] == L'!' ? end + 4 : end + 3;
    out += L"<!--" + Rewrite(page.substr(at + 4, end - at - 4), depth + 1) +
           std::wstring(page.substr(end, close - end));
    return close;
  }
  if (rest[1] == L'?') {
    // A processing instruction ends at its first '>', quotes or not; its pseudo-attributes
    // (an import's implementation, a style sheet's href) are references all the same.
    const std::size_t close = page.find(L'>', at);
    if (close == npos) return page.size();
    const std::wstring_view instruction = page.substr(at, close + 1 - at);
    const auto tag = ReadTag(instruction, 0);
    if (tag && tag->end == instruction.size()) {
      const TagVerdict verdict = Judge(*tag, instruction);
      if (!verdict.drop && !verdict.rewritten) out += instruction;
    }
    return close + 1;
  }
  if (rest[1] == L'!' || rest[1] == L'/') {
    // Declarations, downlevel conditions and end tags: up to the first '>'. One cut short by the
    // end of a comment's content (a conditional comment's "<![endif]") names nothing: kept.
    const std::size_t close = page.find(L'>', at);
    if (close == npos) {
      out += rest;
      return page.size();
    }
    out += page.substr(at, close + 1 - at);
    return close + 1;
  }
  const auto tag = ReadTag(page, at);
  if (!tag) return page.size();
  const TagVerdict verdict = Judge(*tag, page);
  if (!verdict.drop) {
    if (verdict.rewritten)
      out += *verdict.rewritten;
    else
      out += page.substr(at, tag->end - at);
  }
  const std::wstring name = LowerAscii(tag->name);
  if (!IsRawTextElement(name) || depth > kMaxDepth) return tag->end;
  const std::size_t content_end = RawTextEnd(page, name, tag->end);
  const std::wstring_view content = page.substr(tag->end, content_end - tag->end);
  // Style sheets are CSS; other raw text is text to the reader, but held to the markup's rules
  // all the same in case a reader takes it for markup.
  out += name == L"style" ? CssWithoutRemoteReferences(content) : Rewrite(content, depth + 1);
  return content_end;
}

std::wstring Rewrite(std::wstring_view page, int depth) {
  std::wstring out;
  out.reserve(page.size());
  for (std::size_t i = 0; i < page.size();) {
    const std::size_t open = page.find(L'<', i);
    if (open == npos) {
      out += page.substr(i);
      break;
    }
    out += page.substr(i, open - i);
    const wchar_t next = open + 1 < page.size() ? page[open + 1] : L'\0';
    if (IsAsciiLetter(next) || next == L'!' || next == L'/' || next == L'?') {
      i = RewriteMarkup(page, open, depth, out);
    } else {
      // As text, written so that nothing dropped after it can join it into a tag.
      out += L"&lt;";
      i = open + 1;
    }
  }
  return out;
}

}  // namespace

std::wstring WithoutRemoteReferences(std::wstring_view html) {
  return Rewrite(html, 0);
}

}  // namespace fenmark::links
