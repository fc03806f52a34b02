#pragma once
// Deterministic photographic-looking test pictures: smooth gradients, soft shapes, texture mostly
// in luminance, hard edges, mild noise, and a varied alpha channel (host layouts: test_frames.h).
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex_test {

// w x h RGBA8 pixels (R, G, B, A per pixel). The same seed gives the same picture.
std::vector<uint8_t> synthetic_scene_rgba(size_t width, size_t height, uint32_t seed);

}  // namespace orvex_test
