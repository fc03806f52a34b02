#pragma once
// Helpers shared by the texture tests: run the texture compressor on a whole host-layout frame,
// decode DXT1, Hap Q and BC7 textures back to RGBA8, make test images, and capture what set-up
// prints.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "inspect/bc7_decoder.h"
#include "inspect/dxt_decoder.h"
#include "inspect/ycocg_decoder.h"
#include "tests/support/test_frames.h"
#include "texture/dxtenc.h"

namespace texture_test {

struct Run {
  DxtEncType type = DXTENC_DXT1;
  uint8_t quality = DXT_QUALITY_NORMAL;
  PixelFormat format = ARGB_8;
  PadMode pad = PAD_REPLICATE;
  uint32_t threads = 1;
  bool without_alpha = false;
};

// Compresses an RGBA8 frame given to the compressor in the host layout of `run.format` (ARGB_8
// or ARGB_16_HOST) and returns the texture of dxtenc_buffer_size bytes. Fails the test if set-up
// refuses or the encoder writes past the end.
inline std::vector<uint8_t> encode_rgba(const std::vector<uint8_t>& rgba, uint32_t width,
                                        uint32_t height, const Run& run = {}) {
  const bool host16 = run.format == ARGB_16_HOST;
  const auto pixels =
      host16 ? orvex_test::rgba_to_argb16_host(rgba) : orvex_test::rgba_to_argb8(rgba);
  DxtEnc enc{};
  if (dxtenc_open(&enc, {.width = width,
                         .height = height,
                         .type = run.type,
                         .quality = run.quality,
                         .pixel_format = run.format,
                         .pad_mode = run.pad,
                         .threads = run.threads,
                         .source_without_alpha = run.without_alpha}) != 0) {
    ADD_FAILURE() << "set-up refused type " << run.type << " quality " << int{run.quality};
    return {};
  }
  const size_t size = dxtenc_buffer_size(width, height, run.type, run.pad);
  std::vector<uint8_t> out(size + 64, 0xA5);  // a canary tail catches writes past the end
  const uint8_t* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
  const size_t strides[4] = {width * size_t{host16 ? 8u : 4u}, 0, 0, 0};
  dxtenc_encode(&enc, out.data(), planes, strides);
  EXPECT_TRUE(std::all_of(out.begin() + size, out.end(), [](uint8_t b) { return b == 0xA5; }))
      << "write past the texture";
  out.resize(size);
  return out;
}

// A DXT1, Hap Q or BC7 texture decoded to width x height RGBA8.
inline std::vector<uint8_t> decode(DxtEncType type, const std::vector<uint8_t>& texture,
                                   uint32_t width, uint32_t height) {
  if (type == DXTENC_DXT1) return orvex_inspect::decode_dxt1_texture(texture.data(), width, height);
  if (type == DXTENC_YCOCG)
    return orvex_inspect::decode_ycocg_texture(texture.data(), width, height);
  EXPECT_EQ(type, DXTENC_BC7) << "no test decoder for this type";
  return orvex_inspect::bc7_decode_texture(texture.data(), width, height);
}

enum class AlphaKind { Opaque, Soft, Binary };

// The natural-looking frame with its smooth alpha (Soft), made opaque, or cut at 128.
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

// Runs `fn` and returns what it printed on standard output.
template <typename Fn>
std::string captured_stdout(Fn&& fn) {
  std::fflush(stdout);
  testing::internal::CaptureStdout();
  fn();
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

}  // namespace texture_test
