// Compile-time proof that our host declarations have the host's binary layout.
//
// Every record the effect shares with After Effects is checked here: size, alignment, and the
// offset, size and type of each member, with the numbers measured on the host's Win64 headers.
// The file is compiled into the core library on both Linux and Windows, so a layout slip cannot
// build. The function tables are checked in host_suite_checks.cpp.
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "host/host_abi.h"
#include "host/host_check_macros.h"

namespace {

// ---- Platform assumptions -----------------------------------------------------------------------

// The layouts below are those of a 64-bit target with 32-bit int. Our declarations never use
// `long` (32-bit on Win64, 64-bit on Linux) nor wchar_t (16-bit on Win64, 32-bit on Linux).
static_assert(sizeof(void*) == 8 && alignof(void*) == 8, "64-bit pointers required");
static_assert(sizeof(void (*)(void)) == 8, "64-bit function pointers required");
static_assert(sizeof(int) == 4 && sizeof(double) == 8 && alignof(double) == 8 && sizeof(float) == 4,
              "int, float and double widths");

// ---- Scalar types -------------------------------------------------------------------------------

#define HOST_CHECK_SCALAR(T, SIZE, SIGNED)                                                                   \
    static_assert(sizeof(T) == (SIZE) && alignof(T) == (SIZE), "size of " #T);                               \
    static_assert(std::is_signed<T>::value == (SIGNED), "signedness of " #T)

HOST_CHECK_SCALAR(A_long, 4, true);
HOST_CHECK_SCALAR(A_u_long, 4, false);
HOST_CHECK_SCALAR(A_short, 2, true);
HOST_CHECK_SCALAR(A_u_short, 2, false);
HOST_CHECK_SCALAR(A_u_char, 1, false);
HOST_CHECK_SCALAR(A_Boolean, 1, false);
HOST_CHECK_SCALAR(A_Err, 4, true);
HOST_CHECK_SCALAR(PF_Err, 4, true);
HOST_CHECK_SCALAR(SPErr, 4, true);
HOST_CHECK_SCALAR(SPBoolean, 4, true);
HOST_CHECK_SCALAR(A_Fixed, 4, true);
HOST_CHECK_SCALAR(PF_Fixed, 4, true);
HOST_CHECK_SCALAR(A_UFixed, 4, false);
HOST_CHECK_SCALAR(PF_UFixed, 4, false);
HOST_CHECK_SCALAR(PF_ParamValue, 4, true);
HOST_CHECK_SCALAR(PF_ParamIndex, 4, true);
HOST_CHECK_SCALAR(PF_Cmd, 4, true);
HOST_CHECK_SCALAR(PF_Stage, 4, true);
HOST_CHECK_SCALAR(PF_Quality, 4, true);
HOST_CHECK_SCALAR(PF_Field, 4, true);
HOST_CHECK_SCALAR(PF_ModeFlags, 4, true);
HOST_CHECK_SCALAR(PF_ParamType, 4, true);
HOST_CHECK_SCALAR(PF_ParamFlags, 4, true);
HOST_CHECK_SCALAR(PF_ParamUIFlags, 4, true);
HOST_CHECK_SCALAR(PF_ChangeFlags, 4, true);
HOST_CHECK_SCALAR(PF_WorldFlags, 4, true);
HOST_CHECK_SCALAR(PF_OutFlags, 4, true);
HOST_CHECK_SCALAR(PF_OutFlags2, 4, true);
HOST_CHECK_SCALAR(PF_InFlags, 4, true);
HOST_CHECK_SCALAR(PF_ChannelMask, 4, true);
HOST_CHECK_SCALAR(PF_GPU_Framework, 4, true);
HOST_CHECK_SCALAR(PF_PixelFormat, 4, true);
HOST_CHECK_SCALAR(PF_TransferMode, 4, true);
HOST_CHECK_SCALAR(PF_ValueDisplayFlags, 2, true);
HOST_CHECK_SCALAR(PF_FSliderFlags, 4, false);
HOST_CHECK_SCALAR(PF_RenderOutputFlags, 2, true);
HOST_CHECK_SCALAR(A_HandleSize, 8, false);
HOST_CHECK_SCALAR(A_u_longlong, 8, false);
HOST_CHECK_SCALAR(A_intptr_t, 8, true);
HOST_CHECK_SCALAR(A_UTF16Char, 2, false);
HOST_CHECK_SCALAR(AEGP_PluginID, 4, true);
HOST_CHECK_SCALAR(AEGP_MemSize, 4, false);
HOST_CHECK_SCALAR(AEGP_ObjectType, 4, true);
HOST_CHECK_SCALAR(AEGP_LightType, 4, false);
HOST_CHECK_SCALAR(AEGP_CameraType, 4, false);
HOST_CHECK_SCALAR(AEGP_LTimeMode, 2, true);
HOST_CHECK_SCALAR(AEGP_LayerStream, 4, true);
HOST_CHECK_SCALAR(AEGP_StreamType, 4, true);
HOST_CHECK_SCALAR(AEGP_MemFlag, 4, true);
HOST_CHECK_SCALAR(AEGP_LayerFlags, 4, true);
HOST_CHECK_SCALAR(AEGP_LayerIDVal, 4, true);
HOST_CHECK_SCALAR(AEGP_MaskIDVal, 4, true);
HOST_CHECK_SCALAR(AEGP_LayerQuality, 2, true);
HOST_CHECK_SCALAR(A_FpLong, 8, true);
HOST_CHECK_SCALAR(PF_FpLong, 8, true);
HOST_CHECK_SCALAR(A_FpShort, 4, true);
HOST_CHECK_SCALAR(PF_FpShort, 4, true);
HOST_CHECK_SCALAR(AEGP_OneDVal, 8, true);
#undef HOST_CHECK_SCALAR

// The two booleans differ: AEGP suites take an unsigned byte, PF records a plain char.
static_assert(std::is_same<A_Boolean, uint8_t>::value, "A_Boolean is an unsigned byte");
static_assert(std::is_same<PF_Boolean, char>::value, "PF_Boolean is plain char");
static_assert(std::is_same<A_char, char>::value, "A_char is plain char");

static_assert(sizeof(AEGP_FourDVal) == 32 && alignof(AEGP_FourDVal) == 8, "size of AEGP_FourDVal");
static_assert(std::is_same<PF_Handle, void**>::value && std::is_same<PF_ArbitraryH, void**>::value,
              "PF handles are void**");
static_assert(std::is_same<A_Handle, void*>::value, "A_Handle is void*");

// Pointer-sized handles.
static_assert(sizeof(PF_ProgPtr) == 8 && sizeof(PF_PluginDataPtr) == 8, "PF opaque pointers");
static_assert(sizeof(AEGP_LayerH) == 8 && sizeof(AEGP_CompH) == 8 && sizeof(AEGP_ItemH) == 8 &&
                  sizeof(AEGP_EffectRefH) == 8 && sizeof(AEGP_StreamRefH) == 8 &&
                  sizeof(AEGP_MaskRefH) == 8 && sizeof(AEGP_ProjectH) == 8 && sizeof(AEGP_FootageH) == 8 &&
                  sizeof(AEGP_TextDocumentH) == 8 && sizeof(AEGP_MaskOutlineValH) == 8 &&
                  sizeof(AEGP_MemHandle) == 8 && sizeof(AEGP_GlobalRefcon) == 8,
              "AEGP handles are pointer-sized");

// ---- Records ------------------------------------------------------------------------------------

// A_Time
HOST_CHECK_RECORD(A_Time, 8, 4);
HOST_CHECK_FIELD(A_Time, value, 0, 4, int32_t);
HOST_CHECK_FIELD(A_Time, scale, 4, 4, uint32_t);

// A_Ratio
HOST_CHECK_RECORD(A_Ratio, 8, 4);
HOST_CHECK_FIELD(A_Ratio, num, 0, 4, int32_t);
HOST_CHECK_FIELD(A_Ratio, den, 4, 4, uint32_t);

// A_FloatPoint3
HOST_CHECK_RECORD(A_FloatPoint3, 24, 8);
HOST_CHECK_FIELD(A_FloatPoint3, x, 0, 8, double);
HOST_CHECK_FIELD(A_FloatPoint3, y, 8, 8, double);
HOST_CHECK_FIELD(A_FloatPoint3, z, 16, 8, double);

// A_Matrix4
HOST_CHECK_RECORD(A_Matrix4, 128, 8);
HOST_CHECK_FIELD(A_Matrix4, mat, 0, 128, double[4][4]);

// A_LRect
HOST_CHECK_RECORD(A_LRect, 16, 4);
HOST_CHECK_FIELD(A_LRect, left, 0, 4, int32_t);
HOST_CHECK_FIELD(A_LRect, top, 4, 4, int32_t);
HOST_CHECK_FIELD(A_LRect, right, 8, 4, int32_t);
HOST_CHECK_FIELD(A_LRect, bottom, 12, 4, int32_t);

// AEGP_ColorVal
HOST_CHECK_RECORD(AEGP_ColorVal, 32, 8);
HOST_CHECK_FIELD(AEGP_ColorVal, alphaF, 0, 8, double);
HOST_CHECK_FIELD(AEGP_ColorVal, redF, 8, 8, double);
HOST_CHECK_FIELD(AEGP_ColorVal, greenF, 16, 8, double);
HOST_CHECK_FIELD(AEGP_ColorVal, blueF, 24, 8, double);

// A_Color
HOST_CHECK_RECORD(A_Color, 32, 8);
HOST_CHECK_FIELD(A_Color, alpha, 0, 8, double);
HOST_CHECK_FIELD(A_Color, red, 8, 8, double);
HOST_CHECK_FIELD(A_Color, green, 16, 8, double);
HOST_CHECK_FIELD(A_Color, blue, 24, 8, double);

// PF_SpecVersion
HOST_CHECK_RECORD(PF_SpecVersion, 4, 2);
HOST_CHECK_FIELD(PF_SpecVersion, major, 0, 2, int16_t);
HOST_CHECK_FIELD(PF_SpecVersion, minor, 2, 2, int16_t);

// PF_Point
HOST_CHECK_RECORD(PF_Point, 8, 4);
HOST_CHECK_FIELD(PF_Point, h, 0, 4, int32_t);
HOST_CHECK_FIELD(PF_Point, v, 4, 4, int32_t);

// PF_LRect
HOST_CHECK_RECORD(PF_LRect, 16, 4);
HOST_CHECK_FIELD(PF_LRect, left, 0, 4, int32_t);
HOST_CHECK_FIELD(PF_LRect, top, 4, 4, int32_t);
HOST_CHECK_FIELD(PF_LRect, right, 8, 4, int32_t);
HOST_CHECK_FIELD(PF_LRect, bottom, 12, 4, int32_t);

// PF_RationalScale
HOST_CHECK_RECORD(PF_RationalScale, 8, 4);
HOST_CHECK_FIELD(PF_RationalScale, num, 0, 4, int32_t);
HOST_CHECK_FIELD(PF_RationalScale, den, 4, 4, uint32_t);

// PF_FixedPoint
HOST_CHECK_RECORD(PF_FixedPoint, 8, 4);
HOST_CHECK_FIELD(PF_FixedPoint, x, 0, 4, int32_t);
HOST_CHECK_FIELD(PF_FixedPoint, y, 4, 4, int32_t);

// PF_Pixel
HOST_CHECK_RECORD(PF_Pixel, 4, 1);
HOST_CHECK_FIELD(PF_Pixel, alpha, 0, 1, uint8_t);
HOST_CHECK_FIELD(PF_Pixel, red, 1, 1, uint8_t);
HOST_CHECK_FIELD(PF_Pixel, green, 2, 1, uint8_t);
HOST_CHECK_FIELD(PF_Pixel, blue, 3, 1, uint8_t);

// PF_Pixel16
HOST_CHECK_RECORD(PF_Pixel16, 8, 2);
HOST_CHECK_FIELD(PF_Pixel16, alpha, 0, 2, uint16_t);
HOST_CHECK_FIELD(PF_Pixel16, red, 2, 2, uint16_t);
HOST_CHECK_FIELD(PF_Pixel16, green, 4, 2, uint16_t);
HOST_CHECK_FIELD(PF_Pixel16, blue, 6, 2, uint16_t);

// PF_PixelFloat
HOST_CHECK_RECORD(PF_PixelFloat, 16, 4);
HOST_CHECK_FIELD(PF_PixelFloat, alpha, 0, 4, float);
HOST_CHECK_FIELD(PF_PixelFloat, red, 4, 4, float);
HOST_CHECK_FIELD(PF_PixelFloat, green, 8, 4, float);
HOST_CHECK_FIELD(PF_PixelFloat, blue, 12, 4, float);

// PF_CompositeMode
HOST_CHECK_RECORD(PF_CompositeMode, 12, 4);
HOST_CHECK_FIELD(PF_CompositeMode, xfer, 0, 4, int32_t);
HOST_CHECK_FIELD(PF_CompositeMode, rand_seed, 4, 4, int32_t);
HOST_CHECK_FIELD(PF_CompositeMode, opacity, 8, 1, uint8_t);
HOST_CHECK_FIELD(PF_CompositeMode, rgb_only, 9, 1, char);
HOST_CHECK_FIELD(PF_CompositeMode, opacitySu, 10, 2, uint16_t);

// PF_InData
HOST_CHECK_RECORD(PF_InData, 408, 8);
HOST_CHECK_FIELD(PF_InData, inter, 0, 176, PF_InteractCallbacks);
HOST_CHECK_FIELD(PF_InData, utils, 176, 8, PF_UtilCallbacks*);
HOST_CHECK_PLACE(PF_InData, effect_ref, 184, 8);
HOST_CHECK_FIELD(PF_InData, quality, 192, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, version, 196, 4, PF_SpecVersion);
HOST_CHECK_FIELD(PF_InData, serial_num, 200, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, appl_id, 204, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, num_params, 208, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, reserved, 212, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, what_cpu, 216, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, what_fpu, 220, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, current_time, 224, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, time_step, 228, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, total_time, 232, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, local_time_step, 236, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, time_scale, 240, 4, uint32_t);
HOST_CHECK_FIELD(PF_InData, field, 244, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, shutter_angle, 248, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, width, 252, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, height, 256, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, extent_hint, 260, 16, PF_LRect);
HOST_CHECK_FIELD(PF_InData, output_origin_x, 276, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, output_origin_y, 280, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, downsample_x, 284, 8, PF_RationalScale);
HOST_CHECK_FIELD(PF_InData, downsample_y, 292, 8, PF_RationalScale);
HOST_CHECK_FIELD(PF_InData, pixel_aspect_ratio, 300, 8, PF_RationalScale);
HOST_CHECK_FIELD(PF_InData, in_flags, 308, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, global_data, 312, 8, void**);
HOST_CHECK_FIELD(PF_InData, sequence_data, 320, 8, void**);
HOST_CHECK_FIELD(PF_InData, frame_data, 328, 8, void**);
HOST_CHECK_FIELD(PF_InData, start_sampL, 336, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, dur_sampL, 340, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, total_sampL, 344, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, src_snd, 352, 32, PF_SoundWorld);
HOST_CHECK_FIELD(PF_InData, pica_basicP, 384, 8, SPBasicSuite*);
HOST_CHECK_FIELD(PF_InData, pre_effect_source_origin_x, 392, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, pre_effect_source_origin_y, 396, 4, int32_t);
HOST_CHECK_FIELD(PF_InData, shutter_phase, 400, 4, int32_t);

// PF_OutData
HOST_CHECK_RECORD(PF_OutData, 408, 8);
HOST_CHECK_FIELD(PF_OutData, my_version, 0, 4, uint32_t);
HOST_CHECK_FIELD(PF_OutData, name, 4, 32, char[32]);
HOST_CHECK_FIELD(PF_OutData, global_data, 40, 8, void**);
HOST_CHECK_FIELD(PF_OutData, num_params, 48, 4, int32_t);
HOST_CHECK_FIELD(PF_OutData, sequence_data, 56, 8, void**);
HOST_CHECK_FIELD(PF_OutData, flat_sdata_size, 64, 4, int32_t);
HOST_CHECK_FIELD(PF_OutData, frame_data, 72, 8, void**);
HOST_CHECK_FIELD(PF_OutData, width, 80, 4, int32_t);
HOST_CHECK_FIELD(PF_OutData, height, 84, 4, int32_t);
HOST_CHECK_FIELD(PF_OutData, origin, 88, 8, PF_Point);
HOST_CHECK_FIELD(PF_OutData, out_flags, 96, 4, int32_t);
HOST_CHECK_FIELD(PF_OutData, return_msg, 100, 256, char[256]);
HOST_CHECK_FIELD(PF_OutData, start_sampL, 356, 4, int32_t);
HOST_CHECK_FIELD(PF_OutData, dur_sampL, 360, 4, int32_t);
HOST_CHECK_FIELD(PF_OutData, dest_snd, 368, 32, PF_SoundWorld);
HOST_CHECK_FIELD(PF_OutData, out_flags2, 400, 4, int32_t);

// PF_SoundWorld
HOST_CHECK_RECORD(PF_SoundWorld, 32, 8);
HOST_CHECK_FIELD(PF_SoundWorld, fi, 0, 16, PF_SoundFormatInfo);
HOST_CHECK_FIELD(PF_SoundWorld, num_samples, 16, 4, int32_t);
HOST_CHECK_FIELD(PF_SoundWorld, dataP, 24, 8, void*);

// PF_SoundFormatInfo
HOST_CHECK_RECORD(PF_SoundFormatInfo, 16, 8);
HOST_CHECK_FIELD(PF_SoundFormatInfo, rateF, 0, 8, double);
HOST_CHECK_FIELD(PF_SoundFormatInfo, num_channels, 8, 2, int16_t);
HOST_CHECK_FIELD(PF_SoundFormatInfo, format, 10, 2, int16_t);
HOST_CHECK_FIELD(PF_SoundFormatInfo, sample_size, 12, 2, int16_t);

// PF_InteractCallbacks
HOST_CHECK_RECORD(PF_InteractCallbacks, 176, 8);
HOST_CHECK_FIELD(PF_InteractCallbacks, reserved_str, 72, 24, void* [3]);
HOST_CHECK_FIELD(PF_InteractCallbacks, reserved, 96, 80, void* [10]);
HOST_CHECK_SLOT(PF_InteractCallbacks, checkout_param, 0,
                int32_t (*)(PF_ProgPtr, int32_t, int32_t, int32_t, uint32_t, PF_ParamDef*));
HOST_CHECK_SLOT(PF_InteractCallbacks, checkin_param, 8, int32_t (*)(PF_ProgPtr, PF_ParamDef*));
HOST_CHECK_SLOT(PF_InteractCallbacks, add_param, 16, int32_t (*)(PF_ProgPtr, int32_t, PF_ParamDef*));
HOST_CHECK_SLOT(PF_InteractCallbacks, abort, 24, int32_t (*)(PF_ProgPtr));
HOST_CHECK_SLOT(PF_InteractCallbacks, progress, 32, int32_t (*)(PF_ProgPtr, int32_t, int32_t));
HOST_CHECK_PLACE(PF_InteractCallbacks, register_ui, 40, 8);
HOST_CHECK_SLOT(PF_InteractCallbacks, checkout_layer_audio, 48,
                int32_t (*)(PF_ProgPtr, int32_t, int32_t, int32_t, uint32_t, uint32_t, int32_t, int32_t,
                            int32_t, PF_LayerAudio*));
HOST_CHECK_SLOT(PF_InteractCallbacks, checkin_layer_audio, 56, int32_t (*)(PF_ProgPtr, PF_LayerAudio));
HOST_CHECK_SLOT(PF_InteractCallbacks, get_audio_data, 64,
                int32_t (*)(PF_ProgPtr, PF_LayerAudio, void**, int32_t*, uint32_t*, int32_t*, int32_t*,
                            int32_t*));

// PF_UtilCallbacks
HOST_CHECK_RECORD(PF_UtilCallbacks, 552, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, begin_sampling, 0, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, subpixel_sample, 8, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, area_sample, 16, 8);
HOST_CHECK_FIELD(PF_UtilCallbacks, get_batch_func_is_deprecated, 24, 8, void*);
HOST_CHECK_PLACE(PF_UtilCallbacks, end_sampling, 32, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, composite_rect, 40, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, blend, 48, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, convolve, 56, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, copy, 64, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, fill, 72, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, gaussian_kernel, 80, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, iterate, 88, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, premultiply, 96, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, premultiply_color, 104, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, new_world, 112, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, dispose_world, 120, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, iterate_origin, 128, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, iterate_lut, 136, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, transfer_rect, 144, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, transform_world, 152, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, host_new_handle, 160, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, host_lock_handle, 168, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, host_unlock_handle, 176, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, host_dispose_handle, 184, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, get_callback_addr, 192, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, app, 200, 8);
HOST_CHECK_FIELD(PF_UtilCallbacks, ansi, 208, 160, PF_ANSICallbacks);
HOST_CHECK_PLACE(PF_UtilCallbacks, ansi.sprintf, 328, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, ansi.strcpy, 336, 8);
HOST_CHECK_FIELD(PF_UtilCallbacks, colorCB, 368, 64, PF_ColorCallbacks);
HOST_CHECK_PLACE(PF_UtilCallbacks, get_platform_data, 432, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, host_get_handle_size, 440, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, iterate_origin_non_clip_src, 448, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, iterate_generic, 456, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, host_resize_handle, 464, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, subpixel_sample16, 472, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, area_sample16, 480, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, fill16, 488, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, premultiply_color16, 496, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, iterate16, 504, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, iterate_origin16, 512, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, iterate_origin_non_clip_src16, 520, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, get_pixel_data8, 528, 8);
HOST_CHECK_PLACE(PF_UtilCallbacks, get_pixel_data16, 536, 8);
HOST_CHECK_FIELD(PF_UtilCallbacks, reserved, 544, 4, int32_t[1]);

// PF_ANSICallbacks
HOST_CHECK_RECORD(PF_ANSICallbacks, 160, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, atan, 0, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, atan2, 8, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, ceil, 16, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, cos, 24, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, exp, 32, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, fabs, 40, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, floor, 48, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, fmod, 56, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, hypot, 64, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, log, 72, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, log10, 80, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, pow, 88, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, sin, 96, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, sqrt, 104, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, tan, 112, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, sprintf, 120, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, strcpy, 128, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, asin, 136, 8);
HOST_CHECK_PLACE(PF_ANSICallbacks, acos, 144, 8);
HOST_CHECK_FIELD(PF_ANSICallbacks, ansi_procs, 152, 4, int32_t[1]);

// PF_ColorCallbacks
HOST_CHECK_RECORD(PF_ColorCallbacks, 64, 8);
HOST_CHECK_PLACE(PF_ColorCallbacks, RGBtoHLS, 0, 8);
HOST_CHECK_PLACE(PF_ColorCallbacks, HLStoRGB, 8, 8);
HOST_CHECK_PLACE(PF_ColorCallbacks, RGBtoYIQ, 16, 8);
HOST_CHECK_PLACE(PF_ColorCallbacks, YIQtoRGB, 24, 8);
HOST_CHECK_PLACE(PF_ColorCallbacks, Luminance, 32, 8);
HOST_CHECK_PLACE(PF_ColorCallbacks, Hue, 40, 8);
HOST_CHECK_PLACE(PF_ColorCallbacks, Lightness, 48, 8);
HOST_CHECK_PLACE(PF_ColorCallbacks, Saturation, 56, 8);

// PF_LayerDef
HOST_CHECK_RECORD(PF_LayerDef, 120, 8);
HOST_CHECK_FIELD(PF_LayerDef, reserved0, 0, 8, void*);
HOST_CHECK_FIELD(PF_LayerDef, reserved1, 8, 8, void*);
HOST_CHECK_FIELD(PF_LayerDef, world_flags, 16, 4, int32_t);
HOST_CHECK_FIELD(PF_LayerDef, data, 24, 8, void*);
HOST_CHECK_FIELD(PF_LayerDef, rowbytes, 32, 4, int32_t);
HOST_CHECK_FIELD(PF_LayerDef, width, 36, 4, int32_t);
HOST_CHECK_FIELD(PF_LayerDef, height, 40, 4, int32_t);
HOST_CHECK_FIELD(PF_LayerDef, extent_hint, 44, 16, PF_LRect);
HOST_CHECK_FIELD(PF_LayerDef, platform_ref, 64, 8, void*);
HOST_CHECK_FIELD(PF_LayerDef, reserved_long1, 72, 4, int32_t);
HOST_CHECK_FIELD(PF_LayerDef, reserved_long4, 80, 8, void*);
HOST_CHECK_FIELD(PF_LayerDef, pix_aspect_ratio, 88, 8, PF_RationalScale);
HOST_CHECK_FIELD(PF_LayerDef, reserved_long2, 96, 8, void*);
HOST_CHECK_FIELD(PF_LayerDef, origin_x, 104, 4, int32_t);
HOST_CHECK_FIELD(PF_LayerDef, origin_y, 108, 4, int32_t);
HOST_CHECK_FIELD(PF_LayerDef, reserved_long3, 112, 4, int32_t);
HOST_CHECK_FIELD(PF_LayerDef, dephault, 116, 4, int32_t);

// PF_ParamDef
HOST_CHECK_RECORD(PF_ParamDef, 176, 8);
HOST_CHECK_PLACE(PF_ParamDef, uu, 0, 4);
HOST_CHECK_FIELD(PF_ParamDef, uu.id, 0, 4, int32_t);
HOST_CHECK_FIELD(PF_ParamDef, uu.change_flags, 0, 4, int32_t);
HOST_CHECK_FIELD(PF_ParamDef, ui_flags, 4, 4, int32_t);
HOST_CHECK_FIELD(PF_ParamDef, ui_width, 8, 2, int16_t);
HOST_CHECK_FIELD(PF_ParamDef, ui_height, 10, 2, int16_t);
HOST_CHECK_FIELD(PF_ParamDef, param_type, 12, 4, int32_t);
HOST_CHECK_FIELD(PF_ParamDef, name, 16, 32, char[32]);
HOST_CHECK_FIELD(PF_ParamDef, flags, 48, 4, int32_t);
HOST_CHECK_FIELD(PF_ParamDef, unused, 52, 4, int32_t);
HOST_CHECK_FIELD(PF_ParamDef, u, 56, 120, PF_ParamDefUnion);

// PF_ParamDefUnion
HOST_CHECK_RECORD(PF_ParamDefUnion, 120, 8);
HOST_CHECK_FIELD(PF_ParamDefUnion, ld, 0, 120, PF_LayerDef);
HOST_CHECK_FIELD(PF_ParamDefUnion, sd, 0, 88, PF_SliderDef);
HOST_CHECK_FIELD(PF_ParamDefUnion, fd, 0, 92, PF_FixedSliderDef);
HOST_CHECK_FIELD(PF_ParamDefUnion, ad, 0, 16, PF_AngleDef);
HOST_CHECK_FIELD(PF_ParamDefUnion, bd, 0, 16, PF_CheckBoxDef);
HOST_CHECK_FIELD(PF_ParamDefUnion, cd, 0, 8, PF_ColorDef);
HOST_CHECK_FIELD(PF_ParamDefUnion, td, 0, 20, PF_PointDef);
HOST_CHECK_FIELD(PF_ParamDefUnion, pd, 0, 16, PF_PopupDef);
HOST_CHECK_FIELD(PF_ParamDefUnion, fs_d, 0, 88, PF_FloatSliderDef);
HOST_CHECK_FIELD(PF_ParamDefUnion, arb_d, 0, 32, PF_ArbitraryDef);
HOST_CHECK_FIELD(PF_ParamDefUnion, path_d, 0, 12, PF_PathDef);
HOST_CHECK_FIELD(PF_ParamDefUnion, button_d, 0, 16, PF_ButtonDef);
HOST_CHECK_FIELD(PF_ParamDefUnion, point3d_d, 0, 64, PF_Point3DDef);

// PF_SliderDef
HOST_CHECK_RECORD(PF_SliderDef, 88, 4);
HOST_CHECK_FIELD(PF_SliderDef, value, 0, 4, int32_t);
HOST_CHECK_FIELD(PF_SliderDef, value_str, 4, 32, char[32]);
HOST_CHECK_FIELD(PF_SliderDef, value_desc, 36, 32, char[32]);
HOST_CHECK_FIELD(PF_SliderDef, valid_min, 68, 4, int32_t);
HOST_CHECK_FIELD(PF_SliderDef, valid_max, 72, 4, int32_t);
HOST_CHECK_FIELD(PF_SliderDef, slider_min, 76, 4, int32_t);
HOST_CHECK_FIELD(PF_SliderDef, slider_max, 80, 4, int32_t);
HOST_CHECK_FIELD(PF_SliderDef, dephault, 84, 4, int32_t);

// PF_FixedSliderDef
HOST_CHECK_RECORD(PF_FixedSliderDef, 92, 4);
HOST_CHECK_FIELD(PF_FixedSliderDef, value, 0, 4, int32_t);
HOST_CHECK_FIELD(PF_FixedSliderDef, value_str, 4, 32, char[32]);
HOST_CHECK_FIELD(PF_FixedSliderDef, value_desc, 36, 32, char[32]);
HOST_CHECK_FIELD(PF_FixedSliderDef, valid_min, 68, 4, int32_t);
HOST_CHECK_FIELD(PF_FixedSliderDef, valid_max, 72, 4, int32_t);
HOST_CHECK_FIELD(PF_FixedSliderDef, slider_min, 76, 4, int32_t);
HOST_CHECK_FIELD(PF_FixedSliderDef, slider_max, 80, 4, int32_t);
HOST_CHECK_FIELD(PF_FixedSliderDef, dephault, 84, 4, int32_t);
HOST_CHECK_FIELD(PF_FixedSliderDef, precision, 88, 2, int16_t);
HOST_CHECK_FIELD(PF_FixedSliderDef, display_flags, 90, 2, int16_t);

// PF_FloatSliderDef
HOST_CHECK_RECORD(PF_FloatSliderDef, 88, 8);
HOST_CHECK_FIELD(PF_FloatSliderDef, value, 0, 8, double);
HOST_CHECK_FIELD(PF_FloatSliderDef, phase, 8, 8, double);
HOST_CHECK_FIELD(PF_FloatSliderDef, value_desc, 16, 32, char[32]);
HOST_CHECK_FIELD(PF_FloatSliderDef, valid_min, 48, 4, float);
HOST_CHECK_FIELD(PF_FloatSliderDef, valid_max, 52, 4, float);
HOST_CHECK_FIELD(PF_FloatSliderDef, slider_min, 56, 4, float);
HOST_CHECK_FIELD(PF_FloatSliderDef, slider_max, 60, 4, float);
HOST_CHECK_FIELD(PF_FloatSliderDef, dephault, 64, 4, float);
HOST_CHECK_FIELD(PF_FloatSliderDef, precision, 68, 2, int16_t);
HOST_CHECK_FIELD(PF_FloatSliderDef, display_flags, 70, 2, int16_t);
HOST_CHECK_FIELD(PF_FloatSliderDef, fs_flags, 72, 4, uint32_t);
HOST_CHECK_FIELD(PF_FloatSliderDef, curve_tolerance, 76, 4, float);
HOST_CHECK_FIELD(PF_FloatSliderDef, useExponent, 80, 1, char);
HOST_CHECK_FIELD(PF_FloatSliderDef, exponent, 84, 4, float);

// PF_AngleDef
HOST_CHECK_RECORD(PF_AngleDef, 16, 4);
HOST_CHECK_FIELD(PF_AngleDef, value, 0, 4, int32_t);
HOST_CHECK_FIELD(PF_AngleDef, dephault, 4, 4, int32_t);
HOST_CHECK_FIELD(PF_AngleDef, valid_min, 8, 4, int32_t);
HOST_CHECK_FIELD(PF_AngleDef, valid_max, 12, 4, int32_t);

// PF_CheckBoxDef
HOST_CHECK_RECORD(PF_CheckBoxDef, 16, 8);
HOST_CHECK_FIELD(PF_CheckBoxDef, value, 0, 4, int32_t);
HOST_CHECK_FIELD(PF_CheckBoxDef, dephault, 4, 1, char);
HOST_CHECK_FIELD(PF_CheckBoxDef, reserved, 5, 1, char);
HOST_CHECK_FIELD(PF_CheckBoxDef, reserved1, 6, 2, int16_t);
HOST_CHECK_PLACE(PF_CheckBoxDef, u, 8, 8);
HOST_CHECK_FIELD(PF_CheckBoxDef, u.nameptr, 8, 8, const char*);

// PF_PopupDef
HOST_CHECK_RECORD(PF_PopupDef, 16, 8);
HOST_CHECK_FIELD(PF_PopupDef, value, 0, 4, int32_t);
HOST_CHECK_FIELD(PF_PopupDef, num_choices, 4, 2, int16_t);
HOST_CHECK_FIELD(PF_PopupDef, dephault, 6, 2, int16_t);
HOST_CHECK_PLACE(PF_PopupDef, u, 8, 8);
HOST_CHECK_FIELD(PF_PopupDef, u.namesptr, 8, 8, const char*);

// PF_ColorDef
HOST_CHECK_RECORD(PF_ColorDef, 8, 1);
HOST_CHECK_FIELD(PF_ColorDef, value, 0, 4, PF_Pixel);
HOST_CHECK_FIELD(PF_ColorDef, dephault, 4, 4, PF_Pixel);

// PF_PointDef
HOST_CHECK_RECORD(PF_PointDef, 20, 4);
HOST_CHECK_FIELD(PF_PointDef, x_value, 0, 4, int32_t);
HOST_CHECK_FIELD(PF_PointDef, y_value, 4, 4, int32_t);
HOST_CHECK_FIELD(PF_PointDef, reserved, 8, 3, char[3]);
HOST_CHECK_FIELD(PF_PointDef, restrict_bounds, 11, 1, char);
HOST_CHECK_FIELD(PF_PointDef, x_dephault, 12, 4, int32_t);
HOST_CHECK_FIELD(PF_PointDef, y_dephault, 16, 4, int32_t);

// PF_Point3DDef
HOST_CHECK_RECORD(PF_Point3DDef, 64, 8);
HOST_CHECK_FIELD(PF_Point3DDef, x_value, 0, 8, double);
HOST_CHECK_FIELD(PF_Point3DDef, y_value, 8, 8, double);
HOST_CHECK_FIELD(PF_Point3DDef, z_value, 16, 8, double);
HOST_CHECK_FIELD(PF_Point3DDef, x_dephault, 24, 8, double);
HOST_CHECK_FIELD(PF_Point3DDef, y_dephault, 32, 8, double);
HOST_CHECK_FIELD(PF_Point3DDef, z_dephault, 40, 8, double);
HOST_CHECK_FIELD(PF_Point3DDef, reserved, 48, 16, char[16]);

// PF_ButtonDef
HOST_CHECK_RECORD(PF_ButtonDef, 16, 8);
HOST_CHECK_FIELD(PF_ButtonDef, value, 0, 4, int32_t);
HOST_CHECK_PLACE(PF_ButtonDef, u, 8, 8);
HOST_CHECK_FIELD(PF_ButtonDef, u.namesptr, 8, 8, const char*);

// PF_PathDef
HOST_CHECK_RECORD(PF_PathDef, 12, 4);
HOST_CHECK_FIELD(PF_PathDef, path_id, 0, 4, uint32_t);
HOST_CHECK_FIELD(PF_PathDef, reserved0, 4, 4, int32_t);
HOST_CHECK_FIELD(PF_PathDef, dephault, 8, 4, int32_t);

// PF_ArbitraryDef
HOST_CHECK_RECORD(PF_ArbitraryDef, 32, 8);
HOST_CHECK_FIELD(PF_ArbitraryDef, id, 0, 2, int16_t);
HOST_CHECK_FIELD(PF_ArbitraryDef, pad, 2, 2, int16_t);
HOST_CHECK_FIELD(PF_ArbitraryDef, dephault, 8, 8, void**);
HOST_CHECK_FIELD(PF_ArbitraryDef, value, 16, 8, void**);
HOST_CHECK_FIELD(PF_ArbitraryDef, refconPV, 24, 8, void*);

// PF_RenderRequest
HOST_CHECK_RECORD(PF_RenderRequest, 44, 4);
HOST_CHECK_FIELD(PF_RenderRequest, rect, 0, 16, PF_LRect);
HOST_CHECK_FIELD(PF_RenderRequest, field, 16, 4, int32_t);
HOST_CHECK_FIELD(PF_RenderRequest, channel_mask, 20, 4, int32_t);
HOST_CHECK_FIELD(PF_RenderRequest, preserve_rgb_of_zero_alpha, 24, 1, char);
HOST_CHECK_FIELD(PF_RenderRequest, unused, 25, 3, char[3]);
HOST_CHECK_FIELD(PF_RenderRequest, reserved, 28, 16, int32_t[4]);

// PF_PreRenderInput
HOST_CHECK_RECORD(PF_PreRenderInput, 64, 8);
HOST_CHECK_FIELD(PF_PreRenderInput, output_request, 0, 44, PF_RenderRequest);
HOST_CHECK_FIELD(PF_PreRenderInput, bitdepth, 44, 2, int16_t);
HOST_CHECK_FIELD(PF_PreRenderInput, gpu_data, 48, 8, const void*);
HOST_CHECK_FIELD(PF_PreRenderInput, what_gpu, 56, 4, int32_t);
HOST_CHECK_FIELD(PF_PreRenderInput, device_index, 60, 4, uint32_t);

// PF_PreRenderOutput
HOST_CHECK_RECORD(PF_PreRenderOutput, 56, 8);
HOST_CHECK_FIELD(PF_PreRenderOutput, result_rect, 0, 16, PF_LRect);
HOST_CHECK_FIELD(PF_PreRenderOutput, max_result_rect, 16, 16, PF_LRect);
HOST_CHECK_FIELD(PF_PreRenderOutput, solid, 32, 1, char);
HOST_CHECK_FIELD(PF_PreRenderOutput, reserved, 33, 1, char);
HOST_CHECK_FIELD(PF_PreRenderOutput, flags, 34, 2, int16_t);
HOST_CHECK_FIELD(PF_PreRenderOutput, pre_render_data, 40, 8, void*);
HOST_CHECK_PLACE(PF_PreRenderOutput, delete_pre_render_data_func, 48, 8);

// PF_CheckoutResult
HOST_CHECK_RECORD(PF_CheckoutResult, 76, 4);
HOST_CHECK_FIELD(PF_CheckoutResult, result_rect, 0, 16, PF_LRect);
HOST_CHECK_FIELD(PF_CheckoutResult, max_result_rect, 16, 16, PF_LRect);
HOST_CHECK_FIELD(PF_CheckoutResult, par, 32, 8, PF_RationalScale);
HOST_CHECK_FIELD(PF_CheckoutResult, solid, 40, 1, char);
HOST_CHECK_FIELD(PF_CheckoutResult, reservedB, 41, 3, char[3]);
HOST_CHECK_FIELD(PF_CheckoutResult, ref_width, 44, 4, int32_t);
HOST_CHECK_FIELD(PF_CheckoutResult, ref_height, 48, 4, int32_t);
HOST_CHECK_FIELD(PF_CheckoutResult, reserved, 52, 24, int32_t[6]);

// PF_PreRenderExtra
HOST_CHECK_RECORD(PF_PreRenderExtra, 24, 8);
HOST_CHECK_FIELD(PF_PreRenderExtra, input, 0, 8, PF_PreRenderInput*);
HOST_CHECK_FIELD(PF_PreRenderExtra, output, 8, 8, PF_PreRenderOutput*);
HOST_CHECK_FIELD(PF_PreRenderExtra, cb, 16, 8, PF_PreRenderCallbacks*);

// PF_SmartRenderInput
HOST_CHECK_RECORD(PF_SmartRenderInput, 72, 8);
HOST_CHECK_FIELD(PF_SmartRenderInput, output_request, 0, 44, PF_RenderRequest);
HOST_CHECK_FIELD(PF_SmartRenderInput, bitdepth, 44, 2, int16_t);
HOST_CHECK_FIELD(PF_SmartRenderInput, pre_render_data, 48, 8, void*);
HOST_CHECK_FIELD(PF_SmartRenderInput, gpu_data, 56, 8, const void*);
HOST_CHECK_FIELD(PF_SmartRenderInput, what_gpu, 64, 4, int32_t);
HOST_CHECK_FIELD(PF_SmartRenderInput, device_index, 68, 4, uint32_t);

// PF_SmartRenderExtra
HOST_CHECK_RECORD(PF_SmartRenderExtra, 16, 8);
HOST_CHECK_FIELD(PF_SmartRenderExtra, input, 0, 8, PF_SmartRenderInput*);
HOST_CHECK_FIELD(PF_SmartRenderExtra, cb, 8, 8, PF_SmartRenderCallbacks*);

// AEGP_StreamVal2
HOST_CHECK_RECORD(AEGP_StreamVal2, 32, 8);
HOST_CHECK_FIELD(AEGP_StreamVal2, four_d, 0, 32, double[4]);
HOST_CHECK_FIELD(AEGP_StreamVal2, three_d, 0, 24, AEGP_ThreeDVal);
HOST_CHECK_FIELD(AEGP_StreamVal2, two_d, 0, 16, AEGP_TwoDVal);
HOST_CHECK_FIELD(AEGP_StreamVal2, one_d, 0, 8, double);
HOST_CHECK_FIELD(AEGP_StreamVal2, color, 0, 32, AEGP_ColorVal);
HOST_CHECK_FIELD(AEGP_StreamVal2, arbH, 0, 8, void*);
HOST_CHECK_PLACE(AEGP_StreamVal2, markerP, 0, 8);
HOST_CHECK_FIELD(AEGP_StreamVal2, layer_id, 0, 4, int32_t);
HOST_CHECK_FIELD(AEGP_StreamVal2, mask_id, 0, 4, int32_t);
HOST_CHECK_PLACE(AEGP_StreamVal2, mask, 0, 8);
HOST_CHECK_PLACE(AEGP_StreamVal2, text_documentH, 0, 8);

// AEGP_StreamValue2
HOST_CHECK_RECORD(AEGP_StreamValue2, 40, 8);
HOST_CHECK_PLACE(AEGP_StreamValue2, streamH, 0, 8);
HOST_CHECK_FIELD(AEGP_StreamValue2, val, 8, 32, AEGP_StreamVal2);

// AEGP_TwoDVal
HOST_CHECK_RECORD(AEGP_TwoDVal, 16, 8);
HOST_CHECK_FIELD(AEGP_TwoDVal, x, 0, 8, double);
HOST_CHECK_FIELD(AEGP_TwoDVal, y, 8, 8, double);

// AEGP_ThreeDVal
HOST_CHECK_RECORD(AEGP_ThreeDVal, 24, 8);
HOST_CHECK_FIELD(AEGP_ThreeDVal, x, 0, 8, double);
HOST_CHECK_FIELD(AEGP_ThreeDVal, y, 8, 8, double);
HOST_CHECK_FIELD(AEGP_ThreeDVal, z, 16, 8, double);

// ---- Members the effect reads through nested designators ----------------------------------------

static_assert(std::is_same<PF_EffectWorld, PF_LayerDef>::value, "PF_EffectWorld is PF_LayerDef");
// Row-major matrix: the translation row starts at byte 96.
static_assert(offsetof(A_Matrix4, mat[0][1]) == 8, "A_Matrix4 is row-major");
static_assert(offsetof(A_Matrix4, mat[1][0]) == 32, "A_Matrix4 row stride");
static_assert(offsetof(A_Matrix4, mat[3][0]) == 96, "A_Matrix4 translation x");
static_assert(offsetof(A_Matrix4, mat[3][1]) == 104, "A_Matrix4 translation y");
static_assert(offsetof(A_Matrix4, mat[3][2]) == 112, "A_Matrix4 translation z");
static_assert(offsetof(PF_InData, downsample_x.den) == 288, "in_data.downsample_x.den");
static_assert(offsetof(PF_InData, downsample_y.num) == 292, "in_data.downsample_y.num");
static_assert(offsetof(PF_InData, downsample_y.den) == 296, "in_data.downsample_y.den");
static_assert(offsetof(PF_InData, inter.checkout_param) == 0, "in_data.inter.checkout_param");
static_assert(offsetof(PF_InData, inter.checkin_param) == 8, "in_data.inter.checkin_param");
static_assert(offsetof(PF_InData, inter.add_param) == 16, "in_data.inter.add_param");
static_assert(offsetof(PF_ParamDef, u.bd.u.nameptr) == 64, "checkbox label pointer");
static_assert(offsetof(PF_ParamDef, u.pd.u.namesptr) == 64, "popup choices pointer");
static_assert(offsetof(PF_ParamDef, u.pd.num_choices) == 60, "popup choice count");
static_assert(offsetof(PF_ParamDef, u.fs_d.useExponent) == 136, "float slider useExponent");
static_assert(offsetof(PF_UtilCallbacks, ansi.strcpy) == 336, "utils->ansi.strcpy");

// ---- Codes and packed values --------------------------------------------------------------------

// Multi-character codes put the first character in the most significant byte; pixel formats put it
// in the least significant byte. Deriving both from the characters catches a hex typo or a
// reversed byte order.
constexpr uint32_t multiCharCode(char a, char b, char c, char d) {
    return (uint32_t(uint8_t(a)) << 24) | (uint32_t(uint8_t(b)) << 16) | (uint32_t(uint8_t(c)) << 8) |
           uint32_t(uint8_t(d));
}
constexpr uint32_t pixelFormatCode(char a, char b, char c, char d) { return multiCharCode(d, c, b, a); }

static_assert(uint32_t(PF_APPL_ID_AFTER_EFFECTS) == multiCharCode('F', 'X', 'T', 'C'), "'FXTC'");
static_assert(uint32_t(PF_APPL_ID_PREMIERE) == multiCharCode('P', 'r', 'M', 'r'), "'PrMr'");
static_assert(uint32_t(PF_KIND_EFFECT) == multiCharCode('e', 'F', 'K', 'T'), "'eFKT'");
static_assert(PIPL_VENDOR_8BIM == multiCharCode('8', 'B', 'I', 'M'), "'8BIM'");
static_assert(uint32_t(kSPSuiteNotFoundError) == multiCharCode('S', '!', 'F', 'd'), "'S!Fd'");
static_assert(uint32_t(kSPBadParameterError) == multiCharCode('P', 'a', 'r', 'm'), "'Parm'");
static_assert(uint32_t(kSPUnimplementedError) == multiCharCode('!', 'I', 'M', 'P'), "'!IMP'");
static_assert(uint32_t(PF_PixelFormat_ARGB32) == pixelFormatCode('a', 'r', 'g', 'b'), "argb");
static_assert(uint32_t(PF_PixelFormat_ARGB64) == pixelFormatCode('a', 'e', '1', '6'), "ae16");
static_assert(uint32_t(PF_PixelFormat_ARGB128) == pixelFormatCode('a', 'e', '3', '2'), "ae32");
static_assert(uint32_t(PF_PixelFormat_INVALID) == pixelFormatCode('b', 'a', 'd', 'f'), "badf");
static_assert(uint32_t(PF_PixelFormat_BGRA32) == pixelFormatCode('b', 'g', 'r', 'a'), "bgra");
static_assert(uint32_t(PF_PixelFormat_VUYA32) == pixelFormatCode('v', 'u', 'y', 'a'), "vuya");
static_assert(uint32_t(PF_PixelFormat_GPU_BGRA128) == pixelFormatCode('@', 'C', 'D', 'A'), "@CDA");

// Version packing, against values the host's own macro produces.
static_assert(PF_VERSION(2, 9, 5, PF_Stage_DEVELOP, 1) == 0x0014A801u, "2.9.5 d1");
static_assert(PF_VERSION(1, 1, 0, PF_Stage_DEVELOP, 1) == 0x00088001u, "1.1.0 d1");
static_assert(PF_VERSION(15, 0, 0, PF_Stage_RELEASE, 0) == ((1u << 26) | (7u << 19) | (3u << 9)),
              "majors above 7 spill into bits 26-29");

// Values whose sign must not depend on the target's `long`.
static_assert(uint32_t(PF_OutFlag_AUDIO_EFFECT_ONLY) == 0x80000000u && PF_OutFlag_AUDIO_EFFECT_ONLY < 0,
              "bit 31 as a negative int32");
static_assert(AEGP_LightType_NONE == AEGP_LightType(-1), "NONE reads back as 0xFFFFFFFF");

} // namespace
