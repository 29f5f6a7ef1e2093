#pragma once
// A command-line argument as a usage error shows it: harmless to a terminal, and short.

#include <string>
#include <string_view>

namespace ztusbmon {

// Up to 60 characters as they are; a longer argument cut there, followed by "…" and its
// length: --xxxx… (100000 characters).
std::string ShownArgument(std::string_view argument);

}  // namespace ztusbmon
