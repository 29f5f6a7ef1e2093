#pragma once
// Serves WMI from a backend for one benchmark, then puts the previous one back.

#include "ztusb/wmi/ZtWmiU.h"

class ServedWmi {
public:
    explicit ServedWmi(ZtWmiU::WmiBackend backend) : previous_(ZtWmiU::SetWmiBackend(std::move(backend))) {}
    ~ServedWmi() { ZtWmiU::SetWmiBackend(previous_); }
    ServedWmi(const ServedWmi&) = delete;
    ServedWmi& operator=(const ServedWmi&) = delete;

private:
    ZtWmiU::WmiBackend previous_;
};

// Serves WMI from a backend for one benchmark and counts the queries it answers.
class CountedWmi {
public:
    explicit CountedWmi(ZtWmiU::WmiBackend backend)
        : served_([this, backend = std::move(backend)](const zt::host::String& query) {
              ++queries_;
              return backend(query);
          }) {}

    std::int64_t Queries() const { return queries_; }

private:
    std::int64_t queries_ = 0;
    ServedWmi served_;
};
