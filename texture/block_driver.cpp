// The frame loop: walks the frame in rows of 4x4 blocks, pads the partial edge blocks, and runs
// the bands that set-up computed on the platform's parallel loop (texture/parallel_for.h).

#include <cassert>

#include "texture/dxtenc.h"
#include "texture/pad_block.h"
#include "texture/parallel_for.h"

namespace {

// Encodes one block padded from `planes` (w x h valid pixels) through `encode`.
void encode_padded(const DxtEnc& enc, EncodeBlockFn* encode, uint8_t* out,
                   const uint8_t* const planes[4], const size_t strides[4], uint32_t w,
                   uint32_t h) {
  alignas(32) uint8_t block[kMaxPaddedBlockBytes];
  enc.ops.pad_block(block, planes, strides, w, h);
  const uint8_t* block_planes[4];
  size_t block_strides[4];
  padded_block_planes(block, enc.pixel_format, block_planes, block_strides);
  encode(enc.ops, out, block_planes, block_strides);
}

void advance(const uint8_t* p[4], const size_t step[4]) {
  for (int c = 0; c < 4; ++c) {
    if (p[c]) p[c] += step[c];
  }
}

// Compresses rows [first_row, first_row + band_rows) into out + offset.
void encode_band(const DxtEnc& enc, uint8_t* out, const uint8_t* const planes[4],
                 const size_t strides[4], uint32_t band_rows, size_t column_bytes,
                 size_t block_bytes, uint32_t first_row, size_t offset, int pass) {
  EncodeBlockFn* encode = pass == 0 ? enc.ops.encode_block : enc.ops.encode_block_second;
  const bool pad = enc.pad_mode != PAD_CROP;
  const uint32_t full_across = enc.width / 4;
  const uint32_t rest_w = enc.width % 4;
  const uint32_t rest_h = band_rows % 4;
  size_t column_step[4] = {0, 0, 0, 0};
  size_t row_step[4];
  const uint8_t* row[4];
  for (int c = 0; c < 4; ++c) {
    row[c] = planes[c] ? planes[c] + strides[c] * first_row : nullptr;
    column_step[c] = column_bytes;
    row_step[c] = strides[c] * 4;
  }
  uint8_t* dst = out + offset;

  EncodeRowFn* encode_row = pass == 0 ? enc.ops.encode_row : nullptr;
  for (uint32_t by = 0; by < band_rows / 4; ++by) {
    const uint8_t* p[4] = {row[0], row[1], row[2], row[3]};
    if (encode_row != nullptr && full_across != 0) {
      encode_row(enc.ops, dst, p, strides, full_across);
      dst += block_bytes * full_across;
      for (int c = 0; c < 4; ++c) {
        if (p[c]) p[c] += column_step[c] * full_across;
      }
    } else {
      for (uint32_t bx = 0; bx < full_across; ++bx) {
        encode(enc.ops, dst, p, strides);
        dst += block_bytes;
        advance(p, column_step);
      }
    }
    if (rest_w != 0 && pad) {
      encode_padded(enc, encode, dst, p, strides, rest_w, 4);
      dst += block_bytes;
    }
    advance(row, row_step);
  }
  if (rest_h != 0 && pad) {
    const uint8_t* p[4] = {row[0], row[1], row[2], row[3]};
    for (uint32_t bx = 0; bx < full_across; ++bx) {
      encode_padded(enc, encode, dst, p, strides, 4, rest_h);
      dst += block_bytes;
      advance(p, column_step);
    }
    if (rest_w != 0) encode_padded(enc, encode, dst, p, strides, rest_w, rest_h);
  }
}

}  // namespace

void dxtenc_encode(const DxtEnc* enc, uint8_t* out, const uint8_t* const planes[4],
                   const size_t strides[4]) {
  assert(enc->pixel_format == ARGB_8 || enc->pixel_format == ARGB_16_HOST);  // opened
  assert(enc->ops.encode_block != nullptr && enc->ops.pad_block != nullptr);
  const DxtEncTypeInfo& info = *dxtenc_type_info(enc->type);
  const size_t block_bytes = info.block_bytes;
  const size_t second_block_bytes = info.second_block_bytes;
  assert(second_block_bytes == 0 || enc->ops.encode_block_second != nullptr);
  const bool pad = enc->pad_mode != PAD_CROP;
  const size_t across = enc->width / 4 + (pad && enc->width % 4 != 0 ? 1 : 0);
  const size_t column_bytes = padded_row_pitch(enc->pixel_format);
  uint8_t* second_out =
      out + dxtenc_texture_size(enc->width, enc->height, enc->type, enc->pad_mode, 0);

  auto run_band = [&](uint32_t first_row, uint32_t rows) {
    const size_t block_row = first_row / 4;
    encode_band(*enc, out, planes, strides, rows, column_bytes, block_bytes, first_row,
                across * block_bytes * block_row, 0);
    if (second_block_bytes != 0) {
      encode_band(*enc, second_out, planes, strides, rows, column_bytes, second_block_bytes,
                  first_row, across * second_block_bytes * block_row, 1);
    }
  };

  if (enc->thread_count <= 1) {
    run_band(0, enc->height);
    return;
  }
  parallel_for_index(0u, static_cast<uint32_t>(enc->thread_count),
                     [&](uint32_t i) { run_band(enc->band_start[i], enc->band_rows[i]); });
}
