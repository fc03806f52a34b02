// End-to-end test helpers.
#include "tests/e2e/e2e_support.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace e2e {

std::vector<std::string> entries(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string expand_dir(std::string s, const Scratch& dir) {
  for (size_t at; (at = s.find("{dir}")) != std::string::npos;) s.replace(at, 5, dir.path());
  return s;
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

RunResult run(const std::string& command) {
  Scratch tmp;
  const std::string out = tmp.file("out"), err = tmp.file("err");
  const int raw =
      std::system(("bash -c " + quote(command) + " </dev/null >" + out + " 2>" + err).c_str());
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
  std::string v = run("ffprobe -v error -select_streams " + std::string(kind) +
                      ":0 -show_entries stream=" + entry +
                      " -of default=noprint_wrappers=1:nokey=1 " + quote(movie))
                      .out;
  while (!v.empty() && (v.back() == '\n' || v.back() == '\r')) v.pop_back();
  return v;
}

// Decodes stream `map` of `movie` as raw `format_args` (throws on failure).
static std::vector<uint8_t> decode(const std::string& movie, const std::string& map,
                                   const std::string& format_args) {
  Scratch tmp;
  // Accurate YUV conversion, as orvex-hap's: the default's chroma replication differs at edges.
  const RunResult r = run("ffmpeg -v error -i " + quote(movie) + " -map " + map +
                          " -sws_flags bicubic+accurate_rnd+full_chroma_int -f " + format_args +
                          " " + tmp.file("decoded"));
  if (r.status != 0 || !r.err.empty()) throw std::runtime_error("ffmpeg decode: " + r.err);
  return read_file(tmp.file("decoded"));
}

std::vector<uint8_t> decode_video(const std::string& movie, const std::string& pix_fmt) {
  return decode(movie, "0:v:0", "rawvideo -pix_fmt " + pix_fmt);
}

std::vector<uint8_t> decode_audio(const std::string& movie, const std::string& format, int track) {
  return decode(movie, "0:a:" + std::to_string(track), format);
}

}  // namespace e2e
