// Slot names of the suite tables the host serves, in table order, for fault messages.
// Kept in step with src/host/host_suites.h: suite_tables.cpp checks each count against the
// size of the table type.
#pragma once

namespace nebulastra::scenehost {

inline constexpr const char* kBasicSuiteSlots[] = {
    "AcquireSuite", "ReleaseSuite", "IsEqual", "AllocateBlock", "FreeBlock", "ReallocateBlock",
    "Undefined",
};
inline constexpr const char* kUtilitySuiteSlots[] = {
    "AEGP_ReportInfo", "AEGP_ReportInfoUnicode", "AEGP_GetDriverPluginInitFuncVersion",
    "AEGP_GetDriverImplementationVersion", "AEGP_StartQuietErrors", "AEGP_EndQuietErrors",
    "AEGP_GetLastErrorMessage", "AEGP_StartUndoGroup", "AEGP_EndUndoGroup", "AEGP_RegisterWithAEGP",
    "AEGP_GetMainHWND", "AEGP_ShowHideAllFloaters", "AEGP_PaintPalGetForeColor",
    "AEGP_PaintPalGetBackColor", "AEGP_PaintPalSetForeColor", "AEGP_PaintPalSetBackColor",
    "AEGP_CharPalGetFillColor", "AEGP_CharPalGetStrokeColor", "AEGP_CharPalSetFillColor",
    "AEGP_CharPalSetStrokeColor", "AEGP_CharPalIsFillColorUIFrontmost",
    "AEGP_ConvertFpLongToHSFRatio", "AEGP_ConvertHSFRatioToFpLong",
    "AEGP_CauseIdleRoutinesToBeCalled", "AEGP_GetSuppressInteractiveUI", "AEGP_WriteToOSConsole",
    "AEGP_WriteToDebugLog", "AEGP_IsScriptingAvailable", "AEGP_ExecuteScript",
    "AEGP_HostIsActivated", "AEGP_GetPluginPlatformRef", "AEGP_UpdateFontList",
    "AEGP_GetPluginPaths",
};
inline constexpr const char* kAnsiSuiteSlots[] = {
    "atan", "atan2", "ceil", "cos", "exp", "fabs", "floor", "fmod", "hypot", "log", "log10", "pow",
    "sin", "sqrt", "tan", "sprintf", "strcpy", "asin", "acos",
};
inline constexpr const char* kPFInterfaceSuiteSlots[] = {
    "AEGP_GetEffectLayer", "AEGP_GetNewEffectForEffect", "AEGP_ConvertEffectToCompTime",
    "AEGP_GetEffectCamera", "AEGP_GetEffectCameraMatrix",
};
inline constexpr const char* kLayerSuiteSlots[] = {
    "AEGP_GetCompNumLayers", "AEGP_GetCompLayerByIndex", "AEGP_GetActiveLayer",
    "AEGP_GetLayerIndex", "AEGP_GetLayerSourceItem", "AEGP_GetLayerSourceItemID",
    "AEGP_GetLayerParentComp", "AEGP_GetLayerName", "AEGP_GetLayerQuality", "AEGP_SetLayerQuality",
    "AEGP_GetLayerFlags", "AEGP_SetLayerFlag", "AEGP_IsLayerVideoReallyOn",
    "AEGP_IsLayerAudioReallyOn", "AEGP_GetLayerCurrentTime", "AEGP_GetLayerInPoint",
    "AEGP_GetLayerDuration", "AEGP_SetLayerInPointAndDuration", "AEGP_GetLayerOffset",
    "AEGP_SetLayerOffset", "AEGP_GetLayerStretch", "AEGP_SetLayerStretch",
    "AEGP_GetLayerTransferMode", "AEGP_SetLayerTransferMode", "AEGP_IsAddLayerValid",
    "AEGP_AddLayer", "AEGP_ReorderLayer", "AEGP_GetLayerMaskedBounds", "AEGP_GetLayerObjectType",
    "AEGP_IsLayer3D", "AEGP_IsLayer2D", "AEGP_IsVideoActive", "AEGP_IsLayerUsedAsTrackMatte",
    "AEGP_DoesLayerHaveTrackMatte", "AEGP_ConvertCompToLayerTime", "AEGP_ConvertLayerToCompTime",
    "AEGP_GetLayerDancingRandValue", "AEGP_GetLayerID", "AEGP_GetLayerToWorldXform",
    "AEGP_GetLayerToWorldXformFromView", "AEGP_SetLayerName", "AEGP_GetLayerParent",
    "AEGP_SetLayerParent", "AEGP_DeleteLayer", "AEGP_DuplicateLayer", "AEGP_GetLayerFromLayerID",
    "AEGP_GetLayerLabel", "AEGP_SetLayerLabel", "AEGP_GetLayerSamplingQuality",
    "AEGP_SetLayerSamplingQuality", "AEGP_GetTrackMatteLayer", "AEGP_SetTrackMatte",
    "AEGP_RemoveTrackMatte",
};
inline constexpr const char* kLightSuiteSlots[] = {
    "AEGP_GetLightType", "AEGP_SetLightType",
};
inline constexpr const char* kStreamSuiteSlots[] = {
    "AEGP_IsStreamLegal", "AEGP_CanVaryOverTime", "AEGP_GetValidInterpolations",
    "AEGP_GetNewLayerStream", "AEGP_GetEffectNumParamStreams", "AEGP_GetNewEffectStreamByIndex",
    "AEGP_GetNewMaskStream", "AEGP_DisposeStream", "AEGP_GetStreamName", "AEGP_GetStreamUnitsText",
    "AEGP_GetStreamProperties", "AEGP_IsStreamTimevarying", "AEGP_GetStreamType",
    "AEGP_GetNewStreamValue", "AEGP_DisposeStreamValue", "AEGP_SetStreamValue",
    "AEGP_GetLayerStreamValue", "AEGP_GetExpressionState", "AEGP_SetExpressionState",
    "AEGP_GetExpression", "AEGP_SetExpression", "AEGP_DuplicateStreamRef", "AEGP_GetUniqueStreamID",
};
inline constexpr const char* kMemorySuiteSlots[] = {
    "AEGP_NewMemHandle", "AEGP_FreeMemHandle", "AEGP_LockMemHandle", "AEGP_UnlockMemHandle",
    "AEGP_GetMemHandleSize", "AEGP_ResizeMemHandle", "AEGP_SetMemReportingOn", "AEGP_GetMemStats",
};
inline constexpr const char* kWorldSuiteSlots[] = {
    "PF_NewWorld", "PF_DisposeWorld", "PF_GetPixelFormat",
};

} // namespace nebulastra::scenehost
