// A platform without udev: this machine's devices cannot be read, and the world stays empty.
#include "ztusb/udev/machine.h"

namespace zt::udev {

struct MachineWorld::Udev {};
struct MachineWorld::Waiting {};

MountTable SystemMountTable() { return {}; }

MachineWorld::MachineWorld(MountTable, std::filesystem::path) {}
MachineWorld::~MachineWorld() = default;
bool MachineWorld::Available() const { return false; }
const std::map<std::string, NamedDevices::Named>& MachineWorld::Present() const {
    static const std::map<std::string, NamedDevices::Named> none;
    return none;
}
void MachineWorld::Refresh() {}
void MachineWorld::Listen() {}

}  // namespace zt::udev
