// Completion of partial edge blocks in every pixel format and pad mode.
#include "texture/pad_block.h"

#include <cstdio>
#include <cstring>

#include "texture/pixel_read.h"

namespace {

// Fill pixel of PAD_OPAQUE_BLACK, as the bytes of one interleaved pixel, or for planar formats
// one sample per plane (sample c at offset c * sample bytes).
void opaque_black_fill(PixelFormat fmt, uint8_t fill[16]) {
  std::memset(fill, 0, 16);
  switch (fmt) {
    case ARGB_8:
      fill[0] = 255;
      break;
    case BGRA_8:
    case BGRA_8_ALT:
    case RGBA_8:
      fill[3] = 255;
      break;
    case ARGB_16:
      fill[0] = 0xFF, fill[1] = 0xFF;
      break;
    case ARGB_16_HOST:
      fill[1] = 0x80;
      break;  // 32768 little-endian
    case RGBA_16:
      fill[6] = 0xFF, fill[7] = 0xFF;
      break;
    case ARGB_FLOAT: {
      const float one = 1.0f;
      std::memcpy(fill, &one, sizeof one);
      break;
    }
    case PLANAR_8:
      fill[3] = 255;
      break;
    case PLANAR_16:
      fill[6] = 0xFF, fill[7] = 0xFF;
      break;
    default:
      break;
  }
}

// Pads one plane of `px` bytes per pixel: rows of 4 pixels at pitch 4 * px.
void pad_plane(uint8_t* out, const uint8_t* src, size_t stride, uint32_t px, uint32_t w, uint32_t h,
               bool replicate, const uint8_t* fill) {
  const size_t pitch = 4 * px;
  for (uint32_t y = 0; y < h; ++y) {
    uint8_t* row = out + y * pitch;
    std::memcpy(row, src, w * px);
    for (uint32_t x = w; x < 4; ++x) {
      std::memcpy(row + x * px, replicate ? row + (w - 1) * px : fill, px);
    }
    src += stride;
  }
  for (uint32_t y = h; y < 4; ++y) {
    uint8_t* row = out + y * pitch;
    if (replicate) {
      std::memcpy(row, row - pitch, pitch);
    } else {
      for (uint32_t x = 0; x < 4; ++x) std::memcpy(row + x * px, fill, px);
    }
  }
}

template <PixelFormat F, PadMode M>
void pad_block_bound(uint8_t* out, const uint8_t* const planes[4], const size_t strides[4],
                     uint32_t w, uint32_t h) {
  pad_partial_block(out, planes, strides, w, h, F, M);
}

}  // namespace

size_t padded_row_pitch(PixelFormat fmt) {
  return 4 * pixel_read::pixel_bytes(fmt);
}

void padded_block_planes(uint8_t* block, PixelFormat fmt, const uint8_t* planes[4],
                         size_t strides[4]) {
  const size_t pitch = padded_row_pitch(fmt);
  const bool planar = fmt == PLANAR_8 || fmt == PLANAR_16;
  for (int c = 0; c < 4; ++c) {
    planes[c] = planar || c == 0 ? block + (planar ? c * 4 * pitch : 0) : nullptr;
    strides[c] = planar || c == 0 ? pitch : 0;
  }
}

void pad_partial_block(uint8_t* out, const uint8_t* const planes[4], const size_t strides[4],
                       uint32_t w, uint32_t h, PixelFormat fmt, PadMode mode) {
  if (fmt > PLANAR_16) {
    if (mode == PAD_OPAQUE_BLACK) {
      std::printf("ERROR : pad_partial_block : pix fmt non gerer 1 : %d\n", static_cast<int>(fmt));
    }
    std::printf("ERROR : pad_partial_block : pix fmt non gerer 2 : %d\n", static_cast<int>(fmt));
    return;
  }
  uint8_t fill[16];
  if (mode == PAD_OPAQUE_BLACK) {
    opaque_black_fill(fmt, fill);
  } else {
    std::memset(fill, 0, sizeof fill);
  }
  // Modes other than opaque black and zero replicate, so that no byte of the block is left unset.
  const bool replicate = mode != PAD_OPAQUE_BLACK && mode != PAD_ZERO;
  const uint32_t px = pixel_read::pixel_bytes(fmt);
  if (fmt == PLANAR_8 || fmt == PLANAR_16) {
    for (uint32_t c = 0; c < 4; ++c) {
      pad_plane(out + c * 4 * 4 * px, planes[c], strides[c], px, w, h, replicate, fill + c * px);
    }
  } else {
    pad_plane(out, planes[0], strides[0], px, w, h, replicate, fill);
  }
}

PadBlockKernel* pad_block_kernel(PixelFormat fmt, PadMode mode) {
  const bool replicate = mode == PAD_REPLICATE || mode == PAD_CROP;
  if (fmt == ARGB_8) {
    if (replicate) return pad_block_bound<ARGB_8, PAD_REPLICATE>;
    if (mode == PAD_OPAQUE_BLACK) return pad_block_bound<ARGB_8, PAD_OPAQUE_BLACK>;
    return pad_block_bound<ARGB_8, PAD_ZERO>;
  }
  if (fmt == ARGB_16_HOST) {
    if (replicate) return pad_block_bound<ARGB_16_HOST, PAD_REPLICATE>;
    if (mode == PAD_OPAQUE_BLACK) return pad_block_bound<ARGB_16_HOST, PAD_OPAQUE_BLACK>;
    return pad_block_bound<ARGB_16_HOST, PAD_ZERO>;
  }
  return nullptr;
}
