/* The C interface as a C host uses it: a world file's devices and their faces, a wait, the
 * events with their descriptor, a recording's ports, this machine's ports, and every failure
 * as its code with a message.
 *
 *   c_api_test world WORLDS_DIR     (boards.json, syntax.json)
 *   c_api_test recording FILE       (a recorded desk: COM7 is an FT232R)
 *   c_api_test machine              (this machine: its ports and devices are listed)
 */
#include <stdio.h>
#include <string.h>

#include "ztusb/ztusb.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <poll.h>
#endif

static int failures = 0;

#define CHECK(condition)                                                                   \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            fprintf(stderr, "%s:%d: %s (last error: %s)\n", __FILE__, __LINE__, #condition, \
                    ztusb_last_error());                                                   \
            ++failures;                                                                    \
        }                                                                                  \
    } while (0)

static const char kStLink[] = "066CFF515570514867145144";

/* Whether the descriptor says an event is waiting, within the time given. */
static int Ready(ztusb_context *context, int timeout_ms) {
    intptr_t descriptor = ztusb_event_descriptor(context);
#ifdef _WIN32
    return WaitForSingleObject((HANDLE)descriptor, (DWORD)timeout_ms) == WAIT_OBJECT_0;
#else
    struct pollfd watched = {(int)descriptor, POLLIN, 0};
    return poll(&watched, 1, timeout_ms) == 1;
#endif
}

static const ztusb_device *At(const ztusb_device_list *list, const char *location) {
    for (size_t i = 0; i < list->count; ++i) {
        if (strcmp(list->devices[i].location, location) == 0) return &list->devices[i];
    }
    return NULL;
}

static void ChecksPresentDevices(ztusb_context *context) {
    ztusb_device_list *list = NULL;
    CHECK(ztusb_devices(context, &list) == ZTUSB_SUCCESS);
    if (list == NULL) return;
    CHECK(list->count == 8);
    const ztusb_device *ch340 = At(list, "1-4.1");
    CHECK(ch340 != NULL && ch340->vendor_id == 0x1a86 && ch340->product_id == 0x7523 && ch340->serial == NULL);
    CHECK(ch340 != NULL && strcmp(ch340->name, "6&2BD4E1A9&0&1") == 0);
    CHECK(ch340 != NULL && strcmp(ch340->hub, "1-4") == 0 && ch340->port_count == 1 &&
          strcmp(ch340->ports[0].name, "COM3") == 0);
    const ztusb_device *ft2232 = At(list, "1-4.3");
    CHECK(ft2232 != NULL && ft2232->port_count == 2 && ft2232->ports[0].channel == 'A' &&
          ft2232->ports[1].channel == 'B' && strcmp(ft2232->serial, "FT5Y6HVE") == 0);
    const ztusb_device *reader = At(list, "1-3");
    CHECK(reader != NULL && reader->disk_count == 2 && reader->volume_count == 1 &&
          strcmp(reader->volumes[0].letter, "H:") == 0 && reader->volumes[0].size == 31902400512LL);
    ztusb_free_device_list(list);

    ztusb_com_port_list *ports = NULL;
    CHECK(ztusb_com_ports(context, &ports) == ZTUSB_SUCCESS);
    int seen = 0;
    for (size_t i = 0; ports != NULL && i < ports->count; ++i) {
        const ztusb_com_port *port = &ports->ports[i];
        if (strcmp(port->name, "COM3") != 0) continue;
        seen = 1;
        CHECK(port->number == 3 && port->vendor_id == 0x1a86 && port->product_id == 0x7523);
        /* One name for the port's device, in the inventory as in the device records. */
        CHECK(strcmp(port->location, "1-4.1") == 0 && strcmp(port->serial, "6&2BD4E1A9&0&1") == 0);
    }
    CHECK(seen);
    ztusb_free_com_port_list(ports);
}

static void ChecksABoardComesAndGoes(ztusb_context *context) {
    CHECK(!Ready(context, 0));
    CHECK(ztusb_world_plug(context, "stlink") == ZTUSB_SUCCESS);
    ztusb_match match = ZTUSB_MATCH_ANY;
    match.serial = kStLink;
    ztusb_device *board = NULL;
    CHECK(ztusb_wait_for(context, &match, 5000, &board) == ZTUSB_SUCCESS);
    CHECK(board != NULL && board->vendor_id == 0x0483 && board->port_count == 1 &&
          strcmp(board->ports[0].name, "COM15") == 0 && board->ports[0].interface_number == 2);
    CHECK(board != NULL && board->volume_count == 1 && strcmp(board->volumes[0].label, "NODE_F446RE") == 0 &&
          strcmp(board->volumes[0].device, kStLink) == 0);
    ztusb_free_device(board);

    CHECK(Ready(context, 5000));
    ztusb_event *event = NULL;
    CHECK(ztusb_next_event(context, 0, &event) == ZTUSB_SUCCESS);
    CHECK(event != NULL && event->kind == ZTUSB_EVENT_ARRIVAL && strcmp(event->device.name, kStLink) == 0);
    ztusb_free_event(event);
    CHECK(!Ready(context, 0));

    ztusb_volume_list *volumes = NULL;
    CHECK(ztusb_volumes(context, &volumes) == ZTUSB_SUCCESS);
    int seen = 0;
    for (size_t i = 0; volumes != NULL && i < volumes->count; ++i) {
        if (strcmp(volumes->volumes[i].letter, "E:") != 0) continue;
        seen = 1;
        CHECK(volumes->volumes[i].size == 1540096 && strcmp(volumes->volumes[i].device, kStLink) == 0);
    }
    CHECK(seen);
    ztusb_free_volume_list(volumes);

    CHECK(ztusb_world_unplug(context, "stlink") == ZTUSB_SUCCESS);
    event = NULL;
    CHECK(ztusb_next_event(context, 5000, &event) == ZTUSB_SUCCESS);
    CHECK(event != NULL && event->kind == ZTUSB_EVENT_REMOVAL && event->device.port_count == 1 &&
          strcmp(event->device.ports[0].name, "COM15") == 0);
    ztusb_free_event(event);
}

