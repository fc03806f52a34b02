#include "tests/support/bc7_decoder.h"

#include <cstring>
#include <utility>

#include "tests/support/block_grid.h"

namespace orvex_test {

namespace {

struct ModeInfo {
  uint32_t subsets, partition_bits, rotation_bits;
  uint32_t colour_bits, alpha_bits;
  uint32_t endpoint_pbits, shared_pbits;  // 1 when present
  uint32_t index_bits, index2_bits;
};

// Modes 1, 3, 5, 6 and 7; the others are not read.
constexpr ModeInfo kModes[8] = {{},
                                {2, 6, 0, 6, 0, 0, 1, 3, 0},
                                {},
                                {2, 6, 0, 7, 0, 1, 0, 2, 0},
                                {},
                                {1, 0, 2, 7, 8, 0, 0, 2, 2},
                                {1, 0, 0, 7, 7, 1, 0, 4, 0},
                                {2, 6, 0, 5, 5, 1, 0, 2, 0}};

constexpr uint8_t kWeights2[4] = {0, 21, 43, 64};
constexpr uint8_t kWeights3[8] = {0, 9, 18, 27, 37, 46, 55, 64};
constexpr uint8_t kWeights4[16] = {0, 4, 9, 13, 17, 21, 26, 30, 34, 38, 43, 47, 51, 55, 60, 64};

// Pixel subsets, one string of 16 digits per partition.
constexpr const char* kPartitions2[64] = {
    "0011001100110011", "0001000100010001", "0111011101110111", "0001001100110111",
    "0000000100010011", "0011011101111111", "0001001101111111", "0000000100110111",
    "0000000000010011", "0011011111111111", "0000000101111111", "0000000000010111",
    "0001011111111111", "0000000011111111", "0000111111111111", "0000000000001111",
    "0000100011101111", "0111000100000000", "0000000010001110", "0111001100010000",
    "0011000100000000", "0000100011001110", "0000000010001100", "0111001100110001",
    "0011000100010000", "0000100010001100", "0110011001100110", "0011011001101100",
    "0001011111101000", "0000111111110000", "0111000110001110", "0011100110011100",
    "0101010101010101", "0000111100001111", "0101101001011010", "0011001111001100",
    "0011110000111100", "0101010110101010", "0110100101101001", "0101101010100101",
    "0111001111001110", "0001001111001000", "0011001001001100", "0011101111011100",
    "0110100110010110", "0011110011000011", "0110011010011001", "0000011001100000",
    "0100111001000000", "0010011100100000", "0000001001110010", "0000010011100100",
    "0110110010010011", "0011011011001001", "0110001110011100", "0011100111000110",
    "0110110011001001", "0110001100111001", "0111111010000001", "0001100011100111",
    "0000111100110011", "0011001111110000", "0010001011101110", "0100010001110111"};

constexpr uint8_t kAnchor2[64] = {15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,
                                  15, 2,  8,  2,  2,  8,  8,  15, 2,  8,  2,  2,  8,  8,  2,  2,
                                  15, 15, 6,  8,  2,  8,  15, 15, 2,  8,  2,  2,  2,  15, 15, 6,
                                  6,  2,  6,  8,  15, 15, 2,  2,  15, 15, 15, 15, 15, 2,  2,  15};
class BitReader {
 public:
  explicit BitReader(const uint8_t* data) : data_(data) {}
  uint32_t read(uint32_t bits) {
    uint32_t v = 0;
    for (uint32_t i = 0; i < bits; ++i, ++pos_)
      if (pos_ < 128) v |= static_cast<uint32_t>((data_[pos_ >> 3] >> (pos_ & 7)) & 1) << i;
    return v;
  }
  uint32_t position() const { return pos_; }

