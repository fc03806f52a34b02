#include "inspect/bc7_decoder.h"

#include <cstring>
#include <utility>

#include "inspect/bc7_partitions.h"
#include "inspect/block_grid.h"

namespace orvex_inspect {
namespace {

struct ModeInfo {
  uint32_t subsets, partition_bits, rotation_bits, selection_bits;
  uint32_t colour_bits, alpha_bits;
  uint32_t endpoint_pbits, shared_pbits;  // 1 when present
  uint32_t index_bits, index2_bits;
};

constexpr ModeInfo kModes[8] = {
    {3, 4, 0, 0, 4, 0, 1, 0, 3, 0},  // 0
    {2, 6, 0, 0, 6, 0, 0, 1, 3, 0},  // 1
    {3, 6, 0, 0, 5, 0, 0, 0, 2, 0},  // 2
    {2, 6, 0, 0, 7, 0, 1, 0, 2, 0},  // 3
    {1, 0, 2, 1, 5, 6, 0, 0, 2, 3},  // 4
    {1, 0, 2, 0, 7, 8, 0, 0, 2, 2},  // 5
    {1, 0, 0, 0, 7, 7, 1, 0, 4, 0},  // 6
    {2, 6, 0, 0, 5, 5, 1, 0, 2, 0},  // 7
};

constexpr uint8_t kWeights2[4] = {0, 21, 43, 64};
constexpr uint8_t kWeights3[8] = {0, 9, 18, 27, 37, 46, 55, 64};
constexpr uint8_t kWeights4[16] = {0, 4, 9, 13, 17, 21, 26, 30, 34, 38, 43, 47, 51, 55, 60, 64};

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

uint8_t widen(uint32_t v, uint32_t bits) {
  v <<= 8 - bits;
  return static_cast<uint8_t>(v | (v >> bits));
}

uint8_t interpolate(uint8_t e0, uint8_t e1, uint32_t index, uint32_t bits) {
  const uint8_t* weights = bits == 2 ? kWeights2 : bits == 3 ? kWeights3 : kWeights4;
  const uint32_t w = weights[index];
  return static_cast<uint8_t>(((64 - w) * e0 + w * e1 + 32) >> 6);
}

bool is_anchor(uint32_t subsets, uint32_t partition, uint32_t pixel) {
  for (uint32_t s = 0; s < subsets; ++s)
    if (bc7_anchor_of(subsets, partition, s) == pixel) return true;
  return false;
}

}  // namespace

Bc7Fields bc7_parse_block(const uint8_t block[16]) {
  Bc7Fields f;
  BitReader in(block);
  uint32_t mode = 0;
  while (mode < 8 && in.read(1) == 0) ++mode;
  f.end_bit = in.position();
  if (mode == 8) return f;
  const ModeInfo& m = kModes[mode];
  f.valid = true;
  f.mode = mode;
  f.subsets = m.subsets;
  f.partition = in.read(m.partition_bits);
  f.rotation = in.read(m.rotation_bits);
  f.index_selection = in.read(m.selection_bits);

  uint32_t raw[3][2][4] = {};
  for (uint32_t c = 0; c < 4; ++c) {
    const uint32_t bits = c == 3 ? m.alpha_bits : m.colour_bits;
    for (uint32_t s = 0; s < m.subsets; ++s)
      for (uint32_t e = 0; e < 2; ++e) raw[s][e][c] = in.read(bits);
  }
  uint32_t pbits[3][2] = {};
  if (m.endpoint_pbits)
    for (uint32_t s = 0; s < m.subsets; ++s) pbits[s][0] = in.read(1), pbits[s][1] = in.read(1);
  if (m.shared_pbits)
    for (uint32_t s = 0; s < m.subsets; ++s) pbits[s][0] = pbits[s][1] = in.read(1);
  const bool has_pbit = m.endpoint_pbits || m.shared_pbits;
  for (uint32_t s = 0; s < m.subsets; ++s)
    for (uint32_t e = 0; e < 2; ++e)
      for (uint32_t c = 0; c < 4; ++c) {
        const uint32_t bits = c == 3 ? m.alpha_bits : m.colour_bits;
        if (bits == 0) {
          f.endpoints[s][e][c] = 255;
        } else {
          f.endpoints[s][e][c] = has_pbit ? widen((raw[s][e][c] << 1) | pbits[s][e], bits + 1)
                                          : widen(raw[s][e][c], bits);
        }
      }

  f.index_bits = m.index_bits;
  f.index2_bits = m.index2_bits;
  for (uint32_t i = 0; i < 16; ++i) {
    const bool anchor = is_anchor(m.subsets, f.partition, i);
    f.indices[i] = static_cast<uint8_t>(in.read(m.index_bits - (anchor ? 1 : 0)));
  }
  if (m.index2_bits)
    for (uint32_t i = 0; i < 16; ++i)
      f.indices2[i] = static_cast<uint8_t>(in.read(m.index2_bits - (i == 0 ? 1 : 0)));
  f.end_bit = in.position();
  return f;
}

namespace {

void render_fields(const Bc7Fields& f, uint8_t rgba[64]) {
  std::memset(rgba, 0, 64);
  if (!f.valid) return;
  // Modes 4 and 5 take colour and alpha from separate index sets; mode 4's selection bit swaps
  // which set feeds which.
  const bool swap_sets = f.index_selection != 0;
  for (uint32_t i = 0; i < 16; ++i) {
    const uint32_t s = bc7_subset_of(f.subsets, f.partition, i);
    const uint8_t* e0 = f.endpoints[s][0];
    const uint8_t* e1 = f.endpoints[s][1];
    uint8_t* px = rgba + i * 4;
    if (f.index2_bits == 0) {
      for (uint32_t c = 0; c < 4; ++c)
        px[c] = interpolate(e0[c], e1[c], f.indices[i], f.index_bits);
    } else {
      const uint32_t colour_index = swap_sets ? f.indices2[i] : f.indices[i];
      const uint32_t colour_bits = swap_sets ? f.index2_bits : f.index_bits;
      const uint32_t alpha_index = swap_sets ? f.indices[i] : f.indices2[i];
      const uint32_t alpha_bits = swap_sets ? f.index_bits : f.index2_bits;
      for (uint32_t c = 0; c < 3; ++c) px[c] = interpolate(e0[c], e1[c], colour_index, colour_bits);
      px[3] = interpolate(e0[3], e1[3], alpha_index, alpha_bits);
    }
    if (f.rotation) std::swap(px[3], px[f.rotation - 1]);
  }
}

}  // namespace

void bc7_decode_block(const uint8_t block[16], uint8_t rgba[64]) {
  render_fields(bc7_parse_block(block), rgba);
}

std::vector<uint8_t> bc7_decode_texture(const uint8_t* blocks, size_t width_px, size_t height_px) {
  return decode_block_grid<4>(blocks, width_px, height_px, 16, bc7_decode_block);
}

}  // namespace orvex_inspect
