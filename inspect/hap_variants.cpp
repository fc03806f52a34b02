#include "inspect/hap_variants.h"

#include <array>

#include "HAP/hap_variants.h"

namespace orvex_inspect {
namespace {

constexpr size_t kVariantCount = std::size(kHapVariants);
constexpr size_t kTextureCount = std::size(kHapTextureFormats);

constexpr HapTextureKind texture_kind(const HapTextureFormat& f) {
  return {f.nibble, hap_texture_block_bytes(f), f.name};
}

constexpr std::array<HapTextureKind, kTextureCount> kTextures = [] {
  std::array<HapTextureKind, kTextureCount> out{};
  for (size_t i = 0; i < kTextureCount; ++i) out[i] = texture_kind(kHapTextureFormats[i]);
  return out;
}();

constexpr std::array<HapVariant, kVariantCount> kVariants = [] {
  std::array<HapVariant, kVariantCount> out{};
  for (size_t i = 0; i < kVariantCount; ++i) {
    const ::HapVariant& v = kHapVariants[i];
    HapVariant& r = out[i];
    for (size_t c = 0; c < 5; ++c) r.code[c] = v.sample_code[c];
    r.name = v.compressor_name;
    r.texture_count = v.texture_count;
    for (uint32_t t = 0; t < v.texture_count; ++t)
      r.textures[t] = texture_kind(*hap_texture_format(v.textures[t]));
    r.alpha = v.alpha != HapAlpha_Opaque;
    r.matte = v.texture_count == 1 && v.textures[0] == HapTexFormat_A_RGTC1;
  }
  return out;
}();

}  // namespace

const HapVariant* find_hap_variant(const std::string& code) {
  for (const HapVariant& v : kVariants)
    if (code == v.code) return &v;
  return nullptr;
}

const HapTextureKind* find_hap_texture(uint8_t format_nibble) {
  for (const HapTextureKind& k : kTextures)
    if (k.format_nibble == format_nibble) return &k;
  return nullptr;
}

}  // namespace orvex_inspect
