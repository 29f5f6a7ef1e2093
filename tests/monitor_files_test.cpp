// The monitor's world files and reports: broken or hostile input is a clear error at its
// line, never a crash, and 8-bit device texts reach the JSON as what they say.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tools/ztusbmon/report.h"
#include "ztusb/testkit/test_world.h"
#include "ztusb/testkit/world.h"
#include "ztusb/host/shown_text.h"

namespace {

using zt::testkit::ParseWorld;
using zt::testkit::WorldError;

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
    try {
        zt::testkit::TestWorld::Parse(text, "w.json").Play();
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
              "w.json:1: unknown key \"x\"");
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

// Each object holds only what its reader knows; a slip is named with the key it stands for,
// also where the key it misspells is one the object needs.
TEST(WorldFile, UnknownKeysAreRefusedAtTheirLineWithTheKeyMeant) {
    struct Row {
        std::string text;
        std::string error;
    };
    const std::string stick = Stick("s", 1, "E:", false);
    const std::string recording = R"({"version": 2, "instances": [{"class": "Win32_PnPEntity",
"properties": {"DeviceID": "USB\\X", "NotInTheSchema": 1}}])";
    for (const Row& row : {
             Row{"{\"devices\": [\n{\"id\": \"c\", \"kind\": \"builtin_port\", \"port\": \"COM1\", \"atached\": true}]}",
                 "w.json:2: unknown key \"atached\" (did you mean \"attached\"?)"},
             Row{"{\"devices\": [\n{\"id\": \"f\", \"kind\": \"ftdi\", \"serial\": \"A1\", \"prot\": \"COM5\"}]}",
                 "w.json:2: unknown key \"prot\" (did you mean \"port\"?)"},
             Row{"{\"devices\": [\n{\"id\": \"f\", \"kind\": \"ftdi\", \"serial\": \"A1\", \"port\": \"COM5\", \"instance\": \"1\"}]}",
                 "w.json:2: unknown key \"instance\""},
             Row{"{\"devices\": [" + kFtdi + "],\n\"scirpt\": [],\n\"x\": 1}", "w.json:2: unknown key \"scirpt\" (did you mean \"script\"?)"},
             Row{"{\"devices\": [" + stick.substr(0, stick.size() - 3) + ",\n\"lable\": \"L\"}]}]}",
                 "w.json:2: unknown key \"lable\" (did you mean \"label\"?)"},
             Row{"{\"devices\": [" + kFtdi + "],\n\"script\": [{\"plug\": \"f\", \"pause_ms\": 5}]}",
                 "w.json:2: unknown key \"pause_ms\""},
             Row{recording + "}", "no error"},
             Row{recording + ",\n\"broadcast\": []}", "w.json:3: unknown key \"broadcast\" (did you mean \"broadcasts\"?)"},
             Row{R"({"version": 2, "instances": [{"clas": "Win32_PnPEntity", "properties": {}}]})",
                 "w.json:1: unknown key \"clas\" (did you mean \"class\"?)"},
         }) {
        EXPECT_EQ(ErrorOf(row.text), row.error) << row.text;
    }
}

