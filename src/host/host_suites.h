// The basic suite and the function tables ("suites") the effect acquires through it.
//
// A suite is a table of C function pointers that the host fills; its layout is fixed by the
// (name, version) pair asked for, so every table below is declared in full, in the host's order,
// even where the effect calls only one entry: the scene host that drives our tests serves these
// same declarations, and a missing or mistyped slot would shift every later one.
//
// Note that the SDK type suffix is not the version number: "AEGP Layer Suite" version 15 is the
// table AEGP_LayerSuite9, and so on. The name/version constants below pair them up.
#pragma once

#include "host/host_indata.h"
#include "host/host_types.h"
#include "host/host_world.h"

#pragma pack(push, 8)

// ---- Suite names and versions -------------------------------------------------------------------

inline constexpr char kSPBasicSuite[] = "SP Basic Suite";
inline constexpr int32_t kSPBasicSuiteVersion = 4;

inline constexpr char kAEGPUtilitySuite[] = "AEGP Utility Suite";
inline constexpr int32_t kAEGPUtilitySuiteVersion6 = 13; // AEGP_UtilitySuite6

inline constexpr char kPFANSISuite[] = "PF ANSI Suite";
inline constexpr int32_t kPFANSISuiteVersion1 = 1; // PF_ANSICallbacksSuite1

inline constexpr char kAEGPPFInterfaceSuite[] = "AEGP PF Interface Suite";
inline constexpr int32_t kAEGPPFInterfaceSuiteVersion1 = 1; // AEGP_PFInterfaceSuite1

inline constexpr char kAEGPLayerSuite[] = "AEGP Layer Suite";
inline constexpr int32_t kAEGPLayerSuiteVersion9 = 15; // AEGP_LayerSuite9

inline constexpr char kAEGPLightSuite[] = "AEGP Light Suite";
inline constexpr int32_t kAEGPLightSuiteVersion2 = 2; // AEGP_LightSuite2

inline constexpr char kAEGPStreamSuite[] = "AEGP Stream Suite";
inline constexpr int32_t kAEGPStreamSuiteVersion6 = 11; // AEGP_StreamSuite6

inline constexpr char kAEGPMemorySuite[] = "AEGP Memory Suite";
inline constexpr int32_t kAEGPMemorySuiteVersion1 = 1; // AEGP_MemorySuite1

inline constexpr char kPFWorldSuite[] = "PF World Suite";
inline constexpr int32_t kPFWorldSuiteVersion2 = 2; // PF_WorldSuite2

// ---- Basic suite --------------------------------------------------------------------------------

// The host's root table (in_data.pica_basicP). Every other suite is acquired here by name and
// version and must be released with the same pair. A non-zero result or a null table means the
// suite is unavailable.
struct SPBasicSuite {
    SPErr (*AcquireSuite)(const char* name, int32_t version, const void** suite);
    SPErr (*ReleaseSuite)(const char* name, int32_t version);
    SPBoolean (*IsEqual)(const char* token1, const char* token2);
    SPErr (*AllocateBlock)(uint64_t size, void** block);
    SPErr (*FreeBlock)(void* block);
    SPErr (*ReallocateBlock)(void* block, uint64_t newSize, void** newblock);
    SPErr (*Undefined)(void);
};

// ---- Record types only passed by pointer --------------------------------------------------------

// These appear in suite entries the effect never calls; their contents are not needed, only
// that a pointer to them is passed.
struct AEGP_ErrReportState;    // 48-byte host record
struct AEGP_LayerTransferMode; // 12-byte host record
struct A_FloatRect;

// ---- "AEGP Utility Suite" version 13 ------------------------------------------------------------

