#pragma once
// Helpers of the end-to-end tests: a scratch folder, running commands (orvex-hap, ffmpeg,
// ffprobe) with their exit status and output, reading files, decoding movies with ffmpeg and
// generating raw test pictures.

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// A fresh folder under the system temp directory, removed with its content.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  const std::string& dir() const { return dir_; }
  // Names of the entries of the folder, sorted.
  std::vector<std::string> entries() const;

 private:
  std::string dir_;
};

struct RunResult {
  int status = -1;  // exit status; 128 + n after signal n
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs `command` with bash; standard input comes from /dev/null unless the command redirects it.
RunResult run(const std::string& command);

// "<orvex-hap> " + args.
RunResult orvex(const std::string& args);

std::string quote(const std::string& s);
std::vector<uint8_t> read_file(const std::string& path);
void write_file(const std::string& path, const std::vector<uint8_t>& bytes);

// ffprobe -show_entries stream=<entry> of the first stream of type `kind` ("v" or "a").
std::string probe(const std::string& movie, const char* kind, const std::string& entry);

// Every frame of the first video stream as packed rgb24 (ffmpeg decodes; throws on failure).
std::vector<uint8_t> decode_rgb24(const std::string& movie);

// The audio of the first audio stream in raw form `format` (s16le, s24le, f32le).
std::vector<uint8_t> decode_audio(const std::string& movie, const std::string& format);

// A picture of width x height rgb24 pixels, smooth with some detail; frame moves it.
std::vector<uint8_t> test_picture_rgb24(uint32_t width, uint32_t height, int frame);

// PSNR over all bytes of two equally long buffers.
double psnr_bytes(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

}  // namespace e2e
