#pragma once
// A world file (the monitor's format: devices, where they are plugged in, a script, or a
// recorded machine) as a host's own tests use it: its workstation with the devices present
// from the start attached, and its devices plugged and unplugged by their ids.
//
//   auto world = zt::testkit::TestWorld::Load("tests/worlds/boards.json");
//   zt::devices::WorldInUse inUse(world.Station());
//   world.Plug("nucleo");
//
// A mistake in the file is a std::runtime_error that says "FILE:LINE: expected ...".

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/sim/workstation.h"

namespace zt::testkit {

struct World;

class ZT_API TestWorld {
public:
    static TestWorld Load(const std::string& path);
    // The same from a text; `name` stands for the file in what a mistake says.
    static TestWorld Parse(const std::string& text, const std::string& name);

    TestWorld(TestWorld&&) noexcept;
    TestWorld& operator=(TestWorld&&) noexcept;
    ~TestWorld();

    sim::Workstation& Station() { return *station_; }
    // The ids the file gives its devices, in its order.
    std::vector<std::string> DeviceIds() const;
    // A device the file names, plugged in (where the file says) or pulled out; an unknown id,
    // or a device the workstation refuses, is a std::runtime_error.
    void Plug(std::string_view id);
    void Unplug(std::string_view id);
    // The file's script from its first step: plugs, unplugs, pauses and recorded broadcasts,
    // one after another on the calling thread.
    void Play();

private:
    explicit TestWorld(World world);

    std::unique_ptr<World> world_;
    std::unique_ptr<sim::Workstation> station_;
};

}  // namespace zt::testkit
