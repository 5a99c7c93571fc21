// nebulastra-render never leaves a partial image under a final name: images go to a temporary
// file renamed into place when complete, an interrupt stops the sequence (between frames, or within
// one when the effect polls for it) with status 128 + signal, --skip-existing finishes the
// sequence, and a write that fails (a full disk, simulated with a file-size limit) leaves neither
// the image nor its temporary file. The tool's memory does not grow with the length of a sequence.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

#include "tools/tool_process.h"

namespace nebulastra::tool_test {
namespace {

// A small scene whose frames 8 to 13 make a sequence to interrupt part-way.
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

// The stand-in effect through PF_Cmd_RENDER paints each frame differently; with
// NEBULASTRA_TEST_HOLD_AT_CALL=3 the third frame (10) renders until the host says stop, so the
// interrupt, sent once frame 09 is on disk, always finds a frame in flight however busy the
// machine: 08 and 09 are kept, nothing of 10 is written, and the resumed run writes 10 to 13.
TEST(RenderToolOutput, InterruptedSequenceKeepsWholeFramesAndSkipExistingFinishesIt) {
    TempDir reference, dir;
    const std::string effect = (toolPath().parent_path() / "interrupting_effect.so").string();
    auto argsIn = [&](const TempDir& d) {
        std::ofstream(d.path / "scene.json") << kSequence;
        return std::vector<std::string>{(d.path / "scene.json").string(),
                                        "--frames",
                                        "8-13",
                                        "--command",
                                        "render",
                                        "--effect",
                                        effect,
                                        "-o",
                                        (d.path / "f_##.png").string()};
    };
    ASSERT_EQ(finish(startTool(argsIn(reference), reference.path / "stderr.txt")), 0);
    EXPECT_EQ(readText(reference.path / "stderr.txt"), ""); // no progress output when stderr is no terminal
    ASSERT_EQ(outputs(reference.path).size(), static_cast<std::size_t>(kFrames));
    for (int frame = 8; frame <= 13; ++frame) {
        const PngImage png =
            readPng(reference.path / ((frame < 10 ? "f_0" : "f_") + std::to_string(frame) + ".png"));
        ASSERT_TRUE(png.ok && png.width == 10 && png.height == 8) << frame;
        EXPECT_EQ(png.bytes[0], frame) << "each frame is its own picture"; // red of the first pixel
    }

    const std::vector<std::string> args = argsIn(dir);
    setenv("NEBULASTRA_TEST_HOLD_AT_CALL", "3", 1);
    const pid_t pid = startTool(args, dir.path / "stderr.txt");
    unsetenv("NEBULASTRA_TEST_HOLD_AT_CALL");
    // The event: frame 09 is in place (renamed there whole), so frame 10 is held. The deadline
    // only keeps a broken tool from hanging the test.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!fs::exists(dir.path / "f_09.png") && std::chrono::steady_clock::now() < deadline)
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
    ASSERT_EQ(before.size(), 2u);
    EXPECT_EQ(before.count("f_08.png") + before.count("f_09.png"), 2u);

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

// The effect stops within the first frame when the host's abort callback says so (here it raises
// the SIGTERM itself, after row 2): nothing of that frame is written.
TEST(RenderToolOutput, FrameStoppedMidWayLeavesNoImage) {
    TempDir dir;
    std::ofstream(dir.path / "scene.json") << kSequence;
    setenv("NEBULASTRA_TEST_RAISE_AT_ROW", "2", 1);
    const pid_t pid = startTool({(dir.path / "scene.json").string(), "--frames", "0-3", "--effect",
                                 (toolPath().parent_path() / "interrupting_effect.so").string(), "-o",
                                 (dir.path / "f_#.png").string()},
                                dir.path / "stderr.txt");
    unsetenv("NEBULASTRA_TEST_RAISE_AT_ROW");
    EXPECT_EQ(finish(pid), 128 + SIGTERM);
    EXPECT_NE(readText(dir.path / "stderr.txt").find("interrupted"), std::string::npos);
    EXPECT_TRUE(outputs(dir.path).empty());
}

// The lean host answers what the effect asks and checks nothing; --strict renders through the test
// host, which ends the run on the first call the effect had no business making.
TEST(RenderToolOutput, StrictHostStopsAtTheEffectsFirstFault) {
    TempDir dir;
    std::ofstream(dir.path / "scene.json") << kSequence;
    const std::string args = (dir.path / "scene.json").string() + " --effect " +
                             (toolPath().parent_path() / "interrupting_effect.so").string() + " -o ";
    setenv("NEBULASTRA_TEST_MISBEHAVE", "1", 1);
    std::string errors;
    EXPECT_EQ(runTool(dir, args + (dir.path / "lean.png").string(), &errors), 0) << errors;
    EXPECT_EQ(runTool(dir, "--strict " + args + (dir.path / "strict.png").string(), &errors), 1);
    unsetenv("NEBULASTRA_TEST_MISBEHAVE");
    EXPECT_EQ(errors, "--strict: frame 0: fault: refused callback inter.register_ui called\n");
    EXPECT_TRUE(fs::exists(dir.path / "lean.png"));
    EXPECT_FALSE(fs::exists(dir.path / "strict.png"));
}

// The peak memory of a 2,000-frame sequence is that of a 10-frame one: the host keeps nothing
// per frame. (AddressSanitizer keeps freed memory in quarantine, so the sanitized build cannot
// show it.)
TEST(RenderToolOutput, PeakMemoryDoesNotGrowWithTheSequence) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "freed memory is quarantined under AddressSanitizer";
#endif
    TempDir dir;
    std::ofstream(dir.path / "scene.json") << R"({
      "composition": {"width": 64, "height": 36, "frameRate": 24},
      "camera": {},
      "layers": [{"name": "cloud", "type": "light", "position": [32, 18, 0]}],
      "effect": {"cloudSize": 5, "qualitySteps": 8, "evolutionSpeed": 100}
    })";
    // getrusage reports the largest of the children waited for so far: the short run first.
    auto peakKb = [&](const char* frames) {
        const std::string args = (dir.path / "scene.json").string() + " --frames " + frames + " -o " +
                                 (dir.path / "f_####.png").string();
        EXPECT_EQ(runTool(dir, args), 0);
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        return static_cast<double>(usage.ru_maxrss);
    };
    const double tenFrames = peakKb("0-9");
    const double twoThousandFrames = peakKb("0-1999");
    EXPECT_LE(twoThousandFrames, 1.2 * tenFrames) << tenFrames << " KB for 10 frames";
}

