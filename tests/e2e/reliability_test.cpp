// Reliability of orvex-hap against careless and hostile use, by area: paths and existing outputs,
// input values the movie cannot hold, signals, and a disk that fills up. A failure gets one error
// line and status 1 (runtime) or 2 (usage) and never leaves a movie or a temporary file behind; a
// finished movie is always complete and playable.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

// Starts orvex-hap with `args`; `in_child` runs in the child before exec (descriptors, limits).
// Signals a background shell may have ignored get their default action back.
pid_t spawn(const std::vector<std::string>& args, const std::function<void()>& in_child) {
  std::vector<char*> argv{const_cast<char*>(ORVEX_HAP_BIN)};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    for (int sig : {SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGPIPE}) signal(sig, SIG_DFL);
    const rlimit no_core{0, 0};
    setrlimit(RLIMIT_CORE, &no_core);
    in_child();
    execv(ORVEX_HAP_BIN, argv.data());
    _exit(127);
  }
  return pid;
}

void redirect(int fd, const std::string& path, int flags) {
  const int opened = open(path.c_str(), flags, 0644);
  dup2(opened, fd);
  close(opened);
}

struct BadCase {
  const char* name;
  const char* args;  // {dir} becomes the scratch folder; output {dir}/o.mov unless named
  int status;
  const char* message;         // expected within the error line
  const char* make = nullptr;  // shell command making a source in {dir} first
};

void PrintTo(const BadCase& c, std::ostream* os) {
  *os << c.name;
}

class BadInput : public testing::TestWithParam<BadCase> {};

