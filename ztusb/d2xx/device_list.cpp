// Counting, listing, identifying, opening and closing devices; versions.
#include <algorithm>
#include <cstring>

#include "ztusb/d2xx/D2XXUnit_ZT.h"
#include "ztusb/d2xx/d2xx_library.h"
#include "ztusb/host/log_line.h"

namespace D2XXUnit_ZT {
namespace {

using namespace d2xx;
using detail::Call;

// Library text up to its NUL, or the whole buffer when none comes first.
template <std::size_t Size>
zt::host::String TextOf(const char (&buffer)[Size]) {
    const char* end = std::find(buffer, buffer + Size, '\0');
    return zt::host::FromAnsi(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

// A library text cut to a field of `room` bytes, zero-terminated when it is shorter.
void CopyText(const char (&text)[FT_MAX_TEXT], char* field, std::size_t room) {
    const char* end = std::find(text, text + FT_MAX_TEXT, '\0');
    const std::size_t length = std::min(static_cast<std::size_t>(end - text), room);
    std::memcpy(field, text, length);
    if (length < room) field[length] = '\0';
}

// Far more entries than the library can list: 127 addresses on each USB bus, at most four
// interfaces per FTDI chip, and more buses than any machine has. A larger count is a fault.
constexpr DWord kMostListedDevices = 127 * 4 * 32;

// Entries in the library's list as the last successful create counted them: what the
// library copies, whatever FT_Device_Count says by the time the list is read.
DWord listedByLastCreate = 0;

// The first 49 characters of the text, NUL-terminated, for FT_OpenEx.
void FillDeviceStringBuffer(const zt::host::String& text) {
    const zt::host::AnsiString narrow = zt::host::ToAnsi(text);
    const std::size_t length = std::min<std::size_t>(narrow.size(), sizeof FT_Device_String_Buffer - 1);
    FT_Device_String_Buffer[0] = '\0';
    if (length == 0) return;
    std::memcpy(FT_Device_String_Buffer, narrow.data(), length);
    FT_Device_String_Buffer[length] = '\0';
}

// The index travels as the value of the first pointer argument.
void* IndexArgument(DWord index) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(index)); }

// One device's text by index, into the buffer and, on success, FT_Device_String.
template <std::size_t Size>
FT_STATUS ListText(const char* label, DWord index, char (&buffer)[Size], DWord what) {
    const FT_STATUS status = Call<entry::FT_ListDevices>(label, IndexArgument(index),
                                                         static_cast<void*>(buffer),
                                                         FT_LIST_BY_INDEX | what);
    if (status == FT_OK) FT_Device_String = TextOf(buffer);
    return status;
}

}  // namespace

FT_STATUS GetFTDeviceCount() {
    return Call<entry::FT_ListDevices>("GetFTDeviceCount", static_cast<void*>(&FT_Device_Count),
                                       static_cast<void*>(nullptr), FT_LIST_NUMBER_ONLY);
}

FT_STATUS GetFTDeviceSerialNo(DWord deviceIndex) {
    return ListText("GetFTDeviceSerialNo", deviceIndex, SerialNumber, FT_OPEN_BY_SERIAL_NUMBER);
}

FT_STATUS GetFTDeviceDescription(DWord deviceIndex) {
    return ListText("GetFTDeviceDescription", deviceIndex, Description, FT_OPEN_BY_DESCRIPTION);
}

FT_STATUS GetFTDeviceLocation(DWord deviceIndex) {
    const FT_STATUS status =
        Call<entry::FT_ListDevices>("GetFTDeviceLocation", IndexArgument(deviceIndex),
                                    static_cast<void*>(&LocID), FT_LIST_BY_INDEX | FT_OPEN_BY_LOCATION);
    if (status == FT_OK) FT_Device_Location = LocID;
    return status;
}

FT_STATUS Open_USB_Device() { return Call<entry::FT_Open>("FT_Open", 0, &FT_HANDLE); }

FT_STATUS Open_USB_Device_By_Serial_Number(const zt::host::String& serial) {
    FillDeviceStringBuffer(serial);
    return Call<entry::FT_OpenEx>("Open_USB_Device_By_Serial_Number",
                                  static_cast<void*>(FT_Device_String_Buffer),
                                  FT_OPEN_BY_SERIAL_NUMBER, &FT_HANDLE);
}

FT_STATUS Open_USB_Device_By_Device_Description(const zt::host::String& description) {
    FillDeviceStringBuffer(description);
    return Call<entry::FT_OpenEx>("Open_USB_Device_By_Device_Description",
                                  static_cast<void*>(FT_Device_String_Buffer),
                                  FT_OPEN_BY_DESCRIPTION, &FT_HANDLE);
}

FT_STATUS Open_USB_Device_By_Device_Location(DWord location) {
    return Call<entry::FT_OpenEx>("Open_USB_Device_By_Device_Location", IndexArgument(location),
                                  FT_OPEN_BY_LOCATION, &FT_HANDLE);
}

// A closed handle is no longer the device's: later calls give the library a null handle,
// which it refuses, instead of one it may since have handed to another device.
FT_STATUS Close_USB_Device() {
    const FT_STATUS status = Call<entry::FT_Close>("FT_Close", FT_HANDLE);
    if (status == FT_OK) FT_HANDLE = nullptr;
    return status;
}

FT_STATUS Create_USB_Device_List() {
    const FT_STATUS status =
        Call<entry::FT_CreateDeviceInfoList>("FT_CreateDeviceInfoList", &FT_Device_Count);
    if (status == FT_OK) listedByLastCreate = FT_Device_Count;
    return status;
}

// Room for the whole list of the last create; an empty list gives the library no storage.
// The host gets the entries the library says it filled.
FT_STATUS Get_USB_Device_List() {
    constexpr const char* label = "FT_GetDeviceInfoList";
    if (listedByLastCreate > kMostListedDevices) {
        FT_DeviceInfoList.clear();
        ZT_LOG(Warning, "d2xx") << label << " not called: the last list counted " << listedByLastCreate << " devices";
        Report_USB_Device_Error(label, FT_INSUFFICIENT_RESOURCES);
        return FT_INSUFFICIENT_RESOURCES;
    }
    FT_DeviceInfoList.assign(listedByLastCreate, FT_Device_Info_Node{});
    const FT_STATUS status = Call<entry::FT_GetDeviceInfoList>(
        label, FT_DeviceInfoList.empty() ? nullptr : FT_DeviceInfoList.data(), &FT_Device_Count);
    if (status == FT_OK && FT_Device_Count < FT_DeviceInfoList.size()) FT_DeviceInfoList.resize(FT_Device_Count);
    return status;
}

// The texts go through buffers as long as the library may fill, then into the node's fields.
FT_STATUS Get_USB_Device_List_Detail(DWord deviceIndex) {
    FT_Device_Info_Node& node = USB_Device_Info_Node;
    node = FT_Device_Info_Node{};
    const FT_STATUS status = Call<entry::FT_GetDeviceInfoDetail>(
        "FT_GetDeviceInfoListDetail", deviceIndex, &node.Flags, &node.DeviceType, &node.ID,
        &node.LocID, static_cast<void*>(detail::serialText),
        static_cast<void*>(detail::descriptionText), &node.DeviceHandle);
    if (status == FT_OK) {
        CopyText(detail::serialText, node.SerialNumber, sizeof node.SerialNumber);
        CopyText(detail::descriptionText, node.Description, sizeof node.Description);
    }
    return status;
}

FT_STATUS Get_USB_Driver_Version(TDWordptr version) {
    return Call<entry::FT_GetDriverVersion>("FT_GetDriverVersion", FT_HANDLE, version);
}

FT_STATUS Get_USB_Library_Version(TDWordptr version) {
    return Call<entry::FT_GetLibraryVersion>("FT_GetLibraryVersion", version);
}

// The caller's buffers hold 16 and 64 characters; the library may write more than 16.
FT_STATUS USB_FT_GetDeviceInfo(DWord& deviceType, DWord& id, char* serialNumber,
                               char* description) {
    const FT_STATUS status =
        Call<entry::FT_GetDeviceInfo>("FT_GetDeviceInfo ", FT_HANDLE, &deviceType, &id,
                                      detail::serialText, detail::descriptionText,
                                      static_cast<void*>(nullptr));
    if (status == FT_OK) {
        CopyText(detail::serialText, serialNumber, 16);
        CopyText(detail::descriptionText, description, FT_MAX_TEXT);
    }
    return status;
}

}  // namespace D2XXUnit_ZT
