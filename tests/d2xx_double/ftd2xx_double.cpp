// A stand-in for the D2XX library: it records every call with its arguments and answers with
// the statuses and outputs that a test scripts through the control entry points.
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "ztusb/d2xx/d2xx_api.h"
#include "tests/d2xx_double/control.h"

// Windows' own DWORD and friends stand beside the library's: name the library's in full.
using d2xx::FT_Device_Info_Node;
using d2xx::FT_Handle;
using d2xx::FT_STATUS;
using d2xx::TFT_Program_Data;

namespace {

struct Output {
    int argument;
    std::vector<std::uint8_t> bytes;
};

struct Script {
    std::map<std::string, FT_STATUS, std::less<>> statuses;
    std::map<std::string, std::vector<Output>, std::less<>> outputs;
    std::string calls;
    bool logging = true;
};

Script& TheScript() {
    static Script script;
    return script;
}

// One argument as logged, and where scripted output may be written.
struct Arg {
    std::string text;
    void* pointer = nullptr;
};

template <typename Value>
Arg A(Value value) {
    if constexpr (std::is_pointer_v<Value>) {
        char text[32];
        std::snprintf(text, sizeof text, "P%llx",
                      static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(value)));
        return {text, const_cast<void*>(static_cast<const void*>(value))};
    } else {
        return {std::to_string(value), nullptr};
    }
}

// A pointer to text, logged with the text it held when the call was made.
Arg Text(const void* text) {
    Arg arg = A(text);
    if (text != nullptr) arg.text += "=\"" + std::string(static_cast<const char*>(text)) + "\"";
    return arg;
}

FT_STATUS Status(const Script& script, const char* entry) {
    const auto status = script.statuses.find(entry);
    return status == script.statuses.end() ? d2xx::FT_OK : status->second;
}

// Like the library, a call on a null handle writes nothing and fails with FT_INVALID_HANDLE.
constexpr FT_STATUS kInvalidHandle = 1;

// `onDevice`: the call takes the device handle first.
FT_STATUS Answer(const char* entry, bool onDevice, std::initializer_list<Arg> args) {
    Script& script = TheScript();
    if (script.logging) {
        std::string line = std::string(entry) + "(";
        for (const Arg& arg : args) line += (&arg == args.begin() ? "" : ",") + arg.text;
        script.calls += line + ")\n";
    }
    if (onDevice && args.begin()->pointer == nullptr) return kInvalidHandle;
    const auto outputs = script.outputs.find(entry);
    if (outputs == script.outputs.end()) return Status(script, entry);
    for (const Output& output : outputs->second) {
        if (output.argument < 0 || static_cast<std::size_t>(output.argument) >= args.size()) continue;
        void* target = std::data(args)[output.argument].pointer;
        if (target != nullptr && !output.bytes.empty()) std::memcpy(target, output.bytes.data(), output.bytes.size());
    }
    return Status(script, entry);
}

}  // namespace

ZT_DOUBLE_EXPORT void ZtDouble_Reset() { TheScript() = Script{}; }

ZT_DOUBLE_EXPORT void ZtDouble_SetStatus(const char* entry, std::uint32_t status) {
    TheScript().statuses[entry] = status;
}

ZT_DOUBLE_EXPORT void ZtDouble_SetOutput(const char* entry, int argument, const void* bytes,
                                         std::uint32_t size) {
    const auto* first = static_cast<const std::uint8_t*>(bytes);
    TheScript().outputs[entry].push_back({argument, {first, first + size}});
}

ZT_DOUBLE_EXPORT void ZtDouble_SetLogging(int on) { TheScript().logging = on != 0; }

ZT_DOUBLE_EXPORT const char* ZtDouble_Calls() { return TheScript().calls.c_str(); }

