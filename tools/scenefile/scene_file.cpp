// The scene file reader. Each reader function takes the JSON value and its JSON pointer path, so
// that whatever goes wrong is reported where it is: "file: /layers/2/parent: what was expected".
// Nothing here trusts the input: every access checks the type first, and every failure is one
// SceneError with a single-line message.
#include "scenefile/scene_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <sstream>

#include <nlohmann/json.hpp>

#include "scenefile/scene_params.h"

namespace nebulastra::scenefile {

namespace {

using nlohmann::json;

constexpr int kMaxPixels = 30000; // After Effects' largest composition side
constexpr int kMaxFrameRate = 1000;
// The composition's shutter as After Effects lets it be set, in degrees.
constexpr double kMaxShutterAngle = 720.0;
constexpr double kMaxShutterPhase = 360.0;
// What one scene may ask of a render machine. The effect's layer is rendered into an input and an
// output world of its size: 8192 x 8192 float pixels are 1 GiB each. A render is at most 100000
// frames (over an hour at 24 fps); a composition at most 1000 layers; a track 10000 keyframes.
constexpr long long kMaxLayerPixels = 8192LL * 8192LL;
constexpr long long kMaxFrames = 100000;
constexpr std::size_t kMaxLayers = 1000;
constexpr std::size_t kMaxKeyframes = 10000;
// Messages stay readable whatever the file holds (a key of a megabyte, say).
constexpr std::size_t kMaxMessageBytes = 400;

// Where a value sits: the name standing for the file and the JSON pointer inside it.
struct Where {
    const std::string* source;
    std::string path;
};

// Control characters would break the one-line promise; replace them.
std::string printable(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    }
    return out;
}

// A JSON string literal for messages, safe for any bytes.
std::string jsonQuoted(const std::string& text) {
    return json(text).dump(-1, ' ', false, json::error_handler_t::replace);
}

[[noreturn]] void fail(const Where& where, const std::string& what) {
    std::string message = printable(*where.source) + ": ";
    if (!where.path.empty()) message += printable(where.path) + ": ";
    message += printable(what);
    if (message.size() > kMaxMessageBytes) {
        std::size_t cut = kMaxMessageBytes;
        while (cut > 0 && (static_cast<unsigned char>(message[cut]) & 0xC0) == 0x80)
            --cut; // whole UTF-8 characters
        message = message.substr(0, cut) + "...";
    }
    throw SceneError(message);
}

Where child(const Where& where, const std::string& key) {
    std::string escaped;
    for (char c : key) {
        if (c == '~')
            escaped += "~0";
        else if (c == '/')
            escaped += "~1";
        else
            escaped += c;
    }
    return {where.source, where.path + "/" + escaped};
}

Where child(const Where& where, std::size_t index) {
    return {where.source, where.path + "/" + std::to_string(index)};
}

std::string typeName(const json& value) {
    if (value.is_null()) return "null";
    if (value.is_boolean()) return "a boolean";
    if (value.is_number()) return "a number";
    if (value.is_string()) return "a string";
    if (value.is_array()) return "an array of " + std::to_string(value.size()) + " elements";
    return "an object";
}

// A value as a message shows it: numbers, booleans and short strings as written, anything else by
// its type (a deeply nested array is never printed, and bytes that are not UTF-8 are replaced).
std::string shown(const json& value) {
    if (value.is_array() || value.is_object()) return typeName(value);
    std::string text = value.dump(-1, ' ', false, json::error_handler_t::replace);
    if (text.size() > 60) text = text.substr(0, 57) + "...";
    return text;
}

[[noreturn]] void wrongType(const Where& where, const json& value, const std::string& expected) {
    fail(where, "expected " + expected + ", got " + typeName(value));
}

// Rejects keys outside `allowed`, naming the first unknown one.
void checkKeys(const Where& where, const json& object, std::initializer_list<const char*> allowed) {
    for (const auto& item : object.items()) {
        bool known = false;
        std::string list;
        for (const char* key : allowed) {
            known = known || item.key() == key;
            list += list.empty() ? key : std::string(", ") + key;
        }
        if (!known) fail(child(where, item.key()), "unknown key (expected one of " + list + ")");
    }
}

const json& requireObject(const Where& where, const json& value) {
    if (!value.is_object()) wrongType(where, value, "an object");
    return value;
}

double readNumber(const Where& where, const json& value) {
    if (!value.is_number()) wrongType(where, value, "a number");
    const double v = value.get<double>();
    if (!std::isfinite(v)) fail(where, "expected a finite number");
    return v;
}

bool readBool(const Where& where, const json& value) {
    if (!value.is_boolean()) wrongType(where, value, "true or false");
    return value.get<bool>();
}

std::string readString(const Where& where, const json& value) {
    if (!value.is_string()) wrongType(where, value, "a string");
    return value.get<std::string>();
}

int readInteger(const Where& where, const json& value, long long low, long long high,
                const std::string& meaning) {
    const std::string expected =
        "expected " + meaning + ", an integer from " + std::to_string(low) + " to " + std::to_string(high);
    if (!value.is_number()) wrongType(where, value, meaning + ", an integer");
    const double v = value.get<double>();
    if (!(v == std::floor(v)) || v < static_cast<double>(low) || v > static_cast<double>(high)) {
        fail(where, expected + ", got " + shown(value));
    }
    return static_cast<int>(v);
}

// ---- animated values ---------------------------------------------------------------------------

// Reads one keyframe value; the reader decides what a value may be.
using ValueReader = double (*)(const Where&, const json&, const void* context);

double numberValue(const Where& where, const json& value, const void*) { return readNumber(where, value); }

bool isKeyframeList(const json& value) {
    return value.is_array() && !value.empty() && value.front().is_object();
}

// Reads the value of one keyframe at `at` (the key's "v") into the tracks at time t.
using KeyReader = void (*)(const Where& at, const json& value, double t, Track* tracks, const void* context);

// A keyframe list [{"t": seconds, "v": value}, ...] with times that never decrease, each value read
// by `readKey`.
void readKeyframes(const Where& where, const json& value, KeyReader readKey, Track* tracks,
                   const void* context) {
    if (value.empty()) fail(where, "expected at least one keyframe");
    if (value.size() > kMaxKeyframes) {
        fail(where, "expected at most " + std::to_string(kMaxKeyframes) + " keyframes, got " +
                        std::to_string(value.size()));
    }
    double previous = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < value.size(); ++i) {
        const Where at = child(where, i);
        const json& key = requireObject(at, value[i]);
        checkKeys(at, key, {"t", "v"});
        if (!key.contains("t")) fail(at, "missing \"t\" (the key's time in seconds)");
        if (!key.contains("v")) fail(at, "missing \"v\" (the key's value)");
        const double t = readNumber(child(at, "t"), key["t"]);
        if (t < previous) fail(child(at, "t"), "keyframe times must not decrease");
        previous = t;
        readKey(child(at, "v"), key["v"], t, tracks, context);
    }
}

