// Plugs a simulated FTDI adapter and expects to hear of it, with IDs the helpers read and no
// file behind the simulated port (on Windows the path every COM port has): exit 0 when all holds.
#include <cstdio>

#include "ztusb/detector/port_path.h"
#include "ztusb/detector/usb_id.h"
#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/host/application.h"
#include "ztusb/sim/workstation.h"
#include "ztusb/udev/machine.h"
#include "ztusb/wmi/ZtWmiU.h"

int main() {
    zt::sim::Workstation station;
    ZtWmiU::SetWmiBackend(station.WmiBackend());
    zt_usb_detector::TZtUsbDetector detector;
    bool heard = false;
    detector.OnNewComInfo = [&](zt::host::TObject*, std::vector<zt_usb_detector::TZtComInfo> ports,
                                std::int32_t count) {
        const zt_usb_detector::TZtComInfo& port = ports.at(0);
        std::printf("%s %d\n", zt::host::ToUtf8(port.sPort).c_str(), count);
        heard = count == 1 && zt_usb_detector::UsbIdNumber(port.VID) == 0x0403 &&
                zt_usb_detector::UsbIdNumber(port.PID) == 0x6001 &&
                (zt_usb_detector::PortPath(port.sPort).empty() || zt_usb_detector::PortPath(port.sPort) == u"\\\\.\\COM5");
    };
    station.Plug(zt::sim::FtdiAdapter(u"FT12AB34", u"COM5"));
    zt::host::ProcessMessages();
    // The udev component links; where its state would go is all this host asks of it, by the
    // name a 1.x host wrote.
    const bool machine = !zt::sim::DefaultDeviceNamesFile().empty();
    return heard && machine ? 0 : 1;
}
