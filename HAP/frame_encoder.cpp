// Frame encoder: texture compression and Hap framing of one frame.
#include "HAP/frame_encoder.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

// Texture type of every slot for a codec; Hap Alpha-Only reads luma when the host frame has no
// alpha channel (24 or 48 bits deep).
DxtEncType texture_type(HapFrameCodec codec, bool source_without_alpha) {
  const HapVariant* variant = hap_variant(codec);
  if (!variant) throw std::runtime_error("Unsupported HAP Codec");
  return source_without_alpha ? variant->texture_type_without_alpha : variant->texture_type;
}

bool without_alpha(uint32_t host_depth) {
  return host_depth == 24 || host_depth == 48;
}

size_t bytes_per_pixel(PixelFormat format) {
  return format == ARGB_16 || format == ARGB_16_HOST || format == RGBA_16 ? 8 : 4;
}

// Opens one texture slot; returns dxtenc_open's result.
int open_slot(FrameEncoder& enc, uint8_t slot, PixelFormat format, uint32_t host_depth, PadMode pad,
              uint32_t threads) {
  const bool no_alpha = without_alpha(host_depth);
  return dxtenc_open(&enc.dxt[slot], {.width = enc.width,
                                      .height = enc.height,
                                      .type = texture_type(enc.codec, no_alpha),
                                      .quality = enc.quality,
                                      .pixel_format = format,
                                      .pad_mode = pad,
                                      .threads = enc.per_frame_mode ? 1 : threads,
                                      .cpu_mask = enc.cpu_mask,
                                      .source_without_alpha = no_alpha});
}

void compress_texture(FrameEncoder& enc, const uint8_t* const planes[4], const size_t strides[4]) {
  dxtenc_encode(&enc.dxt[enc.selected_slot], enc.texture.data(), planes, strides);
}

}  // namespace

std::unique_ptr<FrameEncoder> frame_encoder_create(uint32_t width, uint32_t height,
                                                   uint32_t chunk_count, HapFrameCodec codec,
                                                   uint8_t quality, uint8_t per_frame_mode,
                                                   CpuFeatureMask cpu_mask, uint8_t borrow_pixels) {
  if (width == 0 || height == 0) {
    std::printf("ERR : dim invalide\n");
    return nullptr;
  }
  try {
    auto enc = std::make_unique<FrameEncoder>();
    enc->width = width;
    enc->height = height;
    enc->borrow_pixels = borrow_pixels;
    enc->codec = codec;
    enc->snappy = chunk_count != 0 ? 1 : 0;
    enc->chunk_count = chunk_count == 0 ? 1 : (chunk_count > 64 ? 64 : chunk_count);
    enc->quality = quality;
    enc->per_frame_mode = per_frame_mode;
    enc->cpu_mask = cpu_mask;
    for (DxtEnc& dxt : enc->dxt) {
      std::memset(&dxt, 0, sizeof dxt);
      dxt.pixel_format = PIXEL_FORMAT_UNSET;
    }
    hap_frame_init(enc->hap, width, height, codec, enc->chunk_count);
    return enc;
  } catch (const std::exception&) {
    return nullptr;
  }
}

void frame_encoder_open(FrameEncoder& enc, PixelFormat format, uint32_t host_depth, PadMode pad,
                        uint32_t threads) {
  const DxtEncType type = texture_type(enc.codec, without_alpha(host_depth));
  enc.texture.allocate(dxtenc_buffer_size(enc.width, enc.height, type, pad));
  const size_t first = dxtenc_texture_size(enc.width, enc.height, type, pad, 0);
  const size_t second = dxtenc_texture_size(enc.width, enc.height, type, pad, 1);
  enc.texture_1 = {enc.texture.data(), first};
  enc.texture_2 = second != 0 ? TextureDesc{enc.texture.data() + first, second} : TextureDesc{};
  if (open_slot(enc, 0, format, host_depth, pad, threads) != 0) {
    throw std::runtime_error("Error opening encoder");
  }
}

void frame_encoder_open_extra(FrameEncoder& enc, PixelFormat format, uint32_t host_depth,
                              PadMode pad, uint32_t threads, uint8_t slot) {
  if (slot != 1 && slot != 2) throw std::runtime_error("Invalid encoder");
  if (open_slot(enc, slot, format, host_depth, pad, threads) != 0) {
    throw std::runtime_error("Error opening encoder 2");
  }
}

void frame_encoder_take(FrameEncoder& enc, const uint8_t* pixels, size_t row_bytes, uint8_t slot) {
  // A slot that was never opened has no operation table; refuse instead of calling through it.
  if (slot > 2 || enc.dxt[slot].pixel_format == PIXEL_FORMAT_UNSET ||
      enc.texture.data() == nullptr) {
    throw std::runtime_error("Invalid encoder");
  }
  if (row_bytes < size_t{enc.width} * bytes_per_pixel(enc.dxt[slot].pixel_format)) {
    throw std::runtime_error("Invalid row bytes");
  }
  enc.selected_slot = slot;
  enc.frame_pending = false;
  if (!enc.per_frame_mode) {
    const uint8_t* const planes[4] = {pixels, nullptr, nullptr, nullptr};
    const size_t strides[4] = {row_bytes, 0, 0, 0};
    compress_texture(enc, planes, strides);
    enc.frame_pending = true;
    return;
  }
  // 64-bit size: at 30000 rows of 240000 bytes a frame exceeds 4 GiB.
  const uint64_t size = uint64_t{enc.height} * row_bytes;
  if (enc.borrow_pixels) {
    enc.planes[0] = pixels;
  } else {
    if (size > SIZE_MAX) throw std::bad_alloc();
    if (enc.pixel_copy.data() == nullptr || size > enc.pixel_copy.size()) {
      enc.pixel_copy.allocate(static_cast<size_t>(size));
    }
    std::memcpy(enc.pixel_copy.data(), pixels, static_cast<size_t>(size));
    enc.planes[0] = enc.pixel_copy.data();
  }
  enc.frame_bytes = size;
  enc.strides[0] = row_bytes;
  enc.frame_pending = true;
}

void frame_encoder_encode(FrameEncoder& enc) {
  if (!enc.frame_pending) {
    enc.hap.length = 0;
    return;
  }
  enc.frame_pending = false;
  if (enc.per_frame_mode) compress_texture(enc, enc.planes, enc.strides);
  hap_frame_encode(enc.hap, enc.texture_1.data, enc.texture_2.data,
                   static_cast<uint32_t>(enc.texture_1.length),
                   static_cast<uint32_t>(enc.texture_2.length), enc.chunk_count, enc.snappy);
}

void frame_encoder_output(const FrameEncoder* enc, const uint8_t** data, uint64_t* size) {
  if (enc == nullptr) {
    *size = 0;
    return;
  }
  *data = enc->hap.buffer.get();
  *size = enc->hap.length;
}

void frame_encoder_destroy(std::unique_ptr<FrameEncoder>& enc) {
  if (!enc) return;
  hap_frame_release(enc->hap);
  enc.reset();
}
