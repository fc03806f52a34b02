// Thread bands of the block loop.
#include "texture/dxtenc_bands.h"

ThreadBands compute_thread_bands(uint32_t height, uint32_t requested, uint32_t processors) {
  ThreadBands bands{};
  uint32_t n = requested == 0 ? (processors == 0 ? 1 : processors) : requested;
  if (n > 64) n = 64;
  const uint32_t by_height = (height + 31) / 32;
  if (n > by_height) n = by_height;
  if (n < 2) {
    bands.thread_count = 1;
    bands.rows[0] = static_cast<uint16_t>(height);
    return bands;
  }
  const uint32_t block_rows = height / 4;
  uint32_t start = 0;
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t rows = (block_rows / n) * 4;
    if (i < block_rows % n) rows += 4;
    if (i == n - 1) rows += height % 4;
    bands.start[i] = static_cast<uint16_t>(start);
    bands.rows[i] = static_cast<uint16_t>(rows);
    start += rows;
  }
  bands.thread_count = static_cast<uint16_t>(n);
  return bands;
}
