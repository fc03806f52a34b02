// Processor-specific kernels against the generic table: every slot a level overwrites must give
// the generic kernel's bytes on thousands of seeded random inputs and on hand-made hard inputs,
// and a whole frame must come out the same at every level. Levels the processor lacks are
// skipped, visibly. The seed comes from --gtest_random_seed (fixed when 0) and is printed with
// every failure.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/test_frames.h"
#include "texture/cpu_probe.h"
#include "texture/dxtenc.h"

namespace {

constexpr CpuFeatureMask kGenericOnly = CPU_ALLOW_SPECIFIC;

struct Level {
  const char* name;
  CpuFeatureMask mask;
  CpuFeatureMask below;  // the level under it, also compared against
};
const Level kLevels[] = {
    {"avx", CPU_ALLOW_SPECIFIC | CPU_AVX, kGenericOnly},
    {"avx2", CPU_ALLOW_SPECIFIC | CPU_AVX | CPU_AVX2, CPU_ALLOW_SPECIFIC | CPU_AVX},
    {"avx2_fma", CPU_ALLOW_SPECIFIC | CPU_AVX | CPU_AVX2 | CPU_FMA,
     CPU_ALLOW_SPECIFIC | CPU_AVX | CPU_AVX2},
};

uint32_t test_seed() {
  const int flag = GTEST_FLAG_GET(random_seed);
  return flag != 0 ? static_cast<uint32_t>(flag) : 20261206u;
}

DxtEncOps table_for(CpuFeatureMask mask, uint8_t quality) {
  DxtEnc enc{};
  EXPECT_EQ(dxtenc_open(&enc, 64, 64, DXTENC_DXT1, quality, 0, ARGB_8, PAD_REPLICATE, 1, mask), 0);
  return enc.ops;
}

std::string hex(const void* data, size_t bytes) {
  std::string s;
  char b[4];
  for (size_t i = 0; i < bytes; ++i) {
    std::snprintf(b, sizeof b, "%02x", static_cast<const uint8_t*>(data)[i]);
    s += b;
  }
  return s;
}

// ---- cluster_search: weighted, ordered point sets ----

struct PointSet {
  int count;
  float weighted[16][4];
};

PointSet make_points(int n, const std::function<float(int, int)>& value,
                     const std::function<int(int)>& weight) {
  PointSet p{n, {}};
  for (int i = 0; i < n; ++i) {
    const float w = std::sqrt(static_cast<float>(weight(i)));
    for (int c = 0; c < 3; ++c) p.weighted[i][c] = value(i, c) * w;
    p.weighted[i][3] = w;
  }
  return p;
}

// Flat, two colours, one outlier, full-range gradient and mirror-symmetric sets (equal errors on
// mirrored splits, where only the list order decides), at several point counts.
std::vector<PointSet> hard_point_sets() {
  std::vector<PointSet> sets;
  for (int n : {2, 3, 4, 8, 15, 16}) {
    const auto one = [](int) { return 1; };
    sets.push_back(make_points(
        n, [](int, int) { return 0.5f; }, one));
    sets.push_back(make_points(
        n, [n](int i, int) { return i < n / 2 ? 0.0f : 1.0f; }, one));
    sets.push_back(make_points(
        n, [n](int i, int c) { return i == n - 1 ? 1.0f : 0.1f * c; },
        [](int i) { return 1 + i % 3; }));
    sets.push_back(make_points(
        n, [n](int i, int) { return static_cast<float>(i) / static_cast<float>(n - 1); }, one));
    sets.push_back(make_points(
        n, [n](int i, int c) { return c == 1 ? 0.5f : (i < n / 2 ? 0.25f : 0.75f); },
        [n](int i) { return 1 + (i < n / 2 ? i : n - 1 - i); }));
    sets.push_back(make_points(
        n, [](int, int) { return 0.0f; }, [](int i) { return 16 - i; }));
  }
  return sets;
}

PointSet random_points(std::mt19937& rng) {
  const int n = 2 + static_cast<int>(rng() % 15);
  const int style = static_cast<int>(rng() % 3);  // noise, narrow range, few levels
  return make_points(
      n,
      [&](int, int) {
        if (style == 0) return static_cast<float>(rng() % 256) / 255.0f;
        if (style == 1) return static_cast<float>(100 + rng() % 24) / 255.0f;
        return static_cast<float>(rng() % 4) / 3.0f;
      },
      [&](int) { return 1 + static_cast<int>(rng() % 16); });
}

struct SearchOutcome {
  bool improved;
  ClusterFitResult fit;
};

SearchOutcome run_search(const DxtEncOps& ops, const PointSet& p) {
  SearchOutcome out{};
  std::memset(&out.fit, 0xCD, sizeof out.fit);  // indices past the count stay untouched
  const size_t kernel = static_cast<size_t>(p.count - 2);
  out.improved = ops.cluster_search[kernel](p.weighted, &ops.cluster_splits[kernel], &out.fit);
  return out;
}

// Compares the search of `test` with that of `ref` bit for bit; returns false at a mismatch.
bool same_search(const DxtEncOps& ref, const DxtEncOps& test, const PointSet& p) {
  const SearchOutcome a = run_search(ref, p), b = run_search(test, p);
  if (a.improved == b.improved && std::memcmp(&a.fit, &b.fit, sizeof a.fit) == 0) return true;
  ADD_FAILURE() << p.count << " points " << hex(p.weighted, sizeof p.weighted) << "\nreference "
                << a.improved << " " << hex(&a.fit, sizeof a.fit) << "\nlevel     " << b.improved
                << " " << hex(&b.fit, sizeof b.fit);
  return false;
}

// ---- the registry: one entry per slot family a level may overwrite ----

struct SlotCheck {
  const char* name;
  // Runs the inputs through `ref` and `test`; stops at the first mismatch.
  std::function<void(const DxtEncOps& ref, const DxtEncOps& test, uint32_t seed)> run;
};

const SlotCheck kSlotChecks[] = {
    {"cluster_search",
     [](const DxtEncOps& ref, const DxtEncOps& test, uint32_t seed) {
       for (const PointSet& p : hard_point_sets()) {
         if (!same_search(ref, test, p)) return;
       }
       std::mt19937 rng(seed);
       for (int trial = 0; trial < 2000; ++trial) {
         SCOPED_TRACE("random set " + std::to_string(trial));
         if (!same_search(ref, test, random_points(rng))) return;
       }
     }},
};

class SlotEquivalence : public testing::TestWithParam<std::tuple<Level, size_t>> {};

TEST_P(SlotEquivalence, MatchesGenericAndTheLevelBelow) {
  const Level& level = std::get<0>(GetParam());
  const SlotCheck& check = kSlotChecks[std::get<1>(GetParam())];
  if (effective_mask(level.mask, probe_cpu_facts()) != level.mask) {
    GTEST_SKIP() << "this processor lacks " << level.name;
  }
  const uint32_t seed = test_seed();
  SCOPED_TRACE(std::string(check.name) + " at " + level.name + ", seed " + std::to_string(seed));
  const DxtEncOps test = table_for(level.mask, DXT_QUALITY_NORMAL);
  check.run(table_for(kGenericOnly, DXT_QUALITY_NORMAL), test, seed);
  if (level.below != kGenericOnly)
    check.run(table_for(level.below, DXT_QUALITY_NORMAL), test, seed);
}

INSTANTIATE_TEST_SUITE_P(Levels, SlotEquivalence,
                         testing::Combine(testing::ValuesIn(kLevels),
                                          testing::Range<size_t>(0, std::size(kSlotChecks))),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  kSlotChecks[std::get<1>(info.param)].name;
                         });

