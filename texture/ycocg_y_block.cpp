// Y of a Hap Q block into a DXT5 alpha half (bytes 0-7), always in the eight-value mode.
#include <algorithm>
#include <cmath>

#include "texture/alpha_rgtc1.h"
#include "texture/ycocg.h"

namespace {
constexpr float kHalfStep = 0.0019607844f;  // half of 1/255
}  // namespace

void encode_y_block(const YCoCgWorkBlock* block, uint8_t out[8]) {
  // Pull the endpoints in by 1/32 of the range, less half a step: a flat block gets endpoints
  // half a step either side of its value, so that a0 > a1 and the eight-value palette applies
  // (short of the clamps, where every level decodes to the same value anyway).
  const float inset = (block->maxY - block->minY) * 0.03125f - kHalfStep;
  const float lo = std::clamp(block->minY + inset, 0.0f, 1.0f);
  const float hi = std::clamp(block->maxY - inset, 0.0f, 1.0f);

  // Midpoints between consecutive palette levels, from lo upwards; a value on a threshold takes
  // the level below it.
  const float s = (hi - lo) / 14.0f;
  float thresholds[7];
  thresholds[0] = lo + s;
  for (int j = 1; j < 7; ++j) {
    thresholds[j] = (static_cast<float>(7 - j) * lo + static_cast<float>(j) * hi) / 7.0f + s;
  }

  uint8_t indices[16];
  for (int i = 0; i < 16; ++i) {
    const float y = block->Y[i];
    int c = 0;
    for (int j = 0; j < 7; ++j) c += thresholds[j] >= y ? 1 : 0;
    // c = 0 is the top level (index 0, a0), c = 7 the bottom (index 1, a1); between them the
    // levels count down from index 2 (nearest a0) to index 7.
    int k = (c + 1) & 7;
    if (k < 2) k ^= 1;
    indices[i] = static_cast<uint8_t>(k);
  }
  pack_alpha_block(out, static_cast<uint8_t>(std::round(hi * 255.0f)),
                   static_cast<uint8_t>(std::round(lo * 255.0f)), indices);
}
