#include "inspect/movie_facts.h"

#include <cmath>
#include <cstdio>
#include <numeric>

#include "inspect/byte_order.h"

namespace orvex_inspect {

VideoFacts video_facts(const Track& video, const HapVariant* variant) {
  VideoFacts f;
  f.variant = variant;
  f.width = video.video.width;
  f.height = video.video.height;
  f.frames = video.tables.sample_count;
  const uint64_t duration = video.tables.stts_duration();
  uint64_t num = uint64_t{video.media_timescale} * f.frames, den = duration;
  f.constant_rate = video.tables.stts.size() <= 1;
  if (video.tables.stts.size() == 1)
    num = video.media_timescale, den = video.tables.stts[0].duration;
  if (num && den) {
    const uint64_t g = std::gcd(num, den);
    f.rate_num = num / g;
    f.rate_den = den / g;
  }
  f.duration_s = video.media_timescale ? double(duration) / video.media_timescale : 0.0;
  f.display_width = f.width;
  if (video.video.pasp_h && video.video.pasp_v) {
    const uint32_t g = std::gcd(video.video.pasp_h, video.video.pasp_v);
    f.aspect_h = video.video.pasp_h / g;
    f.aspect_v = video.video.pasp_v / g;
    f.display_width =
        static_cast<uint32_t>((uint64_t{f.width} * f.aspect_h + f.aspect_v / 2) / f.aspect_v);
  }
  return f;
}

AudioFacts audio_facts(const Track& audio) {
  AudioFacts f;
  const SoundFormat& s = audio.sound;
  f.rate_hz = std::isfinite(s.rate_hz) && s.rate_hz > 0 ? s.rate_hz : 0.0;
  f.channels = s.channels;
  f.bits = s.bits;
  const bool pcm = audio.format == "sowt" || audio.format == "twos" || audio.format == "raw " ||
                   audio.format == "in24" || audio.format == "in32" || audio.format == "fl32" ||
                   audio.format == "fl64" || audio.format == "lpcm";
  if (pcm) {
    f.description = "PCM " + std::to_string(s.bits) + "-bit " + (s.is_float ? "float" : "integer");
    if (s.bits > 8) f.description += s.little_endian ? ", little-endian" : ", big-endian";
  } else {
    f.description = "'" + audio.format + "'";
  }
  const uint64_t samples = audio.tables.stts_duration();
  f.duration_s = audio.media_timescale ? double(samples) / audio.media_timescale : 0.0;
  return f;
}

std::string timecode_text(uint64_t frame, uint32_t fps, bool drop_frame) {
  if (fps == 0) return "?";
  if (drop_frame && (fps == 30 || fps == 60)) {
    const uint64_t drop = fps / 15;  // frame numbers 0-1 (0-3 at 60) skipped each minute
    const uint64_t per_minute = uint64_t{fps} * 60 - drop;
    const uint64_t per_ten = uint64_t{fps} * 600 - 9 * drop;
    const uint64_t tens = frame / per_ten, rest = frame % per_ten;
    frame += 9 * drop * tens + (rest > drop ? drop * ((rest - drop) / per_minute) : 0);
  } else {
    drop_frame = false;
  }
  const uint64_t ff = frame % fps, s = frame / fps % 60, m = frame / fps / 60 % 60,
                 h = frame / fps / 3600 % 24;
  char text[32];
  std::snprintf(text, sizeof text, "%02llu:%02llu:%02llu%c%02llu", (unsigned long long)h,
                (unsigned long long)m, (unsigned long long)s, drop_frame ? ';' : ':',
                (unsigned long long)ff);
  return text;
}

std::optional<uint32_t> timecode_start(MovieReader& reader, const Track& timecode) {
  if (timecode.tables.chunk_offsets.empty()) return std::nullopt;
  try {
    std::vector<uint8_t> sample;
    reader.read({timecode.tables.chunk_offsets[0], 4}, sample);
    return be32(sample.data());
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace orvex_inspect
