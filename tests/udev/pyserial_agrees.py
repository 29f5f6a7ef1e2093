"""pyserial, which reads sysfs its own way, finds in a umockdev testbed the same ports with the
same USB facts as the package's device records (ztusbmon --json devices)."""
import json
import subprocess
import sys

from serial.tools import list_ports


def main(monitor):
    found = {port.device: port for port in list_ports.comports()}
    records = [json.loads(line) for line in
               subprocess.run([monitor, "--json", "devices"], check=True, capture_output=True,
                              text=True).stdout.splitlines()]
    ours = {port["path"]: (device, port) for device in records for port in device["ports"]}
    problems = []
    if not found:
        problems.append("pyserial finds no port")
    if set(found) != set(ours):
        problems.append("ports: pyserial %s, ours %s" % (sorted(found), sorted(ours)))
    for path, peer in sorted(found.items()):
        if path not in ours:
            continue
        device, _ = ours[path]
        theirs = (peer.vid, peer.pid, peer.serial_number, (peer.location or "").split(":")[0])
        mine = (device["vendor_id"], device["product_id"], device["serial"], device["location"])
        if theirs != mine:
            problems.append("%s: pyserial %s, ours %s" % (path, theirs, mine))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
