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
