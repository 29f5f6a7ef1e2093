// Dies of an access violation at once: how a crash under Wine is reported. Not through a
// null pointer, which the compiler may take as unreachable and drop.
#include <cstdint>

int main() {
    volatile int* volatile unmapped = reinterpret_cast<volatile int*>(std::uintptr_t{0x10});
    *unmapped = 1;
}
