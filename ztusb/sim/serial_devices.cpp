#include "ztusb/sim/serial_devices.h"

#include <cstdio>
#include <stdexcept>

#include "ztusb/world/broadcast.h"
#include "ztusb/sim/device_nodes.h"
#include "ztusb/sim/pnp_entities.h"

namespace zt::sim {
namespace {

struct UsbSerialModel {
    const char16_t* hardware;
    const char16_t* description;
    const char16_t* manufacturer;
    const char16_t* service;
    const char16_t* registryPrefix;
    const char16_t* product;  // what the chip calls itself
};

const UsbSerialModel& ModelOf(UsbSerialChip chip) {
    static const UsbSerialModel models[] = {
        {u"VID_1A86&PID_7523", u"USB-SERIAL CH340", u"wch.cn", u"CH341SER_A64", u"\\Device\\Serial", u"USB Serial"},
        {u"VID_10C4&PID_EA60", u"Silicon Labs CP210x USB to UART Bridge", u"Silicon Labs",
         u"silabser", u"\\Device\\Silabser", u"CP2102 USB to UART Bridge Controller"},
        {u"VID_067B&PID_2303", u"Prolific USB-to-Serial Comm Port", u"Prolific", u"Ser2pl",
         u"\\Device\\ProlificSerial", u"USB-Serial Controller"},
        {u"VID_2341&PID_0043", u"Arduino Uno", u"Arduino LLC (www.arduino.cc)", u"usbser",
         u"\\Device\\USBSER00", u"Arduino Uno"},
    };
    return models[static_cast<int>(chip)];
}

// A composite device's parent entity, which Windows' generic parent driver serves.
world::CimRepository::Values CompositeEntity(const String& deviceId) {
    return UsbEntity(u"USB Composite Device", deviceId, u"(Standard USB Host Controller)", u"usbccgp");
}

// One port on an interface of a composite device: the interface's entity is the port's.
void AddInterfacePort(SerialDevice& device, const String& hardware, unsigned number, const String& description,
                      const String& port, const String& manufacturer, const String& service,
                      const String& registryPrefix) {
    const String parent = device.nodes.front().id;
    char mi[8];
    std::snprintf(mi, sizeof mi, "&MI_%02X", number & 0xFFu);
    const auto entity = PortEntity(description, port, UsbDeviceId(hardware + host::FromAnsi(mi), InterfaceInstance(parent, number)),
                                   manufacturer, service);
    device.ports.push_back(NumberedPort(port, registryPrefix));
    device.entities.push_back(entity);
    device.nodes.push_back(ChildNode(entity, parent, port));
}

}  // namespace

SerialDevice FtdiAdapter(const String& serial, const String& port) {
    const String hardware = u"VID_0403&PID_6001";
    const auto portEntity = PortEntity(u"USB Serial Port", port, FtdiPortId(hardware, serial, u'A'), u"FTDI", u"FTSER2K");
    const auto usbEntity = UsbEntity(u"USB Serial Converter", UsbDeviceId(hardware, serial), u"FTDI", u"FTDIBUS");
    const world::DeviceNode usb = UsbNode(usbEntity, u"FT232R USB UART");
    return {.interfaceName = world::UsbDeviceInterfaceName(hardware, serial),
            .ports = {NumberedPort(port, u"\\Device\\VCP")},
            .entities = {portEntity, usbEntity},
            .nodes = {usb, ChildNode(portEntity, usb.id, port)}};
}

SerialDevice FtdiMultiChannel(const String& serial, const std::vector<String>& ports, const String& usbInstance) {
    if (ports.size() != 2 && ports.size() != 4) {
        throw std::invalid_argument("an FTDI multi-channel chip has two or four ports");
    }
    const String hardware = ports.size() == 2 ? u"VID_0403&PID_6010" : u"VID_0403&PID_6011";
    const String instance = usbInstance.empty() ? serial : usbInstance;
    const auto usbEntity = CompositeEntity(UsbDeviceId(hardware, instance));
    SerialDevice device{.interfaceName = world::UsbDeviceInterfaceName(hardware, instance),
                        .ports = {},
                        .entities = {usbEntity},
                        .nodes = {UsbNode(usbEntity, ports.size() == 2 ? u"FT2232H" : u"FT4232H")}};
    const String parent = device.nodes.front().id;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const char16_t channel = static_cast<char16_t>(u'A' + i);
        const auto channelEntity = UsbEntity(u"USB Serial Converter " + String(1, channel),
                                             UsbDeviceId(hardware + u"&MI_0" + String(1, static_cast<char16_t>(u'0' + i)),
                                                         InterfaceInstance(parent, static_cast<unsigned>(i))),
                                             u"FTDI", u"FTDIBUS");
        const auto portEntity = PortEntity(u"USB Serial Port", ports[i], FtdiPortId(hardware, instance, channel),
                                           u"FTDI", u"FTSER2K");
        device.ports.push_back(NumberedPort(ports[i], u"\\Device\\VCP"));
        device.entities.push_back(channelEntity);
        device.entities.push_back(portEntity);
        device.nodes.push_back(ChildNode(channelEntity, parent));
        device.nodes.push_back(ChildNode(portEntity, device.nodes.back().id, ports[i]));
    }
    return device;
}

