// The unit's module variables, one copy in the library that host and functions share.
#include "ztusb/d2xx/D2XXUnit_ZT.h"

namespace D2XXUnit_ZT {

TFTHandle FT_HANDLE = nullptr;
bool FT_Enable_Error_Report = true;
DWord FT_Device_Count = 0;
char SerialNumber[d2xx::FT_MAX_TEXT] = {};
char Description[d2xx::FT_MAX_TEXT] = {};
DWord LocID = 0;
zt::host::String FT_Device_String;
DWord FT_Device_Location = 0;
char FT_Device_String_Buffer[50] = {};
TFT_DeviceInfoList FT_DeviceInfoList;
FT_Device_Info_Node USB_Device_Info_Node = {};
DWord FT_Current_Baud = 0;
std::uint8_t FT_Current_DataBits = 0;
std::uint8_t FT_Current_StopBits = 0;
std::uint8_t FT_Current_Parity = 0;
std::uint16_t FT_Current_FlowControl = 0;
std::uint8_t FT_XON_Value = 0x11;
std::uint8_t FT_XOFF_Value = 0x13;
std::uint8_t FT_EVENT_Value = 0;
std::uint8_t FT_ERROR_Value = 0;
bool FT_Event_On = false;
bool FT_Error_On = false;
std::uint8_t FT_In_Buffer[kTransferBufferSize] = {};
std::uint8_t FT_Out_Buffer[kTransferBufferSize] = {};
FT_STATUS FT_IO_Status = 0;
DWord FT_Modem_Status = 0;
DWord FT_Q_Bytes = 0;
DWord FT_TxQ_Bytes = 0;
DWord FT_Event_Status = 0;
std::uint8_t FT_LatencyRd = 0;
void* FT_Event_Handle = nullptr;
DWord FT_TimeOut_Count = 0;
DWord FT_All_Bytes_Received = 0;
bool FT_RTS_On = false;
bool FT_DTR_On = false;
DWord FT_SetupError = 0;
TFT_Program_Data EEDataBuffer = {};
char Manufacturer[64] = {};
char ManufacturerID[16] = {};
std::uint8_t UserData[64] = {};
DWord FT_UA_Size = 0;
std::uint16_t WordRead = 0;

}  // namespace D2XXUnit_ZT
