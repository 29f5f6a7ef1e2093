#include <gtest/gtest.h>

#include "ztusb/detector/pieces.h"
#include "ztusb/host/exception.h"
#include "tests/test_support.h"

namespace {

using zt::host::String;
using zt::host::TStringList;
using zt_usb_detector::TZtUsbDetector;

std::vector<String> Split(const String& source, const String& delimiter) {
    TStringList list;
    list.Add(u"left over");
    TZtUsbDetector::SplitStr(source, delimiter, list);
    return zt::testing::Entries(list);
}

struct SplitCase {
    const char* what;
    String source;
    String delimiter;
    std::vector<String> pieces;
};

const std::vector<SplitCase>& SplitCases() {
    static const std::vector<SplitCase> cases = {
        {"plain", u"a:b:c", u":", {u"a", u"b", u"c"}},
        {"no delimiter", u"abc", u":", {u"abc"}},
        {"empty source", u"", u":", {u""}},
        {"only a delimiter", u":", u":", {u"", u""}},
        {"leading", u":a", u":", {u"", u"a"}},
        {"trailing", u"a:", u":", {u"a", u""}},
        {"touching", u"a::b", u":", {u"a", u"", u"b"}},
        {"two-character delimiter", u"a\\\\b\\c", u"\\\\", {u"a", u"b\\c"}},
        {"overlapping two-character", u"a:::b", u"::", {u"a", u":b"}},
        {"full-width look-alike", u"a\uFF1Ab", u":", {u"a\uFF1Ab"}},
        {"case-sensitive", u"aXbxc", u"x", {u"aXb", u"c"}},
        {"empty delimiter", u"a:b", u"", {u"a:b"}},
        {"no trimming", u" a : b ", u":", {u" a ", u" b "}},
        {"up to a NUL", String(u"COM3\0COM4:x", 11), u":", {u"COM3"}},
        {"NUL delimiter", String(u"COM3\0COM4:x", 11), String(1, u'\0'), {u"COM3"}},
        {"NUL first", String(u"\0a", 2), u":", {u""}},
    };
    return cases;
}

TEST(SplitStr, GivesThePiecesBetweenDelimiters) {
    for (const SplitCase& c : SplitCases()) {
        EXPECT_EQ(Split(c.source, c.delimiter), c.pieces) << c.what;
    }
}

// The device-ID rules take single pieces without building the list; they must see the same
// pieces, and a piece the split would not give throws as the list's index does.
TEST(SplitStr, OnePieceIsThePieceOfTheSplit) {
    using zt_usb_detector::FindPiece;
    using zt_usb_detector::Piece;
    for (const SplitCase& c : SplitCases()) {
        const int count = static_cast<int>(c.pieces.size());
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(String(Piece(c.source, c.delimiter, i)), c.pieces[i]) << c.what;
        }
        EXPECT_FALSE(FindPiece(c.source, c.delimiter, count)) << c.what;
        EXPECT_THROW(Piece(c.source, c.delimiter, count), zt::host::EStringListError) << c.what;
    }
}

TEST(SplitStr, IsReachableThroughTheComponent) {
    zt::testing::DialogRecorder dialogs;
    TZtUsbDetector detector;
    TStringList list;
    detector.SplitStr(u"USB#VID_0403&PID_6001#A1B2#{x}", u"#", list);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list[2], u"A1B2");
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
