#pragma once
// The partition estimator's scan as header code, compiled once per instruction set: by
// bc7_partition_estimate.cpp for baseline x86-64 and by bc7_partition_estimate_avx2.cpp with
// -mavx2. Everything here is in an anonymous namespace, so each build keeps its own copy; the
// code both builds instantiate calls no library template (those could be merged across builds
// at link time and carry vector instructions into the baseline one). The arithmetic is integer
// only, so every build gives the same partition.
#include <algorithm>
#include <cstdint>

#include "texture/bc7enc/bc7_partitions.h"
#include "texture/bc7enc/bc7_types.h"
#include "texture/bc7enc/bc7_weights.h"

namespace {

// Palette entry between two 8-bit endpoint components for weight w (0..64); the rule of
// bc7_interpolate, kept local so that this build's copy stays in this file.
constexpr uint32_t scan_interpolate(uint32_t lo, uint32_t hi, uint32_t w) {
  return ((64 - w) * lo + w * hi + 32) >> 6;
}

// Pixel positions of each two-subset partition, subset 0 first then subset 1, each in raster
// order, so that the estimator reads the block in place instead of copying each subset out.
struct PartitionOrder {
  uint8_t pixels[16];
  uint8_t count0;  // pixels of subset 0
};

struct PartitionOrders {
  PartitionOrder p[64];
};

constexpr PartitionOrders make_partition_orders() {
  PartitionOrders orders{};
  for (uint32_t p = 0; p < 64; ++p) {
    uint8_t k = 0;
    for (uint32_t s = 0; s < 2; ++s) {
      for (uint8_t i = 0; i < 16; ++i)
        if (((g_bc7_partition2_masks[p] >> i) & 1u) == s) orders.p[p].pixels[k++] = i;
      if (s == 0) orders.p[p].count0 = k;
    }
  }
  return orders;
}

constexpr PartitionOrders kPartitionOrders = make_partition_orders();

// The block as one int32 per channel and pixel, read once per estimate.
struct BlockChannels {
  int32_t c[16][4];
};

// Error of one subset (pixels `order[0..n)` of the block) with min/max endpoints. The sum runs
// until it exceeds `best_err`: the caller only keeps a strictly smaller total, so a partial sum
// above the bound decides the same way as the full one.
template <uint32_t kMode>
uint64_t estimate_subset(const BlockChannels& block, const uint8_t* order, uint32_t n,
                         const uint32_t weights[4], uint64_t best_err) {
  constexpr uint32_t comps = kMode == 7 ? 4 : 3;
  constexpr uint32_t num_entries = kMode == 7 ? 4 : 8;
  constexpr const uint32_t* entry_weights = kMode == 7 ? g_bc7_weights2 : g_bc7_weights3;

  int32_t low[4] = {255, 255, 255, 255}, high[4] = {0, 0, 0, 0};
  for (uint32_t k = 0; k < n; ++k) {
    const int32_t* px = block.c[order[k]];
    for (uint32_t c = 0; c < comps; ++c) {
      low[c] = px[c] < low[c] ? px[c] : low[c];
      high[c] = px[c] > high[c] ? px[c] : high[c];
    }
  }

  int32_t palette[8][comps];
  for (uint32_t e = 0; e < num_entries; ++e)
    for (uint32_t c = 0; c < comps; ++c)
      palette[e][c] = static_cast<int32_t>(scan_interpolate(
          static_cast<uint32_t>(low[c]), static_cast<uint32_t>(high[c]), entry_weights[e]));

  int32_t v[comps];
  for (uint32_t c = 0; c < comps; ++c) v[c] = high[c] - low[c];
  const auto dot = [&v](const int32_t* x) {
    int32_t d = 0;
    for (uint32_t c = 0; c < comps; ++c) d += x[c] * v[c];
    return d;
  };
  // Midpoints between neighbouring entries along v. They never decrease (v >= 0 and the
  // entries grow with their weight), so a pixel's entry, the number of midpoints at or below its
  // projection, is found by binary search. The last slot never counts.
  int32_t thresholds[num_entries];
  int32_t prev = dot(palette[0]);
  for (uint32_t e = 0; e + 1 < num_entries; ++e) {
    const int32_t next = dot(palette[e + 1]);
    thresholds[e] = (prev + next + 1) >> 1;
    prev = next;
  }
  thresholds[num_entries - 1] = INT32_MAX;

  uint64_t total = 0;
  for (uint32_t k = 0; k < n; ++k) {
    const int32_t* px = block.c[order[k]];
    const int32_t d = dot(px);
    uint32_t entry = 0;
    for (uint32_t step = num_entries / 2; step > 0; step >>= 1)
      entry += d >= thresholds[entry + step - 1] ? step : 0;
    for (uint32_t c = 0; c < comps; ++c) {
      const int32_t diff = px[c] - palette[entry][c];
      total += static_cast<uint64_t>(weights[c]) * static_cast<uint64_t>(diff * diff);
    }
    if (total > best_err) break;
  }
  return total;
}

// The block one channel at a time, for the loops over all 16 pixels below. 16-bit lanes: every
// product below fits 32 bits from 16-bit factors, which the compiler multiplies natively.
struct BlockPlanes {
  int16_t c[4][16];
};

// estimate_subset for unit channel weights, over all 16 pixels with the subset's lanes masked
// (in[i] is all ones for the subset's pixels, 0 for the others). The loops have no exits and
// no table look-ups per pixel, so the compiler runs several pixels at once. The sum is the full
// sum; the caller decides with it as with the partial one.
//   entry weight: the entries' weights grow and so do the midpoints, so the pixel's weight is
//     the sum of the weight steps whose midpoint is at or below its projection;
//   entry value: ((64 - w) * lo + w * hi + 32) >> 6 == lo + ((w * (hi - lo) + 32) >> 6), as
//     64 * lo is a multiple of 64.
template <uint32_t kMode>
uint64_t estimate_subset_all(const BlockPlanes& block, const int16_t in[16]) {
  constexpr uint32_t comps = kMode == 7 ? 4 : 3;
  constexpr uint32_t num_entries = kMode == 7 ? 4 : 8;
  constexpr const uint32_t* entry_weights = kMode == 7 ? g_bc7_weights2 : g_bc7_weights3;

  int32_t low[4] = {255, 255, 255, 255}, high[4] = {0, 0, 0, 0};
  for (uint32_t c = 0; c < comps; ++c) {
    int16_t lo = 255, hi = 0;
    for (uint32_t i = 0; i < 16; ++i) {
      lo = std::min<int16_t>(lo, static_cast<int16_t>(block.c[c][i] | (~in[i] & 255)));
      hi = std::max<int16_t>(hi, block.c[c][i] & in[i]);
    }
    low[c] = lo;
    high[c] = hi;
  }

  int16_t v[comps], lo16[comps];
  for (uint32_t c = 0; c < comps; ++c) {
    v[c] = static_cast<int16_t>(high[c] - low[c]);
    lo16[c] = static_cast<int16_t>(low[c]);
  }
  int32_t dots[num_entries];
  for (uint32_t e = 0; e < num_entries; ++e) {
    dots[e] = 0;
    for (uint32_t c = 0; c < comps; ++c)
      dots[e] +=
          static_cast<int32_t>(scan_interpolate(static_cast<uint32_t>(low[c]),
                                                static_cast<uint32_t>(high[c]), entry_weights[e])) *
          v[c];
  }
  int32_t thresholds[num_entries - 1];
  int16_t steps[num_entries - 1];
  for (uint32_t e = 0; e + 1 < num_entries; ++e) {
    thresholds[e] = (dots[e] + dots[e + 1] + 1) >> 1;
    steps[e] = static_cast<int16_t>(entry_weights[e + 1] - entry_weights[e]);
  }

  // 16-bit lanes where the values allow: pixel * v and diff * diff are at most 255 * 255 (16
  // bits unsigned), w * v + 32 at most 64 * 255 + 32.
  uint32_t errs[16];
  for (uint32_t i = 0; i < 16; ++i) {
    int32_t d = 0;
    for (uint32_t c = 0; c < comps; ++c)
      d +=
          static_cast<uint16_t>(static_cast<uint16_t>(block.c[c][i]) * static_cast<uint16_t>(v[c]));
    int16_t w = 0;
    for (uint32_t e = 0; e + 1 < num_entries; ++e)
      w = static_cast<int16_t>(w + (d >= thresholds[e] ? steps[e] : 0));
    int32_t err = 0;
    for (uint32_t c = 0; c < comps; ++c) {
      const int16_t entry =
          static_cast<int16_t>(lo16[c] + (static_cast<int16_t>(w * v[c] + 32) >> 6));
      const int16_t diff = static_cast<int16_t>(block.c[c][i] - entry);
      err += static_cast<uint16_t>(diff * diff);
    }
    errs[i] = static_cast<uint32_t>(err) & static_cast<uint32_t>(static_cast<int32_t>(in[i]));
  }
  uint32_t total = 0;
  for (uint32_t i = 0; i < 16; ++i) total += errs[i];
  return total;
}

// Walks the two-subset partitions in scan order with the pre-filter and keeps the first best.
// `partition_error(q, best_err)` returns the estimated error of partition q; it may stop early
// once the error reaches best_err, since only a strictly smaller error can win.
template <typename PartitionError>
uint32_t scan_partitions(const Bc7BlockParams& block, uint32_t total_partitions,
                         PartitionError&& partition_error) {
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

    const uint64_t err = partition_error(q, best_err);
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

// Lane masks of each two-subset partition: all ones for the pixels of subset 1, 0 for subset 0.
struct PartitionLaneMasks {
  int16_t in1[64][16];
};

constexpr PartitionLaneMasks make_partition_lane_masks() {
  PartitionLaneMasks masks{};
  for (uint32_t p = 0; p < 64; ++p)
    for (uint32_t i = 0; i < 16; ++i)
      masks.in1[p][i] =
          static_cast<int16_t>(-static_cast<int32_t>((g_bc7_partition2_masks[p] >> i) & 1u));
  return masks;
}

constexpr PartitionLaneMasks kPartitionLaneMasks = make_partition_lane_masks();

template <uint32_t kMode>
uint32_t scan_partitions_unit(const Bc7Color* pixels, const Bc7BlockParams& block,
                              uint32_t total_partitions) {
  BlockPlanes planes;
  for (uint32_t i = 0; i < 16; ++i)
    for (uint32_t c = 0; c < 4; ++c) planes.c[c][i] = static_cast<int16_t>(pixels[i].m_c[c]);

  return scan_partitions(block, total_partitions, [&](uint32_t q, uint64_t best_err) {
    const int16_t* in1 = kPartitionLaneMasks.in1[q];
    int16_t in0[16];
    for (uint32_t i = 0; i < 16; ++i) in0[i] = static_cast<int16_t>(~in1[i]);
    uint64_t err = estimate_subset_all<kMode>(planes, in0);
    if (err < best_err) err += estimate_subset_all<kMode>(planes, in1);
    return err;
  });
}

template <uint32_t kMode>
uint32_t scan_partitions_weighted(const Bc7Color* pixels, const Bc7BlockParams& block,
                                  const uint32_t weights[4], uint32_t total_partitions) {
  BlockChannels channels;
  for (uint32_t i = 0; i < 16; ++i)
    for (uint32_t c = 0; c < 4; ++c) channels.c[i][c] = pixels[i].m_c[c];

  return scan_partitions(block, total_partitions, [&](uint32_t q, uint64_t best_err) {
    const PartitionOrder& order = kPartitionOrders.p[q];
    uint64_t err = estimate_subset<kMode>(channels, order.pixels, order.count0, weights, best_err);
    if (err < best_err)
      err += estimate_subset<kMode>(channels, order.pixels + order.count0, 16 - order.count0,
                                    weights, best_err);
    return err;
  });
}

// The unit-weight scan of this header's 16-lane estimator (the baseline build's).
struct GenericUnitScan {
  template <uint32_t kMode>
  static uint32_t scan(const Bc7Color* pixels, const Bc7BlockParams& block,
                       uint32_t total_partitions) {
    return scan_partitions_unit<kMode>(pixels, block, total_partitions);
  }
};

// bc7_estimate_partition with `UnitScan::scan<mode>` for the (usual) unit channel weights.
// Keeps `key` (estimate << 6 | partition) among the `count` smallest keys of `top` (ascending).
inline void keep_smallest(uint64_t key, uint64_t top[], uint32_t count) {
  if (key >= top[count - 1]) return;
  uint32_t at = count - 1;
  for (; at > 0 && top[at - 1] > key; --at) top[at] = top[at - 1];
  top[at] = key;
}

template <typename UnitScan>
uint32_t estimate_partition_impl(const Bc7Color* pixels, const Bc7BlockParams& block,
                                 const uint32_t weights[4], uint32_t mode) {
  const uint32_t total_partitions = block.m_max_partitions < 64 ? block.m_max_partitions : 64;
  if (total_partitions < 2) return 0;
  const uint32_t comps = mode == 7 ? 4 : 3;
  bool unit_weights = true;
  for (uint32_t c = 0; c < comps; ++c) unit_weights = unit_weights && weights[c] == 1;
  if (unit_weights)
    return mode == 7 ? UnitScan::template scan<7>(pixels, block, total_partitions)
                     : UnitScan::template scan<1>(pixels, block, total_partitions);
  return mode == 7 ? scan_partitions_weighted<7>(pixels, block, weights, total_partitions)
                   : scan_partitions_weighted<1>(pixels, block, weights, total_partitions);
}

}  // namespace