struct ScalarKey {
    ValueReader readValue;
    const void* context;
};

void readScalarKey(const Where& at, const json& value, double t, Track* track, const void* context) {
    const ScalarKey& key = *static_cast<const ScalarKey*>(context);
    track->keys.push_back({t, key.readValue(at, value, key.context)});
}

void readTripleKey(const Where& at, const json& value, double t, Track* tracks, const void*) {
    if (!value.is_array() || value.size() != 3) wrongType(at, value, "an array of 3 numbers");
    for (std::size_t c = 0; c < 3; ++c) tracks[c].keys.push_back({t, readNumber(child(at, c), value[c])});
}

// A plain value (one key at t = 0) or a keyframe list.
Track readTrack(const Where& where, const json& value, ValueReader readValue, const void* context = nullptr) {
    Track track;
    if (!value.is_array()) {
        track.keys.push_back({0.0, readValue(where, value, context)});
        return track;
    }
    const ScalarKey key{readValue, context};
    readKeyframes(where, value, readScalarKey, &track, &key);
    return track;
}

// Three numbers, each plain or keyframed, or one keyframe list whose values are three numbers.
Track3 readTrack3(const Where& where, const json& value) {
    Track3 tracks;
    if (isKeyframeList(value)) {
        readKeyframes(where, value, readTripleKey, tracks.data(), nullptr);
        return tracks;
    }
    if (!value.is_array() || value.size() != 3) {
        wrongType(where, value, "an array of 3 numbers or keyframe lists");
    }
    for (std::size_t c = 0; c < 3; ++c) tracks[c] = readTrack(child(where, c), value[c], numberValue);
    return tracks;
}

