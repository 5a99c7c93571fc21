#include "scene/light_name.h"

#include "host/host_suites.h"
#include "hostio/plugin_id.h"

namespace nebulastra {
namespace {

constexpr A_UTF16Char kPrefix[5] = {u'c', u'l', u'o', u'u', u'd'};

// Compares the first five code units; stops at the first difference, so a shorter name ends at
// its terminating zero (which differs from every letter) and nothing beyond it is read.
bool startsWithCloud(const A_UTF16Char* name) {
    for (int i = 0; i < 5; ++i) {
        A_UTF16Char unit = name[i];
        if (unit == 0) {
            return false;
        }
        if (unit >= u'A' && unit <= u'Z') {
            unit = static_cast<A_UTF16Char>(unit + 32);
        }
        if (unit != kPrefix[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

bool lightNameMatches(SuiteCache& suites, AEGP_LayerH layer) {
    const AEGP_PluginID pluginId = aegpPluginId;
    if (pluginId == 0) {
        return true;
    }
    // Both suites are acquired before the host hands out any handle: the handles can only be
    // released through the memory suite, so a refusal after the name call would leak them.
    const AEGP_LayerSuite9* layerSuite = suites.layerSuite();
    const AEGP_MemorySuite1* memory = suites.memorySuite();

    AEGP_MemHandle layerName = nullptr;
    AEGP_MemHandle sourceName = nullptr;
    if (layerSuite->AEGP_GetLayerName(pluginId, layer, &layerName, &sourceName) != A_Err_NONE) {
        // A name the host cannot give counts as matching; a failed call hands out no handles.
        return true;
    }

    bool matches = false;
    if (layerName) {
        void* data = nullptr;
        const bool locked = memory->AEGP_LockMemHandle(layerName, &data) == A_Err_NONE;
        if (locked && data) {
            matches = startsWithCloud(static_cast<const A_UTF16Char*>(data));
        }
        // A lock the host refused has nothing to undo; one it granted is undone before the free.
        if (locked) {
            memory->AEGP_UnlockMemHandle(layerName);
        }
        memory->AEGP_FreeMemHandle(layerName);
    }
    if (sourceName) {
        memory->AEGP_FreeMemHandle(sourceName);
    }
    return matches;
}

} // namespace nebulastra
