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
                    Refusal{DXTENC_BC7, 2, 4, 64, "Pad invalid pix fmt : 4\n"},
                    // The format is checked before the quality.
                    Refusal{DXTENC_DXT1, 9, 10, 64, "Pad invalid pix fmt : 10\n"},
                    Refusal{DXTENC_DXT1, 0, 0, 64, "DxtEnc DXT1 Qualite inconnu : 0\n"},
                    Refusal{DXTENC_DXT1, 4, 5, 64, "DxtEnc DXT1 Qualite inconnu : 4\n"},
                    Refusal{DXTENC_DXT5, 4, 5, 64, "DxtEnc DXT5 Qualite inconnu : 4\n"},
                    Refusal{DXTENC_BC7, 0, 0, 64, "BC7 invalid quality : 0\n"},
                    Refusal{DXTENC_BC7, 255, 5, 64, "BC7 invalid quality : 255\n"},
                    Refusal{DXTENC_DXT1, 2, 0, 70000, "DxtEnc invalid size : 70000x64\n"},
                    Refusal{static_cast<DxtEncType>(9), 2, 0, 64,
                            "DxtEnc type non supporte : 9\n"}));

TEST(Setup, BufferSizeCountsPartialBlocksUnlessCropped) {
  EXPECT_EQ(dxtenc_buffer_size(1920, 1080, DXTENC_DXT1, PAD_REPLICATE), 1036800u);
  EXPECT_EQ(dxtenc_buffer_size(1921, 1080, DXTENC_DXT1, PAD_CROP), 1036800u);
  EXPECT_EQ(dxtenc_buffer_size(1921, 1081, DXTENC_DXT1, PAD_ZERO), 481u * 271 * 8);
  EXPECT_EQ(dxtenc_buffer_size(5, 3, DXTENC_DXT5, PAD_OPAQUE_BLACK), 2u * 16);
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
  EXPECT_EQ(band_rows(compute_thread_bands(6, 2, 8), 6), (Rows{6}));
  EXPECT_EQ(band_rows(compute_thread_bands(1081, 1, 8), 1081), (Rows{1081}));
  // The last band takes the leftover rows of a partial block row.
  EXPECT_EQ(band_rows(compute_thread_bands(71, 3, 8), 71), (Rows{24, 24, 23}));
  // Requests are capped at 64 and by the height; 0 follows the processor count.
  EXPECT_EQ(compute_thread_bands(30000, 200, 8).thread_count, 64);
  EXPECT_EQ(compute_thread_bands(30000, 0, 6).thread_count, 6);
  EXPECT_EQ(compute_thread_bands(30000, 0, 0).thread_count, 1);
  EXPECT_EQ(compute_thread_bands(65, 64, 8).thread_count, 3);
  EXPECT_EQ(band_rows(compute_thread_bands(2047, 64, 8), 2047).size(), 64u);
}

TEST(Setup, ProcessorMaskFollowsTheProcessorFacts) {
  CpuFacts none;
  EXPECT_EQ(effective_mask(0xF8, none), 0x18u);
  CpuFacts all{true, true, 0x7, 13, true, true};
  EXPECT_EQ(effective_mask(0xF8, all), 0xF8u);
  EXPECT_EQ(effective_mask(0x08, all), 0x08u);
  CpuFacts no_os = all;
  no_os.xcr0 = 0x1;  // the OS does not save the vector registers
  EXPECT_EQ(effective_mask(0xF8, no_os), 0x18u);
  for (uint32_t half_saved : {0x3u, 0x5u}) {  // SSE or upper AVX halves alone are not saved state
    CpuFacts partial = all;
    partial.xcr0 = half_saved;
    EXPECT_EQ(effective_mask(0xF8, partial), 0x18u) << half_saved;
  }
  CpuFacts no_fma = all;
  no_fma.fma = false;
  EXPECT_EQ(effective_mask(0xF8, no_fma), 0xB8u);
  CpuFacts old_leaf = all;
  old_leaf.max_leaf = 6;  // leaf 7 not available: AVX2 cannot be confirmed
  EXPECT_EQ(effective_mask(0xF8, old_leaf), 0x78u);
  // AVX-512 needs its four features and the opmask/ZMM state (XCR0 bits 5-7) besides AVX's.
  CpuFacts zmm = all;
  zmm.avx512 = true;
  zmm.xcr0 = 0xE7;
  EXPECT_EQ(effective_mask(0x1F8, zmm), 0x1F8u);
  EXPECT_EQ(effective_mask(0x1F8, all), 0xF8u);  // features missing
  for (uint32_t xcr0 : {0x67u, 0xA7u, 0xC7u, 0xE1u}) {
    CpuFacts part = zmm;
    part.xcr0 = xcr0;
    EXPECT_EQ(effective_mask(0x1F8, part) & 0x100u, 0u) << xcr0;
  }
  // The live probe never grants more than it was asked.
  EXPECT_EQ(effective_mask(0x28, probe_cpu_facts()) & ~0x28u, 0u);
}

}  // namespace
