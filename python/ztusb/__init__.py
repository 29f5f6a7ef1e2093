"""Which USB devices come and go, and what they are: COM ports, volumes, and each USB device
with all its faces.

    import ztusb

    for port in ztusb.ports():
        print(port.name, port.path, port.vid, port.pid, port.serial)

    adapter = ztusb.wait_for(vid=0x0403, pid=0x6001, timeout=10)
    if adapter:
        print(adapter.ports[0].path)

    for event in ztusb.events():
        print(event.kind, event.device.location, [p.name for p in event.device.ports])

The module's functions read this machine. A world file or a recording (the monitor's
formats), for tests, is a context of its own:

    with ztusb.open_world("desk.json") as world:
        world.plug("ftdi")
        print(world.wait_for(serial="A50285BI", timeout=5))
"""

from __future__ import annotations

import atexit
import ctypes
import threading
import time
from dataclasses import dataclass, field
from typing import Iterator, List, Optional, Tuple

from . import _native
from ._native import lib

__all__ = [
    "ComPort", "Context", "D2xxEntry", "Device", "Disk", "Error", "Event", "Port", "Volume",
    "devices", "events", "open_world", "ports", "version", "volumes", "wait_for",
]


class Error(Exception):
    """A failure of the library: its message, and its code (ztusb.h's ZTUSB_ERROR_*)."""

    def __init__(self, code: int, message: str):
        super().__init__(message)
        self.code = code


def _text(value: Optional[bytes]) -> str:
    return value.decode("utf-8", "replace") if value else ""


def _checked(code: int) -> None:
    if code != _native.SUCCESS:
        raise Error(code, _text(lib.ztusb_last_error()))


@dataclass(frozen=True)
class Port:
    """A serial port of a USB device."""
    name: str                        # COM5
    path: str                        # /dev/ttyUSB0, \\.\COM5; "" for a simulated port
    interface: Optional[int] = None  # the USB interface that carries it
    channel: Optional[str] = None    # an FTDI chip's channel: "A", "B", ...


@dataclass(frozen=True)
class Disk:
    id: str
    lun: int
    caption: str


@dataclass(frozen=True)
class Volume:
    letter: str        # E: ; "" for a volume without one
    mount_point: str   # where Linux mounted it
    file_system: str
    size: int          # bytes; -1 when the system's text was no number
    free_space: int
    label: str
    serial: str
    lun: int
    drive_caption: str
    device: str        # the name of the USB device it belongs to


@dataclass(frozen=True)
class D2xxEntry:
    index: int
    serial: str
    location_id: int
    description: str


@dataclass(frozen=True)
class Device:
    """One physical USB device, a composite one included, with all its faces."""
    vid: int
    pid: int
    serial: Optional[str]
    manufacturer: str
    product: str
    location: str   # 1-4.2: port 2 of the hub on port 4 of bus 1
    hub: str        # its hub's location; "" on a root port
    name: str       # the detector's name for it: its serial, or Windows' instance
    is_hub: bool = False
    is_usbasp: bool = False
    instance_id: str = ""
    location_info: str = ""
    container_id: str = ""
    location_paths: Tuple[str, ...] = ()
    ports: Tuple[Port, ...] = ()
    disks: Tuple[Disk, ...] = ()
    volumes: Tuple[Volume, ...] = ()
    d2xx: Tuple[D2xxEntry, ...] = ()


@dataclass(frozen=True)
class ComPort:
    """A COM port of the system, USB or not, like pyserial's ListPortInfo."""
    name: str
    number: int
    path: str
    description: str
    vid: Optional[int]
    pid: Optional[int]
    serial: str
    manufacturer: str
    chip: str
    location: str
    interface: Optional[int]

    @property
    def device(self) -> str:
        """What to open: the path where there is one, else the name."""
        return self.path or self.name


@dataclass(frozen=True)
class Event:
    kind: str   # "arrival", "removal" or "change"
    device: Device


_KINDS = {1: "arrival", 2: "removal", 3: "change"}


def _optional(value: int) -> Optional[int]:
    return None if value < 0 else value


