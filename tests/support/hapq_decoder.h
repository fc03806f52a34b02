#pragma once
// Test decoders, written from the public block formats, of the DXT5 textures (Hap Alpha) and of
// the scaled-YCoCg textures (Hap Q), to RGBA8 images. Both read the colour half of a DXT5 block in
// four-colour mode whatever the endpoint order, as the format requires.
//
// Scaled YCoCg: the colour half holds Co in red, Cg in green and the chroma scale code in blue
// (scale = blue8 / 8 + 1: codes 0, 1, 3 give 1, 2, 4); the alpha half holds Y. With
// Co = (red8 - 128) / scale and Cg = (green8 - 128) / scale: R = Y + Co - Cg, G = Y + Cg,
// B = Y - Co - Cg (rounded, clamped).
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex_test {

// DXT5 texture (ceil(w/4) x ceil(h/4) blocks of 16 bytes, row-major) to w x h RGBA8.
std::vector<uint8_t> decode_dxt5_texture(const uint8_t* data, size_t width, size_t height);

// Hap Q texture to w x h RGBA8, alpha 255.
std::vector<uint8_t> decode_hapq_texture(const uint8_t* data, size_t width, size_t height);

// Hap Q Alpha texture pair: the Hap Q texture followed directly by an RGTC1 alpha texture of the
// same block grid; to w x h RGBA8.
std::vector<uint8_t> decode_hapq_alpha_textures(const uint8_t* data, size_t width, size_t height);

}  // namespace orvex_test
