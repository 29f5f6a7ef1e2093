#include "tools/ztusbmon/shown_argument.h"

#include "ztusb/host/shown_text.h"

namespace ztusbmon {
namespace {

constexpr std::size_t kLongestShown = 60;

bool StartsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

}  // namespace

// Counted and cut in UTF-8 characters, never inside one.
std::string ShownArgument(std::string_view argument) {
    std::size_t characters = 0;
    std::size_t cut = argument.size();
    for (std::size_t at = 0; at < argument.size(); ++at) {
        if (!StartsCharacter(argument[at])) continue;
        if (characters == kLongestShown) cut = at;
        ++characters;
    }
    if (characters <= kLongestShown) return zt::host::ShownText(argument);
    return zt::host::ShownText(argument.substr(0, cut)) + "\xE2\x80\xA6 (" + std::to_string(characters) + " characters)";
}

}  // namespace ztusbmon
