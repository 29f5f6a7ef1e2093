#include "ztusb/detector/ft232r_serials.h"

#include <bit>
#include <functional>
#include <string_view>

namespace zt_usb_detector {

Ft232RSerials::Ft232RSerials(const std::vector<TFT232RLIST>& list, std::size_t count) : list_(list) {
    Resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t hash = Hash(list_[i].Serial);
        if (!Contains(list_[i].Serial, hash)) Place(i, hash);
    }
}

bool Ft232RSerials::Contains(const String& serial) const { return Contains(serial, Hash(serial)); }

bool Ft232RSerials::Contains(const String& serial, std::size_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask; slots_[at].position != kEmpty; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.hash == static_cast<std::uint32_t>(hash) && list_[slot.position].Serial == serial) return true;
    }
    return false;
}

void Ft232RSerials::Add(std::size_t position) {
    if ((used_ + 1) * 2 > slots_.size()) Resize(used_ + 1);
    Place(position, Hash(list_[position].Serial));
}

std::size_t Ft232RSerials::Hash(const String& serial) { return std::hash<std::u16string_view>{}(serial); }

void Ft232RSerials::Place(std::size_t position, std::size_t hash) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = hash & mask;
    while (slots_[at].position != kEmpty) at = (at + 1) & mask;
    slots_[at] = {static_cast<std::uint32_t>(position), static_cast<std::uint32_t>(hash)};
    ++used_;
}

// Room for `entries` at most half full, the table's entries placed anew.
void Ft232RSerials::Resize(std::size_t entries) {
    std::vector<Slot> placed;
    placed.reserve(used_);
    for (const Slot& slot : slots_) {
        if (slot.position != kEmpty) placed.push_back(slot);
    }
    slots_.assign(std::bit_ceil(std::max<std::size_t>(entries * 2, 16)), Slot{});
    used_ = 0;
    for (const Slot& slot : placed) Place(slot.position, slot.hash);
}

}  // namespace zt_usb_detector