// Host services for AEGP-level code; the effect uses it to obtain its AEGP plug-in ID.
struct AEGP_UtilitySuite6 {
    A_Err (*AEGP_ReportInfo)(AEGP_PluginID aegp_plugin_id, const A_char* info_string);
    A_Err (*AEGP_ReportInfoUnicode)(AEGP_PluginID aegp_plugin_id, const A_UTF16Char* info_string);
    A_Err (*AEGP_GetDriverPluginInitFuncVersion)(A_short* major_version, A_short* minor_version);
    A_Err (*AEGP_GetDriverImplementationVersion)(A_short* major_version, A_short* minor_version);
    A_Err (*AEGP_StartQuietErrors)(AEGP_ErrReportState* err_state);
    A_Err (*AEGP_EndQuietErrors)(A_Boolean report_quieted_errors, AEGP_ErrReportState* err_state);
    A_Err (*AEGP_GetLastErrorMessage)(A_long buffer_size, A_char* error_string, A_Err* error_num);
    A_Err (*AEGP_StartUndoGroup)(const A_char* undo_name);
    A_Err (*AEGP_EndUndoGroup)(void);
    // Gives this plug-in an AEGP ID (plugin_name at most AEGP_MAX_PLUGIN_NAME_SIZE incl. NUL).
    A_Err (*AEGP_RegisterWithAEGP)(AEGP_GlobalRefcon global_refcon, const A_char* plugin_name,
                                   AEGP_PluginID* plugin_id);
    A_Err (*AEGP_GetMainHWND)(void* main_hwnd);
    A_Err (*AEGP_ShowHideAllFloaters)(A_Boolean include_tool_pal);
    A_Err (*AEGP_PaintPalGetForeColor)(AEGP_ColorVal* fore_color);
    A_Err (*AEGP_PaintPalGetBackColor)(AEGP_ColorVal* back_color);
    A_Err (*AEGP_PaintPalSetForeColor)(const AEGP_ColorVal* fore_color);
    A_Err (*AEGP_PaintPalSetBackColor)(const AEGP_ColorVal* back_color);
    A_Err (*AEGP_CharPalGetFillColor)(A_Boolean* is_fill_color_defined, AEGP_ColorVal* fill_color);
    A_Err (*AEGP_CharPalGetStrokeColor)(A_Boolean* is_stroke_color_defined, AEGP_ColorVal* stroke_color);
    A_Err (*AEGP_CharPalSetFillColor)(const AEGP_ColorVal* fill_color);
    A_Err (*AEGP_CharPalSetStrokeColor)(const AEGP_ColorVal* stroke_color);
    A_Err (*AEGP_CharPalIsFillColorUIFrontmost)(A_Boolean* is_fill_color_selected);
    A_Err (*AEGP_ConvertFpLongToHSFRatio)(A_FpLong number, A_Ratio* ratio);
    A_Err (*AEGP_ConvertHSFRatioToFpLong)(A_Ratio ratio, A_FpLong* number);
    A_Err (*AEGP_CauseIdleRoutinesToBeCalled)(void);
    A_Err (*AEGP_GetSuppressInteractiveUI)(A_Boolean* ui_is_suppressed);
    A_Err (*AEGP_WriteToOSConsole)(const A_char* text);
    A_Err (*AEGP_WriteToDebugLog)(const A_char* subsystem, const A_char* event_type, const A_char* info);
    A_Err (*AEGP_IsScriptingAvailable)(A_Boolean* outAvailable);
    A_Err (*AEGP_ExecuteScript)(AEGP_PluginID inPlugin_id, const A_char* inScript,
                                const A_Boolean platform_encoding, AEGP_MemHandle* outResult,
                                AEGP_MemHandle* outErrorString);
    A_Err (*AEGP_HostIsActivated)(A_Boolean* is_activated);
    A_Err (*AEGP_GetPluginPlatformRef)(AEGP_PluginID plug_id, void** plat_ref);
    A_Err (*AEGP_UpdateFontList)(void);
    A_Err (*AEGP_GetPluginPaths)(AEGP_PluginID aegp_plugin_id, AEGP_GetPathTypes path_type,
                                 AEGP_MemHandle* unicode_path);
};

