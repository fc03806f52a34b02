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
#include "tests/texture/bc7_test_images.h"

#ifndef ORVEX_HAP_BINARY
#define ORVEX_HAP_BINARY ORVEX_BINARY_DIR "/cli/orvex-hap"
#endif

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kWidth = 98, kHeight = 66;  // partial blocks on both edges
constexpr int kFrames = 3;

// Runs a shell command; returns its exit status and standard output.
int run(const std::string& command, std::string* out = nullptr) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  char buf[4096];
  std::string text;
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) text.append(buf, n);
  const int status = pclose(pipe);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// key=value pairs of one ffprobe "compact" line per entry.
std::vector<std::map<std::string, std::string>> parse_compact(const std::string& text) {
  std::vector<std::map<std::string, std::string>> entries;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    std::map<std::string, std::string>& e = entries.emplace_back();
    std::istringstream fields(line);
    std::string field;
    while (std::getline(fields, field, '|')) {
      const size_t eq = field.find('=');
      if (eq != std::string::npos) e[field.substr(0, eq)] = field.substr(eq + 1);
    }
  }
  return entries;
}

class HapRMovie : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("orvex_hapr_" + std::to_string(::getpid()) + "_" + GetParam());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Writes kFrames raw frames (rgba or rgb24) and returns them as RGBA.
  std::vector<std::vector<uint8_t>> write_raw(const fs::path& path, bool with_alpha) {
    std::vector<std::vector<uint8_t>> frames;
    std::ofstream raw(path, std::ios::binary);
    for (int f = 0; f < kFrames; ++f) {
      std::vector<uint8_t> rgba = bc7_test::natural_image(
          kWidth, kHeight, with_alpha ? bc7_test::AlphaKind::Soft : bc7_test::AlphaKind::Opaque,
          100 + f);
      for (size_t i = 0; i < rgba.size(); i += 4)
        raw.write(reinterpret_cast<const char*>(&rgba[i]), with_alpha ? 4 : 3);
      frames.push_back(std::move(rgba));
    }
    return frames;
  }

  // Encodes, checks the container with ffprobe and returns the decoded frames (RGBA).
  std::vector<std::vector<uint8_t>> encode_and_decode(bool with_alpha,
                                                      std::vector<std::vector<uint8_t>>* source) {
    const fs::path raw = dir_ / "in.raw", mov = dir_ / "out.mov";
    *source = write_raw(raw, with_alpha);
    const std::string cmd = std::string(ORVEX_HAP_BINARY) + " encode " + raw.string() +
                            " -f rawvideo --pix-fmt " + (with_alpha ? "rgba" : "rgb24") +
                            " --size " + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
                            " --rate 25 -c hap-r -q " + GetParam() + " --quiet -y -o " +
                            mov.string() + " 2>&1";
    std::string log;
    EXPECT_EQ(run(cmd, &log), 0) << log;

    std::string streams;
    EXPECT_EQ(run("ffprobe -v error -select_streams v -show_entries "
                  "stream=codec_tag_string,width,height,nb_frames -of compact=p=0 " +
                      mov.string(),
                  &streams),
              0);
    const auto s = parse_compact(streams);
    EXPECT_EQ(s.size(), 1u) << streams;
    if (s.size() != 1) return {};
    EXPECT_EQ(s[0].at("codec_tag_string"), "Hap7");
    EXPECT_EQ(s[0].at("width"), std::to_string(kWidth));
    EXPECT_EQ(s[0].at("height"), std::to_string(kHeight));
    EXPECT_EQ(s[0].at("nb_frames"), std::to_string(kFrames));

    std::string packets;
    run("ffprobe -v error -select_streams v -show_entries packet=pos,size -of compact=p=0 " +
            mov.string(),
        &packets);
    std::ifstream file(mov, std::ios::binary);
    std::vector<std::vector<uint8_t>> decoded;
    for (const auto& p : parse_compact(packets)) {
      std::vector<uint8_t> frame(std::stoul(p.at("size")));
      file.seekg(static_cast<std::streamoff>(std::stoll(p.at("pos"))));
      file.read(reinterpret_cast<char*>(frame.data()), static_cast<std::streamsize>(frame.size()));
      const orvex_test::HapFrameLayout layout = orvex_test::read_hap_frame(frame);
      EXPECT_EQ(layout.textures.size(), 1u);
      if (layout.textures.size() != 1) return {};
      const orvex_test::HapTextureSection& t = layout.textures[0];
      EXPECT_EQ(t.format_nibble, 0xC);  // BPTC
      EXPECT_EQ(t.texture.size(), size_t{(kWidth + 3) / 4} * ((kHeight + 3) / 4) * 16);
      decoded.push_back(orvex_test::bc7_decode_texture(t.texture.data(), kWidth, kHeight));
    }
    EXPECT_EQ(decoded.size(), static_cast<size_t>(kFrames));
    return decoded;
  }

  fs::path dir_;
};

TEST_P(HapRMovie, SoftAlphaSourceRoundTripsAboveFloors) {
  std::vector<std::vector<uint8_t>> source;
  const auto decoded = encode_and_decode(true, &source);
  ASSERT_EQ(decoded.size(), source.size());
  for (size_t f = 0; f < decoded.size(); ++f) {
    EXPECT_GT(orvex_test::psnr_rgb(source[f].data(), decoded[f].data(), size_t{kWidth} * kHeight),
              37.0)
        << "frame " << f;
    EXPECT_GT(orvex_test::psnr_alpha(source[f].data(), decoded[f].data(), size_t{kWidth} * kHeight),
              41.0)
        << "frame " << f;
  }
}

TEST_P(HapRMovie, SourceWithoutAlphaStaysOpaque) {
  std::vector<std::vector<uint8_t>> source;
  const auto decoded = encode_and_decode(false, &source);
  ASSERT_EQ(decoded.size(), source.size());
  for (size_t f = 0; f < decoded.size(); ++f) {
    EXPECT_GT(orvex_test::psnr_rgb(source[f].data(), decoded[f].data(), size_t{kWidth} * kHeight),
              38.0)
        << "frame " << f;
    for (size_t i = 3; i < decoded[f].size(); i += 4) ASSERT_EQ(decoded[f][i], 255);
  }
}

INSTANTIATE_TEST_SUITE_P(Qualities, HapRMovie, testing::Values("fast", "normal", "slow"));

}  // namespace
