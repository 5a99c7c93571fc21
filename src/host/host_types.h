// Basic types, small value records and numeric constants of the After Effects effect interface.
//
// These are our own declarations of the host's binary interface (Win64 layout). Every type is
// spelled with <cstdint> fixed-width integers so the same header gives the same layout on Win64
// (LLP64) and on 64-bit Linux (LP64), where the unit tests and the scene host run: `long` is never
// used because it is 32 bits on one and 64 bits on the other. Host names (PF_..., AEGP_..., A_...)
// are kept so code reads like every other After Effects effect.
//
// Four-character codes are written as hex constants. Two byte orders exist in this interface:
// "multi-character" codes (host ids, plug-in kind, basic-suite errors) put the first character in
// the most significant byte; pixel-format codes put it in the least significant byte.
//
// Layouts are verified by host_layout_checks.cpp, which is compiled into the core library.
#pragma once

#include <cstddef>
#include <cstdint>

// The host brackets its declarations in pack(8). Nothing here needs more than 8-byte alignment,
// so this equals natural layout; keeping the pragma protects against a project-wide packing
// option changing the layout of host-shared records.
#pragma pack(push, 8)

// ---- Scalar types -------------------------------------------------------------------------------

typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef char A_char;
typedef uint8_t A_u_char;
typedef uint8_t A_Boolean; // AEGP suites: unsigned byte.
typedef char PF_Boolean;   // PF records: plain char. Not interchangeable with A_Boolean.
typedef int32_t A_Err;
typedef int32_t PF_Err;
typedef int32_t SPErr;
typedef int32_t SPBoolean; // 4 bytes, unlike the other two booleans.
typedef double A_FpLong;
typedef double PF_FpLong;
typedef float A_FpShort;
typedef float PF_FpShort;
typedef int32_t A_Fixed; // 16.16 fixed point: 1.0 == 65536.
typedef int32_t PF_Fixed;
typedef uint32_t A_UFixed;
typedef uint32_t PF_UFixed;
typedef uint64_t A_HandleSize;
typedef uint64_t A_u_longlong;
typedef int64_t A_intptr_t;
typedef uint16_t A_UTF16Char; // UTF-16 code unit (wchar_t is 32-bit on Linux, so never used).
typedef void* A_Handle;

typedef int32_t PF_ParamValue;
typedef int32_t PF_ParamIndex;
typedef int32_t PF_Cmd;
typedef int32_t PF_Stage;
typedef int32_t PF_Quality;
typedef int32_t PF_Field;
typedef int32_t PF_ModeFlags;
typedef int32_t PF_ParamType;
typedef int32_t PF_ParamFlags;
typedef int32_t PF_ParamUIFlags;
typedef int32_t PF_ChangeFlags;
typedef int32_t PF_WorldFlags;
typedef int32_t PF_OutFlags;
typedef int32_t PF_OutFlags2;
typedef int32_t PF_InFlags;
typedef int32_t PF_ChannelMask;
typedef int32_t PF_GPU_Framework;
typedef int32_t PF_PixelFormat;
typedef int32_t PF_TransferMode;
typedef int16_t PF_ValueDisplayFlags;
typedef uint32_t PF_FSliderFlags;
typedef int16_t PF_RenderOutputFlags;
typedef uint32_t PF_PathID;
typedef int16_t PF_SoundChannels;
typedef int16_t PF_SoundFormat;
typedef int16_t PF_SoundSampleSize;

// Host-owned memory handles of the PF layer.
typedef void** PF_Handle;
typedef void** PF_ArbitraryH;

// The host's per-instance reference (in_data.effect_ref). Passed back on every callback.
struct PF_ProgressInfo;
typedef PF_ProgressInfo* PF_ProgPtr;

// Opaque pointer the host passes to PluginDataEntryFunction and expects back in its callback.
struct PF_PluginData;
typedef PF_PluginData* PF_PluginDataPtr;

// ---- AEGP scalar and handle types ---------------------------------------------------------------

typedef int32_t AEGP_PluginID;
typedef uint32_t AEGP_MemSize; // 32-bit in this interface version.
typedef int32_t AEGP_ObjectType;
typedef uint32_t AEGP_LightType; // unsigned: AEGP_LightType_NONE reads back as 0xFFFFFFFF.
typedef uint32_t AEGP_CameraType;
typedef int16_t AEGP_LTimeMode;
typedef int32_t AEGP_LayerStream;
typedef int32_t AEGP_StreamType;
typedef int32_t AEGP_MemFlag;
typedef int32_t AEGP_LayerFlags;
typedef int32_t AEGP_LayerIDVal;
typedef int32_t AEGP_MaskIDVal;
typedef int16_t AEGP_LayerQuality;
typedef int16_t AEGP_LayerSamplingQuality;
typedef char AEGP_LabelID;
typedef int32_t AEGP_TrackMatte;
typedef int32_t AEGP_MaskStream;
typedef int32_t AEGP_StreamFlags;
typedef int32_t AEGP_KeyInterpolationMask;
typedef uint32_t AEGP_GetPathTypes;
typedef double AEGP_OneDVal;
typedef double AEGP_FourDVal[4];

