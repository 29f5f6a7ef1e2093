// ztusbmon: which USB devices come and go, and what they are.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>

#include "ztusb/d2xx/D2XXUnit_ZT.h"
#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/devices/devices.h"
#include "ztusb/devices/world_in_use.h"
#include "ztusb/host/application.h"
#include "ztusb/host/dialogs.h"
#include "ztusb/host/log.h"
#include "ztusb/host/shown_text.h"
#include "tools/ztusbmon/broadcast_recorder.h"
#include "tools/ztusbmon/find.h"
#include "tools/ztusbmon/interrupt.h"
#include "tools/ztusbmon/real_system.h"
#include "tools/ztusbmon/recorder.h"
#include "tools/ztusbmon/redaction.h"
#include "tools/ztusbmon/shown_argument.h"
#include "tools/ztusbmon/report.h"
#include "ztusb/testkit/world.h"
#include "ztusb/wmi/ZtWmiU.h"

namespace {

using ztusbmon::Report;
using zt::testkit::World;

constexpr char kUsage[] = R"(Usage: ztusbmon [--json] [--world FILE] COMMAND [OPTIONS]

Commands:
  ports            COM ports of the registry's serial-port map
  ports --names    the same, with the type of each port
  ports --details  COM ports that WMI knows: number, type, VID, PID, serial, manufacturer, chip
  volumes          volumes of removable and external drives
  usbasp           whether a USBasp programmer is attached
  ftdi             FTDI devices through the D2XX library
  devices          USB devices with all their faces, below their hubs: ports, disks, volumes
  find             one USB device: --vid HEX, --pid HEX, --serial TEXT, --location 1-4.2,
                   --index N among equals; prints its port's path (--port), its volume's mount
                   point or letter (--volume) or its record; --wait SECONDS for it to come
                   (exit 0 found, 1 not found or timed out)
  watch            every event as it happens, until Ctrl+C (--once: stop after the script)
  demo             a simulated workstation on which a script plugs and unplugs devices
  record           the serial-port map and WMI instances the package reads, as a world file
                   (-o FILE: into the file; --redact: serials, labels and machine name made up;
                   --watch: and every broadcast until Ctrl+C, or with --once after the script)

Options:
  --json           one JSON object per line, for scripts
  --world FILE     a simulated workstation and plug/unplug script in JSON (see the README)
  --verbose, -v    the package's log on standard error: what it asked and why it found nothing
  --help           this text

On Windows the commands read the system, on Linux this machine's devices through udev;
elsewhere, and with --world, a simulated workstation stands in.
)";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string command;
    std::string worldFile;
    std::string outputFile;
    bool json = false;
    bool verbose = false;
    bool redact = false;
    bool watch = false;
    bool names = false;
    bool details = false;
    bool once = false;
    bool help = false;
    std::vector<std::string> findArguments;  // what follows `find`
    std::optional<ztusbmon::FindOptions> find;
};

bool Allows(const std::string& command, const std::string& option) {
    if (option == "--names" || option == "--details") return command == "ports";
    if (option == "--once") return command == "watch" || command == "record";
    if (option == "-o" || option == "--redact" || option == "--watch") return command == "record";
    return false;
}

Options Parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options.command == "find") {
            options.findArguments.push_back(arg);
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
        } else if (arg == "--world") {
            if (++i == argc) throw UsageError("--world needs a file");
            options.worldFile = argv[i];
        } else if (arg == "-o") {
            if (++i == argc) throw UsageError("-o needs a file");
            options.outputFile = argv[i];
        } else if (arg == "--redact") {
            options.redact = true;
        } else if (arg == "--watch") {
            options.watch = true;
        } else if (arg == "--names" || arg == "--details" || arg == "--once") {
            options.names = options.names || arg == "--names";
            options.details = options.details || arg == "--details";
            options.once = options.once || arg == "--once";
        } else if (arg.starts_with("-")) {
            throw UsageError("unknown option " + ztusbmon::ShownArgument(arg));
        } else if (options.command == "find") {
            options.findArguments.push_back(arg);
        } else if (options.command.empty()) {
            options.command = arg;
        } else {
            throw UsageError("unexpected argument " + ztusbmon::ShownArgument(arg));
        }
    }
    if (options.help) return options;
    static const char* commands[] = {"ports", "volumes", "usbasp", "ftdi", "devices", "find", "watch", "demo", "record"};
    if (options.command.empty()) throw UsageError("no command given");
    if (std::find(std::begin(commands), std::end(commands), options.command) == std::end(commands)) {
        throw UsageError("unknown command " + ztusbmon::ShownArgument(options.command));
    }
    const std::pair<const char*, bool> given[] = {{"--names", options.names},
                                                  {"--details", options.details},
                                                  {"--once", options.once},
                                                  {"-o", !options.outputFile.empty()},
                                                  {"--redact", options.redact},
                                                  {"--watch", options.watch}};
    for (const auto& [option, present] : given) {
        if (present && !Allows(options.command, option)) {
            throw UsageError(std::string(option) + " does not go with " + options.command);
        }
    }
    if (options.names && options.details) throw UsageError("--names and --details exclude each other");
    if (options.command == "find") {
        try {
            options.find = ztusbmon::ParseFind(options.findArguments);
        } catch (const ztusbmon::FindUsageError& e) {
            throw UsageError(e.what());
        }
    }
    if (options.command == "record" && options.once && !options.watch) throw UsageError("--once goes with record --watch");
    return options;
}

