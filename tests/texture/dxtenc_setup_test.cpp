// Set-up of the texture compressor: refusals, output sizes, thread bands, processor mask.
#include <gtest/gtest.h>

#include "tests/texture/texture_test_util.h"
#include "texture/cpu_probe.h"
#include "texture/dxtenc.h"
#include "texture/dxtenc_bands.h"

using texture_test::captured_stdout;

namespace {

struct Refusal {
  DxtEncType type;
  uint8_t quality;
  uint32_t fmt;
  uint32_t width;
  const char* line;
};

class SetupRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(SetupRefusal, PrintsItsLineAndReturnsOne) {
  const Refusal r = GetParam();
  DxtEnc enc{};
  int result = 0;
  const std::string out = captured_stdout([&] {
    result = dxtenc_open(&enc, {.width = r.width,
                                .height = 64,
                                .type = r.type,
                                .quality = r.quality,
                                .pixel_format = static_cast<PixelFormat>(r.fmt)});
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(out, r.line);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SetupRefusal,
    testing::Values(Refusal{DXTENC_DXT1, 2, 1, 64, "Pad invalid pix fmt : 1\n"},
                    // The format is checked before the quality.
                    Refusal{DXTENC_DXT1, 9, 10, 64, "Pad invalid pix fmt : 10\n"},
                    Refusal{DXTENC_DXT1, 0, 0, 64, "DxtEnc DXT1 Qualite inconnu : 0\n"},
                    Refusal{DXTENC_DXT5, 5, 5, 64, "DxtEnc DXT5 Qualite inconnu : 5\n"},
                    Refusal{DXTENC_BC7, 0, 0, 64, "BC7 invalid quality : 0\n"},
                    Refusal{DXTENC_DXT1, 2, 0, 70000, "DxtEnc invalid size : 70000x64\n"},
                    Refusal{static_cast<DxtEncType>(9), 2, 0, 64,
                            "DxtEnc type non supporte : 9\n"}));

TEST(Setup, BufferSizeCountsPartialBlocksUnlessCropped) {
  EXPECT_EQ(dxtenc_buffer_size(1921, 1080, DXTENC_DXT1, PAD_CROP), 1036800u);
  EXPECT_EQ(dxtenc_buffer_size(1921, 1081, DXTENC_DXT1, PAD_ZERO), 481u * 271 * 8);
  EXPECT_EQ(dxtenc_buffer_size(5, 3, DXTENC_DXT5, PAD_CROP), 0u);
  EXPECT_EQ(dxtenc_buffer_size(8, 4, DXTENC_YCOCG_RGTC1_ALPHA, PAD_REPLICATE), 2u * 24);
  EXPECT_EQ(dxtenc_texture_size(8, 4, DXTENC_YCOCG_RGTC1_ALPHA, PAD_REPLICATE, 0), 2u * 16);
  EXPECT_EQ(dxtenc_texture_size(8, 4, DXTENC_YCOCG_RGTC1_ALPHA, PAD_REPLICATE, 1), 2u * 8);
  EXPECT_EQ(dxtenc_buffer_size(8, 4, DXTENC_RGTC1_ALPHA, PAD_REPLICATE), 2u * 8);
  EXPECT_EQ(dxtenc_buffer_size(8, 4, DXTENC_BC7, PAD_REPLICATE), 2u * 16);
}

// Rows of each band; bands must be contiguous and cover the frame.
std::vector<int> band_rows(const ThreadBands& b, int height) {
  std::vector<int> rows;
  int next = 0;
  for (int i = 0; i < b.thread_count; ++i) {
    EXPECT_EQ(b.start[i], next) << "bands must be contiguous";
    next += b.rows[i];
    rows.push_back(b.rows[i]);
  }
  EXPECT_EQ(next, height);
  return rows;
}

TEST(Setup, ThreadBands) {
  using Rows = std::vector<int>;
  EXPECT_EQ(band_rows(compute_thread_bands(1080, 4, 2), 1080), (Rows{272, 272, 268, 268}));
  EXPECT_EQ(compute_thread_bands(1080, 4, 2).start[2], 544);  // block row 136: byte 522,240
  EXPECT_EQ(band_rows(compute_thread_bands(100, 0, 8), 100), (Rows{28, 24, 24, 24}));
  // The last band takes the leftover rows of a partial block row.
  EXPECT_EQ(band_rows(compute_thread_bands(71, 3, 8), 71), (Rows{24, 24, 23}));
  // Requests are capped at 64 and by the height; 0 follows the processor count.
  EXPECT_EQ(compute_thread_bands(30000, 200, 8).thread_count, 64);
  EXPECT_EQ(compute_thread_bands(30000, 0, 6).thread_count, 6);
  EXPECT_EQ(compute_thread_bands(30000, 0, 0).thread_count, 1);
  EXPECT_EQ(compute_thread_bands(65, 64, 8).thread_count, 3);
  EXPECT_EQ(band_rows(compute_thread_bands(2047, 64, 8), 2047).size(), 64u);
}

// CpuFacts: osxsave, avx, xcr0, max_leaf, avx2, fma (then avx512). The OS must save the vector
// registers (XCR0 bits 1-2; SSE or the upper AVX halves alone are not saved state); AVX2 needs
// leaf 7 and FMA; AVX-512 its four features and the opmask/ZMM state (XCR0 bits 5-7).
TEST(Setup, ProcessorMaskFollowsTheProcessorFacts) {
  const CpuFacts all{true, true, 0x7, 13, true, true};
  CpuFacts zmm = all;
  zmm.avx512 = true, zmm.xcr0 = 0xE7;
  const auto with = [](CpuFacts f, auto change) { return change(f), f; };
  const struct {
    CpuFeatureMask request, want;
    CpuFacts facts;
  } rows[] = {{0xF8, 0x18, CpuFacts{}},
              {0xF8, 0xF8, all},
              {0xF8, 0x18, with(all, [](CpuFacts& f) { f.xcr0 = 0x1; })},
              {0xF8, 0x18, with(all, [](CpuFacts& f) { f.xcr0 = 0x3; })},
              {0xF8, 0x18, with(all, [](CpuFacts& f) { f.xcr0 = 0x5; })},
              {0xF8, 0xB8, with(all, [](CpuFacts& f) { f.fma = false; })},
              {0xF8, 0x78, with(all, [](CpuFacts& f) { f.max_leaf = 6; })},
              {0x1F8, 0x1F8, zmm},
              {0x1F8, 0xF8, all},
              {0x1F8, 0xF8, with(zmm, [](CpuFacts& f) { f.xcr0 = 0x67; })},
              {0x1F8, 0xF8, with(zmm, [](CpuFacts& f) { f.xcr0 = 0xA7; })},
              {0x1F8, 0xF8, with(zmm, [](CpuFacts& f) { f.xcr0 = 0xC7; })},
              {0x1F8, 0x18, with(zmm, [](CpuFacts& f) { f.xcr0 = 0xE1; })}};
  for (const auto& row : rows)
    EXPECT_EQ(effective_mask(row.request, row.facts), row.want) << &row - rows;
  // The live probe never grants more than it was asked.
  EXPECT_EQ(effective_mask(0x28, probe_cpu_facts()) & ~0x28u, 0u);
}

}  // namespace
