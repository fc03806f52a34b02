// The options dialog's real window, driven from a second thread by the messages that a user's
// clicks and keystrokes produce, while the first thread sits in run_options_dialog.

#include <gtest/gtest.h>
#include <windows.h>
// The common controls header needs the Windows header first.
#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "host/options_dialog.h"
#include "host/options_dialog_model.h"
#include "host/options_dialog_win32.h"
#include "tests/windows/dialog_driver.h"

namespace {

using orvex_test::Dialog;

struct Outcome {
  int result = -1;
  DialogValues values;
  bool driven = false;  // the driver found the window and ran its actions
};

// Opens the dialog on `stored`; `user` acts on the open window and should end it.
Outcome drive(const DialogValues& stored, const std::function<void(const Dialog&)>& user) {
  Outcome outcome;
  outcome.values = stored;
  DialogValues& v = outcome.values;
  outcome.driven = orvex_test::with_dialog(
      [&] {
        outcome.result =
            run_options_dialog(v.codec, v.snappy, v.chunk_count, v.quality, v.frame_mode);
      },
      user);
  return outcome;
}

DialogValues values(uint32_t codec, uint8_t snappy, uint32_t chunks, int32_t quality,
                    uint32_t frame_mode) {
  return DialogValues{codec, snappy, chunks, quality, frame_mode};
}

TEST(DialogWindow, OpensOnStoredValuesWithFallbacks) {
  struct Seen {
    std::string chunk_text;
    int selection = -1;
    bool snappy = false, frame_mode = false, chunk_enabled = false, slider_enabled = false;
    int slider_position = 0;
    std::string quality_name;
  } seen;
  const Outcome o = drive(values(6, 1, 100, 0, 0), [&](const Dialog& d) {
    seen = {d.chunk_text(),
            d.selection(),
            d.checked(kIdSnappyBox),
            d.checked(kIdFrameModeBox),
            IsWindowEnabled(d.chunk_field()) != 0,
            IsWindowEnabled(d.slider()) != 0,
            d.slider_position(),
            d.quality_name()};
    d.click(d.ok());
  });
  ASSERT_TRUE(o.driven);
  EXPECT_EQ(seen.chunk_text, "8");
  EXPECT_EQ(seen.selection, 0);
  EXPECT_TRUE(seen.snappy);
  EXPECT_TRUE(seen.frame_mode);
  EXPECT_TRUE(seen.chunk_enabled);
  EXPECT_FALSE(seen.slider_enabled);  // the stored codec is none of 0, 1, 5
  EXPECT_EQ(seen.slider_position, 2);
  EXPECT_EQ(seen.quality_name, "Normal");
  // Ok: codec 6 becomes Hap, frame mode 0 becomes 1, the shown 8 chunks are stored, quality 0
  // stays as it was because the slider never moved.
  EXPECT_EQ(o.result, 1);
  EXPECT_EQ(o.values, values(0, 1, 8, 0, 1));
}

TEST(DialogWindow, ChunkFieldCorrectsTypingAndLeaving) {
  std::string after_200, after_clear, after_leave;
  const Outcome o = drive(values(0, 1, 8, 2, 1), [&](const Dialog& d) {
    d.type_chunks(L"200");
    after_200 = d.chunk_text();
    d.type_chunks(L"");
    after_clear = d.chunk_text();
    d.leave_chunk_field();
    after_leave = d.chunk_text();
    d.type_chunks(L"12");
    d.click(d.ok());
  });
  ASSERT_TRUE(o.driven);
  EXPECT_EQ(after_200, "64");
  EXPECT_EQ(after_clear, "");
  EXPECT_EQ(after_leave, "1");
  EXPECT_EQ(o.values, values(0, 1, 12, 2, 1));
}

TEST(DialogWindow, SnappyOffKeepsTheStoredChunkCount) {
  bool field_enabled = true;
  const Outcome o = drive(values(1, 1, 100, 3, 2), [&](const Dialog& d) {
    d.type_chunks(L"30");
    d.click(d.item(kIdSnappyBox));
    field_enabled = IsWindowEnabled(d.chunk_field()) != 0;
    d.click(d.item(kIdFrameModeBox));
    d.click(d.ok());
  });
  ASSERT_TRUE(o.driven);
  EXPECT_FALSE(field_enabled);
  EXPECT_EQ(o.result, 1);
  EXPECT_EQ(o.values, values(1, 0, 100, 3, 1));
}

TEST(DialogWindow, CodecDecidesTheSliderAndSliderSetsQuality) {
  bool enabled_q = true, enabled_r = false;
  std::string name_at_start, name_after_end;
  const Outcome o = drive(values(0, 1, 8, 0, 1), [&](const Dialog& d) {
    d.select_codec(2);  // "HAPQ"
    enabled_q = IsWindowEnabled(d.slider()) != 0;
    d.select_codec(5);  // "HAP R"
    enabled_r = IsWindowEnabled(d.slider()) != 0;
    name_at_start = d.quality_name();
    d.press_slider_key(VK_END);
    name_after_end = d.quality_name();
    d.click(d.ok());
  });
  ASSERT_TRUE(o.driven);
  EXPECT_FALSE(enabled_q);
  EXPECT_TRUE(enabled_r);
  EXPECT_EQ(name_at_start, "Normal");
  EXPECT_EQ(name_after_end, "Slow");
  EXPECT_EQ(o.values, values(5, 1, 8, 3, 1));
}

class DialogWindowCancelled : public testing::TestWithParam<bool> {};

// Cancel and the close box both leave every value as stored, even after changes.
TEST_P(DialogWindowCancelled, LeavesAllValues) {
  const bool use_close_box = GetParam();
  const DialogValues stored = values(4, 0, 100, 0, 0);
  const Outcome o = drive(stored, [&](const Dialog& d) {
    d.select_codec(1);
    d.click(d.item(kIdSnappyBox));
    d.type_chunks(L"5");
    d.click(d.item(kIdFrameModeBox));
    d.press_slider_key(VK_HOME);
    if (use_close_box) {
      d.close_box();
    } else {
      d.click(d.item(kIdCancel));
    }
  });
  ASSERT_TRUE(o.driven);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.values, stored);
}

