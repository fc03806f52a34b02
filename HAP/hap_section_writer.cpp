// Texture section layout and Snappy chunking.
#include "HAP/hap_section_writer.h"

#include <snappy-c.h>

#include <cstring>

namespace {

void put_le32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

constexpr uint8_t section_stored = 0xA0;
constexpr uint8_t section_chunked = 0xC0;
constexpr uint8_t section_decode_instructions = 0x01;
constexpr uint8_t section_compressor_table = 0x02;
constexpr uint8_t section_size_table = 0x03;
constexpr uint8_t chunk_raw = 0x0A;
constexpr uint8_t chunk_snappy = 0x0B;

}  // namespace

uint32_t hap_write_section_header(uint8_t* dst, uint8_t type, uint32_t body_length,
                                  bool long_form) {
  if (long_form) {
    dst[0] = dst[1] = dst[2] = 0;  // a zero 24-bit length announces the long form
    dst[3] = type;
    put_le32(dst + 4, body_length);
    return 8;
  }
  put_le32(dst, body_length);  // the top byte is overwritten by the type
  dst[3] = type;
  return 4;
}

HapResult hap_write_texture_section(const uint8_t* input, uint32_t length, uint8_t nibble,
                                    bool snappy, uint32_t chunk_count, uint8_t* output,
                                    uint64_t capacity, uint64_t* used) {
  *used = 0;
  uint32_t header_bytes = length > hap_short_header_max_length ? 8 : 4;

  if (snappy) {
    const uint64_t n = chunk_count;
    const uint64_t instructions_bytes = 5 * n + 8;  // body of the decode-instructions container
    // The chunked body is at most length + 4 + instructions; choose the header form for that
    // bound so that it can be written before the chunks are known. The choice holds even if the
    // texture ends up stored as is.
    if (uint64_t{length} + 4 + instructions_bytes > hap_short_header_max_length) header_bytes = 8;
    const uint64_t tables_end = header_bytes + 4 + instructions_bytes;
    if (capacity < tables_end) return HapResult_Internal_Error;

    uint8_t* p = output + header_bytes;
    p += hap_write_section_header(p, section_decode_instructions,
                                  static_cast<uint32_t>(instructions_bytes), false);
    p += hap_write_section_header(p, section_compressor_table, chunk_count, false);
    uint8_t* compressors = p;
    p += n;
    p += hap_write_section_header(p, section_size_table, 4 * chunk_count, false);
    uint8_t* sizes = p;

    const uint32_t chunk_length = length / chunk_count;
    const uint32_t remainder = length % chunk_count;
    uint64_t remaining = capacity - tables_end;
    uint8_t* dst = output + tables_end;
    uint64_t stored_total = 0;
    for (uint32_t i = 0; i < chunk_count; ++i) {
      const uint8_t* src = input + uint64_t{i} * chunk_length;
      const uint32_t src_length = chunk_length + (i + 1 == chunk_count ? remainder : 0);
      size_t stored = remaining;
      if (snappy_compress(reinterpret_cast<const char*>(src), src_length,
                          reinterpret_cast<char*>(dst), &stored) != SNAPPY_OK) {
        return HapResult_Internal_Error;  // less room than Snappy's bound for this chunk
      }
      if (stored < src_length) {
        compressors[i] = chunk_snappy;
      } else {
        // Snappy succeeded, so at least its bound (> src_length) was free.
        std::memcpy(dst, src, src_length);
        stored = src_length;
        compressors[i] = chunk_raw;
      }
      put_le32(sizes + 4 * uint64_t{i}, static_cast<uint32_t>(stored));
      dst += stored;
      remaining -= stored;
      stored_total += stored;
    }

    const uint64_t body = 4 + instructions_bytes + stored_total;
    if (body < uint64_t{length} + header_bytes && body <= UINT32_MAX) {
      hap_write_section_header(output, section_chunked | nibble, static_cast<uint32_t>(body),
                               header_bytes == 8);
      *used = header_bytes + body;
      return HapResult_No_Error;
    }
    // Chunking did not pay: store the texture as is, keeping the header form chosen above.
  }

  if (capacity < uint64_t{header_bytes} + length) return HapResult_Internal_Error;
  std::memcpy(output + header_bytes, input, length);
  hap_write_section_header(output, section_stored | nibble, length, header_bytes == 8);
  *used = uint64_t{header_bytes} + length;
  return HapResult_No_Error;
}
