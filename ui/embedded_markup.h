#pragma once
// The markup documents linked into builds that have no resource section to find them in.

#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace fenmark::ui {

// The bytes of "RIBBONXML", "CONTEXTXML" or "TASKRIBBONXML" exactly as stored; nothing for any
// other name. Names match without regard to case, as resource names do.
std::optional<std::vector<std::uint8_t>> EmbeddedMarkup(const std::wstring& name);

}  // namespace fenmark::ui
