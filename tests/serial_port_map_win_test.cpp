// The registry's serial-port map on the system's own registry (Windows build, under Wine).
#include <gtest/gtest.h>

#include <regex>

#include "tests/test_support.h"
#include "ztusb/win32/windows_names.h"

namespace {

using zt::host::String;
using zt::host::TStringList;
using zt_usb_detector::TZtUsbDetector;

constexpr wchar_t kKey[] = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

// Adds a value to the real map for the test's duration (a Wine prefix of the tests' own).
class RealValue {
public:
    RealValue(const wchar_t* name, const wchar_t* port) : name_(name) {
        HKEY key = nullptr;
        created_ = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, REG_OPTION_VOLATILE,
                                   KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS &&
                   RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(port),
                                  static_cast<DWORD>((wcslen(port) + 1) * sizeof(wchar_t))) ==
                       ERROR_SUCCESS;
        if (key != nullptr) RegCloseKey(key);
    }
    ~RealValue() { RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, name_); }
    bool Created() const { return created_; }

private:
    const wchar_t* name_;
    bool created_ = false;
};

TEST(SystemSerialPortMap, ListsEveryPortInTheDocumentedFormat) {
    zt::testing::DialogRecorder dialogs;
    RealValue added(L"\\Device\\ZtTestVCP7", L"COM77");
    ASSERT_TRUE(added.Created());
    TZtUsbDetector detector;
    TStringList plain;
    TStringList named;
    detector.GetAvailableComPorts(plain, false);
    detector.GetAvailableComPorts(named, true);
    ASSERT_GE(plain.Count(), 1);
    ASSERT_EQ(named.Count(), plain.Count());
    const std::regex port("[A-Za-z]{3}[0-9]+");
    for (int i = 0; i < plain.Count(); ++i) {
        const std::string name = zt::host::ToUtf8(plain[i]);
        EXPECT_TRUE(std::regex_match(name, port)) << name;
        EXPECT_EQ(plain.Objects(i), std::stoi(name.substr(3))) << name;
        EXPECT_EQ(zt::host::ToUtf8(named[i]).rfind(name + " ", 0), 0u) << zt::host::ToUtf8(named[i]);
    }
    EXPECT_GE(named.IndexOf(u"COM77  Virtual com port"), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
