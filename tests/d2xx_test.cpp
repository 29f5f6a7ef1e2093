// The D2XX unit over the test double, loaded the real way through ZT_D2XX_LIBRARY.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "ztusb/d2xx/D2XXUnit_ZT.h"
#include "ztusb/d2xx/d2xx_library.h"
#include "ztusb/devices/d2xx_entries.h"
#include "tests/d2xx_double/double_client.h"
#include "tests/test_support.h"

namespace {

using namespace D2XXUnit_ZT;
using zt::testing::P;

class D2xx : public ::testing::Test {
protected:
    D2xx() {
        FT_Enable_Error_Report = true;
        FT_HANDLE = reinterpret_cast<TFTHandle>(std::uintptr_t{0xABC});
    }
    // Without the double every control call would go nowhere: no test runs.
    void SetUp() override {
        ASSERT_TRUE(library.Loaded()) << "ZT_D2XX_LIBRARY names no D2XX test double; ctest sets it";
    }
    std::string H() const { return P(FT_HANDLE); }

    zt::testing::DialogRecorder dialogs;
    zt::testing::D2xxDouble library;
};

struct Labelled {
    const char* function;
    std::function<FT_STATUS()> call;
    const char* entry;
    const char* label;  // null: the function reports nothing
};

TEST_F(D2xx, EveryFunctionReportsWithItsOwnLabel) {
    std::uint8_t mode = 0;
    DWord type = 0;
    DWord id = 0;
    char serial[16];
    char description[64];
    DWord version = 0;
    const Labelled table[] = {
        {"GetFTDeviceCount", GetFTDeviceCount, "FT_ListDevices", "GetFTDeviceCount"},
        {"GetFTDeviceSerialNo", [] { return GetFTDeviceSerialNo(0); }, "FT_ListDevices", "GetFTDeviceSerialNo"},
        {"GetFTDeviceDescription", [] { return GetFTDeviceDescription(0); }, "FT_ListDevices", "GetFTDeviceDescription"},
        {"GetFTDeviceLocation", [] { return GetFTDeviceLocation(0); }, "FT_ListDevices", "GetFTDeviceLocation"},
        {"Open_USB_Device", Open_USB_Device, "FT_Open", "FT_Open"},
        {"by serial", [] { return Open_USB_Device_By_Serial_Number(u"A"); }, "FT_OpenEx", "Open_USB_Device_By_Serial_Number"},
        {"by description", [] { return Open_USB_Device_By_Device_Description(u"A"); }, "FT_OpenEx", "Open_USB_Device_By_Device_Description"},
        {"by location", [] { return Open_USB_Device_By_Device_Location(1); }, "FT_OpenEx", "Open_USB_Device_By_Device_Location"},
        {"Close_USB_Device", Close_USB_Device, "FT_Close", "FT_Close"},
        {"Create_USB_Device_List", Create_USB_Device_List, "FT_CreateDeviceInfoList", "FT_CreateDeviceInfoList"},
        {"Get_USB_Device_List", Get_USB_Device_List, "FT_GetDeviceInfoList", "FT_GetDeviceInfoList"},
        {"Get_USB_Device_List_Detail", [] { return Get_USB_Device_List_Detail(0); }, "FT_GetDeviceInfoDetail", "FT_GetDeviceInfoListDetail"},
        {"Get_USB_Driver_Version", [&] { return Get_USB_Driver_Version(&version); }, "FT_GetDriverVersion", "FT_GetDriverVersion"},
        {"Get_USB_Library_Version", [&] { return Get_USB_Library_Version(&version); }, "FT_GetLibraryVersion", "FT_GetLibraryVersion"},
        {"USB_FT_GetDeviceInfo", [&] { return USB_FT_GetDeviceInfo(type, id, serial, description); }, "FT_GetDeviceInfo", "FT_GetDeviceInfo "},
        {"Reset_USB_Device", Reset_USB_Device, "FT_ResetDevice", "FT_ResetDevice"},
        {"Set_USB_Device_BaudRate", Set_USB_Device_BaudRate, "FT_SetBaudRate", "FT_SetBaudRate"},
        {"divisor", [] { return Set_USB_Device_BaudRate_Divisor(3); }, "FT_SetDivisor", "FT_SetDivisor"},
        {"data", Set_USB_Device_DataCharacteristics, "FT_SetDataCharacteristics", "FT_SetDataCharacteristics"},
        {"flow", Set_USB_Device_FlowControl, "FT_SetFlowControl", "FT_SetFlowControl"},
        {"Set RTS", Set_USB_Device_RTS, "FT_SetRts", "FT_SetRTS"},
        {"Clr RTS", Clr_USB_Device_RTS, "FT_ClrRts", "FT_ClrRTS"},
        {"Set DTR", Set_USB_Device_DTR, "FT_SetDtr", "FT_SetDTR"},
        {"Clr DTR", Clr_USB_Device_DTR, "FT_ClrDtr", "FT_ClrDTR"},
        {"modem", Get_USB_Device_ModemStatus, "FT_GetModemStatus", "FT_GetModemStatus"},
        {"chars", Set_USB_Device_Chars, "FT_SetChars", "FT_SetChars"},
        {"purge out", Purge_USB_Device_Out, "FT_Purge", "FT_Purge RX"},
        {"purge in", Purge_USB_Device_In, "FT_Purge", "FT_Purge TX"},
        {"timeouts", [] { return Set_USB_Device_TimeOuts(1, 2); }, "FT_SetTimeouts", "FT_SetTimeouts"},
        {"queue", Get_USB_Device_QueueStatus, "FT_GetQueueStatus", "FT_GetQueueStatus"},
        {"break on", Set_USB_Device_Break_On, "FT_SetBreakOn", "FT_SetBreakOn"},
        {"break off", Set_USB_Device_Break_Off, "FT_SetBreakOff", "FT_SetBreakOff"},
        {"status", Get_USB_Device_Status, "FT_GetStatus", "FT_GetStatus"},
        {"events", [] { return Set_USB_Device_Event_Notification(1); }, "FT_SetEventNotification", "FT_SetEventNotification "},
        {"retries", [] { return Set_USB_Device_Reset_Pipe_Retry_Count(5); }, "FT_SetResetPipeRetryCount", "FT_SetResetPipeRetryCount"},
        {"stop", Stop_USB_Device_InTask, "FT_StopInTask", "FT_StopInTask"},
        {"restart", Restart_USB_Device_InTask, "FT_RestartInTask", "FT_RestartInTask"},
        {"reset port", Reset_USB_Port, "FT_ResetPort", "FT_ResetPort"},
        {"cycle port", Cycle_USB_Port, "FT_CyclePort", "FT_CyclePort"},
        {"get latency", Get_USB_Device_LatencyTimer, "FT_GetLatencyTimer", "FT_GetLatencyTimer "},
        {"set latency", [] { return Set_USB_Device_LatencyTimer(16); }, "FT_SetLatencyTimer", "FT_SetLatencyTimer "},
        {"get bit mode", [&] { return Get_USB_Device_BitMode(mode); }, "FT_GetBitMode", "FT_GetBitMode "},
        {"set bit mode", [] { return Set_USB_Device_BitMode(0xFF, 1); }, "FT_SetBitMode", "FT_SetBitMode "},
        {"usb parameters", [] { return Set_USB_Parameters(64, 64); }, "FT_SetUSBParameters", "FT_SetUSBParameters "},
        {"EE read", USB_FT_EE_Read, "FT_EE_Read", "FT_EE_Read "},
        {"C EE read", USB_FT_C_EE_Read, "FT_EE_Read", "FT_EE_Read "},
        {"R EE read", USB_FT_R_EE_Read, "FT_EE_Read", "FT_EE_Read "},
        {"program", USB_FT_EE_Program, "FT_EE_Program", "FT_EE_Program "},
        {"write word", [] { return USB_FT_WriteEE(1, 2); }, "FT_WriteEE", nullptr},
        {"read word", [] { return USB_FT_ReadEE(1); }, "FT_ReadEE", nullptr},
        {"erase", USB_FT_EraseEE, "FT_EraseEE", nullptr},
        {"UA read", USB_FT_EE_UARead, "FT_EE_UARead", "FT_EE_UARead "},
        {"UA write", USB_FT_EE_UAWrite, "FT_EE_UAWrite", "FT_EE_UAWrite "},
        {"UA size", USB_FT_EE_UASize, "FT_EE_UASize", "FT_EE_UASize "},
    };
    for (const Labelled& row : table) {
        library.Reset();
        library.Status(row.entry, 4);
        dialogs.errors.clear();
        EXPECT_EQ(row.call(), 4u) << row.function;
        const auto calls = library.Calls();
        ASSERT_EQ(calls.size(), 1u) << row.function;
        EXPECT_EQ(calls[0].substr(0, calls[0].find('(')), row.entry) << row.function;
        const std::vector<std::string> expected =
            row.label ? std::vector<std::string>{std::string(row.label) + " - General IO error..."}
                      : std::vector<std::string>{};
        EXPECT_EQ(dialogs.errors, expected) << row.function;
    }
}

TEST_F(D2xx, MessagesFollowTheLabelAndStatusesPassThrough) {
    const char* messages[] = {
        " - Invalid handle...", " - Device not found...", " - Device not opened...",
        " - General IO error...", " - Insufficient resources...", " - Invalid parameter...",
        " - Invalid baud rate...", " Device not opened for erase...", " Device not opened for write...",
        " - Failed to write...", " - EEPROM read failed...", " - EEPROM write failed...",
        " - EEPROM erase failed...", " - EEPROM not present...", " - EEPROM not programmed...",
        " - Invalid arguments...", " - Other error ...",
        // Statuses of later libraries.
        " - Other error ...", " - Device list not ready...",
    };
    for (std::uint32_t status = 1; status <= std::size(messages); ++status) {
        library.Status("FT_Open", status);
        EXPECT_EQ(Open_USB_Device(), status);
        EXPECT_EQ(dialogs.errors.back(), std::string("FT_Open") + messages[status - 1]) << status;
    }
    library.Status("FT_GetLatencyTimer", 40);
    EXPECT_EQ(Get_USB_Device_LatencyTimer(), 40u);
    EXPECT_EQ(dialogs.errors.back(), "FT_GetLatencyTimer  - Unknown status 40...");
    dialogs.errors.clear();
    FT_Enable_Error_Report = false;
    EXPECT_EQ(Open_USB_Device(), 19u);
    library.Status("FT_Open", 0);
    EXPECT_EQ(Open_USB_Device(), 0u);
    FT_Enable_Error_Report = true;
    EXPECT_EQ(Open_USB_Device(), 0u);
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(D2xx, ListInquiriesPassIndexBufferAndFlags) {
    const char serial[16] = {'F', 'T', '1', '2', 'A', 'B', '3', '4', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'Y'};
    library.OutputBytes("FT_ListDevices", 1, serial, sizeof serial);  // no NUL in 16 characters
    ASSERT_EQ(GetFTDeviceSerialNo(3), 0u);
    EXPECT_EQ(FT_Device_String, u"FT12AB34XXXXXXXY");
    const DWord location = 0x2131;
    library.Reset();
    library.Output("FT_ListDevices", 1, location);
    ASSERT_EQ(GetFTDeviceLocation(2), 0u);
    EXPECT_EQ(FT_Device_Location, 0x2131u);
    library.Status("FT_ListDevices", 2);
    FT_Device_String = u"kept";
    GetFTDeviceSerialNo(4);
    GetFTDeviceLocation(4);
    EXPECT_EQ(FT_Device_String, u"kept");
    EXPECT_EQ(FT_Device_Location, 0x2131u);
    library.Reset();
    GetFTDeviceCount();
    GetFTDeviceDescription(1);
    EXPECT_EQ(library.Calls(), (std::vector<std::string>{
                                   "FT_ListDevices(" + P(&FT_Device_Count) + ",P0,2147483648)",
                                   "FT_ListDevices(P1," + P(Description) + ",1073741826)",
                               }));
}

TEST_F(D2xx, OpeningBySerialGivesTheLibraryAtMost49Characters) {
    const std::u16string sixty(60, u'S');
    Open_USB_Device_By_Serial_Number(sixty);
    Open_USB_Device_By_Device_Description(u"");
    Open_USB_Device_By_Device_Location(0x1234);
    Open_USB_Device();
    const std::string buffer = P(FT_Device_String_Buffer);
    EXPECT_EQ(library.Calls(), (std::vector<std::string>{
                                   "FT_OpenEx(" + buffer + "=\"" + std::string(49, 'S') + "\",1," + P(&FT_HANDLE) + ")",
                                   "FT_OpenEx(" + buffer + "=\"\",2," + P(&FT_HANDLE) + ")",
                                   "FT_OpenEx(P1234,4," + P(&FT_HANDLE) + ")",
                                   "FT_Open(0," + P(&FT_HANDLE) + ")",
                               }));
}

TEST_F(D2xx, DeviceListIsSizedByTheLastCount) {
    library.Output("FT_CreateDeviceInfoList", 0, DWord{0});
    Create_USB_Device_List();
    Get_USB_Device_List();
    EXPECT_TRUE(FT_DeviceInfoList.empty());
    library.Reset();
    library.Output("FT_CreateDeviceInfoList", 0, DWord{3});
    Create_USB_Device_List();
    Get_USB_Device_List();
    ASSERT_EQ(FT_DeviceInfoList.size(), 3u);
    EXPECT_EQ(library.Calls(), (std::vector<std::string>{
                                   "FT_CreateDeviceInfoList(" + P(&FT_Device_Count) + ")",
                                   "FT_GetDeviceInfoList(" + P(FT_DeviceInfoList.data()) + "," + P(&FT_Device_Count) + ")",
                               }));
}

// The library copies the whole list of the last create, whatever was counted since, and
// says how many entries it filled.
TEST_F(D2xx, DeviceListHoldsWhatTheLibraryCopiedFromTheLastCreate) {
    struct Case {
        const char* what;
        bool countBeforeCreate;
        DWord created;
        DWord countedBetween;
        DWord filled;
    };
    const Case cases[] = {
        {"unplugged after the create", false, 2, 1, 2},
        {"unplugged, counted before the create", true, 2, 1, 2},
        {"plugged in after the create", false, 1, 2, 1},
        {"fewer entries filled than created", false, 3, 3, 2},
    };
    for (const Case& c : cases) {
        library.Reset();
        TFT_DeviceInfoList().swap(FT_DeviceInfoList);  // fresh storage: an overrun meets the sanitizer
        std::vector<FT_Device_Info_Node> copied(c.filled);
        for (DWord i = 0; i < c.filled; ++i) {
            copied[i].LocID = 0x100 + i;
            copied[i].SerialNumber[0] = static_cast<char>('A' + i);
        }
        library.Output("FT_CreateDeviceInfoList", 0, c.created);
        library.Output("FT_ListDevices", 0, c.countedBetween);
        library.OutputBytes("FT_GetDeviceInfoList", 0, copied.data(),
                            static_cast<std::uint32_t>(copied.size() * sizeof(FT_Device_Info_Node)));
        library.Output("FT_GetDeviceInfoList", 1, c.filled);
        if (c.countBeforeCreate) GetFTDeviceCount();
        ASSERT_EQ(Create_USB_Device_List(), 0u) << c.what;
        if (!c.countBeforeCreate) GetFTDeviceCount();
        EXPECT_EQ(FT_Device_Count, c.countBeforeCreate ? c.created : c.countedBetween) << c.what;
        ASSERT_EQ(Get_USB_Device_List(), 0u) << c.what;
        ASSERT_EQ(FT_DeviceInfoList.size(), c.filled) << c.what;
        EXPECT_EQ(FT_Device_Count, c.filled) << c.what;
        for (DWord i = 0; i < c.filled; ++i) {
            EXPECT_EQ(FT_DeviceInfoList[i].LocID, 0x100 + i) << c.what;
            EXPECT_EQ(FT_DeviceInfoList[i].SerialNumber[0], 'A' + static_cast<int>(i)) << c.what;
        }
    }
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(D2xx, FailedCreateLeavesTheListSizeOfTheLastGoodOne) {
    library.Output("FT_CreateDeviceInfoList", 0, DWord{2});
    Create_USB_Device_List();
    library.Reset();
    library.Output("FT_CreateDeviceInfoList", 0, DWord{7});  // written, but the call failed
    library.Status("FT_CreateDeviceInfoList", 19);
    EXPECT_EQ(Create_USB_Device_List(), 19u);
    Get_USB_Device_List();
    EXPECT_EQ(FT_DeviceInfoList.size(), 2u);
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"FT_CreateDeviceInfoList - Device list not ready..."});
}

TEST_F(D2xx, ImplausibleDeviceCountIsRefusedNotAllocated) {
    FT_DeviceInfoList.assign(3, FT_Device_Info_Node{});
    library.Output("FT_CreateDeviceInfoList", 0, DWord{0xFFFFFFFF});
    ASSERT_EQ(Create_USB_Device_List(), 0u);
    EXPECT_EQ(Get_USB_Device_List(), 5u);
    EXPECT_TRUE(FT_DeviceInfoList.empty());
    EXPECT_EQ(library.Calls(), std::vector<std::string>{"FT_CreateDeviceInfoList(" + P(&FT_Device_Count) + ")"});
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"FT_GetDeviceInfoList - Insufficient resources..."});
}

