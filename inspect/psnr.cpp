#include "inspect/psnr.h"

#include <cmath>
#include <limits>

namespace orvex_inspect {

double psnr_of_mse(double mse) {
  if (!(mse > 0.0)) return std::numeric_limits<double>::infinity();
  return 10.0 * std::log10(255.0 * 255.0 / mse);
}

double psnr(const uint8_t* a, const uint8_t* b, size_t count, size_t step) {
  double sse = 0.0;
  for (size_t i = 0; i < count; ++i) {
    const double d = static_cast<double>(a[i * step]) - static_cast<double>(b[i * step]);
    sse += d * d;
  }
  return count == 0 ? psnr_of_mse(0.0) : psnr_of_mse(sse / static_cast<double>(count));
}

double psnr_rgb(const uint8_t* rgba_a, const uint8_t* rgba_b, size_t pixels) {
  double sse = 0.0;
  for (size_t i = 0; i < pixels; ++i) {
    for (size_t c = 0; c < 3; ++c) {
      const double d =
          static_cast<double>(rgba_a[i * 4 + c]) - static_cast<double>(rgba_b[i * 4 + c]);
      sse += d * d;
    }
  }
  return pixels == 0 ? psnr_of_mse(0.0) : psnr_of_mse(sse / static_cast<double>(pixels * 3));
}

double psnr_alpha(const uint8_t* rgba_a, const uint8_t* rgba_b, size_t pixels) {
  return psnr(rgba_a + 3, rgba_b + 3, pixels, 4);
}

void PsnrMeter::add_frame(const uint8_t* decoded, const float* reference, size_t pixels,
                          uint32_t channels) {
  mse_sum_.resize(channels, 0.0);
  double frame_mse = 0.0;
  for (uint32_t c = 0; c < channels; ++c) {
    double sse = 0.0;
    for (size_t i = 0; i < pixels; ++i) {
      const double d = static_cast<double>(decoded[i * 4 + c]) - reference[i * 4 + c];
      sse += d * d;
    }
    const double mse = pixels ? sse / static_cast<double>(pixels) : 0.0;
    mse_sum_[c] += mse;
    frame_mse += mse / channels;
  }
  if (frame_mse > worst_mse_) {
    worst_mse_ = frame_mse;
    worst_frame_ = frames_;
  }
  ++frames_;
}

double PsnrMeter::channel_psnr(uint32_t c) const {
  return psnr_of_mse(frames_ ? mse_sum_[c] / static_cast<double>(frames_) : 0.0);
}

double PsnrMeter::average_psnr() const {
  double sum = 0.0;
  for (double s : mse_sum_) sum += s;
  const double n = static_cast<double>(frames_ * mse_sum_.size());
  return psnr_of_mse(n > 0 ? sum / n : 0.0);
}

}  // namespace orvex_inspect
