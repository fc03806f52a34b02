// The options dialog's geometry: DPI scaling, the control layout at common DPIs, and the choice
// of DPI from what the platform reports.

#include <gtest/gtest.h>

#include <vector>

#include "host/options_dialog_model.h"

namespace {

using C = DialogControl;

TEST(DialogScale, RoundsLikeMulDiv) {
  EXPECT_EQ(dialog_scale(25, 144), 38);         // 37.5 rounds up
  EXPECT_EQ(dialog_scale(25, 120), 31);         // 31.25 rounds down
  EXPECT_EQ(dialog_scale(-25, 144), -38);       // halves away from zero
  EXPECT_EQ(dialog_scale(30000, 480), 150000);  // no overflow in the product
}

TEST(DialogLayout, At96And144) {
  const DialogLayout l = dialog_layout(96);
  EXPECT_EQ(std::vector<int>({l.window_width, l.window_height, l[C::CodecList].y, l[C::SnappyBox].y,
                              l[C::ChunkField].y, l[C::QualitySlider].y, l[C::FrameModeBox].y,
                              l[C::OkButton].y}),
            std::vector<int>({380, 330, 20, 45, 75, 105, 130, 245}));
  EXPECT_EQ(l[C::CodecList], (DialogRect{240, 20, 100, 25}));
  const DialogLayout h = dialog_layout(144);
  EXPECT_EQ(h.window_width, 570);
  EXPECT_EQ(h.window_height, 495);
  EXPECT_EQ(h[C::CodecList].x, 360);
  EXPECT_EQ(h[C::SnappyBox], (DialogRect{30, 68, 278, 38}));  // 30 + 38: each step rounded
  EXPECT_EQ(h[C::OkButton].y, 30 + 38 + 45 + 45 + 38 + 60 + 38 + 75);
}

// Whatever the DPI, rows stay in order, nothing spills out of the window, and the controls on
// one row do not overlap except for the labels drawn under the slider's left part.
TEST(DialogLayout, StaysInsideTheWindowAndOrderedAtEveryDpi) {
  for (int dpi : {96, 120, 144, 168, 192, 288}) {
    SCOPED_TRACE(dpi);
    const DialogLayout l = dialog_layout(dpi);
    for (const DialogRect& r : l.controls) {
      EXPECT_TRUE(r.x >= 0 && r.width > 0 && r.x + r.width <= l.window_width);
      EXPECT_LT(r.y + r.height, l.window_height);
    }
    const std::vector<C> rows = {C::CodecList,     C::SnappyBox,    C::ChunkField,
                                 C::QualitySlider, C::FrameModeBox, C::OkButton};
    for (size_t i = 1; i < rows.size(); ++i) EXPECT_LT(l[rows[i - 1]].y, l[rows[i]].y);
    EXPECT_EQ(l[C::OkButton].y, l[C::CancelButton].y);
    EXPECT_LE(l[C::CancelButton].x + l[C::CancelButton].width, l[C::OkButton].x);
    EXPECT_LE(l[C::QualitySlider].x + l[C::QualitySlider].width, l[C::QualityName].x);
    // Scaling each step separately keeps the layout within one pixel per step of exact scaling.
    EXPECT_NEAR(l[C::OkButton].y, 245.0 * dpi / 96, 9.0);
  }
}

TEST(DialogLayout, WindowCentredOnTheScreen) {
  EXPECT_EQ(dialog_window_rect(96, 1920, 1080), (DialogRect{770, 375, 380, 330}));
  // Halves rounded toward zero separately: 1025/2 - 495/2 = 512 - 247.
  EXPECT_EQ(dialog_window_rect(144, 1025, 768), (DialogRect{512 - 285, 384 - 247, 570, 495}));
}

TEST(DialogDpi, PerWindowQueryAtLeast96ElseDeviceContext) {
  EXPECT_EQ(dialog_dpi_choice(true, 144, 0, 0), 144);
  EXPECT_EQ(dialog_dpi_choice(true, 72, 120, 120), 96);
  EXPECT_EQ(dialog_dpi_choice(false, 144, 120, 130), 120);
  EXPECT_EQ(dialog_dpi_choice(false, 144, 120, 0), 96);
}

}  // namespace