// A folder or a missing file says so, not that its text is wrong.
TEST(WorldFile, WhatIsNoReadableFileIsToldForWhatItIs) {
    const std::string folder = std::filesystem::temp_directory_path().string();
    const std::string missing = folder + "/no-such-world.json";
    for (const auto& [path, error] : {std::pair{folder, folder + ": is a folder, not a world file"},
                                      std::pair{missing, missing + ": cannot read: No such file or directory"}}) {
        try {
            zt::testkit::LoadWorld(path);
            ADD_FAILURE() << path << " loaded";
        } catch (const WorldError& e) {
            EXPECT_EQ(e.what(), error);
        }
    }
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

// Everything a report printed.
template <typename Print>
std::string Printed(bool json, Print print) {
    std::FILE* out = std::tmpfile();
    if (out == nullptr) return "no temporary file";
    print(ztusbmon::Report(out, json));
    std::string text(static_cast<std::size_t>(std::ftell(out)), '\0');
    std::rewind(out);
    text.resize(std::fread(text.data(), 1, text.size(), out));
    std::fclose(out);
    return text;
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

// Bytes a terminal acts on: C0 but the line break, DEL, and the C1 range as UTF-8 encodes it.
bool DrivesATerminal(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool c1 = byte == 0xC2 && i + 1 < text.size() &&
                        static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if ((byte < 0x20 && byte != '\n') || byte == 0x7F || c1) return true;
    }
    return false;
}

// The terminal column where the last occurrence of a cell starts.
std::size_t ColumnOf(const std::string& line, const std::string& cell) {
    return zt::host::ShownWidth(line.substr(0, line.rfind(cell)));
}

TEST(MonitorReport, HostileDeviceTextsAreShownHarmlesslyInAlignedColumns) {
    struct Row {
        std::u16string device;
        std::string shown;
    };
    const Row rows[] = {
        {u"\x1B[2J\x1B[HCleared", "\\x1B[2J\\x1B[HCleared"},  // erase the screen, cursor home
        {u"\x1B]0;owned\x07", "\\x1B]0;owned\\x07"},            // retitle the window
        {u"\x1B[31mred", "\\x1B[31mred"},                        // recolour what follows
        {u"\x9B" u"2J", "\\x9B2J"},                              // the same as one C1 character
        {u"two\r\nlines\b", "two\\x0D\\x0Alines\\x08"},
        {u"txt\u202Eexe", "txt\\u202Eexe"},                      // shown reversed otherwise
        {std::u16string(u"half\xD800"), "half\xEF\xBF\xBD"},      // no text: the replacement
        {u"M\u00fcller GmbH", "M\xC3\xBCller GmbH"},
        {u"\u4e32\u53e3\u8bbe\u5907", "\xE4\xB8\xB2\xE5\x8F\xA3\xE8\xAE\xBE\xE5\xA4\x87"},
        {u"\u041f\u043e\u0440\u0442", "\xD0\x9F\xD0\xBE\xD1\x80\xD1\x82"},
    };
    zt_usb_detector::TZtUsbDetector detector;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shown);
        zt_usb_detector::TZtComInfo port;
        port.sPort = u"COM5";
        port.Manufacturer = row.device;
        port.Chip = u"LAST";
        const std::string table = Printed(false, [&](const ztusbmon::Report& r) { r.PortDetails({port}, 1); });
        const std::string events = Printed(false, [&](const ztusbmon::Report& r) {
            r.Attach(detector);
            detector.DoComDetect(row.device, 1);
            detector.DoUSBDetect(row.device, u"VID_1234", row.device, 0);
        });
        for (const std::string& text : {table, events}) {
            EXPECT_FALSE(DrivesATerminal(text)) << text;
            EXPECT_NE(text.find(row.shown), std::string::npos) << text;
        }
        const std::vector<std::string> lines = LinesOf(table);
        ASSERT_EQ(lines.size(), 2u) << table;
        EXPECT_EQ(ColumnOf(lines[1], "LAST"), ColumnOf(lines[0], "CHIP")) << table;
        EXPECT_EQ(events, "COM port " + row.shown + " arrived\nUSB device " + row.shown + " left (VID_1234 " +
                              row.shown + ")\n");
        // JSON escapes what it must and keeps the text exact.
        const std::string json = Printed(true, [&](const ztusbmon::Report& r) { r.PortDetails({port}, 1); });
        EXPECT_EQ(nlohmann::json::parse(json).at("manufacturer").get<std::string>(),
                  zt::host::ToUtf8(row.device));
    }
    D2XXUnit_ZT::FT_Device_Info_Node node{};
    std::memcpy(node.Description, "\x1B[2JGer\xE4t", 10);
    const std::string ftdi = Printed(false, [&](const ztusbmon::Report& r) { r.FtdiDevices({node}); });
    EXPECT_FALSE(DrivesATerminal(ftdi)) << ftdi;
    EXPECT_NE(ftdi.find("\\x1B[2JGer\xC3\xA4t"), std::string::npos) << ftdi;
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
