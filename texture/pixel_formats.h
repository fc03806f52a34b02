#pragma once
// Source pixel layouts known to the block routines, the partial-block pad modes, and the block
// front ends that read one 4x4 block of a source and hand it to the encoders (colour set for the
// DXT1 fits, one 8-bit channel for RGTC1/DXT5 alpha, RGBA8 for BC7) plus the edge-block padding.
#include <cstddef>
#include <cstdint>

// Source pixel layout. Only ARGB_8 and ARGB_16_HOST are accepted by the encoder set-up; the other
// values are understood by the generic front ends and the padding routine.
enum PixelFormat : uint32_t {
  ARGB_8 = 0,        // A, R, G, B bytes (4 bytes per pixel)
  BGRA_8 = 1,        // B, G, R, A bytes
  BGRA_8_ALT = 2,    // same layout as BGRA_8
  RGBA_8 = 3,        // R, G, B, A bytes
  ARGB_16 = 4,       // A, R, G, B little-endian 16-bit, 0..65535 (8 bytes per pixel)
  ARGB_16_HOST = 5,  // A, R, G, B little-endian 16-bit, 0..32768
  RGBA_16 = 6,       // R, G, B, A 16-bit, 0..65535
  ARGB_FLOAT = 7,    // A, R, G, B 32-bit float, 0..1 (16 bytes per pixel); no 8-bit front end
  PLANAR_8 = 8,      // four 8-bit planes R, G, B, A, each with its own stride
  PLANAR_16 = 9,     // four 16-bit planes R, G, B, A
  PIXEL_FORMAT_UNSET = 10,  // marks a DxtEnc that was never set up
};

// Treatment of the partial blocks at the right and bottom edges.
enum PadMode : uint32_t {
  PAD_REPLICATE = 0,     // repeat the last valid pixel of the row, then the last valid row
  PAD_OPAQUE_BLACK = 1,  // missing pixels are opaque black
  PAD_ZERO = 2,          // missing pixels are all-zero (transparent black)
  PAD_CROP = 3,          // partial blocks are not encoded; block counts round down
};

// Largest padded block (format 7: 4 rows of 64 bytes). Padded blocks of every format fit.
constexpr size_t kMaxPaddedBlockBytes = 256;

// 8-bit value of one ARGB_16_HOST sample: 32768 is full scale (255), else the low 8 bits of s >> 7.
inline uint8_t host16_to_8(uint16_t s) {
  return s == 32768 ? uint8_t{255} : static_cast<uint8_t>(s >> 7);
}

// Distinct colours of one block, as the cluster fit consumes them.
// Invariant after a build: 1 <= count <= 16; point_index[i] < count for every pixel i;
// the weights of the points sum to 16.
struct ColourSet {
  float points[16][4];       // R, G, B in 0..1 (8-bit value / 255); the 4th float is not written
  uint32_t point_index[16];  // per pixel (raster order): which point it maps to
  uint32_t weights[16];      // per point: how many pixels share it
  uint64_t count;            // number of points
};

// Colour-set front end: reduces R, G, B of the 16 pixels to 8 bits (alpha ignored) and merges
// equal colours, points in order of first appearance. Formats 0-6, 8 and 9; any other format
// prints "ERROR : to_rgba_template : pix fmt non gere\n" and leaves `set` untouched.
void to_rgba_colour_set(const uint8_t* const planes[4], const size_t strides[4], PixelFormat fmt,
                        ColourSet* set);

// Which 8-bit channel the single-channel front end extracts.
enum class ChannelSelect : uint8_t { alpha, luma };

// Single-channel front end: 16 bytes in raster order (alpha, or luma = (R + G + B) / 3 rounded
// down), and their minimum and maximum. Formats as for the colour set; on any other format the
// error line is printed and nothing is written.
void to_rgba_single_channel(const uint8_t* const planes[4], const size_t strides[4],
                            PixelFormat fmt, ChannelSelect select, uint8_t out[16], uint8_t* min,
                            uint8_t* max);

// Alpha of a source without an alpha channel: 16 values of 255, minimum and maximum 255.
void opaque_channel_block(const uint8_t* const planes[4], const size_t strides[4], uint8_t out[16],
                          uint8_t* min, uint8_t* max);

// Single-channel front ends of the accepted formats, as bound in fetch_alpha and fetch_luma.
void fetch_alpha_argb8(const uint8_t* const planes[4], const size_t strides[4], uint8_t out[16],
                       uint8_t* min, uint8_t* max);
void fetch_alpha_argb16_host(const uint8_t* const planes[4], const size_t strides[4],
                             uint8_t out[16], uint8_t* min, uint8_t* max);
void fetch_luma_argb8(const uint8_t* const planes[4], const size_t strides[4], uint8_t out[16],
                      uint8_t* min, uint8_t* max);
void fetch_luma_argb16_host(const uint8_t* const planes[4], const size_t strides[4],
                            uint8_t out[16], uint8_t* min, uint8_t* max);

// RGBA8 block for BC7 from one interleaved block (formats 0 and 5): R, G, B, A per pixel in raster
// order; the opaque variants write A = 255.
void rgba8_block_argb8(const uint8_t* plane, size_t stride, uint8_t out_rgba[64]);
void rgba8_block_argb8_opaque(const uint8_t* plane, size_t stride, uint8_t out_rgba[64]);
void rgba8_block_argb16_host(const uint8_t* plane, size_t stride, uint8_t out_rgba[64]);
void rgba8_block_argb16_host_opaque(const uint8_t* plane, size_t stride, uint8_t out_rgba[64]);
