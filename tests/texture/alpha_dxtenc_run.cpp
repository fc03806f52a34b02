#include "tests/texture/alpha_dxtenc_run.h"

#include <gtest/gtest.h>

#include <memory>

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
