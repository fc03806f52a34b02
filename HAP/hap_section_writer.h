#pragma once
// Low-level writers of Hap sections: the section header in its two forms and one texture
// section, stored as is or in Snappy chunks. No worst-case check happens here (hap_encode_texture
// does it); instead every write is bounded by the capacity given, so nothing is written past it.
#include <cstdint>

#include "HAP/hap_builder.h"

// Largest body length the short (4-byte) header form can carry.
inline constexpr uint32_t hap_short_header_max_length = 0xFFFFFF;

// Writes a section header at `dst`: 4 bytes (24-bit length, type) or, when `long_form`, 8 bytes
// (0, 0, 0, type, 32-bit length). REQUIRES: `body_length` <= 0xFFFFFF for the short form.
// Returns the header length.
uint32_t hap_write_section_header(uint8_t* dst, uint8_t type, uint32_t body_length, bool long_form);

// Writes one texture section for a texture of `length` bytes (> 0) at `output`, with type nibble
// `nibble`, raw or in `chunk_count` Snappy chunks. `chunk_count` (>= 1) is used as given: the
// chunks are length / chunk_count bytes each, the last one also takes the remainder of the
// division. Returns Internal_Error without writing past `capacity` when the section or a Snappy
// chunk does not fit; otherwise No_Error with the section length in `*used`.
HapResult hap_write_texture_section(const uint8_t* input, uint32_t length, uint8_t nibble,
                                    bool snappy, uint32_t chunk_count, uint8_t* output,
                                    uint64_t capacity, uint64_t* used);
