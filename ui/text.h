#pragma once
// Text comparison of the user-interface surfaces; like every comparison of the add-in it ignores
// letter case.

#include <string_view>

namespace fenmark::ui {

bool SameText(std::wstring_view a, std::wstring_view b);

}  // namespace fenmark::ui
