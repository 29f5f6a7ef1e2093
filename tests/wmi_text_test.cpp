#include <gtest/gtest.h>

#include "ztusb/detector/wmi_text.h"

namespace {

using namespace zt_usb_detector::wmi_text;
using zt::host::String;

TEST(WmiText, NamesTheProperty) {
    EXPECT_EQ(PropertyName(u"\tBlockSize = \"512\";"), u"BlockSize");
    EXPECT_TRUE(IsProperty(u"\tSize = \"16008523776\";", u"Size"));
    EXPECT_FALSE(IsProperty(u"\tBlockSize = \"512\";", u"Size"));
    // A value that holds a property name and " = " names nothing but its own property.
    EXPECT_TRUE(IsProperty(u"\tVolumeName = \"Size = FileSystem\";", u"VolumeName"));
    EXPECT_FALSE(IsProperty(u"\tVolumeName = \"Size = FileSystem\";", u"Size"));
    EXPECT_EQ(PropertyName(u"instance of Win32_LogicalDisk"), u"");
    EXPECT_EQ(PropertyName(u"{"), u"");
    EXPECT_EQ(PropertyName(u"\t\"odd\" = 1;"), u"");
}

TEST(WmiText, ReadsQuotedValuesAsTheObjectTextWritesThem) {
    const String caption = u"\tCaption = \"Modem \\\"Fast\\\" (COM9)\";";
    EXPECT_EQ(RawQuotedValue(caption), u"Modem \\\"Fast\\\" (COM9)");
    EXPECT_EQ(QuotedText(caption), u"Modem \"Fast\" (COM9)");

    const String deviceId = u"\tDeviceID = \"USB\\\\VID_1A86&PID_7523\\\\5&2D6E3B1&0&2\";";
    EXPECT_EQ(RawQuotedValue(deviceId), u"USB\\\\VID_1A86&PID_7523\\\\5&2D6E3B1&0&2");
    EXPECT_EQ(QuotedText(deviceId), u"USB\\VID_1A86&PID_7523\\5&2D6E3B1&0&2");

    // A value ending in a backslash: the doubled backslash does not escape the closing quote.
    EXPECT_EQ(QuotedText(u"\tName = \"C:\\\\\";"), u"C:\\");
    EXPECT_EQ(RawQuotedValue(u"\tIndex = 3;"), u"");
    EXPECT_EQ(QuotedText(u"\tName = \"unclosed \\"), u"unclosed \\");  // a dangling backslash stays
    EXPECT_EQ(QuotedText(u"\tName = \"\";"), u"");
}

TEST(WmiText, LikeLiteralsMatchOnlyThemselves) {
    EXPECT_EQ(LikeLiteral(u"A50285BI"), u"A50285BI");
    EXPECT_EQ(LikeLiteral(u"100%_[x]"), u"100[%][_][[]x]");
    EXPECT_EQ(LikeLiteral(u"a\"b\\c"), u"a\\\"b\\\\c");
}

}  // namespace
