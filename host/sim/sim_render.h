#pragma once
// One render as the host plays it: create the output target's options, set the user's choices,
// flatten and re-inflate them as a project round trip does, describe, ask the depths, create the
// file when it is reserved, start adding, hand over frames and sound interleaved (each frame's
// sound in chunks of at most one second), end adding, dispose of the options.
#include <cstdint>
#include <string>
#include <vector>

#include "host/sim/sim_host.h"

namespace orvex_sim {

struct RenderRequest {
  // The user's choices, written into the options record as the dialog stores them.
  uint32_t codec = 0;  // 0 Hap, 1 Hap Alpha, 2 Hap Q, 3 Hap Q Alpha, 4 Alpha-Only, 5 Hap R
  uint32_t quality = 2;
  bool snappy = true;
  uint32_t chunks = 8;
  uint32_t frame_mode = 1;  // 1 several frames at a time, 2 one at a time
  int frames = 10;
  TargetValues target;              // size, depth, rate, audio layout and any query failures
  PF_PixelFormat world_format = 0;  // 0: from the depth (8-bit, 16-bit or float)
  A_long world_width = 0, world_height = 0;  // 0: the output size
  bool project_round_trip = true;
  bool flat_picture = false;  // one grey instead of the moving picture
  bool keep_audio = true;     // keep a copy of every sample byte handed over
  bool abandon = false;       // stop after the last frame without ending the render
};

struct RenderResult {
  A_Err init = 0, flatten = 0, info = 0, depths = 0;
  std::string description;
  A_long depth_flags = 0;
  A_Err start = 0;
  std::vector<A_Err> frame_results;
  std::vector<A_Err> sound_results;
  A_Err end = 0;
  std::vector<uint8_t> audio;  // every sample byte handed over, in order (when kept)
  bool started() const { return start == 0; }
  bool all_ok() const;
};

PF_PixelFormat world_format_for_depth(int depth_bits);
bool depth_has_alpha(int depth_bits);

// Writes the user's five choices into a live options record (the 48-byte host block).
void write_choices(MemBlock& record, const RenderRequest& request);

RenderResult run_render(Host& host, const RenderRequest& request);

}  // namespace orvex_sim
