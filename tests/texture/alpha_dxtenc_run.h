#pragma once
// Runs the texture compressor on a whole host-layout frame for tests: set-up, one dxtenc_encode
// into a buffer guarded by a canary tail, and the check that nothing was written past the texture.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "texture/dxtenc.h"

namespace orvex_test {

struct DxtencRun {
  DxtEncType type = DXTENC_DXT1;
  uint8_t quality = DXT_QUALITY_NORMAL;
  PixelFormat format = ARGB_8;
  bool source_without_alpha = false;
  uint32_t threads = 1;
  PadMode pad = PAD_REPLICATE;
};

// Compresses `pixels` (width x height in `run.format`, rows packed) and returns the texture
// (dxtenc_buffer_size bytes). Fails the current test (gtest ADD_FAILURE) if the set-up refuses or
// the encoder writes past the end; returns an empty vector when the set-up refused.
std::vector<uint8_t> run_dxtenc(const DxtencRun& run, const std::vector<uint8_t>& pixels,
                                uint32_t width, uint32_t height);

}  // namespace orvex_test
