// End-to-end test helpers.
#include "tests/e2e/e2e_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tests/support/psnr.h"

namespace e2e {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orvex_e2e_XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  dir_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::vector<std::string> ScratchDir::entries() const {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir_)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::vector<uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

RunResult run(const std::string& command) {
  ScratchDir tmp;
  const std::string out = tmp.path("out"), err = tmp.path("err");
  const std::string full = "bash -c " + quote(command) + " </dev/null >" + out + " 2>" + err;
  const int raw = std::system(full.c_str());
  RunResult r;
  if (raw != -1 && WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
  const auto o = read_file(out), e = read_file(err);
  r.out.assign(o.begin(), o.end());
  r.err.assign(e.begin(), e.end());
  return r;
}

RunResult orvex(const std::string& args) {
  return run(std::string(ORVEX_HAP_BIN) + " " + args);
}

std::string probe(const std::string& movie, const char* kind, const std::string& entry) {
  const RunResult r = run("ffprobe -v error -select_streams " + std::string(kind) + ":0 " +
                          "-show_entries stream=" + entry +
                          " -of default=noprint_wrappers=1:nokey=1 " + quote(movie));
  std::string v = r.out;
  while (!v.empty() && (v.back() == '\n' || v.back() == '\r')) v.pop_back();
  return v;
}

std::vector<uint8_t> decode_rgb24(const std::string& movie) {
  ScratchDir tmp;
  const std::string raw = tmp.path("frames.rgb");
  const RunResult r =
      run("ffmpeg -v error -i " + quote(movie) + " -map 0:v:0 -f rawvideo -pix_fmt rgb24 " + raw);
  if (r.status != 0 || !r.err.empty()) throw std::runtime_error("ffmpeg decode: " + r.err);
  return read_file(raw);
}

std::vector<uint8_t> decode_audio(const std::string& movie, const std::string& format) {
  ScratchDir tmp;
  const std::string raw = tmp.path("audio.raw");
  const RunResult r =
      run("ffmpeg -v error -i " + quote(movie) + " -map 0:a:0 -f " + format + " " + raw);
  if (r.status != 0) throw std::runtime_error("ffmpeg audio decode: " + r.err);
  return read_file(raw);
}

std::vector<uint8_t> test_picture_rgb24(uint32_t width, uint32_t height, int frame) {
  // Waves in absolute pixel units: smooth within a 4x4 block at every picture size, with detail
  // across a large picture; frame shifts them.
  std::vector<uint8_t> px(size_t{width} * height * 3);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = px.data() + (size_t{y} * width + x) * 3;
      const double fx = x + 4.0 * frame, fy = y;
      p[0] = static_cast<uint8_t>(std::lround(128 + 100 * std::sin(fx * 0.021)));
      p[1] = static_cast<uint8_t>(std::lround(128 + 90 * std::cos(fy * 0.027 + fx * 0.004)));
      p[2] = static_cast<uint8_t>(std::lround(128 + 70 * std::sin((fx + fy) * 0.013)));
    }
  }
  return px;
}

double psnr_bytes(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 0;
  return orvex_test::psnr(a.data(), b.data(), a.size());
}

}  // namespace e2e
