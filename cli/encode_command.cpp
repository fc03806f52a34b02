// The encode command: source -> RenderJob -> temporary movie -> output.
#include "cli/encode_command.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>

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

// UTF-8 path to the UTF-16 path the movie writer takes (the writer converts it back).
std::u16string to_utf16(const std::string& s) {
  std::u16string out;
  for (size_t i = 0; i < s.size();) {
    const auto lead = static_cast<unsigned char>(s[i]);
    size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (i + len > s.size()) len = 1;
    char32_t cp = len == 1 ? lead : lead & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += len;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

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

}  // namespace

int run_encode(const CliOptions& o) {
  check_output_writable(o.output, o.overwrite);
  std::unique_ptr<FrameSource> source = open_source(o);
  const SourceInfo& info = source->info();
  const uint32_t timecode_start =
      o.timecode ? timecode_start_frame(*o.timecode, info.rate, o.drop_frame) : 0;

  const HostPixelPath path = host_pixel_path(info);
  const uint32_t host_depth = path.host_depth;
  const uint16_t chunk_count = o.snappy ? o.chunks : 0;

  TempOutput output(o.output, o.overwrite);
  set_abort_cleanup_path(output.temp_path().c_str());
  struct ClearCleanup {
    ~ClearCleanup() { set_abort_cleanup_path(nullptr); }
  } clear_cleanup;

  RenderJobSettings settings;
  settings.path = to_utf16(output.temp_path());
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

  uint64_t frames = 0;
  HostFrame frame;
  try {
    while ((o.max_frames == 0 || frames < o.max_frames) && !interrupt_requested() &&
           source->read_frame(frame)) {
      job.add_frame(frame.pixels, frame.row_bytes, path.texture_slot);
      pass_audio();
      ++frames;
      progress.update(frames, file_size(output.temp_path()));
    }
    if (frames == 0) {
      throw std::runtime_error(interrupt_requested()
                                   ? "interrupted before the first frame; no movie written"
                                   : "'" + o.input + "' has no video frames");
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
