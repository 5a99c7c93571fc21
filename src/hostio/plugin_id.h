#pragma once
// The one value the effect keeps between commands.

#include <cstdint>

namespace nebulastra {

/// The AEGP plug-in ID the host gave the effect at global setup (AEGP_PluginID). 0 until then,
/// and 0 for good when the host could not give one (Premiere Pro, no utility suite).
///
/// Written once, during PF_Cmd_GLOBAL_SETUP, before the host sends any render command; only
/// read afterwards (light-name lookups need it), so no synchronisation is required.
extern int32_t aegpPluginId;

} // namespace nebulastra
