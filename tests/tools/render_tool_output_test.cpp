// nebulastra-render never leaves a partial image under a final name: images go to a temporary
// file renamed into place when complete, an interrupt stops the sequence at a frame boundary with
// status 128 + signal, --skip-existing finishes the sequence, and a write that fails (a full disk,
// simulated with a file-size limit) leaves neither the image nor its temporary file.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <png.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace nebulastra {
namespace {

namespace fs = std::filesystem;

// Six small frames of an evolving cloud: long enough to interrupt part-way.
const char* kSequence = R"({
  "composition": {"width": 10, "height": 8, "frameRate": 24},
  "camera": {},
  "layers": [{"name": "cloud", "type": "light", "position": [5, 4, 0]}],
  "effect": {"cloudSize": 40, "qualitySteps": 16, "evolutionSpeed": 100},
  "render": {"frames": "0-5"}
})";
constexpr int kFrames = 6;

struct TempDir {
    fs::path path;
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "nebulastra-output-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(path); }
};

// Starts the tool; stderr goes to `errors`. A file-size limit makes writes past it fail as on
// a full disk (SIGXFSZ ignored, so the write returns an error instead of killing the program).
pid_t startTool(const std::vector<std::string>& args, const fs::path& errors,
                rlim_t fileSizeLimit = RLIM_INFINITY) {
    const std::string tool =
        (fs::read_symlink("/proc/self/exe").parent_path() / "nebulastra-render").string();
    std::vector<std::string> all = {tool};
    all.insert(all.end(), args.begin(), args.end());
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen(errors.c_str(), "w", stderr);
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Exit status, or 1000 + signal when the program was killed.
int finish(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

std::string readText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Whether libpng reads the whole image without complaint.
bool completePng(const fs::path& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_byte> bytes;
    std::vector<png_bytep> rows;
    bool ok = false;
    if (!setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_read_info(png, info);
        bytes.resize(png_get_rowbytes(png, info) * png_get_image_height(png, info));
        for (png_uint_32 y = 0; y < png_get_image_height(png, info); ++y)
            rows.push_back(bytes.data() + png_get_rowbytes(png, info) * y);
        png_read_image(png, rows.data());
        png_read_end(png, nullptr);
        ok = true;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return ok;
}

// Every file in the folder but the scene and the captured stderr.
std::vector<fs::path> outputs(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name != "scene.json" && name != "stderr.txt") files.push_back(entry.path());
    }
    return files;
}

TEST(RenderToolOutput, InterruptedSequenceKeepsWholeFramesAndSkipExistingFinishesIt) {
    TempDir reference, dir;
    for (const TempDir* d : {&reference, &dir}) std::ofstream(d->path / "scene.json") << kSequence;
    ASSERT_EQ(finish(startTool(
                  {(reference.path / "scene.json").string(), "-o", (reference.path / "f_##.png").string()},
                  reference.path / "stderr.txt")),
              0);

    const std::vector<std::string> args = {(dir.path / "scene.json").string(), "-o",
                                           (dir.path / "f_##.png").string()};
    const pid_t pid = startTool(args, dir.path / "stderr.txt");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(dir.path / "f_00.png") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    kill(pid, SIGTERM);
    ASSERT_EQ(finish(pid), 128 + SIGTERM) << readText(dir.path / "stderr.txt");

    std::map<std::string, std::pair<ino_t, std::string>> before; // name -> inode, bytes
    for (const fs::path& file : outputs(dir.path)) {
        const std::string name = file.filename().string();
        ASSERT_NE(name[0], '.') << "temporary file left behind: " << name;
        EXPECT_TRUE(completePng(file)) << name;
        struct stat info;
        stat(file.c_str(), &info);
        before[name] = {info.st_ino, readText(file)};
    }
    ASSERT_GE(before.size(), 1u);
    ASSERT_LT(before.size(), static_cast<std::size_t>(kFrames)) << "the interrupt came after the last frame";

    std::vector<std::string> resume = args;
    resume.push_back("--skip-existing");
    ASSERT_EQ(finish(startTool(resume, dir.path / "stderr.txt")), 0) << readText(dir.path / "stderr.txt");
    ASSERT_EQ(outputs(dir.path).size(), static_cast<std::size_t>(kFrames));
    for (const fs::path& file : outputs(dir.path)) {
        const std::string name = file.filename().string();
        // The resumed sequence is the one an uninterrupted run writes, byte for byte.
        EXPECT_EQ(readText(file), readText(reference.path / name)) << name;
        if (before.count(name) != 0) {
            struct stat info;
            stat(file.c_str(), &info);
            EXPECT_EQ(info.st_ino, before[name].first) << name << " was written again";
        }
    }
}

TEST(RenderToolOutput, FailedWriteLeavesNoImageAndNoTemporaryFile) {
    TempDir dir;
    std::ofstream(dir.path / "scene.json") << kSequence;
    // The first image is larger than the limit, as on a disk that fills up during the write.
    for (const char* out : {"f_##.png", "f_##.exr"}) {
        SCOPED_TRACE(out);
        std::vector<std::string> args = {(dir.path / "scene.json").string(), "-o", (dir.path / out).string(),
                                         "--frames", "0-1"};
        if (std::string(out).find(".exr") != std::string::npos) args.insert(args.end(), {"--depth", "32"});
        EXPECT_EQ(finish(startTool(args, dir.path / "stderr.txt", 64)), 1);
        const std::string errors = readText(dir.path / "stderr.txt");
        EXPECT_NE(
            errors.find(
                (dir.path / (std::string(out).substr(0, 2) + "00" + std::string(out).substr(4))).string()),
            std::string::npos)
            << "the error names the image the user asked for: " << errors;
        EXPECT_EQ(errors.find(".partial"), std::string::npos) << errors;
        EXPECT_TRUE(outputs(dir.path).empty()) << outputs(dir.path).front();
    }
}

} // namespace
} // namespace nebulastra

#endif
