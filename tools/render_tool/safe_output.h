// Nothing lost on disk: each image is written to a temporary file beside its final name and
// renamed into place only once complete, so a final name always holds a whole image; and an
// interrupt (Ctrl-C, SIGTERM) is noted rather than obeyed at once: the host passes it to the effect
// through its abort callback, and the render loop stops before it writes anything of a frame the
// effect was stopped in, or at the next frame boundary.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace nebulastra::render_tool {

// SIGINT and SIGTERM set the interrupt flag. A second one while an image is being written
// removes that image's temporary file and ends the program at once with the same status. Every
// other signal that would end the program (SIGHUP, SIGQUIT, SIGUSR1, SIGALRM, a fault, ...) first
// removes the temporary file, then ends it as it would have; one that was ignored when the program
// started (nohup) stays ignored. SIGXFSZ and SIGPIPE are ignored: a write past the file-size limit
// or into a closed pipe fails with its reason instead.
void installInterruptHandlers();

// The signal that interrupted the run, or 0.
int interruptSignal();

// The exit status of a run ended by `signal`: 128 + the signal number, as shells report it
// (130 for Ctrl-C, 143 for SIGTERM).
int interruptExitStatus(int signal);

// The temporary file an image for `finalPath` is written to first: a hidden name in the same
// folder (so the rename cannot cross file systems) that no frame pattern matches.
std::string temporaryPathFor(const std::string& finalPath);

// Checks, before anything is rendered, that an image can be written as `finalPath`: the name is
// not a folder's, and a file can be created in its folder (a temporary file is created and
// removed again). Throws std::runtime_error with the system's reason ("No such file or
// directory", "Permission denied", ...) otherwise.
void checkImageCanBeWritten(const std::string& finalPath);

// Writes an image with `write(path)` to its temporary file, then renames it to `finalPath`. When
// writing or renaming fails, the temporary file is removed and the error (std::runtime_error,
// naming the final path) is thrown; `finalPath` is never left holding a partial image.
template <typename Write>
void writeAtomically(const std::string& finalPath, Write write);

// ---- implementation ---------------------------------------------------------------------------

void beginTemporaryFile(const std::string& temporaryPath); // the file a second signal removes
void commitTemporaryFile(const std::string& temporaryPath, const std::string& finalPath);
void discardTemporaryFile(const std::string& temporaryPath);
// A writer's message with the temporary name replaced by the final one the user asked for.
std::string namingFinalPath(std::string message, const std::string& temporaryPath,
                            const std::string& finalPath);

template <typename Write>
void writeAtomically(const std::string& finalPath, Write write) {
    const std::string temporary = temporaryPathFor(finalPath);
    beginTemporaryFile(temporary);
    try {
        write(temporary);
    } catch (const std::exception& e) {
        discardTemporaryFile(temporary);
        throw std::runtime_error(namingFinalPath(e.what(), temporary, finalPath));
    }
    commitTemporaryFile(temporary, finalPath);
}

} // namespace nebulastra::render_tool
