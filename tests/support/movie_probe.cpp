// Movie inspection helpers for the tests.
#include "tests/support/movie_probe.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace orvex_test {

TempDir::TempDir() {
  char templ[] = "/tmp/orvex_video_XXXXXX";
  if (!mkdtemp(templ)) throw std::runtime_error("mkdtemp failed");
  path_ = templ;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string run_command(const std::string& command, int* status) {
  std::string out;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("popen failed: " + command);
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  const int rc = pclose(pipe);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::map<std::string, std::string> ffprobe_stream(const std::string& movie,
                                                  const std::string& stream) {
  const std::string out = run_command(
      "ffprobe -v error -count_packets -select_streams " + stream +
      " -show_entries stream=codec_name,codec_tag_string,width,height,nb_read_packets,"
      "r_frame_rate,duration,sample_rate,channels,sample_fmt,bits_per_sample,codec_type "
      "-of default=noprint_wrappers=1 '" +
      movie + "'");
  std::map<std::string, std::string> fields;
  std::stringstream ss(out);
  std::string line;
  while (std::getline(ss, line)) {
    if (const auto eq = line.find('='); eq != std::string::npos)
      fields[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return fields;
}

Bytes hap1_solid_frame(uint32_t width, uint32_t height, uint16_t rgb565) {
  const uint32_t blocks = ((width + 3) / 4) * ((height + 3) / 4);
  const uint32_t texture = blocks * 8;
  Bytes frame;
  frame.reserve(4 + texture);
  frame.push_back(static_cast<uint8_t>(texture));
  frame.push_back(static_cast<uint8_t>(texture >> 8));
  frame.push_back(static_cast<uint8_t>(texture >> 16));
  frame.push_back(0xAB);
  for (uint32_t b = 0; b < blocks; ++b) {
    for (int e = 0; e < 2; ++e) {  // colour0, colour1, little-endian
      frame.push_back(static_cast<uint8_t>(rgb565));
      frame.push_back(static_cast<uint8_t>(rgb565 >> 8));
    }
    frame.insert(frame.end(), 4, 0);
  }
  return frame;
}

}  // namespace orvex_test