// The commands that list or watch the machine's devices; ftdi asks the D2XX library.
bool ReadsDevices(const std::string& command) { return command != "ftdi"; }

class Monitor {
public:
    Monitor(const Options& options, std::optional<World> world)
        : options_(options), report_(stdout, options.json), world_(std::move(world)),
          inUse_(world_ ? std::make_unique<zt::devices::WorldInUse>(station_) : nullptr) {
        if (world_) zt::testkit::Populate(station_, *world_);
    }

    int Run() {
        const std::string& c = options_.command;
        if (c == "ports") return options_.details ? PortDetails() : Ports();
        if (c == "volumes") return Volumes();
        if (c == "usbasp") return Usbasp();
        if (c == "ftdi") return Ftdi();
        if (c == "devices") return Devices();
        if (c == "find") return Find();
        if (c == "watch") return Watch();
        if (c == "record") return Record();
        return Demo();
    }

private:
    int Ports() {
        zt::host::TStringList ports;
        detector_.GetAvailableComPorts(ports, options_.names);
        report_.Ports(ports, options_.names);
        return 0;
    }

    int PortDetails() {
        report_.PortDetails(detector_.ZtComInfo, detector_.GetAvailableComPortsEx());
        return 0;
    }

    int Volumes() {
        report_.Volumes(detector_.ZtAllVolInfo, detector_.GetAvailableVolumens());
        return 0;
    }

    int Usbasp() {
        std::optional<zt::host::String> found;
        zt_usb_detector::TZtUsbDetector checker;
        checker.OnUsbDetect = [&](zt::host::TObject*, const zt::host::String& name,
                                  const zt::host::String&, const zt::host::String&, std::int32_t) {
            found = name;
        };
        checker.CheckUSBasp();
        report_.Usbasp(found ? &*found : nullptr);
        return 0;
    }

    int Ftdi() {
        D2XXUnit_ZT::FT_Enable_Error_Report = false;  // the monitor says it in its own words
        D2XXUnit_ZT::FT_STATUS status = D2XXUnit_ZT::Create_USB_Device_List();
        if (status == 0) status = D2XXUnit_ZT::Get_USB_Device_List();
        if (status == d2xx::FT_LIBRARY_MISSING) {
            std::fprintf(stderr,
                         "ztusbmon: the FTDI D2XX library is not installed (or ZT_D2XX_LIBRARY names "
                         "a file that cannot be loaded)\n");
            return 1;
        }
        if (status != 0) {
            std::fprintf(stderr, "ztusbmon: the D2XX library failed with status %u\n", status);
            return 1;
        }
        report_.FtdiDevices(D2XXUnit_ZT::FT_DeviceInfoList);
        return 0;
    }

    int Devices() {
        report_.Devices(zt::devices::UsbDevices());
        return 0;
    }

