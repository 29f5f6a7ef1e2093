#pragma once
// Unit D2XXUnit_ZT: FTDI devices through the D2XX library, one open device at a time. The
// host sets the module variables, calls a function, and reads the results back. Every
// function returns the library's status (the two transfers a byte count) and shows a
// failing status in an error dialog while FT_Enable_Error_Report is on.
//
// The library is loaded on first use: ftd2xx.dll on Windows, libftd2xx.so elsewhere, or the
// file that the environment variable ZT_D2XX_LIBRARY names. Without it every function
// returns FT_LIBRARY_MISSING (17) and the report names the library.

#include <vector>

#include "ztusb/d2xx/d2xx_api.h"
#include "ztusb/host/text.h"

namespace D2XXUnit_ZT {

using d2xx::FT_Device_Info_Node;
using d2xx::FT_STATUS;
using d2xx::TFT_Program_Data;
using DWord = std::uint32_t;
using TFT_DeviceInfoList = std::vector<FT_Device_Info_Node>;
using PFT_DeviceInfoList = TFT_DeviceInfoList*;
using TDWordptr = DWord*;
using TFTHandle = d2xx::FT_Handle;  // the library's handle type, named like the variable

constexpr std::size_t kTransferBufferSize = 65536;

// The open device and the inquiries.
inline TFTHandle FT_HANDLE = nullptr;
inline bool FT_Enable_Error_Report = true;
inline DWord FT_Device_Count = 0;
inline char SerialNumber[d2xx::FT_MAX_TEXT] = {};  // the library writes up to 64 bytes
inline char Description[d2xx::FT_MAX_TEXT] = {};
inline DWord LocID = 0;
inline zt::host::String FT_Device_String;
inline DWord FT_Device_Location = 0;
inline char FT_Device_String_Buffer[50] = {};
inline TFT_DeviceInfoList FT_DeviceInfoList;
inline FT_Device_Info_Node USB_Device_Info_Node = {};

// Settings, buffers and results of configuration and transfer.
inline DWord FT_Current_Baud = 0;
inline std::uint8_t FT_Current_DataBits = 0;
inline std::uint8_t FT_Current_StopBits = 0;
inline std::uint8_t FT_Current_Parity = 0;
inline std::uint16_t FT_Current_FlowControl = 0;
inline std::uint8_t FT_XON_Value = 0x11;
inline std::uint8_t FT_XOFF_Value = 0x13;
inline std::uint8_t FT_EVENT_Value = 0;
inline std::uint8_t FT_ERROR_Value = 0;
inline bool FT_Event_On = false;
inline bool FT_Error_On = false;
inline std::uint8_t FT_In_Buffer[kTransferBufferSize] = {};
inline std::uint8_t FT_Out_Buffer[kTransferBufferSize] = {};
inline FT_STATUS FT_IO_Status = 0;
inline DWord FT_Modem_Status = 0;
inline DWord FT_Q_Bytes = 0;
inline DWord FT_TxQ_Bytes = 0;
inline DWord FT_Event_Status = 0;
inline std::uint8_t FT_LatencyRd = 0;
inline void* FT_Event_Handle = nullptr;
// Declared for hosts; no function reads or writes them.
inline DWord FT_TimeOut_Count = 0;
inline DWord FT_All_Bytes_Received = 0;
inline bool FT_RTS_On = false;
inline bool FT_DTR_On = false;
inline DWord FT_SetupError = 0;

// The EEPROM.
inline TFT_Program_Data EEDataBuffer = {};
inline char Manufacturer[64] = {};
inline char ManufacturerID[16] = {};
inline std::uint8_t UserData[64] = {};
inline DWord FT_UA_Size = 0;
inline std::uint16_t WordRead = 0;

// Shows "label + message" for every failing status (above 19 the message gives the number),
// unless switched off.
void Report_USB_Device_Error(const char* label, FT_STATUS status);

// Device list, open and versions.
FT_STATUS GetFTDeviceCount();
FT_STATUS GetFTDeviceSerialNo(DWord deviceIndex);
FT_STATUS GetFTDeviceDescription(DWord deviceIndex);
FT_STATUS GetFTDeviceLocation(DWord deviceIndex);
FT_STATUS Open_USB_Device();
FT_STATUS Open_USB_Device_By_Serial_Number(const zt::host::String& serial);
FT_STATUS Open_USB_Device_By_Device_Description(const zt::host::String& description);
FT_STATUS Open_USB_Device_By_Device_Location(DWord location);
FT_STATUS Close_USB_Device();
FT_STATUS Create_USB_Device_List();
FT_STATUS Get_USB_Device_List();
FT_STATUS Get_USB_Device_List_Detail(DWord deviceIndex);
FT_STATUS Get_USB_Driver_Version(TDWordptr version);
FT_STATUS Get_USB_Library_Version(TDWordptr version);
FT_STATUS USB_FT_GetDeviceInfo(DWord& deviceType, DWord& id, char* serialNumber,
                               char* description);

// Configuration and transfer. Counts above the buffers' 65,536 bytes (or below 0) are
// refused with FT_INVALID_PARAMETER without calling the library.
std::int32_t Read_USB_Device_Buffer(std::int32_t count);
std::int32_t Write_USB_Device_Buffer(std::int32_t count);
FT_STATUS Reset_USB_Device();
FT_STATUS Set_USB_Device_BaudRate();
FT_STATUS Set_USB_Device_BaudRate_Divisor(DWord divisor);
FT_STATUS Set_USB_Device_DataCharacteristics();
FT_STATUS Set_USB_Device_FlowControl();
FT_STATUS Set_USB_Device_RTS();
FT_STATUS Clr_USB_Device_RTS();
FT_STATUS Set_USB_Device_DTR();
FT_STATUS Clr_USB_Device_DTR();
FT_STATUS Get_USB_Device_ModemStatus();
FT_STATUS Set_USB_Device_Chars();
FT_STATUS Purge_USB_Device_Out();
FT_STATUS Purge_USB_Device_In();
FT_STATUS Set_USB_Device_TimeOuts(DWord readTimeout, DWord writeTimeout);
FT_STATUS Get_USB_Device_QueueStatus();
FT_STATUS Set_USB_Device_Break_On();
FT_STATUS Set_USB_Device_Break_Off();
FT_STATUS Get_USB_Device_Status();
FT_STATUS Set_USB_Device_Event_Notification(DWord eventMask);
FT_STATUS Set_USB_Device_Reset_Pipe_Retry_Count(DWord retryCount);
FT_STATUS Stop_USB_Device_InTask();
FT_STATUS Restart_USB_Device_InTask();
FT_STATUS Reset_USB_Port();
FT_STATUS Cycle_USB_Port();
FT_STATUS Get_USB_Device_LatencyTimer();
FT_STATUS Set_USB_Device_LatencyTimer(std::uint8_t latency);
FT_STATUS Get_USB_Device_BitMode(std::uint8_t& bitMode);
FT_STATUS Set_USB_Device_BitMode(std::uint8_t mask, std::uint8_t mode);
FT_STATUS Set_USB_Parameters(DWord inTransferSize, DWord outTransferSize);

// EEPROM. FT_UA_Size above 64 is refused by USB_FT_EE_UAWrite like an oversized transfer.
FT_STATUS USB_FT_EE_Read();
FT_STATUS USB_FT_C_EE_Read();
FT_STATUS USB_FT_R_EE_Read();
FT_STATUS USB_FT_EE_Program();
FT_STATUS USB_FT_WriteEE(DWord wordAddress, std::uint16_t value);
FT_STATUS USB_FT_ReadEE(DWord wordAddress);
FT_STATUS USB_FT_EraseEE();
FT_STATUS USB_FT_EE_UARead();
FT_STATUS USB_FT_EE_UAWrite();
FT_STATUS USB_FT_EE_UASize();

}  // namespace D2XXUnit_ZT
