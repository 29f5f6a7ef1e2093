// DoWmiScript over a backend: how results become lines and failures leave lists alone.
#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/test_support.h"
#include "ztusb/wmi/ZtWmiU.h"

namespace {

using ZtWmiU::DoWmiScript;
using ZtWmiU::SetWmiBackend;
using ZtWmiU::WmiBackend;
using zt::host::String;
using zt::host::TStringList;
using zt::testing::Entries;

// Installs a backend for one test and puts the previous one back.
class WmiRunner : public ::testing::Test {
protected:
    void Serve(WmiBackend backend) { previous_ = SetWmiBackend(std::move(backend)); }
    ~WmiRunner() override { SetWmiBackend(previous_); }

    TStringList list;

private:
    WmiBackend previous_;
};

TEST_F(WmiRunner, ObjectsBecomeLinesInEnumerationOrder) {
    Serve([](const String&) {
        return std::vector<String>{u"\ninstance of A\n{\n\tX = 1;\n};\n",
                                   u"\r\ninstance of B\r\n{\r\n};"};
    });
    list.Add(u"earlier content");
    DoWmiScript(u"SELECT * FROM A", list);
    EXPECT_EQ(Entries(list), (std::vector<String>{u"", u"instance of A", u"{", u"\tX = 1;", u"};",
                                                u"", u"", u"instance of B", u"{", u"};"}));
}

// Every text is followed by a line break: after a text that already ends in one, or an empty
// text, that break is an empty line of its own.
TEST_F(WmiRunner, EachTextEndsWithALineBreak) {
    Serve([](const String&) { return std::vector<String>{u"", u"a\r", u"b\r\n", u"c\n", u"d"}; });
    DoWmiScript(u"SELECT * FROM A", list);
    EXPECT_EQ(Entries(list), (std::vector<String>{u"", u"a", u"", u"b", u"", u"c", u"", u"d"}));
}

TEST_F(WmiRunner, AnEmptyResultEmptiesTheList) {
    Serve([](const String&) { return std::vector<String>{}; });
    list.Add(u"earlier content");
    DoWmiScript(u"SELECT * FROM A WHERE X = 2", list);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(WmiRunner, FailuresLeaveTheListAsItWas) {
    list.Add(u"earlier content");
    list.AddObject(u"second", 7);
    Serve([](const String&) { return std::nullopt; });
    DoWmiScript(u"SELEC nonsense", list);
    Serve([](const String&) -> std::optional<std::vector<String>> {
        throw std::runtime_error("backend broke");
    });
    DoWmiScript(u"SELECT * FROM A", list);
    EXPECT_EQ(Entries(list), (std::vector<String>{u"earlier content", u"second"}));
    EXPECT_EQ(list.Objects(1), 7);
}

TEST_F(WmiRunner, QueryTextReachesTheBackendUnchanged) {
    String seen;
    Serve([&](const String& query) {
        seen = query;
        return std::vector<String>{};
    });
    const String query = u"SELECT *  FROM Win32_PnPEntity WHERE Caption Like \"%USBASP%\" ";
    DoWmiScript(query, list);
    EXPECT_EQ(seen, query);
}

TEST_F(WmiRunner, SetWmiBackendHandsBackTheOneItReplaced) {
    Serve([](const String&) { return std::vector<String>{u"first"}; });
    WmiBackend replaced = SetWmiBackend([](const String&) { return std::vector<String>{u"second"}; });
    ASSERT_TRUE(replaced);
    EXPECT_EQ(*replaced(u"q"), std::vector<String>{u"first"});
    DoWmiScript(u"q", list);
    EXPECT_EQ(Entries(list), std::vector<String>{u"second"});
}

}  // namespace
