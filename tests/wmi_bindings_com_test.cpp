// The WMI scripting bindings against the system's own WMI (Windows build, run under Wine).
#include <gtest/gtest.h>
#include <objbase.h>

#include "wmi/ZtWmiU.h"

namespace {

using namespace ZtWmiU;

class SystemWmi : public ::testing::Test {
protected:
    SystemWmi() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~SystemWmi() override { CoUninitialize(); }
};

TEST_F(SystemWmi, LocatorComponentConnectsAndServicesAnswerQueries) {
    TSWbemLocator locator(nullptr);
    const ComPtr<ISWbemServices> services =
        locator.ConnectServer(u".", u"root\\cimv2", u"", u"", u"", u"", 0, nullptr);
    ASSERT_TRUE(services);
    zt::host::BstrArg query(u"SELECT * FROM Win32_OperatingSystem"), language(u"WQL");
    ComPtr<ISWbemObjectSet> objects;
    ASSERT_EQ(services->ExecQuery(query, language, 0, nullptr, objects.Put()), S_OK);
    LONG count = 0;
    ASSERT_EQ(objects->get_Count(&count), S_OK);
    EXPECT_EQ(count, 1);
    locator.Disconnect();
    EXPECT_THROW(locator.ConnectServer(u".", u"root\\no-such-namespace", u"", u"", u"", u"", 0, nullptr),
                 zt::host::EOleSysError);
}

TEST_F(SystemWmi, FactoriesReturnLiveObjects) {
    const ComPtr<ISWbemLocator> locator = CoSWbemLocator::Create();
    ASSERT_TRUE(locator);
    ComPtr<ISWbemServices> services;
    zt::host::BstrArg server(u"."), space(u"root\\cimv2"), empty(u"");
    EXPECT_EQ(locator->ConnectServer(server, space, empty, empty, empty, empty, 0, nullptr, services.Put()), S_OK);

    TSWbemNamedValueSet values(nullptr);
    values.ConnectTo(CoSWbemNamedValueSet::Create());
    values.Add(u"Depth", OleVariant(2), 0);
    EXPECT_TRUE(values.Item(u"Depth", 0));
    EXPECT_THROW(values.Item(u"Width", 0), zt::host::EOleSysError);
}

}  // namespace
