// HapFrame: worst-case buffer sizing per variant and the exception side of the frame builder.
#include "HAP/HAP_Frame.h"

#include <cassert>
#include <cstddef>
#include <iostream>
#include <stdexcept>

namespace {

const HapVariant& variant_of(HapFrameCodec codec) {
  const HapVariant* variant = hap_variant(codec);
  if (!variant) throw std::runtime_error("Unknown codec");
  return *variant;
}

uint32_t texture_length(uint32_t width, uint32_t height, uint32_t block_bytes) {
  const uint64_t bytes = (uint64_t{width} + 3) / 4 * ((uint64_t{height} + 3) / 4) * block_bytes;
  if (bytes > UINT32_MAX) throw std::runtime_error("Texture too large");
  return static_cast<uint32_t>(bytes);
}

}  // namespace

uint32_t hap_texture_length(uint32_t width, uint32_t height, DxtCodec codec) {
  for (const HapTextureFormat& f : kHapTextureFormats) {
    if (f.length_rule == codec) return texture_length(width, height, hap_texture_block_bytes(f));
  }
  throw std::runtime_error("Unknown dxt codec");
}

void hap_frame_init(HapFrame& frame, uint32_t width, uint32_t height, HapFrameCodec codec,
                    uint32_t chunk_count) {
  const HapVariant& variant = variant_of(codec);
  hap_frame_release(frame);
  frame.width = width;
  frame.height = height;
  frame.codec = codec;
  frame.texture_count = static_cast<uint8_t>(variant.texture_count);
  frame.chunk_count_1 = chunk_count;
  frame.chunk_count_2 = chunk_count;

  uint32_t lengths[2] = {};
  const uint32_t chunk_counts[2] = {chunk_count, chunk_count};
  for (uint32_t i = 0; i < variant.texture_count; ++i) {
    lengths[i] = texture_length(width, height, hap_block_bytes(variant.textures[i]));
  }
  const uint32_t capacity =
      hap_max_encoded_length(variant.texture_count, lengths, variant.textures, chunk_counts);
  if (capacity == 0) {
    if (chunk_count != 0) throw std::runtime_error("Texture too large");
    return;  // no buffer: encode reports the bad chunk count
  }
  frame.buffer = std::make_unique_for_overwrite<uint8_t[]>(capacity);
  frame.capacity = capacity;
}

void hap_frame_encode(HapFrame& frame, const uint8_t* srcText1, const uint8_t* srcText2,
                      uint32_t tex1_length, uint32_t tex2_length, uint32_t chunks,
                      uint32_t compressor) {
  assert(chunks != 0);
  assert(tex1_length > 0);
  assert(srcText1 != NULL);

  const HapVariant& variant = variant_of(frame.codec);
  if (variant.texture_count == 2 && srcText2 == nullptr) {
    throw std::runtime_error("HAPQA : Dxt Buffer 2 == NULL");
  }
  const uint8_t* inputs[2] = {srcText1, srcText2};
  const uint32_t lengths[2] = {tex1_length, tex2_length};
  const HapCompressor compressors[2] = {static_cast<HapCompressor>(compressor),
                                        static_cast<HapCompressor>(compressor)};
  const uint32_t chunk_counts[2] = {chunks, chunks};

  // The buffer never exceeds 32 bits (hap_max_encoded_length), so the capacity converts exactly.
  uint32_t used = 0;
  const HapResult result =
      hap_encode(variant.texture_count, inputs, lengths, variant.textures, compressors,
                 chunk_counts, frame.buffer.get(), static_cast<uint32_t>(frame.capacity), &used);
  frame.length = used;
  if (result != HapResult_No_Error) {
    std::cout << "ERROR : " << hap_result_name(result) << std::endl;
    throw std::runtime_error(hap_result_name(result));
  }
}

void hap_frame_release(HapFrame& frame) {
  frame.buffer.reset();
  frame.capacity = 0;
  frame.length = 0;
}
