/* Which USB devices come and go, and what they are: the package's C interface.
 *
 * A context watches one world: this machine, or a world file (simulated devices, or a
 * recorded machine) for tests. It runs the detector on a thread of its own; every call is
 * safe from any thread. Records are plain structs of UTF-8 strings and integers that the
 * library allocates and the matching ztusb_free_* call frees; a string is never NULL unless
 * its comment says so.
 *
 *     ztusb_context *ctx;
 *     if (ztusb_open(&ctx) != ZTUSB_SUCCESS) fprintf(stderr, "%s\n", ztusb_last_error());
 *     ztusb_match match = ZTUSB_MATCH_ANY;
 *     match.vendor_id = 0x0403;
 *     ztusb_device *adapter;
 *     if (ztusb_wait_for(ctx, &match, 10000, &adapter) == ZTUSB_SUCCESS) {
 *         if (adapter->port_count > 0) printf("%s\n", adapter->ports[0].path);
 *         ztusb_free_device(adapter);
 *     }
 *     ztusb_close(ctx);
 */
#ifndef ZTUSB_H
#define ZTUSB_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#  if defined(ZTUSB_BUILDING)
#    define ZTUSB_API __declspec(dllexport)
#  else
#    define ZTUSB_API __declspec(dllimport)
#  endif
#else
#  define ZTUSB_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Return codes: 0 for success, a negative number for a failure (ztusb_last_error says more). */
enum ztusb_result {
    ZTUSB_SUCCESS = 0,
    ZTUSB_ERROR_INVALID_PARAM = -1, /* a NULL where a value is needed, an unknown device id */
    ZTUSB_ERROR_IO = -2,            /* a file that cannot be read */
    ZTUSB_ERROR_BAD_WORLD = -3,     /* a world file or recording that is not valid */
    ZTUSB_ERROR_TIMEOUT = -4,       /* nothing came in time */
    ZTUSB_ERROR_BUSY = -5,          /* a world is in use by another context of the process */
    ZTUSB_ERROR_NO_MEM = -6,
    ZTUSB_ERROR_OTHER = -99
};

/* The message of the last failure on the calling thread; "" after a success. Valid until
 * the thread's next call. */
ZTUSB_API const char *ztusb_last_error(void);
/* "1.7.0", the package's version */
ZTUSB_API const char *ztusb_version(void);

typedef struct ztusb_context ztusb_context;

/* This machine's devices: Windows itself; on Linux udev (nothing, with a warning in the log,
 * where there is none; a bus that appears later is heard). */
ZTUSB_API int ztusb_open(ztusb_context **context);
/* The world a file describes (the monitor's world files and recordings), its devices present
 * from the start attached. One world at a time in a process: while it is open no other
 * context may be, and the other way round (ZTUSB_ERROR_BUSY). */
ZTUSB_API int ztusb_open_world(const char *path, ztusb_context **context);
/* Ends the context's thread and frees it, once no other call on it is running; NULL is
 * ignored. */
ZTUSB_API void ztusb_close(ztusb_context *context);

/* A world's device, by the id its file gives it, plugged in or pulled out. */
ZTUSB_API int ztusb_world_plug(ztusb_context *context, const char *id);
ZTUSB_API int ztusb_world_unplug(ztusb_context *context, const char *id);

/* ---- Records -------------------------------------------------------------------------- */

/* A serial port of a USB device. */
typedef struct ztusb_port {
    const char *name;         /* COM5 */
    const char *path;         /* the file to open: \\.\COM5, /dev/ttyUSB0; "" for a simulated port */
    int32_t interface_number; /* the USB interface that carries it; -1 unknown */
    char channel;             /* an FTDI chip's channel, 'A', 'B', ...; 0 for none */
} ztusb_port;

typedef struct ztusb_disk {
    const char *id; /* USBSTOR\DISK&VEN_...\...&0 on Windows, /dev/sdb on Linux */
    uint16_t lun;
    const char *caption;
} ztusb_disk;

typedef struct ztusb_volume {
    const char *letter;      /* E: ; "" for a volume without one */
    const char *mount_point; /* where Linux mounted it; "" elsewhere */
    const char *file_system; /* FAT32, exFAT, NTFS */
    int64_t size;            /* bytes; -1 when the system's text was no number */
    int64_t free_space;
    const char *label;
    const char *serial;        /* 1A2B3C4D */
    uint16_t lun;              /* of the disk it sits on */
    const char *drive_caption; /* that disk's caption */
    const char *device;        /* the name of the USB device it belongs to; "" unknown */
} ztusb_volume;

/* An FTDI chip's entry in the D2XX library's list. */
typedef struct ztusb_d2xx_entry {
    uint32_t index;
    const char *serial; /* with the channel letter: FT5Y6HVEA */
    uint32_t location_id;
    const char *description;
} ztusb_d2xx_entry;

