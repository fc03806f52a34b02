// The render callbacks' refusals and failures: for each situation the diagnostic line, the
// message shown to the user and the result code, and that nothing is left behind (no job, no
// open file, no locked handle, no exception into the host).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "host/sim/sim_frames.h"
#include "tests/host/host_test_support.h"

namespace {

using orvex_sim::Host;
using orvex_sim::RenderTarget;
using orvex_sim::TargetValues;
using orvex_test::HostTest;
using orvex_test::StdoutCapture;

std::u16string u16(const std::string& s) {
  return {s.begin(), s.end()};
}

class RenderFailures : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    dir_ = orvex_test::scratch_dir();
  }
  TargetValues values(const std::string& name = "out.mov") {
    TargetValues v;
    v.path = u16(dir_ + "/" + name);
    v.width = 16;
    v.height = 8;
    return v;
  }
  struct Outcome {
    A_Err code;
    std::string out;
    std::vector<std::string> messages;
  };
  Outcome start(RenderTarget* target) {
    host().user_messages.clear();
    StdoutCapture capture;
    const A_Err code = fb().AEIO_StartAdding(basic(), Host::handle_of(target), 0);
    return {code, capture.finish(), host().user_messages};
  }
  // Adds `frames` frames of the 8-bit picture and ends the render.
  A_Err finish_render(RenderTarget* target, int frames) {
    PF_EffectWorld* world =
        host().new_world(PF_PixelFormat_ARGB32, target->values.width, target->values.height);
    for (int i = 0; i < frames; ++i) {
      orvex_sim::draw_pattern(*world, PF_PixelFormat_ARGB32, i, false);
      EXPECT_EQ(fb().AEIO_AddFrame(basic(), Host::handle_of(target), i, frames, world, nullptr, 0,
                                   nullptr),
                0);
    }
    return fb().AEIO_EndAdding(basic(), Host::handle_of(target), 0);
  }
  std::string dir_;
};

// Each case: what the host does, then the result code, the diagnostic line and the message shown
// ("" = nothing). `unknown` stands for the pair "ERROR : Unknown Error <code>" / "Unknown Error
// <code>".
struct StartFailure {
  const char* name;
  std::function<void(TargetValues&)> change;
  A_Err code;
  std::string line, message;
  StartFailure(const char* n, std::function<void(TargetValues&)> c, const char* unknown)
      : name(n),
        change(std::move(c)),
        code(9995),
        line(std::string("ERROR : Unknown Error ") + unknown + "\n"),
        message(std::string("Unknown Error ") + unknown) {}
  StartFailure(const char* n, std::function<void(TargetValues&)> c, A_Err e, const char* l,
               const char* m)
      : name(n), change(std::move(c)), code(e), line(l), message(m) {}
};

