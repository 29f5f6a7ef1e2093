// Counting, listing, identifying, opening and closing devices; versions.
#include <algorithm>
#include <cstring>

#include "d2xx/D2XXUnit_ZT.h"
#include "d2xx/d2xx_library.h"

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

FT_STATUS Close_USB_Device() { return Call<entry::FT_Close>("FT_Close", FT_HANDLE); }

FT_STATUS Create_USB_Device_List() {
    return Call<entry::FT_CreateDeviceInfoList>("FT_CreateDeviceInfoList", &FT_Device_Count);
}

// Sized to the count of the last list made; an empty list gives the library no storage.
FT_STATUS Get_USB_Device_List() {
    FT_DeviceInfoList.assign(FT_Device_Count, FT_Device_Info_Node{});
    return Call<entry::FT_GetDeviceInfoList>(
        "FT_GetDeviceInfoList", FT_DeviceInfoList.empty() ? nullptr : FT_DeviceInfoList.data(),
        &FT_Device_Count);
}

FT_STATUS Get_USB_Device_List_Detail(DWord deviceIndex) {
    FT_Device_Info_Node& node = USB_Device_Info_Node;
    node = FT_Device_Info_Node{};
    return Call<entry::FT_GetDeviceInfoDetail>(
        "FT_GetDeviceInfoListDetail", deviceIndex, &node.Flags, &node.DeviceType, &node.ID,
        &node.LocID, static_cast<void*>(node.SerialNumber), static_cast<void*>(node.Description),
        &node.DeviceHandle);
}

FT_STATUS Get_USB_Driver_Version(TDWordptr version) {
    return Call<entry::FT_GetDriverVersion>("FT_GetDriverVersion", FT_HANDLE, version);
}

FT_STATUS Get_USB_Library_Version(TDWordptr version) {
    return Call<entry::FT_GetLibraryVersion>("FT_GetLibraryVersion", version);
}

FT_STATUS USB_FT_GetDeviceInfo(DWord& deviceType, DWord& id, char* serialNumber,
                               char* description) {
    return Call<entry::FT_GetDeviceInfo>("FT_GetDeviceInfo ", FT_HANDLE, &deviceType, &id,
                                         serialNumber, description, static_cast<void*>(nullptr));
}

}  // namespace D2XXUnit_ZT
