// The registry's serial-port map as another program could leave it: any value names, types
// and data, read by the port list with and without names.
#include "ztusb/detector/zt_usb_detector.h"
#include "fuzz/fuzz_input.h"
#include "ztusb/world/registry.h"

namespace {

// Each value: name (UTF-8 up to a NUL), type (4 bytes), data length (2 bytes), data.
std::vector<zt::host::String> WriteValues(zt::fuzz::FuzzInput& input) {
    std::vector<zt::host::String> names;
    while (!input.Empty()) {
        const zt::host::String name = zt::fuzz::WideText(input.TakeUntil(0));
        const auto type = input.Take<std::uint32_t>();
        const auto data = input.TakeBytes(input.Take<std::uint16_t>());
        zt::world::SetRegistryValue(zt::world::kSerialCommKey, name, type,
                                  std::vector<zt::win32::BYTE>(data.begin(), data.end()));
        names.push_back(name);
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool silenced = (zt::fuzz::SilenceDialogs(), true);
    (void)silenced;
    zt::fuzz::FuzzInput input(data, size);
    const bool withNames = input.Take<std::uint8_t>() & 1;
    const std::vector<zt::host::String> names = WriteValues(input);
    {
        zt_usb_detector::TZtUsbDetector detector;
        zt::host::TStringList ports;
        detector.GetAvailableComPorts(ports, withNames);
        zt::fuzz::Require(static_cast<std::size_t>(ports.Count()) <= names.size(),
                          "no more ports than values");
    }
    zt::world::DeleteRegistryKey(zt::world::kSerialCommKey);
    return 0;
}
