#pragma once
// Peak signal-to-noise ratio between two images of 8-bit samples, for quality floors in tests.
#include <cstddef>
#include <cstdint>

namespace orvex_test {

// PSNR in dB over `count` samples taken every `step` bytes from `a` and `b` (step 4 with an
// offset picks one channel of RGBA). Identical inputs give +infinity.
double psnr(const uint8_t* a, const uint8_t* b, size_t count, size_t step = 1);

// PSNR over the R, G and B channels of two RGBA8 images of `pixels` pixels.
double psnr_rgb(const uint8_t* rgba_a, const uint8_t* rgba_b, size_t pixels);

// PSNR over the A channel of two RGBA8 images of `pixels` pixels.
double psnr_alpha(const uint8_t* rgba_a, const uint8_t* rgba_b, size_t pixels);

}  // namespace orvex_test
