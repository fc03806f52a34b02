// Block front ends: colour set, single channel, opaque channel and the RGBA8 block for BC7.
#include "texture/pixel_formats.h"

#include <cstdio>

#include "texture/pixel_read.h"

namespace {

using pixel_read::read_block_rgba8;

template <PixelFormat F>
void colour_set_impl(const uint8_t* const planes[4], const size_t strides[4], ColourSet* set) {
  uint8_t rgba[16][4];
  read_block_rgba8<F>(planes, strides, rgba);
  uint32_t key[16];
  for (int i = 0; i < 16; ++i) {
    key[i] = static_cast<uint32_t>(rgba[i][0]) | (static_cast<uint32_t>(rgba[i][1]) << 8) |
             (static_cast<uint32_t>(rgba[i][2]) << 16);
  }
  uint32_t count = 0;
  for (int i = 0; i < 16; ++i) {
    int j = 0;
    while (j < i && key[j] != key[i]) ++j;
    if (j < i) {
      const uint32_t p = set->point_index[j];
      set->point_index[i] = p;
      set->weights[p] += 1;
    } else {
      set->points[count][0] = static_cast<float>(rgba[i][0]) / 255.0f;
      set->points[count][1] = static_cast<float>(rgba[i][1]) / 255.0f;
      set->points[count][2] = static_cast<float>(rgba[i][2]) / 255.0f;
      set->weights[count] = 1;
      set->point_index[i] = count;
      ++count;
    }
  }
  set->count = count;
}

template <PixelFormat F>
void single_channel_impl(const uint8_t* const planes[4], const size_t strides[4],
                         ChannelSelect select, uint8_t out[16], uint8_t* min, uint8_t* max) {
  uint8_t rgba[16][4];
  read_block_rgba8<F>(planes, strides, rgba);
  for (int i = 0; i < 16; ++i) {
    out[i] = select == ChannelSelect::alpha
                 ? rgba[i][3]
                 : static_cast<uint8_t>((rgba[i][0] + rgba[i][1] + rgba[i][2]) / 3);
  }
  uint8_t lo = out[0], hi = out[0];
  for (int i = 1; i < 16; ++i) {
    lo = out[i] < lo ? out[i] : lo;
    hi = out[i] > hi ? out[i] : hi;
  }
  *min = lo;
  *max = hi;
}

void report_unknown_format() {
  std::printf("ERROR : to_rgba_template : pix fmt non gere\n");
}

template <PixelFormat F, bool Opaque>
void rgba8_block_impl(const uint8_t* plane, size_t stride, uint8_t out_rgba[64]) {
  const uint8_t* planes[4] = {plane, nullptr, nullptr, nullptr};
  const size_t strides[4] = {stride, 0, 0, 0};
  uint8_t rgba[16][4];
  read_block_rgba8<F>(planes, strides, rgba);
  for (int i = 0; i < 16; ++i) {
    out_rgba[4 * i + 0] = rgba[i][0];
    out_rgba[4 * i + 1] = rgba[i][1];
    out_rgba[4 * i + 2] = rgba[i][2];
    out_rgba[4 * i + 3] = Opaque ? 255 : rgba[i][3];
  }
}

}  // namespace

void to_rgba_colour_set(const uint8_t* const planes[4], const size_t strides[4], PixelFormat fmt,
                        ColourSet* set) {
  switch (fmt) {
    case ARGB_8:
      return colour_set_impl<ARGB_8>(planes, strides, set);
    case BGRA_8:
    case BGRA_8_ALT:
      return colour_set_impl<BGRA_8>(planes, strides, set);
    case RGBA_8:
      return colour_set_impl<RGBA_8>(planes, strides, set);
    case ARGB_16:
      return colour_set_impl<ARGB_16>(planes, strides, set);
    case ARGB_16_HOST:
      return colour_set_impl<ARGB_16_HOST>(planes, strides, set);
    case RGBA_16:
      return colour_set_impl<RGBA_16>(planes, strides, set);
    case PLANAR_8:
      return colour_set_impl<PLANAR_8>(planes, strides, set);
    case PLANAR_16:
      return colour_set_impl<PLANAR_16>(planes, strides, set);
    default:
      return report_unknown_format();
  }
}

void to_rgba_single_channel(const uint8_t* const planes[4], const size_t strides[4],
                            PixelFormat fmt, ChannelSelect sel, uint8_t out[16], uint8_t* min,
                            uint8_t* max) {
  switch (fmt) {
    case ARGB_8:
      return single_channel_impl<ARGB_8>(planes, strides, sel, out, min, max);
    case BGRA_8:
    case BGRA_8_ALT:
      return single_channel_impl<BGRA_8>(planes, strides, sel, out, min, max);
    case RGBA_8:
      return single_channel_impl<RGBA_8>(planes, strides, sel, out, min, max);
    case ARGB_16:
      return single_channel_impl<ARGB_16>(planes, strides, sel, out, min, max);
    case ARGB_16_HOST:
      return single_channel_impl<ARGB_16_HOST>(planes, strides, sel, out, min, max);
    case RGBA_16:
      return single_channel_impl<RGBA_16>(planes, strides, sel, out, min, max);
    case PLANAR_8:
      return single_channel_impl<PLANAR_8>(planes, strides, sel, out, min, max);
    case PLANAR_16:
      return single_channel_impl<PLANAR_16>(planes, strides, sel, out, min, max);
    default:
      return report_unknown_format();
  }
}

void opaque_channel_block(const uint8_t* const[4], const size_t[4], uint8_t out[16], uint8_t* min,
                          uint8_t* max) {
  for (int i = 0; i < 16; ++i) out[i] = 255;
  *min = 255;
  *max = 255;
}

void fetch_alpha_argb8(const uint8_t* const planes[4], const size_t strides[4], uint8_t out[16],
                       uint8_t* min, uint8_t* max) {
  single_channel_impl<ARGB_8>(planes, strides, ChannelSelect::alpha, out, min, max);
}
void fetch_alpha_argb16_host(const uint8_t* const planes[4], const size_t strides[4],
                             uint8_t out[16], uint8_t* min, uint8_t* max) {
  single_channel_impl<ARGB_16_HOST>(planes, strides, ChannelSelect::alpha, out, min, max);
}
void fetch_luma_argb8(const uint8_t* const planes[4], const size_t strides[4], uint8_t out[16],
                      uint8_t* min, uint8_t* max) {
  single_channel_impl<ARGB_8>(planes, strides, ChannelSelect::luma, out, min, max);
}
void fetch_luma_argb16_host(const uint8_t* const planes[4], const size_t strides[4],
                            uint8_t out[16], uint8_t* min, uint8_t* max) {
  single_channel_impl<ARGB_16_HOST>(planes, strides, ChannelSelect::luma, out, min, max);
}

void rgba8_block_argb8(const uint8_t* plane, size_t stride, uint8_t out_rgba[64]) {
  rgba8_block_impl<ARGB_8, false>(plane, stride, out_rgba);
}
void rgba8_block_argb8_opaque(const uint8_t* plane, size_t stride, uint8_t out_rgba[64]) {
  rgba8_block_impl<ARGB_8, true>(plane, stride, out_rgba);
}
void rgba8_block_argb16_host(const uint8_t* plane, size_t stride, uint8_t out_rgba[64]) {
  rgba8_block_impl<ARGB_16_HOST, false>(plane, stride, out_rgba);
}
void rgba8_block_argb16_host_opaque(const uint8_t* plane, size_t stride, uint8_t out_rgba[64]) {
  rgba8_block_impl<ARGB_16_HOST, true>(plane, stride, out_rgba);
}
