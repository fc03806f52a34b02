// `orvex-hap info`: the index and a walk over every frame's sections, printed as text or JSON.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "cli/inspect_commands.h"
#include "cli/progress.h"
#include "inspect/frame_summary.h"
#include "inspect/movie_check.h"
#include "inspect/movie_facts.h"

namespace orvex_cli {
namespace {

using namespace orvex_inspect;

struct TimecodeReport {
  uint32_t track = 0;
  std::optional<uint32_t> start;
  uint32_t fps = 0;
  bool drop = false;
};

struct Report {
  std::string path;
  uint64_t file_bytes = 0;
  uint32_t video_track = 0;
  std::string code;
  std::string compressor;
  uint16_t depth = 0;
  VideoFacts video;
  FrameSummary frames;
  uint64_t malformed = 0;
  std::string first_fault;  // "frame N: ..." or a sample-table fault
  std::vector<std::pair<uint32_t, AudioFacts>> audio;
  std::vector<TimecodeReport> timecodes;
};

std::string fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string rate_text(const VideoFacts& v) {
  const double fps = v.rate_den ? double(v.rate_num) / double(v.rate_den) : 0.0;
  std::string text = fixed(fps, v.rate_den == 1 ? 0 : 3) + " fps (" + std::to_string(v.rate_num) +
                     "/" + std::to_string(v.rate_den) + ")";
  return v.constant_rate ? text : text + ", variable";
}

std::string percent(uint64_t part, uint64_t whole) {
  return whole ? fixed(100.0 * double(part) / double(whole), 1) + "%" : "-";
}

void print_text(const Report& r) {
  const VideoFacts& v = r.video;
  std::printf("%s: %s\n", r.path.c_str(), format_size(r.file_bytes).c_str());
  std::printf("video:    track %u, %s ('%s'), %ux%u, %s\n", r.video_track, v.variant->name,
              r.code.c_str(), v.width, v.height, rate_text(v).c_str());
  std::printf("          %llu frames, %s s, pixel aspect %u:%u (display %ux%u)\n",
              static_cast<unsigned long long>(v.frames), fixed(v.duration_s, 3).c_str(), v.aspect_h,
              v.aspect_v, v.display_width, v.height);
  std::printf("          compressor name \"%s\", depth %u\n", r.compressor.c_str(), r.depth);
  const FrameSummary& f = r.frames;
  for (const auto& [layout, count] : f.layouts)
    std::printf("frames:   %llu x %s\n", static_cast<unsigned long long>(count), layout.c_str());
  for (const auto& [chunks, count] : f.chunk_counts)
    std::printf("chunks:   %s a frame (%llu frames)\n", chunks.c_str(),
                static_cast<unsigned long long>(count));
  if (f.frames) {
    std::printf("bytes:    texture %s, stored %s (%s of the texture)\n",
                format_size(f.texture_bytes).c_str(), format_size(f.stored_bytes).c_str(),
                percent(f.stored_bytes, f.texture_bytes).c_str());
    std::printf("snappy:   %llu of %llu chunks, %s of the texture bytes\n",
                static_cast<unsigned long long>(f.snappy_chunks),
                static_cast<unsigned long long>(f.chunks),
                percent(f.snappy_texture_bytes, f.texture_bytes).c_str());
    std::printf("frame:    %llu to %llu bytes, mean %llu\n",
                static_cast<unsigned long long>(f.min_frame_bytes),
                static_cast<unsigned long long>(f.max_frame_bytes),
                static_cast<unsigned long long>(f.stored_bytes / f.frames));
  }
  if (r.malformed)
    std::printf("damaged:  %llu frames (first: %s)\n", static_cast<unsigned long long>(r.malformed),
                r.first_fault.c_str());
  else if (!r.first_fault.empty())
    std::printf("damaged:  %s\n", r.first_fault.c_str());
  for (const auto& [track, a] : r.audio)
    std::printf("audio:    track %u, %s, %s Hz, %u channels, %s s\n", track, a.description.c_str(),
                fixed(a.rate_hz, 0).c_str(), a.channels, fixed(a.duration_s, 3).c_str());
  if (r.audio.empty()) std::printf("audio:    none\n");
  for (const TimecodeReport& t : r.timecodes)
    std::printf("timecode: track %u, starts at %s (%u fps%s)\n", t.track,
                t.start ? timecode_text(*t.start, t.fps, t.drop).c_str() : "?", t.fps,
                t.drop ? ", drop frame" : "");
  if (r.timecodes.empty()) std::printf("timecode: none\n");
}

std::string json_string(const std::string& s) {
  std::string out = "\"";
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

void print_json(const Report& r) {
  const VideoFacts& v = r.video;
  const FrameSummary& f = r.frames;
  std::ostringstream j;
  j << "{\n  \"file\": " << json_string(r.path) << ",\n  \"file_bytes\": " << r.file_bytes
    << ",\n  \"video\": {\"track\": " << r.video_track << ", \"code\": " << json_string(r.code)
    << ", \"variant\": " << json_string(v.variant->name) << ", \"width\": " << v.width
    << ", \"height\": " << v.height << ", \"frame_rate\": \"" << v.rate_num << "/" << v.rate_den
    << "\", \"constant_rate\": " << (v.constant_rate ? "true" : "false")
    << ", \"frames\": " << v.frames << ", \"duration_s\": " << fixed(v.duration_s, 6)
    << ", \"pixel_aspect\": \"" << v.aspect_h << ":" << v.aspect_v
    << "\", \"display_width\": " << v.display_width
    << ", \"compressor_name\": " << json_string(r.compressor) << ", \"depth\": " << r.depth
    << "},\n  \"frames\": {\"layouts\": [";
  const char* sep = "";
  for (const auto& [layout, count] : f.layouts) {
    j << sep << "{\"layout\": " << json_string(layout) << ", \"frames\": " << count << "}";
    sep = ", ";
  }
  j << "], \"chunk_counts\": [";
  sep = "";
  for (const auto& [chunks, count] : f.chunk_counts) {
    j << sep << "{\"chunks\": " << json_string(chunks) << ", \"frames\": " << count << "}";
    sep = ", ";
  }
  j << "], \"texture_bytes\": " << f.texture_bytes << ", \"stored_bytes\": " << f.stored_bytes
    << ", \"chunks\": " << f.chunks << ", \"snappy_chunks\": " << f.snappy_chunks
    << ", \"snappy_texture_bytes\": " << f.snappy_texture_bytes
    << ", \"min_frame_bytes\": " << f.min_frame_bytes
    << ", \"max_frame_bytes\": " << f.max_frame_bytes << ", \"damaged_frames\": " << r.malformed
    << ", \"first_fault\": " << (r.first_fault.empty() ? "null" : json_string(r.first_fault))
    << "},\n  \"audio\": [";
  sep = "";
  for (const auto& [track, a] : r.audio) {
    j << sep << "{\"track\": " << track << ", \"format\": " << json_string(a.description)
      << ", \"sample_rate\": " << fixed(a.rate_hz, 0) << ", \"channels\": " << a.channels
      << ", \"bits\": " << a.bits << ", \"duration_s\": " << fixed(a.duration_s, 6) << "}";
    sep = ", ";
  }
  j << "],\n  \"timecode\": ";
  if (r.timecodes.empty()) {
    j << "null";
  } else {
    const TimecodeReport& t = r.timecodes.front();
    j << "{\"track\": " << t.track
      << ", \"start\": " << (t.start ? json_string(timecode_text(*t.start, t.fps, t.drop)) : "null")
      << ", \"start_frame\": " << (t.start ? std::to_string(*t.start) : "null")
      << ", \"fps\": " << t.fps << ", \"drop_frame\": " << (t.drop ? "true" : "false") << "}";
  }
  j << "\n}\n";
  std::fputs(j.str().c_str(), stdout);
}

}  // namespace

int run_info(const InfoOptions& o) {
  std::unique_ptr<MovieReader> opened;
  try {
    opened = std::make_unique<MovieReader>(o.movie);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error("'" + o.movie + "': " + e.what());
  }
  MovieReader& reader = *opened;
  const Movie& movie = reader.movie();
  const HapVariant* variant = nullptr;
  const Track* video = find_hap_track(movie, &variant);
  if (!video) throw std::runtime_error("'" + o.movie + "' has no Hap video track");

  Report r;
  r.path = o.movie;
  r.file_bytes = movie.file_bytes;
  r.video_track = video->id;
  r.code = video->format;
  r.compressor = video->video.compressor;
  r.depth = video->video.depth;
  r.video = video_facts(*video, variant);

  const uint64_t constant = video->tables.sample_size;
  r.first_fault = sample_table_fault(video->tables);
  if (r.first_fault.empty() && constant && video->tables.sample_count * constant > movie.file_bytes)
    r.first_fault = "samples larger than the file";
  if (r.first_fault.empty()) {
    const std::vector<FileRange> samples = video_samples(*video);
    // The walk shows its progress on a terminal only: the report is the output.
    Progress progress(
        isatty(STDERR_FILENO) != 0, samples.size(),
        FrameRate{static_cast<uint32_t>(r.video.rate_num), static_cast<uint32_t>(r.video.rate_den)},
        nullptr);
    std::vector<uint8_t> data;
    uint64_t bytes_read = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
      try {
        reader.read(samples[i], data);
        r.frames.add(read_hap_frame(data.data(), data.size(), HapRead::layout), data.size());
      } catch (const std::runtime_error& e) {
        if (r.malformed++ == 0) r.first_fault = "frame " + std::to_string(i) + ": " + e.what();
      }
      bytes_read += samples[i].bytes;
      progress.update(ProgressState{i + 1, bytes_read, 0, 0});
    }
    progress.clear();
  }
  for (const Track& t : movie.tracks) {
    if (t.handler == "soun") r.audio.emplace_back(t.id, audio_facts(t));
    if (t.handler == "tmcd")
      r.timecodes.push_back(
          {t.id, timecode_start(reader, t), t.timecode.frames, (t.timecode.flags & 1) != 0});
  }
  if (o.json) {
    print_json(r);
  } else {
    print_text(r);
  }
  return 0;
}

}  // namespace orvex_cli
