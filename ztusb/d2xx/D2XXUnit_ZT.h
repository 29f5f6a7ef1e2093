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
#include "ztusb/export.h"
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
ZT_API extern TFTHandle FT_HANDLE;
ZT_API extern bool FT_Enable_Error_Report;
ZT_API extern DWord FT_Device_Count;
ZT_API extern char SerialNumber[d2xx::FT_MAX_TEXT];  // the library writes up to 64 bytes
ZT_API extern char Description[d2xx::FT_MAX_TEXT];
ZT_API extern DWord LocID;
ZT_API extern zt::host::String FT_Device_String;
ZT_API extern DWord FT_Device_Location;
ZT_API extern char FT_Device_String_Buffer[50];
ZT_API extern TFT_DeviceInfoList FT_DeviceInfoList;
ZT_API extern FT_Device_Info_Node USB_Device_Info_Node;

// Settings, buffers and results of configuration and transfer.
ZT_API extern DWord FT_Current_Baud;
ZT_API extern std::uint8_t FT_Current_DataBits;
ZT_API extern std::uint8_t FT_Current_StopBits;
ZT_API extern std::uint8_t FT_Current_Parity;
ZT_API extern std::uint16_t FT_Current_FlowControl;
ZT_API extern std::uint8_t FT_XON_Value;
ZT_API extern std::uint8_t FT_XOFF_Value;
ZT_API extern std::uint8_t FT_EVENT_Value;
ZT_API extern std::uint8_t FT_ERROR_Value;
ZT_API extern bool FT_Event_On;
ZT_API extern bool FT_Error_On;
ZT_API extern std::uint8_t FT_In_Buffer[kTransferBufferSize];
ZT_API extern std::uint8_t FT_Out_Buffer[kTransferBufferSize];
ZT_API extern FT_STATUS FT_IO_Status;
ZT_API extern DWord FT_Modem_Status;
ZT_API extern DWord FT_Q_Bytes;
ZT_API extern DWord FT_TxQ_Bytes;
ZT_API extern DWord FT_Event_Status;
ZT_API extern std::uint8_t FT_LatencyRd;
ZT_API extern void* FT_Event_Handle;
// Declared for hosts; no function reads or writes them.
ZT_API extern DWord FT_TimeOut_Count;
ZT_API extern DWord FT_All_Bytes_Received;
ZT_API extern bool FT_RTS_On;
ZT_API extern bool FT_DTR_On;
ZT_API extern DWord FT_SetupError;

// The EEPROM.
ZT_API extern TFT_Program_Data EEDataBuffer;
ZT_API extern char Manufacturer[64];
ZT_API extern char ManufacturerID[16];
ZT_API extern std::uint8_t UserData[64];
ZT_API extern DWord FT_UA_Size;
ZT_API extern std::uint16_t WordRead;

// Shows "label + message" for every failing status (above 19 the message gives the number),
// unless switched off.
ZT_API void Report_USB_Device_Error(const char* label, FT_STATUS status);

// Device list, open and versions.
ZT_API FT_STATUS GetFTDeviceCount();
ZT_API FT_STATUS GetFTDeviceSerialNo(DWord deviceIndex);
ZT_API FT_STATUS GetFTDeviceDescription(DWord deviceIndex);
ZT_API FT_STATUS GetFTDeviceLocation(DWord deviceIndex);
ZT_API FT_STATUS Open_USB_Device();
ZT_API FT_STATUS Open_USB_Device_By_Serial_Number(const zt::host::String& serial);
ZT_API FT_STATUS Open_USB_Device_By_Device_Description(const zt::host::String& description);
ZT_API FT_STATUS Open_USB_Device_By_Device_Location(DWord location);
ZT_API FT_STATUS Close_USB_Device();
ZT_API FT_STATUS Create_USB_Device_List();
ZT_API FT_STATUS Get_USB_Device_List();
ZT_API FT_STATUS Get_USB_Device_List_Detail(DWord deviceIndex);
ZT_API FT_STATUS Get_USB_Driver_Version(TDWordptr version);
ZT_API FT_STATUS Get_USB_Library_Version(TDWordptr version);
ZT_API FT_STATUS USB_FT_GetDeviceInfo(DWord& deviceType, DWord& id, char* serialNumber,
                                      char* description);

