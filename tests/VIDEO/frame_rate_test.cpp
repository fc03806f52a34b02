// Frame-rate conversion from 16.16 host rates and normalisation for the movie's 32-bit durations.
#include "job/frame_rate.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>

namespace {

struct FixedCase {
  int32_t fixed;
  uint32_t num, den;
};
void PrintTo(const FixedCase& c, std::ostream* os) {
  *os << c.fixed;
}

class FpsFromFixed : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FpsFromFixed, GivesExactFraction) {
  FrameRate r{0, 0};
  fps_from_fixed(r, GetParam().fixed);
  EXPECT_EQ(r.numerator, GetParam().num);
  EXPECT_EQ(r.denominator, GetParam().den);
}

INSTANTIATE_TEST_SUITE_P(Rates, FpsFromFixed,
                         ::testing::Values(FixedCase{0x190000, 25, 1}, FixedCase{0x1E0000, 30, 1},
                                           FixedCase{0x17F9DB, 24000, 1001},
                                           FixedCase{0x1DF852, 30000, 1001},
                                           FixedCase{0x17F9DC, 23976, 1000},
                                           FixedCase{0x3BF0A3, 59940, 1000},
                                           FixedCase{1, 0, 1000}));

TEST(FpsFromFixedErrors, RefusesZeroAndNegativeWithoutTouchingRate) {
  for (int32_t v : {0, -1, -0x190000}) {
    FrameRate r{7, 3};
    try {
      fps_from_fixed(r, v);
      FAIL() << "no error for " << v;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), "Invalid fps value : " + std::to_string(v));
    }
    EXPECT_EQ(r.numerator, 7u);
    EXPECT_EQ(r.denominator, 3u);
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

struct FitCase {
  FrameRate in;
  uint32_t frames;
  bool changed, exact;
  FrameRate out;
  std::string log;
};
void PrintTo(const FitCase& c, std::ostream* os) {
  *os << c.in.numerator << "/" << c.in.denominator << " x " << c.frames;
}

class FpsFitDuration : public ::testing::TestWithParam<FitCase> {};

TEST_P(FpsFitDuration, NormalisesAndLogs) {
  const FitCase& c = GetParam();
  FrameRate r = c.in;
  bool exact = true;
  ::testing::internal::CaptureStdout();
  const bool changed = fps_fit_duration(r, c.frames, exact);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.log);
  EXPECT_EQ(changed, c.changed);
  EXPECT_EQ(exact, c.exact);
  EXPECT_EQ(r.numerator, c.out.numerator);
  EXPECT_EQ(r.denominator, c.out.denominator);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FpsFitDuration,
    ::testing::Values(FitCase{{24000, 1001}, 200000, false, false, {24000, 1001}, ""},
                      FitCase{{24000, 1001},
                              5000000,
                              true,
                              false,
                              {2398, 100},
                              "ERROR src fps invalid : 24000/1001. Fps round 100 : 2398/100 \n"},
                      FitCase{{30000, 1001},
                              4292000,
                              true,
                              false,
                              {29970, 1000},
                              "ERROR src fps invalid : 30000/1001. Fps round 1000 : 29970/1000 \n"},
                      FitCase{{60, 2}, 0xFFFFFFFF, true, true, {30, 1}, ""},
                      FitCase{{0, 1},
                              10,
                              true,
                              false,
                              {25, 1},
                              "ERROR src fps invalid : 0/1. Fps overwrite by 25/1\n"},
                      FitCase{{5, 0},
                              10,
                              true,
                              false,
                              {25, 1},
                              "ERROR src fps invalid : 5/0. Fps overwrite by 25/1\n"},
                      // 1/3 fps for 2^31 frames: rounds to 0 at every denominator that fits.
                      FitCase{{1, 3},
                              0x80000000u,
                              true,
                              false,
                              {25, 1},
                              "ERROR src fps invalid : 1/3. Fps overwrite by 25/1\n"}));

}  // namespace
