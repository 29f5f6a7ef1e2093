#pragma once
// The serial numbers of the FT232R list during one scan. A flat table of positions into the
// list: a look-up touches one small array and the list's own entry, where a set would hold a
// node and a copy of the serial per port and, with thousands of ports, miss the cache.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ztusb/detector/zt_usb_detector.h"

namespace zt_usb_detector {

class Ft232RSerials {
public:
    // The serials of the first `count` entries of `list`, which must outlive this table.
    Ft232RSerials(const std::vector<TFT232RLIST>& list, std::size_t count);

    bool Contains(const String& serial) const;
    // The list's entry at `position` has been added and holds a serial not yet listed.
    void Add(std::size_t position);

private:
    static constexpr std::uint32_t kEmpty = UINT32_MAX;

    // A position into the list and its serial's hash, which spares reading the list's entry
    // for every other serial met on the way.
    struct Slot {
        std::uint32_t position = kEmpty;
        std::uint32_t hash = 0;
    };

    static std::size_t Hash(const String& serial);
    bool Contains(const String& serial, std::size_t hash) const;
    void Place(std::size_t position, std::size_t hash);
    void Resize(std::size_t entries);

    const std::vector<TFT232RLIST>& list_;
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

}  // namespace zt_usb_detector
