#include "tests/support/synthetic_scene.h"

#include <algorithm>
#include <cmath>

namespace orvex_test {

namespace {

uint8_t to_byte(double v) {
  return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

struct Lcg {
  uint32_t state;
  uint32_t next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  double unit() { return static_cast<double>(next() & 0xFFFF) / 65535.0; }
};

}  // namespace

std::vector<uint8_t> synthetic_scene_rgba(size_t width, size_t height, uint32_t seed) {
  std::vector<uint8_t> rgba(width * height * 4);
  Lcg rng{seed * 2654435761u + 1};
  // A few soft discs and hard-edged bars placed by the seed.
  struct Disc {
    double x, y, r, cr, cg, cb;
  } discs[6];
  for (Disc& d : discs) {
    d = {rng.unit() * static_cast<double>(width),
         rng.unit() * static_cast<double>(height),
         (0.08 + 0.25 * rng.unit()) * static_cast<double>(std::max(width, height)),
         rng.unit() * 255.0,
         rng.unit() * 255.0,
         rng.unit() * 255.0};
    // Natural colours are seldom saturated: pull each disc halfway towards its own grey.
    const double grey = (d.cr + d.cg + d.cb) / 3.0;
    d.cr = (d.cr + grey) / 2.0;
    d.cg = (d.cg + grey) / 2.0;
    d.cb = (d.cb + grey) / 2.0;
  }
  const double phase = rng.unit() * 6.28;
  // Texture of several octaves at random orientations, mostly in luminance as in photographs.
  struct Wave {
    double fx, fy, phase, amplitude;
  } waves[8];
  for (int k = 0; k < 8; ++k) {
    const double f = 0.06 * std::pow(1.6, k);
    const double angle = rng.unit() * 3.14159;
    waves[k] = {f * std::cos(angle), f * std::sin(angle), rng.unit() * 6.28,
                30.0 / std::pow(f / 0.06, 0.75)};
  }
  for (size_t y = 0; y < height; ++y) {
    for (size_t x = 0; x < width; ++x) {
      const double u = static_cast<double>(x) / static_cast<double>(std::max<size_t>(width, 2) - 1);
      const double v =
          static_cast<double>(y) / static_cast<double>(std::max<size_t>(height, 2) - 1);
      double r = 40 + 150 * u + 30 * std::sin(6.0 * v + phase);
      double g = 60 + 120 * v + 25 * std::cos(5.0 * u - phase);
      double b = 170 - 110 * u * v + 20 * std::sin(9.0 * (u + v));
      for (const Disc& d : discs) {
        const double dist = std::hypot(static_cast<double>(x) - d.x, static_cast<double>(y) - d.y);
        const double w = std::clamp((d.r - dist) / (0.25 * d.r), 0.0, 1.0);
        r += w * (d.cr - r);
        g += w * (d.cg - g);
        b += w * (d.cb - b);
      }
      // Texture everywhere, mostly in luminance as in photographs, finer and stronger in a band;
      // then a hard-edged dark bar and mild noise.
      double t = 0.0;
      for (const Wave& w : waves) {
        t += w.amplitude *
             std::sin(w.fx * static_cast<double>(x) + w.fy * static_cast<double>(y) + w.phase);
      }
      if (v > 0.55 && v < 0.8) {
        t += 30.0 * std::sin(static_cast<double>(x) * 1.7) * std::cos(static_cast<double>(y) * 1.3);
      }
      r += t;
      g += t;
      b += t * 0.85;
      if (u > 0.62 && u < 0.7) {
        r *= 0.25;
        g *= 0.3;
        b *= 0.2;
      }
      const double n = (rng.unit() - 0.5) * 8.0;
      const double alpha = 255.0 * std::clamp(1.1 - 1.2 * std::hypot(u - 0.4, v - 0.5), 0.0, 1.0) +
                           (u < 0.1 ? -255.0 : 0.0) + n;
      uint8_t* p = &rgba[(y * width + x) * 4];
      p[0] = to_byte(r + n + (rng.unit() - 0.5) * 3.0);
      p[1] = to_byte(g + n + (rng.unit() - 0.5) * 3.0);
      p[2] = to_byte(b + n + (rng.unit() - 0.5) * 3.0);
      p[3] = to_byte(alpha);
    }
  }
  return rgba;
}

}  // namespace orvex_test
