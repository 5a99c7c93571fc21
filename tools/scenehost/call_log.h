// The scene host's record of everything the effect asked of it, in the order it asked: commands
// sent (function "EffectMain", arg = selector), interaction and render callbacks, basic-suite
// acquires and releases, and every suite function. Tests assert order and counts on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nebulastra::scenehost {

// One call the effect made (or one command the host sent).
// - function: the SDK name ("checkout_param", "AEGP_GetLayerObjectType", "AcquireSuite", ...).
// - arg: the call's subject: the command selector, the parameter index, the composition layer
//   index (-1 for the effect's own layer or when the call names no layer), the stream number for
//   AEGP_GetLayerStreamValue (layer in `layer`), the suite version for AcquireSuite/ReleaseSuite.
// - layer: the layer index for stream reads, -1 otherwise.
// - result: the error code the host returned.
// - text: the suite name (AcquireSuite/ReleaseSuite), the formatted text (sprintf), the copied text
//   (strcpy), the plug-in name (AEGP_RegisterWithAEGP); empty otherwise.
struct HostCall {
    std::string function;
    std::int32_t arg = -1;
    std::int32_t layer = -1;
    std::int32_t result = 0;
    std::string text;
};

class CallLog {
public:
    void add(HostCall call);
    void setResult(std::size_t position, std::int32_t result); // patch a call once it returned
    void clear();

    const std::vector<HostCall>& calls() const { return calls_; }
    std::size_t size() const { return calls_.size(); }

    // Number of calls of `function` (with this arg, when given).
    std::size_t count(std::string_view function) const;
    std::size_t count(std::string_view function, std::int32_t arg) const;

    // Position of the first / last call of `function` in the log, or -1.
    std::ptrdiff_t first(std::string_view function) const;
    std::ptrdiff_t last(std::string_view function) const;

    // The function names in order, for whole-sequence assertions.
    std::vector<std::string> functions() const;

    // One line per call, for failure messages.
    std::string dump() const;

private:
    std::vector<HostCall> calls_;
};

} // namespace nebulastra::scenehost
