// Output names: file type by depth, frame numbers through a run of '#'.
#include "output_path.h"

#include <cctype>

namespace nebulastra::render {

namespace {

// Start of the file name (after the last '/').
std::size_t fileNameStart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
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

}  // namespace

const char* extensionForDepth(int depth) { return depth == 32 ? ".exr" : ".png"; }

std::string checkedOutputPattern(const std::string& pattern, int depth, bool severalFrames) {
  const std::string wanted = extensionForDepth(depth);
  std::string path = pattern;
  const std::string ext = lowerExtension(path);
  if (fileNameStart(path) == path.size()) {
    throw OutputPathError(pattern + ": expected a file name, not a directory");
  }
  if (ext.empty()) {
    path += wanted;
  } else if (ext != wanted) {
    const std::string frame = (depth == 8 ? "an " : "a ") + std::to_string(depth) + "-bit frame";
    throw OutputPathError(pattern + ": " + frame + " is written as " +
                          wanted + " (" + (depth == 32 ? "OpenEXR" : "PNG") + "), not " + ext);
  }
  if (severalFrames && path.find('#', fileNameStart(path)) == std::string::npos) {
    throw OutputPathError(pattern +
                          ": several frames need a run of '#' in the file name for the frame "
                          "number, e.g. out_####" + wanted);
  }
  return path;
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

}  // namespace nebulastra::render
