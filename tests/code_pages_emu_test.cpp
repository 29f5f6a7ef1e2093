// The emulated system code page is Windows-1252 (native build only: under Wine the code
// page follows the prefix's locale).
#include <gtest/gtest.h>

#include "ztusb/host/text.h"

namespace {

using namespace zt::host;

TEST(EmulatedCodePage, IsWindows1252) {
    EXPECT_EQ(ToAnsi(u"\u20ac\u00e9\u0178"), "\x80\xE9\x9F");
    EXPECT_EQ(FromAnsi("\x80\xE9\x9F"), u"\u20ac\u00e9\u0178");
    EXPECT_EQ(FromAnsi("\x81"), u"\u0081");  // undefined bytes keep their C1 control
    EXPECT_EQ(ToAnsi(u"\u0081"), "\x81");
}

TEST(EmulatedCodePage, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(ToAnsi(u"USB \u4e2d\u6587"), "USB ??");
    EXPECT_EQ(FromAnsi(ToAnsi(u"A\u0394B")), u"A?B");
}

TEST(EmulatedCodePage, BrokenUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(FromUtf8("a\xC3"), u"a\uFFFD");
    EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD");    // a surrogate
    EXPECT_EQ(ToUtf8(String(1, char16_t{0xD800})), "\xEF\xBF\xBD");
}

}  // namespace
