// The package's log: what a result cannot show reaches the host's handler, a handler that
// misbehaves is contained, and nothing at all happens while the log is off.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <stdexcept>

#include "tests/test_support.h"
#include "ztusb/host/log_line.h"
#include "ztusb/host/ole_error.h"
#include "ztusb/sim/workstation.h"
#include "ztusb/win32/windows_names.h"

namespace {

using zt::host::LogLevel;
using zt::host::LogRecord;
using zt::host::SetLogHandler;
using zt::host::String;
using zt::testing::DialogRecorder;
using zt::testing::Entries;
using zt::testing::LogRecorder;
using zt::testing::PumpRequests;
using zt::testing::WmiServed;
using zt_usb_detector::TZtUsbDetector;

bool Holds(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

// Counts how often the log formats it.
struct Counted {
    int* formatted;
};
zt::host::LogLine& operator<<(zt::host::LogLine& line, Counted counted) {
    ++*counted.formatted;
    return line << "counted";
}

// A workstation with a detector on the heap, so that a handler can free it.
struct Desk {
    Desk() : served(station.WmiBackend()), detector(std::make_unique<TZtUsbDetector>()) {
        detector->OnComDetect = [this](zt::host::TObject*, const String&, std::int32_t) { ++events; };
        detector->OnUsbDetect = [this](zt::host::TObject*, const String&, const String&, const String&,
                                       std::int32_t) { ++events; };
        detector->OnNewComInfo = [this](zt::host::TObject*, std::vector<zt_usb_detector::TZtComInfo>,
                                        std::int32_t) { ++events; };
    }
    void PlugAdapter() {
        station.Plug(zt::sim::FtdiAdapter(u"A50285BI", u"COM5"));
        PumpRequests();
    }
    DialogRecorder dialogs;
    zt::sim::Workstation station;
    WmiServed served;
    std::unique_ptr<TZtUsbDetector> detector;
    int events = 0;
};

// Three ways of finding nothing, told apart in the log; the list ends as it always did.
TEST(PackageLog, FailedEmptyAndUnreadableAnswersGiveDifferentLines) {
    using Answer = std::optional<std::vector<String>>;
    struct Row {
        const char* name;
        ZtWmiU::WmiBackend backend;
        std::vector<String> list;  // after the query, from {"earlier"}
        std::string_view told;
    };
    const std::vector<String> earlier{u"earlier"};
    const std::vector<Row> rows = {
        {"no answer", [](const String&) { return Answer{}; }, earlier, "query failed after"},
        {"failure code", [](const String&) -> Answer { throw zt::host::EOleSysError(ZT_HRESULT(0x80041017)); },
         earlier, "query failed after"},
        {"empty answer", [](const String&) { return Answer{std::vector<String>{}}; }, {}, "empty answer"},
        {"unreadable", [](const String&) -> Answer { throw std::runtime_error("cut short"); }, earlier,
         "answer unreadable"},
        {"objects", [](const String&) { return Answer{{u"instance of A"}}; }, {u"instance of A"},
         "query answered 1 object in"},
    };
    std::set<std::string> distinct;
    for (const Row& row : rows) {
        LogRecorder log;
        WmiServed served(row.backend);
        zt::host::TStringList list;
        list.Add(u"earlier");
        ZtWmiU::DoWmiScript(u"SELECT * FROM A", list);
        EXPECT_EQ(Entries(list), row.list) << row.name;
        ASSERT_EQ(log.In("wmi").size(), 1u) << row.name;
        const std::string line = log.In("wmi")[0];
        EXPECT_TRUE(Holds(line, row.told)) << row.name << ": " << line;
        EXPECT_TRUE(line.ends_with(": SELECT * FROM A")) << row.name << ": " << line;
        distinct.insert(line.substr(0, line.find_first_of("0123456789")));  // the words before the figures
    }
    EXPECT_EQ(distinct.size(), rows.size() - 1) << "the two failures share their words";
    LogRecorder log;
    WmiServed served(rows[1].backend);
    zt::host::TStringList list;
    ZtWmiU::DoWmiScript(u"SELECT * FROM A", list);
    EXPECT_TRUE(Holds(log.lines.at(0), "HRESULT 0x80041017 (invalid query)")) << log.lines.at(0);
}

TEST(PackageLog, AHandlerGetsItsLevelUntilItIsRemoved) {
    std::vector<std::string> seen;
    const auto before = SetLogHandler([&](const LogRecord& r) { seen.push_back(LogRecorder::Line(r)); },
                                      LogLevel::Warning);
    WmiServed served([](const String& query) -> std::optional<std::vector<String>> {
        if (query == u"fail") return std::nullopt;
        return std::vector<String>{};
    });
    zt::host::TStringList list;
    ZtWmiU::DoWmiScript(u"empty", list);  // told at Debug: below the handler's level
    ZtWmiU::DoWmiScript(u"fail", list);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(Holds(seen[0], "query failed"));
    const zt::host::LogHandler removed = SetLogHandler({});
    ASSERT_TRUE(removed);
    removed({LogLevel::Error, "test", "handed back"});
    EXPECT_EQ(seen.back(), "test: handed back") << "not the handler that was installed";
    ZtWmiU::DoWmiScript(u"fail", list);
    EXPECT_EQ(seen.size(), 2u) << "called after it was removed";
    SetLogHandler(before);
}

// Off formats nothing and calls nobody, along the whole road of a plug.
TEST(PackageLog, OffCallsNoHandlerAndFormatsNothing) {
    for (const LogLevel level : {LogLevel::Off, LogLevel::Debug}) {
        int calls = 0;
        int formatted = 0;
        const auto before = SetLogHandler([&](const LogRecord&) { ++calls; }, level);
        {
            Desk desk;
            desk.PlugAdapter();
            EXPECT_GT(desk.events, 0);
        }
        ZT_LOG(Debug, "test") << Counted{&formatted};
        ZT_LOG(Error, "test") << Counted{&formatted};
        SetLogHandler(before);
        if (level == LogLevel::Off) {
            EXPECT_EQ(calls, 0);
            EXPECT_EQ(formatted, 0);
        } else {
            EXPECT_GT(calls, 4) << "decoding, posting, running and asking are each told";
            EXPECT_EQ(formatted, 2);
        }
    }
}

// A handler is host code: it may free the component, throw, or call into the package.
TEST(PackageLog, AHandlerThatFreesThrowsOrLogsIsContained) {
    struct Row {
        const char* name;
        std::string_view at;  // the record that sets the handler off
        bool frees;
        bool throws;
    };
    const Row rows[] = {
        {"frees at the first broadcast", "device: arrival of device interface", true, false},
        {"frees when the request is posted", "request: posted", true, false},
        {"frees when the request runs", "request: running", true, false},
        {"frees when WMI answers", "wmi: query", true, false},
        {"throws at every record", "", false, true},
    };
    for (const Row& row : rows) {
        Desk desk;
        int calls = 0;
        const auto before = SetLogHandler([&](const LogRecord& r) {
            ++calls;
            if (!LogRecorder::Line(r).starts_with(row.at)) return;
            if (row.frees) desk.detector.reset();
            if (row.throws) throw std::runtime_error("handler broke");
        });
        desk.PlugAdapter();
        SetLogHandler(before);
        EXPECT_GT(calls, 0) << row.name;
        EXPECT_EQ(desk.detector == nullptr, row.frees) << row.name;
        if (row.throws) {
            EXPECT_EQ(desk.events, 3) << row.name << ": the interface, the port and the port's details";
            EXPECT_FALSE(desk.dialogs.failures.empty()) << row.name << ": not handed to the host";
        }
    }
    // Logging from within the handler, directly or through the package, does not recurse.
    LogRecorder outer;
    std::vector<std::string> seen;
    const auto before = SetLogHandler([&](const LogRecord& r) {
        seen.push_back(LogRecorder::Line(r));
        zt::host::TStringList list;
        ZtWmiU::DoWmiScript(u"SELECT * FROM B", list);
    });
    WmiServed served([](const String&) { return std::optional(std::vector<String>{}); });
    zt::host::TStringList list;
    ZtWmiU::DoWmiScript(u"SELECT * FROM A", list);
    SetLogHandler(before);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].starts_with("wmi: query gave an empty answer in ") && seen[0].ends_with("FROM A")) << seen[0];
    EXPECT_EQ(seen[1], "log: 1 records dropped while the handler ran");
}

