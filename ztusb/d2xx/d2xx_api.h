#pragma once
// The D2XX library's types and entry points, as FTDI's published interface defines them.
// Each entry point is one row: its name and its parameters. The unit resolves them at run
// time; a test double implements them.

#include <cstddef>
#include <cstdint>

#include "ztusb/win32/api.h"

// The library's calling convention: Windows' own there, the platform's default elsewhere.
#ifdef _WIN32
#define ZT_D2XX_CALL WINAPI
#else
#define ZT_D2XX_CALL
#endif

namespace d2xx {

using FT_STATUS = std::uint32_t;
using FT_Handle = void*;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using UCHAR = std::uint8_t;

// Statuses as the library numbers them. The unit's messages date from when 17 was the last
// status and read " - Other error ..." for it; the library has since named 17
// FT_NOT_SUPPORTED and added 18 and 19. The unit keeps its text for 17, and keeps 17 as
// its own status for a missing library or entry point, which hosts already test for.
enum : FT_STATUS {
    FT_OK = 0,
    FT_IO_ERROR = 4,
    FT_INSUFFICIENT_RESOURCES = 5,
    FT_INVALID_PARAMETER = 6,
    FT_NOT_SUPPORTED = 17,
    FT_OTHER_ERROR = 18,
    FT_DEVICE_LIST_NOT_READY = 19,
    FT_LIBRARY_MISSING = FT_NOT_SUPPORTED,  // the unit's own: no library or entry point
};

// The library writes serial numbers and descriptions of up to this many bytes, zero included.
constexpr std::size_t FT_MAX_TEXT = 64;

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

// The library lays its records out with natural alignment; a mismatch here would have it
// write fields into the wrong places. Offsets are the documented ones for 32-bit and
// 64-bit builds.
constexpr bool kWidePointers = sizeof(void*) == 8;
static_assert(offsetof(FT_Device_Info_Node, LocID) == 12);
static_assert(offsetof(FT_Device_Info_Node, SerialNumber) == 16);
static_assert(offsetof(FT_Device_Info_Node, Description) == 32);
static_assert(offsetof(FT_Device_Info_Node, DeviceHandle) == 96);
static_assert(sizeof(FT_Device_Info_Node) == (kWidePointers ? 104 : 100));

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

// Offsets after the four text pointers, which take 16 bytes more in a 64-bit build.
constexpr std::size_t AfterTexts(std::size_t offset32) { return offset32 + (kWidePointers ? 16 : 0); }
static_assert(offsetof(TFT_Program_Data, Version) == 8);
static_assert(offsetof(TFT_Program_Data, ProductID) == 14);
static_assert(offsetof(TFT_Program_Data, Manufacturer) == 16);
static_assert(offsetof(TFT_Program_Data, ManufacturerID) == (kWidePointers ? 24 : 20));
static_assert(offsetof(TFT_Program_Data, Description) == (kWidePointers ? 32 : 24));
static_assert(offsetof(TFT_Program_Data, SerialNumber) == (kWidePointers ? 40 : 28));
// Each 16-bit field and the ends of each run of bytes: a field of the wrong width or order
// moves the next one checked.
static_assert(offsetof(TFT_Program_Data, MaxPower) == AfterTexts(32));
static_assert(offsetof(TFT_Program_Data, PnP) == AfterTexts(34));
static_assert(offsetof(TFT_Program_Data, SelfPowered) == AfterTexts(36));
static_assert(offsetof(TFT_Program_Data, RemoteWakeup) == AfterTexts(38));
static_assert(offsetof(TFT_Program_Data, Rev4) == AfterTexts(40));
static_assert(offsetof(TFT_Program_Data, USBVersionEnable) == AfterTexts(45));
static_assert(offsetof(TFT_Program_Data, USBVersion) == AfterTexts(46));
static_assert(offsetof(TFT_Program_Data, Rev5) == AfterTexts(48));
static_assert(offsetof(TFT_Program_Data, USBVersionEnable5) == AfterTexts(55));
static_assert(offsetof(TFT_Program_Data, USBVersion5) == AfterTexts(56));
static_assert(offsetof(TFT_Program_Data, AIsHighCurrent) == AfterTexts(58));
static_assert(offsetof(TFT_Program_Data, RIsVCP) == AfterTexts(86));
static_assert(offsetof(TFT_Program_Data, LaterVersions) == AfterTexts(87));

// One entry point: its name and its pointer type.
#define ZT_D2XX_ENTRY(Name, ...)                                       \
    struct Name {                                                      \
        static constexpr const char* name = #Name;                     \
        using type = FT_STATUS(ZT_D2XX_CALL*)(__VA_ARGS__);            \
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