// Host object handles. Each points at its own incomplete type so they cannot be mixed up in our
// code; at the binary level they are all one pointer.
struct AEGP_LayerOpaque;
struct AEGP_CompOpaque;
struct AEGP_ItemOpaque;
struct AEGP_EffectRefOpaque;
struct AEGP_StreamRefOpaque;
struct AEGP_MaskRefOpaque;
struct AEGP_ProjectOpaque;
struct AEGP_FootageOpaque;
struct AEGP_TextDocumentOpaque;
struct AEGP_MaskOutlineValOpaque;
struct AEGP_MemHandleOpaque;
struct AEGP_MarkerValOpaque;
struct AEGP_GlobalRefconOpaque;
typedef AEGP_LayerOpaque** AEGP_LayerH;
typedef AEGP_CompOpaque** AEGP_CompH;
typedef AEGP_ItemOpaque** AEGP_ItemH;
typedef AEGP_EffectRefOpaque** AEGP_EffectRefH;
typedef AEGP_StreamRefOpaque** AEGP_StreamRefH;
typedef AEGP_MaskRefOpaque** AEGP_MaskRefH;
typedef AEGP_ProjectOpaque** AEGP_ProjectH;
typedef AEGP_FootageOpaque** AEGP_FootageH;
typedef AEGP_TextDocumentOpaque** AEGP_TextDocumentH;
typedef AEGP_MaskOutlineValOpaque** AEGP_MaskOutlineValH;
typedef AEGP_MemHandleOpaque** AEGP_MemHandle; // block owned by the host's memory suite
typedef AEGP_MarkerValOpaque* AEGP_MarkerValP;
typedef void* AEGP_ArbBlockVal;
typedef AEGP_GlobalRefconOpaque* AEGP_GlobalRefcon;

// ---- Small value records ------------------------------------------------------------------------

// Host time: value / scale seconds.
struct A_Time {
    A_long value;
    A_u_long scale;
};

struct A_Ratio {
    A_long num;
    A_u_long den;
};

struct A_FloatPoint3 {
    A_FpLong x, y, z;
};

// Row-major 4x4 matrix; row 3 holds the translation (mat[3][0..2]).
struct A_Matrix4 {
    A_FpLong mat[4][4];
};

struct A_LRect {
    A_long left, top, right, bottom;
};

// Colour as delivered by AEGP streams and palettes, channels normally 0..1.
struct AEGP_ColorVal {
    A_FpLong alphaF, redF, greenF, blueF;
};

struct A_Color {
    A_FpLong alpha, red, green, blue;
};

// Effect-interface version the host speaks (in_data.version).
struct PF_SpecVersion {
    A_short major;
    A_short minor;
};

struct PF_Point {
    A_long h;
    A_long v;
};

struct PF_LRect {
    A_long left, top, right, bottom;
};
typedef PF_LRect PF_Rect;
typedef PF_LRect PF_UnionableRect;

// Exact fraction used for downsampling factors and pixel aspect ratios.
struct PF_RationalScale {
    A_long num;
    A_u_long den;
};

struct PF_FixedPoint {
    PF_Fixed x;
    PF_Fixed y;
};

// Pixels: always alpha, red, green, blue in that order.
struct PF_Pixel {
    A_u_char alpha, red, green, blue;
};
typedef PF_Pixel PF_Pixel8;
typedef PF_Pixel PF_UnionablePixel;

struct PF_Pixel16 {
    A_u_short alpha, red, green, blue;
};

struct PF_PixelFloat {
    PF_FpShort alpha, red, green, blue;
};
typedef PF_PixelFloat PF_Pixel32;

struct PF_CompositeMode {
    PF_TransferMode xfer;
    A_long rand_seed;
    A_u_char opacity;
    PF_Boolean rgb_only;
    A_u_short opacitySu;
};

// ---- Stream values (AEGP Stream Suite) ----------------------------------------------------------

struct AEGP_TwoDVal {
    A_FpLong x, y;
};

struct AEGP_ThreeDVal {
    A_FpLong x, y, z;
};

// Plain value of a layer property; which member is valid follows the stream's AEGP_StreamType.
union AEGP_StreamVal2 {
    AEGP_FourDVal four_d;
    AEGP_ThreeDVal three_d;
    AEGP_TwoDVal two_d;
    AEGP_OneDVal one_d;
    AEGP_ColorVal color;
    AEGP_ArbBlockVal arbH;
    AEGP_MarkerValP markerP;
    AEGP_LayerIDVal layer_id;
    AEGP_MaskIDVal mask_id;
    AEGP_MaskOutlineValH mask;
    AEGP_TextDocumentH text_documentH;
};

// Stream value together with its stream, as produced by AEGP_GetNewStreamValue (must be disposed).
struct AEGP_StreamValue2 {
    AEGP_StreamRefH streamH;
    AEGP_StreamVal2 val;
};

// ---- Command selectors (PF_Cmd) -----------------------------------------------------------------