TEST_F(D2xx, ClosedHandleIsNotHandedOutAgain) {
    library.Status("FT_Close", 4);
    Close_USB_Device();
    EXPECT_EQ(H(), "Pabc");  // a failed close keeps the device's handle
    library.Reset();
    ASSERT_EQ(Close_USB_Device(), 0u);
    EXPECT_EQ(FT_HANDLE, nullptr);
    EXPECT_EQ(Set_USB_Device_BaudRate(), 1u);
    EXPECT_EQ(Read_USB_Device_Buffer(8), 0);
    EXPECT_EQ(Close_USB_Device(), 1u);
    EXPECT_EQ(library.Calls(), (std::vector<std::string>{
                                   "FT_Close(Pabc)",
                                   "FT_SetBaudRate(P0,0)",
                                   "FT_Read(P0," + P(FT_In_Buffer) + ",8," + P(&detail::transferred) + ")",
                                   "FT_Close(P0)",
                               }));
    EXPECT_EQ(dialogs.errors, (std::vector<std::string>{
                                  "FT_Close - General IO error...", "FT_SetBaudRate - Invalid handle...",
                                  "FT_Read - Invalid handle...", "FT_Close - Invalid handle..."}));
}

// Texts as long as the library may write them: a 63-character serial number with its zero
// and a 64-character description without one.
TEST_F(D2xx, LongLibraryTextsStayInsideTheirBuffers) {
    const std::string serial(63, 'S');
    const std::string description(64, 'D');
    const auto script = [&](const char* entry, int serialArgument, int descriptionArgument) {
        library.OutputBytes(entry, serialArgument, serial.c_str(), 64);
        library.OutputBytes(entry, descriptionArgument, description.data(), 64);
    };
    script("FT_GetDeviceInfoDetail", 5, 6);
    script("FT_GetDeviceInfo", 3, 4);
    library.OutputBytes("FT_ListDevices", 1, serial.c_str(), 64);
    ASSERT_EQ(GetFTDeviceSerialNo(0), 0u);
    EXPECT_EQ(zt::host::ToUtf8(FT_Device_String), serial);
    library.Reset();
    library.OutputBytes("FT_ListDevices", 1, description.data(), 64);
    ASSERT_EQ(GetFTDeviceDescription(0), 0u);
    EXPECT_EQ(zt::host::ToUtf8(FT_Device_String), description);

    script("FT_GetDeviceInfoDetail", 5, 6);
    ASSERT_EQ(Get_USB_Device_List_Detail(0), 0u);
    const FT_Device_Info_Node& node = USB_Device_Info_Node;
    EXPECT_EQ(std::string(node.SerialNumber, sizeof node.SerialNumber), serial.substr(0, 16));
    EXPECT_EQ(std::string(node.Description, sizeof node.Description), description);

    // The caller's buffers as documented, with marked bytes behind each.
    struct {
        char serial[16];
        char afterSerial[48];
        char description[64];
        char afterDescription[16];
    } caller;
    std::memset(&caller, 'x', sizeof caller);
    script("FT_GetDeviceInfo", 3, 4);
    DWord type = 0;
    DWord id = 0;
    ASSERT_EQ(USB_FT_GetDeviceInfo(type, id, caller.serial, caller.description), 0u);
    EXPECT_EQ(std::string(caller.serial, sizeof caller.serial), serial.substr(0, 16));
    EXPECT_EQ(std::string(caller.afterSerial, sizeof caller.afterSerial), std::string(48, 'x'));
    EXPECT_EQ(std::string(caller.description, sizeof caller.description), description);
    EXPECT_EQ(std::string(caller.afterDescription, sizeof caller.afterDescription), std::string(16, 'x'));
}

