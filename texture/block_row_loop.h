#pragma once
// The baseline of the row slot (encode_row): the full blocks of a row one after the other through
// a per-block function, for the DXT1 and DXT5 entries of Fast, Normal and Slow.
#include <cstddef>
#include <cstdint>

#include "texture/dxt1.h"

// kStep: the source bytes of four pixels; kOut: the bytes of one output block.
template <Dxt1BlockFn* Block, size_t kStep, size_t kOut>
void block_row_loop(const DxtEncOps& ops, uint8_t* out, const uint8_t* const planes[4],
                    const size_t strides[4], uint32_t count) {
  const uint8_t* p[4] = {planes[0], nullptr, nullptr, nullptr};
  for (uint32_t b = 0; b < count; ++b, out += kOut, p[0] += kStep) Block(ops, out, p, strides);
}

// The row loop of the quality's block function for `fmt` (8- or 16-bit host ARGB); null for the
// other levels, whose blocks go one by one through encode_block.
template <Dxt1BlockFn* Fast, Dxt1BlockFn* Normal, Dxt1BlockFn* Slow, size_t kOut>
EncodeRowFn* block_row_loop_for(uint8_t quality, PixelFormat fmt) {
  const bool host16 = fmt == ARGB_16_HOST;
  if (quality == DXT_QUALITY_FAST) {
    return host16 ? block_row_loop<Fast, 32, kOut> : block_row_loop<Fast, 16, kOut>;
  }
  if (quality == DXT_QUALITY_NORMAL) {
    return host16 ? block_row_loop<Normal, 32, kOut> : block_row_loop<Normal, 16, kOut>;
  }
  if (quality == DXT_QUALITY_SLOW) {
    return host16 ? block_row_loop<Slow, 32, kOut> : block_row_loop<Slow, 16, kOut>;
  }
  return nullptr;
}
