// Defaults, copy, description and accepted depths of the output options record.
#include "host/options_record.h"

#include <cstdio>
#include <cstring>

namespace orvex_host {
namespace {

constexpr char kMagic[4] = {'Q', 'X', 'V', '!'};

// Depth flag bits: 24 bits = bit 6, 32 = bit 7, 48 = bit 11, 64 = bit 12.
constexpr int32_t kDepths24And48 = (1 << 6) | (1 << 11);
constexpr int32_t kDepths32And64 = (1 << 7) | (1 << 12);

const char* codec_name(uint32_t codec) {
  switch (codec) {
    case 0:
      return "Mov HAP";
    case 1:
      return "Mov HAPA";
    case 2:
      return "Mov HAPQ";
    case 3:
      return "Mov HAPQA";
    case 4:
      return "Mov HAPAlpha Only";
    case 5:
      return "Mov HAP R";
    default:
      return "Invalid codec";
  }
}

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
  if (record.codec == 6) record.codec = (depth_bits == 24 || depth_bits == 48) ? 0 : 1;

  const char* codec = codec_name(record.codec);
  const char* quality = quality_name(record.quality);
  const bool no_snappy = record.snappy == 0 || record.chunk_count == 0;
  const int chunks = static_cast<int>(record.chunk_count);
  const bool has_quality = record.codec == 0 || record.codec == 1 || record.codec == 5;

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
  switch (record.codec) {
    case 1:
    case 3:
      return kDepths32And64;
    case 5:
      return kDepths24And48 | kDepths32And64;
    default:
      return kDepths24And48;
  }
}

}  // namespace orvex_host
