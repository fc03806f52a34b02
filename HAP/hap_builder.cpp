// Argument checks, chunk-count limiting, worst-case bounds and the frame-level layout.
#include "HAP/hap_builder.h"

#include <snappy-c.h>

#include "HAP/hap_section_writer.h"
#include "HAP/hap_variants.h"

namespace {

bool is_known_compressor(HapCompressor compressor) {
  return compressor == HapCompressor_None || compressor == HapCompressor_Snappy;
}

// n x SnappyBound(length / n), where the last chunk also holds the remainder of the division.
uint64_t chunks_snappy_bound(uint32_t length, uint32_t n) {
  const uint32_t chunk_length = length / n;
  const uint32_t last_length = chunk_length + length % n;
  return uint64_t{n - 1} * snappy_max_compressed_length(chunk_length) +
         snappy_max_compressed_length(last_length);
}

}  // namespace

const char* hap_result_name(HapResult result) {
  switch (result) {
    case HapResult_No_Error:
      return "HapResult_No_Error";
    case HapResult_Bad_Arguments:
      return "HapResult_Bad_Arguments";
    case HapResult_Buffer_Too_Small:
      return "HapResult_Buffer_Too_Small";
    case HapResult_Bad_Frame:
      return "HapResult_Bad_Frame";
    case HapResult_Internal_Error:
      return "HapResult_Internal_Error";
  }
  return "HapResult : Error unknown";
}

uint8_t hap_format_nibble(HapTexFormat format) {
  const HapTextureFormat* f = hap_texture_format(format);
  return f ? f->nibble : 0;
}

uint32_t hap_block_bytes(HapTexFormat format) {
  const HapTextureFormat* f = hap_texture_format(format);
  return f ? hap_texture_block_bytes(*f) : 0;
}

uint32_t hap_limit_chunk_count(uint32_t length, HapTexFormat format, uint32_t requested) {
  const uint32_t block_bytes = hap_block_bytes(format);
  if (block_bytes == 0) return 1;
  const uint32_t blocks = length / block_bytes;
  if (blocks == 0) return 1;  // less than one block: a single chunk
  uint32_t n = requested == 0 ? 1 : requested;
  if (n > hap_max_chunk_count) n = hap_max_chunk_count;
  while (blocks % n != 0) --n;
  return n;
}

uint64_t hap_max_texture_section_length(uint32_t length, HapTexFormat format,
                                        HapCompressor compressor, uint32_t chunk_count) {
  if (hap_block_bytes(format) == 0 || !is_known_compressor(compressor) || chunk_count == 0) {
    return 0;
  }
  const uint32_t n = hap_limit_chunk_count(length, format, chunk_count);
  const uint64_t tables = 20 + 5 * uint64_t{n};
  if (compressor == HapCompressor_None) return uint64_t{length} + tables;
  return chunks_snappy_bound(length, n) + tables;
}

uint32_t hap_max_encoded_length(uint32_t count, const uint32_t* lengths,
                                const HapTexFormat* formats, const uint32_t* chunk_counts) {
  if ((count != 1 && count != 2) || !lengths || !formats || !chunk_counts) return 0;
  uint64_t total = 8;  // outer multiple-images header
  for (uint32_t i = 0; i < count; ++i) {
    if (chunk_counts[i] == 0 || hap_block_bytes(formats[i]) == 0) return 0;
    const uint32_t n = hap_limit_chunk_count(lengths[i], formats[i], chunk_counts[i]);
    total += 20 + 5 * uint64_t{n} + chunks_snappy_bound(lengths[i], n);
  }
  return total > UINT32_MAX ? 0 : static_cast<uint32_t>(total);
}

HapResult hap_encode_texture(const uint8_t* input, uint32_t length, HapTexFormat format,
                             HapCompressor compressor, uint32_t chunk_count, uint8_t* output,
                             uint64_t capacity, uint64_t* used) {
  if (used) *used = 0;
  if (!input || length == 0 || hap_block_bytes(format) == 0 || !is_known_compressor(compressor) ||
      chunk_count == 0 || !output || !used) {
    return HapResult_Bad_Arguments;
  }
  if (capacity < hap_max_texture_section_length(length, format, compressor, chunk_count)) {
    return HapResult_Buffer_Too_Small;
  }
  const uint32_t n = hap_limit_chunk_count(length, format, chunk_count);
  return hap_write_texture_section(input, length, hap_format_nibble(format),
                                   compressor == HapCompressor_Snappy, n, output, capacity, used);
}

HapResult hap_encode(uint32_t count, const uint8_t* const* inputs, const uint32_t* lengths,
                     const HapTexFormat* formats, const HapCompressor* compressors,
                     const uint32_t* chunk_counts, uint8_t* output, uint32_t capacity,
                     uint32_t* used) {
  if (used) *used = 0;
  if ((count != 1 && count != 2) || !inputs || !lengths || !formats || !compressors ||
      !chunk_counts || !output || !used || capacity == 0) {
    return HapResult_Bad_Arguments;
  }
  for (uint32_t i = 0; i < count; ++i) {
    if (chunk_counts[i] == 0) return HapResult_Bad_Arguments;
  }

  uint64_t section_bytes = 0;
  if (count == 1) {
    const HapResult result = hap_encode_texture(inputs[0], lengths[0], formats[0], compressors[0],
                                                chunk_counts[0], output, capacity, &section_bytes);
    if (result == HapResult_No_Error) *used = static_cast<uint32_t>(section_bytes);
    return result;
  }

  // Two textures go into one multiple-images section; one of them must be a Hap Q or alpha
  // texture.
  const auto is_second_kind = [](HapTexFormat f) {
    return f == HapTexFormat_YCoCg_DXT5 || f == HapTexFormat_A_RGTC1;
  };
  if (!is_second_kind(formats[0]) && !is_second_kind(formats[1])) return HapResult_Bad_Arguments;

  // Each inner section is at most its texture length + 5 x requested chunks + 12 while it uses
  // the short form, so this estimate decides the outer header form before anything is written.
  uint64_t estimate = 0;
  for (uint32_t i = 0; i < 2; ++i)
    estimate += uint64_t{lengths[i]} + 5 * uint64_t{chunk_counts[i]} + 12;
  const uint32_t header_bytes = estimate <= hap_short_header_max_length ? 4 : 8;
  if (capacity < header_bytes) return HapResult_Buffer_Too_Small;

  for (uint32_t i = 0; i < 2; ++i) {
    uint64_t written = 0;
    const HapResult result = hap_encode_texture(
        inputs[i], lengths[i], formats[i], compressors[i], chunk_counts[i],
        output + header_bytes + section_bytes, capacity - header_bytes - section_bytes, &written);
    if (result != HapResult_No_Error) return result;
    section_bytes += written;
  }
  if (header_bytes == 4 && section_bytes > hap_short_header_max_length) {
    return HapResult_Internal_Error;  // the estimate above failed to bound the sections
  }
  constexpr uint8_t section_multiple_images = 0x0D;
  hap_write_section_header(output, section_multiple_images, static_cast<uint32_t>(section_bytes),
                           header_bytes == 8);
  *used = header_bytes + static_cast<uint32_t>(section_bytes);
  return HapResult_No_Error;
}
