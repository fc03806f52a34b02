#pragma once
// Walking QuickTime atoms held in memory. An atom is a 32-bit big-endian size (header included)
// and a four-character type; size 1 means a 64-bit size follows the type (16-byte header).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvex_inspect {

using Bytes = std::vector<uint8_t>;

// One atom inside a byte buffer: where it starts, its total size and its header length.
struct AtomRef {
  size_t offset = 0;
  uint64_t size = 0;
  size_t header = 8;
  std::string type;
  size_t body() const { return offset + header; }
  size_t end() const { return offset + size; }
  size_t body_bytes() const { return size - header; }
};

enum class AtomWalk {
  lenient,  // stop quietly at the first atom that does not fit
  strict,   // throw std::runtime_error naming the atom that does not fit its parent
};

// Atoms laid directly in [begin, end) of `data` (REQUIRES: end <= data.size()). A trailing
// 32-bit zero (the terminator some containers end with) is accepted in both modes.
std::vector<AtomRef> list_atoms(const Bytes& data, size_t begin, size_t end,
                                AtomWalk walk = AtomWalk::lenient);
// Descends a path such as "moov/trak:1/mdia/minf/stbl/stsz" (":n" picks the n-th atom of
// that type, counting from 0) from the top level of `data`. Throws when missing.
AtomRef find_atom(const Bytes& data, const std::string& path);
// True when the path exists.
bool has_atom(const Bytes& data, const std::string& path);

}  // namespace orvex_inspect
