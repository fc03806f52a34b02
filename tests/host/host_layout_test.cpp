// The host's binary interface as the module relies on it, checked at compile time in the Linux
// build and in the Windows cross build: structure sizes and alignments, field offsets, the slot
// of every suite function and callback the module uses or fills, and the constants it passes or
// compares. The numbers were measured against the host's own declarations; a moved field or slot
// fails the build.
#include <cstddef>

#include "host/host_interface.h"

namespace {

#define SIZE(type, size, align) static_assert(sizeof(type) == (size) && alignof(type) == (align))
#define AT(type, field, offset) static_assert(offsetof(type, field) == (offset))
#define SLOT(table, fn, slot) static_assert(offsetof(table, fn) == 8 * (slot))

// One line per structure or table, as a table reads.
// clang-format off

SIZE(AEIO_BasicData, 32, 8);
AT(AEIO_BasicData, msg_func, 0); AT(AEIO_BasicData, pica_basicP, 8);
AT(AEIO_BasicData, aegp_plug_id, 16); AT(AEIO_BasicData, aegp_refconPV, 24);

SIZE(AEIO_ModuleInfo, 396, 4);
AT(AEIO_ModuleInfo, sig, 0); AT(AEIO_ModuleInfo, name, 4); AT(AEIO_ModuleInfo, flags, 36);
AT(AEIO_ModuleInfo, flags2, 40); AT(AEIO_ModuleInfo, max_width, 44);
AT(AEIO_ModuleInfo, max_height, 48); AT(AEIO_ModuleInfo, num_filetypes, 52);
AT(AEIO_ModuleInfo, num_extensions, 54); AT(AEIO_ModuleInfo, num_clips, 56);
AT(AEIO_ModuleInfo, create_kind, 60); AT(AEIO_ModuleInfo, create_ext, 68);
AT(AEIO_ModuleInfo, read_kinds, 72); AT(AEIO_ModuleInfo, num_aux_extensionsS, 200);
AT(AEIO_ModuleInfo, aux_ext, 204);
SIZE(PFILE_FileKind, 8, 4); SIZE(AEIO_FileKind, 8, 4); SIZE(AEIO_AuxExt, 12, 4);
SIZE(AEIO_FileExt, 4, 1); AT(AEIO_FileExt, extension, 1);

SIZE(AEIO_Verbiage, 192, 1);
AT(AEIO_Verbiage, name, 0); AT(AEIO_Verbiage, type, 32); AT(AEIO_Verbiage, sub_type, 64);

SIZE(PF_EffectWorld, 120, 8);
AT(PF_EffectWorld, world_flags, 16); AT(PF_EffectWorld, data, 24);
AT(PF_EffectWorld, rowbytes, 32); AT(PF_EffectWorld, width, 36); AT(PF_EffectWorld, height, 40);
AT(PF_EffectWorld, extent_hint, 44); AT(PF_EffectWorld, pix_aspect_ratio, 88);
AT(PF_EffectWorld, dephault, 116);

SIZE(A_Time, 8, 4); SIZE(A_Ratio, 8, 4); SIZE(A_LPoint, 8, 4); SIZE(A_LRect, 16, 4);
SIZE(AEIO_InterruptFuncs, 24, 8); SIZE(AEIO_RationalScale, 16, 4);
SIZE(AEIO_SndEncoding, 2, 2); SIZE(AEIO_SndSampleSize, 2, 2); SIZE(AEIO_SndChannels, 2, 2);
SIZE(AEIO_TimeDir, 2, 2); SIZE(AEIO_MarkerType, 1, 1); SIZE(A_Boolean, 1, 1);

// The callback table: 49 slots; those the module fills with its own functions.
SIZE(AEIO_FunctionBlock4, 392, 8);
SLOT(AEIO_FunctionBlock4, AEIO_InitOutputSpec, 14);
SLOT(AEIO_FunctionBlock4, AEIO_GetFlatOutputOptions, 15);
SLOT(AEIO_FunctionBlock4, AEIO_DisposeOutputOptions, 16);
SLOT(AEIO_FunctionBlock4, AEIO_UserOptionsDialog, 17);
SLOT(AEIO_FunctionBlock4, AEIO_GetOutputInfo, 18);
SLOT(AEIO_FunctionBlock4, AEIO_OutputInfoChanged, 19);
SLOT(AEIO_FunctionBlock4, AEIO_StartAdding, 21); SLOT(AEIO_FunctionBlock4, AEIO_AddFrame, 22);
SLOT(AEIO_FunctionBlock4, AEIO_EndAdding, 23); SLOT(AEIO_FunctionBlock4, AEIO_AddSoundChunk, 28);
SLOT(AEIO_FunctionBlock4, AEIO_GetDepths, 30); SLOT(AEIO_FunctionBlock4, AEIO_SeqOptionsDlg, 32);
SLOT(AEIO_FunctionBlock4, AEIO_VerifyFileImportable, 44);

// Suites: every function the module calls.
SLOT(SPBasicSuite, AcquireSuite, 0); SLOT(SPBasicSuite, ReleaseSuite, 1);
SLOT(AEGP_RegisterSuite6, AEGP_RegisterDeathHook, 2); SLOT(AEGP_RegisterSuite6, AEGP_RegisterIO, 7);
SLOT(AEGP_UtilitySuite13, AEGP_ReportInfo, 0);
SLOT(AEGP_UtilitySuite13, AEGP_RegisterWithAEGP, 9);
SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecOptionsHandle, 0);
SLOT(AEGP_IOOutSuite7, AEGP_SetOutSpecOptionsHandle, 1);
SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecFilePath, 2); SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecFPS, 3);
SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecDepth, 5); SLOT(AEGP_IOOutSuite7, AEGP_SetOutSpecDepth, 6);
SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecDimensions, 13);
SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecHSF, 14);
SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecSoundRate, 16);
SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecSoundEncoding, 18);
SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecSoundSampleSize, 20);
SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecSoundChannels, 22);
SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecIsMissing, 28);
SLOT(AEGP_MemorySuite1, AEGP_NewMemHandle, 0); SLOT(AEGP_MemorySuite1, AEGP_FreeMemHandle, 1);
SLOT(AEGP_MemorySuite1, AEGP_LockMemHandle, 2); SLOT(AEGP_MemorySuite1, AEGP_UnlockMemHandle, 3);
SLOT(PF_ANSICallbacksSuite1, sprintf, 15); SLOT(PF_ANSICallbacksSuite1, strcpy, 16);
SLOT(PF_WorldSuite2, PF_GetPixelFormat, 2);

