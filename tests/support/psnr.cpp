#include "tests/support/psnr.h"

#include <cmath>
#include <limits>

namespace orvex_test {

namespace {
double psnr_from_sse(double sse, size_t count) {
  if (count == 0 || sse == 0.0) return std::numeric_limits<double>::infinity();
  const double mse = sse / static_cast<double>(count);
  return 10.0 * std::log10(255.0 * 255.0 / mse);
}
}  // namespace

double psnr(const uint8_t* a, const uint8_t* b, size_t count, size_t step) {
  double sse = 0.0;
  for (size_t i = 0; i < count; ++i) {
    const double d = static_cast<double>(a[i * step]) - static_cast<double>(b[i * step]);
    sse += d * d;
  }
  return psnr_from_sse(sse, count);
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
  return psnr_from_sse(sse, pixels * 3);
}

double psnr_alpha(const uint8_t* rgba_a, const uint8_t* rgba_b, size_t pixels) {
  return psnr(rgba_a + 3, rgba_b + 3, pixels, 4);
}

}  // namespace orvex_test