TEST_F(D2xx, DetailClearsTheNodeEvenWhenTheCallFails) {
    USB_Device_Info_Node.Flags = 7;
    std::strcpy(USB_Device_Info_Node.Description, "old");
    library.Status("FT_GetDeviceInfoDetail", 1);
    Get_USB_Device_List_Detail(5);
    EXPECT_EQ(USB_Device_Info_Node.Flags, 0u);
    EXPECT_STREQ(USB_Device_Info_Node.Description, "");
    const FT_Device_Info_Node& n = USB_Device_Info_Node;
    EXPECT_EQ(library.Calls(), std::vector<std::string>{
                                   "FT_GetDeviceInfoDetail(5," + P(&n.Flags) + "," + P(&n.DeviceType) + "," +
                                   P(&n.ID) + "," + P(&n.LocID) + "," + P(detail::serialText) + "," +
                                   P(detail::descriptionText) + "," + P(&n.DeviceHandle) + ")"});
}

TEST_F(D2xx, TransfersUseTheModuleBuffersAndRefuseOversizedCounts) {
    library.Status("FT_Read", 4);
    EXPECT_EQ(Read_USB_Device_Buffer(1), 1);  // the preset survives a failure
    EXPECT_EQ(FT_IO_Status, 4u);
    EXPECT_EQ(dialogs.errors.back(), "FT_Read - General IO error...");
    library.Reset();
    library.Output("FT_Write", 3, DWord{5});
    EXPECT_EQ(Write_USB_Device_Buffer(5), 5);
    EXPECT_EQ(FT_IO_Status, 0u);
    EXPECT_EQ(Read_USB_Device_Buffer(65536), 0);
    const std::string count = P(&detail::transferred);
    EXPECT_EQ(library.Calls(), (std::vector<std::string>{
                                   "FT_Write(" + H() + "," + P(FT_Out_Buffer) + ",5," + count + ")",
                                   "FT_Read(" + H() + "," + P(FT_In_Buffer) + ",65536," + count + ")",
                               }));
    library.Reset();
    dialogs.errors.clear();
    EXPECT_EQ(Read_USB_Device_Buffer(65537), 0);
    EXPECT_EQ(Write_USB_Device_Buffer(-1), 0);
    EXPECT_EQ(FT_IO_Status, 6u);
    EXPECT_TRUE(library.Calls().empty());
    EXPECT_EQ(dialogs.errors, (std::vector<std::string>{"FT_Read - Invalid parameter...",
                                                        "FT_Write - Invalid parameter..."}));
}

