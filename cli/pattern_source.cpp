// Built-in test pattern, drawn in the host's 8-bit ARGB layout (bytes A, R, G, B).
#include "cli/pattern_source.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace orvex_cli {
namespace {

constexpr uint32_t kAudioRate_hz = 48000;

void put_argb(uint8_t* p, uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
  p[0] = a;
  p[1] = r;
  p[2] = g;
  p[3] = b;
}

}  // namespace

PatternSource::PatternSource(uint32_t width_px, uint32_t height_px, FrameRate rate,
                             uint64_t frame_count, bool audio) {
  info_.width_px = width_px;
  info_.height_px = height_px;
  info_.rate = rate;
  info_.deep = false;
  info_.alpha = true;
  info_.frame_count = frame_count;
  if (audio) info_.audio.push_back(AudioTrackInfo{2, kAudioRate_hz, PcmLayout::S16});
  const size_t row_bytes = size_t{width_px} * 4;
  pixels_.assign(row_bytes * height_px, 0);
  // Rows: 40 % bars, 35 % gradient, the rest detail with the alpha ramp.
  bar_rows_ = static_cast<uint32_t>(uint64_t{height_px} * 8 / 20);
  const uint32_t gradient_end = static_cast<uint32_t>(uint64_t{height_px} * 15 / 20);
  const double w = width_px > 1 ? width_px - 1 : 1;
  const double h = height_px > 1 ? height_px - 1 : 1;
  for (uint32_t y = bar_rows_; y < height_px; ++y) {
    uint8_t* row = pixels_.data() + row_bytes * y;
    for (uint32_t x = 0; x < width_px; ++x) {
      uint8_t* p = row + size_t{x} * 4;
      if (y < gradient_end) {
        const double u = x / w, v = (y - bar_rows_) / std::max(1.0, gradient_end - bar_rows_ - 1.0);
        put_argb(p, 255, static_cast<uint8_t>(std::lround(255 * u)),
                 static_cast<uint8_t>(std::lround(255 * v)),
                 static_cast<uint8_t>(std::lround(255 * (1 - u) * (1 - v / 2))));
      } else {
        const uint8_t alpha = static_cast<uint8_t>(std::lround(255 * x / w));
        if (x < width_px / 2) {
          const uint8_t c = ((x ^ y) & 1) ? 235 : 16;
          put_argb(p, alpha, c, c, c);
        } else {
          // Zone plate: rings whose frequency rises with the distance from the centre.
          const double dx = x - 0.75 * w, dy = y - (gradient_end + h) / 2;
          const double r2 = (dx * dx + dy * dy) / (4.0 * std::max(w, h));
          const uint8_t c = static_cast<uint8_t>(std::lround(127.5 + 112 * std::cos(r2)));
          put_argb(p, alpha, c, c, static_cast<uint8_t>(255 - c));
        }
      }
    }
  }
}

void PatternSource::draw_bars(uint64_t frame_index) {
  // White, yellow, cyan, green, magenta, red, blue, black; the bars slide left by 1/64 of the
  // width per frame so that consecutive frames differ.
  static constexpr uint8_t kBars[8][3] = {{235, 235, 235}, {235, 235, 16}, {16, 235, 235},
                                          {16, 235, 16},   {235, 16, 235}, {235, 16, 16},
                                          {16, 16, 235},   {16, 16, 16}};
  if (bar_rows_ == 0) return;
  const uint64_t w = info_.width_px;
  const uint64_t shift = frame_index * std::max<uint64_t>(1, w / 64);
  uint8_t* row0 = pixels_.data();
  for (uint64_t x = 0; x < w; ++x) {
    const uint64_t bar = ((x + shift) % w) * 8 / w;
    put_argb(row0 + x * 4, 255, kBars[bar][0], kBars[bar][1], kBars[bar][2]);
  }
  for (uint32_t y = 1; y < bar_rows_; ++y) std::memcpy(row0 + w * 4 * y, row0, w * 4);
}

bool PatternSource::read_frame(HostFrame& frame) {
  if (next_frame_ >= info_.frame_count) return false;
  draw_bars(next_frame_);
  ++next_frame_;
  frame.pixels = pixels_.data();
  frame.row_bytes = size_t{info_.width_px} * 4;
  if (!info_.audio.empty()) {
    // Audio up to the end of the frames read so far, so that both streams end together.
    const auto target =
        static_cast<uint64_t>(static_cast<unsigned __int128>(next_frame_) * kAudioRate_hz *
                              info_.rate.denominator / info_.rate.numerator);
    for (; audio_frames_done_ < target; ++audio_frames_done_) {
      const double t = static_cast<double>(audio_frames_done_) / kAudioRate_hz;
      for (double hz : {440.0, 660.0}) {
        const auto s =
            static_cast<int16_t>(std::lround(8192 * std::sin(2 * std::numbers::pi * hz * t)));
        audio_.push_back(static_cast<uint8_t>(s & 0xFF));
        audio_.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
      }
    }
  }
  return true;
}

void PatternSource::take_audio(uint32_t, std::vector<uint8_t>& pcm) {
  pcm.swap(audio_);
  audio_.clear();
}

}  // namespace orvex_cli
