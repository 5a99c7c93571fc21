// Compile-time proof that our host function tables match the host's: every slot of every table
// the effect receives (callbacks in PF_InData and the SmartFX extras, the basic suite and each
// suite it acquires) sits at the host's offset and has the host's signature, written out here in
// fixed-width types. A missing entry shifts every later slot and a wrong argument width corrupts
// the call; either fails the build.
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "host/host_abi.h"
#include "host/host_check_macros.h"

namespace {

// PF_PreRenderCallbacks
HOST_CHECK_RECORD(PF_PreRenderCallbacks, 16, 8);
HOST_CHECK_SLOT(PF_PreRenderCallbacks, checkout_layer, 0,
                int32_t (*)(PF_ProgPtr, int32_t, int32_t, const PF_RenderRequest*, int32_t, int32_t, uint32_t,
                            PF_CheckoutResult*));
HOST_CHECK_SLOT(PF_PreRenderCallbacks, GuidMixInPtr, 8, int32_t (*)(PF_ProgPtr, uint32_t, const void*));

// PF_SmartRenderCallbacks
HOST_CHECK_RECORD(PF_SmartRenderCallbacks, 24, 8);
HOST_CHECK_SLOT(PF_SmartRenderCallbacks, checkout_layer_pixels, 0,
                int32_t (*)(PF_ProgPtr, int32_t, PF_EffectWorld**));
HOST_CHECK_SLOT(PF_SmartRenderCallbacks, checkin_layer_pixels, 8, int32_t (*)(PF_ProgPtr, int32_t));
HOST_CHECK_SLOT(PF_SmartRenderCallbacks, checkout_output, 16, int32_t (*)(PF_ProgPtr, PF_EffectWorld**));

// SPBasicSuite
HOST_CHECK_RECORD(SPBasicSuite, 56, 8);
HOST_CHECK_SLOT(SPBasicSuite, AcquireSuite, 0, int32_t (*)(const char*, int32_t, const void**));
HOST_CHECK_SLOT(SPBasicSuite, ReleaseSuite, 8, int32_t (*)(const char*, int32_t));
HOST_CHECK_SLOT(SPBasicSuite, IsEqual, 16, int32_t (*)(const char*, const char*));
HOST_CHECK_SLOT(SPBasicSuite, AllocateBlock, 24, int32_t (*)(uint64_t, void**));
HOST_CHECK_SLOT(SPBasicSuite, FreeBlock, 32, int32_t (*)(void*));
HOST_CHECK_SLOT(SPBasicSuite, ReallocateBlock, 40, int32_t (*)(void*, uint64_t, void**));
HOST_CHECK_SLOT(SPBasicSuite, Undefined, 48, int32_t (*)(void));

// AEGP_UtilitySuite6
HOST_CHECK_RECORD(AEGP_UtilitySuite6, 264, 8);
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_ReportInfo, 0, int32_t (*)(int32_t, const char*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_ReportInfoUnicode, 8, int32_t (*)(int32_t, const uint16_t*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_GetDriverPluginInitFuncVersion, 16, int32_t (*)(int16_t*, int16_t*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_GetDriverImplementationVersion, 24, int32_t (*)(int16_t*, int16_t*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_StartQuietErrors, 32, int32_t (*)(AEGP_ErrReportState*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_EndQuietErrors, 40, int32_t (*)(uint8_t, AEGP_ErrReportState*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_GetLastErrorMessage, 48, int32_t (*)(int32_t, char*, int32_t*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_StartUndoGroup, 56, int32_t (*)(const char*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_EndUndoGroup, 64, int32_t (*)(void));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_RegisterWithAEGP, 72,
                int32_t (*)(AEGP_GlobalRefcon, const char*, int32_t*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_GetMainHWND, 80, int32_t (*)(void*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_ShowHideAllFloaters, 88, int32_t (*)(uint8_t));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_PaintPalGetForeColor, 96, int32_t (*)(AEGP_ColorVal*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_PaintPalGetBackColor, 104, int32_t (*)(AEGP_ColorVal*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_PaintPalSetForeColor, 112, int32_t (*)(const AEGP_ColorVal*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_PaintPalSetBackColor, 120, int32_t (*)(const AEGP_ColorVal*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_CharPalGetFillColor, 128, int32_t (*)(uint8_t*, AEGP_ColorVal*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_CharPalGetStrokeColor, 136, int32_t (*)(uint8_t*, AEGP_ColorVal*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_CharPalSetFillColor, 144, int32_t (*)(const AEGP_ColorVal*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_CharPalSetStrokeColor, 152, int32_t (*)(const AEGP_ColorVal*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_CharPalIsFillColorUIFrontmost, 160, int32_t (*)(uint8_t*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_ConvertFpLongToHSFRatio, 168, int32_t (*)(double, A_Ratio*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_ConvertHSFRatioToFpLong, 176, int32_t (*)(A_Ratio, double*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_CauseIdleRoutinesToBeCalled, 184, int32_t (*)(void));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_GetSuppressInteractiveUI, 192, int32_t (*)(uint8_t*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_WriteToOSConsole, 200, int32_t (*)(const char*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_WriteToDebugLog, 208,
                int32_t (*)(const char*, const char*, const char*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_IsScriptingAvailable, 216, int32_t (*)(uint8_t*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_ExecuteScript, 224,
                int32_t (*)(int32_t, const char*, const uint8_t, AEGP_MemHandle*, AEGP_MemHandle*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_HostIsActivated, 232, int32_t (*)(uint8_t*));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_GetPluginPlatformRef, 240, int32_t (*)(int32_t, void**));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_UpdateFontList, 248, int32_t (*)(void));
HOST_CHECK_SLOT(AEGP_UtilitySuite6, AEGP_GetPluginPaths, 256,
                int32_t (*)(int32_t, uint32_t, AEGP_MemHandle*));

// PF_ANSICallbacksSuite1
HOST_CHECK_RECORD(PF_ANSICallbacksSuite1, 152, 8);
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, atan, 0, double (*)(double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, atan2, 8, double (*)(double, double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, ceil, 16, double (*)(double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, cos, 24, double (*)(double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, exp, 32, double (*)(double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, fabs, 40, double (*)(double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, floor, 48, double (*)(double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, fmod, 56, double (*)(double, double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, hypot, 64, double (*)(double, double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, log, 72, double (*)(double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, log10, 80, double (*)(double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, pow, 88, double (*)(double, double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, sin, 96, double (*)(double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, sqrt, 104, double (*)(double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, tan, 112, double (*)(double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, sprintf, 120, int32_t (*)(char*, const char*, ...));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, strcpy, 128, char* (*)(char*, const char*));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, asin, 136, double (*)(double));
HOST_CHECK_SLOT(PF_ANSICallbacksSuite1, acos, 144, double (*)(double));

// AEGP_PFInterfaceSuite1
HOST_CHECK_RECORD(AEGP_PFInterfaceSuite1, 40, 8);
HOST_CHECK_SLOT(AEGP_PFInterfaceSuite1, AEGP_GetEffectLayer, 0, int32_t (*)(PF_ProgPtr, AEGP_LayerH*));
HOST_CHECK_SLOT(AEGP_PFInterfaceSuite1, AEGP_GetNewEffectForEffect, 8,
                int32_t (*)(int32_t, PF_ProgPtr, AEGP_EffectRefH*));
HOST_CHECK_SLOT(AEGP_PFInterfaceSuite1, AEGP_ConvertEffectToCompTime, 16,
                int32_t (*)(PF_ProgPtr, int32_t, uint32_t, A_Time*));
HOST_CHECK_SLOT(AEGP_PFInterfaceSuite1, AEGP_GetEffectCamera, 24,
                int32_t (*)(PF_ProgPtr, const A_Time*, AEGP_LayerH*));
HOST_CHECK_SLOT(AEGP_PFInterfaceSuite1, AEGP_GetEffectCameraMatrix, 32,
                int32_t (*)(PF_ProgPtr, const A_Time*, A_Matrix4*, double*, int16_t*, int16_t*));

// AEGP_LayerSuite9
HOST_CHECK_RECORD(AEGP_LayerSuite9, 424, 8);
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetCompNumLayers, 0, int32_t (*)(AEGP_CompH, int32_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetCompLayerByIndex, 8,
                int32_t (*)(AEGP_CompH, int32_t, AEGP_LayerH*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetActiveLayer, 16, int32_t (*)(AEGP_LayerH*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerIndex, 24, int32_t (*)(AEGP_LayerH, int32_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerSourceItem, 32, int32_t (*)(AEGP_LayerH, AEGP_ItemH*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerSourceItemID, 40, int32_t (*)(AEGP_LayerH, int32_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerParentComp, 48, int32_t (*)(AEGP_LayerH, AEGP_CompH*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerName, 56,
                int32_t (*)(int32_t, AEGP_LayerH, AEGP_MemHandle*, AEGP_MemHandle*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerQuality, 64, int32_t (*)(AEGP_LayerH, int16_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_SetLayerQuality, 72, int32_t (*)(AEGP_LayerH, int16_t));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerFlags, 80, int32_t (*)(AEGP_LayerH, int32_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_SetLayerFlag, 88, int32_t (*)(AEGP_LayerH, int32_t, uint8_t));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_IsLayerVideoReallyOn, 96, int32_t (*)(AEGP_LayerH, uint8_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_IsLayerAudioReallyOn, 104, int32_t (*)(AEGP_LayerH, uint8_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerCurrentTime, 112, int32_t (*)(AEGP_LayerH, int16_t, A_Time*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerInPoint, 120, int32_t (*)(AEGP_LayerH, int16_t, A_Time*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerDuration, 128, int32_t (*)(AEGP_LayerH, int16_t, A_Time*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_SetLayerInPointAndDuration, 136,
                int32_t (*)(AEGP_LayerH, int16_t, const A_Time*, const A_Time*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerOffset, 144, int32_t (*)(AEGP_LayerH, A_Time*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_SetLayerOffset, 152, int32_t (*)(AEGP_LayerH, const A_Time*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerStretch, 160, int32_t (*)(AEGP_LayerH, A_Ratio*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_SetLayerStretch, 168, int32_t (*)(AEGP_LayerH, const A_Ratio*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerTransferMode, 176,
                int32_t (*)(AEGP_LayerH, AEGP_LayerTransferMode*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_SetLayerTransferMode, 184,
                int32_t (*)(AEGP_LayerH, const AEGP_LayerTransferMode*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_IsAddLayerValid, 192, int32_t (*)(AEGP_ItemH, AEGP_CompH, uint8_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_AddLayer, 200, int32_t (*)(AEGP_ItemH, AEGP_CompH, AEGP_LayerH*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_ReorderLayer, 208, int32_t (*)(AEGP_LayerH, int32_t));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerMaskedBounds, 216,
                int32_t (*)(AEGP_LayerH, int16_t, const A_Time*, A_FloatRect*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerObjectType, 224, int32_t (*)(AEGP_LayerH, int32_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_IsLayer3D, 232, int32_t (*)(AEGP_LayerH, uint8_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_IsLayer2D, 240, int32_t (*)(AEGP_LayerH, uint8_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_IsVideoActive, 248,
                int32_t (*)(AEGP_LayerH, int16_t, const A_Time*, uint8_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_IsLayerUsedAsTrackMatte, 256,
                int32_t (*)(AEGP_LayerH, uint8_t, uint8_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_DoesLayerHaveTrackMatte, 264, int32_t (*)(AEGP_LayerH, uint8_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_ConvertCompToLayerTime, 272,
                int32_t (*)(AEGP_LayerH, const A_Time*, A_Time*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_ConvertLayerToCompTime, 280,
                int32_t (*)(AEGP_LayerH, const A_Time*, A_Time*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerDancingRandValue, 288,
                int32_t (*)(AEGP_LayerH, const A_Time*, int32_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerID, 296, int32_t (*)(AEGP_LayerH, int32_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerToWorldXform, 304,
                int32_t (*)(AEGP_LayerH, const A_Time*, A_Matrix4*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerToWorldXformFromView, 312,
                int32_t (*)(AEGP_LayerH, const A_Time*, const A_Time*, A_Matrix4*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_SetLayerName, 320, int32_t (*)(AEGP_LayerH, const uint16_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerParent, 328, int32_t (*)(const AEGP_LayerH, AEGP_LayerH*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_SetLayerParent, 336, int32_t (*)(AEGP_LayerH, const AEGP_LayerH));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_DeleteLayer, 344, int32_t (*)(AEGP_LayerH));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_DuplicateLayer, 352, int32_t (*)(AEGP_LayerH, AEGP_LayerH*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerFromLayerID, 360,
                int32_t (*)(AEGP_CompH, int32_t, AEGP_LayerH*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerLabel, 368, int32_t (*)(AEGP_LayerH, char*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_SetLayerLabel, 376, int32_t (*)(AEGP_LayerH, char));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetLayerSamplingQuality, 384, int32_t (*)(AEGP_LayerH, int16_t*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_SetLayerSamplingQuality, 392, int32_t (*)(AEGP_LayerH, int16_t));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_GetTrackMatteLayer, 400, int32_t (*)(const AEGP_LayerH, AEGP_LayerH*));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_SetTrackMatte, 408,
                int32_t (*)(AEGP_LayerH, const AEGP_LayerH, const int32_t));
HOST_CHECK_SLOT(AEGP_LayerSuite9, AEGP_RemoveTrackMatte, 416, int32_t (*)(AEGP_LayerH));

// AEGP_LightSuite2
HOST_CHECK_RECORD(AEGP_LightSuite2, 16, 8);
HOST_CHECK_SLOT(AEGP_LightSuite2, AEGP_GetLightType, 0, int32_t (*)(AEGP_LayerH, uint32_t*));
HOST_CHECK_SLOT(AEGP_LightSuite2, AEGP_SetLightType, 8, int32_t (*)(AEGP_LayerH, uint32_t));

// AEGP_StreamSuite6
HOST_CHECK_RECORD(AEGP_StreamSuite6, 184, 8);
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_IsStreamLegal, 0, int32_t (*)(AEGP_LayerH, int32_t, uint8_t*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_CanVaryOverTime, 8, int32_t (*)(AEGP_StreamRefH, uint8_t*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_GetValidInterpolations, 16, int32_t (*)(AEGP_StreamRefH, int32_t*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_GetNewLayerStream, 24,
                int32_t (*)(int32_t, AEGP_LayerH, int32_t, AEGP_StreamRefH*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_GetEffectNumParamStreams, 32, int32_t (*)(AEGP_EffectRefH, int32_t*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_GetNewEffectStreamByIndex, 40,
                int32_t (*)(int32_t, AEGP_EffectRefH, int32_t, AEGP_StreamRefH*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_GetNewMaskStream, 48,
                int32_t (*)(int32_t, AEGP_MaskRefH, int32_t, AEGP_StreamRefH*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_DisposeStream, 56, int32_t (*)(AEGP_StreamRefH));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_GetStreamName, 64,
                int32_t (*)(int32_t, AEGP_StreamRefH, uint8_t, AEGP_MemHandle*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_GetStreamUnitsText, 72, int32_t (*)(AEGP_StreamRefH, uint8_t, char*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_GetStreamProperties, 80,
                int32_t (*)(AEGP_StreamRefH, int32_t*, double*, double*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_IsStreamTimevarying, 88, int32_t (*)(AEGP_StreamRefH, uint8_t*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_GetStreamType, 96, int32_t (*)(AEGP_StreamRefH, int32_t*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_GetNewStreamValue, 104,
                int32_t (*)(int32_t, AEGP_StreamRefH, int16_t, const A_Time*, uint8_t, AEGP_StreamValue2*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_DisposeStreamValue, 112, int32_t (*)(AEGP_StreamValue2*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_SetStreamValue, 120,
                int32_t (*)(int32_t, AEGP_StreamRefH, AEGP_StreamValue2*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_GetLayerStreamValue, 128,
                int32_t (*)(AEGP_LayerH, int32_t, int16_t, const A_Time*, uint8_t, AEGP_StreamVal2*,
                            int32_t*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_GetExpressionState, 136,
                int32_t (*)(int32_t, AEGP_StreamRefH, uint8_t*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_SetExpressionState, 144,
                int32_t (*)(int32_t, AEGP_StreamRefH, uint8_t));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_GetExpression, 152,
                int32_t (*)(int32_t, AEGP_StreamRefH, AEGP_MemHandle*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_SetExpression, 160,
                int32_t (*)(int32_t, AEGP_StreamRefH, const uint16_t*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_DuplicateStreamRef, 168,
                int32_t (*)(int32_t, AEGP_StreamRefH, AEGP_StreamRefH*));
HOST_CHECK_SLOT(AEGP_StreamSuite6, AEGP_GetUniqueStreamID, 176, int32_t (*)(AEGP_StreamRefH, int32_t*));

// AEGP_MemorySuite1
HOST_CHECK_RECORD(AEGP_MemorySuite1, 64, 8);
HOST_CHECK_SLOT(AEGP_MemorySuite1, AEGP_NewMemHandle, 0,
                int32_t (*)(int32_t, const char*, uint32_t, int32_t, AEGP_MemHandle*));
HOST_CHECK_SLOT(AEGP_MemorySuite1, AEGP_FreeMemHandle, 8, int32_t (*)(AEGP_MemHandle));
HOST_CHECK_SLOT(AEGP_MemorySuite1, AEGP_LockMemHandle, 16, int32_t (*)(AEGP_MemHandle, void**));
HOST_CHECK_SLOT(AEGP_MemorySuite1, AEGP_UnlockMemHandle, 24, int32_t (*)(AEGP_MemHandle));
HOST_CHECK_SLOT(AEGP_MemorySuite1, AEGP_GetMemHandleSize, 32, int32_t (*)(AEGP_MemHandle, uint32_t*));
HOST_CHECK_SLOT(AEGP_MemorySuite1, AEGP_ResizeMemHandle, 40,
                int32_t (*)(const char*, uint32_t, AEGP_MemHandle));
HOST_CHECK_SLOT(AEGP_MemorySuite1, AEGP_SetMemReportingOn, 48, int32_t (*)(uint8_t));
HOST_CHECK_SLOT(AEGP_MemorySuite1, AEGP_GetMemStats, 56, int32_t (*)(int32_t, int32_t*, int32_t*));

// PF_WorldSuite2
HOST_CHECK_RECORD(PF_WorldSuite2, 24, 8);
HOST_CHECK_SLOT(PF_WorldSuite2, PF_NewWorld, 0,
                int32_t (*)(PF_ProgPtr, int32_t, int32_t, char, int32_t, PF_EffectWorld*));
HOST_CHECK_SLOT(PF_WorldSuite2, PF_DisposeWorld, 8, int32_t (*)(PF_ProgPtr, PF_EffectWorld*));
HOST_CHECK_SLOT(PF_WorldSuite2, PF_GetPixelFormat, 16, int32_t (*)(const PF_EffectWorld*, int32_t*));

// The ANSI block inside PF_UtilCallbacks has the suite's 19 functions in the same slots.
static_assert(offsetof(PF_ANSICallbacks, ansi_procs) == sizeof(PF_ANSICallbacksSuite1),
              "ANSI block = ANSI suite + tail");
static_assert(
    std::is_same<decltype(PF_ANSICallbacks::sprintf), decltype(PF_ANSICallbacksSuite1::sprintf)>::value &&
        std::is_same<decltype(PF_ANSICallbacks::strcpy), decltype(PF_ANSICallbacksSuite1::strcpy)>::value,
    "ANSI block and suite share sprintf/strcpy signatures");

// ---- Entry points -------------------------------------------------------------------------------

static_assert(std::is_same<PF_EffectMainFunc, int32_t (*)(int32_t, PF_InData*, PF_OutData*, PF_ParamDef**,
                                                          PF_LayerDef*, void*)>::value,
              "effect entry signature");
static_assert(std::is_same<PF_PluginDataCB,
                           int32_t (*)(PF_PluginDataPtr, const uint8_t*, const uint8_t*, const uint8_t*,
                                       const uint8_t*, int32_t, int32_t, int32_t, int32_t)>::value,
              "plug-in data callback signature");
static_assert(std::is_same<PF_PluginDataCB2, int32_t (*)(PF_PluginDataPtr, const uint8_t*, const uint8_t*,
                                                         const uint8_t*, const uint8_t*, int32_t, int32_t,
                                                         int32_t, int32_t, const uint8_t*)>::value,
              "plug-in data callback (variant 2) signature");
static_assert(
    std::is_same<PluginDataEntryFunctionFunc, int32_t (*)(PF_PluginDataPtr, PF_PluginDataCB, SPBasicSuite*,
                                                          const char*, const char*)>::value,
    "plug-in data entry signature");
static_assert(
    std::is_same<PluginDataEntryFunction2Func, int32_t (*)(PF_PluginDataPtr, PF_PluginDataCB2, SPBasicSuite*,
                                                           const char*, const char*)>::value,
    "plug-in data entry (variant 2) signature");

} // namespace
