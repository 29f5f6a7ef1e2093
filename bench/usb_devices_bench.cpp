// The device view over Windows' device tree on the simulated world: one inventory of N
// devices of three faces each (a port and two disks) should grow linearly with N; and what
// one inventory of 20 devices costs in WMI queries (at most two, whatever the number of
// devices: a query takes tens of milliseconds on a real machine) and device-tree calls.
#include <benchmark/benchmark.h>

#include <atomic>

#include "bench/served_wmi.h"
#include "ztusb/devices/devices.h"
#include "ztusb/devices/world_in_use.h"
#include "ztusb/sim/boards.h"
#include "ztusb/sim/workstation.h"

namespace {

using zt::host::String;

// N CircuitPython boards, each with its port and two drives, spread over buses of 200 ports.
void Populate(zt::sim::Workstation& station, std::int64_t devices) {
    for (std::int64_t i = 0; i < devices; ++i) {
        const String n = zt::host::FromAnsi(std::to_string(i));
        const String location = zt::host::FromAnsi(std::to_string(i / 200 + 1) + "-" + std::to_string(i % 200 + 1));
        const zt::sim::Volume unlettered{{}, u"FAT", 1 << 20, 0, {}, {}};
        station.Attach(zt::sim::Board(zt::sim::BoardKind::CircuitPython, u"CP" + n, {u"COM" + n},
                                      static_cast<std::uint32_t>(2 * i + 1), {{unlettered}, {unlettered}}),
                       location);
    }
}

void BM_DeviceInventory(benchmark::State& state) {
    zt::sim::Workstation station;
    Populate(station, state.range(0));
    const zt::devices::WorldInUse world(station);
    std::size_t listed = 0;
    for (auto _ : state) listed = zt::devices::UsbDevices().size();
    state.SetComplexityN(state.range(0));
    state.counters["devices"] = static_cast<double>(listed);
}
BENCHMARK(BM_DeviceInventory)->RangeMultiplier(10)->Range(10, 1000)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

// Passes every call to the workstation's tree, counting them.
class CountedTree final : public zt::win32::DeviceTree {
public:
    explicit CountedTree(std::shared_ptr<const zt::win32::DeviceTree> tree) : tree_(std::move(tree)) {}
    std::vector<String> DeviceIds(std::u16string_view e) const override { return Count(), tree_->DeviceIds(e); }
    std::optional<zt::win32::DevNode> Locate(std::u16string_view id) const override { return Count(), tree_->Locate(id); }
    std::optional<zt::win32::DevNode> Parent(zt::win32::DevNode n) const override { return Count(), tree_->Parent(n); }
    std::optional<zt::win32::DevNode> Child(zt::win32::DevNode n) const override { return Count(), tree_->Child(n); }
    std::optional<zt::win32::DevNode> Sibling(zt::win32::DevNode n) const override { return Count(), tree_->Sibling(n); }
    String Id(zt::win32::DevNode n) const override { return Count(), tree_->Id(n); }
    std::optional<String> Text(zt::win32::DevNode n, zt::win32::DevNodeText p) const override {
        return Count(), tree_->Text(n, p);
    }
    std::vector<String> LocationPaths(zt::win32::DevNode n) const override { return Count(), tree_->LocationPaths(n); }
    std::optional<zt::win32::VolumeFacts> Volume(std::u16string_view root) const override {
        return Count(), tree_->Volume(root);
    }
    std::int64_t Calls() const { return calls_; }

private:
    void Count() const { ++calls_; }
    std::shared_ptr<const zt::win32::DeviceTree> tree_;
    mutable std::int64_t calls_ = 0;
};

void BM_DeviceInventoryCalls(benchmark::State& state) {
    zt::sim::Workstation station;
    Populate(station, 20);
    const zt::devices::WorldInUse world(station);
    const auto counted = std::make_shared<CountedTree>(station.DeviceTreeBackend());
    const auto previous = zt::win32::SetDeviceTree(counted);
    const CountedWmi wmi(station.WmiBackend());
    std::int64_t inventories = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zt::devices::UsbDevices());
        ++inventories;
    }
    zt::win32::SetDeviceTree(previous);
    state.counters["wmi_queries"] = static_cast<double>(wmi.Queries()) / static_cast<double>(inventories);
    state.counters["tree_calls"] = static_cast<double>(counted->Calls()) / static_cast<double>(inventories);
}
BENCHMARK(BM_DeviceInventoryCalls)->Unit(benchmark::kMicrosecond);

}  // namespace
