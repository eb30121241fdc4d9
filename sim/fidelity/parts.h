#pragma once
// What the fidelity modules share among themselves. Internal to sim/fidelity/.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/core.h"

namespace fenmark::sim::detail {

// Text in a character set and back, as Windows converts it (charsets.cpp); nothing for a set the
// sim does not know or bytes not valid in it. Empty names the system's code page, windows-1252.
std::optional<std::wstring> Decoded(const std::vector<std::uint8_t>& bytes,
                                    const std::wstring& charset);
std::optional<std::vector<std::uint8_t>> Encoded(const std::wstring& text,
                                                 const std::wstring& charset);

// The text of an HTML document as Word inserts it: tags dropped, entities decoded, block elements
// ending paragraphs (CR LF).
std::wstring HtmlToText(const std::wstring& html);
// What Word fetches from beyond an inserted HTML page's folder.
std::vector<std::wstring> FetchedBy(const std::wstring& html);

}  // namespace fenmark::sim::detail
