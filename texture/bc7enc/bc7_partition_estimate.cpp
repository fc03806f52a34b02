#include "texture/bc7enc/bc7_partition_estimate.h"

#include <algorithm>

#include "texture/bc7enc/bc7_partitions.h"
#include "texture/bc7enc/bc7_weights.h"

namespace {

// Error of one subset with min/max endpoints; stops early once the running total exceeds
// `best_err`.
template <uint32_t kMode>
uint64_t estimate_subset(const Bc7Color* pixels, uint32_t n, const uint32_t weights[4],
                         uint64_t best_err) {
  constexpr uint32_t comps = kMode == 7 ? 4 : 3;
  constexpr uint32_t num_entries = kMode == 7 ? 4 : 8;
  const uint32_t* entry_weights = kMode == 7 ? g_bc7_weights2 : g_bc7_weights3;

  int32_t low[4] = {255, 255, 255, 0}, high[4] = {0, 0, 0, 0};
  for (uint32_t i = 0; i < n; ++i)
    for (uint32_t c = 0; c < comps; ++c) {
      low[c] = std::min<int32_t>(low[c], pixels[i].m_c[c]);
      high[c] = std::max<int32_t>(high[c], pixels[i].m_c[c]);
    }
  if constexpr (comps == 3) low[3] = high[3] = 0;

  int32_t palette[8][4];
  for (uint32_t e = 0; e < num_entries; ++e)
    for (uint32_t c = 0; c < 4; ++c)
      palette[e][c] = static_cast<int32_t>(bc7_interpolate(
          static_cast<uint32_t>(low[c]), static_cast<uint32_t>(high[c]), entry_weights[e]));

  int32_t v[4];
  for (uint32_t c = 0; c < 4; ++c) v[c] = high[c] - low[c];
  const auto dot = [&v](const int32_t* x) {
    return x[0] * v[0] + x[1] * v[1] + x[2] * v[2] + x[3] * v[3];
  };
  int32_t dots[8], thresholds[7];
  for (uint32_t e = 0; e < num_entries; ++e) dots[e] = dot(palette[e]);
  for (uint32_t e = 0; e + 1 < num_entries; ++e) thresholds[e] = (dots[e] + dots[e + 1] + 1) >> 1;

  uint64_t total = 0;
  for (uint32_t i = 0; i < n; ++i) {
    int32_t px[4] = {pixels[i].m_c[0], pixels[i].m_c[1], pixels[i].m_c[2],
                     comps == 4 ? pixels[i].m_c[3] : 0};
    const int32_t d = dot(px);
    uint32_t entry = 0;
    for (uint32_t e = 0; e + 1 < num_entries; ++e) entry += d >= thresholds[e] ? 1 : 0;
    for (uint32_t c = 0; c < comps; ++c) {
      const int32_t diff = px[c] - palette[entry][c];
      total += static_cast<uint64_t>(weights[c]) * static_cast<uint64_t>(diff * diff);
    }
    if (total > best_err) break;
  }
  return total;
}

}  // namespace

uint32_t bc7_estimate_partition(const Bc7Color* pixels, const Bc7BlockParams& block,
                                const uint32_t weights[4], uint32_t mode) {
  const uint32_t total_partitions = std::min<uint32_t>(block.m_max_partitions, 64);
  if (total_partitions < 2) return 0;

  uint64_t best_err = UINT64_MAX;
  uint32_t best_partition = 0, key_partition = 0;
  for (uint32_t k = 0; k < total_partitions && best_err > 0; ++k) {
    const uint32_t q = g_bc7_partition_scan_order[k];
    if (block.m_partition_prefilter && k >= 14 && k <= 34) {
      if (((g_bc7_partition_predictors[q] >> (key_partition + 1)) & 1u) == 0) {
        if (k == 34) break;
        continue;
      }
    }

    Bc7Color subsets[2][16];
    uint32_t counts[2] = {0, 0};
    for (uint32_t i = 0; i < 16; ++i) {
      const uint32_t s = bc7_partition_subset(q, i);
      subsets[s][counts[s]++] = pixels[i];
    }
    uint64_t err = 0;
    for (uint32_t s = 0; s < 2 && err < best_err; ++s)
      err += mode == 7 ? estimate_subset<7>(subsets[s], counts[s], weights, best_err)
                       : estimate_subset<1>(subsets[s], counts[s], weights, best_err);

    if (err < best_err) {
      best_err = err;
      best_partition = q;
    }
    // The checkerboard partition stops the scan unless it wins.
    if (q == 34 && best_partition != 34) break;
    if (k == 13) key_partition = best_partition;
  }
  return best_partition;
}
