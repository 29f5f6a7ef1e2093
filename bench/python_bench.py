"""The Python package's figures, as medians: ports() of a world of 1,000 simulated adapters
(bench/c_api_bench.cpp writes it), and, run under umockdev-wrapper with --uevent, the time from
an adapter's uevent to events() yielding its arrival (its faces settled: a quarter second of
quiet is part of it).

    ZTUSB_LIBRARY=build/release/ztusb/libztusb.so.1 PYTHONPATH=python python3 bench/python_bench.py
    ... umockdev-wrapper python3 bench/python_bench.py --uevent tests/udev
"""

import os
import statistics
import sys
import tempfile
import time

import ztusb


def ports_of_a_thousand(runs=20):
    world = os.path.join(tempfile.gettempdir(), "zt-bench-1000-ports.json")
    with ztusb.open_world(world) as context:
        times = []
        for _ in range(runs):
            start = time.perf_counter()
            count = len(context.ports())
            times.append(time.perf_counter() - start)
    print(f"ports() of {count} ports: median {statistics.median(times) * 1000:.1f} ms over {runs} runs")


# Serial adapters and boards of tests/udev, each plugged once (umockdev cannot add a device
# again where one was removed), with their USB devices' sysfs paths.
ADAPTERS = {"ft232r": "1-2", "composite_cdc": "1-5", "ft2232": "1-3"}


def uevent_to_event(devices):
    import gi
    gi.require_version("UMockdev", "1.0")
    from gi.repository import UMockdev

    bed = UMockdev.Testbed.new()
    bed.add_from_file(os.path.join(devices, "host_controller.umockdev"))
    times = []
    with ztusb.Context() as machine:
        for name, port in ADAPTERS.items():
            bed.add_from_file(os.path.join(devices, name + ".umockdev"))
            start = time.perf_counter()
            bed.uevent("/sys/devices/pci0000:00/0000:00:14.0/usb1/" + port, "add")
            event = next(machine.events(timeout=5))
            times.append(time.perf_counter() - start)
            assert event.kind == "arrival" and event.device.location.startswith(port), event
    print(f"uevent to events(): median {statistics.median(times) * 1000:.1f} ms over {len(times)} devices"
          f" (each: {', '.join(f'{t * 1000:.0f}' for t in times)} ms)")


if __name__ == "__main__":
    if len(sys.argv) > 2 and sys.argv[1] == "--uevent":
        uevent_to_event(sys.argv[2])
    else:
        ports_of_a_thousand()
