// Without COM: the factories say so, and the wrappers still work over handed interfaces.
#include <gtest/gtest.h>

#include "tests/wbem_fakes.h"

namespace {

using namespace zt::testing;
using zt::host::EOleSysError;

std::string FailureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EOleSysError& failure) {
        return failure.what();
    }
    return "no failure";
}

TEST(WithoutCom, FactoriesReportThatComIsNotAvailable) {
    EXPECT_EQ(FailureOf([] { CoSWbemLocator::Create(); }),
              "Class not registered (COM is not available on this system)");
    EXPECT_EQ(FailureOf([] { CoSWbemLocator::CreateRemote(u"workstation-7"); }),
              "The RPC server is unavailable (COM is not available on this system)");
    EXPECT_EQ(FailureOf([] { CoSWbemRefreshableItem::Create(); }),
              "Class not registered (COM is not available on this system)");
}

TEST(WithoutCom, WrapperThatMustCreateItsServerReportsIt) {
    TSWbemDateTime wrapper(nullptr);
    EXPECT_EQ(FailureOf([&] { wrapper.Get_Year(); }), "Class not registered (COM is not available on this system)");
    wrapper.RemoteMachineName = u"workstation-7";
    wrapper.ConnectKind = zt::host::ckRemote;
    EXPECT_EQ(FailureOf([&] { wrapper.Connect(); }),
              "The RPC server is unavailable (COM is not available on this system)");
}

TEST(WithoutCom, UnknownFailureCodeIsNamedByNumber) {
    EXPECT_STREQ(EOleSysError(ZT_HRESULT(0x8004100E)).what(), "OLE error 8004100E");
}

}  // namespace
