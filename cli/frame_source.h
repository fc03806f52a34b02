#pragma once
// The input side of `orvex-hap`: a source of host-layout frames (8-bit ARGB or 16-bit ARGB with
// maximum 32768) and of interleaved PCM audio. Implemented by the FFmpeg reader and the pattern.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "job/frame_rate.h"

namespace orvex_cli {

// PCM layout written to the movie, chosen from the source's sample format.
enum class PcmLayout { S16, S24, F32 };

inline uint32_t pcm_bits(PcmLayout layout) {
  return layout == PcmLayout::S16 ? 16 : layout == PcmLayout::S24 ? 24 : 32;
}

struct SourceInfo {
  uint32_t width_px = 0;
  uint32_t height_px = 0;
  FrameRate rate{};
  bool deep = false;         // more than 8 bits per channel: frames are 16-bit host ARGB
  bool alpha = false;        // the source has an alpha channel
  uint64_t frame_count = 0;  // expected number of frames, 0 when unknown
  // Audio; channels 0 means no audio.
  uint32_t audio_channels = 0;
  uint32_t audio_rate_hz = 0;
  PcmLayout audio_layout = PcmLayout::S16;
};

// One frame in the host layout; valid until the next read.
struct HostFrame {
  const uint8_t* pixels = nullptr;
  size_t row_bytes = 0;
};

class FrameSource {
 public:
  virtual ~FrameSource() = default;
  virtual const SourceInfo& info() const = 0;
  // Reads the next frame. Returns false at the end of the input. Throws std::runtime_error.
  virtual bool read_frame(HostFrame& frame) = 0;
  // Moves the audio decoded so far (interleaved sample frames in info().audio_layout) to `pcm`,
  // replacing its content. Called after every frame and once at the end.
  virtual void take_audio(std::vector<uint8_t>& pcm) = 0;
};

}  // namespace orvex_cli
