#pragma once
// The host's suites: the basic suite that hands out the others by name and version, and the
// six suites the module uses, each a table of the operations it calls. Every operation returns
// a host error code, 0 on success.
#include "host/host_module.h"

#ifdef __cplusplus
extern "C" {
#endif

struct SPBasicSuite {
  SPErr(ORVEX_HOST_CALL* AcquireSuite)(const char* name, A_long version, const void** suite);
  SPErr(ORVEX_HOST_CALL* ReleaseSuite)(const char* name, A_long version);
};
typedef struct SPBasicSuite SPBasicSuite;

typedef A_Err(ORVEX_HOST_CALL* AEGP_DeathHook)(AEGP_GlobalRefcon, AEGP_DeathRefcon);

#define kAEGPRegisterSuite "AEGP Register Suite"
#define kAEGPRegisterSuiteVersion6 6
typedef struct {
  A_Err(ORVEX_HOST_CALL* AEGP_RegisterDeathHook)(AEGP_PluginID, AEGP_DeathHook, AEGP_DeathRefcon);
  A_Err(ORVEX_HOST_CALL* AEGP_RegisterIO)(AEGP_PluginID, AEGP_IORefcon, const AEIO_ModuleInfo*,
                                          const AEIO_FunctionBlock4*);
} AEGP_RegisterSuite6;

#define kAEGPUtilitySuite "AEGP Utility Suite"
#define kAEGPUtilitySuiteVersion13 13
typedef struct {
  A_Err(ORVEX_HOST_CALL* AEGP_ReportInfo)(AEGP_PluginID, const A_char* info_string);  // slot 0
  A_Err(ORVEX_HOST_CALL* AEGP_RegisterWithAEGP)(AEGP_GlobalRefcon, const A_char* plugin_name,
                                                AEGP_PluginID* plugin_id);
} AEGP_UtilitySuite13;

#define kAEGPIOOutSuite "AEGP IO Out Suite"
#define kAEGPIOOutSuiteVersion7 7
typedef struct {
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecOptionsHandle)(AEIO_OutSpecH, AEIO_Handle* optionsPH);
  A_Err(ORVEX_HOST_CALL* AEGP_SetOutSpecOptionsHandle)(AEIO_OutSpecH, AEIO_Handle optionsH,
                                                       AEIO_Handle* old_optionsPH);
  // The path is a new handle holding zero-terminated UTF-16; empty when there is none. The
  // caller frees it.
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecFilePath)(AEIO_OutSpecH, AEGP_MemHandle* unicode_pathPH);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecFPS)(AEIO_OutSpecH, A_Fixed* native_fpsP);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecDepth)(AEIO_OutSpecH, A_short* depthPS);
  A_Err(ORVEX_HOST_CALL* AEGP_SetOutSpecDepth)(AEIO_OutSpecH, A_short depthS);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecDimensions)(AEIO_OutSpecH, A_long* widthPL,
                                                    A_long* heightPL);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecHSF)(AEIO_OutSpecH, A_Ratio* hsfP);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecSoundRate)(AEIO_OutSpecH, A_FpLong* ratePF);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecSoundSampleSize)(AEIO_OutSpecH, A_short* bytes_per_smpP);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecSoundChannels)(AEIO_OutSpecH, A_short* num_channelsP);
  A_Err(ORVEX_HOST_CALL* AEGP_GetOutSpecIsMissing)(AEIO_OutSpecH, A_Boolean* missingPB);
} AEGP_IOOutSuite7;

#define kAEGPMemorySuite "AEGP Memory Suite"
#define kAEGPMemorySuiteVersion1 1
typedef struct {
  A_Err(ORVEX_HOST_CALL* AEGP_NewMemHandle)(AEGP_PluginID, const A_char* whatZ, AEGP_MemSize,
                                            AEGP_MemFlag, AEGP_MemHandle* memPH);
  A_Err(ORVEX_HOST_CALL* AEGP_FreeMemHandle)(AEGP_MemHandle);
  // The pointer stays valid until the matching unlock.
  A_Err(ORVEX_HOST_CALL* AEGP_LockMemHandle)(AEGP_MemHandle, void** ptr_to_ptr);
  A_Err(ORVEX_HOST_CALL* AEGP_UnlockMemHandle)(AEGP_MemHandle);
} AEGP_MemorySuite1;

#define kPFANSISuite "PF ANSI Suite"
#define kPFANSISuiteVersion1 1
typedef struct {
  A_long(ORVEX_HOST_CALL* sprintf)(A_char* buffer, const A_char* format, ...);
  A_char*(ORVEX_HOST_CALL* strcpy)(A_char* dest, const A_char* src);
} PF_ANSICallbacksSuite1;

#define kPFWorldSuite "PF World Suite"
#define kPFWorldSuiteVersion2 2
typedef struct {
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
