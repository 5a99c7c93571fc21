// nebulastra-render never leaves a partial image under a final name: images go to a temporary
// file renamed into place when complete, an interrupt stops the sequence at a frame boundary with
// status 128 + signal, --skip-existing finishes the sequence, and a write that fails (a full disk,
// simulated with a file-size limit) leaves neither the image nor its temporary file.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <map>
#include <thread>

#include "tools/tool_process.h"

namespace nebulastra::tool_test {
namespace {

// Frames of an evolving cloud, rendered as frames 8 to 13 at half resolution (5 x 4 pixels, named
// by frame number): enough of them to interrupt the sequence part-way.
const char* kSequence = R"({
  "composition": {"width": 10, "height": 8, "frameRate": 24},
  "camera": {},
  "layers": [{"name": "cloud", "type": "light", "position": [5, 4, 0]}],
  "effect": {"cloudSize": 40, "qualitySteps": 16, "evolutionSpeed": 100}
})";
constexpr int kFrames = 6;

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
    auto argsIn = [](const TempDir& d) {
        std::ofstream(d.path / "scene.json") << kSequence;
        return std::vector<std::string>{
            (d.path / "scene.json").string(), "--frames", "8-13", "--resolution", "half", "-o",
            (d.path / "f_##.png").string()};
    };
    ASSERT_EQ(finish(startTool(argsIn(reference), reference.path / "stderr.txt")), 0);
    EXPECT_EQ(readText(reference.path / "stderr.txt"), ""); // no progress output when stderr is no terminal
    ASSERT_EQ(outputs(reference.path).size(), static_cast<std::size_t>(kFrames));
    for (int frame = 8; frame <= 13; ++frame) {
        const PngImage png =
            readPng(reference.path / ((frame < 10 ? "f_0" : "f_") + std::to_string(frame) + ".png"));
        EXPECT_TRUE(png.ok && png.width == 5 && png.height == 4) << frame;
    }

    const std::vector<std::string> args = argsIn(dir);
    const pid_t pid = startTool(args, dir.path / "stderr.txt");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(dir.path / "f_08.png") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    kill(pid, SIGTERM);
    ASSERT_EQ(finish(pid), 128 + SIGTERM) << readText(dir.path / "stderr.txt");

    std::map<std::string, std::pair<ino_t, std::string>> before; // name -> inode, bytes
    for (const fs::path& file : outputs(dir.path)) {
        const std::string name = file.filename().string();
        ASSERT_NE(name[0], '.') << "temporary file left behind: " << name;
        EXPECT_TRUE(readPng(file).ok) << name;
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
    for (const auto& [out, depth] : {std::pair{"f_##.png", "8"}, std::pair{"f_##.exr", "32"}}) {
        SCOPED_TRACE(out);
        const std::string path = (dir.path / out).string();
        EXPECT_EQ(finish(startTool(
                      {(dir.path / "scene.json").string(), "-o", path, "--frames", "0-1", "--depth", depth},
                      dir.path / "stderr.txt", 64)),
                  1);
        const std::string errors = readText(dir.path / "stderr.txt");
        const std::string image = std::string(path).replace(path.find("##"), 2, "00");
        EXPECT_NE(errors.find(image), std::string::npos) << "the error names the image asked for: " << errors;
        EXPECT_EQ(errors.find(".partial"), std::string::npos) << errors;
        EXPECT_TRUE(outputs(dir.path).empty()) << outputs(dir.path).front();
    }
}

} // namespace
} // namespace nebulastra::tool_test

#endif
