// Pixel conversion of decoded frames to the host layout.
#include "cli/video_converter.h"

extern "C" {
#include <libavutil/display.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "texture/parallel_for.h"

namespace orvex_cli {
namespace {

// Accurate rounding; bit-exact keeps the result independent of the processor's vector code.
// The filter interpolates the chroma (and scales a frame whose size changed).
constexpr int kSwsFlags = SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT | SWS_BITEXACT;
constexpr uint32_t kBandRows = 16;  // rows per parallel band
// The host's 16-bit samples are little-endian, as the processors this tool runs on.
static_assert(std::endian::native == std::endian::little);

bool is_supported_matrix(AVColorSpace m) {
  switch (m) {
    case AVCOL_SPC_BT709:
    case AVCOL_SPC_FCC:
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
    case AVCOL_SPC_SMPTE240M:
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
      return true;
    default:
      return false;
  }
}

// Luma weights Kr and Kb of a matrix (BT.2020 constant luminance is taken as the usual one).
void luma_weights(AVColorSpace m, double& kr, double& kb) {
  switch (m) {
    case AVCOL_SPC_BT709:
      kr = 0.2126, kb = 0.0722;
      return;
    case AVCOL_SPC_FCC:
      kr = 0.30, kb = 0.11;
      return;
    case AVCOL_SPC_SMPTE240M:
      kr = 0.212, kb = 0.087;
      return;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
      kr = 0.2627, kb = 0.0593;
      return;
    default:
      kr = 0.299, kb = 0.114;
      return;
  }
}

int sws_matrix_for(AVColorSpace m) {
  switch (m) {
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

// YUV formats take the 4:4:4 path; XYZ (digital cinema) is left to libswscale's own conversion.
bool is_yuv(const AVPixFmtDescriptor* desc) {
  return desc &&
         !(desc->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BAYER)) &&
         desc->nb_components >= 3 && std::strncmp(desc->name, "xyz", 3) != 0;
}

uint16_t load16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
void store16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v & 0xFF);
  p[1] = static_cast<uint8_t>(v >> 8);
}

// Calls rows(first, end) over bands of rows on the task scheduler.
template <class Rows>
void for_row_bands(size_t height, const Rows& rows) {
  const auto bands = static_cast<uint32_t>((height + kBandRows - 1) / kBandRows);
  parallel_for_index(0u, bands, [&](uint32_t band) {
    const size_t first = size_t{band} * kBandRows;
    rows(first, std::min(height, first + kBandRows));
  });
}

// Per-channel weights of the YUV to RGB step, in output units (255 or 32768).
struct YuvCoefficients {
  float y, r_v, r_0, g_u, g_v, g_0, b_u, b_0, a, top;
};

// One row of 16-bit Y, U, V (and A unless kAlpha is false) to host pixels of type T (the
// host's 16-bit ARGB). The weights are copied to locals and all four channels are stored in one
// pass, so that the loop vectorises.
template <class T, bool kAlpha>
void yuv_row_to_host(const uint16_t* py, const uint16_t* pu, const uint16_t* pv, const uint16_t* pa,
                     T* out, size_t w, const YuvCoefficients& c) {
  const YuvCoefficients k = c;
  for (size_t x = 0; x < w; ++x) {
    const float fy = k.y * float(py[x]), fu = float(pu[x]), fv = float(pv[x]);
    const float r = fy + k.r_v * fv + k.r_0, g = fy + k.g_u * fu + k.g_v * fv + k.g_0,
                b = fy + k.b_u * fu + k.b_0;
    const float a = kAlpha ? std::min(k.a * float(pa[x]), k.top) : k.top;
    out[4 * x + 0] = T(int(a + 0.5f));
    out[4 * x + 1] = T(int(std::min(std::max(r, 0.0f), k.top) + 0.5f));
    out[4 * x + 2] = T(int(std::min(std::max(g, 0.0f), k.top) + 0.5f));
    out[4 * x + 3] = T(int(std::min(std::max(b, 0.0f), k.top) + 0.5f));
  }
}

// The 8-bit output in integers, twice as fast: 12-bit samples (v16 >> 4) times 16-bit weights
// scaled by 2^16, rounded once; the widening products vectorise on any x86-64. The 12 bits
// keep 8-bit sources exact and the weights' rounding moves a result by under 0.05 of a level.
struct YuvWeights16 {
  int16_t y, r_v, g_u, g_v, b_u, a;
  int32_t r_0, g_0, b_0;
};

template <bool kAlpha>
void yuv_row_to_argb8(const uint16_t* py, const uint16_t* pu, const uint16_t* pv,
                      const uint16_t* pa, uint8_t* out, size_t w, const YuvWeights16& c) {
  const YuvWeights16 k = c;
  constexpr int32_t kHalf = 1 << 15;
  for (size_t x = 0; x < w; ++x) {
    const auto y = int16_t(py[x] >> 4), u = int16_t(pu[x] >> 4), v = int16_t(pv[x] >> 4);
    const int32_t fy = int32_t{k.y} * y + kHalf;
    const int32_t r = (fy + int32_t{k.r_v} * v + k.r_0) >> 16;
    const int32_t g = (fy + int32_t{k.g_u} * u + int32_t{k.g_v} * v + k.g_0) >> 16;
    const int32_t b = (fy + int32_t{k.b_u} * u + k.b_0) >> 16;
    const int32_t a = kAlpha ? (int32_t{k.a} * int16_t(pa[x] >> 4) + kHalf) >> 16 : 255;
    out[4 * x + 0] = uint8_t(std::min(a, 255));
    out[4 * x + 1] = uint8_t(std::clamp(r, 0, 255));
    out[4 * x + 2] = uint8_t(std::clamp(g, 0, 255));
    out[4 * x + 3] = uint8_t(std::clamp(b, 0, 255));
  }
}

// A row of packed 8-bit RGB to host ARGB: R, G, B and A at bytes kR, kG, kB and kA of a pixel
// of kBytes bytes (three bytes: no alpha, opaque).
template <int kBytes, int kR, int kG, int kB, int kA>
void packed_row_to_argb8(const uint8_t* in, uint8_t* out, size_t w) {
  if constexpr (kBytes == 4) {
    // Whole pixels as little-endian words, so that the loop vectorises.
    const auto byte = [](uint32_t v, int i) { return (v >> (8 * i)) & 0xFFu; };
    for (size_t x = 0; x < w; ++x) {
      uint32_t v;
      std::memcpy(&v, in + 4 * x, 4);
      const uint32_t argb = byte(v, kA) | byte(v, kR) << 8 | byte(v, kG) << 16 | byte(v, kB) << 24;
      std::memcpy(out + 4 * x, &argb, 4);
    }
  } else {
    for (size_t x = 0; x < w; ++x, in += kBytes, out += 4) {
      out[0] = 255;
      out[1] = in[kR];
      out[2] = in[kG];
      out[3] = in[kB];
    }
  }
}

using PackedRow = void (*)(const uint8_t*, uint8_t*, size_t);

// The row copier of a packed 8-bit RGB format; null for any other format.
PackedRow packed_row_for(AVPixelFormat format) {
  switch (format) {
    case AV_PIX_FMT_RGBA:
      return packed_row_to_argb8<4, 0, 1, 2, 3>;
    case AV_PIX_FMT_BGRA:
      return packed_row_to_argb8<4, 2, 1, 0, 3>;
    case AV_PIX_FMT_ARGB:
      return packed_row_to_argb8<4, 1, 2, 3, 0>;
    case AV_PIX_FMT_ABGR:
      return packed_row_to_argb8<4, 3, 2, 1, 0>;
    case AV_PIX_FMT_RGB24:
      return packed_row_to_argb8<3, 0, 1, 2, 0>;
    case AV_PIX_FMT_BGR24:
      return packed_row_to_argb8<3, 2, 1, 0, 0>;
    default:
      return nullptr;
  }
}

}  // namespace

ColourDetails colour_details(AVPixelFormat format, AVColorSpace matrix_tag, AVColorRange range_tag,
                             uint32_t height_px, const ColourOverrides& overrides) {
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
  const AVColorSpace matrix = overrides.matrix.value_or(matrix_tag);
  d.matrix = is_supported_matrix(matrix) ? matrix
             : height_px >= 720          ? AVCOL_SPC_BT709
                                         : AVCOL_SPC_BT470BG;
  return d;
}

std::optional<Rotation> rotation_of(const int32_t* display_matrix) {
  if (!display_matrix) return Rotation::None;
  // The matrix turns counter-clockwise by the angle it reports; players undo it clockwise.
  const double angle = -av_display_rotation_get(display_matrix);
  if (std::isnan(angle)) return std::nullopt;
  const double turns = angle / 90.0, nearest = std::round(turns);
  if (std::fabs(turns - nearest) > 0.01) return std::nullopt;
  const long quarter = ((std::lround(nearest) % 4) + 4) % 4;
  return static_cast<Rotation>(quarter);
}

VideoConverter::VideoConverter(uint32_t width_px, uint32_t height_px, bool deep, Rotation rotation,
                               ColourOverrides overrides)
    : width_px_(width_px),
      height_px_(height_px),
      deep_(deep),
      rotation_(rotation),
      overrides_(overrides),
      stage_(alloc_frame()) {}

void VideoConverter::configure(const Key& key) {
  const auto format = static_cast<AVPixelFormat>(key.format);
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
  yuv_ = is_yuv(desc);
  yuv_depth_ = desc ? static_cast<uint32_t>(desc->comp[0].depth) : 8;
  const bool alpha = desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA);
  const AVPixelFormat staged = yuv_    ? (alpha ? AV_PIX_FMT_YUVA444P16LE : AV_PIX_FMT_YUV444P16LE)
                               : deep_ ? AV_PIX_FMT_RGBA64LE
                                       : AV_PIX_FMT_ARGB;
  sws_.reset(sws_alloc_context());
  if (!sws_) throw std::bad_alloc();
  SwsContext* c = sws_.get();
  av_opt_set_int(c, "srcw", key.width, 0);
  av_opt_set_int(c, "srch", key.height, 0);
  av_opt_set_int(c, "src_format", format, 0);
  av_opt_set_int(c, "dstw", width_px_, 0);
  av_opt_set_int(c, "dsth", height_px_, 0);
  av_opt_set_int(c, "dst_format", staged, 0);
  av_opt_set_int(c, "sws_flags", kSwsFlags, 0);
  // One slice: the upsampling is the cheap part, and the matrix below runs in parallel bands.
  av_opt_set_int(c, "threads", 1, 0);
  int err = sws_init_context(c, nullptr, nullptr);
  if (err >= 0) {
    // YUV keeps its range on the way to 4:4:4 (the matrix below reads it); grey and RGB
    // become full-range RGB here.
    const int* coefficients = sws_getCoefficients(sws_matrix_for(key.colour.matrix));
    const int src_range = key.colour.full_range ? 1 : 0;
    err = sws_setColorspaceDetails(c, coefficients, src_range, coefficients, yuv_ ? src_range : 1,
                                   0, 1 << 16, 1 << 16);
  }
  av_frame_unref(stage_.get());
  if (err >= 0) {
    stage_->width = static_cast<int>(width_px_);
    stage_->height = static_cast<int>(height_px_);
    stage_->format = staged;
    err = av_frame_get_buffer(stage_.get(), 32);
  }
  if (err < 0) {
    sws_.reset();
    const char* name = av_get_pix_fmt_name(format);
    throw std::runtime_error(std::string("cannot convert pixels from ") + (name ? name : "?"));
  }
  key_ = key;
}

