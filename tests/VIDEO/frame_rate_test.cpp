// Frame-rate conversion from 16.16 host rates and normalisation for the movie's 32-bit durations.
#include "job/frame_rate.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "tests/support/expect_error.h"

namespace {

std::string text(const FrameRate& r) {
  return std::to_string(r.numerator) + "/" + std::to_string(r.denominator);
}

TEST(FpsFromFixed, GivesExactFractionAndRefusesNonPositive) {
  for (auto [fixed, rate] : {std::pair{0x190000, "25/1"},
                             {0x17F9DB, "24000/1001"},
                             {0x1DF852, "30000/1001"},
                             {0x17F9DC, "23976/1000"},
                             {1, "0/1000"}}) {
    FrameRate r{0, 0};
    fps_from_fixed(r, fixed);
    EXPECT_EQ(text(r), rate) << fixed;
  }
  for (int32_t v : {0, -0x190000}) {
    FrameRate r{7, 3};
    EXPECT_RUNTIME_ERROR(fps_from_fixed(r, v), "Invalid fps value : " + std::to_string(v));
    EXPECT_EQ(text(r), "7/3");  // untouched
  }
}

TEST(FpsRound, RoundsHalvesAwayAndKeepsLow32Bits) {
  FrameRate r;
  fps_round(r, 29.9995, 1000);  // 29999.5 -> 30000
  EXPECT_EQ(r.numerator, 30000u);
  fps_round(r, 4294967296.0 + 5.0, 1);  // 2^32 + 5 keeps its low 32 bits
  EXPECT_EQ(r.numerator, 5u);
  fps_round(r, std::numeric_limits<double>::infinity(), 1);
  EXPECT_EQ(r.numerator, 0u);
}

TEST(FpsFitDuration, NormalisesAndLogs) {
  const std::string invalid = "ERROR src fps invalid : ";
  const struct {
    FrameRate in;
    uint32_t frames;
    bool changed, exact;
    std::string out, log;
  } cases[] = {
      {{24000, 1001}, 200000, false, false, "24000/1001", ""},
      {{24000, 1001}, 5000000, true, false, "2398/100", "24000/1001. Fps round 100 : 2398/100 \n"},
      {{30000, 1001},
       4292000,
       true,
       false,
       "29970/1000",
       "30000/1001. Fps round 1000 : 29970/1000 \n"},
      {{60, 2}, 0xFFFFFFFF, true, true, "30/1", ""},
      {{5, 0}, 10, true, false, "25/1", "5/0. Fps overwrite by 25/1\n"},
      // 1/3 fps for 2^31 frames: rounds to 0 at every denominator that fits.
      {{1, 3}, 0x80000000u, true, false, "25/1", "1/3. Fps overwrite by 25/1\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(text(c.in) + " x " + std::to_string(c.frames));
    FrameRate r = c.in;
    bool exact = true;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(fps_fit_duration(r, c.frames, exact), c.changed);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.log.empty() ? "" : invalid + c.log);
    EXPECT_EQ(exact, c.exact);
    EXPECT_EQ(text(r), c.out);
  }
}

}  // namespace
