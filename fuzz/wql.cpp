// The simulated world's WQL: any statement over a workstation with a port and a stick, and
// the LIKE matcher on its own (value and pattern apart at the first NUL).
#include "fuzz/fuzz_input.h"
#include "ztusb/world/wql.h"
#include "ztusb/world/wql_like.h"
#include "ztusb/sim/workstation.h"

namespace {

zt::sim::Workstation& Station() {
    static zt::sim::Workstation station = [] {
        zt::sim::Workstation s;
        s.Attach(zt::sim::FtdiAdapter(u"A50285BI", u"COM5"));
        s.Attach(zt::sim::UsbStick(u"4C530001", 1,
                                   {{u"E:", u"FAT32", 16008523776, 15000000000, u"STICK", u"1A2B3C4D"}}));
        return s;
    }();
    return station;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zt::fuzz::FuzzInput input(data, size);
    const zt::host::String value = zt::fuzz::WideText(input.TakeUntil(0));
    const zt::host::String pattern = zt::fuzz::WideText(input.Rest());
    zt::world::WqlLike(value, pattern);
    const auto texts = zt::world::RunWql(Station().Cim(), value + pattern);
    if (texts) {
        for (const zt::host::String& text : *texts) {
            zt::fuzz::Require(text.starts_with(u"\ninstance of "), "every answer is an object text");
        }
    }
    return 0;
}
