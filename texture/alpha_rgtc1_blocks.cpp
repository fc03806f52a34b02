// Block entry points of the alpha-carrying texture types: RGTC1 from alpha or luma, and DXT5
// (alpha block in bytes 0..7, DXT1 colour block in bytes 8..15) at each quality.
#include "texture/alpha_rgtc1.h"
#include "texture/dxt1.h"

namespace {

void encode_channel(const DxtEncOps& ops, FetchChannelFn* fetch, uint8_t* out,
                    const uint8_t* const planes[4], const size_t strides[4]) {
  uint8_t values[16];
  uint8_t min = 0;
  uint8_t max = 0;
  fetch(planes, strides, values, &min, &max);
  encode_alpha_values(out, values, min, max, ops.alpha_range, ops.encode_alpha_block);
}

}  // namespace

void rgtc1_block_from_alpha(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                            const size_t strides[4]) {
  encode_channel(ops, ops.fetch_alpha, out, planes, strides);
}

void rgtc1_block_from_luma(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                           const size_t strides[4]) {
  encode_channel(ops, ops.fetch_luma, out, planes, strides);
}

void dxt5_encode_block_fast(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
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
  dxt1_encode_block_fast(ops, out + 8, planes, strides);
}

void dxt5_encode_block_normal(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                              const size_t strides[4]) {
  encode_channel(ops, ops.fetch_alpha, out, planes, strides);
  dxt1_encode_block_normal(ops, out + 8, planes, strides);
}

void dxt5_encode_block_slow(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                            const size_t strides[4]) {
  encode_channel(ops, ops.fetch_alpha, out, planes, strides);
  dxt1_encode_block_slow(ops, out + 8, planes, strides);
}
