#pragma once
// Deterministic test images for the BC7 tests (RGBA8, row-major) and a block-by-block encoder
// that calls the BC7 module directly.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "texture/bc7enc/bc7_compress_block.h"
#include "texture/bc7enc/bc7_tables.h"

namespace bc7_test {

enum class AlphaKind { Opaque, Soft, Binary };

// Smooth colour fields with fine grain and a few hard edges, like a photograph; alpha opaque,
// soft (radial fade) or binary (a cut-out).
inline std::vector<uint8_t> natural_image(uint32_t w, uint32_t h, AlphaKind alpha,
                                          uint32_t seed = 1) {
  std::vector<uint8_t> img(size_t{w} * h * 4);
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> grain(-5, 5);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      const double fx = x, fy = y;
      double r = 128 + 100 * std::sin(fx * 0.05 + fy * 0.02);
      double g = 128 + 90 * std::cos(fx * 0.03 - fy * 0.045);
      double b = 120 + 80 * std::sin((fx + fy) * 0.025 + 1.0);
      const double dx = fx - w * 0.6, dy = fy - h * 0.4;
      if (dx * dx + dy * dy < (w * 0.2) * (w * 0.2)) r = 230 - fy * 0.3, g = 60, b = 40 + fx * 0.2;
      if ((x / 24 + y / 24) % 5 == 0) r *= 0.5, g *= 0.6;  // hard-edged patches
      const double v[3] = {r, g, b};
      uint8_t* px = &img[(size_t{y} * w + x) * 4];
      for (int c = 0; c < 3; ++c)
        px[c] = static_cast<uint8_t>(std::clamp(v[c] + grain(rng), 0.0, 255.0));
      const double cx = fx - w * 0.5, cy = fy - h * 0.5;
      const double d = std::sqrt(cx * cx + cy * cy) / (0.5 * w);
      switch (alpha) {
        case AlphaKind::Opaque:
          px[3] = 255;
          break;
        case AlphaKind::Soft:
          px[3] = static_cast<uint8_t>(std::clamp(255.0 * (1.2 - d), 0.0, 255.0));
          break;
        case AlphaKind::Binary:
          px[3] = d < 0.7 ? 255 : 0;
          break;
      }
    }
  return img;
}

// Uniform random bytes; alpha forced to 255 when `opaque`.
inline std::vector<uint8_t> noise_image(uint32_t w, uint32_t h, bool opaque, uint32_t seed) {
  std::vector<uint8_t> img(size_t{w} * h * 4);
  std::mt19937 rng(seed);
  for (size_t i = 0; i < img.size(); ++i)
    img[i] = (opaque && i % 4 == 3) ? 255 : static_cast<uint8_t>(rng());
  return img;
}

// The 16 pixels of block (bx, by) of an RGBA8 image whose size is a multiple of 4.
inline void gather_block(const std::vector<uint8_t>& img, uint32_t w, uint32_t bx, uint32_t by,
                         Bc7Color out[16]) {
  for (uint32_t y = 0; y < 4; ++y)
    std::memcpy(out + y * 4, &img[((size_t{by} * 4 + y) * w + size_t{bx} * 4) * 4], 16);
}

// BC7 texture of an RGBA8 image (size a multiple of 4), block by block.
inline std::vector<uint8_t> encode_image(const std::vector<uint8_t>& img, uint32_t w, uint32_t h,
                                         const Bc7BlockParams& params) {
  bc7_init_tables();
  std::vector<uint8_t> tex(size_t{w / 4} * (h / 4) * 16);
  Bc7Color block[16];
  for (uint32_t by = 0; by < h / 4; ++by)
    for (uint32_t bx = 0; bx < w / 4; ++bx) {
      gather_block(img, w, bx, by, block);
      bc7_compress_block(&tex[(size_t{by} * (w / 4) + bx) * 16], block, params);
    }
  return tex;
}

}  // namespace bc7_test
