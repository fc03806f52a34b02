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

int video_sample_depth(const std::string& movie) {
  // Search the index behind the media data (its 64-bit size sits at offset 40). In a 'stsd' the
  // first entry's format follows at +16 (version and flags, entry count, entry size); in a video
  // entry the 16-bit depth is 78 bytes after the format (reserved, data reference, version,
  // revision, vendor, qualities, width, height, resolutions, data size, frame count, name).
  const auto file = read_file(movie);
  if (file.size() < 48) return -1;
  uint64_t mdat_size = 0;
  for (int i = 0; i < 8; ++i) mdat_size = (mdat_size << 8) | file[40 + i];
  const char stsd[] = "stsd";
  auto at =
      file.begin() + static_cast<std::ptrdiff_t>(std::min<uint64_t>(32 + mdat_size, file.size()));
  while ((at = std::search(at, file.end(), stsd, stsd + 4)) != file.end()) {
    if (file.end() - at < 16 + 82) return -1;
    const std::string format(at + 16, at + 20);
    if (format.rfind("Hap", 0) == 0) return (at[16 + 78] << 8) | at[16 + 79];
    at += 4;
  }
  return -1;
}

std::vector<uint8_t> test_picture_rgb24(uint32_t width, uint32_t height, int frame) {
  std::vector<uint8_t> px(size_t{width} * height * 3);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = px.data() + (size_t{y} * width + x) * 3;
      const double u = width > 1 ? double(x) / (width - 1) : 0.5;
      const double v = height > 1 ? double(y) / (height - 1) : 0.5;
      const double wave = std::sin((x + 3.0 * frame) * 0.05) * std::cos(y * 0.07);
      p[0] = static_cast<uint8_t>(std::clamp(200 * u + 30 * wave + 20, 0.0, 255.0));
      p[1] = static_cast<uint8_t>(std::clamp(180 * v + 25 * wave + 30, 0.0, 255.0));
      p[2] = static_cast<uint8_t>(std::clamp(220 * (1 - u) * (1 - v) + 20, 0.0, 255.0));
    }
  }
  return px;
}

double psnr_bytes(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 0;
  return orvex_test::psnr(a.data(), b.data(), a.size());
}

}  // namespace e2e
