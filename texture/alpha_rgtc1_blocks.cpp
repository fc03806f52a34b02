// Block entry points of the alpha-carrying texture types: RGTC1 from alpha or luma, and DXT5
// (alpha block in bytes 0..7, DXT1 colour block in bytes 8..15) at each quality.
#include "texture/alpha_rgtc1.h"
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

// The blocks of a row one after the other; kStep = the source bytes of four pixels.
template <Dxt1BlockFn* Block, size_t kStep>
void row_loop(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
              const size_t strides[4], uint32_t count) {
  const uint8_t* p[4] = {planes[0], nullptr, nullptr, nullptr};
  for (uint32_t b = 0; b < count; ++b, out += 16, p[0] += kStep) Block(ops, out, p, strides);
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
  const bool host16 = fmt == ARGB_16_HOST;
  if (quality == DXT_QUALITY_FAST) {
    return host16 ? row_loop<dxt5_fast_block, 32> : row_loop<dxt5_fast_block, 16>;
  }
  if (quality == DXT_QUALITY_NORMAL) {
    return host16 ? row_loop<dxt5_normal_block, 32> : row_loop<dxt5_normal_block, 16>;
  }
  if (quality == DXT_QUALITY_SLOW) {
    return host16 ? row_loop<dxt5_slow_block, 32> : row_loop<dxt5_slow_block, 16>;
  }
  return nullptr;  // other levels encode block by block
}
