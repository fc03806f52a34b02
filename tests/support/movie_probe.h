#pragma once
// Helpers for checking written movies: a temporary directory, a command runner that captures
// binary standard output, ffprobe stream fields and hand-made Hap1 frames of one solid colour.
// The atom walk is the product's (inspect/), named here for the tests.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "inspect/atom_reader.h"
#include "inspect/byte_order.h"
#include "inspect/movie_reader.h"

namespace orvex_test {

using orvex_inspect::be32;
using orvex_inspect::be64;
using orvex_inspect::Bytes;
using orvex_inspect::find_atom;
using orvex_inspect::has_atom;
using orvex_inspect::list_atoms;
using orvex_inspect::read_top_level_atom;

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

// key=value fields of one stream as reported by ffprobe (e.g. stream "v:0", "a:1").
std::map<std::string, std::string> ffprobe_stream(const std::string& movie,
                                                  const std::string& stream);

// A Hap1 frame: 4-byte section header (24-bit little-endian length, type 0xAB = DXT1, no
// second-stage compression) then DXT1 blocks whose two endpoints are `rgb565`, indices 0.
Bytes hap1_solid_frame(uint32_t width, uint32_t height, uint16_t rgb565);

}  // namespace orvex_test
