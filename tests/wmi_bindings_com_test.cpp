// The WMI scripting bindings against the system's own WMI (Windows build, run under Wine).
#include <gtest/gtest.h>
#include <objbase.h>

#include "ztusb/wmi/ZtWmiU.h"
#include "ztusb/wmi/wbem_bindings.h"

namespace {

using namespace ZtWmiU;

class SystemWmi : public ::testing::Test {
protected:
    SystemWmi() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~SystemWmi() override { CoUninitialize(); }
};

// Our identifiers against those the system's import library carries.
TEST(Identifiers, MatchTheSystemsOwn) {
    EXPECT_TRUE(ZtWmiU::LIBID_WbemScripting == ::LIBID_WbemScripting);
    EXPECT_TRUE(ZtWmiU::DIID_ISWbemSinkEvents == ::DIID_ISWbemSinkEvents);
#define ZT_SAME_IDS(name)                                              \
    EXPECT_TRUE(ZtWmiU::IID_ISWbem##name == ::IID_ISWbem##name) << #name; \
    EXPECT_TRUE(ZtWmiU::CLASS_SWbem##name == ::CLSID_SWbem##name) << #name;
    ZT_SAME_IDS(Locator)
    ZT_SAME_IDS(NamedValueSet)
    ZT_SAME_IDS(ObjectPath)
    ZT_SAME_IDS(LastError)
    ZT_SAME_IDS(Sink)
    ZT_SAME_IDS(DateTime)
    ZT_SAME_IDS(Refresher)
    ZT_SAME_IDS(Services)
    ZT_SAME_IDS(ServicesEx)
    ZT_SAME_IDS(Object)
    ZT_SAME_IDS(ObjectEx)
    ZT_SAME_IDS(ObjectSet)
    ZT_SAME_IDS(NamedValue)
    ZT_SAME_IDS(Qualifier)
    ZT_SAME_IDS(QualifierSet)
    ZT_SAME_IDS(Property)
    ZT_SAME_IDS(PropertySet)
    ZT_SAME_IDS(Method)
    ZT_SAME_IDS(MethodSet)
    ZT_SAME_IDS(EventSource)
    ZT_SAME_IDS(Security)
    ZT_SAME_IDS(Privilege)
    ZT_SAME_IDS(PrivilegeSet)
    ZT_SAME_IDS(RefreshableItem)
#undef ZT_SAME_IDS
}

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
