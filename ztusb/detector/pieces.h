#pragma once
// Cutting a text at a delimiter, the one rule of SplitStr and of the device-ID rules: the
// text ends at its first NUL, and an empty delimiter leaves it whole.

#include <optional>
#include <string_view>

namespace zt_usb_detector {

class Pieces {
public:
    Pieces(std::u16string_view text, std::u16string_view delimiter);
    // The next piece; none after the last.
    std::optional<std::u16string_view> Next();

private:
    std::u16string_view rest_;
    std::u16string_view delimiter_;
    bool done_ = false;
};

// The piece at the index; none when the text has fewer pieces.
std::optional<std::u16string_view> FindPiece(std::u16string_view text, std::u16string_view delimiter,
                                             int index);
// The same piece; a missing one throws EStringListError, as SplitStr's list would.
std::u16string_view Piece(std::u16string_view text, std::u16string_view delimiter, int index);

}  // namespace zt_usb_detector
