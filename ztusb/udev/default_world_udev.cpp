// This machine's devices stand for the system's: one machine world for the process, made on
// first use by the thread that uses it, and gone with that thread.
#include <atomic>
#include <mutex>
#include <thread>

#include "ztusb/host/log_line.h"
#include "ztusb/udev/default_machine.h"
#include "ztusb/win32/default_world_emu.h"
#include "ztusb/win32/message_sources_emu.h"

namespace zt::win32::emulated {

class ThisMachine final : public DefaultWorld {
public:
    ThisMachine() : owner_(std::this_thread::get_id()) {
        if (!machine_.Available()) {
            ZT_LOG(Warning, "device") << "this machine's USB devices cannot be read: no udev, or no USB in /sys "
                                         "(a container?), so nothing is listed until a USB bus appears";
        }
    }

    std::optional<std::vector<std::u16string>> Query(const std::u16string& wql) override {
        Checked();
        return machine_.Station().WmiBackend()(wql);
    }
    std::shared_ptr<const DeviceTree> Tree() override {
        Checked();
        return machine_.Station().DeviceTreeBackend();
    }
    void Listen() override {
        if (std::this_thread::get_id() != owner_) return Checked();
        machine_.Listen();
    }
    udev::MachineWorld& Machine() { return machine_; }
    bool Owned() const { return std::this_thread::get_id() == owner_; }

private:
    // The machine is its thread's: another thread reading it while it changes would race.
    void Checked() {
        if (std::this_thread::get_id() == owner_ || warned_.exchange(true)) return;
        ZT_LOG(Warning, "device") << "this machine's devices are read and heard on the thread that first used "
                                     "the package, and another thread uses them now: run the detector on one thread "
                                     "(TZtUsbDetectorThread)";
    }

    std::thread::id owner_;
    std::atomic<bool> warned_{false};
    udev::MachineWorld machine_;
};

namespace {

std::mutex made;
ThisMachine* current = nullptr;

// Held by the thread that made the world: it goes when that thread ends.
struct Holder {
    std::unique_ptr<ThisMachine> world;
    ~Holder() { Release(); }
    void Release() {
        std::lock_guard lock(made);
        if (current == world.get()) current = nullptr;
        world.reset();
    }
};
thread_local Holder holder;

}  // namespace

DefaultWorld* ThisMachinesWorld() {
    std::lock_guard lock(made);
    if (current != nullptr) return current;
    // The thread's queue first, so that it outlives the world's message sources.
    MessageQueueDescriptor();
    holder.world = std::make_unique<ThisMachine>();
    current = holder.world.get();
    return current;
}

void StandDownMachinesWorld() {
    if (holder.world) holder.Release();
}

}  // namespace zt::win32::emulated

namespace zt::udev {

MachineWorld* DefaultMachine() {
    auto* world = static_cast<win32::emulated::ThisMachine*>(win32::emulated::TheDefaultWorld());
    return world == nullptr ? nullptr : &world->Machine();
}

}  // namespace zt::udev
