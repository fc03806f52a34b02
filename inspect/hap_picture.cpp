#include "inspect/hap_picture.h"

#include <algorithm>
#include <stdexcept>

#include "inspect/alpha_block_decoder.h"
#include "inspect/bc7_decoder.h"
#include "inspect/byte_order.h"
#include "inspect/dxt_decoder.h"
#include "inspect/ycocg_decoder.h"

namespace orvex_inspect {

std::string hap_texture_fault(const HapVariant& variant, const HapFrameLayout& frame,
                              uint32_t width, uint32_t height) {
  if (frame.textures.size() != variant.texture_count) {
    return std::to_string(frame.textures.size()) + " textures where " + variant.name + " has " +
           std::to_string(variant.texture_count);
  }
  for (size_t t = 0; t < frame.textures.size(); ++t) {
    const HapTextureKind& kind = variant.textures[t];
    const HapTextureSection& got = frame.textures[t];
    const std::string which = "texture " + std::to_string(t);
    if (got.format_nibble != kind.format_nibble) {
      return which + " has format " + hex_byte(got.format_nibble) + " where " + variant.name +
             " has " + hex_byte(kind.format_nibble) + " (" + kind.name + ")";
    }
    const uint64_t expected = hap_texture_bytes(kind, width, height);
    if (got.texture_bytes != expected) {
      return which + " is " + std::to_string(got.texture_bytes) + " bytes where " +
             std::to_string(width) + "x" + std::to_string(height) + " needs " +
             std::to_string(expected);
    }
  }
  return {};
}

uint64_t hap_max_texture_bytes(const HapVariant& variant, uint32_t width, uint32_t height) {
  uint64_t most = 0;
  for (uint32_t t = 0; t < variant.texture_count; ++t)
    most = std::max(most, hap_texture_bytes(variant.textures[t], width, height));
  return most;
}

std::vector<uint8_t> decode_hap_picture(const HapVariant& variant, const HapFrameLayout& frame,
                                        uint32_t width, uint32_t height) {
  if (const std::string fault = hap_texture_fault(variant, frame, width, height); !fault.empty()) {
    throw std::runtime_error("malformed Hap frame: " + fault);
  }
  const uint8_t* first = frame.textures[0].texture.data();
  switch (variant.textures[0].format_nibble) {
    case 0xB:
      return decode_dxt1_texture(first, width, height, true);
    case 0xE:
      return decode_dxt5_texture(first, width, height);
    case 0xC:
      return bc7_decode_texture(first, width, height);
    case 0x1: {
      const std::vector<uint8_t> matte = decode_rgtc1_texture(first, width, height);
      std::vector<uint8_t> image(matte.size() * 4);
      for (size_t i = 0; i < matte.size(); ++i) {
        image[4 * i] = image[4 * i + 1] = image[4 * i + 2] = matte[i];
        image[4 * i + 3] = 255;
      }
      return image;
    }
    default: {  // YCoCg, with the alpha texture of Hap Q Alpha
      std::vector<uint8_t> image = decode_ycocg_texture(first, width, height);
      if (variant.texture_count == 2) {
        const std::vector<uint8_t> alpha =
            decode_rgtc1_texture(frame.textures[1].texture.data(), width, height);
        for (size_t i = 0; i < alpha.size(); ++i) image[4 * i + 3] = alpha[i];
      }
      return image;
    }
  }
}

}  // namespace orvex_inspect
