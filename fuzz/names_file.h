#pragma once
// Where a fuzz target keeps the names' state file: a folder of this process's own, on a
// file system in memory where there is one (on disk the file took a tenth of each run).

#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

namespace zt::fuzz {

inline std::filesystem::path NamesFile(const std::string& target) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path memory = "/dev/shm";
    const fs::path base = fs::is_directory(memory, error) ? memory : fs::temp_directory_path();
    return base / ("zt_fuzz_" + target + "." + std::to_string(::getpid())) / "device-names";
}

// No names from before, as in a run of the input's file alone, and none left after.
inline void ForgetNames(const std::filesystem::path& namesFile) {
    std::error_code error;
    std::filesystem::remove_all(namesFile.parent_path(), error);
}

}  // namespace zt::fuzz
