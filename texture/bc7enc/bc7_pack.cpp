#include "texture/bc7enc/bc7_pack.h"

#include <cassert>
#include <cstring>
#include <utility>

#include "texture/bc7enc/bc7_partitions.h"

namespace {

// Field widths of the modes, by mode number.
struct ModeLayout {
  uint32_t subsets;
  uint32_t partition_bits;
  uint32_t rotation_bits;
  uint32_t index_selector_bits;
  uint32_t colour_bits;
  uint32_t alpha_bits;
  uint32_t pbits_per_subset;  // 0, 1 (shared) or 2 (one per endpoint)
  uint32_t index_bits;
  uint32_t alpha_index_bits;  // second index set (modes 4 and 5)
};

constexpr ModeLayout kLayouts[8] = {{3, 4, 0, 0, 4, 0, 2, 3, 0}, {2, 6, 0, 0, 6, 0, 1, 3, 0},
                                    {3, 6, 0, 0, 5, 0, 0, 2, 0}, {2, 6, 0, 0, 7, 0, 2, 2, 0},
                                    {1, 0, 2, 1, 5, 6, 0, 2, 3}, {1, 0, 2, 0, 7, 8, 0, 2, 2},
                                    {1, 0, 0, 0, 7, 7, 2, 4, 0}, {2, 6, 0, 0, 5, 5, 2, 2, 0}};

// The 128 block bits as two 64-bit words, filled from bit 0 up.
struct BitWriter {
  uint64_t words[2] = {0, 0};
  uint32_t ofs = 0;

  void put(uint32_t num_bits, uint32_t val) {
    assert((num_bits <= 32) && (val < (1ULL << num_bits)));
    if (num_bits == 0) return;
    const uint64_t v = val & ((uint64_t{1} << num_bits) - 1);  // as many bits as the field
    const uint32_t word = ofs >> 6, shift = ofs & 63;
    words[word] |= v << shift;
    if (shift + num_bits > 64) words[1] |= v >> (64 - shift);
    ofs += num_bits;
    assert(ofs <= 128);
  }

  // Least significant byte of the first word first.
  void store(uint8_t* out) const {
    for (uint32_t i = 0; i < 16; ++i) out[i] = static_cast<uint8_t>(words[i >> 3] >> ((i & 7) * 8));
  }
};

}  // namespace

void bc7_encode_block(uint8_t* out, const Bc7BlockResult& result_in) {
  [[maybe_unused]] const Bc7BlockResult* pResults = &result_in;
  assert(pResults->m_index_selector <= 1);
  assert(pResults->m_rotation <= 3);

  Bc7BlockResult r = result_in;
  const uint32_t mode = r.m_mode;
  const ModeLayout& layout = kLayouts[mode];
  const bool has_second_index = layout.alpha_index_bits != 0;
  // Mode 4 with the index selector set: the colour takes the second (3-bit) index set and the
  // alpha the first (2-bit) one.
  const bool swap_sets = r.m_index_selector != 0;
  const uint32_t colour_index_bits = swap_sets ? layout.alpha_index_bits : layout.index_bits;
  const uint32_t alpha_index_bits = swap_sets ? layout.index_bits : layout.alpha_index_bits;

  uint32_t anchors[3] = {0, 0, 0};
  if (layout.subsets == 2) anchors[1] = g_bc7_anchor2_second[r.m_partition];
  if (layout.subsets == 3) {
    anchors[1] = g_bc7_anchor3_second[r.m_partition];
    anchors[2] = g_bc7_anchor3_third[r.m_partition];
  }
  const auto subset_of = [&](uint32_t i) {
    return layout.subsets == 1   ? 0u
           : layout.subsets == 2 ? bc7_partition_subset(r.m_partition, i)
                                 : bc7_partition3_subset(r.m_partition, i);
  };
  const uint32_t top = (1u << colour_index_bits) - 1;
  for (uint32_t s = 0; s < layout.subsets; ++s) {
    if ((r.m_selectors[anchors[s]] & (1u << (colour_index_bits - 1))) == 0) continue;
    for (uint32_t i = 0; i < 16; ++i)
      if (subset_of(i) == s) r.m_selectors[i] = static_cast<uint8_t>(top - r.m_selectors[i]);
    const uint32_t comps = has_second_index ? 3 : 4;
    for (uint32_t c = 0; c < comps; ++c) std::swap(r.m_low[s].m_c[c], r.m_high[s].m_c[c]);
    if (layout.pbits_per_subset == 2) std::swap(r.m_pbits[s][0], r.m_pbits[s][1]);
  }
  if (has_second_index && (r.m_alpha_selectors[0] & (1u << (alpha_index_bits - 1)))) {
    const uint32_t alpha_top = (1u << alpha_index_bits) - 1;
    for (uint8_t& a : r.m_alpha_selectors) a = static_cast<uint8_t>(alpha_top - a);
    std::swap(r.m_low[0].m_c[3], r.m_high[0].m_c[3]);
  }

  BitWriter bits_out;
  bits_out.put(mode + 1, 1u << mode);
  bits_out.put(layout.rotation_bits, r.m_rotation);
  bits_out.put(layout.index_selector_bits, r.m_index_selector);
  bits_out.put(layout.partition_bits, r.m_partition);

  // Endpoints channel by channel; within a channel subset by subset, low then high.
  const uint32_t channels = layout.alpha_bits ? 4 : 3;
  for (uint32_t c = 0; c < channels; ++c) {
    const uint32_t bits = c == 3 ? layout.alpha_bits : layout.colour_bits;
    for (uint32_t s = 0; s < layout.subsets; ++s) {
      bits_out.put(bits, r.m_low[s].m_c[c]);
      bits_out.put(bits, r.m_high[s].m_c[c]);
    }
  }
  for (uint32_t s = 0; s < layout.subsets; ++s)
    for (uint32_t p = 0; p < layout.pbits_per_subset; ++p) bits_out.put(1, r.m_pbits[s][p]);

  const uint8_t* first_set = swap_sets ? r.m_alpha_selectors : r.m_selectors;
  for (uint32_t i = 0; i < 16; ++i) {
    const bool anchor = i == anchors[0] || (layout.subsets >= 2 && i == anchors[1]) ||
                        (layout.subsets == 3 && i == anchors[2]);
    bits_out.put(layout.index_bits - (anchor ? 1 : 0), first_set[i]);
  }
  if (has_second_index) {
    const uint8_t* second_set = swap_sets ? r.m_selectors : r.m_alpha_selectors;
    for (uint32_t i = 0; i < 16; ++i)
      bits_out.put(layout.alpha_index_bits - (i == 0 ? 1 : 0), second_set[i]);
  }
  assert(bits_out.ofs == 128);
  bits_out.store(out);
}
