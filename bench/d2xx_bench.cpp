// One read and one write through the unit and the loaded D2XX test double: the unit's own
// cost per call, and the heap allocations per transfer (there should be none).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bench/allocation_counter.h"
#include "ztusb/d2xx/D2XXUnit_ZT.h"
#include "tests/d2xx_double/control.h"

namespace {

// The double the unit will load (when the tests are built), for the unit and for the bench.
zt::win32::HMODULE LoadDouble() {
#ifdef ZT_D2XX_DOUBLE
    setenv("ZT_D2XX_LIBRARY", ZT_D2XX_DOUBLE, 0);
#endif
    const char* path = std::getenv("ZT_D2XX_LIBRARY");
    const auto module = path == nullptr ? nullptr : zt::win32::LoadLibraryA(path);
    const auto setLogging = module == nullptr ? nullptr
        : reinterpret_cast<ZtDouble_SetLogging_t>(reinterpret_cast<void (*)()>(
              zt::win32::GetProcAddress(module, "ZtDouble_SetLogging")));
    if (setLogging == nullptr) return nullptr;
    setLogging(0);  // the double's own bookkeeping stays out of the figures
    static int openDevice = 0;
    D2XXUnit_ZT::FT_HANDLE = &openDevice;  // the double refuses a null handle, as the library does
    return module;
}

template <std::int32_t (*Transfer)(std::int32_t)>
void BM_Transfer(benchmark::State& state) {
    if (LoadDouble() == nullptr || D2XXUnit_ZT::Reset_USB_Device() != 0) {
        state.SkipWithError("the D2XX test double is not loaded (build with tests)");
        return;
    }
    const long before = AllocationCount();
    for (auto _ : state) benchmark::DoNotOptimize(Transfer(64));
    state.counters["allocations_per_call"] =
        static_cast<double>(AllocationCount() - before) / static_cast<double>(state.iterations());
}
// The same read made straight into the double: what is left is the unit's own cost.
void BM_DoubleReadDirect(benchmark::State& state) {
    const auto double_ = LoadDouble();
    const auto read = double_ == nullptr ? nullptr
        : reinterpret_cast<d2xx::entry::FT_Read::type>(reinterpret_cast<void (*)()>(
              zt::win32::GetProcAddress(double_, "FT_Read")));
    if (read == nullptr) {
        state.SkipWithError("the D2XX test double is not loaded (build with tests)");
        return;
    }
    d2xx::DWORD done = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(read(D2XXUnit_ZT::FT_HANDLE, D2XXUnit_ZT::FT_In_Buffer, 64, &done));
    }
}
BENCHMARK(BM_DoubleReadDirect);

BENCHMARK(BM_Transfer<D2XXUnit_ZT::Read_USB_Device_Buffer>)->Name("BM_ReadUsbDeviceBuffer");
BENCHMARK(BM_Transfer<D2XXUnit_ZT::Write_USB_Device_Buffer>)->Name("BM_WriteUsbDeviceBuffer");

}  // namespace
