#pragma once
// The test double of the D2XX library: its control entry points, beside the D2XX ones.
// Every D2XX call is logged as one line, "FT_Name(arg,arg,...)", integers in decimal and
// pointers as P followed by their address in hex; texts handed in follow as ="text".
// Like the library, it refuses a null device handle with FT_INVALID_HANDLE.

#include <cstdint>

#ifdef _WIN32
#define ZT_DOUBLE_EXPORT extern "C" __declspec(dllexport)
#else
#define ZT_DOUBLE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using ZtDouble_Reset_t = void (*)();
// What the entry point returns from now on.
using ZtDouble_SetStatus_t = void (*)(const char* entry, std::uint32_t status);
// Bytes the entry point writes through its pointer argument `argument` (from 0) on each call.
using ZtDouble_SetOutput_t = void (*)(const char* entry, int argument, const void* bytes,
                                      std::uint32_t size);
// Whether calls are logged (on after a reset); off, a call allocates nothing.
using ZtDouble_SetLogging_t = void (*)(int on);
// The log of calls since the last reset.
using ZtDouble_Calls_t = const char* (*)();
