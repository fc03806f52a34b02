#pragma once
// DxtEnc: one configured texture compressor (frame size, texture type, quality, pixel format, pad
// mode, thread bands and the operation table chosen once at set-up), and the calls that set it up,
// size its output and compress a whole frame. After dxtenc_open the object is only read.
#include <cstddef>
#include <cstdint>

#include "texture/cpu_levels.h"
#include "texture/dxtenc_slots.h"
#include "texture/dxtenc_types.h"
#include "texture/pixel_formats.h"

constexpr uint32_t kMaxThreadBands = 64;

struct DxtEnc {
  DxtEncOps ops;
  uint8_t quality;
  uint8_t reserved;              // always 0
  uint8_t source_without_alpha;  // 1 for 24/48-bit host frames
  DxtEncType type;
  PixelFormat pixel_format;  // PIXEL_FORMAT_UNSET until opened
  PadMode pad_mode;
  uint16_t thread_count;
  uint16_t width;
  uint16_t height;
  uint16_t band_start[kMaxThreadBands];  // first row of each band
  uint16_t band_rows[kMaxThreadBands];   // rows of each band
};

// What a DxtEnc is set up for.
struct DxtEncSettings {
  uint32_t width = 0;   // pixels, at most 65535
  uint32_t height = 0;  // pixels, at most 65535
  DxtEncType type = DXTENC_DXT1;
  uint8_t quality = DXT_QUALITY_NORMAL;  // one of kDxtQualities where the type checks it
  uint8_t reserved = 0;                  // stored as is; always 0
  PixelFormat pixel_format = ARGB_8;     // ARGB_8 or ARGB_16_HOST
  PadMode pad_mode = PAD_REPLICATE;
  uint32_t threads = 1;  // bands requested; 0 = one per processor (see dxtenc_bands.h for caps)
  CpuFeatureMask cpu_mask = CPU_MASK_DEFAULT;  // before the processor probe
  bool source_without_alpha = false;           // alpha reads as opaque (24/48-bit host frames)
};

// Sets up `enc` as `settings` say; every field of `enc` is reset. Returns 0 on success, 1 on a
// refusal (one line printed on standard output; `enc` is then unusable). Refusals: a pixel format
// other than ARGB_8/ARGB_16_HOST, a width or height above 65535, an unknown type, a quality not in
// kDxtQualities for a type that checks it (kDxtEncTypes). Not thread-safe for the same `enc`.
int dxtenc_open(DxtEnc* enc, const DxtEncSettings& settings);

// Bytes of compressed output for one frame: blocks across x blocks down x the block bytes of the
// type's texture and of its second texture (kDxtEncTypes; 24 for a value that names no type).
// Partial blocks count unless `pad` is PAD_CROP.
size_t dxtenc_buffer_size(uint32_t width, uint32_t height, DxtEncType type, PadMode pad);

// Bytes of texture `texture` (0, or 1 for the second texture) of one frame; 0 when the type has no
// such texture. The second texture starts dxtenc_texture_size(..., 0) bytes into the output.
size_t dxtenc_texture_size(uint32_t width, uint32_t height, DxtEncType type, PadMode pad,
                           uint32_t texture);

// Compresses one frame. planes[0]/strides[0] address the interleaved source (the other entries may
// be 0; planar formats use all four). REQUIRES: `enc` opened successfully; `out` holds
// dxtenc_buffer_size(...) bytes and does not overlap the source; the source holds height rows of
// width pixels. Blocks are written in row-major order; a second texture (type 5's RGTC1 alpha)
// right behind the first. Runs the bands in parallel when the set-up gave more than one; returns
// when done.
void dxtenc_encode(const DxtEnc* enc, uint8_t* out, const uint8_t* const planes[4],
                   const size_t strides[4]);