// A library that claims to have moved more than it was asked for is not believed.
TEST_F(D2xx, TransferCountsNeverExceedWhatWasAsked) {
    for (const DWord claimed : {DWord{11}, DWord{0x80000001}}) {
        library.Reset();
        dialogs.errors.clear();
        library.Output("FT_Read", 3, claimed);
        EXPECT_EQ(Read_USB_Device_Buffer(10), 10) << claimed;
        EXPECT_EQ(FT_IO_Status, 4u);
        EXPECT_EQ(dialogs.errors, std::vector<std::string>{"FT_Read - General IO error..."});
    }
    library.Reset();
    dialogs.errors.clear();
    library.Output("FT_Write", 3, DWord{7});
    library.Status("FT_Write", 1);
    EXPECT_EQ(Write_USB_Device_Buffer(3), 3);
    EXPECT_EQ(FT_IO_Status, 1u);  // the library's own failure stands, reported once
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"FT_Write - Invalid handle..."});
}

TEST_F(D2xx, SettingsAreTakenFromTheModuleVariables) {
    FT_Event_On = true;
    FT_EVENT_Value = 0x7E;
    Set_USB_Device_FlowControl();
    Set_USB_Device_Chars();
    Purge_USB_Device_Out();
    Purge_USB_Device_In();
    FT_Current_Baud = 115200;
    Set_USB_Device_BaudRate();
    Set_USB_Device_RTS();
    EXPECT_FALSE(FT_RTS_On);
    EXPECT_EQ(library.Calls(), (std::vector<std::string>{
                                   "FT_SetFlowControl(" + H() + ",0,17,19)",
                                   "FT_SetChars(" + H() + ",126,1,0,0)",
                                   "FT_Purge(" + H() + ",1)",
                                   "FT_Purge(" + H() + ",2)",
                                   "FT_SetBaudRate(" + H() + ",115200)",
                                   "FT_SetRts(" + H() + ")",
                               }));
    FT_Event_On = false;
}

