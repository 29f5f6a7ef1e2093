// Plugs on this machine (umockdev uevents) reach the component through its own message
// loop, in Windows' order, and its inquiries then find the new devices.
#include <libudev.h>
#include <poll.h>

#include <cerrno>
#include <chrono>

#include "ztusb/devices/device_watch.h"
#include "ztusb/devices/devices.h"
#include "ztusb/devices/machine_source.h"
#include "tests/device_lines.h"
#include "tests/test_support.h"
#include "tests/udev_machine.h"
#include "tests/volume_fixture.h"
#include "ztusb/udev/monitor_receive.h"
#include "ztusb/win32/message_sources_emu.h"

namespace {

using zt::host::ToUtf8;
using zt::testing::DialogRecorder;
using zt::testing::UdevMachine;
using zt::testing::WmiServed;

constexpr char kUsb1[] = "/sys/devices/pci0000:00/0000:00:14.0/usb1/";
constexpr char kStickDisk[] = "1-6/1-6:1.0/host6/target6:0:0/6:0:0:0/block/sdb";

// Events lost to a full socket: those waiting are gone, and the monitor says so once.
udev_device* LoseTheWaitingEvents(udev_monitor* monitor) {
    while (udev_device* event = udev_monitor_receive_device(monitor)) udev_device_unref(event);
    zt::udev::ReplaceMonitorReceive(udev_monitor_receive_device);
    errno = ENOBUFS;
    return nullptr;
}

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
        world = std::make_unique<zt::udev::MachineWorld>(machine.Mounts(), machine.NamesFile());
        served = std::make_unique<WmiServed>(world->Station().WmiBackend());
        world->Listen();
        zt::host::ProcessMessages();
        log.clear();
    }

    void Uevent(const std::string& device, const char* action) {
        umockdev_testbed_uevent(machine.Testbed(), (kUsb1 + device).c_str(), action);
    }

    // A USB device pulled with its own event alone: umockdev gives up on a listener with ten
    // events waiting, and one that loses events has more waiting.
    void PullWithOneEvent(const std::string& device) {
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

    std::vector<std::string> Volumes() { return zt::testing::VolumeInventory(detector); }

    std::vector<std::string> PortTypes() {
        std::vector<std::string> types;
        const int count = detector.GetAvailableComPortsEx();
        for (int i = 0; i < count; ++i) {
            const auto& port = detector.ZtComInfo[static_cast<std::size_t>(i)];
            types.push_back(ToUtf8(port.sPort + u" " + port.PortType));
        }
        return types;
    }

    DialogRecorder dialogs;
    UdevMachine machine;
    std::unique_ptr<zt::udev::MachineWorld> world;
    std::unique_ptr<WmiServed> served;
    zt_usb_detector::TZtUsbDetector detector;
    std::vector<std::string> log;
};

