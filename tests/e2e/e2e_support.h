#pragma once
// Helpers of the end-to-end tests: running commands (orvex-hap, ffmpeg, ffprobe) with their exit
// status and output, and decoding movies with ffmpeg.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/movie_probe.h"

namespace e2e {

using orvex_test::read_file;
using Scratch = orvex_test::TempDir;  // a fresh folder, removed with its content

// Names of the entries of a folder, sorted.
std::vector<std::string> entries(const std::string& dir);

struct RunResult {
  int status = -1;  // exit status; -1 after a signal
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs `command` with bash; standard input comes from /dev/null unless the command redirects it.
RunResult run(const std::string& command);
RunResult orvex(const std::string& args);  // "<orvex-hap> " + args

std::string quote(const std::string& s);
std::string expand_dir(std::string s, const Scratch& dir);  // {dir} becomes the folder's path
void write_file(const std::string& path, const std::vector<uint8_t>& bytes);

// ffprobe -show_entries stream=<entry> of the first stream of type `kind` ("v" or "a").
std::string probe(const std::string& movie, const char* kind, const std::string& entry);

// Every frame of the first video stream decoded by ffmpeg as packed `pix_fmt` (throws on failure).
std::vector<uint8_t> decode_video(const std::string& movie, const std::string& pix_fmt = "rgb24");
// The audio of audio stream `track` in raw form `format` (s16le, s24le, f32le).
std::vector<uint8_t> decode_audio(const std::string& movie, const std::string& format,
                                  int track = 0);

}  // namespace e2e
