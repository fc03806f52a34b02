#include "inspect/ycocg_decoder.h"

#include <algorithm>

#include "inspect/dxt_decoder.h"

namespace orvex_inspect {
namespace {

uint8_t clamp_byte(int v) {
  return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

void ycocg_to_rgb(uint8_t px[4]) {
  const int scale = px[2] / 8 + 1;
  const int co = (px[0] - 128) / scale;
  const int cg = (px[1] - 128) / scale;
  const int y = px[3];
  px[0] = clamp_byte(y + co - cg);
  px[1] = clamp_byte(y + cg);
  px[2] = clamp_byte(y - co - cg);
  px[3] = 255;
}

}  // namespace

std::vector<uint8_t> decode_ycocg_texture(const uint8_t* blocks, size_t width, size_t height) {
  std::vector<uint8_t> image = decode_dxt5_texture(blocks, width, height);
  for (size_t i = 0; i < width * height; ++i) ycocg_to_rgb(&image[i * 4]);
  return image;
}

}  // namespace orvex_inspect
