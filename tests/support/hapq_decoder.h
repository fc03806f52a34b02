#pragma once
// Test decoder, written from the public block format, of the scaled-YCoCg textures (Hap Q) to
// RGBA8 images. It reads the colour half of each DXT5 block in four-colour mode whatever the
// endpoint order, as the format requires.
//
// Scaled YCoCg: the colour half holds Co in red, Cg in green and the chroma scale code in blue
// (scale = blue8 / 8 + 1: codes 0, 1, 3 give 1, 2, 4); the alpha half holds Y. With
// Co = (red8 - 128) / scale and Cg = (green8 - 128) / scale: R = Y + Co - Cg, G = Y + Cg,
// B = Y - Co - Cg (rounded, clamped).
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex_test {

// Hap Q texture (ceil(w/4) x ceil(h/4) blocks of 16 bytes, row-major) to w x h RGBA8, alpha 255.
std::vector<uint8_t> decode_hapq_texture(const uint8_t* data, size_t width, size_t height);

}  // namespace orvex_test
