#pragma once
// The name test of the "Emitters" option: only lights whose timeline name starts with "cloud".

#include "host/host_types.h"
#include "hostio/suite_cache.h"

namespace nebulastra {

/// True when the layer's name begins with the five letters c, l, o, u, d, upper or lower case
/// (ASCII 'A'..'Z' folded only; no other case folding).
///
/// Without an AEGP plug-in ID (aegpPluginId 0) every layer passes, and so does a layer whose name
/// the host cannot give. A missing name handle, or one that cannot be locked, does not pass.
/// Every handle the host returns is freed, and every successful lock undone, on every path.
/// Throws the SuiteCache's HostError when the Layer or Memory suite is refused; it asks for
/// both before any handle exists, so a refusal never strands a handle.
bool lightNameMatches(SuiteCache& suites, AEGP_LayerH layer);

} // namespace nebulastra
