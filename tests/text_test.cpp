#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "ztusb/host/heap_strings.h"
#include "ztusb/host/text.h"

namespace {

using namespace zt::host;

TEST(Text, Utf8RoundTripsEveryPlane) {
    const String text = u"COM7 \u00e9\u20ac \U0001F50C";
    EXPECT_EQ(ToUtf8(text), "COM7 \xC3\xA9\xE2\x82\xAC \xF0\x9F\x94\x8C");
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(u""), "");
}

TEST(Text, AnsiKeepsAsciiAndEmbeddedNuls) {
    const String text(u"DoNewComInfo:COM5\0x", 19);
    EXPECT_EQ(ToAnsi(text), std::string("DoNewComInfo:COM5\0x", 19));
    EXPECT_EQ(FromAnsi(ToAnsi(text)), text);
}

TEST(Text, CaseRulesTouchOnlyAToZ) {
    EXPECT_EQ(UpperCase(u"www.vlx.example \u00e9"), u"WWW.VLX.EXAMPLE \u00e9");
    EXPECT_EQ(LowerCase(u"VID_16C0 \u00c9"), u"vid_16c0 \u00c9");
    EXPECT_TRUE(SameText(u"Usb", u"uSB"));
    EXPECT_FALSE(SameText(u"usb", u"usb "));
    EXPECT_LT(CompareText(u"a", u"B"), 0);
    EXPECT_GT(CompareText(u"ab", u"A"), 0);
    // '_' sits between the capitals and the small letters: folding upwards orders it last.
    EXPECT_GT(CompareText(u"_", u"a"), 0);
}

TEST(Text, IntegersTakeOneSignAtMost) {
    const std::vector<std::pair<String, std::int64_t>> cases = {
        {u"5", 5},  {u"+5", 5},  {u"-5", -5}, {u"+-5", 7}, {u"-+5", 7}, {u"--5", 7},
        {u"++5", 7}, {u"+", 7},  {u"", 7},    {u"5 ", 7},  {u"\u0665", 7},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(StrToInt64Def(text, 7), expected) << ToUtf8(text);
        EXPECT_EQ(StrToIntDef(text, 7), expected) << ToUtf8(text);
    }
}

TEST(Text, StrNewMakesAnIndependentCopy) {
    char source[] = "DoNewVolInfo:ABC";
    char* copy = StrNew(source);
    source[0] = 'X';
    EXPECT_STREQ(copy, "DoNewVolInfo:ABC");
    StrDispose(copy);
    EXPECT_EQ(StrNew(nullptr), nullptr);
    StrDispose(nullptr);
}

}  // namespace
