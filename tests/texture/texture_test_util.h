#pragma once
// Helpers shared by the texture tests: open-and-encode in one call, stdout capture around
// set-up refusals, and raw block access.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "texture/dxtenc.h"

namespace texture_test {

// Encodes `pixels` (interleaved, `width` pixels per row) and returns the texture.
inline std::vector<uint8_t> encode_frame(const std::vector<uint8_t>& pixels, uint32_t width,
                                         uint32_t height, uint8_t quality, PixelFormat fmt,
                                         PadMode pad = PAD_REPLICATE, uint32_t threads = 1,
                                         DxtEncType type = DXTENC_DXT1) {
  DxtEnc enc{};
  EXPECT_EQ(dxtenc_open(&enc, width, height, type, quality, 0, fmt, pad, threads, 0xF8), 0);
  const size_t size = dxtenc_buffer_size(width, height, type, pad);
  // A canary tail catches writes past the reported size.
  std::vector<uint8_t> out(size + 64, 0xA5);
  const size_t px = fmt == ARGB_16_HOST ? 8 : 4;
  const uint8_t* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
  const size_t strides[4] = {width * px, 0, 0, 0};
  dxtenc_encode(&enc, out.data(), planes, strides);
  for (size_t i = size; i < out.size(); ++i) EXPECT_EQ(out[i], 0xA5) << "write past the texture";
  out.resize(size);
  return out;
}

// Runs `fn` and returns what it printed on standard output.
template <typename Fn>
std::string captured_stdout(Fn&& fn) {
  std::fflush(stdout);
  testing::internal::CaptureStdout();
  fn();
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

inline uint16_t colour0(const uint8_t* b) {
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
inline uint16_t colour1(const uint8_t* b) {
  return static_cast<uint16_t>(b[2] | (b[3] << 8));
}
inline uint32_t index_word(const uint8_t* b) {
  return b[4] | (b[5] << 8) | (b[6] << 16) | (static_cast<uint32_t>(b[7]) << 24);
}

}  // namespace texture_test
