// The encode command: source -> RenderJob -> temporary movie -> output.
#include "cli/encode_command.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numeric>
#include <sstream>
#include <stdexcept>

#include "VIDEO/file_io.h"
#include "VIDEO/movie_atoms.h"
#include "cli/ffmpeg_source.h"
#include "cli/host_path.h"
#include "cli/interrupt.h"
#include "cli/output_file.h"
#include "cli/pattern_source.h"
#include "cli/progress.h"
#include "job/render_job.h"

namespace orvex_cli {
namespace {

constexpr CpuFeatureMask kCpuMask = CPU_MASK_DEFAULT;

uint64_t file_size(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

void warn(const std::string& message) {
  std::fprintf(stderr, "orvex-hap: warning: %s\n", message.c_str());
}

std::string rate_text(FrameRate r) {
  std::ostringstream t;
  t << r.numerator;
  if (r.denominator != 1) t << '/' << r.denominator;
  return t.str();
}

std::unique_ptr<FrameSource> open_source(const CliOptions& o) {
  if (o.pattern) {
    const FrameRate rate = o.rate.value_or(FrameRate{25, 1});
    uint64_t frames = o.max_frames;
    if (frames == 0) {
      frames = static_cast<uint64_t>(
          std::llround(o.duration_s.value_or(5.0) * rate.numerator / rate.denominator));
      if (frames == 0) frames = 1;
    }
    return std::make_unique<PatternSource>(o.pattern_width_px, o.pattern_height_px, rate, frames,
                                           !o.no_audio);
  }
  FfmpegInput in;
  in.path = o.input;
  in.format = o.input_format;
  in.pix_fmt = o.pix_fmt;
  in.width_px = o.raw_width_px;
  in.height_px = o.raw_height_px;
  in.rate = o.rate;
  in.start_s = o.start_s;
  in.duration_s = o.duration_s;
  in.max_frames = o.max_frames;
  in.audio = !o.no_audio;
  in.audio_track = o.audio_track;
  in.audio_format = o.audio_format;
  in.matrix = o.matrix;
  in.range = o.range;
  in.autorotate = o.autorotate;
  return std::make_unique<FfmpegSource>(in);
}

// The timecode track's first frame number: --timecode, else the source's timecode (moved on
// by --start), else none.
struct TimecodeChoice {
  bool on = false;
  uint32_t start_frame = 0;
  bool drop_frame = false;
};

TimecodeChoice choose_timecode(const CliOptions& o, const SourceInfo& info) {
  TimecodeChoice tc;
  if (o.timecode) {
    tc.start_frame = timecode_start_frame(*o.timecode, info.rate, o.drop_frame);
    tc.drop_frame = o.drop_frame;
    tc.on = true;
  } else if (!info.timecode.empty()) {
    // Drop-frame timecodes separate the frames with ';' (or '.').
    const size_t sep = info.timecode.find_last_of(":;.");
    tc.drop_frame = sep != std::string::npos && info.timecode[sep] != ':';
    try {
      tc.start_frame =
          timecode_start_frame(parse_timecode(info.timecode), info.rate, tc.drop_frame);
    } catch (const UsageError&) {
      warn("the source's timecode " + info.timecode + " does not fit a " + rate_text(info.rate) +
           " fps movie; it is left out");
      return tc;
    }
    if (o.start_s) {
      const double fps = double(info.rate.numerator) / info.rate.denominator;
      tc.start_frame += static_cast<uint32_t>(std::llround(*o.start_s * fps));
    }
    tc.on = true;
  }
  if (tc.on && !timecode_rate_supported(info.rate)) {
    warn("a timecode track cannot count frames at " + rate_text(info.rate) +
         " fps; the movie has none");
    tc.on = false;
  }
  return tc;
}

// --progress FILE, or standard output for "-".
struct ProgressFile {
  std::FILE* file = nullptr;
  bool owned = false;
  explicit ProgressFile(const std::string& path) {
    if (path.empty()) return;
    if (path == "-") {
      file = stdout;
      return;
    }
    file = std::fopen(path.c_str(), "w");
    if (!file) {
      throw std::runtime_error("cannot write the progress to '" + path +
                               "': " + std::strerror(errno));
    }
    owned = true;
  }
  ~ProgressFile() {
    if (owned) std::fclose(file);
  }
  ProgressFile(const ProgressFile&) = delete;
  ProgressFile& operator=(const ProgressFile&) = delete;
};

// Most frames the movie holds for this source: the sample tables count video frames, and audio
// sample frames (round(rate_hz x frames x D / N) of them), in 32 bits.
uint32_t highest_audio_rate_hz(const SourceInfo& info) {
  uint32_t hz = 0;
  for (const AudioTrackInfo& t : info.audio) hz = std::max(hz, t.rate_hz);
  return hz;
}

uint64_t movie_frame_limit(const SourceInfo& info) {
  const uint32_t audio_rate_hz = highest_audio_rate_hz(info);
  if (audio_rate_hz == 0 || info.rate.numerator == 0) return kMaxMovieFrames;
  // round(hz x f x D / N) <= M  <=>  2 x hz x D x f < (2M + 1) x N.
  using u128 = unsigned __int128;
  const u128 per_frame = u128{2} * audio_rate_hz * info.rate.denominator;
  const u128 room = (u128{2} * kMaxMovieFrames + 1) * info.rate.numerator;
  return static_cast<uint64_t>(std::min<u128>(kMaxMovieFrames, (room - 1) / per_frame));
}

// Refuses, before anything is encoded, a length the movie cannot hold.
void check_movie_capacity(const CliOptions& o, const SourceInfo& info, uint64_t limit) {
  const uint64_t wanted = o.max_frames != 0 ? o.max_frames : o.pattern ? info.frame_count : 1;
  if (wanted <= limit) return;
  std::ostringstream s;
  s << (o.max_frames != 0 ? "--frames"
        : o.pattern       ? "--duration"
                          : "--rate")
    << ": " << wanted << (wanted == 1 ? " frame" : " frames") << " at " << info.rate.numerator
    << "/" << info.rate.denominator << " fps";
  if (const uint32_t hz = highest_audio_rate_hz(info)) s << " with " << hz << " Hz audio";
  s << " is more than a movie holds (at most " << limit
    << " frames: video frames and audio sample frames are counted in 32 bits)";
  throw UsageError(s.str());
}

int interrupted_before_the_first_frame() {
  std::fprintf(stderr, "orvex-hap: interrupted before the first frame; no movie written\n");
  return 130;
}

}  // namespace

int run_encode(const CliOptions& o) {
  const std::string ext = ".mov";
  if (o.output.size() < ext.size() ||
      strcasecmp(o.output.c_str() + o.output.size() - ext.size(), ext.c_str()) != 0) {
    warn("'" + o.output +
         "' does not end in .mov; it is written as a QuickTime movie all the same");
  }
  // The output is checked and its temporary file created before the input is touched, so that a
  // name that cannot be written fails at once.
  TempOutput output(o.output, o.overwrite);
  ProgressFile progress_file(o.progress_path);
  std::unique_ptr<FrameSource> source;
  try {
    source = open_source(o);
  } catch (const std::runtime_error&) {
    if (interrupt_requested()) return interrupted_before_the_first_frame();
    throw;
  }
  const SourceInfo& info = source->info();
  const uint64_t frame_limit = movie_frame_limit(info);
  check_movie_capacity(o, info, frame_limit);
  const TimecodeChoice tc = choose_timecode(o, info);
  // The pixel aspect ratio: --par, else the source's; written exactly into `pasp`.
  PixelSpacing pixel_spacing;
  if (o.par_num != 0) {
    pixel_spacing = {o.par_num, o.par_den};
  } else if (info.par_num != 0) {
    pixel_spacing = {info.par_num, info.par_den};
  }
  if (pixel_spacing.h_spacing != 0) {
    const uint32_t g = std::gcd(pixel_spacing.h_spacing, pixel_spacing.v_spacing);
    pixel_spacing = {pixel_spacing.h_spacing / g, pixel_spacing.v_spacing / g};
  }
  const float pixel_aspect = pixel_spacing.h_spacing == 0
                                 ? 1.0f
                                 : static_cast<float>(pixel_spacing.h_spacing) /
                                       static_cast<float>(pixel_spacing.v_spacing);

  const HostPixelPath path = host_pixel_path(info);
  const uint32_t host_depth = path.host_depth;
  const uint16_t chunk_count = o.snappy ? o.chunks : 0;

  RenderJobSettings settings;
  settings.path = utf16_from_native_name(output.temp_path());
  settings.existing_file = true;  // the temporary file: written in place, never another one made
  settings.width = static_cast<uint16_t>(info.width_px);
  settings.height = static_cast<uint16_t>(info.height_px);
  settings.depth = path.description_depth;
  settings.frame_rate = info.rate;
  settings.chunk_count = chunk_count;
  settings.timecode_switch = tc.on;
  settings.timecode_start = tc.start_frame;
  settings.drop_frame = tc.drop_frame;
  settings.pixel_aspect_ratio = pixel_aspect;
  if (pixel_aspect != 1.0f) settings.pixel_spacing = pixel_spacing;
  settings.codec = o.codec;
  settings.encoding_mode = o.one_frame_at_a_time ? kOneFrameAtATime : kSeveralFramesAtATime;
  settings.quality = o.quality;
  settings.cpu_mask = kCpuMask;
  RenderJob job(settings);
  const uint32_t tracks = static_cast<uint32_t>(info.audio.size());
  if (tracks != 0) {
    std::vector<AudioTrackFormat> formats;
    for (const AudioTrackInfo& t : info.audio) {
      AudioTrackFormat f;
      f.sample_rate_hz = static_cast<int32_t>(t.rate_hz);
      f.bits_per_sample = static_cast<uint16_t>(pcm_bits(t.layout));
      f.channels = static_cast<int32_t>(t.channels);
      f.float_flag = t.layout == PcmLayout::F32 ? 1 : 0;
      formats.push_back(f);
    }
    job.set_audio_tracks(formats);
  }
  job.open_encoders(ARGB_8, host_depth, PAD_REPLICATE, 0);
  job.open_extra_encoders(ARGB_16_HOST, host_depth, PAD_REPLICATE, 0, 1);
  job.open_extra_encoders(ARGB_16_HOST, host_depth, PAD_REPLICATE, 0, 2);

  uint64_t total = info.frame_count;
  if (o.max_frames != 0 && (total == 0 || o.max_frames < total)) total = o.max_frames;
  Progress progress(!o.quiet, total, info.rate, progress_file.file);
  std::vector<uint8_t> pcm;
  auto pass_audio = [&] {
    for (uint32_t t = 0; t < tracks; ++t) {
      source->take_audio(t, pcm);
      if (!pcm.empty()) {
        job.add_sound(pcm.data(), static_cast<int64_t>(pcm.size() / info.audio[t].frame_bytes()),
                      t);
      }
    }
  };
  uint64_t frames = 0;
  auto state = [&] {
    const SourceReport r = source->report();
    return ProgressState{frames, file_size(output.temp_path()), r.duplicated, r.dropped};
  };

  HostFrame frame;
  try {
    // The sources stop at --frames and --duration themselves (and then finish their audio); the
    // movie's own limit stops an endless one.
    while (frames < frame_limit && !interrupt_requested() && source->read_frame(frame)) {
      job.add_frame(frame.pixels, frame.row_bytes, path.texture_slot);
      pass_audio();
      ++frames;
      progress.update(state());
    }
    if (frames == 0) {
      if (!interrupt_requested()) throw std::runtime_error("'" + o.input + "' has no video frames");
      progress.clear();
      return interrupted_before_the_first_frame();
    }
    if (frames == frame_limit && o.max_frames == 0 && info.frame_count != frame_limit) {
      progress.clear();
      warn("stopped after " + std::to_string(frames) + " frames, the most a movie holds");
    }
    pass_audio();
    job.flush();
    job.finish();
  } catch (...) {
    progress.clear();
    throw;
  }
  output.commit();
  progress.finish(state());

  const SourceReport report = source->report();
  for (const std::string& w : report.warnings) warn(w);
  if (report.duplicated != 0 || report.dropped != 0) {
    warn("to keep the source's timing at " + rate_text(info.rate) +
         " fps: " + count_text(report.duplicated, "frame", "frames") + " duplicated, " +
         std::to_string(report.dropped) + " dropped");
  }
  const double seconds = progress.elapsed_s();
  if (!o.quiet) {
    std::ostringstream chunks;
    if (o.snappy) {
      chunks << count_text(o.chunks, "chunk", "chunks");
    } else {
      chunks << "no Snappy";
    }
    const std::string lost =
        report.lost == 0 ? "" : ", " + count_text(report.lost, "frame", "frames") + " lost";
    std::fprintf(stderr, "orvex-hap: wrote %s: %s %ux%u %s (%s, %s) in %.1f s (%.1f fps), %s%s\n",
                 o.output.c_str(), count_text(frames, "frame", "frames").c_str(), info.width_px,
                 info.height_px, codec_display_name(o.codec), quality_name(o.quality),
                 chunks.str().c_str(), seconds, seconds > 0 ? frames / seconds : 0.0,
                 format_size(file_size(o.output)).c_str(), lost.c_str());
  }
  return interrupt_requested() ? 130 : 0;
}

}  // namespace orvex_cli