// Whole frames through encode_block: catches slots wired to the wrong count or quality.
class FrameEquivalence : public testing::TestWithParam<Level> {};

TEST_P(FrameEquivalence, TexturesMatchGeneric) {
  const Level& level = GetParam();
  if (effective_mask(level.mask, probe_cpu_facts()) != level.mask) {
    GTEST_SKIP() << "this processor lacks " << level.name;
  }
  constexpr uint32_t w = 61, h = 37;  // partial edge blocks too
  std::mt19937 rng(test_seed());
  std::vector<uint8_t> noisy(static_cast<size_t>(w) * h * 4);
  for (auto& v : noisy) v = static_cast<uint8_t>(rng());
  const std::vector<std::vector<uint8_t>> frames = {
      orvex_test::rgba_to_argb8(orvex_test::natural_rgba(w, h, 3)), noisy};
  for (uint8_t quality : {DXT_QUALITY_NORMAL, DXT_QUALITY_SLOW}) {
    for (size_t f = 0; f < frames.size(); ++f) {
      std::vector<uint8_t> textures[2];
      const CpuFeatureMask masks[2] = {kGenericOnly, level.mask};
      for (int t = 0; t < 2; ++t) {
        DxtEnc enc{};
        ASSERT_EQ(
            dxtenc_open(&enc, w, h, DXTENC_DXT1, quality, 0, ARGB_8, PAD_REPLICATE, 2, masks[t]),
            0);
        textures[t].resize(dxtenc_buffer_size(w, h, DXTENC_DXT1, PAD_REPLICATE));
        const uint8_t* planes[4] = {frames[f].data(), nullptr, nullptr, nullptr};
        const size_t strides[4] = {w * 4, 0, 0, 0};
        dxtenc_encode(&enc, textures[t].data(), planes, strides);
      }
      EXPECT_EQ(textures[0], textures[1]) << "quality " << int(quality) << ", frame " << f;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, FrameEquivalence, testing::ValuesIn(kLevels),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
