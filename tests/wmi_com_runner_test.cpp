// The query runner's COM path over hand-written scripting objects registered as the locator
// (Windows build, run under Wine): what each kind of element and failure does to the list.
#include <gtest/gtest.h>
#include <objbase.h>

#include <optional>

#include "tests/test_support.h"
#include "tests/wbem_fakes.h"

namespace {

using namespace zt::testing;
using zt::host::String;
using zt::host::TStringList;

class FakeEnumerator final : public IEnumVARIANT {
public:
    // What one Next delivers: no object is an empty VARIANT, a null object a VT_DISPATCH
    // holding none. A failure code comes with its element too, as a half-made one.
    struct Step {
        HRESULT result;
        std::optional<IDispatch*> object;
    };

    HRESULT STDMETHODCALLTYPE QueryInterface(const GUID& id, void** out) override {
        *out = nullptr;
        if (!(id == IID_IUnknown || id == IID_IEnumVARIANT)) return E_NOINTERFACE;
        *out = static_cast<IEnumVARIANT*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* elements, ULONG* fetched) override {
        if (count != 1) return E_INVALIDARG;
        if (next == steps.size()) {
            *fetched = 0;
            return S_FALSE;
        }
        const Step& step = steps[next++];
        VariantInit(elements);
        if (step.object) {
            elements->vt = VT_DISPATCH;
            elements->pdispVal = *step.object;
            if (*step.object != nullptr) (*step.object)->AddRef();
        }
        *fetched = step.result == S_OK ? 1 : 0;
        return step.result;
    }
    ZT_NOT_IMPLEMENTED(Skip, ULONG)
    ZT_NOT_IMPLEMENTED(Reset)
    ZT_NOT_IMPLEMENTED(Clone, IEnumVARIANT**)

    ULONG references = 0;
    std::vector<Step> steps;
    std::size_t next = 0;
};

class FakeObjectSet final : public FakeDispatch<ISWbemObjectSet> {
public:
    explicit FakeObjectSet(FakeEnumerator& enumerator)
        : FakeDispatch({ZtWmiU::IID_ISWbemObjectSet}), enumerator_(enumerator) {}

    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) override {
        return enumerator_.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(enumerator));
    }
    ZT_NOT_IMPLEMENTED(Item, BSTR, LONG, ISWbemObject**)
    ZT_NOT_IMPLEMENTED(get_Count, LONG*)
    ZT_NOT_IMPLEMENTED(get_Security_, ISWbemSecurity**)
    ZT_NOT_IMPLEMENTED(ItemIndex, LONG, ISWbemObject**)

private:
    FakeEnumerator& enumerator_;
};

class FakeServices final : public FakeDispatch<ISWbemServices> {
public:
    explicit FakeServices(FakeObjectSet& objects) : FakeDispatch({ZtWmiU::IID_ISWbemServices}), objects_(objects) {}

