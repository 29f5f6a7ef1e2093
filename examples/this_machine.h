#pragma once
// What the component needs on this platform to read this machine's devices. Called on
// the component's thread; what it returns lives as long as the component.

#include <memory>

std::shared_ptr<void> UseThisMachine();
