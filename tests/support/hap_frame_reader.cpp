// Bounds-checked Hap frame parsing for tests.
#include "tests/support/hap_frame_reader.h"

#include <snappy-c.h>

#include <stdexcept>
#include <string>

namespace orvex_test {
namespace {

[[noreturn]] void reject(const std::string& what) {
  throw std::runtime_error("malformed Hap frame: " + what);
}

uint32_t le32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// A section found at the front of a byte range.
struct Section {
  uint8_t type;
  bool long_header;
  const uint8_t* body;
  size_t body_bytes;
  size_t total_bytes;
};

Section read_section(const uint8_t* p, size_t available, const char* where) {
  if (available < 4) reject(std::string("truncated header of ") + where);
  Section s{};
  s.type = p[3];
  uint32_t length = p[0] | p[1] << 8 | p[2] << 16;
  size_t header = 4;
  if (length == 0) {
    if (available < 8) reject(std::string("truncated long header of ") + where);
    length = le32(p + 4);
    header = 8;
    s.long_header = true;
  }
  if (length > available - header) reject(std::string(where) + " length runs past the end");
  s.body = p + header;
  s.body_bytes = length;
  s.total_bytes = header + length;
  return s;
}

bool known_nibble(uint8_t nibble) {
  return nibble == 0xB || nibble == 0xE || nibble == 0xF || nibble == 0x1 || nibble == 0xC;
}

void read_chunked(const Section& s, HapTextureSection& out) {
  const Section instructions = read_section(s.body, s.body_bytes, "decode instructions");
  if (instructions.type != 0x01) reject("chunked texture without decode instructions");
  if (instructions.long_header) reject("decode instructions in the long header form");

  const uint8_t* p = instructions.body;
  size_t left = instructions.body_bytes;
  bool have_compressors = false, have_sizes = false;
  while (left > 0) {
    const Section table = read_section(p, left, "chunk table");
    if (table.type == 0x02 && !have_compressors) {
      out.chunk_compressors.assign(table.body, table.body + table.body_bytes);
      have_compressors = true;
    } else if (table.type == 0x03 && !have_sizes) {
      if (table.body_bytes % 4 != 0) reject("size table not a multiple of 4 bytes");
      for (size_t i = 0; i < table.body_bytes; i += 4) {
        out.chunk_stored_lengths.push_back(le32(table.body + i));
      }
      have_sizes = true;
    } else {
      reject("unexpected section type " + std::to_string(table.type) + " in decode instructions");
    }
    p += table.total_bytes;
    left -= table.total_bytes;
  }
  if (!have_compressors || !have_sizes) reject("decode instructions lack a chunk table");
  const size_t n = out.chunk_compressors.size();
  if (n == 0) reject("no chunks");
  if (out.chunk_stored_lengths.size() != n) reject("compressor and size tables differ in count");

  const uint8_t* chunk = s.body + instructions.total_bytes;
  size_t chunk_bytes_left = s.body_bytes - instructions.total_bytes;
  uint64_t stored_sum = 0;
  for (uint32_t stored : out.chunk_stored_lengths) stored_sum += stored;
  if (stored_sum != chunk_bytes_left) reject("chunk sizes do not add up to the section");

  for (size_t i = 0; i < n; ++i) {
    const uint32_t stored = out.chunk_stored_lengths[i];
    const char* src = reinterpret_cast<const char*>(chunk);
    if (out.chunk_compressors[i] == 0x0A) {
      out.texture.insert(out.texture.end(), chunk, chunk + stored);
      out.chunk_texture_lengths.push_back(stored);
    } else if (out.chunk_compressors[i] == 0x0B) {
      // Validation decodes without writing, so the announced length is checked before any
      // allocation is made for it.
      size_t decoded = 0;
      if (snappy_validate_compressed_buffer(src, stored) != SNAPPY_OK ||
          snappy_uncompressed_length(src, stored, &decoded) != SNAPPY_OK) {
        reject("corrupt Snappy chunk");
      }
      const size_t at = out.texture.size();
      out.texture.resize(at + decoded);
      if (snappy_uncompress(src, stored, reinterpret_cast<char*>(out.texture.data() + at),
                            &decoded) != SNAPPY_OK) {
        reject("corrupt Snappy chunk");
      }
      out.chunk_texture_lengths.push_back(static_cast<uint32_t>(decoded));
    } else {
      reject("unknown chunk compressor");
    }
    chunk += stored;
  }
}

HapTextureSection read_texture(const Section& s) {
  HapTextureSection out;
  out.type = s.type;
  out.format_nibble = s.type & 0x0F;
  out.long_header = s.long_header;
  out.section_bytes = s.total_bytes;
  if (!known_nibble(out.format_nibble)) reject("unknown texture format");
  if ((s.type & 0xF0) == 0xA0) {
    out.texture.assign(s.body, s.body + s.body_bytes);
  } else if ((s.type & 0xF0) == 0xC0) {
    read_chunked(s, out);
  } else {
    reject("unknown section type " + std::to_string(s.type));
  }
  if (out.texture.empty()) reject("empty texture");
  return out;
}

}  // namespace

HapFrameLayout read_hap_frame(const uint8_t* data, size_t size) {
  if (data == nullptr && size != 0) reject("no data");
  const Section outer = read_section(data, size, "frame");
  if (outer.total_bytes != size) reject("bytes after the frame's section");
  HapFrameLayout frame;
  if (outer.type != 0x0D) {
    frame.textures.push_back(read_texture(outer));
    return frame;
  }
  frame.multiple_images = true;
  frame.outer_long_header = outer.long_header;
  const uint8_t* p = outer.body;
  size_t left = outer.body_bytes;
  while (left > 0) {
    const Section inner = read_section(p, left, "image");
    frame.textures.push_back(read_texture(inner));
    p += inner.total_bytes;
    left -= inner.total_bytes;
  }
  if (frame.textures.empty()) reject("multiple-images section without images");
  return frame;
}

}  // namespace orvex_test
