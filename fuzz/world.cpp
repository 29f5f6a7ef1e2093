// World files of the monitor, as a user might hand-edit or truncate them: parsed, and the
// workstation they describe built and its script run (without its pauses), recorded
// broadcasts included.
#include "fuzz/fuzz_input.h"
#include "ztusb/testkit/world.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        zt::testkit::World world = zt::testkit::ParseWorld(text, "fuzz.json");
        for (auto& broadcast : world.recorded.broadcasts) broadcast.afterMs = 0;
        zt::sim::Workstation station;
        zt::testkit::Populate(station, world);
        for (const zt::testkit::WorldStep& step : world.script) {
            if (step.action != zt::testkit::WorldStep::Action::Pause) zt::testkit::Perform(station, world, step);
        }
    } catch (const zt::testkit::WorldError&) {
        // A refused file is reported at its line: the expected outcome for broken input.
    }
    return 0;
}
