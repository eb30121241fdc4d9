#pragma once
// Send to Ostrand beside what is not its own: a page that would fetch from elsewhere, and other
// programs' folders of its working folders' name in the temporary folder.

#include "tests/parity/stage.h"

namespace fenmark::parity {

// What Word fetched while it pasted, one note.
inline void NoteFetched(Stage& s) {
  std::wstring line = L"fetched:";
  for (const auto& address : s.outlook.Fetched()) line += L" " + address;
  s.Note(s.outlook.Fetched().empty() ? L"fetched: nothing" : line);
}

inline void PageThatFetchesFromElsewhere(Stage& s) {
  auto mail = s.outlook.ReceiveMail(L"Newsletter", L"Read on the web.");
  mail.SetPictures(1);
  mail.SetHtmlPage(
      L"<html><head><META HTTP-EQUIV=Refresh CONTENT='0; url=http://tracker.example/r'>"
      L"<link rel=stylesheet href=\"https://tracker.example/s.css\"><style>@import "
      L"'http://tracker.example/i.css'; p {background:URL(//tracker.example/b.png)}</style>"
      L"</head><body background='http://tracker.example/bg.jpg'><p>Read on the web.</p>"
      L"<p><a href=\"https://example.com/news\">the news</a></p>"
      L"<img src=\"Newsletter_files/image001.png\"><img SRC=HTTP://tracker.example/pixel.gif>"
      L"<img src='\\\\tracker.example\\share\\logo.png' srcset=\"a.png 1x, "
      L"https://tracker.example/2x.png 2x\"><iframe src=\"http://tracker.example/f\"></iframe>"
      L"<!--[if gte vml 1]><v:imagedata src=\"http://tracker.example/v.png\" "
      L"o:href=\"https://tracker.example/o.png\"/><![endif]--></body></html>");
  if (auto task = s.Send(mail); task)
    s.Note(L"pasted: " + YesNo(task.Body().find(L"the news") != std::wstring::npos));
  NoteFetched(s);
}

// Folders named like the working folders but not a run's leftovers, and a hundred of the name:
// the send works beside them and leaves every one.
inline void OtherProgramsFoldersBesideASend(Stage& s) {
  std::vector<std::wstring> planted = {
      L"FENMARK-0042\\thesis.docx", L"fenmark-9999\\sub\\notes.txt",
      L"Fenmark-aaaaaaaa\\Fenmark.run", L"Fenmark-aaaaaaaa\\notes.txt"};
  for (int n = 0; n < 100; ++n) {
    std::wstring name = L"Fenmark-";
    for (int digit = 0, value = n; digit < 8; ++digit, value /= 7) name += L"bcdefgh"[value % 7];
    planted.push_back(name + L"\\keep.txt");
  }
  for (const auto& file : planted) s.addin.PutTempFile(file, L"not the add-in's");
  if (auto task = s.Send(s.outlook.ReceiveMail(L"Minutes", L"Agreed."), false); task)
    s.Note(L"pasted: " + YesNo(task.Body().find(L"Agreed.") != std::wstring::npos));
  std::size_t kept = 0;
  for (const auto& file : planted) kept += s.addin.TempFileExists(file) ? 1 : 0;
  s.Note(L"planted files kept: " + std::to_wstring(kept) + L" of " +
         std::to_wstring(planted.size()));
}

}  // namespace fenmark::parity
