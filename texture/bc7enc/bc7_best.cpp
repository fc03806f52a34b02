#include "texture/bc7enc/bc7_best.h"

#include <algorithm>
#include <cstring>

#include "texture/bc7enc/bc7_cell_compress.h"
#include "texture/bc7enc/bc7_compress_block.h"
#include "texture/bc7enc/bc7_line_search.h"
#include "texture/bc7enc/bc7_mode5.h"
#include "texture/bc7enc/bc7_mode_cells.h"
#include "texture/bc7enc/bc7_pack.h"
#include "texture/bc7enc/bc7_presets.h"
#include "texture/bc7enc/bc7_refine.h"
#include "texture/bc7enc/bc7_rotated.h"

namespace {

// Search effort of the candidates at Best: the finalists are refined exactly afterwards, so the
// candidates need only rank well. Mode 6 and the two-subset modes take two selector
// refinements, the three-subset modes and the rotated modes 4 and 5 one.
constexpr Bc7BlockParams kBestParams{64, {1, 1, 1, 1}, 2, false, true, true, true, true};
constexpr Bc7BlockParams kCandidateParams{64, {1, 1, 1, 1}, 1, false, true, true, true, true};

// Two-subset partitions compressed per mode, the estimator's best first.
constexpr uint32_t kPartitionsTried = 4;
// Three-subset partitions (modes 0 and 2, opaque blocks): these rarely win on photographs.
constexpr uint32_t kPartitions3Tried = 1;

// Two- or three-subset mode (0, 1, 2, 3 or 7) with `partition`, abandoned once the running total
// reaches `limit_err`. Fills `result` and returns the total.
uint64_t try_subsets(uint32_t mode, uint32_t partition, const Bc7Color* pixels, bool has_alpha,
                     const Bc7Kernels& kernels, const Bc7BlockParams& params, uint64_t limit_err,
                     Bc7BlockResult& result) {
  const uint32_t subsets = bc7_mode_shape(mode).subsets;
  Bc7Color subset_pixels[3][16];
  uint8_t subset_index[3][16];
  uint32_t counts[3] = {0, 0, 0};
  for (uint8_t i = 0; i < 16; ++i) {
    const uint32_t s = bc7_subset_of(subsets, partition, i);
    subset_index[s][counts[s]] = i;
    subset_pixels[s][counts[s]++] = pixels[i];
  }
  std::memset(&result, 0, sizeof result);
  result.m_mode = mode;
  result.m_partition = partition;
  uint64_t total = 0;
  for (uint32_t s = 0; s < subsets; ++s) {
    Bc7CellParams cell = bc7_mode_cell(mode, has_alpha, kernels);
    cell.m_num_pixels = counts[s];
    cell.m_pixels = subset_pixels[s];
    uint8_t selectors[16], temp[16];
    Bc7CellResults results{};
    results.m_selectors = selectors;
    results.m_selectors_temp = temp;
    total += bc7_cell_compress(mode, cell, results, params);
    if (total >= limit_err) return total;
    result.m_low[s] = results.m_low_endpoint;
    result.m_high[s] = results.m_high_endpoint;
    result.m_pbits[s][0] = results.m_pbits[0];
    result.m_pbits[s][1] = results.m_pbits[1];
    for (uint32_t k = 0; k < counts[s]; ++k) result.m_selectors[subset_index[s][k]] = selectors[k];
  }
  return total;
}

// Error from which a block close to one line tries the line search of mode 6 (about 2 levels
// per channel and pixel; below it the search seldom gains).
constexpr uint64_t kLineSearchMinError = 64;

// Sorts `keys` (error << 6 | partition) of the first `partitions` partitions and writes the
// `count` partitions of smallest key to `ranked`: ties keep the lower partition.
void take_smallest(uint64_t keys[], uint32_t partitions, uint32_t ranked[], uint32_t count) {
  std::partial_sort(keys, keys + count, keys + partitions);
  for (uint32_t k = 0; k < count; ++k) ranked[k] = static_cast<uint32_t>(keys[k] & 63);
}

// The pixels of each three-subset partition, subset by subset, and the subsets' pixel counts.
struct Partition3Lists {
  uint8_t pixels[64][16];
  uint8_t counts[64][3];
  Partition3Lists() {
    for (uint32_t q = 0; q < 64; ++q) {
      uint32_t k = 0;
      for (uint32_t s = 0; s < 3; ++s) {
        counts[q][s] = 0;
        for (uint32_t i = 0; i < 16; ++i) {
          if (bc7_partition3_subset(q, i) != s) continue;
          pixels[q][k++] = static_cast<uint8_t>(i);
          ++counts[q][s];
        }
      }
    }
  }
};

// Three-subset partitions of an opaque block ranked by the RGB spread of each subset about its
// mean (a cheap stand-in for the fitted error, which costs three times the two-subset
// estimate): the `count` best of the first 16 (mode 0) and of all 64 (mode 2).
void rank_three_subsets(const Bc7Color* pixels, uint32_t ranked16[], uint32_t ranked64[],
                        uint32_t count) {
  // In 32 bits: a subset's sums are at most 16 x 255 per channel, so 16 times the squared sums
  // of three channels stay below 2^30. One vector per pixel: R, G, B and the sum of their squares.
  typedef uint32_t U32x4 __attribute__((vector_size(16)));
  U32x4 values[16];
  for (uint32_t i = 0; i < 16; ++i) {
    const uint32_t r = pixels[i].m_c[0], g = pixels[i].m_c[1], b = pixels[i].m_c[2];
    values[i] = U32x4{r, g, b, r * r + g * g + b * b};
  }
  static const Partition3Lists lists;
  uint64_t keys[64];
  for (uint32_t q = 0; q < 64; ++q) {
    const uint8_t* pixel = lists.pixels[q];
    uint32_t spread = 0;  // sum of squares about the means, times 16
    for (uint32_t s = 0; s < 3; ++s) {
      const uint32_t n = lists.counts[q][s];
      U32x4 sums = {0, 0, 0, 0};
      for (uint32_t k = 0; k < n; ++k) sums += values[*pixel++];
      const uint32_t squared_sums = sums[0] * sums[0] + sums[1] * sums[1] + sums[2] * sums[2];
      spread += 16 * sums[3] - 16 * squared_sums / n;
    }
    keys[q] = uint64_t{spread} << 6 | q;
  }
  uint64_t first16[16];
  std::copy(keys, keys + 16, first16);
  take_smallest(first16, 16, ranked16, count);
  take_smallest(keys, 64, ranked64, count);
}

// The two solutions of least error so far; a candidate must beat the second to count, so the
// searches may give up once they reach its error.
struct TopTwo {
  Bc7BlockResult result[2];
  uint64_t err[2] = {UINT64_MAX, UINT64_MAX};

