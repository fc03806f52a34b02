#pragma once
// Plain C types of the host's plug-in interface: scalar types, opaque handles, small records,
// error codes, pixel formats and frame worlds. Fixed-width types only (never `long`), so that
// every size and offset is the same for 64-bit Windows and for Linux x86-64.
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
typedef uint8_t A_u_char;
typedef uint8_t A_Boolean;  // 0 or 1
typedef int32_t A_Fixed;    // signed 16.16 fixed point
typedef double A_FpLong;
typedef float A_FpShort;
typedef uint16_t A_UTF16Char;
typedef uint64_t A_u_longlong;
typedef int32_t A_Err;
typedef int32_t SPErr;
typedef int32_t SPBoolean;
typedef int32_t PF_Err;
typedef uint8_t PF_Boolean;

typedef struct {
  A_long num;
  A_u_long den;
} A_Ratio;

typedef struct {
  A_long value;
  A_u_long scale;  // seconds = value / scale
} A_Time;

typedef struct {
  A_long x, y;
} A_LPoint;

typedef struct {
  A_long left, top, right, bottom;
} A_LRect;

typedef struct {
  A_short top, left, bottom, right;
} A_LegacyRect;

// A four-byte version number passed by value; never looked into.
typedef struct {
  A_u_char bytes[4];
} A_Version;

// Host error codes.
enum {
  A_Err_NONE = 0,
  A_Err_GENERIC = 1,
  A_Err_STRUCT = 2,
  A_Err_PARAMETER = 3,
  A_Err_ALLOC = 4,
  A_Err_MISSING_SUITE = 13,
};

typedef A_long AEGP_PluginID;
typedef A_u_long AEGP_MemSize;
typedef struct _AEGP_MemHandle* AEGP_MemHandle;  // opaque: locked, never dereferenced
typedef AEGP_MemHandle AEIO_Handle;              // an options handle is a memory handle
typedef struct _AEIO_OutSpecH* AEIO_OutSpecH;
typedef struct _AEIO_InSpecH* AEIO_InSpecH;
typedef struct _AEGP_GlobalRefcon* AEGP_GlobalRefcon;
typedef struct _AEGP_DeathRefcon* AEGP_DeathRefcon;
typedef struct _AEGP_IORefcon* AEGP_IORefcon;

// Memory handle flags: AEGP_MemFlag_CLEAR asks for a zero-filled block.
typedef A_long AEGP_MemFlag;
enum { AEGP_MemFlag_NONE = 0, AEGP_MemFlag_CLEAR = 1, AEGP_MemFlag_QUIET = 2 };

// Pixel formats of a frame world; the four bytes in memory spell the name: "argb" (8 bits per
// channel), "ae16" (16 bits, samples 0..32768), "ae32" (32-bit float).
typedef A_long PF_PixelFormat;
enum {
  PF_PixelFormat_ARGB32 = 0x62677261,
  PF_PixelFormat_ARGB64 = 0x36316561,
  PF_PixelFormat_ARGB128 = 0x32336561,
  PF_PixelFormat_INVALID = 0x66646162,
};

typedef A_long PF_WorldFlags;
enum { PF_WorldFlag_DEEP = 1, PF_WorldFlag_WRITEABLE = 2 };

typedef void* PF_PixelPtr;
typedef A_LRect PF_LRect;
typedef struct {
  A_long num;
  A_u_long den;
} PF_RationalScale;

// A frame world (120 bytes): `height` rows of `width` pixels from `data`, rows `rowbytes` apart
// (rows may be padded beyond the pixels). Pixels are A, R, G, B; one byte each at 8 bits, one
// 16-bit sample each at 16 bits. The module reads data, rowbytes, width and height only.
typedef struct {
  void* reserved0;  // host-owned, not null in general
  void* reserved1;
  PF_WorldFlags world_flags;
  PF_PixelPtr data;
  A_long rowbytes;
  A_long width;
  A_long height;
  PF_LRect extent_hint;
  void* platform_ref;
  A_long reserved_long1;
  void* reserved_long4;
  PF_RationalScale pix_aspect_ratio;
  void* reserved_long2;
  A_long origin_x;
  A_long origin_y;
  A_long reserved_long3;
  A_long dephault;
} PF_EffectWorld;

// Output depth flags answered by the module: bit 6 = 24 bits, 7 = 32, 11 = 48, 12 = 64.
typedef A_long AEIO_SupportedDepthFlags;
enum {
  AEIO_SupportedDepthFlags_DEPTH_24 = 1 << 6,
  AEIO_SupportedDepthFlags_DEPTH_32 = 1 << 7,
  AEIO_SupportedDepthFlags_DEPTH_48 = 1 << 11,
  AEIO_SupportedDepthFlags_DEPTH_64 = 1 << 12,
  AEIO_SupportedDepthFlags_DEPTH_128 = 1 << 15,
};

#ifdef __cplusplus
}
#endif
