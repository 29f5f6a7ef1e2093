// Text handling that every inquiry leans on: splitting (whole and piece by piece), the string
// list's whole text, and the conversions between UTF-16, UTF-8 and the system code page.
#include "ztusb/detector/pieces.h"
#include "ztusb/detector/zt_usb_detector.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zt::fuzz::FuzzInput input(data, size);
    const zt::host::String delimiter = zt::fuzz::WideText(input.TakeBytes(input.Take<std::uint8_t>() % 4));
    const auto rest = input.Rest();
    const zt::host::String source = zt::fuzz::WideText(rest);

    zt::host::TStringList pieces;
    zt_usb_detector::TZtUsbDetector::SplitStr(source, delimiter, pieces);
    zt::fuzz::Require(pieces.Count() >= 1, "a split gives at least one piece");
    // The device-ID rules take single pieces: they must be the split's.
    for (int i = 0; i < pieces.Count(); ++i) {
        zt::fuzz::Require(zt_usb_detector::Piece(source, delimiter, i) == pieces[i],
                          "a piece is the split's piece");
    }
    zt::fuzz::Require(!zt_usb_detector::FindPiece(source, delimiter, pieces.Count()),
                      "no piece past the split's last");

    // The whole text of a list read back gives the same list.
    zt::host::TStringList lines;
    lines.SetText(source);
    zt::host::TStringList again;
    again.SetText(lines.Text());
    zt::fuzz::Require(again.Text() == lines.Text(), "whole text round trip");

    const std::string narrow(zt::fuzz::AsText(rest));
    zt::fuzz::Require(zt::host::ToUtf8(zt::host::FromUtf8(zt::host::ToUtf8(source))) == zt::host::ToUtf8(source),
                      "UTF-8 round trip");
    zt::host::ToAnsi(zt::host::FromAnsi(narrow));
    zt::host::ToAnsi(source);
    return 0;
}
