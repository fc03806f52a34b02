// Pixel conversion of decoded frames to the host layout.
#include "cli/video_converter.h"

extern "C" {
#include <libavutil/display.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

namespace orvex_cli {
namespace {

// Accurate rounding and full horizontal chroma interpolation: the fast paths are off by up to
// two levels on limited-range YUV (Y 235 gave 253). Bit-exact keeps the result independent
// of the processor's vector code. The filter only matters for chroma upsampling and scaling.
constexpr int kSwsFlags = SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT | SWS_BITEXACT;

int sws_matrix_for(AVColorSpace matrix) {
  switch (matrix) {
    case AVCOL_SPC_BT709:
      return SWS_CS_ITU709;
    case AVCOL_SPC_FCC:
      return SWS_CS_FCC;
    case AVCOL_SPC_SMPTE240M:
      return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
      return SWS_CS_BT2020;
    default:
      return SWS_CS_ITU601;
  }
}

void noop_free(void*, uint8_t*) {}

// Points `frame` at `buffer` (rows of row_bytes) without giving it ownership.
void describe(AVFrame& frame, std::vector<uint8_t>& buffer, size_t row_bytes, int width,
              int height, AVPixelFormat format) {
  av_frame_unref(&frame);
  frame.buf[0] = av_buffer_create(buffer.data(), buffer.size(), noop_free, nullptr, 0);
  if (!frame.buf[0]) throw std::bad_alloc();
  frame.data[0] = buffer.data();
  frame.linesize[0] = static_cast<int>(row_bytes);
  frame.width = width;
  frame.height = height;
  frame.format = format;
}

uint16_t load16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
void store16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v & 0xFF);
  p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

ColourDetails colour_details(AVPixelFormat format, AVColorSpace matrix_tag,
                             AVColorRange range_tag, uint32_t height_px,
                             const ColourOverrides& overrides) {
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
  const bool rgb = desc && (desc->flags & AV_PIX_FMT_FLAG_RGB);
  const bool grey = desc && !rgb && desc->nb_components <= 2;
  ColourDetails d;
  if (rgb) {
    d.full_range = true;
    return d;
  }
  const bool jpeg = format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P ||
                    format == AV_PIX_FMT_YUVJ444P || format == AV_PIX_FMT_YUVJ440P ||
                    format == AV_PIX_FMT_YUVJ411P;
  d.full_range = overrides.full_range.value_or(range_tag == AVCOL_RANGE_JPEG || jpeg ||
                                               (grey && range_tag != AVCOL_RANGE_MPEG));
  AVColorSpace matrix = overrides.matrix.value_or(matrix_tag);
  if (matrix == AVCOL_SPC_UNSPECIFIED || matrix == AVCOL_SPC_RESERVED) {
    matrix = height_px >= 720 ? AVCOL_SPC_BT709 : AVCOL_SPC_BT470BG;
  }
  d.sws_matrix = sws_matrix_for(matrix);
  return d;
}

std::optional<Rotation> rotation_of(const int32_t* display_matrix) {
  if (!display_matrix) return Rotation::None;
  // The matrix turns counter-clockwise by the angle it reports; players undo it clockwise.
  const double angle = -av_display_rotation_get(display_matrix);
  if (std::isnan(angle)) return std::nullopt;
  double turns = angle / 90.0;
  const double nearest = std::round(turns);
  if (std::fabs(turns - nearest) > 0.01) return std::nullopt;
  const long quarter = ((std::lround(nearest) % 4) + 4) % 4;
  return static_cast<Rotation>(quarter);
}

VideoConverter::VideoConverter(uint32_t width_px, uint32_t height_px, bool deep,
                               Rotation rotation, ColourOverrides overrides)
    : width_px_(width_px),
      height_px_(height_px),
      deep_(deep),
      rotation_(rotation),
      overrides_(overrides),
      target_(alloc_frame()) {}

void VideoConverter::configure(const Key& key) {
  sws_.reset(sws_alloc_context());
  if (!sws_) throw std::bad_alloc();
  SwsContext* c = sws_.get();
  av_opt_set_int(c, "srcw", key.width, 0);
  av_opt_set_int(c, "srch", key.height, 0);
  av_opt_set_int(c, "src_format", key.format, 0);
  av_opt_set_int(c, "dstw", width_px_, 0);
  av_opt_set_int(c, "dsth", height_px_, 0);
  av_opt_set_int(c, "dst_format", deep_ ? AV_PIX_FMT_RGBA64LE : AV_PIX_FMT_ARGB, 0);
  av_opt_set_int(c, "sws_flags", kSwsFlags, 0);
  av_opt_set_int(c, "threads", 0, 0);  // slices on every processor; the result is the same
  int err = sws_init_context(c, nullptr, nullptr);
  if (err >= 0) {
    err = sws_setColorspaceDetails(c, sws_getCoefficients(key.colour.sws_matrix),
                                   key.colour.full_range ? 1 : 0,
                                   sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
  }
  if (err < 0) {
    sws_.reset();
    const char* name = av_get_pix_fmt_name(static_cast<AVPixelFormat>(key.format));
    throw std::runtime_error(std::string("cannot convert pixels from ") + (name ? name : "?"));
  }
  key_ = key;
}

bool VideoConverter::convert(const AVFrame& frame, HostFrame& out) {
  const auto format = static_cast<AVPixelFormat>(frame.format);
  const Key key{frame.width, frame.height, frame.format,
                colour_details(format, frame.colorspace, frame.color_range,
                               static_cast<uint32_t>(frame.height), overrides_)};
  if (!sws_ || !(key == key_)) configure(key);

  const size_t pixel_bytes = deep_ ? 8 : 4;
  const auto row_bytes_for = [&](size_t width) { return (width * pixel_bytes + 31) & ~size_t{31}; };
  const size_t scaled_row = row_bytes_for(width_px_);
  scaled_.resize(scaled_row * height_px_);
  describe(*target_, scaled_, scaled_row, static_cast<int>(width_px_),
           static_cast<int>(height_px_), deep_ ? AV_PIX_FMT_RGBA64LE : AV_PIX_FMT_ARGB);
  const int err = sws_scale_frame(sws_.get(), target_.get(), &frame);
  av_frame_unref(target_.get());
  if (err < 0) throw std::runtime_error("cannot convert the video: " + av_error_text(err));

  const bool same_size = frame.width == int(width_px_) && frame.height == int(height_px_);
  if (!deep_ && rotation_ == Rotation::None) {
    out.pixels = scaled_.data();
    out.row_bytes = scaled_row;
    return same_size;
  }
  // Rotate and/or repack. Output pixel (x, y) reads source pixel (sx, sy).
  const bool swap = rotation_ == Rotation::Quarter || rotation_ == Rotation::ThreeQuarters;
  const size_t out_w = swap ? height_px_ : width_px_, out_h = swap ? width_px_ : height_px_;
  const size_t host_row = row_bytes_for(out_w);
  host_.resize(host_row * out_h);
  const size_t w = width_px_, h = height_px_;
  for (size_t y = 0; y < out_h; ++y) {
    uint8_t* dst = host_.data() + host_row * y;
    for (size_t x = 0; x < out_w; ++x, dst += pixel_bytes) {
      size_t sx = x, sy = y;
      switch (rotation_) {
        case Rotation::None:
          break;
        case Rotation::Quarter:  // clockwise: the source's left column becomes the top row
          sx = y, sy = h - 1 - x;
          break;
        case Rotation::Half:
          sx = w - 1 - x, sy = h - 1 - y;
          break;
        case Rotation::ThreeQuarters:
          sx = w - 1 - y, sy = x;
          break;
      }
      const uint8_t* src = scaled_.data() + scaled_row * sy + pixel_bytes * sx;
      if (!deep_) {
        std::memcpy(dst, src, 4);
        continue;
      }
      // RGBA64LE to the host's A, R, G, B with 65535 -> 32768.
      store16(dst + 0, to_host16(load16(src + 6)));
      store16(dst + 2, to_host16(load16(src + 0)));
      store16(dst + 4, to_host16(load16(src + 2)));
      store16(dst + 6, to_host16(load16(src + 4)));
    }
  }
  out.pixels = host_.data();
  out.row_bytes = host_row;
  return same_size;
}

}  // namespace orvex_cli
