// SIGINT and SIGTERM: the handler writes to a pipe, which a message source of the loop's
// thread watches; the source posts the quit request on that thread.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <system_error>

#include "tools/ztusbmon/interrupt.h"
#include "ztusb/win32/api.h"
#include "ztusb/win32/message_sources_emu.h"

namespace ztusbmon {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};

int interruptPipe[2] = {-1, -1};
std::uint64_t source = 0;
struct sigaction previous[std::size(kSignals)];

extern "C" void OnInterrupt(int) {
    const char byte = 1;
    // Full means an interrupt is already waiting.
    if (write(interruptPipe[1], &byte, 1) < 0) return;
}

}  // namespace

QuitOnInterrupt::QuitOnInterrupt() {
    if (pipe2(interruptPipe, O_NONBLOCK | O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "the interrupt's pipe");
    }
    source = zt::win32::emulated::AddMessageSource({{interruptPipe[0], POLLIN, -1}}, [](const std::vector<short>&) {
        char bytes[16];
        while (read(interruptPipe[0], bytes, sizeof bytes) > 0) {}
        zt::win32::PostQuitMessage(0);
    });
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &previous[i]);
}

QuitOnInterrupt::~QuitOnInterrupt() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &previous[i], nullptr);
    zt::win32::emulated::RemoveMessageSource(source);
    close(interruptPipe[0]);
    close(interruptPipe[1]);
}

}  // namespace ztusbmon
