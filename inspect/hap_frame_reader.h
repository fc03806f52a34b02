#pragma once
// Parser of Hap frames: recovers the texture bytes of one or more textures and reports the
// layout (header forms, section types, chunk tables). Every malformed frame is rejected with a
// std::runtime_error "malformed Hap frame: <fault>"; nothing is read outside the given bytes,
// and no allocation exceeds the texture bytes the frame really holds (or the caller's limit).
//
// Frame format (little-endian): a section is a 4-byte header (24-bit body length, type byte) or,
// when those 24 bits are 0, an 8-byte header (0, 0, 0, type, 32-bit body length). A frame is one
// texture section, or a 0x0D section whose body is texture sections back to back. A texture
// section's type is storage (high nibble) + texture format (low nibble): 0xA stored as is, 0xB
// one Snappy block, 0xC chunks described by a decode-instructions section (type 0x01) holding a
// compressor table (0x02: one byte a chunk, 0x0A raw or 0x0B Snappy), a size table (0x03: 32-bit
// stored length a chunk) and optionally an offset table (0x04: 32-bit offset a chunk from the
// first byte after the instructions; without it the chunks follow each other).
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace orvex_inspect {

// One texture section of a frame.
struct HapTextureSection {
  uint8_t type = 0;           // storage nibble | format nibble
  uint8_t format_nibble = 0;  // 0xB DXT1, 0xE DXT5, 0xF YCoCg DXT5, 0x1 RGTC1, 0xC BPTC
  bool long_header = false;   // 8-byte header form
  size_t section_bytes = 0;   // header + body
  // Chunked sections: one entry a chunk (0x0A raw, 0x0B Snappy; stored lengths; the lengths the
  // chunks decode to). A one-block Snappy section (0xB) has one entry; a stored one none.
  std::vector<uint8_t> chunk_compressors;
  std::vector<uint32_t> chunk_stored_lengths;
  std::vector<uint32_t> chunk_texture_lengths;
  bool chunk_offset_table = false;  // the decode instructions carry chunk offsets
  uint64_t texture_bytes = 0;       // length of the texture
  std::vector<uint8_t> texture;     // the texture bytes (left empty by a layout-only read)

  bool chunked() const { return (type & 0xF0) == 0xC0; }
  uint8_t storage() const { return type & 0xF0; }
};

struct HapFrameLayout {
  bool multiple_images = false;             // outer section of type 0x0D
  bool outer_long_header = false;           // header form of that outer section
  std::vector<HapTextureSection> textures;  // in frame order
};

enum class HapRead {
  textures,  // decompress every texture
  layout,    // walk the sections only; Snappy lengths are taken from the blocks' headers
};

// Parses a whole frame: one texture section, or one multiple-images section of texture sections,
// covering exactly `size` bytes. A texture longer than `max_texture_bytes` is rejected before
// anything is allocated for it.
HapFrameLayout read_hap_frame(const uint8_t* data, size_t size, HapRead mode = HapRead::textures,
                              uint64_t max_texture_bytes = std::numeric_limits<uint64_t>::max());
inline HapFrameLayout read_hap_frame(const std::vector<uint8_t>& frame,
                                     HapRead mode = HapRead::textures) {
  return read_hap_frame(frame.data(), frame.size(), mode);
}

}  // namespace orvex_inspect
