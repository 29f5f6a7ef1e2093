#include "tools/ztusbmon/find.h"

#include <charconv>

#include "tools/ztusbmon/shown_argument.h"

namespace ztusbmon {
namespace {

// The longest wait a script may ask: a day.
constexpr unsigned long kLongestWaitSeconds = 86400;

template <typename Number>
Number NumberOf(const std::string& option, const std::string& text, int base, Number most) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || value > most) {
        throw FindUsageError(option + " takes " + (base == 16 ? "four hex digits, such as 0403" : "a number") +
                             ", not " + ShownArgument(text));
    }
    return value;
}

}  // namespace

FindOptions ParseFind(const std::vector<std::string>& arguments) {
    FindOptions options;
    bool criterion = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const auto value = [&]() -> const std::string& {
            if (++i == arguments.size()) throw FindUsageError(option + " needs a value");
            return arguments[i];
        };
        if (option == "--vid") {
            options.match.vendorId = NumberOf<std::uint16_t>(option, value(), 16, 0xFFFF);
        } else if (option == "--pid") {
            options.match.productId = NumberOf<std::uint16_t>(option, value(), 16, 0xFFFF);
        } else if (option == "--serial") {
            options.match.serial = value();
        } else if (option == "--location") {
            options.match.location = value();
        } else if (option == "--index") {
            options.match.index = NumberOf<std::size_t>(option, value(), 10, 1000);
            continue;
        } else if (option == "--wait") {
            options.wait = std::chrono::seconds(NumberOf<unsigned long>(option, value(), 10, kLongestWaitSeconds));
            continue;
        } else if (option == "--port" || option == "--volume") {
            if (options.face != FindOptions::Face::Record) throw FindUsageError("--port and --volume exclude each other");
            options.face = option == "--port" ? FindOptions::Face::Port : FindOptions::Face::Volume;
            continue;
        } else {
            throw FindUsageError("find does not take " + ShownArgument(option));
        }
        criterion = true;
    }
    if (!criterion) throw FindUsageError("find needs --vid, --pid, --serial or --location");
    return options;
}

std::optional<std::string> FaceOf(const zt::devices::UsbDevice& device, FindOptions::Face face) {
    if (face == FindOptions::Face::Port) {
        if (device.ports.empty()) return std::nullopt;
        const auto& port = device.ports.front();
        return port.path.empty() ? port.name : port.path;
    }
    for (const auto& volume : device.volumes) {
        if (!volume.mountPoint.empty()) return volume.mountPoint;
        if (!volume.letter.empty()) return volume.letter;
    }
    return std::nullopt;
}

}  // namespace ztusbmon
