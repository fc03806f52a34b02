// Block fetches of the DXT1 Fast/Normal paths and the colour-set front ends of the Slow path,
// for the two pixel formats the set-up accepts.
#include "texture/dxt1.h"
#include "texture/pixel_read.h"

namespace {

template <PixelFormat F>
void fill_planes(Dxt1WorkArea* work, const uint8_t* const planes[4], const size_t strides[4]) {
  const uint8_t* row = planes[0];
  for (uint32_t y = 0; y < 4; ++y) {
    for (uint32_t x = 0; x < 4; ++x) {
      const uint32_t i = 4 * y + x;
      if constexpr (F == ARGB_8) {
        const uint8_t* p = row + 4 * x;
        work->r[i] = p[1], work->g[i] = p[2], work->b[i] = p[3];
      } else {
        const uint8_t* p = row + 8 * x;
        work->r[i] = host16_to_8(pixel_read::le16(p + 2));
        work->g[i] = host16_to_8(pixel_read::le16(p + 4));
        work->b[i] = host16_to_8(pixel_read::le16(p + 6));
      }
    }
    row += strides[0];
  }
}

template <PixelFormat F>
bool fetch_fast(Dxt1WorkArea* work, const uint8_t* const planes[4], const size_t strides[4]) {
  fill_planes<F>(work, planes, strides);
  uint32_t diff = 0;
  for (int i = 0; i < 16; ++i) {
    diff |= static_cast<uint32_t>(work->r[i] ^ work->r[0]) |
            static_cast<uint32_t>(work->g[i] ^ work->g[0]) |
            static_cast<uint32_t>(work->b[i] ^ work->b[0]);
  }
  return diff == 0;
}

uint32_t channel_spread(const uint8_t v[16]) {
  uint8_t lo = v[0], hi = v[0];
  for (int i = 1; i < 16; ++i) {
    lo = v[i] < lo ? v[i] : lo;
    hi = v[i] > hi ? v[i] : hi;
  }
  return static_cast<uint32_t>(hi - lo);
}

template <PixelFormat F>
uint32_t fetch_spread(Dxt1WorkArea* work, const uint8_t* const planes[4], const size_t strides[4]) {
  fill_planes<F>(work, planes, strides);
  uint32_t spread = channel_spread(work->r);
  const uint32_t g = channel_spread(work->g);
  const uint32_t b = channel_spread(work->b);
  spread = g > spread ? g : spread;
  return b > spread ? b : spread;
}

}  // namespace

bool dxt1_fetch_rgb_fast_argb8(Dxt1WorkArea* work, const uint8_t* const planes[4],
                               const size_t strides[4]) {
  return fetch_fast<ARGB_8>(work, planes, strides);
}
bool dxt1_fetch_rgb_fast_argb16_host(Dxt1WorkArea* work, const uint8_t* const planes[4],
                                     const size_t strides[4]) {
  return fetch_fast<ARGB_16_HOST>(work, planes, strides);
}
uint32_t dxt1_fetch_rgb_spread_argb8(Dxt1WorkArea* work, const uint8_t* const planes[4],
                                     const size_t strides[4]) {
  return fetch_spread<ARGB_8>(work, planes, strides);
}
uint32_t dxt1_fetch_rgb_spread_argb16_host(Dxt1WorkArea* work, const uint8_t* const planes[4],
                                           const size_t strides[4]) {
  return fetch_spread<ARGB_16_HOST>(work, planes, strides);
}

void dxt1_colour_set_argb8(const uint8_t* const planes[4], const size_t strides[4],
                           ColourSet* set) {
  to_rgba_colour_set(planes, strides, ARGB_8, set);
}
void dxt1_colour_set_argb16_host(const uint8_t* const planes[4], const size_t strides[4],
                                 ColourSet* set) {
  to_rgba_colour_set(planes, strides, ARGB_16_HOST, set);
}
