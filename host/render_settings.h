#pragma once
// How the options record and the host's output depth become the render job's arguments:
// codec numbering, chunk count (0 = no Snappy), encoding mode, quality and the depth written
// in the sample description. Host-independent.
#include <cstdint>

#include "host/options_record.h"

namespace orvex_host {

struct RenderSettings {
  uint8_t job_codec;     // JobCodec: 0 Alpha-Only, 1 Hap, 2 Hap Alpha, 3 Hap Q, 4 Hap Q Alpha, 5 R
  uint16_t chunk_count;  // 0 = no Snappy
  uint32_t encoding_mode;  // 1 = one frame at a time, 2 = several at a time, 0 = several
  uint8_t quality;         // 1..3
};

// Record codec (HapFrameCodec numbering) to JobCodec; unknown values give Hap.
uint8_t job_codec_from_record(uint32_t record_codec);

RenderSettings render_settings_from(const OutputOptions& record);

// Depth of the video sample description: 24 for 24- and 48-bit output, 32 otherwise.
uint8_t sample_description_depth(int depth_bits);

// The movie's PCM format for the host's sound: bits per sample and the float flag of the movie
// writer's audio track. bits 0: the movie writer cannot store these samples as they are.
struct SoundFormat {
  uint16_t bits = 0;
  uint8_t float_flag = 0;
};

// From the host's sound encoding (1 unsigned PCM, 2 signed PCM, 3 float) and sample size in
// bytes. Stored: unsigned 8-bit, signed 16-, 24- and 32-bit, 32-bit float.
SoundFormat sound_format_from(int encoding, int sample_bytes);

}  // namespace orvex_host
