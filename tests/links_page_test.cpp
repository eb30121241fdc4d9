// The page Send to Ostrand pastes fetches nothing: every reference beyond the page's folder in a
// place an HTML reader loads from is taken out, whatever its letter case, quoting or spelling;
// hyperlinks, pictures saved beside the page and the text stay. The page is read in its own
// character set, and one that cannot be read is pasted as the mail's plain text.
#include <cwctype>

#include "links/remote_references.h"
#include "tests/fixture.h"

namespace fenmark::testing {
namespace {

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

TEST(RemoteReferences, NoFetchingFormSurvivesAndWhatFetchesNothingStays) {
  // Each names evil.example where a reader would fetch it; the text after it must stay.
  const std::wstring fetching[] = {
      L"<img src=\"http://evil.example/p.gif\">",
      L"<IMG SRC='HTTPS://EVIL.EXAMPLE/P.GIF'>",
      L"<img src=http://evil.example/p.gif>",
      L"<img src=\"//evil.example/p.gif\">",
      L"<img src=\"\\\\evil.example\\share\\p.gif\">",
      L"<img src='file://evil.example/share/p.gif'>",
      L"<img src=\"fTp://evil.example/p.gif\">",
      L"<img src=\" &#104;ttp://evil.example/p.gif\">",
      L"<img src=\"ht&#x74;p&colon;//evil.example/p.gif\">",
      L"<img src=\"http%3A//evil.example/p.gif\">",
      L"<img src=\"h\ttp://evil.example/p.gif\">",
      L"<img src=\"p.gif\" lowsrc=\"http://evil.example/l.gif\">",
      L"<img srcset=\"a.png 1x, http://evil.example/b.png 2x\">",
      L"<img/src=\"http://evil.example/p.gif\">",
      L"<img alt=\"a>b\" src=\"http://evil.example/p.gif\">",
      L"<img src = \"http://evil.example/p.gif\" >",
      L"<input type=image src=\"http://evil.example/i.png\">",
      L"<body background=\"http://evil.example/bg.jpg\">",
      L"<table><tr><td BACKGROUND='https://evil.example/bg.jpg'>x</td></tr></table>",
      L"<video poster=\"http://evil.example/v.jpg\"></video>",
      L"<object data=\"http://evil.example/o.swf\"></object>",
      L"<object classid=\"x\" codebase=\"http://evil.example/c.cab\"></object>",
      L"<object><param name=movie value=\"http://evil.example/m.swf\"></object>",
      L"<embed src=\"http://evil.example/e.swf\">",
      L"<iframe src=\"http://evil.example/f.htm\"></iframe>",
      L"<iframe srcdoc=\"&lt;img src=http://evil.example/x&gt;\"></iframe>",
      L"<frameset><frame src=\"http://evil.example/f.htm\"></frameset>",
      L"<link rel=\"stylesheet\" href=\"http://evil.example/s.css\">",
      L"<LINK REL=STYLESHEET HREF=//evil.example/s.css>",
      L"<base href=\"http://evil.example/\">",
      L"<meta http-equiv=\"refresh\" content=\"0;url=http://evil.example/\">",
      L"<META HTTP-EQUIV=Refresh CONTENT='5; URL=HTTP://EVIL.EXAMPLE/'>",
      L"<style>@import \"http://evil.example/s.css\";</style>",
      L"<style>@IMPORT url('https://evil.example/s.css');</style>",
      L"<style>body{background:url(http://evil.example/bg.png)}</style>",
      L"<style>p{background:URL( \"//evil.example/bg.png\" )}</style>",
      L"<style>p{background:u\\72l(http://evil.example/bg.png)}</style>",
      L"<style>p{behavior:url(\\\\evil.example\\share\\b.htc)}</style>",
      L"<style>p{filter:progid:DXImageTransform.Microsoft.AlphaImageLoader("
      L"src='http://evil.example/a.png')}</style>",
      L"<style></styleX>p{background:url(http://evil.example/p.png)}</style>",
      L"<p style=\"background-image:URL(&quot;http://evil.example/bg.png&quot;)\">x</p>",
      L"<p style='background:url(ht&#116;p://evil.example/bg.png)'>x</p>",
      L"<!--[if gte vml 1]><v:shape><v:imagedata src=\"http://evil.example/v.png\" "
      L"o:href=\"http://evil.example/o.png\"/></v:shape><![endif]-->",
      L"<!--[if gte vml 1]><v:shape><v:fill type=frame src='//evil.example/f.png'/>"
      L"</v:shape><![endif]-->",
      L"<!--> <img src=\"http://evil.example/p.gif\">",
      L"<!-- note --!><img src=\"http://evil.example/p.gif\">",
      L"<?xml-stylesheet href=\"http://evil.example/x.xsl\"?>",
      L"<?import namespace=\"v\" implementation=\"http://evil.example/v.htc\"?>",
      L"<svg><image xlink:href=\"http://evil.example/s.png\"/></svg>",
      L"<img src=\"..\\..\\Documents\\evil.example.png\">",
      L"<img src=\"C:\\evil.example\\p.png\">",
      L"<img src=\"Budget_files/.../evil.example.png\">",
      L"<img src=\"cid:evil.example\">",
  };
  for (const auto& html : fetching) {
    SCOPED_TRACE(::testing::PrintToString(html));
    const std::wstring safe = links::WithoutRemoteReferences(html + L"<p>kept</p>");
    EXPECT_EQ(Lower(safe).find(L"evil.example"), std::wstring::npos) << safe;
    EXPECT_NE(safe.find(L"<p>kept</p>"), std::wstring::npos) << safe;
    EXPECT_EQ(links::WithoutRemoteReferences(safe), safe);
  }
  const std::wstring unchanged[] = {
      L"<a href=\"http://example.com/page\">the page</a>",
      L"<A HREF='\\\\server\\share\\doc.docx'>the share</A>",
      L"<area href=\"https://example.com/\" shape=rect>",
      L"<img src=\"RE%20Budget_files/image001.png\" width=10>",
      L"<img src=\"data:image/png;base64,iVBORw0KGgo=\">",
      L"<p>See http://example.com/ and \\\\server\\share, or url(http://x)</p>",
      L"<!--[if gte vml 1]><v:imagedata src=\"Budget_files/image002.png\" o:title=\"\"/>"
      L"<![endif]-->",
      L"<link rel=File-List href=\"Budget_files/filelist.xml\">",
      L"<p style=\"color:red;font-family:'Times New Roman'\">x</p>",
      L"<html xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns=\"http://www.w3.org/TR/REC-html40\">",
      L"<style><!-- p.MsoNormal {margin:0cm; font-family:\"Calibri\",sans-serif;} --></style>",
      L"<!-- note --!><p>after a comment ended as HTML readers end it</p>",
  };
  for (const auto& html : unchanged) EXPECT_EQ(links::WithoutRemoteReferences(html), html);
  // A '<' of the text stays text, even where what followed it goes.
  EXPECT_EQ(links::WithoutRemoteReferences(L"<p>a < b</p><<base href=x>img src=http://e/p>"),
            L"<p>a &lt; b</p>&lt;img src=http://e/p>");
}

using PasteTest = AddinTest;

TEST_F(PasteTest, AMailWithRemoteContentIsPastedWithNothingFetched) {
  const std::wstring page =
      L"<html xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:o=\"urn:schemas-microsoft-com:"
      L"office:office\"><head><meta http-equiv=Content-Type content=\"text/html; charset=utf-8\">"
      L"<link rel=stylesheet href='https://tracker.example/s.css'>"
      L"<style>@import \"http://tracker.example/i.css\"; body {background:url(//tracker.example/b)}"
      L"</style></head><body BACKGROUND=\"http://tracker.example/bg.jpg\">"
      L"<p>Quarterly figures attached.</p>"
      L"<p><a href=\"https://example.com/report\">the report</a></p>"
      L"<img src=\"minutes_files/image001.png\"><img SRC='HTTP://tracker.example/pixel.gif'>"
      L"<img src=\"\\\\tracker.example\\share\\p.png\">"
      L"<!--[if gte vml 1]><v:imagedata src=\"http://tracker.example/v.png\"/><![endif]-->"
      L"<iframe src=\"http://tracker.example/f\"></iframe></body></html>";
  auto mail = outlook.ReceiveMail(L"minutes", L"Quarterly figures attached.");
  mail.SetHtmlPage(page);
  mail.SetPictures(1);
  std::vector<std::uint8_t> inserted;
  outlook.BeforeCall(L"WordSelection.InsertFile", [&] {
    for (const auto& file : outlook.AllFiles())
      if (file.size() > 4 && file.substr(file.size() - 4) == L".htm")
        inserted = *outlook.FileBytes(file);
  });
  auto task = Send(mail);
  ASSERT_TRUE(task);
  EXPECT_EQ(outlook.Fetched(), std::vector<std::wstring>{});
  const auto body = task.Body();
  EXPECT_NE(body.find(L"Quarterly figures attached."), std::wstring::npos) << body;
  EXPECT_NE(body.find(L"the report"), std::wstring::npos) << body;
  const std::string text(inserted.begin(), inserted.end());
  EXPECT_NE(text.find("href=\"https://example.com/report\""), std::string::npos) << text;
  EXPECT_NE(text.find("src=\"minutes_files/image001.png\""), std::string::npos) << text;
  EXPECT_EQ(text.find("tracker"), std::string::npos) << text;
  EXPECT_TRUE(TempFiles().empty());
}

// Outlook saves a Japanese mail's page in ISO-2022-JP, where a character's bytes can read as '>':
// read byte by byte, the picture's tag would end early and hide its address in text.
TEST_F(PasteTest, AnIso2022JpPageKeepsItsJapaneseTextAndLosesItsTracker) {
  const std::wstring japanese = L"\u65e5\u672c\u8a9e\u306e\u30c6\u30ad\u30b9\u30c8";
  auto mail = outlook.ReceiveMail(L"\u4f1a\u8b70", japanese);
  mail.SetHtmlPage(
      L"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
      L"charset=iso-2022-jp\"></head><body><p>" +
          japanese + L"</p><img alt=\u305e src=\"http://tracker.example/p.gif\"></body></html>",
      L"iso-2022-jp");
  auto task = Send(mail);
  ASSERT_TRUE(task);
  EXPECT_NE(task.Body().find(japanese), std::wstring::npos) << task.Body();
  EXPECT_EQ(outlook.Fetched(), std::vector<std::wstring>{});
}

// A page in a character set the platform does not know, or whose bytes are not valid in the one it
// declares, is never inserted as it is: the mail's plain text is typed instead.
TEST_F(PasteTest, AnUnreadablePageIsPastedAsThePlainText) {
  const std::pair<std::wstring, std::wstring> pages[] = {
      {L"x-unknown-charset", L"x-unknown-charset"},
      {L"utf-8", L"iso-8859-1"},  // declares UTF-8, saved in Latin-1
  };
  for (const auto& [declared, saved] : pages) {
    SCOPED_TRACE(declared + L" as " + saved);
    auto mail = outlook.ReceiveMail(L"minutes", L"Line one\r\nLine two");
    mail.SetHtmlPage(L"<html><head><meta charset=\"" + declared +
                         L"\"></head><body><p>Gr\u00fc\u00dfe</p>"
                         L"<img src=\"http://tracker.example/p.gif\"></body></html>",
                     saved);
    outlook.ClearCalls();
    auto task = Send(mail);
    ASSERT_TRUE(task);
    EXPECT_FALSE(outlook.Called(L"WordSelection.InsertFile"));
    EXPECT_EQ(task.Body(), L"\r\n\r\n____________\r\nLine one\r\nLine two");
    EXPECT_EQ(outlook.Fetched(), std::vector<std::wstring>{});
    EXPECT_TRUE(TempFiles().empty());
  }
}

}  // namespace
}  // namespace fenmark::testing
