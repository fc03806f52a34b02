#include "tests/texture/alpha_dxtenc_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "tests/support/alpha_block_decoder.h"
#include "tests/support/hapq_decoder.h"
#include "tests/support/synthetic_scene.h"
#include "tests/support/test_frames.h"

namespace orvex_test {

std::vector<uint8_t> run_dxtenc(const DxtencRun& run, const std::vector<uint8_t>& pixels,
                                uint32_t width, uint32_t height) {
  auto enc = std::make_unique<DxtEnc>();
  enc->source_without_alpha = run.source_without_alpha ? 1 : 0;
  if (dxtenc_open(enc.get(), width, height, run.type, run.quality, 0, run.format, run.pad,
                  run.threads, CPU_MASK_DEFAULT) != 0) {
    ADD_FAILURE() << "dxtenc_open refused type " << run.type << " quality " << int{run.quality};
    return {};
  }
  const size_t size = dxtenc_buffer_size(width, height, run.type, run.pad);
  constexpr size_t kCanary = 64;
  std::vector<uint8_t> out(size + kCanary, 0xA5);
  const size_t pixel_bytes = run.format == ARGB_16_HOST ? 8 : 4;
  const uint8_t* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
  const size_t strides[4] = {width * pixel_bytes, 0, 0, 0};
  dxtenc_encode(enc.get(), out.data(), planes, strides);
  for (size_t i = size; i < out.size(); ++i) {
    if (out[i] != 0xA5) {
      ADD_FAILURE() << "write past the texture end at byte " << i << " of " << size;
      break;
    }
  }
  out.resize(size);
  return out;
}

}  // namespace orvex_test

namespace orvex_test {

std::vector<uint8_t> scene_pixels(const std::vector<uint8_t>& rgba, PixelFormat format) {
  return format == ARGB_16_HOST ? rgba_to_argb16_host(rgba) : rgba_to_argb8(rgba);
}

std::vector<uint8_t> decode_texture(DxtEncType type, const std::vector<uint8_t>& texture,
                                    size_t width, size_t height) {
  switch (type) {
    case DXTENC_DXT5:
      return decode_dxt5_texture(texture.data(), width, height);
    case DXTENC_YCOCG:
      return decode_hapq_texture(texture.data(), width, height);
    case DXTENC_YCOCG_RGTC1_ALPHA:
      return decode_hapq_alpha_textures(texture.data(), width, height);
    default: {
      const std::vector<uint8_t> v = decode_rgtc1_texture(texture.data(), width, height);
      std::vector<uint8_t> rgba(v.size() * 4);
      for (size_t i = 0; i < v.size(); ++i) std::fill_n(&rgba[i * 4], 4, v[i]);
      return rgba;
    }
  }
}

}  // namespace orvex_test
