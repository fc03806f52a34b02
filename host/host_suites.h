#pragma once
// The host's suites: the basic suite that hands out the others by name and version, and the six
// suites the module uses. A suite is a table of function pointers that the module reaches by
// slot position, so every table is declared in the host's order from slot 0 up to the last slot
// the module calls, the slots it never calls included. Every operation returns a host error
// code, 0 on success (the ANSI suite's functions excepted).
#include <stddef.h>

#include "host/host_module.h"

#ifdef __cplusplus
extern "C" {
#endif

struct SPBasicSuite {
  SPErr(ORVEX_HOST_CALL* AcquireSuite)(const char* name, int32_t version, const void** suite);
  SPErr(ORVEX_HOST_CALL* ReleaseSuite)(const char* name, int32_t version);
  SPBoolean(ORVEX_HOST_CALL* IsEqual)(const char* token1, const char* token2);
  SPErr(ORVEX_HOST_CALL* AllocateBlock)(size_t size, void** block);
  SPErr(ORVEX_HOST_CALL* FreeBlock)(void* block);
  SPErr(ORVEX_HOST_CALL* ReallocateBlock)(void* block, size_t new_size, void** new_block);
  SPErr(ORVEX_HOST_CALL* Undefined)(void);
};
typedef struct SPBasicSuite SPBasicSuite;

typedef A_Err(ORVEX_HOST_CALL* AEGP_DeathHook)(AEGP_GlobalRefcon, AEGP_DeathRefcon);

#define kAEGPRegisterSuite "AEGP Register Suite"
#define kAEGPRegisterSuiteVersion6 6
typedef struct {
  A_Err(ORVEX_HOST_CALL* AEGP_RegisterCommandHook)(AEGP_PluginID, A_long hook_priority,
                                                   A_long command, void* hook, void* refcon);
  A_Err(ORVEX_HOST_CALL* AEGP_RegisterUpdateMenuHook)(AEGP_PluginID, void* hook, void* refcon);
  A_Err(ORVEX_HOST_CALL* AEGP_RegisterDeathHook)(AEGP_PluginID, AEGP_DeathHook, AEGP_DeathRefcon);
  A_Err(ORVEX_HOST_CALL* AEGP_RegisterVersionHook)(AEGP_PluginID, void* hook, void* refcon);
  A_Err(ORVEX_HOST_CALL* AEGP_RegisterAboutStringHook)(AEGP_PluginID, void* hook, void* refcon);
  A_Err(ORVEX_HOST_CALL* AEGP_RegisterAboutHook)(AEGP_PluginID, void* hook, void* refcon);
  A_Err(ORVEX_HOST_CALL* AEGP_RegisterArtisan)(A_Version api_version, A_Version artisan_version,
                                               AEGP_PluginID, void* refcon,
                                               const A_char* match_name, const A_char* artisan_name,
                                               void* entry_points);
  // The host copies both structures during the call.
  A_Err(ORVEX_HOST_CALL* AEGP_RegisterIO)(AEGP_PluginID, AEGP_IORefcon, const AEIO_ModuleInfo*,
                                          const AEIO_FunctionBlock4*);
} AEGP_RegisterSuite6;

#define kAEGPUtilitySuite "AEGP Utility Suite"
#define kAEGPUtilitySuiteVersion13 13
typedef struct _AEGP_ErrReportState AEGP_ErrReportState;
typedef struct {
  // Shows the plug-in's name followed by the text.
  A_Err(ORVEX_HOST_CALL* AEGP_ReportInfo)(AEGP_PluginID, const A_char* info_string);
  A_Err(ORVEX_HOST_CALL* AEGP_ReportInfoUnicode)(AEGP_PluginID, const A_UTF16Char* info_string);
  A_Err(ORVEX_HOST_CALL* AEGP_GetDriverPluginInitFuncVersion)(A_short* major, A_short* minor);
  A_Err(ORVEX_HOST_CALL* AEGP_GetDriverImplementationVersion)(A_short* major, A_short* minor);
  A_Err(ORVEX_HOST_CALL* AEGP_StartQuietErrors)(AEGP_ErrReportState* state);
  A_Err(ORVEX_HOST_CALL* AEGP_EndQuietErrors)(A_Boolean report_quieted, AEGP_ErrReportState*);
  A_Err(ORVEX_HOST_CALL* AEGP_GetLastErrorMessage)(A_long buffer_size, A_char* message,
                                                   A_Err* error);
  A_Err(ORVEX_HOST_CALL* AEGP_StartUndoGroup)(const A_char* undo_name);
  A_Err(ORVEX_HOST_CALL* AEGP_EndUndoGroup)(void);
  // The name has at most 31 characters.
  A_Err(ORVEX_HOST_CALL* AEGP_RegisterWithAEGP)(AEGP_GlobalRefcon, const A_char* plugin_name,
                                                AEGP_PluginID* plugin_id);
} AEGP_UtilitySuite13;

#define kAEGPIOOutSuite "AEGP IO Out Suite"
#define kAEGPIOOutSuiteVersion7 7
typedef struct {
  // The options handle, empty when there is none; set returns the previous one.
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecOptionsHandle)(AEIO_OutSpecH, AEIO_Handle* optionsPH);
  A_Err(ORVEX_HOST_CALL* AEGP_SetOutSpecOptionsHandle)(AEIO_OutSpecH, AEIO_Handle optionsH,
                                                       AEIO_Handle* old_optionsPH);
  // The path is a new handle holding zero-terminated UTF-16, which the caller frees. The host
  // writes through `file_reservedPB`: true when it has already created the (empty) file.
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecFilePath)(AEIO_OutSpecH, AEGP_MemHandle* unicode_pathPH,
                                                  A_Boolean* file_reservedPB);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecFPS)(AEIO_OutSpecH, A_Fixed* native_fpsP);
  A_Err(ORVEX_HOST_CALL* AEGP_SetOutSpecNativeFPS)(AEIO_OutSpecH, A_Fixed native_fpsP);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecDepth)(AEIO_OutSpecH, A_short* depthPS);
  A_Err(ORVEX_HOST_CALL* AEGP_SetOutSpecDepth)(AEIO_OutSpecH, A_short depthS);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecInterlaceLabel)(AEIO_OutSpecH, FIEL_Label* interlaceP);
  A_Err(ORVEX_HOST_CALL* AEGP_SetOutSpecInterlaceLabel)(AEIO_OutSpecH, const FIEL_Label*);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecAlphaLabel)(AEIO_OutSpecH, AEIO_AlphaLabel* alphaP);
  A_Err(ORVEX_HOST_CALL* AEGP_SetOutSpecAlphaLabel)(AEIO_OutSpecH, const AEIO_AlphaLabel*);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecDuration)(AEIO_OutSpecH, A_Time* durationP);
  A_Err(ORVEX_HOST_CALL* AEGP_SetOutSpecDuration)(AEIO_OutSpecH, const A_Time* durationP);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecDimensions)(AEIO_OutSpecH, A_long* widthPL,
                                                    A_long* heightPL);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecHSF)(AEIO_OutSpecH, A_Ratio* hsf);
  A_Err(ORVEX_HOST_CALL* AEGP_SetOutSpecHSF)(AEIO_OutSpecH, const A_Ratio* hsf);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecSoundRate)(AEIO_OutSpecH, A_FpLong* ratePF);
  A_Err(ORVEX_HOST_CALL* AEGP_SetOutSpecSoundRate)(AEIO_OutSpecH, A_FpLong rateF);
  // 1 unsigned PCM, 2 signed PCM, 3 float.
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecSoundEncoding)(AEIO_OutSpecH, AEIO_SndEncoding* encodingP);
  A_Err(ORVEX_HOST_CALL* AEGP_SetOutSpecSoundEncoding)(AEIO_OutSpecH, AEIO_SndEncoding encoding);
  // Bytes per sample: 1, 2 or 4.
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecSoundSampleSize)(AEIO_OutSpecH,
                                                         AEIO_SndSampleSize* bytes_per_smpP);
  A_Err(ORVEX_HOST_CALL* AEGP_SetOutSpecSoundSampleSize)(AEIO_OutSpecH,
                                                         AEIO_SndSampleSize bytes_per_sample);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecSoundChannels)(AEIO_OutSpecH,
                                                       AEIO_SndChannels* num_channelsP);
  A_Err(ORVEX_HOST_CALL* AEGP_SetOutSpecSoundChannels)(AEIO_OutSpecH, AEIO_SndChannels);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecIsStill)(AEIO_OutSpecH, A_Boolean* is_stillPB);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecPosterTime)(AEIO_OutSpecH, A_Time* poster_timeP);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecStartFrame)(AEIO_OutSpecH, A_long* start_frameP);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecPullDown)(AEIO_OutSpecH, AEIO_Pulldown* pulldownP);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecIsMissing)(AEIO_OutSpecH, A_Boolean* missingPB);
} AEGP_IOOutSuite7;