// Configuration and transfer. Counts above the buffers' 65,536 bytes (or below 0) are
// refused with FT_INVALID_PARAMETER without calling the library.
ZT_API std::int32_t Read_USB_Device_Buffer(std::int32_t count);
ZT_API std::int32_t Write_USB_Device_Buffer(std::int32_t count);
ZT_API FT_STATUS Reset_USB_Device();
ZT_API FT_STATUS Set_USB_Device_BaudRate();
ZT_API FT_STATUS Set_USB_Device_BaudRate_Divisor(DWord divisor);
ZT_API FT_STATUS Set_USB_Device_DataCharacteristics();
ZT_API FT_STATUS Set_USB_Device_FlowControl();
ZT_API FT_STATUS Set_USB_Device_RTS();
ZT_API FT_STATUS Clr_USB_Device_RTS();
ZT_API FT_STATUS Set_USB_Device_DTR();
ZT_API FT_STATUS Clr_USB_Device_DTR();
ZT_API FT_STATUS Get_USB_Device_ModemStatus();
ZT_API FT_STATUS Set_USB_Device_Chars();
ZT_API FT_STATUS Purge_USB_Device_Out();
ZT_API FT_STATUS Purge_USB_Device_In();
ZT_API FT_STATUS Set_USB_Device_TimeOuts(DWord readTimeout, DWord writeTimeout);
ZT_API FT_STATUS Get_USB_Device_QueueStatus();
ZT_API FT_STATUS Set_USB_Device_Break_On();
ZT_API FT_STATUS Set_USB_Device_Break_Off();
ZT_API FT_STATUS Get_USB_Device_Status();
ZT_API FT_STATUS Set_USB_Device_Event_Notification(DWord eventMask);
ZT_API FT_STATUS Set_USB_Device_Reset_Pipe_Retry_Count(DWord retryCount);
ZT_API FT_STATUS Stop_USB_Device_InTask();
ZT_API FT_STATUS Restart_USB_Device_InTask();
ZT_API FT_STATUS Reset_USB_Port();
ZT_API FT_STATUS Cycle_USB_Port();
ZT_API FT_STATUS Get_USB_Device_LatencyTimer();
ZT_API FT_STATUS Set_USB_Device_LatencyTimer(std::uint8_t latency);
ZT_API FT_STATUS Get_USB_Device_BitMode(std::uint8_t& bitMode);
ZT_API FT_STATUS Set_USB_Device_BitMode(std::uint8_t mask, std::uint8_t mode);
ZT_API FT_STATUS Set_USB_Parameters(DWord inTransferSize, DWord outTransferSize);

// EEPROM. FT_UA_Size above 64 is refused by USB_FT_EE_UAWrite like an oversized transfer.
ZT_API FT_STATUS USB_FT_EE_Read();
ZT_API FT_STATUS USB_FT_C_EE_Read();
ZT_API FT_STATUS USB_FT_R_EE_Read();
ZT_API FT_STATUS USB_FT_EE_Program();
ZT_API FT_STATUS USB_FT_WriteEE(DWord wordAddress, std::uint16_t value);
ZT_API FT_STATUS USB_FT_ReadEE(DWord wordAddress);
ZT_API FT_STATUS USB_FT_EraseEE();
ZT_API FT_STATUS USB_FT_EE_UARead();
ZT_API FT_STATUS USB_FT_EE_UAWrite();
ZT_API FT_STATUS USB_FT_EE_UASize();

}  // namespace D2XXUnit_ZT
