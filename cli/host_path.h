#pragma once
// Which host pixel path a source takes: more than 8 bits per channel go through the host's 16-bit
// ARGB (0..32768) in texture slot 1, others through 8-bit ARGB in slot 0; a source with alpha is
// 32 (64) bits deep, one without 24 (48), and the sample description says 32 or 24.

#include <cstdint>

#include "cli/frame_source.h"
#include "texture/pixel_formats.h"

namespace orvex_cli {

struct HostPixelPath {
  PixelFormat format;         // ARGB_8 or ARGB_16_HOST
  uint8_t texture_slot;       // 0 or 1
  uint32_t host_depth;        // 24, 32, 48 or 64 bits a pixel
  uint8_t description_depth;  // 24 or 32
};

inline HostPixelPath host_pixel_path(const SourceInfo& info) {
  if (info.deep) return {ARGB_16_HOST, 1, info.alpha ? 64u : 48u, uint8_t(info.alpha ? 32 : 24)};
  return {ARGB_8, 0, info.alpha ? 32u : 24u, uint8_t(info.alpha ? 32 : 24)};
}

}  // namespace orvex_cli
