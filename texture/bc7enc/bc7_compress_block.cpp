#include "texture/bc7enc/bc7_compress_block.h"

#include <cassert>
#include <cstring>

#include "texture/bc7enc/bc7_cell_compress.h"
#include "texture/bc7enc/bc7_mode5.h"
#include "texture/bc7enc/bc7_mode_cells.h"
#include "texture/bc7enc/bc7_pack.h"
#include "texture/bc7enc/bc7_partition_estimate.h"
#include "texture/bc7enc/bc7_partitions.h"
#include "texture/bc7enc/bc7_tables.h"
#include "texture/bc7enc/bc7_weights.h"

namespace {

// The mode's cell with the block's channel weights.
Bc7CellParams mode_cell(uint32_t mode, const Bc7BlockParams& block, bool has_alpha,
                        const Bc7Kernels& kernels) {
  Bc7CellParams cell = bc7_mode_cell(mode, has_alpha, kernels);
  std::memcpy(cell.m_weights, block.m_weights, sizeof cell.m_weights);
  return cell;
}

}  // namespace

uint64_t bc7_try_mode6(const Bc7Color* pixels, const Bc7BlockParams& block, bool has_alpha,
                       const Bc7Kernels& kernels, const Bc7Vec4* axis, Bc7BlockResult& result) {
  Bc7CellParams cell = mode_cell(6, block, has_alpha, kernels);
  cell.m_num_pixels = 16;
  cell.m_pixels = pixels;
  uint8_t temp[16];
  Bc7CellResults results{};
  results.m_selectors = result.m_selectors;
  results.m_selectors_temp = temp;
  const uint64_t err = bc7_cell_compress(6, cell, results, block, axis);
  result.m_mode = 6;
  result.m_partition = 0;
  result.m_low[0] = results.m_low_endpoint;
  result.m_high[0] = results.m_high_endpoint;
  result.m_pbits[0][0] = results.m_pbits[0];
  result.m_pbits[0][1] = results.m_pbits[1];
  return err;
}

