// WMI object texts, as a device could make them, through every inquiry that reads them: the
// COM port records, the USBasp check and the volume inventory with its association walk.
#include "ztusb/detector/zt_usb_detector.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool silenced = (zt::fuzz::SilenceDialogs(), true);
    (void)silenced;
    zt::fuzz::FuzzInput input(data, size);
    const std::uint8_t inquiry = input.Take<std::uint8_t>();
    zt::fuzz::ServedAnswers served(zt::fuzz::AsText(input.Rest()));
    zt_usb_detector::TZtUsbDetector detector;
    switch (inquiry % 3) {
        case 0: {
            const std::int32_t count = detector.GetAvailableComPortsEx();
            zt::fuzz::Require(count >= 0 && static_cast<std::size_t>(count) <= detector.ZtComInfo.size(),
                              "the port count stays within the records");
            break;
        }
        case 1:
            detector.CheckUSBasp();
            break;
        default: {
            const std::int32_t count = detector.GetAvailableVolumens();
            zt::fuzz::Require(count >= 0 && static_cast<std::size_t>(count) <= detector.ZtAllVolInfo.size(),
                              "the volume count stays within the records");
        }
    }
    return 0;
}
