#pragma once
// S3TC colour blocks: DXT1 (BC1) and DXT5 (BC3), decoded to RGBA8.
//
// A colour block is 8 bytes: two RGB565 endpoints c0, c1 (little-endian) and sixteen 2-bit
// indices (pixel 0 in the lowest bits). The format defines the palette as real values; the 8-bit
// arithmetic here is FFmpeg's Hap decoder's, bit for bit (checked on random blocks of every
// endpoint pair), so that quality figures match `ffmpeg -lavfi psnr`:
//   endpoint channels widen as ((x >> 5) + x) >> 5 with x = 255 c + 16 (5 bits) and
//   ((x >> 6) + x) >> 6 with x = 255 c + 32 (6 bits), near 255 c / 31 and 255 c / 63;
//   four-colour mode (c0 > c1, or always in DXT5): (2 e0 + e1) / 3 and (e0 + 2 e1) / 3 truncated;
//   three-colour mode (DXT1 with c0 <= c1): (e0 + e1) / 2 truncated, and index 3 transparent black.
// Other decoders (GPUs, squish's bit replication) differ by one or two levels.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex_inspect {

// One DXT1 block to 16 RGBA8 pixels in raster order. Alpha is 255 except for the three-colour
// mode's index 3 (alpha 0).
void decode_dxt1_block(const uint8_t block[8], uint8_t rgba[64]);

// One DXT5 block (bytes 0-7 the alpha block, 8-15 the colour block, read in four-colour mode
// whatever the endpoint order) to 16 RGBA8 pixels.
void decode_dxt5_block(const uint8_t block[16], uint8_t rgba[64]);

// Textures of ceil(w/4) x ceil(h/4) blocks in row-major order to w x h RGBA8 images. `opaque`
// gives every DXT1 pixel alpha 255 (the RGB form of the format, as Hap stores it).
std::vector<uint8_t> decode_dxt1_texture(const uint8_t* blocks, size_t width, size_t height,
                                         bool opaque = false);
std::vector<uint8_t> decode_dxt5_texture(const uint8_t* blocks, size_t width, size_t height);

}  // namespace orvex_inspect