constexpr PF_Cmd PF_Cmd_ABOUT = 0;
constexpr PF_Cmd PF_Cmd_GLOBAL_SETUP = 1;
constexpr PF_Cmd PF_Cmd_UNUSED_0 = 2;
constexpr PF_Cmd PF_Cmd_GLOBAL_SETDOWN = 3;
constexpr PF_Cmd PF_Cmd_PARAMS_SETUP = 4;
constexpr PF_Cmd PF_Cmd_SEQUENCE_SETUP = 5;
constexpr PF_Cmd PF_Cmd_SEQUENCE_RESETUP = 6;
constexpr PF_Cmd PF_Cmd_SEQUENCE_FLATTEN = 7;
constexpr PF_Cmd PF_Cmd_SEQUENCE_SETDOWN = 8;
constexpr PF_Cmd PF_Cmd_DO_DIALOG = 9;
constexpr PF_Cmd PF_Cmd_FRAME_SETUP = 10;
constexpr PF_Cmd PF_Cmd_RENDER = 11;
constexpr PF_Cmd PF_Cmd_FRAME_SETDOWN = 12;
constexpr PF_Cmd PF_Cmd_USER_CHANGED_PARAM = 13;
constexpr PF_Cmd PF_Cmd_UPDATE_PARAMS_UI = 14;
constexpr PF_Cmd PF_Cmd_EVENT = 15;
constexpr PF_Cmd PF_Cmd_GET_EXTERNAL_DEPENDENCIES = 16;
constexpr PF_Cmd PF_Cmd_COMPLETELY_GENERAL = 17;
constexpr PF_Cmd PF_Cmd_QUERY_DYNAMIC_FLAGS = 18;
constexpr PF_Cmd PF_Cmd_AUDIO_RENDER = 19;
constexpr PF_Cmd PF_Cmd_AUDIO_SETUP = 20;
constexpr PF_Cmd PF_Cmd_AUDIO_SETDOWN = 21;
constexpr PF_Cmd PF_Cmd_ARBITRARY_CALLBACK = 22;
constexpr PF_Cmd PF_Cmd_SMART_PRE_RENDER = 23;
constexpr PF_Cmd PF_Cmd_SMART_RENDER = 24;
constexpr PF_Cmd PF_Cmd_RESERVED1 = 25;
constexpr PF_Cmd PF_Cmd_RESERVED2 = 26;
constexpr PF_Cmd PF_Cmd_RESERVED3 = 27;
constexpr PF_Cmd PF_Cmd_GET_FLATTENED_SEQUENCE_DATA = 28;
constexpr PF_Cmd PF_Cmd_TRANSLATE_PARAMS_TO_PREFS = 29;
constexpr PF_Cmd PF_Cmd_RESERVED4 = 30;
constexpr PF_Cmd PF_Cmd_SMART_RENDER_GPU = 31;
constexpr PF_Cmd PF_Cmd_GPU_DEVICE_SETUP = 32;
constexpr PF_Cmd PF_Cmd_GPU_DEVICE_SETDOWN = 33;
constexpr PF_Cmd PF_Cmd_NUM_CMDS = 34; // count marker, never sent

// ---- Error codes --------------------------------------------------------------------------------

constexpr PF_Err PF_Err_NONE = 0;
constexpr PF_Err PF_Err_OUT_OF_MEMORY = 4;
constexpr PF_Err PF_FIRST_ERR = 512;
constexpr PF_Err PF_Err_INTERNAL_STRUCT_DAMAGED = 512;
constexpr PF_Err PF_Err_INVALID_INDEX = 513;
constexpr PF_Err PF_Err_UNRECOGNIZED_PARAM_TYPE = 514;
constexpr PF_Err PF_Err_INVALID_CALLBACK = 515;
constexpr PF_Err PF_Err_BAD_CALLBACK_PARAM = 516;
constexpr PF_Err PF_Interrupt_CANCEL = 517;
constexpr PF_Err PF_Err_CANNOT_PARSE_KEYFRAME_TEXT = 518;

constexpr A_Err A_Err_NONE = 0;
constexpr A_Err A_Err_GENERIC = 1;
constexpr A_Err A_Err_STRUCT = 2;
constexpr A_Err A_Err_PARAMETER = 3;
constexpr A_Err A_Err_ALLOC = 4;
constexpr A_Err A_Err_WRONG_THREAD = 5;
constexpr A_Err A_Err_CONST_PROJECT_MODIFICATION = 6;
constexpr A_Err A_Err_MISSING_SUITE = 13;
constexpr A_Err A_Err_NOT_IN_CACHE_OR_COMPUTE_PENDING = 22;
constexpr A_Err A_Err_PROJECT_LOAD_FATAL = 23;
constexpr A_Err A_Err_EFFECT_APPLY_FATAL = 24;

// Basic-suite results. Callers must treat any non-zero result (or a null suite) as failure; the
// named codes exist so a host double can answer like the real one.
constexpr SPErr kSPNoError = 0;
constexpr SPErr kSPSuiteNotFoundError = 0x53214664; // 'S!Fd'
constexpr SPErr kSPBadParameterError = 0x5061726D;  // 'Parm'
constexpr SPErr kSPUnimplementedError = 0x21494D50; // '!IMP'

// ---- Parameter types (PF_ParamDef.param_type) ---------------------------------------------------

constexpr PF_ParamType PF_Param_RESERVED = -1;
constexpr PF_ParamType PF_Param_LAYER = 0;
constexpr PF_ParamType PF_Param_SLIDER = 1;
constexpr PF_ParamType PF_Param_FIX_SLIDER = 2;
constexpr PF_ParamType PF_Param_ANGLE = 3;
constexpr PF_ParamType PF_Param_CHECKBOX = 4;
constexpr PF_ParamType PF_Param_COLOR = 5;
constexpr PF_ParamType PF_Param_POINT = 6;
constexpr PF_ParamType PF_Param_POPUP = 7;
constexpr PF_ParamType PF_Param_CUSTOM = 8;
constexpr PF_ParamType PF_Param_NO_DATA = 9;
constexpr PF_ParamType PF_Param_FLOAT_SLIDER = 10;
constexpr PF_ParamType PF_Param_ARBITRARY_DATA = 11;
constexpr PF_ParamType PF_Param_PATH = 12;
constexpr PF_ParamType PF_Param_GROUP_START = 13;
constexpr PF_ParamType PF_Param_GROUP_END = 14;
constexpr PF_ParamType PF_Param_BUTTON = 15;
constexpr PF_ParamType PF_Param_RESERVED2 = 16;
constexpr PF_ParamType PF_Param_RESERVED3 = 17;
constexpr PF_ParamType PF_Param_POINT_3D = 18;

