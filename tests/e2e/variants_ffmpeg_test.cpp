// End to end, for Hap Alpha, Hap Alpha-Only, Hap Q, Hap Q Alpha and Hap R: raw frames through the
// built orvex-hap, decoded by ffmpeg (Hap R, which Debian's FFmpeg cannot decode: by the test-side
// Hap frame reader and BC7 decoder), compared with the source. Every quality, 8- and 16-bit
// sources with and without alpha, with and without Snappy.
#include <gtest/gtest.h>

#include "inspect/bc7_decoder.h"
#include "inspect/hap_frame_reader.h"
#include "inspect/psnr.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/synthetic_scene.h"

using namespace e2e;

namespace {

constexpr size_t kW = 94, kH = 62;  // partial blocks at both edges
constexpr int kFrames = 2;

struct VariantCase {
  std::string codec;  // orvex-hap -c name
  std::string quality;
  bool sixteen_bit, with_alpha;
};

void PrintTo(const VariantCase& c, std::ostream* os) {
  *os << c.codec << " " << c.quality << (c.sixteen_bit ? " 16-bit" : " 8-bit")
      << (c.with_alpha ? " alpha" : " opaque");
}

// Every variant from 8- and 16-bit sources with and without alpha, the qualities taking turns.
// BC7 is slow and its input path shared: Hap R takes 8-bit sources, at each quality.
std::vector<VariantCase> variant_cases() {
  const char* qualities[] = {"fast", "normal", "slow", "best"};
  std::vector<VariantCase> cases;
  for (const char* codec : {"hap-alpha", "hap-alpha-only", "hap-q", "hap-q-alpha"})
    for (int k = 0; k < 4; ++k) cases.push_back({codec, qualities[k], k >= 2, k % 2 == 1});
  for (int k = 0; k < 4; ++k) cases.push_back({"hap-r", qualities[k], false, k > 0});
  return cases;
}

// Floors about 1 dB under the values measured on these scenes after ffmpeg's decode. `colour` is
// R, G, B (for Alpha-Only: the grey against luma or alpha); `alpha` applies where the movie
// carries the source's alpha.
struct Floors {
  double colour, alpha;
};

Floors floors_for(const VariantCase& c) {
  if (c.codec == "hap-alpha") {  // measured 34.2 / 46.9 at Fast, 34.7 / 51.4 at Normal and Slow
    return c.quality == "fast" ? Floors{33.0, 46.0} : Floors{33.5, 50.5};
  }
  if (c.codec == "hap-alpha-only")
    return {c.with_alpha ? 50.5 : 41.0, 0.0};  // 51.4 alpha, 42.1 luma
  // Hap R: colour 38.3 .. 39.1 (40.8 .. 42.1 opaque), alpha 38.7 .. 38.9.
  if (c.codec == "hap-r") return {c.with_alpha ? 37.5 : 39.5, 37.5};
  return {38.0, 50.5};  // Hap Q, Hap Q Alpha: 39.0 / 51.4
}

class VariantsThroughFfmpeg : public ::testing::TestWithParam<VariantCase> {};

TEST_P(VariantsThroughFfmpeg, DecodedMovieStaysAboveItsFloors) {
  const VariantCase& c = GetParam();
  // Raw input in the layout ffmpeg names rgba/rgb24, or rgba64le/rgb48le with 16-bit samples
  // v * 257 (exact full scale, built here rather than by ffmpeg's conversion).
  std::vector<std::vector<uint8_t>> frames;
  std::vector<uint8_t> raw;
  for (int f = 0; f < kFrames; ++f) {
    frames.push_back(orvex_test::synthetic_scene_rgba(kW, kH, 100 + f));
    for (size_t i = 0; i < frames.back().size(); ++i)
      if (c.with_alpha || i % 4 != 3) raw.insert(raw.end(), c.sixteen_bit ? 2 : 1, frames[f][i]);
  }
  Scratch dir;
  const std::string input = dir.file("in.raw"), movie = dir.file("out.mov");
  write_file(input, raw);
  const char* pix_fmt =
      c.sixteen_bit ? (c.with_alpha ? "rgba64le" : "rgb48le") : (c.with_alpha ? "rgba" : "rgb24");
  // Snappy on at Fast and Normal, off at Slow: both framings for every variant and source.
  const RunResult r =
      orvex("encode " + input + " -f rawvideo --pix-fmt " + pix_fmt + " --size " +
            std::to_string(kW) + "x" + std::to_string(kH) + " -c " + c.codec + " -q " + c.quality +
            (c.quality == "slow" ? " --no-snappy" : "") + " --no-audio --quiet -y -o " + movie);
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<uint8_t> out;
  if (c.codec != "hap-r") {
    out = decode_video(movie, "rgba");
  } else {
    EXPECT_EQ(probe(movie, "v", "codec_tag_string"), "Hap7");
    for (const auto& sample : video_samples(movie)) {
      const orvex_inspect::HapFrameLayout layout = orvex_inspect::read_hap_frame(sample);
      ASSERT_EQ(layout.textures.size(), 1u);
      EXPECT_EQ(layout.textures[0].format_nibble, 0xC);  // BPTC
      ASSERT_EQ(layout.textures[0].texture.size(), ((kW + 3) / 4) * ((kH + 3) / 4) * 16);
      const auto rgba =
          orvex_inspect::bc7_decode_texture(layout.textures[0].texture.data(), kW, kH);
      out.insert(out.end(), rgba.begin(), rgba.end());
    }
  }
  ASSERT_EQ(out.size(), kW * kH * 4 * kFrames);

  const bool alpha_only = c.codec == "hap-alpha-only";
  const bool carries_alpha =
      c.codec == "hap-alpha" || c.codec == "hap-q-alpha" || c.codec == "hap-r";
  const Floors floors = floors_for(c);
  for (int f = 0; f < kFrames; ++f) {
    std::vector<uint8_t>& reference = frames[f];
    for (size_t i = 0; i < reference.size(); i += 4) {
      uint8_t* p = &reference[i];
      if (alpha_only) {
        // ffmpeg decodes Alpha-Only to grey: luma without source alpha, the alpha otherwise.
        const uint8_t v = c.with_alpha ? p[3] : static_cast<uint8_t>((p[0] + p[1] + p[2]) / 3);
        p[0] = p[1] = p[2] = v;
      }
      if (alpha_only || !c.with_alpha || !carries_alpha) p[3] = 255;
    }
    const uint8_t* got = out.data() + kW * kH * 4 * f;
    EXPECT_GE(orvex_inspect::psnr_rgb(got, reference.data(), kW * kH), floors.colour) << f;
    if (carries_alpha && c.with_alpha) {
      EXPECT_GE(orvex_inspect::psnr_alpha(got, reference.data(), kW * kH), floors.alpha) << f;
    } else {  // opaque: every decoded alpha is exactly 255
      size_t not_opaque = 0;
      for (size_t i = 0; i < kW * kH; ++i) not_opaque += got[i * 4 + 3] != 255 ? 1 : 0;
      EXPECT_EQ(not_opaque, 0u) << "frame " << f;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllVariants, VariantsThroughFfmpeg, ::testing::ValuesIn(variant_cases()));

}  // namespace