Track3 constant3(double x, double y, double z) {
    Track3 tracks;
    tracks[0].keys = {{0.0, x}};
    tracks[1].keys = {{0.0, y}};
    tracks[2].keys = {{0.0, z}};
    return tracks;
}

// An optional animated property: absent gives `fallback`, null gives "unreadable".
std::optional<Track3> readOptionalTrack3(const Where& parent, const json& object, const char* key,
                                         const Track3& fallback) {
    if (!object.contains(key)) return fallback;
    const json& value = object[key];
    if (value.is_null()) return std::nullopt;
    return readTrack3(child(parent, key), value);
}

std::optional<Track> readOptionalTrack(const Where& parent, const json& object, const char* key,
                                       double fallback) {
    if (!object.contains(key)) return Track{{{0.0, fallback}}};
    const json& value = object[key];
    if (value.is_null()) return std::nullopt;
    return readTrack(child(parent, key), value, numberValue);
}

// ---- composition and layer ---------------------------------------------------------------------

TimeBase timeBaseFor(const Where& where, double frameRate) {
    if (!(frameRate > 0.0)) fail(where, "expected a frame rate above 0");
    if (frameRate == 23.976) return {24000, 1001};
    if (frameRate == 29.97) return {30000, 1001};
    if (frameRate == 59.94) return {60000, 1001};
    if (frameRate != std::floor(frameRate)) {
        fail(where, "expected a whole number of frames per second or one of 23.976, 29.97, 59.94");
    }
    if (frameRate > kMaxFrameRate) {
        fail(where, "expected at most " + std::to_string(kMaxFrameRate) + " frames per second");
    }
    return {static_cast<std::uint32_t>(frameRate), 1};
}

Composition readComposition(const Where& where, const json& value) {
    requireObject(where, value);
    checkKeys(where, value, {"width", "height", "frameRate", "shutterAngle", "shutterPhase"});
    Composition comp;
    for (const char* key : {"width", "height"}) {
        if (!value.contains(key)) {
            fail(where, std::string("missing ") + key + " (the composition size in pixels is required)");
        }
    }
    comp.width = readInteger(child(where, "width"), value["width"], 1, kMaxPixels, "a width in pixels");
    comp.height = readInteger(child(where, "height"), value["height"], 1, kMaxPixels, "a height in pixels");
    if (value.contains("frameRate")) {
        comp.frameRate = readNumber(child(where, "frameRate"), value["frameRate"]);
    }
    comp.timeBase = timeBaseFor(child(where, "frameRate"), comp.frameRate);
    if (value.contains("shutterAngle")) {
        comp.shutterAngle = readNumber(child(where, "shutterAngle"), value["shutterAngle"]);
        if (!(comp.shutterAngle >= 0.0 && comp.shutterAngle <= kMaxShutterAngle)) {
            fail(child(where, "shutterAngle"), "expected a shutter angle from 0 to 720 degrees");
        }
    }
    if (value.contains("shutterPhase")) {
        comp.shutterPhase = readNumber(child(where, "shutterPhase"), value["shutterPhase"]);
        if (!(comp.shutterPhase >= -kMaxShutterPhase && comp.shutterPhase <= kMaxShutterPhase)) {
            fail(child(where, "shutterPhase"), "expected a shutter phase from -360 to 360 degrees");
        }
    }
    return comp;
}

void readLayerSize(const Where& where, const json& value, Scene& scene) {
    requireObject(where, value);
    checkKeys(where, value, {"width", "height", "motionBlur"});
    if (value.contains("motionBlur")) {
        scene.layerMotionBlur = readBool(child(where, "motionBlur"), value["motionBlur"]);
    }
    if (value.contains("width")) {
        scene.layerWidth =
            readInteger(child(where, "width"), value["width"], 1, kMaxPixels, "a width in pixels");
    }
    if (value.contains("height")) {
        scene.layerHeight =
            readInteger(child(where, "height"), value["height"], 1, kMaxPixels, "a height in pixels");
    }
}

// ---- camera ------------------------------------------------------------------------------------

