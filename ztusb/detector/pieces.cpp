#include "ztusb/detector/pieces.h"

#include <string>

#include "ztusb/host/exception.h"

namespace zt_usb_detector {

Pieces::Pieces(std::u16string_view text, std::u16string_view delimiter)
    : rest_(text.substr(0, text.find(u'\0'))), delimiter_(delimiter) {}

std::optional<std::u16string_view> Pieces::Next() {
    if (done_) return std::nullopt;
    const std::size_t at = delimiter_.empty() ? std::u16string_view::npos : rest_.find(delimiter_);
    const std::u16string_view piece = rest_.substr(0, at);
    if (at == std::u16string_view::npos) {
        done_ = true;
    } else {
        rest_.remove_prefix(at + delimiter_.size());
    }
    return piece;
}

std::optional<std::u16string_view> FindPiece(std::u16string_view text, std::u16string_view delimiter,
                                             int index) {
    Pieces pieces(text, delimiter);
    for (int at = 0;; ++at) {
        const auto piece = pieces.Next();
        if (!piece || at == index) return piece;
    }
}

std::u16string_view Piece(std::u16string_view text, std::u16string_view delimiter, int index) {
    if (const auto piece = FindPiece(text, delimiter, index)) return *piece;
    throw zt::host::EStringListError(u"List index out of bounds (" +
                                     zt::host::FromAnsi(std::to_string(index)) + u")");
}

}  // namespace zt_usb_detector
