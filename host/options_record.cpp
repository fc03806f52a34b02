// Defaults, copy, description and accepted depths of the output options record.
#include "host/options_record.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>

#include "HAP/hap_variants.h"

namespace orvex_host {
namespace {

constexpr char kMagic[4] = {'Q', 'X', 'V', '!'};

// Depth flag bits: 24 bits = bit 6, 32 = bit 7, 48 = bit 11, 64 = bit 12.
constexpr int32_t kDepths24And48 = (1 << 6) | (1 << 11);
constexpr int32_t kDepths32And64 = (1 << 7) | (1 << 12);

const char* codec_name(uint32_t codec) {
  const HapVariant* variant = options_variant(codec);
  return variant ? variant->options_label : "Invalid codec";
}

// Stored projects keep the codec as its number here: 0 Hap, 1 Hap Alpha, 2 Hap Q, 3 Hap Q Alpha,
// 4 Hap Alpha-Only, 5 Hap R. Their descriptions show a quality for exactly 0, 1 and 5, and the
// depths offered follow the variant's alpha.
constexpr bool record_numbers_agree() {
  constexpr std::string_view code[] = {"Hap1", "Hap5", "HapY", "HapM", "HapA", "Hap7"};
  constexpr HapAlpha alpha[] = {HapAlpha_Opaque,     HapAlpha_With_Alpha, HapAlpha_Opaque,
                                HapAlpha_With_Alpha, HapAlpha_Opaque,     HapAlpha_Either};
  if (std::size(kHapVariants) < std::size(code)) return false;
  for (uint32_t codec = 0; codec < std::size(code); ++codec) {
    const HapVariant& v = kHapVariants[codec];
    if (v.sample_code != code[codec] || v.alpha != alpha[codec] ||
        hap_variant_has_quality(v) != (codec == 0 || codec == 1 || codec == 5))
      return false;
  }
  return true;
}
static_assert(record_numbers_agree(), "kHapVariants no longer matches the options record");
// The record's codec is the frame codec, and 6 already means Hap or Hap Alpha by depth: a further
// variant needs a record number of its own (and the dialog's list index mapped to it).
static_assert(std::size(kHapVariants) <= kCodecHapByDepth,
              "a further variant needs an options record codec number other than 6");

const char* quality_name(uint32_t quality) {
  switch (quality) {
    case 1:
      return "Fast";
    case 2:
      return "Normal";
    case 3:
      return "Slow";
    default:
      return "";
  }
}

bool is_known_depth(int depth_bits) {
  return depth_bits == 24 || depth_bits == 32 || depth_bits == 48 || depth_bits == 64;
}

}  // namespace

const HapVariant* options_variant(uint32_t codec) {
  if (codec == kCodecHapByDepth) return nullptr;
  return hap_variant(static_cast<HapFrameCodec>(codec));
}

void options_set_defaults(OutputOptions& record) {
  std::memset(&record, 0, sizeof record);
  std::memcpy(record.magic, kMagic, sizeof kMagic);
  record.reserved12 = 1;
  record.reserved13 = 1;
  record.snappy = 1;
  record.chunk_count = 8;
  record.quality = 2;
}

bool options_copy_from(OutputOptions& destination, const OutputOptions& source) {
  if (std::memcmp(source.magic, kMagic, sizeof kMagic) != 0) {
    std::printf("ERR Not KVR Options\n");
    return false;
  }
  destination.flat = source.flat;
  destination.codec = source.codec;
  destination.reserved12 = source.reserved12;
  destination.reserved13 = source.reserved13;
  destination.snappy = source.snappy;
  destination.chunk_count = source.chunk_count;
  destination.quality = source.quality;
  destination.frame_mode = source.frame_mode;
  destination.reserved28 = source.reserved28;
  destination.reserved32 = source.reserved32;
  destination.reserved36 = source.reserved36;
  destination.reserved40 = source.reserved40;
  destination.reserved44 = source.reserved44;
  return true;
}

std::string options_describe(OutputOptions& record, int depth_bits) {
  if (!is_known_depth(depth_bits)) return "WIP HAP Mov encoder, Depth inconnue";
  if (record.codec == kCodecHapByDepth)
    record.codec =
        (depth_bits == 24 || depth_bits == 48) ? HapFrameCodec_Hap : HapFrameCodec_Hap_Alpha;

  const char* codec = codec_name(record.codec);
  const char* quality = quality_name(record.quality);
  const bool no_snappy = record.snappy == 0 || record.chunk_count == 0;
  const int chunks = static_cast<int>(record.chunk_count);
  const HapVariant* variant = options_variant(record.codec);
  const bool has_quality = variant && hap_variant_has_quality(*variant);

  char text[256];
  if (has_quality) {
    if (no_snappy)
      std::snprintf(text, sizeof text, "%s ; %s ; No Snappy\n", codec, quality);
    else
      std::snprintf(text, sizeof text, "%s ; %s ; %d chunks\n", codec, quality, chunks);
  } else {
    if (no_snappy)
      std::snprintf(text, sizeof text, "%s ; No Snappy\n", codec);
    else
      std::snprintf(text, sizeof text, "%s ; %d chunks\n", codec, chunks);
  }
  return text;
}

int32_t options_supported_depths(const OutputOptions& record) {
  const HapVariant* variant = options_variant(record.codec);
  switch (variant ? variant->alpha : HapAlpha_Opaque) {
    case HapAlpha_With_Alpha:
      return kDepths32And64;
    case HapAlpha_Either:
      return kDepths24And48 | kDepths32And64;
    default:
      return kDepths24And48;
  }
}

}  // namespace orvex_host
