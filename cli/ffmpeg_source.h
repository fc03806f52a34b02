#pragma once
// Input through FFmpeg's libraries: any file or stream libavformat opens (a path, "-" for
// standard input, raw video with an explicit format). The video is decoded, placed at a
// constant output rate by its timestamps (frames repeated or dropped as a player would show
// them), converted to the host layout (cli/video_converter) and rotated as the source asks; every
// audio track is decoded, converted to PCM and aligned with the first frame (cli/audio_track).
// Damaged input is read as far as it decodes: errors become warnings and counts in report().

#include <memory>
#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "cli/frame_source.h"

namespace orvex_cli {

struct FfmpegInput {
  std::string path;                      // "-" reads standard input
  std::string format;                    // demuxer name, empty to probe
  std::string pix_fmt;                   // raw video only
  uint32_t width_px = 0, height_px = 0;  // raw video only; 0 = not given
  // Raw video: the frames' rate (default 25). Other input: the output rate (default: the
  // source's average rate); frames are repeated or dropped, never retimed.
  std::optional<FrameRate> rate;
  std::optional<double> start_s;     // seek: the first frame shown at this time of the input
  std::optional<double> duration_s;  // stop after this much output
  uint64_t max_frames = 0;           // stop after this many output frames; 0 = all
  bool audio = true;
  std::optional<uint32_t> audio_track;    // keep only this audio track (0-based)
  std::optional<PcmLayout> audio_format;  // every track in this layout
  ColourMatrix matrix = ColourMatrix::Source;
  ColourRange range = ColourRange::Source;
  bool autorotate = true;
};

class FfmpegSource : public FrameSource {
 public:
  // Opens the input and its decoders. Throws UsageError for options that do not fit the input
  // and std::runtime_error with a one-line message otherwise.
  explicit FfmpegSource(const FfmpegInput& input);
  ~FfmpegSource() override;
  const SourceInfo& info() const override;
  bool read_frame(HostFrame& frame) override;
  void take_audio(uint32_t track, std::vector<uint8_t>& pcm) override;
  SourceReport report() const override;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace orvex_cli
