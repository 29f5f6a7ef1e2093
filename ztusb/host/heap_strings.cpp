#include "ztusb/host/heap_strings.h"

#include <cstring>

namespace zt::host {

char* StrNew(const char* text) {
    if (text == nullptr) return nullptr;
    const std::size_t size = std::strlen(text) + 1;
    char* copy = new char[size];
    std::memcpy(copy, text, size);
    return copy;
}

void StrDispose(char* text) { delete[] text; }

}  // namespace zt::host
