#include "ztusb/sim/boards.h"

#include <cstdio>
#include <stdexcept>

#include "ztusb/sim/device_nodes.h"
#include "ztusb/sim/pnp_entities.h"
#include "ztusb/world/broadcast.h"

namespace zt::sim {
namespace {

enum class Face { Port, Storage, Other };

struct Interface {
    unsigned number;
    Face face;
    const char16_t* description;  // a port's, before its (COMn)
    const char16_t* manufacturer;
    const char16_t* service;
};

struct Lun {
    const char16_t* diskPart;
    const char16_t* caption;
};

struct Model {
    const char16_t* hardware;
    const char16_t* product;
    std::vector<Interface> interfaces;
    std::vector<Lun> luns;
    // A composite device's disk instance: <prefix of its interface>&<serial>&<LUN>, or for
    // some firmware <serial>&<LUN>.
    bool prefixedDisk;
};

const Model& ModelOf(BoardKind kind) {
    static const Model kModels[] = {
        {u"VID_0483&PID_374B",
         u"STM32 STLink",
         {{0, Face::Other, u"ST-Link Debug", u"STMicroelectronics", u"STLinkUSBDriver"},
          {1, Face::Storage, u"USB Mass Storage Device", u"Compatible USB storage device", u"USBSTOR"},
          {2, Face::Port, u"STMicroelectronics STLink Virtual COM Port", u"STMicroelectronics", u"usbser"}},
         {{u"DISK&VEN_MBED&PROD_MICROCONTROLLER&REV_1.0", u"MBED microcontroller USB Device"}},
         true},
        {u"VID_0D28&PID_0204",
         u"DAPLink CMSIS-DAP",
         {{0, Face::Storage, u"USB Mass Storage Device", u"Compatible USB storage device", u"USBSTOR"},
          {1, Face::Port, u"mbed Serial Port", u"ARM Ltd", u"usbser"},
          {3, Face::Other, u"USB Input Device", u"(Standard system devices)", u"HidUsb"}},
         {{u"DISK&VEN_MBED&PROD_VFS&REV_0.1", u"MBED VFS USB Device"}},
         false},
        {u"VID_1366&PID_1055",
         u"J-Link",
         {{0, Face::Other, u"J-Link driver", u"SEGGER", u"JLinkCDC_x64"},
          {2, Face::Port, u"JLink CDC UART Port", u"SEGGER", u"JLinkCDC_x64"},
          {4, Face::Port, u"JLink CDC UART Port", u"SEGGER", u"JLinkCDC_x64"},
          {5, Face::Storage, u"USB Mass Storage Device", u"Compatible USB storage device", u"USBSTOR"}},
         {{u"DISK&VEN_SEGGER&PROD_MSD_VOLUME&REV_1.00", u"SEGGER MSD Volume USB Device"}},
         true},
        {u"VID_239A&PID_80F4",
         u"Pico",
         {{0, Face::Port, u"USB Serial Device", u"Microsoft", u"usbser"},
          {2, Face::Storage, u"USB Mass Storage Device", u"Compatible USB storage device", u"USBSTOR"}},
         {{u"DISK&VEN_ADAFRUIT&PROD_CIRCUITPY&REV_1.0", u"Adafruit CircuitPY USB Device"},
          {u"DISK&VEN_ADAFRUIT&PROD_SD_CARD&REV_1.0", u"Adafruit SD Card USB Device"}},
         true},
    };
    return kModels[static_cast<int>(kind)];
}

String InterfaceId(const Model& model, const String& usbId, unsigned number) {
    char mi[8];
    std::snprintf(mi, sizeof mi, "&MI_%02X", number & 0xFFu);
    return UsbDeviceId(model.hardware + host::FromAnsi(mi), InterfaceInstance(usbId, number));
}

// The drives behind the mass storage interface, one for each LUN given.
void AddDrives(UsbBoard& board, const Model& model, const String& serial, const String& holder,
               std::uint32_t firstDisk, std::vector<std::vector<Volume>> luns) {
    const String instance = model.prefixedDisk ? ParentIdPrefix(holder, u'A') + u"&" + host::UpperCase(serial)
                                               : host::UpperCase(serial);
    for (std::size_t lun = 0; lun < luns.size(); ++lun) {
        board.storage.drives.push_back(UsbDiskDrive(model.luns[lun].caption, u"Removable Media",
                                                    model.luns[lun].diskPart, instance, serial,
                                                    firstDisk + static_cast<std::uint32_t>(lun),
                                                    static_cast<std::uint16_t>(lun), PartitionStyle::Mbr,
                                                    std::move(luns[lun]), holder));
    }
}

}  // namespace

UsbBoard Board(BoardKind kind, const String& serial, const std::vector<String>& ports, std::uint32_t firstDisk,
               std::vector<std::vector<Volume>> luns) {
    const Model& model = ModelOf(kind);
    std::size_t portCount = 0;
    for (const Interface& function : model.interfaces) portCount += function.face == Face::Port ? 1 : 0;
    if (ports.size() != portCount || luns.size() > model.luns.size()) {
        throw std::invalid_argument("as many ports as the board has (" + std::to_string(portCount) +
                                    ") and at most " + std::to_string(model.luns.size()) + " lists of volumes");
    }
    const auto usbEntity = UsbEntity(u"USB Composite Device", UsbDeviceId(model.hardware, serial),
                                     u"(Standard USB Host Controller)", u"usbccgp");
    UsbBoard board;
    board.serial = {.interfaceName = world::UsbDeviceInterfaceName(model.hardware, serial),
                    .ports = {},
                    .entities = {usbEntity},
                    .nodes = {UsbNode(usbEntity, model.product)}};
    const String usbId = board.serial.nodes.front().id;
    auto port = ports.begin();
    for (const Interface& function : model.interfaces) {
        const String id = InterfaceId(model, usbId, function.number);
        if (function.face == Face::Port) {
            const auto entity = PortEntity(function.description, *port, id, function.manufacturer, function.service);
            board.serial.ports.push_back(NumberedPort(*port, u"\\Device\\USBSER00"));
            board.serial.entities.push_back(entity);
            board.serial.nodes.push_back(ChildNode(entity, usbId, *port++));
            continue;
        }
        const auto entity = UsbEntity(function.description, id, function.manufacturer, function.service);
        board.serial.entities.push_back(entity);
        board.serial.nodes.push_back(ChildNode(entity, usbId));
        if (function.face == Face::Storage) AddDrives(board, model, serial, host::UpperCase(id), firstDisk, std::move(luns));
    }
    return board;
}

}  // namespace zt::sim
