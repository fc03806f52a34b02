// Mapping of the options record onto the render job's arguments.
#include "host/render_settings.h"

namespace orvex_host {

uint8_t job_codec_from_record(uint32_t record_codec) {
  const HapVariant* variant = options_variant(record_codec);
  return (variant ? *variant : *hap_variant(HapFrameCodec_Hap)).job_codec;
}

RenderSettings render_settings_from(const OutputOptions& record) {
  RenderSettings settings{};
  settings.job_codec = job_codec_from_record(record.codec);
  if (record.snappy == 0) {
    settings.chunk_count = 0;
  } else {
    // Only the low 16 bits are read; 0 chunks with Snappy on still means one chunk.
    settings.chunk_count = static_cast<uint16_t>(record.chunk_count & 0xFFFFu);
    if (settings.chunk_count == 0) settings.chunk_count = 1;
  }
  // The record says 1 = several frames, 2 = one frame; the job says 1 = one frame.
  settings.encoding_mode = record.frame_mode == 1 ? 2u : record.frame_mode == 2 ? 1u : 0u;
  settings.quality = record.quality < 1   ? 1
                     : record.quality > 3 ? 3
                                          : static_cast<uint8_t>(record.quality);
  return settings;
}

uint8_t sample_description_depth(int depth_bits) {
  return (depth_bits == 24 || depth_bits == 48) ? 24 : 32;
}

SoundFormat sound_format_from(int encoding, int sample_bytes) {
  constexpr int kUnsigned = 1, kSigned = 2, kFloat = 3;
  // The movie writer's 8-bit PCM is unsigned and its wider integers signed.
  const bool stored = (encoding == kUnsigned && sample_bytes == 1) ||
                      (encoding == kSigned && sample_bytes >= 2 && sample_bytes <= 4) ||
                      (encoding == kFloat && sample_bytes == 4);
  if (!stored) return {};
  return {static_cast<uint16_t>(8 * sample_bytes), static_cast<uint8_t>(encoding == kFloat)};
}

}  // namespace orvex_host