TEST_F(D2xx, EepromReadsPrepareTheRecordForTheirVersion) {
    library.Status("FT_EE_Read", 11);
    EEDataBuffer.MaxPower = 90;
    for (DWord version = 0; version < 3; ++version) {
        const FT_STATUS status = version == 0 ? USB_FT_EE_Read() : version == 1 ? USB_FT_C_EE_Read() : USB_FT_R_EE_Read();
        EXPECT_EQ(status, 11u);
        EXPECT_EQ(EEDataBuffer.Version, version);
        EXPECT_EQ(EEDataBuffer.Signature1, 0u);
        EXPECT_EQ(EEDataBuffer.Signature2, 0xFFFFFFFFu);
        EXPECT_EQ(EEDataBuffer.MaxPower, 0u);
        EXPECT_EQ(EEDataBuffer.Manufacturer, Manufacturer);
        EXPECT_EQ(EEDataBuffer.ManufacturerID, ManufacturerID);
        EXPECT_EQ(EEDataBuffer.Description, Description);
        EXPECT_EQ(EEDataBuffer.SerialNumber, SerialNumber);
    }
    EXPECT_EQ(dialogs.errors.back(), "FT_EE_Read  - EEPROM read failed...");
    EXPECT_EQ(library.Calls().back(), "FT_EE_Read(" + H() + "," + P(&EEDataBuffer) + ")");
}

