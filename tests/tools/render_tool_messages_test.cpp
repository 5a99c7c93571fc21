// What nebulastra-render tells the user besides its images: warnings when the lights of a scene
// make fewer clouds than the user may expect (a 33rd light, or none at all, with the likely
// cause), never in the middle of the terminal's progress line; no temporary file left behind
// whatever signal ends the run while an image is being written; and --skip-existing asking only
// the folder of an image it will write.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "tools/tool_process.h"

namespace nebulastra::tool_test {
namespace {

// A 24 x 16 scene with the given layers (JSON objects, comma-separated) and effect values.
std::string sceneWith(const std::string& layers, const std::string& effect = "") {
    return R"({"composition": {"width": 24, "height": 16, "frameRate": 24}, "camera": {},
               "layers": [)" +
           layers + R"(], "effect": {"qualitySteps": 16, "cloudSize": 20)" + (effect.empty() ? "" : ", ") +
           effect + "}}";
}

std::string light(const std::string& name, double x, const std::string& extra = "") {
    return R"({"name": ")" + name + R"(", "type": "light", "position": [)" + std::to_string(x) +
           R"(, 8, 0])" + extra + "}";
}

// Renders `scene` to out.png; returns the exit status, with stderr in `errors`.
int render(const TempDir& dir, const std::string& scene, std::string* errors) {
    std::ofstream(dir.path / "scene.json") << scene;
    return runTool(dir, (dir.path / "scene.json").string() + " -o " + (dir.path / "out.png").string(),
                   errors);
}

// 33 lights: the warning names the limit and the first light left out, and it is true: the frame
// is the one the top 32 lights make alone.
TEST(RenderToolMessages, ALightBeyondThe32ndIsNamedAsDropped) {
    TempDir dir;
    std::string top32, all;
    for (int i = 0; i < 33; ++i) {
        // The 33rd sits in the middle, in a colour of its own: were it drawn, the frame would show it.
        const std::string l = i < 32 ? light("cloud " + std::to_string(i), 0.7 * i, R"(, "color": [1, 1, 1])")
                                     : light("extra", 12, R"(, "color": [1, 0, 0], "intensity": 300)");
        all += (i > 0 ? "," : "") + l;
        if (i < 32) top32 += (i > 0 ? "," : "") + l;
    }
    std::string errors;
    ASSERT_EQ(render(dir, sceneWith(all), &errors), 0);
    EXPECT_NE(errors.find("33 lights qualify, but the effect draws at most 32 clouds"), std::string::npos)
        << errors;
    EXPECT_NE(errors.find("\"extra\""), std::string::npos) << errors;
    const std::string withAll = readText(dir.path / "out.png");
    ASSERT_EQ(render(dir, sceneWith(top32), &errors), 0);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(readText(dir.path / "out.png"), withAll);
}

// No light makes a cloud: the frame is empty (every pixel transparent) and the warning gives the
// cause that applies.
TEST(RenderToolMessages, AFrameWithoutCloudsSaysWhy) {
    struct Case {
        std::string scene;
        std::string cause;
    };
    const Case cases[] = {
        {sceneWith(R"({"name": "BG", "type": "solid"})"), "no light layers, only 1 other layer"},
        {sceneWith(light("Key Light", 12), R"("cloudPrefixOnly": true)"), "\"Emitters\" is on"},
        {sceneWith(light("cloud", 12, R"(, "enabled": false)")), "1 light is switched off"},
        {sceneWith(light("cloud", 12, R"(, "inPoint": 5)")), "outside its in and out points"},
        {sceneWith(light("cloud", 12, R"(, "lightType": "ambient")")), "ambient or environment"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cause);
        TempDir dir;
        std::string errors;
        ASSERT_EQ(render(dir, c.scene, &errors), 0);
        EXPECT_EQ(errors.rfind("warning: frame 0: no light becomes a cloud", 0), 0u) << errors;
        EXPECT_NE(errors.find(c.cause), std::string::npos) << errors;
        const PngImage png = readPng(dir.path / "out.png");
        ASSERT_TRUE(png.ok);
        for (std::size_t i = 3; i < png.bytes.size(); i += 4) ASSERT_EQ(png.bytes[i], 0) << "pixel " << i / 4;
    }
    // Once a light qualifies, nothing is said (the camera-less, Emitters-off cases alike).
    TempDir dir;
    std::string errors;
    EXPECT_EQ(render(dir, sceneWith(light("Key Light", 12) + "," + light("x", 3, R"(, "enabled": false)")),
                     &errors),
              0);
    EXPECT_EQ(errors, "");
}

// A signal while an image is being written: the image goes to a FIFO standing at its temporary
// name, so the writer is certain to be mid-image when the signal arrives (the FIFO takes 64 KiB of
// the frame's 1 MB and nobody reads the rest). Whatever ends the run, neither the image nor its
// temporary file is left.
TEST(RenderToolMessages, NoTemporaryFileOutlivesASignal) {
    struct Case {
        std::vector<int> signals;
        std::vector<int> statuses; // killed by the signal (1000 + it), or exited with 128 + it
    };
    // SIGINT and SIGTERM together: the second interrupt while writing ends the run at once, with
    // the status of whichever of the two the handler saw second.
    const Case cases[] = {{{SIGHUP}, {1000 + SIGHUP}},
                          {{SIGUSR1}, {1000 + SIGUSR1}},
                          {{SIGALRM}, {1000 + SIGALRM}},
                          {{SIGINT, SIGTERM}, {128 + SIGINT, 128 + SIGTERM}}};
    // The stand-in effect draws nothing, at once: the time goes into the write.
    const std::string effect = (toolPath().parent_path() / "interrupting_effect.so").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signals.front());
        TempDir dir;
        std::ofstream(dir.path / "scene.json")
            << R"({"composition": {"width": 256, "height": 256, "frameRate": 24}, "layers": []})";
        fs::path fifo;
        const pid_t pid = startTool({(dir.path / "scene.json").string(), "--effect", effect, "--depth", "32",
                                     "-o", (dir.path / "f.nbrf").string()},
                                    dir.path / "stderr.txt", RLIM_INFINITY, [&](pid_t child) {
                                        fifo = dir.path / (".f.nbrf.partial-" + std::to_string(child));
                                        mkfifo(fifo.c_str(), 0600);
                                    });
        // The event: the tool has opened its temporary file and written into it. The deadline
        // only keeps a broken tool from hanging the test.
        const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0) << std::strerror(errno);
        pollfd ready{reader, POLLIN, 0};
        ASSERT_EQ(poll(&ready, 1, 120000), 1) << "the tool never wrote its image";
        char bytes[4096];
        ASSERT_GT(read(reader, bytes, sizeof bytes), 0);
        for (int signal : c.signals) kill(pid, signal);
        const int status = finish(pid);
        EXPECT_NE(std::find(c.statuses.begin(), c.statuses.end(), status), c.statuses.end())
            << status << ": " << readText(dir.path / "stderr.txt");
        close(reader);
        for (const auto& entry : fs::directory_iterator(dir.path)) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "scene.json" || name == "stderr.txt") << name << " left behind";
        }
    }
}

