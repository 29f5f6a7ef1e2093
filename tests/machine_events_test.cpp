// Plugs on this machine (umockdev uevents) reach the component through its own message
// loop, in Windows' order, and its inquiries then find the new devices.
#include <chrono>

#include "tests/test_support.h"
#include "tests/udev_machine.h"

namespace {

using zt::host::ToUtf8;
using zt::testing::DialogRecorder;
using zt::testing::UdevMachine;
using zt::testing::WmiServed;

constexpr char kUsb1[] = "/sys/devices/pci0000:00/0000:00:14.0/usb1/";

class MachineEvents : public ::testing::Test {
protected:
    MachineEvents() {
        zt::testing::RecordEvents(detector, log);
        detector.OnNewComInfo = [this](zt::host::TObject*, std::vector<zt_usb_detector::TZtComInfo> ports,
                                       std::int32_t count) {
            for (std::int32_t i = 0; i < count; ++i) {
                const auto& port = ports[static_cast<std::size_t>(i)];
                log.push_back("info " + ToUtf8(port.sPort + u" " + port.Serial + u" " + port.Chip));
            }
        };
        detector.OnNewVolInfo = [this](zt::host::TObject*, std::vector<zt_usb_detector::TZtVolInfo> volumes,
                                       std::int32_t count) {
            for (std::int32_t i = 0; i < count; ++i) {
                const auto& volume = volumes[static_cast<std::size_t>(i)];
                log.push_back("volinfo " + ToUtf8(volume.DeviceID + u" " + volume.VolName));
            }
        };
    }

    // A CH340 is there from the start, so that the machine has USB at all.
    void Start() {
        machine.Load("ch340");
        world = std::make_unique<zt::sim::MachineWorld>(machine.Mounts(), machine.NamesFile());
        served = std::make_unique<WmiServed>(world->Station().WmiBackend());
        world->Listen();
        zt::host::ProcessMessages();
        log.clear();
    }

    void Uevent(const std::string& device, const char* action) {
        umockdev_testbed_uevent(machine.Testbed(), (kUsb1 + device).c_str(), action);
    }

    // The event leaves first; the loop reads the machine after the device is gone.
    void Unplug(const std::string& device) {
        Uevent(device, "remove");
        umockdev_testbed_remove_device(machine.Testbed(), (kUsb1 + device).c_str());
    }

    // Runs the message loop, as a host does, until `count` events are logged (or 5 s pass).
    void PumpUntil(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (log.size() < count && std::chrono::steady_clock::now() < deadline) {
            zt::host::ProcessMessages();
        }
        for (int more = 0; more < 20; ++more) zt::host::ProcessMessages();  // nothing else may come
    }

    DialogRecorder dialogs;
    UdevMachine machine;
    std::unique_ptr<zt::sim::MachineWorld> world;
    std::unique_ptr<WmiServed> served;
    zt_usb_detector::TZtUsbDetector detector;
    std::vector<std::string> log;
};

TEST_F(MachineEvents, AnAdapterPluggedAndPulledIsHeardInWindowsOrder) {
    Start();
    machine.Load("ft232r");
    Uevent("1-2", "add");
    PumpUntil(3);
    EXPECT_EQ(log, (std::vector<std::string>{"usb A50285BI VID_0403 PID_6001 1",
                                             "com COM2 1", "info COM2 A50285BI FT232R"}));
    log.clear();
    Unplug("1-2");
    PumpUntil(2);
    EXPECT_EQ(log, (std::vector<std::string>{"com COM2 0",
                                             "usb A50285BI VID_0403 PID_6001 0"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MachineEvents, ATwoPortChipAnnouncesItsDeviceOnceThenEachPort) {
    Start();
    machine.Load("ft2232");
    Uevent("1-3", "add");
    PumpUntil(5);
    // The inquiries are posted: they follow the broadcasts.
    EXPECT_EQ(log, (std::vector<std::string>{"usb FT4ZQ1B7 VID_0403 PID_6010 1", "com COM2 1", "com COM3 1",
                                             "info COM2 FT4ZQ1B7 ", "info COM3 FT4ZQ1B7 "}));
}

// A stick's volumes come after its device; a file system mounted later is a volume's arrival
// alone, and only its details come (changed: the stick's earlier volume came again); on removal the volumes go first, both letters in one broadcast (the component names
// the lowest).
TEST_F(MachineEvents, AStickIsHeardDeviceFirstAndItsVolumesAsTheyAreMounted) {
    Start();
    machine.Load("usb_stick");
    machine.Mount("/dev/sdb1", "/media/user/STICK", 1000, 500);
    Uevent("1-6", "add");
    PumpUntil(3);
    EXPECT_EQ(log, (std::vector<std::string>{"usb 4C530001230419115453 VID_0781 PID_5567 1", "volume D 1",
                                             "volinfo D: STICK"}));
    log.clear();
    machine.Mount("/dev/sdb2", "/media/user/DATA", 1000, 500);
    world->Refresh();
    PumpUntil(3);
    EXPECT_EQ(log, (std::vector<std::string>{"volume E 1", "volinfo E: DATA"}));
    log.clear();
    Unplug("1-6");
    PumpUntil(3);
    EXPECT_EQ(log, (std::vector<std::string>{"volume D 0", "volume E 0",
                                             "usb 4C530001230419115453 VID_0781 PID_5567 0"}));
}

TEST_F(MachineEvents, AUaspDriveIsHeardWithItsVolumeDetails) {
    Start();
    machine.Load("uasp_ssd");
    machine.Mount("/dev/sdd1", "/media/user/T5", 1000, 500);
    Uevent("1-4", "add");
    PumpUntil(3);
    EXPECT_EQ(log, (std::vector<std::string>{"usb 1234567DB9FB VID_04E8 PID_61F5 1", "volume D 1", "volinfo D: T5"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
