#pragma once
// DxtEnc: one configured texture compressor (frame size, texture type, quality, pixel format, pad
// mode, thread bands and the operation table chosen once at set-up), and the calls that set it up,
// size its output and compress a whole frame. After dxtenc_open the object is only read.
#include <cstddef>
#include <cstdint>

#include "texture/dxtenc_slots.h"
#include "texture/pixel_formats.h"

// Texture produced, with its block size.
enum DxtEncType : uint32_t {
  DXTENC_DXT1 = 0,         // 8 bytes per block (Hap)
  DXTENC_DXT5 = 1,         // 16: alpha block + DXT1 colour block (Hap Alpha)
  DXTENC_RGTC1_LUMA = 2,   // 8: RGTC1 from luma (Hap Alpha-Only, source without alpha)
  DXTENC_RGTC1_ALPHA = 3,  // 8: RGTC1 from alpha (Hap Alpha-Only)
  DXTENC_YCOCG = 4,        // 16: scaled YCoCg DXT5 (Hap Q)
  DXTENC_YCOCG_RGTC1_ALPHA =
      5,           // 16 + 8: scaled YCoCg DXT5, then an RGTC1 alpha texture (Hap Q Alpha)
  DXTENC_BC7 = 6,  // 16 (Hap R)
};

// Instruction sets the set-up may use.
using CpuFeatureMask = uint32_t;
constexpr CpuFeatureMask CPU_ALLOW_SPECIFIC = 0x08;  // processor-specific kernels allowed at all
constexpr CpuFeatureMask CPU_AVX = 0x20;
constexpr CpuFeatureMask CPU_FMA = 0x40;
constexpr CpuFeatureMask CPU_AVX2 = 0x80;
constexpr CpuFeatureMask CPU_MASK_DEFAULT = 0xF8;  // what the render job passes

// Quality levels (same numbers as the options record).
constexpr uint8_t DXT_QUALITY_FAST = 1;
constexpr uint8_t DXT_QUALITY_NORMAL = 2;
constexpr uint8_t DXT_QUALITY_SLOW = 3;

constexpr uint32_t kMaxThreadBands = 64;

struct DxtEnc {
  DxtEncOps ops;
  uint8_t quality;
  uint8_t reserved;              // always 0
  uint8_t source_without_alpha;  // 1 for 24/48-bit host frames; set by the owner BEFORE dxtenc_open
  DxtEncType type;
  PixelFormat pixel_format;  // PIXEL_FORMAT_UNSET until opened
  PadMode pad_mode;
  uint16_t thread_count;
  uint16_t width;
  uint16_t height;
  uint16_t band_start[kMaxThreadBands];  // first row of each band
  uint16_t band_rows[kMaxThreadBands];   // rows of each band
};

// Sets up `enc` for frames of width x height. Returns 0 on success, 1 on a refusal (one line
// printed on standard output; `enc` is then unusable). Refusals: a pixel format other than
// ARGB_8/ARGB_16_HOST, an unknown quality for DXT1/DXT5/BC7, a texture type not (yet) built, a
// width or height above 65535. `threads` 0 asks for one band per processor (capped as for any
// request: at most 64 and at most ceil(height / 32)). Reads enc->source_without_alpha; resets every
// other field. Not thread-safe for the same `enc`.
int dxtenc_open(DxtEnc* enc, uint32_t width, uint32_t height, DxtEncType type, uint8_t quality,
                uint8_t reserved, PixelFormat fmt, PadMode pad, uint32_t threads,
                CpuFeatureMask mask);

// Bytes of compressed output for one frame: blocks across x blocks down x block bytes (8 for
// types 0, 2, 3; 16 for 1, 4, 6; 24 for 5 and anything above). Partial blocks count unless
// `pad` is PAD_CROP.
size_t dxtenc_buffer_size(uint32_t width, uint32_t height, DxtEncType type, PadMode pad);

// Compresses one frame. planes[0]/strides[0] address the interleaved source (the other entries may
// be 0; planar formats use all four). REQUIRES: `enc` opened successfully; `out` holds
// dxtenc_buffer_size(...) bytes and does not overlap the source; the source holds height rows of
// width pixels. Blocks are written in row-major order; type 5 writes its RGTC1 texture right
// behind the first. Runs the bands in parallel when the set-up gave more than one; returns when
// done.
void dxtenc_encode(const DxtEnc* enc, uint8_t* out, const uint8_t* const planes[4],
                   const size_t strides[4]);
