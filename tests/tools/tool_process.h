#pragma once
// nebulastra-render as its tests see it: a separate process started with arguments in a scratch
// folder (optionally under a file-size limit, as on a disk that fills up), its exit status and
// stderr, and libpng's own reader for the images it writes. Native only.
#ifndef _WIN32

#include <png.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace nebulastra::tool_test {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path;
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "nebulastra-render-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(path); }
};

inline fs::path toolPath() { return fs::read_symlink("/proc/self/exe").parent_path() / "nebulastra-render"; }

inline std::string readText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// In a child process: becomes the tool with these arguments.
[[noreturn]] inline void execTool(const std::vector<std::string>& args) {
    std::vector<std::string> all = {toolPath().string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

// Starts the tool; stderr goes to `errors`. Writes past the file-size limit fail as on a full
// disk (SIGXFSZ ignored, so the write returns an error instead of killing the program). When
// `beforeStart` is given, the child waits until it has run with the child's process id (so files
// named after that id can be prepared).
inline pid_t startTool(const std::vector<std::string>& args, const fs::path& errors,
                       rlim_t fileSizeLimit = RLIM_INFINITY,
                       const std::function<void(pid_t)>& beforeStart = nullptr) {
    int gate[2];
    if (pipe(gate) != 0) return -1;
    const pid_t pid = fork();
    if (pid > 0) {
        close(gate[0]);
        if (beforeStart) beforeStart(pid);
        close(gate[1]); // the child's read returns
    }
    if (pid == 0) {
        close(gate[1]);
        char ignored;
        while (read(gate[0], &ignored, 1) < 0 && errno == EINTR) {}
        close(gate[0]);
        std::freopen(errors.c_str(), "w", stderr);
        signal(SIGXFSZ, SIG_IGN);
        // The signals the tests send take their default action, even where the test program was
        // started with them ignored (under nohup, or as a background job).
        for (int s : {SIGHUP, SIGINT, SIGTERM, SIGUSR1, SIGALRM}) signal(s, SIG_DFL);
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        execTool(args);
    }
    return pid;
}

// Exit status, or 1000 + signal when the program was killed.
inline int finish(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

// Runs the tool with space-separated arguments to the end; its stderr goes to `errors`.
inline int runTool(const TempDir& dir, const std::string& args, std::string* errors = nullptr) {
    std::istringstream words(args);
    std::vector<std::string> argv;
    for (std::string word; words >> word;) argv.push_back(word);
    const int status = finish(startTool(argv, dir.path / "stderr.txt"));
    if (errors != nullptr) *errors = readText(dir.path / "stderr.txt");
    return status;
}

struct PngImage {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0;
    std::vector<png_byte> bytes; // rows top to bottom, samples as stored (16-bit big-endian)
    bool ok = false;             // libpng read the whole image without complaint
};

inline PngImage readPng(const fs::path& path) {
    PngImage image;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return image;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    if (!setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_read_info(png, info);
        png_get_IHDR(png, info, &image.width, &image.height, &image.bitDepth, &image.colorType, nullptr,
                     nullptr, nullptr);
        const std::size_t rowBytes = png_get_rowbytes(png, info);
        image.bytes.resize(rowBytes * image.height);
        for (png_uint_32 y = 0; y < image.height; ++y) rows.push_back(image.bytes.data() + rowBytes * y);
        png_read_image(png, rows.data());
        png_read_end(png, nullptr);
        image.ok = true;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return image;
}

} // namespace nebulastra::tool_test

#endif // _WIN32
