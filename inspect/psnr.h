#pragma once
// Peak signal-to-noise ratio of 8-bit pictures (peak 255), as FFmpeg's psnr filter defines it
// for a sequence: each frame's mean squared error per channel, those averaged over the frames,
// then 10 log10(255^2 / mean). Identical inputs give +infinity.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex_inspect {

// PSNR in dB over `count` samples taken every `step` bytes from `a` and `b` (step 4 with an
// offset picks one channel of RGBA).
double psnr(const uint8_t* a, const uint8_t* b, size_t count, size_t step = 1);

// PSNR over the R, G and B channels of two RGBA8 images of `pixels` pixels.
double psnr_rgb(const uint8_t* rgba_a, const uint8_t* rgba_b, size_t pixels);

// PSNR over the A channel of two RGBA8 images of `pixels` pixels.
double psnr_alpha(const uint8_t* rgba_a, const uint8_t* rgba_b, size_t pixels);

// 10 log10(255^2 / mse), +infinity for 0.
double psnr_of_mse(double mse);

// Per-channel PSNR over frames, with the worst frame.
class PsnrMeter {
 public:
  // Compares the first `channels` channels of each pixel of `decoded` (RGBA8) and `reference`
  // (RGBA in 0..255 units, real-valued so that deeper sources are not rounded first). Every
  // frame compares the same number of channels.
  void add_frame(const uint8_t* decoded, const float* reference, size_t pixels, uint32_t channels);

  size_t frames() const { return frames_; }
  double channel_psnr(uint32_t c) const;               // c < the channel count of the frames
  double average_psnr() const;                         // the channels' mean squared error averaged
  size_t worst_frame() const { return worst_frame_; }  // lowest average PSNR, first if tied
  double worst_frame_psnr() const { return psnr_of_mse(worst_mse_); }

 private:
  std::vector<double> mse_sum_;  // per channel, over frames
  size_t frames_ = 0;
  size_t worst_frame_ = 0;
  double worst_mse_ = -1.0;
};

}  // namespace orvex_inspect
