// The render job: frames reach the movie in submission order for every pool size, whatever order
// the frame threads finish in, with add_frame and flush reporting what they collected; failures
// of a frame's thread surface on the driving thread; construction failures, destruction with
// frames in flight, argument refusals and the no-output mode.
#include "job/render_job.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "tests/support/expect_error.h"
#include "tests/support/movie_probe.h"

namespace {

constexpr uint16_t kWidth = 16, kHeight = 8;
constexpr int kFrames = 10;

// Distinct, well separated colours: frame i is told apart after DXT1 quantisation.
std::array<uint8_t, 3> frame_colour(int i) {
  return {uint8_t(20 + 23 * i), uint8_t(230 - 19 * i), uint8_t((60 + 97 * i) % 256)};
}

// Settings of a test job writing `path`; each test changes what it exercises.
RenderJobSettings job_settings(const std::string& path) {
  RenderJobSettings s;
  s.path = std::u16string(path.begin(), path.end());
  s.width = kWidth;
  s.height = kHeight;
  s.depth = 32;
  return s;
}

// A job whose frame threads first run `before_encode`, if given.
std::unique_ptr<RenderJob> make_job(const RenderJobSettings& settings, uint32_t pool,
                                    std::function<void(uint64_t)> before_encode = {}) {
  RenderJobHooks hooks;
  hooks.encoder_count = pool;
  hooks.before_encode = std::move(before_encode);
  auto job = std::make_unique<RenderJob>(settings, std::move(hooks));
  job->open_encoders(ARGB_8, 32, PAD_REPLICATE, 0);
  return job;
}

// Submits one ARGB_8 frame in frame i's colour.
int add(RenderJob& job, int i, uint8_t slot = 0) {
  std::vector<uint8_t> px(size_t{kWidth} * kHeight * 4, 255);
  for (size_t p = 0; p < px.size(); p += 4) std::copy_n(frame_colour(i).begin(), 3, &px[p + 1]);
  return job.add_frame(px.data(), size_t{kWidth} * 4, slot);
}

// Which frame_colour each frame of a movie shows as ffmpeg decodes it (-1: none within 12 levels).
std::vector<int> movie_frame_numbers(const std::string& path) {
  const std::string rgb =
      orvex_test::run_command("ffmpeg -v error -i '" + path + "' -f rawvideo -pix_fmt rgb24 -");
  std::vector<int> numbers;
  for (size_t at = 0; at + size_t{kWidth} * kHeight * 3 <= rgb.size(); at += kWidth * kHeight * 3) {
    numbers.push_back(-1);
    for (int i = 0; i < kFrames && numbers.back() < 0; ++i) {
      bool close = true;
      for (int k = 0; k < 3; ++k)
        close = close && std::abs(uint8_t(rgb[at + k]) - frame_colour(i)[k]) <= 12;
      if (close) numbers.back() = i;
    }
  }
  return numbers;
}

struct OrderingCase {
  uint32_t encoding_mode;  // 1 = one frame at a time
  uint32_t pool;           // encoder count in pool mode
  bool reverse_finish;     // early frames finish last
};

void PrintTo(const OrderingCase& c, std::ostream* os) {
  *os << "mode " << c.encoding_mode << ", pool " << c.pool
      << (c.reverse_finish ? ", reversed" : "");
}

class JobOrdering : public testing::TestWithParam<OrderingCase> {};

TEST_P(JobOrdering, MovieHoldsFramesInSubmissionOrder) {
  const OrderingCase c = GetParam();
  orvex_test::TempDir dir;
  const std::string path = dir.file("order.mov");
  {
    RenderJobSettings settings = job_settings(path);
    settings.encoding_mode = c.encoding_mode;
    auto job = make_job(settings, c.pool, [&](uint64_t frame) {
      if (c.reverse_finish)
        std::this_thread::sleep_for(std::chrono::milliseconds(3 * (kFrames - frame)));
    });
    const uint32_t encoders = job->encoder_count();
    ASSERT_EQ(encoders, c.encoding_mode == 1 ? 1u : c.pool);
    for (int i = 0; i < kFrames; ++i) {
      // One encoder: always 1. A pool: 0 while the ring fills, then 1 for every collection.
      EXPECT_EQ(add(*job, i), encoders == 1 || uint32_t(i) >= encoders ? 1 : 0) << "frame " << i;
    }
    EXPECT_EQ(job->flush(), std::min<uint32_t>(encoders, kFrames));
    EXPECT_EQ(job->flush(), 0u);
    job->finish();
  }
  EXPECT_EQ(movie_frame_numbers(path), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

INSTANTIATE_TEST_SUITE_P(PoolSizes, JobOrdering,
                         testing::Values(OrderingCase{1, 0, false}, OrderingCase{0, 1, false},
                                         OrderingCase{0, 2, false}, OrderingCase{0, 4, true},
                                         OrderingCase{2, 4, false}, OrderingCase{0, 128, true}));

// A frame whose encode throws surfaces on the driving thread at its collection, by add_frame or
// by flush; the other frames still reach the movie in order and the movie is finished.
TEST(JobFailures, ThrowingEncoderSurfacesAtCollection) {
  orvex_test::TempDir dir;
  const std::string path = dir.file("throwing.mov");
  {
    auto job = make_job(job_settings(path), 4, [](uint64_t frame) {
      if (frame == 2) throw std::runtime_error("encoder failed");
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    });
    for (int i = 0; i < kFrames; ++i) {
      // Frame 2 is collected by the 7th submission, which is then not taken: submit it again.
      if (i == 6) EXPECT_RUNTIME_ERROR(add(*job, i), "encoder failed");
      add(*job, i);
    }
    EXPECT_EQ(job->flush(), 4u);
    job->finish();
  }
  EXPECT_EQ(movie_frame_numbers(path), (std::vector<int>{0, 1, 3, 4, 5, 6, 7, 8, 9}));

  auto job = make_job(job_settings(path), 4, [](uint64_t frame) {
    if (frame == 1) throw std::runtime_error("late failure");
  });
  for (int i = 0; i < 3; ++i) EXPECT_EQ(add(*job, i), 0);
  EXPECT_RUNTIME_ERROR(job->flush(), "late failure");
  EXPECT_EQ(job->flush(), 1u) << "a second flush collects the rest";
  job->finish();
  EXPECT_EQ(movie_frame_numbers(path), (std::vector<int>{0, 2}));
}

// True when this process has `path` open.
bool process_has_open(const std::string& path) {
  const std::string wanted = std::filesystem::weakly_canonical(path).string();
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
    char target[PATH_MAX] = {};
    if (readlink(fd.path().c_str(), target, sizeof target - 1) > 0 && wanted == target) return true;
  }
  return false;
}

TEST(JobLifecycle, ConstructionFailures) {
  orvex_test::TempDir dir;
  const std::string path = dir.file("construction.mov");
  RenderJobSettings settings = job_settings(path);
  settings.codec = 6;
  EXPECT_RUNTIME_ERROR(make_job(settings, 0), "Unsupported HAP Codec");
  EXPECT_FALSE(std::filesystem::exists(path)) << "refused before the file exists";

  // A frame encoder that cannot be created (width 0) fails the job after the movie writer made
  // the file; the writer is released with the job, so the file is closed.
  testing::internal::CaptureStdout();
  settings = job_settings(path);
  settings.width = 0;
  EXPECT_RUNTIME_ERROR(make_job(settings, 0), "fail to init cpu encoding");
  EXPECT_NE(testing::internal::GetCapturedStdout().find("ERR : dim invalide\n"), std::string::npos);
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_FALSE(process_has_open(path));
}

// Destroying a job with frames still encoding waits for them instead of terminating the process;
// a refused texture slot leaves the job unchanged.
TEST(JobLifecycle, DestructionJoinsFramesInFlightAndBadSlotIsRefused) {
  orvex_test::TempDir dir;
  const std::string path = dir.file("inflight.mov");
  for (uint32_t mode : {kSeveralFramesAtATime, kOneFrameAtATime}) {
    RenderJobSettings settings = job_settings(path);
    settings.encoding_mode = mode;
    auto job = make_job(
        settings, 4, [](uint64_t) { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
    for (int i = 0; i < 3; ++i) add(*job, i);
    // Leaving the scope would call std::terminate if a thread were still joinable.
  }
  auto job = make_job(job_settings(path), 2);
  EXPECT_RUNTIME_ERROR(add(*job, 0, 3), "Invalid encodeur index");
  EXPECT_EQ(job->flush(), 0u);
  EXPECT_EQ(add(*job, 0), 0);
  EXPECT_EQ(add(*job, 1), 0);
  EXPECT_EQ(add(*job, 2), 1);
  EXPECT_EQ(job->flush(), 2u);
  job->finish();
  EXPECT_EQ(movie_frame_numbers(path), (std::vector<int>{0, 1, 2}));
}

// Frames are encoded and collected, but no file is made and audio calls do nothing.
TEST(JobLifecycle, NoOutputWritesNothing) {
  const std::string path = "/nonexistent-folder/orvex/no_output.mov";
  std::atomic<int> encoded = 0;
  RenderJobSettings settings = job_settings(path);
  settings.no_output = true;
  auto job = make_job(settings, 3, [&](uint64_t) { ++encoded; });
  job->set_audio_tracks(1, 48000, 16, 2, 0, 0);
  const int16_t audio[8] = {};
  for (int i = 0; i < 5; ++i) {
    add(*job, i);
    job->add_sound(audio, 4, 7);  // an invalid track would fail on a real writer
  }
  EXPECT_EQ(job->flush(), 3u);
  job->finish();
  EXPECT_EQ(encoded, 5);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
