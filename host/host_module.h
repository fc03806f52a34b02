#pragma once
// The output-module side of the host interface: the basic data handed to every callback, the
// module description (AEIO_ModuleInfo, 396 bytes), the output description texts
// (AEIO_Verbiage, 192 bytes), the sound layout values, the callback signatures and the 49-slot
// callback table (AEIO_FunctionBlock4) in the host's order.
#include "host/host_types.h"

#ifdef __cplusplus
extern "C" {
#endif

struct SPBasicSuite;

// Shows a message; returns nothing.
typedef void(ORVEX_HOST_CALL* AEIO_MessageFunc)(A_Err err_number, const A_char* msgA);

// First argument of every callback (32 bytes).
typedef struct {
  AEIO_MessageFunc msg_func;
  const struct SPBasicSuite* pica_basicP;
  AEGP_PluginID aegp_plug_id;
  void* aegp_refconPV;  // the refcon given when the module was registered
} AEIO_BasicData;

// Signatures, file types and creators are 32-bit integers. Our signature is stored as the bytes
// 'Q', 'X', 'V', 'R' in memory order.
typedef A_long AEIO_ModuleSignature;
typedef A_long AEIO_FileType;
typedef A_long AEIO_Creator;

typedef struct {
  AEIO_FileType type;
  AEIO_Creator creator;
} PFILE_FileKind;

// An extension: '.' in `pad`, then three letters without a terminator.
typedef struct {
  A_char pad;
  A_char extension[3];
} AEIO_FileExt;

// One entry of the types a module reads: a type/creator pair, an extension or a clipboard type.
typedef union {
  PFILE_FileKind mac;
  AEIO_FileExt ext;
  A_long scrap;
} AEIO_FileKind;

typedef struct {
  A_char extension[4];  // with the dot
  A_long type;
  A_long creator;
} AEIO_AuxExt;

enum {
  AEIO_MAX_MODULE_NAME_LEN = 31,
  AEIO_MAX_TYPES = 16,
  AEIO_MAX_SEQ_NAME_LEN = 31,
  AEIO_MAX_MESSAGE_LEN = 127,
  AEIO_MAX_AUX_EXT = 16,
  AEIO_ANY_CREATOR = -1,
  AEGP_MAX_PATH_SIZE = 260,
  AEGP_MAX_PLUGIN_NAME_SIZE = 32,  // terminator included
};

// Module capability flags (the module sets output, file, video and audio: 0x36).
typedef A_u_long AEIO_ModuleFlags;
enum {
  AEIO_MFlag_NONE = 0,
  AEIO_MFlag_OUTPUT = 1 << 1,
  AEIO_MFlag_FILE = 1 << 2,
  AEIO_MFlag_VIDEO = 1 << 4,
  AEIO_MFlag_AUDIO = 1 << 5,
};
typedef A_u_long AEIO_ModuleFlags2;
enum { AEIO_MFlag2_NONE = 0, AEIO_MFlag2_CAN_DO_AUDIO_32 = 1 << 6 };

typedef struct {
  AEIO_ModuleSignature sig;
  A_char name[AEIO_MAX_MODULE_NAME_LEN + 1];
  AEIO_ModuleFlags flags;
  AEIO_ModuleFlags2 flags2;
  A_long max_width;
  A_long max_height;
  A_short num_filetypes;  // entries of read_kinds: types first, then extensions, then clips
  A_short num_extensions;
  A_short num_clips;
  A_short pad;
  PFILE_FileKind create_kind;
  AEIO_FileExt create_ext;
  AEIO_FileKind read_kinds[AEIO_MAX_TYPES];
  A_short num_aux_extensionsS;
  AEIO_AuxExt aux_ext[AEIO_MAX_AUX_EXT];
} AEIO_ModuleInfo;

// The three lines the host shows for an output module, each zero-terminated.
typedef struct {
  A_char name[AEIO_MAX_SEQ_NAME_LEN + 1];
  A_char type[AEIO_MAX_SEQ_NAME_LEN + 1];
  A_char sub_type[AEIO_MAX_MESSAGE_LEN + 1];
} AEIO_Verbiage;

// Sound layout of an output: encoding, bytes per sample, channels.
typedef A_short AEIO_SndEncoding;
typedef A_short AEIO_SndSampleSize;
typedef A_short AEIO_SndChannels;
enum { AEIO_E_UNSIGNED_PCM = 1, AEIO_E_SIGNED_PCM = 2, AEIO_E_SIGNED_FLOAT = 3 };
enum { AEIO_SS_1 = 1, AEIO_SS_2 = 2, AEIO_SS_4 = 4 };
enum { AEIO_SndChannels_MONO = 1, AEIO_SndChannels_STEREO = 2 };
typedef A_long AEIO_SndQuality;

// Results of the module's callbacks.
enum {
  AEIO_Err_UNSUPPORTED_CALLBACK = 9985,
  AEIO_Err_UNIMPLEMENTED = 9986,
  AEIO_Err_UNSUPPORTED_FILETYPE = 9987,
  AEIO_Err_INAPPROPRIATE_ACTION = 9988,
  AEIO_Err_BAD_BMWORLD = 9989,
  AEIO_Err_INCONSISTENT_PARAMETERS = 9990,
  AEIO_Err_INVALID_TIME = 9991,
  AEIO_Err_USE_DFLT_CALLBACK = 9992,  // the host does its default
  AEIO_Err_USER_CANCEL = 9993,
  AEIO_Err_DISK_FULL = 9994,
  AEIO_Err_INITIALIZE_FAILED = 9995,
  AEIO_Err_BAD_FILENAME = 9996,
  AEIO_Err_PARSING = 9997,
  AEIO_Err_NOT_SEQUENCE = 9998,
  AEIO_Err_USE_DFLT_GETSIZES_FREESPACE = 9999,
};

typedef A_Err(ORVEX_HOST_CALL* AEIO_AbortProc)(void* refcon);
typedef A_Err(ORVEX_HOST_CALL* AEIO_ProgressProc)(void* refcon, A_long count, A_long total);
typedef struct {
  void* refcon;
  AEIO_AbortProc abort0;        // may be null
  AEIO_ProgressProc progress0;  // may be null
} AEIO_InterruptFuncs;

typedef struct {
  A_Ratio x, y;
} AEIO_RationalScale;

// Two-byte packed records that only the unused IO Out slots take.
#pragma pack(push, 2)
typedef struct {
  A_short version;
  A_long flags;
  A_u_char red, green, blue, alpha;
} AEIO_AlphaLabel;
typedef struct {
  A_long signature;
  A_short version;
  A_long type;
  A_long order;
  A_long reserved;
} FIEL_Label;
#pragma pack(pop)

typedef A_short AEIO_TimeDir;
typedef A_u_char AEIO_MarkerType;
typedef A_long AEIO_LabelFlags;
typedef A_long AEIO_IdleFlags;
typedef A_long AEIO_DrawingFlags;
typedef A_long AEIO_RenderMarkerFlag;
typedef A_long AEIO_Pulldown;

// Records that only unused slots take, by pointer.
typedef struct _AEIO_DrawSparseFramePB AEIO_DrawSparseFramePB;
typedef struct _AEIO_DrawFramePB AEIO_DrawFramePB;
typedef struct _AEIO_Marker AEIO_Marker;
typedef struct _PF_ChannelDesc PF_ChannelDesc;
typedef struct _PF_ChannelChunk PF_ChannelChunk;
typedef const struct _AEGP_MarkerVal* AEGP_ConstMarkerValP;

typedef AEIO_BasicData* AEIO_BasicDataP;

// Callback signatures, one per slot of the table below.
#define ORVEX_AEIO_FN(name, ...) \
  typedef A_Err(ORVEX_HOST_CALL* name##_Fn)(AEIO_BasicDataP, __VA_ARGS__)
ORVEX_AEIO_FN(AEIO_InitInSpecFromFile, const A_UTF16Char* file_pathZ, AEIO_InSpecH);
ORVEX_AEIO_FN(AEIO_InitInSpecInteractive, AEIO_InSpecH);
ORVEX_AEIO_FN(AEIO_DisposeInSpec, AEIO_InSpecH);
ORVEX_AEIO_FN(AEIO_FlattenOptions, AEIO_InSpecH, AEIO_Handle* flat_optionsPH);
ORVEX_AEIO_FN(AEIO_InflateOptions, AEIO_InSpecH, AEIO_Handle flat_optionsH);
ORVEX_AEIO_FN(AEIO_SynchInSpec, AEIO_InSpecH, A_Boolean* changed0);
ORVEX_AEIO_FN(AEIO_GetActiveExtent, AEIO_InSpecH, const A_Time* tr, A_LRect* extent);
ORVEX_AEIO_FN(AEIO_GetInSpecInfo, AEIO_InSpecH, AEIO_Verbiage* verbiageP);
ORVEX_AEIO_FN(AEIO_DrawSparseFrame, AEIO_InSpecH, const AEIO_DrawSparseFramePB*, PF_EffectWorld* wP,
              AEIO_DrawingFlags* draw_flagsP);
ORVEX_AEIO_FN(AEIO_GetDimensions, AEIO_InSpecH, const AEIO_RationalScale* rs0, A_long* width,
              A_long* height);
ORVEX_AEIO_FN(AEIO_GetDuration, AEIO_InSpecH, A_Time* trP);
ORVEX_AEIO_FN(AEIO_GetTime, AEIO_InSpecH, A_Time* tdP);
ORVEX_AEIO_FN(AEIO_GetSound, AEIO_InSpecH, AEIO_SndQuality, const AEIO_InterruptFuncs* inter0,
              const A_Time* start, const A_Time* duration, A_u_long start_sampLu,
              A_u_long num_samplesLu, void* dataPV);
ORVEX_AEIO_FN(AEIO_InqNextFrameTime, AEIO_InSpecH, const A_Time* base_time, AEIO_TimeDir,
              A_Boolean* found, A_Time* key_time);
ORVEX_AEIO_FN(AEIO_InitOutputSpec, AEIO_OutSpecH, A_Boolean* user_interacted);
ORVEX_AEIO_FN(AEIO_GetFlatOutputOptions, AEIO_OutSpecH, AEIO_Handle* flat_optionsPH);
ORVEX_AEIO_FN(AEIO_DisposeOutputOptions, void* optionsPV);
ORVEX_AEIO_FN(AEIO_UserOptionsDialog, AEIO_OutSpecH, const PF_EffectWorld* sample0,
              A_Boolean* user_interacted);
ORVEX_AEIO_FN(AEIO_GetOutputInfo, AEIO_OutSpecH, AEIO_Verbiage* verbiageP);
ORVEX_AEIO_FN(AEIO_OutputInfoChanged, AEIO_OutSpecH);
ORVEX_AEIO_FN(AEIO_SetOutputFile, AEIO_OutSpecH, const A_UTF16Char* file_pathZ);
ORVEX_AEIO_FN(AEIO_StartAdding, AEIO_OutSpecH, A_long flags);
ORVEX_AEIO_FN(AEIO_AddFrame, AEIO_OutSpecH, A_long frame_index, A_long frames,
              const PF_EffectWorld* wP, const A_LPoint* origin0, A_Boolean was_compressed,
              AEIO_InterruptFuncs* inter0);
ORVEX_AEIO_FN(AEIO_EndAdding, AEIO_OutSpecH, A_long flags);
ORVEX_AEIO_FN(AEIO_OutputFrame, AEIO_OutSpecH, const PF_EffectWorld* wP);
ORVEX_AEIO_FN(AEIO_WriteLabels, AEIO_OutSpecH, AEIO_LabelFlags* written);
ORVEX_AEIO_FN(AEIO_GetSizes, AEIO_OutSpecH, A_u_longlong* free_space, A_u_longlong* file_size);
ORVEX_AEIO_FN(AEIO_Flush, AEIO_OutSpecH);
ORVEX_AEIO_FN(AEIO_AddSoundChunk, AEIO_OutSpecH, const A_Time* start, A_u_long num_samplesLu,
              const void* dataPV);
ORVEX_AEIO_FN(AEIO_Idle, AEIO_ModuleSignature, AEIO_IdleFlags* idle_flags0);
ORVEX_AEIO_FN(AEIO_GetDepths, AEIO_OutSpecH, AEIO_SupportedDepthFlags* which);
ORVEX_AEIO_FN(AEIO_GetOutputSuffix, AEIO_OutSpecH, A_char* suffix);
ORVEX_AEIO_FN(AEIO_SeqOptionsDlg, AEIO_InSpecH, A_Boolean* user_interacted);
ORVEX_AEIO_FN(AEIO_GetNumAuxChannels, AEIO_InSpecH, A_long* num_channelsPL);
ORVEX_AEIO_FN(AEIO_GetAuxChannelDesc, AEIO_InSpecH, A_long chan_indexL, PF_ChannelDesc* descP);
ORVEX_AEIO_FN(AEIO_DrawAuxChannel, AEIO_InSpecH, A_long chan_indexL, const AEIO_DrawFramePB*,
              PF_ChannelChunk* chunkP);
ORVEX_AEIO_FN(AEIO_FreeAuxChannel, AEIO_InSpecH, PF_ChannelChunk* chunkP);
ORVEX_AEIO_FN(AEIO_NumAuxFiles, AEIO_InSpecH, A_long* files_per_frameL);
ORVEX_AEIO_FN(AEIO_GetNthAuxFileSpec, AEIO_InSpecH, A_long frame_numL, A_long n,
              AEGP_MemHandle* pathPH);
ORVEX_AEIO_FN(AEIO_CloseSourceFiles, AEIO_InSpecH);
ORVEX_AEIO_FN(AEIO_CountUserData, AEIO_InSpecH, A_u_long typeLu, A_u_long max_sizeLu,
              A_u_long* num_of_typeLu);
ORVEX_AEIO_FN(AEIO_SetUserData, AEIO_OutSpecH, A_u_long typeLu, A_u_long indexLu,
              const AEIO_Handle dataH);
ORVEX_AEIO_FN(AEIO_GetUserData, AEIO_InSpecH, A_u_long typeLu, A_u_long indexLu,
              A_u_long max_sizeLu, AEIO_Handle* dataPH);
ORVEX_AEIO_FN(AEIO_AddMarker, AEIO_OutSpecH, A_long frame_index, AEIO_MarkerType,
              void* marker_dataPV, AEIO_InterruptFuncs* inter0);
ORVEX_AEIO_FN(AEIO_VerifyFileImportable, AEIO_ModuleSignature, const A_UTF16Char* file_pathZ,
              A_Boolean* importablePB);
ORVEX_AEIO_FN(AEIO_UserAudioOptionsDialog, AEIO_OutSpecH, A_Boolean* user_interacted);
ORVEX_AEIO_FN(AEIO_AddMarker2, AEIO_OutSpecH, A_long frame_index, const AEIO_Marker* marker,
              AEIO_InterruptFuncs* inter0);
ORVEX_AEIO_FN(AEIO_AddMarker3, AEIO_OutSpecH, A_long frame_index, AEGP_ConstMarkerValP marker,
              AEIO_RenderMarkerFlag, AEIO_InterruptFuncs* inter0);
ORVEX_AEIO_FN(AEIO_GetMimeType, AEIO_OutSpecH, A_long mime_type_sizeL, char* mime_typeZ);
#undef ORVEX_AEIO_FN

// The callback table, 49 slots in the host's order (slot index in the comments). An empty slot
// tells the host the module does not provide that callback.
typedef struct {
  AEIO_InitInSpecFromFile_Fn AEIO_InitInSpecFromFile;          // 0
  AEIO_InitInSpecInteractive_Fn AEIO_InitInSpecInteractive;    // 1
  AEIO_DisposeInSpec_Fn AEIO_DisposeInSpec;                    // 2
  AEIO_FlattenOptions_Fn AEIO_FlattenOptions;                  // 3
  AEIO_InflateOptions_Fn AEIO_InflateOptions;                  // 4
  AEIO_SynchInSpec_Fn AEIO_SynchInSpec;                        // 5
  AEIO_GetActiveExtent_Fn AEIO_GetActiveExtent;                // 6
  AEIO_GetInSpecInfo_Fn AEIO_GetInSpecInfo;                    // 7
  AEIO_DrawSparseFrame_Fn AEIO_DrawSparseFrame;                // 8
  AEIO_GetDimensions_Fn AEIO_GetDimensions;                    // 9
  AEIO_GetDuration_Fn AEIO_GetDuration;                        // 10
  AEIO_GetTime_Fn AEIO_GetTime;                                // 11
  AEIO_GetSound_Fn AEIO_GetSound;                              // 12
  AEIO_InqNextFrameTime_Fn AEIO_InqNextFrameTime;              // 13
  AEIO_InitOutputSpec_Fn AEIO_InitOutputSpec;                  // 14
  AEIO_GetFlatOutputOptions_Fn AEIO_GetFlatOutputOptions;      // 15
  AEIO_DisposeOutputOptions_Fn AEIO_DisposeOutputOptions;      // 16
  AEIO_UserOptionsDialog_Fn AEIO_UserOptionsDialog;            // 17
  AEIO_GetOutputInfo_Fn AEIO_GetOutputInfo;                    // 18
  AEIO_OutputInfoChanged_Fn AEIO_OutputInfoChanged;            // 19
  AEIO_SetOutputFile_Fn AEIO_SetOutputFile;                    // 20
  AEIO_StartAdding_Fn AEIO_StartAdding;                        // 21
  AEIO_AddFrame_Fn AEIO_AddFrame;                              // 22
  AEIO_EndAdding_Fn AEIO_EndAdding;                            // 23
  AEIO_OutputFrame_Fn AEIO_OutputFrame;                        // 24
  AEIO_WriteLabels_Fn AEIO_WriteLabels;                        // 25
  AEIO_GetSizes_Fn AEIO_GetSizes;                              // 26
  AEIO_Flush_Fn AEIO_Flush;                                    // 27
  AEIO_AddSoundChunk_Fn AEIO_AddSoundChunk;                    // 28
  AEIO_Idle_Fn AEIO_Idle;                                      // 29
  AEIO_GetDepths_Fn AEIO_GetDepths;                            // 30
  AEIO_GetOutputSuffix_Fn AEIO_GetOutputSuffix;                // 31
  AEIO_SeqOptionsDlg_Fn AEIO_SeqOptionsDlg;                    // 32
  AEIO_GetNumAuxChannels_Fn AEIO_GetNumAuxChannels;            // 33
  AEIO_GetAuxChannelDesc_Fn AEIO_GetAuxChannelDesc;            // 34
  AEIO_DrawAuxChannel_Fn AEIO_DrawAuxChannel;                  // 35
  AEIO_FreeAuxChannel_Fn AEIO_FreeAuxChannel;                  // 36
  AEIO_NumAuxFiles_Fn AEIO_NumAuxFiles;                        // 37
  AEIO_GetNthAuxFileSpec_Fn AEIO_GetNthAuxFileSpec;            // 38
  AEIO_CloseSourceFiles_Fn AEIO_CloseSourceFiles;              // 39
  AEIO_CountUserData_Fn AEIO_CountUserData;                    // 40
  AEIO_SetUserData_Fn AEIO_SetUserData;                        // 41
  AEIO_GetUserData_Fn AEIO_GetUserData;                        // 42
  AEIO_AddMarker_Fn AEIO_AddMarker;                            // 43
  AEIO_VerifyFileImportable_Fn AEIO_VerifyFileImportable;      // 44
  AEIO_UserAudioOptionsDialog_Fn AEIO_UserAudioOptionsDialog;  // 45
  AEIO_AddMarker2_Fn AEIO_AddMarker2;                          // 46
  AEIO_AddMarker3_Fn AEIO_AddMarker3;                          // 47
  AEIO_GetMimeType_Fn AEIO_GetMimeType;                        // 48
} AEIO_FunctionBlock4;

enum { AEIO_FunctionBlock4_SLOTS = 49 };

#ifdef __cplusplus
}
#endif
