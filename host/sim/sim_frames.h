#pragma once
// What the simulated host renders: a smooth moving test picture drawn into 8-bit "argb",
// 16-bit "ae16" (samples 0..32768) or 32-bit float worlds, its 8-bit RGBA reference for
// comparisons, and a tone per channel in any of the host's sample formats.
#include <cstdint>
#include <vector>

#include "host/host_interface.h"

namespace orvex_sim {

// The picture of frame `index` as 8-bit RGBA, `width` x `height`, rows packed. With
// `with_alpha` false the alpha is opaque.
std::vector<uint8_t> pattern_rgba8(int index, int width, int height, bool with_alpha);

// Draws frame `index` into `world` in its pixel format (A, R, G, B order), the same picture
// as pattern_rgba8 at that depth.
void draw_pattern(PF_EffectWorld& world, PF_PixelFormat format, int index, bool with_alpha);

// Fills `world` with one opaque mid grey: a picture whose texture compresses well.
void fill_flat(PF_EffectWorld& world, PF_PixelFormat format);

// `frames` sample frames of interleaved audio for `channels` channels starting at sample frame
// `first`, little-endian, in the host's sound encoding: unsigned (1) or signed (2) integers of
// `sample_bytes` bytes, or 32-bit floats (3). Other combinations give zero bytes of that size.
std::vector<uint8_t> tone(int64_t first, int64_t frames, int channels, int encoding,
                          int sample_bytes, double rate_hz);

}  // namespace orvex_sim
