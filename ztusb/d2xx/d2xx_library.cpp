#include "ztusb/d2xx/d2xx_library.h"

#include <cstdlib>
#include <iterator>

#include "ztusb/d2xx/D2XXUnit_ZT.h"
#include "ztusb/host/dialogs.h"
#include "ztusb/host/log_line.h"

namespace D2XXUnit_ZT::detail {
namespace {

struct Library {
    std::string path;
    zt::win32::HMODULE module = nullptr;
};

// Loaded once, on the first call that needs it; never unloaded while the unit may call it.
const Library& TheLibrary() {
    static const Library library = [] {
        Library loaded;
        const char* chosen = std::getenv("ZT_D2XX_LIBRARY");
        loaded.path = chosen != nullptr && *chosen != '\0' ? chosen : ZT_D2XX_DEFAULT_LIBRARY;
        loaded.module = zt::win32::LoadLibraryA(loaded.path.c_str());
        return loaded;
    }();
    return library;
}

constexpr const char* kMessages[] = {
    " - Invalid handle...",
    " - Device not found...",
    " - Device not opened...",
    " - General IO error...",
    " - Insufficient resources...",
    " - Invalid parameter...",
    " - Invalid baud rate...",
    " Device not opened for erase...",
    " Device not opened for write...",
    " - Failed to write...",
    " - EEPROM read failed...",
    " - EEPROM write failed...",
    " - EEPROM erase failed...",
    " - EEPROM not present...",
    " - EEPROM not programmed...",
    " - Invalid arguments...",
    " - Other error ...",
    " - Other error ...",
    " - Device list not ready...",
};

// Every failing status names what it is; one the unit has no words for gives its number.
std::string MessageFor(d2xx::FT_STATUS status) {
    if (status <= std::size(kMessages)) return kMessages[status - 1];
    return " - Unknown status " + std::to_string(status) + "...";
}

}  // namespace

AnyFunction ResolveEntry(const char* name, std::string& problem) {
    const Library& library = TheLibrary();
    if (library.module == nullptr) {
        problem = " (the D2XX library " + library.path + " could not be loaded)";
        return nullptr;
    }
    const auto function =
        reinterpret_cast<AnyFunction>(zt::win32::GetProcAddress(library.module, name));
    if (function == nullptr) problem = " (" + library.path + " has no " + name + ")";
    return function;
}

void LogFailedCall(const char* name, d2xx::FT_STATUS status, const std::string& problem) {
    ZT_LOG(Warning, "d2xx") << name << " failed with status " << status << std::string_view(MessageFor(status))
                            << std::string_view(problem);
}

void Report(const char* label, d2xx::FT_STATUS status, const std::string& note) {
    if (!FT_Enable_Error_Report || status == d2xx::FT_OK) return;
    const std::string text = label + MessageFor(status) + note;
    zt::host::MessageDlg(zt::host::FromAnsi(text), zt::host::TMsgDlgType::mtError, zt::host::mbOK, 0);
}

}  // namespace D2XXUnit_ZT::detail

namespace D2XXUnit_ZT {

void Report_USB_Device_Error(const char* label, FT_STATUS status) {
    detail::Report(label, status, {});
}

}  // namespace D2XXUnit_ZT
