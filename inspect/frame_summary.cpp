#include "inspect/frame_summary.h"

#include <algorithm>

#include "inspect/byte_order.h"
#include "inspect/hap_variants.h"

namespace orvex_inspect {
namespace {

const char* format_name(uint8_t nibble) {
  const HapTextureKind* kind = find_hap_texture(nibble);
  return kind != nullptr ? kind->name : "unknown";
}

std::string describe_texture(const HapTextureSection& t) {
  const char* storage = t.storage() == 0xA0   ? "stored "
                        : t.storage() == 0xB0 ? "Snappy "
                                              : "chunked ";
  return storage + std::string(format_name(t.format_nibble)) + " (" + hex_byte(t.type) + ")";
}

}  // namespace

std::string describe_frame_layout(const HapFrameLayout& frame) {
  std::string text;
  bool long_header = frame.outer_long_header;
  for (const HapTextureSection& t : frame.textures) {
    text += (text.empty() ? "" : " + ") + describe_texture(t);
    long_header = long_header || t.long_header;
  }
  if (frame.multiple_images) text = "multiple images (0x0D): " + text;
  return long_header ? text + " (8-byte headers)" : text;
}

std::string describe_chunk_counts(const HapFrameLayout& frame) {
  std::string text;
  for (const HapTextureSection& t : frame.textures) {
    const size_t n = std::max<size_t>(1, t.chunk_compressors.size());
    text += (text.empty() ? "" : " + ") + std::to_string(n);
  }
  return text;
}

void FrameSummary::add(const HapFrameLayout& frame, uint64_t sample_bytes) {
  ++layouts[describe_frame_layout(frame)];
  ++chunk_counts[describe_chunk_counts(frame)];
  for (const HapTextureSection& t : frame.textures) {
    texture_bytes += t.texture_bytes;
    for (size_t c = 0; c < t.chunk_compressors.size(); ++c) {
      ++chunks;
      if (t.chunk_compressors[c] == 0x0B) {
        ++snappy_chunks;
        snappy_texture_bytes += t.chunk_texture_lengths[c];
      }
    }
    if (t.chunk_compressors.empty()) ++chunks;
  }
  stored_bytes += sample_bytes;
  min_frame_bytes = frames == 0 ? sample_bytes : std::min(min_frame_bytes, sample_bytes);
  max_frame_bytes = std::max(max_frame_bytes, sample_bytes);
  ++frames;
}

}  // namespace orvex_inspect
