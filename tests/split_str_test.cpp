#include <gtest/gtest.h>

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

TEST(SplitStr, GivesThePiecesBetweenDelimiters) {
    const SplitCase cases[] = {
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
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(Split(c.source, c.delimiter), c.pieces) << c.what;
    }
}

TEST(SplitStr, StopsAtTheFirstNul) {
    const String withNul(u"COM3\0COM4:x", 11);
    EXPECT_EQ(Split(withNul, u":"), std::vector<String>{u"COM3"});
    EXPECT_EQ(Split(withNul, String(1, u'\0')), std::vector<String>{u"COM3"});
    EXPECT_EQ(Split(String(u"\0a", 2), u":"), std::vector<String>{u""});
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
