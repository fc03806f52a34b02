#pragma once
// The Hap variants, one table entry each: every number and name a variant is known by (frame
// codec, job codec, sample-description code and compressor name, command-line name, the plug-in's
// labels), the textures of its frames and the texture types that produce them. Beside it, the
// texture formats of Hap frames. The rest of the code looks variants up here; block sizes come from
// the texture layer's table (kDxtEncTypes). Constants only.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "HAP/hap_builder.h"
#include "texture/dxtenc_types.h"

// Frame-level codec, in the numbering of the options record. The values index kHapVariants.
enum HapFrameCodec : uint32_t {
  HapFrameCodec_Hap = 0,
  HapFrameCodec_Hap_Alpha = 1,
  HapFrameCodec_Hap_Q = 2,
  HapFrameCodec_Hap_Q_Alpha = 3,
  HapFrameCodec_Hap_Alpha_Only = 4,
  HapFrameCodec_Hap_R = 5,
};

// Selector of the texture-length rule (hap_texture_length).
enum DxtCodec : uint32_t {
  DxtCodec_DXT1 = 0,
  DxtCodec_DXT5 = 1,
  DxtCodec_RGTC1 = 2,
  DxtCodec_BC7 = 3,
};

struct HapTextureFormat {
  HapTexFormat format;   // identifier handed to the frame builder
  uint8_t nibble;        // low nibble of the section type byte
  DxtCodec length_rule;  // its texture-length selector
  DxtEncType blocks;     // a texture type whose (first) texture has these blocks
  const char* name;      // what readers call it
};

inline constexpr HapTextureFormat kHapTextureFormats[] = {
    {HapTexFormat_RGB_DXT1, 0xB, DxtCodec_DXT1, DXTENC_DXT1, "DXT1"},
    {HapTexFormat_RGBA_DXT5, 0xE, DxtCodec_DXT5, DXTENC_DXT5, "DXT5"},
    {HapTexFormat_YCoCg_DXT5, 0xF, DxtCodec_DXT5, DXTENC_YCOCG, "YCoCg DXT5"},
    {HapTexFormat_A_RGTC1, 0x1, DxtCodec_RGTC1, DXTENC_RGTC1_ALPHA, "RGTC1"},
    {HapTexFormat_RGBA_BPTC, 0xC, DxtCodec_BC7, DXTENC_BC7, "BPTC"},
};

// The entry of `format`, or null for an identifier that names no format.
constexpr const HapTextureFormat* hap_texture_format(HapTexFormat format) {
  for (const HapTextureFormat& f : kHapTextureFormats) {
    if (f.format == format) return &f;
  }
  return nullptr;
}

constexpr uint32_t hap_texture_block_bytes(const HapTextureFormat& f) {
  return kDxtEncTypes[f.blocks].block_bytes;
}

// Alpha of the frames a variant is made from, as the plug-in offers frame depths and the sample
// description states its depth: opaque (24/48-bit frames; depth 24), with alpha (32/64-bit; 32),
// or either (the depth follows the frames: hap_sample_depth).
enum HapAlpha : uint8_t {
  HapAlpha_Opaque,
  HapAlpha_With_Alpha,
  HapAlpha_Either,
};

struct HapVariant {
  HapFrameCodec frame_codec;
  uint8_t job_codec;            // JobCodec of the render job
  char sample_code[5];          // four-character code of the video sample description
  const char* compressor_name;  // compressor name of the sample description; the display name
  const char* cli_name;         // value of orvex-hap's --codec
  const char* options_label;    // the plug-in's one-line output description
  const char* dialog_label;     // the plug-in's options dialog, codec list
  DxtEncType texture_type;      // what the frame encoder's compressors produce
  DxtEncType texture_type_without_alpha;  // the same for a source without an alpha channel
  uint32_t texture_count;                 // 1 or 2
  HapTexFormat textures[2];               // in frame order
  HapAlpha alpha;
};

