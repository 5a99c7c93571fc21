// nebulastra-render on a terminal and on a resumed sequence: a warning never lands in the middle of
// the progress line, and --skip-existing asks only the folder of an image it will write.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <fcntl.h>

#include <cstdlib>

#include "tools/tool_process.h"

namespace nebulastra::tool_test {
namespace {

// Frame 0 has a cloud; at frame 1 (1/24 s) the light is past its out point, which the tool warns
// about while the progress line of frame 0 is on the screen.
const char* kLightLeaves = R"({
  "composition": {"width": 8, "height": 6, "frameRate": 24}, "camera": {},
  "layers": [{"name": "cloud", "type": "light", "position": [4, 3, 0], "outPoint": 0.04}],
  "effect": {"cloudSize": 40, "qualitySteps": 16}
})";

// Runs the tool with stderr on a terminal (a pseudo-terminal) and returns what it printed there.
std::string onTerminal(const std::vector<std::string>& args) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return "no pseudo-terminal";
    const std::string slave = ptsname(master);
    const pid_t pid = fork();
    if (pid == 0) {
        const int terminal = open(slave.c_str(), O_RDWR | O_NOCTTY);
        dup2(terminal, STDERR_FILENO);
        execTool(args);
    }
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(n));
    finish(pid); // the read ends once the child's last descriptor of the terminal is closed
    close(master);
    return text;
}

TEST(RenderToolTerminal, AWarningClearsTheProgressLineInsteadOfFollowingIt) {
    TempDir dir;
    std::ofstream(dir.path / "scene.json") << kLightLeaves;
    const std::string text = onTerminal(
        {(dir.path / "scene.json").string(), "--frames", "0-1", "-o", (dir.path / "f_#.png").string()});
    ASSERT_NE(text.find("frame 1 of 2"), std::string::npos) << text; // the progress line was drawn
    EXPECT_NE(text.find("\r\033[Kwarning: frame 1:"), std::string::npos) << text;
}

// Every image there already: the run writes nothing, so a folder that cannot take new files is
// no reason to fail; with one missing, it is that image's folder check that counts. (The check's
// probe file is made impossible by a folder under its name, which stops root as well.)
TEST(RenderToolTerminal, SkipExistingChecksOnlyAnImageItWillWrite) {
    TempDir dir;
    std::ofstream(dir.path / "scene.json") << kLightLeaves;
    const std::string scene = (dir.path / "scene.json").string(), out = (dir.path / "f_#.png").string();
    ASSERT_EQ(runTool(dir, scene + " --frames 0-1 -o " + out), 0);
    const auto blockProbe = [&](const char* image) {
        return [&dir, image](pid_t pid) {
            fs::create_directory(dir.path /
                                 ("." + std::string(image) + ".partial-" + std::to_string(pid) + "-check"));
        };
    };
    const auto run = [&](const std::string& frames, const char* blocked) {
        return finish(startTool({scene, "--frames", frames, "-o", out, "--skip-existing"},
                                dir.path / "stderr.txt", RLIM_INFINITY, blockProbe(blocked)));
    };
    EXPECT_EQ(run("0-1", "f_0.png"), 0) << readText(dir.path / "stderr.txt");
    EXPECT_EQ(run("0-2", "f_0.png"), 0) << readText(dir.path / "stderr.txt");
    fs::remove(dir.path / "f_2.png");
    EXPECT_EQ(run("0-2", "f_2.png"), 1);
    EXPECT_NE(readText(dir.path / "stderr.txt").find("cannot create files in"), std::string::npos);
}

} // namespace
} // namespace nebulastra::tool_test

#endif
