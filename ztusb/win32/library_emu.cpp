// Emulated run-time loading: the dynamic loader's shared objects.
#include <dlfcn.h>

#include "ztusb/win32/api.h"
#include "ztusb/win32/windows_names.h"

namespace zt::win32 {

// As on Windows, no name loads nothing (dlopen would hand back the program itself).
HMODULE LoadLibraryA(LPCSTR fileName) {
    if (fileName == nullptr) return nullptr;
    return static_cast<HMODULE>(dlopen(fileName, RTLD_NOW | RTLD_LOCAL));
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    // dlsym hands back an object pointer; Windows' callers cast it to a function anyway.
    return reinterpret_cast<FARPROC>(dlsym(module, name));
}

BOOL FreeLibrary(HMODULE module) { return dlclose(module) == 0 ? TRUE : FALSE; }

}  // namespace zt::win32
