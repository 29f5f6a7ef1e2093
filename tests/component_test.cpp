#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace {

using zt::host::String;
using zt_usb_detector::TZtComInfo;
using zt_usb_detector::TZtUsbDetector;
using zt_usb_detector::TZtVolInfo;

TEST(Component, RaisingMethodsWithoutHandlersDoNothing) {
    zt::testing::DialogRecorder dialogs;
    TZtUsbDetector detector;
    detector.DoComDetect(u"COM1", 1);
    detector.DoVolumeDetect(u"E", 0);
    detector.DoUSBDetect(u"x", u"VID_1", u"PID_2", 1);
    detector.DoNewComInfo({TZtComInfo{}}, 1);
    detector.DoNewVolInfo({}, 0);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST(Component, RaisingMethodsPassSenderAndArgumentsInOrder) {
    TZtUsbDetector detector;
    std::vector<std::string> seen;
    detector.OnUsbDetect = [&](zt::host::TObject* sender, const String& name, const String& vid,
                               const String& pid, std::int32_t inout) {
        EXPECT_EQ(sender, &detector);
        seen.push_back(zt::host::ToUtf8(name + u"|" + vid + u"|" + pid) + "|" +
                       std::to_string(inout));
    };
    detector.DoUSBDetect(u"n", u"VID_16C0", u"PID_05DC", 1);
    EXPECT_EQ(seen, std::vector<std::string>{"n|VID_16C0|PID_05DC|1"});
}

TEST(Component, InfoHandlersGetTheWholeArrayAsACopy) {
    TZtUsbDetector detector;
    std::vector<TZtVolInfo> volumes(2);
    volumes[0].DeviceID = u"E:";
    volumes[1].DeviceID = u"F:";
    std::int32_t countSeen = -1;
    std::size_t sizeSeen = 0;
    detector.OnNewVolInfo = [&](zt::host::TObject*, std::vector<TZtVolInfo> info,
                                std::int32_t count) {
        countSeen = count;
        sizeSeen = info.size();
        info[0].DeviceID = u"changed";
    };
    detector.DoNewVolInfo(volumes, 0);
    EXPECT_EQ(countSeen, 0);
    EXPECT_EQ(sizeSeen, 2u);
    EXPECT_EQ(volumes[0].DeviceID, u"E:");

    std::vector<TZtComInfo> ports(1);
    ports[0].sPort = u"COM5";
    detector.OnNewComInfo = [&](zt::host::TObject*, std::vector<TZtComInfo> info,
                                std::int32_t count) {
        ASSERT_EQ(count, 1);
        EXPECT_EQ(info[0].sPort, u"COM5");
        info[0].sPort = u"changed";
    };
    detector.DoNewComInfo(ports, 1);
    EXPECT_EQ(ports[0].sPort, u"COM5");
}

TEST(Component, RegisterPlacesTheClassOnPageOrven) {
    zt_usb_detector::Register();
    zt_usb_detector::Register();
    const auto classes = zt::host::PaletteComponents(u"ORVEN");
    ASSERT_EQ(classes.size(), 1u);
    EXPECT_EQ(classes[0].ClassName, u"TZtUsbDetector");
    zt::host::TComponent owner(nullptr);
    auto* made = classes[0].Create(&owner);
    EXPECT_NE(dynamic_cast<TZtUsbDetector*>(made), nullptr);
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_TRUE(zt::host::PaletteComponents(u"Standard").empty());
}

TEST(Component, OwnerFreesOwnedComponentsNewestFirst) {
    std::vector<int> freed;
    struct Tracked : zt::host::TComponent {
        Tracked(TComponent* owner, std::vector<int>& log, int id)
            : TComponent(owner), log_(log), id_(id) {}
        ~Tracked() override { log_.push_back(id_); }
        std::vector<int>& log_;
        int id_;
    };
    {
        zt::host::TComponent owner(nullptr);
        new Tracked(&owner, freed, 1);
        auto* second = new Tracked(&owner, freed, 2);
        new Tracked(&owner, freed, 3);
        delete second;  // leaves its owner's list
        EXPECT_EQ(owner.ComponentCount(), 2);
    }
    EXPECT_EQ(freed, (std::vector<int>{2, 3, 1}));
}

}  // namespace