INSTANTIATE_TEST_SUITE_P(Dialog, DialogWindowCancelled, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "CloseBox" : "CancelButton";
                         });

// The window and every control sit where the layout puts them at the window's DPI.
TEST(DialogWindow, FollowsTheLayoutAtItsDpi) {
  int dpi = 0;
  RECT window_rect{};
  RECT rects[kDialogControlCount] = {};
  const Outcome o = drive(values(0, 1, 8, 2, 1), [&](const Dialog& d) {
    dpi = dialog_dpi(d.window);
    GetWindowRect(d.window, &window_rect);
    int i = 0;
    for (HWND child = GetWindow(d.window, GW_CHILD); child && i < kDialogControlCount;
         child = GetWindow(child, GW_HWNDNEXT), ++i) {
      GetWindowRect(child, &rects[i]);
      MapWindowPoints(HWND_DESKTOP, d.window, reinterpret_cast<POINT*>(&rects[i]), 2);
    }
    d.click(d.item(kIdCancel));
  });
  ASSERT_TRUE(o.driven);
  // The test runner sets the display's DPI and says which.
  if (const char* expected = std::getenv("ORVEX_EXPECT_DPI")) {
    EXPECT_EQ(dpi, std::atoi(expected));
  }
  if (dpi == 144) {
    EXPECT_EQ(window_rect.right - window_rect.left, 570);
    EXPECT_EQ(window_rect.bottom - window_rect.top, 495);
  }
  const DialogLayout layout = dialog_layout(dpi);
  EXPECT_EQ(window_rect.right - window_rect.left, layout.window_width);
  EXPECT_EQ(window_rect.bottom - window_rect.top, layout.window_height);
  // Compare as a set of rectangles, since the order among siblings is the system's. A drop-down
  // list's height is the system's too (that of its closed box).
  for (int i = 0; i < kDialogControlCount; ++i) {
    const DialogRect& want = layout.controls[i];
    const bool any_height = static_cast<DialogControl>(i) == DialogControl::CodecList;
    bool found = false;
    for (const RECT& r : rects) {
      found = found || (r.left == want.x && r.top == want.y && r.right - r.left == want.width &&
                        (any_height || r.bottom - r.top == want.height));
    }
    EXPECT_TRUE(found) << want.x << "," << want.y << " " << want.width << "x" << want.height;
  }
}

}  // namespace
