#pragma once
// What the frames of a Hap movie look like, summarised over all frames: the section structures
// and chunk counts met (with how many frames have each), texture against stored bytes, and how
// much of the texture Snappy holds.
#include <cstdint>
#include <map>
#include <string>

#include "inspect/hap_frame_reader.h"

namespace orvex_inspect {

// "chunked YCoCg DXT5 (0xCF)"; two textures: "multiple images (0x0D): <first> + <second>";
// "(8-byte headers)" is added when any header of the frame uses the long form.
std::string describe_frame_layout(const HapFrameLayout& frame);
// Chunks per texture: "8", "8 + 1"; a texture stored whole counts 1.
std::string describe_chunk_counts(const HapFrameLayout& frame);

struct FrameSummary {
  uint64_t frames = 0;
  std::map<std::string, uint64_t> layouts;       // describe_frame_layout -> frames
  std::map<std::string, uint64_t> chunk_counts;  // describe_chunk_counts -> frames
  uint64_t texture_bytes = 0;                    // decoded texture bytes, all frames
  uint64_t stored_bytes = 0;                     // sample bytes in the file, all frames
  uint64_t snappy_texture_bytes = 0;             // texture bytes held in Snappy blocks
  uint64_t chunks = 0, snappy_chunks = 0;
  uint64_t min_frame_bytes = 0, max_frame_bytes = 0;

  // Adds a frame read (at least) with HapRead::layout, stored in `sample_bytes` bytes.
  void add(const HapFrameLayout& frame, uint64_t sample_bytes);
};

}  // namespace orvex_inspect