// 4:4:4 16-bit YUV(A) planes to host ARGB. libswscale widens an n-bit sample by shifting it to
// the top (v16 = v << (16 - n)), so v16 / 256 is the sample on the 8-bit scale: limited range
// puts Y on 16..235 and C on 16..240 around 128; full range puts white (and opaque alpha) at
// (2^n - 1) / 2^(n - 8), which is 255 for 8 bits.
void VideoConverter::yuv_to_host(uint8_t* dst, size_t dst_row) const {
  double kr = 0, kb = 0;
  luma_weights(key_.colour.matrix, kr, kb);
  const double kg = 1 - kr - kb;
  const double full_white =
      (std::ldexp(1.0, int(yuv_depth_)) - 1) / std::ldexp(1.0, int(yuv_depth_) - 8);
  double ay, by, ac, bc;  // L = ay v16 + by (0..1), C = ac v16 + bc (-0.5..0.5)
  if (key_.colour.full_range) {
    ay = 1 / (256 * full_white), by = 0, ac = ay, bc = -128 / full_white;
  } else {
    ay = 1.0 / (256 * 219), by = -16.0 / 219, ac = 1.0 / (256 * 224), bc = -128.0 / 224;
  }
  const double out_max = deep_ ? 32768 : 255;
  const double cr_r = 2 * (1 - kr), cb_b = 2 * (1 - kb);
  const double cr_g = -2 * kr * (1 - kr) / kg, cb_g = -2 * kb * (1 - kb) / kg;
  // Each channel is k_y v_y + k_u v_u + k_v v_v + k_0, in output units.
  const float ky = float(out_max * ay);
  const float r_v = float(out_max * ac * cr_r), r_0 = float(out_max * (by + bc * cr_r));
  const float g_u = float(out_max * ac * cb_g), g_v = float(out_max * ac * cr_g),
              g_0 = float(out_max * (by + bc * (cb_g + cr_g)));
  const float b_u = float(out_max * ac * cb_b), b_0 = float(out_max * (by + bc * cb_b));
  const float ka = float(out_max / (256 * full_white));
  const YuvCoefficients k{ky, r_v, r_0, g_u, g_v, g_0, b_u, b_0, ka, float(out_max)};
  // The same per 12-bit sample, scaled by 2^16.
  const auto w16 = [](double per_v16) { return int16_t(std::lround(per_v16 * 16 * 65536)); };
  const auto o16 = [](double v) { return int32_t(std::lround(v * 65536)); };
  const YuvWeights16 k16{w16(ky), w16(r_v), w16(g_u), w16(g_v), w16(b_u),
                         w16(ka), o16(r_0), o16(g_0), o16(b_0)};
  const AVFrame& s = *stage_;
  const size_t w = width_px_;
  const bool deep = deep_, alpha = s.data[3] != nullptr;
  for_row_bands(height_px_, [&](size_t first, size_t end) {
    for (size_t y = first; y < end; ++y) {
      const auto row = [&](int plane) {
        return reinterpret_cast<const uint16_t*>(s.data[plane] + s.linesize[plane] * y);
      };
      const uint16_t* pa = alpha ? row(3) : nullptr;
      uint8_t* out = dst + dst_row * y;
      if (deep) {
        auto* out16 = reinterpret_cast<uint16_t*>(out);
        if (alpha) {
          yuv_row_to_host<uint16_t, true>(row(0), row(1), row(2), pa, out16, w, k);
        } else {
          yuv_row_to_host<uint16_t, false>(row(0), row(1), row(2), pa, out16, w, k);
        }
      } else if (alpha) {
        yuv_row_to_argb8<true>(row(0), row(1), row(2), pa, out, w, k16);
      } else {
        yuv_row_to_argb8<false>(row(0), row(1), row(2), pa, out, w, k16);
      }
    }
  });
}