Matrix4 readMatrix(const Where& where, const json& value) {
    if (!value.is_array() || value.size() != 4) wrongType(where, value, "4 rows of 4 numbers");
    Matrix4 m{};
    for (std::size_t r = 0; r < 4; ++r) {
        const Where row = child(where, r);
        if (!value[r].is_array() || value[r].size() != 4) wrongType(row, value[r], "a row of 4 numbers");
        for (std::size_t c = 0; c < 4; ++c) m[r][c] = readNumber(child(row, c), value[r][c]);
    }
    return m;
}

std::optional<Camera> readCamera(const Where& where, const json& value, const Composition& comp) {
    if (value.is_null()) return std::nullopt;
    requireObject(where, value);
    checkKeys(where, value, {"position", "pointOfInterest", "zoom", "matrix"});
    Camera camera;
    const double w = comp.width;
    const double h = comp.height;
    camera.zoom = readOptionalTrack(where, value, "zoom", w * 50.0 / 36.0);

    if (value.contains("matrix")) {
        if (value.contains("position") || value.contains("pointOfInterest")) {
            fail(where, "both a matrix and position/pointOfInterest given (expected one form)");
        }
        camera.form = CameraForm::Matrix;
        const json& matrix = value["matrix"];
        if (matrix.is_null()) {
            camera.matrixUnreadable = true;
        } else {
            camera.matrix = readMatrix(child(where, "matrix"), matrix);
        }
        return camera;
    }

    camera.form = CameraForm::LookAt;
    camera.pointOfInterest = readOptionalTrack3(where, value, "pointOfInterest", constant3(w / 2, h / 2, 0));
    Track3 defaultPosition = constant3(w / 2, h / 2, 0);
    if (camera.zoom) {
        defaultPosition[2] = *camera.zoom;
        for (Keyframe& key : defaultPosition[2].keys) key.v = -key.v;
    }
    camera.position = readOptionalTrack3(where, value, "position", defaultPosition);
    return camera;
}

// ---- layers ------------------------------------------------------------------------------------

struct NamedValue {
    const char* name;
    int value;
};

constexpr NamedValue kLayerTypes[] = {
    {"light", static_cast<int>(LayerType::Light)},     {"camera", static_cast<int>(LayerType::Camera)},
    {"null", static_cast<int>(LayerType::Null)},       {"solid", static_cast<int>(LayerType::Solid)},
    {"footage", static_cast<int>(LayerType::Footage)}, {"text", static_cast<int>(LayerType::Text)},
    {"shape", static_cast<int>(LayerType::Shape)},
};

constexpr NamedValue kLightTypes[] = {
    {"parallel", static_cast<int>(LightType::Parallel)},
    {"spot", static_cast<int>(LightType::Spot)},
    {"point", static_cast<int>(LightType::Point)},
    {"ambient", static_cast<int>(LightType::Ambient)},
    {"environment", static_cast<int>(LightType::Environment)},
};

template <std::size_t N>
int readName(const Where& where, const json& value, const NamedValue (&names)[N], const std::string& what) {
    std::string list;
    for (const NamedValue& n : names) list += (list.empty() ? "" : ", ") + jsonQuoted(n.name);
    if (!value.is_string()) wrongType(where, value, what + " (one of " + list + ")");
    const std::string text = value.get<std::string>();
    for (const NamedValue& n : names) {
        if (text == n.name) return n.value;
    }
    fail(where, "unknown " + what + " " + jsonQuoted(text) + " (expected one of " + list + ")");
}

