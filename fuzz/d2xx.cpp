// The D2XX unit against a library that answers from the input: any counts, texts with and
// without their terminating zero, handles and statuses, each written only where and as far
// as the library's documentation lets it write.
//
// Input: per call: which call (1 byte), its status (1 byte: below 24 that status, else 0),
// then the outputs that call takes, each as a length (1 or 2 bytes) and bytes.
#include <cstdlib>
#include <functional>

#include "ztusb/d2xx/D2XXUnit_ZT.h"
#include "fuzz/fuzz_input.h"
#include "tests/d2xx_double/double_client.h"

namespace {

using namespace D2XXUnit_ZT;
using d2xx::FT_MAX_TEXT;
using zt::fuzz::FuzzInput;

const zt::testing::D2xxDouble& Library() {
    static const zt::testing::D2xxDouble library;
    return library;
}

// Writes what the input gives, at most `most` bytes, through argument `argument` of `entry`.
void Output(FuzzInput& input, const char* entry, int argument, std::size_t most) {
    const std::size_t wanted = most > 255 ? input.Take<std::uint16_t>() : input.Take<std::uint8_t>();
    const auto bytes = input.TakeBytes(std::min(wanted, most));
    Library().OutputBytes(entry, argument, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

void Number(FuzzInput& input, const char* entry, int argument) { Output(input, entry, argument, 4); }

struct Call {
    const char* entry;
    std::function<void(FuzzInput&)> run;
};

std::uint32_t listed = 0;  // what the library's last create counted: its list's length

const std::vector<Call>& Calls() {
    static const std::vector<Call> calls = {
        {"FT_ListDevices", [](FuzzInput& in) { Number(in, "FT_ListDevices", 0); GetFTDeviceCount(); }},
        {"FT_ListDevices", [](FuzzInput& in) { Output(in, "FT_ListDevices", 1, FT_MAX_TEXT); GetFTDeviceSerialNo(in.Take<std::uint8_t>()); }},
        {"FT_ListDevices", [](FuzzInput& in) { Output(in, "FT_ListDevices", 1, FT_MAX_TEXT); GetFTDeviceDescription(in.Take<std::uint8_t>()); }},
        {"FT_ListDevices", [](FuzzInput& in) { Number(in, "FT_ListDevices", 1); GetFTDeviceLocation(in.Take<std::uint8_t>()); }},
        {"FT_CreateDeviceInfoList", [](FuzzInput& in) {
             const auto count = in.Take<std::uint32_t>();
             Library().Output("FT_CreateDeviceInfoList", 0, count);
             if (Create_USB_Device_List() == d2xx::FT_OK) listed = count;
         }},
        {"FT_GetDeviceInfoList", [](FuzzInput& in) {
             // The library copies the whole list of its last create, bounded here to keep runs short.
             const std::size_t most = std::min<std::size_t>(listed, 64) * sizeof(FT_Device_Info_Node);
             Output(in, "FT_GetDeviceInfoList", 0, most);
             Number(in, "FT_GetDeviceInfoList", 1);
             Get_USB_Device_List();
             zt::fuzz::Require(FT_DeviceInfoList.size() <= listed, "the list holds no more than the library filled");
         }},
        {"FT_GetDeviceInfoDetail", [](FuzzInput& in) {
             for (int argument = 1; argument <= 4; ++argument) Number(in, "FT_GetDeviceInfoDetail", argument);
             Output(in, "FT_GetDeviceInfoDetail", 5, 16);
             Output(in, "FT_GetDeviceInfoDetail", 6, FT_MAX_TEXT);
             Get_USB_Device_List_Detail(in.Take<std::uint8_t>());
         }},
        {"FT_GetDeviceInfo", [](FuzzInput& in) {
             Number(in, "FT_GetDeviceInfo", 1);
             Number(in, "FT_GetDeviceInfo", 2);
             Output(in, "FT_GetDeviceInfo", 3, 16);
             Output(in, "FT_GetDeviceInfo", 4, FT_MAX_TEXT);
             DWord type = 0;
             DWord id = 0;
             char serial[16];
             char description[64];
             USB_FT_GetDeviceInfo(type, id, serial, description);
         }},
        {"FT_OpenEx", [](FuzzInput& in) {
             Output(in, "FT_OpenEx", 2, sizeof(void*));
             Open_USB_Device_By_Serial_Number(zt::fuzz::WideText(in.TakeBytes(in.Take<std::uint8_t>())));
         }},
        {"FT_Close", [](FuzzInput&) { Close_USB_Device(); }},
        {"FT_Read", [](FuzzInput& in) {
             const auto count = in.Take<std::uint16_t>();
             Number(in, "FT_Read", 3);
             Read_USB_Device_Buffer(count);
         }},
        {"FT_Write", [](FuzzInput& in) {
             const auto count = in.Take<std::uint16_t>();
             Number(in, "FT_Write", 3);
             Write_USB_Device_Buffer(count);
         }},
        {"FT_GetQueueStatus", [](FuzzInput& in) { Number(in, "FT_GetQueueStatus", 1); Get_USB_Device_QueueStatus(); }},
        {"FT_EE_UASize", [](FuzzInput& in) { Number(in, "FT_EE_UASize", 1); USB_FT_EE_UASize(); }},
        {"FT_EE_UARead", [](FuzzInput& in) {
             Output(in, "FT_EE_UARead", 1, sizeof UserData);
             Number(in, "FT_EE_UARead", 3);
             USB_FT_EE_UARead();
         }},
        {"FT_EE_UAWrite", [](FuzzInput&) { USB_FT_EE_UAWrite(); }},
    };
    return calls;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("ZT_D2XX_LIBRARY", ZT_FUZZ_D2XX_DOUBLE, 1);
    FT_Enable_Error_Report = false;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zt::fuzz::Require(Library().Loaded(), "the library double is loaded");
    // Each run starts from an empty list, as after a create that found nothing.
    Library().Reset();
    Library().Output("FT_CreateDeviceInfoList", 0, DWord{0});
    Create_USB_Device_List();
    listed = 0;
    FuzzInput input(data, size);
    while (!input.Empty()) {
        const Call& call = Calls()[input.Take<std::uint8_t>() % Calls().size()];
        const auto status = input.Take<std::uint8_t>();
        Library().Reset();
        Library().Status(call.entry, status < 24 ? status : 0);
        call.run(input);
    }
    FT_HANDLE = nullptr;  // the next run starts with no device open
    return 0;
}
