// Data transfer, serial settings, modem lines, timing and USB options of the open device.
#include <type_traits>

#include "ztusb/d2xx/D2XXUnit_ZT.h"
#include "ztusb/d2xx/d2xx_library.h"

namespace D2XXUnit_ZT {
namespace {

using namespace d2xx;
using detail::Call;

// A count the module buffer cannot hold is refused before the library could overrun it.
template <typename Entry>
std::int32_t Transfer(const char* label, std::uint8_t* buffer, std::int32_t count) {
    if (count < 0 || static_cast<std::size_t>(count) > kTransferBufferSize) {
        FT_IO_Status = FT_INVALID_PARAMETER;
        Report_USB_Device_Error(label, FT_IO_Status);
        return 0;
    }
    // A one-byte read presets its count, so a failure that leaves it untouched returns 1.
    DWord& done = detail::transferred;
    done = std::is_same_v<Entry, entry::FT_Read> && count == 1 ? 1 : 0;
    FT_IO_Status = Call<Entry>(label, FT_HANDLE, static_cast<void*>(buffer),
                               static_cast<DWord>(count), &done);
    // No more can have moved than was asked for: a larger count is the library's fault,
    // reported, and never handed on (above 2^31 it would even turn negative).
    if (done > static_cast<DWord>(count)) {
        done = static_cast<DWord>(count);
        if (FT_IO_Status == FT_OK) {
            FT_IO_Status = FT_IO_ERROR;
            Report_USB_Device_Error(label, FT_IO_Status);
        }
    }
    return static_cast<std::int32_t>(done);
}

UCHAR Enable(bool flag) { return flag ? 1 : 0; }

}  // namespace

std::int32_t Read_USB_Device_Buffer(std::int32_t count) {
    return Transfer<entry::FT_Read>("FT_Read", FT_In_Buffer, count);
}

std::int32_t Write_USB_Device_Buffer(std::int32_t count) {
    return Transfer<entry::FT_Write>("FT_Write", FT_Out_Buffer, count);
}

FT_STATUS Reset_USB_Device() { return Call<entry::FT_ResetDevice>("FT_ResetDevice", FT_HANDLE); }

FT_STATUS Set_USB_Device_BaudRate() {
    return Call<entry::FT_SetBaudRate>("FT_SetBaudRate", FT_HANDLE, FT_Current_Baud);
}

FT_STATUS Set_USB_Device_BaudRate_Divisor(DWord divisor) {
    return Call<entry::FT_SetDivisor>("FT_SetDivisor", FT_HANDLE, static_cast<WORD>(divisor));
}

FT_STATUS Set_USB_Device_DataCharacteristics() {
    return Call<entry::FT_SetDataCharacteristics>("FT_SetDataCharacteristics", FT_HANDLE,
                                                  FT_Current_DataBits, FT_Current_StopBits,
                                                  FT_Current_Parity);
}

FT_STATUS Set_USB_Device_FlowControl() {
    return Call<entry::FT_SetFlowControl>("FT_SetFlowControl", FT_HANDLE, FT_Current_FlowControl,
                                          FT_XON_Value, FT_XOFF_Value);
}

FT_STATUS Set_USB_Device_RTS() { return Call<entry::FT_SetRts>("FT_SetRTS", FT_HANDLE); }
FT_STATUS Clr_USB_Device_RTS() { return Call<entry::FT_ClrRts>("FT_ClrRTS", FT_HANDLE); }
FT_STATUS Set_USB_Device_DTR() { return Call<entry::FT_SetDtr>("FT_SetDTR", FT_HANDLE); }
FT_STATUS Clr_USB_Device_DTR() { return Call<entry::FT_ClrDtr>("FT_ClrDTR", FT_HANDLE); }

FT_STATUS Get_USB_Device_ModemStatus() {
    return Call<entry::FT_GetModemStatus>("FT_GetModemStatus", FT_HANDLE, &FT_Modem_Status);
}

FT_STATUS Set_USB_Device_Chars() {
    return Call<entry::FT_SetChars>("FT_SetChars", FT_HANDLE, FT_EVENT_Value, Enable(FT_Event_On),
                                    FT_ERROR_Value, Enable(FT_Error_On));
}

// The names run against the masks: "Out" purges what was received.
FT_STATUS Purge_USB_Device_Out() {
    return Call<entry::FT_Purge>("FT_Purge RX", FT_HANDLE, FT_PURGE_RX);
}

FT_STATUS Purge_USB_Device_In() {
    return Call<entry::FT_Purge>("FT_Purge TX", FT_HANDLE, FT_PURGE_TX);
}

FT_STATUS Set_USB_Device_TimeOuts(DWord readTimeout, DWord writeTimeout) {
    return Call<entry::FT_SetTimeouts>("FT_SetTimeouts", FT_HANDLE, readTimeout, writeTimeout);
}

FT_STATUS Get_USB_Device_QueueStatus() {
    return Call<entry::FT_GetQueueStatus>("FT_GetQueueStatus", FT_HANDLE, &FT_Q_Bytes);
}

FT_STATUS Set_USB_Device_Break_On() {
    return Call<entry::FT_SetBreakOn>("FT_SetBreakOn", FT_HANDLE);
}

FT_STATUS Set_USB_Device_Break_Off() {
    return Call<entry::FT_SetBreakOff>("FT_SetBreakOff", FT_HANDLE);
}

FT_STATUS Get_USB_Device_Status() {
    return Call<entry::FT_GetStatus>("FT_GetStatus", FT_HANDLE, &FT_Q_Bytes, &FT_TxQ_Bytes,
                                     &FT_Event_Status);
}

FT_STATUS Set_USB_Device_Event_Notification(DWord eventMask) {
    return Call<entry::FT_SetEventNotification>("FT_SetEventNotification ", FT_HANDLE, eventMask,
                                                FT_Event_Handle);
}

FT_STATUS Set_USB_Device_Reset_Pipe_Retry_Count(DWord retryCount) {
    return Call<entry::FT_SetResetPipeRetryCount>("FT_SetResetPipeRetryCount", FT_HANDLE,
                                                  retryCount);
}

FT_STATUS Stop_USB_Device_InTask() {
    return Call<entry::FT_StopInTask>("FT_StopInTask", FT_HANDLE);
}

FT_STATUS Restart_USB_Device_InTask() {
    return Call<entry::FT_RestartInTask>("FT_RestartInTask", FT_HANDLE);
}

FT_STATUS Reset_USB_Port() { return Call<entry::FT_ResetPort>("FT_ResetPort", FT_HANDLE); }
FT_STATUS Cycle_USB_Port() { return Call<entry::FT_CyclePort>("FT_CyclePort", FT_HANDLE); }

FT_STATUS Get_USB_Device_LatencyTimer() {
    return Call<entry::FT_GetLatencyTimer>("FT_GetLatencyTimer ", FT_HANDLE, &FT_LatencyRd);
}

FT_STATUS Set_USB_Device_LatencyTimer(std::uint8_t latency) {
    return Call<entry::FT_SetLatencyTimer>("FT_SetLatencyTimer ", FT_HANDLE, latency);
}

FT_STATUS Get_USB_Device_BitMode(std::uint8_t& bitMode) {
    return Call<entry::FT_GetBitMode>("FT_GetBitMode ", FT_HANDLE, &bitMode);
}

FT_STATUS Set_USB_Device_BitMode(std::uint8_t mask, std::uint8_t mode) {
    return Call<entry::FT_SetBitMode>("FT_SetBitMode ", FT_HANDLE, mask, mode);
}

FT_STATUS Set_USB_Parameters(DWord inTransferSize, DWord outTransferSize) {
    return Call<entry::FT_SetUSBParameters>("FT_SetUSBParameters ", FT_HANDLE, inTransferSize,
                                            outTransferSize);
}

}  // namespace D2XXUnit_ZT
