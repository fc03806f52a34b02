#pragma once
// One audio track of an FFmpeg input: its decoder, the conversion to the movie's PCM layout
// (libswresample), and its alignment with the video: the track's first sample is placed at its
// own time relative to the video's first frame, by leading silence or by trimming.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/av_support.h"
#include "cli/frame_source.h"

namespace orvex_cli {

class AudioTrack {
 public:
  // Decodes `stream` (index `stream_index` of the input) into `out` (rate and channel count
  // may differ from the source's: they are converted). Throws std::runtime_error.
  AudioTrack(const AVStream* stream, int stream_index, AudioTrackInfo out);
  ~AudioTrack() { av_channel_layout_uninit(&in_layout_); }
  AudioTrack(const AudioTrack&) = delete;
  AudioTrack& operator=(const AudioTrack&) = delete;
  int stream_index() const { return stream_index_; }
  const AudioTrackInfo& out() const { return out_; }

  // Decodes one packet; nullptr drains the decoder. Damaged packets are counted and skipped.
  void decode(const AVPacket* packet);
  // The video's first frame starts at `origin` in `time_base`; audio before it is trimmed,
  // a gap before the first sample becomes silence of at most `max_silence_s` seconds.
  void set_origin(int64_t origin, AVRational time_base, double max_silence_s);
  // Moves the aligned PCM converted so far to `pcm` (nothing before the origin is known).
  void take(std::vector<uint8_t>& pcm);

  // True once decoded audio reaches `time` (in `time_base`) of the source's clock.
  bool reached(int64_t time, AVRational time_base) const;
  uint64_t damaged_packets() const { return damaged_packets_; }
  // Sample frames added before the first sample (silence) or trimmed from the start.
  int64_t shift_frames() const { return shift_frames_; }

 private:
  void convert(const AVFrame& frame);
  void align();
  void append(const uint8_t* data, size_t sample_frames);

  int stream_index_;
  AVRational time_base_;
  AudioTrackInfo out_;
  CodecPtr decoder_;
  FramePtr frame_;
  std::unique_ptr<SwrContext, SwrCloser> swr_;
  int in_format_ = -1, in_rate_ = 0;
  AVChannelLayout in_layout_{};
  std::vector<uint8_t> converted_;  // swresample output (32-bit before packing to 24 bits)
  std::vector<uint8_t> ready_;      // aligned PCM waiting for take()
  bool have_first_ = false, have_origin_ = false, aligned_ = false;
  int64_t first_sample_ = 0;   // the first decoded sample's time, in output sample frames
  int64_t origin_sample_ = 0;  // the video's start, in output sample frames
  double max_silence_s_ = 0;
  int64_t trim_left_ = 0;  // sample frames still to drop
  int64_t shift_frames_ = 0;
  int64_t decoded_end_ = AV_NOPTS_VALUE;  // end of the last decoded frame, in time_base_
  uint64_t damaged_packets_ = 0;
};

}  // namespace orvex_cli