// Reads one layer; the parent stays a name until every layer is known.
Layer readLayer(const Where& where, const json& value, std::optional<std::string>& parentName) {
    requireObject(where, value);
    checkKeys(where, value,
              {"name", "type", "lightType", "position", "color", "intensity", "shadowDarkness", "enabled",
               "inPoint", "outPoint", "parent"});
    Layer layer;
    if (value.contains("name")) {
        const json& name = value["name"];
        if (name.is_null())
            layer.name.reset();
        else
            layer.name = readString(child(where, "name"), name);
    }
    if (value.contains("type")) {
        layer.type =
            static_cast<LayerType>(readName(child(where, "type"), value["type"], kLayerTypes, "layer type"));
    }
    const bool light = layer.type == LayerType::Light;
    for (const char* key : {"lightType", "color", "intensity", "shadowDarkness"}) {
        if (!light && value.contains(key)) fail(child(where, key), "only light layers have this property");
    }
    if (value.contains("lightType")) {
        const json& type = value["lightType"];
        if (type.is_null())
            layer.lightType.reset();
        else
            layer.lightType =
                static_cast<LightType>(readName(child(where, "lightType"), type, kLightTypes, "light type"));
    }
    if (light) {
        layer.color = readOptionalTrack3(where, value, "color", constant3(1, 1, 1));
        layer.intensity = readOptionalTrack(where, value, "intensity", 100);
        layer.shadowDarkness = readOptionalTrack(where, value, "shadowDarkness", 100);
    }
    layer.position = readOptionalTrack3(where, value, "position", constant3(0, 0, 0));
    if (value.contains("enabled")) {
        const json& enabled = value["enabled"];
        if (enabled.is_null())
            layer.enabled.reset();
        else
            layer.enabled = readBool(child(where, "enabled"), enabled);
    }
    if (value.contains("inPoint")) layer.inPoint = readNumber(child(where, "inPoint"), value["inPoint"]);
    if (value.contains("outPoint")) layer.outPoint = readNumber(child(where, "outPoint"), value["outPoint"]);
    if (value.contains("parent") && !value["parent"].is_null()) {
        parentName = readString(child(where, "parent"), value["parent"]);
    }
    return layer;
}

std::vector<Layer> readLayers(const Where& where, const json& value) {
    if (!value.is_array()) wrongType(where, value, "an array of layers");
    if (value.size() > kMaxLayers) {
        fail(where, "expected at most " + std::to_string(kMaxLayers) + " layers, got " +
                        std::to_string(value.size()));
    }
    std::vector<Layer> layers;
    std::vector<std::optional<std::string>> parentNames(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        layers.push_back(readLayer(child(where, i), value[i], parentNames[i]));
    }
    // A parent is found by name: the topmost layer of that name.
    for (std::size_t i = 0; i < layers.size(); ++i) {
        if (!parentNames[i]) continue;
        for (std::size_t j = 0; j < layers.size(); ++j) {
            if (layers[j].name == parentNames[i]) {
                layers[i].parent = static_cast<int>(j);
                break;
            }
        }
        if (layers[i].parent < 0) {
            fail(child(child(where, i), "parent"), "unknown parent " + jsonQuoted(*parentNames[i]));
        }
    }
    // Following parents from any layer must end within layers.size() steps.
    for (std::size_t i = 0; i < layers.size(); ++i) {
        std::size_t steps = 0;
        for (int p = layers[i].parent; p >= 0; p = layers[p].parent) {
            if (++steps > layers.size()) {
                fail(child(child(where, i), "parent"),
                     "parent cycle through " + jsonQuoted(*parentNames[i]) + " (expected a chain that ends)");
            }
        }
    }
    return layers;
}

// ---- effect ------------------------------------------------------------------------------------

// "Average", "Add", ... for messages.
std::string choiceList(const ParamSpec& row) {
    std::string list;
    std::string_view rest = row.text != nullptr ? row.text : "";
    while (!rest.empty()) {
        const std::size_t bar = rest.find('|');
        list += (list.empty() ? "" : ", ") + jsonQuoted(std::string(rest.substr(0, bar)));
        if (bar == std::string_view::npos) break;
        rest.remove_prefix(bar + 1);
    }
    return list;
}

// A value in the units of the parameter's control, as the effect's own table describes it.
double effectValue(const Where& where, const json& value, const void* context) {
    const ParamSpec& row = *static_cast<const ParamSpec*>(context);
    switch (row.kind) {
    case ParamKind::Checkbox:
        return readBool(where, value) ? 1.0 : 0.0;
    case ParamKind::Popup: {
        const std::string list = choiceList(row);
        if (value.is_string()) {
            const std::string name = value.get<std::string>();
            const int index = popupChoiceIndex(row, name);
            if (index == 0)
                fail(where, "unknown choice " + jsonQuoted(name) + " (expected one of " + list + ")");
            return index;
        }
        if (!value.is_number()) {
            wrongType(where, value, "a 1-based choice index or one of " + list);
        }
        return readInteger(where, value, -2147483647LL - 1, 2147483647LL, "a 1-based choice index");
    }
    default:
        if (value.is_null()) fail(where, "null is not a value (expected a number)");
        return readNumber(where, value);
    }
}

