// Runs a program on a umockdev testbed and plugs and unplugs devices while it runs, as a hand
// at the machine would, then ends it with Ctrl+C's signal; exits with the program's code. The
// program is held while a device goes in or out: umockdev writes sysfs in place, and a reader
// must meet the device whole, as udev hands it over on a real machine.
// Run under umockdev-wrapper:
//   plugging_run [--present FILE]... [plug FILE | unplug FILE]... -- PROGRAM [ARGS...]
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ztusb/testkit/umockdev_bed.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// Between steps: long enough for the program to hear each one apart.
constexpr auto kStepPause = 500ms;

struct Step {
    bool plug;
    std::string file;
};

// umockdev stands a listener's udev monitor in for a socket in the testbed's folder.
bool SomeoneListens() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(std::getenv("UMOCKDEV_DIR"), error)) {
        if (entry.is_socket(error)) return true;
    }
    return false;
}

// The program listens, then reads the machine once: what comes after is news to it.
bool WaitForListener(pid_t program) {
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!SomeoneListens()) {
        if (waitpid(program, nullptr, WNOHANG) != 0 || std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    std::this_thread::sleep_for(1s);
    return true;
}

int Usage() {
    std::fprintf(stderr, "usage: plugging_run [--present FILE]... [plug FILE | unplug FILE]... -- PROGRAM [ARGS...]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    zt::testkit::UmockdevBed bed;
    std::vector<Step> steps;
    int at = 1;
    for (; at + 1 < argc && std::strcmp(argv[at], "--") != 0; at += 2) {
        const std::string word = argv[at];
        if (word == "--present") {
            bed.Plug(argv[at + 1]);
        } else if (word == "plug" || word == "unplug") {
            steps.push_back({word == "plug", argv[at + 1]});
        } else {
            return Usage();
        }
    }
    if (at + 1 >= argc || std::strcmp(argv[at], "--") != 0) return Usage();
    pid_t program = 0;
    if (posix_spawn(&program, argv[at + 1], nullptr, nullptr, argv + at + 1, environ) != 0) {
        std::perror(argv[at + 1]);
        return 2;
    }
    if (!WaitForListener(program)) {
        std::fprintf(stderr, "plugging_run: %s never listened to udev\n", argv[at + 1]);
        kill(program, SIGKILL);
        waitpid(program, nullptr, 0);
        return 1;
    }
    for (const Step& step : steps) {
        kill(program, SIGSTOP);
        if (step.plug) {
            bed.Plug(step.file);
        } else {
            bed.Unplug(step.file);
        }
        kill(program, SIGCONT);
        std::this_thread::sleep_for(kStepPause);
    }
    kill(program, SIGINT);
    int status = 0;
    waitpid(program, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