namespace {

// The two subsets of a partition, each in raster order.
struct Subsets {
  Bc7Color pixels[2][16];
  uint8_t index[2][16];  // pixel position of each subset entry
  uint32_t counts[2];
};

void split(uint32_t partition, const Bc7Color* pixels, Subsets& subsets) {
  subsets.counts[0] = subsets.counts[1] = 0;
  for (uint8_t i = 0; i < 16; ++i) {
    const uint32_t s = bc7_partition_subset(partition, i);
    subsets.index[s][subsets.counts[s]] = i;
    subsets.pixels[s][subsets.counts[s]++] = pixels[i];
  }
}

// Two-subset mode (1 or 7) with `partition`: compresses subset 0 then subset 1, giving up as
// soon as the running total exceeds `limit_err`. Fills `result` and returns the total.
// `axes`: the subsets' axes computed ahead, or null.
uint64_t try_two_subsets(uint32_t mode, uint32_t partition, const Subsets& subsets,
                         const Bc7BlockParams& block, const Bc7Kernels& kernels, uint64_t limit_err,
                         const Bc7Vec4* axes, Bc7BlockResult& result) {
  result.m_mode = mode;
  result.m_partition = partition;
  uint64_t total = 0;
  for (uint32_t s = 0; s < 2; ++s) {
    Bc7CellParams cell = mode_cell(mode, block, mode == 7, kernels);
    cell.m_num_pixels = subsets.counts[s];
    cell.m_pixels = subsets.pixels[s];
    uint8_t selectors[16], temp[16];
    Bc7CellResults results{};
    results.m_selectors = selectors;
    results.m_selectors_temp = temp;
    total += bc7_cell_compress(mode, cell, results, block, axes != nullptr ? &axes[s] : nullptr);
    if (total > limit_err) return total;
    result.m_low[s] = results.m_low_endpoint;
    result.m_high[s] = results.m_high_endpoint;
    result.m_pbits[s][0] = results.m_pbits[0];
    result.m_pbits[s][1] = results.m_pbits[1];
    for (uint32_t k = 0; k < subsets.counts[s]; ++k)
      result.m_selectors[subsets.index[s][k]] = selectors[k];
  }
  return total;
}

// One block between the stages of the choice.
struct BlockChoice {
  Bc7BlockResult result;
  uint64_t best_err;
  uint32_t alpha_min, alpha_max;
  bool has_alpha;
  uint32_t two_subset_mode;  // 1 or 7 when that mode remains to try, else 0
  uint32_t partition;
  Subsets subsets;
};

void measure_alpha(const Bc7Color* pixels, BlockChoice& choice) {
  uint32_t alpha_min = 255, alpha_max = 0;
  for (int i = 0; i < 16; ++i) {
    alpha_min = std::min<uint32_t>(alpha_min, pixels[i].m_c[3]);
    alpha_max = std::max<uint32_t>(alpha_max, pixels[i].m_c[3]);
  }
  choice.alpha_min = alpha_min;
  choice.alpha_max = alpha_max;
  choice.has_alpha = alpha_min < 255;
}

// The principal axes of a block computed ahead: with alpha (mode 6 of a block with alpha) and
// without (mode 6 of an opaque block, mode 5).
struct BlockAxes {
  const Bc7Vec4* rgba;
  const Bc7Vec4* rgb;
};

// The one-subset modes: mode 6, and mode 5 for a block with alpha (with the block's axes when
// given). Then notes whether the two-subset mode (1 opaque, 7 with alpha) remains to try.
void choose_one_subset(const Bc7Color* pixels, const Bc7BlockParams& block,
                       const Bc7Kernels& kernels, const BlockAxes& axes, BlockChoice& choice) {
  assert(g_bc7_mode_1_optimal_endpoints[255][0].m_hi != 0);
  Bc7BlockResult& result = choice.result;
  std::memset(&result, 0, sizeof result);
  uint64_t best_err = bc7_try_mode6(pixels, block, choice.has_alpha, kernels,
                                    choice.has_alpha ? axes.rgba : axes.rgb, result);
  if (!choice.has_alpha) {
    choice.best_err = best_err;
    choice.two_subset_mode = best_err > 0 && block.m_max_partitions > 0 ? 1 : 0;
    return;
  }
  if (best_err > 0 && block.m_try_mode5) {
    Bc7BlockResult candidate;
    const uint64_t err = bc7_mode5_search(pixels, block, choice.alpha_min, choice.alpha_max,
                                          candidate, kernels, axes.rgb);
    if (err < best_err) {
      best_err = err;
      result = candidate;
    }
  }
  choice.best_err = best_err;
  choice.two_subset_mode = best_err > 0 && block.m_try_mode7 ? 7 : 0;
}

// The two-subset mode on choice.partition (with the subsets' axes when given).
void finish_two_subsets(const Bc7BlockParams& block, const Bc7Kernels& kernels, const Bc7Vec4* axes,
                        BlockChoice& choice) {
  if (choice.two_subset_mode == 0) return;
  Bc7BlockResult candidate;
  std::memset(&candidate, 0, sizeof candidate);
  if (try_two_subsets(choice.two_subset_mode, choice.partition, choice.subsets, block, kernels,
                      choice.best_err, axes, candidate) < choice.best_err)
    choice.result = candidate;
}

}  // namespace

bool bc7_choose_block(const Bc7Color* pixels, const Bc7BlockParams& block, Bc7BlockResult& result,
                      const Bc7Kernels& kernels) {
  BlockChoice choice;
  measure_alpha(pixels, choice);
  choose_one_subset(pixels, block, kernels, BlockAxes{nullptr, nullptr}, choice);
  if (choice.two_subset_mode != 0) {
    choice.partition =
        kernels.m_estimate_partition(pixels, block, block.m_weights, choice.two_subset_mode);
    split(choice.partition, pixels, choice.subsets);
  }
  finish_two_subsets(block, kernels, nullptr, choice);
  result = choice.result;
  return choice.has_alpha;
}

