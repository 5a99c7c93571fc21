// Output names: file type by depth, frame numbers through a run of '#'.
#include "output_path.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace nebulastra::render_tool {

namespace {

// Start of the file name (after the last directory separator).
std::size_t fileNameStart(const std::string& path) {
#ifdef _WIN32
    const std::size_t slash = path.find_last_of("/\\");
#else
    const std::size_t slash = path.rfind('/');
#endif
    return slash == std::string::npos ? 0 : slash + 1;
}

// The extension of the file name with its dot, lower-cased; "" when there is none.
std::string lowerExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < fileNameStart(path)) return "";
    std::string ext = path.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

std::string depthPhrase(int depth) {
    return (depth == 8 ? "an " : "a ") + std::to_string(depth) + "-bit frame";
}

} // namespace

OutputPattern checkedOutputPattern(const std::string& pattern, int depth, bool severalFrames,
                                   AvailableFormats available) {
    if (fileNameStart(pattern) == pattern.size()) {
        throw OutputPathError(pattern + ": expected a file name, not a directory");
    }
    OutputPattern out{pattern, depth == 32 ? ImageFormat::Exr : ImageFormat::Png};
    const std::string ext = lowerExtension(pattern);
    // A folder named without a slash would otherwise become a file beside it ("out" -> "out.png").
    std::error_code ignored;
    if (ext.empty() && std::filesystem::is_directory(pattern, ignored)) {
        throw OutputPathError(pattern + ": is a folder; name the image file, e.g. " + pattern +
                              (depth == 32 ? "/frame.exr" : "/frame.png"));
    }
    if (depth != 32) {
        if (ext.empty()) {
            out.path += ".png";
        } else if (ext != ".png") {
            throw OutputPathError(pattern + ": " + depthPhrase(depth) + " is written as .png (PNG), not " +
                                  ext);
        }
        if (!available.png) {
            throw OutputPathError(pattern + ": this build of nebulastra-render has no PNG writer; render at "
                                            "--depth 32 and write .nbrf (raw float) instead");
        }
    } else if (ext.empty()) {
        out.format = available.exr ? ImageFormat::Exr : ImageFormat::RawFloat;
        out.path += available.exr ? ".exr" : ".nbrf";
    } else if (ext == ".nbrf") {
        out.format = ImageFormat::RawFloat;
    } else if (ext != ".exr") {
        throw OutputPathError(pattern + ": " + depthPhrase(depth) +
                              " is written as .exr (OpenEXR) or .nbrf " + "(raw float), not " + ext);
    } else if (!available.exr) {
        throw OutputPathError(pattern +
                              ": this build of nebulastra-render has no OpenEXR writer; write .nbrf "
                              "(raw float) instead");
    }
    if (severalFrames && out.path.find('#', fileNameStart(out.path)) == std::string::npos) {
        throw OutputPathError(pattern +
                              ": several frames need a run of '#' in the file name for the frame "
                              "number, e.g. out_####" +
                              lowerExtension(out.path));
    }
    return out;
}

std::string framePath(const std::string& pattern, std::int32_t frame) {
    const std::size_t last = pattern.rfind('#');
    if (last == std::string::npos || last < fileNameStart(pattern)) return pattern;
    std::size_t first = last;
    while (first > fileNameStart(pattern) && pattern[first - 1] == '#') --first;
    const std::size_t width = last - first + 1;
    std::string number = std::to_string(frame);
    if (number.size() < width) number.insert(0, width - number.size(), '0');
    return pattern.substr(0, first) + number + pattern.substr(last + 1);
}

} // namespace nebulastra::render_tool
