// HapFrame: worst-case buffer sizing per codec and the exception side of the frame builder.
#include "HAP/HAP_Frame.h"

#include <cassert>
#include <cstddef>
#include <iostream>
#include <stdexcept>

namespace {

struct CodecTextures {
  uint8_t count;
  DxtCodec dxt[2];
  HapTexFormat format[2];
};

// Textures of each codec, in frame order.
CodecTextures codec_textures(HapFrameCodec codec) {
  switch (codec) {
    case HapFrameCodec_Hap:
      return {1, {DxtCodec_DXT1}, {HapTexFormat_RGB_DXT1}};
    case HapFrameCodec_Hap_Alpha:
      return {1, {DxtCodec_DXT5}, {HapTexFormat_RGBA_DXT5}};
    case HapFrameCodec_Hap_Q:
      return {1, {DxtCodec_DXT5}, {HapTexFormat_YCoCg_DXT5}};
    case HapFrameCodec_Hap_Q_Alpha:
      return {2, {DxtCodec_DXT5, DxtCodec_RGTC1}, {HapTexFormat_YCoCg_DXT5, HapTexFormat_A_RGTC1}};
    case HapFrameCodec_Hap_Alpha_Only:
      return {1, {DxtCodec_RGTC1}, {HapTexFormat_A_RGTC1}};
    case HapFrameCodec_Hap_R:
      return {1, {DxtCodec_BC7}, {HapTexFormat_RGBA_BPTC}};
  }
  throw std::runtime_error("Unknown codec");
}

}  // namespace

uint32_t hap_texture_length(uint32_t width, uint32_t height, DxtCodec codec) {
  uint64_t block_bytes = 0;
  switch (codec) {
    case DxtCodec_DXT1:
    case DxtCodec_RGTC1:
      block_bytes = 8;
      break;
    case DxtCodec_DXT5:
    case DxtCodec_BC7:
      block_bytes = 16;
      break;
    default:
      throw std::runtime_error("Unknown dxt codec");
  }
  const uint64_t bytes = (uint64_t{width} + 3) / 4 * ((uint64_t{height} + 3) / 4) * block_bytes;
  if (bytes > UINT32_MAX) throw std::runtime_error("Texture too large");
  return static_cast<uint32_t>(bytes);
}

void hap_frame_init(HapFrame& frame, uint32_t width, uint32_t height, HapFrameCodec codec,
                    uint32_t chunk_count) {
  const CodecTextures textures = codec_textures(codec);
  hap_frame_release(frame);
  frame.width = width;
  frame.height = height;
  frame.codec = codec;
  frame.texture_count = textures.count;
  frame.chunk_count_1 = chunk_count;
  frame.chunk_count_2 = chunk_count;

  uint32_t lengths[2] = {};
  const uint32_t chunk_counts[2] = {chunk_count, chunk_count};
  for (uint8_t i = 0; i < textures.count; ++i) {
    lengths[i] = hap_texture_length(width, height, textures.dxt[i]);
  }
  const uint32_t capacity =
      hap_max_encoded_length(textures.count, lengths, textures.format, chunk_counts);
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

  const CodecTextures textures = codec_textures(frame.codec);
  if (textures.count == 2 && srcText2 == nullptr) {
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
      hap_encode(textures.count, inputs, lengths, textures.format, compressors, chunk_counts,
                 frame.buffer.get(), static_cast<uint32_t>(frame.capacity), &used);
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
