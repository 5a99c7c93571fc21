// The per-call records: PF_InData (what the host tells the effect on every command, including its
// callback tables) and PF_OutData (what the effect answers).
#pragma once

#include "host/host_params.h"
#include "host/host_types.h"
#include "host/host_world.h"

#pragma pack(push, 8)

struct SPBasicSuite;    // host_suites.h
struct PF_CustomUIInfo; // custom-UI registration record; not used by this effect

// Audio checked out from a layer; opaque to the effect.
struct PF_LayerAudioOpaque;
typedef PF_LayerAudioOpaque* PF_LayerAudio;

// Placeholder type for host callbacks whose argument lists this effect never needs. Only their
// slots matter (the table layout must match the host's); cast to the real signature before any
// call.
typedef void (*PF_UnusedCallback)(void);

// Parameter and progress callbacks (in_data.inter).
struct PF_InteractCallbacks {
    // Reads a parameter's value at a given time into *param; pair with checkin_param.
    PF_Err (*checkout_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time, A_long time_step,
                             A_u_long time_scale, PF_ParamDef* param);
    PF_Err (*checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef* param);
    // Declares a parameter during PF_Cmd_PARAMS_SETUP; index -1 appends.
    PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDef* def);
    PF_Err (*abort)(PF_ProgPtr effect_ref);
    PF_Err (*progress)(PF_ProgPtr effect_ref, A_long current, A_long total);
    PF_Err (*register_ui)(PF_ProgPtr effect_ref, PF_CustomUIInfo* cust_info);
    PF_Err (*checkout_layer_audio)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long start_time,
                                   A_long duration, A_u_long time_scale, PF_UFixed rate,
                                   A_long bytes_per_sample, A_long num_channels, A_long fmt_signed,
                                   PF_LayerAudio* audio);
    PF_Err (*checkin_layer_audio)(PF_ProgPtr effect_ref, PF_LayerAudio audio);
    PF_Err (*get_audio_data)(PF_ProgPtr effect_ref, PF_LayerAudio audio, void** data, A_long* num_samples,
                             PF_UFixed* rate, A_long* bytes_per_sample, A_long* num_channels,
                             A_long* fmt_signed);
    void* reserved_str[3];
    void* reserved[10];
};

// Host-provided C library functions, embedded in PF_UtilCallbacks. The same functions, in the
// same order and without the trailing ansi_procs word, form the "PF ANSI Suite".
//
// sprintf is variadic: it is called with the platform's normal variadic convention, which both
// sides share as long as host and effect are built for the same platform.
struct PF_ANSICallbacks {
    A_FpLong (*atan)(A_FpLong);
    A_FpLong (*atan2)(A_FpLong y, A_FpLong x);
    A_FpLong (*ceil)(A_FpLong);
    A_FpLong (*cos)(A_FpLong);
    A_FpLong (*exp)(A_FpLong);
    A_FpLong (*fabs)(A_FpLong);
    A_FpLong (*floor)(A_FpLong);
    A_FpLong (*fmod)(A_FpLong x, A_FpLong y);
    A_FpLong (*hypot)(A_FpLong x, A_FpLong y);
    A_FpLong (*log)(A_FpLong);
    A_FpLong (*log10)(A_FpLong);
    A_FpLong (*pow)(A_FpLong x, A_FpLong y);
    A_FpLong (*sin)(A_FpLong);
    A_FpLong (*sqrt)(A_FpLong);
    A_FpLong (*tan)(A_FpLong);
    A_long (*sprintf)(A_char* dest, const A_char* format, ...);
    A_char* (*strcpy)(A_char* dest, const A_char* src);
    A_FpLong (*asin)(A_FpLong);
    A_FpLong (*acos)(A_FpLong);
    A_long ansi_procs[1];
};

// Colour-space conversions (utils->colorCB). Not used by this effect.
struct PF_ColorCallbacks {
    PF_UnusedCallback RGBtoHLS;
    PF_UnusedCallback HLStoRGB;
    PF_UnusedCallback RGBtoYIQ;
    PF_UnusedCallback YIQtoRGB;
    PF_UnusedCallback Luminance;
    PF_UnusedCallback Hue;
    PF_UnusedCallback Lightness;
    PF_UnusedCallback Saturation;
};

