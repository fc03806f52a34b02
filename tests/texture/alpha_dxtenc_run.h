#pragma once
// Test helpers of the alpha and YCoCg texture types: run the texture compressor on a whole
// host-layout frame (set-up, one dxtenc_encode into a buffer with a canary tail checked after),
// build host-layout scenes, and decode the textures back to RGBA8.
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

namespace orvex_test {

// A synthetic scene in the host layout of `format` (ARGB_8 or ARGB_16_HOST).
std::vector<uint8_t> scene_pixels(const std::vector<uint8_t>& rgba, PixelFormat format);

// Decodes a texture of `type` (1-5) to w x h RGBA8. Types 2 and 3 put the single channel in R, G,
// B and A alike.
std::vector<uint8_t> decode_texture(DxtEncType type, const std::vector<uint8_t>& texture,
                                    size_t width, size_t height);

}  // namespace orvex_test