bool bc7_compress_block(uint8_t* out, const Bc7Color* pixels, const Bc7BlockParams& block,
                        const Bc7Kernels& kernels) {
  Bc7BlockResult result;
  const bool has_alpha = bc7_choose_block(pixels, block, result, kernels);
  bc7_encode_block(out, result);
  return has_alpha;
}

void bc7_compress_blocks(uint8_t* out, const Bc7Color (*pixels)[16], uint32_t count,
                         const Bc7BlockParams& block, const Bc7Kernels& kernels) {
  assert(count <= kBc7BatchBlocks);
  BlockChoice choices[kBc7BatchBlocks];
  const Bc7Color* cells[2 * kBc7BatchBlocks] = {};
  uint32_t counts[2 * kBc7BatchBlocks] = {};
  Bc7Vec4 rgb_axes[2 * kBc7BatchBlocks], rgba_axes[2 * kBc7BatchBlocks];
  uint32_t first_axis[kBc7BatchBlocks];

  // The axes of whole blocks, all at once: without alpha for every block (mode 6 of the opaque
  // ones, mode 5 of the others), with alpha for the blocks with alpha (mode 6).
  uint32_t queued = 0;
  for (uint32_t b = 0; b < count; ++b) {
    cells[b] = pixels[b];
    counts[b] = 16;
    measure_alpha(pixels[b], choices[b]);
    if (!choices[b].has_alpha) continue;
    first_axis[b] = queued;
    cells[count + queued++] = pixels[b];
  }
  kernels.m_principal_axes_rgb(cells, counts, count, rgb_axes);
  if (queued != 0) kernels.m_principal_axes_rgba(cells + count, counts, queued, rgba_axes);
  for (uint32_t b = 0; b < count; ++b) {
    const BlockAxes axes{choices[b].has_alpha ? &rgba_axes[first_axis[b]] : nullptr, &rgb_axes[b]};
    choose_one_subset(pixels[b], block, kernels, axes, choices[b]);
  }

  // The partitions of the blocks that try mode 1, then of those that try mode 7, each batch at
  // once.
  for (const uint32_t mode : {1u, 7u}) {
    uint32_t members[kBc7BatchBlocks], partitions[kBc7BatchBlocks], n = 0;
    for (uint32_t b = 0; b < count; ++b) {
      if (choices[b].two_subset_mode != mode) continue;
      cells[n] = pixels[b];
      members[n++] = b;
    }
    if (n == 0) continue;
    kernels.m_estimate_partitions(cells, n, block, mode, partitions);
    for (uint32_t k = 0; k < n; ++k) {
      BlockChoice& choice = choices[members[k]];
      choice.partition = partitions[k];
      split(choice.partition, pixels[members[k]], choice.subsets);
    }
  }

  // The axes of the subsets, all at once: without alpha for mode 1, with alpha for mode 7.
  for (const uint32_t mode : {1u, 7u}) {
    queued = 0;
    for (uint32_t b = 0; b < count; ++b) {
      if (choices[b].two_subset_mode != mode) continue;
      first_axis[b] = queued;
      for (uint32_t s = 0; s < 2; ++s) {
        cells[queued] = choices[b].subsets.pixels[s];
        counts[queued++] = choices[b].subsets.counts[s];
      }
    }
    if (queued != 0)
      (mode == 7 ? kernels.m_principal_axes_rgba : kernels.m_principal_axes_rgb)(
          cells, counts, queued, mode == 7 ? rgba_axes : rgb_axes);
  }
  for (uint32_t b = 0; b < count; ++b) {
    const uint32_t mode = choices[b].two_subset_mode;
    const Bc7Vec4* axes = mode == 7 ? rgba_axes : rgb_axes;
    finish_two_subsets(block, kernels, mode != 0 ? &axes[first_axis[b]] : nullptr, choices[b]);
    bc7_encode_block(out + 16 * b, choices[b].result);
  }
}
