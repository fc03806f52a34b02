#pragma once
// Input through FFmpeg's libraries: any file or stream libavformat opens (a path, "-" for
// standard input, raw video with an explicit format), decoded with libavcodec, converted with
// libswscale to the host's 8-bit ARGB or 16-bit ARGB (0..32768) and with libswresample to
// interleaved PCM (16-bit, 24-bit or 32-bit float after the source's sample format).

#include <memory>
#include <optional>
#include <string>

#include "cli/frame_source.h"

namespace orvex_cli {

struct FfmpegInput {
  std::string path;                      // "-" reads standard input
  std::string format;                    // demuxer name, empty to probe
  std::string pix_fmt;                   // raw video only
  uint32_t width_px = 0, height_px = 0;  // raw video only; 0 = not given
  std::optional<FrameRate> rate;         // overrides the stream's rate
  bool audio = true;
};

// 16-bit sample (0..65535) to the host's 16-bit range (0..32768), rounded to nearest.
inline uint16_t to_host16(uint16_t v) {
  return static_cast<uint16_t>((uint32_t{v} * 32768u + 32767u) / 65535u);
}

class FfmpegSource : public FrameSource {
 public:
  // Opens the input and its decoders. Throws std::runtime_error with a one-line message.
  explicit FfmpegSource(const FfmpegInput& input);
  ~FfmpegSource() override;
  const SourceInfo& info() const override;
  bool read_frame(HostFrame& frame) override;
  void take_audio(std::vector<uint8_t>& pcm) override;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace orvex_cli
