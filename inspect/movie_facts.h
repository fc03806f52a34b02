#pragma once
// What a user wants to know about the tracks of a movie, derived from its index: the video's
// variant, size, rate, duration and pixel aspect, each audio track's format, and the timecode.
#include <cstdint>
#include <optional>
#include <string>

#include "inspect/hap_variants.h"
#include "inspect/movie_reader.h"

namespace orvex_inspect {

struct VideoFacts {
  const HapVariant* variant = nullptr;
  uint32_t width = 0, height = 0;
  uint64_t frames = 0;
  uint64_t rate_num = 0, rate_den = 1;  // frames per second, reduced; the mean if not constant
  bool constant_rate = true;
  double duration_s = 0;
  uint32_t aspect_h = 1, aspect_v = 1;  // pixel aspect, reduced (1:1 without pasp)
  uint32_t display_width = 0;
};
VideoFacts video_facts(const Track& video, const HapVariant* variant);

struct AudioFacts {
  std::string description;  // "PCM 16-bit integer, little-endian"
  double rate_hz = 0;
  uint32_t channels = 0, bits = 0;
  double duration_s = 0;
};
AudioFacts audio_facts(const Track& audio);

// "HH:MM:SS:FF" of a timecode frame number counted at `fps` frames a second; with drop-frame
// (fps 30 or 60) the numbers skipped each minute but every tenth are accounted for and the last
// separator is ';'.
std::string timecode_text(uint64_t frame_number, uint32_t fps, bool drop_frame);

// The start frame a timecode track's sample holds, or nothing when it cannot be read.
std::optional<uint32_t> timecode_start(MovieReader& reader, const Track& timecode);

}  // namespace orvex_inspect