#define kAEGPMemorySuite "AEGP Memory Suite"
#define kAEGPMemorySuiteVersion1 1
typedef struct {
  A_Err(ORVEX_HOST_CALL* AEGP_NewMemHandle)(AEGP_PluginID, const A_char* whatZ, AEGP_MemSize,
                                            AEGP_MemFlag, AEGP_MemHandle* memPH);
  A_Err(ORVEX_HOST_CALL* AEGP_FreeMemHandle)(AEGP_MemHandle);
  // Locks nest; the pointer stays valid until the matching unlock.
  A_Err(ORVEX_HOST_CALL* AEGP_LockMemHandle)(AEGP_MemHandle, void** ptr_to_ptr);
  A_Err(ORVEX_HOST_CALL* AEGP_UnlockMemHandle)(AEGP_MemHandle);
} AEGP_MemorySuite1;

#define kPFANSISuite "PF ANSI Suite"
#define kPFANSISuiteVersion1 1
typedef struct {
  A_FpLong(ORVEX_HOST_CALL* atan)(A_FpLong);
  A_FpLong(ORVEX_HOST_CALL* atan2)(A_FpLong y, A_FpLong x);
  A_FpLong(ORVEX_HOST_CALL* ceil)(A_FpLong);
  A_FpLong(ORVEX_HOST_CALL* cos)(A_FpLong);
  A_FpLong(ORVEX_HOST_CALL* exp)(A_FpLong);
  A_FpLong(ORVEX_HOST_CALL* fabs)(A_FpLong);
  A_FpLong(ORVEX_HOST_CALL* floor)(A_FpLong);
  A_FpLong(ORVEX_HOST_CALL* fmod)(A_FpLong x, A_FpLong y);
  A_FpLong(ORVEX_HOST_CALL* hypot)(A_FpLong x, A_FpLong y);
  A_FpLong(ORVEX_HOST_CALL* log)(A_FpLong);
  A_FpLong(ORVEX_HOST_CALL* log10)(A_FpLong);
  A_FpLong(ORVEX_HOST_CALL* pow)(A_FpLong x, A_FpLong y);
  A_FpLong(ORVEX_HOST_CALL* sin)(A_FpLong);
  A_FpLong(ORVEX_HOST_CALL* sqrt)(A_FpLong);
  A_FpLong(ORVEX_HOST_CALL* tan)(A_FpLong);
  int32_t(ORVEX_HOST_CALL* sprintf)(A_char* buffer, const A_char* format, ...);
  A_char*(ORVEX_HOST_CALL* strcpy)(A_char* dest, const A_char* src);
} PF_ANSICallbacksSuite1;

#define kPFWorldSuite "PF World Suite"
#define kPFWorldSuiteVersion2 2
typedef struct _PF_ProgressInfo* PF_ProgPtr;
typedef struct {
  PF_Err(ORVEX_HOST_CALL* PF_NewWorld)(PF_ProgPtr effect_ref, A_long width, A_long height,
                                       PF_Boolean clear_pix, PF_PixelFormat, PF_EffectWorld*);
  PF_Err(ORVEX_HOST_CALL* PF_DisposeWorld)(PF_ProgPtr effect_ref, PF_EffectWorld*);
  PF_Err(ORVEX_HOST_CALL* PF_GetPixelFormat)(const PF_EffectWorld*, PF_PixelFormat* pixel_formatP);
} PF_WorldSuite2;

// The plug-in's one export.
typedef A_Err(ORVEX_HOST_CALL* EntryPointFunc_Fn)(SPBasicSuite* pica_basicP, A_long major_versionL,
                                                  A_long minor_versionL,
                                                  AEGP_PluginID aegp_plugin_id,
                                                  AEGP_GlobalRefcon* global_refconP);

#ifdef __cplusplus
}
#endif
