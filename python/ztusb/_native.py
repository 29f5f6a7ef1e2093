"""The C interface's library and structs, as ctypes declares them (ztusb/ztusb.h)."""

import ctypes
import ctypes.util
import os
import sys
from pathlib import Path

c_char_p = ctypes.c_char_p
c_int32 = ctypes.c_int32
c_size_t = ctypes.c_size_t


class Port(ctypes.Structure):
    _fields_ = [("name", c_char_p), ("path", c_char_p), ("interface_number", c_int32), ("channel", ctypes.c_char)]


class Disk(ctypes.Structure):
    _fields_ = [("id", c_char_p), ("lun", ctypes.c_uint16), ("caption", c_char_p)]


class Volume(ctypes.Structure):
    _fields_ = [("letter", c_char_p), ("mount_point", c_char_p), ("file_system", c_char_p),
                ("size", ctypes.c_int64), ("free_space", ctypes.c_int64), ("label", c_char_p),
                ("serial", c_char_p), ("lun", ctypes.c_uint16), ("drive_caption", c_char_p),
                ("device", c_char_p)]


class D2xxEntry(ctypes.Structure):
    _fields_ = [("index", ctypes.c_uint32), ("serial", c_char_p), ("location_id", ctypes.c_uint32),
                ("description", c_char_p)]


class Device(ctypes.Structure):
    _fields_ = [("vendor_id", ctypes.c_uint16), ("product_id", ctypes.c_uint16), ("serial", c_char_p),
                ("manufacturer", c_char_p), ("product", c_char_p), ("location", c_char_p), ("hub", c_char_p),
                ("name", c_char_p), ("is_hub", c_int32), ("is_usbasp", c_int32), ("instance_id", c_char_p),
                ("location_info", c_char_p), ("container_id", c_char_p),
                ("location_paths", ctypes.POINTER(c_char_p)), ("location_path_count", c_size_t),
                ("ports", ctypes.POINTER(Port)), ("port_count", c_size_t),
                ("disks", ctypes.POINTER(Disk)), ("disk_count", c_size_t),
                ("volumes", ctypes.POINTER(Volume)), ("volume_count", c_size_t),
                ("d2xx_entries", ctypes.POINTER(D2xxEntry)), ("d2xx_entry_count", c_size_t)]


class DeviceList(ctypes.Structure):
    _fields_ = [("devices", ctypes.POINTER(Device)), ("count", c_size_t)]


class ComPort(ctypes.Structure):
    _fields_ = [("name", c_char_p), ("number", c_int32), ("path", c_char_p), ("description", c_char_p),
                ("vendor_id", c_int32), ("product_id", c_int32), ("serial", c_char_p),
                ("manufacturer", c_char_p), ("chip", c_char_p), ("location", c_char_p),
                ("interface_number", c_int32)]


class ComPortList(ctypes.Structure):
    _fields_ = [("ports", ctypes.POINTER(ComPort)), ("count", c_size_t)]


class VolumeList(ctypes.Structure):
    _fields_ = [("volumes", ctypes.POINTER(Volume)), ("count", c_size_t)]


class Match(ctypes.Structure):
    _fields_ = [("vendor_id", c_int32), ("product_id", c_int32), ("serial", c_char_p),
                ("location", c_char_p), ("index", ctypes.c_uint32)]


class Event(ctypes.Structure):
    _fields_ = [("kind", c_int32), ("device", Device)]


SUCCESS = 0
ERROR_TIMEOUT = -4

_LIBRARY_NAMES = {"win32": "ztusb.dll", "darwin": "libztusb.1.dylib"}


def _candidates():
    """Where the library may be: named by ZTUSB_LIBRARY, beside an installed package, or
    where the system's loader looks."""
    named = os.environ.get("ZTUSB_LIBRARY")
    if named:
        yield named
        return
    name = _LIBRARY_NAMES.get(sys.platform, "libztusb.so.1")
    here = Path(__file__).resolve().parent
    # Installed as <prefix>/<libdir>/python3/dist-packages/ztusb beside <prefix>/<libdir>/,
    # and on Windows beside <prefix>/bin/.
    for folder in (here, here.parents[2], here.parents[3] / "bin"):
        if (folder / name).exists():
            yield str(folder / name)
    found = ctypes.util.find_library("ztusb")
    yield found or name


def _load():
    errors = []
    for candidate in _candidates():
        try:
            return ctypes.CDLL(candidate)
        except OSError as error:
            errors.append(f"{candidate}: {error}")
    raise ImportError("the ztusb library was not found (set ZTUSB_LIBRARY to its file): " + "; ".join(errors))


def _declare(lib):
    Context = ctypes.c_void_p
    signatures = {
        "ztusb_last_error": (c_char_p, []),
        "ztusb_version": (c_char_p, []),
        "ztusb_open": (ctypes.c_int, [ctypes.POINTER(Context)]),
        "ztusb_open_world": (ctypes.c_int, [c_char_p, ctypes.POINTER(Context)]),
        "ztusb_close": (None, [Context]),
        "ztusb_world_plug": (ctypes.c_int, [Context, c_char_p]),
        "ztusb_world_unplug": (ctypes.c_int, [Context, c_char_p]),
        "ztusb_devices": (ctypes.c_int, [Context, ctypes.POINTER(ctypes.POINTER(DeviceList))]),
        "ztusb_free_device_list": (None, [ctypes.POINTER(DeviceList)]),
        "ztusb_com_ports": (ctypes.c_int, [Context, ctypes.POINTER(ctypes.POINTER(ComPortList))]),
        "ztusb_free_com_port_list": (None, [ctypes.POINTER(ComPortList)]),
        "ztusb_volumes": (ctypes.c_int, [Context, ctypes.POINTER(ctypes.POINTER(VolumeList))]),
        "ztusb_free_volume_list": (None, [ctypes.POINTER(VolumeList)]),
        "ztusb_wait_for": (ctypes.c_int, [Context, ctypes.POINTER(Match), c_int32,
                                          ctypes.POINTER(ctypes.POINTER(Device))]),
        "ztusb_free_device": (None, [ctypes.POINTER(Device)]),
        "ztusb_next_event": (ctypes.c_int, [Context, c_int32, ctypes.POINTER(ctypes.POINTER(Event))]),
        "ztusb_free_event": (None, [ctypes.POINTER(Event)]),
        "ztusb_event_descriptor": (ctypes.c_ssize_t, [Context]),
    }
    for name, (result, arguments) in signatures.items():
        function = getattr(lib, name)
        function.restype = result
        function.argtypes = arguments
    return lib


lib = _declare(_load())
