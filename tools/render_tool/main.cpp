// nebulastra-render: renders the frames of a scene file through the effect library, driven by a
// host that plays After Effects as far as the effect needs (frame_host.h), and writes them as
// PNG, OpenEXR or raw float frames. The Windows build (nebulastra-render.exe beside
// Nebulastra.aex) writes the same formats, with the same libraries cross-built for it.
//
// Exit status: 0 when every frame was written; 2 for a bad scene file or command line (one line on
// stderr); 1 when the effect cannot be loaded, fails a frame, or a file cannot be written;
// 128 + the signal number when interrupted (130 Ctrl-C, 143 SIGTERM). Images appear under their
// final names only when complete (safe_output.h), so an interrupted sequence holds whole frames
// only, and --skip-existing finishes it.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "background.h"
#include "frame_host.h"
#include "frame_pixels.h"
#include "isa_option.h"
#include "light_check.h"
#include "output_path.h"
#include "progress.h"
#include "raw_frame/raw_frame.h"
#include "region.h"
#include "scenefile/scene_eval.h"
#ifdef NEBULASTRA_RENDER_PNG
#include "png_writer.h"
#endif
#ifdef NEBULASTRA_RENDER_EXR
#include "exr_writer.h"
#endif
#include "safe_output.h"
#include "scene_linear.h"
#include "scenefile/scene_file.h"