TEST_F(D2xx, UserAreaAndWordsUseTheirBuffers) {
    library.Output("FT_ReadEE", 2, std::uint16_t{0xBEEF});
    EXPECT_EQ(USB_FT_ReadEE(7), 0u);
    EXPECT_EQ(WordRead, 0xBEEF);
    library.Status("FT_EraseEE", 8);
    EXPECT_EQ(USB_FT_EraseEE(), 8u);
    FT_UA_Size = 12;
    USB_FT_EE_UAWrite();
    USB_FT_EE_UARead();
    FT_UA_Size = 65;
    EXPECT_EQ(USB_FT_EE_UAWrite(), 6u);
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"FT_EE_UAWrite  - Invalid parameter..."});
    EXPECT_EQ(library.Calls(), (std::vector<std::string>{
                                   "FT_ReadEE(" + H() + ",7," + P(&WordRead) + ")",
                                   "FT_EraseEE(" + H() + ")",
                                   "FT_EE_UAWrite(" + H() + "," + P(UserData) + ",12)",
                                   "FT_EE_UARead(" + H() + "," + P(UserData) + ",64," + P(&FT_UA_Size) + ")",
                               }));
}

}  // namespace

namespace {

FT_Device_Info_Node Entry(DWord id, const char* serial, DWord location) {
    FT_Device_Info_Node node{};
    node.ID = id;
    node.LocID = location;
    std::strncpy(node.SerialNumber, serial, sizeof node.SerialNumber - 1);
    std::strncpy(node.Description, "Dual RS232-HS A", sizeof node.Description - 1);
    return node;
}

zt::devices::UsbDevice Chip(std::uint16_t product, const char* serial) {
    zt::devices::UsbDevice device;
    device.vendorId = 0x0403;
    device.productId = product;
    if (serial != nullptr) device.serial = serial;
    return device;
}

// Each entry goes on the chip its serial names, a channel letter after it or not; one whose
// serial two chips share, or no chip has, goes nowhere.
TEST_F(D2xx, EntriesGoOnTheChipTheirSerialNames) {
    const std::vector<FT_Device_Info_Node> entries = {
        Entry(0x04036010, "FT5Y6HVEA", 0x211), Entry(0x04036010, "FT5Y6HVEB", 0x212),
        Entry(0x04036001, "A50285BI", 0x23),   Entry(0x04036001, "0001", 0x24),
        Entry(0x04036001, "FT5Y6HVEA", 0x25),  Entry(0x04036010, "GONE1234A", 0x26)};
    library.Output("FT_CreateDeviceInfoList", 0, static_cast<DWord>(entries.size()));
    library.OutputBytes("FT_GetDeviceInfoList", 0, entries.data(),
                        static_cast<std::uint32_t>(entries.size() * sizeof(FT_Device_Info_Node)));
    library.Output("FT_GetDeviceInfoList", 1, static_cast<DWord>(entries.size()));
    std::vector<zt::devices::UsbDevice> devices = {Chip(0x6010, "FT5Y6HVE"), Chip(0x6001, "A50285BI"),
                                                   Chip(0x6001, "0001"), Chip(0x6001, "0001"), Chip(0x6010, nullptr)};
    zt::devices::AttachD2xxEntries(devices);
    const auto serials = [](const zt::devices::UsbDevice& device) {
        std::vector<std::string> found;
        for (const auto& entry : device.d2xx) found.push_back(std::to_string(entry.index) + " " + entry.serial);
        return found;
    };
    EXPECT_EQ(serials(devices[0]), (std::vector<std::string>{"0 FT5Y6HVEA", "1 FT5Y6HVEB"}));
    EXPECT_EQ(devices[0].d2xx[1].locationId, 0x212u);
    EXPECT_EQ(serials(devices[1]), (std::vector<std::string>{"2 A50285BI"}));
    EXPECT_TRUE(devices[2].d2xx.empty() && devices[3].d2xx.empty() && devices[4].d2xx.empty());
}

}  // namespace
