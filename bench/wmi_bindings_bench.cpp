// What the typed wrappers add to a COM call: the call straight on the interface against the
// same call through a connected wrapper, a late-bound put, and one sink event to its handler.
#include <benchmark/benchmark.h>

#include "tests/wbem_fakes.h"

namespace {

using namespace zt::testing;

void BM_CountStraightOnInterface(benchmark::State& state) {
    FakeNamedValueSet server;
    ISWbemNamedValueSet* intf = &server;
    for (auto _ : state) {
        benchmark::DoNotOptimize(intf);  // a real call, not one the compiler resolves
        LONG count = 0;
        intf->get_Count(&count);
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(BM_CountStraightOnInterface);

void BM_CountThroughWrapper(benchmark::State& state) {
    FakeNamedValueSet server;
    TSWbemNamedValueSet wrapper(nullptr);
    wrapper.ConnectTo(ComPtr<ISWbemNamedValueSet>(&server));
    for (auto _ : state) benchmark::DoNotOptimize(wrapper.Get_Count());
}
BENCHMARK(BM_CountThroughWrapper);

// A string and a variant in: one BSTR made and freed per call.
void BM_AddThroughWrapper(benchmark::State& state) {
    FakeNamedValueSet server;
    TSWbemNamedValueSet wrapper(nullptr);
    wrapper.ConnectTo(ComPtr<ISWbemNamedValueSet>(&server));
    const OleVariant value(42);
    for (auto _ : state) {
        wrapper.Add(u"Depth", value, 0);
        server.added.clear();
    }
}
BENCHMARK(BM_AddThroughWrapper);

void BM_LateBoundSetter(benchmark::State& state) {
    FakeObjectPath path;
    path.members = {{u"Class", 12}};
    TSWbemObjectPath wrapper(nullptr);
    wrapper.ConnectTo(ComPtr<ISWbemObjectPath>(&path));
    for (auto _ : state) {
        wrapper.Set_Class_(u"Win32_DiskDrive");
        path.invocations.clear();
    }
}
BENCHMARK(BM_LateBoundSetter);

void BM_SinkProgressEvent(benchmark::State& state) {
    FakeSink sink;
    TSWbemSink wrapper(nullptr);
    wrapper.ConnectTo(ComPtr<ISWbemSink>(&sink));
    int seen = 0;
    wrapper.OnProgress = [&](TObject*, int, int current, const WideString&, const ComPtr<ISWbemNamedValueSet>&) {
        seen += current;
    };
    const std::vector<OleVariant> arguments{OleVariant(100), OleVariant(4), OleVariant(u"4 of 100"), OleVariant()};
    for (auto _ : state) sink.events.Fire(3, arguments);
    benchmark::DoNotOptimize(seen);
}
BENCHMARK(BM_SinkProgressEvent);

}  // namespace