TEST_F(RenderFailures, StartAddingRefusals) {
  const A_Ratio ratio_0_1{0, 1}, ratio_1_0{1, 0};
  const std::vector<StartFailure> cases = {
      {"no path", [](auto& v) { v.no_path = true; }, 9996, "ERR path\n", ""},
      {"empty path", [](auto& v) { v.path.clear(); }, 9996, "", ""},
      {"path query error", [](auto& v) { v.path_err = 3; }, "1_3"},
      {"options query error", [](auto& v) { v.options_get_err = 3; }, "1_3"},
      {"channel query error", [](auto& v) { v.channels_err = 3; }, "1_2"},
      {"width 0", [](auto& v) { v.width = 0; }, "1_2"},
      {"height 0", [](auto& v) { v.height = 0; }, "1_2"},
      {"dimension query error", [](auto& v) { v.dimensions_err = 3; }, "1_2"},
      {"negative width", [](auto& v) { v.width = -16; }, "1_2"},
      {"width beyond 16 bits", [](auto& v) { v.width = 65536 + 16; }, "1_2"},
      {"aspect 0/1", [&](auto& v) { v.hsf = ratio_0_1; }, 9995, "ERROR : invalid fps\n",
       "Unsupported aspect ratio : 0 ; 1."},
      {"aspect 1/0", [&](auto& v) { v.hsf = ratio_1_0; }, 9995, "ERROR : invalid fps\n",
       "Unsupported aspect ratio : 1 ; 0."},
      {"frame rate query error", [](auto& v) { v.fps_err = 3; }, "1_1"},
      {"aspect query error", [](auto& v) { v.hsf_err = 3; }, "1_1"},
      {"frame rate 0", [](auto& v) { v.fps = 0; }, 9995, "", "Invalid fps value : 0"},
      {"negative frame rate", [](auto& v) { v.fps = -65536; }, 9995, "",
       "Invalid fps value : -65536"},
      {"audio set-up refused", [](auto& v) { v.channels = 2, v.sample_size = 5; }, 9995, "",
       "Unsupported audio quantif for integer"},
      {"audio rate 0", [](auto& v) { v.channels = 1, v.sound_rate = 0; }, 9995, "",
       "Invalid 0 frequency"},
  };
  const int files_before = orvex_test::open_file_count();
  for (const StartFailure& c : cases) {
    TargetValues v = values();
    c.change(v);
    RenderTarget* target = initialised_target(v);
    const Outcome outcome = start(target);
    EXPECT_EQ(outcome.code, c.code) << c.name;
    EXPECT_EQ(outcome.out, c.line) << c.name;
    EXPECT_EQ(outcome.messages,
              c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message})
        << c.name;
    // Nothing stays registered: the same target starts once the cause is gone.
    target->values = values();
    EXPECT_EQ(start(target).code, 0) << c.name;
    EXPECT_EQ(finish_render(target, 1), 0) << c.name;
    EXPECT_EQ(host().live_handles_named("path"), 0u) << c.name;
  }
  EXPECT_EQ(orvex_test::open_file_count(), files_before) << "a failed start left a file open";
}

TEST_F(RenderFailures, StartAddingWithoutOptionsOrSuites) {
  RenderTarget* bare = host().new_target(values());
  Outcome outcome = start(bare);
  EXPECT_EQ(outcome.code, 9995);
  EXPECT_EQ(outcome.out, "ERROR : Unknown Error 1_3\n");

  RenderTarget* target = initialised_target(values());
  host().faults.lock["Output Options"] = 9;  // the record cannot be read: no size
  outcome = start(target);
  EXPECT_EQ(outcome.code, 9995);
  EXPECT_EQ(outcome.out, "ERROR : Unknown Error 1_2\n");
  host().faults = {};

  host().faults.missing_suites = {kAEGPUtilitySuite};
  EXPECT_EQ(start(target).code, 516);
  host().faults = {};
}

TEST_F(RenderFailures, UnwritablePathReportsTheFileError) {
  RenderTarget* target = initialised_target(values("no/such/dir/out.mov"));
  const Outcome outcome = start(target);
  EXPECT_EQ(outcome.code, 9995);
  ASSERT_EQ(outcome.messages.size(), 1u);
  EXPECT_EQ(outcome.messages[0].rfind("Can't open target file : ", 0), 0u) << outcome.messages[0];
  EXPECT_LT(outcome.messages[0].size(), 256u);
}

TEST_F(RenderFailures, SecondStartForTheSameTargetIsRefused) {
  RenderTarget* target = initialised_target(values());
  ASSERT_EQ(start(target).code, 0);
  const Outcome again = start(target);
  EXPECT_EQ(again.code, 9995);
  EXPECT_EQ(again.out, "ERROR : File already exist\n");
  EXPECT_EQ(again.messages, std::vector<std::string>{"File already exist."});
  EXPECT_EQ(finish_render(target, 2), 0);
  // Ended: the target can render again.
  EXPECT_EQ(start(target).code, 0);
  EXPECT_EQ(finish_render(target, 1), 0);
}

TEST_F(RenderFailures, EndAdding) {
  RenderTarget* unknown = initialised_target(values());
  StdoutCapture capture;
  EXPECT_EQ(fb().AEIO_EndAdding(basic(), Host::handle_of(unknown), 0), 0);
  EXPECT_EQ(capture.finish(), "Erreur EndAdding, goutfiles introuvable\n");

  // A movie that cannot be completed (no frame at all) is a failure, and the target is released.
  RenderTarget* target = initialised_target(values());
  ASSERT_EQ(start(target).code, 0);
  StdoutCapture end_capture;
  EXPECT_EQ(fb().AEIO_EndAdding(basic(), Host::handle_of(target), 0), 9997);
  const std::vector<std::string> lines = orvex_test::split_lines(end_capture.finish());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("Err enAdding runtime : ", 0), 0u) << lines.back();
  EXPECT_EQ(start(target).code, 0);
  EXPECT_EQ(finish_render(target, 1), 0);
}

