#pragma once
// Procedural test frames: natural-looking RGBA8 content (smooth gradients, soft noise, hard edges,
// thin lines) and its conversion to the host's 8-bit and 16-bit ARGB pixel layouts.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex_test {

// width x height RGBA8 pixels, deterministic for a seed on every platform. Alpha varies smoothly
// with some hard-edged shapes, so the same frame serves colour and alpha tests.
std::vector<uint8_t> natural_rgba(uint32_t width, uint32_t height, uint32_t seed = 1);

// Motion-graphics content of the six pure hues (red, green, blue, cyan, magenta, yellow), opaque
// RGBA8. Top half: a hue sweep, then a ramp band per pair of hues (2 levels a pixel, back and
// forth). Bottom half: a tile per pair, vertical then horizontal stripes 7 pixels wide, so edges
// fall at every offset within a block. A channel both hues share varies slowly along the ramp or
// edge (0 as 128..131, 255 as 252..255), never across it.
std::vector<uint8_t> pure_hues_rgba(uint32_t width, uint32_t height);

// Host 8-bit ARGB (bytes A, R, G, B), rows of 4 x width bytes.
std::vector<uint8_t> rgba_to_argb8(const std::vector<uint8_t>& rgba);

// Host 16-bit ARGB (little-endian A, R, G, B, full scale 32768), rows of 8 x width bytes:
// v -> round(v * 32768 / 255), which the host's 16-to-8-bit reduction maps back to v.
std::vector<uint8_t> rgba_to_argb16_host(const std::vector<uint8_t>& rgba);

}  // namespace orvex_test
