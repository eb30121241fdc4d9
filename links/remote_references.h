#pragma once
// A mail's saved HTML page made safe to hand to an HTML reader (Word's InsertFile): every
// reference that would make the reader fetch from beyond the page's own folder is taken out, so
// that opening a mail's copy tells its sender nothing and offers the user's login to no server.
// Pictures saved beside the page, hyperlinks and the text stay.

#include <string>
#include <string_view>

namespace fenmark::links {

// Whether a reference (its characters as the reader takes them: entities decoded) stays in the
// page's folder: relative, with no scheme, drive, root, server or step up; or a picture carried
// in the reference itself ("data:image/png;...").
bool IsLocalReference(std::wstring_view reference);

// The page without its references beyond its folder in any fetching context: src, srcset,
// background, poster, data and their kind on any element, href on any but a hyperlink (<a>,
// <area>), style sheets and CSS url() and @import, <base>, <meta http-equiv> (refresh, and the
// character set, which the caller declares anew), and the markup inside conditional comments.
std::wstring WithoutRemoteReferences(std::wstring_view html);

// CSS text without its url() and @import references beyond the page's folder, and without
// strings that name a remote address.
std::wstring CssWithoutRemoteReferences(std::wstring_view css);

}  // namespace fenmark::links