// The D2XX entry points, with the signatures the unit declares; those on a device take its
// handle first.
#define ZT_ENTRY_OF(Name, onDevice, Params, ...)                                   \
    ZT_DOUBLE_EXPORT FT_STATUS ZT_D2XX_CALL Name Params { return Answer(#Name, onDevice, {__VA_ARGS__}); } \
    static_assert(std::is_same_v<decltype(&Name), d2xx::entry::Name::type>);
#define ZT_ENTRY(Name, Params, ...) ZT_ENTRY_OF(Name, false, Params, __VA_ARGS__)
#define ZT_DEVICE_ENTRY(Name, Params, ...) ZT_ENTRY_OF(Name, true, Params, __VA_ARGS__)

ZT_ENTRY(FT_ListDevices, (void* a, void* b, d2xx::DWORD flags), A(a), A(b), A(flags))
ZT_ENTRY(FT_Open, (int number, FT_Handle* handle), A(number), A(handle))
ZT_ENTRY(FT_OpenEx, (void* what, d2xx::DWORD flags, FT_Handle* handle),
         flags == d2xx::FT_OPEN_BY_LOCATION ? A(what) : Text(what), A(flags), A(handle))
ZT_DEVICE_ENTRY(FT_Close, (FT_Handle h), A(h))
ZT_ENTRY(FT_CreateDeviceInfoList, (d2xx::DWORD* count), A(count))
ZT_ENTRY(FT_GetDeviceInfoList, (FT_Device_Info_Node* list, d2xx::DWORD* count), A(list), A(count))
ZT_ENTRY(FT_GetDeviceInfoDetail,
         (d2xx::DWORD index, d2xx::DWORD* flags, d2xx::DWORD* type, d2xx::DWORD* id, d2xx::DWORD* loc, void* serial, void* description, FT_Handle* handle),
         A(index), A(flags), A(type), A(id), A(loc), A(serial), A(description), A(handle))
ZT_DEVICE_ENTRY(FT_GetDriverVersion, (FT_Handle h, d2xx::DWORD* version), A(h), A(version))
ZT_ENTRY(FT_GetLibraryVersion, (d2xx::DWORD* version), A(version))
ZT_DEVICE_ENTRY(FT_GetDeviceInfo, (FT_Handle h, d2xx::DWORD* type, d2xx::DWORD* id, char* serial, char* description, void* dummy),
         A(h), A(type), A(id), A(serial), A(description), A(dummy))
ZT_DEVICE_ENTRY(FT_Read, (FT_Handle h, void* buffer, d2xx::DWORD count, d2xx::DWORD* done), A(h), A(buffer), A(count), A(done))
ZT_DEVICE_ENTRY(FT_Write, (FT_Handle h, void* buffer, d2xx::DWORD count, d2xx::DWORD* done), A(h), A(buffer), A(count), A(done))
ZT_DEVICE_ENTRY(FT_ResetDevice, (FT_Handle h), A(h))
ZT_DEVICE_ENTRY(FT_SetBaudRate, (FT_Handle h, d2xx::DWORD baud), A(h), A(baud))
ZT_DEVICE_ENTRY(FT_SetDivisor, (FT_Handle h, d2xx::WORD divisor), A(h), A(divisor))
ZT_DEVICE_ENTRY(FT_SetDataCharacteristics, (FT_Handle h, d2xx::UCHAR bits, d2xx::UCHAR stop, d2xx::UCHAR parity), A(h), A(+bits), A(+stop), A(+parity))
ZT_DEVICE_ENTRY(FT_SetFlowControl, (FT_Handle h, d2xx::WORD mode, d2xx::UCHAR xon, d2xx::UCHAR xoff), A(h), A(mode), A(+xon), A(+xoff))
ZT_DEVICE_ENTRY(FT_SetRts, (FT_Handle h), A(h))
ZT_DEVICE_ENTRY(FT_ClrRts, (FT_Handle h), A(h))
ZT_DEVICE_ENTRY(FT_SetDtr, (FT_Handle h), A(h))
ZT_DEVICE_ENTRY(FT_ClrDtr, (FT_Handle h), A(h))
ZT_DEVICE_ENTRY(FT_GetModemStatus, (FT_Handle h, d2xx::DWORD* status), A(h), A(status))
ZT_DEVICE_ENTRY(FT_SetChars, (FT_Handle h, d2xx::UCHAR event, d2xx::UCHAR eventOn, d2xx::UCHAR error, d2xx::UCHAR errorOn),
         A(h), A(+event), A(+eventOn), A(+error), A(+errorOn))
ZT_DEVICE_ENTRY(FT_Purge, (FT_Handle h, d2xx::DWORD mask), A(h), A(mask))
ZT_DEVICE_ENTRY(FT_SetTimeouts, (FT_Handle h, d2xx::DWORD read, d2xx::DWORD write), A(h), A(read), A(write))
ZT_DEVICE_ENTRY(FT_GetQueueStatus, (FT_Handle h, d2xx::DWORD* bytes), A(h), A(bytes))
ZT_DEVICE_ENTRY(FT_SetBreakOn, (FT_Handle h), A(h))
ZT_DEVICE_ENTRY(FT_SetBreakOff, (FT_Handle h), A(h))
ZT_DEVICE_ENTRY(FT_GetStatus, (FT_Handle h, d2xx::DWORD* rx, d2xx::DWORD* tx, d2xx::DWORD* event), A(h), A(rx), A(tx), A(event))
ZT_DEVICE_ENTRY(FT_SetEventNotification, (FT_Handle h, d2xx::DWORD mask, void* param), A(h), A(mask), A(param))
ZT_DEVICE_ENTRY(FT_SetResetPipeRetryCount, (FT_Handle h, d2xx::DWORD count), A(h), A(count))
ZT_DEVICE_ENTRY(FT_StopInTask, (FT_Handle h), A(h))
ZT_DEVICE_ENTRY(FT_RestartInTask, (FT_Handle h), A(h))
ZT_DEVICE_ENTRY(FT_ResetPort, (FT_Handle h), A(h))
ZT_DEVICE_ENTRY(FT_CyclePort, (FT_Handle h), A(h))
ZT_DEVICE_ENTRY(FT_GetLatencyTimer, (FT_Handle h, d2xx::UCHAR* latency), A(h), A(latency))
ZT_DEVICE_ENTRY(FT_SetLatencyTimer, (FT_Handle h, d2xx::UCHAR latency), A(h), A(+latency))
ZT_DEVICE_ENTRY(FT_GetBitMode, (FT_Handle h, d2xx::UCHAR* mode), A(h), A(mode))
ZT_DEVICE_ENTRY(FT_SetBitMode, (FT_Handle h, d2xx::UCHAR mask, d2xx::UCHAR mode), A(h), A(+mask), A(+mode))
ZT_DEVICE_ENTRY(FT_SetUSBParameters, (FT_Handle h, d2xx::DWORD in, d2xx::DWORD out), A(h), A(in), A(out))
ZT_DEVICE_ENTRY(FT_EE_Read, (FT_Handle h, TFT_Program_Data* data), A(h), A(data))
ZT_DEVICE_ENTRY(FT_EE_Program, (FT_Handle h, TFT_Program_Data* data), A(h), A(data))
ZT_DEVICE_ENTRY(FT_WriteEE, (FT_Handle h, d2xx::DWORD address, d2xx::WORD value), A(h), A(address), A(value))
ZT_DEVICE_ENTRY(FT_ReadEE, (FT_Handle h, d2xx::DWORD address, d2xx::WORD* value), A(h), A(address), A(value))
ZT_DEVICE_ENTRY(FT_EraseEE, (FT_Handle h), A(h))
ZT_DEVICE_ENTRY(FT_EE_UARead, (FT_Handle h, d2xx::UCHAR* data, d2xx::DWORD size, d2xx::DWORD* read), A(h), A(data), A(size), A(read))
ZT_DEVICE_ENTRY(FT_EE_UAWrite, (FT_Handle h, d2xx::UCHAR* data, d2xx::DWORD size), A(h), A(data), A(size))
ZT_DEVICE_ENTRY(FT_EE_UASize, (FT_Handle h, d2xx::DWORD* size), A(h), A(size))
