"""The Python package on this machine as udev shows it, run under umockdev-wrapper: an FT232R
and a board with a port and a disk are plugged in, waited for and heard."""

import os
import unittest

import gi

gi.require_version("UMockdev", "1.0")
from gi.repository import UMockdev  # noqa: E402

import ztusb  # noqa: E402

DEVICES = os.environ["ZT_UDEV_DEVICES"]
USB1 = "/sys/devices/pci0000:00/0000:00:14.0/usb1/"
ST_LINK = "066CFF515570514867145144"


class ThisMachine(unittest.TestCase):
    def setUp(self):
        self.bed = UMockdev.Testbed.new()
        self.bed.add_from_file(os.path.join(DEVICES, "host_controller.umockdev"))
        self.machine = ztusb.Context()
        self.addCleanup(self.machine.close)

    def plug(self, name, port):
        self.bed.add_from_file(os.path.join(DEVICES, name + ".umockdev"))
        self.bed.uevent(USB1 + port, "add")

    def unplug(self, port):
        self.bed.uevent(USB1 + port, "remove")
        self.bed.remove_device(USB1 + port)

    def test_devices_plugged_in_are_waited_for_with_their_faces(self):
        self.assertIsNone(self.machine.wait_for(vid=0x0403, timeout=0))
        self.plug("ft232r", "1-2")
        adapter = self.machine.wait_for(vid=0x0403, pid=0x6001, timeout=5)
        self.assertIsNotNone(adapter)
        self.assertEqual((adapter.serial, adapter.location), ("A50285BI", "1-2"))
        self.assertEqual([p.path for p in adapter.ports], ["/dev/ttyUSB0"])
        port = {p.path: p for p in self.machine.ports()}["/dev/ttyUSB0"]
        self.assertEqual((port.vid, port.pid, port.serial, port.location), (0x0403, 0x6001, "A50285BI", "1-2"))

        self.plug("stlink", "1-7")
        # Its disk holds a volume nobody mounts here: the board comes once the hold passed.
        board = self.machine.wait_for(serial=ST_LINK, timeout=8)
        self.assertIsNotNone(board)
        self.assertEqual([(p.path, p.interface) for p in board.ports], [("/dev/ttyACM1", 2)])
        self.assertEqual([d.caption for d in board.disks], ["MBED microcontroller"])

        arrivals = [(e.kind, e.device.location) for e in self.machine.events(timeout=1)]
        self.assertEqual(arrivals, [("arrival", "1-2"), ("arrival", "1-7")])
        self.unplug("1-7")
        removal = self.machine.next_event(timeout=5)
        self.assertEqual((removal.kind, removal.device.serial), ("removal", ST_LINK))
        self.unplug("1-2")
        removal = self.machine.next_event(timeout=5)
        self.assertEqual((removal.kind, removal.device.serial), ("removal", "A50285BI"))


if __name__ == "__main__":
    unittest.main()
