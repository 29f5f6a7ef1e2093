// The WMI scripting wrappers, factories and sink over hand-written objects; the same tests
// run natively and on Windows (there against the system's COM).
#include <gtest/gtest.h>

#include "tests/test_support.h"
#include "tests/wbem_fakes.h"

#ifdef _WIN32
#include <objbase.h>
#endif

namespace {

using namespace zt::testing;
using zt::host::EAssertionFailed;
using zt::host::EOleSysError;

const HRESULT kNotFound = ZT_HRESULT(0x80041002);  // WBEM_E_NOT_FOUND

// Class objects can only be registered inside a COM apartment on Windows.
class Bindings : public ::testing::Test {
protected:
#ifdef _WIN32
    Bindings() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~Bindings() override { CoUninitialize(); }
#endif
};

// The server data is the framework's, protected in the component.
template <typename Wrapper>
struct ServerDataOf : Wrapper {
    using Wrapper::Wrapper;
    using Wrapper::ServerData;
};

TEST_F(Bindings, ServerDataNamesClassInterfaceEventsAndVersion) {
    ServerDataOf<TSWbemSink> sink(nullptr);
    EXPECT_TRUE(sink.ServerData.ClassID == ZtWmiU::CLASS_SWbemSink);
    EXPECT_TRUE(sink.ServerData.IntfIID == ZtWmiU::IID_ISWbemSink);
    EXPECT_TRUE(sink.ServerData.EventIID == ZtWmiU::DIID_ISWbemSinkEvents);
    EXPECT_EQ(sink.ServerData.Version, 500);
    ServerDataOf<TSWbemRefresher> refresher(nullptr);
    EXPECT_TRUE(refresher.ServerData.ClassID == ZtWmiU::CLASS_SWbemRefresher);
    EXPECT_TRUE(refresher.ServerData.IntfIID == ZtWmiU::IID_ISWbemRefresher);
    EXPECT_TRUE(refresher.ServerData.EventIID == GUID{});
    EXPECT_EQ(refresher.ServerData.Version, 500);
}

TEST_F(Bindings, UnconnectedWrapperAssertsWithItsTextAndSource) {
    TSWbemNamedValueSet wrapper(nullptr);
    wrapper.ConnectKind = zt::host::ckAttachToInterface;
    wrapper.Disconnect();  // nothing to let go of
    try {
        wrapper.Get_Count();
        FAIL() << "no assertion";
    } catch (const EAssertionFailed& failure) {
        EXPECT_EQ(failure.Message(),
                  u"DefaultInterface is NULL. Component is not connected to Server. You must call \"Connect\" or "
                  u"\"ConnectTo\" before this operation");
        EXPECT_EQ(failure.Source(), u"ZtWmiU");
    }
}

TEST_F(Bindings, ConnectToReleasesThePreviousInterface) {
    FakeNamedValueSet first, second;
    {
        TSWbemNamedValueSet wrapper(nullptr);
        wrapper.ConnectTo(ComPtr<ISWbemNamedValueSet>(&first));
        EXPECT_EQ(first.references, 1u);
        wrapper.ConnectTo(ComPtr<ISWbemNamedValueSet>(&second));
        EXPECT_EQ(first.references, 0u);
        EXPECT_EQ(second.references, 1u);
        wrapper.Add(u"Depth", OleVariant(3), 0);
        EXPECT_TRUE(first.added.empty());
        EXPECT_EQ(second.added.size(), 1u);
        EXPECT_EQ(second.references, 1u);  // the forwarded call's reference is gone again
    }
    EXPECT_EQ(second.references, 0u);  // the destroyed wrapper let go
}

TEST_F(Bindings, FirstForwardedCallConnectsOnce) {
    FakeNamedValueSet server;
    ClassRegistration registration(ZtWmiU::CLASS_SWbemNamedValueSet, &server);
    TSWbemNamedValueSet wrapper(nullptr);
    EXPECT_EQ(registration.created, 0);
    EXPECT_EQ(wrapper.Get_Count(), 0);
    wrapper.Add(u"Locale", OleVariant(u"en-GB"), 7);
    wrapper.Connect();  // already connected: nothing happens
    EXPECT_EQ(registration.created, 1);
    ASSERT_EQ(server.added.size(), 1u);
    EXPECT_EQ(server.added[0].name, u"Locale");
    EXPECT_EQ(server.added[0].value.AsString(), u"en-GB");
    EXPECT_EQ(server.added[0].flags, 7);
    EXPECT_EQ(wrapper.Get_Count(), 1);
    wrapper.Disconnect();
    EXPECT_EQ(server.references, 0u);
}

TEST_F(Bindings, FailureCodeOfTheInterfaceIsRaised) {
    FakeNamedValueSet server;
    server.removeStatus = kNotFound;
    TSWbemNamedValueSet wrapper(nullptr);
    wrapper.ConnectTo(ComPtr<ISWbemNamedValueSet>(&server));
    try {
        wrapper.Remove(u"Missing", 0);
        FAIL() << "no failure raised";
    } catch (const EOleSysError& failure) {
        EXPECT_EQ(failure.ErrorCode(), kNotFound);
    }
    EXPECT_NO_THROW(wrapper.DeleteAll());
}

TEST_F(Bindings, OutParametersBecomeResults) {
    FakeObjectPath path;
    TSWbemObjectPath wrapper(nullptr);
    wrapper.ConnectTo(ComPtr<ISWbemObjectPath>(&path));
    EXPECT_EQ(wrapper.Get_Path(), u"\\\\.\\root\\cimv2");
    EXPECT_TRUE(wrapper.Get_IsClass());
    EXPECT_THROW(wrapper.Get_Keys(), EOleSysError);  // E_NOTIMPL from the object
}

TEST_F(Bindings, StringPropertySettersGoByName) {
    FakeObjectPath path;
    path.members = {{u"Class", 12}};
    TSWbemObjectPath wrapper(nullptr);
    wrapper.ConnectTo(ComPtr<ISWbemObjectPath>(&path));
    wrapper.Set_Class_(u"Win32_DiskDrive");
    EXPECT_EQ(path.directClassPuts, 0);
    ASSERT_EQ(path.invocations.size(), 1u);
    const Invocation& put = path.invocations[0];
    EXPECT_EQ(put.member, 12);
    EXPECT_EQ(put.flags, DISPATCH_PROPERTYPUT);
    ASSERT_EQ(put.arguments.size(), 1u);
    EXPECT_EQ(put.arguments[0].AsString(), u"Win32_DiskDrive");
    EXPECT_EQ(put.named, std::vector<DISPID>{DISPID_PROPERTYPUT});
    try {
        wrapper.Set_Locale(u"ms_409");  // a name the object does not know
        FAIL() << "no failure raised";
    } catch (const EOleSysError& failure) {
        EXPECT_EQ(failure.ErrorCode(), DISP_E_UNKNOWNNAME);
    }
}

TEST_F(Bindings, DerivationIsReadByName) {
    FakeLastError error;
    error.members = {{u"Derivation_", 7}};
    error.values.emplace(7, OleVariant(u"CIM_LogicalDevice"));
    TSWbemLastError wrapper(nullptr);
    wrapper.ConnectTo(ComPtr<ISWbemLastError>(&error));
    EXPECT_EQ(wrapper.Get_Derivation_().AsString(), u"CIM_LogicalDevice");
    ASSERT_EQ(error.invocations.size(), 1u);
    EXPECT_TRUE(error.invocations[0].arguments.empty());
    EXPECT_NE(error.invocations[0].flags & DISPATCH_PROPERTYGET, 0);
}

TEST_F(Bindings, SinkMovesWithConnectTo) {
    FakeSink first, second;
    TSWbemSink wrapper(nullptr);
    std::vector<zt::host::String> messages;
    wrapper.OnProgress = [&](TObject* sender, int, int, const WideString& text, const ComPtr<ISWbemNamedValueSet>&) {
        EXPECT_EQ(sender, &wrapper);
        messages.push_back(text);
    };
    wrapper.ConnectTo(ComPtr<ISWbemSink>(&first));
    ASSERT_TRUE(first.events.advised);
    wrapper.ConnectTo(ComPtr<ISWbemSink>(&second));
    EXPECT_FALSE(first.events.advised);
    ASSERT_TRUE(second.events.advised);
    EXPECT_EQ(first.references, 0u);
    second.events.Fire(3, {OleVariant(10), OleVariant(4), OleVariant(u"4 of 10"), OleVariant()});
    EXPECT_EQ(messages, std::vector<zt::host::String>{u"4 of 10"});
    wrapper.Cancel();
    EXPECT_EQ(second.cancels, 1);
    wrapper.Disconnect();
    EXPECT_FALSE(second.events.advised);
    EXPECT_EQ(second.references, 0u);
    EXPECT_EQ(second.events.references, 0u);
}

// A sink object without a connection point container.
class BareSink final : public FakeDispatch<ISWbemSink> {
public:
    BareSink() : FakeDispatch({ZtWmiU::IID_ISWbemSink}) {}
    HRESULT STDMETHODCALLTYPE Cancel() override { return S_OK; }
};

TEST_F(Bindings, SinkWithoutEventPointIsNotConnected) {
    BareSink bare;
    TSWbemSink wrapper(nullptr);
    wrapper.ConnectKind = zt::host::ckAttachToInterface;
    EXPECT_THROW(wrapper.ConnectTo(ComPtr<ISWbemSink>(&bare)), EOleSysError);
    EXPECT_THROW(wrapper.Cancel(), EAssertionFailed);
    EXPECT_EQ(bare.references, 0u);
}

class SinkEvents : public Bindings {
protected:
    SinkEvents() { wrapper.ConnectTo(ComPtr<ISWbemSink>(&sink)); }
    void Fire(DISPID event, std::vector<OleVariant> arguments) { sink.events.Fire(event, std::move(arguments)); }
    OleVariant Context() { return OleVariant(static_cast<IDispatch*>(&context)); }
    OleVariant Object() { return OleVariant(static_cast<IDispatch*>(&object)); }