namespace nebulastra::render_tool {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct Options {
    std::string scenePath;
    std::string output;
    std::string frames;
    std::string depth;
    std::string resolution;
    std::string command;
    std::vector<std::string> sets;
    std::string effectPath;
    std::string isa = "auto";
    std::string region;
    std::string background;
    bool half = false;
    bool sceneLinear = false;
    bool skipExisting = false;
    bool strict = false;
};

#ifdef NEBULASTRA_RENDER_PNG
constexpr bool kHasPng = true;
#else
constexpr bool kHasPng = false;
#endif
#ifdef NEBULASTRA_RENDER_EXR
constexpr bool kHasExr = true;
#else
constexpr bool kHasExr = false;
#endif

constexpr const char* kDescription =
    "Renders the frames of a Nebulastra scene file (JSON) through the effect library, with a host "
    "that plays After Effects, and writes them as images.\n"
    "\n"
    "Output formats, chosen by the frame depth:\n"
    "  8 and 16 bits  PNG, RGBA with straight (un-premultiplied) colour and alpha; 8-bit PNG from\n"
    "                 8-bit frames, 16-bit PNG from 16-bit frames (0..32768 scaled to 0..65535,\n"
    "                 rounded).\n"
    "  32 bits        OpenEXR RGBA, premultiplied as compositing tools expect, float samples\n"
    "                 (half with --half); or, named .nbrf, the raw float ARGB samples as\n"
    "                 rendered (the tests' reference-frame layout), which every build writes\n"
    "                 byte for byte alike.\n"
    "\n"
    "Colour values are the effect's own at every depth: display-encoded (sRGB), as After\n"
    "Effects shows them, the OpenEXR samples included (0.5 is mid-grey on screen, not half the\n"
    "light); values above 1 survive only at 32 bits. For a compositing package that reads\n"
    "OpenEXR as scene-linear, --scene-linear writes linear light instead: each pixel's straight\n"
    "colour decoded with the sRGB curve and premultiplied by its alpha again, alpha unchanged.\n"
    "\n"
    "The effect draws only the clouds, over transparency. --background sky (or black, white,\n"
    "grey, #RRGGBB) puts them over an opaque backdrop instead, for a preview that looks right in\n"
    "any viewer: a sky gradient from deep blue at the top to pale blue at the bottom, or a colour.\n"
    "\n"
    "The output name must carry a matching extension (.png, .exr or .nbrf; .png or .exr is added\n"
    "when missing).\n"
    "With --region X,Y,W,H only that part of the frame is rendered, as for a region of interest:\n"
    "a PNG or .nbrf holds the region alone; an OpenEXR has the whole frame as display window and\n"
    "the region as data window. X, Y, W, H are output pixels at the chosen resolution; a region\n"
    "reaching past the frame is cut to it.\n"
    "With several frames, a run of '#' in the name becomes the zero-padded frame number:\n"
    "  nebulastra-render clouds.json --frames 0-47 -o out/clouds_####.png\n"
    "\n"
    "Each image is written to a hidden temporary file in the output folder and renamed into place\n"
    "when complete. Ctrl-C or SIGTERM stops the frame being rendered (as soon as the effect\n"
    "notices) and writes no part of it; --skip-existing then resumes the sequence, rendering only\n"
    "the frames whose files are missing. Any other signal that ends the run removes the\n"
    "temporary file first. Whether the output can be written is checked before rendering.\n"
    "\n"
    "Warnings go to stderr when the lights of a frame make fewer clouds than the scene suggests:\n"
    "more than 32 qualifying lights (the effect draws the top 32), or none at all (with the\n"
    "likely cause: the \"Emitters\" name filter, lights switched off, ambient lights, no lights).\n"
    "\n"
    "--strict renders through the strict test host instead: every call the effect makes is\n"
    "checked (worlds poisoned and guarded, suites and parameters balanced), and the first fault\n"
    "ends the run with status 1. Slower; for checking a build of the effect.\n"
    "\n"
    "--isa picks the effect's render path (all draw the same pixels; for tests and timing): auto\n"
    "is the best the processor and OS support, whatever NEBULASTRA_ISA says; a named path the\n"
    "processor lacks is an error.\n"
    "\n"
    "Exit status: 0 success, 1 effect or file failure, 2 bad scene file or command line,\n"
    "128 + signal number when interrupted (130 Ctrl-C, 143 SIGTERM).";

// Library messages may carry line breaks; the tool's errors are one line each.
std::string oneLine(const char* text) {
    std::string line = text;
    for (char& c : line) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

// How the rendered pixels become an image file.
struct ImageOptions {
    ImageFormat format = ImageFormat::Png;
    int depth = 8;
    bool half = false;
    bool sceneLinear = false;
    std::optional<Background> background;
};

// `world` is the frame or, with --region, the part of it its origin places in the frame.
void writeImage(const PF_LayerDef& world, const scenefile::FrameSize& frame, const std::string& path,
                const ImageOptions& image) {
    if (image.format == ImageFormat::RawFloat) {
        raw_frame::writeRawFrame(path, {world.width, world.height, premultipliedArgbFloat(world)});
        return;
    }
#ifdef NEBULASTRA_RENDER_PNG
    if (image.depth == 8) {
        writePng8(path, world.width, world.height,
                  image.background ? opaqueRgba8(world, frame.height, *image.background)
                                   : straightRgba8(world));
        return;
    }
    if (image.depth == 16) {
        writePng16(path, world.width, world.height,
                   image.background ? opaqueRgba16(world, frame.height, *image.background)
                                    : straightRgba16(world));
        return;
    }
#endif
#ifdef NEBULASTRA_RENDER_EXR
    std::vector<float> rgba = premultipliedRgbaFloat(world);
    if (image.background) putOver(rgba, world.width, world.origin_y, frame.height, *image.background);
    if (image.sceneLinear) toSceneLinear(rgba);
    writeExr(path, world.width, world.height, rgba, image.half ? ExrSampleType::Half : ExrSampleType::Float,
             ExrPlacement{frame.width, frame.height, world.origin_x, world.origin_y});
#endif
    (void)frame;
}

// The frame under its final name, complete or not at all.
void writeFrame(const PF_LayerDef& world, const scenefile::FrameSize& frame, const std::string& path,
                const ImageOptions& image) {
    writeAtomically(path, [&](const std::string& temporary) { writeImage(world, frame, temporary, image); });
}

// Says, once for each kind, when the lights of a frame make fewer clouds than the user may think.
struct LightWarnings {
    bool tooMany = false;
    bool none = false;
};

void warnAboutLights(const scenefile::Scene& scene, std::int32_t frame, LightWarnings& given,
                     const Progress& progress) {
    if (given.tooMany && given.none) return;
    const LightCount count = countLights(scene, frame);
    bool& said = count.qualifying > kMostClouds ? given.tooMany : given.none;
    const std::string warning = lightWarning(count, frame);
    if (said || warning.empty()) return;
    printAboveProgress(progress, warning);
    said = true;
}

bool fileExists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file != nullptr) std::fclose(file);
    return file != nullptr;
}