def _items(pointer, count: int) -> list:
    return [pointer[i] for i in range(count)]


def _volume(v) -> Volume:
    return Volume(_text(v.letter), _text(v.mount_point), _text(v.file_system), v.size, v.free_space,
                  _text(v.label), _text(v.serial), v.lun, _text(v.drive_caption), _text(v.device))


def _port(p) -> Port:
    channel = p.channel.decode("ascii") if p.channel not in (b"", b"\0") else None
    return Port(_text(p.name), _text(p.path), _optional(p.interface_number), channel)


def _device(d) -> Device:
    return Device(
        vid=d.vendor_id, pid=d.product_id, serial=_text(d.serial) if d.serial is not None else None,
        manufacturer=_text(d.manufacturer), product=_text(d.product), location=_text(d.location),
        hub=_text(d.hub), name=_text(d.name), is_hub=bool(d.is_hub), is_usbasp=bool(d.is_usbasp),
        instance_id=_text(d.instance_id), location_info=_text(d.location_info),
        container_id=_text(d.container_id),
        location_paths=tuple(_text(p) for p in _items(d.location_paths, d.location_path_count)),
        ports=tuple(_port(p) for p in _items(d.ports, d.port_count)),
        disks=tuple(Disk(_text(k.id), k.lun, _text(k.caption)) for k in _items(d.disks, d.disk_count)),
        volumes=tuple(_volume(v) for v in _items(d.volumes, d.volume_count)),
        d2xx=tuple(D2xxEntry(e.index, _text(e.serial), e.location_id, _text(e.description))
                   for e in _items(d.d2xx_entries, d.d2xx_entry_count)))


def _com_port(p) -> ComPort:
    return ComPort(_text(p.name), p.number, _text(p.path), _text(p.description), _optional(p.vendor_id),
                   _optional(p.product_id), _text(p.serial), _text(p.manufacturer), _text(p.chip),
                   _text(p.location), _optional(p.interface_number))


_SLICE_MS = 500


def _slices(timeout: Optional[float]) -> Iterator[int]:
    """A wait's timeout (seconds; None: without end) as waits of at most half a second each:
    the library's calls hold the interpreter's signals back until they return."""
    if timeout is None:
        while True:
            yield _SLICE_MS
    deadline = time.monotonic() + max(0.0, timeout)
    while True:
        left_ms = int((deadline - time.monotonic()) * 1000)
        yield max(0, min(left_ms, _SLICE_MS))
        if left_ms <= _SLICE_MS:
            return


def _waited(call, timeout: Optional[float]) -> bool:
    """Runs a waiting call of the library slice by slice: True once it found what it waited
    for, False at the timeout; a failure raises."""
    for slice_ms in _slices(timeout):
        code = call(slice_ms)
        if code != _native.ERROR_TIMEOUT:
            _checked(code)
            return True
    return False


def _encoded(text: Optional[str]) -> Optional[bytes]:
    return None if text is None else text.encode("utf-8")


