// The COM backend against the system's own WMI (Windows build, run under Wine).
#include <gtest/gtest.h>
#include <objbase.h>

#include <thread>

#include "ztusb/wmi/ZtWmiU.h"

namespace {

using ZtWmiU::DoWmiScript;
using zt::host::TStringList;

bool HasLine(const TStringList& list, const zt::host::String& line) { return list.IndexOf(line) >= 0; }

class ComApartment : public ::testing::Test {
protected:
    ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() override { CoUninitialize(); }
    TStringList list;
};

TEST_F(ComApartment, DiskDriveQueryGivesObjectTexts) {
    list.Add(u"earlier content");
    DoWmiScript(u"SELECT * FROM Win32_DiskDrive", list);
    EXPECT_TRUE(HasLine(list, u"instance of Win32_DiskDrive"));
    EXPECT_TRUE(HasLine(list, u"{"));
    EXPECT_TRUE(HasLine(list, u"};"));
    EXPECT_FALSE(HasLine(list, u"earlier content"));
}

TEST_F(ComApartment, MalformedQueryLeavesTheList) {
    list.Add(u"earlier content");
    DoWmiScript(u"SELEC nonsense FROM", list);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0], u"earlier content");
}

TEST(ComNotInitialised, QueryLeavesTheList) {
    TStringList list;
    list.Add(u"earlier content");
    // A fresh thread has no COM apartment: the locator cannot be made.
    std::thread([&] { DoWmiScript(u"SELECT * FROM Win32_DiskDrive", list); }).join();
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0], u"earlier content");
}

}  // namespace