    FakeSink sink;
    FakeNamedValueSet context;
    FakeLastError object;
    FakeObjectPath path;
    DialogRecorder dialogs;
    TSWbemSink wrapper{nullptr};
    std::vector<std::string> log;
};

TEST_F(SinkEvents, EachDispatchIdReachesItsHandler) {
    const auto isContext = [&](const ComPtr<ISWbemNamedValueSet>& given) {
        return static_cast<void*>(given.Get()) == static_cast<ISWbemNamedValueSet*>(&context);
    };
    wrapper.OnObjectReady = [&](TObject*, const ComPtr<ISWbemObject>& item, const ComPtr<ISWbemNamedValueSet>& c) {
        log.push_back(std::string("ready ") + (item.Get() == static_cast<ISWbemObject*>(&object) ? "object" : "?") +
                      (isContext(c) ? " context" : " ?"));
    };
    wrapper.OnCompleted = [&](TObject*, TOleEnum result, const ComPtr<ISWbemObject>& error,
                              const ComPtr<ISWbemNamedValueSet>& c) {
        log.push_back("completed " + std::to_string(result) + (error ? " error" : " none") +
                      (isContext(c) ? " context" : " ?"));
    };
    wrapper.OnProgress = [&](TObject*, int upper, int current, const WideString& text,
                             const ComPtr<ISWbemNamedValueSet>& c) {
        log.push_back("progress " + std::to_string(current) + "/" + std::to_string(upper) + " " +
                      zt::host::ToUtf8(text) + (c ? " context" : " none"));
    };
    wrapper.OnObjectPut = [&](TObject*, const ComPtr<ISWbemObjectPath>& put, const ComPtr<ISWbemNamedValueSet>& c) {
        log.push_back(std::string("put ") + (put.Get() == static_cast<ISWbemObjectPath*>(&path) ? "path" : "?") +
                      (isContext(c) ? " context" : " ?"));
    };
    Fire(1, {Object(), Context()});
    Fire(2, {OleVariant(u"-2147217406"), OleVariant(static_cast<IDispatch*>(nullptr)), Context()});
    Fire(3, {OleVariant(u"100"), OleVariant(true), OleVariant(42), OleVariant()});
    Fire(4, {OleVariant(static_cast<IDispatch*>(&path)), Context()});
    Fire(5, {Object()});  // not an event of the sink
    EXPECT_EQ(log, (std::vector<std::string>{"ready object context", "completed -2147217406 none context",
                                             "progress -1/100 42 none", "put path context"}));
    EXPECT_TRUE(dialogs.failures.empty());
    EXPECT_EQ(object.references, 0u);
    EXPECT_EQ(path.references, 0u);
}

TEST_F(SinkEvents, UnassignedHandlerDropsTheEventUnread) {
    // Neither argument could be converted: nothing may try.
    Fire(3, {OleVariant(u"not a number"), OleVariant(Object()), OleVariant(), OleVariant()});
    Fire(2, {Object(), Object(), Object()});
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(SinkEvents, FailingConversionGoesToTheHostHandler) {
    wrapper.OnProgress = [&](TObject*, int, int, const WideString&, const ComPtr<ISWbemNamedValueSet>&) {
        log.push_back("progress");
    };
    wrapper.OnObjectPut = [&](TObject*, const ComPtr<ISWbemObjectPath>&, const ComPtr<ISWbemNamedValueSet>&) {
        log.push_back("put");
    };
    Fire(3, {OleVariant(u"not a number"), OleVariant(1), OleVariant(u""), OleVariant()});
    Fire(4, {Context(), Context()});  // a named-value set is no object path
    Fire(4, {OleVariant(static_cast<IDispatch*>(&path))});  // the context is missing
    EXPECT_TRUE(log.empty());
    ASSERT_EQ(dialogs.failures.size(), 3u);
    EXPECT_THROW(std::rethrow_exception(dialogs.failures[0]), EOleSysError);
    EXPECT_THROW(std::rethrow_exception(dialogs.failures[1]), EOleSysError);
    EXPECT_THROW(std::rethrow_exception(dialogs.failures[2]), std::out_of_range);
}

TEST_F(Bindings, HandlerMayFreeItsSink) {
    FakeSink sink;
    auto* wrapper = new TSWbemSink(nullptr);
    wrapper->ConnectTo(ComPtr<ISWbemSink>(&sink));
    int completions = 0;
    wrapper->OnCompleted = [&](TObject*, TOleEnum, const ComPtr<ISWbemObject>&, const ComPtr<ISWbemNamedValueSet>&) {
        ++completions;
        delete wrapper;  // the host is done with the query
    };
    sink.events.Fire(2, {OleVariant(0), OleVariant(), OleVariant()});
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(sink.events.advised);
    EXPECT_EQ(sink.references, 0u);
}

TEST_F(Bindings, FactoriesCreateRegisteredClassesAndRaiseOtherwise) {
    FakeNamedValueSet server;
    {
        ClassRegistration registration(ZtWmiU::CLASS_SWbemNamedValueSet, &server);
        const ComPtr<ISWbemNamedValueSet> created = CoSWbemNamedValueSet::Create();
        EXPECT_EQ(static_cast<void*>(created.Get()), static_cast<ISWbemNamedValueSet*>(&server));
    }
    {
        // A class whose object lacks the default interface.
        ClassRegistration registration(ZtWmiU::CLASS_SWbemObjectPath, &server);
        try {
            CoSWbemObjectPath::Create();
            FAIL() << "no failure raised";
        } catch (const EOleSysError& failure) {
            EXPECT_EQ(failure.ErrorCode(), E_NOINTERFACE);
        }
    }
    EXPECT_EQ(server.references, 0u);
    try {
        CoSWbemSink::Create();  // registered nowhere
        FAIL() << "no failure raised";
    } catch (const EOleSysError& failure) {
        EXPECT_EQ(failure.ErrorCode(), REGDB_E_CLASSNOTREG);
    }
}

TEST(VariantConversions, FollowAutomationRules) {
    EXPECT_EQ(OleVariant(u"-12").AsInteger(), -12);
    EXPECT_EQ(OleVariant(true).AsInteger(), -1);
    EXPECT_EQ(OleVariant().AsString(), u"");
    EXPECT_EQ(OleVariant(-7).AsString(), u"-7");
    EXPECT_THROW(OleVariant(u"12 apples").AsInteger(), EOleSysError);
    EXPECT_THROW(OleVariant(u"99999999999").AsInteger(), EOleSysError);
    OleVariant copy = OleVariant(u"kept");
    copy = copy;
    EXPECT_EQ(copy.AsString(), u"kept");
}

}  // namespace
