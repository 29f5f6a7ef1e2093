#include "ztusb/sim/serial_devices.h"

#include <stdexcept>

#include "ztusb/world/broadcast.h"
#include "ztusb/sim/pnp_entities.h"

namespace zt::sim {
namespace {

struct UsbSerialModel {
    const char16_t* hardware;
    const char16_t* description;
    const char16_t* manufacturer;
    const char16_t* service;
    const char16_t* registryPrefix;
};

const UsbSerialModel& ModelOf(UsbSerialChip chip) {
    static const UsbSerialModel models[] = {
        {u"VID_1A86&PID_7523", u"USB-SERIAL CH340", u"wch.cn", u"CH341SER_A64", u"\\Device\\Serial"},
        {u"VID_10C4&PID_EA60", u"Silicon Labs CP210x USB to UART Bridge", u"Silicon Labs",
         u"silabser", u"\\Device\\Silabser"},
        {u"VID_067B&PID_2303", u"Prolific USB-to-Serial Comm Port", u"Prolific", u"Ser2pl",
         u"\\Device\\ProlificSerial"},
        {u"VID_2341&PID_0043", u"Arduino Uno", u"Arduino LLC (www.arduino.cc)", u"usbser",
         u"\\Device\\USBSER00"},
    };
    return models[static_cast<int>(chip)];
}

}  // namespace

SerialDevice FtdiAdapter(const String& serial, const String& port) {
    const String hardware = u"VID_0403&PID_6001";
    return {UsbDeviceInterfaceName(hardware, serial),
            {NumberedPort(port, u"\\Device\\VCP")},
            {PortEntity(u"USB Serial Port", port, FtdiPortId(hardware, serial, u'A'), u"FTDI",
                        u"FTSER2K"),
             UsbEntity(u"USB Serial Converter", UsbDeviceId(hardware, serial), u"FTDI", u"FTDIBUS")}};
}

SerialDevice FtdiMultiChannel(const String& serial, const std::vector<String>& ports) {
    if (ports.size() != 2 && ports.size() != 4) {
        throw std::invalid_argument("an FTDI multi-channel chip has two or four ports");
    }
    const String hardware = ports.size() == 2 ? u"VID_0403&PID_6010" : u"VID_0403&PID_6011";
    SerialDevice device{UsbDeviceInterfaceName(hardware, serial), {},
                        {UsbEntity(u"USB Composite Device", UsbDeviceId(hardware, serial),
                                   u"(Standard USB Host Controller)", u"usbccgp")}};
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const char16_t channel = static_cast<char16_t>(u'A' + i);
        device.ports.push_back(NumberedPort(ports[i], u"\\Device\\VCP"));
        device.entities.push_back(PortEntity(u"USB Serial Port", ports[i],
                                             FtdiPortId(hardware, serial, channel), u"FTDI",
                                             u"FTSER2K"));
    }
    return device;
}

SerialDevice UsbSerialAdapter(UsbSerialChip chip, const String& instance, const String& port) {
    const UsbSerialModel& model = ModelOf(chip);
    return {UsbDeviceInterfaceName(model.hardware, instance),
            {NumberedPort(port, model.registryPrefix)},
            {PortEntity(model.description, port, UsbDeviceId(model.hardware, instance),
                        model.manufacturer, model.service)}};
}

SerialDevice Ch340Adapter(const String& instance, const String& port) {
    return UsbSerialAdapter(UsbSerialChip::Ch340, instance, port);
}

SerialDevice CompositeCdcDevice(const String& serial, const String& instance, const String& port) {
    const String hardware = u"VID_2E8A&PID_000A";
    return {UsbDeviceInterfaceName(hardware, serial),
            {NumberedPort(port, u"\\Device\\USBSER00")},
            {UsbEntity(u"USB Composite Device", UsbDeviceId(hardware, serial),
                       u"(Standard USB Host Controller)", u"usbccgp"),
             PortEntity(u"USB Serial Device", port, UsbDeviceId(hardware + u"&MI_00", instance),
                        u"Microsoft", u"usbser")}};
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
    return {UsbDeviceInterfaceName(hardware, instance),
            {},
            {UsbEntity(description, UsbDeviceId(hardware, instance), u"(Standard system devices)",
                       u"HidUsb")}};
}

SerialDevice UsbaspProgrammer(const String& serial) {
    const String hardware = u"VID_16C0&PID_05DC";
    return {UsbDeviceInterfaceName(hardware, serial),
            {},
            {UsbEntity(u"USBasp", UsbDeviceId(hardware, serial), u"libusb-win32", u"libusb0")}};
}

}  // namespace zt::sim
