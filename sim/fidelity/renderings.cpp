// The files that SaveAs writes for an item: the message file in its ANSI and Unicode formats,
// plain text, and the HTML rendering with the folder of pictures that Outlook writes beside it.

#include "sim/fidelity/fidelity.h"
#include "sim/fidelity/parts.h"

namespace fenmark::sim {
namespace detail {
namespace {

constexpr int kOlTxt = 0;
constexpr std::uint8_t kCompoundFile[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

std::wstring PictureName(int n) {
  std::wstring digits = std::to_wstring(n);
  return L"image" + std::wstring(digits.size() < 3 ? 3 - digits.size() : 0, L'0') + digits +
         L".png";
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

std::wstring Escape(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    const std::wstring_view entity = c == L'&'   ? L"&amp;"
                                     : c == L'<' ? L"&lt;"
                                     : c == L'>' ? L"&gt;"
                                     : c == L'"' ? L"&quot;"
                                                 : L"";
    if (entity.empty())
      out.push_back(c);
    else
      out.append(entity);
  }
  return out;
}

// The item as Outlook renders it in HTML: the subject as a header line, the body paragraph by
// paragraph, then its pictures from the folder beside the file.
std::wstring HtmlRendering(const ItemState& item, const std::wstring& pictures_folder) {
  std::wstring html =
      L"<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
      L"charset=utf-8\">\r\n<title>" +
      Escape(item.subject) + L"</title>\r\n</head>\r\n<body>\r\n<p><b>Subject:</b> " +
      Escape(item.subject) + L"</p>\r\n";
  std::wstring body = ParagraphBreaks(item.body);
  std::size_t start = 0;
  while (start < body.size()) {
    auto end = body.find(L"\r\n", start);
    if (end == std::wstring::npos) end = body.size();
    html += L"<p>" + Escape(body.substr(start, end - start)) + L"</p>\r\n";
    start = end + 2;
  }
  for (int n = 1; n <= item.pictures; ++n)
    html += L"<p><img src=\"" + Escape(pictures_folder) + L"/" + PictureName(n) + L"\"></p>\r\n";
  return html + L"</body>\r\n</html>\r\n";
}

// A compound-file signature, the format's letter, then the content: UTF-16 in the Unicode
// format; one byte a character in the ANSI one, where what the code page lacks becomes "?".
std::vector<std::uint8_t> MessageFile(const ItemState& item, bool unicode) {
  std::vector<std::uint8_t> bytes(std::begin(kCompoundFile), std::end(kCompoundFile));
  bytes.push_back(unicode ? 'U' : 'A');
  const std::wstring text = L"Class: " + ClassName(item.item_class) + L"\r\nSubject: " +
                            item.subject + L"\r\n\r\n" + item.body;
  for (wchar_t c : text) {
    if (unicode) {
      bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
      bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    } else {
      bytes.push_back(c < 0x80 || (c >= 0xA0 && c <= 0xFF) ? static_cast<std::uint8_t>(c) : '?');
    }
  }
  return bytes;
}

}  // namespace

std::vector<std::pair<std::wstring, std::vector<std::uint8_t>>> SaveAsFiles(
    const ItemState& item, const std::wstring& path, int type) {
  std::vector<std::pair<std::wstring, std::vector<std::uint8_t>>> files;
  switch (type) {
    case kOlTxt:
      files.emplace_back(path, Bytes(ToUtf8(item.subject + L"\r\n\r\n" + item.body)));
      break;
    case host::kOlMsg:
    case host::kOlMsgUnicode:
      files.emplace_back(path, MessageFile(item, type == host::kOlMsgUnicode));
      break;
    case host::kOlHtml: {
      const std::wstring folder = Core::Parent(path);
      std::wstring name = path.substr(folder.size() + (folder.empty() ? 0 : 1));
      name = name.substr(0, name.rfind(L'.')) + L"_files";
      if (item.html_page) {
        const auto encoded = Encoded(*item.html_page, item.html_charset);
        files.emplace_back(path, encoded ? *encoded : Bytes(ToUtf8(*item.html_page)));
      } else {
        files.emplace_back(path, Bytes(ToUtf8(HtmlRendering(item, name))));
      }
      for (int n = 1; n <= item.pictures; ++n)
        files.emplace_back(folder + L"\\" + name + L"\\" + PictureName(n),
                           std::vector<std::uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
      // Word writes these beside the pictures; the second is the longest name there.
      for (const wchar_t* extra : {L"filelist.xml", L"colorschememapping.xml"}) {
        if (item.pictures > 0)
          files.emplace_back(folder + L"\\" + name + L"\\" + extra, Bytes(ToUtf8(L"<xml/>")));
      }
      break;
    }
    default:
      break;
  }
  return files;
}

}  // namespace detail

void UseRenderings(Outlook& outlook) {
  detail::CoreOf(outlook).renderings = detail::SaveAsFiles;
}

std::wstring MessageFileSubject(const std::vector<std::uint8_t>& content) {
  constexpr std::size_t kStart = sizeof detail::kCompoundFile + 1;
  if (content.size() < kStart) return {};
  const bool unicode = content[kStart - 1] == 'U';
  std::wstring text;
  for (std::size_t i = kStart; i + (unicode ? 1 : 0) < content.size(); i += unicode ? 2 : 1)
    text += unicode ? static_cast<wchar_t>(content[i] | (content[i + 1] << 8))
                    : static_cast<wchar_t>(content[i]);
  const auto start = text.find(L"Subject: ");
  if (start == std::wstring::npos) return {};
  return text.substr(start + 9, text.find(L"\r\n", start) - start - 9);
}

}  // namespace fenmark::sim