// Device text is shown harmlessly and a long one cannot make a line grow without bound; a
// numbered message keeps its text and the log says why.
TEST(PackageLog, DeviceTextIsShownSafelyAndNumberedMessagesGiveTheirCause) {
    LogRecorder log;
    Desk desk;
    const String hostile = u"USB#VID_1234&PID_0001#\x1B[2J" + String(4000, u'x') + u"#{x}";
    zt::testing::Broadcast(DBT_DEVICEARRIVAL, zt::testing::UsbInterface(hostile));
    ASSERT_FALSE(log.In("device").empty());
    const std::string shown = log.In("device")[0];
    EXPECT_TRUE(Holds(shown, "\\x1B[2J")) << shown;
    EXPECT_FALSE(Holds(shown, "\x1B"));
    EXPECT_EQ(shown.size(), zt::host::LogLine::kCapacity + std::string("device: ").size());
    EXPECT_TRUE(shown.ends_with("xxx...")) << "a cut line says so";

    zt::testing::Broadcast(DBT_DEVICEARRIVAL, zt::testing::UsbInterface(u"no separators"));
    EXPECT_EQ(desk.dialogs.messages, std::vector<std::string>{"Debug error #1"});
    EXPECT_EQ(log.In("message"),
              std::vector<std::string>{"message: Debug error #1: an interface name without '#': no separators"});
}

}  // namespace