static void ChecksFailuresAreCodesWithMessages(ztusb_context *context, const char *worlds) {
    ztusb_match absent = ZTUSB_MATCH_ANY;
    absent.vendor_id = 0xdead;
    ztusb_device *none = NULL;
    CHECK(ztusb_wait_for(context, &absent, 50, &none) == ZTUSB_ERROR_TIMEOUT && none == NULL);
    CHECK(strstr(ztusb_last_error(), "50 ms") != NULL);
    absent.vendor_id = 0x10000;
    CHECK(ztusb_wait_for(context, &absent, 0, &none) == ZTUSB_ERROR_INVALID_PARAM);
    CHECK(ztusb_world_plug(context, "nope") == ZTUSB_ERROR_INVALID_PARAM);
    CHECK(strstr(ztusb_last_error(), "nope") != NULL);
    CHECK(ztusb_devices(context, NULL) == ZTUSB_ERROR_INVALID_PARAM);
    ztusb_event *event = NULL;
    CHECK(ztusb_next_event(context, 0, &event) == ZTUSB_ERROR_TIMEOUT && event == NULL);

    char path[1024];
    ztusb_context *other = NULL;
    snprintf(path, sizeof path, "%s/boards.json", worlds);
    CHECK(ztusb_open_world(path, &other) == ZTUSB_ERROR_BUSY && other == NULL);
    CHECK(ztusb_open(&other) == ZTUSB_ERROR_BUSY && other == NULL);
    CHECK(ztusb_open_world(NULL, &other) == ZTUSB_ERROR_INVALID_PARAM);
}

static void ChecksWorldFilesThatCannotBeOpened(const char *worlds) {
    char path[1024];
    ztusb_context *context = NULL;
    snprintf(path, sizeof path, "%s/no-such-world.json", worlds);
    CHECK(ztusb_open_world(path, &context) == ZTUSB_ERROR_IO && context == NULL);
    CHECK(strstr(ztusb_last_error(), "no-such-world.json") != NULL);
    snprintf(path, sizeof path, "%s/syntax.json", worlds);
    CHECK(ztusb_open_world(path, &context) == ZTUSB_ERROR_BAD_WORLD && context == NULL);
    CHECK(strstr(ztusb_last_error(), "syntax.json:") != NULL);
}

static void World(const char *worlds) {
    char path[1024];
    snprintf(path, sizeof path, "%s/boards.json", worlds);
    ztusb_context *context = NULL;
    CHECK(ztusb_open_world(path, &context) == ZTUSB_SUCCESS && strcmp(ztusb_last_error(), "") == 0);
    if (context == NULL) return;
    ChecksPresentDevices(context);
    ChecksABoardComesAndGoes(context);
    ChecksFailuresAreCodesWithMessages(context, worlds);
    ztusb_close(context);
    ChecksWorldFilesThatCannotBeOpened(worlds);
    /* Closed, the world is free again. */
    CHECK(ztusb_open_world(path, &context) == ZTUSB_SUCCESS);
    ztusb_close(context);
}

static void Recording(const char *path) {
    ztusb_context *context = NULL;
    CHECK(ztusb_open_world(path, &context) == ZTUSB_SUCCESS);
    if (context == NULL) return;
    ztusb_com_port_list *ports = NULL;
    CHECK(ztusb_com_ports(context, &ports) == ZTUSB_SUCCESS);
    CHECK(ports != NULL && ports->count >= 1 && strcmp(ports->ports[0].name, "COM7") == 0 &&
          ports->ports[0].vendor_id == 0x0403 && ports->ports[0].product_id == 0x6001 &&
          strcmp(ports->ports[0].chip, "FT232R") == 0);
    ztusb_free_com_port_list(ports);
    ztusb_close(context);
}

static void Machine(void) {
    ztusb_context *context = NULL;
    CHECK(ztusb_open(&context) == ZTUSB_SUCCESS);
    if (context == NULL) return;
    ztusb_com_port_list *ports = NULL;
    CHECK(ztusb_com_ports(context, &ports) == ZTUSB_SUCCESS);
    for (size_t i = 0; ports != NULL && i < ports->count; ++i) {
        printf("%s %s\n", ports->ports[i].name, ports->ports[i].path);
        CHECK(strncmp(ports->ports[i].name, "COM", 3) == 0);
    }
    ztusb_free_com_port_list(ports);
    ztusb_device_list *devices = NULL;
    CHECK(ztusb_devices(context, &devices) == ZTUSB_SUCCESS);
    for (size_t i = 0; devices != NULL && i < devices->count; ++i) {
        printf("%04x:%04x %s\n", devices->devices[i].vendor_id, devices->devices[i].product_id,
               devices->devices[i].location);
    }
    ztusb_free_device_list(devices);
    ztusb_close(context);
}

int main(int argc, char **argv) {
    if (argc >= 3 && strcmp(argv[1], "world") == 0) {
        World(argv[2]);
    } else if (argc >= 3 && strcmp(argv[1], "recording") == 0) {
        Recording(argv[2]);
    } else if (argc >= 2 && strcmp(argv[1], "machine") == 0) {
        Machine();
    } else {
        fprintf(stderr, "usage: %s world DIR | recording FILE | machine\n", argv[0]);
        return 2;
    }
    printf("%s: %d failures (ztusb %s)\n", argv[1], failures, ztusb_version());
    return failures == 0 ? 0 : 1;
}
