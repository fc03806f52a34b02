#include "inspect/movie_check.h"

#include <algorithm>
#include <sstream>

namespace orvex_inspect {
namespace {

std::string track_name(const Track& t) {
  const std::string kind = t.handler == "vide"   ? "video"
                           : t.handler == "soun" ? "audio"
                           : t.handler == "tmcd" ? "timecode"
                                                 : "'" + t.handler + "'";
  return kind + " track " + std::to_string(t.id);
}

struct Placed {
  FileRange range;
  std::string name;
};

// The sample size audio chunks are laid out with: QuickTime's older PCM tracks store 1 and
// mean one sample frame.
uint64_t audio_sample_bytes(const Track& t) {
  const uint64_t stored = t.tables.sample_size;
  if (stored == 1 && t.sound.bytes_per_frame > 1) return t.sound.bytes_per_frame;
  return stored ? stored : t.sound.bytes_per_frame;
}

bool inside_media_data(const Movie& movie, const FileRange& r) {
  for (const FileRange& m : movie.media_data)
    if (r.offset >= m.offset && r.bytes <= m.bytes && r.offset - m.offset <= m.bytes - r.bytes)
      return true;
  return false;
}

std::string describe(const Placed& p) {
  std::ostringstream m;
  m << p.name << " (" << p.range.bytes << " bytes at offset " << p.range.offset << ")";
  return m.str();
}

}  // namespace

const Track* find_hap_track(const Movie& movie, const HapVariant** variant) {
  for (const Track& t : movie.tracks) {
    const HapVariant* v = t.handler == "vide" ? find_hap_variant(t.format) : nullptr;
    if (v) {
      if (variant) *variant = v;
      return &t;
    }
  }
  return nullptr;
}

std::vector<FileRange> video_samples(const Track& track) {
  return sample_ranges(track.tables);
}

std::vector<std::string> movie_index_faults(const Movie& movie) {
  std::vector<std::string> faults;
  const Track* video = find_hap_track(movie);
  if (!video) faults.push_back("no Hap video track");
  std::vector<Placed> placed;
  for (const Track& t : movie.tracks) {
    const std::string name = track_name(t);
    if (const std::string f = sample_table_fault(t.tables); !f.empty()) {
      faults.push_back(name + ": " + f);
      continue;
    }
    if (&t == video) {
      if (t.video.width == 0 || t.video.height == 0) faults.push_back(name + ": frame size 0");
      if (t.media_duration != t.tables.stts_duration()) {
        faults.push_back(name + ": media duration " + std::to_string(t.media_duration) +
                         " differs from the sample durations' sum " +
                         std::to_string(t.tables.stts_duration()));
      }
      const uint64_t constant = t.tables.sample_size;
      if (constant && uint64_t{t.tables.sample_count} * constant > movie.file_bytes) {
        faults.push_back(name + ": samples larger than the file");
        continue;
      }
      const std::vector<FileRange> samples = video_samples(t);
      for (size_t i = 0; i < samples.size(); ++i)
        placed.push_back({samples[i], "video frame " + std::to_string(i)});
    } else if (t.handler == "soun") {
      const uint64_t bytes = audio_sample_bytes(t);
      const std::vector<FileRange> chunks = chunk_ranges(t.tables, bytes);
      for (size_t i = 0; i < chunks.size(); ++i)
        placed.push_back({chunks[i], name + " chunk " + std::to_string(i)});
    } else if (t.handler == "tmcd" &&
               uint64_t{t.tables.sample_count} * t.tables.sample_size <= movie.file_bytes) {
      const std::vector<FileRange> samples = sample_ranges(t.tables);
      for (size_t i = 0; i < samples.size(); ++i)
        placed.push_back({samples[i], name + " sample " + std::to_string(i)});
    }
  }
  for (const Placed& p : placed)
    if (!inside_media_data(movie, p.range))
      faults.push_back(describe(p) + " lies outside the media data");
  std::sort(placed.begin(), placed.end(),
            [](const Placed& a, const Placed& b) { return a.range.offset < b.range.offset; });
  for (size_t i = 1; i < placed.size(); ++i) {
    const Placed& a = placed[i - 1];
    if (a.range.bytes > 0 && placed[i].range.offset - a.range.offset < a.range.bytes)
      faults.push_back(describe(a) + " overlaps " + describe(placed[i]));
  }
  return faults;
}

}  // namespace orvex_inspect
