#pragma once
// The demo's own words: its quoting, the names it gives items and folders, and a body's lines.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sim/outlook.h"

namespace fenmark::demo {

// A command the demo cannot carry out, told to the user as it is.
struct UserError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string Lower(std::string_view text);
bool SameCaption(std::string_view a, std::string_view b);
// Words separated by blanks; "..." keeps blanks, with \n for a line break, \" and \\. A malformed
// quote is a UserError that says the column.
std::vector<std::string> Tokenize(std::string_view line);
// Entry IDs run to some 70 characters; their ends tell them apart.
std::string ShortId(std::wstring_view id);
std::string ClassName(int item_class);
std::string NamePrefix(int item_class);
std::string FolderName(std::optional<sim::FolderKind> folder);
std::string TaskStatusName(int status);
// The body's paragraphs; CR LF, CR and LF all end one.
std::vector<std::wstring> Paragraphs(const std::wstring& body);

inline constexpr std::size_t kBodyLines = 12;

}  // namespace fenmark::demo