    HRESULT STDMETHODCALLTYPE ExecQuery(BSTR query, BSTR language, LONG flags, IDispatch* context,
                                        ISWbemObjectSet** objects) override {
        queries.push_back({zt::host::BstrText(query), zt::host::BstrText(language), flags, context});
        return objects_.QueryInterface(ZtWmiU::IID_ISWbemObjectSet, reinterpret_cast<void**>(objects));
    }
    ZT_NOT_IMPLEMENTED(Get, BSTR, LONG, IDispatch*, ISWbemObject**)
    ZT_NOT_IMPLEMENTED(GetAsync, IDispatch*, BSTR, LONG, IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(Delete, BSTR, LONG, IDispatch*)
    ZT_NOT_IMPLEMENTED(DeleteAsync, IDispatch*, BSTR, LONG, IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(InstancesOf, BSTR, LONG, IDispatch*, ISWbemObjectSet**)
    ZT_NOT_IMPLEMENTED(InstancesOfAsync, IDispatch*, BSTR, LONG, IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(SubclassesOf, BSTR, LONG, IDispatch*, ISWbemObjectSet**)
    ZT_NOT_IMPLEMENTED(SubclassesOfAsync, IDispatch*, BSTR, LONG, IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(ExecQueryAsync, IDispatch*, BSTR, BSTR, LONG, IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(AssociatorsOf, BSTR, BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR, BSTR, LONG,
                       IDispatch*, ISWbemObjectSet**)
    ZT_NOT_IMPLEMENTED(AssociatorsOfAsync, IDispatch*, BSTR, BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL,
                       BSTR, BSTR, LONG, IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(ReferencesTo, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR, LONG, IDispatch*,
                       ISWbemObjectSet**)
    ZT_NOT_IMPLEMENTED(ReferencesToAsync, IDispatch*, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR, LONG,
                       IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(ExecNotificationQuery, BSTR, BSTR, LONG, IDispatch*, ISWbemEventSource**)
    ZT_NOT_IMPLEMENTED(ExecNotificationQueryAsync, IDispatch*, BSTR, BSTR, LONG, IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(ExecMethod, BSTR, BSTR, IDispatch*, LONG, IDispatch*, ISWbemObject**)
    ZT_NOT_IMPLEMENTED(ExecMethodAsync, IDispatch*, BSTR, BSTR, IDispatch*, LONG, IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(get_Security_, ISWbemSecurity**)

    struct Query {
        String text;
        String language;
        LONG flags;
        IDispatch* context;
    };
    std::vector<Query> queries;

private:
    FakeObjectSet& objects_;
};

class FakeLocator final : public FakeDispatch<ISWbemLocator> {
public:
    explicit FakeLocator(FakeServices& services) : FakeDispatch({ZtWmiU::IID_ISWbemLocator}), services_(services) {}

    HRESULT STDMETHODCALLTYPE ConnectServer(BSTR server, BSTR space, BSTR user, BSTR password, BSTR locale,
                                            BSTR authority, LONG securityFlags, IDispatch* context,
                                            ISWbemServices** services) override {
        connections.push_back(zt::host::BstrText(server) + u"|" + zt::host::BstrText(space) + u"|" +
                              zt::host::BstrText(user) + zt::host::BstrText(password) +
                              zt::host::BstrText(locale) + zt::host::BstrText(authority) + u"|" +
                              (securityFlags == 0 && context == nullptr ? u"plain" : u"with options"));
        return services_.QueryInterface(ZtWmiU::IID_ISWbemServices, reinterpret_cast<void**>(services));
    }
    ZT_NOT_IMPLEMENTED(get_Security_, ISWbemSecurity**)

    std::vector<String> connections;

private:
    FakeServices& services_;
};

using Step = FakeEnumerator::Step;

// One query's road: locator, services, object set and enumerator, with objects to deliver.
class ComRunner : public ::testing::Test {
protected:
    ComRunner() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        registration_.emplace(ZtWmiU::CLASS_SWbemLocator, static_cast<ISWbemLocator*>(&locator));
        first.objectText = u"instance of A\n{\n\tName = \"a\";\n};";
        second.objectText = u"instance of B\r\n{\r\n};";
        list.Add(u"earlier content");
    }
    ~ComRunner() override {
        registration_.reset();
        CoUninitialize();
    }

    // Runs one query over the steps; every object the run was given must be let go again.
    std::vector<String> Run(std::vector<Step> steps) {
        enumerator.steps = std::move(steps);
        enumerator.next = 0;
        ZtWmiU::DoWmiScript(u"SELECT * FROM A", list);
        enumerator.steps.clear();
        for (const ULONG held : {locator.references, services.references, objects.references,
                                 enumerator.references, first.references, second.references, other.references}) {
            EXPECT_EQ(held, 0u);
        }
        return Entries(list);
    }

    FakeEnumerator enumerator;
    FakeObjectSet objects{enumerator};
    FakeServices services{objects};
    FakeLocator locator{services};
    FakeLastError first, second;
    FakeNamedValueSet other;  // a scripting object that is no WMI object
    TStringList list;

private:
    std::optional<ClassRegistration> registration_;
};

TEST_F(ComRunner, AsksTheLocalNamespaceWithTheQueryUnchanged) {
    Run({});
    EXPECT_EQ(locator.connections, std::vector<String>{u".|root\\cimv2||plain"});
    ASSERT_EQ(services.queries.size(), 1u);
    EXPECT_EQ(services.queries[0].text, u"SELECT * FROM A");
    EXPECT_EQ(services.queries[0].language, u"WQL");
    EXPECT_EQ(services.queries[0].flags, 0);
    EXPECT_EQ(services.queries[0].context, nullptr);
}

TEST_F(ComRunner, ElementsWithoutAnInterfaceAreSkipped) {
    const std::vector<String> lines =
        Run({{S_OK, &first}, {S_OK, std::nullopt}, {S_OK, nullptr}, {S_OK, &second}});
    EXPECT_EQ(lines, (std::vector<String>{u"instance of A", u"{", u"\tName = \"a\";", u"};", u"instance of B", u"{",
                                          u"};"}));
    EXPECT_EQ(first.textFlags, std::vector<LONG>{0});
}

// Each of these ends the run as a failure: the list keeps what it had.
TEST_F(ComRunner, FailingElementsLeaveTheListUntouched) {
    const std::vector<String> earlier{u"earlier content"};
    EXPECT_EQ(Run({{S_OK, &first}, {S_OK, &other}}), earlier) << "not a WMI object";
    second.textStatus = ZT_HRESULT(0x80041001);  // WBEM_E_FAILED
    EXPECT_EQ(Run({{S_OK, &first}, {S_OK, &second}}), earlier) << "no object text";
}

TEST_F(ComRunner, FailingNextEndsTheEnumerationWithoutItsElement) {
    const std::vector<String> lines = Run({{S_OK, &first}, {E_OUTOFMEMORY, &second}});
    EXPECT_EQ(lines, (std::vector<String>{u"instance of A", u"{", u"\tName = \"a\";", u"};"}));
    EXPECT_TRUE(second.textFlags.empty());
}

}  // namespace
