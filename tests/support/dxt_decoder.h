#pragma once
// DXT1 (S3TC BC1) colour block decoder for tests: both palette modes, whole textures to RGBA8.
// Independent of the encoder: written from the public block format.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex_test {

// Decodes one 8-byte colour block to 16 RGBA8 pixels in raster order. Colour 0 > colour 1 gives
// the four-colour palette (c0, c1, (2 c0 + c1) / 3, (c0 + 2 c1) / 3); otherwise the three-colour
// palette (c0, c1, (c0 + c1) / 2, transparent black). Alpha is 255 except for that last entry.
void decode_dxt1_block(const uint8_t block[8], uint8_t rgba[64]);

// Decodes a texture of ceil(width / 4) x ceil(height / 4) blocks in row-major order into a
// width x height RGBA8 image.
std::vector<uint8_t> decode_dxt1_texture(const uint8_t* texture, uint32_t width, uint32_t height);

}  // namespace orvex_test