// ---- Parameter flags ----------------------------------------------------------------------------

constexpr PF_ParamFlags PF_ParamFlag_RESERVED1 = 0x1;
constexpr PF_ParamFlags PF_ParamFlag_CANNOT_TIME_VARY = 0x2;
constexpr PF_ParamFlags PF_ParamFlag_CANNOT_INTERP = 0x4;
constexpr PF_ParamFlags PF_ParamFlag_COLLAPSE_TWIRLY = 0x20;
constexpr PF_ParamFlags PF_ParamFlag_SUPERVISE = 0x40;
constexpr PF_ParamFlags PF_ParamFlag_START_COLLAPSED = 0x20; // same bit as COLLAPSE_TWIRLY
constexpr PF_ParamFlags PF_ParamFlag_USE_VALUE_FOR_OLD_PROJECTS = 0x80;
constexpr PF_ParamFlags PF_ParamFlag_EXCLUDE_FROM_HAVE_INPUTS_CHANGED = 0x100;
constexpr PF_ParamFlags PF_ParamFlag_SKIP_REVEAL_WHEN_UNHIDDEN = 0x200;

constexpr PF_ParamUIFlags PF_PUI_NONE = 0x0;
constexpr PF_ParamUIFlags PF_PUI_TOPIC = 0x1;
constexpr PF_ParamUIFlags PF_PUI_CONTROL = 0x2;
constexpr PF_ParamUIFlags PF_PUI_STD_CONTROL_ONLY = 0x4;
constexpr PF_ParamUIFlags PF_PUI_NO_ECW_UI = 0x8;
constexpr PF_ParamUIFlags PF_PUI_ECW_SEPARATOR = 0x10;
constexpr PF_ParamUIFlags PF_PUI_DISABLED = 0x20;
constexpr PF_ParamUIFlags PF_PUI_DONT_ERASE_TOPIC = 0x40;
constexpr PF_ParamUIFlags PF_PUI_DONT_ERASE_CONTROL = 0x80;
constexpr PF_ParamUIFlags PF_PUI_RADIO_BUTTON = 0x100;
constexpr PF_ParamUIFlags PF_PUI_INVISIBLE = 0x200;

constexpr PF_ValueDisplayFlags PF_ValueDisplayFlag_NONE = 0x0;
constexpr PF_ValueDisplayFlags PF_ValueDisplayFlag_PERCENT = 0x1;
constexpr PF_ValueDisplayFlags PF_ValueDisplayFlag_PIXEL = 0x2;
constexpr PF_ValueDisplayFlags PF_ValueDisplayFlag_RESERVED1 = 0x4;
constexpr PF_ValueDisplayFlags PF_ValueDisplayFlag_REVERSE = 0x8;

constexpr PF_FSliderFlags PF_FSliderFlag_NONE = 0;
constexpr PF_FSliderFlags PF_FSliderFlag_WANT_PHASE = 1; // audio effects only

constexpr PF_ChangeFlags PF_ChangeFlag_NONE = 0;
constexpr PF_ChangeFlags PF_ChangeFlag_CHANGED_VALUE = 1;
constexpr PF_ChangeFlags PF_ChangeFlag_RESERVED = 2;
constexpr PF_ChangeFlags PF_ChangeFlag_SET_TO_VARY = 4;
constexpr PF_ChangeFlags PF_ChangeFlag_SET_TO_CONSTANT = 8;

// ---- Version packing ----------------------------------------------------------------------------

constexpr PF_Stage PF_Stage_DEVELOP = 0;
constexpr PF_Stage PF_Stage_ALPHA = 1;
constexpr PF_Stage PF_Stage_BETA = 2;
constexpr PF_Stage PF_Stage_RELEASE = 3;

// Packs an effect version the way the host unpacks out_data.my_version and the PiPL eVER value.
// Majors above 7 spill their high bits into bits 26-29.
constexpr uint32_t PF_VERSION(uint32_t major, uint32_t minor, uint32_t bugfix, uint32_t stage,
                              uint32_t build) {
    return (((major >> 3) & 0xFu) << 26) | ((major & 0x7u) << 19) | ((minor & 0xFu) << 15) |
           ((bugfix & 0xFu) << 11) | ((stage & 0x3u) << 9) | (build & 0x1FFu);
}

// Effect-interface level this effect is written against (13.28), and the reserved-info value the
// host expects at registration.
constexpr A_long PF_AE_PLUG_IN_VERSION = 13;
constexpr A_long PF_AE_PLUG_IN_SUBVERS = 28;
constexpr A_long PF_PLUG_IN_VERSION = 13;
constexpr A_long PF_PLUG_IN_SUBVERS = 28;
constexpr A_long AE_RESERVED_INFO = 8;

// ---- Output / input flags -----------------------------------------------------------------------

