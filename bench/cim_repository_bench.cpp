// Plugging and unplugging one device in a world of N: the cost should not grow with N.
#include <benchmark/benchmark.h>

#include <string>

#include "ztusb/world/cim_repository.h"

namespace {

using zt::host::String;

String Number(std::int64_t n) { return zt::host::FromAnsi(std::to_string(n)); }
String DriveId(std::int64_t n) { return u"\\\\.\\PHYSICALDRIVE" + Number(n); }
String PartitionId(std::int64_t n) { return u"Disk #" + Number(n) + u", Partition #0"; }

void AddPartition(zt::world::CimRepository& cim, std::int64_t n) {
    cim.Add(u"Win32_DiskPartition", {{u"DeviceID", PartitionId(n)}});
    cim.Associate(u"Win32_DiskDriveToDiskPartition", DriveId(n), PartitionId(n));
}

void BM_RemoveAndAddOneInstance(benchmark::State& state) {
    zt::world::CimRepository cim;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        cim.Add(u"Win32_DiskDrive", {{u"DeviceID", DriveId(i)}});
        AddPartition(cim, i);
    }
    for (auto _ : state) {
        cim.Remove(u"Win32_DiskPartition", PartitionId(0));
        AddPartition(cim, 0);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_RemoveAndAddOneInstance)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::o1);

}  // namespace