  uint64_t limit() const { return err[1]; }
  void offer(uint64_t e, const Bc7BlockResult& candidate) {
    if (e >= err[1]) return;
    if (e < err[0]) {
      result[1] = result[0], err[1] = err[0];
      result[0] = candidate, err[0] = e;
    } else {
      result[1] = candidate, err[1] = e;
    }
  }
};

}  // namespace

uint64_t bc7_best_solution(const Bc7Color* pixels, const Bc7Kernels& kernels,
                           Bc7BlockResult& result) {
  TopTwo top;
  Bc7BlockResult candidate;
  const bool has_alpha = bc7_choose_block(pixels, g_bc7_params_slow, candidate, kernels);
  top.offer(bc7_result_error(candidate, pixels), candidate);
  const auto searching = [&top] { return top.err[0] > 0; };

  if (searching()) {
    // Mode 6 over the whole block with Best's selector refinement.
    std::memset(&candidate, 0, sizeof candidate);
    top.offer(bc7_try_mode6(pixels, kBestParams, has_alpha, kernels, nullptr, candidate),
              candidate);
  }
  if (searching() && has_alpha) {
    uint32_t alpha_min = 255, alpha_max = 0;
    for (int i = 0; i < 16; ++i) {
      alpha_min = std::min<uint32_t>(alpha_min, pixels[i].m_c[3]);
      alpha_max = std::max<uint32_t>(alpha_max, pixels[i].m_c[3]);
    }
    top.offer(bc7_mode5_search(pixels, kBestParams, alpha_min, alpha_max, candidate, kernels),
              candidate);
  }
  // The best ranked partitions of the two- and three-subset modes: 1 and 3 (one ranking), 0
  // and 2 for opaque blocks; 7 for blocks with alpha.
  uint32_t ranked2[kPartitionsTried], ranked16[kPartitions3Tried], ranked64[kPartitions3Tried];
  if (searching()) {
    if (has_alpha) {
      kernels.m_rank_partitions(pixels, 7, ranked2, kPartitionsTried);
    } else {
      kernels.m_rank_partitions(pixels, 1, ranked2, kPartitionsTried);
      rank_three_subsets(pixels, ranked16, ranked64, kPartitions3Tried);
    }
  }
  for (const uint32_t mode : {1u, 3u, 7u, 0u, 2u}) {
    if (!searching() || (mode == 7) != has_alpha) continue;
    const bool three = bc7_mode_shape(mode).subsets == 3;
    const uint32_t* ranked = !three ? ranked2 : mode == 0 ? ranked16 : ranked64;
    for (uint32_t k = 0; k < (three ? kPartitions3Tried : kPartitionsTried) && searching(); ++k)
      top.offer(try_subsets(mode, ranked[k], pixels, has_alpha, kernels,
                            three ? kCandidateParams : kBestParams, top.limit(), candidate),
                candidate);
  }
  // Modes 4 and 5 with each rotation and mode 4 with each index selection. Opaque blocks skip
  // rotation 0 (a constant alpha on its own indices) and mode 4 with 2-bit colour indices,
  // which seldom win there; mode 5 without rotation was tried above.
  for (uint32_t mode : {5u, 4u})
    for (uint32_t rotation = has_alpha ? 0 : 1; rotation < 4 && searching(); ++rotation)
      for (uint32_t index_selector = (mode == 4 && !has_alpha) ? 1u : 0u;
           index_selector < (mode == 4 ? 2u : 1u); ++index_selector) {
        if (mode == 5 && rotation == 0) continue;
        top.offer(bc7_rotated_search(mode, rotation, index_selector, pixels, kernels,
                                     kCandidateParams, top.limit(), candidate),
                  candidate);
      }
  // Both finalists refined exactly; the better one is written.
  uint64_t best_err = bc7_refine_result(top.result[0], pixels, has_alpha, kernels);
  if (top.err[1] != UINT64_MAX && best_err > 0 &&
      bc7_refine_result(top.result[1], pixels, has_alpha, kernels) < best_err)
    top.result[0] = top.result[1];
  result = top.result[0];
  uint64_t err = bc7_result_error(result, pixels);
  // A block still well off whose colours keep close to one line: mode 6's endpoints searched
  // along that line (most photographs' blocks spread off any line and skip this).
  if (err >= kLineSearchMinError && 4.0f * bc7_off_line_energy(pixels) < static_cast<float>(err)) {
    if (bc7_mode6_line_search(pixels, has_alpha, kernels, candidate) < err) {
      const uint64_t line_err = bc7_result_error(candidate, pixels);
      if (line_err < err) result = candidate, err = line_err;
    }
  }
  return err;
}

void bc7_compress_block_best(uint8_t* out, const Bc7Color* pixels, const Bc7Kernels& kernels) {
  Bc7BlockResult result;
  bc7_best_solution(pixels, kernels, result);
  bc7_encode_block(out, result);
}