constexpr PF_OutFlags PF_OutFlag_NONE = 0;
constexpr PF_OutFlags PF_OutFlag_KEEP_RESOURCE_OPEN = 0x00000001;
constexpr PF_OutFlags PF_OutFlag_WIDE_TIME_INPUT = 0x00000002;
constexpr PF_OutFlags PF_OutFlag_NON_PARAM_VARY = 0x00000004;
constexpr PF_OutFlags PF_OutFlag_RESERVED6 = 0x00000008;
constexpr PF_OutFlags PF_OutFlag_SEQUENCE_DATA_NEEDS_FLATTENING = 0x00000010;
constexpr PF_OutFlags PF_OutFlag_I_DO_DIALOG = 0x00000020;
constexpr PF_OutFlags PF_OutFlag_USE_OUTPUT_EXTENT = 0x00000040;
constexpr PF_OutFlags PF_OutFlag_SEND_DO_DIALOG = 0x00000080;
constexpr PF_OutFlags PF_OutFlag_DISPLAY_ERROR_MESSAGE = 0x00000100;
constexpr PF_OutFlags PF_OutFlag_I_EXPAND_BUFFER = 0x00000200;
constexpr PF_OutFlags PF_OutFlag_PIX_INDEPENDENT = 0x00000400;
constexpr PF_OutFlags PF_OutFlag_I_WRITE_INPUT_BUFFER = 0x00000800;
constexpr PF_OutFlags PF_OutFlag_I_SHRINK_BUFFER = 0x00001000;
constexpr PF_OutFlags PF_OutFlag_WORKS_IN_PLACE = 0x00002000;
constexpr PF_OutFlags PF_OutFlag_RESERVED8 = 0x00004000;
constexpr PF_OutFlags PF_OutFlag_CUSTOM_UI = 0x00008000;
constexpr PF_OutFlags PF_OutFlag_RESERVED7 = 0x00010000;
constexpr PF_OutFlags PF_OutFlag_REFRESH_UI = 0x00020000;
constexpr PF_OutFlags PF_OutFlag_NOP_RENDER = 0x00040000;
constexpr PF_OutFlags PF_OutFlag_I_USE_SHUTTER_ANGLE = 0x00080000;
constexpr PF_OutFlags PF_OutFlag_I_USE_AUDIO = 0x00100000;
constexpr PF_OutFlags PF_OutFlag_I_AM_OBSOLETE = 0x00200000;
constexpr PF_OutFlags PF_OutFlag_FORCE_RERENDER = 0x00400000;
constexpr PF_OutFlags PF_OutFlag_PiPL_OVERRIDES_OUTDATA_OUTFLAGS = 0x00800000;
constexpr PF_OutFlags PF_OutFlag_I_HAVE_EXTERNAL_DEPENDENCIES = 0x01000000;
constexpr PF_OutFlags PF_OutFlag_DEEP_COLOR_AWARE = 0x02000000;
constexpr PF_OutFlags PF_OutFlag_SEND_UPDATE_PARAMS_UI = 0x04000000;
constexpr PF_OutFlags PF_OutFlag_AUDIO_FLOAT_ONLY = 0x08000000;
constexpr PF_OutFlags PF_OutFlag_AUDIO_IIR = 0x10000000;
constexpr PF_OutFlags PF_OutFlag_I_SYNTHESIZE_AUDIO = 0x20000000;
constexpr PF_OutFlags PF_OutFlag_AUDIO_EFFECT_TOO = 0x40000000;
// Bit 31. Written as INT32_MIN so the value is the same negative int32 on every target (a
// `1L << 31` spelling is negative on Win64 but positive on LP64).
constexpr PF_OutFlags PF_OutFlag_AUDIO_EFFECT_ONLY = INT32_MIN;

constexpr PF_OutFlags2 PF_OutFlag2_NONE = 0;
constexpr PF_OutFlags2 PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS = 0x00000001;
constexpr PF_OutFlags2 PF_OutFlag2_I_USE_3D_CAMERA = 0x00000002;
constexpr PF_OutFlags2 PF_OutFlag2_I_USE_3D_LIGHTS = 0x00000004;
constexpr PF_OutFlags2 PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG = 0x00000008;
constexpr PF_OutFlags2 PF_OutFlag2_I_AM_THREADSAFE = 0x00000010;
constexpr PF_OutFlags2 PF_OutFlag2_CAN_COMBINE_WITH_DESTINATION = 0x00000020;
constexpr PF_OutFlags2 PF_OutFlag2_DOESNT_NEED_EMPTY_PIXELS = 0x00000040;
constexpr PF_OutFlags2 PF_OutFlag2_REVEALS_ZERO_ALPHA = 0x00000080;
constexpr PF_OutFlags2 PF_OutFlag2_PRESERVES_FULLY_OPAQUE_PIXELS = 0x00000100;
// Bit 9 is unassigned.
constexpr PF_OutFlags2 PF_OutFlag2_SUPPORTS_SMART_RENDER = 0x00000400;
constexpr PF_OutFlags2 PF_OutFlag2_RESERVED9 = 0x00000800;
constexpr PF_OutFlags2 PF_OutFlag2_FLOAT_COLOR_AWARE = 0x00001000;
constexpr PF_OutFlags2 PF_OutFlag2_I_USE_COLORSPACE_ENUMERATION = 0x00002000;
constexpr PF_OutFlags2 PF_OutFlag2_I_AM_DEPRECATED = 0x00004000;
constexpr PF_OutFlags2 PF_OutFlag2_PPRO_DO_NOT_CLONE_SEQUENCE_DATA_FOR_RENDER = 0x00008000;
constexpr PF_OutFlags2 PF_OutFlag2_RESERVED10 = 0x00010000;
constexpr PF_OutFlags2 PF_OutFlag2_AUTOMATIC_WIDE_TIME_INPUT = 0x00020000;
constexpr PF_OutFlags2 PF_OutFlag2_I_USE_TIMECODE = 0x00040000;
constexpr PF_OutFlags2 PF_OutFlag2_DEPENDS_ON_UNREFERENCED_MASKS = 0x00080000;
constexpr PF_OutFlags2 PF_OutFlag2_OUTPUT_IS_WATERMARKED = 0x00100000;
constexpr PF_OutFlags2 PF_OutFlag2_I_MIX_GUID_DEPENDENCIES = 0x00200000;
constexpr PF_OutFlags2 PF_OutFlag2_AE13_5_THREADSAFE = 0x00400000;
constexpr PF_OutFlags2 PF_OutFlag2_SUPPORTS_GET_FLATTENED_SEQUENCE_DATA = 0x00800000;
constexpr PF_OutFlags2 PF_OutFlag2_CUSTOM_UI_ASYNC_MANAGER = 0x01000000;
constexpr PF_OutFlags2 PF_OutFlag2_SUPPORTS_GPU_RENDER_F32 = 0x02000000;
constexpr PF_OutFlags2 PF_OutFlag2_RESERVED12 = 0x04000000;
constexpr PF_OutFlags2 PF_OutFlag2_SUPPORTS_THREADED_RENDERING = 0x08000000;
constexpr PF_OutFlags2 PF_OutFlag2_MUTABLE_RENDER_SEQUENCE_DATA_SLOWER = 0x10000000;

