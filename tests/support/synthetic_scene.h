#pragma once
// Deterministic natural-looking test pictures (smooth gradients, soft shapes, fine texture, hard
// edges, mild noise) with a varied alpha channel, in the host pixel layouts the encoders read.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex_test {

// w x h RGBA8 pixels (R, G, B, A per pixel). The same seed gives the same picture.
std::vector<uint8_t> synthetic_scene_rgba(size_t width, size_t height, uint32_t seed);

// RGBA8 to host 8-bit ARGB (bytes A, R, G, B).
std::vector<uint8_t> rgba_to_argb8(const std::vector<uint8_t>& rgba);

// RGBA8 to host 16-bit ARGB (little-endian A, R, G, B, full scale 32768): v -> round(v * 32768 /
// 255), so that the 8-bit reading of every sample gives v back.
std::vector<uint8_t> rgba_to_argb16_host(const std::vector<uint8_t>& rgba);

}  // namespace orvex_test