SerialDevice UsbSerialAdapter(UsbSerialChip chip, const String& instance, const String& port) {
    const UsbSerialModel& model = ModelOf(chip);
    const auto entity = PortEntity(model.description, port, UsbDeviceId(model.hardware, instance),
                                   model.manufacturer, model.service);
    return {.interfaceName = world::UsbDeviceInterfaceName(model.hardware, instance),
            .ports = {NumberedPort(port, model.registryPrefix)},
            .entities = {entity},
            .nodes = {UsbPortNode(entity, model.product, port)}};
}

SerialDevice Ch340Adapter(const String& instance, const String& port) {
    return UsbSerialAdapter(UsbSerialChip::Ch340, instance, port);
}

SerialDevice CompositeCdcDevice(const String& serial, const String& instance, const String& port) {
    const String hardware = u"VID_2E8A&PID_000A";
    const auto usbEntity = CompositeEntity(UsbDeviceId(hardware, serial));
    const auto portEntity = PortEntity(u"USB Serial Device", port, UsbDeviceId(hardware + u"&MI_00", instance),
                                       u"Microsoft", u"usbser");
    const world::DeviceNode usb = UsbNode(usbEntity, u"Pico");
    return {.interfaceName = world::UsbDeviceInterfaceName(hardware, serial),
            .ports = {NumberedPort(port, u"\\Device\\USBSER00")},
            .entities = {usbEntity, portEntity},
            .nodes = {usb, ChildNode(portEntity, usb.id, port)}};
}

SerialDevice DualUartBridge(const String& serial, const String& enhancedPort, const String& standardPort) {
    const String hardware = u"VID_10C4&PID_EA70";
    const auto usbEntity = CompositeEntity(UsbDeviceId(hardware, serial));
    SerialDevice device{.interfaceName = world::UsbDeviceInterfaceName(hardware, serial),
                        .ports = {},
                        .entities = {usbEntity},
                        .nodes = {UsbNode(usbEntity, u"CP2105 Dual USB to UART Bridge Controller")}};
    const String description = u"Silicon Labs Dual CP2105 USB to UART Bridge: ";
    AddInterfacePort(device, hardware, 0, description + u"Enhanced COM Port", enhancedPort, u"Silicon Labs",
                     u"silabser", u"\\Device\\Silabser");
    AddInterfacePort(device, hardware, 1, description + u"Standard COM Port", standardPort, u"Silicon Labs",
                     u"silabser", u"\\Device\\Silabser");
    return device;
}

