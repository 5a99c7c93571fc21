#include "safe_output.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <stdlib.h>
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace nebulastra::render_tool {
namespace {

volatile sig_atomic_t gSignal = 0;
// The temporary file being written, for the handler: a fixed buffer, valid while gTemporaryValid.
char gTemporary[4096];
volatile sig_atomic_t gTemporaryValid = 0;

extern "C" void onInterrupt(int signal) {
#ifdef _WIN32
    std::signal(signal, onInterrupt); // the C runtime resets a handler to the default on each call
#endif
    if (gSignal == 0) {
        gSignal = signal;
        return;
    }
    // Asked twice: stop now, leaving no partial file behind (only async-signal-safe calls here).
#ifdef _WIN32
    if (gTemporaryValid) _unlink(gTemporary);
#else
    if (gTemporaryValid) unlink(gTemporary);
#endif
    _exit(128 + signal);
}

int processId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

} // namespace

void installInterruptHandlers() {
#ifdef _WIN32
    // The C runtime turns Ctrl-C in the console into SIGINT; SIGTERM comes from raise() only.
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
#else
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // file writes carry on; the loop checks the flag
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

int interruptSignal() { return gSignal; }

int interruptExitStatus(int signal) { return 128 + signal; }

std::string temporaryPathFor(const std::string& finalPath) {
#ifdef _WIN32
    const std::size_t slash = finalPath.find_last_of("/\\");
#else
    const std::size_t slash = finalPath.find_last_of('/');
#endif
    const std::string folder = slash == std::string::npos ? std::string() : finalPath.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? finalPath : finalPath.substr(slash + 1);
    return folder + "." + name + ".partial-" + std::to_string(processId());
}

void beginTemporaryFile(const std::string& temporaryPath) {
    gTemporaryValid = 0;
    if (temporaryPath.size() < sizeof gTemporary) {
        std::memcpy(gTemporary, temporaryPath.c_str(), temporaryPath.size() + 1);
        gTemporaryValid = 1;
    }
}

void discardTemporaryFile(const std::string& temporaryPath) {
    gTemporaryValid = 0;
    std::remove(temporaryPath.c_str());
}

std::string namingFinalPath(std::string message, const std::string& temporaryPath,
                            const std::string& finalPath) {
    for (std::size_t at = message.find(temporaryPath); at != std::string::npos;
         at = message.find(temporaryPath, at + finalPath.size())) {
        message.replace(at, temporaryPath.size(), finalPath);
    }
    return message;
}

void commitTemporaryFile(const std::string& temporaryPath, const std::string& finalPath) {
#ifdef _WIN32
    // The C runtime's rename refuses an existing target; re-rendering a frame must replace it.
    if (!MoveFileExA(temporaryPath.c_str(), finalPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const unsigned long error = GetLastError();
        discardTemporaryFile(temporaryPath);
        throw std::runtime_error(finalPath + ": cannot move the finished image into place: Windows error " +
                                 std::to_string(error));
    }
#else
    if (std::rename(temporaryPath.c_str(), finalPath.c_str()) != 0) {
        const int error = errno;
        discardTemporaryFile(temporaryPath);
        throw std::runtime_error(finalPath +
                                 ": cannot move the finished image into place: " + std::strerror(error));
    }
#endif
    gTemporaryValid = 0;
}

} // namespace nebulastra::render_tool
