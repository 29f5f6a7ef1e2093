// Plugs a simulated FTDI adapter and expects to hear of it: exit 0 when it did.
#include <cstdio>

#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/host/application.h"
#include "ztusb/sim/workstation.h"
#include "ztusb/wmi/ZtWmiU.h"

int main() {
    zt::sim::Workstation station;
    ZtWmiU::SetWmiBackend(station.WmiBackend());
    zt_usb_detector::TZtUsbDetector detector;
    int details = 0;
    detector.OnNewComInfo = [&](zt::host::TObject*, std::vector<zt_usb_detector::TZtComInfo> ports,
                                std::int32_t count) {
        std::printf("%s %d\n", zt::host::ToUtf8(ports[0].sPort).c_str(), count);
        details = count;
    };
    station.Plug(zt::sim::FtdiAdapter(u"FT12AB34", u"COM5"));
    zt::host::ProcessMessages();
    return details == 1 ? 0 : 1;
}