class Context:
    """The detector on a thread of its own, reading this machine or a world file. Every
    method may be called from any thread."""

    def __init__(self, world: Optional[str] = None):
        handle = ctypes.c_void_p()
        if world is None:
            _checked(lib.ztusb_open(ctypes.byref(handle)))
        else:
            _checked(lib.ztusb_open_world(str(world).encode("utf-8"), ctypes.byref(handle)))
        self._handle = handle

    def close(self) -> None:
        if self._handle:
            lib.ztusb_close(self._handle)
            self._handle = ctypes.c_void_p()

    def __del__(self) -> None:
        try:
            self.close()
        except Exception:  # the interpreter is going: the library may be gone before it
            pass

    def __enter__(self) -> "Context":
        return self

    def __exit__(self, *_exc) -> None:
        self.close()

    def _open(self) -> ctypes.c_void_p:
        if not self._handle:
            raise Error(-1, "the context is closed")
        return self._handle

    def _list(self, call, free, items: str, convert) -> list:
        pointer = ctypes.POINTER(call.argtypes[1]._type_._type_)()
        _checked(call(self._open(), ctypes.byref(pointer)))
        try:
            listed = pointer.contents
            return [convert(item) for item in _items(getattr(listed, items), listed.count)]
        finally:
            free(pointer)

    def devices(self) -> List[Device]:
        """The USB devices attached now, hubs included, in location order."""
        return self._list(lib.ztusb_devices, lib.ztusb_free_device_list, "devices", _device)

    def ports(self) -> List[ComPort]:
        """The COM ports, USB or not."""
        return self._list(lib.ztusb_com_ports, lib.ztusb_free_com_port_list, "ports", _com_port)

    def volumes(self) -> List[Volume]:
        """The volumes of removable drives."""
        return self._list(lib.ztusb_volumes, lib.ztusb_free_volume_list, "volumes", _volume)

    def wait_for(self, vid: Optional[int] = None, pid: Optional[int] = None, serial: Optional[str] = None,
                 location: Optional[str] = None, index: int = 0,
                 timeout: Optional[float] = None) -> Optional[Device]:
        """The matching device, at once when it is attached, otherwise once it arrived with its
        faces settled; None when the timeout (seconds; None: without end) passed."""
        match = _native.Match(-1 if vid is None else vid, -1 if pid is None else pid, _encoded(serial),
                              _encoded(location), index)
        found = ctypes.POINTER(_native.Device)()
        if not _waited(lambda ms: lib.ztusb_wait_for(self._open(), ctypes.byref(match), ms, ctypes.byref(found)),
                       timeout):
            return None
        try:
            return _device(found.contents)
        finally:
            lib.ztusb_free_device(found)

    def next_event(self, timeout: Optional[float] = 0) -> Optional[Event]:
        """The oldest event, waiting up to the timeout (seconds; None: without end); None when
        none came."""
        taken = ctypes.POINTER(_native.Event)()
        if not _waited(lambda ms: lib.ztusb_next_event(self._open(), ms, ctypes.byref(taken)), timeout):
            return None
        try:
            return Event(_KINDS.get(taken.contents.kind, "change"), _device(taken.contents.device))
        finally:
            lib.ztusb_free_event(taken)

    def events(self, timeout: Optional[float] = None) -> Iterator[Event]:
        """Each device arrival, removal and change from now on; the iteration ends once no event
        came for the timeout (None: it never ends)."""
        while True:
            event = self.next_event(timeout)
            if event is None:
                return
            yield event

    def fileno(self) -> int:
        """What selectors and asyncio watch: readable while an event is waiting (on Windows an
        event HANDLE, signalled likewise)."""
        return lib.ztusb_event_descriptor(self._open())

    def plug(self, device_id: str) -> None:
        """A world file's device, by its id, plugged in."""
        _checked(lib.ztusb_world_plug(self._open(), device_id.encode("utf-8")))

    def unplug(self, device_id: str) -> None:
        _checked(lib.ztusb_world_unplug(self._open(), device_id.encode("utf-8")))


def open_world(path: str) -> Context:
    """A context on the world a file describes: simulated devices, or a recorded machine. One
    world at a time in a process, and no context on this machine beside it."""
    return Context(path)


_machine: Optional[Context] = None
_machine_lock = threading.Lock()


def _this_machine() -> Context:
    global _machine
    with _machine_lock:
        if _machine is None:
            _machine = Context()
        return _machine


@atexit.register
def _close_this_machine() -> None:
    # Its thread ends before the interpreter unloads the library.
    if _machine is not None:
        _machine.close()


def ports() -> List[ComPort]:
    """This machine's COM ports, like pyserial's comports()."""
    return _this_machine().ports()


def volumes() -> List[Volume]:
    return _this_machine().volumes()


def devices() -> List[Device]:
    return _this_machine().devices()


def wait_for(vid: Optional[int] = None, pid: Optional[int] = None, serial: Optional[str] = None,
             location: Optional[str] = None, index: int = 0, timeout: Optional[float] = None) -> Optional[Device]:
    return _this_machine().wait_for(vid, pid, serial, location, index, timeout)


def events(timeout: Optional[float] = None) -> Iterator[Event]:
    return _this_machine().events(timeout)


def version() -> str:
    return _text(lib.ztusb_version())