int interrupted(const Progress& progress) {
    finishProgress(progress);
    std::fprintf(stderr, "interrupted: every image written is complete\n");
    return interruptExitStatus(interruptSignal());
}

// Loads the scene and applies the command line's overrides; a SceneError leaves here.
scenefile::Scene sceneFor(const Options& options) {
    scenefile::Scene s = scenefile::loadSceneFile(options.scenePath);
    if (!options.frames.empty()) scenefile::applyRenderOverride(s, "frames", options.frames);
    if (!options.depth.empty()) scenefile::applyRenderOverride(s, "depth", options.depth);
    if (!options.resolution.empty()) scenefile::applyRenderOverride(s, "resolution", options.resolution);
    if (!options.command.empty()) scenefile::applyRenderOverride(s, "command", options.command);
    for (const std::string& assignment : options.sets) scenefile::applyEffectOverride(s, assignment);
    return s;
}

int run(const Options& options) {
    scenefile::Scene s;
    OutputPattern pattern;
    ImageOptions image;
    std::optional<Region> region;
    try {
        // Before the library is loaded: it reads the variable once, on its first frame.
        setIsaVariable(isaVariableFor(options.isa, processorIsaSupport()));
        s = sceneFor(options);
        pattern = checkedOutputPattern(options.output, s.render.depth,
                                       s.render.lastFrame > s.render.firstFrame, {kHasPng, kHasExr});
        if (options.half && pattern.format != ImageFormat::Exr) {
            throw OutputPathError(pattern.path + ": --half applies to OpenEXR output only");
        }
        if (options.sceneLinear && pattern.format != ImageFormat::Exr) {
            throw OutputPathError(pattern.path +
                                  ": --scene-linear applies to OpenEXR output only (PNG is display-encoded)");
        }
        if (!options.background.empty()) {
            image.background = parseBackground(options.background);
            if (pattern.format == ImageFormat::RawFloat) {
                throw OutputPathError(pattern.path +
                                      ": --background applies to PNG and OpenEXR output, not to "
                                      "raw float frames, which hold the effect's samples as rendered");
            }
        }
        image.format = pattern.format;
        image.depth = s.render.depth;
        image.half = options.half;
        image.sceneLinear = options.sceneLinear;
        if (!options.region.empty()) {
            const scenefile::FrameSize frame = scenefile::frameSize(s);
            region = parseRegion(options.region);
            regionOnFrame(*region, frame.width, frame.height); // only checks that it meets the frame
            if (s.render.command != scenefile::RenderCommand::Smart) {
                throw RegionError("--region: only the smart render command renders part of a frame");
            }
        }
    } catch (const std::exception& e) { // --isa, SceneError, OutputPathError, RegionError: the user's to fix
        std::fprintf(stderr, "%s\n", oneLine(e.what()).c_str());
        return kExitUsage;
    }
    try { // before any frame renders: a frame of an hour should not end in "cannot create the file"
        // The first image this run will write: with --skip-existing, the first one missing (none
        // when every image is there, and then the folder need not take new files).
        for (std::int32_t frame = s.render.firstFrame;; ++frame) {
            const std::string path = framePath(pattern.path, frame);
            if (!options.skipExisting || !fileExists(path)) {
                checkImageCanBeWritten(path);
                break;
            }
            if (frame == s.render.lastFrame) break;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", oneLine(e.what()).c_str());
        return kExitFailure;
    }

    const scenefile::FrameSize frameSize = scenefile::frameSize(s);
    const std::int32_t first = s.render.firstFrame;
    const std::int32_t last = s.render.lastFrame;
    const scenefile::Scene lights = s; // the host takes the scene; the warnings read its lights
    LightWarnings warned;
    try {
        std::shared_ptr<effectlib::EffectModule> effect =
            options.effectPath.empty() ? effectlib::EffectModule::shared()
                                       : std::make_shared<effectlib::EffectModule>(options.effectPath);
        Progress progress = startProgress(static_cast<std::int64_t>(last) - first + 1);
        std::int64_t framesDone = 0;
        leanhost::Interrupts interrupts;
        interrupts.stopRequested = [] { return interruptSignal() != 0; };
        interrupts.progress = [&](std::int32_t current, std::int32_t total) {
            reportRows(progress, framesDone, current, total);
        };
        // The request as the user gave it: cutting it to the layer is the effect's job.
        const std::unique_ptr<FrameHost> host =
            makeFrameHost(options.strict, std::move(s), std::move(effect), region, std::move(interrupts));
        for (std::int32_t frame = first;; ++frame) {
            if (interruptSignal() != 0) return interrupted(progress);
            const std::string path = framePath(pattern.path, frame);
            if (options.skipExisting && fileExists(path)) {
                reportProgress(progress, static_cast<std::int64_t>(frame) - first + 1);
                if (frame == last) break;
                continue;
            }
            framesDone = static_cast<std::int64_t>(frame) - first;
            warnAboutLights(lights, frame, warned, progress);
            const std::int32_t err = host->requestFrame(frame);
            if (interruptSignal() != 0) return interrupted(progress);
            if (err != 0) {
                finishProgress(progress);
                std::fprintf(stderr, "%s: frame %d: the effect returned error %d\n",
                             options.scenePath.c_str(), frame, err);
                return kExitFailure;
            }
            writeFrame(host->output(), frameSize, path, image);
            reportProgress(progress, static_cast<std::int64_t>(frame) - first + 1);
            if (frame == last) break;
        }
        finishProgress(progress);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", oneLine(e.what()).c_str());
        return kExitFailure;
    }
    return 0;
}

} // namespace
} // namespace nebulastra::render_tool

