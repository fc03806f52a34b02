// Frames reach the movie in submission order for every pool size, whatever order the frame
// threads finish in; add_frame and flush report what they collected.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "job/render_job.h"
#include "tests/job/job_test_support.h"

using namespace job_test;

namespace {

constexpr int kFrames = 10;

struct OrderingCase {
  uint32_t encoding_mode;  // 1 = one frame at a time
  uint32_t pool;           // encoder count in pool mode
  bool reverse_finish;     // early frames finish last
};

void PrintTo(const OrderingCase& c, std::ostream* os) {
  *os << "mode " << c.encoding_mode << ", pool " << c.pool
      << (c.reverse_finish ? ", reversed" : "");
}

std::string case_name(const testing::TestParamInfo<OrderingCase>& info) {
  const OrderingCase& c = info.param;
  return (c.encoding_mode == 1 ? std::string("single") : "pool" + std::to_string(c.pool)) +
         (c.reverse_finish ? "_reversed" : "");
}

RenderJob make_job(const std::string& path, uint32_t encoding_mode, RenderJobHooks hooks) {
  return RenderJob(std::u16string(path.begin(), path.end()), kWidth, kHeight, 32, FrameRate{25, 1},
                   0, 8, 0, 0, 0, 1.0f, 1, encoding_mode, 2, 0, 0xF8, std::move(hooks));
}

}  // namespace

class JobOrdering : public testing::TestWithParam<OrderingCase> {};

TEST_P(JobOrdering, MovieHoldsFramesInSubmissionOrder) {
  const OrderingCase c = GetParam();
  const std::string path = temp_movie_path(case_name({c, 0}));
  RenderJobHooks hooks;
  hooks.encoder_count = c.pool;
  if (c.reverse_finish) {
    hooks.before_encode = [](uint64_t frame) {
      std::this_thread::sleep_for(std::chrono::milliseconds(3 * (kFrames - frame)));
    };
  }
  {
    RenderJob job = make_job(path, c.encoding_mode, std::move(hooks));
    job.open_encoders(ARGB_8, 32, PAD_REPLICATE, 0);
    const uint32_t encoders = job.encoder_count();
    ASSERT_EQ(encoders, c.encoding_mode == 1 ? 1u : c.pool);
    for (int i = 0; i < kFrames; ++i) {
      const auto px = solid_frame(i);
      // One encoder: always 1. A pool: 0 while the ring fills, then 1 for every collection.
      const int expected = encoders == 1 || uint32_t(i) >= encoders ? 1 : 0;
      EXPECT_EQ(job.add_frame(px.data(), size_t{kWidth} * 4, 0), expected) << "frame " << i;
    }
    EXPECT_EQ(job.flush(), std::min<uint32_t>(encoders, kFrames));
    EXPECT_EQ(job.flush(), 0u);
    job.finish();
  }
  const auto samples = read_video_samples(path);
  ASSERT_EQ(samples.size(), size_t{kFrames});
  for (int i = 0; i < kFrames; ++i) EXPECT_EQ(sample_frame_number(samples[i], kFrames), i);
  std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(PoolSizes, JobOrdering,
                         testing::Values(OrderingCase{1, 0, false}, OrderingCase{0, 1, false},
                                         OrderingCase{0, 2, false}, OrderingCase{0, 4, true},
                                         OrderingCase{2, 4, false}, OrderingCase{0, 128, true},
                                         OrderingCase{1, 0, true}),
                         case_name);

// A frame whose encode throws surfaces at its collection, on the driving thread; the other
// frames still reach the movie in order and the movie is finished.
TEST(JobOrdering, ThrowingEncoderSurfacesAtCollection) {
  const std::string path = temp_movie_path("throwing");
  RenderJobHooks hooks;
  hooks.encoder_count = 4;
  hooks.before_encode = [](uint64_t frame) {
    if (frame == 2) throw std::runtime_error("encoder failed");
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  };
  {
    RenderJob job = make_job(path, 0, std::move(hooks));
    job.open_encoders(ARGB_8, 32, PAD_REPLICATE, 0);
    int submitted = 0;
    bool thrown = false;
    while (submitted < kFrames) {
      const auto px = solid_frame(submitted);
      try {
        job.add_frame(px.data(), size_t{kWidth} * 4, 0);
        ++submitted;
      } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "encoder failed");
        EXPECT_EQ(submitted, 6) << "frame 2 is collected by the 7th submission";
        EXPECT_FALSE(thrown);
        thrown = true;
      }
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(job.flush(), 4u);
    job.finish();
  }
  const auto samples = read_video_samples(path);
  ASSERT_EQ(samples.size(), size_t{kFrames - 1});
  for (size_t k = 0; k < samples.size(); ++k) {
    EXPECT_EQ(sample_frame_number(samples[k], kFrames), k < 2 ? int(k) : int(k) + 1);
  }
  std::remove(path.c_str());
}

// The same failure found by flush: flush rethrows it, and a second flush collects the rest.
TEST(JobOrdering, ThrowingEncoderSurfacesAtFlush) {
  const std::string path = temp_movie_path("throwing_flush");
  RenderJobHooks hooks;
  hooks.encoder_count = 4;
  hooks.before_encode = [](uint64_t frame) {
    if (frame == 1) throw std::runtime_error("late failure");
  };
  RenderJob job = make_job(path, 0, std::move(hooks));
  job.open_encoders(ARGB_8, 32, PAD_REPLICATE, 0);
  for (int i = 0; i < 3; ++i) {
    const auto px = solid_frame(i);
    EXPECT_EQ(job.add_frame(px.data(), size_t{kWidth} * 4, 0), 0);
  }
  EXPECT_THROW(job.flush(), std::runtime_error);
  EXPECT_EQ(job.flush(), 1u);
  job.finish();
  EXPECT_EQ(read_video_samples(path).size(), 2u);
  std::remove(path.c_str());
}
