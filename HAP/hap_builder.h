#pragma once
// Hap frame builder: plain functions that wrap one or two block-compressed textures into a Hap
// frame in a caller-owned buffer. They never throw and never allocate; every failure is a
// HapResult code, after which the bytes in the output buffer are meaningless.
//
// Frame format (all integers little-endian). Every section starts with a header:
//   short form, 4 bytes: body length (24 bits), type (8 bits)
//   long form,  8 bytes: 0, 0, 0, type, body length (32 bits)
// The length never counts the header. Section types:
//   0xA0 | nibble  texture stored as is
//   0xC0 | nibble  texture in chunks: a decode-instructions container (0x01, always short form)
//                  holding a compressor table (0x02, one byte a chunk: 0x0A raw, 0x0B Snappy)
//                  and a size table (0x03, one 32-bit stored length a chunk), then the stored
//                  chunks back to back. There is no offset table: positions follow from sizes.
//   0x0D           multiple images: the body is the texture sections back to back
#include <cstdint>

// Texture format handed to the builder. The value is the texture's identifier; the section type
// byte carries the matching nibble (see hap_format_nibble).
enum HapTexFormat : uint32_t {
  HapTexFormat_RGB_DXT1 = 0x83F0,
  HapTexFormat_RGBA_DXT5 = 0x83F3,
  HapTexFormat_YCoCg_DXT5 = 0x01,
  HapTexFormat_A_RGTC1 = 0x8DBB,
  HapTexFormat_RGBA_BPTC = 0x8E8C,
};

// Second-stage compressor of one texture.
enum HapCompressor : uint32_t {
  HapCompressor_None = 0,
  HapCompressor_Snappy = 1,
};

enum HapResult : uint32_t {
  HapResult_No_Error = 0,
  HapResult_Bad_Arguments = 1,
  HapResult_Buffer_Too_Small = 2,
  HapResult_Bad_Frame = 3,  // never produced by the encoding functions
  HapResult_Internal_Error = 4,
};

// Chunks are limited so that the decode-instructions container (5n + 8 bytes) still fits a
// short section header.
inline constexpr uint32_t hap_max_chunk_count = 0x333327;

// "HapResult_No_Error", ..., or "HapResult : Error unknown" for any other value.
const char* hap_result_name(HapResult result);

// Low nibble of the section type byte for `format` (0xB, 0xE, 0xF, 0x1, 0xC); 0 when unknown.
uint8_t hap_format_nibble(HapTexFormat format);

// Bytes of one block of `format` (8 or 16); 0 when unknown.
uint32_t hap_block_bytes(HapTexFormat format);

// Chunk count actually used for a texture: the largest n <= min(requested, hap_max_chunk_count)
// that divides the block count (length / block bytes), so that chunks hold whole blocks. A block
// count of 0 keeps the capped request. A request of 0 counts as 1; an unknown format gives 1.
uint32_t hap_limit_chunk_count(uint32_t length, HapTexFormat format, uint32_t requested);

// Worst-case bytes of one texture section written by hap_encode_texture with these arguments:
// length + 20 + 5n without Snappy, n x SnappyBound(length / n) + 20 + 5n with it (n limited as
// above). 0 for an unknown format, an unknown compressor or a chunk count of 0.
uint64_t hap_max_texture_section_length(uint32_t length, HapTexFormat format,
                                        HapCompressor compressor, uint32_t chunk_count);

// Worst-case bytes of a whole frame of `count` textures whatever the compressors: the size of a
// frame buffer. 0 when count is not 1 or 2, an array is missing, a chunk count is 0, a format
// is unknown, or the bound does not fit in 32 bits.
uint32_t hap_max_encoded_length(uint32_t count, const uint32_t* lengths,
                                const HapTexFormat* formats, const uint32_t* chunk_counts);

// Writes one texture section at `output`.
// REQUIRES: `input` holds `length` bytes; `output` holds `capacity` bytes; they do not overlap.
// Returns Bad_Arguments for a missing pointer, length 0, an unknown format or compressor or a
// chunk count of 0; Buffer_Too_Small when capacity < hap_max_texture_section_length;
// Internal_Error if Snappy fails on a chunk. `*used` is the section length (0 on failure).
HapResult hap_encode_texture(const uint8_t* input, uint32_t length, HapTexFormat format,
                             HapCompressor compressor, uint32_t chunk_count, uint8_t* output,
                             uint64_t capacity, uint64_t* used);

// Writes a whole frame of `count` (1 or 2) textures: one texture section, or for two textures a
// multiple-images section holding both in order. At least one of two textures must be YCoCg DXT5
// or alpha RGTC1. The arrays hold `count` entries each.
// REQUIRES: `output` holds `capacity` bytes, at least hap_max_encoded_length of the textures.
// `*used` is the frame length (0 on failure).
HapResult hap_encode(uint32_t count, const uint8_t* const* inputs, const uint32_t* lengths,
                     const HapTexFormat* formats, const HapCompressor* compressors,
                     const uint32_t* chunk_counts, uint8_t* output, uint32_t capacity,
                     uint32_t* used);
