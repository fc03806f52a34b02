// `orvex-hap verify`: the index checked against the file, every frame parsed and decoded with
// the product decoders, and with a reference the PSNR of the decoded frames against it.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "cli/ffmpeg_source.h"
#include "cli/inspect_commands.h"
#include "cli/output_file.h"
#include "cli/pattern_source.h"
#include "cli/png_writer.h"
#include "cli/progress.h"
#include "inspect/hap_picture.h"
#include "inspect/movie_check.h"
#include "inspect/movie_facts.h"
#include "inspect/psnr.h"
#include "texture/pixel_formats.h"

namespace orvex_cli {
namespace {

using namespace orvex_inspect;

constexpr size_t kFaultsShown = 20;

std::string db(double v) {
  if (v == std::numeric_limits<double>::infinity()) return "inf";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f dB", v);
  return buf;
}

std::unique_ptr<FrameSource> open_reference(const VerifyOptions& o, const VideoFacts& video) {
  if (o.reference_pattern) {
    const FrameRate rate{static_cast<uint32_t>(video.rate_num),
                         static_cast<uint32_t>(video.rate_den)};
    return std::make_unique<PatternSource>(video.width, video.height, rate,
                                           std::max<uint64_t>(video.frames, 1), false);
  }
  FfmpegInput in;
  in.path = o.reference;
  in.format = o.reference_format;
  in.pix_fmt = o.reference_pix_fmt;
  in.width_px = o.reference_width_px;
  in.height_px = o.reference_height_px;
  // Frames placed at the movie's rate, as an encode at that rate would have taken them.
  in.rate = FrameRate{static_cast<uint32_t>(video.rate_num), static_cast<uint32_t>(video.rate_den)};
  in.start_s = o.start_s;
  in.matrix = o.matrix;
  in.range = o.range;
  in.autorotate = o.autorotate;
  in.audio = false;
  return std::make_unique<FfmpegSource>(in);
}

// The reference frame as the variant stores it, in 0..255 units, RGBA; for a matte (Hap
// Alpha-Only) the matte in the first channel: the source's alpha, or for a source without alpha
// its luma as the encoder takes it, (R + G + B) / 3 of the 8-bit values. 16-bit samples keep
// their precision (v x 255 / 32768).
void reference_pixels(const HostFrame& frame, const SourceInfo& info, const HapVariant& variant,
                      std::vector<float>& out) {
  const size_t w = info.width_px, h = info.height_px;
  out.resize(w * h * 4);
  for (size_t y = 0; y < h; ++y) {
    const uint8_t* row = frame.pixels + y * frame.row_bytes;
    for (size_t x = 0; x < w; ++x) {
      float* px = &out[(y * w + x) * 4];
      uint8_t argb8[4];
      float argb[4];
      for (int c = 0; c < 4; ++c) {
        if (info.deep) {
          const uint8_t* s = row + x * 8 + 2 * c;
          const uint16_t v = static_cast<uint16_t>(s[0] | s[1] << 8);
          argb8[c] = host16_to_8(v);
          argb[c] = static_cast<float>(v * (255.0 / 32768.0));
        } else {
          argb8[c] = row[x * 4 + c];
          argb[c] = argb8[c];
        }
      }
      px[0] = argb[1], px[1] = argb[2], px[2] = argb[3], px[3] = argb[0];
      if (variant.matte)
        px[0] = info.alpha ? argb[0] : static_cast<float>((argb8[1] + argb8[2] + argb8[3]) / 3);
    }
  }
}

// Channels compared (and written to a PNG): the matte, R G B, or R G B A.
uint32_t channels_of(const HapVariant& v) {
  return v.matte ? 1 : v.alpha ? 4 : 3;
}

}  // namespace

int run_verify(const VerifyOptions& o) {
  if (o.save_frame) check_output_writable(o.save_path, o.overwrite);
  std::vector<std::string> faults;
  std::unique_ptr<MovieReader> reader;
  try {
    reader = std::make_unique<MovieReader>(o.movie);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error("'" + o.movie + "': " + e.what());
  }
  const Movie& movie = reader->movie();
  for (const std::string& f : movie_index_faults(movie)) faults.push_back("index: " + f);
  const size_t index_faults = faults.size();
  const HapVariant* variant = nullptr;
  const Track* video = find_hap_track(movie, &variant);
  if (!video) throw std::runtime_error("'" + o.movie + "' has no Hap video track");
  const VideoFacts facts = video_facts(*video, variant);
  if (o.save_frame && *o.save_frame >= facts.frames) {
    throw UsageError("--save-frame: the movie has frames 0 to " +
                     std::to_string(facts.frames ? facts.frames - 1 : 0));
  }
  std::printf("%s: %s %ux%u, %llu frames\n", o.movie.c_str(), variant->name, facts.width,
              facts.height, static_cast<unsigned long long>(facts.frames));

  // The frames can be walked when the video's own tables are sound.
  const bool walkable =
      sample_table_fault(video->tables).empty() &&
      uint64_t{video->tables.sample_count} * video->tables.sample_size <= movie.file_bytes;
  const std::vector<FileRange> samples =
      walkable ? video_samples(*video) : std::vector<FileRange>{};

  std::unique_ptr<FrameSource> reference;
  if (!o.reference.empty() || o.reference_pattern) {
    reference = open_reference(o, facts);
    const SourceInfo& ri = reference->info();
    if (ri.width_px != facts.width || ri.height_px != facts.height) {
      std::ostringstream m;
      m << "the reference is " << ri.width_px << "x" << ri.height_px << ", the movie "
        << facts.width << "x" << facts.height;
      throw std::runtime_error(m.str());
    }
  }

  const uint32_t channels = channels_of(*variant);
  const uint64_t limit = hap_max_texture_bytes(*variant, facts.width, facts.height);
  PsnrMeter meter;
  uint64_t decoded = 0, reference_frames = 0, bytes_read = 0;
  bool reference_ended = false, saved = false;
  std::vector<uint8_t> data;
  std::vector<float> expected;
  // The walk shows its progress on a terminal only: the report is the output.
  Progress progress(
      isatty(STDERR_FILENO) != 0, samples.size(),
      FrameRate{static_cast<uint32_t>(facts.rate_num), static_cast<uint32_t>(facts.rate_den)},
      nullptr);
  try {
    for (size_t i = 0; i < samples.size(); ++i) {
      std::vector<uint8_t> picture;
      try {
        reader->read(samples[i], data);
        const HapFrameLayout frame =
            read_hap_frame(data.data(), data.size(), HapRead::textures, limit);
        picture = decode_hap_picture(*variant, frame, facts.width, facts.height);
        ++decoded;
      } catch (const std::runtime_error& e) {
        faults.push_back("frame " + std::to_string(i) + ": " + e.what());
      }
      HostFrame ref;
      if (reference && !reference_ended && !reference->read_frame(ref)) reference_ended = true;
      if (reference && !reference_ended) {
        ++reference_frames;
        if (!picture.empty()) {
          reference_pixels(ref, reference->info(), *variant, expected);
          meter.add_frame(picture.data(), expected.data(), picture.size() / 4, channels);
        }
      }
      if (o.save_frame && *o.save_frame == i && !picture.empty()) {
        write_png(o.save_path, picture.data(), facts.width, facts.height, channels);
        saved = true;
      }
      bytes_read += samples[i].bytes;
      progress.update(ProgressState{i + 1, bytes_read, 0, 0});
    }
  } catch (...) {
    progress.clear();
    throw;
  }
  progress.clear();

  std::printf("index: %s\n", index_faults ? "faults found" : "sound");
  std::printf("frames: %llu of %llu decoded\n", static_cast<unsigned long long>(decoded),
              static_cast<unsigned long long>(facts.frames));
  if (reference) {
    const char* names = variant->matte ? "M" : "RGBA";
    std::string line = "psnr:";
    for (uint32_t c = 0; c < channels && meter.frames(); ++c)
      line += std::string(c ? ", " : " ") + names[c] + " " + db(meter.channel_psnr(c));
    if (meter.frames()) {
      line += "; average " + db(meter.average_psnr()) + " over " + std::to_string(meter.frames()) +
              " frames; worst frame " + std::to_string(meter.worst_frame()) + " (" +
              db(meter.worst_frame_psnr()) + ")";
    } else {
      line += " no frame compared";
    }
    std::printf("%s\n", line.c_str());
    if (reference_frames < samples.size())
      std::printf("note: the reference ended after %llu frames\n",
                  static_cast<unsigned long long>(reference_frames));
    else if (HostFrame extra; reference->read_frame(extra))
      std::printf("note: the reference has more frames than the movie\n");
  }
  if (o.save_frame)
    std::printf(saved ? "saved frame %llu to %s\n" : "frame %llu not decoded, %s not written\n",
                static_cast<unsigned long long>(*o.save_frame), o.save_path.c_str());
  if (faults.empty()) return 0;
  for (size_t i = 0; i < faults.size() && i < kFaultsShown; ++i)
    std::printf("fault: %s\n", faults[i].c_str());
  if (faults.size() > kFaultsShown)
    std::printf("fault: ... and %zu more\n", faults.size() - kFaultsShown);
  std::fflush(stdout);
  throw std::runtime_error(
      "'" + o.movie + "' failed verification: " + std::to_string(faults.size()) +
      (faults.size() == 1 ? " fault" : " faults") + " (first: " + faults.front() + ")");
}

}  // namespace orvex_cli
