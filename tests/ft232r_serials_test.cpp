// The FT232R serials of one scan: every listed serial is found, others are not, and serials
// added during the scan are found too, however many there are.
#include <gtest/gtest.h>

#include "ztusb/detector/ft232r_serials.h"

namespace {

using zt::host::String;
using zt_usb_detector::Ft232RSerials;
using zt_usb_detector::TFT232RLIST;

String Serial(int i) { return u"FT" + zt::host::FromAnsi(std::to_string(i)); }

TEST(Ft232RSerials, FindsWhatIsListedAndAddedAndNothingElse) {
    std::vector<TFT232RLIST> list(3);
    list[0].Serial = u"A50285BI";
    list[1].Serial = u"A50285BI";  // listed twice: still one serial
    list[2].Serial = u"NOT COUNTED";
    Ft232RSerials serials(list, 2);
    EXPECT_TRUE(serials.Contains(u"A50285BI"));
    EXPECT_FALSE(serials.Contains(u"NOT COUNTED"));  // beyond the count
    EXPECT_FALSE(serials.Contains(u"a50285bi"));     // serials are compared exactly

    // Growing well past the first table, with the list reallocating under it.
    for (int i = 0; i < 5000; ++i) {
        list.emplace_back().Serial = Serial(i);
        serials.Add(list.size() - 1);
    }
    for (int i = 0; i < 5000; ++i) ASSERT_TRUE(serials.Contains(Serial(i))) << i;
    EXPECT_FALSE(serials.Contains(Serial(5000)));
    EXPECT_FALSE(serials.Contains(u""));
    EXPECT_TRUE(Ft232RSerials(list, list.size()).Contains(Serial(4999)));
}

}  // namespace