// ---- "PF ANSI Suite" version 1 ------------------------------------------------------------------

// The host's C library functions as a suite; same order as PF_ANSICallbacks, without the tail.
struct PF_ANSICallbacksSuite1 {
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
    A_long (*sprintf)(A_char* dest, const A_char* format, ...); // variadic; see PF_ANSICallbacks
    A_char* (*strcpy)(A_char* dest, const A_char* src);
    A_FpLong (*asin)(A_FpLong);
    A_FpLong (*acos)(A_FpLong);
};

// ---- "AEGP PF Interface Suite" version 1 --------------------------------------------------------

// Bridges an effect instance (effect_ref) to the AEGP world: its layer, composition time and the
// composition camera.
struct AEGP_PFInterfaceSuite1 {
    A_Err (*AEGP_GetEffectLayer)(PF_ProgPtr effect_pp_ref, AEGP_LayerH* layer);
    A_Err (*AEGP_GetNewEffectForEffect)(AEGP_PluginID aegp_plugin_id, PF_ProgPtr effect_pp_ref,
                                        AEGP_EffectRefH* effect_ref);
    A_Err (*AEGP_ConvertEffectToCompTime)(PF_ProgPtr effect_pp_ref, A_long what_time, A_u_long time_scale,
                                          A_Time* comp_time);
    A_Err (*AEGP_GetEffectCamera)(PF_ProgPtr effect_pp_ref, const A_Time* comp_time,
                                  AEGP_LayerH* camera_layer);
    // Camera-to-world matrix (row-major), distance to the image plane and its size in pixels.
    A_Err (*AEGP_GetEffectCameraMatrix)(PF_ProgPtr effect_pp_ref, const A_Time* comp_time,
                                        A_Matrix4* camera_matrix, A_FpLong* dist_to_image_plane,
                                        A_short* image_plane_width, A_short* image_plane_height);
};

// ---- "AEGP Layer Suite" version 15 --------------------------------------------------------------

