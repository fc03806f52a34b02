#pragma once
// Scaled YCoCg textures (Hap Q) to RGBA8.
//
// Each 16-byte block is a DXT5 block: the colour half holds Co in red, Cg in green and the chroma
// scale code in blue (scale = blue / 8 + 1: the codes 0, 1, 3 of the 5-bit channel give 1, 2, 4);
// the alpha half holds Y. With Co = (red - 128) / scale and Cg = (green - 128) / scale in integer
// division (truncated towards zero, as FFmpeg's decoder does): R = Y + Co - Cg, G = Y + Cg,
// B = Y - Co - Cg, clamped to 0..255. The colour half uses the DXT arithmetic of dxt_decoder.h.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex_inspect {

// ceil(w/4) x ceil(h/4) blocks of 16 bytes, row-major, to w x h RGBA8 with alpha 255.
std::vector<uint8_t> decode_ycocg_texture(const uint8_t* blocks, size_t width, size_t height);

}  // namespace orvex_inspect
