// Bounds-checked Hap frame parsing.
#include "inspect/hap_frame_reader.h"

#include <snappy-c.h>

#include <stdexcept>
#include <string>

#include "inspect/byte_order.h"
#include "inspect/hap_variants.h"

namespace orvex_inspect {
namespace {

[[noreturn]] void reject(const std::string& what) {
  throw std::runtime_error("malformed Hap frame: " + what);
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
  return find_hap_texture(nibble) != nullptr;
}

class TextureSink {
 public:
  TextureSink(HapTextureSection& out, HapRead mode, uint64_t limit)
      : out_(out), mode_(mode), limit_(limit) {}

  void raw(const uint8_t* src, uint32_t stored) {
    grow(stored);
    if (mode_ == HapRead::textures) out_.texture.insert(out_.texture.end(), src, src + stored);
    out_.chunk_texture_lengths.push_back(stored);
  }

  void snappy(const uint8_t* src, uint32_t stored) {
    const char* in = reinterpret_cast<const char*>(src);
    size_t decoded = 0;
    if (snappy_uncompressed_length(in, stored, &decoded) != SNAPPY_OK || decoded > 0xFFFFFFFFu) {
      reject("corrupt Snappy chunk");
    }
    grow(decoded);
    if (mode_ == HapRead::textures) {
      const size_t at = out_.texture.size();
      out_.texture.resize(at + decoded);
      size_t written = decoded;
      if (snappy_uncompress(in, stored, reinterpret_cast<char*>(out_.texture.data() + at),
                            &written) != SNAPPY_OK ||
          written != decoded) {
        reject("corrupt Snappy chunk");
      }
    }
    out_.chunk_texture_lengths.push_back(static_cast<uint32_t>(decoded));
  }

 private:
  void grow(uint64_t bytes) {
    if (bytes > limit_ - out_.texture_bytes) {
      reject("texture longer than the " + std::to_string(limit_) + " bytes expected");
    }
    out_.texture_bytes += bytes;
  }

  HapTextureSection& out_;
  HapRead mode_;
  uint64_t limit_;
};

std::vector<uint32_t> read_u32_table(const Section& table, const char* name) {
  if (table.body_bytes % 4 != 0) reject(std::string(name) + " not a multiple of 4 bytes");
  std::vector<uint32_t> values(table.body_bytes / 4);
  for (size_t i = 0; i < values.size(); ++i) values[i] = le32(table.body + 4 * i);
  return values;
}

void read_chunked(const Section& s, HapTextureSection& out, TextureSink& sink) {
  const Section instructions = read_section(s.body, s.body_bytes, "decode instructions");
  if (instructions.type != 0x01) reject("chunked texture without decode instructions");

  const uint8_t* p = instructions.body;
  size_t left = instructions.body_bytes;
  bool have_compressors = false, have_sizes = false;
  std::vector<uint32_t> offsets;
  while (left > 0) {
    const Section table = read_section(p, left, "chunk table");
    if (table.type == 0x02 && !have_compressors) {
      out.chunk_compressors.assign(table.body, table.body + table.body_bytes);
      have_compressors = true;
    } else if (table.type == 0x03 && !have_sizes) {
      out.chunk_stored_lengths = read_u32_table(table, "size table");
      have_sizes = true;
    } else if (table.type == 0x04 && !out.chunk_offset_table) {
      offsets = read_u32_table(table, "offset table");
      out.chunk_offset_table = true;
    } else {
      reject("unexpected section type " + hex_byte(table.type) + " in decode instructions");
    }
    p += table.total_bytes;
    left -= table.total_bytes;
  }
  if (!have_compressors || !have_sizes) reject("decode instructions lack a chunk table");
  const size_t n = out.chunk_compressors.size();
  if (n == 0) reject("no chunks");
  if (out.chunk_stored_lengths.size() != n) reject("compressor and size tables differ in count");
  if (out.chunk_offset_table && offsets.size() != n) {
    reject("offset and size tables differ in count");
  }

  const uint8_t* data = s.body + instructions.total_bytes;
  const size_t data_bytes = s.body_bytes - instructions.total_bytes;
  if (!out.chunk_offset_table) {
    uint64_t stored_sum = 0;
    for (uint32_t stored : out.chunk_stored_lengths) stored_sum += stored;
    if (stored_sum != data_bytes) reject("chunk sizes do not add up to the section");
  }
  out.chunk_texture_lengths.reserve(n);
  uint64_t next = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint32_t stored = out.chunk_stored_lengths[i];
    const uint64_t at = out.chunk_offset_table ? offsets[i] : next;
    if (at > data_bytes || stored > data_bytes - at) {
      reject("chunk " + std::to_string(i) + " lies outside the section");
    }
    next = at + stored;
    if (out.chunk_compressors[i] == 0x0A) {
      sink.raw(data + at, stored);
    } else if (out.chunk_compressors[i] == 0x0B) {
      sink.snappy(data + at, stored);
    } else {
      reject("unknown chunk compressor " + hex_byte(out.chunk_compressors[i]) + " of chunk " +
             std::to_string(i));
    }
  }
}

HapTextureSection read_texture(const Section& s, HapRead mode, uint64_t limit) {
  HapTextureSection out;
  out.type = s.type;
  out.format_nibble = s.type & 0x0F;
  out.long_header = s.long_header;
  out.section_bytes = s.total_bytes;
  if (!known_nibble(out.format_nibble)) reject("unknown texture format " + hex_byte(s.type));
  TextureSink sink(out, mode, limit);
  if (out.storage() == 0xA0) {
    if (s.body_bytes > limit) {
      reject("texture longer than the " + std::to_string(limit) + " bytes expected");
    }
    out.texture_bytes = s.body_bytes;
    if (mode == HapRead::textures) out.texture.assign(s.body, s.body + s.body_bytes);
  } else if (out.storage() == 0xB0) {
    out.chunk_compressors.push_back(0x0B);
    out.chunk_stored_lengths.push_back(static_cast<uint32_t>(s.body_bytes));
    sink.snappy(s.body, static_cast<uint32_t>(s.body_bytes));
  } else if (out.storage() == 0xC0) {
    read_chunked(s, out, sink);
  } else {
    reject("unknown section type " + hex_byte(s.type));
  }
  if (out.texture_bytes == 0) reject("empty texture");
  return out;
}

}  // namespace

HapFrameLayout read_hap_frame(const uint8_t* data, size_t size, HapRead mode,
                              uint64_t max_texture_bytes) {
  if (data == nullptr && size != 0) reject("no data");
  const Section outer = read_section(data, size, "frame");
  if (outer.total_bytes != size) reject("bytes after the frame's section");
  HapFrameLayout frame;
  if (outer.type != 0x0D) {
    frame.textures.push_back(read_texture(outer, mode, max_texture_bytes));
    return frame;
  }
  frame.multiple_images = true;
  frame.outer_long_header = outer.long_header;
  const uint8_t* p = outer.body;
  size_t left = outer.body_bytes;
  while (left > 0) {
    const Section inner = read_section(p, left, "image");
    frame.textures.push_back(read_texture(inner, mode, max_texture_bytes));
    p += inner.total_bytes;
    left -= inner.total_bytes;
  }
  if (frame.textures.empty()) reject("multiple-images section without images");
  return frame;
}

}  // namespace orvex_inspect
