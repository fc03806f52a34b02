#pragma once
// Walks the 4x4 blocks of a texture (row-major, ceil(w/4) x ceil(h/4) blocks) and copies the
// in-frame part of each decoded block into a w x h image; the padding of edge blocks is dropped.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex_inspect {

// `decode(block, pixels)` fills 16 pixels of `Channels` bytes each, in raster order.
// REQUIRES: `data` holds ceil(width/4) x ceil(height/4) x block_bytes bytes.
template <size_t Channels, typename DecodeFn>
std::vector<uint8_t> decode_block_grid(const uint8_t* data, size_t width, size_t height,
                                       size_t block_bytes, DecodeFn decode) {
  std::vector<uint8_t> image(width * height * Channels);
  const size_t across = (width + 3) / 4, down = (height + 3) / 4;
  uint8_t px[16 * Channels];
  for (size_t by = 0; by < down; ++by)
    for (size_t bx = 0; bx < across; ++bx) {
      decode(data + (by * across + bx) * block_bytes, px);
      for (size_t y = 0; y < 4 && by * 4 + y < height; ++y)
        for (size_t x = 0; x < 4 && bx * 4 + x < width; ++x)
          std::copy_n(px + (y * 4 + x) * Channels, Channels,
                      &image[((by * 4 + y) * width + bx * 4 + x) * Channels]);
    }
  return image;
}

}  // namespace orvex_inspect
