#include "tests/support/test_frames.h"

#include <cmath>

namespace orvex_test {

namespace {

struct Lcg {
  uint32_t state;
  uint32_t next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  double unit() { return static_cast<double>(next()) / 16777216.0; }  // [0, 1)
};

uint8_t clamp_byte(double v) {
  return v <= 0.0 ? 0 : v >= 255.0 ? 255 : static_cast<uint8_t>(v + 0.5);
}

}  // namespace

std::vector<uint8_t> natural_rgba(uint32_t width, uint32_t height, uint32_t seed) {
  Lcg rng{seed * 2654435761u + 12345u};
  // Low-frequency waves per channel (gradients), as (amplitude, fx, fy, phase).
  double wave[4][3][4];
  for (auto& ch : wave) {
    for (auto& w : ch) {
      w[0] = 20.0 + 40.0 * rng.unit();
      w[1] = (rng.unit() - 0.5) * 6.0 / width;
      w[2] = (rng.unit() - 0.5) * 6.0 / height;
      w[3] = rng.unit() * 6.283;
    }
  }
  double base[4];
  for (double& b : base) b = 70.0 + 110.0 * rng.unit();

  // Hard-edged discs and rectangles with their own colour and a gentle shading.
  struct Shape {
    bool disc;
    double x, y, a, b;
    double colour[4];
  };
  std::vector<Shape> shapes(12);
  for (Shape& s : shapes) {
    s.disc = rng.unit() < 0.5;
    s.x = rng.unit() * width, s.y = rng.unit() * height;
    s.a = (0.05 + 0.2 * rng.unit()) * width, s.b = (0.05 + 0.2 * rng.unit()) * height;
    for (double& c : s.colour) c = 255.0 * rng.unit();
  }

  std::vector<uint8_t> img(static_cast<size_t>(width) * height * 4);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      double px[4];
      for (int c = 0; c < 4; ++c) {
        px[c] = base[c];
        for (const auto& w : wave[c])
          px[c] += w[0] * std::sin(w[1] * x * 6.283 + w[2] * y * 6.283 + w[3]);
      }
      for (const Shape& s : shapes) {
        const double dx = (x - s.x) / s.a, dy = (y - s.y) / s.b;
        const bool inside =
            s.disc ? dx * dx + dy * dy < 1.0 : std::fabs(dx) < 1.0 && std::fabs(dy) < 1.0;
        if (inside) {
          for (int c = 0; c < 4; ++c) px[c] = s.colour[c] + 25.0 * dy;
        }
      }
      // Thin diagonal lines and fine texture.
      if ((x + 2 * y) % 97 < 2) px[0] = px[1] = px[2] = 30.0;
      const double noise = (rng.unit() + rng.unit() + rng.unit() - 1.5) * 3.0;
      uint8_t* out = &img[(static_cast<size_t>(y) * width + x) * 4];
      for (int c = 0; c < 3; ++c) out[c] = clamp_byte(px[c] + noise);
      out[3] = clamp_byte(px[3]);
    }
  }
  return img;
}

std::vector<uint8_t> pure_hues_rgba(uint32_t width, uint32_t height) {
  static const uint8_t kHues[6][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                      {0, 255, 255}, {255, 0, 255}, {255, 255, 0}};
  uint8_t pairs[15][2];
  for (int a = 0, k = 0; a < 6; ++a)
    for (int b = a + 1; b < 6; ++b, ++k) pairs[k][0] = uint8_t(a), pairs[k][1] = uint8_t(b);

  std::vector<uint8_t> img(static_cast<size_t>(width) * height * 4, 255);
  const uint32_t half = height / 2, stripes = half + (height - half) / 2;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* out = &img[(static_cast<size_t>(y) * width + x) * 4];
      if (y < half && y * 16 < half) {  // hue sweep: one channel moves at a time
        const uint32_t segment = x * 6 / width, t = (x * 6 % width) * 255 / width;
        const uint32_t up = t, down = 255 - t;
        const uint32_t sweep[6][3] = {{255, up, 0},   {down, 255, 0}, {0, 255, up},
                                      {0, down, 255}, {up, 0, 255},   {255, 0, down}};
        for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(sweep[segment][c]);
        continue;
      }
      const uint8_t* pair = y < half ? pairs[y * 16 / half - 1] : pairs[x * 15 / width];
      uint32_t t, along;
      if (y < half) {
        t = x % 256 < 128 ? x % 128 * 2 : 255 - x % 128 * 2;
        along = y;
      } else {
        const uint32_t u = y < stripes ? x - (x * 15 / width) * width / 15 : y - stripes;
        t = u / 7 % 2 * 255;
        along = y < stripes ? y : x;
      }
      for (int c = 0; c < 3; ++c) {
        const uint32_t a = kHues[pair[0]][c], b = kHues[pair[1]][c];
        out[c] = static_cast<uint8_t>(a != b   ? (a * (255 - t) + b * t + 127) / 255
                                      : a == 0 ? 128 + along % 4
                                               : 255 - along % 4);
      }
    }
  }
  return img;
}

std::vector<uint8_t> rgba_to_argb8(const std::vector<uint8_t>& rgba) {
  std::vector<uint8_t> out(rgba.size());
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
    out[i] = rgba[i + 3], out[i + 1] = rgba[i], out[i + 2] = rgba[i + 1], out[i + 3] = rgba[i + 2];
  }
  return out;
}

std::vector<uint8_t> rgba_to_argb16_host(const std::vector<uint8_t>& rgba) {
  std::vector<uint8_t> out(rgba.size() * 2);
  static const int kOrder[4] = {3, 0, 1, 2};  // A, R, G, B from R, G, B, A
  for (size_t p = 0; p < rgba.size() / 4; ++p) {
    for (int c = 0; c < 4; ++c) {
      const uint32_t v = rgba[p * 4 + kOrder[c]];
      const uint32_t s = (v * 32768u + 127u) / 255u;
      out[p * 8 + 2 * c] = static_cast<uint8_t>(s);
      out[p * 8 + 2 * c + 1] = static_cast<uint8_t>(s >> 8);
    }
  }
  return out;
}

}  // namespace orvex_test
