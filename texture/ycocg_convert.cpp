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

void min_max(const float v[16], float* lo, float* hi) {
  float mn = v[0], mx = v[0];
  for (int i = 1; i < 16; ++i) {
    mn = v[i] < mn ? v[i] : mn;
    mx = v[i] > mx ? v[i] : mx;
  }
  *lo = mn;
  *hi = mx;
}

// Reads the block, then transforms it lane-wise (vectorisable), then takes the extremes.
template <typename Format>
bool convert(const uint8_t* src, size_t stride, YCoCgWorkBlock* block) {
  float r[16], g[16], b[16];
  bool nonzero = false;
  for (int row = 0; row < 4; ++row) {
    const uint8_t* p = src + stride * static_cast<size_t>(row);
    for (int col = 0; col < 4; ++col, p += Format::kPixelBytes) {
      const int i = row * 4 + col;
      bool nz;
      Format::rgb(p, &r[i], &g[i], &b[i], &nz);
      nonzero |= nz;
    }
  }
  for (int i = 0; i < 16; ++i) {
    block->Co[i] = normalise((2.0f * r[i] - 2.0f * b[i] + 2.0f) * 0.25f + 128.0f);
    block->Cg[i] = normalise((2.0f * g[i] - r[i] - b[i] + 2.0f) * 0.25f + 128.0f);
    block->Y[i] = normalise((r[i] + 2.0f * g[i] + b[i] + 2.0f) * 0.25f);
  }
  min_max(block->Y, &block->minY, &block->maxY);
  min_max(block->Co, &block->minCo, &block->maxCo);
  min_max(block->Cg, &block->minCg, &block->maxCg);
  return !nonzero;
}

}  // namespace

bool ycocg_from_block_argb8(const uint8_t* src, size_t stride, YCoCgWorkBlock* block) {
  return convert<Argb8>(src, stride, block);
}

bool ycocg_from_block_argb16_host(const uint8_t* src, size_t stride, YCoCgWorkBlock* block) {
  return convert<Argb16Host>(src, stride, block);
}
