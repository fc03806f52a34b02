// Progress line and progress blocks.
#include "cli/progress.h"

#include <unistd.h>

#include <cinttypes>
#include <cmath>

namespace orvex_cli {
namespace {

constexpr auto kLinePeriod = std::chrono::milliseconds(250);
constexpr auto kPlainPeriod = std::chrono::seconds(5);
constexpr auto kBlockPeriod = std::chrono::milliseconds(500);

}  // namespace

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

std::string format_media_time(double seconds) {
  const auto hundredths = static_cast<long long>(std::max(0.0, std::floor(seconds * 100 + 1e-6)));
  const long long total = hundredths / 100;
  char buf[40];
  if (total >= 3600) {
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld.%02lld", total / 3600, total / 60 % 60,
                  total % 60, hundredths % 100);
  } else {
    std::snprintf(buf, sizeof buf, "%lld:%02lld.%02lld", total / 60, total % 60, hundredths % 100);
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

std::string count_text(uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

Progress::Progress(bool show, uint64_t total_frames, FrameRate rate, std::FILE* blocks)
    : display_(!show                   ? Display::None
               : isatty(STDERR_FILENO) ? Display::Line
                                       : Display::Plain),
      total_frames_(total_frames),
      rate_(rate),
      blocks_(blocks),
      start_(Clock::now()),
      last_draw_(start_),
      last_block_(start_) {}

double Progress::elapsed_s() const {
  return std::chrono::duration<double>(Clock::now() - start_).count();
}

void Progress::update(const ProgressState& state) {
  const auto now = Clock::now();
  if (blocks_ && now - last_block_ >= kBlockPeriod) {
    last_block_ = now;
    write_block(state, false);
  }
  if (display_ == Display::None) return;
  if (display_ == Display::Line && drawn_ && now - last_draw_ < kLinePeriod) return;
  if (display_ == Display::Plain && now - last_draw_ < kPlainPeriod) return;
  last_draw_ = now;
  drawn_ = true;
  const double elapsed = elapsed_s();
  const double fps = elapsed > 0 ? state.frames / elapsed : 0;
  const double media_s = double(state.frames) * rate_.denominator / rate_.numerator;
  const double speed = elapsed > 0 ? media_s / elapsed : 0;
  char total[32] = "";
  if (total_frames_) {
    std::snprintf(total, sizeof total, "/%" PRIu64, total_frames_);
  }
  std::string eta = "--:--";
  if (total_frames_ && fps > 0 && state.frames <= total_frames_) {
    eta = format_duration((total_frames_ - state.frames) / fps);
  }
  const bool line = display_ == Display::Line;
  std::fprintf(
      stderr,
      line ? "\rframe %" PRIu64 "%s  time %s  %.1f fps  %.2fx  elapsed %s  ETA %s  %s\033[K"
           : "orvex-hap: frame %" PRIu64 "%s, time %s, %.1f fps, %.2fx, elapsed %s, ETA %s, %s\n",
      state.frames, total, format_media_time(media_s).c_str(), fps, speed,
      format_duration(elapsed).c_str(), eta.c_str(), format_size(state.output_bytes).c_str());
  std::fflush(stderr);
}

void Progress::write_block(const ProgressState& state, bool end) {
  const double elapsed = elapsed_s();
  const double media_s = double(state.frames) * rate_.denominator / rate_.numerator;
  const auto out_us = static_cast<int64_t>(std::llround(media_s * 1e6));
  std::fprintf(blocks_,
               "frame=%" PRIu64 "\nfps=%.2f\ntotal_size=%" PRIu64 "\nout_time_us=%" PRId64
               "\nout_time=%02" PRId64 ":%02" PRId64 ":%02" PRId64 ".%06" PRId64
               "\ndup_frames=%" PRIu64 "\ndrop_frames=%" PRIu64 "\nspeed=%.3gx\nprogress=%s\n",
               state.frames, elapsed > 0 ? state.frames / elapsed : 0.0, state.output_bytes, out_us,
               out_us / 3600000000, out_us / 60000000 % 60, out_us / 1000000 % 60, out_us % 1000000,
               state.duplicated, state.dropped, elapsed > 0 ? media_s / elapsed : 0.0,
               end ? "end" : "continue");
  std::fflush(blocks_);
}

void Progress::finish(const ProgressState& state) {
  if (blocks_) write_block(state, true);
  clear();
}

void Progress::clear() {
  if (display_ != Display::Line || !drawn_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  drawn_ = false;
}

}  // namespace orvex_cli
