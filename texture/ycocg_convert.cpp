// RGB to YCoCg of one 4x4 block, on the 0..255 scale, then normalised to 0..1:
//   Co = (2R - 2B + 2) / 4 + 128, Cg = (2G - R - B + 2) / 4 + 128, Y = (R + 2G + B + 2) / 4,
// each clamped to 0..255 before the division by 255.
#include <algorithm>

#include "texture/ycocg.h"

namespace {

// 255 / 32768 is exact in binary, so full-scale host samples convert to exactly 255.0.
constexpr float kHost16To8 = 0.0077819824f;

struct Argb8 {
  static constexpr size_t kPixelBytes = 4;
  static void rgb(const uint8_t* p, float* r, float* g, float* b, bool* nonzero) {
    *r = p[1];
    *g = p[2];
    *b = p[3];
    *nonzero = (p[1] | p[2] | p[3]) != 0;
  }
};

struct Argb16Host {
  static constexpr size_t kPixelBytes = 8;
  static uint16_t sample(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
  static void rgb(const uint8_t* p, float* r, float* g, float* b, bool* nonzero) {
    const uint16_t sr = sample(p + 2);
    const uint16_t sg = sample(p + 4);
    const uint16_t sb = sample(p + 6);
    *r = static_cast<float>(sr) * kHost16To8;
    *g = static_cast<float>(sg) * kHost16To8;
    *b = static_cast<float>(sb) * kHost16To8;
    *nonzero = (sr | sg | sb) != 0;
  }
};

float normalise(float v) {
  return std::clamp(v, 0.0f, 255.0f) / 255.0f;
}

template <typename Format>
bool convert(const uint8_t* src, size_t stride, YCoCgWorkBlock* block) {
  bool black = true;
  float minY = 1.0f, maxY = 0.0f;
  float minCo = 1.0f, maxCo = 0.0f;
  float minCg = 1.0f, maxCg = 0.0f;
  for (int row = 0; row < 4; ++row) {
    const uint8_t* p = src + stride * static_cast<size_t>(row);
    for (int col = 0; col < 4; ++col, p += Format::kPixelBytes) {
      float r, g, b;
      bool nonzero;
      Format::rgb(p, &r, &g, &b, &nonzero);
      if (nonzero) black = false;
      const float co = normalise((2.0f * r - 2.0f * b + 2.0f) * 0.25f + 128.0f);
      const float cg = normalise((2.0f * g - r - b + 2.0f) * 0.25f + 128.0f);
      const float y = normalise((r + 2.0f * g + b + 2.0f) * 0.25f);
      const int i = row * 4 + col;
      block->Y[i] = y;
      block->Co[i] = co;
      block->Cg[i] = cg;
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
      minCo = std::min(minCo, co);
      maxCo = std::max(maxCo, co);
      minCg = std::min(minCg, cg);
      maxCg = std::max(maxCg, cg);
    }
  }
  block->minY = minY;
  block->maxY = maxY;
  block->minCo = minCo;
  block->minCg = minCg;
  block->maxCo = maxCo;
  block->maxCg = maxCg;
  return black;
}

}  // namespace

bool ycocg_from_block_argb8(const uint8_t* src, size_t stride, YCoCgWorkBlock* block) {
  return convert<Argb8>(src, stride, block);
}

bool ycocg_from_block_argb16_host(const uint8_t* src, size_t stride, YCoCgWorkBlock* block) {
  return convert<Argb16Host>(src, stride, block);
}
