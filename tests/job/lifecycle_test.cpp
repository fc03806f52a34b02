// Construction failures, destruction with frames in flight, argument refusals and the
// no-output mode of the render job.
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <mutex>
#include <thread>

#include "job/render_job.h"
#include "tests/job/job_test_support.h"

using namespace job_test;

namespace {

std::u16string u16(const std::string& s) {
  return std::u16string(s.begin(), s.end());
}

// True when this process has `path` open.
bool process_has_open(const std::string& path) {
  const std::string wanted = std::filesystem::weakly_canonical(path).string();
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return false;
  bool found = false;
  while (dirent* e = readdir(dir)) {
    char target[PATH_MAX] = {};
    const std::string link = std::string("/proc/self/fd/") + e->d_name;
    const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    if (n > 0 && wanted == target) found = true;
  }
  closedir(dir);
  return found;
}

RenderJob make_job(const std::string& path, uint16_t width, uint8_t codec, uint8_t no_output,
                   RenderJobHooks hooks = {}) {
  return RenderJob(u16(path), width, kHeight, 32, FrameRate{25, 1}, 0, 8, 0, 0, 0, 1.0f, codec, 0,
                   2, no_output, 0xF8, std::move(hooks));
}

}  // namespace

TEST(JobLifecycle, UnknownCodecIsRefusedBeforeTheFileExists) {
  const std::string path = temp_movie_path("codec6");
  try {
    make_job(path, kWidth, 6, 0);
    FAIL() << "codec 6 accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Unsupported HAP Codec");
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

// A frame encoder that cannot be created (width 0) fails the job after the movie writer made the
// file; the writer is released with the job, so the file is closed.
TEST(JobLifecycle, EncoderCreationFailureClosesTheFile) {
  const std::string path = temp_movie_path("width0");
  testing::internal::CaptureStdout();
  try {
    make_job(path, 0, 1, 0);
    FAIL() << "width 0 accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "fail to init cpu encoding");
  }
  EXPECT_NE(testing::internal::GetCapturedStdout().find("ERR : dim invalide\n"), std::string::npos);
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_FALSE(process_has_open(path));
  std::remove(path.c_str());
}

// Destroying a job with frames still encoding waits for them instead of terminating the process.
TEST(JobLifecycle, DestructionJoinsFramesInFlight) {
  const std::string path = temp_movie_path("inflight");
  for (uint32_t mode : {0u, 1u}) {
    RenderJobHooks hooks;
    hooks.encoder_count = 4;
    hooks.before_encode = [](uint64_t) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    };
    auto job = std::make_unique<RenderJob>(u16(path), kWidth, kHeight, 32, FrameRate{25, 1}, 0, 8,
                                           0, 0, 0, 1.0f, 1, mode, 2, 0, 0xF8, std::move(hooks));
    job->open_encoders(ARGB_8, 32, PAD_REPLICATE, 0);
    for (int i = 0; i < 3; ++i) {
      const auto px = solid_frame(i);
      job->add_frame(px.data(), size_t{kWidth} * 4, 0);
    }
    job.reset();  // would call std::terminate if a thread were still joinable
  }
  std::remove(path.c_str());
}

TEST(JobLifecycle, InvalidTextureSlotLeavesTheJobUnchanged) {
  const std::string path = temp_movie_path("slot3");
  RenderJobHooks hooks;
  hooks.encoder_count = 2;
  RenderJob job = make_job(path, kWidth, 1, 0, std::move(hooks));
  job.open_encoders(ARGB_8, 32, PAD_REPLICATE, 0);
  const auto px = solid_frame(0);
  try {
    job.add_frame(px.data(), size_t{kWidth} * 4, 3);
    FAIL() << "slot 3 accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Invalid encodeur index");
  }
  EXPECT_EQ(job.flush(), 0u);
  EXPECT_EQ(job.add_frame(px.data(), size_t{kWidth} * 4, 0), 0);
  EXPECT_EQ(job.add_frame(px.data(), size_t{kWidth} * 4, 0), 0);
  EXPECT_EQ(job.add_frame(px.data(), size_t{kWidth} * 4, 0), 1);
  EXPECT_EQ(job.flush(), 2u);
  job.finish();
  EXPECT_EQ(read_video_samples(path).size(), 3u);
  std::remove(path.c_str());
}

// Frames are encoded and collected, but no file is made and audio calls do nothing.
TEST(JobLifecycle, NoOutputWritesNothing) {
  const std::string path = "/nonexistent-folder/orvex/no_output.mov";
  RenderJobHooks hooks;
  hooks.encoder_count = 3;
  int encoded = 0;
  std::mutex m;
  hooks.before_encode = [&](uint64_t) {
    std::lock_guard<std::mutex> lock(m);
    ++encoded;
  };
  RenderJob job = make_job(path, kWidth, 1, 1, std::move(hooks));
  job.set_audio_tracks(1, 48000, 16, 2, 0, 0);
  job.open_encoders(ARGB_8, 32, PAD_REPLICATE, 0);
  const int16_t audio[8] = {};
  for (int i = 0; i < 5; ++i) {
    const auto px = solid_frame(i);
    job.add_frame(px.data(), size_t{kWidth} * 4, 0);
    job.add_sound(audio, 4, 7);  // an invalid track would fail on a real writer
  }
  EXPECT_EQ(job.flush(), 3u);
  job.finish();
  EXPECT_EQ(encoded, 5);
  EXPECT_FALSE(std::filesystem::exists(path));
}
