#pragma once
// WQL's LIKE: letter case ignored; % any run, _ any one character, [set], [^set], [a-z].

#include <string_view>

namespace zt::world {

bool WqlLike(std::u16string_view value, std::u16string_view pattern);

}  // namespace zt::world
