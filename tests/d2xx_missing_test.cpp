// Without the D2XX library every function fails with FT_OTHER_ERROR and says why.
#include <gtest/gtest.h>

#include "ztusb/d2xx/D2XXUnit_ZT.h"
#include "tests/test_support.h"

namespace {

using namespace D2XXUnit_ZT;

TEST(D2xxWithoutLibrary, EveryCallFailsClearlyAndNothingCrashes) {
    zt::testing::DialogRecorder dialogs;
    const zt::testing::LogRecorder log(zt::host::LogLevel::Warning);
    EXPECT_EQ(Open_USB_Device(), 17u);
    EXPECT_EQ(GetFTDeviceCount(), 17u);
    EXPECT_EQ(Read_USB_Device_Buffer(10), 0);
    EXPECT_EQ(FT_IO_Status, 17u);
    EXPECT_EQ(USB_FT_EraseEE(), 17u);  // reports nothing, like with the library
    const std::string missing = " (the D2XX library no-such-ftd2xx-library could not be loaded)";
    EXPECT_EQ(dialogs.errors, (std::vector<std::string>{
                                  "FT_Open - Other error ..." + missing,
                                  "GetFTDeviceCount - Other error ..." + missing,
                                  "FT_Read - Other error ..." + missing,
                              }));
    // Every failure is logged, the one without a report as well.
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                          "d2xx: FT_Open failed with status 17 - Other error ..." + missing,
                          "d2xx: FT_ListDevices failed with status 17 - Other error ..." + missing,
                          "d2xx: FT_Read failed with status 17 - Other error ..." + missing,
                          "d2xx: FT_EraseEE failed with status 17 - Other error ..." + missing,
                      }));
}

}  // namespace