TEST_P(BadInput, OneErrorLineAndNothingWritten) {
  const BadCase c = GetParam();
  Scratch dir;
  write_file(dir.file("text.mov"), std::vector<uint8_t>(300, 'x'));
  write_file(dir.file("empty.rgb"), {});
  ASSERT_EQ(mkfifo(dir.file("fifo.mov").c_str(), 0644), 0);
  ASSERT_EQ(symlink("/dev/null", dir.file("null.mov").c_str()), 0);
  ASSERT_EQ(symlink(dir.file("nowhere/x").c_str(), dir.file("dangling.mov").c_str()), 0);
  if (c.make) {
    ASSERT_EQ(run(expand_dir(c.make, dir)).status, 0) << c.make;
  }
  const std::vector<std::string> before = entries(dir.path());
  const std::string args = c.args;
  const RunResult r = orvex(
      expand_dir(args + (args.find(" -o ") == std::string::npos ? " -o {dir}/o.mov" : ""), dir));
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_EQ(r.err.rfind("orvex-hap: error: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(entries(dir.path()), before);
  struct stat st;
  EXPECT_TRUE(lstat(dir.file("fifo.mov").c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadInput,
    testing::Values(
        BadCase{"missing_file", "encode {dir}/nothing.mkv", 1, "cannot read"},
        BadCase{"not_media", "encode {dir}/text.mov", 1, "cannot read"},
        BadCase{"zero_frames", "encode {dir}/empty.rgb -f rawvideo --pix-fmt rgb24 --size 8x8", 1,
                "no video frames"},
        BadCase{"size_zero", "encode - -f rawvideo --pix-fmt rgb24 --size 0x8", 2, "--size"},
        BadCase{"size_too_big", "encode --pattern=30001x16", 2, "--pattern"},
        BadCase{"unknown_codec", "encode --pattern=16x16 -c hap-z", 2,
                "'hap-z' (hap, hap-alpha, hap-q, hap-q-alpha, hap-alpha-only, hap-r)"},
        BadCase{"unknown_quality", "encode --pattern=16x16 -q ultra", 2, "ultra"},
        BadCase{"chunks_zero", "encode --pattern=16x16 --chunks 0", 2, "--chunks"},
        BadCase{"chunks_65", "encode --pattern=16x16 --chunks 65", 2, "--chunks"},
        // The output's folder is checked before the input is read.
        BadCase{"no_folder", "encode {dir}/nothing.mkv -o {dir}/no/such/o.mov", 1, "cannot create"},
        BadCase{"no_input", "encode", 2, "INPUT"},
        BadCase{"no_command", "{dir}/text.mov", 2, "is not a command"},
        // Sources the libraries refuse, said in the user's terms.
        BadCase{"hardware_pix_fmt", "encode - -f rawvideo --pix-fmt cuda --size 8x8", 2,
                "hardware pixel format"},
        BadCase{"over_decoder_limit", "encode - -f rawvideo --pix-fmt gray --size 20000x20000", 1,
                "about 16000x16000"},
        BadCase{"channels_65", "encode {dir}/65.mkv", 1, "65 channels",
                "head -c 2080 /dev/zero > {dir}/65.pcm && ffmpeg -v error -f lavfi -i "
                "testsrc2=size=32x32:duration=0.2 -f s16le -ar 8000 -ac 65 -i {dir}/65.pcm "
                "-c:v ffv1 -c:a copy {dir}/65.mkv"},
        BadCase{"index_at_end_on_stdin", "encode - -o {dir}/o.mov < <(cat {dir}/late.mp4)", 1,
                "-movflags +faststart",
                "ffmpeg -v error -f lavfi -i testsrc2=size=640x360:duration=1 -c:v libx264 -preset "
                "ultrafast {dir}/late.mp4"},
        // Paths: only regular files are replaced; an existing name is refused before the input
        // is read; an empty name is a usage error.
        BadCase{"fifo_even_with_y", "encode --pattern=16x16 -y -o {dir}/fifo.mov", 1,
                "not a regular file"},
        BadCase{"device_link_even_with_y", "encode --pattern=16x16 -y -o {dir}/null.mov", 1,
                "not a regular file"},
        BadCase{"existing_file", "encode --pattern=16x16 -o {dir}/text.mov", 1, "already exists"},
        BadCase{"dangling_link_before_input", "encode {dir}/nothing.mkv -o {dir}/dangling.mov", 1,
                "already exists"},
        BadCase{"empty_output", "encode --pattern=16x16 -o ''", 2, "-o"},
        BadCase{"output_stdout", "encode --pattern=16x16 -o -", 2, "needs a seekable file"},
        // Input the movie cannot hold: time scale and frame duration are signed 32-bit, frame
        // and audio sample counts 32-bit.
        BadCase{"rate_over_time_scale", "encode --pattern=16x16 --rate 2147483648", 2,
                "at most 2147483647"},
        BadCase{"rate_denominator_over", "encode --pattern=16x16 --rate 25/2147483648", 2,
                "at most 2147483647"},
        BadCase{"frames_negative", "encode --pattern=16x16 --frames -1", 2, "--frames"},
        BadCase{"frames_hex", "encode --pattern=16x16 --frames 0x10", 2, "--frames"},
        BadCase{"frames_over_table", "encode --pattern=16x16 --no-audio --frames 4294967296", 2,
                "4294967295"},
        BadCase{"duration_over_audio", "encode --pattern=16x16 --duration 100000", 2,
                "at most 2236962 frames"}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

// Names that are not UTF-8 keep their bytes, long names get a temporary name that fits, -y
// replaces an existing file, and a clip shorter than one audio sample still gets its audio track.
struct NameCase {
  const char* name;
  std::string folder;  // created inside the scratch folder first, unless empty
  std::string file;
  const char* args;
};

void PrintTo(const NameCase& c, std::ostream* os) {
  *os << c.name;
}

class GoodOutput : public testing::TestWithParam<NameCase> {};

TEST_P(GoodOutput, ExactlyTheNamedMovie) {
  const NameCase c = GetParam();
  Scratch scratch;
  const std::string dir = c.folder.empty() ? scratch.path() : scratch.file(c.folder);
  if (!c.folder.empty()) {
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
  }
  const std::string out = dir + "/" + c.file;
  if (std::string(c.args) == "-y") write_file(out, {'o', 'l', 'd'});
  const RunResult r = orvex(std::string("encode --pattern=32x16 --frames 1 --quiet ") + c.args +
                            " -o " + quote(out));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(entries(dir), std::vector<std::string>{c.file});
  EXPECT_EQ(probe(out, "v", "nb_frames"), "1");
  EXPECT_EQ(probe(out, "a", "codec_type"), "audio");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GoodOutput,
    testing::Values(NameCase{"latin1_folder_and_name", "d\xFF", "\xC3.mov", ""},
                    NameCase{"name_of_255_bytes", "", std::string(251, 'n') + ".mov", ""},
                    NameCase{"existing_file_with_y", "", "o.mov", "-y"},
                    NameCase{"one_frame_shorter_than_an_audio_sample", "", "o.mov",
                             "--rate 96001"}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

// What each signal leaves: SIGINT, SIGHUP (and SIGTERM) finish a playable movie with status
// 130, whatever standard error is; a second Ctrl-C aborts at once, says so and leaves nothing;
// other fatal signals end the process by their default action and leave nothing; an interrupt
// before the first frame leaves nothing with status 130.
enum class ErrorStream { Null, Closed, ReaderGone, Log };

struct SignalCase {
  const char* name;
  int signal;  // 0: none, the run ends by itself
  ErrorStream stderr_to;
  bool before_first_frame;  // the input is a pipe that never delivers a frame
  int status;               // exit status; minus the signal number when the signal ends the run
  bool movie;               // a playable movie under the output name, else no file at all
  bool twice = false;       // the signal again once the first is taken (its message is out)
};

void PrintTo(const SignalCase& c, std::ostream* os) {
  *os << c.name;
}

class Signals : public testing::TestWithParam<SignalCase> {};

TEST_P(Signals, LeaveAPlayableMovieOrNothing) {
  const SignalCase c = GetParam();
  Scratch dir, logs;
  const std::string out = dir.file("o.mov"), log = logs.file("err");
  int feed[2], sink[2];
  ASSERT_EQ(pipe(feed), 0);
  ASSERT_EQ(pipe(sink), 0);
  close(sink[0]);  // standard error's reader is gone before the run starts
  const std::string length = c.signal ? "--duration=2000" : "--frames=2";
  std::vector<std::string> args{"encode", "--pattern=640x360", length, "-o", out};
  // The second interrupt must land while the movie is being finished: large Slow frames keep
  // the frames in flight busy long enough.
  if (c.twice) args = {"encode", "--pattern=1920x1080", "-q", "slow", "--duration=2000", "-o", out};
  if (c.before_first_frame)
    args = {"encode", "-", "-f", "rawvideo", "--pix-fmt", "rgb24", "--size", "8x8", "-o", out};
  const pid_t pid = spawn(args, [&] {
    dup2(feed[0], STDIN_FILENO);
    if (c.stderr_to == ErrorStream::Null) redirect(STDERR_FILENO, "/dev/null", O_WRONLY);
    if (c.stderr_to == ErrorStream::Closed) close(STDERR_FILENO);
    if (c.stderr_to == ErrorStream::ReaderGone) dup2(sink[1], STDERR_FILENO);
    if (c.stderr_to == ErrorStream::Log) redirect(STDERR_FILENO, log, O_WRONLY | O_CREAT);
  });
  ASSERT_GE(pid, 0);
  close(feed[0]);
  close(sink[1]);
  if (c.signal != 0) {
    // Wait until the temporary movie exists (before the first frame) or holds a few frames.
    const std::uintmax_t wanted = c.before_first_frame ? 0 : 400000;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool ready = false;
    while (!ready && std::chrono::steady_clock::now() < deadline) {
      for (const std::string& name : entries(dir.path())) {
        std::error_code ec;
        if (std::filesystem::file_size(dir.file(name), ec) >= wanted && !ec) ready = true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(ready);
    kill(pid, c.signal);
  }
  const auto logged = [&] {
    const std::vector<uint8_t> text = read_file(log);
    return std::string(text.begin(), text.end());
  };
  if (c.twice) {
    const auto taken_by = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (logged().find("interrupted") == std::string::npos &&
           std::chrono::steady_clock::now() < taken_by) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(pid, c.signal);
  }
  int raw = 0;
  ASSERT_EQ(waitpid(pid, &raw, 0), pid);
  close(feed[1]);
  if (c.status >= 0) {
    ASSERT_TRUE(WIFEXITED(raw)) << raw;
    EXPECT_EQ(WEXITSTATUS(raw), c.status);
  } else {
    ASSERT_TRUE(WIFSIGNALED(raw)) << raw;
    EXPECT_EQ(WTERMSIG(raw), -c.status);
  }
  if (c.twice) {
    EXPECT_NE(logged().find("\norvex-hap: aborted, no movie written\n"), std::string::npos)
        << logged();
  }
  if (!c.movie) {
    EXPECT_TRUE(entries(dir.path()).empty());
    return;
  }
  ASSERT_EQ(entries(dir.path()), std::vector<std::string>{"o.mov"});
  const int frames = std::stoi(probe(out, "v", "nb_frames"));
  EXPECT_GE(frames, 1);
  EXPECT_EQ(decode_video(out).size(), size_t{640} * 360 * 3 * frames);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Signals,
    testing::Values(
        SignalCase{"sigint", SIGINT, ErrorStream::Null, false, 130, true},
        SignalCase{"sigint_twice", SIGINT, ErrorStream::Log, false, 130, false, true},
        SignalCase{"sighup", SIGHUP, ErrorStream::Null, false, 130, true},
        SignalCase{"sigint_stderr_closed", SIGINT, ErrorStream::Closed, false, 130, true},
        SignalCase{"sigint_stderr_reader_gone", SIGINT, ErrorStream::ReaderGone, false, 130, true},
        SignalCase{"summary_reader_gone", 0, ErrorStream::ReaderGone, false, 0, true},
        SignalCase{"sigquit", SIGQUIT, ErrorStream::Null, false, -SIGQUIT, false},
        SignalCase{"sigint_before_first_frame", SIGINT, ErrorStream::Null, true, 130, false}),
    [](const testing::TestParamInfo<SignalCase>& info) { return std::string(info.param.name); });

// A file-size limit (RLIMIT_FSIZE) stands in for a disk that fills at a given offset: every
// write past it fails with EFBIG, as a full disk fails with ENOSPC. Swept over the file header,
// the media data, the index and the last byte: each short limit fails naming the output and the
// system's reason, and leaves nothing; the movie's exact size is enough.
TEST(FullDisk, EveryFailurePointReportedAndNothingLeft) {
  Scratch dir;
  const std::string out = dir.file("o.mov");
  const auto encode_within = [&](rlim_t limit_bytes) {
    int err_pipe[2];
    EXPECT_EQ(pipe(err_pipe), 0);  // the limit would cut a log file short too
    const pid_t pid = spawn(
        {"encode", "--pattern=64x48", "--duration", "2.5", "-q", "fast", "--quiet", "-o", out},
        [&] {
          const rlimit limit{limit_bytes, limit_bytes};
          setrlimit(RLIMIT_FSIZE, &limit);
          redirect(STDOUT_FILENO, "/dev/null", O_WRONLY);
          dup2(err_pipe[1], STDERR_FILENO);
        });
    close(err_pipe[1]);
    int raw = 0;
    waitpid(pid, &raw, 0);
    std::string err(4096, '\0');
    err.resize(std::max<ssize_t>(0, read(err_pipe[0], err.data(), err.size())));
    close(err_pipe[0]);
    return std::make_pair(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, err);
  };
  ASSERT_EQ(encode_within(RLIM_INFINITY).first, 0);
  const rlim_t size = std::filesystem::file_size(out);
  std::filesystem::remove(out);
  for (rlim_t limit :
       {rlim_t{0}, rlim_t{47}, rlim_t{48}, rlim_t{4096}, size / 3, size / 2, size - 1}) {
    SCOPED_TRACE(limit);
    const auto [status, err] = encode_within(limit);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err, "orvex-hap: error: cannot write '" + out + "': File too large\n");
    EXPECT_TRUE(entries(dir.path()).empty());
  }
  EXPECT_EQ(encode_within(size).first, 0);
  EXPECT_EQ(std::filesystem::file_size(out), size);
  EXPECT_EQ(decode_video(out).size(), size_t{64} * 48 * 3 * 63);
}

}  // namespace