inline constexpr HapVariant kHapVariants[] = {
    {.frame_codec = HapFrameCodec_Hap,
     .job_codec = 1,
     .sample_code = "Hap1",
     .compressor_name = "Hap",
     .cli_name = "hap",
     .options_label = "Mov HAP",
     .dialog_label = "HAP",
     .texture_type = DXTENC_DXT1,
     .texture_type_without_alpha = DXTENC_DXT1,
     .texture_count = 1,
     .textures = {HapTexFormat_RGB_DXT1},
     .alpha = HapAlpha_Opaque},
    {.frame_codec = HapFrameCodec_Hap_Alpha,
     .job_codec = 2,
     .sample_code = "Hap5",
     .compressor_name = "Hap Alpha",
     .cli_name = "hap-alpha",
     .options_label = "Mov HAPA",
     .dialog_label = "HAPA",
     .texture_type = DXTENC_DXT5,
     .texture_type_without_alpha = DXTENC_DXT5,
     .texture_count = 1,
     .textures = {HapTexFormat_RGBA_DXT5},
     .alpha = HapAlpha_With_Alpha},
    {.frame_codec = HapFrameCodec_Hap_Q,
     .job_codec = 3,
     .sample_code = "HapY",
     .compressor_name = "Hap Q",
     .cli_name = "hap-q",
     .options_label = "Mov HAPQ",
     .dialog_label = "HAPQ",
     .texture_type = DXTENC_YCOCG,
     .texture_type_without_alpha = DXTENC_YCOCG,
     .texture_count = 1,
     .textures = {HapTexFormat_YCoCg_DXT5},
     .alpha = HapAlpha_Opaque},
    {.frame_codec = HapFrameCodec_Hap_Q_Alpha,
     .job_codec = 4,
     .sample_code = "HapM",
     .compressor_name = "Hap Q Alpha",
     .cli_name = "hap-q-alpha",
     .options_label = "Mov HAPQA",
     .dialog_label = "HAPQA",
     .texture_type = DXTENC_YCOCG_RGTC1_ALPHA,
     .texture_type_without_alpha = DXTENC_YCOCG_RGTC1_ALPHA,
     .texture_count = 2,
     .textures = {HapTexFormat_YCoCg_DXT5, HapTexFormat_A_RGTC1},
     .alpha = HapAlpha_With_Alpha},
    // The plug-in gives it opaque frames (RGTC1 from luma); the command line also takes alpha.
    {.frame_codec = HapFrameCodec_Hap_Alpha_Only,
     .job_codec = 0,
     .sample_code = "HapA",
     .compressor_name = "Hap Alpha-Only",
     .cli_name = "hap-alpha-only",
     .options_label = "Mov HAPAlpha Only",
     .dialog_label = "HAP Alpha Only",
     .texture_type = DXTENC_RGTC1_ALPHA,
     .texture_type_without_alpha = DXTENC_RGTC1_LUMA,
     .texture_count = 1,
     .textures = {HapTexFormat_A_RGTC1},
     .alpha = HapAlpha_Opaque},
    {.frame_codec = HapFrameCodec_Hap_R,
     .job_codec = 5,
     .sample_code = "Hap7",
     .compressor_name = "Hap R",
     .cli_name = "hap-r",
     .options_label = "Mov HAP R",
     .dialog_label = "HAP R",
     .texture_type = DXTENC_BC7,
     .texture_type_without_alpha = DXTENC_BC7,
     .texture_count = 1,
     .textures = {HapTexFormat_RGBA_BPTC},
     .alpha = HapAlpha_Either},
};

// The entry of a frame codec, a job codec or a command-line name; null for one that names no
// variant.
constexpr const HapVariant* hap_variant(HapFrameCodec codec) {
  return codec < std::size(kHapVariants) ? &kHapVariants[codec] : nullptr;
}
constexpr const HapVariant* hap_variant_for_job_codec(uint8_t job_codec) {
  for (const HapVariant& v : kHapVariants) {
    if (v.job_codec == job_codec) return &v;
  }
  return nullptr;
}
constexpr const HapVariant* hap_variant_named(std::string_view cli_name) {
  for (const HapVariant& v : kHapVariants) {
    if (cli_name == v.cli_name) return &v;
  }
  return nullptr;
}

// Depth of the sample description for frames of `frame_depth` (24 or 32): 24 for an opaque
// variant, 32 for one with alpha; a variant that takes either keeps 24 and gives 32 otherwise.
constexpr uint8_t hap_sample_depth(const HapVariant& v, uint8_t frame_depth) {
  switch (v.alpha) {
    case HapAlpha_Opaque:
      return 24;
    case HapAlpha_With_Alpha:
      return 32;
    default:
      return frame_depth == 24 ? 24 : 32;
  }
}

// Whether the quality level changes a variant's frames (its texture type has quality levels).
constexpr bool hap_variant_has_quality(const HapVariant& v) {
  return kDxtEncTypes[v.texture_type].quality_refusal != nullptr;
}

// The table's entries agree with each other: indexed by frame codec, and each texture type writes
// the textures of the frame, block for block. (No pointers: sanitizer builds cannot compare them
// in constant expressions.)
constexpr uint32_t hap_format_block_bytes_or_0(HapTexFormat format) {
  for (const HapTextureFormat& f : kHapTextureFormats) {
    if (f.format == format) return hap_texture_block_bytes(f);
  }
  return 0;
}
constexpr bool hap_variant_consistent(const HapVariant& v, size_t index) {
  if (v.frame_codec != index || v.texture_count < 1 || v.texture_count > 2) return false;
  for (DxtEncType type : {v.texture_type, v.texture_type_without_alpha}) {
    const uint32_t written[2] = {kDxtEncTypes[type].block_bytes,
                                 kDxtEncTypes[type].second_block_bytes};
    for (uint32_t t = 0; t < 2; ++t) {
      const uint32_t expected =
          t < v.texture_count ? hap_format_block_bytes_or_0(v.textures[t]) : 0;
      if (written[t] != expected || (t < v.texture_count && expected == 0)) return false;
    }
  }
  return true;
}
constexpr bool hap_variants_consistent() {
  for (size_t i = 0; i < std::size(kHapVariants); ++i) {
    if (!hap_variant_consistent(kHapVariants[i], i)) return false;
  }
  return true;
}
static_assert(hap_variants_consistent(), "kHapVariants disagrees with itself or kDxtEncTypes");
