#pragma once
// Plain C types of the host's plug-in interface: scalar types, opaque handles, error codes,
// pixel formats and frame worlds. C-compatible structs only, so the Windows build and any C
// host see the same layout.
#include <stdint.h>

#if defined(_WIN32)
#define ORVEX_HOST_CALL __cdecl
#define ORVEX_HOST_EXPORT __declspec(dllexport)
#else
#define ORVEX_HOST_CALL
#define ORVEX_HOST_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef char A_char;
typedef uint8_t A_Boolean;
typedef int32_t A_Fixed;  // signed 16.16 fixed point
typedef double A_FpLong;
typedef float A_FpShort;
typedef uint16_t A_UTF16Char;
typedef uint64_t A_u_longlong;
typedef A_long A_Err;
typedef A_long SPErr;
typedef A_long PF_Err;

typedef struct {
  A_long num;
  A_u_long den;
} A_Ratio;

typedef struct {
  A_long value;
  A_u_long scale;
} A_Time;

typedef struct {
  A_long x, y;
} A_LPoint;

typedef struct {
  A_short top, left, bottom, right;
} A_LegacyRect;

// Host error codes the module sees or returns.
enum {
  A_Err_NONE = 0,
  A_Err_GENERIC = 1,
  A_Err_ALLOC = 4,
  A_Err_MISSING_SUITE_WORLD = 13,  // the frame-world suite could not be acquired
  A_Err_MISSING_SUITE = 516,       // any other suite could not be acquired
};

typedef A_long AEGP_PluginID;
typedef A_u_long AEGP_MemSize;
typedef struct _AEGP_MemHandle* AEGP_MemHandle;
typedef AEGP_MemHandle AEIO_Handle;
typedef struct _AEIO_OutSpecH* AEIO_OutSpecH;
typedef struct _AEIO_InSpecH* AEIO_InSpecH;
typedef struct _AEGP_GlobalRefcon* AEGP_GlobalRefcon;
typedef struct _AEGP_DeathRefcon* AEGP_DeathRefcon;
typedef struct _AEGP_IORefcon* AEGP_IORefcon;

// Memory handle flags: AEGP_MemFlag_CLEAR asks for a zero-filled block.
typedef A_long AEGP_MemFlag;
enum { AEGP_MemFlag_NONE = 0, AEGP_MemFlag_CLEAR = 1, AEGP_MemFlag_QUIET = 2 };

// Pixel formats of a frame world. The values read as four bytes in memory order:
// "argb" (8 bits per channel), "ae16" (16 bits, samples 0..32768), "argf" (32-bit float).
typedef A_u_long PF_PixelFormat;
enum {
  PF_PixelFormat_ARGB32 = 0x62677261u,
  PF_PixelFormat_ARGB64 = 0x36316561u,
  PF_PixelFormat_ARGB128 = 0x66677261u,
};

// A frame world: `height` rows of `width` pixels from `data`, rows `rowbytes` apart. Pixels are
// A, R, G, B; one byte each at 8 bits, one 16-bit sample each at 16 bits.
typedef struct {
  A_long world_flags;
  void* data;
  A_long rowbytes;
  A_long width;
  A_long height;
} PF_EffectWorld;

// Output depth flags answered by the module: bit 6 = 24 bits, 7 = 32, 11 = 48, 12 = 64.
typedef A_long AEIO_SupportedDepthFlags;
enum {
  AEIO_SupportedDepthFlags_DEPTH_24 = 1 << 6,
  AEIO_SupportedDepthFlags_DEPTH_32 = 1 << 7,
  AEIO_SupportedDepthFlags_DEPTH_48 = 1 << 11,
  AEIO_SupportedDepthFlags_DEPTH_64 = 1 << 12,
};

#ifdef __cplusplus
}
#endif
