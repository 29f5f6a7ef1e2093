#pragma once
// The D2XX library's types and entry points, as FTDI's published interface defines them.
// Each entry point is one row: its name and its parameters. The unit resolves them at run
// time; a test double implements them.

#include <cstdint>

#include "win32/api.h"

namespace d2xx {

using FT_STATUS = std::uint32_t;
using FT_Handle = void*;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using UCHAR = std::uint8_t;

enum : FT_STATUS {
    FT_OK = 0,
    FT_INVALID_PARAMETER = 6,
    FT_OTHER_ERROR = 17,
};

constexpr DWORD FT_LIST_NUMBER_ONLY = 0x80000000;
constexpr DWORD FT_LIST_BY_INDEX = 0x40000000;
constexpr DWORD FT_OPEN_BY_SERIAL_NUMBER = 1;
constexpr DWORD FT_OPEN_BY_DESCRIPTION = 2;
constexpr DWORD FT_OPEN_BY_LOCATION = 4;
constexpr DWORD FT_PURGE_RX = 1;
constexpr DWORD FT_PURGE_TX = 2;

// The library's FT_DEVICE_LIST_INFO_NODE.
struct FT_Device_Info_Node {
    DWORD Flags;
    DWORD DeviceType;
    DWORD ID;
    DWORD LocID;
    char SerialNumber[16];
    char Description[64];
    FT_Handle DeviceHandle;
};

// The library's FT_PROGRAM_DATA through its 58th field. Later versions of the library add
// fields behind these, so the record carries room for them: a host may set a later
// Version, and the library must not write past the record.
struct TFT_Program_Data {
    DWORD Signature1;
    DWORD Signature2;
    DWORD Version;
    WORD VendorID;
    WORD ProductID;
    char* Manufacturer;
    char* ManufacturerID;
    char* Description;
    char* SerialNumber;
    WORD MaxPower;
    WORD PnP;
    WORD SelfPowered;
    WORD RemoteWakeup;
    UCHAR Rev4, IsoIn, IsoOut, PullDownEnable, SerNumEnable, USBVersionEnable;
    WORD USBVersion;
    UCHAR Rev5, IsoInA, IsoInB, IsoOutA, IsoOutB, PullDownEnable5, SerNumEnable5,
        USBVersionEnable5;
    WORD USBVersion5;
    UCHAR AIsHighCurrent, BIsHighCurrent, IFAIsFifo, IFAIsFifoTar, IFAIsFastSer, AIsVCP,
        IFBIsFifo, IFBIsFifoTar, IFBIsFastSer, BIsVCP, UseExtOsc, HighDriveIOs, EndpointSize,
        PullDownEnableR, SerNumEnableR, InvertTXD, InvertRXD, InvertRTS, InvertCTS, InvertDTR,
        InvertDSR, InvertDCD, InvertRI, Cbus0, Cbus1, Cbus2, Cbus3, Cbus4, RIsVCP;
    UCHAR LaterVersions[512];
};

// One entry point: its name and its pointer type.
#define ZT_D2XX_ENTRY(Name, ...)                                       \
    struct Name {                                                      \
        static constexpr const char* name = #Name;                     \
        using type = FT_STATUS(WINAPI*)(__VA_ARGS__);                  \
    };

namespace entry {
ZT_D2XX_ENTRY(FT_ListDevices, void*, void*, DWORD)
ZT_D2XX_ENTRY(FT_Open, int, FT_Handle*)
ZT_D2XX_ENTRY(FT_OpenEx, void*, DWORD, FT_Handle*)
ZT_D2XX_ENTRY(FT_Close, FT_Handle)
ZT_D2XX_ENTRY(FT_CreateDeviceInfoList, DWORD*)
ZT_D2XX_ENTRY(FT_GetDeviceInfoList, FT_Device_Info_Node*, DWORD*)
ZT_D2XX_ENTRY(FT_GetDeviceInfoDetail, DWORD, DWORD*, DWORD*, DWORD*, DWORD*, void*, void*, FT_Handle*)
ZT_D2XX_ENTRY(FT_GetDriverVersion, FT_Handle, DWORD*)
ZT_D2XX_ENTRY(FT_GetLibraryVersion, DWORD*)
ZT_D2XX_ENTRY(FT_GetDeviceInfo, FT_Handle, DWORD*, DWORD*, char*, char*, void*)
ZT_D2XX_ENTRY(FT_Read, FT_Handle, void*, DWORD, DWORD*)
ZT_D2XX_ENTRY(FT_Write, FT_Handle, void*, DWORD, DWORD*)
ZT_D2XX_ENTRY(FT_ResetDevice, FT_Handle)
ZT_D2XX_ENTRY(FT_SetBaudRate, FT_Handle, DWORD)
ZT_D2XX_ENTRY(FT_SetDivisor, FT_Handle, WORD)
ZT_D2XX_ENTRY(FT_SetDataCharacteristics, FT_Handle, UCHAR, UCHAR, UCHAR)
ZT_D2XX_ENTRY(FT_SetFlowControl, FT_Handle, WORD, UCHAR, UCHAR)
ZT_D2XX_ENTRY(FT_SetRts, FT_Handle)
ZT_D2XX_ENTRY(FT_ClrRts, FT_Handle)
ZT_D2XX_ENTRY(FT_SetDtr, FT_Handle)
ZT_D2XX_ENTRY(FT_ClrDtr, FT_Handle)
ZT_D2XX_ENTRY(FT_GetModemStatus, FT_Handle, DWORD*)
ZT_D2XX_ENTRY(FT_SetChars, FT_Handle, UCHAR, UCHAR, UCHAR, UCHAR)
ZT_D2XX_ENTRY(FT_Purge, FT_Handle, DWORD)
ZT_D2XX_ENTRY(FT_SetTimeouts, FT_Handle, DWORD, DWORD)
ZT_D2XX_ENTRY(FT_GetQueueStatus, FT_Handle, DWORD*)
ZT_D2XX_ENTRY(FT_SetBreakOn, FT_Handle)
ZT_D2XX_ENTRY(FT_SetBreakOff, FT_Handle)
ZT_D2XX_ENTRY(FT_GetStatus, FT_Handle, DWORD*, DWORD*, DWORD*)
ZT_D2XX_ENTRY(FT_SetEventNotification, FT_Handle, DWORD, void*)
ZT_D2XX_ENTRY(FT_SetResetPipeRetryCount, FT_Handle, DWORD)
ZT_D2XX_ENTRY(FT_StopInTask, FT_Handle)
ZT_D2XX_ENTRY(FT_RestartInTask, FT_Handle)
ZT_D2XX_ENTRY(FT_ResetPort, FT_Handle)
ZT_D2XX_ENTRY(FT_CyclePort, FT_Handle)
ZT_D2XX_ENTRY(FT_GetLatencyTimer, FT_Handle, UCHAR*)
ZT_D2XX_ENTRY(FT_SetLatencyTimer, FT_Handle, UCHAR)
ZT_D2XX_ENTRY(FT_GetBitMode, FT_Handle, UCHAR*)
ZT_D2XX_ENTRY(FT_SetBitMode, FT_Handle, UCHAR, UCHAR)
ZT_D2XX_ENTRY(FT_SetUSBParameters, FT_Handle, DWORD, DWORD)
ZT_D2XX_ENTRY(FT_EE_Read, FT_Handle, TFT_Program_Data*)
ZT_D2XX_ENTRY(FT_EE_Program, FT_Handle, TFT_Program_Data*)
ZT_D2XX_ENTRY(FT_WriteEE, FT_Handle, DWORD, WORD)
ZT_D2XX_ENTRY(FT_ReadEE, FT_Handle, DWORD, WORD*)
ZT_D2XX_ENTRY(FT_EraseEE, FT_Handle)
ZT_D2XX_ENTRY(FT_EE_UARead, FT_Handle, UCHAR*, DWORD, DWORD*)
ZT_D2XX_ENTRY(FT_EE_UAWrite, FT_Handle, UCHAR*, DWORD)
ZT_D2XX_ENTRY(FT_EE_UASize, FT_Handle, DWORD*)
}  // namespace entry

#undef ZT_D2XX_ENTRY

}  // namespace d2xx
