// Neither Windows nor udev: there is no machine to read, only --simulate.
#include <cstdio>

#include "examples/this_machine.h"

std::shared_ptr<void> UseThisMachine() {
    std::fprintf(stderr, "no system to read here: try --simulate\n");
    return nullptr;
}
