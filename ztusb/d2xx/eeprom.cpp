// The configuration EEPROM of the open device: the record, single words, the user area.
#include "ztusb/d2xx/D2XXUnit_ZT.h"
#include "ztusb/d2xx/d2xx_library.h"

namespace D2XXUnit_ZT {
namespace {

using namespace d2xx;
using detail::Call;

// Every field zero but the signatures, the version and the four texts, which point at the
// module buffers; then the read.
FT_STATUS ReadRecord(DWord version) {
    EEDataBuffer = TFT_Program_Data{};
    EEDataBuffer.Signature1 = 0x00000000;
    EEDataBuffer.Signature2 = 0xFFFFFFFF;
    EEDataBuffer.Version = version;
    EEDataBuffer.Manufacturer = Manufacturer;
    EEDataBuffer.ManufacturerID = ManufacturerID;
    EEDataBuffer.Description = Description;
    EEDataBuffer.SerialNumber = SerialNumber;
    return Call<entry::FT_EE_Read>("FT_EE_Read ", FT_HANDLE, &EEDataBuffer);
}

}  // namespace

FT_STATUS USB_FT_EE_Read() { return ReadRecord(0); }
FT_STATUS USB_FT_C_EE_Read() { return ReadRecord(1); }
FT_STATUS USB_FT_R_EE_Read() { return ReadRecord(2); }

FT_STATUS USB_FT_EE_Program() {
    return Call<entry::FT_EE_Program>("FT_EE_Program ", FT_HANDLE, &EEDataBuffer);
}

// These three leave the status to their caller, without a dialog.
FT_STATUS USB_FT_WriteEE(DWord wordAddress, std::uint16_t value) {
    return detail::Invoke<entry::FT_WriteEE>(FT_HANDLE, wordAddress, value);
}

FT_STATUS USB_FT_ReadEE(DWord wordAddress) {
    return detail::Invoke<entry::FT_ReadEE>(FT_HANDLE, wordAddress, &WordRead);
}

FT_STATUS USB_FT_EraseEE() { return detail::Invoke<entry::FT_EraseEE>(FT_HANDLE); }

FT_STATUS USB_FT_EE_UARead() {
    return Call<entry::FT_EE_UARead>("FT_EE_UARead ", FT_HANDLE, UserData,
                                     static_cast<DWord>(sizeof UserData), &FT_UA_Size);
}

// A size beyond the user-area buffer is refused before the library could read past it.
FT_STATUS USB_FT_EE_UAWrite() {
    if (FT_UA_Size > sizeof UserData) {
        Report_USB_Device_Error("FT_EE_UAWrite ", FT_INVALID_PARAMETER);
        return FT_INVALID_PARAMETER;
    }
    return Call<entry::FT_EE_UAWrite>("FT_EE_UAWrite ", FT_HANDLE, UserData, FT_UA_Size);
}

FT_STATUS USB_FT_EE_UASize() {
    return Call<entry::FT_EE_UASize>("FT_EE_UASize ", FT_HANDLE, &FT_UA_Size);
}

}  // namespace D2XXUnit_ZT
