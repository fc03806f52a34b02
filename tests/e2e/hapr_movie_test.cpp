// Hap R movies from the orvex-hap command: ffprobe sees a Hap7 video track of the right size and
// frame count; the frames, read back with the test-side Hap frame reader and BC7 decoder, match
// the raw source within quality floors. Debian's FFmpeg has no Hap R decoder.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/bc7_decoder.h"
#include "tests/support/hap_frame_reader.h"
#include "tests/support/psnr.h"
#include "tests/support/test_frames.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kWidth = 98, kHeight = 66;  // partial blocks on both edges
constexpr size_t kPixels = size_t{kWidth} * kHeight;
constexpr int kFrames = 3;

// Exit status and standard output of a shell command.
int run(const std::string& command, std::string& out) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ffprobe entries of one stream, one "key=value|key=value" line each.
std::vector<std::map<std::string, std::string>> probe(const std::string& entries,
                                                      const fs::path& movie) {
  std::string text;
  run("ffprobe -v error -select_streams v -show_entries " + entries + " -of compact=p=0 " +
          movie.string(),
      text);
  std::vector<std::map<std::string, std::string>> result;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    auto& entry = result.emplace_back();
    for (std::string f; std::getline(fields, f, '|');)
      if (const size_t eq = f.find('='); eq != std::string::npos)
        entry[f.substr(0, eq)] = f.substr(eq + 1);
  }
  return result;
}

class HapRMovie : public testing::TestWithParam<std::tuple<const char*, bool>> {};

TEST_P(HapRMovie, EncodesHap7FramesThatDecodeCloseToTheSource) {
  const auto [quality, with_alpha] = GetParam();
  const fs::path dir = fs::temp_directory_path() / ("orvex_hapr_" + std::to_string(::getpid()) +
                                                    "_" + quality + (with_alpha ? "_a" : ""));
  fs::create_directories(dir);
  const fs::path raw = dir / "in.raw", mov = dir / "out.mov";

  std::vector<std::vector<uint8_t>> source;
  {
    std::ofstream out(raw, std::ios::binary);
    for (int f = 0; f < kFrames; ++f) {
      source.push_back(orvex_test::natural_rgba(kWidth, kHeight, 100 + f));
      for (size_t i = 0; i < kPixels; ++i) {
        if (!with_alpha) source.back()[i * 4 + 3] = 255;
        out.write(reinterpret_cast<const char*>(&source.back()[i * 4]), with_alpha ? 4 : 3);
      }
    }
  }
  std::string log;
  ASSERT_EQ(
      run(std::string(ORVEX_HAP_BIN) + " encode " + raw.string() + " -f rawvideo --pix-fmt " +
              (with_alpha ? "rgba" : "rgb24") + " --size " + std::to_string(kWidth) + "x" +
              std::to_string(kHeight) + " --rate 25 -c hap-r -q " + quality + " --quiet -y -o " +
              mov.string() + " 2>&1",
          log),
      0)
      << log;

  const auto streams = probe("stream=codec_tag_string,width,height,nb_frames", mov);
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].at("codec_tag_string"), "Hap7");
  EXPECT_EQ(streams[0].at("width"), std::to_string(kWidth));
  EXPECT_EQ(streams[0].at("height"), std::to_string(kHeight));

  const auto packets = probe("packet=pos,size", mov);
  ASSERT_EQ(packets.size(), static_cast<size_t>(kFrames));
  std::ifstream file(mov, std::ios::binary);
  for (int f = 0; f < kFrames; ++f) {
    std::vector<uint8_t> frame(std::stoul(packets[f].at("size")));
    file.seekg(std::stoll(packets[f].at("pos")));
    file.read(reinterpret_cast<char*>(frame.data()), static_cast<std::streamsize>(frame.size()));
    const orvex_test::HapFrameLayout layout = orvex_test::read_hap_frame(frame);
    ASSERT_EQ(layout.textures.size(), 1u);
    EXPECT_EQ(layout.textures[0].format_nibble, 0xC);  // BPTC
    ASSERT_EQ(layout.textures[0].texture.size(),
              size_t{(kWidth + 3) / 4} * ((kHeight + 3) / 4) * 16);
    const std::vector<uint8_t> decoded =
        orvex_test::bc7_decode_texture(layout.textures[0].texture.data(), kWidth, kHeight);
    EXPECT_GT(orvex_test::psnr_rgb(source[f].data(), decoded.data(), kPixels), 34.5)
        << f;  // measured 35.2 .. 38.4
    EXPECT_GT(orvex_test::psnr_alpha(source[f].data(), decoded.data(), kPixels), 37.5)
        << f;  // measured 38.1 .. 40.0; opaque: exact
  }
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(QualitiesAndAlpha, HapRMovie,
                         testing::Combine(testing::Values("fast", "normal", "slow"),
                                          testing::Bool()));

}  // namespace
