#pragma once
// Decoded video frames to the host layout (8-bit ARGB, or 16-bit ARGB with maximum 32768).
// YUV: libswscale upsamples the chroma to 4:4:4 at 16 bits (accurate rounding), then the
// matrix and range from the frame's tags (or the user's choice) give RGB in floating point,
// rounded once (integers for 8-bit output). libswscale's own accurate RGB output costs two and
// a half times as much for 8 bits and leaves 16-bit white 0.4 % low. RGB, palette and grey:
// libswscale converts directly. Then the rotation the source asks for. Frames whose size changed
// midway are scaled to the first size.

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

#include <cstdint>
#include <optional>
#include <vector>

#include "cli/av_support.h"
#include "cli/frame_source.h"

namespace orvex_cli {

// 16-bit sample (0..65535) to the host's 16-bit range (0..32768), rounded to nearest.
inline uint16_t to_host16(uint16_t v) {
  return static_cast<uint16_t>((uint32_t{v} * 32768u + 32767u) / 65535u);
}

// Quarter turns clockwise applied to every frame.
enum class Rotation { None = 0, Quarter = 1, Half = 2, ThreeQuarters = 3 };

// The user's overrides of the source's colour tags.
struct ColourOverrides {
  std::optional<AVColorSpace> matrix;  // AVCOL_SPC_BT470BG (BT.601), BT709 or BT2020_NCL
  std::optional<bool> full_range;      // --range pc / tv
};

// How a frame's YUV values become RGB.
struct ColourDetails {
  AVColorSpace matrix = AVCOL_SPC_BT470BG;  // BT.601 coefficients
  bool full_range = false;                  // source range (the output is always full range)
  bool operator==(const ColourDetails&) const = default;
};

// The matrix and range of a frame of `format` `height_px` lines high with the given tags.
// Untagged YUV is limited range, BT.709 from 720 lines up and BT.601 below, as players take it;
// RGB is full range; grey without chroma is full range unless tagged limited.
ColourDetails colour_details(AVPixelFormat format, AVColorSpace matrix_tag, AVColorRange range_tag,
                             uint32_t height_px, const ColourOverrides& overrides);

// Rotation from a display matrix (nullptr: none); nullopt when it is not a quarter turn.
std::optional<Rotation> rotation_of(const int32_t* display_matrix);

class VideoConverter {
 public:
  // Frames of width x height (as decoded) become host frames, rotated by `rotation` (a quarter
  // or three-quarter turn swaps the output's width and height).
  VideoConverter(uint32_t width_px, uint32_t height_px, bool deep, Rotation rotation,
                 ColourOverrides overrides);
  // Converts `frame` into a buffer owned by the converter, valid until the next call. Returns
  // false when the frame's size differs from the first (it is scaled to that size all the
  // same). Throws std::runtime_error when libswscale cannot convert the pixel format.
  bool convert(const AVFrame& frame, HostFrame& out);

 private:
  struct Key {
    int width = 0, height = 0, format = -1;
    ColourDetails colour;
    bool operator==(const Key&) const = default;
  };
  void configure(const Key& key);
  void yuv_to_host(uint8_t* dst, size_t dst_row) const;
  void rgba64_to_host(uint8_t* dst, size_t dst_row) const;

  uint32_t width_px_, height_px_;  // as decoded, before the rotation
  bool deep_;
  Rotation rotation_;
  ColourOverrides overrides_;
  Key key_;
  bool yuv_ = false;        // the configured source is YUV: staged as 4:4:4 16-bit planes
  uint32_t yuv_depth_ = 8;  // bits of the source's YUV samples
  std::unique_ptr<SwsContext, SwsCloser> sws_;
  FramePtr stage_;                // libswscale's output
  std::vector<uint8_t> upright_;  // host layout before the rotation
  std::vector<uint8_t> host_;     // host layout after the rotation
};

}  // namespace orvex_cli