// Composition layers: enumeration, type, activity, transforms and names.
struct AEGP_LayerSuite9 {
    A_Err (*AEGP_GetCompNumLayers)(AEGP_CompH comp, A_long* num_layers);
    // Index 0 is the top layer.
    A_Err (*AEGP_GetCompLayerByIndex)(AEGP_CompH comp, A_long layer_index, AEGP_LayerH* layer);
    A_Err (*AEGP_GetActiveLayer)(AEGP_LayerH* layer);
    A_Err (*AEGP_GetLayerIndex)(AEGP_LayerH layer, A_long* layer_index);
    A_Err (*AEGP_GetLayerSourceItem)(AEGP_LayerH layer, AEGP_ItemH* source_item);
    A_Err (*AEGP_GetLayerSourceItemID)(AEGP_LayerH layer, A_long* source_item_id);
    A_Err (*AEGP_GetLayerParentComp)(AEGP_LayerH layer, AEGP_CompH* comp);
    // Both names come back as UTF-16 memory handles the caller must free; either output may be
    // null.
    A_Err (*AEGP_GetLayerName)(AEGP_PluginID pluginID, AEGP_LayerH layer, AEGP_MemHandle* utf_layer_name,
                               AEGP_MemHandle* utf_source_name);
    A_Err (*AEGP_GetLayerQuality)(AEGP_LayerH layer, AEGP_LayerQuality* quality);
    A_Err (*AEGP_SetLayerQuality)(AEGP_LayerH layer, AEGP_LayerQuality quality);
    A_Err (*AEGP_GetLayerFlags)(AEGP_LayerH layer, AEGP_LayerFlags* layer_flags);
    A_Err (*AEGP_SetLayerFlag)(AEGP_LayerH layer, AEGP_LayerFlags single_flag, A_Boolean value);
    A_Err (*AEGP_IsLayerVideoReallyOn)(AEGP_LayerH layer, A_Boolean* on);
    A_Err (*AEGP_IsLayerAudioReallyOn)(AEGP_LayerH layer, A_Boolean* on);
    A_Err (*AEGP_GetLayerCurrentTime)(AEGP_LayerH layer, AEGP_LTimeMode time_mode, A_Time* curr_time);
    A_Err (*AEGP_GetLayerInPoint)(AEGP_LayerH layer, AEGP_LTimeMode time_mode, A_Time* in_point);
    A_Err (*AEGP_GetLayerDuration)(AEGP_LayerH layer, AEGP_LTimeMode time_mode, A_Time* duration);
    A_Err (*AEGP_SetLayerInPointAndDuration)(AEGP_LayerH layer, AEGP_LTimeMode time_mode,
                                             const A_Time* in_point, const A_Time* duration);
    A_Err (*AEGP_GetLayerOffset)(AEGP_LayerH layer, A_Time* offset);
    A_Err (*AEGP_SetLayerOffset)(AEGP_LayerH layer, const A_Time* offset);
    A_Err (*AEGP_GetLayerStretch)(AEGP_LayerH layer, A_Ratio* stretch);
    A_Err (*AEGP_SetLayerStretch)(AEGP_LayerH layer, const A_Ratio* stretch);
    A_Err (*AEGP_GetLayerTransferMode)(AEGP_LayerH layer, AEGP_LayerTransferMode* transfer_mode);
    A_Err (*AEGP_SetLayerTransferMode)(AEGP_LayerH layer, const AEGP_LayerTransferMode* transfer_mode);
    A_Err (*AEGP_IsAddLayerValid)(AEGP_ItemH item_to_add, AEGP_CompH into_comp, A_Boolean* valid);
    A_Err (*AEGP_AddLayer)(AEGP_ItemH item_to_add, AEGP_CompH into_comp, AEGP_LayerH* added_layer);
    A_Err (*AEGP_ReorderLayer)(AEGP_LayerH layer, A_long layer_index);
    A_Err (*AEGP_GetLayerMaskedBounds)(AEGP_LayerH layer, AEGP_LTimeMode time_mode, const A_Time* time,
                                       A_FloatRect* bounds);
    A_Err (*AEGP_GetLayerObjectType)(AEGP_LayerH layer, AEGP_ObjectType* object_type);
    A_Err (*AEGP_IsLayer3D)(AEGP_LayerH layer, A_Boolean* is_3D);
    A_Err (*AEGP_IsLayer2D)(AEGP_LayerH layer, A_Boolean* is_2D);
    A_Err (*AEGP_IsVideoActive)(AEGP_LayerH layer, AEGP_LTimeMode time_mode, const A_Time* time,
                                A_Boolean* is_active);
    A_Err (*AEGP_IsLayerUsedAsTrackMatte)(AEGP_LayerH layer, A_Boolean fill_must_be_active,
                                          A_Boolean* is_track_matte);
    A_Err (*AEGP_DoesLayerHaveTrackMatte)(AEGP_LayerH layer, A_Boolean* has_track_matte);
    A_Err (*AEGP_ConvertCompToLayerTime)(AEGP_LayerH layer, const A_Time* comp_time, A_Time* layer_time);
    A_Err (*AEGP_ConvertLayerToCompTime)(AEGP_LayerH layer, const A_Time* layer_time, A_Time* comp_time);
    A_Err (*AEGP_GetLayerDancingRandValue)(AEGP_LayerH layer, const A_Time* comp_time, A_long* rand_value);
    A_Err (*AEGP_GetLayerID)(AEGP_LayerH layer, AEGP_LayerIDVal* id_val);
    // Layer-to-world matrix (row-major, translation in row 3) at a composition time.
    A_Err (*AEGP_GetLayerToWorldXform)(AEGP_LayerH aegp_layer, const A_Time* comp_time, A_Matrix4* transform);
    A_Err (*AEGP_GetLayerToWorldXformFromView)(AEGP_LayerH aegp_layer, const A_Time* view_time,
                                               const A_Time* comp_time, A_Matrix4* transform);
    A_Err (*AEGP_SetLayerName)(AEGP_LayerH aegp_layer, const A_UTF16Char* new_name);
    A_Err (*AEGP_GetLayerParent)(const AEGP_LayerH layer, AEGP_LayerH* parent_layer);
    A_Err (*AEGP_SetLayerParent)(AEGP_LayerH layer, const AEGP_LayerH parent_layer);
    A_Err (*AEGP_DeleteLayer)(AEGP_LayerH layer);
    A_Err (*AEGP_DuplicateLayer)(AEGP_LayerH orig_layer, AEGP_LayerH* duplicate_layer);
    A_Err (*AEGP_GetLayerFromLayerID)(AEGP_CompH parent_comp, AEGP_LayerIDVal id, AEGP_LayerH* layer);
    A_Err (*AEGP_GetLayerLabel)(AEGP_LayerH layer, AEGP_LabelID* label);
    A_Err (*AEGP_SetLayerLabel)(AEGP_LayerH layer, AEGP_LabelID label);
    A_Err (*AEGP_GetLayerSamplingQuality)(AEGP_LayerH layer, AEGP_LayerSamplingQuality* quality);
    A_Err (*AEGP_SetLayerSamplingQuality)(AEGP_LayerH layer, AEGP_LayerSamplingQuality quality);
    A_Err (*AEGP_GetTrackMatteLayer)(const AEGP_LayerH layer, AEGP_LayerH* track_matte_layer);
    A_Err (*AEGP_SetTrackMatte)(AEGP_LayerH layer, const AEGP_LayerH track_matte_layer,
                                const AEGP_TrackMatte track_matte_type);
    A_Err (*AEGP_RemoveTrackMatte)(AEGP_LayerH layer);
};

