#include "texture/bc7enc/bc7_compress_block.h"

#include <cassert>
#include <cstring>

#include "texture/bc7enc/bc7_cell_compress.h"
#include "texture/bc7enc/bc7_mode5.h"
#include "texture/bc7enc/bc7_pack.h"
#include "texture/bc7enc/bc7_partition_estimate.h"
#include "texture/bc7enc/bc7_partitions.h"
#include "texture/bc7enc/bc7_tables.h"
#include "texture/bc7enc/bc7_weights.h"

namespace {

Bc7CellParams mode_cell(uint32_t mode, const Bc7BlockParams& block, bool has_alpha,
                        const Bc7Kernels& kernels) {
  Bc7CellParams cell{};
  switch (mode) {
    case 1:
      cell.m_num_selector_weights = 8;
      cell.m_selector_weights = g_bc7_weights3;
      cell.m_selector_weightsx = g_bc7_weights3x.data();
      cell.m_comp_bits = 6;
      cell.m_endpoints_share_pbit = true;
      break;
    case 6:
      cell.m_num_selector_weights = 16;
      cell.m_selector_weights = g_bc7_weights4;
      cell.m_selector_weightsx = g_bc7_weights4x.data();
      cell.m_comp_bits = 7;
      break;
    default:  // 7
      cell.m_num_selector_weights = 4;
      cell.m_selector_weights = g_bc7_weights2;
      cell.m_selector_weightsx = g_bc7_weights2x.data();
      cell.m_comp_bits = 5;
      break;
  }
  cell.m_has_pbits = true;
  cell.m_has_alpha = has_alpha;
  std::memcpy(cell.m_weights, block.m_weights, sizeof cell.m_weights);
  bc7_use_cell_kernels(cell, kernels);
  return cell;
}

// Mode 6 over the whole block into `result`; returns its error.
uint64_t try_mode6(const Bc7Color* pixels, const Bc7BlockParams& block, bool has_alpha,
                   const Bc7Kernels& kernels, Bc7BlockResult& result) {
  Bc7CellParams cell = mode_cell(6, block, has_alpha, kernels);
  cell.m_num_pixels = 16;
  cell.m_pixels = pixels;
  uint8_t temp[16];
  Bc7CellResults results{};
  results.m_selectors = result.m_selectors;
  results.m_selectors_temp = temp;
  const uint64_t err = bc7_cell_compress(6, cell, results, block);
  result.m_mode = 6;
  result.m_partition = 0;
  result.m_low[0] = results.m_low_endpoint;
  result.m_high[0] = results.m_high_endpoint;
  result.m_pbits[0][0] = results.m_pbits[0];
  result.m_pbits[0][1] = results.m_pbits[1];
  return err;
}

// Two-subset mode (1 or 7) with `partition`: compresses subset 0 then subset 1, giving up as
// soon as the running total exceeds `limit_err`. Fills `result` and returns the total.
uint64_t try_two_subsets(uint32_t mode, uint32_t partition, const Bc7Color* pixels,
                         const Bc7BlockParams& block, const Bc7Kernels& kernels, uint64_t limit_err,
                         Bc7BlockResult& result) {
  Bc7Color subset_pixels[2][16];
  uint8_t subset_index[2][16];  // pixel position of each subset entry
  uint32_t counts[2] = {0, 0};
  for (uint8_t i = 0; i < 16; ++i) {
    const uint32_t s = bc7_partition_subset(partition, i);
    subset_index[s][counts[s]] = i;
    subset_pixels[s][counts[s]++] = pixels[i];
  }
  result.m_mode = mode;
  result.m_partition = partition;
  uint64_t total = 0;
  for (uint32_t s = 0; s < 2; ++s) {
    Bc7CellParams cell = mode_cell(mode, block, mode == 7, kernels);
    cell.m_num_pixels = counts[s];
    cell.m_pixels = subset_pixels[s];
    uint8_t selectors[16], temp[16];
    Bc7CellResults results{};
    results.m_selectors = selectors;
    results.m_selectors_temp = temp;
    total += bc7_cell_compress(mode, cell, results, block);
    if (total > limit_err) return total;
    result.m_low[s] = results.m_low_endpoint;
    result.m_high[s] = results.m_high_endpoint;
    result.m_pbits[s][0] = results.m_pbits[0];
    result.m_pbits[s][1] = results.m_pbits[1];
    for (uint32_t k = 0; k < counts[s]; ++k) result.m_selectors[subset_index[s][k]] = selectors[k];
  }
  return total;
}

}  // namespace

bool bc7_choose_block(const Bc7Color* pixels, const Bc7BlockParams& block, Bc7BlockResult& result,
                      const Bc7Kernels& kernels) {
  assert(g_bc7_mode_1_optimal_endpoints[255][0].m_hi != 0);
  std::memset(&result, 0, sizeof result);

  uint32_t alpha_min = 255, alpha_max = 0;
  for (int i = 0; i < 16; ++i) {
    alpha_min = std::min<uint32_t>(alpha_min, pixels[i].m_c[3]);
    alpha_max = std::max<uint32_t>(alpha_max, pixels[i].m_c[3]);
  }
  const bool has_alpha = alpha_min < 255;

  uint64_t best_err = try_mode6(pixels, block, has_alpha, kernels, result);
  Bc7BlockResult candidate;
  if (!has_alpha) {
    if (best_err > 0 && block.m_max_partitions > 0) {
      const uint32_t p = kernels.m_estimate_partition(pixels, block, block.m_weights, 1);
      std::memset(&candidate, 0, sizeof candidate);
      if (try_two_subsets(1, p, pixels, block, kernels, best_err, candidate) < best_err)
        result = candidate;
    }
    return false;
  }

  if (best_err > 0 && block.m_try_mode5) {
    const uint64_t err = bc7_mode5_search(pixels, block, alpha_min, alpha_max, candidate, kernels);
    if (err < best_err) {
      best_err = err;
      result = candidate;
    }
  }
  if (best_err > 0 && block.m_try_mode7) {
    const uint32_t p = kernels.m_estimate_partition(pixels, block, block.m_weights, 7);
    std::memset(&candidate, 0, sizeof candidate);
    if (try_two_subsets(7, p, pixels, block, kernels, best_err, candidate) < best_err)
      result = candidate;
  }
  return true;
}

bool bc7_compress_block(uint8_t* out, const Bc7Color* pixels, const Bc7BlockParams& block,
                        const Bc7Kernels& kernels) {
  Bc7BlockResult result;
  const bool has_alpha = bc7_choose_block(pixels, block, result, kernels);
  bc7_encode_block(out, result);
  return has_alpha;
}
