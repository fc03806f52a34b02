#pragma once
// A parsed Hap frame to its picture: the textures checked against the variant and the frame size,
// then decoded to RGBA8 (Hap Alpha-Only: the matte as grey, R = G = B, alpha 255; opaque variants:
// alpha 255).
#include <cstdint>
#include <string>
#include <vector>

#include "inspect/hap_frame_reader.h"
#include "inspect/hap_variants.h"

namespace orvex_inspect {

// The first way the frame's textures differ from what `variant` at width x height holds (count,
// format, length), or an empty string.
std::string hap_texture_fault(const HapVariant& variant, const HapFrameLayout& frame,
                              uint32_t width, uint32_t height);

// The longest texture of the variant at this size: the limit to read its frames with.
uint64_t hap_max_texture_bytes(const HapVariant& variant, uint32_t width, uint32_t height);

// width x height RGBA8 pixels. REQUIRES: the frame was read with HapRead::textures. Throws
// std::runtime_error("malformed Hap frame: <fault>") when hap_texture_fault finds one.
std::vector<uint8_t> decode_hap_picture(const HapVariant& variant, const HapFrameLayout& frame,
                                        uint32_t width, uint32_t height);

}  // namespace orvex_inspect
