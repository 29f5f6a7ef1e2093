#include "ztusb/sim/pnp_entities.h"

namespace zt::sim {
namespace {

struct DeviceClass {
    const char16_t* guid;
    const char16_t* name;
};
constexpr DeviceClass kPorts = {u"{4d36e978-e325-11ce-bfc1-08002be10318}", u"Ports"};
constexpr DeviceClass kUsb = {u"{36fc9e60-c465-11cf-8056-444553540000}", u"USB"};
constexpr DeviceClass kScsiAdapter = {u"{4d36e97b-e325-11ce-bfc1-08002be10318}", u"SCSIAdapter"};

world::CimRepository::Values Entity(const DeviceClass& deviceClass, const String& caption,
                             const String& description, const String& deviceId,
                             const String& manufacturer, const String& service) {
    return {{u"Caption", caption},          {u"ClassGuid", deviceClass.guid},
            {u"Description", description},  {u"DeviceID", deviceId},
            {u"Manufacturer", manufacturer}, {u"Name", caption},
            {u"PNPClass", deviceClass.name}, {u"PNPDeviceID", deviceId},
            {u"Present", u"TRUE"},          {u"Service", service},
            {u"Status", u"OK"}};
}

String PortNumberText(const String& port) { return port.size() > 3 ? port.substr(3) : port; }

}  // namespace

world::CimRepository::Values PortEntity(const String& description, const String& port,
                                 const String& deviceId, const String& manufacturer,
                                 const String& service) {
    return Entity(kPorts, description + u" (" + port + u")", description, deviceId, manufacturer,
                  service);
}

world::CimRepository::Values UsbEntity(const String& description, const String& deviceId,
                                const String& manufacturer, const String& service) {
    return Entity(kUsb, description, description, deviceId, manufacturer, service);
}

world::CimRepository::Values UaspEntity(const String& deviceId) {
    constexpr char16_t kCaption[] = u"USB Attached SCSI (UAS) Mass Storage Device";
    return Entity(kScsiAdapter, kCaption, kCaption, deviceId, u"Microsoft", u"UASPStor");
}

std::uint32_t MadeUpInstanceNumber(std::string_view seed) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : seed) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
}

String UsbDeviceId(const String& hardware, const String& instance) {
    return u"USB\\" + hardware + u"\\" + host::UpperCase(instance);
}

String FtdiPortId(const String& hardware, const String& serial, char16_t channel) {
    String plus = hardware;
    plus[8] = u'+';  // VID_0403&PID_6001 -> VID_0403+PID_6001
    return u"FTDIBUS\\" + plus + u"+" + host::UpperCase(serial) + channel + u"\\0000";
}

SerialPort NumberedPort(const String& name, const String& registryPrefix) {
    return {name, registryPrefix + PortNumberText(name)};
}

}  // namespace zt::sim
