// The plug-in's one export: registers the output module with the host (death hook, module
// description, the 49-slot callback table) and the plug-in itself. The input-side slots answer
// with fixed results; slots the module does not provide stay empty.
#include <cstring>

#include "host/callbacks.h"
#include "host/host_suites_access.h"
#include "host/job_registry.h"

namespace orvex_host {
namespace {

// Fixed answers for the slots an output-only module does not implement. The template takes the
// slot's own signature when its address is assigned to the slot.
template <A_Err Answer, class... Args>
A_Err ORVEX_HOST_CALL stub_answer(Args...) {
  return Answer;
}
constexpr A_Err kNotImplemented = AEIO_Err_USE_DFLT_CALLBACK;

// The host is shutting down: renders it never ended are abandoned here, while every table their
// worker threads read still exists.
A_Err ORVEX_HOST_CALL death_hook(AEGP_GlobalRefcon, AEGP_DeathRefcon) noexcept {
  return host_guard(A_Err_GENERIC, [] {
    JobRegistry::instance().clear();
    return A_Err_NONE;
  });
}

A_Err ORVEX_HOST_CALL seq_options_dialog(AEIO_BasicData* basic_dataP, AEIO_InSpecH,
                                         A_Boolean*) noexcept {
  return host_guard(A_Err_GENERIC, [&]() -> A_Err {
    if (basic_dataP && basic_dataP->msg_func)
      basic_dataP->msg_func(0, "IO: Here's my sequence options dialog!");
    return A_Err_NONE;
  });
}

A_Err ORVEX_HOST_CALL verify_file_importable(AEIO_BasicData*, AEIO_ModuleSignature,
                                             const A_UTF16Char*, A_Boolean* importablePB) noexcept {
  if (importablePB) *importablePB = 0;
  return A_Err_NONE;
}

constexpr char kSignature[4] = {'Q', 'X', 'V', 'R'};

void fill_module_info(AEIO_ModuleInfo& info, const PF_ANSICallbacksSuite1& ansi) {
  std::memset(&info, 0, sizeof info);
  std::memcpy(&info.sig, kSignature, 4);
  ansi.strcpy(info.name, "Orvex Hap Encoder");
  info.flags = AEIO_MFlag_OUTPUT | AEIO_MFlag_FILE | AEIO_MFlag_VIDEO | AEIO_MFlag_AUDIO;
  info.flags2 = AEIO_MFlag2_CAN_DO_AUDIO_32;
  info.max_width = 30000;
  info.max_height = 30000;
  info.num_filetypes = 1;
  info.num_extensions = 1;
  info.num_clips = 0;
  std::memcpy(&info.create_kind.type, kSignature, 4);
  info.create_kind.creator = AEIO_ANY_CREATOR;
  info.create_ext.pad = '.';
  std::memcpy(info.create_ext.extension, "mov", 3);
}

void fill_function_block(AEIO_FunctionBlock4& fb) {
  std::memset(&fb, 0, sizeof fb);
  fb.AEIO_InitInSpecFromFile = &stub_answer<0>;
  fb.AEIO_InitInSpecInteractive = &stub_answer<0>;
  fb.AEIO_DisposeInSpec = &stub_answer<0>;
  fb.AEIO_FlattenOptions = &stub_answer<0>;
  fb.AEIO_InflateOptions = &stub_answer<0>;
  fb.AEIO_SynchInSpec = &stub_answer<kNotImplemented>;
  fb.AEIO_GetActiveExtent = &stub_answer<kNotImplemented>;
  fb.AEIO_GetInSpecInfo = &stub_answer<0>;
  fb.AEIO_DrawSparseFrame = &stub_answer<0>;
  fb.AEIO_GetDimensions = &stub_answer<kNotImplemented>;
  fb.AEIO_GetDuration = &stub_answer<kNotImplemented>;
  fb.AEIO_GetTime = &stub_answer<kNotImplemented>;
  fb.AEIO_GetSound = &stub_answer<0>;
  fb.AEIO_InqNextFrameTime = &stub_answer<kNotImplemented>;
  fb.AEIO_InitOutputSpec = &AEIO_InitOutputSpec;
  fb.AEIO_GetFlatOutputOptions = &AEIO_GetFlatOutputOptions;
  fb.AEIO_DisposeOutputOptions = &AEIO_DisposeOutputOptions;
  fb.AEIO_UserOptionsDialog = &AEIO_UserOptionsDialog;
  fb.AEIO_GetOutputInfo = &AEIO_GetOutputInfo;
  fb.AEIO_OutputInfoChanged = &AEIO_OutputInfoChanged;
  fb.AEIO_SetOutputFile = &stub_answer<kNotImplemented>;
  fb.AEIO_StartAdding = &AEIO_StartAdding;
  fb.AEIO_AddFrame = &AEIO_AddFrame;
  fb.AEIO_EndAdding = &AEIO_EndAdding;
  fb.AEIO_OutputFrame = &stub_answer<0>;
  fb.AEIO_WriteLabels = &stub_answer<kNotImplemented>;
  fb.AEIO_GetSizes = &stub_answer<kNotImplemented>;
  fb.AEIO_Flush = &stub_answer<0>;
  fb.AEIO_AddSoundChunk = &AEIO_AddSoundChunk;
  fb.AEIO_Idle = &stub_answer<0>;
  fb.AEIO_GetDepths = &AEIO_GetDepths;
  fb.AEIO_GetOutputSuffix = &stub_answer<kNotImplemented>;
  fb.AEIO_SeqOptionsDlg = &seq_options_dialog;
  fb.AEIO_NumAuxFiles = &stub_answer<0>;
  fb.AEIO_CloseSourceFiles = &stub_answer<0>;
  fb.AEIO_CountUserData = &stub_answer<0>;
  fb.AEIO_SetUserData = &stub_answer<0>;
  fb.AEIO_GetUserData = &stub_answer<0>;
  fb.AEIO_AddMarker = &stub_answer<0>;
  fb.AEIO_VerifyFileImportable = &verify_file_importable;
}

// The host may keep pointers to both for the life of the process.
AEIO_ModuleInfo g_module_info;
AEIO_FunctionBlock4 g_function_block;

A_Err register_module(SPBasicSuite* pica_basicP, AEGP_PluginID plugin_id) {
  AcquiredSuite<AEGP_RegisterSuite6> reg(pica_basicP);
  A_Err err = reg->AEGP_RegisterDeathHook(plugin_id, &death_hook, nullptr);
  if (err) return err;
  {
    AcquiredSuite<PF_ANSICallbacksSuite1> ansi(pica_basicP);
    fill_module_info(g_module_info, *ansi.get());
  }
  fill_function_block(g_function_block);
  err = reg->AEGP_RegisterIO(plugin_id, nullptr, &g_module_info, &g_function_block);
  if (err) return err;
  AcquiredSuite<AEGP_UtilitySuite13> utility(pica_basicP);
  AEGP_PluginID own_id = 0;
  return utility->AEGP_RegisterWithAEGP(nullptr, "OrvexHapAeEncoder", &own_id);
}

}  // namespace
}  // namespace orvex_host

extern "C" ORVEX_HOST_EXPORT A_Err ORVEX_HOST_CALL
EntryPointFunc(SPBasicSuite* pica_basicP, A_long /*major_versionL*/, A_long /*minor_versionL*/,
               AEGP_PluginID aegp_plugin_id, AEGP_GlobalRefcon* /*global_refconP*/) noexcept {
  return orvex_host::host_guard(
      A_Err_GENERIC, [&] { return orvex_host::register_module(pica_basicP, aegp_plugin_id); });
}