// Frame 0 has a cloud; at frame 1 (1/24 s) the light is past its out point.
const std::string kLightLeaves = sceneWith(light("cloud", 12, R"(, "outPoint": 0.04)"));

// On a terminal (a pseudo-terminal), the warning about frame 1 clears frame 0's progress line.
TEST(RenderToolMessages, AWarningClearsTheProgressLine) {
    TempDir dir;
    std::ofstream(dir.path / "scene.json") << kLightLeaves;
    const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0);
    const std::string side = ptsname(terminal);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(open(side.c_str(), O_RDWR | O_NOCTTY), STDERR_FILENO);
        execTool(
            {(dir.path / "scene.json").string(), "--frames", "0-1", "-o", (dir.path / "f_#.png").string()});
    }
    std::string text;
    char bytes[4096];
    for (ssize_t n; (n = read(terminal, bytes, sizeof bytes)) > 0;)
        text.append(bytes, static_cast<size_t>(n));
    finish(pid); // the read ended when the tool closed the terminal's other side
    close(terminal);
    ASSERT_NE(text.find("frame 1 of 2"), std::string::npos) << text; // the progress line was drawn
    EXPECT_NE(text.find("\r\033[Kwarning: frame 1:"), std::string::npos) << text;
}

// Every image there: nothing to write, so no folder check to fail; with one missing, its check
// counts. (A folder at the check's probe name defeats the probe, for root as well.)
TEST(RenderToolMessages, SkipExistingChecksOnlyAnImageItWillWrite) {
    TempDir dir;
    std::ofstream(dir.path / "scene.json") << kLightLeaves;
    const std::string scene = (dir.path / "scene.json").string(), out = (dir.path / "f_#.png").string();
    ASSERT_EQ(runTool(dir, scene + " --frames 0-1 -o " + out), 0);
    const auto run = [&](const std::string& frames, const std::string& blocked) {
        return finish(startTool({scene, "--frames", frames, "-o", out, "--skip-existing"},
                                dir.path / "stderr.txt", RLIM_INFINITY, [&](pid_t pid) {
                                    fs::create_directory(dir.path / ("." + blocked + ".partial-" +
                                                                     std::to_string(pid) + "-check"));
                                }));
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