int main(int argc, char** argv) {
    using nebulastra::render_tool::Options;
    Options options;
    CLI::App app(nebulastra::render_tool::kDescription, "nebulastra-render");
    app.get_formatter()->column_width(28);
    // Options are --name on every system: under Windows CLI11 would otherwise take a path that
    // starts with '/' (as Wine passes Unix paths through) for a "/option".
    app.allow_windows_style_options(false);
    app.add_option("scene", options.scenePath, "Scene file (JSON)")->required();
    app.add_option("-o,--output", options.output,
                   "Output image (.png for 8/16 bits, .exr or .nbrf for 32 bits); '#' run = frame "
                   "number")
        ->required();
    app.add_option("--frames", options.frames, "Frame number or range a-b (overrides render.frames)");
    app.add_option("--depth", options.depth, "Bits per channel: 8, 16 or 32 (overrides render.depth)");
    app.add_option("--resolution", options.resolution,
                   "full, half, third or quarter (overrides render.resolution)");
    app.add_option("--command", options.command,
                   "smart (smart pre-render + smart render) or render (overrides render.command)");
    app.add_option("--set", options.sets,
                   "Effect value key=value, read like the scene file's (e.g. density=150, "
                   "overlapBlend=Screen); repeatable")
        ->allow_extra_args(false);
    app.add_option("--region", options.region,
                   "Render only X,Y,W,H of the frame (output pixels at the chosen resolution)");
    app.add_flag("--half", options.half, "Write OpenEXR with half-float samples instead of float");
    app.add_flag("--scene-linear", options.sceneLinear,
                 "Write OpenEXR as scene-linear light (sRGB-decoded colour) instead of the effect's "
                 "display-encoded values");
    app.add_option("--background", options.background,
                   "Put the clouds over an opaque backdrop: sky, black, white, grey or #RRGGBB "
                   "(PNG and OpenEXR)");
    app.add_option("--isa", options.isa,
                   "Render path: auto (default), scalar, sse2, avx2 or avx512 (tests and timing)");
    app.add_flag("--skip-existing", options.skipExisting,
                 "Leave frames whose output file exists as they are (resumes an interrupted sequence)");
    app.add_flag("--strict", options.strict,
                 "Render through the strict test host, which checks every call the effect makes");
    app.add_option("--effect", options.effectPath,
                   "Effect library to load (default: NEBULASTRA_EFFECT, else the one beside this "
                   "program)");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return nebulastra::render_tool::kExitUsage;
    }
    nebulastra::render_tool::installInterruptHandlers();
    return nebulastra::render_tool::run(options);
}