// ---- "AEGP Light Suite" version 2 ---------------------------------------------------------------

struct AEGP_LightSuite2 {
    A_Err (*AEGP_GetLightType)(AEGP_LayerH light_layer, AEGP_LightType* light_type);
    A_Err (*AEGP_SetLightType)(AEGP_LayerH light_layer, AEGP_LightType light_type);
};

// ---- "AEGP Stream Suite" version 11 -------------------------------------------------------------

// Layer and effect property values ("streams").
struct AEGP_StreamSuite6 {
    A_Err (*AEGP_IsStreamLegal)(AEGP_LayerH layer, AEGP_LayerStream which_stream, A_Boolean* is_legal);
    A_Err (*AEGP_CanVaryOverTime)(AEGP_StreamRefH stream, A_Boolean* can_vary);
    A_Err (*AEGP_GetValidInterpolations)(AEGP_StreamRefH stream,
                                         AEGP_KeyInterpolationMask* valid_interpolations);
    A_Err (*AEGP_GetNewLayerStream)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layer,
                                    AEGP_LayerStream which_stream, AEGP_StreamRefH* stream);
    A_Err (*AEGP_GetEffectNumParamStreams)(AEGP_EffectRefH effect_ref, A_long* num_params);
    A_Err (*AEGP_GetNewEffectStreamByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_EffectRefH effect_ref,
                                            PF_ParamIndex param_index, AEGP_StreamRefH* stream);
    A_Err (*AEGP_GetNewMaskStream)(AEGP_PluginID aegp_plugin_id, AEGP_MaskRefH mask_ref,
                                   AEGP_MaskStream which_stream, AEGP_StreamRefH* mask_stream);
    A_Err (*AEGP_DisposeStream)(AEGP_StreamRefH stream);
    A_Err (*AEGP_GetStreamName)(AEGP_PluginID pluginID, AEGP_StreamRefH stream, A_Boolean force_english,
                                AEGP_MemHandle* utf_stream_name);
    A_Err (*AEGP_GetStreamUnitsText)(AEGP_StreamRefH stream, A_Boolean force_english, A_char* units);
    A_Err (*AEGP_GetStreamProperties)(AEGP_StreamRefH stream, AEGP_StreamFlags* flags, A_FpLong* min,
                                      A_FpLong* max);
    A_Err (*AEGP_IsStreamTimevarying)(AEGP_StreamRefH stream, A_Boolean* is_timevarying);
    A_Err (*AEGP_GetStreamType)(AEGP_StreamRefH stream, AEGP_StreamType* stream_type);
    A_Err (*AEGP_GetNewStreamValue)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH stream,
                                    AEGP_LTimeMode time_mode, const A_Time* time, A_Boolean pre_expression,
                                    AEGP_StreamValue2* value);
    A_Err (*AEGP_DisposeStreamValue)(AEGP_StreamValue2* value);
    A_Err (*AEGP_SetStreamValue)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH stream,
                                 AEGP_StreamValue2* value);
    // Plain-valued layer streams straight into a caller-owned value; nothing to dispose.
    // stream_type may be null.
    A_Err (*AEGP_GetLayerStreamValue)(AEGP_LayerH layer, AEGP_LayerStream which_stream,
                                      AEGP_LTimeMode time_mode, const A_Time* time, A_Boolean pre_expression,
                                      AEGP_StreamVal2* stream_val, AEGP_StreamType* stream_type);
    A_Err (*AEGP_GetExpressionState)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH stream,
                                     A_Boolean* enabled);
    A_Err (*AEGP_SetExpressionState)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH stream, A_Boolean enabled);
    A_Err (*AEGP_GetExpression)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH stream,
                                AEGP_MemHandle* unicodeH);
    A_Err (*AEGP_SetExpression)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH stream,
                                const A_UTF16Char* expression);
    A_Err (*AEGP_DuplicateStreamRef)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH stream,
                                     AEGP_StreamRefH* dup_stream);
    A_Err (*AEGP_GetUniqueStreamID)(AEGP_StreamRefH stream, A_long* outID);
};

