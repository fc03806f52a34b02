#pragma once
// Inputs of the BC7 tests (RGBA8, row-major, sizes a multiple of 4) and a block-by-block encoder
// that calls the BC7 module directly.
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "tests/support/test_frames.h"
#include "texture/bc7enc/bc7_compress_block.h"
#include "texture/bc7enc/bc7_tables.h"

namespace bc7_test {

enum class AlphaKind { Opaque, Soft, Binary };

// The shared natural-looking frame with its smooth alpha (Soft), made opaque, or cut at 128.
inline std::vector<uint8_t> natural_image(uint32_t w, uint32_t h, AlphaKind alpha, uint32_t seed) {
  std::vector<uint8_t> img = orvex_test::natural_rgba(w, h, seed);
  if (alpha != AlphaKind::Soft)
    for (size_t i = 3; i < img.size(); i += 4)
      img[i] = (alpha == AlphaKind::Opaque || img[i] >= 128) ? 255 : 0;
  return img;
}

// Uniform random bytes; alpha 255 when `opaque`.
inline std::vector<uint8_t> noise_image(uint32_t w, uint32_t h, bool opaque, uint32_t seed) {
  std::vector<uint8_t> img(size_t{w} * h * 4);
  std::mt19937 rng(seed);
  for (size_t i = 0; i < img.size(); ++i)
    img[i] = (opaque && i % 4 == 3) ? 255 : static_cast<uint8_t>(rng());
  return img;
}

// BC7 texture of an image, block by block in row-major order.
inline std::vector<uint8_t> encode_image(const std::vector<uint8_t>& img, uint32_t w, uint32_t h,
                                         const Bc7BlockParams& params) {
  bc7_init_tables();
  std::vector<uint8_t> tex(size_t{w / 4} * (h / 4) * 16);
  Bc7Color block[16];
  for (uint32_t by = 0; by < h / 4; ++by)
    for (uint32_t bx = 0; bx < w / 4; ++bx) {
      for (uint32_t y = 0; y < 4; ++y)
        std::memcpy(block + y * 4, &img[((size_t{by} * 4 + y) * w + size_t{bx} * 4) * 4], 16);
      bc7_compress_block(&tex[(size_t{by} * (w / 4) + bx) * 16], block, params);
    }
  return tex;
}

}  // namespace bc7_test
