#pragma once
// Who this effect is, in one place. The PiPL resource, PluginDataEntryFunction, global setup and
// the About text are all built from these constants, so the host can never see two different
// stories about the effect's name, version or flags.
//
// This header is also compiled for the build machine by the PiPL writer (tools/pipl), so it
// depends on nothing but <cstdint>.

#include <cstdint>

namespace nebulastra {

constexpr const char kEffectName[] = "Nebulastra";      // display name, also the AEGP name
constexpr const char kMatchName[] = "Mirto_Nebulastra"; // stored in projects: never change
constexpr const char kCategory[] = "Generate";
constexpr const char kEntryPointName[] = "EffectMain"; // must equal the exported symbol
constexpr const char kDescription[] = "Volumetric 3D clouds driven by comp lights.";
// Shown by Windows Explorer (version resource) and the installer's Add/Remove Programs entry.
constexpr const char kVendor[] = "Mirto";
constexpr const char kCopyright[] = "Copyright © 2026 Mirto";

// Multi-character code 'eFKT' (first character in the most significant byte): an effect.
constexpr uint32_t kEffectKind = 0x65464B54u;

// Effect-interface level the effect is written against, and the host's reserved-info value.
constexpr int32_t kInterfaceVersionMajor = 13;
constexpr int32_t kInterfaceVersionMinor = 28;
constexpr int32_t kReservedInfo = 8;

// Our own version: 2.9.5, development stage, build 1. The build also reads these (and the name,
// description, vendor and copyright above) for the Windows version resource and the installer, so
// keep each a plain literal on one line.
constexpr uint32_t kVersionMajor = 2;
constexpr uint32_t kVersionMinor = 9;
constexpr uint32_t kVersionBugfix = 5;
constexpr uint32_t kVersionStage = 0; // PF_Stage_DEVELOP
constexpr uint32_t kVersionBuild = 1;

/// Packs a version the way the host unpacks out_data.my_version and the PiPL eVER property:
/// build in bits 0-8, stage 9-10, bug-fix 11-14, minor 15-18, the low three bits of the major
/// in 19-21 and the rest of the major in 26-29.
constexpr uint32_t packEffectVersion(uint32_t major, uint32_t minor, uint32_t bugfix, uint32_t stage,
                                     uint32_t build) {
    return (((major >> 3) & 0xFu) << 26) | ((major & 0x7u) << 19) | ((minor & 0xFu) << 15) |
           ((bugfix & 0xFu) << 11) | ((stage & 0x3u) << 9) | (build & 0x1FFu);
}

constexpr uint32_t kEffectVersion =
    packEffectVersion(kVersionMajor, kVersionMinor, kVersionBugfix, kVersionStage, kVersionBuild);
static_assert(kEffectVersion == 0x0014A801u, "2.9.5 develop build 1 packs to 0x0014A801");

// Global flags, written by global setup and repeated in the PiPL.
// out_flags: PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_I_USE_SHUTTER_ANGLE |
// PF_OutFlag_NON_PARAM_VARY (the picture follows the comp's lights and camera, not only the
// parameters, and with the layer's motion blur on it averages them over the open shutter, so the
// host must render again when the shutter angle changes).
constexpr int32_t kOutFlags = 0x02080004;
// out_flags2: PF_OutFlag2_SUPPORTS_THREADED_RENDERING | PF_OutFlag2_FLOAT_COLOR_AWARE |
// PF_OutFlag2_SUPPORTS_SMART_RENDER | PF_OutFlag2_I_USE_3D_LIGHTS | PF_OutFlag2_I_USE_3D_CAMERA.
// Threaded rendering lets a multi-frame-rendering host call EffectMain from several render
// threads at once. That is safe because the only state outliving a command is the plug-in id
// written at global setup; every frame's records live on its caller's stack, and the frame's own
// workers never call the host (docs/architecture.md, "Several frames at once").
constexpr int32_t kOutFlags2 = 0x08001406;

} // namespace nebulastra
