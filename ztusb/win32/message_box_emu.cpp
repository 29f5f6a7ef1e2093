// Emulated message box: there is no one to click, so the text goes to standard error.
#include "ztusb/win32/api.h"
#include "ztusb/win32/windows_names.h"

#include <cstdio>
#include <string>

namespace zt::win32 {
namespace {

std::string Utf8(LPCWSTR text) {
    if (text == nullptr) return {};
    std::string out(static_cast<std::size_t>(
                        WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr)),
                    '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), static_cast<int>(out.size()), nullptr,
                        nullptr);
    if (!out.empty()) out.pop_back();  // the NUL
    return out;
}

}  // namespace

int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    std::fprintf(stderr, "%s: %s\n", Utf8(caption).c_str(), Utf8(text).c_str());
    return IDOK;
}

}  // namespace zt::win32