TEST(RenderToolOutput, FailedWriteLeavesNoImageAndNoTemporaryFile) {
    TempDir dir;
    // A frame whose images take some kilobytes: the limit lets the error message through to the
    // captured stderr (a file under the same limit) and stops the image, as on a disk that fills
    // up during the write.
    std::ofstream(dir.path / "scene.json") << R"({
      "composition": {"width": 64, "height": 48, "frameRate": 24}, "camera": {},
      "layers": [{"name": "cloud", "type": "light", "position": [32, 24, 0]}],
      "effect": {"cloudSize": 40, "qualitySteps": 16}
    })";
    for (const auto& [out, depth] : {std::pair{"f_##.png", "8"}, std::pair{"f_##.exr", "32"}}) {
        SCOPED_TRACE(out);
        const std::string path = (dir.path / out).string();
        EXPECT_EQ(finish(startTool(
                      {(dir.path / "scene.json").string(), "-o", path, "--frames", "0-1", "--depth", depth},
                      dir.path / "stderr.txt", 600)),
                  1);
        const std::string errors = readText(dir.path / "stderr.txt");
        const std::string image = std::string(path).replace(path.find("##"), 2, "00");
        EXPECT_NE(errors.find(image), std::string::npos) << "the error names the image asked for: " << errors;
        EXPECT_NE(errors.find(std::strerror(EFBIG)), std::string::npos)
            << "and the system's reason: " << errors;
        EXPECT_EQ(errors.find(".partial"), std::string::npos) << errors;
        EXPECT_TRUE(outputs(dir.path).empty()) << outputs(dir.path).front();
    }
}

} // namespace
} // namespace nebulastra::tool_test

#endif