 private:
  const uint8_t* data_;
  uint32_t pos_ = 0;
};

uint8_t expand(uint32_t v, uint32_t bits) {
  v <<= 8 - bits;
  return static_cast<uint8_t>(v | (v >> bits));
}

const uint8_t* weights_for(uint32_t bits) {
  return bits == 2 ? kWeights2 : bits == 3 ? kWeights3 : kWeights4;
}

uint8_t interpolate(uint8_t e0, uint8_t e1, uint32_t index, uint32_t bits) {
  const uint32_t w = weights_for(bits)[index];
  return static_cast<uint8_t>(((64 - w) * e0 + w * e1 + 32) >> 6);
}

}  // namespace

uint32_t bc7_subset_of(uint32_t subsets, uint32_t partition, uint32_t pixel) {
  return subsets == 2 ? static_cast<uint32_t>(kPartitions2[partition][pixel] - '0') : 0;
}

// Anchor pixel (index stored one bit short) of `subset` for the given subset count and partition.
static uint32_t bc7_anchor_of(uint32_t subsets, uint32_t partition, uint32_t subset) {
  return subset == 0 || subsets != 2 ? 0 : kAnchor2[partition];
}

Bc7Fields bc7_parse_block(const uint8_t block[16]) {
  Bc7Fields f;
  BitReader in(block);
  uint32_t mode = 0;
  while (mode < 8 && in.read(1) == 0) ++mode;
  f.end_bit = in.position();
  if (mode == 8) return f;
  f.mode = mode;
  if (kModes[mode].subsets == 0) return f;
  const ModeInfo& m = kModes[mode];
  f.valid = true;
  f.subsets = m.subsets;
  f.partition = in.read(m.partition_bits);
  f.rotation = in.read(m.rotation_bits);

  uint32_t raw[2][2][4] = {};
  for (uint32_t c = 0; c < 4; ++c) {
    const uint32_t bits = c == 3 ? m.alpha_bits : m.colour_bits;
    for (uint32_t s = 0; s < m.subsets; ++s)
      for (uint32_t e = 0; e < 2; ++e) raw[s][e][c] = in.read(bits);
  }
  uint32_t pbits[2][2] = {};
  if (m.endpoint_pbits)
    for (uint32_t s = 0; s < m.subsets; ++s) pbits[s][0] = in.read(1), pbits[s][1] = in.read(1);
  if (m.shared_pbits)
    for (uint32_t s = 0; s < m.subsets; ++s) pbits[s][0] = pbits[s][1] = in.read(1);
  const bool has_pbit = m.endpoint_pbits || m.shared_pbits;
  for (uint32_t s = 0; s < m.subsets; ++s)
    for (uint32_t e = 0; e < 2; ++e)
      for (uint32_t c = 0; c < 4; ++c) {
        if (c == 3 && m.alpha_bits == 0) {
          f.endpoints[s][e][c] = 255;
          continue;
        }
        const uint32_t bits = c == 3 ? m.alpha_bits : m.colour_bits;
        f.endpoints[s][e][c] = has_pbit ? expand((raw[s][e][c] << 1) | pbits[s][e], bits + 1)
                                        : expand(raw[s][e][c], bits);
      }

  f.index_bits = m.index_bits;
  f.index2_bits = m.index2_bits;
  for (uint32_t i = 0; i < 16; ++i) {
    bool anchor = false;
    for (uint32_t s = 0; s < m.subsets; ++s)
      anchor |= bc7_anchor_of(m.subsets, f.partition, s) == i;
    f.indices[i] = static_cast<uint8_t>(in.read(m.index_bits - (anchor ? 1 : 0)));
  }
  if (m.index2_bits)
    for (uint32_t i = 0; i < 16; ++i)
      f.indices2[i] = static_cast<uint8_t>(in.read(m.index2_bits - (i == 0 ? 1 : 0)));
  f.end_bit = in.position();
  return f;
}

static void bc7_render_fields(const Bc7Fields& f, uint8_t rgba[64]) {
  std::memset(rgba, 0, 64);
  if (!f.valid) return;
  for (uint32_t i = 0; i < 16; ++i) {
    const uint32_t s = bc7_subset_of(f.subsets, f.partition, i);
    const uint8_t* e0 = f.endpoints[s][0];
    const uint8_t* e1 = f.endpoints[s][1];
    uint8_t* px = rgba + i * 4;
    if (f.index2_bits == 0) {
      for (uint32_t c = 0; c < 4; ++c)
        px[c] = interpolate(e0[c], e1[c], f.indices[i], f.index_bits);
    } else {
      // Mode 5: colour and alpha from separate index sets.
      for (uint32_t c = 0; c < 3; ++c)
        px[c] = interpolate(e0[c], e1[c], f.indices[i], f.index_bits);
      px[3] = interpolate(e0[3], e1[3], f.indices2[i], f.index2_bits);
    }
    if (f.rotation) std::swap(px[3], px[f.rotation - 1]);
  }
}

void bc7_decode_block(const uint8_t block[16], uint8_t rgba[64]) {
  bc7_render_fields(bc7_parse_block(block), rgba);
}

std::vector<uint8_t> bc7_decode_texture(const uint8_t* blocks, size_t width_px, size_t height_px) {
  return decode_block_grid<4>(blocks, width_px, height_px, 16, bc7_decode_block);
}

}  // namespace orvex_test