void readEffectValue(const Where& where, const std::string& name, const json& value, Scene& scene) {
    const EffectKey* key = findEffectKey(name);
    if (key == nullptr) {
        std::string suggestion;
        for (std::string_view close : closeEffectKeys(name)) {
            suggestion += (suggestion.empty() ? " (did you mean " : " or ") + jsonQuoted(std::string(close));
        }
        fail(where, "unknown effect key " + jsonQuoted(name) +
                        (suggestion.empty() ? " (docs/scene-format.md lists the keys)" : suggestion + "?)"));
    }
    if (value.is_null()) fail(where, "null value for effect key " + jsonQuoted(name));
    scene.effect[key->index] = readTrack(where, value, effectValue, &paramSpec(key->index));
}

void readEffect(const Where& where, const json& value, Scene& scene) {
    requireObject(where, value);
    for (const auto& item : value.items()) {
        readEffectValue(child(where, item.key()), item.key(), item.value(), scene);
    }
}

// ---- render ------------------------------------------------------------------------------------

// Parses a decimal frame number without sign; -1 when the text is not one.
long long parseFrameNumber(const std::string& text) {
    if (text.empty() || text.size() > 9) return -1;
    long long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

void readFrames(const Where& where, const json& value, const TimeBase& timeBase, RenderSpec& render) {
    // current_time = frame * time_step must stay a signed 32-bit value.
    const long long maxFrame = 2147483647LL / timeBase.timeStep;
    const std::string expected =
        "expected a frame number or \"a-b\" with 0 <= a <= b <= " + std::to_string(maxFrame);
    long long first = -1;
    long long last = -1;
    if (value.is_number()) {
        const double v = value.get<double>();
        if (v == std::floor(v) && v >= 0 && v <= static_cast<double>(maxFrame))
            first = last = static_cast<long long>(v);
    } else if (value.is_string()) {
        const std::string text = value.get<std::string>();
        const std::size_t dash = text.find('-');
        if (dash == std::string::npos) {
            first = last = parseFrameNumber(text);
        } else {
            first = parseFrameNumber(text.substr(0, dash));
            last = parseFrameNumber(text.substr(dash + 1));
        }
    } else {
        wrongType(where, value, "a frame number or a string \"a-b\"");
    }
    if (first < 0 || last < first || last > maxFrame) fail(where, expected + ", got " + shown(value));
    if (last - first + 1 > kMaxFrames) {
        fail(where, "expected at most " + std::to_string(kMaxFrames) + " frames in one render, got " +
                        std::to_string(last - first + 1));
    }
    render.firstFrame = static_cast<std::int32_t>(first);
    render.lastFrame = static_cast<std::int32_t>(last);
}

// One member of "render"; `where` is the member's own place.
void readRenderMember(const Where& where, const std::string& key, const json& value, const TimeBase& timeBase,
                      RenderSpec& render) {
    if (key == "frames") {
        readFrames(where, value, timeBase, render);
    } else if (key == "depth") {
        const double depth = readNumber(where, value);
        if (depth != 8 && depth != 16 && depth != 32) {
            fail(where, "expected 8, 16 or 32 bits per channel, got " + shown(value));
        }
        render.depth = static_cast<int>(depth);
    } else if (key == "resolution") {
        constexpr NamedValue kResolutions[] = {{"full", 1}, {"half", 2}, {"third", 3}, {"quarter", 4}};
        render.downsample = readName(where, value, kResolutions, "resolution");
    } else {
        constexpr NamedValue kCommands[] = {{"smart", static_cast<int>(RenderCommand::Smart)},
                                            {"render", static_cast<int>(RenderCommand::Render)}};
        render.command = static_cast<RenderCommand>(readName(where, value, kCommands, "render command"));
    }
}

void readRender(const Where& where, const json& value, const TimeBase& timeBase, Scene& scene) {
    requireObject(where, value);
    checkKeys(where, value, {"frames", "depth", "resolution", "command"});
    for (const auto& item : value.items()) {
        readRenderMember(child(where, item.key()), item.key(), item.value(), timeBase, scene.render);
    }
}

// A command-line value reads like its JSON form; a bare word that is not JSON is a string.
json commandLineValue(const std::string& text) {
    try {
        return json::parse(text);
    } catch (const json::exception&) {
        return text;
    }
}

// ---- the whole file ----------------------------------------------------------------------------

Scene readScene(const Where& root, const json& value) {
    if (!value.is_object()) wrongType({root.source, "/"}, value, "a scene object");
    checkKeys(root, value, {"version", "composition", "layer", "camera", "layers", "effect", "render"});
    if (value.contains("version")) {
        const Where at = child(root, "version");
        if (!value["version"].is_number() || value["version"].get<double>() != 1.0) {
            fail(at, "expected 1 (the only scene file version), got " + shown(value["version"]));
        }
    }
    if (!value.contains("composition"))
        fail({root.source, "/"}, "missing composition (expected its width and height)");
    Scene scene;
    scene.composition = readComposition(child(root, "composition"), value["composition"]);
    scene.layerWidth = scene.composition.width;
    scene.layerHeight = scene.composition.height;
    if (value.contains("layer")) readLayerSize(child(root, "layer"), value["layer"], scene);
    if (static_cast<long long>(scene.layerWidth) * scene.layerHeight > kMaxLayerPixels) {
        fail(value.contains("layer") ? child(root, "layer") : child(root, "composition"),
             "the effect's layer may have at most " + std::to_string(kMaxLayerPixels) +
                 " pixels (8192 x 8192), got " + std::to_string(scene.layerWidth) + " x " +
                 std::to_string(scene.layerHeight));
    }
    if (value.contains("camera"))
        scene.camera = readCamera(child(root, "camera"), value["camera"], scene.composition);
    if (value.contains("layers")) scene.layers = readLayers(child(root, "layers"), value["layers"]);
    if (value.contains("effect")) readEffect(child(root, "effect"), value["effect"], scene);
    if (value.contains("render"))
        readRender(child(root, "render"), value["render"], scene.composition.timeBase, scene);
    return scene;
}

// nlohmann prefixes its messages with "[json.exception.parse_error.101] "; keep the rest.
std::string jsonReason(const std::exception& e) {
    std::string text = e.what();
    if (!text.empty() && text[0] == '[') {
        const std::size_t close = text.find("] ");
        if (close != std::string::npos) text.erase(0, close + 2);
    }
    return text;
}

} // namespace

