#pragma once

// Heap allocations the benchmark program has made so far (operator new is replaced).
long AllocationCount();
