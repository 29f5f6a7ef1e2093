#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "ztusb/host/heap_strings.h"
#include "ztusb/host/shown_text.h"
#include "ztusb/host/text.h"

namespace {

using namespace zt::host;

TEST(Text, Utf8RoundTripsEveryPlane) {
    const String text = u"COM7 \u00e9\u20ac \U0001F50C";
    EXPECT_EQ(ToUtf8(text), "COM7 \xC3\xA9\xE2\x82\xAC \xF0\x9F\x94\x8C");
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(u""), "");
}

TEST(Text, ShownTextEscapesWhatWouldDriveATerminal) {
    struct Row {
        std::u16string device;
        std::string shown;
        std::size_t width;
    };
    const Row rows[] = {
        {u"FT232R USB UART", "FT232R USB UART", 15},
        {u"\x1B[2JCleared", "\\x1B[2JCleared", 14},              // erase display
        {u"\x1B]0;pwned\x07", "\\x1B]0;pwned\\x07", 16},         // retitle, BEL
        {u"tab\tcr\rlf\n", "tab\\x09cr\\x0Dlf\\x0A", 19},
        {u"del\x7F c1\x9B", "del\\x7F c1\\x9B", 14},             // DEL, C1 CSI
        {u"x\u202Eexe.txt", "x\\u202Eexe.txt", 14},               // right-to-left override
        {u"M\u00fcller GmbH", "M\xC3\xBCller GmbH", 11},
        {u"\u4e2d\u6587", "\xE4\xB8\xAD\xE6\x96\x87", 4},           // two wide columns each
        {u"\u041f\u043e\u0440\u0442", "\xD0\x9F\xD0\xBE\xD1\x80\xD1\x82", 4},
        {u"\U0001F50C", "\xF0\x9F\x94\x8C", 2},
        {std::u16string(u"lone\xD800") + u"!", "lone\xEF\xBF\xBD!", 6},  // unpaired surrogate
        {std::u16string(1, u'\0'), "\\x00", 4},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ShownText(row.device), row.shown) << ToUtf8(row.device);
        EXPECT_EQ(ShownText(ToUtf8(row.device)), row.shown) << "as UTF-8: " << row.shown;
        EXPECT_EQ(ShownWidth(row.shown), row.width) << row.shown;
    }
    // Bytes that are not UTF-8: stray continuation, overlong slash, cut sequence, surrogate.
    EXPECT_EQ(ShownText(std::string_view("a\x80\xC0\xAF\xE2\x82\xED\xA0\x80")),
              "a\\x80\\xC0\\xAF\\xE2\\x82\\xED\\xA0\\x80");
    // Cut in characters, never inside one; short enough, nothing is added.
    EXPECT_EQ(ShownText(std::string_view("\xC3\xA9\xC3\xA9\xC3\xA9"), 2), "\xC3\xA9\xC3\xA9\xE2\x80\xA6 (3 characters)");
    EXPECT_EQ(ShownText(std::string_view("\xC3\xA9\x1B"), 2), "\xC3\xA9\\x1B");
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
