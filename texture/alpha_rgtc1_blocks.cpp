// Block entry points of the alpha-carrying texture types: RGTC1 from alpha or luma, and DXT5
// (alpha block in bytes 0..7, DXT1 colour block in bytes 8..15) at each quality.
#include "texture/alpha_rgtc1.h"
#include "texture/block_row_loop.h"
#include "texture/dxt1.h"

void rgtc1_block_from_alpha(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                            const size_t strides[4]) {
  encode_alpha_channel<encode_alpha_values>(ops, ops.fetch_alpha, out, planes, strides);
}

void rgtc1_block_from_luma(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                           const size_t strides[4]) {
  encode_alpha_channel<encode_alpha_values>(ops, ops.fetch_luma, out, planes, strides);
}

void dxt5_alpha_half_fast(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
                          const size_t strides[4]) {
  uint8_t values[16];
  uint8_t min = 0;
  uint8_t max = 0;
  ops.fetch_alpha(planes, strides, values, &min, &max);
  if (min == max) {
    encode_alpha_values(out, values, min, max, ops.alpha_range, ops.encode_alpha_block);
  } else {
    encode_alpha_fast(out, values, min, max);
  }
}

namespace {

void dxt5_fast_block(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
                     const size_t strides[4]) {
  dxt5_alpha_half_fast(ops, out, planes, strides);
  dxt1_fast_block(ops, out + 8, planes, strides);
}

void dxt5_normal_block(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
                       const size_t strides[4]) {
  encode_alpha_channel<encode_alpha_values>(ops, ops.fetch_alpha, out, planes, strides);
  dxt1_normal_block(ops, out + 8, planes, strides);
}

void dxt5_slow_block(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
                     const size_t strides[4]) {
  encode_alpha_channel<encode_alpha_values>(ops, ops.fetch_alpha, out, planes, strides);
  dxt1_slow_block(ops, out + 8, planes, strides);
}

}  // namespace

void dxt5_encode_block_fast(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                            const size_t strides[4]) {
  dxt5_fast_block(ops, out, planes, strides);
}

void dxt5_encode_block_normal(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                              const size_t strides[4]) {
  dxt5_normal_block(ops, out, planes, strides);
}

void dxt5_encode_block_slow(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                            const size_t strides[4]) {
  dxt5_slow_block(ops, out, planes, strides);
}

EncodeRowFn* dxt5_encode_row_kernel(uint8_t quality, PixelFormat fmt) {
  return block_row_loop_for<dxt5_fast_block, dxt5_normal_block, dxt5_slow_block, 16>(quality, fmt);
}
