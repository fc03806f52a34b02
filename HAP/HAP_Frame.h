#pragma once
// The Hap frame of one frame encoder: HapFrame owns a buffer sized once for the worst case of its
// codec and chunk count, and turns each pair of block-compressed textures into a Hap frame in
// it. Failures are logged ("ERROR : " + result name) and thrown as std::runtime_error.
#include <cstdint>
#include <memory>

#include "HAP/hap_builder.h"
#include "HAP/hap_variants.h"

// Bytes of a texture of width x height pixels: ceil(width / 4) x ceil(height / 4) x block bytes.
// Throws std::runtime_error "Unknown dxt codec" for an unknown selector and "Texture too large"
// when the length does not fit in 32 bits.
uint32_t hap_texture_length(uint32_t width, uint32_t height, DxtCodec codec);

// One frame encoder's output. The encoded frame is (buffer.get(), length) until the next encode.
struct HapFrame {
  uint32_t width = 0;   // pixels
  uint32_t height = 0;  // pixels
  std::unique_ptr<uint8_t[]> buffer;
  uint64_t capacity = 0;      // bytes of `buffer`
  uint64_t length = 0;        // bytes of the last encoded frame; 0 after initialisation
  uint8_t texture_count = 0;  // of the variant: 2 for Hap Q Alpha, else 1
  uint32_t chunk_count_1 = 0;
  uint32_t chunk_count_2 = 0;
  HapFrameCodec codec = HapFrameCodec_Hap;
};

// Sets up `frame` for frames of width x height pixels of `codec` with up to `chunk_count` chunks
// a texture, and allocates its buffer (hap_max_encoded_length bytes; a chunk count of 0 leaves no
// buffer, and every encode then fails). Throws "Unknown codec" for a codec that names no variant,
// "Texture too large" when the worst case does not fit in 32 bits, std::bad_alloc when allocation
// fails.
void hap_frame_init(HapFrame& frame, uint32_t width, uint32_t height, HapFrameCodec codec,
                    uint32_t chunk_count);

// Builds the Hap frame of one texture (two for Hap Q Alpha: YCoCg colour `srcText1`, then alpha
// `srcText2`; ignored otherwise) into frame.buffer and sets frame.length (0 on failure). Both
// textures use `chunks` and `compressor` (0 none, 1 Snappy).
// REQUIRES: chunks != 0, tex1_length > 0, srcText1 != NULL (asserted in debug builds).
// Throws "HAPQA : Dxt Buffer 2 == NULL" for Hap Q Alpha without texture 2, "Unknown codec", and,
// when the builder fails, prints "ERROR : <result name>" and throws the result name.
void hap_frame_encode(HapFrame& frame, const uint8_t* srcText1, const uint8_t* srcText2,
                      uint32_t tex1_length, uint32_t tex2_length, uint32_t chunks,
                      uint32_t compressor);

// Frees the buffer and clears the pointer, capacity and length. Destruction also frees it.
void hap_frame_release(HapFrame& frame);
