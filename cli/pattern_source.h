#pragma once
// The built-in moving test pattern: colour bars that slide one step per frame (top), a smooth
// two-axis gradient (middle), fine detail (one-pixel checkerboard and a zone plate) with an alpha
// ramp (bottom), and a stereo 48 kHz 16-bit tone (440 Hz left, 660 Hz right).

#include <cstdint>
#include <vector>

#include "cli/frame_source.h"

namespace orvex_cli {

class PatternSource : public FrameSource {
 public:
  // frame_count >= 1; rate num/den both nonzero.
  PatternSource(uint32_t width_px, uint32_t height_px, FrameRate rate, uint64_t frame_count,
                bool audio);
  const SourceInfo& info() const override { return info_; }
  bool read_frame(HostFrame& frame) override;
  void take_audio(uint32_t track, std::vector<uint8_t>& pcm) override;

 private:
  void draw_bars(uint64_t frame_index);

  SourceInfo info_;
  std::vector<uint8_t> pixels_;  // ARGB_8, width x 4 bytes a row
  uint32_t bar_rows_ = 0;
  uint64_t next_frame_ = 0;
  uint64_t audio_frames_done_ = 0;
  std::vector<uint8_t> audio_;
};

}  // namespace orvex_cli
