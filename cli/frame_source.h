#pragma once
// The input side of `orvex-hap`: a source of host-layout frames (8-bit ARGB or 16-bit ARGB with
// maximum 32768) at a constant rate, and of interleaved PCM audio tracks aligned with them.
// Implemented by the FFmpeg reader and the pattern.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "job/frame_rate.h"

namespace orvex_cli {

// PCM layout written to the movie: 16-bit or 24-bit little-endian integer, or 32-bit float.
enum class PcmLayout { S16, S24, F32 };

inline uint32_t pcm_bits(PcmLayout layout) {
  return layout == PcmLayout::S16 ? 16 : layout == PcmLayout::S24 ? 24 : 32;
}

struct AudioTrackInfo {
  uint32_t channels = 0;
  uint32_t rate_hz = 0;
  PcmLayout layout = PcmLayout::S16;
  // Bytes of one interleaved sample frame.
  uint32_t frame_bytes() const { return channels * pcm_bits(layout) / 8; }
};

struct SourceInfo {
  uint32_t width_px = 0;  // as displayed: after the rotation the source asks for
  uint32_t height_px = 0;
  FrameRate rate{};          // the rate read_frame delivers frames at
  bool deep = false;         // more than 8 bits per channel: frames are 16-bit host ARGB
  bool alpha = false;        // the source has an alpha channel
  uint64_t frame_count = 0;  // expected number of frames, 0 when unknown
  uint32_t par_num = 0;      // pixel aspect ratio of the source; 0 when it says none
  uint32_t par_den = 0;
  std::string timecode;               // the source's start timecode ("HH:MM:SS:FF"), or empty
  std::vector<AudioTrackInfo> audio;  // one entry per track written to the movie
};

// What happened to the source's frames on the way, for the warnings and the summary.
struct SourceReport {
  uint64_t duplicated = 0;            // frames repeated to keep the constant rate
  uint64_t dropped = 0;               // frames left out to keep the constant rate
  uint64_t lost = 0;                  // frames that could not be read or decoded
  std::vector<std::string> warnings;  // one line each, without prefix
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
  // Moves the audio of track `track` ready so far (interleaved sample frames in its layout) to
  // `pcm`, replacing its content. Called after every frame and once at the end.
  virtual void take_audio(uint32_t track, std::vector<uint8_t>& pcm) = 0;
  // Duplicates, drops, losses and warnings so far.
  virtual SourceReport report() const { return {}; }
};

}  // namespace orvex_cli
