#pragma once
// Test-side parser of Hap frames: recovers the texture bytes of one or two textures and reports
// the layout (header forms, section types, chunk tables). Every malformed frame is rejected with
// a std::runtime_error naming the fault; nothing is read outside the given bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex_test {

// One texture section of a frame.
struct HapTextureSection {
  uint8_t type = 0;           // 0xA0 | nibble (stored as is) or 0xC0 | nibble (chunked)
  uint8_t format_nibble = 0;  // 0xB DXT1, 0xE DXT5, 0xF YCoCg DXT5, 0x1 RGTC1, 0xC BPTC
  bool long_header = false;   // 8-byte header form
  size_t section_bytes = 0;   // header + body
  // Chunked sections only: one entry a chunk (0x0A raw, 0x0B Snappy; stored lengths).
  std::vector<uint8_t> chunk_compressors;
  std::vector<uint32_t> chunk_stored_lengths;
  std::vector<uint32_t> chunk_texture_lengths;  // bytes each chunk decodes to
  std::vector<uint8_t> texture;                 // the decoded texture bytes

  bool chunked() const { return (type & 0xF0) == 0xC0; }
};

struct HapFrameLayout {
  bool multiple_images = false;             // outer section of type 0x0D
  bool outer_long_header = false;           // header form of that outer section
  std::vector<HapTextureSection> textures;  // in frame order
};

// Parses a whole frame: one texture section, or one multiple-images section of texture
// sections, covering exactly `size` bytes.
HapFrameLayout read_hap_frame(const uint8_t* data, size_t size);
inline HapFrameLayout read_hap_frame(const std::vector<uint8_t>& frame) {
  return read_hap_frame(frame.data(), frame.size());
}

}  // namespace orvex_test
