// Progress line on standard error.
#include "cli/progress.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

namespace orvex_cli {

std::string format_duration(double seconds) {
  const auto total = static_cast<long long>(std::max(0.0, std::round(seconds)));
  char buf[32];
  if (total >= 3600) {
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
  } else {
    std::snprintf(buf, sizeof buf, "%lld:%02lld", total / 60, total % 60);
  }
  return buf;
}

std::string format_size(uint64_t bytes) {
  char buf[32];
  const double b = static_cast<double>(bytes);
  if (bytes < 1024 * 1024) {
    std::snprintf(buf, sizeof buf, "%.1f KiB", b / 1024);
  } else if (bytes < uint64_t{1024} * 1024 * 1024) {
    std::snprintf(buf, sizeof buf, "%.1f MiB", b / (1024 * 1024));
  } else {
    std::snprintf(buf, sizeof buf, "%.2f GiB", b / (1024.0 * 1024 * 1024));
  }
  return buf;
}

Progress::Progress(bool enabled, uint64_t total_frames)
    : enabled_(enabled && isatty(STDERR_FILENO)),
      total_frames_(total_frames),
      start_(Clock::now()),
      last_draw_(start_) {}

double Progress::elapsed_s() const {
  return std::chrono::duration<double>(Clock::now() - start_).count();
}

void Progress::update(uint64_t frames_done, uint64_t output_bytes) {
  if (!enabled_) return;
  const auto now = Clock::now();
  if (drawn_ && now - last_draw_ < std::chrono::milliseconds(250)) return;
  last_draw_ = now;
  drawn_ = true;
  const double elapsed = elapsed_s();
  const double fps = elapsed > 0 ? frames_done / elapsed : 0;
  char total[32] = "";
  if (total_frames_) {
    std::snprintf(total, sizeof total, "/%llu", static_cast<unsigned long long>(total_frames_));
  }
  std::string eta = "--:--";
  if (total_frames_ && fps > 0 && frames_done <= total_frames_) {
    eta = format_duration((total_frames_ - frames_done) / fps);
  }
  std::fprintf(stderr, "\r%llu%s frames  %.1f fps  elapsed %s  ETA %s  %s\033[K",
               static_cast<unsigned long long>(frames_done), total, fps,
               format_duration(elapsed).c_str(), eta.c_str(), format_size(output_bytes).c_str());
  std::fflush(stderr);
}

void Progress::clear() {
  if (!enabled_ || !drawn_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  drawn_ = false;
}

}  // namespace orvex_cli
