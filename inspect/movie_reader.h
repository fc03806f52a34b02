#pragma once
// Reads the index of a QuickTime movie: the top-level atoms (walked with seeks, so files of any
// size), the media data ranges and, from the `moov` atom, every track with its header, media
// header, handler, first sample description and sample tables. Sample data is read on demand.
//
// Hostile input: every size and count is checked against the bytes that hold it before use, so
// a damaged file gives a std::runtime_error naming the fault, never a read outside the data or
// an allocation larger than the index itself.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "inspect/sample_tables.h"

namespace orvex_inspect {

struct VideoFormat {
  uint16_t width = 0, height = 0, depth = 0;
  std::string compressor;           // compressor name
  uint32_t pasp_h = 0, pasp_v = 0;  // pixel aspect (pasp), 0 when absent
  bool gama = false;                // a gama extension is present
};

struct SoundFormat {
  uint16_t version = 0;  // sound description version 0, 1 or 2
  uint32_t channels = 0;
  double rate_hz = 0;
  uint32_t bits = 0;
  bool is_float = false;
  bool little_endian = false;
  uint32_t bytes_per_frame = 0;  // bytes of one sample frame (all channels); 0 when unknown
};

struct TimecodeFormat {
  uint32_t flags = 0;  // bit 0: drop frame
  uint32_t timescale = 0, frame_duration = 0;
  uint32_t frames = 0;  // frames per second as counted by the timecode
};

struct Track {
  uint32_t id = 0;
  std::string handler;          // media handler subtype: "vide", "soun", "tmcd", ...
  uint64_t track_duration = 0;  // tkhd, in movie time units
  uint32_t media_timescale = 0;
  uint64_t media_duration = 0;
  std::string format;  // four-character code of the first sample description
  uint32_t descriptions = 0;
  VideoFormat video;
  SoundFormat sound;
  TimecodeFormat timecode;
  SampleTables tables;
  std::vector<uint32_t> timecode_refs;  // tref/tmcd track IDs
};

struct Movie {
  uint64_t file_bytes = 0;
  std::vector<FileRange> media_data;  // payload of each mdat atom
  uint32_t timescale = 0;
  uint64_t duration = 0;
  std::vector<Track> tracks;
};

class MovieReader {
 public:
  // Opens the file and reads its index. Throws std::runtime_error ("cannot open the file: ...",
  // or the first structural fault of the file or index); messages do not repeat the path.
  explicit MovieReader(const std::string& path);
  ~MovieReader();
  MovieReader(const MovieReader&) = delete;
  MovieReader& operator=(const MovieReader&) = delete;

  const Movie& movie() const { return movie_; }
  // Reads `range` into `out`. Throws when the range lies outside the file or the read fails.
  void read(FileRange range, std::vector<uint8_t>& out);

 private:
  std::FILE* file_ = nullptr;
  Movie movie_;
};

// The top-level atom `type` of a file (the whole atom, header included), or an empty vector.
std::vector<uint8_t> read_top_level_atom(const std::string& path, const std::string& type);

}  // namespace orvex_inspect
