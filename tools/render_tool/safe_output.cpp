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
#include <filesystem>
#include <stdexcept>

namespace nebulastra::render_tool {
namespace {

volatile sig_atomic_t gSignal = 0;
// The temporary file being written, for the handler: a fixed buffer, valid while gTemporaryValid.
char gTemporary[4096];
volatile sig_atomic_t gTemporaryValid = 0;

void removeTemporaryFile() {
#ifdef _WIN32
    if (gTemporaryValid) _unlink(gTemporary);
#else
    if (gTemporaryValid) unlink(gTemporary);
#endif
}

extern "C" void onInterrupt(int signal) {
#ifdef _WIN32
    std::signal(signal, onInterrupt); // the C runtime resets a handler to the default on each call
#endif
    if (gSignal == 0) {
        gSignal = signal;
        return;
    }
    // Asked twice: stop now, leaving no partial file behind (only async-signal-safe calls here).
    removeTemporaryFile();
    _exit(128 + signal);
}

#ifdef _WIN32
// A fault: the image being written goes, then the fault takes its default course.
extern "C" void onFatalSignal(int signal) {
    removeTemporaryFile();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
#else
// Signals that end the program unless caught: a hang-up, a timer, a fault. Sent by kill() they
// are raised again; a fault (the processor's, with a positive si_code) is left to recur when the
// handler returns, in the hands of whoever handled it before (a sanitizer's report, say).
constexpr int kFatalSignals[] = {SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU,
                                 SIGABRT, SIGBUS,  SIGFPE,  SIGILL,  SIGSEGV, SIGSYS,    SIGTRAP};
struct sigaction gPrevious[NSIG];

extern "C" void onFatalSignal(int signal, siginfo_t* info, void*) {
    removeTemporaryFile();
    sigaction(signal, &gPrevious[signal], nullptr);
    const bool fault = signal == SIGBUS || signal == SIGFPE || signal == SIGILL || signal == SIGSEGV;
    if (fault && info != nullptr && info->si_code > 0) return;
    raise(signal);
}
#endif

#ifdef _WIN32
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif

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
    for (int fatal : {SIGABRT, SIGFPE, SIGILL, SIGSEGV}) std::signal(fatal, onFatalSignal);
#else
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onInterrupt;
    // Each interrupt handler runs with both interrupts held back: a SIGTERM landing inside the
    // SIGINT handler would otherwise also find no earlier signal, and the second request, which must
    // end a run stuck in a write, would be lost.
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    action.sa_flags = SA_RESTART; // file writes carry on; the loop checks the flag
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    for (int fatal : kFatalSignals) {
        sigaction(fatal, nullptr, &gPrevious[fatal]);
        if (gPrevious[fatal].sa_handler == SIG_IGN) continue; // as nohup left it: ignored
        struct sigaction cleanup;
        std::memset(&cleanup, 0, sizeof cleanup);
        cleanup.sa_sigaction = onFatalSignal;
        sigemptyset(&cleanup.sa_mask);
        cleanup.sa_flags = SA_SIGINFO;
        sigaction(fatal, &cleanup, nullptr);
    }
    // A file over the size limit and a closed pipe: the write fails and says why instead.
    action.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &action, nullptr);
    sigaction(SIGPIPE, &action, nullptr);
#endif
}

int interruptSignal() { return gSignal; }

int interruptExitStatus(int signal) { return 128 + signal; }

std::string temporaryPathFor(const std::string& finalPath) {
    const std::size_t slash = finalPath.find_last_of(kSeparators);
    const std::string folder = slash == std::string::npos ? std::string() : finalPath.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? finalPath : finalPath.substr(slash + 1);
    return folder + "." + name + ".partial-" + std::to_string(processId());
}

void checkImageCanBeWritten(const std::string& finalPath) {
    std::error_code error;
    if (std::filesystem::is_directory(std::filesystem::path(finalPath), error)) {
        throw std::runtime_error(finalPath + ": is a folder; name the image file, e.g. " + finalPath +
                                 "/frame.png");
    }
    const std::string probe = temporaryPathFor(finalPath) + "-check"; // not the image's own name
    beginTemporaryFile(probe);
    std::FILE* file = std::fopen(probe.c_str(), "wb");
    if (file == nullptr) {
        const int reason = errno;
        gTemporaryValid = 0;
        const std::size_t slash = probe.find_last_of(kSeparators);
        const std::string folder = slash == std::string::npos ? "." : probe.substr(0, slash == 0 ? 1 : slash);
        throw std::runtime_error(finalPath + ": cannot create files in " + folder + ": " +
                                 std::strerror(reason));
    }
    std::fclose(file);
    discardTemporaryFile(probe);
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
