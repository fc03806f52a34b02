// Test picture and tone of the simulated host.
#include "host/sim/sim_frames.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace orvex_sim {
namespace {

struct Rgba {
  double r, g, b, a;  // 0..1
};

// Smooth gradients with a soft disc that moves with the frame index: compressible enough for a
// meaningful quality floor, different from frame to frame so that order mistakes show.
Rgba sample(int index, int x, int y, int width, int height, bool with_alpha) {
  const double u = (x + 0.5) / width, v = (y + 0.5) / height;
  const double cx = 0.25 + 0.5 * ((index * 7) % 16) / 15.0, cy = 0.5;
  const double d = std::sqrt((u - cx) * (u - cx) + (v - cy) * (v - cy));  // exact on every platform
  const double disc = d < 0.15 ? 1.0 : d < 0.25 ? (0.25 - d) / 0.1 : 0.0;
  Rgba p;
  p.r = 0.1 + 0.8 * u;
  p.g = 0.1 + 0.8 * v * (1.0 - disc) + 0.8 * disc;
  p.b = 0.2 + 0.6 * (1.0 - u) * (1.0 - disc);
  p.a = with_alpha ? 0.2 + 0.8 * (0.5 * u + 0.5 * v) : 1.0;
  return p;
}

// sin(2 pi turns) from additions, multiplications and floor only, each exactly rounded by IEEE
// arithmetic, so the simulated host hands the same samples to the plug-in on every platform
// (the C libraries' sin differ in the last bit). Error below 1e-9.
double sin_turns(double turns) {
  double x = turns - std::floor(turns);  // [0, 1)
  if (x > 0.75) {
    x -= 1.0;  // (-0.25, 0]
  } else if (x > 0.25) {
    x = 0.5 - x;  // sin(pi - a) = sin(a): [-0.25, 0.25]
  }
  const double a = 2.0 * std::numbers::pi * x;  // |a| <= pi / 2
  const double a2 = a * a;
  double term = a, sum = a;
  for (int k = 1; k <= 7; ++k) {
    term = -term * a2 / ((2.0 * k) * (2.0 * k + 1.0));
    sum += term;
  }
  return sum;
}

uint8_t to8(double value) {
  return static_cast<uint8_t>(std::lround(value * 255.0));
}
uint16_t to16(double value) {
  return static_cast<uint16_t>(std::lround(value * 32768.0));
}

}  // namespace

std::vector<uint8_t> pattern_rgba8(int index, int width, int height, bool with_alpha) {
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
  uint8_t* out = rgba.data();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x, out += 4) {
      const Rgba p = sample(index, x, y, width, height, with_alpha);
      out[0] = to8(p.r);
      out[1] = to8(p.g);
      out[2] = to8(p.b);
      out[3] = to8(p.a);
    }
  return rgba;
}

void draw_pattern(PF_EffectWorld& world, PF_PixelFormat format, int index, bool with_alpha) {
  auto* base = static_cast<uint8_t*>(world.data);
  for (int y = 0; y < world.height; ++y) {
    uint8_t* row = base + static_cast<size_t>(y) * world.rowbytes;
    for (int x = 0; x < world.width; ++x) {
      const Rgba p = sample(index, x, y, world.width, world.height, with_alpha);
      if (format == PF_PixelFormat_ARGB32) {
        const uint8_t px[4] = {to8(p.a), to8(p.r), to8(p.g), to8(p.b)};
        std::memcpy(row + x * 4, px, 4);
      } else if (format == PF_PixelFormat_ARGB64) {
        const uint16_t px[4] = {to16(p.a), to16(p.r), to16(p.g), to16(p.b)};
        std::memcpy(row + x * 8, px, 8);
      } else {
        const float px[4] = {float(p.a), float(p.r), float(p.g), float(p.b)};
        std::memcpy(row + x * 16, px, 16);
      }
    }
  }
}

void fill_flat(PF_EffectWorld& world, PF_PixelFormat format) {
  auto* base = static_cast<uint8_t*>(world.data);
  for (int y = 0; y < world.height; ++y) {
    uint8_t* row = base + static_cast<size_t>(y) * world.rowbytes;
    for (int x = 0; x < world.width; ++x) {
      if (format == PF_PixelFormat_ARGB32) {
        const uint8_t px[4] = {255, 128, 128, 128};
        std::memcpy(row + x * 4, px, 4);
      } else if (format == PF_PixelFormat_ARGB64) {
        const uint16_t px[4] = {32768, 16384, 16384, 16384};
        std::memcpy(row + x * 8, px, 8);
      } else {
        const float px[4] = {1.0f, 0.5f, 0.5f, 0.5f};
        std::memcpy(row + x * 16, px, 16);
      }
    }
  }
}

std::vector<uint8_t> tone(int64_t first, int64_t frames, int channels, int encoding,
                          int sample_bytes, double rate_hz) {
  std::vector<uint8_t> data(static_cast<size_t>(frames) * channels * sample_bytes);
  uint8_t* out = data.data();
  const bool is_float = encoding == AEIO_E_SIGNED_FLOAT && sample_bytes == 4;
  const bool is_integer = (encoding == AEIO_E_SIGNED_PCM || encoding == AEIO_E_UNSIGNED_PCM) &&
                          sample_bytes >= 1 && sample_bytes <= 4;
  for (int64_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c, out += sample_bytes) {
      const double t = static_cast<double>(first + i) / rate_hz;
      const double value = 0.5 * sin_turns((440.0 + 220.0 * c) * t);
      if (is_float) {
        const auto v = static_cast<float>(value);
        std::memcpy(out, &v, 4);
      } else if (is_integer) {
        const int bits = 8 * sample_bytes;
        const double full_scale = std::ldexp(1.0, bits - 1) - 1.0;
        int64_t v = std::llround(value * full_scale);
        if (encoding == AEIO_E_UNSIGNED_PCM) v += int64_t{1} << (bits - 1);
        for (int b = 0; b < sample_bytes; ++b) out[b] = static_cast<uint8_t>(v >> (8 * b));
      }
    }
  return data;
}

}  // namespace orvex_sim