    // Waits, when asked to, on this thread's loop: a world's script plays first.
    int Find() {
        const ztusbmon::FindOptions& find = *options_.find;
        RunScript();
        const auto device = zt::devices::WaitFor(find.match, find.wait);
        if (!device) {
            std::fprintf(stderr, "ztusbmon: no such device%s\n", find.wait.count() > 0 ? " came in time" : " is attached");
            return 1;
        }
        if (find.face == ztusbmon::FindOptions::Face::Record) {
            report_.Devices({*device});
            return 0;
        }
        const auto face = ztusbmon::FaceOf(*device, find.face);
        if (!face) {
            std::fprintf(stderr, "ztusbmon: the device has no %s\n", find.face == ztusbmon::FindOptions::Face::Port ? "port" : "volume");
            return 1;
        }
        std::printf("%s\n", face->c_str());
        return 0;
    }

    // Steps of the world's script, each followed by the message loop's work.
    void RunScript() {
        if (!world_) return;
        for (const auto& step : world_->script) {
            zt::testkit::Perform(station_, *world_, step);
            zt::host::ProcessMessages();
        }
    }

    // The script, then with --once the end; otherwise the message loop, asleep between
    // messages, until Ctrl+C. A Ctrl+C during the script ends the loop at once.
    void RunUntilInterrupted() {
        std::optional<ztusbmon::QuitOnInterrupt> quit;
        if (!options_.once) quit.emplace();
        RunScript();
        if (options_.once) return;
        zt::win32::MSG message{};
        while (zt::win32::GetMessageW(&message, nullptr, 0, 0) > 0) {
            zt::win32::TranslateMessage(&message);
            zt::win32::DispatchMessageW(&message);
        }
    }

    int Watch() {
        report_.Attach(detector_);
        RunUntilInterrupted();
        return 0;
    }

    void Inventories() {
        report_.Heading("COM ports:");
        Ports();
        report_.Heading("COM port details:");
        PortDetails();
        report_.Heading("Volumes:");
        Volumes();
    }

    int Demo() {
        report_.Heading("Before:");
        Inventories();
        report_.Heading("");
        report_.Heading("Events:");
        report_.Attach(detector_);
        RunScript();
        detector_.OnNewComInfo = nullptr;
        detector_.OnNewVolInfo = nullptr;
        report_.Heading("");
        report_.Heading("After:");
        Inventories();
        return 0;
    }

    int Record() {
        zt::testkit::Json recording = ztusbmon::RecordMachine();
        if (options_.watch) {
            ztusbmon::BroadcastRecorder recorder(recording);
            RunUntilInterrupted();
            recorder.Collect();
            recording["broadcasts"] = recorder.Broadcasts();
        }
        if (options_.redact) ztusbmon::Redact(recording);
        const std::string text = recording.dump(2) + "\n";
        if (options_.outputFile.empty()) {
            std::fwrite(text.data(), 1, text.size(), stdout);
            return 0;
        }
        std::ofstream file(options_.outputFile, std::ios::binary);
        if (!(file << text)) {
            std::fprintf(stderr, "ztusbmon: %s cannot be written\n", options_.outputFile.c_str());
            return 1;
        }
        return 0;
    }

    const Options& options_;
    Report report_;
    std::optional<World> world_;
    zt::sim::Workstation station_;
    std::unique_ptr<zt::devices::WorldInUse> inUse_;  // before the detector, which then hears the world alone
    zt_usb_detector::TZtUsbDetector detector_;
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        options = Parse(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "ztusbmon: %s\n\n%s", e.what(), kUsage);
        return 2;
    }
    if (options.help) {
        std::printf("%s", kUsage);
        return 0;
    }
    if (options.verbose) zt::host::SetLogHandler(zt::host::LogToStandardError, zt::host::LogLevel::Debug);
    // A console tool: the component's messages go to standard error, not to boxes.
    zt::host::SetShowMessageHandler([](const zt::host::String& text) {
        std::fprintf(stderr, "ztusbmon: %s\n", zt::host::ToUtf8(text).c_str());
    });
    try {
        std::optional<World> world;
        ztusbmon::RealSystemHandle system;  // outlives the monitor
        if (!options.worldFile.empty()) {
            world = zt::testkit::LoadWorld(options.worldFile);
        } else if (options.command == "demo" ||
                   (ReadsDevices(options.command) && !(system = ztusbmon::UseRealSystem()))) {
            world = zt::testkit::DefaultWorld();
        }
        return Monitor(options, std::move(world)).Run();
    } catch (const zt::testkit::WorldError& e) {
        // The message may quote the file's device texts.
        std::fprintf(stderr, "ztusbmon: %s\n", zt::host::ShownText(std::string_view(e.what())).c_str());
        return 1;
    }
}