Scene parseScene(const std::string& text, const std::string& sourceName) {
    json value;
    try {
        value = json::parse(text);
    } catch (const json::exception& e) {
        fail({&sourceName, ""}, "malformed JSON: " + jsonReason(e));
    }
    try {
        return readScene({&sourceName, ""}, value);
    } catch (const json::exception& e) {
        // Every access is checked first; this only guards against a reader slip.
        fail({&sourceName, ""}, "unreadable scene: " + jsonReason(e));
    }
}

Scene loadSceneFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        throw SceneError(printable(path) + ": cannot open the scene file: " + std::strerror(errno));
    }
    std::string text;
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    const int reason = std::ferror(file) != 0 ? errno : 0;
    std::fclose(file);
    // A folder opens on some systems and fails only when read.
    if (reason != 0)
        throw SceneError(printable(path) + ": cannot read the scene file: " + std::strerror(reason));
    return parseScene(text, path);
}

void applyEffectOverride(Scene& scene, const std::string& assignment) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0) {
        const std::string source = "--set " + assignment;
        fail({&source, ""}, "expected key=value");
    }
    const std::string key = assignment.substr(0, equals);
    const std::string text = assignment.substr(equals + 1);
    const std::string source = "--set " + key;
    readEffectValue({&source, ""}, key, commandLineValue(text), scene);
}

void applyRenderOverride(Scene& scene, const std::string& key, const std::string& value) {
    const std::string source = "--" + key;
    if (key != "frames" && key != "depth" && key != "resolution" && key != "command") {
        fail({&source, ""}, "not a render setting (expected frames, depth, resolution or command)");
    }
    readRenderMember({&source, ""}, key, commandLineValue(value), scene.composition.timeBase, scene.render);
}

} // namespace nebulastra::scenefile