TEST_F(RenderFailures, AddFrameRefusals) {
  RenderTarget* target = initialised_target(values());
  const AEIO_OutSpecH out = Host::handle_of(target);
  PF_EffectWorld* good = host().new_world(PF_PixelFormat_ARGB32, 16, 8);
  {
    StdoutCapture capture;
    EXPECT_EQ(fb().AEIO_AddFrame(basic(), out, 0, 1, good, nullptr, 0, nullptr), 9988);
    EXPECT_EQ(capture.finish(), "Erreur AddFrame 2_1\n");
  }
  ASSERT_EQ(start(target).code, 0);
  EXPECT_EQ(fb().AEIO_AddFrame(basic(), out, 0, 1, good, nullptr, 0, nullptr), 0);

  // Worlds the job must not read: float pixels, fewer columns or rows than the output, rows
  // closer together than one output row.
  PF_EffectWorld* float_world = host().new_world(PF_PixelFormat_ARGB128, 16, 8);
  PF_EffectWorld* narrow = host().new_world(PF_PixelFormat_ARGB32, 15, 8);
  PF_EffectWorld* short_world = host().new_world(PF_PixelFormat_ARGB64, 16, 7);
  PF_EffectWorld* tight_rows = host().new_world(PF_PixelFormat_ARGB64, 16, 8);
  tight_rows->rowbytes = 16 * 4;
  for (PF_EffectWorld* world : {float_world, narrow, short_world, tight_rows}) {
    StdoutCapture capture;
    EXPECT_EQ(fb().AEIO_AddFrame(basic(), out, 1, 1, world, nullptr, 0, nullptr), 9988);
    EXPECT_EQ(capture.finish(), "");
  }
  host().faults.missing_suites = {kPFWorldSuite};
  EXPECT_EQ(fb().AEIO_AddFrame(basic(), out, 1, 1, good, nullptr, 0, nullptr), 13);
  host().faults = {};

  // A larger world is fine: the output's corner is read.
  PF_EffectWorld* large = host().new_world(PF_PixelFormat_ARGB64, 40, 30);
  EXPECT_EQ(fb().AEIO_AddFrame(basic(), out, 1, 1, large, nullptr, 0, nullptr), 0);
  EXPECT_EQ(fb().AEIO_EndAdding(basic(), out, 0), 0);
  const std::string frames = orvex_test::run_command(
      "ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets "
      "-of csv=p=0 '" +
      dir_ + "/out.mov'");
  EXPECT_EQ(frames, "2\n") << "refused worlds write nothing";
}

TEST_F(RenderFailures, AddSoundChunkRefusals) {
  const int16_t samples[8] = {};
  RenderTarget* target = initialised_target(values());
  const AEIO_OutSpecH out = Host::handle_of(target);
  EXPECT_EQ(fb().AEIO_AddSoundChunk(basic(), out, nullptr, 4, samples), 9988);

  // Six channels give a movie without audio; the host's sound then has nowhere to go, and the
  // movie writer's error comes back as 9988 instead of unwinding into the host.
  target->values.channels = 6;
  ASSERT_EQ(start(target).code, 0);
  StdoutCapture capture;
  EXPECT_EQ(fb().AEIO_AddSoundChunk(basic(), out, nullptr, 1, samples), 9988);
  capture.finish();
  EXPECT_EQ(fb().AEIO_AddSoundChunk(basic(), out, nullptr, 0, samples), 0);
  EXPECT_EQ(finish_render(target, 1), 0);

  target->values.channels = 2;
  ASSERT_EQ(start(target).code, 0);
  EXPECT_EQ(fb().AEIO_AddSoundChunk(basic(), out, nullptr, 4, nullptr), 9988);
  EXPECT_EQ(fb().AEIO_AddSoundChunk(basic(), out, nullptr, 4, samples), 0);
  EXPECT_EQ(finish_render(target, 1), 0);
}

}  // namespace
