#pragma once
// Writes a picture as a PNG file through libavcodec's PNG encoder.

#include <cstdint>
#include <string>

namespace orvex_cli {

// `channels` 1 (grey), 3 (RGB) or 4 (RGBA) of each RGBA8 pixel of `rgba` (width x height,
// rows top first) are written: grey takes R. Throws std::runtime_error naming the path.
void write_png(const std::string& path, const uint8_t* rgba, uint32_t width, uint32_t height,
               uint32_t channels);

}  // namespace orvex_cli
