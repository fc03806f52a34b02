// The processor-specific builds of the BC7 kernels give the baseline build's answers: the
// partition estimator picks the same partition for every block, the selector evaluation picks the
// same selectors with the same error whenever the solution can win, and the least-squares sums
// are equal, and so are the principal axes. Skipped where the processor lacks the build's level.
// Whole Hap R textures at every level are checked with the other texture types
// (slot_equivalence_test.cpp).
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "texture/bc7enc/bc7_kernels.h"
#include "texture/bc7enc/bc7_partition_estimate.h"
#include "texture/bc7enc/bc7_partitions.h"
#include "texture/bc7enc/bc7_presets.h"
#include "texture/bc7enc/bc7_weights.h"
#include "texture/cpu_probe.h"

namespace {

// The processor-specific builds of the BC7 kernels, each with the level that binds it.
struct Bc7Build {
  const char* name;
  CpuFeatureMask level;
  const Bc7Kernels* kernels;
};
const Bc7Build kBuilds[] = {{"avx2", CPU_LEVEL_AVX2, &g_bc7_kernels_avx2},
                            {"avx512", CPU_LEVEL_AVX512, &g_bc7_kernels_avx512}};

class Bc7VariantEquivalence : public testing::TestWithParam<Bc7Build> {
 protected:
  void SetUp() override {
    if (!cpu_level_allowed(effective_mask(CPU_MASK_DEFAULT, probe_cpu_facts()), build.level))
      GTEST_SKIP() << "this processor lacks " << build.name;
  }
  const Bc7Build& build = GetParam();
  const Bc7Kernels& k = *build.kernels;
};

using Block = std::array<Bc7Color, 16>;

// Blocks that stress the lane arithmetic: uniform noise, values only at the limits 0 and 255
// (largest projections and squared differences), tiny alphabets (ties between midpoints), flat
// blocks, and two-colour blocks split by a random partition pattern with grain.
std::vector<Block> adversarial_blocks(bool with_alpha) {
  std::mt19937 rng(with_alpha ? 21 : 12);
  std::vector<Block> blocks;
  const auto add = [&](auto&& value) {
    for (int n = 0; n < 200; ++n) {
      Block b;
      const uint16_t mask = g_bc7_partition2_masks[rng() % 64];
      for (uint32_t i = 0; i < 16; ++i)
        for (uint32_t c = 0; c < 4; ++c)
          b[i].m_c[c] = c == 3 && !with_alpha ? 255 : value(rng, (mask >> i) & 1u, c);
      blocks.push_back(b);
    }
  };
  add([](std::mt19937& r, uint32_t, uint32_t) { return static_cast<uint8_t>(r()); });
  add([](std::mt19937& r, uint32_t, uint32_t) { return static_cast<uint8_t>(r() & 1 ? 255 : 0); });
  add([](std::mt19937& r, uint32_t, uint32_t) { return static_cast<uint8_t>(100 + r() % 3); });
  add([](std::mt19937&, uint32_t, uint32_t c) { return static_cast<uint8_t>(17 * c + 3); });
  add([](std::mt19937& r, uint32_t s, uint32_t c) {
    const int base = s ? 30 + 40 * static_cast<int>(c) : 240 - 45 * static_cast<int>(c);
    return static_cast<uint8_t>(base + static_cast<int>(r() % 11) - 5);
  });
  return blocks;
}

TEST_P(Bc7VariantEquivalence, EstimatorPicksTheBaselinePartition) {
  // The presets, plus a full scan of all 64 partitions without the pre-filter, where the winner
  // depends on every partition's estimate; block by block and in batches of every length up to
  // 37 (past two groups of sixteen lanes); and Best's ranking of the eight best partitions.
  Bc7BlockParams full_scan = g_bc7_params_slow;
  full_scan.m_partition_prefilter = false;
  const uint32_t unit[4] = {1, 1, 1, 1}, weighted[4] = {2, 3, 1, 4};
  for (const Bc7BlockParams* params : {&g_bc7_params_fast, &g_bc7_params_normal, &g_bc7_params_slow,
                                       static_cast<const Bc7BlockParams*>(&full_scan)})
    for (uint32_t mode : {1u, 7u}) {
      const std::vector<Block> blocks = adversarial_blocks(mode == 7);
      for (const Block& block : blocks)
        for (const uint32_t* weights : {unit, weighted})
          ASSERT_EQ(k.m_estimate_partition(block.data(), *params, weights, mode),
                    bc7_estimate_partition(block.data(), *params, weights, mode))
              << "mode " << mode << " partitions " << params->m_max_partitions << " pre-filter "
              << params->m_partition_prefilter << " weights " << weights[0];
      const Bc7Color* batch[37];
      uint32_t base[37], vec[37];
      for (size_t first = 0, length = 1; first + length <= blocks.size();
           first += length, length = 1 + first % 37) {
        for (size_t b = 0; b < length; ++b) batch[b] = blocks[first + b].data();
        bc7_estimate_partitions(batch, static_cast<uint32_t>(length), *params, mode, base);
        k.m_estimate_partitions(batch, static_cast<uint32_t>(length), *params, mode, vec);
        ASSERT_EQ(0, std::memcmp(base, vec, length * sizeof base[0]))
            << "mode " << mode << " batch at " << first;
      }
    }
  for (uint32_t mode : {1u, 7u})
    for (const Block& block : adversarial_blocks(mode == 7)) {
      uint32_t ranked[2][8];
      k.m_rank_partitions(block.data(), mode, ranked[0], 8);
      bc7_rank_partitions(block.data(), mode, ranked[1], 8);
      ASSERT_EQ(std::memcmp(ranked[0], ranked[1], sizeof ranked[0]), 0) << "mode " << mode;
    }
}

// Every selector count, with and without alpha, every subset size, endpoints anywhere (equal,
// reversed, at the limits). Pixels from noise, from the limits with one selector everywhere
// (largest sums, a singular system), or with a component shared by all pixels at 0 or 255 (a fit
// just outside 0..255 is pulled back to it). With no best error yet both builds report the full
// error; with a best error the vector build may only differ where the solution loses anyway. The
// least-squares sums and fit, on the selectors found or on random ones, are the very same floats.
TEST_P(Bc7VariantEquivalence, SelectorsAndLeastSquaresMatchBaseline) {
  std::mt19937 rng(31);
  const uint32_t* weight_tables[3] = {g_bc7_weights2, g_bc7_weights3, g_bc7_weights4};
  const uint32_t unit[4] = {1, 1, 1, 1}, weighted[4] = {3, 1, 2, 5};
  for (int trial = 0; trial < 8000; ++trial) {
    const uint32_t table = static_cast<uint32_t>(trial / 16) % 3;
    const int style = (trial / 3) % 3;
    const uint32_t flat = rng() % 4, flat_value = rng() % 2 ? 255 : 0;
    Bc7Color pixels[16];
    uint8_t selectors[16];
    for (uint32_t i = 0; i < 16; ++i) {
      for (uint32_t c = 0; c < 4; ++c)
        pixels[i].m_c[c] = static_cast<uint8_t>(style == 0                ? 255 - rng() % 2
                                                : c == flat && style == 2 ? flat_value
                                                                          : rng());
      selectors[i] = static_cast<uint8_t>(style == 0 ? (4u << table) - 1 : rng() % (4u << table));
    }
    Bc7CellParams cell{};
    cell.m_num_pixels = 1 + static_cast<uint32_t>(trial % 16);
    cell.m_pixels = pixels;
    cell.m_num_selector_weights = 4u << table;
    cell.m_selector_weights = weight_tables[table];
    cell.m_has_alpha = (trial / 48) % 2 == 1;
    std::memcpy(cell.m_weights, trial % 97 == 0 ? weighted : unit, sizeof cell.m_weights);
    uint32_t lo[4], hi[4];
    for (uint32_t c = 0; c < 4; ++c) {
      lo[c] = style == 0 ? (rng() & 1) * 255 : rng() % 256;
      hi[c] = trial % 11 == 0 ? lo[c] : rng() % 256;
    }
    uint8_t base_sel[16], vec_sel[16];
    const uint64_t base = bc7_evaluate_selectors(lo, hi, cell, UINT64_MAX, base_sel);
    ASSERT_EQ(k.m_evaluate_selectors(lo, hi, cell, UINT64_MAX, vec_sel), base) << trial;
    ASSERT_EQ(0, std::memcmp(base_sel, vec_sel, cell.m_num_pixels)) << trial;
    for (const uint64_t best : {base + 1, base, base / 2}) {
      const uint64_t partial = bc7_evaluate_selectors(lo, hi, cell, best, base_sel);
      const uint64_t vec = k.m_evaluate_selectors(lo, hi, cell, best, vec_sel);
      if (partial < best) {
        ASSERT_EQ(vec, partial) << trial;
        ASSERT_EQ(0, std::memcmp(base_sel, vec_sel, cell.m_num_pixels)) << trial;
      } else {
        ASSERT_GE(vec, best) << trial;
      }
    }
    if (trial % 4 == 1) std::memcpy(selectors, base_sel, cell.m_num_pixels);
    Bc7LeastSquaresSums base_sums, vec_sums;
    bc7_least_squares_sums(cell, selectors, base_sums);
    k.m_least_squares_sums(cell, selectors, vec_sums);
    ASSERT_EQ(0, std::memcmp(&base_sums, &vec_sums, sizeof base_sums)) << trial;
    Bc7Vec4 fit_base[2], fit_vec[2];
    bc7_least_squares(cell, selectors, fit_base[0], fit_base[1]);
    k.m_least_squares(cell, selectors, fit_vec[0], fit_vec[1]);
    ASSERT_EQ(0, std::memcmp(fit_base, fit_vec, sizeof fit_base)) << trial;
  }
}

// Every cell shape the block search quantises for (modes 1, 5, 6 opaque and with alpha, 7), with
// colours outside 0..1 (clamped), on the half steps of the code grid (ties of the rounding), and
// nearly equal endpoints (the degenerate repair of mode 1).
TEST_P(Bc7VariantEquivalence, QuantisationMatchesBaseline) {
  struct Shape {
    uint32_t mode, comp_bits;
    bool pbits, share, alpha;
  };
  const Shape shapes[] = {{1, 6, true, true, false},
                          {5, 7, false, false, false},
                          {6, 7, true, false, false},
                          {6, 7, true, false, true},
                          {7, 5, true, false, true}};
  std::mt19937 rng(53);
  std::uniform_real_distribution<float> around(-0.2f, 1.2f);
  for (const Shape& shape : shapes) {
    Bc7CellParams cell{};
    cell.m_comp_bits = shape.comp_bits;
    cell.m_has_pbits = shape.pbits;
    cell.m_endpoints_share_pbit = shape.share;
    cell.m_has_alpha = shape.alpha;
    const uint32_t half_steps = 2u << (shape.comp_bits + 1);
    for (int trial = 0; trial < 4000; ++trial) {
      Bc7Vec4 lo, hi;
      for (uint32_t c = 0; c < 4; ++c) {
        lo.m_c[c] = trial % 2 ? around(rng)
                              : static_cast<float>(rng() % (half_steps + 1)) /
                                    static_cast<float>(half_steps - 2);
        hi.m_c[c] = trial % 5 == 0 ? lo.m_c[c] + 1e-4f : around(rng);
      }
      const Bc7EndpointCodes base = bc7_quantise_endpoints(shape.mode, lo, hi, cell);
      const Bc7EndpointCodes vec = k.m_quantise_endpoints(shape.mode, lo, hi, cell);
      ASSERT_EQ(0, std::memcmp(&base, &vec, sizeof base)) << "mode " << shape.mode << " " << trial;
    }
  }
}

// Batches of every length up to 37 (past two groups of sixteen lanes) over cells of every size,
// axes with and without alpha: the very floats of the baseline, one cell after another.
TEST_P(Bc7VariantEquivalence, PrincipalAxesMatchBaseline) {
  const std::vector<Block> blocks = adversarial_blocks(true);
  const Bc7Color* cells[37];
  uint32_t counts[37];
  for (size_t first = 0; first + 37 <= blocks.size(); first += 37) {
    const uint32_t batch = 1 + static_cast<uint32_t>(first / 37 * 5) % 37;
    for (uint32_t k = 0; k < batch; ++k) {
      cells[k] = blocks[first + k].data();
      counts[k] = 1 + static_cast<uint32_t>(first + 3 * k) % 16;
    }
    const std::pair<Bc7PrincipalAxesFn, Bc7PrincipalAxesFn> builds[] = {
        {bc7_principal_axes_rgba, k.m_principal_axes_rgba},
        {bc7_principal_axes_rgb, k.m_principal_axes_rgb}};
    for (const auto& [baseline, build] : builds) {
      Bc7Vec4 base[37], vec[37];
      baseline(cells, counts, batch, base);
      build(cells, counts, batch, vec);
      ASSERT_EQ(0, std::memcmp(base, vec, batch * sizeof base[0]))
          << "batch at " << first << (baseline == bc7_principal_axes_rgb ? " without alpha" : "");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Builds, Bc7VariantEquivalence, testing::ValuesIn(kBuilds),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
