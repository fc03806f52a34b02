#pragma once
// The Hap variants as a reader sees them: sample-description code, name, and the textures a frame
// holds (format nibble and bytes per 4x4 block, in frame order). Drawn from the encoder's variant
// table, so a new variant is known here as soon as it is there.
#include <cstdint>
#include <string>

namespace orvex_inspect {

struct HapTextureKind {
  uint8_t format_nibble;  // low nibble of the texture section type
  uint32_t block_bytes;   // 8 (DXT1, RGTC1) or 16 (DXT5, YCoCg DXT5, BPTC)
  const char* name;
};

struct HapVariant {
  char code[5];      // sample-description code, e.g. "HapY"
  const char* name;  // "Hap Q"
  uint32_t texture_count;
  HapTextureKind textures[2];
  bool alpha;  // the decoded picture carries alpha (Hap Alpha, Hap Q Alpha, Hap R)
  bool matte;  // one channel only (Hap Alpha-Only)
};

// The variant with this sample-description code, or nullptr.
const HapVariant* find_hap_variant(const std::string& code);

// The texture format with this section-type nibble, or nullptr.
const HapTextureKind* find_hap_texture(uint8_t format_nibble);

// Bytes of a texture of `kind` for a width x height picture: ceil(w/4) x ceil(h/4) blocks.
inline uint64_t hap_texture_bytes(const HapTextureKind& kind, uint32_t width, uint32_t height) {
  return uint64_t{(width + 3) / 4} * ((height + 3) / 4) * kind.block_bytes;
}

}  // namespace orvex_inspect
