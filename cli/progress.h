#pragma once
// Progress line of `orvex-hap` on standard error (only when it is a terminal): frames done and
// total, frames per second, elapsed time, estimated time left and the output size so far.

#include <chrono>
#include <cstdint>
#include <string>

namespace orvex_cli {

class Progress {
 public:
  // total_frames 0: unknown (no ETA). Disabled when `enabled` is false or stderr is no terminal.
  Progress(bool enabled, uint64_t total_frames);
  // Redraws the line at most four times a second.
  void update(uint64_t frames_done, uint64_t output_bytes);
  // Clears the line (before the summary or an error).
  void clear();
  double elapsed_s() const;

 private:
  using Clock = std::chrono::steady_clock;
  bool enabled_;
  uint64_t total_frames_;
  Clock::time_point start_;
  Clock::time_point last_draw_;
  bool drawn_ = false;
};

// "1:02:03" / "2:03" from seconds.
std::string format_duration(double seconds);
// "45.2 MiB" style size.
std::string format_size(uint64_t bytes);

}  // namespace orvex_cli