TEST_F(MachineEvents, AnAdapterPluggedAndPulledIsHeardInWindowsOrder) {
    Start();
    machine.Load("ft232r");
    PumpUntil(3);
    EXPECT_EQ(log, (std::vector<std::string>{"usb A50285BI VID_0403 PID_6001 1",
                                             "com COM2 1", "info COM2 A50285BI FT232R"}));
    log.clear();
    machine.Unplug("ft232r");
    PumpUntil(2);
    EXPECT_EQ(log, (std::vector<std::string>{"com COM2 0",
                                             "usb A50285BI VID_0403 PID_6001 0"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MachineEvents, ATwoPortChipAnnouncesItsDeviceOnceThenEachPort) {
    Start();
    machine.Load("ft2232");
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
    PumpUntil(3);
    EXPECT_EQ(log, (std::vector<std::string>{"usb 4C530001230419115453 VID_0781 PID_5567 1", "volume D 1",
                                             "volinfo D: STICK"}));
    log.clear();
    machine.Mount("/dev/sdb2", "/media/user/DATA", 1000, 500);
    world->Refresh();
    PumpUntil(3);
    EXPECT_EQ(log, (std::vector<std::string>{"volume E 1", "volinfo E: DATA"}));
    log.clear();
    machine.Unplug("usb_stick");
    PumpUntil(3);
    EXPECT_EQ(log, (std::vector<std::string>{"volume D 0", "volume E 0",
                                             "usb 4C530001230419115453 VID_0781 PID_5567 0"}));
}

// A host with a loop of its own polls the queue's descriptor, and on this system that poll
// takes the mount table's one report of a change: the volume is still heard when the host
// then lets the package's loop run.
TEST_F(MachineEvents, AMountThatAHostsOwnPollTookIsStillHeard) {
    Start();
    machine.Load("usb_stick");
    PumpUntil(1);
    log.clear();
    machine.Mount("/dev/sdb1", "/media/user/STICK", 1000, 500);
    pollfd queue{zt::win32::emulated::MessageQueueDescriptor(), POLLIN, 0};
    ASSERT_EQ(poll(&queue, 1, 5000), 1);
    machine.ChangeTakenByAnotherPoll();
    PumpUntil(2);
    EXPECT_EQ(log, (std::vector<std::string>{"volume D 1", "volinfo D: STICK"}));
}

TEST_F(MachineEvents, AUaspDriveIsHeardWithItsVolumeDetails) {
    Start();
    machine.Load("uasp_ssd");
    machine.Mount("/dev/sdd1", "/media/user/T5", 1000, 500);
    PumpUntil(3);
    EXPECT_EQ(log, (std::vector<std::string>{"usb 1234567DB9FB VID_04E8 PID_61F5 1", "volume D 1", "volinfo D: T5"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

// A desktop mounts a disk's file systems some time after the disk arrived, and may unmount
// and mount them again: each is a volume's arrival or removal alone, and a volume keeps its
// letter although a lower one is free.
TEST_F(MachineEvents, FileSystemsMountedAfterTheirDiskArriveAndGoAsVolumesKeepingTheirLetters) {
    Start();
    machine.Load("usb_stick");
    PumpUntil(1);
    EXPECT_EQ(log, (std::vector<std::string>{"usb 4C530001230419115453 VID_0781 PID_5567 1"}));
    EXPECT_TRUE(Volumes().empty());
    struct Step {
        const char* node;
        const char* mountPoint;  // null: unmounted
        std::vector<std::string> heard;
    };
    for (const Step& step : {Step{"/dev/sdb1", "/media/user/STICK", {"volume D 1", "volinfo D: STICK"}},
                             Step{"/dev/sdb2", "/media/user/DATA", {"volume E 1", "volinfo E: DATA"}},
                             Step{"/dev/sdb1", nullptr, {"volume D 0"}},
                             Step{"/dev/sdb2", nullptr, {"volume E 0"}},
                             Step{"/dev/sdb2", "/media/user/DATA", {"volume E 1", "volinfo E: DATA"}},
                             Step{"/dev/sdb1", "/media/user/STICK", {"volume D 1", "volinfo D: STICK"}}}) {
        log.clear();
        if (step.mountPoint != nullptr) {
            machine.Mount(step.node, step.mountPoint, 1000, 500);
        } else {
            machine.Unmount(step.node);
        }
        PumpUntil(step.heard.size());
        EXPECT_EQ(log, step.heard) << step.node << (step.mountPoint != nullptr ? " mounted" : " unmounted");
    }
    EXPECT_EQ(Volumes(), (std::vector<std::string>{
                             "D:|FAT32|STICK|1A2B3C4D|SanDisk Cruzer Blade USB Device|4C530001230419115453|1000|500",
                             "E:|exFAT|DATA|5E6F7081|SanDisk Cruzer Blade USB Device|4C530001230419115453|1000|500"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

// A change is read from the device it names, and alone: broadcasting nothing, it shows in
// the inquiries; another adapter's new name waits for an event of its own.
TEST_F(MachineEvents, AChangeIsReadFromTheDeviceItNamesAlone) {
    Start();
    machine.Load("ft232r");
    machine.Load("usb_stick");
    machine.Mount("/dev/sdb1", "/media/user/STICK", 1000, 500);
    PumpUntil(5);
    log.clear();
    umockdev_testbed_set_attribute(machine.Testbed(), (std::string(kUsb1) + "1-2").c_str(), "product", "Renamed UART");
    umockdev_testbed_set_attribute(machine.Testbed(), (std::string(kUsb1) + "1-4/1-4.2").c_str(), "product", "Renamed");
    umockdev_testbed_set_property(machine.Testbed(), (std::string(kUsb1) + kStickDisk + "/sdb1").c_str(),
                                  "ID_FS_LABEL", "RELABELLED");
    Uevent("1-2", "change");
    Uevent(std::string(kStickDisk) + "/sdb1", "change");
    PumpUntil(0);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(PortTypes(), (std::vector<std::string>{"COM1 USB Serial", "COM2 Renamed UART"}));
    ASSERT_EQ(Volumes().size(), 1u);
    EXPECT_TRUE(Volumes()[0].starts_with("D:|FAT32|RELABELLED|")) << Volumes()[0];
}

// What happened while events were lost is heard once the machine is read again: what went and
// what came, and nothing of a device that came and went meanwhile.
TEST_F(MachineEvents, AfterLostEventsTheHostHearsTheNetChanges) {
    machine.Load("ft2232");
    Start();
    zt::udev::ReplaceMonitorReceive(LoseTheWaitingEvents);
    machine.Load("ft232r");
    PullWithOneEvent("1-3");
    machine.Load("composite_cdc");
    PullWithOneEvent("1-5");
    PumpUntil(6);
    // The loss was reported, and udev's own call is back.
    EXPECT_EQ(zt::udev::ReplaceMonitorReceive(udev_monitor_receive_device), udev_monitor_receive_device);
    EXPECT_EQ(log, (std::vector<std::string>{"com COM1 0", "com COM2 0", "usb FT4ZQ1B7 VID_0403 PID_6010 0",
                                             "usb A50285BI VID_0403 PID_6001 1", "com COM4 1",
                                             "info COM4 A50285BI FT232R"}));
    EXPECT_EQ(PortTypes(), (std::vector<std::string>{"COM4 FT232R USB UART", "COM3 USB Serial"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

// A hub pulled takes what hangs below it, whatever its devices' own events say.
// What hangs from a hub goes before it, as a device's children are removed before it.
TEST_F(MachineEvents, AHubPulledTakesTheDevicesBelowIt) {
    const std::string hub = std::string(kUsb1) + "1-4";
    Start();
    Uevent("1-4", "remove");
    umockdev_testbed_remove_device(machine.Testbed(), (hub + "/1-4.2").c_str());
    umockdev_testbed_remove_device(machine.Testbed(), hub.c_str());
    PumpUntil(3);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "com COM1 0");
    EXPECT_TRUE(log[1].starts_with("usb 5&") && log[1].ends_with(" VID_1A86 PID_7523 0")) << log[1];
    EXPECT_TRUE(log[2].starts_with("usb 5&") && log[2].ends_with(" VID_05E3 PID_0610 0")) << log[2];
}

}  // namespace

namespace {

struct Testbed {
    const char* name;
    std::vector<std::string> records;
};

std::map<std::string, std::string> InventorySerials(zt_usb_detector::TZtUsbDetector& detector) {
    std::map<std::string, std::string> serials;
    const int count = detector.GetAvailableComPortsEx();
    for (int i = 0; i < count; ++i) {
        const auto& port = detector.ZtComInfo[static_cast<std::size_t>(i)];
        serials[ToUtf8(port.sPort)] = ToUtf8(port.Serial);
    }
    return serials;
}

std::vector<std::string> Records(const zt::udev::MachineWorld& world) {
    std::vector<std::string> lines;
    for (const auto& device : zt::devices::MachineDeviceSource(world)->Attached()) {
        lines.push_back(zt::testing::DeviceLine(device));
    }
    return lines;
}

// Present from the start or plugged in later, each testbed's devices are the same records,
// and every port goes by its USB device's name in the inventory and in its arrival's details.
TEST(MachineDevices, EachTestbedIsTheSameRecordsAndNamesBeforeAndAfterItsArrival) {
    const std::vector<Testbed> testbeds = {
        {"composite_cdc", {"2e8a:000a E660D4A0A7593A2B E660D4A0A7593A2B @1-5 | COM1 if0"}},
        {"ch340",
         {"05e3:0610 - 5&E93FDA35&0&4 @1-4 (hub)", "1a86:7523 - 5&157A1C9&0&2 @1-4.2 hub 1-4 | COM1 if0"}},
        {"ft2232", {"0403:6010 FT4ZQ1B7 FT4ZQ1B7 @1-3 | COM1 if0 A | COM2 if1 B"}},
        {"hub_two_ch340",
         {"05e3:0610 - 5&E43FD256&0&1 @1-1 (hub)", "1a86:7523 - 5&6E6A6B9B&0&1 @1-1.1 hub 1-1 | COM1 if0",
          "1a86:7523 - 5&6F6A6D2E&0&2 @1-1.2 hub 1-1 | COM2 if0"}},
        {"stlink",
         {"0483:374b 066CFF515570514867145144 066CFF515570514867145144 @1-7 | COM1 if2 | disk 0 MBED microcontroller | - "
          "lun0 FAT NODE_F446RE"}},
    };
    for (const Testbed& testbed : testbeds) {
        SCOPED_TRACE(testbed.name);
        DialogRecorder dialogs;
        std::map<std::string, std::string> before;
        {
            UdevMachine machine;
            machine.Load(testbed.name);
            zt::udev::MachineWorld world(machine.Mounts(), machine.NamesFile());
            WmiServed served(world.Station().WmiBackend());
            const auto tree = zt::win32::SetDeviceTree(world.Station().DeviceTreeBackend());
            zt_usb_detector::TZtUsbDetector detector;
            before = InventorySerials(detector);
            EXPECT_EQ(Records(world), testbed.records);
            zt::win32::SetDeviceTree(tree);
        }
        UdevMachine machine;
        machine.Load("host_controller");
        zt::udev::MachineWorld world(machine.Mounts(), machine.NamesFile());
        WmiServed served(world.Station().WmiBackend());
        const auto tree = zt::win32::SetDeviceTree(world.Station().DeviceTreeBackend());
        zt_usb_detector::TZtUsbDetector detector;
        std::map<std::string, std::string> reported;
        detector.OnNewComInfo = [&](zt::host::TObject*, std::vector<zt_usb_detector::TZtComInfo> ports, std::int32_t) {
            reported[ToUtf8(ports[0].sPort)] = ToUtf8(ports[0].Serial);
        };
        world.Listen();
        machine.Load(testbed.name);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (reported.size() < before.size() && std::chrono::steady_clock::now() < deadline) {
            zt::host::ProcessMessages();
        }
        EXPECT_EQ(reported, before);
        EXPECT_EQ(InventorySerials(detector), before);
        EXPECT_EQ(Records(world), testbed.records);
        EXPECT_TRUE(dialogs.messages.empty());
        zt::win32::SetDeviceTree(tree);
    }
}

}  // namespace

namespace {

// Through udev: a board's port and its drive come as uevents, its file system mounted a moment
// later; the device arrives once, with both, and leaves once.
TEST(MachineDevices, ABoardArrivesOnceWithItsPortAndItsMountedVolume) {
    UdevMachine machine;
    machine.Load("host_controller");
    zt::udev::MachineWorld world(machine.Mounts(), machine.NamesFile());
    WmiServed served(world.Station().WmiBackend());
    const auto tree = zt::win32::SetDeviceTree(world.Station().DeviceTreeBackend());
    const auto source = zt::devices::SetDeviceSource(zt::devices::MachineDeviceSource(world));
    world.Listen();
    std::vector<std::string> events;
    zt::devices::DeviceWatch watch([&](const zt::devices::DeviceEvent& event) {
        events.push_back(std::to_string(static_cast<int>(event.kind)) + " " + zt::testing::DeviceLine(event.device));
    });
    machine.Load("stlink");
    const auto pump = [&](std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (events.size() < count && std::chrono::steady_clock::now() < deadline) zt::host::ProcessMessages();
    };
    const auto mountAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
    while (std::chrono::steady_clock::now() < mountAt) zt::host::ProcessMessages();
    EXPECT_TRUE(events.empty()) << "held until its volume is mounted";
    machine.Mount("/dev/sde", "/media/user/NODE_F446RE", 573440, 560000);
    pump(1);
    const std::string board = "0483:374b 066CFF515570514867145144 066CFF515570514867145144 @1-7 | COM1 if2 | disk 0 MBED "
                              "microcontroller | D: lun0 FAT NODE_F446RE";
    EXPECT_EQ(events, std::vector<std::string>{"0 " + board});
    events.clear();
    machine.Unplug("stlink");
    pump(1);
    EXPECT_EQ(events, std::vector<std::string>{"1 " + board});
    zt::devices::SetDeviceSource(source);
    zt::win32::SetDeviceTree(tree);
}

}  // namespace
