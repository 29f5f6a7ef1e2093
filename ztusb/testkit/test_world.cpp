#include "ztusb/testkit/test_world.h"

#include <algorithm>
#include <variant>

#include "ztusb/testkit/world.h"

namespace zt::testkit {

TestWorld::TestWorld(World world)
    : world_(std::make_unique<World>(std::move(world))), station_(std::make_unique<sim::Workstation>()) {
    Populate(*station_, *world_);
}

TestWorld::TestWorld(TestWorld&&) noexcept = default;
TestWorld& TestWorld::operator=(TestWorld&&) noexcept = default;
TestWorld::~TestWorld() = default;

TestWorld TestWorld::Load(const std::string& path) { return TestWorld(LoadWorld(path)); }

TestWorld TestWorld::Parse(const std::string& text, const std::string& name) {
    return TestWorld(ParseWorld(text, name));
}

std::vector<std::string> TestWorld::DeviceIds() const {
    std::vector<std::string> ids;
    for (const WorldDevice& device : world_->devices) ids.push_back(device.id);
    return ids;
}

namespace {

void Change(sim::Workstation& station, const World& world, std::string_view id, WorldStep::Action action) {
    const auto& devices = world.devices;
    auto found = std::find_if(devices.begin(), devices.end(), [&](const WorldDevice& d) { return d.id == id; });
    if (found == devices.end()) {
        throw WorldError(world.fileName + ": no device with the id \"" + std::string(id) + "\"");
    }
    WorldStep step{action, static_cast<std::size_t>(found - devices.begin()), 0, found->line};
    Perform(station, world, step);
}

}  // namespace

void TestWorld::Plug(std::string_view id) { Change(*station_, *world_, id, WorldStep::Action::Plug); }

void TestWorld::Unplug(std::string_view id) { Change(*station_, *world_, id, WorldStep::Action::Unplug); }

void TestWorld::Play() {
    for (const WorldStep& step : world_->script) Perform(*station_, *world_, step);
}

}  // namespace zt::testkit
