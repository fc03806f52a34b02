// The render callbacks' refusals and failures: for each situation the diagnostic line, the
// message shown to the user and the result code, and that nothing is left behind (no job, no
// open file, no locked handle, no exception into the host).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "host/sim/sim_frames.h"
#include "tests/host/host_test_support.h"

namespace {

using orvex_sim::RenderTarget;
using orvex_sim::TargetValues;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

class RenderFailures : public orvex_test::HostTest {
 protected:
  TargetValues values(const std::string& name = "out.mov") {
    TargetValues v;
    v.path = path_in_dir(name);
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
    CaptureStdout();
    const A_Err code = fb().AEIO_StartAdding(basic(), out_spec(target), 0);
    const std::string out = GetCapturedStdout();
    return {code, out, host().user_messages};
  }
  // Adds `frames` frames of the 8-bit picture and ends the render.
  A_Err finish_render(RenderTarget* target, int frames) {
    PF_EffectWorld* world =
        host().new_world(PF_PixelFormat_ARGB32, target->values.width, target->values.height);
    for (int i = 0; i < frames; ++i) {
      orvex_sim::draw_pattern(*world, PF_PixelFormat_ARGB32, i, false);
      EXPECT_EQ(
          fb().AEIO_AddFrame(basic(), out_spec(target), i, frames, world, nullptr, 0, nullptr), 0);
    }
    return fb().AEIO_EndAdding(basic(), out_spec(target), 0);
  }
};

// One row of each kind of the start failure table: what the host does, then the result code,
// the diagnostic line and the message shown ("" = nothing).
TEST_F(RenderFailures, StartAddingRefusals) {
  struct Case {
    std::function<void(TargetValues&)> change;
    A_Err code;
    std::string line, message;
  };
  const auto unknown = [](std::function<void(TargetValues&)> change, const std::string& code) {
    return Case{change, 9995, "ERROR : Unknown Error " + code + "\n", "Unknown Error " + code};
  };
  const Case cases[] = {
      {[](auto& v) { v.no_path = true; }, 9996, "ERR path\n", ""},
      {[](auto& v) { v.path.clear(); }, 9996, "", ""},
      unknown([](auto& v) { v.path_err = 3; }, "1_3"),
      unknown([](auto& v) { v.options_get_err = 3; }, "1_3"),
      unknown([](auto& v) { v.channels_err = 3; }, "1_2"),
      unknown([](auto& v) { v.height = 0; }, "1_2"),
      unknown([](auto& v) { v.width = 65536 + 16; }, "1_2"),
      {[](auto& v) {
         v.hsf = {0, 1};
       },
       9995, "ERROR : invalid fps\n", "Unsupported aspect ratio : 0 ; 1."},
      unknown([](auto& v) { v.hsf_err = 3; }, "1_1"),
      {[](auto& v) { v.fps = -65536; }, 9995, "", "Invalid fps value : -65536"},
      // 1/65536 frames per second rounds to a rate of 0.
      {[](auto& v) { v.fps = 1; }, 9995, "", "Invalid fps value : 1"},
  };
  const int files_before = orvex_test::open_file_count();
  for (const Case& c : cases) {
    TargetValues v = values();
    c.change(v);
    RenderTarget* target = initialised_target(v);
    const Outcome outcome = start(target);
    SCOPED_TRACE(c.line + c.message);
    EXPECT_EQ(outcome.code, c.code);
    EXPECT_EQ(outcome.out, c.line);
    EXPECT_EQ(outcome.messages,
              c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
    // Nothing stays registered: the same target starts once the cause is gone.
    target->values = values();
    EXPECT_EQ(start(target).code, 0);
    EXPECT_EQ(finish_render(target, 1), 0);
    EXPECT_EQ(host().live_handles_named("path"), 0u);
  }
  EXPECT_EQ(orvex_test::open_file_count(), files_before) << "a failed start left a file open";

  EXPECT_EQ(start(host().new_target(values())).out, "ERROR : Unknown Error 1_3\n") << "no options";
  RenderTarget* target = initialised_target(values());
  host().faults.missing_suites = {kAEGPUtilitySuite};
  EXPECT_EQ(start(target).code, 516);
  host().faults = {};
  target->values.path = path_in_dir("no/such/dir/out.mov");
  const Outcome unwritable = start(target);
  EXPECT_EQ(unwritable.code, 9995);
  ASSERT_EQ(unwritable.messages.size(), 1u);
  EXPECT_EQ(unwritable.messages[0].rfind("Can't open target file : ", 0), 0u);
  EXPECT_LT(unwritable.messages[0].size(), 256u);
  // The host says it created the file, but it is not there: it is not created behind its back.
  target->values = values("gone.mov");
  target->values.file_reserved = true;
  const Outcome gone = start(target);
  EXPECT_EQ(gone.code, 9995);
  ASSERT_EQ(gone.messages.size(), 1u);
  EXPECT_EQ(gone.messages[0].rfind("Can't open target file : ", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("gone.mov")));
}

TEST_F(RenderFailures, SecondStartAndEndAdding) {
  RenderTarget* target = initialised_target(values());
  ASSERT_EQ(start(target).code, 0);
  const Outcome again = start(target);
  EXPECT_EQ(again.code, 9995);
  EXPECT_EQ(again.out, "ERROR : File already exist\n");
  EXPECT_EQ(again.messages, std::vector<std::string>{"File already exist."});
  EXPECT_EQ(finish_render(target, 2), 0);

  CaptureStdout();
  EXPECT_EQ(fb().AEIO_EndAdding(basic(), out_spec(target), 0), 0);
  EXPECT_EQ(GetCapturedStdout(), "Erreur EndAdding, goutfiles introuvable\n");

  // A movie that cannot be completed (no frame at all) is a failure, and the target is released.
  ASSERT_EQ(start(target).code, 0);
  CaptureStdout();
  EXPECT_EQ(fb().AEIO_EndAdding(basic(), out_spec(target), 0), 9997);
  const std::string out = GetCapturedStdout();
  EXPECT_NE(out.find("Err enAdding runtime : "), std::string::npos) << out;
  EXPECT_EQ(start(target).code, 0);
  EXPECT_EQ(finish_render(target, 1), 0);
}

TEST_F(RenderFailures, AddFrameAndSoundRefusals) {
  RenderTarget* target = initialised_target(values());
  const AEIO_OutSpecH out = out_spec(target);
  PF_EffectWorld* good = host().new_world(PF_PixelFormat_ARGB32, 16, 8);
  const int16_t samples[8] = {};
  CaptureStdout();
  EXPECT_EQ(fb().AEIO_AddFrame(basic(), out, 0, 1, good, nullptr, 0, nullptr), 9988);
  EXPECT_EQ(GetCapturedStdout(), "Erreur AddFrame 2_1\n");
  EXPECT_EQ(fb().AEIO_AddSoundChunk(basic(), out, nullptr, 4, samples), 9988);

  target->values.channels = 2;
  ASSERT_EQ(start(target).code, 0);
  EXPECT_EQ(fb().AEIO_AddFrame(basic(), out, 0, 1, good, nullptr, 0, nullptr), 0);
  EXPECT_EQ(fb().AEIO_AddSoundChunk(basic(), out, nullptr, 4, nullptr), 9988);
  // Worlds the job must not read: float pixels, fewer columns or rows than the output, rows
  // closer together than one output row.
  PF_EffectWorld* tight_rows = host().new_world(PF_PixelFormat_ARGB64, 16, 8);
  tight_rows->rowbytes = 16 * 4;
  for (PF_EffectWorld* world : {host().new_world(PF_PixelFormat_ARGB128, 16, 8),
                                host().new_world(PF_PixelFormat_ARGB32, 15, 8),
                                host().new_world(PF_PixelFormat_ARGB64, 16, 7), tight_rows}) {
    CaptureStdout();
    EXPECT_EQ(fb().AEIO_AddFrame(basic(), out, 1, 1, world, nullptr, 0, nullptr), 9988);
    EXPECT_EQ(GetCapturedStdout(), "");
  }
  host().faults.missing_suites = {kPFWorldSuite};
  EXPECT_EQ(fb().AEIO_AddFrame(basic(), out, 1, 1, good, nullptr, 0, nullptr), 13);
  host().faults = {};
  // A larger world is fine: the output's corner is read.
  PF_EffectWorld* large = host().new_world(PF_PixelFormat_ARGB64, 40, 30);
  EXPECT_EQ(fb().AEIO_AddFrame(basic(), out, 1, 1, large, nullptr, 0, nullptr), 0);
  EXPECT_EQ(fb().AEIO_EndAdding(basic(), out, 0), 0);
  EXPECT_EQ(orvex_test::ffprobe_stream(dir_.file("out.mov"), "v:0")["nb_read_packets"], "2")
      << "refused worlds write nothing";
}

// The host shuts down (its death hook) during a render it never ended: the job is abandoned, its
// threads joined and its file closed, and the handle is free again.
TEST_F(RenderFailures, ShutdownAbandonsOpenRenders) {
  const int files_before = orvex_test::open_file_count();
  RenderTarget* target = initialised_target(values());
  ASSERT_EQ(start(target).code, 0);
  PF_EffectWorld* world = host().new_world(PF_PixelFormat_ARGB32, 16, 8);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(fb().AEIO_AddFrame(basic(), out_spec(target), i, 3, world, nullptr, 0, nullptr), 0);
  EXPECT_EQ(host().call_death_hook(), 0);
  EXPECT_EQ(orvex_test::open_file_count(), files_before);
  CaptureStdout();
  EXPECT_EQ(fb().AEIO_EndAdding(basic(), out_spec(target), 0), 0);
  EXPECT_EQ(GetCapturedStdout(), "Erreur EndAdding, goutfiles introuvable\n");
}

}  // namespace
