// Device-change broadcasts with any record a process could send to a top-level window,
// followed by the message loop, so the decoder, the arrival names and the inquiries they
// request all run, with WMI answering from the same input.
//
// Input: count (1 byte), then per broadcast: event (2 bytes), record length (2 bytes),
// record; the rest is the WMI answers.
#include <algorithm>

#include "ztusb/detector/zt_usb_detector.h"
#include "fuzz/fuzz_input.h"
#include "ztusb/world/broadcast.h"
#include "ztusb/win32/windows_names.h"

namespace {

constexpr std::uint16_t kEvents[] = {DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE, DBT_DEVICEQUERYREMOVE, 0x0007};

// The system copies a broadcast's record by the size its header declares, so a window
// never gets fewer bytes than that: the declared size is kept only where it fits.
zt::world::Record Delivered(std::span<const std::uint8_t> bytes) {
    zt::world::Record record(bytes.begin(), bytes.end());
    if (record.size() < sizeof(zt::win32::DEV_BROADCAST_HDR)) record.resize(sizeof(zt::win32::DEV_BROADCAST_HDR), 0);
    std::uint32_t declared = 0;
    std::memcpy(&declared, record.data(), sizeof declared);
    declared = std::min<std::uint32_t>(declared, static_cast<std::uint32_t>(record.size()));
    std::memcpy(record.data(), &declared, sizeof declared);
    return record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool silenced = (zt::fuzz::SilenceDialogs(), true);
    (void)silenced;
    zt::fuzz::FuzzInput input(data, size);
    const int count = 1 + input.Take<std::uint8_t>() % 4;
    std::vector<std::pair<std::uint32_t, zt::world::Record>> broadcasts;
    for (int i = 0; i < count; ++i) {
        const auto selector = input.Take<std::uint16_t>();
        const std::uint32_t event = selector < 4 ? kEvents[selector] : selector;
        broadcasts.emplace_back(event, Delivered(input.TakeBytes(input.Take<std::uint16_t>())));
    }
    zt::fuzz::ServedAnswers served(zt::fuzz::AsText(input.Rest()));
    zt_usb_detector::TZtUsbDetector detector;
    for (const auto& [event, record] : broadcasts) zt::world::BroadcastDeviceChange(event, record);
    zt::host::ProcessMessages();
    return 0;
}