constexpr PF_InFlags PF_InFlag_NONE = 0;
constexpr PF_InFlags PF_InFlag_PROJECT_IS_RENDER_ONLY = 1;

// ---- Pixel formats and channel ranges -----------------------------------------------------------

// First character in the least significant byte, so the memory bytes spell the code.
constexpr PF_PixelFormat PF_PixelFormat_ARGB32 = 0x62677261;      // "argb", 8-bit PF_Pixel8
constexpr PF_PixelFormat PF_PixelFormat_ARGB64 = 0x36316561;      // "ae16", 16-bit PF_Pixel16
constexpr PF_PixelFormat PF_PixelFormat_ARGB128 = 0x32336561;     // "ae32", float PF_PixelFloat
constexpr PF_PixelFormat PF_PixelFormat_INVALID = 0x66646162;     // "badf"
constexpr PF_PixelFormat PF_PixelFormat_BGRA32 = 0x61726762;      // "bgra", Premiere only
constexpr PF_PixelFormat PF_PixelFormat_VUYA32 = 0x61797576;      // "vuya", Premiere only
constexpr PF_PixelFormat PF_PixelFormat_GPU_BGRA128 = 0x41444340; // "@CDA", GPU frames

constexpr A_long PF_MAX_CHAN8 = 255;
constexpr A_long PF_HALF_CHAN8 = 128;
constexpr A_long PF_MAX_CHAN16 = 32768; // 16-bit full scale is 2^15, not 65535
constexpr A_long PF_HALF_CHAN16 = 16384;

// ---- Other PF enumerations ----------------------------------------------------------------------

constexpr PF_Quality PF_Quality_DRAWING_AUDIO = -1;
constexpr PF_Quality PF_Quality_LO = 0;
constexpr PF_Quality PF_Quality_HI = 1;

constexpr PF_Field PF_Field_FRAME = 0;
constexpr PF_Field PF_Field_UPPER = 1;
constexpr PF_Field PF_Field_LOWER = 2;

constexpr PF_ModeFlags PF_MF_Alpha_PREMUL = 0;
constexpr PF_ModeFlags PF_MF_Alpha_STRAIGHT = 1;

constexpr PF_WorldFlags PF_WorldFlag_DEEP = 0x1; // 16 bits per channel
constexpr PF_WorldFlags PF_WorldFlag_WRITEABLE = 0x2;

constexpr PF_ChannelMask PF_ChannelMask_ALPHA = 0x1;
constexpr PF_ChannelMask PF_ChannelMask_RED = 0x2;
constexpr PF_ChannelMask PF_ChannelMask_GREEN = 0x4;
constexpr PF_ChannelMask PF_ChannelMask_BLUE = 0x8;
constexpr PF_ChannelMask PF_ChannelMask_ARGB = 0xF;

constexpr PF_RenderOutputFlags PF_RenderOutputFlag_RETURNS_EXTRA_PIXELS = 0x1;
constexpr PF_RenderOutputFlags PF_RenderOutputFlag_GPU_RENDER_POSSIBLE = 0x2;
constexpr PF_RenderOutputFlags PF_RenderOutputFlag_RESERVED1 = 0x4;

constexpr PF_GPU_Framework PF_GPU_Framework_NONE = 0;
constexpr PF_GPU_Framework PF_GPU_Framework_OPENCL = 1;
constexpr PF_GPU_Framework PF_GPU_Framework_METAL = 2;
constexpr PF_GPU_Framework PF_GPU_Framework_CUDA = 3;

// PF_LayerDef.dephault of a layer parameter.
constexpr A_long PF_LayerDefault_MYSELF = -1;
constexpr A_long PF_LayerDefault_NONE = 0;

// ---- AEGP enumerations --------------------------------------------------------------------------

constexpr AEGP_ObjectType AEGP_ObjectType_NONE = -1;
constexpr AEGP_ObjectType AEGP_ObjectType_AV = 0;
constexpr AEGP_ObjectType AEGP_ObjectType_LIGHT = 1;
constexpr AEGP_ObjectType AEGP_ObjectType_CAMERA = 2;
constexpr AEGP_ObjectType AEGP_ObjectType_TEXT = 3;
constexpr AEGP_ObjectType AEGP_ObjectType_VECTOR = 4;
constexpr AEGP_ObjectType AEGP_ObjectType_RESERVED1 = 5;
constexpr AEGP_ObjectType AEGP_ObjectType_RESERVED2 = 6;
constexpr AEGP_ObjectType AEGP_ObjectType_RESERVED3 = 7;
constexpr AEGP_ObjectType AEGP_ObjectType_RESERVED4 = 8;
constexpr AEGP_ObjectType AEGP_ObjectType_RESERVED5 = 9;
constexpr AEGP_ObjectType AEGP_ObjectType_RESERVED6 = 10;
constexpr AEGP_ObjectType AEGP_ObjectType_NUM_TYPES = 11; // count marker

