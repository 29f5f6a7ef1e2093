#include <gtest/gtest.h>

#include "ztusb/host/exception.h"
#include "ztusb/host/string_list.h"
#include "tests/test_support.h"

namespace {

using zt::host::EStringListError;
using zt::host::String;
using zt::host::TStringList;
using zt::testing::Entries;

TEST(StringList, KeepsOrderDuplicatesAndObjects) {
    TStringList list;
    EXPECT_EQ(list.Add(u"b"), 0);
    EXPECT_EQ(list.AddObject(u"a", 42), 1);
    list.Add(u"b");
    EXPECT_EQ(Entries(list), (std::vector<String>{u"b", u"a", u"b"}));
    EXPECT_EQ(list.Objects(1), 42);
    EXPECT_EQ(list.Objects(0), 0);
    list.SetObject(0, -7);
    list.Delete(1);
    EXPECT_EQ(Entries(list), (std::vector<String>{u"b", u"b"}));
    EXPECT_EQ(list.Objects(0), -7);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, PositionsOutsideTheListFail) {
    TStringList list;
    list.Add(u"only");
    EXPECT_THROW(list.Strings(1), EStringListError);
    EXPECT_THROW(list.Strings(-1), EStringListError);
    EXPECT_THROW(list.Delete(1), EStringListError);
    EXPECT_THROW(list.Objects(5), EStringListError);
    EXPECT_THROW(list.SetObject(1, 0), EStringListError);
    EXPECT_EQ(list.Count(), 1);
}

TEST(StringList, FindsAndSortsIgnoringAsciiCase) {
    TStringList list;
    for (const char16_t* s : {u"usb", u"Beta", u"alpha", u"USB", u"\u00e9t\u00e9"}) list.Add(s);
    EXPECT_EQ(list.IndexOf(u"UsB"), 0);
    EXPECT_EQ(list.IndexOf(u"ALPHA"), 2);
    EXPECT_EQ(list.IndexOf(u"\u00c9T\u00c9"), -1);  // only A to Z fold
    EXPECT_EQ(list.IndexOf(u"gamma"), -1);
    list.Sort();
    EXPECT_EQ(Entries(list),
              (std::vector<String>{u"alpha", u"Beta", u"usb", u"USB", u"\u00e9t\u00e9"}));
}

TEST(StringList, TextJoinsWithCrLfAndSetTextSplitsAnyBreak) {
    TStringList list;
    list.SetText(u"one\r\ntwo\nthree\rfour\r\n");
    EXPECT_EQ(Entries(list), (std::vector<String>{u"one", u"two", u"three", u"four"}));
    EXPECT_EQ(list.Text(), u"one\r\ntwo\r\nthree\r\nfour\r\n");
    list.SetText(u"a\n\n\rb");
    EXPECT_EQ(Entries(list), (std::vector<String>{u"a", u"", u"", u"b"}));
    list.SetText(u"");
    EXPECT_EQ(list.Count(), 0);
    list.SetText(u"\r\n");
    EXPECT_EQ(Entries(list), std::vector<String>{u""});
}

TEST(StringList, AssignCopiesEntriesAndObjects) {
    TStringList source;
    source.AddObject(u"x", 3);
    TStringList target;
    target.Add(u"old");
    target.Assign(source);
    EXPECT_EQ(Entries(target), std::vector<String>{u"x"});
    EXPECT_EQ(target.Objects(0), 3);
    target.Assign(target);
    EXPECT_EQ(target.Count(), 1);
}

}  // namespace