SerialDevice LteModem(const String& serial, const std::vector<String>& ports) {
    if (ports.size() != 4) throw std::invalid_argument("the LTE modem has four serial ports");
    const String hardware = u"VID_1199&PID_9091";
    const auto usbEntity = CompositeEntity(UsbDeviceId(hardware, serial));
    SerialDevice device{.interfaceName = world::UsbDeviceInterfaceName(hardware, serial),
                        .ports = {},
                        .entities = {usbEntity},
                        .nodes = {UsbNode(usbEntity, u"Sierra Wireless EM7565 Qualcomm Snapdragon X16 LTE-A")}};
    struct Function {
        unsigned number;
        const char16_t* description;
    };
    static constexpr Function kPorts[] = {{2, u"Sierra Wireless DM Port"},
                                          {3, u"Sierra Wireless NMEA Port"},
                                          {12, u"Sierra Wireless AT Command Port"},
                                          {13, u"Sierra Wireless Modem Port"}};
    for (std::size_t i = 0; i < std::size(kPorts); ++i) {
        AddInterfacePort(device, hardware, kPorts[i].number, kPorts[i].description, ports[i],
                         u"Sierra Wireless, Incorporated", u"GobiSerial", u"\\Device\\GobiSerial");
    }
    // Its network function sits between the ports, on an interface without a port.
    const String parent = device.nodes.front().id;
    const auto network = UsbEntity(u"Sierra Wireless Network Adapter",
                                   UsbDeviceId(hardware + u"&MI_08", InterfaceInstance(parent, 8)),
                                   u"Sierra Wireless, Incorporated", u"GobiNet");
    device.entities.push_back(network);
    device.nodes.push_back(ChildNode(network, parent));
    return device;
}

SerialDevice UsbHub(const String& instance) {
    const String hardware = u"VID_05E3&PID_0610";
    const auto entity = UsbEntity(u"Generic USB Hub", UsbDeviceId(hardware, instance), u"(Standard USB HUBs)",
                                  u"USBHUB3");
    return {.interfaceName = world::UsbDeviceInterfaceName(hardware, instance),
            .ports = {},
            .entities = {entity},
            .nodes = {UsbNode(entity, u"USB2.1 Hub")}};
}

SerialDevice BluetoothLink(const String& instance, const String& port) {
    return {{},
            {NumberedPort(port, u"\\Device\\BthModem")},
            {PortEntity(u"Standard Serial over Bluetooth link", port,
                        u"BTHENUM\\{00001101-0000-1000-8000-00805F9B34FB}_LOCALMFG&0000\\" +
                            host::UpperCase(instance),
                        u"Microsoft", u"BTHMODEM")}};
}

SerialDevice BuiltInPort(const String& port) {
    return {{},
            {{port, u"\\Device\\Serial0"}},
            {PortEntity(u"Communications Port", port, u"ACPI\\PNP0501\\1",
                        u"(Standard port types)", u"Serial")}};
}

SerialDevice SerialOverLanPort(const String& port) {
    return {{},
            {{port, u"\\Device\\Serial2"}},
            {PortEntity(u"Intel(R) Active Management Technology - SOL", port,
                        u"PCI\\VEN_8086&DEV_A13D&SUBSYS_06DC1028&REV_31\\3&11583659&0&B3", u"Intel",
                        u"Serial")}};
}

SerialDevice UsbDevice(const String& hardware, const String& instance, const String& description) {
    const auto entity = UsbEntity(description, UsbDeviceId(hardware, instance), u"(Standard system devices)", u"HidUsb");
    return {.interfaceName = world::UsbDeviceInterfaceName(hardware, instance),
            .ports = {},
            .entities = {entity},
            .nodes = {UsbNode(entity, description)}};
}

SerialDevice UsbaspProgrammer(const String& serial) {
    const String hardware = u"VID_16C0&PID_05DC";
    const auto entity = UsbEntity(u"USBasp", UsbDeviceId(hardware, serial), u"libusb-win32", u"libusb0");
    return {.interfaceName = world::UsbDeviceInterfaceName(hardware, serial),
            .ports = {},
            .entities = {entity},
            .nodes = {UsbNode(entity, u"USBasp")}};
}

}  // namespace zt::sim
