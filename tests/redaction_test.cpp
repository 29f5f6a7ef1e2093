// A redacted recording says nothing of whose machine it was, yet its devices still match up.
#include <gtest/gtest.h>

#include <algorithm>

#include "tools/ztusbmon/redaction.h"
#include "ztusb/testkit/world.h"

namespace {

using zt::testkit::Json;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    return text;
}

Json Instance(const std::string& className, Json properties) {
    return {{"class", className}, {"properties", std::move(properties)}};
}

Json Recording() {
    return {{"version", 1},
            {"machine", "DESKTOP-7Q2M4KD"},
            {"instances",
             {Instance("Win32_PnPEntity", {{"DeviceID", "FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000"},
                                           {"SystemName", "DESKTOP-7Q2M4KD"},
                                           {"SystemCreationClassName", "Win32_ComputerSystem"}}),
              Instance("Win32_PnPEntity", {{"DeviceID", "USB\\VID_0403&PID_6001\\A50285BI"}}),
              Instance("Win32_PnPEntity", {{"DeviceID", "USB\\VID_1A86&PID_7523\\5&2D6E3B1&0&2"}}),
              Instance("Win32_PnPEntity", {{"DeviceID", "USB\\VID_1234&PID_0001\\12"}}),
              Instance("Win32_DiskDrive", {{"DeviceID", "\\\\.\\PHYSICALDRIVE1"},
                                           {"PNPDeviceID", "USBSTOR\\DISK&VEN_SANDISK&PROD_CRUZER&REV_1.00\\4C530001230419115453&0"},
                                           {"SerialNumber", "4C530001230419115453"}}),
              Instance("Win32_LogicalDisk", {{"DeviceID", "E:"}, {"VolumeName", "HOLIDAY"}, {"VolumeSerialNumber", "1A2B3C4D"}})}},
            {"broadcasts",
             {{{"event", "arrival"},
               {"record", {{"device_interface", "\\\\?\\USB#VID_0403&PID_6001#a50285bi#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"},
                           {"class_guid", "{a5dcbf10-6530-11d2-901f-00c04fb951ed}"}}}}}}};
}

TEST(Redaction, ReplacesSerialsLabelsAndTheMachineConsistently) {
    Json recording = Recording();
    ztusbmon::Redact(recording);
    const std::string text = Upper(recording.dump());
    for (const char* secret : {"A50285BI", "4C530001230419115453", "1A2B3C4D", "HOLIDAY", "DESKTOP-7Q2M4KD"}) {
        EXPECT_EQ(text.find(secret), std::string::npos) << secret;
    }
    const Json& instances = recording["instances"];
    // The port, its USB device and the broadcast's interface name still name one serial.
    const std::string port = instances[0]["properties"]["DeviceID"];
    const std::string parent = instances[1]["properties"]["DeviceID"];
    const std::string made = parent.substr(parent.rfind('\\') + 1);
    EXPECT_EQ(made.size(), 8u);
    EXPECT_EQ(port, "FTDIBUS\\VID_0403+PID_6001+" + made + "A\\0000");
    EXPECT_NE(recording["broadcasts"][0]["record"]["device_interface"].get<std::string>().find("#" + made + "#"),
              std::string::npos);
    // The disk's serial is one text wherever it appears.
    const std::string disk = instances[4]["properties"]["SerialNumber"];
    EXPECT_EQ(instances[4]["properties"]["PNPDeviceID"], "USBSTOR\\DISK&VEN_SANDISK&PROD_CRUZER&REV_1.00\\" + disk + "&0");
    // What is no serial stays: instances Windows made up, short ones, class names.
    EXPECT_EQ(instances[2]["properties"]["DeviceID"], "USB\\VID_1A86&PID_7523\\5&2D6E3B1&0&2");
    EXPECT_EQ(instances[3]["properties"]["DeviceID"], "USB\\VID_1234&PID_0001\\12");
    EXPECT_EQ(instances[0]["properties"]["SystemCreationClassName"], "Win32_ComputerSystem");
    EXPECT_EQ(instances[0]["properties"]["SystemName"], recording["machine"]);
    EXPECT_NO_THROW(zt::testkit::ParseWorld(recording.dump(), "redacted.json"));
}

}  // namespace
