#pragma once
// Helpers for checking written movies: a temporary directory, a command runner that captures
// binary standard output, a small QuickTime atom walker, ffprobe stream fields and hand-made
// Hap1 frames of one solid colour.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace orvex_test {

using Bytes = std::vector<uint8_t>;

// A fresh directory under /tmp, removed with its contents on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Runs `command` through the shell; returns its standard output. `status` gets the exit code.
std::string run_command(const std::string& command, int* status = nullptr);

Bytes read_file(const std::string& path);

uint32_t be32(const uint8_t* p);
uint64_t be64(const uint8_t* p);

// One atom inside a byte buffer: where it starts, its total size and its header length.
struct AtomRef {
  size_t offset = 0;
  uint64_t size = 0;
  size_t header = 8;
  std::string type;
  size_t body() const { return offset + header; }
  size_t end() const { return offset + size; }
};

// Atoms laid directly in [begin, end) of `data`.
std::vector<AtomRef> list_atoms(const Bytes& data, size_t begin, size_t end);
// Descends a path such as "moov/trak:1/mdia/minf/stbl/stsz" (":n" picks the n-th atom of
// that type, counting from 0) from the top level of `data`. Throws when missing.
AtomRef find_atom(const Bytes& data, const std::string& path);
// True when the path exists.
bool has_atom(const Bytes& data, const std::string& path);

// The top-level atom `type` of a file read with seeks (works for files beyond 4 GiB).
Bytes read_top_level_atom(const std::string& path, const std::string& type);

// key=value fields of one stream as reported by ffprobe (e.g. stream "v:0", "a:1").
std::map<std::string, std::string> ffprobe_stream(const std::string& movie,
                                                  const std::string& stream);

// A Hap1 frame: 4-byte section header (24-bit little-endian length, type 0xAB = DXT1, no
// second-stage compression) then DXT1 blocks whose two endpoints are `rgb565`, indices 0.
Bytes hap1_solid_frame(uint32_t width, uint32_t height, uint16_t rgb565);

}  // namespace orvex_test
