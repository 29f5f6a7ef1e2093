#pragma once
// Where the udev source takes the monitor's events from: udev's own call, or one a test puts
// in its place to have the monitor report events lost to a full socket, which no testbed can.

struct udev_device;
struct udev_monitor;

namespace zt::udev {

using MonitorReceive = udev_device* (*)(udev_monitor* monitor);

// The next event, as udev_monitor_receive_device gives it: nothing, with errno, when none is
// waiting or some were lost (ENOBUFS).
udev_device* ReceiveFromMonitor(udev_monitor* monitor);

// Puts `receive` in the place of the call in use; returns that one.
MonitorReceive ReplaceMonitorReceive(MonitorReceive receive);

}  // namespace zt::udev
