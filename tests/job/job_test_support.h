#pragma once
// Helpers of the render job tests: solid-colour host frames, a temporary movie path, and the
// video samples of a movie without audio read back from its media data.

#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/dxt_decoder.h"
#include "tests/support/hap_frame_reader.h"

namespace job_test {

constexpr uint16_t kWidth = 16;
constexpr uint16_t kHeight = 8;

// Distinct, well separated colours: frame i is told apart after DXT1 quantisation.
inline std::array<uint8_t, 3> frame_colour(int i) {
  return {static_cast<uint8_t>(20 + 23 * i), static_cast<uint8_t>(230 - 19 * i),
          static_cast<uint8_t>((60 + 97 * i) % 256)};
}

// One ARGB_8 frame of kWidth x kHeight in frame i's colour.
inline std::vector<uint8_t> solid_frame(int i) {
  std::vector<uint8_t> px(size_t{kWidth} * kHeight * 4);
  const auto c = frame_colour(i);
  for (size_t p = 0; p < px.size(); p += 4) {
    px[p] = 255;
    px[p + 1] = c[0];
    px[p + 2] = c[1];
    px[p + 3] = c[2];
  }
  return px;
}

inline std::string temp_movie_path(const std::string& name) {
  return (std::filesystem::temp_directory_path() /
          ("orvex_job_" + std::to_string(getpid()) + "_" + name + ".mov"))
      .string();
}

// The video samples of a movie without audio: Hap frames back to back from offset 48 (after
// `ftyp` and the 16-byte `mdat` header) up to the end of the media data (size at offset 40).
inline std::vector<std::vector<uint8_t>> read_video_samples(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::vector<uint8_t>> samples;
  if (file.size() < 48) return samples;
  uint64_t mdat_size = 0;
  for (int i = 0; i < 8; ++i) mdat_size = (mdat_size << 8) | file[40 + i];
  const size_t end = static_cast<size_t>(32 + mdat_size);
  size_t pos = 48;
  while (pos + 4 <= end && end <= file.size()) {
    size_t body = file[pos] | (file[pos + 1] << 8) | (size_t{file[pos + 2]} << 16);
    size_t header = 4;
    if (body == 0) {
      body = file[pos + 4] | (file[pos + 5] << 8) | (size_t{file[pos + 6]} << 16) |
             (size_t{file[pos + 7]} << 24);
      header = 8;
    }
    samples.emplace_back(file.begin() + pos, file.begin() + pos + header + body);
    pos += header + body;
  }
  return samples;
}

// Which frame_colour a Hap sample shows (-1 when none is within 12 levels per channel).
inline int sample_frame_number(const std::vector<uint8_t>& sample, int frame_count) {
  const auto layout = orvex_test::read_hap_frame(sample);
  uint8_t px[64];
  orvex_test::decode_dxt1_block(layout.textures.at(0).texture.data(), px);
  for (int i = 0; i < frame_count; ++i) {
    const auto c = frame_colour(i);
    bool close = true;
    for (int k = 0; k < 3; ++k) close = close && std::abs(px[k] - c[k]) <= 12;
    if (close) return i;
  }
  return -1;
}

}  // namespace job_test
