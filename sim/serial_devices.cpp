#include "sim/serial_devices.h"

#include "sim/broadcast.h"

namespace zt::sim {
namespace {

String PortNumberText(const String& port) { return port.size() > 3 ? port.substr(3) : port; }

struct DeviceClass {
    const char16_t* guid;
    const char16_t* name;
};
constexpr DeviceClass kPorts = {u"{4d36e978-e325-11ce-bfc1-08002be10318}", u"Ports"};
constexpr DeviceClass kUsb = {u"{36fc9e60-c465-11cf-8056-444553540000}", u"USB"};

CimRepository::Values Entity(const DeviceClass& deviceClass, const String& caption,
                             const String& description, const String& deviceId,
                             const String& manufacturer, const String& service) {
    return {{u"Caption", caption},          {u"ClassGuid", deviceClass.guid},
            {u"Description", description},  {u"DeviceID", deviceId},
            {u"Manufacturer", manufacturer}, {u"Name", caption},
            {u"PNPClass", deviceClass.name}, {u"PNPDeviceID", deviceId},
            {u"Present", u"TRUE"},          {u"Service", service},
            {u"Status", u"OK"}};
}

// A port's caption names its port: "USB Serial Port (COM5)".
CimRepository::Values PortEntity(const String& description, const String& port,
                                 const String& deviceId, const String& manufacturer,
                                 const String& service) {
    return Entity(kPorts, description + u" (" + port + u")", description, deviceId, manufacturer,
                  service);
}

CimRepository::Values UsbEntity(const String& description, const String& deviceId,
                                const String& manufacturer, const String& service) {
    return Entity(kUsb, description, description, deviceId, manufacturer, service);
}

}  // namespace

SerialDevice FtdiAdapter(const String& serial, const String& port) {
    const String hardware = u"VID_0403&PID_6001";
    return {UsbDeviceInterfaceName(hardware, serial),
            port,
            u"\\Device\\VCP" + PortNumberText(port),
            {PortEntity(u"USB Serial Port", port,
                        u"FTDIBUS\\VID_0403+PID_6001+" + serial + u"A\\0000", u"FTDI", u"FTSER2K"),
             UsbEntity(u"USB Serial Converter", u"USB\\" + hardware + u"\\" + serial, u"FTDI",
                       u"FTDIBUS")}};
}

SerialDevice Ch340Adapter(const String& instance, const String& port) {
    const String hardware = u"VID_1A86&PID_7523";
    return {UsbDeviceInterfaceName(hardware, instance),
            port,
            u"\\Device\\Serial" + PortNumberText(port),
            {PortEntity(u"USB-SERIAL CH340", port, u"USB\\" + hardware + u"\\" + instance,
                        u"wch.cn", u"CH341SER_A64")}};
}

SerialDevice BluetoothLink(const String& instance, const String& port) {
    return {{},
            port,
            u"\\Device\\BthModem" + PortNumberText(port),
            {PortEntity(u"Standard Serial over Bluetooth link", port,
                        u"BTHENUM\\{00001101-0000-1000-8000-00805F9B34FB}_LOCALMFG&0000\\" + instance,
                        u"Microsoft", u"BTHMODEM")}};
}

SerialDevice BuiltInPort(const String& port) {
    return {{},
            port,
            u"\\Device\\Serial0",
            {PortEntity(u"Communications Port", port, u"ACPI\\PNP0501\\1",
                        u"(Standard port types)", u"Serial")}};
}

SerialDevice UsbaspProgrammer(const String& serial) {
    const String hardware = u"VID_16C0&PID_05DC";
    return {UsbDeviceInterfaceName(hardware, serial),
            {},
            {},
            {UsbEntity(u"USBasp", u"USB\\" + hardware + u"\\" + serial, u"libusb-win32",
                       u"libusb0")}};
}

}  // namespace zt::sim