// ---- "AEGP Memory Suite" version 1 --------------------------------------------------------------

// Host memory blocks (e.g. UTF-16 layer names). Locks nest; unlock before freeing.
struct AEGP_MemorySuite1 {
    A_Err (*AEGP_NewMemHandle)(AEGP_PluginID plugin_id, const A_char* what, AEGP_MemSize size,
                               AEGP_MemFlag flags, AEGP_MemHandle* mem);
    A_Err (*AEGP_FreeMemHandle)(AEGP_MemHandle mem);
    A_Err (*AEGP_LockMemHandle)(AEGP_MemHandle mem, void** ptr_to_ptr);
    A_Err (*AEGP_UnlockMemHandle)(AEGP_MemHandle mem);
    A_Err (*AEGP_GetMemHandleSize)(AEGP_MemHandle mem, AEGP_MemSize* size);
    A_Err (*AEGP_ResizeMemHandle)(const A_char* what, AEGP_MemSize new_size, AEGP_MemHandle mem);
    A_Err (*AEGP_SetMemReportingOn)(A_Boolean turn_On);
    A_Err (*AEGP_GetMemStats)(AEGP_PluginID plugin_id, A_long* count, A_long* size);
};

// ---- "PF World Suite" version 2 -----------------------------------------------------------------

// Effect-world services; the effect uses it to learn the output world's pixel format.
struct PF_WorldSuite2 {
    PF_Err (*PF_NewWorld)(PF_ProgPtr effect_ref, A_long width, A_long height, PF_Boolean clear_pix,
                          PF_PixelFormat pixel_format, PF_EffectWorld* world);
    PF_Err (*PF_DisposeWorld)(PF_ProgPtr effect_ref, PF_EffectWorld* world);
    PF_Err (*PF_GetPixelFormat)(const PF_EffectWorld* world, PF_PixelFormat* pixel_format);
};

#pragma pack(pop)
