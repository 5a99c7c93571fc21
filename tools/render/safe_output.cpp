#include "safe_output.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace nebulastra::render {
namespace {

volatile sig_atomic_t gSignal = 0;
// The temporary file being written, for the handler: a fixed buffer, valid while gTemporaryValid.
char gTemporary[4096];
volatile sig_atomic_t gTemporaryValid = 0;

extern "C" void onInterrupt(int signal) {
  if (gSignal == 0) {
    gSignal = signal;
    return;
  }
  // Asked twice: stop now, leaving no partial file behind (only async-signal-safe calls here).
  if (gTemporaryValid) unlink(gTemporary);
  _exit(128 + signal);
}

}  // namespace

void installInterruptHandlers() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // file writes carry on; the loop checks the flag
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int interruptSignal() { return gSignal; }

int interruptExitStatus(int signal) { return 128 + signal; }

std::string temporaryPathFor(const std::string& finalPath) {
  const std::size_t slash = finalPath.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : finalPath.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? finalPath : finalPath.substr(slash + 1);
  return folder + "." + name + ".partial-" + std::to_string(getpid());
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

std::string namingFinalPath(std::string message, const std::string& temporaryPath, const std::string& finalPath) {
  for (std::size_t at = message.find(temporaryPath); at != std::string::npos;
       at = message.find(temporaryPath, at + finalPath.size())) {
    message.replace(at, temporaryPath.size(), finalPath);
  }
  return message;
}

void commitTemporaryFile(const std::string& temporaryPath, const std::string& finalPath) {
  if (std::rename(temporaryPath.c_str(), finalPath.c_str()) != 0) {
    const int error = errno;
    discardTemporaryFile(temporaryPath);
    throw std::runtime_error(finalPath + ": cannot move the finished image into place: " + std::strerror(error));
  }
  gTemporaryValid = 0;
}

}  // namespace nebulastra::render