// Image-processing and memory callbacks (*in_data.utils). This effect only uses ansi.strcpy; the
// other entries are declared as placeholders so that every later field sits where the host puts
// it.
struct PF_UtilCallbacks {
    PF_UnusedCallback begin_sampling;
    PF_UnusedCallback subpixel_sample;
    PF_UnusedCallback area_sample;
    void* get_batch_func_is_deprecated;
    PF_UnusedCallback end_sampling;
    PF_UnusedCallback composite_rect;
    PF_UnusedCallback blend;
    PF_UnusedCallback convolve;
    PF_UnusedCallback copy;
    PF_UnusedCallback fill;
    PF_UnusedCallback gaussian_kernel;
    PF_UnusedCallback iterate;
    PF_UnusedCallback premultiply;
    PF_UnusedCallback premultiply_color;
    PF_UnusedCallback new_world;
    PF_UnusedCallback dispose_world;
    PF_UnusedCallback iterate_origin;
    PF_UnusedCallback iterate_lut;
    PF_UnusedCallback transfer_rect;
    PF_UnusedCallback transform_world;
    PF_UnusedCallback host_new_handle;
    PF_UnusedCallback host_lock_handle;
    PF_UnusedCallback host_unlock_handle;
    PF_UnusedCallback host_dispose_handle;
    PF_UnusedCallback get_callback_addr;
    PF_UnusedCallback app;
    PF_ANSICallbacks ansi;
    PF_ColorCallbacks colorCB;
    PF_UnusedCallback get_platform_data;
    PF_UnusedCallback host_get_handle_size;
    PF_UnusedCallback iterate_origin_non_clip_src;
    PF_UnusedCallback iterate_generic;
    PF_UnusedCallback host_resize_handle;
    PF_UnusedCallback subpixel_sample16;
    PF_UnusedCallback area_sample16;
    PF_UnusedCallback fill16;
    PF_UnusedCallback premultiply_color16;
    PF_UnusedCallback iterate16;
    PF_UnusedCallback iterate_origin16;
    PF_UnusedCallback iterate_origin_non_clip_src16;
    PF_UnusedCallback get_pixel_data8;
    PF_UnusedCallback get_pixel_data16;
    A_long reserved[1];
};

struct PF_SoundFormatInfo {
    PF_FpLong rateF;
    PF_SoundChannels num_channels;
    PF_SoundFormat format;
    PF_SoundSampleSize sample_size;
};

struct PF_SoundWorld {
    PF_SoundFormatInfo fi;
    A_long num_samples;
    void* dataP;
};

// Everything the host tells the effect on each command: callbacks, the instance reference,
// the frame time, the downsampling factors and the basic suite through which all other suites
// are acquired.
struct PF_InData {
    PF_InteractCallbacks inter;
    PF_UtilCallbacks* utils;
    PF_ProgPtr effect_ref;
    PF_Quality quality;
    PF_SpecVersion version;
    A_long serial_num;
    A_long appl_id; // 'FXTC' After Effects, 'PrMr' Premiere Pro
    A_long num_params;
    A_long reserved;
    A_long what_cpu;
    A_long what_fpu;
    A_long current_time; // in time_scale units
    A_long time_step;
    A_long total_time;
    A_long local_time_step;
    A_u_long time_scale;
    PF_Field field;
    PF_Fixed shutter_angle;
    A_long width;
    A_long height;
    PF_Rect extent_hint;
    A_long output_origin_x;
    A_long output_origin_y;
    PF_RationalScale downsample_x;
    PF_RationalScale downsample_y;
    PF_RationalScale pixel_aspect_ratio;
    PF_InFlags in_flags;
    PF_Handle global_data;
    PF_Handle sequence_data;
    PF_Handle frame_data;
    A_long start_sampL;
    A_long dur_sampL;
    A_long total_sampL;
    PF_SoundWorld src_snd;
    SPBasicSuite* pica_basicP;
    A_long pre_effect_source_origin_x;
    A_long pre_effect_source_origin_y;
    PF_Fixed shutter_phase;
};

// The effect's answers: version and flags at global setup, parameter count at parameter setup,
// a message (About text or error) in return_msg.
struct PF_OutData {
    A_u_long my_version; // PF_VERSION(...); must equal the PiPL eVER value
    A_char name[32];
    PF_Handle global_data;
    A_long num_params; // including the input layer
    PF_Handle sequence_data;
    A_long flat_sdata_size;
    PF_Handle frame_data;
    A_long width;
    A_long height;
    PF_Point origin;
    PF_OutFlags out_flags; // must equal the PiPL eGLO value
    A_char return_msg[256];
    A_long start_sampL;
    A_long dur_sampL;
    PF_SoundWorld dest_snd;
    PF_OutFlags2 out_flags2; // must equal the PiPL eGL2 value
};

#pragma pack(pop)
