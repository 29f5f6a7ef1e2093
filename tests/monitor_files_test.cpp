// The monitor's world files and reports: broken or hostile input is a clear error at its
// line, never a crash, and 8-bit device texts reach the JSON as what they say.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>

#include "tools/ztusbmon/report.h"
#include "tools/ztusbmon/world.h"

namespace {

using ztusbmon::ParseWorld;
using ztusbmon::WorldError;

std::string ErrorOf(const std::string& text) {
    try {
        ParseWorld(text, "w.json");
    } catch (const WorldError& e) {
        return e.what();
    }
    return "no error";
}

// The error raised while the workstation takes the world's devices and runs its script.
std::string ErrorRunning(const std::string& text) {
    const ztusbmon::World world = ParseWorld(text, "w.json");
    zt::sim::Workstation station;
    try {
        ztusbmon::Populate(station, world);
        for (const ztusbmon::WorldStep& step : world.script) ztusbmon::Perform(station, world, step);
    } catch (const WorldError& e) {
        return e.what();
    }
    return "no error";
}

const std::string kFtdi = R"({"id": "f", "kind": "ftdi", "serial": "A1", "port": "COM5"})";

std::string Stick(const std::string& id, int disk, const std::string& letter, bool attached) {
    return R"({"id": ")" + id + R"(", "kind": "usb_stick", "serial": ")" + id + R"(", "disk": )" +
           std::to_string(disk) + (attached ? R"(, "attached": true)" : "") +
           R"(, "volumes": [{"letter": ")" + letter +
           R"(", "file_system": "FAT32", "size": 1, "free_space": 1, "volume_serial": "1"}]})";
}

TEST(WorldFile, DeepNestingIsRefusedAtItsLine) {
    EXPECT_EQ(ErrorOf("{\"devices\": [],\n \"x\": " + std::string(33, '[') + std::string(33, ']') + "}"),
              "w.json:2: expected at most 32 levels of nesting");
    // Far past the limit costs no more than reaching it.
    EXPECT_EQ(ErrorOf(std::string(1000000, '[')), "w.json:1: expected at most 32 levels of nesting");
    EXPECT_EQ(ErrorOf("{\"devices\": [], \"x\": " + std::string(31, '[') + std::string(31, ']') + "}"),
              "no error");
}

TEST(WorldFile, ErrorsNameTheLineOfTheValueOrItsObject) {
    const std::string text = "{\"devices\": [\n" + kFtdi + ",\n" +
                             R"({"id": "g", "kind": "ftdi", "serial": "A2"})" + "\n]}";
    EXPECT_EQ(ErrorOf(text), "w.json:3: expected \"port\": a text such as \"COM5\"");
    EXPECT_EQ(ErrorOf("{\"devices\": [\n" + kFtdi + "\n],\n\"script\": [{\"plug\": \"f\"},\n{\"plug\": \"nobody\"}]}"),
              "w.json:5: expected the id of a device listed under \"devices\"");
    const std::string uasp = R"({"devices": [
{"id": "u", "kind": "uasp_disk", "serial": "S1", "disk": 1, )";
    EXPECT_EQ(ErrorOf(uasp + R"("luns": []}]})"), "w.json:2: expected \"luns\": one to eight lists of volumes");
    EXPECT_EQ(ErrorOf(uasp + R"("msft30": "yes", "volumes": []}]})"), "w.json:2: expected \"msft30\" to be true or false");
    EXPECT_EQ(ErrorOf(uasp + R"("msft30": true, "luns": [[], []]}]})"), "no error");
}

TEST(WorldFile, ScriptsPlugOnlyWhatIsOutAndUnplugOnlyWhatIsIn) {
    const std::string devices = "{\"devices\": [" + kFtdi + "],\n\"script\": [";
    EXPECT_EQ(ErrorOf(devices + "{\"plug\": \"f\"},\n{\"plug\": \"f\"}]}"),
              "w.json:3: expected a device that is not plugged in");
    EXPECT_EQ(ErrorOf(devices + "{\"unplug\": \"f\"}]}"), "w.json:2: expected a device that is plugged in");
    EXPECT_EQ(ErrorOf(devices + "{\"plug\": \"f\"}, {\"unplug\": \"f\"}, {\"plug\": \"f\"}]}"), "no error");
}

TEST(WorldFile, DevicesTheWorkstationRefusesAreReportedAtTheirLine) {
    const std::string attached = "{\"devices\": [\n" + Stick("a", 1, "E:", true) + ",\n" +
                                 Stick("b", 1, "F:", true) + "]}";
    EXPECT_EQ(ErrorRunning(attached).rfind("w.json:3: expected a device that no other present device collides with", 0),
              0u)
        << ErrorRunning(attached);
    const std::string plugged = "{\"devices\": [\n" + Stick("a", 1, "E:", true) + ",\n" +
                                Stick("b", 1, "F:", false) + "],\n\"script\": [\n{\"plug\": \"b\"}]}";
    EXPECT_EQ(ErrorRunning(plugged).rfind("w.json:5: expected", 0), 0u) << ErrorRunning(plugged);
}

TEST(MonitorReport, DeviceTextsFromTheLibraryPassThroughTheCodePage) {
    D2XXUnit_ZT::FT_Device_Info_Node node{};
    const char description[] = "Ger\xE4t";
    std::memcpy(node.Description, description, sizeof description);
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    ztusbmon::Report(out, true).FtdiDevices({node});
    std::rewind(out);
    char line[512] = {};
    ASSERT_NE(std::fgets(line, sizeof line, out), nullptr);
    std::fclose(out);
    const auto json = nlohmann::json::parse(line);  // throws on text that is not UTF-8
    EXPECT_EQ(zt::host::ToAnsi(zt::host::FromUtf8(json.at("description").get<std::string>())),
              description);
}

}  // namespace
