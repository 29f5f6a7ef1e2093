// Writes the fuzz targets' seed corpora from the simulated world's models, so that fuzzing
// starts from what real machines send: their broadcasts, object texts, registry values,
// queries and world files.
//
// Usage: fuzz_seeds CORPUS_DIR WORLD_FILE...   (the built-in world is always included)
#include <filesystem>
#include <fstream>

#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/devices/devices.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/tree_input.h"
#include "ztusb/world/broadcast.h"
#include "ztusb/testkit/world.h"
#include "ztusb/win32/windows_names.h"

namespace {

namespace fs = std::filesystem;
using zt::host::String;
using zt::host::ToUtf8;

fs::path corpus;

void Write(const std::string& target, const std::string& name, const std::string& bytes) {
    fs::create_directories(corpus / target);
    std::ofstream(corpus / target / name, std::ios::binary) << bytes;
}

template <typename Number>
std::string Bytes(Number value) {
    std::string bytes;
    for (std::size_t i = 0; i < sizeof(Number); ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

// Answers the workstation gives, in the fuzz targets' form, and the queries that asked.
class Recorder {
public:
    explicit Recorder(zt::sim::Workstation& station)
        : previous_(ZtWmiU::SetWmiBackend([this, &station](const String& query) {
              queries.push_back(query);
              const auto answer = station.WmiBackend()(query);
              std::string text(answers.empty() ? "" : std::string(1, zt::fuzz::kAnswerSeparator));
              if (!answer) {
                  text += zt::fuzz::kFailedAnswer;
              } else {
                  for (std::size_t i = 0; i < answer->size(); ++i) {
                      if (i > 0) text += zt::fuzz::kObjectSeparator;
                      text += ToUtf8((*answer)[i]);
                      objects.push_back((*answer)[i]);
                  }
              }
              answers += text;
              return answer;
          })) {}
    ~Recorder() { ZtWmiU::SetWmiBackend(previous_); }

    std::string answers;
    std::vector<String> queries;
    std::vector<String> objects;

private:
    ZtWmiU::WmiBackend previous_;
};

std::vector<zt::world::Record> Arrival(const zt::sim::SerialDevice& device) {
    std::vector<zt::world::Record> records;
    if (!device.interfaceName.empty()) {
        records.push_back(zt::world::DeviceInterfaceRecord(device.interfaceName, zt::win32::GUID_DEVINTERFACE_USB_DEVICE));
    }
    for (const zt::sim::SerialPort& port : device.ports) records.push_back(zt::world::PortRecord(port.name));
    return records;
}

std::vector<zt::world::Record> Arrival(const zt::sim::StorageDevice& device) {
    std::vector<zt::world::Record> records;
    if (!device.interfaceName.empty()) {
        records.push_back(zt::world::DeviceInterfaceRecord(device.interfaceName, zt::win32::GUID_DEVINTERFACE_USB_DEVICE));
    }
    if (zt::sim::UnitMask(device) != 0) records.push_back(zt::world::VolumeRecord(zt::sim::UnitMask(device)));
    return records;
}

// A board announces its USB device interface once, then its ports, then its volumes.
std::vector<zt::world::Record> Arrival(const zt::sim::UsbBoard& board) {
    std::vector<zt::world::Record> records = Arrival(board.serial);
    if (zt::sim::UnitMask(board.storage) != 0) records.push_back(zt::world::VolumeRecord(zt::sim::UnitMask(board.storage)));
    return records;
}

void WriteQueriesAndTexts(const std::string& name, const Recorder& recorder) {
    for (std::size_t i = 0; i < recorder.queries.size(); ++i) {
        Write("wql", name + "-" + std::to_string(i), std::string(1, '\0') + ToUtf8(recorder.queries[i]));
    }
    for (std::size_t i = 0; i < recorder.objects.size(); ++i) {
        Write("text", name + "-" + std::to_string(i), std::string(1, '\n') + ToUtf8(recorder.objects[i]));
    }
}

// The device tree of a workstation, as the device records read it: with the answers of the
// queries that tie its disks to letters, and one volume's facts for every letter.
void TreeSeed(const std::string& name, zt::sim::Workstation& station) {
    Recorder recorder(station);
    const auto previous = zt::win32::SetDeviceTree(station.DeviceTreeBackend());
    zt::devices::DeviceTreeSource()->Attached();
    zt::win32::SetDeviceTree(previous);
    const zt::win32::VolumeFacts volume{u"FAT32", u"STICK", 0x1A2B3C4D, 16008523776, 15000000000};
    Write("device_tree", name,
          zt::fuzz::tree_input::Written(station.Tree().Nodes()) + zt::fuzz::tree_input::Written(volume) +
              recorder.answers);
}

// The inventories and the device tree of a workstation holding every device the world
// describes.
void InventorySeeds(const std::string& name, const zt::testkit::World& world) {
    zt::sim::Workstation station;
    std::string registry;
    for (const zt::testkit::WorldDevice& device : world.devices) {
        try {
            std::visit([&](const auto& d) { station.Attach(d); }, device.device);
        } catch (const std::invalid_argument&) {
            continue;  // collides with another device of the world: left out
        }
        const auto* serial = std::get_if<zt::sim::SerialDevice>(&device.device);
        for (const zt::sim::SerialPort& port : serial ? serial->ports : std::vector<zt::sim::SerialPort>{}) {
            const std::string data(reinterpret_cast<const char*>(port.name.c_str()),
                                   (port.name.size() + 1) * sizeof(char16_t));
            registry += ToUtf8(port.registryValueName) + '\0' + Bytes<std::uint32_t>(1) +
                        Bytes<std::uint16_t>(static_cast<std::uint16_t>(data.size())) + data;
        }
    }
    Write("serial_map", name, std::string(1, '\1') + registry);
    TreeSeed(name, station);
    for (std::uint8_t inquiry = 0; inquiry < 3; ++inquiry) {
        Recorder recorder(station);
        zt_usb_detector::TZtUsbDetector detector;
        if (inquiry == 0) detector.GetAvailableComPortsEx();
        if (inquiry == 1) detector.CheckUSBasp();
        if (inquiry == 2) detector.GetAvailableVolumens();
        const std::string seed = name + "-" + std::to_string(inquiry);
        Write("wmi_texts", seed, std::string(1, static_cast<char>(inquiry)) + recorder.answers);
        WriteQueriesAndTexts(seed, recorder);
    }
}

// Each device's arrival as the component hears it, with the answers its inquiries get.
void ArrivalSeeds(const std::string& name, const zt::testkit::World& world) {
    for (const zt::testkit::WorldDevice& device : world.devices) {
        zt::sim::Workstation station;
        std::visit([&](const auto& d) { station.Attach(d); }, device.device);
        const auto records = std::visit([](const auto& d) { return Arrival(d); }, device.device);
        if (records.empty()) continue;
        std::string input(1, static_cast<char>(records.size() - 1));
        for (const zt::world::Record& record : records) {
            input += Bytes<std::uint16_t>(0) + Bytes<std::uint16_t>(static_cast<std::uint16_t>(record.size()));
            input.append(record.begin(), record.end());
        }
        Recorder recorder(station);
        {
            zt_usb_detector::TZtUsbDetector detector;
            for (const zt::world::Record& record : records) zt::world::BroadcastDeviceChange(DBT_DEVICEARRIVAL, record);
            zt::host::ProcessMessages();
        }
        Write("broadcast", name + "-" + device.id, input + recorder.answers);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: fuzz_seeds CORPUS_DIR WORLD_FILE...\n");
        return 2;
    }
    zt::fuzz::SilenceDialogs();
    corpus = argv[1];
    std::vector<std::pair<std::string, zt::testkit::World>> worlds{{"builtin", zt::testkit::DefaultWorld()}};
    for (int i = 2; i < argc; ++i) {
        const fs::path file = argv[i];
        std::ifstream in(file, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        Write("world", file.stem().string(), text);
        try {
            worlds.emplace_back(file.stem().string(), zt::testkit::ParseWorld(text, file.string()));
        } catch (const zt::testkit::WorldError&) {
            // a broken world is a seed for the parser only
        }
    }
    for (const auto& [name, world] : worlds) {
        InventorySeeds(name, world);
        ArrivalSeeds(name, world);
    }
    // Foreign messages: a request number with a stale pointer, a bare device change, a pump.
    Write("requests", "foreign", std::string(1, '\0') + Bytes<std::uint64_t>(0x1234) + Bytes<std::uint64_t>(0) +
                                     std::string(1, '\1') + Bytes<std::uint64_t>(DBT_DEVICEARRIVAL) +
                                     Bytes<std::uint64_t>(0) + std::string(1, '\3') + std::string(16, '\0'));
    return 0;
}