// RGBA64LE to the host's A, R, G, B with 65535 -> 32768.
void VideoConverter::rgba64_to_host(uint8_t* dst, size_t dst_row) const {
  const AVFrame& s = *stage_;
  const size_t w = width_px_;
  for_row_bands(height_px_, [&](size_t first, size_t end) {
    for (size_t y = first; y < end; ++y) {
      const uint8_t* in = s.data[0] + s.linesize[0] * y;
      uint8_t* out = dst + dst_row * y;
      for (size_t x = 0; x < w; ++x, in += 8, out += 8) {
        store16(out + 0, to_host16(load16(in + 6)));
        store16(out + 2, to_host16(load16(in + 0)));
        store16(out + 4, to_host16(load16(in + 2)));
        store16(out + 6, to_host16(load16(in + 4)));
      }
    }
  });
}

bool VideoConverter::convert(const AVFrame& frame, HostFrame& out) {
  const auto format = static_cast<AVPixelFormat>(frame.format);
  const Key key{frame.width, frame.height, frame.format,
                colour_details(format, frame.colorspace, frame.color_range,
                               static_cast<uint32_t>(frame.height), overrides_)};
  const bool same_size = frame.width == int(width_px_) && frame.height == int(height_px_);
  const size_t pixel_bytes = deep_ ? 8 : 4;
  const auto row_bytes_for = [&](size_t width) { return (width * pixel_bytes + 31) & ~size_t{31}; };
  const uint8_t* upright = nullptr;
  size_t upright_row = 0;
  // Packed 8-bit RGB of the output size only has its bytes reordered: done here in parallel
  // bands rather than by libswscale in one thread (the same bytes).
  const PackedRow packed = deep_ || !same_size ? nullptr : packed_row_for(format);
  if (packed) {
    upright_row = row_bytes_for(width_px_);
    upright_.resize(upright_row * height_px_);
    const size_t w = width_px_;
    for_row_bands(height_px_, [&](size_t first, size_t end) {
      for (size_t y = first; y < end; ++y) {
        packed(frame.data[0] + frame.linesize[0] * static_cast<ptrdiff_t>(y),
               upright_.data() + upright_row * y, w);
      }
    });
    upright = upright_.data();
  } else {
    if (!sws_ || !(key == key_)) configure(key);
    const int err = sws_scale_frame(sws_.get(), stage_.get(), &frame);
    if (err < 0) throw std::runtime_error("cannot convert the video: " + av_error_text(err));
    upright = stage_->data[0];
    upright_row = static_cast<size_t>(stage_->linesize[0]);
  }
  if (!packed && (yuv_ || deep_)) {
    upright_row = row_bytes_for(width_px_);
    upright_.resize(upright_row * height_px_);
    if (yuv_) {
      yuv_to_host(upright_.data(), upright_row);
    } else {
      rgba64_to_host(upright_.data(), upright_row);
    }
    upright = upright_.data();
  }
  if (rotation_ == Rotation::None) {
    out.pixels = upright;
    out.row_bytes = upright_row;
    return same_size;
  }
  // Output pixel (x, y) is upright pixel (sx, sy).
  const bool swap = rotation_ == Rotation::Quarter || rotation_ == Rotation::ThreeQuarters;
  const size_t w = width_px_, h = height_px_;
  const size_t out_w = swap ? h : w, out_h = swap ? w : h;
  const size_t host_row = row_bytes_for(out_w);
  host_.resize(host_row * out_h);
  const Rotation rotation = rotation_;
  for_row_bands(out_h, [&](size_t first, size_t end) {
    for (size_t y = first; y < end; ++y) {
      uint8_t* dst = host_.data() + host_row * y;
      for (size_t x = 0; x < out_w; ++x, dst += pixel_bytes) {
        size_t sx = x, sy = y;
        if (rotation == Rotation::Quarter) {  // clockwise: the left column becomes the top row
          sx = y, sy = h - 1 - x;
        } else if (rotation == Rotation::Half) {
          sx = w - 1 - x, sy = h - 1 - y;
        } else {
          sx = w - 1 - y, sy = x;
        }
        std::memcpy(dst, upright + upright_row * sy + pixel_bytes * sx, pixel_bytes);
      }
    }
  });
  out.pixels = host_.data();
  out.row_bytes = host_row;
  return same_size;
}

}  // namespace orvex_cli
