// Bad input gets one error line and status 1 (runtime) or 2 (usage) and never leaves a movie or
// a temporary file behind; an existing output survives without -y; a full disk fails cleanly;
// Ctrl-C finishes a playable movie of the frames done so far.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

struct BadCase {
  const char* name;
  const char* args;  // {dir} becomes the scratch folder
  int status;
  const char* message;         // expected within the error line
  const char* make = nullptr;  // shell command making a source in {dir} first
};

std::string expand_dir(std::string s, const Scratch& dir) {
  for (size_t at; (at = s.find("{dir}")) != std::string::npos;) s.replace(at, 5, dir.path());
  return s;
}

class BadInput : public testing::TestWithParam<BadCase> {};

TEST_P(BadInput, OneErrorLineAndNoOutput) {
  const BadCase c = GetParam();
  Scratch dir;
  write_file(dir.file("text.mov"), std::vector<uint8_t>(300, 'x'));
  write_file(dir.file("empty.rgb"), {});
  if (c.make) {
    ASSERT_EQ(run(expand_dir(c.make, dir)).status, 0) << c.make;
  }
  const std::vector<std::string> before = entries(dir.path());
  const RunResult r = orvex(expand_dir(c.args, dir));
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_EQ(r.err.rfind("orvex-hap: error: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(entries(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadInput,
    testing::Values(
        BadCase{"missing_file", "encode {dir}/nothing.mkv -o {dir}/o.mov", 1, "cannot read"},
        BadCase{"not_media", "encode {dir}/text.mov -o {dir}/o.mov", 1, "cannot read"},
        BadCase{"zero_frames",
                "encode {dir}/empty.rgb -f rawvideo --pix-fmt rgb24 --size 8x8 -o {dir}/o.mov", 1,
                "no video frames"},
        BadCase{"size_zero", "encode - -f rawvideo --pix-fmt rgb24 --size 0x8 -o {dir}/o.mov", 2,
                "--size"},
        BadCase{"size_too_big", "encode --pattern=30001x16 -o {dir}/o.mov", 2, "--pattern"},
        BadCase{"unknown_codec", "encode --pattern=16x16 -c hap-z -o {dir}/o.mov", 2,
                "'hap-z' (hap, hap-alpha, hap-q, hap-q-alpha, hap-alpha-only, hap-r)"},
        BadCase{"unknown_quality", "encode --pattern=16x16 -q best -o {dir}/o.mov", 2, "best"},
        BadCase{"chunks_zero", "encode --pattern=16x16 --chunks 0 -o {dir}/o.mov", 2, "--chunks"},
        BadCase{"chunks_65", "encode --pattern=16x16 --chunks 65 -o {dir}/o.mov", 2, "--chunks"},
        BadCase{"no_folder", "encode --pattern=16x16 -o {dir}/no/such/o.mov", 1, "cannot create"},
        BadCase{"no_input", "encode -o {dir}/o.mov", 2, "INPUT"},
        BadCase{"no_command", "{dir}/text.mov -o {dir}/o.mov", 2, "is not a command"},
        BadCase{"output_stdout", "encode --pattern=16x16 -o -", 2, "needs a seekable file"},
        BadCase{"hardware_pix_fmt", "encode - -f rawvideo --pix-fmt cuda --size 8x8 -o {dir}/o.mov",
                2, "hardware pixel format"},
        BadCase{"over_decoder_limit",
                "encode - -f rawvideo --pix-fmt gray --size 20000x20000 -o {dir}/o.mov", 1,
                "about 16000x16000"},
        BadCase{"channels_65", "encode {dir}/65.mkv -o {dir}/o.mov", 1, "65 channels",
                "head -c 2080 /dev/zero > {dir}/65.pcm && ffmpeg -v error -f lavfi -i "
                "testsrc2=size=32x32:duration=0.2 -f s16le -ar 8000 -ac 65 -i {dir}/65.pcm "
                "-c:v ffv1 -c:a copy {dir}/65.mkv"},
        BadCase{"index_at_end_on_stdin", "encode - -o {dir}/o.mov < <(cat {dir}/late.mp4)", 1,
                "-movflags +faststart",
                "ffmpeg -v error -f lavfi -i testsrc2=size=640x360:duration=1 -c:v libx264 -preset "
                "ultrafast {dir}/late.mp4"}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

TEST(Overwrite, ExistingOutputKeptUnlessForced) {
  Scratch dir;
  const std::string out = dir.file("o.mov");
  write_file(out, {'k', 'e', 'e', 'p'});
  const RunResult refused = orvex("encode --pattern=32x16 --frames 2 -o " + out);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("already exists"), std::string::npos) << refused.err;
  EXPECT_EQ(read_file(out), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
  const RunResult forced = orvex("encode --pattern=32x16 --frames 2 -y --quiet -o " + out);
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(probe(out, "v", "nb_frames"), "2");
  EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"o.mov"});
}

// A file-size limit stands in for a full disk: the write fails, the run reports it with status
// 1, and neither the movie nor the temporary file is left.
TEST(FullDisk, WriteFailureLeavesNothing) {
  Scratch dir;
  const RunResult r = run("ulimit -f 64; exec " + std::string(ORVEX_HAP_BIN) +
                          " encode --pattern=320x240 --duration 4 -o " + dir.file("o.mov"));
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.err.rfind("orvex-hap: error: ", 0), 0u) << r.err;
  EXPECT_TRUE(entries(dir.path()).empty());
}

// The first Ctrl-C stops reading and finishes the movie: status 130, and a movie that ffmpeg
// decodes completely with the frames done so far. A second one aborts: status 130, no file
// left, and the progress line ended with a message.
class Interrupt : public testing::TestWithParam<int> {};

TEST_P(Interrupt, CtrlC) {
  const int interrupts = GetParam();
  Scratch dir, logs;
  const std::string out = dir.file("o.mov"), log = logs.file("err");
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const int log_fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(log_fd, STDERR_FILENO);
    // The second interrupt must land while the movie is being finished: large Slow frames keep
    // the frames in flight busy long enough.
    const char* pattern = interrupts == 2 ? "--pattern=1920x1080" : "--pattern=640x360";
    const char* quality = interrupts == 2 ? "slow" : "normal";
    execl(ORVEX_HAP_BIN, ORVEX_HAP_BIN, "encode", pattern, "-q", quality, "--duration", "2000",
          "-o", out.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  // Wait until the temporary movie holds a few frames (it grows beside the output).
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool growing = false;
  while (!growing && std::chrono::steady_clock::now() < deadline) {
    for (const std::string& name : entries(dir.path())) {
      std::error_code ec;
      if (std::filesystem::file_size(dir.file(name), ec) > 400000 && !ec) growing = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  kill(pid, SIGINT);
  if (interrupts == 2) {
    // Send the second once the first has been taken (its message is out).
    const auto taken_by = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < taken_by) {
      const std::vector<uint8_t> so_far = read_file(log);
      if (std::string(so_far.begin(), so_far.end()).find("interrupted") != std::string::npos) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(pid, SIGINT);
  }
  int raw = 0;
  ASSERT_EQ(waitpid(pid, &raw, 0), pid);
  ASSERT_TRUE(growing);
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 130);
  const std::vector<uint8_t> err = read_file(log);
  const std::string text(err.begin(), err.end());
  if (interrupts == 2) {
    EXPECT_TRUE(entries(dir.path()).empty());
    EXPECT_NE(text.find("\norvex-hap: aborted, no movie written\n"), std::string::npos) << text;
    return;
  }
  ASSERT_EQ(entries(dir.path()), std::vector<std::string>{"o.mov"});
  const int frames = std::stoi(probe(out, "v", "nb_frames"));
  EXPECT_GE(frames, 1);
  EXPECT_LT(frames, 50000);
  EXPECT_EQ(decode_video(out).size(), size_t{640} * 360 * 3 * frames);
}

INSTANTIATE_TEST_SUITE_P(Count, Interrupt, testing::Values(1, 2));

}  // namespace
