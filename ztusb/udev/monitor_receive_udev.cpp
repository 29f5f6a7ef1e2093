#include "ztusb/udev/monitor_receive.h"

#include <libudev.h>

#include <atomic>

namespace zt::udev {
namespace {

std::atomic<MonitorReceive> receiveInUse{udev_monitor_receive_device};

}  // namespace

udev_device* ReceiveFromMonitor(udev_monitor* monitor) { return receiveInUse.load()(monitor); }

MonitorReceive ReplaceMonitorReceive(MonitorReceive receive) { return receiveInUse.exchange(receive); }

}  // namespace zt::udev
