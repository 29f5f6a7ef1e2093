// World files of the monitor, as a user might hand-edit or truncate them: parsed, and the
// workstation they describe built and its script run (without its pauses), recorded
// broadcasts included.
#include "fuzz/fuzz_input.h"
#include "tools/ztusbmon/world.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        ztusbmon::World world = ztusbmon::ParseWorld(text, "fuzz.json");
        for (auto& broadcast : world.recorded.broadcasts) broadcast.afterMs = 0;
        zt::sim::Workstation station;
        ztusbmon::Populate(station, world);
        for (const ztusbmon::WorldStep& step : world.script) {
            if (step.action != ztusbmon::WorldStep::Action::Pause) ztusbmon::Perform(station, world, step);
        }
    } catch (const ztusbmon::WorldError&) {
        // A refused file is reported at its line: the expected outcome for broken input.
    }
    return 0;
}
