// Frame-rate conversion and normalisation for the movie's integer time base.
#include "job/frame_rate.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace {

constexpr uint64_t max_u32 = 0xFFFFFFFFull;

void overwrite_with_25(FrameRate& rate) {
  std::printf("ERROR src fps invalid : %u/%u. Fps overwrite by 25/1\n", rate.numerator,
              rate.denominator);
  rate = FrameRate{25, 1};
}

}  // namespace

void fps_from_fixed(FrameRate& rate, int32_t fixed_16_16) {
  if (fixed_16_16 < 1) {
    std::ostringstream msg;
    msg << "Invalid fps value : " << fixed_16_16;
    throw std::runtime_error(msg.str());
  }
  const uint32_t v = static_cast<uint32_t>(fixed_16_16);
  if ((v & 0xFFFFu) == 0) {
    rate = FrameRate{v >> 16, 1};
  } else if (v == 0x17F9DB) {  // 23.976
    rate = FrameRate{24000, 1001};
  } else if (v == 0x1DF852) {  // 29.97
    rate = FrameRate{30000, 1001};
  } else {
    fps_round(rate, v / 65536.0, 1000);
  }
}

void fps_round(FrameRate& rate, double fps, uint32_t denominator) {
  // std::round rounds halves away from zero. Reducing modulo 2^32 in floating point keeps the
  // low 32 bits of the integer without an out-of-range (undefined) conversion.
  const double r = std::round(fps * denominator);
  uint32_t numerator = 0;
  if (std::isfinite(r)) {
    double low = std::fmod(r, 4294967296.0);
    if (low < 0) low += 4294967296.0;
    numerator = static_cast<uint32_t>(low);
  }
  rate = FrameRate{numerator, denominator};
}

bool fps_fit_duration(FrameRate& rate, uint32_t frame_count, bool& reduced_exactly) {
  reduced_exactly = false;
  const uint32_t n = rate.numerator;
  const uint32_t d = rate.denominator;
  if (n == 0 || d == 0) {
    overwrite_with_25(rate);
    return true;
  }
  if (n % d == 0) {
    rate = FrameRate{n / d, 1};
    reduced_exactly = true;
    return true;
  }
  if (uint64_t{d} * frame_count <= max_u32) return false;

  const double fps = static_cast<double>(n) / d;
  for (uint32_t c : {1000u, 100u, 10u, 1u}) {
    FrameRate candidate;
    fps_round(candidate, fps, c);
    if (candidate.numerator != 0 && uint64_t{c} * frame_count <= max_u32) {
      std::printf("ERROR src fps invalid : %u/%u. Fps round %u : %u/%u \n", n, d, c,
                  candidate.numerator, candidate.denominator);
      rate = candidate;
      return true;
    }
  }
  overwrite_with_25(rate);
  return true;
}
