"""The Python package over a world file and a recording: records, waits, events with their
descriptor, and failures as exceptions with the library's message."""

import os
import selectors
import unittest

import ztusb

WORLDS = os.environ["ZT_TEST_WORLDS"]
BOARDS = os.path.join(WORLDS, "boards.json")
ST_LINK = "066CFF515570514867145144"


class WorldFile(unittest.TestCase):
    def setUp(self):
        self.world = ztusb.open_world(BOARDS)
        self.addCleanup(self.world.close)

    def test_devices_are_values_with_their_faces(self):
        by_location = {d.location: d for d in self.world.devices()}
        self.assertEqual(len(by_location), 8)
        ch340 = by_location["1-4.1"]
        self.assertEqual((ch340.vid, ch340.pid, ch340.serial, ch340.hub), (0x1A86, 0x7523, None, "1-4"))
        self.assertEqual([p.name for p in ch340.ports], ["COM3"])
        ft2232 = by_location["1-4.3"]
        self.assertEqual([(p.name, p.channel) for p in ft2232.ports], [("COM5", "A"), ("COM6", "B")])
        modem = by_location["2-1"]
        self.assertEqual([p.interface for p in modem.ports], [2, 3, 12, 13])

    def test_ports_name_their_device_as_the_device_records_do(self):
        port = {p.name: p for p in self.world.ports()}["COM3"]
        self.assertEqual((port.vid, port.pid, port.location), (0x1A86, 0x7523, "1-4.1"))
        ch340 = next(d for d in self.world.devices() if d.location == "1-4.1")
        self.assertEqual(port.serial, ch340.name)

    def test_a_board_is_waited_for_heard_and_heard_going(self):
        selector = selectors.DefaultSelector()
        self.addCleanup(selector.close)
        selector.register(self.world.fileno(), selectors.EVENT_READ)
        self.assertEqual(selector.select(0), [])
        self.world.plug("stlink")
        board = self.world.wait_for(serial=ST_LINK, timeout=5)
        self.assertIsNotNone(board)
        self.assertEqual([(p.name, p.interface) for p in board.ports], [("COM15", 2)])
        self.assertEqual([(v.letter, v.label) for v in board.volumes], [("E:", "NODE_F446RE")])
        self.assertEqual(len(selector.select(5)), 1)
        arrival = self.world.next_event()
        self.assertEqual((arrival.kind, arrival.device), ("arrival", board))
        self.assertEqual(selector.select(0), [])
        self.assertIn("E:", [v.letter for v in self.world.volumes()])
        self.world.unplug("stlink")
        kinds = [(e.kind, e.device.serial) for e in self.world.events(timeout=2)]
        self.assertEqual(kinds, [("removal", ST_LINK)])

    def test_a_wait_ends_at_its_timeout_with_nothing(self):
        self.assertIsNone(self.world.wait_for(vid=0xDEAD, timeout=0.05))
        self.assertIsNone(self.world.next_event(timeout=0))

    def test_failures_are_exceptions_with_the_librarys_message(self):
        with self.assertRaises(ztusb.Error) as raised:
            self.world.plug("nope")
        self.assertIn("nope", str(raised.exception))
        with self.assertRaises(ztusb.Error) as raised:
            ztusb.open_world(BOARDS)
        self.assertEqual(raised.exception.code, -5)
        self.world.close()
        with self.assertRaises(ztusb.Error):
            self.world.devices()


class FilesThatAreNoWorlds(unittest.TestCase):
    def test_each_says_what_is_wrong(self):
        for name, code, said in (("no-such-world.json", -2, "cannot read"), ("syntax.json", -3, "syntax.json:")):
            with self.subTest(name), self.assertRaises(ztusb.Error) as raised:
                ztusb.open_world(os.path.join(WORLDS, name))
            self.assertEqual(raised.exception.code, code)
            self.assertIn(said, str(raised.exception))


class Recording(unittest.TestCase):
    def test_its_ports_are_the_recorded_machines(self):
        with ztusb.open_world(os.path.join(WORLDS, "recorded", "desk.json")) as desk:
            ports = desk.ports()
        self.assertEqual((ports[0].name, ports[0].vid, ports[0].pid, ports[0].chip), ("COM7", 0x0403, 0x6001, "FT232R"))


if __name__ == "__main__":
    unittest.main()