/* One physical USB device, a composite one included, with all its faces. */
typedef struct ztusb_device {
    uint16_t vendor_id;
    uint16_t product_id;
    const char *serial; /* NULL for a device that reports none */
    const char *manufacturer;
    const char *product;
    const char *location; /* 1-4.2: port 2 of the hub on port 4 of bus 1, on every platform */
    const char *hub;      /* the location of its hub; "" on a root port */
    const char *name;     /* what the detector's records call it: its serial, or Windows' instance */
    int32_t is_hub;
    int32_t is_usbasp;
    /* What Windows keeps of it; "" and none on Linux. */
    const char *instance_id;   /* USB\VID_0403&PID_6001\A50285BI */
    const char *location_info; /* Port_#0002.Hub_#0004 */
    const char *container_id;
    const char *const *location_paths;
    size_t location_path_count;
    const ztusb_port *ports;
    size_t port_count;
    const ztusb_disk *disks;
    size_t disk_count;
    const ztusb_volume *volumes;
    size_t volume_count;
    const ztusb_d2xx_entry *d2xx_entries;
    size_t d2xx_entry_count;
} ztusb_device;

typedef struct ztusb_device_list {
    const ztusb_device *devices;
    size_t count;
} ztusb_device_list;

/* A COM port of the system, USB or not, as the detector's inventory has it. */
typedef struct ztusb_com_port {
    const char *name; /* COM5 */
    int32_t number;   /* 5; 0 when the name ends in no number */
    const char *path; /* the file to open; "" where none stands behind it */
    const char *description;
    int32_t vendor_id;  /* -1 when the port has none (a built-in one) */
    int32_t product_id; /* -1 likewise */
    const char *serial; /* the USB device's name (ztusb_device.name) for a USB port */
    const char *manufacturer;
    const char *chip;     /* FT232R, ...; "" unknown */
    const char *location; /* its USB device's location; "" for a port of no USB device */
    int32_t interface_number; /* -1 unknown */
} ztusb_com_port;

typedef struct ztusb_com_port_list {
    const ztusb_com_port *ports;
    size_t count;
} ztusb_com_port_list;

typedef struct ztusb_volume_list {
    const ztusb_volume *volumes;
    size_t count;
} ztusb_volume_list;

/* The USB devices attached now, hubs included, in location order. */
ZTUSB_API int ztusb_devices(ztusb_context *context, ztusb_device_list **list);
ZTUSB_API void ztusb_free_device_list(ztusb_device_list *list);
/* The COM ports, in the detector's order. */
ZTUSB_API int ztusb_com_ports(ztusb_context *context, ztusb_com_port_list **list);
ZTUSB_API void ztusb_free_com_port_list(ztusb_com_port_list *list);
/* The volumes of removable drives. */
ZTUSB_API int ztusb_volumes(ztusb_context *context, ztusb_volume_list **list);
ZTUSB_API void ztusb_free_volume_list(ztusb_volume_list *list);

/* ---- Waiting for a device --------------------------------------------------------------- */

/* What a wait looks for: every criterion given must hold; among several devices that match,
 * index picks one in location order. Start from ZTUSB_MATCH_ANY. */
typedef struct ztusb_match {
    int32_t vendor_id;    /* -1: any */
    int32_t product_id;   /* -1: any */
    const char *serial;   /* NULL: any */
    const char *location; /* NULL: any */
    uint32_t index;
} ztusb_match;
#define ZTUSB_MATCH_ANY {-1, -1, NULL, NULL, 0}

/* A matching device, at once when one is attached, otherwise once one arrived with its faces
 * settled; ZTUSB_ERROR_TIMEOUT after timeout_ms (a negative timeout waits without end). */
ZTUSB_API int ztusb_wait_for(ztusb_context *context, const ztusb_match *match, int32_t timeout_ms,
                             ztusb_device **device);
ZTUSB_API void ztusb_free_device(ztusb_device *device);

/* ---- Events ----------------------------------------------------------------------------- */

enum ztusb_event_kind {
    ZTUSB_EVENT_ARRIVAL = 1, /* a device, once its faces settled */
    ZTUSB_EVENT_REMOVAL = 2, /* a device, with the faces it had */
    ZTUSB_EVENT_CHANGE = 3   /* a face came or went later: a card inserted, a volume mounted */
};

typedef struct ztusb_event {
    int32_t kind; /* an ztusb_event_kind */
    ztusb_device device;
} ztusb_event;

/* The oldest event of the context, waiting up to timeout_ms for one (0: only look; negative:
 * without end); ZTUSB_ERROR_TIMEOUT when none came. Events are queued from the moment the
 * context is open; devices present then raise none. */
ZTUSB_API int ztusb_next_event(ztusb_context *context, int32_t timeout_ms, ztusb_event **event);
ZTUSB_API void ztusb_free_event(ztusb_event *event);
/* What an event loop watches: readable (a file descriptor on Linux) or signalled (an event
 * HANDLE on Windows) while an event is waiting. Owned by the context; -1 on failure. */
ZTUSB_API intptr_t ztusb_event_descriptor(ztusb_context *context);

#ifdef __cplusplus
}
#endif

#endif /* ZTUSB_H */