constexpr AEGP_LightType AEGP_LightType_NONE = 0xFFFFFFFFu; // -1 in the host's enumeration
constexpr AEGP_LightType AEGP_LightType_PARALLEL = 0;
constexpr AEGP_LightType AEGP_LightType_SPOT = 1;
constexpr AEGP_LightType AEGP_LightType_POINT = 2;
constexpr AEGP_LightType AEGP_LightType_AMBIENT = 3;
constexpr AEGP_LightType AEGP_LightType_RESERVED1 = 4;
// Value 4 is the environment light of newer hosts; the 13.28 headers still call it RESERVED1.
constexpr AEGP_LightType AEGP_LightType_ENVIRONMENT = 4;
constexpr AEGP_LightType AEGP_LightType_NUM_TYPES = 5; // count marker

constexpr AEGP_LTimeMode AEGP_LTimeMode_LayerTime = 0;
constexpr AEGP_LTimeMode AEGP_LTimeMode_CompTime = 1;

// Stream numbers are saved in projects: the host only ever appends new ones.
constexpr AEGP_LayerStream AEGP_LayerStream_NONE = -1;
constexpr AEGP_LayerStream AEGP_LayerStream_ANCHORPOINT = 0;
constexpr AEGP_LayerStream AEGP_LayerStream_POSITION = 1;
constexpr AEGP_LayerStream AEGP_LayerStream_SCALE = 2;
constexpr AEGP_LayerStream AEGP_LayerStream_ROTATION = 3;
constexpr AEGP_LayerStream AEGP_LayerStream_ROTATE_Z = 3;
constexpr AEGP_LayerStream AEGP_LayerStream_OPACITY = 4;
constexpr AEGP_LayerStream AEGP_LayerStream_AUDIO = 5;
constexpr AEGP_LayerStream AEGP_LayerStream_MARKER = 6;
constexpr AEGP_LayerStream AEGP_LayerStream_TIME_REMAP = 7;
constexpr AEGP_LayerStream AEGP_LayerStream_ROTATE_X = 8;
constexpr AEGP_LayerStream AEGP_LayerStream_ROTATE_Y = 9;
constexpr AEGP_LayerStream AEGP_LayerStream_ORIENTATION = 10;
constexpr AEGP_LayerStream AEGP_LayerStream_ZOOM = 11;
constexpr AEGP_LayerStream AEGP_LayerStream_DEPTH_OF_FIELD = 12;
constexpr AEGP_LayerStream AEGP_LayerStream_FOCUS_DISTANCE = 13;
constexpr AEGP_LayerStream AEGP_LayerStream_APERTURE = 14;
constexpr AEGP_LayerStream AEGP_LayerStream_BLUR_LEVEL = 15;
constexpr AEGP_LayerStream AEGP_LayerStream_INTENSITY = 16;
constexpr AEGP_LayerStream AEGP_LayerStream_COLOR = 17;
constexpr AEGP_LayerStream AEGP_LayerStream_CONE_ANGLE = 18;
constexpr AEGP_LayerStream AEGP_LayerStream_CONE_FEATHER = 19;
constexpr AEGP_LayerStream AEGP_LayerStream_SHADOW_DARKNESS = 20;
constexpr AEGP_LayerStream AEGP_LayerStream_SHADOW_DIFFUSION = 21;
constexpr AEGP_LayerStream AEGP_LayerStream_ACCEPTS_SHADOWS = 22;
constexpr AEGP_LayerStream AEGP_LayerStream_ACCEPTS_LIGHTS = 23;
constexpr AEGP_LayerStream AEGP_LayerStream_AMBIENT_COEFF = 24;
constexpr AEGP_LayerStream AEGP_LayerStream_DIFFUSE_COEFF = 25;
constexpr AEGP_LayerStream AEGP_LayerStream_SPECULAR_INTENSITY = 26;
constexpr AEGP_LayerStream AEGP_LayerStream_SPECULAR_SHININESS = 27;
constexpr AEGP_LayerStream AEGP_LayerStream_CASTS_SHADOWS = 28;
constexpr AEGP_LayerStream AEGP_LayerStream_LIGHT_TRANSMISSION = 29;
constexpr AEGP_LayerStream AEGP_LayerStream_METAL = 30;
constexpr AEGP_LayerStream AEGP_LayerStream_SOURCE_TEXT = 31;
constexpr AEGP_LayerStream AEGP_LayerStream_IRIS_SHAPE = 32;
constexpr AEGP_LayerStream AEGP_LayerStream_IRIS_ROTATION = 33;
constexpr AEGP_LayerStream AEGP_LayerStream_IRIS_ROUNDNESS = 34;
constexpr AEGP_LayerStream AEGP_LayerStream_IRIS_ASPECT_RATIO = 35;
constexpr AEGP_LayerStream AEGP_LayerStream_IRIS_DIFFRACTION_FRINGE = 36;
constexpr AEGP_LayerStream AEGP_LayerStream_IRIS_HIGHLIGHT_GAIN = 37;
constexpr AEGP_LayerStream AEGP_LayerStream_IRIS_HIGHLIGHT_THRESHOLD = 38;
constexpr AEGP_LayerStream AEGP_LayerStream_IRIS_HIGHLIGHT_SATURATION = 39;
constexpr AEGP_LayerStream AEGP_LayerStream_LIGHT_FALLOFF_TYPE = 40;
constexpr AEGP_LayerStream AEGP_LayerStream_LIGHT_FALLOFF_START = 41;
constexpr AEGP_LayerStream AEGP_LayerStream_LIGHT_FALLOFF_DISTANCE = 42;
constexpr AEGP_LayerStream AEGP_LayerStream_REFLECTION_INTENSITY = 43;
constexpr AEGP_LayerStream AEGP_LayerStream_REFLECTION_SHARPNESS = 44;
constexpr AEGP_LayerStream AEGP_LayerStream_REFLECTION_ROLLOFF = 45;
constexpr AEGP_LayerStream AEGP_LayerStream_TRANSPARENCY_COEFF = 46;
constexpr AEGP_LayerStream AEGP_LayerStream_TRANSPARENCY_ROLLOFF = 47;
constexpr AEGP_LayerStream AEGP_LayerStream_INDEX_OF_REFRACTION = 48;
constexpr AEGP_LayerStream AEGP_LayerStream_EXTRUSION_BEVEL_STYLE = 49;
constexpr AEGP_LayerStream AEGP_LayerStream_EXTRUSION_BEVEL_DIRECTION = 50;
constexpr AEGP_LayerStream AEGP_LayerStream_EXTRUSION_BEVEL_DEPTH = 51;
constexpr AEGP_LayerStream AEGP_LayerStream_EXTRUSION_HOLE_BEVEL_DEPTH = 52;
constexpr AEGP_LayerStream AEGP_LayerStream_EXTRUSION_DEPTH = 53;
constexpr AEGP_LayerStream AEGP_LayerStream_PLANE_CURVATURE = 54;
constexpr AEGP_LayerStream AEGP_LayerStream_PLANE_SUBDIVISION = 55;
constexpr AEGP_LayerStream AEGP_LayerStream_LIGHT_BACKGROUND_VISIBLE = 56;
constexpr AEGP_LayerStream AEGP_LayerStream_LIGHT_BACKGROUND_OPACITY = 57;
constexpr AEGP_LayerStream AEGP_LayerStream_LIGHT_BACKGROUND_BLUR = 58;
constexpr AEGP_LayerStream AEGP_LayerStream_NUMTYPES = 59; // count marker

