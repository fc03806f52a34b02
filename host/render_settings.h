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

}  // namespace orvex_host
