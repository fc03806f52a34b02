// Processor-specific kernels against the generic table: every slot a level overwrites must give
// the generic kernel's bytes on thousands of seeded random inputs and on hand-made hard inputs,
// and a whole frame must come out the same at every level. Levels the processor lacks are
// skipped, visibly. The seed comes from --gtest_random_seed (fixed when 0) and is printed with
// every failure.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tests/support/test_frames.h"
#include "texture/cpu_probe.h"
#include "texture/dxt1.h"
#include "texture/dxtenc.h"

namespace {

constexpr CpuFeatureMask kGenericOnly = CPU_ALLOW_SPECIFIC;

struct Level {
  std::string name;
  CpuFeatureMask mask;
  CpuFeatureMask below;  // the level under it, also compared against
};

// Each processor level over the ones below it, as set-up walks them; then each level above the
// first over the generic kernels alone (a mask may allow AVX2 without AVX).
std::vector<Level> levels() {
  std::vector<Level> list;
  CpuFeatureMask below = kGenericOnly;
  for (const CpuLevel& level : kCpuLevels) {
    list.push_back({level.name, below | level.bits, below});
    below |= level.bits;
  }
  for (size_t i = 1; i < std::size(kCpuLevels); ++i)
    list.push_back({std::string(kCpuLevels[i].name) + "_alone", kGenericOnly | kCpuLevels[i].bits,
                    kGenericOnly});
  return list;
}

uint32_t test_seed() {
  const int flag = GTEST_FLAG_GET(random_seed);
  return flag != 0 ? static_cast<uint32_t>(flag) : 20261206u;
}

DxtEncOps table_for(CpuFeatureMask mask, uint8_t quality, PixelFormat fmt = ARGB_8,
                    DxtEncType type = DXTENC_DXT1) {
  DxtEnc enc{};
  EXPECT_EQ(dxtenc_open(&enc, {.width = 64,
                               .height = 64,
                               .type = type,
                               .quality = quality,
                               .pixel_format = fmt,
                               .cpu_mask = mask}),
            0);
  return enc.ops;
}

// The tables a check compares: per quality and source format, the generic one and the level's.
struct Tables {
  DxtEncOps ref, test;
};
using TablesFor = std::function<Tables(uint8_t quality, PixelFormat fmt, DxtEncType type)>;

// ---- cluster_search and cluster_order: weighted, ordered point sets ----

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
  const auto one = [](int) { return 1; };
  for (int n : {2, 3, 4, 8, 15, 16}) {
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

// Noise, a narrow range, or few levels at unit weight (equal projections: ties keep the order).
PointSet random_points(std::mt19937& rng) {
  const int n = 2 + static_cast<int>(rng() % 15);
  const int style = static_cast<int>(rng() % 3);
  return make_points(
      n,
      [&](int, int) {
        if (style == 0) return static_cast<float>(rng() % 256) / 255.0f;
        if (style == 1) return static_cast<float>(100 + rng() % 24) / 255.0f;
        return static_cast<float>(rng() % 4) / 3.0f;
      },
      [&](int) { return style == 2 ? 1 : 1 + static_cast<int>(rng() % 16); });
}

// The search and the order of `test` and of `ref`, bit for bit, on the hard sets and on random
// ones; the order along random axes, some with a NaN (no ordering: the insertion sort's result)
// or zero.
void check_cluster_kernels(const TablesFor& tables, uint32_t seed) {
  const auto [ref, test] = tables(DXT_QUALITY_NORMAL, ARGB_8, DXTENC_DXT1);
  std::mt19937 rng(seed);
  std::vector<PointSet> sets = hard_point_sets();
  for (int trial = 0; trial < 4000; ++trial) sets.push_back(random_points(rng));
  for (size_t t = 0; t < sets.size(); ++t) {
    const PointSet& p = sets[t];
    const size_t kernel = static_cast<size_t>(p.count - 2);
    ClusterFitResult fit[2];
    std::memset(fit, 0xCD, sizeof fit);  // indices past the count stay untouched
    const bool improved[2] = {
        ref.cluster_search[kernel](p.weighted, &ref.cluster_splits[kernel], &fit[0]),
        test.cluster_search[kernel](p.weighted, &test.cluster_splits[kernel], &fit[1])};
    ASSERT_TRUE(improved[0] == improved[1] && std::memcmp(&fit[0], &fit[1], sizeof fit[0]) == 0)
        << "set " << t;
    float axis[3];
    for (float& a : axis) a = static_cast<float>(static_cast<int>(rng() % 2001) - 1000) / 1000.0f;
    if (t % 50 == 0) axis[rng() % 3] = std::nanf("");
    if (t % 50 == 1) axis[0] = axis[1] = axis[2] = 0.0f;
    uint8_t order[2][16];
    std::memset(order, 0xCD, sizeof order);
    ref.cluster_order[kernel](p.weighted, axis, order[0]);
    test.cluster_order[kernel](p.weighted, axis, order[1]);
    ASSERT_EQ(std::memcmp(order[0], order[1], 16), 0) << "set " << t;
  }
}

// ---- block fronts and the Fast/Normal endpoint kernels: 16 RGB pixels ----

struct Rgb16 {
  uint8_t rgb[16][3];
};

// Noise, a narrow range (spread under 15), two to four levels, solid, only 0 and 255, a ramp.
Rgb16 random_pixels(std::mt19937& rng) {
  Rgb16 b{};
  const int style = static_cast<int>(rng() % 6);
  uint8_t levels[4][3];
  for (auto& l : levels)
    for (auto& v : l) v = static_cast<uint8_t>(rng());
  const int base = static_cast<int>(rng() % 240), used = 2 + static_cast<int>(rng() % 3);
  for (int i = 0; i < 16; ++i) {
    for (int c = 0; c < 3; ++c) {
      uint8_t v = static_cast<uint8_t>(rng());
      if (style == 1) v = static_cast<uint8_t>(base + rng() % 15);
      if (style == 2) v = levels[rng() % used][c];
      if (style == 3) v = levels[0][c];
      if (style == 4) v = rng() % 2 ? 255 : 0;
      if (style == 5) v = static_cast<uint8_t>(levels[0][c] + i * (levels[1][c] % 17));
      b.rgb[i][c] = v;
    }
  }
  return b;
}

// A host 16-bit sample that reads back as `v`: v * 128 plus noise below 128, 32768 for some 255s,
// and 65535/32769 now and then (samples the host should not send, read by the same rule).
uint16_t host16_sample(uint8_t v, std::mt19937& rng) {
  if (rng() % 50 == 0) return rng() % 2 ? 65535 : 32769;
  if (v == 255 && rng() % 2) return 32768;
  return static_cast<uint16_t>(v * 128u + rng() % 128);
}

// A 4x4 source block in the host layout, rows 8 bytes further apart than the pixels need.
struct SourceBlock {
  std::vector<uint8_t> bytes;
  const uint8_t* planes[4];
  size_t strides[4];
};
SourceBlock source_block(const Rgb16& px, PixelFormat fmt, std::mt19937& rng) {
  const size_t pixel = fmt == ARGB_8 ? 4 : 8;
  const size_t stride = 4 * pixel + 8;
  SourceBlock s{std::vector<uint8_t>(stride * 4), {}, {}};
  for (int i = 0; i < 16; ++i) {
    uint8_t* p = s.bytes.data() + (i / 4) * stride + (i % 4) * pixel;
    const uint8_t argb[4] = {static_cast<uint8_t>(rng()), px.rgb[i][0], px.rgb[i][1], px.rgb[i][2]};
    for (int c = 0; c < 4; ++c) {
      if (fmt == ARGB_8) {
        p[c] = argb[c];
        continue;
      }
      const uint16_t v = host16_sample(argb[c], rng);
      p[2 * c] = static_cast<uint8_t>(v), p[2 * c + 1] = static_cast<uint8_t>(v >> 8);
    }
  }
  s.planes[0] = s.bytes.data();
  s.strides[0] = stride;
  return s;
}

bool same_work(const Dxt1WorkArea& a, const Dxt1WorkArea& b) {
  return std::memcmp(a.r, b.r, 16) == 0 && std::memcmp(a.g, b.g, 16) == 0 &&
         std::memcmp(a.b, b.b, 16) == 0;
}

// Work planes with the channel sums that refine_endpoints expects.
Dxt1WorkArea work_from(const Rgb16& px) {
  Dxt1WorkArea w{};
  for (int i = 0; i < 16; ++i) {
    w.r[i] = px.rgb[i][0], w.g[i] = px.rgb[i][1], w.b[i] = px.rgb[i][2];
    for (int c = 0; c < 3; ++c) w.sum[c] += px.rgb[i][c];
  }
  return w;
}

// The block fronts on the same source blocks: the Fast and Normal fetches, the Slow colour set and
// the alpha fetch. Then, on pixels drawn apart from the block, alpha_range and encode_alpha_block
// (palettes with 0, 255 and ties between entries) and the Fast/Normal endpoint kernels.
void check_block_fronts(const TablesFor& tables, uint32_t seed) {
  std::mt19937 rng(seed);
  for (PixelFormat fmt : {ARGB_8, ARGB_16_HOST}) {
    const Tables fast = tables(DXT_QUALITY_FAST, fmt, DXTENC_DXT1),
                 normal = tables(DXT_QUALITY_NORMAL, fmt, DXTENC_DXT1),
                 slow = tables(DXT_QUALITY_SLOW, fmt, DXTENC_DXT1),
                 alpha = tables(DXT_QUALITY_NORMAL, fmt, DXTENC_DXT5);
    for (int trial = 0; trial < 4000; ++trial) {
      SCOPED_TRACE("format " + std::to_string(fmt) + " trial " + std::to_string(trial));
      const SourceBlock s = source_block(random_pixels(rng), fmt, rng);
      Dxt1WorkArea w[4];
      ASSERT_EQ(fast.ref.fetch_rgb_fast(&w[0], s.planes, s.strides),
                fast.test.fetch_rgb_fast(&w[1], s.planes, s.strides));
      ASSERT_EQ(normal.ref.fetch_rgb_spread(&w[2], s.planes, s.strides),
                normal.test.fetch_rgb_spread(&w[3], s.planes, s.strides));
      ASSERT_TRUE(same_work(w[0], w[1]) && same_work(w[2], w[3]));
      ColourSet a, b;
      std::memset(&a, 0xCD, sizeof a);
      std::memset(&b, 0xCD, sizeof b);
      slow.ref.build_colour_set(s.planes, s.strides, &a);
      slow.test.build_colour_set(s.planes, s.strides, &b);
      ASSERT_TRUE(a.count == b.count &&
                  std::memcmp(a.point_index, b.point_index, sizeof a.point_index) == 0 &&
                  std::memcmp(a.weights, b.weights, sizeof a.weights) == 0);
      for (uint64_t i = 0; i < a.count; ++i)
        ASSERT_EQ(std::memcmp(a.points[i], b.points[i], 3 * sizeof(float)), 0) << "point " << i;
      uint8_t values[2][16], lo[4], hi[4];
      alpha.ref.fetch_alpha(s.planes, s.strides, values[0], &lo[0], &hi[0]);
      alpha.test.fetch_alpha(s.planes, s.strides, values[1], &lo[1], &hi[1]);
      const Rgb16 px = random_pixels(rng);
      uint8_t v[16], palette[8];
      for (int i = 0; i < 16; ++i) v[i] = px.rgb[i][trial % 3];
      for (auto& e : palette) e = trial % 5 == 0 ? v[rng() % 16] : static_cast<uint8_t>(rng());
      if (trial % 7 == 0) palette[rng() % 8] = palette[rng() % 8];
      alpha.ref.alpha_range(v, &lo[2], &hi[2]);
      alpha.test.alpha_range(v, &lo[3], &hi[3]);
      uint8_t idx[2][16];
      uint32_t err[2];
      alpha.ref.encode_alpha_block(v, palette, idx[0], &err[0]);
      alpha.test.encode_alpha_block(v, palette, idx[1], &err[1]);
      ASSERT_TRUE(std::memcmp(values[0], values[1], 16) == 0 && lo[0] == lo[1] && hi[0] == hi[1] &&
                  lo[2] == lo[3] && hi[2] == hi[3] && std::memcmp(idx[0], idx[1], 16) == 0 &&
                  err[0] == err[1]);
      Dxt1WorkArea wa = work_from(px), wb = work_from(px);
      uint16_t e[4];
      normal.ref.estimate_endpoints(&wa, &e[0], &e[1]);
      normal.test.estimate_endpoints(&wb, &e[2], &e[3]);
      // Endpoints from the estimate, random ones and equal ones, in both orders.
      const uint16_t c0 = trial % 3 == 0 ? e[0] : static_cast<uint16_t>(rng());
      const uint16_t c1 = trial % 3 == 0   ? e[1]
                          : trial % 3 == 1 ? c0
                                           : static_cast<uint16_t>(rng());
      const uint32_t m[2] = {normal.ref.match_indices(&wa, c0, c1, kDxtExpand.data()),
                             normal.test.match_indices(&wa, c0, c1, kDxtExpand.data())};
      // Index words from the match, random ones and all-equal ones (no line to fit).
      const uint32_t word = trial % 4 == 0   ? m[0]
                            : trial % 4 == 1 ? 0x55555555u * (rng() % 4)
                                             : static_cast<uint32_t>(rng());
      uint16_t r[4] = {0xDEAD, 0xBEEF, 0xDEAD, 0xBEEF};
      normal.ref.refine_endpoints(&wa, &r[0], &r[1], word);
      normal.test.refine_endpoints(&wa, &r[2], &r[3], word);
      ASSERT_TRUE(e[0] == e[2] && e[1] == e[3] && std::memcmp(wa.sum, wb.sum, sizeof wa.sum) == 0 &&
                  std::memcmp(wa.mean, wb.mean, sizeof wa.mean) == 0 && m[0] == m[1] &&
                  r[0] == r[2] && r[1] == r[3]);
    }
  }
}

class LevelEquivalence : public testing::TestWithParam<Level> {
 protected:
  void SetUp() override {
    if (effective_mask(level.mask, probe_cpu_facts()) != level.mask)
      GTEST_SKIP() << "this processor lacks " << level.name;
  }
  const Level& level = GetParam();
};

// Every slot family a level may overwrite, against the generic kernels and the level below.
TEST_P(LevelEquivalence, SlotsMatchGenericAndTheLevelBelow) {
  const uint32_t seed = test_seed();
  for (CpuFeatureMask ref : {level.below, kGenericOnly}) {
    SCOPED_TRACE(level.name + " against mask " + std::to_string(ref) + ", seed " +
                 std::to_string(seed));
    const TablesFor tables = [&](uint8_t quality, PixelFormat fmt, DxtEncType type) {
      return Tables{table_for(ref, quality, fmt, type), table_for(level.mask, quality, fmt, type)};
    };
    check_cluster_kernels(tables, seed);
    check_block_fronts(tables, seed);
    if (level.below == kGenericOnly) break;  // both are the generic kernels
  }
}

// Whole frames through encode_row and encode_block, every texture type at every quality, from both
// host layouts (16-bit samples as in source_block), with and without the source's alpha: catches
// row kernels that differ and slots wired to the wrong count, quality, format, type or level.
TEST_P(LevelEquivalence, TexturesMatchGeneric) {
  // 37 full blocks across (the row kernels take sixteen at a time) and partial edge blocks.
  constexpr uint32_t w = 150, h = 25;
  std::mt19937 rng(test_seed());
  // Each block in its own random_pixels style, under random alpha.
  std::vector<uint8_t> styled(static_cast<size_t>(w) * h * 4);
  for (uint32_t by = 0; by < h; by += 4)
    for (uint32_t bx = 0; bx < w; bx += 4) {
      const Rgb16 px = random_pixels(rng);
      for (uint32_t i = 0; i < 16 && by + i / 4 < h && bx + i % 4 < w; ++i) {
        uint8_t* d = &styled[((by + i / 4) * w + bx + i % 4) * 4];
        std::memcpy(d, px.rgb[i], 3);
        d[3] = static_cast<uint8_t>(rng());
      }
    }
  // Red/green and red/blue stripes from the bottom half of the pure-hue frame: their cluster-fit
  // axis restarts from the widest channel.
  const std::vector<uint8_t> hues = orvex_test::pure_hues_rgba(480, 128);
  std::vector<uint8_t> stripes(static_cast<size_t>(w) * h * 4);
  for (uint32_t y = 0; y < h; ++y)
    std::memcpy(&stripes[y * w * 4], &hues[(64 + y) * 480 * 4], w * 4);
  const std::vector<uint8_t> rgba[3] = {orvex_test::natural_rgba(w, h, 3), styled, stripes};
  for (PixelFormat fmt : {ARGB_8, ARGB_16_HOST}) {
    for (size_t f = 0; f < std::size(rgba); ++f) {
      std::vector<uint8_t> pixels = orvex_test::rgba_to_argb8(rgba[f]);
      if (fmt == ARGB_16_HOST) {
        pixels.resize(2 * pixels.size());
        for (size_t i = pixels.size() / 2; i-- > 0;) {
          const uint16_t v = host16_sample(pixels[i], rng);
          pixels[2 * i] = static_cast<uint8_t>(v), pixels[2 * i + 1] = static_cast<uint8_t>(v >> 8);
        }
      }
      const uint8_t* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
      const size_t strides[4] = {w * (fmt == ARGB_8 ? 4u : 8u), 0, 0, 0};
      for (uint32_t type = 0; type < std::size(kDxtEncTypes); ++type) {
        for (const DxtQuality& quality : kDxtQualities) {
          for (bool without_alpha : {false, true}) {
            std::vector<uint8_t> textures[2];
            const CpuFeatureMask masks[2] = {kGenericOnly, level.mask};
            for (int t = 0; t < 2; ++t) {
              DxtEnc enc{};
              ASSERT_EQ(dxtenc_open(&enc, {.width = w,
                                           .height = h,
                                           .type = static_cast<DxtEncType>(type),
                                           .quality = quality.value,
                                           .pixel_format = fmt,
                                           .threads = 2,
                                           .cpu_mask = masks[t],
                                           .source_without_alpha = without_alpha}),
                        0);
              textures[t].resize(dxtenc_buffer_size(w, h, enc.type, PAD_REPLICATE));
              dxtenc_encode(&enc, textures[t].data(), planes, strides);
            }
            EXPECT_EQ(textures[0], textures[1])
                << "type " << type << ", " << quality.name << ", format " << fmt << ", frame " << f
                << (without_alpha ? ", without alpha" : "");
          }
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelEquivalence, testing::ValuesIn(levels()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
