// hap-frame-demo: wraps a generated 1920x1080 texture into Hap frames (raw, Snappy chunks, and a
// two-texture Hap Q Alpha frame) and prints the section layout of each frame.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <vector>

#include "HAP/HAP_Frame.h"

namespace {

constexpr uint32_t width_px = 1920, height_px = 1080;

// Stand-in block data: blocks of 16x16-pixel tiles share one pattern, as flat areas of a real
// image do, and one tile in eight is noise.
std::vector<uint8_t> make_texture(uint32_t block_bytes, uint32_t seed) {
  const uint32_t blocks_x = (width_px + 3) / 4, blocks_y = (height_px + 3) / 4;
  std::vector<uint8_t> texture(size_t{blocks_x} * blocks_y * block_bytes);
  uint32_t noise = seed | 1;
  for (uint32_t by = 0; by < blocks_y; ++by) {
    for (uint32_t bx = 0; bx < blocks_x; ++bx) {
      uint8_t* block = &texture[(size_t{by} * blocks_x + bx) * block_bytes];
      const uint32_t tile = (by / 4) * 1000 + bx / 4;
      for (uint32_t i = 0; i < block_bytes; ++i) {
        noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
        block[i] = tile % 8 == 3 ? static_cast<uint8_t>(noise)
                                 : static_cast<uint8_t>(tile * 37 + i * seed);
      }
    }
  }
  return texture;
}

uint32_t le(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

// Prints one section (header form, type, body length) and, for chunked textures, the chunk
// tables; returns the section's total length.
uint32_t print_section(const uint8_t* p, int depth) {
  const bool long_form = le(p, 3) == 0;
  const uint32_t header = long_form ? 8 : 4;
  const uint32_t body = long_form ? le(p + 4, 4) : le(p, 3);
  const uint8_t type = p[3];
  const char* kind = type == 0x0D            ? "multiple images"
                     : (type & 0xF0) == 0xC0 ? "texture in chunks"
                                             : "texture stored as is";
  std::printf("%*ssection 0x%02X (%s), %s header, body %u bytes\n", depth * 2, "", type, kind,
              long_form ? "8-byte" : "4-byte", body);
  if (type == 0x0D) {
    for (uint32_t at = 0; at < body;) at += print_section(p + header + at, depth + 1);
  } else if ((type & 0xF0) == 0xC0) {
    const uint8_t* table = p + header + 4;  // compressor table section
    const uint32_t n = le(table, 3);
    uint32_t snappy = 0, stored = 0;
    for (uint32_t i = 0; i < n; ++i) {
      snappy += table[4 + i] == 0x0B;
      stored += le(table + 4 + n + 4 + 4 * i, 4);
    }
    std::printf("%*s%u chunks (%u Snappy, %u raw), %u bytes of chunk data\n", depth * 2 + 2, "", n,
                snappy, n - snappy, stored);
  }
  return header + body;
}

void show(const char* title, HapFrameCodec codec, uint32_t chunks, uint32_t compressor,
          const std::vector<uint8_t>& tex1, const std::vector<uint8_t>* tex2) {
  HapFrame frame;
  hap_frame_init(frame, width_px, height_px, codec, chunks);
  const size_t texture_bytes = tex1.size() + (tex2 ? tex2->size() : 0);
  hap_frame_encode(frame, tex1.data(), tex2 ? tex2->data() : nullptr,
                   static_cast<uint32_t>(tex1.size()),
                   tex2 ? static_cast<uint32_t>(tex2->size()) : 0, chunks, compressor);
  std::printf("%s: %zu texture bytes -> %llu byte frame (%.1f%%), buffer %llu bytes\n", title,
              texture_bytes, static_cast<unsigned long long>(frame.length),
              100.0 * static_cast<double>(frame.length) / static_cast<double>(texture_bytes),
              static_cast<unsigned long long>(frame.capacity));
  print_section(frame.buffer.get(), 1);
}

}  // namespace

int main() {
  try {
    const std::vector<uint8_t> dxt1 = make_texture(8, 7);
    const std::vector<uint8_t> ycocg = make_texture(16, 11);
    const std::vector<uint8_t> alpha = make_texture(8, 13);
    std::printf("Hap frames of a generated %ux%u texture\n", width_px, height_px);
    show("Hap, no Snappy", HapFrameCodec_Hap, 1, HapCompressor_None, dxt1, nullptr);
    show("Hap, Snappy, 8 chunks", HapFrameCodec_Hap, 8, HapCompressor_Snappy, dxt1, nullptr);
    show("Hap Q Alpha, Snappy, 4 chunks", HapFrameCodec_Hap_Q_Alpha, 4, HapCompressor_Snappy, ycocg,
         &alpha);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "hap-frame-demo: error: %s\n", e.what());
    return 1;
  }
}