// Constants.
static_assert(kAEGPRegisterSuiteVersion6 == 6 && kAEGPUtilitySuiteVersion13 == 13 &&
              kAEGPIOOutSuiteVersion7 == 7 && kAEGPMemorySuiteVersion1 == 1 &&
              kPFANSISuiteVersion1 == 1 && kPFWorldSuiteVersion2 == 2);
static_assert(PF_PixelFormat_ARGB32 == 0x62677261 && PF_PixelFormat_ARGB64 == 0x36316561 &&
              PF_PixelFormat_ARGB128 == 0x32336561);
static_assert(AEIO_E_UNSIGNED_PCM == 1 && AEIO_E_SIGNED_PCM == 2 && AEIO_E_SIGNED_FLOAT == 3);
static_assert(AEIO_MFlag_OUTPUT + AEIO_MFlag_FILE + AEIO_MFlag_VIDEO + AEIO_MFlag_AUDIO == 0x36 &&
              AEIO_MFlag2_CAN_DO_AUDIO_32 == 0x40);
static_assert(AEIO_SupportedDepthFlags_DEPTH_24 == 0x40 &&
              AEIO_SupportedDepthFlags_DEPTH_32 == 0x80 &&
              AEIO_SupportedDepthFlags_DEPTH_48 == 0x800 &&
              AEIO_SupportedDepthFlags_DEPTH_64 == 0x1000);
static_assert(AEGP_MemFlag_CLEAR == 1 && AEIO_ANY_CREATOR == -1 && A_Err_MISSING_SUITE == 13 &&
              AEIO_Err_USE_DFLT_CALLBACK == 9992);

// clang-format on

#undef SIZE
#undef AT
#undef SLOT

}  // namespace