// Tells which AEGP_StreamVal2 member holds a stream's value.
constexpr AEGP_StreamType AEGP_StreamType_NO_DATA = 0;
constexpr AEGP_StreamType AEGP_StreamType_ThreeD_SPATIAL = 1; // three_d
constexpr AEGP_StreamType AEGP_StreamType_ThreeD = 2;         // three_d
constexpr AEGP_StreamType AEGP_StreamType_TwoD_SPATIAL = 3;   // two_d
constexpr AEGP_StreamType AEGP_StreamType_TwoD = 4;           // two_d
constexpr AEGP_StreamType AEGP_StreamType_OneD = 5;           // one_d
constexpr AEGP_StreamType AEGP_StreamType_COLOR = 6;          // color
constexpr AEGP_StreamType AEGP_StreamType_ARB = 7;            // arbH
constexpr AEGP_StreamType AEGP_StreamType_MARKER = 8;         // markerP
constexpr AEGP_StreamType AEGP_StreamType_LAYER_ID = 9;       // layer_id
constexpr AEGP_StreamType AEGP_StreamType_MASK_ID = 10;       // mask_id
constexpr AEGP_StreamType AEGP_StreamType_MASK = 11;          // mask
constexpr AEGP_StreamType AEGP_StreamType_TEXT_DOCUMENT = 12; // text_documentH

constexpr AEGP_MemFlag AEGP_MemFlag_NONE = 0;
constexpr AEGP_MemFlag AEGP_MemFlag_CLEAR = 0x1;
constexpr AEGP_MemFlag AEGP_MemFlag_QUIET = 0x2;

// ---- Identifiers --------------------------------------------------------------------------------

// Multi-character codes, first character in the most significant byte. The host headers compare
// against bare four-character literals; these names are ours.
constexpr A_long PF_APPL_ID_AFTER_EFFECTS = 0x46585443; // 'FXTC', in_data.appl_id
constexpr A_long PF_APPL_ID_PREMIERE = 0x50724D72;      // 'PrMr', Premiere Pro / Elements
constexpr A_long PF_KIND_EFFECT = 0x65464B54;           // 'eFKT', plug-in kind
constexpr uint32_t PIPL_VENDOR_8BIM = 0x3842494Du;      // '8BIM', PiPL property vendor

// ---- String limits ------------------------------------------------------------------------------

constexpr A_long PF_MAX_EFFECT_NAME_LEN = 31;
constexpr A_long PF_MAX_EFFECT_PARAM_NAME_LEN = 31;
constexpr A_long PF_MAX_PARAM_DESCRIPTION_LEN = 31;
constexpr A_long PF_MAX_PARAM_VALUE_LEN = 31;
constexpr A_long PF_MAX_EFFECT_MSG_LEN = 255;
constexpr A_long PF_MAX_EFFECT_CATEGORY_NAME_LEN = 31;
constexpr A_long AEGP_MAX_PLUGIN_NAME_SIZE = 32; // includes the NUL
constexpr A_long AEGP_MAX_LAYER_NAME_SIZE = 32;

#pragma pack(pop)
