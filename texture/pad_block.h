#pragma once
// Completion of partial edge blocks: copies the valid w x h corner of a source block into a
// contiguous 4x4 block of the same pixel format and fills the rest according to the pad mode.
#include <cstddef>
#include <cstdint>

#include "texture/pixel_formats.h"

// Writes the padded block to `out`: interleaved formats as 4 rows of 4 pixels without gaps (row
// pitch = 4 pixels: 16 bytes for 8-bit, 32 for 16-bit, 64 for float formats); planar formats as
// four consecutive 4x4 planes in R, G, B, A order (16 or 32 bytes per plane).
// REQUIRES: 1 <= w <= 4, 1 <= h <= 4; `out` holds kMaxPaddedBlockBytes; the source holds h rows
// of w valid pixels. A format above 9 prints its error line(s) and writes nothing.
void pad_partial_block(uint8_t* out, const uint8_t* const planes[4], const size_t strides[4],
                       uint32_t w, uint32_t h, PixelFormat fmt, PadMode mode);

// Row pitch of a padded block in `fmt` (bytes from one row of the padded block to the next),
// which is also the source step from one block column to the next. 0 for unknown formats.
size_t padded_row_pitch(PixelFormat fmt);

// Plane pointers and strides that read a padded block written by pad_partial_block to `block`.
void padded_block_planes(uint8_t* block, PixelFormat fmt, const uint8_t* planes[4],
                         size_t strides[4]);

// The padding kernel bound in the pad_block slot for (fmt, mode): PAD_REPLICATE and PAD_CROP share
// the replicate kernel, PAD_OPAQUE_BLACK has its own, every other mode pads with zeros.
// Returns null for a format other than ARGB_8 and ARGB_16_HOST.
using PadBlockKernel = void(uint8_t* out, const uint8_t* const planes[4], const size_t strides[4],
                            uint32_t w, uint32_t h);
PadBlockKernel* pad_block_kernel(PixelFormat fmt, PadMode mode);
