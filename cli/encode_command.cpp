// The encode command: source -> RenderJob -> temporary movie -> output.
#include "cli/encode_command.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "VIDEO/file_io.h"
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

std::unique_ptr<FrameSource> open_source(const CliOptions& o) {
  if (o.pattern) {
    const FrameRate rate = o.rate.value_or(FrameRate{25, 1});
    uint64_t frames = o.max_frames;
    if (frames == 0) {
      frames =
          static_cast<uint64_t>(std::llround(o.duration_s * rate.numerator / rate.denominator));
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
  in.audio = !o.no_audio;
  return std::make_unique<FfmpegSource>(in);
}

// Most frames the movie holds for this source: the sample tables count video frames, and audio
// sample frames (round(rate_hz x frames x D / N) of them), in 32 bits.
uint64_t movie_frame_limit(const SourceInfo& info) {
  if (info.audio_channels == 0 || info.audio_rate_hz == 0 || info.rate.numerator == 0) {
    return kMaxMovieFrames;
  }
  // round(hz x f x D / N) <= M  <=>  2 x hz x D x f < (2M + 1) x N.
  using u128 = unsigned __int128;
  const u128 per_frame = u128{2} * info.audio_rate_hz * info.rate.denominator;
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
  if (info.audio_channels != 0) s << " with " << info.audio_rate_hz << " Hz audio";
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
  // The output is checked and its temporary file created before the input is touched, so that a
  // name that cannot be written fails at once.
  TempOutput output(o.output, o.overwrite);
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
  const uint32_t timecode_start =
      o.timecode ? timecode_start_frame(*o.timecode, info.rate, o.drop_frame) : 0;

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
  settings.timecode_switch = o.timecode.has_value();
  settings.timecode_start = timecode_start;
  settings.drop_frame = o.drop_frame;
  settings.pixel_aspect_ratio = static_cast<float>(o.par_num) / static_cast<float>(o.par_den);
  settings.codec = o.codec;
  settings.encoding_mode = o.one_frame_at_a_time ? kOneFrameAtATime : kSeveralFramesAtATime;
  settings.quality = o.quality;
  settings.cpu_mask = kCpuMask;
  RenderJob job(settings);
  const uint32_t pcm_frame_bytes =
      info.audio_channels * (info.audio_layout == PcmLayout::S16   ? 2
                             : info.audio_layout == PcmLayout::S24 ? 3
                                                                   : 4);
  if (info.audio_channels != 0) {
    job.set_audio_tracks(1, static_cast<int32_t>(info.audio_rate_hz),
                         static_cast<uint16_t>(pcm_bits(info.audio_layout)),
                         static_cast<int32_t>(info.audio_channels),
                         info.audio_layout == PcmLayout::F32 ? 1 : 0, 0);
  }
  job.open_encoders(ARGB_8, host_depth, PAD_REPLICATE, 0);
  job.open_extra_encoders(ARGB_16_HOST, host_depth, PAD_REPLICATE, 0, 1);
  job.open_extra_encoders(ARGB_16_HOST, host_depth, PAD_REPLICATE, 0, 2);

  uint64_t total = info.frame_count;
  if (o.max_frames != 0 && (total == 0 || o.max_frames < total)) total = o.max_frames;
  Progress progress(!o.quiet, total);
  std::vector<uint8_t> pcm;
  auto pass_audio = [&] {
    if (info.audio_channels == 0) return;
    source->take_audio(pcm);
    if (!pcm.empty())
      job.add_sound(pcm.data(), static_cast<int64_t>(pcm.size() / pcm_frame_bytes), 0);
  };

  const uint64_t last_frame = o.max_frames != 0 ? o.max_frames : frame_limit;
  uint64_t frames = 0;
  HostFrame frame;
  try {
    while (frames < last_frame && !interrupt_requested() && source->read_frame(frame)) {
      job.add_frame(frame.pixels, frame.row_bytes, path.texture_slot);
      pass_audio();
      ++frames;
      progress.update(frames, file_size(output.temp_path()));
    }
    if (frames == 0) {
      if (!interrupt_requested()) throw std::runtime_error("'" + o.input + "' has no video frames");
      progress.clear();
      return interrupted_before_the_first_frame();
    }
    if (frames == frame_limit && o.max_frames == 0 && info.frame_count != frame_limit) {
      progress.clear();
      std::fprintf(stderr,
                   "orvex-hap: warning: stopped after %llu frames, the most a movie holds\n",
                   static_cast<unsigned long long>(frames));
    }
    pass_audio();
    job.flush();
    job.finish();
  } catch (...) {
    progress.clear();
    throw;
  }
  progress.clear();
  output.commit();

  const double seconds = progress.elapsed_s();
  if (!o.quiet) {
    std::ostringstream chunks;
    if (o.snappy) {
      chunks << o.chunks << (o.chunks == 1 ? " chunk" : " chunks");
    } else {
      chunks << "no Snappy";
    }
    std::fprintf(
        stderr, "orvex-hap: wrote %s: %llu frames %ux%u %s (%s, %s) in %.1f s (%.1f fps), %s\n",
        o.output.c_str(), static_cast<unsigned long long>(frames), info.width_px, info.height_px,
        codec_display_name(o.codec), quality_name(o.quality), chunks.str().c_str(), seconds,
        seconds > 0 ? frames / seconds : 0.0, format_size(file_size(o.output)).c_str());
  }
  return interrupt_requested() ? 130 : 0;
}

}  // namespace orvex_cli
