#pragma once
// Progress of `orvex-hap` on standard error: on a terminal a line redrawn four times a second,
// otherwise a plain line every five seconds; frames done and total, media time, frames per
// second, speed (media seconds per second), elapsed time, estimated time left and the output
// size. Optionally also key=value blocks for programs, in the style of ffmpeg's -progress.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "job/frame_rate.h"

namespace orvex_cli {

struct ProgressState {
  uint64_t frames = 0;
  uint64_t output_bytes = 0;
  uint64_t duplicated = 0;
  uint64_t dropped = 0;
};

class Progress {
 public:
  // total_frames 0: unknown (no ETA). `show` false: nothing on standard error. `blocks`, when
  // not null, receives a key=value block every half second and a last one at finish().
  Progress(bool show, uint64_t total_frames, FrameRate rate, std::FILE* blocks);
  void update(const ProgressState& state);
  // Writes the last block ("progress=end") and clears the line.
  void finish(const ProgressState& state);
  // Clears the terminal line (before the summary or an error).
  void clear();
  double elapsed_s() const;

 private:
  using Clock = std::chrono::steady_clock;
  enum class Display { None, Line, Plain };
  void write_block(const ProgressState& state, bool end);

  Display display_;
  uint64_t total_frames_;
  FrameRate rate_;
  std::FILE* blocks_;
  Clock::time_point start_;
  Clock::time_point last_draw_;
  Clock::time_point last_block_;
  bool drawn_ = false;
};

// "1:02:03" / "2:03" from seconds.
std::string format_duration(double seconds);
// Media time with hundredths: "1:02:03.04" / "2:03.04".
std::string format_media_time(double seconds);
// "45.2 MiB" style size.
std::string format_size(uint64_t bytes);
// "1 frame", "2 frames".
std::string count_text(uint64_t n, const char* one, const char* many);

}  // namespace orvex_cli
