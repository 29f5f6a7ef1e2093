#pragma once
// The tests' side of the D2XX double: the same library the unit loads, reached through its
// control entry points.

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/d2xx_double/control.h"
#include "ztusb/win32/api.h"

namespace zt::testing {

class D2xxDouble {
public:
    D2xxDouble() : module_(Load(std::getenv("ZT_D2XX_LIBRARY"))) {
        reset_ = Entry<ZtDouble_Reset_t>("ZtDouble_Reset");
        setStatus_ = Entry<ZtDouble_SetStatus_t>("ZtDouble_SetStatus");
        setOutput_ = Entry<ZtDouble_SetOutput_t>("ZtDouble_SetOutput");
        calls_ = Entry<ZtDouble_Calls_t>("ZtDouble_Calls");
        Reset();
    }

    bool Loaded() const { return calls_ != nullptr; }
    void Reset() const { if (reset_) reset_(); }
    void Status(const char* entry, std::uint32_t status) const { setStatus_(entry, status); }
    template <typename Value>
    void Output(const char* entry, int argument, const Value& value) const {
        setOutput_(entry, argument, &value, sizeof value);
    }
    void OutputBytes(const char* entry, int argument, const void* bytes, std::uint32_t size) const {
        setOutput_(entry, argument, bytes, size);
    }

    std::vector<std::string> Calls() const {
        std::vector<std::string> lines;
        std::istringstream log(calls_());
        for (std::string line; std::getline(log, line);) lines.push_back(line);
        return lines;
    }

private:
    static win32::HMODULE Load(const char* file) { return file == nullptr ? nullptr : win32::LoadLibraryA(file); }

    template <typename Function>
    Function Entry(const char* name) const {
        return module_ == nullptr ? nullptr
                                  : reinterpret_cast<Function>(reinterpret_cast<void (*)()>(
                                        win32::GetProcAddress(module_, name)));
    }

    win32::HMODULE module_;
    ZtDouble_Reset_t reset_ = nullptr;
    ZtDouble_SetStatus_t setStatus_ = nullptr;
    ZtDouble_SetOutput_t setOutput_ = nullptr;
    ZtDouble_Calls_t calls_ = nullptr;
};

// A pointer as the double logs it.
inline std::string P(const void* pointer) {
    char text[32];
    std::snprintf(text, sizeof text, "P%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(pointer)));
    return text;
}

}  // namespace zt::testing
