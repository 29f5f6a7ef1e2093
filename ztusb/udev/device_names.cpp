#include "ztusb/udev/device_names.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>
#include <system_error>

#include "ztusb/host/log_line.h"

namespace zt::udev {
namespace {

constexpr char kFirstLetter = 'D';  // A and B for floppies, C for the system

// Keys come from devices; one with a line or field break would break the file.
bool Storable(const std::string& key) {
    return !key.empty() && std::none_of(key.begin(), key.end(), [](char c) { return c == '\n' || c == '\t' || c == '\r'; });
}

bool ValidLetter(char letter) { return letter >= kFirstLetter && letter <= 'Z'; }

}  // namespace

DeviceNames::DeviceNames(std::filesystem::path stateFile) : stateFile_(std::move(stateFile)) {
    if (stateFile_.empty()) {
        ZT_LOG(Info, "device") << "COM numbers and drive letters are kept for this run only: ZT_USB_STATE is off";
        return;
    }
    ZT_LOG(Info, "device") << "COM numbers and drive letters are kept in " << stateFile_.string();
    std::ifstream in(stateFile_);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind, name, key;
        if (!std::getline(fields, kind, '\t') || !std::getline(fields, name, '\t') ||
            !std::getline(fields, key) || key.empty()) {
            continue;
        }
        if (kind == "com") {
            const unsigned long number = std::strtoul(name.c_str(), nullptr, 10);
            if (number >= 1 && number <= 4096) comNumbers_[key] = static_cast<unsigned>(number);
        } else if (kind == "letter" && name.size() == 1 && ValidLetter(name[0])) {
            letters_[key] = name[0];
        }
    }
}

String DeviceNames::ComPort(const std::string& deviceKey) {
    auto found = comNumbers_.find(deviceKey);
    if (found == comNumbers_.end()) {
        std::set<unsigned> held;
        for (const auto& [key, number] : comNumbers_) held.insert(number);
        unsigned lowest = 1;
        while (held.count(lowest) != 0) ++lowest;
        found = comNumbers_.emplace(deviceKey, lowest).first;
        Save();
    }
    return u"COM" + host::FromAnsi(std::to_string(found->second));
}

std::vector<String> DeviceNames::DriveLetters(const std::vector<std::string>& volumeKeys, const std::set<char>& held) {
    std::vector<char> given(volumeKeys.size(), 0);
    std::set<char> taken = held;
    for (std::size_t i = 0; i < volumeKeys.size(); ++i) {
        const auto known = letters_.find(volumeKeys[i]);
        if (known != letters_.end() && taken.insert(known->second).second) given[i] = known->second;
    }
    bool changed = false;
    char next = kFirstLetter;
    for (std::size_t i = 0; i < volumeKeys.size(); ++i) {
        if (given[i] != 0) continue;
        while (next <= 'Z' && taken.count(next) != 0) ++next;
        if (next > 'Z') break;
        given[i] = next;
        taken.insert(next);
        letters_[volumeKeys[i]] = next;
        changed = true;
    }
    if (changed) Save();
    std::vector<String> letters;
    for (const char letter : given) {
        letters.push_back(letter == 0 ? String() : String{static_cast<char16_t>(letter), u':'});
    }
    return letters;
}

// Written aside and renamed, so that a crash never leaves half a file.
void DeviceNames::Save() const {
    if (stateFile_.empty()) return;
    std::error_code error;
    std::filesystem::create_directories(stateFile_.parent_path(), error);
    std::filesystem::path partial = stateFile_;
    partial += ".new";
    {
        std::ofstream out(partial, std::ios::trunc);
        for (const auto& [key, number] : comNumbers_) {
            if (Storable(key)) out << "com\t" << number << '\t' << key << '\n';
        }
        for (const auto& [key, letter] : letters_) {
            if (Storable(key)) out << "letter\t" << letter << '\t' << key << '\n';
        }
        if (!out) return;  // the names still hold for this run
    }
    std::filesystem::rename(partial, stateFile_, error);
}

std::filesystem::path DefaultDeviceNamesFile() {
    if (const char* chosen = std::getenv("ZT_USB_STATE"); chosen != nullptr && *chosen != '\0') {
        return std::string_view(chosen) == "off" ? std::filesystem::path() : std::filesystem::path(chosen);
    }
    const char* state = std::getenv("XDG_STATE_HOME");
    std::filesystem::path base;
    if (state != nullptr && *state == '/') {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        base = std::filesystem::path(home) / ".local" / "state";
    } else {
        base = std::filesystem::temp_directory_path();
    }
    return base / "ztusbdetector" / "device-names";
}

}  // namespace zt::udev
